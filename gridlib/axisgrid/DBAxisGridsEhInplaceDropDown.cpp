// DBAxisGridsEhInplaceDropDown.cpp: the grid editor's drop-downs (pick list,
// data grid box, calendar, calculator), how they close by key, mouse and
// focus, and the most-recently-used list under the editor.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "gridlib/editors/CalculatorEh.h"
#include "gridlib/editors/DateTimeCalendarPickersEh.h"
#include "gridlib/editors/DropDownFormEh.h"
#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/rtl/ScopeExit.h"

#include <algorithm>

namespace {

TPopupDataGridBoxFactoryEh& BoxFactory()
{
  static TPopupDataGridBoxFactoryEh Factory;
  return Factory;
}


// The dataset a lookup or data-list bar drops down, when it is open.
TDataSet* DropDownListDataSetOf(TAxisBarEh* Bar)
{
  TDataSet* DS = nullptr;
  if (Bar->GetBarType() == ctDataList) {
    TDataSource* Source = Bar->DropDownBox()->ListSource();
    DS = Source ? Source->DataSet() : nullptr;
  } else if (Bar->LookupParams()) {
    DS = Bar->LookupParams()->LookupDataSet();
  }
  return DS && DS->Active() ? DS : nullptr;
}

// A drop-down form still waiting for its end.
TCustomDropDownFormEh* PendingDropDownForm(TWinControl* List)
{
  auto* Form = dynamic_cast<TCustomDropDownFormEh*>(List);
  return Form && Form->CallbackProc() ? Form : nullptr;
}

bool IsInsideControl(TWinControl* Outer, TControl* Control)
{
  if (!Outer)
    return false;
  // Graphic controls too: the editor's buttons are no windows.
  for (TControl* C = Control; C; C = C->Parent())
    if (C == Outer)
      return true;
  return false;
}

bool IsCalculatorValue(const Variant& V)
{
  switch (VarType(V)) {
  case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
    return true;
  default:
    return false;
  }
}

} // namespace

// ---------------------------------------------------------------------------
// The data grid box factory.

void SetPopupDataGridBoxFactoryEh(TPopupDataGridBoxFactoryEh Factory) { BoxFactory() = std::move(Factory); }

TCustomForm* CreatePopupDataGridBoxEh(TComponent* Owner)
{
  if (!BoxFactory())
    return nullptr;
  TCustomForm* Box = BoxFactory()(Owner);
  if (Box && !dynamic_cast<IPopupDataGridBoxEh*>(Box)) {
    delete Box;
    return nullptr;
  }
  return Box;
}

IPopupDataGridBoxEh* PopupDataGridBoxOf(TWinControl* Control) { return dynamic_cast<IPopupDataGridBoxEh*>(Control); }

TCustomForm* TAxisBarEh::GetDataListBox()
{
  if (FDataListBox)
    return FDataListBox;
  FDataListBox = CreatePopupDataGridBoxEh(nullptr);
  if (FDataListBox) {
    FDataListBox->SetName(QStringLiteral("DropDownBox"));
    PopupDataGridBoxOf(FDataListBox)->SetAxisBarOwner(FDropDownBox.get());
  }
  return FDataListBox;
}

// ---------------------------------------------------------------------------
// Opening.

