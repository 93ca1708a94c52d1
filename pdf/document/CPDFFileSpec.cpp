#include "pdf/document/CPDFFileSpec.h"

bool CPDFFileSpec::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* type = PDFGetAs<CPDFName>(dynamic_cast<CPDFDict*>(object), doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFFileSpec::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFFileSpec::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
