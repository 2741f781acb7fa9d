// ExtCtrls.h: panels, radio groups, images and timers.
#pragma once

#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class QTimer;

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using enum TBevelCut;
using TBevelWidth = Integer;

// Draws a 3D frame one pixel wide and moves the rectangle inside it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

class TCustomPanel : public TCustomControl {
  VELMORA_CLASS(TCustomPanel)
  using inherited = TCustomControl;
public:
  explicit TCustomPanel(TComponent* AOwner);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  bool ParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool Value) { FParentBackground = Value; }
  bool FullRepaint() const { return true; }
  void SetFullRepaint(bool) {}
protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void CMTextChanged(TMessage& Message) override;
private:
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  TBevelWidth FBevelWidth = 1;
  Integer FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
  bool FShowCaption = true;
  bool FParentBackground = true;
};

class TPanel : public TCustomPanel {
  VELMORA_CLASS(TPanel)
public:
  using TCustomPanel::TCustomPanel;
};

// A group of radio buttons built from its Items.
class TRadioGroup : public TCustomGroupBox {
  VELMORA_CLASS(TRadioGroup)
  using inherited = TCustomGroupBox;
public:
  explicit TRadioGroup(TComponent* AOwner);
  ~TRadioGroup() override;
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // Setting it in code runs no event; a user's choice runs OnClick.
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer Value);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  TRadioButton* Buttons(Integer Index) const { return FButtons.at(std::size_t(Index)); }
protected:
  void Loaded() override;
  void Resize() override;
  void UpdateButtons();
  void ArrangeButtons();
private:
  std::unique_ptr<TStringList> FItems;
  std::vector<TRadioButton*> FButtons;
  Integer FItemIndex = -1;
  Integer FColumns = 1;
};

class TImage : public TGraphicControl {
  VELMORA_CLASS(TImage)
  using inherited = TGraphicControl;
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // The rectangle the picture is drawn into.
  TRect DestRect() const;
protected:
  void Paint() override;
  void PictureChanged();
private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
  bool FAutoSize = false;
};

// Fires OnTimer every Interval milliseconds while enabled, also inside
// modal loops and message boxes; runs on the time source of SetTimer, so a
// test clock drives it too.
class TTimer : public TComponent {
  VELMORA_CLASS(TTimer)
  using inherited = TComponent;
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  TNotifyEvent OnTimer;
protected:
  void Loaded() override;
  virtual void Timer();
private:
  void UpdateTimer();
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  UINT_PTR FTimerID = 0;
};

// A simple shape of the form designer (rectangle, ellipse, line frames).
enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
using enum TShapeType;

class TBevel : public TGraphicControl {
  VELMORA_CLASS(TBevel)
  using inherited = TGraphicControl;
public:
  explicit TBevel(TComponent* AOwner);
protected:
  void Paint() override;
};

// A filled, framed shape; its pen and brush repaint it when they change.
class TShape : public TGraphicControl {
  VELMORA_CLASS(TShape)
  using inherited = TGraphicControl;
public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType Value);
protected:
  void Paint() override;
private:
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TShapeType FShape = stRectangle;
};

void RegisterExtCtrlsClasses();
