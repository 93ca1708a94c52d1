#include "pdf/font/CPDFFontFile.h"

bool CPDFFontFile::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* stream = dynamic_cast<CPDFStream*>(object);
    CPDFObject* length = stream ? stream->Get(doc, Key_Length1()) : nullptr;
    return length && length->IsType(kNumber);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFontFile", "Check");
  }
}

bool CPDFFontFile::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFInt>(this, doc, Key_Length1(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Length2()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Length3());
  });
}

CPDFFontFile* CPDFFontFile::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
