#include "pdf/document/internal/BMPReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "tests/pdf/document/ImageTestSupport.h"

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A bitmap file built byte by byte.
struct BMP {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  std::vector<uint8_t> headerExtra;  // header bytes after the first 40
  int32_t xppm = 0;
  int32_t yppm = 0;
  uint32_t coloursUsed = 0;
  std::vector<uint32_t> palette;     // 0x00RRGGBB, written B G R 0
  std::vector<uint8_t> afterHeader;  // e.g. masks after a 40-byte header
  std::vector<uint8_t> gap;          // between palette and pixels
  std::vector<uint8_t> pixels;       // file order, padded rows
  int64_t offsetOverride = -1;

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b = {'B', 'M'};
    uint32_t offset = 14 + headerSize + afterHeader.size() + 4 * palette.size() + gap.size();
    if (offsetOverride >= 0) offset = static_cast<uint32_t>(offsetOverride);
    Put32(b, 0);  // file size, unused
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, headerSize);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, compression);
    Put32(b, compression == 0 ? 0 : static_cast<uint32_t>(pixels.size()));
    Put32(b, static_cast<uint32_t>(xppm));
    Put32(b, static_cast<uint32_t>(yppm));
    Put32(b, coloursUsed);
    Put32(b, 0);
    std::vector<uint8_t> extra = headerExtra;
    extra.resize(headerSize > 40 ? headerSize - 40 : 0, 0);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), afterHeader.begin(), afterHeader.end());
    for (uint32_t c : palette) {
      b.push_back(c & 0xFF);
      b.push_back((c >> 8) & 0xFF);
      b.push_back((c >> 16) & 0xFF);
      b.push_back(0x55);  // reserved byte: must not count
    }
    b.insert(b.end(), gap.begin(), gap.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
  }
};

// Rows given top first are stored bottom first (positive height), each
// padded to 4 bytes with a marker byte that must never reach the image.
std::vector<uint8_t> StoreRows(const std::vector<std::vector<uint8_t>>& topFirst,
                               bool bottomUp = true) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < topFirst.size(); ++i) {
    const auto& row = topFirst[bottomUp ? topFirst.size() - 1 - i : i];
    out.insert(out.end(), row.begin(), row.end());
    while (out.size() % 4 != 0) out.push_back(0xEE);
  }
  return out;
}

std::vector<uint8_t> Join(const std::vector<std::vector<uint8_t>>& rows) {
  std::vector<uint8_t> out;
  for (const auto& r : rows) out.insert(out.end(), r.begin(), r.end());
  return out;
}

class BMPReaderTest : public ImageReaderTest {
 protected:
  bool Read(const BMP& bmp, std::string name = "image.bmp") {
    path = folder.Write(name, bmp.Bytes());
    return RunReader(ReadBMPImage, path);
  }
};

TEST_F(BMPReaderTest, ProbeAcceptsOnlyBMSignature) {
  EXPECT_TRUE(IsBMPFile(folder.Write("a.bmp", {'B', 'M'}).c_str()));
  EXPECT_FALSE(IsBMPFile(folder.Write("b.bmp", {'B'}).c_str()));
  EXPECT_FALSE(IsBMPFile(folder.Write("c.bmp", {}).c_str()));
  EXPECT_FALSE(IsBMPFile(folder.Write("d.bmp", {'M', 'B', 0}).c_str()));
  EXPECT_FALSE(IsBMPFile(folder.File("missing.bmp").c_str()));
  EXPECT_FALSE(IsBMPFile(nullptr));
}

