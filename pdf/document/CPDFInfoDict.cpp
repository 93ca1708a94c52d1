#include "pdf/document/CPDFInfoDict.h"

bool CPDFInfoDict::Create(CPDFObjRegistry* doc) { return SetDoc(doc); }

bool CPDFInfoDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [&] {
    for (const CPDFName* key : {&Key_CreationDate(), &Key_ModDate()}) {
      if (!CPDFDate::Check(doc, Get(doc, *key))) continue;
      const bool ok = PDFConvertEntry<CPDFDate, CPDFString>(
          this, doc, *key, CPDFObject::kString,
          [&](CPDFDate* date, CPDFString* raw) { return date->Load(doc, raw); });
      if (!ok) return false;
    }
    return true;
  });
}

CPDFObject* CPDFInfoDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFInfoDict");
}
