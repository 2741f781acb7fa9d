// Odbc.cpp: unixODBC through the wide API; results are fetched in blocks of
// bound rows straight into the column storage.
#include "platform/data/Odbc.h"

#include "platform/data/DB.h"
#include "platform/data/ConnectionLoss.h"

#include <QDate>

#include <sql.h>
#include <sqlext.h>

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must use 16-bit wide characters");
static_assert(odbc::sqltype::Char == SQL_CHAR && odbc::sqltype::VarChar == SQL_VARCHAR &&
                odbc::sqltype::LongVarChar == SQL_LONGVARCHAR && odbc::sqltype::WChar == SQL_WCHAR &&
                odbc::sqltype::WVarChar == SQL_WVARCHAR && odbc::sqltype::WLongVarChar == SQL_WLONGVARCHAR &&
                odbc::sqltype::TinyInt == SQL_TINYINT && odbc::sqltype::SmallInt == SQL_SMALLINT &&
                odbc::sqltype::Integer == SQL_INTEGER && odbc::sqltype::BigInt == SQL_BIGINT,
              "the type codes of Odbc.h must be the driver's");

namespace odbc {

// ---------------------------------------------------------------------------
// Small helpers

static const SQLWCHAR* W(const QString& S) { return reinterpret_cast<const SQLWCHAR*>(S.utf16()); }

static QString FromW(const SQLWCHAR* S, std::size_t Len)
{
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(S), qsizetype(Len));
}

static constexpr int JulianDayOf18991230 = 2415019;

static double EncodeTime(int H, int Mi, int S, unsigned Fraction)
{
  return (H * 3600.0 + Mi * 60.0 + S + Fraction / 1e9) / 86400.0;
}

// Days before 1899-12-30 keep the time of day as a positive fraction of the
// negative day number, as the date-time type does.
static double Combine(double Days, double Time) { return Days < 0 ? Days - Time : Days + Time; }

static void DecodeDateTime(double V, int& Y, int& M, int& D, int& H, int& Mi, int& S, unsigned& Nanos)
{
  double Days = std::trunc(V);
  double Frac = std::fabs(V - Days);
  std::int64_t Ms = std::llround(Frac * 86400000.0);
  if (Ms >= 86400000) {
    Ms -= 86400000;
    Days += V < 0 ? -1 : 1;
  }
  QDate Date = QDate::fromJulianDay(std::int64_t(Days) + JulianDayOf18991230);
  Y = Date.year(); M = Date.month(); D = Date.day();
  H = int(Ms / 3600000); Mi = int(Ms / 60000 % 60); S = int(Ms / 1000 % 60);
  Nanos = unsigned(Ms % 1000) * 1000000u;
}

// Digits are the ASCII ones only: another script's digit is no number here.
template <class Char>
static bool ParseCurrencyUnits(const Char* P, const Char* E, std::int64_t& Scaled)
{
  const auto Unit = [](Char C) { return char16_t(std::make_unsigned_t<Char>(C)); };
  const auto IsDigit = [&](Char C) { return Unit(C) >= u'0' && Unit(C) <= u'9'; };
  const auto IsSpace = [&](Char C) { return QChar(Unit(C)).isSpace(); };
  while (P < E && IsSpace(*P)) ++P;
  while (E > P && IsSpace(*(E - 1))) --E;
  bool Neg = false;
  if (P < E && (Unit(*P) == u'-' || Unit(*P) == u'+')) { Neg = Unit(*P) == u'-'; ++P; }
  if (P == E)
    return false;
  std::int64_t Int = 0;
  int Digits = 0;
  for (; P < E && IsDigit(*P); ++P, ++Digits) {
    if (Int > (INT64_MAX - 9) / 10 / 10000)
      return false;
    Int = Int * 10 + (Unit(*P) - u'0');
  }
  std::int64_t Frac = 0;
  int FracDigits = 0;
  bool RoundUp = false;
  if (P < E && (Unit(*P) == u'.' || Unit(*P) == u',')) {
    ++P;
    for (; P < E && IsDigit(*P); ++P) {
      if (FracDigits < 4) {
        Frac = Frac * 10 + (Unit(*P) - u'0');
        ++FracDigits;
      } else if (FracDigits == 4) {
        RoundUp = Unit(*P) >= u'5';
        ++FracDigits;
      }
      ++Digits;
    }
  }
  if (P != E || Digits == 0)
    return false;
  for (int I = std::min(FracDigits, 4); I < 4; ++I)
    Frac *= 10;
  Scaled = Int * 10000 + Frac + (RoundUp ? 1 : 0);
  if (Neg)
    Scaled = -Scaled;
  return true;
}

bool ParseCurrency(const QString& Text, std::int64_t& Scaled)
{
  const char16_t* P = reinterpret_cast<const char16_t*>(Text.utf16());
  return ParseCurrencyUnits(P, P + Text.size(), Scaled);
}

QString CurrencyToText(std::int64_t Scaled)
{
  const bool Neg = Scaled < 0;
  const std::uint64_t U = Neg ? std::uint64_t(-(Scaled + 1)) + 1 : std::uint64_t(Scaled);
  QString S = QString::number(U / 10000);
  std::uint64_t Frac = U % 10000;
  if (Frac) {
    QString F = QString::number(Frac).rightJustified(4, u'0');
    while (F.endsWith(u'0')) F.chop(1);
    S += u'.' + F;
  }
  return Neg ? u'-' + S : S;
}

// ---------------------------------------------------------------------------
// Row storage

enum class TStorage { I32, I64, Dbl, Text, Bin };

static TStorage StorageOf(TValueKind K)
{
  switch (K) {
  case TValueKind::Int32: return TStorage::I32;
  case TValueKind::Boolean:
  case TValueKind::Int64:
  case TValueKind::Currency: return TStorage::I64;
  case TValueKind::Double:
  case TValueKind::Date:
  case TValueKind::Time:
  case TValueKind::DateTime: return TStorage::Dbl;
  case TValueKind::Binary: return TStorage::Bin;
  default: return TStorage::Text;
  }
}

struct TFreeMemory {
  void operator()(void* P) const { std::free(P); }
};

// Memory for a chunk of texts, left unfilled. Whole chunks go on huge pages
// where the system allows it: filling a large result page by page costs a
// fault every 4 KB, more than the copying itself.
static void* AllocateChunk(std::size_t Bytes)
{
  constexpr std::size_t HugePage = std::size_t(2) << 20;
  void* P = Bytes % HugePage == 0 ? std::aligned_alloc(HugePage, Bytes) : std::malloc(Bytes);
  if (!P)
    throw std::bad_alloc();
  if (Bytes % HugePage == 0)
    madvise(P, Bytes, MADV_HUGEPAGE);   // a hint; refused, it changes nothing
  return P;
}

// Gives whole 2 MB blocks the memory of AllocateChunk.
template <class T>
struct TChunkAllocator {
  using value_type = T;
  TChunkAllocator() = default;
  template <class U>
  TChunkAllocator(const TChunkAllocator<U>&) {}
  T* allocate(std::size_t N) { return static_cast<T*>(AllocateChunk(N * sizeof(T))); }
  void deallocate(T* P, std::size_t) { std::free(P); }
  template <class U>
  bool operator==(const TChunkAllocator<U>&) const { return true; }
};

// A column's values in blocks of rows, so that growing never copies what is
// already stored (a large result would otherwise be moved several times).
// A block holds 2 MB of values; only the first grows by doubling, for the
// many small results.
template <class T>
class TRowBlocks {
public:
  static constexpr unsigned Shift = sizeof(T) == 8 ? 18 : sizeof(T) == 4 ? 19 : 14;
  static constexpr std::size_t BlockRows = std::size_t(1) << Shift;

