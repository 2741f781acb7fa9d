// ToolCtrlsEhButtonPaint.cpp: the painters of edit buttons, spin buttons, check
// boxes and tree glyphs, through the style's elements or the classic drawing.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "platform/gui/Themes.h"
#include "platform/rtl/Math.h"

namespace {

bool GButtonThemes = true;
bool GUseBitmapCache = false;
Integer GDefaultEditButtonWidth = 0;   // 0: not computed yet

// The glyph size of the system check box: 13 pixels at 96 dots per inch.
constexpr TSize CheckGlyphSize{13, 13};

TRect Inflated(TRect R, Integer D)
{
  R.Inflate(D, D);
  return R;
}

void FillWith(TCanvas* Canvas, const TRect& R, TColor Color)
{
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(R);
}

void DrawThemed(TCanvas* Canvas, const TThemedElementDetails& Details, const TRect& R)
{
  StyleServices()->DrawElement(Canvas->Handle(), Details, R);
}

// Element states in the order normal, hot, pressed, disabled.
template <class E>
E ElementState(E Normal, bool Enabled, bool Pressed, bool Hot)
{
  const Integer Offset = !Enabled ? 3 : Pressed ? 2 : Hot ? 1 : 0;
  return E(Integer(Normal) + Offset);
}

TThemedElementDetails PushButtonDetails(bool Flat, bool Enabled, bool Pressed, bool Active)
{
  if (Flat)
    // In the tool-bar look normal and hot both show hot.
    return StyleServices()->GetElementDetails(ElementState(ttbButtonNormal, Enabled, Pressed, true));
  return StyleServices()->GetElementDetails(ElementState(tbPushButtonNormal, Enabled, Pressed, Active));
}

// Colours of a themed glyph: shaded from a darker tone to the dark shadow.
void ThemedGlyphColors(bool Enabled, TColor& From, TColor& To)
{
  if (Enabled) {
    From = MixColorsByPercentEh(ColorToRGB(cl3DDkShadow), clBlack, 30);
    To = ColorToRGB(cl3DDkShadow);
  } else {
    From = ColorToRGB(clGrayText);
    To = MixColorsByPercentEh(ColorToRGB(clGrayText), clWhite, 30);
  }
}

// A glyph as horizontal runs (start point, end point excluded), drawn in one
// colour (classic), embossed (classic, disabled) or shaded row by row (themed).
using TGlyphRunsEh = std::vector<TPoint>;

void DrawGlyphRuns(TCanvas* Canvas, const TGlyphRunsEh& Runs, bool Themed, bool Enabled, TColor ClassicColor,
                   TColor DisabledColor, bool Emboss)
{
  if (Themed) {
    TColor From, To;
    ThemedGlyphColors(Enabled, From, To);
    DrawGradientLinesEh(Canvas, TPoint(0, 0), Runs, From, To);
    return;
  }
  auto Draw = [&](TColor Color, Integer D) {
    for (std::size_t I = 0; I + 1 < Runs.size(); I += 2)
      FillWith(Canvas, TRect(Runs[I].X + D, Runs[I].Y + D, Runs[I + 1].X + D, Runs[I].Y + D + 1), Color);
  };
  if (Enabled) {
    Draw(ClassicColor, 0);
  } else if (Emboss) {
    Draw(clBtnHighlight, 1);
    Draw(clBtnShadow, 0);
  } else {
    Draw(DisabledColor, 0);
  }
}

void AddBox(TGlyphRunsEh& Runs, Integer X, Integer Y, Integer W, Integer H)
{
  for (Integer Row = 0; Row < H; ++Row) {
    Runs.push_back(TPoint(X, Y + Row));
    Runs.push_back(TPoint(X + W, Y + Row));
  }
}

void DrawEllipsisGlyph(TCanvas* Canvas, const TRect& R, bool Themed, bool Enabled)
{
  const Integer S = R.Width() > 7 ? 2 : 1;
  const Integer G = R.Width() < 12 ? 1 : 2;
  const Integer X = R.Left + R.Width() / 2 - S / 2;
  const Integer Y = R.Top + R.Height() / 2 - S / 2;
  // Row by row over the three dots, so a themed shade runs down each dot.
  TGlyphRunsEh Runs;
  for (Integer Row = 0; Row < S; ++Row)
    for (Integer Dx : {-(G + S), 0, G + S}) {
      Runs.push_back(TPoint(X + Dx, Y + Row));
      Runs.push_back(TPoint(X + Dx + S, Y + Row));
    }
  if (Themed) {
    // One shade per dot row: rows of the three dots share a colour.
    TColor From, To;
    ThemedGlyphColors(Enabled, From, To);
    for (Integer Row = 0; Row < S; ++Row) {
      const TColor C = S > 1 ? (Row == 0 ? From : To) : From;
      for (Integer Dot = 0; Dot < 3; ++Dot) {
        const std::size_t I = std::size_t((Row * 3 + Dot) * 2);
        FillWith(Canvas, TRect(Runs[I].X, Runs[I].Y, Runs[I + 1].X, Runs[I].Y + 1), C);
      }
    }
    return;
  }
  DrawGlyphRuns(Canvas, Runs, false, Enabled, clBtnText, clBtnShadow, true);
}

void DrawPlusMinusGlyph(TCanvas* Canvas, const TRect& R, bool Plus, bool Flat, bool Themed, bool Enabled)
{
  const Integer C = std::min(R.Width(), R.Height());
  Integer L = std::max(C * 4 / 7, 1);
  const Integer T = std::max(L / 3, 1);
  if (L % 2 != C % 2)
    L += Flat ? -1 : 1;
  if (Plus && T % 2 != L % 2)
    L += C < 12 ? 1 : -1;
  L = std::max(L, 1);
  const Integer X = R.Left + (R.Width() - L) / 2;
  const Integer Y = R.Top + (R.Height() - T) / 2;
  TGlyphRunsEh Runs;
  if (Plus) {
    const Integer Off = L / 2 - T / 2;
    AddBox(Runs, X + Off, Y - Off, T, Off);
    AddBox(Runs, X, Y, L, T);
    AddBox(Runs, X + Off, Y + T, T, L - T - Off);
  } else {
    AddBox(Runs, X, Y, L, T);
  }
  DrawGlyphRuns(Canvas, Runs, Themed, Enabled, clBtnText, clBtnShadow, true);
}

void DrawAltArrowGlyph(TCanvas* Canvas, const TRect& R, bool Up, bool Themed, bool Enabled)
{
  const Integer C = std::min(R.Width(), R.Height());
  const Integer E = C >= 19 ? 9 : C >= 16 ? 7 : (C > 11 || Themed) ? 5 : 3;
  const Integer Rows = E / 2 + 1;
  const Integer X = R.Left + (R.Width() - E) / 2;
  const Integer Y = R.Top + (R.Height() - Rows) / 2;
  TGlyphRunsEh Runs;
  for (Integer I = 0; I < Rows; ++I) {
    // The shade runs from the wide end to the point in both arrows.
    const Integer Row = Up ? Rows - 1 - I : I;
    const Integer From = Up ? E / 2 - Row : Row;
    const Integer To = Up ? E / 2 + Row + 1 : E - Row;
    Runs.push_back(TPoint(X + From, Y + Row));
    Runs.push_back(TPoint(X + To, Y + Row));
  }
  DrawGlyphRuns(Canvas, Runs, Themed, Enabled, clWindowText, clGrayText, false);
}

void PaintCheckBoxGlyph(TCanvas* Canvas, const TRect& R, Integer CheckState, bool Pressed, bool Flat, bool Active,
                        bool Enabled, bool Themed)
{
  HRGN Saved = nullptr;
  if (Flat)
    Saved = IntersectClipRectEh(Canvas, Inflated(R, Themed ? -2 : -1));
  if (Themed) {
    const TThemedButton Base = CheckState == 1   ? tbCheckBoxCheckedNormal
                               : CheckState == 2 ? tbCheckBoxMixedNormal
                                                 : tbCheckBoxUncheckedNormal;
    DrawThemed(Canvas, StyleServices()->GetElementDetails(ElementState(Base, Enabled, Pressed, Active)), R);
  } else {
    UINT State = DFCS_BUTTONCHECK;
    if (CheckState == 1)
      State |= DFCS_CHECKED;
    else if (CheckState == 2)
      State |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!Enabled)
      State |= DFCS_INACTIVE;
    if (Pressed)
      State |= DFCS_PUSHED;
    TRect Box = R;
    DrawFrameControl(Canvas->Handle(), Box, DFC_BUTTON, State);
  }
  if (!Flat)
    return;
  RestoreClipRegionEh(Canvas, Saved);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(!Themed && Active ? clBtnFace : clBtnShadow);
  Canvas->FrameRect(Inflated(R, -1));
}

