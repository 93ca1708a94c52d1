#pragma once
// The Windows launch parameters of a launch action (its Win entry): file,
// directory, operation and parameters, carried as read. Nothing is ever
// launched.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFWinLaunch : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFWinLaunch() : CPDFDocStruct(kWinLaunch) {}
  ~CPDFWinLaunch() override = default;

  // Sets the document and takes over the entries; converts nothing.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
