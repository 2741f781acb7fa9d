// QRPrgres.cpp: the progress window of a printing or exporting job.
#include "report/engine/QRPrgres.h"

#include "report/engine/QRReport.h"

TQRProgressForm::TQRProgressForm(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetCaption(QStringLiteral("Printing progress"));
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetClientWidth(149);
  SetClientHeight(97);
  Gauge = new TProgressBar(this);
  Gauge->SetName(QStringLiteral("Gauge"));
  Gauge->SetParent(this);
  Gauge->SetBounds(16, 18, 114, 16);
  Info = new TLabel(this);
  Info->SetName(QStringLiteral("Info"));
  Info->SetParent(this);
  Info->SetAutoSize(false);
  Info->SetAlignment(taCenter);
  Info->SetBounds(0, 44, 145, 13);
  CancelButton = new TButton(this);
  CancelButton->SetName(QStringLiteral("CancelButton"));
  CancelButton->SetParent(this);
  CancelButton->SetBounds(36, 68, 75, 25);
  CancelButton->SetCaption(QStringLiteral("Cancel"));
  CancelButton->OnClick = [this](TObject* S) { CancelButtonClick(S); };
}

void TQRProgressForm::WndProc(TMessage& Message)
{
  if (Message.Msg == CM_QRPROGRESSUPDATE) {
    const Integer P = FQRPrinter ? FQRPrinter->Progress() : 0;
    if (P % 5 == 0) {
      Gauge->SetPosition(P);
      Info->SetCaption(QString::number(P) + QStringLiteral("% ") + QStringLiteral(" Completed"));
      // A run on this thread lets the Cancel button be pressed meanwhile.
      Application->ProcessMessages();
    }
    return;
  }
  inherited::WndProc(Message);
}

void TQRProgressForm::CancelButtonClick(TObject*)
{
  if (!FQRPrinter)
    return;
  if (auto* Report = dynamic_cast<TCustomQRReport*>(FQRPrinter->ParentReport()))
    Report->UserCancel = true;
  FQRPrinter->Cancel();
}
