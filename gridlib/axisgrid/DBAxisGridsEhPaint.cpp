// DBAxisGridsEhPaint.cpp: the painting of data cells: fills, text, images,
// check boxes, pictures, selection colours and raised frames.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "platform/gui/Themes.h"

#include <algorithm>
#include <cmath>

namespace {

// Moves each channel of Color1 towards Color2 by Weight of 255.
TColor MixColorsByWeight(TColor Color1, TColor Color2, Integer Weight)
{
  const Cardinal C1 = Cardinal(ColorToRGB(Color1));
  const Cardinal C2 = Cardinal(ColorToRGB(Color2));
  auto Channel = [Weight](Cardinal A, Cardinal B) {
    const Integer From = Integer(A & 0xFF);
    const Integer To = Integer(B & 0xFF);
    return Cardinal(std::clamp(From + (To - From) * Weight / 255, 0, 255));
  };
  return TColor(Channel(C1, C2) | (Channel(C1 >> 8, C2 >> 8) << 8) | (Channel(C1 >> 16, C2 >> 16) << 16));
}

// The grey of the same brightness.
TColor GrayOfSameLuminance(TColor Color)
{
  const Cardinal C = Cardinal(ColorToRGB(Color));
  const Cardinal L = ((C & 0xFF) * 77 + ((C >> 8) & 0xFF) * 150 + ((C >> 16) & 0xFF) * 29) / 256;
  return TColor(L | (L << 8) | (L << 16));
}

// The grid canvas drawn without its right-to-left reflection for a while;
// the reflection comes back however the drawing ends.
class TUnreflectedCanvas {
public:
  TUnreflectedCanvas(TCustomGridEh* Grid, TCanvas* Canvas, TRect& Rect)
      : FGrid(Grid), FCanvas(Canvas), FCancelled(Canvas == Grid->Canvas() && Grid->CancelCanvasReflection(Rect))
  {
  }
  ~TUnreflectedCanvas()
  {
    if (FCancelled)
      FGrid->ReflectCanvasRightToLeft(FCanvas, true);
  }
  TUnreflectedCanvas(const TUnreflectedCanvas&) = delete;
  TUnreflectedCanvas& operator=(const TUnreflectedCanvas&) = delete;

private:
  TCustomGridEh* FGrid;
  TCanvas* FCanvas;
  bool FCancelled;
};

void FillIfNotFilled(TCanvas* Canvas, const TRect& Rect, TAxisColCellParamsEh* Params)
{
  if (Params->IsCellFilled())
    return;
  Canvas->FillRect(Rect);
  Params->SetIsCellFilled(true);
}

// Whether Bytes begin with the old 8-byte graphic header: 16-bit 1, 16-bit
// 0x0100 and a 32-bit length of what follows.
bool HasGraphicHeader(const QByteArray& Bytes)
{
  if (Bytes.size() <= 7)
    return false;
  const auto* P = reinterpret_cast<const Byte*>(Bytes.constData());
  const Cardinal Count = P[0] | (P[1] << 8);
  const Cardinal Kind = P[2] | (P[3] << 8);
  const Cardinal Length = Cardinal(P[4]) | (Cardinal(P[5]) << 8) | (Cardinal(P[6]) << 16) | (Cardinal(P[7]) << 24);
  return Count == 1 && Kind == 0x0100 && Length == Cardinal(Bytes.size() - 8);
}

TClass GraphicClassOf(const QByteArray& Bytes)
{
  return GetGraphicClassForStreamEh(reinterpret_cast<const Byte*>(Bytes.constData()), Integer(Bytes.size()));
}

} // namespace

// ---------------------------------------------------------------------------
// The sequence of one data cell.

