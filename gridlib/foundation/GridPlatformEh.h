// GridPlatformEh.h: the grid library's layer between its controls and the
// window system: text output and metrics, rectangles, locale comparison,
// objects carried in Variants and a few small shared classes.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Contnrs.h"
#include "platform/rtl/Variants.h"

#include <memory>
#include <vector>

class TDataSet;
class TField;

// ---------------------------------------------------------------------------
// Shared classes.

// The library's base control: its own controls share it.
class TCustomControlEh : public TCustomControl {
  VELMORA_CLASS(TCustomControlEh)
  using inherited = TCustomControl;
public:
  explicit TCustomControlEh(TComponent* AOwner) : TCustomControl(AOwner) {}
};

// The library's object list; it does not own its objects unless asked.
class TObjectListEh : public TObjectList {
  VELMORA_CLASS(TObjectListEh)
  using inherited = TObjectList;
public:
  TObjectListEh() : TObjectList(false) {}
  explicit TObjectListEh(bool AOwnsObjects) : TObjectList(AOwnsObjects) {}
  // Sorts with a routine answering negative, zero or positive for two items.
  void Sort(const std::function<int(TObject* Item1, TObject* Item2)>& Compare);
};

// A memory stream that grows in steps of 2 * HalfMemoryDelta bytes.
class TMemoryStreamEh : public TMemoryStream {
  VELMORA_CLASS(TMemoryStreamEh)
  using inherited = TMemoryStream;
public:
  TMemoryStreamEh() = default;
  Integer HalfMemoryDelta() const { return FHalfMemoryDelta; }
  void SetHalfMemoryDelta(Integer Value) { FHalfMemoryDelta = Value; }
protected:
  void* Realloc(Int64& NewCapacity) override;
private:
  Integer FHalfMemoryDelta = 4096;
};

// What a Variant filled by RefObjectToVarEh carries.
class IObjectRefInterface : public IInterface {
public:
  virtual TObject* GetRefObject() = 0;
};

// Wraps an object reference; freeing the wrapper never frees the object.
class TInterfacedObjectWrapper : public IObjectRefInterface {
public:
  explicit TInterfacedObjectWrapper(TObject* ARefObject) : FRefObject(ARefObject) {}
  TObject* GetRefObject() override { return FRefObject; }
private:
  TObject* FRefObject;
};

// A plain list of dataset fields.
class TFieldListEh : public TList {
  VELMORA_CLASS(TFieldListEh)
public:
  TField* Fields(Integer Index) const { return static_cast<TField*>(Items(Index)); }
};

using TPointArrayEh = std::vector<TPoint>;
using TDWORDArrayEh = std::vector<Cardinal>;
using TVariantDynArray = std::vector<Variant>;
using TRectDynArray = std::vector<TRect>;
using TIntegerDynArray = std::vector<Integer>;
using TInt64DynArray = std::vector<Int64>;

// Parameters of WriteTextRectEh. Alignment: 0 left, 1 right, 2 centre;
// layout: 0 top, 1 centre, 2 bottom; line mode: 0 one line, 1 word wrap,
// 2 forced single line.
struct TWriteTextParamsEh {
  Byte Alignment = 0;
  Byte Layout = 0;
  Byte LineMode = 0;
  bool Opaque = false;
  bool RightToLeftReading = false;
  bool EndEllipsis = false;
};

// ---------------------------------------------------------------------------
// Text output and measuring.

Integer DrawTextEh(HDC DC, const String& Text, Integer Count, TRect& Rect, UINT Format);
Integer DrawTextExEh(HDC DC, const String& Text, TRect& Rect, UINT Format);
Integer DrawTextExParamsEh(HDC DC, const String& Text, TRect& Rect, Integer TabLength,
                           Integer LeftMargin, Integer RightMargin, UINT Format);
bool ExtTextOutEh(HDC DC, Integer X, Integer Y, UINT Options, const TRect* Rect,
                  const String& Text, Integer Count);
void WriteTextRectEh(TCanvas* Canvas, const String& Text, const TRect& Rect,
                     const TRect& Unused, const TWriteTextParamsEh& Params);
void WriteTextEh(TCanvas* Canvas, const String& Text, const TRect& Rect);
void GetTextExtentExPointEh(TCanvas* Canvas, const String& Text, TSize& Size,
                            std::vector<Integer>& Extents);
Integer TextLengthEh(const String& Text);
Integer NextCharPosEh(const String& Text, Integer Pos);
Integer GetFontSizeEh(TFont* Font, TCanvas* Canvas = nullptr);
Integer GetFontPixelHeightEh(TFont* Font);
Integer GetFontTextHeightEh(TCanvas* Canvas, TFont* Font, bool WithExternalLeading);
void GetTextMetricsEh(TCanvas* Canvas, TTextMetric& Metrics);
void PolyPolyLineEh(TCanvas* Canvas, const TPointArrayEh& Points, const TDWORDArrayEh& Counts,
                    Integer Number);
HRGN CreatePolygonRgnEh(const TPoint* Points, Integer Count, Integer FillMode);
void LPtoDPRectEh(HDC DC, TRect& Rect);
DWORD SetDCLayoutEh(HDC DC, DWORD Layout);

// ---------------------------------------------------------------------------
// Windows, messages and input.

