#include "pdf/document/CPDFFormXObj.h"

#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFTypedEntries.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"

namespace {

const CPDFInt& FormTypeOne() {
  static const CPDFInt one(1);
  return one;
}

}  // namespace

bool CPDFFormXObj::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict || !CPDFXObject::Check(doc, dict)) return false;
  auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
  if (!subtype || !subtype->IsEqual(SubtypeName())) return false;
  auto* formType = PDFGetAs<CPDFNumber>(dict, doc, Key_FormType());
  if (!formType || !formType->IsType(kNumber) || formType->NotEqual(FormTypeOne())) return false;
  return PDFGetAs<CPDFArray>(dict, doc, Key_BBox()) && PDFGetAs<CPDFArray>(dict, doc, Key_Matrix());
}

bool CPDFFormXObj::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  if (!source || !CPDFXObject::Load(doc, source)) return false;
  bool ok = false;
  try {
    ok = Set_FormType() &&
         // Required.
         Get(doc, Key_BBox()) && PDFLoadEntry<CPDFRect, CPDFArray>(this, doc, Key_BBox(), kArray) &&
         Get(doc, Key_Matrix()) &&
         PDFLoadEntry<CPDFMatrix, CPDFArray>(this, doc, Key_Matrix(), kArray) &&
         Get(doc, Key_Resources()) &&
         PDFLoadEntry<CPDFResDict, CPDFDict>(this, doc, Key_Resources(), kDictionary);
    // Optional.
    if (ok) {
      auto* xuid = PDFGetAs<CPDFArray>(this, doc, Key_XUID());
      ok = !xuid || PDFConvertNumberElements<CPDFInt>(xuid, doc);
    }
    ok = ok && PDFConvertByFactory<CPDFOPIDict>(this, doc, Key_OPI(), kDictionary,
                                                [doc](CPDFObject* raw) {
                                                  return CPDFOPIDict::CreateOPIDict(doc, raw, -1);
                                                });
    ok = ok &&
         PDFLoadEntry<CPDFPieceInfoDict, CPDFDict>(this, doc, Key_PieceInfo(), kDictionary) &&
         PDFConvertDateEntry(this, doc, Key_LastModified());
  } catch (...) {
    ok = CPDFException::Absorb(nullptr, "CPDFFormXObj", "Load");
  }
  if (!ok) source->Assign(doc, this);  // entries and data go back
  return ok;
}

CPDFFormXObj* CPDFFormXObj::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneWith<CPDFFormXObj>(
      [&](CPDFFormXObj* copy) { return Duplicate(copy, doc, sourceDoc, true); });
}

const CPDFName& CPDFFormXObj::GetNamePrefix() {
  static const CPDFName prefix("Fm");
  return prefix;
}

bool CPDFFormXObj::Set_FormType() {
  auto* one = new CPDFInt(FormTypeOne());
  if (!Set(GetDoc(), Key_FormType(), one)) {
    delete one;
    return false;
  }
  return true;
}

PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, BBox, CPDFRect)
PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, Matrix, CPDFMatrix)
PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, Resources, CPDFResDict)
PDF_DICT_GETTER_BODY(CPDFFormXObj, XUID, CPDFArray)
PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, OPI, CPDFOPIDict)
PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, PieceInfo, CPDFPieceInfoDict)
PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, LastModified, CPDFDate)
