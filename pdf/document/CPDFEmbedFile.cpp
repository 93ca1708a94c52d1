#include "pdf/document/CPDFEmbedFile.h"

bool CPDFEmbedFile::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* type = PDFGetAs<CPDFName>(dynamic_cast<CPDFDict*>(object), doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFEmbedFile::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return PDFTypeEntry<CPDFEmbedFileParams>(this, doc, Key_Params()); });
}

CPDFObject* CPDFEmbedFile::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
