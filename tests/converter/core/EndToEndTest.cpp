// Whole conversions of real image files: a folder tree of bitmaps, JPEG and
// TIFF files of every kind the converter reads (and some damaged ones) goes
// through the conversion driver and the real single-file conversion into an
// output folder tree. Every page is checked with qpdf, its dictionary and
// content stream are compared with what they must hold, and a renderer draws
// it at one pixel per image pixel for comparison with the source pixels.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "converter/core/ConversionDriver.h"
#include "converter/core/ConvertOne.h"
#include "converter/core/Report.h"
#include "converter/core/StringTable.h"
#include "tests/converter/core/EndToEndImages.h"
#include "tests/converter/core/FakeConverterUi.h"

using namespace ostrel;
using e2e::Raster;
using e2e::RGB;

namespace {

// Runs a shell command; its output (standard output and error) and whether
// it exited 0.
std::string Shell(const std::string& command, bool* ok = nullptr) {
  std::string out;
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    if (ok) *ok = false;
    return out;
  }
  char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) out.append(block, n);
  const int status = ::pclose(pipe);
  if (ok) *ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}

bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string Text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// One input file of the tree and what its page must show.
struct Case {
  std::string input;   // relative to the input folder
  std::string output;  // relative to the output folder
  uint32_t width = 0;  // pixels
  uint32_t height = 0;
  int dpi = 72;        // the file's resolution: the page is width * 72 / dpi points wide
  std::string colour;  // the renderer's colour model for the comparison: rgb, gray or cmyk
  Raster shown;        // the page's pixels in that model
  int tolerance = 0;   // largest difference allowed per component
};

// The points of a length in pixels at a resolution; the tree is made so that
// every page size is a whole number of points.
std::string Points(uint32_t pixels, int dpi) {
  EXPECT_EQ(pixels * 72 % static_cast<uint32_t>(dpi), 0u)
      << pixels << " pixels at " << dpi << " dpi";
  return std::to_string(pixels * 72 / static_cast<uint32_t>(dpi));
}

// The largest difference between two rasters, and where it is.
struct Difference {
  int largest = 0;
  uint32_t x = 0, y = 0;
  size_t over = 0;  // components over the tolerance
};

Difference Compare(const Raster& a, const Raster& b, int tolerance) {
  Difference d;
  for (uint32_t y = 0; y < a.height; ++y)
    for (uint32_t x = 0; x < a.width; ++x)
      for (int c = 0; c < a.channels; ++c) {
        const int diff = std::abs(int{a.At(x, y)[c]} - int{b.At(x, y)[c]});
        if (diff > tolerance) ++d.over;
        if (diff > d.largest) {
          d.largest = diff;
          d.x = x;
          d.y = y;
        }
      }
  return d;
}

// Grey pixels from a function of the position.
Raster Grey(uint32_t w, uint32_t h, const std::function<uint8_t(uint32_t, uint32_t)>& value) {
  Raster r(w, h, 1);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) r.At(x, y)[0] = value(x, y);
  return r;
}

Raster Samples(uint32_t w, uint32_t h, int channels,
               const std::function<uint8_t(uint32_t, uint32_t, int)>& value) {
  Raster r(w, h, channels);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c) r.At(x, y)[c] = value(x, y, c);
  return r;
}

class EndToEndTest : public ::testing::Test {
 protected:
  test::TempDir tmp;
  test::FakeConverterUi ui;
  ConversionDriver driver{ui, [](const std::string& in, const std::string& out) {
                            return ConvertOne(in.c_str(), out.c_str());
                          }};
  std::vector<Case> cases;
  std::vector<std::string> damaged;  // relative to the input folder

  std::string In(const std::string& rel) const { return tmp / ("in/" + rel); }
  std::string Out(const std::string& rel) const { return tmp / ("out/" + rel); }

  Case& Add(const std::string& input, uint32_t w, uint32_t h, const std::string& colour,
            Raster shown) {
    Case c;
    c.input = input;
    c.output = input.substr(0, input.rfind('.')) + ".PDF";
    c.width = w;
    c.height = h;
    c.colour = colour;
    c.shown = std::move(shown);
    cases.push_back(std::move(c));
    return cases.back();
  }

