#include "pdf/object/CPDFObject.h"

#include <vector>

#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/internal/CPDFDirectWalk.h"

namespace {

// The writer's nesting on this thread (CPDFObject::WriteLevel).
thread_local int32_t g_writeDepth = 0;

// Containers dropped while another is being deleted, and whether a
// deletion is under way on this thread (CPDFAtomDispose).
thread_local std::vector<CPDFAtom*> g_pendingDeletes;
thread_local bool g_deleting = false;

// A list grown by one very wide object is not kept for the thread's life.
constexpr size_t kKeptPendingCapacity = 4096;

}  // namespace

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

int32_t CPDFObject::NestingDepth(int32_t limit) {
  if (!IsType(kArray | kDictionary | kStream)) return 0;
  int32_t deepest = 1;
  CPDFDirectWalk::Run(this, [&](CPDFAtom* atom, int32_t level) {
    using Step = CPDFDirectWalk::Step;
    if (!CPDFDirectWalk::IsContainer(atom)) return Step::kNext;
    if (level + 1 > deepest) deepest = level + 1;
    return deepest > limit ? Step::kStop : Step::kDescend;
  });
  return deepest;
}

CPDFObject::WriteLevel::WriteLevel() : guard_(g_writeDepth, kMaxNesting) {}

void CPDFAtomDispose::operator()(CPDFAtom* atom) const {
  if (!atom) return;
  if (g_deleting) {
    if (CPDFDirectWalk::IsContainer(atom)) {
      try {
        g_pendingDeletes.push_back(atom);
        return;
      } catch (...) {
        // No room on the list: freed at once, one level deeper.
      }
    }
    delete atom;
    return;
  }
  g_deleting = true;
  delete atom;
  while (!g_pendingDeletes.empty()) {
    CPDFAtom* next = g_pendingDeletes.back();
    g_pendingDeletes.pop_back();
    delete next;
  }
  if (g_pendingDeletes.capacity() > kKeptPendingCapacity) {
    std::vector<CPDFAtom*>().swap(g_pendingDeletes);
  }
  g_deleting = false;
}
