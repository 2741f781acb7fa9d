// Unit31.h: the department editor: name, note, parent department and
// warehouse type of a new or the current department.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBLookupComboBox;
class TDataSource;
class TADOTable;

// The warehouse types, by their position in the type list; -1 is "not a
// warehouse" and goes with an empty text.
extern const char* const WarehouseTypeNames[3];

class TForm31 : public TForm {
  VELMORA_CLASS(TForm31)
  using inherited = TForm;
public:
  explicit TForm31(TComponent* AOwner);
  ~TForm31() override;

  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;        // name
  TLabel* Label2 = nullptr;
  TEdit* Edit2 = nullptr;        // note
  TLabel* Label4 = nullptr;
  TDBLookupComboBox* p_department = nullptr;   // parent
  TCheckBox* CheckBox1 = nullptr;              // "Склад"
  TLabel* Label3 = nullptr;
  TComboBox* type_combo = nullptr;             // warehouse type
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;    // "Записать"
  TButton* Button2 = nullptr;    // "Отмена"
  TADOTable* cb_department = nullptr;
  TDataSource* DataSource1 = nullptr;

  // Shows the type list for a warehouse type position, or none (-1).
  void ShowWarehouseType(Integer TypeIndex);

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Button1Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);

protected:
  void Loaded() override;
};

extern TForm31* Form31;

void RegisterUnit31Classes();
