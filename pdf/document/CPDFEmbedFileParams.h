#pragma once
// The parameters of an embedded file (its Params): size, dates and Mac OS
// file information.
#include "pdf/document/CPDFMacFileInfo.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFEmbedFileParams : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFEmbedFileParams() : CPDFDataStruct(kEmbeddedFileParams) {}
  ~CPDFEmbedFileParams() override = default;

  // Takes over the entries, then types Mac (any dictionary), ModDate and
  // CreationDate (strings beginning "D:") and Size (a number). False
  // (entries given back) when a typed value cannot be stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Mac, CPDFMacFileInfo)
  PDF_ACCESSOR(ModDate, CPDFDate)
  PDF_ACCESSOR(CreationDate, CPDFDate)
  PDF_ACCESSOR(Size, CPDFInt)
};
