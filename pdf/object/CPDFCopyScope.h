#pragma once
// The state of one deep copy of arrays and dictionaries. The outermost
// Duplicate opens it; every nested Duplicate (reached through Clone) shares
// its map from source references to destination references, so an object
// reached twice is copied once and reference cycles end. A depth guard stops
// copies that recurse without references (no destination document).
#include <cstdint>
#include <memory>

#include "pdf/object/CPDFDepthGuard.h"
#include "pdf/object/CPDFObjRef.h"
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

  // True when this copy is nested deeper than kMaxDepth.
  bool TooDeep() const { return depth_.TooDeep(); }
  CPDFObjRefDict& Map();

  // One level of the same depth count without opening a scope (no map is
  // made): for copies that recurse through their own steps (a field's
  // values) so that they stop at the same depth as the nested Duplicates.
  class Level {
   public:
    Level();
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    bool TooDeep() const { return depth_.TooDeep(); }

   private:
    CPDFDepthGuard depth_;
  };

  // Marks an object as under copy for as long as the mark lives (a form
  // field whose Clone runs). A copy that meets a marked object again, as a
  // value or at any depth inside arrays and dictionaries, has found a cycle
  // back into itself: CopyElement fails there instead of passing the value
  // by as it passes other values whose copy flag is clear.
  class Mark {
   public:
    explicit Mark(const CPDFObject* object);
    ~Mark();
    Mark(const Mark&) = delete;
    Mark& operator=(const Mark&) = delete;
    // False when the object was marked already (the copy came back to it)
    // or the mark could not be made.
    bool Marked() const { return marked_; }

   private:
    bool marked_ = false;
  };
  // True while a Mark for the object lives on this thread.
  static bool IsUnderCopy(const CPDFObject* object);

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
  // copy flag is clear is skipped, unless it is under copy (kFail); a
  // referenced value already copied in this scope gives its destination
  // reference; otherwise it is cloned, and with a destination document a
  // reference is reserved for it first.
  Element CopyElement(CPDFObject* value, const CPDFObjRef& sourceRef, CPDFObjRegistry* doc,
                      CPDFObjRegistry* sourceDoc);
  // Drops a reservation after a failed store.
  static void Abandon(Element& element, CPDFObjRegistry* doc);

  // Copies one element and stores it through the container's own steps:
  // storeRef(CPDFObjRef*) takes a new reference (false leaves it with the
  // caller), storeObject(Element&) stores e.clone (registered under e.ref
  // when e.indirect). False when the copy or the store fails (a reservation
  // is then dropped); true also when the element is skipped.
  template <class StoreRef, class StoreObject>
  bool CopyAndStore(CPDFObject* value, const CPDFObjRef& sourceRef, CPDFObjRegistry* doc,
                    CPDFObjRegistry* sourceDoc, StoreRef storeRef, StoreObject storeObject) {
    Element e = CopyElement(value, sourceRef, doc, sourceDoc);
    bool stored = false;
    switch (e.step) {
      case Step::kSkip: return true;
      case Step::kFail: return false;
      case Step::kStoreRef: {
        std::unique_ptr<CPDFObjRef> ref(new CPDFObjRef(e.ref));
        stored = storeRef(ref.get());
        if (stored) ref.release();
        break;
      }
      case Step::kStoreObject:
        stored = storeObject(e);
        if (stored) e.clone = nullptr;
        break;
    }
    if (!stored) Abandon(e, doc);
    return stored;
  }

 private:
  CPDFObjRefDict* owned_ = nullptr;
  CPDFDepthGuard depth_;
};
