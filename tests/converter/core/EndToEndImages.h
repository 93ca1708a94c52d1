#pragma once
// Real image files made at run time for the end-to-end tests and the
// benchmark: bitmaps of every bit count the converter reads, JPEG files
// written by libjpeg and TIFF files written by libtiff, together with the
// pixels each is expected to show. Also reads back the pages a renderer
// draws (PAM files) and decodes JPEG files for comparison.
//
// Free of the test framework so that the benchmark can use it too.
#include <jpeglib.h>
#include <tiffio.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Pixels, rows from the top, components interleaved: 1 grey, 3 red green
// blue, 4 cyan magenta yellow black.
struct Raster {
  uint32_t width = 0;
  uint32_t height = 0;
  int channels = 0;
  std::vector<uint8_t> pixels;

  Raster() = default;
  Raster(uint32_t w, uint32_t h, int c)
      : width(w), height(h), channels(c), pixels(size_t{w} * h * c, 0) {}
  uint8_t* At(uint32_t x, uint32_t y) { return &pixels[(size_t{y} * width + x) * channels]; }
  const uint8_t* At(uint32_t x, uint32_t y) const {
    return &pixels[(size_t{y} * width + x) * channels];
  }
};

struct RGB {
  uint8_t r, g, b;
};

inline void PutLE(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  uint8_t block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0)
    bytes.insert(bytes.end(), block, block + n);
  std::fclose(f);
  return bytes;
}

// ---------------------------------------------------------------- bitmaps

