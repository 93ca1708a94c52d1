#include "pdf/document/CPDFAltImageDict.h"

#include "pdf/document/CPDFImageXObj.h"
#include "pdf/object/CPDFStream.h"

bool CPDFAltImageDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  return dict && PDFHasRequired(dict, doc, kRequired);
}

bool CPDFAltImageDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, kRequired,
                      [&] { return PDFTypeEntry<CPDFImageXObj>(this, doc, Key_Image()); });
}

CPDFObject* CPDFAltImageDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

PDF_ACCESSOR_DEF(CPDFAltImageDict, Image, CPDFImageXObj)
