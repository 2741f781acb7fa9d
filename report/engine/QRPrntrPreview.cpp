// QRPrntrPreview.cpp: the preview control and its page image, and the page
// drawing shared with the thumbnails.
#include "report/engine/QRPrntr.h"

#include "platform/rtl/Math.h"
#include "report/engine/QRReport.h"

// ---------------------------------------------------------------------------
// Page drawing

void DrawPreviewPage(TCanvas* Canvas, TMetafile* Page, const TRect& R, bool Frame, bool Clip)
{
  const Integer L = R.Left, T = R.Top, W = R.Width(), H = R.Height();
  if (Page || Frame) {
    Canvas->Pen()->SetColor(clWhite);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Brush()->SetColor(clWhite);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(TRect(L + 1, T + 1, L + W - 3, T + H - 3));
  }
  if (Page) {
    if (Clip)
      IntersectClipRect(Canvas->Handle(), L + 1, T + 1, L + W - 3, T + H - 3);
    Canvas->StretchDraw(R, Page);
    if (Clip)
      SelectClipRgn(Canvas->Handle(), nullptr);
  }
  if (Page || Frame) {
    Canvas->Pen()->SetColor(clBlack);
    Canvas->Pen()->SetWidth(1);
    Canvas->MoveTo(L, T);
    Canvas->LineTo(L, T + H - 3);
    Canvas->LineTo(L + W - 3, T + H - 3);
    Canvas->LineTo(L + W - 3, T);
    Canvas->LineTo(L, T);
    Canvas->Brush()->SetColor(clBlack);
    Canvas->FillRect(TRect(L + W - 2, T + 2, R.Right, R.Bottom));
    Canvas->FillRect(TRect(L + 2, T + H - 2, R.Right, R.Bottom));
  }
}

// ---------------------------------------------------------------------------
// TQRPreviewImage

TQRPreviewImage::TQRPreviewImage(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FWidth = 100;
  FHeight = 50;
}

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::SetPageNumber(Integer Value)
{
  FPageNumber = Value;
  FMetafile.reset();
  if (FQRPrinter)
    FMetafile = FQRPrinter->GetPage(Value);
  Repaint();
}

void TQRPreviewImage::Paint()
{
  DrawPreviewPage(Canvas(), FMetafile.get(), TRect(0, 0, Width(), Height()),
                  ComponentState().Contains(csDesigning), false);
}

// ---------------------------------------------------------------------------
// TQRPreview

TQRPreview::TQRPreview(TComponent* AOwner) : TScrollBox(AOwner)
{
  FPreviewImage = new TQRPreviewImage(this);
  FPreviewImage->SetParent(this);
  FPreviewImage->SetBounds(0, 0, FPreviewImage->Width(), FPreviewImage->Height());
  HorzScrollBar()->SetTracking(true);
  VertScrollBar()->SetTracking(true);
  SetBounds(FLeft, FTop, 250, 250);
}

TQRPreview::~TQRPreview()
{
  if (FQRPrinter && FQRPrinter->Client() == this) {
    FQRPrinter->SetShowingPreview(false);
    FQRPrinter->SetClient(nullptr);
  }
  FQRPrinter = nullptr;
}

void TQRPreview::SetQRPrinter(TQRPrinter* Value)
{
  if (FQRPrinter && FQRPrinter->Client() == this) {
    FQRPrinter->SetShowingPreview(false);
    FQRPrinter->SetClient(nullptr);
  }
  FQRPrinter = Value;
  FPreviewImage->SetQRPrinter(Value);
  if (Value) {
    Value->SetClient(this);
    Value->SetShowingPreview(true);
  }
  FPageNumber = 1;
  FPreviewImage->SetPageNumber(1);
  Invalidate();
  // Handlers given to the preview fire over the page too.
  FPreviewImage->OnClick = OnClick;
  FPreviewImage->OnDblClick = OnDblClick;
  FPreviewImage->OnMouseDown = OnMouseDown;
  FPreviewImage->OnMouseMove = OnMouseMove;
  FPreviewImage->OnMouseUp = OnMouseUp;
}

void TQRPreview::SetPageNumber(Integer Value)
{
  if ((Value == FPageNumber && FPreviewImage->ImageOK()) || Value <= 0 || !FQRPrinter ||
      Value > FQRPrinter->PageCount())
    return;
  FPreviewImage->SetPageNumber(Value);
  FPageNumber = Value;
  HorzScrollBar()->SetPosition(0);
  VertScrollBar()->SetPosition(0);
}

