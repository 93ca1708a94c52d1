// Sample layouts of TIFF images that once were refused or stored wrong:
// depths other than 1, 2, 4, 8 and 16 bits, undefined sample formats,
// planar and extra samples below 8 bits, associated alpha.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "pdf/document/internal/TIFFReader.h"
#include "tests/pdf/document/ImageTestSupport.h"
#include "tests/pdf/document/TIFFTestWriter.h"

namespace {

using tifftest::Layout;
using tifftest::Samples;

class TIFFReaderLayoutTest : public ImageReaderTest {
 protected:
  bool ReadImage(const Layout& layout, const Samples& image, bool bigEndian = false) {
    path = folder.File("layout.tif");
    if (!tifftest::WriteFile(path, layout, image, bigEndian)) {
      ADD_FAILURE() << "cannot write the test file";
      return false;
    }
    return RunReader([](const char* p, ByteSink& s, ImageDescription& d,
                        std::string* e) { return ReadTIFFImage(p, s, d, e); },
                     path);
  }
};

TEST_F(TIFFReaderLayoutTest, EveryDepthAndArrangementGivesItsSamples) {
  const std::vector<uint16_t> alpha = {EXTRASAMPLE_UNASSALPHA};
  const std::vector<uint16_t> associated = {EXTRASAMPLE_ASSOCALPHA};
  struct Case {
    const char* name;
    uint16_t bits;
    int samples;
    uint16_t photometric;
    uint16_t planar;
    std::vector<uint16_t> extra;
    uint32_t rowsPerStrip;
    uint32_t tile;
    bool bigEndian;
    uint16_t sampleFormat;
    int components;   // kept
    int alphaSample;  // divided out, -1: none
    int storedBits;
  };
  const uint16_t contig = PLANARCONFIG_CONTIG;
  const uint16_t separate = PLANARCONFIG_SEPARATE;
  const uint16_t rgb = PHOTOMETRIC_RGB;
  const uint16_t grey = PHOTOMETRIC_MINISBLACK;
  const uint16_t uint = SAMPLEFORMAT_UINT;
  const Case cases[] = {
      {"RGBA 4 bits", 4, 4, rgb, contig, alpha, 0, 0, false, uint, 3, -1, 4},
      {"RGBA 4 bits, associated alpha", 4, 4, rgb, contig, associated, 5, 0, false, uint, 3, 3, 8},
      {"grey and alpha 2 bits, associated", 2, 2, grey, contig, associated, 4, 0, false, uint, 1, 1,
       8},
      {"grey and alpha 1 bit, associated", 1, 2, grey, contig, associated, 0, 0, false, uint, 1, 1,
       1},
      {"grey and alpha 2 bits", 2, 2, grey, contig, alpha, 3, 0, false, uint, 1, -1, 2},
      {"planar RGB 2 bits", 2, 3, rgb, separate, {}, 4, 0, false, uint, 3, -1, 2},
      {"planar RGB 4 bits", 4, 3, rgb, separate, {}, 3, 0, false, uint, 3, -1, 4},
      {"planar RGBA 4 bits in tiles, associated", 4, 4, rgb, separate, associated, 0, 16, false,
       uint, 3, 3, 8},
      {"planar RGBA 8 bits, associated", 8, 4, rgb, separate, associated, 2, 0, false, uint, 3, 3,
       8},
      {"grey, undefined sample format",
       8,
       1,
       grey,
       contig,
       {},
       0,
       0,
       false,
       SAMPLEFORMAT_VOID,
       1,
       -1,
       8},
      {"grey 5 bits in tiles", 5, 1, grey, contig, {}, 0, 16, false, uint, 1, -1, 8},
      {"grey 6 bits", 6, 1, grey, contig, {}, 2, 0, false, uint, 1, -1, 8},
      {"grey 7 bits, big-endian", 7, 1, grey, contig, {}, 5, 0, true, uint, 1, -1, 8},
      {"planar RGB 3 bits", 3, 3, rgb, separate, {}, 4, 0, false, uint, 3, -1, 8},
      {"grey 10 bits", 10, 1, grey, contig, {}, 0, 0, false, uint, 1, -1, 8},
      {"RGB 12 bits in tiles", 12, 3, rgb, contig, {}, 0, 16, false, uint, 3, -1, 8},
      {"planar RGB 14 bits", 14, 3, rgb, separate, {}, 3, 0, false, uint, 3, -1, 8},
      {"RGB 24 bits", 24, 3, rgb, contig, {}, 0, 0, false, uint, 3, -1, 8},
      {"RGB 24 bits, big-endian", 24, 3, rgb, contig, {}, 0, 0, true, uint, 3, -1, 8},
      {"grey 32 bits, big-endian", 32, 1, grey, contig, {}, 3, 0, true, uint, 1, -1, 8},
      {"RGBA 16 bits, associated, big-endian", 16, 4, rgb, contig, associated, 0, 0, true, uint, 3,
       3, 8},
      {"grey and alpha 6 bits, associated", 6, 2, grey, contig, associated, 0, 0, false, uint, 1, 1,
       8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Layout layout;
    layout.bits = c.bits;
    layout.photometric = c.photometric;
    layout.planar = c.planar;
    layout.extra = c.extra;
    layout.rowsPerStrip = c.rowsPerStrip;
    layout.tile = c.tile;
    layout.sampleFormat = c.sampleFormat;
    const Samples image = tifftest::Varied(37, 19, c.samples, c.bits, c.bits * 31 + c.samples);
    ASSERT_TRUE(ReadImage(layout, image, c.bigEndian)) << error;
    EXPECT_EQ(description.bitsPerComponent, c.storedBits);
    EXPECT_EQ(description.Components(), c.components);
    const std::vector<uint8_t> expected =
        tifftest::Stored(image, c.bits, c.components, c.alphaSample);
    EXPECT_EQ(description.dataSize, expected.size());
    EXPECT_TRUE(sink.bytes == expected);
  }
  // 3-bit grey in one strip: value v is drawn at round(255 v / 7), 5 at 182.
  Samples levels(8, 1, 1);
  levels.values = {0, 1, 2, 3, 4, 5, 6, 7};
  Layout three;
  three.bits = 3;
  ASSERT_TRUE(ReadImage(three, levels)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{0, 36, 73, 109, 146, 182, 219, 255}));
}

TEST_F(TIFFReaderLayoutTest, PlanarAndExtraSamplesBelow8BitsEqualTheirContiguousTwins) {
  // The files: planar RGB of 2 and 4 bits, and RGBA of 4 bits, give
  // the very bytes of the same pixels stored as contiguous RGB, which are
  // stored as decoded.
  for (uint16_t bits : {2, 4}) {
    SCOPED_TRACE(bits);
    const Samples rgba = tifftest::Varied(29, 13, 4, bits, bits);
    Samples rgb(29, 13, 3);
    for (uint32_t y = 0; y < 13; ++y)
      for (uint32_t x = 0; x < 29; ++x)
        for (int c = 0; c < 3; ++c) rgb.At(x, y, c) = rgba.At(x, y, c);
    Layout contiguous;
    contiguous.bits = bits;
    contiguous.photometric = PHOTOMETRIC_RGB;
    ASSERT_TRUE(ReadImage(contiguous, rgb)) << error;
    const std::vector<uint8_t> twin = sink.bytes;
    ASSERT_EQ(twin.size(), (29 * 3 * bits + 7) / 8 * 13u);

    Layout planar = contiguous;
    planar.planar = PLANARCONFIG_SEPARATE;
    ASSERT_TRUE(ReadImage(planar, rgb)) << error;
    EXPECT_EQ(description.bitsPerComponent, bits);
    EXPECT_TRUE(sink.bytes == twin);

    Layout withAlpha = contiguous;
    withAlpha.extra = {EXTRASAMPLE_UNASSALPHA};
    ASSERT_TRUE(ReadImage(withAlpha, rgba)) << error;
    EXPECT_TRUE(sink.bytes == twin);
  }
}

TEST_F(TIFFReaderLayoutTest, AssociatedAlphaIsDividedOut) {
  // Colours premultiplied by their alpha come back whole: half-transparent
  // white is white again, not grey. Under alpha 0 the stored colour stays;
  // a colour above its alpha (which premultiplied data cannot hold) is full.
  Samples image(6, 1, 4);
  const uint32_t pixels[6][4] = {
      {128, 64, 0, 128},     // white, red-grey, black at half alpha
      {255, 255, 255, 255},  // opaque white
      {0, 0, 0, 0},          // transparent
      {90, 200, 10, 100},    // green above its alpha
      {1, 2, 3, 7},          // rounding: 36.4, 72.9, 109.3
      {255, 128, 7, 0},      // a colour stored under alpha 0
  };
  for (uint32_t x = 0; x < 6; ++x)
    for (int s = 0; s < 4; ++s) image.At(x, 0, s) = pixels[x][s];
  Layout layout;
  layout.photometric = PHOTOMETRIC_RGB;
  layout.extra = {EXTRASAMPLE_ASSOCALPHA};
  ASSERT_TRUE(ReadImage(layout, image)) << error;
  const std::vector<uint8_t> expected = {255, 128, 0,  255, 255, 255, 0,   0,   0,
                                         230, 255, 26, 36,  73,  109, 255, 128, 7};
  EXPECT_EQ(sink.bytes, expected);

  // The division keeps the file's precision: at 2 bits colour 1 under
  // alpha 2 is 128 and under alpha 3 85; 16-bit colours under an alpha
  // below 256 are not lost to their high byte.
  struct Low {
    uint16_t bits;
    std::vector<uint32_t> values;  // colour, alpha, pixel after pixel
    std::vector<uint8_t> stored;
  };
  const Low lows[] = {
      {2, {1, 2, 1, 3, 2, 0, 3, 1}, {128, 85, 170, 255}},
      {16, {152, 193, 77, 193, 41, 193, 65535, 0, 32896, 65535}, {201, 102, 54, 255, 128}},
  };
  for (const Low& low : lows) {
    SCOPED_TRACE(low.bits);
    Samples grey(static_cast<uint32_t>(low.values.size() / 2), 1, 2);
    grey.values = low.values;
    Layout greyLayout;
    greyLayout.bits = low.bits;
    greyLayout.extra = {EXTRASAMPLE_ASSOCALPHA};
    ASSERT_TRUE(ReadImage(greyLayout, grey)) << error;
    EXPECT_EQ(description.bitsPerComponent, 8);
    EXPECT_EQ(sink.bytes, low.stored);
  }

  // The same pixels with an unassociated alpha keep their colours.
  layout.extra = {EXTRASAMPLE_UNASSALPHA};
  ASSERT_TRUE(ReadImage(layout, image)) << error;
  EXPECT_EQ(sink.bytes, tifftest::Stored(image, 8, 3));

  // A palette's indices are no colours: an associated alpha beside them is
  // only dropped.
  Samples indices(4, 2, 2);
  for (uint32_t x = 0; x < 4; ++x) {
    indices.At(x, 0, 0) = indices.At(x, 1, 0) = 3 * x;
    indices.At(x, 0, 1) = indices.At(x, 1, 1) = x;
  }
  Layout palette;
  palette.bits = 4;
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.extra = {EXTRASAMPLE_ASSOCALPHA};
  palette.colourMap.assign(3 * 16, 0);
  ASSERT_TRUE(ReadImage(palette, indices)) << error;
  EXPECT_EQ(description.colour, ImageColour::Indexed);
  EXPECT_EQ(sink.bytes, tifftest::Stored(indices, 4, 1));
}

TEST_F(TIFFReaderLayoutTest, SamplesAgreeWithLibtiffsOwnDecoding) {
  // libtiff's RGBA reading (which knows planar 8 and 16-bit RGB and grey of
  // 4 bits) shows the same pixels; it rounds 16-bit samples to 8 bits where
  // the reader keeps the high byte, so those may differ by one.
  struct Case {
    uint16_t bits;
    int samples;
    uint16_t photometric;
    uint16_t planar;
    int tolerance;
  };
  const Case cases[] = {
      {8, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 0},
      {16, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 1},
      {4, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    Layout layout;
    layout.bits = c.bits;
    layout.photometric = c.photometric;
    layout.planar = c.planar;
    layout.rowsPerStrip = 4;
    const Samples image = tifftest::Varied(23, 11, c.samples, c.bits, 7);
    ASSERT_TRUE(ReadImage(layout, image)) << error;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    std::vector<uint32_t> rgba(23 * 11);
    ASSERT_TRUE(TIFFReadRGBAImageOriented(tiff, 23, 11, rgba.data(), ORIENTATION_TOPLEFT, 0));
    TIFFClose(tiff);
    int worst = 0;
    for (uint32_t y = 0; y < 11; ++y) {
      for (uint32_t x = 0; x < 23; ++x) {
        const uint32_t pixel = rgba[y * 23 + x];
        for (int k = 0; k < c.samples; ++k) {
          const int theirs = static_cast<int>((pixel >> (8 * k)) & 0xFF);
          int ours = 0;
          if (c.bits == 4) {
            const uint8_t byte = sink.bytes[y * 12 + x / 2];
            ours = (x % 2 == 0 ? byte >> 4 : byte & 0xF) * 17;
          } else {
            ours = sink.bytes[(y * 23 + x) * c.samples + k];
          }
          worst = std::max(worst, std::abs(ours - theirs));
        }
      }
    }
    EXPECT_LE(worst, c.tolerance);
  }
}

TEST_F(TIFFReaderLayoutTest, OrientationIsTaken) {
  Layout layout;
  const Samples image = tifftest::Varied(3, 2, 1, 8);
  for (uint16_t orientation : {1, 2, 5, 6, 8}) {
    layout.orientation = orientation;
    ASSERT_TRUE(ReadImage(layout, image)) << error;
    EXPECT_EQ(description.orientation, orientation);
    // The samples stay as stored whatever it says.
    EXPECT_EQ(sink.bytes, tifftest::Stored(image, 8, 1));
  }
  layout.orientation = 0;
  ASSERT_TRUE(ReadImage(layout, image)) << error;
  EXPECT_EQ(description.orientation, 1);

  // Values outside their tag's range (which libtiff refuses) do not refuse
  // the file: the Orientation is ignored, the ResolutionUnit is none, the
  // FillOrder 1 (LZW, whose codec keeps tag methods of its own).
  layout.orientation = ORIENTATION_RIGHTTOP;
  layout.dpi = 144;
  layout.compression = COMPRESSION_LZW;
  TIFF* tiff = TIFFOpen(path.c_str(), "wl");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  ASSERT_TRUE(tifftest::WriteImage(tiff, layout, image));
  TIFFClose(tiff);
  const std::vector<uint8_t> whole = TempFolder::Read(path);
  const std::pair<uint16_t, uint16_t> outside[] = {
      {TIFFTAG_ORIENTATION, 0},    {TIFFTAG_ORIENTATION, 9},    {TIFFTAG_ORIENTATION, 65535},
      {TIFFTAG_RESOLUTIONUNIT, 0}, {TIFFTAG_RESOLUTIONUNIT, 4}, {TIFFTAG_FILLORDER, 0}};
  for (const auto& [tag, value] : outside) {
    std::vector<uint8_t> changed = whole;
    const size_t at = tifftest::ValueField(changed, tifftest::Directories(whole).at(0), tag);
    ASSERT_NE(at, 0u);
    changed[at] = static_cast<uint8_t>(value);
    changed[at + 1] = static_cast<uint8_t>(value >> 8);
    ASSERT_TRUE(RunReader([](const char* p, ByteSink& s, ImageDescription& d,
                             std::string* e) { return ReadTIFFImage(p, s, d, e); },
                          folder.Write("outside.tif", changed)))
        << tag << " " << value << ": " << error;
    EXPECT_EQ(description.orientation, tag == TIFFTAG_ORIENTATION ? 1 : 6);
    EXPECT_EQ(Size(), tag == TIFFTAG_RESOLUTIONUNIT ? "3.000000 2.000000" : "1.500000 1.000000");
    EXPECT_EQ(sink.bytes, tifftest::Stored(image, 8, 1));
  }
}

}  // namespace
