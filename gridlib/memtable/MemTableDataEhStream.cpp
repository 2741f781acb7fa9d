// MemTableDataEhStream.cpp: the stream form of a storage: its component tree,
// published properties, the encoding of every stored value, and saving and
// loading files without ever leaving a half-written file or half-read table.
#include "gridlib/memtable/MemTableDataEh.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

#include <filesystem>
#include <mutex>
#include <random>

// ---------------------------------------------------------------------------
// Stream format.

static bool IsBinaryColumnType(TFieldType T)
{
  switch (T) {
  case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
  case ftOraBlob: case ftCursor: case ftADT: case ftArray: case ftReference: case ftDataSet:
    return true;
  default:
    return false;
  }
}

String FormatISOTimeStampEh(TDateTime Value, Integer ZoneHour, Integer ZoneMinute)
{
  Word Y, M, D, H, N, S, MS;
  DecodeDateTime(Value, Y, M, D, H, N, S, MS);
  String Text = QStringLiteral("%1-%2-%3T%4:%5:%6")
                  .arg(Y, 4, 10, QChar('0'))
                  .arg(M, 2, 10, QChar('0'))
                  .arg(D, 2, 10, QChar('0'))
                  .arg(H, 2, 10, QChar('0'))
                  .arg(N, 2, 10, QChar('0'))
                  .arg(S, 2, 10, QChar('0'));
  if (MS != 0)
    Text += QStringLiteral(".%1").arg(MS, 3, 10, QChar('0'));
  if (ZoneHour != 0 || ZoneMinute != 0) {
    const bool Negative = ZoneHour * 60 + ZoneMinute < 0;
    Text += QStringLiteral("%1%2:%3")
              .arg(Negative ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(std::abs(ZoneHour), 2, 10, QChar('0'))
              .arg(std::abs(ZoneMinute), 2, 10, QChar('0'));
  }
  return Text;
}

// Characters From..From+Count-1, counted from 1, as a number; empty gives 0
// where Optional allows it.
static Integer NumberAt(const String& Text, Integer From, Integer Count, bool Optional = false)
{
  const String Part = Text.mid(From - 1, Count);
  if (Part.isEmpty() && Optional)
    return 0;
  return StrToInt(Part);
}

TDateTime ParseISOTimeStampEh(const String& Text, Integer& ZoneHour, Integer& ZoneMinute)
{
  const Integer Year = NumberAt(Text, 1, 4);
  const Integer Month = NumberAt(Text, 6, 2);
  const Integer Day = NumberAt(Text, 9, 2);
  const Integer Hour = NumberAt(Text, 12, 2, true);
  const Integer Minute = NumberAt(Text, 15, 2, true);
  const Integer Second = NumberAt(Text, 18, 2, true);
  Integer Fractions = 0;
  Integer ZonePos = 20;
  if (Text.size() >= 20 && Text[19] == QLatin1Char('.')) {
    Fractions = NumberAt(Text, 21, 3);
    ZonePos = 24;
  }
  ZoneHour = 0;
  ZoneMinute = 0;
  if (Text.size() >= ZonePos && (Text[ZonePos - 1] == QLatin1Char('+') || Text[ZonePos - 1] == QLatin1Char('-'))) {
    const Integer Sign = Text[ZonePos - 1] == QLatin1Char('-') ? -1 : 1;
    ZoneHour = Sign * NumberAt(Text, ZonePos + 1, 2);
    ZoneMinute = Sign * NumberAt(Text, ZonePos + 4, 2);
  }
  TDateTime Result;
  if (Year < 0 || Month < 0 || Day < 0 || Hour < 0 || Minute < 0 || Second < 0 || Fractions < 0 ||
      !TryEncodeDateTime(Word(Year), Word(Month), Word(Day), Word(Hour), Word(Minute), Word(Second),
                         Word(Fractions), Result))
    throw EConvertError(QStringLiteral("'%1' is not a valid time stamp").arg(Text));
  return Result;
}

void TMTDataFieldEh::WriteDataToWriter(const Variant& Value, TWriter& Writer)
{
  const TFieldType T = GetDataType();
  if (IsBinaryColumnType(T)) {
    if (Value.IsNull() || Value.IsEmpty())
      Writer.WriteBinary(QByteArray());
    else
      Writer.WriteBinary(Value.AsBytes());
    return;
  }
  if (Value.IsNull()) {
    Writer.WriteValue(vaNil);
    return;
  }
  if (Value.IsEmpty())
    throw EWriteError(QStringLiteral("\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty"));
  switch (T) {
  case ftTimeStamp: case ftOraTimeStamp: case ftTimeStampOffset:
    Writer.WriteString(FormatISOTimeStampEh(Value.AsDateTime(), 0, 0));
    return;
  case ftFMTBcd:
    Writer.WriteString(VarToInvariantStrEh(Value));
    return;
  default:
    Writer.WriteVariant(Value);
    return;
  }
}

void TMTDataFieldEh::ReadDataFromReader(Variant& Value, TReader& Reader)
{
  const TFieldType T = GetDataType();
  if (IsBinaryColumnType(T)) {
    if (Reader.NextValue() != vaBinary) {
      Reader.SkipValue();
      throw EReadError(QStringLiteral("Invalid property value"));
    }
    const QByteArray Bytes = Reader.ReadBinary();
    Value = GetVarDataType() == varString ? Variant(Bytes) : Variant::FromBytes(Bytes);
    return;
  }
  Variant V = Reader.ReadVariant();
  if (V.IsEmpty() || V.IsNull()) {
    Value = Null;
    return;
  }
  switch (T) {
  case ftFMTBcd:
    if (VarIsStr(V))
      InvariantStrToVarEh(V.AsString(), varDouble, V);
    break;
  case ftTimeStamp: case ftOraTimeStamp: case ftTimeStampOffset:
    if (VarIsStr(V)) {
      Integer ZoneHour = 0, ZoneMinute = 0;
      V = Variant(ParseISOTimeStampEh(V.AsString(), ZoneHour, ZoneMinute));
    }
    break;
  default:
    break;
  }
  Value = ConvertToColumnKindEh(V, GetVarDataType());
}

// --- records

void TRecordsListEh::WriteData(TWriter& Writer)
{
  TMTDataStructEh* Struct = DataStruct();
  Writer.WriteListBegin();
  for (TMemoryRecordEh* Item : FRecList) {
    Writer.WriteListBegin();
    for (Integer I = 0; I < Struct->Count(); ++I)
      Struct->GetDataField(I)->WriteDataToWriter(Item->Value(I), Writer);
    Writer.WriteListEnd();
  }
  Writer.WriteListEnd();
}

void TRecordsListEh::ReadData(TReader& Reader)
{
  TMTDataStructEh* Struct = DataStruct();
  Clear();
  Reader.ReadListBegin();
  for (Integer RecNo = 1; !Reader.EndOfList(); ++RecNo) {
    Reader.ReadListBegin();
    std::unique_ptr<TMemoryRecordEh> Item(NewRecord());
    for (Integer I = 0; I < Struct->Count(); ++I) {
      TMTDataFieldEh* Field = Struct->GetDataField(I);
      if (Reader.EndOfList())
        throw EReadError(QStringLiteral("Record %1 holds %2 values; the structure has %3 fields")
                           .arg(RecNo).arg(I).arg(Struct->Count()));
      try {
        Variant Value;
        Field->ReadDataFromReader(Value, Reader);
        Item->FData.Set(I, Value);
      } catch (const Exception& E) {
        throw EReadError(QStringLiteral("Record %1, field \"%2\": %3").arg(RecNo).arg(Field->GetFieldName(),
                                                                                         E.Message()));
      }
    }
    if (!Reader.EndOfList())
      throw EReadError(QStringLiteral("Record %1 holds more values than the structure has fields (%2)")
                         .arg(RecNo).arg(Struct->Count()));
    Reader.ReadListEnd();
    FetchRecord(Item.get());
    Item.release();
  }
  Reader.ReadListEnd();
}

void TRecordsListEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
    QStringLiteral("Data"), [this](TReader& Reader) { ReadData(Reader); },
    [this](TWriter& Writer) { WriteData(Writer); }, Count() > 0);
}

