// DynVarsEh.cpp: named Variant values and their stand-by variable.
#include "gridlib/foundation/DynVarsEh.h"

#include "gridlib/foundation/GridLibLangConsts.h"
#include "gridlib/foundation/GridPlatformEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

static String DuplicateNameText(const String& VarName)
{
  return Format(GridLibLanguageConsts()->DuplicateVarNameEh(), {VarName});
}

// ---------------------------------------------------------------------------

TCustomDynVarEh::TCustomDynVarEh(TCollection* Collection) : TCollectionItem(Collection) {}

TCustomDynVarsEh* TCustomDynVarEh::VarCollection() const
{
  return static_cast<TCustomDynVarsEh*>(Collection());
}

void TCustomDynVarEh::CheckAdoptDummy()
{
  if (!FIsDummy)
    return;
  TCustomDynVarsEh* Owner = FOwnerWhenDummy;
  if (!Owner || Owner->FDummyVar != this)
    throw Exception(QStringLiteral("DummyVar must be same as collection DummyVar"));
  Owner->AddDynVar(this);   // raises when the name has been taken meanwhile
  FIsDummy = false;
  FOwnerWhenDummy = nullptr;
  Owner->NewDummyVar();
}

void TCustomDynVarEh::SetData(const Variant& Value)
{
  CheckAdoptDummy();
  FData = Value;
  Changed(false);
}

String TCustomDynVarEh::DataAsString() const
{
  return FData.IsEmpty() || FData.IsNull() ? String() : FData.AsString();
}

void TCustomDynVarEh::SetName(const String& Value)
{
  TCustomDynVarsEh* Owner = FIsDummy ? FOwnerWhenDummy : VarCollection();
  if (Owner)
    Owner->CheckNameIsFree(Value, this);
  // Adopted under the new name, so the name check of adoption sees it.
  const String OldName = FName;
  FName = Value;
  try {
    CheckAdoptDummy();
  } catch (...) {
    FName = OldName;
    throw;
  }
  Changed(false);
}

bool TCustomDynVarEh::IsEqual(const TCustomDynVarEh* Other) const
{
  if (!Other || FData.VType() != Other->FData.VType())
    return false;
  if (!FData.IsEmpty() && !VarValuesEqualEh(FData, Other->FData))
    return false;
  return FName == Other->FName && IsNull() == Other->IsNull();
}

String TCustomDynVarEh::DisplayName() const
{
  if (FName.isEmpty() && FData.IsEmpty())
    return inherited::DisplayName();
  String Value;
  if (FData.IsEmpty())
    Value = QStringLiteral("(Empty)");
  else if (FData.IsNull())
    Value = QStringLiteral("(Null)");
  else {
    try {
      Value = FData.AsString();
    } catch (const Exception&) {
      Value = QStringLiteral("?");
    }
  }
  return (FName.isEmpty() ? QStringLiteral("(EmptyName)") : FName) + QLatin1Char('=') + Value;
}

void TCustomDynVarEh::AssignTo(TPersistent* Dest)
{
  auto* D = dynamic_cast<TCustomDynVarEh*>(Dest);
  if (!D) {
    inherited::AssignTo(Dest);
    return;
  }
  D->SetName(FName);
  D->SetData(FData);
}

// ---------------------------------------------------------------------------

bool TDynVarEh::AsBoolean() const { return IsNull() ? false : FData.AsBoolean(); }
Currency TDynVarEh::AsCurrency() const { return IsNull() ? Currency() : FData.AsCurrency(); }
TDateTime TDynVarEh::AsDateTime() const { return IsNull() ? TDateTime(0.0) : FData.AsDateTime(); }
double TDynVarEh::AsFloat() const { return IsNull() ? 0.0 : FData.AsDouble(); }
Integer TDynVarEh::AsInteger() const { return IsNull() ? 0 : FData.AsInteger(); }
TObject* TDynVarEh::AsRefObject() const { return IsNull() ? nullptr : VarToRefObjectEh(FData); }

