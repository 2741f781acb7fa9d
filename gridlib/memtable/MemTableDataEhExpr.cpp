// MemTableDataEhExpr.cpp: the dataset expression evaluator: runs the
// expression code of a filter against one record, or of an aggregate over a
// walk of records.
#include "gridlib/memtable/MemTableDataEh.h"

#include "gridlib/foundation/GridPlatformEh.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <type_traits>
#include <unordered_map>

namespace {

// An integer stored little-endian, whatever the machine's order.
template <class T>
T LoadLE(const char* P)
{
  if constexpr (std::endian::native == std::endian::little) {
    T R;   // a filter reads its code once a record: no byte loop where the order is the machine's
    std::memcpy(&R, P, sizeof R);
    return R;
  }
  std::uint64_t V = 0;
  for (int I = int(sizeof(T)) - 1; I >= 0; --I)
    V = (V << 8) | std::uint8_t(P[I]);
  const std::make_unsigned_t<T> U = static_cast<std::make_unsigned_t<T>>(V);
  T R;
  std::memcpy(&R, &U, sizeof R);
  return R;
}

[[noreturn]] void Unsupported(std::uint32_t NodeClass, std::uint32_t Operator)
{
  throw Exception(QStringLiteral("Operator <%1:%2> not supported.").arg(NodeClass).arg(Operator));
}

[[noreturn]] void BadCode()
{
  throw Exception(QStringLiteral("The expression code is damaged."));
}

// The field type each storage code stands for (codes 0 to 29).
constexpr TFieldType StorageTypes[] = {
  ftUnknown, ftString, ftDate, ftBlob, ftBoolean, ftSmallint, ftInteger, ftFloat, ftBCD, ftBytes,
  ftTime, ftDateTime, ftWord, ftInteger, ftUnknown, ftVarBytes, ftUnknown, ftUnknown, ftLargeint, ftLargeint,
  ftADT, ftArray, ftReference, ftDataSet, ftTimeStamp, ftFMTBcd, ftWideString, ftSingle, ftShortint, ftByte,
};

TDateTime FromTimeStampMSecs(double MSecs)
{
  const double Days = std::floor(MSecs / MSecsPerDay);
  const double Time = (MSecs - Days * MSecsPerDay) / MSecsPerDay;
  const double D = Days - DateDelta;
  return TDateTime(D < 0 ? D - Time : D + Time);
}

bool IsText(const Variant& V) { return VarIsStr(V); }

bool IsWideText(const Variant& V) { return V.VType() == varUString || V.VType() == varOleStr; }

// The text comparison of =, <>, ordering and in: the program's text order,
// over the first Partial characters when Partial > 0.
int CompareTexts(const Variant& A, const Variant& B, int Partial, bool IgnoreCase)
{
  const String SA = VarToStr(A), SB = VarToStr(B);
  return IsWideText(A) || IsWideText(B) ? WideStrCompareLocaleEh(SA, SB, Partial, IgnoreCase)
                                         : StrCompareLocaleEh(SA, SB, Partial, IgnoreCase);
}

// A Null equals only a Null, also beside a text: name = '' does not take
// the records whose name is missing.
bool ValuesEqual(const Variant& A, const Variant& B, int Partial, bool IgnoreCase)
{
  if (A.IsNull() || B.IsNull())
    return A.IsNull() && B.IsNull();
  if (IsText(A) || IsText(B))
    return CompareTexts(A, B, Partial, IgnoreCase) == 0;
  if (A.VType() == varDate && B.VType() == varDate)
    return TruncDateTimeToSecondsEh(A.AsDateTime()) == TruncDateTimeToSecondsEh(B.AsDateTime());
  return A == B;
}

// A missing value has no text to match, not even '%'.
bool Like(const Variant& Text, const Variant& Pattern, bool IgnoreCase)
{
  return !Text.IsNull() && !Pattern.IsNull() && FilterLikeMatch(VarToStr(Text), VarToStr(Pattern), IgnoreCase);
}

bool Truth(const Variant& V) { return !V.IsNull() && !V.IsEmpty() && V.AsBoolean(); }

// How the variant rules order two numbers: both whole numbers of a signed
// kind as integers, one of them a float or a date as doubles. Other pairs
// (unsigned, Currency beside a whole number, Booleans) are left to them.
enum class TNumOrder { None, Int, Float };

TNumOrder NumOrderOfTag(TRecValuesEh::TTag T)
{
  switch (T) {
  case TRecValuesEh::tShortInt: case TRecValuesEh::tByte: case TRecValuesEh::tSmallint: case TRecValuesEh::tWord:
  case TRecValuesEh::tInteger: case TRecValuesEh::tLongWord: case TRecValuesEh::tInt64:
    return TNumOrder::Int;
  case TRecValuesEh::tSingle: case TRecValuesEh::tDouble: case TRecValuesEh::tDate:
    return TNumOrder::Float;
  default:
    return TNumOrder::None;
  }
}

TNumOrder NumOrderOfKind(TVarType T)
{
  switch (T) {
  case varShortInt: case varByte: case varSmallint: case varWord: case varInteger: case varLongWord: case varInt64:
    return TNumOrder::Int;
  case varSingle: case varDouble: case varDate:
    return TNumOrder::Float;
  default:
    return TNumOrder::None;
  }
}

template <class T>
int Sign3(T A, T B)
{
  return A < B ? -1 : B < A ? 1 : 0;
}

bool HoldsFor(std::uint32_t Op, int C)
{
  switch (Op) {
  case coEQ: return C == 0;
  case coNE: return C != 0;
  case coGT: return C > 0;
  case coLT: return C < 0;
  case coGE: return C >= 0;
  default: return C <= 0;   // coLE
  }
}

// The operator that holds for (b, a) when Op holds for (a, b).
std::uint32_t Mirrored(std::uint32_t Op)
{
  switch (Op) {
  case coGT: return coLT;
  case coLT: return coGT;
  case coGE: return coLE;
  case coLE: return coGE;
  default: return Op;
  }
}

class TEvaluator {
public:
  TEvaluator(const TExprData& Code, TDataSet* DataSet, const TExprRecordEh* Rec, const TExprRecordWalkEh* View,
             std::vector<std::unique_ptr<TExprConstantEh>>* Constants = nullptr, String* TextBuffer = nullptr)
      : FCode(Code), FDataSet(DataSet), FRec(Rec), FView(View), FConstants(Constants),
        FTextBuffer(TextBuffer ? *TextBuffer : FOwnTextBuffer)
  {
    if (FCode.size() < 10)
      BadCode();
    FData = FCode.constData();
    FSize = FCode.size();
    FLiterals = U16(8);
    FIgnoreCase = DataSet && DataSet->FilterOptions().Contains(foCaseInsensitive);
  }

