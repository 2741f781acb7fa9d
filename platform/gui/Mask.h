// Mask.h: edit masks: the mask language, text formatted by a mask, and the
// masked edit box whose engine checks every typed character against its mask.
#pragma once

#include "platform/gui/StdCtrls.h"

#include <vector>

// The mask language. A mask has up to three sections, "mask;save;blank":
// the save section '0' keeps the literals out of Text (they are kept by
// default), the blank section gives the character shown in empty places
// (default '_').
constexpr QChar mDirReverse = u'!';     // optional places trimmed at the start, not the end
constexpr QChar mDirUpperCase = u'>';   // typed letters upper case from here
constexpr QChar mDirLowerCase = u'<';   // lower case from here; "<>" ends either
constexpr QChar mDirLiteral = u'\\';    // the next character is a literal
constexpr QChar mMskDigit = u'0';       // digit, required
constexpr QChar mMskDigitOpt = u'9';    // digit, optional
constexpr QChar mMskNumSymOpt = u'#';   // digit, sign or blank, optional
constexpr QChar mMskAlpha = u'L';       // letter, required
constexpr QChar mMskAlphaOpt = u'l';    // letter, optional
constexpr QChar mMskAlphaNum = u'A';    // letter or digit, required
constexpr QChar mMskAlphaNumOpt = u'a'; // letter or digit, optional
constexpr QChar mMskAscii = u'C';       // any character, required
constexpr QChar mMskAsciiOpt = u'c';    // any character, optional
constexpr QChar mMskDateSeparator = u'/';   // shown as the locale's date separator
constexpr QChar mMskTimeSeparator = u':';   // shown as the locale's time separator
constexpr QChar MaskFieldSeparator = u';';
constexpr QChar MaskNoSave = u'0';
constexpr QChar DefaultBlank = u'_';

// Raised by a masked edit whose text does not satisfy its mask.
VELMORA_EXCEPTION(EDBEditError, Exception)

// 1-based position of the separator that ends the mask section, -1 when the
// mask has none.
Integer MaskGetFldSeparator(const String& EditMask);
// Whether Text keeps the literals (the save section is not '0').
bool MaskGetMaskSave(const String& EditMask);
// The character shown in empty places.
QChar MaskGetMaskBlank(const String& EditMask);
// Value laid into the mask with blanks shown as spaces: a value with the
// literals when the mask saves them, the bare characters otherwise.
String FormatMaskText(const String& EditMask, const String& Value);
// The bare characters of Value laid into the input places of the mask, the
// rest filled with Blank (from the end with the '!' directive).
String MaskDoFormatText(const String& EditMask, const String& Value, QChar Blank);
// A value that holds the literals laid into the mask place by place: literal
// places always show the mask's literal, missing places Blank.
String PadInputLiterals(const String& EditMask, const String& Value, QChar Blank);

// A mask compiled into one entry per character of the edit text.
class TMaskLayout {
public:
  explicit TMaskLayout(const String& EditMask = String());

  bool IsMasked() const { return !FPlaces.empty(); }
  // Characters of the edit text.
  Integer Count() const { return Integer(FPlaces.size()); }
  bool IsLiteral(Integer Pos) const { return Place(Pos).Kind == QChar(); }
  // The character a literal place shows.
  QChar Literal(Integer Pos) const { return Place(Pos).Literal; }
  bool IsRequired(Integer Pos) const;
  // Whether C may stand at the input place Pos (blanks count as empty).
  bool Fits(Integer Pos, QChar C) const;
  // C as an input place stores it (case directives applied), or a null
  // character when the place refuses it.
  QChar Accept(Integer Pos, QChar C) const;
  // The first input place at or after Pos (Count when none) and the last
  // before Pos (-1 when none).
  Integer NextInput(Integer Pos) const;
  Integer PrevInput(Integer Pos) const;

  bool ReverseDir() const { return FReverseDir; }
  bool SaveLiterals() const { return FSaveLiterals; }
  QChar Blank() const { return FBlank; }

