// DBCtrls.cpp: field data links and the data-aware label, edit and lookup box.
#include "platform/data/DBCtrls.h"

#include "platform/data/DBLogDlg.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/ScopeExit.h"

// ---------------------------------------------------------------------------
// TFieldDataLink

void TFieldDataLink::SetFieldName(const String& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  UpdateField();
}

void TFieldDataLink::UpdateField()
{
  TField* F = nullptr;
  if (Active() && !FFieldName.isEmpty())
    F = DataSet()->FieldByName(FFieldName);   // an unknown name is the form's error
  FField = F;
  SetEditing(inherited::Editing() && CanModify());
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && FField && FField->CanModify(); }

bool TFieldDataLink::Edit()
{
  if (CanModify())
    inherited::Edit();
  return FEditing;
}

void TFieldDataLink::SetEditing(bool Value)
{
  if (Value == FEditing)
    return;
  FEditing = Value;
  FModified = false;
  if (OnEditingChange)
    OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged()
{
  UpdateField();
  if (OnActiveChange)
    OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetEditing(inherited::Editing() && CanModify()); }

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* Field)
{
  if (Field && Field != FField)
    return;
  if (OnDataChange)
    OnDataChange(this);
  FModified = false;
}

void TFieldDataLink::UpdateData()
{
  if (!FModified)
    return;
  if (FField && OnUpdateData)
    OnUpdateData(this);
  FModified = false;
}

void TFieldDataLink::FocusControl(TField*& Field)
{
  if (!Field || Field != FField)
    return;
  if (auto* W = dynamic_cast<TWinControl*>(FControl); W && W->CanFocus()) {
    Field = nullptr;
    W->SetFocus();
  }
}

// ---------------------------------------------------------------------------
// TDBText

TDBText::TDBText(TComponent* AOwner) : TLabel(AOwner), FDataLink(std::make_unique<TFieldDataLink>())
{
  SetAutoSize(false);
  SetShowAccelChar(false);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
}

TDBText::~TDBText() { FDataLink->OnDataChange = nullptr; }

void TDBText::SetDataSource(TDataSource* Value)
{
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

void TDBText::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
    FDataLink->SetDataSource(nullptr);
}

void TDBText::DataChange()
{
  TField* F = FDataLink->Field();
  SetCaption(F ? F->DisplayText() : String());
}

// ---------------------------------------------------------------------------
// TDBEdit

TDBEdit::TDBEdit(TComponent* AOwner) : TCustomEdit(AOwner), FDataLink(std::make_unique<TFieldDataLink>())
{
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
  FDataLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TDBEdit::~TDBEdit()
{
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
}

void TDBEdit::SetDataSource(TDataSource* Value)
{
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

void TDBEdit::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
    FDataLink->SetDataSource(nullptr);
}

// The field's display text, or its edit text while the user works in it.
void TDBEdit::DataChange()
{
  TField* F = FDataLink->Field();
  FShowing = true;
  ScopeExit Done([&] { FShowing = false; });
  if (!F) {
    if (!Text().isEmpty())
      SetText(String());
    return;
  }
  // only real changes reach the widget: a new length limit drops the selection
  if (F->Alignment() != Alignment())
    SetAlignment(F->Alignment());
  const Integer Limit = dynamic_cast<TStringField*>(F) ? F->Size() : 0;
  if (Limit != MaxLength())
    SetMaxLength(Limit);
  // the same text is not set again, so a selection survives the record's refresh
  const String Shown = Focused() && FDataLink->CanModify() ? F->Text() : F->DisplayText();
  if (Shown != Text())
    SetText(Shown);
}

void TDBEdit::UpdateData()
{
  if (TField* F = FDataLink->Field())
    F->SetText(Text());
}

void TDBEdit::Change()
{
  if (!FShowing)
    FDataLink->Modified();
  inherited::Change();
}

void TDBEdit::KeyDown(Word& Key, TShiftState Shift)
{
  inherited::KeyDown(Key, Shift);
  const bool Deleting = Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift));
  if (Deleting && !FDataLink->Edit())
    Key = 0;
}

void TDBEdit::KeyPress(QChar& Key)
{
  inherited::KeyPress(Key);
  if (Key.isNull())
    return;
  if (Key == QChar(27)) {                       // Escape: back to the field's value
    FDataLink->Reset();
    SelectAll();
    Key = QChar();
    return;
  }
  const bool Typing = Key.unicode() >= 32 || Key == QChar(8) || Key == QChar(22) || Key == QChar(24);
  if (Typing && !FDataLink->Edit())
    Key = QChar();
}

void TDBEdit::DoEnter()
{
  inherited::DoEnter();
  if (FDataLink->CanModify())
    DataChange();   // the edit text replaces the display text
}

void TDBEdit::DoExit()
{
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    // what was typed stays in the edit, which keeps the focus
    SelectAll();
    SetFocus();
    throw;
  }
  inherited::DoExit();
  DataChange();
}

// ---------------------------------------------------------------------------
// TDBLookupComboBox

// Follows the list dataset: any change of its rows reads the list again.
class TDBLookupComboBox::TListLink : public TDataLink {
public:
  explicit TListLink(TDBLookupComboBox* Owner) : FOwner(Owner) {}
protected:
  void ActiveChanged() override { FOwner->RefreshList(); }
  void DataSetChanged() override { FOwner->RefreshList(); }
  void DataSetScrolled(Integer) override {}
  void LayoutChanged() override { FOwner->RefreshList(); }
private:
  TDBLookupComboBox* FOwner;
};

