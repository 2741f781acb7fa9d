// ToolCtrlsEhDropDown.cpp: how an edit button calls its drop-down form, and
// the order-by list.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/TypInfo.h"

#include <map>

// ---------------------------------------------------------------------------
// Shared instances and values of drop-down forms.

namespace {

std::map<TClass, TDropDownFormGlobalRefProcEh>& GlobalRefs()
{
  static std::map<TClass, TDropDownFormGlobalRefProcEh> Refs;
  return Refs;
}

} // namespace

void RegisterDropDownFormGlobalRefEh(TClass FormClass, TDropDownFormGlobalRefProcEh Proc)
{
  if (Proc)
    GlobalRefs()[FormClass] = std::move(Proc);
  else
    GlobalRefs().erase(FormClass);
}

TCustomForm* DropDownFormGlobalRefEh(TClass FormClass)
{
  for (TClass C = FormClass; C; C = C->Parent)
    if (auto It = GlobalRefs().find(C); It != GlobalRefs().end())
      return It->second();
  return nullptr;
}

TCustomForm* DropDownFormOfClassNameEh(const String& Name, TComponent* Owner, bool& FreeFormOnClose)
{
  FreeFormOnClose = false;
  TClass FormClass = GetClass(Name);
  if (!FormClass || !FormClass->CreateComponent || !ClassInheritsFrom(FormClass, TCustomForm::StaticClass()))
    throw Exception(QStringLiteral("Class '%1' is not registered").arg(Name));
  if (TCustomForm* Shared = DropDownFormGlobalRefEh(FormClass))
    return Shared;
  auto* Form = static_cast<TCustomForm*>(FormClass->CreateComponent(Owner));
  try {
    Form->AfterConstruction();
  } catch (...) {
    delete Form;
    throw;
  }
  // A class that made its shared instance while constructing keeps it.
  FreeFormOnClose = DropDownFormGlobalRefEh(FormClass) == nullptr;
  return Form;
}

void FillDropDownPassParamsEh(TDynVarsEh* DynParams, TDataSet* DataSet, const String& PassFieldNames,
                              TDropDownPassParamsEh PassParams, TField* Field, const Variant& Value)
{
  if (!PassFieldNames.isEmpty() && DataSet) {
    for (TField* F : DataSet->GetFieldList(PassFieldNames))
      DynParams->CreateDynVar(F->FieldName(), F->AsVariant());
    return;
  }
  switch (PassParams) {
  case pspFieldValueEh:
    DynParams->CreateDynVar(Field ? Field->FieldName() : String(), Value);
    break;
  case pspRecordValuesEh:
    if (DataSet)
      for (TField* F : *DataSet->Fields())
        DynParams->CreateDynVar(F->FieldName(), F->AsVariant());
    break;
  default:
    break;
  }
}

void AssignBackDropDownParamsEh(TDynVarsEh* DynParams, TDataSet* DataSet, const String& AssignBackFieldNames,
                                TDropDownPassParamsEh PassParams, const TSetVarValueProcEh& SetValueProc)
{
  if ((PassParams == pspByFieldNamesEh || PassParams == pspCustomValuesEh) && AssignBackFieldNames.isEmpty())
    return;
  bool Started = false;
  if (DataSet && DataSet->State() != dsEdit && DataSet->State() != dsInsert) {
    DataSet->Edit();
    Started = true;
  }
  try {
    if (!AssignBackFieldNames.isEmpty()) {
      if (DataSet)
        for (TField* F : DataSet->GetFieldList(AssignBackFieldNames))
          F->SetAsVariant(DynParams->DynVar(F->FieldName())->Value());
    } else if (DynParams->Count() > 0 && SetValueProc) {
      SetValueProc(DynParams->Items(0)->Value());
    }
    if (Started)
      DataSet->Post();
  } catch (...) {
    // A write-back that failed half-way leaves nothing behind to be posted
    // later with part of the values.
    if (Started && (DataSet->State() == dsEdit || DataSet->State() == dsInsert))
      DataSet->Cancel();
    throw;
  }
}

