// DCT decoding of any bytes as JPEG data, and encode-decode round trips of
// samples whose geometry and colour space come from the first bytes.
//   byte 0 even: the rest is decoded as JPEG data;
//   byte 0 odd:  bytes 1..3 give width (1..64), height (1..64) and the
//                colour space, byte 4 the quality; the rest, repeated, are
//                the samples, which are encoded and decoded again.
#include <string>

#include "pdf/object/internal/CodecDCT.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// What one decode may produce here: far below the codec's own 2 GiB bound,
// so headers claiming huge images fail at the sink quickly.
constexpr size_t kFuzzOutputLimit = size_t{16} << 20;

const char* const kSpaces[] = {"DeviceGray", "DeviceRGB", "DeviceCMYK"};
constexpr int kComponents[] = {1, 3, 4};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  DCTParameters parameters;
  parameters.bitsPerComponent = 8;
  if (data[0] % 2 == 0) {
    parameters.width = parameters.height = 1;
    parameters.colorSpace = "DeviceRGB";
    VectorSink out(kFuzzOutputLimit);
    std::string error;
    const bool ok = CodecDCT::Decode(data + 1, size - 1, parameters, out, &error);
    FUZZ_CHECK(ok == error.empty());
    FUZZ_CHECK(out.bytes.size() <= kFuzzOutputLimit);
    return 0;
  }
  if (size < 6) return 0;
  parameters.width = 1 + data[1] % 64;
  parameters.height = 1 + data[2] % 64;
  const int space = data[3] % 3;
  parameters.colorSpace = kSpaces[space];
  parameters.quality = data[4] * 20;
  const size_t needed = static_cast<size_t>(parameters.width * parameters.height) *
                        static_cast<size_t>(kComponents[space]);
  fuzz::Bytes samples(needed);
  for (size_t i = 0; i < needed; ++i) samples[i] = data[5 + i % (size - 5)];
  VectorSink coded;
  std::string error;
  FUZZ_CHECK(CodecDCT::Encode(samples.data(), samples.size(), parameters, coded, &error));
  FUZZ_CHECK(!coded.bytes.empty());
  VectorSink decoded;
  FUZZ_CHECK(CodecDCT::Decode(coded.bytes.data(), coded.bytes.size(), parameters, decoded, &error));
  FUZZ_CHECK(decoded.bytes.size() == needed);
  // A cut copy fails with a message, never silently.
  VectorSink cutOut;
  error.clear();
  const bool cutOk =
      CodecDCT::Decode(coded.bytes.data(), coded.bytes.size() / 2, parameters, cutOut, &error);
  FUZZ_CHECK(!cutOk && !error.empty());
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  for (int space = 0; space < 3; ++space) {
    for (int w : {1, 8, 17}) {
      const int h = w == 17 ? 9 : w;
      fuzz::Bytes samples(static_cast<size_t>(w * h * kComponents[space]));
      for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7);
      DCTParameters parameters;
      parameters.bitsPerComponent = 8;
      parameters.width = w;
      parameters.height = h;
      parameters.colorSpace = kSpaces[space];
      VectorSink coded;
      FUZZ_CHECK(CodecDCT::Encode(samples.data(), samples.size(), parameters, coded));
      fuzz::Bytes seed{0};
      seed.insert(seed.end(), coded.bytes.begin(), coded.bytes.end());
      const std::string name = std::string(kSpaces[space]) + "-" + std::to_string(w);
      seeds.Add("decode-" + name, seed);
      fuzz::Bytes encode{1, static_cast<uint8_t>(w - 1), static_cast<uint8_t>(h - 1),
                         static_cast<uint8_t>(space), 4};
      encode.insert(encode.end(), samples.begin(), samples.end());
      seeds.Add("encode-" + name, encode);
    }
  }
}
