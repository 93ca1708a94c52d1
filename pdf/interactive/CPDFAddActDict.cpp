#include "pdf/interactive/CPDFAddActDict.h"

bool CPDFAddActDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFAddActDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
