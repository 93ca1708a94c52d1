#pragma once
// TIFF files written with libtiff from sample values, one value per sample
// at any depth from 1 to 32 bits, contiguous or planar, in strips or tiles,
// in either byte order; several images may follow one another in a file.
// Also what the image reader is to make of such samples.
#include <tiffio.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tifftest {

// Sample values, pixels from the top row on, the samples of each pixel
// together.
struct Samples {
  uint32_t width = 0;
  uint32_t length = 0;
  int perPixel = 1;
  std::vector<uint32_t> values;

  Samples() = default;
  Samples(uint32_t w, uint32_t h, int samples)
      : width(w), length(h), perPixel(samples), values(size_t{w} * h * samples, 0) {}
  uint32_t& At(uint32_t x, uint32_t y, int s) {
    return values[(size_t{y} * width + x) * perPixel + s];
  }
  uint32_t At(uint32_t x, uint32_t y, int s) const {
    return values[(size_t{y} * width + x) * perPixel + s];
  }
};

// Values that use the whole range of the depth and differ from pixel to
// pixel and sample to sample.
inline Samples Varied(uint32_t w, uint32_t h, int samples, int bits, uint32_t seed = 1) {
  Samples image(w, h, samples);
  const uint64_t range = uint64_t{1} << bits;
  uint64_t state = seed * 0x9E3779B97F4A7C15ull + 12345;
  for (uint32_t& v : image.values) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    v = static_cast<uint32_t>((state >> 17) % range);
  }
  return image;
}

// n sample values packed as libtiff hands them over and takes them: 16, 24
// and 32-bit samples as integers in the host's byte order, other depths
// from the high bit of each byte on.
inline std::vector<uint8_t> Pack(const uint32_t* values, size_t n, int bits) {
  std::vector<uint8_t> out((n * bits + 7) / 8, 0);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t v = values[i];
    if (bits == 16 || bits == 32) {
      if (bits == 16) {
        const uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(&out[2 * i], &s, 2);
      } else {
        std::memcpy(&out[4 * i], &v, 4);
      }
    } else if (bits == 24) {
      for (int b = 0; b < 3; ++b) {
        const int shift = std::endian::native == std::endian::little ? 8 * b : 8 * (2 - b);
        out[3 * i + b] = static_cast<uint8_t>(v >> shift);
      }
    } else {
      for (int b = 0; b < bits; ++b) {
        if (v >> (bits - 1 - b) & 1) {
          const size_t bit = i * bits + b;
          out[bit / 8] |= static_cast<uint8_t>(0x80 >> bit % 8);
        }
      }
    }
  }
  return out;
}

struct Layout {
  uint16_t bits = 8;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint32_t rowsPerStrip = 0;        // 0: one strip
  uint32_t tile = 0;                // square tiles of this size; 0: strips
  std::vector<uint16_t> extra;      // ExtraSamples kinds, when any
  uint16_t orientation = 0;         // 0: no Orientation tag
  float dpi = 0;                    // 0: no resolution
  std::vector<uint16_t> colourMap;  // red, green, blue tables one after another
  uint32_t subfileType = 0;         // NewSubfileType, when not 0
};

// Sets the tags of a new image and writes its samples into the open file;
// TIFFWriteDirectory (or TIFFClose) then ends the image.
inline bool WriteImage(TIFF* tiff, const Layout& layout, const Samples& image) {
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.length);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, image.perPixel);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, layout.planar);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.sampleFormat);
  if (!layout.extra.empty()) {
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(layout.extra.size()),
                 layout.extra.data());
  }
  if (layout.orientation != 0) TIFFSetField(tiff, TIFFTAG_ORIENTATION, layout.orientation);
  if (layout.subfileType != 0) TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, layout.subfileType);
  if (layout.dpi > 0) {
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, layout.dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, layout.dpi);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  if (!layout.colourMap.empty()) {
    const size_t n = layout.colourMap.size() / 3;
    TIFFSetField(tiff, TIFFTAG_COLORMAP, layout.colourMap.data(), layout.colourMap.data() + n,
                 layout.colourMap.data() + 2 * n);
  }
  const bool planar = layout.planar == PLANARCONFIG_SEPARATE;
  const int planes = planar ? image.perPixel : 1;
  const int perPixel = planar ? 1 : image.perPixel;
  // The values of pixels x0 .. x0 + n of row y, of one plane or all samples;
  // pixels past the image's edge (tile padding) get the largest value.
  auto values = [&](uint32_t y, int plane, uint32_t x0, uint32_t n) {
    std::vector<uint32_t> v;
    const uint32_t full = layout.bits == 32 ? UINT32_MAX : (1u << layout.bits) - 1;
    for (uint32_t x = x0; x < x0 + n; ++x) {
      for (int s = 0; s < perPixel; ++s) {
        const bool inside = x < image.width && y < image.length;
        v.push_back(inside ? image.At(x, y, planar ? plane : s) : full);
      }
    }
    return v;
  };
  bool ok = true;
  if (layout.tile != 0) {
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, layout.tile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, layout.tile);
    for (int p = 0; p < planes; ++p) {
      for (uint32_t y0 = 0; y0 < image.length; y0 += layout.tile) {
        for (uint32_t x0 = 0; x0 < image.width; x0 += layout.tile) {
          std::vector<uint8_t> tile;
          for (uint32_t r = 0; r < layout.tile; ++r) {
            const std::vector<uint32_t> row = values(y0 + r, p, x0, layout.tile);
            const std::vector<uint8_t> packed = Pack(row.data(), row.size(), layout.bits);
            tile.insert(tile.end(), packed.begin(), packed.end());
          }
          ok = ok && TIFFWriteTile(tiff, tile.data(), x0, y0, 0, static_cast<uint16_t>(p)) >= 0;
        }
      }
    }
    return ok;
  }
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
               layout.rowsPerStrip != 0 ? layout.rowsPerStrip : image.length);
  for (int p = 0; p < planes; ++p) {
    for (uint32_t y = 0; y < image.length; ++y) {
      const std::vector<uint32_t> row = values(y, p, 0, image.width);
      std::vector<uint8_t> packed = Pack(row.data(), row.size(), layout.bits);
      ok = ok && TIFFWriteScanline(tiff, packed.data(), y, static_cast<uint16_t>(p)) >= 0;
    }
  }
  return ok;
}

