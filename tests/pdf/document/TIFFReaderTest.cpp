#include "pdf/document/internal/TIFFReader.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "tests/pdf/document/ImageTestSupport.h"
#include "tests/pdf/document/TIFFTestWriter.h"

namespace {

// A sink that takes no data: the reader stops at the description.
class NoDataSink : public ByteSink {
 public:
  bool Put(const uint8_t*, size_t) override { return false; }
  size_t Size() const override { return 0; }
  bool WantsData() const override { return false; }
};

// A TIFF file written with libtiff from an image given as contiguous rows
// (each of width x samples x bits, packed, no padding between pixels).
struct TIFFSpec {
  uint32_t width = 8;
  uint32_t length = 4;
  uint16_t bits = 8;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint16_t predictor = 0;
  uint32_t rowsPerStrip = 0;  // 0: one strip
  uint32_t tileWidth = 0;     // 0: strips
  uint32_t tileLength = 0;
  bool resolution = true;
  float xResolution = 72.0f;
  float yResolution = 72.0f;
  uint16_t unit = RESUNIT_INCH;
  std::vector<uint16_t> colourMap;  // red, green, blue tables one after another
  uint16_t extraSamples = 0;
  bool jpegRGB = false;  // JPEG with YCbCr photometric, fed RGB

  uint64_t RowBytes() const { return (static_cast<uint64_t>(width) * samples * bits + 7) / 8; }
};

// Sample k (of samples x width) of row y at a depth of 8 or 16 bits.
uint32_t SampleAt(const std::vector<uint8_t>& image, const TIFFSpec& spec, uint32_t y, uint32_t k) {
  const uint8_t* row = image.data() + y * spec.RowBytes();
  if (spec.bits == 16) {
    uint16_t v;
    std::memcpy(&v, row + 2 * k, 2);
    return v;
  }
  return row[k];
}

bool WriteTIFF(const std::string& path, const TIFFSpec& spec, const std::vector<uint8_t>& image) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.length);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, spec.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, spec.compression);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, spec.planar);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, spec.sampleFormat);
  if (spec.predictor != 0) TIFFSetField(tiff, TIFFTAG_PREDICTOR, spec.predictor);
  if (spec.resolution) {
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, spec.xResolution);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, spec.yResolution);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, spec.unit);
  }
  if (spec.extraSamples != 0) {
    std::vector<uint16_t> kinds(spec.extraSamples, EXTRASAMPLE_UNASSALPHA);
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, spec.extraSamples, kinds.data());
  }
  if (!spec.colourMap.empty()) {
    const size_t n = spec.colourMap.size() / 3;
    TIFFSetField(tiff, TIFFTAG_COLORMAP, spec.colourMap.data(), spec.colourMap.data() + n,
                 spec.colourMap.data() + 2 * n);
  }
  if (spec.jpegRGB) {
    TIFFSetField(tiff, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);
    TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  }
  const bool planar = spec.planar == PLANARCONFIG_SEPARATE;
  const int planes = planar ? spec.samples : 1;
  const int perPixel = planar ? 1 : spec.samples;
  const int step = spec.bits / 8;
  // One plane's (or the contiguous) row y of pixels x0 .. x0 + n.
  auto pieceRow = [&](uint32_t y, int plane, uint32_t x0, uint32_t n, uint8_t* out) {
    if (!planar) {
      const uint64_t start = x0 * static_cast<uint64_t>(spec.samples) * spec.bits / 8;
      const uint64_t bytes = (static_cast<uint64_t>(n) * spec.samples * spec.bits + 7) / 8;
      std::memcpy(out, image.data() + y * spec.RowBytes() + start, bytes);
      return;
    }
    for (uint32_t i = 0; i < n; ++i) {
      uint32_t v = SampleAt(image, spec, y, (x0 + i) * spec.samples + plane);
      if (step == 2) {
        uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(out + 2 * i, &s, 2);
      } else {
        out[i] = static_cast<uint8_t>(v);
      }
    }
  };
  bool ok = true;
  if (spec.tileWidth != 0) {
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, spec.tileWidth);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, spec.tileLength);
    const uint64_t tileRow = (static_cast<uint64_t>(spec.tileWidth) * perPixel * spec.bits + 7) / 8;
    std::vector<uint8_t> tile(static_cast<size_t>(tileRow * spec.tileLength));
    for (int p = 0; p < planes; ++p) {
      for (uint32_t y0 = 0; y0 < spec.length; y0 += spec.tileLength) {
        for (uint32_t x0 = 0; x0 < spec.width; x0 += spec.tileWidth) {
          std::fill(tile.begin(), tile.end(), 0xCD);  // padding that must not show
          for (uint32_t r = 0; r < spec.tileLength && y0 + r < spec.length; ++r) {
            pieceRow(y0 + r, p, x0, std::min(spec.tileWidth, spec.width - x0),
                     tile.data() + r * tileRow);
          }
          ok = ok && TIFFWriteTile(tiff, tile.data(), x0, y0, 0, static_cast<uint16_t>(p)) >= 0;
        }
      }
    }
  } else {
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                 spec.rowsPerStrip != 0 ? spec.rowsPerStrip : spec.length);
    std::vector<uint8_t> row(static_cast<size_t>(spec.RowBytes()) + 16);
    for (int p = 0; p < planes; ++p) {
      for (uint32_t y = 0; y < spec.length; ++y) {
        pieceRow(y, p, 0, spec.width, row.data());
        ok = ok && TIFFWriteScanline(tiff, row.data(), y, static_cast<uint16_t>(p)) >= 0;
      }
    }
  }
  TIFFClose(tiff);
  return ok;
}

// A test image: sample bytes from a pattern.
std::vector<uint8_t> Pattern(const TIFFSpec& spec, int seed = 0) {
  std::vector<uint8_t> image(static_cast<size_t>(spec.RowBytes() * spec.length));
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<uint8_t>((i * 37 + seed * 11 + i / 7) & 0xFF);
  return image;
}

