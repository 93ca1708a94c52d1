#pragma once
// The image XObject: a stream whose dictionary holds Width, Height,
// BitsPerComponent, ColorSpace (or ImageMask), Decode and the like, and whose
// data are the image samples. CreateImageXObj turns an image file (TIFF,
// JPEG or BMP, recognised by its first bytes) into one.
#include <cstdint>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/document/CPDFXObject.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"
#include "pdf/object/FileStamp.h"

class CPDFOPIDict;

class CPDFImageXObj : public CPDFXObject {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
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

  // Stores the name Image under Subtype (replacing any value): a setter
  // without an argument, the value is the class's constant.
  PDF_TYPE_SETTER(Subtype, SubtypeName)

  // The typed entries an image and a thumbnail share, on a dictionary whose
  // entries were taken over: Width, Height and BitsPerComponent (required)
  // as integers, a ColorSpace array as a colour space (any family but
  // Pattern), an image Mask as an image, OPI and the Alternates elements.
  // False when one fails.
  static bool TypeImageEntries(CPDFDict* dict, CPDFObjRegistry* doc);

  PDF_ACCESSOR(Width, CPDFNumber)
  PDF_ACCESSOR(Height, CPDFNumber)
  PDF_ACCESSOR(BitsPerComponent, CPDFNumber)
  // A name or a colour space.
  PDF_ACCESSOR(ColorSpace, CPDFObject)
  PDF_ACCESSOR(Decode, CPDFObject)
  PDF_ACCESSOR(ImageMask, CPDFObject)
  PDF_ACCESSOR_DECL(OPI, CPDFOPIDict)
  // An image, or a colour-key array.
  PDF_ACCESSOR(Mask, CPDFObject)
  PDF_ACCESSOR(Alternates, CPDFArray)

  PDF_CONST_NAME(SubtypeName, "Image")

  // How CreateImageXObj reads a file.
  struct ImportOptions {
    // False: the image has its dictionary only and no pixel is read,
    // enough to learn the size.
    bool withData = true;
    // BMP and TIFF samples are compressed as they are read (Filter
    // FlateDecode, the same data as a later FlateEncode), so the image is
    // never held uncompressed.
    bool compress = false;
    // The image of a file that holds several (CountImages).
    int32_t index = 0;
    // When given, receives the file's Orientation: 1 to 8 as TIFF and Exif
    // define it (kTopLeft .. kLeftBottom), 1 when the file has none.
    int32_t* orientation = nullptr;
    // When given, the file is read only as it stands there (see below).
    FileStamp* state = nullptr;
  };

  // Reads the image file at path through the importer its first two bytes
  // select (TIFF, JPEG, BMP). On success the matrix is the identity scaled
  // by the image's width and height in points and the caller owns the
  // result. Otherwise none, and the document's error record holds
  // ("CPDFImageXObj", "CreateImageXObj", code, message) with one of:
  // - code 3, "unknown file format: <path>" for a file no reader knows
  //   (" (not a regular file)" following for a FIFO, a device or a folder);
  // - code 3, "<path>: <format> file refused (<cause>)" for a file of a
  //   known format that is refused, <format> "TIFF", "JPEG" or "BMP" and
  //   the cause as the reader gives it ("image too large"); the cause of a
  //   failure on a later image of a file names it ("image 3: ...");
  // - code 3, "<path>: the file holds 3 images (indices 0 to 2), none at
  //   index 3" for an index past the file's images;
  // - code 3, "<path>: the temporary folder <dir> is full" (or another
  //   reason the image data could not be stored: "cannot store the image
  //   data: File too large (the limit of a file's size)" under a file size
  //   limit) when the file is sound but there is no room for its data;
  // - code 5, "<path>: out of memory" (or "out of memory for the image
  //   data") when memory ran out, and "<path>: <what>" when a step after
  //   the reading failed ("cannot compress the image data");
  // - code 2, "cannot open <path>: <the system's reason>" for a file that
  //   cannot be opened, and "<path>: <the reason>" for one that could not
  //   be opened or read again after the probe ("cannot read the file").
  // Given a state, the file is read only as it stands there: an unset one
  // is set to the file as it is first opened, and a file found in another
  // state (replaced, cut, rewritten) at any open or at the end fails with
  // ("CPDFImageXObj", "CreateImageXObj", 5, "the file <path> changed or was
  // cut short after it was read"). The calls that read one file in steps
  // (CountImages, then images for their size and for their data) share one
  // state; image data that stay in the file are written only from it too.
  static CPDFImageXObj* CreateImageXObj(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                                        const ImportOptions& options);
  // With the default options: the first image, its data uncompressed.
  static CPDFImageXObj* CreateImageXObj(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix);

  // The number of images the file at path holds: those of a TIFF file's
  // main chain of directories, in file order, reduced-resolution ones (a
  // thumbnail, an overview) not counted unless the chain holds nothing
  // else; 1 for a JPEG or BMP file. -1
  // when the file cannot be opened, is of no known kind, or a TIFF file's
  // chain cannot be read whole, with the error record filled as
  // CreateImageXObj fills it (method "CreateImageXObj"). A JPEG or BMP file is
  // only recognised here; its image is read by CreateImageXObj. A state
  // is set and checked as by CreateImageXObj.
  static int32_t CountImages(CPDFObjRegistry* doc, const char* path, FileStamp* state = nullptr);

  // For an image made by CreateImageXObj that is discarded unused: drops
  // the lookup stream its Indexed colour space has registered with the
  // document, which nothing else refers to.
  static void DropLookupStream(CPDFObjRegistry* doc, CPDFImageXObj* image);

  // How a file asks for its image to be shown (TIFF and Exif Orientation):
  // where the stored first row and first column belong.
  enum Orientation : int32_t {
    kTopLeft = 1,      // as stored
    kTopRight = 2,     // mirrored left to right
    kBottomRight = 3,  // turned half round
    kBottomLeft = 4,   // mirrored top to bottom
    kLeftTop = 5,      // mirrored across the main diagonal
    kRightTop = 6,     // to be turned a quarter clockwise
    kRightBottom = 7,  // mirrored across the other diagonal
    kLeftBottom = 8,   // to be turned a quarter anticlockwise
  };
};
