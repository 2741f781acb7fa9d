// GridPlatformEh.cpp: the grid library's platform layer.
#include "gridlib/foundation/GridPlatformEh.h"

#include "platform/data/DB.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/TypInfo.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

// ---------------------------------------------------------------------------
// Shared classes.

void TObjectListEh::Sort(const std::function<int(TObject* Item1, TObject* Item2)>& Compare)
{
  inherited::Sort([&Compare](void* A, void* B) {
    return Compare(static_cast<TObject*>(A), static_cast<TObject*>(B));
  });
}

void* TMemoryStreamEh::Realloc(Int64& NewCapacity)
{
  const Int64 Delta = 2 * Int64(FHalfMemoryDelta);
  if (NewCapacity > 0 && NewCapacity != FSize && Delta > 0)
    NewCapacity = (NewCapacity + Delta - 1) / Delta * Delta;
  if (NewCapacity == Capacity())
    return FMemory;
  if (NewCapacity == 0) {
    std::free(FMemory);
    return nullptr;
  }
  void* P = std::realloc(FMemory, std::size_t(NewCapacity));
  if (!P)
    throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
  return P;
}

// ---------------------------------------------------------------------------
// Text output and measuring.

Integer DrawTextEh(HDC DC, const String& Text, Integer Count, TRect& Rect, UINT Format)
{
  return DrawText(DC, Text, Count, Rect, Format);
}

Integer DrawTextExEh(HDC DC, const String& Text, TRect& Rect, UINT Format)
{
  return DrawTextEx(DC, Text, -1, Rect, Format, nullptr);
}

Integer DrawTextExParamsEh(HDC DC, const String& Text, TRect& Rect, Integer TabLength,
                           Integer LeftMargin, Integer RightMargin, UINT Format)
{
  DRAWTEXTPARAMS Params;
  Params.iTabLength = TabLength;
  Params.iLeftMargin = LeftMargin;
  Params.iRightMargin = RightMargin;
  return DrawTextEx(DC, Text, -1, Rect, Format, &Params);
}

bool ExtTextOutEh(HDC DC, Integer X, Integer Y, UINT Options, const TRect* Rect,
                  const String& Text, Integer Count)
{
  return ExtTextOut(DC, X, Y, Options, Rect, Count < 0 ? Text : Text.left(Count), nullptr);
}

