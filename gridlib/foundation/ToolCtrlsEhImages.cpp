// ToolCtrlsEhImages.cpp: menus that stay open, button images, the graphic
// providers and pictures read from blob fields, picture placement and hints.
#include "gridlib/foundation/ToolCtrlsEh.h"

#include "gridlib/foundation/GridsEh.h"

#include "platform/gui/ImgList.h"
#include "platform/gui/Imaging.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------
// Popup menus.

TPopupListEh* PopupListEh()
{
  static TPopupListEh List;
  return &List;
}

void TPopupListEh::Add(TPopupMenuEh* Menu)
{
  if (std::find(FMenus.begin(), FMenus.end(), Menu) == FMenus.end())
    FMenus.push_back(Menu);
}

void TPopupListEh::Remove(TPopupMenuEh* Menu)
{
  FMenus.erase(std::remove(FMenus.begin(), FMenus.end(), Menu), FMenus.end());
  if (FActiveMenu == Menu)
    FActiveMenu = nullptr;
}

TPopupMenuEh::TPopupMenuEh(TComponent* AOwner) : TPopupMenu(AOwner) { PopupListEh()->Add(this); }

TPopupMenuEh::~TPopupMenuEh() { PopupListEh()->Remove(this); }

void TPopupMenuEh::Popup(Integer X, Integer Y)
{
  TPopupListEh* List = PopupListEh();
  TPopupMenuEh* Outer = List->FActiveMenu;
  List->FActiveMenu = this;
  try {
    inherited::Popup(X, Y);
  } catch (...) {
    List->FActiveMenu = Outer;
    throw;
  }
  List->FActiveMenu = Outer;
}

// ---------------------------------------------------------------------------
// Button images.

void TButtonImagesEh::SetImages(TCustomImageList*& Field, TCustomImageList* Value)
{
  if (Field == Value)
    return;
  Field = Value;
  RefComponentChanged(Value);
}

void TButtonImagesEh::SetIndex(TImageIndex& Field, TImageIndex Value)
{
  if (Field == Value)
    return;
  Field = Value;
  Changed();
}

void TButtonImagesEh::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TButtonImagesEh*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetNormalImages(Src->FNormalImages);
  SetHotImages(Src->FHotImages);
  SetPressedImages(Src->FPressedImages);
  SetDisabledImages(Src->FDisabledImages);
  SetNormalIndex(Src->FNormalIndex);
  SetHotIndex(Src->FHotIndex);
  SetPressedIndex(Src->FPressedIndex);
  SetDisabledIndex(Src->FDisabledIndex);
}

TCustomImageList* TButtonImagesEh::GetStateImages(TEditButtonStateEh State) const
{
  auto OrNormal = [this](TCustomImageList* L) { return L ? L : FNormalImages; };
  switch (State) {
  case ebstNormalEh: return FNormalImages;
  case ebstHotEh: return OrNormal(FHotImages);
  case ebstPressedEh: return OrNormal(FPressedImages);
  case ebstDisabledEh: return OrNormal(FDisabledImages);
  case ebstControlHotEh: break;
  }
  return nullptr;
}

