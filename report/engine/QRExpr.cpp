// QRExpr.cpp: the expression parser and evaluator, the built-in functions
// and the environments.
#include "report/engine/QRExpr.h"

#include "platform/data/DB.h"
#include "platform/gui/Forms.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------
// Results

TQREvResult IntResult(Int64 Value)
{
  TQREvResult R;
  R.Kind = resInt;
  R.intResult = Value;
  return R;
}

TQREvResult FloatResult(double Value)
{
  TQREvResult R;
  R.Kind = resDouble;
  R.dblResult = Value;
  return R;
}

TQREvResult StringResult(const String& Value)
{
  TQREvResult R;
  R.Kind = resString;
  R.StringVal = Value;
  return R;
}

TQREvResult BoolResult(bool Value)
{
  TQREvResult R;
  R.Kind = resBool;
  R.booResult = Value;
  return R;
}

void SetErrorResult(const String& Text, TQREvResult& Result)
{
  Result.Kind = resError;
  Result.StringVal = Text;
}

static TQREvResult ErrorResult(const String& Text)
{
  TQREvResult R;
  SetErrorResult(Text, R);
  return R;
}

static String BoolText(bool Value) { return Value ? QStringLiteral("True") : QStringLiteral("False"); }

String EvResultToString(const TQREvResult& Result)
{
  switch (Result.Kind) {
  case resInt: return QString::number(Result.intResult);
  case resDouble: return FloatToStr(Result.dblResult);
  case resBool: return BoolText(Result.booResult);
  case resString:
  case resError: break;
  }
  return Result.StringVal;
}

// Wrapping 64-bit arithmetic, without the undefined behaviour of signed overflow.
static Int64 WrapAdd(Int64 A, Int64 B) { return Int64(UInt64(A) + UInt64(B)); }
static Int64 WrapSub(Int64 A, Int64 B) { return Int64(UInt64(A) - UInt64(B)); }
static Int64 WrapMul(Int64 A, Int64 B) { return Int64(UInt64(A) * UInt64(B)); }

// ---------------------------------------------------------------------------
// Elements

void TQREvElement::Value(TQRFiFo&, TQREvResult&) {}

void TQREvElementConstant::Value(TQRFiFo&, TQREvResult& Result) { Result = FValue; }

void TQREvElementString::Value(TQRFiFo&, TQREvResult& Result)
{
  Result.Kind = resString;
  Result.StringVal = FValue;
}

void TQREvElementError::Value(TQRFiFo&, TQREvResult& Result) { SetErrorResult(FErrorMessage, Result); }

void TQREvElementWrapper::Value(TQRFiFo& FiFo, TQREvResult& Result) { FEmbeddedFunction->Value(FiFo, Result); }

// Evaluates the element at the cursor; a list that ends early is an error.
static void EvaluateNext(TQRFiFo& FiFo, TQREvResult& Result)
{
  TQREvElement* Element = FiFo.Get();
  if (!Element || dynamic_cast<TQREvElementArgumentEnd*>(Element)) {
    SetErrorResult(QString(), Result);
    return;
  }
  Element->Value(FiFo, Result);
}

void TQREvElementNot::Value(TQRFiFo& FiFo, TQREvResult& Result)
{
  EvaluateNext(FiFo, Result);
  if (Result.Kind == resBool)
    Result.booResult = !Result.booResult;
  else
    SetErrorResult(QStringLiteral("Invalid use of NOT"), Result);
}

static const char* OperatorText(TQREvOperator Op)
{
  static const char* const Texts[] = {"<", "<=", ">", ">=", "=", "<>", "+", "-", "OR", "*", "/", "AND"};
  return Texts[Op];
}

// Two operands of different kinds: an integer with a float becomes a float,
// any other pair becomes two texts.
static void MatchKinds(TQREvResult& L, TQREvResult& R)
{
  if (L.Kind == resError || R.Kind == resError || L.Kind == R.Kind)
    return;
  if (L.Kind == resInt && R.Kind == resDouble) {
    L = FloatResult(double(L.intResult));
    return;
  }
  if (L.Kind == resDouble && R.Kind == resInt) {
    R = FloatResult(double(R.intResult));
    return;
  }
  L = StringResult(EvResultToString(L));
  R = StringResult(EvResultToString(R));
}

template <class T>
static bool Compare(TQREvOperator Op, const T& A, const T& B)
{
  switch (Op) {
  case opLess: return A < B;
  case opLessOrEqual: return A <= B;
  case opGreater: return A > B;
  case opGreaterOrEqual: return A >= B;
  case opEqual: return A == B;
  case opUnequal: return A != B;
  default: return false;
  }
}

static bool IsComparison(TQREvOperator Op) { return Op <= opUnequal; }

static TQREvResult KindError(TQREvOperator Op, const char* KindName)
{
  switch (Op) {
  case opPlus: return ErrorResult(QStringLiteral("Cannot add %1 expressions").arg(QLatin1String(KindName)));
  case opMinus: return ErrorResult(QStringLiteral("Cannot subtract %1 expressions").arg(QLatin1String(KindName)));
  case opMul: return ErrorResult(QStringLiteral("Cannot multiply %1 expressions").arg(QLatin1String(KindName)));
  case opDiv: return ErrorResult(QStringLiteral("Cannot divide %1 expressions").arg(QLatin1String(KindName)));
  default:
    return ErrorResult(QStringLiteral("Operator %1 is not compatible with %2 expressions")
                         .arg(QLatin1String(OperatorText(Op)), QLatin1String(KindName)));
  }
}