void TDynVarEh::SetAsRefObject(TObject* Value)
{
  Variant V;
  RefObjectToVarEh(Value, V);
  SetData(V);
}

void TDynVarEh::SetAsString(const String& Value)
{
  CheckAdoptDummy();
  FData = Variant(Value);
}

// ---------------------------------------------------------------------------

TCustomDynVarsEh::TCustomDynVarsEh(TPersistent* AOwner, TClass ItemClass) : TCollection(ItemClass), FOwner(AOwner)
{
  NewDummyVar();
}

TCustomDynVarsEh::~TCustomDynVarsEh()
{
  BeginUpdate();
  Clear();
  delete FDummyVar;
}

void TCustomDynVarsEh::NewDummyVar()
{
  auto* Var = static_cast<TCustomDynVarEh*>(ItemClass()->CreateItem(nullptr));
  Var->FIsDummy = true;
  Var->FOwnerWhenDummy = this;
  FDummyVar = Var;
}

TCustomDynVarEh* TCustomDynVarsEh::FindDynVar(const String& VarName) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->FName.compare(VarName, Qt::CaseInsensitive) == 0)
      return Items(I);
  return nullptr;
}

TCustomDynVarEh* TCustomDynVarsEh::GetDynVar(const String& VarName)
{
  if (TCustomDynVarEh* Var = FindDynVar(VarName))
    return Var;
  // Named without the renaming rules: naming alone never adopts it.
  FDummyVar->FName = VarName;
  FDummyVar->FData = Variant();
  return FDummyVar;
}

void TCustomDynVarsEh::CheckNameIsFree(const String& VarName, const TCustomDynVarEh* Except) const
{
  const TCustomDynVarEh* Found = FindDynVar(VarName);
  if (Found && Found != Except)
    throw Exception(DuplicateNameText(VarName));
}

TCustomDynVarEh* TCustomDynVarsEh::CreateVar(const String& VarName, const Variant& AValue)
{
  CheckNameIsFree(VarName, nullptr);
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  auto* Var = static_cast<TCustomDynVarEh*>(Add());
  Var->FName = VarName;
  Var->FData = AValue;
  return Var;
}

void TCustomDynVarsEh::DeleteDynVar(const String& VarName)
{
  if (TCustomDynVarEh* Var = FindDynVar(VarName))
    delete Var;
}

void TCustomDynVarsEh::AddDynVar(TCustomDynVarEh* Value)
{
  if (!Value || Value->Collection() == this)
    return;
  CheckNameIsFree(Value->FName, Value);
  Value->SetCollection(this);
}

void TCustomDynVarsEh::RemoveDynVar(TCustomDynVarEh* Value)
{
  if (Value && Value->Collection() == this)
    Value->SetCollection(nullptr);
}

bool TCustomDynVarsEh::IsEqual(const TCustomDynVarsEh* Value) const
{
  if (!Value || Value->Count() != Count())
    return false;
  for (Integer I = 0; I < Count(); ++I)
    if (!Items(I)->IsEqual(Value->Items(I)))
      return false;
  return true;
}

void TCustomDynVarsEh::AssignValues(const TCustomDynVarsEh* Value)
{
  if (!Value)
    return;
  for (Integer I = 0; I < Value->Count(); ++I)
    if (TCustomDynVarEh* Own = FindDynVar(Value->Items(I)->FName))
      Own->Assign(Value->Items(I));
}

void TCustomDynVarsEh::AssignTo(TPersistent* Dest)
{
  auto* D = dynamic_cast<TCustomDynVarsEh*>(Dest);
  if (!D) {
    inherited::AssignTo(Dest);
    return;
  }
  if (D == this)
    return;
  D->BeginUpdate();
  ScopeExit Done([&] { D->EndUpdate(); });
  D->Clear();
  for (Integer I = 0; I < Count(); ++I)
    D->CreateVar(Items(I)->FName, Items(I)->FData);
}