void WriteTextRectEh(TCanvas* Canvas, const String& Text, const TRect& Rect, const TRect&,
                     const TWriteTextParamsEh& Params)
{
  static const UINT AlignFlags[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT Flags = AlignFlags[std::min<Byte>(Params.Alignment, 2)] | DT_EXPANDTABS | DT_NOPREFIX;
  if (Params.LineMode == 1)
    Flags |= DT_WORDBREAK;
  else if (Params.LineMode == 2)
    Flags |= DT_SINGLELINE;
  if (Params.RightToLeftReading)
    Flags |= DT_RTLREADING;
  if (Params.EndEllipsis)
    Flags |= DT_END_ELLIPSIS;
  if (!Params.Opaque)
    Canvas->Brush()->SetStyle(bsClear);

  TRect R = Rect;
  if (Params.Layout != 0) {
    TRect Calc = R;
    DrawTextEx(CanvasHandleEh(Canvas), Text, -1, Calc, Flags | DT_CALCRECT, nullptr);
    const Integer H = Calc.Bottom - Calc.Top;
    if (Params.Layout == 2)
      R.Top = R.Bottom - H;
    else
      R.Top = (R.Top + R.Bottom - H) / 2;
  }
  DrawTextEx(CanvasHandleEh(Canvas), Text, -1, R, Flags, nullptr);
}

void WriteTextEh(TCanvas* Canvas, const String& Text, const TRect& Rect)
{
  TWriteTextParamsEh Params;
  Params.Opaque = Canvas->Brush()->Style() != bsClear;
  WriteTextRectEh(Canvas, Text, Rect, Rect, Params);
}

void GetTextExtentExPointEh(TCanvas* Canvas, const String& Text, TSize& Size,
                            std::vector<Integer>& Extents)
{
  Extents.assign(std::size_t(Text.size()), 0);
  Integer Fit = 0;
  GetTextExtentExPoint(CanvasHandleEh(Canvas), Text, Integer(Text.size()), 10000, &Fit, &Extents, Size);
}

Integer TextLengthEh(const String& Text)
{
  return Integer(Text.size());
}

Integer NextCharPosEh(const String&, Integer Pos)
{
  return Pos + 1;
}

Integer GetFontSizeEh(TFont* Font, TCanvas*)
{
  return Font->Size();
}

Integer GetFontPixelHeightEh(TFont* Font)
{
  return -Font->Height();
}

// A canvas that can measure: the given one when it has a context, else the
// shared screen canvas carrying the given font.
static TCanvas* MeasuringCanvas(TCanvas* Canvas, TFont* Font)
{
  if (Canvas && Canvas->HandleAllocated()) {
    if (Font && Font != Canvas->Font())
      Canvas->Font()->Assign(Font);
    return Canvas;
  }
  TCanvas* Screen = ScreenCanvasEh();
  Screen->Font()->Assign(Font ? Font : Canvas->Font());
  return Screen;
}

Integer GetFontTextHeightEh(TCanvas* Canvas, TFont* Font, bool WithExternalLeading)
{
  TCanvas* C = MeasuringCanvas(Canvas, Font);
  TTextMetric TM;
  GetTextMetrics(CanvasHandleEh(C), TM);
  return TM.tmHeight + (WithExternalLeading ? TM.tmExternalLeading : 0);
}

void GetTextMetricsEh(TCanvas* Canvas, TTextMetric& Metrics)
{
  TCanvas* C = MeasuringCanvas(Canvas, nullptr);
  GetTextMetrics(CanvasHandleEh(C), Metrics);
}

void PolyPolyLineEh(TCanvas* Canvas, const TPointArrayEh& Points, const TDWORDArrayEh& Counts,
                    Integer Number)
{
  if (Points.empty() || Number <= 0)
    return;
  PolyPolyline(CanvasHandleEh(Canvas), Points.data(), Counts.data(), Number);
}

HRGN CreatePolygonRgnEh(const TPoint* Points, Integer Count, Integer FillMode)
{
  return CreatePolygonRgn(Points, Count, FillMode);
}

void LPtoDPRectEh(HDC DC, TRect& Rect)
{
  TPoint P[2] = {Rect.TopLeft(), Rect.BottomRight()};
  LPtoDP(DC, P, 2);
  Rect = TRect(P[0], P[1]);
}

DWORD SetDCLayoutEh(HDC DC, DWORD Layout)
{
  return SetLayout(DC, Layout);
}

// ---------------------------------------------------------------------------
// Windows, messages and input.

LRESULT SendMessageEh(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
  return SendMessage(Wnd, Msg, WParam, LParam);
}

bool InvalidateRectEh(HWND Wnd, const TRect* Rect, bool Erase)
{
  return InvalidateRect(Wnd, Rect, Erase);
}

bool ValidateRectEh(HWND Wnd, const TRect* Rect)
{
  return ValidateRect(Wnd, Rect);
}

bool ScrollWindowExEh(HWND Wnd, Integer DX, Integer DY, UINT Flags, HRGN UpdateRgn,
                      const TRect* ClipRect, const TRect* ScrollRect)
{
  return ScrollWindowEx(Wnd, DX, DY, ScrollRect, ClipRect, UpdateRgn, nullptr, Flags) != ERROR;
}

HWND SetFocusEh(HWND Wnd)
{
  return SetFocus(Wnd);
}

bool IsChildWindowEh(HWND Parent, HWND Wnd)
{
  return IsChild(Parent, Wnd);
}

bool RemovePendingMessageEh(HWND Wnd, UINT Msg)
{
  return RemovePendingMessage(Wnd, Msg);
}

void PostQuitMessageEh(Integer ExitCode)
{
  PostQuitMessage(ExitCode);
}

Integer GetCharIndexAtCaretEh(TWinControl* Edit)
{
  // The caret's point: the focused edit shows it; another edit's caret
  // would stand at the end of its selection.
  TPoint Caret;
  if (GetFocus() != Edit || !GetCaretPos(Caret)) {
    const LRESULT Sel = Edit->Perform(EM_GETSEL, 0, 0);
    const LRESULT Pos = Edit->Perform(EM_POSFROMCHAR, WPARAM(HiWord(NativeUInt(Sel))), 0);
    Caret = TPoint(SmallInt(LoWord(NativeUInt(Pos))), SmallInt(HiWord(NativeUInt(Pos))));
  }
  const LRESULT Char = Edit->Perform(EM_CHARFROMPOS, 0, MakeLParam(Word(SmallInt(Caret.X)), Word(SmallInt(Caret.Y))));
  return SmallInt(LoWord(NativeUInt(Char)));
}

void SendGetSelMessageEh(HWND Edit, Integer& SelStart, Integer& SelEnd)
{
  DWORD Start = 0, End = 0;
  SendMessage(Edit, EM_GETSEL, WPARAM(&Start), LPARAM(&End));
  SelStart = Integer(Start);
  SelEnd = Integer(End);
}

void SendSetSelMessageEh(TWinControl* Edit, Integer SelStart, Integer SelEnd)
{
  Edit->Perform(EM_SETSEL, WPARAM(SelStart), LPARAM(SelEnd));
}

void RecreateWndEh(TWinControl* Control)
{
  Control->RecreateWnd();
}

namespace {
struct TAdjustAccess : TWinControl {
  using TWinControl::AdjustClientRect;
};
} // namespace

void GetAdjustedClientRectEh(TWinControl* Control, TRect& Rect)
{
  Rect = Control->HandleAllocated() ? Control->ClientRect()
                                    : TRect(0, 0, Control->Width(), Control->Height());
  (Control->*(&TAdjustAccess::AdjustClientRect))(Rect);
}

void OutputDebugStringEh(const String& Text)
{
  OutputDebugString(Text);
}

// ---------------------------------------------------------------------------
// Bitmaps and datasets.

HCURSOR LoadCursorEh(void* Instance, const String& ResourceName)
{
  HCURSOR Cursor = LoadCursor(Instance, ResourceName);
  if (!Cursor)
    throw EOutOfResources(QStringLiteral("Cannot load cursor resource"));
  return Cursor;
}

// A number is free while the screen answers the default cursor for it.
TCursor LoadRegisterCursorEh(const String& ResourceName)
{
  const HCURSOR Default = Screen->Cursors(crDefault);
  for (Integer I = 1; I <= 32767; ++I)
    if (Screen->Cursors(I) == Default) {
      Screen->SetCursors(I, LoadCursorEh(nullptr, ResourceName));
      return TCursor(I);
    }
  throw Exception(QStringLiteral("LoadRegisterCursorEh could not register cursor - \"%1\"").arg(ResourceName));
}

std::unique_ptr<TBitmap> LoadBitmapEh(void*, const String& ResourceName)
{
  if (!TResourceStream::Exists(ResourceName))
    return nullptr;
  auto Bitmap = std::make_unique<TBitmap>();
  LoadBitmapFromResourceNameEh(Bitmap.get(), ResourceName);
  return Bitmap;
}

bool SetDropShadowClassStyleEh(TWinControl*, TCreateParams& Params, bool Enable)
{
  if (Enable)
    Params.WindowClass.style |= CS_DROPSHADOW;
  else
    Params.WindowClass.style &= ~UINT(CS_DROPSHADOW);
  return true;
}

void LoadBitmapFromResourceNameEh(TBitmap* Bitmap, const String& ResourceName)
{
  TResourceStream Stream(ResourceName);
  Bitmap->LoadFromBytes(Stream.ReadBytes(Integer(Stream.Size())));
}

Integer DataSetCompareBookmarksEh(TDataSet* DataSet, const QByteArray& Bookmark1, const QByteArray& Bookmark2)
{
  return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}

bool DataSetBookmarkValidEh(TDataSet* DataSet, const QByteArray& Bookmark)
{
  return !Bookmark.isEmpty() && DataSet->BookmarkValid(Bookmark);
}

TDataSet* GetDataSetOfDataSourcePropEh(TObject* Instance, const String& PropName)
{
  try {
    auto* Source = dynamic_cast<TDataSource*>(GetObjectProp(Instance, PropName));
    return Source ? Source->DataSet() : nullptr;
  } catch (...) {
    return nullptr;
  }
}

// ---------------------------------------------------------------------------
// Time, packed points.

LongInt GetMessageTimeEh()
{
  return GetMessageTime();
}

Int64 GetTickCountEh()
{
  return Int64(GetTickCount64());
}

TPoint GetCursorPosEh()
{
  TPoint P;
  if (!GetCursorPos(P))
    return TPoint(0, 0);
  return P;
}

TPoint SmallPointToPointEh(LPARAM Packed)
{
  return TPoint(SmallInt(Packed & 0xFFFF), SmallInt((Packed >> 16) & 0xFFFF));
}

// ---------------------------------------------------------------------------
// Rectangles.

void MoveRectEh(TRect& R, Integer X, Integer Y)
{
  const Integer W = R.Width();
  const Integer H = R.Height();
  R = TRect(X, Y, X + W, Y + H);
}

// ---------------------------------------------------------------------------
// Strings and values.

bool CharInSetEh(QChar C, const std::vector<char>& CharSet)
{
  if (C.unicode() > 255)
    return false;
  return std::find(CharSet.begin(), CharSet.end(), char(C.unicode())) != CharSet.end();
}

bool IsLeadCharEh(QChar)
{
  // UTF-8 has no lead bytes in the multi-byte code page sense.
  return false;
}

String AnsiUpperCaseEh(const String& S)
{
  return AnsiUpperCase(S);
}

String AnsiLowerCaseEh(const String& S)
{
  return AnsiLowerCase(S);
}

Integer AnsiCompareStrEh(const String& S1, const String& S2)
{
  return AnsiCompareStr(S1, S2);
}

Integer AnsiCompareTextEh(const String& S1, const String& S2)
{
  return AnsiCompareText(S1, S2);
}

Integer StrCompareLocaleEh(const String& S1, const String& S2, Integer Count, bool IgnoreCase)
{
  if (Count < 0)
    return -2;
  const QStringView A = Count > 0 ? QStringView(S1).left(Count) : QStringView(S1);
  const QStringView B = Count > 0 ? QStringView(S2).left(Count) : QStringView(S2);
  return CollateText(A, B, !IgnoreCase);
}

Integer WideStrCompareLocaleEh(const String& S1, const String& S2, Integer Count, bool IgnoreCase)
{
  return StrCompareLocaleEh(S1, S2, Count, IgnoreCase);
}

String PWideCharToStringEh(const char16_t* Text)
{
  return Text ? String::fromUtf16(Text) : String();
}

char16_t* WStrCopyEh(char16_t* Dest, const char16_t* Source)
{
  char16_t* D = Dest;
  while ((*D++ = *Source++) != 0) {
  }
  return Dest;
}

Integer GetFirstDayOfWeekEh()
{
  return FormatSettings.FirstDayOfWeek;
}

void VarToAnsiStrEh(const Variant& V, AnsiString& Result)
{
  Result = V.IsNull() ? AnsiString() : VarToStr(V).toUtf8();
}

void VarArrayRedimEh(Variant& A, Integer HighBound)
{
  VarArrayRedim(A, HighBound);
}

void RefObjectToVarEh(TObject* Obj, Variant& V)
{
  V = Variant(IInterfacePtr(std::make_shared<TInterfacedObjectWrapper>(Obj)));
}

TObject* VarToRefObjectEh(const Variant& V)
{
  IInterfacePtr Intf = V.VType() == varUnknown ? V.AsInterface() : nullptr;
  auto* Ref = dynamic_cast<IObjectRefInterface*>(Intf.get());
  if (!Ref)
    throw EInvalidCast(QStringLiteral("Interface not supported"));
  return Ref->GetRefObject();
}

namespace {
// Reaches the canvas's own object selection, which its Handle leaves undone.
struct TCanvasSelect : TCanvas {
  using TCanvas::RequiredState;
};
} // namespace

HDC CanvasHandleEh(TCanvas* Canvas)
{
  HDC DC = Canvas->Handle();
  (Canvas->*(&TCanvasSelect::RequiredState))({csHandleValid, csFontValid, csPenValid, csBrushValid});
  return DC;
}

// ---------------------------------------------------------------------------
// Shared screen canvas.

TCanvas* ScreenCanvasEh()
{
  return ScreenCanvas();
}

void ReleaseScreenCanvasEh()
{
  // The platform's screen canvas lives to the end of the program.
}
