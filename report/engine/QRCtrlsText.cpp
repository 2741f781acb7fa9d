// QRCtrlsText.cpp: the text controls: labels, memos and field texts.
#include "report/engine/QRCtrls.h"

#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>

namespace {

// Ties go to the even number, as the page positions round.
Integer RoundInt(Extended Value) { return Integer(Round(Value)); }

// Screen pixels per report unit at the logical resolution.
constexpr Extended ScreenFactor = Extended(QRLogicalPixelsPerInch) / 254;

String CurrentControlName;

TQRCustomBand* BandOf(const TQRPrintable* Control) { return dynamic_cast<TQRCustomBand*>(Control->Parent()); }

bool IsBreakChar(QChar C) { return C == QChar(13) || C == QChar(' ') || C == QChar('-'); }

// Whether the filter writes the full description of each text item.
bool TakesTextRecords(const TQRExportFilter* Filter)
{
  for (const char* Name : {"TQRGHTMLDocumentFilter", "TQRXDocumentFilter", "TQRXLSXDocumentFilter"})
    if (TClass C = GetClass(QString::fromLatin1(Name)); C && Filter->InheritsFrom(C))
      return true;
  return false;
}

// One measuring context per thread, with the unhinted metrics that pages
// are drawn with.
TCanvas* ReferenceCanvas()
{
  thread_local TBitmap* Reference = [] {
    auto* B = new TBitmap(1, 1);   // lives as long as the thread's fonts
    SetDesignMetrics(B->Canvas()->Handle(), true);
    return B;
  }();
  return Reference->Canvas();
}

// Inside a report its own measuring context serves; outside, one alike.
Integer ReportTextWidth(TCustomQRReport* Report, TFont* F, const String& S)
{
  if (Report)
    return Report->TextWidth(F, S);
  TCanvas* C = ReferenceCanvas();
  C->Font()->Assign(F);
  return C->TextWidth(S) + 1;
}

Integer ReportTextHeight(TCustomQRReport* Report, TFont* F, const String& S)
{
  if (Report)
    return Report->TextHeight(F, S);
  TCanvas* C = ReferenceCanvas();
  C->Font()->Assign(F);
  return C->TextHeight(QStringLiteral("A"));
}

} // namespace

const String& QRCurrentControlName() { return CurrentControlName; }

void QRSplitText(const String& Text, QChar Separator, TStrings* List)
{
  List->Clear();
  String Rest = Text;
  while (!Rest.isEmpty()) {
    const Integer P = Integer(Rest.indexOf(Separator));
    if (P < 0) {
      List->Add(Rest);
      return;
    }
    const String Piece = Trim(Rest.left(P));
    if (!Piece.isEmpty())
      List->Add(Piece);
    Rest = Trim(Rest.mid(P + 1)).left(65000);
  }
}

// ---------------------------------------------------------------------------
// TQRCustomLabel

TQRCustomLabel::TQRCustomLabel(TComponent* AOwner)
  : TQRPrintable(AOwner), FLines(std::make_unique<TStringList>()), FFormattedLines(std::make_unique<TStringList>())
{
}

TQRCustomLabel::~TQRCustomLabel() = default;

Integer TQRCustomLabel::TextWidthOf(const String& S)
{
  return MulDiv(ReportTextWidth(ParentReport(), Font(), S), Zoom(), 100);
}

Integer TQRCustomLabel::TextHeightOf(const String& S) { return ReportTextHeight(ParentReport(), Font(), S); }

void TQRCustomLabel::SetCaption(const String& Value)
{
  FCaption = Value;
  FPrintCaption = Value;
  FormatLines();
  Invalidate();
}

void TQRCustomLabel::SetWidecaption(const String& Value)
{
  FWidecaption = Value;
  FormatLines();
  Invalidate();
}

void TQRCustomLabel::SetLines(TStrings* Value)
{
  FLines->Assign(Value);
  Invalidate();
}

void TQRCustomLabel::SetAutoSize(bool Value)
{
  FAutoSize = Value;
  FormatLines();
  Invalidate();
}

