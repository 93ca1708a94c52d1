#pragma once
// The thumbnail image of a page (its Thumb entry): a small image stream.
#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"

class CPDFColorSpace;
class CPDFOPIDict;
class CPDFImageXObj;

class CPDFThumbnail : public CPDFDocStruct, public CPDFStream {
 public:
  CPDFThumbnail() : CPDFDocStruct(kThumbnail) {}
  ~CPDFThumbnail() override = default;

  // True when Width, Height and BitsPerComponent are parsed numbers.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source stream, then types its raw entries: Width, Height
  // and BitsPerComponent (required) into integers, a ColorSpace array into
  // a colour space, OPI, an image Mask, and the Alternates elements. False
  // (entries and data given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_DICT_ACCESSOR(Width, CPDFNumber)
  PDF_DICT_ACCESSOR(Height, CPDFNumber)
  PDF_DICT_ACCESSOR(BitsPerComponent, CPDFNumber)
  // The typed colour space (none for a name or a raw array).
  CPDFColorSpace* Get_ColorSpace(CPDFObjRef* ref = nullptr);
  bool Set_ColorSpace(CPDFColorSpace* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFOPIDict* Get_OPI(CPDFObjRef* ref = nullptr);
  bool Set_OPI(CPDFOPIDict* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFImageXObj* Get_Mask(CPDFObjRef* ref = nullptr);
  bool Set_Mask(CPDFImageXObj* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  CPDFArray* Get_Alternates(CPDFObjRef* ref = nullptr) {
    return PDFGetAs<CPDFArray>(this, GetDoc(), Key_Alternates(), ref);
  }
  PDF_CONST_NAME(Key_ColorSpace, "ColorSpace")
  PDF_CONST_NAME(Key_OPI, "OPI")
  PDF_CONST_NAME(Key_Mask, "Mask")
  PDF_CONST_NAME(Key_Alternates, "Alternates")
};
