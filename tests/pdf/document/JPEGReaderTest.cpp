#include "pdf/document/internal/JPEGReader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/pdf/document/ImageTestSupport.h"
#include "tests/pdf/document/JPEGTestWriter.h"

namespace {

// A "Photoshop 3.0" APP13 marker body: signature, then "8BIM" and the low
// byte of the first resource id at 19, and the two resolutions (16-bit
// integer parts) at x and x + 8.
std::vector<unsigned char> App13(unsigned char selector, unsigned x, uint16_t xRes, uint16_t yRes,
                                 size_t length = 200) {
  std::vector<unsigned char> data(length, 0);
  const char* signature = "Photoshop 3.0";
  std::memcpy(data.data(), signature, 13);
  if (length > 19) {
    std::memcpy(data.data() + 14, "8BIM", 4);
    data[18] = 0x03;
    data[19] = selector;
  }
  if (x + 9 < length) {
    data[x] = xRes >> 8;
    data[x + 1] = xRes & 0xFF;
    data[x + 8] = yRes >> 8;
    data[x + 9] = yRes & 0xFF;
  }
  return data;
}

class JPEGReaderTest : public ImageReaderTest {
 protected:
  bool Read(const JPEGSpec& spec) {
    path = folder.File("image.jpg");
    if (!WriteJPEG(path, spec)) return false;
    return RunReader(ReadJPEGImage, path);
  }
};

TEST_F(JPEGReaderTest, ProbeAcceptsStartOfImage) {
  EXPECT_TRUE(IsJPEGFile(folder.Write("a.jpg", {0xFF, 0xD8}).c_str()));
  EXPECT_FALSE(IsJPEGFile(folder.Write("b.jpg", {0xFF}).c_str()));
  EXPECT_FALSE(IsJPEGFile(folder.Write("c.jpg", {0xD8, 0xFF}).c_str()));
  EXPECT_FALSE(IsJPEGFile(folder.File("missing.jpg").c_str()));
}

TEST_F(JPEGReaderTest, ColourFileIsEmbeddedUnchanged) {
  JPEGSpec spec;
  spec.width = 600;
  spec.height = 300;
  spec.densityUnit = 1;
  spec.xDensity = 300;
  spec.yDensity = 300;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
  EXPECT_STREQ(description.ColourSpaceName(), "DeviceRGB");
  EXPECT_EQ(description.bitsPerComponent, 8);
  EXPECT_TRUE(description.dctEncoded);
  EXPECT_FALSE(description.decodeInverted);
  EXPECT_EQ(description.width, 600u);
  EXPECT_EQ(description.height, 300u);
  EXPECT_EQ(Size(), "144.000000 72.000000");
  EXPECT_EQ(sink.bytes, TempFolder::Read(path));
  EXPECT_EQ(description.dataSize, sink.bytes.size());

  spec.densityUnit = 0;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "600.000000 300.000000");

  spec.width = 254;
  spec.densityUnit = 2;
  spec.xDensity = 100;
  spec.yDensity = 0;  // no vertical density: one pixel per point
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "72.000000 300.000000");

  spec.progressive = true;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
}

TEST_F(JPEGReaderTest, ColourModels) {
  JPEGSpec spec;
  spec.input = JCS_GRAYSCALE;
  spec.components = 1;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceGray);
  EXPECT_FALSE(description.decodeInverted);

  // libjpeg writes an Adobe marker with every CMYK file.
  spec.input = JCS_CMYK;
  spec.components = 4;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceCMYK);
  EXPECT_TRUE(description.decodeInverted);
  EXPECT_EQ(description.DecodeElementCount(), 8);

  spec.adobe = 0;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceCMYK);
  EXPECT_FALSE(description.decodeInverted);

  spec.adobe = -1;
  spec.setFileSpace = true;
  spec.fileSpace = JCS_YCCK;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceCMYK);
  EXPECT_TRUE(description.decodeInverted);

  // Two components have no colour model.
  spec = JPEGSpec();
  spec.input = JCS_UNKNOWN;
  spec.components = 2;
  spec.jfif = false;
  EXPECT_FALSE(Read(spec));
}

TEST_F(JPEGReaderTest, PhotoshopResolutionMarker) {
  JPEGSpec spec;
  spec.width = 300;
  spec.height = 150;
  spec.densityUnit = 1;
  spec.xDensity = 150;
  spec.yDensity = 150;

  spec.app13 = {App13(0xED, 26, 72, 72)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "300.000000 150.000000");

  spec.app13 = {App13(0xE9, 158, 300, 600)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "72.000000 18.000000");

  spec.app13 = {App13(0x04, 76, 144, 36)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "150.000000 300.000000");

  // A first APP13 shorter than 168 bytes: the JFIF density is used even
  // though a later marker qualifies.
  spec.app13 = {App13(0xED, 26, 72, 72, 167), App13(0xED, 26, 72, 72)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "144.000000 72.000000");

  // Exactly 168 bytes qualifies.
  spec.app13 = {App13(0xED, 26, 72, 72, 168)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "300.000000 150.000000");

  // An unknown layout, or a zero resolution, falls through to JFIF.
  spec.app13 = {App13(0x77, 26, 72, 72)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "144.000000 72.000000");
  spec.app13 = {App13(0xED, 26, 72, 0)};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "300.000000 72.000000");

  // Not "Photoshop 3.0".
  auto other = App13(0xED, 26, 72, 72);
  other[0] = 'X';
  spec.app13 = {other};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "144.000000 72.000000");
}

TEST_F(JPEGReaderTest, DamagedFilesFailWithoutEndingTheProcess) {
  JPEGSpec spec;
  spec.width = 40;
  spec.height = 20;
  ASSERT_TRUE(Read(spec)) << error;
  const std::vector<uint8_t> whole = TempFolder::Read(path);
  // Find the start-of-scan marker: every cut before its header ends fails.
  size_t sos = 0;
  for (size_t i = 2; i + 1 < whole.size(); ++i) {
    if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
      sos = i;
      break;
    }
  }
  ASSERT_GT(sos, 0u);
  for (size_t length = 2; length < sos; ++length) {
    std::string cut = folder.Write("cut.jpg", std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
    VectorSink out;
    ImageDescription d;
    std::string why;
    EXPECT_FALSE(ReadJPEGImage(cut.c_str(), out, d, &why)) << length;
    EXPECT_FALSE(why.empty());
  }
  // Garbage after the start-of-image marker.
  std::vector<uint8_t> junk = {0xFF, 0xD8, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xC0, 0x00, 0x02};
  std::string junkPath = folder.Write("junk.jpg", junk);
  EXPECT_FALSE(ReadJPEGImage(junkPath.c_str(), sink, description, &error));
  // A frame header with impossible sizes.
  std::vector<uint8_t> frame = whole;
  for (size_t i = 2; i + 8 < frame.size(); ++i) {
    if (frame[i] == 0xFF && frame[i + 1] == 0xC0) {
      frame[i + 5] = 0;  // height 0
      frame[i + 6] = 0;
      frame[i + 7] = 0;  // width 0
      frame[i + 8] = 0;
      break;
    }
  }
  std::string framePath = folder.Write("frame.jpg", frame);
  EXPECT_FALSE(ReadJPEGImage(framePath.c_str(), sink, description, &error));
  EXPECT_FALSE(ReadJPEGImage(folder.File("missing.jpg").c_str(), sink, description, &error));
}

}  // namespace
