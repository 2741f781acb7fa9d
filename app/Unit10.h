// Unit10.h: the operation dialog: position, type, result and price of a new
// operation of the open process route, or of its current operation.
// The route and its product are the route dialog's published RouteId and
// ItemId (Form33).
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBLookupComboBox;
class TDataSource;
class TADOTable;
class TADOQuery;

class TForm10 : public TForm {
  VELMORA_CLASS(TForm10)
  using inherited = TForm;
public:
  explicit TForm10(TComponent* AOwner);
  ~TForm10() override;

  // The chosen operation type; set by the type pick and by the route
  // dialog's "Изменить", never cleared here.
  Integer TypeId = 0;

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Edit1 = nullptr;        // position in the route, digits only
  TEdit* Edit2 = nullptr;        // type name, filled by the pick
  TButton* Button3 = nullptr;    // "...": pick the type
  TDBLookupComboBox* cb_operation_state = nullptr;   // result
  TEdit* Edit3 = nullptr;        // price
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;    // "Записать"
  TButton* Button2 = nullptr;    // "Отмена"
  TADOTable* operation_state = nullptr;
  TDataSource* DataSource1 = nullptr;
  TADOQuery* max_num = nullptr;  // the route's next free position

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Edit3KeyPress(TObject* Sender, QChar& Key);
  void Button3Click(TObject* Sender);
  void Button1Click(TObject* Sender);

protected:
  void Loaded() override;

private:
  void Refuse(const String& Text);
};

extern TForm10* Form10;

void RegisterUnit10Classes();