// One button of a kind: the whole button, or one spin half.
void PaintOneButton(TCanvas* Canvas, TRect R, TDrawButtonControlStyleEh Kind, bool UpperHalf, bool Pressed,
                    bool Flat, bool Active, bool Enabled, bool DrawFace, bool Themed)
{
  const bool FlatClassic = Flat && !Themed;
  const TRect Own = R;
  HRGN Saved = nullptr;
  if (FlatClassic) {
    // The 3-D border of the classic face falls outside and only the flat
    // look stays.
    R.Inflate(Active ? 1 : 2, Active ? 1 : 2);
    if (Active)
      Saved = IntersectClipRectEh(Canvas, Own);
  }
  switch (Kind) {
  case bcsDropDownEh:
  case bcsUpDownEh: {
    if (!DrawFace) {
      Canvas->FillRect(R);
      break;
    }
    const bool Spin = Kind == bcsUpDownEh;
    if (Themed) {
      const TThemedElementDetails D =
        Spin ? StyleServices()->GetElementDetails(ElementState(UpperHalf ? tsUpNormal : tsDownNormal, Enabled,
                                                               Pressed, Active))
             : StyleServices()->GetElementDetails(ElementState(tcDropDownButtonNormal, Enabled, Pressed, Active));
      DrawThemed(Canvas, D, R);
    } else {
      UINT State = Spin ? (UpperHalf ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) : DFCS_SCROLLCOMBOBOX;
      if (Pressed)
        State |= DFCS_PUSHED;
      if (Flat)
        State |= DFCS_FLAT;
      if (!Enabled)
        State |= DFCS_INACTIVE;
      TRect Box = R;
      DrawFrameControl(Canvas->Handle(), Box, DFC_SCROLL, State);
    }
    break;
  }
  default: {
    TRect Glyph = R;
    if (DrawFace)
      Glyph = DrawButtonFaceEh(Canvas, R, clNone, Pressed, Flat && Themed, Active, Enabled);
    if (FlatClassic && DrawFace)
      Glyph = Inflated(Own, -1);
    if (Pressed)
      Glyph.Offset(1, 1);
    if (Kind == bcsEllipsisEh)
      DrawEllipsisGlyph(Canvas, Glyph, Themed, Enabled);
    else if (Kind == bcsPlusEh || Kind == bcsMinusEh)
      DrawPlusMinusGlyph(Canvas, Glyph, Kind == bcsPlusEh, Flat, Themed, Enabled);
    else
      DrawAltArrowGlyph(Canvas, Glyph, Kind == bcsAltUpDownEh && UpperHalf, Themed, Enabled);
    break;
  }
  }
  if (FlatClassic && Active) {
    RestoreClipRegionEh(Canvas, Saved);
    if (DrawFace) {
      TRect Edge = Own;
      DrawEdge(Canvas->Handle(), Edge, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
  }
}

void PaintCheckBoxButton(TCanvas* Canvas, const TRect& Rect, TColor FrameColor, Integer DownButton, bool Flat,
                         bool Active, bool Enabled, Integer CheckState, bool Themed)
{
  const Integer S = std::min(Rect.Width(), Rect.Height());
  TRect R = Bounds(Rect.Left + (Rect.Width() - S) / 2, Rect.Top + (Rect.Height() - S) / 2, S, S);
  if (Flat && !Themed)
    R.Inflate(-1, -1);
  PaintCheckBoxGlyph(Canvas, R, CheckState, DownButton != 0, Flat, Active, Enabled, Themed);
  if (!Flat)
    return;
  if (!Themed) {
    R.Inflate(1, 1);
    if (Active) {
      DrawEdge(Canvas->Handle(), R, BDR_SUNKENOUTER, BF_RECT);
      return;
    }
  }
  if (FrameColor != clNone) {
    Canvas->Brush()->SetColor(FrameColor);
    Canvas->FrameRect(R);
  }
}

void PaintButtonDirect(TCanvas* Canvas, TRect Rect, TColor FrameColor, TDrawButtonControlStyleEh Style,
                       Integer DownButton, bool Flat, bool Active, bool Enabled, Integer CheckState, bool DrawFace)
{
  const bool Themed = ButtonThemesEnabledEh();
  if (Style == bcsCheckboxEh) {
    PaintCheckBoxButton(Canvas, Rect, FrameColor, DownButton, Flat, Active, Enabled, CheckState, Themed);
    return;
  }
  const bool FlatClip = Flat && !Active && !Themed;
  HRGN Saved = nullptr;
  if (FlatClip) {
    Rect.Inflate(-1, -1);
    Saved = IntersectClipRectEh(Canvas, Rect);
  }
  if (Style == bcsUpDownEh || Style == bcsAltUpDownEh) {
    const Integer Half = Rect.Height() / 2;
    TRect Upper(Rect.Left, Rect.Top, Rect.Right, Rect.Top + Half);
    TRect Lower(Rect.Left, Rect.Bottom - Half, Rect.Right, Rect.Bottom);
    if (Style == bcsAltUpDownEh && Themed) {
      // The halves share the middle line.
      ++Upper.Bottom;
      --Lower.Top;
    }
    PaintOneButton(Canvas, Upper, Style, true, DownButton == 1, Flat, Active, Enabled, DrawFace, Themed);
    PaintOneButton(Canvas, Lower, Style, false, DownButton == 2, Flat, Active, Enabled, DrawFace, Themed);
    const bool OddHeight = Rect.Height() % 2 != 0;
    if (FrameColor != clNone && (OddHeight || FlatClip)) {
      const Integer Mid = Rect.Top + Half;
      const TRect Row = OddHeight ? TRect(Rect.Left, Mid, Rect.Right, Mid + 1)
                                  : TRect(Rect.Left, Mid - 1, Rect.Right, Mid + 1);
      FillWith(Canvas, Row, FrameColor);
    }
  } else {
    PaintOneButton(Canvas, Rect, Style, true, DownButton != 0, Flat, Active, Enabled, DrawFace, Themed);
  }
  if (!FlatClip)
    return;
  RestoreClipRegionEh(Canvas, Saved);
  Rect.Inflate(1, 1);
  if (FrameColor != clNone) {
    Canvas->Brush()->SetColor(FrameColor);
    Canvas->FrameRect(Rect);
  }
}

void PaintButtonFromCache(TCanvas* Canvas, const TRect& Rect, TDrawButtonControlStyleEh Style, Integer DownButton,
                          bool Flat, bool Active, bool Enabled, Integer CheckState, bool DrawFace)
{
  auto Blit = [&](const TRect& R, Integer Half, bool Pressed) {
    TButtonBitmapInfoEh Key;
    Key.Size = TSize(R.Width(), R.Height());
    Key.BitmapType = Style;
    Key.Flat = Flat;
    Key.Pressed = Pressed;
    Key.Active = Active;
    Key.Enabled = Enabled;
    Key.UpDownButton = Half;
    Key.CheckState = CheckState;
    Key.DrawFace = DrawFace;
    Canvas->StretchDraw(R, ButtonsBitmapCacheEh()->GetButtonBitmap(Key));
  };
  if (Style != bcsUpDownEh && Style != bcsAltUpDownEh) {
    Blit(Rect, 0, DownButton != 0);
    return;
  }
  const Integer Half = Rect.Height() / 2;
  Blit(TRect(Rect.Left, Rect.Top, Rect.Right, Rect.Top + Half), 0, DownButton == 1);
  Blit(TRect(Rect.Left, Rect.Bottom - Half, Rect.Right, Rect.Bottom), 1, DownButton == 2);
}

// Dotted lines: one dot every Step pixels, in phase with DotPhase.
void AddDottedLine(std::vector<TPoint>& Points, TPoint From, TPoint To, Integer DotPhase, Integer Step)
{
  const bool Horz = From.Y == To.Y;
  Integer Length = Horz ? To.X - From.X : To.Y - From.Y;
  if ((((From.X + From.Y) % 2) + 2) % 2 != (DotPhase % 2 + 2) % 2) {
    (Horz ? From.X : From.Y) += 1;
    --Length;
  }
  for (Integer I = 0; I < Length; I += Step) {
    const TPoint P = Horz ? TPoint(From.X + I, From.Y) : TPoint(From.X, From.Y + I);
    Points.push_back(P);
    Points.push_back(Horz ? TPoint(P.X + 1, P.Y) : TPoint(P.X, P.Y + 1));
  }
}

} // namespace

bool ButtonThemesEnabledEh() { return GButtonThemes && StyleThemesEnabledEh(); }
void SetButtonThemesEnabledEh(bool Value)
{
  if (GButtonThemes == Value)
    return;
  GButtonThemes = Value;
  GDefaultEditButtonWidth = 0;
  ClearButtonsBitmapCacheEh();
}

TSize CheckBoxGlyphSizeEh() { return CheckGlyphSize; }

Integer DefaultEditButtonWidthEh()
{
  if (GDefaultEditButtonWidth > 0)
    return GDefaultEditButtonWidth;
  TEXTMETRIC TM{};
  GetTextMetrics(ScreenCanvas()->Handle(), TM);
  Integer W = Integer(Round(TM.tmHeight / 3.0 * 2));
  const bool Even = W % 2 == 0;
  if (ButtonThemesEnabledEh() != Even)
    ++W;
  GDefaultEditButtonWidth = std::min(W, GetSystemMetrics(SM_CXVSCROLL));
  return GDefaultEditButtonWidth;
}

void SetDefaultEditButtonWidthEh(Integer Value) { GDefaultEditButtonWidth = Value; }

Integer EditButtonHeightForWidthEh(Integer Width, bool Flat)
{
  return Flat ? Integer(Round(Width * 4.0 / 3)) : Width;
}

void PaintButtonControlEh(TCanvas* Canvas, TRect Rect, TColor FrameColor, TDrawButtonControlStyleEh Style,
                          Integer DownButton, bool Flat, bool Active, bool Enabled, Integer CheckState, double Scale,
                          bool DrawFace)
{
  (void)Scale;
  if (Rect.IsEmpty())
    return;
  if (GUseBitmapCache)
    PaintButtonFromCache(Canvas, Rect, Style, DownButton, Flat, Active, Enabled, CheckState, DrawFace);
  else
    PaintButtonDirect(Canvas, Rect, FrameColor, Style, DownButton, Flat, Active, Enabled, CheckState, DrawFace);
}

TRect DrawButtonFaceEh(TCanvas* Canvas, const TRect& Rect, TColor FillColor, bool Pressed, bool Flat, bool Active,
                       bool Enabled)
{
  TRect R = Rect;
  if (ButtonThemesEnabledEh()) {
    if (FillColor != clNone)
      FillWith(Canvas, R, FillColor);
    DrawThemed(Canvas, PushButtonDetails(Flat, Enabled, Pressed, Active), R);
    return Inflated(R, -2);
  }
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(clBtnFace);
  if (Flat) {
    if (Active)
      DrawEdge(Canvas->Handle(), R, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    else
      Canvas->FillRect(R);
    return Inflated(R, -1);
  }
  DrawEdge(Canvas->Handle(), R, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  return Inflated(R, -2);
}

void CheckBoxRectInRectEh(const TRect& Rect, Integer Alignment, Integer Layout, TRect& CheckRect)
{
  const TSize G = CheckBoxGlyphSizeEh();
  const Integer Wc = std::min(G.cx, Rect.Width());
  const Integer Hc = std::min(G.cy, Rect.Height());
  CheckRect.Left = Rect.Left;
  CheckRect.Top = Rect.Top;
  if (G.cx < Rect.Width()) {
    if (Alignment == 1)
      CheckRect.Left = Rect.Right - Wc;
    else if (Alignment == 2)
      CheckRect.Left = Rect.Left + Rect.Width() / 2 - Wc / 2;
  }
  if (G.cy < Rect.Height()) {
    if (Layout == 1)
      CheckRect.Top = Rect.Top + Rect.Height() / 2 - Hc / 2;
    else if (Layout == 2)
      CheckRect.Top = Rect.Bottom - Hc;
  }
  CheckRect.Right = CheckRect.Left + Wc;
  CheckRect.Bottom = CheckRect.Top + Hc;
}

void DrawTreeNodeGlyphEh(TCanvas* Canvas, const TRect& Rect, Integer NodeKind, Integer DotPhase, double ScaleX,
                         double ScaleY, bool ShiftBox, bool SetColors, TTreeViewGlyphStyleEh GlyphStyle)
{
  const TColor OldBrush = Canvas->Brush()->Color();
  const Integer Cx = Rect.Left + Rect.Width() / 2;
  const Integer Cy = Rect.Top + Rect.Height() / 2;
  const Integer HalfW = Integer(ScaleX * 4);
  const Integer HalfH = Integer(ScaleY * 4);
  TRect Box(Cx - HalfW, Cy - HalfH, Cx + HalfW + 1, Cy + HalfH + 1);
  const Integer BarInset = Integer(ScaleX * 2);
  const Integer StemInset = Integer(ScaleY * 2);
  if (SetColors) {
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetColor(clBtnShadow);
  }
  std::vector<TPoint> Dots;
  const Integer Step = 2 * std::max(Canvas->Pen()->Width(), 1);
  auto Dotted = [&](TPoint From, TPoint To) { AddDottedLine(Dots, From, To, DotPhase, Step); };

  if (NodeKind >= 10) {
    if (NodeKind == 10 || NodeKind == 13)
      Dotted(TPoint(Cx, Rect.Top), TPoint(Cx, Rect.Bottom));
    if (NodeKind != 13)
      Dotted(TPoint(Cx, Cy), TPoint(Rect.Right, Cy));
    if (NodeKind == 12)
      Dotted(TPoint(Cx, Cy), TPoint(Cx, Rect.Bottom));
    if (NodeKind == 11)
      Dotted(TPoint(Cx, Rect.Top), TPoint(Cx, Cy));
  } else {
    const bool Collapsed = NodeKind >= 5;
    const Integer Lines = NodeKind % 5;
    if (Lines != 4)
      Dotted(TPoint(Box.Right, Cy), TPoint(Rect.Right, Cy));
    if (Lines == 0 || Lines == 1)
      Dotted(TPoint(Cx, Rect.Top), TPoint(Cx, Box.Top));
    if (Lines == 0 || Lines == 2)
      Dotted(TPoint(Cx, Box.Bottom), TPoint(Cx, Rect.Bottom));
    const bool Themed = (GlyphStyle == tvgsThemedEh || GlyphStyle == tvgsExplorerThemedEh) && ButtonThemesEnabledEh();
    if (Themed) {
      TRect G = Box;
      if (GlyphStyle == tvgsExplorerThemedEh) {
        const Integer S = Box.Width() <= 15 ? 17 : Box.Width();
        G = Bounds(Cx - S / 2, Cy - S / 2, S, S);
      }
      HRGN Saved = IntersectClipRectEh(Canvas, Rect);
      DrawThemed(Canvas, StyleServices()->GetElementDetails(Collapsed ? ttGlyphClosed : ttGlyphOpened), G);
      RestoreClipRegionEh(Canvas, Saved);
    } else {
      if (ShiftBox)
        Box.Offset(-1, 0);
      if (SetColors) {
        Canvas->Brush()->SetColor(clWindow);
        Canvas->Pen()->SetColor(clBtnShadow);
      }
      Canvas->Rectangle(Box);
      if (SetColors)
        Canvas->Pen()->SetColor(clWindowText);
      const Integer My = Box.Top + Box.Height() / 2;
      const Integer Mx = Box.Left + Box.Width() / 2;
      Canvas->MoveTo(Box.Left + BarInset, My);
      Canvas->LineTo(Box.Right - BarInset, My);
      if (Collapsed) {
        Canvas->MoveTo(Mx, Box.Top + StemInset);
        Canvas->LineTo(Mx, Box.Bottom - StemInset);
      }
    }
  }
  if (!Dots.empty()) {
    if (SetColors)
      Canvas->Pen()->SetColor(clBtnShadow);
    // Through the canvas, so its pen is the one drawn with.
    for (std::size_t I = 0; I + 1 < Dots.size(); I += 2) {
      Canvas->MoveTo(Dots[I].X, Dots[I].Y);
      Canvas->LineTo(Dots[I + 1].X, Dots[I + 1].Y);
    }
  }
  Canvas->Brush()->SetColor(OldBrush);
}

// ---------------------------------------------------------------------------

TBitmap* TButtonsBitmapCache::GetButtonBitmap(TButtonBitmapInfoEh Key)
{
  Key.Size.cx = std::max(Key.Size.cx, 0);
  Key.Size.cy = std::max(Key.Size.cy, 0);
  for (const auto& Item : FItems)
    if (Item->BitmapInfo == Key)
      return Item->Bitmap.get();
  auto Item = std::make_unique<TButtonBitmapInfoBitmapEh>();
  Item->BitmapInfo = Key;
  Item->Bitmap = std::make_unique<TBitmap>(Key.Size.cx, Key.Size.cy);
  const TRect R(0, 0, Key.Size.cx, Key.Size.cy);
  TCanvas* C = Item->Bitmap->Canvas();
  if (Key.BitmapType == bcsCheckboxEh)
    PaintCheckBoxButton(C, R, clNone, Key.Pressed ? 1 : 0, Key.Flat, Key.Active, Key.Enabled, Key.CheckState,
                        ButtonThemesEnabledEh());
  else
    PaintOneButton(C, R, Key.BitmapType, Key.UpDownButton == 0, Key.Pressed, Key.Flat, Key.Active, Key.Enabled,
                   Key.DrawFace, ButtonThemesEnabledEh());
  FItems.push_back(std::move(Item));
  return FItems.back()->Bitmap.get();
}

TButtonsBitmapCache* ButtonsBitmapCacheEh()
{
  static TButtonsBitmapCache Cache;
  return &Cache;
}

void ClearButtonsBitmapCacheEh() { ButtonsBitmapCacheEh()->Clear(); }
bool UseButtonsBitmapCacheEh() { return GUseBitmapCache; }
void SetUseButtonsBitmapCacheEh(bool Value) { GUseBitmapCache = Value; }
