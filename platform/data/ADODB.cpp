// ADODB.cpp: connection strings, parameters, the static client cursor with its
// filter and sort, writing edited rows back by key, and commands.
#include "platform/data/ADODB.h"

#include "platform/data/ADOFilter.h"
#include "platform/rtl/ScopeExit.h"

#include <QRegularExpression>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>

// ---------------------------------------------------------------------------
// Connection strings

String QuoteConnectionValue(const String& Value)
{
  const bool Plain = !Value.contains(u';') && !Value.contains(u'"') && !Value.contains(u'\'') &&
                     !Value.contains(u'=') && Value.trimmed() == Value;
  if (Plain)
    return Value;
  if (!Value.contains(u'"'))
    return u'"' + Value + u'"';
  if (!Value.contains(u'\''))
    return u'\'' + Value + u'\'';
  String V = Value;
  V.replace(u'"', QLatin1String("\"\""));
  return u'"' + V + u'"';
}

String QuoteOdbcConnectionValue(const String& Value) { return odbc::QuoteOdbcValue(Value); }

// OLE DB form: "Key=value;Key=\"va;lue\";Key='it''s'"; "==" in a key is "=".
static std::vector<odbc::TConnAttr> ParseOleDbConnectionString(const String& Text)
{
  std::vector<odbc::TConnAttr> Result;
  const qsizetype N = Text.size();
  qsizetype I = 0;
  while (I < N) {
    while (I < N && (Text[I] == u';' || Text[I].isSpace())) ++I;
    if (I >= N)
      break;
    String Key;
    while (I < N) {
      if (Text[I] == u'=') {
        if (I + 1 < N && Text[I + 1] == u'=') { Key += u'='; I += 2; continue; }
        break;
      }
      if (Text[I] == u';')
        break;
      Key += Text[I++];
    }
    odbc::TConnAttr A;
    A.Key = Key.trimmed();
    if (I >= N || Text[I] == u';') {
      if (!A.Key.isEmpty())
        Result.push_back(A);
      continue;
    }
    ++I;   // '='
    while (I < N && Text[I].isSpace()) ++I;
    if (I < N && (Text[I] == u'"' || Text[I] == u'\'')) {
      const QChar Q = Text[I++];
      String V;
      bool Closed = false;
      while (I < N) {
        if (Text[I] == Q) {
          if (I + 1 < N && Text[I + 1] == Q) { V += Q; I += 2; continue; }
          Closed = true;
          ++I;
          break;
        }
        V += Text[I++];
      }
      if (!Closed)
        throw EOleException(QStringLiteral("Connection string: unterminated quoted value of %1").arg(A.Key));
      while (I < N && Text[I] != u';') {
        if (!Text[I].isSpace())
          throw EOleException(QStringLiteral("Connection string: text after the quoted value of %1").arg(A.Key));
        ++I;
      }
      A.Value = V;
    } else {
      qsizetype J = Text.indexOf(u';', I);
      if (J < 0) J = N;
      A.Value = Text.mid(I, J - I).trimmed();
      I = J;
    }
    Result.push_back(A);
  }
  return Result;
}

static bool SameKey(const String& A, const char* B) { return A.compare(QLatin1String(B), Qt::CaseInsensitive) == 0; }

// The driver options that decide how columns map to fields, the same for
// both forms; diagnostics logging stays off. Rows come through a server
// cursor in blocks, so the driver never holds a second copy of a large result.
static const char* const MappingOptions[][2] = {
  {"MaxVarcharSize", "255"}, {"MaxLongVarcharSize", "8190"}, {"TextAsLongVarchar", "1"},
  {"UnknownsAsLongVarchar", "0"}, {"BoolsAsChar", "1"}, {"UnknownSizes", "0"},
  {"ByteaAsLongVarBinary", "1"}, {"TrueIsMinus1", "0"}, {"LFConversion", "0"}, {"UseDeclareFetch", "1"},
  {"Fetch", "4096"}, {"Debug", "0"}, {"CommLog", "0"}};

String OdbcConnectionString(const String& ConnectionString)
{
  std::vector<odbc::TConnAttr> Attrs;
  const std::vector<odbc::TConnAttr> Ole = ParseOleDbConnectionString(ConnectionString);
  const bool OleForm = std::any_of(Ole.begin(), Ole.end(), [](const odbc::TConnAttr& A) {
    return SameKey(A.Key, "Provider");
  });
  if (OleForm) {
    for (const odbc::TConnAttr& A : Ole)
      if (SameKey(A.Key, "Extended Properties"))
        Attrs = odbc::ParseOdbcConnectionString(A.Value);
    for (const odbc::TConnAttr& A : Ole) {
      const char* Key = nullptr;
      if (SameKey(A.Key, "Data Source") || SameKey(A.Key, "DSN")) Key = "DSN";
      else if (SameKey(A.Key, "User ID") || SameKey(A.Key, "UID")) Key = "UID";
      else if (SameKey(A.Key, "Password") || SameKey(A.Key, "PWD")) Key = "PWD";
      else if (SameKey(A.Key, "Initial Catalog")) Key = "DATABASE";
      if (!Key)
        continue;
      auto It = std::find_if(Attrs.begin(), Attrs.end(), [&](const odbc::TConnAttr& B) {
        return SameKey(B.Key, Key);
      });
      if (It != Attrs.end())
        It->Value = A.Value;
      else
        Attrs.push_back({QString::fromLatin1(Key), A.Value});
    }
  } else {
    Attrs = odbc::ParseOdbcConnectionString(ConnectionString);
  }
  for (const auto& Opt : MappingOptions) {
    Attrs.erase(std::remove_if(Attrs.begin(), Attrs.end(),
                               [&](const odbc::TConnAttr& A) { return SameKey(A.Key, Opt[0]); }),
                Attrs.end());
    Attrs.push_back({QString::fromLatin1(Opt[0]), QString::fromLatin1(Opt[1])});
  }
  return odbc::BuildOdbcConnectionString(Attrs);
}

// ---------------------------------------------------------------------------
// Values across the seam

static odbc::TValueKind KindForFieldType(TFieldType T)
{
  using K = odbc::TValueKind;
  switch (T) {
  case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftShortint: case ftByte: return K::Int32;
  case ftLargeint: case ftLongWord: return K::Int64;
  case ftFloat: case ftSingle: case ftExtended: return K::Double;
  case ftCurrency: case ftBCD: case ftFMTBcd: return K::Decimal;
  case ftBoolean: return K::Boolean;
  case ftDate: return K::Date;
  case ftTime: return K::Time;
  case ftDateTime: case ftTimeStamp: return K::DateTime;
  case ftBlob: case ftBytes: case ftVarBytes: case ftGraphic: return K::Binary;
  default: return K::WideText;
  }
}

static odbc::TValueKind KindOfVariant(const Variant& V)
{
  using K = odbc::TValueKind;
  switch (VarType(V) & varTypeMask) {
  case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: return K::Int32;
  case varInt64: case varLongWord: case varUInt64: return K::Int64;
  case varSingle: case varDouble: return K::Double;
  case varCurrency: return K::Currency;
  case varDate: return K::DateTime;
  case varBoolean: return K::Boolean;
  default: return V.IsArray() ? K::Binary : K::WideText;
  }
}

static QString DecimalText(double D)
{
  QString S = QString::number(D, 'f', 10);
  if (S.contains(u'.')) {
    while (S.endsWith(u'0')) S.chop(1);
    if (S.endsWith(u'.')) S.chop(1);
  }
  return S;
}

