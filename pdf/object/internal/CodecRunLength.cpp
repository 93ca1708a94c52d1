#include "pdf/object/internal/CodecRunLength.h"

#include <algorithm>
#include <cstring>

using codec_detail::CodecOutput;

namespace {

constexpr size_t kMaxPiece = 128;
constexpr uint8_t kEndOfData = 128;

// Collects the coded pieces of one input piece. A piece of 4096 input bytes
// never codes to more than 4096 + 4096 / 128 bytes, so twice its size is ample.
struct RunLengthWork {
  uint8_t bytes[2 * kCodecPieceSize];
  size_t size = 0;

  void Literal(const uint8_t* data, size_t count) {
    while (count > 0) {
      const size_t part = std::min(count, kMaxPiece);
      bytes[size++] = static_cast<uint8_t>(part - 1);
      std::memcpy(bytes + size, data, part);
      size += part;
      data += part;
      count -= part;
    }
  }

  void Run(uint8_t value, size_t count) {
    while (count > 0) {
      const size_t part = std::min(count, kMaxPiece);
      // A rest of one copy is a one-byte literal, which decodes the same.
      bytes[size++] = static_cast<uint8_t>(part == 1 ? 0 : 257 - part);
      bytes[size++] = value;
      count -= part;
    }
  }
};

}  // namespace

CodecResult RunLengthEncodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  RunLengthWork work;
  for (size_t start = 0; start < n; start += kCodecPieceSize) {
    const size_t end = std::min(n, start + kCodecPieceSize);
    work.size = 0;
    // Runs and literals start anew in every piece, so a run that crosses a
    // piece boundary is coded as two.
    size_t literalStart = start;
    size_t runStart = start;
    for (size_t i = start + 1; i < end; ++i) {
      if (in[i] == in[i - 1]) continue;
      // A run of 1 or 2 bytes stays in the literal; a longer one ends it.
      if (i - runStart >= 3) {
        work.Literal(in + literalStart, runStart - literalStart);
        work.Run(in[runStart], i - runStart);
        literalStart = i;
      }
      runStart = i;
    }
    if (end - runStart >= 3) {
      work.Literal(in + literalStart, runStart - literalStart);
      work.Run(in[runStart], end - runStart);
    } else {
      work.Literal(in + literalStart, end - literalStart);
    }
    if (CodecResult r = output.Put(work.bytes, work.size); !r.ok) return r;
  }
  return output.Put(&kEndOfData, 1);
}

CodecResult RunLengthDecodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  uint8_t work[2 * kCodecPieceSize];
  size_t produced = 0;
  size_t pos = 0;
  while (pos < n) {
    const uint8_t length = in[pos++];
    if (length == kEndOfData) break;
    if (produced > sizeof work - kMaxPiece) {
      if (CodecResult r = output.Put(work, produced); !r.ok) return r;
      produced = 0;
    }
    if (length < kEndOfData) {
      // A literal cut short by the end of the input keeps the bytes present.
      const size_t count = std::min<size_t>(length + 1u, n - pos);
      std::memcpy(work + produced, in + pos, count);
      produced += count;
      pos += count;
    } else {
      if (pos == n) break;
      const size_t count = 257u - length;
      std::memset(work + produced, in[pos++], count);
      produced += count;
    }
  }
  return output.Put(work, produced);
}
