#pragma once
// A sound stream (Type /Sound): sampled sound data with its sampling rate
// (R), channel count (C) and bits per sample (B). The data is carried as
// read, never interpreted.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFSound : public CPDFDocStruct, public CPDFStream {
 public:
  CPDFSound() : CPDFDocStruct(kSound) {}
  ~CPDFSound() override = default;

  // True when Type (references resolved) is the name Sound and R is a
  // number read from a file.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source stream (entries, data and file extent), then types
  // C and B as integers. False (everything given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Sound")
  PDF_CONST_NAME(Key_R, "R")
  PDF_ACCESSOR(C, CPDFObject)
  PDF_ACCESSOR(B, CPDFObject)
};