  Variant Eval(int Node)
  {
    TDepth Depth(FDepth);
    const int At = 10 + Node;
    const std::uint32_t Class = U32(At) & 0x7F;
    const std::uint32_t Op = U32(At + 4);
    switch (Class) {
    case enUnary: return EvalUnary(Op, Operand(Node, 0));
    case enBinary: return EvalBinary(Class, Op, Node);
    case enCompare: return EvalCompare(Op, Node);
    case enField:
      if (Op != coFIELD)
        break;
      return FieldValue(Operand(Node, 0), Operand(Node, 1));
    case enConst:
      if (Op != coCONST)
        break;
      return CachedConstant(Node);
    case enFunc:
      if (Op != coFUNC)
        break;
      return Function(Name(Operand(Node, 0)), Operand(Node, 1));
    case enListElem: {
      if (Op != coLISTELEM)
        break;
      std::vector<Variant> Discarded;
      CollectList(Node, Discarded);
      return true;
    }
    default:
      break;
    }
    Unsupported(U32(At), Op);
  }

  // A condition as a truth value: and, or and the comparisons a typed read
  // answers make no Variant; anything else is Eval's, Null counting false.
  bool EvalTruth(int Node)
  {
    TDepth Depth(FDepth);
    const std::uint32_t Class = U32(10 + Node) & 0x7F;
    const std::uint32_t Op = U32(10 + Node + 4);
    bool Result;
    if (Class == enBinary) {
      if (Op == coAND)
        return EvalTruth(Operand(Node, 0)) && EvalTruth(Operand(Node, 1));
      if (Op == coOR)
        return EvalTruth(Operand(Node, 0)) || EvalTruth(Operand(Node, 1));
      const bool Compares = Op == coEQ || Op == coNE || Op == coGT || Op == coLT || Op == coGE || Op == coLE ||
                            Op == coLIKE;
      if (Compares && TypedFieldTest(Op, Operand(Node, 0), Operand(Node, 1), 0, FIgnoreCase, Result))
        return Result;
    } else if (Class == enCompare && (Op == coEQ || Op == coNE || Op == coLIKE)) {
      if (TypedFieldTest(Op, Operand(Node, 2), Operand(Node, 3), Operand(Node, 1), Operand(Node, 0) == 1, Result))
        return Result;
    }
    return Truth(Eval(Node));
  }

private:
  struct TDepth {
    int& D;
    explicit TDepth(int& AD) : D(AD)
    {
      if (++D > 512)
        BadCode();
    }
    ~TDepth() { --D; }
  };

