#include "pdf/document/CPDFBody.h"

#include <cstddef>

#include "pdf/object/CPDFObject.h"

namespace {
// Object numbers stay below what a 10-digit offset field and 32-bit
// arithmetic can carry.
constexpr int32_t kMaxObjects = 8388607;
}  // namespace

CPDFBody::~CPDFBody() {
  for (Slot& slot : slots_) delete slot.object;
}

bool CPDFBody::Create(CPDFObjRegistry* doc, const CPDFBody* previous) {
  SetDoc(doc);
  return previous ? SetCount(previous->GetCount()) : true;
}

CPDFBody::Slot* CPDFBody::SlotOf(int32_t number) {
  if (number < 1 || number > GetCount()) return nullptr;
  return &slots_[static_cast<size_t>(number) - 1];
}

const CPDFBody::Slot* CPDFBody::SlotOf(int32_t number) const {
  if (number < 1 || number > GetCount()) return nullptr;
  return &slots_[static_cast<size_t>(number) - 1];
}

CPDFObject* CPDFBody::GetObj(const CPDFObjRef& ref) const {
  if (!ref.IsDefined()) return nullptr;
  const Slot* slot = SlotOf(ref.GetNumber());
  if (!slot || !slot->object || !slot->ref.IsEqual(ref)) return nullptr;
  return slot->object;
}

CPDFObject* CPDFBody::GetSlot(int32_t number, CPDFObjRef* ref) const {
  const Slot* slot = SlotOf(number);
  if (!slot || !slot->object) return nullptr;
  if (ref) *ref = slot->ref;
  return slot->object;
}

bool CPDFBody::AddObj(CPDFObject* object, CPDFObjRef* ref) {
  if (GetCount() >= kMaxObjects) return false;
  Slot slot;
  slot.ref.Set(GetCount() + 1, 0);
  slot.object = object;
  slots_.push_back(slot);
  if (object) object->SetHolder(GetDoc(), slot.ref);
  if (ref) *ref = slot.ref;
  return true;
}

bool CPDFBody::SetObj(const CPDFObjRef& ref, CPDFObject* object) {
  if (!ref.IsDefined()) return false;
  Slot* slot = SlotOf(ref.GetNumber());
  if (!slot) return false;
  slot->ref = ref;
  if (slot->object != object) {
    delete slot->object;
    slot->object = object;
  }
  if (object) object->SetHolder(GetDoc(), ref);
  return true;
}

CPDFObject* CPDFBody::TakeObj(const CPDFObjRef& ref) {
  CPDFObject* object = GetObj(ref);
  if (!object) return nullptr;
  Slot* slot = SlotOf(ref.GetNumber());
  slot->object = nullptr;
  slot->ref.Reset();
  object->ClearHolder();
  return object;
}

bool CPDFBody::DeleteObj(const CPDFObjRef& ref) {
  CPDFObject* object = TakeObj(ref);
  delete object;
  return object != nullptr;
}

bool CPDFBody::SetCount(int32_t count) {
  if (count < 0 || count > kMaxObjects) return false;
  if (count > GetCount()) slots_.resize(static_cast<size_t>(count));
  return true;
}
