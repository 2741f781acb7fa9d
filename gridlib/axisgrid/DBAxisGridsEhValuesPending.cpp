// DBAxisGridsEhValuesPending.cpp: plain stand-ins for the bars' value
// handling, so that the grid links and runs before that part arrives. The
// value handling's own source replaces this file whole.
#include "gridlib/axisgrid/DBAxisGridsEh.h"

String TAxisBarEh::DisplayText()
{
  TField* F = Field();
  return F && GridLinkActive() ? F->DisplayText() : String();
}

String TAxisBarEh::EditText()
{
  TField* F = Field();
  return F && GridLinkActive() ? F->Text() : String();
}

Variant TAxisBarEh::EditValue()
{
  return GetValueAsVariant();
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

Integer TAxisBarEh::GetImageIndex()
{
  return -1;
}

bool TAxisBarEh::GetCellDataIsLink()
{
  return FCellDataIsLink;
}

bool TAxisBarEh::GetCellImageIsLink()
{
  return FCellDataIsLink;
}

void TAxisBarEh::GetColCellParams(bool EditMode, TAxisColCellParamsEh* ColCellParamsEh)
{
  (void)EditMode;
  (void)ColCellParamsEh;
}

void TAxisBarEh::GetInplaceEditorReadOnly(bool& ReadOnly)
{
  ReadOnly = !CanModify(false);
}

TCheckBoxState TAxisBarEh::CheckboxState()
{
  return cbUnchecked;
}

void TAxisBarEh::SetCheckboxState(TCheckBoxState Value)
{
  (void)Value;
}

bool TAxisBarEh::CanEditAcceptKey(QChar Key)
{
  (void)Key;
  return true;
}

String TAxisBarEh::GetAcceptableEditText(const String& Text)
{
  return Text;
}

bool TAxisBarEh::CanModify(bool TryEdit)
{
  TCustomDBAxisGridEh* G = Grid();
  TField* F = Field();
  if (!G || !F || ReadOnly() || !F->CanModify() || !G->CanEditByAllowedOperations())
    return false;
  if (TryEdit)
    return G->DataLink()->Edit();
  return true;
}

bool TAxisBarEh::IsEditable()
{
  return CanModify(false);
}

bool TAxisBarEh::ActualTextEditing()
{
  return TextEditing();
}

void TAxisBarEh::FillColCellParams(TAxisColCellParamsEh* ColCellParamsEh)
{
  ColCellParamsEh->SetText(DisplayText());
  ColCellParamsEh->SetReadOnly(ReadOnly());
  ColCellParamsEh->SetTextEditing(TextEditing());
  ColCellParamsEh->SetAxisBarIndex(Index());
}

String TAxisBarEh::GetInplaceEditorText()
{
  return EditText();
}

void TAxisBarEh::SetInplaceEditorText(const String& Text)
{
  if (TCustomDBAxisGridEh* G = Grid())
    G->SetEditTextValue(Text);
}

String TAxisBarEh::GetEditMask()
{
  return FEditMask;
}

void TAxisBarEh::UpdateDataValue(const String& Text, const Variant& Value, bool UseText)
{
  TField* F = Field();
  if (!F)
    return;
  if (UseText)
    F->SetText(Text);
  else
    F->SetValue(Value);
}

void TAxisBarEh::SetValueAsText(const String& S)
{
  UpdateDataValue(S, Variant(S), true);
}

void TAxisBarEh::SetValueAsVariant(const Variant& Value)
{
  UpdateDataValue(String(), Value, false);
}

void TAxisBarEh::SetNextValue(double Step)
{
  (void)Step;
}

Integer TAxisBarEh::LocatePickList(const String& Str, bool PartialKey)
{
  (void)PartialKey;
  return HasPickList() ? FPickList->IndexOf(Str) : -1;
}
