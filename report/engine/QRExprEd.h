// QRExprEd.h: the designer's small editor of an expression control: the label
// settings, the expression (with the expression builder) and its mask.
#pragma once

#include "report/engine/QRLablEd.h"

class TQRExprEditorForm : public TQRLabelEditorForm {
  VELMORA_CLASS(TQRExprEditorForm)
  using inherited = TQRLabelEditorForm;
public:
  explicit TQRExprEditorForm(TComponent* AOwner);

  // Opens the expression builder on the text; a confirmed expression
  // replaces it.
  void ShowExprBuilderClick(TObject* Sender);

  TComboBox* Mask = nullptr;
  TButton* ShowExprBuilder = nullptr;
  // The form that owns the control, for the builder's dataset list.
  TCustomForm* DSForm = nullptr;
  // The report's functions and constants offered by the builder.
  TQREvEnvironment* Environment = nullptr;
};

class TQRExprEditor : public TQRLabelEditor {
  VELMORA_CLASS(TQRExprEditor)
  using inherited = TQRLabelEditor;
public:
  using TQRLabelEditor::TQRLabelEditor;

  TClass GetPrintableClass() const override { return TQRExpr::StaticClass(); }
  String GetValue() const override { return Expr()->Expression(); }
  String GetGlyphResName() const override { return QStringLiteral("QREXPR"); }
  String GetControlName() const override { return QStringLiteral("Expression Control"); }
  void SetValue(const String& Value) override { Expr()->SetExpression(Value); }
  bool ShowEditor() override;

private:
  TQRExpr* Expr() const { return static_cast<TQRExpr*>(Control()); }
};