static TQREvResult Combine(TQREvOperator Op, const TQREvResult& L, const TQREvResult& R)
{
  switch (L.Kind) {
  case resInt: {
    const Int64 A = L.intResult, B = R.intResult;
    if (IsComparison(Op))
      return BoolResult(Compare(Op, A, B));
    switch (Op) {
    case opPlus: return IntResult(WrapAdd(A, B));
    case opMinus: return IntResult(WrapSub(A, B));
    case opMul: return IntResult(WrapMul(A, B));
    case opDiv:
      if (B == 0)
        return ErrorResult(QStringLiteral("Cannot divide by 0"));
      return FloatResult(double(A) / double(B));
    case opOr: return IntResult(A | B);
    case opAnd: return IntResult(A & B);
    default: break;
    }
    break;
  }
  case resDouble: {
    const double A = L.dblResult, B = R.dblResult;
    if (IsComparison(Op))
      return BoolResult(Compare(Op, A, B));
    switch (Op) {
    case opPlus: return FloatResult(A + B);
    case opMinus: return FloatResult(A - B);
    case opMul: return FloatResult(A * B);
    case opDiv:
      if (B == 0.0)
        return ErrorResult(QStringLiteral("Cannot divide by 0"));
      return FloatResult(A / B);
    default: return KindError(Op, "numeric");
    }
  }
  case resString:
    if (IsComparison(Op))
      return BoolResult(Compare(Op, L.StringVal.compare(R.StringVal, Qt::CaseSensitive), 0));
    if (Op == opPlus)
      return StringResult(L.StringVal + R.StringVal);
    return KindError(Op, "string");
  case resBool:
    if (Op == opEqual || Op == opUnequal)
      return BoolResult(Compare(Op, L.booResult, R.booResult));
    if (Op == opOr)
      return BoolResult(L.booResult || R.booResult);
    if (Op == opAnd)
      return BoolResult(L.booResult && R.booResult);
    return KindError(Op, "boolean");
  case resError: break;
  }
  return L;
}

void TQREvElementOperator::Value(TQRFiFo& FiFo, TQREvResult& Result)
{
  TQREvResult L, R;
  EvaluateNext(FiFo, L);
  EvaluateNext(FiFo, R);
  MatchKinds(L, R);
  if (L.Kind == resError) {
    Result = L;
    return;
  }
  if (R.Kind == resError) {
    Result = R;
    return;
  }
  Result = Combine(FOpCode, L, R);
}

TQREvElementDataField::TQREvElementDataField(TField* aField)
  : FDataSet(aField->DataSet()), FFieldNo(aField->Index()), FField(aField)
{
}

void TQREvElementDataField::Value(TQRFiFo&, TQREvResult& Result)
{
  // Default fields are made again each time the dataset opens.
  if (FDataSet && FDataSet->DefaultFields() && FFieldNo >= 0 && FFieldNo < FDataSet->FieldCount())
    FField = FDataSet->Fields()->Fields(FFieldNo);
  TField* F = FField;
  const TFieldType Type = F->DataType();
  if (dynamic_cast<TStringField*>(F))
    Result = StringResult(F->AsString());
  else if (dynamic_cast<TIntegerField*>(F) || Type == ftWord || Type == ftLargeint)
    Result = IntResult(F->IsNull() ? 0 : F->AsLargeInt());
  else if (dynamic_cast<TBCDField*>(F) || dynamic_cast<TFloatField*>(F) || Type == ftFMTBcd || Type == ftCurrency)
    Result = FloatResult(F->AsFloat());
  else if (dynamic_cast<TBooleanField*>(F))
    Result = BoolResult(F->AsBoolean());
  else if (dynamic_cast<TDateTimeField*>(F) || Type == ftTimeStamp)
    Result = StringResult(F->DisplayText());
  else
    SetErrorResult(QStringLiteral("Field %1 is of unknown type").arg(F->FieldName()), Result);
}

void TQREvElementFunction::GetArguments(TQRFiFo& FiFo)
{
  for (;;) {
    TQREvElement* Element = FiFo.Get();
    if (!Element || dynamic_cast<TQREvElementArgumentEnd*>(Element))
      return;
    TQREvResult R;
    Element->Value(FiFo, R);
    ArgList.push_back(R);
  }
}

void TQREvElementFunction::Value(TQRFiFo& FiFo, TQREvResult& Result)
{
  GetArguments(FiFo);
  if (FiFo.Aggreg())
    Aggregate();
  Calculate(Result);
  FreeArguments();
}

void TQREvElementFunction::Calculate(TQREvResult& Result) { Result.Kind = resError; }

// ---------------------------------------------------------------------------
// Scanning the text of an expression

namespace {

// The scan state of one position: inside quotes, parentheses or a field
// bracket nothing is an operator.
struct TScanState {
  bool Quoted = false;
  bool Bracketed = false;
  Integer Depth = 0;

