// Unit26.h: the staff positions list: search by name, add, change and
// delete positions.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBGrid;
class TDataSource;

class TForm26 : public TForm {
  VELMORA_CLASS(TForm26)
  using inherited = TForm;
public:
  explicit TForm26(TComponent* AOwner);
  ~TForm26() override;

  TDBGrid* DBGrid1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;   // "Добавить"
  TButton* Button2 = nullptr;   // "Изменить"
  TButton* Button3 = nullptr;   // "Удалить"
  TButton* Button4 = nullptr;   // "Выход"
  TEdit* Edit1 = nullptr;       // search by the beginning of the name
  TPanel* Panel6 = nullptr;
  TDataSource* DS_stuffpos = nullptr;

  void FormCreate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

protected:
  void Loaded() override;
};

extern TForm26* Form26;

void RegisterUnit26Classes();