// Exact decimal text as the decimal field keeps it: "-12.50".
static bool IsDecimalText(const QString& S)
{
  static const QRegularExpression Exact(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
  return Exact.match(S).hasMatch();
}

// A Variant as a value of the given kind.
static odbc::TValue ToOdbcValue(const Variant& V, odbc::TValueKind Kind, int Precision = 0, int Scale = 0)
{
  using K = odbc::TValueKind;
  if (VarIsNull(V) || VarIsEmpty(V))
    return odbc::TValue();
  switch (Kind) {
  case K::Boolean: return odbc::TValue::FromBool(V.AsBoolean());
  case K::Int32: return odbc::TValue::FromInt32(V.AsInteger());
  case K::Int64: return odbc::TValue::FromInt64(V.AsInt64());
  case K::Double: return odbc::TValue::FromDouble(V.AsDouble());
  case K::Currency: return odbc::TValue::FromCurrency(V.AsCurrency().Raw());
  case K::Decimal: {
    const int T = VarType(V) & varTypeMask;
    if (VarIsStr(V) && IsDecimalText(V.AsString()))
      return odbc::TValue::FromDecimal(V.AsString(), Precision, Scale);
    if (T == varCurrency)
      return odbc::TValue::FromDecimal(odbc::CurrencyToText(V.AsCurrency().Raw()), Precision, 4);
    if (T == varInteger || T == varInt64 || T == varSmallint || T == varShortInt || T == varByte ||
        T == varWord || T == varLongWord)
      return odbc::TValue::FromDecimal(QString::number(V.AsInt64()), Precision, 0);
    return odbc::TValue::FromDecimal(DecimalText(V.AsDouble()), Precision, Scale);
  }
  case K::Date: return odbc::TValue::FromDate(V.AsDateTime().Val);
  case K::Time: return odbc::TValue::FromTime(V.AsDateTime().Val);
  case K::DateTime: return odbc::TValue::FromDateTime(V.AsDateTime().Val);
  case K::Binary: return odbc::TValue::FromBytes(V.AsBytes());
  case K::AnsiText: return odbc::TValue::FromAnsiText(V.AsString());
  default: return odbc::TValue::FromText(V.AsString());
  }
}

static Variant FromOdbcValue(const odbc::TValue& V)
{
  using K = odbc::TValueKind;
  switch (V.Kind) {
  case K::Null: return Null;
  case K::Boolean: return Variant(V.Bool || V.Int != 0);
  case K::Int32: return Variant(Integer(V.Int));
  case K::Int64: return Variant(Int64(V.Int));
  case K::Double: return Variant(V.Dbl);
  case K::Currency: return Variant(Currency::FromRaw(V.Int));
  case K::Decimal: return Variant(V.Text.toDouble());
  case K::Date:
  case K::Time:
  case K::DateTime: return Variant(TDateTime(V.Dbl));
  case K::Binary: return Variant::FromBytes(V.Bytes);
  default: return Variant(V.Text);
  }
}

// ---------------------------------------------------------------------------
// Parameters

TParameter::TParameter(TCollection* Collection) : TCollectionItem(Collection) {}

void TParameter::SetValue(const Variant& V)
{
  FValue = V;
  if (FDataType != ftUnknown || VarIsNull(V) || VarIsEmpty(V))
    return;
  switch (KindOfVariant(V)) {
  case odbc::TValueKind::Int32: FDataType = ftInteger; break;
  case odbc::TValueKind::Int64: FDataType = ftLargeint; break;
  case odbc::TValueKind::Double: FDataType = ftFloat; break;
  case odbc::TValueKind::Currency: FDataType = ftBCD; break;
  case odbc::TValueKind::DateTime: FDataType = ftDateTime; break;
  case odbc::TValueKind::Boolean: FDataType = ftBoolean; break;
  case odbc::TValueKind::Binary: FDataType = ftBlob; break;
  default: FDataType = ftWideString; break;
  }
}

void TParameter::Assign(TPersistent* Source)
{
  if (auto* S = dynamic_cast<TParameter*>(Source)) {
    FName = S->FName;
    FDataType = S->FDataType;
    FDirection = S->FDirection;
    FSize = S->FSize;
    FPrecision = S->FPrecision;
    FNumericScale = S->FNumericScale;
    FValue = S->FValue;
    return;
  }
  TCollectionItem::Assign(Source);
}

void TParameter::DefineProperties(TFiler& Filer)
{
  TCollectionItem::DefineProperties(Filer);
  Filer.DefineProperty(
      QStringLiteral("Value"), [this](TReader& Reader) { FValue = Reader.ReadVariant(); },
      [this](TWriter& Writer) { Writer.WriteVariant(FValue); }, !VarIsEmpty(FValue));
}

odbc::TParam TParameter::ToOdbc() const
{
  odbc::TParam P;
  P.DeclaredKind = FDataType == ftUnknown ? KindOfVariant(FValue) : KindForFieldType(FDataType);
  P.Size = P.DeclaredKind == odbc::TValueKind::Decimal ? (FPrecision > 0 ? FPrecision : 28) : FSize;
  P.Value = ToOdbcValue(FValue, P.DeclaredKind, P.Size, FNumericScale > 0 ? FNumericScale : 6);
  return P;
}

TParameters::TParameters(TPersistent* Owner) : TCollection(TParameter::StaticClass()), FOwner(Owner) {}

TParameter* TParameters::AddParameter() { return static_cast<TParameter*>(TCollection::Add()); }

TParameter* TParameters::CreateParameter(const String& Name, TFieldType DataType, TParameterDirection Direction,
                                         Integer Size, const Variant& Value)
{
  TParameter* P = AddParameter();
  P->SetName(Name);
  P->SetDataType(DataType);
  P->SetDirection(Direction);
  P->SetSize(Size);
  P->SetValue(Value);
  return P;
}

TParameter* TParameters::FindParam(const String& Name) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Name().compare(Name, Qt::CaseInsensitive) == 0)
      return Items(I);
  return nullptr;
}

TParameter* TParameters::ParamByName(const String& Name) const
{
  TParameter* P = FindParam(Name);
  if (!P)
    DatabaseError(FmtText(dbconsts::SParameterNotFound, {Name}), dynamic_cast<TComponent*>(FOwner));
  return P;
}

String TParameters::ParseSQL(const String& SQL, bool DoCreate)
{
  QString Odbc;
  QStringList Names;
  odbc::SplitParameters(SQL, Odbc, Names);
  if (!DoCreate)
    return Odbc;
  // Keep what was set for names that stay, in the order of the new text.
  std::vector<std::unique_ptr<TParameter>> Old;
  QStringList Seen;
  for (const QString& N : Names) {
    if (Seen.contains(N, Qt::CaseInsensitive))
      continue;
    Seen << N;
  }
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  for (Integer I = 0; I < Count(); ++I) {
    auto* Copy = new TParameter(nullptr);
    Copy->Assign(Items(I));
    Old.emplace_back(Copy);
  }
  Clear();
  for (const QString& N : Seen) {
    TParameter* P = AddParameter();
    P->SetName(N);
    for (const auto& O : Old)
      if (O->Name().compare(N, Qt::CaseInsensitive) == 0) {
        P->Assign(O.get());
        P->SetName(N);
        break;
      }
  }
  return Odbc;
}

std::vector<odbc::TParam> TParameters::Bind(const QStringList& Names) const
{
  std::vector<odbc::TParam> R;
  for (const QString& N : Names)
    R.push_back(ParamByName(N)->ToOdbc());
  return R;
}

// ---------------------------------------------------------------------------
// TADOConnection

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

TADOConnection::~TADOConnection()
{
  Destroying();
  try {
    Close();
  } catch (const std::exception& E) {
    qWarning("Closing connection %s: %s", qUtf8Printable(Name()), E.what());
  }
  while (!FDataSets.empty())
    FDataSets.back()->SetConnection(nullptr);
}

void TADOConnection::Loaded()
{
  inherited::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    Open();
  }
}

void TADOConnection::SetConnectionString(const String& Value)
{
  if (Value == FConnectionString)
    return;
  if (Connected())
    Close();
  FConnectionString = Value;
  FKeyCache.clear();
}

void TADOConnection::SetConnected(bool Value)
{
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
    FStreamedConnected = Value;
    return;
  }
  if (Value)
    Open();
  else
    Close();
}

static String AttrValue(const std::vector<odbc::TConnAttr>& Attrs, const char* Key)
{
  for (const odbc::TConnAttr& A : Attrs)
    if (SameKey(A.Key, Key))
      return A.Value;
  return String();
}

// A connection that prompts and names no account asks for one first.
void TADOConnection::Open()
{
  if (Connected())
    return;
  if (FLost) {
    Reconnect();
    return;
  }
  const std::vector<odbc::TConnAttr> Attrs = odbc::ParseOdbcConnectionString(OdbcConnectionString(FConnectionString));
  // without a dialog to ask or a handler to tell, the string's data source decides
  if (FLoginPrompt && AttrValue(Attrs, "UID").isEmpty() && (LoginDialogProc() || OnLogin)) {
    String Database = AttrValue(Attrs, "DATABASE");
    if (Database.isEmpty())
      Database = AttrValue(Attrs, "DSN");
    String UserName, Password;
    if (LoginDialogProc() && !LoginDialogProc()(Database, UserName, Password))
      DatabaseError(FmtText(dbconsts::SLoginError, {Database}), this);
    if (OnLogin)
      OnLogin(this, UserName, Password);
    Open(UserName, Password);
    return;
  }
  if (BeforeConnect)
    BeforeConnect(this);
  FOpenedWith = OdbcConnectionString(FConnectionString);
  FOdbc.Open(FOpenedWith);
  FKeyCache.clear();
  if (AfterConnect)
    AfterConnect(this);
}

void TADOConnection::Open(const String& UserID, const String& Password)
{
  // The account given replaces the one in the connection string.
  Close();
  if (BeforeConnect)
    BeforeConnect(this);
  std::vector<odbc::TConnAttr> Attrs = odbc::ParseOdbcConnectionString(OdbcConnectionString(FConnectionString));
  Attrs.erase(std::remove_if(Attrs.begin(), Attrs.end(), [](const odbc::TConnAttr& A) {
    return SameKey(A.Key, "UID") || SameKey(A.Key, "PWD");
  }), Attrs.end());
  Attrs.push_back({QStringLiteral("UID"), UserID});
  Attrs.push_back({QStringLiteral("PWD"), Password});
  FOpenedWith = odbc::BuildOdbcConnectionString(Attrs);
  FOdbc.Open(FOpenedWith);
  FKeyCache.clear();
  if (AfterConnect)
    AfterConnect(this);
}

void TADOConnection::Close()
{
  FLost = false;
  if (!Connected())
    return;
  const bool Destroying = ComponentState().Contains(csDestroying);
  if (BeforeDisconnect && !Destroying)
    BeforeDisconnect(this);
  for (TCustomADODataSet* D : std::vector<TCustomADODataSet*>(FDataSets))
    D->Close();
  FOdbc.Close();
  if (AfterDisconnect && !Destroying)
    AfterDisconnect(this);
}

Integer TADOConnection::BeginTrans()
{
  Open();
  FOdbc.BeginTrans();
  return 1;
}

void TADOConnection::CommitTrans() { FOdbc.CommitTrans(); }

// The server has rolled back whatever a lost link left open.
void TADOConnection::RollbackTrans()
{
  if (!FLost)
    FOdbc.RollbackTrans();
}

Integer TADOConnection::Execute(const String& CommandText)
{
  std::int64_t N = -1;
  ExecuteOdbc(CommandText, {}, &N);
  return Integer(N);
}

std::unique_ptr<odbc::TRowStore> TADOConnection::ExecuteOdbc(const String& OdbcSql,
                                                             const std::vector<odbc::TParam>& Params,
                                                             std::int64_t* RowsAffected)
{
  Open();
  try {
    return FOdbc.Execute(OdbcSql, Params, RowsAffected);
  } catch (const EConnectionLost&) {
    DropLostLink();
    throw;
  }
}

