// Unit27.cpp: the staff position editor.
#include "app/Unit27.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/Dialogs.h"

TForm27* Form27 = nullptr;

TForm27::TForm27(TComponent* AOwner) : TForm(AOwner) {}

TForm27::~TForm27()
{
  if (Form27 == this)
    Form27 = nullptr;
}

void TForm27::Loaded()
{
  inherited::Loaded();
  GroupBox1 = OwnedComponent<TGroupBox>(this, "GroupBox1");
  Label1 = OwnedComponent<TLabel>(this, "Label1");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Label2 = OwnedComponent<TLabel>(this, "Label2");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Label4 = OwnedComponent<TLabel>(this, "Label4");
  p_department = OwnedComponent<TDBLookupComboBox>(this, "p_department");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  cb_department = OwnedComponent<TADOTable>(this, "cb_department");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
}

void TForm27::FormCreate(TObject*) { CommonFormSetup(this); }

void TForm27::Button1Click(TObject*)
{
  const String Name = Trim(Edit1->Text());
  if (Name.isEmpty()) {
    Application->MessageBox(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONERROR);
    return;
  }
  const Variant Key = p_department->KeyValue();
  const Integer Department = VarIsNull(Key) || VarIsEmpty(Key) ? 0 : Key.AsInteger();
  if (Tag() == 1) {
    ExecuteCommand(QStringLiteral("insert into hrms_staffpos.staffpos(s_caption, s_description, id_department)"
                                  "VALUES(:s_caption, :s_description, :id_department)"),
                   {{"s_caption", Name}, {"s_description", Trim(Edit2->Text())}, {"id_department", Department}});
  } else {
    ExecuteCommand(QStringLiteral("UPDATE hrms_staffpos.staffpos SET s_caption=:s_caption, s_description=:s_description, "
                                  "id_department=:id_department where id=:id"),
                   {{"s_caption", Name}, {"s_description", Trim(Edit2->Text())}, {"id_department", Department},
                    {"id", DataModule6->staffpos->FieldByName(QStringLiteral("id"))->AsInteger()}});
  }
  DataModule6->staffpos->Close();
  DataModule6->staffpos->Open();
  Close();
}

// The wheel turns the department list while it has the focus.
void TForm27::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&)
{
  WheelToFocusedBox({p_department}, VK_DOWN);
}

void TForm27::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&)
{
  WheelToFocusedBox({p_department}, VK_UP);
}

void RegisterUnit27Classes()
{
  RegisterClassInfo<TForm27, TForm>("TForm27")
    .Handler("FormCreate", &TForm27::FormCreate)
    .Handler("Button1Click", &TForm27::Button1Click)
    .Handler("FormMouseWheelDown", &TForm27::FormMouseWheelDown)
    .Handler("FormMouseWheelUp", &TForm27::FormMouseWheelUp);
}
