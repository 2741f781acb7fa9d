// DB.cpp: the dataset record protocol, definitions, data sources and links.
#include "platform/data/DB.h"

#include "platform/rtl/ScopeExit.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------
// Errors and texts

static TLoginDialogProc& LoginDialogSlot()
{
  static TLoginDialogProc Proc;
  return Proc;
}

TLoginDialogProc SetLoginDialogProc(TLoginDialogProc Proc)
{
  return std::exchange(LoginDialogSlot(), std::move(Proc));
}

const TLoginDialogProc& LoginDialogProc() { return LoginDialogSlot(); }

String FmtText(const char* Text, const QStringList& Args)
{
  String S = QString::fromUtf8(Text);
  for (const String& A : Args) {
    const qsizetype P = S.indexOf(QLatin1String("%s"));
    if (P < 0)
      break;
    S.replace(P, 2, A);
  }
  return S;
}

void DatabaseError(const String& Message, const TComponent* Component)
{
  if (Component && !Component->Name().isEmpty())
    throw EDatabaseError(Component->Name() + QStringLiteral(": ") + Message);
  throw EDatabaseError(Message);
}

static const char* const FieldTypeNames[] = {
  "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency", "BCD", "Date",
  "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo", "Graphic", "FmtMemo", "ParadoxOle",
  "DBaseOle", "TypedBinary", "Cursor", "FixedChar", "WideString", "LargeInt", "ADT", "Array", "Reference",
  "DataSet", "OraBlob", "OraClob", "Variant", "Interface", "IDispatch", "Guid", "TimeStamp", "FMTBcd",
  "FixedWideChar", "WideMemo", "OraTimeStamp", "OraInterval", "LongWord", "ShortInt", "Byte", "Extended",
  "Connection", "Params", "Stream", "TimeStampOffset", "Object", "Single"};

String FieldTypeName(TFieldType Type)
{
  const int I = int(Type);
  if (I < 0 || I >= int(std::size(FieldTypeNames)))
    return QStringLiteral("Unknown");
  return QString::fromLatin1(FieldTypeNames[I]);
}

static QStringList SplitFieldNames(const String& Names)
{
  QStringList R;
  for (const QString& N : Names.split(u';'))
    if (!N.trimmed().isEmpty())
      R << N.trimmed();
  return R;
}

// ---------------------------------------------------------------------------
// Definitions and parameters

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TFieldDef::SetRequired(bool Value)
{
  if (Value)
    FAttributes.Include(faRequired);
  else
    FAttributes.Exclude(faRequired);
  Changed(false);
}

TField* TFieldDef::CreateField(TComponent* Owner)
{
  TFieldClass Make = FieldClass();
  if (!Make)
    DatabaseError(FmtText("Field '%s' is of an unknown type", {FName}));
  TField* F = Make(Owner);
  try {
    F->FFieldName = FName;
    if (auto* S = dynamic_cast<TStringField*>(F)) {
      S->FSize = FSize;
      S->SetFixedChar(FDataType == ftFixedChar || FDataType == ftFixedWideChar);
    } else if (auto* B = dynamic_cast<TBCDField*>(F)) {
      B->FSize = FSize;
      B->SetPrecision(FPrecision);
    } else if (FDataType == ftBlob || FDataType == ftMemo || FDataType == ftWideMemo) {
      F->FSize = FSize;
    }
    F->FRequired = FAttributes.Contains(faRequired);
    F->FReadOnly = FAttributes.Contains(faReadonly);
    F->FVisible = !FAttributes.Contains(faHiddenCol);
    if (auto* Defs = dynamic_cast<TFieldDefs*>(Collection()); Defs && Defs->DataSet())
      F->SetDataSet(Defs->DataSet());
  } catch (...) {
    delete F;
    throw;
  }
  return F;
}

void TFieldDef::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TFieldDef*>(Source)) {
    FName = S->FName;
    FDataType = S->FDataType;
    FSize = S->FSize;
    FPrecision = S->FPrecision;
    FAttributes = S->FAttributes;
    FInternalCalcField = S->FInternalCalcField;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

TFieldDefs::TFieldDefs(TDataSet* ADataSet) : TCollection(TFieldDef::StaticClass()), FDataSet(ADataSet) {}

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }

void TFieldDefs::Add(const String& Name, TFieldType DataType, Integer Size, bool Required)
{
  if (Name.isEmpty())
    DatabaseError(QString::fromUtf8(dbconsts::SFieldNameMissing), FDataSet);
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  TFieldDef* D = AddFieldDef();
  D->SetName(Name);
  D->SetDataType(DataType);
  D->SetSize(Size);
  D->SetRequired(Required);
}

Integer TFieldDefs::IndexOf(const String& Name) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Name().compare(Name, Qt::CaseInsensitive) == 0)
      return I;
  return -1;
}

TFieldDef* TFieldDefs::Find(const String& Name) const
{
  const Integer I = IndexOf(Name);
  if (I < 0)
    DatabaseError(FmtText(dbconsts::SFieldNotFound, {Name}), FDataSet);
  return Items(I);
}

void TFieldDefs::Update()
{
  if (FUpdated || !FDataSet)
    return;
  FDataSet->InternalInitFieldDefs();
  FUpdated = true;
}

void TFieldDefs::Update(TCollectionItem* Item)
{
  (void)Item;
  if (FDataSet && !FDataSet->ComponentState().Contains(csLoading))
    FDataSet->DefChanged(this);
}

TPersistent* TFieldDefs::GetOwner() const { return FDataSet; }

TIndexDef::TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TIndexDef::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TIndexDef*>(Source)) {
    FName = S->FName;
    FFields = S->FFields;
    FOptions = S->FOptions;
    FDescFields = S->FDescFields;
    FCaseInsFields = S->FCaseInsFields;
    return;
  }
  TCollectionItem::Assign(Source);
}

TIndexDefs::TIndexDefs(TDataSet* ADataSet) : TCollection(TIndexDef::StaticClass()), FDataSet(ADataSet) {}

TIndexDef* TIndexDefs::AddIndexDef() { return static_cast<TIndexDef*>(TCollection::Add()); }

void TIndexDefs::Add(const String& Name, const String& Fields, TIndexOptions Options)
{
  TIndexDef* D = AddIndexDef();
  D->SetName(Name);
  D->SetFields(Fields);
  D->SetOptions(Options);
}

