// DBCtrlsEhPaint.cpp: the data-aware editor's look: geometry, height,
// border, own text painting, image, required marker, placeholder, tooltips.
#include "gridlib/editors/DBCtrlsEh.h"

#include "gridlib/foundation/GridsEh.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Themes.h"


#include <cmath>

// ---------------------------------------------------------------------------
// TEditImageEh

TEditImageEh::TEditImageEh(TWinControl* EditControl) : FEditControl(EditControl) {}
TEditImageEh::~TEditImageEh() = default;

void TEditImageEh::Assign(TPersistent* Source)
{
  auto* S = dynamic_cast<TEditImageEh*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  SetImages(S->Images());
  SetImageIndex(S->AssignedImageIndex());
  SetVisible(S->Visible());
  SetWidth(S->Width());
}

void TEditImageEh::SetImageIndex(Integer Value)
{
  FAssignedImageIndex = Value;
  SetShownImageIndex(Value);
}

void TEditImageEh::SetShownImageIndex(Integer Value)
{
  if (FImageIndex == Value)
    return;
  FImageIndex = Value;
  FEditControl->Invalidate();
}

void TEditImageEh::SetImages(TCustomImageList* Value)
{
  if (FImages == Value)
    return;
  FImages = Value;
  if (Value)
    Value->FreeNotification(FEditControl);
  Changed();
}

void TEditImageEh::SetUseImageHeight(bool Value)
{
  if (FUseImageHeight == Value)
    return;
  FUseImageHeight = Value;
  Changed();
}

void TEditImageEh::SetVisible(bool Value)
{
  if (FVisible == Value)
    return;
  FVisible = Value;
  Changed();
}

void TEditImageEh::SetWidth(Integer Value)
{
  if (FWidth == Value)
    return;
  FWidth = Value;
  Changed();
}

bool TEditImageEh::Showing() const { return FVisible && FImages && FImageIndex >= 0; }

Integer TEditImageEh::DrawWidth() const
{
  if (!FVisible || !FImages)
    return 0;
  return (FWidth > 0 ? FWidth : FImages->Width()) + 4;
}

void TEditImageEh::Changed() { FEditControl->Perform(CM_EDITIMAGECHANGEDEH, WPARAM(this)); }

// ---------------------------------------------------------------------------
// The placeholder

TCustomControlEmptyDataInfoEh::TCustomControlEmptyDataInfoEh(TWinControl* Control)
  : FControl(Control), FFont(std::make_unique<TFont>())
{
}

TCustomControlEmptyDataInfoEh::~TCustomControlEmptyDataInfoEh() { FFont->OnChange = nullptr; }

// The defaults come from the descendant, so they are taken once it exists.
void TCustomControlEmptyDataInfoEh::InitDefaults()
{
  if (TFont* F = DefaultFont())
    FFont->Assign(F);
  FFont->SetColor(clSilver);
  FFont->SetStyle(FFont->Style() + TFontStyles{fsItalic});
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
  FAlignment = DefaultAlignment();
  FParentFont = true;
  FColor = clDefault;
}

void TCustomControlEmptyDataInfoEh::FontChanged(TObject*)
{
  if (FUpdatingFont)
    return;
  FParentFont = false;
  Invalidate();
}

void TCustomControlEmptyDataInfoEh::RefreshDefaultFont()
{
  TFont* F = DefaultFont();
  if (!FParentFont || !F)
    return;
  FUpdatingFont = true;
  FFont->SetSize(F->Size());
  FFont->SetName(F->Name());
  FFont->SetCharset(F->Charset());
  FUpdatingFont = false;
}

bool TCustomControlEmptyDataInfoEh::Showing() { return (!FText.isEmpty() || FColor != clDefault) && ControlIsEmpty(); }

TAlignment TCustomControlEmptyDataInfoEh::Alignment() const
{
  return FAlignmentIsStored ? FAlignment : const_cast<TCustomControlEmptyDataInfoEh*>(this)->DefaultAlignment();
}

