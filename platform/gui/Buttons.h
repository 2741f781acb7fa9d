// Buttons.h: the speed button: a windowless button that can stay down, alone
// or as one of a group, with a glyph and a caption.
#pragma once

#include "platform/gui/Controls.h"

#include <memory>

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using enum TButtonState;
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using enum TButtonLayout;
using TNumGlyphs = Integer;

class TSpeedButton : public TGraphicControl {
  VELMORA_CLASS(TSpeedButton)
  using inherited = TGraphicControl;
public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  TButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }
  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  virtual void CMButtonPressed(TMessage& Message);
  // Paints the glyph (the part of it for the state) and the caption in R.
  void DrawGlyphAndCaption(TCanvas* Canvas, TRect R, TPoint Offset);

  TButtonState FState = bsUp;
  bool FDragging = false;

private:
  void UpdateExclusive();
  Integer FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FTransparent = true;
  std::unique_ptr<TBitmap> FGlyph;
  TNumGlyphs FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
};

void RegisterButtonsClasses();
