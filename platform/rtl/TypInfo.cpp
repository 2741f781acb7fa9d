// TypInfo.cpp: the class registry and access to published properties by name.
#include "platform/rtl/TypInfo.h"

#include "platform/rtl/SysUtils.h"

#include <QHash>

#include <deque>

namespace {

std::deque<TClassInfo>& AllClassInfos()
{
  static std::deque<TClassInfo> Infos;   // stable addresses
  return Infos;
}

QHash<QString, TClass>& ClassesByName()
{
  static QHash<QString, TClass> Map;
  return Map;
}

QString Key(const String& Name) { return Name.toUpper(); }

} // namespace

namespace typinfo_detail {

unsigned& RegistryGeneration()
{
  static unsigned Generation = 1;
  return Generation;
}

TClassInfo* NewClassInfo(const char* Name, const std::type_info& Type)
{
  TClassInfo& Info = AllClassInfos().emplace_back();
  Info.Name = QString::fromLatin1(Name);
  Info.Type = &Type;
  return &Info;
}

void RegisterName(TClass AClass) { ::RegisterClass(AClass); }

} // namespace typinfo_detail

const TEnumInfo* BooleanEnumInfo()
{
  static const TEnumInfo Info{QStringLiteral("Boolean"), {QStringLiteral("False"), QStringLiteral("True")}, 0};
  return &Info;
}

String GetEnumName(const TEnumInfo* Info, int Value)
{
  if (!Info)
    return QString::number(Value);
  const int I = Value - Info->MinValue;
  if (I < 0 || I >= Info->Names.size())
    return QString::number(Value);
  return Info->Names[I];
}

int GetEnumValue(const TEnumInfo* Info, const String& Name)
{
  if (!Info)
    return -1;
  for (int I = 0; I < Info->Names.size(); ++I)
    if (Info->Names[I].compare(Name, Qt::CaseInsensitive) == 0)
      return I + Info->MinValue;
  return -1;
}

bool TPropInfo::Writable() const
{
  switch (Kind) {
  case TPropKind::String:
    return bool(SetStr);
  case TPropKind::Float:
    return bool(SetFloat);
  case TPropKind::Class:
  case TPropKind::Component:
  case TPropKind::Collection:
    return bool(SetObj);
  case TPropKind::Event:
    return bool(SetEvent);
  default:
    return bool(SetOrd);
  }
}

bool TPropInfo::Stored(const TObject* Instance) const
{
  return !IsStored || IsStored(Instance);
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const
{
  const unsigned Gen = typinfo_detail::RegistryGeneration();
  if (FPropCacheGeneration == Gen)
    return FPropCache;
  std::vector<const TPropInfo*> List;
  if (Parent)
    List = Parent->Properties();
  for (const TPropInfo& P : OwnProps) {
    bool Replaced = false;
    for (const TPropInfo*& Old : List)
      if (Old->Name.compare(P.Name, Qt::CaseInsensitive) == 0) {
        Old = &P;
        Replaced = true;
        break;
      }
    if (!Replaced)
      List.push_back(&P);
  }
  FPropCache = std::move(List);
  FPropCacheGeneration = Gen;
  return FPropCache;
}

const TPropInfo* TClassInfo::FindProperty(const String& Name) const
{
  for (const TPropInfo* P : Properties())
    if (P->Name.compare(Name, Qt::CaseInsensitive) == 0)
      return P;
  return nullptr;
}

const THandlerInfo* TClassInfo::FindHandler(const String& Name) const
{
  for (TClass C = this; C; C = C->Parent)
    for (const THandlerInfo& H : C->OwnHandlers)
      if (H.Name.compare(Name, Qt::CaseInsensitive) == 0)
        return &H;
  return nullptr;
}

bool TClassInfo::InheritsFrom(TClass AClass) const
{
  for (TClass C = this; C; C = C->Parent)
    if (C == AClass)
      return true;
  return false;
}

void RegisterClass(TClass AClass)
{
  if (!AClass || AClass->Name.isEmpty())
    return;
  ClassesByName().insert(Key(AClass->Name), AClass);
}

void RegisterClasses(std::initializer_list<TClass> Classes)
{
  for (TClass C : Classes)
    RegisterClass(C);
}

void UnRegisterClass(TClass AClass)
{
  if (!AClass)
    return;
  auto It = ClassesByName().find(Key(AClass->Name));
  if (It != ClassesByName().end() && It.value() == AClass)
    ClassesByName().erase(It);
}

TClass GetClass(const String& ClassName)
{
  return ClassesByName().value(Key(ClassName), nullptr);
}

TClass FindClass(const String& ClassName)
{
  TClass C = GetClass(ClassName);
  if (!C)
    throw EClassNotFound(QStringLiteral("Class %1 not found").arg(ClassName));
  return C;
}

String ClassNameOf(TClass AClass) { return AClass ? AClass->Name : QString(); }

bool ClassInheritsFrom(TClass AClass, TClass Ancestor)
{
  return AClass && Ancestor && AClass->InheritsFrom(Ancestor);
}

// ---------------------------------------------------------------------------

const TPropInfo* GetPropInfo(TClass AClass, const String& PropName)
{
  return AClass ? AClass->FindProperty(PropName) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName)
{
  return Instance ? GetPropInfo(Instance->ClassType(), PropName) : nullptr;
}

bool IsPublishedProp(const TObject* Instance, const String& PropName)
{
  return GetPropInfo(Instance, PropName) != nullptr;
}

static const TPropInfo* NeedProp(const TObject* Instance, const String& PropName)
{
  const TPropInfo* P = GetPropInfo(Instance, PropName);
  if (!P)
    throw EPropertyError(QStringLiteral("Unknown property: '%1'").arg(PropName));
  return P;
}

static void CheckWritable(const TPropInfo* P)
{
  if (!P->Writable())
    throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(P->Name));
}

