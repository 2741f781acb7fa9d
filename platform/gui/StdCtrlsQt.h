// StdCtrlsQt.h: platform only: the widgets of the edit family, through which
// the input that bypasses the key messages reaches its edit.
#pragma once

#include "platform/gui/StdCtrls.h"

#include <QLineEdit>
#include <QPlainTextEdit>

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

// The text window of an edit made with the multi-line style: it wraps its
// text at its width (unless ES_AUTOHSCROLL) and has no scroll bars. Its
// positions and texts are the edit's: a line break counts as the break the
// text came with ("\r\n" unless the text was given with lone "\n"), so a text
// set in code is read back unchanged.
class TEditTextWidget : public QPlainTextEdit {
public:
  TEditTextWidget(TCustomEdit* Edit, QWidget* Parent, bool Wrap);
  TCustomEdit* Edit() const { return FEdit; }

  String Text() const;
  void SetText(const String& Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value) { FMaxLength = Value; }
  String LineBreak() const { return FLineBreak; }
  Integer CursorPosition() const;
  void SetCursorPosition(Integer Pos);
  bool HasSelectedText() const { return textCursor().hasSelection(); }
  Integer SelectionStart() const;
  Integer SelectionEnd() const;
  String SelectedText() const;
  // QLineEdit's sense: the anchor at Start, the caret Length further.
  void SetSelection(Integer Start, Integer Length);
  void Deselect();
  // Replaces the selection, cut to what MaxLength leaves room for.
  void Insert(const String& Value);
  // Deletes the selection, or the character after the caret.
  void Del();
  bool IsUndoAvailable() const { return document()->isUndoAvailable(); }
  bool IsRedoAvailable() const { return document()->isRedoAvailable(); }
  // Client coordinates of the edit.
  Integer CursorPositionAt(QPoint P) const;
  QRect CursorRectAt(Integer Pos) const;
  QRect CursorRect() const { return CursorRectAt(CursorPosition()); }
  void SetAlignment(Qt::Alignment A);
  void SetMargins(Integer Left, Integer Top, Integer Right, Integer Bottom);
  // The lines as shown: wrapped lines count one by one.
  Integer LineCount() const;
  Integer LineFromChar(Integer Pos) const;
  Integer LineIndex(Integer Line) const;
  // The edit's position of a widget position and back.
  Integer ToText(Integer WidgetPos) const;
  Integer ToWidget(Integer TextPos) const;
  // Platform only: mouse input the widget link hands to the viewport.
  bool ViewportInput(QEvent* Event) { return viewportEvent(Event); }

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void inputMethodEvent(QInputMethodEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;
  void insertFromMimeData(const QMimeData* Source) override;
  QMimeData* createMimeDataFromSelection() const override;

private:
  Integer TextLength() const { return Integer(Text().size()); }
  TCustomEdit* FEdit;
  Integer FMaxLength = 0;
  String FLineBreak = QStringLiteral("\r\n");
};