void TCustomDBAxisGridEh::DefaultDrawDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                              TRect AreaRect, TAxisColCellParamsEh* Params)
{
  TAxisColCellParamsEh* CP = GetColCellParamsEh();
  TRect Rect = AreaRect;
  const TRect FrameRect = AreaRect;
  bool Is3D = IsCell3D(Cell.X, Cell.Y, Params->State());
  if (CP->BlankCell() && !Is3D)
    Is3D = IsFixed3D();
  const bool ByThemes = Params->DrawCellByThemes();

  CP->SetXFrameOffs(AxisBar->GetDataCellHorzOffset());
  if (Is3D) {
    CP->SetXFrameOffs(CP->XFrameOffs() - 1);
    if (ByThemes)
      GetThemeTitleFillRect(Rect, true, true);
    else if (Flat()) {
      ++Rect.Left;
      ++Rect.Top;
    } else
      Rect.Inflate(-1, -1);
  }
  CP->SetYFrameOffs(std::min(CP->XFrameOffs(), 2));
  if (Flat() && CP->YFrameOffs() > 0)
    CP->SetYFrameOffs(CP->YFrameOffs() - 1);

  if (!CP->SuppressActiveCellColor() && CP->BlankCell())
    CP->SetBackground(FixedColor());

  const bool CurrentOfRow = Cell.Y == Row() && (Cell.X == Col() || Options().Contains(goRowSelectEh));
  if (CP->SuppressActiveCellColor() && CurrentOfRow)
    CP->SetHighlight(false);
  else {
    TColor Background = CP->Background();
    CP->SetHighlight(HighlightDataCellColor(AreaCell.X, AreaCell.Y, CP->Text(), CP->State(), Background,
                                            Canvas()->Font()));
    CP->SetBackground(Background);
  }
  if (CP->Highlight())
    CP->SetState(CP->State() + TGridDrawState{gdSelected});

  Canvas()->Brush()->SetColor(CP->Background());
  DrawDataCellBackground(Cell, AreaCell, AxisBar, Rect, Params);

  // The place boxes are laid out from the cell's own corner.
  if (!CP->BlankCell() && DefaultDrawing() && Rect.Left < Rect.Right)
    DrawPlaceBoxControls(Cell, AreaCell, AxisBar, FrameRect, Params);
  if (CP->BlankCell())
    DrawBlankCellBackground(Rect, CP->Highlight(), Is3D, Params);
  if (Is3D && !ByThemes)
    DrawCell3DFrame(Canvas(), FrameRect, false, true, !(Flat() && StyleThemesEnabledEh()), Flat());
}

bool TCustomDBAxisGridEh::CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                            TRect AreaRect, TAxisColCellParamsEh* Params)
{
  (void)AreaCell;
  (void)AxisBar;
  const bool Is3D = IsCell3D(Cell.X, Cell.Y, Params->State());
  const bool Selected = GetColCellParamsEh()->State().Contains(gdSelected);
  const bool Result =
    Is3D && !Selected && (Params->DrawCellByThemes() || (Flat() && StyleThemesEnabledEh()));
  if (Result)
    DrawFixedCellBackground(Canvas(), Params->DrawCellByThemes() ? 1 : GetFixedCellDrawStyle(), AreaRect, false,
                            Selected, TRect(), clDefault);
  return Result;
}

void TCustomDBAxisGridEh::DrawDataCellBackground(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                                 TRect ARect, TAxisColCellParamsEh* Params)
{
  Params->SetCellBackgroundDrawnByThemed(false);
  Params->SetIsCellFilled(CheckFillDataCell(Cell, AreaCell, AxisBar, ARect, Params));
  // A cell in the window colour over a background picture lets it show.
  if (!Params->IsCellFilled() && IsBackgroundDataShowing() && Canvas()->Brush()->Color() == Color())
    Params->SetIsCellFilled(true);
  if (!Params->IsCellFilled()) {
    Canvas()->FillRect(ARect);
    Params->SetIsCellFilled(true);
  }
}

