// DBAxisGridsEhOperations.cpp: what a user does with a bar's current cell
// (copy, cut, paste, clear, load and save a picture), the bar's system menu,
// the events around drop-down forms, and the behaviour object the axis grids
// share for the default actions of edit buttons.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/editors/MemoEditFormsEh.h"
#include "gridlib/foundation/GridPlatformEh.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/DialogsCommon.h"
#include "platform/rtl/ScopeExit.h"

static const QLatin1String PictureFileFilter(
  "Pictures (*.bmp *.png *.jpg *.jpeg *.gif)|*.bmp;*.png;*.jpg;*.jpeg;*.gif|All files (*)|*");

static bool IsPictureBar(TAxisBarEh* Bar)
{
  return Bar->GetBarType() == ctGraphicData;
}

static bool IsTextFieldType(TFieldType Type)
{
  switch (Type) {
  case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftOraClob: case ftGuid:
  case ftFixedWideChar: case ftWideMemo:
    return true;
  default:
    return false;
  }
}

// Puts the field's dataset into edit state; false when it stays elsewhere.
static bool EditFieldDataSet(TField* Field)
{
  TDataSet* DataSet = Field->DataSet();
  if (!DataSet)
    return false;
  DataSet->Edit();
  return DataSet->State() == dsEdit || DataSet->State() == dsInsert;
}

static void AssignGraphicToField(TField* Field, TGraphic* Graphic)
{
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  if (!Blob)
    return;
  if (!Graphic || Graphic->Empty())
    Blob->Clear();
  else
    Blob->SetAsBytes(Graphic->SaveToBytes());
}

// Drops Menu under a button control, as a press on the button does; the
// press that opened it is not delivered again.
void PopupMenuUnderControl(TPopupMenu* Menu, TEditButtonControlEh* Control)
{
  TPoint P = Control->ClientToScreen(TPoint(0, Control->Height()));
  if (Menu->Alignment() == paRight)
    P.X += Control->Width();
  Menu->Popup(P.X, P.Y);
  SkipPendingMouseDownEh(Control);
  Control->Perform(WM_LBUTTONUP, 0, 0);
}

// ---------------------------------------------------------------------------
// Operations of a bar

bool TAxisBarEh::CanModifyValue()
{
  TField* F = Field();
  if (!F || ReadOnly() || !F->CanModify())
    return false;
  TCustomDBAxisGridEh* G = Grid();
  return !G || (!G->ReadOnly() && !G->DataLink()->ReadOnly());
}

bool TAxisBarEh::ClipboardHoldsPastable() const
{
  return const_cast<TAxisBarEh*>(this)->GetBarType() == ctGraphicData ? Clipboard()->HasFormat(CF_BITMAP)
                                                                      : Clipboard()->HasFormat(CF_TEXT);
}

void TAxisBarEh::CopyValueToClipboard()
{
  if (!IsPictureBar(this)) {
    Clipboard()->SetAsText(EditText());
    return;
  }
  std::unique_ptr<TPicture> Picture = GetPictureFromBlobField();
  if (Picture && Picture->Graphic() && !Picture->Graphic()->Empty())
    Clipboard()->Assign(Picture.get());
}

void TAxisBarEh::CutValueToClipboard()
{
  CopyValueToClipboard();
  ClearValue();
}

void TAxisBarEh::PasteValueFromClipboard()
{
  TField* F = Field();
  if (!F || !CanModifyValue())
    return;
  if (IsPictureBar(this)) {
    if (!Clipboard()->HasFormat(CF_BITMAP))
      return;
    auto Picture = std::make_unique<TPicture>();
    if (!Clipboard()->AssignTo(Picture.get()) || !EditFieldDataSet(F))
      return;
    AssignGraphicToField(F, Picture->Graphic());
    return;
  }
  if (!Clipboard()->HasFormat(CF_TEXT) || !EditFieldDataSet(F))
    return;
  F->SetAsString(Clipboard()->AsText());
}

void TAxisBarEh::ClearValue()
{
  TField* F = Field();
  if (!F || !CanModifyValue() || !EditFieldDataSet(F))
    return;
  F->Clear();
}

