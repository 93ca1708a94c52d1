#include "pdf/object/CodecFlate.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

using codec_detail::CodecOutput;

namespace {

std::string ZlibText(const char* step, int code, const z_stream& zs) {
  std::string text = std::string(step) + " failed: ";
  text += zs.msg ? zs.msg : zError(code);
  return text;
}

// Ends the zlib stream on every way out, and reports the end's own failure.
class Deflater {
 public:
  Deflater() : zs_{} {}
  ~Deflater() {
    if (open_) deflateEnd(&zs_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // A zlib stream at the default level; a negative windowBits makes raw
  // deflate data (no header, no checksum). Once open, a stream is reset
  // instead, which forgets all it has compressed.
  int Init(int windowBits = MAX_WBITS) {
    if (open_) return deflateReset(&zs_);
    const int ret = deflateInit2(&zs_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    open_ = ret == Z_OK;
    return ret;
  }
  int End() {
    open_ = false;
    return deflateEnd(&zs_);
  }
  z_stream& zs() { return zs_; }

 private:
  z_stream zs_;
  bool open_ = false;
};

class Inflater {
 public:
  Inflater() : zs_{} {}
  ~Inflater() {
    if (open_) inflateEnd(&zs_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  int Init() {
    const int ret = inflateInit(&zs_);
    open_ = ret == Z_OK;
    return ret;
  }
  int End() {
    open_ = false;
    return inflateEnd(&zs_);
  }
  z_stream& zs() { return zs_; }

 private:
  z_stream zs_;
  bool open_ = false;
};

// The window of deflate: how far back a match may reach, and so how much of
// the data before a piece primes its compressor.
constexpr size_t kFlateWindow = size_t{1} << MAX_WBITS;

// More threads than this gain nothing on the pieces' sizes that occur.
constexpr unsigned kFlateMaxThreads = 32;

// One piece compressed: raw deflate data ending on a byte boundary, and the
// Adler-32 of the piece's input.
struct DeflatedPiece {
  std::vector<uint8_t> data;
  uLong adler = 0;
  std::string error;  // empty on success
  bool done = false;
};

// A raw deflate stream (no header, no checksum) that compresses piece after
// piece. deflateReset makes each piece's output independent of the pieces
// compressed before it with the same stream.
class PieceDeflater {
 public:
  // Piece `index` of the n bytes at `in`.
  DeflatedPiece Run(const uint8_t* in, size_t n, size_t index) {
    DeflatedPiece piece;
    try {
      Deflate(in, n, index, piece);
    } catch (const std::bad_alloc&) {
      piece.error = "deflate failed: out of memory";
    }
    piece.done = true;
    return piece;
  }

 private:
  void Deflate(const uint8_t* in, size_t n, size_t index, DeflatedPiece& piece) {
    const size_t start = index * kFlatePieceSize;
    const size_t count = std::min(kFlatePieceSize, n - start);
    const bool last = start + count == n;
    z_stream& zs = deflater_.zs();
    int ret = deflater_.Init(-MAX_WBITS);
    if (ret != Z_OK) {
      piece.error = ZlibText("deflateInit", ret, zs);
      return;
    }
    if (start > 0) {
      ret = deflateSetDictionary(&zs, in + start - kFlateWindow, static_cast<uInt>(kFlateWindow));
      if (ret != Z_OK) {
        piece.error = ZlibText("deflateSetDictionary", ret, zs);
        return;
      }
    }
    zs.next_in = const_cast<Bytef*>(in + start);
    zs.avail_in = static_cast<uInt>(count);
    // The bound covers the data and the end of the stream; the full flush's
    // empty block adds a few bytes, and a short buffer only means a round more.
    piece.data.resize(deflateBound(&zs, static_cast<uLong>(count)) + 64);
    size_t produced = 0;
    const int flush = last ? Z_FINISH : Z_FULL_FLUSH;
    for (;;) {
      zs.next_out = piece.data.data() + produced;
      zs.avail_out = static_cast<uInt>(piece.data.size() - produced);
      ret = deflate(&zs, flush);
      produced = piece.data.size() - zs.avail_out;
      if (ret == Z_STREAM_ERROR) {
        piece.error = ZlibText("deflate", ret, zs);
        return;
      }
      if (last ? ret == Z_STREAM_END : zs.avail_out != 0) break;
      piece.data.resize(piece.data.size() + kFlateWindow);
    }
    piece.data.resize(produced);
    piece.adler = adler32(adler32(0, Z_NULL, 0), in + start, static_cast<uInt>(count));
  }

  Deflater deflater_;
};

// Hands the pieces to worker threads and back to the caller in order. The
// workers run at most `ahead` pieces before the one the caller waits for, so
// the compressed data held at once stays bounded whatever the input size.
class PieceSchedule {
 public:
  PieceSchedule(const uint8_t* in, size_t n, size_t count, size_t ahead)
      : in_(in), n_(n), pieces_(count), ahead_(ahead) {}

  // Ends the workers on every way out: they stop taking pieces and are joined.
  ~PieceSchedule() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  PieceSchedule(const PieceSchedule&) = delete;
  PieceSchedule& operator=(const PieceSchedule&) = delete;

  // Starts up to `count` workers; fewer when the system has no more threads
  // to give (the caller then compresses the pieces nobody took).
  void Start(unsigned count) {
    try {
      for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
    }
  }

  // Piece `index`, once compressed; the caller takes it in order 0, 1, ...
  DeflatedPiece Take(size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    written_ = index;
    changed_.notify_all();
    if (next_ == index) {
      // Nobody has taken it: compress it here.
      ++next_;
      lock.unlock();
      return own_.Run(in_, n_, index);
    }
    changed_.wait(lock, [&] { return pieces_[index].done; });
    return std::move(pieces_[index]);
  }

 private:
  void Work() {
    PieceDeflater deflater;
    for (;;) {
      size_t index = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] {
          return stop_ || next_ == pieces_.size() || next_ < written_ + ahead_;
        });
        if (stop_ || next_ == pieces_.size()) return;
        index = next_++;
      }
      DeflatedPiece piece = deflater.Run(in_, n_, index);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        pieces_[index] = std::move(piece);
      }
      changed_.notify_all();
    }
  }

  const uint8_t* in_;
  size_t n_;
  std::vector<DeflatedPiece> pieces_;
  size_t ahead_;
  PieceDeflater own_;  // the caller's, for pieces it compresses itself
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;     // the first piece no thread has taken
  size_t written_ = 0;  // the piece the caller waits for or writes next
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace

CodecResult FlateEncodePieces(const uint8_t* in, size_t n, ByteSink& out, unsigned threads) {
  if (n == 0) return CodecResult::Success();
  const size_t count = (n - 1) / kFlatePieceSize + 1;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>({threads, kFlateMaxThreads, count}));
  CodecOutput output(out, kCodecMaxOutput);
  // The zlib header of the default level: deflate, 32 KiB window, no
  // dictionary, check bits making 0x789C a multiple of 31.
  static const uint8_t header[2] = {0x78, 0x9C};
  if (CodecResult r = output.Put(header, sizeof header); !r.ok) return r;
  PieceSchedule schedule(in, n, count, size_t{2} * threads);
  // The caller compresses too, so one thread fewer is started.
  schedule.Start(threads - 1);
  uLong adler = adler32(0, Z_NULL, 0);
  for (size_t i = 0; i < count; ++i) {
    DeflatedPiece piece = schedule.Take(i);
    if (!piece.error.empty()) return CodecResult::Failure(piece.error);
    if (CodecResult r = output.Put(piece.data.data(), piece.data.size()); !r.ok) return r;
    const size_t length = std::min(kFlatePieceSize, n - i * kFlatePieceSize);
    adler = i == 0 ? piece.adler : adler32_combine(adler, piece.adler, static_cast<z_off_t>(length));
  }
  const uint8_t trailer[4] = {static_cast<uint8_t>(adler >> 24), static_cast<uint8_t>(adler >> 16),
                              static_cast<uint8_t>(adler >> 8), static_cast<uint8_t>(adler)};
  return output.Put(trailer, sizeof trailer);
}

CodecResult FlateEncodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n > kFlateParallelThreshold) return FlateEncodePieces(in, n, out);
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  Deflater deflater;
  z_stream& zs = deflater.zs();
  // The version check inside deflateInit refuses an incompatible zlib.
  if (int ret = deflater.Init(); ret != Z_OK) return CodecResult::Failure(ZlibText("deflateInit", ret, zs));
  uint8_t work[kCodecPieceSize];
  size_t start = 0;
  bool finished = false;
  while (!finished) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    zs.next_in = const_cast<Bytef*>(in + start);
    zs.avail_in = static_cast<uInt>(count);
    start += count;
    const int flush = start == n ? Z_FINISH : Z_NO_FLUSH;
    // Drain the output until the piece is taken in (or, with Z_FINISH, the
    // stream is complete).
    do {
      zs.next_out = work;
      zs.avail_out = sizeof work;
      const int ret = deflate(&zs, flush);
      if (ret == Z_STREAM_ERROR) return CodecResult::Failure(ZlibText("deflate", ret, zs));
      if (CodecResult r = output.Put(work, sizeof work - zs.avail_out); !r.ok) return r;
      if (ret == Z_STREAM_END) finished = true;
    } while (!finished && (zs.avail_out == 0 || (flush == Z_FINISH)));
  }
  if (int ret = deflater.End(); ret != Z_OK) return CodecResult::Failure(ZlibText("deflateEnd", ret, zs));
  return CodecResult::Success();
}

