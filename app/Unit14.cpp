// Unit14.cpp: the contractor editor.
#include "app/Unit14.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "platform/gui/Dialogs.h"

TForm14* Form14 = nullptr;

TForm14::TForm14(TComponent* AOwner) : TForm(AOwner) {}

TForm14::~TForm14()
{
  if (Form14 == this)
    Form14 = nullptr;
}

void TForm14::Loaded()
{
  inherited::Loaded();
  GroupBox1 = OwnedComponent<TGroupBox>(this, "GroupBox1");
  Label1 = OwnedComponent<TLabel>(this, "Label1");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Label2 = OwnedComponent<TLabel>(this, "Label2");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Label3 = OwnedComponent<TLabel>(this, "Label3");
  Edit3 = OwnedComponent<TEdit>(this, "Edit3");
  Label4 = OwnedComponent<TLabel>(this, "Label4");
  Edit4 = OwnedComponent<TEdit>(this, "Edit4");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button5 = OwnedComponent<TButton>(this, "Button5");
  Button6 = OwnedComponent<TButton>(this, "Button6");
}

void TForm14::FormCreate(TObject*) { CommonFormSetup(this); }

// Only the full name is required, and only its check trims: the four texts
// are stored as typed.
void TForm14::Button5Click(TObject*)
{
  if (Trim(Edit1->Text()).isEmpty()) {
    Application->MessageBox(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONERROR);
    return;
  }
  if (Tag() == 1) {
    ExecuteCommand(QStringLiteral("INSERT INTO cmn_contractor.jur_person(s_caption, s_full_caption, s_ogrn, s_inn)"
                                  "VALUES(:s_caption, :s_full_caption, :s_ogrn, :s_inn)"),
                   {{"s_caption", Edit2->Text()}, {"s_full_caption", Edit1->Text()}, {"s_ogrn", Edit4->Text()},
                    {"s_inn", Edit3->Text()}});
  } else {
    ExecuteCommand(QStringLiteral("UPDATE cmn_contractor.jur_person  SET s_caption=:s_caption, "
                                  "s_full_caption=:s_full_caption, s_ogrn=:s_ogrn, s_inn=:s_inn WHERE id=:id"),
                   {{"s_caption", Edit2->Text()}, {"s_full_caption", Edit1->Text()}, {"s_ogrn", Edit4->Text()},
                    {"s_inn", Edit3->Text()},
                    {"id", DataModule6->jur_person->FieldByName(QStringLiteral("id"))->AsInteger()}});
  }
  DataModule6->jur_person->Close();
  DataModule6->jur_person->Open();
  Close();
}

void RegisterUnit14Classes()
{
  RegisterClassInfo<TForm14, TForm>("TForm14")
    .Handler("FormCreate", &TForm14::FormCreate)
    .Handler("Button5Click", &TForm14::Button5Click);
}