void TCustomControlEmptyDataInfoEh::SetAlignment(TAlignment Value)
{
  SetAlignmentIsStored(true);
  FAlignment = Value;
  Invalidate();
}

void TCustomControlEmptyDataInfoEh::SetAlignmentIsStored(bool Value)
{
  if (Value && !FAlignmentIsStored)
    FAlignment = DefaultAlignment();
  FAlignmentIsStored = Value;
  Invalidate();
}

void TCustomControlEmptyDataInfoEh::SetColor(TColor Value)
{
  if (FColor == Value)
    return;
  FColor = Value;
  Invalidate();
}

void TCustomControlEmptyDataInfoEh::SetFont(TFont* Value) { FFont->Assign(Value); }

void TCustomControlEmptyDataInfoEh::SetParentFont(bool Value)
{
  if (FParentFont == Value)
    return;
  FParentFont = Value;
  RefreshDefaultFont();
  Invalidate();
}

void TCustomControlEmptyDataInfoEh::SetText(const String& Value)
{
  if (FText == Value)
    return;
  FText = Value;
  Invalidate();
}

TColor TCustomControlEmptyDataInfoEh::ActualColor() { return FColor == clDefault ? DefaultColor() : FColor; }

void TCustomControlEmptyDataInfoEh::Invalidate()
{
  if (FControl)
    FControl->Invalidate();
}

TControlEmptyDataInfoEh::TControlEmptyDataInfoEh(TCustomDBEditEh* Control) : TCustomControlEmptyDataInfoEh(Control) {}
TCustomDBEditEh* TControlEmptyDataInfoEh::EditControl() const { return static_cast<TCustomDBEditEh*>(FControl); }
TAlignment TControlEmptyDataInfoEh::DefaultAlignment() { return EditControl()->Alignment(); }
TFont* TControlEmptyDataInfoEh::DefaultFont() { return EditControl()->Font(); }
bool TControlEmptyDataInfoEh::ControlIsEmpty() { return EditControl()->IsEmpty(); }
void TControlEmptyDataInfoEh::PaintEmptyDataInfo() { EditControl()->PaintEmptyDataInfo(this); }

TRect TToolTipsWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void* AData)
{
  if (auto* F = static_cast<TFont*>(AData))
    Canvas()->Font()->Assign(F);
  return inherited::CalcHintRect(MaxWidth, AHint, AData);
}

void TCustomDBEditEh::InitializeWidget()
{
  inherited::InitializeWidget();
  // The edit window paints itself, then the editor paints what the window
  // does not know.
  SetPaintsOverText(true);
  UpdateHeight();
  FImageWidth = FEditImage->DrawWidth();
  UpdateEditRect();
  UpdateImageIndex();
  UpdateEditReadOnly();
  if (!ComponentState().Contains(csLoading))
    UpdateBorderState();
  // Buttons set up while no window existed (read from a description or
  // made in code) are laid out with the window.
  UpdateEditButtons();
}

// ---------------------------------------------------------------------------
// Geometry

// The part of the widget inside the border, where the client area is.
TRect TCustomDBEditEh::EditClientRect()
{
  const Integer B = BorderStyle() == TBorderStyle::bsSingle ? 2 : 0;
  return TRect(B, B, std::max(B, Width() - B), std::max(B, Height() - B));
}

Integer TCustomDBEditEh::ButtonsWidth() { return FButtonsBox ? FButtonsBox->ButtonsWidth() : 0; }

TRect TCustomDBEditEh::GetEditButtonsRect()
{
  const TRect C = EditClientRect();
  return TRect(C.Right - ButtonsWidth(), C.Top, C.Right, C.Bottom);
}

TRect TCustomDBEditEh::GetImageRect()
{
  const TRect C = EditClientRect();
  return TRect(C.Left, C.Top, C.Left + FImageWidth, C.Bottom);
}