void TCustomDBAxisGridEh::DrawDataCellMainContent(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                                  TRect CellRect, TAxisColCellParamsEh* Params, TRect ContentRect)
{
  TRect Rect = ContentRect;
  Rect.Offset(CellRect.Left, CellRect.Top);
  if (Rect.IsEmpty())
    return;
  TCanvas* C = Canvas();

  if (Params->Highlight() && IsCellSelectionThemed(Cell.X, Cell.Y, Params->State())) {
    FillIfNotFilled(C, Rect, Params);
    DrawCellThemedSelection(Cell.X, Cell.Y, Params->State(), Rect);
    Params->SetCellBackgroundDrawnByThemed(true);
  }

  if (AxisBar->ImageList() && AxisBar->ShowImageAndText()) {
    TRect ImageRect = Rect;
    ImageRect.Right = std::min(Rect.Right, Rect.Left + AxisBar->ImageList()->Width() + 4);
    C->Brush()->SetColor(AxisBar->Color());
    if (!Params->IsCellFilled())
      C->FillRect(ImageRect);
    DrawCellImage(AxisBar->ImageList(), nullptr, ImageRect, taCenter, 0, Params->ImageIndex(), ImageRect, C);
    C->Brush()->SetColor(Params->Background());
    Rect.Left = ImageRect.Right + 1;
  }

  switch (AxisBar->GetBarType()) {
  case ctCommon:
  case ctPickList:
  case ctLookupField:
  case ctKeyPickList:
  case ctDataList: {
    const bool WordWrap = AxisBar->WordWrap() && AxisBar->CurLineWordWrap(Rect.Height());
    WriteDataCellText(Cell, AreaCell, AxisBar, C, Rect, !Params->IsCellFilled(), Params->XFrameOffs(),
                      Params->YFrameOffs(), Params->Text(), Params->Alignment(), AxisBar->Layout(), WordWrap,
                      AxisBar->EndEllipsis(), 0, 0, !WordWrap);
    break;
  }
  case ctKeyImageList:
    FillIfNotFilled(C, Rect, Params);
    DrawCellImage(AxisBar->ImageList(), nullptr, Rect, taCenter, 0, Params->ImageIndex(), Rect, C);
    break;
  case ctCheckboxes: {
    FillIfNotFilled(C, Rect, Params);
    // The glyph centred; a cell smaller than it gives its own edges.
    const TSize Glyph = CheckBoxGlyphSizeEh();
    TRect Box = Rect;
    if (Rect.Width() > Glyph.cx) {
      Box.Left = Rect.Left + (Rect.Width() - Glyph.cx) / 2;
      Box.Right = Box.Left + Glyph.cx;
    }
    if (Rect.Height() > Glyph.cy) {
      Box.Top = Rect.Top + (Rect.Height() - Glyph.cy) / 2;
      Box.Bottom = Box.Top + Glyph.cy;
    }
    DrawCellButtonGlyph(C, Box, true, false, Flat(), bcsCheckboxEh, Integer(Params->CheckboxState()),
                        C->Brush()->Color());
    break;
  }
  case ctGraphicData:
    DrawCellPicture(C, AxisBar, 1.0, !Params->IsCellFilled(), Rect);
    break;
  }
}

// ---------------------------------------------------------------------------
// Text, glyphs and images with right-to-left mirroring.

void TCustomDBAxisGridEh::WriteDataCellText(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* AxisBar,
                                            TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                                            const String& Text, TAlignment Alignment, TTextLayout Layout,
                                            bool WordWrap, bool EndEllipsis, Integer LeftMarg, Integer RightMarg,
                                            bool SingleLine)
{
  (void)Cell;
  (void)AreaCell;
  WriteCellText(AxisBar, ACanvas, ARect, FillRect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis,
                LeftMarg, RightMarg, SingleLine);
}

