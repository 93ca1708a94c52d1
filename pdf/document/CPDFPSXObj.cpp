#include "pdf/document/CPDFPSXObj.h"

#include "pdf/document/CPDFTypedEntries.h"

bool CPDFPSXObj::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict || !CPDFXObject::Check(doc, dict)) return false;
  auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
  return subtype && subtype->IsEqual(SubtypeName());
}

bool CPDFPSXObj::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  // Carried as read: entries and data are taken over.
  return source && CPDFXObject::Load(doc, source);
}

CPDFPSXObj* CPDFPSXObj::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneWith<CPDFPSXObj>(
      [&](CPDFPSXObj* copy) { return Duplicate(copy, doc, sourceDoc, true); });
}

const CPDFName& CPDFPSXObj::GetNamePrefix() {
  static const CPDFName prefix("PS");
  return prefix;
}