void TDBAxisGridInplaceEdit::DropDown()
{
  TCustomDBAxisGridEh* G = GetGrid();
  TAxisBarEh* Column = GetAxisBar();
  if (FListVisible || !FActiveList || !G || !Column)
    return;
  TWinControl* List = FActiveList;
  IPopupDataGridBoxEh* Box = List == FDataList ? PopupDataGridBoxOf(List) : nullptr;
  TDataSet* ListDataSet = Box ? DropDownListDataSetOf(Column) : nullptr;
  if (List == FDataList && !ListDataSet)
    return;
  List->HandleNeeded();
  // The calendar and the calculator keep the size of their own layout.
  if (Box || List == FPickList)
    List->SetWidth(Width());
  FVisibleListWantFocus = false;
  const Integer Align = Integer(GetGrid()->UseRightToLeftAlignment() ? taRightJustify : taLeftJustify);
  if (Box) {
    DropDownDataGrid(G, Column, Box, ListDataSet, Align);
  } else if (List == FPopupMonthCalendar) {
    if (!DropDownCalendar(Column, Align))
      return;
  } else if (List == FPopupCalculator) {
    DropDownCalculator(G, Align);
  } else if (List == FPickList) {
    DropDownPickList(Column, Align);
  } else {
    return;
  }
  if (FMRUList && FMRUList->DroppedDown())
    MRUListCloseUp(false);
  FListVisible = true;
  Invalidate();
  if (!FVisibleListWantFocus && !Focused())
    G->InternalSetFocus(EditCoreControl());
  SetFirstButtonDown(true);
  FDroppedDown = true;
}

void TDBAxisGridInplaceEdit::DropDownDataGrid(TCustomDBAxisGridEh* G, TAxisBarEh* Column, IPopupDataGridBoxEh* Box,
                                              TDataSet* ListDataSet, Integer Align)
{
  TWinControl* List = Box->BoxControl();
  Box->StartInitSize();
  {
    ScopeExit Sized([Box] { Box->StopInitSize(); });
    List->SetColor(Color());
    List->SetFont(Font());
    Box->SetSpecRow(Column->DropDownSpecRow());
    Integer Rows = Column->DropDownRows();
    const Integer Records = ListDataSet->IsSequenced() ? ListDataSet->RecordCount() : 0;
    if (Records >= 1 && Records < Rows)
      Rows = Records;
    Box->SetRowCount(Rows);
    Box->SetShowTitles(Column->DropDownShowTitles());
    FLookupSource->SetDataSet(ListDataSet);
    if (IsLookupEditStyleEh(FEditStyle) && FEditStyle != esDataList && FEditStyle != esAltDataList) {
      Box->SetKeyField(Column->LookupParams()->LookupKeyFieldNames());
      Box->SetListFieldIndex(0);
      Box->SetListField(Column->LookupDisplayFields().isEmpty() ? Column->LookupParams()->LookupDisplayFieldName()
                                                                : Column->LookupDisplayFields());
    } else {
      const String ListField = Column->GetDropDownBoxListField();
      Box->SetKeyField(ListField);
      Box->SetListFieldIndex(0);
      Box->SetListField(Column->DropDownBox()->ListFieldNames().isEmpty() ? ListField
                                                                          : Column->DropDownBox()->ListFieldNames());
    }
    Box->SetAutoFitColWidths(false);
    Box->SetUseMultiTitle(Column->DropDownBox()->UseMultiTitle());
    Box->SetListSource(FLookupSource);
    Integer W = Column->DropDownWidth();
    if (W == -1)
      W = Box->GetColumnsWidthToFit() + (List->Width() - List->ClientWidth());
    else if (W < 1)
      W = Width();
    List->SetWidth(std::max(W, Width()));
    Box->SetKeyValue(G->EditKeyValue());
    FListColumnMothed = false;
    Box->SetOnColumnMoved([this](TObject*) { FListColumnMothed = true; });
    Box->SetTitleSortMarkerStyle(G->GetSortMarkerStyle());
  }
  List->HandleNeeded();
  Box->SetAutoFitColWidths(false);
  List->SetHeight(Box->CalcAutoHeightForRowCount(Box->RowCount()));
  TPoint P;
  CalcDropDownPosForControlEh(this, List, Align, P);
  List->SetBounds(P.X, P.Y, List->Width(), List->Height());
  ShowPopupWindow(List);
  Box->SetSizeGripAlwaysShow(Column->DropDownSizing());
  Box->SetAutoFitColWidths(true);
  Box->SetSizeGripResized(false);
}

