#pragma once
// The application-data dictionary of a page-piece dictionary: the private
// data of one application, with the date it was last changed.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFAppDataDict : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFAppDataDict() : CPDFDataStruct(kAppData) {}
  ~CPDFAppDataDict() override = default;

  // True when LastModified is present and a string.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries; a raw LastModified that is a date becomes a
  // CPDFDate. False (entries given back) when LastModified is absent or
  // cannot be fetched, or the date cannot be stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // The date of the last change; a value that is no date answers none.
  PDF_ACCESSOR(LastModified, CPDFDate)
};
