#pragma once
// The graphics-state parameter dictionary resource (/Type /ExtGState). Its
// load types the entries that carry integers, functions or a halftone;
// every other entry stays as read.
#include "pdf/document/CPDFFunction.h"
#include "pdf/document/CPDFResource.h"
#include "pdf/graphics/CPDFHalftone.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFExtGState : public CPDFResource, public CPDFDict {
 public:
  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "ExtGState")

  CPDFExtGState() : CPDFResource(kExtGState) {}
  ~CPDFExtGState() override = default;

  // True when Type is the name ExtGState; a dictionary without Type fails.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Sets the document and takes over the source's entries, then types, each
  // only when read from the file: OPM, LC and LJ numbers as integers; BG,
  // BG2, UCR and UCR2 functions; TR and TR2 a function or each function of
  // an array; HT a halftone dictionary; each number of an HTP array as an
  // integer. A value of another form, or one no class takes, stays as read.
  // False when an element cannot be fetched or a typed value cannot be
  // stored; the source then has its entries back.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  CPDFExtGState* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;
  const CPDFName& GetCategoryName() override { return CategoryName(kExtGState); }

  // The entries as stored (a typed function's or halftone's object part, or
  // the value as read); the setters take the typed value.
  PDF_ACCESSOR(OPM, CPDFObject, CPDFInt)
  PDF_ACCESSOR(BG, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(BG2, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(UCR, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(UCR2, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(TR, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(TR2, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(HT, CPDFObject, CPDFHalftone)
  PDF_ACCESSOR(LC, CPDFObject, CPDFInt)
  PDF_ACCESSOR(LJ, CPDFObject, CPDFInt)
  // HTP has a getter only.
  PDF_GETTER(HTP, CPDFObject)
};
