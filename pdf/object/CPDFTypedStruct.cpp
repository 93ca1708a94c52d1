#include "pdf/object/CPDFTypedStruct.h"

#include "pdf/object/CPDFStream.h"

void PDFGiveBack(CPDFObject* typed, CPDFObject* raw, CPDFObjRegistry* doc) {
  if (auto* from = dynamic_cast<CPDFStream*>(typed)) {
    if (auto* to = dynamic_cast<CPDFStream*>(raw)) {
      to->Assign(doc, from);
    } else if (auto* dict = dynamic_cast<CPDFDict*>(raw)) {
      // A dictionary-form function is held in a stream: only the entries
      // were taken.
      dict->CPDFDict::Assign(doc, from);
    }
  } else if (auto* from = dynamic_cast<CPDFDict*>(typed)) {
    if (auto* to = dynamic_cast<CPDFDict*>(raw)) to->Assign(doc, from);
  } else if (auto* from = dynamic_cast<CPDFArray*>(typed)) {
    if (auto* to = dynamic_cast<CPDFArray*>(raw)) to->Assign(doc, from);
  }
}

bool PDFCheckTypeNumber(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                        const CPDFInt& value, PDFTypeMatch match) {
  auto* type = PDFGetAs<CPDFNumber>(dict, doc, key);
  if (!type || !type->IsType(CPDFObject::kNumber)) return false;
  return match == PDFTypeMatch::kValue ? !type->NotEqual(value) : !value.IsNotEqual(*type);
}

bool PDFSetTypeNumber(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                      const CPDFInt& value) {
  try {
    return dict && dict->Set(doc, key, std::make_unique<CPDFInt>(value));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "SetType");
  }
}

bool PDFSetTypeName(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                    const CPDFName& value) {
  try {
    return dict && dict->Set(doc, key, std::make_unique<CPDFName>(value));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "SetType");
  }
}

namespace pdf_kit {

bool StoreTyped(const Slot& slot, CPDFObjRegistry* doc, CPDFObject* typed, CPDFObject* raw,
                const CPDFObjRef& ref) {
  bool stored = false;
  try {
    stored = slot.Set(doc, typed, ref);
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFDataStruct", "Load");
  }
  if (stored) return true;
  PDFGiveBack(typed, raw, doc);
  delete typed;
  return false;
}

}  // namespace pdf_kit