  // Edit texts: raw characters placed, a value with literals placed place
  // by place, and what Text gives for an edit text.
  String FormatRaw(const String& Raw, QChar Blank) const;
  String Pad(const String& Value, QChar Blank) const;
  String TextOf(const String& EditText) const;
  // The characters of the input places, empty ones as spaces, trimmed at
  // the end (at the start with '!').
  String RawOf(const String& EditText) const;
  // Spaces in input places that cannot hold a space become blanks.
  String SpacesToBlanks(String EditText) const;
  // The first place that makes EditText incomplete or wrong; -1 when valid.
  Integer FirstInvalid(const String& EditText) const;

private:
  struct TPlace {
    QChar Kind;      // the mask character of an input place; null for a literal
    QChar Literal;   // the character a literal place shows
    Integer Case = 0;   // 1 upper, -1 lower
  };
  const TPlace& Place(Integer Pos) const { return FPlaces.at(std::size_t(Pos)); }
  bool IsEmptyAt(Integer Pos, QChar C) const;
  std::vector<TPlace> FPlaces;
  bool FReverseDir = false;
  bool FSaveLiterals = true;
  QChar FBlank = DefaultBlank;
};

// An edit box with an edit mask. Typing is done by the mask engine, not by
// the widget: a character overwrites the place it is typed at, literals are
// skipped, a character the place refuses beeps, Backspace and Delete clear
// places to blanks. Without a mask it is a plain edit box.
class TCustomMaskEdit : public TCustomEdit {
  VELMORA_CLASS(TCustomMaskEdit)
  using inherited = TCustomEdit;
public:
  explicit TCustomMaskEdit(TComponent* AOwner);

  String EditMask() const { return FEditMask; }
  // Lays the current text into the new mask.
  void SetEditMask(const String& Value);
  bool IsMasked() const { return FLayout.IsMasked(); }
  // The text as shown: literals and blanks included.
  String EditText() const;
  void SetEditText(const String& Value);
  // A masked edit always holds as many characters as its mask.
  void SetMaxLength(Integer Value);
  void SetSelText(const String& Value);
  // Raises EDBEditError when a changed text does not satisfy the mask,
  // with the caret on the first wrong place.
  virtual void ValidateEdit();
  // Restores the text of the last entry or the last change made in code.
  void Reset();

protected:
  // Pos receives the first wrong place.
  virtual bool Validate(const String& Value, Integer& Pos);
  virtual void ValidateError();
  // Shows the caret of a masked edit as the selected character at it.
  void CheckCursor();
  void SetCursor(Integer Pos);

  TCaption GetText() const override;
  void SetTextValue(const TCaption& Value) override;
  void InitializeWidget() override;
  void WidgetTextChanged(const String& Text) override;
  void DoEnter() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(QChar& Key) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  virtual void WMCut(TMessage& Message);
  virtual void WMPaste(TMessage& Message);
  // Posted by an exit with a text that does not satisfy the mask.
  static constexpr UINT CM_MASKREVALIDATE = CM_BASE + 0x200;
  void CMMaskRevalidate(TMessage& Message);

private:
  bool CanType() { return CanModifyText(); }
  // Puts a new edit text and a caret; reports the change as typing.
  void ApplyTyping(const String& NewText, Integer CursorPos);
  // Replaces the text without counting it as typing.
  void SetRawEditText(const String& Value);
  void ClearRange(String& Text, Integer Start, Integer Length) const;
  bool InputChar(QChar C);
  void InsertText(const String& Value);
  void ArrowKeys(Word Key);
  void DeleteKeys(Word Key);

  String FEditMask;
  TMaskLayout FLayout;
  String FOldValue;
  bool FReEnter = false;
  bool FSettingText = false;
};

class TMaskEdit : public TCustomMaskEdit {
  VELMORA_CLASS(TMaskEdit)
  using inherited = TCustomMaskEdit;
public:
  using TCustomMaskEdit::TCustomMaskEdit;
};

// Registers the mask edit for form descriptions.
void RegisterMaskClasses();