void TQRCustomLabel::SetAutoStretch(bool Value)
{
  FAutoStretch = Value;
  Invalidate();
}

void TQRCustomLabel::SetWordWrap(bool Value)
{
  FWordWrap = Value;
  Invalidate();
}

void TQRCustomLabel::SetWrapStyle(TWrapStyle Value)
{
  FWrapStyle = Value;
  FormatLines();
  Invalidate();
}

void TQRCustomLabel::SetFullJustify(bool Value)
{
  FFullJustify = Value;
  Invalidate();
}

void TQRCustomLabel::SetVerticalAlignment(TTextLayout Value)
{
  FVerticalAlignment = Value;
  Invalidate();
}

void TQRCustomLabel::SetBiDiMode(TBiDiMode Value)
{
  FBiDiMode = Value;
  FParentBiDiMode = false;
  Invalidate();
}

void TQRCustomLabel::SetNameInternal(const String& NewName)
{
  // A label whose caption was never set shows its name.
  if (FCaption.isEmpty() || FCaption == Name())
    SetCaption(NewName);
  inherited::SetNameInternal(NewName);
}

void TQRCustomLabel::SetParent(TWinControl* AParent)
{
  inherited::SetParent(AParent);
  FormatLines();
}

void TQRCustomLabel::CMFontChanged(TMessage& Message)
{
  inherited::CMFontChanged(Message);
  FormatLines();
}

void TQRCustomLabel::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(QStringLiteral("FontSize"), [this](TReader& R) { ReadFontSize(R); },
                       [this](TWriter& W) { WriteFontSize(W); }, true);
}

void TQRCustomLabel::ReadFontSize(TReader& Reader) { FFontSize = Reader.ReadInteger(); }

void TQRCustomLabel::WriteFontSize(TWriter& Writer) { Writer.WriteInteger(Font()->Size()); }

void TQRCustomLabel::Loaded()
{
  inherited::Loaded();
  // The point size stays whatever the stored font height says.
  if (FFontSize > 0)
    Font()->SetSize(FFontSize);
}

void TQRCustomLabel::Prepare()
{
  inherited::Prepare();
  SetCaption(String(FCaption));
}

TAlignment TQRCustomLabel::MirroredAlignment() const
{
  if (!UseRightToLeftAlignment())
    return Alignment();
  switch (Alignment()) {
  case taLeftJustify: return taRightJustify;
  case taRightJustify: return taLeftJustify;
  default: return taCenter;
  }
}

// ---------------------------------------------------------------------------
// Breaking the text into lines

void TQRCustomLabel::FormatLines()
{
  if (!Parent())
    return;
  FFormattedLines->Clear();
  WorkLine.clear();
  Truncated = false;
  TCustomQRReport* Report = ParentReport();
  if (GetCaptionBased()) {
    FormatSourceText(FPrintCaption);
    if (Report && !UpdatingBounds) {
      const Integer MinHeight = TextHeightOf(QStringLiteral("Wp")) * Zoom() / 100 + 1;
      if (Height() < MinHeight) {
        UpdatingBounds = true;
        ScopeExit Done([this] { UpdatingBounds = false; });
        SetHeight(MinHeight);
      }
    }
  } else if (FLines->Count() > 0) {
    if (FAutoSize)
      FFormattedLines->Assign(FLines.get());
    else
      for (Integer I = 0; I < FLines->Count(); ++I)
        FormatSourceText(FLines->Strings(I));
  }
  if (FAutoSize && Report && !UpdatingBounds) {
    Integer NewWidth = 0;
    for (Integer I = 0; I < FFormattedLines->Count(); ++I)
      NewWidth = std::max(NewWidth, TextWidthOf(FFormattedLines->Strings(I)));
    if (Frame()->DrawLeft())
      NewWidth += Frame()->Width();
    if (Frame()->DrawRight())
      NewWidth += Frame()->Width();
    UpdatingBounds = true;
    ScopeExit Done([this] { UpdatingBounds = false; });
    const Integer OldWidth = Width();
    // A right-aligned label keeps its right edge, a centred one its centre.
    if (MirroredAlignment() == taRightJustify)
      SetLeft(Left() + (OldWidth - NewWidth));
    else if (MirroredAlignment() == taCenter)
      SetLeft(Left() + (OldWidth - NewWidth) / 2);
    SetWidth(NewWidth);
    const Integer MinHeight = TextHeightOf(QStringLiteral("W")) * Zoom() / 100 + 1;
    if (Height() < MinHeight)
      SetHeight(MinHeight);
  }
}