Integer TIndexDefs::IndexOf(const String& Name) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Name().compare(Name, Qt::CaseInsensitive) == 0)
      return I;
  return -1;
}

TIndexDef* TIndexDefs::Find(const String& Name) const
{
  const Integer I = IndexOf(Name);
  if (I < 0)
    DatabaseError(FmtText("Index '%s' not found", {Name}), FDataSet);
  return Items(I);
}

void TIndexDefs::Update()
{
  if (FUpdated || !FDataSet)
    return;
  FDataSet->UpdateIndexDefs();
  FUpdated = true;
}

TPersistent* TIndexDefs::GetOwner() const { return FDataSet; }

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection) {}

void TParam::SetValue(const Variant& V)
{
  FValue = V;
  FBound = true;
  if (FDataType == ftUnknown) {
    switch (VarType(V) & varTypeMask) {
    case varSmallint: case varShortInt: case varByte: FDataType = ftSmallint; break;
    case varInteger: case varWord: FDataType = ftInteger; break;
    case varInt64: case varLongWord: case varUInt64: FDataType = ftLargeint; break;
    case varSingle: case varDouble: FDataType = ftFloat; break;
    case varCurrency: FDataType = ftBCD; break;
    case varDate: FDataType = ftDateTime; break;
    case varBoolean: FDataType = ftBoolean; break;
    case varOleStr: case varUString: FDataType = ftWideString; break;
    case varString: FDataType = ftString; break;
    default: break;
    }
  }
}

void TParam::AssignField(TField* Field)
{
  FName = Field->FieldName();
  FDataType = Field->DataType();
  FValue = Field->Value();
  FBound = true;
}

void TParam::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TParam*>(Source)) {
    FName = S->FName;
    FDataType = S->FDataType;
    FParamType = S->FParamType;
    FValue = S->FValue;
    FBound = S->FBound;
    FSize = S->FSize;
    FPrecision = S->FPrecision;
    FNumericScale = S->FNumericScale;
    return;
  }
  TCollectionItem::Assign(Source);
}

TParams::TParams(TPersistent* Owner) : TCollection(TParam::StaticClass()), FOwner(Owner) {}

TParam* TParams::AddParam() { return static_cast<TParam*>(TCollection::Add()); }

TParam* TParams::CreateParam(TFieldType FldType, const String& ParamName, TParamType ParamType)
{
  TParam* P = AddParam();
  P->SetName(ParamName);
  P->SetDataType(FldType);
  P->SetParamType(ParamType);
  return P;
}

TParam* TParams::FindParam(const String& Name) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Name().compare(Name, Qt::CaseInsensitive) == 0)
      return Items(I);
  return nullptr;
}

TParam* TParams::ParamByName(const String& Name) const
{
  TParam* P = FindParam(Name);
  if (!P)
    DatabaseError(FmtText(dbconsts::SParameterNotFound, {Name}), dynamic_cast<TComponent*>(FOwner));
  return P;
}

// ---------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  OnUpdateData = nullptr;
  SetDataSet(nullptr);
  while (!FDataLinks.empty())
    FDataLinks.back()->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* ADataSet)
{
  if (ADataSet == FDataSet)
    return;
  for (TDataSet* D = ADataSet; D; ) {   // no cycle through master sources
    TDataSource* S = D->GetDataSource();
    if (S == this)
      DatabaseError(QString::fromUtf8(dbconsts::SCircularDataLink), this);
    D = S ? S->DataSet() : nullptr;
  }
  if (FDataSet) {
    FDataSet->RemoveDataSource(this);
    FDataSet->RemoveFreeNotification(this);
  }
  FDataSet = ADataSet;
  if (FDataSet) {
    FDataSet->AddDataSource(this);
    FDataSet->FreeNotification(this);
  }
  UpdateState();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet->RemoveDataSource(this);
    FDataSet = nullptr;
    UpdateState();
  }
}

void TDataSource::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit()
{
  if (FAutoEdit && FState == dsBrowse && FDataSet)
    FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* ADataSet) const
{
  for (TDataSet* D = FDataSet; D; ) {
    if (D == ADataSet)
      return true;
    TDataSource* S = D->GetDataSource();
    D = S ? S->DataSet() : nullptr;
  }
  return false;
}

void TDataSource::AddDataLink(TDataLink* Link)
{
  FDataLinks.push_back(Link);
  Link->FDataSource = this;
  if (FDataSet)
    FDataSet->UpdateBufferCount();
  Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
  auto It = std::find(FDataLinks.begin(), FDataLinks.end(), Link);
  if (It != FDataLinks.end())
    FDataLinks.erase(It);
  Link->FDataSource = nullptr;
  Link->UpdateState();
  if (FDataSet)
    FDataSet->UpdateBufferCount();
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info)
{
  // A link may leave the list while it handles an event.
  std::vector<TDataLink*> Links = FDataLinks;
  for (TDataLink* L : Links) {
    if (std::find(FDataLinks.begin(), FDataLinks.end(), L) == FDataLinks.end())
      continue;
    L->DataEvent(Event, Info);
  }
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info)
{
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive)
    return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
  case deFieldChange:
    if (OnDataChange)
      OnDataChange(this, reinterpret_cast<TField*>(Info));
    break;
  case deRecordChange:
  case deDataSetChange:
  case deDataSetScroll:
  case deLayoutChange:
    if (OnDataChange)
      OnDataChange(this, nullptr);
    break;
  case deUpdateRecord:
    if (OnUpdateData)
      OnUpdateData(this);
    break;
  default: break;
  }
}

void TDataSource::UpdateState()
{
  SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value)
{
  if (Value == FState)
    return;
  const TDataSetState Prev = FState;
  FState = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (OnStateChange)
    OnStateChange(this);
  if (Prev == dsInactive && OnDataChange)
    OnDataChange(this, nullptr);
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
  if (FDataSource)
    FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* ADataSource)
{
  if (ADataSource == FDataSource)
    return;
  if (FDataSourceFixed)
    DatabaseError(QStringLiteral("Operation not allowed in a DBCtrlGrid"));
  if (FDataSource)
    FDataSource->RemoveDataLink(this);
  if (ADataSource)
    ADataSource->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  UpdateState();
}