TEST_F(BMPReaderTest, OneBitPalettesGiveMasksOrIndexed) {
  std::vector<std::vector<uint8_t>> rows = {{0xF0, 0x80}, {0x0F, 0x00}, {0xAA, 0x40}};
  BMP bmp;
  bmp.width = 10;
  bmp.height = 3;
  bmp.bits = 1;
  bmp.pixels = StoreRows(rows);

  bmp.palette = {0xFFFFFF, 0x000000};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.colour, ImageColour::ImageMask);
  EXPECT_TRUE(description.decodeInverted);
  EXPECT_EQ(description.DecodeElementCount(), 2);
  EXPECT_EQ(description.bitsPerComponent, 1);
  EXPECT_EQ(description.width, 10u);
  EXPECT_EQ(description.height, 3u);
  EXPECT_EQ(sink.bytes, Join(rows));
  EXPECT_EQ(description.dataSize, 6u);

  bmp.palette = {0x000000, 0xFFFFFF};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.colour, ImageColour::ImageMask);
  EXPECT_FALSE(description.decodeInverted);

  bmp.palette = {0xFF0000, 0x0000FF};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.colour, ImageColour::Indexed);
  EXPECT_EQ(description.hival, 1);
  EXPECT_EQ(description.bitsPerComponent, 1);
  EXPECT_EQ(description.palette, (std::vector<uint8_t>{0xFF, 0, 0, 0, 0, 0xFF}));
  EXPECT_EQ(sink.bytes, Join(rows));
}

TEST_F(BMPReaderTest, FourAndEightBitPalettes) {
  BMP bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.bits = 4;
  for (uint32_t i = 0; i < 16; ++i) bmp.palette.push_back(i * 0x010203);
  std::vector<std::vector<uint8_t>> rows = {{0x12, 0x30}, {0xAB, 0xC0}};
  bmp.pixels = StoreRows(rows);
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.colour, ImageColour::Indexed);
  EXPECT_EQ(description.bitsPerComponent, 4);
  EXPECT_EQ(description.hival, 15);
  ASSERT_EQ(description.palette.size(), 48u);
  EXPECT_EQ(description.palette[3 * 5], 5);
  EXPECT_EQ(description.palette[3 * 5 + 1], 10);
  EXPECT_EQ(description.palette[3 * 5 + 2], 15);
  EXPECT_EQ(sink.bytes, Join(rows));

  // 8 bits with colours used 0: 256 entries.
  bmp.bits = 8;
  bmp.palette.clear();
  for (uint32_t i = 0; i < 256; ++i) bmp.palette.push_back(i << 8);
  rows = {{1, 2, 3}, {4, 5, 255}};
  bmp.pixels = StoreRows(rows);
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.hival, 255);
  EXPECT_EQ(description.palette.size(), 768u);
  EXPECT_EQ(description.palette[3 * 200 + 1], 200);
  EXPECT_EQ(sink.bytes, Join(rows));

  // A palette longer than 8 bits can index: the rows stay in place and the
  // lookup table keeps 256 entries.
  bmp.coloursUsed = 300;
  bmp.palette.resize(300, 0x123456);
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.hival, 255);
  EXPECT_EQ(sink.bytes, Join(rows));
}

TEST_F(BMPReaderTest, TrueColourRowsAndOrder) {
  // 24 bits, 3 pixels wide: 12-byte padded rows, 9 data bytes per row.
  BMP bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.bits = 24;
  bmp.pixels = StoreRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}});
  ASSERT_EQ(bmp.pixels.size(), 24u);
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.colour, ImageColour::DeviceRGB);
  EXPECT_EQ(description.bitsPerComponent, 8);
  EXPECT_FALSE(description.decodeInverted);
  EXPECT_EQ(sink.bytes,
            (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16}));

  // Negative height: the first file row is the top row.
  bmp.height = -2;
  bmp.pixels =
      StoreRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}, false);
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.height, 2u);
  EXPECT_EQ(sink.bytes,
            (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16}));
  EXPECT_EQ(description.heightPoints, 2.0f);
}

