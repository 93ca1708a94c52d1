#include "pdf/document/CPDFEncryptDict.h"

bool CPDFEncryptDict::IsStandardR2V1(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict) return false;
  auto* filter = PDFGetAs<CPDFName>(dict, doc, Key_Filter());
  if (!filter || !filter->IsEqual(Name_Standard())) return false;
  auto* r = PDFGetAs<CPDFNumber>(dict, doc, Key_R());
  auto* v = PDFGetAs<CPDFNumber>(dict, doc, Key_V());
  return r && v && r->GetInt() == 2 && r->GetFloat() == 2.0f && v->GetInt() == 1 &&
         v->GetFloat() == 1.0f;
}

CPDFObject* CPDFEncryptDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
