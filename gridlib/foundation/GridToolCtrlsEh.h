// GridToolCtrlsEh.h: the small windows around a grid's cells: the panels that
// carry its own scroll bars, the size grip in its corner, and the drag box and
// move marker shown while columns and rows are dragged.
#pragma once

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/gui/ExtCtrls.h"

#include <vector>

class TCustomGridEh;
class TGridScrollBarPanelControlEh;

enum TGripActiveStatusEh { gasNeverEh, gasAutoEh, gasAlwaysEh };

// A scroll bar that lives inside a grid's scroll-bar panel.
class TControlScrollBarEh : public TScrollBar {
  VELMORA_CLASS(TControlScrollBarEh)
  using inherited = TScrollBar;
public:
  explicit TControlScrollBarEh(TComponent* AOwner) : TScrollBar(AOwner) {}
  // The user's scroll actions, as the bar's widget reports them.
  void UserScroll(TScrollCode ScrollCode, Integer ScrollPos);

protected:
  void WndProc(TMessage& Message) override;
};

class TGridScrollBarPanelControlEh : public TCustomPanel {
  VELMORA_CLASS(TGridScrollBarPanelControlEh)
  using inherited = TCustomPanel;
public:
  TGridScrollBarPanelControlEh(TComponent* AOwner, TScrollBarKind AKind);

  TScrollBar* ScrollBar() const { return FScrollBar; }
  bool KeepMaxSizeInDefault() const { return FKeepMaxSizeInDefault; }
  void SetKeepMaxSizeInDefault(bool Value);
  bool IgnoreCancelMode() const { return FIgnoreCancelMode; }
  TScrollBarKind Kind() const { return FKind; }

  void SetParams(Integer APosition, Integer AMin, Integer APageSize, Integer AMax);
  Integer MaxSizeForExtraPanel();
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void InvalidatePanel();

  virtual bool ScrollBarMouseDown(TScrollBar* AScrollBar);

  TScrollEvent OnScroll;

protected:
  void Resize() override;
  virtual void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);

private:
  TCustomGridEh* Grid() const;

  bool FIgnoreCancelMode = false;
  TScrollBar* FScrollBar = nullptr;
  bool FKeepMaxSizeInDefault = true;

protected:
  TScrollBarKind FKind;
};

// The grip in a corner that sizes the window the grid stands in.
class TSizeGripPanelEh : public TCustomPanel {
  VELMORA_CLASS(TSizeGripPanelEh)
  using inherited = TCustomPanel;
public:
  explicit TSizeGripPanelEh(TComponent* AOwner);

  bool TriangleWindow() const { return FTriangleWindow; }
  void SetTriangleWindow(bool Value);
  TGripActiveStatusEh GripActiveStatus() const { return FGripActiveStatus; }
  void SetGripActiveStatus(TGripActiveStatusEh Value);
  TSizeGripPosition Position() const { return FPosition; }
  void SetPosition(TSizeGripPosition Value);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  bool IsGripActive();
  // The window the grip sizes: the first control up the parent chain that
  // is a top-level window (not minimised or maximised); nullptr when none.
  TWinControl* WindowToSize();
  // The outline of the window's shape: empty for a rectangle, else the
  // triangle that keeps the grip's corner.
  std::vector<TPoint> WindowRegionPoints() const;

protected:
  void CreateHandle() override;
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WndProc(TMessage& Message) override;
  void UpdateWindowRegion();
  void UpdateCursor();

  TPoint FInitFormSize;
  TPoint FInitFormPos;
  TPoint FMouseMousePos{-1, -1};

private:
  bool FTriangleWindow = false;
  TGripActiveStatusEh FGripActiveStatus = gasAutoEh;
  TSizeGripPosition FPosition = sgpBottomRight;
};

// A floating translucent window shown while something is dragged.
class TGridDragWinEh : public TCustomControl {
  VELMORA_CLASS(TGridDragWinEh)
  using inherited = TCustomControl;
public:
  explicit TGridDragWinEh(TComponent* AOwner);

  Byte AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(Byte Value) { FAlphaBlendValue = Value; }
  TColor TransparentColorValue() const { return FTransparentColorValue; }
  void SetTransparentColorValue(TColor Value) { FTransparentColorValue = Value; }
  // Whether the window is layered (translucent or colour-keyed).
  bool Layered() const { return !(FAlphaBlendValue == 255 && FTransparentColorValue == clNone); }

  virtual void MoveToFor(TPoint NewPos);
  virtual void MoveToFor(TPoint NewPos, Integer NewWidth, Integer NewHeight);
  virtual void StartShow(TPoint Pos, Integer AWidth, Integer AHeight);
  virtual void StartShow(TPoint Pos, Integer AHeight);
  // Raises: a drag window is shown only through StartShow.
  void Show();
  void TemporaryHide();

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;

private:
  void UpdateLayeredWnd();

  Byte FAlphaBlendValue = 200;
  TColor FTransparentColorValue = 0;
};

class TGridDragBoxEh : public TGridDragWinEh {
  VELMORA_CLASS(TGridDragBoxEh)
  using inherited = TGridDragWinEh;
public:
  using TGridDragWinEh::TGridDragWinEh;
  ~TGridDragBoxEh() override;

protected:
  void Paint() override;
};

class TGridDragFormEh : public TPopupInactiveFormEh {
  VELMORA_CLASS(TGridDragFormEh)
  using inherited = TPopupInactiveFormEh;
public:
  explicit TGridDragFormEh(TComponent* AOwner) : TPopupInactiveFormEh(AOwner) {}

  Byte AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(Byte Value);
  bool AlphaBlend() const { return FAlphaBlend; }

  virtual void MoveToFor(TPoint NewPos);
  virtual void MoveToFor(TPoint NewPos, Integer NewWidth, Integer NewHeight);
  virtual void StartShow(TPoint Pos, Integer AWidth, Integer AHeight);
  virtual void StartShow(TPoint Pos, Integer AHeight);
  void TemporaryHide() {}

protected:
  void CreateHandle() override;
  // Gives the window the alpha and colour key it is set to have.
  virtual void UpdateLayeredWnd();

  Byte FAlphaBlendValue = 255;
  bool FAlphaBlend = false;
};

// The red double arrow that marks where a moved column or row will land.
class TGridMoveLineEh : public TGridDragFormEh {
  VELMORA_CLASS(TGridMoveLineEh)
  using inherited = TGridDragFormEh;
public:
  explicit TGridMoveLineEh(TComponent* AOwner);
  ~TGridMoveLineEh() override;

  bool IsVert() const { return FIsVert; }
  void SetIsVert(bool Value) { FIsVert = Value; }
  TColor LineColor() const { return FLineColor; }
  void SetLineColor(TColor Value) { FLineColor = Value; }

  using TGridDragFormEh::StartShow;
  virtual void StartShow(TPoint Pos, bool AIsVert, Integer Size, TControl* ACaptureControl);
  void MoveToFor(TPoint NewPos) override;
  using TGridDragFormEh::MoveToFor;
  // Draws the marker into any canvas of the window's size.
  void DrawMarker(TCanvas* ACanvas, Integer W, Integer H);

protected:
  void PaintWindow(HDC DC) override;
  void UpdateLayeredWnd() override;

private:
  TColor FLineColor = clRed;

protected:
  bool FIsVert = true;
};

TGridDragBoxEh* GetGridDragBoxEh();
TGridMoveLineEh* GetGridMoveLineEh();
