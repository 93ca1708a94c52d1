#include "pdf/document/internal/JPEGReader.h"

#include "pdf/document/internal/ImageFile.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "pdf/object/internal/JPEGErrorManager.h"

namespace {

bool Fail(std::string* error, const std::string& text) { return ImageReadFail(error, text); }

// APP13 markers are saved with at most this many data bytes; a marker
// qualifies only when it fills them.
constexpr unsigned kApp13Limit = 168;

// What the header says, gathered by a function that holds plain data only
// (libjpeg errors jump back into it).
struct Header {
  uint32_t width;
  uint32_t height;
  int precision;
  int components;
  J_COLOR_SPACE fileSpace;
  J_COLOR_SPACE outputSpace;
  bool adobeMarker;
  uint8_t densityUnit;
  uint16_t xDensity;
  uint16_t yDensity;
  // Resolution from the first APP13 marker when it qualifies (0: none).
  uint16_t app13X;
  uint16_t app13Y;
};

uint16_t BE16(const JOCTET* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// Reads the resolution record of a "Photoshop 3.0" marker. The byte at 19 is
// the low byte of the first resource's id and tells where the ResolutionInfo
// values lie: first (0xED), after a 120-byte 0x03E9 record (0xE9) or after a
// 38-byte IPTC record (0x04). Each value's integer part is a big-endian
// 16-bit number; the horizontal and vertical values lie 8 bytes apart.
void ReadApp13(const jpeg_saved_marker_ptr marker, Header* header) {
  if (marker->data_length < kApp13Limit) return;
  if (std::memcmp(marker->data, "Photoshop 3.0", 13) != 0) return;
  unsigned x;
  switch (marker->data[19]) {
    case 0xED: x = 26; break;
    case 0xE9: x = 158; break;
    case 0x04: x = 76; break;
    default: return;  // unknown layout: no resolution from here
  }
  header->app13X = BE16(marker->data + x);
  header->app13Y = BE16(marker->data + x + 8);
}

bool ReadHeader(FILE* file, Header* header, char* message) {
  jpeg_decompress_struct info;
  JPEGErrorManager errors;
  std::memset(&info, 0, sizeof info);
  info.err = errors.Install();
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    std::memcpy(message, errors.message, sizeof errors.message);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_save_markers(&info, JPEG_APP0 + 13, kApp13Limit);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "no image in the file");
    return false;
  }
  header->width = info.image_width;
  header->height = info.image_height;
  header->precision = info.data_precision;
  header->components = info.num_components;
  header->fileSpace = info.jpeg_color_space;
  header->outputSpace = info.out_color_space;
  header->adobeMarker = info.saw_Adobe_marker != 0;
  header->densityUnit = info.density_unit;
  header->xDensity = info.X_density;
  header->yDensity = info.Y_density;
  header->app13X = 0;
  header->app13Y = 0;
  // The first APP13 marker decides, whether it qualifies or not.
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    if (marker->marker != JPEG_APP0 + 13) continue;
    ReadApp13(marker, header);
    break;
  }
  jpeg_destroy_decompress(&info);
  return true;
}

// Size in points of one axis: the APP13 resolution (dots per inch) when it
// has one, else the JFIF density (dots per inch or per centimetre), else one
// pixel per point. Double arithmetic with single-precision constants, rounded
// once.
float AxisPoints(uint32_t pixels, uint16_t app13, uint8_t unit, uint16_t density) {
  const double p = static_cast<double>(pixels);
  const double points = static_cast<double>(72.0f);
  if (app13 > 0) return static_cast<float>(p / static_cast<double>(static_cast<float>(app13)) * points);
  if (density > 0 && unit == 1) return static_cast<float>(p / static_cast<double>(density) * points);
  if (density > 0 && unit == 2) {
    return static_cast<float>(p / (static_cast<double>(density) * static_cast<double>(2.54f)) * points);
  }
  return static_cast<float>(pixels);
}

}  // namespace

bool IsJPEGFile(const char* path) {
  static const char* const kSignatures[] = {"\xFF\xD8"};
  return ImageFile::StartsWith(path, kSignatures, 1);
}

bool ReadJPEGImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error) {
  try {
    if (path == nullptr) return Fail(error, "no file name");
    ImageFile file(path);
    if (!file.IsOpen()) return Fail(error, "cannot open the file");
    const uint64_t fileSize = file.Size();
    if (fileSize > kMaxImageDataSize) return Fail(error, "file too large");

    Header header;
    char message[JMSG_LENGTH_MAX] = {};
    if (!ReadHeader(file.Get(), &header, message)) return Fail(error, message);
    if (header.precision != 8) return Fail(error, "unsupported sample precision");
    if (header.width == 0 || header.height == 0) return Fail(error, "bad image size");

    ImageDescription result;
    result.width = header.width;
    result.height = header.height;
    result.bitsPerComponent = header.precision;
    result.dctEncoded = true;
    switch (header.outputSpace) {
      case JCS_GRAYSCALE: result.colour = ImageColour::DeviceGray; break;
      case JCS_RGB: result.colour = ImageColour::DeviceRGB; break;
      case JCS_CMYK:
        result.colour = ImageColour::DeviceCMYK;
        // YCCK files, and CMYK files written with an Adobe marker, hold
        // inverted CMYK samples.
        result.decodeInverted = header.fileSpace == JCS_YCCK || header.adobeMarker;
        break;
      default: return Fail(error, "unsupported colour model");
    }
    result.widthPoints = AxisPoints(header.width, header.app13X, header.densityUnit, header.xDensity);
    result.heightPoints = AxisPoints(header.height, header.app13Y, header.densityUnit, header.yDensity);

    // The whole file, unchanged, is the image data.
    if (fseeko(file.Get(), 0, SEEK_SET) != 0) return Fail(error, "cannot read the file");
    std::vector<uint8_t> block(65536);
    uint64_t copied = 0;
    while (copied < fileSize) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), fileSize - copied));
      if (std::fread(block.data(), 1, want, file.Get()) != want) return Fail(error, "cannot read the file");
      if (!sink.Put(block.data(), want)) return Fail(error, "out of memory for the image data");
      copied += want;
    }
    result.dataSize = fileSize;
    description = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory");
  }
}
