#include "pdf/document/CPDFMacFileInfo.h"

bool CPDFMacFileInfo::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFMacFileInfo::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