void TCustomDBEditEh::CalcEditRect(TRect& Rect)
{
  Rect.Right -= ButtonsWidth();
  if (FEditImage->Visible() && FEditImage->Images())
    Rect.Left += FImageWidth;
}

TRect TCustomDBEditEh::TextRect()
{
  TRect R = EditClientRect();
  CalcEditRect(R);
  return R;
}

// The gap between the text area's edge and the text, as the edit window
// leaves it.
TPoint TCustomDBEditEh::GetTextMargins() { return TPoint(2, 0); }

// The edit window keeps its text clear of the image and the buttons, which
// stand in the strips beside it.
void TCustomDBEditEh::UpdateEditRect()
{
  FImageWidth = FEditImage->DrawWidth();
  // The editor aligns the text itself while unfocused; the window edits
  // left-aligned.
  const Integer Frame = FFlat && BorderStyle() == TBorderStyle::bsSingle ? 2 : 0;
  SetTextWindowLook(BorderStyle() == TBorderStyle::bsSingle && !FFlat, FImageWidth + Frame, Frame,
                    ButtonsWidth() + Frame, Frame);
  if (FButtonsBox) {
    const TRect R = GetEditButtonsRect();
    FButtonsBox->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    FButtonsBox->SetVisible(R.Width() > 0);
  }
  Invalidate();
}

Integer TCustomDBEditEh::FontHeight()
{
  TCanvas* C = GetCanvas();
  C->Font()->Assign(Font());
  TEXTMETRIC TM;
  GetTextMetrics(C->Handle(), TM);
  return TM.tmHeight;
}

void TCustomDBEditEh::AdjustHeight()
{
  Integer I = FFlat ? 6 : 8;
  Integer H = FontHeight();
  TCustomImageList* Images = FEditImage->Images();
  if (FEditImage->Visible() && Images && FEditImage->UseImageHeight() && Images->Height() > H)
    H = Images->Height();
  I *= GetSystemMetrics(SM_CYBORDER);
  if (Height() != I + H)
    TControl::SetBounds(Left(), Top(), Width(), I + H);
}

void TCustomDBEditEh::UpdateHeight()
{
  if (FAutoSize && BorderStyle() == TBorderStyle::bsSingle) {
    FControlStyle << csFixedHeight;
    AdjustHeight();
  } else {
    FControlStyle.Exclude(csFixedHeight);
  }
}

void TCustomDBEditEh::CMFontChanged(TMessage& Message)
{
  inherited::CMFontChanged(Message);
  if (FControlStyle.Contains(csFixedHeight) && !ComponentState().Contains(csLoading))
    AdjustHeight();
  UpdateEditRect();
  if (FEmptyDataInfo)
    FEmptyDataInfo->RefreshDefaultFont();
  AdjustLabelBounds();
}

void TCustomDBEditEh::WMSize(TMessage& Message)
{
  inherited::WMSize(Message);
  UpdateEditRect();
}

// ---------------------------------------------------------------------------
// Colours and texts

TColor TCustomDBEditEh::GetPaintBackgroundColor()
{
  if (TStyleManager::IsCustomStyleActive())
    return StyleServices()->GetSystemColor(Enabled() ? clWindow : clBtnFace);
  return StyleServices()->GetSystemColor(Color());
}

TColor TCustomDBEditEh::GetPaintFontColor()
{
  if (TStyleManager::IsCustomStyleActive())
    return StyleServices()->GetSystemColor(Enabled() ? clWindowText : clGrayText);
  if (!Enabled())
    return clGrayText;
  return StyleServices()->GetSystemColor(Font()->Color());
}

String TCustomDBEditEh::GetDisplayTextForPaintCopy() const
{
  if (ComponentState().Contains(csDesigning) && !FDataLink->Active())
    return Name();
  if (ControlState().Contains(csPaintCopy) && Field()) {
    const String S = Field()->DisplayText();
    switch (CharCase()) {
    case ecUpperCase: return S.toUpper();
    case ecLowerCase: return S.toLower();
    default: return S;
    }
  }
  return EditText();
}

