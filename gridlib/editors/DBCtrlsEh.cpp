// DBCtrlsEh.cpp: the field data link and the data-aware editor base.
#include "gridlib/editors/DBCtrlsEh.h"

#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

// ---------------------------------------------------------------------------
// TFieldDataLinkEh

TFieldDataLinkEh::TFieldDataLinkEh() : DataIndependentValue(Null) {}

bool TFieldDataLinkEh::Active() const { return FDataIndepended || (inherited::Active() && !FFields.empty()); }

bool TFieldDataLinkEh::DataSetActive() const
{
  TDataSource* S = DataSource();
  return S && S->DataSet() && S->DataSet()->Active();
}

bool TFieldDataLinkEh::CanModify() const
{
  TField* F = Field();
  return (F && F->CanModify()) || FDataIndepended;
}

TField* TFieldDataLinkEh::GetFieldsField(Integer Index) const
{
  if (Index < 0 || Index >= FieldsCount())
    return nullptr;
  return FFields[std::size_t(Index)];
}

void TFieldDataLinkEh::SetFieldName(const String& Value)
{
  if (FFieldName == Value)
    return;
  FFieldName = Value;
  UpdateFields();
  UpdateDataIndepended();
}

void TFieldDataLinkEh::SetMultiFields(bool Value)
{
  if (FMultiFields == Value)
    return;
  FMultiFields = Value;
  UpdateFields();
}

void TFieldDataLinkEh::SetDataSource(TDataSource* Value)
{
  if (DataSource() == Value)
    return;
  inherited::SetDataSource(Value);
  UpdateDataIndepended();
}

bool TFieldDataLinkEh::IsDataIndepended() const { return !DataSource() && FFieldName.isEmpty(); }

void TFieldDataLinkEh::UpdateDataIndepended()
{
  const bool Value = IsDataIndepended();
  if (Value == FDataIndepended)
    return;
  FDataIndepended = Value;
  DataIndependentValue = Null;
  LayoutChanged();
  if (FDataIndepended)
    RecordChanged(nullptr);
}

bool TFieldDataLinkEh::IsBoundField(const TField* Field) const
{
  return std::find(FFields.begin(), FFields.end(), Field) != FFields.end();
}

void TFieldDataLinkEh::UpdateFields()
{
  TFieldsArrEh List;
  if (inherited::Active() && !FFieldName.isEmpty()) {
    TDataSet* DS = DataSet();
    if (FMultiFields) {
      GetFieldsArrayByNamesEh(DS, FControl, FFieldName, List);
    } else {
      TField* F = DS->FindField(FFieldName);
      if (!F)
        DatabaseError(QStringLiteral("Field '%1' not found").arg(FFieldName), FControl);
      List.push_back(F);
    }
  }
  FFields = std::move(List);
  EditingChanged();
  RecordChanged(nullptr);
}

bool TFieldDataLinkEh::Edit()
{
  if (FDataIndepended) {
    if (!FEditing && !ReadOnly()) {
      FEditing = true;
      FModified = false;
      if (OnEditingChange)
        OnEditingChange(this);
    }
  } else if (CanModify()) {
    inherited::Edit();
  }
  return FEditing;
}

void TFieldDataLinkEh::SetText(const String& Text)
{
  if (FDataIndepended) {
    DataIndependentValue = Variant(Text);
    RecordChanged(nullptr);
    return;
  }
  TField* F = Field();
  if (!F)
    return;
  if (F->IsBlob())
    F->SetAsString(Text);
  else
    F->SetText(Text);
}

void TFieldDataLinkEh::SetValue(const Variant& Value)
{
  if (FDataIndepended) {
    DataIndependentValue = Value;
    RecordChanged(nullptr);
    return;
  }
  if (FFields.size() >= 2) {
    if (VarValuesEqualEh(Value, Null)) {
      for (TField* F : FFields)
        F->Clear();
      return;
    }
    if (!Value.IsArray() || VarArrayHighBound(Value, 1) - VarArrayLowBound(Value, 1) + 1 < Integer(FFields.size()))
      throw EVariantError(QStringLiteral("Variant is not an array of %1 values").arg(FFields.size()));
    const Integer Low = VarArrayLowBound(Value, 1);
    for (std::size_t I = 0; I < FFields.size(); ++I)
      FFields[I]->SetAsVariant(Value.GetElement(Low + Integer(I)));
    return;
  }
  if (TField* F = Field())
    F->SetAsVariant(Value);
}

void TFieldDataLinkEh::ActiveChanged()
{
  UpdateFields();
  if (OnActiveChange)
    OnActiveChange(this);
}