  T& operator[](std::size_t Row) { return FBlocks[Row >> Shift][Row & (BlockRows - 1)]; }
  const T& operator[](std::size_t Row) const { return FBlocks[Row >> Shift][Row & (BlockRows - 1)]; }

  // Room for Count rows, the new ones value-initialized; Exact gives back the
  // room beyond them (only the last block is ever copied).
  void Resize(std::size_t Count, bool Exact)
  {
    const std::size_t Need = (Count + BlockRows - 1) >> Shift;
    FBlocks.resize(Need);
    for (std::size_t B = 0; B < Need; ++B) {
      Block& V = FBlocks[B];
      const std::size_t Size = std::min(BlockRows, Count - (B << Shift));
      if (Size > V.capacity() && !Exact)
        V.reserve(B == 0 ? std::min(BlockRows, std::max(Size, V.capacity() * 2)) : BlockRows);
      V.resize(Size);
      if (Exact)
        V.shrink_to_fit();
    }
  }
  std::size_t Capacity() const
  {
    std::size_t N = 0;
    for (const Block& V : FBlocks)
      N += V.capacity();
    return N;
  }
  template <class F>
  void ForEach(F&& Visit) const
  {
    for (const Block& V : FBlocks)
      for (const T& X : V)
        Visit(X);
  }

private:
  using Block = std::vector<T, TChunkAllocator<T>>;
  std::vector<Block> FBlocks;
};

struct TRowStore::ColumnData {
  TStorage Storage = TStorage::Text;
  bool Narrow = true;                      // texts held as Latin-1 bytes
  std::vector<std::uint64_t> Nulls;        // one bit a row, set = Null
  TRowBlocks<std::int32_t> I32;            // Int32
  TRowBlocks<std::int64_t> I64;            // Int64, Currency, Boolean
  TRowBlocks<double> Dbl;                  // Double, dates
  TRowBlocks<std::uint32_t> TextPlace;     // texts and decimals: arena place and length
  TRowBlocks<std::uint32_t> TextLen;
  TRowBlocks<QByteArray> Bin;              // binary
};

// Chunks of characters, 2 MB each; a text never spans two. A place packs the
// chunk number above the position in it.
template <class Char>
struct TRowStore::TArena {
  static constexpr unsigned PosBits = sizeof(Char) == 1 ? 21 : 20;
  static constexpr std::uint32_t ChunkSize = 1u << PosBits;
  static constexpr std::size_t MaxChunks = std::size_t(1) << (32 - PosBits);

  std::vector<std::unique_ptr<Char[], TFreeMemory>> Chunks;
  std::vector<std::uint32_t> Sizes;
  std::uint32_t Used = 0;
  int Fill = -1;

  Char* Reserve(std::size_t Len, std::uint32_t& Place)
  {
    if (Chunks.size() + 1 >= MaxChunks)
      throw EOleException(QStringLiteral("The result is too large for the client cursor"));
    if (Len > ChunkSize) {   // a long text gets a chunk of its own
      Chunks.emplace_back(static_cast<Char*>(AllocateChunk(Len * sizeof(Char))));
      Sizes.push_back(std::uint32_t(Len));
      Place = std::uint32_t(Chunks.size() - 1) << PosBits;
      return Chunks.back().get();
    }
    if (Fill < 0 || Used + Len > ChunkSize) {
      Chunks.emplace_back(static_cast<Char*>(AllocateChunk(ChunkSize * sizeof(Char))));
      Sizes.push_back(ChunkSize);
      Fill = int(Chunks.size() - 1);
      Used = 0;
    }
    Place = (std::uint32_t(Fill) << PosBits) | Used;
    Used += std::uint32_t(Len);
    return Chunks[std::size_t(Fill)].get() + (Place & (ChunkSize - 1));
  }
  const Char* At(std::uint32_t Place) const
  {
    return Chunks[Place >> PosBits].get() + (Place & (ChunkSize - 1));
  }
  std::size_t Bytes() const
  {
    std::size_t N = 0;
    for (std::uint32_t S : Sizes)
      N += std::size_t(S) * sizeof(Char);
    return N;
  }
};

TRowStore::TRowStore(std::vector<TColumn> Columns)
  : FColumns(std::move(Columns)), FWide(std::make_unique<TArena<char16_t>>()),
    FNarrow(std::make_unique<TArena<char>>())
{
  for (const TColumn& C : FColumns) {
    FData.push_back(std::make_unique<ColumnData>());
    FData.back()->Storage = StorageOf(C.Kind);
  }
}

TRowStore::~TRowStore() = default;

template <class Data>
static void ResizeColumn(Data& D, std::size_t Count, bool Exact)
{
  D.Nulls.resize((Count + 63) / 64);
  if (Exact)
    D.Nulls.shrink_to_fit();
  switch (D.Storage) {
  case TStorage::I32: D.I32.Resize(Count, Exact); break;
  case TStorage::I64: D.I64.Resize(Count, Exact); break;
  case TStorage::Dbl: D.Dbl.Resize(Count, Exact); break;
  case TStorage::Bin: D.Bin.Resize(Count, Exact); break;
  case TStorage::Text:
    D.TextPlace.Resize(Count, Exact);
    D.TextLen.Resize(Count, Exact);
    break;
  }
}

void TRowStore::ReserveRows(int Count)
{
  if (Count <= FCapacity)
    return;
  FCapacity = Count;
  for (auto& D : FData)
    ResizeColumn(*D, std::size_t(Count), false);
}

void TRowStore::ShrinkToFit()
{
  FCapacity = FRowCount;
  for (auto& D : FData)
    ResizeColumn(*D, std::size_t(FRowCount), true);
}

int TRowStore::AppendRow()
{
  if (FRowCount == FCapacity) {
    // by doubling while small, then a step at a time: the blocks' memory is
    // taken whole but touched only as rows arrive
    constexpr int Step = 16384;
    ReserveRows(FCapacity < Step ? std::max(64, FCapacity * 2) : FCapacity + Step);
  }
  const int Row = FRowCount++;
  for (int C = 0; C < ColumnCount(); ++C)
    SetNullFast(Row, C);
  return Row;
}

bool TRowStore::IsNull(int Row, int Col) const
{
  return (FData[Col]->Nulls[std::size_t(Row) >> 6] >> (Row & 63)) & 1u;
}

void TRowStore::SetNullFast(int Row, int Col)
{
  FData[Col]->Nulls[std::size_t(Row) >> 6] |= std::uint64_t(1) << (Row & 63);
}

static void ClearNull(std::vector<std::uint64_t>& Nulls, int Row)
{
  Nulls[std::size_t(Row) >> 6] &= ~(std::uint64_t(1) << (Row & 63));
}

void TRowStore::SetIntFast(int Row, int Col, std::int64_t V)
{
  ColumnData& D = *FData[Col];
  ClearNull(D.Nulls, Row);
  if (D.Storage == TStorage::I32)
    D.I32[Row] = std::int32_t(V);
  else
    D.I64[Row] = V;
}

void TRowStore::SetDoubleFast(int Row, int Col, double V)
{
  ColumnData& D = *FData[Col];
  ClearNull(D.Nulls, Row);
  D.Dbl[Row] = V;
}

static bool IsLatin1(const char16_t* S, std::size_t Len)
{
  char16_t Or = 0;
  for (std::size_t I = 0; I < Len; ++I)
    Or |= S[I];
  return Or < 0x100;
}