  void Bitmap(const std::string& rel, uint32_t w, uint32_t h, int bits, bool topDown,
              std::vector<RGB> palette, std::function<uint32_t(uint32_t, uint32_t)> index) {
    Raster shown;
    tmp.File("in/" + rel, "");
    ASSERT_TRUE(e2e::WriteBytes(
        In(rel), e2e::MakeBitmap(w, h, bits, topDown, palette, index, e2e::Pattern, &shown)));
    Add(rel, w, h, "rgb", std::move(shown));
  }

  void Tiff(const std::string& rel, const e2e::TiffSpec& spec,
            const std::function<uint32_t(uint32_t, uint32_t, int)>& sample,
            const std::string& colour, Raster shown) {
    tmp.File("in/" + rel, "");
    ASSERT_TRUE(e2e::WriteTiff(In(rel), spec, sample)) << rel;
    Case& c = Add(rel, spec.width, spec.height, colour, std::move(shown));
    if (spec.dpi > 0) c.dpi = static_cast<int>(spec.dpi);
  }

  // A JPEG file; the page must show what libjpeg decodes from it (CMYK files
  // carry an Adobe marker and so hold their inks inverted).
  void Jpeg(const std::string& rel, const e2e::JpegSpec& spec, const std::string& colour) {
    tmp.File("in/" + rel, "");
    ASSERT_TRUE(e2e::WriteJpeg(In(rel), spec, [](uint32_t x, uint32_t y, int k) {
      return static_cast<uint8_t>(x * 6 + y * 3 + k * 70 + ((x / 8 + y / 8) % 2) * 40);
    }));
    Raster decoded;
    ASSERT_TRUE(e2e::DecodeJpeg(In(rel), decoded)) << rel;
    if (spec.input == JCS_CMYK)
      for (uint8_t& v : decoded.pixels) v = static_cast<uint8_t>(255 - v);
    Case& c = Add(rel, spec.width, spec.height, colour, std::move(decoded));
    c.dpi = spec.density;
    // The renderer and libjpeg may decode with different inverse transforms
    // and up-sampling.
    c.tolerance = 2;
  }