// A smooth image for lossy codecs.
std::vector<uint8_t> Smooth(const TIFFSpec& spec) {
  std::vector<uint8_t> image(static_cast<size_t>(spec.RowBytes() * spec.length));
  for (uint32_t y = 0; y < spec.length; ++y) {
    for (uint32_t x = 0; x < spec.width; ++x) {
      for (int c = 0; c < spec.samples; ++c) {
        image[(y * spec.width + x) * spec.samples + c] =
            static_cast<uint8_t>(40 + x * 2 + y + c * 30);
      }
    }
  }
  return image;
}

// The rows PDF wants: the first `components` samples of each pixel, 16-bit
// samples reduced to their high byte.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& image, const TIFFSpec& spec,
                              int components) {
  std::vector<uint8_t> out;
  for (uint32_t y = 0; y < spec.length; ++y) {
    for (uint32_t x = 0; x < spec.width; ++x) {
      for (int c = 0; c < components; ++c) {
        uint32_t v = SampleAt(image, spec, y, x * spec.samples + c);
        out.push_back(static_cast<uint8_t>(spec.bits == 16 ? v >> 8 : v));
      }
    }
  }
  return out;
}

// A little-endian TIFF of one directory holding the tags with one value each
// (offsets, byte counts and tile sizes as LONG, the rest SHORT), padded with
// 0x55 bytes to 212 bytes.
std::vector<uint8_t> TinyTIFF(const std::vector<std::pair<uint16_t, uint32_t>>& entries) {
  std::vector<uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
  auto put = [&](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  put(static_cast<uint32_t>(entries.size()), 2);
  for (const auto& [tag, value] : entries) {
    const bool isLong = tag == 273 || tag == 279 || (tag >= 322 && tag <= 325);
    put(tag, 2);
    put(isLong ? 4 : 3, 2);
    put(1, 4);
    put(value, 4);
  }
  put(0, 4);
  bytes.resize(std::max<size_t>(bytes.size(), 212), 0x55);
  return bytes;
}

// Sets the value of a tag of the first directory of a little-endian TIFF
// to one LONG; false when the tag is not there.
bool PatchTag(std::vector<uint8_t>& bytes, uint16_t tag, uint32_t value) {
  auto get = [&](size_t at, int size) {
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return v;
  };
  auto put = [&](size_t at, uint32_t v, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  if (bytes.size() < 8 || bytes[0] != 'I') return false;
  const size_t directory = get(4, 4);
  if (directory + 2 > bytes.size()) return false;
  const uint32_t count = get(directory, 2);
  for (uint32_t i = 0; i < count && directory + 2 + 12 * (i + 1) <= bytes.size(); ++i) {
    const size_t entry = directory + 2 + 12 * i;
    if (get(entry, 2) != tag) continue;
    put(entry + 2, 4, 2);  // LONG
    put(entry + 4, 1, 4);
    put(entry + 8, value, 4);
    return true;
  }
  return false;
}

class TIFFReaderTest : public ImageReaderTest {
 protected:
  bool Read(const TIFFSpec& spec, const std::vector<uint8_t>& image) {
    path = folder.File("image.tif");
    if (!WriteTIFF(path, spec, image)) {
      ADD_FAILURE() << "cannot write the test file";
      return false;
    }
    return ReadFile(path);
  }
  bool ReadFile(const std::string& file, uint32_t index = 0) {
    return RunReader([index](const char* p, ByteSink& s, ImageDescription& d,
                             std::string* e) { return ReadTIFFImage(p, s, d, e, index); },
                     file);
  }
};

TEST_F(TIFFReaderTest, ProbeAcceptsByteOrderMarks) {
  EXPECT_TRUE(IsTIFFFile(folder.Write("a.tif", {'I', 'I'}).c_str()));
  EXPECT_TRUE(IsTIFFFile(folder.Write("b.tif", {'M', 'M', 0, 0}).c_str()));
  EXPECT_FALSE(IsTIFFFile(folder.Write("c.tif", {'I'}).c_str()));
  EXPECT_FALSE(IsTIFFFile(folder.Write("d.tif", {'I', 'M'}).c_str()));
  EXPECT_FALSE(IsTIFFFile(folder.File("missing.tif").c_str()));
}

TEST_F(TIFFReaderTest, BilevelAndGreyPhotometrics) {
  TIFFSpec spec;
  spec.width = 12;
  spec.length = 3;
  spec.bits = 1;
  spec.photometric = PHOTOMETRIC_MINISWHITE;
  auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::ImageMask);
  EXPECT_TRUE(description.decodeInverted);
  EXPECT_EQ(description.bitsPerComponent, 1);
  EXPECT_EQ(sink.bytes, image);

  spec.photometric = PHOTOMETRIC_MINISBLACK;
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::ImageMask);
  EXPECT_FALSE(description.decodeInverted);

  spec.bits = 8;
  spec.photometric = PHOTOMETRIC_MINISWHITE;
  image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceGray);
  EXPECT_TRUE(description.decodeInverted);
  EXPECT_EQ(description.bitsPerComponent, 8);
  EXPECT_EQ(sink.bytes, image);

  spec.bits = 4;
  spec.photometric = PHOTOMETRIC_MINISBLACK;
  image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceGray);
  EXPECT_EQ(description.bitsPerComponent, 4);
  EXPECT_EQ(sink.bytes, image);
}

