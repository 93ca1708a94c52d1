#pragma once
// The Flate codec: zlib data streams (RFC 1950) made and read through zlib.
// See CodecResult.h for the conventions all codecs share.
#include <cstddef>
#include <cstdint>

#include "pdf/object/internal/ByteSink.h"
#include "pdf/object/internal/CodecResult.h"

// Default for FlateDecodeOptions::outputLimit: 1 GiB. Deflate data expands at
// most about 1032 to 1, so inputs below 1 MiB cannot reach it; the limit stops
// a larger crafted stream from filling memory or the temporary disk.
inline constexpr size_t kFlateDefaultOutputLimit = size_t{1} << 30;

struct FlateDecodeOptions {
  // The most bytes decoding may produce; more fails the call. Callers that
  // expect more (for example image samples of a known size) pass their own
  // bound; values above kCodecMaxOutput are lowered to it.
  size_t outputLimit = kFlateDefaultOutputLimit;
  // The Predictor of the filter's decode parameters (1 when absent).
  // Predicted data cannot be undone here, so any value but 1 fails the call
  // rather than handing back predicted bytes as if they were plain.
  int predictor = 1;
};

// Compresses at zlib's default level: header 78 9C, deflate data, Adler-32.
CodecResult FlateEncodeBytes(const uint8_t* in, size_t n, ByteSink& out);

// Decompresses one zlib data stream; bytes after its end are ignored. Damaged
// data, a preset dictionary, input that ends before the stream's end and
// output beyond the limit fail the call.
CodecResult FlateDecodeBytes(const uint8_t* in, size_t n, ByteSink& out,
                             const FlateDecodeOptions& options = {});
