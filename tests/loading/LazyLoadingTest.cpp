// libtiff, fontconfig and FreeType are loaded when first needed, not when
// the process starts. This program is linked like the converter (the
// library, without the three; the build checks its NEEDED entries), and
// each test runs in a process of its own, so what a test finds loaded is
// what its own calls loaded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <memory>
#include <string>

#include "pdf/document/internal/TIFFReader.h"
#include "pdf/font/FontconfigFontSource.h"
#include "tests/loading/LoadingTestSupport.h"
#ifdef PN_LOADING_CONVERTER
#include "converter/core/ConvertOne.h"
#endif

namespace {

using loading::IsLoaded;

class LazyLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A test after the first in one process (the program run by hand, not
    // through CTest) finds what the tests before it loaded.
    static int started = 0;
    if (++started > 1) GTEST_SKIP() << "needs a process of its own: run it through CTest";
    // Nothing has asked for them yet.
    ASSERT_FALSE(IsLoaded(PN_TIFF_SONAME));
    ASSERT_FALSE(IsLoaded(PN_FONTCONFIG_SONAME));
    ASSERT_FALSE(IsLoaded(PN_FREETYPE_SONAME));
  }
  loading::Folder folder;
};

#ifdef PN_LOADING_CONVERTER
bool Exists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && s.st_size > 0;
}

TEST_F(LazyLoadingTest, BitmapAndJPEGConversionsLoadNoneOfThem) {
  const std::string bitmap = folder / "in.bmp";
  ASSERT_TRUE(loading::WriteBitmap(bitmap));
  const std::string jpeg = folder / "in.jpg";
  e2e::JpegSpec spec;
  spec.width = 8;
  spec.height = 8;
  ASSERT_TRUE(e2e::WriteJpeg(jpeg, spec, [](uint32_t x, uint32_t y, int k) {
    return static_cast<uint8_t>(x * 20 + y * 7 + k * 50);
  }));
  EXPECT_EQ(ostrel::ConvertOne(bitmap.c_str(), (folder / "bmp.pdf").c_str()), 0);
  EXPECT_EQ(ostrel::ConvertOne(jpeg.c_str(), (folder / "jpg.pdf").c_str()), 0);
  EXPECT_TRUE(Exists(folder / "bmp.pdf"));
  EXPECT_TRUE(Exists(folder / "jpg.pdf"));
  EXPECT_FALSE(IsLoaded(PN_TIFF_SONAME));
  EXPECT_FALSE(IsLoaded(PN_FONTCONFIG_SONAME));
  EXPECT_FALSE(IsLoaded(PN_FREETYPE_SONAME));
}

TEST_F(LazyLoadingTest, ATIFFConversionLoadsLibtiffOnly) {
  // An input of each kind libtiff codes here: G4 (CCITT, re-coded by the
  // library) and RGB strips.
  const std::string fax = folder / "fax.tif";
  e2e::TiffSpec faxSpec;
  faxSpec.width = 40;
  faxSpec.height = 30;
  faxSpec.bits = 1;
  faxSpec.photometric = PHOTOMETRIC_MINISWHITE;
  faxSpec.compression = COMPRESSION_CCITTFAX4;
  ASSERT_TRUE(e2e::WriteTiff(fax, faxSpec,
                             [](uint32_t x, uint32_t y, int) { return (x / 4 + y / 3) % 2; }));
  EXPECT_TRUE(IsLoaded(PN_TIFF_SONAME));  // written with it
  const std::string rgb = folder / "rgb.tif";
  e2e::TiffSpec rgbSpec;
  rgbSpec.width = 9;
  rgbSpec.height = 7;
  rgbSpec.samples = 3;
  rgbSpec.photometric = PHOTOMETRIC_RGB;
  rgbSpec.tile = 16;
  ASSERT_TRUE(e2e::WriteTiff(rgb, rgbSpec, [](uint32_t x, uint32_t y, int s) {
    return (x * 30 + y * 11 + static_cast<uint32_t>(s) * 70) & 0xFF;
  }));
  EXPECT_EQ(ostrel::ConvertOne(fax.c_str(), (folder / "fax.pdf").c_str()), 0);
  EXPECT_EQ(ostrel::ConvertOne(rgb.c_str(), (folder / "rgb.pdf").c_str()), 0);
  EXPECT_TRUE(Exists(folder / "fax.pdf"));
  EXPECT_TRUE(Exists(folder / "rgb.pdf"));
  EXPECT_FALSE(IsLoaded(PN_FONTCONFIG_SONAME));
  EXPECT_FALSE(IsLoaded(PN_FREETYPE_SONAME));
}
#endif

