#include "pdf/composite/CPDFPage.h"

#include <memory>

#include "pdf/composite/CPDFPages.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFSepInfoDict.h"
#include "pdf/document/CPDFThumbnail.h"
#include "pdf/interactive/CPDFAddActDict.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/interactive/CPDFTransition.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {
PDF_CONST_NAME(Key_B, "B")
PDF_CONST_NAME(Key_Thumb, "Thumb")
PDF_CONST_NAME(Key_Dur, "Dur")
PDF_CONST_NAME(Key_Trans, "Trans")
PDF_CONST_NAME(Key_AA, "AA")
PDF_CONST_NAME(Key_PieceInfo, "PieceInfo")
PDF_CONST_NAME(Key_LastModified, "LastModified")
PDF_CONST_NAME(Key_SeparationInfo, "SeparationInfo")

// Each dictionary element of the array read from a file goes to the
// annotation factory; an element that cannot be fetched or that the factory
// does not take stays as read.
bool TypeAnnots(CPDFArray* annots, CPDFObjRegistry* doc) {
  if (!annots) return true;
  auto make = [doc](CPDFObject* value) {
    return CPDFAnnotation::CreateAnnotation(doc, dynamic_cast<CPDFDict*>(value), -1);
  };
  for (int32_t i = 0; i < annots->GetCount(); ++i) {
    if (!PDFTypeElement(annots, doc, i, CPDFObject::kDictionary, make)) return false;
  }
  return true;
}
}  // namespace

bool CPDFPage::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  const CPDFName* type = CPDFPages::TypeOf(doc, dict);
  if (!type) return false;
  if (type->IsEqual(Name_Template())) return true;
  if (!type->IsEqual(Name_Page())) return false;
  if (!PDFGetAs<CPDFDict>(dict, doc, Key_Parent())) return false;
  return !dict->HasKey(Key_B()) || PDFGetAs<CPDFArray>(dict, doc, Key_B());
}

bool CPDFPage::Create(CPDFObjRegistry* doc, bool isTemplate, const CPDFObjRef& parent) {
  SetDoc(doc);
  if (!Set_Type(isTemplate)) return false;
  if (!isTemplate && parent.IsDefined() && !Set_Parent(parent)) return false;
  std::unique_ptr<CPDFResDict> resources(new CPDFResDict);
  resources->SetDoc(doc);
  return Set(doc, Key_Resources(), std::move(resources), true);
}

bool CPDFPage::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  auto makeTransition = [doc](CPDFObject* value) {
    return CPDFTransition::CreateTransition(doc, dynamic_cast<CPDFDict*>(value), -1);
  };
  return PDFLoadFrame(this, doc, source, [&] {
    return CPDFPages::TypeInheritable(this, doc) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Rotate()) &&
           PDFTypeEntry<CPDFThumbnail>(this, doc, Key_Thumb()) && TypeAnnots(Get_Annots(), doc) &&
           PDFTypeEntry<CPDFReal>(this, doc, Key_Dur()) &&
           PDFTypeEntry(this, doc, Key_Trans(), kDictionary, makeTransition) &&
           PDFTypeEntry<CPDFAddActDict>(this, doc, Key_AA()) &&
           PDFTypeEntry<CPDFPieceInfoDict>(this, doc, Key_PieceInfo()) &&
           PDFTypeEntry<CPDFDate>(this, doc, Key_LastModified()) &&
           PDFTypeEntry<CPDFSepInfoDict>(this, doc, Key_SeparationInfo());
  });
}

CPDFObject* CPDFPage::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFPage::Set_Type(bool isTemplate) {
  return Set(GetDoc(), Key_Type(),
             std::make_unique<CPDFName>(isTemplate ? Name_Template() : Name_Page()));
}

bool CPDFPage::Set_Parent(const CPDFObjRef& parent) {
  return !IsTemplate() && parent.IsDefined() && PDFSetRef(this, Key_Parent(), parent);
}

bool CPDFPage::IsTemplate() {
  CPDFName* type = Get_Type();
  return type && type->IsEqual(Name_Template());
}

CPDFObject* CPDFPage::GetInherited(const CPDFName& key, CPDFObjRef* ref) {
  if (ref) ref->Reset();
  CPDFObjRegistry* doc = GetDoc();
  CPDFDict* node = this;
  for (int32_t depth = 0; node && depth <= CPDFPages::kMaxDepth; ++depth) {
    if (CPDFObject* value = node->Get(doc, key, ref)) return value;
    node = PDFGetAs<CPDFDict>(node, doc, Key_Parent());
  }
  if (ref) ref->Reset();
  return nullptr;
}

CPDFRect* CPDFPage::Get_MediaBox(CPDFObjRef* ref) {
  return dynamic_cast<CPDFRect*>(GetInherited(Key_MediaBox(), ref));
}

CPDFDict* CPDFPage::Get_Resources(CPDFObjRef* ref) {
  return dynamic_cast<CPDFDict*>(GetInherited(Key_Resources(), ref));
}

bool CPDFPage::Uninherit() {
  CPDFObjRegistry* doc = GetDoc();
  try {
    for (const CPDFName* key : {&Key_MediaBox(), &Key_Resources()}) {
      if (HasKey(*key)) continue;
      CPDFObjRef ref;
      CPDFObject* inherited = GetInherited(*key, &ref);
      if (!inherited) return false;
      std::unique_ptr<CPDFObject> copy(inherited->Clone(doc, doc));
      CPDFObjRef fresh;
      if (!copy || !Set(doc, *key, std::move(copy), ref.IsDefined(), &fresh)) return false;
    }
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFPage", "Uninherit");
  }
}