void TAxisBarEh::LoadFromFileDialog()
{
  TField* F = Field();
  TCustomDBAxisGridEh* G = Grid();
  if (!F || !G || !IsPictureBar(this) || !CanModifyValue())
    return;
  auto Dialog = std::make_unique<TOpenDialog>(nullptr);
  Dialog->Title = QStringLiteral("Load Picture");
  Dialog->Filter = PictureFileFilter;
  Dialog->Options.Include(ofFileMustExist);
  if (!Dialog->Execute())
    return;
  G->DataLink()->Edit();
  if (!G->DataLink()->Editing())
    return;
  auto Picture = std::make_unique<TPicture>();
  Picture->LoadFromFile(Dialog->FileName);
  AssignGraphicToField(F, Picture->Graphic());
}

void TAxisBarEh::SaveToFileDialog()
{
  TField* F = Field();
  if (!F || F->IsNull() || !IsPictureBar(this))
    return;
  std::unique_ptr<TPicture> Picture = GetPictureFromBlobField();
  if (!Picture || !Picture->Graphic() || Picture->Graphic()->Empty())
    return;
  auto Dialog = std::make_unique<TSaveDialog>(nullptr);
  Dialog->Title = QStringLiteral("Save Picture");
  Dialog->Filter = PictureFileFilter;
  Dialog->Options.Include(ofOverwritePrompt);
  if (!Dialog->Execute())
    return;
  Picture->SaveToFile(Dialog->FileName);
}

std::unique_ptr<TPicture> TAxisBarEh::GetPictureFromBlobField()
{
  TCustomDBAxisGridEh* G = Grid();
  return G ? G->LoadBarPicture(this) : nullptr;
}

TPopupMenu* TAxisBarEh::GetPopupMenu()
{
  return FPopupMenu ? FPopupMenu : GetSystemPopupMenu();
}

TPopupMenu* TAxisBarEh::GetSystemPopupMenu()
{
  if (!FSystemPopupMenu)
    FSystemPopupMenu = std::make_unique<TPopupMenu>(nullptr);
  FormSystemPopupMenu(FSystemPopupMenu.get());
  return FSystemPopupMenu.get();
}

void TAxisBarEh::FormSystemPopupMenu(TPopupMenu* Menu)
{
  Menu->Items()->Clear();
  if (TCustomDBAxisGridEh* G = Grid())
    G->FormAxisBarSystemPopupMenu(this, Menu);
}

void TAxisBarEh::CellDataLinkClick()
{
  if (OnCellDataLinkClick)
    OnCellDataLinkClick(Grid(), this);
}

void TAxisBarEh::DoOpenDropDownForm(TWinControl* EditControl, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                    TDynVarsEh* DynParams)
{
  (void)EditControl;
  if (OnOpenDropDownForm)
    OnOpenDropDownForm(Grid(), this, Button, DropDownForm, DynParams);
}

void TAxisBarEh::DoCloseDropDownForm(TWinControl* EditControl, TEditButtonEh* Button, bool Accept,
                                     TCustomForm* DropDownForm, TDynVarsEh* DynParams)
{
  (void)EditControl;
  if (OnCloseDropDownForm)
    OnCloseDropDownForm(Grid(), this, Button, Accept, DropDownForm, DynParams);
}

TCustomForm* TAxisBarEh::GetDefaultDropDownForm(bool& FreeFormOnClose)
{
  if (IsPictureBar(this))
    return nullptr;
  TCustomForm* Form = TMemoEditWinEh::GlobalRef();
  if (Form)
    FreeFormOnClose = false;
  return Form;
}

// ---------------------------------------------------------------------------
// The edit-buttons box of a picture bar

bool TAxisBarEh::UseEditButtonsBox()
{
  return GetBarType() == ctGraphicData && !TextEditing();
}

void TAxisBarEh::InitEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& Rect)
{
  if (!UseEditButtonsBox())
    return;
  Box->OnDown = [this](TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    EditButtonsBoxButtonDown(Sender, TopButton, AutoRepeat, Handled);
  };
  Box->OnClick = [this](TObject* Sender) { EditButtonsBoxButtonClick(Sender); };
  Box->OnMouseMove = [this](TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
    EditButtonsBoxMouseMove(Sender, Shift, X, Y);
  };
  Box->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    EditButtonsBoxMouseUp(Sender, Button, Shift, X, Y);
  };
  LayoutEditButtonsBox(Box, Rect);
  UpdateEditButtonsBoxState(Box);
}

