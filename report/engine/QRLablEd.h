// QRLablEd.h: the designer's small editor of a text label: its caption, size,
// sizing and transparency.
#pragma once

#include "report/engine/QRCtrls.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Mask.h"
#include "platform/gui/StdCtrls.h"

class TQRLabelEditorForm : public TForm {
  VELMORA_CLASS(TQRLabelEditorForm)
  using inherited = TForm;
public:
  explicit TQRLabelEditorForm(TComponent* AOwner);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* Value = nullptr;
  TMaskEdit* Width = nullptr;
  TMaskEdit* Height = nullptr;
  TCheckBox* AutoSize = nullptr;
  TCheckBox* Stretch = nullptr;
  TCheckBox* Transparent = nullptr;
  TButton* OKBtn = nullptr;
  TButton* Button4 = nullptr;

protected:
  // A caption at (X, Y) in the group box.
  TLabel* PutLabel(const char* Caption, Integer X, Integer Y);
};

// Reads the size fields: blanks around the digits do not count; an empty
// field reads as 0.
Integer EditorSizeValue(const String& Text);

class TQRLabelEditor : public TQRPrintableEditor {
  VELMORA_CLASS(TQRLabelEditor)
  using inherited = TQRPrintableEditor;
public:
  using TQRPrintableEditor::TQRPrintableEditor;

  TColor GetColor() const override { return Label()->Color(); }
  TFont* GetFont() const override { return Label()->Font(); }
  TClass GetPrintableClass() const override { return TQRLabel::StaticClass(); }
  String GetValue() const override { return Label()->Caption(); }
  String GetGlyphResName() const override { return QStringLiteral("QRLABEL"); }
  String GetControlName() const override { return QStringLiteral("Text Control"); }
  TAlignment GetAlignment() const override { return Label()->Alignment(); }
  void SetAlignment(TAlignment Value) override { Label()->SetAlignment(Value); }
  void SetColor(TColor Value) override { Label()->SetColor(Value); }
  void SetFont(TFont* Value) override { Label()->Font()->Assign(Value); }
  void SetValue(const String& Value) override { Label()->SetCaption(Value); }
  // Shows the settings; writes them back and answers true on OK.
  bool ShowEditor() override;

protected:
  TQRCustomLabel* Label() const { return static_cast<TQRCustomLabel*>(Control()); }
  // The form's fields from the control, and back.
  void FillForm(TQRLabelEditorForm& Form) const;
  void TakeForm(const TQRLabelEditorForm& Form);
};
