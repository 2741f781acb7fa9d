// QRExpBld.h: the design dialogs of report expressions: the expression
// builder, which composes an expression from fields, functions, variables
// and operators and checks it, and the editor of an environment's entries.
#pragma once

#include "report/engine/QRExpr.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <vector>

// Lets the user compose Expression. Answers whether the user confirmed;
// Expression then holds the text without line breaks, else it is emptied.
// With a ParentForm the builder covers it, its lists filled at once.
bool EditExpression(const String& Heading, String& Expression, TCustomForm* DatasetForm,
                    TQREvEnvironment* Environment, TCustomForm* ParentForm = nullptr);

// Lets the user edit the entries of Environment (or only the global ones
// when it is null). The environments change only when the user confirms.
bool EditEnvironment(TQREvEnvironment* Environment, bool AllowGlobal, TCustomForm* Builder = nullptr);

class TQRExpressionBuilder : public TForm {
  VELMORA_CLASS(TQRExpressionBuilder)
  using inherited = TForm;
public:
  TQRExpressionBuilder(TComponent* AOwner, TCustomForm* DatasetForm, TQREvEnvironment* Environment);

  // Shows the builder (over ParentForm when given) until the user ends it.
  bool Execute(const String& Heading, String& Expression, TCustomForm* ParentForm);
  // The datasets the field page offers: those of the dataset form (also of
  // its windowed children), then those of every data module.
  std::vector<TDataSet*> AvailableDataSets() const;
  // What a check of the current text shows.
  String ValidateText();

  TPanel* MainPage;
  TPanel* DataFieldPage;
  TPanel* FunctionPage;
  TPanel* FuncParamsPage;
  TPanel* VariablePage;
  TPanel* TopPanel;
  TLabel* Heading;
  TEdit* Expr;
  TLabel* ValidateResult;
  TButton* DataFieldButton;
  TButton* FunctionButton;
  TButton* VariableButton;
  TButton* ValidateButton;
  TButton* ClearButton;
  TButton* OKButton;
  TButton* CancelButton;
  std::vector<TButton*> OperatorButtons;
  TListBox* AvailableDatasets;
  TListBox* AvailableFields;
  TListBox* Categories;
  TListBox* FunctionList;
  TLabel* FuncName;
  TLabel* FuncDescription;
  TListBox* AvailableVariables;
  TLabel* VariableValue;
  TButton* ModifyVariables;
  std::vector<TEdit*> ParamEdits;
  bool Cancelled = false;

private:
  TButton* AddButton(TWinControl* Parent, const String& Caption, Integer Left, Integer Top, Integer Width,
                     TNotifyEvent OnClick);
  TListBox* AddList(TWinControl* Parent, const String& Caption, Integer Left, Integer Top, Integer Width,
                    Integer Height);
  TPanel* AddPage(const String& Caption, Integer& Result);
  void OpenPage(TPanel* Page);
  void ClosePage(TPanel* Page, Integer& Result, Integer Value);
  void Insert(const String& Text);
  void Finish(TModalResult Result);
  void FillDatasets();
  void FillFunctions();
  void FillVariables();
  void FunctionSelected();
  void FunctionContinue();
  void BuildParamRows(const TQRLibraryEntry& Entry);
  TQRLibraryEntry* SelectedFunction() const;

  TCustomForm* FDatasetForm;
  TQREvEnvironment* FLocalEnvironment;
  std::vector<TDataSet*> FDatasets;
  std::vector<TQRLibraryEntry*> FShownFunctions;
  std::vector<TControl*> FParamRows;
  Integer FFuncParamsResult = 0;
  Integer FFuncResult = 0;
  Integer FDatafieldResult = 0;
  Integer FExprResult = 0;
  Integer FVariableResult = 0;
};

class TQREnvironmentEditor : public TForm {
  VELMORA_CLASS(TQREnvironmentEditor)
  using inherited = TForm;
public:
  TQREnvironmentEditor(TComponent* AOwner, TQREvEnvironment* Environment, bool AllowGlobal);

  // Shows the editor modally; on OK the edits reach the environments.
  bool Execute();
  // Writes the edited entries into the environments.
  void Apply();

  TRadioButton* LocalDefines;
  TRadioButton* GlobalDefines;
  TLabel* GridHeader;
  TListBox* UDFGrid;
  TButton* EditButton;
  TButton* AddButton;
  TButton* DeleteButton;
  TButton* OKButton;
  TButton* CancelButton;
  TGroupBox* EntryGroup;
  TEdit* EntryName;
  TEdit* EntryExpression;
  TButton* EntryExpressionButton;
  TButton* EntryOK;
  TButton* EntryCancel;
  TLabel* EntryError;

private:
  // One entry as edited; Original is the entry it came from, if any.
  struct TRow {
    String Name;
    String Expression;
    TQREvEmbeddedFunction* Original = nullptr;
  };
  struct TEdited {
    TQREvEnvironment* Environment = nullptr;
    std::vector<TRow> Rows;
  };
  TEdited& Current() { return GlobalDefines->Checked() ? FGlobal : FLocal; }
  void Load(TEdited& E, TQREvEnvironment* Environment);
  void ApplyTo(TEdited& E);
  void FillGrid();
  void ShowEntry(Integer Row);
  void EntryDone(bool Confirmed);
  void SetButtonsVisible(bool Value);

  TEdited FLocal;
  TEdited FGlobal;
  Integer FEditedRow = -1;   // -1: a new entry
  bool FAllowGlobal = false;
};