TEST_F(LazyLoadingTest, HandlersSetBeforeLibtiffIsLoadedGetItsErrors) {
  TIFFErrorHandler previous = TIFFSetErrorHandler(&loading::RecordError);
  TIFFErrorHandler previousWarning = TIFFSetWarningHandler(nullptr);
  ASSERT_NE(previous, nullptr);            // the default handler
  EXPECT_FALSE(IsLoaded(PN_TIFF_SONAME));  // setting them loads nothing
  // Nested setting before the load keeps the order of a stack.
  EXPECT_EQ(TIFFSetErrorHandler(nullptr), &loading::RecordError);
  EXPECT_EQ(TIFFSetErrorHandler(&loading::RecordError), nullptr);

  const std::string path = folder / "false.tif";
  ASSERT_TRUE(loading::WriteFalseTIFF(path));
  EXPECT_EQ(TIFFOpen(path.c_str(), "r"), nullptr);
  EXPECT_TRUE(IsLoaded(PN_TIFF_SONAME));
  ASSERT_FALSE(loading::RecordedErrors().empty());  // the handler was installed at the load
  EXPECT_FALSE(loading::RecordedErrors()[0].message.empty());

  // From now on the setters pass through to libtiff, and what was set
  // before comes back in order.
  EXPECT_EQ(TIFFSetErrorHandler(previous), &loading::RecordError);
  EXPECT_EQ(TIFFSetErrorHandler(previous), previous);
  EXPECT_EQ(TIFFSetWarningHandler(previousWarning), nullptr);
  loading::RecordedErrors().clear();
  TIFFSetErrorHandler(nullptr);  // silences libtiff, as libtiff's own setter does
  EXPECT_EQ(TIFFOpen(path.c_str(), "r"), nullptr);
  EXPECT_TRUE(loading::RecordedErrors().empty());
  EXPECT_EQ(TIFFSetErrorHandler(previous), nullptr);
}

TEST_F(LazyLoadingTest, TheTIFFReaderLoadsLibtiffAndReportsItsErrors) {
  const std::string path = folder / "false.tif";
  ASSERT_TRUE(loading::WriteFalseTIFF(path));
  ASSERT_TRUE(IsTIFFFile(path.c_str()));  // recognised without libtiff
  EXPECT_FALSE(IsLoaded(PN_TIFF_SONAME));
  TIFFErrorHandler outer = TIFFSetErrorHandler(&loading::RecordError);
  VectorSink sink;
  ImageDescription description;
  std::string error;
  EXPECT_FALSE(ReadTIFFImage(path.c_str(), sink, description, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(IsLoaded(PN_TIFF_SONAME));
  // The reader's capture took the error and gave the handler back.
  EXPECT_TRUE(loading::RecordedErrors().empty());
  EXPECT_EQ(TIFFSetErrorHandler(outer), &loading::RecordError);
}

TEST_F(LazyLoadingTest, ListingFontsLoadsFontconfigAndFreeTypeOnly) {
  const std::string fonts = "/usr/share/fonts/truetype/dejavu/";
  ASSERT_TRUE(std::filesystem::is_directory(fonts))
      << "fonts-dejavu-core is missing: run scripts/setup.sh";
  FontconfigFontSource source(fonts);
  int records = 0;
  source.Enumerate([&](std::unique_ptr<TrueTypeFontInfo> info) {
    EXPECT_TRUE(info && info->HasWidths());
    ++records;
  });
  EXPECT_GT(records, 0);
  EXPECT_TRUE(IsLoaded(PN_FONTCONFIG_SONAME));
  EXPECT_TRUE(IsLoaded(PN_FREETYPE_SONAME));
  EXPECT_FALSE(IsLoaded(PN_TIFF_SONAME));
}

}  // namespace