// The column's texts so far move to the 16-bit arena; the bytes they leave
// stay unused until the storage goes.
void TRowStore::Widen(ColumnData& D)
{
  D.Narrow = false;
  for (int Row = 0; Row < FRowCount; ++Row) {
    const std::uint32_t Len = D.TextLen[Row];
    if (!Len)
      continue;
    const char* Src = FNarrow->At(D.TextPlace[Row]);
    char16_t* Dest = FWide->Reserve(Len, D.TextPlace[Row]);
    for (std::uint32_t I = 0; I < Len; ++I)
      Dest[I] = char16_t(static_cast<unsigned char>(Src[I]));
  }
}

void TRowStore::SetTextFast(int Row, int Col, const char16_t* S, std::size_t Len)
{
  ColumnData& D = *FData[Col];
  ClearNull(D.Nulls, Row);
  if (D.Narrow && !IsLatin1(S, Len)) {
    D.TextLen[Row] = 0;   // the old text of this row needs no move
    Widen(D);
  }
  D.TextLen[Row] = std::uint32_t(Len);
  if (!Len)
    return;
  if (!D.Narrow) {
    std::memcpy(FWide->Reserve(Len, D.TextPlace[Row]), S, Len * sizeof(char16_t));
    return;
  }
  char* Dest = FNarrow->Reserve(Len, D.TextPlace[Row]);
  for (std::size_t I = 0; I < Len; ++I)
    Dest[I] = char(S[I]);
}

void TRowStore::SetAsciiFast(int Row, int Col, const char* S, std::size_t Len)
{
  ColumnData& D = *FData[Col];
  ClearNull(D.Nulls, Row);
  D.TextLen[Row] = std::uint32_t(Len);
  if (!Len)
    return;
  if (D.Narrow) {
    std::memcpy(FNarrow->Reserve(Len, D.TextPlace[Row]), S, Len);
    return;
  }
  char16_t* Dest = FWide->Reserve(Len, D.TextPlace[Row]);
  for (std::size_t I = 0; I < Len; ++I)
    Dest[I] = char16_t(static_cast<unsigned char>(S[I]));
}

std::int64_t TRowStore::IntAt(int Row, int Col) const
{
  const ColumnData& D = *FData[Col];
  return D.Storage == TStorage::I32 ? D.I32[Row] : D.I64[Row];
}

double TRowStore::DoubleAt(int Row, int Col) const { return FData[Col]->Dbl[Row]; }

QStringView TRowStore::TextAt(int Row, int Col) const
{
  const ColumnData& D = *FData[Col];
  const std::uint32_t Len = D.TextLen[Row];
  if (!Len)
    return QStringView();
  if (!D.Narrow)
    return QStringView(FWide->At(D.TextPlace[Row]), qsizetype(Len));
  // sorting compares two texts, so a few scratch texts take turns
  static thread_local QString Scratch[4];
  static thread_local unsigned Next = 0;
  QString& S = Scratch[Next++ % 4];
  S.resize(qsizetype(Len));
  char16_t* Dest = reinterpret_cast<char16_t*>(S.data());
  const char* Src = FNarrow->At(D.TextPlace[Row]);
  for (std::uint32_t I = 0; I < Len; ++I)
    Dest[I] = char16_t(static_cast<unsigned char>(Src[I]));
  return QStringView(S);
}

TValue TRowStore::Value(int Row, int Col) const
{
  if (IsNull(Row, Col))
    return TValue();
  const TColumn& C = FColumns[Col];
  const ColumnData& D = *FData[Col];
  TValue V;
  V.Kind = C.Kind;
  switch (D.Storage) {
  case TStorage::I32:
  case TStorage::I64:
    V.Int = IntAt(Row, Col);
    V.Bool = V.Int != 0;
    break;
  case TStorage::Dbl: V.Dbl = DoubleAt(Row, Col); break;
  case TStorage::Bin: V.Bytes = D.Bin[Row]; break;
  case TStorage::Text:
    if (D.Narrow)
      V.Text = D.TextLen[Row] ? QString::fromLatin1(FNarrow->At(D.TextPlace[Row]), qsizetype(D.TextLen[Row]))
                              : QString();
    else
      V.Text = TextAt(Row, Col).toString();
    V.Precision = int(C.Size);
    V.Scale = C.Scale;
    break;
  }
  return V;
}

void TRowStore::SetValue(int Row, int Col, const TValue& V)
{
  ColumnData& D = *FData[Col];
  if (V.IsNull()) {
    SetNullFast(Row, Col);
    if (D.Storage == TStorage::Bin)
      D.Bin[Row] = QByteArray();
    return;
  }
  switch (D.Storage) {
  case TStorage::I32:
  case TStorage::I64:
    SetIntFast(Row, Col, FColumns[Col].Kind == TValueKind::Boolean ? std::int64_t(V.Bool || V.Int) : V.Int);
    break;
  case TStorage::Dbl: SetDoubleFast(Row, Col, V.Dbl); break;
  case TStorage::Bin:
    ClearNull(D.Nulls, Row);
    D.Bin[Row] = V.Bytes;
    break;
  case TStorage::Text:
    SetTextFast(Row, Col, reinterpret_cast<const char16_t*>(V.Text.utf16()), std::size_t(V.Text.size()));
    break;
  }
}

std::size_t TRowStore::MemoryUsed() const
{
  std::size_t N = sizeof(*this) + FWide->Bytes() + FNarrow->Bytes();
  for (const auto& D : FData) {
    N += D->Nulls.capacity() * 8 + D->I32.Capacity() * 4 + D->I64.Capacity() * 8 + D->Dbl.Capacity() * 8 +
         D->TextPlace.Capacity() * 4 + D->TextLen.Capacity() * 4 + D->Bin.Capacity() * sizeof(QByteArray);
    D->Bin.ForEach([&](const QByteArray& B) { N += std::size_t(B.capacity()); });
  }
  return N;
}

// ---------------------------------------------------------------------------
// Parameters in statement text

static bool IsNameChar(QChar C) { return C.isLetterOrNumber() || C == u'_'; }

void SplitParameters(const QString& Sql, QString& OdbcSql, QStringList& Names)
{
  OdbcSql.clear();
  Names.clear();
  OdbcSql.reserve(Sql.size());
  const qsizetype N = Sql.size();
  qsizetype I = 0;
  auto CopyUntil = [&](qsizetype End) {
    OdbcSql += QStringView(Sql).mid(I, End - I);
    I = End;
  };
  while (I < N) {
    const QChar C = Sql[I];
    if (C == u'\'' || C == u'"') {            // quoted text or identifier, '' and "" inside
      qsizetype J = I + 1;
      while (J < N) {
        if (Sql[J] == C) {
          if (J + 1 < N && Sql[J + 1] == C) { J += 2; continue; }
          break;
        }
        ++J;
      }
      CopyUntil(std::min(N, J + 1));
      continue;
    }
    if (C == u'-' && I + 1 < N && Sql[I + 1] == u'-') {   // line comment
      qsizetype J = Sql.indexOf(u'\n', I);
      CopyUntil(J < 0 ? N : J);
      continue;
    }
    if (C == u'/' && I + 1 < N && Sql[I + 1] == u'*') {   // block comment
      qsizetype J = Sql.indexOf(QLatin1String("*/"), I + 2);
      CopyUntil(J < 0 ? N : J + 2);
      continue;
    }
    if (C == u'$') {                                      // $tag$ ... $tag$
      qsizetype J = I + 1;
      while (J < N && IsNameChar(Sql[J]) && !Sql[J].isDigit()) ++J;
      if (J < N && Sql[J] == u'$' && (I == 0 || !IsNameChar(Sql[I - 1]))) {
        const QString Tag = Sql.mid(I, J - I + 1);
        qsizetype End = Sql.indexOf(Tag, J + 1);
        CopyUntil(End < 0 ? N : End + Tag.size());
        continue;
      }
    }
    if (C == u':') {
      if (I + 1 < N && Sql[I + 1] == u':') {             // a cast, "::type"
        CopyUntil(I + 2);
        continue;
      }
      qsizetype J = I + 1;
      while (J < N && IsNameChar(Sql[J])) ++J;
      if (J > I + 1 && (I == 0 || Sql[I - 1] != u':')) {
        Names << Sql.mid(I + 1, J - I - 1);
        OdbcSql += u'?';
        I = J;
        continue;
      }
    }
    OdbcSql += C;
    ++I;
  }
}