void ShowDropDownFormExceptionEh(TCustomForm* Form, TObject* Sender)
{
  auto* DropDown = dynamic_cast<IDropDownFormEh*>(Form);
  const bool Keep = DropDown && DropDown->GetKeepFormVisible();
  if (DropDown)
    DropDown->SetKeepFormVisible(true);
  ScopeExit Restore([&] {
    if (DropDown)
      DropDown->SetKeepFormVisible(Keep);
  });
  Application->HandleException(Sender);
}

// ---------------------------------------------------------------------------
// TDropDownFormCallParamsEh

void TDropDownFormCallParamsEh::Assign(TPersistent* Source)
{
  // A copied edit button opens the same form the same way.
  auto* Src = dynamic_cast<TDropDownFormCallParamsEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FAlign = Src->FAlign;
  FAssignBackFieldNames = Src->FAssignBackFieldNames;
  SetDropDownForm(Src->FDropDownForm);
  SetDropDownFormClassName(Src->FDropDownFormClassName);
  FFormHeight = Src->FFormHeight;
  FFormWidth = Src->FFormWidth;
  FPassFieldNames = Src->FPassFieldNames;
  FPassParams = Src->FPassParams;
  FSaveFormSize = Src->FSaveFormSize;
}

void TDropDownFormCallParamsEh::SetDropDownForm(TCustomForm* Value)
{
  if (Value == FDropDownForm)
    return;
  FDropDownForm = Value;
  Changed();
}

void TDropDownFormCallParamsEh::SetDropDownFormClassName(const String& Value)
{
  if (Value == FDropDownFormClassName)
    return;
  FDropDownFormClassName = Value;
  Changed();
}

void TDropDownFormCallParamsEh::Changed()
{
  if (OnChanged)
    OnChanged(this);
}

TCustomForm* TDropDownFormCallParamsEh::GetActualDropDownForm(bool& FreeFormOnClose)
{
  TCustomForm* Form = nullptr;
  FreeFormOnClose = false;
  if (FOnGetActualDropDownFormProc) {
    FOnGetActualDropDownFormProc(Form, FreeFormOnClose);
    return Form;
  }
  if (FDropDownForm)
    return FDropDownForm;
  if (!FDropDownFormClassName.isEmpty())
    return DropDownFormOfClassNameEh(FDropDownFormClassName, GetEditControl(), FreeFormOnClose);
  return nullptr;
}

void TDropDownFormCallParamsEh::GetVarValue(Variant& Value)
{
  Value = Null;
  if (FOnGetVarValueProc)
    FOnGetVarValueProc(Value);
  else
    Value = Variant();
}

void TDropDownFormCallParamsEh::SetVarValue(const Variant& Value)
{
  if (FOnSetVarValueProc)
    FOnSetVarValueProc(Value);
}

bool TDropDownFormCallParamsEh::CheckDataIsReadOnly()
{
  bool ReadOnly = FField && FField->ReadOnly();
  if (OnCheckDataIsReadOnly)
    OnCheckDataIsReadOnly(ReadOnly);
  return ReadOnly;
}

void TDropDownFormCallParamsEh::GetEditControlScreenRect(TRect& Rect)
{
  if (TWinControl* C = GetEditControl())
    GetControlScreenRectEh(C, Rect);
  else
    Rect = FEditControlScreenRect;
}

std::unique_ptr<TDropDownFormSysParams> TDropDownFormCallParamsEh::CreateDropDownFormSysParams()
{
  return std::make_unique<TEditControlDropDownFormSysParams>();
}

void TDropDownFormCallParamsEh::FillSysParams(TDropDownFormSysParams* SysParams)
{
  if (auto* P = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams)) {
    P->FEditControl = GetEditControl();
    P->FEditButton = GetEditButton();
  }
}

void TDropDownFormCallParamsEh::DoOpenDropDownForm(TCustomForm*& Form, TDynVarsEh* DynParams,
                                                   TDropDownFormSysParams* SysParams)
{
  (void)SysParams;
  if (FOnOpenDropDownFormProc)
    FOnOpenDropDownFormProc(GetEditControl(), GetEditButton(), Form, DynParams);
}

