// RunLength decoding of any bytes, and encode-decode round trips.
#include "pdf/object/internal/CodecRunLength.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckCodec(
      data, size, RunLengthEncodeBytes, RunLengthDecodeBytes, [](size_t n) { return 64 * n; },
      [](size_t n) { return 2 * n + 1; });
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  fuzz::AddCodecSeeds(seeds, RunLengthEncodeBytes);
  seeds.Add("longest-repeat", fuzz::Bytes{129, 0x7E, 128});
  seeds.Add("longest-literal", [] {
    fuzz::Bytes bytes{127};
    for (int i = 0; i < 128; ++i) bytes.push_back(static_cast<uint8_t>(i));
    return bytes;
  }());
  seeds.Add("literal-cut-short", fuzz::Bytes{10, 1, 2, 3});
  seeds.Add("repeat-without-byte", fuzz::Bytes{200});
  seeds.Add("after-end", fuzz::Bytes{0, 0x41, 128, 0, 0x42});
}
