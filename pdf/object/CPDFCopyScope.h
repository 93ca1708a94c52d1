#pragma once
// The state of one deep copy of arrays and dictionaries. The outermost
// Duplicate opens it; every nested Duplicate (reached through Clone) shares
// its map from source references to destination references, so an object
// reached twice is copied once and reference cycles end. A depth guard stops
// copies that recurse without references (no destination document).
#include <cstdint>

#include "pdf/object/CPDFObjRefDict.h"

class CPDFObject;
class CPDFObjRegistry;

class CPDFCopyScope {
 public:
  static constexpr int32_t kMaxDepth = 256;

  CPDFCopyScope();
  ~CPDFCopyScope();
  CPDFCopyScope(const CPDFCopyScope&) = delete;
  CPDFCopyScope& operator=(const CPDFCopyScope&) = delete;

  bool TooDeep() const;
  CPDFObjRefDict& Map();

  // What to store for one source element.
  enum class Step { kSkip, kFail, kStoreRef, kStoreObject };
  struct Element {
    Step step = Step::kFail;
    // kStoreObject: the new copy (the caller owns it until stored).
    CPDFObject* clone = nullptr;
    // kStoreRef: the reference to store. kStoreObject with indirect: the
    // reserved destination reference to register the clone under.
    CPDFObjRef ref;
    bool indirect = false;
  };
  // Decides the copy of one element: value is the resolved source object,
  // sourceRef its reference (undefined for a direct value). A value whose
  // copy flag is clear is skipped; a referenced value already copied in this
  // scope gives its destination reference; otherwise it is cloned, and with
  // a destination document a reference is reserved for it first.
  Element CopyElement(CPDFObject* value, const CPDFObjRef& sourceRef, CPDFObjRegistry* doc,
                      CPDFObjRegistry* sourceDoc);
  // Drops a reservation after a failed store.
  static void Abandon(Element& element, CPDFObjRegistry* doc);

 private:
  CPDFObjRefDict* owned_ = nullptr;
};
