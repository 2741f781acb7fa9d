// DBLookupUtilsEh.h: a column's lookup description (key fields of the grid's
// dataset matched against a lookup dataset) and its sorted key-to-text cache.
#pragma once

#include "gridlib/foundation/GridPlatformEh.h"
#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"

class TAxisBarEh;
class TDBLookupDataEh;

// One key and the text it stands for.
class TLookupPairEh : public TObject {
public:
  TLookupPairEh(const Variant& AKeyValue, const Variant& ADisplayValue)
    : KeyValue(AKeyValue), DisplayValue(ADisplayValue) {}
  Variant KeyValue;
  Variant DisplayValue;
};

// Pairs sorted by key so that drawing many rows needs no dataset search.
class TLookupListEh : public TObject {
public:
  TLookupListEh();
  ~TLookupListEh() override;

  void Add(const Variant& KeyValue, const Variant& DisplayValue);
  void Clear();
  Integer Count() const { return FList.Count(); }
  // Unassigned when no pair has an equal key; the list must be sorted.
  Variant ValueOfKey(const Variant& KeyValue);
  void SortData();

protected:
  bool FindKeyIndex(const Variant& KeyValue, Integer& Index);
  void QuickSort(Integer L, Integer R);

private:
  TLookupPairEh* Pair(Integer I) const { return static_cast<TLookupPairEh*>(FList.Items(I)); }
  TObjectListEh FList;
};

// Link to the grid's data source.
class TDataSourceLinkEh : public TDataLink {
  VELMORA_CLASS(TDataSourceLinkEh)
  using inherited = TDataLink;
public:
  TDataSourceLinkEh() = default;
  TDBLookupDataEh* FLookupData = nullptr;

protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
};

// Link to the lookup dataset.
class TListSourceLinkEh : public TDataLink {
  VELMORA_CLASS(TListSourceLinkEh)
  using inherited = TDataLink;
public:
  TListSourceLinkEh() = default;
  TDBLookupDataEh* FLookupData = nullptr;

protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void DataSetChanged() override;
};

class TDBLookupDataEh : public TPersistent {
  VELMORA_CLASS(TDBLookupDataEh)
  using inherited = TPersistent;
public:
  explicit TDBLookupDataEh(TAxisBarEh* AColumn);
  ~TDBLookupDataEh() override;
  void Assign(TPersistent* Source) override;

  String KeyFieldNames() const;
  void SetKeyFieldNames(const String& Value);
  bool LookupCache() const { return FLookupCache; }
  void SetLookupCache(bool Value);
  TDataSet* LookupDataSet() const;
  void SetLookupDataSet(TDataSet* Value);
  String LookupDisplayFieldName() const;
  void SetLookupDisplayFieldName(const String& Value);
  String LookupKeyFieldNames() const;
  void SetLookupKeyFieldNames(const String& Value);
  bool LookupDataIsStored() const { return !FLookupInDataField; }

  TDataSource* DataSource() const;
  const TFieldsArrEh& KeyFields() const { return FKeyFields; }
  bool KeyFieldsIsNull() const { return GetKeyFieldsIsNull(); }
  bool LookupActive() const { return FLookupActive; }
  TField* LookupDisplayField() const { return FLookupDisplayField; }
  bool LookupIsSetUp() const { return FLookupIsSetUp; }
  const TFieldsArrEh& LookupKeyFields() const { return FLookupKeyFields; }
  bool LookupInDataField() const { return FLookupInDataField; }
  bool LookupListActive() const { return FLookupListActive; }
  TLookupListEh* LookupListCache() const { return FLookupListCache.get(); }

  // The display value for the grid's current record.
  Variant GetLookupValue();
  void UpdateLookupState() { UpdateDataFields(); }
  void RefreshLookupListCache();

  virtual void GetLookupValueOfRecord(Integer RecNo, Variant& Value);
  virtual void RefreshDataFields() { UpdateDataFields(); }
  virtual void DataChanged() {}
  virtual void ListDataSetChanged() {}
  virtual void UpdateDataFields();
  virtual void UpdateListFields();
  virtual void LookupDataSetChanged();

protected:
  TPersistent* GetOwner() const override;
  bool GetKeyFieldsIsNull() const;

private:
  TField* ColumnField() const;
  TDataSet* GridDataSet() const;
  void CheckCanSetLookupProperty();
  void CheckDataSourceCircularLinks();
  void SetLookupInDataField(bool Value);
  void UpdateLookupIsSetUp();
  void UpdateLookupActive();
  bool CalcLookupActive() const;
  bool CalcLookupIsSetUp() const;

  TAxisBarEh* FAxisBar;
  std::unique_ptr<TDataSourceLinkEh> FDataLink;
  std::unique_ptr<TDataSource> FInternalLookupSource;
  String FKeyFieldNames;
  TFieldsArrEh FKeyFields;
  bool FLookupActive = false;
  bool FLookupCache = true;
  TDataSet* FLookupDataSet = nullptr;
  TField* FLookupDisplayField = nullptr;
  String FLookupDisplayFieldName;
  bool FLookupInDataField = false;
  bool FLookupIsSetUp = false;
  String FLookupKeyFieldNames;
  TFieldsArrEh FLookupKeyFields;
  std::unique_ptr<TListSourceLinkEh> FLookupLink;
  bool FLookupListActive = false;
  std::unique_ptr<TLookupListEh> FLookupListCache;
  bool FDataFieldsUpdating = false;
};