bool TDBAxisGridInplaceEdit::DropDownCalendar(TAxisBarEh* Column, Integer Align)
{
  auto* Picker = dynamic_cast<IPopupDateTimePickerEh*>(FPopupMonthCalendar);
  if (!Picker)
    return false;
  Picker->SetTimeUnits(GetBarDateTimeUnitsEh(Column));
  Picker->SetFont(Font());
  Picker->UpdateSize();
  FVisibleListWantFocus = Picker->WantFocus();
  TField* F = Column->Field();
  const TDateTime Start = !F || F->IsNull() ? Date() : F->AsDateTime();
  TPoint P;
  CalcDropDownPosForControlEh(this, FPopupMonthCalendar, Align, P);
  // Open before the call: a calendar that ends while it shows calls back
  // into a closing that must find it open.
  FListVisible = true;
  FDroppedDown = true;
  try {
    Picker->DropDown(P, [this](TWinControl*, bool Accept) { CloseUp(Accept); }, Start);
  } catch (...) {
    FListVisible = false;
    FDroppedDown = false;
    throw;
  }
  return FListVisible;
}

void TDBAxisGridInplaceEdit::DropDownCalculator(TCustomDBAxisGridEh* G, Integer Align)
{
  auto* Calc = dynamic_cast<IPopupCalculatorEh*>(FPopupCalculator);
  // Text that is no number opens the calculator at 0, as empty text does.
  double Number = 0;
  if (!TryStrToFloat(Text().trimmed(), Number))
    Number = 0;
  Calc->SetValue(Variant(Number));
  Calc->SetFlat(G->Flat());
  SetSelLength(0);
  FPopupCalculator->HandleNeeded();
  Calc->SetFlat(G->Flat());
  Calc->SetTextHeight(Variant(GetFontTextHeightEh(nullptr, Font(), true)));
  TPoint P;
  CalcDropDownPosForControlEh(this, FPopupCalculator, Align, P);
  FPopupCalculator->SetBounds(P.X, P.Y, FPopupCalculator->Width(), FPopupCalculator->Height());
  Calc->Show(P, [this](TWinControl*, bool Accept) { CloseUp(Accept); });
}

void TDBAxisGridInplaceEdit::DropDownPickList(TAxisBarEh* Column, Integer Align)
{
  TPopupListboxFormEh* List = FPickList;
  List->SetInternalResizing(true);
  ScopeExit Sized([List] { List->SetInternalResizing(false); });
  List->SetColor(Color());
  List->SetFont(Font());
  List->SetItemHeight(List->GetTextHeight());
  TStrings* Items = List->Items();
  Items->BeginUpdate();
  Items->Clear();
  if (Column->HasKeyList()) {
    TStrings* Picks = Column->PickList();
    const Integer N = std::min(Picks->Count(), Column->KeyList()->Count());
    for (Integer I = 0; I < N; ++I)
      Items->AddObject(Picks->Strings(I), Picks->Objects(I));
  } else if (Column->HasPickList()) {
    Items->Assign(Column->PickList());
  }
  Items->EndUpdate();
  List->SetRowCount(std::max(std::min(Items->Count(), Column->DropDownRows()), 1));
  if (Column->DropDownWidth() > 0)
    List->SetWidth(Column->DropDownWidth());
  TField* F = Column->Field();
  Integer Selected = -1;
  if (F && !F->IsNull())
    Selected = Column->HasKeyList() ? Column->KeyList()->IndexOf(VarToStr(GetGrid()->EditKeyValue()))
                                    : Items->IndexOf(Text());
  List->SetItemIndex(Selected);
  Integer Widest = 0;
  if (TControlCanvas* Canvas = static_cast<TDBAxisGridnplaceEditCoreControl*>(EditCoreControl())->Canvas()) {
    Canvas->Font()->Assign(Font());
    for (Integer I = 0; I < Items->Count(); ++I)
      Widest = std::max(Widest, Canvas->TextWidth(Items->Strings(I)));
  }
  const Integer Frame = List->Width() - List->ClientWidth();
  List->SetWidth(std::max(List->ClientWidth(), Widest + 4) + Frame);
  TPoint P;
  CalcDropDownPosForControlEh(this, List, Align, P);
  List->SetBounds(P.X, P.Y, List->Width(), List->Height());
  List->SetMasterFocusControl(EditCoreControl());
  ShowPopupWindow(List);
  List->SetSizeGripResized(false);
}

