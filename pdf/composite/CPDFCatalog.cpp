#include "pdf/composite/CPDFCatalog.h"

#include <memory>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

bool CPDFCatalog::Create(CPDFObjRegistry* doc) {
  SetDoc(doc);
  try {
    if (!Set(doc, Key_Type(), std::make_unique<CPDFName>(Name_Catalog()))) return false;
    std::unique_ptr<CPDFPages> root(new CPDFPages);
    if (!root->Create(doc, CPDFObjRef())) return false;
    CPDFObjRef ref;
    return Set(doc, Key_Pages(), std::move(root), true, &ref);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFCatalog", "Create");
  }
}

CPDFObject* CPDFCatalog::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
