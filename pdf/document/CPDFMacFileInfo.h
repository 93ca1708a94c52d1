#pragma once
// The Mac OS file information of an embedded file (Params /Mac): creator,
// type and resource fork, carried as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFMacFileInfo : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFMacFileInfo() : CPDFDataStruct(kMacFileInfo) {}
  ~CPDFMacFileInfo() override = default;

  // Sets the document and takes over the entries; converts nothing.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