  // Reading the code

  std::uint32_t U32(qsizetype At) const
  {
    if (At < 0 || At + 4 > FSize)
      BadCode();
    return LoadLE<std::uint32_t>(FData + At);
  }

  int U16(qsizetype At) const
  {
    if (At < 0 || At + 2 > FSize)
      BadCode();
    return LoadLE<std::uint16_t>(FData + At);
  }

  int Operand(int Node, int Index) const { return U16(10 + Node + 8 + 2 * Index); }

  QByteArray Literal(int Offset, int Size) const
  {
    const qsizetype At = qsizetype(FLiterals) + Offset;
    if (Size < 0 || At + Size > FCode.size())
      BadCode();
    return QByteArray(FCode.constData() + At, Size);
  }

  String Name(int Offset) const
  {
    const qsizetype At = qsizetype(FLiterals) + Offset;
    if (At >= FCode.size())
      BadCode();
    const char* Start = FCode.constData() + At;
    const void* End = std::memchr(Start, 0, std::size_t(FCode.size() - At));
    if (!End)
      BadCode();
    return String::fromUtf8(Start, static_cast<const char*>(End) - Start);
  }

  // The elements of an argument list, each evaluated, into Args.
  void CollectList(int Elem, std::vector<Variant>& Args)
  {
    for (int Guard = 0; Elem > 0 || Guard == 0; ++Guard) {
      if (Guard > FCode.size() / 12)
        BadCode();
      const int At = 10 + Elem;
      if ((U32(At) & 0x7F) != enListElem || U32(At + 4) != coLISTELEM)
        Unsupported(U32(At), U32(At + 4));
      Args.push_back(Eval(Operand(Elem, 0)));
      Elem = Operand(Elem, 1);
      if (Elem < 1)
        break;
    }
  }

  // Typed reads: a field compared with a constant is read from the record's
  // packed values, without a Variant or a copy of its text. Whatever these
  // do not cover exactly as the variant rules do goes the general way.

  bool IsNode(int Node, std::uint32_t Class, std::uint32_t Op) const
  {
    return (U32(10 + Node) & 0x7F) == Class && U32(10 + Node + 4) == Op;
  }

  // The packed values of the record a field node reads now.
  const TRecValuesEh* RecordValues()
  {
    if (FRec) {
      if (!FRecValuesRead) {   // a condition on several fields asks once
        FRecValues = FRec->ExprValues();
        FRecValuesRead = true;
      }
      return FRecValues;
    }
    if (FView && FAggrPos >= 0)
      return FView->GetAccountableRecord(FAggrPos).ExprValues();
    return nullptr;
  }

  // A text field as a string without copying it when it is kept in two
  // bytes a character; a one-byte text is widened into a buffer kept for it.
  const String& FieldText(const TRecValuesEh& Values, Integer I)
  {
    QLatin1StringView Latin1;
    QStringView Utf16;
    Values.Text(I, Latin1, Utf16);
    if (Values.Tag(I) == TRecValuesEh::tUtf16) {
      FTextBuffer = String::fromRawData(Utf16.data(), Utf16.size());
    } else {
      FTextBuffer.resize(Latin1.size());
      QChar* Out = FTextBuffer.data();
      for (qsizetype K = 0; K < Latin1.size(); ++K)
        Out[K] = QChar(uchar(Latin1[K].toLatin1()));
    }
    return FTextBuffer;
  }

