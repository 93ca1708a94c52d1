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

CPDFPage* CPDFPages::FindPage(int32_t index, CPDFObjRef* ref) {
  CPDFDepthGuard depth(g_treeDepth, kMaxDepth);
  CPDFObjRegistry* doc = GetDoc();
  CPDFArray* kids = Get_Kids();
  CPDFNumber* count = Get_Count();
  if (!kids || !count || depth.TooDeep()) return nullptr;
  if (index < 0 || index > count->GetInt() - 1) return nullptr;
  int32_t running = 0;
  for (int32_t i = 0; i < kids->GetCount(); ++i) {
    CPDFObjRef kidRef;
    auto* kid = dynamic_cast<CPDFDict*>(kids->Get(doc, i, &kidRef));
    if (!kid || !kidRef.IsDefined()) return nullptr;
    const CPDFName* type = TypeOf(doc, kid);
    if (!type) return nullptr;
    if (type->IsEqual(CPDFPage::Name_Page())) {
      if (running == index) {
        CPDFPage* page = TypedKid<CPDFPage>(kids, doc, i, kid, kidRef);
        if (!page) return nullptr;
        if (ref) *ref = kidRef;
        return page;
      }
      ++running;
    } else if (type->IsEqual(Name_Pages())) {
      CPDFPages* node = TypedKid<CPDFPages>(kids, doc, i, kid, kidRef);
      if (!node) return nullptr;
      CPDFNumber* kidCount = node->Get_Count();
      if (!kidCount || kidCount->GetInt() < 0) return nullptr;
      if (index < running + kidCount->GetInt()) {
        return node->FindPage(index - running, ref);
      }
      running += kidCount->GetInt();
    } else {
      return nullptr;
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

bool CPDFPages::Insert(int32_t position, CPDFPage* page, const CPDFObjRef& node,
                       CPDFObjRef* ref) {
  CPDFDepthGuard depth(g_treeDepth, kMaxDepth);
  CPDFObjRegistry* doc = GetDoc();
  CPDFArray* kids = Get_Kids();
  CPDFNumber* count = Get_Count();
  if (!doc || !kids || !count || depth.TooDeep()) return false;
  const int32_t total = count->GetInt();
  if (position == -1) position = total;
  if (position < 0 || position > total || total == INT32_MAX) return false;

  int32_t at = kids->GetCount();  // the Kids index that receives the page
  int32_t running = 0;
  for (int32_t i = 0; i < kids->GetCount(); ++i) {
    CPDFObjRef kidRef;
    auto* kid = dynamic_cast<CPDFDict*>(kids->Get(doc, i, &kidRef));
    if (!kid || !kidRef.IsDefined()) return false;
    const CPDFName* type = TypeOf(doc, kid);
    if (!type) return false;
    if (type->IsEqual(Name_Pages())) {
      CPDFPages* child = TypedKid<CPDFPages>(kids, doc, i, kid, kidRef);
      if (!child) return false;
      CPDFNumber* childCount = child->Get_Count();
      if (!childCount) return false;
      if (position < running + childCount->GetInt() || i == kids->GetCount() - 1) {
        if (!child->Insert(position - running, page, kidRef, ref)) return false;
        // This node's Count grows too; record it for an incremental save.
        if (!doc->UpdateObj(node)) return false;
        count->SetInt(total + 1);
        return true;
      }
      running += childCount->GetInt();
    } else {
      if (running == position) {
        at = i;
        break;
      }
      ++running;
    }
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
  if (ref) *ref = pageRef;
  return true;
}
