#include "pdf/object/CPDFObject.h"

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
