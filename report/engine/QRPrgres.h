// QRPrgres.h: the small window that shows how far a printing or exporting
// job has come, with a button that cancels it.
#pragma once

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "report/engine/QRPrntr.h"

class TQRProgressForm : public TForm {
  VELMORA_CLASS(TQRProgressForm)
  using inherited = TForm;
public:
  explicit TQRProgressForm(TComponent* AOwner);

  TQRPrinter* QRPrinter() const { return FQRPrinter; }
  void SetQRPrinter(TQRPrinter* Value) { FQRPrinter = Value; }
  void CancelButtonClick(TObject* Sender);

  TProgressBar* Gauge = nullptr;
  TLabel* Info = nullptr;
  TButton* CancelButton = nullptr;

protected:
  void WndProc(TMessage& Message) override;

private:
  TQRPrinter* FQRPrinter = nullptr;
};
