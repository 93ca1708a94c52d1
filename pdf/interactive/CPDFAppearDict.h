#pragma once
// Two small dictionaries of an annotation, each recognised and held as read:
// the appearance dictionary under /AP (its N, R and D appearances) and the
// border-style dictionary under /BS. Neither converts an entry inside it.
// Unlike annotations they keep the flags of a plain object, so a container
// copy takes them along.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFAppearDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFAppearDict() : CPDFDocStruct(kAppearance) {}
  ~CPDFAppearDict() override = default;

  // True when N (references resolved) is a dictionary or a stream.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Sets the document and takes over the entries; converts nothing.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_N, "N")
};

class CPDFBorderStyle : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFBorderStyle() : CPDFDocStruct(kBorderStyle) {}
  ~CPDFBorderStyle() override = default;

  // True when Type (references resolved) is absent or the name Border.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Sets the document and takes over the entries; converts nothing.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Border")
};
