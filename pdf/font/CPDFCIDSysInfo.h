#pragma once
// The CIDSystemInfo dictionary: the character collection (registry,
// ordering, supplement) of a CID font or a CMap.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFCIDSysInfo : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFCIDSysInfo() : CPDFDataStruct(kCIDSystemInfo) {}
  ~CPDFCIDSysInfo() override = default;

  // Registry and Ordering present and strings, Supplement present and a
  // number.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries; Supplement is required and becomes an integer.
  // False (entries given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Registry, "Registry")
  PDF_CONST_NAME(Key_Ordering, "Ordering")
  PDF_ACCESSOR(Supplement, CPDFInt)
};
