// Unit30.cpp: the departments list.
#include "app/Unit30.h"

#include "app/Project1.h"
#include "app/Unit31.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Dialogs.h"

TForm30* Form30 = nullptr;

TForm30::TForm30(TComponent* AOwner) : TForm(AOwner) {}

TForm30::~TForm30()
{
  if (Form30 == this)
    Form30 = nullptr;
}

void TForm30::Loaded()
{
  inherited::Loaded();
  DBGrid1 = OwnedComponent<TDBGrid>(this, "DBGrid1");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button5 = OwnedComponent<TButton>(this, "Button5");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  Button3 = OwnedComponent<TButton>(this, "Button3");
  Button4 = OwnedComponent<TButton>(this, "Button4");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Panel6 = OwnedComponent<TPanel>(this, "Panel6");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
}

void TForm30::FormCreate(TObject*) { CommonFormSetup(this); }

void TForm30::Edit1Change(TObject*)
{
  SetPrefixFilter(DataModule6->department, QStringLiteral("s_caption"), Edit1->Text());
}

void TForm30::Edit1KeyDown(TObject*, Word& Key, TShiftState)
{
  SearchBoxKeyDown(DataModule6->department, Key);
}

void TForm30::Button5Click(TObject*)
{
  Form31->SetTag(1);
  Form31->cb_department->Open();
  Form31->cb_department->First();
  Form31->Edit1->Clear();
  Form31->Edit2->Clear();
  Form31->ShowWarehouseType(-1);
  Form31->ShowModal();
}

void TForm30::Button2Click(TObject*)
{
  TADOQuery* Departments = DataModule6->department;
  if (Departments->IsEmpty())
    return;
  const Integer RecNo = Departments->RecNo();
  Form31->SetTag(0);
  Form31->Edit1->SetText(Trim(Departments->FieldByName(QStringLiteral("s_caption"))->AsString()));
  Form31->Edit2->SetText(Trim(Departments->FieldByName(QStringLiteral("s_description"))->AsString()));
  Form31->cb_department->Open();
  Form31->ShowWarehouseType(Departments->FieldByName(QStringLiteral("type"))->AsInteger());
  Form31->p_department->SetKeyValue(Departments->FieldByName(QStringLiteral("id_parent"))->AsInteger());
  Form31->ShowModal();
  RestoreRecNo(Departments, RecNo);
}

void TForm30::Button3Click(TObject*)
{
  TADOQuery* Departments = DataModule6->department;
  if (Departments->IsEmpty())
    return;
  const Integer RecNo = Departments->RecNo();
  if (Application->MessageBox(QStringLiteral("Удалить строку?"), QStringLiteral("Удаление"),
                              MB_YESNO | MB_ICONQUESTION) == IDYES) {
    ExecuteCommand(QStringLiteral("delete from cmn_department.department where id=:id"),
                   {{"id", Departments->FieldByName(QStringLiteral("id"))->AsInteger()}});
    Departments->Close();
    Departments->Open();
  }
  RestoreRecNo(Departments, RecNo);
}

void RegisterUnit30Classes()
{
  RegisterClassInfo<TForm30, TForm>("TForm30")
    .Handler("FormCreate", &TForm30::FormCreate)
    .Handler("Edit1Change", &TForm30::Edit1Change)
    .Handler("Edit1KeyDown", &TForm30::Edit1KeyDown)
    .Handler("Button5Click", &TForm30::Button5Click)
    .Handler("Button2Click", &TForm30::Button2Click)
    .Handler("Button3Click", &TForm30::Button3Click);
}