// Only the dead handles go: the datasets stay open on the rows they hold.
void TADOConnection::DropLostLink()
{
  FOdbc.Close();
  FLost = true;
}

// A server that is still away is a lost connection too, not a new error.
void TADOConnection::Reconnect()
{
  if (BeforeConnect)
    BeforeConnect(this);
  try {
    FOdbc.Open(FOpenedWith);
  } catch (const EConnectionLost&) {
    throw;
  } catch (const EOleException& E) {
    if (E.SqlState().startsWith(QLatin1String("28")))
      throw;   // the account was refused: that is no lost link
    throw EConnectionLost(E);
  }
  FLost = false;
  FKeyCache.clear();
  if (AfterConnect)
    AfterConnect(this);
}

QStringList TADOConnection::PrimaryKeyOf(const String& Table)
{
  for (const auto& E : FKeyCache)
    if (E.first.compare(Table, Qt::CaseInsensitive) == 0)
      return E.second;
  odbc::TParam P;
  P.Value = odbc::TValue::FromText(QuoteTable(Table));
  auto Rows = ExecuteOdbc(QStringLiteral(
      "select a.attname::text from pg_index i join pg_attribute a on a.attrelid = i.indrelid "
      "and a.attnum = any(i.indkey) where i.indrelid = ?::regclass and i.indisprimary order by a.attnum"),
      {P});
  QStringList Keys;
  for (int R = 0; Rows && R < Rows->RowCount(); ++R)
    Keys << Rows->TextAt(R, 0).toString();
  FKeyCache.emplace_back(Table, Keys);
  return Keys;
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* DataSet) { FDataSets.push_back(DataSet); }

void TADOConnection::UnRegisterDataSet(TCustomADODataSet* DataSet)
{
  auto It = std::find(FDataSets.begin(), FDataSets.end(), DataSet);
  if (It != FDataSets.end())
    FDataSets.erase(It);
}

// ---------------------------------------------------------------------------
// TCustomADODataSet

String QuoteIdent(const String& Name)
{
  String N = Name;
  N.replace(u'"', QLatin1String("\"\""));
  return u'"' + N + u'"';
}

// Reads one part of a dotted name from Pos: a quoted identifier ("" inside)
// or a bare name up to the next dot; answers the name itself, empty when malformed.
static String NamePart(const String& Text, qsizetype& Pos)
{
  const qsizetype N = Text.size();
  if (Text[Pos] != u'"') {
    const qsizetype Dot = Text.indexOf(u'.', Pos);
    const qsizetype End = Dot < 0 ? N : Dot;
    const String Bare = Text.mid(Pos, End - Pos).trimmed();
    Pos = End;
    return Bare;
  }
  String Name;
  for (qsizetype J = Pos + 1; J < N; ++J) {
    if (Text[J] != u'"') {
      Name += Text[J];
      continue;
    }
    if (J + 1 < N && Text[J + 1] == u'"') {
      Name += u'"';
      ++J;
      continue;
    }
    Pos = J + 1;
    return Name;
  }
  return String();
}

// The parts of "table" or "schema.table"; EDatabaseError for anything else.
static QStringList TableNameParts(const String& Table)
{
  const String Text = Table.trimmed();
  auto Refuse = [&] { throw EDatabaseError(QStringLiteral("Invalid table name: %1").arg(Table)); };
  QStringList Parts;
  qsizetype Pos = 0;
  auto SkipSpace = [&] { while (Pos < Text.size() && Text[Pos].isSpace()) ++Pos; };
  while (Pos < Text.size()) {
    const String Part = NamePart(Text, Pos);
    SkipSpace();
    const bool AtDot = Pos < Text.size() && Text[Pos] == u'.';
    if (Part.isEmpty() || Parts.size() == 2 || (Pos < Text.size() && !AtDot))
      Refuse();
    Parts << Part;
    if (AtDot) {
      ++Pos;
      SkipSpace();
      if (Pos == Text.size())
        Refuse();
    }
  }
  if (Parts.isEmpty())
    Refuse();
  return Parts;
}

String QuoteTable(const String& Table)
{
  QStringList Parts = TableNameParts(Table);
  for (String& P : Parts)
    P = QuoteIdent(P);
  return Parts.join(u'.');
}

struct TCustomADODataSet::TRecBuf {
  int Row = -1;                  // store row shown (or the anchor of an inserted one)
  TBookmarkFlag Flag = bfCurrent;
  bool HasValues = false;        // Values hold an edited copy
  std::vector<Variant> Values;   // by store column
  std::vector<Variant> Calc;     // by field index
  // A text or decimal read from the store, by column: read again while the
  // store holds the same text, it is the same string (and the same parsed
  // number), so that a paint of unchanged rows allocates nothing.
  struct TTextRead {
    Variant Exact;
    Variant Number;   // a decimal as a Double; Unassigned until asked
  };
  mutable std::vector<TTextRead> TextReads;
  const TTextRead* TextRead(const odbc::TRowStore& Store, int Col) const;
};

const TCustomADODataSet::TRecBuf::TTextRead* TCustomADODataSet::TRecBuf::TextRead(const odbc::TRowStore& Store,
                                                                                     int Col) const
{
  using K = odbc::TValueKind;
  const K Kind = Store.Column(Col).Kind;
  if ((Kind != K::WideText && Kind != K::AnsiText && Kind != K::Decimal) || Store.IsNull(Row, Col))
    return nullptr;
  if (TextReads.size() <= std::size_t(Col))
    TextReads.resize(std::size_t(Store.ColumnCount()));
  TTextRead& R = TextReads[std::size_t(Col)];
  const QStringView Text = Store.TextAt(Row, Col);
  if (!VarIsStr(R.Exact) || R.Exact.AsString() != Text)
    R = TTextRead{Variant(Text.toString()), Variant()};
  return &R;
}

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner)
  : TDataSet(AOwner), FParameters(std::make_unique<TParameters>(this))
{
}

TCustomADODataSet::~TCustomADODataSet()
{
  Destroying();
  // Closed here, while this class's buffers and cursor exist. A listener that
  // throws on the way cannot leave the close half done: the cursor and the
  // buffers go regardless, and what it threw is logged, as a destructor
  // cannot raise it.
  try {
    Close();
  } catch (const std::exception& E) {
    qWarning("Closing dataset %s: %s", qUtf8Printable(Name()), E.what());
  } catch (...) {
    qWarning("Closing dataset %s: unknown error", qUtf8Printable(Name()));
  }
  CloseCursor();
  if (FConnection)
    FConnection->UnRegisterDataSet(this);
}

