#include "pdf/document/CPDFPSXObj.h"

bool CPDFPSXObj::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict || !CPDFXObject::Check(doc, dict)) return false;
  auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
  return subtype && subtype->IsEqual(SubtypeName());
}

bool CPDFPSXObj::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  // Carried as read: entries and data are taken over.
  return PDFLoadFrame(this, doc, source);
}

CPDFPSXObj* CPDFPSXObj::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFPSXObj::GetNamePrefix() {
  static const CPDFName prefix("PS");
  return prefix;
}
