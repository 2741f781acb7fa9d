// QRLablEd.cpp: the designer's editor of a text label.
#include "report/engine/QRLablEd.h"

#include "platform/rtl/SysUtils.h"

namespace {

template <class T>
T* Put(TWinControl* Parent, TComponent* Owner, const char* Name, Integer X, Integer Y, Integer W, Integer H)
{
  auto* C = new T(Owner);
  C->SetName(QString::fromLatin1(Name));
  C->SetParent(Parent);
  C->SetBounds(X, Y, W, H);
  return C;
}

} // namespace

TQRLabelEditorForm::TQRLabelEditorForm(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetCaption(QStringLiteral("Text Settings"));
  SetClientWidth(329);
  SetClientHeight(181);
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  GroupBox1 = Put<TGroupBox>(this, this, "GroupBox1", 8, 8, 233, 165);
  GroupBox1->SetCaption(QStringLiteral("Properties"));
  PutLabel("Text", 8, 20);
  Value = Put<TEdit>(GroupBox1, this, "Value", 64, 16, 161, 21);
  PutLabel("Width", 8, 48);
  Width = Put<TMaskEdit>(GroupBox1, this, "Width", 64, 44, 41, 21);
  PutLabel("Height", 120, 48);
  Height = Put<TMaskEdit>(GroupBox1, this, "Height", 176, 44, 41, 21);
  for (TMaskEdit* E : {Width, Height})
    E->SetEditMask(QStringLiteral("9999"));
  AutoSize = Put<TCheckBox>(GroupBox1, this, "AutoSize", 8, 76, 97, 17);
  AutoSize->SetCaption(QStringLiteral("Autosize"));
  Stretch = Put<TCheckBox>(GroupBox1, this, "Stretch", 8, 96, 97, 17);
  Stretch->SetCaption(QStringLiteral("Stretch"));
  Transparent = Put<TCheckBox>(GroupBox1, this, "Transparent", 8, 116, 97, 17);
  Transparent->SetCaption(QStringLiteral("Transparent"));
  OKBtn = Put<TButton>(this, this, "OKBtn", 248, 14, 75, 25);
  OKBtn->SetCaption(QStringLiteral("OK"));
  OKBtn->SetModalResult(mrOk);
  OKBtn->SetDefault(true);
  Button4 = Put<TButton>(this, this, "Button4", 248, 46, 75, 25);
  Button4->SetCaption(QStringLiteral("Cancel"));
  Button4->SetModalResult(mrCancel);
  Button4->SetCancel(true);
}

TLabel* TQRLabelEditorForm::PutLabel(const char* Caption, Integer X, Integer Y)
{
  auto* L = new TLabel(this);
  L->SetParent(GroupBox1);
  L->SetBounds(X, Y, 50, 13);
  L->SetCaption(QString::fromLatin1(Caption));
  return L;
}

Integer EditorSizeValue(const String& Text)
{
  const String Digits = Text.trimmed();
  return Digits.isEmpty() ? 0 : StrToInt(Digits);
}

void TQRLabelEditor::FillForm(TQRLabelEditorForm& Form) const
{
  TQRCustomLabel* L = Label();
  Form.Value->SetText(GetValue());
  Form.Width->SetText(QString::number(Integer(L->Size()->Width())));
  Form.Height->SetText(QString::number(Integer(L->Size()->Height())));
  Form.AutoSize->SetChecked(L->AutoSize());
  Form.Stretch->SetChecked(L->AutoStretch());
  Form.Transparent->SetChecked(L->Transparent());
}

void TQRLabelEditor::TakeForm(const TQRLabelEditorForm& Form)
{
  TQRCustomLabel* L = Label();
  SetValue(Form.Value->Text());
  L->Size()->SetWidth(EditorSizeValue(Form.Width->Text()));
  L->Size()->SetHeight(EditorSizeValue(Form.Height->Text()));
  L->SetAutoSize(Form.AutoSize->Checked());
  L->SetAutoStretch(Form.Stretch->Checked());
  L->SetTransparent(Form.Transparent->Checked());
}

bool TQRLabelEditor::ShowEditor()
{
  TQRLabelEditorForm Form(nullptr);
  FillForm(Form);
  if (Form.ShowModal() != mrOk)
    return false;
  TakeForm(Form);
  return true;
}