// ---------------------------------------------------------------------------
// Connection strings

std::vector<TConnAttr> ParseOdbcConnectionString(const QString& Text)
{
  std::vector<TConnAttr> Result;
  const qsizetype N = Text.size();
  qsizetype I = 0;
  while (I < N) {
    while (I < N && (Text[I] == u';' || Text[I].isSpace())) ++I;
    if (I >= N)
      break;
    qsizetype Eq = I;
    while (Eq < N && Text[Eq] != u'=' && Text[Eq] != u';') ++Eq;
    TConnAttr A;
    A.Key = Text.mid(I, Eq - I).trimmed();
    if (Eq >= N || Text[Eq] == u';') {    // a key without value
      I = Eq;
      if (!A.Key.isEmpty())
        Result.push_back(A);
      continue;
    }
    qsizetype V = Eq + 1;
    if (V < N && Text[V] == u'{') {
      qsizetype J = V + 1;
      QString Value;
      bool Closed = false;
      while (J < N) {
        if (Text[J] == u'}') {
          if (J + 1 < N && Text[J + 1] == u'}') { Value += u'}'; J += 2; continue; }
          Closed = true;
          ++J;
          break;
        }
        Value += Text[J++];
      }
      if (!Closed)
        throw EOleException(QStringLiteral("Connection string: unmatched '{' in the value of %1").arg(A.Key));
      // anything up to the next ';' after the closing brace must be blank
      while (J < N && Text[J] != u';') {
        if (!Text[J].isSpace())
          throw EOleException(QStringLiteral("Connection string: text after '}' in the value of %1").arg(A.Key));
        ++J;
      }
      A.Value = Value;
      I = J;
    } else {
      qsizetype J = Text.indexOf(u';', V);
      if (J < 0) J = N;
      A.Value = Text.mid(V, J - V);
      I = J;
    }
    Result.push_back(A);
  }
  return Result;
}

QString QuoteOdbcValue(const QString& Value)
{
  QString R = Value;
  R.replace(u'}', QLatin1String("}}"));
  return u'{' + R + u'}';
}

static bool IsPasswordKey(const QString& Key)
{
  return Key.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0 ||
         Key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0;
}

// The driver reads a value up to the next ';' and keeps it literally unless it
// starts with '{'; the driver manager trims nothing either.
static bool DriverReadsPlain(const QString& Value)
{
  return !Value.contains(u';') && !Value.startsWith(u'{');
}

QString BuildOdbcConnectionString(const std::vector<TConnAttr>& Attrs)
{
  QString R;
  for (const TConnAttr& A : Attrs) {
    const QString Key = A.Key.trimmed();
    if (Key.isEmpty() || Key.contains(u'=') || Key.contains(u';') || Key.contains(u'{'))
      throw EOleException(QStringLiteral("Connection string: invalid attribute name \"%1\"").arg(Key));
    R += Key + u'=';
    const bool Driver = Key.compare(QLatin1String("DRIVER"), Qt::CaseInsensitive) == 0;
    if (IsPasswordKey(Key) || Driver || !DriverReadsPlain(A.Value))
      R += QuoteOdbcValue(A.Value);
    else
      R += A.Value;
    R += u';';
  }
  return R;
}

// ---------------------------------------------------------------------------
// Diagnostics

struct TDiag {
  QString State;
  QString Text;
  int Native = 0;
};

static std::vector<TDiag> Diagnostics(SQLSMALLINT Type, SQLHANDLE Handle)
{
  std::vector<TDiag> All;
  if (!Handle)
    return All;
  SQLWCHAR State[6] = {};
  std::vector<SQLWCHAR> Text(4096);
  SQLINTEGER Native = 0;
  SQLSMALLINT Len = 0;
  for (SQLSMALLINT I = 1;; ++I) {
    SQLRETURN Rc = SQLGetDiagRecW(Type, Handle, I, State, &Native, Text.data(), SQLSMALLINT(Text.size()), &Len);
    if (!SQL_SUCCEEDED(Rc))
      break;
    TDiag D;
    D.State = FromW(State, 5);
    D.Text = FromW(Text.data(), std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(Len, 0)), Text.size() - 1));
    D.Native = int(Native);
    All.push_back(D);
  }
  return All;
}

// The driver appends its own context to the server's text; the user sees the
// server's message.
static QString CleanMessage(QString Text)
{
  Text = Text.trimmed();
  for (const char* Tail : {";\nError while executing the query", "\nError while executing the query",
                           ";\nError while preparing parameters"}) {
    if (Text.endsWith(QLatin1String(Tail)))
      Text.chop(qsizetype(std::strlen(Tail)));
  }
  return Text.trimmed();
}

void TConnection::RaiseError(short HandleType, void* Handle, const QString& Context)
{
  auto Diags = Diagnostics(HandleType, Handle);
  QString Msg, State;
  int Native = 0;
  bool Lost = false;
  for (const TDiag& D : Diags) {
    if (D.State == QLatin1String("01000") || D.State == QLatin1String("01004"))
      continue;   // warnings
    Lost = Lost || IsConnectionLoss(D.State, D.Text);
    if (Msg.isEmpty()) {
      Msg = CleanMessage(D.Text);
      State = D.State;
      Native = D.Native;
    }
  }
  if (Msg.isEmpty())
    Msg = Context.isEmpty() ? QStringLiteral("Unknown ODBC error") : Context;
  if (FInTransaction) {
    FTransactionFailed = true;
    FFailure = Msg;
  }
  if (Lost)
    throw EConnectionLost(Msg, QStringLiteral("Microsoft OLE DB Provider for ODBC Drivers"), State, Native);
  throw EOleException(Msg, QStringLiteral("Microsoft OLE DB Provider for ODBC Drivers"), State, Native);
}

static bool Ok(SQLRETURN Rc) { return Rc == SQL_SUCCESS || Rc == SQL_SUCCESS_WITH_INFO; }

// ---------------------------------------------------------------------------
// Connection

TConnection::TConnection() = default;

TConnection::~TConnection()
{
  try {
    Close();
  } catch (...) {
  }
}

