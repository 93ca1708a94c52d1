#pragma once
// The CCITT fax stream codec (Group 3 one- and two-dimensional, Group 4) for
// 1-bit images. libtiff does the coding: the codec writes a one-strip TIFF
// work file and reads it back. Work files have no name (platform/TempFile.h),
// so nothing is left of them however the process ends. libtiff's errors fail the call (they are
// captured, never thrown through libtiff); the caller's libtiff handlers are in place again
// afterwards. The codec writes its output into a sink and reports the
// dictionary changes in a result, so the caller changes the stream only on
// success.
//
// libtiff's handlers are process-wide: no other thread may use libtiff
// during a call.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pdf/object/ByteSink.h"

struct CCITTParameters {
  int64_t width = 0;             // /Width
  int64_t height = 0;            // /Height
  int64_t bitsPerComponent = 0;  // /BitsPerComponent: must be 1
  // Encoding: the text of /ColorSpace when it is a name; must be "DeviceGray".
  std::string colorSpace;
  // Encoding: the stream's /Decode.
  enum class DecodeArray { Absent, Inverted /* [1 0] */, Plain /* [0 1] */, Other };
  DecodeArray decode = DecodeArray::Absent;
  // Decoding: /K and /BlackIs1 of the filter's parameters. K is required.
  bool hasK = false;
  int32_t k = 0;
  bool blackIs1 = false;
  // Folder for the work file; empty: the system's temporary folder ($TMPDIR,
  // and /tmp when that cannot take it).
  std::string tempDirectory;
};

// What encoding changes in the dictionaries.
struct CCITTEncodeResult {
  int32_t k = 0;              // /K of the parameters: -1, 0 or 1
  int64_t columns = 0;        // /Columns of the parameters: the width
  bool blackIs1 = false;      // true: /BlackIs1 true in the parameters
  bool removeDecode = false;  // true: /Decode is removed from the stream
  bool unchanged = false;     // true: the data were empty; nothing changes
};

class CodecCCITT {
 public:
  // Codes height rows of (width + 7) / 8 bytes, most significant bit first
  // (size must hold them all). K: -1 Group 4; 0 Group 3 one-dimensional; any
  // other value Group 3 two-dimensional (recorded as 1). Empty data succeed
  // with result.unchanged set and nothing written.
  static bool Encode(const uint8_t* data, size_t size, const CCITTParameters& parameters, int32_t k,
                     ByteSink& out, CCITTEncodeResult& result, std::string* error = nullptr);

  // Decodes fax data into rows of (width + 7) / 8 bytes with 1 for black.
  // setDecodeInverted is true when the stream's /Decode must become [1 0]
  // (BlackIs1 absent or false). Empty data succeed with nothing written and
  // setDecodeInverted false.
  static bool Decode(const uint8_t* data, size_t size, const CCITTParameters& parameters,
                     ByteSink& out, bool& setDecodeInverted, std::string* error = nullptr);
};
