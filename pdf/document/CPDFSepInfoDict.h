#pragma once
// The separation information of a page that is one colour separation of a
// document: the pages of all its separations, the colorant of this one and
// its colour space.
#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"

class CPDFColorSpace;

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

  CPDFColorSpace* Get_ColorSpace(CPDFObjRef* ref = nullptr);
  bool Set_ColorSpace(CPDFColorSpace* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  PDF_DICT_ACCESSOR(Pages, CPDFArray)
  PDF_DICT_ACCESSOR(DeviceColorant, CPDFObject)
  PDF_CONST_NAME(Key_ColorSpace, "ColorSpace")
};
