// ComCtrlsToolBar.h: the tool bar and its buttons.
#pragma once

#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ImgList.h"

// ---------------------------------------------------------------------------
// Tool bar: a row of tool buttons of one size, separators between them.

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
using enum TToolButtonStyle;

class TToolBar;

class TToolButton : public TSpeedButton {
  VELMORA_CLASS(TToolButton)
  using inherited = TSpeedButton;
public:
  explicit TToolButton(TComponent* AOwner);
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  // A grouped check button is down alone among its neighbours in the group.
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool IsSeparator() const { return FStyle == tbsSeparator || FStyle == tbsDivider; }
  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  TToolButtonStyle FStyle = tbsButton;
  bool FGrouped = false;
  Integer FImageIndex = -1;
};

class TToolBar : public TCustomControl {
  VELMORA_CLASS(TToolBar)
  using inherited = TCustomControl;
public:
  explicit TToolBar(TComponent* AOwner);
  Integer ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(Integer Value);
  Integer ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(Integer Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value) { FShowCaptions = Value; Invalidate(); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; Invalidate(); }
  Integer ButtonCount() const;
  TToolButton* Buttons(Integer Index) const;

protected:
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;

private:
  Integer FButtonWidth = 23;
  Integer FButtonHeight = 22;
  TCustomImageList* FImages = nullptr;
  bool FShowCaptions = false;
  bool FFlat = true;
};

