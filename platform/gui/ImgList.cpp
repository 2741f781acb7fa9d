// ImgList.cpp: image lists held as 32-bit images with alpha.
#include "platform/gui/ImgList.h"

#include "platform/gui/GraphicsQt.h"

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}
TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::Changed()
{
  if (OnChange)
    OnChange(this);
}

// Changing the size clears the list, as the original does.
void TCustomImageList::SetWidth(Integer Value)
{
  if (Value == FWidth)
    return;
  FWidth = std::max(1, Value);
  Clear();
}

void TCustomImageList::SetHeight(Integer Value)
{
  if (Value == FHeight)
    return;
  FHeight = std::max(1, Value);
  Clear();
}

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask)
{
  if (!Image || Image->Empty())
    return -1;
  QImage Src = Image->Image().convertToFormat(QImage::Format_ARGB32);
  if (Mask && !Mask->Empty()) {
    const QImage M = Mask->Image().convertToFormat(QImage::Format_RGB32);
    for (int Y = 0; Y < Src.height() && Y < M.height(); ++Y) {
      auto* Line = reinterpret_cast<QRgb*>(Src.scanLine(Y));
      const auto* MLine = reinterpret_cast<const QRgb*>(M.constScanLine(Y));
      for (int X = 0; X < Src.width() && X < M.width(); ++X)
        if (qGray(MLine[X]) > 127)
          Line[X] = 0;
    }
  }
  const Integer First = Count();
  const Integer Pieces = std::max(1, Src.width() / FWidth);
  for (Integer I = 0; I < Pieces; ++I) {
    QImage Piece(FWidth, FHeight, QImage::Format_ARGB32_Premultiplied);
    Piece.fill(Qt::transparent);
    QPainter P(&Piece);
    P.drawImage(0, 0, Src.copy(I * FWidth, 0, FWidth, FHeight));
    P.end();
    FImages.push_back(Piece);
  }
  Changed();
  return First;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
  if (!Image || Image->Empty())
    return -1;
  TBitmap Copy;
  Copy.Assign(Image);
  const QRgb Key = ToQColor(COLORREF(ColorToRGB(MaskColor == clDefault ? Image->TransparentColor() : MaskColor))).rgb();
  QImage& Img = Copy.Image();
  Img = Img.convertToFormat(QImage::Format_ARGB32);
  for (int Y = 0; Y < Img.height(); ++Y) {
    auto* Line = reinterpret_cast<QRgb*>(Img.scanLine(Y));
    for (int X = 0; X < Img.width(); ++X)
      if ((Line[X] & 0xFFFFFF) == (Key & 0xFFFFFF))
        Line[X] = 0;
  }
  return Add(&Copy, nullptr);
}

