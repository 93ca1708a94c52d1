#pragma once
// Reading Windows bitmap files for the image importer.
#include <string>

#include "pdf/document/internal/ImageDescription.h"
#include "pdf/object/ByteSink.h"

// True when the file can be opened and begins with "BM".
struct ImageHead;
struct ImageError;
bool IsBMPFile(const char* path);
bool IsBMPFile(const ImageHead& head);

// Reads a bitmap file: fills the description and writes the image data into
// the sink in PDF order (rows from the top; palette images keep their bit
// depth and their rows as stored; true-colour images become 8-bit red, green,
// blue). Two-colour black-and-white palettes give image masks, other
// palettes Indexed images, 16, 24 and 32-bit pixels DeviceRGB.
//
// Accepts bit counts 1, 4, 8 (uncompressed, RLE8 for 8 and RLE4 for 4), 24
// (uncompressed), 16 and 32 (uncompressed or with bit-field masks). Every
// size is checked against the file's real length and against
// kMaxImageDataSize. Run-length data go to the sink a band of rows at a
// time, top first (a bottom-up bitmap after a first pass over its codes that
// notes where each band begins and checks the data whole); rows the codes
// never reach are zeros, handed on in place (PutZeros) when they come before
// anything else and the sink offers that. A row above kImageDecodeBudget is
// decoded into the image data in place instead (the sink then needs
// PutZeros). Data that end before the image does are refused ("pixel data
// cut short"). On failure returns false with a reason in *error (when
// given); the sink may then hold part of the data and is to be discarded.
bool ReadBMPImage(const char* path, ByteSink& sink, ImageDescription& description,
                  ImageError* error);
// The same, for a caller that wants the reason's text only.
bool ReadBMPImage(const char* path, ByteSink& sink, ImageDescription& description,
                  std::string* error = nullptr);
