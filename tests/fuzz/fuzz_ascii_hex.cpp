// ASCIIHex decoding of any bytes, and encode-decode round trips.
#include "pdf/object/internal/CodecASCII.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckCodec(
      data, size, ASCIIHexEncodeBytes, ASCIIHexDecodeBytes, [](size_t n) { return n / 2 + 1; },
      [](size_t n) { return 2 * n + 1; });
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  fuzz::AddCodecSeeds(seeds, ASCIIHexEncodeBytes);
  seeds.Add("odd-digits", "0a1B2c3>");
  seeds.Add("blanks",
            "41 42\t43\r\n44\f45\x00"
            "46>");
  seeds.Add("no-end-marker", "DEADBEEF");
  seeds.Add("after-end", "41>4243");
  seeds.Add("bad-character", "41G2>");
}
