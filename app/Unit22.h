// Unit22.h: the norms of one operation: quantity norm, price and bonus
// percentage per row, edited in the grid.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TDBGrid;
class TDataSource;
class TADOTable;
class TDataSet;

class TForm22 : public TForm {
  VELMORA_CLASS(TForm22)
  using inherited = TForm;
public:
  explicit TForm22(TComponent* AOwner);
  ~TForm22() override;

  TDBGrid* DBGrid1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;   // "Сохранить"
  TButton* Button2 = nullptr;   // "Удалить"
  TADOTable* norm = nullptr;    // filtered on the operation before the form is shown
  TDataSource* DataSource1 = nullptr;

  void FormCreate(TObject* Sender);
  void DBGrid1ColEnter(TObject* Sender);
  void DBGrid1ColExit(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void normBeforePost(TDataSet* DataSet);

protected:
  void Loaded() override;

private:
  void PostChanges();
};

extern TForm22* Form22;

void RegisterUnit22Classes();
