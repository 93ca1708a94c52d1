#pragma once
// Reading JPEG files for the image importer: only the header is parsed; the
// file itself, byte for byte, becomes the image data under /DCTDecode, after
// a walk over its marker structure.
#include <string>

#include "pdf/document/internal/ImageDescription.h"
#include "pdf/object/ByteSink.h"

// True when the file can be opened and begins with FF D8.
struct ImageHead;
struct ImageError;
bool IsJPEGFile(const char* path);
bool IsJPEGFile(const ImageHead& head);

// Reads the JPEG header through libjpeg (a damaged header fails the call; it
// never ends the process), fills the description (dctEncoded true) and copies
// the whole file into the sink. Grey files give DeviceGray, colour files
// DeviceRGB (rgbWithoutTransform when the components are red, green, blue
// rather than YCbCr and no Adobe marker says so), four-component files
// DeviceCMYK, with the Decode inverted for YCCK files and files with an
// Adobe marker. The size in points comes from the ResolutionInfo resource of
// the first APP13 marker that holds Photoshop resources ("Photoshop 3.0", its
// NUL and "8BIM"; empty APP13 markers and those of other kinds are passed
// over), else from the JFIF density, else one pixel per point, for each axis
// on its own. The Orientation (1 to 8) comes
// from the first Exif APP1 marker before the scan, when its IFD0 holds a
// readable one. The description carries the file's stamp: the data are
// copied from the file when they are written, which refuses a file that
// changed since.
//
// The markers up to the first scan are read once, by libjpeg's own file
// source; the data are not decoded, but the copy walks the marker structure
// on from there: a file whose marker segments run past its end, that has
// no scan, or whose scan data end without an EOI marker (a file cut short)
// is refused; bytes after the EOI are allowed. A segment is read as libjpeg
// reads it: an APPn, COM or DNL segment whose length field is below 2 is
// the length field alone, any other is refused. Files larger than kMaxImageDataSize are refused. On
// failure returns false with a reason in *error (when given); the sink is
// then to be discarded.
bool ReadJPEGImage(const char* path, ByteSink& sink, ImageDescription& description,
                   ImageError* error);
// The same, for a caller that wants the reason's text only.
bool ReadJPEGImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error = nullptr);
