// StdCtrls.cpp: standard controls over the matching Qt widgets. Each keeps
// its properties in its fields and pushes them to the widget once it exists.
#include "platform/gui/StdCtrls.h"
#include "platform/gui/StdCtrlsQt.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>
#include <QDropEvent>
#include <QContextMenuEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Calls a handler from a Qt signal; exceptions go to the application.
template <class F>
void Guarded(TObject* Sender, F&& Fn)
{
  try {
    Fn();
  } catch (...) {
    Application->HandleException(Sender);
  }
}

Qt::Alignment QtAlignment(TAlignment A)
{
  switch (A) {
  case taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
  case taCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
  default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

} // namespace

// ---------------------------------------------------------------------------
// TLabel.

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
  FWidth = 65;
  FHeight = 17;
  FControlStyle << csOpaque << csReplicatable;
}

UINT TLabel::DrawFlags() const
{
  UINT F = DT_EXPANDTABS;
  if (FAlignment == taRightJustify)
    F |= DT_RIGHT;
  else if (FAlignment == taCenter)
    F |= DT_CENTER;
  if (FWordWrap)
    F |= DT_WORDBREAK;
  if (!FShowAccelChar)
    F |= DT_NOPREFIX;
  return F;
}

void TLabel::Paint()
{
  TCanvas* C = Canvas();
  const TRect R = ClientRect();
  if (!FTransparent) {
    C->Brush()->SetColor(FColor);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
  }
  const String Text = Caption();
  if (Text.isEmpty())
    return;
  C->SetFont(FFont.get());
  if (!FEnabled)
    C->Font()->SetColor(clGrayText);
  C->TextHeight(Text);   // selects the font
  HDC DC = C->Handle();
  SetBkMode(DC, TRANSPARENT);
  TRect Draw = R;
  if (FLayout != tlTop) {
    TRect Calc = R;
    const Integer H = DrawTextEx(DC, Text, -1, Calc, DrawFlags() | DT_CALCRECT);
    Draw.Top = FLayout == tlBottom ? R.Bottom - H : R.Top + (R.Height() - H) / 2;
  }
  DrawTextEx(DC, Text, -1, Draw, DrawFlags());
}

void TLabel::AdjustBounds()
{
  if (!FAutoSize || ComponentState().Contains(csLoading))
    return;
  TCanvas* C = ScreenCanvas();
  C->SetFont(FFont.get());
  TRect R(0, 0, FWordWrap ? FWidth : 0, 0);
  String Text = Caption();
  if (Text.isEmpty())
    Text = QStringLiteral(" ");
  C->TextHeight(Text);
  DrawTextEx(C->Handle(), Text, -1, R, DrawFlags() | DT_CALCRECT);
  Integer L = FLeft;
  if (FAlignment == taRightJustify)
    L = FLeft + FWidth - R.Width();
  else if (FAlignment == taCenter)
    L = FLeft + (FWidth - R.Width()) / 2;
  SetBounds(FWordWrap ? FLeft : L, FTop, FWordWrap ? FWidth : R.Width(), R.Height());
}

void TLabel::SetAlignment(TAlignment Value)
{
  if (Value == FAlignment)
    return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Invalidate();
}

void TLabel::SetAutoSize(bool Value)
{
  if (Value == FAutoSize)
    return;
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool Value)
{
  if (Value == FWordWrap)
    return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool Value)
{
  if (Value == FTransparent)
    return;
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool Value)
{
  if (Value == FShowAccelChar)
    return;
  FShowAccelChar = Value;
  Invalidate();
}

void TLabel::CMTextChanged(TMessage& M)
{
  Invalidate();
  AdjustBounds();
  TGraphicControl::CMTextChanged(M);
}

void TLabel::CMFontChanged(TMessage& M)
{
  TGraphicControl::CMFontChanged(M);
  AdjustBounds();
}

void TLabel::Loaded()
{
  TGraphicControl::Loaded();
  AdjustBounds();
}

// ---------------------------------------------------------------------------
// TCustomEdit.

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FControlStyle = {csClickEvents, csSetCaption, csDoubleClicks};
}

TCustomEdit::~TCustomEdit() { DestroyHandle(); }

static QLineEdit* LineEditOf(const TWinControl* C) { return qobject_cast<QLineEdit*>(C->Widget()); }
static TEditTextWidget* TextWidgetOf(const TWinControl* C) { return dynamic_cast<TEditTextWidget*>(C->Widget()); }

namespace {

// The text window of an edit, whichever widget it is; positions and texts
// are the edit's.
struct TEditBox {
  QLineEdit* Line = nullptr;
  TEditTextWidget* Multi = nullptr;

  explicit TEditBox(const TWinControl* C) : Line(LineEditOf(C)), Multi(Line ? nullptr : TextWidgetOf(C)) {}
  explicit operator bool() const { return Line || Multi; }
  QWidget* Widget() const { return Line ? static_cast<QWidget*>(Line) : Multi; }

  String Text() const { return Line ? Line->text() : Multi->Text(); }
  void SetText(const String& V) const { Line ? Line->setText(V) : Multi->SetText(V); }
  Integer CursorPosition() const { return Line ? Line->cursorPosition() : Multi->CursorPosition(); }
  void SetCursorPosition(Integer P) const { Line ? Line->setCursorPosition(P) : Multi->SetCursorPosition(P); }
  bool HasSelectedText() const { return Line ? Line->hasSelectedText() : Multi->HasSelectedText(); }
  Integer SelectionStart() const { return Line ? Line->selectionStart() : Multi->SelectionStart(); }
  String SelectedText() const { return Line ? Line->selectedText() : Multi->SelectedText(); }
  void SetSelection(Integer Start, Integer Length) const
  {
    Line ? Line->setSelection(Start, Length) : Multi->SetSelection(Start, Length);
  }
  void SelectAll() const { Line ? Line->selectAll() : Multi->selectAll(); }
  void Deselect() const { Line ? Line->deselect() : Multi->Deselect(); }
  void Insert(const String& V) const { Line ? Line->insert(V) : Multi->Insert(V); }
  void Cut() const { Line ? Line->cut() : Multi->cut(); }
  void Copy() const { Line ? Line->copy() : Multi->copy(); }
  void Paste() const { Line ? Line->paste() : Multi->paste(); }
  void Del() const { Line ? Line->del() : Multi->Del(); }
  void Undo() const { Line ? Line->undo() : Multi->undo(); }
  void Redo() const { Line ? Line->redo() : Multi->redo(); }
  bool IsUndoAvailable() const { return Line ? Line->isUndoAvailable() : Multi->IsUndoAvailable(); }
  bool IsRedoAvailable() const { return Line ? Line->isRedoAvailable() : Multi->IsRedoAvailable(); }
  void SetReadOnly(bool V) const { Line ? Line->setReadOnly(V) : Multi->setReadOnly(V); }
  void SetMaxLength(Integer V) const { Line ? Line->setMaxLength(V > 0 ? V : 32767) : Multi->SetMaxLength(V); }
  void SetAlignment(Qt::Alignment A) const { Line ? Line->setAlignment(A) : Multi->SetAlignment(A); }
  void SetFrame(bool F) const { Line ? Line->setFrame(F) : Multi->setFrameShape(F ? QFrame::StyledPanel : QFrame::NoFrame); }
  void SetPlaceholderText(const String& V) const { Line ? Line->setPlaceholderText(V) : Multi->setPlaceholderText(V); }
  Integer CursorPositionAt(QPoint P) const { return Line ? Line->cursorPositionAt(P) : Multi->CursorPositionAt(P); }
};

// The caret's place in the line, as the widget draws it: the middle of its
// cursor rectangle.
struct TLineEditCaret : QLineEdit {
  static QPoint Of(QLineEdit* E) { return (E->*(&TLineEditCaret::cursorRect))().center(); }
};

} // namespace

// The top-left of the character at Index: in a line edit from the caret
// and the widths of the characters between them.
static QPoint PosFromChar(const TEditBox& Box, Integer Index)
{
  if (Box.Multi)
    return Box.Multi->CursorRectAt(Index).topLeft();
  QLineEdit* E = Box.Line;
  const String Text = E->displayText();
  Index = std::clamp(Index, 0, Integer(Text.size()));
  const Integer Caret = E->cursorPosition();
  const QFontMetrics FM(E->font());
  const QPoint C = TLineEditCaret::Of(E);
  const Integer From = std::min(Index, Caret), To = std::max(Index, Caret);
  const Integer Advance = FM.horizontalAdvance(Text.mid(From, To - From));
  return QPoint(C.x() + (Index >= Caret ? Advance : -Advance), C.y() - FM.height() / 2);
}

bool GetCaretPos(TPoint& P)
{
  TWinControl* Focused = FindControl(GetFocus());
  if (!Focused || !Focused->HandleAllocated())
    return false;
  const TEditBox E(Focused);
  if (!E)
    return false;
  const QPoint C = PosFromChar(E, E.CursorPosition());
  P = TPoint(C.x(), C.y());
  return true;
}