Integer TDataLink::ActiveRecord() const
{
  if (!FDataSource || !DataSet() || FDataSource->State() == dsSetKey)
    return 0;
  return DataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(Integer Value)
{
  if (!FDataSource || !DataSet() || FDataSource->State() == dsSetKey)
    return;
  DataSet()->FActiveRecord = Value + FFirstRecord;
}

void TDataLink::SetBufferCount(Integer Value)
{
  if (Value == FBufferCount)
    return;
  FBufferCount = Value;
  if (FActive) {
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

Integer TDataLink::RecordCount() const
{
  if (!DataSet())
    return 0;
  return std::min(DataSet()->FRecordCount, FBufferCount);
}

bool TDataLink::Bof() const { return DataSet() && DataSet()->Bof(); }
bool TDataLink::Eof() const { return DataSet() && DataSet()->Eof(); }
Integer TDataLink::MoveBy(Integer Distance) { return DataSet() ? DataSet()->MoveBy(Distance) : 0; }

bool TDataLink::Edit()
{
  if (!FReadOnly && FDataSource)
    FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord()
{
  FUpdating = true;
  ScopeExit Done([&] { FUpdating = false; });
  UpdateData();
}

void TDataLink::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  if (Value)
    UpdateRange();
  else
    FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool Value)
{
  if (Value == FEditing)
    return;
  FEditing = Value;
  EditingChanged();
}

void TDataLink::UpdateState()
{
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && (FDataSource->State() == dsEdit || FDataSource->State() == dsInsert ||
                             FDataSource->State() == dsSetKey) && !FReadOnly);
}

// Keeps the dataset's active record inside this link's window.
void TDataLink::UpdateRange()
{
  TDataSet* D = DataSet();
  if (!D)
    return;
  Integer Min = D->FActiveRecord - FBufferCount + 1;
  if (Min < 0)
    Min = 0;
  Integer Max = D->FBufferCount - FBufferCount;
  if (Max < 0)
    Max = 0;
  if (Max > D->FActiveRecord)
    Max = D->FActiveRecord;
  if (FFirstRecord < Min)
    FFirstRecord = Min;
  if (FFirstRecord > Max)
    FFirstRecord = Max;
  if (FFirstRecord != 0 && D->FActiveRecord - FFirstRecord < FBufferCount - 1)
    --FFirstRecord;
}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info)
{
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive)
    return;
  switch (Event) {
  case deFieldChange:
  case deRecordChange:
    if (!FUpdating)
      RecordChanged(reinterpret_cast<TField*>(Info));
    break;
  case deDataSetChange:
  case deDataSetScroll:
  case deLayoutChange: {
    Integer Count = 0;
    if (FDataSource->State() != dsSetKey) {
      const Integer Active = DataSet()->FActiveRecord;
      const Integer First = FFirstRecord + (Event == deDataSetScroll ? Integer(Info) : 0);
      const Integer Last = First + FBufferCount - 1;
      if (Active > Last)
        Count = Active - Last;
      else if (Active < First)
        Count = Active - First;
      FFirstRecord = First + Count;
    }
    if (Event == deDataSetChange)
      DataSetChanged();
    else if (Event == deDataSetScroll)
      DataSetScrolled(Count);
    else
      LayoutChanged();
    break;
  }
  case deUpdateRecord: UpdateRecord(); break;
  case deCheckBrowseMode: CheckBrowseMode(); break;
  case deFocusControl: FocusControl(*reinterpret_cast<TField**>(Info)); break;
  case deDisabledStateChange: DisabledStateChanged(); break;
  default: break;
  }
}

// ---------------------------------------------------------------------------
// TDataSet: life and state

TDataSet::TDataSet(TComponent* AOwner)
  : TComponent(AOwner),
    FFields(std::make_unique<TFields>(this)),
    FFieldDefs(std::make_unique<TFieldDefs>(this)),
    FIndexDefs(std::make_unique<TIndexDefs>(this))
{
}

TDataSet::~TDataSet()
{
  Destroying();
  try {
    SetActive(false);
  } catch (...) {
  }
  while (!FDataSources.empty())
    FDataSources.back()->SetDataSet(nullptr);
  DestroyFields();
  // persistent fields that others own stay, detached from this dataset
  for (TField* F : std::vector<TField*>(FFields->begin(), FFields->end()))
    F->FDataSet = nullptr;
  FFields->Clear();
}

void TDataSet::Loaded()
{
  inherited::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    SetActive(true);
  }
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (auto* F = dynamic_cast<TField*>(AComponent); F && F->FDataSet == this)
    FFields->Remove(F);
}

void TDataSet::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  for (TField* F : *FFields)
    if (F->Owner() == Root)
      Proc(F);
}

void TDataSet::CheckActive() const
{
  if (FState == dsInactive)
    DatabaseError(QString::fromUtf8(dbconsts::SDataSetClosed), this);
}

void TDataSet::CheckInactive() const
{
  if (FState != dsInactive)
    DatabaseError(QString::fromUtf8(dbconsts::SDataSetOpen), this);
}

void TDataSet::CheckCanModify() const
{
  if (!CanModify())
    DatabaseError(QString::fromUtf8(dbconsts::SDataSetReadOnly), this);
}

void TDataSet::SetState(TDataSetState Value)
{
  if (Value == FState)
    return;
  FState = Value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value)
{
  const TDataSetState Old = FState;
  FState = Value;
  ++FDisableCount;
  return Old;
}

void TDataSet::RestoreState(TDataSetState Value)
{
  FState = Value;
  --FDisableCount;
}

void TDataSet::AddDataSource(TDataSource* Source)
{
  FDataSources.push_back(Source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source)
{
  auto It = std::find(FDataSources.begin(), FDataSources.end(), Source);
  if (It != FDataSources.end())
    FDataSources.erase(It);
  UpdateBufferCount();
}

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info)
{
  switch (Event) {
  case deFieldChange: {
    TField* F = reinterpret_cast<TField*>(Info);
    if (F->FieldKind() == fkData || F->FieldKind() == fkInternalCalc)
      FModified = true;
    F->Change();
    UpdateCalcFields();
    break;
  }
  case deFieldListChange: FFields->Changed(); break;
  case dePropertyChange: FFieldDefs->SetUpdated(false); break;
  default: break;
  }
  if (FDisableCount == 0 && FState != dsBlockRead) {
    std::vector<TDataSource*> Sources = FDataSources;
    for (TDataSource* S : Sources)
      S->DataEvent(Event, Info);
    return;
  }
  if ((Event == deUpdateState && FState == dsInactive) || Event == deLayoutChange)
    FEnableEvent = deLayoutChange;
}