  bool TypedFieldTest(std::uint32_t Op, int LeftNode, int RightNode, int Partial, bool IgnoreCase, bool& Result)
  {
    int FieldNode = LeftNode, ConstNode = RightNode;
    if (!IsNode(FieldNode, enField, coFIELD) || !IsNode(ConstNode, enConst, coCONST)) {
      std::swap(FieldNode, ConstNode);
      if (Op == coLIKE || !IsNode(FieldNode, enField, coFIELD) || !IsNode(ConstNode, enConst, coCONST))
        return false;
      Op = Mirrored(Op);
    }
    const TRecValuesEh* Values = RecordValues();
    const Integer I = Integer(Operand(FieldNode, 0)) - 1;
    if (!Values || I < 0 || I >= Values->Count())
      return false;
    const TExprConstantEh& K = ConstantEntry(ConstNode);
    const Variant& C = K.Value;
    const TRecValuesEh::TTag Tag = Values->Tag(I);
    if (Op == coLIKE) {
      if (!Values->IsText(I) || !IsWideText(C))
        return false;
      // A one-byte text is matched in place, in its own byte form.
      QByteArrayView Bytes;
      unsigned Page = 0;
      if (Values->ByteText(I, Bytes, Page)) {
        Result = K.Like->Matches(Bytes, Page, IgnoreCase);
        return true;
      }
      QLatin1StringView Latin1;
      QStringView Utf16;
      Values->Text(I, Latin1, Utf16);
      Result = K.Like->Matches(Utf16, IgnoreCase);
      return true;
    }
    if (Values->IsText(I)) {
      // Both wide texts: the order CompareTexts gives them.
      if (!IsWideText(C))
        return false;
      Result = HoldsFor(Op, WideStrCompareLocaleEh(FieldText(*Values, I), K.Text, Partial, IgnoreCase));
      return true;
    }
    const TNumOrder FieldOrder = NumOrderOfTag(Tag), ConstOrder = NumOrderOfKind(C.VType());
    if (Tag == TRecValuesEh::tCurrency || C.VType() == varCurrency)
      return TypedAmountTest(Op, *Values, I, FieldOrder, C, ConstOrder, Result);
    if (FieldOrder == TNumOrder::None || ConstOrder == TNumOrder::None)
      return false;
    if ((Op == coEQ || Op == coNE) && Tag == TRecValuesEh::tDate && C.VType() == varDate) {
      // Date-times are equal to the second.
      Result = HoldsFor(Op, Sign3(double(TruncDateTimeToSecondsEh(Values->Number(I))),
                                  double(TruncDateTimeToSecondsEh(C.AsDateTime()))));
      return true;
    }
    if (FieldOrder == TNumOrder::Int && ConstOrder == TNumOrder::Int) {
      Result = HoldsFor(Op, Sign3(Values->Int64Value(I), C.AsInt64()));
      return true;
    }
    Result = HoldsFor(Op, Sign3(Values->Number(I), C.AsDouble()));
    return true;
  }

  // An amount beside an amount or a whole number compares exactly, by raw
  // value; beside a float or a date, as doubles: the variant rules.
  static bool TypedAmountTest(std::uint32_t Op, const TRecValuesEh& Values, Integer I, TNumOrder FieldOrder,
                              const Variant& C, TNumOrder ConstOrder, bool& Result)
  {
    const bool FieldAmount = Values.Tag(I) == TRecValuesEh::tCurrency;
    const bool ConstAmount = C.VType() == varCurrency;
    if ((FieldAmount || FieldOrder == TNumOrder::Int) && (ConstAmount || ConstOrder == TNumOrder::Int)) {
      const __int128 A = FieldAmount ? __int128(Values.Int64Value(I)) : __int128(Values.Int64Value(I)) * Currency::Scale;
      const __int128 B = ConstAmount ? __int128(C.AsCurrency().Raw()) : __int128(C.AsInt64()) * Currency::Scale;
      Result = HoldsFor(Op, Sign3(A, B));
      return true;
    }
    if ((FieldAmount || FieldOrder == TNumOrder::Float) && (ConstAmount || ConstOrder == TNumOrder::Float)) {
      Result = HoldsFor(Op, Sign3(Values.Number(I), C.AsDouble()));
      return true;
    }
    return false;
  }

  // Nodes