QWidget* TCustomEdit::CreateWidget(QWidget* ParentWidget)
{
  // A password is never shown on several lines.
  const DWORD Style = WidgetState()->Style;
  if ((Style & ES_MULTILINE) && FPasswordChar.isNull())
    return new TEditTextWidget(this, ParentWidget, !(Style & ES_AUTOHSCROLL));
  return new TEditLineWidget(this, ParentWidget);
}

bool TCustomEdit::MultiLine() const { return HandleAllocated() && TextWidgetOf(this); }

TEditLineWidget::TEditLineWidget(TCustomEdit* Edit, QWidget* Parent) : QLineEdit(Parent), FEdit(Edit) {}

void TEditLineWidget::paintEvent(QPaintEvent* Event)
{
  QLineEdit::paintEvent(Event);
  if (!FEdit->FPaintsOverText || !IsLiveControl(FEdit))
    return;
  QPainter P(this);
  TDeviceContext DC(&P, size());
  DC.ApplyState();
  try {
    FEdit->Perform(WM_PAINT, WPARAM(&DC));
  } catch (...) {
    Application->HandleException(FEdit);
  }
}

void TCustomEdit::SetTextWindowLook(bool Frame, Integer MarginLeft, Integer MarginTop, Integer MarginRight,
                                    Integer MarginBottom)
{
  if (auto* E = qobject_cast<QLineEdit*>(Widget())) {
    E->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    E->setFrame(Frame);
    E->setTextMargins(MarginLeft, MarginTop, MarginRight, MarginBottom);
  } else if (TEditTextWidget* T = TextWidgetOf(this)) {
    T->SetAlignment(Qt::AlignLeft);
    T->setFrameShape(Frame ? QFrame::StyledPanel : QFrame::NoFrame);
    T->SetMargins(MarginLeft, MarginTop, MarginRight, MarginBottom);
  }
}

TRect TCustomEdit::CaretRect() const
{
  QRect R;
  if (auto* E = dynamic_cast<TEditLineWidget*>(Widget()))
    R = E->CursorRect();
  else if (TEditTextWidget* T = TextWidgetOf(this))
    R = T->CursorRect();
  else
    return TRect();
  return TRect(R.left(), R.top(), R.right() + 1, R.bottom() + 1);
}

void TEditLineWidget::inputMethodEvent(QInputMethodEvent* Event)
{
  if (!IsLiveControl(FEdit) || !FEdit->WidgetInputEvent(Event))
    QLineEdit::inputMethodEvent(Event);
}

void TEditLineWidget::dropEvent(QDropEvent* Event)
{
  if (!IsLiveControl(FEdit) || !FEdit->WidgetInputEvent(Event))
    QLineEdit::dropEvent(Event);
}

void TEditLineWidget::contextMenuEvent(QContextMenuEvent* Event)
{
  if (!IsLiveControl(FEdit) || !FEdit->WidgetInputEvent(Event))
    QLineEdit::contextMenuEvent(Event);
}

String TCustomEdit::ApplyCharCase(const String& Value) const
{
  switch (FCharCase) {
  case ecUpperCase: return Value.toUpper();
  case ecLowerCase: return Value.toLower();
  default: return Value;
  }
}

bool TCustomEdit::WidgetInputEvent(QEvent* Event)
{
  if (!TEditBox(this))
    return false;
  bool Taken = false;
  Guarded(this, [&] {
    switch (Event->type()) {
    case QEvent::InputMethod: {
      // Committed text is typed as characters, so that it passes the gate,
      // the key-press handlers and the character case as typing does.
      auto* IM = static_cast<QInputMethodEvent*>(Event);
      if (IM->commitString().isEmpty())
        return;
      Taken = true;
      if (!CanModifyText())
        return;
      for (QChar C : IM->commitString())
        Perform(WM_CHAR, C.unicode(), 1);
      return;
    }
    case QEvent::Drop:
      if (!CanModifyText()) {
        Event->ignore();
        Taken = true;
      }
      return;
    case QEvent::ContextMenu: {
      std::unique_ptr<QMenu> Menu(CreateEditContextMenu());
      Taken = true;
      if (Menu)
        Menu->exec(static_cast<QContextMenuEvent*>(Event)->globalPos());
      return;
    }
    default: return;
    }
  });
  return Taken;
}

// The edit box's menu, whose changing commands are sent as the messages
// that pass the gate.
QMenu* TCustomEdit::CreateEditContextMenu()
{
  const TEditBox E(this);
  if (!E)
    return nullptr;
  const bool MayModify = EditMayModify();
  const bool Selected = E.HasSelectedText();
  auto* Menu = new QMenu(E.Widget());
  auto Add = [&](const char* Name, const String& Caption, UINT Msg, bool Enabled) {
    QAction* A = Menu->addAction(Caption);
    A->setObjectName(QString::fromLatin1(Name));
    A->setEnabled(Enabled);
    QObject::connect(A, &QAction::triggered, Menu, [this, Msg] {
      if (IsLiveControl(this))
        Guarded(this, [&] { Perform(Msg, 0, Msg == EM_SETSEL ? LPARAM(-1) : 0); });
    });
  };
  Add("edit-undo", QStringLiteral("Отменить"), WM_UNDO, MayModify && E.IsUndoAvailable());
  Menu->addSeparator();
  Add("edit-cut", QStringLiteral("Вырезать"), WM_CUT, MayModify && Selected && FPasswordChar.isNull());
  Add("edit-copy", QStringLiteral("Копировать"), WM_COPY, Selected && FPasswordChar.isNull());
  Add("edit-paste", QStringLiteral("Вставить"), WM_PASTE,
      MayModify && !QApplication::clipboard()->text().isEmpty());
  Add("edit-delete", QStringLiteral("Удалить"), WM_CLEAR, MayModify && Selected);
  Menu->addSeparator();
  Add("select-all", QStringLiteral("Выделить все"), EM_SETSEL, !E.Text().isEmpty());
  return Menu;
}