void TDropDownFormCallParamsEh::BeforeShowDropDownForm(TCustomForm* Form, TDynVarsEh* DynParams,
                                                       TDropDownFormSysParams* SysParams)
{
  (void)DynParams;
  (void)SysParams;
  if (TEditButtonControlEh* B = GetEditButtonControl())
    B->SetAlwaysDown(true);
  if (auto* I = dynamic_cast<IDropDownFormEh*>(Form))
    I->SetReadOnly(CheckDataIsReadOnly());
}

void TDropDownFormCallParamsEh::DropDownFormClosed(bool, TCustomForm*, TDropDownFormSysParams*, TDynVarsEh*) {}

void TDropDownFormCallParamsEh::FillPassParams(TDynVarsEh* DynParams)
{
  TDataLink* Link = GetDataLink();
  TDataSet* DataSet = Link ? Link->DataSet() : nullptr;
  Variant Value;
  if (FPassFieldNames.isEmpty() || !DataSet)
    if (FPassParams == pspFieldValueEh)
      GetVarValue(Value);
  TField* F = GetField();
  FillDropDownPassParamsEh(DynParams, DataSet, FPassFieldNames, FPassParams, F, Value);
}

void TDropDownFormCallParamsEh::AssignBackParams(TDynVarsEh* DynParams)
{
  TDataLink* Link = GetDataLink();
  AssignBackDropDownParamsEh(DynParams, Link ? Link->DataSet() : nullptr, FAssignBackFieldNames, FPassParams,
                             [this](const Variant& V) { SetVarValue(V); });
}

void TDropDownFormCallParamsEh::CheckShowDropDownForm(bool& Handled)
{
  bool FreeFormOnClose = false;
  TCustomForm* Form = GetActualDropDownForm(FreeFormOnClose);
  auto DynParams = std::make_unique<TDynVarsEh>(GetEditControl());
  std::unique_ptr<TDropDownFormSysParams> SysParams = CreateDropDownFormSysParams();
  SysParams->FreeFormOnClose = FreeFormOnClose;
  FillSysParams(SysParams.get());
  FillPassParams(DynParams.get());
  DoOpenDropDownForm(Form, DynParams.get(), SysParams.get());
  auto* DropDown = dynamic_cast<IDropDownFormEh*>(Form);
  if (!DropDown)
    return;
  if (FSaveFormSize) {
    FOldFormWidth = Form->Width();
    FOldFormHeight = Form->Height();
    if (FFormWidth > 0)
      Form->SetWidth(FFormWidth);
    if (FFormHeight > 0)
      Form->SetHeight(FFormHeight);
  }
  BeforeShowDropDownForm(Form, DynParams.get(), SysParams.get());
  TRect R;
  GetEditControlScreenRect(R);
  // From here the bags belong to the call: the call-back frees them.
  TDynVarsEh* Params = DynParams.release();
  TDropDownFormSysParams* Sys = SysParams.release();
  try {
    DropDown->ExecuteNomodal(R, nullptr,
                             [this](TCustomForm* F, bool Accept, TDynVarsEh* P, TDropDownFormSysParams* S) {
                               DropDownFormCallbackProc(F, Accept, P, S);
                             },
                             Sys, Params, DropDownAlignToAlignmentEh(FAlign));
  } catch (...) {
    // Shown or not, a form that failed to open never calls back.
    if (auto* B = GetEditButtonControl())
      B->SetAlwaysDown(false);
    delete Params;
    delete Sys;
    throw;
  }
  Handled = true;
}

