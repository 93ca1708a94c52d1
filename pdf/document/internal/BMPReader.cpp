#include "pdf/document/internal/BMPReader.h"

#include "pdf/document/internal/ImageFile.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

bool Fail(ImageError* error, ImageError why) { return ImageReadFail(error, std::move(why)); }
bool Refuse(ImageError* error, std::string why) { return ImageRefuse(error, std::move(why)); }

// Run-length images go to the sink in bands of rows of about this many bytes
// (at least one row).
constexpr uint64_t kRLEBandBytes = uint64_t{4} << 20;

uint16_t LE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t LE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool ReadAt(FILE* file, uint64_t offset, uint8_t* buffer, size_t size) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, size, file) == size;
}

// One colour channel of a 16 or 32-bit pixel: its mask, the shift that brings
// it down to bit 0, and its largest value after the shift.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
};

Channel MakeChannel(uint32_t mask) {
  Channel channel;
  channel.mask = mask;
  if (mask == 0) return channel;
  while (((mask >> channel.shift) & 1u) == 0) ++channel.shift;
  channel.max = mask >> channel.shift;
  return channel;
}

// Scales a channel's value to 0..255, rounding to nearest.
uint8_t Scale(const Channel& channel, uint32_t pixel) {
  if (channel.max == 0) return 0;
  uint64_t value = (pixel & channel.mask) >> channel.shift;
  return static_cast<uint8_t>((value * 255 + channel.max / 2) / channel.max);
}

// Size in points of one axis: pixels / (pixels per metre x 0.0254) x 72,
// computed in double precision with single-precision constants and rounded
// once. The caller passes 0 for both axes when either has no resolution:
// the page is then one pixel per point on both.
float AxisPoints(uint32_t pixels, int32_t pixelsPerMetre) {
  if (pixelsPerMetre <= 0) return static_cast<float>(pixels);
  return static_cast<float>(static_cast<double>(pixels) /
                            (static_cast<double>(pixelsPerMetre) * static_cast<double>(0.0254f)) *
                            static_cast<double>(72.0f));
}

// The compressed pixel data, read byte by byte through the file's buffer;
// no more than their length is ever taken. Consumed() counts the bytes read
// from the start of the data, where Seek can come back to.
class RLEInput {
 public:
  RLEInput(FILE* file, uint64_t start, uint64_t length)
      : file_(file), start_(start), length_(length) {}
  bool Seek(uint64_t consumed) {
    if (consumed > length_ || start_ + consumed > static_cast<uint64_t>(INT64_MAX)) return false;
    if (fseeko(file_, static_cast<off_t>(start_ + consumed), SEEK_SET) != 0) return false;
    consumed_ = consumed;
    return true;
  }
  bool Get(uint8_t& byte) {
    if (consumed_ == length_) return false;
    const int c = std::getc(file_);
    if (c == EOF) return false;
    ++consumed_;
    byte = static_cast<uint8_t>(c);
    return true;
  }
  uint64_t Consumed() const { return consumed_; }

 private:
  FILE* file_;
  uint64_t start_;
  uint64_t length_;
  uint64_t consumed_ = 0;
};

// Where the run-length decoder stands between two codes: the data read so
// far and the pixel position, x across and y the row in file order (0 the
// first row decoded, the bottom row unless the bitmap is top-down).
struct RLEState {
  uint64_t consumed = 0;
  uint64_t x = 0;
  uint64_t y = 0;
  bool entered = false;  // as a band's starting point: the codes reach the band
};

// Rows [first, first + count) of file order, held in image order (the
// bottom-up file's last row first) in `count` rows of rowBytes bytes that
// start zero.
struct RLEBand {
  uint8_t* data = nullptr;
  uint64_t first = 0;
  uint64_t count = 0;
  uint64_t rowBytes = 0;
  bool topDown = false;
};

enum class RLEStop { kRow, kEndOfBitmap, kCutShort };