void TCustomADODataSet::SetConnection(TADOConnection* Value)
{
  if (Value == FConnection)
    return;
  if (Active())
    Close();
  if (FConnection) {
    FConnection->UnRegisterDataSet(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = Value;
  if (FConnection) {
    FConnection->RegisterDataSet(this);
    FConnection->FreeNotification(this);
  }
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FConnection)
    FConnection = nullptr;
}

void TCustomADODataSet::CheckConnection() const
{
  if (!FConnection)
    DatabaseError(QStringLiteral("Missing Connection or ConnectionString"), this);
}

String TCustomADODataSet::UpdateTableName() const
{
  // A query whose columns come from one table (besides computed ones) can be
  // written back to that table.
  if (!FStore)
    return String();
  String Schema, Table;
  for (int C = 0; C < FStore->ColumnCount(); ++C) {
    const odbc::TColumn& Col = FStore->Column(C);
    if (Col.BaseTable.isEmpty())
      continue;
    if (!Table.isEmpty() && (Col.BaseTable != Table || Col.BaseSchema != Schema))
      return String();
    Table = Col.BaseTable;
    Schema = Col.BaseSchema;
  }
  if (Table.isEmpty())
    return String();
  return Schema.isEmpty() ? QuoteIdent(Table) : QuoteIdent(Schema) + u'.' + QuoteIdent(Table);
}

void TCustomADODataSet::AttachRows(std::unique_ptr<odbc::TRowStore> Store)
{
  CheckInactive();
  FAttached = std::move(Store);
}

void TCustomADODataSet::Execute()
{
  if (FAttached) {
    FStore = std::move(FAttached);
    return;
  }
  CheckConnection();
  QString Odbc;
  QStringList Names;
  odbc::SplitParameters(CommandSQL(), Odbc, Names);
  std::int64_t Rows = -1;
  auto Store = FConnection->ExecuteOdbc(Odbc, FParameters->Bind(Names), &Rows);
  FRowsAffected = Integer(Rows);
  if (!Store)
    DatabaseError(QStringLiteral("CommandText does not return a result set"), this);
  FStore = std::move(Store);
}

void TCustomADODataSet::InternalInitFieldDefs()
{
  using K = odbc::TValueKind;
  FieldDefs()->Clear();
  if (!FStore)
    return;
  for (int C = 0; C < FStore->ColumnCount(); ++C) {
    const odbc::TColumn& Col = FStore->Column(C);
    TFieldType T = ftWideString;
    Integer Size = 0, Precision = 0;
    namespace st = odbc::sqltype;
    const bool Fixed = Col.SqlType == st::Char || Col.SqlType == st::WChar;
    const bool LongText = Col.SqlType == st::LongVarChar || Col.SqlType == st::WLongVarChar;
    const bool Small = Col.SqlType == st::SmallInt || Col.SqlType == st::TinyInt;
    switch (Col.Kind) {
    case K::Boolean: T = ftBoolean; break;
    case K::Int32: T = Col.AutoIncrement ? ftAutoInc : (Small ? ftSmallint : ftInteger); break;
    case K::Int64: T = ftLargeint; break;
    case K::Double: T = ftFloat; break;
    case K::Currency: T = ftBCD; Size = Col.Scale; Precision = Integer(Col.Size); break;
    case K::Decimal: T = ftFMTBcd; Size = Col.Scale; Precision = Integer(Col.Size); break;
    case K::Date: T = ftDate; break;
    case K::Time: T = ftTime; break;
    case K::DateTime: T = ftDateTime; break;
    case K::Binary: T = ftBlob; break;
    case K::AnsiText:
      T = LongText && (Col.Size <= 0 || Col.Size > 8190) ? ftMemo : (Fixed ? ftFixedChar : ftString);
      Size = T == ftMemo ? 0 : Integer(Col.Size);
      break;
    default:
      T = LongText && (Col.Size <= 0 || Col.Size > 8190) ? ftWideMemo : (Fixed ? ftFixedWideChar : ftWideString);
      Size = T == ftWideMemo ? 0 : Integer(Col.Size);
      break;
    }
    // A name that a result repeats (two tables' "id") gets "_1", "_2", ...
    String Name = Col.Name;
    for (int N = 1; FieldDefs()->IndexOf(Name) >= 0; ++N)
      Name = Col.Name + "_" + String::number(N);
    TFieldDef* D = FieldDefs()->AddFieldDef();
    D->SetName(Name);
    D->SetDataType(T);
    D->SetSize(Size);
    D->SetPrecision(Precision);
    D->SetFieldNo(C + 1);
  }
}

void TCustomADODataSet::InternalOpen()
{
  Execute();
  FieldDefs()->SetUpdated(false);
  InternalInitFieldDefs();
  FieldDefs()->SetUpdated(true);
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  FDeleted.assign(std::size_t(FStore->RowCount()), false);
  FFilter = FFiltered ? MakeFilter(FFilterText) : nullptr;
  RebuildView(false);
  FRecPos = -1;
}

void TCustomADODataSet::InternalClose()
{
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
  FStore.reset();
  FView.clear();
  FViewPos.clear();
  FDeleted.clear();
  FFilter.reset();
  FRecPos = -1;
}

int TCustomADODataSet::ColumnOfField(const TField* Field) const
{
  if (Field->FieldKind() != fkData && Field->FieldKind() != fkInternalCalc)
    return -1;
  const int C = Field->FieldNo() - 1;
  return FStore && C >= 0 && C < FStore->ColumnCount() ? C : -1;
}

Variant TCustomADODataSet::CellValue(int Row, int Col) const
{
  return FromOdbcValue(FStore->Value(Row, Col));
}

// Decimals stay exact text where a value goes back to the server or to a
// decimal field; everywhere else they are a Double.
Variant TCustomADODataSet::ExactCellValue(int Row, int Col) const
{
  const odbc::TValue V = FStore->Value(Row, Col);
  return V.Kind == odbc::TValueKind::Decimal ? Variant(V.Text) : FromOdbcValue(V);
}

// Rebuilds the rows in view from the filter and the sort.
void TCustomADODataSet::RebuildView(bool KeepPosition)
{
  const int CurrentRow = KeepPosition && FRecPos >= 0 && FRecPos < int(FView.size()) ? FView[std::size_t(FRecPos)] : -1;
  const int N = FStore ? FStore->RowCount() : 0;
  FView.clear();
  FView.reserve(std::size_t(N));
  const bool UseEvent = FFiltered && OnFilterRecord;
  TRecBuf Probe;
  for (int R = 0; R < N; ++R) {
    if (FDeleted[std::size_t(R)])
      continue;
    if (FFiltered && FFilter && !FFilter->Accepts(*FStore, R))
      continue;
    if (UseEvent) {
      Probe.Row = R;
      Probe.HasValues = false;
      if (!RecordFilterAccepts(reinterpret_cast<TRecordBuffer>(&Probe)))
        continue;
    }
    FView.push_back(R);
  }
  const std::vector<adofilter::TSortKey> Keys = adofilter::ParseSort(FSort);
  if (!Keys.empty())
    SortView(Keys);
  FViewPos.assign(std::size_t(N), -1);
  for (std::size_t I = 0; I < FView.size(); ++I)
    FViewPos[std::size_t(FView[I])] = int(I);
  FRecPos = CurrentRow >= 0 ? ViewIndexOfRow(CurrentRow) : -1;
}

// A number or date as an unsigned key that orders as the value does
// (descending: reversed).
static std::uint64_t PackedKey(const odbc::TRowStore& S, int Col, int Type, bool Desc, int Row)
{
  std::uint64_t U;
  if (Type == 0) {
    U = std::uint64_t(S.IntAt(Row, Col)) ^ (std::uint64_t(1) << 63);
  } else {
    const double D = S.DoubleAt(Row, Col);
    std::uint64_t Bits;
    std::memcpy(&Bits, &D, sizeof Bits);
    U = (Bits >> 63) ? ~Bits : (Bits | (std::uint64_t(1) << 63));
  }
  return Desc ? ~U : U;
}

// Least-significant-digit radix sort of words whose set bits lie below Bits.
static void RadixSortWords(std::vector<std::uint64_t>& Words, std::vector<std::uint64_t>& Spare, int Bits)
{
  constexpr int DigitBits = 11;
  constexpr std::size_t Buckets = std::size_t(1) << DigitBits;
  for (int Low = 0; Low < Bits; Low += DigitBits) {
    std::size_t Count[Buckets] = {};
    for (std::uint64_t W : Words)
      ++Count[(W >> Low) & (Buckets - 1)];
    std::size_t Sum = 0;
    for (std::size_t& C : Count) {
      const std::size_t N = C;
      C = Sum;
      Sum += N;
    }
    for (std::uint64_t W : Words)
      Spare[Count[(W >> Low) & (Buckets - 1)]++] = W;
    Words.swap(Spare);
  }
}

// Sorts the rows in view by up to NK packed keys without Nulls; ties are
// broken by storage row, which keeps the order stable.
template <std::size_t NK, class KeyOf>
void TCustomADODataSet::SortPacked(std::size_t Count, KeyOf Key)
{
  struct TEntry {
    std::uint64_t K[NK];
    int Row;
  };
  std::vector<TEntry> Entries(FView.size());
  for (std::size_t I = 0; I < FView.size(); ++I) {
    Entries[I].Row = FView[I];
    for (std::size_t J = 0; J < NK; ++J)
      Entries[I].K[J] = J < Count ? Key(J, FView[I]) : 0;
  }
  // Keys that, less their minimum, fit one word together with the row sort
  // as plain integers by radix: the usual case of small codes and amounts.
  std::uint64_t Min[NK], Max[NK];
  for (std::size_t J = 0; J < NK; ++J) {
    Min[J] = ~std::uint64_t(0);
    Max[J] = 0;
  }
  int MaxRow = 0;
  for (const TEntry& E : Entries) {
    MaxRow = std::max(MaxRow, E.Row);
    for (std::size_t J = 0; J < NK; ++J) {
      Min[J] = std::min(Min[J], E.K[J]);
      Max[J] = std::max(Max[J], E.K[J]);
    }
  }
  int Shift[NK];
  int Bits = std::bit_width(unsigned(MaxRow));
  for (std::size_t J = NK; J-- > 0;) {
    Shift[J] = Bits;
    Bits += Entries.empty() ? 0 : int(std::bit_width(Max[J] - Min[J]));
  }
  if (Bits <= 64) {
    std::vector<std::uint64_t> Words(Entries.size()), Spare(Entries.size());
    for (std::size_t I = 0; I < Entries.size(); ++I) {
      std::uint64_t W = std::uint64_t(Entries[I].Row);
      for (std::size_t J = 0; J < NK; ++J)
        W |= (Entries[I].K[J] - Min[J]) << Shift[J];
      Words[I] = W;
    }
    RadixSortWords(Words, Spare, Bits);
    const std::uint64_t RowMask = (std::uint64_t(1) << Shift[NK - 1]) - 1;
    for (std::size_t I = 0; I < Words.size(); ++I)
      FView[I] = int(Words[I] & RowMask);
    return;
  }
  std::sort(Entries.begin(), Entries.end(), [](const TEntry& A, const TEntry& B) {
    for (std::size_t J = 0; J < NK; ++J)
      if (A.K[J] != B.K[J])
        return A.K[J] < B.K[J];
    return A.Row < B.Row;
  });
  for (std::size_t I = 0; I < Entries.size(); ++I)
    FView[I] = Entries[I].Row;
}

// Sorts the rows in view; numbers and dates are compared from plain key
// vectors, texts in the storage.
void TCustomADODataSet::SortView(const std::vector<adofilter::TSortKey>& Keys)
{
  using K = odbc::TValueKind;
  struct TKey {
    int Col = -1;
    bool Desc = false;
    int Type = 2;                     // 0 integers, 1 floating, 2 in the storage
    std::vector<std::int64_t> Ints;
    std::vector<double> Dbls;
    std::vector<std::uint8_t> Nulls;  // empty when the column holds no Null
    std::unique_ptr<adofilter::TTextSortKeys> Texts;
  };
  const odbc::TRowStore& S = *FStore;
  const int N = S.RowCount();
  std::vector<TKey> Cols;
  for (const adofilter::TSortKey& SK : Keys) {
    TKey Key;
    Key.Col = ColumnOfName(SK.Field);
    if (Key.Col < 0)
      DatabaseError(FmtText(dbconsts::SFieldNotFound, {SK.Field}), this);
    Key.Desc = SK.Descending;
    const K Kind = S.Column(Key.Col).Kind;
    if (Kind == K::Int32 || Kind == K::Int64 || Kind == K::Currency || Kind == K::Boolean)
      Key.Type = 0;
    else if (Kind == K::Double || Kind == K::Date || Kind == K::Time || Kind == K::DateTime)
      Key.Type = 1;
    Cols.push_back(std::move(Key));
  }
  const bool AllNumeric = Cols.size() <= 3 && std::all_of(Cols.begin(), Cols.end(), [](const TKey& Key) {
    return Key.Type != 2;
  });
  if (AllNumeric) {
    bool AnyNull = false;
    for (std::size_t J = 0; J < Cols.size() && !AnyNull; ++J)
      for (std::size_t I = 0; I < FView.size() && !AnyNull; ++I)
        AnyNull = S.IsNull(FView[I], Cols[J].Col);
    if (!AnyNull) {
      auto KeyOf = [&](std::size_t J, int R) { return PackedKey(S, Cols[J].Col, Cols[J].Type, Cols[J].Desc, R); };
      if (Cols.size() == 1)
        SortPacked<1>(Cols.size(), KeyOf);
      else if (Cols.size() == 2)
        SortPacked<2>(Cols.size(), KeyOf);
      else
        SortPacked<3>(Cols.size(), KeyOf);
      return;
    }
    // With Nulls each key carries its rank too; ties broken by row keep the
    // sort stable.
    struct TEntry {
      std::uint64_t K[3];
      int Row;
      std::uint8_t Rank[3];   // Null before values ascending, after them descending
    };
    std::vector<TEntry> Entries(FView.size());
    for (std::size_t I = 0; I < FView.size(); ++I) {
      const std::size_t R = std::size_t(FView[I]);
      TEntry& E = Entries[I];
      E.Row = FView[I];
      for (std::size_t J = 0; J < 3; ++J) {
        std::uint64_t U = 0;
        std::uint8_t Rank = 0;
        if (J < Cols.size()) {
          const TKey& Key = Cols[J];
          const bool IsNull = S.IsNull(int(R), Key.Col);
          if (IsNull) {
            U = 0;
          } else if (Key.Type == 0) {
            U = std::uint64_t(S.IntAt(int(R), Key.Col)) ^ (std::uint64_t(1) << 63);
          } else {
            std::uint64_t Bits;
            const double D = S.DoubleAt(int(R), Key.Col);
            std::memcpy(&Bits, &D, sizeof Bits);
            U = (Bits >> 63) ? ~Bits : (Bits | (std::uint64_t(1) << 63));
          }
          if (Key.Desc)
            U = ~U;
          Rank = std::uint8_t(IsNull != Key.Desc ? 0 : 1);
        }
        E.K[J] = U;
        E.Rank[J] = Rank;
      }
    }
    std::sort(Entries.begin(), Entries.end(), [](const TEntry& A, const TEntry& B) {
      for (int J = 0; J < 3; ++J) {
        if (A.Rank[J] != B.Rank[J]) return A.Rank[J] < B.Rank[J];
        if (A.K[J] != B.K[J]) return A.K[J] < B.K[J];
      }
      return A.Row < B.Row;
    });
    for (std::size_t I = 0; I < Entries.size(); ++I)
      FView[I] = Entries[I].Row;
    return;
  }
  // ties keep storage order
  std::sort(FView.begin(), FView.end());
  for (TKey& Key : Cols) {
    const K Kind = S.Column(Key.Col).Kind;
    if (Kind == K::AnsiText || Kind == K::WideText)
      Key.Texts = std::make_unique<adofilter::TTextSortKeys>(S, Key.Col, FView);
    if (Key.Type != 2) {
      bool AnyNull = false;
      for (int R = 0; R < N && !AnyNull; ++R)
        AnyNull = S.IsNull(R, Key.Col);
      if (AnyNull) {
        Key.Nulls.resize(std::size_t(N));
        for (int R = 0; R < N; ++R)
          Key.Nulls[std::size_t(R)] = S.IsNull(R, Key.Col);
      }
      if (Key.Type == 0) {
        Key.Ints.resize(std::size_t(N));
        for (int R = 0; R < N; ++R)
          Key.Ints[std::size_t(R)] = S.IsNull(R, Key.Col) ? 0 : S.IntAt(R, Key.Col);
      } else {
        Key.Dbls.resize(std::size_t(N));
        for (int R = 0; R < N; ++R)
          Key.Dbls[std::size_t(R)] = S.IsNull(R, Key.Col) ? 0.0 : S.DoubleAt(R, Key.Col);
      }
    }
  }
  std::stable_sort(FView.begin(), FView.end(), [&](int A, int B) {
    const std::size_t a = std::size_t(A), b = std::size_t(B);
    for (const TKey& Key : Cols) {
      int C;
      if (!Key.Nulls.empty() && (Key.Nulls[a] || Key.Nulls[b]))
        C = Key.Nulls[a] == Key.Nulls[b] ? 0 : (Key.Nulls[a] ? -1 : 1);
      else if (Key.Type == 0)
        C = (Key.Ints[a] > Key.Ints[b]) - (Key.Ints[a] < Key.Ints[b]);
      else if (Key.Type == 1)
        C = (Key.Dbls[a] > Key.Dbls[b]) - (Key.Dbls[a] < Key.Dbls[b]);
      else if (Key.Texts)
        C = Key.Texts->Compare(A, B);
      else
        C = adofilter::CompareCells(S, Key.Col, A, B);
      if (C != 0)
        return Key.Desc ? C > 0 : C < 0;
    }
    return false;
  });
}

int TCustomADODataSet::ViewIndexOfRow(int Row) const
{
  if (Row < 0 || Row >= int(FViewPos.size()))
    return -1;
  return FViewPos[std::size_t(Row)];
}

// The filter for a text, bound to the columns; raises for a malformed one.
std::unique_ptr<adofilter::TFilter> TCustomADODataSet::MakeFilter(const String& Text) const
{
  if (Text.trimmed().isEmpty())
    return nullptr;
  auto F = adofilter::TFilter::Parse(Text);
  if (FStore)
    F->Bind([this](const QString& Name) { return ColumnOfName(Name); }, *FStore);
  return F;
}

int TCustomADODataSet::ColumnOfName(const String& Name) const
{
  for (int C = 0; FStore && C < FStore->ColumnCount(); ++C)
    if (FStore->Column(C).Name.compare(Name, Qt::CaseInsensitive) == 0)
      return C;
  return -1;
}

// A change of filter shows the new rows from the first one.
void TCustomADODataSet::ApplyFilter(const String& Text, bool Filtered)
{
  if (!Active()) {
    FFilterText = Text;
    FFiltered = Filtered;
    return;
  }
  CheckBrowseMode();
  auto F = Filtered ? MakeFilter(Text) : nullptr;   // may raise: nothing changed yet
  FFilterText = Text;
  FFiltered = Filtered;
  FFilter = std::move(F);
  RebuildView(false);
  First();
}

void TCustomADODataSet::SetFiltered(bool Value)
{
  if (Value != FFiltered)
    ApplyFilter(FFilterText, Value);
}

void TCustomADODataSet::SetFilterText(const String& Value)
{
  if (Value == FFilterText)
    return;
  if (FFiltered)
    ApplyFilter(Value, true);
  else
    FFilterText = Value;
}

void TCustomADODataSet::SetFilterOptions(TFilterOptions Value)
{
  FFilterOptions = Value;
  if (FFiltered)
    ApplyFilter(FFilterText, true);
}

void TCustomADODataSet::SetOnFilterRecord(const TFilterRecordEvent& Value)
{
  OnFilterRecord = Value;
  if (FFiltered)
    ApplyFilter(FFilterText, true);
}

void TCustomADODataSet::SetSort(const String& Value)
{
  // refuse a malformed text or an unknown field before anything changes
  const std::vector<adofilter::TSortKey> Keys = adofilter::ParseSort(Value);
  for (const adofilter::TSortKey& K : Keys)
    if (FStore && ColumnOfName(K.Field) < 0)
      DatabaseError(FmtText(dbconsts::SFieldNotFound, {K.Field}), this);
  FSort = Value;
  if (!Active())
    return;
  CheckBrowseMode();
  // The rows in view stay the same; only their order changes.
  const int CurrentRow = FRecPos >= 0 && FRecPos < int(FView.size()) ? FView[std::size_t(FRecPos)] : -1;
  if (Keys.empty())
    std::sort(FView.begin(), FView.end());
  else
    SortView(Keys);
  for (std::size_t I = 0; I < FView.size(); ++I)
    FViewPos[std::size_t(FView[I])] = int(I);
  FRecPos = CurrentRow >= 0 ? ViewIndexOfRow(CurrentRow) : -1;
  Resync({});
}

void TCustomADODataSet::Requery()
{
  CheckBrowseMode();
  DoBeforeRefresh();
  DisableControls();
  {
    ScopeExit Enable([&] { EnableControls(); });
    Close();
    Open();
  }
  DoAfterRefresh();
}

void TCustomADODataSet::InternalRefresh()
{
  Execute();
  FDeleted.assign(std::size_t(FStore->RowCount()), false);
  FFilter = FFiltered ? MakeFilter(FFilterText) : nullptr;
  RebuildView(false);
  FRecPos = FView.empty() ? -1 : 0;
}

// ---- record buffers and the cursor

TRecordBuffer TCustomADODataSet::AllocRecordBuffer() { return reinterpret_cast<TRecordBuffer>(new TRecBuf()); }

void TCustomADODataSet::FreeRecordBuffer(TRecordBuffer& Buffer)
{
  delete Buf(Buffer);
  Buffer = 0;
}

void TCustomADODataSet::InternalInitRecord(TRecordBuffer Buffer)
{
  TRecBuf& B = *Buf(Buffer);
  B.Row = -1;
  B.HasValues = true;
  B.Values.assign(std::size_t(FStore ? FStore->ColumnCount() : 0), Variant(Null));
  B.Calc.clear();
}

void TCustomADODataSet::ClearCalcFields(TRecordBuffer Buffer)
{
  Buf(Buffer)->Calc.assign(std::size_t(FieldCount()), Variant(Null));
}

TGetResult TCustomADODataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck)
{
  (void)DoCheck;
  const int Count = int(FView.size());
  switch (GetMode) {
  case gmCurrent:
    if (FRecPos < 0 || FRecPos >= Count)
      return grError;
    break;
  case gmNext:
    if (FRecPos >= Count - 1) {
      FRecPos = Count;
      return grEOF;
    }
    ++FRecPos;
    break;
  case gmPrior:
    if (FRecPos <= 0) {
      FRecPos = -1;
      return grBOF;
    }
    FRecPos = std::min(FRecPos, Count) - 1;
    break;
  }
  TRecBuf& B = *Buf(Buffer);
  B.Row = FView[std::size_t(FRecPos)];
  B.Flag = bfCurrent;
  B.HasValues = false;
  B.Values.clear();
  B.Calc.clear();
  GetCalcFields(Buffer);
  return grOK;
}

