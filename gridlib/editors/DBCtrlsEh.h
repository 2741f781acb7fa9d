// DBCtrlsEh.h: the data-aware editors: the field data link, the text editor
// base with its edit buttons, drop-down forms and MRU list, and the check box.
#pragma once

#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"
#include "platform/gui/Mask.h"
#include "platform/gui/StdCtrls.h"

#include <limits>
#include <vector>

// ---------------------------------------------------------------------------
// Field data link

// ---------------------------------------------------------------------------
// Edit-buttons box and control label

class TShape;

// One button of a buttons box: its control and the thin line after it.
struct TEditButtonControlLineRec {
  TShape* ButtonLine = nullptr;
  TEditButtonControlEh* EditButtonControl = nullptr;
  TEditButtonEh* EditButton = nullptr;
};
using TEditButtonControlList = std::vector<TEditButtonControlLineRec>;

// The child of an editor that shows its edit buttons side by side. The owner
// makes the button controls (OnCreateEditButtonControl), names the button of
// each entry and receives the controls' mouse events.
class TEditButtonsBoxEh : public TWinControl {
  VELMORA_CLASS(TEditButtonsBoxEh)
  using inherited = TWinControl;
public:
  explicit TEditButtonsBoxEh(TComponent* AOwner);
  ~TEditButtonsBoxEh() override;

  void BeginLayout() { ++FLayoutCount; }
  void EndLayout();
  const TEditButtonControlList& BtnCtlList() const { return FBtnCtlList; }
  // The owner fills in the button shown by an entry.
  void SetEditButton(Integer Index, TEditButtonEh* Button) { FBtnCtlList.at(std::size_t(Index)).EditButton = Button; }
  Integer ButtonsCount() const { return Integer(FBtnCtlList.size()); }
  void SetButtonsCount(Integer Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value) { FFlat = Value; }
  Integer ButtonsWidth() const { return FButtonsWidth; }
  // The largest Integer while no button is visible.
  Integer ButtonHeight() const { return FButtonHeight; }
  Integer MaxButtonHeight() const { return FMaxButtonHeight; }
  void SetMaxButtonHeight(Integer Value) { FMaxButtonHeight = Value; }
  bool BorderActive() const { return FBorderActive; }
  void SetBorderActive(bool Value);

  virtual void UpdateEditButtonControlList();
  virtual void UpdateEditButtonControlsState();

  TButtonDownEventEh OnDown;
  TNotifyEvent OnClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  // Must be set before the first button is added.
  TCreateEditButtonControlEvent OnCreateEditButtonControl;

protected:
  virtual void LayoutChanged();

private:
  void FreeEntry(TEditButtonControlLineRec& Entry);

  Integer FLayoutCount = 0;
  TEditButtonControlList FBtnCtlList;
  bool FFlat = false;
  Integer FButtonsWidth = 0;
  Integer FButtonHeight = std::numeric_limits<Integer>::max();
  Integer FMaxButtonHeight = 0;
  bool FBorderActive = false;
};

// The width an editor's button takes in the flat look when its own width is
// 0: the library's default, taken when the editors start.
Integer EditorsFlatButtonWidthEh();

// What a control that carries a caption label tells it.
class IControlLabelOwnerEh {
public:
  virtual ~IControlLabelOwnerEh() = default;
  // The caption shown while none is set.
  virtual String GetControlLabelCaption() = 0;
  // The offset of the control's text line from its top.
  virtual Integer GetControlTextBaseLine() = 0;
  // The owner places its label.
  virtual void AdjustLabelBounds() = 0;
  virtual void ControlLabelLocationChanged() = 0;
};

enum TLabelPositionEh { lpAboveLeftEh, lpAboveCenterEh, lpAboveRightEh, lpBelowLeftEh, lpBelowCenterEh,
                        lpBelowRightEh, lpLeftTopEh, lpLeftTextBaselineEh, lpLeftCenterEh, lpLeftBottomEh,
                        lpRightTopEh, lpRightTextBaselineEh, lpRightCenterEh, lpRightBottomEh };
enum TSpacingBoundEh { sbNearBoundEh, sbFarBoundEh };

// Where a control's label stands: one of fourteen places around the control.
class TControlLabelLocationEh : public TPersistent {
  VELMORA_CLASS(TControlLabelLocationEh)
  using inherited = TPersistent;
public:
  explicit TControlLabelLocationEh(TControl* EditControl) : FEditControl(EditControl) {}
  void Assign(TPersistent* Source) override;

  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  Integer Offset() const { return FOffset; }
  void SetOffset(Integer Value);
  TLabelPositionEh Position() const { return FPosition; }
  void SetPosition(TLabelPositionEh Value);
  TSpacingBoundEh LabelSpacingBound() const { return FLabelSpacingBound; }
  void SetLabelSpacingBound(TSpacingBoundEh Value);
  TControl* EditControl() const { return FEditControl; }

  // The label's top-left corner in the control's parent.
  void CalcLabelPosForControl(Integer LabelWidth, Integer LabelHeight, TPoint& LabelPos) const;

private:
  void Changed();

  Integer FSpacing = 3;
  Integer FOffset = 0;
  TLabelPositionEh FPosition = lpAboveLeftEh;
  TControl* FEditControl = nullptr;
  TSpacingBoundEh FLabelSpacingBound = sbNearBoundEh;
};

// The caption label of an editor: it stands in the editor's parent, follows
// the editor's visibility and shows the field's name unless given a caption.
class TControlLabelEh : public TLabel {
  VELMORA_CLASS(TControlLabelEh)
  using inherited = TLabel;
public:
  explicit TControlLabelEh(TComponent* AOwner);

  // The label's own switch; it shows only while its control is visible too.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  String Caption() const { return inherited::Caption(); }
  void SetCaption(const String& Value);
  bool CaptionStored() const { return FCaptionStored; }
  bool SizeStored() const { return FVisible; }
  void SetWidth(Integer Value) { SetBounds(Left(), Top(), Value, Height()); }
  void SetHeight(Integer Value) { SetBounds(Left(), Top(), Width(), Value); }

  virtual void UpdateVisibility();
  virtual void UpdateCaption();
  void UpdateParent();

protected:
  void Loaded() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  // After the label sized itself its control places it.
  void AdjustLabelBounds();

private:
  IControlLabelOwnerEh* LabelOwner() const;

  bool FCaptionStored = false;
  bool FVisible = false;
};

// Registers the buttons box, the label and its location with the class
// registry.
void RegisterDBCtrlsEhBoxClasses();

// ---------------------------------------------------------------------------
// Data-aware editor base

// ---------------------------------------------------------------------------
// Drop-down form launcher

// ---------------------------------------------------------------------------
// Check box editor