// A file of the images given, in this order; bigEndian writes "MM".
inline bool WriteFile(const std::string& path, const std::vector<Layout>& layouts,
                      const std::vector<Samples>& images, bool bigEndian = false) {
  TIFF* tiff = TIFFOpen(path.c_str(), bigEndian ? "wb" : "wl");
  if (tiff == nullptr) return false;
  bool ok = true;
  for (size_t i = 0; i < images.size() && ok; ++i) {
    ok = WriteImage(tiff, layouts[i], images[i]) && TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
  return ok;
}

inline bool WriteFile(const std::string& path, const Layout& layout, const Samples& image,
                      bool bigEndian = false) {
  return WriteFile(path, std::vector<Layout>{layout}, std::vector<Samples>{image}, bigEndian);
}

// What the reader stores of the samples: the first `components` of each
// pixel; 3, 5, 6 and 7-bit values scaled to 8 bits and deeper ones cut to their high 8
// bits; with an associated alpha (the sample `alpha`, -1 for none) the
// colour divided out at the file's depth and stored at 8 bits (rounded,
// clipped to 255; alpha 0 taken as the full alpha), 1-bit samples staying
// 1 bit; rows packed at 1, 2, 4 or 8 bits a component, each to a whole
// byte.
inline std::vector<uint8_t> Stored(const Samples& image, int bits, int components, int alpha = -1) {
  const bool divided = alpha >= 0 && bits > 1;
  const int outBits = (bits == 1 || bits == 2 || bits == 4) && !divided ? bits : 8;
  const long double full = std::ldexp(1.0L, bits) - 1;
  std::vector<uint8_t> out;
  for (uint32_t y = 0; y < image.length; ++y) {
    std::vector<uint32_t> row;
    for (uint32_t x = 0; x < image.width; ++x) {
      for (int c = 0; c < components; ++c) {
        long double v = image.At(x, y, c);
        if (divided) {
          const long double a = image.At(x, y, alpha) == 0 ? full : image.At(x, y, alpha);
          v = v >= a ? 255 : std::roundl(v * 255 / a);
        } else if (bits == 3 || bits == 5 || bits == 6 || bits == 7) {
          v = std::roundl(v * 255 / full);
        } else if (bits > 8) {
          v = std::floor(v / std::ldexp(1.0L, bits - 8));
        }
        row.push_back(static_cast<uint32_t>(v));
      }
    }
    const std::vector<uint8_t> packed = Pack(row.data(), row.size(), outBits);
    out.insert(out.end(), packed.begin(), packed.end());
  }
  return out;
}

// --- Little-endian files taken apart ---

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
inline void PutLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
// Where the offset of the next directory lies in the directory at `at`.
inline size_t NextField(const std::vector<uint8_t>& b, uint32_t at) {
  return at + 2 + 12 * static_cast<size_t>(b[at] | b[at + 1] << 8);
}
// Where the directories of the main chain lie (at most 100).
inline std::vector<uint32_t> Directories(const std::vector<uint8_t>& b) {
  std::vector<uint32_t> offsets;
  for (uint32_t at = Le32(b, 4); at != 0 && offsets.size() < 100; at = Le32(b, NextField(b, at)))
    offsets.push_back(at);
  return offsets;
}
// Where the value field of a tag's entry lies in the directory at `at`; 0
// when the directory has no such entry.
inline size_t ValueField(const std::vector<uint8_t>& b, uint32_t at, uint16_t tag) {
  const size_t count = b[at] | b[at + 1] << 8;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = at + 2 + 12 * i;
    if ((b[entry] | b[entry + 1] << 8) == tag) return entry + 8;
  }
  return 0;
}

}  // namespace tifftest
