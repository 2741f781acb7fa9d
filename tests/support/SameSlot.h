// SameSlot.h: a test class whose every instance takes the same memory, as
// an allocator may give a freed object's address to the next object.
#pragma once

#include <cassert>
#include <cstddef>

template <class Base>
class TSameSlot : public Base {
public:
  using Base::Base;
  static void* operator new([[maybe_unused]] std::size_t Size)
  {
    assert(Size <= sizeof(Slot) && "the slot holds one object of the base's size");
    return Slot;
  }
  static void operator delete(void*) {}

private:
  alignas(std::max_align_t) static inline unsigned char Slot[sizeof(Base)];
};
