#include "pdf/object/internal/CodecASCII.h"

#include <gtest/gtest.h>

#include "CodecTestUtil.h"

using namespace codec_test;

namespace {

std::string HexEncode(const Bytes& in) {
  Bytes out;
  EXPECT_TRUE(RunCodec(ASCIIHexEncodeBytes, in, out).ok);
  return ToText(out);
}

CodecResult HexDecode(const std::string& text, Bytes& out) {
  return RunCodec(ASCIIHexDecodeBytes, FromText(text), out);
}

std::string A85Encode(const Bytes& in) {
  Bytes out;
  EXPECT_TRUE(RunCodec(ASCII85EncodeBytes, in, out).ok);
  return ToText(out);
}

CodecResult A85Decode(const std::string& text, Bytes& out) {
  return RunCodec(ASCII85DecodeBytes, FromText(text), out);
}

}  // namespace

TEST(CodecASCIIHex, EncodesUpperCasePairsAndEndMarker) {
  EXPECT_EQ("00AB7FFF0A>", HexEncode({0x00, 0xAB, 0x7F, 0xFF, 0x0A}));
}

TEST(CodecASCIIHex, DecodesDigitsSkipsWhiteSpaceAndCompletesOddDigit) {
  Bytes out;
  ASSERT_TRUE(HexDecode("41 42 4>", out).ok);
  EXPECT_EQ((Bytes{0x41, 0x42, 0x40}), out);

  ASSERT_TRUE(HexDecode(std::string("a\tB\fc\rD\ne f\0 1>", 16), out).ok);
  EXPECT_EQ((Bytes{0xAB, 0xCD, 0xEF, 0x10}), out);

  // Without '>' the end of the data ends decoding; an odd digit still counts.
  ASSERT_TRUE(HexDecode("A", out).ok);
  EXPECT_EQ((Bytes{0xA0}), out);

  // Everything after '>' is ignored, invalid bytes included.
  ASSERT_TRUE(HexDecode("41>zz!!", out).ok);
  EXPECT_EQ((Bytes{0x41}), out);
}

TEST(CodecASCIIHex, InvalidCharacterFails) {
  Bytes out;
  CodecResult result = HexDecode("4G", out);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.message.find("0x47")) << result.message;
  EXPECT_FALSE(HexDecode("41\x80", out).ok);
  EXPECT_FALSE(HexDecode("41~>", out).ok);
}

TEST(CodecASCIIHex, PairSplitAcrossPiecesAndRoundTrips) {
  // 4095 digits and white space put the second digit of a pair into the
  // second 4096-byte piece.
  std::string text(4095, '1');
  text += "2>";
  Bytes out;
  ASSERT_TRUE(HexDecode(text, out).ok);
  ASSERT_EQ(2048u, out.size());
  EXPECT_EQ(0x11, out[0]);
  EXPECT_EQ(0x12, out.back());

  for (size_t n : RoundTripSizes()) {
    const Bytes data = RandomBytes(n, static_cast<uint32_t>(n));
    Bytes encoded, decoded;
    ASSERT_TRUE(RunCodec(ASCIIHexEncodeBytes, data, encoded).ok);
    EXPECT_EQ(n == 0 ? 0 : 2 * n + 1, encoded.size());
    ASSERT_TRUE(RunCodec(ASCIIHexDecodeBytes, encoded, decoded).ok) << n;
    EXPECT_EQ(data, decoded) << n;
  }
}