void TCustomDynVarsEh::Update(TCollectionItem* Item)
{
  inherited::Update(Item);
  if (OnChange)
    OnChange(this);
}

// ---------------------------------------------------------------------------

TDynVarsEh::TDynVarsEh(TPersistent* AOwner) : TCustomDynVarsEh(AOwner, TDynVarEh::StaticClass()) {}

TDynVarEh* TDynVarsEh::CreateDynVar(const String& VarName, TObject* AValue)
{
  Variant V;
  RefObjectToVarEh(AValue, V);
  return CreateDynVar(VarName, V);
}

// ---------------------------------------------------------------------------

TStringVarsEh::TStringVarsEh(TPersistent* AOwner) : TCustomDynVarsEh(AOwner, TStringVarEh::StaticClass()) {}

TStringVarEh* TStringVarsEh::VarOrRaise(const String& VarName) const
{
  TStringVarEh* Var = FindDynVar(VarName);
  if (!Var)
    throw Exception(QStringLiteral("A Variable named '%1' doesn't exist in the Collection '%2'")
                      .arg(VarName, QStringLiteral("TStringVarsEh")));
  return Var;
}

String TStringVarsEh::GetVarValue(const String& VarName) const { return VarOrRaise(VarName)->Value(); }

void TStringVarsEh::SetVarValue(const String& VarName, const String& Value)
{
  VarOrRaise(VarName)->SetValue(Value);
}

String TStringVarsEh::GetAsTextString() const
{
  String Text;
  for (Integer I = 0; I < Count(); ++I)
    Text += Items(I)->Name() + QLatin1Char('=') + Items(I)->Value() + QStringLiteral("\r\n");
  return Text;
}

// Lines end at CR LF, CR or LF; a break at the very end opens no new line.
static QStringList SplitTextLines(const String& Text)
{
  QStringList Lines;
  qsizetype Start = 0;
  for (qsizetype I = 0; I < Text.size(); ++I) {
    const QChar C = Text.at(I);
    if (C != QLatin1Char('\r') && C != QLatin1Char('\n'))
      continue;
    Lines << Text.mid(Start, I - Start);
    if (C == QLatin1Char('\r') && I + 1 < Text.size() && Text.at(I + 1) == QLatin1Char('\n'))
      ++I;
    Start = I + 1;
  }
  if (Start < Text.size())
    Lines << Text.mid(Start);
  return Lines;
}

void TStringVarsEh::SetFromTextString(const String& TextString)
{
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  Clear();
  for (const String& Line : SplitTextLines(TextString)) {
    const qsizetype Eq = Line.indexOf(QLatin1Char('='));
    if (Eq < 0)
      CreateDynVar(String(), String());
    else
      CreateDynVar(Line.left(Eq), Line.mid(Eq + 1));
  }
}

// ---------------------------------------------------------------------------

void RegisterDynVarsEhClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterClassInfo<TCustomDynVarEh, TCollectionItem>("TCustomDynVarEh");
  RegisterClassInfo<TDynVarEh, TCustomDynVarEh>("TDynVarEh")
    .Property("Name", &TDynVarEh::Name, &TDynVarEh::SetName);
  RegisterClassInfo<TStringVarEh, TCustomDynVarEh>("TStringVarEh")
    .Property("Name", &TStringVarEh::Name, &TStringVarEh::SetName)
    .Property("Value", &TStringVarEh::Value, &TStringVarEh::SetValue);
  RegisterClassInfo<TCustomDynVarsEh, TCollection>("TCustomDynVarsEh");
  RegisterClassInfo<TDynVarsEh, TCustomDynVarsEh>("TDynVarsEh");
  RegisterClassInfo<TStringVarsEh, TCustomDynVarsEh>("TStringVarsEh");
}