  Variant FieldValue(int FieldNo, int NameOffset)
  {
    if (FRec)
      return FRec->ExprFieldValue(FieldNo - 1);
    if (FView) {
      if (FAggrPos < 0)
        throw Exception(QStringLiteral("The field \"%1\" is outside an aggregate function.").arg(Name(NameOffset)));
      return FView->GetAccountableRecord(FAggrPos).ExprFieldValue(FieldNo - 1);
    }
    if (!FDataSet)
      throw Exception(QStringLiteral("The field \"%1\" has no record to read.").arg(Name(NameOffset)));
    return FDataSet->FieldByName(Name(NameOffset))->Value();
  }

  // A constant is decoded once for all the records a filter runs over.
  [[gnu::always_inline]] const TExprConstantEh& ConstantEntry(int Node)
  {
    if (FConstants && size_t(Node) < FConstants->size())
      if (const auto& Entry = (*FConstants)[size_t(Node)])
        return *Entry;
    return DecodedConstant(Node);
  }

  // Kept apart so that the lookup above stays small enough to inline.
  const TExprConstantEh& DecodedConstant(int Node)
  {
    TExprConstantEh Entry;
    Entry.Value = Constant(Operand(Node, 0), Operand(Node, 1), Operand(Node, 2));
    if (IsWideText(Entry.Value)) {
      Entry.Text = Entry.Value.AsString();
      Entry.Like.emplace(Entry.Text);
    }
    if (FConstants && Node >= 0) {
      if (size_t(Node) >= FConstants->size())
        FConstants->resize(size_t(Node) + 1);
      (*FConstants)[size_t(Node)] = std::make_unique<TExprConstantEh>(std::move(Entry));
      return *(*FConstants)[size_t(Node)];
    }
    FOwnConstant = std::move(Entry);
    return *FOwnConstant;
  }

  Variant CachedConstant(int Node) { return ConstantEntry(Node).Value; }

  Variant Constant(int Code, int Size, int Offset)
  {
    if (Code == scWideText) {
      const QByteArray B = Literal(Offset, Size);
      if (B.size() < 2)
        BadCode();
      const int Bytes = LoadLE<std::uint16_t>(B.constData());
      if (Bytes + 2 > B.size() || Bytes % 2)
        BadCode();
      String T(Bytes / 2, Qt::Uninitialized);
      for (int I = 0; I < Bytes / 2; ++I)
        T[I] = QChar(LoadLE<std::uint16_t>(B.constData() + 2 + 2 * I));
      return T;
    }
    if (Code > scWideText)
      return Null;
    const TFieldType Type = Code < int(std::size(StorageTypes)) ? StorageTypes[Code] : ftUnknown;
    const QByteArray B = Literal(Offset, Size);
    auto Need = [&](int N) {
      if (B.size() < N)
        BadCode();
      return B.constData();
    };
    switch (Type) {
    case ftString: case ftFixedChar: case ftGuid: case ftWideString:
      if (B.isEmpty())
        BadCode();
      return AnsiString(B.constData(), B.size() - 1);
    case ftDate:
      return TDateTime(TruncDateTimeToSecondsEh(double(LoadLE<std::int32_t>(Need(4))) - DateDelta));
    case ftTime:
      return TDateTime(TruncDateTimeToSecondsEh(LoadLE<std::int32_t>(Need(4)) / double(MSecsPerDay)));
    case ftDateTime: {
      double MSecs;
      std::memcpy(&MSecs, Need(8), 8);
      if (!std::isfinite(MSecs) || std::fabs(MSecs) > 1e15)
        BadCode();
      return TDateTime(TruncDateTimeToSecondsEh(FromTimeStampMSecs(std::round(MSecs))));
    }
    case ftBoolean: return LoadLE<std::int16_t>(Need(2)) != 0;
    case ftSmallint: return std::int16_t(LoadLE<std::int16_t>(Need(2)));
    case ftInteger: case ftAutoInc: return std::int32_t(LoadLE<std::int32_t>(Need(4)));
    case ftWord: return std::uint16_t(LoadLE<std::uint16_t>(Need(2)));
    case ftLargeint: return std::int64_t(LoadLE<std::int64_t>(Need(8)));
    case ftFloat: case ftCurrency: {
      double D;
      std::memcpy(&D, Need(8), 8);
      return D;
    }
    case ftSingle: {
      float F;
      std::memcpy(&F, Need(4), 4);
      return F;
    }
    case ftShortint: return std::int8_t(*Need(1));
    case ftByte: return std::uint8_t(*Need(1));
    case ftBCD: case ftFMTBcd: {
      Int64 Raw = 0;
      return BcdToCurrencyRaw(B, Raw) ? Variant(Currency::FromRaw(Raw)) : Variant(Null);
    }
    case ftTimeStamp: {
      // year, month, day, hour, minute, second (16 bits each), milliseconds
      const char* R = Need(16);
      auto W = [R](int I) { return Word(LoadLE<std::uint16_t>(R + 2 * I)); };
      TDateTime D, T;
      if (!TryEncodeDate(W(0), W(1), W(2), D) || !TryEncodeTime(W(3), W(4), W(5), 0, T))
        return Null;
      return TDateTime(D >= 0 ? D + T : D - T);
    }
    default:
      throw Exception(QStringLiteral("Unsupported data type: [%1].").arg(int(Type)));
    }
  }

