#include "pdf/interactive/CPDFMovieDict.h"

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/object/CPDFNumber.h"

bool CPDFMovieDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  CPDFObject* file = dict->Get(doc, Key_F());
  return file && file->IsType(kString | kDictionary);
}

bool CPDFMovieDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFFileSpec>(this, doc, Key_F(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Rotate()) &&
           PDFTypeEntry<CPDFImageXObj>(this, doc, Key_Poster());
  });
}

CPDFObject* CPDFMovieDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

PDF_ACCESSOR_DEF(CPDFMovieDict, F, CPDFObject, CPDFFileSpec)
PDF_ACCESSOR_DEF(CPDFMovieDict, Poster, CPDFObject, CPDFImageXObj)