void TFieldDataLinkEh::LayoutChanged() { UpdateFields(); }

void TFieldDataLinkEh::EditingChanged()
{
  const bool Value = inherited::Editing() && CanModify();
  if (Value == FEditing)
    return;
  FEditing = Value;
  FModified = false;
  if (OnEditingChange)
    OnEditingChange(this);
}

void TFieldDataLinkEh::RecordChanged(TField* Field)
{
  if (Field && !IsBoundField(Field))
    return;
  if (OnDataChange)
    OnDataChange(this);
  FModified = false;
}

void TFieldDataLinkEh::UpdateData()
{
  if (FDataIndepended) {
    if (FModified && OnUpdateData)
      OnUpdateData(this);
    FEditing = false;
    FModified = false;
    return;
  }
  if (!FModified)
    return;
  if (Field() && OnUpdateData)
    OnUpdateData(this);
  FModified = false;
}

void TFieldDataLinkEh::FocusControl(TField*& Field)
{
  if (!Field || !IsBoundField(Field))
    return;
  auto* C = dynamic_cast<TWinControl*>(FControl);
  if (C && C->CanFocus()) {
    Field = nullptr;
    C->SetFocus();
  }
}

void TFieldDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info)
{
  inherited::DataEvent(Event, Info);
  if (Event != deDisabledStateChange)
    return;
  if (Info != 0)
    UpdateFields();
  else
    FFields.clear();
}

// ---------------------------------------------------------------------------
// Shared routines

String VarToStrSafeEh(const Variant& Value)
{
  if (Value.IsArray())
    return String();
  try {
    return VarToStr(Value);
  } catch (const Exception&) {
    return String();
  }
}

// The characters a field takes as typed: numbers refuse letters.
static bool FieldIsValidChar(TField* Field, QChar Key)
{
  switch (Field->DataType()) {
  case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftShortint: case ftByte:
  case ftLongWord:
    return Key.isDigit() || Key == u'+' || Key == u'-';
  case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: case ftExtended: case ftSingle:
    return Key.isDigit() || Key == u'+' || Key == u'-' || Key == u'E' || Key == u'e' ||
           Key == FormatSettings.DecimalSeparator;
  default:
    return true;
  }
}

// ---------------------------------------------------------------------------
// TCustomDBEditEh: data model and value flow

TCustomDBEditEh::TCustomDBEditEh(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
  FControlStyle << csCaptureMouse << csReplicatable;
  FDataLink.reset(CreateDataLink());
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* Sender) { DataLinkDataChange(Sender); };
  FDataLink->OnEditingChange = [this](TObject*) { EditingChanged(); };
  FDataLink->OnUpdateData = [this](TObject* Sender) { UpdateDataFromLink(Sender); };
  FDataLink->OnActiveChange = [this](TObject*) { ActiveChanged(); };
  FEditButton.reset(CreateEditButton());
  FEditButtons.reset(CreateEditButtons());
  FEditImage.reset(CreateEditImage());
  FMRUList = std::make_unique<TMRUListEh>(this);
  InitEditButtons();
  FDynProps = std::make_unique<TDynVarsEh>(this);
  FEmptyDataInfo = std::make_unique<TControlEmptyDataInfoEh>(this);
  FEmptyDataInfo->InitDefaults();
  UpdateEditReadOnly();
  UpdateImageIndex();
  CreateButtonsBox();
  FControlLabel = new TControlLabelEh(this);
  FControlLabel->FreeNotification(this);
  FControlLabelLocation = new TControlLabelLocationEh(this);
}

TCustomDBEditEh::~TCustomDBEditEh()
{
  // A drop-down form still open for this editor would call back into it.
  for (Integer I = Screen ? Screen->FormCount() - 1 : -1; I >= 0; --I)
    if (auto* Form = dynamic_cast<TCustomDropDownFormEh*>(Screen->Forms(I)))
      if (auto* P = dynamic_cast<TEditControlDropDownFormSysParams*>(Form->SysParams()))
        if (P->FEditControl == this && Form->CallbackProc())
          Form->Close();
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnEditingChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->OnActiveChange = nullptr;
  FDataLink->SetDataSource(nullptr);
  delete FControlLabelLocation;
  FControlLabelLocation = nullptr;
  DestroyHandle();
}

void TCustomDBEditEh::DataLinkDataChange(TObject*)
{
  DataChanged();
  UpdateEditButtonControlsState();
  if (FControlLabel)
    FControlLabel->UpdateCaption();
}

