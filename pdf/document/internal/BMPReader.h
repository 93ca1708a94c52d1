#pragma once
// Reading Windows bitmap files for the image importer.
#include <string>

#include "pdf/document/internal/ImageDescription.h"
#include "pdf/object/internal/ByteSink.h"

// True when the file can be opened and begins with "BM".
bool IsBMPFile(const char* path);

// Run-length encoded pixels may stand for far more data than they take: an
// end-of-bitmap or delta code leaves any number of pixels blank. An RLE image
// whose decoded data pass kBMPRLESmallImage bytes is refused ("image too
// large for its data") when they are more than kBMPRLEMaxExpansion times the
// compressed bytes in the file; plain runs expand at most 128-fold (4-bit
// pixels: 255 pixels from two bytes).
inline constexpr uint64_t kBMPRLEMaxExpansion = 1024;
inline constexpr uint64_t kBMPRLESmallImage = uint64_t{1} << 20;

// Reads a bitmap file: fills the description and writes the image data into
// the sink in PDF order (rows from the top; palette images keep their bit
// depth and their rows as stored; true-colour images become 8-bit red, green,
// blue). Two-colour black-and-white palettes give image masks, other
// palettes Indexed images, 16, 24 and 32-bit pixels DeviceRGB.
//
// Accepts bit counts 1, 4, 8 (uncompressed, RLE8 for 8 and RLE4 for 4), 24
// (uncompressed), 16 and 32 (uncompressed or with bit-field masks). Every
// size is checked against the file's real length and against
// kMaxImageDataSize. On failure returns false with a reason in *error (when
// given); the sink may then hold part of the data and is to be discarded.
bool ReadBMPImage(const char* path, ByteSink& sink, ImageDescription& description,
                  std::string* error = nullptr);
