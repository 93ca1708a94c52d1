#include "pdf/document/CPDFResourceFactories.h"

#include <atomic>
#include <bit>
#include <cstddef>

namespace {

// One slot per category bit (CPDFResource::Category has eight).
constexpr size_t kSlots = 8;
std::atomic<CPDFResourceFactory> g_factories[kSlots] = {};

// The slot of a single category bit; kSlots for anything else.
size_t SlotOf(uint32_t category) {
  if (!std::has_single_bit(category)) return kSlots;
  const auto slot = static_cast<size_t>(std::countr_zero(category));
  return slot < kSlots ? slot : kSlots;
}

}  // namespace

void PDFSetResourceFactory(uint32_t category, CPDFResourceFactory factory) {
  const size_t slot = SlotOf(category);
  if (slot < kSlots) g_factories[slot].store(factory, std::memory_order_release);
}

CPDFResourceFactory PDFGetResourceFactory(uint32_t category) {
  const size_t slot = SlotOf(category);
  return slot < kSlots ? g_factories[slot].load(std::memory_order_acquire) : nullptr;
}
