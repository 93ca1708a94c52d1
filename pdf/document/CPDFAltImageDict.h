#pragma once
// The alternate image dictionary: an element of an image's Alternates
// array, naming another image XObject to use in place of the base image.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFImageXObj;

class CPDFAltImageDict : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFAltImageDict() : CPDFDataStruct(kAlternateImage) {}
  ~CPDFAltImageDict() override = default;

  // The required keys, read by Check and Load.
  static constexpr PDFRequiredKey kRequired[] = {{"Image", kStream}};

  // True when Image is present (references resolved) and a stream.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries; Image is required, and a raw image stream
  // becomes a CPDFImageXObj. False (entries given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // The image, when it is typed.
  PDF_ACCESSOR_DECL(Image, CPDFImageXObj)
};
