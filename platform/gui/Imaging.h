// Imaging.h: pictures in the compressed formats that arrive in files and blob
// fields: JPEG (read with libjpeg), PNG and GIF (Qt's readers). Each keeps
// the bytes it was read from and draws from a bitmap of the decoded pixels.
#pragma once

#include "platform/gui/Graphics.h"

#include <memory>

class TEncodedImage : public TGraphic {
  VELMORA_CLASS(TEncodedImage)
  using inherited = TGraphic;
public:
  TEncodedImage();
  ~TEncodedImage() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override;
  Integer Width() const override;
  void SetWidth(Integer) override {}
  Integer Height() const override;
  void SetHeight(Integer) override {}
  // EInvalidGraphic when the bytes are not a picture of this format; the
  // picture is then left as it was.
  void LoadFromBytes(const QByteArray& Bytes) override;
  QByteArray SaveToBytes() const override { return FData; }
  // The decoded pixels.
  TBitmap* Bitmap() const { return FBitmap.get(); }

protected:
  // Decodes Bytes into Into; raises EInvalidGraphic on damaged data.
  virtual void Decode(const QByteArray& Bytes, TBitmap& Into) const = 0;
  void Draw(TCanvas* ACanvas, const TRect& R) override;

private:
  std::unique_ptr<TBitmap> FBitmap;
  QByteArray FData;
};

class TJPEGImage : public TEncodedImage {
  VELMORA_CLASS(TJPEGImage)
protected:
  void Decode(const QByteArray& Bytes, TBitmap& Into) const override;
};

class TPngImage : public TEncodedImage {
  VELMORA_CLASS(TPngImage)
protected:
  void Decode(const QByteArray& Bytes, TBitmap& Into) const override;
};

class TGIFImage : public TEncodedImage {
  VELMORA_CLASS(TGIFImage)
protected:
  void Decode(const QByteArray& Bytes, TBitmap& Into) const override;
};

// Registers the three classes by name.
void RegisterImagingClasses();
