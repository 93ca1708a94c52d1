#include "pdf/document/CPDFInfoDict.h"

bool CPDFInfoDict::Create(CPDFObjRegistry* doc) { return SetDoc(doc); }

bool CPDFInfoDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFDate>(this, doc, Key_CreationDate()) &&
           PDFTypeEntry<CPDFDate>(this, doc, Key_ModDate());
  });
}

CPDFObject* CPDFInfoDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