TEST_F(BMPReaderTest, SixteenAndThirtyTwoBitMasks) {
  // 16 bits without masks: 5-5-5.
  BMP bmp;
  bmp.width = 2;
  bmp.height = 1;
  bmp.bits = 16;
  bmp.pixels = {0x00, 0x7C, 0xFF, 0x7F};  // pure red, white
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{255, 0, 0, 255, 255, 255}));

  // 16 bits with 5-6-5 bit fields after a 40-byte header.
  bmp.compression = 3;
  for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(bmp.afterHeader, m);
  bmp.pixels = {0xE0, 0x07, 0x10, 0x84};  // pure green; 0x8410 = (16,32,16)
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{0, 255, 0, 132, 130, 132}));

  // 32 bits plain: B G R X.
  bmp = BMP();
  bmp.width = 2;
  bmp.height = 1;
  bmp.bits = 32;
  bmp.pixels = {1, 2, 3, 99, 4, 5, 6, 99};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));

  // 32 bits with masks inside a 124-byte header (R G B X order); the extra
  // 84 header bytes are skipped. A colour table of a true-colour image is
  // passed over by the pixel offset.
  bmp.headerSize = 124;
  bmp.compression = 3;
  for (uint32_t m : {0x000000FFu, 0x0000FF00u, 0x00FF0000u}) Put32(bmp.headerExtra, m);
  bmp.coloursUsed = 2;
  bmp.palette = {0x111111, 0x222222};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(BMPReaderTest, PixelOffsetIsHonoured) {
  BMP bmp;
  bmp.width = 1;
  bmp.height = 1;
  bmp.bits = 8;
  bmp.coloursUsed = 2;
  bmp.palette = {0x102030, 0x405060};
  bmp.gap = {9, 9, 9, 9, 9, 9, 9, 9};
  bmp.pixels = {1, 0, 0, 0};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{1}));

  // An offset inside the palette is not believed.
  bmp.gap.clear();
  bmp.offsetOverride = 20;
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{1}));
}

TEST_F(BMPReaderTest, RunLengthEncodedPixels) {
  // RLE8, 5 x 3, bottom row first.
  BMP bmp;
  bmp.width = 5;
  bmp.height = 3;
  bmp.bits = 8;
  bmp.compression = 1;
  for (uint32_t i = 0; i < 256; ++i) bmp.palette.push_back(i);
  bmp.pixels = {
      3, 7, 2, 8, 0, 0,        // bottom row: 7 7 7 8 8
      0, 3, 1, 2, 3, 0, 0, 0,  // absolute 1 2 3 (padded), end of line
      0, 2, 4, 0,              // delta: right 4 on the top row
      1, 9, 0, 1,              // one 9, end of bitmap
  };
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.colour, ImageColour::Indexed);
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{0, 0, 0, 0, 9, 1, 2, 3, 0, 0, 7, 7, 7, 8, 8}));

  // RLE4, 5 x 2.
  bmp.bits = 4;
  bmp.compression = 2;
  bmp.palette.resize(16);
  bmp.pixels = {
      5, 0x12, 0,    0,           // bottom row: 1 2 1 2 1
      0, 3,    0x34, 0x50, 0, 1,  // top row absolute 3 4 5, end of bitmap
  };
  bmp.height = 2;
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(description.bitsPerComponent, 4);
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{0x34, 0x50, 0x00, 0x12, 0x12, 0x10}));

  // A run past the right edge is cut there.
  bmp.pixels = {255, 0x77, 0, 0, 2, 0x11, 0, 1};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{0x11, 0x00, 0x00, 0x77, 0x77, 0x70}));
  // The last row ended by an end of line needs no end of bitmap.
  bmp.pixels = {5, 0x12, 0, 0, 5, 0x34, 0, 0};
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{0x34, 0x34, 0x30, 0x12, 0x12, 0x10}));
}

