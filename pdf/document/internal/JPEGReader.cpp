#include "pdf/document/internal/JPEGReader.h"

#include "pdf/document/internal/ImageFile.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "pdf/object/JPEGErrorManager.h"

#include <jerror.h>

namespace {

bool Fail(std::string* error, const std::string& text) { return ImageReadFail(error, text); }

// APP13 markers are saved whole (a marker segment holds at most 65533 data
// bytes); Photoshop puts captions and keywords before the resolution.
constexpr unsigned kApp13Limit = 65533;

// What the header says, gathered by a function that holds plain data only
// (libjpeg errors jump back into it).
struct Header {
  uint32_t width;
  uint32_t height;
  int precision;
  int components;
  J_COLOR_SPACE fileSpace;
  J_COLOR_SPACE outputSpace;
  bool adobeMarker;
  uint8_t densityUnit;
  uint16_t xDensity;
  uint16_t yDensity;
  // Resolution in dots per inch from the first APP13 marker (0: none).
  double app13X;
  double app13Y;
};

uint16_t BE16(const JOCTET* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t BE32(const JOCTET* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// Reads the resolution of a "Photoshop 3.0" marker: its image resources are
// walked to ResolutionInfo (0x03ED), whose horizontal and vertical values,
// 16.16 fixed-point pixels per inch, lie at 0 and 8 of its data (the unit
// fields that follow each name only the unit shown to the user). Each
// resource is "8BIM", a 16-bit id, a name (length byte and text, padded to
// an even length), a 32-bit data length and the data, padded to an even
// length. A marker without that resource, or one cut inside it, gives no
// resolution.
void ReadApp13(const jpeg_saved_marker_ptr marker, Header* header) {
  static const char kSignature[] = "Photoshop 3.0";  // with its NUL: 14 bytes
  const JOCTET* data = marker->data;
  const size_t length = marker->data_length;
  if (length < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) return;
  size_t pos = sizeof kSignature;
  while (length - pos >= 12 && std::memcmp(data + pos, "8BIM", 4) == 0) {
    const uint16_t id = BE16(data + pos + 4);
    const size_t nameBytes = (static_cast<size_t>(data[pos + 6]) + 2) & ~static_cast<size_t>(1);
    if (length - pos - 6 < nameBytes + 4) return;
    pos += 6 + nameBytes;
    const uint32_t size = BE32(data + pos);
    pos += 4;
    if (size > length - pos) return;
    if (id == 0x03ED) {
      if (size < 16) return;
      header->app13X = BE32(data + pos) / 65536.0;
      header->app13Y = BE32(data + pos + 8) / 65536.0;
      return;
    }
    pos += size;
    if (size % 2 != 0 && pos < length) ++pos;
  }
}

// The Orientation (tag 274, a SHORT) of IFD0 of Exif data: the bytes of an
// APP1 marker after "Exif\0\0", a TIFF header in either byte order and the
// directories it points to. Every offset is checked against the bytes held;
// 0 when the tag is missing, damaged or out of range.
int ExifOrientation(const uint8_t* tiff, size_t size) {
  if (size < 8) return 0;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 0;
  auto u16 = [&](size_t at) {
    return little ? static_cast<uint32_t>(tiff[at] | tiff[at + 1] << 8)
                  : static_cast<uint32_t>(tiff[at] << 8 | tiff[at + 1]);
  };
  auto u32 = [&](size_t at) {
    return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
  };
  if (u16(2) != 42) return 0;
  const uint64_t directory = u32(4);
  if (directory > size - 2) return 0;
  const uint64_t entries = u16(static_cast<size_t>(directory));
  for (uint64_t i = 0; i < entries; ++i) {
    const uint64_t entry = directory + 2 + 12 * i;
    if (entry > size - 12) return 0;
    const size_t at = static_cast<size_t>(entry);
    if (u16(at) != 274) continue;
    // A SHORT holds its value in the entry itself, in the first two bytes.
    if (u16(at + 2) != 3 || u32(at + 4) < 1) return 0;
    const uint32_t value = u16(at + 8);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 0;
  }
  return 0;
}

// Reads up to size bytes at offset `at`; how many were read (fewer only at
// the end of the file or on a read error).
size_t ReadAt(int fd, uint8_t* to, size_t size, uint64_t at) {
  size_t got = 0;
  while (got < size) {
    const ssize_t r = ::pread(fd, to + got, size - got, static_cast<off_t>(at + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

// The first byte from p on that is not 0xFF (a fill byte), or end: eight
// bytes at a time, as runs of fill bytes may fill a file.
const uint8_t* SkipFill(const uint8_t* p, const uint8_t* end) {
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (word != ~uint64_t{0}) break;
    p += 8;
  }
  while (p < end && *p == 0xFF) ++p;
  return p;
}

// Reads a file forward through a window of its bytes, one read per window:
// fill bytes and short segments are passed over inside the window, a
// segment longer than what is left of it by moving the window past it.
class FileWindow {
 public:
  FileWindow(int fd, uint64_t fileSize) : fd_(fd), size_(fileSize) {}
  // The bytes from pos on, at least `want` of them (fewer only at the end
  // of the file); nullptr when the file cannot be read there.
  const uint8_t* At(uint64_t pos, size_t want, size_t* held) {
    if (pos < start_ || pos + want > start_ + length_) {
      if (pos >= size_) return nullptr;
      const size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof buffer_, size_ - pos));
      const size_t got = ReadAt(fd_, buffer_, n, pos);
      if (got < n) return nullptr;
      start_ = pos;
      length_ = got;
    }
    *held = static_cast<size_t>(start_ + length_ - pos);
    return buffer_ + (pos - start_);
  }

 private:
  int fd_;
  uint64_t size_;
  uint64_t start_ = 0;
  size_t length_ = 0;
  uint8_t buffer_[64 << 10];
};

// The Orientation of the first Exif APP1 marker among the markers before
// the first scan, read straight from the file through a window, so that a
// header costs one read per window and one per Exif segment whatever fill
// bytes it holds; 0 when there is none or it cannot be read.
int ReadOrientation(int fd, uint64_t fileSize) {
  static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  auto window = std::make_unique<FileWindow>(fd, fileSize);
  uint64_t pos = 2;  // after SOI
  while (pos + 4 <= fileSize) {
    size_t held = 0;
    const uint8_t* p = window->At(pos, 4, &held);
    if (p == nullptr || held < 4 || p[0] != 0xFF) return 0;
    // Fill bytes before the marker: passed over within the window.
    const size_t fill = static_cast<size_t>(SkipFill(p + 1, p + held - 1) - (p + 1));
    if (fill > 0) {
      pos += fill;
      continue;
    }
    const uint8_t code = p[1];
    // The scan, the end, or a marker without a segment: no more header.
    if (code == 0xDA || code == 0xD9 || code == 0x01 || code == 0xD8 ||
        (code >= 0xD0 && code <= 0xD7)) {
      return 0;
    }
    const uint32_t length = static_cast<uint32_t>(p[2] << 8 | p[3]);
    if (length < 2 || pos + 2 + length > fileSize) return 0;
    if (code == JPEG_APP0 + 1 && length - 2 >= sizeof kExif) {
      const uint8_t* kind = window->At(pos + 4, sizeof kExif, &held);
      if (kind != nullptr && held >= sizeof kExif && std::memcmp(kind, kExif, sizeof kExif) == 0) {
        std::vector<uint8_t> tiff(length - 2 - sizeof kExif);
        const uint64_t at = pos + 4 + sizeof kExif;
        if (ReadAt(fd, tiff.data(), tiff.size(), at) < tiff.size()) return 0;
        return ExifOrientation(tiff.data(), tiff.size());
      }
    }
    pos += 2 + length;
  }
  return 0;
}

// Checks the marker structure of a JPEG file fed to it in pieces: every
// marker segment lies inside the file, at least one scan (SOS) comes, and
// an EOI marker ends the entropy-coded data. Bytes after the EOI are not
// looked at. Bytes outside segments are passed over up to the next marker,
// as decoders do. A linear scan: the entropy-coded data are searched for
// FF bytes only.
class MarkerWalk {
 public:
  // With kept, the bytes fed go there, less the fill bytes before each
  // marker up to the first scan: what a header reader needs, the same
  // markers without the runs it would pass over one by one.
  void Feed(const uint8_t* data, size_t size, std::vector<uint8_t>* kept = nullptr) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    const uint8_t* keptFrom = data;
    while (p < end && state_ != State::kDone && state_ != State::kFailed) {
      switch (state_) {
        case State::kStart0: state_ = *p++ == 0xFF ? State::kStart1 : State::kFailed; break;
        case State::kStart1: state_ = *p++ == 0xD8 ? State::kSeek : State::kFailed; break;
        case State::kSeek: {
          const void* ff = std::memchr(p, 0xFF, static_cast<size_t>(end - p));
          if (ff == nullptr) {
            p = end;
          } else {
            p = static_cast<const uint8_t*>(ff) + 1;
            state_ = State::kCode;
          }
          break;
        }
        case State::kCode: {
          const uint8_t* fill = p;
          p = SkipFill(p, end);  // fill bytes
          if (kept != nullptr && scans_ == 0 && p != fill) {
            kept->insert(kept->end(), keptFrom, fill);
            keptFrom = p;
          }
          if (p == end) break;
          const uint8_t code = *p++;
          if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            state_ = State::kSeek;  // stuffed byte, TEM, restart marker
          } else if (code == 0xD8) {
            Fail("a second start of image");
          } else if (code == 0xD9) {
            if (scans_ == 0) {
              Fail("no scan before the end of image");
            } else {
              state_ = State::kDone;
            }
          } else {
            if (code == 0xDA) ++scans_;
            state_ = State::kLength0;
          }
          break;
        }
        case State::kLength0:
          remaining_ = static_cast<uint32_t>(*p++) << 8;
          state_ = State::kLength1;
          break;
        case State::kLength1:
          remaining_ |= *p++;
          if (remaining_ < 2) {
            Fail("bad marker segment length");
          } else {
            remaining_ -= 2;
            state_ = remaining_ == 0 ? State::kSeek : State::kSkip;
          }
          break;
        case State::kSkip: {
          const uint32_t n =
              static_cast<uint32_t>(std::min<size_t>(remaining_, static_cast<size_t>(end - p)));
          p += n;
          remaining_ -= n;
          if (remaining_ == 0) state_ = State::kSeek;
          break;
        }
        default: break;
      }
    }
    if (kept != nullptr) kept->insert(kept->end(), keptFrom, end);
  }
  bool Failed() const { return state_ == State::kFailed; }
  // The verdict once the whole file has been fed: nullptr when the structure
  // is sound, else the reason.
  const char* Problem() const {
    switch (state_) {
      case State::kDone: return nullptr;
      case State::kFailed: return problem_;
      case State::kLength0:
      case State::kLength1:
      case State::kSkip: return "marker segment cut short";
      default: return scans_ == 0 ? "no scan in the file" : "scan data cut short (no end of image)";
    }
  }

 private:
  enum class State { kStart0, kStart1, kSeek, kCode, kLength0, kLength1, kSkip, kDone, kFailed };
  void Fail(const char* why) {
    state_ = State::kFailed;
    problem_ = why;
  }
  State state_ = State::kStart0;
  uint32_t remaining_ = 0;
  uint32_t scans_ = 0;
  const char* problem_ = nullptr;
};

// The file as libjpeg reads its header from it: in blocks, less the fill
// bytes before its markers (MarkerWalk), which libjpeg would otherwise pass
// over one call at a time. Past the end of the file it sees an end of
// image, as from its own file source.
struct HeaderSource {
  jpeg_source_mgr pub;  // first: libjpeg sees only this
  int fd = -1;
  uint64_t size = 0;
  uint64_t pos = 0;
  MarkerWalk walk;
  std::vector<uint8_t> block;
  std::vector<uint8_t> kept;

  HeaderSource(int descriptor, uint64_t fileSize)
      : fd(descriptor),
        size(fileSize),
        block(static_cast<size_t>(
            std::min<uint64_t>(std::max<uint64_t>(fileSize, 1), uint64_t{64} << 10))) {
    std::memset(&pub, 0, sizeof pub);
    pub.init_source = [](j_decompress_ptr) {};
    pub.fill_input_buffer = &Fill;
    pub.skip_input_data = &Skip;
    pub.resync_to_restart = jpeg_resync_to_restart;
    pub.term_source = [](j_decompress_ptr) {};
  }

  static boolean Fill(j_decompress_ptr info) {
    auto* self = reinterpret_cast<HeaderSource*>(info->src);
    self->kept.clear();
    while (self->kept.empty() && self->pos < self->size) {
      const size_t want =
          static_cast<size_t>(std::min<uint64_t>(self->block.size(), self->size - self->pos));
      const size_t n = ReadAt(self->fd, self->block.data(), want, self->pos);
      if (n == 0) break;
      self->pos += n;
      self->walk.Feed(self->block.data(), n, &self->kept);
    }
    if (self->kept.empty()) {
      if (self->pos == 0) ERREXIT(info, JERR_INPUT_EMPTY);
      WARNMS(info, JWRN_JPEG_EOF);
      self->kept = {0xFF, JPEG_EOI};
    }
    self->pub.next_input_byte = self->kept.data();
    self->pub.bytes_in_buffer = self->kept.size();
    return TRUE;
  }

  static void Skip(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = info->src;
    while (count > static_cast<long>(src->bytes_in_buffer)) {
      count -= static_cast<long>(src->bytes_in_buffer);
      Fill(info);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
  }
};

bool ReadHeader(HeaderSource& source, Header* header, char* message) {
  jpeg_decompress_struct info;
  JPEGErrorManager errors;
  std::memset(&info, 0, sizeof info);
  info.err = errors.Install();
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    std::memcpy(message, errors.message, sizeof errors.message);
    return false;
  }
  jpeg_create_decompress(&info);
  info.src = &source.pub;
  jpeg_save_markers(&info, JPEG_APP0 + 13, kApp13Limit);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "no image in the file");
    return false;
  }
  header->width = info.image_width;
  header->height = info.image_height;
  header->precision = info.data_precision;
  header->components = info.num_components;
  header->fileSpace = info.jpeg_color_space;
  header->outputSpace = info.out_color_space;
  header->adobeMarker = info.saw_Adobe_marker != 0;
  header->densityUnit = info.density_unit;
  header->xDensity = info.X_density;
  header->yDensity = info.Y_density;
  header->app13X = 0.0;
  header->app13Y = 0.0;
  // The first APP13 marker decides, whether it qualifies or not.
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    if (marker->marker != JPEG_APP0 + 13) continue;
    ReadApp13(marker, header);
    break;
  }
  jpeg_destroy_decompress(&info);
  return true;
}