  Variant EvalUnary(std::uint32_t Op, int Arg)
  {
    switch (Op) {
    case coISBLANK:
    case coNOTBLANK: {
      const Variant V = Eval(Arg);
      const bool Blank = IsText(V) ? VarToStr(V).isEmpty() : V.IsNull();
      return Op == coISBLANK ? Blank : !Blank;
    }
    case coNOT: {
      const Variant V = Eval(Arg);
      if (V.IsNull())
        return Null;   // unknown stays unknown: neither x nor not x holds
      return !V.AsBoolean();
    }
    case coUPPER:
    case coLOWER: {
      const Variant V = Eval(Arg);
      if (V.IsNull())
        return Null;
      return Op == coUPPER ? AnsiUpperCaseEh(VarToStr(V)) : AnsiLowerCaseEh(VarToStr(V));
    }
    default:
      Unsupported(enUnary, Op);
    }
  }

  Variant EvalBinary(std::uint32_t Class, std::uint32_t Op, int Node)
  {
    if (Op == coIN) {
      const Variant L = Eval(Operand(Node, 0));
      std::vector<Variant> Args;
      CollectList(Operand(Node, 1), Args);
      for (const Variant& A : Args)
        if (ValuesEqual(L, A, 0, FIgnoreCase))
          return true;
      return false;
    }
    switch (Op) {
    case coEQ: case coNE: case coGT: case coLT: case coGE: case coLE: case coAND: case coOR:
    case coADD: case coSUB: case coMUL: case coDIV: case coLIKE:
      break;
    default:
      Unsupported(Class, Op);
    }
    // Null counts as false: a condition on a missing value does not hold.
    // The right side is not evaluated once the left decides.
    if (Op == coAND)
      return Truth(Eval(Operand(Node, 0))) && Truth(Eval(Operand(Node, 1)));
    if (Op == coOR)
      return Truth(Eval(Operand(Node, 0))) || Truth(Eval(Operand(Node, 1)));
    if (Op != coADD && Op != coSUB && Op != coMUL && Op != coDIV) {
      bool Result;
      if (TypedFieldTest(Op, Operand(Node, 0), Operand(Node, 1), 0, FIgnoreCase, Result))
        return Result;
    }
    const Variant L = Eval(Operand(Node, 0));
    const Variant R = Eval(Operand(Node, 1));
    switch (Op) {
    case coEQ: return ValuesEqual(L, R, 0, FIgnoreCase);
    // a <> b is exactly not (a = b), date-times cut to seconds alike.
    case coNE: return !ValuesEqual(L, R, 0, FIgnoreCase);
    case coGT: case coLT: case coGE: case coLE: {
      if ((IsText(L) || IsText(R)) && !L.IsNull() && !R.IsNull()) {
        const int C = CompareTexts(L, R, 0, FIgnoreCase);
        return Op == coGT ? C > 0 : Op == coLT ? C < 0 : Op == coGE ? C >= 0 : C <= 0;
      }
      return Op == coGT ? L > R : Op == coLT ? L < R : Op == coGE ? L >= R : L <= R;
    }
    case coADD:
      if (L.IsNull() && R.IsNull())
        return Null;
      if (IsText(L) || IsText(R))
        return VarToStr(L) + VarToStr(R);
      return L + R;
    case coSUB: return L - R;
    case coMUL: return L * R;
    case coDIV: return L / R;
    default: return Like(L, R, FIgnoreCase);   // coLIKE
    }
  }

