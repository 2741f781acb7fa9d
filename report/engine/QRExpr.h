// QRExpr.h: the report expression language: typed results, the prepared
// element list and its evaluator, the function library with the built-in
// functions, and the environments of named expressions and constants.
#pragma once

#include "report/engine/QRPrntr.h"

#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TField;

enum TQREvResultType { resInt, resDouble, resString, resBool, resError };
enum TQREvOperator {
  opLess, opLessOrEqual, opGreater, opGreaterOrEqual, opEqual, opUnequal,
  opPlus, opMinus, opOr, opMul, opDiv, opAnd
};

// A typed value; an error carries its message in StringVal. Integers are
// 64-bit so that sums of big counters and bigint fields stay exact.
struct TQREvResult {
  Word CodePage = 0;
  String StringVal;
  TQREvResultType Kind = resInt;
  Int64 intResult = 0;
  double dblResult = 0;
  bool booResult = false;
};

TQREvResult IntResult(Int64 Value);
TQREvResult FloatResult(double Value);
TQREvResult StringResult(const String& Value);
TQREvResult BoolResult(bool Value);
void SetErrorResult(const String& Text, TQREvResult& Result);
// The text of a result as AsString gives it (an error gives its message).
String EvResultToString(const TQREvResult& Result);

// A dataset list given from outside (never freed here), or an own one made
// on first use.
class TQRDataSetList {
public:
  std::vector<TDataSet*>* Get();
  void Set(std::vector<TDataSet*>* Value);
  std::vector<TDataSet*>* Assigned() const { return FList; }
private:
  std::unique_ptr<std::vector<TDataSet*>> FOwn;
  std::vector<TDataSet*>* FList = nullptr;
};

class TQRFiFo;
class TQREvaluator;
class TQREvEnvironment;

class TQREvElement : public TObject {
public:
  virtual ~TQREvElement() = default;
  virtual void Value(TQRFiFo& FiFo, TQREvResult& Result);
  virtual void Reset() {}
  bool IsAggreg() const { return FIsAggreg; }

protected:
  bool FIsAggreg = false;
};

// The prepared form: elements in prefix order, read with one cursor.
class TQRFiFo {
public:
  bool Aggreg() const { return FAggreg; }
  void SetAggreg(bool Value) { FAggreg = Value; }
  void Start() { FNextItem = 0; }
  void Put(std::unique_ptr<TQREvElement> Value) { FiFo.push_back(std::move(Value)); }
  TQREvElement* Get() { return FNextItem < FiFo.size() ? FiFo[FNextItem++].get() : nullptr; }
  std::size_t Count() const { return FiFo.size(); }
  TQREvElement* Item(std::size_t Index) const { return Index < FiFo.size() ? FiFo[Index].get() : nullptr; }

private:
  bool FAggreg = false;
  std::vector<std::unique_ptr<TQREvElement>> FiFo;
  std::size_t FNextItem = 0;
};

class TQREvElementOperator : public TQREvElement {
public:
  explicit TQREvElementOperator(TQREvOperator OpCode) : FOpCode(OpCode) {}
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
private:
  TQREvOperator FOpCode;
};

// Negation of a boolean operand, done when evaluated.
class TQREvElementNot : public TQREvElement {
public:
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
};

class TQREvElementConstant : public TQREvElement {
public:
  explicit TQREvElementConstant(const TQREvResult& Value) : FValue(Value) {}
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
  void SetValue(const TQREvResult& Value) { FValue = Value; }
private:
  TQREvResult FValue;
};

class TQREvElementString : public TQREvElement {
public:
  explicit TQREvElementString(const String& Value) : FValue(Value) {}
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
  void SetValue(const String& Value) { FValue = Value; }
private:
  String FValue;
};

class TQREvElementArgumentEnd : public TQREvElement {};

class TQREvElementError : public TQREvElement {
public:
  explicit TQREvElementError(const String& ErrorMessage) : FErrorMessage(ErrorMessage) {}
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
  const String& ErrorMessage() const { return FErrorMessage; }
private:
  String FErrorMessage;
};

class TQREvElementDataField : public TQREvElement {
public:
  explicit TQREvElementDataField(TField* aField);
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
private:
  TDataSet* FDataSet = nullptr;
  Integer FFieldNo = -1;
  TField* FField = nullptr;
};

class TQREvElementWrapper : public TQREvElement {
public:
  explicit TQREvElementWrapper(TQREvElement* Embedded) : FEmbeddedFunction(Embedded) {}
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
  TQREvElement* EmbeddedFunction() const { return FEmbeddedFunction; }
private:
  TQREvElement* FEmbeddedFunction;   // not owned
};

// A function: takes its evaluated arguments from the list up to the
// argument end, accumulates while the list aggregates, then calculates.
class TQREvElementFunction : public TQREvElement {
public:
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
  virtual void Aggregate() {}
  virtual void Calculate(TQREvResult& Result);

protected:
  void GetArguments(TQRFiFo& FiFo);
  void FreeArguments() { ArgList.clear(); }
  Integer ArgCount() const { return Integer(ArgList.size()); }
  void Argument(Integer Index, TQREvResult& Result) const { Result = ArgList[std::size_t(Index)]; }
  const TQREvResult& Arg(Integer Index) const { return ArgList[std::size_t(Index)]; }

  std::vector<TQREvResult> ArgList;
};

using TQRLibraryItemClass = std::function<std::unique_ptr<TQREvElementFunction>()>;

class TQRLibraryEntry {
public:
  String Description;   // call template, "|", text
  String Data;          // category digit, then B/N/S/V per argument
  TQRLibraryItemClass Item;
  String Name;
  String Vendor;
};

