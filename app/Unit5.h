// Unit5.h: the workers list: search by full name, add, change and delete
// workers, and pick one for the shift-record editor (Tag 11) and the request
// headers (Tag 43, 61).
// The pick writes the caller's published members: Form11's WorkerId and
// CoWorkerId (it reads SavedWorkerId) and box Edit1; Form43's and Form61's
// PersonId and box Edit2.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBGrid;
class TDataSource;

class TForm5 : public TForm {
  VELMORA_CLASS(TForm5)
  using inherited = TForm;
public:
  explicit TForm5(TComponent* AOwner);
  ~TForm5() override;

  // 1 when a pick for the shift-record editor gave it a worker other than
  // the one its record was saved with; reset each time the list is active.
  Integer WorkerPicked = 0;

  TDBGrid* DBGrid1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;   // "Добавить"
  TButton* Button2 = nullptr;   // "Изменить", "Выбрать" once a pick has set it
  TButton* Button3 = nullptr;   // "Удалить"
  TButton* Button4 = nullptr;   // "Выход"
  TEdit* Edit1 = nullptr;       // search by the beginning of the full name
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

private:
  void PickForShiftRecord();
  void PickForHeader(const char* FormName);
};

extern TForm5* Form5;

void RegisterUnit5Classes();
