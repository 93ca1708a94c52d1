#include "pdf/document/CPDFCatalog.h"

#include <memory>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

bool CPDFCatalog::Create(CPDFObjRegistry* doc) {
  SetDoc(doc);
  try {
    std::unique_ptr<CPDFName> type(new CPDFName(Name_Catalog()));
    if (!Set_Type(type.get())) return false;
    type.release();
    std::unique_ptr<CPDFPages> root(new CPDFPages);
    if (!root->Create(doc, CPDFObjRef())) return false;
    CPDFObjRef ref;
    if (!Set_Pages(root.get(), true, &ref)) return false;
    root.release();
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFCatalog", "Create");
  }
}

CPDFObject* CPDFCatalog::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFCatalog");
}
