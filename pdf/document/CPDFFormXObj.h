#pragma once
// The form XObject: a self-contained content stream with its own resources,
// bounding box and matrix, painted by name like an image.
#include "pdf/document/CPDFXObject.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFRect;
class CPDFMatrix;
class CPDFResDict;
class CPDFOPIDict;
class CPDFPieceInfoDict;
class CPDFDate;
class CPDFArray;
class CPDFInt;

class CPDFFormXObj : public CPDFXObject {
 public:
  CPDFFormXObj() : CPDFXObject(kForm, "Form") {}
  ~CPDFFormXObj() override = default;

  // The XObject check, then Subtype /Form, FormType a parsed number equal
  // to 1, BBox and Matrix arrays.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // The XObject load, FormType set to the integer 1, then the raw entries
  // typed: BBox, Matrix and Resources (required), XUID, OPI, PieceInfo and
  // LastModified (optional). False (entries and data given back) when a
  // required key is absent or a typed value cannot be loaded or stored.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFFormXObj* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // "Fm": generated resource names Fm1, Fm2, ...
  const CPDFName& GetNamePrefix() override;

  PDF_ACCESSOR_DECL(BBox, CPDFRect)
  PDF_ACCESSOR_DECL(Matrix, CPDFMatrix)
  PDF_ACCESSOR_DECL(Resources, CPDFResDict)
  PDF_ACCESSOR_DECL(XUID, CPDFArray)
  PDF_ACCESSOR_DECL(OPI, CPDFOPIDict)
  PDF_ACCESSOR_DECL(PieceInfo, CPDFPieceInfoDict)
  PDF_ACCESSOR_DECL(LastModified, CPDFDate)
  // Stores a new integer 1 under FormType, replacing any value: a setter
  // without an argument, 1 is the only form type there is.
  PDF_TYPE_SETTER(FormType, TypeValue)
  // The FormType constant, 1.
  static const CPDFInt& TypeValue() { return PDFTypeNumber<1>(); }

  PDF_CONST_NAME(SubtypeName, "Form")
  PDF_CONST_NAME(Key_FormType, "FormType")
};
