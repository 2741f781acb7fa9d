// Imaging.cpp: JPEG through libjpeg, PNG and GIF through Qt's image readers.
#include "platform/gui/Imaging.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

TEncodedImage::TEncodedImage() : FBitmap(std::make_unique<TBitmap>()) {}
TEncodedImage::~TEncodedImage() = default;

void TEncodedImage::Assign(TPersistent* Source)
{
  auto* Src = dynamic_cast<TEncodedImage*>(Source);
  if (!Src || Src->ClassType() != ClassType()) {
    inherited::Assign(Source);
    return;
  }
  FData = Src->FData;
  FBitmap->Assign(Src->FBitmap.get());
  Changed();
}

bool TEncodedImage::Empty() const { return FBitmap->Empty(); }
Integer TEncodedImage::Width() const { return FBitmap->Width(); }
Integer TEncodedImage::Height() const { return FBitmap->Height(); }

void TEncodedImage::LoadFromBytes(const QByteArray& Bytes)
{
  auto Decoded = std::make_unique<TBitmap>();
  Decode(Bytes, *Decoded);
  FBitmap = std::move(Decoded);
  FData = Bytes;
  Changed();
}

void TEncodedImage::Draw(TCanvas* ACanvas, const TRect& R)
{
  ACanvas->StretchDraw(R, FBitmap.get());
}

static void SetPixels(TBitmap& Into, const QImage& Image)
{
  Into.SetSize(Image.width(), Image.height());
  Into.Image() = Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// ---------------------------------------------------------------------------

namespace {

struct TJpegErrorManager {
  jpeg_error_mgr Std;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void JpegErrorExit(j_common_ptr Info)
{
  auto* Err = reinterpret_cast<TJpegErrorManager*>(Info->err);
  (*Info->err->format_message)(Info, Err->Message);
  std::longjmp(Err->Jump, 1);
}

// Warnings (a picture cut short, say) keep what was read.
void JpegOutputMessage(j_common_ptr) {}

// Decodes into Pixels (allocated by the caller, so that nothing set up after
// setjmp has to survive the jump); answers the library's message on failure.
bool DecodeJpeg(const QByteArray& Bytes, QImage& Pixels, QByteArray& Error)
{
  jpeg_decompress_struct Info{};
  TJpegErrorManager Err;
  Info.err = jpeg_std_error(&Err.Std);
  Err.Std.error_exit = JpegErrorExit;
  Err.Std.output_message = JpegOutputMessage;
  if (setjmp(Err.Jump)) {
    jpeg_destroy_decompress(&Info);
    Error = Err.Message;
    return false;
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, reinterpret_cast<const unsigned char*>(Bytes.constData()), static_cast<unsigned long>(Bytes.size()));
  jpeg_read_header(&Info, TRUE);
  const bool Cmyk = Info.jpeg_color_space == JCS_CMYK || Info.jpeg_color_space == JCS_YCCK;
  Info.out_color_space = Cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&Info);
  Pixels = QImage(Integer(Info.output_width), Integer(Info.output_height), QImage::Format_RGB32);
  std::vector<JSAMPLE> Row(std::size_t(Info.output_width) * std::size_t(Info.output_components));
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Rows[1] = {Row.data()};
    const Integer Y = Integer(Info.output_scanline);
    jpeg_read_scanlines(&Info, Rows, 1);
    auto* Out = reinterpret_cast<QRgb*>(Pixels.scanLine(Y));
    for (JDIMENSION X = 0; X < Info.output_width; ++X) {
      const JSAMPLE* P = Row.data() + std::size_t(X) * std::size_t(Info.output_components);
      if (Cmyk) {
        // Stored inverted, as the common writers store it.
        Out[X] = qRgb(P[0] * P[3] / 255, P[1] * P[3] / 255, P[2] * P[3] / 255);
      } else {
        Out[X] = qRgb(P[0], P[1], P[2]);
      }
    }
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  return true;
}

QImage ReadWithQt(const QByteArray& Bytes, const char* Format)
{
  QByteArray Copy = Bytes;
  QBuffer Buffer(&Copy);
  Buffer.open(QIODevice::ReadOnly);
  QImageReader Reader(&Buffer, Format);
  Reader.setDecideFormatFromContent(false);
  QImage Img = Reader.read();
  if (Img.isNull())
    throw EInvalidGraphic(QStringLiteral("%1 image is not valid: %2")
                            .arg(QString::fromLatin1(Format).toUpper(), Reader.errorString()));
  return Img;
}

} // namespace

void TJPEGImage::Decode(const QByteArray& Bytes, TBitmap& Into) const
{
  auto Pixels = std::make_unique<QImage>();
  QByteArray Error;
  if (!DecodeJpeg(Bytes, *Pixels, Error))
    throw EInvalidGraphic(QStringLiteral("JPEG image is not valid: %1").arg(QString::fromLatin1(Error)));
  SetPixels(Into, *Pixels);
}

void TPngImage::Decode(const QByteArray& Bytes, TBitmap& Into) const { SetPixels(Into, ReadWithQt(Bytes, "png")); }

void TGIFImage::Decode(const QByteArray& Bytes, TBitmap& Into) const { SetPixels(Into, ReadWithQt(Bytes, "gif")); }

void RegisterImagingClasses()
{
  RegisterClassInfo<TEncodedImage, TGraphic>("TEncodedImage");
  RegisterClassInfo<TJPEGImage, TEncodedImage>("TJPEGImage");
  RegisterClassInfo<TPngImage, TEncodedImage>("TPngImage");
  RegisterClassInfo<TGIFImage, TEncodedImage>("TGIFImage");
}
