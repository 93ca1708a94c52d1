#include "pdf/graphics/CPDFExtGState.h"

bool CPDFExtGState::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFExtGState::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    const auto function = PDFFactory(&CPDFFunction::CreateFunction, doc);
    const int32_t functionTypes = kDictionary | kStream;
    if (!PDFTypeEntry<CPDFInt>(this, doc, Key_OPM())) return false;
    for (const CPDFName* key : {&Key_BG(), &Key_BG2(), &Key_UCR(), &Key_UCR2()}) {
      if (!PDFTypeEntry(this, doc, *key, functionTypes, function)) return false;
    }
    for (const CPDFName* key : {&Key_TR(), &Key_TR2()}) {
      if (!PDFTypeEntryOrElements(this, doc, *key, functionTypes, function)) return false;
    }
    // A halftone given as a stream stays as read.
    return PDFTypeEntry(this, doc, Key_HT(), kDictionary,
                        PDFFactory(&CPDFHalftone::CreateHalftone, doc)) &&
           PDFTypeElements<CPDFInt>(PDFGetAs<CPDFArray>(this, doc, Key_HTP()), doc) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_LC()) && PDFTypeEntry<CPDFInt>(this, doc, Key_LJ());
  });
}

CPDFExtGState* CPDFExtGState::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFExtGState::GetNamePrefix() {
  static const CPDFName prefix("GS");
  return prefix;
}