  void MakeTree() {
    // Bitmaps of every bit count, bottom-up and top-down, odd widths so that
    // rows are padded.
    const std::vector<RGB> blackWhite = {{0, 0, 0}, {255, 255, 255}};
    const std::vector<RGB> twoColours = {{200, 30, 40}, {20, 60, 220}};
    std::vector<RGB> sixteen, many;
    for (uint32_t i = 0; i < 16; ++i)
      sixteen.push_back({static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i * 9),
                         static_cast<uint8_t>(i * 5 + 3)});
    for (uint32_t i = 0; i < 200; ++i)
      many.push_back(
          {static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i)});
    Bitmap("bmp/mono.bmp", 37, 21, 1, false, blackWhite,
           [](uint32_t x, uint32_t y) { return (x * 3 + y) % 5 < 2 ? 1u : 0u; });
    Bitmap("bmp/two.bmp", 35, 9, 1, false, twoColours,
           [](uint32_t x, uint32_t y) { return (x / 3 + y) % 2; });
    Bitmap("bmp/four.bmp", 29, 17, 4, false, sixteen,
           [](uint32_t x, uint32_t y) { return (x + 2 * y) % 16; });
    Bitmap("bmp/eight.bmp", 31, 19, 8, false, many,
           [](uint32_t x, uint32_t y) { return (x * 7 + y * 13) % 200; });
    Bitmap("bmp/eight-down.BMP", 22, 14, 8, true, many,
           [](uint32_t x, uint32_t y) { return (x + y * 22) % 200; });
    Bitmap("bmp/true24.bmp", 33, 18, 24, false, {}, nullptr);
    Bitmap("bmp/down24.bmp", 26, 15, 24, true, {}, nullptr);
    Bitmap("bmp/true32.bmp", 20, 12, 32, false, {}, nullptr);
    Bitmap("bmp/down32.bmp", 19, 11, 32, true, {}, nullptr);

    // JPEG files with a resolution in their JFIF header.
    Jpeg("jpeg/gray.jpg", {.width = 40, .height = 24, .input = JCS_GRAYSCALE, .density = 96},
         "gray");
    Jpeg("jpeg/rgb.jpeg", {.width = 64, .height = 48, .input = JCS_RGB, .density = 144}, "rgb");
    Jpeg("jpeg/progressive.JPG", {.width = 50, .height = 30, .input = JCS_RGB, .progressive = true},
         "rgb");
    Jpeg("jpeg/cmyk.jpg", {.width = 24, .height = 16, .input = JCS_CMYK, .density = 72}, "cmyk");
    // Red, green and blue components rather than YCbCr, no resolution.
    Jpeg("jpeg/rgb-components.jpg",
         {.width = 40, .height = 32, .input = JCS_RGB, .rgbComponents = true}, "rgb");

    // TIFF files: bilevel, grey, RGB (strips, tiles, planes, 16 bits),
    // palette and CMYK, uncompressed or LZW, PackBits, Deflate or G4.
    auto bit = [](uint32_t x, uint32_t y) { return ((x / 2 + y) % 3 == 0) ? 1u : 0u; };
    Tiff(
        "tiff/bilevel-g4.tif",
        {.width = 45,
         .height = 30,
         .bits = 1,
         .photometric = PHOTOMETRIC_MINISWHITE,
         .compression = COMPRESSION_CCITTFAX4},
        [&](uint32_t x, uint32_t y, int) { return bit(x, y); }, "gray",
        Grey(45, 30, [&](uint32_t x, uint32_t y) { return bit(x, y) ? 0 : 255; }));
    Tiff(
        "tiff/bilevel-packbits.tif",
        {.width = 27,
         .height = 20,
         .bits = 1,
         .photometric = PHOTOMETRIC_MINISBLACK,
         .compression = COMPRESSION_PACKBITS,
         .rowsPerStrip = 7},
        [&](uint32_t x, uint32_t y, int) { return bit(x, y); }, "gray",
        Grey(27, 20, [&](uint32_t x, uint32_t y) { return bit(x, y) ? 255 : 0; }));
    auto grey = [](uint32_t x, uint32_t y) { return static_cast<uint8_t>(x * 7 + y * 5); };
    Tiff(
        "tiff/gray-deflate.tif",
        {.width = 32,
         .height = 20,
         .compression = COMPRESSION_ADOBE_DEFLATE,
         .predictor = 2,
         .dpi = 144},
        [&](uint32_t x, uint32_t y, int) { return grey(x, y); }, "gray", Grey(32, 20, grey));
    Tiff(
        "tiff/gray4-lzw.tif",
        {.width = 21,
         .height = 13,
         .bits = 4,
         .photometric = PHOTOMETRIC_MINISWHITE,
         .compression = COMPRESSION_LZW},
        [](uint32_t x, uint32_t y, int) { return (x + y) % 16; }, "gray",
        Grey(21, 13,
             [](uint32_t x, uint32_t y) { return static_cast<uint8_t>(255 - (x + y) % 16 * 17); }));
    auto rgb = [](uint32_t x, uint32_t y, int c) {
      const RGB p = e2e::Pattern(x, y);
      return c == 0 ? p.r : c == 1 ? p.g : p.b;
    };
    const Raster rgbShown24 = Samples(30, 23, 3, rgb);
    Tiff("tiff/rgb-lzw.tif",
         {.width = 30,
          .height = 23,
          .samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .compression = COMPRESSION_LZW,
          .rowsPerStrip = 5},
         rgb, "rgb", rgbShown24);
    Tiff("tiff/rgb-packbits.tiff",
         {.width = 30,
          .height = 23,
          .samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .compression = COMPRESSION_PACKBITS},
         rgb, "rgb", rgbShown24);
    Tiff(
        "tiff/rgb16-deflate.tif",
        {.width = 30,
         .height = 23,
         .bits = 16,
         .samples = 3,
         .photometric = PHOTOMETRIC_RGB,
         .compression = COMPRESSION_ADOBE_DEFLATE},
        [&](uint32_t x, uint32_t y, int c) { return rgb(x, y, c) * 256u + (x * 31 + y) % 256; },
        "rgb", rgbShown24);
    Tiff("tiff/rgb-tiled.tif",
         {.width = 40,
          .height = 24,
          .samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .compression = COMPRESSION_ADOBE_DEFLATE,
          .tile = 16},
         rgb, "rgb", Samples(40, 24, 3, rgb));
    Tiff("tiff/rgb-planar.tif",
         {.width = 30,
          .height = 23,
          .samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .compression = COMPRESSION_LZW,
          .planar = true},
         rgb, "rgb", rgbShown24);
    std::vector<uint16_t> map8(3 * 256), map4(3 * 16);
    for (uint32_t i = 0; i < 256; ++i) {
      map8[i] = static_cast<uint16_t>(i * 257);
      map8[256 + i] = static_cast<uint16_t>((255 - i) * 257);
      map8[512 + i] = static_cast<uint16_t>((i * 3 % 256) * 257);
    }
    for (uint32_t i = 0; i < 16; ++i) {
      map4[i] = static_cast<uint16_t>(i * 17 * 257);
      map4[16 + i] = static_cast<uint16_t>(40 * 257);
      map4[32 + i] = static_cast<uint16_t>((255 - i * 10) * 257);
    }
    auto index8 = [](uint32_t x, uint32_t y) { return (x * 11 + y * 3) % 256; };
    Tiff(
        "tiff/palette8.tif",
        {.width = 25,
         .height = 16,
         .photometric = PHOTOMETRIC_PALETTE,
         .compression = COMPRESSION_LZW,
         .colourMap = map8},
        [&](uint32_t x, uint32_t y, int) { return index8(x, y); }, "rgb",
        Samples(25, 16, 3, [&](uint32_t x, uint32_t y, int c) {
          return static_cast<uint8_t>(map8[c * 256 + index8(x, y)] >> 8);
        }));
    Tiff(
        "tiff/deeper/palette4.tif",
        {.width = 23,
         .height = 9,
         .bits = 4,
         .photometric = PHOTOMETRIC_PALETTE,
         .colourMap = map4},
        [](uint32_t x, uint32_t y, int) { return (x + y) % 16; }, "rgb",
        Samples(23, 9, 3, [&](uint32_t x, uint32_t y, int c) {
          return static_cast<uint8_t>(map4[c * 16 + (x + y) % 16] >> 8);
        }));
    // A colour map written with 8-bit values.
    std::vector<uint16_t> small8(3 * 256);
    for (uint32_t i = 0; i < 3 * 256; ++i) small8[i] = static_cast<uint16_t>(i * 5 % 256);
    Tiff(
        "tiff/palette8-small-map.tif",
        {.width = 25,
         .height = 16,
         .photometric = PHOTOMETRIC_PALETTE,
         .compression = COMPRESSION_LZW,
         .colourMap = small8},
        [&](uint32_t x, uint32_t y, int) { return index8(x, y); }, "rgb",
        Samples(25, 16, 3, [&](uint32_t x, uint32_t y, int c) {
          return static_cast<uint8_t>(small8[c * 256 + index8(x, y)]);
        }));
    auto ink = [](uint32_t x, uint32_t y, int c) {
      return static_cast<uint8_t>(x * 9 + y * 4 + c * 50);
    };
    Tiff("tiff/cmyk-lzw.tif",
         {.width = 26,
          .height = 14,
          .samples = 4,
          .photometric = PHOTOMETRIC_SEPARATED,
          .compression = COMPRESSION_LZW},
         ink, "cmyk", Samples(26, 14, 4, ink));

    // Damaged files and files that are no images of a searched kind.
    std::vector<uint8_t> cut = e2e::MakeBitmap(40, 40, 24, false, {}, nullptr, e2e::Pattern);
    cut.resize(cut.size() / 2);
    tmp.File("in/damaged/cut.bmp", Text(cut));
    tmp.File("in/damaged/noise.jpg", std::string("\xFF\xD8\xFF\xE0 not a JPEG header at all", 30));
    tmp.File("in/damaged/empty.jpeg", "");
    tmp.File("in/damaged/text.tif", "II* this is a text file\n");
    ASSERT_TRUE(e2e::WriteTiff(
        In("damaged/cut.tif"),
        {.width = 30, .height = 30, .samples = 3, .photometric = PHOTOMETRIC_RGB}, rgb));
    std::vector<uint8_t> tiff = e2e::ReadBytes(In("damaged/cut.tif"));
    tiff.resize(tiff.size() - 200);  // the directory is at the end
    ASSERT_TRUE(e2e::WriteBytes(In("damaged/cut.tif"), tiff));
    // A JPEG cut in its scan data, a run-length bitmap whose data end early.
    ASSERT_TRUE(e2e::WriteJpeg(
        In("damaged/cut.jpg"), {.width = 64, .height = 64},
        [](uint32_t x, uint32_t y, int k) { return static_cast<uint8_t>(x * y + k); }));
    std::vector<uint8_t> jpeg = e2e::ReadBytes(In("damaged/cut.jpg"));
    jpeg.resize(jpeg.size() - jpeg.size() / 4);
    ASSERT_TRUE(e2e::WriteBytes(In("damaged/cut.jpg"), jpeg));
    std::vector<uint8_t> rle = e2e::MakeBitmap(
        8, 8, 8, false, many, [](uint32_t, uint32_t) { return 3u; }, e2e::Pattern);
    rle[30] = 1;  // RLE8 of 8 x 8 pixels, of which only two rows are there
    rle.resize(rle[10] | rle[11] << 8);
    for (uint8_t b : {8, 3, 0, 0, 8, 3, 0, 0}) rle.push_back(b);
    rle[34] = 8;
    rle[35] = rle[36] = rle[37] = 0;
    tmp.File("in/damaged/cut-rle.bmp", Text(rle));
    damaged = {"damaged/cut-rle.bmp", "damaged/cut.bmp",   "damaged/cut.jpg", "damaged/cut.tif",
               "damaged/empty.jpeg",  "damaged/noise.jpg", "damaged/text.tif"};
    tmp.File("in/readme.txt", "not searched");
    tmp.File("in/bmp/picture.png", "not searched");
  }

  // Checks the output of one case: qpdf's verdict, the page's dictionary
  // entries and content stream, and the rendered pixels.
  void CheckOutput(const Case& c) {
    SCOPED_TRACE(c.input);
    const std::string pdf = Out(c.output);
    ASSERT_TRUE(Exists(pdf));
    bool ok = false;
    const std::string check = Shell("qpdf --check " + Quote(pdf), &ok);
    EXPECT_TRUE(ok) << check;
    EXPECT_NE(check.find("No syntax or stream encoding errors found"), std::string::npos) << check;

    const std::string bytes = Text(e2e::ReadBytes(pdf));
    const std::string w = Points(c.width, c.dpi);
    const std::string h = Points(c.height, c.dpi);
    EXPECT_EQ(bytes.rfind("%PDF-1.3", 0), 0u);
    EXPECT_NE(bytes.find("/MediaBox [0 0 " + w + " " + h + "]"), std::string::npos);
    EXPECT_NE(bytes.find("/XObject <<\r\n/Im1 "), std::string::npos);
    EXPECT_NE(bytes.find("/ProcSet [/PDF /ImageB /ImageC /ImageI]"), std::string::npos);
    EXPECT_NE(bytes.find("stream\r\nq 1 0 0 1 0 0 cm " + w + " 0 0 " + h +
                         " 0 0 cm /Im1 Do Q\r\nendstream"),
              std::string::npos);

    if (!Have("mutool")) return;
    const std::string pam = tmp / ("render-" + std::to_string(&c - cases.data()) + ".pam");
    const std::string render =
        Shell("mutool draw -q -A 0 -r " + std::to_string(c.dpi) + " -c " + c.colour +
                  " -F pam -o " + Quote(pam) + " " + Quote(pdf) + " 1",
              &ok);
    ASSERT_TRUE(ok) << render;
    Raster page;
    ASSERT_TRUE(e2e::ReadPam(pam, page));
    ASSERT_EQ(page.width, c.width);
    ASSERT_EQ(page.height, c.height);
    ASSERT_EQ(page.channels, c.shown.channels);
    const Difference d = Compare(page, c.shown, c.tolerance);
    EXPECT_EQ(d.over, 0u) << "largest difference " << d.largest << " at (" << d.x << ", " << d.y
                          << "): page " << int{page.At(d.x, d.y)[0]} << ", source "
                          << int{c.shown.At(d.x, d.y)[0]};
  }
};