// Runs the codes of 8-bit (RLE8) or 4-bit (RLE4) data from the input's
// position and `state` on while the row stays below `stop`: the run ends when
// a code takes the row to `stop` or beyond, at the end-of-bitmap code, or,
// when the data end before either or inside a code, cut short. With a band,
// the pixels that fall in its rows are written there; pixels the codes skip
// (end of line, delta, end of bitmap) stay index 0 and pixels beyond the
// image's width are dropped. onRow(state) follows every change of row. Time
// grows with the data, not with the image: every code covers at most 255
// pixels.
template <class OnRow>
RLEStop RunCodes(RLEInput& in, int bits, uint32_t width, uint64_t stop, RLEState& state,
                 const RLEBand* band, OnRow onRow) {
  uint64_t& x = state.x;
  uint64_t& y = state.y;
  auto put = [&](uint64_t px, uint8_t index) {
    if (band == nullptr || px >= width || y < band->first || y - band->first >= band->count) return;
    const uint64_t inBand = band->topDown ? y - band->first : band->first + band->count - 1 - y;
    uint8_t* row = band->data + inBand * band->rowBytes;
    if (bits == 8) {
      row[px] = index;
    } else if ((px & 1u) == 0) {
      row[px / 2] = static_cast<uint8_t>((row[px / 2] & 0x0F) | (index << 4));
    } else {
      row[px / 2] = static_cast<uint8_t>((row[px / 2] & 0xF0) | (index & 0x0F));
    }
  };
  RLEStop result = RLEStop::kRow;
  while (y < stop) {
    uint8_t count;
    uint8_t value;
    if (!in.Get(count) || !in.Get(value)) {
      result = RLEStop::kCutShort;
      break;
    }
    if (count > 0) {  // encoded run
      if (band != nullptr) {
        for (unsigned i = 0; i < count; ++i) {
          put(x + i, bits == 8 ? value : ((i & 1u) == 0 ? value >> 4 : value & 0x0F));
        }
      }
      x += count;
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
      onRow(state);
    } else if (value == 1) {  // end of bitmap
      result = RLEStop::kEndOfBitmap;
      break;
    } else if (value == 2) {  // delta
      uint8_t right;
      uint8_t up;
      if (!in.Get(right) || !in.Get(up)) {
        result = RLEStop::kCutShort;
        break;
      }
      x += right;
      y += up;
      if (up != 0) onRow(state);
    } else {  // absolute run of value pixels, padded to a 16-bit boundary
      const unsigned bytes = bits == 8 ? value : (value + 1u) / 2;
      uint8_t byte = 0;
      bool cut = false;
      for (unsigned i = 0; i < value; ++i, ++x) {
        if ((bits == 8 || (i & 1u) == 0) && !in.Get(byte)) {
          cut = true;
          break;
        }
        put(x, bits == 8 ? byte : ((i & 1u) == 0 ? byte >> 4 : byte & 0x0F));
      }
      if (cut) {
        result = RLEStop::kCutShort;
        break;
      }
      if (bytes % 2 != 0) in.Get(byte);  // padding; a missing one ends the data anyway
    }
  }
  state.consumed = in.Consumed();
  return result;
}

