// Unit26.cpp: the staff positions list.
#include "app/Unit26.h"

#include "app/Project1.h"
#include "app/Unit27.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Dialogs.h"

TForm26* Form26 = nullptr;

TForm26::TForm26(TComponent* AOwner) : TForm(AOwner) {}

TForm26::~TForm26()
{
  if (Form26 == this)
    Form26 = nullptr;
}

void TForm26::Loaded()
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
  DS_stuffpos = OwnedComponent<TDataSource>(this, "DS_stuffpos");
}

void TForm26::FormCreate(TObject*) { CommonFormSetup(this); }

void TForm26::Edit1Change(TObject*)
{
  SetPrefixFilter(DataModule6->staffpos, QStringLiteral("s_caption"), Edit1->Text());
}

void TForm26::Edit1KeyDown(TObject*, Word& Key, TShiftState)
{
  SearchBoxKeyDown(DataModule6->staffpos, Key);
}

// The department box keeps the choice it had.
void TForm26::Button1Click(TObject*)
{
  Form27->SetTag(1);
  Form27->cb_department->Open();
  Form27->Edit1->Clear();
  Form27->Edit2->Clear();
  Form27->cb_department->First();
  Form27->ShowModal();
}

void TForm26::Button2Click(TObject*)
{
  TADOQuery* Positions = DataModule6->staffpos;
  if (Positions->IsEmpty())
    return;
  const Integer RecNo = Positions->RecNo();
  Form27->SetTag(0);
  Form27->Edit1->SetText(Trim(Positions->FieldByName(QStringLiteral("s_caption"))->AsString()));
  Form27->Edit2->SetText(Trim(Positions->FieldByName(QStringLiteral("s_description"))->AsString()));
  Form27->cb_department->Open();
  Form27->p_department->SetKeyValue(Positions->FieldByName(QStringLiteral("id_department"))->AsInteger());
  Form27->ShowModal();
  RestoreRecNo(Positions, RecNo);
  Form27->cb_department->Close();
}

void TForm26::Button3Click(TObject*)
{
  TADOQuery* Positions = DataModule6->staffpos;
  if (Positions->IsEmpty())
    return;
  const Integer RecNo = Positions->RecNo();
  if (Application->MessageBox(QStringLiteral("Удалить строку?"), QStringLiteral("Удаление"),
                              MB_YESNO | MB_ICONQUESTION) == IDYES) {
    ExecuteCommand(QStringLiteral("delete from hrms_staffpos.staffpos where id=:id"),
                   {{"id", Positions->FieldByName(QStringLiteral("id"))->AsInteger()}});
    Positions->Close();
    Positions->Open();
  }
  RestoreRecNo(Positions, RecNo);
}

void RegisterUnit26Classes()
{
  RegisterClassInfo<TForm26, TForm>("TForm26")
    .Handler("FormCreate", &TForm26::FormCreate)
    .Handler("Edit1Change", &TForm26::Edit1Change)
    .Handler("Edit1KeyDown", &TForm26::Edit1KeyDown)
    .Handler("Button1Click", &TForm26::Button1Click)
    .Handler("Button2Click", &TForm26::Button2Click)
    .Handler("Button3Click", &TForm26::Button3Click);
}