  void Step(QChar C)
  {
    if (C == QLatin1Char('\'') && !Bracketed)
      Quoted = !Quoted;
    else if (C == QLatin1Char('[') && !Quoted)
      Bracketed = true;
    else if (C == QLatin1Char(']') && !Quoted)
      Bracketed = false;
    else if (!Quoted && !Bracketed) {
      if (C == QLatin1Char('('))
        ++Depth;
      else if (C == QLatin1Char(')'))
        --Depth;
    }
  }
  bool Free() const { return Depth == 0 && !Quoted && !Bracketed; }
};

bool IsWordChar(QChar C) { return C.isLetterOrNumber() || C == QLatin1Char('_'); }

// The word ends right before End and stands alone there.
bool WordEndsAt(const String& Text, Integer End, const char* Word)
{
  const Integer N = Integer(std::strlen(Word));
  if (End < N || QStringView(Text).mid(End - N, N).compare(QLatin1String(Word), Qt::CaseInsensitive) != 0)
    return false;
  return End == N || !IsWordChar(Text[End - N - 1]);
}

// A sign is an operator only behind an operand: at the start of a text or
// behind another operator it is the sign of what follows (2 * -3, a < -1).
bool IsBinarySign(const String& Text, Integer Pos)
{
  Integer End = Pos;
  while (End > 0 && Text[End - 1].isSpace())
    --End;
  if (End == 0)
    return false;
  if (QStringLiteral("+-*/<>=(,").contains(Text[End - 1]))
    return false;
  return !WordEndsAt(Text, End, "or") && !WordEndsAt(Text, End, "and") && !WordEndsAt(Text, End, "not");
}

struct TFoundOperator {
  Integer Pos = -1;
  Integer Length = 0;
  TQREvOperator Op = opPlus;
};

enum TLevel { lvRelation, lvSimple, lvTerm };

// The first operator of the level outside quotes, brackets and parentheses.
// The first character of an operand is never an operator, nor is the last.
TFoundOperator FindOperator(const String& Text, TLevel Level)
{
  TScanState State;
  const Integer Len = Integer(Text.size());
  for (Integer I = 0; I < Len - 1; ++I) {
    const QChar C = Text[I];
    State.Step(C);
    if (I == 0 || !State.Free())
      continue;
    const QChar Next = Text[I + 1];
    switch (Level) {
    case lvRelation:
      if (C == QLatin1Char('<')) {
        if (Next == QLatin1Char('>'))
          return {I, 2, opUnequal};
        if (Next == QLatin1Char('='))
          return {I, 2, opLessOrEqual};
        return {I, 1, opLess};
      }
      if (C == QLatin1Char('='))
        return {I, 1, opEqual};
      if (C == QLatin1Char('>'))
        return Next == QLatin1Char('=') ? TFoundOperator{I, 2, opGreaterOrEqual} : TFoundOperator{I, 1, opGreater};
      break;
    case lvSimple:
      if ((C == QLatin1Char('+') || C == QLatin1Char('-')) && IsBinarySign(Text, I))
        return {I, 1, C == QLatin1Char('+') ? opPlus : opMinus};
      if (C == QLatin1Char(' ') && Text.mid(I + 1, 3).compare(QLatin1String("or "), Qt::CaseInsensitive) == 0)
        return {I + 1, 2, opOr};
      break;
    case lvTerm:
      if (C == QLatin1Char('*'))
        return {I, 1, opMul};
      if (C == QLatin1Char('/'))
        return {I, 1, opDiv};
      if (C == QLatin1Char(' ') && Text.mid(I + 1, 4).compare(QLatin1String("and "), Qt::CaseInsensitive) == 0)
        return {I + 1, 3, opAnd};
      break;
    }
  }
  return {};
}

// The right side of a minus or a division is parsed with its signs (or its
// * and /) exchanged, so that a - b + c keeps its left-to-right meaning.
String SwapOperatorChars(const String& Text, bool Signs)
{
  String Result = Text;
  TScanState State;
  for (Integer I = 0; I < Result.size(); ++I) {
    const QChar C = Text[I];
    State.Step(C);
    if (!State.Free())
      continue;
    if (Signs) {
      if ((C == QLatin1Char('+') || C == QLatin1Char('-')) && IsBinarySign(Text, I))
        Result[I] = C == QLatin1Char('+') ? QLatin1Char('-') : QLatin1Char('+');
    } else if (C == QLatin1Char('*')) {
      Result[I] = QLatin1Char('/');
    } else if (C == QLatin1Char('/')) {
      Result[I] = QLatin1Char('*');
    }
  }
  return Result;
}

String TrimSpaces(const String& Text)
{
  Integer B = 0, E = Integer(Text.size());
  while (B < E && Text[B] == QLatin1Char(' '))
    ++B;
  while (E > B && Text[E - 1] == QLatin1Char(' '))
    --E;
  if (B == E && !Text.isEmpty())
    return QStringLiteral(" ");
  return Text.mid(B, E - B);
}

}   // namespace

// ---------------------------------------------------------------------------
// TQREvaluator

TQREvaluator::TQREvaluator() = default;

TQREvaluator::~TQREvaluator()
{
  if (FPrepared)
    UnPrepare();
}

std::vector<TDataSet*>* TQRDataSetList::Get()
{
  if (!FList) {
    FOwn = std::make_unique<std::vector<TDataSet*>>();
    FList = FOwn.get();
  }
  return FList;
}

void TQRDataSetList::Set(std::vector<TDataSet*>* Value)
{
  if (FOwn && Value != FOwn.get())
    FOwn.reset();
  FList = Value;
}

bool TQREvaluator::IsAggreg() const
{
  if (!FiFo)
    return false;
  for (std::size_t I = 0; I < FiFo->Count(); ++I)
    if (FiFo->Item(I)->IsAggreg())
      return true;
  return false;
}

void TQREvaluator::SetAggregate(bool Value)
{
  if (FiFo)
    FiFo->SetAggreg(Value);
}

void TQREvaluator::Prepare(const String& StrExpr)
{
  if (FPrepared)
    UnPrepare();
  GlobalEnvironment()->Prepare();
  FiFo = std::make_unique<TQRFiFo>();
  ParseExpression(StrExpr.isEmpty() ? QStringLiteral("' '") : StrExpr);
  FPrepared = true;
}

void TQREvaluator::UnPrepare()
{
  FiFo.reset();
  GlobalEnvironment()->Unprepare();
  FPrepared = false;
}

void TQREvaluator::Value(TQREvResult& Result)
{
  if (!FPrepared)
    throw EQRError(QStringLiteral("Evaluator not prepared"));
  FiFo->Start();
  TQREvElement* First = FiFo->Get();
  if (!First) {
    SetErrorResult(QString(), Result);
    return;
  }
  First->Value(*FiFo, Result);
}

TQREvResult TQREvaluator::Value()
{
  TQREvResult Result;
  Value(Result);
  return Result;
}

void TQREvaluator::DoAggregate()
{
  SetAggregate(true);
  TQREvResult Scratch;
  try {
    Value(Scratch);
  } catch (...) {
    SetAggregate(false);
    throw;
  }
  SetAggregate(false);
}

void TQREvaluator::Reset()
{
  if (!FiFo)
    return;
  for (std::size_t I = 0; I < FiFo->Count(); ++I)
    FiFo->Item(I)->Reset();
}

void TQREvaluator::Calculate(const String& StrExpr, TQREvResult& Result)
{
  Prepare(StrExpr);
  try {
    Value(Result);
  } catch (...) {
    UnPrepare();
    throw;
  }
  UnPrepare();
}

TQREvElement* TQREvaluator::Peek(Integer Index) const
{
  return FPrepared && FiFo && Index >= 0 ? FiFo->Item(std::size_t(Index)) : nullptr;
}

[[noreturn]] static void NotA(const char* What)
{
  throw EQRError(QStringLiteral("Not a %1 value").arg(QLatin1String(What)));
}

[[noreturn]] static void ExpressionError(const TQREvResult& R)
{
  throw EQRError(QStringLiteral("Error in expression : %1").arg(R.StringVal));
}

String TQREvaluator::AsString()
{
  const TQREvResult R = Value();
  if (R.Kind == resError)
    ExpressionError(R);
  return EvResultToString(R);
}

Int64 TQREvaluator::AsInteger()
{
  const TQREvResult R = Value();
  switch (R.Kind) {
  case resInt: return R.intResult;
  case resDouble: return Int64(std::nearbyint(R.dblResult));
  case resError: ExpressionError(R);
  default: NotA("numeric");
  }
}

