#include "pdf/object/internal/CodecCCITT.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdarg>
#include <string>
#include <vector>

namespace {

// A private folder for the codec's work files, to see that none is left.
class WorkFolder {
 public:
  WorkFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pnccittXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path = buffer.data();
  }
  ~WorkFolder() {
    for (const std::string& name : Entries()) unlink((path + "/" + name).c_str());
    rmdir(path.c_str());
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
      while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(dir);
    }
    return names;
  }
  std::string path;
};

// A bilevel test image of (width + 7) / 8 bytes per row with shapes that
// exercise long runs and short ones; the padding bits of each row are 0.
std::vector<uint8_t> Bilevel(int width, int height) {
  const int rowBytes = (width + 7) / 8;
  std::vector<uint8_t> rows(static_cast<size_t>(rowBytes * height), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool black =
          (x > y && x < 2 * y + 5) || ((x / 3 + y / 2) % 7 == 0) || (y == height / 2);
      if (black)
        rows[static_cast<size_t>(y * rowBytes + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return rows;
}

class CodecCCITTTest : public ::testing::Test {
 protected:
  CCITTParameters Params(int width, int height) const {
    CCITTParameters p;
    p.width = width;
    p.height = height;
    p.bitsPerComponent = 1;
    p.colorSpace = "DeviceGray";
    p.tempDirectory = work.path;
    return p;
  }
  WorkFolder work;
};

TEST_F(CodecCCITTTest, RoundTripForEachScheme) {
  const int width = 77;
  const int height = 41;
  const auto rows = Bilevel(width, height);
  for (int32_t k : {-1, 0, 5, -7}) {
    CCITTParameters p = Params(width, height);
    VectorSink coded;
    CCITTEncodeResult result;
    std::string error;
    ASSERT_TRUE(CodecCCITT::Encode(rows.data(), rows.size(), p, k, coded, result, &error))
        << k << " " << error;
    EXPECT_EQ(result.k, k == -1 ? -1 : (k == 0 ? 0 : 1));
    EXPECT_EQ(result.columns, width);
    EXPECT_TRUE(result.blackIs1);  // no Decode given
    EXPECT_FALSE(result.removeDecode);
    EXPECT_FALSE(result.unchanged);
    EXPECT_FALSE(coded.bytes.empty());
    EXPECT_LT(coded.bytes.size(), rows.size());

    p.hasK = true;
    p.k = result.k;
    p.blackIs1 = result.blackIs1;
    VectorSink decoded;
    bool setDecode = true;
    ASSERT_TRUE(
        CodecCCITT::Decode(coded.bytes.data(), coded.bytes.size(), p, decoded, setDecode, &error))
        << error;
    EXPECT_EQ(decoded.bytes, rows) << k;
    EXPECT_FALSE(setDecode);

    // Without BlackIs1 the rows come back the same and Decode becomes [1 0].
    p.blackIs1 = false;
    VectorSink again;
    ASSERT_TRUE(
        CodecCCITT::Decode(coded.bytes.data(), coded.bytes.size(), p, again, setDecode, &error))
        << error;
    EXPECT_EQ(again.bytes, rows);
    EXPECT_TRUE(setDecode);
  }
  EXPECT_TRUE(work.Entries().empty());
}

TEST_F(CodecCCITTTest, DecodeArrayAndParameterRules) {
  const auto rows = Bilevel(16, 4);
  CCITTParameters p = Params(16, 4);
  VectorSink out;
  CCITTEncodeResult result;

  p.decode = CCITTParameters::DecodeArray::Inverted;
  ASSERT_TRUE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
  EXPECT_TRUE(result.removeDecode);
  EXPECT_FALSE(result.blackIs1);

  p.decode = CCITTParameters::DecodeArray::Plain;
  ASSERT_TRUE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
  EXPECT_TRUE(result.removeDecode);
  EXPECT_TRUE(result.blackIs1);

  p.decode = CCITTParameters::DecodeArray::Other;
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));

  p = Params(16, 4);
  p.colorSpace = "DeviceRGB";
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
  p.colorSpace = "";
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));

  p = Params(16, 4);
  p.bitsPerComponent = 8;
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
  bool setDecode = false;
  p.hasK = true;
  EXPECT_FALSE(CodecCCITT::Decode(rows.data(), rows.size(), p, out, setDecode));

  // Geometry: short data, sizes out of range.
  p = Params(16, 4);
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size() - 1, p, 0, out, result));
  p = Params(0, 4);
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
  p = Params(16, -4);
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
  p = Params(2000000000, 2000000000);
  p.hasK = true;
  EXPECT_FALSE(CodecCCITT::Decode(rows.data(), rows.size(), p, out, setDecode));

  // Decoding needs K.
  p = Params(16, 4);
  EXPECT_FALSE(CodecCCITT::Decode(rows.data(), rows.size(), p, out, setDecode));

  // Empty data: success, nothing changes.
  VectorSink empty;
  ASSERT_TRUE(CodecCCITT::Encode(nullptr, 0, p, 0, empty, result));
  EXPECT_TRUE(result.unchanged);
  ASSERT_TRUE(CodecCCITT::Decode(nullptr, 0, p, empty, setDecode));
  EXPECT_FALSE(setDecode);
  EXPECT_TRUE(empty.bytes.empty());
  EXPECT_TRUE(work.Entries().empty());
}

int g_sentinelCalls = 0;
void Sentinel(const char*, const char*, va_list) { ++g_sentinelCalls; }

TEST_F(CodecCCITTTest, DamagedDataFailsCleanlyAndHandlersComeBack) {
  TIFFErrorHandler previousError = TIFFSetErrorHandler(&Sentinel);
  TIFFErrorHandler previousWarning = TIFFSetWarningHandler(&Sentinel);

  const auto rows = Bilevel(64, 32);
  CCITTParameters p = Params(64, 32);
  VectorSink coded;
  CCITTEncodeResult result;
  ASSERT_TRUE(CodecCCITT::Encode(rows.data(), rows.size(), p, -1, coded, result));
  p.hasK = true;
  p.k = -1;
  // Noise and cuts: any outcome but a crash, and a failure writes nothing.
  for (size_t length = 1; length < coded.bytes.size(); length += 3) {
    VectorSink out;
    bool setDecode = false;
    if (!CodecCCITT::Decode(coded.bytes.data(), length, p, out, setDecode)) {
      EXPECT_TRUE(out.bytes.empty());
    } else {
      EXPECT_EQ(out.bytes.size(), rows.size());
    }
  }
  std::vector<uint8_t> noise(300);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 151 + 7);
  for (int32_t k : {-1, 0, 1}) {
    p.k = k;
    VectorSink out;
    bool setDecode = false;
    std::string error;
    if (!CodecCCITT::Decode(noise.data(), noise.size(), p, out, setDecode, &error)) {
      EXPECT_FALSE(error.empty());
    }
  }
  EXPECT_EQ(g_sentinelCalls, 0);
  EXPECT_EQ(TIFFSetErrorHandler(previousError), &Sentinel);
  EXPECT_EQ(TIFFSetWarningHandler(previousWarning), &Sentinel);
  EXPECT_TRUE(work.Entries().empty());

  // A work folder that does not exist fails the call.
  p.tempDirectory = work.path + "/missing";
  VectorSink out;
  EXPECT_FALSE(CodecCCITT::Encode(rows.data(), rows.size(), p, 0, out, result));
}

}  // namespace
