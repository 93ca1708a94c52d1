#pragma once
// The additional-actions dictionary of a page. Its actions are kept as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFAddActDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFAddActDict() : CPDFDocStruct(kAddActions) {}
  ~CPDFAddActDict() override = default;

  // Sets the document and takes over the source's entries.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
