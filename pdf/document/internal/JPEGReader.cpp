#include "pdf/document/internal/JPEGReader.h"

#include "pdf/document/internal/ImageFile.h"

#include <sys/types.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "pdf/object/JPEGErrorManager.h"

#include <jerror.h>

namespace {

bool Fail(ImageError* error, ImageError why) { return ImageReadFail(error, std::move(why)); }
bool Refuse(ImageError* error, std::string why) { return ImageRefuse(error, std::move(why)); }

// A read of the file that the system failed (or that found it shorter than
// it was when opened).
const ImageError kCannotRead{ImageError::Kind::kSystem, "cannot read the file"};

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
  // Resolution in dots per inch from the first Photoshop APP13 marker (0:
  // none).
  double app13X;
  double app13Y;
  // The Orientation of the first Exif APP1 marker (0: none readable).
  int orientation;
};

uint16_t BE16(const JOCTET* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t BE32(const JOCTET* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// Reads the resolution of the image resources of a "Photoshop 3.0" marker
// (its data after the signature): they are walked to ResolutionInfo
// (0x03ED), whose horizontal and vertical values, 16.16 fixed-point pixels
// per inch, lie at 0 and 8 of its data (the unit fields that follow each
// name only the unit shown to the user). Each resource is "8BIM", a 16-bit
// id, a name (length byte and text, padded to an even length), a 32-bit data
// length and the data, padded to an even length. Resources without that
// one, or cut inside it, give no resolution.
void ReadApp13(const JOCTET* data, size_t length, Header* header) {
  size_t pos = 0;
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

// Checks the marker structure of a JPEG file from its first scan on, fed
// to it in pieces: every marker segment lies inside the file and an EOI
// marker ends the entropy-coded data. Bytes after the EOI are not looked
// at. Bytes outside segments are passed over up to the next marker, as
// decoders do. A linear scan: the entropy-coded data are searched for FF
// bytes only.
class MarkerWalk {
 public:
  void Feed(const uint8_t* data, size_t size) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    while (p < end && state_ != State::kDone && state_ != State::kFailed) {
      switch (state_) {
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
          p = SkipFill(p, end);  // fill bytes
          if (p == end) break;
          code_ = *p++;
          if (code_ == 0x00 || code_ == 0x01 || (code_ >= 0xD0 && code_ <= 0xD7)) {
            state_ = State::kSeek;  // stuffed byte, TEM, restart marker
          } else if (code_ == 0xD8) {
            Fail("a second start of image");
          } else if (code_ == 0xD9) {
            state_ = State::kDone;
          } else {
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
          if (remaining_ >= 2) {
            remaining_ -= 2;
          } else if (SkippedWhole(code_)) {
            // Read as libjpeg reads it: the length field alone, and the
            // search for the next marker goes on right after it.
            remaining_ = 0;
          } else {
            Fail("bad marker segment length");
            break;
          }
          state_ = remaining_ == 0 ? State::kSeek : State::kSkip;
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
      default: return "scan data cut short (no end of image)";
    }
  }

 private:
  enum class State { kSeek, kCode, kLength0, kLength1, kSkip, kDone, kFailed };
  // The markers whose segments libjpeg skips by their length (APPn, COM,
  // DNL), so that a length below 2 skips nothing; it refuses any other
  // segment of such a length.
  static bool SkippedWhole(uint8_t code) {
    return (code >= JPEG_APP0 && code <= JPEG_APP0 + 15) || code == JPEG_COM || code == 0xDC;
  }
  void Fail(const char* why) {
    state_ = State::kFailed;
    problem_ = why;
  }
  State state_ = State::kSeek;
  uint8_t code_ = 0;
  uint32_t remaining_ = 0;
  const char* problem_ = nullptr;
};

// What the header reading keeps besides libjpeg's record: the header found
// and the source's own fill function, which it wraps to learn whether the
// source ran past the end of the file.
struct HeaderRead {
  Header header;
  boolean (*fill)(j_decompress_ptr) = nullptr;
  bool pastEnd = false;
  bool sawApp13 = false;
  bool sawExif = false;
};

HeaderRead& ReadOf(j_decompress_ptr info) { return *static_cast<HeaderRead*>(info->client_data); }

// libjpeg's file source, noting when it gives an end of image of its own
// because the file ended (it warns as it does).
boolean FillNotingEnd(j_decompress_ptr info) {
  HeaderRead& read = ReadOf(info);
  const long warnings = info->err->num_warnings;
  const boolean filled = (*read.fill)(info);
  if (info->err->num_warnings != warnings) read.pastEnd = true;
  return filled;
}

// Reads n bytes of a marker segment through the source (which never
// suspends: at the end of the file it gives an end-of-image marker).
void SegmentBytes(j_decompress_ptr info, JOCTET* to, size_t n) {
  jpeg_source_mgr* src = info->src;
  while (n > 0) {
    if (src->bytes_in_buffer == 0) (*src->fill_input_buffer)(info);
    const size_t part = std::min(n, src->bytes_in_buffer);
    std::memcpy(to, src->next_input_byte, part);
    src->next_input_byte += part;
    src->bytes_in_buffer -= part;
    to += part;
    n -= part;
  }
}

// The data of the rest of a segment (n bytes), after `kept` bytes of it
// already read (`head`), from libjpeg's image pool (freed with its record).
JOCTET* SegmentData(j_decompress_ptr info, size_t n, const JOCTET* head = nullptr,
                    size_t kept = 0) {
  auto* data = static_cast<JOCTET*>(
      (*info->mem->alloc_large)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, kept + n + 1));
  if (kept > 0) std::memcpy(data, head, kept);
  SegmentBytes(info, data + kept, n);
  return data;
}

// Reads an APP1 or APP13 marker as libjpeg's own processor would, keeping
// what the image needs: the resolution of the first APP13 marker that holds
// Photoshop resources ("Photoshop 3.0", its NUL and a first "8BIM"; it
// decides whether it has one or not) and the Orientation of the first Exif
// APP1 marker. Other markers, empty APP13 markers and APP13 markers of other
// kinds among them, are passed over and their data skipped unread, so that
// a file of many markers costs no memory. A length below 2 holds no data,
// as libjpeg takes it.
boolean ReadAppMarker(j_decompress_ptr info) {
  static const JOCTET kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  static const JOCTET kPhotoshop[14] = {'P', 'h', 'o', 't', 'o', 's', 'h',
                                        'o', 'p', ' ', '3', '.', '0', 0};
  static const JOCTET kResource[4] = {'8', 'B', 'I', 'M'};
  HeaderRead& read = ReadOf(info);
  JOCTET field[2];
  SegmentBytes(info, field, sizeof field);
  size_t left = BE16(field) >= 2 ? BE16(field) - 2u : 0u;
  if (info->unread_marker == JPEG_APP0 + 13 && !read.sawApp13 &&
      left >= sizeof kPhotoshop + sizeof kResource) {
    JOCTET kind[sizeof kPhotoshop + sizeof kResource];
    SegmentBytes(info, kind, sizeof kind);
    left -= sizeof kind;
    if (std::memcmp(kind, kPhotoshop, sizeof kPhotoshop) == 0 &&
        std::memcmp(kind + sizeof kPhotoshop, kResource, sizeof kResource) == 0) {
      read.sawApp13 = true;
      // The resources from the first one's "8BIM" on.
      ReadApp13(SegmentData(info, left, kResource, sizeof kResource), sizeof kResource + left,
                &read.header);
      left = 0;
    }
  } else if (info->unread_marker == JPEG_APP0 + 1 && !read.sawExif && left >= sizeof kExif) {
    JOCTET kind[sizeof kExif];
    SegmentBytes(info, kind, sizeof kind);
    left -= sizeof kind;
    if (std::memcmp(kind, kExif, sizeof kExif) == 0) {
      read.sawExif = true;
      read.header.orientation = ExifOrientation(SegmentData(info, left), left);
      left = 0;
    }
  }
  if (left > 0) (*info->src->skip_input_data)(info, static_cast<long>(left));
  return TRUE;
}

// Reads the header of the file through libjpeg's file source, which stops
// after the first scan's header; where that is, as an offset in the file,
// goes to *scanStart. Plain data only: libjpeg errors jump back here.
bool ReadHeader(FILE* file, HeaderRead* read, uint64_t* scanStart, char* message) {
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
  info.client_data = read;
  jpeg_stdio_src(&info, file);
  read->fill = info.src->fill_input_buffer;
  info.src->fill_input_buffer = &FillNotingEnd;
  jpeg_set_marker_processor(&info, JPEG_APP0 + 1, &ReadAppMarker);
  jpeg_set_marker_processor(&info, JPEG_APP0 + 13, &ReadAppMarker);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "no image in the file");
    return false;
  }
  if (read->pastEnd) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "marker segment cut short");
    return false;
  }
  const off_t at = ftello(file);
  if (at < 0 || static_cast<uint64_t>(at) < info.src->bytes_in_buffer) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "cannot read the file");
    return false;
  }
  *scanStart = static_cast<uint64_t>(at) - info.src->bytes_in_buffer;
  Header& header = read->header;
  header.width = info.image_width;
  header.height = info.image_height;
  header.precision = info.data_precision;
  header.components = info.num_components;
  header.fileSpace = info.jpeg_color_space;
  header.outputSpace = info.out_color_space;
  header.adobeMarker = info.saw_Adobe_marker != 0;
  header.densityUnit = info.density_unit;
  header.xDensity = info.X_density;
  header.yDensity = info.Y_density;
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
                   ImageError* error) {
  try {
    if (path == nullptr) return Refuse(error, "no file name");
    ImageFile file(path);
    if (!file.IsOpen()) return Fail(error, ImageFile::OpenError(file.Failure()));
    const uint64_t fileSize = file.Size();
    if (fileSize > kMaxImageDataSize) return Refuse(error, "file too large");
    // The data stay in the file until they are written: what was read is
    // this file as it is now.
    const FileStamp source = FileStamp::OfDescriptor(fileno(file.Get()));

    HeaderRead read{};
    char message[JMSG_LENGTH_MAX] = {};
    uint64_t scanStart = 0;
    if (!ReadHeader(file.Get(), &read, &scanStart, message)) return Refuse(error, message);
    const Header& header = read.header;
    if (header.precision != 8) return Refuse(error, "unsupported sample precision");
    if (header.width == 0 || header.height == 0) return Refuse(error, "bad image size");

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
      default: return Refuse(error, "unsupported colour model");
    }
    result.source = source;
    if (header.orientation != 0) result.orientation = header.orientation;
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

    // The whole file, unchanged, is the image data; its marker structure
    // from the first scan on, where libjpeg stopped, is checked on the way,
    // so that a file cut short is refused.
    if (fseeko(file.Get(), 0, SEEK_SET) != 0) return Fail(error, kCannotRead);
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
      if (std::fread(block.get(), 1, want, file.Get()) != want) return Fail(error, kCannotRead);
      if (copied + want > scanStart) {
        const size_t skip = copied >= scanStart ? 0 : static_cast<size_t>(scanStart - copied);
        walk.Feed(block.get() + skip, want - skip);
        if (walk.Failed()) break;
      }
      if (!sink.Put(block.get(), want)) return Fail(error, kStorageFailed);
      copied += want;
    }
    if (const char* problem = walk.Problem()) return Refuse(error, problem);
    result.dataSize = fileSize;
    description = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(error, kOutOfMemory);
  }
}

bool ReadJPEGImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error) {
  return ImageReadWithText(
      error, [&](ImageError* why) { return ReadJPEGImage(path, sink, description, why); });
}
