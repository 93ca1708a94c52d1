#include "pdf/interactive/CPDFMovieActiv.h"

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"

bool CPDFMovieActiv::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    for (const CPDFName* key : {&Key_Start(), &Key_Duration(), &Key_FWScale()}) {
      CPDFObject* value = Get(doc, *key);
      if (!value || value->GetType() != kArray) continue;
      if (!PDFTypeElements<CPDFInt>(dynamic_cast<CPDFArray*>(value), doc)) return false;
    }
    return true;
  });
}

CPDFObject* CPDFMovieActiv::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
