// StdCtrlsQt.h: platform only: the widget of the edit family, through which
// the input that bypasses the key messages reaches its edit.
#pragma once

#include "platform/gui/StdCtrls.h"

#include <QLineEdit>

// Input-method text, dropped text and the context menu go to the edit
// (WidgetInputEvent) first, which passes them through its gate.
class TEditLineWidget : public QLineEdit {
public:
  TEditLineWidget(TCustomEdit* Edit, QWidget* Parent);
  TCustomEdit* Edit() const { return FEdit; }
  QRect CursorRect() const { return cursorRect(); }

protected:
  void inputMethodEvent(QInputMethodEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

private:
  TCustomEdit* FEdit;
};