TEST_F(BMPReaderTest, RunLengthDataCutShortAreRefused) {
  BMP bmp;
  bmp.width = 5;
  bmp.height = 3;
  bmp.bits = 8;
  bmp.compression = 1;
  bmp.coloursUsed = 4;
  bmp.palette.assign(4, 0);
  // Rows remain when the data end: no end of bitmap, or one code cut.
  for (const std::vector<uint8_t>& pixels : std::vector<std::vector<uint8_t>>{
           {3, 1, 0, 0},                 // one row, then nothing
           {3, 1, 0, 0, 0, 4, 1, 2, 3},  // an absolute run short of its 4 bytes
           {3, 1, 0, 0, 0, 2, 1},        // a delta without its offsets
           {3, 1, 0, 0, 2}}) {           // half a code
    bmp.pixels = pixels;
    EXPECT_FALSE(Read(bmp));
    EXPECT_EQ(error, "pixel data cut short");
  }
  // The image size field claims more data than the file holds.
  bmp.pixels = {3, 1, 0, 1};
  std::vector<uint8_t> bytes = bmp.Bytes();
  ASSERT_TRUE(RunReader(ReadBMPImage, folder.Write("whole.bmp", bytes))) << error;
  bytes[34] = 5;
  EXPECT_FALSE(RunReader(ReadBMPImage, folder.Write("short.bmp", bytes)));
  EXPECT_EQ(error, "pixel data cut short");
}

TEST_F(BMPReaderTest, RunLengthDataDecodeIntoTheImageOnly) {
  // Two bytes of RLE8 (end of bitmap at once) for 3 x 452984834 pixels:
  // 1.3 GB of blank image goes to the sink a band at a time, and nothing of
  // that size is held by the reader (the sink here refuses above 1 MiB, so
  // the read fails at the first band that does not fit).
  BMP bmp;
  bmp.width = 3;
  bmp.height = 452984834;
  bmp.bits = 8;
  bmp.compression = 1;
  bmp.coloursUsed = 2;
  bmp.palette = {0, 0xFFFFFF};
  bmp.pixels = {0, 1};
  path = folder.Write("bomb.bmp", bmp.Bytes());
  VectorSink small(1 << 20);
  EXPECT_FALSE(ReadBMPImage(path.c_str(), small, description, &error));
  EXPECT_EQ(error, "out of memory for the image data");
  EXPECT_LE(small.bytes.size(), size_t{1} << 20);

  // Within what the sink takes, a blank image of any expansion converts:
  // 2048 x 1024 from two bytes, then from an end of line per row.
  bmp.height = 1024;
  bmp.width = 2048;
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes, std::vector<uint8_t>(2048u * 1024u, 0));
  bmp.pixels.assign(2048, 0);
  ASSERT_TRUE(Read(bmp)) << error;
  EXPECT_EQ(sink.bytes.size(), 2048u * 1024u);
}

// The image run-length codes describe, decoded the plain way into the whole
// image at once: rows in PDF order (top first), skipped pixels index 0.
std::vector<uint8_t> DecodeWhole(const std::vector<uint8_t>& codes, int bits, uint32_t width,
                                 int32_t height) {
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const uint64_t rowBytes = bits == 8 ? width : (width + 1) / 2;
  std::vector<uint8_t> image(rowBytes * rows, 0);
  uint64_t x = 0;
  uint64_t y = 0;
  size_t at = 0;
  auto put = [&](uint8_t index) {
    if (x < width && y < rows) {
      uint8_t& b = image[(height < 0 ? y : rows - 1 - y) * rowBytes + (bits == 8 ? x : x / 2)];
      if (bits == 8) {
        b = index;
      } else {
        b = (x & 1) == 0 ? static_cast<uint8_t>((b & 0x0F) | (index << 4))
                         : static_cast<uint8_t>((b & 0xF0) | index);
      }
    }
    ++x;
  };
  while (y < rows && at + 1 < codes.size()) {
    const uint8_t count = codes[at++];
    const uint8_t value = codes[at++];
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i)
        put(bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += codes[at];
      y += codes[at + 1];
      at += 2;
    } else {
      const unsigned bytes = bits == 8 ? value : (value + 1u) / 2;
      for (unsigned i = 0; i < value; ++i) {
        const uint8_t byte = codes[at + (bits == 8 ? i : i / 2)];
        put(bits == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F));
      }
      at += bytes + bytes % 2;
    }
  }
  return image;
}