void TCustomEdit::InitializeWidget()
{
  FReplaying = true;
  TWinControl::InitializeWidget();
  if (const TEditBox E(this); E) {
    E.SetText(FText);
    E.SetReadOnly(FReadOnly);
    E.SetMaxLength(FMaxLength);
    if (E.Line)
      E.Line->setEchoMode(FPasswordChar.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    E.SetAlignment(QtAlignment(FAlignment));
    E.SetFrame(FBorderStyle != TBorderStyle::bsNone);
    E.SetPlaceholderText(FTextHint);
    E.SetSelection(FSelStart, FSelLength);
    ApplyControlColors(this, E.Widget(), true);
    if (QLineEdit* L = E.Line) {
      QObject::connect(L, &QLineEdit::textChanged, L, [this](const QString& T) { WidgetTextChanged(T); });
      QObject::connect(L, &QLineEdit::textEdited, L, [this](const QString&) { FModified = true; });
    } else {
      TEditTextWidget* M = E.Multi;
      QObject::connect(M, &QPlainTextEdit::textChanged, M, [this, M] {
        // The document reports changes of its layout too: only a new text counts.
        const String T = M->Text();
        if (T == FText && !FReplaying)
          return;
        if (!FReplaying)
          FModified = true;
        WidgetTextChanged(T);
      });
    }
  }
  FReplaying = false;
}

void TCustomEdit::WidgetTextChanged(const String& Text)
{
  // Pasted or dropped text takes the character case as typed text does.
  const String Cased = ApplyCharCase(Text);
  if (Cased != Text && !FReplaying) {
    if (const TEditBox E(this); E) {
      const Integer Pos = E.CursorPosition();
      E.SetText(Cased);   // runs this again with the cased text
      E.SetCursorPosition(Pos);
      return;
    }
  }
  FText = Text;
  if (FReplaying)
    return;
  Guarded(this, [this] { Perform(CM_TEXTCHANGED); });
}

TCaption TCustomEdit::GetText() const
{
  if (const TEditBox E(this); E)
    return E.Text();
  return FText;
}

void TCustomEdit::SetTextValue(const TCaption& Value)
{
  const String V = ApplyCharCase(Value);
  // Text set in code is kept whole even beyond MaxLength, as the original does.
  FText = V;
  if (const TEditBox E(this); E) {
    // A text reformatted under the user's caret keeps the caret as far
    // from the end as it was.
    const bool KeepCaret = Focused() && !E.HasSelectedText();
    const Integer FromEnd = Integer(E.Text().size()) - E.CursorPosition();
    FReplaying = true;   // the change notice comes from SetText
    E.SetText(V);
    FReplaying = false;
    if (KeepCaret)
      E.SetCursorPosition(std::max(0, Integer(V.size()) - FromEnd));
  }
}

// Every change of the text, typed or set in code, is told to the parent.
void TCustomEdit::CMTextChanged(TMessage& M)
{
  TWinControl::CMTextChanged(M);
  NotifyTextChange();
}

// The one place that tells of a change of the text: the parent gets
// EN_CHANGE and reflects it back (CN_COMMAND), which runs Change. A change
// while the window is being made is none to tell; an edit without a window
// has nobody to tell and runs Change itself.
void TCustomEdit::NotifyTextChange()
{
  if (!HandleAllocated()) {
    Change();
    return;
  }
  if (WidgetState()->Creating)
    return;
  TWinControl* P = Parent();
  if (!P || !P->HandleAllocated()) {
    Change();
    return;
  }
  SendMessage(P->Handle(), WM_COMMAND, MakeWParam(0, EN_CHANGE), LPARAM(Handle()));
}

void TCustomEdit::Dispatch(TMessage& M)
{
  if (M.Msg == CN_COMMAND) {
    CNCommand(M);
    return;
  }
  TWinControl::Dispatch(M);
}

void TCustomEdit::CNCommand(TMessage& M)
{
  if (HiWord(M.WParam) == EN_CHANGE && !(HandleAllocated() && WidgetState()->Creating))
    Change();
}

void TCustomEdit::Change()
{
  if (OnChange && !ComponentState().Contains(csLoading))
    OnChange(this);
}

void TCustomEdit::SetReadOnly(bool Value)
{
  FReadOnly = Value;
  if (const TEditBox E(this); E)
    E.SetReadOnly(Value);
}

void TCustomEdit::SetMaxLength(Integer Value)
{
  FMaxLength = std::max(0, Value);
  if (const TEditBox E(this); E)
    E.SetMaxLength(FMaxLength);
}

void TCustomEdit::SetPasswordChar(QChar Value)
{
  FPasswordChar = Value;
  // A multi-line window cannot hide its text: the window is made anew.
  if (HandleAllocated() && (WidgetState()->Style & ES_MULTILINE)) {
    RecreateWnd();
    return;
  }
  if (QLineEdit* E = LineEditOf(this))
    E->setEchoMode(Value.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TCustomEdit::SetCharCase(TEditCharCase Value)
{
  FCharCase = Value;
  if (Value != ecNormal)
    SetTextValue(GetText());
}

void TCustomEdit::SetAlignment(TAlignment Value)
{
  FAlignment = Value;
  if (const TEditBox E(this); E)
    E.SetAlignment(QtAlignment(Value));
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value)
{
  FBorderStyle = Value;
  if (const TEditBox E(this); E)
    E.SetFrame(Value != TBorderStyle::bsNone);
}

void TCustomEdit::SetTextHint(const String& Value)
{
  FTextHint = Value;
  if (const TEditBox E(this); E)
    E.SetPlaceholderText(Value);
}

Integer TCustomEdit::SelStart() const
{
  if (const TEditBox E(this); E)
    return E.HasSelectedText() ? E.SelectionStart() : E.CursorPosition();
  return FSelStart;
}

void TCustomEdit::SetSelStart(Integer Value)
{
  FSelStart = Value;
  FSelLength = 0;
  if (const TEditBox E(this); E)
    E.SetCursorPosition(Value);
}

Integer TCustomEdit::SelLength() const
{
  if (const TEditBox E(this); E)
    return Integer(E.SelectedText().size());
  return FSelLength;
}

void TCustomEdit::SetSelLength(Integer Value)
{
  FSelLength = Value;
  if (const TEditBox E(this); E)
    E.SetSelection(SelStart(), Value);
}

String TCustomEdit::SelText() const
{
  if (const TEditBox E(this); E)
    return E.SelectedText();
  return GetText().mid(FSelStart, FSelLength);
}

void TCustomEdit::SetSelText(const String& Value)
{
  if (const TEditBox E(this); E) {
    E.Insert(Value);
    return;
  }
  String T = FText;
  T.replace(FSelStart, FSelLength, Value);
  SetText(T);
}

void TCustomEdit::SelectAll()
{
  if (const TEditBox E(this); E)
    E.SelectAll();
  FSelStart = 0;
  FSelLength = Integer(GetText().size());
}

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }
void TCustomEdit::Undo() { Perform(WM_UNDO); }

void TCustomEdit::DoEnter()
{
  if (FAutoSelect && !ComponentState().Contains(csLoading))
    if (const TEditBox E(this); E)
      E.SelectAll();
  TWinControl::DoEnter();
}

// The edit-control messages that the libraries send, answered by the widget.
void TCustomEdit::DefaultHandler(TMessage& M)
{
  const TEditBox E(this);
  switch (M.Msg) {
  case EM_GETSEL:
    if (E) {
      const Integer S = SelStart();
      M.Result = MakeLParam(Word(S), Word(S + SelLength()));
    }
    return;
  case EM_SETSEL:
    if (E) {
      const Integer Len = Integer(E.Text().size());
      Integer S = Integer(NativeInt(M.WParam)), End = Integer(M.LParam);
      if (S < 0) {
        E.Deselect();
        return;
      }
      if (End < 0 || End > Len)
        End = Len;
      E.SetSelection(std::min(S, Len), End - std::min(S, Len));
    }
    return;
  case EM_SETREADONLY: SetReadOnly(M.WParam != 0); M.Result = 1; return;
  case EM_GETMODIFY: M.Result = FModified; return;
  case EM_SETMODIFY: FModified = M.WParam != 0; return;
  case EM_CHARFROMPOS:
    if (E)
      M.Result = E.CursorPositionAt(QPoint(SmallInt(M.LParamLo()), SmallInt(M.LParamHi())));
    return;
  case EM_POSFROMCHAR:
    if (E) {
      const QPoint P = PosFromChar(E, Integer(M.WParam));
      M.Result = MakeLParam(Word(SmallInt(P.x())), Word(SmallInt(P.y())));
    }
    return;
  // The lines as shown; a single-line edit has one.
  case EM_GETLINECOUNT: M.Result = E.Multi ? E.Multi->LineCount() : 1; return;
  case EM_LINEFROMCHAR: {
    const Integer Pos = NativeInt(M.WParam) < 0 ? SelStart() : Integer(M.WParam);
    M.Result = E.Multi ? E.Multi->LineFromChar(Pos) : 0;
    return;
  }
  case EM_LINEINDEX: {
    const Integer Line = NativeInt(M.WParam) < 0 ? (E.Multi ? E.Multi->LineFromChar(SelStart()) : 0)
                                                 : Integer(M.WParam);
    M.Result = E.Multi ? E.Multi->LineIndex(Line) : Line == 0 ? 0 : -1;
    return;
  }
  // Each change asks the gate only when it would change something.
  case WM_CUT: if (E && E.HasSelectedText() && CanModifyText()) E.Cut(); return;
  case WM_COPY: if (E) E.Copy(); return;
  case WM_PASTE:
    if (E && !QApplication::clipboard()->text().isEmpty() && CanModifyText()) {
      E.SetReadOnly(false);   // the gate may have opened it
      E.Paste();
    }
    return;
  case WM_CLEAR: if (E && E.HasSelectedText() && CanModifyText()) E.Del(); return;
  case WM_UNDO: if (E && E.IsUndoAvailable() && CanModifyText()) E.Undo(); return;
  case WM_KEYDOWN:
    if (E && EditKeyCommand(Word(M.WParam)))
      return;
    TWinControl::DefaultHandler(M);
    // A line key that comes as a message moves the caret a shown line, as
    // the window system's edit would; the window's own input does so itself.
    if (E.Multi && !InNativeEvent() && (M.WParam == VK_UP || M.WParam == VK_DOWN))
      E.Multi->moveCursor(M.WParam == VK_UP ? QTextCursor::Up : QTextCursor::Down,
                          GetKeyState(VK_SHIFT) < 0 ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    return;
  case WM_CHAR: {
    // A number-only edit refuses other characters with a beep, as the
    // window system's edit does; what OnKeyPress left is checked.
    QChar C(char16_t(M.WParam));
    // Enter and Ctrl+Enter break the line of a multi-line edit.
    const bool Break = E.Multi && (C == QChar('\r') || C == QChar('\n'));
    if (FNumbersOnly && C >= QChar(' ') && !C.isDigit()) {
      MessageBeep(0);
      return;
    }
    if ((C >= QChar(' ') || C == QChar('\b') || Break) && !CanModifyText())
      return;
    if (C >= QChar(' ') && FCharCase != ecNormal) {
      C = ApplyCharCase(String(C)).at(0);
      M.WParam = C.unicode();
    }
    TWinControl::DefaultHandler(M);
    // A character that comes as a message rather than as the window
    // system's input is typed here, as the window system's edit would.
    if (InNativeEvent() || C.isNull() || ReadOnly())
      return;
    if (C == QChar('\b')) {
      if (SelLength() == 0 && SelStart() > 0) {
        SetSelStart(SelStart() - 1);
        SetSelLength(1);
      }
      SetSelText(String());
    } else if (Break) {
      SetSelText(E.Multi->LineBreak());
    } else if (C >= QChar(' ') && (MaxLength() <= 0 || Text().size() - SelLength() < MaxLength())) {
      SetSelText(String(C));
    }
    return;
  }
  default: TWinControl::DefaultHandler(M); return;
  }
}

void TCustomEdit::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL; }

// The widget's own editing keys that change the text without a character:
// the clipboard and undo commands become their messages, the deleting keys
// ask the gate first. Answers whether the key is done with.
bool TCustomEdit::EditKeyCommand(Word Key)
{
  const bool Shift = GetKeyState(VK_SHIFT) < 0;
  const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool Alt = GetKeyState(VK_MENU) < 0;
  UINT Msg = 0;
  if ((Ctrl && !Shift && Key == 'X') || (Shift && !Ctrl && Key == VK_DELETE))
    Msg = WM_CUT;
  else if ((Ctrl && !Shift && Key == 'V') || (Shift && !Ctrl && Key == VK_INSERT))
    Msg = WM_PASTE;
  else if ((Ctrl && !Shift && Key == 'Z') || (Alt && Key == VK_BACK))
    Msg = WM_UNDO;
  if (Msg != 0) {
    Perform(Msg);
    return true;
  }
  const TEditBox E(this);
  if ((Ctrl && Key == 'Y') || (Ctrl && Shift && Key == 'Z')) {
    if (E.IsRedoAvailable() && CanModifyText())
      E.Redo();
    return true;
  }
  // Delete, and the word deletes: refused keys never reach the widget.
  if (Key == VK_DELETE || (Ctrl && Key == VK_BACK))
    return !CanModifyText();
  return false;
}

void TCustomEdit::UpdateWidgetColor()
{
  if (Widget())
    ApplyControlColors(this, Widget(), true);
}

// ---------------------------------------------------------------------------
// TEditTextWidget: the window of a multi-line edit.

namespace {

bool IsBlockBreak(QChar C) { return C == QChar::ParagraphSeparator || C == QChar::LineSeparator; }

// The widget link hands a press to the viewport itself; the viewport passes
// it on to its text window, as the window's own filter would.
class TEditTextViewport : public QWidget {
public:
  using QWidget::QWidget;

protected:
  bool event(QEvent* Event) override
  {
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      if (auto* W = dynamic_cast<TEditTextWidget*>(parentWidget()))
        return W->ViewportInput(Event);
      break;
    default: break;
    }
    return QWidget::event(Event);
  }
};

} // namespace

TEditTextWidget::TEditTextWidget(TCustomEdit* Edit, QWidget* Parent, bool Wrap) : QPlainTextEdit(Parent), FEdit(Edit)
{
  setViewport(new TEditTextViewport(this));
  // The layout measures on the viewport it was made with.
  document()->documentLayout()->setPaintDevice(viewport());
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAttribute(Qt::WA_InputMethodEnabled);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(Wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setTabChangesFocus(true);
  document()->setDocumentMargin(2);
}

String TEditTextWidget::Text() const
{
  String T = document()->toRawText();
  for (QChar& C : T)
    if (IsBlockBreak(C))
      C = QLatin1Char('\n');
  if (FLineBreak.size() > 1)
    T.replace(QLatin1Char('\n'), FLineBreak);
  return T;
}

void TEditTextWidget::SetText(const String& Value)
{
  // The text keeps the breaks it came with.
  if (Value.contains(QLatin1String("\r\n")))
    FLineBreak = QStringLiteral("\r\n");
  else if (Value.contains(QLatin1Char('\n')))
    FLineBreak = QStringLiteral("\n");
  setPlainText(String(Value).replace(QLatin1String("\r\n"), QLatin1String("\n")));
  // The caret at the end, as a line edit leaves it.
  moveCursor(QTextCursor::End);
}

Integer TEditTextWidget::ToText(Integer WidgetPos) const
{
  if (FLineBreak.size() == 1)
    return WidgetPos;
  const String Raw = document()->toRawText();
  Integer Pos = WidgetPos;
  for (Integer I = 0; I < std::min(WidgetPos, Integer(Raw.size())); ++I)
    if (IsBlockBreak(Raw[I]))
      Pos += Integer(FLineBreak.size()) - 1;
  return Pos;
}

Integer TEditTextWidget::ToWidget(Integer TextPos) const
{
  const String Raw = document()->toRawText();
  if (FLineBreak.size() == 1)
    return std::clamp(TextPos, 0, Integer(Raw.size()));
  Integer At = 0;
  for (Integer I = 0; I < Integer(Raw.size()); ++I) {
    if (At >= TextPos)
      return I;
    At += IsBlockBreak(Raw[I]) ? Integer(FLineBreak.size()) : 1;
  }
  return Integer(Raw.size());
}

Integer TEditTextWidget::CursorPosition() const { return ToText(textCursor().position()); }

void TEditTextWidget::SetCursorPosition(Integer Pos)
{
  QTextCursor C = textCursor();
  C.setPosition(ToWidget(std::max(0, Pos)));
  setTextCursor(C);
}

Integer TEditTextWidget::SelectionStart() const { return ToText(textCursor().selectionStart()); }
Integer TEditTextWidget::SelectionEnd() const { return ToText(textCursor().selectionEnd()); }

String TEditTextWidget::SelectedText() const
{
  const Integer S = SelectionStart();
  return Text().mid(S, SelectionEnd() - S);
}

void TEditTextWidget::SetSelection(Integer Start, Integer Length)
{
  QTextCursor C = textCursor();
  C.setPosition(ToWidget(std::max(0, Start)));
  C.setPosition(ToWidget(std::max(0, Start + Length)), QTextCursor::KeepAnchor);
  setTextCursor(C);
}

void TEditTextWidget::Deselect()
{
  QTextCursor C = textCursor();
  C.clearSelection();
  setTextCursor(C);
}

void TEditTextWidget::Insert(const String& Value)
{
  String W = String(Value).replace(QLatin1String("\r\n"), QLatin1String("\n"));
  W.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (FMaxLength > 0) {
    // A break costs what it is in the text; none is cut in two.
    const Integer Room = FMaxLength - (TextLength() - Integer(SelectedText().size()));
    Integer Used = 0, Count = 0;
    for (; Count < Integer(W.size()); ++Count) {
      const Integer Cost = W[Count] == QLatin1Char('\n') ? Integer(FLineBreak.size()) : 1;
      if (Used + Cost > Room)
        break;
      Used += Cost;
    }
    W.truncate(Count);
  }
  QTextCursor C = textCursor();
  C.insertText(W);
  setTextCursor(C);
}

void TEditTextWidget::Del()
{
  QTextCursor C = textCursor();
  if (C.hasSelection())
    C.removeSelectedText();
  else
    C.deleteChar();
  setTextCursor(C);
}

Integer TEditTextWidget::CursorPositionAt(QPoint P) const
{
  return ToText(cursorForPosition(P - viewport()->geometry().topLeft()).position());
}

QRect TEditTextWidget::CursorRectAt(Integer Pos) const
{
  QTextCursor C(document());
  C.setPosition(ToWidget(Pos));
  return cursorRect(C).translated(viewport()->geometry().topLeft());
}

void TEditTextWidget::SetAlignment(Qt::Alignment A)
{
  QTextOption O = document()->defaultTextOption();
  O.setAlignment(A & Qt::AlignHorizontal_Mask);
  document()->setDefaultTextOption(O);
}

void TEditTextWidget::SetMargins(Integer Left, Integer Top, Integer Right, Integer Bottom)
{
  setViewportMargins(Left, Top, Right, Bottom);
}

// The lines of a block, laid out at the window's width.
static Integer BlockLines(const QTextDocument* D, const QTextBlock& B)
{
  if (auto* L = qobject_cast<QPlainTextDocumentLayout*>(D->documentLayout()))
    L->ensureBlockLayout(B);
  return B.layout() ? std::max(1, B.layout()->lineCount()) : 1;
}

Integer TEditTextWidget::LineCount() const
{
  Integer Count = 0;
  for (QTextBlock B = document()->begin(); B.isValid(); B = B.next())
    Count += BlockLines(document(), B);
  return Count;
}

Integer TEditTextWidget::LineFromChar(Integer Pos) const
{
  const Integer W = ToWidget(Pos);
  Integer Line = 0;
  for (QTextBlock B = document()->begin(); B.isValid(); B = B.next()) {
    const Integer Lines = BlockLines(document(), B);
    if (W < B.position() + B.length() || !B.next().isValid()) {
      const QTextLine L = B.layout() ? B.layout()->lineForTextPosition(W - B.position()) : QTextLine();
      return Line + (L.isValid() ? L.lineNumber() : 0);
    }
    Line += Lines;
  }
  return Line;
}

Integer TEditTextWidget::LineIndex(Integer Line) const
{
  Integer First = 0;
  for (QTextBlock B = document()->begin(); B.isValid(); B = B.next()) {
    const Integer Lines = BlockLines(document(), B);
    if (Line < First + Lines) {
      const QTextLine L = B.layout() ? B.layout()->lineAt(Line - First) : QTextLine();
      return ToText(B.position() + (L.isValid() ? L.textStart() : 0));
    }
    First += Lines;
  }
  return -1;
}

void TEditTextWidget::keyPressEvent(QKeyEvent* Event)
{
  const bool Ctrl = Event->modifiers() & Qt::ControlModifier;
  if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) && !(Event->modifiers() & Qt::AltModifier)) {
    if (!isReadOnly())
      Insert(FLineBreak);
    Event->accept();
    return;
  }
  // Typing beyond MaxLength is refused, as the window system's edit does.
  const String T = Event->text();
  if (FMaxLength > 0 && !Ctrl && !T.isEmpty() && T[0] >= QLatin1Char(' ') && !isReadOnly() &&
      TextLength() - Integer(SelectedText().size()) + Integer(T.size()) > FMaxLength) {
    Event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(Event);
}

void TEditTextWidget::inputMethodEvent(QInputMethodEvent* Event)
{
  if (!IsLiveControl(FEdit) || !FEdit->WidgetInputEvent(Event))
    QPlainTextEdit::inputMethodEvent(Event);
}

void TEditTextWidget::dropEvent(QDropEvent* Event)
{
  if (!IsLiveControl(FEdit) || !FEdit->WidgetInputEvent(Event))
    QPlainTextEdit::dropEvent(Event);
}

void TEditTextWidget::contextMenuEvent(QContextMenuEvent* Event)
{
  if (!IsLiveControl(FEdit) || !FEdit->WidgetInputEvent(Event))
    QPlainTextEdit::contextMenuEvent(Event);
}

// Pasted and dropped text keeps within MaxLength and takes the text's breaks.
void TEditTextWidget::insertFromMimeData(const QMimeData* Source)
{
  if (Source && Source->hasText())
    Insert(Source->text());
}

QMimeData* TEditTextWidget::createMimeDataFromSelection() const
{
  auto* Data = new QMimeData;
  Data->setText(SelectedText());
  return Data;
}

// ---------------------------------------------------------------------------
// TMemo.

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this))
{
  FWidth = 185;
  FHeight = 89;
  FAutoSelect = false;
}

