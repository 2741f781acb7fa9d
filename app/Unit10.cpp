// Unit10.cpp: the operation dialog.
#include "app/Unit10.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/gui/Dialogs.h"

#include <QRegularExpression>

TForm10* Form10 = nullptr;

TForm10::TForm10(TComponent* AOwner) : TForm(AOwner) {}

TForm10::~TForm10()
{
  if (Form10 == this)
    Form10 = nullptr;
}

void TForm10::Loaded()
{
  inherited::Loaded();
  GroupBox1 = OwnedComponent<TGroupBox>(this, "GroupBox1");
  Edit1 = OwnedComponent<TEdit>(this, "Edit1");
  Edit2 = OwnedComponent<TEdit>(this, "Edit2");
  Button3 = OwnedComponent<TButton>(this, "Button3");
  cb_operation_state = OwnedComponent<TDBLookupComboBox>(this, "cb_operation_state");
  Edit3 = OwnedComponent<TEdit>(this, "Edit3");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  operation_state = OwnedComponent<TADOTable>(this, "operation_state");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
  max_num = OwnedComponent<TADOQuery>(this, "max_num");
}

void TForm10::FormCreate(TObject*) { CommonFormSetup(this); }

void TForm10::FormActivate(TObject*) { Button1->SetFocus(); }

// Digits, the two decimal separators and Backspace; nothing else is typed.
void TForm10::Edit3KeyPress(TObject*, QChar& Key)
{
  if (!(Key.isDigit() && Key.unicode() < 128) && Key != u',' && Key != u'.' && Key != QChar(8))
    Key = QChar(0);
}

// The types list in its pick mode; the pick fills the type box and TypeId.
void TForm10::Button3Click(TObject*)
{
  Form8->SetTag(1);
  DataModule6->operation_type->Open();
  Form8->Button1->SetVisible(false);
  Form8->Button3->SetVisible(false);
  Form8->Button2->SetDefault(true);
  Form8->Edit1->SetVisible(true);
  Form8->Edit1->Clear();
  Form8->ShowModal();
  Form8->Button2->SetDefault(false);
  // The search filter stays on the shared list; the menu shows that list
  // without a search box to clear it.
  Form8->Edit1->Clear();
  Form8->Edit1->SetVisible(false);
  DataModule6->operation_type->Close();
}

void TForm10::Refuse(const String& Text)
{
  Application->MessageBox(Text, QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
}

static bool IsWholeNumber(const String& Text, Integer& Value)
{
  static const QRegularExpression Digits(QStringLiteral("^[0-9]+$"));
  return Digits.match(Text).hasMatch() && TryStrToInt(Text, Value);
}

// An operation without a type or a result would be saved where the route
// never lists it while its price counts in the total: refused, as are
// pasted texts that are not numbers.
void TForm10::Button1Click(TObject*)
{
  const String Filled = QStringLiteral("Все поля должны быть заполнены!");
  if (Trim(Edit1->Text()).isEmpty()) {
    Refuse(Filled);
    return;
  }
  const Variant StateKey = cb_operation_state->KeyValue();
  const bool HasState = !VarIsNull(StateKey) && !VarIsEmpty(StateKey) && StateKey.AsInteger() >= 0;
  if (Trim(Edit2->Text()).isEmpty() || TypeId <= 0 || !HasState) {
    Refuse(Filled);
    return;
  }
  Integer OrderBy = 0;
  if (!IsWholeNumber(Edit1->Text(), OrderBy)) {
    Refuse(QStringLiteral("В поле \"№ по порядку\" должно быть целое число!"));
    return;
  }
  Currency Price;
  if (!TypedDecimal(Edit3->Text(), Price)) {
    Refuse(QStringLiteral("В поле \"Цена\" должно быть число!"));
    return;
  }

  // The route dialog holds the route and its product.
  TComponent* Route = FormObject("Form33");
  const Integer ItemId = Route ? Integer(GetOrdProp(Route, QStringLiteral("ItemId"))) : 0;
  const Integer RouteId = Route ? Integer(GetOrdProp(Route, QStringLiteral("RouteId"))) : 0;
  TADOQuery* Operations = DataModule6->operation;
  if (Tag() == 1) {
    ExecuteCommand(QStringLiteral("INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, "
                                  "id_proc_tech, orderby)VALUES(:id_type, :id_state, :price, :id_inventory_items, "
                                  ":id_proc_tech, :orderby)"),
                   {{"id_type", TypeId}, {"id_state", StateKey.AsInteger()}, {"price", Price},
                    {"id_inventory_items", ItemId}, {"id_proc_tech", RouteId}, {"orderby", OrderBy}});
  } else {
    ExecuteCommand(QStringLiteral("UPDATE mnf_operation.operation SET id_type=:id_type, id_state=:id_state, "
                                  "price=:price, id_inventory_items=:id_inventory_items, orderby=:orderby WHERE id=:id"),
                   {{"id_type", TypeId}, {"id_state", StateKey.AsInteger()}, {"price", Price},
                    {"id_inventory_items", ItemId}, {"orderby", OrderBy},
                    {"id", Operations->FieldByName(QStringLiteral("id"))->AsInteger()}});
  }
  Operations->Close();
  Operations->Open();
  Close();
}

void RegisterUnit10Classes()
{
  RegisterClassInfo<TForm10, TForm>("TForm10")
    .Handler("FormCreate", &TForm10::FormCreate)
    .Handler("FormActivate", &TForm10::FormActivate)
    .Handler("Edit3KeyPress", &TForm10::Edit3KeyPress)
    .Handler("Button3Click", &TForm10::Button3Click)
    .Handler("Button1Click", &TForm10::Button1Click);
}