// Hands the run-length data's image to the sink a band of rows at a time,
// top row first, so that the decoded image is never held whole. A bottom-up
// bitmap decodes its top row last: a first pass over the codes notes where
// each band's codes begin (about a thousand starting points at most), and the
// bands are then decoded from there, last band of the file first. A
// top-down bitmap is decoded in one pass. Rows the codes never reach go out
// as zeros. The data are checked whole before anything reaches the sink.
bool ReadRLEBands(RLEInput& in, int bits, uint32_t width, uint32_t rows, uint64_t rowBytes,
                  bool topDown, ByteSink& sink, ImageError* error) {
  const uint64_t bandRows =
      std::min<uint64_t>(rows, std::max<uint64_t>(1, kRLEBandBytes / rowBytes));
  const uint64_t bands = (rows + bandRows - 1) / bandRows;
  std::vector<RLEState> starts(static_cast<size_t>(bands));
  starts[0].entered = true;
  if (!topDown) {
    RLEState state;
    const RLEStop stop = RunCodes(in, bits, width, rows, state, nullptr, [&](const RLEState& s) {
      if (s.y >= rows) return;
      RLEState& start = starts[static_cast<size_t>(s.y / bandRows)];
      if (!start.entered) {
        start = s;
        start.consumed = in.Consumed();
        start.entered = true;
      }
    });
    if (stop == RLEStop::kCutShort) return Refuse(error, "pixel data cut short");
  }
  std::vector<uint8_t> band(static_cast<size_t>(bandRows * rowBytes));
  // Rows the codes never reach are handed on as zeros when the next decoded
  // band (or the end) comes. A run of them before anything else, the top of
  // a bitmap whose codes end early, goes in place when the sink offers that
  // (PutZeros): storage that starts blank then holds it without a byte
  // written. Later runs go from a block of zeros.
  uint64_t blank = 0;
  auto putBlank = [&]() {
    if (blank == 0) return true;
    if (sink.Size() == 0 && sink.PutZeros(static_cast<size_t>(blank)) != nullptr) {
      blank = 0;
      return true;
    }
    const std::vector<uint8_t> zeros(static_cast<size_t>(std::min<uint64_t>(blank, 1u << 16)), 0);
    for (; blank > 0;) {
      const size_t part = static_cast<size_t>(std::min<uint64_t>(blank, zeros.size()));
      if (!sink.Put(zeros.data(), part)) return false;
      blank -= part;
    }
    return true;
  };
  RLEState running;
  bool ended = false;  // top-down: the end-of-bitmap code was met
  bool expected = false;
  for (uint64_t i = 0; i < bands; ++i) {
    const uint64_t b = topDown ? i : bands - 1 - i;
    RLEBand target;
    target.data = band.data();
    target.first = b * bandRows;
    target.count = std::min<uint64_t>(bandRows, rows - target.first);
    target.rowBytes = rowBytes;
    target.topDown = topDown;
    const size_t bytes = static_cast<size_t>(target.count * rowBytes);
    const uint64_t stop = target.first + target.count;
    if (topDown ? ended || running.y >= stop : !starts[static_cast<size_t>(b)].entered) {
      blank += bytes;
      continue;
    }
    std::fill(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(bytes), 0);
    if (topDown) {
      const RLEStop result =
          RunCodes(in, bits, width, stop, running, &target, [](const RLEState&) {});
      if (result == RLEStop::kCutShort) return Refuse(error, "pixel data cut short");
      ended = result == RLEStop::kEndOfBitmap;
    } else {
      RLEState state = starts[static_cast<size_t>(b)];
      // The data were read whole once; a file changed since fails here.
      if (!in.Seek(state.consumed) || RunCodes(in, bits, width, stop, state, &target,
                                               [](const RLEState&) {}) == RLEStop::kCutShort) {
        return Refuse(error, "pixel data cut short");
      }
    }
    if (!putBlank()) return Fail(error, kStorageFailed);
    if (!expected) {
      // Once codes have been seen: the rest of the image follows in any case.
      sink.Expect(static_cast<size_t>(rowBytes * rows - sink.Size()));
      expected = true;
    }
    if (!sink.Put(band.data(), bytes)) return Fail(error, kStorageFailed);
  }
  if (!putBlank()) return Fail(error, kStorageFailed);
  return true;
}

}  // namespace

namespace {
const char* const kBMPSignatures[] = {"BM"};
}  // namespace

bool IsBMPFile(const ImageHead& head) { return ImageFile::StartsWith(head, kBMPSignatures, 1); }

bool IsBMPFile(const char* path) { return IsBMPFile(ImageFile::ReadHead(path)); }

namespace {

// What the file and information headers say, checked.
struct BitmapHeader {
  uint32_t pixelOffsetField = 0;  // the file header's offset of the pixels
  uint32_t headerSize = 0;
  uint32_t columns = 0;
  uint32_t rows = 0;
  bool topDown = false;  // negative height: rows stored from the top
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xPixelsPerMetre = 0;
  int32_t yPixelsPerMetre = 0;
  uint32_t coloursUsed = 0;