void TCustomDBEditEh::UpdateDataFromLink(TObject*)
{
  if (!FDataPosting)
    UpdateData();
}

TFieldDataLinkEh* TCustomDBEditEh::CreateDataLink() { return new TFieldDataLinkEh(); }
TEditImageEh* TCustomDBEditEh::CreateEditImage() { return new TEditImageEh(this); }

bool TCustomDBEditEh::CanDropDown() { return Enabled() && FDataLink->Active(); }

TAlignment TCustomDBEditEh::DefaultAlignment() const
{
  if (TField* F = Field())
    return F->Alignment();
  return taLeftJustify;
}

String TCustomDBEditEh::DefaultEditMask() const
{
  if (TField* F = Field())
    return F->EditMask();
  return String();
}

Variant TCustomDBEditEh::GetVariantValue() const { return Variant(Text()); }

bool TCustomDBEditEh::IsValidChar(QChar Key)
{
  TField* F = Field();
  return !F || FieldIsValidChar(F, Key);
}

void TCustomDBEditEh::ActiveChanged()
{
  ResetMaxLength();
  UpdateEditButtonControlsState();
}

bool TCustomDBEditEh::IsEmpty()
{
  if (!inherited::EditMask().isEmpty())
    return EditText() == FormatMaskTextWithMaskBlankEh(inherited::EditMask(), String());
  return Text().isEmpty();
}

// The edit box takes a text set by the editor itself, not by the user.
void TCustomDBEditEh::InternalSetText(const String& AText)
{
  const bool Old = FInternalTextSetting;
  FInternalTextSetting = true;
  auto Restore = ScopeExit([&] { FInternalTextSetting = Old; });
  TControl::SetText(AText);
}

void TCustomDBEditEh::InternalSetValue(const Variant& AValue) { InternalSetText(VarToStrSafeEh(AValue)); }

void TCustomDBEditEh::SetTextFromLink(const String& Value)
{
  const bool Old = FInternalTextSetting;
  FInternalTextSetting = true;
  auto Restore = ScopeExit([&] { FInternalTextSetting = Old; });
  SetEditText(Value);
}

// Algorithms of the load: the edit text while focused and modifiable, the
// display text otherwise.
void TCustomDBEditEh::DataChanged()
{
  TField* F = Field();
  const bool Editable = FFocused && FDataLink->CanModify();
  if (F) {
    Variant V;
    bool Handled = false;
    if (OnGetFieldData)
      OnGetFieldData(this, V, Handled);
    if (!Handled) {
      if (Editable)
        V = Variant(F->IsBlob() ? F->AsString() : F->Text());
      else
        V = Variant(F->IsBlob() ? F->AsString() : F->DisplayText());
      if (F->Alignment() != FAlignment)
        Invalidate();
      if (!FAssignedValues.Contains(evEditMaskEh))
        inherited::SetEditMask(F->EditMask());
      if (!ComponentState().Contains(csDesigning) &&
          (F->DataType() == ftString || F->DataType() == ftWideString) && MaxLength() == 0)
        SetMaxLength(F->Size());
    }
    if (Editable) {
      InternalSetText(VarToStrSafeEh(V));
    } else if (!inherited::EditMask().isEmpty()) {
      SetTextFromLink(FormatMaskTextWithMaskBlankEh(inherited::EditMask(), VarToStrSafeEh(V)));
    } else {
      SetTextFromLink(VarToStrSafeEh(V));
    }
  } else {
    if (!FAssignedValues.Contains(evEditMaskEh))
      inherited::SetEditMask(String());
    SetTextFromLink(FDataLink->DataIndepended() ? VarToStrSafeEh(FDataLink->DataIndependentValue) : String());
  }
  UpdateEditReadOnly();
  SetModified(false);
  Invalidate();
}

// Writes the text into the field, or into the editor's own value.
void TCustomDBEditEh::InternalUpdateData()
{
  if (FDataLink->DataIndepended())
    FDataLink->SetText(EditText());
  else
    FDataLink->SetText(Text());
}

bool TCustomDBEditEh::DoUpdateData()
{
  bool Handled = false;
  if (OnUpdateData) {
    const bool Old = FDataPosting;
    FDataPosting = true;
    auto Restore = ScopeExit([&] { FDataPosting = Old; });
    OnUpdateData(this, Handled);
  }
  return Handled;
}

void TCustomDBEditEh::UpdateData()
{
  if (FFocused)
    ValidateEdit();
  if (!DoUpdateData())
    InternalUpdateData();
  SetModified(false);
  if (FMRUList->Active() && FMRUList->AutoAdd() && Showing())
    FMRUList->Add(Text());
}

