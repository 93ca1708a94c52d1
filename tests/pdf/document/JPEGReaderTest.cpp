#include "pdf/document/internal/JPEGReader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/pdf/document/ImageTestSupport.h"
#include "tests/pdf/document/JPEGTestWriter.h"

namespace {

using Bytes = std::vector<unsigned char>;

// One image resource of a "Photoshop 3.0" marker: "8BIM", the id, the name
// (length byte and text, padded to an even length), the data length and the
// data (padded to an even length).
Bytes Resource(uint16_t id, const Bytes& data, const std::string& name = "") {
  Bytes r = {'8',
             'B',
             'I',
             'M',
             static_cast<unsigned char>(id >> 8),
             static_cast<unsigned char>(id & 0xFF)};
  r.push_back(static_cast<unsigned char>(name.size()));
  r.insert(r.end(), name.begin(), name.end());
  if (r.size() % 2 != 0) r.push_back(0);
  const uint32_t size = static_cast<uint32_t>(data.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    r.push_back(static_cast<unsigned char>(size >> shift));
  r.insert(r.end(), data.begin(), data.end());
  if (r.size() % 2 != 0) r.push_back(0);
  return r;
}

// The data of a ResolutionInfo resource: horizontal and vertical pixels per
// inch as 16.16 fixed-point values, each followed by its unit fields.
Bytes Resolution(uint32_t x, uint32_t y) {
  Bytes d;
  for (uint32_t v : {x, y}) {
    for (int shift = 24; shift >= 0; shift -= 8)
      d.push_back(static_cast<unsigned char>(v >> shift));
    d.insert(d.end(), {0, 1, 0, 1});  // pixels per inch, shown in inches
  }
  return d;
}

// An APP13 marker body: the signature and the resources in order.
Bytes App13(const std::vector<Bytes>& resources) {
  const char signature[] = "Photoshop 3.0";
  Bytes data(signature, signature + sizeof signature);
  for (const Bytes& r : resources) data.insert(data.end(), r.begin(), r.end());
  return data;
}

// An IPTC record of captions: text that must never be read as a resolution.
Bytes Captions(size_t length) {
  Bytes d(length);
  for (size_t i = 0; i < length; ++i) d[i] = static_cast<unsigned char>('A' + i % 26);
  return d;
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

TEST_F(JPEGReaderTest, PhotoshopResolutionResource) {
  JPEGSpec spec;
  spec.width = 300;
  spec.height = 150;
  spec.densityUnit = 1;
  spec.xDensity = 150;
  spec.yDensity = 150;
  const uint32_t one = 65536;

  // The resolution first, after print information, after a short IPTC
  // record: the layouts of the usual files.
  spec.app13 = {App13({Resource(0x03ED, Resolution(72 * one, 72 * one))})};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "300.000000 150.000000");
  spec.app13 = {
      App13({Resource(0x03E9, Bytes(120)), Resource(0x03ED, Resolution(300 * one, 600 * one))})};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "72.000000 18.000000");
  spec.app13 = {
      App13({Resource(0x0404, Bytes(38)), Resource(0x03ED, Resolution(144 * one, 36 * one))})};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "150.000000 300.000000");

  // Captions of odd length and a named resource come first; the fraction
  // of the fixed-point value counts.
  spec.app13 = {App13({Resource(0x0404, Captions(301)), Resource(0x0425, Bytes(16), "digest"),
                       Resource(0x03ED, Resolution(300 * one + one / 2, 300 * one))})};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), FloatText(static_cast<float>(300 / 300.5 * 72)) + " 36.000000");

  // No resolution resource, one cut short, or one whose length runs past
  // the marker: the JFIF density.
  for (const Bytes& marker :
       {App13({Resource(0x0404, Captions(200))}), App13({Resource(0x03ED, Bytes(8))}),
        App13({Resource(0x0404, Captions(40)),
               Bytes{'8', 'B', 'I', 'M', 3, 0xED, 0, 0, 0, 0, 1, 0}})}) {
    spec.app13 = {marker};
    ASSERT_TRUE(Read(spec)) << error;
    EXPECT_EQ(Size(), "144.000000 72.000000");
  }

  // A zero resolution falls through to JFIF on that axis.
  spec.app13 = {App13({Resource(0x03ED, Resolution(72 * one, 0))})};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "300.000000 72.000000");

  // The first APP13 marker holding Photoshop resources decides: empty ones, others and the bare
  // signature before it are passed over; one without a resolution leaves the JFIF density.
  Bytes other = App13({Resource(0x03ED, Resolution(72 * one, 72 * one))});
  other[0] = 'X';
  spec.app13 = {other};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "144.000000 72.000000");
  const Bytes at72 = App13({Resource(0x03ED, Resolution(72 * one, 72 * one))});
  spec.app13 = {Bytes{}, other, App13({}), Bytes(3, 'P'), at72};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "300.000000 150.000000");
  spec.app13 = {App13({Resource(0x0404, Captions(40))}), at72};
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(Size(), "144.000000 72.000000");
}