TImageIndex TButtonImagesEh::GetStateIndex(TEditButtonStateEh State) const
{
  switch (State) {
  case ebstNormalEh: return FNormalIndex;
  case ebstHotEh: return FHotIndex;
  case ebstPressedEh: return FPressedIndex;
  case ebstDisabledEh: return FDisabledIndex;
  case ebstControlHotEh: break;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Graphic providers.

static bool StartsWith(const Byte* Data, Integer Size, const char* Magic, Integer MagicSize)
{
  return Data && Size >= MagicSize && std::memcmp(Data, Magic, std::size_t(MagicSize)) == 0;
}

TClass TBMPGraphicProviderEh::GetImageClassForStream(const Byte* Data, Integer Size) const
{
  return StartsWith(Data, Size, "BM", 2) ? TBitmap::StaticClass() : nullptr;
}

TClass TJPEGGraphicProviderEh::GetImageClassForStream(const Byte* Data, Integer Size) const
{
  return StartsWith(Data, Size, "\xFF\xD8\xFF", 3) ? TJPEGImage::StaticClass() : nullptr;
}

TClass TPNGGraphicProviderEh::GetImageClassForStream(const Byte* Data, Integer Size) const
{
  return StartsWith(Data, Size, "\x89PNG\r\n\x1A\n", 8) ? TPngImage::StaticClass() : nullptr;
}

TClass TGIFGraphicProviderEh::GetImageClassForStream(const Byte* Data, Integer Size) const
{
  return StartsWith(Data, Size, "GIF87a", 6) || StartsWith(Data, Size, "GIF89a", 6) ? TGIFImage::StaticClass()
                                                                                     : nullptr;
}

static std::vector<std::unique_ptr<TGraphicProviderEh>>& GraphicProviders()
{
  static std::vector<std::unique_ptr<TGraphicProviderEh>> List = [] {
    // The bitmap provider first, so the later ones are asked before it.
    std::vector<std::unique_ptr<TGraphicProviderEh>> L;
    L.push_back(std::make_unique<TGIFGraphicProviderEh>());
    L.push_back(std::make_unique<TPNGGraphicProviderEh>());
    L.push_back(std::make_unique<TJPEGGraphicProviderEh>());
    L.push_back(std::make_unique<TBMPGraphicProviderEh>());
    return L;
  }();
  return List;
}

void RegisterGraphicProviderEh(std::unique_ptr<TGraphicProviderEh> Provider)
{
  auto& List = GraphicProviders();
  for (const auto& P : List)
    if (P->ClassType() == Provider->ClassType())
      return;
  List.insert(List.begin(), std::move(Provider));
}

TClass GetGraphicClassForStreamEh(const Byte* Data, Integer Size)
{
  for (const auto& P : GraphicProviders())
    if (TClass C = P->GetImageClassForStream(Data, Size))
      return C;
  return nullptr;
}

Integer GraphicProviderCountEh() { return Integer(GraphicProviders().size()); }

// Where the picture starts: after the old 8-byte graphic header (count 1,
// type 0x0100, the size of what follows), or at the first byte.
static qsizetype GraphicStart(const QByteArray& Bytes)
{
  if (Bytes.size() < 8)
    return 0;
  const auto* P = reinterpret_cast<const Byte*>(Bytes.constData());
  auto LittleEndian = [P](Integer At, Integer Count) {
    Cardinal V = 0;
    for (Integer I = Count - 1; I >= 0; --I)
      V = (V << 8) | P[At + I];
    return V;
  };
  const bool Header = LittleEndian(0, 2) == 1 && LittleEndian(2, 2) == 0x0100 &&
                      LittleEndian(4, 4) == Cardinal(Bytes.size() - 8);
  return Header ? 8 : 0;
}

std::unique_ptr<TGraphic> GraphicFromBlobFieldEh(TField* Field)
{
  auto* Blob = dynamic_cast<TBlobField*>(Field);
  if (!Blob)
    return nullptr;
  const QByteArray All = Blob->AsBytes();
  // Blob fields here always allow the old header (the platform's default).
  const QByteArray Bytes = All.mid(GraphicStart(All));
  TClass Class = nullptr;
  if (GraphicProviderCountEh() > 0)
    Class = GetGraphicClassForStreamEh(reinterpret_cast<const Byte*>(Bytes.constData()), Integer(Bytes.size()));
  if (!Class)
    Class = TBitmap::StaticClass();
  std::unique_ptr<TGraphic> Graphic(static_cast<TGraphic*>(Class->CreatePersistent()));
  try {
    Graphic->LoadFromBytes(Bytes);
  } catch (const EInvalidGraphic&) {
    // Unreadable bytes: the graphic stays empty.
  }
  if (auto* Bitmap = dynamic_cast<TBitmap*>(Graphic.get()))
    Bitmap->SetIgnorePalette(true);
  return Graphic;
}

void LoadPictureFromBlobFieldEh(TField* Field, TPicture* Picture)
{
  std::unique_ptr<TGraphic> Graphic = GraphicFromBlobFieldEh(Field);
  Picture->SetGraphic(Graphic.get());
}

std::unique_ptr<TPicture> PictureFromBlobFieldEh(TField* Field)
{
  auto Picture = std::make_unique<TPicture>();
  LoadPictureFromBlobFieldEh(Field, Picture.get());
  return Picture;
}

// ---------------------------------------------------------------------------
// Picture placement.

TRect TPictureEh::GetDestRect(const TRect& SrcRect, Integer PlacementValue) const
{
  auto Placement = TImagePlacementEh(PlacementValue);
  const Integer W = Width(), H = Height();
  const Integer RW = SrcRect.Width(), RH = SrcRect.Height();
  if (Placement == ipReduceFitEh)
    Placement = (W > RW || H > RH) ? ipFitEh : ipCenterCenterEh;
  Integer DW = W, DH = H;
  switch (Placement) {
  case ipFillEh:
    DW = RW;
    DH = RH;
    if (W > 0 && H > 0) {
      DW = Integer(Int64(RH) * W / H);
      if (DW < RW) {
        DW = RW;
        DH = Integer(Int64(RW) * H / W);
      }
    }
    break;
  case ipFitEh:
    DW = RW;
    DH = RH;
    if (W > 0 && H > 0) {
      DH = Integer(Int64(RW) * H / W);
      if (DH > RH) {
        DH = RH;
        DW = Integer(Int64(RH) * W / H);
      }
    }
    break;
  case ipStretchEh:
    DW = RW;
    DH = RH;
    break;
  default:
    break;
  }
  TRect R = Bounds(SrcRect.Left, SrcRect.Top, DW, DH);
  const Integer DX = RW - DW, DY = RH - DH;
  switch (Placement) {
  case ipTopLeftEh: break;
  case ipTopCenterEh: R.Offset(DX / 2, 0); break;
  case ipTopRightEh: R.Offset(DX, 0); break;
  case ipCenterLeftEh: R.Offset(0, DY / 2); break;
  case ipCenterCenterEh: R.Offset(DX / 2, DY / 2); break;
  case ipCenterRightEh: R.Offset(DX, DY / 2); break;
  case ipBottomLeftEh: R.Offset(0, DY); break;
  case ipBottomCenterEh: R.Offset(DX / 2, DY); break;
  case ipBottomRightEh: R.Offset(DX, DY); break;
  case ipFillEh:
    if (DH != RH)
      R.Offset(0, DY / 2);
    else
      R.Offset(DX / 2, 0);
    break;
  case ipFitEh:
    if (DW == RW)
      R.Offset(0, DY / 2);
    else
      R.Offset(DX / 2, 0);
    break;
  default: break;
  }
  return R;
}

void TPictureEh::PaintTo(TCanvas* Canvas, const TRect& DestRect, Integer Placement)
{
  TGraphic* G = Graphic();
  if (!G)
    return;
  if (Placement == ipTileEh && Width() > 0 && Height() > 0) {
    for (Integer Y = DestRect.Top; Y < DestRect.Bottom; Y += Height())
      for (Integer X = DestRect.Left; X < DestRect.Right; X += Width())
        Canvas->Draw(X, Y, G);
    return;
  }
  Canvas->StretchDraw(GetDestRect(DestRect, Placement), G);
}

// ---------------------------------------------------------------------------
// Hints.

void THintWindowEh::ActivateHintData(TRect Rect, const String& AHint, void* AData)
{
  if (AData)
    Font()->Assign(static_cast<TFont*>(AData));
  inherited::ActivateHintData(Rect, AHint, AData);
}

TRect THintWindowEh::CalcHintRect(Integer MaxWidth, const String& AHint, void* AData)
{
  if (AData)
    Font()->Assign(static_cast<TFont*>(AData));
  Font()->SetColor(clWindowText);
  return inherited::CalcHintRect(MaxWidth, AHint, AData);
}