void TAxisBarEh::LayoutEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& Rect)
{
  if (!Box->OnCreateEditButtonControl)
    Box->OnCreateEditButtonControl = [Box](TEditButtonControlEh*& Control) { Control = new TEditButtonControlEh(Box); };
  Box->BeginLayout();
  {
    ScopeExit EndLayout([Box] { Box->EndLayout(); });
    Box->SetButtonsCount(1 + FEditButtons->Count());
    Box->SetEditButton(0, FEditButton.get());
    for (Integer I = 0; I < FEditButtons->Count(); ++I)
      Box->SetEditButton(I + 1, FEditButtons->Items(I));
    TCustomDBAxisGridEh* G = Grid();
    Box->SetFlat(G && G->Flat());
    Box->SetMaxButtonHeight(Rect.Height());
  }
  const Integer Width = Box->ButtonsWidth();
  if (Width <= 0) {
    Box->SetVisible(false);
    return;
  }
  Box->SetBounds(Rect.Right - Width, Rect.Top, Width, Rect.Height());
  Box->SetVisible(true);
}

static bool HasButtonHandler(TEditButtonEh* Button)
{
  return bool(Button->OnClick) || bool(Button->OnDown);
}

void TAxisBarEh::UpdateEditButtonsBoxState(TEditButtonsBoxEh* Box)
{
  Box->SetBorderActive(true);
  Box->UpdateEditButtonControlsState();
  // At most one button, the first without handlers, takes the default action.
  bool Taken = FEditButton->Visible() && !HasButtonHandler(FEditButton.get());
  FEditButton->SetParentDefinedDefaultAction(Taken);
  for (Integer I = 0; I < FEditButtons->Count(); ++I) {
    TEditButtonEh* Button = FEditButtons->Items(I);
    const bool Holds = !Taken && !HasButtonHandler(Button);
    Button->SetParentDefinedDefaultAction(Holds);
    Taken = Taken || Holds;
  }
}

// The button a control of the box shows; nullptr for a foreign control.
static TEditButtonEh* BoxButtonOf(TObject* Control, bool& Main)
{
  auto* C = dynamic_cast<TEditButtonControlEh*>(Control);
  auto* Box = C ? dynamic_cast<TEditButtonsBoxEh*>(C->Parent()) : nullptr;
  if (!Box)
    return nullptr;
  const TEditButtonControlList& List = Box->BtnCtlList();
  for (std::size_t I = 0; I < List.size(); ++I)
    if (List[I].EditButtonControl == C) {
      Main = I == 0;
      return List[I].EditButton;
    }
  return nullptr;
}

void TAxisBarEh::EditButtonsBoxButtonClick(TObject* Control)
{
  TCustomDBAxisGridEh* G = Grid();
  bool Main = false;
  TEditButtonEh* Button = BoxButtonOf(Control, Main);
  if (!G || !Button)
    return;
  const TCellButtonStyleEh Style = ButtonStyle();
  if (Main && (Style == cbsEllipsis || Style == cbsDropDown || Style == cbsAltDropDown))
    G->EditButtonClick();
  bool Handled = false;
  if (Main) {
    if (Button->OnClick)
      Button->OnClick(Control, Handled);
  } else {
    Button->Click(Control, Handled);
  }
  if (!Handled && Button->DefaultAction())
    G->EditButtonDefaultAction(this, nullptr, nullptr, Button, static_cast<TEditButtonControlEh*>(Control), TRect(),
                               false, Handled);
}

void TAxisBarEh::EditButtonsBoxButtonDown(TObject* Control, bool TopButton, bool& AutoRepeat, bool& Handled)
{
  Handled = false;
  TCustomDBAxisGridEh* G = Grid();
  bool Main = false;
  TEditButtonEh* Button = BoxButtonOf(Control, Main);
  if (!G || !Button)
    return;
  if (G->CanFocus())
    G->SetFocus();
  auto* ButtonControl = static_cast<TEditButtonControlEh*>(Control);
  if (Button->OnDown)
    Button->OnDown(Control, TopButton, AutoRepeat, Handled);
  if (!Main && !Handled && Button->DropdownMenu()) {
    PopupMenuUnderControl(Button->DropdownMenu(), ButtonControl);
    Handled = true;
  }
  if (!Handled && Button->DefaultAction())
    G->EditButtonDefaultAction(this, nullptr, nullptr, Button, ButtonControl, TRect(), true, Handled);
}

// ---------------------------------------------------------------------------
// The grid's requests

TDBAxisGridEhCenter* TCustomDBAxisGridEh::DefaultCenter()
{
  return DBAxisGridEhCenter();
}

