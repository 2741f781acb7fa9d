// DropDownFormEh.cpp: drop-down forms.
#include "gridlib/editors/DropDownFormEh.h"
