#include "pdf/interactive/CPDFAddActDict.h"

#include "pdf/document/CPDFPageTypes.h"

CPDFObject* CPDFAddActDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFAddActDict");
}