String TCustomDBEditEh::GetControlLabelCaption()
{
  if (TField* F = Field())
    return F->DisplayName();
  return Name();
}

Integer TCustomDBEditEh::GetControlTextBaseLine()
{
  const Integer Border = GetSystemMetrics(SM_CYBORDER);
  return 2 * Border + FontHeight() + (!FFlat ? 1 : 0);
}

void TCustomDBEditEh::AdjustLabelBounds()
{
  if (!FControlLabel || !FControlLabelLocation)
    return;
  TPoint P;
  FControlLabelLocation->CalcLabelPosForControl(FControlLabel->Width(), FControlLabel->Height(), P);
  FControlLabel->SetBounds(P.X, P.Y, FControlLabel->Width(), FControlLabel->Height());
}

void TCustomDBEditEh::ControlLabelLocationChanged()
{
  if (!ComponentState().Contains(csLoading))
    AdjustLabelBounds();
}

void TCustomDBEditEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  AdjustLabelBounds();
}

void TCustomDBEditEh::SetParent(TWinControl* AParent)
{
  inherited::SetParent(AParent);
  if (FControlLabel) {
    FControlLabel->UpdateParent();
    FControlLabel->UpdateVisibility();
    FControlLabel->UpdateCaption();
    AdjustLabelBounds();
  }
}

void TCustomDBEditEh::CMVisibleChanged(TMessage& Message)
{
  inherited::CMVisibleChanged(Message);
  if (FControlLabel)
    FControlLabel->UpdateVisibility();
}

// ---------------------------------------------------------------------------
// Images and hints

TCustomImageList* TCustomDBEditEh::Images() const { return FEditImage->Images(); }

void TCustomDBEditEh::SetImages(TCustomImageList* Value)
{
  FEditImage->SetImages(Value);
  if (Value)
    FEditImage->SetVisible(true);
}

// A numeric value picks the image (halves go to the even neighbour); any
// other shows the index given to the image.
void TCustomDBEditEh::UpdateImageIndex()
{
  if (!FEditImage || !FEditImage->Visible() || !FEditImage->Images())
    return;
  Integer Index = DefaultImageIndex();
  const Variant V = Value();
  switch (V.VType()) {
  case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
    Index = Integer(std::nearbyint(V.AsDouble()));
    break;
  default:
    break;
  }
  if (OnGetImageIndex)
    OnGetImageIndex(this, Index);
  FEditImage->SetShownImageIndex(Index);
}

void TCustomDBEditEh::UpdateShowHint() { TControl::SetShowHint(FTooltips || FShowHint); }

void TCustomDBEditEh::SetShowHint(bool Value)
{
  FShowHint = Value;
  UpdateShowHint();
}

void TCustomDBEditEh::SetTooltips(bool Value)
{
  FTooltips = Value;
  UpdateShowHint();
}

bool TCustomDBEditEh::TextTruncated()
{
  const TRect Area = TextRect();
  TCanvas* C = GetCanvas();
  C->Font()->Assign(Font());
  TRect R(0, 0, std::max(1, Area.Width()), 0);
  UINT Flags = DT_CALCRECT | DT_NOPREFIX;
  if (FWordWrap)
    Flags |= DT_WORDBREAK;
  ::DrawText(C->Handle(), Text(), -1, R, Flags);
  return Area.Width() - 2 < R.Width() || Area.Height() < R.Height();
}

void TCustomDBEditEh::CMHintShow(TMessage& Message)
{
  auto* Info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (FTooltips && TextTruncated()) {
    Info->HintStr = Text();
    Info->HintPos = ClientToScreen(TPoint(0, Height()));
    Info->HintData = Font();
    Info->HintWindowClass = [](TComponent* Owner) -> THintWindow* { return new TToolTipsWindow(Owner); };
    Message.Result = 0;
    return;
  }
  Message.Result = FShowHint ? 0 : 1;
}

void TCustomDBEditEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_HINTSHOW: CMHintShow(Message); return;
  case CM_EDITIMAGECHANGEDEH:
    UpdateHeight();
    UpdateEditRect();
    UpdateImageIndex();
    return;
  default: inherited::Dispatch(Message); return;
  }
}

// ---------------------------------------------------------------------------
// Border

void TCustomDBEditEh::UpdateBorderState()
{
  const bool Active = ComponentState().Contains(csDesigning) || FFocused || FMouseAboveControl || FAlwaysShowBorder;
  if (Active == FBorderActive)
    return;
  FBorderActive = Active;
  if (FButtonsBox)
    FButtonsBox->SetBorderActive(Active);
  UpdateEditButtonControlsState();
  Invalidate();
}

void TCustomDBEditEh::CMMouseEnter(TMessage& Message)
{
  inherited::CMMouseEnter(Message);
  FMouseAboveControl = true;
  UpdateBorderState();
}

void TCustomDBEditEh::CMMouseLeave(TMessage& Message)
{
  inherited::CMMouseLeave(Message);
  FMouseAboveControl = false;
  UpdateBorderState();
}

// ---------------------------------------------------------------------------
// Painting

// The window shows the text while it edits. Unfocused text is the editor's
// own: aligned as asked, without the selection (which shows only while the
// editor has the focus) and grey while disabled; so are copies painted into
// grids.
bool TCustomDBEditEh::EditPaintsText()
{
  if (ControlState().Contains(csPaintCopy) ||
      (ComponentState().Contains(csDesigning) && !FDataLink->Active()))
    return false;
  return (FFocused && Enabled()) || FWordWrap;
}

void TCustomDBEditEh::PaintWindow(HDC DC)
{
  TControlCanvas* C = GetCanvas();
  C->BindPaintDC(DC);
  if (FEditImage->Showing()) {
    TRect R = GetImageRect();
    R = TRect(R.Left + 2, R.Top + 1, R.Right - 2, R.Bottom - 1);
    DrawImageListImageCenteredEh(C, R, FEditImage->Images(), FEditImage->ImageIndex(), false);
  }
  if (!EditPaintsText())
    PaintOwnText(C);
  // The marker goes over the placeholder's background, which would hide it.
  if (FEmptyDataInfo->Showing())
    FEmptyDataInfo->PaintEmptyDataInfo();
  DrawRequiredState(C);
  if (FFlat && BorderStyle() == TBorderStyle::bsSingle)
    PaintFlatBorder(C);
  C->BindPaintDC(nullptr);
}

void TCustomDBEditEh::PaintOwnText(TCanvas* Canvas)
{
  Canvas->Font()->Assign(Font());
  Canvas->Font()->SetColor(GetPaintFontColor());
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(GetPaintBackgroundColor());
  String S = GetDisplayTextForPaintCopy();
  if (!PasswordChar().isNull())
    S = String(S.size(), PasswordChar());
  const TRect R = TextRect();
  const TPoint M = GetTextMargins();
  const Integer W = Canvas->TextWidth(S);
  Integer X = R.Left + M.X;
  switch (Alignment()) {
  case taRightJustify: X = R.Right - W - M.X; break;
  case taCenter: X = (R.Left + R.Right - W) / 2; break;
  default: break;
  }
  const Integer Y = R.Top + std::max(0, (R.Height() - Canvas->TextHeight(S)) / 2);
  Canvas->TextRect(R, X, Y, S);
}

void TCustomDBEditEh::PaintFlatBorder(TCanvas* Canvas)
{
  TRect R(0, 0, Width(), Height());
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(clBtnFace);
  if (FBorderActive)
    DrawEdge(Canvas->Handle(), R, BDR_SUNKENOUTER, BF_RECT);
  else
    Canvas->FrameRect(R);
  Canvas->FrameRect(TRect(1, 1, Width() - 1, Height() - 1));
}

