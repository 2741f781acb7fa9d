// MemTableDataEhPool.cpp: the small blocks of memory records (the record
// objects and their packed values) carved from large slabs by size, so that
// a row pays no heap header and no rounding beyond four bytes a block.
#include "gridlib/memtable/MemTableDataEh.h"

#include <sys/mman.h>

#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr size_t Granule = 4;
constexpr size_t ClassCount = RecPoolMaxBytesEh / Granule;
// Slabs are aligned to their size: a block finds its slab by its address.
constexpr size_t SlabBytes = size_t(256) << 10;

// The head of a slab; its cells follow. A freed cell keeps the offset of
// the next freed one in its first four bytes (cells are four bytes at least).
struct TSlab {
  TSlab* Prev = nullptr;   // among the slabs of its size that have room
  TSlab* Next = nullptr;
  std::uint32_t CellBytes = 0;
  std::uint32_t FreeHead = 0;   // offset of the first freed cell; 0 for none
  std::uint32_t Bump = 0;       // offset of the first cell never handed out
  std::uint32_t Used = 0;
  bool Listed = false;
};

constexpr std::uint32_t FirstCell = (sizeof(TSlab) + 7) & ~size_t(7);

size_t ClassOf(size_t Bytes)
{
  return (std::max<size_t>(Bytes, 1) + Granule - 1) / Granule - 1;
}

class TRecPool {
public:
  void* Alloc(size_t Bytes)
  {
    const size_t K = ClassOf(Bytes);
    std::lock_guard<std::mutex> Lock(FLock);
    TSlab* S = FWithRoom[K];
    if (!S)
      S = NewSlab(K);
    std::uint32_t At;
    auto* Base = reinterpret_cast<unsigned char*>(S);
    if (S->FreeHead) {
      At = S->FreeHead;
      std::memcpy(&S->FreeHead, Base + At, sizeof S->FreeHead);
    } else {
      At = S->Bump;
      S->Bump += S->CellBytes;
    }
    ++S->Used;
    if (!S->FreeHead && S->Bump + S->CellBytes > SlabBytes)
      Unlist(K, S);
    return Base + At;
  }

  void Free(void* P, size_t Bytes)
  {
    const size_t K = ClassOf(Bytes);
    auto* S = reinterpret_cast<TSlab*>(reinterpret_cast<std::uintptr_t>(P) & ~std::uintptr_t(SlabBytes - 1));
    auto* Base = reinterpret_cast<unsigned char*>(S);
    std::lock_guard<std::mutex> Lock(FLock);
    const auto At = std::uint32_t(static_cast<unsigned char*>(P) - Base);
    std::memcpy(Base + At, &S->FreeHead, sizeof S->FreeHead);
    S->FreeHead = At;
    --S->Used;
    if (!S->Listed)
      List(K, S);
    // An empty slab goes back to the system, unless it is the only one of
    // its size with room: a block made and freed again and again keeps it.
    if (S->Used == 0 && (S->Prev || S->Next)) {
      Unlist(K, S);
      munmap(S, SlabBytes);
      FMapped -= SlabBytes;
    }
  }

  size_t Mapped()
  {
    std::lock_guard<std::mutex> Lock(FLock);
    return FMapped;
  }

private:
  TSlab* NewSlab(size_t K)
  {
    // Twice the size, then the ends cut off, for an aligned slab.
    void* Raw = mmap(nullptr, 2 * SlabBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Raw == MAP_FAILED)
      throw std::bad_alloc();
    const auto Start = reinterpret_cast<std::uintptr_t>(Raw);
    const std::uintptr_t Aligned = (Start + SlabBytes - 1) & ~std::uintptr_t(SlabBytes - 1);
    if (Aligned > Start)
      munmap(Raw, Aligned - Start);
    if (const std::uintptr_t Tail = Start + 2 * SlabBytes - (Aligned + SlabBytes))
      munmap(reinterpret_cast<void*>(Aligned + SlabBytes), Tail);
    auto* S = new (reinterpret_cast<void*>(Aligned)) TSlab();
    S->CellBytes = std::uint32_t((K + 1) * Granule);
    S->Bump = FirstCell;
    FMapped += SlabBytes;
    List(K, S);
    return S;
  }

  void List(size_t K, TSlab* S)
  {
    S->Prev = nullptr;
    S->Next = FWithRoom[K];
    if (S->Next)
      S->Next->Prev = S;
    FWithRoom[K] = S;
    S->Listed = true;
  }

  void Unlist(size_t K, TSlab* S)
  {
    if (S->Prev)
      S->Prev->Next = S->Next;
    else
      FWithRoom[K] = S->Next;
    if (S->Next)
      S->Next->Prev = S->Prev;
    S->Prev = S->Next = nullptr;
    S->Listed = false;
  }

  std::mutex FLock;
  TSlab* FWithRoom[ClassCount] = {};
  size_t FMapped = 0;
};

// Never destroyed: records freed late at exit still find it.
TRecPool& Pool()
{
  static TRecPool* P = new TRecPool();
  return *P;
}

}  // namespace

void* RecPoolAllocEh(size_t Bytes)
{
  return Pool().Alloc(Bytes);
}

void RecPoolFreeEh(void* P, size_t Bytes)
{
  if (P)
    Pool().Free(P, Bytes);
}

size_t RecPoolBytesEh()
{
  return Pool().Mapped();
}