Int64 GetOrdProp(const TObject* Instance, const TPropInfo* PropInfo)
{
  if (!PropInfo->GetOrd)
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(PropInfo->Name));
  return PropInfo->GetOrd(Instance);
}

void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, Int64 Value)
{
  if (!PropInfo->SetOrd)
    throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(PropInfo->Name));
  PropInfo->SetOrd(Instance, Value);
}

String GetStrProp(const TObject* Instance, const TPropInfo* PropInfo)
{
  if (PropInfo->Kind == TPropKind::Char)
    return QString(QChar(char16_t(PropInfo->GetOrd(Instance))));
  if (!PropInfo->GetStr)
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(PropInfo->Name));
  return PropInfo->GetStr(Instance);
}

void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value)
{
  CheckWritable(PropInfo);
  if (PropInfo->Kind == TPropKind::Char) {
    PropInfo->SetOrd(Instance, Value.isEmpty() ? 0 : Value[0].unicode());
    return;
  }
  if (!PropInfo->SetStr)
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(PropInfo->Name));
  PropInfo->SetStr(Instance, Value);
}

double GetFloatProp(const TObject* Instance, const TPropInfo* PropInfo)
{
  if (!PropInfo->GetFloat)
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(PropInfo->Name));
  return PropInfo->GetFloat(Instance);
}

void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value)
{
  CheckWritable(PropInfo);
  if (!PropInfo->SetFloat)
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(PropInfo->Name));
  PropInfo->SetFloat(Instance, Value);
}

TObject* GetObjectProp(const TObject* Instance, const TPropInfo* PropInfo)
{
  if (!PropInfo->GetObj)
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(PropInfo->Name));
  return PropInfo->GetObj(Instance);
}

void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value)
{
  if (!PropInfo->SetObj)
    throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(PropInfo->Name));
  if (PropInfo->AcceptsObject && !PropInfo->AcceptsObject(Value))
    throw EPropertyError(QStringLiteral("Invalid property value"));
  PropInfo->SetObj(Instance, Value);
}

String GetEnumProp(const TObject* Instance, const TPropInfo* PropInfo)
{
  return GetEnumName(PropInfo->EnumType ? PropInfo->EnumType() : nullptr, int(GetOrdProp(Instance, PropInfo)));
}

void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value)
{
  const int V = GetEnumValue(PropInfo->EnumType ? PropInfo->EnumType() : nullptr, Value);
  if (V < 0)
    throw EPropertyError(QStringLiteral("Invalid enumeration name: %1").arg(Value));
  SetOrdProp(Instance, PropInfo, V);
}

String GetSetProp(const TObject* Instance, const TPropInfo* PropInfo, bool Brackets)
{
  const TEnumInfo* E = PropInfo->EnumType ? PropInfo->EnumType() : nullptr;
  const std::uint64_t Bits = std::uint64_t(GetOrdProp(Instance, PropInfo));
  QStringList Names;
  for (int I = 0; I < 64; ++I)
    if (Bits & (std::uint64_t(1) << I))
      Names << GetEnumName(E, I);
  const String S = Names.join(QLatin1Char(','));
  return Brackets ? QLatin1Char('[') + S + QLatin1Char(']') : S;
}

void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value)
{
  const TEnumInfo* E = PropInfo->EnumType ? PropInfo->EnumType() : nullptr;
  String S = Value.trimmed();
  if (S.startsWith(QLatin1Char('[')) && S.endsWith(QLatin1Char(']')))
    S = S.mid(1, S.size() - 2);
  std::uint64_t Bits = 0;
  for (const String& Part : S.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const int V = GetEnumValue(E, Part.trimmed());
    if (V < 0 || V > 63)
      throw EPropertyError(QStringLiteral("Invalid enumeration name: %1").arg(Part.trimmed()));
    Bits |= std::uint64_t(1) << V;
  }
  SetOrdProp(Instance, PropInfo, Int64(Bits));
}

Int64 GetOrdProp(const TObject* Instance, const String& PropName)
{
  return GetOrdProp(Instance, NeedProp(Instance, PropName));
}

void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value)
{
  SetOrdProp(Instance, NeedProp(Instance, PropName), Value);
}

String GetStrProp(const TObject* Instance, const String& PropName)
{
  return GetStrProp(Instance, NeedProp(Instance, PropName));
}

void SetStrProp(TObject* Instance, const String& PropName, const String& Value)
{
  SetStrProp(Instance, NeedProp(Instance, PropName), Value);
}

TObject* GetObjectProp(const TObject* Instance, const String& PropName)
{
  return GetObjectProp(Instance, NeedProp(Instance, PropName));
}