void TCustomADODataSet::InternalFirst() { FRecPos = -1; }
void TCustomADODataSet::InternalLast() { FRecPos = int(FView.size()); }

static TBookmark RowBookmark(int Row)
{
  return TBookmark(reinterpret_cast<const char*>(&Row), sizeof Row);
}

static int BookmarkRow(const TBookmark& B)
{
  int Row = -1;
  if (B.size() == sizeof Row)
    std::memcpy(&Row, B.constData(), sizeof Row);
  return Row;
}

TBookmark TCustomADODataSet::GetBookmarkData(TRecordBuffer Buffer) const { return RowBookmark(Buf(Buffer)->Row); }
void TCustomADODataSet::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) { Buf(Buffer)->Row = BookmarkRow(Data); }
TBookmarkFlag TCustomADODataSet::GetBookmarkFlag(TRecordBuffer Buffer) const { return Buf(Buffer)->Flag; }
void TCustomADODataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) { Buf(Buffer)->Flag = Value; }

void TCustomADODataSet::InternalGotoBookmark(const TBookmark& Bookmark)
{
  const int Pos = ViewIndexOfRow(BookmarkRow(Bookmark));
  if (Pos < 0)
    DatabaseError(QString::fromUtf8(dbconsts::SRecordNotFound), this);
  FRecPos = Pos;
}

