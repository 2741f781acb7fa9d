// Clipbrd.cpp: the clipboard over QClipboard.
#include "platform/gui/Clipbrd.h"

#include "platform/gui/Graphics.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

String TClipboard::AsText() const { return QApplication::clipboard()->text(); }
void TClipboard::SetAsText(const String& Value) { QApplication::clipboard()->setText(Value); }

bool TClipboard::HasFormat(Word Format) const
{
  const QMimeData* M = QApplication::clipboard()->mimeData();
  if (!M)
    return false;
  switch (Format) {
  case CF_TEXT: case CF_UNICODETEXT: return M->hasText();
  case CF_BITMAP: return M->hasImage();
  default: return false;
  }
}

void TClipboard::Clear() { QApplication::clipboard()->clear(); }

void TClipboard::SetData(const String& MimeName, const QByteArray& Data)
{
  auto* M = new QMimeData;
  M->setData(MimeName, Data);
  QApplication::clipboard()->setMimeData(M);
}

QByteArray TClipboard::GetData(const String& MimeName) const
{
  const QMimeData* M = QApplication::clipboard()->mimeData();
  return M ? M->data(MimeName) : QByteArray();
}

bool TClipboard::HasData(const String& MimeName) const
{
  const QMimeData* M = QApplication::clipboard()->mimeData();
  return M && M->hasFormat(MimeName);
}

void TClipboard::Assign(TPersistent* Source)
{
  TGraphic* Graphic = dynamic_cast<TGraphic*>(Source);
  if (auto* Picture = dynamic_cast<TPicture*>(Source))
    Graphic = Picture->Graphic();
  if (!Graphic || Graphic->Empty())
    return;
  QImage Image;
  if (auto* Bitmap = dynamic_cast<TBitmap*>(Graphic))
    Image = Bitmap->Image();
  else
    Image = QImage::fromData(Graphic->SaveToBytes());
  if (Image.isNull())
    return;
  QApplication::clipboard()->setImage(Image);
}

bool TClipboard::AssignTo(TPersistent* Dest) const
{
  TBitmap* Bitmap = dynamic_cast<TBitmap*>(Dest);
  if (auto* Picture = dynamic_cast<TPicture*>(Dest))
    Bitmap = Picture->Bitmap();
  if (!Bitmap)
    return false;
  const QImage Image = QApplication::clipboard()->image();
  if (Image.isNull())
    return false;
  Bitmap->SetSize(Image.width(), Image.height());
  Bitmap->Image() = Image.convertToFormat(Bitmap->Image().format());
  return true;
}

TClipboard* Clipboard()
{
  static TClipboard C;
  return &C;
}
