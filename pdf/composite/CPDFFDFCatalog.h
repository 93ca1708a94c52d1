#pragma once
// The Root of an FDF file: a dictionary holding FDF; it has no Type.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFFDFCatalog : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFFDFCatalog() : CPDFDocStruct(kCatalog) { SetStructureFlags(false, false, false); }
  ~CPDFFDFCatalog() override = default;

  PDF_ACCESSOR(FDF, CPDFDict)

  // FDF set to a new empty dictionary, written inline.
  bool Create(CPDFObjRegistry* doc);
  // A new FDF catalog with a deep copy of the entries; none on failure.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
