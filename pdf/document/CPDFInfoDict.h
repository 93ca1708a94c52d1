#pragma once
// The document information dictionary. The library keeps CreationDate,
// ModDate and Producer; other keys stay as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFInfoDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFInfoDict() : CPDFDocStruct(kInfo) {}
  ~CPDFInfoDict() override = default;

  PDF_ACCESSOR(CreationDate, CPDFDate)
  PDF_ACCESSOR(ModDate, CPDFDate)
  PDF_ACCESSOR(Producer, CPDFText)

  // An empty dictionary for the document.
  bool Create(CPDFObjRegistry* doc);
  // Takes over a raw dictionary's entries; the two dates read from a file
  // become dates when they pass the date check, else they stay as read.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
