#include "pdf/composite/CPDFFDFCatalog.h"

#include <memory>

bool CPDFFDFCatalog::Create(CPDFObjRegistry* doc) {
  SetDoc(doc);
  return Set(doc, Key_FDF(), std::make_unique<CPDFDict>());
}

CPDFObject* CPDFFDFCatalog::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
