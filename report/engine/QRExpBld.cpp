// QRExpBld.cpp: the expression builder and the environment editor.
#include "report/engine/QRExpBld.h"

#include "platform/data/DB.h"

namespace {

const char* const CategoryNames[] = {"Все", "Дата и время", "Математические", "Статистические",
                                     "Базы данных", "Логические", "Информационные", "Прочие"};
const char* const Operators[] = {"+", "-", "*", "/", "=", "<", ">", "<>", "<=", ">=", "Not", "And", "Or"};

// The text as one line: a wrapped edit may hold line breaks pasted in.
String WithoutLineBreaks(String Text)
{
  Text.remove(QLatin1Char('\r'));
  Text.remove(QLatin1Char('\n'));
  return Text;
}

String ArgumentCaption(QChar Kind, Integer Number)
{
  const char* Text = "Аргумент %1 - значение";
  if (Kind == QLatin1Char('B'))
    Text = "Аргумент %1 - логическое значение";
  else if (Kind == QLatin1Char('N'))
    Text = "Аргумент %1 - числовое значение";
  else if (Kind == QLatin1Char('S'))
    Text = "Аргумент %1 - текстовое значение";
  return QString::fromUtf8(Text).arg(Number);
}

void AddDataSetsOf(TComponent* Owner, std::vector<TDataSet*>& Sets)
{
  for (Integer I = 0; I < Owner->ComponentCount(); ++I) {
    TComponent* C = Owner->Components(I);
    if (auto* D = dynamic_cast<TDataSet*>(C))
      Sets.push_back(D);
    else if (dynamic_cast<TWinControl*>(C))
      AddDataSetsOf(C, Sets);
  }
}

template <class T>
T* Put(TWinControl* Parent, Integer Left, Integer Top, Integer Width, Integer Height)
{
  auto* C = new T(Parent);
  C->SetParent(Parent);
  C->SetBounds(Left, Top, Width, Height);
  return C;
}

TLabel* PutLabel(TWinControl* Parent, const String& Caption, Integer Left, Integer Top)
{
  auto* L = new TLabel(Parent);
  L->SetParent(Parent);
  L->SetLeft(Left);
  L->SetTop(Top);
  L->SetCaption(Caption);
  return L;
}

} // namespace

// ---------------------------------------------------------------------------
// The expression builder

