// ImgList.h: image lists: equally sized images drawn by index.
#pragma once

#include "platform/gui/Graphics.h"

#include <vector>

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
using enum TDrawingStyle;
enum class TImageType { itImage, itMask };
using enum TImageType;

class TCustomImageList : public TComponent {
  VELMORA_CLASS(TCustomImageList)
  using inherited = TComponent;
public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  Integer Count() const;
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value) { FBkColor = Value; }
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value) { FBlendColor = Value; }
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value) { FDrawingStyle = Value; }
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType Value) { FImageType = Value; }
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value) { FMasked = Value; }

  // Adds the image (and a mask whose black pixels keep the image); a wider
  // image is split into several of the list's width. Answers the first index.
  Integer Add(TBitmap* Image, TBitmap* Mask);
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  Integer AddIcon(TIcon* Icon);
  void Delete(Integer Index);
  void Clear();
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  // A disabled image is drawn greyed.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
  // In a drawing style: dsSelected and dsFocus blend the image with
  // BlendColor (the highlight colour when it is clNone or clDefault) by 50%
  // and 25%; itMask draws the image's shape in black.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
            TImageType AImageType, bool Enabled = true);
  void GetBitmap(Integer Index, TBitmap* Image);
  TNotifyEvent OnChange;
protected:
  void DefineProperties(TFiler& Filer) override;
private:
  void Changed();
  Integer FWidth = 16;
  Integer FHeight = 16;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  std::vector<QImage> FImages;
};

class TImageList : public TCustomImageList {
  VELMORA_CLASS(TImageList)
public:
  using TCustomImageList::TCustomImageList;
};

void RegisterImgListClasses();
