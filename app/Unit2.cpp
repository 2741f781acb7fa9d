// Unit2.cpp: the worker editor.
#include "app/Unit2.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/Dialogs.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {}

TForm2::~TForm2()
{
  if (Form2 == this)
    Form2 = nullptr;
}

void TForm2::Loaded()
{
  inherited::Loaded();
  GroupBox1 = OwnedComponent<TGroupBox>(this, "GroupBox1");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Edit3 = OwnedComponent<TEdit>(this, "Edit3");
  LCB_staffpos = OwnedComponent<TDBLookupComboBox>(this, "LCB_staffpos");
  LCB_department = OwnedComponent<TDBLookupComboBox>(this, "LCB_department");
  LCB_roles = OwnedComponent<TDBLookupComboBox>(this, "LCB_roles");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  cmd_person = OwnedComponent<TADOCommand>(this, "cmd_person");
  staffpos = OwnedComponent<TADOTable>(this, "staffpos");
  department = OwnedComponent<TADOTable>(this, "department");
  roles = OwnedComponent<TADOTable>(this, "roles");
  DS_staffpos = OwnedComponent<TDataSource>(this, "DS_staffpos");
  DS_department = OwnedComponent<TDataSource>(this, "DS_department");
  DS_roles = OwnedComponent<TDataSource>(this, "DS_roles");
}

void TForm2::FormCreate(TObject*)
{
  CommonFormSetup(this);
  SetPosition(poDesktopCenter);
}

void TForm2::FormActivate(TObject*) { Edit1->SetFocus(); }

void TForm2::FormClose(TObject*, TCloseAction&)
{
  staffpos->Close();
  department->Close();
  roles->Close();
}

static Integer KeyOf(TDBLookupComboBox* Box) { return Box->KeyValue().AsInteger(); }

void TForm2::Button1Click(TObject*)
{
  const String S = Trim(Edit1->Text());
  const String F = Trim(Edit2->Text());
  const String T = Trim(Edit3->Text());
  bool Complete = !S.isEmpty() && !F.isEmpty() && !T.isEmpty();
  for (TDBLookupComboBox* Box : {LCB_roles, LCB_department, LCB_staffpos})
    Complete = Complete && !Trim(Box->Text()).isEmpty() && !VarIsNull(Box->KeyValue()) && !VarIsEmpty(Box->KeyValue());
  if (!Complete) {
    Application->MessageBox(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONERROR);
    return;
  }
  const String FullName = S + u' ' + F + u' ' + T;
  if (Tag() == 1) {
    ExecuteCommand(cmd_person,
                   QStringLiteral("INSERT INTO cmn_contractor.person (s_caption, s_second_name, s_first_name, "
                                  "s_third_name, id_staffpos, id_department, id_role)VALUES(:s_caption, "
                                  ":s_second_name, :s_first_name, :s_third_name, :id_staffpos, :id_department, :id_role)"),
                   {{"s_caption", FullName}, {"s_second_name", S}, {"s_first_name", F}, {"s_third_name", T},
                    {"id_staffpos", KeyOf(LCB_staffpos)}, {"id_department", KeyOf(LCB_department)},
                    {"id_role", KeyOf(LCB_roles)}});
  } else {
    ExecuteCommand(cmd_person,
                   QStringLiteral("UPDATE cmn_contractor.person SET s_caption=:s_caption, s_second_name=:s_second_name, "
                                  "s_first_name=:s_first_name, s_third_name=:s_third_name, id_staffpos=:id_staffpos, "
                                  "id_department=:id_department, id_role=:id_role where cmn_contractor.person.id=:id"),
                   {{"s_caption", FullName}, {"s_second_name", S}, {"s_first_name", F}, {"s_third_name", T},
                    {"id_staffpos", KeyOf(LCB_staffpos)}, {"id_department", KeyOf(LCB_department)},
                    {"id_role", KeyOf(LCB_roles)}, {"id", WorkerId}});
  }
  Close();
}

// The wheel turns whichever of the three lists has the focus.
void TForm2::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&)
{
  WheelToFocusedBox({LCB_roles, LCB_staffpos, LCB_department}, VK_DOWN);
}

void TForm2::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&)
{
  WheelToFocusedBox({LCB_roles, LCB_staffpos, LCB_department}, VK_UP);
}

void RegisterUnit2Classes()
{
  RegisterClassInfo<TForm2, TForm>("TForm2")
    .Handler("FormCreate", &TForm2::FormCreate)
    .Handler("FormActivate", &TForm2::FormActivate)
    .Handler("FormClose", &TForm2::FormClose)
    .Handler("Button1Click", &TForm2::Button1Click)
    .Handler("FormMouseWheelDown", &TForm2::FormMouseWheelDown)
    .Handler("FormMouseWheelUp", &TForm2::FormMouseWheelUp);
}