// A red dotted line under an empty value that must be given.
void TCustomDBEditEh::DrawRequiredState(TCanvas* ACanvas)
{
  bool Draw = false;
  if (FHighlightRequired && FDataLink->Active()) {
    if (FDataLink->DataIndepended()) {
      Draw = VarIsNull(Value()) || Text().isEmpty();
    } else {
      TDataSet* DS = FDataLink->DataSet();
      TField* F = Field();
      Draw = DS && (DS->State() == dsEdit || DS->State() == dsInsert) && F && F->Required() && F->IsNull();
    }
  }
  if (OnCheckDrawRequiredState)
    OnCheckDrawRequiredState(this, Draw);
  if (!Draw)
    return;
  const TRect R = TextRect();
  const Integer Y = EditClientRect().Bottom - 1;
  ACanvas->Pen()->SetColor(clRed);
  ACanvas->Pen()->SetStyle(psDot);
  ACanvas->MoveTo(R.Left + 2, Y);
  ACanvas->LineTo(R.Right - 3, Y);
  ACanvas->Pen()->SetStyle(psSolid);
}

void TCustomDBEditEh::PaintEmptyDataInfo(TCustomControlEmptyDataInfoEh* Info)
{
  TControlCanvas* C = GetCanvas();
  C->Font()->Assign(Info->Font());
  TRect R = EditClientRect();
  R.Left += FImageWidth;
  R.Right -= ButtonsWidth();
  const TPoint M = GetTextMargins();
  const Integer W = C->TextWidth(Info->Text());
  Integer X = FImageWidth + EditClientRect().Left + M.X;
  switch (Info->Alignment()) {
  case taRightJustify: X = R.Right - W - M.X; break;
  case taCenter: X = (R.Right + R.Left - W) / 2; break;
  default: break;
  }
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Info->Color() == clDefault ? GetPaintBackgroundColor() : Info->Color());
  const Integer Y = R.Top + std::max(0, (R.Height() - C->TextHeight(Info->Text())) / 2);
  C->TextRect(R, X, Y, Info->Text());
  // The caret stays visible over the placeholder.
  if (FFocused)
    if (const TRect Caret = CaretRect(); !Caret.IsEmpty()) {
      const Integer X = (Caret.Left + Caret.Right) / 2;
      C->Pen()->SetColor(GetPaintFontColor());
      C->MoveTo(X, Caret.Top);
      C->LineTo(X, Caret.Bottom - 1);
    }
}

// ---------------------------------------------------------------------------
// Registration

