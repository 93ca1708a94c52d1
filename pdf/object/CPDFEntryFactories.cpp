#include "pdf/object/CPDFEntryFactories.h"

#include <atomic>
#include <cstddef>

namespace {

constexpr size_t kSlots = static_cast<size_t>(CPDFTypedEntry::kCount);
std::atomic<CPDFEntryFactory> g_factories[kSlots] = {};

}  // namespace

void PDFSetEntryFactory(CPDFTypedEntry entry, CPDFEntryFactory factory) {
  const auto slot = static_cast<size_t>(entry);
  if (slot < kSlots) g_factories[slot].store(factory, std::memory_order_release);
}

CPDFEntryFactory PDFGetEntryFactory(CPDFTypedEntry entry) {
  const auto slot = static_cast<size_t>(entry);
  return slot < kSlots ? g_factories[slot].load(std::memory_order_acquire) : nullptr;
}
