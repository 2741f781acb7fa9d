// Unit22.cpp: the norms grid.
#include "app/Unit22.h"

#include "app/Project1.h"
#include "app/Unit6.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DBGrids.h"

TForm22* Form22 = nullptr;

TForm22::TForm22(TComponent* AOwner) : TForm(AOwner) {}

TForm22::~TForm22()
{
  if (Form22 == this)
    Form22 = nullptr;
}

void TForm22::Loaded()
{
  inherited::Loaded();
  DBGrid1 = OwnedComponent<TDBGrid>(this, "DBGrid1");
  Panel1 = OwnedComponent<TPanel>(this, "Panel1");
  Button1 = OwnedComponent<TButton>(this, "Button1");
  Button2 = OwnedComponent<TButton>(this, "Button2");
  norm = OwnedComponent<TADOTable>(this, "norm");
  DataSource1 = OwnedComponent<TDataSource>(this, "DataSource1");
}

void TForm22::FormCreate(TObject*) { CommonFormSetup(this); }

// Entering a column edits the current row, or starts a new one when the
// table has none to stand on.
void TForm22::DBGrid1ColEnter(TObject*)
{
  if (norm->RecNo() < 0)
    norm->Insert();
  else
    norm->Edit();
}

// A new row belongs to the operation under the cursor of the route's list.
// It gets it here, whichever way it is posted (a column left, a button, or
// the cursor moved to another row), or it would be saved where the filter
// never shows it again.
void TForm22::normBeforePost(TDataSet* DataSet)
{
  TField* Operation = DataSet->FieldByName(QStringLiteral("o_id"));
  if (DataSet->State() == dsInsert && Operation->IsNull())
    Operation->SetAsInteger(DataModule6->operation->FieldByName(QStringLiteral("id"))->AsInteger());
}

void TForm22::PostChanges()
{
  if (norm->Modified())
    norm->Post();
}

void TForm22::DBGrid1ColExit(TObject*)
{
  if (!norm->Modified())
    return;
  PostChanges();
  norm->Refresh();
}

void TForm22::Button1Click(TObject*)
{
  PostChanges();
  TADOQuery* Operations = DataModule6->operation;
  const Integer RecNo = Operations->RecNo();
  Operations->Close();
  Operations->Open();
  RestoreRecNo(Operations, RecNo);
  Close();
}

// The last row stays: only a table with more than one row loses one.
void TForm22::Button2Click(TObject*)
{
  PostChanges();
  if (norm->RecordCount() > 1)
    norm->Delete();
  norm->Refresh();
}

void RegisterUnit22Classes()
{
  RegisterClassInfo<TForm22, TForm>("TForm22")
    .Handler("FormCreate", &TForm22::FormCreate)
    .Handler("DBGrid1ColEnter", &TForm22::DBGrid1ColEnter)
    .Handler("DBGrid1ColExit", &TForm22::DBGrid1ColExit)
    .Handler("normBeforePost", &TForm22::normBeforePost)
    .Handler("Button1Click", &TForm22::Button1Click)
    .Handler("Button2Click", &TForm22::Button2Click);
}
