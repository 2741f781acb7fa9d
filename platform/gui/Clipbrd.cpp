// Clipbrd.cpp: the clipboard over QClipboard.
#include "platform/gui/Clipbrd.h"

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

TClipboard* Clipboard()
{
  static TClipboard C;
  return &C;
}