TMemo::~TMemo() { DestroyHandle(); }

static QPlainTextEdit* PlainEditOf(const TWinControl* C) { return qobject_cast<QPlainTextEdit*>(C->Widget()); }

QWidget* TMemo::CreateWidget(QWidget* ParentWidget) { return new QPlainTextEdit(ParentWidget); }

void TMemo::InitializeWidget()
{
  FReplaying = true;
  TWinControl::InitializeWidget();
  if (QPlainTextEdit* E = PlainEditOf(this)) {
    E->setPlainText(String(FText).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    E->setReadOnly(FReadOnly);
    E->setLineWrapMode(FWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    SetScrollBars(FScrollBars);
    E->setTabChangesFocus(!FWantTabs);
    ApplyControlColors(this, E, true);
    QObject::connect(E, &QPlainTextEdit::textChanged, E, [this, E] {
      WidgetTextChanged(E->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    });
  }
  FReplaying = false;
}

TCaption TMemo::GetText() const
{
  if (QPlainTextEdit* E = PlainEditOf(this))
    return E->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return FText;
}

void TMemo::SetTextValue(const TCaption& Value)
{
  FText = Value;
  if (QPlainTextEdit* E = PlainEditOf(this)) {
    FReplaying = true;
    E->setPlainText(String(Value).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    FReplaying = false;
  }
}

void TMemo::SetWordWrap(bool Value)
{
  FWordWrap = Value;
  if (QPlainTextEdit* E = PlainEditOf(this))
    E->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle Value)
{
  FScrollBars = Value;
  if (QPlainTextEdit* E = PlainEditOf(this)) {
    E->setVerticalScrollBarPolicy(Value == ssVertical || Value == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    E->setHorizontalScrollBarPolicy(Value == ssHorizontal || Value == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
}

void TMemo::WMGetDlgCode(TMessage& M)
{
  TCustomEdit::WMGetDlgCode(M);
  if (FWantReturns)
    M.Result |= DLGC_WANTALLKEYS;
  if (FWantTabs)
    M.Result |= DLGC_WANTTAB;
}

void TMemo::DefaultHandler(TMessage& M)
{
  QPlainTextEdit* E = PlainEditOf(this);
  if (E) {
    switch (M.Msg) {
    case WM_CUT: if (!FReadOnly) E->cut(); return;
    case WM_COPY: E->copy(); return;
    case WM_PASTE: if (!FReadOnly) E->paste(); return;
    case WM_UNDO: E->undo(); return;
    case EM_GETSEL: {
      const QTextCursor C = E->textCursor();
      M.Result = MakeLParam(Word(C.selectionStart()), Word(C.selectionEnd()));
      return;
    }
    case EM_SETSEL: {
      QTextCursor C = E->textCursor();
      C.setPosition(Integer(M.WParam));
      C.setPosition(Integer(M.LParam) < 0 ? E->document()->characterCount() - 1 : Integer(M.LParam), QTextCursor::KeepAnchor);
      E->setTextCursor(C);
      return;
    }
    default: break;
    }
  }
  TWinControl::DefaultHandler(M);
}

QStringList TMemoStrings::Lines() const
{
  const String T = FMemo->Text();
  if (T.isEmpty())
    return {};
  QStringList L = String(T).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
  return L;
}

void TMemoStrings::SetLines(const QStringList& L) { FMemo->SetText(L.join(QLatin1String("\r\n"))); }

String TMemoStrings::Get(Integer Index) const
{
  const QStringList L = Lines();
  if (Index < 0 || Index >= L.size())
    Error(QStringLiteral("List index out of bounds (%1)").arg(Index), Index);
  return L[Index];
}

Integer TMemoStrings::GetCount() const { return Integer(Lines().size()); }

void TMemoStrings::Put(Integer Index, const String& S)
{
  QStringList L = Lines();
  if (Index < 0 || Index >= L.size())
    Error(QStringLiteral("List index out of bounds (%1)").arg(Index), Index);
  L[Index] = S;
  SetLines(L);
}

void TMemoStrings::Insert(Integer Index, const String& S)
{
  QStringList L = Lines();
  if (Index < 0 || Index > L.size())
    Error(QStringLiteral("List index out of bounds (%1)").arg(Index), Index);
  L.insert(Index, S);
  SetLines(L);
}

void TMemoStrings::Delete(Integer Index)
{
  QStringList L = Lines();
  if (Index < 0 || Index >= L.size())
    Error(QStringLiteral("List index out of bounds (%1)").arg(Index), Index);
  L.removeAt(Index);
  SetLines(L);
}

void TMemoStrings::Clear() { FMemo->SetText(String()); }
String TMemoStrings::Text() const { return FMemo->Text().isEmpty() ? String() : FMemo->Text() + QStringLiteral("\r\n"); }

void TMemoStrings::SetText(const String& Value)
{
  String V = Value;
  if (V.endsWith(QLatin1String("\r\n")))
    V.chop(2);
  else if (V.endsWith(QLatin1Char('\n')))
    V.chop(1);
  FMemo->SetText(V);
}

// ---------------------------------------------------------------------------
// Buttons.

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FTabStop = true;
  FControlStyle = {csSetCaption, csDoubleClicks};
  FParentColor = true;
}

void TButtonControl::WidgetClicked() { Click(); }

void TButtonControl::CMTextChanged(TMessage& M)
{
  if (auto* B = qobject_cast<QAbstractButton*>(Widget()))
    B->setText(FText);
  TWinControl::CMTextChanged(M);
}

void TButtonControl::WMGetDlgCode(TMessage& M) { M.Result = DLGC_BUTTON; }

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
  FWidth = 75;
  FHeight = 25;
}

QWidget* TButton::CreateWidget(QWidget* ParentWidget) { return new QPushButton(ParentWidget); }

void TButton::InitializeWidget()
{
  TButtonControl::InitializeWidget();
  auto* B = static_cast<QPushButton*>(Widget());
  B->setText(FText);
  B->setAutoDefault(false);
  B->setDefault(FDefault);
  QObject::connect(B, &QPushButton::clicked, B, [this] { Guarded(this, [this] { WidgetClicked(); }); });
}

void TButton::SetDefault(bool Value)
{
  FDefault = Value;
  FActive = Value;
  if (auto* B = qobject_cast<QPushButton*>(Widget()))
    B->setDefault(Value);
}

void TButton::Click()
{
  if (TCustomForm* Form = GetParentForm(this))
    Form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::WMGetDlgCode(TMessage& M)
{
  M.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

// Enter clicks the active button (the default one unless another button has
// the focus); Escape clicks the cancel button.
void TButton::CMDialogKey(TMessage& M)
{
  const bool Enter = M.WParam == VK_RETURN && FActive;
  const bool Escape = M.WParam == VK_ESCAPE && FCancel;
  if ((Enter || Escape) && KeyDataToShiftState(LongInt(M.LParam)).Empty() && CanFocus()) {
    Click();
    M.Result = 1;
    return;
  }
  TButtonControl::CMDialogKey(M);
}

void TButton::CMFocusChanged(TMessage& M)
{
  auto* Sender = reinterpret_cast<TWinControl*>(M.LParam);
  const bool SenderIsButton = dynamic_cast<TButtonControl*>(Sender) != nullptr && IsLiveControl(Sender);
  FActive = Sender == this || (FDefault && !SenderIsButton);
  if (auto* B = qobject_cast<QPushButton*>(Widget()))
    B->setDefault(FActive);
  TButtonControl::CMFocusChanged(M);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
  FWidth = 97;
  FHeight = 17;
  FControlStyle >> csDoubleClicks;
}

QWidget* TCheckBox::CreateWidget(QWidget* ParentWidget) { return new QCheckBox(ParentWidget); }

void TCheckBox::InitializeWidget()
{
  TButtonControl::InitializeWidget();
  auto* B = static_cast<QCheckBox*>(Widget());
  B->setText(FText);
  B->setTristate(FAllowGrayed);
  B->setCheckState(FState == cbChecked ? Qt::Checked : FState == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  B->setLayoutDirection(FAlignment == TLeftRight::taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
  QObject::connect(B, &QCheckBox::clicked, B, [this] { Guarded(this, [this] { WidgetClicked(); }); });
}

void TCheckBox::SetState(TCheckBoxState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  if (auto* B = qobject_cast<QCheckBox*>(Widget())) {
    const QSignalBlocker Block(B);
    B->setCheckState(Value == cbChecked ? Qt::Checked : Value == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  }
}

void TCheckBox::SetAllowGrayed(bool Value)
{
  FAllowGrayed = Value;
  if (auto* B = qobject_cast<QCheckBox*>(Widget()))
    B->setTristate(Value);
}

void TCheckBox::WidgetClicked()
{
  auto* B = static_cast<QCheckBox*>(Widget());
  FState = B->checkState() == Qt::Checked ? cbChecked : B->checkState() == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
  Click();
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
  FWidth = 113;
  FHeight = 17;
}

QWidget* TRadioButton::CreateWidget(QWidget* ParentWidget)
{
  auto* B = new QRadioButton(ParentWidget);
  // Exclusivity is kept by the controls, so that state set in code agrees.
  B->setAutoExclusive(false);
  return B;
}

void TRadioButton::InitializeWidget()
{
  TButtonControl::InitializeWidget();
  auto* B = static_cast<QRadioButton*>(Widget());
  B->setText(FText);
  B->setChecked(FChecked);
  QObject::connect(B, &QRadioButton::clicked, B, [this] { Guarded(this, [this] { WidgetClicked(); }); });
}

void TRadioButton::SetChecked(bool Value)
{
  if (Value == FChecked)
    return;
  FChecked = Value;
  if (auto* B = qobject_cast<QRadioButton*>(Widget())) {
    const QSignalBlocker Block(B);
    B->setChecked(Value);
  }
  if (Value && FParent)
    for (Integer I = 0; I < FParent->ControlCount(); ++I)
      if (auto* R = dynamic_cast<TRadioButton*>(FParent->Controls(I)); R && R != this)
        R->SetChecked(false);
}

void TRadioButton::WidgetClicked()
{
  // A click on a checked radio button leaves it checked.
  if (auto* B = qobject_cast<QRadioButton*>(Widget())) {
    const QSignalBlocker Block(B);
    B->setChecked(true);
  }
  SetChecked(true);
  Click();
}

void TRadioButton::WMGetDlgCode(TMessage& M) { M.Result = DLGC_BUTTON | DLGC_RADIOBUTTON; }

// ---------------------------------------------------------------------------
// TCustomGroupBox.

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TWinControl(AOwner)
{
  FWidth = 185;
  FHeight = 105;
  FControlStyle << csAcceptsControls;
}

namespace {

// The classic group box: an etched frame whose top line runs through the
// middle of the caption, the caption breaking it 8 pixels from the left. The
// Qt styles draw the caption above a faint frame instead, which in the plain
// look all but vanishes.
class TGroupBoxWidget : public QGroupBox {
public:
  using QGroupBox::QGroupBox;

protected:
  void paintEvent(QPaintEvent*) override
  {
    QPainter P(this);
    const QFontMetrics M(font());
    const int Top = M.height() / 2, W = width(), H = height();
    if (W < 3 || H - Top < 3)
      return;
    P.setPen(palette().color(QPalette::Light));
    P.drawRect(QRect(1, Top + 1, W - 2, H - Top - 2));
    P.setPen(palette().color(QPalette::Mid));
    P.drawRect(QRect(0, Top, W - 2, H - Top - 2));
    if (title().isEmpty())
      return;
    const QString Plain = QString(title()).remove(QLatin1Char('&'));
    const QRect Caption(8, 0, std::min(M.horizontalAdvance(Plain) + 4, W - 10), M.height());
    P.fillRect(Caption, palette().color(backgroundRole()));
    style()->drawItemText(&P, Caption.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic,
                          palette(), isEnabled(), title(), QPalette::WindowText);
  }
};

} // namespace

QWidget* TCustomGroupBox::CreateWidget(QWidget* ParentWidget) { return new TGroupBoxWidget(ParentWidget); }

void TCustomGroupBox::InitializeWidget()
{
  TWinControl::InitializeWidget();
  static_cast<QGroupBox*>(Widget())->setTitle(FText);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect)
{
  TCanvas* C = ScreenCanvas();
  C->SetFont(FFont.get());
  const Integer H = C->TextHeight(QStringLiteral("0"));
  Rect.Top += H;
  Rect.Inflate(-2, -2);
}

void TCustomGroupBox::CMTextChanged(TMessage& M)
{
  if (auto* G = qobject_cast<QGroupBox*>(Widget()))
    G->setTitle(FText);
  TWinControl::CMTextChanged(M);
}

// ---------------------------------------------------------------------------
// TComboBox.

namespace {

// Paints the items of an owner-drawn combo box through the control.
class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
  TOwnerDrawDelegate(TComboBox* ACombo, QObject* Parent) : QStyledItemDelegate(Parent), FCombo(ACombo) {}
  void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
  {
    TOwnerDrawState State;
    if (Option.state & QStyle::State_Selected)
      State << odSelected;
    if (Option.state & QStyle::State_HasFocus)
      State << odFocused;
    TDeviceContext DC(Painter, Option.rect.size() + QSize(Option.rect.x(), Option.rect.y()));
    try {
      FCombo->DrawItem(Index.row(), FromQRect(Option.rect), State, &DC);
    } catch (...) {
      Application->HandleException(FCombo);
    }
  }
  QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
  {
    QSize S = QStyledItemDelegate::sizeHint(Option, Index);
    S.setHeight(FCombo->ItemHeight());
    return S;
  }
private:
  TComboBox* FCombo;
};

} // namespace

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()), FCanvas(std::make_unique<TControlCanvas>(this))
{
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox()
{
  DestroyHandle();
  FItems->OnChange = nullptr;
}

static QComboBox* ComboOf(const TWinControl* C) { return qobject_cast<QComboBox*>(C->Widget()); }

TStrings* TComboBox::Items() const { return FItems.get(); }
void TComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }
bool TComboBox::Sorted() const { return FItems->Sorted(); }
void TComboBox::SetSorted(bool Value) { FItems->SetSorted(Value); }
TCanvas* TComboBox::Canvas() const { return FCanvas.get(); }

QWidget* TComboBox::CreateWidget(QWidget* ParentWidget) { return new QComboBox(ParentWidget); }

void TComboBox::InitializeWidget()
{
  TWinControl::InitializeWidget();
  QComboBox* C = ComboOf(this);
  FSyncing = true;
  C->setEditable(FStyle == csDropDown || FStyle == csSimple);
  C->setMaxVisibleItems(FDropDownCount);
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
    C->setItemDelegate(new TOwnerDrawDelegate(this, C));
  ApplyControlColors(this, C, true);
  FSyncing = false;
  ItemsChanged();
  QObject::connect(C, qOverload<int>(&QComboBox::activated), C, [this](int Index) {
    Guarded(this, [this, Index] { UserSelected(Index); });
  });
  if (C->isEditable()) {
    C->setEditText(FText);
    QObject::connect(C, &QComboBox::editTextChanged, C, [this](const QString& T) {
      if (FSyncing)
        return;
      FText = T;
      Guarded(this, [this] { Change(); });
    });
    if (C->lineEdit())
      FWidgetState->Link->Watch(C);
  }
}

// The widget follows the item list; the selection stays on the same text.
void TComboBox::ItemsChanged()
{
  if (FItemIndex >= FItems->Count())
    FItemIndex = -1;
  QComboBox* C = ComboOf(this);
  if (!C)
    return;
  FSyncing = true;
  C->clear();
  for (Integer I = 0; I < FItems->Count(); ++I)
    C->addItem(FItems->Strings(I));
  C->setCurrentIndex(FItemIndex);
  if (C->isEditable())
    C->setEditText(FText);
  FSyncing = false;
}

void TComboBox::SetStyle(TComboBoxStyle Value)
{
  if (Value == FStyle)
    return;
  FStyle = Value;
  RecreateWnd();
}

void TComboBox::SetItemIndex(Integer Value)
{
  if (Value < -1 || Value >= FItems->Count())
    Value = -1;
  FItemIndex = Value;
  FText = Value >= 0 ? FItems->Strings(Value) : (FStyle == csDropDownList || FStyle == csOwnerDrawFixed ? String() : FText);
  if (QComboBox* C = ComboOf(this)) {
    FSyncing = true;
    C->setCurrentIndex(Value);
    if (C->isEditable())
      C->setEditText(FText);
    FSyncing = false;
  }
}

void TComboBox::UserSelected(Integer Index)
{
  FItemIndex = Index;
  FText = Index >= 0 && Index < FItems->Count() ? FItems->Strings(Index) : String();
  Click();
  Select();
}

void TComboBox::Select()
{
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TComboBox::Change()
{
  if (OnChange)
    OnChange(this);
}

TCaption TComboBox::GetText() const
{
  if (QComboBox* C = ComboOf(this); C && C->isEditable())
    return C->currentText();
  return FText;
}

void TComboBox::SetTextValue(const TCaption& Value)
{
  FText = Value;
  // A list-only combo selects the item of that text.
  const Integer I = FItems->IndexOf(Value);
  if (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
    SetItemIndex(I);
    return;
  }
  FItemIndex = I;
  if (QComboBox* C = ComboOf(this)) {
    FSyncing = true;
    C->setCurrentIndex(I);
    C->setEditText(Value);
    FSyncing = false;
  }
}

void TComboBox::CMTextChanged(TMessage& M) { TWinControl::CMTextChanged(M); }

void TComboBox::SetDropDownCount(Integer Value)
{
  FDropDownCount = Value;
  if (QComboBox* C = ComboOf(this))
    C->setMaxVisibleItems(Value);
}

void TComboBox::SetItemHeight(Integer Value) { FItemHeight = std::max(1, Value); }

bool TComboBox::DroppedDown() const
{
  QComboBox* C = ComboOf(this);
  return C && C->view() && C->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool Value)
{
  HandleNeeded();
  if (Value)
    ComboOf(this)->showPopup();
  else
    ComboOf(this)->hidePopup();
}

void TComboBox::Clear()
{
  FItems->Clear();
  SetItemIndex(-1);
  FText.clear();
}

void TComboBox::AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

void TComboBox::UpdateWidgetColor()
{
  if (Widget())
    ApplyControlColors(this, Widget(), true);
}

void TComboBox::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

// Owner drawing: the handler draws, or the item's text on the selection
// colours as the original's default.
void TComboBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State, HDC DC)
{
  FCanvas->BindPaintDC(DC);
  FCanvas->SetFont(FFont.get());
  FCanvas->Brush()->SetColor(State.Contains(odSelected) ? clHighlight : FColor);
  if (State.Contains(odSelected))
    FCanvas->Font()->SetColor(clHighlightText);
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
  } else {
    FCanvas->FillRect(Rect);
    if (Index >= 0 && Index < FItems->Count())
      FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
  }
  FCanvas->BindPaintDC(nullptr);
}

// ---------------------------------------------------------------------------
// TListBox.

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>())
{
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TListBox::~TListBox()
{
  DestroyHandle();
  FItems->OnChange = nullptr;
}

static QListWidget* ListOf(const TWinControl* C) { return qobject_cast<QListWidget*>(C->Widget()); }

TStrings* TListBox::Items() const { return FItems.get(); }
void TListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }
bool TListBox::Sorted() const { return FItems->Sorted(); }
void TListBox::SetSorted(bool Value) { FItems->SetSorted(Value); }

QWidget* TListBox::CreateWidget(QWidget* ParentWidget) { return new QListWidget(ParentWidget); }

void TListBox::InitializeWidget()
{
  TWinControl::InitializeWidget();
  QListWidget* L = ListOf(this);
  L->setSelectionMode(FMultiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  ApplyControlColors(this, L, true);
  ItemsChanged();
  QObject::connect(L, &QListWidget::currentRowChanged, L, [this](int Row) {
    if (FSyncing)
      return;
    FItemIndex = Row;
    Guarded(this, [this] { Click(); });
  });
  QObject::connect(L, &QListWidget::itemSelectionChanged, L, [this] {
    if (FSyncing)
      return;
    QListWidget* W = ListOf(this);
    for (Integer I = 0; I < Integer(FSelected.size()); ++I)
      FSelected[std::size_t(I)] = W->item(I) && W->item(I)->isSelected();
  });
  QObject::connect(L, &QListWidget::itemDoubleClicked, L, [this](QListWidgetItem*) {
    Guarded(this, [this] { DblClick(); });
  });
}

void TListBox::ItemsChanged()
{
  FSelected.assign(std::size_t(FItems->Count()), false);
  if (FItemIndex >= FItems->Count())
    FItemIndex = -1;
  if (FItemIndex >= 0)
    FSelected[std::size_t(FItemIndex)] = true;
  QListWidget* L = ListOf(this);
  if (!L)
    return;
  FSyncing = true;
  L->clear();
  for (Integer I = 0; I < FItems->Count(); ++I)
    L->addItem(FItems->Strings(I));
  L->setCurrentRow(FItemIndex);
  FSyncing = false;
}

void TListBox::SyncSelection()
{
  QListWidget* L = ListOf(this);
  if (!L)
    return;
  FSyncing = true;
  L->setCurrentRow(FItemIndex, QItemSelectionModel::NoUpdate);
  for (Integer I = 0; I < Integer(FSelected.size()); ++I)
    if (QListWidgetItem* It = L->item(I))
      It->setSelected(FSelected[std::size_t(I)]);
  FSyncing = false;
}

void TListBox::SetItemIndex(Integer Value)
{
  if (Value < -1 || Value >= FItems->Count())
    Value = -1;
  FItemIndex = Value;
  if (!FMultiSelect)
    std::fill(FSelected.begin(), FSelected.end(), false);
  if (Value >= 0)
    FSelected[std::size_t(Value)] = true;
  SyncSelection();
}

void TListBox::SetMultiSelect(bool Value)
{
  FMultiSelect = Value;
  if (QListWidget* L = ListOf(this))
    L->setSelectionMode(Value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(Integer Index) const
{
  if (Index < 0 || Index >= Integer(FSelected.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return FSelected[std::size_t(Index)];
}

void TListBox::SetSelected(Integer Index, bool Value)
{
  if (Index < 0 || Index >= Integer(FSelected.size()))
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  if (!FMultiSelect) {
    SetItemIndex(Value ? Index : -1);
    return;
  }
  FSelected[std::size_t(Index)] = Value;
  SyncSelection();
}

Integer TListBox::SelCount() const
{
  if (!FMultiSelect)
    return -1;
  return Integer(std::count(FSelected.begin(), FSelected.end(), true));
}

Integer TListBox::TopIndex() const
{
  QListWidget* L = ListOf(this);
  if (!L)
    return 0;
  const QModelIndex I = L->indexAt(QPoint(1, 1));
  return I.isValid() ? I.row() : 0;
}

void TListBox::SetTopIndex(Integer Value)
{
  if (QListWidget* L = ListOf(this); L && L->item(Value))
    L->scrollToItem(L->item(Value), QAbstractItemView::PositionAtTop);
}

void TListBox::Clear() { FItems->Clear(); }

Integer TListBox::ItemAtPos(TPoint Pos, bool Existing) const
{
  QListWidget* L = ListOf(this);
  if (!L)
    return -1;
  const QModelIndex I = L->indexAt(L->viewport()->mapFrom(L, QPoint(Pos.X, Pos.Y)));
  if (I.isValid())
    return I.row();
  return Existing ? -1 : FItems->Count();
}

TRect TListBox::ItemRect(Integer Index) const
{
  QListWidget* L = ListOf(this);
  if (!L || !L->item(Index))
    return TRect();
  return FromQRect(L->visualItemRect(L->item(Index)));
}

void TListBox::UpdateWidgetColor()
{
  if (Widget())
    ApplyControlColors(this, Widget(), true);
}

void TListBox::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

// ---------------------------------------------------------------------------
// TScrollBar.

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner)
{
  FWidth = 121;
  FHeight = GetSystemMetrics(SM_CYHSCROLL);
  FTabStop = true;
}

TScrollBar::~TScrollBar() { DestroyHandle(); }

static QScrollBar* ScrollBarOf(const TWinControl* C) { return qobject_cast<QScrollBar*>(C->Widget()); }

QWidget* TScrollBar::CreateWidget(QWidget* ParentWidget)
{
  return new QScrollBar(FKind == sbHorizontal ? Qt::Horizontal : Qt::Vertical, ParentWidget);
}

void TScrollBar::InitializeWidget()
{
  TWinControl::InitializeWidget();
  QScrollBar* S = ScrollBarOf(this);
  FSyncing = true;
  S->setRange(FMin, std::max(FMin, FMax - std::max(0, FPageSize - 1)));
  S->setPageStep(std::max(1, FPageSize > 0 ? FPageSize : FLargeChange));
  S->setSingleStep(FSmallChange);
  S->setValue(FPosition);
  FSyncing = false;
  QObject::connect(S, &QScrollBar::actionTriggered, S, [this](int Action) {
    Guarded(this, [this, Action] { UserAction(Action); });
  });
}

void TScrollBar::UserAction(int Action)
{
  QScrollBar* S = ScrollBarOf(this);
  TScrollCode Code = scPosition;
  Integer Pos = FPosition;
  switch (Action) {
  case QAbstractSlider::SliderSingleStepAdd: Code = scLineDown; Pos = FPosition + FSmallChange; break;
  case QAbstractSlider::SliderSingleStepSub: Code = scLineUp; Pos = FPosition - FSmallChange; break;
  case QAbstractSlider::SliderPageStepAdd: Code = scPageDown; Pos = FPosition + FLargeChange; break;
  case QAbstractSlider::SliderPageStepSub: Code = scPageUp; Pos = FPosition - FLargeChange; break;
  case QAbstractSlider::SliderToMinimum: Code = scTop; Pos = FMin; break;
  case QAbstractSlider::SliderToMaximum: Code = scBottom; Pos = FMax; break;
  case QAbstractSlider::SliderMove: Code = scTrack; Pos = S->sliderPosition(); break;
  default: return;
  }
  Pos = std::clamp(Pos, FMin, FMax);
  Scroll(Code, Pos);
  SetPosition(Pos);
  // The handlers may have given the control a new widget (another Kind).
  if (QScrollBar* Now = ScrollBarOf(this)) {
    FSyncing = true;
    Now->setSliderPosition(FPosition);
    FSyncing = false;
  }
}

void TScrollBar::Scroll(TScrollCode ScrollCode, Integer& ScrollPos)
{
  if (OnScroll)
    OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Change()
{
  if (OnChange)
    OnChange(this);
}

void TScrollBar::SetKind(TScrollBarKind Value)
{
  if (Value == FKind)
    return;
  FKind = Value;
  if (!ComponentState().Contains(csLoading))
    SetBounds(FLeft, FTop, FHeight, FWidth);
  RecreateWnd();
}

void TScrollBar::SetPageSize(Integer Value)
{
  FPageSize = std::max(0, Value);
  SetParams(FPosition, FMin, FMax);
}

void TScrollBar::SetParams(Integer APosition, Integer AMin, Integer AMax)
{
  if (AMax < AMin)
    throw EInvalidOperation(QStringLiteral("Scroll bar property out of range"));
  APosition = std::clamp(APosition, AMin, AMax);
  const bool Changed = APosition != FPosition;
  FMin = AMin;
  FMax = AMax;
  FPosition = APosition;
  if (QScrollBar* S = ScrollBarOf(this)) {
    FSyncing = true;
    S->setRange(FMin, std::max(FMin, FMax - std::max(0, FPageSize - 1)));
    S->setPageStep(std::max(1, FPageSize > 0 ? FPageSize : FLargeChange));
    S->setValue(FPosition);
    FSyncing = false;
  }
  if (Changed)
    Change();
}

// ---------------------------------------------------------------------------
// Registration.

void RegisterStdCtrlsClasses()
{
  RegisterEnum<TLeftRight>("TLeftRight", {"taLeftJustify", "taRightJustify"});
  RegisterEnum<TTextLayout>("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  RegisterEnum<TEditCharCase>("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  RegisterEnum<TBorderStyle>("TBorderStyle", {"bsNone", "bsSingle"});
  RegisterEnum<TScrollStyle>("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  RegisterEnum<TCheckBoxState>("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  RegisterEnum<TComboBoxStyle>("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
  RegisterEnum<TScrollBarKind>("TScrollBarKind", {"sbHorizontal", "sbVertical"});
  RegisterEnum<TScrollCode>("TScrollCode", {"scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition",
                                            "scTrack", "scTop", "scBottom", "scEndScroll"});
  RegisterClassInfo<TLabel, TGraphicControl>("TLabel")
    .Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, taLeftJustify)
    .Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
    .Property("Caption", &TLabel::Caption, &TLabel::SetCaption)
    .Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
    .Property("Layout", &TLabel::Layout, &TLabel::SetLayout, tlTop)
    .Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true)
    .Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
    .Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);
  RegisterClassInfo<TCustomEdit, TWinControl>("TCustomEdit")
    .Property("Color", &TCustomEdit::Color, &TCustomEdit::SetColor, clWindow).Idents(ColorIdentConverter(), ColorIntConverter())
    .Property("ParentColor", &TCustomEdit::ParentColor, &TCustomEdit::SetParentColor, false)
    .Property("Alignment", &TCustomEdit::Alignment, &TCustomEdit::SetAlignment, taLeftJustify)
    .Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true)
    .Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, TBorderStyle::bsSingle)
    .Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, ecNormal)
    .Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0)
    .Property("NumbersOnly", &TCustomEdit::NumbersOnly, &TCustomEdit::SetNumbersOnly, false)
    .Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar, QChar())
    .Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
    .Property("TabStop", &TCustomEdit::TabStop, &TCustomEdit::SetTabStop, true)
    .Property("TextHint", &TCustomEdit::TextHint, &TCustomEdit::SetTextHint)
    .Event("OnChange", &TCustomEdit::OnChange);
  RegisterClassInfo<TEdit, TCustomEdit>("TEdit")
    .Property("Text", &TEdit::Text, &TEdit::SetText);
  RegisterClassInfo<TMemo, TCustomEdit>("TMemo")
    .Property("Lines", &TMemo::Lines, &TMemo::SetLines)
    .Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars, ssNone)
    .Property("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns, true)
    .Property("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs, false)
    .Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, true);
  RegisterClassInfo<TButtonControl, TWinControl>("TButtonControl")
    .Property("Caption", &TButtonControl::Caption, &TButtonControl::SetCaption)
    .Property("TabStop", &TButtonControl::TabStop, &TButtonControl::SetTabStop, true);
  RegisterClassInfo<TButton, TButtonControl>("TButton")
    .Property("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
    .Property("Default", &TButton::Default, &TButton::SetDefault, false)
    .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0);
  RegisterClassInfo<TCheckBox, TButtonControl>("TCheckBox")
    .Property("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment, TLeftRight::taRightJustify)
    .Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, false)
    .Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
    .Property("State", &TCheckBox::State, &TCheckBox::SetState, cbUnchecked);
  RegisterClassInfo<TRadioButton, TButtonControl>("TRadioButton")
    .Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment, TLeftRight::taRightJustify)
    .Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false);
  RegisterClassInfo<TCustomGroupBox, TWinControl>("TCustomGroupBox")
    .Property("Caption", &TCustomGroupBox::Caption, &TCustomGroupBox::SetCaption);
  RegisterClassInfo<TGroupBox, TCustomGroupBox>("TGroupBox");
  RegisterClassInfo<TComboBox, TWinControl>("TComboBox")
    .Property("Color", &TComboBox::Color, &TComboBox::SetColor, clWindow).Idents(ColorIdentConverter(), ColorIntConverter())
    .Property("ParentColor", &TComboBox::ParentColor, &TComboBox::SetParentColor, false)
    .Property("Style", &TComboBox::Style, &TComboBox::SetStyle, csDropDown)
    .Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8)
    .Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight)
    .Property("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength, 0)
    .Property("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted, false)
    .Property("TabStop", &TComboBox::TabStop, &TComboBox::SetTabStop, true)
    .Property("Text", &TComboBox::Text, &TComboBox::SetText)
    .Property("Items", &TComboBox::Items, &TComboBox::SetItems)
    .Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex, -1)
    .Event("OnChange", &TComboBox::OnChange)
    .Event("OnCloseUp", &TComboBox::OnCloseUp)
    .Event("OnDrawItem", &TComboBox::OnDrawItem)
    .Event("OnDropDown", &TComboBox::OnDropDown)
    .Event("OnSelect", &TComboBox::OnSelect);
  RegisterClassInfo<TListBox, TWinControl>("TListBox")
    .Property("Color", &TListBox::Color, &TListBox::SetColor, clWindow).Idents(ColorIdentConverter(), ColorIntConverter())
    .Property("ParentColor", &TListBox::ParentColor, &TListBox::SetParentColor, false)
    .Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight)
    .Property("Items", &TListBox::Items, &TListBox::SetItems)
    .Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect, false)
    .Property("Sorted", &TListBox::Sorted, &TListBox::SetSorted, false)
    .Property("TabStop", &TListBox::TabStop, &TListBox::SetTabStop, true)
    .Property("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex, -1);
  RegisterClassInfo<TScrollBar, TWinControl>("TScrollBar")
    .Property("Kind", &TScrollBar::Kind, &TScrollBar::SetKind, sbHorizontal)
    .Property("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange, 1)
    .Property("Max", &TScrollBar::Max, &TScrollBar::SetMax, 100)
    .Property("Min", &TScrollBar::Min, &TScrollBar::SetMin, 0)
    .Property("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize, 0)
    .Property("Position", &TScrollBar::Position, &TScrollBar::SetPosition, 0)
    .Property("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange, 1)
    .Property("TabStop", &TScrollBar::TabStop, &TScrollBar::SetTabStop, true)
    .Event("OnChange", &TScrollBar::OnChange)
    .Event("OnScroll", &TScrollBar::OnScroll);
}
