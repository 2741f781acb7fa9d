// MemoryRows.h: a dataset over rows held in memory, for report runs that
// need data without a server: the platform's dataset protocol in full
// (navigation, bookmarks, fields), read-only.
#pragma once

#include "platform/data/DB.h"

#include <vector>

class TMemoryRows : public TDataSet {
public:
  struct TColumn {
    String Name;
    TFieldType Type = ftWideString;
  };

  TMemoryRows(TComponent* AOwner, const String& AName, std::vector<TColumn> Columns,
              std::vector<std::vector<Variant>> Rows)
    : TDataSet(AOwner), FColumns(std::move(Columns)), FRows(std::move(Rows))
  {
    SetName(AName);
  }
  ~TMemoryRows() override { Close(); }

  // Replaces the rows; an open dataset starts again at its first row.
  void SetRows(std::vector<std::vector<Variant>> Rows)
  {
    const bool WasOpen = Active();
    Close();
    FRows = std::move(Rows);
    if (WasOpen)
      Open();
  }

protected:
  struct TBuf {
    int Row = -1;
    TBookmarkFlag Flag = bfCurrent;
  };
  static TBuf* Buf(TRecordBuffer B) { return reinterpret_cast<TBuf*>(B); }
  int Count() const { return int(FRows.size()); }

  TRecordBuffer AllocRecordBuffer() override { return reinterpret_cast<TRecordBuffer>(new TBuf()); }
  void FreeRecordBuffer(TRecordBuffer& Buffer) override
  {
    delete Buf(Buffer);
    Buffer = 0;
  }
  TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool /*DoCheck*/) override
  {
    switch (GetMode) {
    case gmCurrent:
      if (FPos < 0 || FPos >= Count())
        return grError;
      break;
    case gmNext:
      if (FPos >= Count() - 1) {
        FPos = Count();
        return grEOF;
      }
      ++FPos;
      break;
    case gmPrior:
      if (FPos <= 0) {
        FPos = -1;
        return grBOF;
      }
      FPos = std::min(FPos, Count()) - 1;
      break;
    }
    Buf(Buffer)->Row = FPos;
    Buf(Buffer)->Flag = bfCurrent;
    return grOK;
  }
  void InternalOpen() override
  {
    InternalInitFieldDefs();
    if (DefaultFields())
      CreateFields();
    BindFields(true);
    FPos = -1;
    FOpen = true;
  }
  void InternalClose() override
  {
    BindFields(false);
    if (DefaultFields())
      DestroyFields();
    FOpen = false;
    FPos = -1;
  }
  bool IsCursorOpen() const override { return FOpen; }
  void InternalInitFieldDefs() override
  {
    FieldDefs()->Clear();
    for (std::size_t C = 0; C < FColumns.size(); ++C) {
      TFieldDef* D = FieldDefs()->AddFieldDef();
      D->SetName(FColumns[C].Name);
      D->SetDataType(FColumns[C].Type);
      D->SetSize(FColumns[C].Type == ftWideString ? 100 : 0);
      D->SetFieldNo(Integer(C) + 1);
    }
  }
  void InternalFirst() override { FPos = -1; }
  void InternalLast() override { FPos = Count(); }
  void InternalGotoBookmark(const TBookmark& Bookmark) override { FPos = RowOf(Bookmark); }
  void InternalSetToRecord(TRecordBuffer Buffer) override { FPos = Buf(Buffer)->Row; }
  TBookmark GetBookmarkData(TRecordBuffer Buffer) const override
  {
    const int Row = Buf(Buffer)->Row;
    return TBookmark(reinterpret_cast<const char*>(&Row), sizeof Row);
  }
  void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override { Buf(Buffer)->Row = RowOf(Data); }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) const override { return Buf(Buffer)->Flag; }
  void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override { Buf(Buffer)->Flag = Value; }
  Integer GetRecordCount() const override { return Count(); }
  Integer GetRecNo() const override
  {
    const TRecordBuffer B = ActiveBuffer();
    return B ? Buf(B)->Row + 1 : -1;
  }
  bool GetCanModify() const override { return false; }
  void InternalDelete() override {}
  void InternalAddRecord(TRecordBuffer /*Buffer*/, bool /*Append*/) override {}
  bool GetFieldData(TField* Field, Variant& Value) const override
  {
    const TRecordBuffer B = StateBuffer();
    const int Row = B ? Buf(B)->Row : -1;
    const int Col = Field->FieldNo() - 1;
    if (Row < 0 || Row >= Count() || Col < 0 || Col >= int(FRows[std::size_t(Row)].size()))
      return false;
    Value = FRows[std::size_t(Row)][std::size_t(Col)];
    return !VarIsNull(Value) && !VarIsEmpty(Value);
  }
  void SetFieldData(TField* /*Field*/, const Variant& /*Value*/) override {}

private:
  static int RowOf(const TBookmark& B)
  {
    int Row = -1;
    if (B.size() == sizeof Row)
      std::memcpy(&Row, B.constData(), sizeof Row);
    return Row;
  }

  std::vector<TColumn> FColumns;
  std::vector<std::vector<Variant>> FRows;
  int FPos = -1;
  bool FOpen = false;
};
