#include "pdf/interactive/CPDFSigDict.h"

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"

bool CPDFSigDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  if (!type || !type->IsEqual(TypeName())) return false;
  return PDFGetAs<CPDFArray>(dict, doc, Key_ByteRange()) != nullptr;
}

bool CPDFSigDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    auto* ranges = PDFGetAs<CPDFArray>(this, doc, Key_ByteRange());
    return ranges && PDFTypeElements<CPDFInt>(ranges, doc) &&
           PDFTypeEntry<CPDFText>(this, doc, Key_Name()) &&
           PDFTypeEntry<CPDFDate>(this, doc, Key_M()) &&
           PDFTypeEntry<CPDFText>(this, doc, Key_Location()) &&
           PDFTypeEntry<CPDFText>(this, doc, Key_Reason());
  });
}

CPDFObject* CPDFSigDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
