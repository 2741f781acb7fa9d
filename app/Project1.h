// Project1.h: the client's start routine: the style file, the creation of
// every form in its fixed order, the setup each form does when created, and
// the message loop.
#pragma once

#include "platform/rtl/SysUtils.h"

class TCustomForm;

// The style file: $XDG_CONFIG_HOME/velmora/t_style.txt.
String StyleFilePath();
// The style name from the style file. A missing file is created holding
// "Windows"; a file whose first line is empty (or that has no line) gets the
// line "Windows" appended. Either way the answer is then "Windows".
String ReadStyleName();
// Replaces the style file with the one line Name.
void WriteStyleName(const String& Name);
// Applies the style the style file names; an unknown name is reported by the
// style manager and the current style stays.
void ApplyStyleFile();

// What every form of the client does first when it is created: the program's
// icon, a single fixed border and no minimise or maximise button.
void CommonFormSetup(TCustomForm* Form, bool IconOnly = false);

// Registers the form-description classes of the client's forms (and of the
// platform libraries below them).
void RegisterAppClasses();
// Creates every form of the client in the start-up order (Form1 creates the
// data module and the login dialog while it is created).
void CreateAppForms();

// Shows an exception that reached the message loop: a lost link to the
// server in the client's own words, every other one as it came.
class TObject;
void ShowAppException(TObject* Sender, Exception& E);

// The whole start routine; answers the program's exit code, 1 when the
// start failed (the reason is shown first). The Qt application object must
// exist.
int ApplicationMain();