TQRExpressionBuilder::TQRExpressionBuilder(TComponent* AOwner, TCustomForm* DatasetForm,
                                           TQREvEnvironment* Environment)
    : TForm(AOwner, 0), FDatasetForm(DatasetForm), FLocalEnvironment(Environment)
{
  SetCaption(QStringLiteral("Построитель выражений"));
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  SetClientWidth(520);
  SetClientHeight(270);

  TopPanel = new TPanel(this);
  TopPanel->SetParent(this);
  TopPanel->SetAlign(alClient);
  TopPanel->SetBevelOuter(bvNone);

  MainPage = Put<TPanel>(TopPanel, 0, 0, 520, 270);
  MainPage->SetBevelOuter(bvNone);
  Heading = PutLabel(MainPage, QStringLiteral("Введите выражение:"), 20, 14);
  Expr = Put<TEdit>(MainPage, 20, 36, 341, 24);
  // Back from a page the cursor stays where the next part goes.
  Expr->SetAutoSelect(false);
  DataFieldButton = AddButton(MainPage, QStringLiteral("Поле &базы данных..."), 375, 36, 130,
                              [this](TObject*) { FillDatasets(); OpenPage(DataFieldPage); });
  FunctionButton = AddButton(MainPage, QStringLiteral("&Функция..."), 375, 68, 130,
                             [this](TObject*) { FillFunctions(); OpenPage(FunctionPage); });
  VariableButton = AddButton(MainPage, QStringLiteral("&Переменная..."), 375, 100, 130,
                             [this](TObject*) { FillVariables(); OpenPage(VariablePage); });
  Integer Left = 20;
  for (const char* Op : Operators) {
    const String Text = QString::fromLatin1(Op);
    const Integer Width = Text.size() > 2 ? 40 : 32;
    OperatorButtons.push_back(AddButton(MainPage, Text, Left, 140, Width,
                                        [this, Text](TObject*) { Insert(QLatin1Char(' ') + Text + QLatin1Char(' ')); }));
    Left += Width + 4;
  }
  ValidateButton = AddButton(MainPage, QStringLiteral("Про&верить"), 20, 180, 90,
                             [this](TObject*) { ValidateResult->SetCaption(ValidateText()); });
  ClearButton = AddButton(MainPage, QStringLiteral("&Очистить"), 116, 180, 90, [this](TObject*) { Expr->Clear(); });
  OKButton = AddButton(MainPage, QStringLiteral("ОК"), 335, 225, 80, [this](TObject*) { Finish(mrOk); });
  OKButton->SetDefault(true);
  CancelButton = AddButton(MainPage, QStringLiteral("Отмена"), 425, 225, 80, [this](TObject*) { Finish(mrCancel); });
  CancelButton->SetCancel(true);
  ValidateResult = PutLabel(MainPage, String(), 20, 212);
  ValidateResult->SetAutoSize(false);
  ValidateResult->SetWordWrap(true);
  ValidateResult->SetBounds(20, 212, 300, 40);

  DataFieldPage = AddPage(QStringLiteral("Поле базы данных"), FDatafieldResult);
  AvailableDatasets = AddList(DataFieldPage, QStringLiteral("&Набор данных"), 20, 14, 230, 170);
  AvailableFields = AddList(DataFieldPage, QStringLiteral("По&ле"), 270, 14, 230, 170);
  AvailableDatasets->OnClick = [this](TObject*) {
    AvailableFields->Clear();
    const Integer I = AvailableDatasets->ItemIndex();
    if (I < 0 || I >= Integer(FDatasets.size()))
      return;
    TDataSet* D = FDatasets[std::size_t(I)];
    for (Integer F = 0; F < D->FieldCount(); ++F)
      AvailableFields->Items()->Add(D->Fields()->Fields(F)->FieldName());
  };
  AvailableFields->OnDblClick = [this](TObject*) { ClosePage(DataFieldPage, FDatafieldResult, 1); };

  FunctionPage = AddPage(QStringLiteral("Функция"), FFuncResult);
  Categories = AddList(FunctionPage, QStringLiteral("&Категория"), 20, 14, 140, 170);
  for (const char* C : CategoryNames)
    Categories->Items()->Add(QString::fromUtf8(C));
  Categories->OnClick = [this](TObject*) { FillFunctions(); };
  FunctionList = AddList(FunctionPage, QStringLiteral("&Функция"), 170, 14, 130, 170);
  FunctionList->OnClick = [this](TObject*) { FunctionSelected(); };
  FuncName = PutLabel(FunctionPage, String(), 312, 34);
  FuncName->SetAutoSize(false);
  FuncName->SetWordWrap(true);
  FuncName->SetBounds(312, 34, 195, 36);
  FuncDescription = PutLabel(FunctionPage, String(), 312, 74);
  FuncDescription->SetAutoSize(false);
  FuncDescription->SetWordWrap(true);
  FuncDescription->SetBounds(312, 74, 195, 130);
  // The page's OK continues to the arguments instead of inserting at once.
  for (Integer I = 0; I < FunctionPage->ComponentCount(); ++I)
    if (auto* B = dynamic_cast<TButton*>(FunctionPage->Components(I)); B && B->Default()) {
      B->SetCaption(QStringLiteral("&Далее"));
      B->OnClick = [this](TObject*) { FunctionContinue(); };
    }
  FunctionList->OnDblClick = [this](TObject*) { FunctionContinue(); };

  FuncParamsPage = AddPage(QStringLiteral("Аргументы функции"), FFuncParamsResult);

  VariablePage = AddPage(QStringLiteral("Переменная"), FVariableResult);
  AvailableVariables = AddList(VariablePage, QStringLiteral("&Переменные"), 20, 14, 230, 170);
  AvailableVariables->OnClick = [this](TObject*) {
    const Integer I = AvailableVariables->ItemIndex();
    const Integer Local = FLocalEnvironment ? FLocalEnvironment->Count() : 0;
    TQREvEmbeddedFunction* E = nullptr;
    if (I >= 0 && I < Local)
      E = FLocalEnvironment->Entry(I);
    else if (I >= Local && I - Local < GlobalEnvironment()->Count())
      E = GlobalEnvironment()->Entry(I - Local);
    VariableValue->SetCaption(E ? E->Expression() : String());
  };
  AvailableVariables->OnDblClick = [this](TObject*) { ClosePage(VariablePage, FVariableResult, 1); };
  PutLabel(VariablePage, QStringLiteral("Выражение:"), 270, 14);
  VariableValue = PutLabel(VariablePage, String(), 270, 34);
  VariableValue->SetAutoSize(false);
  VariableValue->SetWordWrap(true);
  VariableValue->SetBounds(270, 34, 235, 110);
  ModifyVariables = AddButton(VariablePage, QStringLiteral("&Изменить переменные..."), 270, 160, 170,
                              [this](TObject*) {
                                EditEnvironment(FLocalEnvironment, true, this);
                                FillVariables();
                              });
}