// An uncompressed bitmap. Palette images (bits 1, 4, 8) take their pixel
// indexes from index(x, y); true-colour images (24, 32) their colour from
// colour(x, y). topDown stores the rows top first with a negative height.
// The expected page is written into *shown (red green blue).
inline std::vector<uint8_t> MakeBitmap(uint32_t w, uint32_t h, int bits, bool topDown,
                                       const std::vector<RGB>& palette,
                                       const std::function<uint32_t(uint32_t, uint32_t)>& index,
                                       const std::function<RGB(uint32_t, uint32_t)>& colour,
                                       Raster* shown = nullptr, int32_t pixelsPerMetre = 0) {
  const bool indexed = bits <= 8;
  const uint32_t paletteCount = indexed ? static_cast<uint32_t>(palette.size()) : 0;
  const uint64_t rowBits = uint64_t{w} * static_cast<uint32_t>(bits);
  const uint32_t padded = static_cast<uint32_t>((rowBits + 31) / 32 * 4);
  const uint32_t offset = 14 + 40 + 4 * paletteCount;
  std::vector<uint8_t> b = {'B', 'M'};
  b.reserve(offset + size_t{padded} * h);
  PutLE(b, offset + padded * h, 4);
  PutLE(b, 0, 4);
  PutLE(b, offset, 4);
  PutLE(b, 40, 4);
  PutLE(b, w, 4);
  PutLE(b, topDown ? static_cast<uint32_t>(-static_cast<int32_t>(h)) : h, 4);
  PutLE(b, 1, 2);
  PutLE(b, static_cast<uint32_t>(bits), 2);
  PutLE(b, 0, 4);  // no compression
  PutLE(b, padded * h, 4);
  PutLE(b, static_cast<uint32_t>(pixelsPerMetre), 4);
  PutLE(b, static_cast<uint32_t>(pixelsPerMetre), 4);
  PutLE(b, paletteCount, 4);
  PutLE(b, 0, 4);
  for (uint32_t i = 0; i < paletteCount; ++i) {
    b.push_back(palette[i].b);
    b.push_back(palette[i].g);
    b.push_back(palette[i].r);
    b.push_back(0);
  }
  if (shown) *shown = Raster(w, h, 3);
  std::vector<uint8_t> line(padded);
  for (uint32_t stored = 0; stored < h; ++stored) {
    const uint32_t y = topDown ? stored : h - 1 - stored;
    std::fill(line.begin(), line.end(), 0);
    for (uint32_t x = 0; x < w; ++x) {
      RGB c;
      if (indexed) {
        const uint32_t i = index(x, y);
        c = palette[i];
        const uint64_t bit = uint64_t{x} * static_cast<uint32_t>(bits);
        line[bit / 8] |= static_cast<uint8_t>(i << (8 - bits - bit % 8));
      } else {
        c = colour(x, y);
        uint8_t* p = &line[size_t{x} * (bits / 8)];
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
        if (bits == 32) p[3] = static_cast<uint8_t>(x * 7 + y);  // unused byte, not alpha
      }
      if (shown) {
        uint8_t* s = shown->At(x, y);
        s[0] = c.r;
        s[1] = c.g;
        s[2] = c.b;
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

// A smooth true-colour pattern.
inline RGB Pattern(uint32_t x, uint32_t y) {
  return {static_cast<uint8_t>(x * 5 + y), static_cast<uint8_t>(y * 3 + 17),
          static_cast<uint8_t>((x ^ y) * 9)};
}

// ---------------------------------------------------------------- TIFF

struct TiffSpec {
  uint32_t width = 0;
  uint32_t height = 0;
  int bits = 8;
  int samples = 1;
  int photometric = PHOTOMETRIC_MINISBLACK;
  int compression = COMPRESSION_NONE;
  int predictor = 0;                     // 2: horizontal differencing
  uint32_t rowsPerStrip = 0;             // 0: one strip
  uint32_t tile = 0;                     // > 0: square tiles of this size instead of strips
  bool planar = false;                   // separate planes (one per sample)
  float dpi = 0;                         // > 0: resolution in dots per inch
  std::vector<uint16_t> colourMap = {};  // palette images: red, green, blue ranges of 2^bits each
};

// Writes a TIFF whose sample s of pixel (x, y) is sample(x, y, s) (already
// within the bit depth). Rows are packed most significant bit first.
inline bool WriteTiff(const std::string& path, const TiffSpec& spec,
                      const std::function<uint32_t(uint32_t, uint32_t, int)>& sample) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, spec.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
               spec.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, spec.compression);
  if (spec.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK);
  if (spec.predictor) TIFFSetField(tiff, TIFFTAG_PREDICTOR, spec.predictor);
  if (!spec.colourMap.empty()) {
    const size_t n = spec.colourMap.size() / 3;
    TIFFSetField(tiff, TIFFTAG_COLORMAP, spec.colourMap.data(), spec.colourMap.data() + n,
                 spec.colourMap.data() + 2 * n);
  }
  if (spec.dpi > 0) {
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, spec.dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, spec.dpi);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  const int perUnit = spec.planar ? 1 : spec.samples;  // samples in one packed pixel
  const int planes = spec.planar ? spec.samples : 1;
  auto pack = [&](std::vector<uint8_t>& out, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h,
                  int plane) {
    const size_t rowBytes = (size_t{w} * perUnit * spec.bits + 7) / 8;
    out.assign(rowBytes * h, 0);
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x) {
        for (int k = 0; k < perUnit; ++k) {
          const bool inside = x0 + x < spec.width && y0 + y < spec.height;
          const uint32_t v = inside ? sample(x0 + x, y0 + y, spec.planar ? plane : k) : 0;
          const size_t bit = (size_t{x} * perUnit + k) * spec.bits;
          uint8_t* row = &out[y * rowBytes];
          if (spec.bits == 16) {
            // Native order: libtiff writes the file's byte order itself.
            const uint16_t s = static_cast<uint16_t>(v);
            std::memcpy(&row[bit / 8], &s, 2);
          } else if (spec.bits == 8) {
            row[bit / 8] = static_cast<uint8_t>(v);
          } else {
            row[bit / 8] |= static_cast<uint8_t>(v << (8 - spec.bits - bit % 8));
          }
        }
      }
    }
  };
  bool ok = true;
  std::vector<uint8_t> buf;
  if (spec.tile > 0) {
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, spec.tile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, spec.tile);
    for (int p = 0; p < planes && ok; ++p)
      for (uint32_t ty = 0; ty < spec.height && ok; ty += spec.tile)
        for (uint32_t tx = 0; tx < spec.width && ok; tx += spec.tile) {
          pack(buf, tx, ty, spec.tile, spec.tile, p);
          ok = TIFFWriteTile(tiff, buf.data(), tx, ty, 0, static_cast<uint16_t>(p)) >= 0;
        }
  } else {
    const uint32_t rows = spec.rowsPerStrip ? spec.rowsPerStrip : spec.height;
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rows);
    const uint32_t stripsPerPlane = (spec.height + rows - 1) / rows;
    for (int p = 0; p < planes && ok; ++p)
      for (uint32_t s = 0; s < stripsPerPlane && ok; ++s) {
        const uint32_t y0 = s * rows;
        const uint32_t h = std::min(rows, spec.height - y0);
        pack(buf, 0, y0, spec.width, h, p);
        ok = TIFFWriteEncodedStrip(tiff, p * stripsPerPlane + s, buf.data(),
                                   static_cast<tmsize_t>(buf.size())) >= 0;
      }
  }
  TIFFClose(tiff);
  return ok;
}

