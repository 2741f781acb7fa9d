// Screenshot.cpp: widget rendering into PNG files.
#include "platform/gui/Screenshot.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

// The window system draws no frame on the offscreen platform: a plain
// caption bar and border stand in for it, so that a picture shows the form
// as a person sees it.
static QImage WithFrame(TCustomForm* Form, const QImage& Client)
{
  const int Border = 1, Caption = 24;
  QImage Out(Client.width() + 2 * Border, Client.height() + Caption + Border, QImage::Format_ARGB32_Premultiplied);
  QPainter P(&Out);
  P.fillRect(Out.rect(), ToQColor(COLORREF(ColorToRGB(clActiveBorder))));
  P.fillRect(QRect(Border, Border, Client.width(), Caption - Border), ToQColor(COLORREF(ColorToRGB(clActiveCaption))));
  QFont F = ControlQFont(Form);
  F.setPixelSize(12);
  P.setFont(F);
  P.setPen(ToQColor(COLORREF(ColorToRGB(clCaptionText))));
  P.drawText(QRect(Border + 8, Border, Client.width() - 16, Caption - Border), Qt::AlignVCenter | Qt::AlignLeft,
             Form->Caption());
  if (Form->BorderIcons().Contains(biSystemMenu))
    P.drawText(QRect(Border, Border, Client.width() - 8, Caption - Border), Qt::AlignVCenter | Qt::AlignRight,
               QStringLiteral("\u2715"));
  P.drawImage(Border, Caption, Client);
  return Out;
}

bool SaveScreenshot(TControl* Control, const String& FileName)
{
  if (!Control)
    return false;
  QCoreApplication::processEvents();
  QImage Image;
  if (auto* W = dynamic_cast<TWinControl*>(Control)) {
    W->HandleNeeded();
    QWidget* Widget = W->Widget();
    Widget->ensurePolished();
    Image = Widget->grab().toImage();
    if (auto* F = dynamic_cast<TCustomForm*>(Control); F && F->BorderStyle() != bsNone)
      Image = WithFrame(F, Image);
  } else if (Control->Parent()) {
    // A graphic control is cut out of its parent's picture.
    Control->Parent()->HandleNeeded();
    const QImage Parent = Control->Parent()->ClientWidget()->grab().toImage();
    Image = Parent.copy(ToQRect(Control->BoundsRect()));
  }
  if (Image.isNull())
    return false;
  QDir().mkpath(QFileInfo(FileName).absolutePath());
  return Image.save(FileName, "PNG");
}
