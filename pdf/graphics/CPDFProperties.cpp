#include "pdf/graphics/CPDFProperties.h"

bool CPDFProperties::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFProperties* CPDFProperties::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFProperties::GetNamePrefix() {
  static const CPDFName prefix("Pr");
  return prefix;
}
