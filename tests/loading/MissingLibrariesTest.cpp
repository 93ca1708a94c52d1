// What the library does on a system where libtiff, fontconfig or FreeType
// cannot be loaded. This program compiles the library's loaders
// (pdf/object/internal/TIFFLibrary.cpp, pdf/font/FontLibrary.cpp) with sonames that
// no system has, in place of the library's own: every use of the three
// fails as it would there. A conversion of a TIFF then fails with a reason
// that names libtiff, other conversions work, and the font source finds no
// fonts; nothing crashes.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tiffio.h>
#include FT_FREETYPE_H

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "pdf/document/internal/TIFFReader.h"
#include "pdf/font/FontconfigFontSource.h"
#include "pdf/object/internal/CodecCCITT.h"
#include "tests/loading/LoadingTestSupport.h"
#ifdef PN_LOADING_CONVERTER
#include "converter/core/ConvertOne.h"
#endif

namespace {

using loading::RecordedErrors;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The text that says libtiff could not be loaded, with the system's reason
// (which names the soname).
void ExpectNotLoaded(const std::string& text) {
  EXPECT_TRUE(Contains(text, "libtiff (" PN_TIFF_SONAME ") could not be loaded: ")) << text;
  EXPECT_TRUE(Contains(text, "cannot open shared object file")) << text;
}

class MissingLibtiffTest : public ::testing::Test {
 protected:
  void SetUp() override { RecordedErrors().clear(); }
  loading::Folder folder;
};

TEST_F(MissingLibtiffTest, OpeningATIFFReportsWhyThroughTheErrorHandler) {
  TIFFErrorHandler previous = TIFFSetErrorHandler(&loading::RecordError);
  const std::string path = folder / "false.tif";
  ASSERT_TRUE(loading::WriteFalseTIFF(path));
  EXPECT_EQ(TIFFOpen(path.c_str(), "r"), nullptr);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(TIFFFdOpen(fd, path.c_str(), "r"), nullptr);
  close(fd);
  ASSERT_EQ(RecordedErrors().size(), 2u);
  EXPECT_EQ(RecordedErrors()[0].module, "TIFFOpen");
  EXPECT_EQ(RecordedErrors()[1].module, "TIFFFdOpen");
  for (const loading::Recorded& recorded : RecordedErrors()) ExpectNotLoaded(recorded.message);
  // The handlers are kept as set.
  EXPECT_EQ(TIFFSetErrorHandler(previous), &loading::RecordError);
  EXPECT_EQ(TIFFSetErrorHandler(previous), previous);
}

TEST_F(MissingLibtiffTest, ReadingATIFFImageFailsWithTheReason) {
  TIFFErrorHandler outer = TIFFSetErrorHandler(&loading::RecordError);
  const std::string path = folder / "false.tif";
  ASSERT_TRUE(loading::WriteFalseTIFF(path));
  VectorSink sink;
  ImageDescription description;
  std::string error;
  EXPECT_FALSE(ReadTIFFImage(path.c_str(), sink, description, &error));
  ExpectNotLoaded(error);
  EXPECT_TRUE(Contains(error, "TIFFClientOpen")) << error;
  // Captured by the reader, not passed on; the handler is the caller's again.
  EXPECT_TRUE(RecordedErrors().empty());
  EXPECT_EQ(TIFFSetErrorHandler(outer), &loading::RecordError);
}

TEST_F(MissingLibtiffTest, CCITTCodingFailsWithTheReason) {
  const std::vector<uint8_t> rows(4 * 10, 0x5A);
  CCITTParameters parameters;
  parameters.width = 32;
  parameters.height = 10;
  parameters.bitsPerComponent = 1;
  parameters.colorSpace = "DeviceGray";
  VectorSink coded;
  CCITTEncodeResult result;
  std::string error;
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), parameters, -1, coded, result, &error));
  ExpectNotLoaded(error);
  EXPECT_TRUE(coded.bytes.empty());
  parameters.hasK = true;
  parameters.k = -1;
  VectorSink decoded;
  bool setDecode = false;
  error.clear();
  EXPECT_FALSE(
      CodecCCITT::Decode(rows.data(), rows.size(), parameters, decoded, setDecode, &error));
  ExpectNotLoaded(error);
  EXPECT_TRUE(decoded.bytes.empty());
}

#ifdef PN_LOADING_CONVERTER
TEST_F(MissingLibtiffTest, ATIFFConversionFailsAndABitmapStillConverts) {
  const std::string tiff = folder / "in.tif";
  ASSERT_TRUE(loading::WriteFalseTIFF(tiff));
  const std::string bitmap = folder / "in.bmp";
  ASSERT_TRUE(loading::WriteBitmap(bitmap));
  struct stat s;
  EXPECT_EQ(ostrel::ConvertOne(tiff.c_str(), (folder / "tif.pdf").c_str()), -1);
  EXPECT_NE(stat((folder / "tif.pdf").c_str(), &s), 0);  // nothing left
  EXPECT_EQ(ostrel::ConvertOne(bitmap.c_str(), (folder / "bmp.pdf").c_str()), 0);
  EXPECT_EQ(stat((folder / "bmp.pdf").c_str(), &s), 0);
}
#endif

TEST(MissingFontLibrariesTest, TheFontSourceFindsNoFaces) {
  const std::string fonts = "/usr/share/fonts/truetype/dejavu/";
  int records = 0;
  auto count = [&](std::unique_ptr<TrueTypeFontInfo>) { ++records; };
  FontconfigFontSource().Enumerate(count);
  FontconfigFontSource(fonts).Enumerate(count);
  FontconfigFontSource::EnumerateFace((fonts + "DejaVuSans.ttf").c_str(), 0, "DejaVu Sans",
                                      "DejaVu Sans", count);
  EXPECT_EQ(records, 0);
  // What the font source sees.
  EXPECT_EQ(FcInitLoadConfigAndFonts(), nullptr);
  EXPECT_EQ(FcFontSetCreate(), nullptr);
  FT_Library library = reinterpret_cast<FT_Library>(&records);
  EXPECT_NE(FT_Init_FreeType(&library), 0);
  EXPECT_EQ(library, nullptr);
}

}  // namespace
