#pragma once
// The Encrypt dictionary of a trailer, and the test for the one security
// handler whose objects the library can write under the document key.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFEncryptDict : public CPDFDocStruct, public CPDFDict {
 public:
  PDF_CONST_NAME(Name_Standard, "Standard")

  CPDFEncryptDict() = default;
  ~CPDFEncryptDict() override = default;

  PDF_ACCESSOR(Filter, CPDFName)
  PDF_ACCESSOR(R, CPDFNumber)
  PDF_ACCESSOR(V, CPDFNumber)

  // A new Encrypt dictionary with a deep copy of the entries; none on
  // failure.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Filter Standard, R 2 and V 1, all present.
  bool IsStandardR2V1() { return IsStandardR2V1(GetDoc(), this); }
  // The same test for any dictionary (an Encrypt entry as read).
  static bool IsStandardR2V1(CPDFObjRegistry* doc, CPDFDict* dict);
};
