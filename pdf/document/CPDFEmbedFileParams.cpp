#include "pdf/document/CPDFEmbedFileParams.h"

bool CPDFEmbedFileParams::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFMacFileInfo>(this, doc, Key_Mac()) &&
           PDFTypeEntry<CPDFDate>(this, doc, Key_ModDate()) &&
           PDFTypeEntry<CPDFDate>(this, doc, Key_CreationDate()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Size());
  });
}

CPDFObject* CPDFEmbedFileParams::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
