#include "pdf/object/CPDFCopyScope.h"

#include <algorithm>
#include <vector>

#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFObject.h"

namespace {
thread_local CPDFObjRefDict* g_map = nullptr;
thread_local int32_t g_depth = 0;
// The objects under copy on this thread, outermost first: one per copy
// that marks its object (a field's Clone), so no more than the copy depth.
thread_local std::vector<const CPDFObject*> g_marked;
}  // namespace

CPDFCopyScope::CPDFCopyScope() : depth_(g_depth, kMaxDepth) {
  if (!g_map) {
    owned_ = new CPDFObjRefDict;
    g_map = owned_;
  }
}

CPDFCopyScope::~CPDFCopyScope() {
  if (owned_) {
    g_map = nullptr;
    delete owned_;
  }
}

CPDFObjRefDict& CPDFCopyScope::Map() { return *g_map; }

CPDFCopyScope::Level::Level() : depth_(g_depth, kMaxDepth) {}

CPDFCopyScope::Mark::Mark(const CPDFObject* object) {
  if (!object || IsUnderCopy(object)) return;
  try {
    g_marked.push_back(object);
  } catch (...) {
    return;
  }
  marked_ = true;
}

CPDFCopyScope::Mark::~Mark() {
  if (marked_) g_marked.pop_back();
}

bool CPDFCopyScope::IsUnderCopy(const CPDFObject* object) {
  return object && std::find(g_marked.begin(), g_marked.end(), object) != g_marked.end();
}

CPDFCopyScope::Element CPDFCopyScope::CopyElement(CPDFObject* value, const CPDFObjRef& sourceRef,
                                                  CPDFObjRegistry* doc,
                                                  CPDFObjRegistry* sourceDoc) {
  Element e;
  if (!value) return e;
  if (!value->IsShared()) {
    // A way back into the copy under way is a cycle: the copy fails.
    if (!g_marked.empty() && IsUnderCopy(value)) return e;
    e.step = Step::kSkip;
    return e;
  }
  const bool viaRef = sourceRef.IsDefined() && doc;
  if (viaRef) {
    CPDFObjRef mapped;
    if (Map().Lookup(sourceRef, &mapped)) {
      e.step = Step::kStoreRef;
      e.ref = mapped;
      return e;
    }
    // Reserve the destination number before copying, so that a cycle
    // leading back to this object finds it in the map.
    CPDFObject* placeholder = new CPDFNull;
    if (!doc->RegistObj(placeholder, &e.ref)) {
      delete placeholder;
      return e;
    }
    Map().Insert(sourceRef, e.ref);
    e.indirect = true;
  }
  e.clone = value->Clone(doc, sourceDoc);
  if (!e.clone) {
    Abandon(e, doc);
    e.step = Step::kFail;
    return e;
  }
  e.step = Step::kStoreObject;
  return e;
}

void CPDFCopyScope::Abandon(Element& element, CPDFObjRegistry* doc) {
  delete element.clone;
  element.clone = nullptr;
  if (element.indirect && doc && element.ref.IsDefined()) doc->DeleteObj(element.ref);
  element.step = Step::kFail;
}
