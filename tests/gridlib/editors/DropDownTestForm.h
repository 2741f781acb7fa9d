// DropDownTestForm.h: a drop-down form built in code with an OK button, for
// the drop-down tests.
#pragma once

#include "gridlib/editors/DropDownFormEh.h"

class TOkDropDownFormEh : public TCustomDropDownFormEh {
  VELMORA_CLASS(TOkDropDownFormEh)
public:
  TOkDropDownFormEh(TComponent* AOwner, Integer Width, Integer Height) : TCustomDropDownFormEh(AOwner, 0)
  {
    SetBounds(0, 0, Width, Height);
    Ok = new TButton(this);
    Ok->SetParent(this);
    Ok->SetBounds(20, 40, 80, 25);
    // OK gives the result and ends the drop-down, run modally or not.
    Ok->OnClick = [this](TObject*) {
      SetModalResult(mrOk);
      Close();
    };
  }
  TButton* Ok = nullptr;
};
