// MemTableDataEhRecords.cpp: memory records, the records list with its change
// log, and the key indexes kept over the list.
#include "gridlib/memtable/MemTableDataEh.h"

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/rtl/ScopeExit.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <set>

[[noreturn]] static void ListIndexError(Integer Index)
{
  throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

// ---------------------------------------------------------------------------
// Memory records and records list.

Variant ConvertToColumnKindEh(const Variant& Value, TVarType AVarType)
{
  const TVarType Kind = Value.VType();
  if (Kind == varNull || Kind == varEmpty || AVarType == varVariant || AVarType == varEmpty || AVarType == varError)
    return Value;
  if (Kind == AVarType)
    return Value;
  if (AVarType == varString && Value.IsArray())
    return Variant(Value.AsBytes());
  if (AVarType == (varArray | varByte)) {
    if (Kind == varString)
      return Variant::FromBytes(Value.AsAnsiString());
    if (Kind == varUString || Kind == varOleStr)
      return Variant::FromBytes(Value.AsString().toUtf8());
    if (Value.IsArray())
      return Variant::FromBytes(Value.AsBytes());
  }
  return VarAsType(Value, AVarType);
}

// --- packed record values

namespace {

using TTag = TRecValuesEh::TTag;

constexpr size_t HeadBytes = sizeof(std::uint32_t);

std::uint64_t LoadSlot(const unsigned char* P)
{
  std::uint64_t V;
  std::memcpy(&V, P, sizeof V);
  return V;
}

// A number of type T at P, widened to 64 bits by its sign.
template <class T>
std::uint64_t LoadAs(const unsigned char* P)
{
  T V;
  std::memcpy(&V, P, sizeof V);
  return std::uint64_t(Int64(V));
}

std::uint64_t DoubleBits(double D)
{
  return std::bit_cast<std::uint64_t>(D);
}

// The bytes a number of each kind takes; texts and Nulls have none fixed.
size_t NumberBytes(TTag Tag)
{
  switch (Tag) {
  case TRecValuesEh::tBoolean: case TRecValuesEh::tShortInt: case TRecValuesEh::tByte: return 1;
  case TRecValuesEh::tSmallint: case TRecValuesEh::tWord: return 2;
  case TRecValuesEh::tInteger: case TRecValuesEh::tLongWord: return 4;
  case TRecValuesEh::tEmpty: case TRecValuesEh::tNull: case TRecValuesEh::tLatin1: case TRecValuesEh::tUtf16:
  case TRecValuesEh::tAnsi: return 0;
  default: return 8;
  }
}

// The width code kept in the head's top bits and the width of an end.
constexpr unsigned WidthShift = 30;
size_t WidthOfCode(std::uint32_t Code)
{
  return Code == 0 ? 1 : Code == 1 ? 2 : 4;
}

size_t DataStartFor(size_t Count, size_t Width)
{
  return (HeadBytes + Count + Count * Width + 1) & ~size_t(1);
}

// The narrowest ends that reach the end of a block of Count values and
// DataBytes of values.
std::uint32_t WidthCodeFor(size_t Count, size_t DataBytes)
{
  if (DataStartFor(Count, 1) + DataBytes <= 0xFF)
    return 0;
  if (DataStartFor(Count, 2) + DataBytes <= 0xFFFF)
    return 1;
  if (DataStartFor(Count, 4) + DataBytes > 0xFFFFFFFFu)
    throw EOutOfMemory(QStringLiteral("A value is too long for a record"));
  return 2;
}

void StoreEnd(unsigned char* At, size_t Width, size_t End)
{
  const auto V = std::uint32_t(End);
  if (Width == 1)
    *At = std::uint8_t(V);
  else if (Width == 2)
    std::memcpy(At, &V, 2);   // little-endian: the low half
  else
    std::memcpy(At, &V, 4);
}

size_t LoadEnd(const unsigned char* At, size_t Width)
{
  if (Width == 1)
    return *At;
  if (Width == 2) {
    std::uint16_t V;
    std::memcpy(&V, At, 2);
    return V;
  }
  std::uint32_t V;
  std::memcpy(&V, At, 4);
  return V;
}

// The page of 128 characters that, with ASCII, holds every character of S;
// -1 when there is none below U+2000 (the page must fit the tag's six bits).
int OnePage(const String& S)
{
  int Page = -1;
  for (QChar C : S) {
    const char16_t U = C.unicode();
    if (U < 0x80)
      continue;
    const int P = U >> 7;
    if (Page == -1) {
      if (P > 0x3F)
        return -1;
      Page = P;
    } else if (P != Page) {
      return -1;
    }
  }
  return Page;
}

bool FitsLatin1(const String& S)
{
  return std::all_of(S.begin(), S.end(), [](QChar C) { return C.unicode() < 256; });
}

// A block of Bytes in the records' pool, or on the heap.
unsigned char* NewBlock(size_t Bytes, bool Heap)
{
  if (!Heap)
    return static_cast<unsigned char*>(RecPoolAllocEh(Bytes));
  auto* Block = static_cast<unsigned char*>(std::malloc(std::max<size_t>(Bytes, 1)));
  if (!Block)
    throw std::bad_alloc();
  return Block;
}

void DeleteBlock(unsigned char* Block, size_t Bytes, bool Heap)
{
  if (Heap)
    std::free(Block);
  else
    RecPoolFreeEh(Block, Bytes);
}

// The room a pooled block of Bytes has: the pool's next four bytes.
size_t PoolRoom(size_t Bytes)
{
  return (std::max<size_t>(Bytes, 1) + 3) & ~size_t(3);
}

void SetHeapBit(unsigned char* Block, bool Heap)
{
  std::uint32_t Head;
  std::memcpy(&Head, Block, sizeof Head);
  Head = Heap ? Head | TRecValuesEh::HeapBit : Head & ~TRecValuesEh::HeapBit;
  std::memcpy(Block, &Head, sizeof Head);
}

// Texts widened from a page, a few kept so that a comparison of two holds.
QStringView Widened(const unsigned char* Bytes, size_t Length, unsigned Page)
{
  thread_local String Buffers[4];
  thread_local unsigned Next = 0;
  String& Out = Buffers[Next++ & 3];
  Out.resize(qsizetype(Length));
  QChar* W = Out.data();
  const char16_t Base = char16_t(Page << 7);
  for (size_t K = 0; K < Length; ++K) {
    const unsigned char B = Bytes[K];
    W[K] = QChar(B < 0x80 ? char16_t(B) : char16_t(Base + (B - 0x80)));
  }
  return QStringView(Out);
}

}  // namespace

TRecValuesEh TRecValuesEh::Nulls(Integer Count)
{
  TRecValuesEh R;
  const size_t N = size_t(std::max(Count, 0));
  if (N > CountMask)
    throw EOutOfMemory(QStringLiteral("Too many values for a record"));
  const std::uint32_t Code = WidthCodeFor(N, 0);
  const size_t Width = WidthOfCode(Code), Start = DataStartFor(N, Width);
  // On the heap: it is filled value by value next, and grows there in place.
  R.FBlock = static_cast<unsigned char*>(std::calloc(1, std::max<size_t>(Start, 1)));
  if (!R.FBlock)
    throw std::bad_alloc();
  const std::uint32_t Head = std::uint32_t(N) | HeapBit | (Code << WidthShift);
  std::memcpy(R.FBlock, &Head, sizeof Head);
  std::memset(R.FBlock + HeadBytes, tNull, N);
  for (size_t I = 0; I < N; ++I)
    StoreEnd(R.FBlock + HeadBytes + N + I * Width, Width, Start);
  return R;
}

TRecValuesEh TRecValuesEh::FromVariants(const TRecDataValues& Values)
{
  TRecValuesEh R = Nulls(Integer(Values.size()));
  for (size_t I = 0; I < Values.size(); ++I)
    R.Set(Integer(I), Values[I]);
  return R;
}

std::uint32_t TRecValuesEh::Head() const
{
  std::uint32_t Head;
  std::memcpy(&Head, FBlock, sizeof Head);
  return Head;
}

size_t TRecValuesEh::EndWidth() const
{
  return WidthOfCode(Head() >> WidthShift);
}

size_t TRecValuesEh::DataStart() const
{
  return DataStartFor(size_t(Count()), EndWidth());
}

size_t TRecValuesEh::EndOf(Integer I) const
{
  const size_t W = EndWidth();
  return LoadEnd(FBlock + HeadBytes + size_t(Count()) + size_t(I) * W, W);
}

size_t TRecValuesEh::LengthOf(Integer I) const
{
  return EndOf(I) - StartOf(I) - ((TagByte(I) & PadBit) ? 1 : 0);
}

size_t TRecValuesEh::Size() const
{
  if (!FBlock)
    return 0;
  const Integer N = Count();
  return N == 0 ? std::max<size_t>(DataStart(), 1) : EndOf(N - 1);
}

std::uint64_t TRecValuesEh::Word64(Integer I) const
{
  const unsigned char* P = FBlock + StartOf(I);
  switch (Tag(I)) {
  case tBoolean: case tByte: return LoadAs<std::uint8_t>(P);
  case tShortInt: return LoadAs<std::int8_t>(P);
  case tSmallint: return LoadAs<std::int16_t>(P);
  case tWord: return LoadAs<std::uint16_t>(P);
  case tInteger: return LoadAs<std::int32_t>(P);
  case tLongWord: return LoadAs<std::uint32_t>(P);
  case tInt64: case tUInt64: case tSingle: case tDouble: case tCurrency: case tDate: case tBoxed:
    return LoadSlot(P);
  default: return 0;
  }
}

TRecValuesEh::TRecValuesEh(const TRecValuesEh& Other)
{
  if (!Other.FBlock)
    return;
  const size_t Bytes = Other.Size();
  const bool Heap = Bytes > RecPoolMaxBytesEh;
  FBlock = NewBlock(Bytes, Heap);
  std::memcpy(FBlock, Other.FBlock, Bytes);
  SetHeapBit(FBlock, Heap);
  // Boxed values are owned: each copy takes its own.
  for (Integer I = 0, N = Count(); I < N; ++I)
    if (Tag(I) == tBoxed) {
      const auto Box = std::uint64_t(
          reinterpret_cast<std::uintptr_t>(new Variant(*reinterpret_cast<const Variant*>(Other.Word64(I)))));
      std::memcpy(FBlock + StartOf(I), &Box, sizeof Box);
    }
}

TRecValuesEh& TRecValuesEh::operator=(const TRecValuesEh& Other)
{
  if (this != &Other) {
    TRecValuesEh Copy(Other);
    *this = std::move(Copy);
  }
  return *this;
}

TRecValuesEh& TRecValuesEh::operator=(TRecValuesEh&& Other) noexcept
{
  if (this != &Other) {
    Free();
    FBlock = std::exchange(Other.FBlock, nullptr);
  }
  return *this;
}

void TRecValuesEh::ReleaseSlot(Integer I)
{
  if (Tag(I) == tBoxed)
    delete reinterpret_cast<Variant*>(Word64(I));
}

void TRecValuesEh::Free()
{
  if (!FBlock)
    return;
  for (Integer I = 0, N = Count(); I < N; ++I)
    ReleaseSlot(I);
  DeleteBlock(FBlock, Size(), OnHeap());
  FBlock = nullptr;
}

void TRecValuesEh::Settle()
{
  if (!OnHeap())
    return;
  const size_t Bytes = Size();
  if (Bytes > RecPoolMaxBytesEh)
    return;
  unsigned char* Block = NewBlock(Bytes, false);
  std::memcpy(Block, FBlock, Bytes);
  SetHeapBit(Block, false);
  std::free(FBlock);
  FBlock = Block;
}

void TRecValuesEh::Resize(size_t OldSize, size_t NewSize)
{
  const bool Heap = OnHeap();
  // A large value made short again: the block goes back to the pool.
  if (Heap && NewSize < OldSize && NewSize <= RecPoolMaxBytesEh) {
    unsigned char* Block = NewBlock(NewSize, false);
    std::memcpy(Block, FBlock, NewSize);
    SetHeapBit(Block, false);
    std::free(FBlock);
    FBlock = Block;
    return;
  }
  if (Heap && (NewSize < OldSize || malloc_usable_size(FBlock) < NewSize)) {
    if (auto* Moved = static_cast<unsigned char*>(std::realloc(FBlock, std::max<size_t>(NewSize, 1))))
      FBlock = Moved;
    else if (NewSize > OldSize)
      throw std::bad_alloc();
    return;
  }
  if (Heap || PoolRoom(OldSize) == PoolRoom(NewSize))
    return;
  const bool ToHeap = NewSize > RecPoolMaxBytesEh;
  unsigned char* Block = NewBlock(NewSize, ToHeap);
  std::memcpy(Block, FBlock, std::min(OldSize, NewSize));
  SetHeapBit(Block, ToHeap);
  RecPoolFreeEh(FBlock, OldSize);
  FBlock = Block;
}

Variant TRecValuesEh::Get(Integer I) const
{
  const std::uint8_t TagB = TagByte(I);
  if (TagB & PagedBit) {
    QLatin1StringView Latin1;
    QStringView Utf16;
    Text(I, Latin1, Utf16);
    return Variant(Utf16.toString());
  }
  const unsigned char* At = FBlock + StartOf(I);
  switch (Tag(I)) {
  case tEmpty: return Unassigned;
  case tNull: return Null;
  case tLatin1: return Variant(String::fromLatin1(reinterpret_cast<const char*>(At), qsizetype(LengthOf(I))));
  case tUtf16: return Variant(String(reinterpret_cast<const QChar*>(At), qsizetype(LengthOf(I) / 2)));
  case tAnsi: return Variant(AnsiString(reinterpret_cast<const char*>(At), qsizetype(LengthOf(I))));
  default: break;
  }
  const std::uint64_t Slot = Word64(I);
  const auto Int = Int64(Slot);
  switch (Tag(I)) {
  case tBoolean: return Variant(Slot != 0);
  case tShortInt: return Variant(ShortInt(Int));
  case tByte: return Variant(Byte(Int));
  case tSmallint: return Variant(SmallInt(Int));
  case tWord: return Variant(Word(Int));
  case tInteger: return Variant(Integer(Int));
  case tLongWord: return Variant(LongWord(Int));
  case tInt64: return Variant(Int);
  case tUInt64: return Variant(UInt64(Slot));
  case tSingle: return Variant(float(std::bit_cast<double>(Slot)));
  case tDouble: return Variant(std::bit_cast<double>(Slot));
  case tCurrency: return Variant(Currency::FromRaw(Int));
  case tDate: return Variant(TDateTime(std::bit_cast<double>(Slot)));
  case tBoxed: return *reinterpret_cast<const Variant*>(Slot);
  default: return Null;
  }
}

double TRecValuesEh::Number(Integer I) const
{
  const std::uint64_t Slot = Word64(I);
  switch (Tag(I)) {
  case tBoolean: return Slot ? -1 : 0;
  case tUInt64: return double(Slot);
  case tSingle:
  case tDouble:
  case tDate: return std::bit_cast<double>(Slot);
  case tCurrency: return double(Int64(Slot)) / Currency::Scale;
  default: return double(Int64(Slot));
  }
}

Int64 TRecValuesEh::Int64Value(Integer I) const
{
  return Int64(Word64(I));
}

void TRecValuesEh::Text(Integer I, QLatin1StringView& Latin1, QStringView& Utf16) const
{
  const unsigned char* At = FBlock + StartOf(I);
  const std::uint8_t TagB = TagByte(I);
  if (TagB & PagedBit) {
    Latin1 = QLatin1StringView();
    Utf16 = Widened(At, LengthOf(I), TagB & KindMask);
  } else if (TTag(TagB & KindMask) == tUtf16) {
    Latin1 = QLatin1StringView();
    Utf16 = QStringView(reinterpret_cast<const QChar*>(At), qsizetype(LengthOf(I) / 2));
  } else {
    Latin1 = QLatin1StringView(reinterpret_cast<const char*>(At), qsizetype(LengthOf(I)));
    Utf16 = QStringView();
  }
}

bool TRecValuesEh::ByteText(Integer I, QByteArrayView& Bytes, unsigned& Page) const
{
  const std::uint8_t TagB = TagByte(I);
  if (TagB & PagedBit)
    Page = TagB & KindMask;
  else if (TTag(TagB & KindMask) == tLatin1)
    Page = 1;
  else
    return false;
  const size_t Start = StartOf(I), End = EndOf(I) - ((TagB & PadBit) ? 1 : 0);
  Bytes = QByteArrayView(reinterpret_cast<const char*>(FBlock + Start), qsizetype(End - Start));
  return true;
}

// Puts value I in place: the bytes after it move by the change in length;
// when the ends no longer fit their width, the block is laid out anew.
void TRecValuesEh::Replace(Integer I, std::uint8_t NewTag, const void* Bytes, size_t Length)
{
  const size_t N = size_t(Count());
  const size_t Span = (Length + 1) & ~size_t(1);
  if (Span != Length)
    NewTag |= PadBit;
  const size_t Start = StartOf(I), OldSpan = EndOf(I) - Start, Total = Size();
  const size_t NewTotal = Total - OldSpan + Span;
  const size_t OldWidth = EndWidth(), OldData = DataStart();
  const std::uint32_t Code = WidthCodeFor(N, NewTotal - OldData);
  const size_t Width = WidthOfCode(Code);
  if (Width != OldWidth) {
    // Ends of another width: copy every value into a block laid out anew.
    const size_t Data = DataStartFor(N, Width);
    const size_t NewSize = Data + (NewTotal - OldData);
    // A block being filled stays on the heap while it grows.
    const bool OldHeap = OnHeap(), Heap = NewSize > RecPoolMaxBytesEh || (OldHeap && NewSize > Total);
    unsigned char* Block = NewBlock(NewSize, Heap);
    ReleaseSlot(I);
    const std::uint32_t NewHead = std::uint32_t(N) | (Heap ? HeapBit : 0) | (Code << WidthShift);
    std::memcpy(Block, &NewHead, sizeof NewHead);
    std::memcpy(Block + HeadBytes, FBlock + HeadBytes, N);
    Block[HeadBytes + size_t(I)] = NewTag;
    size_t At = Data;
    for (size_t J = 0; J < N; ++J) {
      if (J == size_t(I)) {
        std::memcpy(Block + At, Bytes, Length);
        if (Span != Length)
          Block[At + Length] = 0;
        At += Span;
      } else {
        const size_t From = StartOf(Integer(J)), Len = EndOf(Integer(J)) - From;
        std::memcpy(Block + At, FBlock + From, Len);
        At += Len;
      }
      StoreEnd(Block + HeadBytes + N + J * Width, Width, At);
    }
    DeleteBlock(FBlock, Total, OldHeap);
    FBlock = Block;
    return;
  }
  ReleaseSlot(I);
  // A block filled value by value grows into its allocation's room first.
  if (Span > OldSpan)
    Resize(Total, NewTotal);
  if (Span != OldSpan)
    std::memmove(FBlock + Start + Span, FBlock + Start + OldSpan, Total - Start - OldSpan);
  if (Span < OldSpan)
    Resize(Total, NewTotal);
  std::memcpy(FBlock + Start, Bytes, Length);
  if (Span != Length)
    FBlock[Start + Length] = 0;
  FBlock[HeadBytes + size_t(I)] = NewTag;
  if (Span != OldSpan)
    for (size_t J = size_t(I); J < N; ++J) {
      unsigned char* E = FBlock + HeadBytes + N + J * Width;
      StoreEnd(E, Width, LoadEnd(E, Width) + Span - OldSpan);
    }
}

void TRecValuesEh::Set(Integer I, const Variant& Value)
{
  TTag NewTag = tBoxed;
  std::uint64_t Slot = 0;
  switch (Value.VType()) {
  case varEmpty: NewTag = tEmpty; break;
  case varNull: NewTag = tNull; break;
  case varBoolean: NewTag = tBoolean; Slot = Value.AsBoolean() ? 1 : 0; break;
  case varShortInt: NewTag = tShortInt; Slot = std::uint64_t(Value.AsInt64()); break;
  case varByte: NewTag = tByte; Slot = std::uint64_t(Value.AsInt64()); break;
  case varSmallint: NewTag = tSmallint; Slot = std::uint64_t(Value.AsInt64()); break;
  case varWord: NewTag = tWord; Slot = std::uint64_t(Value.AsInt64()); break;
  case varInteger: NewTag = tInteger; Slot = std::uint64_t(Value.AsInt64()); break;
  case varLongWord: NewTag = tLongWord; Slot = std::uint64_t(Value.AsInt64()); break;
  case varInt64: NewTag = tInt64; Slot = std::uint64_t(Value.AsInt64()); break;
  case varUInt64: NewTag = tUInt64; Slot = Value.AsUInt64(); break;
  case varSingle: NewTag = tSingle; Slot = DoubleBits(Value.AsDouble()); break;
  case varDouble: NewTag = tDouble; Slot = DoubleBits(Value.AsDouble()); break;
  case varCurrency: NewTag = tCurrency; Slot = std::uint64_t(Value.AsCurrency().Raw()); break;
  case varDate: NewTag = tDate; Slot = DoubleBits(Value.AsDouble()); break;
  case varUString: {
    const String S = Value.AsString();
    if (FitsLatin1(S)) {
      const QByteArray Bytes = S.toLatin1();
      Replace(I, tLatin1, Bytes.constData(), size_t(Bytes.size()));
    } else if (const int Page = OnePage(S); Page >= 0) {
      QByteArray Bytes(S.size(), Qt::Uninitialized);
      for (qsizetype K = 0; K < S.size(); ++K) {
        const char16_t U = S[K].unicode();
        Bytes[K] = char(U < 0x80 ? U : (U & 0x7F) | 0x80);
      }
      Replace(I, std::uint8_t(PagedBit | Page), Bytes.constData(), size_t(Bytes.size()));
    } else {
      Replace(I, tUtf16, S.constData(), size_t(S.size()) * 2);
    }
    return;
  }
  case varString: {
    const AnsiString Bytes = Value.AsAnsiString();
    Replace(I, tAnsi, Bytes.constData(), size_t(Bytes.size()));
    return;
  }
  default: break;
  }
  if (NewTag == tBoxed) {
    // Boxed before the old value goes: Value may be that very box.
    const auto Box = std::uint64_t(reinterpret_cast<std::uintptr_t>(new Variant(Value)));
    Replace(I, tBoxed, &Box, sizeof Box);
    return;
  }
  // Numbers in their low bytes (little-endian).
  Replace(I, NewTag, &Slot, NumberBytes(NewTag));
}

TRecDataValues TRecValuesEh::ToVariants() const
{
  TRecDataValues Out;
  Out.reserve(size_t(Count()));
  for (Integer I = 0, N = Count(); I < N; ++I)
    Out.push_back(Get(I));
  return Out;
}

TMemoryRecordEh::~TMemoryRecordEh()
{
  if (FHasExtra)
    FRecordsList->FExtras.erase(this);
}

// A storage holds one record object a row: a vtable and four words.
static_assert(sizeof(TMemoryRecordEh) <= 40);

TMTDataStructEh* TMemoryRecordEh::DataStruct() const
{
  return FRecordsList ? FRecordsList->DataStruct() : nullptr;
}

TMemoryRecordEh::TExtraEh* TMemoryRecordEh::FindExtra() const
{
  return FRecordsList->FExtras.find(this)->second.get();
}

TMemoryRecordEh::TExtraEh& TMemoryRecordEh::Extra()
{
  if (FHasExtra)
    return *FindExtra();
  auto& Slot = FRecordsList->FExtras[this];
  Slot = std::make_unique<TExtraEh>();
  FHasExtra = true;
  return *Slot;
}

void TMemoryRecordEh::TrimExtra()
{
  if (!FHasExtra)
    return;
  const TExtraEh* E = FindExtra();
  if (!E->OldData.Present() && !E->EditOldData.Present() && !E->UpdateError && E->UpdateIndex == -1) {
    FRecordsList->FExtras.erase(this);
    FHasExtra = false;
  }
}

void TMemoryRecordEh::SetUpdateIndex(Integer Value)
{
  if (Value == -1 && !FHasExtra)
    return;
  Extra().UpdateIndex = Value;
  TrimExtra();
}

void TMemoryRecordEh::DropOld()
{
  if (FHasExtra) {
    FindExtra()->OldData.Reset();
    TrimExtra();
  }
}

void TMemoryRecordEh::DropEditOld()
{
  if (FHasExtra) {
    FindExtra()->EditOldData.Reset();
    TrimExtra();
  }
}

void TMemoryRecordEh::SetUpdateError(std::unique_ptr<TUpdateErrorEh> Value)
{
  if (!Value && !FHasExtra)
    return;
  Extra().UpdateError = std::move(Value);
  TrimExtra();
}

void TMemoryRecordEh::CheckFieldIndex(Integer FieldIndex) const
{
  if (FieldIndex < 0 || FieldIndex >= FData.Count())
    ListIndexError(FieldIndex);
}

// The values that hold a version of the record's fields.
TRecValuesEh& TMemoryRecordEh::Row(Integer FieldIndex, TDataValueVersionEh Version)
{
  CheckFieldIndex(FieldIndex);
  switch (Version) {
  case dvvOldValueEh:
    if (!HasOldData())
      throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Old values is not accessible."));
    return OldRef();
  case dvvCurValueEh:
    return HasEditOld() ? EditOldRef() : FData;
  case dvvEditValueEh:
    if (!HasEditOld())
      throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Edit values is not accessible."));
    return FData;
  case dvvValueEh:
    return FData;
  case dvvOldestValue:
    if (HasOldData())
      return OldRef();
    return HasEditOld() ? EditOldRef() : FData;
  case dvvRefreshValue:
    return HasOldData() ? OldRef() : FData;
  }
  return FData;
}

Variant TMemoryRecordEh::GetDataValue(Integer FieldIndex, TDataValueVersionEh Version) const
{
  return const_cast<TMemoryRecordEh*>(this)->Row(FieldIndex, Version).Get(FieldIndex);
}

void TMemoryRecordEh::SetDataValue(Integer FieldIndex, TDataValueVersionEh Version, const Variant& Value)
{
  TRecValuesEh& Target = Row(FieldIndex, Version);
  Target.Set(FieldIndex, ConvertToColumnKindEh(Value, DataStruct()->GetDataField(FieldIndex)->GetVarDataType()));
  FEditChanged = true;
}

static bool HasSeveralNames(const String& FieldNames)
{
  return FieldNames.contains(QLatin1Char(';'));
}

Variant TMemoryRecordEh::GetDataValues(const String& FieldNames, TDataValueVersionEh Version) const
{
  if (Version == dvvOldValueEh && !HasOldData())
    throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Old values is not accessible."));
  if (!HasSeveralNames(FieldNames)) {
    const Integer I = DataStruct()->FieldIndex(FieldNames.trimmed());
    if (I < 0)
      DatabaseError(QStringLiteral("Field '%1' not found").arg(FieldNames), DataStruct()->MemTableData());
    return GetDataValue(I, Version);
  }
  return GetDataIndexValues(DataStruct()->FieldsIndex(FieldNames), Version);
}

void TMemoryRecordEh::SetDataValues(const String& FieldNames, TDataValueVersionEh Version, const Variant& Value)
{
  if (!HasSeveralNames(FieldNames)) {
    SetDataValue(DataStruct()->FieldIndex(FieldNames.trimmed()), Version, Value);
    return;
  }
  const std::vector<Integer> Indexes = DataStruct()->FieldsIndex(FieldNames);
  for (size_t I = 0; I < Indexes.size(); ++I)
    SetDataValue(Indexes[I], Version, Value.GetElement(Integer(I)));
}

Variant TMemoryRecordEh::GetDataIndexValues(const std::vector<Integer>& FieldIndexes,
                                            TDataValueVersionEh Version) const
{
  if (FieldIndexes.empty())
    return Variant(String());
  if (FieldIndexes.size() == 1)
    return GetDataValue(FieldIndexes[0], Version);
  std::vector<Variant> Values;
  Values.reserve(FieldIndexes.size());
  for (Integer I : FieldIndexes)
    Values.push_back(GetDataValue(I, Version));
  return VarArrayOf(Values);
}

void TMemoryRecordEh::SetDataIndexValues(const std::vector<Integer>& FieldIndexes, TDataValueVersionEh Version,
                                         const Variant& Value)
{
  if (FieldIndexes.size() < 2) {
    if (!FieldIndexes.empty())
      SetDataValue(FieldIndexes[0], Version, Value);
    return;
  }
  for (size_t I = 0; I < FieldIndexes.size(); ++I)
    SetDataValue(FieldIndexes[I], Version, Value.GetElement(Integer(I)));
}

void TMemoryRecordEh::Edit()
{
  if (FEditState != resBrowseEh)
    return;
  FEditState = resEditEh;
  FEditChanged = false;
  EditOldRef() = FData;
}

void TMemoryRecordEh::EditForRefresh()
{
  if (FEditState == resEditEh || FEditState == resInsertEh)
    throw Exception(QStringLiteral("procedure TMemoryRecordEh.EditForRefresh: The MemoryRecord is in resEditEh state."));
  FEditState = resEditForRefresh;
  FEditChanged = false;
}

void TMemoryRecordEh::Post()
{
  switch (FEditState) {
  case resInsertEh:
    FRecordsList->AddRecord(this);
    return;
  case resEditEh: {
    FRecordsList->DataEvent(this, FIndex, rlnRecChangingEh);
    if (FRecordsList->CachedUpdates()) {
      if (FUpdateStatus == usUnmodified)
        FUpdateStatus = usModified;
      if (UpdateIndex() == -1)
        FRecordsList->LogRecord(this);
      if (FUpdateStatus == usModified && !HasOldData())
        OldRef() = EditOldRef();
    } else {
      // A resolver's error leaves the edit open with its values, so Cancel
      // still restores the old ones.
      FRecordsList->ResolveChange(this, usModified);
    }
    DropEditOld();
    FEditState = resBrowseEh;
    FRecordsList->DataEvent(this, FIndex, rlnRecChangedEh);
    return;
  }
  case resEditForRefresh:
    FEditState = resBrowseEh;
    FRecordsList->DataEvent(this, FIndex, rlnRecChangedEh);
    return;
  case resBrowseEh:
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
  }
}

void TMemoryRecordEh::Cancel()
{
  switch (FEditState) {
  case resInsertEh:
    delete this;
    return;
  case resEditEh:
    FData = std::move(EditOldRef());
    DropEditOld();
    FEditState = resBrowseEh;
    return;
  case resEditForRefresh:
    // Nothing was saved to restore: the values stay as they are.
    FEditState = resBrowseEh;
    return;
  case resBrowseEh:
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
  }
}

void TMemoryRecordEh::MergeChanges()
{
  if (FUpdateStatus == usUnmodified)
    return;
  if (FUpdateStatus == usDeleted)
    FRecordsList->PersistRemoveRecord(FIndex);
  DropOld();
  FUpdateStatus = usUnmodified;
  FRecordsList->UnlogRecord(this);
  SetUpdateError(nullptr);
}

void TMemoryRecordEh::RevertRecord()
{
  if (FUpdateStatus == usModified && HasOldData() && FEditState == resBrowseEh) {
    // Reverting runs like an edit: the values it brings back are in place
    // while the change is announced, so a unique index can refuse them
    // before anything changes.
    EditOldRef() = FData;
    FData = OldRef();
    try {
      FRecordsList->DataEvent(this, FIndex, rlnRecChangingEh);
    } catch (...) {
      FData = std::move(EditOldRef());
      DropEditOld();
      throw;
    }
    DropEditOld();
    DropOld();
    FUpdateStatus = usUnmodified;
    FRecordsList->DataEvent(this, FIndex, rlnRecChangedEh);
  } else if (FUpdateStatus == usModified) {
    FRecordsList->DataEvent(this, FIndex, rlnRecChangingEh);
    if (HasOldData())
      FData = std::move(OldRef());
    DropOld();
    FUpdateStatus = usUnmodified;
    FRecordsList->DataEvent(this, FIndex, rlnRecChangedEh);
  } else if (FUpdateStatus == usDeleted) {
    FRecordsList->DataEvent(this, FIndex, rlnRecChangingEh);
    FUpdateStatus = usUnmodified;
    FRecordsList->DataEvent(this, FIndex, rlnRecChangedEh);
  }
  SetUpdateError(nullptr);
}

void TMemoryRecordEh::RefreshRecord(TMemoryRecordEh* Rec)
{
  if (FUpdateStatus == usModified)
    OldRef() = Rec->FData;
  else
    FData = Rec->FData;
}

// --- records list

TRecordsListEh::TRecordsListEh(TComponent* AOwner) : TComponent(nullptr)
{
  if (AOwner && !dynamic_cast<TMemTableDataEh*>(AOwner))
    throw Exception(AOwner->ClassName());
  FMemTableData = static_cast<TMemTableDataEh*>(AOwner);
  FIndexes = std::make_unique<TMTIndexesEh>(this);
}

TRecordsListEh::~TRecordsListEh()
{
  for (TMemoryRecordEh* Rec : FRecList)
    Rec->SetUpdateIndex(-1);
  FDeltaList.clear();
  ++FUpdateCount;   // no events from a list on its way out
  for (TMemoryRecordEh* Rec : FRecList)
    delete Rec;
  FRecList.clear();
  for (TMemoryRecordEh* Rec : FDeletedList)
    delete Rec;
  FDeletedList.clear();
  // A record still out of the list outlives it without its side data.
  for (auto& [Rec, Extra] : FExtras)
    const_cast<TMemoryRecordEh*>(Rec)->FHasExtra = false;
  FExtras.clear();
  FIndexes.reset();
}

TMemoryRecordEh* TRecordsListEh::Rec(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    ListIndexError(Index);
  return FRecList[size_t(Index)];
}

void TRecordsListEh::SetRec(Integer Index, TMemoryRecordEh* Value)
{
  if (Index < 0 || Index >= Count())
    ListIndexError(Index);
  LeaveIdOrder(nullptr);
  FRecList[size_t(Index)] = Value;
}

Integer TRecordsListEh::RecValCount() const
{
  return DataStruct() ? DataStruct()->Count() : 0;
}

TMTDataStructEh* TRecordsListEh::DataStruct() const
{
  return FMemTableData ? FMemTableData->DataStruct() : nullptr;
}

namespace {

bool IsHole(std::uintptr_t Entry)
{
  return (Entry & 1) != 0;
}

TMemoryRecordEh* EntryRec(std::uintptr_t Entry)
{
  return IsHole(Entry) ? nullptr : reinterpret_cast<TMemoryRecordEh*>(Entry);
}

Int64 EntryId(std::uintptr_t Entry)
{
  return IsHole(Entry) ? Int64(Entry >> 1) : reinterpret_cast<TMemoryRecordEh*>(Entry)->RecordId();
}

std::uintptr_t HoleOf(Int64 Id)
{
  return (std::uintptr_t(Id) << 1) | 1;
}

// The entry of Id, or the end.
template <class TById>
auto FindEntry(TById& ById, Int64 Id)
{
  const auto It = std::lower_bound(ById.begin(), ById.end(), Id,
                                   [](std::uintptr_t Entry, Int64 Key) { return EntryId(Entry) < Key; });
  return It != ById.end() && EntryId(*It) == Id ? It : ById.end();
}

}  // namespace

TMemoryRecordEh* TRecordsListEh::RecordById(Int64 Id) const
{
  if (FByIdFromList) {
    const auto It = std::lower_bound(FRecList.begin(), FRecList.end(), Id,
                                     [](const TMemoryRecordEh* Rec, Int64 Key) { return Rec->FHashCode < Key; });
    return It != FRecList.end() && (*It)->FHashCode == Id ? *It : nullptr;
  }
  const auto It = FindEntry(FById, Id);
  if (It != FById.end())
    return EntryRec(*It);
  const auto Late = FByIdLate.find(Id);
  return Late == FByIdLate.end() ? nullptr : Late->second;
}

void TRecordsListEh::LeaveIdOrder(const TMemoryRecordEh* Except)
{
  if (!FByIdFromList)
    return;
  FById.clear();
  FById.reserve(FRecList.size());
  for (TMemoryRecordEh* Rec : FRecList)
    if (Rec != Except)
      FById.push_back(reinterpret_cast<std::uintptr_t>(Rec));
  FByIdHoles = 0;
  FByIdFromList = false;
}

void TRecordsListEh::TryIdOrder()
{
  if (FByIdFromList || !FByIdLate.empty())
    return;
  for (size_t I = 1; I < FRecList.size(); ++I)
    if (!(FRecList[I - 1]->FHashCode < FRecList[I]->FHashCode))
      return;
  FById = {};
  FByIdHoles = 0;
  FByIdFromList = true;
}

void TRecordsListEh::RememberRecord(TMemoryRecordEh* Rec)
{
  const Int64 Id = Rec->FHashCode;
  if (FByIdFromList) {
    // Records joining in the order of their ids keep the list searchable.
    const size_t At = size_t(Rec->FIndex);
    if ((At == 0 || FRecList[At - 1]->FHashCode < Id) &&
        (At + 1 >= FRecList.size() || Id < FRecList[At + 1]->FHashCode))
      return;
    LeaveIdOrder(Rec);
  }
  const auto Entry = reinterpret_cast<std::uintptr_t>(Rec);
  if (FById.empty() || EntryId(FById.back()) < Id) {
    FById.push_back(Entry);
    return;
  }
  const auto It = FindEntry(FById, Id);
  if (It != FById.end() && IsHole(*It)) {
    *It = Entry;   // back into its own hole
    --FByIdHoles;
    return;
  }
  FByIdLate[Id] = Rec;
}

void TRecordsListEh::ForgetRecord(TMemoryRecordEh* Rec)
{
  if (FByIdFromList)
    return;   // the list has let it go already
  const Int64 Id = Rec->FHashCode;
  if (FByIdLate.erase(Id))
    return;
  const auto It = FindEntry(FById, Id);
  if (It == FById.end() || IsHole(*It))
    return;
  *It = HoleOf(Id);
  if (++FByIdHoles * 2 > FById.size()) {
    std::erase_if(FById, IsHole);
    FByIdHoles = 0;
  }
}

TMemoryRecordEh* TRecordsListEh::NewRecord()
{
  auto* Rec = new TMemoryRecordEh();
  Rec->FHashCode = FNewHashCode++;
  Rec->FData = TRecValuesEh::Nulls(RecValCount());
  Rec->FRecordsList = this;
  Rec->FEditState = resInsertEh;
  Rec->FUpdateStatus = usUnmodified;
  return Rec;
}

void TRecordsListEh::Renumber(Integer From)
{
  for (Integer I = std::max(From, 0); I < Count(); ++I)
    FRecList[size_t(I)]->FIndex = I;
}

void TRecordsListEh::LogRecord(TMemoryRecordEh* Rec)
{
  Rec->SetUpdateIndex(Integer(FDeltaList.size()));
  FDeltaList.push_back(Rec);
}

void TRecordsListEh::UnlogRecord(TMemoryRecordEh* Rec)
{
  if (Rec->UpdateIndex() >= 0 && size_t(Rec->UpdateIndex()) < FDeltaList.size() &&
      FDeltaList[size_t(Rec->UpdateIndex())] == Rec)
    FDeltaList[size_t(Rec->UpdateIndex())] = nullptr;
  Rec->SetUpdateIndex(-1);
}

void TRecordsListEh::AddProc(TMemoryRecordEh* Rec, Integer Position, bool Fetching, bool Appending)
{
  if (Rec->FRecordsList != this)
    throw Exception(QStringLiteral("Record.RecordsList is not the same."));
  if (Rec->Attached())
    throw Exception(QStringLiteral("The record is already attached to RecordsList."));
  if (Appending)
    Position = Count();
  if (Position < 0 || Position > Count())
    ListIndexError(Position);
  DataEvent(Rec, Position, rlnRecAddingEh);
  if (!Fetching && FMemTableData)
    FMemTableData->SetAutoIncValue(Rec);
  if (!FCachedUpdates && !Fetching)
    ResolveChange(Rec, usInserted);
  // Filled now: its values go into the pool at their exact size.
  Rec->FData.Settle();
  FRecList.insert(FRecList.begin() + Position, Rec);
  Renumber(Position);
  RememberRecord(Rec);
  if (FCachedUpdates && !Fetching) {
    Rec->FUpdateStatus = usInserted;
    if (Rec->UpdateIndex() == -1)
      LogRecord(Rec);
  } else {
    Rec->FUpdateStatus = usUnmodified;
  }
  Rec->FEditState = resBrowseEh;
  DataEvent(Rec, Rec->FIndex, rlnRecAddedEh);
}

Integer TRecordsListEh::AddRecord(TMemoryRecordEh* Rec)
{
  AddProc(Rec, Count(), false, true);
  return Rec->FIndex;
}

void TRecordsListEh::InsertRecord(Integer Index, TMemoryRecordEh* Rec)
{
  AddProc(Rec, Index, false, false);
}

Integer TRecordsListEh::FetchRecord(TMemoryRecordEh* Rec)
{
  AddProc(Rec, Count(), true, true);
  return Rec->FIndex;
}

void TRecordsListEh::DeleteRecord(Integer Index)
{
  TMemoryRecordEh* Item = Rec(Index);
  if (!FCachedUpdates) {
    PersistDeleteRecord(Index);
    return;
  }
  if (Item->FUpdateStatus == usDeleted)
    throw Exception(QStringLiteral("Can't MarkDel the Deleted record"));
  if (Item->FUpdateStatus == usInserted) {
    UnlogRecord(Item);
    PersistDeleteRecord(Index);
    return;
  }
  Item->MergeChanges();
  Item->FUpdateStatus = usDeleted;
  LogRecord(Item);
  DataEvent(Item, Index, rlnRecMarkedForDelEh);
}

void TRecordsListEh::PersistDeleteRecord(Integer Index)
{
  TMemoryRecordEh* Item = Rec(Index);
  DataEvent(Item, Index, rlnRecDeletingEh);
  if (!FCachedUpdates)
    ResolveChange(Item, usDeleted);
  FRecList.erase(FRecList.begin() + Index);
  Renumber(Index);
  Item->FIndex = -1;
  ForgetRecord(Item);
  DataEvent(Item, Index, rlnRecDeletedEh);
  UnlogRecord(Item);
  delete Item;
}

void TRecordsListEh::DeleteRecords(const std::vector<TRecordsRangeEh>& RecordsRanges)
{
  if (FCachedUpdates)
    throw Exception(QStringLiteral("Delete a range of record in CachedUpdates mode is not supported"));
  PersistDeleteRecords(RecordsRanges);
}

// Every range is checked and every deletion resolved before the list
// changes, so a bad range or a resolver's error leaves the list whole;
// overlapping ranges name a record once.
void TRecordsListEh::PersistDeleteRecords(const std::vector<TRecordsRangeEh>& RecordsRanges)
{
  std::set<Integer> Doomed;
  for (const TRecordsRangeEh& R : RecordsRanges) {
    const Integer First = std::min(R.First, R.Last);
    const Integer Last = std::max(R.First, R.Last);
    if (First < 0 || Last >= Count())
      ListIndexError(First < 0 ? First : Last);
    for (Integer I = First; I <= Last; ++I)
      Doomed.insert(I);
  }
  if (Doomed.empty())
    return;
  if (!FCachedUpdates)
    for (Integer I : Doomed)
      ResolveChange(FRecList[size_t(I)], usDeleted);
  std::vector<TMemoryRecordEh*> Kept;
  Kept.reserve(FRecList.size() - Doomed.size());
  for (Integer I = 0; I < Count(); ++I) {
    TMemoryRecordEh* Item = FRecList[size_t(I)];
    if (!Doomed.count(I)) {
      Kept.push_back(Item);
      continue;
    }
    UnlogRecord(Item);
    ForgetRecord(Item);
    delete Item;
  }
  FRecList = std::move(Kept);
  Renumber(0);
  DataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::PersistRemoveRecord(Integer Index)
{
  TMemoryRecordEh* Item = Rec(Index);
  DataEvent(Item, Index, rlnRecDeletingEh);
  FDeletedList.push_back(Item);
  FRecList.erase(FRecList.begin() + Index);
  Renumber(Index);
  Item->FIndex = -1;
  ForgetRecord(Item);
  DataEvent(Item, Index, rlnRecDeletedEh);
}

Variant TRecordsListEh::GetValue(Integer RecNo, Integer ValNo) const
{
  TMemoryRecordEh* Item = Rec(RecNo);
  Item->CheckFieldIndex(ValNo);
  return Item->FData.Get(ValNo);
}

void TRecordsListEh::SetValue(Integer Index, Integer ValNo, const Variant& Value)
{
  TMemoryRecordEh* Item = Rec(Index);
  Item->CheckFieldIndex(ValNo);
  DataEvent(Item, Index, rlnRecChangingEh);
  Item->FData.Set(ValNo, Value);
  DataEvent(Item, Index, rlnRecChangedEh);
}

Integer TRecordsListEh::IndexOf(TMemoryRecordEh* Item) const
{
  if (Item && Item->FRecordsList == this && Item->FIndex >= 0 && Item->FIndex < Count() &&
      FRecList[size_t(Item->FIndex)] == Item)
    return Item->FIndex;
  const auto It = std::find(FRecList.begin(), FRecList.end(), Item);
  return It == FRecList.end() ? -1 : Integer(It - FRecList.begin());
}

void TRecordsListEh::Move(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  TMemoryRecordEh* Item = Rec(CurIndex);
  if (NewIndex < 0 || NewIndex >= Count())
    ListIndexError(NewIndex);
  LeaveIdOrder(nullptr);
  FRecList.erase(FRecList.begin() + CurIndex);
  FRecList.insert(FRecList.begin() + NewIndex, Item);
  Renumber(std::min(CurIndex, NewIndex));
  RecordMoved(Item, CurIndex, NewIndex);
}

void TRecordsListEh::ExchangeRecords(Integer Index1, Integer Index2)
{
  TMemoryRecordEh* A = Rec(Index1);
  TMemoryRecordEh* B = Rec(Index2);
  LeaveIdOrder(nullptr);
  FRecList[size_t(Index1)] = B;
  FRecList[size_t(Index2)] = A;
  A->FIndex = Index2;
  B->FIndex = Index1;
}

void TRecordsListEh::RevertRecord(Integer Index)
{
  TMemoryRecordEh* Item = Rec(Index);
  if (Item->FUpdateStatus == usInserted)
    PersistDeleteRecord(Index);
  else
    Item->RevertRecord();
}

void TRecordsListEh::RefreshRecord(Integer Index, TMemoryRecordEh* FromRec)
{
  Rec(Index)->RefreshRecord(FromRec);
}

void TRecordsListEh::Clear()
{
  for (TMemoryRecordEh* Item : FDeletedList)
    delete Item;
  FDeletedList.clear();
  FDeltaList.clear();
  for (Integer I = 0; I < FIndexes->Count(); ++I)
    FIndexes->GetItem(I)->ClearIndex();
  for (TMemoryRecordEh* Item : FRecList) {
    Item->FIndex = -1;
    Item->SetUpdateIndex(-1);
    delete Item;
  }
  FRecList.clear();
  FById = {};
  FByIdLate.clear();
  FByIdHoles = 0;
  FByIdFromList = true;
  DataEvent(nullptr, -1, rlnListChangedEh);
}

// Walks every record to the end: a modified record without saved values is
// already current and is only marked unmodified, it never stops the walk.
void TRecordsListEh::CancelUpdates()
{
  for (Integer I = Count() - 1; I >= 0; --I) {
    TMemoryRecordEh* Item = FRecList[size_t(I)];
    switch (Item->FUpdateStatus) {
    case usModified:
      if (Item->HasOldData())
        Item->FData = std::move(Item->OldRef());
      Item->DropOld();
      Item->FUpdateStatus = usUnmodified;
      Item->SetUpdateIndex(-1);
      break;
    case usInserted:
      Item->SetUpdateIndex(-1);
      FRecList.erase(FRecList.begin() + I);
      Item->FIndex = -1;
      ForgetRecord(Item);
      delete Item;
      break;
    case usDeleted:
      Item->FUpdateStatus = usUnmodified;
      Item->SetUpdateIndex(-1);
      break;
    case usUnmodified:
      break;
    }
    // Records of the log that are gone from it by now.
  }
  for (TMemoryRecordEh* Item : FRecList)
    Item->SetUpdateIndex(-1);
  FDeltaList.clear();
  Renumber(0);
  DataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::MergeChangeLog()
{
  if (FDeltaList.empty())
    return;
  if (FDeltaList.size() == 1) {
    if (TMemoryRecordEh* Item = FDeltaList[0])
      Item->MergeChanges();
    FDeltaList.clear();
    return;
  }
  BeginUpdate();
  ScopeExit Done([&] { EndUpdate(); });
  bool Holes = false;
  const auto Log = FDeltaList;
  // Deleted records leave holes in the list for a while: ids are then
  // found apart from it.
  if (std::any_of(Log.begin(), Log.end(), [](const TMemoryRecordEh* R) { return R && R->FUpdateStatus == usDeleted; }))
    LeaveIdOrder(nullptr);
  for (TMemoryRecordEh* Item : Log) {
    if (!Item)
      continue;
    if (Item->FUpdateStatus == usDeleted) {
      const Integer At = Item->FIndex;
      DataEvent(Item, At, rlnRecDeletingEh);
      FDeletedList.push_back(Item);
      FRecList[size_t(At)] = nullptr;
      Item->FIndex = -1;
      ForgetRecord(Item);
      Holes = true;
      DataEvent(Item, At, rlnRecDeletedEh);
    }
    Item->DropOld();
    Item->FUpdateStatus = usUnmodified;
    Item->SetUpdateIndex(-1);
    Item->SetUpdateError(nullptr);
  }
  for (TMemoryRecordEh* Item : FDeletedList)
    delete Item;
  FDeletedList.clear();
  if (Holes) {
    FRecList.erase(std::remove(FRecList.begin(), FRecList.end(), nullptr), FRecList.end());
    Renumber(0);
    TryIdOrder();
  }
  FDeltaList.clear();
}

void TRecordsListEh::CleanupChangedRecs()
{
  for (TMemoryRecordEh* Item : FDeletedList)
    delete Item;
  FDeletedList.clear();
  FDeltaList.erase(std::remove(FDeltaList.begin(), FDeltaList.end(), nullptr), FDeltaList.end());
  for (size_t I = 0; I < FDeltaList.size(); ++I)
    FDeltaList[I]->SetUpdateIndex(Integer(I));
}

void TRecordsListEh::SortData(TObject* ParamSort, const TCompareRecordsEh& Compare, TObject* MemTable)
{
  LeaveIdOrder(nullptr);
  if (Count() > 1)
    QuickSort(0, Count() - 1, ParamSort, Compare, MemTable);
  Renumber(0);
  DataEvent(nullptr, -1, rlnListChangedEh);
}

// Recurses into the smaller part and loops on the larger one, so the stack
// stays at O(log n) whatever the order of the records.
void TRecordsListEh::QuickSort(Integer L, Integer R, TObject* ParamSort, const TCompareRecordsEh& Compare,
                               TObject* MemTable)
{
  (void)MemTable;
  LeaveIdOrder(nullptr);
  while (L < R) {
    Integer I = L;
    Integer J = R;
    TMemoryRecordEh* Pivot = FRecList[size_t((L + R) / 2)];
    do {
      while (Compare(FRecList[size_t(I)], Pivot, ParamSort) < 0)
        ++I;
      while (Compare(FRecList[size_t(J)], Pivot, ParamSort) > 0)
        --J;
      if (I <= J) {
        std::swap(FRecList[size_t(I)], FRecList[size_t(J)]);
        ++I;
        --J;
      }
    } while (I <= J);
    if (J - L < R - I) {
      QuickSort(L, J, ParamSort, Compare, MemTable);
      L = I;
    } else {
      QuickSort(I, R, ParamSort, Compare, MemTable);
      R = J;
    }
  }
}

void TRecordsListEh::DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  if (FUpdateCount > 0)
    return;
  FIndexes->DataEvent(MemRec, Index, Action);
  if (FMemTableData)
    FMemTableData->DataEvent(MemRec, Index, Action);
}

void TRecordsListEh::RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)
{
  FIndexes->RecordMoved(Item, OldIndex, NewIndex);
  if (FMemTableData)
    FMemTableData->RecordMoved(Item, OldIndex, NewIndex);
}

void TRecordsListEh::BeginUpdate()
{
  ++FUpdateCount;
}

void TRecordsListEh::EndUpdate()
{
  if (FUpdateCount <= 0)
    return;
  if (--FUpdateCount == 0)
    DataEvent(nullptr, -1, rlnListChangedEh);
}

// Hands one change to the resolvers in a shadow storage and takes back the
// values they wrote (server-made keys). Without a resolver there is nothing
// to do. A resolver's error reaches the caller before the list changes.
void TRecordsListEh::ResolveChange(TMemoryRecordEh* Rec, TUpdateStatus Change)
{
  if (!FMemTableData || !FMemTableData->HasApplyUpdatesHandler())
    return;
  auto Shadow = std::make_unique<TMemTableDataShadowEh>(FMemTableData);
  TRecordsListEh* List = Shadow->RecordsList();
  List->SetCachedUpdates(true);
  const Integer N = Rec->FData.Count();
  TMemoryRecordEh* Copy = List->NewRecord();
  if (Change == usInserted) {
    Copy->FData = Rec->FData;
    Copy->Post();
  } else {
    for (Integer I = 0; I < N; ++I)
      Copy->FData.Set(I, Rec->GetDataValue(I, dvvOldestValue));
    List->FetchRecord(Copy);
    if (Change == usModified) {
      Copy->Edit();
      Copy->FData = Rec->FData;
      Copy->Post();
    } else {
      List->DeleteRecord(Copy->Index());
    }
  }
  FMemTableData->ApplyUpdates(Shadow.get());
  if (Change != usDeleted)
    Rec->FData = Copy->FData;
}

// ---------------------------------------------------------------------------
// Indexes.

TMTIndexEh::TMTIndexEh(TCollection* Collection) : TCollectionItem(Collection) {}

std::unique_ptr<TMTIndexEh> TMTIndexEh::CreateApart(TRecordsListEh* ARecordsList)
{
  auto Index = std::make_unique<TMTIndexEh>(nullptr);
  Index->FRecordsList = ARecordsList;
  return Index;
}

TMTIndexEh::~TMTIndexEh() = default;

TRecordsListEh* TMTIndexEh::RecordsList() const
{
  if (FRecordsList)
    return FRecordsList;
  auto* Owner = dynamic_cast<TMTIndexesEh*>(Collection());
  return Owner ? Owner->RecList() : nullptr;
}

void TMTIndexEh::SetActive(bool Value)
{
  if (Value == FActive)
    return;
  FActive = Value;
  if (Value)
    RebuildIndex();
  else
    ClearIndex();
}

void TMTIndexEh::SetFields(const String& Value)
{
  if (Value == FFields)
    return;
  FFields = Value;
  RebuildIndex();
}

void TMTIndexEh::SetPrimary(bool Value)
{
  if (Value == FPrimary)
    return;
  FPrimary = Value;
  RebuildIndex();
}

void TMTIndexEh::SetUnical(bool Value)
{
  if (Value == FUnical)
    return;
  FUnical = Value;
  RebuildIndex();
}

Variant TMTIndexEh::KeyOf(TMemoryRecordEh* Rec, TDataValueVersionEh Version) const
{
  return Rec->GetDataValues(FFields, Version);
}

static Integer CompareKeys(const Variant& A, const Variant& B)
{
  switch (CompareVarValuesEh(A, B)) {
  case vrLessThan: return -1;
  case vrGreaterThan: return 1;
  case vrEqual: return 0;
  default:
    throw Exception(QStringLiteral("TMTIndexEh.FindKeyValueIndex: values is not comparable."));
  }
}

// Marked-deleted records have no entry: the key they held is free again, and
// reverting the deletion puts the entry back. One rule for every path.
static bool Indexable(TMemoryRecordEh* Rec)
{
  return Rec->UpdateStatus() != usDeleted;
}

void TMTIndexEh::RebuildIndex()
{
  ClearIndex();
  TRecordsListEh* List = RecordsList();
  if (!Working() || !List)
    return;
  FRecList.reserve(size_t(List->Count()));
  for (Integer I = 0; I < List->Count(); ++I) {
    TMemoryRecordEh* Rec = List->Rec(I);
    if (Indexable(Rec))
      FRecList.push_back({KeyOf(Rec, dvvValueEh), I});
  }
  std::stable_sort(FRecList.begin(), FRecList.end(),
                   [](const TIndexItemEh& A, const TIndexItemEh& B) { return CompareKeys(A.Value, B.Value) < 0; });
  if (CheckesUnique())
    CheckUnical();
}

bool TMTIndexEh::FindKeyValueIndex(const Variant& Value, Integer& Index) const
{
  Integer Lo = 0;
  Integer Hi = Count() - 1;
  while (Hi >= Lo) {
    const Integer Mid = (Lo + Hi) / 2;
    const Integer C = CompareKeys(FRecList[size_t(Mid)].Value, Value);
    if (C < 0) {
      Lo = Mid + 1;
    } else if (C > 0) {
      Hi = Mid - 1;
    } else {
      Index = Mid;
      return true;
    }
  }
  Index = Lo;
  return false;
}

bool TMTIndexEh::FindRecordIndexByKey(const Variant& Value, Integer& Index) const
{
  Integer At = 0;
  if (!FindKeyValueIndex(Value, At))
    return false;
  Index = FRecList[size_t(At)].RecIndex;
  return true;
}

void TMTIndexEh::FillMatchedKeyList(const Variant& Value, std::vector<TIndexItemEh>& List) const
{
  Integer At = 0;
  if (!FindKeyValueIndex(Value, At))
    return;
  Integer First = At;
  while (First > 0 && CompareKeys(FRecList[size_t(First - 1)].Value, Value) == 0)
    --First;
  for (Integer I = At - 1; I >= First; --I)
    List.push_back(FRecList[size_t(I)]);
  for (Integer I = At; I < Count() && CompareKeys(FRecList[size_t(I)].Value, Value) == 0; ++I)
    List.push_back(FRecList[size_t(I)]);
}

void TMTIndexEh::FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const
{
  std::vector<TIndexItemEh> Items;
  FillMatchedKeyList(Value, Items);
  for (const TIndexItemEh& Item : Items)
    List.push_back(RecordsList()->Rec(Item.RecIndex));
}

void TMTIndexEh::UniqueError(const Variant& Key) const
{
  throw EDatabaseError(QStringLiteral("Unique key violation \r\n FieldNames: %1\r\n Value: \"%2\"")
                         .arg(FFields, VarToArrayTextEh(Key)));
}

// A single-field Null key may repeat; every other key is unique. The same
// test serves rebuilding, adding and changing.
static bool MayRepeat(const Variant& Key)
{
  return Key.IsNull();
}

void TMTIndexEh::CheckUnical() const
{
  for (size_t I = 1; I < FRecList.size(); ++I)
    if (!MayRepeat(FRecList[I - 1].Value) && CompareKeys(FRecList[I - 1].Value, FRecList[I].Value) == 0)
      UniqueError(FRecList[I].Value);
}

void TMTIndexEh::InsertItem(Integer Index, TIndexItemEh AObject)
{
  if (Index >= Count())
    FRecList.push_back(std::move(AObject));
  else
    FRecList.insert(FRecList.begin() + Index, std::move(AObject));
}

// The position of the entry of MemRec (list position Index, key Key); -1
// when it has none.
Integer TMTIndexEh::EntryOf(TMemoryRecordEh* MemRec, Integer Index, const Variant& Key) const
{
  (void)MemRec;
  Integer At = 0;
  if (FindKeyValueIndex(Key, At)) {
    for (Integer I = At; I >= 0 && CompareKeys(FRecList[size_t(I)].Value, Key) == 0; --I)
      if (FRecList[size_t(I)].RecIndex == Index)
        return I;
    for (Integer I = At + 1; I < Count() && CompareKeys(FRecList[size_t(I)].Value, Key) == 0; ++I)
      if (FRecList[size_t(I)].RecIndex == Index)
        return I;
  }
  for (Integer I = 0; I < Count(); ++I)
    if (FRecList[size_t(I)].RecIndex == Index)
      return I;
  return -1;
}

void TMTIndexEh::RemoveEntry(Integer Position)
{
  FRecList.erase(FRecList.begin() + Position);
}

void TMTIndexEh::DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  if (!Working())
    return;
  switch (Action) {
  case rlnRecAddingEh: {
    Integer At = 0;
    const Variant Key = KeyOf(MemRec, dvvValueEh);
    if (CheckesUnique() && !MayRepeat(Key) && FindKeyValueIndex(Key, At))
      UniqueError(Key);
    break;
  }
  case rlnRecAddedEh: {
    const Variant Key = KeyOf(MemRec, dvvValueEh);
    Integer At = 0;
    FindKeyValueIndex(Key, At);
    // Marked-deleted records have no entry, so the entry count says nothing
    // about the records behind the new one: renumber by position.
    for (TIndexItemEh& Item : FRecList)
      if (Item.RecIndex >= Index)
        ++Item.RecIndex;
    if (Indexable(MemRec))
      InsertItem(At, {Key, Index});
    break;
  }
  case rlnRecChangingEh: {
    FOldValue = KeyOf(MemRec, dvvCurValueEh);
    if (!CheckesUnique())
      break;
    const Variant Key = KeyOf(MemRec, dvvValueEh);
    // A record coming back from deletion has no entry: its key must be free.
    const bool Returning = !Indexable(MemRec);
    Integer At = 0;
    if (!MayRepeat(Key) && (Returning || CompareKeys(Key, FOldValue) != 0) && FindKeyValueIndex(Key, At))
      UniqueError(Key);
    break;
  }
  case rlnRecChangedEh: {
    const Integer P = EntryOf(MemRec, Index, FOldValue);
    if (P < 0) {
      // The entry went with a deletion that has now been reverted.
      if (Indexable(MemRec)) {
        const Variant Key = KeyOf(MemRec, dvvValueEh);
        Integer At = 0;
        FindKeyValueIndex(Key, At);
        InsertItem(At, {Key, Index});
      }
      break;
    }
    TIndexItemEh Item = FRecList[size_t(P)];
    RemoveEntry(P);
    if (!Indexable(MemRec))
      break;
    Item.Value = KeyOf(MemRec, dvvValueEh);
    Integer Q = 0;
    FindKeyValueIndex(Item.Value, Q);
    InsertItem(Q, std::move(Item));
    break;
  }
  case rlnRecDeletedEh: {
    const Integer P = EntryOf(MemRec, Index, KeyOf(MemRec, dvvValueEh));
    if (P >= 0)
      RemoveEntry(P);
    for (TIndexItemEh& Item : FRecList)
      if (Item.RecIndex >= Index)
        --Item.RecIndex;
    break;
  }
  case rlnRecMarkedForDelEh: {
    const Integer P = EntryOf(MemRec, Index, KeyOf(MemRec, dvvValueEh));
    if (P >= 0)
      RemoveEntry(P);
    break;
  }
  case rlnListChangedEh:
    RebuildIndex();
    break;
  default:
    break;
  }
}

