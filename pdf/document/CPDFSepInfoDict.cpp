#include "pdf/document/CPDFSepInfoDict.h"

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFTypedEntries.h"
#include "pdf/object/CPDFNull.h"

bool CPDFSepInfoDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  CPDFObject* colorant = dict->Get(doc, Key_DeviceColorant());
  if (!colorant || !colorant->IsType(kName | kString)) return false;
  return PDFGetAs<CPDFArray>(dict, doc, Key_Pages()) != nullptr;
}

bool CPDFSepInfoDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [&] {
    return PDFConvertByFactory<CPDFColorSpace>(
        this, doc, Key_ColorSpace(), kArray, [doc](CPDFObject* raw) {
          return CPDFColorSpace::CreateColorSpace(
              doc, raw, CPDFColorSpace::kSeparation | CPDFColorSpace::kDeviceN);
        });
  });
}

bool CPDFSepInfoDict::Duplicate(CPDFSepInfoDict* dest, CPDFObjRegistry* doc,
                                CPDFObjRegistry* sourceDoc) const {
  if (!dest) return false;
  CPDFStructBase::Duplicate(dest, doc, sourceDoc);
  // A placeholder keeps the copy without overwrite from taking Pages along.
  auto* placeholder = new CPDFNull;
  if (!dest->Set(doc, Key_Pages(), placeholder)) {
    delete placeholder;
    return false;
  }
  if (!CPDFDict::Duplicate(dest, doc, sourceDoc, false)) return false;
  dest->Remove(doc, Key_Pages());
  return true;
}

CPDFObject* CPDFSepInfoDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneWith<CPDFSepInfoDict>(
      [&](CPDFSepInfoDict* copy) { return Duplicate(copy, doc, sourceDoc); });
}

CPDFColorSpace* CPDFSepInfoDict::Get_ColorSpace(CPDFObjRef* ref) {
  return PDFGetAs<CPDFColorSpace>(this, GetDoc(), Key_ColorSpace(), ref);
}

bool CPDFSepInfoDict::Set_ColorSpace(CPDFColorSpace* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_ColorSpace(), value, indirect, ref);
}
