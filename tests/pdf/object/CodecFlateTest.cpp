#include "pdf/object/CodecFlate.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <zlib.h>

#include <algorithm>

#include "CodecTestUtil.h"

using namespace codec_test;

namespace {

Bytes Encode(const Bytes& in) {
  Bytes out;
  EXPECT_TRUE(RunCodec(FlateEncodeBytes, in, out).ok);
  return out;
}

CodecResult Decode(const Bytes& in, Bytes& out, const FlateDecodeOptions& options = {}) {
  VectorSink sink;
  CodecResult result = FlateDecodeBytes(in.data(), in.size(), sink, options);
  out = std::move(sink.bytes);
  return result;
}

// zlib's own one-call compression at the default level, for comparison.
Bytes Compress(const Bytes& in) {
  uLongf size = compressBound(static_cast<uLong>(in.size()));
  Bytes out(size);
  EXPECT_EQ(Z_OK, compress2(out.data(), &size, in.data(), static_cast<uLong>(in.size()),
                            Z_DEFAULT_COMPRESSION));
  out.resize(size);
  return out;
}

}  // namespace

TEST(CodecFlate, EncodesAZlibStreamAtTheDefaultLevel) {
  const Bytes data = RunnyBytes(50000, 3);
  const Bytes coded = Encode(data);
  ASSERT_GE(coded.size(), 6u);
  EXPECT_EQ(0x78, coded[0]);
  EXPECT_EQ(0x9C, coded[1]);
  // Feeding deflate in 4096-byte pieces gives the same bytes as one call.
  EXPECT_EQ(Compress(data), coded);
}

TEST(CodecFlate, RoundTrips) {
  for (size_t n : RoundTripSizes()) {
    for (const Bytes& data : {RandomBytes(n, static_cast<uint32_t>(n)), RunnyBytes(n, 5)}) {
      Bytes coded = Encode(data);
      Bytes decoded;
      ASSERT_TRUE(Decode(coded, decoded).ok) << n;
      EXPECT_EQ(data, decoded) << n;
    }
  }
  // Highly compressible data: the output of one input piece fills many
  // output buffers.
  const Bytes zeros(3'000'000, 0);
  Bytes decoded;
  ASSERT_TRUE(Decode(Encode(zeros), decoded).ok);
  EXPECT_EQ(zeros, decoded);
}

TEST(CodecFlate, TrailingBytesAfterTheStreamAreIgnored) {
  const Bytes data = RandomBytes(5000, 9);
  Bytes coded = Encode(data);
  coded.insert(coded.end(), {'\r', '\n', 'j', 'u', 'n', 'k'});
  coded.insert(coded.end(), 9000, 0xFF);
  Bytes decoded;
  ASSERT_TRUE(Decode(coded, decoded).ok);
  EXPECT_EQ(data, decoded);
}

TEST(CodecFlate, CorruptAndTruncatedDataFail) {
  const Bytes data = RunnyBytes(20000, 4);
  const Bytes coded = Encode(data);
  Bytes decoded;

  Bytes badHeader = coded;
  badHeader[0] = 0x00;
  CodecResult result = Decode(badHeader, decoded);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.message.empty());

  Bytes badChecksum = coded;
  badChecksum.back() ^= 0x01;
  EXPECT_FALSE(Decode(badChecksum, decoded).ok);

  Bytes garbage = coded;
  for (size_t i = 10; i < garbage.size() - 4; i += 3) garbage[i] = 0xFF;
  EXPECT_FALSE(Decode(garbage, decoded).ok);

  for (size_t keep : {size_t{1}, size_t{2}, coded.size() / 2, coded.size() - 1}) {
    Bytes truncated(coded.begin(), coded.begin() + static_cast<long>(keep));
    result = Decode(truncated, decoded);
    EXPECT_FALSE(result.ok) << keep;
  }
  EXPECT_NE(std::string::npos, result.message.find("ends before")) << result.message;

  EXPECT_FALSE(Decode(RandomBytes(4000, 1), decoded).ok);

  // A header that asks for a preset dictionary (flag 0x20, dictionary id 1).
  result = Decode({0x78, 0xBB, 0x00, 0x00, 0x00, 0x01, 0x03, 0x00}, decoded);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.message.find("dictionary")) << result.message;
}

