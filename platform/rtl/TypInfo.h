// TypInfo.h: the class registry and published-property metadata: what the
// form-description reader and writer know about each class, enumeration and set.
#pragma once

#include "platform/rtl/System.h"

#include <QStringList>

#include <any>
#include <functional>
#include <memory>
#include <typeinfo>
#include <utility>
#include <vector>

class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;

// What a published property holds; decides how it is read and written.
enum class TPropKind {
  Integer,      // 32-bit integers (and integer types with identifiers, such as colours)
  Int64,
  Enumeration,  // written as an identifier of its registered enumeration
  Boolean,      // False / True
  Set,          // [a, b] of a registered enumeration
  Float,        // double, TDateTime
  String,
  Char,
  Class,        // a TPersistent sub-object owned by the instance, read in place (Font, Lines)
  Component,    // a reference to a component, resolved by name after loading
  Collection,   // a TCollection sub-object: < item ... end >
  Event,        // a std::function member bound by name to a handler of the root
};

// The identifiers of an enumeration, in value order starting at MinValue.
struct TEnumInfo {
  String Name;
  QStringList Names;
  int MinValue = 0;
  bool Registered() const { return !Names.isEmpty(); }
};

String GetEnumName(const TEnumInfo* Info, int Value);
// -1 when the identifier is not one of the enumeration's (compared ignoring case).
int GetEnumValue(const TEnumInfo* Info, const String& Name);

// Identifiers for some values of an integer property (colour and cursor names).
using TIdentToInt = bool (*)(const String& Ident, Int64& Value);
using TIntToIdent = bool (*)(Int64 Value, String& Ident);

// One published property. The accessors take the instance as TObject and cast it
// to the registering class; which ones are set depends on Kind.
struct TPropInfo {
  String Name;
  TPropKind Kind = TPropKind::Integer;
  String TypeName;                             // for messages: "TFont", "TAlign", "Integer"
  const TEnumInfo* (*EnumType)() = nullptr;   // Enumeration and Set
  TClass (*PropClass)() = nullptr;             // Class, Component, Collection
  bool (*AcceptsObject)(const TObject*) = nullptr;  // Component: the value fits the property's type

  bool HasDefault = false;                     // ordinal kinds: written only when not the default
  Int64 OrdDefault = 0;
  double FloatDefault = 0.0;
  String StrDefault;
  std::function<bool(const TObject*)> IsStored;  // empty: always stored

  std::function<Int64(const TObject*)> GetOrd;          // Integer, Int64, Enumeration, Boolean, Set (bits), Char
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<double(const TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<String(const TObject*)> GetStr;
  std::function<void(TObject*, const String&)> SetStr;
  std::function<TObject*(const TObject*)> GetObj;       // Class, Component, Collection
  std::function<void(TObject*, TObject*)> SetObj;       // may be empty for sub-objects read in place

  // Events: whether one is assigned; assign a bound handler (false when the
  // handler's parameter list does not fit the event); clear it.
  std::function<bool(const TObject*)> EventAssigned;
  std::function<bool(TObject*, const std::any&)> SetEvent;
  std::function<void(TObject*)> ClearEvent;

  TIdentToInt IdentToInt = nullptr;
  TIntToIdent IntToIdent = nullptr;

  bool Writable() const;
  bool Stored(const TObject* Instance) const;
};

// A published handler of a root class (Button1Click): Bind gives the handler
// bound to a root instance, as std::function<R(Args...)> inside std::any.
struct THandlerInfo {
  String Name;
  std::function<std::any(TObject* Root)> Bind;
};

// A registered class: its name, parent, factories and published members.
struct TClassInfo {
  String Name;
  TClass Parent = nullptr;
  const std::type_info* Type = nullptr;
  bool (*IsInstance)(const TObject*) = nullptr;
  TComponent* (*CreateComponent)(TComponent* Owner) = nullptr;
  TPersistent* (*CreatePersistent)() = nullptr;
  TCollectionItem* (*CreateItem)(TCollection* Collection) = nullptr;
  std::vector<TPropInfo> OwnProps;       // in registration order
  std::vector<THandlerInfo> OwnHandlers;

