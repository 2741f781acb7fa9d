// Unit9.h: the operation type editor: name and description of a new or the
// current type.
#pragma once

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TForm9 : public TForm {
  VELMORA_CLASS(TForm9)
  using inherited = TForm;
public:
  explicit TForm9(TComponent* AOwner);
  ~TForm9() override;

  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;        // name
  TLabel* Label2 = nullptr;
  TEdit* Edit2 = nullptr;        // description
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;    // "Записать"
  TButton* Button2 = nullptr;    // "Отмена"

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Button1Click(TObject* Sender);

protected:
  void Loaded() override;
};

extern TForm9* Form9;

void RegisterUnit9Classes();