TDBLookupComboBox::TDBLookupComboBox(TComponent* AOwner)
  : TComboBox(AOwner), FDataLink(std::make_unique<TFieldDataLink>()), FListLink(std::make_unique<TListLink>(this))
{
  SetStyle(csDropDownList);
  SetDropDownCount(7);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
}

TDBLookupComboBox::~TDBLookupComboBox()
{
  FDataLink->OnDataChange = nullptr;
  FListLink->SetDataSource(nullptr);
}

void TDBLookupComboBox::SetDataSource(TDataSource* Value)
{
  FDataLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
}

TDataSource* TDBLookupComboBox::ListSource() const { return FListLink->DataSource(); }

void TDBLookupComboBox::SetListSource(TDataSource* Value)
{
  if (Value && Value == FDataLink->DataSource())
    DatabaseError(QString::fromUtf8(dbconsts::SCircularDataLink), this);
  FListLink->SetDataSource(Value);
  if (Value)
    Value->FreeNotification(this);
  RefreshList();
}

void TDBLookupComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (FDataLink && AComponent == FDataLink->DataSource())
    FDataLink->SetDataSource(nullptr);
  if (FListLink && AComponent == FListLink->DataSource())
    FListLink->SetDataSource(nullptr);
}

void TDBLookupComboBox::SetKeyField(const String& Value)
{
  FKeyField = Value;
  RefreshList();
}

void TDBLookupComboBox::SetListField(const String& Value)
{
  FListField = Value;
  RefreshList();
}

void TDBLookupComboBox::RefreshList()
{
  if (FFilling)
    return;
  FFilling = true;
  ScopeExit Done([&] { FFilling = false; });
  FKeys.clear();
  Items()->BeginUpdate();
  ScopeExit EndItems([&] { Items()->EndUpdate(); });
  Items()->Clear();
  TDataSet* D = FListLink->DataSet();
  if (!D || !D->Active() || FKeyField.isEmpty() || FListField.isEmpty() || D->State() != dsBrowse) {
    ShowKey();
    return;
  }
  TField* Key = D->FieldByName(FKeyField);
  TField* Text = D->FieldByName(FListField.section(u';', 0, 0).trimmed());
  // walking the list dataset must not move its user's record
  D->DisableControls();
  const TBookmark Mark = D->GetBookmark();
  ScopeExit Restore([&] {
    if (!Mark.isEmpty() && D->BookmarkValid(Mark))
      D->GotoBookmark(Mark);
    D->EnableControls();
  });
  for (D->First(); !D->Eof(); D->Next()) {
    FKeys.push_back(Key->Value());
    Items()->Add(Text->DisplayText());
  }
  ShowKey();
}

void TDBLookupComboBox::ShowKey()
{
  Integer Index = -1;
  if (!VarIsNull(FKeyValue) && !VarIsEmpty(FKeyValue)) {
    for (std::size_t I = 0; I < FKeys.size(); ++I)
      if (VarEquals(FKeys[I], FKeyValue)) {
        Index = Integer(I);
        break;
      }
  }
  SetItemIndex(Index);
}

void TDBLookupComboBox::SetKeyValue(const Variant& Value)
{
  FKeyValue = Value;
  ShowKey();
}

String TDBLookupComboBox::DisplayText() const
{
  return ItemIndex() >= 0 ? Items()->Strings(ItemIndex()) : String();
}

void TDBLookupComboBox::DataChange()
{
  if (TField* F = FDataLink->Field())
    SetKeyValue(F->Value());
  else if (!FDataLink->FieldName().isEmpty())
    SetKeyValue(Null);
}

// The user chose a row: its key, and the field when one is linked.
void TDBLookupComboBox::Select()
{
  const Integer I = ItemIndex();
  const Variant NewKey = I >= 0 && std::size_t(I) < FKeys.size() ? FKeys[std::size_t(I)] : Variant(Null);
  if (FDataLink->Field()) {
    if (!FDataLink->Edit()) {
      ShowKey();   // the field cannot change: show what it holds
      return;
    }
    FKeyValue = NewKey;
    FDataLink->Field()->SetValue(NewKey);
  } else {
    FKeyValue = NewKey;
  }
  inherited::Select();
}

// ---------------------------------------------------------------------------
// Registration

void RegisterDBCtrlsClasses()
{
  SetLoginDialogProc(LoginDialog);
  RegisterClassInfo<TDBText, TLabel>("TDBText")
    .Property("DataField", &TDBText::DataField, &TDBText::SetDataField)
    .Property("DataSource", &TDBText::DataSource, &TDBText::SetDataSource);
  RegisterClassInfo<TDBEdit, TCustomEdit>("TDBEdit")
    .Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField)
    .Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource)
    .Property("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly, false);
  RegisterClassInfo<TDBLookupComboBox, TComboBox>("TDBLookupComboBox")
    .Property("DataField", &TDBLookupComboBox::DataField, &TDBLookupComboBox::SetDataField)
    .Property("DataSource", &TDBLookupComboBox::DataSource, &TDBLookupComboBox::SetDataSource)
    .Property("DropDownRows", &TDBLookupComboBox::DropDownRows, &TDBLookupComboBox::SetDropDownRows, 7)
    .Property("KeyField", &TDBLookupComboBox::KeyField, &TDBLookupComboBox::SetKeyField)
    .Property("ListField", &TDBLookupComboBox::ListField, &TDBLookupComboBox::SetListField)
    .Property("ListSource", &TDBLookupComboBox::ListSource, &TDBLookupComboBox::SetListSource);
  RegisterClasses({TDBText::StaticClass(), TDBEdit::StaticClass(), TDBLookupComboBox::StaticClass()});
}
