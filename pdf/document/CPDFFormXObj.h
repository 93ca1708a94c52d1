#pragma once
// The form XObject: a self-contained content stream with its own resources,
// bounding box and matrix, painted by name like an image.
#include "pdf/document/CPDFXObject.h"
#include "pdf/object/CPDFAccessor.h"

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

  CPDFRect* Get_BBox(CPDFObjRef* ref = nullptr);
  bool Set_BBox(CPDFRect* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFMatrix* Get_Matrix(CPDFObjRef* ref = nullptr);
  bool Set_Matrix(CPDFMatrix* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFResDict* Get_Resources(CPDFObjRef* ref = nullptr);
  bool Set_Resources(CPDFResDict* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFArray* Get_XUID(CPDFObjRef* ref = nullptr);
  CPDFOPIDict* Get_OPI(CPDFObjRef* ref = nullptr);
  bool Set_OPI(CPDFOPIDict* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFPieceInfoDict* Get_PieceInfo(CPDFObjRef* ref = nullptr);
  bool Set_PieceInfo(CPDFPieceInfoDict* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFDate* Get_LastModified(CPDFObjRef* ref = nullptr);
  bool Set_LastModified(CPDFDate* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  // Stores a new integer 1 under FormType, replacing any value.
  bool Set_FormType();

  PDF_CONST_NAME(SubtypeName, "Form")
  PDF_CONST_NAME(Key_FormType, "FormType")
  PDF_CONST_NAME(Key_BBox, "BBox")
  PDF_CONST_NAME(Key_Matrix, "Matrix")
  PDF_CONST_NAME(Key_Resources, "Resources")
  PDF_CONST_NAME(Key_XUID, "XUID")
  PDF_CONST_NAME(Key_OPI, "OPI")
  PDF_CONST_NAME(Key_PieceInfo, "PieceInfo")
  PDF_CONST_NAME(Key_LastModified, "LastModified")
};
