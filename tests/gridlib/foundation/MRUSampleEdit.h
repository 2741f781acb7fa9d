// MRUSampleEdit.h: an edit that offers its MRU list in the popup list form
// while the user types, as the library's editors do: the list filters by the
// text, opens under the edit, takes the arrow keys, and closes with Enter,
// Esc, a click or the loss of the focus. Shared by the offscreen tests and the
// sample program that runs under a real window manager.
#pragma once

#include "gridlib/foundation/GridsEh.h"

#include "platform/gui/StdCtrls.h"

class TMRUSampleEdit : public TEdit {
  using inherited = TEdit;
public:
  explicit TMRUSampleEdit(TComponent* AOwner) : TEdit(AOwner), FMRUList(std::make_unique<TMRUListEh>(this))
  {
    FMRUList->SetActive(true);
    FMRUList->SetRows(5);
    FMRUList->OnSetDropDown = [this](TObject*) { MRUListDropDown(); };
    FMRUList->OnSetCloseUp = [this](TObject*, bool Accept) { MRUListCloseUp(Accept); };
  }

  TMRUListEh* MRUList() const { return FMRUList.get(); }
  TMRUListboxEh* ListControl() const { return FListControl; }
  // Called after the text changed.
  TNotifyEvent OnTextChanged;

protected:
  void Change() override
  {
    inherited::Change();
    if (!FSettingText)
      CheckMRUListDropDown();
    if (OnTextChanged)
      OnTextChanged(this);
  }

  void WndProc(TMessage& Message) override
  {
    if (FMRUList->DroppedDown() && (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN)) {
      const Word Key = Word(Message.WParam);
      const bool Alt = Message.Msg == WM_SYSKEYDOWN;
      const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
      if ((!Alt && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN)) ||
          (Ctrl && (Key == VK_HOME || Key == VK_END))) {
        FListControl->Perform(Message.Msg, Message.WParam, Message.LParam);
        Message.Result = 0;
        return;
      }
      if (Key == VK_RETURN || Key == VK_ESCAPE) {
        FMRUList->CloseUp(Key == VK_RETURN);
        Message.Result = 0;
        return;
      }
    }
    if (Message.Msg == WM_KILLFOCUS && FMRUList->DroppedDown() && !ComponentState().Contains(csDestroying))
      FMRUList->CloseUp(false);
    inherited::WndProc(Message);
  }

private:
  void CreateListControl()
  {
    if (FListControl)
      return;
    FListControl = new TMRUListboxEh(this);
    FListControl->SetVisible(false);
    FListControl->SetCtl3D(false);
    FListControl->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
      const TRect Client = FListControl->ListGrid()->ClientRect();
      FMRUList->CloseUp(Button == mbLeft && Client.Contains(TPoint(X, Y)));
    };
  }

  void PlaceList()
  {
    TPoint Pos;
    CalcDropDownPosForControlEh(this, FListControl, 0, Pos);
    FListControl->SetBounds(Pos.X, Pos.Y, FListControl->Width(), FListControl->Height());
    FListControl->Show();
  }

  void MRUListDropDown()
  {
    CreateListControl();
    FListControl->SetInternalResizing(true);
    const bool GripResized = FListControl->SizeGripResized();
    if (!FMRUList->FilterItemsTo(FListControl->Items(), Text()) || FListControl->Items()->Count() == 0) {
      FListControl->SetInternalResizing(false);
      FMRUList->CloseUp(false);
      return;
    }
    const Integer Count = FListControl->Items()->Count();
    if (FMRUList->DroppedDown()) {
      FListControl->SetRowCount(std::min(Count, FMRUList->Rows()));
      PlaceList();
      FListControl->SetSizeGripResized(GripResized);
    } else {
      FListControl->SetColor(Color());
      FListControl->SetFont(Font());
      FListControl->SetItemHeight(FListControl->GetTextHeight());
      FListControl->SetItemIndex(-1);
      FListControl->SetRowCount(std::min(Count, FMRUList->Rows()));
      FListControl->SetWidth(FMRUList->Width() > 0 ? FMRUList->Width() : Width());
      PlaceList();
      FMRUList->SetDroppedDown(true);
      FListControl->SetSizeGripResized(false);
    }
    FListControl->SetInternalResizing(false);
  }

  void MRUListCloseUp(bool Accept)
  {
    if (!FMRUList->DroppedDown() || !IsLiveControl(FListControl))
      return;
    if (TControl* Captured = Mouse()->Capture())
      Captured->Perform(WM_CANCELMODE);
    FListControl->Hide();
    if (FListControl->SizeGripResized()) {
      FMRUList->SetRows(FListControl->ResizedRowCount());
      FMRUList->SetWidth(FListControl->ResizedWidth());
    }
    FMRUList->SetDroppedDown(false);
    if (Accept && FListControl->ItemIndex() >= 0) {
      FSettingText = true;
      SetText(FListControl->Items()->Strings(FListControl->ItemIndex()));
      FSettingText = false;
      if (Focused())
        SelectAll();
    }
  }

  void CheckMRUListDropDown()
  {
    if (FMRUList->DroppedDown() && Text().isEmpty()) {
      FMRUList->CloseUp(false);
      return;
    }
    if (FMRUList->Active() && Showing() && Focused() && !Text().isEmpty())
      FMRUList->DropDown();
  }

  std::unique_ptr<TMRUListEh> FMRUList;
  TMRUListboxEh* FListControl = nullptr;
  bool FSettingText = false;
};