TEST(CodecASCII85, EncodesTheKnownExamples) {
  EXPECT_EQ("z~>", A85Encode({0, 0, 0, 0}));
  EXPECT_EQ("@:E^~>", A85Encode(FromText("abc")));
  // A final partial group of zero bytes is never 'z'.
  EXPECT_EQ("!!!!~>", A85Encode({0, 0, 0}));
  EXPECT_EQ("s8W-!~>", A85Encode({0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ("87cURzs8W-!~>", A85Encode({'H', 'e', 'l', 'l', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(CodecASCII85, DecodesPartialGroupsWithHighestDigitPadding) {
  Bytes out;
  ASSERT_TRUE(A85Decode("@:E^~>", out).ok);
  EXPECT_EQ("abc", ToText(out));  // zero-digit padding would give "abb"
  ASSERT_TRUE(A85Decode("z~>", out).ok);
  EXPECT_EQ((Bytes{0, 0, 0, 0}), out);
  ASSERT_TRUE(A85Decode("!!!!~>", out).ok);
  EXPECT_EQ((Bytes{0, 0, 0}), out);
  // White space inside a group and before the marker; data after it ignored.
  ASSERT_TRUE(A85Decode(" 8 7\tc\r\nU R\f~ >garbage{", out).ok);
  EXPECT_EQ("Hell", ToText(out));
  // The end of the data without "~>" also ends decoding.
  ASSERT_TRUE(A85Decode("@:E^", out).ok);
  EXPECT_EQ("abc", ToText(out));
  // Without the '~' mark, '>' is an ordinary digit (value 29).
  ASSERT_TRUE(A85Decode(">>>>>~>", out).ok);
  EXPECT_EQ(4u, out.size());
}

TEST(CodecASCII85, MalformedInputFails) {
  Bytes out;
  EXPECT_FALSE(A85Decode("!z~>", out).ok) << "'z' after a pending digit";
  EXPECT_FALSE(A85Decode("87cUR!~>", out).ok) << "a single digit in the last group";
  EXPECT_FALSE(A85Decode("!", out).ok);
  EXPECT_FALSE(A85Decode("@:~~>", out).ok) << "second '~'";
  EXPECT_FALSE(A85Decode("@:~E^", out).ok) << "'~' inside the data";
  EXPECT_FALSE(A85Decode("@:E^~ z~>", out).ok) << "'~' followed by 'z'";
  EXPECT_FALSE(A85Decode("@:v~>", out).ok) << "'v' is no digit";
  EXPECT_FALSE(A85Decode("@:\x7F", out).ok);
}

TEST(CodecASCII85, GroupsAbove32BitsFail) {
  Bytes out;
  ASSERT_TRUE(A85Decode("s8W-!~>", out).ok);
  EXPECT_EQ((Bytes{0xFF, 0xFF, 0xFF, 0xFF}), out);
  CodecResult result = A85Decode("s8W-\"~>", out);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.message.find("32 bits")) << result.message;
  EXPECT_FALSE(A85Decode("uuuuu~>", out).ok);
  EXPECT_FALSE(A85Decode("uuuu~>", out).ok) << "a padded last group above 32 bits";
}

TEST(CodecASCII85, ZeroGroupsFillTheWholeOutputPiece) {
  // 'z' gives four bytes per input byte, the most any piece can produce.
  std::string text(10000, 'z');
  text += "~>";
  Bytes out;
  ASSERT_TRUE(A85Decode(text, out).ok);
  EXPECT_EQ(Bytes(40000, 0), out);
}

TEST(CodecASCII85, GroupsSplitAcrossPiecesAndRoundTrips) {
  // 4096 is not a multiple of 5, so decoding carries groups between pieces.
  for (size_t n : RoundTripSizes()) {
    for (uint32_t seed : {1u, 2u}) {
      const Bytes data = seed == 1 ? RandomBytes(n, static_cast<uint32_t>(n)) : RunnyBytes(n, 7);
      Bytes encoded, decoded;
      ASSERT_TRUE(RunCodec(ASCII85EncodeBytes, data, encoded).ok);
      ASSERT_TRUE(RunCodec(ASCII85DecodeBytes, encoded, decoded).ok) << n;
      EXPECT_EQ(data, decoded) << n;
    }
  }
  // Line breaks inserted by another writer are skipped.
  const Bytes data = RandomBytes(5000, 3);
  Bytes encoded, decoded;
  ASSERT_TRUE(RunCodec(ASCII85EncodeBytes, data, encoded).ok);
  Bytes wrapped;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (i % 64 == 63) wrapped.push_back('\n');
    wrapped.push_back(encoded[i]);
  }
  ASSERT_TRUE(RunCodec(ASCII85DecodeBytes, wrapped, decoded).ok);
  EXPECT_EQ(data, decoded);
}

TEST(CodecASCII, EmptyInputProducesNothing) {
  for (CodecFunction codec :
       {ASCIIHexEncodeBytes, ASCIIHexDecodeBytes, ASCII85EncodeBytes, ASCII85DecodeBytes}) {
    VectorSink sink;
    EXPECT_TRUE(codec(nullptr, 0, sink).ok);
    EXPECT_EQ(0u, sink.Size());
  }
}