void TDBAxisGridInplaceEdit::ShowPopupWindow(TWinControl* List)
{
  if (auto* Popup = dynamic_cast<TPopupInactiveFormEh*>(List))
    Popup->Show();
  else
    List->SetVisible(true);
}

void TDBAxisGridInplaceEdit::SetFirstButtonDown(bool Down)
{
  const Integer Index = FirstVisibleButtonIndex();
  if (Index < 0 || !FButtonsBox)
    return;
  const TEditButtonControlList& Controls = FButtonsBox->BtnCtlList();
  if (Index < Integer(Controls.size()) && Controls[Index].EditButtonControl)
    Controls[Index].EditButtonControl->SetAlwaysDown(Down);
}

// ---------------------------------------------------------------------------
// Closing.

void TDBAxisGridInplaceEdit::CloseUp(bool Accept)
{
  TCustomDBAxisGridEh* G = GetGrid();
  if (!FListVisible || !FDroppedDown || !G || G->SelectedIndex() < 0)
    return;
  TAxisBarEh* Column = GetAxisBar();
  TWinControl* List = FActiveList;
  FDroppedDown = false;
  FPressClosedList = PressOnFirstButton();
  if (List && IsInsideControl(List, Screen->ActiveControl()) && CanFocus())
    SetFocus();
  SetFirstButtonDown(false);
  if (FLockCloseList)
    return;
  if (TControl* Captured = Mouse()->Capture())
    Captured->Perform(WM_CANCELMODE, 0, 0);

  Variant Key = Null;
  bool Selected = false;
  String SelectedText;
  IPopupDataGridBoxEh* Box = List && List == FDataList ? PopupDataGridBoxOf(List) : nullptr;
  if (Box) {
    Key = Box->KeyValue();
    Selected = Box->LocateKey() || (Box->SpecRow() && Box->SpecRow()->Visible() && Box->SpecRow()->Selected());
    // Taken now: the box loses its rows when it lets go of the list below.
    if (Selected)
      SelectedText = Box->SelectedItem();
    if (Box->SizeGripResized()) {
      Column->SetDropDownRows(Box->RowCount());
      Column->SetDropDownWidth(List->Width());
    }
    if (FListColumnMothed && Box->SpecRow())
      Column->DropDownSpecRow()->SetCellsText(Box->SpecRow()->CellsText());
  } else if (List && List == FPopupMonthCalendar) {
    // A calendar that ended by itself is already gone: nothing to cancel.
    if (PendingDropDownForm(List))
      dynamic_cast<IPopupDateTimePickerEh*>(List)->CloseUp();
  } else if (List && List == FPickList) {
    const Integer Index = FPickList->ItemIndex();
    if (Index >= 0)
      Key = Column->HasKeyList() ? Variant(Column->KeyList()->Strings(Index))
                                 : Variant(FPickList->Items()->Strings(Index));
    if (FPickList->SizeGripResized()) {
      Column->SetDropDownRows(FPickList->ItemHeight() > 0 ? FPickList->ClientHeight() / FPickList->ItemHeight()
                                                          : Column->DropDownRows());
      Column->SetDropDownWidth(FPickList->Width());
    }
  } else if (List && List == FPopupCalculator) {
    if (auto* Form = PendingDropDownForm(List)) {
      Form->SetModalResult(Accept ? mrOk : mrCancel);
      Form->Close();
    }
  }
  if (List) {
    if (auto* Popup = dynamic_cast<TPopupInactiveFormEh*>(List))
      Popup->SetVisible(false);
    else
      List->SetVisible(false);
  }
  FListVisible = false;
  if (Box) {
    Box->SetAutoFitColWidths(false);
    Box->SetListSource(nullptr);
  }
  FLookupSource->SetDataSet(nullptr);
  Invalidate();

  if (!Accept) {
    if (Box || List == FPickList)
      SetText(G->EditText());
    if (Box)
      ClearListFilter(Column);
    return;
  }
  if (Box)
    AcceptDataGridChoice(G, Column, Key, Selected, SelectedText);
  else if (List == FPopupMonthCalendar)
    AcceptCalendarChoice(G, Column);
  else if (List == FPopupCalculator)
    AcceptCalculatorChoice(G, Column);
  else
    AcceptPickListChoice(G, Column, Key);
}