void TDropDownFormCallParamsEh::DropDownFormCallbackProc(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                                         TDropDownFormSysParams* SysParams)
{
  ScopeExit Free([&] {
    delete DynParams;
    delete SysParams;
  });
  try {
    if (Accept)
      AssignBackParams(DynParams);
    Form->Hide();
    if (FSaveFormSize) {
      FFormWidth = Form->Width();
      FFormHeight = Form->Height();
      if (FOldFormWidth > 0)
        Form->SetWidth(FOldFormWidth);
      if (FOldFormHeight > 0)
        Form->SetHeight(FOldFormHeight);
    }
    if (FOnCloseDropDownFormProc)
      FOnCloseDropDownFormProc(GetEditControl(), nullptr, Accept, Form, DynParams);
    DropDownFormClosed(Accept, Form, SysParams, DynParams);
    if (TWinControl* C = GetEditControl()) {
      auto* P = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams);
      PostMessage(C, WM_USER, WPARAM(C), P && P->FEditButton ? LPARAM(P->FEditButton) : LPARAM(C));
    }
  } catch (...) {
    // The form is gone all the same: its button must not stay held down.
    if (TEditButtonControlEh* B = GetEditButtonControl())
      B->SetAlwaysDown(false);
    ShowDropDownFormExceptionEh(Form, Form);
  }
}

// ---------------------------------------------------------------------------
// TOrderByList

TOrderByList::~TOrderByList()
{
  // Items the list does not own would otherwise be lost.
  if (!OwnsObjects())
    ClearFreeItems();
}

void TOrderByList::ClearFreeItems()
{
  std::vector<TObject*> Items;
  for (Integer I = 0; I < Count(); ++I)
    Items.push_back(inherited::Items(I));
  const bool Owns = OwnsObjects();
  SetOwnsObjects(false);
  Clear();
  SetOwnsObjects(Owns);
  for (TObject* O : Items)
    delete O;
}

String TOrderByList::GetToken(const String& Exp, Integer& FromIndex) const
{
  const Integer N = Integer(Exp.size());
  while (FromIndex < N && Exp[FromIndex] == QLatin1Char(' '))
    ++FromIndex;
  if (FromIndex >= N)
    return String();
  const QChar C = Exp[FromIndex];
  if (C == QLatin1Char(',') || C == QLatin1Char(';')) {
    ++FromIndex;
    return String(C);
  }
  if (C == QLatin1Char('[')) {
    const Integer Start = ++FromIndex;
    while (FromIndex < N && Exp[FromIndex] != QLatin1Char(']'))
      ++FromIndex;
    const String Token = Exp.mid(Start, FromIndex - Start);
    if (FromIndex < N)
      ++FromIndex;
    return Token;
  }
  const Integer Start = FromIndex;
  while (FromIndex < N && Exp[FromIndex] != QLatin1Char(' ') && Exp[FromIndex] != QLatin1Char(',') &&
         Exp[FromIndex] != QLatin1Char(';'))
    ++FromIndex;
  return Exp.mid(Start, FromIndex - Start);
}

void TOrderByList::ParseOrderByStr(const String& OrderByStr)
{
  std::vector<std::unique_ptr<TOrderByItemEh>> NewItems;
  Integer Pos = 0;
  String Token = GetToken(OrderByStr, Pos);
  while (!Token.isEmpty()) {
    const Integer FieldIndex = FindFieldIndex(Token);
    if (FieldIndex < 0)
      throw Exception(QStringLiteral(" Field - \"%1\" not found.").arg(Token));
    bool Desc = false;
    while (true) {
      Token = GetToken(OrderByStr, Pos);
      if (Token.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0)
        continue;
      if (Token.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) {
        Desc = true;
        continue;
      }
      if (!Token.isEmpty() && Token != QLatin1String(",") && Token != QLatin1String(";"))
        throw Exception(QStringLiteral(" Invalid token - \"%1\"").arg(Token));
      break;
    }
    auto Item = std::make_unique<TOrderByItemEh>();
    SetItemFieldIndex(Item.get(), FieldIndex);
    Item->Desc = Desc;
    NewItems.push_back(std::move(Item));
    if (!Token.isEmpty())
      Token = GetToken(OrderByStr, Pos);
  }
  ClearFreeItems();
  for (auto& Item : NewItems)
    Add(Item.release());
}
