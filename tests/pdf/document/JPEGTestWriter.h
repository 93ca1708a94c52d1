#pragma once
// Writes JPEG files for the tests with libjpeg's compressor.
#include <cstdio>
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
  std::vector<std::vector<unsigned char>> app13;  // written in this order
};

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
  jpeg_start_compress(&c, TRUE);
  for (const auto& marker : spec.app13) {
    jpeg_write_marker(&c, JPEG_APP0 + 13, marker.data(), static_cast<unsigned>(marker.size()));
  }
  std::vector<unsigned char> row(static_cast<size_t>(spec.width * spec.components));
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < spec.width; ++x) {
      for (int k = 0; k < spec.components; ++k) {
        row[static_cast<size_t>(x * spec.components + k)] =
            JPEGTestSample(x, static_cast<int>(c.next_scanline), k);
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