// --- storage

void TMemTableDataEh::DefineProperties(TFiler& Filer)
{
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
    QStringLiteral("AutoIncCurValue"), [this](TReader& Reader) { AutoIncrement()->SetCurValue(Reader.ReadInteger()); },
    [this](TWriter& Writer) { Writer.WriteInteger(AutoIncrement()->CurValue()); },
    AutoIncrement()->CurValue() != AutoIncrement()->InitValue());
}

void TMemTableDataEh::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
  (void)Root;
  if (FStoreStructInStream)
    Proc(DataStruct());
  if (FStoreRecordsInStream)
    Proc(RecordsList());
}

// While a storage reads itself, its structure and records list are the
// existing ones, never new components.
void TMemTableDataEh::ReadState(TReader& Reader)
{
  auto OldHook = Reader.OnCreateComponent;
  ScopeExit Restore([&] { Reader.OnCreateComponent = OldHook; });
  Reader.OnCreateComponent = [this, OldHook](TReader* R, TClass ComponentClass, TComponent*& Component) {
    if (ComponentClass && ClassInheritsFrom(ComponentClass, TMTDataStructEh::StaticClass()))
      Component = DataStruct();
    else if (ComponentClass && ClassInheritsFrom(ComponentClass, TRecordsListEh::StaticClass()))
      Component = RecordsList();
    else if (OldHook)
      OldHook(R, ComponentClass, Component);
  };
  inherited::ReadState(Reader);
}

