#include "pdf/object/internal/CodecCCITT.h"

#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <memory>
#include <new>
#include <vector>

#include "pdf/object/TIFFErrorCapture.h"
#include "platform/TempFile.h"

namespace {

constexpr uint64_t kMaxData = 0x7FFFFFFF;

bool Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
  return false;
}

struct TIFFCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TIFFHandle = std::unique_ptr<TIFF, TIFFCloser>;

// A work file without a name (platform/TempFile.h); libtiff works on
// copies of its descriptor, each read from the start.
class WorkFile {
 public:
  explicit WorkFile(const std::string& folder)
      : fd_(platform::CreateWorkFile(folder, platform::WorkFilePrefix(), 0)) {}
  ~WorkFile() {
    if (fd_ >= 0) close(fd_);
  }
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;
  bool Ok() const { return fd_ >= 0; }
  // libtiff over a new descriptor of the file (libtiff closes it), at
  // offset 0; none on failure.
  TIFF* Open(const char* mode) const {
    if (lseek(fd_, 0, SEEK_SET) != 0) return nullptr;
    const int fd = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    TIFF* tiff = TIFFFdOpen(fd, "CCITT work file", mode);
    if (tiff == nullptr) close(fd);
    return tiff;
  }

 private:
  int fd_ = -1;
};

struct Scheme {
  uint16_t compression;
  uint32_t options;  // T4Options or T6Options
  int32_t recordedK;
};

Scheme SchemeFromK(int32_t k) {
  if (k == -1) return {COMPRESSION_CCITTFAX4, 0, -1};
  if (k == 0) return {COMPRESSION_CCITTFAX3, 0, 0};
  return {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 1};
}

std::string LibraryError(const TIFFErrorCapture& capture, const char* what) {
  return capture.HasError() ? std::string(what) + ": " + capture.Text() : std::string(what);
}

// Creates the one-strip work file with the image's fields.
TIFF* OpenForWriting(const WorkFile& file, uint32_t width, uint32_t height, const Scheme& scheme) {
  TIFF* tiff = file.Open("w");
  if (tiff == nullptr) return nullptr;
  TIFFHandle handle(tiff);
  const bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width) &&
                  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height) &&
                  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1) &&
                  TIFFSetField(tiff, TIFFTAG_COMPRESSION, scheme.compression) &&
                  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE) &&
                  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) &&
                  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 72.0f) &&
                  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 72.0f) &&
                  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
                  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE) &&
                  TIFFSetField(tiff,
                               scheme.compression == COMPRESSION_CCITTFAX4 ? TIFFTAG_GROUP4OPTIONS
                                                                           : TIFFTAG_GROUP3OPTIONS,
                               scheme.options) &&
                  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
  return ok ? handle.release() : nullptr;
}

// Checks the geometry; gives the bytes of one row and of the whole image.
bool Geometry(const CCITTParameters& p, uint64_t& rowBytes, uint64_t& imageBytes,
              std::string* error) {
  if (p.bitsPerComponent != 1) return Fail(error, "BitsPerComponent must be 1");
  if (p.width <= 0 || p.height <= 0 || p.width > 0x7FFFFFFF || p.height > 0x7FFFFFFF) {
    return Fail(error, "bad image size");
  }
  rowBytes = (static_cast<uint64_t>(p.width) + 7) / 8;
  imageBytes = rowBytes * static_cast<uint64_t>(p.height);
  if (imageBytes > kMaxData) return Fail(error, "image too large");
  return true;
}

