#include "pdf/document/CPDFFormXObj.h"

#include <memory>

#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"

bool CPDFFormXObj::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict || !CPDFXObject::Check(doc, dict)) return false;
  auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
  if (!subtype || !subtype->IsEqual(SubtypeName())) return false;
  if (!PDFCheckTypeNumber(dict, doc, Key_FormType(), CPDFFormXObj::TypeValue(),
                          PDFTypeMatch::kValue)) {
    return false;
  }
  return PDFGetAs<CPDFArray>(dict, doc, Key_BBox()) && PDFGetAs<CPDFArray>(dict, doc, Key_Matrix());
}

bool CPDFFormXObj::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return Set_FormType() && PDFTypeEntry<CPDFRect>(this, doc, Key_BBox(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFMatrix>(this, doc, Key_Matrix(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFResDict>(this, doc, Key_Resources(), PDFEntry::kRequired) &&
           PDFTypeElements<CPDFInt>(Get_XUID(), doc) &&
           PDFTypeEntry(this, doc, Key_OPI(), kDictionary,
                        PDFFactory(&CPDFOPIDict::CreateOPIDict, doc)) &&
           PDFTypeEntry<CPDFPieceInfoDict>(this, doc, Key_PieceInfo()) &&
           PDFTypeEntry<CPDFDate>(this, doc, Key_LastModified());
  });
}

CPDFFormXObj* CPDFFormXObj::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFFormXObj::GetNamePrefix() {
  static const CPDFName prefix("Fm");
  return prefix;
}

PDF_ACCESSOR_DEF(CPDFFormXObj, BBox, CPDFRect)
PDF_ACCESSOR_DEF(CPDFFormXObj, Matrix, CPDFMatrix)
PDF_ACCESSOR_DEF(CPDFFormXObj, Resources, CPDFResDict)
PDF_ACCESSOR_DEF(CPDFFormXObj, XUID, CPDFArray)
PDF_ACCESSOR_DEF(CPDFFormXObj, OPI, CPDFOPIDict)
PDF_ACCESSOR_DEF(CPDFFormXObj, PieceInfo, CPDFPieceInfoDict)
PDF_ACCESSOR_DEF(CPDFFormXObj, LastModified, CPDFDate)