void RegisterDBCtrlsEhClasses()
{
  RegisterGridLibFoundationClasses();
  RegisterDBCtrlsEhBoxClasses();
  RegisterDBCtrlsEhButtonsClasses();
  RegisterDBCtrlsEhCheckBoxClasses();
  RegisterClassInfo<TControlEmptyDataInfoEh, TPersistent>("TControlEmptyDataInfoEh")
    .Property("Color", &TControlEmptyDataInfoEh::Color, &TControlEmptyDataInfoEh::SetColor, clDefault)
    .Property("Text", &TControlEmptyDataInfoEh::Text, &TControlEmptyDataInfoEh::SetText)
    .Property("ParentFont", &TControlEmptyDataInfoEh::ParentFont, &TControlEmptyDataInfoEh::SetParentFont, true)
    .Property("Font", &TControlEmptyDataInfoEh::Font, &TControlEmptyDataInfoEh::SetFont)
    .Property("Alignment", &TControlEmptyDataInfoEh::Alignment, &TControlEmptyDataInfoEh::SetAlignment)
    .Stored(&TControlEmptyDataInfoEh::AlignmentIsStored);
  RegisterClassInfo<TEditImageEh, TPersistent>("TEditImageEh")
    .Property("ImageIndex", &TEditImageEh::AssignedImageIndex, &TEditImageEh::SetImageIndex, -1)
    .Property("Images", &TEditImageEh::Images, &TEditImageEh::SetImages)
    .Property("UseImageHeight", &TEditImageEh::UseImageHeight, &TEditImageEh::SetUseImageHeight, true)
    .Property("Visible", &TEditImageEh::Visible, &TEditImageEh::SetVisible, false)
    .Property("Width", &TEditImageEh::Width, &TEditImageEh::SetWidth, 0);
  RegisterClassInfo<TCustomDBEditEh, TCustomMaskEdit>("TCustomDBEditEh");
  RegisterClassInfo<TDBEditEh, TCustomDBEditEh>("TDBEditEh")
    .Property("Alignment", &TDBEditEh::Alignment, &TDBEditEh::SetAlignment)
    .Stored(&TDBEditEh::AlignmentStored)
    .Property("AlwaysShowBorder", &TDBEditEh::AlwaysShowBorder, &TDBEditEh::SetAlwaysShowBorder, false)
    .Property("AutoSize", &TDBEditEh::AutoSize, &TDBEditEh::SetAutoSize, true)
    .Property("ControlLabel", &TDBEditEh::ControlLabel, nullptr)
    .Property("ControlLabelLocation", &TDBEditEh::ControlLabelLocation, nullptr)
    .Property("DataField", &TDBEditEh::DataField, &TDBEditEh::SetDataField)
    .Property("DataSource", &TDBEditEh::DataSource, &TDBEditEh::SetDataSource)
    .Property("DynProps", &TDBEditEh::DynProps, &TDBEditEh::SetDynProps)
    .Property("EditButtons", &TDBEditEh::EditButtons, &TDBEditEh::SetEditButtons)
    .Property("EditMask", &TDBEditEh::EditMask, &TDBEditEh::SetEditMask)
    .Stored(&TDBEditEh::EditMaskStored)
    .Property("EmptyDataInfo", &TDBEditEh::EmptyDataInfo, &TDBEditEh::SetEmptyDataInfo)
    .Property("Flat", &TDBEditEh::Flat, &TDBEditEh::SetFlat, false)
    .Property("HighlightRequired", &TDBEditEh::HighlightRequired, &TDBEditEh::SetHighlightRequired, false)
    .Property("Images", &TDBEditEh::Images, &TDBEditEh::SetImages)
    .Property("MRUList", &TDBEditEh::MRUList, &TDBEditEh::SetMRUList)
    .Property("PasswordChar", &TDBEditEh::PasswordChar, &TDBEditEh::SetPasswordChar, QChar())
    .Property("ReadOnly", &TDBEditEh::ReadOnly, &TDBEditEh::SetReadOnly, false)
    .Property("ShowHint", &TDBEditEh::ShowHint, &TDBEditEh::SetShowHint, false)
    .Property("Text", &TDBEditEh::Text, &TDBEditEh::SetText)
    .Stored(&TDBEditEh::TextStored)
    .Property("Tooltips", &TDBEditEh::Tooltips, &TDBEditEh::SetTooltips, false)
    .Property("WantReturns", &TDBEditEh::WantReturns, &TDBEditEh::SetWantReturns, false)
    .Property("WantTabs", &TDBEditEh::WantTabs, &TDBEditEh::SetWantTabs, false)
    .Property("WordWrap", &TDBEditEh::WordWrap, &TDBEditEh::SetWordWrap, false)
    .Event("OnCheckDrawRequiredState", &TDBEditEh::OnCheckDrawRequiredState)
    .Event("OnCloseDropDownForm", &TDBEditEh::OnCloseDropDownForm)
    .Event("OnGetFieldData", &TDBEditEh::OnGetFieldData)
    .Event("OnGetImageIndex", &TDBEditEh::OnGetImageIndex)
    .Event("OnOpenDropDownForm", &TDBEditEh::OnOpenDropDownForm)
    .Event("OnUpdateData", &TDBEditEh::OnUpdateData);
  RegisterClasses({TDBEditEh::StaticClass()});
}
