#include "pdf/composite/CPDFPages.h"

#include <memory>
#include <vector>

#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

const CPDFName* CPDFPages::TypeOf(CPDFObjRegistry* doc, CPDFDict* dict) {
  return dict ? PDFGetAs<CPDFName>(dict, doc, Key_Type()) : nullptr;
}

bool CPDFPages::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  const CPDFName* type = TypeOf(doc, dict);
  return type && type->IsEqual(Name_Pages()) && PDFGetAs<CPDFArray>(dict, doc, Key_Kids()) &&
         PDFGetAs<CPDFNumber>(dict, doc, Key_Count());
}

bool CPDFPages::Create(CPDFObjRegistry* doc, const CPDFObjRef& parent) {
  SetDoc(doc);
  if (!Set(doc, Key_Type(), std::make_unique<CPDFName>(Name_Pages()))) return false;
  if (parent.IsDefined() && !SetParentRef(parent)) return false;
  return Set(doc, Key_Kids(), std::make_unique<CPDFArray>()) &&
         Set(doc, Key_Count(), std::make_unique<CPDFInt>(0));
}

bool CPDFPages::TypeInheritable(CPDFDict* dict, CPDFObjRegistry* doc) {
  for (const CPDFName* key :
       {&Key_MediaBox(), &Key_CropBox(), &Key_ArtBox(), &Key_TrimBox(), &Key_BleedBox()}) {
    if (!PDFTypeEntry<CPDFRect>(dict, doc, *key)) return false;
  }
  return PDFTypeEntry<CPDFResDict>(dict, doc, Key_Resources());
}

bool CPDFPages::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFInt>(this, doc, Key_Count(), PDFEntry::kRequired) &&
           TypeInheritable(this, doc);
  });
}

CPDFObject* CPDFPages::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFPages::SetParentRef(const CPDFObjRef& parent) {
  return parent.IsDefined() && PDFSetRef(this, Key_Parent(), parent);
}

namespace {

// The kid at the index as a typed T: a raw kid that passes T's check is
// loaded into a new T and stored back under its reference (made in memory
// or read from a file alike). None when the check, the load or the store
// fails; the kid then keeps its content.
template <class T>
T* TypedKid(CPDFArray* kids, CPDFObjRegistry* doc, int32_t index, CPDFDict* kid,
            const CPDFObjRef& ref) {
  if (auto* typed = dynamic_cast<T*>(kid)) return typed;
  if (!T::Check(doc, kid)) return nullptr;
  std::unique_ptr<T> typed(new T);
  if (!typed->Load(doc, kid)) return nullptr;
  T* result = typed.get();
  if (!PDFStoreTypedElement(kids, doc, index, std::move(typed), kid, ref)) return nullptr;
  return result;
}

}  // namespace

// The nodes a walk down the tree has entered, each marked while it is on
// the way, so that a kid leading back to one of them is known for a loop.
// At most kMaxDepth nodes.
class CPDFPages::Path {
 public:
  Path() = default;
  Path(const Path&) = delete;
  Path& operator=(const Path&) = delete;
  ~Path() {
    for (CPDFPages* node : nodes_) node->onPath_ = false;
  }
  // False when the node is on the way already or the walk is too deep.
  bool Enter(CPDFPages* node) {
    if (node->onPath_ || nodes_.size() >= static_cast<size_t>(kMaxDepth)) return false;
    nodes_.push_back(node);
    node->onPath_ = true;
    return true;
  }
  // The node entered last is left (the walk goes back up from it).
  void Leave() {
    nodes_.back()->onPath_ = false;
    nodes_.pop_back();
  }
  static bool Loops(CPDFPages* node) { return node->onPath_; }
  // Every node entered forgets its count: the tree below it holds a loop.
  void ForgetCounts() {
    for (CPDFPages* node : nodes_) node->index_.counted = false;
  }
  size_t Depth() const { return nodes_.size(); }

 private:
  std::vector<CPDFPages*> nodes_;
};

int64_t& CPDFPages::KidsRead() {
  static thread_local int64_t read = 0;
  return read;
}

CPDFPage* CPDFPages::GetPage(int32_t index, CPDFObjRef* ref) {
  if (ref) ref->Reset();
  try {
    return FindPage(index, ref);
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFPages", "GetPage");
    return nullptr;
  }
}

