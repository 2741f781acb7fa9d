// DBAxisGridsEhButtons.cpp: the buttons of a bar inside its cells: painting,
// presses, stepping while held, their menus and drop-down forms.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

// ---------------------------------------------------------------------------
// Up/down stepping.

double TAxisBarEh::UpDownStep(Integer Half) const
{
  if (Half != 1 && Half != 2)
    return 0;
  const double Sign = GetBarType() == ctCommon ? 1 : -1;
  return Half == 1 ? Increment() * Sign : -Increment() * Sign;
}

void TAxisBarEh::StepUpDown(Integer Half)
{
  const double Step = UpDownStep(Half);
  if (Step == 0)
    return;
  SetNextValue(Step);
}
