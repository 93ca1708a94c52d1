#include "pdf/font/CPDFCMap.h"

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/font/CPDFCIDSysInfo.h"
#include "pdf/object/CPDFName.h"

bool CPDFCMap::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* dict = dynamic_cast<CPDFStream*>(object);
    if (!dict) return false;
    auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
    if (!type || !type->IsEqual(TypeName())) return false;
    if (!PDFGetAs<CPDFName>(dict, doc, Key_CMapName())) return false;
    CPDFObject* info = dict->Get(doc, Key_CIDSystemInfo());
    return info && info->IsType(kArray | kDictionary) && !info->IsType(kStream);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFCMap", "Check");
  }
}

bool CPDFCMap::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  // A UseCMap stream loads as a CMap in turn; a chain of them (or one that
  // refers back to itself) stays raw past the nesting limit (kept by the
  // frame).
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFCIDSysInfo>(this, doc, Key_CIDSystemInfo(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_WMode()) &&
           PDFTypeEntry<CPDFCMap>(this, doc, Key_UseCMap());
  });
}

CPDFObject* CPDFCMap::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