bool CPDFPages::ReadKid(CPDFArray* kids, int32_t i, Kid* kid) {
  ++KidsRead();
  CPDFObjRegistry* doc = GetDoc();
  kid->dict = dynamic_cast<CPDFDict*>(kids->Get(doc, i, &kid->ref));
  kid->node = nullptr;
  kid->pages = 1;
  kid->kind = Kind::kOther;
  if (!kid->dict || !kid->ref.IsDefined()) return false;
  const CPDFName* type = TypeOf(doc, kid->dict);
  if (!type) return false;
  if (type->IsEqual(CPDFPage::Name_Page())) {
    kid->kind = Kind::kPage;
  } else if (type->IsEqual(Name_Pages())) {
    kid->kind = Kind::kNode;
    kid->node = TypedKid<CPDFPages>(kids, doc, i, kid->dict, kid->ref);
    if (!kid->node) return false;
    CPDFNumber* count = kid->node->Get_Count();
    if (!count) return false;
    kid->pages = count->GetInt();
  }
  return true;
}

void CPDFPages::Forget() {
  index_.spans.Clear();
  index_.firstOther = INT32_MAX;
  index_.open = true;
  index_.counted = false;
}

void CPDFPages::SyncIndex(const CPDFArray* kids, int32_t total) {
  if (index_.kids != kids || index_.total != total || kids->GetCount() < index_.spans.Size()) {
    Forget();
    index_.kids = kids;
    index_.total = total;
  }
}

void CPDFPages::Record(int32_t i, const Kid& kid, int32_t start) {
  if (!index_.open || i != index_.spans.Size()) return;
  // A negative Count, or pages past the 32-bit range, have no span.
  if (kid.pages < 0 || kid.pages > INT32_MAX - start ||
      !index_.spans.Insert(i, PageSpans::Span{kid.ref, kid.pages, kid.kind})) {
    index_.open = false;
    return;
  }
  if (kid.kind == Kind::kOther && index_.firstOther == INT32_MAX) index_.firstOther = i;
}

bool CPDFPages::ReadSpan(CPDFArray* kids, int32_t i, Kid* kid) {
  const PageSpans::Span& span = index_.spans.At(i);
  CPDFAtom* atom = kids->GetAt(i);
  // A loop's kid reads as the node it is.
  const Kind kind = span.kind == Kind::kLoop ? Kind::kNode : span.kind;
  const bool same = atom && atom->GetKind() == CPDFAtom::kIndirectReference &&
                    static_cast<CPDFObjRef*>(atom)->IsEqual(span.ref) && ReadKid(kids, i, kid) &&
                    kid->kind == kind && kid->pages == span.pages;
  if (!same) Forget();
  return same;
}

void CPDFPages::MarkLoop(int32_t i) {
  if (i < index_.spans.Size()) {
    index_.spans.SetKind(i, Kind::kLoop);
    if (i < index_.firstOther) index_.firstOther = i;
  }
  index_.counted = false;
}

bool CPDFPages::Locate(CPDFArray* kids, int32_t position, int32_t* at, int32_t* start, Kid* kid) {
  if (const int32_t i = index_.spans.Find(position); i >= 0) {
    // A kid of another Type or a loop before it ends a walk from the start.
    if (index_.firstOther <= i) return false;
    if (ReadSpan(kids, i, kid)) {
      *at = i;
      *start = SpanStart(i);
      return true;
    }
  }
  // On from where the index ends (from the start when it was forgotten).
  if (index_.firstOther != INT32_MAX) return false;
  int32_t running = SpanStart(index_.spans.Size());
  for (int32_t i = index_.spans.Size(); i < kids->GetCount(); ++i) {
    if (!ReadKid(kids, i, kid)) return false;
    if (kid->kind == Kind::kOther) {
      Record(i, *kid, running);
      return false;
    }
    if (kid->kind == Kind::kNode && kid->pages < 0) return false;
    Record(i, *kid, running);
    const int32_t pages = kid->kind == Kind::kPage ? 1 : kid->pages;
    if (position < running + pages) {
      *at = i;
      *start = running;
      return true;
    }
    running += pages;
  }
  return false;
}

CPDFPage* CPDFPages::FindPage(int32_t index, CPDFObjRef* ref) {
  Path path;
  CPDFPages* node = this;
  for (;;) {
    if (!path.Enter(node)) return nullptr;
    CPDFArray* kids = node->Get_Kids();
    CPDFNumber* count = node->Get_Count();
    if (!kids || !count) return nullptr;
    if (index < 0 || index > count->GetInt() - 1) return nullptr;
    node->SyncIndex(kids, count->GetInt());
    Kid kid;
    int32_t at = 0;
    int32_t start = 0;
    if (!node->Locate(kids, index, &at, &start, &kid)) return nullptr;
    if (kid.kind == Kind::kPage) {
      CPDFPage* page = TypedKid<CPDFPage>(kids, node->GetDoc(), at, kid.dict, kid.ref);
      if (page && ref) *ref = kid.ref;
      return page;
    }
    if (Path::Loops(kid.node)) {
      node->MarkLoop(at);
      path.ForgetCounts();
      return nullptr;
    }
    node = kid.node;
    index -= start;
  }
}