void TDBAxisGridInplaceEdit::AcceptDataGridChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column, const Variant& Key,
                                                  bool Selected, const String& Item)
{
  TDataSet* DS = G->DataLink()->DataSet();
  const String KeyNames =
    Column->GetBarType() == ctDataList ? Column->FieldName() : Column->LookupParams()->KeyFieldNames();
  bool KeysCanModify = DS != nullptr;
  if (DS)
    for (TField* F : DS->GetFieldList(KeyNames))
      KeysCanModify = KeysCanModify && F->CanModify();
  if (KeysCanModify && G->CanEditModifyData() && Column->CanModify(true)) {
    try {
      G->DataLink()->Edit();
      if (G->DataLink()->Editing()) {
        G->DataLink()->Modified();
        G->SetEditKeyValue(Key);
        if (Selected)
          G->SetEditTextValue(Item);
      }
      if (Selected)
        SetText(Item);
      SelectAll();
      G->UpdateData();
    } catch (...) {
      // The cell shows what the record holds, exactly; the error goes on.
      SetText(Column->GetInplaceEditorText());
      ClearListFilter(Column);
      throw;
    }
  } else {
    if (Selected)
      SetText(Item);
    SelectAll();
  }
  ClearListFilter(Column);
}

void TDBAxisGridInplaceEdit::AcceptCalendarChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column)
{
  auto* Picker = dynamic_cast<IPopupDateTimePickerEh*>(FPopupMonthCalendar);
  TField* F = Column->Field();
  if (!Picker || !F || !Column->CanModify(true) || !G->CanEditModifyData())
    return;
  F->DataSet()->Edit();
  const TDateTime Picked = Picker->GetDateTime();
  Column->UpdateDataValue(DateTimeToStr(Picked), VarFromDateTime(Picked), false);
}

void TDBAxisGridInplaceEdit::AcceptCalculatorChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column)
{
  auto* Calc = dynamic_cast<IPopupCalculatorEh*>(FPopupCalculator);
  if (!Calc || !Column->CanModify(true) || !G->CanEditModifyData())
    return;
  const Variant V = Calc->GetValue();
  if (!IsCalculatorValue(V))
    return;
  const String NumberText = VarToStr(V);
  SetText(NumberText);
  G->SetEditTextValue(NumberText);
  SelectAll();
  G->UpdateData();
}

void TDBAxisGridInplaceEdit::AcceptPickListChoice(TCustomDBAxisGridEh* G, TAxisBarEh* Column, const Variant& Key)
{
  if (VarIsNull(Key) || VarIsEmpty(Key) || !G->CanEditModifyData())
    return;
  const Integer Index = FPickList ? FPickList->ItemIndex() : -1;
  if (!Column->HasKeyList()) {
    SetText(VarToStr(Key));
    G->SetEditTextValue(Text());
  } else if (Index >= 0) {
    SetText(FPickList->Items()->Strings(Index));
    G->SetEditTextValue(Text());
    G->SetEditKeyValue(Variant(Column->KeyList()->Strings(Index)));
  }
  UpdateImageIndex();
  G->UpdateData();
}

// The rows typed text filtered out come back once the list is closed.
void TDBAxisGridInplaceEdit::ClearListFilter(TAxisBarEh* Column)
{
  if (Column && Column->DropDownBox()->ListSourceAutoFilter())
    ApplyListFilter(Column, String());
}

// ---------------------------------------------------------------------------
// Closing by mouse and focus.