void TQRCustomLabel::FormatSourceText(String T)
{
  T.remove(QChar(10));
  if (T.contains(QChar(13))) {
    const QStringList Parts = T.split(QChar(13));
    for (const String& Part : Parts)
      FormatSourceText(Part);
    return;
  }
  WorkLine.clear();
  Truncated = false;
  if (FAutoSize) {
    AddLine(T);
    return;
  }
  const Integer W = Width();
  if (FWrapStyle == BreakAnywhere) {
    for (QChar C : T) {
      if (TextWidthOf(WorkLine + C) > W) {
        AddLine(WorkLine);
        WorkLine.clear();
      }
      WorkLine += C;
    }
    if (!Trim(WorkLine).isEmpty())
      AddLine(WorkLine);
    return;
  }
  // The longest front of S narrower than the control (at least one character,
  // so that a word too wide for any line still moves on).
  auto FittingFront = [&](const String& S) {
    Integer N = 0;
    while (N < S.size() && TextWidthOf(S.left(N + 1)) <= W)
      ++N;
    return std::max<Integer>(N, 1);
  };
  // A word wider than a line goes on, line after line, until its rest fits.
  auto SpreadWord = [&](String Word) {
    for (;;) {
      const Integer N = FittingFront(Word);
      if (N >= Word.size()) {
        WorkLine = Word;
        return;
      }
      AddLine(Word.left(N));
      Word = Word.mid(N);
    }
  };
  auto AddWord = [&](String Word) {
    if (Truncated)
      return;
    if (TextWidthOf(WorkLine + Word) <= W) {
      WorkLine += Word;
      return;
    }
    if (WorkLine.isEmpty()) {
      if (W <= 0)
        return;
      if (FWordWrap) {
        SpreadWord(Word);
        return;
      }
      // Without wrapping the line keeps what fits of the word.
      while (!Word.isEmpty() && TextWidthOf(WorkLine + Word.front()) < W) {
        WorkLine += Word.front();
        Word.remove(0, 1);
      }
      return;
    }
    AddLine(WorkLine);
    WorkLine.clear();
    if (!FWordWrap) {
      if (TextWidthOf(Word) > W && W > 0) {
        while (!Word.isEmpty() && TextWidthOf(Word) > W)
          Word.chop(1);
        AddLine(Word);
      }
      Truncated = true;
      return;
    }
    if (TextWidthOf(Word) > W) {
      if (W > 0)
        SpreadWord(Word);
      return;
    }
    WorkLine = Word;
  };
  Integer Start = 0;
  for (Integer I = 0; I < T.size(); ++I)
    if (IsBreakChar(T[I])) {
      AddWord(T.mid(Start, I - Start + 1));
      Start = I + 1;
    }
  if (Start < T.size())
    AddWord(T.mid(Start));
  if (!Truncated)
    AddLine(WorkLine);
}

// ---------------------------------------------------------------------------
// Printing

Extended TQRCustomLabel::ExpandedLineHeight() const
{
  return MulDiv(ReportTextHeight(ParentReport(), Font(), QStringLiteral("W")), Zoom(), 100);
}

void TQRCustomLabel::Print(Integer OfsX, Integer OfsY)
{
  if (!ShouldPrint())
    return;
  if (!FQRPrinter)
    Prepare();
  if (!FQRPrinter || !FQRPrinter->Canvas())
    return;
  TCanvas* C = FQRPrinter->Canvas();
  C->Font()->Assign(Font());
  const TQRPrintableSize& S = *Size();
  const Extended LH = C->TextHeight(QStringLiteral("W")) / FQRPrinter->YFactor();
  PrintLines(C, S.Left() + OfsX, S.Top() + OfsY, S.Width(), S.Height(), LH, FAutoStretch);
}

