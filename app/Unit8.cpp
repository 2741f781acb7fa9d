// Unit8.cpp: the operation types list.
#include "app/Unit8.h"

#include "app/Project1.h"
#include "app/Unit10.h"
#include "app/Unit6.h"
#include "app/Unit9.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"
#include "platform/gui/Dialogs.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(TComponent* AOwner) : TForm(AOwner) {}

TForm8::~TForm8()
{
  if (Form8 == this)
    Form8 = nullptr;
}

void TForm8::Loaded()
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

// No close box either: the list is left through "Выход" or Escape.
void TForm8::FormCreate(TObject*)
{
  CommonFormSetup(this);
  TBorderIcons Icons = BorderIcons();
  Icons >> biSystemMenu;
  SetBorderIcons(Icons);
}

void TForm8::FormActivate(TObject*)
{
  if (Edit1->Visible())
    Edit1->SetFocus();
}

void TForm8::Edit1Change(TObject*)
{
  SetPrefixFilter(DataModule6->operation_type, QStringLiteral("s_caption"), Edit1->Text());
}

void TForm8::Edit1KeyDown(TObject*, Word& Key, TShiftState)
{
  SearchBoxKeyDown(DataModule6->operation_type, Key);
}

void TForm8::Button1Click(TObject*)
{
  Form9->Edit1->Clear();
  Form9->Edit2->Clear();
  Form9->SetTag(1);
  Form9->ShowModal();
}

// "Изменить" and a double-click: the editor from the menu; opened by the
// operation dialog, the type goes back to it and the list closes.
void TForm8::Button2Click(TObject*)
{
  TADOQuery* Types = DataModule6->operation_type;
  if (Types->IsEmpty())
    return;
  const Integer RecNo = Types->RecNo();
  if (Tag() != 0) {
    Form10->Edit2->SetText(Trim(Types->FieldByName(QStringLiteral("s_caption"))->AsString()));
    Form10->TypeId = Types->FieldByName(QStringLiteral("id"))->AsInteger();
    Close();
  } else {
    Form9->SetTag(2);
    Form9->Edit1->SetText(Trim(Types->FieldByName(QStringLiteral("s_caption"))->AsString()));
    Form9->Edit2->SetText(Trim(Types->FieldByName(QStringLiteral("s_description"))->AsString()));
    Form9->ShowModal();
  }
  RestoreRecNo(Types, RecNo);
}

void TForm8::Button3Click(TObject*)
{
  TADOQuery* Types = DataModule6->operation_type;
  if (Types->IsEmpty())
    return;
  const Integer RecNo = Types->RecNo();
  if (Application->MessageBox(QStringLiteral("Удалить строку?"), QStringLiteral("Удаление"),
                              MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ExecuteCommand(QStringLiteral("delete from mnf_operation.operation_type where id=:id"),
                 {{"id", Types->FieldByName(QStringLiteral("id"))->AsInteger()}});
  Types->Close();
  Types->Open();
  if (!Types->IsEmpty())
    RestoreRecNo(Types, RecNo);
}

void RegisterUnit8Classes()
{
  RegisterClassInfo<TForm8, TForm>("TForm8")
    .Handler("FormCreate", &TForm8::FormCreate)
    .Handler("FormActivate", &TForm8::FormActivate)
    .Handler("Edit1Change", &TForm8::Edit1Change)
    .Handler("Edit1KeyDown", &TForm8::Edit1KeyDown)
    .Handler("Button1Click", &TForm8::Button1Click)
    .Handler("Button2Click", &TForm8::Button2Click)
    .Handler("Button3Click", &TForm8::Button3Click);
}
