#include "pdf/document/CPDFAltImageDict.h"

#include "pdf/document/CPDFImageXObj.h"
#include "pdf/object/CPDFStream.h"

bool CPDFAltImageDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  return dict && PDFGetAs<CPDFStream>(dict, doc, Key_Image()) != nullptr;
}

bool CPDFAltImageDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFImageXObj>(this, doc, Key_Image(), PDFEntry::kRequired);
  });
}

CPDFObject* CPDFAltImageDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

PDF_ACCESSOR_DEF(CPDFAltImageDict, Image, CPDFImageXObj)
