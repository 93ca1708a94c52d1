#include "pdf/object/internal/CodecFlate.h"

#include <zlib.h>

#include <algorithm>
#include <string>

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

  int Init() {
    const int ret = deflateInit(&zs_, Z_DEFAULT_COMPRESSION);
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

}  // namespace

CodecResult FlateEncodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
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
