#include "pdf/graphics/CPDFExtGState.h"

bool CPDFExtGState::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFExtGState::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFExtGState* CPDFExtGState::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFExtGState::GetNamePrefix() {
  static const CPDFName prefix("GS");
  return prefix;
}
