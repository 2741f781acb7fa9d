// DBAxisGridsEhValues.cpp: how a bar turns its field's value into cell texts,
// images and check-box states, and how typed, chosen and stepped values go
// back into the dataset.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

#include "gridlib/axisgrid/DBLookupUtilsEh.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/ScopeExit.h"

#include <cmath>
#include <limits>

namespace {

bool IsMemoFieldType(TFieldType T)
{
  return T == ftMemo || T == ftOraClob || T == ftWideMemo;
}

bool IsCheckNumericType(TFieldType T)
{
  return T == ftSmallint || T == ftInteger || T == ftFloat || T == ftCurrency || T == ftBCD || T == ftFMTBcd ||
         T == ftSingle;
}

bool IsStepNumericType(TFieldType T)
{
  return IsCheckNumericType(T) || T == ftWord;
}

// A text matches one value list: both empty, one of its ';'-separated items
// (trimmed, ignoring case), or an empty text when the list ends with ';'.
bool TextMatchesValueList(const String& Text, const String& List)
{
  if (Text.isEmpty() && List.isEmpty())
    return true;
  for (const String& Item : List.split(QLatin1Char(';')))
    if (AnsiCompareTextEh(Item.trimmed(), Text) == 0 && !(Item.trimmed().isEmpty() && !Text.isEmpty()))
      return true;
  return Text.isEmpty() && List.endsWith(QLatin1Char(';'));
}

String FirstValueListItem(TStrings* List, Integer Line)
{
  if (!List || Line >= List->Count())
    return String();
  return List->Strings(Line).split(QLatin1Char(';')).first().trimmed();
}

// The field's value as an image index; -1 when it does not fit 32 bits.
Integer FieldValueAsImageIndex(TField* F)
{
  if (F->IsNull() || !IsNumericFieldTypeEh(F->DataType()))
    return -1;
  const double V = F->AsFloat();
  if (!std::isfinite(V) || V < std::numeric_limits<Integer>::min() || V > std::numeric_limits<Integer>::max())
    return -1;
  return Integer(V);
}

// The characters a field's type can hold: digits and signs for integers,
// also the decimal separator and exponent for other numbers, any otherwise.
bool FieldAcceptsChar(TField* F, QChar Key)
{
  const TFieldType T = F->DataType();
  const bool Integral = T == ftSmallint || T == ftInteger || T == ftWord || T == ftLargeint || T == ftAutoInc;
  if (!Integral && !IsNumericFieldTypeEh(T))
    return true;
  if (Key.isDigit() || Key == QLatin1Char('+') || Key == QLatin1Char('-'))
    return true;
  if (Integral)
    return false;
  return Key == FormatSettings.DecimalSeparator || Key == QLatin1Char('E') || Key == QLatin1Char('e');
}

// Steps through a list of Count items: forward for a positive step,
// backward for a negative one, from the first or last item when the
// current one is not in the list.
Integer NextListIndex(Integer Current, Integer Count, double Step)
{
  if (Step > 0)
    return Current < 0 || Current >= Count - 1 ? 0 : Current + 1;
  return Current <= 0 ? Count - 1 : Current - 1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Lookup touchpoints.

TDBLookupDataEh* TAxisBarEh::CreateLookupParams()
{
  return new TDBLookupDataEh(this);
}

void TAxisBarEh::FreeLookupParamsEh()
{
  delete FLookupParams;
  FLookupParams = nullptr;
}

bool TAxisBarEh::LookupIsSetUpEh() const
{
  return FLookupParams && FLookupParams->LookupIsSetUp();
}

bool TAxisBarEh::LookupActiveEh() const
{
  return FLookupParams && FLookupParams->LookupActive();
}

void TAxisBarEh::UpdateLookupStateEh()
{
  if (FLookupParams)
    FLookupParams->UpdateLookupState();
}

String TAxisBarEh::LookupDisplayFieldNameEh() const
{
  return FLookupParams ? FLookupParams->LookupDisplayFieldName() : String();
}

void TAxisBarEh::AssignLookupParamsEh(TAxisBarEh* Source)
{
  if (FLookupParams && Source->FLookupParams && !FLookupParams->LookupInDataField())
    FLookupParams->Assign(Source->FLookupParams);
}

bool TAxisBarEh::LookupKeyFieldsCanModifyEh() const
{
  TCustomDBAxisGridEh* G = Grid();
  TDataSet* DS = G ? G->DataLink()->DataSet() : nullptr;
  if (!FLookupParams || !DS || FLookupParams->KeyFieldNames().isEmpty())
    return false;
  const std::vector<TField*> Fields = DS->GetFieldList(FLookupParams->KeyFieldNames());
  return !Fields.empty() && FieldsCanModifyEh(Fields);
}

// ---------------------------------------------------------------------------
// Texts.

static bool MemoTextMode(TCustomDBAxisGridEh* G, TField* F)
{
  return G && F && G->DrawMemoText() && IsMemoFieldType(F->DataType());
}

static String FormatFieldTextEh(TField* Field, const String& Format)
{
  if (Format.isEmpty())
    return Field->DisplayText();
  if (Field->IsNull())
    return String();
  const TFieldType T = Field->DataType();
  if (IsNumericFieldTypeEh(T))
    return FormatFloat(Format, Field->AsFloat());
  if (T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp) {
    String S;
    DateTimeToString(S, Format, Field->AsDateTime());
    return S;
  }
  return String();
}

String TAxisBarEh::DisplayText()
{
  TCustomDBAxisGridEh* G = Grid();
  if (!G || !G->DataSetActive())
    return String();
  if (LookupActiveEh()) {
    TSpecRowEh* SpecRow = FDropDownSpecRow.get();
    if (SpecRow->Visible() &&
        (VarValuesEqualEh(FieldsValuesAsVariantEh(FLookupParams->KeyFields()), SpecRow->Value()) ||
         (SpecRow->ShowIfNotInKeyList() && FLookupParams->KeyFieldsIsNull())))
      return SpecRow->GetCellText(0);
    return FieldValueToDisplayTextEh(FLookupParams->GetLookupValue(), FLookupParams->LookupDisplayField(),
                                     FDisplayFormat);
  }
  TField* F = Field();
  if (!F || GetBarType() == ctKeyImageList)
    return String();
  if (HasKeyList()) {
    const Integer I = FKeyList->IndexOf(F->Text());
    const Integer PickCount = FPickList ? FPickList->Count() : 0;
    if (I >= 0 && I < PickCount)
      return FPickList->Strings(I);
    if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < PickCount)
      return FPickList->Strings(FNotInKeyListIndex);
    return String();
  }
  if (MemoTextMode(G, F))
    return F->AsString();
  return FormatFieldTextEh(F, FDisplayFormat);
}

String TAxisBarEh::EditText()
{
  if (GetBarType() == ctKeyImageList)
    return String();
  if (HasKeyList())
    return DisplayText();
  TField* F = Field();
  if (MemoTextMode(Grid(), F))
    return F->AsString();
  if (GetBarType() == ctLookupField)
    return DisplayText();
  if (!F)
    return String();
  if (!F->EditMask().isEmpty())
    return FormatMaskTextWithMaskBlankEh(F->EditMask(), F->Text());
  return F->Text();
}

Variant TAxisBarEh::EditValue()
{
  TField* F = Field();
  if (HasKeyList())
    return Variant(DisplayText());
  if (MemoTextMode(Grid(), F))
    return Variant(F->AsString());
  if (GetBarType() == ctLookupField)
    return Variant(DisplayText());
  return F ? F->Value() : Null;
}

Variant TAxisBarEh::GetValueAsVariant()
{
  TField* F = Field();
  return F ? F->Value() : Null;
}

void TAxisBarEh::SetValueFromVariantText(const Variant& Value)
{
  SetValueAsText(VarToStr(Value));
}

String TAxisBarEh::GetTextValue(bool IsDisplayText)
{
  return IsDisplayText ? DisplayText() : EditText();
}

static bool KeyInDropDownList(TAxisBarEh* Bar, const Variant& Key)
{
  TDataSet* List = Bar->DropDownBox()->ListSource() ? Bar->DropDownBox()->ListSource()->DataSet() : nullptr;
  if (!List || !List->Active())
    return false;
  return List->Locate(Bar->LookupParams()->LookupKeyFieldNames(), Key, {loCaseInsensitive});
}

String TAxisBarEh::GetInplaceEditorText()
{
  TCustomDBAxisGridEh* G = Grid();
  if (!G || !G->DataLink()->Active())
    return String();
  String Text;
  TField* F = Field();
  if (LookupIsSetUpEh() && !FLookupParams->KeyFieldNames().isEmpty()) {
    const Variant Key = FieldsValuesAsVariantEh(FLookupParams->KeyFields());
    TSpecRowEh* SpecRow = FDropDownSpecRow.get();
    const bool UseSpecRow = SpecRow->Visible() && (VarValuesEqualEh(Key, SpecRow->Value()) ||
                                             (SpecRow->ShowIfNotInKeyList() && !KeyInDropDownList(this, Key)));
    G->SetEditKeyValue(UseSpecRow ? SpecRow->Value() : Key);
    Text = DisplayText();
  } else if (F) {
    G->SetEditKeyValue(Null);
    if (HasKeyList()) {
      G->SetEditKeyValue(Variant(F->Text()));
      const Integer I = FKeyList->IndexOf(F->Text());
      if (I >= 0 && FPickList && I < FPickList->Count())
        Text = FPickList->Strings(I);
    } else if (MemoTextMode(G, F)) {
      Text = F->AsString();
      Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      Text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    } else {
      Text = F->Text();
    }
  }
  TAxisColCellParamsEh Params;
  Params.FText = Text;
  Params.FFont = G->Canvas()->Font();
  GetColCellParams(true, &Params);
  Text = Params.FText;
  G->SetEditTextValue(Text);
  return Text;
}

void TAxisBarEh::SetInplaceEditorText(const String& Text)
{
  if (TCustomDBAxisGridEh* G = Grid())
    G->SetEditTextValue(Text);
}

String TAxisBarEh::GetEditMask()
{
  if (!GridLinkActive())
    return String();
  if (!FEditMask.isEmpty())
    return FEditMask;
  TField* F = Field();
  if (!F || HasKeyList())
    return String();
  return F->EditMask();
}

Integer TAxisBarEh::GetImageIndex()
{
  TField* F = Field();
  if (!F || !GridLinkActive())
    return -1;
  Integer Result;
  if (HasKeyList())
    Result = FKeyList->IndexOf(F->Text());
  else if (HasPickList())
    Result = FPickList->IndexOf(F->Text());
  else
    Result = FieldValueAsImageIndex(F);
  return Result == -1 ? FNotInKeyListIndex : Result;
}

// The cell's parameters as the cell-parameter events leave them.
static void FillCellLinkParams(TAxisBarEh* Bar, TCustomDBAxisGridEh* G, TAxisColCellParamsEh& Params)
{
  Bar->FillColCellParams(&Params);
  Params.FFont = G->Canvas()->Font();
  Bar->GetColCellParams(false, &Params);
}

bool TAxisBarEh::GetCellDataIsLink()
{
  TCustomDBAxisGridEh* G = Grid();
  if (!G)
    return FCellDataIsLink;
  TAxisColCellParamsEh Params;
  FillCellLinkParams(this, G, Params);
  return Params.FTextIsLink;
}

bool TAxisBarEh::GetCellImageIsLink()
{
  TCustomDBAxisGridEh* G = Grid();
  if (!G)
    return FCellDataIsLink;
  TAxisColCellParamsEh Params;
  FillCellLinkParams(this, G, Params);
  return Params.FImageIsLink;
}

void TAxisBarEh::GetColCellParams(bool EditMode, TAxisColCellParamsEh* ColCellParamsEh)
{
  (void)EditMode;
  (void)ColCellParamsEh;
}

// ---------------------------------------------------------------------------
// Check boxes.

TCheckBoxState TAxisBarEh::CheckboxState()
{
  TField* F = Field();
  TCustomDBAxisGridEh* G = Grid();
  if (!F || !G || !G->DataSetActive())
    return cbUnchecked;
  if (F->DataType() == ftBoolean && !HasKeyList())
    return F->IsNull() ? cbGrayed : (F->AsBoolean() ? cbChecked : cbUnchecked);
  if (IsCheckNumericType(F->DataType()) && !HasKeyList()) {
    if (F->IsNull())
      return cbGrayed;
    return F->AsFloat() == 1 ? cbChecked : cbUnchecked;
  }
  const String Text = F->Text();
  TStrings* Keys = KeyList();
  if (Keys->Count() > 0 && TextMatchesValueList(Text, Keys->Strings(0)))
    return cbChecked;
  if (Keys->Count() >= 2)
    return TextMatchesValueList(Text, Keys->Strings(1)) ? cbUnchecked : cbGrayed;
  return cbGrayed;
}

void TAxisBarEh::SetCheckboxState(TCheckBoxState Value)
{
  TField* F = Field();
  if (!F)
    return;
  if (Value == cbGrayed) {
    SetValueAsVariant(Null);
    return;
  }
  const bool Checked = Value == cbChecked;
  if (F->DataType() == ftBoolean) {
    SetValueAsVariant(Variant(Checked));
    return;
  }
  if (IsCheckNumericType(F->DataType()) && !HasKeyList()) {
    SetValueAsVariant(Variant(Integer(Checked ? 1 : 0)));
    return;
  }
  const String Text = FirstValueListItem(FKeyList.get(), Checked ? 0 : 1);
  UpdateDataValue(Text, Variant(Text), true);
}

// ---------------------------------------------------------------------------
// Editing rules.

bool TAxisBarEh::CanEditAcceptKey(QChar Key)
{
  TField* F = Field();
  if (!F)
    return bool(OnUpdateData);
  if (HasKeyList())
    return true;
  return FieldAcceptsChar(F, Key);
}

String TAxisBarEh::GetAcceptableEditText(const String& Text)
{
  String Result;
  for (QChar C : Text)
    if (CanEditAcceptKey(C))
      Result += C;
  return Result;
}

bool TAxisBarEh::CanModify(bool TryEdit)
{
  TCustomDBAxisGridEh* G = Grid();
  bool Result = (!G || (!G->ReadOnly() && G->DataLink()->Active() && !G->DataLink()->ReadOnly())) && !ReadOnly();
  TField* Checked = nullptr;
  if (LookupActiveEh()) {
    TDataSet* DS = G ? G->DataLink()->DataSet() : nullptr;
    std::vector<TField*> Keys;
    if (DS && !FLookupParams->KeyFieldNames().isEmpty())
      Keys = DS->GetFieldList(FLookupParams->KeyFieldNames());
    Checked = Keys.empty() ? nullptr : Keys.front();
    Result = Result && !Keys.empty() && FieldsCanModifyEh(Keys);
  } else {
    Checked = Field();
    Result = Result && Checked;
  }
  if (Result) {
    Result = Checked->CanModify() && (!Checked->IsBlob() || Checked->OnSetText || MemoTextMode(G, Checked)) &&
             (!G || G->CanEditByAllowedOperations());
  }
  TAxisColCellParamsEh* Params = FCheckModifyColCellParamsEh.get();
  if (Params && G) {
    FillColCellParams(Params);
    Params->FReadOnly = !Result;
    GetColCellParams(true, Params);
    Result = !Params->FReadOnly;
  }
  if (TryEdit && Result && G) {
    G->DataLink()->Edit();
    Result = G->DataLink()->Editing();
    if (Result)
      G->DataLink()->Modified();
  }
  return Result;
}

bool TAxisBarEh::IsEditable()
{
  if (!Visible() || ReadOnly() || !GridLinkActive())
    return false;
  if (LookupActiveEh())
    return true;
  TField* F = Field();
  return F && F->FieldKind() != fkCalculated && !IsFieldReadOnlyEh(F);
}

void TAxisBarEh::GetInplaceEditorReadOnly(bool& ReadOnly)
{
  ReadOnly = !CanModify(false);
  TCustomDBAxisGridEh* G = Grid();
  if (G && !G->DataLink()->Editing() && G->DataSource() && !G->DataSource()->AutoEdit())
    ReadOnly = true;
}

bool TAxisBarEh::ActualTextEditing()
{
  TAxisColCellParamsEh Params;
  FillColCellParams(&Params);
  if (!GridIsLoading())
    GetColCellParams(false, &Params);
  return Params.FTextEditing;
}

void TAxisBarEh::FillColCellParams(TAxisColCellParamsEh* ColCellParamsEh)
{
  TCustomDBAxisGridEh* G = Grid();
  if (G)
    G->GetBarCurrentCell(this, ColCellParamsEh->FCol, ColCellParamsEh->FRow);
  ColCellParamsEh->FState = TGridDrawState();
  // The bar's own font stands in for the grid's scratch copy: the
  // parameters never own it and events only read it.
  ColCellParamsEh->FFont = Font();
  ColCellParamsEh->FBackground = Color();
  ColCellParamsEh->FAlignment = Alignment();
  ColCellParamsEh->FImageIndex = GetImageIndex();
  ColCellParamsEh->FText = DisplayText();
  ColCellParamsEh->FCheckboxState = CheckboxState();
  ColCellParamsEh->FReadOnly = ReadOnly();
  ColCellParamsEh->FTextEditing = TextEditing();
  ColCellParamsEh->FBlankCell = false;
  ColCellParamsEh->FTextIsLink = CellDataIsLink();
  ColCellParamsEh->FImageIsLink = CellDataIsLink();
  ColCellParamsEh->FAxisBarIndex = Index();
}

// ---------------------------------------------------------------------------
// Writing.

void TAxisBarEh::UpdateDataValue(const String& Text, const Variant& Value, bool UseText)
{
  TCustomDBAxisGridEh* G = Grid();
  if (!G)
    return;
  TAxisGridDataLinkEh* Link = G->DataLink();
  const bool SetsState = !Link->InUpdateData();
  if (SetsState)
    Link->SetInUpdateData(true);
  ScopeExit ClearState([Link, SetsState] {
    if (SetsState)
      Link->SetInUpdateData(false);
  });
  String AText = Text;
  Variant AValue = Value;
  bool AUseText = UseText;
  bool Handled = false;
  if (OnUpdateData)
    OnUpdateData(this, AText, AValue, AUseText, Handled);
  if (Handled)
    return;
  TField* F = Field();
  const bool Lookup = LookupActiveEh();
  if (!F && !Lookup)
    return;
  if (!AUseText) {
    if (Lookup)
      SetDataSetFieldsValueEh(Link->DataSet(), FLookupParams->KeyFieldNames(), AValue);
    else
      F->SetValue(AValue);
  } else if (F) {
    if (MemoTextMode(G, F))
      F->SetAsString(AText);
    else
      F->SetText(AText);
  }
  if (FMRUList->AutoAdd() && FMRUList->Active() && G->InplaceEditorVisible())
    FMRUList->Add(AText);
}

void TAxisBarEh::SetValueAsText(const String& S)
{
  UpdateDataValue(S, Variant(S), true);
}

void TAxisBarEh::SetValueAsVariant(const Variant& Value)
{
  UpdateDataValue(String(), Value, false);
}

Integer TAxisBarEh::LocatePickList(const String& Str, bool PartialKey)
{
  if (!HasPickList())
    return -1;
  const Integer Prefix = PartialKey ? 2 : 0;
  Integer I = FindInStringsEh(FPickList.get(), Str, Prefix);
  if (I == -1 && FCaseInsensitiveTextSearch)
    I = FindInStringsEh(FPickList.get(), Str, Prefix | 1);
  return I;
}

// ---------------------------------------------------------------------------
// Stepping.

// The field a step writes: the first key field of a lookup field.
static TField* StepTarget(TAxisBarEh* Bar, TField* F)
{
  if (F->FieldKind() != fkLookup)
    return F;
  TDataSet* DS = F->DataSet();
  if (!DS || F->KeyFields().isEmpty())
    return nullptr;
  const std::vector<TField*> Keys = DS->GetFieldList(F->KeyFields());
  if (Keys.empty() || !FieldsCanModifyEh(Keys))
    return nullptr;
  (void)Bar;
  return Keys.front();
}

static bool StepAllowed(TAxisBarEh* Bar, TCustomDBAxisGridEh* G, TField* Target)
{
  if (!Target->CanModify() || (Target->IsBlob() && !Target->OnSetText) || !G->CanEditByAllowedOperations())
    return false;
  TAxisColCellParamsEh* Params = G->ColCellParamsEh();
  if (!Params)
    return true;
  Params->FReadOnly = !Bar->CanModify(false);
  Bar->GetColCellParams(true, Params);
  return !Params->FReadOnly;
}

void TAxisBarEh::SetNextValue(double Step)
{
  // A press on the border between two halves means no direction.
  if (Step == 0)
    return;
  TCustomDBAxisGridEh* G = Grid();
  TField* F = Field();
  if (!G || !F || G->ReadOnly() || !G->DataLink()->Active() || G->DataLink()->ReadOnly() || ReadOnly())
    return;
  TField* Target = StepTarget(this, F);
  if (!Target || !StepAllowed(this, G, Target))
    return;
  G->DataLink()->Edit();
  if (!G->DataLink()->Editing())
    return;
  G->DataLink()->Modified();
  const String CurText = G->InplaceEditorVisible() ? G->InplaceEditor()->Text() : F->Text();
  const TAxisBarEhType Type = GetBarType();
  if (Type == ctCheckboxes) {
    SetCheckboxState(CheckboxState() == cbChecked ? cbUnchecked : cbChecked);
    return;
  }
  if ((Type == ctKeyPickList || Type == ctKeyImageList) && HasKeyList()) {
    const Integer I = NextListIndex(FKeyList->IndexOf(F->Text()), FKeyList->Count(), Step);
    UpdateDataValue(CurText, Variant(FKeyList->Strings(I)), false);
    return;
  }
  if (Type == ctKeyPickList || Type == ctKeyImageList) {
    const Integer Count = FImageList ? FImageList->Count() : 0;
    if (Count <= 0)
      return;
    Integer N = F->IsNull() ? 0 : F->AsInteger() + Integer(std::trunc(Step));
    if (N >= Count)
      N = 0;
    else if (N < 0)
      N = Count - 1;
    UpdateDataValue(String(), Variant(N), false);
    return;
  }
  if (Type == ctPickList) {
    const String Item = FPickList->Strings(NextListIndex(FPickList->IndexOf(F->Text()), FPickList->Count(), Step));
    UpdateDataValue(Item, Variant(Item), true);
    return;
  }
  if (Type == ctLookupField) {
    TDataSource* ListSource = DropDownBox()->ListSource();
    TDataSet* List = ListSource ? ListSource->DataSet() : nullptr;
    if (!List || !List->Active())
      return;
    if (Target->IsNull())
      List->First();
    else if (!List->Locate(F->LookupKeyFields(), F->DataSet()->FieldValues(F->KeyFields()), {}))
      List->First();
    else if (Step > 0) {
      List->Next();
      if (List->Eof())
        List->First();
    } else {
      List->Prior();
      if (List->Bof())
        List->Last();
    }
    UpdateDataValue(CurText, List->FieldValues(F->LookupKeyFields()), false);
    return;
  }
  if (IsStepNumericType(F->DataType())) {
    // A failed write is the user's to see, not a silent no-op.
    const double Old = F->IsNull() ? 0.0 : F->AsFloat();
    UpdateDataValue(CurText, Variant(Old + Step), false);
  }
}
