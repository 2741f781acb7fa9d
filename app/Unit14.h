// Unit14.h: the contractor editor: short and full name, taxpayer and
// registration numbers of a new or the current contractor.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TForm14 : public TForm {
  VELMORA_CLASS(TForm14)
  using inherited = TForm;
public:
  explicit TForm14(TComponent* AOwner);
  ~TForm14() override;

  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* Edit2 = nullptr;        // short name
  TLabel* Label2 = nullptr;
  TEdit* Edit1 = nullptr;        // full name
  TLabel* Label3 = nullptr;
  TEdit* Edit3 = nullptr;        // INN
  TLabel* Label4 = nullptr;
  TEdit* Edit4 = nullptr;        // OGRN
  TPanel* Panel1 = nullptr;
  TButton* Button5 = nullptr;    // "Записать"
  TButton* Button6 = nullptr;    // "Отмена"

  void FormCreate(TObject* Sender);
  void Button5Click(TObject* Sender);

protected:
  void Loaded() override;
};

extern TForm14* Form14;

void RegisterUnit14Classes();