void TCustomDBAxisGridEh::WriteCellText(TAxisBarEh* AxisBar, TCanvas* ACanvas, TRect ARect, bool FillRect,
                                        Integer DX, Integer DY, const String& Text, TAlignment Alignment,
                                        TTextLayout Layout, bool WordWrap, bool EndEllipsis, Integer LeftMarg,
                                        Integer RightMarg, bool SingleLine)
{
  const bool RightToLeft = AxisBar ? AxisBar->UseRightToLeftAlignment() : UseRightToLeftAlignment();
  if (UseRightToLeftAlignment()) {
    if (RightToLeft) {
      if (Alignment == taLeftJustify)
        Alignment = taRightJustify;
      else if (Alignment == taRightJustify)
        Alignment = taLeftJustify;
    }
    std::swap(LeftMarg, RightMarg);
  }
  TUnreflectedCanvas Unreflected(this, ACanvas, ARect);
  DrawCellTextEh(ACanvas, ARect, FillRect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis, LeftMarg,
                 RightMarg, RightToLeft, SingleLine);
}

void TCustomDBAxisGridEh::DrawCellButtonGlyph(TCanvas* ACanvas, TRect ARect, bool Enabled, bool Hot, bool AFlat,
                                              TDrawButtonControlStyleEh Kind, Integer CheckState,
                                              TColor FillColor)
{
  (void)FillColor;
  TUnreflectedCanvas Unreflected(this, ACanvas, ARect);
  PaintButtonControlEh(ACanvas, ARect, AFlat ? clBtnShadow : clNone, Kind, 0, AFlat, Hot, Enabled, CheckState);
}

void TCustomDBAxisGridEh::DrawCellImage(TCustomImageList* ImageList, TBitmap* Bitmap, TRect ARect,
                                        TAlignment Alignment, Integer Offset, Integer ImageIndex, TRect ClipRect,
                                        TCanvas* ACanvas)
{
  TRect Clip = ClipRect;
  if (ACanvas == Canvas() && CanvasRightToLeftReflected())
    HorzAxis()->SwapRightToLeftPoses(Clip.Left, Clip.Right);
  TUnreflectedCanvas Unreflected(this, ACanvas, ARect);
  DrawImageInRectEh(ImageList, Bitmap, ACanvas, ARect, ImageIndex, Offset, 0, Alignment, Clip, 1, true);
}

void TCustomDBAxisGridEh::DrawCheckBox(TCanvas* ACanvas, TRect ARect, TCheckBoxState State, bool AFlat)
{
  PaintButtonControlEh(ACanvas, ARect, AFlat ? clBtnShadow : clNone, bcsCheckboxEh, 0, AFlat, false, true,
                       Integer(State));
}

// ---------------------------------------------------------------------------
// Pictures of graphic fields.

std::unique_ptr<TPicture> TCustomDBAxisGridEh::LoadBarPicture(TAxisBarEh* AxisBar)
{
  auto Picture = std::make_unique<TPicture>();
  auto* Blob = dynamic_cast<TBlobField*>(AxisBar->Field());
  if (!Blob || Blob->IsNull())
    return Picture;
  QByteArray Bytes = Blob->AsBytes();
  if (GraphicProviderCountEh() == 0) {
    Picture->LoadFromBytes(Bytes);
    return Picture;
  }
  TClass Class = GraphicClassOf(Bytes);
  // Blob fields here always allow the old header (the platform's default).
  if (!Class && HasGraphicHeader(Bytes)) {
    const QByteArray Behind = Bytes.mid(8);
    if ((Class = GraphicClassOf(Behind)))
      Bytes = Behind;
  }
  if (!Class) {
    Picture->LoadFromBytes(Bytes);
    return Picture;
  }
  std::unique_ptr<TGraphic> Graphic(static_cast<TGraphic*>(Class->CreatePersistent()));
  Graphic->LoadFromBytes(Bytes);
  if (auto* Bitmap = dynamic_cast<TBitmap*>(Graphic.get()))
    Bitmap->SetIgnorePalette(true);
  Picture->SetGraphic(Graphic.get());
  return Picture;
}