TEST_F(TIFFReaderTest, PaletteBecomesIndexed) {
  TIFFSpec spec;
  spec.bits = 4;
  spec.photometric = PHOTOMETRIC_PALETTE;
  spec.colourMap.assign(48, 0);
  spec.colourMap[3] = 65535;       // red of entry 3
  spec.colourMap[16 + 3] = 32768;  // green
  spec.colourMap[32 + 3] = 0;      // blue
  spec.colourMap[15] = 0x12FF;
  auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::Indexed);
  EXPECT_EQ(description.hival, 15);
  ASSERT_EQ(description.palette.size(), 48u);
  EXPECT_EQ(description.palette[9], 0xFF);
  EXPECT_EQ(description.palette[10], 0x80);
  EXPECT_EQ(description.palette[11], 0x00);
  EXPECT_EQ(description.palette[45], 0x12);
  EXPECT_EQ(description.bitsPerComponent, 4);
  EXPECT_EQ(sink.bytes, image);

  // A map whose entries all lie below 256 holds 8-bit values; one entry of
  // 256 makes the whole map 16-bit again.
  for (int i = 0; i < 16; ++i) {
    spec.colourMap[i] = static_cast<uint16_t>(i * 16);
    spec.colourMap[16 + i] = 255;
    spec.colourMap[32 + i] = static_cast<uint16_t>(i);
  }
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.palette[3 * 5], 80);
  EXPECT_EQ(description.palette[3 * 5 + 1], 255);
  EXPECT_EQ(description.palette[3 * 5 + 2], 5);
  spec.colourMap[47] = 256;
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.palette[3 * 5], 0);
  EXPECT_EQ(description.palette[3 * 5 + 1], 0);
  EXPECT_EQ(description.palette[47], 1);

  // A 16-bit palette cannot be indexed by PDF.
  spec.bits = 16;
  spec.colourMap.assign(3 * 65536, 0);
  EXPECT_FALSE(Read(spec, Pattern(spec)));
}

TEST_F(TIFFReaderTest, CodecsDecodeToTheSameSamples) {
  TIFFSpec spec;
  spec.width = 33;
  spec.length = 17;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.rowsPerStrip = 5;
  const auto image = Pattern(spec);
  for (uint16_t compression :
       {COMPRESSION_NONE, COMPRESSION_PACKBITS, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE}) {
    spec.compression = compression;
    for (uint16_t predictor : {0, 2}) {
      if (predictor != 0 &&
          (compression == COMPRESSION_NONE || compression == COMPRESSION_PACKBITS))
        continue;
      spec.predictor = predictor;
      ASSERT_TRUE(Read(spec, image)) << compression << " " << error;
      EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
      // Strips of 5 rows, the last one of 2: exactly the image's rows.
      EXPECT_EQ(sink.bytes, image) << compression;
      EXPECT_EQ(description.dataSize, image.size());
    }
  }
  // Fax codecs on bilevel images.
  TIFFSpec fax;
  fax.width = 50;
  fax.length = 9;
  fax.bits = 1;
  fax.photometric = PHOTOMETRIC_MINISWHITE;
  const auto bilevel = Pattern(fax);
  for (uint16_t compression :
       {COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4}) {
    fax.compression = compression;
    ASSERT_TRUE(Read(fax, bilevel)) << compression << " " << error;
    // Padding bits after the last pixel of a row carry no pixels.
    ASSERT_EQ(sink.bytes.size(), bilevel.size());
    for (size_t i = 0; i < bilevel.size(); ++i) {
      const uint8_t mask = (i % 7 == 6) ? 0xC0 : 0xFF;
      EXPECT_EQ(sink.bytes[i] & mask, bilevel[i] & mask) << compression << " byte " << i;
    }
  }
}

TEST_F(TIFFReaderTest, DecodedBytesAreHeldOnce) {
  // A blank Group 4 page of 8000 x 6000 pixels (6 MB decoded) from a file of
  // a few kilobytes converts: no ratio of image to file is asked for.
  const std::string file = folder.File("blank.tif");
  TIFF* tiff = TIFFOpen(file.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 8000u);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 6000u);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 6000u);
  std::vector<uint8_t> blank(1000u * 6000u, 0);
  ASSERT_GE(TIFFWriteEncodedStrip(tiff, 0, blank.data(), static_cast<tmsize_t>(blank.size())), 0);
  TIFFClose(tiff);
  ASSERT_LT(TempFolder::Read(file).size(), 16384u);
  ASSERT_TRUE(ReadFile(file)) << error;
  EXPECT_EQ(sink.bytes, blank);
  // The strip goes to the sink as it is decoded: a sink that cannot hold
  // the image fails the read.
  VectorSink small(1 << 20);
  EXPECT_FALSE(ReadTIFFImage(file.c_str(), small, description, &error));
  EXPECT_EQ(error, "out of memory for the image data");

  // One strip of 20000 x 28000 blank pixels (70 MB, above the decoding
  // budget) is decoded a row at a time: the sink gets every row, and the
  // reader never holds the strip.
  class CountingSink : public ByteSink {
   public:
    bool Put(const uint8_t* data, size_t size) override {
      for (size_t i = 0; i < size; ++i) nonZero += data[i] != 0;
      size_ += size;
      largest = std::max(largest, size);
      return true;
    }
    size_t Size() const override { return size_; }
    size_t nonZero = 0;
    size_t largest = 0;

   private:
    size_t size_ = 0;
  };
  const std::string single = folder.File("single.tif");
  tiff = TIFFOpen(single.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 20000u);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 28000u);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 28000u);
  std::vector<uint8_t> rows(28000 / 8, 0xFF);  // one V0 code, a white row, per row
  ASSERT_GE(TIFFWriteRawStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())), 0);
  TIFFClose(tiff);
  CountingSink counting;
  ASSERT_TRUE(ReadTIFFImage(single.c_str(), counting, description, &error)) << error;
  EXPECT_EQ(counting.Size(), size_t{2500} * 28000);
  EXPECT_EQ(description.dataSize, counting.Size());
  EXPECT_EQ(counting.nonZero, 0u);
  EXPECT_LE(counting.largest, size_t{1} << 16);

  // 4 x 8195 grey pixels kept from 22017 samples each: the strip libtiff
  // would decode whole is 721 MB, from a file of 12 data bytes. Read a row
  // at a time, it fails on the missing data without that allocation.
  EXPECT_FALSE(ReadFile(folder.Write("wide.tif", TinyTIFF({{256, 4},
                                                           {257, 8195},
                                                           {258, 8},
                                                           {259, 1},
                                                           {262, 1},
                                                           {273, 200},
                                                           {277, 22017},
                                                           {279, 12}}))));
  EXPECT_EQ(error.rfind("cannot decode strip", 0), 0u) << error;

  // A tile above the decoding budget (8192 x 8208 grey pixels, 64.1 MiB) is
  // refused before it is decoded.
  EXPECT_FALSE(ReadFile(folder.Write("tile.tif", TinyTIFF({{256, 64},
                                                           {257, 64},
                                                           {258, 8},
                                                           {259, 1},
                                                           {262, 1},
                                                           {277, 1},
                                                           {322, 8192},
                                                           {323, 8208},
                                                           {324, 200},
                                                           {325, 12}}))));
  EXPECT_EQ(error, "tile too large");
}