void TDataSet::DisableControls()
{
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls()
{
  if (FDisableCount == 0)
    return;
  if (--FDisableCount != 0)
    return;
  if (FState != FDisableState)
    DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive)
    DataEvent(FEnableEvent, 0);
}

// ---------------------------------------------------------------------------
// Opening

void TDataSet::SetActive(bool Value)
{
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
    FStreamedActive = Value;
    return;
  }
  if (Active() == Value)
    return;
  if (Value) {
    DoBeforeOpen();
    try {
      OpenCursor(false);
    } catch (...) {
      FState = dsInactive;
      try {
        CloseCursor();
      } catch (...) {
      }
      throw;
    }
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty())
      DoAfterScroll();
  } else {
    const bool Destroying = ComponentState().Contains(csDestroying);
    if (!Destroying)
      DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!Destroying)
      DoAfterClose();
  }
}

void TDataSet::OpenCursor(bool InfoQuery)
{
  if (InfoQuery) {
    InternalInitFieldDefs();
    return;
  }
  FDefaultFields = FFields->Count() == 0;
  FInternalOpenComplete = false;
  InternalOpen();
  FInternalOpenComplete = true;
  ClearBuffers();
  UpdateBufferCount();
  FBOF = true;
}

void TDataSet::CloseCursor()
{
  SetBufListSize(0);
  FBufferCount = 0;
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = FEOF = true;
  if (FInternalOpenComplete || IsCursorOpen())
    InternalClose();
  FInternalOpenComplete = false;
}

void TDataSet::CreateFields()
{
  for (Integer I = 0; I < FFieldDefs->Count(); ++I) {
    TFieldDef* D = FFieldDefs->Items(I);
    if (D->DataType() == ftUnknown || D->Attributes().Contains(faHiddenCol))
      continue;
    D->CreateField(this);
  }
}

void TDataSet::DestroyFields()
{
  for (TField* F : std::vector<TField*>(FFields->begin(), FFields->end())) {
    if (F->Owner() == this) {
      FFields->Remove(F);
      delete F;
    }
  }
}

// Integers of every width, decimals and floats, texts, dates: a persistent
// field of one kind reads a column of a kin kind.
static int TypeFamily(TFieldType T)
{
  switch (T) {
  case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftLongWord:
  case ftShortint: case ftByte: return 1;
  case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: case ftExtended: case ftSingle: return 2;
  case ftString: case ftFixedChar: case ftWideString: case ftFixedWideChar: case ftGuid:
  case ftMemo: case ftWideMemo: case ftFmtMemo: return 3;
  case ftDate: case ftTime: case ftDateTime: case ftTimeStamp: return 4;
  case ftBoolean: return 5;
  case ftBlob: case ftBytes: case ftVarBytes: case ftGraphic: case ftTypedBinary: return 6;
  default: return 0;
  }
}

void TDataSet::BindFields(bool Binding)
{
  for (TField* F : *FFields) {
    if (!Binding) {
      if (F->FieldKind() == fkData)
        F->FFieldNo = 0;
      continue;
    }
    if (F->FieldKind() == fkData || F->FieldKind() == fkInternalCalc) {
      const Integer I = FFieldDefs->IndexOf(F->FieldName());
      if (I < 0) {
        if (F->FieldKind() == fkData)
          DatabaseError(FmtText(dbconsts::SFieldNotFound, {F->DisplayName()}), this);
        continue;
      }
      TFieldDef* D = FFieldDefs->Items(I);
      if (F->FieldKind() == fkData && D->DataType() != F->DataType() &&
          (TypeFamily(D->DataType()) == 0 || TypeFamily(D->DataType()) != TypeFamily(F->DataType())))
        DatabaseError(FmtText(dbconsts::SFieldTypeMismatch, {F->DisplayName(), FieldTypeName(F->DataType()),
                                                             FieldTypeName(D->DataType())}), this);
      F->FFieldNo = D->FieldNo();
    } else {
      F->FFieldNo = -1;
      F->Bind(true);
    }
  }
}

bool TDataSet::HasCalcFields() const
{
  for (TField* F : *FFields)
    if (F->FieldKind() == fkCalculated || F->FieldKind() == fkLookup)
      return true;
  return false;
}

// ---------------------------------------------------------------------------
// Record buffers

TRecordBuffer TDataSet::ActiveBuffer() const
{
  if (FBuffers.empty() || FActiveRecord < 0 || FActiveRecord >= Integer(FBuffers.size()))
    return 0;
  return FBuffers[std::size_t(FActiveRecord)];
}

TRecordBuffer TDataSet::StateBuffer() const
{
  switch (FState) {
  case dsBrowse:
  case dsBlockRead: return IsEmpty() ? 0 : ActiveBuffer();
  case dsEdit:
  case dsInsert:
  case dsNewValue:
  case dsOldValue:
  case dsCurValue: return ActiveBuffer();
  case dsCalcFields: return FCalcBuffer;
  case dsFilter: return FFilterBuffer;
  default: return 0;
  }
}

void TDataSet::SetBufListSize(Integer Value)
{
  const std::size_t Want = Value > 0 ? std::size_t(Value) + 1 : 0;
  while (FBuffers.size() > Want) {
    TRecordBuffer B = FBuffers.back();
    FBuffers.pop_back();
    FreeRecordBuffer(B);
  }
  while (FBuffers.size() < Want)
    FBuffers.push_back(AllocRecordBuffer());
}