void TCustomADODataSet::InternalSetToRecord(TRecordBuffer Buffer)
{
  const int Pos = ViewIndexOfRow(Buf(Buffer)->Row);
  if (Pos >= 0)
    FRecPos = Pos;
}

bool TCustomADODataSet::BookmarkValid(const TBookmark& Bookmark) const
{
  if (!FStore || Bookmark.isEmpty())
    return false;
  return ViewIndexOfRow(BookmarkRow(Bookmark)) >= 0;
}

Integer TCustomADODataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const
{
  if (Bookmark1.isEmpty() || Bookmark2.isEmpty())
    return inherited::CompareBookmarks(Bookmark1, Bookmark2);
  const int R1 = BookmarkRow(Bookmark1), R2 = BookmarkRow(Bookmark2);
  int P1 = ViewIndexOfRow(R1), P2 = ViewIndexOfRow(R2);
  if (P1 < 0 || P2 < 0) {
    P1 = R1;
    P2 = R2;
  }
  return P1 == P2 ? 0 : (P1 < P2 ? -1 : 1);
}

Integer TCustomADODataSet::GetRecordCount() const
{
  CheckActive();
  return Integer(FView.size());
}

Integer TCustomADODataSet::GetRecNo() const
{
  CheckActive();
  const TRecordBuffer B = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
  if (!B || IsEmpty() || Buf(B)->Flag != bfCurrent)
    return -1;
  const int Pos = ViewIndexOfRow(Buf(B)->Row);
  return Pos < 0 ? -1 : Pos + 1;
}

void TCustomADODataSet::GotoViewIndex(int Index)
{
  DoBeforeScroll();
  FRecPos = Index;
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

void TCustomADODataSet::SetRecNoValue(Integer Value)
{
  CheckBrowseMode();
  if (Value < 1 || Value > Integer(FView.size()) || Value == GetRecNo())
    return;
  GotoViewIndex(Value - 1);
}

TUpdateStatus TCustomADODataSet::UpdateStatus() const
{
  return State() == dsInsert ? usInserted : usUnmodified;
}

// ---- field data

bool TCustomADODataSet::GetFieldData(TField* Field, Variant& Value) const
{
  const TRecordBuffer Buffer = StateBuffer();
  if (!Buffer || !FStore)
    return false;
  const TRecBuf& B = *Buf(Buffer);
  if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
    const int I = Field->Index();
    if (I < 0 || I >= int(B.Calc.size()))
      return false;
    Value = B.Calc[std::size_t(I)];
    return !VarIsNull(Value) && !VarIsEmpty(Value);
  }
  const int Col = ColumnOfField(Field);
  if (Col < 0)
    return false;
  const bool AsNumber = FStore->Column(Col).Kind == odbc::TValueKind::Decimal && Field->DataType() != ftFMTBcd;
  if (B.HasValues && State() != dsOldValue) {
    Value = B.Values[std::size_t(Col)];
  } else if (B.Row < 0 || B.Flag != bfCurrent) {
    return false;
  } else if (const TRecBuf::TTextRead* Read = B.TextRead(*FStore, Col)) {
    if (AsNumber && VarIsEmpty(Read->Number))
      B.TextReads[std::size_t(Col)].Number = Variant(Read->Exact.AsString().toDouble());
    Value = AsNumber ? Read->Number : Read->Exact;
    return true;
  } else {
    Value = ExactCellValue(B.Row, Col);
  }
  if (VarIsStr(Value) && AsNumber)
    Value = Variant(Value.AsString().toDouble());
  return !VarIsNull(Value) && !VarIsEmpty(Value);
}

Variant TCustomADODataSet::GetOldFieldValue(TField* Field) const
{
  const TRecordBuffer Buffer = ActiveBuffer();
  const int Col = ColumnOfField(Field);
  if (!Buffer || Col < 0 || Buf(Buffer)->Row < 0 || Buf(Buffer)->Flag != bfCurrent)
    return Null;
  return CellValue(Buf(Buffer)->Row, Col);
}

void TCustomADODataSet::SetFieldData(TField* Field, const Variant& Value)
{
  const TDataSetState WriteState = State();
  if ((WriteState < dsEdit || WriteState > dsNewValue) && WriteState != dsInternalCalc)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  const TRecordBuffer Buffer = StateBuffer();
  if (!Buffer)
    DatabaseError(QString::fromUtf8(dbconsts::SNotEditing), this);
  TRecBuf& B = *Buf(Buffer);
  if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
    const int I = Field->Index();
    if (int(B.Calc.size()) < FieldCount())
      B.Calc.resize(std::size_t(FieldCount()), Variant(Null));
    if (I >= 0)
      B.Calc[std::size_t(I)] = Value;
  } else {
    const int Col = ColumnOfField(Field);
    if (Col < 0)
      DatabaseError(FmtText(dbconsts::SFieldNotFound, {Field->DisplayName()}), this);
    if (!B.HasValues) {   // copy on the first write
      B.Values.resize(std::size_t(FStore->ColumnCount()));
      for (int C = 0; C < FStore->ColumnCount(); ++C)
        B.Values[std::size_t(C)] = B.Row >= 0 ? ExactCellValue(B.Row, C) : Variant(Null);
      B.HasValues = true;
    }
    B.Values[std::size_t(Col)] = Value;
  }
  const TDataSetState S = State();
  if (S != dsCalcFields && S != dsFilter && S != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
}

// ---- editing

bool TCustomADODataSet::GetCanModify() const
{
  return !FReadOnlyCursor && FLockType != ltReadOnly && FStore != nullptr;
}

void TCustomADODataSet::InternalEdit() {}

void TCustomADODataSet::InternalCancel()
{
  if (TRecordBuffer A = ActiveBuffer()) {
    Buf(A)->HasValues = false;
    Buf(A)->Values.clear();
  }
}

static bool SameCell(const Variant& A, const Variant& B)
{
  const bool NA = VarIsNull(A) || VarIsEmpty(A), NB = VarIsNull(B) || VarIsEmpty(B);
  if (NA || NB)
    return NA == NB;
  return VarEquals(A, B);
}

String TCustomADODataSet::WriteColumnName(int Col) const
{
  const String& Base = FStore->Column(Col).BaseColumn;
  return Base.isEmpty() ? FStore->Column(Col).Name : Base;
}

// A column of the table written to: computed columns and columns of other
// tables of a query are left alone.
bool TCustomADODataSet::TableColumn(int Col, const String& Table) const
{
  const String& Base = FStore->Column(Col).BaseTable;
  if (Base.isEmpty())
    return WritesAllColumns();
  return Base.compare(TableNameParts(Table).constLast(), Qt::CaseInsensitive) == 0;
}

odbc::TParam TCustomADODataSet::WriteParam(int Col, const Variant& Value) const
{
  const odbc::TColumn& C = FStore->Column(Col);
  odbc::TParam P;
  P.DeclaredKind = C.Kind == odbc::TValueKind::Currency ? odbc::TValueKind::Decimal : C.Kind;
  P.Size = int(C.Size);
  P.Value = ToOdbcValue(Value, P.DeclaredKind, P.Size, C.Scale);
  return P;
}