TEST_F(TIFFReaderTest, JPEGCompressedImages) {
  TIFFSpec spec;
  spec.width = 32;
  spec.length = 16;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.compression = COMPRESSION_JPEG;
  spec.rowsPerStrip = 16;
  const auto image = Smooth(spec);
  auto near = [&](const std::vector<uint8_t>& got) {
    ASSERT_EQ(got.size(), image.size());
    int worst = 0;
    for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - image[i]));
    EXPECT_LE(worst, 12);
  };
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
  near(sink.bytes);

  // YCbCr inside the JPEG stream: decoded to RGB.
  spec.photometric = PHOTOMETRIC_YCBCR;
  spec.jpegRGB = true;
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
  EXPECT_EQ(description.bitsPerComponent, 8);
  near(sink.bytes);
}

TEST_F(TIFFReaderTest, JPEGPiecesDecodedShortAreRefused) {
  // JPEG pieces of fewer rows or columns than declared, or whose data end early (no tags patched:
  // the second byte count halved), which libtiff decodes whole with a warning, are refused naming
  // the piece on every read path. A last strip whose data hold extra rows converts.
  const char* improper = "cannot decode strip 1: JPEGPreDecode: Improper JPEG strip/tile size";
  const char* ended = "cannot decode strip 2: JPEGLib: Premature end of JPEG file";
  const uint16_t contig = PLANARCONFIG_CONTIG;
  const struct {
    uint16_t samples, planar;
    uint32_t tile, rowsPerStrip;                       // 0: strips; 0: one strip
    std::vector<std::pair<uint16_t, uint32_t>> patch;  // tags set after writing
    const char* reason;                                // nullptr: read
  } cases[] = {
      {1, contig, 0, 0, {{TIFFTAG_IMAGELENGTH, 56}, {TIFFTAG_ROWSPERSTRIP, 56}}, improper},
      {1, contig, 0, 0, {{TIFFTAG_IMAGEWIDTH, 40}}, improper},
      {1, contig, 0, 16, {}, ended},
      {1, contig, 0, 16, {{TIFFTAG_IMAGELENGTH, 40}}, nullptr},
      {2, contig, 0, 16, {}, ended},  // grey and alpha: rows converted
      {3, PLANARCONFIG_SEPARATE, 0, 16, {}, ended},
      {3, contig, 16, 0, {}, "cannot decode tile 2: JPEGLib: Premature end of JPEG file"},
  };
  TIFFSpec spec;
  spec.width = 32;
  spec.length = 48;
  spec.compression = COMPRESSION_JPEG;
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    spec.samples = c.samples;
    spec.photometric = c.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    spec.extraSamples = c.samples == 2;
    spec.planar = c.planar;
    spec.rowsPerStrip = c.rowsPerStrip;
    spec.tileWidth = spec.tileLength = c.tile;
    ASSERT_TRUE(Read(spec, Smooth(spec))) << error;
    std::vector<uint8_t> rows = sink.bytes;
    std::vector<uint8_t> bytes = TempFolder::Read(path);
    for (const auto& [tag, value] : c.patch) ASSERT_TRUE(PatchTag(bytes, tag, value));
    if (c.patch.empty()) {  // counts SHORT or LONG, each below 65536
      const size_t field =
          tifftest::ValueField(bytes, tifftest::Directories(bytes).at(0),
                               c.tile != 0 ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS);
      ASSERT_NE(field, 0u);
      const size_t at = tifftest::Le32(bytes, field) + (bytes[field - 6] == TIFF_SHORT ? 2 : 4);
      const uint32_t half = (bytes[at] | bytes[at + 1] << 8) / 2;
      bytes[at] = static_cast<uint8_t>(half);
      bytes[at + 1] = static_cast<uint8_t>(half >> 8);
    }
    EXPECT_EQ(ReadFile(folder.Write("damaged.tif", bytes)), c.reason == nullptr) << error;
    EXPECT_EQ(error.rfind(c.reason != nullptr ? c.reason : "", 0), 0u) << error;
    rows.resize(40 * 32);  // the rows of the one file read
    EXPECT_TRUE(c.reason != nullptr || sink.bytes == rows);
  }
}

TEST_F(TIFFReaderTest, SeparatedAndRefusedColourModels) {
  TIFFSpec spec;
  spec.samples = 4;
  spec.photometric = PHOTOMETRIC_SEPARATED;
  auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceCMYK);
  EXPECT_FALSE(description.decodeInverted);
  EXPECT_EQ(sink.bytes, image);

  spec.samples = 5;
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_YCBCR;
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  spec.photometric = PHOTOMETRIC_CIELAB;
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  spec.photometric = PHOTOMETRIC_MASK;
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  // 12-bit JPEG data, which the JPEG codec cannot decode, are named as such
  // (the samples are never read: uncompressed ones marked JPEG serve).
  tifftest::Layout twelve;
  twelve.bits = 12;
  twelve.photometric = PHOTOMETRIC_YCBCR;
  path = folder.File("twelve.tif");
  ASSERT_TRUE(tifftest::WriteFile(path, twelve, tifftest::Varied(8, 8, 3, 12)));
  std::vector<uint8_t> bytes = TempFolder::Read(path);
  const size_t at =
      tifftest::ValueField(bytes, tifftest::Directories(bytes).at(0), TIFFTAG_COMPRESSION);
  ASSERT_NE(at, 0u);
  bytes[at] = COMPRESSION_JPEG;
  EXPECT_FALSE(ReadFile(folder.Write("twelve.tif", bytes)));
  EXPECT_EQ(error, "12-bit JPEG data in a TIFF file is not supported");

  // Floating-point and signed samples, and depths past 32 bits, are refused.
  spec = TIFFSpec();
  spec.bits = 32;
  spec.sampleFormat = SAMPLEFORMAT_IEEEFP;
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  spec.bits = 8;
  spec.sampleFormat = SAMPLEFORMAT_INT;
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  spec.sampleFormat = SAMPLEFORMAT_UINT;
  for (uint16_t bits : {33, 64}) {
    spec.bits = bits;
    EXPECT_FALSE(Read(spec, Pattern(spec))) << bits;
    EXPECT_EQ(error, "unsupported bits per sample") << bits;
  }
  // A palette PDF cannot index at the depth given.
  spec = TIFFSpec();
  spec.bits = 6;
  spec.photometric = PHOTOMETRIC_PALETTE;
  spec.colourMap.assign(3 * 64, 0);
  EXPECT_FALSE(Read(spec, Pattern(spec)));
  EXPECT_EQ(error, "unsupported palette depth");
}