TButton* TQRExpressionBuilder::AddButton(TWinControl* Parent, const String& Caption, Integer Left, Integer Top,
                                         Integer Width, TNotifyEvent OnClick)
{
  auto* B = Put<TButton>(Parent, Left, Top, Width, 25);
  B->SetCaption(Caption);
  B->OnClick = std::move(OnClick);
  return B;
}

TListBox* TQRExpressionBuilder::AddList(TWinControl* Parent, const String& Caption, Integer Left, Integer Top,
                                        Integer Width, Integer Height)
{
  PutLabel(Parent, Caption, Left, Top);
  return Put<TListBox>(Parent, Left, Top + 20, Width, Height);
}

// A sub-page over the main page, with its OK (result 1) and Cancel (2).
TPanel* TQRExpressionBuilder::AddPage(const String& Caption, Integer& Result)
{
  auto* Page = Put<TPanel>(TopPanel, 0, 0, 520, 270);
  Page->SetBevelOuter(bvNone);
  Page->SetCaption(String());
  Page->SetVisible(false);
  Page->SetHint(Caption);
  auto* OK = AddButton(Page, QStringLiteral("ОК"), 335, 225, 80,
                       [this, Page, &Result](TObject*) { ClosePage(Page, Result, 1); });
  OK->SetDefault(true);
  auto* Cancel = AddButton(Page, QStringLiteral("Отмена"), 425, 225, 80,
                           [this, Page, &Result](TObject*) { ClosePage(Page, Result, 2); });
  Cancel->SetCancel(true);
  return Page;
}

void TQRExpressionBuilder::OpenPage(TPanel* Page)
{
  MainPage->SetEnabled(false);
  MainPage->SetVisible(false);
  Page->SetVisible(true);
  Page->BringToFront();
}

void TQRExpressionBuilder::ClosePage(TPanel* Page, Integer& Result, Integer Value)
{
  Result = Value;
  if (Value == 1) {
    if (Page == DataFieldPage) {
      const Integer D = AvailableDatasets->ItemIndex();
      const Integer F = AvailableFields->ItemIndex();
      if (D >= 0 && F >= 0)
        Insert(AvailableDatasets->Items()->Strings(D) + QLatin1Char('.') + AvailableFields->Items()->Strings(F));
    } else if (Page == VariablePage) {
      const Integer V = AvailableVariables->ItemIndex();
      if (V >= 0)
        Insert(AvailableVariables->Items()->Strings(V));
    } else if (Page == FuncParamsPage) {
      if (TQRLibraryEntry* E = SelectedFunction()) {
        QStringList Args;
        for (TEdit* P : ParamEdits)
          Args << WithoutLineBreaks(P->Text());
        Insert(E->Name + QLatin1Char('(') + Args.join(ArgumentSeparator) + QLatin1Char(')'));
      }
    }
  }
  Page->SetVisible(false);
  MainPage->SetVisible(true);
  MainPage->SetEnabled(true);
  if (Expr->HandleAllocated() && Visible())
    Expr->SetFocus();
  Result = 0;
}

void TQRExpressionBuilder::Insert(const String& Text) { Expr->SetSelText(Text); }

