// Clipbrd.h: the clipboard.
#pragma once

#include "platform/rtl/System.h"

enum : Word { CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13 };

class TPicture;
class TPersistent;

class TClipboard : public TObject {
public:
  String AsText() const;
  void SetAsText(const String& Value);
  bool HasFormat(Word Format) const;
  void Clear();
  void Open() {}
  void Close() {}
  // Raw data of a format registered by name (the grid's own record format).
  void SetData(const String& MimeName, const QByteArray& Data);
  QByteArray GetData(const String& MimeName) const;
  bool HasData(const String& MimeName) const;
  // Puts a graphic (a TGraphic or the graphic of a TPicture) on the
  // clipboard as an image; nothing for an empty one.
  void Assign(TPersistent* Source);
  // The clipboard's image into a TBitmap or a TPicture's bitmap; false
  // when the clipboard holds no image.
  bool AssignTo(TPersistent* Dest) const;
};

TClipboard* Clipboard();
