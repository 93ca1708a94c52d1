#pragma once
// The separation information of a page that is one colour separation of a
// document: the pages of all its separations, the colorant of this one and
// its colour space.
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFSepInfoDict : public CPDFDocStruct, public CPDFDict {
 public:
  // Never copied, released early or linearised on its own.
  CPDFSepInfoDict() : CPDFDocStruct(kSepInfo) { SetStructureFlags(false, false, false); }
  ~CPDFSepInfoDict() override = default;

  // True when DeviceColorant is a name or a string and Pages an array.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries; a raw ColorSpace array becomes a Separation or
  // DeviceN colour space when one fits. False (entries given back) when a
  // typed colour space cannot be stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // A copy without Pages: page references of one document never go into
  // another.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFSepInfoDict* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) const;

  PDF_ACCESSOR(Pages, CPDFArray)
  // A name or a string.
  PDF_ACCESSOR(DeviceColorant, CPDFObject)
  // A name or a colour space.
  PDF_ACCESSOR(ColorSpace, CPDFObject)
};