void TConnection::Open(const QString& ConnectionString)
{
  Close();
  SQLHENV Env = SQL_NULL_HENV;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &Env)))
    throw EOleException(QStringLiteral("Cannot allocate the ODBC environment"));
  SQLSetEnvAttr(Env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  FEnv = Env;
  SQLHDBC Dbc = SQL_NULL_HDBC;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_DBC, Env, &Dbc))) {
    SQLFreeHandle(SQL_HANDLE_ENV, Env);
    FEnv = nullptr;
    throw EOleException(QStringLiteral("Cannot allocate an ODBC connection"));
  }
  FDbc = Dbc;
  SQLSMALLINT OutLen = 0;
  SQLRETURN Rc = SQLDriverConnectW(Dbc, nullptr, const_cast<SQLWCHAR*>(W(ConnectionString)), SQL_NTS, nullptr,
                                   0, &OutLen, SQL_DRIVER_NOPROMPT);
  if (!Ok(Rc)) {
    auto Diags = Diagnostics(SQL_HANDLE_DBC, Dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, Dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, Env);
    FDbc = FEnv = nullptr;
    QString Msg = Diags.empty() ? QStringLiteral("Cannot connect to the database") : CleanMessage(Diags[0].Text);
    throw EOleException(Msg, QStringLiteral("Microsoft OLE DB Provider for ODBC Drivers"),
                        Diags.empty() ? QStringLiteral("08001") : Diags[0].State);
  }
  FConnected = true;
  FInTransaction = false;
  FTransactionFailed = false;
}