// A bound editor writes through its dataset, which must exist; an editor
// named to a field without a data source refuses clearly.
static TDataSet* EditDataSet(TCustomDBEditEh* Editor)
{
  TDataSource* S = Editor->DataSource();
  if (!S || !S->DataSet())
    DatabaseError(QStringLiteral("No data source to write the field '%1' to").arg(Editor->DataField()), Editor);
  return S->DataSet();
}

// A write from code: a bound editor's dataset edits, the text goes in and is
// posted at once; a refused post shows the old value again.
void TCustomDBEditEh::WriteFromCode(const std::function<void()>& Put)
{
  if (!DataIndepended()) {
    if (ComponentState().Contains(csDesigning))
      return;
    EditDataSet(this)->Edit();
  }
  Put();
  if (FDataPosting)
    return;
  try {
    UpdateData();
  } catch (...) {
    FDataLink->Reset();
    throw;
  }
}

void TCustomDBEditEh::SetText(const String& Value)
{
  WriteFromCode([&] { InternalSetText(Value); });
}

void TCustomDBEditEh::SetVariantValue(const Variant& AValue)
{
  WriteFromCode([&] { InternalSetValue(AValue); });
}

void TCustomDBEditEh::Reset()
{
  FDataLink->Reset();
  SelectAll();
}

void TCustomDBEditEh::Clear() { SetText(String()); }

void TCustomDBEditEh::Undo()
{
  if (!DataIndepended())
    EditDataSet(this)->Edit();
  TCustomEdit::Undo();
  if (FDataPosting || FFocused)
    return;
  try {
    UpdateData();
  } catch (...) {
    FDataLink->Reset();
    throw;
  }
}

void TCustomDBEditEh::Deselect() { Perform(EM_SETSEL, WPARAM(2147483647), LPARAM(-1)); }

TControlCanvas* TCustomDBEditEh::GetCanvas()
{
  if (!FCanvas) {
    FCanvas = std::make_unique<TControlCanvas>(this);
  }
  return FCanvas.get();
}

void TCustomDBEditEh::ResetMaxLength()
{
  if (MaxLength() <= 0)
    return;
  TDataSource* S = DataSource();
  if (!S || !S->DataSet())
    return;
  TField* F = S->DataSet()->FindField(DataField());
  if (F && (F->DataType() == ftString || F->DataType() == ftWideString) && F->Size() == MaxLength())
    SetMaxLength(0);
}

void TCustomDBEditEh::SetDataFieldValue(const String& Value)
{
  if (!ComponentState().Contains(csDesigning))
    ResetMaxLength();
  FDataLink->SetFieldName(Value);
  UpdateEditButtonControlsState();
  Invalidate();
}

void TCustomDBEditEh::SetDataSourceValue(TDataSource* Value)
{
  if (Value == FDataLink->DataSource())
    return;
  if (!FDataLink->DataSourceFixed())
    FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
  DataChanged();
  Invalidate();
  FInternalDataSourceRef = Value;
}

void TCustomDBEditEh::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FInternalDataSourceRef) {
    FInternalDataSourceRef = nullptr;
    SetDataSource(nullptr);
  }
  if (FEditImage && AComponent == FEditImage->Images())
    SetImages(nullptr);
  if (auto* Menu = dynamic_cast<TPopupMenu*>(AComponent)) {
    if (FEditButton && FEditButton->DropdownMenu() == Menu)
      FEditButton->SetDropdownMenu(nullptr);
    if (FEditButtons)
      for (Integer I = 0; I < FEditButtons->Count(); ++I)
        if (FEditButtons->Items(I)->DropdownMenu() == Menu)
          FEditButtons->Items(I)->SetDropdownMenu(nullptr);
  }
  if (AComponent == FControlLabel)
    FControlLabel = nullptr;
}

void TCustomDBEditEh::Loaded()
{
  inherited::Loaded();
  ResetMaxLength();
  if (ComponentState().Contains(csDesigning))
    DataChanged();
  UpdateBorderState();
}

void TCustomDBEditEh::SetReadOnly(bool Value)
{
  if (FReadOnly == Value)
    return;
  FReadOnly = Value;
  EditingChanged();
}