CodecResult FlateDecodeBytes(const uint8_t* in, size_t n, ByteSink& out,
                             const FlateDecodeOptions& options) {
  if (options.predictor != 1) {
    return CodecResult::Failure("predictor " + std::to_string(options.predictor) +
                                " is not supported");
  }
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, std::min(options.outputLimit, kCodecMaxOutput));
  Inflater inflater;
  z_stream& zs = inflater.zs();
  if (int ret = inflater.Init(); ret != Z_OK) return CodecResult::Failure(ZlibText("inflateInit", ret, zs));
  uint8_t work[kCodecPieceSize];
  bool ended = false;
  for (size_t start = 0; start < n && !ended; start += kCodecPieceSize) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    zs.next_in = const_cast<Bytef*>(in + start);
    zs.avail_in = static_cast<uInt>(count);
    // inflate returns when the output is full, the input used up, or the
    // stream at its end; only a full output calls for another round.
    do {
      zs.next_out = work;
      zs.avail_out = sizeof work;
      const int ret = inflate(&zs, Z_NO_FLUSH);
      if (ret == Z_NEED_DICT) return CodecResult::Failure("inflate failed: a preset dictionary is needed");
      if (ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR) {
        return CodecResult::Failure(ZlibText("inflate", ret, zs));
      }
      if (CodecResult r = output.Put(work, sizeof work - zs.avail_out); !r.ok) return r;
      if (ret == Z_STREAM_END) ended = true;
    } while (!ended && zs.avail_out == 0);
  }
  if (!ended) return CodecResult::Failure("inflate failed: the data ends before the end of the stream");
  if (int ret = inflater.End(); ret != Z_OK) return CodecResult::Failure(ZlibText("inflateEnd", ret, zs));
  return CodecResult::Success();
}