// The row's old values that find it again: the primary key when the result
// holds all of it, else every comparable column of the table.
String TCustomADODataSet::WhereOfRow(int Row, const String& Table, std::vector<odbc::TParam>& Params)
{
  const int N = FStore->ColumnCount();
  const QStringList Keys = FConnection->PrimaryKeyOf(Table);
  std::vector<int> KeyCols;
  for (const String& K : Keys)
    for (int C = 0; C < N; ++C)
      if (TableColumn(C, Table) && WriteColumnName(C).compare(K, Qt::CaseInsensitive) == 0)
        KeyCols.push_back(C);
  if (KeyCols.empty() || KeyCols.size() != std::size_t(Keys.size())) {
    KeyCols.clear();
    for (int C = 0; C < N; ++C)
      if (TableColumn(C, Table) && !FStore->Column(C).Long && FStore->Column(C).Kind != odbc::TValueKind::Double)
        KeyCols.push_back(C);
  }
  QStringList Where;
  for (int C : KeyCols) {
    const Variant Old = ExactCellValue(Row, C);
    if (VarIsNull(Old)) {
      Where << QuoteIdent(WriteColumnName(C)) + QStringLiteral(" is null");
      continue;
    }
    Where << QuoteIdent(WriteColumnName(C)) + QStringLiteral(" = ?");
    Params.push_back(WriteParam(C, Old));
  }
  if (Where.isEmpty())
    DatabaseError(QStringLiteral("Insufficient key column information for updating or refreshing."), this);
  return Where.join(QStringLiteral(" and "));
}

String TCustomADODataSet::CheckedUpdateTable() const
{
  const String Table = UpdateTableName();
  if (Table.isEmpty())
    DatabaseError(QStringLiteral("Insufficient base table information for updating or refreshing."), this);
  CheckConnection();
  return Table;
}

// Writes the edited copy of a row back to its table by key.
void TCustomADODataSet::WriteRow(TRecBuf& B, bool Inserting)
{
  const String Table = CheckedUpdateTable();
  const int N = FStore->ColumnCount();
  std::vector<odbc::TParam> Params;
  if (Inserting) {
    QStringList Cols, Marks;
    for (int C = 0; C < N; ++C) {
      const Variant& V = B.Values[std::size_t(C)];
      if (!TableColumn(C, Table) || VarIsNull(V) || VarIsEmpty(V))
        continue;   // the server's default applies
      Cols << QuoteIdent(WriteColumnName(C));
      Marks << QStringLiteral("?");
      Params.push_back(WriteParam(C, V));
    }
    const String Sql = Cols.isEmpty()
      ? QStringLiteral("insert into %1 default values returning *").arg(QuoteTable(Table))
      : QStringLiteral("insert into %1 (%2) values (%3) returning *")
            .arg(QuoteTable(Table), Cols.join(QStringLiteral(", ")), Marks.join(QStringLiteral(", ")));
    auto Returned = FConnection->ExecuteOdbc(Sql, Params);
    const int Row = FStore->AppendRow();
    FDeleted.push_back(false);
    FViewPos.push_back(-1);
    for (int C = 0; C < N; ++C)
      FStore->SetValue(Row, C, ToOdbcValue(B.Values[std::size_t(C)], FStore->Column(C).Kind));
    // what the server gave the row (serial keys, defaults) replaces what was typed
    for (int C = 0; Returned && Returned->RowCount() == 1 && C < N; ++C) {
      if (!TableColumn(C, Table))
        continue;
      for (int R = 0; R < Returned->ColumnCount(); ++R) {
        if (Returned->Column(R).Name.compare(WriteColumnName(C), Qt::CaseInsensitive) != 0)
          continue;
        odbc::TValue V = Returned->Value(0, R);
        if (!V.IsNull() && V.Kind != FStore->Column(C).Kind)
          V = ToOdbcValue(FromOdbcValue(V), FStore->Column(C).Kind);
        FStore->SetValue(Row, C, V);
      }
    }
    // place the new row: before the record it was inserted at, or last
    int Pos = int(FView.size());
    if (B.Flag == bfBOF)
      Pos = 0;
    else if (B.Flag == bfInserted && B.Row >= 0 && ViewIndexOfRow(B.Row) >= 0)
      Pos = ViewIndexOfRow(B.Row);
    FView.insert(FView.begin() + Pos, Row);
    for (std::size_t I = std::size_t(Pos); I < FView.size(); ++I)
      FViewPos[std::size_t(FView[I])] = int(I);
    FRecPos = Pos;
    return;
  }
  // Update: the changed columns, found by the key (or by every old value).
  QStringList Sets;
  std::vector<int> Changed;
  for (int C = 0; C < N; ++C) {
    if (SameCell(B.Values[std::size_t(C)], ExactCellValue(B.Row, C)))
      continue;
    if (!TableColumn(C, Table))
      DatabaseError(FmtText(dbconsts::SFieldReadOnly, {FStore->Column(C).Name}), this);
    Sets << QuoteIdent(WriteColumnName(C)) + QStringLiteral(" = ?");
    Params.push_back(WriteParam(C, B.Values[std::size_t(C)]));
    Changed.push_back(C);
  }
  if (Changed.empty())
    return;
  const String Where = WhereOfRow(B.Row, Table, Params);
  std::int64_t Affected = -1;
  FConnection->ExecuteOdbc(QStringLiteral("update %1 set %2 where %3")
                               .arg(QuoteTable(Table), Sets.join(QStringLiteral(", ")), Where),
                           Params, &Affected);
  if (Affected != 1)
    DatabaseError(QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."), this);
  for (int C : Changed)
    FStore->SetValue(B.Row, C, ToOdbcValue(B.Values[std::size_t(C)], FStore->Column(C).Kind));
}

void TCustomADODataSet::InternalPost()
{
  inherited::InternalPost();
  TRecBuf& B = *Buf(ActiveBuffer());
  if (State() == dsEdit) {
    if (B.HasValues)
      WriteRow(B, false);
  } else {
    if (!B.HasValues)
      InternalInitRecord(ActiveBuffer());
    WriteRow(B, true);
  }
  B.HasValues = false;
  B.Values.clear();
}

void TCustomADODataSet::InternalAddRecord(TRecordBuffer Buffer, bool Append)
{
  TRecBuf& B = *Buf(Buffer);
  B.Flag = Append ? bfEOF : bfInserted;
  WriteRow(B, true);
}

void TCustomADODataSet::InternalDelete()
{
  const int Row = Buf(ActiveBuffer())->Row;
  const String Table = CheckedUpdateTable();
  std::vector<odbc::TParam> Params;
  const String Where = WhereOfRow(Row, Table, Params);
  std::int64_t Affected = -1;
  FConnection->ExecuteOdbc(QStringLiteral("delete from %1 where %2").arg(QuoteTable(Table), Where), Params, &Affected);
  if (Affected != 1)
    DatabaseError(QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."), this);
  FDeleted[std::size_t(Row)] = true;
  const int Pos = ViewIndexOfRow(Row);
  if (Pos >= 0) {
    FView.erase(FView.begin() + Pos);
    FViewPos[std::size_t(Row)] = -1;
    for (std::size_t I = std::size_t(Pos); I < FView.size(); ++I)
      FViewPos[std::size_t(FView[I])] = int(I);
    FRecPos = std::min(Pos, int(FView.size()) - 1);
  }
}

// ---- search

bool TCustomADODataSet::RowMatches(int Row, const std::vector<int>& Cols, const Variant& KeyValues,
                                   TLocateOptions Options) const
{
  for (std::size_t I = 0; I < Cols.size(); ++I) {
    const Variant Key = Cols.size() == 1 && !VarIsArray(KeyValues)
                          ? KeyValues
                          : KeyValues.GetElement(VarArrayLowBound(KeyValues, 1) + int(I));
    const int Col = Cols[I];
    const bool KeyNull = VarIsNull(Key) || VarIsEmpty(Key);
    if (FStore->IsNull(Row, Col) || KeyNull) {
      if (!(FStore->IsNull(Row, Col) && KeyNull))
        return false;
      continue;
    }
    const odbc::TValueKind K = FStore->Column(Col).Kind;
    if (K == odbc::TValueKind::AnsiText || K == odbc::TValueKind::WideText || VarIsStr(Key)) {
      const QString Cell = K == odbc::TValueKind::AnsiText || K == odbc::TValueKind::WideText
                             ? FStore->TextAt(Row, Col).toString()
                             : VarToStr(CellValue(Row, Col));
      String A = Cell, B = VarToStr(Key);
      if (Options.Contains(loCaseInsensitive)) {
        A = AnsiUpperCase(A);
        B = AnsiUpperCase(B);
      }
      if (Options.Contains(loPartialKey) ? !A.startsWith(B) : A != B)
        return false;
      continue;
    }
    if (!VarEquals(CellValue(Row, Col), Key))
      return false;
  }
  return true;
}

bool TCustomADODataSet::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
  CheckBrowseMode();
  std::vector<int> Cols;
  for (TField* F : GetFieldList(KeyFields)) {
    const int C = ColumnOfField(F);
    if (C < 0)
      return inherited::Locate(KeyFields, KeyValues, Options);
    Cols.push_back(C);
  }
  for (std::size_t I = 0; I < FView.size(); ++I) {
    if (!RowMatches(FView[I], Cols, KeyValues, Options))
      continue;
    GotoViewIndex(int(I));
    return true;
  }
  return false;
}

Variant TCustomADODataSet::Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields)
{
  CheckActive();
  std::vector<int> Cols;
  for (TField* F : GetFieldList(KeyFields)) {
    const int C = ColumnOfField(F);
    if (C < 0)
      return inherited::Lookup(KeyFields, KeyValues, ResultFields);
    Cols.push_back(C);
  }
  const std::vector<TField*> Results = GetFieldList(ResultFields);
  for (int Row : FView) {
    if (!RowMatches(Row, Cols, KeyValues, {}))
      continue;
    std::vector<Variant> Vals;
    for (TField* F : Results) {
      const int C = ColumnOfField(F);
      Vals.push_back(C < 0 ? Variant(Null) : CellValue(Row, C));
    }
    return Vals.size() == 1 ? Vals[0] : VarArrayOf(Vals);
  }
  return Null;
}

// ---------------------------------------------------------------------------
// Query, table, dataset, command

TADOQuery::TADOQuery(TComponent* AOwner) : TCustomADODataSet(AOwner), FSQL(std::make_unique<TStringList>())
{
  FSQL->OnChange = [this](TObject*) { SQLChanged(); };
}