void TQRExpressionBuilder::Finish(TModalResult Result)
{
  FExprResult = Result == mrOk ? 1 : 2;
  SetModalResult(Result);
}

std::vector<TDataSet*> TQRExpressionBuilder::AvailableDataSets() const
{
  std::vector<TDataSet*> Sets;
  if (FDatasetForm)
    AddDataSetsOf(FDatasetForm, Sets);
  for (Integer I = 0; Screen && I < Screen->DataModuleCount(); ++I)
    AddDataSetsOf(Screen->DataModules(I), Sets);
  return Sets;
}

void TQRExpressionBuilder::FillDatasets()
{
  FDatasets = AvailableDataSets();
  AvailableDatasets->Clear();
  AvailableFields->Clear();
  for (TDataSet* D : FDatasets)
    AvailableDatasets->Items()->Add(D->Name());
}

void TQRExpressionBuilder::FillVariables()
{
  AvailableVariables->Clear();
  VariableValue->SetCaption(String());
  if (FLocalEnvironment)
    for (Integer I = 0; I < FLocalEnvironment->Count(); ++I)
      AvailableVariables->Items()->Add(FLocalEnvironment->Strings(I));
  for (Integer I = 0; I < GlobalEnvironment()->Count(); ++I)
    AvailableVariables->Items()->Add(GlobalEnvironment()->Strings(I));
}

void TQRExpressionBuilder::FillFunctions()
{
  if (Categories->ItemIndex() < 0)
    Categories->SetItemIndex(0);
  const Integer Category = Categories->ItemIndex();
  FShownFunctions.clear();
  FunctionList->Clear();
  TQRFunctionLibrary& Library = GlobalFunctionLibrary();
  for (Integer I = 0; I < Library.Count(); ++I) {
    TQRLibraryEntry* E = Library.Entry(I);
    if (Category > 0 && !E->Data.startsWith(QChar(QLatin1Char('0' + Category))))
      continue;
    FShownFunctions.push_back(E);
    FunctionList->Items()->Add(E->Name);
  }
  FunctionSelected();
}

TQRLibraryEntry* TQRExpressionBuilder::SelectedFunction() const
{
  const Integer I = FunctionList->ItemIndex();
  return I >= 0 && I < Integer(FShownFunctions.size()) ? FShownFunctions[std::size_t(I)] : nullptr;
}

void TQRExpressionBuilder::FunctionSelected()
{
  TQRLibraryEntry* E = SelectedFunction();
  const String Description = E ? E->Description : String();
  const qsizetype Bar = Description.indexOf(QLatin1Char('|'));
  FuncName->SetCaption(Bar < 0 ? Description : Description.left(Bar));
  FuncDescription->SetCaption(Bar < 0 ? String() : Description.mid(Bar + 1));
}

void TQRExpressionBuilder::FunctionContinue()
{
  TQRLibraryEntry* E = SelectedFunction();
  if (!E)
    return;
  FunctionPage->SetVisible(false);
  if (E->Data.size() <= 1) {
    ClosePage(FunctionPage, FFuncResult, 2);
    Insert(E->Name);
    return;
  }
  BuildParamRows(*E);
  OpenPage(FuncParamsPage);
  ParamEdits.front()->SetFocus();
}

void TQRExpressionBuilder::BuildParamRows(const TQRLibraryEntry& Entry)
{
  for (TControl* C : FParamRows)
    delete C;
  FParamRows.clear();
  ParamEdits.clear();
  const String Template = Entry.Description.section(QLatin1Char('|'), 0, 0);
  for (Integer I = 1; I < Entry.Data.size(); ++I) {
    const Integer Top = 14 + 40 * (I - 1);
    TLabel* L = PutLabel(FuncParamsPage, ArgumentCaption(Entry.Data[I], I), 20, Top);
    auto* Edit = Put<TEdit>(FuncParamsPage, 20, Top + 16, 440, 21);
    auto* More = AddButton(FuncParamsPage, QStringLiteral("..."), 466, Top + 15, 30, nullptr);
    More->OnClick = [this, Edit, I, Template](TObject*) {
      String Text = Edit->Text();
      if (EditExpression(QStringLiteral("Введите %1-й аргумент для %2").arg(I).arg(Template), Text, FDatasetForm,
                         FLocalEnvironment, this))
        Edit->SetText(Text);
    };
    FParamRows.insert(FParamRows.end(), {L, Edit, More});
    ParamEdits.push_back(Edit);
  }
}