TEST_F(JPEGReaderTest, RGBComponentsAreMarked) {
  JPEGSpec spec;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_FALSE(description.rgbWithoutTransform);  // YCbCr
  // Components 'R', 'G', 'B' without JFIF or Adobe marker.
  spec.setFileSpace = true;
  spec.fileSpace = JCS_RGB;
  spec.jfif = false;
  spec.adobe = 0;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
  EXPECT_TRUE(description.rgbWithoutTransform);
  // An Adobe marker tells readers itself.
  spec.adobe = 1;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_FALSE(description.rgbWithoutTransform);
}

TEST_F(JPEGReaderTest, MarkerStructureIsWalkedToTheEnd) {
  JPEGSpec spec;
  spec.width = 64;
  spec.height = 48;
  ASSERT_TRUE(Read(spec)) << error;
  const Bytes whole = TempFolder::Read(path);
  ASSERT_GE(whole.size(), 4u);
  ASSERT_EQ(whole[whole.size() - 2], 0xFF);
  ASSERT_EQ(whole[whole.size() - 1], 0xD9);
  size_t sos = 0;
  for (size_t i = 2; i + 1 < whole.size() && sos == 0; ++i) {
    if (whole[i] == 0xFF && whole[i + 1] == 0xDA) sos = i;
  }
  ASSERT_GT(sos, 0u);
  // Cut anywhere from the scan on (every seventh length, then the last
  // bytes one by one): refused, nothing decoded.
  for (size_t length = sos; length<whole.size(); length += whole.size() - length> 8 ? 7 : 1) {
    const std::string cut =
        folder.Write("cut.jpg", Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
    EXPECT_FALSE(RunReader(ReadJPEGImage, cut)) << length;
    EXPECT_FALSE(error.empty());
  }
  // Bytes after the end of image are allowed and kept.
  Bytes trailing = whole;
  trailing.insert(trailing.end(), {0, 0, 'x', 0xFF, 0xD8});
  ASSERT_TRUE(RunReader(ReadJPEGImage, folder.Write("trailing.jpg", trailing))) << error;
  EXPECT_EQ(sink.bytes, trailing);
  // A segment after the scan that runs past the end of the file.
  Bytes segment(whole.begin(), whole.end() - 2);
  segment.insert(segment.end(), {0xFF, 0xFE, 0x01, 0x00, 'c', 'u', 't', 0xFF, 0xD9});
  EXPECT_FALSE(RunReader(ReadJPEGImage, folder.Write("segment.jpg", segment)));
  EXPECT_EQ(error, "marker segment cut short");
  // Progressive files: many scans, tables between them.
  spec.progressive = true;
  ASSERT_TRUE(Read(spec)) << error;
  // A restart marker (RST0 to RST7, no segment) after every MCU: the data kept as the file.
  spec.progressive = false;
  spec.restartInterval = 1;
  ASSERT_TRUE(Read(spec)) << error;
  EXPECT_EQ(sink.bytes, TempFolder::Read(path));
}

TEST_F(JPEGReaderTest, ShortSegmentLengthsAreReadAsLibjpegReadsThem) {
  // An APPn or COM segment whose length field is below 2 is that field
  // alone (what follows up to the next marker is passed over); any other
  // segment of such a length is refused, as libjpeg refuses it. Before the
  // scan and after it alike; the data stay the file.
  JPEGSpec spec;
  spec.width = 300;
  spec.height = 150;
  spec.app1 = {ExifOrientation(6, true)};
  ASSERT_TRUE(Read(spec)) << error;
  const Bytes plain = TempFolder::Read(path);
  struct Case {
    const char* name;
    Bytes segment;
    bool afterScan;
    bool read;
  };
  const Case cases[] = {
      {"a comment of length 0", {0xFF, 0xFE, 0x00, 0x00}, false, true},
      {"a comment of length 1 and text", {0xFF, 0xFE, 0x00, 0x01, 'a', 'b'}, false, true},
      {"APP0 of length 0", {0xFF, 0xE0, 0x00, 0x00}, false, true},
      {"APP1 of length 1", {0xFF, 0xE1, 0x00, 0x01}, false, true},
      {"APP13 of length 0", {0xFF, 0xED, 0x00, 0x00}, false, true},
      {"APP14 of length 1", {0xFF, 0xEE, 0x00, 0x01}, false, true},
      {"quantisation tables of length 1", {0xFF, 0xDB, 0x00, 0x01}, false, false},
      {"a comment of length 0 after the scan", {0xFF, 0xFE, 0x00, 0x00}, true, true},
      {"APP5 of length 1 after the scan", {0xFF, 0xE5, 0x00, 0x01}, true, true},
      {"Huffman tables of length 0 after the scan", {0xFF, 0xC4, 0x00, 0x00}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = plain;
    const auto at = c.afterScan ? file.end() - 2 : file.begin() + 2;
    file.insert(at, c.segment.begin(), c.segment.end());
    const bool read = RunReader(ReadJPEGImage, folder.Write("short.jpg", file));
    EXPECT_EQ(read, c.read) << error;
    if (!read) continue;
    EXPECT_EQ(sink.bytes, file);
    EXPECT_EQ(description.orientation, 6);
    EXPECT_EQ(Size(), "300.000000 150.000000");
  }
}

// The file with `count` fill bytes (0xFF) before each marker after SOI up
// to the first scan's.
Bytes WithFill(const Bytes& file, size_t count) {
  Bytes out(file.begin(), file.begin() + 2);
  size_t pos = 2;
  while (pos + 4 <= file.size()) {
    out.insert(out.end(), count, 0xFF);
    const bool scan = file[pos + 1] == 0xDA;
    const size_t next = scan ? file.size() : pos + 2 + (file[pos + 2] << 8 | file[pos + 3]);
    out.insert(out.end(), file.begin() + static_cast<long>(pos),
               file.begin() + static_cast<long>(next));
    pos = next;
  }
  return out;
}

TEST_F(JPEGReaderTest, FillBytesBeforeMarkersArePassedOver) {
  // Runs of every length around a word, and one past the reading window;
  // fill bytes inside a marker's data are data (a resource of 0xFF bytes
  // before the resolution).
  JPEGSpec spec;
  spec.width = 300;
  spec.height = 150;
  spec.app1 = {ExifOrientation(6, true)};
  const uint32_t one = 65536;
  spec.app13 = {App13(
      {Resource(0x0404, Bytes(301, 0xFF)), Resource(0x03ED, Resolution(144 * one, 36 * one))})};
  ASSERT_TRUE(Read(spec)) << error;
  const Bytes plain = TempFolder::Read(path);
  for (size_t count : {1, 7, 8, 9, 70000}) {
    SCOPED_TRACE(count);
    const Bytes filled = WithFill(plain, count);
    ASSERT_TRUE(RunReader(ReadJPEGImage, folder.Write("filled.jpg", filled))) << error;
    EXPECT_EQ(description.orientation, 6);
    EXPECT_EQ(Size(), "150.000000 300.000000");
    EXPECT_EQ(sink.bytes, filled);
  }
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
    std::string cut = folder.Write(
        "cut.jpg", std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
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

TEST_F(JPEGReaderTest, ExifOrientationIsTakenWhenReadable) {
  const Bytes xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.', 0, '<', 'x', '>'};
  auto withIFD0At = [](uint32_t offset) {
    Bytes d = ExifOrientation(6);
    for (int i = 0; i < 4; ++i) d[10 + i] = static_cast<unsigned char>(offset >> (8 * i));
    return d;
  };
  Bytes cut = ExifOrientation(6);
  cut.resize(cut.size() - 8);  // inside the Orientation entry
  Bytes notTIFF = ExifOrientation(6);
  notTIFF[8] = 43;  // not 42
  struct Case {
    const char* name;
    std::vector<Bytes> app1;
    int orientation;
  };
  std::vector<Case> cases;
  for (uint32_t v = 1; v <= 8; ++v) {
    cases.push_back({"little-endian", {ExifOrientation(v)}, static_cast<int>(v)});
    cases.push_back({"big-endian", {ExifOrientation(v, true)}, static_cast<int>(v)});
  }
  cases.push_back({"after an XMP marker", {xmp, ExifOrientation(8, true)}, 8});
  cases.push_back({"the first Exif marker decides", {ExifOrientation(3), ExifOrientation(6)}, 3});
  cases.push_back({"no Exif", {xmp}, 1});
  cases.push_back({"value 0", {ExifOrientation(0)}, 1});
  cases.push_back({"value 9", {ExifOrientation(9, true)}, 1});
  cases.push_back({"value 65535", {ExifOrientation(65535)}, 1});
  cases.push_back({"a LONG", {ExifOrientation(6, false, 4)}, 1});
  cases.push_back({"IFD0 past the marker", {withIFD0At(4000)}, 1});
  cases.push_back({"IFD0 at the marker's last byte", {withIFD0At(37)}, 1});
  cases.push_back({"IFD0 offset near 2^32", {withIFD0At(0xFFFFFFF0u)}, 1});
  cases.push_back({"entry cut short", {cut}, 1});
  cases.push_back({"no TIFF header", {notTIFF}, 1});
  cases.push_back({"nothing after the name", {Bytes{'E', 'x', 'i', 'f', 0, 0}}, 1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JPEGSpec spec;
    spec.app1 = c.app1;
    ASSERT_TRUE(Read(spec)) << error;
    EXPECT_EQ(description.orientation, c.orientation);
    // The data stay the file, whatever the orientation.
    EXPECT_EQ(sink.bytes, TempFolder::Read(path));
    EXPECT_EQ(description.widthPoints, 16.0f);
  }
}

}  // namespace
