// Unit31.cpp: the department editor.
#include "app/Unit31.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/Dialogs.h"

TForm31* Form31 = nullptr;

const char* const WarehouseTypeNames[3] = {"Склад ГП", "Склад заготовок", "Склад сырья"};

TForm31::TForm31(TComponent* AOwner) : TForm(AOwner) {}

TForm31::~TForm31()
{
  if (Form31 == this)
    Form31 = nullptr;
}

void TForm31::Loaded()
{
  inherited::Loaded();
  GroupBox1 = OwnedComponent<TGroupBox>(this, "GroupBox1");
  Label1 = OwnedComponent<TLabel>(this, "Label1");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Label2 = OwnedComponent<TLabel>(this, "Label2");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Label4 = OwnedComponent<TLabel>(this, "Label4");
  p_department = OwnedComponent<TDBLookupComboBox>(this, "p_department");
  CheckBox1 = OwnedComponent<TCheckBox>(this, "CheckBox1");
  Label3 = OwnedComponent<TLabel>(this, "Label3");
  type_combo = OwnedComponent<TComboBox>(this, "type_combo");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  cb_department = OwnedComponent<TADOTable>(this, "cb_department");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
}

void TForm31::FormCreate(TObject*) { CommonFormSetup(this); }

// Filling the editor sets the box without running its click handler, so a
// stored type stays selected.
void TForm31::ShowWarehouseType(Integer TypeIndex)
{
  const bool Warehouse = TypeIndex >= 0;
  CheckBox1->SetChecked(Warehouse);
  type_combo->SetEnabled(Warehouse);
  Label3->SetEnabled(Warehouse);
  type_combo->SetItemIndex(Warehouse && TypeIndex < type_combo->Items()->Count() ? TypeIndex : -1);
}

void TForm31::CheckBox1Click(TObject*)
{
  ShowWarehouseType(CheckBox1->Checked() ? 0 : -1);
}

void TForm31::FormClose(TObject*, TCloseAction&) { cb_department->Close(); }

void TForm31::Button1Click(TObject*)
{
  const String Name = Trim(Edit1->Text());
  if (Name.isEmpty()) {
    Application->MessageBox(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONERROR);
    return;
  }
  const Variant ParentKey = p_department->KeyValue();
  const Integer Parent = VarIsNull(ParentKey) || VarIsEmpty(ParentKey) ? 0 : ParentKey.AsInteger();
  const Integer TypeIndex = type_combo->ItemIndex();
  const String TypeText = TypeIndex >= 0 ? type_combo->Items()->Strings(TypeIndex) : String();
  if (Tag() == 1) {
    ExecuteCommand(QStringLiteral("insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)"
                                  "VALUES(:s_caption, :s_description, :id_parent, :type, :s_type)"),
                   {{"s_caption", Name}, {"s_description", Trim(Edit2->Text())}, {"id_parent", Parent},
                    {"type", TypeIndex}, {"s_type", TypeText}});
  } else {
    ExecuteCommand(QStringLiteral("UPDATE cmn_department.department SET s_caption=:s_caption, s_description=:s_description, "
                                  "id_parent=:id_parent, type=:type, s_type=:s_type where id=:id"),
                   {{"s_caption", Name}, {"s_description", Trim(Edit2->Text())}, {"id_parent", Parent},
                    {"type", TypeIndex}, {"s_type", TypeText},
                    {"id", DataModule6->department->FieldByName(QStringLiteral("id"))->AsInteger()}});
  }
  DataModule6->department->Close();
  DataModule6->department->Open();
  Close();
}

// The wheel turns the parent list while it has the focus.
void TForm31::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&)
{
  WheelToFocusedBox({p_department}, VK_DOWN);
}

void TForm31::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&)
{
  WheelToFocusedBox({p_department}, VK_UP);
}

void RegisterUnit31Classes()
{
  RegisterClassInfo<TForm31, TForm>("TForm31")
    .Handler("FormCreate", &TForm31::FormCreate)
    .Handler("FormClose", &TForm31::FormClose)
    .Handler("Button1Click", &TForm31::Button1Click)
    .Handler("CheckBox1Click", &TForm31::CheckBox1Click)
    .Handler("FormMouseWheelDown", &TForm31::FormMouseWheelDown)
    .Handler("FormMouseWheelUp", &TForm31::FormMouseWheelUp);
}