TEST(CodecFlate, OutputLimitStopsABomb) {
  // 16 MiB of zeros deflate to about 16 KiB.
  const Bytes bomb = Encode(Bytes(16u << 20, 0));
  ASSERT_LT(bomb.size(), 40000u);
  FlateDecodeOptions options;
  options.outputLimit = 1u << 20;
  Bytes decoded;
  CodecResult result = Decode(bomb, decoded, options);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.message.find("limit")) << result.message;
  EXPECT_LE(decoded.size(), options.outputLimit);

  // Exactly the limit is allowed; one byte less is not.
  const Bytes data = RunnyBytes(100000, 8);
  const Bytes coded = Encode(data);
  options.outputLimit = data.size();
  ASSERT_TRUE(Decode(coded, decoded, options).ok);
  EXPECT_EQ(data, decoded);
  options.outputLimit = data.size() - 1;
  EXPECT_FALSE(Decode(coded, decoded, options).ok);
}

TEST(CodecFlate, PredictorsAreRefused) {
  const Bytes coded = Encode(FromText("plain data"));
  Bytes decoded;
  FlateDecodeOptions options;
  options.predictor = 1;
  EXPECT_TRUE(Decode(coded, decoded, options).ok);
  for (int predictor : {2, 10, 12, 15, 0, -1}) {
    options.predictor = predictor;
    CodecResult result = Decode(coded, decoded, options);
    EXPECT_FALSE(result.ok) << predictor;
    EXPECT_NE(std::string::npos, result.message.find("predictor")) << result.message;
  }
}

TEST(CodecFlate, EmptyInputAndFullSink) {
  VectorSink sink;
  EXPECT_TRUE(FlateEncodeBytes(nullptr, 0, sink).ok);
  EXPECT_TRUE(FlateDecodeBytes(nullptr, 0, sink).ok);
  EXPECT_EQ(0u, sink.Size());

  const Bytes data = RandomBytes(20000, 2);
  VectorSink small(1000);
  EXPECT_FALSE(FlateEncodeBytes(data.data(), data.size(), small).ok);
  const Bytes coded = Encode(data);
  VectorSink small2(1000);
  CodecResult result = FlateDecodeBytes(coded.data(), coded.size(), small2);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.message.find("could not grow")) << result.message;
}

namespace {

Bytes EncodePieces(const Bytes& in, unsigned threads) {
  VectorSink sink;
  EXPECT_TRUE(FlateEncodePieces(in.data(), in.size(), sink, threads).ok);
  return std::move(sink.bytes);
}

// zlib's own one-call decompression, independent of the library's decoder.
bool Uncompress(const Bytes& coded, size_t size, Bytes& out) {
  out.assign(size + 1, 0);
  uLongf length = static_cast<uLongf>(out.size());
  if (uncompress(out.data(), &length, coded.data(), static_cast<uLong>(coded.size())) != Z_OK)
    return false;
  out.resize(length);
  return true;
}

// Runs of bytes with repeats reaching back across piece boundaries: a piece
// whose dictionary were missing or wrong would decode differently.
Bytes Repeating(size_t n, uint32_t seed) {
  const Bytes motif = RunnyBytes(5000, seed);
  Bytes bytes = RandomBytes(n, seed);
  for (size_t i = 0; i < n; ++i)
    if ((i / 3000) % 3 != 0) bytes[i] = motif[i % motif.size()];
  return bytes;
}

}  // namespace

TEST(CodecFlatePieces, OutputIsTheSameForEveryThreadCount) {
  const Bytes data = Repeating(6 * kFlatePieceSize + 12345, 21);
  const Bytes one = EncodePieces(data, 1);
  for (unsigned threads : {2u, 3u, 8u, 0u}) EXPECT_EQ(one, EncodePieces(data, threads)) << threads;
  // Above the threshold the plain entry point takes the pieces.
  const Bytes big = Repeating(kFlateParallelThreshold + 1, 22);
  EXPECT_EQ(EncodePieces(big, 1), Encode(big));
  // Up to it, one deflate call over the whole data.
  const Bytes small = Repeating(kFlateParallelThreshold, 23);
  EXPECT_EQ(Compress(small), Encode(small));
}

