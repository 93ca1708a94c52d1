#include "pdf/object/internal/CodecDCT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Image(int width, int height, int components) {
  std::vector<uint8_t> data(static_cast<size_t>(width * height * components));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c) {
        data[static_cast<size_t>((y * width + x) * components + c)] =
            static_cast<uint8_t>(10 + x / 2 + y / 2 + 30 * c + (x * 7 + y * 13) % 16);
      }
    }
  }
  return data;
}

DCTParameters Params(int width, int height, const char* space, int quality = 100) {
  DCTParameters p;
  p.width = width;
  p.height = height;
  p.bitsPerComponent = 8;
  p.colorSpace = space;
  p.quality = quality;
  return p;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& data, const DCTParameters& p) {
  VectorSink out;
  std::string error;
  EXPECT_TRUE(CodecDCT::Encode(data.data(), data.size(), p, out, &error)) << error;
  return out.bytes;
}

TEST(CodecDCTTest, RoundTripsEveryColourSpace) {
  struct Case {
    const char* space;
    int components;
  };
  for (Case c : {Case{"DeviceGray", 1}, Case{"DeviceRGB", 3}, Case{"DeviceCMYK", 4}}) {
    // Large enough that input and output cross many 4096-byte blocks.
    const auto image = Image(120, 90, c.components);
    const auto p = Params(120, 90, c.space, 1);
    const auto jpeg = Encode(image, p);
    ASSERT_GT(jpeg.size(), CodecDCT::kBlockSize) << c.space;
    VectorSink samples;
    std::string error;
    ASSERT_TRUE(CodecDCT::Decode(jpeg.data(), jpeg.size(), p, samples, &error)) << error;
    ASSERT_EQ(samples.bytes.size(), image.size()) << c.space;
    int worst = 0;
    for (size_t i = 0; i < image.size(); ++i)
      worst = std::max(worst, std::abs(samples.bytes[i] - image[i]));
    EXPECT_LE(worst, 6) << c.space;
  }
}

TEST(CodecDCTTest, MarkersAndQualityClamping) {
  const auto image = Image(32, 16, 3);
  const auto jpeg = Encode(image, Params(32, 16, "DeviceRGB", 50));
  ASSERT_GT(jpeg.size(), 12u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[2], 0xFF);
  EXPECT_EQ(jpeg[3], 0xEE);
  EXPECT_EQ(std::memcmp(jpeg.data() + 6, "Adobe", 5), 0);
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
    EXPECT_FALSE(jpeg[i] == 0xFF && jpeg[i + 1] == 0xE0) << "JFIF marker at " << i;
  }
  EXPECT_EQ(Encode(image, Params(32, 16, "DeviceRGB", -5)),
            Encode(image, Params(32, 16, "DeviceRGB", 0)));
  EXPECT_EQ(Encode(image, Params(32, 16, "DeviceRGB", 9000)),
            Encode(image, Params(32, 16, "DeviceRGB", 5000)));
  EXPECT_NE(Encode(image, Params(32, 16, "DeviceRGB", 10)),
            Encode(image, Params(32, 16, "DeviceRGB", 200)));
}

TEST(CodecDCTTest, RefusesWhatItCannotCode) {
  const auto image = Image(8, 8, 3);
  VectorSink out;
  auto p = Params(8, 8, "DeviceRGB");
  p.bitsPerComponent = 1;
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), p, out));
  EXPECT_FALSE(CodecDCT::Decode(image.data(), image.size(), p, out));
  p.bitsPerComponent = 16;
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), p, out));
  for (const char* space : {"Indexed", "", "CalRGB", "Pattern"}) {
    EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), Params(8, 8, space), out)) << space;
  }
  // Data shorter than the image.
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size() - 1, Params(8, 8, "DeviceRGB"), out));
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), Params(0, 8, "DeviceRGB"), out));
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), Params(8, -1, "DeviceRGB"), out));
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), Params(70000, 1, "DeviceGray"), out));
  EXPECT_TRUE(out.bytes.empty());
  // Empty data: nothing to do.
  EXPECT_TRUE(CodecDCT::Encode(nullptr, 0, Params(8, 8, "DeviceRGB"), out));
  EXPECT_TRUE(CodecDCT::Decode(nullptr, 0, Params(8, 8, "DeviceRGB"), out));
  EXPECT_TRUE(out.bytes.empty());
}

TEST(CodecDCTTest, DamagedDataFailsWithoutEndingTheProcess) {
  const auto image = Image(64, 48, 3);
  const auto p = Params(64, 48, "DeviceRGB", 50);
  const auto jpeg = Encode(image, p);
  // Every cut fails: either the header is incomplete, or libjpeg reaches
  // the made-up end-of-image marker.
  for (size_t length = 1; length < jpeg.size(); length += 5) {
    VectorSink out;
    std::string error;
    EXPECT_FALSE(CodecDCT::Decode(jpeg.data(), length, p, out, &error)) << length;
    EXPECT_FALSE(error.empty());
  }
  // Not JPEG data at all.
  const std::vector<uint8_t> junk = {1, 2, 3, 4, 5, 6, 7, 8};
  VectorSink out;
  std::string error;
  EXPECT_FALSE(CodecDCT::Decode(junk.data(), junk.size(), p, out, &error));
  EXPECT_FALSE(error.empty());
  // Bytes of the entropy-coded data or the tables changed: any result but
  // a crash or an exit; a frame of absurd size is refused.
  for (size_t i = 2; i < jpeg.size(); i += 3) {
    std::vector<uint8_t> damaged = jpeg;
    damaged[i] ^= 0x5A;
    VectorSink sink;
    CodecDCT::Decode(damaged.data(), damaged.size(), p, sink);
  }
  // A sink that cannot take the output fails the call.
  VectorSink small(100);
  EXPECT_FALSE(CodecDCT::Decode(jpeg.data(), jpeg.size(), p, small));
  VectorSink smallOut(100);
  EXPECT_FALSE(CodecDCT::Encode(image.data(), image.size(), p, smallOut));
}

}  // namespace