double TQREvaluator::AsFloat()
{
  const TQREvResult R = Value();
  switch (R.Kind) {
  case resInt: return double(R.intResult);
  case resDouble: return R.dblResult;
  case resError: ExpressionError(R);
  default: NotA("numeric");
  }
}

bool TQREvaluator::AsBoolean()
{
  const TQREvResult R = Value();
  switch (R.Kind) {
  case resBool: return R.booResult;
  case resString:
    if (R.StringVal.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
      return true;
    if (R.StringVal.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
      return false;
    NotA("boolean");
  case resError: ExpressionError(R);
  default: NotA("boolean");
  }
}

Variant TQREvaluator::AsVariant()
{
  const TQREvResult R = Value();
  switch (R.Kind) {
  case resInt: return Variant(R.intResult);
  case resDouble: return Variant(R.dblResult);
  case resString: return Variant(R.StringVal);
  case resBool: return Variant(R.booResult);
  case resError: break;
  }
  ExpressionError(R);
}

void TQREvaluator::PutError(const String& Message) { Put(std::make_unique<TQREvElementError>(Message)); }

// Counts the parser's nesting; evaluation nests as deep as parsing did, so
// bounding one bounds both.
class TDepthGuard {
public:
  explicit TDepthGuard(Integer& Depth) : FDepth(Depth) { ++FDepth; }
  ~TDepthGuard() { --FDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;
  bool TooDeep() const { return FDepth > 600; }
private:
  Integer& FDepth;
};

void TQREvaluator::ParseExpression(const String& Text)
{
  const TFoundOperator F = FindOperator(Text, lvRelation);
  if (F.Pos < 0) {
    ParseSimpleExpression(Text);
    return;
  }
  Put(std::make_unique<TQREvElementOperator>(F.Op));
  ParseSimpleExpression(Text.left(F.Pos));
  ParseSimpleExpression(Text.mid(F.Pos + F.Length));
}

void TQREvaluator::ParseSimpleExpression(const String& Text)
{
  const TDepthGuard Guard(FDepth);
  if (Guard.TooDeep()) {
    PutError(QStringLiteral("Expression too complex"));
    return;
  }
  const TFoundOperator F = FindOperator(Text, lvSimple);
  if (F.Pos < 0) {
    ParseTerm(Text);
    return;
  }
  Put(std::make_unique<TQREvElementOperator>(F.Op));
  ParseTerm(Text.left(F.Pos));
  const String Right = Text.mid(F.Pos + F.Length);
  ParseSimpleExpression(F.Op == opMinus ? SwapOperatorChars(Right, true) : Right);
}

void TQREvaluator::ParseTerm(const String& Text)
{
  const TDepthGuard Guard(FDepth);
  if (Guard.TooDeep()) {
    PutError(QStringLiteral("Expression too complex"));
    return;
  }
  const TFoundOperator F = FindOperator(Text, lvTerm);
  if (F.Pos < 0) {
    ParseFactor(Text);
    return;
  }
  Put(std::make_unique<TQREvElementOperator>(F.Op));
  ParseFactor(Text.left(F.Pos));
  const String Right = Text.mid(F.Pos + F.Length);
  ParseTerm(F.Op == opDiv ? SwapOperatorChars(Right, false) : Right);
}

void TQREvaluator::ParseFactor(const String& Source)
{
  const TDepthGuard Guard(FDepth);
  if (Guard.TooDeep()) {
    PutError(QStringLiteral("Expression too complex"));
    return;
  }
  const String Text = TrimSpaces(Source);
  if (Text.isEmpty()) {
    PutError(QStringLiteral("Error in expression : %1").arg(Text));
    return;
  }
  // "not" only as a word of its own: "notes" is a name.
  if (Text.left(3).compare(QLatin1String("not"), Qt::CaseInsensitive) == 0
      && (Text.size() == 3 || !IsWordChar(Text[3]))) {
    Put(std::make_unique<TQREvElementNot>());
    ParseSimpleExpression(Text.mid(3));
    return;
  }
  const QChar First = Text[0];
  const QChar Last = Text.back();
  if (First == QLatin1Char('\'')) {
    if (Text.size() >= 2 && Last == QLatin1Char('\'')) {
      Put(std::make_unique<TQREvElementString>(Text.mid(1, Text.size() - 2)));
    } else {
      PutError(QStringLiteral("Missing '"));
    }
  } else if (First == QLatin1Char('(')) {
    if (Text.size() >= 2 && Last == QLatin1Char(')'))
      ParseExpression(Text.mid(1, Text.size() - 2));
    else
      PutError(QStringLiteral("Missing )"));
  } else if (First == QLatin1Char('+')) {
    ParseFactor(Text.mid(1));
  } else if (First == QLatin1Char('-')) {
    ParseSimpleExpression(QStringLiteral("0-") + Text.mid(1));
  } else if (First.isDigit() && First.unicode() < 128) {
    ParseNumber(Text);
  } else if ((First >= QLatin1Char('A') && First <= QLatin1Char('Z')) || (First >= QLatin1Char('a') && First <= QLatin1Char('z'))) {
    ParseIdentifier(Text);
  } else if (First == QLatin1Char('[')) {
    if (Text.size() >= 2 && Last == QLatin1Char(']'))
      FindDataField(Text.mid(1, Text.size() - 2));
    else
      PutError(QStringLiteral("Missing ]"));
  } else {
    PutError(QStringLiteral("Error in expression : %1").arg(Text));
  }
}

static bool IsAsciiDigit(QChar C) { return C >= QLatin1Char('0') && C <= QLatin1Char('9'); }

void TQREvaluator::ParseNumber(const String& Text)
{
  Integer I = 0;
  const Integer Len = Integer(Text.size());
  while (I < Len && IsAsciiDigit(Text[I]))
    ++I;
  bool IsFloat = false;
  while (I < Len && (IsAsciiDigit(Text[I]) || QStringLiteral("+-.Ee").contains(Text[I]))) {
    ++I;
    IsFloat = true;
  }
  const String Error = QStringLiteral("Illegal character in numeric contant \"%1\"").arg(Text);
  if (I < Len) {
    PutError(Error);
    return;
  }
  if (!IsFloat) {
    bool Ok = false;
    const qlonglong V = Text.toLongLong(&Ok);
    if (Ok) {
      Put(std::make_unique<TQREvElementConstant>(IntResult(V)));
      return;
    }
  }
  bool Ok = false;
  const double D = Text.toDouble(&Ok);   // the literal's point is the decimal separator
  if (!Ok) {
    PutError(Error);
    return;
  }
  Put(std::make_unique<TQREvElementConstant>(FloatResult(D)));
}

void TQREvaluator::ParseIdentifier(const String& Text)
{
  const Integer Open = Integer(Text.indexOf(QLatin1Char('(')));
  if (Open < 0)
    FindFunction(Text, String(), false);
  else if (Text.back() == QLatin1Char(')'))
    FindFunction(Text.left(Open).trimmed(), Text.mid(Open + 1, Text.size() - Open - 2), true);
  else
    FindFunction(String(), String(), false);
}

void TQREvaluator::FindFunction(const String& Name, const String& Arguments, bool HasArguments)
{
  std::unique_ptr<TQREvElement> Element = GlobalFunctionLibrary().GetFunction(Name.toUpper());
  if (dynamic_cast<TQREvElementError*>(Element.get())) {
    if (HasArguments)
      Put(std::move(Element));
    else
      FindDataField(Name);
    return;
  }
  Put(std::move(Element));
  // Arguments end at separators outside quotes, brackets and parentheses.
  TScanState State;
  Integer Start = 0;
  const Integer Len = Integer(Arguments.size());
  for (Integer I = 0; I < Len - 1; ++I) {
    State.Step(Arguments[I]);
    if (State.Free() && Arguments[I] == ArgumentSeparator) {
      ParseExpression(Arguments.mid(Start, I - Start));
      Start = I + 1;
    }
  }
  if (Start < Len)
    ParseExpression(Arguments.mid(Start));
  Put(std::make_unique<TQREvElementArgumentEnd>());
}

void TQREvaluator::FindDataField(const String& Name)
{
  if (!FDataSets.Assigned()) {
    FindEnvironmentName(Name);
    return;
  }
  const Integer Dot = Integer(Name.indexOf(QLatin1Char('.')));
  const String DataSetName = Dot < 0 ? String() : Name.left(Dot).toUpper();
  const String FieldName = (Dot < 0 ? Name : Name.mid(Dot + 1)).toUpper();
  for (TDataSet* DS : *FDataSets.Assigned()) {
    if (!DS)
      continue;
    if (!DataSetName.isEmpty() && DS->Name().toUpper() != DataSetName)
      continue;
    if (TField* F = DS->FindField(FieldName)) {
      Put(std::make_unique<TQREvElementDataField>(F));
      return;
    }
    if (!DataSetName.isEmpty())
      break;
  }
  FindEnvironmentName(Name);
}

void TQREvaluator::FindEnvironmentName(const String& Name)
{
  std::unique_ptr<TQREvElement> Element;
  if (FEnvironment) {
    Element = FEnvironment->Element(Name);
    if (dynamic_cast<TQREvElementError*>(Element.get()))
      Element.reset();
  }
  if (!Element)
    Element = GlobalEnvironment()->Element(Name);
  Put(std::move(Element));
}

// ---------------------------------------------------------------------------
// The function library

void TQRLibrary::Add(const TQRLibraryItemClass& aItem, const String& AName, const String& AData,
                     const String& AVendor, const String& ADescription)
{
  auto Entry = std::make_unique<TQRLibraryEntry>();
  Entry->Item = aItem;
  Entry->Name = AName;
  Entry->Data = AData;
  Entry->Vendor = AVendor;
  Entry->Description = ADescription;
  FEntries.push_back(std::move(Entry));
}

TQRLibraryEntry* TQRLibrary::GetEntry(Integer Index)
{
  return Index >= 0 && Index < Count() ? FEntries[std::size_t(Index)].get() : nullptr;
}

TQRLibraryEntry* TQRLibrary::Find(const String& Name)
{
  for (const auto& E : FEntries)
    if (E->Name.compare(Name, Qt::CaseInsensitive) == 0)
      return E.get();
  return nullptr;
}

std::unique_ptr<TQREvElement> TQRFunctionLibrary::GetFunction(const String& Name)
{
  if (TQRLibraryEntry* Entry = Find(Name))
    return Entry->Item();
  return std::make_unique<TQREvElementError>(QStringLiteral("Unknown function : %1").arg(Name));
}

void AddLibraryFunction(const TQRLibraryItemClass& aItem, const String& Name, const String& Description,
                        const String& Data, const String& Vendor)
{
  GlobalFunctionLibrary().Add(aItem, Name, Data, Vendor, Description);
}

// ---------------------------------------------------------------------------
// The built-in functions

namespace {

bool IsNumeric(const TQREvResult& R) { return R.Kind == resInt || R.Kind == resDouble; }
double AsNumber(const TQREvResult& R) { return R.Kind == resInt ? double(R.intResult) : R.dblResult; }
String WrongArguments(const char* Name) { return QStringLiteral("Wrong arguments for %1").arg(QLatin1String(Name)); }
// An error result that keeps whatever message the result had.
void SetBareError(TQREvResult& Result) { Result.Kind = resError; }

class TQREvIfFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 3 && Arg(0).Kind == resBool)
      Argument(Arg(0).booResult ? 1 : 2, Result);
    else
      SetErrorResult(WrongArguments("IF"), Result);
  }
};

class TQREvStrFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 1 && (IsNumeric(Arg(0)) || Arg(0).Kind == resBool))
      Result = StringResult(EvResultToString(Arg(0)));
    else
      SetErrorResult(QStringLiteral("Conversion error"), Result);
  }
};