void TConnection::Close()
{
  if (FDbc) {
    if (FConnected) {
      if (FInTransaction)
        SQLEndTran(SQL_HANDLE_DBC, FDbc, SQL_ROLLBACK);
      SQLDisconnect(FDbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, FDbc);
    FDbc = nullptr;
  }
  if (FEnv) {
    SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
    FEnv = nullptr;
  }
  FConnected = false;
  FInTransaction = false;
  FTransactionFailed = false;
}

static void CheckConnected(bool Connected)
{
  if (!Connected)
    throw EOleException(QStringLiteral("Operation is not allowed when the object is closed"));
}

void TConnection::BeginTrans()
{
  CheckConnected(FConnected);
  if (FInTransaction)
    throw EOleException(QStringLiteral("A transaction is already active on this connection"));
  if (!Ok(SQLSetConnectAttrW(FDbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
    RaiseError(SQL_HANDLE_DBC, FDbc, QStringLiteral("Cannot start a transaction"));
  FInTransaction = true;
  FTransactionFailed = false;
  FFailure.clear();
}

void TConnection::CommitTrans()
{
  CheckConnected(FConnected);
  if (!FInTransaction)
    throw EOleException(QStringLiteral("No transaction is active"));
  // The server turns COMMIT of a failed transaction into a rollback without
  // an error; the caller must learn that nothing was written.
  const bool Failed = FTransactionFailed;
  const QString Failure = FFailure;
  SQLRETURN Rc = SQLEndTran(SQL_HANDLE_DBC, FDbc, Failed ? SQL_ROLLBACK : SQL_COMMIT);
  FInTransaction = false;
  FTransactionFailed = false;
  SQLSetConnectAttrW(FDbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
  if (!Ok(Rc))
    RaiseError(SQL_HANDLE_DBC, FDbc, QStringLiteral("Commit failed"));
  if (Failed)
    throw EOleException(QStringLiteral("The transaction was rolled back after an error: %1").arg(Failure));
}

void TConnection::RollbackTrans()
{
  CheckConnected(FConnected);
  if (!FInTransaction)
    throw EOleException(QStringLiteral("No transaction is active"));
  SQLRETURN Rc = SQLEndTran(SQL_HANDLE_DBC, FDbc, SQL_ROLLBACK);
  FInTransaction = false;
  FTransactionFailed = false;
  SQLSetConnectAttrW(FDbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
  if (!Ok(Rc))
    RaiseError(SQL_HANDLE_DBC, FDbc, QStringLiteral("Rollback failed"));
}

// ---------------------------------------------------------------------------
// Statements

namespace {

// Owns a statement handle for the length of one execution.
struct TStmtGuard {
  SQLHSTMT H = SQL_NULL_HSTMT;
  ~TStmtGuard()
  {
    if (H) {
      SQLFreeStmt(H, SQL_CLOSE);
      SQLFreeHandle(SQL_HANDLE_STMT, H);
    }
  }
};

// Bound storage of one parameter; kept alive until the statement ran.
struct TParamBuffer {
  SQLLEN Ind = 0;
  std::int32_t I32 = 0;
  std::int64_t I64 = 0;
  double Dbl = 0;
  unsigned char Bit = 0;
  SQL_DATE_STRUCT Date{};
  SQL_TIME_STRUCT Time{};
  SQL_TIMESTAMP_STRUCT Ts{};
  QString Text;
  QByteArray Ascii;
  QByteArray Bytes;
};

TValueKind KindOfColumn(SQLSMALLINT SqlType, SQLULEN Size, SQLSMALLINT Scale)
{
  switch (SqlType) {
  case SQL_BIT: return TValueKind::Boolean;
  case SQL_TINYINT:
  case SQL_SMALLINT:
  case SQL_INTEGER: return TValueKind::Int32;
  case SQL_BIGINT: return TValueKind::Int64;
  case SQL_REAL:
  case SQL_FLOAT:
  case SQL_DOUBLE: return TValueKind::Double;
  case SQL_NUMERIC:
  case SQL_DECIMAL:
    // what fits a 64-bit integer with four decimals is kept as such
    if (Scale <= 4 && SQLLEN(Size) - Scale <= 15)
      return TValueKind::Currency;
    return TValueKind::Decimal;
  case SQL_TYPE_DATE:
  case SQL_DATE: return TValueKind::Date;
  case SQL_TYPE_TIME:
  case SQL_TIME: return TValueKind::Time;
  case SQL_TYPE_TIMESTAMP:
  case SQL_TIMESTAMP: return TValueKind::DateTime;
  case SQL_BINARY:
  case SQL_VARBINARY:
  case SQL_LONGVARBINARY: return TValueKind::Binary;
  case SQL_CHAR:
  case SQL_VARCHAR:
  case SQL_LONGVARCHAR: return TValueKind::AnsiText;
  default: return TValueKind::WideText;
  }
}

QString ColAttrText(SQLHSTMT H, SQLUSMALLINT Col, SQLUSMALLINT Field)
{
  SQLWCHAR Buf[512] = {};
  SQLSMALLINT Len = 0;
  if (!Ok(SQLColAttributeW(H, Col, Field, Buf, sizeof(Buf), &Len, nullptr)))
    return QString();
  return FromW(Buf, std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(Len, 0)) / sizeof(SQLWCHAR), 511));
}

SQLLEN ColAttrNum(SQLHSTMT H, SQLUSMALLINT Col, SQLUSMALLINT Field)
{
  SQLLEN N = 0;
  if (!Ok(SQLColAttributeW(H, Col, Field, nullptr, 0, nullptr, &N)))
    return 0;
  return N;
}

}  // namespace

// Binds the parameters; the buffers must outlive the execution.
static void BindParams(TConnection& Conn, SQLHSTMT H, const std::vector<TParam>& Params,
                       std::vector<TParamBuffer>& Bufs)
{
  Bufs.resize(Params.size());
  for (std::size_t I = 0; I < Params.size(); ++I) {
    const TParam& P = Params[I];
    TParamBuffer& B = Bufs[I];
    const TValue& V = P.Value;
    const bool Null = V.IsNull();
    B.Ind = Null ? SQL_NULL_DATA : 0;
    SQLSMALLINT CType = SQL_C_WCHAR, SqlType = SQL_WVARCHAR;
    SQLULEN ColSize = 0;
    SQLSMALLINT Digits = 0;
    SQLPOINTER Ptr = nullptr;
    SQLLEN BufLen = 0;
    const TValueKind Kind = Null ? P.DeclaredKind : V.Kind;
    switch (Kind) {
    case TValueKind::Boolean:
      CType = SQL_C_BIT; SqlType = SQL_BIT; B.Bit = V.Bool || V.Int ? 1 : 0; Ptr = &B.Bit;
      break;
    case TValueKind::Int32:
      CType = SQL_C_SLONG; SqlType = SQL_INTEGER; B.I32 = std::int32_t(V.Int); Ptr = &B.I32;
      break;
    case TValueKind::Int64:
      CType = SQL_C_SBIGINT; SqlType = SQL_BIGINT; B.I64 = V.Int; Ptr = &B.I64;
      break;
    case TValueKind::Double:
      CType = SQL_C_DOUBLE; SqlType = SQL_DOUBLE; B.Dbl = V.Dbl; Ptr = &B.Dbl;
      break;
    case TValueKind::Currency:
    case TValueKind::Decimal: {
      CType = SQL_C_CHAR; SqlType = SQL_NUMERIC;
      B.Ascii = (Kind == TValueKind::Currency && !Null ? CurrencyToText(V.Int) : V.Text).toLatin1();
      ColSize = SQLULEN(P.Size > 0 ? P.Size : 28);
      Digits = SQLSMALLINT(Kind == TValueKind::Currency ? 4 : std::max(V.Scale, 0));
      Ptr = B.Ascii.data();
      BufLen = B.Ascii.size();
      if (!Null) B.Ind = B.Ascii.size();
      break;
    }
    case TValueKind::Date: {
      CType = SQL_C_TYPE_DATE; SqlType = SQL_TYPE_DATE; ColSize = 10;
      int Y, M, D, Hh, Mi, S; unsigned Ns;
      DecodeDateTime(V.Dbl, Y, M, D, Hh, Mi, S, Ns);
      B.Date = {SQLSMALLINT(Y), SQLUSMALLINT(M), SQLUSMALLINT(D)};
      Ptr = &B.Date;
      break;
    }
    case TValueKind::Time: {
      CType = SQL_C_TYPE_TIME; SqlType = SQL_TYPE_TIME; ColSize = 8;
      int Y, M, D, Hh, Mi, S; unsigned Ns;
      DecodeDateTime(V.Dbl, Y, M, D, Hh, Mi, S, Ns);
      B.Time = {SQLUSMALLINT(Hh), SQLUSMALLINT(Mi), SQLUSMALLINT(S)};
      Ptr = &B.Time;
      break;
    }
    case TValueKind::DateTime: {
      CType = SQL_C_TYPE_TIMESTAMP; SqlType = SQL_TYPE_TIMESTAMP; ColSize = 23; Digits = 3;
      int Y, M, D, Hh, Mi, S; unsigned Ns;
      DecodeDateTime(V.Dbl, Y, M, D, Hh, Mi, S, Ns);
      B.Ts = {SQLSMALLINT(Y), SQLUSMALLINT(M), SQLUSMALLINT(D), SQLUSMALLINT(Hh), SQLUSMALLINT(Mi),
              SQLUSMALLINT(S), SQLUINTEGER(Ns)};
      Ptr = &B.Ts;
      break;
    }
    case TValueKind::Binary:
      CType = SQL_C_BINARY; SqlType = SQL_LONGVARBINARY;
      B.Bytes = V.Bytes;
      Ptr = B.Bytes.data();
      BufLen = B.Bytes.size();
      ColSize = SQLULEN(std::max<qsizetype>(B.Bytes.size(), 1));
      if (!Null) B.Ind = B.Bytes.size();
      break;
    case TValueKind::AnsiText:
    case TValueKind::WideText:
    case TValueKind::Null:
    default:
      CType = SQL_C_WCHAR; SqlType = SQL_WVARCHAR;
      B.Text = V.Text;
      Ptr = const_cast<char16_t*>(reinterpret_cast<const char16_t*>(B.Text.utf16()));
      BufLen = SQLLEN(B.Text.size()) * 2;
      ColSize = SQLULEN(std::max<qsizetype>({B.Text.size(), qsizetype(P.Size), 1}));
      if (!Null) B.Ind = BufLen;
      break;
    }
    SQLRETURN Rc = SQLBindParameter(H, SQLUSMALLINT(I + 1), SQL_PARAM_INPUT, CType, SqlType, ColSize, Digits,
                                    Ptr, BufLen, &B.Ind);
    if (!Ok(Rc))
      Conn.RaiseError(SQL_HANDLE_STMT, H, QStringLiteral("Cannot bind parameter %1").arg(I + 1));
  }
}

// Describes the columns of a result.
static std::vector<TColumn> DescribeColumns(SQLHSTMT H, SQLSMALLINT Count)
{
  std::vector<TColumn> Cols;
  for (SQLSMALLINT C = 1; C <= Count; ++C) {
    SQLWCHAR Name[512] = {};
    SQLSMALLINT NameLen = 0, Type = 0, Scale = 0, Nullable = 0;
    SQLULEN Size = 0;
    SQLDescribeColW(H, SQLUSMALLINT(C), Name, 511, &NameLen, &Type, &Size, &Scale, &Nullable);
    TColumn Col;
    Col.Name = FromW(Name, std::size_t(std::min<SQLSMALLINT>(NameLen, 511)));
    Col.SqlType = Type;
    Col.Size = std::int64_t(Size);
    Col.Scale = Scale;
    Col.Nullable = Nullable != SQL_NO_NULLS;
    Col.AutoIncrement = ColAttrNum(H, SQLUSMALLINT(C), SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE;
    Col.BaseTable = ColAttrText(H, SQLUSMALLINT(C), SQL_DESC_BASE_TABLE_NAME);
    if (!Col.BaseTable.isEmpty())
      Col.BaseSchema = ColAttrText(H, SQLUSMALLINT(C), SQL_DESC_SCHEMA_NAME);
    Col.BaseColumn = ColAttrText(H, SQLUSMALLINT(C), SQL_DESC_BASE_COLUMN_NAME);
    Col.Kind = KindOfColumn(Type, Size, Scale);
    const bool LongType = Type == SQL_LONGVARCHAR || Type == SQL_WLONGVARCHAR || Type == SQL_LONGVARBINARY;
    const bool TextLike = Col.Kind == TValueKind::AnsiText || Col.Kind == TValueKind::WideText;
    Col.Long = Col.Kind == TValueKind::Binary || LongType || (TextLike && (Size == 0 || Size > 1000));
    Cols.push_back(Col);
  }
  return Cols;
}

namespace {

// Column-wise bound block of rows.
struct TBoundColumn {
  int Col = 0;
  SQLSMALLINT CType = 0;
  SQLLEN Width = 0;               // bytes per row
  std::vector<char> Data;
  std::vector<SQLLEN> Ind;
};

SQLLEN TextUnitsFor(const TColumn& C)
{
  // characters of the server may need two UTF-16 units each
  return SQLLEN(std::max<std::int64_t>(C.Size, 1)) * 2 + 1;
}

// Dates and times come as the driver's text: its date structures turn a
// value they cannot hold (infinity, years past 9999) into another date,
// while its text shows the damage ("0000-00-00").
constexpr SQLLEN DateTextWidth = 64;

}  // namespace

static bool ReadNumber(const char*& P, const char* E, int Digits, int& Out)
{
  Out = 0;
  const char* Start = P;
  while (P < E && *P >= '0' && *P <= '9' && (Digits == 0 || P - Start < Digits))
    Out = Out * 10 + (*P++ - '0');
  return P > Start && (Digits == 0 || P - Start == Digits) && P - Start <= 9;
}

static bool Skip(const char*& P, const char* E, char C)
{
  if (P >= E || *P != C)
    return false;
  ++P;
  return true;
}

// "HH:MM:SS[.fraction]" into a day fraction.
static bool ParseTimeText(const char*& P, const char* E, double& Out)
{
  int H = 0, Mi = 0, S = 0;
  if (!ReadNumber(P, E, 2, H) || !Skip(P, E, ':') || !ReadNumber(P, E, 2, Mi) || !Skip(P, E, ':') ||
      !ReadNumber(P, E, 2, S) || H > 24 || Mi > 59 || S > 60)
    return false;
  unsigned Nanos = 0;
  if (Skip(P, E, '.')) {
    unsigned Scale = 100000000;
    for (; P < E && *P >= '0' && *P <= '9'; ++P, Scale /= 10)
      Nanos += unsigned(*P - '0') * Scale;
  }
  Out = EncodeTime(H, Mi, S, Nanos);
  return true;
}

// The driver's text of a date, time or date-time ("2024-02-29 13:45:10.25",
// "0044-03-15 BC", a zone offset after a time) as a TDateTime.
static bool ParseDateTimeText(const char* P, std::size_t Len, TValueKind Kind, double& Out)
{
  const char* E = P + Len;
  if (Kind == TValueKind::Time)
    return ParseTimeText(P, E, Out);
  int Y = 0, M = 0, D = 0;
  if (!ReadNumber(P, E, 0, Y) || !Skip(P, E, '-') || !ReadNumber(P, E, 2, M) || !Skip(P, E, '-') ||
      !ReadNumber(P, E, 2, D))
    return false;
  double Time = 0;
  if (Kind == TValueKind::DateTime && E - P > 1 && *P == ' ' && P[1] >= '0' && P[1] <= '9') {
    ++P;
    if (!ParseTimeText(P, E, Time))
      return false;
  }
  if (P < E && (*P == '+' || *P == '-'))   // zone offset: the time is already the session's
    while (P < E && *P != ' ') ++P;
  if (E - P == 3 && std::memcmp(P, " BC", 3) == 0) {
    Y = -Y;   // QDate counts 1 BC as year -1, as the server writes it
    P = E;
  }
  const QDate Date(Y, M, D);
  if (P != E || !Date.isValid())
    return false;
  Out = Combine(double(Date.toJulianDay() - JulianDayOf18991230), Time);
  return true;
}

// A column's cell as the driver's narrow text: numbers, booleans, dates.
static void StoreCharCell(TRowStore& Store, int Row, int Col, const char* P, std::size_t Len)
{
  const TColumn& C = Store.Column(Col);
  switch (C.Kind) {
  case TValueKind::Currency: {
    std::int64_t Scaled = 0;
    if (!ParseCurrencyUnits(P, P + Len, Scaled))
      throw EDatabaseError(QStringLiteral("Field '%1' holds a number the program cannot represent: %2")
                             .arg(C.Name, QString::fromLatin1(P, qsizetype(Len))));
    Store.SetIntFast(Row, Col, Scaled);
    break;
  }
  case TValueKind::Boolean:
    Store.SetIntFast(Row, Col, Len > 0 && (P[0] == '1' || P[0] == 't' || P[0] == 'T'));
    break;
  case TValueKind::Date:
  case TValueKind::Time:
  case TValueKind::DateTime: {
    double V = 0;
    if (!ParseDateTimeText(P, Len, C.Kind, V))
      throw EDatabaseError(QStringLiteral("Field '%1' holds a date the program cannot represent: %2")
                             .arg(C.Name, QString::fromLatin1(P, qsizetype(Len))));
    Store.SetDoubleFast(Row, Col, V);
    break;
  }
  default: Store.SetAsciiFast(Row, Col, P, Len); break;
  }
}

// Stores a bound cell; false when the driver had more than the width holds.
static bool StoreBound(TRowStore& Store, int Row, const TBoundColumn& B, std::size_t I)
{
  const SQLLEN Ind = B.Ind[I];
  if (Ind == SQL_NULL_DATA) {
    Store.SetNullFast(Row, B.Col);
    return true;
  }
  const char* P = B.Data.data() + I * std::size_t(B.Width);
  switch (B.CType) {
  case SQL_C_SLONG: Store.SetIntFast(Row, B.Col, *reinterpret_cast<const std::int32_t*>(P)); break;
  case SQL_C_SBIGINT: Store.SetIntFast(Row, B.Col, *reinterpret_cast<const std::int64_t*>(P)); break;
  case SQL_C_DOUBLE: Store.SetDoubleFast(Row, B.Col, *reinterpret_cast<const double*>(P)); break;
  case SQL_C_CHAR:
    if (Ind == SQL_NO_TOTAL || Ind > B.Width - 1)
      return false;
    StoreCharCell(Store, Row, B.Col, P, std::size_t(Ind));
    break;
  case SQL_C_WCHAR:
    if (Ind == SQL_NO_TOTAL || Ind > B.Width - 2)
      return false;
    Store.SetTextFast(Row, B.Col, reinterpret_cast<const char16_t*>(P), std::size_t(Ind) / 2);
    break;
  }
  return true;
}

namespace {

// Reads single cells of the current rowset with SQLGetData: the long columns,
// and bound cells longer than the width the driver announced. One buffer
// serves every piece of every cell.
class TCellReader {
public:
  TCellReader(TConnection& Conn, SQLHSTMT H) : FConn(Conn), FH(H) {}

  void Position(SQLULEN RowInBlock)
  {
    if (!Ok(SQLSetPos(FH, SQLSETPOSIROW(RowInBlock + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE)))
      FConn.RaiseError(SQL_HANDLE_STMT, FH, QStringLiteral("Cannot position on a fetched row"));
  }

  void Read(TRowStore& Store, int Row, int Col)
  {
    const TColumn& C = Store.Column(Col);
    const bool Binary = C.Kind == TValueKind::Binary;
    const SQLSMALLINT CType = Binary ? SQL_C_BINARY : SQL_C_WCHAR;
    const std::size_t Room = Binary ? PieceBytes : PieceBytes - 2;
    if (!FPiece)
      FPiece.reset(new char[PieceBytes]);   // written by the driver before it is read
    FBytes.clear();
    for (bool First = true;; First = false) {
      SQLLEN Ind = 0;
      const SQLRETURN Rc = SQLGetData(FH, SQLUSMALLINT(Col + 1), CType, FPiece.get(), SQLLEN(PieceBytes), &Ind);
      if (Rc == SQL_NO_DATA)
        break;
      if (!Ok(Rc))
        FConn.RaiseError(SQL_HANDLE_STMT, FH, QStringLiteral("Cannot read column %1").arg(C.Name));
      if (Ind == SQL_NULL_DATA) {
        Store.SetNullFast(Row, Col);
        if (Binary)
          Store.SetValue(Row, Col, TValue());
        return;
      }
      const bool Whole = Rc == SQL_SUCCESS && Ind != SQL_NO_TOTAL && std::size_t(Ind) <= Room;
      const std::size_t Got = Whole ? std::size_t(Ind) : Room;
      if (First && Whole)   // the common case: one piece, stored from the buffer
        return StorePiece(Store, Row, Col, FPiece.get(), Got);
      FBytes.append(FPiece.get(), qsizetype(Got));
      if (Whole)
        break;
    }
    StorePiece(Store, Row, Col, FBytes.constData(), std::size_t(FBytes.size()));
  }

private:
  static constexpr std::size_t PieceBytes = 32768;

  static void StorePiece(TRowStore& Store, int Row, int Col, const char* P, std::size_t Bytes)
  {
    const TColumn& C = Store.Column(Col);
    if (C.Kind == TValueKind::Binary)
      return Store.SetValue(Row, Col, TValue::FromBytes(QByteArray(P, qsizetype(Bytes))));
    const auto* Text = reinterpret_cast<const char16_t*>(P);
    const std::size_t Units = Bytes / 2;
    if (C.Kind == TValueKind::AnsiText || C.Kind == TValueKind::WideText || C.Kind == TValueKind::Decimal)
      return Store.SetTextFast(Row, Col, Text, Units);
    const QByteArray Narrow = QStringView(Text, qsizetype(Units)).toLatin1();
    StoreCharCell(Store, Row, Col, Narrow.constData(), std::size_t(Narrow.size()));
  }

  TConnection& FConn;
  SQLHSTMT FH;
  std::unique_ptr<char[]> FPiece;
  QByteArray FBytes;
};

}  // namespace

// Long texts are bound this wide (UTF-16 units): most notes and comments
// fit and come with their block; the longer ones are read again whole.
constexpr SQLLEN LongTextBindUnits = 256;

// Binds every column but the binary ones for a block of rows.
static std::vector<TBoundColumn> BindBlock(TConnection& Conn, SQLHSTMT H, const TRowStore& Store, SQLULEN Block)
{
  std::vector<TBoundColumn> Bound;
  for (int C = 0; C < Store.ColumnCount(); ++C) {
    const TColumn& Col = Store.Column(C);
    if (Col.Kind == TValueKind::Binary)
      continue;
    TBoundColumn B;
    B.Col = C;
    switch (Col.Kind) {
    // fixed-size kinds are laid out by the size of their C type
    case TValueKind::Int32: B.CType = SQL_C_SLONG; B.Width = 4; break;
    case TValueKind::Int64: B.CType = SQL_C_SBIGINT; B.Width = 8; break;
    case TValueKind::Double: B.CType = SQL_C_DOUBLE; B.Width = 8; break;
    case TValueKind::Date:
    case TValueKind::Time:
    case TValueKind::DateTime: B.CType = SQL_C_CHAR; B.Width = DateTextWidth; break;
    case TValueKind::Boolean:
    case TValueKind::Currency:
    case TValueKind::Decimal: B.CType = SQL_C_CHAR; B.Width = 64; break;
    default: B.CType = SQL_C_WCHAR; B.Width = (Col.Long ? LongTextBindUnits : TextUnitsFor(Col)) * 2; break;
    }
    B.Data.resize(std::size_t(B.Width) * Block);
    B.Ind.resize(Block);
    if (!Ok(SQLBindCol(H, SQLUSMALLINT(C + 1), B.CType, B.Data.data(), B.Width, B.Ind.data())))
      Conn.RaiseError(SQL_HANDLE_STMT, H, QStringLiteral("Cannot bind a result column"));
    Bound.push_back(std::move(B));
  }
  return Bound;
}

// Fetches in blocks of bound rows; binary cells and cells the binding could
// not hold whole are read one by one with SQLGetData.
static std::unique_ptr<TRowStore> FetchAll(TConnection& Conn, SQLHSTMT H, SQLSMALLINT ColCount)
{
  auto Store = std::make_unique<TRowStore>(DescribeColumns(H, ColCount));
  const int N = Store->ColumnCount();
  std::vector<char> ReadCol(std::size_t(N), 0);   // per row: columns read one by one
  bool AnyBinary = false;
  for (int C = 0; C < N; ++C)
    AnyBinary = AnyBinary || Store->Column(C).Kind == TValueKind::Binary;
  const SQLULEN Block = FetchBlockRows;
  SQLULEN Fetched = 0;
  SQLSetStmtAttr(H, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
  SQLSetStmtAttr(H, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(Block), 0);
  SQLSetStmtAttr(H, SQL_ATTR_ROWS_FETCHED_PTR, &Fetched, 0);
  const std::vector<TBoundColumn> Bound = BindBlock(Conn, H, *Store, Block);
  TCellReader Reader(Conn, H);
  SQLLEN Expected = 0;
  if (Ok(SQLRowCount(H, &Expected)) && Expected > 0)
    Store->ReserveRows(int(std::min<SQLLEN>(Expected, INT32_MAX / 2)));
  for (;;) {
    SQLRETURN Rc = SQLFetch(H);
    if (Rc == SQL_NO_DATA)
      break;
    if (!Ok(Rc))
      Conn.RaiseError(SQL_HANDLE_STMT, H, QStringLiteral("Fetch failed"));
    for (SQLULEN I = 0; I < Fetched; ++I) {
      const int Row = Store->AppendRow();
      bool Partial = AnyBinary;
      for (const TBoundColumn& B : Bound) {
        const bool Whole = StoreBound(*Store, Row, B, I);
        ReadCol[std::size_t(B.Col)] = !Whole;
        Partial = Partial || !Whole;
      }
      if (!Partial)
        continue;
      Reader.Position(I);
      for (int C = 0; C < N; ++C)   // in column order, as SQLGetData wants
        if (Store->Column(C).Kind == TValueKind::Binary || ReadCol[std::size_t(C)])
          Reader.Read(*Store, Row, C);
    }
  }
  Store->ShrinkToFit();
  return Store;
}

std::unique_ptr<TRowStore> TConnection::Execute(const QString& OdbcSql, const std::vector<TParam>& Params,
                                                std::int64_t* RowsAffected)
{
  CheckConnected(FConnected);
  if (RowsAffected)
    *RowsAffected = -1;
  TStmtGuard Stmt;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, FDbc, &Stmt.H)))
    RaiseError(SQL_HANDLE_DBC, FDbc, QStringLiteral("Cannot allocate a statement"));
  std::vector<TParamBuffer> Bufs;
  SQLRETURN Rc;
  if (Params.empty()) {
    Rc = SQLExecDirectW(Stmt.H, const_cast<SQLWCHAR*>(W(OdbcSql)), SQL_NTS);
  } else {
    if (!Ok(SQLPrepareW(Stmt.H, const_cast<SQLWCHAR*>(W(OdbcSql)), SQL_NTS)))
      RaiseError(SQL_HANDLE_STMT, Stmt.H, QStringLiteral("Cannot prepare the statement"));
    BindParams(*this, Stmt.H, Params, Bufs);
    Rc = SQLExecute(Stmt.H);
  }
  if (Rc != SQL_NO_DATA && !Ok(Rc))
    RaiseError(SQL_HANDLE_STMT, Stmt.H, QStringLiteral("The statement failed"));
  // The first result that has columns is the answer; a batch may start with
  // statements that return none.
  for (;;) {
    SQLSMALLINT Cols = 0;
    SQLNumResultCols(Stmt.H, &Cols);
    if (Cols > 0)
      return FetchAll(*this, Stmt.H, Cols);
    if (RowsAffected) {
      SQLLEN N = -1;
      if (Ok(SQLRowCount(Stmt.H, &N)))
        *RowsAffected = N;
    }
    Rc = SQLMoreResults(Stmt.H);
    if (Rc == SQL_NO_DATA)
      break;
    if (!Ok(Rc))
      RaiseError(SQL_HANDLE_STMT, Stmt.H, QStringLiteral("The statement failed"));
  }
  return nullptr;
}

}  // namespace odbc