  Variant EvalCompare(std::uint32_t Op, int Node)
  {
    if (Op != coEQ && Op != coNE && Op != coLIKE)
      Unsupported(enCompare, Op);
    const bool IgnoreCase = Operand(Node, 0) == 1;
    const int Partial = Operand(Node, 1);
    bool Result;
    if (TypedFieldTest(Op, Operand(Node, 2), Operand(Node, 3), Partial, IgnoreCase, Result))
      return Result;
    const Variant L = Eval(Operand(Node, 2));
    const Variant R = Eval(Operand(Node, 3));
    if (Op == coLIKE)
      return Like(L, R, IgnoreCase);
    const bool Equal = ValuesEqual(L, R, Partial, IgnoreCase);
    return Op == coEQ ? Equal : !Equal;
  }

  // Functions. Each call evaluates its arguments into a list of its own, so
  // a call inside any argument of another sees only its own arguments.
  Variant Function(const String& FuncName, int FirstArg)
  {
    const TExprFunctionInfo* Info = FindExprFunction(FuncName);
    if (!Info)
      throw Exception(QStringLiteral("Unsupported function: %1").arg(FuncName));
    auto WrongCount = [&]() -> Variant {
      throw Exception(QStringLiteral("Incorrect number of arguments in function <%1>").arg(FuncName));
    };

    if (Info->Aggregate)
      return Aggregate(Info->Func == efSum ? aggrSum : Info->Func == efMin ? aggrMin : Info->Func == efMax ? aggrMax
                       : Info->Func == efAvg ? aggrAvg : aggrCount, FuncName, FirstArg, WrongCount);

    std::vector<Variant> A;
    if (FirstArg > 0)
      CollectList(FirstArg, A);
    const int Count = int(A.size());
    if (Count < Info->MinArgs || Count > Info->MaxArgs)
      WrongCount();
    if (Info->Func == efGetDate)
      return Now();
    // A missing text, start, count or trim character gives a missing result.
    for (const Variant& V : A)
      if (V.IsNull())
        return Null;
    switch (Info->Func) {
    case efSubstring: {
      const String S = VarToStr(A[0]);
      const int Start = std::max(A[1].AsInteger(), 1);
      if (Count == 2)
        return S.mid(Start - 1);
      const int Len = A[2].AsInteger();
      return Len <= 0 ? String() : S.mid(Start - 1, Len);
    }
    case efUpper: return AnsiUpperCaseEh(VarToStr(A[0]));
    case efLower: return AnsiLowerCaseEh(VarToStr(A[0]));
    case efTrim: case efTrimLeft: case efTrimRight: {
      const String S = VarToStr(A[0]);
      const String Ch = Count == 2 ? VarToStr(A[1]) : String(QLatin1Char(' '));
      if (Ch.size() != 1)
        return S;   // only a single character is trimmed
      qsizetype B = 0, E = S.size();
      if (Info->Func != efTrimRight)
        while (B < E && S[B] == Ch[0])
          ++B;
      if (Info->Func != efTrimLeft)
        while (E > B && S[E - 1] == Ch[0])
          --E;
      return S.mid(B, E - B);
    }
    case efDate: {
      const double D = A[0].AsDateTime();
      return TDateTime(std::trunc(D));
    }
    case efTime: {
      const double D = A[0].AsDateTime();
      return TDateTime(std::fabs(D - std::trunc(D)));
    }
    default: {
      Word Y, Mo, D, H, Mi, S, Ms;
      const TDateTime V = A[0].AsDateTime();
      DecodeDate(V, Y, Mo, D);
      DecodeTime(V, H, Mi, S, Ms);
      const Word Parts[] = {Y, Mo, D, H, Mi, S};
      return Parts[Info->Func - efYear];
    }
    }
  }

