// CCITT fax decoding of any bytes with parameters from the first bytes, and
// encode-decode round trips.
//   byte 0:    bit 0 set: round trip of the rest as rows; else decode the rest
//              bit 1: BlackIs1
//   byte 1:    K: 0 -> -1 (Group 4), 1 -> 0 (Group 3 1-D), else 1 (2-D)
//   bytes 2-3: columns 1..1024, rows 1..256 (byte 3)
#include <string>

#include "pdf/object/internal/CodecCCITT.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  CCITTParameters parameters;
  parameters.width = 1 + ((data[2] << 2) | (data[1] >> 6)) % 1024;
  parameters.height = 1 + data[3];
  parameters.bitsPerComponent = 1;
  parameters.colorSpace = "DeviceGray";
  parameters.hasK = true;
  const int kCode = (data[1] & 0x3F) % 3;
  parameters.k = kCode == 0 ? -1 : (kCode == 1 ? 0 : 1);
  parameters.blackIs1 = (data[0] & 2) != 0;
  parameters.tempDirectory = fuzz::WorkFolder::Get().Path();
  const uint64_t rowBytes = static_cast<uint64_t>(parameters.width + 7) / 8;
  const uint64_t imageBytes = rowBytes * static_cast<uint64_t>(parameters.height);
  const uint8_t* rest = data + 4;
  const size_t restSize = size - 4;

  std::string error;
  if ((data[0] & 1) == 0) {
    VectorSink out;
    bool inverted = false;
    const bool ok = CodecCCITT::Decode(rest, restSize, parameters, out, inverted, &error);
    FUZZ_CHECK(ok == error.empty());
    if (ok) {
      FUZZ_CHECK(out.bytes.size() == (restSize == 0 ? 0 : imageBytes));
      FUZZ_CHECK(inverted == (restSize != 0 && !parameters.blackIs1));
    }
  } else {
    if (restSize == 0) return 0;
    fuzz::Bytes rows(imageBytes);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = rest[i % restSize];
    VectorSink coded;
    CCITTEncodeResult result;
    FUZZ_CHECK(CodecCCITT::Encode(rows.data(), rows.size(), parameters, parameters.k, coded, result,
                                  &error));
    CCITTParameters back = parameters;
    back.k = result.k;
    back.blackIs1 = result.blackIs1;
    VectorSink decoded;
    bool inverted = false;
    FUZZ_CHECK(CodecCCITT::Decode(coded.bytes.data(), coded.bytes.size(), back, decoded, inverted,
                                  &error));
    FUZZ_CHECK(decoded.bytes.size() == rows.size());
  }
  // No work file is left behind.
  FUZZ_CHECK(fuzz::WorkFolder::Get().Count() == 0);
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  for (int k = 0; k < 3; ++k) {
    for (int width : {1, 9, 64, 200}) {
      const int height = width == 200 ? 30 : 8;
      CCITTParameters parameters;
      parameters.width = width;
      parameters.height = height;
      parameters.bitsPerComponent = 1;
      parameters.colorSpace = "DeviceGray";
      parameters.tempDirectory = fuzz::WorkFolder::Get().Path();
      const size_t rowBytes = static_cast<size_t>(width + 7) / 8;
      fuzz::Bytes rows(rowBytes * static_cast<size_t>(height));
      for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<uint8_t>((i * 37) ^ (i / rowBytes));
      const int32_t kValue = k == 0 ? -1 : (k == 1 ? 0 : 1);
      VectorSink coded;
      CCITTEncodeResult result;
      FUZZ_CHECK(CodecCCITT::Encode(rows.data(), rows.size(), parameters, kValue, coded, result));
      const uint8_t b1 = static_cast<uint8_t>(((width - 1) & 3) << 6 | k);
      const uint8_t b2 = static_cast<uint8_t>((width - 1) >> 2);
      const uint8_t b3 = static_cast<uint8_t>(height - 1);
      fuzz::Bytes decode{static_cast<uint8_t>(result.blackIs1 ? 2 : 0), b1, b2, b3};
      decode.insert(decode.end(), coded.bytes.begin(), coded.bytes.end());
      const std::string name = "k" + std::to_string(kValue) + "-w" + std::to_string(width);
      seeds.Add("decode-" + name, decode);
      fuzz::Bytes encode{1, b1, b2, b3};
      encode.insert(encode.end(), rows.begin(), rows.end());
      seeds.Add("encode-" + name, encode);
    }
  }
}
