// Unit27.h: the staff position editor: name, note and department of a new
// or the current position.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBLookupComboBox;
class TDataSource;
class TADOTable;

class TForm27 : public TForm {
  VELMORA_CLASS(TForm27)
  using inherited = TForm;
public:
  explicit TForm27(TComponent* AOwner);
  ~TForm27() override;

  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;        // name
  TLabel* Label2 = nullptr;
  TEdit* Edit2 = nullptr;        // note
  TLabel* Label4 = nullptr;
  TDBLookupComboBox* p_department = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;    // "Записать"
  TButton* Button2 = nullptr;    // "Отмена"
  TADOTable* cb_department = nullptr;
  TDataSource* DataSource1 = nullptr;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void FormMouseWheelDown(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);
  void FormMouseWheelUp(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled);

protected:
  void Loaded() override;
};

extern TForm27* Form27;

void RegisterUnit27Classes();
