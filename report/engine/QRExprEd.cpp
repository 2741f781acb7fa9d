// QRExprEd.cpp: the designer's editor of an expression control.
#include "report/engine/QRExprEd.h"

#include "report/engine/QRExpBld.h"

TQRExprEditorForm::TQRExprEditorForm(TComponent* AOwner) : TQRLabelEditorForm(AOwner)
{
  SetCaption(QStringLiteral("Expression settings"));
  SetClientWidth(367);
  SetClientHeight(210);
  GroupBox1->SetBounds(8, 8, 271, 194);
  Value->SetWidth(169);
  ShowExprBuilder = new TButton(this);
  ShowExprBuilder->SetName(QStringLiteral("ShowExprBuilder"));
  ShowExprBuilder->SetParent(GroupBox1);
  ShowExprBuilder->SetBounds(237, 16, 25, 21);
  ShowExprBuilder->SetCaption(QStringLiteral("..."));
  ShowExprBuilder->OnClick = [this](TObject* S) { ShowExprBuilderClick(S); };
  PutLabel("Format mask", 8, 144);
  Mask = new TComboBox(this);
  Mask->SetName(QStringLiteral("Mask"));
  Mask->SetParent(GroupBox1);
  Mask->SetBounds(88, 140, 173, 21);
  OKBtn->SetLeft(286);
  Button4->SetLeft(286);
}

void TQRExprEditorForm::ShowExprBuilderClick(TObject*)
{
  String Expression = Value->Text();
  if (EditExpression(QStringLiteral("Expression"), Expression, DSForm, Environment, this))
    Value->SetText(Expression);
}

bool TQRExprEditor::ShowEditor()
{
  TQRExprEditorForm Form(nullptr);
  FillForm(Form);
  Form.Mask->SetText(Expr()->Mask());
  if (TCustomQRReport* Report = Expr()->ParentReport())
    Form.Environment = Report->Functions();
  for (TControl* P = Expr()->Parent(); P && !Form.DSForm; P = P->Parent())
    Form.DSForm = dynamic_cast<TCustomForm*>(P);
  if (Form.ShowModal() != mrOk)
    return false;
  TakeForm(Form);
  Expr()->SetMask(Form.Mask->Text());
  return true;
}