LRESULT SendMessageEh(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Rect nullptr: the whole client area.
bool InvalidateRectEh(HWND Wnd, const TRect* Rect, bool Erase);
bool ValidateRectEh(HWND Wnd, const TRect* Rect);
bool ScrollWindowExEh(HWND Wnd, Integer DX, Integer DY, UINT Flags, HRGN UpdateRgn,
                      const TRect* ClipRect, const TRect* ScrollRect);
HWND SetFocusEh(HWND Wnd);
bool IsChildWindowEh(HWND Parent, HWND Wnd);
// Removes one waiting message of that kind for the window; a quit message
// taken on the way is posted again.
bool RemovePendingMessageEh(HWND Wnd, UINT Msg);
void PostQuitMessageEh(Integer ExitCode);
Integer GetCharIndexAtCaretEh(TWinControl* Edit);
void SendGetSelMessageEh(HWND Edit, Integer& SelStart, Integer& SelEnd);
void SendSetSelMessageEh(TWinControl* Edit, Integer SelStart, Integer SelEnd);
inline void CopyMessageEh(const TMessage& Source, TMessage& Dest) { Dest = Source; }
inline void CopyMouseMessageEh(const TMessage& Source, TMessage& Dest) { Dest = Source; }
void RecreateWndEh(TWinControl* Control);
// The client rectangle (0, 0, Width, Height without a window) after the
// control's own adjustment.
void GetAdjustedClientRectEh(TWinControl* Control, TRect& Rect);
void OutputDebugStringEh(const String& Text);

// ---------------------------------------------------------------------------
// Bitmaps and datasets.

// Loads a bitmap from the program's resource of that name.
void LoadBitmapFromResourceNameEh(TBitmap* Bitmap, const String& ResourceName);
// The bitmap resource of that name; nullptr when there is none.
std::unique_ptr<TBitmap> LoadBitmapEh(void* Instance, const String& ResourceName);
// A cursor of the program's resources (":/cursors/<Name>"); EOutOfResources
// when there is none.
HCURSOR LoadCursorEh(void* Instance, const String& ResourceName);
// Loads the cursor and gives it the first free number of the screen's
// cursor table; the number is the answer.
TCursor LoadRegisterCursorEh(const String& ResourceName);
// The drop shadow of a popup window's class, set or cleared; answers
// whether the window system draws one.
bool SetDropShadowClassStyleEh(TWinControl* Control, TCreateParams& Params, bool Enable);
Integer DataSetCompareBookmarksEh(TDataSet* DataSet, const QByteArray& Bookmark1, const QByteArray& Bookmark2);
bool DataSetBookmarkValidEh(TDataSet* DataSet, const QByteArray& Bookmark);
// The dataset of the data source a published property holds; nullptr for
// anything else, and when reading the property fails.
TDataSet* GetDataSetOfDataSourcePropEh(TObject* Instance, const String& PropName);
inline void KeepFixedDataSourceEh(TControl*) {}

// ---------------------------------------------------------------------------
// Time and packed points.

LongInt GetMessageTimeEh();
Int64 GetTickCountEh();
TPoint GetCursorPosEh();
TPoint SmallPointToPointEh(LPARAM Packed);
inline LPARAM SmallPointToLParamEh(LPARAM Packed) { return Packed; }
inline LPARAM LParamToSmallPointEh(LPARAM Packed) { return Packed; }
inline NativeInt ObjectToIntPtrEh(TObject* Obj) { return reinterpret_cast<NativeInt>(Obj); }

// ---------------------------------------------------------------------------
// Rectangles.

inline TRect EmptyRectEh() { return TRect(0, 0, 0, 0); }
inline bool IsRectEmptyEh(const TRect& R) { return !(R.Left < R.Right && R.Top < R.Bottom); }
inline TRect OffsetRectSidesEh(const TRect& R, Integer DLeft, Integer DTop, Integer DRight,
                               Integer DBottom)
{
  return TRect(R.Left + DLeft, R.Top + DTop, R.Right + DRight, R.Bottom + DBottom);
}
void MoveRectEh(TRect& R, Integer X, Integer Y);
inline void MoveRectToPointEh(TRect& R, TPoint P) { MoveRectEh(R, P.X, P.Y); }

// ---------------------------------------------------------------------------
// Strings, characters and values.

bool CharInSetEh(QChar C, const std::vector<char>& CharSet);
bool IsLeadCharEh(QChar C);
String AnsiUpperCaseEh(const String& S);
String AnsiLowerCaseEh(const String& S);
// The program's text order (CollateText), case-sensitive and not.
Integer AnsiCompareStrEh(const String& S1, const String& S2);
Integer AnsiCompareTextEh(const String& S1, const String& S2);
// -1, 0, 1 for less, equal, greater over the first Count characters of each
// text (0: whole texts), in the program's text order; -2 when it cannot compare.
Integer StrCompareLocaleEh(const String& S1, const String& S2, Integer Count, bool IgnoreCase);
Integer WideStrCompareLocaleEh(const String& S1, const String& S2, Integer Count, bool IgnoreCase);
String PWideCharToStringEh(const char16_t* Text);
char16_t* WStrCopyEh(char16_t* Dest, const char16_t* Source);
inline QChar MiddleDotCharEh() { return QChar(0x00B7); }
// 0 = Monday .. 6 = Sunday; Monday for this program's Russian locale.
Integer GetFirstDayOfWeekEh();
constexpr TColor RGBEh(Byte R, Byte G, Byte B) { return TColor(RGB(R, G, B)); }
void VarToAnsiStrEh(const Variant& V, AnsiString& Result);
void VarArrayRedimEh(Variant& A, Integer HighBound);
void RefObjectToVarEh(TObject* Obj, Variant& V);
// Raises EInvalidCast when the Variant carries no object reference.
TObject* VarToRefObjectEh(const Variant& V);
inline void FreeObjectEh(TObject* Obj) { delete Obj; }

// The canvas's context with its font, pen and brush selected, as the text
// and line routines that take a context expect.
HDC CanvasHandleEh(TCanvas* Canvas);

// ---------------------------------------------------------------------------
// Shared screen canvas for measuring text when no window canvas is at hand.

TCanvas* ScreenCanvasEh();
void ReleaseScreenCanvasEh();
