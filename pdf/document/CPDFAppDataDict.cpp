#include "pdf/document/CPDFAppDataDict.h"

#include "pdf/object/CPDFString.h"

bool CPDFAppDataDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  return dict && PDFGetAs<CPDFString>(dict, doc, Key_LastModified()) != nullptr;
}

bool CPDFAppDataDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFDate>(this, doc, Key_LastModified(), PDFEntry::kRequired);
  });
}

CPDFObject* CPDFAppDataDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
