#include "pdf/document/CPDFAltImageDict.h"

#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFTypedEntries.h"
#include "pdf/object/CPDFStream.h"

bool CPDFAltImageDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  return dict && PDFGetAs<CPDFStream>(dict, doc, Key_Image()) != nullptr;
}

bool CPDFAltImageDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [&] {
    return Get(doc, Key_Image()) &&
           PDFLoadEntry<CPDFImageXObj, CPDFStream>(this, doc, Key_Image(), kStream);
  });
}

CPDFObject* CPDFAltImageDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct<CPDFAltImageDict>(this, doc, sourceDoc);
}

PDF_DICT_ACCESSOR_BODIES(CPDFAltImageDict, Image, CPDFImageXObj)