static void CheckLoadedStorage(TMemTableDataEh* Data)
{
  const Integer Columns = Data->DataStruct()->Count();
  for (Integer I = 0; I < Columns; ++I)
    if (Data->DataStruct()->GetDataField(I)->GetVarDataType() == varError)
      throw EReadError(QStringLiteral("Field \"%1\" has a type that cannot be stored")
                         .arg(Data->DataStruct()->GetDataField(I)->GetFieldName()));
  TRecordsListEh* List = Data->RecordsList();
  for (Integer R = 0; R < List->Count(); ++R)
    if (List->Rec(R)->ValueCount() != Columns)
      throw EReadError(QStringLiteral("Record %1 does not match the structure of %2 fields").arg(R + 1).arg(Columns));
}

void TMemTableDataEh::SaveToStream(TStream* Stream)
{
  RegisterMemTableDataClasses();
  TWriter Writer(Stream);
  Writer.WriteRootComponent(this);
}

void TMemTableDataEh::LoadFromStream(TStream* Stream)
{
  RegisterMemTableDataClasses();
  TMemoryStream Binary;
  TStream* Source = Stream;
  switch (TestStreamFormat(Stream)) {
  case sofBinary:
    break;
  case sofText:
  case sofUTF8Text:
    ObjectTextToBinary(Stream, &Binary);
    Binary.SetPosition(0);
    Source = &Binary;
    break;
  default:
    throw Exception(QStringLiteral("Invalid stream format."));
  }
  auto Fresh = std::make_unique<TMemTableDataEh>(nullptr);
  Fresh->FStoreStructInStream = FStoreStructInStream;
  Fresh->FStoreRecordsInStream = FStoreRecordsInStream;
  {
    TReader Reader(Source);
    Reader.ReadRootComponent(Fresh.get());
  }
  CheckLoadedStorage(Fresh.get());
  TakeOver(Fresh.get());
}

void TMemTableDataEh::SaveToFile(const String& FileName, bool AsText)
{
  SetStoreStructInStream(true);
  SetStoreRecordsInStream(true);
  TMemoryStream Image;
  SaveToStream(&Image);
  if (AsText) {
    TMemoryStream Text;
    Image.SetPosition(0);
    ObjectBinaryToText(&Image, &Text);
    Image.Clear();
    Text.SetPosition(0);
    Image.CopyFrom(&Text, 0);
  }
  static std::mt19937 Rng{std::random_device{}()};
  const String TempName = FileName + QStringLiteral(".%1.tmp").arg(Rng(), 8, 16, QChar('0'));
  const std::filesystem::path TempPath(TempName.toStdString());
  try {
    {
      TFileStream File(TempName, fmCreate);
      Image.SetPosition(0);
      File.CopyFrom(&Image, 0);
    }
    std::filesystem::rename(TempPath, std::filesystem::path(FileName.toStdString()));
  } catch (const std::filesystem::filesystem_error& E) {
    std::error_code Ignored;
    std::filesystem::remove(TempPath, Ignored);
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, String::fromLocal8Bit(E.what())));
  } catch (...) {
    std::error_code Ignored;
    std::filesystem::remove(TempPath, Ignored);
    throw;
  }
}

void TMemTableDataEh::LoadFromFile(const String& FileName)
{
  TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&File);
}

// ---------------------------------------------------------------------------
// Registration of the stream classes.

