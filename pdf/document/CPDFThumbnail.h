#pragma once
// The thumbnail image of a page (its Thumb entry): a small image stream.
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFOPIDict;

class CPDFThumbnail : public CPDFDocStruct, public CPDFStream {
 public:
  CPDFThumbnail() : CPDFDocStruct(kThumbnail) {}
  ~CPDFThumbnail() override = default;

  // True when Width, Height and BitsPerComponent are parsed numbers.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source stream, then types its raw entries as an image's
  // (CPDFImageXObj::TypeImageEntries): Width, Height and BitsPerComponent
  // (required) into integers, a ColorSpace array into a colour space, an
  // image Mask, OPI, and the Alternates elements. False (entries and data
  // given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Width, CPDFNumber)
  PDF_ACCESSOR(Height, CPDFNumber)
  PDF_ACCESSOR(BitsPerComponent, CPDFNumber)
  // A name or a colour space.
  PDF_ACCESSOR(ColorSpace, CPDFObject)
  PDF_ACCESSOR_DECL(OPI, CPDFOPIDict)
  // An image, or a colour-key array.
  PDF_ACCESSOR(Mask, CPDFObject)
  PDF_ACCESSOR(Alternates, CPDFArray)
};
