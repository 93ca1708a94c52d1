#include "pdf/object/CPDFObject.h"

#include "pdf/object/CPDFObjRef.h"

bool CPDFObject::Release(CPDFObjRegistry*) { return true; }

bool CPDFObject::Linearize(CPDFObjRegistry*) { return true; }

bool CPDFObject::Duplicate(CPDFObject* dest, CPDFObjRegistry*, CPDFObjRegistry*, bool) const {
  if (!dest) return false;
  dest->loaded_ = loaded_;
  dest->shared_ = shared_;
  dest->releasable_ = releasable_;
  dest->linearizable_ = linearizable_;
  return true;
}

void CPDFObject::AssignObject(const CPDFObject& source) {
  type_ = source.type_;
  typeName_ = source.typeName_;
  loaded_ = source.loaded_;
  shared_ = source.shared_;
  releasable_ = source.releasable_;
  linearizable_ = source.linearizable_;
}

const CPDFObjRegistry* CPDFObject::GetHolder(CPDFObjRef* ref) const {
  if (ref) {
    if (holder_) {
      ref->Set(heldNumber_, heldGeneration_);
    } else {
      ref->Reset();
    }
  }
  return holder_;
}

void CPDFObject::SetHolder(const CPDFObjRegistry* holder, const CPDFObjRef& ref) {
  holder_ = holder;
  heldNumber_ = ref.GetNumber();
  heldGeneration_ = ref.GetGeneration();
}
