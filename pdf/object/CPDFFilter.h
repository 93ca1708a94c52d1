#pragma once
// The filter classes: each runs one byte codec over a stream's data. The
// data are read from the stream (external data loaded first), the output is
// collected on the side and replaces the data (Length follows) only when the
// codec succeeded; on failure the stream is unchanged. A stream without data
// succeeds at once and is left as it is. The stream's encode and decode
// slots use these and keep the filter records.
#include <cstdint>
#include <string>

class CPDFDict;
class CPDFStream;

class CPDFASCIIHexFilter {
 public:
  virtual ~CPDFASCIIHexFilter() = default;
  bool Encode(CPDFStream* stream);
  bool Decode(CPDFStream* stream);
};

class CPDFASCII85Filter {
 public:
  virtual ~CPDFASCII85Filter() = default;
  bool Encode(CPDFStream* stream);
  bool Decode(CPDFStream* stream);
};

class CPDFRunLengthFilter {
 public:
  virtual ~CPDFRunLengthFilter() = default;
  bool Encode(CPDFStream* stream);
  bool Decode(CPDFStream* stream);
};

// Flate (zlib). Decoding honours no predictor: parameters that ask for one
// (Predictor above 1) fail the call, so predicted bytes are never handed
// back as plain data.
class CPDFFlateFilter {
 public:
  virtual ~CPDFFlateFilter() = default;
  bool Encode(CPDFStream* stream);
  bool Decode(CPDFStream* stream);
};

// DCT (baseline JPEG) for image streams: Width, Height, BitsPerComponent (8)
// and ColorSpace must be present. The quality scale is clamped to 0..5000.
class CPDFDCTFilter {
 public:
  virtual ~CPDFDCTFilter() = default;
  bool Encode(CPDFStream* stream, int32_t quality);
  bool Decode(CPDFStream* stream);
};

// CCITT fax for 1-bit DeviceGray image streams. Encoding fills the given
// parameters with K (-1, 0 or 1), Columns and, when needed, BlackIs1, and
// removes Decode [1 0]/[0 1]; decoding reads K (required) and BlackIs1 of
// the current filter's parameters and sets Decode [1 0] unless BlackIs1.
// Dictionary changes, like the data, happen only on success.
class CPDFCCITTFaxFilter {
 public:
  virtual ~CPDFCCITTFaxFilter() = default;
  bool Encode(CPDFStream* stream, int32_t k, CPDFDict* params);
  bool Decode(CPDFStream* stream);
};