TEST(CodecFlatePieces, WorkersNumberTheCPUsTheThreadMayUse) {
  cpu_set_t all;
  CPU_ZERO(&all);
  ASSERT_EQ(0, sched_getaffinity(0, sizeof all, &all));
  const int usable = CPU_COUNT(&all);
  EXPECT_EQ(FlateDefaultThreads(), static_cast<unsigned>(std::min(usable, 32)));
  // Limited as taskset or a container's CPU set limits it, to the first
  // one, two and three of its CPUs.
  for (int n = 1; n <= 3 && n <= usable; ++n) {
    cpu_set_t fewer;
    CPU_ZERO(&fewer);
    for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < n; ++cpu) {
      if (CPU_ISSET(cpu, &all)) {
        CPU_SET(cpu, &fewer);
        ++taken;
      }
    }
    ASSERT_EQ(0, sched_setaffinity(0, sizeof fewer, &fewer));
    EXPECT_EQ(FlateDefaultThreads(), static_cast<unsigned>(n));
  }
  ASSERT_EQ(0, sched_setaffinity(0, sizeof all, &all));
}

TEST(CodecFlatePieces, DecodesAroundEveryPieceBoundary) {
  const size_t p = kFlatePieceSize;
  for (size_t n :
       {size_t{0}, size_t{1}, p - 1, p, p + 1, 2 * p - 1, 2 * p, 2 * p + 1, 5 * p + 777}) {
    const Bytes data = Repeating(n, static_cast<uint32_t>(n));
    const Bytes coded = EncodePieces(data, 3);
    if (n == 0) {
      EXPECT_TRUE(coded.empty());
      continue;
    }
    ASSERT_GE(coded.size(), 6u) << n;
    EXPECT_EQ(0x78, coded[0]);
    EXPECT_EQ(0x9C, coded[1]);
    Bytes decoded;
    ASSERT_TRUE(Decode(coded, decoded).ok) << n;
    EXPECT_EQ(data, decoded) << n;
    ASSERT_TRUE(Uncompress(coded, n, decoded)) << n;
    EXPECT_EQ(data, decoded) << n;
  }
  // Zeros across many pieces: every piece's output is tiny, the joins and
  // the combined checksum still hold.
  const Bytes zeros(9 * p + 5, 0);
  Bytes decoded;
  ASSERT_TRUE(Uncompress(EncodePieces(zeros, 4), zeros.size(), decoded));
  EXPECT_EQ(zeros, decoded);
}

TEST(CodecFlatePieces, SizeStaysWithinOnePercentOfOneCall) {
  for (uint32_t seed : {31u, 32u}) {
    const Bytes data =
        seed == 31 ? RunnyBytes(8 * kFlatePieceSize, seed) : Repeating(8 * kFlatePieceSize, seed);
    const double whole = static_cast<double>(Compress(data).size());
    const double pieces = static_cast<double>(EncodePieces(data, 0).size());
    EXPECT_LT(pieces, whole * 1.01) << seed;
  }
}

TEST(CodecFlatePieces, AFullSinkStopsTheWorkers) {
  const Bytes data = RandomBytes(12 * kFlatePieceSize, 41);
  for (unsigned threads : {1u, 4u}) {
    VectorSink small(kFlatePieceSize);
    CodecResult result = FlateEncodePieces(data.data(), data.size(), small, threads);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(std::string::npos, result.message.find("could not grow")) << result.message;
  }
}

