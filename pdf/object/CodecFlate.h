#pragma once
// The Flate codec: zlib data streams (RFC 1950) made and read through zlib.
// See CodecResult.h for the conventions all codecs share.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "pdf/object/ByteSink.h"
#include "pdf/object/CodecResult.h"

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

// Data above this many bytes is compressed in pieces on all usable CPUs.
inline constexpr size_t kFlateParallelThreshold = size_t{1} << 20;

// The size of the pieces. It is fixed, so the output depends on the data only,
// never on the number of threads.
inline constexpr size_t kFlatePieceSize = size_t{256} << 10;

// The threads compression uses when asked for 0: one per CPU the calling
// thread may run on (its affinity: taskset, a container's CPU set), at most
// 32; one per online CPU when the system does not say.
unsigned FlateDefaultThreads();

// Compresses at zlib's default level: header 78 9C, deflate data, Adler-32.
// Above kFlateParallelThreshold the data goes through FlateEncodePieces with
// one thread per usable CPU (FlateDefaultThreads).
CodecResult FlateEncodeBytes(const uint8_t* in, size_t n, ByteSink& out);

// Compresses in pieces of kFlatePieceSize bytes, deflated independently on up
// to `threads` threads (0: FlateDefaultThreads), and joins them into one zlib data
// stream at the default level with one Adler-32. Each piece is deflated with
// the 32 KiB before it as its dictionary and ends on a full flush (the last
// one on the stream's end), so the result is within a fraction of a percent
// of one deflate call over the whole data, and the same for every thread
// count.
CodecResult FlateEncodePieces(const uint8_t* in, size_t n, ByteSink& out, unsigned threads = 0);

// Compresses data handed over in parts as they come, for a producer that
// never holds the whole (an image read row by row): the output is the same as
// FlateEncodeBytes over the whole data, whatever the sizes of the parts. Up
// to kFlateParallelThreshold bytes are held until Finish; past that, pieces
// of kFlatePieceSize bytes are compressed on up to `threads` threads (0: one per
// usable CPU) while more data arrive, and only the pieces in work are held.
// The output goes to the sink as pieces complete. After a failure every
// call answers the same failure; the sink may hold part of the output.
//
// With more than one thread, a piece is compressed as its bytes come, not
// once it is complete. A producer that knows how much data will follow says
// so (Expect): data announced above the threshold are compressed from the
// first byte, rather than once the threshold is passed. The announcement
// changes when the work is done, never the output: pieces compressed ahead
// are written only once the data do pass the threshold, and dropped when
// Finish comes first.
class FlateEncoder {
 public:
  explicit FlateEncoder(ByteSink& out, unsigned threads = 0);
  ~FlateEncoder();
  FlateEncoder(const FlateEncoder&) = delete;
  FlateEncoder& operator=(const FlateEncoder&) = delete;

  // About `more` bytes follow the data handed over so far; only a hint.
  void Expect(size_t more);
  CodecResult Put(const uint8_t* data, size_t n);
  // Compresses what is held and ends the stream; nothing may follow. No
  // data at all give no output, as FlateEncodeBytes does.
  CodecResult Finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  CodecResult state_;
  bool finished_ = false;
};

// Decompresses one zlib data stream; bytes after its end are ignored. Damaged
// data, a preset dictionary, input that ends before the stream's end and
// output beyond the limit fail the call.
CodecResult FlateDecodeBytes(const uint8_t* in, size_t n, ByteSink& out,
                             const FlateDecodeOptions& options = {});