// Size in points of one axis: the APP13 resolution (dots per inch) when it
// has one, else the JFIF density (dots per inch or per centimetre), else one
// pixel per point. Double arithmetic with single-precision constants, rounded
// once.
float AxisPoints(uint32_t pixels, double app13, uint8_t unit, uint16_t density) {
  const double p = static_cast<double>(pixels);
  const double points = static_cast<double>(72.0f);
  if (app13 > 0.0) return static_cast<float>(p / app13 * points);
  if (density > 0 && unit == 1)
    return static_cast<float>(p / static_cast<double>(density) * points);
  if (density > 0 && unit == 2) {
    return static_cast<float>(p / (static_cast<double>(density) * static_cast<double>(2.54f)) *
                              points);
  }
  return static_cast<float>(pixels);
}

}  // namespace

namespace {
const char* const kJPEGSignatures[] = {"\xFF\xD8"};
}  // namespace

bool IsJPEGFile(const ImageHead& head) { return ImageFile::StartsWith(head, kJPEGSignatures, 1); }

bool IsJPEGFile(const char* path) { return IsJPEGFile(ImageFile::ReadHead(path)); }

bool ReadJPEGImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error) {
  try {
    if (path == nullptr) return Fail(error, "no file name");
    ImageFile file(path);
    if (!file.IsOpen()) return Fail(error, ImageFile::OpenFailure(file.Failure()));
    const uint64_t fileSize = file.Size();
    if (fileSize > kMaxImageDataSize) return Fail(error, "file too large");
    // The data stay in the file until they are written: what was read is
    // this file as it is now.
    const FileStamp source = FileStamp::OfDescriptor(fileno(file.Get()));

    Header header;
    char message[JMSG_LENGTH_MAX] = {};
    HeaderSource headerSource(fileno(file.Get()), fileSize);
    if (!ReadHeader(headerSource, &header, message)) return Fail(error, message);
    if (header.precision != 8) return Fail(error, "unsupported sample precision");
    if (header.width == 0 || header.height == 0) return Fail(error, "bad image size");

    ImageDescription result;
    result.width = header.width;
    result.height = header.height;
    result.bitsPerComponent = header.precision;
    result.dctEncoded = true;
    switch (header.outputSpace) {
      case JCS_GRAYSCALE: result.colour = ImageColour::DeviceGray; break;
      case JCS_RGB: result.colour = ImageColour::DeviceRGB; break;
      case JCS_CMYK:
        result.colour = ImageColour::DeviceCMYK;
        // YCCK files, and CMYK files written with an Adobe marker, hold
        // inverted CMYK samples.
        result.decodeInverted = header.fileSpace == JCS_YCCK || header.adobeMarker;
        break;
      default: return Fail(error, "unsupported colour model");
    }
    result.source = source;
    const int orientation = ReadOrientation(fileno(file.Get()), fileSize);
    if (orientation != 0) result.orientation = orientation;
    result.widthPoints =
        AxisPoints(header.width, header.app13X, header.densityUnit, header.xDensity);
    result.heightPoints =
        AxisPoints(header.height, header.app13Y, header.densityUnit, header.yDensity);

    // Three components that libjpeg takes as RGB without an Adobe marker
    // (component ids 'R', 'G', 'B') must not be converted from YCbCr, which
    // a PDF reader does to three-component data unless told otherwise.
    result.rgbWithoutTransform = header.fileSpace == JCS_RGB && !header.adobeMarker;

    if (!sink.WantsData()) {
      result.dataSize = fileSize;
      description = std::move(result);
      return true;
    }

    // The whole file, unchanged, is the image data; its marker structure is
    // checked on the way, so that a file cut short is refused.
    if (fseeko(file.Get(), 0, SEEK_SET) != 0) return Fail(error, "cannot read the file");
    // Blocks of 64 KiB: large enough that the system calls cost little,
    // small enough that a new process does not pay a page fault for every
    // 4 KiB of a buffer it touches once.
    const size_t blockSize = static_cast<size_t>(std::min<uint64_t>(fileSize, uint64_t{64} << 10));
    const auto block = std::make_unique_for_overwrite<uint8_t[]>(blockSize);
    sink.Expect(static_cast<size_t>(fileSize));
    MarkerWalk walk;
    uint64_t copied = 0;
    while (copied < fileSize) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(blockSize, fileSize - copied));
      if (std::fread(block.get(), 1, want, file.Get()) != want)
        return Fail(error, "cannot read the file");
      walk.Feed(block.get(), want);
      if (walk.Failed()) break;
      if (!sink.Put(block.get(), want)) return Fail(error, kStorageFailed);
      copied += want;
    }
    if (const char* problem = walk.Problem()) return Fail(error, problem);
    result.dataSize = fileSize;
    description = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory");
  }
}