  // The published properties with the inherited ones first (a property
  // registered again by a descendant replaces the inherited one in place).
  const std::vector<const TPropInfo*>& Properties() const;
  const TPropInfo* FindProperty(const String& Name) const;   // ignoring case
  const THandlerInfo* FindHandler(const String& Name) const; // this class and its ancestors
  bool InheritsFrom(TClass AClass) const;

  mutable std::vector<const TPropInfo*> FPropCache;
  mutable unsigned FPropCacheGeneration = 0;
};

// Class registry by name (the reader creates components through it).
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> Classes);
void UnRegisterClass(TClass AClass);
TClass GetClass(const String& ClassName);   // nullptr when unknown
TClass FindClass(const String& ClassName);  // EClassNotFound "Class %s not found"
String ClassNameOf(TClass AClass);
bool ClassInheritsFrom(TClass AClass, TClass Ancestor);

// Published-property access by name, for code that reads another class's
// properties (the report controls, the grid's data-source probe).
const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName);
const TPropInfo* GetPropInfo(TClass AClass, const String& PropName);
bool IsPublishedProp(const TObject* Instance, const String& PropName);
Int64 GetOrdProp(const TObject* Instance, const TPropInfo* PropInfo);
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, Int64 Value);
String GetStrProp(const TObject* Instance, const TPropInfo* PropInfo);
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
double GetFloatProp(const TObject* Instance, const TPropInfo* PropInfo);
void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value);
TObject* GetObjectProp(const TObject* Instance, const TPropInfo* PropInfo);
void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value);
String GetEnumProp(const TObject* Instance, const TPropInfo* PropInfo);
void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
String GetSetProp(const TObject* Instance, const TPropInfo* PropInfo, bool Brackets = false);
void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
// By name; an unknown property raises EPropertyError "Unknown property: '%s'".
Int64 GetOrdProp(const TObject* Instance, const String& PropName);
void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value);
String GetStrProp(const TObject* Instance, const String& PropName);
void SetStrProp(TObject* Instance, const String& PropName, const String& Value);
TObject* GetObjectProp(const TObject* Instance, const String& PropName);

namespace typinfo_detail {

unsigned& RegistryGeneration();
TClassInfo* NewClassInfo(const char* Name, const std::type_info& Type);
void RegisterName(TClass AClass);

template <class T> struct IsTSet : std::false_type {};
template <class E> struct IsTSet<TSet<E>> : std::true_type { using Enum = E; };

template <class E>
struct EnumHolder {
  static inline TEnumInfo Info;
};

template <class T>
TClassInfo* MakeClassInfo(const char* Name)
{
  TClassInfo* Info = NewClassInfo(Name, typeid(T));
  Info->IsInstance = [](const TObject* Obj) { return dynamic_cast<const T*>(Obj) != nullptr; };
  if constexpr (!std::is_abstract_v<T>) {
    if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*>)
      Info->CreateComponent = [](TComponent* Owner) -> TComponent* { return new T(Owner); };
    else if constexpr (std::is_base_of_v<TCollectionItem, T> && std::is_constructible_v<T, TCollection*>)
      Info->CreateItem = [](TCollection* C) -> TCollectionItem* { return new T(C); };
    else if constexpr (std::is_base_of_v<TPersistent, T> && std::is_default_constructible_v<T>)
      Info->CreatePersistent = []() -> TPersistent* { return new T(); };
  }
  return Info;
}

template <class T>
TClassInfo* ClassInfoFor(const char* Name)
{
  static TClassInfo* Info = MakeClassInfo<T>(Name);
  return Info;
}

} // namespace typinfo_detail

