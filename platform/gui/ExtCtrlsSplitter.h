// ExtCtrlsSplitter.h: the splitter bar.
#pragma once

#include "platform/gui/ExtCtrls.h"

// A bar the user drags to resize the control aligned just before it.
class TSplitter : public TGraphicControl {
  VELMORA_CLASS(TSplitter)
  using inherited = TGraphicControl;
public:
  explicit TSplitter(TComponent* AOwner);
  Integer MinSize() const { return FMinSize; }
  void SetMinSize(Integer Value) { FMinSize = Value; }
  // The control that the splitter resizes: the neighbour on its aligned side.
  TControl* FindControl() const;
protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
private:
  Integer FMinSize = 30;
  TPoint FDownPos;
  Integer FStartSize = -1;
};

