// DBCtrlsEh.cpp: the field data link and the data-aware editor base.
#include "gridlib/editors/DBCtrlsEh.h"
