#include "tests/pdf/metrics/AllocationFailure.h"

#include <cstdlib>
#include <new>

namespace {

bool counting = false;
long counted = 0;
long failAt = -1;  // the allocation to fail, counted from 0; -1: none

// True when this allocation is to fail.
bool NextFails() {
  if (!counting) return false;
  const bool fail = counted == failAt;
  ++counted;
  if (fail) failAt = -1;
  return fail;
}

void* Allocate(std::size_t size) {
  if (NextFails()) return nullptr;
  return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
  void* p = Allocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace pntest {

CountAllocations::CountAllocations() {
  counted = 0;
  failAt = -1;
  counting = true;
}
CountAllocations::~CountAllocations() { counting = false; }
long CountAllocations::Count() const { return counted; }

FailAllocation::FailAllocation(long k) {
  counted = 0;
  failAt = k;
  counting = true;
}
FailAllocation::~FailAllocation() {
  counting = false;
  failAt = -1;
}

}  // namespace pntest

// The replacements go through malloc and free, so every form below pairs
// with every delete form.
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
