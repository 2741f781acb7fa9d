// DialogsCommon.h: common dialogs.
#pragma once

#include "platform/gui/Dialogs.h"
#include "platform/rtl/Classes.h"

// ---------------------------------------------------------------------------
// Common dialogs: file open and save, a one-line question, printing. Each
// has a hook that answers it instead of a person (tests); an empty hook
// shows the dialog.

enum class TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofPathMustExist, ofFileMustExist,
                         ofNoChangeDir, ofEnableSizing };
using enum TOpenOption;
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TComponent {
  VELMORA_CLASS(TOpenDialog)
public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // Shows the dialog; true when a file was chosen (FileName, FilterIndex).
  virtual bool Execute();

  String Title;
  // "Description|pattern|Description|pattern…"
  String Filter;
  // 1-based, as the user left it.
  Integer FilterIndex = 1;
  String FileName;
  String DefaultExt;
  String InitialDir;
  TOpenOptions Options = {ofHideReadOnly, ofEnableSizing};
  // Which kind of dialog: an open or a save dialog.
  virtual bool IsSaveDialog() const { return false; }
};

class TSaveDialog : public TOpenDialog {
  VELMORA_CLASS(TSaveDialog)
public:
  using TOpenDialog::TOpenDialog;
  bool IsSaveDialog() const override { return true; }
};

// Answers a file dialog: sets its FileName (and FilterIndex) and answers
// whether the user accepted.
using TFileDialogHook = std::function<bool(TOpenDialog* Dialog)>;
TFileDialogHook SetFileDialogHook(TFileDialogHook Hook);

// Asks for one line of text; Value holds the default and the answer.
bool InputQuery(const String& ACaption, const String& APrompt, String& Value);
using TInputQueryHook = std::function<bool(const String& Caption, const String& Prompt, String& Value)>;
TInputQueryHook SetInputQueryHook(TInputQueryHook Hook);

class TPrinter;
struct TDeviceMode;

enum class TPrintRange { prAllPages, prSelection, prPageNums };
using enum TPrintRange;
enum class TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using enum TPrintDialogOption;
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// What the common print dialog is given and what it answers: the printer
// (by index), the page range, copies and collation, printing to a file, and
// the device settings chosen (field mask, paper, bin, quality, colour,
// duplex, orientation).
struct TPrintDialogData {
  Integer PrinterIndex = -1;
  TPrintRange PrintRange = prAllPages;
  TPrintDialogOptions Options;
  Integer FromPage = 0;
  Integer ToPage = 0;
  Integer MinPage = 0;
  Integer MaxPage = 0;
  Integer Copies = 1;
  bool Collate = false;
  bool PrintToFile = false;
  String FileName;
  Cardinal DevFields = 0;
  Integer PaperSize = 0;
  Integer PaperWidth = 0;    // tenths of a millimetre
  Integer PaperLength = 0;
  Integer Orientation = 1;   // 1 portrait, 2 landscape
  Integer DefaultSource = 0;
  Integer PrintQuality = 0;
  Integer Color = 0;
  Integer Duplex = 1;
};
using TPrintDialogHook = std::function<bool(TPrintDialogData& Data)>;
TPrintDialogHook SetPrintDialogHook(TPrintDialogHook Hook);
// Shows the print dialog over Data; true when the user chose to print.
bool ExecutePrintDialog(TPrintDialogData& Data);
