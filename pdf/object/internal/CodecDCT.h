#pragma once
// The DCT (baseline JPEG) stream codec through libjpeg: 8-bit samples to
// JPEG data and back. The stream object reads the geometry from its
// dictionary and hands it over here; the codec writes its whole output into
// a sink, so the caller commits it only on success (give it a scratch sink).
// libjpeg errors fail the call; they never end the process.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pdf/object/ByteSink.h"

struct DCTParameters {
  int64_t width = 0;             // /Width
  int64_t height = 0;            // /Height
  int64_t bitsPerComponent = 0;  // /BitsPerComponent: must be 8
  // The text of /ColorSpace when it is a name ("DeviceGray", "DeviceRGB",
  // "DeviceCMYK" are encodable); empty when it is not a name.
  std::string colorSpace;
  // Encoding only: percentage of the standard quantisation tables (100: the
  // tables themselves, smaller: finer); clamped to 0 .. 5000.
  int32_t quality = 75;
};

class CodecDCT {
 public:
  // Size of the blocks the codec reads its input in and writes its output in.
  static constexpr size_t kBlockSize = 4096;

  // Compresses width x height rows of width x components bytes from the top
  // (size must hold them all) into JPEG data with an Adobe marker and no JFIF
  // marker. Empty input succeeds and writes nothing.
  static bool Encode(const uint8_t* data, size_t size, const DCTParameters& parameters,
                     ByteSink& out, std::string* error = nullptr);

  // Decompresses JPEG data into rows of samples in libjpeg's default output
  // colour space. Data that end before the end-of-image marker fail (after
  // every row was produced). Only bitsPerComponent is read from the
  // parameters (the stream requires the other entries to be present but the
  // JPEG data carry the geometry). Empty input succeeds and writes nothing.
  static bool Decode(const uint8_t* data, size_t size, const DCTParameters& parameters,
                     ByteSink& out, std::string* error = nullptr);
};
