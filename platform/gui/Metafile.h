// Metafile.h: enhanced metafiles: drawing recorded as the documented EMF
// records, saved and loaded as .emf bytes, replayed onto any canvas at any
// scale, and walked record by record.
#pragma once

#include "platform/gui/Graphics.h"

#include <functional>
#include <memory>

// Record types written and played.
enum : UINT {
  EMR_HEADER = 1, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYPOLYLINE = 7,
  EMR_SETWINDOWEXTEX = 9, EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14, EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27, EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36,
  EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
  EMR_LINETO = 54, EMR_GDICOMMENT = 70, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
  EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84
};

// One record: its type and all its bytes (type and size included).
struct TEnhMetaRecord {
  UINT iType = 0;
  QByteArray Bytes;
};

// The text of an EMR_EXTTEXTOUTW record.
struct TEmrText {
  TPoint Reference;
  UINT Options = 0;
  TRect Rect;
  String Text;
};
bool DecodeExtTextOut(const TEnhMetaRecord& Record, TEmrText& Text);

class TMetafileCanvas;
class TEmfRecorder;

class TMetafile : public TGraphic {
  VELMORA_CLASS(TMetafile)
  using inherited = TGraphic;
public:
  TMetafile();
  ~TMetafile() override;
  void Assign(TPersistent* Source) override;
  void Clear();

  bool Empty() const override { return FData.isEmpty(); }
  // Size in logical pixels (96 per inch).
  Integer Width() const override { return FWidth; }
  void SetWidth(Integer Value) override;
  Integer Height() const override { return FHeight; }
  void SetHeight(Integer Value) override;
  // Size in hundredths of a millimetre.
  Integer MMWidth() const;
  void SetMMWidth(Integer Value);
  Integer MMHeight() const;
  void SetMMHeight(Integer Value);
  bool Enhanced() const { return true; }
  String Description() const;
  String CreatedBy() const;

  void LoadFromBytes(const QByteArray& Bytes) override;   // EInvalidGraphic for other data
  QByteArray SaveToBytes() const override { return FData; }
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream) const;

  // Calls Proc for each record in order until it answers false.
  void Enumerate(const std::function<bool(const TEnhMetaRecord& Record)>& Proc) const;
  // The texts of the text-output records, in order.
  QStringList Texts() const;

protected:
  void Draw(TCanvas* ACanvas, const TRect& R) override;

private:
  friend class TMetafileCanvas;
  void SetRecorded(const QByteArray& Data, Integer AWidth, Integer AHeight);
  QByteArray FData;
  Integer FWidth = 0;
  Integer FHeight = 0;
};

// Text on the context takes unhinted design metrics, so that it measures the
// same, relative to its size, at every resolution: pages recorded at the
// logical resolution wrap as they print.
void SetDesignMetrics(HDC DC, bool Value);

// Records everything drawn on it into its metafile, which receives the
// records when the canvas is freed.
class TMetafileCanvas : public TCanvas {
public:
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const String& CreatedBy,
                  const String& Description);
  ~TMetafileCanvas() override;

protected:
  void CreateHandle() override {}

private:
  TMetafile* FMetafile;
  String FCreatedBy;
  String FDescription;
  std::unique_ptr<TDeviceContext> FDC;
  std::unique_ptr<TEmfRecorder> FRecorder;
};

// Replays the metafile's records onto DC, mapping its frame onto R.
bool PlayEnhMetaFile(HDC DC, const TMetafile& Metafile, const TRect& R);
