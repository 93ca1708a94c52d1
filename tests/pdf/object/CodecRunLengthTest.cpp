#include "pdf/object/internal/CodecRunLength.h"

#include <gtest/gtest.h>

#include "CodecTestUtil.h"

using namespace codec_test;

namespace {

Bytes Encode(const Bytes& in) {
  Bytes out;
  EXPECT_TRUE(RunCodec(RunLengthEncodeBytes, in, out).ok);
  return out;
}

Bytes Decode(const Bytes& in) {
  Bytes out;
  EXPECT_TRUE(RunCodec(RunLengthDecodeBytes, in, out).ok);
  return out;
}

// The coded form of one piece of input as the coder must write it, built
// step by step from its runs: used to check the piece rule byte for byte.
void AppendRun(Bytes& out, uint8_t value, size_t count) {
  while (count > 0) {
    const size_t part = std::min<size_t>(count, 128);
    out.push_back(part == 1 ? 0 : static_cast<uint8_t>(257 - part));
    out.push_back(value);
    count -= part;
  }
}

}  // namespace

TEST(CodecRunLength, EncodesTheKnownExamples) {
  EXPECT_EQ((Bytes{0x81, 0x00, 0xFF, 0x00, 0x80}), Encode(Bytes(130, 0x00)));
  EXPECT_EQ((Bytes{0x02, 0x01, 0x01, 0x02, 0x80}), Encode({0x01, 0x01, 0x02}));
  // Three equal bytes are a run; a run of 129 leaves a one-byte literal rest.
  EXPECT_EQ((Bytes{0xFE, 0x07, 0x80}), Encode({7, 7, 7}));
  EXPECT_EQ((Bytes{0x81, 0x05, 0x00, 0x05, 0x80}), Encode(Bytes(129, 0x05)));
  // Literal, run, literal.
  EXPECT_EQ((Bytes{0x01, 1, 2, 0xFD, 9, 0x01, 3, 3, 0x80}), Encode({1, 2, 9, 9, 9, 9, 3, 3}));
}

TEST(CodecRunLength, LongLiteralsSplitAt128) {
  Bytes data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 5);
  const Bytes coded = Encode(data);
  ASSERT_EQ(300u + 3u + 1u, coded.size());
  EXPECT_EQ(127, coded[0]);
  EXPECT_EQ(127, coded[129]);
  EXPECT_EQ(43, coded[258]);
  EXPECT_EQ(0x80, coded.back());
}

TEST(CodecRunLength, RunsNeverCrossAPieceBoundary) {
  // 4094 alternating bytes and four zeros: the first piece ends in two zeros
  // and the second starts with two, each a literal of its own, not a run of 4.
  Bytes data;
  for (size_t i = 0; i < 4094; ++i) data.push_back(i % 2 ? 0x55 : 0x00);
  data.insert(data.end(), 4, 0x00);
  const Bytes coded = Encode(data);
  const Bytes tail = {0x01, 0x00, 0x00, 0x80};
  ASSERT_GT(coded.size(), tail.size() + 4);
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), coded.end() - 4));
  // The first piece's literal (4094 alternating bytes + two zeros) ends the same.
  EXPECT_EQ(0x00, coded[coded.size() - 5]);
  EXPECT_EQ(0x00, coded[coded.size() - 6]);
  EXPECT_EQ(data, Decode(coded));

  // 5000 equal bytes: a run of 4096 in the first piece, 904 in the second.
  Bytes expected;
  AppendRun(expected, 'a', 4096);
  AppendRun(expected, 'a', 904);
  expected.push_back(0x80);
  EXPECT_EQ(expected, Encode(Bytes(5000, 'a')));

  // A run that starts two bytes before the cut: 2 stay in the first piece's
  // literal, the rest is a run of the second piece.
  Bytes mixed;
  for (size_t i = 0; i < 4094; ++i) mixed.push_back(static_cast<uint8_t>(i % 2));
  mixed.insert(mixed.end(), 10, 0xEE);
  const Bytes coded2 = Encode(mixed);
  const Bytes tail2 = {0xF9, 0xEE, 0x80};
  EXPECT_TRUE(std::equal(tail2.begin(), tail2.end(), coded2.end() - 3));
  EXPECT_EQ(mixed, Decode(coded2));
}

TEST(CodecRunLength, DecodesLiteralsRepeatsAndEnd) {
  EXPECT_EQ((Bytes{1, 2, 3, 9, 9, 9}), Decode({0x02, 1, 2, 3, 0xFE, 9, 0x80}));
  EXPECT_EQ(Bytes(128, 4), Decode({0x81, 4, 0x80}));
  // Everything after the end-of-data byte is ignored.
  EXPECT_EQ((Bytes{5}), Decode({0x00, 5, 0x80, 0x02, 1, 2, 3}));
  // Without the end-of-data byte the end of the input ends decoding.
  EXPECT_EQ((Bytes{5, 5}), Decode({0xFF, 5}));
}

TEST(CodecRunLength, TruncatedInputKeepsWhatIsThere) {
  // A literal of 5 with only 2 bytes present, a repeat without its byte.
  EXPECT_EQ((Bytes{1, 2}), Decode({0x04, 1, 2}));
  EXPECT_EQ((Bytes{1}), Decode({0x00, 1, 0xF0}));
  EXPECT_EQ(Bytes(), Decode({0x80}));
}

TEST(CodecRunLength, LargeRepeatOutputIsFlushedInPieces) {
  // Every two input bytes give 128 output bytes: 64 times the input.
  Bytes coded;
  for (int i = 0; i < 2000; ++i) {
    coded.push_back(0x81);
    coded.push_back(static_cast<uint8_t>(i));
  }
  const Bytes out = Decode(coded);
  ASSERT_EQ(2000u * 128u, out.size());
  EXPECT_EQ(static_cast<uint8_t>(1999), out.back());
  EXPECT_EQ(0, out[0]);
}

TEST(CodecRunLength, RoundTrips) {
  for (size_t n : RoundTripSizes()) {
    for (const Bytes& data :
         {RandomBytes(n, static_cast<uint32_t>(n)), RunnyBytes(n, 11), Bytes(n, 0x42)}) {
      const Bytes coded = Encode(data);
      EXPECT_EQ(data, Decode(coded)) << n;
      if (n > 0) {
        EXPECT_EQ(0x80, coded.back());
      }
    }
  }
}

TEST(CodecRunLength, EmptyInputAndFullSink) {
  VectorSink sink;
  EXPECT_TRUE(RunLengthEncodeBytes(nullptr, 0, sink).ok);
  EXPECT_TRUE(RunLengthDecodeBytes(nullptr, 0, sink).ok);
  EXPECT_EQ(0u, sink.Size());

  const Bytes data = RandomBytes(9000, 1);
  VectorSink small(50);
  EXPECT_FALSE(RunLengthEncodeBytes(data.data(), data.size(), small).ok);
  const Bytes coded = {0x81, 1, 0x81, 2};
  VectorSink small2(200);
  EXPECT_FALSE(RunLengthDecodeBytes(coded.data(), coded.size(), small2).ok);
}
