// DropDownFormEh.h: the base of the forms that drop down from an editor or a
// grid cell.
#pragma once

#include "gridlib/foundation/DynVarsEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/Forms.h"