void TQRPreview::WndProc(TMessage& Message)
{
  if (Message.Msg == CM_QRPAGEAVAILABLE) {
    try {
      const Integer Page = Integer(Message.WParam & 0xFFFF);
      if (Page == FPageNumber)
        UpdateImage();
      if (OnPageAvailable)
        OnPageAvailable(this, Page);
    } catch (const Exception&) {
      // A page that cannot be shown now is shown by the next message.
    }
    return;
  }
  if (Message.Msg == WM_GETDLGCODE) {
    // The arrows scroll the page, they do not move the focus.
    Message.Result = DLGC_WANTARROWS;
    return;
  }
  if (Message.Msg == CM_QRPROGRESSUPDATE) {
    try {
      if (OnProgressUpdate)
        OnProgressUpdate(this, Integer(Message.WParam & 0xFFFF));
    } catch (const Exception&) {
      // Progress is only shown; a failure to show it is no failure of the run.
    }
    return;
  }
  inherited::WndProc(Message);
}

void TQRPreview::UpdateImage()
{
  if (!FPreviewImage || FPreviewImage->ImageOK() || !FQRPrinter ||
      FQRPrinter->AvailablePages() < FPreviewImage->PageNumber())
    return;
  if (auto* Report = dynamic_cast<TCustomQRReport*>(FQRPrinter->ParentReport());
      Report && Report->PrevInitialZoom() == qrZoomToWidth)
    ZoomToWidth();
  FPreviewImage->SetPageNumber(FPreviewImage->PageNumber());
}

double TQRPreview::PageWidthPixels() const
{
  return FQRPrinter ? FQRPrinter->XSize(FQRPrinter->PaperWidthValue()) : 215.9;
}

double TQRPreview::PageLengthPixels() const
{
  return FQRPrinter ? FQRPrinter->YSize(FQRPrinter->PaperLengthValue()) : 279.4;
}

void TQRPreview::UpdateZoom()
{
  Integer W, H;
  if (FQRPrinter) {
    W = FQRPrinter->XSize(Extended(FQRPrinter->PaperWidthValue()) / 100 * FZoom) + 4;
    H = FQRPrinter->YSize(Extended(FQRPrinter->PaperLengthValue()) / 100 * FZoom) + 4;
  } else {
    W = Integer(Round(215.9 / 100 * FZoom)) + 4;
    H = Integer(Round(279.4 / 100 * FZoom)) + 4;
  }
  // Scrolled back first, so that the page is placed in unscrolled terms.
  HorzScrollBar()->SetPosition(0);
  VertScrollBar()->SetPosition(0);
  const Integer L = W < Width() ? (Width() - W) / 2 : 0;
  const Integer T = H < Height() ? (Height() - H) / 2 : 0;
  FPreviewImage->SetBounds(L, T, W, H);
  UpdateScrollBars();
  HorzScrollBar()->SetPosition(0);
  VertScrollBar()->SetPosition(0);
  FPreviewImage->SetZoom(FZoom);
  FPreviewImage->Invalidate();
}

void TQRPreview::SetZoom(Integer Value)
{
  if (Value < 2 || Value > 2000)
    return;
  FZoomState = qrZoomOther;
  FZoom = Value;
  UpdateZoom();
}

void TQRPreview::ZoomToFit()
{
  const Integer A = Integer(Round(Width() / PageWidthPixels() * 95));
  const Integer B = Integer(Round(Height() / PageLengthPixels() * 95));
  SetZoom(std::min(A, B));
  UpdateZoom();
  FZoomState = qrZoomToFit;
}

void TQRPreview::ZoomToWidth()
{
  SetZoom(Integer(Round(Width() / PageWidthPixels() * (FQRPrinter ? 90 : 95))));
  UpdateZoom();
  FZoomState = qrZoomToWidth;
}

void TQRPreview::Refit()
{
  if (!FPreviewImage)
    return;
  if (FZoomState == qrZoomToFit)
    ZoomToFit();
  else if (FZoomState == qrZoomToWidth)
    ZoomToWidth();
  UpdateZoom();
}

void TQRPreview::Resize()
{
  inherited::Resize();
  Refit();
}

void TQRPreview::DoEnter()
{
  inherited::DoEnter();
  Refit();
}
