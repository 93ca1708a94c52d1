// ASCII85 decoding of any bytes, and encode-decode round trips.
#include "pdf/object/internal/CodecASCII.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckCodec(
      data, size, ASCII85EncodeBytes, ASCII85DecodeBytes, [](size_t n) { return 4 * n; },
      [](size_t n) { return 5 * n / 4 + 3; });
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  fuzz::AddCodecSeeds(seeds, ASCII85EncodeBytes);
  seeds.Add("zero-groups", "zz!!~>");
  seeds.Add("white-space", "87cU\nRD]i,\t\"Ebo80 ~>");
  seeds.Add("value-too-large", "s8W-\"~>");
  seeds.Add("single-digit-tail", "87cURD]i,\"Ebo80!~>");
  seeds.Add("z-inside-group", "87z~>");
}