bool CPDFPages::InsertPage(int32_t position, CPDFPage* page, const CPDFObjRef& node,
                           CPDFObjRef* ref) {
  if (!page || !node.IsDefined()) return false;
  try {
    return Insert(position, page, node, ref);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFPages", "InsertPage");
  }
}

bool CPDFPages::PlaceInsertion(CPDFArray* kids, int32_t position, int32_t* below, int32_t* start,
                               int32_t* at, Kid* kid) {
  *below = -1;
  *start = 0;
  *at = kids->GetCount();
  const int32_t last = kids->GetCount() - 1;
  const int32_t covered = index_.spans.Size();
  int32_t hit = index_.spans.Find(position);
  // Past every span of a fully walked Kids: a walk would end at the last
  // kid, which takes the page when it is a node.
  if (hit < 0 && covered > 0 && covered == kids->GetCount() &&
      index_.spans.At(covered - 1).kind != Kind::kPage &&
      index_.spans.At(covered - 1).kind != Kind::kOther) {
    hit = last;
  }
  if (hit >= 0 && ReadSpan(kids, hit, kid)) {
    *start = SpanStart(hit);
    if (kid->kind == Kind::kNode) {
      *below = hit;
    } else {
      *at = hit;
    }
    return true;
  }
  // On from where the index ends (from the start when it was forgotten).
  int32_t running = SpanStart(index_.spans.Size());
  for (int32_t i = index_.spans.Size(); i < kids->GetCount(); ++i) {
    if (!ReadKid(kids, i, kid)) return false;
    Record(i, *kid, running);
    if (kid->kind == Kind::kNode) {
      if (position < running + kid->pages || i == last) {
        *below = i;
        *start = running;
        return true;
      }
      running += kid->pages;
    } else {
      if (running == position) {
        *at = i;
        *start = running;
        return true;
      }
      ++running;
    }
  }
  return true;
}

bool CPDFPages::Insert(int32_t position, CPDFPage* page, const CPDFObjRef& nodeRef,
                       CPDFObjRef* ref) {
  CPDFObjRegistry* doc = GetDoc();
  if (!doc) return false;
  // The nodes down to the one that takes the page, each with the Kids index
  // of the node kid the page goes below and its Count before.
  struct Step {
    CPDFPages* node;
    CPDFObjRef ref;
    int32_t below;
    CPDFNumber* count;
    int32_t total;
  };
  std::vector<Step> steps;
  Path path;
  CPDFPages* node = this;
  CPDFObjRef nodeAt = nodeRef;
  int32_t at = 0;
  for (;;) {
    if (!path.Enter(node)) return false;
    CPDFArray* kids = node->Get_Kids();
    CPDFNumber* count = node->Get_Count();
    if (!kids || !count) return false;
    const int32_t total = count->GetInt();
    if (position == -1) position = total;
    if (position < 0 || position > total || total == INT32_MAX) return false;
    node->SyncIndex(kids, total);
    Kid kid;
    int32_t below = -1;
    int32_t start = 0;
    if (!node->PlaceInsertion(kids, position, &below, &start, &at, &kid)) return false;
    steps.push_back(Step{node, nodeAt, below, count, total});
    if (below < 0) break;
    if (Path::Loops(kid.node)) {
      node->MarkLoop(below);
      path.ForgetCounts();
      return false;
    }
    node = kid.node;
    nodeAt = kid.ref;
    position -= start;
  }

  // Every node whose Count grows is recorded as changed (for an
  // incremental save) before anything changes.
  for (const Step& step : steps) {
    if (!doc->UpdateObj(step.ref)) return false;
  }
  CPDFPages* target = steps.back().node;
  CPDFArray* kids = target->Get_Kids();
  if (!page->Set_Parent(steps.back().ref)) return false;
  // The slot is made before the page is registered: once registered the
  // page is the document's and must end up in the tree.
  std::unique_ptr<CPDFObjRef> slot(new CPDFObjRef);
  if (!kids->Insert(slot.get(), at)) return false;
  CPDFObjRef* placed = slot.release();
  CPDFObjRef pageRef;
  if (!doc->RegistObj(page, &pageRef)) {
    kids->Remove(nullptr, at);
    return false;
  }
  *placed = pageRef;
  for (const Step& step : steps) {
    PageIndex& index = step.node->index_;
    step.count->SetInt(step.total + 1);
    index.total = step.total + 1;
    // A count taken of a tree without loops stays right: the new page is
    // one more reachable.
    if (index.counted && !index.cut) {
      index.reachable = step.total + 1;
    } else {
      index.counted = false;
    }
    if (step.below >= 0) {
      if (step.below < index.spans.Size()) index.spans.AddPages(step.below, 1);
    } else if (at <= index.spans.Size()) {
      // The new page kid at Kids index `at`: the spans after it move by one.
      if (!index.spans.Insert(at, PageSpans::Span{pageRef, 1, Kind::kPage})) {
        step.node->Forget();
        index.total = step.total + 1;
      } else if (index.firstOther != INT32_MAX && index.firstOther >= at) {
        ++index.firstOther;
      }
    }
  }
  if (ref) *ref = pageRef;
  return true;
}