  template <class TWrong>
  Variant Aggregate(TAggrKindEh Kind, const String& FuncName, int FirstArg, TWrong WrongCount)
  {
    if (!FView)
      throw Exception(QStringLiteral("The aggregate function %1 has no records to run over.").arg(FuncName));
    if (FAggrPos >= 0)
      throw Exception(QStringLiteral("The aggregate function %1 is inside another aggregate.").arg(FuncName));
    if (FirstArg <= 0) {
      if (Kind != aggrCount)
        WrongCount();
      return FView->AccountableItemsCount();   // COUNT(*)
    }
    const int Count = FView->AccountableItemsCount();
    if (Count < 1)
      return Null;
    TAggrAccumulatorEh Acc(Kind);
    struct TPos {
      int& P;
      ~TPos() { P = -1; }
    } Restore{FAggrPos};
    for (FAggrPos = 0; FAggrPos < Count; ++FAggrPos) {
      std::vector<Variant> A;
      CollectList(FirstArg, A);
      if (A.size() != 1)
        WrongCount();
      Acc.Add(A[0]);
    }
    return Acc.Result();
  }

  const TExprData& FCode;
  const char* FData = nullptr;
  qsizetype FSize = 0;
  TDataSet* FDataSet;
  const TExprRecordEh* FRec;
  const TExprRecordWalkEh* FView;
  int FLiterals = 0;
  bool FIgnoreCase = false;
  int FDepth = 0;
  std::vector<std::unique_ptr<TExprConstantEh>>* FConstants;
  // The one constant in use without a shared store; made only then, as an
  // evaluator is made for every record a filter judges.
  std::optional<TExprConstantEh> FOwnConstant;
  String FOwnTextBuffer;
  String& FTextBuffer;
  int FAggrPos = -1;   // the accountable record field nodes read inside an aggregate
  const TRecValuesEh* FRecValues = nullptr;
  bool FRecValuesRead = false;
};

}  // namespace

// ---------------------------------------------------------------------------

TDataSetExprParserEh::TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType,
                                           const TExprStructureEh* Structure)
    : FDataSet(ADataSet), FExprParserType(ExprParserType), FStructure(Structure)
{
}

const TFieldMap& TDataSetExprParserEh::FieldTypeMap()
{
  static const TFieldMap Map = {0, 1, 5, 6, 12, 4, 7, 7, 8, 2, 10, 11, 9, 15, 6, 3, 3, 3, 3, 3, 3, 3, 17, 1, 1, 18,
                                20, 21, 22, 23, 3, 3, 0, 0, 0, 1, 24, 25, 26, 3, 24, 1, 6, 28, 29, 7, 0, 0, 0, 36,
                                0, 27};
  return Map;
}

void TDataSetExprParserEh::ParseExpression(const String& Expr)
{
  const TFilterOptions Options = FDataSet ? FDataSet->FilterOptions() : TFilterOptions();
  const TParserOptions ParserOptions =
      FExprParserType == dsptAggregateEh ? TParserOptions{poExtSyntax, poAggregate} : TParserOptions{poExtSyntax};
  TExprData Data;
  if (FStructure) {
    const TExprStructureEh* S = FStructure;
    Data = TFilterExprParser(
               [S](const String& Name, TFilterExprField& Field) {
                 const Integer I = S->ExprFieldIndex(Name);
                 if (I < 0)
                   return false;
                 Field.FieldNo = I + 1;
                 Field.DataType = S->ExprFieldType(I);
                 return true;
               },
               Expr, Options, ParserOptions, FieldTypeMap())
               .FilterData();
  } else {
    Data = TFilterExprParser(FDataSet, Expr, Options, ParserOptions, FieldTypeMap()).FilterData();
  }
  SetExprData(Data);
}

void TDataSetExprParserEh::SetExprData(const TExprData& Data)
{
  FExprData = Data;
  FExprDataSize = Integer(Data.size());
  FConstants.clear();
}

bool TDataSetExprParserEh::IsCurRecordInFilter(const TExprRecordEh& Rec) const
{
  if (!HasData())
    return false;
  return TEvaluator(FExprData, FDataSet, &Rec, nullptr, &FConstants, &FTextBuffer).EvalTruth(0);
}

bool TDataSetExprParserEh::IsCurRecordBufInFilter(TRecordBuffer Buffer) const
{
  (void)Buffer;
  return true;
}

Variant TDataSetExprParserEh::CalcAggregateValue(const TExprRecordWalkEh& RecordsView) const
{
  if (!HasData())
    return false;
  return TEvaluator(FExprData, FDataSet, nullptr, &RecordsView, &FConstants).Eval(0);
}
