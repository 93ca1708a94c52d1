#pragma once
// The graphics-state parameter dictionary resource (/Type /ExtGState).
#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFExtGState : public CPDFResource, public CPDFDict {
 public:
  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "ExtGState")

  CPDFExtGState() : CPDFResource(kExtGState) {}
  ~CPDFExtGState() override = default;

  // True when Type is the name ExtGState; a dictionary without Type fails.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Sets the document and takes over the source's entries.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  CPDFExtGState* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;
  const CPDFName& GetCategoryName() override { return CategoryName(kExtGState); }
};
