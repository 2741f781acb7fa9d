// QRSearchDlg.h: the preview's small text-search dialog.
#pragma once

#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TSearchDlg : public TForm {
  VELMORA_CLASS(TSearchDlg)
public:
  explicit TSearchDlg(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;   // cancel
  TSpeedButton* SpeedButton2 = nullptr;   // search
  // Set when the dialog was left without searching.
  bool cancel = true;

  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);

protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
};