void TMTIndexEh::RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)
{
  (void)Item;
  for (TIndexItemEh& E : FRecList) {
    if (E.RecIndex == OldIndex)
      E.RecIndex = NewIndex;
    else if (NewIndex < OldIndex && E.RecIndex >= NewIndex && E.RecIndex < OldIndex)
      ++E.RecIndex;
    else if (NewIndex > OldIndex && E.RecIndex > OldIndex && E.RecIndex <= NewIndex)
      --E.RecIndex;
  }
}

TMTIndexesEh::TMTIndexesEh(TRecordsListEh* ARecList) : TCollection(TMTIndexEh::StaticClass()), FRecList(ARecList) {}

void TMTIndexesEh::DataEvent(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)
{
  for (Integer I = 0; I < Count(); ++I)
    GetItem(I)->DataEvent(MemRec, Index, Action);
}

TMTIndexEh* TMTIndexesEh::GetIndexForFields(const String& Fields) const
{
  for (Integer I = 0; I < Count(); ++I)
    if (GetItem(I)->Fields().compare(Fields, Qt::CaseInsensitive) == 0)
      return GetItem(I);
  return nullptr;
}

void TMTIndexesEh::RecordMoved(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)
{
  for (Integer I = 0; I < Count(); ++I)
    GetItem(I)->RecordMoved(Item, OldIndex, NewIndex);
}