bool TDBAxisGridInplaceEdit::PressOnFirstButton() const
{
  const Integer Index = FirstVisibleButtonIndex();
  if (Index < 0 || !IsMouseButtonDownEh(mbLeft))
    return false;
  TEditButtonControlEh* Button = FButtonsBox->BtnCtlList()[std::size_t(Index)].EditButtonControl;
  const TPoint Origin = Button->ClientToScreen(TPoint(0, 0));
  const TRect Screen(Origin.X, Origin.Y, Origin.X + Button->Width(), Origin.Y + Button->Height());
  return Screen.Contains(Mouse()->CursorPos());
}

bool TDBAxisGridInplaceEdit::TakeClosingPress()
{
  const bool Spent = FPressClosedList;
  FPressClosedList = false;
  return Spent;
}

void TDBAxisGridInplaceEdit::PickListMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y)
{
  if (Button != mbLeft || !FPickList)
    return;
  CloseUp(FPickList->ListGrid()->ClientRect().Contains(TPoint(X, Y)));
}

void TDBAxisGridInplaceEdit::DataListCloseUp(TObject*, bool Accept) { CloseUp(Accept); }

void TDBAxisGridInplaceEdit::CoreControlKillFocus(HWND FocusedWnd)
{
  inherited::CoreControlKillFocus(FocusedWnd);
  TCustomDBAxisGridEh* G = GetGrid();
  if (!G)
    return;
  if (G->ContainsFocus() != G->SelectionActive())
    G->GridActiveChanged();
  if (G->InternalFocusResetting())
    return;
  TWinControl* Focused = FindControl(FocusedWnd);
  // A press on the button strip gives it the focus for a moment; the strip
  // hands it back, and the press is the button's to act on.
  if (Focused && Focused != this && IsInsideControl(this, Focused))
    return;
  if (FListVisible && !IsInsideControl(FActiveList, Focused)) {
    // The drop-down form ends as one that lost the activation, so that it
    // leaves the focus where it went.
    if (auto* Form = PendingDropDownForm(FActiveList)) {
      EndPopupActivation(Form);
      Form->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    }
    CloseUp(false);
  }
  if (FMRUList && FMRUList->DroppedDown() && !IsInsideControl(FMRUListControl, Focused))
    MRUListCloseUp(false);
}

void TDBAxisGridInplaceEdit::CMCancelMode(TMessage& Message)
{
  auto* Sender = reinterpret_cast<TControl*>(Message.LParam);
  if (IsInsideControl(this, Sender))
    return;
  const bool FromList = Sender && FActiveList && (Sender == FActiveList || Sender->Parent() == FActiveList);
  if (!FromList)
    CloseUp(false);
  if (FMRUList && FMRUList->DroppedDown() && !IsInsideControl(FMRUListControl, Sender))
    MRUListCloseUp(false);
}

void TDBAxisGridInplaceEdit::WMSetFocus(TMessage& Message)
{
  if (TCustomDBAxisGridEh* G = GetGrid(); G && G->ContainsFocus() != G->SelectionActive())
    G->GridActiveChanged();
  inherited::WMSetFocus(Message);
}

// The core control gave the wheel to the open list already.
bool TDBAxisGridInplaceEdit::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
  return FListVisible || inherited::DoMouseWheelDown(Shift, MousePos);
}

bool TDBAxisGridInplaceEdit::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
  return FListVisible || inherited::DoMouseWheelUp(Shift, MousePos);
}

void TDBAxisGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  // Compared by address: the box may be half destroyed already.
  if (Operation != opRemove || !FDataList || static_cast<void*>(AComponent) != static_cast<void*>(FDataList))
    return;
  if (FActiveList == FDataList) {
    FActiveList = nullptr;
    FListVisible = false;
    FDroppedDown = false;
  }
  FDataList = nullptr;
  if (!ComponentState().Contains(csDestroying))
    SetEditStyle(esSimple);
}

// ---------------------------------------------------------------------------
// The most-recently-used list.

