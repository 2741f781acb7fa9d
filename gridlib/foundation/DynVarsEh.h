// DynVarsEh.h: named Variant values: the parameter bag that a drop-down form
// receives and returns. A lookup of a missing name never fails: it hands out
// the collection's stand-by variable, which joins the collection when written.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"

class TCustomDynVarsEh;

class TCustomDynVarEh : public TCollectionItem {
  VELMORA_CLASS(TCustomDynVarEh)
  using inherited = TCollectionItem;
public:
  explicit TCustomDynVarEh(TCollection* Collection);

  // Unassigned again, without a change notice.
  void Clear() { FData = Variant(); }
  // The collection of a member; nullptr for a stand-by variable.
  TCustomDynVarsEh* VarCollection() const;
  bool IsDummy() const { return FIsDummy; }
  String Name() const { return FName; }
  void SetName(const String& Value);
  bool IsNull() const { return FData.IsEmpty() || FData.IsNull(); }
  bool IsEqual(const TCustomDynVarEh* Other) const;
  String DisplayName() const override;

protected:
  friend class TCustomDynVarsEh;
  void AssignTo(TPersistent* Dest) override;
  // Every writer runs this first: a stand-by variable joins its collection.
  void CheckAdoptDummy();
  // Adopts, stores and signals the change.
  void SetData(const Variant& Value);
  const Variant& Data() const { return FData; }
  String DataAsString() const;

  Variant FData;
  bool FIsDummy = false;
  String FName;
  TCustomDynVarsEh* FOwnerWhenDummy = nullptr;
};

class TDynVarEh : public TCustomDynVarEh {
  VELMORA_CLASS(TDynVarEh)
  using inherited = TCustomDynVarEh;
public:
  explicit TDynVarEh(TCollection* Collection) : TCustomDynVarEh(Collection) {}

  const Variant& Value() const { return FData; }
  void SetValue(const Variant& Value) { SetData(Value); }
  bool AsBoolean() const;
  void SetAsBoolean(bool Value) { SetData(Variant(Value)); }
  Currency AsCurrency() const;
  void SetAsCurrency(Currency Value) { SetData(Variant(Value)); }
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime Value) { SetData(Variant(Value)); }
  double AsFloat() const;
  void SetAsFloat(double Value) { SetData(Variant(Value)); }
  Integer AsInteger() const;
  void SetAsInteger(Integer Value) { SetData(Variant(Value)); }
  // An object reference, held pointer-sized (never cut to 32 bits).
  TObject* AsRefObject() const;
  void SetAsRefObject(TObject* Value);
  String AsString() const { return DataAsString(); }
  // Stores the text without a change notice.
  void SetAsString(const String& Value);
};

class TStringVarEh : public TCustomDynVarEh {
  VELMORA_CLASS(TStringVarEh)
  using inherited = TCustomDynVarEh;
public:
  explicit TStringVarEh(TCollection* Collection) : TCustomDynVarEh(Collection) {}
  String Value() const { return DataAsString(); }
  void SetValue(const String& Value) { SetData(Variant(Value)); }
};

class TCustomDynVarsEh : public TCollection {
  VELMORA_CLASS(TCustomDynVarsEh)
  using inherited = TCollection;
public:
  explicit TCustomDynVarsEh(TPersistent* AOwner, TClass ItemClass = TCustomDynVarEh::StaticClass());
  ~TCustomDynVarsEh() override;

  TCustomDynVarEh* Items(Integer Index) const { return static_cast<TCustomDynVarEh*>(inherited::Items(Index)); }
  // Gives the name and value of Value to the variable at Index.
  void SetItems(Integer Index, TCustomDynVarEh* Value) { Items(Index)->Assign(Value); }
  // The named variable, or the stand-by variable under that name.
  TCustomDynVarEh* DynVar(const String& VarName) { return GetDynVar(VarName); }
  TCustomDynVarEh* GetDynVar(const String& VarName);
  TCustomDynVarEh* FindDynVar(const String& VarName) const;
  bool VarExists(const String& VarName) const { return FindDynVar(VarName) != nullptr; }
  void DeleteDynVar(const String& VarName);
  // Moves Value into this collection; a name already here raises.
  void AddDynVar(TCustomDynVarEh* Value);
  // Takes Value out without freeing it; the caller owns it then.
  void RemoveDynVar(TCustomDynVarEh* Value);
  bool IsEqual(const TCustomDynVarsEh* Value) const;
  // The namesakes here take the name and value of Value's variables.
  void AssignValues(const TCustomDynVarsEh* Value);
  TCustomDynVarEh* DummyVar() const { return FDummyVar; }

  TNotifyEvent OnChange;

protected:
  friend class TCustomDynVarEh;
  virtual TClass GetDynVarClass() const { return TCustomDynVarEh::StaticClass(); }
  TPersistent* GetOwner() const override { return FOwner; }
  void AssignTo(TPersistent* Dest) override;
  void Update(TCollectionItem* Item) override;
  TCustomDynVarEh* CreateVar(const String& VarName, const Variant& AValue);
  void CheckNameIsFree(const String& VarName, const TCustomDynVarEh* Except) const;
  void NewDummyVar();

private:
  TCustomDynVarEh* FDummyVar = nullptr;   // owned until adopted
  TPersistent* FOwner;
};

class TDynVarsEh : public TCustomDynVarsEh {
  VELMORA_CLASS(TDynVarsEh)
  using inherited = TCustomDynVarsEh;
public:
  explicit TDynVarsEh(TPersistent* AOwner);
  TDynVarEh* Items(Integer Index) const { return static_cast<TDynVarEh*>(inherited::Items(Index)); }
  TDynVarEh* DynVar(const String& VarName) { return static_cast<TDynVarEh*>(GetDynVar(VarName)); }
  TDynVarEh* FindDynVar(const String& VarName) const
  {
    return static_cast<TDynVarEh*>(inherited::FindDynVar(VarName));
  }
  TDynVarEh* CreateDynVar(const String& VarName, const Variant& AValue)
  {
    return static_cast<TDynVarEh*>(CreateVar(VarName, AValue));
  }
  TDynVarEh* CreateDynVar(const String& VarName, TObject* AValue);

protected:
  TClass GetDynVarClass() const override { return TDynVarEh::StaticClass(); }
};

class TStringVarsEh : public TCustomDynVarsEh {
  VELMORA_CLASS(TStringVarsEh)
  using inherited = TCustomDynVarsEh;
public:
  explicit TStringVarsEh(TPersistent* AOwner);
  TStringVarEh* Items(Integer Index) const { return static_cast<TStringVarEh*>(inherited::Items(Index)); }
  TStringVarEh* FindDynVar(const String& VarName) const
  {
    return static_cast<TStringVarEh*>(inherited::FindDynVar(VarName));
  }
  TStringVarEh* CreateDynVar(const String& VarName, const String& AValue)
  {
    return static_cast<TStringVarEh*>(CreateVar(VarName, Variant(AValue)));
  }
  // The value of an existing variable; a missing name raises.
  String Str(const String& VarName) const { return GetVarValue(VarName); }
  void SetStr(const String& VarName, const String& Value) { SetVarValue(VarName, Value); }
  String GetVarValue(const String& VarName) const;
  void SetVarValue(const String& VarName, const String& Value);
  // "name=value" lines, each ended by CR LF.
  String GetAsTextString() const;
  void SetFromTextString(const String& TextString);

protected:
  TClass GetDynVarClass() const override { return TStringVarEh::StaticClass(); }

private:
  TStringVarEh* VarOrRaise(const String& VarName) const;
};

void RegisterDynVarsEhClasses();
