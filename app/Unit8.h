// Unit8.h: the operation types list: search by name, add, change and
// delete types, and pick one for the operation dialog (any Tag but 0).
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBGrid;
class TDataSource;

class TForm8 : public TForm {
  VELMORA_CLASS(TForm8)
  using inherited = TForm;
public:
  explicit TForm8(TComponent* AOwner);
  ~TForm8() override;

  TDBGrid* DBGrid1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;   // "Добавить"
  TButton* Button2 = nullptr;   // "Изменить"
  TButton* Button3 = nullptr;   // "Удалить"
  TButton* Button4 = nullptr;   // "Выход"
  TEdit* Edit1 = nullptr;       // search by the beginning of the name
  TPanel* Panel6 = nullptr;
  TDataSource* DataSource1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

protected:
  void Loaded() override;
};

extern TForm8* Form8;

void RegisterUnit8Classes();
