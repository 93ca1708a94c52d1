#include "pdf/font/CPDFEncoding.h"

#include <memory>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"

bool CPDFEncoding::Check(CPDFObjRegistry*, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict || dict->GetType() != kDictionary) return false;
  CPDFAtom* const* slot = dict->Lookup(Key_Type());
  auto* type = slot ? dynamic_cast<CPDFName*>(*slot) : nullptr;
  return type && type->IsEqual(TypeName());
}

bool CPDFEncoding::CheckKeyed(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* dict = dynamic_cast<CPDFDict*>(object);
    if (!dict || dict->GetType() != kDictionary) return false;
    if (CPDFObject* type = dict->Get(doc, Key_Type())) {
      auto* name = dynamic_cast<CPDFName*>(type);
      if (!name || !name->IsEqual(TypeName())) return false;
    }
    CPDFObject* base = dict->Get(doc, Key_BaseEncoding());
    CPDFObject* differences = dict->Get(doc, Key_Differences());
    if (base && !dynamic_cast<CPDFName*>(base)) return false;
    if (differences && differences->GetType() != kArray) return false;
    return base || differences;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFEncoding", "Check");
  }
}

bool CPDFEncoding::TypeKeyedEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                                  PDFEntry rule) {
  return PDFTypeEntry(
      dict, doc, key, kDictionary,
      [doc](CPDFObject* value) -> CPDFEncoding* {
        if (!CheckKeyed(doc, value)) return nullptr;
        auto typed = std::make_unique<CPDFEncoding>();
        if (!typed->Load(doc, static_cast<CPDFDict*>(value))) return nullptr;
        return typed.release();
      },
      rule);
}

bool CPDFEncoding::Create(CPDFObjRegistry* doc) { return SetDoc(doc) && Set_Type(); }

bool CPDFEncoding::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    // No /Differences, or one that is not an array: nothing to type.
    return PDFTypeElements<CPDFInt>(Get_Differences(), doc);
  });
}

CPDFEncoding* CPDFEncoding::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const char* CPDFEncoding::Get_BaseEncoding() {
  const CPDFName* name = Get_BaseEncodingEntry();
  return name ? name->c_str() : "StandardEncoding";
}