namespace {

// No announcement of the size to come.
constexpr size_t kNever = SIZE_MAX;

// The data fed to the streaming encoder in parts of `part` bytes, after
// announcing `announced` bytes before the first part (announceAt 0), once
// `announceAt` bytes have gone, or never (kNever).
Bytes EncodeInParts(const Bytes& in, size_t part, unsigned threads, size_t announced = 0,
                    size_t announceAt = kNever) {
  VectorSink sink;
  FlateEncoder encoder(sink, threads);
  for (size_t at = 0; at < in.size(); at += part) {
    if (at == announceAt) encoder.Expect(announced);
    EXPECT_TRUE(encoder.Put(in.data() + at, std::min(part, in.size() - at)).ok);
  }
  if (in.empty() && announceAt == 0) encoder.Expect(announced);
  EXPECT_TRUE(encoder.Finish().ok);
  return std::move(sink.bytes);
}

}  // namespace

TEST(CodecFlateStream, OutputEqualsTheOneCallEncoderForAnyParts) {
  const size_t p = kFlatePieceSize;
  const size_t t = kFlateParallelThreshold;
  for (size_t n : {size_t{0}, size_t{1}, t - 1, t, t + 1, t + p, t + p + 1, 6 * p + 12345}) {
    const Bytes data = Repeating(n, static_cast<uint32_t>(n + 7));
    const Bytes whole = Encode(data);
    for (size_t part : {size_t{4093}, p, t + 3, n + 1}) {
      EXPECT_EQ(whole, EncodeInParts(data, part, 3)) << n << " in parts of " << part;
    }
  }
  // Single bytes across the switch to pieces, and every thread count.
  const Bytes data = Repeating(t + p + 5, 9);
  EXPECT_EQ(Encode(data), EncodeInParts(data, 1, 2));
  for (unsigned threads : {1u, 8u, 0u})
    EXPECT_EQ(Encode(data), EncodeInParts(data, 65536, threads)) << threads;
}

TEST(CodecFlateStream, TheCallersBytesAreFreeOnceAPutReturns) {
  // A first part past the threshold is compressed where it lies: the call
  // returns only when nothing reads it any more, so the caller may reuse it.
  const size_t n = kFlateParallelThreshold + kFlatePieceSize + 777;
  const Bytes data = RandomBytes(n + 5000, 51);
  for (unsigned threads : {1u, 4u}) {
    VectorSink sink;
    FlateEncoder encoder(sink, threads);
    Bytes scratch(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    ASSERT_TRUE(encoder.Put(scratch.data(), scratch.size()).ok);
    std::fill(scratch.begin(), scratch.end(), uint8_t{0xA5});
    scratch.assign(data.begin() + static_cast<std::ptrdiff_t>(n), data.end());
    ASSERT_TRUE(encoder.Put(scratch.data(), scratch.size()).ok);
    scratch.assign(scratch.size(), uint8_t{0x5A});
    ASSERT_TRUE(encoder.Finish().ok);
    EXPECT_EQ(Encode(data), sink.bytes) << threads;
  }
  // A sink that fails while those pieces are written ends the call cleanly.
  VectorSink small(1000);
  FlateEncoder failing(small, 4);
  Bytes scratch(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
  EXPECT_FALSE(failing.Put(scratch.data(), scratch.size()).ok);
  scratch.clear();
  scratch.shrink_to_fit();
  EXPECT_FALSE(failing.Finish().ok);
}

TEST(CodecFlateStream, AFailureSticksAndNothingFollowsTheEnd) {
  const Bytes data = RandomBytes(8 * kFlatePieceSize, 43);
  VectorSink small(kFlatePieceSize);
  FlateEncoder encoder(small, 4);
  CodecResult result;
  for (size_t at = 0; at < data.size() && result.ok; at += 100000) {
    result = encoder.Put(data.data() + at, std::min<size_t>(100000, data.size() - at));
  }
  if (result.ok) result = encoder.Finish();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(std::string::npos, result.message.find("could not grow")) << result.message;
  EXPECT_FALSE(encoder.Put(data.data(), 1).ok);
  EXPECT_FALSE(encoder.Finish().ok);

  VectorSink sink;
  FlateEncoder done(sink);
  ASSERT_TRUE(done.Put(data.data(), 10).ok);
  ASSERT_TRUE(done.Finish().ok);
  EXPECT_FALSE(done.Put(data.data(), 1).ok);
  Bytes decoded;
  ASSERT_TRUE(Decode(sink.bytes, decoded).ok);
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 10), decoded);
}