TADOQuery::~TADOQuery() = default;

void TADOQuery::SetSQL(TStrings* Value)
{
  FSQL->Assign(Value);
  SQLChanged();
}

void TADOQuery::SQLChanged()
{
  if (Active())
    Close();
  if (FParamCheck)
    Parameters()->ParseSQL(FSQL->Text(), true);
}

// The lines joined with line breaks; the parameters follow every change of them.
String TADOQuery::CommandSQL() const { return FSQL->Text(); }

Integer TADOQuery::ExecSQL()
{
  CheckInactive();
  CheckConnection();
  const String Text = CommandSQL();
  QString Odbc;
  QStringList Names;
  odbc::SplitParameters(Text, Odbc, Names);
  std::int64_t Rows = -1;
  Connection()->ExecuteOdbc(Odbc, Parameters()->Bind(Names), &Rows);
  FRowsAffected = Integer(Rows);
  return Integer(Rows);
}

TADOTable::TADOTable(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

void TADOTable::SetTableName(const String& Value)
{
  if (Value == FTableName)
    return;
  CheckInactive();
  FTableName = Value;
}

void TADOTable::SetIndexFieldNames(const String& Value)
{
  FIndexFieldNames = Value;
  SetSort(Value);
}

void TADOTable::SetReadOnly(bool Value)
{
  FReadOnly = Value;
  FReadOnlyCursor = Value;
}

String TADOTable::CommandSQL() const
{
  if (FTableName.trimmed().isEmpty())
    DatabaseError(QStringLiteral("No table name specified"), this);
  static const QRegularExpression Plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*(\\.[A-Za-z_][A-Za-z0-9_$]*)?$"));
  if (!FTableName.contains(u'"') && !Plain.match(FTableName.trimmed()).hasMatch())
    DatabaseError(QStringLiteral("Invalid table name \"%1\"").arg(FTableName), this);
  return QStringLiteral("select * from ") + QuoteTable(FTableName.trimmed());
}

TADODataSet::TADODataSet(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

void TADODataSet::SetCommandText(const String& Value)
{
  if (Value == FCommandText)
    return;
  CheckInactive();
  FCommandText = Value;
  Parameters()->ParseSQL(Value, true);
}

void TADODataSet::Execute() { TCustomADODataSet::Execute(); }

TADOCommand::TADOCommand(TComponent* AOwner) : TComponent(AOwner), FParameters(std::make_unique<TParameters>(this)) {}

TADOCommand::~TADOCommand() = default;

void TADOCommand::SetConnection(TADOConnection* Value)
{
  if (Value == FConnection)
    return;
  if (FConnection)
    FConnection->RemoveFreeNotification(this);
  FConnection = Value;
  if (FConnection)
    FConnection->FreeNotification(this);
}

void TADOCommand::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FConnection)
    FConnection = nullptr;
}

void TADOCommand::SetCommandText(const String& Value)
{
  FCommandText = Value;
  if (FParamCheck)
    FParameters->ParseSQL(Value, true);
}

std::unique_ptr<TADODataSet> TADOCommand::Execute()
{
  Integer Dummy = 0;
  return Execute(Dummy);
}

std::unique_ptr<TADODataSet> TADOCommand::Execute(Integer& RecordsAffected)
{
  if (!FConnection)
    DatabaseError(QStringLiteral("Missing Connection or ConnectionString"), this);
  QString Odbc;
  QStringList Names;
  odbc::SplitParameters(FCommandText, Odbc, Names);
  if (!FParamCheck) {
    Odbc = FCommandText;
    Names.clear();
  }
  std::int64_t Rows = -1;
  auto Store = FConnection->ExecuteOdbc(Odbc, FParameters->Bind(Names), &Rows);
  FRowsAffected = RecordsAffected = Integer(Rows);
  if (!Store)
    return nullptr;
  auto Result = std::make_unique<TADODataSet>(nullptr);
  Result->AttachRows(std::move(Store));
  Result->SetLockType(ltReadOnly);
  Result->Open();
  return Result;
}

// ---------------------------------------------------------------------------
// Registration

void RegisterADOClasses()
{
  RegisterDBClasses();
  RegisterEnum<TCursorLocation>("TCursorLocation", {"clUseServer", "clUseClient"});
  RegisterEnum<TCursorType>("TCursorType", {"ctUnspecified", "ctOpenForwardOnly", "ctKeyset", "ctDynamic", "ctStatic"});
  RegisterEnum<TADOLockType>("TADOLockType", {"ltUnspecified", "ltReadOnly", "ltPessimistic", "ltOptimistic",
                                              "ltBatchOptimistic"});
  RegisterEnum<TCommandType>("TCommandType", {"cmdUnknown", "cmdText", "cmdTable", "cmdStoredProc", "cmdFile",
                                              "cmdTableDirect"});
  RegisterEnum<TParameterDirection>("TParameterDirection", {"pdUnknown", "pdInput", "pdOutput", "pdInputOutput",
                                                            "pdReturnValue"});
  RegisterEnum<TExecuteOption>("TExecuteOption", {"eoAsyncExecute", "eoAsyncFetch", "eoAsyncFetchNonBlocking",
                                                  "eoExecuteNoRecords"});

  RegisterClassInfo<TParameter, TCollectionItem>("TParameter")
    .Property("Name", &TParameter::Name, &TParameter::SetName)
    .Property("DataType", &TParameter::DataType, &TParameter::SetDataType, ftUnknown)
    .Property("Direction", &TParameter::Direction, &TParameter::SetDirection, pdInput)
    .Property("NumericScale", &TParameter::NumericScale, &TParameter::SetNumericScale, 0)
    .Property("Precision", &TParameter::Precision, &TParameter::SetPrecision, 0)
    .Property("Size", &TParameter::Size, &TParameter::SetSize, 0);
  RegisterClassInfo<TParameters, TCollection>("TParameters");

  RegisterClassInfo<TADOConnection, TComponent>("TADOConnection")
    .Property("CommandTimeout", &TADOConnection::CommandTimeout, &TADOConnection::SetCommandTimeout, 30)
    .Property("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString)
    .Property("ConnectionTimeout", &TADOConnection::ConnectionTimeout, &TADOConnection::SetConnectionTimeout, 15)
    .Property("CursorLocation", &TADOConnection::CursorLocation, &TADOConnection::SetCursorLocation, clUseClient)
    .Property("KeepConnection", &TADOConnection::KeepConnection, &TADOConnection::SetKeepConnection, true)
    .Property("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt, true)
    .Property("Provider", &TADOConnection::Provider, &TADOConnection::SetProvider)
    .Property("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected, false)
    .Event("AfterConnect", &TADOConnection::AfterConnect)
    .Event("AfterDisconnect", &TADOConnection::AfterDisconnect)
    .Event("BeforeConnect", &TADOConnection::BeforeConnect)
    .Event("BeforeDisconnect", &TADOConnection::BeforeDisconnect)
    .Event("OnLogin", &TADOConnection::OnLogin);

  RegisterClassInfo<TCustomADODataSet, TDataSet>("TCustomADODataSet")
    .Property("Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection)
    .Property("CursorLocation", &TCustomADODataSet::CursorLocation, &TCustomADODataSet::SetCursorLocation, clUseClient)
    .Property("CursorType", &TCustomADODataSet::CursorType, &TCustomADODataSet::SetCursorType, ctKeyset)
    .Property("LockType", &TCustomADODataSet::LockType, &TCustomADODataSet::SetLockType, ltOptimistic)
    .Property("Parameters", &TCustomADODataSet::Parameters)
    .Property("Prepared", &TCustomADODataSet::Prepared, &TCustomADODataSet::SetPrepared, false)
    .Property("Sort", &TCustomADODataSet::Sort, &TCustomADODataSet::SetSort);
  RegisterClassInfo<TADOQuery, TCustomADODataSet>("TADOQuery")
    .Property("ParamCheck", &TADOQuery::ParamCheck, &TADOQuery::SetParamCheck, true)
    .Property("SQL", &TADOQuery::SQL, &TADOQuery::SetSQL);
  RegisterClassInfo<TADOTable, TCustomADODataSet>("TADOTable")
    .Property("IndexFieldNames", &TADOTable::IndexFieldNames, &TADOTable::SetIndexFieldNames)
    .Property("ReadOnly", &TADOTable::ReadOnly, &TADOTable::SetReadOnly, false)
    .Property("TableDirect", &TADOTable::TableDirect, &TADOTable::SetTableDirect, false)
    .Property("TableName", &TADOTable::TableName, &TADOTable::SetTableName);
  RegisterClassInfo<TADODataSet, TCustomADODataSet>("TADODataSet")
    .Property("CommandText", &TADODataSet::CommandText, &TADODataSet::SetCommandText);
  RegisterClassInfo<TADOCommand, TComponent>("TADOCommand")
    .Property("CommandText", &TADOCommand::CommandText, &TADOCommand::SetCommandText)
    .Property("CommandTimeout", &TADOCommand::CommandTimeout, &TADOCommand::SetCommandTimeout, 30)
    .Property("CommandType", &TADOCommand::CommandType, &TADOCommand::SetCommandType, cmdText)
    .Property("Connection", &TADOCommand::Connection, &TADOCommand::SetConnection)
    .Property("ExecuteOptions", &TADOCommand::ExecuteOptions, &TADOCommand::SetExecuteOptions)
    .Property("ParamCheck", &TADOCommand::ParamCheck, &TADOCommand::SetParamCheck, true)
    .Property("Parameters", &TADOCommand::Parameters)
    .Property("Prepared", &TADOCommand::Prepared, &TADOCommand::SetPrepared, false);
  RegisterClasses({TADOConnection::StaticClass(), TADOQuery::StaticClass(), TADOTable::StaticClass(),
                   TADODataSet::StaticClass(), TADOCommand::StaticClass()});
}
