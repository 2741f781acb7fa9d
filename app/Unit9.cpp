// Unit9.cpp: the operation type editor.
#include "app/Unit9.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "platform/gui/Dialogs.h"

TForm9* Form9 = nullptr;

TForm9::TForm9(TComponent* AOwner) : TForm(AOwner) {}

TForm9::~TForm9()
{
  if (Form9 == this)
    Form9 = nullptr;
}

void TForm9::Loaded()
{
  inherited::Loaded();
  GroupBox1 = OwnedComponent<TGroupBox>(this, "GroupBox1");
  Label1 = OwnedComponent<TLabel>(this, "Label1");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Label2 = OwnedComponent<TLabel>(this, "Label2");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
}

// The dialog keeps the border its description gives it.
void TForm9::FormCreate(TObject*) { CommonFormSetup(this, true); }

void TForm9::FormActivate(TObject*) { Edit1->SetFocus(); }

void TForm9::Button1Click(TObject*)
{
  const String Name = Trim(Edit1->Text());
  if (Name.isEmpty()) {
    Application->MessageBox(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONERROR);
    return;
  }
  TADOQuery* Types = DataModule6->operation_type;
  if (Tag() == 1) {
    ExecuteCommand(QStringLiteral("insert into mnf_operation.operation_type(s_caption, s_description)"
                                  "VALUES(:s_caption, :s_description)"),
                   {{"s_caption", Name}, {"s_description", Trim(Edit2->Text())}});
  } else {
    ExecuteCommand(QStringLiteral("UPDATE mnf_operation.operation_type SET s_caption=:s_caption, "
                                  "s_description=:s_description where id=:id"),
                   {{"s_caption", Name}, {"s_description", Trim(Edit2->Text())},
                    {"id", Types->FieldByName(QStringLiteral("id"))->AsInteger()}});
  }
  Types->Close();
  Types->Open();
  Close();
}

void RegisterUnit9Classes()
{
  RegisterClassInfo<TForm9, TForm>("TForm9")
    .Handler("FormCreate", &TForm9::FormCreate)
    .Handler("FormActivate", &TForm9::FormActivate)
    .Handler("Button1Click", &TForm9::Button1Click);
}
