#pragma once
// What the byte-level stream codecs answer, and the output limits they share.
//
// The codecs are plain functions over a block of bytes that write what they
// produce into a ByteSink. They know nothing of stream objects: the stream's
// encode and decode operations call them with the data they hold, collect the
// output in scratch storage and take it over only when the codec succeeded.
// On failure the sink may already hold part of the output; callers discard it.
//
// An empty input succeeds at once and produces nothing (not even an end
// marker), so an empty stream is left unchanged by every codec.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "pdf/object/ByteSink.h"

struct CodecResult {
  bool ok = true;
  // Why the call failed; empty on success.
  std::string message;

  static CodecResult Success() { return {}; }
  static CodecResult Failure(std::string text) { return {false, std::move(text)}; }
};

// Stream lengths are 32-bit signed, so no codec produces more than this many
// bytes; an output that would grow beyond it fails the call.
//
// Output relative to input (n bytes): ASCIIHex encodes to 2n + 1 and decodes
// to at most n / 2 + 1; ASCII85 encodes to at most 5n / 4 + 3 and decodes to
// at most 4n ('z'); RunLength encodes to at most 2n + 1 and decodes to at
// most 64n (two bytes repeat one 128 times). Flate decoding has no such
// bound of its own and takes an explicit limit (CodecFlate.h).
inline constexpr size_t kCodecMaxOutput = 0x7FFFFFFF;

// Input is read, and output handed to the sink, in pieces of this many bytes.
inline constexpr size_t kCodecPieceSize = 4096;

namespace codec_detail {

// Hands a codec's output to the sink while counting it against a limit, so
// every codec reports an over-long output or a sink that cannot grow alike.
class CodecOutput {
 public:
  CodecOutput(ByteSink& sink, size_t limit) : sink_(sink), limit_(limit) {}

  CodecResult Put(const uint8_t* data, size_t size) {
    if (size == 0) return CodecResult::Success();
    if (size > limit_ - written_) {
      return CodecResult::Failure("output exceeds the limit of " + std::to_string(limit_) +
                                  " bytes");
    }
    if (!sink_.Put(data, size)) return CodecResult::Failure("output storage could not grow");
    written_ += size;
    return CodecResult::Success();
  }

  size_t Written() const { return written_; }

 private:
  ByteSink& sink_;
  size_t limit_;
  size_t written_ = 0;
};

}  // namespace codec_detail
