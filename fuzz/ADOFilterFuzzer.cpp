// ADOFilterFuzzer.cpp: feeds filter and sort texts to the client-filter parser,
// binds what parses to a small row storage and evaluates it on every row.
#include "platform/data/ADOFilter.h"
#include "platform/data/Odbc.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

std::unique_ptr<odbc::TRowStore> MakeRows()
{
  using K = odbc::TValueKind;
  std::vector<odbc::TColumn> Cols(6);
  const char* const Names[] = {"id", "s_caption", "price", "qty", "d_date", "f"};
  const K Kinds[] = {K::Int32, K::WideText, K::Currency, K::Int64, K::Date, K::Decimal};
  for (int I = 0; I < 6; ++I) {
    Cols[std::size_t(I)].Name = QString::fromLatin1(Names[I]);
    Cols[std::size_t(I)].Kind = Kinds[I];
  }
  auto Store = std::make_unique<odbc::TRowStore>(Cols);
  const char16_t* const Texts[] = {u"Цех сборки", u"ёлка", u"", u"O'Neil", u"100%"};
  for (int R = 0; R < 5; ++R) {
    const int Row = Store->AppendRow();
    Store->SetValue(Row, 0, odbc::TValue::FromInt32(R));
    if (R != 2)
      Store->SetValue(Row, 1, odbc::TValue::FromText(QString::fromUtf16(Texts[R])));
    Store->SetValue(Row, 2, odbc::TValue::FromCurrency(R * 12345));
    if (R % 2)
      Store->SetValue(Row, 3, odbc::TValue::FromInt64(-R));
    Store->SetValue(Row, 4, odbc::TValue::FromDate(45000.0 + R));
    Store->SetValue(Row, 5, odbc::TValue::FromDecimal(QString::number(R * 1.5)));
  }
  return Store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  static const std::unique_ptr<odbc::TRowStore> Rows = MakeRows();
  const QString Text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
  try {
    auto Filter = adofilter::TFilter::Parse(Text);
    Filter->Bind([](const QString& Name) {
      for (int C = 0; C < Rows->ColumnCount(); ++C)
        if (Rows->Column(C).Name.compare(Name, Qt::CaseInsensitive) == 0)
          return C;
      return -1;
    }, *Rows);
    for (int R = 0; R < Rows->RowCount(); ++R)
      Filter->Accepts(*Rows, R);
  } catch (const adofilter::EFilterError&) {
  }
  try {
    adofilter::ParseSort(Text);
  } catch (const adofilter::EFilterError&) {
  }
  return 0;
}
