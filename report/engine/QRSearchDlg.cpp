// QRSearchDlg.cpp: the preview's text-search dialog.
#include "report/engine/QRSearchDlg.h"

TSearchDlg::TSearchDlg(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetBorderIcons({});
  SetPosition(TPosition::poScreenCenter);
  SetClientWidth(305);
  SetClientHeight(118);
  SetKeyPreview(true);

  Label1 = new TLabel(this);
  Label1->SetParent(this);
  Label1->SetBounds(12, 12, 200, 13);
  Edit1 = new TEdit(this);
  Edit1->SetParent(this);
  Edit1->SetBounds(12, 30, 281, 21);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetParent(this);
  CheckBox1->SetBounds(12, 60, 150, 17);
  SpeedButton2 = new TSpeedButton(this);
  SpeedButton2->SetParent(this);
  SpeedButton2->SetBounds(132, 86, 75, 25);
  SpeedButton2->OnClick = [this](TObject* S) { SpeedButton2Click(S); };
  SpeedButton1 = new TSpeedButton(this);
  SpeedButton1->SetParent(this);
  SpeedButton1->SetBounds(218, 86, 75, 25);
  SpeedButton1->OnClick = [this](TObject* S) { SpeedButton1Click(S); };

  Label1->SetCaption(QStringLiteral("Search Text"));
  CheckBox1->SetCaption(QStringLiteral("Match case"));
  SpeedButton2->SetCaption(QStringLiteral("Search"));
  SpeedButton1->SetCaption(QStringLiteral("Cancel"));
  SetCaption(QStringLiteral("Search for Text"));
  SetActiveControl(Edit1);
}

void TSearchDlg::SpeedButton1Click(TObject*)
{
  cancel = true;
  SetModalResult(mrCancel);
}

void TSearchDlg::SpeedButton2Click(TObject*)
{
  cancel = false;
  SetModalResult(mrOk);
}

// Speed buttons take no focus: Enter searches and Esc cancels from the edit.
void TSearchDlg::KeyDown(Word& Key, TShiftState Shift)
{
  if (Key == VK_RETURN)
    SpeedButton2Click(this);
  else if (Key == VK_ESCAPE)
    SpeedButton1Click(this);
  else
    TForm::KeyDown(Key, Shift);
}