// UPPER, LOWER and PRETTY: one text argument.
class TQREvCaseFunction : public TQREvElementFunction {
public:
  TQREvCaseFunction(const char* Name, String (*Convert)(const String&)) : FName(Name), FConvert(Convert) {}
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() != 1)
      SetErrorResult(QStringLiteral("Missing argument for %1").arg(QLatin1String(FName)), Result);
    else if (Arg(0).Kind != resString)
      SetErrorResult(Arg(0).StringVal, Result);
    else
      Result = StringResult(FConvert(Arg(0).StringVal));
  }
private:
  const char* FName;
  String (*FConvert)(const String&);
};

String Pretty(const String& S)
{
  if (S.isEmpty())
    return S;
  // A character of two units is upper-cased whole.
  const Integer Head = S[0].isHighSurrogate() && S.size() > 1 ? 2 : 1;
  return AnsiUpperCase(S.left(Head)) + AnsiLowerCase(S.mid(Head));
}

class TQREvTimeFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 0)
      Result = StringResult(TimeToStr(Time()));
    else
      SetBareError(Result);
  }
};

class TQREvDateFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 0)
      Result = StringResult(DateToStr(Date()));
    else
      SetBareError(Result);
  }
};

class TQREvCopyFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() != 3 || Arg(0).Kind != resString || Arg(1).Kind != resInt || Arg(2).Kind != resInt) {
      SetBareError(Result);
      return;
    }
    const String& S = Arg(0).StringVal;
    Int64 Start = std::max<Int64>(Arg(1).intResult, 1) - 1;
    Int64 Len = Arg(2).intResult;
    if (Start >= S.size() || Len <= 0) {
      Result = StringResult(String());
      return;
    }
    // Never cut a character of two units in half.
    if (S[Start].isLowSurrogate()) {
      ++Start;
      --Len;
    }
    Len = std::min<Int64>(Len, S.size() - Start);
    if (Len > 0 && S[Start + Len - 1].isHighSurrogate())
      --Len;
    Result = StringResult(Len > 0 ? S.mid(Start, Len) : String());
  }
};

