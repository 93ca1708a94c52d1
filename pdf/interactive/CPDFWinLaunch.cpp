#include "pdf/interactive/CPDFWinLaunch.h"

bool CPDFWinLaunch::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFWinLaunch::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