String TQRExpressionBuilder::ValidateText()
{
  GlobalEnvironment()->Prepare();
  if (FLocalEnvironment)
    FLocalEnvironment->Prepare();
  TQREvResult Result;
  {
    std::vector<TDataSet*> Sets = AvailableDataSets();
    TQREvaluator Evaluator;
    Evaluator.SetDataSets(&Sets);
    Evaluator.SetEnvironment(FLocalEnvironment);
    Evaluator.Calculate(WithoutLineBreaks(Expr->Text()), Result);
  }
  if (FLocalEnvironment)
    FLocalEnvironment->Unprepare();
  GlobalEnvironment()->Unprepare();
  // An empty text is a valid result too; only an error is an error.
  if (Result.Kind == resError)
    return QStringLiteral("ОШИБКА: ") + Result.StringVal;
  return QStringLiteral("Ошибок нет. Результат: ") + EvResultToString(Result);
}

bool TQRExpressionBuilder::Execute(const String& HeadingText, String& Expression, TCustomForm* ParentForm)
{
  if (!HeadingText.isEmpty())
    Heading->SetCaption(HeadingText);
  Expr->SetText(Expression);
  // The selection is the widget's: make it once the window is up.
  OnShow = [this](TObject*) {
    Expr->SetFocus();
    Expr->SelectAll();
  };
  if (ParentForm) {
    // Platform forms do not nest: the builder covers the calling dialog as
    // a modal window of its own.
    SetPosition(TPosition::poDesigned);
    SetBounds(ParentForm->Left(), ParentForm->Top(), Width(), Height());
    FillDatasets();
    FillVariables();
  }
  ShowModal();
  const bool Confirmed = FExprResult == 1 && !Cancelled;
  Expression = Confirmed ? WithoutLineBreaks(Expr->Text()) : String();
  return Confirmed;
}

bool EditExpression(const String& Heading, String& Expression, TCustomForm* DatasetForm,
                    TQREvEnvironment* Environment, TCustomForm* ParentForm)
{
  std::unique_ptr<TQRExpressionBuilder> Builder(new TQRExpressionBuilder(Application, DatasetForm, Environment));
  return Builder->Execute(Heading, Expression, ParentForm);
}

// ---------------------------------------------------------------------------
// The environment editor

