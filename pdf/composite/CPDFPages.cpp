#include "pdf/composite/CPDFPages.h"

#include <memory>

#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFDepthGuard.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {
// Nodes of the page tree being descended (FindPage, Insert).
thread_local int32_t g_treeDepth = 0;
}  // namespace

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
  CPDFObjRegistry* doc = GetDoc();
  kid->dict = dynamic_cast<CPDFDict*>(kids->Get(doc, i, &kid->ref));
  kid->node = nullptr;
  kid->pages = 1;
  kid->kind = KidKind::kOther;
  if (!kid->dict || !kid->ref.IsDefined()) return false;
  const CPDFName* type = TypeOf(doc, kid->dict);
  if (!type) return false;
  if (type->IsEqual(CPDFPage::Name_Page())) {
    kid->kind = KidKind::kPage;
  } else if (type->IsEqual(Name_Pages())) {
    kid->kind = KidKind::kNode;
    kid->node = TypedKid<CPDFPages>(kids, doc, i, kid->dict, kid->ref);
    if (!kid->node) return false;
    CPDFNumber* count = kid->node->Get_Count();
    if (!count) return false;
    kid->pages = count->GetInt();
  }
  return true;
}

void CPDFPages::Forget() {
  index_.spans.clear();
  index_.firstOther = INT32_MAX;
  index_.open = true;
}

void CPDFPages::SyncIndex(const CPDFArray* kids, int32_t total) {
  if (index_.kids != kids || index_.total != total ||
      kids->GetCount() < static_cast<int32_t>(index_.spans.size())) {
    Forget();
    index_.kids = kids;
    index_.total = total;
  }
}

void CPDFPages::Record(int32_t i, const Kid& kid, int32_t start) {
  if (!index_.open || i != static_cast<int32_t>(index_.spans.size())) return;
  // A negative Count, or pages past the 32-bit range, have no span.
  if (kid.pages < 0 || kid.pages > INT32_MAX - start) {
    index_.open = false;
    return;
  }
  if (kid.kind == KidKind::kOther && index_.firstOther == INT32_MAX) index_.firstOther = i;
  index_.spans.push_back(Span{start + kid.pages, kid.ref, kid.kind});
}

int32_t CPDFPages::SpanAt(int32_t position) const {
  const std::vector<Span>& spans = index_.spans;
  if (spans.empty() || position >= spans.back().end) return -1;
  // Ends never fall (no span has a negative Count).
  size_t low = 0;
  size_t high = spans.size() - 1;
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    if (spans[mid].end > position) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return static_cast<int32_t>(low);
}

bool CPDFPages::ReadSpan(CPDFArray* kids, int32_t i, Kid* kid) {
  const Span& span = index_.spans[static_cast<size_t>(i)];
  const int32_t pages = span.end - SpanStart(static_cast<size_t>(i));
  CPDFAtom* atom = kids->GetAt(i);
  const bool same = atom && atom->GetKind() == CPDFAtom::kIndirectReference &&
                    static_cast<CPDFObjRef*>(atom)->IsEqual(span.ref) && ReadKid(kids, i, kid) &&
                    kid->kind == span.kind && kid->pages == pages;
  if (!same) Forget();
  return same;
}

void CPDFPages::PageInserted(int32_t at, const CPDFObjRef& ref) {
  std::vector<Span>& spans = index_.spans;
  if (at > static_cast<int32_t>(spans.size())) return;
  const Span span{SpanStart(static_cast<size_t>(at)) + 1, ref, KidKind::kPage};
  spans.insert(spans.begin() + at, span);
  for (size_t j = static_cast<size_t>(at) + 1; j < spans.size(); ++j) ++spans[j].end;
  if (index_.firstOther != INT32_MAX && index_.firstOther >= at) ++index_.firstOther;
}

void CPDFPages::PageInsertedBelow(int32_t i) {
  std::vector<Span>& spans = index_.spans;
  for (size_t j = static_cast<size_t>(i); j < spans.size(); ++j) ++spans[j].end;
}

