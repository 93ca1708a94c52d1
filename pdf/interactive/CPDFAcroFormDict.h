#pragma once
// The interactive form dictionary of a catalog. The library keeps it as
// read; nothing here interprets its fields.
#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"

class CPDFAcroFormDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFAcroFormDict() : CPDFDocStruct(kAcroForm) { SetStructureFlags(false, false, false); }
  ~CPDFAcroFormDict() override = default;

  // A new form dictionary with a deep copy of the entries; none on failure.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }
};
