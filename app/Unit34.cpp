// Unit34.cpp: the contractors list and its picking.
#include "app/Unit34.h"

#include "app/Project1.h"
#include "app/Unit14.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Dialogs.h"

TForm34* Form34 = nullptr;

TForm34::TForm34(TComponent* AOwner) : TForm(AOwner) {}

TForm34::~TForm34()
{
  if (Form34 == this)
    Form34 = nullptr;
}

void TForm34::Loaded()
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
  Panel7 = OwnedComponent<TPanel>(this, "Panel7");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
}

void TForm34::FormCreate(TObject*)
{
  CommonFormSetup(this);
  SetPosition(poDesktopCenter);
}

// The grid shows the full name, but the search goes by the short one.
void TForm34::Edit1Change(TObject*)
{
  SetPrefixFilter(DataModule6->jur_person, QStringLiteral("s_caption"), Edit1->Text());
}

void TForm34::Edit1KeyDown(TObject*, Word& Key, TShiftState)
{
  SearchBoxKeyDown(DataModule6->jur_person, Key);
}

void TForm34::Button1Click(TObject*)
{
  Form14->SetTag(1);
  Form14->Edit1->Clear();
  Form14->Edit2->Clear();
  Form14->Edit3->Clear();
  Form14->Edit4->Clear();
  Form14->ShowModal();
}

// "Изменить" and a double-click: the editor from the menu, the chosen row
// written back to the form that asked for it otherwise.
void TForm34::Button2Click(TObject*)
{
  switch (Tag()) {
  case 0: break;
  case 43: PickForHeader("Form43"); return;
  case 61: PickForHeader("Form61"); return;
  case 60: PickForPurchaseRequest(); return;
  default: return;
  }
  TADOQuery* Contractors = DataModule6->jur_person;
  if (Contractors->IsEmpty())
    return;
  const Integer RecNo = Contractors->RecNo();
  Form14->SetTag(0);
  Form14->Edit2->SetText(Trim(Contractors->FieldByName(QStringLiteral("s_caption"))->AsString()));
  Form14->Edit1->SetText(Trim(Contractors->FieldByName(QStringLiteral("s_full_caption"))->AsString()));
  Form14->Edit3->SetText(Trim(Contractors->FieldByName(QStringLiteral("s_inn"))->AsString()));
  Form14->Edit4->SetText(Trim(Contractors->FieldByName(QStringLiteral("s_ogrn"))->AsString()));
  Form14->ShowModal();
  RestoreRecNo(Contractors, RecNo);
}

// The request headers take the contractor's id and show its full name.
void TForm34::PickForHeader(const char* FormName)
{
  TADOQuery* Contractors = DataModule6->jur_person;
  TComponent* Header = FormObject(FormName);
  if (Header && !Contractors->IsEmpty()) {
    const Integer Id = Contractors->FieldByName(QStringLiteral("id"))->AsInteger();
    SetOrdProp(Header, QStringLiteral("JurPersonId"), Id);
    if (Id != 0)
      OwnedComponent<TEdit>(Header, "Edit1")->SetText(
        Trim(Contractors->FieldByName(QStringLiteral("s_full_caption"))->AsString()));
  }
  Close();
}

// The purchase request under the cursor of the requests list gets the
// contractor as its supplier; that list comes back on the same row.
void TForm34::PickForPurchaseRequest()
{
  TADOQuery* Contractors = DataModule6->jur_person;
  TComponent* Requests = FormObject("Form60");
  TADOQuery* Documents = Requests ? OwnedComponent<TADOQuery>(Requests, "purchase_doc") : nullptr;
  if (Documents && !Contractors->IsEmpty() && !Documents->IsEmpty()) {
    const Integer RecNo = Documents->RecNo();
    ExecuteCommand(QStringLiteral("UPDATE stk_purchase.purchase_doc SET id_jur_person=:id_jur_person where id=:id"),
                   {{"id_jur_person", Contractors->FieldByName(QStringLiteral("id"))->AsInteger()},
                    {"id", Documents->FieldByName(QStringLiteral("id"))->AsInteger()}});
    Documents->Close();
    Documents->Open();
    if (!Documents->IsEmpty())
      RestoreRecNo(Documents, RecNo);
  }
  Close();
}

void TForm34::Button3Click(TObject*)
{
  TADOQuery* Contractors = DataModule6->jur_person;
  if (Contractors->IsEmpty())
    return;
  const Integer RecNo = Contractors->RecNo();
  if (Application->MessageBox(QStringLiteral("Удалить строку?"), QStringLiteral("Удаление"),
                              MB_YESNO | MB_ICONQUESTION) == IDYES) {
    ExecuteCommand(QStringLiteral("delete from cmn_contractor.jur_person where id=:id"),
                   {{"id", Contractors->FieldByName(QStringLiteral("id"))->AsInteger()}});
    Contractors->Close();
    Contractors->Open();
  }
  RestoreRecNo(Contractors, RecNo);
}

void RegisterUnit34Classes()
{
  RegisterClassInfo<TForm34, TForm>("TForm34")
    .Handler("FormCreate", &TForm34::FormCreate)
    .Handler("Edit1Change", &TForm34::Edit1Change)
    .Handler("Edit1KeyDown", &TForm34::Edit1KeyDown)
    .Handler("Button1Click", &TForm34::Button1Click)
    .Handler("Button2Click", &TForm34::Button2Click)
    .Handler("Button3Click", &TForm34::Button3Click);
}
