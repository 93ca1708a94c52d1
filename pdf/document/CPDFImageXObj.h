#pragma once
// The image XObject: a stream whose dictionary holds Width, Height,
// BitsPerComponent, ColorSpace (or ImageMask), Decode and the like, and whose
// data are the image samples. CreateImageXObj turns an image file (TIFF,
// JPEG or BMP, recognised by its first bytes) into one.
#include <cstdint>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/document/CPDFXObject.h"
#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFMatrix.h"

class CPDFColorSpace;

class CPDFImageXObj : public CPDFXObject {
 public:
  // The deepest chain of image masks that Load follows.
  static constexpr int32_t kMaxLoadDepth = CPDFLoadDepth::kMaxDepth;

  CPDFImageXObj() : CPDFXObject(kImage, "Image") {}
  ~CPDFImageXObj() override = default;

  // True for Type /XObject, Subtype /Image and Width, Height and
  // BitsPerComponent present as parsed numbers (type Number).
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Gives a new image its document, Type, Subtype and the three integers.
  // False on failure (the caller deletes the image).
  bool Create(CPDFObjRegistry* doc, int32_t width, int32_t height, int32_t bitsPerComponent);
  // Takes over a stream read from a file and converts its raw entries:
  // Width, Height and BitsPerComponent into integers, a ColorSpace array into
  // a colour space (when a family accepts it), an image Mask into an image.
  // Decode, ImageMask and anything no class accepts stay as read. When a
  // conversion fails the source gets its entries and data back.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  // A new image duplicated from this one; none on failure.
  CPDFImageXObj* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  const CPDFName& GetNamePrefix() override;

  // Stores the name Image under Subtype (replacing any value).
  bool Set_Subtype();

  PDF_DICT_ACCESSOR(Width, CPDFObject)
  PDF_DICT_ACCESSOR(Height, CPDFObject)
  PDF_DICT_ACCESSOR(BitsPerComponent, CPDFObject)
  PDF_DICT_ACCESSOR(ColorSpace, CPDFObject)
  PDF_DICT_ACCESSOR(Decode, CPDFObject)
  PDF_DICT_ACCESSOR(ImageMask, CPDFObject)
  PDF_DICT_ACCESSOR(OPI, CPDFObject)
  PDF_DICT_ACCESSOR(Mask, CPDFObject)
  PDF_DICT_ACCESSOR(Alternates, CPDFObject)
  // Stores a colour space as its array part.
  bool Set_ColorSpace(CPDFColorSpace* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  // Stores a mask image as its stream part.
  bool Set_Mask(CPDFImageXObj* value, bool indirect = false, CPDFObjRef* ref = nullptr);

  PDF_CONST_NAME(SubtypeName, "Image")

  // Reads the image file at path through the importer its first two bytes
  // select (TIFF, JPEG, BMP). On success the matrix is the identity scaled
  // by the image's width and height in points and the caller owns the
  // result. Otherwise none, and the document's error record holds
  // ("CPDFImageXObj", "CreateImageXObj", 3, "unknown file format: <path>").
  // Without data, the image has its dictionary only and no pixel is read:
  // enough to learn the size.
  static CPDFImageXObj* CreateImageXObj(CPDFObjRegistry* doc, const char* path,
                                        CPDFMatrix& matrix, bool withData = true);

 private:
  // The conversions of Load once the stream's entries are taken over;
  // false when one fails (Load then gives the entries back).
  bool LoadEntries(CPDFObjRegistry* doc);
  // A ColorSpace array read from a file becomes a colour space when a
  // family (any but Pattern) accepts it; false when storing it fails (the
  // array then has its elements back).
  bool LoadColorSpace(CPDFObjRegistry* doc);
};
