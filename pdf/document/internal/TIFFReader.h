#pragma once
// Reading TIFF files for the image importer, through libtiff.
#include <string>

#include "pdf/document/internal/ImageDescription.h"
#include "pdf/object/ByteSink.h"

// True when the file can be opened and begins with "II" or "MM" (the number
// 42 that follows is not tested).
struct ImageHead;
bool IsTIFFFile(const char* path);
bool IsTIFFFile(const ImageHead& head);

// Reads the first image of a TIFF file: fills the description and writes the
// decoded samples into the sink.
//
// Photometric 0 and 1 give image masks (1 bit) or DeviceGray, with the Decode
// inverted for 0; 2 gives DeviceRGB; 3 an Indexed image from the colour map
// (at most 8 bits); 5 with four samples DeviceCMYK; JPEG-compressed YCbCr is
// decoded to RGB. Others are refused, as are signed or floating-point
// samples and depths other than 1, 2, 4, 8 and 16.
//
// Contiguous strips whose samples need no change are stored as decoded, strip
// after strip, the whole sized as strip count x strip size (so a short last
// strip leaves zero bytes at the end). Tiled and planar images are assembled
// into rows, extra (alpha) samples are dropped and 16-bit samples reduced to
// their high byte (8 bits per component); such images hold exactly their
// rows. Strips and rows of contiguous samples go to the sink as they are
// decoded (a strip above kImageDecodeBudget bytes a row at a time); planar
// and tiled images are assembled in the image data a row or a tile at a
// time (the sink needs PutZeros). A tile or row above kImageDecodeBudget
// bytes is refused. A colour map whose entries all lie below 256 is taken as
// 8-bit values. A missing resolution means one pixel per point. libtiff's
// errors fail the call, as does every read libtiff answers with -1 and an
// uncompressed strip or tile whose data are shorter than its rows (which
// libtiff would fill from the bytes after it); the caller's libtiff handlers
// are in place again afterwards. On failure returns false with a reason in
// *error (when given); the sink is then to be discarded.
bool ReadTIFFImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error = nullptr);
