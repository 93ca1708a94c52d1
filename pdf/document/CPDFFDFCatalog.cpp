#include "pdf/document/CPDFFDFCatalog.h"

#include <memory>

bool CPDFFDFCatalog::Create(CPDFObjRegistry* doc) {
  SetDoc(doc);
  std::unique_ptr<CPDFDict> fdf(new CPDFDict);
  if (!Set_FDF(fdf.get())) return false;
  fdf.release();
  return true;
}

CPDFObject* CPDFFDFCatalog::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFFDFCatalog");
}
