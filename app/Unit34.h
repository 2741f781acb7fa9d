// Unit34.h: the contractors list: search by short name, add, change and
// delete contractors, and pick one for the request headers (Tag 43, 61) and
// the purchase requests list (Tag 60).
// The pick writes Form43's and Form61's published JurPersonId and box Edit1,
// or the supplier of the current row of Form60's query purchase_doc.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBGrid;
class TDataSource;

class TForm34 : public TForm {
  VELMORA_CLASS(TForm34)
  using inherited = TForm;
public:
  explicit TForm34(TComponent* AOwner);
  ~TForm34() override;

  TDBGrid* DBGrid1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;   // "Добавить"
  TButton* Button2 = nullptr;   // "Изменить", "Выбрать" once a pick has set it
  TButton* Button3 = nullptr;   // "Удалить"
  TButton* Button4 = nullptr;   // "Выход"
  TEdit* Edit1 = nullptr;       // search by the beginning of the short name
  TPanel* Panel6 = nullptr;
  TPanel* Panel7 = nullptr;
  TDataSource* DataSource1 = nullptr;

  void FormCreate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

protected:
  void Loaded() override;

private:
  void PickForHeader(const char* FormName);
  void PickForPurchaseRequest();
};

extern TForm34* Form34;

void RegisterUnit34Classes();
