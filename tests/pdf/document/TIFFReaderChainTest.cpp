// The images of a TIFF file: the directories of its main chain, counted
// and read one by one.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "pdf/document/internal/ImageFile.h"
#include "pdf/document/internal/TIFFReader.h"
#include "tests/pdf/document/ImageTestSupport.h"
#include "tests/pdf/document/TIFFTestWriter.h"

namespace {

using tifftest::Layout;
using tifftest::Samples;

using tifftest::Directories;
using tifftest::NextField;
using tifftest::PutLe32;

// A little-endian file of n images of one grey pixel each (the value of
// image i is i % 256), every directory after the pixels; with `thumbnails`
// every image after the first is marked reduced-resolution.
std::vector<uint8_t> ManyImages(uint32_t n, bool thumbnails = false) {
  std::vector<uint8_t> b = {'I', 'I', 42, 0, 0, 0, 0, 0};
  const uint32_t pixels = 8;
  for (uint32_t i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(i));
  if (b.size() % 2 != 0) b.push_back(0);
  PutLe32(b, 4, static_cast<uint32_t>(b.size()));
  const std::vector<std::pair<uint16_t, uint32_t>> entries = {
      {254, 0}, {256, 1}, {257, 1}, {258, 8}, {262, 1}, {273, 0}, {278, 1}, {279, 1}};
  for (uint32_t i = 0; i < n; ++i) {
    const size_t start = b.size();
    b.resize(start + 2 + 12 * entries.size() + 4, 0);
    b[start] = static_cast<uint8_t>(entries.size());
    for (size_t e = 0; e < entries.size(); ++e) {
      const size_t at = start + 2 + 12 * e;
      const uint16_t tag = entries[e].first;
      const bool isLong = tag == 254 || tag == 273 || tag == 279;
      b[at] = static_cast<uint8_t>(tag);
      b[at + 1] = static_cast<uint8_t>(tag >> 8);
      b[at + 2] = isLong ? 4 : 3;
      b[at + 4] = 1;
      uint32_t value = entries[e].second;
      if (tag == 273) value = pixels + i;
      if (tag == 254 && thumbnails && i > 0) value = FILETYPE_REDUCEDIMAGE;
      PutLe32(b, at + 8, value);
    }
    const size_t next = start + 2 + 12 * entries.size();
    if (i + 1 < n) PutLe32(b, next, static_cast<uint32_t>(b.size()));
  }
  return b;
}

class TIFFReaderChainTest : public ImageReaderTest {
 protected:
  bool ReadAt(const std::string& file, uint32_t index) {
    return RunReader([index](const char* p, ByteSink& s, ImageDescription& d,
                             std::string* e) { return ReadTIFFImage(p, s, d, e, index); },
                     file);
  }
  // The count, or -1 with the reason in error.
  int64_t Count(const std::string& file) {
    uint32_t count = 0;
    error.clear();
    return CountTIFFImages(file.c_str(), count, &error) ? static_cast<int64_t>(count) : -1;
  }

  // Three images of other kinds, sizes and resolutions.
  void MakeThree(bool bigEndian) {
    layouts.assign(3, Layout());
    layouts[0].photometric = PHOTOMETRIC_RGB;
    layouts[0].compression = COMPRESSION_LZW;
    layouts[0].dpi = 144;
    layouts[1].bits = 4;
    layouts[1].rowsPerStrip = 2;
    layouts[2].bits = 1;
    layouts[2].photometric = PHOTOMETRIC_MINISWHITE;
    layouts[2].compression = COMPRESSION_CCITTFAX4;
    layouts[2].orientation = ORIENTATION_RIGHTTOP;
    images = {tifftest::Varied(30, 20, 3, 8, 1), tifftest::Varied(17, 9, 1, 4, 2),
              tifftest::Varied(40, 10, 1, 1, 3)};
    path = folder.File("three.tif");
    ASSERT_TRUE(tifftest::WriteFile(path, layouts, images, bigEndian));
  }
  void ExpectImage(uint32_t index) {
    SCOPED_TRACE(index);
    ASSERT_TRUE(ReadAt(path, index)) << error;
    const Samples& image = images[index];
    EXPECT_EQ(description.width, image.width);
    EXPECT_EQ(description.height, image.length);
    EXPECT_EQ(description.orientation, index == 2 ? 6 : 1);
    EXPECT_EQ(Size(), index == 0 ? "15.000000 10.000000"
                                 : FloatText(image.width) + " " + FloatText(image.length));
    EXPECT_TRUE(sink.bytes == tifftest::Stored(image, layouts[index].bits, image.perPixel));
  }