TEST_F(TIFFReaderTest, StripsGiveExactlyTheImageRows) {
  // A short last strip, or RowsPerStrip beyond the height, used to leave
  // the data a whole strip long, padded with zeros: 278 x 374 RGB came out
  // as 622,164 bytes (strips of 373 rows) or 315,252 (strips of 1000), not
  // 311,916. The data hold the rows, whatever the strips, with and without
  // a codec, and the size without data agrees.
  for (uint32_t rowsPerStrip : {373u, 1000u, 7u, 374u, 1u}) {
    for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW}) {
      TIFFSpec spec;
      spec.width = 278;
      spec.length = 374;
      spec.samples = 3;
      spec.photometric = PHOTOMETRIC_RGB;
      spec.rowsPerStrip = rowsPerStrip;
      spec.compression = compression;
      const auto image = Pattern(spec);
      ASSERT_TRUE(Read(spec, image)) << rowsPerStrip << ": " << error;
      EXPECT_EQ(sink.bytes.size(), 311916u) << rowsPerStrip;
      EXPECT_TRUE(sink.bytes == image) << rowsPerStrip << " " << compression;
      EXPECT_EQ(description.dataSize, 311916u);
      NoDataSink none;
      ImageDescription sized;
      ASSERT_TRUE(ReadTIFFImage(path.c_str(), none, sized));
      EXPECT_EQ(sized.dataSize, 311916u);
    }
  }
  TIFFSpec spec;
  spec.width = 10;
  spec.length = 10;
  spec.rowsPerStrip = 3;
  const auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(sink.bytes, image);
}

TEST_F(TIFFReaderTest, OneStripReachesTheSinkInBandsWithTheSamePixels) {
  // An image in one strip goes to the sink in bands of rows as it is
  // decoded, so that a compressing sink starts early; the bytes are those of
  // the image in many strips, padding bits after each row's last pixel
  // included (cleared, whatever the band held before).
  TIFFSpec fax;
  fax.width = 2479;  // 310 bytes a row, the last one with 7 pixels
  fax.length = 450;  // 139500 bytes: three bands
  fax.bits = 1;
  fax.photometric = PHOTOMETRIC_MINISWHITE;
  const auto bilevel = Pattern(fax, 3);
  // The fax codecs write pixels only; LZW gives back the padding written.
  std::vector<uint8_t> faxPixels = bilevel;
  for (size_t row = 0; row < fax.length; ++row) faxPixels[row * 310 + 309] &= 0xFE;
  const auto readInPieces = [&](const TIFFSpec& spec, const std::vector<uint8_t>& image,
                                PieceSink& pieces) {
    path = folder.File("bands.tif");
    ASSERT_TRUE(WriteTIFF(path, spec, image));
    ASSERT_TRUE(ReadTIFFImage(path.c_str(), pieces, description, &error)) << error;
  };
  for (uint16_t compression : {COMPRESSION_CCITTFAX4, COMPRESSION_CCITTFAX3, COMPRESSION_LZW}) {
    fax.compression = compression;
    fax.rowsPerStrip = 0;
    const std::vector<uint8_t>& expected = compression == COMPRESSION_LZW ? bilevel : faxPixels;
    PieceSink one;
    readInPieces(fax, bilevel, one);
    EXPECT_EQ(one.bytes, expected) << compression;
    EXPECT_EQ(description.dataSize, expected.size());
    ASSERT_GE(one.pieces.size(), 3u) << compression;
    EXPECT_LE(*std::max_element(one.pieces.begin(), one.pieces.end()), size_t{1} << 16);
    fax.rowsPerStrip = 9;  // 50 strips, the same rows
    PieceSink strips;
    readInPieces(fax, bilevel, strips);
    EXPECT_EQ(strips.bytes, expected) << compression;
    EXPECT_EQ(strips.pieces.size(), 50u);
  }

  // Grey samples with a predictor, undone row by row as by strip.
  TIFFSpec grey;
  grey.width = 301;
  grey.length = 700;
  grey.compression = COMPRESSION_ADOBE_DEFLATE;
  grey.predictor = 2;
  const auto samples = Pattern(grey, 5);
  PieceSink one;
  readInPieces(grey, samples, one);
  EXPECT_EQ(one.bytes, samples);
  EXPECT_GE(one.pieces.size(), 4u);

  // A codec that decodes whole strips only (JPEG) keeps the strip whole.
  TIFFSpec jpeg;
  jpeg.width = 320;
  jpeg.length = 240;
  jpeg.samples = 3;
  jpeg.photometric = PHOTOMETRIC_RGB;
  jpeg.compression = COMPRESSION_JPEG;
  PieceSink whole;
  readInPieces(jpeg, Smooth(jpeg), whole);
  EXPECT_EQ(whole.pieces.size(), 1u);
  EXPECT_EQ(whole.bytes.size(), size_t{320} * 240 * 3);

  // Damaged data in a band are refused, with libtiff's reason.
  fax.compression = COMPRESSION_CCITTFAX4;
  fax.rowsPerStrip = 0;
  path = folder.File("bands.tif");
  ASSERT_TRUE(WriteTIFF(path, fax, bilevel));
  std::vector<uint8_t> damaged = TempFolder::Read(path);
  for (size_t i = 8 + 20000; i < 8 + 20040; ++i) damaged[i] ^= 0x5A;
  EXPECT_FALSE(ReadFile(folder.Write("damaged.tif", damaged)));
  EXPECT_NE(error.find("Fax4Decode"), std::string::npos) << error;
}

