// Filers.cpp: the reader and writer of binary component streams (signature
// "TPF0"): components, published and defined properties, collections.
#include "platform/rtl/Classes.h"

#include "platform/rtl/ScopeExit.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int MaxNesting = 200;   // objects, lists and collections inside each other

// The stream stores floats as 80-bit extended values: sign, 15-bit exponent,
// 64-bit mantissa with an explicit integer bit.
void DoubleToExtended(double Value, Byte Out[10])
{
  std::uint64_t Bits;
  std::memcpy(&Bits, &Value, 8);
  const bool Negative = Bits >> 63;
  const int Exp = int((Bits >> 52) & 0x7FF);
  std::uint64_t Frac = Bits & ((std::uint64_t(1) << 52) - 1);
  std::uint64_t Mantissa = 0;
  int E80 = 0;
  if (Exp == 0x7FF) {
    E80 = 0x7FFF;
    Mantissa = Frac ? 0xC000000000000000ULL : 0x8000000000000000ULL;
  } else if (Exp == 0 && Frac == 0) {
    E80 = 0;
  } else if (Exp == 0) {
    int E = -1022;
    while (!(Frac & (std::uint64_t(1) << 52))) {
      Frac <<= 1;
      --E;
    }
    Mantissa = Frac << 11;
    E80 = E + 16383;
  } else {
    Mantissa = (std::uint64_t(1) << 63) | (Frac << 11);
    E80 = Exp - 1023 + 16383;
  }
  for (int I = 0; I < 8; ++I)
    Out[I] = Byte(Mantissa >> (8 * I));
  const unsigned SignExp = (Negative ? 0x8000u : 0u) | unsigned(E80);
  Out[8] = Byte(SignExp & 0xFF);
  Out[9] = Byte(SignExp >> 8);
}

double ExtendedToDouble(const Byte In[10])
{
  std::uint64_t Mantissa = 0;
  for (int I = 7; I >= 0; --I)
    Mantissa = (Mantissa << 8) | In[I];
  const unsigned SignExp = unsigned(In[8]) | (unsigned(In[9]) << 8);
  const bool Negative = SignExp & 0x8000;
  const int Exp = int(SignExp & 0x7FFF);
  double R;
  if (Exp == 0x7FFF)
    R = (Mantissa << 1) ? std::nan("") : INFINITY;
  else if (Exp == 0 && Mantissa == 0)
    R = 0.0;
  else
    R = std::ldexp(double(Mantissa), Exp - 16383 - 63);
  return Negative ? -R : R;
}

template <class T>
T ReadLE(TReader& Reader)
{
  Byte B[sizeof(T)];
  Reader.Read(B, Integer(sizeof(T)));
  std::make_unsigned_t<T> V = 0;
  for (int I = int(sizeof(T)) - 1; I >= 0; --I)
    V = (V << 8) | B[I];
  return T(V);
}

template <class T>
void WriteLE(TWriter& Writer, T Value)
{
  Byte B[sizeof(T)];
  auto V = std::make_unsigned_t<T>(Value);
  for (std::size_t I = 0; I < sizeof(T); ++I)
    B[I] = Byte(V >> (8 * I));
  Writer.Write(B, Integer(sizeof(T)));
}

bool IsAscii(const String& S)
{
  for (QChar C : S)
    if (C.unicode() > 127)
      return false;
  return true;
}

bool IsOrdinalKind(TPropKind K)
{
  switch (K) {
  case TPropKind::Integer:
  case TPropKind::Int64:
  case TPropKind::Enumeration:
  case TPropKind::Boolean:
  case TPropKind::Set:
  case TPropKind::Char:
    return true;
  default:
    return false;
  }
}

// References to components of roots that were not loaded yet, kept until
// GlobalFixupReferences finds them. A keeper component hears of the end of
// each waiting root, and of each component whose property waits (Holder),
// and drops their entries.
struct TGlobalFixup {
  TComponent* Root;
  TComponent* Holder;   // Instance, or the component it belongs to
  TObject* Instance;
  const TPropInfo* Prop;
  String Name;
  bool Uses(const TComponent* C) const { return Root == C || Holder == C; }
};

class TFixupKeeper : public TComponent {
public:
  TFixupKeeper() : TComponent(nullptr) {}
  std::vector<TGlobalFixup> Pending;

  void Add(TGlobalFixup F)
  {
    F.Root->FreeNotification(this);
    if (F.Holder)
      F.Holder->FreeNotification(this);
    Pending.push_back(std::move(F));
  }
  // Stops listening to a component that no entry waits for any more.
  void Forget(TComponent* C)
  {
    if (C && std::none_of(Pending.begin(), Pending.end(), [C](const TGlobalFixup& F) { return F.Uses(C); }))
      C->RemoveFreeNotification(this);
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    if (Operation == opRemove)
      std::erase_if(Pending, [&](const TGlobalFixup& F) { return F.Uses(AComponent); });
    TComponent::Notification(AComponent, Operation);
  }
};

TFixupKeeper& FixupKeeper()
{
  static TFixupKeeper* Keeper = new TFixupKeeper();   // lives to the end of the program
  return *Keeper;
}

std::function<TComponent*(const String&)>& GlobalFinder()
{
  static std::function<TComponent*(const String&)> Finder;
  return Finder;
}

// Resolves "Name", "Root.Name" or "Form.Component" seen from Root.
TComponent* ResolveReference(TComponent* Root, const String& Name, bool& Global)
{
  Global = false;
  const qsizetype Dot = Name.indexOf(QLatin1Char('.'));
  if (Dot < 0) {
    if (Root) {
      if (Root->Name().compare(Name, Qt::CaseInsensitive) == 0)
        return Root;
      if (TComponent* C = Root->FindComponent(Name))
        return C;
    }
    // A whole form or data module by its name; a plain name found nowhere
    // is an error, not something to wait for.
    return FindGlobalComponent(Name);
  }
  const String First = Name.left(Dot);
  TComponent* Base = nullptr;
  if (Root && Root->Name().compare(First, Qt::CaseInsensitive) == 0) {
    Base = Root;
  } else {
    Global = true;
    Base = FindGlobalComponent(First);
  }
  String Rest = Name.mid(Dot + 1);
  while (Base && !Rest.isEmpty()) {
    const qsizetype D = Rest.indexOf(QLatin1Char('.'));
    Base = Base->FindComponent(D < 0 ? Rest : Rest.left(D));
    Rest = D < 0 ? String() : Rest.mid(D + 1);
  }
  return Base;
}

} // namespace