Integer TCustomImageList::AddIcon(TIcon* Icon)
{
  if (!Icon || Icon->Empty())
    return -1;
  FImages.push_back(Icon->Image().scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  Changed();
  return Count() - 1;
}

Integer TCustomImageList::Count() const
{
  return Integer(FImages.size());
}

void TCustomImageList::Delete(Integer Index)
{
  if (Index < 0 || Index >= Count())
    throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
  FImages.erase(FImages.begin() + Index);
  Changed();
}

void TCustomImageList::Clear()
{
  FImages.clear();
  Changed();
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask)
{
  if (Index < 0 || Index >= Count())
    throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
  TCustomImageList Tmp(nullptr);
  Tmp.SetWidth(FWidth);
  Tmp.SetHeight(FHeight);
  if (Tmp.Add(Image, Mask) >= 0)
    FImages[std::size_t(Index)] = Tmp.FImages.front();
  Changed();
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled)
{
  if (Index < 0 || Index >= Count())
    return;
  QImage Img = FImages[std::size_t(Index)];
  if (!Enabled) {
    QImage Grey = Img.convertToFormat(QImage::Format_ARGB32);
    for (int Yy = 0; Yy < Grey.height(); ++Yy) {
      auto* Line = reinterpret_cast<QRgb*>(Grey.scanLine(Yy));
      for (int Xx = 0; Xx < Grey.width(); ++Xx) {
        const int G = 128 + qGray(Line[Xx]) / 2;
        Line[Xx] = qRgba(G, G, G, qAlpha(Line[Xx]) / 2);
      }
    }
    Img = Grey;
  }
  HDC DC = Canvas->Handle();
  if (DC->Recorder)
    DC->Recorder->StretchImage(Bounds(X, Y, FWidth, FHeight), Img, Rect(0, 0, Img.width(), Img.height()));
  if (DC->Painter && DC->Painter->isActive()) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->drawImage(X, Y, Img);
  }
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled)
{
  if (Index < 0 || Index >= Count())
    return;
  const bool Blend = ADrawingStyle == dsSelected || ADrawingStyle == dsFocus;
  if (!Blend && AImageType == itImage) {
    Draw(Canvas, X, Y, Index, Enabled);
    return;
  }
  // The shape keeps the image's alpha; its pixels are blackened (mask) or
  // moved towards the blend colour.
  QImage Img = FImages[std::size_t(Index)].convertToFormat(QImage::Format_ARGB32);
  const TColor BlendWith = FBlendColor == clNone || FBlendColor == clDefault ? clHighlight : FBlendColor;
  const QColor B = ToQColor(COLORREF(ColorToRGB(BlendWith)));
  const int Percent = ADrawingStyle == dsSelected ? 50 : 25;
  for (int Yy = 0; Yy < Img.height(); ++Yy) {
    auto* Line = reinterpret_cast<QRgb*>(Img.scanLine(Yy));
    for (int Xx = 0; Xx < Img.width(); ++Xx) {
      const QRgb P = Line[Xx];
      if (AImageType == itMask) {
        Line[Xx] = qRgba(0, 0, 0, qAlpha(P));
        continue;
      }
      auto Mix = [Percent](int C, int T) { return C + (T - C) * Percent / 100; };
      Line[Xx] = qRgba(Mix(qRed(P), B.red()), Mix(qGreen(P), B.green()), Mix(qBlue(P), B.blue()), qAlpha(P));
    }
  }
  HDC DC = Canvas->Handle();
  if (DC->Recorder)
    DC->Recorder->StretchImage(Bounds(X, Y, FWidth, FHeight), Img, Rect(0, 0, Img.width(), Img.height()));
  if (DC->Painter && DC->Painter->isActive()) {
    DC->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    DC->Painter->drawImage(X, Y, Img);
  }
}

void TCustomImageList::GetBitmap(Integer Index, TBitmap* Image)
{
  if (!Image || Index < 0 || Index >= Count())
    return;
  Image->SetSize(FWidth, FHeight);
  Image->Image() = FImages[std::size_t(Index)].convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The stored image data of descriptions is a binary block in the window
// system's own list format; it is read past (the program adds images in code).
void TCustomImageList::DefineProperties(TFiler& Filer)
{
  TComponent::DefineProperties(Filer);
  Filer.DefineBinaryProperty(QStringLiteral("Bitmap"), [](TStream&) {}, nullptr, false);
}

void RegisterImgListClasses()
{
  RegisterEnum<TDrawingStyle>("TDrawingStyle", {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"});
  RegisterEnum<TImageType>("TImageType", {"itImage", "itMask"});
  RegisterClassInfo<TCustomImageList, TComponent>("TCustomImageList")
    .Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor, clNone).Idents(ColorIdentConverter(), ColorIntConverter())
    .Property("BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor, clNone).Idents(ColorIdentConverter(), ColorIntConverter())
    .Property("DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle, dsNormal)
    .Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16)
    .Property("ImageType", &TCustomImageList::ImageType, &TCustomImageList::SetImageType, itImage)
    .Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked, true)
    .Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16)
    .Event("OnChange", &TCustomImageList::OnChange);
  RegisterClassInfo<TImageList, TCustomImageList>("TImageList");
}
