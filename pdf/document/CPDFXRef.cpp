#include "pdf/document/CPDFXRef.h"

#include <cstddef>
#include <cstdio>
#include <iterator>

#include "pdf/object/CPDFOutStream.h"

namespace {
constexpr int32_t kMaxObjects = 8388607;

void WriteLine(CPDFOutStream& out, int32_t offset, int32_t generation, char kind) {
  char line[32];
  const int n = std::snprintf(line, sizeof line, "%010d %05d %c \n", offset, generation, kind);
  out.Write(line, n);
}
}  // namespace

bool CPDFXRef::Create(CPDFObjRegistry* doc, const CPDFXRef* previous) {
  SetDoc(doc);
  if (!previous) return true;
  if (!SetCount(previous->GetCount())) return false;
  for (int32_t number : previous->free_) {
    const Slot* from = previous->SlotOf(number);
    if (!from) continue;
    entries_[static_cast<size_t>(number) - 1] = *from;
    free_.insert(number);
    if (from->entry.generation < CPDFXRefEntry::kMaxGeneration) reusable_.insert(number);
  }
  return true;
}

CPDFXRef::Slot* CPDFXRef::SlotOf(int32_t number) {
  if (number < 1 || number > GetCount()) return nullptr;
  return &entries_[static_cast<size_t>(number) - 1];
}

const CPDFXRef::Slot* CPDFXRef::SlotOf(int32_t number) const {
  if (number < 1 || number > GetCount()) return nullptr;
  return &entries_[static_cast<size_t>(number) - 1];
}

CPDFXRefEntry* CPDFXRef::GetEntry(int32_t number) {
  Slot* slot = SlotOf(number);
  return slot && slot->present ? &slot->entry : nullptr;
}

const CPDFXRefEntry* CPDFXRef::GetEntry(int32_t number) const {
  const Slot* slot = SlotOf(number);
  return slot && slot->present ? &slot->entry : nullptr;
}

bool CPDFXRef::SetCount(int32_t count) {
  if (count < 0 || count > kMaxObjects) return false;
  if (count > GetCount()) entries_.resize(static_cast<size_t>(count));
  return true;
}

bool CPDFXRef::AddEntry(int32_t* number) {
  if (GetCount() >= kMaxObjects) return false;
  Slot slot;
  slot.present = true;
  slot.entry.number = GetCount() + 1;
  slot.entry.inUse = true;
  entries_.push_back(slot);
  if (number) *number = slot.entry.number;
  return true;
}

void CPDFXRef::LinkFree(int32_t number) {
  auto [at, added] = free_.insert(number);
  if (!added) return;
  auto next = std::next(at);
  entries_[static_cast<size_t>(number) - 1].entry.offset = next == free_.end() ? 0 : *next;
  if (at != free_.begin()) {
    entries_[static_cast<size_t>(*std::prev(at)) - 1].entry.offset = number;
  }
  if (entries_[static_cast<size_t>(number) - 1].entry.generation < CPDFXRefEntry::kMaxGeneration) {
    reusable_.insert(number);
  }
}

void CPDFXRef::UnlinkFree(int32_t number) {
  auto at = free_.find(number);
  if (at == free_.end()) return;
  auto next = std::next(at);
  if (at != free_.begin()) {
    entries_[static_cast<size_t>(*std::prev(at)) - 1].entry.offset =
        next == free_.end() ? 0 : *next;
  }
  free_.erase(at);
  reusable_.erase(number);
}

bool CPDFXRef::SetEntry(const CPDFXRefEntry& entry) {
  Slot* slot = SlotOf(entry.number);
  if (!slot || entry.generation < 0 || entry.generation > CPDFXRefEntry::kMaxGeneration) {
    return false;
  }
  if (slot->present && !slot->entry.inUse) UnlinkFree(entry.number);
  slot->present = true;
  slot->entry = entry;
  if (!entry.inUse) LinkFree(entry.number);
  return true;
}

void CPDFXRef::RemoveEntry(int32_t number) {
  Slot* slot = SlotOf(number);
  if (!slot || !slot->present) return;
  if (!slot->entry.inUse) UnlinkFree(number);
  *slot = Slot();
}

bool CPDFXRef::FreeEntry(int32_t number) {
  CPDFXRefEntry* entry = GetEntry(number);
  if (!entry || !entry->inUse) return false;
  if (entry->generation < CPDFXRefEntry::kMaxGeneration) ++entry->generation;
  entry->inUse = false;
  LinkFree(number);
  return true;
}

bool CPDFXRef::UpdateEntry(int32_t number) {
  CPDFXRefEntry* entry = GetEntry(number);
  if (!entry) return false;
  if (entry->inUse) return true;
  UnlinkFree(number);
  entry->offset = 0;
  entry->inUse = true;
  return true;
}

const CPDFXRefEntry* CPDFXRef::GetReusable() const {
  return reusable_.empty() ? nullptr : GetEntry(*reusable_.begin());
}

void CPDFXRef::Serialize(CPDFOutStream& out) {
  out.Write("xref\r\n", 6);
  const int32_t count = GetCount();
  int32_t number = 0;  // object 0 always opens the first subsection
  while (number <= count) {
    int32_t end = number == 0 ? 1 : number;
    while (end <= count && entries_[static_cast<size_t>(end) - 1].present) ++end;
    out.WriteInt(number);
    out.WriteByte(' ');
    out.WriteInt(end - number);
    out.Write("\r\n", 2);
    for (int32_t n = number; n < end; ++n) {
      if (n == 0) {
        WriteLine(out, GetFreeHead(), CPDFXRefEntry::kMaxGeneration, 'f');
        continue;
      }
      const CPDFXRefEntry& e = entries_[static_cast<size_t>(n) - 1].entry;
      WriteLine(out, e.offset, e.generation, e.inUse ? 'n' : 'f');
    }
    number = end;
    while (number <= count && !entries_[static_cast<size_t>(number) - 1].present) ++number;
  }
}