class TQRLibrary {
public:
  virtual ~TQRLibrary() = default;
  void Add(const TQRLibraryItemClass& aItem, const String& AName, const String& AData, const String& AVendor,
           const String& ADescription);
  Integer Count() const { return Integer(FEntries.size()); }
  virtual TQRLibraryEntry* GetEntry(Integer Index);
  TQRLibraryEntry* Entry(Integer Index) { return GetEntry(Index); }

protected:
  TQRLibraryEntry* Find(const String& Name);
  std::vector<std::unique_ptr<TQRLibraryEntry>> FEntries;
};

class TQRFunctionLibrary : public TQRLibrary {
public:
  // A new element for the function, or an error element for an unknown name.
  std::unique_ptr<TQREvElement> GetFunction(const String& Name);
};

TQRFunctionLibrary& GlobalFunctionLibrary();
void AddLibraryFunction(const TQRLibraryItemClass& aItem, const String& Name, const String& Description,
                        const String& Data, const String& Vendor);
TQREvEnvironment* GlobalEnvironment();
inline constexpr QChar ArgumentSeparator = QLatin1Char(',');

class TQREvaluator {
public:
  TQREvaluator();
  virtual ~TQREvaluator();
  TQREvaluator(const TQREvaluator&) = delete;
  TQREvaluator& operator=(const TQREvaluator&) = delete;

  // The datasets whose fields expressions may name; an own list is made on
  // first use. A list given from outside is never freed here.
  std::vector<TDataSet*>* DataSets() { return FDataSets.Get(); }
  void SetDataSets(std::vector<TDataSet*>* Value) { FDataSets.Set(Value); }
  TQREvEnvironment* Environment() const { return FEnvironment; }
  void SetEnvironment(TQREvEnvironment* Value) { FEnvironment = Value; }
  bool Prepared() const { return FPrepared; }
  bool IsAggreg() const;
  bool Aggregate() const { return FiFo && FiFo->Aggreg(); }
  void SetAggregate(bool Value);

  void Prepare(const String& StrExpr);
  void UnPrepare();
  void Value(TQREvResult& Result);
  TQREvResult Value();
  void DoAggregate();
  void Reset();
  void Calculate(const String& StrExpr, TQREvResult& Result);

  String AsString();
  Int64 AsInteger();
  double AsFloat();
  bool AsBoolean();
  Variant AsVariant();

  // The prepared element at Index, or nullptr.
  TQREvElement* Peek(Integer Index) const;

protected:
  virtual void FindFunction(const String& Name, const String& Arguments, bool HasArguments);
  virtual void FindDataField(const String& Name);

private:
  void ParseExpression(const String& Text);
  void ParseSimpleExpression(const String& Text);
  void ParseTerm(const String& Text);
  void ParseFactor(const String& Text);
  void ParseNumber(const String& Text);
  void ParseIdentifier(const String& Text);
  void FindEnvironmentName(const String& Name);
  void Put(std::unique_ptr<TQREvElement> Element) { FiFo->Put(std::move(Element)); }
  void PutError(const String& Message);

  TQRDataSetList FDataSets;
  std::unique_ptr<TQRFiFo> FiFo;
  bool FPrepared = false;
  TQREvEnvironment* FEnvironment = nullptr;
  Integer FDepth = 0;   // nesting while parsing
};

// The value of one environment entry: its own prepared evaluator, guarded
// against an entry that uses itself.
class TQREvEmbeddedFunction : public TQREvElement {
public:
  explicit TQREvEmbeddedFunction(const String& Expression);
  void Value(TQRFiFo& FiFo, TQREvResult& Result) override;
  void Reset() override { Evaluator.Reset(); }
  const String& Expression() const { return FExpression; }
  TQREvElement* Peek(Integer Index) const { return Evaluator.Peek(Index); }
  TQREvaluator Evaluator;

private:
  String FExpression;
  bool FInEvaluate = false;
};

// Named expressions and constants; names are kept upper-cased. Stored in a
// form as "Strings" (the names) and "DATA" (the expressions, in order).
class TQREvEnvironment : public TStringList {
  VELMORA_CLASS(TQREvEnvironment)
  using inherited = TStringList;
public:
  TQREvEnvironment();
  ~TQREvEnvironment() override;

  void Clear() override;
  void AddFunction(const String& AName, const String& AExpression);
  void DeleteFunction(const String& AName);
  void Prepare();
  void Unprepare();
  bool Prepared() const { return PrepareCount > 0; }
  std::unique_ptr<TQREvElement> Element(const String& Name);
  void Value(const String& Name, TQREvResult& Result);
  TQREvElement* GetConstant(const String& Name);
  void SetIntegerConstant(TQREvElement* Constant, Int64 Value);
  void SetFloatConstant(TQREvElement* Constant, double Value);
  void SetBooleanConstant(TQREvElement* Constant, bool Value);
  void SetStringConstant(TQREvElement* Constant, const String& Value);
  void SetConstant(TQREvElement* Constant, const TQREvResult& Value);
  void UpdateConstant(const String& Name, const TQREvResult& Value);
  void Update() {}

  std::vector<TDataSet*>* Datasets() { return FDatasets.Get(); }
  void SetDatasets(std::vector<TDataSet*>* Value) { FDatasets.Set(Value); }
  TQREvEmbeddedFunction* Entry(Integer Index) const;

protected:
  void DefineProperties(TFiler& Filer) override;

private:
  void PrepareEntry(TQREvEmbeddedFunction* Entry);
  void ReadFunctions(TReader& Reader);
  void WriteFunctions(TWriter& Writer);

  Integer PrepareCount = 0;
  TQRDataSetList FDatasets;
};