  std::vector<Layout> layouts;
  std::vector<Samples> images;
};

TEST_F(TIFFReaderChainTest, EveryImageOfTheChainIsReadInTurn) {
  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian);
    MakeThree(bigEndian);
    ASSERT_EQ(Count(path), 3) << error;
    for (uint32_t index : {0u, 1u, 2u, 2u, 0u, 1u}) ExpectImage(index);
    EXPECT_FALSE(ReadAt(path, 3));
    EXPECT_EQ(error, "the file holds 3 images (indices 0 to 2), none at index 3");
    EXPECT_FALSE(ReadAt(path, kMaxTIFFImages + 5));
    EXPECT_EQ(error, "the file holds 3 images (indices 0 to 2), none at index " +
                         std::to_string(kMaxTIFFImages + 5));
  }
  // Another file in the same place is read as itself, counted or not.
  MakeThree(false);
  ASSERT_TRUE(ReadAt(path, 2)) << error;
  images = {tifftest::Varied(7, 3, 1, 8, 9), tifftest::Varied(5, 6, 3, 8, 8)};
  layouts = {Layout(), Layout()};
  layouts[1].photometric = PHOTOMETRIC_RGB;
  ASSERT_TRUE(tifftest::WriteFile(path, layouts, images));
  ASSERT_TRUE(ReadAt(path, 1)) << error;
  EXPECT_TRUE(sink.bytes == tifftest::Stored(images[1], 8, 3));
  EXPECT_FALSE(ReadAt(path, 2));
  EXPECT_EQ(Count(path), 2);
}

TEST_F(TIFFReaderChainTest, SubIFDsAreNoImagesOfTheChain) {
  // Each page with a reduced copy in a SubIFD: the copies are not pages.
  path = folder.File("sub.tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  const Samples page[2] = {tifftest::Varied(8, 6, 1, 8, 1), tifftest::Varied(9, 4, 1, 8, 2)};
  for (const Samples& image : page) {
    uint64_t placeholder = 0;
    TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &placeholder);
    ASSERT_TRUE(tifftest::WriteImage(tiff, Layout(), image));
    ASSERT_TRUE(TIFFWriteDirectory(tiff));
    Layout reduced;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    ASSERT_TRUE(tifftest::WriteImage(tiff, reduced, tifftest::Varied(2, 2, 1, 8, 5)));
    ASSERT_TRUE(TIFFWriteDirectory(tiff));
  }
  TIFFClose(tiff);
  ASSERT_EQ(Count(path), 2) << error;
  for (uint32_t i = 0; i < 2; ++i) {
    ASSERT_TRUE(ReadAt(path, i)) << error;
    EXPECT_TRUE(sink.bytes == tifftest::Stored(page[i], 8, 1)) << i;
  }
}

TEST_F(TIFFReaderChainTest, ReducedAndMaskDirectoriesAreNoImages) {
  // Thumbnails and overviews in the main chain ('R', a full image 'F') and
  // transparency masks (marked 'M' or of photometric 4 'P') are no images;
  // a chain of them alone has its first.
  const std::pair<const char*, std::vector<uint32_t>> cases[] = {
      {"FRRRR", {0}}, {"FRF", {0, 2}}, {"RF", {1}},      {"RR", {0}},
      {"FM", {0}},    {"FP", {0}},     {"FMFP", {0, 2}}, {"MRFRM", {2}}};
  for (const auto& [chain, full] : cases) {
    SCOPED_TRACE(chain);
    const size_t n = std::string(chain).size();
    layouts.assign(n, Layout());
    images.clear();
    for (uint32_t i = 0; i < n; ++i) {
      if (chain[i] == 'R') layouts[i].subfileType = FILETYPE_REDUCEDIMAGE;
      if (chain[i] == 'M') layouts[i].subfileType = FILETYPE_MASK;
      if (chain[i] == 'P') layouts[i].photometric = PHOTOMETRIC_MASK;
      if (chain[i] == 'M' || chain[i] == 'P') layouts[i].bits = 1;
      images.push_back(tifftest::Varied(9 - i, 5, 1, layouts[i].bits, i));
    }
    path = folder.File(std::string(chain) + ".tif");
    ASSERT_TRUE(tifftest::WriteFile(path, layouts, images));
    const auto count = static_cast<uint32_t>(full.size());
    for (uint32_t index = count; index-- > 0;) {
      ASSERT_TRUE(ReadAt(path, index)) << error;
      EXPECT_TRUE(sink.bytes == tifftest::Stored(images[full[index]], 8, 1)) << index;
    }
    EXPECT_EQ(Count(path), count) << error;
    EXPECT_FALSE(ReadAt(path, count));
    EXPECT_EQ(error, NoSuchImage(count, count).text);
  }
}

