// Unit5.cpp: the workers list and its picking.
#include "app/Unit5.h"

#include "app/Project1.h"
#include "app/Unit2.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Dialogs.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner) {}

TForm5::~TForm5()
{
  if (Form5 == this)
    Form5 = nullptr;
}

void TForm5::Loaded()
{
  inherited::Loaded();
  DBGrid1 = OwnedComponent<TDBGrid>(this, "DBGrid1");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  Button3 = OwnedComponent<TButton>(this, "Button3");
  Button4 = OwnedComponent<TButton>(this, "Button4");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Panel6 = OwnedComponent<TPanel>(this, "Panel6");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
}

void TForm5::FormCreate(TObject*)
{
  CommonFormSetup(this);
  SetPosition(poDesktopCenter);
}

void TForm5::FormActivate(TObject*)
{
  WorkerPicked = 0;
  if (Edit1->Visible())
    Edit1->SetFocus();
}

void TForm5::Edit1Change(TObject*)
{
  SetPrefixFilter(DataModule6->workers, QStringLiteral("s_caption"), Edit1->Text());
}

void TForm5::Edit1KeyDown(TObject*, Word& Key, TShiftState)
{
  SearchBoxKeyDown(DataModule6->workers, Key);
}

static void OpenAtFirstRow(TDataSet* Table)
{
  Table->Open();
  Table->First();
}

static void Reopen(TDataSet* DataSet)
{
  DataSet->Close();
  DataSet->Open();
}

void TForm5::Button1Click(TObject*)
{
  Form2->Edit1->Clear();
  Form2->Edit2->Clear();
  Form2->Edit3->Clear();
  Form2->SetCaption(QStringLiteral("Заведение данных нового работника"));
  Form2->SetTag(1);
  OpenAtFirstRow(Form2->staffpos);
  OpenAtFirstRow(Form2->roles);
  OpenAtFirstRow(Form2->department);
  Form2->ShowModal();
  Reopen(DataModule6->workers);
}

// "Изменить" and a double-click: the editor from the menu, the chosen worker
// written back to the form that asked for it otherwise.
void TForm5::Button2Click(TObject*)
{
  switch (Tag()) {
  case 0: break;
  case 11: PickForShiftRecord(); return;
  case 43: PickForHeader("Form43"); return;
  case 61: PickForHeader("Form61"); return;
  default: return;
  }
  TADOQuery* Workers = DataModule6->workers;
  if (Workers->IsEmpty())
    return;
  const Integer RecNo = Workers->RecNo();
  Form2->SetCaption(QStringLiteral("Изменение данных работника"));
  Form2->SetTag(2);
  Reopen(Form2->staffpos);
  Reopen(Form2->roles);
  Reopen(Form2->department);
  Form2->Edit1->SetText(Trim(Workers->FieldByName(QStringLiteral("s_second_name"))->AsString()));
  Form2->Edit2->SetText(Trim(Workers->FieldByName(QStringLiteral("s_first_name"))->AsString()));
  Form2->Edit3->SetText(Trim(Workers->FieldByName(QStringLiteral("s_third_name"))->AsString()));
  Form2->LCB_roles->SetKeyValue(Workers->FieldByName(QStringLiteral("role_id"))->AsInteger());
  Form2->LCB_department->SetKeyValue(Workers->FieldByName(QStringLiteral("dep_id"))->AsInteger());
  Form2->LCB_staffpos->SetKeyValue(Workers->FieldByName(QStringLiteral("staff_id"))->AsInteger());
  Form2->WorkerId = Workers->FieldByName(QStringLiteral("id"))->AsInteger();
  Form2->ShowModal();
  Reopen(Workers);
  if (!Workers->IsEmpty())
    RestoreRecNo(Workers, RecNo);
}

// The shift-record editor takes a worker only when it differs from the one
// its record was saved with; a record not saved yet also shows the name.
void TForm5::PickForShiftRecord()
{
  TADOQuery* Workers = DataModule6->workers;
  TComponent* Record = FormObject("Form11");
  WorkerPicked = 0;
  if (Record && !Workers->IsEmpty()) {
    const Integer Id = Workers->FieldByName(QStringLiteral("id"))->AsInteger();
    const Int64 SavedWorkerId = GetOrdProp(Record, QStringLiteral("SavedWorkerId"));
    if (SavedWorkerId == 0)
      OwnedComponent<TEdit>(Record, "Edit1")->SetText(Trim(Workers->FieldByName(QStringLiteral("s_caption"))->AsString()));
    if (Id != SavedWorkerId) {
      SetOrdProp(Record, QStringLiteral("WorkerId"), Id);
      SetOrdProp(Record, QStringLiteral("CoWorkerId"), Id);
      WorkerPicked = 1;
    }
  }
  Close();
}

// The request headers take the person's id and show the full name.
void TForm5::PickForHeader(const char* FormName)
{
  TADOQuery* Workers = DataModule6->workers;
  TComponent* Header = FormObject(FormName);
  if (Header && !Workers->IsEmpty()) {
    const Integer Id = Workers->FieldByName(QStringLiteral("id"))->AsInteger();
    SetOrdProp(Header, QStringLiteral("PersonId"), Id);
    if (Id != 0)
      OwnedComponent<TEdit>(Header, "Edit2")->SetText(Trim(Workers->FieldByName(QStringLiteral("s_caption"))->AsString()));
  }
  Close();
}

void TForm5::Button3Click(TObject*)
{
  TADOQuery* Workers = DataModule6->workers;
  if (Workers->IsEmpty())
    return;
  if (Application->MessageBox(QStringLiteral("Удалить работника?"), QStringLiteral("Удаление"),
                              MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  const Integer RecNo = Workers->RecNo();
  ExecuteCommand(Form2->cmd_person, QStringLiteral("delete from cmn_contractor.person where id =:id"),
                 {{"id", Workers->FieldByName(QStringLiteral("id"))->AsInteger()}});
  Reopen(Workers);
  if (!Workers->IsEmpty())
    RestoreRecNo(Workers, RecNo);
}

void RegisterUnit5Classes()
{
  RegisterClassInfo<TForm5, TForm>("TForm5")
    .Handler("FormCreate", &TForm5::FormCreate)
    .Handler("FormActivate", &TForm5::FormActivate)
    .Handler("Edit1Change", &TForm5::Edit1Change)
    .Handler("Edit1KeyDown", &TForm5::Edit1KeyDown)
    .Handler("Button1Click", &TForm5::Button1Click)
    .Handler("Button2Click", &TForm5::Button2Click)
    .Handler("Button3Click", &TForm5::Button3Click);
}