// SUM keeps integers exact in 64 bits; an integer meeting a float makes the
// total a float.
class TQREvSumFunction : public TQREvElementFunction {
public:
  TQREvSumFunction() { FIsAggreg = true; }
  void Aggregate() override
  {
    if (ArgCount() != 1) {
      SumResult.Kind = resError;
      return;
    }
    const TQREvResult& V = Arg(0);
    if (!ResAssigned) {
      SumResult = IsNumeric(V) ? V : ErrorResult(QString());
    } else if (SumResult.Kind != resError) {
      if (V.Kind == resString)
        SumResult.Kind = resError;
      else if (IsNumeric(V)) {
        if (SumResult.Kind == resInt && V.Kind == resInt)
          SumResult.intResult = WrapAdd(SumResult.intResult, V.intResult);
        else
          SumResult = FloatResult(AsNumber(SumResult) + AsNumber(V));
      }
    }
    ResAssigned = true;
  }
  void Calculate(TQREvResult& Result) override { Result = ResAssigned ? SumResult : IntResult(0); }
  void Reset() override { ResAssigned = false; }

protected:
  TQREvResult SumResult;
  bool ResAssigned = false;
};

class TQREvAverageFunction : public TQREvSumFunction {
public:
  TQREvAverageFunction() { aResult = FloatResult(0); }
  void Aggregate() override
  {
    TQREvSumFunction::Aggregate();
    ++Count;
    if (IsNumeric(SumResult))
      aResult = FloatResult(AsNumber(SumResult) / Count);
    else
      aResult = ErrorResult(QString());
  }
  void Calculate(TQREvResult& Result) override { Result = aResult; }
  void Reset() override
  {
    TQREvSumFunction::Reset();
    aResult = FloatResult(0);
    Count = 0;
  }

private:
  Integer Count = 0;
  TQREvResult aResult;
};

// MAX and MIN: values compared by the kind already held.
class TQREvExtremeFunction : public TQREvElementFunction {
public:
  explicit TQREvExtremeFunction(bool Greatest) : FGreatest(Greatest) { FIsAggreg = true; }
  void Aggregate() override
  {
    if (ArgCount() != 1) {
      FResult.Kind = resError;
      return;
    }
    const TQREvResult& V = Arg(0);
    if (!ResAssigned) {
      FResult = V;
      ResAssigned = true;
      return;
    }
    Integer Order = 0;
    switch (FResult.Kind) {
    case resInt:
    case resDouble:
      if (!IsNumeric(V))
        return;
      if (FResult.Kind == resInt && V.Kind == resInt)
        Order = V.intResult < FResult.intResult ? -1 : (V.intResult > FResult.intResult ? 1 : 0);
      else
        Order = AsNumber(V) < AsNumber(FResult) ? -1 : (AsNumber(V) > AsNumber(FResult) ? 1 : 0);
      break;
    case resString:
      Order = V.Kind == resString ? V.StringVal.compare(FResult.StringVal, Qt::CaseSensitive) : 0;
      break;
    case resBool:
      Order = V.Kind == resBool ? Integer(V.booResult) - Integer(FResult.booResult) : 0;
      break;
    case resError: return;
    }
    if ((FGreatest && Order > 0) || (!FGreatest && Order < 0))
      FResult = (FResult.Kind == resDouble && V.Kind == resInt) ? FloatResult(double(V.intResult)) : V;
  }
  void Calculate(TQREvResult& Result) override { Result = ResAssigned ? FResult : IntResult(0); }
  void Reset() override { ResAssigned = false; }

private:
  bool FGreatest;
  TQREvResult FResult;
  bool ResAssigned = false;
};

class TQREvCountFunction : public TQREvElementFunction {
public:
  TQREvCountFunction() { FIsAggreg = true; }
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override
  {
    GetArguments(FiFo);
    if (ArgCount() == 0) {
      if (FiFo.Aggreg())
        ++FCount;
      Result = IntResult(FCount);
    } else {
      SetErrorResult(QStringLiteral("COUNT - Too many arguments"), Result);
    }
    FreeArguments();
  }
  void Reset() override { FCount = 0; }

private:
  Int64 FCount = 0;
};

class TQREvBoolConstant : public TQREvElementFunction {
public:
  explicit TQREvBoolConstant(bool Value) : FValue(Value) {}
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 0)
      Result = BoolResult(FValue);
    else
      SetErrorResult(QStringLiteral("Too many arguments"), Result);
  }
private:
  bool FValue;
};

class TQREvIntFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 1 && IsNumeric(Arg(0)))
      Result = IntResult(Arg(0).Kind == resInt ? Arg(0).intResult : Int64(std::trunc(Arg(0).dblResult)));
    else
      SetErrorResult(WrongArguments("INT"), Result);
  }
};

class TQREvFracFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 1 && IsNumeric(Arg(0))) {
      const double V = AsNumber(Arg(0));
      Result = FloatResult(Arg(0).Kind == resInt ? 0.0 : V - std::trunc(V));
    } else {
      SetBareError(Result);
    }
  }
};

class TQREvSQRTFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() == 1 && IsNumeric(Arg(0)) && AsNumber(Arg(0)) >= 0)
      Result = FloatResult(std::sqrt(AsNumber(Arg(0))));
    else
      SetErrorResult(QStringLiteral("Invalid argument to SQRT function"), Result);
  }
};

class TQREvDivFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() != 2 || !IsNumeric(Arg(0)) || !IsNumeric(Arg(1))) {
      SetErrorResult(WrongArguments("DIV"), Result);
      return;
    }
    auto Whole = [](const TQREvResult& R) { return R.Kind == resInt ? R.intResult : Int64(std::nearbyint(R.dblResult)); };
    const Int64 A = Whole(Arg(0)), B = Whole(Arg(1));
    if (B == 0)
      SetErrorResult(QStringLiteral("Division by Zero"), Result);
    else if (B == -1)
      Result = IntResult(WrapSub(0, A));   // the one quotient that overflows
    else
      Result = IntResult(A / B);
  }
};

class TQREvTypeOfFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    static const char* const Names[] = {"INTEGER", "FLOAT", "STRING", "BOOLEAN", "ERROR"};
    if (ArgCount() == 1)
      Result = StringResult(QLatin1String(Names[Arg(0).Kind]));
    else
      SetErrorResult(WrongArguments("TypeOf"), Result);
  }
};

class TQREvFormatNumericFunction : public TQREvElementFunction {
  void Calculate(TQREvResult& Result) override
  {
    if (ArgCount() != 2 || Arg(0).Kind != resString || !IsNumeric(Arg(1))) {
      SetBareError(Result);
      return;
    }
    try {
      Result = StringResult(FormatFloat(Arg(0).StringVal, AsNumber(Arg(1))));
    } catch (const Exception&) {
      SetErrorResult(QStringLiteral("Invalid format or value specified"), Result);
    }
  }
};

template <class T, class... Args>
TQRLibraryItemClass Maker(Args... A)
{
  return [=] { return std::unique_ptr<TQREvElementFunction>(new T(A...)); };
}

void RegisterBuiltIns(TQRFunctionLibrary& L)
{
  const String Vendor = QStringLiteral("VELMORA");
  auto Add = [&](const TQRLibraryItemClass& Item, const char* Name, const char* Data, const char* Template,
                 const char* Text, const char* Bar = "|") {
    L.Add(Item, QLatin1String(Name), QLatin1String(Data), Vendor,
          QLatin1String(Template) + QLatin1String(Bar) + QLatin1String(Text));
  };
  Add(Maker<TQREvIfFunction>(), "IF", "5BVV", "IF(<Exp>, <X>, <Y>)",
      "Returns <X> or <Y> depending on the boolean expression <Exp>");
  Add(Maker<TQREvStrFunction>(), "STR", "7N", "STR(<X>)", "Convert a numeric <X> to a string");
  Add(Maker<TQREvCaseFunction>("UPPER", &AnsiUpperCase), "UPPER", "7S", "UPPER(<X>)",
      "Converts a string to upper case letters");
  Add(Maker<TQREvCaseFunction>("LOWER", &AnsiLowerCase), "LOWER", "7S", "LOWER(<X>)",
      "Converts a string to lower case letters");
  Add(Maker<TQREvCaseFunction>("PRETTY", &Pretty), "PRETTY", "7S", "PRETTY(<X>)",
      "Makes the first character upper case and the rest lower case");
  Add(Maker<TQREvTimeFunction>(), "TIME", "1", "TIME", "Return current time as a string");
  Add(Maker<TQREvDateFunction>(), "DATE", "1", "DATE", "Return current date as a string");
  Add(Maker<TQREvCopyFunction>(), "COPY", "7SNN", "COPY(<X>, <St>,<Len>)", "Returns a substring of string X");
  Add(Maker<TQREvSumFunction>(), "SUM", "3N", "SUM(<X>)", "Sums the numeric <X>");
  Add(Maker<TQREvCountFunction>(), "COUNT", "3", "COUNT", "Increments for each iteration");
  Add(Maker<TQREvExtremeFunction>(true), "MAX", "3V", "MAX(<X>)", "Returns the highest <X>");
  Add(Maker<TQREvExtremeFunction>(false), "MIN", "3V", "MIN(<X>)", "Returns the lowest <X>");
  Add(Maker<TQREvAverageFunction>(), "AVERAGE", "3N", "AVERAGE(<X>)", "Returns the average of numeric <X>");
  Add(Maker<TQREvBoolConstant>(true), "TRUE", "5", "TRUE", "boolean value");
  Add(Maker<TQREvBoolConstant>(false), "FALSE", "5", "FALSE", "boolean value");
  Add(Maker<TQREvIntFunction>(), "INT", "2N", "INT(<X>)", "Returns the integer part of <X>");
  Add(Maker<TQREvFracFunction>(), "FRAC", "2N", "FRAC(<X>)", "Returns the fractional part of <X>");
  Add(Maker<TQREvSQRTFunction>(), "SQRT", "2N", "SQRT(<X>)", "Returns square root of <X>");
  Add(Maker<TQREvDivFunction>(), "DIV", "2NN", "DIV(<X>, <Y>)", "Integer division of <X> by <Y>", " | ");
  Add(Maker<TQREvTypeOfFunction>(), "TYPEOF", "6N", "TYPEOF(<Exp>)", "Returns the data type of <Exp>");
  Add(Maker<TQREvFormatNumericFunction>(), "FORMATNUMERIC", "7SN", "FORMATNUMERIC(<F>,<N>)",
      "Formats numeric <N> using the mask in <F>");
}

}   // namespace

TQRFunctionLibrary& GlobalFunctionLibrary()
{
  static TQRFunctionLibrary Library;
  static const bool Registered = (RegisterBuiltIns(Library), true);
  (void)Registered;
  return Library;
}

// The environment shared by every report, with the program's start and name.
TQREvEnvironment* GlobalEnvironment()
{
  static TQREvEnvironment* Global = [] {
    auto* E = new TQREvEnvironment();   // lives as long as the program
    const TDateTime Start = Now();
    E->AddFunction(QStringLiteral("APPSTARTTIME"), QLatin1Char('\'') + TimeToStr(Start) + QLatin1Char('\''));
    E->AddFunction(QStringLiteral("APPSTARTDATE"), QLatin1Char('\'') + DateToStr(Start) + QLatin1Char('\''));
    const String Title = Application ? Application->Title() : String();
    E->AddFunction(QStringLiteral("APPNAME"), QLatin1Char('\'') + Title + QLatin1Char('\''));
    return E;
  }();
  return Global;
}