void TCustomDBAxisGridEh::DrawCellPicture(TCanvas* ACanvas, TAxisBarEh* AxisBar, double Scale, bool FillRect,
                                          TRect ARect)
{
  TUnreflectedCanvas Unreflected(this, ACanvas, ARect);
  if (!DrawGraphicData()) {
    TField* F = AxisBar->Field();
    ACanvas->Font()->Assign(Font());
    String Text = F ? F->DisplayText() : String();
    ACanvas->TextRect(ARect, Text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    return;
  }
  try {
    std::unique_ptr<TPicture> Picture = LoadBarPicture(AxisBar);
    TGraphic* Graphic = Picture->Graphic();
    const bool HasGraphic = Graphic && !Graphic->Empty();
    if (!HasGraphic && FillRect) {
      ACanvas->FillRect(ARect);
      return;
    }
    if (!HasGraphic)
      return;
    const Integer W = Integer(std::trunc(Picture->Width() * Scale));
    const Integer H = Integer(std::trunc(Picture->Height() * Scale));
    TRect DrawRect(0, 0, W, H);
    if (W > ARect.Width() || H > ARect.Height()) {
      const double XR = double(W) / std::max(ARect.Width(), 1);
      const double YR = double(H) / std::max(ARect.Height(), 1);
      if (YR >= XR)
        DrawRect = TRect(0, 0, Integer(std::lround(W / YR)), ARect.Height());
      else
        DrawRect = TRect(0, 0, ARect.Width(), Integer(std::lround(H / XR)));
    }
    DrawRect.Offset(ARect.Left + (ARect.Width() - DrawRect.Width()) / 2,
                    ARect.Top + (ARect.Height() - DrawRect.Height()) / 2);
    if (FillRect)
      ACanvas->FillRect(ARect);
    ACanvas->StretchDraw(DrawRect, Graphic);
  } catch (const EInvalidGraphic& E) {
    ACanvas->Font()->Assign(Font());
    String Text = E.Message() + QStringLiteral(" - Incorrect image format.");
    if (FillRect)
      ACanvas->FillRect(ARect);
    ACanvas->TextRect(ARect, Text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
  }
}

// ---------------------------------------------------------------------------
// Raised and blank cells, selection colours, frames.

void TCustomDBAxisGridEh::DrawFixedCellBackground(TCanvas* ACanvas, Integer DrawStyle, TRect ARect, bool Pressed,
                                                  bool Hot, TRect ClipRect, TColor FillColor)
{
  if (DrawStyle == 1 && StyleThemesEnabledEh()) {
    ACanvas->FillRect(ClipRect.IsEmpty() ? ARect : ClipRect);
    const auto Details = StyleServices()->GetElementDetails(Pressed || Hot ? tgFixedCellPressed : tgFixedCellNormal);
    StyleServices()->DrawElement(ACanvas->Handle(), Details, ARect, ClipRect.IsEmpty() ? nullptr : &ClipRect);
    return;
  }
  if (DrawStyle == 3) {
    TColor FromColor = clNone;
    TColor ToColor = clNone;
    if (CustomStyleActiveEh()) {
      GetCustomStyleFillColors(FromColor, ToColor, Pressed, Hot);
      ACanvas->Brush()->SetColor(ToColor);
    } else if (Hot)
      FromColor = MixColorsByWeight(ACanvas->Brush()->Color(), clWindow, 127);
    else if (FillColor == clDefault)
      FromColor = MixColorsByWeight(GrayOfSameLuminance(ACanvas->Brush()->Color()), Color(), 240);
    else
      FromColor = FillColor;
    FillGradient(ACanvas, ARect, FromColor, ACanvas->Brush()->Color());
    return;
  }
  ACanvas->FillRect(ARect);
}

void TCustomDBAxisGridEh::DrawBlankCellBackground(TRect ARect, bool Highlight, bool Is3D,
                                                  TAxisColCellParamsEh* Params)
{
  (void)Is3D;
  DrawFixedCellBackground(Canvas(), Params->DrawCellByThemes() ? 1 : GetFixedCellDrawStyle(), ARect, false,
                          Highlight, ARect, clDefault);
}

Integer TCustomDBAxisGridEh::GetFixedCellDrawStyle()
{
  if (Flat())
    return 2;
  return StyleThemesEnabledEh() ? 1 : 2;
}

void TCustomDBAxisGridEh::GetThemeTitleFillRect(TRect& ARect, bool ExtendRight, bool ExtendBottom)
{
  if (ExtendRight)
    ARect.Right += 2;
  if (ExtendBottom)
    ARect.Bottom += 2;
}

bool TCustomDBAxisGridEh::HighlightDataCellColor(Integer AreaCol, Integer AreaRow, const String& Value,
                                                 TGridDrawState State, TColor& AColor, TFont* AFont)
{
  (void)Value;
  const bool Result = Focused() && State.Contains(gdSelected);
  if (!Result)
    return false;
  if (ContainsFocus() && !IsCellSelectionThemed(AreaCol, AreaRow, State)) {
    AColor = clHighlight;
    TColor StyleColor;
    if (CustomStyleActiveEh() &&
        StyleServices()->GetElementColor(StyleServices()->GetElementDetails(tgClassicCellSelected), ecFillColor,
                                         StyleColor))
      AColor = StyleColor;
    AFont->SetColor(clHighlightText);
  } else
    AColor = clBtnFace;
  return true;
}

void TCustomDBAxisGridEh::DrawCell3DFrame(TCanvas* ACanvas, TRect ARect, bool Sunken, bool LeadingEdges,
                                          bool TrailingEdges, bool AFlat)
{
  const UINT Edge = Sunken ? BDR_SUNKENINNER : BDR_RAISEDINNER;
  const bool Mirrored = UseRightToLeftAlignment();
  const UINT Leading = Mirrored ? BF_RIGHT : BF_LEFT;
  const UINT Trailing = Mirrored ? BF_LEFT : BF_RIGHT;
  HDC DC = ACanvas->Handle();
  TRect R = ARect;
  if (!AFlat) {
    if (LeadingEdges && TrailingEdges)
      DrawEdge(DC, R, Edge, BF_RECT);
    else {
      R = ARect;
      DrawEdge(DC, R, Edge, BF_TOP | (LeadingEdges ? Leading : 0u));
      R = ARect;
      DrawEdge(DC, R, Edge, BF_BOTTOM | (TrailingEdges ? Trailing : 0u));
    }
    return;
  }
  // Flat: the lower border disappears in the fill colour.
  ACanvas->Pen()->SetColor(ACanvas->Brush()->Color());
  ACanvas->MoveTo(ARect.Left, ARect.Bottom - 1);
  ACanvas->LineTo(ARect.Right - 1, ARect.Bottom - 1);
  if (!Mirrored) {
    if (TrailingEdges)
      ACanvas->LineTo(ARect.Right - 1, ARect.Top - 1);
    DrawEdge(DC, R, Edge, BF_TOP | (LeadingEdges ? UINT(BF_LEFT) : 0u));
    return;
  }
  DrawEdge(DC, R, Edge, BF_TOP | (TrailingEdges ? UINT(BF_LEFT) : 0u));
  if (LeadingEdges) {
    ACanvas->MoveTo(ARect.Right - 1, ARect.Bottom - 1);
    ACanvas->LineTo(ARect.Right - 1, ARect.Top - 1);
  }
}

void TCustomDBAxisGridEh::WriteRotatedCellText(TAxisBarEh* AxisBar, TCanvas* ACanvas, TRect ARect, bool FillRect,
                                               Integer DX, Integer DY, const String& Text, TAlignment Alignment,
                                               TTextLayout Layout, bool WordWrap, bool EndEllipsis)
{
  const bool RightToLeft = AxisBar ? AxisBar->UseRightToLeftAlignment() : UseRightToLeftAlignment();
  if (UseRightToLeftAlignment() && RightToLeft) {
    if (Alignment == taLeftJustify)
      Alignment = taRightJustify;
    else if (Alignment == taRightJustify)
      Alignment = taLeftJustify;
  }
  TUnreflectedCanvas Unreflected(this, ACanvas, ARect);
  WriteTextRotatedEh(ACanvas, ARect, FillRect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis);
}

// ---------------------------------------------------------------------------
// Colours of a custom visual style.

void TCustomDBAxisGridEh::GetCustomStyleCellColors(TColor& FillColor, TColor& TextColor, TColor& GradientColor1,
                                                   TColor& GradientColor2, Integer Kind, bool Pressed, bool Hot)
{
  FillColor = TextColor = GradientColor1 = GradientColor2 = clNone;
  if (!CustomStyleActiveEh() || Kind < 1 || Kind > 3)
    return;
  // Normal, pressed, hot, pressed and hot.
  static constexpr TThemedGrid Elements[3][4] = {
    {tgFixedCellNormal, tgFixedCellPressed, tgFixedCellHot, tgFixedCellPressed},
    {tgClassicFixedCellNormal, tgClassicFixedCellPressed, tgClassicFixedCellHot, tgClassicFixedCellPressed},
    {tgGradientFixedCellNormal, tgGradientFixedCellPressed, tgGradientFixedCellHot, tgGradientFixedCellPressed},
  };
  TCustomStyleServices* Style = StyleServices();
  const auto Details = Style->GetElementDetails(Elements[Kind - 1][(Pressed ? 1 : 0) + (Hot ? 2 : 0)]);
  TColor Color;
  if (Style->GetElementColor(Details, ecFillColor, Color))
    FillColor = Color;
  if (Style->GetElementColor(Details, ecTextColor, Color))
    TextColor = Color;
  if (Kind == 3) {
    // The gradient runs from the fill towards the border colour.
    GradientColor1 = FillColor;
    if (Style->GetElementColor(Details, ecBorderColor, Color))
      GradientColor2 = Color;
  }
}

void TCustomDBAxisGridEh::GetCustomStyleFillColors(TColor& FromColor, TColor& ToColor, bool Pressed, bool Hot)
{
  TColor Fill, Text;
  GetCustomStyleCellColors(Fill, Text, FromColor, ToColor, 3, Pressed, Hot);
}

// ---------------------------------------------------------------------------
// Cell rectangles and repaint requests.

TRect TCustomDBAxisGridEh::RemoveCellLinesFromRect(Integer ACol, Integer ARow, TRect ARect)
{
  if (CellBorderVisible(ACol, ARow, cbtRightEh) && ARect.Width() >= ColWidths(ACol)) {
    if (UseRightToLeftAlignment())
      ARect.Left += GridLineWidth();
    else
      ARect.Right -= GridLineWidth();
  }
  if (CellBorderVisible(ACol, ARow, cbtBottomEh))
    ARect.Bottom -= GridLineWidth();
  return ARect;
}

TRect TCustomDBAxisGridEh::CellRect(Integer ACol, Integer ARow, bool IncludeCellLines)
{
  const TRect R = CalcCellRect(ACol, ARow);
  return IncludeCellLines ? R : RemoveCellLinesFromRect(ACol, ARow, R);
}

TRect TCustomDBAxisGridEh::CellRectAbs(Integer ACol, Integer ARow, bool IncludeCellLines)
{
  const TRect R = CalcCellRectAbs(ACol, ARow);
  return IncludeCellLines ? R : RemoveCellLinesFromRect(ACol, ARow, R);
}

TRect TCustomDBAxisGridEh::BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
{
  return CalcBoxRect(ALeft, ATop, ARight, ABottom);
}

void TCustomDBAxisGridEh::InvalidateCellsRect(const TGridRect& ARect)
{
  if (!HandleAllocated())
    return;
  const TRect R = BoxRect(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  ::InvalidateRect(Handle(), &R, false);
}

bool IsCellBorderVisibleEh(TCustomGridEh* Grid, Integer ACol, Integer ARow, TGridCellBorderTypeEh BorderType)
{
  return Grid->CellBorderVisible(ACol, ARow, BorderType);
}