TEST_F(TIFFReaderTest, SizeInPoints) {
  TIFFSpec spec;
  spec.width = 1700;
  spec.length = 2200;
  spec.bits = 1;
  spec.xResolution = 200;
  spec.yResolution = 200;
  ASSERT_TRUE(
      Read(spec, std::vector<uint8_t>(static_cast<size_t>(spec.RowBytes() * spec.length), 0x55)))
      << error;
  EXPECT_EQ(Size(), "612.000000 792.000000");

  spec.width = 254;
  spec.length = 127;
  spec.unit = RESUNIT_CENTIMETER;
  spec.xResolution = 100;
  spec.yResolution = 50;
  auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(Size(), "72.000000 72.000000");

  spec.unit = RESUNIT_NONE;
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(Size(), "254.000000 127.000000");

  // No resolution tags: one pixel per point (not refused).
  spec.resolution = false;
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(Size(), "254.000000 127.000000");

  // A zero resolution on one axis: that axis is one pixel per point.
  spec.resolution = true;
  spec.unit = RESUNIT_INCH;
  spec.xResolution = 0.0f;
  spec.yResolution = 144.0f;
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(Size(), "254.000000 63.500000");
}

TEST_F(TIFFReaderTest, TilesAreAssembledIntoRows) {
  TIFFSpec spec;
  spec.width = 40;
  spec.length = 20;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.tileWidth = 16;
  spec.tileLength = 16;
  auto image = Pattern(spec);
  for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW}) {
    spec.compression = compression;
    ASSERT_TRUE(Read(spec, image)) << error;
    EXPECT_EQ(sink.bytes, image);
    EXPECT_EQ(description.dataSize, image.size());
  }
  // Bilevel tiles: whole bytes per tile edge.
  spec = TIFFSpec();
  spec.width = 40;
  spec.length = 20;
  spec.bits = 1;
  spec.tileWidth = 16;
  spec.tileLength = 16;
  image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  ASSERT_EQ(sink.bytes.size(), image.size());
  for (size_t i = 0; i < image.size(); ++i) {
    if (i % 5 == 4) continue;  // last byte of a row: 40 pixels end mid-tile, padding bits differ
    EXPECT_EQ(sink.bytes[i], image[i]) << i;
  }
}

TEST_F(TIFFReaderTest, TileRowsReachTheSinkInBands) {
  // The sink offers no place to assemble in: a tiled image has to arrive a
  // band of rows at a time.
  TIFFSpec spec;
  spec.width = 40;
  spec.length = 50;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.compression = COMPRESSION_ADOBE_DEFLATE;
  spec.rowsPerStrip = 7;
  const auto image = Pattern(spec);
  const std::string untiled = folder.File("untiled.tif");
  ASSERT_TRUE(WriteTIFF(untiled, spec, image));
  VectorSink plain;
  ASSERT_TRUE(ReadTIFFImage(untiled.c_str(), plain, description, &error)) << error;
  plain.bytes.resize(image.size());  // the short last strip's zero rows
  ASSERT_EQ(plain.bytes, image);

  const uint64_t row = uint64_t{40} * 3;
  for (uint16_t planar : {PLANARCONFIG_CONTIG, PLANARCONFIG_SEPARATE}) {
    spec.planar = planar;
    spec.tileWidth = 16;
    spec.tileLength = 16;
    const std::string tiled = folder.File("tiled.tif");
    ASSERT_TRUE(WriteTIFF(tiled, spec, image));
    PieceSink bands;
    ASSERT_TRUE(ReadTIFFImage(tiled.c_str(), bands, description, &error)) << planar << error;
    EXPECT_EQ(bands.bytes, plain.bytes) << planar;
    EXPECT_EQ(description.dataSize, image.size());
    // Three whole rows of tiles, then the two rows left.
    EXPECT_EQ(bands.pieces, (std::vector<size_t>{16 * row, 16 * row, 16 * row, 2 * row})) << planar;
  }
}

