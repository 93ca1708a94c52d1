#pragma once
// Helpers shared by the codec tests: byte vectors from text, generated data
// and one-call encode/decode into a vector.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "pdf/object/ByteSink.h"
#include "pdf/object/CodecResult.h"

namespace codec_test {

using Bytes = std::vector<uint8_t>;

inline Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }
inline std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Random bytes from a fixed seed, so a failure can be repeated.
inline Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 engine(seed);
  Bytes bytes(n);
  for (auto& b : bytes) b = static_cast<uint8_t>(engine());
  return bytes;
}

// Bytes with runs of random length and value, and now and then zero groups:
// the shapes that the run-length and base-85 coders treat specially.
inline Bytes RunnyBytes(size_t n, uint32_t seed) {
  std::mt19937 engine(seed);
  Bytes bytes;
  bytes.reserve(n);
  while (bytes.size() < n) {
    const size_t run = 1 + engine() % 300;
    const uint8_t value = (engine() % 3 == 0) ? 0 : static_cast<uint8_t>(engine());
    for (size_t i = 0; i < run && bytes.size() < n; ++i) {
      bytes.push_back(engine() % 4 == 0 ? static_cast<uint8_t>(engine()) : value);
    }
  }
  return bytes;
}

using CodecFunction = CodecResult (*)(const uint8_t*, size_t, ByteSink&);

// Runs a codec over bytes; the output is returned through out.
inline CodecResult RunCodec(CodecFunction codec, const Bytes& in, Bytes& out) {
  VectorSink sink;
  CodecResult result = codec(in.data(), in.size(), sink);
  out = std::move(sink.bytes);
  return result;
}

// The sizes every round trip covers: empty, tiny, around the 4096-byte
// pieces, and above the 40960 bytes where stream data moves into a file.
inline const std::vector<size_t>& RoundTripSizes() {
  static const std::vector<size_t> sizes = {0,    1,     2,     3,     4,     5,    127,
                                            128,  129,   4095,  4096,  4097,  8191, 8192,
                                            8193, 12289, 40960, 40961, 100003};
  return sizes;
}

}  // namespace codec_test
