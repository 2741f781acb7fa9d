// QRCtrls.h: the printable controls: labels, memos and field texts,
// expressions, shapes, images and frame lines.
#pragma once

#include "platform/data/DB.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/StdCtrls.h"
#include "report/engine/QRExpr.h"
#include "report/engine/QRReport.h"

// ---------------------------------------------------------------------------
// Text controls

// The order is stored in forms.
enum TWrapStyle { BreakOnSpaces, BreakAnywhere };

using TQRLabelOnPrintEvent = std::function<void(TObject* Sender, String& Value)>;

// The name of the text control whose lines are being printed; export
// filters copy it into what they write for those lines.
const String& QRCurrentControlName();

// Splits Text at Separator into trimmed, non-empty pieces (the last piece
// stays untrimmed).
void QRSplitText(const String& Text, QChar Separator, TStrings* List);

// A text broken into lines that fit the control, printed on the page or
// handed to the export filter, growing its band and continuing on the next
// page when it may stretch.
class TQRCustomLabel : public TQRPrintable {
  VELMORA_CLASS(TQRCustomLabel)
  using inherited = TQRPrintable;
public:
  explicit TQRCustomLabel(TComponent* AOwner);
  ~TQRCustomLabel() override;

  virtual bool GetCaptionBased() const { return FCaptionBased; }
  virtual void FormatLines();

  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void SetAlignment(TAlignment Value) override { inherited::SetAlignment(Value); }
  void Unprepare() override { inherited::Unprepare(); }
  void SetParent(TWinControl* AParent) override;
  void Loaded() override;

  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  String Widecaption() const { return FWidecaption; }
  void SetWidecaption(const String& Value);
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool AutoStretch() const { return FAutoStretch; }
  void SetAutoStretch(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TWrapStyle WrapStyle() const { return FWrapStyle; }
  void SetWrapStyle(TWrapStyle Value);
  bool FullJustify() const { return FFullJustify; }
  void SetFullJustify(bool Value);
  Integer MaxBreakChars() const { return FMaxBreakChars; }
  void SetMaxBreakChars(Integer Value) { FMaxBreakChars = Value; }
  TTextLayout VerticalAlignment() const { return FVerticalAlignment; }
  void SetVerticalAlignment(TTextLayout Value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }
  virtual bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  TAlignment GetControlsAlignment() const { return Alignment(); }
  // The lines of the last formatting.
  TStrings* FormattedLines() const { return FFormattedLines.get(); }
  // The text that is formatted and printed.
  const String& PrintCaption() const { return FPrintCaption; }
  Integer CurrentLine() const { return FCurrentLine; }
  Integer FontSizeStored() const { return FFontSize; }

  TQRLabelOnPrintEvent OnPrint;

protected:
  void DefineProperties(TFiler& Filer) override;
  void SetNameInternal(const String& NewName) override;
  void CMFontChanged(TMessage& Message) override;
  void Paint() override;
  virtual void ReadFontSize(TReader& Reader);
  virtual void WriteFontSize(TWriter& Writer);
  // Draws the lines on the control's canvas in the rectangle (designer).
  void PaintLines(const TRect& R, Integer LH);
  void PrintLines(TCanvas* ACanvas, Extended L, Extended T, Extended W, Extended H, Extended LH, bool CanExpand);
  // The line height of the control's font on the report, at its zoom.
  Extended ExpandedLineHeight() const;

  bool FCaptionBased = true;
  String FPrintCaption;
  std::unique_ptr<TStringList> FLines;
  bool UpdatingBounds = false;

private:
  Integer TextWidthOf(const String& S);
  Integer TextHeightOf(const String& S);
  void FormatSourceText(String T);
  void AddLine(const String& S) { FFormattedLines->Add(S); }
  void PrintJustified(TCanvas* ACanvas, const String& S, Extended X, Extended& Y, Extended LH, UINT Options);
  void ExportLine(const String& S, Extended X, Extended Y, Extended L, Extended T, Extended W, Extended H);
  TAlignment MirroredAlignment() const;

  bool FAutoSize = true;
  bool FAutoStretch = false;
  String FCaption;
  String FWidecaption;
  TWrapStyle FWrapStyle = BreakOnSpaces;
  Integer FCurrentLine = 0;
  Integer FFontSize = 0;
  std::unique_ptr<TStringList> FFormattedLines;
  bool FWordWrap = true;
  bool FFullJustify = false;
  Integer FMaxBreakChars = 0;
  TTextLayout FVerticalAlignment = tlTop;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  // The working line and the truncation flag of the formatting.
  String WorkLine;
  bool Truncated = false;
};

// A fixed caption.
class TQRLabel : public TQRCustomLabel {
  VELMORA_CLASS(TQRLabel)
  using inherited = TQRCustomLabel;
public:
  using TQRCustomLabel::TQRCustomLabel;
  TQRPrintableEditorClass GetEditorClass() const override;
  void GetExpandedHeight(Extended& NewHeight) override;
};

// A list of lines.
class TQRMemo : public TQRCustomLabel {
  VELMORA_CLASS(TQRMemo)
  using inherited = TQRCustomLabel;
public:
  using TQRCustomLabel::TQRCustomLabel;
  bool GetCaptionBased() const override { return false; }
  void Print(Integer OfsX, Integer OfsY) override;
  void GetExpandedHeight(Extended& NewHeight) override;

protected:
  void Paint() override;
};

// The value of one dataset field, optionally through a display mask.
class TQRDBText : public TQRCustomLabel {
  VELMORA_CLASS(TQRDBText)
  using inherited = TQRCustomLabel;
public:
  using TQRCustomLabel::TQRCustomLabel;
  bool GetCaptionBased() const override { return !IsMemo; }
  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void Unprepare() override;
  void GetExpandedHeight(Extended& NewHeight) override;
  void GetFieldString(String& DataStr) override;
  bool UseRightToLeftAlignment() const override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  String DataField() const { return FDataField; }
  void SetDataField(const String& Value);
  String Mask() const { return FMask; }
  void SetMask(const String& Value) { FMask = Value; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // The field to read now: default fields are taken again by index.
  TField* CurrentField();
  // The field's text into DataStr; false for a class the mask does not serve.
  void FieldText(TField* F, String& DataStr);

  TField* Field = nullptr;
  Integer FieldNo = 0;
  bool FieldOK = false;
  TDataSet* FDataSet = nullptr;
  String FDataField;
  String FMask;
  bool IsMemo = false;
};

// ---------------------------------------------------------------------------
// Expressions

// The value of an expression, optionally totalled over the records of a
// master.
class TQRExpr : public TQRCustomLabel {
  VELMORA_CLASS(TQRExpr)
  using inherited = TQRCustomLabel;
public:
  explicit TQRExpr(TComponent* AOwner);
  ~TQRExpr() override;
  TQRPrintableEditorClass GetEditorClass() const override;

  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void ReceiveNotify(TObject* Sender, Integer Operation) override;
  void Unprepare() override;