CPDFPage* CPDFPages::FindPage(int32_t index, CPDFObjRef* ref) {
  CPDFDepthGuard depth(g_treeDepth, kMaxDepth);
  CPDFObjRegistry* doc = GetDoc();
  CPDFArray* kids = Get_Kids();
  CPDFNumber* count = Get_Count();
  if (!kids || !count || depth.TooDeep()) return nullptr;
  if (index < 0 || index > count->GetInt() - 1) return nullptr;
  SyncIndex(kids, count->GetInt());

  Kid kid;
  if (const int32_t i = SpanAt(index); i >= 0 && ReadSpan(kids, i, &kid)) {
    // A kid of another Type before it ends a walk from the start.
    if (index_.firstOther <= i) return nullptr;
    const int32_t start = SpanStart(static_cast<size_t>(i));
    if (kid.kind == KidKind::kNode) return kid.node->FindPage(index - start, ref);
    CPDFPage* page = TypedKid<CPDFPage>(kids, doc, i, kid.dict, kid.ref);
    if (page && ref) *ref = kid.ref;
    return page;
  }
  // On from where the index ends.
  if (index_.firstOther != INT32_MAX) return nullptr;
  const int32_t from = static_cast<int32_t>(index_.spans.size());
  int32_t running = SpanStart(index_.spans.size());
  for (int32_t i = from; i < kids->GetCount(); ++i) {
    if (!ReadKid(kids, i, &kid)) return nullptr;
    if (kid.kind == KidKind::kOther) return nullptr;
    if (kid.kind == KidKind::kNode && kid.pages < 0) return nullptr;
    Record(i, kid, running);
    if (kid.kind == KidKind::kPage) {
      if (running == index) {
        CPDFPage* page = TypedKid<CPDFPage>(kids, doc, i, kid.dict, kid.ref);
        if (page && ref) *ref = kid.ref;
        return page;
      }
      ++running;
    } else {
      if (index < running + kid.pages) return kid.node->FindPage(index - running, ref);
      running += kid.pages;
    }
  }
  return nullptr;
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

bool CPDFPages::Insert(int32_t position, CPDFPage* page, const CPDFObjRef& node, CPDFObjRef* ref) {
  CPDFDepthGuard depth(g_treeDepth, kMaxDepth);
  CPDFObjRegistry* doc = GetDoc();
  CPDFArray* kids = Get_Kids();
  CPDFNumber* count = Get_Count();
  if (!doc || !kids || !count || depth.TooDeep()) return false;
  const int32_t total = count->GetInt();
  if (position == -1) position = total;
  if (position < 0 || position > total || total == INT32_MAX) return false;
  SyncIndex(kids, total);

  // The page goes below a node kid (its span then grows), or into this
  // node's Kids at the index `at`.
  Kid kid;
  int32_t below = -1;  // the Kids index of the node that receives it
  int32_t start = 0;   // the pages before that node
  int32_t at = kids->GetCount();
  const int32_t last = kids->GetCount() - 1;
  const int32_t covered = static_cast<int32_t>(index_.spans.size());
  int32_t hit = SpanAt(position);
  // Past every span of a fully walked Kids: a walk would end at the last
  // kid, which takes the page when it is a node.
  if (hit < 0 && covered > 0 && covered == kids->GetCount() &&
      index_.spans.back().kind == KidKind::kNode) {
    hit = last;
  }
  if (hit >= 0 && ReadSpan(kids, hit, &kid)) {
    start = SpanStart(static_cast<size_t>(hit));
    if (kid.kind == KidKind::kNode) {
      below = hit;
    } else {
      at = hit;
    }
  } else {
    // On from where the index ends (from the start when it was forgotten).
    int32_t running = SpanStart(index_.spans.size());
    for (int32_t i = static_cast<int32_t>(index_.spans.size()); i < kids->GetCount(); ++i) {
      if (!ReadKid(kids, i, &kid)) return false;
      Record(i, kid, running);
      if (kid.kind == KidKind::kNode) {
        if (position < running + kid.pages || i == last) {
          below = i;
          start = running;
          break;
        }
        running += kid.pages;
      } else {
        if (running == position) {
          at = i;
          break;
        }
        ++running;
      }
    }
  }

  if (below >= 0) {
    if (!kid.node->Insert(position - start, page, kid.ref, ref)) return false;
    // This node's Count grows too; record it for an incremental save.
    if (!doc->UpdateObj(node)) return false;
    count->SetInt(total + 1);
    index_.total = total + 1;
    PageInsertedBelow(below);
    return true;
  }

  if (!doc->UpdateObj(node)) return false;
  if (!page->Set_Parent(node)) return false;
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
  count->SetInt(total + 1);
  index_.total = total + 1;
  PageInserted(at, pageRef);
  if (ref) *ref = pageRef;
  return true;
}
