// DBCtrlsEh.h: the data-aware editors: the field data link, the text editor
// base with its edit buttons, drop-down forms and MRU list, and the check box.
#pragma once

#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"
#include "platform/gui/Mask.h"

// ---------------------------------------------------------------------------
// Field data link

// ---------------------------------------------------------------------------
// Edit-buttons box and control label

// ---------------------------------------------------------------------------
// Data-aware editor base

// ---------------------------------------------------------------------------
// Drop-down form launcher

// ---------------------------------------------------------------------------
// Check box editor