// Run-length codes for an image of `rows` rows: encoded and absolute runs
// (some past the right edge), ends of line, deltas of up to `maxUp` rows, a
// delta that lands just past `boundary` rows, and an end of bitmap once
// `stopAt` rows are done (or an end of line after the last row).
std::vector<uint8_t> RandomCodes(std::mt19937& random, int bits, uint32_t width, uint32_t rows,
                                 unsigned maxUp, uint32_t boundary, uint32_t stopAt) {
  std::vector<uint8_t> codes;
  uint64_t x = 0;
  uint64_t y = 0;
  bool jumped = false;
  auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
  while (y < rows) {
    if (y >= stopAt) {
      codes.insert(codes.end(), {0, 1});
      return codes;
    }
    if (!jumped && y + 3 >= boundary && y < boundary) {  // across a band's edge
      codes.insert(codes.end(), {0, 2, 7, static_cast<uint8_t>(boundary - y + 1)});
      x += 7;
      y = boundary + 1;
      jumped = true;
      continue;
    }
    const unsigned kind = below(20);
    if (x >= width + 40 || kind < 3) {
      codes.insert(codes.end(), {0, 0});
      x = 0;
      ++y;
    } else if (kind < 4) {
      const unsigned up = below(maxUp + 1);
      codes.insert(codes.end(), {0, 2, static_cast<uint8_t>(below(30)), static_cast<uint8_t>(up)});
      y += up;
    } else if (kind < 12) {
      const unsigned n = 1 + below(255);
      codes.insert(codes.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(random())});
      x += n;
    } else {
      const unsigned n = 3 + below(253);
      const unsigned bytes = bits == 8 ? n : (n + 1) / 2;
      codes.insert(codes.end(), {0, static_cast<uint8_t>(n)});
      for (unsigned i = 0; i < bytes + bytes % 2; ++i)
        codes.push_back(static_cast<uint8_t>(random()));
      x += n;
    }
  }
  return codes;
}

TEST_F(BMPReaderTest, RunLengthRowsReachTheSinkInBands) {
  // Images of several bands of 4 MiB: each band reaches the sink whole, top
  // of the image first, and the bytes are those of the whole image decoded
  // at once, across band edges, deltas, early ends and odd widths.
  std::mt19937 random(21);
  struct Case {
    int bits;
    uint32_t width;
    int32_t height;
    unsigned maxUp;
    bool early;
  };
  const Case cases[] = {
      {8, 4099, 2100, 2, false},   {8, 4099, -2100, 2, false}, {4, 8191, 2500, 3, false},
      {4, 8191, -2500, 3, false},  {8, 4099, 2100, 255, true}, {4, 8191, -2500, 255, true},
      {8, 3, 1400000, 255, false}, {4, 3, -2800000, 40, true},
  };
  for (const Case& c : cases) {
    const uint32_t rows = static_cast<uint32_t>(c.height < 0 ? -c.height : c.height);
    const uint64_t rowBytes = c.bits == 8 ? c.width : (c.width + 1) / 2;
    const uint64_t bandRows = std::min<uint64_t>(rows, (uint64_t{4} << 20) / rowBytes);
    const uint32_t stopAt = c.early ? rows / 2 : rows;
    BMP bmp;
    bmp.width = static_cast<int32_t>(c.width);
    bmp.height = c.height;
    bmp.bits = static_cast<uint16_t>(c.bits);
    bmp.compression = c.bits == 8 ? 1 : 2;
    bmp.palette.assign(c.bits == 8 ? 256 : 16, 0x102030);
    bmp.pixels = RandomCodes(random, c.bits, c.width, rows, c.maxUp,
                             static_cast<uint32_t>(bandRows), stopAt);
    path = folder.Write("bands.bmp", bmp.Bytes());
    PieceSink bands;
    ASSERT_TRUE(ReadBMPImage(path.c_str(), bands, description, &error)) << error;
    const std::vector<uint8_t> whole = DecodeWhole(bmp.pixels, c.bits, c.width, c.height);
    ASSERT_EQ(bands.bytes.size(), whole.size());
    EXPECT_TRUE(bands.bytes == whole) << c.bits << " " << c.width << " " << c.height;
    EXPECT_EQ(description.dataSize, whole.size());
    ASSERT_FALSE(bands.pieces.empty());
    EXPECT_LE(*std::max_element(bands.pieces.begin(), bands.pieces.end()), bandRows * rowBytes);
    if (!c.early && c.maxUp < 255) {
      // Every band decoded: whole bands, the image's top band (a short one
      // when the file runs bottom up) first.
      std::vector<size_t> expected;
      const uint64_t last = rows % bandRows == 0 ? bandRows : rows % bandRows;
      for (uint64_t first = 0; first < rows; first += bandRows)
        expected.push_back(
            static_cast<size_t>((first + bandRows > rows ? last : bandRows) * rowBytes));
      if (c.height > 0) std::reverse(expected.begin(), expected.end());
      EXPECT_EQ(bands.pieces, expected) << c.bits << " " << c.width << " " << c.height;
    }

    // The same data cut short: a bottom-up file fails before anything
    // reaches the sink, a top-down one fails where the data end.
    bmp.pixels.resize(bmp.pixels.size() * 3 / 4);
    path = folder.Write("cut.bmp", bmp.Bytes());
    PieceSink cut;
    EXPECT_FALSE(ReadBMPImage(path.c_str(), cut, description, &error));
    EXPECT_EQ(error, "pixel data cut short");
    if (c.height > 0) {
      EXPECT_TRUE(cut.pieces.empty());
    }
  }
}