TQREnvironmentEditor::TQREnvironmentEditor(TComponent* AOwner, TQREvEnvironment* Environment, bool AllowGlobal)
    : TForm(AOwner, 0)
{
  SetCaption(QStringLiteral("Пользовательские функции"));
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  SetClientWidth(520);
  SetClientHeight(300);

  LocalDefines = Put<TRadioButton>(this, 20, 10, 150, 20);
  LocalDefines->SetCaption(QStringLiteral("&Локальные"));
  GlobalDefines = Put<TRadioButton>(this, 180, 10, 150, 20);
  GlobalDefines->SetCaption(QStringLiteral("&Глобальные"));
  LocalDefines->OnClick = [this](TObject*) { FillGrid(); };
  GlobalDefines->OnClick = [this](TObject*) { FillGrid(); };
  GridHeader = PutLabel(this, QStringLiteral("Имя = Выражение"), 20, 38);
  UDFGrid = Put<TListBox>(this, 20, 56, 380, 230);
  UDFGrid->OnDblClick = [this](TObject*) { ShowEntry(UDFGrid->ItemIndex()); };

  EditButton = Put<TButton>(this, 415, 56, 90, 25);
  EditButton->SetCaption(QStringLiteral("&Изменить"));
  EditButton->OnClick = [this](TObject*) { ShowEntry(UDFGrid->ItemIndex()); };
  AddButton = Put<TButton>(this, 415, 88, 90, 25);
  AddButton->SetCaption(QStringLiteral("&Добавить"));
  AddButton->OnClick = [this](TObject*) { ShowEntry(-1); };
  DeleteButton = Put<TButton>(this, 415, 120, 90, 25);
  DeleteButton->SetCaption(QStringLiteral("&Удалить"));
  DeleteButton->OnClick = [this](TObject*) {
    const Integer I = UDFGrid->ItemIndex();
    TEdited& E = Current();
    // A prepared environment's entries may be held by running evaluators.
    if (!E.Environment || I < 0 || I >= Integer(E.Rows.size()) || (E.Environment->Prepared() && E.Rows[std::size_t(I)].Original))
      return;
    E.Rows.erase(E.Rows.begin() + I);
    FillGrid();
    UDFGrid->SetItemIndex(std::min<Integer>(I, UDFGrid->Count() - 1));
  };
  OKButton = Put<TButton>(this, 415, 229, 90, 25);
  OKButton->SetCaption(QStringLiteral("ОК"));
  OKButton->SetModalResult(mrOk);
  CancelButton = Put<TButton>(this, 415, 261, 90, 25);
  CancelButton->SetCaption(QStringLiteral("Отмена"));
  CancelButton->SetModalResult(mrCancel);
  CancelButton->SetCancel(true);

  EntryGroup = Put<TGroupBox>(this, 20, 56, 485, 150);
  EntryGroup->SetCaption(QStringLiteral("Новая запись"));
  EntryGroup->SetVisible(false);
  PutLabel(EntryGroup, QStringLiteral("Имя:"), 12, 28);
  EntryName = Put<TEdit>(EntryGroup, 100, 24, 200, 21);
  PutLabel(EntryGroup, QStringLiteral("Выражение:"), 12, 60);
  EntryExpression = Put<TEdit>(EntryGroup, 100, 56, 340, 21);
  EntryExpressionButton = Put<TButton>(EntryGroup, 446, 55, 30, 23);
  EntryExpressionButton->SetCaption(QStringLiteral("..."));
  EntryExpressionButton->OnClick = [this](TObject*) {
    String Text = EntryExpression->Text();
    if (EditExpression(EntryName->Text().trimmed().toUpper(), Text, this, Current().Environment, this))
      EntryExpression->SetText(Text);
  };
  EntryError = PutLabel(EntryGroup, String(), 100, 86);
  EntryOK = Put<TButton>(EntryGroup, 290, 112, 90, 25);
  EntryOK->SetCaption(QStringLiteral("&ОК"));
  EntryOK->OnClick = [this](TObject*) { EntryDone(true); };
  EntryCancel = Put<TButton>(EntryGroup, 386, 112, 90, 25);
  EntryCancel->SetCaption(QStringLiteral("О&тмена"));
  EntryCancel->OnClick = [this](TObject*) { EntryDone(false); };

  Load(FLocal, Environment);
  Load(FGlobal, GlobalEnvironment());
  FAllowGlobal = AllowGlobal;
  GlobalDefines->SetEnabled(AllowGlobal);
  LocalDefines->SetEnabled(Environment != nullptr);
  if (Environment)
    LocalDefines->SetChecked(true);
  else
    GlobalDefines->SetChecked(true);
  FillGrid();
}

void TQREnvironmentEditor::Load(TEdited& E, TQREvEnvironment* Environment)
{
  E.Environment = Environment;
  E.Rows.clear();
  for (Integer I = 0; Environment && I < Environment->Count(); ++I)
    E.Rows.push_back({Environment->Strings(I), Environment->Entry(I)->Expression(), Environment->Entry(I)});
}

void TQREnvironmentEditor::FillGrid()
{
  UDFGrid->Clear();
  for (const TRow& R : Current().Rows)
    UDFGrid->Items()->Add(R.Name + QStringLiteral(" = ") + R.Expression);
}

void TQREnvironmentEditor::SetButtonsVisible(bool Value)
{
  for (TControl* C : std::initializer_list<TControl*>{UDFGrid, GridHeader, EditButton, AddButton, DeleteButton,
                                                      OKButton, CancelButton})
    C->SetVisible(Value);
  LocalDefines->SetEnabled(Value && FLocal.Environment);
  GlobalDefines->SetEnabled(Value && FAllowGlobal);
}

