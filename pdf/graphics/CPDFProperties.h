#pragma once
// The marked-content property-list resource: a dictionary carried as read.
#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFProperties : public CPDFResource, public CPDFDict {
 public:
  CPDFProperties() : CPDFResource(kProperties) {}
  ~CPDFProperties() override = default;

  // Sets the document and takes over the source's entries.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  CPDFProperties* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;
  const CPDFName& GetCategoryName() override { return CategoryName(kProperties); }
};