int32_t CPDFPages::CountPages() {
  CPDFArray* rootKids = Get_Kids();
  CPDFNumber* rootCount = Get_Count();
  if (!rootCount) return -1;
  if (!rootKids) return rootCount->GetInt();
  SyncIndex(rootKids, rootCount->GetInt());
  if (index_.counted) return index_.reachable;

  // Depth first, with a stack of the nodes being counted; each node's kids
  // are walked as a search from the start would walk them (and recorded in
  // its index), and a node already counted answers from its count.
  struct Frame {
    CPDFPages* node;
    int32_t next;   // the Kids index to look at next
    int64_t pages;  // reachable pages of the kids before it
    bool cut;       // a kid before it holds a loop or lies too deep
    bool done;      // the walk met a kid that ends it
  };
  Path path;
  std::vector<Frame> stack;
  path.Enter(this);
  stack.push_back(Frame{this, 0, 0, false, false});
  int32_t answer = 0;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    CPDFPages* node = frame.node;
    CPDFArray* kids = node->Get_Kids();
    CPDFNumber* count = node->Get_Count();
    const int32_t total = count ? count->GetInt() : 0;
    if (kids && count) node->SyncIndex(kids, total);
    if (kids && count && !frame.done && frame.next >= node->index_.firstOther) {
      // A search ends at the kid of another Type or the loop recorded there.
      frame.done = true;
      if (node->index_.spans.At(node->index_.firstOther).kind == Kind::kLoop) frame.cut = true;
    }
    if (!kids || !count || frame.done || frame.next >= kids->GetCount()) {
      // This node is counted: Count, unless a loop lies below it.
      PageIndex& index = node->index_;
      index.counted = true;
      index.cut = frame.cut;
      const int64_t limit = total < 0 ? 0 : total;
      index.reachable =
          frame.cut ? static_cast<int32_t>(frame.pages < limit ? frame.pages : limit) : total;
      const bool cut = frame.cut;
      const int32_t reachable = index.reachable;
      stack.pop_back();
      path.Leave();
      if (stack.empty()) {
        answer = reachable;
      } else {
        Frame& parent = stack.back();
        parent.pages += reachable < 0 ? 0 : reachable;
        parent.cut = parent.cut || cut;
      }
      continue;
    }
    const int32_t i = frame.next++;
    Kid kid;
    const bool known = i < node->index_.spans.Size();
    if (known && node->index_.spans.At(i).kind == Kind::kPage) {
      // A page recorded: no need to read it.
      frame.pages += 1;
      continue;
    }
    if (known ? !node->ReadSpan(kids, i, &kid) : !node->ReadKid(kids, i, &kid)) {
      // Not what the index recorded (it is forgotten: start this node
      // again), or no kid a search can pass.
      if (known) {
        frame.next = 0;
        frame.pages = 0;
        frame.cut = false;
      } else {
        frame.done = true;
      }
      continue;
    }
    if (!known) node->Record(i, kid, static_cast<int32_t>(node->index_.spans.Pages()));
    if (kid.kind == Kind::kPage) {
      frame.pages += 1;
    } else if (kid.kind == Kind::kOther || kid.pages < 0) {
      frame.done = true;
    } else if (Path::Loops(kid.node) || path.Depth() >= static_cast<size_t>(kMaxDepth)) {
      // Back into a node being counted, or too deep: no page below it is
      // reachable.
      if (Path::Loops(kid.node)) node->MarkLoop(i);
      frame.cut = true;
      frame.done = true;
    } else if (kid.node->index_.counted && kid.node->Get_Kids() == kid.node->index_.kids &&
               kid.node->index_.total == kid.pages) {
      frame.pages += kid.node->index_.reachable;
      frame.cut = frame.cut || kid.node->index_.cut;
    } else {
      path.Enter(kid.node);
      stack.push_back(Frame{kid.node, 0, 0, false, false});
    }
  }
  return answer;
}
