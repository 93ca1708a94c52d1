#include "pdf/document/CPDFPage.h"

#include <memory>

#include "pdf/document/CPDFPageTypes.h"
#include "pdf/document/CPDFPages.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFSepInfoDict.h"
#include "pdf/document/CPDFThumbnail.h"
#include "pdf/interactive/CPDFAddActDict.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {
PDF_CONST_NAME(Key_B, "B")
PDF_CONST_NAME(Key_Dur, "Dur")
PDF_CONST_NAME(Key_Trans, "Trans")
PDF_CONST_NAME(Key_AA, "AA")
PDF_CONST_NAME(Key_LastModified, "LastModified")

// A number read from a file becomes an integer or a real.
template <class T>
bool ConvertNumber(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  return PDFConvertEntry<T, CPDFNumber>(dict, doc, key, CPDFObject::kNumber,
                                        [](T* to, CPDFNumber* from) {
                                          if constexpr (std::is_same_v<T, CPDFInt>) {
                                            to->SetInt(from->GetInt());
                                          } else {
                                            to->SetReal(static_cast<float>(from->GetReal()));
                                          }
                                          return true;
                                        });
}

// Hands each dictionary element of the array to the annotation factory; an
// element the factory does not take stays as read.
bool ConvertAnnots(CPDFArray* annots, CPDFObjRegistry* doc) {
  for (int32_t i = 0; i < annots->GetCount(); ++i) {
    CPDFObjRef ref;
    auto* raw = dynamic_cast<CPDFDict*>(annots->Get(doc, i, &ref));
    if (!raw || !raw->IsLoaded()) continue;
    std::unique_ptr<CPDFAnnotation> annot(CPDFAnnotation::CreateAnnotation(doc, raw, -1));
    if (!annot) continue;
    if (!annots->SetAt(doc, i, annot.get(), ref.IsDefined(), &ref)) {
      PDFGiveBack(static_cast<CPDFDict*>(annot.get()), raw, doc);
      return false;
    }
    annot.release();
  }
  return true;
}
}  // namespace

bool ConvertInheritable(CPDFDict* dict, CPDFObjRegistry* doc) {
  for (const char* key : {"MediaBox", "CropBox", "ArtBox", "TrimBox", "BleedBox"}) {
    if (!PDFConvertChecked<CPDFRect, CPDFArray>(dict, doc, CPDFName(key), CPDFObject::kArray)) {
      return false;
    }
  }
  return PDFConvertEntry<CPDFResDict, CPDFDict>(
      dict, doc, CPDFPage::Key_Resources(), CPDFObject::kDictionary,
      [doc](CPDFResDict* typed, CPDFDict* raw) { return typed->Load(doc, raw); });
}

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
  if (!Set_Resources(resources.get(), true)) return false;
  resources.release();
  return true;
}

bool CPDFPage::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [&] {
    if (!ConvertInheritable(this, doc)) return false;
    if (!ConvertNumber<CPDFInt>(this, doc, Key_Rotate())) return false;
    if (CPDFArray* annots = Get_Annots(); annots && !ConvertAnnots(annots, doc)) return false;
    if (!ConvertNumber<CPDFReal>(this, doc, Key_Dur())) return false;
    CPDFObjRef ref;
    if (auto* trans = dynamic_cast<CPDFDict*>(Get(doc, Key_Trans(), &ref));
        trans && trans->IsLoaded()) {
      std::unique_ptr<CPDFTransition> typed(CPDFTransition::CreateTransition(doc, trans, -1));
      if (typed) {
        if (!Set(doc, Key_Trans(), typed.get(), ref.IsDefined(), &ref)) return false;
        typed.release();
      }
    }
    if (!PDFConvertEntry<CPDFAddActDict, CPDFDict>(
            this, doc, Key_AA(), CPDFObject::kDictionary,
            [doc](CPDFAddActDict* to, CPDFDict* from) { return to->Load(doc, from); })) {
      return false;
    }
    if (!PDFConvertChecked<CPDFThumbnail, CPDFStream>(this, doc, "Thumb", CPDFObject::kStream) ||
        !PDFConvertChecked<CPDFPieceInfoDict, CPDFDict>(this, doc, "PieceInfo",
                                                        CPDFObject::kDictionary) ||
        !PDFConvertChecked<CPDFSepInfoDict, CPDFDict>(this, doc, "SeparationInfo",
                                                      CPDFObject::kDictionary)) {
      return false;
    }
    return PDFConvertChecked<CPDFDate, CPDFString>(this, doc, Key_LastModified(),
                                                   CPDFObject::kString);
  });
}

CPDFObject* CPDFPage::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFPage");
}

bool CPDFPage::Set_Type(bool isTemplate) {
  std::unique_ptr<CPDFName> type(new CPDFName(isTemplate ? Name_Template() : Name_Page()));
  if (!PDFSetAs<CPDFName>(this, GetDoc(), Key_Type(), type.get())) return false;
  type.release();
  return true;
}

bool CPDFPage::Set_Parent(const CPDFObjRef& parent) {
  if (IsTemplate() || !parent.IsDefined()) return false;
  std::unique_ptr<CPDFObjRef> stored(new CPDFObjRef(parent));
  if (!SetAt(Key_Parent(), stored.get())) return false;
  stored.release();
  return true;
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
      if (!copy) return false;
      CPDFObjRef fresh;
      if (!Set(doc, *key, copy.get(), ref.IsDefined(), &fresh)) return false;
      copy.release();
    }
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFPage", "Uninherit");
  }
}