TEST_F(BMPReaderTest, SizeInPoints) {
  BMP bmp;
  bmp.bits = 24;
  auto size = [&](int32_t w, int32_t h, int32_t xppm, int32_t yppm) {
    bmp.width = w;
    bmp.height = h;
    bmp.xppm = xppm;
    bmp.yppm = yppm;
    bmp.pixels.assign(static_cast<size_t>((w * 3 + 3) / 4 * 4 * h), 0);
    EXPECT_TRUE(Read(bmp)) << error;
    return FloatText(description.widthPoints) + " " + FloatText(description.heightPoints);
  };
  EXPECT_EQ(size(640, 480, 2835, 2835), "639.920044 479.940002");
  EXPECT_EQ(size(300, 150, 11811, 11811), "72.000145 36.000072");
  EXPECT_EQ(size(100, 50, 3780, 3780), "74.990623 37.495312");
  EXPECT_EQ(size(100, 50, 0, 0), "100.000000 50.000000");
  // No resolution, or a nonsensical one, on either axis is one pixel per
  // point on both.
  EXPECT_EQ(size(100, 50, -3780, 3780), "100.000000 50.000000");
  EXPECT_EQ(size(60, 40, 0, 3780), "60.000000 40.000000");
  EXPECT_EQ(size(100, 50, 3780, 0), "100.000000 50.000000");
}

TEST_F(BMPReaderTest, RefusesUnsupportedAndInvalidHeaders) {
  auto base = [] {
    BMP bmp;
    bmp.width = 4;
    bmp.height = 2;
    bmp.bits = 24;
    bmp.pixels.assign(24, 1);
    return bmp;
  };
  ASSERT_TRUE(Read(base())) << error;
  for (uint16_t bits : {0, 2, 5, 12, 48}) {
    BMP bmp = base();
    bmp.bits = bits;
    EXPECT_FALSE(Read(bmp)) << bits;
  }
  BMP bmp = base();
  bmp.headerSize = 12;
  EXPECT_FALSE(Read(bmp));
  bmp = base();
  bmp.width = 0;
  EXPECT_FALSE(Read(bmp));
  bmp.width = -4;
  EXPECT_FALSE(Read(bmp));
  bmp = base();
  bmp.height = 0;
  EXPECT_FALSE(Read(bmp));
  bmp.height = INT32_MIN;
  EXPECT_FALSE(Read(bmp));
  for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 7u}) {
    bmp = base();
    bmp.compression = compression;
    EXPECT_FALSE(Read(bmp)) << compression;
  }
  // Data that would pass 2 GiB is refused before anything is read.
  bmp = base();
  bmp.width = 30000;
  bmp.height = 30000;
  EXPECT_FALSE(Read(bmp));
  EXPECT_EQ(error, "image too large");
  EXPECT_TRUE(sink.bytes.empty());
  // A huge colour count does not allocate: the palette is not in the file.
  bmp = base();
  bmp.bits = 8;
  bmp.coloursUsed = 0xFFFFFFFF;
  EXPECT_FALSE(Read(bmp));
}