void TQRCustomLabel::PrintLines(TCanvas* ACanvas, Extended L, Extended T, Extended W, Extended H, Extended LH,
                                bool CanExpand)
{
  CurrentControlName = Name();
  TQRPrinter& Job = *FQRPrinter;
  TCustomQRReport* Report = ParentReport();
  const bool FinalPass = Report && Report->FinalPass();
  const bool Exporting = Report && Report->Exporting() && Report->ExportFilter();
  Extended Extra = 0;
  const Extended W0 = W;
  bool HasExpanded = false;

  String Saved;
  bool Restore = false;
  if (OnPrint) {
    String V = FPrintCaption;
    OnPrint(this, V);
    // The handler may have changed the font or the size.
    ACanvas->Font()->Assign(Font());
    H = Size()->Height();
    LH = ACanvas->TextHeight(QStringLiteral("W")) / Job.YFactor();
    if (V != FPrintCaption) {
      Saved = FPrintCaption;
      Restore = true;
      FPrintCaption = V;
    }
  }
  // The text from before the handler comes back whatever happens.
  ScopeExit PutBack([&] {
    if (Restore) {
      FPrintCaption = Saved;
      FormatLines();
    }
  });
  FormatLines();
  W = Size()->Width();

  const Extended TextW = ACanvas->TextWidth(FPrintCaption) / Job.XFactor();
  if (Exporting && !Transparent() && Color() != clWhite) {
    TQRShape Back(nullptr);
    Back.Brush()->SetStyle(bsSolid);
    Back.Brush()->SetColor(Color());
    Back.Pen()->SetStyle(psClear);
    const bool Right = Alignment() == taRightJustify;
    const Extended BackLeft = Right ? L + W0 - TextW : L;
    const Extended BackWidth = Right ? TextW : W;
    Back.SetBounds(Job.XPos(BackLeft), Job.YPos(T), Job.XPos(BackWidth), Job.YPos(Size()->Height()));
    Report->ExportFilter()->AcceptGraphic(Back.Left(), Back.Top(), &Back);
  }
  auto FillBackground = [&](Extended Left, Extended Top, Extended Right, Extended Bottom) {
    ACanvas->Pen()->SetWidth(0);
    ACanvas->Pen()->SetStyle(psClear);
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(Color());
    ACanvas->FillRect(TRect(Job.XPos(Left), Job.YPos(Top), Job.XPos(Right), Job.YPos(Bottom)));
  };
  if (FinalPass && !Transparent()) {
    if (Alignment() == taRightJustify)
      FillBackground(std::max(L + W0 - TextW, L), T, L + W0, T + H);
    else
      FillBackground(L, T, L + W, T + H);
  }
  Extended fw = 0;
  if (Frame()->AnyFrame()) {
    fw = RoundInt(Frame()->Width() / 72.0 * 254);
    if (Frame()->DrawTop())
      T += fw;
    if (Frame()->DrawLeft())
      L += fw;
  }
  Extended Limit = T + H + 1;
  Extended Y = T;
  Extended X = L;
  if (FAutoSize) {
    if (Alignment() == taRightJustify)
      X = L - (W - W0);
    else if (Alignment() == taCenter)
      X = L - (W - W0) / 2;
  }
  SetBkMode(ACanvas->Handle(), TRANSPARENT);
  UINT Options = 0;
  UINT Align = TA_LEFT | TA_TOP;
  if (UseRightToLeftReading()) {
    Options |= ETO_RTLREADING;
    Align |= TA_RTLREADING;
  }
  const TAlignment Alignment = MirroredAlignment();
  if (Alignment == taRightJustify) {
    Align |= TA_RIGHT;
    X += W;
  } else if (Alignment == taCenter) {
    Align |= TA_CENTER;
    X += W / 2;
  }
  SetTextAlign(ACanvas->Handle(), Align);
  if (FFormattedLines->Count() == 1 && FVerticalAlignment != tlTop) {
    const Extended Slack =
        (Size()->Height() * Job.YFactor() - ACanvas->TextHeight(QStringLiteral("Wp"))) / Job.YFactor();
    Y += FVerticalAlignment == tlCenter ? Slack / 2 : Slack;
  }
  const bool Resumed = !FPrintFinished;
  if (FPrintFinished)
    FCurrentLine = 0;
  TQRCustomBand* Band = BandOf(this);
  auto LineFits = [&]() {
    if (Y + LH <= Limit)
      return true;
    if (!CanExpand || !Band || !Band->CanExpand(LH))
      return false;
    const Extended OldExtra = Extra;
    Band->ExpandBand(LH, Extra, HasExpanded);
    Limit = T + H + 1 + Extra;
    if (FinalPass && !Transparent())
      FillBackground(L, T + H + OldExtra, L + W, T + H + Extra);
    return true;
  };
  Integer Printed = 0;
  while (FCurrentLine < FFormattedLines->Count()) {
    // A text resumed on a fresh page always moves on by a line, so that it
    // cannot ask for new pages for ever.
    if (!LineFits() && !(Resumed && Printed == 0))
      break;
    const String S = FFormattedLines->Strings(FCurrentLine);
    bool Moved = false;
    if (FinalPass && !S.isEmpty()) {
      if (FFullJustify) {
        PrintJustified(ACanvas, S, X, Y, LH, Options);
        Moved = true;
      } else {
        if (Visible()) {
          const TRect R(0, 0, Job.XSize(W), Job.YSize(LH));
          ExtTextOut(ACanvas->Handle(), Job.XPos(X), Job.YPos(Y), Options, &R, S);
        }
        const Extended LinkX = Alignment == taRightJustify ? X - W : Alignment == taCenter ? X - W / 2 : X;
        if (Report)
          Report->AddLinkItem(this, S, LinkX * 96 / 254, Y * 96 / 254, Width(), Height());
      }
    }
    if (Exporting) {
      if (FFullJustify && !Moved) {
        Extended YY = Y;
        PrintJustified(ACanvas, S, X, YY, LH, Options);
      } else if (!FFullJustify) {
        ExportLine(S, X, Y, L, T, W, H);
      }
    }
    if (!Moved)
      Y += LH;
    ++FCurrentLine;
    ++Printed;
  }
  FPrintFinished = !(FCurrentLine < FFormattedLines->Count() && FAutoStretch);
  SelectClipRgn(ACanvas->Handle(), nullptr);
  if ((FinalPass || Exporting) && Frame()->AnyFrame())
    Frame()->PaintIt(ACanvas,
                     TRect(Job.XPos(L - fw), Job.YPos(T - fw), Job.XPos(L + W), Job.YPos(T + Size()->Height() + Extra)),
                     Job.XFactor(), Job.YFactor());
}