void TCustomDBAxisGridEh::EditButtonDefaultAction(TAxisBarEh* AxisBar, TWinControl* EditControl, TObject* PlaceBox,
                                                  TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                  const TRect& EditorRect, bool IsMouseDown, bool& Handled)
{
  DefaultCenter()->EditButtonDefaultAction(this, AxisBar, EditControl, PlaceBox, EditButton, EditButtonControl,
                                           EditorRect, IsMouseDown, Handled);
}

void TCustomDBAxisGridEh::FormAxisBarSystemPopupMenu(TAxisBarEh* AxisBar, TPopupMenu* Menu)
{
  DefaultCenter()->FormSystemPopupMenuForColumn(this, AxisBar, Menu);
}

// ---------------------------------------------------------------------------
// TDBAxisGridEhCenter

void TDBAxisGridEhCenter::EditButtonDefaultAction(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                  TWinControl* EditControl, TObject* PlaceBox,
                                                  TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                                  const TRect& EditorRect, bool IsMouseDown, bool& Handled)
{
  const TAxisBarEhType Type = AxisBar->GetBarType();
  if (Type == ctGraphicData && !AxisBar->TextEditing()) {
    EditButtonDefaultActionForImage(Grid, AxisBar, EditControl, EditButton, EditButtonControl, IsMouseDown,
                                    Handled);
    return;
  }
  TField* F = AxisBar->Field();
  if (Type == ctCommon && F && IsTextFieldType(F->DataType()))
    EditButtonDefaultActionText(Grid, AxisBar, EditControl, PlaceBox, EditButton, EditButtonControl, EditorRect,
                                IsMouseDown, Handled);
}

static bool IsDropDownStyle(TEditButtonEh* Button)
{
  return Button->Style() == ebsDropDownEh || Button->Style() == ebsAltDropDownEh;
}

void TDBAxisGridEhCenter::EditButtonDefaultActionForImage(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                          TWinControl* EditControl, TEditButtonEh* EditButton,
                                                          TEditButtonControlEh* EditButtonControl, bool IsMouseDown,
                                                          bool& Handled)
{
  (void)Grid;
  (void)EditControl;
  if (!IsMouseDown || !IsDropDownStyle(EditButton) || !EditButtonControl)
    return;
  TPopupMenu* Menu = AxisBar->GetPopupMenu();
  if (!Menu)
    return;
  PopupMenuUnderControl(Menu, EditButtonControl);
  Handled = true;
}

void TDBAxisGridEhCenter::EditButtonDefaultActionText(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                      TWinControl* EditControl, TObject* PlaceBox,
                                                      TEditButtonEh* EditButton,
                                                      TEditButtonControlEh* EditButtonControl,
                                                      const TRect& EditorRect, bool IsMouseDown, bool& Handled)
{
  (void)PlaceBox;
  if (IsMouseDown && IsDropDownStyle(EditButton)) {
    TDropDownFormCallParamsEh* Params = EditButton->DropDownFormParams();
    Params->FEditButtonControl = EditButtonControl;
    Params->FEditButton = EditButton;
    Params->FDataLink = Grid->DataLink();
    Params->FField = AxisBar->Field();
    Params->FOnGetActualDropDownFormProc = [AxisBar](TCustomForm*& Form, bool& FreeFormOnClose) {
      Form = AxisBar->GetDefaultDropDownForm(FreeFormOnClose);
    };
    Params->FEditControl = Grid->InplaceEditorVisible() ? EditControl : nullptr;
    if (!Params->FEditControl)
      Params->FEditControlScreenRect = EditorRect;
    Params->CheckShowDropDownForm(Handled);
    return;
  }
  if (IsMouseDown || EditButton->Style() != ebsEllipsisEh)
    return;
  const bool HasEditor = EditControl && Grid->InplaceEditorVisible();
  String Text = HasEditor ? Grid->InplaceEditor()->Text() : AxisBar->DisplayText();
  const bool ReadOnly = !AxisBar->CanModify(false);
  if (!EditMemoTextProcEh()(Text, EditorRect, ReadOnly))
    return;
  Handled = true;
  if (ReadOnly)
    return;
  Grid->DataLink()->Edit();
  if (!HasEditor) {
    if (TField* F = AxisBar->Field())
      F->SetText(Text);
    return;
  }
  // Only the editor's text is the grid's to write back: without an editor
  // the grid's edit text is another cell's and must not reach the data.
  Grid->InplaceEditor()->SetText(Text);
  Grid->UpdateText();
  Grid->UpdateData();
}

