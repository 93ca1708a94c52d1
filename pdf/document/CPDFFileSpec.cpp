#include "pdf/document/CPDFFileSpec.h"

#include "pdf/document/CPDFTypedEntries.h"

bool CPDFFileSpec::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFFileSpec::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [] { return true; });
}

CPDFObject* CPDFFileSpec::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct<CPDFFileSpec>(this, doc, sourceDoc);
}