// In the body of every class that the registry must know by its own name:
//   class TButton : public TWinControl {
//     VELMORA_CLASS(TButton)
//   public: ...
// It leaves the access at public.
#define VELMORA_CLASS(Cls)                                                           \
public:                                                                               \
  static TClass StaticClass() { return ::typinfo_detail::ClassInfoFor<Cls>(#Cls); } \
  TClass ClassType() const override { return StaticClass(); }

// The enumeration's identifiers, in value order from 0 (or from MinValue).
//   RegisterEnum<TAlign>("TAlign", {"alNone", "alTop", "alBottom", ...});
template <class E>
void RegisterEnum(const char* TypeName, std::initializer_list<const char*> Names, int MinValue = 0)
{
  static_assert(std::is_enum_v<E>, "RegisterEnum takes an enumeration");
  TEnumInfo& Info = typinfo_detail::EnumHolder<E>::Info;
  Info.Name = QString::fromLatin1(TypeName);
  Info.Names.clear();
  for (const char* N : Names)
    Info.Names << QString::fromLatin1(N);
  Info.MinValue = MinValue;
}

template <class E>
const TEnumInfo* EnumInfoOf()
{
  return &typinfo_detail::EnumHolder<E>::Info;
}
const TEnumInfo* BooleanEnumInfo();

// Registration of a class and its published members, a few lines per class:
//   RegisterClassInfo<TButton, TWinControl>("TButton")
//     .Property("Caption", &TButton::Caption, &TButton::SetCaption)
//     .Property("Default", &TButton::Default, &TButton::SetDefault, false)
//     .Event("OnClick", &TButton::OnClick);
//   RegisterClassInfo<TForm30, TForm>("TForm30").Handler("Button1Click", &TForm30::Button1Click);
// The modifiers Stored(), NoDefault() and Idents() apply to the property
// registered last. Registering again is harmless: a member of the same name is
// replaced.
template <class C>
class TClassBuilder {
public:
  explicit TClassBuilder(TClassInfo* Info) : FInfo(Info) {}
  TClass Class() const { return FInfo; }

  // A property without a default: ordinal values are always written, strings
  // when not empty, floats when not 0, sub-objects when they hold anything.
  template <class G, class S>
  TClassBuilder& Property(const char* Name, G Getter, S Setter)
  {
    TPropInfo P = MakeProp(Name, Getter, Setter);
    return Add(std::move(P));
  }

  // A property with its default: not written when it holds the default.
  template <class G, class S, class D>
  TClassBuilder& Property(const char* Name, G Getter, S Setter, D Default)
  {
    TPropInfo P = MakeProp(Name, Getter, Setter);
    using V = ValueOf<G>;
    P.HasDefault = true;
    if constexpr (std::is_same_v<V, String>)
      P.StrDefault = String(Default);
    else if constexpr (std::is_floating_point_v<V> || std::is_same_v<V, TDateTime>)
      P.FloatDefault = double(Default);
    else
      P.OrdDefault = ToOrd<V>(V(Default));
    return Add(std::move(P));
  }

  // A sub-object that is read in place (Font, Lines, Columns).
  template <class G>
  TClassBuilder& Property(const char* Name, G Getter)
  {
    return Property(Name, Getter, nullptr);
  }

  TClassBuilder& Stored(bool Value)
  {
    Last().IsStored = [Value](const TObject*) { return Value; };
    return *this;
  }
  template <class B>
  TClassBuilder& Stored(bool (B::*Pred)() const)
  {
    Last().IsStored = [Pred](const TObject* Obj) { return (static_cast<const C*>(Obj)->*Pred)(); };
    return *this;
  }
  TClassBuilder& NoDefault()
  {
    Last().HasDefault = false;
    return *this;
  }
  TClassBuilder& Idents(TIdentToInt ToInt, TIntToIdent ToIdent)
  {
    Last().IdentToInt = ToInt;
    Last().IntToIdent = ToIdent;
    return *this;
  }

  // An event: a std::function data member of the class.
  template <class Sig, class B>
  TClassBuilder& Event(const char* Name, std::function<Sig> B::*Member)
  {
    using F = std::function<Sig>;
    TPropInfo P;
    P.Name = QString::fromLatin1(Name);
    P.Kind = TPropKind::Event;
    P.TypeName = QStringLiteral("event");
    P.EventAssigned = [Member](const TObject* Obj) { return bool(static_cast<const C*>(Obj)->*Member); };
    P.SetEvent = [Member](TObject* Obj, const std::any& Handler) {
      const F* Fn = std::any_cast<F>(&Handler);
      if (!Fn)
        return false;
      static_cast<C*>(Obj)->*Member = *Fn;
      return true;
    };
    P.ClearEvent = [Member](TObject* Obj) { static_cast<C*>(Obj)->*Member = nullptr; };
    return Add(std::move(P));
  }

  // A published handler of a root class, bound by name to event properties.
  template <class R, class B, class... A>
  TClassBuilder& Handler(const char* Name, R (B::*Method)(A...))
  {
    THandlerInfo H;
    H.Name = QString::fromLatin1(Name);
    H.Bind = [Method](TObject* Root) -> std::any {
      C* Self = static_cast<C*>(Root);
      return std::function<R(A...)>([Self, Method](A... Args) -> R { return (Self->*Method)(std::forward<A>(Args)...); });
    };
    for (THandlerInfo& Old : FInfo->OwnHandlers)
      if (Old.Name.compare(H.Name, Qt::CaseInsensitive) == 0) {
        Old = std::move(H);
        return *this;
      }
    FInfo->OwnHandlers.push_back(std::move(H));
    return *this;
  }

private:
  template <class G>
  using ValueOf = std::decay_t<std::invoke_result_t<G, const C*>>;

  template <class V>
  static Int64 ToOrd(const V& Value)
  {
    if constexpr (typinfo_detail::IsTSet<V>::value)
      return Int64(Value.Bits());
    else if constexpr (std::is_same_v<V, QChar>)
      return Int64(Value.unicode());
    else
      return Int64(Value);
  }
  template <class V>
  static V FromOrd(Int64 Value)
  {
    if constexpr (typinfo_detail::IsTSet<V>::value)
      return V::FromBits(std::uint64_t(Value));
    else if constexpr (std::is_same_v<V, QChar>)
      return QChar(char16_t(Value));
    else
      return static_cast<V>(Value);
  }

  template <class G, class S>
  TPropInfo MakeProp(const char* Name, G Getter, S Setter)
  {
    using V = ValueOf<G>;
    constexpr bool HasSetter = !std::is_same_v<S, std::nullptr_t>;
    TPropInfo P;
    P.Name = QString::fromLatin1(Name);
    auto Get = [Getter](const TObject* Obj) -> V { return std::invoke(Getter, static_cast<const C*>(Obj)); };

    if constexpr (std::is_same_v<V, String>) {
      P.Kind = TPropKind::String;
      P.TypeName = QStringLiteral("String");
      P.GetStr = Get;
      if constexpr (HasSetter)
        P.SetStr = [Setter](TObject* Obj, const String& Value) { std::invoke(Setter, static_cast<C*>(Obj), Value); };
    } else if constexpr (std::is_floating_point_v<V> || std::is_same_v<V, TDateTime>) {
      P.Kind = TPropKind::Float;
      P.TypeName = std::is_same_v<V, TDateTime> ? QStringLiteral("TDateTime") : QStringLiteral("Double");
      P.GetFloat = [Get](const TObject* Obj) { return double(Get(Obj)); };
      if constexpr (HasSetter)
        P.SetFloat = [Setter](TObject* Obj, double Value) { std::invoke(Setter, static_cast<C*>(Obj), V(Value)); };
    } else if constexpr (std::is_pointer_v<V>) {
      using T = std::remove_cv_t<std::remove_pointer_t<V>>;
      static_assert(std::is_base_of_v<TPersistent, T>, "a class property holds a TPersistent descendant");
      if constexpr (std::is_base_of_v<TCollection, T>)
        P.Kind = TPropKind::Collection;
      else if constexpr (std::is_base_of_v<TComponent, T>)
        P.Kind = TPropKind::Component;
      else
        P.Kind = TPropKind::Class;
      P.PropClass = []() -> TClass { return T::StaticClass(); };
      P.AcceptsObject = [](const TObject* Obj) { return Obj == nullptr || dynamic_cast<const T*>(Obj) != nullptr; };
      P.GetObj = [Get](const TObject* Obj) -> TObject* { return const_cast<T*>(Get(Obj)); };
      if constexpr (HasSetter)
        P.SetObj = [Setter](TObject* Obj, TObject* Value) {
          std::invoke(Setter, static_cast<C*>(Obj), dynamic_cast<T*>(Value));
        };
    } else {
      if constexpr (std::is_same_v<V, bool>) {
        P.Kind = TPropKind::Boolean;
        P.TypeName = QStringLiteral("Boolean");
        P.EnumType = &BooleanEnumInfo;
      } else if constexpr (typinfo_detail::IsTSet<V>::value) {
        P.Kind = TPropKind::Set;
        P.EnumType = &EnumInfoOf<typename typinfo_detail::IsTSet<V>::Enum>;
      } else if constexpr (std::is_enum_v<V>) {
        P.Kind = TPropKind::Enumeration;
        P.EnumType = &EnumInfoOf<V>;
      } else if constexpr (std::is_same_v<V, QChar> || std::is_same_v<V, char16_t>) {
        P.Kind = TPropKind::Char;
        P.TypeName = QStringLiteral("Char");
      } else {
        static_assert(std::is_integral_v<V>, "unsupported published property type");
        P.Kind = (sizeof(V) < 4 || (sizeof(V) == 4 && std::is_signed_v<V>)) ? TPropKind::Integer : TPropKind::Int64;
        P.TypeName = QStringLiteral("Integer");
      }
      P.GetOrd = [Get](const TObject* Obj) { return ToOrd<V>(Get(Obj)); };
      if constexpr (HasSetter)
        P.SetOrd = [Setter](TObject* Obj, Int64 Value) { std::invoke(Setter, static_cast<C*>(Obj), FromOrd<V>(Value)); };
    }
    return P;
  }

  TClassBuilder& Add(TPropInfo P)
  {
    ++typinfo_detail::RegistryGeneration();
    for (std::size_t I = 0; I < FInfo->OwnProps.size(); ++I)
      if (FInfo->OwnProps[I].Name.compare(P.Name, Qt::CaseInsensitive) == 0) {
        FInfo->OwnProps[I] = std::move(P);
        FLast = I;
        return *this;
      }
    FInfo->OwnProps.push_back(std::move(P));
    FLast = FInfo->OwnProps.size() - 1;
    return *this;
  }
  TPropInfo& Last()
  {
    ++typinfo_detail::RegistryGeneration();
    return FInfo->OwnProps.at(FLast);
  }

  TClassInfo* FInfo;
  std::size_t FLast = 0;
};

// Gives C its parent and its name in the registry and starts its member list.
template <class C, class Base>
TClassBuilder<C> RegisterClassInfo(const char* Name)
{
  static_assert(std::is_base_of_v<Base, C>, "the parent must be a base of the class");
  TClassInfo* Info = const_cast<TClassInfo*>(C::StaticClass());
  Info->Name = QString::fromLatin1(Name);
  Info->Parent = Base::StaticClass();
  ++typinfo_detail::RegistryGeneration();
  typinfo_detail::RegisterName(Info);
  return TClassBuilder<C>(Info);
}