// The display properties that most descriptor families publish, in their
// stream order.
template <class C>
static TClassBuilder<C>& DisplayProperties(TClassBuilder<C>& Info, TAlignment DefaultAlignment)
{
  using B = TMTDataFieldEh;
  return Info.Property("Alignment", &B::GetAlignment, &B::SetAlignment, DefaultAlignment)
    .Property("DefaultExpression", &B::GetDefaultExpression, &B::SetDefaultExpression)
    .Property("DisplayLabel", &B::GetDisplayLabel, &B::SetDisplayLabel)
    .Property("DisplayWidth", &B::GetDisplayWidth, &B::SetDisplayWidth).Stored(&B::DisplayWidthStored)
    .Property("EditMask", &B::GetEditMask, &B::SetEditMask)
    .Property("Required", &B::GetRequired, &B::SetRequired, false)
    .Property("Visible", &B::GetVisible, &B::SetVisible, true);
}

static void RegisterDescriptorClasses()
{
  using B = TMTDataFieldEh;
  RegisterClassInfo<B, TComponent>("TMTDataFieldEh")
    .Property("FieldName", &B::GetFieldName, &B::SetFieldName)
    .Property("Calculated", &B::Calculated, &B::SetCalculated, false);

  using S = TMTStringDataFieldEh;
  auto Str = RegisterClassInfo<S, B>("TMTStringDataFieldEh");
  Str.Property("StringDataType", &S::StringDataType, &S::SetStringDataType);
  DisplayProperties(Str, taLeftJustify)
    .Property("FixedChar", &S::FixedChar, &S::SetFixedChar, false)
    .Property("Size", &B::GetSize, &B::SetSize, 20)
    .Property("Transliterate", &S::Transliterate, &S::SetTransliterate, false);

  using N = TMTNumericDataFieldEh;
  auto Num = RegisterClassInfo<N, B>("TMTNumericDataFieldEh");
  Num.Property("NumericDataType", &N::NumericDataType, &N::SetNumericDataType)
    .Property("AutoIncrement", &B::GetAutoIncrement, &B::SetAutoIncrement);
  DisplayProperties(Num, taRightJustify)
    .Property("DisplayFormat", &N::DisplayFormat, &N::SetDisplayFormat)
    .Property("EditFormat", &N::EditFormat, &N::SetEditFormat)
    .Property("currency", &N::Currency_, &N::SetCurrency)
    .Property("MaxValue", &N::MaxValue, &N::SetMaxValue)
    .Property("MinValue", &N::MinValue, &N::SetMinValue)
    .Property("Precision", &N::Precision, &N::SetPrecision)
    .Property("Scale", &N::Scale, &N::SetScale).Stored(&N::CanDinaSize);

  using D = TMTDateTimeDataFieldEh;
  auto Date = RegisterClassInfo<D, B>("TMTDateTimeDataFieldEh");
  Date.Property("DateTimeDataType", &D::DateTimeDataType, &D::SetDateTimeDataType);
  DisplayProperties(Date, taLeftJustify).Property("DisplayFormat", &D::DisplayFormat, &D::SetDisplayFormat);

  using L = TMTBlobDataFieldEh;
  auto Blob = RegisterClassInfo<L, B>("TMTBlobDataFieldEh");
  DisplayProperties(Blob, taLeftJustify)
    .Property("BlobType", &L::BlobType, &L::SetBlobType, ftBlob)
    .Property("GraphicHeader", &L::GraphicHeader, &L::SetGraphicHeader, true)
    .Property("Transliterate", &L::Transliterate, &L::SetTransliterate);

  using O = TMTBooleanDataFieldEh;
  auto Bool = RegisterClassInfo<O, B>("TMTBooleanDataFieldEh");
  DisplayProperties(Bool, taLeftJustify).Property("DisplayValues", &O::DisplayValues, &O::SetDisplayValues);

  using I = TMTInterfaceDataFieldEh;
  RegisterClassInfo<I, B>("TMTInterfaceDataFieldEh")
    .Property("Alignment", &B::GetAlignment, &B::SetAlignment, taLeftJustify)
    .Property("DefaultExpression", &B::GetDefaultExpression, &B::SetDefaultExpression)
    .Property("DisplayLabel", &B::GetDisplayLabel, &B::SetDisplayLabel)
    .Property("DisplayWidth", &B::GetDisplayWidth, &B::SetDisplayWidth).Stored(&B::DisplayWidthStored)
    .Property("InterfaceDataType", &I::InterfaceDataType, &I::SetInterfaceDataType)
    .Property("Required", &B::GetRequired, &B::SetRequired, false)
    .Property("Visible", &B::GetVisible, &B::SetVisible, true);

  using V = TMTVariantDataFieldEh;
  RegisterClassInfo<V, B>("TMTVariantDataFieldEh")
    .Property("Alignment", &B::GetAlignment, &B::SetAlignment, taLeftJustify)
    .Property("DefaultExpression", &B::GetDefaultExpression, &B::SetDefaultExpression)
    .Property("DisplayLabel", &B::GetDisplayLabel, &B::SetDisplayLabel)
    .Property("DisplayWidth", &B::GetDisplayWidth, &B::SetDisplayWidth).Stored(&B::DisplayWidthStored)
    .Property("VariantDataType", &V::VariantDataType, &V::SetVariantDataType)
    .Property("Required", &B::GetRequired, &B::SetRequired, false)
    .Property("Size", &B::GetSize, &B::SetSize).Stored(&V::SizeStored)
    .Property("Visible", &B::GetVisible, &B::SetVisible, true);

  using R = TMTRefObjectFieldEh;
  RegisterClassInfo<R, B>("TMTRefObjectFieldEh")
    .Property("Alignment", &B::GetAlignment, &B::SetAlignment, taLeftJustify)
    .Property("DisplayLabel", &B::GetDisplayLabel, &B::SetDisplayLabel)
    .Property("DisplayWidth", &B::GetDisplayWidth, &B::SetDisplayWidth).Stored(&B::DisplayWidthStored)
    .Property("Required", &B::GetRequired, &B::SetRequired, false)
    .Property("Visible", &B::GetVisible, &B::SetVisible, true);

  using T = TMTSQLTimeStampDataFieldEh;
  auto Stamp = RegisterClassInfo<T, B>("TMTSQLTimeStampDataFieldEh");
  Stamp.Property("SQLTimeStampDataFieldType", &T::SQLTimeStampDataFieldType, &T::SetSQLTimeStampDataFieldType);
  DisplayProperties(Stamp, taLeftJustify).Property("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat);
}

void RegisterMemTableDataClasses()
{
  static std::once_flag Once;
  std::call_once(Once, [] {
    RegisterRtlClasses();
    RegisterDBClasses();
    RegisterEnum<TStringDataFieldTypeEh>("TStringDataFieldTypeEh", {"fdtStringEh", "fdtFixedCharEh",
      "fdtWideStringEh", "fdtGuidEh", "fdtFixedWideCharEh", "fdtOraIntervalEh"});
    RegisterEnum<TNumericDataFieldTypeEh>("TNumericDataFieldTypeEh", {"fdtSmallintEh", "fdtIntegerEh", "fdtWordEh",
      "fdtFloatEh", "fdtCurrencyEh", "fdtBCDEh", "fdtAutoIncEh", "fdtLargeintEh", "fdtFMTBcdEh", "fdtLongWordEh",
      "fdtShortintEh", "fdtByteEh", "fdtExtendedEh", "fdtSingleEh"});
    RegisterEnum<TDateTimeDataFieldTypeEh>("TDateTimeDataFieldTypeEh", {"fdtDateEh", "fdtTimeEh", "fdtDateTimeEh"});
    RegisterEnum<TInterfaceDataFieldTypeEh>("TInterfaceDataFieldTypeEh", {"fdtInterfaceEh", "fdtIDispatchEh"});
    RegisterEnum<TVariantDataFieldTypeEh>("TVariantDataFieldTypeEh", {"fdtVariant", "fdtBytes", "fdtVarBytes"});
    RegisterEnum<TSQLTimeStampDataFieldTypeEh>("TSQLTimeStampDataFieldTypeEh", {"fdtTimeStampEh",
      "fdtOraTimeStampEh", "fdtTimeStampOffsetEh"});
    RegisterClassInfo<TMemTableDataEh, TComponent>("TMemTableDataEh");
    RegisterClassInfo<TMTDataStructEh, TComponent>("TMTDataStructEh");
    RegisterClassInfo<TRecordsListEh, TComponent>("TRecordsListEh");
    RegisterDescriptorClasses();
  });
}