bool DoEncode(const uint8_t* data, size_t size, const CCITTParameters& p, int32_t k, ByteSink& out,
              CCITTEncodeResult& result, std::string* error) {
  if (size == 0) {
    result = CCITTEncodeResult();
    result.unchanged = true;
    return true;
  }
  uint64_t rowBytes = 0;
  uint64_t imageBytes = 0;
  if (!Geometry(p, rowBytes, imageBytes, error)) return false;
  const Scheme scheme = SchemeFromK(k);
  CCITTEncodeResult changes;
  changes.k = scheme.recordedK;
  changes.columns = p.width;
  if (p.colorSpace != "DeviceGray") return Fail(error, "ColorSpace must be DeviceGray");
  switch (p.decode) {
    case CCITTParameters::DecodeArray::Inverted: changes.removeDecode = true; break;
    case CCITTParameters::DecodeArray::Plain:
      changes.removeDecode = true;
      changes.blackIs1 = true;
      break;
    case CCITTParameters::DecodeArray::Absent: changes.blackIs1 = true; break;
    case CCITTParameters::DecodeArray::Other: return Fail(error, "Decode must be [1 0] or [0 1]");
  }
  if (size < imageBytes) return Fail(error, "the data are shorter than the image");

  TIFFErrorCapture capture;
  WorkFile file(p.tempDirectory);
  if (!file.Ok()) return Fail(error, "cannot create a work file");
  {
    TIFFHandle tiff(OpenForWriting(file, static_cast<uint32_t>(p.width),
                                   static_cast<uint32_t>(p.height), scheme));
    if (!tiff) return Fail(error, LibraryError(capture, "cannot write the work file"));
    if (TIFFWriteEncodedStrip(tiff.get(), 0, const_cast<uint8_t*>(data),
                              static_cast<tmsize_t>(imageBytes)) < 0 ||
        capture.HasError()) {
      return Fail(error, LibraryError(capture, "cannot code the image"));
    }
    tiff.reset();
    if (capture.HasError()) return Fail(error, LibraryError(capture, "cannot write the work file"));
  }
  TIFFHandle tiff(file.Open("r"));
  if (!tiff || capture.HasError())
    return Fail(error, LibraryError(capture, "cannot read the work file"));
  uint64_t* counts = nullptr;
  if (!TIFFGetField(tiff.get(), TIFFTAG_STRIPBYTECOUNTS, &counts) || counts == nullptr) {
    return Fail(error, LibraryError(capture, "no strip byte count"));
  }
  const uint64_t coded = counts[0];
  if (coded > kMaxData) return Fail(error, "coded image too large");
  std::vector<uint8_t> buffer(static_cast<size_t>(coded));
  if (coded > 0) {
    const tmsize_t n = TIFFReadRawStrip(tiff.get(), 0, buffer.data(), static_cast<tmsize_t>(coded));
    if (n < 0 || capture.HasError())
      return Fail(error, LibraryError(capture, "cannot read the coded strip"));
    buffer.resize(static_cast<size_t>(n));
  }
  tiff.reset();
  if (capture.HasError()) return Fail(error, LibraryError(capture, "cannot read the work file"));
  if (!buffer.empty() && !out.Put(buffer.data(), buffer.size()))
    return Fail(error, "cannot store the coded data");
  result = changes;
  return true;
}

bool DoDecode(const uint8_t* data, size_t size, const CCITTParameters& p, ByteSink& out,
              bool& setDecodeInverted, std::string* error) {
  setDecodeInverted = false;
  if (size == 0) return true;
  uint64_t rowBytes = 0;
  uint64_t imageBytes = 0;
  if (!Geometry(p, rowBytes, imageBytes, error)) return false;
  if (!p.hasK) return Fail(error, "the parameters have no K");
  if (size > kMaxData) return Fail(error, "data too large");
  const Scheme scheme = SchemeFromK(p.k);

  TIFFErrorCapture capture;
  WorkFile file(p.tempDirectory);
  if (!file.Ok()) return Fail(error, "cannot create a work file");
  {
    TIFFHandle tiff(OpenForWriting(file, static_cast<uint32_t>(p.width),
                                   static_cast<uint32_t>(p.height), scheme));
    if (!tiff) return Fail(error, LibraryError(capture, "cannot write the work file"));
    if (TIFFWriteRawStrip(tiff.get(), 0, const_cast<uint8_t*>(data), static_cast<tmsize_t>(size)) <
            0 ||
        capture.HasError()) {
      return Fail(error, LibraryError(capture, "cannot write the coded strip"));
    }
    tiff.reset();
    if (capture.HasError()) return Fail(error, LibraryError(capture, "cannot write the work file"));
  }
  TIFFHandle tiff(file.Open("r"));
  if (!tiff || capture.HasError())
    return Fail(error, LibraryError(capture, "cannot read the work file"));
  const tmsize_t stripSize = TIFFStripSize(tiff.get());
  if (stripSize <= 0 || static_cast<uint64_t>(stripSize) != imageBytes) {
    return Fail(error, LibraryError(capture, "bad strip size"));
  }
  std::vector<uint8_t> rows(static_cast<size_t>(stripSize), 0);
  if (TIFFReadEncodedStrip(tiff.get(), 0, rows.data(), stripSize) < 0 || capture.HasError()) {
    return Fail(error, LibraryError(capture, "cannot decode the data"));
  }
  tiff.reset();
  if (capture.HasError()) return Fail(error, LibraryError(capture, "cannot read the work file"));
  if (!out.Put(rows.data(), rows.size())) return Fail(error, "cannot store the rows");
  setDecodeInverted = !p.blackIs1;
  return true;
}

}  // namespace

bool CodecCCITT::Encode(const uint8_t* data, size_t size, const CCITTParameters& parameters,
                        int32_t k, ByteSink& out, CCITTEncodeResult& result, std::string* error) {
  try {
    return DoEncode(data, size, parameters, k, out, result, error);
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory");
  }
}

bool CodecCCITT::Decode(const uint8_t* data, size_t size, const CCITTParameters& parameters,
                        ByteSink& out, bool& setDecodeInverted, std::string* error) {
  try {
    return DoDecode(data, size, parameters, out, setDecodeInverted, error);
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory");
  }
}