void SetFindGlobalComponent(std::function<TComponent*(const String& Name)> Finder)
{
  GlobalFinder() = std::move(Finder);
}

TComponent* FindGlobalComponent(const String& Name)
{
  return GlobalFinder() ? GlobalFinder()(Name) : nullptr;
}

void GlobalFixupReferences()
{
  auto& Pending = FixupKeeper().Pending;
  for (std::size_t I = 0; I < Pending.size();) {
    TGlobalFixup& F = Pending[I];
    bool Global;
    TComponent* Target = ResolveReference(F.Root, F.Name, Global);
    if (!Target || (F.Prop->AcceptsObject && !F.Prop->AcceptsObject(Target))) {
      ++I;
      continue;
    }
    // Out of the list first: the setter may free components, and so entries.
    const TGlobalFixup Done = F;
    Pending.erase(Pending.begin() + std::ptrdiff_t(I));
    FixupKeeper().Forget(Done.Root);
    FixupKeeper().Forget(Done.Holder);
    Done.Prop->SetObj(Done.Instance, Target);
  }
}

// ---------------------------------------------------------------------------
// TFiler

TFiler::TFiler(TStream* Stream) : FStream(Stream) {}
TFiler::~TFiler() = default;

// ---------------------------------------------------------------------------
// TReader

TReader::TReader(TStream* Stream) : TFiler(Stream) {}
TReader::~TReader() = default;

String TReader::LineSuffix() const
{
  if (!LineOfOffset)
    return {};
  const int Line = LineOfOffset(FItemStart);
  return Line > 0 ? QStringLiteral(" on line %1").arg(Line) : QString();
}

void TReader::Error(const String& Message)
{
  throw EReadError(Message + LineSuffix());
}

void TReader::PropertyError(const String& Name)
{
  Error(QStringLiteral("Property %1 does not exist").arg(Name));
}

Int64 TReader::Position() const
{
  return FStream->Position();
}

void TReader::SetPosition(Int64 Value)
{
  FStream->SetPosition(Value);
}

void TReader::CheckLength(Int64 Count)
{
  if (Count < 0 || Count > FStream->Size() - FStream->Position())
    throw EReadError(QStringLiteral("Stream read error") + LineSuffix());
}

void TReader::EnterNesting()
{
  if (FNesting >= MaxNesting)
    Error(QStringLiteral("Nesting too deep"));
}

void TReader::Read(void* Buffer, Integer Count)
{
  if (FStream->Read(Buffer, Count) != Count)
    throw EReadError(QStringLiteral("Stream read error") + LineSuffix());
}

TValueType TReader::ReadValue()
{
  Byte B;
  Read(&B, 1);
  return TValueType(B);
}

TValueType TReader::NextValue()
{
  const Int64 Pos = Position();
  const TValueType V = ReadValue();
  SetPosition(Pos);
  return V;
}