TMRUListboxEh* TDBAxisGridInplaceEdit::CreateMRUListControl()
{
  auto* List = new TMRUListboxEh(this);
  List->SetVisible(false);
  List->SetCtl3D(false);
  List->SetParentCtl3D(false);
  List->ListGrid()->SetSorted(true);
  List->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    MRUListMouseUp(Sender, Button, Shift, X, Y);
  };
  return List;
}

TMRUListboxEh* TDBAxisGridInplaceEdit::GetMRUListControl()
{
  if (!FMRUListControl)
    FMRUListControl = CreateMRUListControl();
  return FMRUListControl;
}

void TDBAxisGridInplaceEdit::FilterMRUItem(const String& AText, bool& Accept)
{
  const String Typed = Text();
  const String Head = AText.left(Typed.size());
  Accept = (FMRUList->CaseSensitive() ? AnsiCompareStrEh(Head, Typed) : AnsiCompareTextEh(Head, Typed)) == 0;
  if (FMRUList->OnFilterItem)
    FMRUList->OnFilterItem(GetAxisBar(), Accept);
}

void TDBAxisGridInplaceEdit::MRUListDropDown()
{
  if (!FMRUList)
    return;
  TMRUListboxEh* List = GetMRUListControl();
  List->SetInternalResizing(true);
  const bool GripResized = List->SizeGripResized();
  ScopeExit Sized([List, GripResized] {
    List->SetInternalResizing(false);
    List->SetSizeGripResized(GripResized);
  });
  if (!FMRUList->DroppedDown())
    FMRUList->PrepareActiveItems();
  FMRUList->OwnerFilterItem = [this](const String& AText, bool& Accept) { FilterMRUItem(AText, Accept); };
  if (!FMRUList->FilterItemsTo(List->Items(), Text()) || List->Items()->Count() == 0) {
    MRUListCloseUp(false);
    return;
  }
  const Integer Count = List->Items()->Count();
  List->SetItemHeight(List->GetTextHeight());
  TRect EditRect = CalcEditRect();
  const TRect Host(ClientToScreen(EditRect.TopLeft()), ClientToScreen(EditRect.BottomRight()));
  if (!FMRUList->DroppedDown()) {
    List->SetColor(Color());
    List->SetFont(Font());
    List->SetItemHeight(List->GetTextHeight());
    List->SetItemIndex(-1);
    List->SetWidth(FMRUList->Width() > 0 && FMRUList->Width() > Host.Width() ? FMRUList->Width() : Host.Width());
  }
  List->SetRowCount(std::min(Count, FMRUList->Rows()));
  TPoint P;
  CalcDropDownPosForRectEh(Host, List, 0, P);
  List->SetBounds(P.X, P.Y, List->Width(), List->Height());
  List->Show();
  FMRUList->SetDroppedDown(true);
}

void TDBAxisGridInplaceEdit::MRUListCloseUp(bool Accept)
{
  if (!FMRUList || !FMRUList->DroppedDown() || !FMRUListControl)
    return;
  TMRUListboxEh* List = FMRUListControl;
  if (TControl* Captured = Mouse()->Capture())
    Captured->Perform(WM_CANCELMODE, 0, 0);
  const bool HadFocus = IsInsideControl(List, Screen->ActiveControl());
  List->SetVisible(false);
  if (List->SizeGripResized()) {
    FMRUList->SetRows(List->ResizedRowCount());
    FMRUList->SetWidth(List->ResizedWidth());
  }
  if (HadFocus && CanFocus())
    SetFocus();
  FMRUList->SetDroppedDown(false);
  TCustomDBAxisGridEh* G = GetGrid();
  if (!Accept || ReadOnly() || !G || !G->DataLink()->Edit())
    return;
  const Integer Index = List->ItemIndex();
  if (Index >= 0) {
    SetText(List->Items()->Strings(Index));
    G->SetEditTextValue(Text());
  }
  if (Focused())
    SelectAll();
}

void TDBAxisGridInplaceEdit::MRUListMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y)
{
  if (Button != mbLeft || !FMRUListControl)
    return;
  MRUListCloseUp(FMRUListControl->ListGrid()->ClientRect().Contains(TPoint(X, Y)));
}