  bool Palette() const { return bitCount == 1 || bitCount == 4 || bitCount == 8; }
  bool RunLength() const { return compression == 1 || compression == 2; }
  bool BitFields() const { return compression == 3 || compression == 6; }
};

// Reads the 14-byte file header and the first 40 bytes of the information
// header, and refuses what cannot be read: a header shorter than 40 bytes
// or past the end of the file, an empty image, a bit count or compression
// this reader does not take.
bool ReadHeaders(FILE* file, uint64_t fileSize, BitmapHeader& h, ImageError* error) {
  uint8_t fileHeader[14];
  if (!ReadAt(file, 0, fileHeader, sizeof fileHeader))
    return Refuse(error, "file header cut short");
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return Refuse(error, "not a bitmap file");
  h.pixelOffsetField = LE32(fileHeader + 10);

  uint8_t header[40];
  if (!ReadAt(file, 14, header, sizeof header))
    return Refuse(error, "information header cut short");
  h.headerSize = LE32(header);
  const int32_t width = static_cast<int32_t>(LE32(header + 4));
  const int32_t height = static_cast<int32_t>(LE32(header + 8));
  h.bitCount = LE16(header + 14);
  h.compression = LE32(header + 16);
  h.imageSize = LE32(header + 20);
  h.xPixelsPerMetre = static_cast<int32_t>(LE32(header + 24));
  h.yPixelsPerMetre = static_cast<int32_t>(LE32(header + 28));
  h.coloursUsed = LE32(header + 32);

  if (h.headerSize < 40) return Refuse(error, "unsupported information header");
  if (14 + static_cast<uint64_t>(h.headerSize) > fileSize)
    return Refuse(error, "information header cut short");
  if (width < 1) return Refuse(error, "bad width");
  if (height == 0 || height == INT32_MIN) return Refuse(error, "bad height");
  h.rows = static_cast<uint32_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  h.topDown = height < 0;
  h.columns = static_cast<uint32_t>(width);

  if (!h.Palette() && h.bitCount != 16 && h.bitCount != 24 && h.bitCount != 32) {
    return Refuse(error, "unsupported bit count");
  }
  if (h.compression == 1 && h.bitCount != 8) return Refuse(error, "RLE8 needs 8 bits per pixel");
  if (h.compression == 2 && h.bitCount != 4) return Refuse(error, "RLE4 needs 4 bits per pixel");
  if (h.BitFields() && h.bitCount != 16 && h.bitCount != 32)
    return Refuse(error, "bit fields need 16 or 32 bits");
  if (h.compression > 3 && h.compression != 6) return Refuse(error, "unsupported compression");
  return true;
}

// The colour masks of 16 and 32-bit pixels: the defaults of the bit count,
// or the bit-field masks, read from a header that holds them or from the
// bytes after a 40-byte header (which then move the palette's start on).
bool ReadColourMasks(FILE* file, uint64_t fileSize, const BitmapHeader& h, uint32_t (&masks)[3],
                     uint64_t& paletteStart, ImageError* error) {
  paletteStart = 14 + static_cast<uint64_t>(h.headerSize);
  masks[0] = 0x7C00;
  masks[1] = 0x03E0;
  masks[2] = 0x001F;
  if (h.bitCount == 32) {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
  }
  if (!h.BitFields()) return true;
  uint8_t maskBytes[12];
  if (h.headerSize >= 52) {
    if (!ReadAt(file, 54, maskBytes, sizeof maskBytes))
      return Refuse(error, "colour masks cut short");
    for (int i = 0; i < 3; ++i) masks[i] = LE32(maskBytes + 4 * i);
    return true;
  }
  // A 40-byte header is followed by the masks (and an alpha mask for
  // compression 6) when the pixel offset leaves room for them.
  const uint64_t maskBytesAfter = h.compression == 6 ? 16 : 12;
  if (h.pixelOffsetField >= 54 + maskBytesAfter && 54 + maskBytesAfter <= fileSize) {
    if (!ReadAt(file, 54, maskBytes, sizeof maskBytes))
      return Refuse(error, "colour masks cut short");
    for (int i = 0; i < 3; ++i) masks[i] = LE32(maskBytes + 4 * i);
    paletteStart += maskBytesAfter;
  }
  return true;
}

// The palette entries (4 bytes each as stored) that the bit depth can
// reach, and where the colour table ends in the file: a palette longer than
// the depth can index keeps its place, and a colour table that true-colour
// pixels do not use still comes before the pixels.
bool ReadPalette(FILE* file, uint64_t fileSize, const BitmapHeader& h, uint64_t paletteStart,
                 std::vector<uint8_t>& entries, uint64_t& paletteEnd, ImageError* error) {
  paletteEnd = paletteStart;
  if (h.Palette()) {
    const uint64_t count = h.coloursUsed != 0 ? h.coloursUsed : (1u << h.bitCount);
    paletteEnd = paletteStart + count * 4;
    if (paletteEnd > fileSize) return Refuse(error, "palette cut short");
    const uint64_t reachable = std::min<uint64_t>(count, 1u << h.bitCount);
    entries.resize(static_cast<size_t>(reachable) * 4);
    if (!ReadAt(file, paletteStart, entries.data(), entries.size())) {
      return Refuse(error, "palette cut short");
    }
  } else if (h.coloursUsed != 0 &&
             paletteStart + static_cast<uint64_t>(h.coloursUsed) * 4 <= fileSize) {
    paletteEnd = paletteStart + static_cast<uint64_t>(h.coloursUsed) * 4;
  }
  return true;
}

// The image the bitmap becomes: two-colour black-and-white palettes give
// image masks, other palettes Indexed images, true colour 8-bit DeviceRGB;
// with the size in points from the resolution (one pixel per point when
// either axis has none). entries: as ReadPalette gives them.
ImageDescription Describe(const BitmapHeader& h, const std::vector<uint8_t>& entries) {
  ImageDescription result;
  result.width = h.columns;
  result.height = h.rows;
  if (h.Palette()) {
    const uint32_t entryCount = static_cast<uint32_t>(entries.size() / 4);
    result.bitsPerComponent = h.bitCount;
    const uint8_t* e0 = entries.data();
    const uint8_t* e1 = entries.data() + 4;
    auto is = [](const uint8_t* e, uint8_t v) { return e[0] == v && e[1] == v && e[2] == v; };
    if (h.bitCount == 1 && entryCount >= 2 && is(e0, 0xFF) && is(e1, 0x00)) {
      result.colour = ImageColour::ImageMask;
      result.decodeInverted = true;
    } else if (h.bitCount == 1 && entryCount >= 2 && is(e0, 0x00) && is(e1, 0xFF)) {
      result.colour = ImageColour::ImageMask;
    } else {
      result.colour = ImageColour::Indexed;
      result.hival = static_cast<int>(entryCount) - 1;
      result.palette.resize(static_cast<size_t>(entryCount) * 3);
      for (uint32_t i = 0; i < entryCount; ++i) {
        result.palette[3 * i] = entries[4 * i + 2];
        result.palette[3 * i + 1] = entries[4 * i + 1];
        result.palette[3 * i + 2] = entries[4 * i];
      }
    }
  } else {
    result.bitsPerComponent = 8;
    result.colour = ImageColour::DeviceRGB;
  }
  const bool resolution = h.xPixelsPerMetre > 0 && h.yPixelsPerMetre > 0;
  result.widthPoints = AxisPoints(h.columns, resolution ? h.xPixelsPerMetre : 0);
  result.heightPoints = AxisPoints(h.rows, resolution ? h.yPixelsPerMetre : 0);
  return result;
}

// Decodes run-length data from the pixel offset (as long as the image size
// says, or to the end of the file) into the sink: in bands of rows, or,
// for a row above the decode budget, in one pass into the image data in
// place, which start zero, so a blank image from a few bytes costs no more
// than its size in the sink.
bool ReadRunLengthPixels(FILE* file, uint64_t fileSize, const BitmapHeader& h, uint64_t pixelOffset,
                         uint64_t outRowBytes, ByteSink& sink, ImageError* error) {
  uint64_t available = fileSize - pixelOffset;
  if (h.imageSize > available) return Refuse(error, "pixel data cut short");
  if (h.imageSize != 0) available = h.imageSize;
  RLEInput input(file, pixelOffset, available);
  if (!input.Seek(0)) return Refuse(error, "pixel data cut short");
  if (outRowBytes <= kImageDecodeBudget) {
    return ReadRLEBands(input, h.bitCount, h.columns, h.rows, outRowBytes, h.topDown, sink, error);
  }
  uint8_t* image = sink.PutZeros(static_cast<size_t>(outRowBytes * h.rows));
  if (image == nullptr) return Fail(error, kStorageFailed);
  RLEBand whole;
  whole.data = image;
  whole.count = h.rows;
  whole.rowBytes = outRowBytes;
  whole.topDown = h.topDown;
  RLEState state;
  if (RunCodes(input, h.bitCount, h.columns, h.rows, state, &whole, [](const RLEState&) {}) ==
      RLEStop::kCutShort) {
    return Refuse(error, "pixel data cut short");
  }
  return true;
}

// Converts one row of 16, 24 or 32-bit pixels into red, green, blue bytes.
void ConvertTrueColourRow(const uint8_t* row, uint32_t columns, uint16_t bitCount,
                          const Channel (&channels)[3], uint8_t* out) {
  for (uint32_t x = 0; x < columns; ++x, out += 3) {
    if (bitCount == 24) {
      out[0] = row[3 * x + 2];
      out[1] = row[3 * x + 1];
      out[2] = row[3 * x];
    } else {
      const uint32_t pixel = bitCount == 16 ? LE16(row + 2 * x) : LE32(row + 4 * x);
      for (int c = 0; c < 3; ++c) out[c] = Scale(channels[c], pixel);
    }
  }
}

// Hands uncompressed rows to the sink from the top, one padded row read at
// a time; palette rows as stored, true-colour rows converted. Every row
// must be in the file; the last row may lack its padding.
bool ReadUncompressedRows(FILE* file, uint64_t fileSize, const BitmapHeader& h,
                          uint64_t pixelOffset, const uint32_t (&masks)[3], uint64_t outRowBytes,
                          ByteSink& sink, ImageError* error) {
  const uint64_t inRowBytes = (static_cast<uint64_t>(h.columns) * h.bitCount + 7) / 8;
  const uint64_t paddedRow = (inRowBytes + 3) / 4 * 4;
  if (pixelOffset + paddedRow * (h.rows - 1) + inRowBytes > fileSize) {
    return Refuse(error, "pixel data cut short");
  }
  sink.Expect(static_cast<size_t>(outRowBytes * h.rows));
  std::vector<uint8_t> in(static_cast<size_t>(inRowBytes));
  std::vector<uint8_t> out(h.Palette() ? 0 : static_cast<size_t>(outRowBytes));
  const Channel channels[3] = {MakeChannel(masks[0]), MakeChannel(masks[1]), MakeChannel(masks[2])};
  for (uint32_t r = 0; r < h.rows; ++r) {
    const uint32_t fileRow = h.topDown ? r : h.rows - 1 - r;
    if (!ReadAt(file, pixelOffset + paddedRow * fileRow, in.data(), in.size())) {
      return Refuse(error, "pixel data cut short");
    }
    const uint8_t* row = in.data();
    if (!h.Palette()) {
      ConvertTrueColourRow(row, h.columns, h.bitCount, channels, out.data());
      row = out.data();
    }
    if (!sink.Put(row, static_cast<size_t>(outRowBytes))) return Fail(error, kStorageFailed);
  }
  return true;
}

}  // namespace

