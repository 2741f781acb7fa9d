// MemExprLikeTest.cpp: LIKE in a memory dataset's filter over texts in each
// form the storage keeps them (one byte a character as Latin-1 or over a
// page, two bytes), against the general matcher.
#include "gridlib/memtable/MemTableDataEh.h"
#include "gridlib/memtable/MemTableEh.h"

#include <gtest/gtest.h>

namespace {

// One text field "name" of wide text.
struct TNameStructure : TExprStructureEh {
  Integer ExprFieldCount() const override { return 1; }
  Integer ExprFieldIndex(const String& Name) const override
  {
    return Name.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0 ? 0 : -1;
  }
  TFieldType ExprFieldType(Integer) const override { return ftWideString; }
};

// A record of one value, read as a Variant or from its packed form.
struct TNameRecord : TExprRecordEh {
  Variant Value;
  TRecValuesEh Packed;
  bool UsePacked = false;
  Variant ExprFieldValue(Integer) const override { return Value; }
  const TRecValuesEh* ExprValues() const override { return UsePacked ? &Packed : nullptr; }
};

// How the storage keeps a case's text.
enum class TKept { Latin1, Paged, Wide, Null };

TKept KeptForm(const TRecValuesEh& Values)
{
  if (Values.Tag(0) == TRecValuesEh::tNull)
    return TKept::Null;
  QByteArrayView Bytes;
  unsigned Page = 0;
  if (!Values.ByteText(0, Bytes, Page))
    return TKept::Wide;
  return Page == 1 ? TKept::Latin1 : TKept::Paged;
}

QString Quoted(const QString& S)
{
  return u'\'' + QString(S).replace(u'\'', QLatin1String("''")) + u'\'';
}

}  // namespace

