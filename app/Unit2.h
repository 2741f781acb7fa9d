// Unit2.h: the worker editor: name, staff position, department and role of
// a new or a changed worker, written through its own command.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBLookupComboBox;
class TDataSource;
class TADOTable;
class TADOCommand;

class TForm2 : public TForm {
  VELMORA_CLASS(TForm2)
  using inherited = TForm;
public:
  explicit TForm2(TComponent* AOwner);
  ~TForm2() override;

  // The worker being changed (Tag 2).
  Integer WorkerId = 0;

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;        // surname
  TEdit* Edit2 = nullptr;        // first name
  TEdit* Edit3 = nullptr;        // patronymic
  TDBLookupComboBox* LCB_staffpos = nullptr;
  TDBLookupComboBox* LCB_department = nullptr;
  TDBLookupComboBox* LCB_roles = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;    // "Записать"
  TButton* Button2 = nullptr;    // "Отмена"
  TADOCommand* cmd_person = nullptr;
  TADOTable* staffpos = nullptr;
  TADOTable* department = nullptr;
  TADOTable* roles = nullptr;
  TDataSource* DS_staffpos = nullptr;
  TDataSource* DS_department = nullptr;
  TDataSource* DS_roles = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Button1Click(TObject* Sender);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);

protected:
  void Loaded() override;
};

extern TForm2* Form2;

void RegisterUnit2Classes();
