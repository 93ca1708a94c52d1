#include "pdf/document/CPDFEncryptDict.h"

bool CPDFEncryptDict::IsStandardR2V1(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict) return false;
  auto* filter = PDFGetAs<CPDFName>(dict, doc, Key_Filter());
  if (!filter || !filter->IsEqual(Name_Standard())) return false;
  auto* r = dynamic_cast<CPDFNumber*>(dict->Get(doc, Key_R()));
  auto* v = dynamic_cast<CPDFNumber*>(dict->Get(doc, Key_V()));
  return r && v && r->GetInt() == 2 && r->GetFloat() == 2.0f && v->GetInt() == 1 &&
         v->GetFloat() == 1.0f;
}

CPDFObject* CPDFEncryptDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFEncryptDict");
}
