#include "pdf/document/CPDFSepInfoDict.h"

#include <memory>

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/object/CPDFNull.h"

bool CPDFSepInfoDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  CPDFObject* colorant = dict->Get(doc, Key_DeviceColorant());
  if (!colorant || !colorant->IsType(kName | kString)) return false;
  return PDFGetAs<CPDFArray>(dict, doc, Key_Pages()) != nullptr;
}

bool CPDFSepInfoDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry(this, doc, Key_ColorSpace(), kArray,
                        PDFFactory(&CPDFColorSpace::CreateColorSpace, doc,
                                   CPDFColorSpace::kSeparation | CPDFColorSpace::kDeviceN));
  });
}

bool CPDFSepInfoDict::Duplicate(CPDFSepInfoDict* dest, CPDFObjRegistry* doc,
                                CPDFObjRegistry* sourceDoc) const {
  if (!dest) return false;
  CPDFStructBase::Duplicate(dest, doc, sourceDoc);
  // A placeholder keeps the copy without overwrite from taking Pages along.
  if (!dest->Set(doc, Key_Pages(), std::make_unique<CPDFNull>())) return false;
  if (!CPDFDict::Duplicate(dest, doc, sourceDoc, false)) return false;
  dest->Remove(doc, Key_Pages());
  return true;
}

CPDFObject* CPDFSepInfoDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc,
                  [&](CPDFSepInfoDict* copy) { return Duplicate(copy, doc, sourceDoc); });
}
