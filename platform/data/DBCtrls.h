// DBCtrls.h: the data-aware standard controls the forms place: a label and an
// edit bound to one field, and the lookup combo box that lists the rows of
// another dataset. They follow their data source through a field data link.
#pragma once

#include "platform/gui/StdCtrls.h"
#include "platform/data/DB.h"

#include <memory>
#include <vector>

// Where a drop-down lines up with its edit control.
enum TDropDownAlign { daLeft, daRight, daCenter };

// A data link to one field of the data source's dataset.
class TFieldDataLink : public TDataLink {
  VELMORA_CLASS(TFieldDataLink)
  using inherited = TDataLink;
public:
  TFieldDataLink() = default;
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* Value) { FControl = Value; }
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TField* Field() const { return FField; }
  bool Editing() const { return FEditing; }
  bool IsModified() const { return FModified; }
  // Puts the dataset into edit mode when the field can be changed.
  bool Edit();
  void Modified() { FModified = true; }
  // Shows the field's value again, dropping what was typed.
  void Reset() { RecordChanged(nullptr); }
  bool CanModify() const;

  TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;
  void FocusControl(TField*& Field) override;

private:
  void UpdateField();
  void SetEditing(bool Value);

  TComponent* FControl = nullptr;
  String FFieldName;
  TField* FField = nullptr;
  bool FEditing = false;
  bool FModified = false;
};

class TDBText : public TLabel {
  VELMORA_CLASS(TDBText)
  using inherited = TLabel;
public:
  explicit TDBText(TComponent* AOwner);
  ~TDBText() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  TField* Field() const { return FDataLink->Field(); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void DataChange();
  std::unique_ptr<TFieldDataLink> FDataLink;
};

class TDBEdit : public TCustomEdit {
  VELMORA_CLASS(TDBEdit)
  using inherited = TCustomEdit;
public:
  explicit TDBEdit(TComponent* AOwner);
  ~TDBEdit() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  TField* Field() const { return FDataLink->Field(); }
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void DoEnter() override;
  void DoExit() override;

private:
  void DataChange();
  void UpdateData();
  std::unique_ptr<TFieldDataLink> FDataLink;
  bool FShowing = false;   // the control itself is putting the field's text in
};

// Lists ListField of ListSource's rows; the chosen row's KeyField is KeyValue
// (Null when nothing is chosen), written to DataField when one is set.
class TDBLookupComboBox : public TComboBox {
  VELMORA_CLASS(TDBLookupComboBox)
  using inherited = TComboBox;
public:
  explicit TDBLookupComboBox(TComponent* AOwner);
  ~TDBLookupComboBox() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  TDataSource* ListSource() const;
  void SetListSource(TDataSource* Value);
  const String& KeyField() const { return FKeyField; }
  void SetKeyField(const String& Value);
  const String& ListField() const { return FListField; }
  void SetListField(const String& Value);
  const Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const Variant& Value);
  Integer DropDownRows() const { return DropDownCount(); }
  void SetDropDownRows(Integer Value) { SetDropDownCount(Value); }
  String DisplayText() const;
  // Reads the list again from the list dataset.
  void RefreshList();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Select() override;

private:
  class TListLink;
  void DataChange();
  void ShowKey();
  std::unique_ptr<TFieldDataLink> FDataLink;
  std::unique_ptr<TListLink> FListLink;
  String FKeyField;
  String FListField;
  Variant FKeyValue = Null;
  std::vector<Variant> FKeys;
  bool FFilling = false;
};

// Registers the data-aware controls and their published properties, and
// installs the login dialog of connections that prompt for an account.
void RegisterDBCtrlsClasses();
