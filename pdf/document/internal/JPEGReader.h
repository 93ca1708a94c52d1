#pragma once
// Reading JPEG files for the image importer: only the header is parsed; the
// file itself, byte for byte, becomes the image data under /DCTDecode.
#include <string>

#include "pdf/document/internal/ImageDescription.h"
#include "pdf/object/internal/ByteSink.h"

// True when the file can be opened and begins with FF D8.
bool IsJPEGFile(const char* path);

// Reads the JPEG header through libjpeg (a damaged header fails the call; it
// never ends the process), fills the description (dctEncoded true) and copies
// the whole file into the sink. Grey files give DeviceGray, colour files
// DeviceRGB, four-component files DeviceCMYK, with the Decode inverted for
// YCCK files and files with an Adobe marker. The size in points comes from a
// "Photoshop 3.0" resolution record in the first APP13 marker, else from the
// JFIF density, else one pixel per point, for each axis on its own. Files
// larger than kMaxImageDataSize are refused. On failure returns false with a
// reason in *error (when given); the sink is then to be discarded.
bool ReadJPEGImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error = nullptr);
