#pragma once
// Image files made at test time for the importer and conversion tests:
// uncompressed bitmaps (24-bit, or 8-bit with a palette) and TIFFs written
// through libtiff. Pixel values follow simple patterns the tests recompute.
#include <tiffio.h>

#include "JPEGTestWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace imagefile {

inline void Le(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Red, green, blue of pixel (x, y) of the true-colour pattern.
inline uint8_t Sample(uint32_t x, uint32_t y, int c) {
  return static_cast<uint8_t>((x * 37 + y * 11 + c * 85) & 0xFF);
}

// A bitmap of w x h pixels. bits 24: the true-colour pattern; bits 8: pixel
// index (x + y) % colours over a palette of `colours` entries, entry i being
// red i*3, green i*5, blue 255-i. The rows are stored bottom first.
inline std::vector<uint8_t> Bitmap(int32_t w, int32_t h, int bits = 24, int32_t ppm = 0,
                                   uint32_t colours = 16) {
  const uint32_t paletteCount = bits == 8 ? colours : 0;
  const uint32_t rowBytes = bits == 8 ? static_cast<uint32_t>(w) : 3u * static_cast<uint32_t>(w);
  const uint32_t padded = (rowBytes + 3) / 4 * 4;
  std::vector<uint8_t> b = {'B', 'M'};
  const uint32_t offset = 14 + 40 + 4 * paletteCount;
  Le(b, offset + padded * static_cast<uint32_t>(h), 4);
  Le(b, 0, 4);
  Le(b, offset, 4);
  Le(b, 40, 4);
  Le(b, static_cast<uint32_t>(w), 4);
  Le(b, static_cast<uint32_t>(h), 4);
  Le(b, 1, 2);
  Le(b, static_cast<uint32_t>(bits), 2);
  Le(b, 0, 4);
  Le(b, 0, 4);
  Le(b, static_cast<uint32_t>(ppm), 4);
  Le(b, static_cast<uint32_t>(ppm), 4);
  Le(b, paletteCount, 4);
  Le(b, 0, 4);
  for (uint32_t i = 0; i < paletteCount; ++i) {
    b.push_back(static_cast<uint8_t>(255 - i));  // blue
    b.push_back(static_cast<uint8_t>(i * 5));    // green
    b.push_back(static_cast<uint8_t>(i * 3));    // red
    b.push_back(0);
  }
  for (int32_t row = h - 1; row >= 0; --row) {
    const uint32_t y = static_cast<uint32_t>(row);
    std::vector<uint8_t> line;
    for (uint32_t x = 0; x < static_cast<uint32_t>(w); ++x) {
      if (bits == 8) {
        line.push_back(static_cast<uint8_t>((x + y) % colours));
      } else {
        for (int c = 2; c >= 0; --c) line.push_back(Sample(x, y, c));
      }
    }
    line.resize(padded, 0);
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

// The palette of Bitmap(..., 8, ...), red, green, blue per entry.
inline std::vector<uint8_t> BitmapPalette(uint32_t colours) {
  std::vector<uint8_t> p;
  for (uint32_t i = 0; i < colours; ++i) {
    p.push_back(static_cast<uint8_t>(i * 3));
    p.push_back(static_cast<uint8_t>(i * 5));
    p.push_back(static_cast<uint8_t>(255 - i));
  }
  return p;
}

// The pixel rows of the true-colour pattern, top first, red green blue.
inline std::vector<uint8_t> RGBRows(uint32_t w, uint32_t h) {
  std::vector<uint8_t> rows;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) rows.push_back(Sample(x, y, c));
  return rows;
}

// Opens a new TIFF for one contiguous strip of w x h pixels.
inline TIFF* NewTiff(const std::string& path, uint32_t w, uint32_t h, int bits, int samples,
                     int photometric) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) return nullptr;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, h);
  return tiff;
}

// Writes the strip and closes the file.
inline bool FinishTiff(TIFF* tiff, std::vector<uint8_t>& rows) {
  const bool ok =
      TIFFWriteEncodedStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0;
  TIFFClose(tiff);
  return ok;
}

// An 8-bit RGB TIFF of the true-colour pattern (one strip), with a
// resolution in dots per inch when dpi > 0.
inline bool RGBTiff(const std::string& path, uint32_t w, uint32_t h, float dpi = 0) {
  TIFF* tiff = NewTiff(path, w, h, 8, 3, PHOTOMETRIC_RGB);
  if (!tiff) return false;
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  if (dpi > 0) {
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  std::vector<uint8_t> rows = RGBRows(w, h);
  return FinishTiff(tiff, rows);
}

// A 4-bit palette TIFF whose colour map entry i is (i * 4369, 65535 - i * 4369,
// 32768); pixel index (x + y) % 16.
inline bool PaletteTiff(const std::string& path, uint32_t w, uint32_t h) {
  TIFF* tiff = NewTiff(path, w, h, 4, 1, PHOTOMETRIC_PALETTE);
  if (!tiff) return false;
  std::vector<uint16_t> r(16), g(16), b(16);
  for (int i = 0; i < 16; ++i) {
    r[i] = static_cast<uint16_t>(i * 4369);
    g[i] = static_cast<uint16_t>(65535 - i * 4369);
    b[i] = 32768;
  }
  TIFFSetField(tiff, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  const uint32_t rowBytes = (w + 1) / 2;
  std::vector<uint8_t> rows(rowBytes * h, 0);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t v = static_cast<uint8_t>((x + y) % 16);
      rows[y * rowBytes + x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? v << 4 : v);
    }
  return FinishTiff(tiff, rows);
}

// A colour JPEG of w x h pixels whose JFIF header gives dpi dots per inch.
inline bool DenseJpeg(const std::string& path, int w, int h, int dpi) {
  JPEGSpec spec;
  spec.width = w;
  spec.height = h;
  spec.densityUnit = 1;
  spec.xDensity = spec.yDensity = dpi;
  return WriteJPEG(path, spec);
}

}  // namespace imagefile