void TDataSet::SetBufferCount(Integer Value)
{
  if (Value <= 0)
    DatabaseError(QString::fromUtf8(dbconsts::SInvalidBufferCount), this);
  if (Value == FBufferCount)
    return;
  auto AdjustFirstRecord = [this](Integer Delta) {
    if (!Delta)
      return;
    for (TDataSource* S : FDataSources)
      for (TDataLink* L : S->FDataLinks)
        if (L->Active())
          L->FFirstRecord += Delta;
  };
  if (Value > FBufferCount) {
    SetBufListSize(Value);
    FBufferCount = Value;
    GetNextRecords();
    AdjustFirstRecord(GetPriorRecords());
    return;
  }
  // Shrinking: keep the active record; drop records before it first.
  Integer Delta = 0;
  if (FActiveRecord > Value - 1) {
    Delta = FActiveRecord - (Value - 1);
    for (Integer I = 0; I < Delta; ++I)
      MoveBuffer(0, FRecordCount - 1);
    FActiveRecord -= Delta;
    FCurrentRecord = FCurrentRecord >= Delta ? FCurrentRecord - Delta : -1;
    FRecordCount -= Delta;
  }
  if (FRecordCount > Value) {
    FRecordCount = Value;
    if (FCurrentRecord >= Value)
      FCurrentRecord = -1;
  }
  FBufferCount = Value;
  SetBufListSize(Value);
  AdjustFirstRecord(-Delta);
}

void TDataSet::UpdateBufferCount()
{
  // while destroying, the derived class (and IsCursorOpen) is already gone
  if (ComponentState().Contains(csDestroying) || !IsCursorOpen() || !FInternalOpenComplete)
    return;
  Integer Max = 1;
  for (TDataSource* S : FDataSources)
    for (TDataLink* L : S->FDataLinks)
      if (L->BufferCount() > Max)
        Max = L->BufferCount();
  SetBufferCount(Max);
}

void TDataSet::MoveBuffer(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  const TRecordBuffer B = FBuffers[std::size_t(CurIndex)];
  if (CurIndex < NewIndex)
    std::move(FBuffers.begin() + CurIndex + 1, FBuffers.begin() + NewIndex + 1, FBuffers.begin() + CurIndex);
  else
    std::move_backward(FBuffers.begin() + NewIndex, FBuffers.begin() + CurIndex, FBuffers.begin() + CurIndex + 1);
  FBuffers[std::size_t(NewIndex)] = B;
}

void TDataSet::ClearBuffers()
{
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = true;
  FEOF = true;
}

void TDataSet::ActivateBuffers()
{
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBOF = false;
  FEOF = false;
}