void TQREnvironmentEditor::ShowEntry(Integer Row)
{
  TEdited& E = Current();
  if (!E.Environment || Row >= Integer(E.Rows.size()) || (Row < 0 && Row != -1))
    return;
  if (Row >= 0 && UDFGrid->ItemIndex() < 0)
    return;
  FEditedRow = Row;
  const bool Existing = Row >= 0;
  EntryGroup->SetCaption(Existing ? QStringLiteral("Изменение записи") : QStringLiteral("Новая запись"));
  EntryName->SetText(Existing ? E.Rows[std::size_t(Row)].Name : String());
  EntryExpression->SetText(Existing ? E.Rows[std::size_t(Row)].Expression : String());
  // Entries of a prepared environment keep their expression: running
  // evaluators hold its elements.
  const bool Locked = Existing && E.Environment->Prepared() && E.Rows[std::size_t(Row)].Original;
  EntryExpression->SetReadOnly(Locked);
  EntryExpressionButton->SetEnabled(!Locked);
  EntryError->SetCaption(String());
  SetButtonsVisible(false);
  EntryGroup->SetVisible(true);
  EntryGroup->BringToFront();
  EntryName->SetFocus();
}

void TQREnvironmentEditor::EntryDone(bool Confirmed)
{
  TEdited& E = Current();
  if (Confirmed) {
    const String Name = EntryName->Text().trimmed().toUpper();
    const String Expression = WithoutLineBreaks(EntryExpression->Text());
    if (Name.isEmpty()) {
      EntryError->SetCaption(QStringLiteral("Введите имя."));
      return;
    }
    for (Integer I = 0; I < Integer(E.Rows.size()); ++I)
      if (I != FEditedRow && E.Rows[std::size_t(I)].Name == Name) {
        EntryError->SetCaption(QStringLiteral("Имя %1 уже есть.").arg(Name));
        return;
      }
    if (FEditedRow < 0)
      E.Rows.push_back({Name, Expression, nullptr});
    else
      E.Rows[std::size_t(FEditedRow)].Name = Name, E.Rows[std::size_t(FEditedRow)].Expression = Expression;
  }
  EntryGroup->SetVisible(false);
  SetButtonsVisible(true);
  const Integer Row = FEditedRow < 0 ? Integer(E.Rows.size()) - 1 : FEditedRow;
  FillGrid();
  UDFGrid->SetItemIndex(Confirmed ? Row : std::min(Row, UDFGrid->Count() - 1));
  UDFGrid->SetFocus();
}

void TQREnvironmentEditor::ApplyTo(TEdited& E)
{
  TQREvEnvironment* Env = E.Environment;
  if (!Env)
    return;
  for (Integer I = Env->Count() - 1; I >= 0; --I) {
    TQREvEmbeddedFunction* Entry = Env->Entry(I);
    const bool Kept = std::any_of(E.Rows.begin(), E.Rows.end(), [&](const TRow& R) { return R.Original == Entry; });
    if (!Kept)
      Env->DeleteFunction(Env->Strings(I));
  }
  for (const TRow& R : E.Rows) {
    if (!R.Original)
      continue;
    const Integer I = Env->IndexOfObject(R.Original);
    if (Env->Strings(I) != R.Name)
      Env->Put(I, R.Name);
    if (R.Original->Expression() != R.Expression && !Env->Prepared()) {
      delete R.Original;
      Env->PutObject(I, new TQREvEmbeddedFunction(R.Expression));
    }
  }
  for (const TRow& R : E.Rows)
    if (!R.Original)
      Env->AddFunction(R.Name, R.Expression);
  Load(E, Env);
}

void TQREnvironmentEditor::Apply()
{
  ApplyTo(FLocal);
  if (FAllowGlobal || !FLocal.Environment)
    ApplyTo(FGlobal);
}

bool TQREnvironmentEditor::Execute()
{
  if (ShowModal() != mrOk)
    return false;
  Apply();
  return true;
}

bool EditEnvironment(TQREvEnvironment* Environment, bool AllowGlobal, TCustomForm* Builder)
{
  (void)Builder;
  std::unique_ptr<TQREnvironmentEditor> Editor(new TQREnvironmentEditor(Application, Environment, AllowGlobal));
  return Editor->Execute();
}