// Each case runs through the general matcher, the plain-form matcher on the
// wide text, and the filter reading the record's Variant and its packed
// value in place; all four must give the expected answer.
TEST(MemExprLike, PlainFormsAgreeWithTheGeneralMatcherInEveryStoredForm)
{
  struct TCase {
    const char* Pattern;
    const char* Text;   // nullptr: Null
    bool IgnoreCase;
    TKept Kept;
    bool Match;
  } Cases[] = {
    // Latin-1 and ASCII
    {"%77%", "Product 1770", false, TKept::Latin1, true},
    {"%77%", "Product 1707", false, TKept::Latin1, false},
    {"abc%", "abcdef", false, TKept::Latin1, true},
    {"abc%", "xabc", false, TKept::Latin1, false},
    {"%def", "abcdef", false, TKept::Latin1, true},
    {"%def", "defx", false, TKept::Latin1, false},
    {"abc", "abc", false, TKept::Latin1, true},
    {"abc", "abcd", false, TKept::Latin1, false},
    {"abc", "ABC", true, TKept::Latin1, true},
    {"abc", "ABC", false, TKept::Latin1, false},
    {"%aab", "aaab", false, TKept::Latin1, true},
    {"%abcd%", "abc", false, TKept::Latin1, false},
    {"%ÄB%", "xäbc", true, TKept::Latin1, true},
    {"%äb%", "xÄBc", false, TKept::Latin1, false},
    {"%Ÿ%", "ÿ", true, TKept::Latin1, true},       // its upper case is on another page
    {"%Ÿ%", "ÿ", false, TKept::Latin1, false},
    {"%μ%", "5 µm", true, TKept::Latin1, true},    // micro sign and Greek mu share an upper case
    {"%μ%", "5 µm", false, TKept::Latin1, false},
    {"%ц%", "abc", true, TKept::Latin1, false},
    // Cyrillic and other texts of one page
    {"%77%", "Изделие 177", false, TKept::Paged, true},
    {"%77%", "Изделие 1707", false, TKept::Paged, false},
    {"цех%", "ЦЕХ сборки", true, TKept::Paged, true},
    {"цех%", "ЦЕХ сборки", false, TKept::Paged, false},
    {"%ки", "Цех сборки", false, TKept::Paged, true},
    {"%КИ", "Цех сборки", true, TKept::Paged, true},
    {"Цех сборки", "Цех сборки", false, TKept::Paged, true},
    {"Цех сборки", "Цех сборкИ", false, TKept::Paged, false},
    {"%Ё%", "ёлка", true, TKept::Paged, true},
    {"%é%", "Цех", true, TKept::Paged, false},
    {"%α%", "βαγ", false, TKept::Paged, true},
    {"%а%", "βαγ", true, TKept::Paged, false},     // a Cyrillic a in a Greek text
    {"%I%", "ıx", true, TKept::Paged, true},       // dotless i: its upper case is ASCII
    {"%i%", "İx", true, TKept::Paged, false},
    {"s%", "ſa", true, TKept::Paged, true},
    // Wide: characters of more than one page, or beyond every page
    {"%цех%", "α цех", false, TKept::Wide, true},
    {"%ЦЕХ%", "α цех", true, TKept::Wide, true},
    {"%ЦЕХ%", "α цех", false, TKept::Wide, false},
    {"日本%", "日本語", false, TKept::Wide, true},
    {"%😀", "日本😀", false, TKept::Wide, true},
    {"%😀%", "日本語", false, TKept::Wide, false},
    {"α цех", "α цех", false, TKept::Wide, true},
    // Escaped wildcards are plain characters
    {"100[%]", "100%", false, TKept::Latin1, true},
    {"100[%]", "1000", false, TKept::Latin1, false},
    {"%[_]%", "a_b", false, TKept::Latin1, true},
    {"%[_]%", "ab", false, TKept::Latin1, false},
    {"[[]x]", "[x]", false, TKept::Latin1, true},
    {"%[%]", "Цех 100%", false, TKept::Paged, true},
    // Not plain: "_" and inner "%" keep to the general matcher
    {"a_c", "abc", false, TKept::Latin1, true},
    {"%7_7%", "Изделие 1787", false, TKept::Paged, true},
    {"_ех%", "Цех", false, TKept::Paged, true},
    {"И%77", "Изделие 77", false, TKept::Paged, true},
    {"a%c", "abbd", false, TKept::Latin1, false},
    {"%ц_х%", "α цех", false, TKept::Wide, true},
    // Empty pattern, empty text, Null
    {"", "", false, TKept::Latin1, true},
    {"", "a", false, TKept::Latin1, false},
    {"%", "", false, TKept::Latin1, true},
    {"%%", "abc", false, TKept::Latin1, true},
    {"a%", "", false, TKept::Latin1, false},
    {"%a", "", true, TKept::Latin1, false},
    {"%", nullptr, false, TKept::Null, false},
    {"", nullptr, false, TKept::Null, false},
  };

  TNameStructure Structure;
  TMemTableEh Table(nullptr);
  for (const TCase& C : Cases) {
    const QString Pattern = QString::fromUtf8(C.Pattern);
    SCOPED_TRACE(QStringLiteral("'%1' like '%2'%3")
                     .arg(C.Text ? QString::fromUtf8(C.Text) : QStringLiteral("Null"), Pattern,
                          C.IgnoreCase ? QStringLiteral(" ignoring case") : QString())
                     .toStdString());
    TNameRecord Rec;
    Rec.Value = C.Text ? Variant(QString::fromUtf8(C.Text)) : Variant(Null);
    Rec.Packed = TRecValuesEh::FromVariants({Rec.Value});
    ASSERT_EQ(KeptForm(Rec.Packed), C.Kept);

    if (C.Text) {
      const QString Text = QString::fromUtf8(C.Text);
      EXPECT_EQ(TFilterLikePattern(Pattern, false, false).Matches(Text, C.IgnoreCase), C.Match) << "general";
      EXPECT_EQ(TFilterLikePattern(Pattern).Matches(Text, C.IgnoreCase), C.Match) << "plain forms, wide";
    }
    Table.SetFilterOptionsValue(C.IgnoreCase ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
    TDataSetExprParserEh Filter(&Table, dsptFilterEh, &Structure);
    Filter.ParseExpression(QStringLiteral("name like ") + Quoted(Pattern));
    Rec.UsePacked = false;
    EXPECT_EQ(Filter.IsCurRecordInFilter(Rec), C.Match) << "filter over the Variant";
    Rec.UsePacked = true;
    EXPECT_EQ(Filter.IsCurRecordInFilter(Rec), C.Match) << "filter over the packed value";
    // The filter keeps its pattern between records: a second read agrees.
    EXPECT_EQ(Filter.IsCurRecordInFilter(Rec), C.Match) << "filter over the packed value, again";
  }
}

// One pattern over records of several pages and of both widths in turn, as
// a filter meets them in a table: each record is judged by its own form.
TEST(MemExprLike, OnePatternOverTextsOfManyPages)
{
  struct TCase {
    const char* Text;
    bool Match;
  } Cases[] = {
    {"цех 1", true}, {"ЦЕХ 2", true}, {"Це х", false}, {"ceh", false}, {"α ЦЕХ", true},
    {"цехα", true},  {"ЦЕХ", true},   {"x", false},   {"βцех", true}, {"цеχ", false},
  };
  TNameStructure Structure;
  TMemTableEh Table(nullptr);
  Table.SetFilterOptionsValue({foCaseInsensitive});
  TDataSetExprParserEh Filter(&Table, dsptFilterEh, &Structure);
  Filter.ParseExpression(QStringLiteral("name like 'цех%' or name like '%цех'"));
  for (int Pass = 0; Pass < 2; ++Pass)
    for (const TCase& C : Cases) {
      SCOPED_TRACE(C.Text);
      TNameRecord Rec;
      Rec.Value = QString::fromUtf8(C.Text);
      Rec.Packed = TRecValuesEh::FromVariants({Rec.Value});
      Rec.UsePacked = true;
      EXPECT_EQ(Filter.IsCurRecordInFilter(Rec), C.Match);
    }
}