TEST_F(TIFFReaderTest, PlanarStripsReachTheSinkInBands) {
  // The sink offers no place to assemble in: planar strips have to arrive a
  // band of rows at a time, interleaved, with the same bytes as the
  // contiguous file gives.
  struct Case {
    uint16_t samples;
    uint16_t photometric;
    uint16_t bits;
    uint16_t extra;
    uint16_t compression;
    int components;
  };
  const Case cases[] = {
      {3, PHOTOMETRIC_RGB, 8, 0, COMPRESSION_NONE, 3},
      {3, PHOTOMETRIC_RGB, 16, 0, COMPRESSION_LZW, 3},
      {4, PHOTOMETRIC_SEPARATED, 8, 0, COMPRESSION_ADOBE_DEFLATE, 4},
      {4, PHOTOMETRIC_SEPARATED, 16, 0, COMPRESSION_PACKBITS, 4},
      {4, PHOTOMETRIC_RGB, 8, 1, COMPRESSION_LZW, 3},
      {2, PHOTOMETRIC_MINISWHITE, 16, 1, COMPRESSION_NONE, 1},
  };
  for (const Case& c : cases) {
    TIFFSpec spec;
    spec.width = 13;  // odd: no row is a multiple of any word
    spec.length = 50;
    spec.samples = c.samples;
    spec.photometric = c.photometric;
    spec.bits = c.bits;
    spec.extraSamples = c.extra;
    spec.compression = c.compression;
    spec.rowsPerStrip = 7;
    spec.planar = PLANARCONFIG_SEPARATE;
    const auto image = Pattern(spec, c.samples + c.bits);
    const std::string planar = folder.File("planar.tif");
    ASSERT_TRUE(WriteTIFF(planar, spec, image));
    PieceSink bands;
    ASSERT_TRUE(ReadTIFFImage(planar.c_str(), bands, description, &error)) << error;
    EXPECT_EQ(bands.bytes, Expected(image, spec, c.components)) << c.samples << " " << c.bits;
    EXPECT_EQ(description.dataSize, bands.bytes.size());
    // Seven whole strips of 7 rows, then the last short one of 1 row.
    const size_t row = size_t{13} * c.components;
    std::vector<size_t> expected(7, 7 * row);
    expected.push_back(row);
    EXPECT_EQ(bands.pieces, expected) << c.samples << " " << c.bits;

    // One strip per plane: the whole image is one band.
    spec.rowsPerStrip = 0;
    ASSERT_TRUE(WriteTIFF(planar, spec, image));
    PieceSink whole;
    ASSERT_TRUE(ReadTIFFImage(planar.c_str(), whole, description, &error)) << error;
    EXPECT_EQ(whole.bytes, bands.bytes);
    EXPECT_EQ(whole.pieces, std::vector<size_t>{50 * row});
  }

  // One strip per plane above the decoding budget (8192 x 8200 grey samples
  // beside an alpha plane, 64.06 MiB a plane): read a row at a time, each
  // plane through a handle of its own, with the same bytes; the rows reach
  // a sink that offers no place to assemble in, one at a time.
  {
    const uint32_t w = 8192;
    const uint32_t h = 8200;
    const std::string big = folder.File("big.tif");
    TIFF* tiff = TIFFOpen(big.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 2);
    const uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, h);
    std::vector<uint8_t> plane(size_t{w} * h, 0);
    for (uint32_t y = 0; y < h; ++y) plane[size_t{y} * w + y % w] = static_cast<uint8_t>(y | 1);
    ASSERT_GE(TIFFWriteEncodedStrip(tiff, 0, plane.data(), static_cast<tmsize_t>(plane.size())), 0);
    std::vector<uint8_t> other(plane.size(), 0xA5);
    ASSERT_GE(TIFFWriteEncodedStrip(tiff, 1, other.data(), static_cast<tmsize_t>(other.size())), 0);
    TIFFClose(tiff);
    PieceSink rows;
    ASSERT_TRUE(ReadTIFFImage(big.c_str(), rows, description, &error)) << error;
    EXPECT_TRUE(rows.bytes == plane);
    EXPECT_EQ(rows.pieces.size(), size_t{h});
    EXPECT_EQ(*std::max_element(rows.pieces.begin(), rows.pieces.end()), size_t{w});
  }

  // A strip of one plane whose data are cut short fails the read, whichever
  // plane it belongs to.
  TIFFSpec spec;
  spec.width = 16;
  spec.length = 9;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.planar = PLANARCONFIG_SEPARATE;
  spec.rowsPerStrip = 3;
  const auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  const std::vector<uint8_t> whole = TempFolder::Read(path);
  // The strips of an uncompressed file lie one after another from offset 8:
  // nine strips of 48 bytes (three per plane). Cutting the file inside the
  // last strip of the last plane leaves it short.
  ASSERT_GE(whole.size(), size_t{8 + 9 * 48});
  std::vector<uint8_t> cut = whole;
  const size_t offsetOfLastStrip = 8 + 8 * 48;
  // Point the last strip's data past the end of the file instead of cutting
  // the directory away: its byte count then cannot be read.
  for (size_t i = 0; i + 4 <= cut.size(); ++i) {
    uint32_t v = cut[i] | (cut[i + 1] << 8) | (cut[i + 2] << 16) | (uint32_t{cut[i + 3]} << 24);
    if (v == offsetOfLastStrip && i > offsetOfLastStrip) {
      const uint32_t past = static_cast<uint32_t>(whole.size() + 1000);
      for (int k = 0; k < 4; ++k) cut[i + k] = static_cast<uint8_t>(past >> (8 * k));
      break;
    }
  }
  EXPECT_FALSE(ReadFile(folder.Write("cut.tif", cut)));
  EXPECT_EQ(error.rfind("cannot decode strip", 0), 0u) << error;
}

TEST_F(TIFFReaderTest, PlanarDeepAndExtraSamplesAreInterleaved) {
  TIFFSpec spec;
  spec.width = 9;
  spec.length = 7;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.planar = PLANARCONFIG_SEPARATE;
  spec.rowsPerStrip = 2;
  auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(sink.bytes, image);

  // 16 bits, planar: the high bytes, 8 bits per component.
  spec.bits = 16;
  image = Pattern(spec, 3);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.bitsPerComponent, 8);
  EXPECT_EQ(sink.bytes, Expected(image, spec, 3));

  // Planar tiles.
  spec.bits = 8;
  spec.width = 20;
  spec.length = 18;
  spec.tileWidth = 16;
  spec.tileLength = 16;
  image = Pattern(spec, 5);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(sink.bytes, image);

  // RGBA: alpha dropped.
  spec = TIFFSpec();
  spec.samples = 4;
  spec.extraSamples = 1;
  spec.photometric = PHOTOMETRIC_RGB;
  image = Pattern(spec, 7);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
  EXPECT_EQ(sink.bytes, Expected(image, spec, 3));

  // Grey with alpha, 16 bits.
  spec.samples = 2;
  spec.bits = 16;
  spec.photometric = PHOTOMETRIC_MINISBLACK;
  image = Pattern(spec, 9);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceGray);
  EXPECT_EQ(sink.bytes, Expected(image, spec, 1));

  // Below 8 bits the samples kept are packed again: a bilevel image with
  // an alpha sample keeps its pixel bits.
  spec = TIFFSpec();
  spec.width = 11;
  spec.length = 3;
  spec.bits = 1;
  spec.samples = 2;
  spec.extraSamples = 1;
  image = Pattern(spec, 11);
  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(description.colour, ImageColour::ImageMask);
  std::vector<uint8_t> bits(2 * spec.length, 0);
  for (uint32_t y = 0; y < spec.length; ++y) {
    for (uint32_t x = 0; x < spec.width; ++x) {
      const uint64_t in = y * spec.RowBytes() * 8 + 2 * x;
      if (image[in / 8] & (0x80 >> in % 8)) bits[2 * y + x / 8] |= 0x80 >> x % 8;
    }
  }
  EXPECT_EQ(sink.bytes, bits);
}