  String Expression() const { return FExpression; }
  void SetExpression(const String& Value);
  String Mask() const { return FMask; }
  void SetMask(const String& Value);
  TComponent* Master() const { return FMaster; }
  void SetMaster(TComponent* Value) { FMaster = Value; }
  bool ResetAfterPrint() const { return FResetAfterPrint; }
  void SetResetAfterPrint(bool Value) { FResetAfterPrint = Value; }
  void Reset();
  TQREvResult Value();
  // The text a value prints with the mask.
  static String FormatValue(const TQREvResult& Value, const String& Mask);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  std::unique_ptr<TQREvaluator> Evaluator;
  String FExpression;
  String FMask;
  TComponent* FMaster = nullptr;
  bool FResetAfterPrint = false;
};

// The order is stored in forms.
enum TQRShapeType {
  qrsRectangle, qrsCircle, qrsVertLine, qrsHorLine, qrsTopAndBottom, qrsRightAndLeft, qrsRoundRect,
  qrsLeftDiagonal, qrsRightDiagonal
};

// A rectangle, ellipse, line or rounded rectangle with its own pen and brush.
class TQRShape : public TQRPrintable {
  VELMORA_CLASS(TQRShape)
  using inherited = TQRPrintable;
public:
  explicit TQRShape(TComponent* AOwner);
  ~TQRShape() override;

