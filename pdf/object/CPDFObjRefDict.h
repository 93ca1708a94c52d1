#pragma once
// A map from one indirect reference to another (old to new), ordered by
// object number, then generation.
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/TempDict.h"

class CPDFObjRefDict : public TempDict<CPDFObjRef, CPDFObjRef> {
 public:
  // Stores the pair; an existing key gets the new value.
  bool Insert(const CPDFObjRef& from, const CPDFObjRef& to) { return SetAt(from, to); }
  // The value stored under the key, or false.
  bool Lookup(const CPDFObjRef& from, CPDFObjRef* to) const {
    const CPDFObjRef* found = TempDict::Lookup(from);
    if (!found) return false;
    if (to) *to = *found;
    return true;
  }
};