void TQRCustomLabel::ExportLine(const String& S, Extended X, Extended Y, Extended L, Extended T, Extended W,
                                Extended H)
{
  TQRExportFilter* Filter = ParentReport()->ExportFilter();
  if (TakesTextRecords(Filter)) {
    TExportInfoRec Rec;
    Rec.Xpos = X;
    Rec.Ypos = Y;
    Rec.Font = Font();
    Rec.BGColor = Color();
    Rec.Alignment = MirroredAlignment();
    Rec.Text = S;
    Rec.Column = XLColumn();
    Rec.ExportAs = ExportAs();
    Rec.ControlName = Name();
    Rec.ControlWidth = W;
    Rec.controlHeight = H;
    Rec.controlLeft = L;
    Rec.controlTop = T;
    Rec.XLNumFormat = XLNumFormat();
    Rec.VAlignment = FVerticalAlignment;
    Filter->TextOutRec(Rec);
  } else {
    Filter->TextOut(X, Y, Font(), Color(), MirroredAlignment(), S);
  }
}

void TQRCustomLabel::PrintJustified(TCanvas* ACanvas, const String& S, Extended X, Extended& Y, Extended LH,
                                    UINT Options)
{
  TQRPrinter& Job = *FQRPrinter;
  TCustomQRReport* Report = ParentReport();
  const bool Exporting = Report && Report->Exporting() && Report->ExportFilter();
  TStringList Words;
  QRSplitText(S, QChar(' '), &Words);
  Extended Total = 0;
  for (Integer I = 0; I < Words.Count(); ++I)
    Total += ACanvas->TextWidth(Words.Strings(I));
  // Device pixels per screen pixel.
  const Extended Ratio = Job.YFactor() / ScreenFactor;
  const Extended Avail = Width() * Ratio;
  const Extended Space = ACanvas->TextWidth(QStringLiteral(" "));
  Extended Gap = Space;
  if (Words.Count() >= 2 && Total < Avail)
    Gap = (Avail - Total) / (Words.Count() - 1);
  // A gap wider than allowed (the last line of a paragraph) stays a space.
  if (Space > 0 && Gap / Space > FMaxBreakChars)
    Gap = Space;
  Extended PX = Job.XPos(X);
  const Integer PY = Job.YPos(Y);
  const TRect R(0, 0, Job.XSize(Width() / ScreenFactor), Job.YSize(LH));
  for (Integer I = 0; I < Words.Count(); ++I) {
    const String& Word = Words.Strings(I);
    if (Exporting)
      Report->ExportFilter()->TextOut(RoundInt(PX / Job.XFactor()), Y, Font(), Color(), MirroredAlignment(), Word);
    else
      ExtTextOut(ACanvas->Handle(), RoundInt(PX), PY, Options, &R, Word);
    PX += ACanvas->TextWidth(Word) + Gap;
  }
  if (!Exporting)
    Y += LH;
}

