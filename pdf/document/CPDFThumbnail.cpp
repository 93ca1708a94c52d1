#include "pdf/document/CPDFThumbnail.h"

#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFOPIDict.h"

bool CPDFThumbnail::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  for (const CPDFName* key : {&Key_Width(), &Key_Height(), &Key_BitsPerComponent()}) {
    CPDFObject* value = dict->Get(doc, *key);
    if (!value || !value->IsType(kNumber)) return false;
  }
  return true;
}

bool CPDFThumbnail::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return CPDFImageXObj::TypeImageEntries(this, doc); });
}

CPDFObject* CPDFThumbnail::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

PDF_ACCESSOR_DEF(CPDFThumbnail, OPI, CPDFOPIDict)
