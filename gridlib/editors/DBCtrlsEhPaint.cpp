// DBCtrlsEhPaint.cpp: the data-aware editor's look: geometry, height,
// border, own text painting, image, required marker, placeholder, tooltips.
#include "gridlib/editors/DBCtrlsEh.h"

TEditImageEh::TEditImageEh(TWinControl* EditControl) : FEditControl(EditControl) {}
TEditImageEh::~TEditImageEh() = default;
void TEditImageEh::Assign(TPersistent* Source) { inherited::Assign(Source); }
void TEditImageEh::SetImageIndex(Integer Value) { FImageIndex = Value; }
void TEditImageEh::SetImages(TCustomImageList* Value) { FImages = Value; }
void TEditImageEh::SetUseImageHeight(bool Value) { FUseImageHeight = Value; }
void TEditImageEh::SetVisible(bool Value) { FVisible = Value; }
void TEditImageEh::SetWidth(Integer Value) { FWidth = Value; }
bool TEditImageEh::Showing() const { return false; }
Integer TEditImageEh::DrawWidth() const { return 0; }
void TEditImageEh::Changed() {}

TCustomControlEmptyDataInfoEh::TCustomControlEmptyDataInfoEh(TWinControl* Control)
  : FControl(Control), FFont(std::make_unique<TFont>())
{
}
TCustomControlEmptyDataInfoEh::~TCustomControlEmptyDataInfoEh() = default;
TAlignment TCustomControlEmptyDataInfoEh::Alignment() const { return FAlignment; }
void TCustomControlEmptyDataInfoEh::SetAlignment(TAlignment Value) { FAlignment = Value; }
void TCustomControlEmptyDataInfoEh::SetAlignmentIsStored(bool Value) { FAlignmentIsStored = Value; }
void TCustomControlEmptyDataInfoEh::SetColor(TColor Value) { FColor = Value; }
void TCustomControlEmptyDataInfoEh::SetFont(TFont* Value) { FFont->Assign(Value); }
void TCustomControlEmptyDataInfoEh::SetParentFont(bool Value) { FParentFont = Value; }
void TCustomControlEmptyDataInfoEh::SetText(const String& Value) { FText = Value; }
void TCustomControlEmptyDataInfoEh::RefreshDefaultFont() {}
bool TCustomControlEmptyDataInfoEh::Showing() { return false; }
void TCustomControlEmptyDataInfoEh::InitDefaults() {}
TColor TCustomControlEmptyDataInfoEh::ActualColor() { return FColor == clDefault ? DefaultColor() : FColor; }
void TCustomControlEmptyDataInfoEh::Invalidate() {}
void TCustomControlEmptyDataInfoEh::FontChanged(TObject*) {}

TControlEmptyDataInfoEh::TControlEmptyDataInfoEh(TCustomDBEditEh* Control) : TCustomControlEmptyDataInfoEh(Control) {}
TCustomDBEditEh* TControlEmptyDataInfoEh::EditControl() const { return static_cast<TCustomDBEditEh*>(FControl); }
void TControlEmptyDataInfoEh::PaintEmptyDataInfo() {}
TAlignment TControlEmptyDataInfoEh::DefaultAlignment() { return EditControl()->Alignment(); }
TFont* TControlEmptyDataInfoEh::DefaultFont() { return EditControl()->Font(); }
bool TControlEmptyDataInfoEh::ControlIsEmpty() { return EditControl()->IsEmpty(); }

TRect TToolTipsWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void* AData)
{
  return inherited::CalcHintRect(MaxWidth, AHint, AData);
}

TCustomImageList* TCustomDBEditEh::Images() const { return FEditImage->Images(); }
void TCustomDBEditEh::SetImages(TCustomImageList* Value) { FEditImage->SetImages(Value); }
void TCustomDBEditEh::SetShowHint(bool Value) { FShowHint = Value; }
void TCustomDBEditEh::SetTooltips(bool Value) { FTooltips = Value; }
String TCustomDBEditEh::GetControlLabelCaption() { return Field() ? Field()->DisplayName() : Name(); }
Integer TCustomDBEditEh::GetControlTextBaseLine() { return 0; }
String TCustomDBEditEh::GetDisplayTextForPaintCopy() const { return EditText(); }
TColor TCustomDBEditEh::GetPaintBackgroundColor() { return Color(); }
TColor TCustomDBEditEh::GetPaintFontColor() { return Font()->Color(); }
void TCustomDBEditEh::AdjustHeight() {}
void TCustomDBEditEh::AdjustLabelBounds() {}
void TCustomDBEditEh::CalcEditRect(TRect& Rect) { Rect = ClientRect(); }
void TCustomDBEditEh::ControlLabelLocationChanged() {}
void TCustomDBEditEh::DrawRequiredState(TCanvas*) {}
void TCustomDBEditEh::UpdateHeight() {}
void TCustomDBEditEh::UpdateShowHint() {}
void TCustomDBEditEh::UpdateImageIndex() {}
void TCustomDBEditEh::CMMouseEnter(TMessage& Message) { inherited::CMMouseEnter(Message); }
void TCustomDBEditEh::CMMouseLeave(TMessage& Message) { inherited::CMMouseLeave(Message); }
void TCustomDBEditEh::CMFontChanged(TMessage& Message) { inherited::CMFontChanged(Message); }
void TCustomDBEditEh::WMSize(TMessage& Message) { inherited::WMSize(Message); }
QWidget* TCustomDBEditEh::CreateWidget(QWidget* ParentWidget) { return inherited::CreateWidget(ParentWidget); }
void TCustomDBEditEh::InitializeWidget() { inherited::InitializeWidget(); }
void TCustomDBEditEh::PaintWindow(HDC DC) { inherited::PaintWindow(DC); }
bool TCustomDBEditEh::EditPaintsText() { return true; }
void TCustomDBEditEh::PaintOwnText(TCanvas*) {}
void TCustomDBEditEh::UpdateEditRect() {}
void TCustomDBEditEh::UpdateBorderState() {}
TRect TCustomDBEditEh::GetEditButtonsRect() { return TRect(); }
TRect TCustomDBEditEh::GetImageRect() { return TRect(); }
Integer TCustomDBEditEh::ButtonsWidth() { return 0; }
TPoint TCustomDBEditEh::GetTextMargins() { return TPoint(); }
TRect TCustomDBEditEh::TextRect() { return TRect(); }
bool TCustomDBEditEh::TextTruncated() { return false; }
void TCustomDBEditEh::CMHintShow(TMessage&) {}
void TCustomDBEditEh::Dispatch(TMessage& Message) { inherited::Dispatch(Message); }
void TCustomDBEditEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}
void TCustomDBEditEh::SetParent(TWinControl* AParent) { inherited::SetParent(AParent); }

void RegisterDBCtrlsEhClasses() {}