// ---------------------------------------------------------------------------
// Painting on the screen

void TQRCustomLabel::Paint()
{
  TCanvas* C = Canvas();
  SetDesignMetrics(C->Handle(), true);
  C->Font()->Assign(Font());
  C->Font()->SetSize(RoundInt(Font()->Size() * Zoom() / 100.0));
  inherited::Paint();
  const Integer LH = RoundInt(C->TextHeight(QStringLiteral("W")));
  PaintLines(TRect(0, 0, Width(), Height()), LH);
}

void TQRCustomLabel::PaintLines(const TRect& R, Integer LH)
{
  FormatLines();
  TCanvas* C = Canvas();
  if (!Transparent()) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(R);
  }
  Integer X = R.Left;
  Integer Y = R.Top;
  const Integer Inset = RoundInt(Zoom() * (Frame()->Width() / 72.0) * QRLogicalPixelsPerInch / 100);
  if (Frame()->DrawTop() && Frame()->Width() > 0)
    Y += Inset;
  if (Frame()->DrawLeft() && Frame()->Width() > 0)
    X += Inset;
  UINT Align = TA_LEFT | TA_TOP;
  if (UseRightToLeftReading())
    Align |= TA_RTLREADING;
  const TAlignment Alignment = MirroredAlignment();
  if (Alignment == taRightJustify) {
    Align |= TA_RIGHT;
    X += R.Width();
  } else if (Alignment == taCenter) {
    Align |= TA_CENTER;
    X += R.Width() / 2;
  }
  SetBkMode(C->Handle(), TRANSPARENT);
  SetTextAlign(C->Handle(), Align);
  if (FFormattedLines->Count() == 1) {
    const Integer Slack = R.Height() - C->TextHeight(QStringLiteral("Wq"));
    if (FVerticalAlignment == tlCenter)
      Y += Slack / 2;
    else if (FVerticalAlignment == tlBottom)
      Y += Slack;
  }
  for (Integer I = 0; I < FFormattedLines->Count(); ++I)
    if (!FFormattedLines->Strings(I).isEmpty())
      ExtTextOut(C->Handle(), X, Y + I * LH, 0, nullptr, FFormattedLines->Strings(I));
}

// ---------------------------------------------------------------------------
// TQRLabel and TQRMemo

void TQRLabel::GetExpandedHeight(Extended& NewHeight)
{
  FormatLines();
  NewHeight = FormattedLines()->Count() * ExpandedLineHeight();
}