bool ReadBMPImage(const char* path, ByteSink& sink, ImageDescription& description,
                  ImageError* error) {
  try {
    if (path == nullptr) return Refuse(error, "no file name");
    ImageFile file(path);
    if (!file.IsOpen()) return Fail(error, ImageFile::OpenError(file.Failure()));
    const uint64_t fileSize = file.Size();

    BitmapHeader h;
    if (!ReadHeaders(file.Get(), fileSize, h, error)) return false;
    uint32_t masks[3];
    uint64_t paletteStart = 0;
    if (!ReadColourMasks(file.Get(), fileSize, h, masks, paletteStart, error)) return false;
    std::vector<uint8_t> entries;
    uint64_t paletteEnd = 0;
    if (!ReadPalette(file.Get(), fileSize, h, paletteStart, entries, paletteEnd, error))
      return false;
    const uint64_t pixelOffset = (h.pixelOffsetField >= paletteEnd && h.pixelOffsetField < fileSize)
                                     ? h.pixelOffsetField
                                     : paletteEnd;

    ImageDescription result = Describe(h, entries);
    const uint64_t outRowBytes = h.Palette()
                                     ? (static_cast<uint64_t>(h.columns) * h.bitCount + 7) / 8
                                     : 3 * static_cast<uint64_t>(h.columns);
    const uint64_t dataSize = outRowBytes * h.rows;
    if (dataSize > kMaxImageDataSize) return Refuse(error, "image too large");
    result.dataSize = dataSize;
    if (sink.WantsData()) {
      const bool read = h.RunLength() ? ReadRunLengthPixels(file.Get(), fileSize, h, pixelOffset,
                                                            outRowBytes, sink, error)
                                      : ReadUncompressedRows(file.Get(), fileSize, h, pixelOffset,
                                                             masks, outRowBytes, sink, error);
      if (!read) return false;
    }
    description = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(error, kOutOfMemory);
  }
}

bool ReadBMPImage(const char* path, ByteSink& sink, ImageDescription& description,
                  std::string* error) {
  return ImageReadWithText(
      error, [&](ImageError* why) { return ReadBMPImage(path, sink, description, why); });
}
