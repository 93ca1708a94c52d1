#pragma once
// What the fuzz targets share: a check that stops the process on a broken
// property (so the fuzzer, and the replay runner under CTest, report it), the
// seed list every target fills, and helpers for the codec targets.
//
// Every target file fuzz_<name>.cpp defines
//   extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
//   void FuzzSeeds(FuzzSeedList& seeds);
// The first is what libFuzzer and the replay runner call; the second lists
// small valid inputs of every kind the target reads, from which the seed
// corpus is made (written by "fuzz_replay_<name> --write-seeds DIR").
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "pdf/object/ByteSink.h"
#include "pdf/object/CodecResult.h"

namespace fuzz {

using Bytes = std::vector<uint8_t>;

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace fuzz

// Stops the process when a property of the code under test does not hold.
#define FUZZ_CHECK(cond)                                  \
  do {                                                    \
    if (!(cond)) ::fuzz::Fail(__FILE__, __LINE__, #cond); \
  } while (0)

// Named seed inputs of one target. Names become file names in the seed corpus.
class FuzzSeedList {
 public:
  void Add(std::string name, fuzz::Bytes bytes) {
    items_.emplace_back(std::move(name), std::move(bytes));
  }
  void Add(std::string name, const std::string& text) {
    Add(std::move(name), fuzz::Bytes(text.begin(), text.end()));
  }
  const std::vector<std::pair<std::string, fuzz::Bytes>>& Items() const { return items_; }

 private:
  std::vector<std::pair<std::string, fuzz::Bytes>> items_;
};

// Defined by every target file.
void FuzzSeeds(FuzzSeedList& seeds);

namespace fuzz {

using CodecFunction = CodecResult (*)(const uint8_t*, size_t, ByteSink&);

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Plain inputs of the shapes the codecs treat specially: empty, single bytes,
// text, runs, zero groups, every byte value, random data, and sizes around
// the 4096-byte pieces the codecs work in.
inline std::vector<std::pair<std::string, Bytes>> PlainSamples() {
  std::vector<std::pair<std::string, Bytes>> samples;
  samples.emplace_back("empty", Bytes{});
  samples.emplace_back("one-byte", Bytes{0x41});
  samples.emplace_back("zero-group", Bytes(4, 0));
  samples.emplace_back("text", Text("The quick brown fox jumps over the lazy dog.\n"));
  Bytes all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  samples.emplace_back("all-bytes", all);
  samples.emplace_back("run-200", Bytes(200, 0x55));
  std::mt19937 engine(15);
  Bytes random(300);
  for (auto& b : random) b = static_cast<uint8_t>(engine());
  samples.emplace_back("random-300", random);
  // Runs of varying length and value with zero groups, crossing a piece
  // boundary.
  Bytes runny;
  while (runny.size() < 4100) {
    const size_t run = 1 + engine() % 140;
    const uint8_t value = engine() % 3 == 0 ? 0 : static_cast<uint8_t>(engine());
    runny.insert(runny.end(), run, value);
  }
  runny.resize(4100);
  samples.emplace_back("runs-4100", runny);
  return samples;
}

// Runs a codec into a vector; aborts if it fails where it must not.
inline Bytes MustRun(CodecFunction codec, const Bytes& in) {
  VectorSink sink;
  const CodecResult result = codec(in.data(), in.size(), sink);
  FUZZ_CHECK(result.ok);
  return std::move(sink.bytes);
}

// Each plain sample, and its encoded form, as seeds of a decoder target.
inline void AddCodecSeeds(FuzzSeedList& seeds, CodecFunction encode) {
  for (const auto& [name, bytes] : PlainSamples()) {
    seeds.Add("plain-" + name, bytes);
    seeds.Add("encoded-" + name, MustRun(encode, bytes));
  }
}

// Decodes input with a sink that accepts only limit bytes and checks that the
// call fails exactly when the full output (full) is longer, and that what
// reached the sink is a start of the full output.
template <typename Decode>
void CheckLimitedSink(Decode decode, const Bytes& full, size_t limit) {
  VectorSink limited(limit);
  const CodecResult result = decode(limited);
  FUZZ_CHECK(result.ok == (full.size() <= limit));
  FUZZ_CHECK(result.ok == result.message.empty());
  FUZZ_CHECK(limited.bytes.size() <= limit);
  FUZZ_CHECK(limited.bytes.size() <= full.size());
  FUZZ_CHECK(std::equal(limited.bytes.begin(), limited.bytes.end(), full.begin()));
}

// What every codec target checks on its input:
// - decoding never fails silently: a failure carries a message, a success
//   stays within maxDecoded(n) bytes, and a sink that cannot take the whole
//   output turns the call into a failure;
// - the input, encoded and decoded again, comes back unchanged, and the
//   encoding stays within maxEncoded(n) bytes.
// Answers the decoded input when decoding succeeded (empty otherwise), for
// checks of the target's own.
template <typename Decode, typename MaxDecoded, typename MaxEncoded>
Bytes CheckCodec(const uint8_t* data, size_t size, CodecFunction encode, Decode decode,
                 MaxDecoded maxDecoded, MaxEncoded maxEncoded) {
  VectorSink decodedSink;
  const CodecResult decoded = decode(data, size, decodedSink);
  FUZZ_CHECK(decoded.ok == decoded.message.empty());
  if (decoded.ok) {
    FUZZ_CHECK(decodedSink.bytes.size() <= maxDecoded(size));
    if (!decodedSink.bytes.empty()) {
      // A limit from the input size: mostly below the output's size, now and
      // then equal to it (the call must then succeed).
      const size_t limit = size % (decodedSink.bytes.size() + 1);
      CheckLimitedSink([&](ByteSink& sink) { return decode(data, size, sink); }, decodedSink.bytes,
                       limit);
    }
  }

  VectorSink encodedSink;
  const CodecResult encoded = encode(data, size, encodedSink);
  FUZZ_CHECK(encoded.ok);
  FUZZ_CHECK(encodedSink.bytes.size() <= maxEncoded(size));
  FUZZ_CHECK((size == 0) == encodedSink.bytes.empty());
  VectorSink roundTrip;
  const CodecResult back = decode(encodedSink.bytes.data(), encodedSink.bytes.size(), roundTrip);
  FUZZ_CHECK(back.ok);
  FUZZ_CHECK(roundTrip.bytes.size() == size);
  FUZZ_CHECK(size == 0 || std::equal(roundTrip.bytes.begin(), roundTrip.bytes.end(), data));
  return decoded.ok ? std::move(decodedSink.bytes) : Bytes{};
}

}  // namespace fuzz