void TQRMemo::Print(Integer OfsX, Integer OfsY)
{
  SetCaption(String());
  inherited::Print(OfsX, OfsY);
  SetCaption(Name());
}

void TQRMemo::GetExpandedHeight(Extended& NewHeight)
{
  FormatLines();
  NewHeight = FormattedLines()->Count() * ExpandedLineHeight();
}

void TQRMemo::Paint()
{
  if (!Caption().isEmpty() && FLines->Count() > 0)
    SetCaption(String());
  inherited::Paint();
}

// ---------------------------------------------------------------------------
// TQRDBText

void TQRDBText::SetDataSet(TDataSet* Value)
{
  FDataSet = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TQRDBText::SetDataField(const String& Value)
{
  FDataField = Value;
  SetCaption(Value);
}

void TQRDBText::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet)
    FDataSet = nullptr;
}

void TQRDBText::Prepare()
{
  inherited::Prepare();
  Field = nullptr;
  FieldOK = false;
  IsMemo = false;
  if (!FDataSet)
    return;
  Field = FDataSet->FindField(FDataField);
  if (!Field)
    return;
  FieldNo = Field->Index();
  FieldOK = true;
  if (Is<TBlobField>(Field)) {
    FPrintCaption.clear();
    IsMemo = true;
  }
}

void TQRDBText::Unprepare()
{
  Field = nullptr;
  inherited::Unprepare();
  SetCaption(FDataField.isEmpty() ? Name() : FDataField);
}

TField* TQRDBText::CurrentField()
{
  if (!FieldOK)
    return nullptr;
  // Default field objects may have been made again since the run began.
  if (FDataSet && FDataSet->DefaultFields())
    Field = FieldNo < FDataSet->FieldCount() ? FDataSet->Fields()->Fields(FieldNo) : nullptr;
  return Field;
}

void TQRDBText::FieldText(TField* F, String& DataStr)
{
  if (Is<TBlobField>(F)) {
    FLines->SetText(F->AsString());
    return;
  }
  if (FMask.isEmpty() || Is<TStringField>(F)) {
    DataStr = F->DisplayText();
    return;
  }
  // A large integer keeps all its digits.
  if (Is<TLargeintField>(F))
    DataStr = FormatFloat(FMask, double(F->AsLargeInt()));
  else if (Is<TIntegerField>(F))
    DataStr = FormatFloat(FMask, F->AsInteger());
  else if (Is<TBCDField>(F))
    DataStr = FormatFloat(FMask, F->AsFloat());
  else if (Is<TFloatField>(F))
    DataStr = FormatFloat(FMask, F->AsFloat());
  else if (Is<TDateTimeField>(F))
    DataStr = FormatDateTime(FMask, F->AsDateTime());
  else
    // A mask means nothing to other kinds (booleans, ...): their display
    // text rather than a stale caption.
    DataStr = F->DisplayText();

}

void TQRDBText::GetFieldString(String& DataStr)
{
  TField* F = CurrentField();
  if (!F) {
    DataStr.clear();
    return;
  }
  try {
    FieldText(F, DataStr);
  } catch (const std::exception&) {
    DataStr.clear();
  }
}

void TQRDBText::Print(Integer OfsX, Integer OfsY)
{
  String Text;
  GetFieldString(Text);
  if (!IsMemo)
    FPrintCaption = Text;
  inherited::Print(OfsX, OfsY);
}

void TQRDBText::GetExpandedHeight(Extended& NewHeight)
{
  String Text;
  GetFieldString(Text);
  if (!IsMemo)
    FPrintCaption = Text;
  FormatLines();
  NewHeight = FormattedLines()->Count() * ExpandedLineHeight();
}

bool TQRDBText::UseRightToLeftAlignment() const
{
  if (BiDiMode() != bdRightToLeft)
    return false;
  if (!Field)
    return Alignment() != taCenter;
  const TFieldType T = Field->DataType();
  return T == ftUnknown || T == ftString || T == ftBoolean || (T > ftDateTime && T != ftAutoInc);
}