// The edit box's own read-only flag: a bound editor is writable only while
// its dataset edits, or while its own posting handler is there to take it.
void TCustomDBEditEh::UpdateEditReadOnly()
{
  bool RO = FReadOnly;
  if (!RO) {
    RO = !FDataLink->Editing();
    TDataSet* DS = FDataLink->DataSet();
    if (RO && OnUpdateData && DS && DS->State() == dsEdit)
      RO = false;
  }
  if (RO && FInplaceMode && FIntfInplaceEditHolder)
    RO = !FIntfInplaceEditHolder->InplaceEditCanModify(this);
  SetEditReadOnly(RO);
}

bool TCustomDBEditEh::EditCanModify() { return !FReadOnly && FDataLink->Edit(); }

void TCustomDBEditEh::Change()
{
  if (ComponentState().Contains(csDestroying))
    return;
  if (!FInternalTextSetting) {
    FDataLink->Modified();
    SetModified(true);
  }
  UpdateImageIndex();
  inherited::Change();
  if (!FInternalTextSetting)
    CheckMRUListDropDown();
}

TAlignment TCustomDBEditEh::Alignment() const
{
  return FAssignedValues.Contains(evAlignmentEh) ? FAlignment : DefaultAlignment();
}

void TCustomDBEditEh::SetAlignment(TAlignment Value)
{
  if (FAssignedValues.Contains(evAlignmentEh) && FAlignment == Value)
    return;
  FAlignment = Value;
  FAssignedValues << evAlignmentEh;
  if (!ComponentState().Contains(csLoading))
    RecreateWnd();
}

// A mask set while loading keeps the text read with it; afterwards the
// editor's own value takes the masked text, a bound one reloads.
void TCustomDBEditEh::SetEditMask(const String& Value)
{
  if (FAssignedValues.Contains(evEditMaskEh) && Value == inherited::EditMask())
    return;
  const bool Loading = ComponentState().Contains(csLoading);
  String Saved;
  if (Loading && DataIndepended())
    Saved = Text();
  inherited::SetEditMask(Value);
  FAssignedValues << evEditMaskEh;
  if (Loading && !Saved.isEmpty())
    InternalSetText(Saved);
  if (DataIndepended())
    InternalUpdateData();
  else
    DataChanged();
}

void TCustomDBEditEh::SetPasswordChar(QChar Value)
{
  if (PasswordChar() == Value)
    return;
  TCustomEdit::SetPasswordChar(Value);
  RecreateWnd();
}

void TCustomDBEditEh::SetFlat(bool Value)
{
  if (FFlat == Value)
    return;
  FFlat = Value;
  RecreateWnd();
}

void TCustomDBEditEh::SetWordWrap(bool Value)
{
  if (FWordWrap == Value)
    return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomDBEditEh::SetHighlightRequired(bool Value)
{
  if (FHighlightRequired == Value)
    return;
  FHighlightRequired = Value;
  Invalidate();
}

void TCustomDBEditEh::SetAlwaysShowBorder(bool Value)
{
  if (FAlwaysShowBorder == Value)
    return;
  FAlwaysShowBorder = Value;
  UpdateBorderState();
}

void TCustomDBEditEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
void TCustomDBEditEh::SetEmptyDataInfo(TControlEmptyDataInfoEh* Value) { FEmptyDataInfo->Assign(Value); }

void TCustomDBEditEh::SetAutoSize(bool Value)
{
  if (FAutoSize == Value)
    return;
  FAutoSize = Value;
  UpdateHeight();
}

void TCustomDBEditEh::SetFocused(bool Value)
{
  if (FFocused == Value)
    return;
  FFocused = Value;
  // Who paints the text changes with the focus.
  Invalidate();
  FDataLink->Reset();
}

bool TCustomDBEditEh::UseRightToLeftAlignment() const { return false; }

void TCustomDBEditEh::CMEnter(TMessage& Message)
{
  SetFocused(true);
  inherited::CMEnter(Message);
  if (AutoSelect() && !IsMouseButtonDownEh(mbLeft))
    SelectAll();
  UpdateBorderState();
}

void TCustomDBEditEh::CheckCaret()
{
  if (HandleAllocated() && IsMasked() && SelLength() == 0)
    SetSelStart(std::max(SelStart() - 2, 0));
}

// Leaving posts into the record; a refused post keeps the user in the box
// with the text selected.
void TCustomDBEditEh::CMExit(TMessage& Message)
{
  if (IsMasked() && !ComponentState().Contains(csDesigning)) {
    ValidateEdit();
    CheckCaret();
  }
  DoExit();
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    SelectAll();
    if (CanFocus())
      TWinControl::SetFocus();
    throw;
  }
  SetFocused(false);
  CheckCaret();
  UpdateBorderState();
  (void)Message;
}
