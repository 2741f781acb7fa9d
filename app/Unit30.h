// Unit30.h: the departments list, the reference-book list on which the other
// books are modelled: search by name, add, change and delete.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBGrid;
class TDataSource;

class TForm30 : public TForm {
  VELMORA_CLASS(TForm30)
  using inherited = TForm;
public:
  explicit TForm30(TComponent* AOwner);
  ~TForm30() override;

  TDBGrid* DBGrid1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button5 = nullptr;   // "Добавить"
  TButton* Button2 = nullptr;   // "Изменить"
  TButton* Button3 = nullptr;   // "Удалить"
  TButton* Button4 = nullptr;   // "Выход"
  TEdit* Edit1 = nullptr;       // search by the beginning of the name
  TPanel* Panel6 = nullptr;
  TDataSource* DataSource1 = nullptr;

  void FormCreate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Button5Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

protected:
  void Loaded() override;
};

extern TForm30* Form30;

void RegisterUnit30Classes();