// ---------------------------------------------------------------- JPEG

struct JpegSpec {
  uint32_t width = 0;
  uint32_t height = 0;
  J_COLOR_SPACE input = JCS_RGB;  // JCS_GRAYSCALE, JCS_RGB or JCS_CMYK
  int quality = 90;
  bool progressive = false;
  int densityUnit = 1;  // 0 aspect only, 1 per inch, 2 per centimetre
  int density = 72;
  bool rgbComponents = false;  // RGB stored as components 'R', 'G', 'B', no JFIF or Adobe marker
};

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

inline void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Writes a JPEG file with a JFIF header (also for CMYK) whose component k
// of pixel (x, y) is sample(x, y, k).
inline bool WriteJpeg(const std::string& path, const JpegSpec& spec,
                      const std::function<uint8_t(uint32_t, uint32_t, int)>& sample) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct c;
  JpegError error;
  c.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  std::vector<uint8_t> row;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&c);
    std::fclose(file);
    return false;
  }
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  const int components = spec.input == JCS_GRAYSCALE ? 1 : spec.input == JCS_CMYK ? 4 : 3;
  c.image_width = spec.width;
  c.image_height = spec.height;
  c.input_components = components;
  c.in_color_space = spec.input;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, spec.quality, TRUE);
  c.write_JFIF_header = TRUE;
  c.density_unit = static_cast<UINT8>(spec.densityUnit);
  c.X_density = c.Y_density = static_cast<UINT16>(spec.density);
  if (spec.progressive) jpeg_simple_progression(&c);
  if (spec.rgbComponents) {
    jpeg_set_colorspace(&c, JCS_RGB);
    c.write_JFIF_header = FALSE;
    c.write_Adobe_marker = FALSE;
  }
  jpeg_start_compress(&c, TRUE);
  row.resize(size_t{spec.width} * components);
  while (c.next_scanline < c.image_height) {
    for (uint32_t x = 0; x < spec.width; ++x)
      for (int k = 0; k < components; ++k)
        row[size_t{x} * components + k] = sample(x, c.next_scanline, k);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(file) == 0;
}

// Decodes a JPEG file into its components as stored (grey, red green blue,
// or CMYK without any inversion). False when libjpeg cannot read it.
inline bool DecodeJpeg(const std::string& path, Raster& out) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  jpeg_decompress_struct d;
  JpegError error;
  d.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&d);
    std::fclose(file);
    return false;
  }
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, file);
  jpeg_read_header(&d, TRUE);
  if (d.num_components == 3) d.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d);
  out = Raster(d.output_width, d.output_height, d.output_components);
  while (d.output_scanline < d.output_height) {
    JSAMPROW rows[1] = {out.At(0, d.output_scanline)};
    jpeg_read_scanlines(&d, rows, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(file);
  return true;
}

// ---------------------------------------------------------------- PAM

// Reads a PAM file (P7) of 1, 3 or 4 channels of 8 bits, as a renderer
// writes it.
inline bool ReadPam(const std::string& path, Raster& out) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  size_t pos = 0;
  auto line = [&]() {
    std::string text;
    while (pos < bytes.size() && bytes[pos] != '\n') text += static_cast<char>(bytes[pos++]);
    ++pos;
    return text;
  };
  if (line() != "P7") return false;
  long w = -1, h = -1, depth = -1, maxval = -1;
  for (int i = 0; i < 16 && pos < bytes.size(); ++i) {
    const std::string l = line();
    if (l == "ENDHDR") {
      if (w <= 0 || h <= 0 || depth < 1 || depth > 4 || maxval != 255) return false;
      out = Raster(static_cast<uint32_t>(w), static_cast<uint32_t>(h), static_cast<int>(depth));
      if (bytes.size() - pos < out.pixels.size()) return false;
      std::copy(bytes.begin() + static_cast<long>(pos),
                bytes.begin() + static_cast<long>(pos + out.pixels.size()), out.pixels.begin());
      return true;
    }
    const size_t space = l.find(' ');
    if (space == std::string::npos) continue;
    const std::string key = l.substr(0, space);
    const long value = std::strtol(l.c_str() + space + 1, nullptr, 10);
    if (key == "WIDTH") w = value;
    if (key == "HEIGHT") h = value;
    if (key == "DEPTH") depth = value;
    if (key == "MAXVAL") maxval = value;
  }
  return false;
}

}  // namespace e2e