TEST_F(EndToEndTest, FolderTreeOfEveryKind) {
  if (!Have("qpdf")) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  ASSERT_NO_FATAL_FAILURE(MakeTree());

  ConvertRequest request;
  request.input = tmp / "in";
  request.output = tmp / "out";  // made by the run, with its sub-folders
  request.settings.NeNoConf = 1;
  driver.OnConvert(request);

  // No question, no message: the result dialog with every file on a list.
  EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.searchOpen, 0);
  EXPECT_EQ(ui.progressOpen, 0);
  std::vector<std::string> converted, failed;
  for (const Case& c : cases) converted.push_back(In(c.input));
  for (const std::string& rel : damaged) failed.push_back(In(rel));
  std::sort(converted.begin(), converted.end());
  std::sort(failed.begin(), failed.end());
  const ConversionResults& results = ui.results[0];
  EXPECT_EQ(std::vector<std::string>(results.converted.begin(), results.converted.end()),
            converted);
  EXPECT_EQ(std::vector<std::string>(results.failed.begin(), results.failed.end()), failed);
  const std::string report = BuildReport(results);
  EXPECT_EQ(
      report.rfind(
          "発見したファイル数 ： " + std::to_string(cases.size() + damaged.size()) + "\r\n", 0),
      0u);

  // Failed files leave nothing behind; the folders mirror the input's.
  for (const std::string& rel : damaged) {
    const std::string base = rel.substr(0, rel.rfind('.'));
    EXPECT_FALSE(Exists(Out(base + ".PDF"))) << rel;
  }
  EXPECT_FALSE(Exists(Out("readme.PDF")));
  EXPECT_FALSE(Exists(Out("bmp/picture.PDF")));
  EXPECT_TRUE(Exists(Out("tiff/deeper")));

  for (const Case& c : cases) CheckOutput(c);
  if (!Have("mutool"))
    FAIL() << "mutool is not installed (scripts/setup.sh installs it): pages were not rendered";
}

