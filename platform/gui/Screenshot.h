// Screenshot.h: renders a form or control into a PNG file, for tests and
// reviews.
#pragma once

#include "platform/rtl/System.h"

class TControl;

// Creates the window when needed, lays it out and writes what it shows.
// Answers whether the file was written.
bool SaveScreenshot(TControl* Control, const String& FileName);