TEST_F(TIFFReaderChainTest, DamagedAndLoopingChains) {
  MakeThree(false);
  const std::vector<uint8_t> whole = TempFolder::Read(path);
  const std::vector<uint32_t> directories = Directories(whole);
  ASSERT_EQ(directories.size(), 3u);

  // The last directory leads back to the second: the chain ends there,
  // each image counted and read once.
  std::vector<uint8_t> looping = whole;
  PutLe32(looping, NextField(looping, directories[2]), directories[1]);
  path = folder.Write("loop.tif", looping);
  EXPECT_EQ(Count(path), 3) << error;
  ExpectImage(2);
  EXPECT_FALSE(ReadAt(path, 3));

  // A next directory that lies past the end: the file is refused, naming
  // the image; the images before it can still be read one by one.
  std::vector<uint8_t> pastEnd = whole;
  PutLe32(pastEnd, NextField(pastEnd, directories[2]), 0x7FFF0000u);
  path = folder.Write("past.tif", pastEnd);
  EXPECT_EQ(Count(path), -1);
  EXPECT_EQ(error.rfind("image 4: ", 0), 0u) << error;
  ExpectImage(2);

  // The second directory damaged (its entry count beyond the file): the
  // count and every image from the second on fail naming it.
  std::vector<uint8_t> damaged = whole;
  damaged[directories[1]] = 0xFF;
  damaged[directories[1] + 1] = 0xFF;
  path = folder.Write("damaged.tif", damaged);
  EXPECT_EQ(Count(path), -1);
  EXPECT_EQ(error.rfind("image 2: ", 0), 0u) << error;
  EXPECT_FALSE(ReadAt(path, 2));
  EXPECT_EQ(error.rfind("image 2: ", 0), 0u) << error;
  ExpectImage(0);
}

TEST_F(TIFFReaderChainTest, ChainsBeyondTheLimitAreRefused) {
  path = folder.Write("most.tif", ManyImages(kMaxTIFFImages));
  ASSERT_EQ(Count(path), kMaxTIFFImages) << error;
  for (uint32_t index : {kMaxTIFFImages - 1, 255u, kMaxTIFFImages - 2}) {
    ASSERT_TRUE(ReadAt(path, index)) << error;
    EXPECT_EQ(sink.bytes, std::vector<uint8_t>{static_cast<uint8_t>(index)});
  }
  path = folder.Write("more.tif", ManyImages(kMaxTIFFImages + 1));
  EXPECT_EQ(Count(path), -1);
  EXPECT_EQ(error, "more than " + std::to_string(kMaxTIFFImages) + " images");
  // Only the images that become pages count: one image and as many
  // thumbnails is one image; the directories have a bound of their own.
  path = folder.Write("thumbnails.tif", ManyImages(kMaxTIFFImages + 1, true));
  ASSERT_EQ(Count(path), 1) << error;
  ASSERT_TRUE(ReadAt(path, 0)) << error;
  EXPECT_EQ(sink.bytes, std::vector<uint8_t>{0});
  path = folder.Write("directories.tif", ManyImages(kMaxTIFFDirectories + 1, true));
  EXPECT_EQ(Count(path), -1);
  EXPECT_EQ(error, "more than " + std::to_string(kMaxTIFFDirectories) + " directories");
}

}  // namespace
