// Flate decoding of any bytes (as a zlib stream), its output limit, and
// encode-decode round trips.
#include <zlib.h>

#include "pdf/object/CodecFlate.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Deflate data expands at most 1032 to 1, so a few KiB of fuzzed input can
// ask for megabytes; a limit far below the default one keeps every run fast
// (inputs that reach it test the limit itself).
constexpr size_t kFuzzOutputLimit = size_t{256} << 10;

CodecResult Decode(const uint8_t* data, size_t size, ByteSink& sink) {
  FlateDecodeOptions options;
  options.outputLimit = kFuzzOutputLimit;
  return FlateDecodeBytes(data, size, sink, options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Bytes full = fuzz::CheckCodec(
      data, size, FlateEncodeBytes, Decode, [](size_t n) { return 1032 * n; },
      [](size_t n) { return n + n / 256 + 64; });

  // An output limit below the output's size fails the call; what reached the
  // sink is a start of the output and within the limit.
  if (!full.empty()) {
    FlateDecodeOptions options;
    options.outputLimit = size % (full.size() + 1);
    VectorSink limited;
    const CodecResult result = FlateDecodeBytes(data, size, limited, options);
    FUZZ_CHECK(result.ok == (full.size() <= options.outputLimit));
    FUZZ_CHECK(limited.bytes.size() <= options.outputLimit);
    FUZZ_CHECK(std::equal(limited.bytes.begin(), limited.bytes.end(), full.begin()));
  }

  // Predicted data is refused rather than handed back as plain bytes.
  if (size > 0) {
    FlateDecodeOptions options;
    options.predictor = 2 + data[0] % 14;
    VectorSink sink;
    const CodecResult result = FlateDecodeBytes(data, size, sink, options);
    FUZZ_CHECK(!result.ok && !result.message.empty());
  }
  return 0;
}

namespace {

// A zlib stream made with the given compression level and strategy, so the
// seeds hold stored, fixed-code and dynamic-code blocks.
fuzz::Bytes Compress(const fuzz::Bytes& in, int level, int strategy) {
  z_stream zs{};
  FUZZ_CHECK(deflateInit2(&zs, level, Z_DEFLATED, 15, 8, strategy) == Z_OK);
  fuzz::Bytes out(deflateBound(&zs, in.size()));
  zs.next_in = const_cast<Bytef*>(in.data());
  zs.avail_in = static_cast<uInt>(in.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  FUZZ_CHECK(deflate(&zs, Z_FINISH) == Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

}  // namespace

void FuzzSeeds(FuzzSeedList& seeds) {
  fuzz::AddCodecSeeds(seeds, FlateEncodeBytes);
  for (const auto& [name, bytes] : fuzz::PlainSamples()) {
    seeds.Add("stored-" + name, Compress(bytes, 0, Z_DEFAULT_STRATEGY));
    seeds.Add("fixed-" + name, Compress(bytes, 9, Z_FIXED));
    seeds.Add("huffman-only-" + name, Compress(bytes, 9, Z_HUFFMAN_ONLY));
  }
  fuzz::Bytes trailing =
      Compress(fuzz::Text("data, then bytes after the stream"), 6, Z_DEFAULT_STRATEGY);
  trailing.insert(trailing.end(), {'e', 'n', 'd', 's', 't', 'r', 'e', 'a', 'm'});
  seeds.Add("trailing-bytes", trailing);
  fuzz::Bytes cut = Compress(fuzz::Bytes(5000, 'x'), 6, Z_DEFAULT_STRATEGY);
  cut.resize(cut.size() / 2);
  seeds.Add("cut-short", cut);
  // 1 MiB of zeros in about 1 KiB: the shape of a decompression bomb.
  seeds.Add("expands-1024-fold", Compress(fuzz::Bytes(size_t{1} << 20, 0), 9, Z_DEFAULT_STRATEGY));
}
