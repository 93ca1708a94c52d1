#pragma once
// Writes JPEG files for the tests with libjpeg's compressor.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

struct JPEGSpec {
  int width = 16;
  int height = 8;
  J_COLOR_SPACE input = JCS_RGB;  // JCS_GRAYSCALE, JCS_RGB, JCS_CMYK or JCS_UNKNOWN
  int components = 3;
  J_COLOR_SPACE fileSpace = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for the input
  bool setFileSpace = false;
  bool jfif = true;
  int densityUnit = 0;
  int xDensity = 1;
  int yDensity = 1;
  int adobe = -1;  // -1: libjpeg's choice; 0 or 1 forces the Adobe marker
  bool progressive = false;
  unsigned restartInterval = 0;                   // MCUs between restart markers; 0: none
  std::vector<std::vector<unsigned char>> app13;  // written in this order
  std::vector<std::vector<unsigned char>> app1;   // written before the APP13 markers
  // The samples of pixel (x, y); JPEGTestSample when not given.
  std::function<void(int x, int y, unsigned char* samples)> pixel;
};

// The data of an Exif APP1 marker ("Exif\0\0" and a TIFF header in the byte
// order asked for) whose IFD0 holds a Make entry and an Orientation entry
// of the type given (3 SHORT) with the value given.
inline std::vector<unsigned char> ExifOrientation(uint32_t value, bool bigEndian = false,
                                                  uint16_t type = 3) {
  std::vector<unsigned char> d = {'E', 'x', 'i', 'f', 0, 0};
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
      d.push_back(static_cast<unsigned char>(v >> shift));
    }
  };
  d.push_back(bigEndian ? 'M' : 'I');
  d.push_back(bigEndian ? 'M' : 'I');
  put(42, 2);
  put(8, 4);  // IFD0 right after the header
  put(2, 2);
  put(0x010F, 2);  // Make, ASCII, 4 bytes in the entry
  put(2, 2);
  put(4, 4);
  d.insert(d.end(), {'c', 'a', 'm', 0});
  put(274, 2);
  put(type, 2);
  put(1, 4);
  if (type == 3) {
    put(value, 2);
    put(0, 2);
  } else {
    put(value, 4);
  }
  put(0, 4);  // no IFD1
  return d;
}

// Pixel value of sample c of pixel (x, y): a smooth pattern.
inline unsigned char JPEGTestSample(int x, int y, int c) {
  return static_cast<unsigned char>((x * 8 + y * 4 + c * 60) & 0xFF);
}

inline bool WriteJPEG(const std::string& path, const JPEGSpec& spec) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr errors;
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = static_cast<JDIMENSION>(spec.width);
  c.image_height = static_cast<JDIMENSION>(spec.height);
  c.input_components = spec.components;
  c.in_color_space = spec.input;
  jpeg_set_defaults(&c);
  if (spec.setFileSpace) jpeg_set_colorspace(&c, spec.fileSpace);
  c.write_JFIF_header = spec.jfif ? TRUE : FALSE;
  c.density_unit = static_cast<UINT8>(spec.densityUnit);
  c.X_density = static_cast<UINT16>(spec.xDensity);
  c.Y_density = static_cast<UINT16>(spec.yDensity);
  if (spec.adobe >= 0) c.write_Adobe_marker = spec.adobe ? TRUE : FALSE;
  if (spec.progressive) jpeg_simple_progression(&c);
  c.restart_interval = spec.restartInterval;
  jpeg_start_compress(&c, TRUE);
  for (const auto& marker : spec.app1) {
    jpeg_write_marker(&c, JPEG_APP0 + 1, marker.data(), static_cast<unsigned>(marker.size()));
  }
  for (const auto& marker : spec.app13) {
    jpeg_write_marker(&c, JPEG_APP0 + 13, marker.data(), static_cast<unsigned>(marker.size()));
  }
  std::vector<unsigned char> row(static_cast<size_t>(spec.width * spec.components));
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < spec.width; ++x) {
      unsigned char* samples = &row[static_cast<size_t>(x * spec.components)];
      const int y = static_cast<int>(c.next_scanline);
      if (spec.pixel) {
        spec.pixel(x, y, samples);
      } else {
        for (int k = 0; k < spec.components; ++k) samples[k] = JPEGTestSample(x, y, k);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(file);
  return true;
}