TEST(CodecFlateStream, AnAnnouncedSizeChangesNothingInTheOutput) {
  // Pieces compressed ahead on an announcement are written only when the data
  // do pass the threshold: a wrong announcement, in either direction and on
  // either side of the threshold, still gives the output of the one-call
  // encoder.
  const size_t p = kFlatePieceSize;
  const size_t t = kFlateParallelThreshold;
  for (size_t n : {size_t{0}, size_t{1}, p + 7, t - 1, t, t + 1, t + p / 7, 5 * p + 3}) {
    const Bytes data = Repeating(n, static_cast<uint32_t>(n + 11));
    const Bytes whole = Encode(data);
    for (size_t announced :
         {n, n + 1, n > 0 ? n - 1 : 0, n / 2, 2 * n + p, t + 1, size_t{1} << 31, SIZE_MAX}) {
      for (unsigned threads : {1u, 3u}) {
        EXPECT_EQ(whole, EncodeInParts(data, 65536, threads, announced, 0))
            << n << " announced as " << announced << " on " << threads << " threads";
      }
    }
    // Parts that are not whole rows of the pieces, and one part with it all.
    EXPECT_EQ(whole, EncodeInParts(data, 4093, 4, n, 0)) << n;
    EXPECT_EQ(whole, EncodeInParts(data, n + 1, 4, n, 0)) << n;
  }
  // Announced once part of the data has gone, as a reader that learns the
  // size late does: what follows counts from there.
  const Bytes data = Repeating(4 * p + 100, 71);
  const Bytes whole = Encode(data);
  EXPECT_EQ(whole, EncodeInParts(data, 65536, 4, 3 * p + 100, p));
  EXPECT_EQ(whole, EncodeInParts(data, 65536, 4, 10, p));
  // Data announced large that end within the threshold decode to the input.
  const Bytes small = Repeating(3 * p + 5, 72);
  const Bytes coded = EncodeInParts(small, 50000, 0, 40 * p, 0);
  Bytes decoded;
  ASSERT_TRUE(Decode(coded, decoded).ok);
  EXPECT_EQ(small, decoded);
  EXPECT_EQ(Compress(small), coded);
}

TEST(CodecFlateStream, AFailingSinkAfterAnAnnouncementFailsCleanly) {
  // Pieces compressed ahead hold their output: the sink sees the failure only
  // once they are written, and every call then answers it.
  const Bytes data = RandomBytes(6 * kFlatePieceSize, 73);
  for (unsigned threads : {1u, 4u}) {
    VectorSink small(kFlatePieceSize / 2);
    FlateEncoder encoder(small, threads);
    encoder.Expect(data.size());
    CodecResult result;
    for (size_t at = 0; at < data.size() && result.ok; at += 30000)
      result = encoder.Put(data.data() + at, std::min<size_t>(30000, data.size() - at));
    if (result.ok) result = encoder.Finish();
    EXPECT_FALSE(result.ok) << threads;
    EXPECT_NE(std::string::npos, result.message.find("could not grow")) << result.message;
    EXPECT_FALSE(encoder.Finish().ok);
  }
  // Dropped before anything is written: an encoder ended without Finish,
  // with whole pieces and one being filled that a worker waits on.
  for (size_t n : {3 * kFlatePieceSize, 3 * kFlatePieceSize + 100}) {
    VectorSink sink;
    {
      FlateEncoder encoder(sink, 4);
      encoder.Expect(data.size());
      ASSERT_TRUE(encoder.Put(data.data(), n).ok);
    }
    EXPECT_TRUE(sink.bytes.empty()) << n;
  }
  // Past the threshold, ended while a worker waits on the piece being
  // filled: the encoder stops it and ends cleanly.
  VectorSink sink;
  {
    FlateEncoder encoder(sink, 4);
    for (size_t at = 0; at < kFlateParallelThreshold + 5000; at += 5000)
      ASSERT_TRUE(encoder.Put(data.data() + at, 5000).ok);
  }
}