TEST_F(BMPReaderTest, TruncatedFilesFailCleanly) {
  BMP bmp;
  bmp.width = 7;
  bmp.height = 3;
  bmp.bits = 4;
  for (uint32_t i = 0; i < 16; ++i) bmp.palette.push_back(i * 0x0F0F0F);
  bmp.pixels = StoreRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}});
  const std::vector<uint8_t> whole = bmp.Bytes();
  std::string wholePath = folder.Write("whole.bmp", whole);
  ASSERT_TRUE(ReadBMPImage(wholePath.c_str(), sink, description, &error)) << error;
  // Every cut that removes pixel bytes (the last row's padding aside) fails.
  const size_t needed = whole.size() - 4 + 4;  // last row: 4 data bytes, no padding
  for (size_t length = 0; length < needed; ++length) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
    std::string cutPath = folder.Write("cut.bmp", cut);
    VectorSink out;
    ImageDescription d;
    EXPECT_FALSE(ReadBMPImage(cutPath.c_str(), out, d)) << length;
  }
  // Every header, palette and first-row byte set to 0x00 and to 0xFF in turn:
  // a clean failure, or a result of exactly the size described.
  for (size_t i = 0; i < 54 + 64 + 8; ++i) {
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x80}}) {
      std::vector<uint8_t> changed = whole;
      changed[i] = value;
      std::string changedPath = folder.Write("changed.bmp", changed);
      VectorSink out;
      ImageDescription d;
      if (ReadBMPImage(changedPath.c_str(), out, d)) {
        EXPECT_EQ(out.bytes.size(), d.dataSize) << i;
      }
    }
  }
  // Compressed files cut anywhere are refused without reading past the data.
  BMP rle;
  rle.width = 5;
  rle.height = 3;
  rle.bits = 8;
  rle.compression = 1;
  rle.palette.assign(4, 0);
  rle.coloursUsed = 4;
  rle.pixels = {3, 1, 2, 2, 0, 0, 0, 4, 1, 2, 3, 0, 0, 2, 1, 1, 200, 3, 0, 1};
  const std::vector<uint8_t> rleBytes = rle.Bytes();
  for (size_t length = 0; length <= rleBytes.size(); ++length) {
    std::vector<uint8_t> cut(rleBytes.begin(), rleBytes.begin() + static_cast<long>(length));
    std::string cutPath = folder.Write("cutrle.bmp", cut);
    VectorSink out;
    ImageDescription d;
    bool ok = ReadBMPImage(cutPath.c_str(), out, d);
    EXPECT_EQ(ok, length == rleBytes.size()) << length;
    if (ok) {
      EXPECT_EQ(out.bytes.size(), 15u);
    }
  }
}

TEST_F(BMPReaderTest, FailingSinkFailsTheRead) {
  BMP bmp;
  bmp.width = 4;
  bmp.height = 4;
  bmp.bits = 24;
  bmp.pixels.assign(48, 0);
  path = folder.Write("x.bmp", bmp.Bytes());
  VectorSink small(20);
  EXPECT_FALSE(ReadBMPImage(path.c_str(), small, description, &error));
  EXPECT_FALSE(ReadBMPImage(folder.File("none.bmp").c_str(), sink, description, &error));
}

}  // namespace
