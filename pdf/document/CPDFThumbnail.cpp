#include "pdf/document/CPDFThumbnail.h"

#include "pdf/document/CPDFAltImageDict.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFTypedEntries.h"

bool CPDFThumbnail::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  for (const CPDFName* key : {&Key_Width(), &Key_Height(), &Key_BitsPerComponent()}) {
    CPDFObject* value = dict->Get(doc, *key);
    if (!value || !value->IsType(kNumber)) return false;
  }
  return true;
}

bool CPDFThumbnail::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  if (!source) return false;
  CPDFStructBase::SetDoc(doc);
  SetDoc(doc);
  if (!Assign(doc, source)) return false;
  bool ok = true;
  try {
    for (const CPDFName* key : {&Key_Width(), &Key_Height(), &Key_BitsPerComponent()}) {
      ok = ok && Get(doc, *key) && PDFConvertNumberEntry<CPDFInt>(this, doc, *key);
    }
    ok = ok && PDFConvertByFactory<CPDFColorSpace>(
                   this, doc, Key_ColorSpace(), kArray, [doc](CPDFObject* raw) {
                     return CPDFColorSpace::CreateColorSpace(doc, raw,
                                                             CPDFColorSpace::kAllButPattern);
                   });
    ok = ok && PDFConvertByFactory<CPDFOPIDict>(
                   this, doc, Key_OPI(), kDictionary,
                   [doc](CPDFObject* raw) { return CPDFOPIDict::CreateOPIDict(doc, raw, -1); });
    ok = ok && PDFLoadEntry<CPDFImageXObj, CPDFStream>(this, doc, Key_Mask(), kStream);
    ok = ok && PDFLoadElements<CPDFAltImageDict, CPDFDict>(Get_Alternates(), doc, kDictionary);
  } catch (...) {
    ok = CPDFException::Absorb(nullptr, "CPDFThumbnail", "Load");
  }
  if (!ok) source->Assign(doc, this);  // entries and data go back
  return ok;
}

CPDFObject* CPDFThumbnail::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneWith<CPDFThumbnail>(
      [&](CPDFThumbnail* copy) { return CopyDataStream(this, copy, doc, sourceDoc); });
}

PDF_DICT_ACCESSOR_BODIES(CPDFThumbnail, ColorSpace, CPDFColorSpace)
PDF_DICT_ACCESSOR_BODIES(CPDFThumbnail, OPI, CPDFOPIDict)
PDF_DICT_ACCESSOR_BODIES(CPDFThumbnail, Mask, CPDFImageXObj)