void TReader::CheckValue(TValueType Value)
{
  if (ReadValue() != Value) {
    SetPosition(Position() - 1);
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

bool TReader::EndOfList()
{
  return NextValue() == vaNull;
}

void TReader::ReadListBegin()
{
  CheckValue(vaList);
}

void TReader::ReadListEnd()
{
  CheckValue(vaNull);
}

String TReader::ReadStr()
{
  Byte Len;
  Read(&Len, 1);
  QByteArray B(Len, Qt::Uninitialized);
  Read(B.data(), Len);
  return QString::fromUtf8(B);
}

void TReader::SkipValue()
{
  EnterNesting();
  ++FNesting;
  ScopeExit Leave([&] { --FNesting; });
  auto Skip = [&](Int64 N) {
    CheckLength(N);
    SetPosition(Position() + N);
  };
  switch (ReadValue()) {
  case vaNull:
  case vaFalse:
  case vaTrue:
  case vaNil:
    break;
  case vaList:
    while (!EndOfList())
      SkipValue();
    ReadListEnd();
    break;
  case vaInt8:
    Skip(1);
    break;
  case vaInt16:
    Skip(2);
    break;
  case vaInt32:
  case vaSingle:
    Skip(4);
    break;
  case vaInt64:
  case vaCurrency:
  case vaDate:
  case vaDouble:
    Skip(8);
    break;
  case vaExtended:
    Skip(10);
    break;
  case vaString:
  case vaIdent:
    ReadStr();
    break;
  case vaLString:
  case vaBinary:
  case vaUTF8String:
    Skip(ReadLE<std::int32_t>(*this));
    break;
  case vaWString:
    Skip(Int64(ReadLE<std::int32_t>(*this)) * 2);
    break;
  case vaSet:
    while (!ReadStr().isEmpty()) {
    }
    break;
  case vaCollection:
    while (!EndOfList()) {
      const TValueType V = NextValue();
      if (V == vaInt8 || V == vaInt16 || V == vaInt32)
        SkipValue();
      CheckValue(vaList);
      while (!EndOfList()) {
        ReadStr();
        SkipValue();
      }
      ReadListEnd();
    }
    ReadListEnd();
    break;
  default:
    Error(QStringLiteral("Invalid property value"));
  }
}

Int64 TReader::ReadInt64()
{
  switch (ReadValue()) {
  case vaInt8:
    return ReadLE<std::int8_t>(*this);
  case vaInt16:
    return ReadLE<std::int16_t>(*this);
  case vaInt32:
    return ReadLE<std::int32_t>(*this);
  case vaInt64:
    return ReadLE<std::int64_t>(*this);
  default:
    SetPosition(Position() - 1);
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

Integer TReader::ReadInteger()
{
  const TValueType V = NextValue();
  const Int64 R = ReadInt64();
  if (V == vaInt64 && (R < INT32_MIN || R > INT32_MAX))
    Error(QStringLiteral("Invalid property value"));
  return Integer(R);
}

bool TReader::ReadBoolean()
{
  switch (ReadValue()) {
  case vaTrue:
    return true;
  case vaFalse:
    return false;
  default:
    SetPosition(Position() - 1);
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

double TReader::ReadFloat()
{
  switch (ReadValue()) {
  case vaExtended: {
    Byte B[10];
    Read(B, 10);
    return ExtendedToDouble(B);
  }
  case vaDouble:
  case vaDate: {
    const std::uint64_t Bits = ReadLE<std::uint64_t>(*this);
    double D;
    std::memcpy(&D, &Bits, 8);
    return D;
  }
  case vaSingle: {
    const std::uint32_t Bits = ReadLE<std::uint32_t>(*this);
    float F;
    std::memcpy(&F, &Bits, 4);
    return F;
  }
  case vaCurrency:
    return double(ReadLE<std::int64_t>(*this)) / 10000.0;
  default:
    SetPosition(Position() - 1);
    return double(ReadInt64());
  }
}

Single TReader::ReadSingle()
{
  return Single(ReadFloat());
}

Int64 TReader::ReadCurrency()
{
  if (NextValue() == vaCurrency) {
    ReadValue();
    return ReadLE<std::int64_t>(*this);
  }
  return std::llround(ReadFloat() * 10000.0);
}

TDateTime TReader::ReadDate()
{
  return TDateTime(ReadFloat());
}

String TReader::ReadString()
{
  const TValueType V = ReadValue();
  switch (V) {
  case vaString:
    return ReadStr();
  case vaLString:
  case vaUTF8String: {
    const std::int32_t Len = ReadLE<std::int32_t>(*this);
    CheckLength(Len);
    QByteArray B(Len, Qt::Uninitialized);
    Read(B.data(), Len);
    return QString::fromUtf8(B);
  }
  case vaWString: {
    const std::int32_t Len = ReadLE<std::int32_t>(*this);
    CheckLength(Int64(Len) * 2);
    QString S(Len, Qt::Uninitialized);
    for (std::int32_t I = 0; I < Len; ++I)
      S[I] = QChar(char16_t(ReadLE<std::uint16_t>(*this)));
    return S;
  }
  default:
    SetPosition(Position() - 1);
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

String TReader::ReadIdent()
{
  switch (ReadValue()) {
  case vaIdent:
    return ReadStr();
  case vaFalse:
    return QStringLiteral("False");
  case vaTrue:
    return QStringLiteral("True");
  case vaNil:
    return QStringLiteral("nil");
  case vaNull:
    return QStringLiteral("Null");
  default:
    SetPosition(Position() - 1);
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

QChar TReader::ReadChar()
{
  const String S = ReadString();
  if (S.size() != 1)
    Error(QStringLiteral("Invalid property value"));
  return S[0];
}

QByteArray TReader::ReadBinary()
{
  CheckValue(vaBinary);
  const std::int32_t Len = ReadLE<std::int32_t>(*this);
  CheckLength(Len);
  QByteArray B(Len, Qt::Uninitialized);
  Read(B.data(), Len);
  return B;
}

Variant TReader::ReadVariant()
{
  switch (NextValue()) {
  case vaNil:
    ReadValue();
    return Unassigned;
  case vaNull:
    ReadValue();
    return Null;
  case vaInt8:
    return Variant(std::int8_t(ReadInt64()));
  case vaInt16:
    return Variant(std::int16_t(ReadInt64()));
  case vaInt32:
    return Variant(std::int32_t(ReadInt64()));
  case vaInt64:
    return Variant(std::int64_t(ReadInt64()));
  case vaExtended:
  case vaDouble:
    return Variant(ReadFloat());
  case vaSingle:
    return Variant(ReadSingle());
  case vaCurrency:
    return Variant(Currency::FromRaw(ReadCurrency()));
  case vaDate:
    return Variant(ReadDate());
  case vaFalse:
  case vaTrue:
    return Variant(ReadBoolean());
  case vaString:
  case vaLString:
  case vaWString:
  case vaUTF8String:
    return Variant(ReadString());
  case vaBinary:
    return Variant::FromBytes(ReadBinary());
  default:
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

void TReader::ReadSignature()
{
  char Sig[4];
  if (FStream->Read(Sig, 4) != 4 || std::memcmp(Sig, "TPF0", 4) != 0)
    throw EReadError(QStringLiteral("Invalid stream format"));
}

void TReader::ReadPrefix(TFilerFlags& Flags, Integer& AChildPos)
{
  Flags = {};
  AChildPos = 0;
  const Byte B = Byte(NextValue());
  if ((B & 0xF0) != 0xF0)
    return;
  ReadValue();
  Flags = TFilerFlags::FromBits(B & 0x07);
  if (Flags.Contains(ffChildPos))
    AChildPos = ReadInteger();
}

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                             bool HasData)
{
  (void)WriteData;
  (void)HasData;
  if (FPropHandled || Name.compare(FPropName, Qt::CaseInsensitive) != 0 || !ReadData)
    return;
  ReadData(*this);
  FPropHandled = true;
}

void TReader::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                   bool HasData)
{
  (void)WriteData;
  (void)HasData;
  if (FPropHandled || Name.compare(FPropName, Qt::CaseInsensitive) != 0 || !ReadData)
    return;
  TMemoryStream Data;
  const QByteArray Bytes = ReadBinary();
  Data.WriteBuffer(Bytes);
  Data.SetPosition(0);
  ReadData(Data);
  FPropHandled = true;
}

void TReader::ReadProperty(TPersistent* Instance)
{
  FItemStart = Position();
  const String Path = ReadStr();
  if (Path.isEmpty())
    Error(QStringLiteral("Invalid property path"));
  ++FPropDepth;
  ScopeExit Leave([&] { --FPropDepth; });
  try {
    // Walk the sub-objects of a path such as Font.Style.
    const QStringList Parts = Path.split(QLatin1Char('.'));
    TPersistent* Target = Instance;
    for (qsizetype I = 0; I + 1 < Parts.size(); ++I) {
      const TPropInfo* P = GetPropInfo(Target, Parts[I]);
      if (!P || (P->Kind != TPropKind::Class && P->Kind != TPropKind::Collection && P->Kind != TPropKind::Component))
        PropertyError(Parts[I]);
      auto* Sub = dynamic_cast<TPersistent*>(P->GetObj(Target));
      if (!Sub)
        Error(QStringLiteral("Invalid property path"));
      Target = Sub;
    }
    const String& Name = Parts.back();
    if (const TPropInfo* P = GetPropInfo(Target, Name)) {
      ReadPropValue(Target, P);
      return;
    }
    FPropName = Name;
    FPropHandled = false;
    Target->DefineProperties(*this);
    FPropName.clear();
    if (!FPropHandled)
      PropertyError(Name);
  } catch (const Exception& E) {
    // The outermost property names the object and itself once; errors of
    // setters become read errors with the line.
    if (FPropDepth > 1 || E.Message().startsWith(QLatin1String("Error reading ")))
      throw;
    String Who;
    if (auto* C = dynamic_cast<TComponent*>(Instance))
      Who = C->Name();
    if (Who.isEmpty())
      Who = Instance->GetNamePath();
    String Message = E.Message();
    if (!dynamic_cast<const EReadError*>(&E))
      Message += LineSuffix();
    throw EReadError(QStringLiteral("Error reading %1.%2: %3").arg(Who, Path, Message));
  }
}

std::uint64_t TReader::ReadSetBits(const TPropInfo* Prop)
{
  CheckValue(vaSet);
  const TEnumInfo* E = Prop->EnumType ? Prop->EnumType() : nullptr;
  std::uint64_t Bits = 0;
  bool Bad = false;
  for (;;) {
    const String Name = ReadStr();
    if (Name.isEmpty())
      break;
    const int V = GetEnumValue(E, Name);
    if (V < 0 || V > 63)
      Bad = true;
    else
      Bits |= std::uint64_t(1) << V;
  }
  if (Bad)
    Error(QStringLiteral("Invalid property value"));
  return Bits;
}

void TReader::ReadEvent(TPersistent* Instance, const TPropInfo* Prop)
{
  const String Handler = ReadIdent();
  if (Handler == QLatin1String("nil")) {
    Prop->ClearEvent(Instance);
    Instance->SetEventHandlerName(Prop->Name, QString());
    return;
  }
  TComponent* Root = FRoot;
  const THandlerInfo* H = Root ? Root->ClassType()->FindHandler(Handler) : nullptr;
  if (!H)
    Error(QStringLiteral("Method %1 not found").arg(Handler));
  if (!Prop->SetEvent(Instance, H->Bind(Root)))
    Error(QStringLiteral("Method %1 does not fit event %2").arg(Handler, Prop->Name));
  Instance->SetEventHandlerName(Prop->Name, Handler);
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop)
{
  const TValueType V = NextValue();
  if (Prop->Kind == TPropKind::Event) {
    ReadEvent(Instance, Prop);
    return;
  }
  if (Prop->Kind == TPropKind::Collection || (Prop->Kind == TPropKind::Class && V == vaCollection)) {
    auto* C = dynamic_cast<TCollection*>(Prop->GetObj(Instance));
    if (!C || V != vaCollection) {
      SkipValue();
      Error(QStringLiteral("Invalid property value"));
    }
    ReadCollection(C);
    return;
  }
  if (!Prop->Writable()) {
    SkipValue();
    Error(QStringLiteral("Property %1 is read-only").arg(Prop->Name));
  }
  switch (Prop->Kind) {
  case TPropKind::Integer:
  case TPropKind::Int64: {
    Int64 Value;
    if (V == vaIdent) {
      const String Ident = ReadIdent();
      if (!Prop->IdentToInt || !Prop->IdentToInt(Ident, Value))
        Error(QStringLiteral("Invalid property value"));
    } else {
      Value = ReadInt64();
      if (Prop->Kind == TPropKind::Integer && (Value < INT32_MIN || Value > INT32_MAX))
        Error(QStringLiteral("Invalid property value"));
    }
    Prop->SetOrd(Instance, Value);
    break;
  }
  case TPropKind::Boolean:
    if (V != vaTrue && V != vaFalse) {
      SkipValue();
      Error(QStringLiteral("Invalid property value"));
    }
    Prop->SetOrd(Instance, ReadBoolean() ? 1 : 0);
    break;
  case TPropKind::Enumeration: {
    if (V != vaIdent) {
      SkipValue();
      Error(QStringLiteral("Invalid property value"));
    }
    const int Value = GetEnumValue(Prop->EnumType ? Prop->EnumType() : nullptr, ReadIdent());
    if (Value < 0)
      Error(QStringLiteral("Invalid property value"));
    Prop->SetOrd(Instance, Value);
    break;
  }
  case TPropKind::Set:
    Prop->SetOrd(Instance, Int64(ReadSetBits(Prop)));
    break;
  case TPropKind::Char:
    if (V == vaInt8 || V == vaInt16 || V == vaInt32) {
      const Int64 Code = ReadInt64();
      if (Code < 0 || Code > 0xFFFF)
        Error(QStringLiteral("Invalid property value"));
      Prop->SetOrd(Instance, Code);
    } else {
      Prop->SetOrd(Instance, ReadChar().unicode());
    }
    break;
  case TPropKind::Float:
    if (V != vaExtended && V != vaDouble && V != vaSingle && V != vaCurrency && V != vaDate && V != vaInt8 &&
        V != vaInt16 && V != vaInt32 && V != vaInt64) {
      SkipValue();
      Error(QStringLiteral("Invalid property value"));
    }
    Prop->SetFloat(Instance, ReadFloat());
    break;
  case TPropKind::String:
    Prop->SetStr(Instance, ReadString());
    break;
  case TPropKind::Class:
  case TPropKind::Component: {
    if (V == vaNil) {
      ReadValue();
      Prop->SetObj(Instance, nullptr);
      break;
    }
    if (V != vaIdent) {
      SkipValue();
      Error(QStringLiteral("Invalid property value"));
    }
    const int Line = LineOfOffset ? LineOfOffset(FItemStart) : 0;
    FFixups.push_back(TFixup{Instance, Prop, ReadIdent(), Line});
    break;
  }
  default:
    SkipValue();
    Error(QStringLiteral("Invalid property value"));
  }
}

void TReader::ReadCollection(TCollection* Collection)
{
  CheckValue(vaCollection);
  EnterNesting();
  ++FNesting;
  ScopeExit Leave([&] { --FNesting; });
  Collection->BeginUpdate();
  ScopeExit Done([&] { Collection->EndUpdate(); });
  if (!EndOfList())
    Collection->Clear();
  while (!EndOfList()) {
    const TValueType V = NextValue();
    if (V == vaInt8 || V == vaInt16 || V == vaInt32)
      ReadInteger();   // the item's place in an inherited collection: the order read is kept
    TCollectionItem* Item = Collection->Add();
    ReadListBegin();
    while (!EndOfList())
      ReadProperty(Item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::ReadData(TComponent* Instance)
{
  while (!EndOfList())
    ReadProperty(Instance);
  ReadListEnd();
  TComponent* OldParent = FParent;
  TComponent* OldOwner = FOwner;
  ScopeExit Restore([&] {
    FParent = OldParent;
    FOwner = OldOwner;
  });
  FParent = Instance->GetChildParent();
  FOwner = Instance->GetChildOwner();
  if (!FOwner)
    FOwner = FRoot;
  while (!EndOfList())
    ReadComponent(nullptr);
  ReadListEnd();
}

TComponent* TReader::ReadComponent(TComponent* Component)
{
  EnterNesting();
  ++FNesting;
  ScopeExit Leave([&] { --FNesting; });
  FItemStart = Position();
  TFilerFlags Flags;
  Integer ChildPos;
  ReadPrefix(Flags, ChildPos);
  const String ClassName = ReadStr();
  const String Name = ReadStr();
  TComponent* Result = Component;
  bool Created = false;
  if (!Result) {
    if (Flags.Contains(ffInherited)) {
      if (FOwner)
        Result = FOwner->FindComponent(Name);
      if (!Result && OnAncestorNotFound)
        OnAncestorNotFound(this, Name, GetClass(ClassName), Result);
      if (!Result)
        Error(QStringLiteral("Ancestor for '%1' not found").arg(Name));
    } else {
      TClass C = GetClass(ClassName);
      if (OnFindComponentClass)
        OnFindComponentClass(this, ClassName, C);
      if (!C)
        Error(QStringLiteral("Class %1 not found").arg(ClassName));
      if (OnCreateComponent)
        OnCreateComponent(this, C, Result);
      if (!Result) {
        if (!C->CreateComponent)
          Error(QStringLiteral("Cannot create an instance of %1").arg(ClassName));
        Result = C->CreateComponent(FOwner);
        Created = true;
        FCreated.push_back(Result);
      }
    }
  }
  Result->FComponentState.Include(csLoading);
  Result->FComponentState.Include(csReading);
  if (Flags.Contains(ffInline))
    Result->FComponentState.Include(csInline);
  if (!Flags.Contains(ffInherited)) {
    try {
      Result->SetName(Name);
    } catch (const EComponentError& E) {
      Error(E.Message());
    }
  }
  if (Created || std::find(FLoaded.begin(), FLoaded.end(), Result) == FLoaded.end())
    FLoaded.push_back(Result);
  if (Flags.Contains(ffChildPos) && FParent)
    FParent->SetChildOrder(Result, ChildPos);
  Result->ReadState(*this);
  Result->FComponentState.Exclude(csReading);
  return Result;
}

void TReader::DiscardCreated()
{
  // Newest first: a component made later may belong to one made earlier.
  while (!FCreated.empty()) {
    TComponent* C = FCreated.back();
    FCreated.pop_back();
    std::erase(FLoaded, C);
    delete C;
  }
}

void TReader::FixupReferences()
{
  // The component that frees an instance with a reference: the instance
  // itself, or the component that owns its collection or sub-object.
  const auto HolderOf = [](TObject* Instance) {
    auto* P = dynamic_cast<TPersistent*>(Instance);
    while (P && !dynamic_cast<TComponent*>(P))
      P = P->GetOwner();
    return dynamic_cast<TComponent*>(P);
  };
  std::vector<TFixup> Fixups;
  Fixups.swap(FFixups);
  for (const TFixup& F : Fixups) {
    bool Global = false;
    TComponent* Target = ResolveReference(FRoot, F.Name, Global);
    const String Suffix = F.Line > 0 ? QStringLiteral(" on line %1").arg(F.Line) : QString();
    if (!Target && Global && FRoot) {
      // Another form or data module that is not there yet.
      FixupKeeper().Add(TGlobalFixup{FRoot, HolderOf(F.Instance), F.Instance, F.Prop, F.Name});
      continue;
    }
    if (!Target)
      throw EReadError(QStringLiteral("Invalid property value: component %1 not found").arg(F.Name) + Suffix);
    if (F.Prop->AcceptsObject && !F.Prop->AcceptsObject(Target))
      throw EReadError(QStringLiteral("Invalid property value: %1 is not a %2")
                         .arg(F.Name, ClassNameOf(F.Prop->PropClass ? F.Prop->PropClass() : nullptr)) +
                       Suffix);
    F.Prop->SetObj(F.Instance, Target);
  }
}

void TReader::DoLoaded()
{
  std::vector<TComponent*> Loaded;
  Loaded.swap(FLoaded);
  for (TComponent* C : Loaded)
    C->Loaded();
}

TComponent* TReader::ReadRootComponent(TComponent* Root)
{
  FItemStart = Position();
  ReadSignature();
  TFilerFlags Flags;
  Integer ChildPos;
  ReadPrefix(Flags, ChildPos);
  const String ClassName = ReadStr();
  const String Name = ReadStr();
  bool CreatedRoot = false;
  if (!Root) {
    TClass C = GetClass(ClassName);
    if (!C)
      Error(QStringLiteral("Class %1 not found").arg(ClassName));
    if (!C->CreateComponent)
      Error(QStringLiteral("Cannot create an instance of %1").arg(ClassName));
    Root = C->CreateComponent(nullptr);
    CreatedRoot = true;
  }
  FRoot = Root;
  FLookupRoot = Root;
  FOwner = Root;
  try {
    if (!Name.isEmpty() && Root->Name().compare(Name, Qt::CaseInsensitive) != 0) {
      // The root takes the stream's name; a second instance of a form gets
      // one of its own (Form30_1).
      String Unique = Name;
      TComponent* Owner = Root->Owner();
      for (int I = 1; Owner && Owner->FindComponent(Unique) && Owner->FindComponent(Unique) != Root; ++I)
        Unique = QStringLiteral("%1_%2").arg(Name).arg(I);
      Root->SetName(Unique);
    }
    Root->FComponentState.Include(csLoading);
    Root->FComponentState.Include(csReading);
    FLoaded.push_back(Root);
    Root->ReadState(*this);
    Root->FComponentState.Exclude(csReading);
    FixupReferences();
    FCreated.clear();
    DoLoaded();
  } catch (...) {
    DiscardCreated();
    FFixups.clear();
    FLoaded.clear();
    if (CreatedRoot) {
      delete Root;
    } else {
      TComponentState S = Root->ComponentState();
      S.Exclude(csLoading);
      S.Exclude(csReading);
      Root->SetComponentState(S);
    }
    throw;
  }
  GlobalFixupReferences();
  return Root;
}

// ---------------------------------------------------------------------------
// TWriter

TWriter::TWriter(TStream* Stream) : TFiler(Stream) {}
TWriter::~TWriter() = default;

Int64 TWriter::Position() const
{
  return FStream->Position();
}

void TWriter::Write(const void* Buffer, Integer Count)
{
  FStream->WriteBuffer(Buffer, Count);
}

void TWriter::WriteValue(TValueType Value)
{
  const Byte B = Value;
  Write(&B, 1);
}

void TWriter::WriteStr(const String& Value)
{
  const QByteArray B = Value.toUtf8();
  if (B.size() > 255)
    throw EWriteError(QStringLiteral("Name too long: %1").arg(Value.left(40)));
  const Byte Len = Byte(B.size());
  Write(&Len, 1);
  Write(B.constData(), Len);
}

void TWriter::WriteListBegin()
{
  WriteValue(vaList);
}

void TWriter::WriteListEnd()
{
  WriteValue(vaNull);
}

void TWriter::WriteInteger(Int64 Value)
{
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    WriteLE<std::int8_t>(*this, std::int8_t(Value));
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    WriteLE<std::int16_t>(*this, std::int16_t(Value));
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteLE<std::int32_t>(*this, std::int32_t(Value));
  } else {
    WriteValue(vaInt64);
    WriteLE<std::int64_t>(*this, Value);
  }
}

void TWriter::WriteBoolean(bool Value)
{
  WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteFloat(double Value)
{
  WriteValue(vaExtended);
  Byte B[10];
  DoubleToExtended(Value, B);
  Write(B, 10);
}

void TWriter::WriteDouble(double Value)
{
  WriteValue(vaDouble);
  std::uint64_t Bits;
  std::memcpy(&Bits, &Value, 8);
  WriteLE<std::uint64_t>(*this, Bits);
}

void TWriter::WriteSingle(Single Value)
{
  WriteValue(vaSingle);
  std::uint32_t Bits;
  std::memcpy(&Bits, &Value, 4);
  WriteLE<std::uint32_t>(*this, Bits);
}

void TWriter::WriteCurrency(Int64 Value)
{
  WriteValue(vaCurrency);
  WriteLE<std::int64_t>(*this, Value);
}

void TWriter::WriteDate(TDateTime Value)
{
  WriteValue(vaDate);
  std::uint64_t Bits;
  const double D = Value;
  std::memcpy(&Bits, &D, 8);
  WriteLE<std::uint64_t>(*this, Bits);
}

void TWriter::WriteString(const String& Value)
{
  if (!IsAscii(Value)) {
    WriteUTF8Str(Value);
    return;
  }
  const QByteArray B = Value.toLatin1();
  if (B.size() <= 255) {
    WriteValue(vaString);
    const Byte Len = Byte(B.size());
    Write(&Len, 1);
  } else {
    WriteValue(vaLString);
    WriteLE<std::int32_t>(*this, std::int32_t(B.size()));
  }
  Write(B.constData(), Integer(B.size()));
}

void TWriter::WriteUTF8Str(const String& Value)
{
  const QByteArray B = Value.toUtf8();
  WriteValue(vaUTF8String);
  WriteLE<std::int32_t>(*this, std::int32_t(B.size()));
  Write(B.constData(), Integer(B.size()));
}

void TWriter::WriteWideString(const String& Value)
{
  WriteValue(vaWString);
  WriteLE<std::int32_t>(*this, std::int32_t(Value.size()));
  for (QChar C : Value)
    WriteLE<std::uint16_t>(*this, C.unicode());
}

void TWriter::WriteIdent(const String& Ident)
{
  if (Ident.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
    WriteValue(vaFalse);
  else if (Ident.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
    WriteValue(vaTrue);
  else if (Ident.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0)
    WriteValue(vaNull);
  else if (Ident.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0)
    WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteChar(QChar Value)
{
  WriteString(QString(Value));
}

void TWriter::WriteBinary(const QByteArray& Bytes)
{
  WriteValue(vaBinary);
  WriteLE<std::int32_t>(*this, std::int32_t(Bytes.size()));
  Write(Bytes.constData(), Integer(Bytes.size()));
}

void TWriter::WriteVariant(const Variant& Value)
{
  if (Value.IsArray())
    throw EWriteError(QStringLiteral("Stream write error"));
  switch (Value.VType() & varTypeMask) {
  case varEmpty:
    WriteValue(vaNil);
    return;
  case varNull:
    WriteValue(vaNull);
    return;
  case varShortInt:
  case varByte:
  case varSmallint:
  case varWord:
  case varInteger:
  case varLongWord:
  case varInt64:
    WriteInteger(Value.AsInt64());
    return;
  case varUInt64:
    WriteInteger(Int64(Value.AsUInt64()));
    return;
  case varSingle:
    WriteSingle(Single(Value.AsDouble()));
    return;
  case varDouble:
    WriteFloat(Value.AsDouble());
    return;
  case varCurrency:
    WriteCurrency(Value.AsCurrency().Raw());
    return;
  case varDate:
    WriteDate(Value.AsDateTime());
    return;
  case varBoolean:
    WriteBoolean(Value.AsBoolean());
    return;
  case varString:
  case varUString:
  case varOleStr:
    WriteString(Value.AsString());
    return;
  default:
    throw EWriteError(QStringLiteral("Stream write error"));
  }
}

void TWriter::WriteSignature()
{
  Write("TPF0", 4);
}

void TWriter::WritePrefix(TFilerFlags Flags, Integer AChildPos)
{
  if (Flags.Empty())
    return;
  const Byte B = Byte(0xF0 | Flags.Bits());
  Write(&B, 1);
  if (Flags.Contains(ffChildPos))
    WriteInteger(AChildPos);
}

void TWriter::WritePropName(const String& Name)
{
  WriteStr(FPropPath + Name);
}

void TWriter::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                             bool HasData)
{
  (void)ReadData;
  if (!HasData || !WriteData)
    return;
  WritePropName(Name);
  WriteData(*this);
}

void TWriter::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                   bool HasData)
{
  (void)ReadData;
  if (!HasData || !WriteData)
    return;
  WritePropName(Name);
  TMemoryStream Data;
  WriteData(Data);
  WriteBinary(Data.Bytes());
}

String TWriter::ReferenceName(TComponent* Value) const
{
  if (!Value || Value->Name().isEmpty())
    return {};
  if (Value == FLookupRoot)
    return Value->Name();
  if (Value->Owner() && Value->Owner() == FLookupRoot)
    return Value->Name();
  // A component of another form or data module: Owner.Name.
  String Path = Value->Name();
  for (TComponent* O = Value->Owner(); O; O = O->Owner()) {
    if (O == FLookupRoot)
      return Path;
    if (O->Name().isEmpty())
      break;
    Path = O->Name() + QLatin1Char('.') + Path;
    if (!O->Owner() || !O->Owner()->Owner())
      return Path;
  }
  return Path;
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop, TPersistent* AncestorObj)
{
  // An ancestor of another class than Instance's cannot be compared.
  if (AncestorObj && AncestorObj->ClassType() != Instance->ClassType())
    AncestorObj = nullptr;
  if (IsOrdinalKind(Prop->Kind)) {
    const Int64 Value = Prop->GetOrd(Instance);
    if (AncestorObj ? Value == Prop->GetOrd(AncestorObj) : (Prop->HasDefault && Value == Prop->OrdDefault))
      return;
    WritePropName(Prop->Name);
    String Ident;
    switch (Prop->Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
      if (Prop->IntToIdent && Prop->IntToIdent(Value, Ident))
        WriteIdent(Ident);
      else
        WriteInteger(Value);
      break;
    case TPropKind::Boolean:
      WriteBoolean(Value != 0);
      break;
    case TPropKind::Enumeration:
      WriteIdent(GetEnumName(Prop->EnumType ? Prop->EnumType() : nullptr, int(Value)));
      break;
    case TPropKind::Set: {
      WriteValue(vaSet);
      const TEnumInfo* E = Prop->EnumType ? Prop->EnumType() : nullptr;
      for (int I = 0; I < 64; ++I)
        if (std::uint64_t(Value) & (std::uint64_t(1) << I))
          WriteStr(GetEnumName(E, I));
      WriteStr(QString());
      break;
    }
    case TPropKind::Char:
      WriteChar(QChar(char16_t(Value)));
      break;
    default:
      break;
    }
    return;
  }
  switch (Prop->Kind) {
  case TPropKind::Float: {
    const double Value = Prop->GetFloat(Instance);
    const double Default = AncestorObj ? Prop->GetFloat(AncestorObj) : (Prop->HasDefault ? Prop->FloatDefault : 0.0);
    if (Value == Default)
      return;
    WritePropName(Prop->Name);
    if (Prop->TypeName == QLatin1String("TDateTime"))
      WriteDate(Value);
    else
      WriteFloat(Value);
    return;
  }
  case TPropKind::String: {
    const String Value = Prop->GetStr(Instance);
    if (AncestorObj ? Value == Prop->GetStr(AncestorObj) : Value == Prop->StrDefault)
      return;
    WritePropName(Prop->Name);
    WriteString(Value);
    return;
  }
  case TPropKind::Event: {
    if (!Prop->EventAssigned(Instance))
      return;
    const String Handler = Instance->EventHandlerName(Prop->Name);
    if (Handler.isEmpty() || (AncestorObj && Handler == AncestorObj->EventHandlerName(Prop->Name)))
      return;
    WritePropName(Prop->Name);
    WriteIdent(Handler);
    return;
  }
  default:
    break;
  }
  // Objects.
  TObject* Value = Prop->GetObj(Instance);
  TObject* AncestorValue = AncestorObj ? Prop->GetObj(AncestorObj) : nullptr;
  auto* Comp = dynamic_cast<TComponent*>(Value);
  const bool InPlace = Prop->Kind == TPropKind::Class || Prop->Kind == TPropKind::Collection ||
                       (Comp && Comp->ComponentStyle().Contains(csSubComponent));
  if (!InPlace) {
    const String Name = ReferenceName(Comp);
    const String AncestorName = ReferenceName(dynamic_cast<TComponent*>(AncestorValue));
    if (Name == AncestorName)
      return;
    WritePropName(Prop->Name);
    WriteIdent(Name.isEmpty() ? QStringLiteral("nil") : Name);
    return;
  }
  if (!Value)
    return;
  if (auto* Coll = dynamic_cast<TCollection*>(Value)) {
    auto* AncestorColl = dynamic_cast<TCollection*>(AncestorValue);
    if (!AncestorColl && Coll->Count() == 0)
      return;
    if (AncestorColl) {
      // Written only when it differs from the ancestor's.
      TMemoryStream Mine, Theirs;
      {
        TWriter W1(&Mine);
        W1.FRoot = FRoot;
        W1.FLookupRoot = FLookupRoot;
        W1.WriteCollection(Coll);
        TWriter W2(&Theirs);
        W2.FRoot = FRoot;
        W2.FLookupRoot = FLookupRoot;
        W2.WriteCollection(AncestorColl);
      }
      if (Mine.Bytes() == Theirs.Bytes())
        return;
    }
    WritePropName(Prop->Name);
    WriteCollection(Coll);
    return;
  }
  auto* Sub = dynamic_cast<TPersistent*>(Value);
  if (!Sub)
    return;
  const String OldPath = FPropPath;
  FPropPath += Prop->Name + QLatin1Char('.');
  ScopeExit Restore([&] { FPropPath = OldPath; });
  WriteProperties(Sub, dynamic_cast<TPersistent*>(AncestorValue));
}

void TWriter::WriteProperties(TPersistent* Instance)
{
  WriteProperties(Instance, FAncestor);
}

void TWriter::WriteProperties(TPersistent* Instance, TPersistent* AncestorObj)
{
  TClass C = Instance->ClassType();
  for (const TPropInfo* P : C->Properties())
    if (P->Stored(Instance))
      WriteProperty(Instance, P, AncestorObj);
  TPersistent* OldAncestor = FAncestor;
  FAncestor = AncestorObj;
  ScopeExit Restore([&] { FAncestor = OldAncestor; });
  Instance->DefineProperties(*this);
}

void TWriter::WriteCollection(TCollection* Value)
{
  WriteValue(vaCollection);
  if (Value) {
    const String OldPath = FPropPath;
    FPropPath.clear();
    ScopeExit Restore([&] { FPropPath = OldPath; });
    for (Integer I = 0; I < Value->Count(); ++I) {
      WriteListBegin();
      WriteProperties(Value->Items(I), nullptr);
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteData(TComponent* Instance)
{
  TFilerFlags Flags;
  if (FAncestor)
    Flags.Include(ffInherited);
  if (Instance->ComponentState().Contains(csInline))
    Flags.Include(ffInline);
  WritePrefix(Flags, 0);
  WriteStr(Instance->ClassName());
  WriteStr(Instance->Name());
  const String OldPath = FPropPath;
  FPropPath.clear();
  WriteProperties(Instance, FAncestor);
  FPropPath = OldPath;
  WriteListEnd();
  TPersistent* OldAncestor = FAncestor;
  ScopeExit Restore([&] { FAncestor = OldAncestor; });
  if (!FIgnoreChildren)
    Instance->GetChildren(
      [&](TComponent* Child) {
        FAncestor = FRootAncestor ? FRootAncestor->FindComponent(Child->Name()) : nullptr;
        WriteComponent(Child);
      },
      FRoot);
  WriteListEnd();
}

void TWriter::WriteComponent(TComponent* Component)
{
  Component->FComponentState.Include(csWriting);
  ScopeExit Done([&] { Component->FComponentState.Exclude(csWriting); });
  Component->WriteState(*this);
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor)
{
  FRootAncestor = AAncestor;
  FAncestor = AAncestor;
  FRoot = Root;
  FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteRootComponent(TComponent* Root)
{
  WriteDescendent(Root, nullptr);
}

static QByteArray CollectionBytes(TCollection* C, TComponent* Owner)
{
  TMemoryStream S;
  TWriter W(&S);
  W.SetRoot(Owner);
  W.WriteCollection(C);
  return S.Bytes();
}

bool CollectionsEqual(TCollection* C1, TCollection* C2, TComponent* Owner1, TComponent* Owner2)
{
  if (C1 == C2)
    return true;
  if (!C1 || !C2 || C1->ClassType() != C2->ClassType() || C1->Count() != C2->Count())
    return false;
  return CollectionBytes(C1, Owner1) == CollectionBytes(C2, Owner2);
}

// ---------------------------------------------------------------------------
// TStream's component helpers

TComponent* TStream::ReadComponent(TComponent* Instance)
{
  TReader Reader(this);
  return Reader.ReadRootComponent(Instance);
}

void TStream::WriteComponent(TComponent* Instance)
{
  WriteDescendent(Instance, nullptr);
}

void TStream::WriteDescendent(TComponent* Instance, TComponent* Ancestor)
{
  TWriter Writer(this);
  Writer.WriteDescendent(Instance, Ancestor);
}