void TDataSet::SetCurrentRecord(Integer Index)
{
  if (FCurrentRecord == Index)
    return;
  const TRecordBuffer B = FBuffers[std::size_t(Index)];
  switch (GetBookmarkFlag(B)) {
  case bfCurrent: InternalSetToRecord(B); break;
  case bfBOF: InternalFirst(); break;
  case bfEOF: InternalLast(); break;
  default: break;
  }
  FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos()
{
  if (FRecordCount > 0)
    SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord()
{
  TGetMode Mode = gmNext;
  if (FRecordCount > 0) {
    SetCurrentRecord(FRecordCount - 1);
    if (FState == dsInsert && FCurrentRecord == FActiveRecord && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
      Mode = gmCurrent;
  }
  const bool Ok = GetRecord(FBuffers[std::size_t(FRecordCount)], Mode, true) == grOK;
  if (!Ok) {
    CursorPosChanged();
    return false;
  }
  if (FRecordCount == 0)
    ActivateBuffers();
  else if (FRecordCount < FBufferCount)
    ++FRecordCount;
  else
    MoveBuffer(0, FRecordCount);
  FCurrentRecord = FRecordCount - 1;
  return true;
}

bool TDataSet::GetPriorRecord()
{
  if (FRecordCount > 0)
    SetCurrentRecord(0);
  const bool Ok = GetRecord(FBuffers[std::size_t(FRecordCount)], gmPrior, true) == grOK;
  if (!Ok) {
    CursorPosChanged();
    return false;
  }
  if (FRecordCount == 0) {
    ActivateBuffers();
  } else {
    MoveBuffer(FRecordCount, 0);
    if (FRecordCount < FBufferCount) {
      ++FRecordCount;
      ++FActiveRecord;
    }
  }
  FCurrentRecord = 0;
  return true;
}

Integer TDataSet::GetNextRecords()
{
  Integer N = 0;
  while (FRecordCount < FBufferCount && GetNextRecord())
    ++N;
  return N;
}

Integer TDataSet::GetPriorRecords()
{
  Integer N = 0;
  while (FRecordCount < FBufferCount && GetPriorRecord())
    ++N;
  return N;
}

void TDataSet::InitRecord(TRecordBuffer Buffer)
{
  InternalInitRecord(Buffer);
  ClearCalcFields(Buffer);
  SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::InternalHandleException() {}

void TDataSet::GetCalcFields(TRecordBuffer Buffer)
{
  if (!HasCalcFields())
    return;
  const TDataSetState Save = FState;
  FState = dsCalcFields;
  ScopeExit Restore([&] { FState = Save; });
  CalculateFields(Buffer);
}

void TDataSet::CalcLookupValue(TField* Field) { Field->CalcLookupValue(); }

void TDataSet::CalculateFields(TRecordBuffer Buffer)
{
  FCalcBuffer = Buffer;
  if (FState != dsInternalCalc) {
    ClearCalcFields(Buffer);
    for (TField* F : *FFields)
      if (F->FieldKind() == fkLookup)
        F->CalcLookupValue();
  }
  DoOnCalcFields();
}

void TDataSet::UpdateCalcFields()
{
  if (FState == dsSetKey || FState == dsCalcFields || FState == dsFilter || !FAutoCalcFields)
    return;
  if (FState == dsEdit || FState == dsInsert)
    GetCalcFields(ActiveBuffer());
}

bool TDataSet::RecordFilterAccepts(TRecordBuffer Buffer)
{
  if (!OnFilterRecord)
    return true;
  const TRecordBuffer SaveBuffer = FFilterBuffer;
  FFilterBuffer = Buffer;
  const TDataSetState Save = SetTempState(dsFilter);
  ScopeExit Restore([&] {
    RestoreState(Save);
    FFilterBuffer = SaveBuffer;
  });
  bool Accept = true;
  OnFilterRecord(this, Accept);
  return Accept;
}

Variant TDataSet::GetOldFieldValue(TField* Field) const
{
  Variant V;
  if (!GetFieldData(Field, V))
    return Null;
  return V;
}

// ---------------------------------------------------------------------------
// Navigation

void TDataSet::First()
{
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    ScopeExit Done([&] {
      FBOF = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  }
  DoAfterScroll();
}

void TDataSet::Last()
{
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    ScopeExit Done([&] {
      FEOF = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  }
  DoAfterScroll();
}

Integer TDataSet::MoveBy(Integer Distance)
{
  CheckBrowseMode();
  Integer Result = 0;
  DoBeforeScroll();
  if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
    FBOF = false;
    FEOF = false;
    Integer ScrollCount = 0;
    {
      ScopeExit Notify([&] { DataEvent(deDataSetScroll, ScrollCount); });
      while (Distance > 0) {
        if (FActiveRecord < FRecordCount - 1) {
          ++FActiveRecord;
        } else {
          const Integer Shift = FRecordCount < FBufferCount ? 0 : 1;
          if (!GetNextRecord()) {
            FEOF = true;
            break;
          }
          ScrollCount -= Shift;
          if (Shift == 0)
            ++FActiveRecord;
        }
        --Distance;
        ++Result;
      }
      while (Distance < 0) {
        if (FActiveRecord > 0) {
          --FActiveRecord;
        } else {
          const Integer Shift = FRecordCount < FBufferCount ? 0 : 1;
          if (!GetPriorRecord()) {
            FBOF = true;
            break;
          }
          ScrollCount += Shift;
          if (Shift == 0)
            FActiveRecord = 0;
        }
        ++Distance;
        --Result;
      }
    }
    DoAfterScroll();
  }
  return Result;
}

void TDataSet::Resync(TResyncMode Mode)
{
  if (Mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(FBuffers[std::size_t(FRecordCount)], gmCurrent, true) != grOK)
      DatabaseError(QString::fromUtf8(dbconsts::SRecordNotFound), this);
  } else if (GetRecord(FBuffers[std::size_t(FRecordCount)], gmCurrent, false) != grOK &&
             GetRecord(FBuffers[std::size_t(FRecordCount)], gmNext, false) != grOK &&
             GetRecord(FBuffers[std::size_t(FRecordCount)], gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  Integer Count = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
  MoveBuffer(FRecordCount, 0);
  ActivateBuffers();
  ScopeExit Done([&] { DataEvent(deDataSetChange, 0); });
  while (Count > 0 && GetPriorRecord())
    --Count;
  GetNextRecords();
  GetPriorRecords();
}

void TDataSet::Refresh()
{
  CheckBrowseMode();
  DoBeforeRefresh();
  UpdateCursorPos();
  InternalRefresh();
  Resync({});
  DoAfterRefresh();
}

// ---------------------------------------------------------------------------
// Bookmarks

bool TDataSet::BookmarkAvailable() const
{
  return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && !IsEmpty() &&
         GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() const
{
  if (!BookmarkAvailable())
    return TBookmark();
  return GetBookmarkData(ActiveBuffer());
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark)
{
  if (Bookmark.isEmpty())
    return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(Bookmark);
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark& Bookmark) const
{
  (void)Bookmark;
  return false;
}

Integer TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const
{
  if (Bookmark1.isEmpty() && Bookmark2.isEmpty())
    return 0;
  if (Bookmark1.isEmpty())
    return -1;
  if (Bookmark2.isEmpty())
    return 1;
  return Bookmark1 == Bookmark2 ? 0 : (Bookmark1 < Bookmark2 ? -1 : 1);
}

// ---------------------------------------------------------------------------
// Editing

void TDataSet::CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent)
{
  for (;;) {
    try {
      UpdateCursorPos();
      Operation();
      return;
    } catch (EDatabaseError& E) {
      TDataAction Action = daFail;
      if (ErrorEvent)
        ErrorEvent(this, E, Action);
      if (Action == daFail)
        throw;
      if (Action == daAbort)
        Abort();
    }
  }
}

void TDataSet::Edit()
{
  if (FState == dsEdit || FState == dsInsert)
    return;
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::BeginInsertAppend()
{
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend()
{
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    SetState(dsBrowse);
    Resync({});
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

void TDataSet::Insert()
{
  BeginInsertAppend();
  const TBookmark OldCurrent = GetBookmark();
  MoveBuffer(FRecordCount, FActiveRecord);
  const TRecordBuffer Buffer = ActiveBuffer();
  InitRecord(Buffer);
  if (FRecordCount == 0)
    SetBookmarkFlag(Buffer, bfBOF);
  else
    SetBookmarkData(Buffer, OldCurrent);
  if (FRecordCount < FBufferCount)
    ++FRecordCount;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append()
{
  BeginInsertAppend();
  ClearBuffers();
  const TRecordBuffer Buffer = FBuffers[0];
  InitRecord(Buffer);
  SetBookmarkFlag(Buffer, bfEOF);
  FRecordCount = 1;
  FBOF = false;
  GetPriorRecords();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::DoOnNewRecord()
{
  if (OnNewRecord)
    OnNewRecord(this);
}

void TDataSet::InternalPost()
{
  for (TField* F : *FFields) {
    if (F->Required() && !F->ReadOnly() && F->FieldKind() == fkData && F->IsNull()) {
      F->FocusControl();
      DatabaseError(FmtText(dbconsts::SFieldRequired, {F->DisplayName()}), this);
    }
  }
}

void TDataSet::UpdateRecord()
{
  if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Post()
{
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert)
    return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  CheckOperation([this] { InternalPost(); }, OnPostError);
  SetState(dsBrowse);
  Resync({});
  DoAfterPost();
}

void TDataSet::Cancel()
{
  if (FState != dsEdit && FState != dsInsert)
    return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  const bool ScrollEvents = FState == dsInsert;
  if (ScrollEvents)
    DoBeforeScroll();
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync({});
  DoAfterCancel();
  if (ScrollEvents)
    DoAfterScroll();
}

void TDataSet::Delete()
{
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FRecordCount == 0)
    DatabaseError(QString::fromUtf8(dbconsts::SDataSetEmpty), this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync({});
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::CheckBrowseMode()
{
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
  case dsEdit:
  case dsInsert:
    UpdateRecord();
    if (FModified)
      Post();
    else
      Cancel();
    break;
  case dsSetKey: Post(); break;
  default: break;
  }
}

void TDataSet::ClearFields()
{
  if (FState != dsEdit && FState != dsInsert)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  for (TField* F : *FFields)
    if (F->FieldKind() == fkData && !F->ReadOnly())
      F->SetData(Null);
  DataEvent(deRecordChange, 0);
}

// ---------------------------------------------------------------------------
// Fields by name

Variant TDataSet::FieldValues(const String& FieldName) const
{
  const QStringList Names = SplitFieldNames(FieldName);
  if (Names.size() <= 1)
    return FieldByName(FieldName.trimmed())->Value();
  std::vector<Variant> Vals;
  for (const String& N : Names)
    Vals.push_back(FieldByName(N)->Value());
  return VarArrayOf(Vals);
}

void TDataSet::SetFieldValues(const String& FieldName, const Variant& Value)
{
  const std::vector<TField*> List = GetFieldList(FieldName);
  if (List.size() == 1) {
    List[0]->SetValue(Value);
    return;
  }
  // several names take the elements of a variant array, in order
  const int Low = VarIsArray(Value) ? VarArrayLowBound(Value, 1) : 0;
  for (std::size_t I = 0; I < List.size(); ++I)
    List[I]->SetValue(VarIsArray(Value) ? Value.GetElement(Low + int(I)) : Value);
}

void TDataSet::GetFieldNames(QStringList& List) const
{
  List.clear();
  if (FFields->Count() > 0) {
    for (TField* F : *FFields)
      List << F->FieldName();
    return;
  }
  FFieldDefs->Update();
  for (Integer I = 0; I < FFieldDefs->Count(); ++I)
    List << FFieldDefs->Items(I)->Name();
}

std::vector<TField*> TDataSet::GetFieldList(const String& FieldNames) const
{
  std::vector<TField*> R;
  for (const String& N : SplitFieldNames(FieldNames))
    R.push_back(FieldByName(N));
  return R;
}

// ---------------------------------------------------------------------------
// Filtering

void TDataSet::SetFiltered(bool Value) { FFiltered = Value; }
void TDataSet::SetFilterText(const String& Value) { FFilterText = Value; }
void TDataSet::SetFilterOptions(TFilterOptions Value) { FFilterOptions = Value; }
void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) { OnFilterRecord = Value; }

// ---------------------------------------------------------------------------
// Search

static bool KeyMatches(TField* F, const Variant& Key, TLocateOptions Options)
{
  const Variant V = F->Value();
  const bool KeyNull = VarIsNull(Key) || VarIsEmpty(Key);
  if (VarIsNull(V) || KeyNull)
    return VarIsNull(V) && KeyNull;
  const bool Text = F->DataType() == ftString || F->DataType() == ftWideString ||
                    F->DataType() == ftFixedChar || F->DataType() == ftFixedWideChar ||
                    F->DataType() == ftMemo || F->DataType() == ftWideMemo;
  if (Text || VarIsStr(Key)) {
    String A = F->AsString();
    String B = VarToStr(Key);
    if (Options.Contains(loCaseInsensitive)) {
      A = AnsiUpperCase(A);
      B = AnsiUpperCase(B);
    }
    if (Options.Contains(loPartialKey))
      return A.startsWith(B);
    return A == B;
  }
  return VarEquals(V, Key);
}

bool TDataSet::MatchesLocate(const std::vector<TField*>& Fields, const Variant& KeyValues,
                             TLocateOptions Options) const
{
  if (Fields.size() == 1 && !VarIsArray(KeyValues))
    return KeyMatches(Fields[0], KeyValues, Options);
  for (std::size_t I = 0; I < Fields.size(); ++I)
    if (!KeyMatches(Fields[I], KeyValues.GetElement(VarArrayLowBound(KeyValues, 1) + int(I)), Options))
      return false;
  return true;
}

bool TDataSet::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
  CheckBrowseMode();
  const std::vector<TField*> Fields = GetFieldList(KeyFields);
  const TBookmark Start = GetBookmark();
  DisableControls();
  bool Found = false;
  {
    ScopeExit Enable([&] { EnableControls(); });
    for (First(); !Eof(); Next())
      if (MatchesLocate(Fields, KeyValues, Options)) {
        Found = true;
        break;
      }
    if (!Found && !Start.isEmpty())
      GotoBookmark(Start);
  }
  return Found;
}

Variant TDataSet::Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields)
{
  CheckBrowseMode();
  const std::vector<TField*> Fields = GetFieldList(KeyFields);
  const TBookmark Start = GetBookmark();
  Variant Result = Null;
  DisableControls();
  ScopeExit Enable([&] { EnableControls(); });
  for (First(); !Eof(); Next())
    if (MatchesLocate(Fields, KeyValues, {})) {
      Result = FieldValues(ResultFields);
      break;
    }
  if (!Start.isEmpty())
    GotoBookmark(Start);
  return Result;
}

// ---------------------------------------------------------------------------
// Registration

void RegisterDBClasses()
{
  RegisterEnum<TFieldKind>("TFieldKind", {"fkData", "fkCalculated", "fkLookup", "fkInternalCalc", "fkAggregate"});
  RegisterEnum<TFilterOption>("TFilterOption", {"foCaseInsensitive", "foNoPartialCompare"});
  RegisterEnum<TAutoRefreshFlag>("TAutoRefreshFlag", {"arNone", "arAutoInc", "arDefault"});
  RegisterEnum<TParamType>("TParamType", {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult"});
  RegisterEnum<TFieldType>("TFieldType", {
    "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency", "ftBCD",
    "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic",
    "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString",
    "ftLargeint", "ftADT", "ftArray", "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant",
    "ftInterface", "ftIDispatch", "ftGuid", "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo",
    "ftOraTimeStamp", "ftOraInterval", "ftLongWord", "ftShortint", "ftByte", "ftExtended", "ftConnection",
    "ftParams", "ftStream", "ftTimeStampOffset", "ftObject", "ftSingle"});

  RegisterClassInfo<TField, TComponent>("TField")
    .Property("Alignment", &TField::Alignment, &TField::SetAlignment, taLeftJustify)
    .Property("AutoGenerateValue", &TField::AutoGenerateValue, &TField::SetAutoGenerateValue, arNone)
    .Property("DefaultExpression", &TField::DefaultExpression, &TField::SetDefaultExpression)
    .Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
    .Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
    .Property("EditMask", &TField::EditMask, &TField::SetEditMask)
    .Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind, fkData)
    .Property("FieldName", &TField::FieldName, &TField::SetFieldName)
    .Property("Calculated", &TField::Calculated, &TField::SetCalculated, false)
    .Property("Lookup", &TField::Lookup, &TField::SetLookup, false)
    .Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet)
    .Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields)
    .Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField)
    .Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields)
    .Property("LookupCache", &TField::LookupCache, &TField::SetLookupCache, false)
    .Property("Origin", &TField::Origin, &TField::SetOrigin)
    .Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly, false)
    .Property("Required", &TField::Required, &TField::SetRequired, false)
    .Property("Visible", &TField::Visible, &TField::SetVisible, true)
    .Event("OnChange", &TField::OnChange)
    .Event("OnGetText", &TField::OnGetText)
    .Event("OnSetText", &TField::OnSetText)
    .Event("OnValidate", &TField::OnValidate);
  RegisterClassInfo<TStringField, TField>("TStringField")
    .Property("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar, false)
    .Property("Size", &TField::Size, &TField::SetSize, 20)
    .Property("Transliterate", &TStringField::Transliterate, &TStringField::SetTransliterate, true);
  RegisterClassInfo<TWideStringField, TStringField>("TWideStringField");
  RegisterClassInfo<TNumericField, TField>("TNumericField")
    .Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat)
    .Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
  RegisterClassInfo<TIntegerField, TNumericField>("TIntegerField")
    .Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue, 0)
    .Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue, 0);
  RegisterClassInfo<TSmallintField, TIntegerField>("TSmallintField");
  RegisterClassInfo<TLargeintField, TIntegerField>("TLargeintField");
  RegisterClassInfo<TAutoIncField, TIntegerField>("TAutoIncField");
  RegisterClassInfo<TFloatField, TNumericField>("TFloatField")
    .Property("Currency", &TFloatField::IsCurrency, &TFloatField::SetCurrency, false)
    .Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision, 15);
  RegisterClassInfo<TBCDField, TNumericField>("TBCDField")
    .Property("Currency", &TBCDField::IsCurrency, &TBCDField::SetCurrency, false)
    .Property("Precision", &TBCDField::Precision, &TBCDField::SetPrecision, 0)
    .Property("Size", &TField::Size, &TField::SetSize, 4);
  RegisterClassInfo<TFMTBCDField, TBCDField>("TFMTBCDField")
    .Property("Size", &TField::Size, &TField::SetSize, 8);
  RegisterClassInfo<TBooleanField, TField>("TBooleanField")
    .Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
  RegisterClassInfo<TDateTimeField, TField>("TDateTimeField")
    .Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
  RegisterClassInfo<TDateField, TDateTimeField>("TDateField");
  RegisterClassInfo<TTimeField, TDateTimeField>("TTimeField");
  RegisterClassInfo<TBlobField, TField>("TBlobField")
    .Property("Size", &TField::Size, &TField::SetSize, 0);
  RegisterClassInfo<TMemoField, TBlobField>("TMemoField");
  RegisterClassInfo<TWideMemoField, TMemoField>("TWideMemoField");

  RegisterClassInfo<TDataSource, TComponent>("TDataSource")
    .Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit, true)
    .Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
    .Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true)
    .Event("OnDataChange", &TDataSource::OnDataChange)
    .Event("OnStateChange", &TDataSource::OnStateChange)
    .Event("OnUpdateData", &TDataSource::OnUpdateData);

  RegisterClassInfo<TDataSet, TComponent>("TDataSet")
    .Property("Active", &TDataSet::Active, &TDataSet::SetActive, false)
    .Property("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields, true)
    .Property("Filter", &TDataSet::Filter, &TDataSet::SetFilter)
    .Property("Filtered", &TDataSet::Filtered, &TDataSet::SetFilteredValue, false)
    .Property("FilterOptions", &TDataSet::FilterOptions, &TDataSet::SetFilterOptionsValue)
    .Event("AfterCancel", &TDataSet::AfterCancel)
    .Event("AfterClose", &TDataSet::AfterClose)
    .Event("AfterDelete", &TDataSet::AfterDelete)
    .Event("AfterEdit", &TDataSet::AfterEdit)
    .Event("AfterInsert", &TDataSet::AfterInsert)
    .Event("AfterOpen", &TDataSet::AfterOpen)
    .Event("AfterPost", &TDataSet::AfterPost)
    .Event("AfterRefresh", &TDataSet::AfterRefresh)
    .Event("AfterScroll", &TDataSet::AfterScroll)
    .Event("BeforeCancel", &TDataSet::BeforeCancel)
    .Event("BeforeClose", &TDataSet::BeforeClose)
    .Event("BeforeDelete", &TDataSet::BeforeDelete)
    .Event("BeforeEdit", &TDataSet::BeforeEdit)
    .Event("BeforeInsert", &TDataSet::BeforeInsert)
    .Event("BeforeOpen", &TDataSet::BeforeOpen)
    .Event("BeforePost", &TDataSet::BeforePost)
    .Event("BeforeRefresh", &TDataSet::BeforeRefresh)
    .Event("BeforeScroll", &TDataSet::BeforeScroll)
    .Event("OnCalcFields", &TDataSet::OnCalcFields)
    .Event("OnDeleteError", &TDataSet::OnDeleteError)
    .Event("OnEditError", &TDataSet::OnEditError)
    .Event("OnFilterRecord", &TDataSet::OnFilterRecord)
    .Event("OnNewRecord", &TDataSet::OnNewRecord)
    .Event("OnPostError", &TDataSet::OnPostError);
  RegisterClasses({TStringField::StaticClass(), TWideStringField::StaticClass(), TIntegerField::StaticClass(),
                   TSmallintField::StaticClass(), TLargeintField::StaticClass(), TAutoIncField::StaticClass(),
                   TFloatField::StaticClass(), TBCDField::StaticClass(), TFMTBCDField::StaticClass(),
                   TBooleanField::StaticClass(), TDateTimeField::StaticClass(), TDateField::StaticClass(),
                   TTimeField::StaticClass(), TBlobField::StaticClass(), TMemoField::StaticClass(),
                   TWideMemoField::StaticClass(), TDataSource::StaticClass()});
}