TEST_F(EndToEndTest, ExistingOutputsAreReplacedOnlyWhenTheUserAgrees) {
  if (!Have("qpdf")) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const std::vector<RGB> none;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
    ASSERT_TRUE(e2e::WriteBytes(tmp.File(std::string("in/") + name, ""),
                                e2e::MakeBitmap(8, 4, 24, false, none, nullptr, e2e::Pattern)));
  for (const char* name : {"a.PDF", "b.PDF", "c.PDF"}) tmp.File(std::string("out/") + name, "old");

  ConvertRequest request;
  request.input = tmp / "in";
  request.output = tmp / "out";
  ui.answers = {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
  driver.OnConvert(request);

  ASSERT_EQ(ui.boxes.size(), 4u);
  EXPECT_EQ(ui.boxes[0].text, LoadMessage1(kMsgOverwrite, Out("a.PDF")));
  EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(ui.boxes[3].text, LoadString(kMsgCancelled));
  EXPECT_TRUE(ui.results.empty());
  bool ok = false;
  const std::string check = Shell("qpdf --check " + Quote(Out("a.PDF")), &ok);
  EXPECT_TRUE(ok) << check;
  EXPECT_EQ(Text(e2e::ReadBytes(Out("b.PDF"))), "old");
  EXPECT_EQ(Text(e2e::ReadBytes(Out("c.PDF"))), "old");

  // One file into a PDF file named by the user.
  ui.boxes.clear();
  request.input = In("c.bmp");
  request.output = tmp / "single";  // gets ".PDF"
  driver.OnConvert(request);
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 1u);
  Shell("qpdf --check " + Quote(tmp / "single.PDF"), &ok);
  EXPECT_TRUE(ok);
}

}  // namespace
