#include "pdf/interactive/CPDFSound.h"

#include "pdf/object/CPDFNumber.h"

bool CPDFSound::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  if (!type || !type->IsEqual(TypeName())) return false;
  CPDFObject* rate = dict->Get(doc, Key_R());
  return rate && rate->IsType(kNumber);
}

bool CPDFSound::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFInt>(this, doc, Key_C()) && PDFTypeEntry<CPDFInt>(this, doc, Key_B());
  });
}

CPDFObject* CPDFSound::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
