#include "pdf/document/CPDFFileSpec.h"

#include "pdf/document/CPDFEmbedFile.h"

namespace {

PDF_CONST_NAME(Key_F, "F")
PDF_CONST_NAME(Key_Mac, "Mac")
PDF_CONST_NAME(Key_DOS, "DOS")
PDF_CONST_NAME(Key_Unix, "Unix")

// The platform keys of EF and RF, in the order they are typed.
const CPDFName* const* PlatformKeys() {
  static const CPDFName* const keys[] = {&Key_F(), &Key_Mac(), &Key_DOS(), &Key_Unix()};
  return keys;
}
constexpr int kPlatformKeys = 4;

// The value under the key when it is a plain dictionary (not a stream);
// anything else is left as read.
CPDFDict* PlainDict(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  CPDFObject* value = dict->Get(doc, key);
  if (!value || value->GetType() != CPDFObject::kDictionary) return nullptr;
  return dynamic_cast<CPDFDict*>(value);
}

}  // namespace

bool CPDFFileSpec::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* type = PDFGetAs<CPDFName>(dynamic_cast<CPDFDict*>(object), doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFFileSpec::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return TypeEmbeddedFiles(doc) && TypeRelatedFiles(doc); });
}

bool CPDFFileSpec::TypeEmbeddedFiles(CPDFObjRegistry* doc) {
  CPDFDict* ef = PlainDict(this, doc, Key_EF());
  if (!ef) return true;
  for (int i = 0; i < kPlatformKeys; ++i) {
    if (!PDFTypeEntry<CPDFEmbedFile>(ef, doc, *PlatformKeys()[i])) return false;
  }
  return true;
}

bool CPDFFileSpec::TypeRelatedFiles(CPDFObjRegistry* doc) {
  CPDFDict* rf = PlainDict(this, doc, Key_RF());
  if (!rf) return true;
  for (int i = 0; i < kPlatformKeys; ++i) {
    CPDFObject* value = rf->Get(doc, *PlatformKeys()[i]);
    if (!value || value->GetType() != CPDFObject::kArray) continue;
    auto* pairs = dynamic_cast<CPDFArray*>(value);
    if (!pairs) continue;
    // Name and stream pairs: the last name of an odd array has no stream.
    if (pairs->GetCount() % 2 != 0) return false;
    if (!PDFTypeElements<CPDFEmbedFile>(pairs, doc, 1, 2)) return false;
  }
  return true;
}

CPDFObject* CPDFFileSpec::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
