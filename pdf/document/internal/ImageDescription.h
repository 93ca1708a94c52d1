#pragma once
// What an image-file reader found out about an image: everything the image
// XObject's dictionary needs. The pixel data themselves go into a ByteSink,
// once, in their final order (rows from the top, components interleaved).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pdf/object/FileStamp.h"

// Images whose data would pass this many bytes are refused: stream lengths
// and offsets in the library are 32-bit signed values.
inline constexpr uint64_t kMaxImageDataSize = 0x7FFFFFFF;

// The most decoded bytes a reader holds at once besides the image data: the
// readers decode straight into the image data, or one row or one tile at a
// time, so that an image costs memory once whatever its compression; a tile
// or row larger than this is refused.
inline constexpr uint64_t kImageDecodeBudget = uint64_t{64} << 20;

enum class ImageColour {
  ImageMask,   // /ImageMask true, no colour space (1 bit per component)
  DeviceGray,  // /ColorSpace /DeviceGray
  DeviceRGB,   // /ColorSpace /DeviceRGB
  DeviceCMYK,  // /ColorSpace /DeviceCMYK
  Indexed,     // /ColorSpace [/Indexed /DeviceRGB hival lookup]
};

struct ImageDescription {
  uint32_t width = 0;   // /Width, pixels
  uint32_t height = 0;  // /Height, pixels
  int bitsPerComponent = 0;
  ImageColour colour = ImageColour::DeviceGray;

  // Indexed only: hival (entries - 1, at most 255) and the lookup table,
  // (hival + 1) x 3 bytes red, green, blue in entry order.
  int hival = -1;
  std::vector<uint8_t> palette;

  // True: /Decode inverts every component, [1 0] for a mask or a grey image
  // and [1 0 1 0 1 0 1 0] for CMYK. False: no /Decode entry.
  bool decodeInverted = false;

  // True: the data are the JPEG file itself and the stream's /Filter is
  // /DCTDecode. False: the data are uncompressed samples, no filter.
  bool dctEncoded = false;
  // DCT data only: three components stored as red, green, blue rather than
  // YCbCr, which PDF readers assume unless /DecodeParms << /ColorTransform 0 >>
  // says otherwise.
  bool rgbWithoutTransform = false;

  // The image's size in points; the importer scales the identity matrix by
  // these two values.
  float widthPoints = 0.0f;
  float heightPoints = 0.0f;

  // How the file asks for its image to be shown, as the Orientation of TIFF
  // and Exif (tag 274) gives it: 1 rows from the top, columns from the left
  // (as stored); 2 mirrored left to right; 3 turned half round; 4 mirrored
  // top to bottom; 5 mirrored across the main diagonal; 6 to be turned a
  // quarter clockwise; 7 mirrored across the other diagonal; 8 to be turned
  // a quarter anticlockwise. The data stay as stored whatever it says.
  int orientation = 1;

  // Number of bytes written into the sink.
  uint64_t dataSize = 0;

  // The file as it was read, for data that stay in it until they are
  // written (DCT data): the write checks that it has not changed since.
  FileStamp source;

  // Colour components per pixel (1 for masks, grey and Indexed).
  int Components() const {
    switch (colour) {
      case ImageColour::DeviceRGB: return 3;
      case ImageColour::DeviceCMYK: return 4;
      default: return 1;
    }
  }
  // The name of the device colour space ("DeviceGray", "DeviceRGB",
  // "DeviceCMYK"); nullptr for a mask and for Indexed (whose base is
  // "DeviceRGB").
  const char* ColourSpaceName() const {
    switch (colour) {
      case ImageColour::DeviceGray: return "DeviceGray";
      case ImageColour::DeviceRGB: return "DeviceRGB";
      case ImageColour::DeviceCMYK: return "DeviceCMYK";
      default: return nullptr;
    }
  }
  // The elements of /Decode when decodeInverted: 1 0 repeated per component.
  int DecodeElementCount() const { return decodeInverted ? 2 * Components() : 0; }
};
