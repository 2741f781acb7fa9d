// FormsScrollBox.h: scrolling windows and the scroll box.
#pragma once

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

// ---------------------------------------------------------------------------
// Scrolling windows: a window whose children may reach past its client area
// shows scroll bars over the extent of its children and moves them as the
// bars move.

class TScrollingWinControl;

class TControlScrollBar : public TPersistent {
  VELMORA_CLASS(TControlScrollBar)
public:
  TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind) : FControl(AControl), FKind(AKind) {}
  TScrollBarKind Kind() const { return FKind; }
  // Clamped to 0 .. Range less the client size; the children move with it.
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value);
  // The extent of the children (with the position scrolled away).
  Integer Range() const { return FCalcRange; }
  Integer Increment() const { return FIncrement; }
  void SetIncrement(Integer Value) { FIncrement = std::max(1, Value); }
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // Shown now: allowed and the children reach past the client area.
  bool IsScrollBarVisible() const { return FShown; }
  // The client size along the bar.
  Integer ControlSize() const;

private:
  friend class TScrollingWinControl;
  TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  Integer FPosition = 0;
  Integer FCalcRange = 0;
  Integer FIncrement = 8;
  bool FTracking = false;
  bool FVisible = true;
  bool FShown = false;
};

class TScrollingWinControl : public TWinControl {
  VELMORA_CLASS(TScrollingWinControl)
  using inherited = TWinControl;
public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;
  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool Value);
  // Works out the ranges from the children and shows or hides the bars.
  void UpdateScrollBars();
  // Scrolls so that the control is inside the client area.
  void ScrollInView(TControl* AControl);
  TRect ClientRect() const override;

protected:
  friend class TControlScrollBar;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  void SyncBarWidgets();
  // The frame's width on each side, as the window's styles give it.
  virtual Integer EdgeWidth() const { return 0; }

private:
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
  bool FAutoScroll = true;
  bool FUpdating = false;
  struct TBarWidgets;
  std::unique_ptr<TBarWidgets> FBars;
};

class TScrollBox : public TScrollingWinControl {
  VELMORA_CLASS(TScrollBox)
  using inherited = TScrollingWinControl;
public:
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  Integer EdgeWidth() const override { return FBorderStyle == TBorderStyle::bsSingle ? 2 : 0; }

private:
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
};