TEST_F(TIFFReaderTest, PiecesThatDoNotHoldTheirRowsNeverGiveAScrambledImage) {
  // Uncompressed files whose RowsPerStrip (2^31 + 1) or TileLength was
  // damaged after they were written in strips of 29 rows or tiles of 16:
  // libtiff then takes each plane (or the image) as one strip of all the
  // rows, or the tiles as twice as long, and the pieces' data hold less.
  // Whichever way the pieces are read (whole strips, planar bands,
  // contiguous rows converted, rows of a one-strip image, tiles), the file
  // is refused, or gives exactly its image where libtiff can recover it (one
  // contiguous strip: the byte count is taken from the image's size). A
  // planar file, the one found converted into a scrambled page, is refused.
  struct Case {
    const char* name;
    uint16_t planar;
    uint16_t samples;
    uint16_t bits;
    uint32_t width;
    uint32_t length;
    uint32_t tile;  // 0: strips of 29 rows
    bool refused;
  };
  const Case cases[] = {
      {"planar RGB strips (the file found)", PLANARCONFIG_SEPARATE, 3, 8, 278, 374, 0, true},
      {"planar RGB strips, 16 bits", PLANARCONFIG_SEPARATE, 3, 16, 60, 90, 0, true},
      {"contiguous RGB, strips as stored", PLANARCONFIG_CONTIG, 3, 8, 100, 200, 0, false},
      {"contiguous RGB, 16-bit rows converted", PLANARCONFIG_CONTIG, 3, 16, 278, 374, 0, false},
      {"grey, one strip decoded in bands", PLANARCONFIG_CONTIG, 1, 8, 2000, 374, 0, false},
      {"contiguous RGB tiles", PLANARCONFIG_CONTIG, 3, 8, 40, 40, 16, true},
      {"planar RGB tiles", PLANARCONFIG_SEPARATE, 3, 8, 40, 40, 16, true},
  };
  for (const Case& c : cases) {
    TIFFSpec spec;
    spec.width = c.width;
    spec.length = c.length;
    spec.samples = c.samples;
    spec.bits = c.bits;
    spec.photometric = c.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    spec.planar = c.planar;
    spec.rowsPerStrip = 29;
    spec.tileWidth = c.tile;
    spec.tileLength = c.tile;
    const std::vector<uint8_t> image = Pattern(spec);
    ASSERT_TRUE(Read(spec, image)) << c.name << ": " << error;
    std::vector<uint8_t> bytes = TempFolder::Read(path);
    ASSERT_TRUE(c.tile == 0 ? PatchTag(bytes, TIFFTAG_ROWSPERSTRIP, 0x80000001u)
                            : PatchTag(bytes, TIFFTAG_TILELENGTH, 2 * c.tile))
        << c.name;
    const std::string damaged = folder.Write("damaged.tif", bytes);
    const bool read = ReadFile(damaged);
    EXPECT_EQ(read, !c.refused) << c.name << ": " << error;
    if (read) {
      // Strips as stored may end in the zeros of a short last strip.
      std::vector<uint8_t> expected = Expected(image, spec, c.samples);
      ASSERT_GE(sink.bytes.size(), expected.size()) << c.name;
      expected.resize(sink.bytes.size(), 0);
      EXPECT_TRUE(sink.bytes == expected) << c.name;
    } else {
      EXPECT_EQ(error.rfind("cannot decode ", 0), 0u) << c.name << ": " << error;
    }
    // A sink that takes pieces only, as the compressing sink does.
    PieceSink pieces;
    ImageDescription ignored;
    std::string reason;
    EXPECT_EQ(ReadTIFFImage(damaged.c_str(), pieces, ignored, &reason), !c.refused) << c.name;
  }
}

int g_sentinelCalls = 0;
void SentinelHandler(const char*, const char*, va_list) { ++g_sentinelCalls; }

TEST_F(TIFFReaderTest, DamagedFilesFailAndHandlersAreRestored) {
  TIFFErrorHandler previousError = TIFFSetErrorHandler(&SentinelHandler);
  TIFFErrorHandler previousWarning = TIFFSetWarningHandler(&SentinelHandler);

  TIFFSpec spec;
  spec.width = 30;
  spec.length = 12;
  spec.samples = 3;
  spec.photometric = PHOTOMETRIC_RGB;
  spec.compression = COMPRESSION_LZW;
  spec.rowsPerStrip = 4;
  const auto image = Pattern(spec);
  ASSERT_TRUE(Read(spec, image)) << error;
  const std::vector<uint8_t> whole = TempFolder::Read(path);

  EXPECT_FALSE(ReadFile(folder.Write("junk.tif", {'I', 'I', 42, 0, 1, 2, 3, 4, 5, 6})));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ReadFile(folder.Write("empty.tif", {'M', 'M'})));
  EXPECT_FALSE(ReadFile(folder.File("missing.tif")));

  // Cut anywhere: a clean failure or (when only strip data were lost) a
  // clean result, never a crash.
  for (size_t length = 0; length < whole.size(); length += 7) {
    std::string cut = folder.Write(
        "cut.tif", std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
    ReadFile(cut);
  }
  // Damaged compressed data.
  std::vector<uint8_t> damaged = whole;
  for (size_t i = 8; i < 8 + 200 && i < damaged.size(); ++i) damaged[i] ^= 0xA5;
  ReadFile(folder.Write("damaged.tif", damaged));
  // Every byte of the header area changed in turn.
  for (size_t i = 0; i < whole.size(); i += 3) {
    std::vector<uint8_t> flipped = whole;
    flipped[i] ^= 0xFF;
    ReadFile(folder.Write("flip.tif", flipped));
  }

  ASSERT_TRUE(Read(spec, image)) << error;
  EXPECT_EQ(g_sentinelCalls, 0);
  EXPECT_EQ(TIFFSetErrorHandler(previousError), &SentinelHandler);
  EXPECT_EQ(TIFFSetWarningHandler(previousWarning), &SentinelHandler);
}

}  // namespace
