#pragma once
// Reading TIFF files for the image importer, through libtiff.
#include <cstdint>
#include <string>

#include "pdf/document/internal/ImageDescription.h"
#include "pdf/object/ByteSink.h"

// True when the file can be opened and begins with "II" or "MM" (the number
// 42 that follows is not tested).
struct ImageHead;
struct ImageError;
bool IsTIFFFile(const char* path);
bool IsTIFFFile(const ImageHead& head);

// The most images of one file that are read, and the most directories of
// its chain, images or not: a file beyond either is taken as damaged.
inline constexpr uint32_t kMaxTIFFImages = 10000;
inline constexpr uint32_t kMaxTIFFDirectories = 10 * kMaxTIFFImages;

// Counts the images of the file: the directories of its main chain, in file
// order (SubIFDs, which hold thumbnails and other versions of an image, are
// not part of it), but for those marked reduced-resolution (NewSubfileType
// bit 0: thumbnails and overviews in the chain) and transparency masks
// (NewSubfileType bit 2, or PhotometricInterpretation 4), which belong to an
// image and are no pages; a chain of nothing else has its first directory
// as its one image. A chain that leads back to a directory already read
// ends there. Every directory of the chain is read, so a file whose later
// directory is damaged or cannot be reached fails here, the reason naming
// the image ("image 3: ..."), as does a chain of more than kMaxTIFFImages
// images or kMaxTIFFDirectories directories.
// Where the directories lie is kept for the file as read (its device, inode,
// size and time), so that reading image N afterwards goes straight to it.
bool CountTIFFImages(const char* path, uint32_t& count, ImageError* error);
bool CountTIFFImages(const char* path, uint32_t& count, std::string* error = nullptr);

// Reads image `index` (0 the first, counted as CountTIFFImages counts) of a
// TIFF file: fills the description and writes the decoded samples into the
// sink. The reason of a failure on an image after the first names it
// ("image 3: ..."); an index past the images is refused with NoSuchImage.
// An Orientation outside 1 to 8 is ignored, a ResolutionUnit outside 1 to 3
// is taken as no unit and a FillOrder outside 1 and 2 as 1, where libtiff
// itself would refuse the file.
//
// Photometric 0 and 1 give image masks (1 bit) or DeviceGray, with the Decode
// inverted for 0; 2 gives DeviceRGB; 3 an Indexed image from the colour map
// (1, 2, 4 or 8 bits); 5 with four samples DeviceCMYK; JPEG-compressed
// YCbCr is decoded to RGB. Others are refused, as are signed or
// floating-point samples (unsigned and undefined sample formats are read
// alike) and depths above 32 bits.
//
// The data hold exactly the image's rows, each of width x components x bits
// per component, padded to a byte. Samples of 1, 2, 4 and 8 bits keep their
// depth; 3, 5, 6 and 7-bit samples are scaled to 8 bits (round(255 x v /
// (2^n - 1)) of value v of n bits) and deeper ones keep their high 8 bits. Extra samples are
// dropped; an associated (premultiplied) alpha is first divided out of the colours at their own
// depth, round(255 x c / a) of colour c and alpha a, clipped to 255 (a colour under alpha 0 is the
// one stored, scaled to 8 bits), and such colours are stored at 8 bits (1-bit ones stay 1 bit,
// where the division is exact). A JPEG-compressed image of other than 8 bits is refused. Contiguous
// strips whose samples need no change are stored as decoded, a strip after
// another; tiled and planar images are assembled into rows. Strips and rows
// of contiguous samples go to the sink as they are decoded (a strip above
// kImageDecodeBudget bytes a row at a time); planar and tiled images are
// assembled in the image data a row or a tile at a time when a band of them
// does not fit the budget (the sink needs PutZeros then). A tile or row
// above kImageDecodeBudget bytes is refused. A colour map whose entries all
// lie below 256 is taken as 8-bit values. A missing resolution means one
// pixel per point; the Orientation tag goes to the description. libtiff's
// errors fail the call, as does every read libtiff answers with -1, an
// uncompressed strip or tile whose data are shorter than its rows (which
// libtiff would fill from the bytes after it) and a JPEG strip or tile whose
// JPEG data hold fewer rows or columns than it declares or end before its
// rows do (which libtiff decodes as whole, see TIFFErrorCapture), the reason
// naming the piece ("cannot decode strip 3: ...", counted from 1); the
// caller's libtiff handlers are in place again afterwards. On failure returns false with a reason
// in *error (when given); the sink is then to be discarded.
bool ReadTIFFImage(const char* path, ByteSink& sink, ImageDescription& description,
                   ImageError* error, uint32_t index = 0);
// The same, for a caller that wants the reason's text only.
bool ReadTIFFImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error = nullptr, uint32_t index = 0);