// ---------------------------------------------------------------------------
// Environments

TQREvEmbeddedFunction::TQREvEmbeddedFunction(const String& Expression) : FExpression(Expression) {}

void TQREvEmbeddedFunction::Value(TQRFiFo&, TQREvResult& Result)
{
  if (FInEvaluate) {
    SetErrorResult(QStringLiteral("Recursive calls not allowed"), Result);
    return;
  }
  if (!Evaluator.Prepared()) {
    SetErrorResult(QString(), Result);
    return;
  }
  FInEvaluate = true;
  try {
    Evaluator.Value(Result);
  } catch (...) {
    FInEvaluate = false;
    throw;
  }
  FInEvaluate = false;
}

// While an environment unprepares its entries, their evaluators' own calls
// to unprepare the global environment are not counted again.
static bool UnprepareGuard = false;

TQREvEnvironment::TQREvEnvironment() { SetCaseSensitive(false); }

TQREvEnvironment::~TQREvEnvironment()
{
  Clear();
}

TQREvEmbeddedFunction* TQREvEnvironment::Entry(Integer Index) const
{
  return static_cast<TQREvEmbeddedFunction*>(Objects(Index));
}

void TQREvEnvironment::Clear()
{
  for (Integer I = 0; I < Count(); ++I)
    delete Entry(I);
  inherited::Clear();
}


void TQREvEnvironment::PrepareEntry(TQREvEmbeddedFunction* E)
{
  if (!E)
    return;
  E->Evaluator.SetDataSets(FDatasets.Assigned());
  E->Evaluator.SetEnvironment(this);
  E->Evaluator.Prepare(E->Expression());
}

void TQREvEnvironment::AddFunction(const String& AName, const String& AExpression)
{
  const String Name = AName.toUpper();
  if (IndexOf(Name) >= 0)
    return;
  AddObject(Name, new TQREvEmbeddedFunction(AExpression));
  if (Prepared())
    PrepareEntry(Entry(Count() - 1));
}

void TQREvEnvironment::DeleteFunction(const String& AName)
{
  const Integer I = IndexOf(AName.toUpper());
  if (I < 0)
    return;
  delete Entry(I);
  Delete(I);
}

void TQREvEnvironment::Prepare()
{
  if (++PrepareCount > 1)
    return;
  for (Integer I = 0; I < Count(); ++I)
    PrepareEntry(Entry(I));
}

void TQREvEnvironment::Unprepare()
{
  if (this == GlobalEnvironment() && UnprepareGuard)
    return;
  const bool Outer = !UnprepareGuard;
  UnprepareGuard = true;
  PrepareCount = std::max(PrepareCount - 1, 0);
  if (PrepareCount == 0)
    for (Integer I = 0; I < Count(); ++I)
      if (TQREvEmbeddedFunction* E = Entry(I); E && E->Evaluator.Prepared())
        E->Evaluator.UnPrepare();
  if (Outer)
    UnprepareGuard = false;
}

std::unique_ptr<TQREvElement> TQREvEnvironment::Element(const String& Name)
{
  const Integer I = IndexOf(Name.toUpper());
  if (I >= 0 && Entry(I))
    return std::make_unique<TQREvElementWrapper>(Entry(I));
  return std::make_unique<TQREvElementError>(QStringLiteral("Unknown function : %1").arg(Name));
}

void TQREvEnvironment::Value(const String& Name, TQREvResult& Result)
{
  const Integer I = IndexOf(Name.toUpper());
  if (I < 0 || !Entry(I)) {
    SetBareError(Result);
    return;
  }
  TQRFiFo Unused;
  Entry(I)->Value(Unused, Result);
}

TQREvElement* TQREvEnvironment::GetConstant(const String& Name)
{
  const Integer I = IndexOf(Name.toUpper());
  return I >= 0 && Entry(I) ? Entry(I)->Peek(0) : nullptr;
}

void TQREvEnvironment::SetIntegerConstant(TQREvElement* Constant, Int64 Value)
{
  if (auto* C = dynamic_cast<TQREvElementConstant*>(Constant))
    C->SetValue(IntResult(Value));
}

void TQREvEnvironment::SetFloatConstant(TQREvElement* Constant, double Value)
{
  if (auto* C = dynamic_cast<TQREvElementConstant*>(Constant))
    C->SetValue(FloatResult(Value));
}

void TQREvEnvironment::SetBooleanConstant(TQREvElement* Constant, bool Value)
{
  if (auto* C = dynamic_cast<TQREvElementConstant*>(Constant))
    C->SetValue(BoolResult(Value));
}

void TQREvEnvironment::SetStringConstant(TQREvElement* Constant, const String& Value)
{
  if (auto* C = dynamic_cast<TQREvElementString*>(Constant))
    C->SetValue(Value);
}

void TQREvEnvironment::SetConstant(TQREvElement* Constant, const TQREvResult& Value)
{
  if (auto* C = dynamic_cast<TQREvElementConstant*>(Constant))
    C->SetValue(Value);
  else if (auto* S = dynamic_cast<TQREvElementString*>(Constant); S && Value.Kind == resString)
    S->SetValue(Value.StringVal);
}

void TQREvEnvironment::UpdateConstant(const String& Name, const TQREvResult& Value)
{
  SetConstant(GetConstant(Name), Value);
}

void TQREvEnvironment::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
    QStringLiteral("DATA"), [this](TReader& R) { ReadFunctions(R); }, [this](TWriter& W) { WriteFunctions(W); },
    true);
}

void TQREvEnvironment::ReadFunctions(TReader& Reader)
{
  Reader.ReadListBegin();
  Integer I = 0;
  while (!Reader.EndOfList()) {
    const String Expression = Reader.ReadString();
    if (I < Count()) {
      delete Entry(I);
      PutObject(I, new TQREvEmbeddedFunction(Expression));
    }
    ++I;
  }
  Reader.ReadListEnd();
}

void TQREvEnvironment::WriteFunctions(TWriter& Writer)
{
  Writer.WriteListBegin();
  for (Integer I = 0; I < Count(); ++I)
    Writer.WriteString(Entry(I) ? Entry(I)->Expression() : String());
  Writer.WriteListEnd();
}