  void Print(Integer OfsX, Integer OfsY) override;

  TQRShapeType Shape() const { return FShape; }
  void SetShape(TQRShapeType Value);
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  float RoundFactor() const { return FRoundFactor; }
  void SetRoundFactor(float Value);
  // A vertical correction that the PDF and HTML filters read.
  Integer VertAdjust() const { return FVertAdjust; }
  void SetVertAdjust(Integer Value) { FVertAdjust = Value; }

protected:
  void Paint() override;

private:
  // Draws the shape in the rectangle; XM and YM are its middle lines.
  void DrawShape(TCanvas* ACanvas, const TRect& R, Integer XM, Integer YM) const;

  TQRShapeType FShape = qrsRectangle;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  float FRoundFactor = 0;
  Integer FVertAdjust = 0;
};

// A picture held in the report form.
class TQRImage : public TQRPrintable {
  VELMORA_CLASS(TQRImage)
  using inherited = TQRPrintable;
public:
  explicit TQRImage(TComponent* AOwner);
  ~TQRImage() override;

  void Print(Integer OfsX, Integer OfsY) override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  // The picture's bitmap canvas (an empty picture becomes a bitmap of the
  // control's size); nullptr for a picture of another kind.
  TCanvas* ImageCanvas();

protected:
  void Paint() override;

private:
  void PictureChanged();

  std::unique_ptr<TPicture> FPicture;
  bool FAutoSize = false;
  bool FStretch = false;
  bool FCenter = false;
};

// A picture stored in a blob field.
class TQRDBImage : public TQRPrintable {
  VELMORA_CLASS(TQRDBImage)
  using inherited = TQRPrintable;
public:
  explicit TQRDBImage(TComponent* AOwner);
  ~TQRDBImage() override;

  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void Unprepare() override;
  void GetExpandedHeight(Extended& NewHeight) override;
  void GetFieldString(String& /*DataStr*/) override {}

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  String DataField() const { return FDataField; }
  void SetDataField(const String& Value) { FDataField = Value; }
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  // Loads the field's picture once.
  void LoadPicture();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;

private:
  TField* FField = nullptr;
  TDataSet* FDataSet = nullptr;
  String FDataField;
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = true;
  bool FPictureLoaded = false;
};

// A picture reference for the HTML export only; nothing on the page.
class TQRHTMLImage : public TQRPrintable {
  VELMORA_CLASS(TQRHTMLImage)
  using inherited = TQRPrintable;
public:
  using TQRPrintable::TQRPrintable;
  void Print(Integer OfsX, Integer OfsY) override;
  String ImageURL() const { return FImageURL; }
  void SetImageURL(const String& Value) { FImageURL = Value; }
  // The HTML filter's handler for the reference.
  static std::function<void(TQRHTMLImage* Image, TQRExportFilter* Filter, Integer OfsX, Integer OfsY)>& AcceptImageURL();

private:
  String FImageURL;
};

// Draws a picture into a control's box on the report printer: stretched, or
// at its screen size (centred when asked) and cut at the box.
void QRPrintPicture(TQRPrinter* Job, TGraphic* Graphic, const TRect& Box, bool Stretch, bool Center);

// A marker that makes its band's frame draw a vertical rule through it.
class TQRFrameline : public TQRPrintable {
  VELMORA_CLASS(TQRFrameline)
  using inherited = TQRPrintable;
public:
  using TQRPrintable::TQRPrintable;
  void Print(Integer /*OfsX*/, Integer /*OfsY*/) override {}

protected:
  void Paint() override;
};

void RegisterQRCtrlsClasses();