// One command of a bar's system menu.
static void AddBarMenuItem(TPopupMenu* Menu, TAxisBarEh* AxisBar, const char* Caption, TNotifyEvent OnClick)
{
  auto* Item = new TAxisBarEhMenuItem(Menu);
  Item->SetCaption(QString::fromLatin1(Caption));
  Item->AxisBar = AxisBar;
  Item->OnClick = std::move(OnClick);
  Menu->Items()->Add(Item);
}

void TDBAxisGridEhCenter::FormSystemPopupMenuForColumn(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                       TPopupMenu* Menu)
{
  (void)Grid;
  // Only commands that can act are offered: paste needs a format the bar
  // takes, load and save exist for pictures only.
  const bool Editable = AxisBar->CanModifyValue();
  const bool Picture = AxisBar->GetBarType() == ctGraphicData;
  TField* F = AxisBar->Field();
  if (Editable)
    AddBarMenuItem(Menu, AxisBar, "Cut", [this](TObject* S) { MenuItemCut(S); });
  AddBarMenuItem(Menu, AxisBar, "Copy", [this](TObject* S) { MenuItemCopy(S); });
  if (Editable && AxisBar->ClipboardHoldsPastable())
    AddBarMenuItem(Menu, AxisBar, "Paste", [this](TObject* S) { MenuItemPaste(S); });
  if (Editable)
    AddBarMenuItem(Menu, AxisBar, "Delete", [this](TObject* S) { MenuItemDelete(S); });
  if (!Picture)
    return;
  AddBarMenuItem(Menu, AxisBar, "-", nullptr);
  if (Editable)
    AddBarMenuItem(Menu, AxisBar, "Load...", [this](TObject* S) { MenuItemLoad(S); });
  if (F && !F->IsNull())
    AddBarMenuItem(Menu, AxisBar, "Save...", [this](TObject* S) { MenuItemSave(S); });
}

static TAxisBarEh* MenuItemBar(TObject* Sender)
{
  auto* Item = dynamic_cast<TAxisBarEhMenuItem*>(Sender);
  return Item ? Item->AxisBar : nullptr;
}

void TDBAxisGridEhCenter::MenuItemCopy(TObject* Sender)
{
  if (TAxisBarEh* Bar = MenuItemBar(Sender))
    Bar->CopyValueToClipboard();
}

void TDBAxisGridEhCenter::MenuItemCut(TObject* Sender)
{
  if (TAxisBarEh* Bar = MenuItemBar(Sender))
    Bar->CutValueToClipboard();
}

void TDBAxisGridEhCenter::MenuItemPaste(TObject* Sender)
{
  if (TAxisBarEh* Bar = MenuItemBar(Sender))
    Bar->PasteValueFromClipboard();
}

void TDBAxisGridEhCenter::MenuItemDelete(TObject* Sender)
{
  if (TAxisBarEh* Bar = MenuItemBar(Sender))
    Bar->ClearValue();
}

void TDBAxisGridEhCenter::MenuItemLoad(TObject* Sender)
{
  if (TAxisBarEh* Bar = MenuItemBar(Sender))
    Bar->LoadFromFileDialog();
}

void TDBAxisGridEhCenter::MenuItemSave(TObject* Sender)
{
  if (TAxisBarEh* Bar = MenuItemBar(Sender))
    Bar->SaveToFileDialog();
}

// ---------------------------------------------------------------------------
// Unit-wide objects, made on first use and kept to the end of the program.

TDBAxisGridEhCenter* DBAxisGridEhCenter()
{
  static const std::unique_ptr<TDBAxisGridEhCenter> Center = std::make_unique<TDBAxisGridEhCenter>();
  return Center.get();
}

TCursor DBAxisGridDownCursorEh()
{
  static const TCursor Cursor = LoadRegisterCursorEh(QStringLiteral("DOWNCUREH"));
  return Cursor;
}

TCursor DBAxisGridRightCursorEh()
{
  static const TCursor Cursor = LoadRegisterCursorEh(QStringLiteral("RIGHTCUREH"));
  return Cursor;
}

TCursor DBAxisGridLeftCursorEh()
{
  static const TCursor Cursor = LoadRegisterCursorEh(QStringLiteral("LEFTCUREH"));
  return Cursor;
}

bool DBAxisGridTitleDragWindowUnbufferedEh = false;
