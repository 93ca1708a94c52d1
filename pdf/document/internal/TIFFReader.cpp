#include "pdf/document/internal/TIFFReader.h"

#include "pdf/document/internal/ImageFile.h"

#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "pdf/object/TIFFErrorCapture.h"

namespace {

bool Fail(ImageError* error, ImageError why) { return ImageReadFail(error, std::move(why)); }
bool Refuse(ImageError* error, std::string why) { return ImageRefuse(error, std::move(why)); }

// Size in points of one axis by the resolution unit: 2 inch, 3 centimetre,
// any other one pixel per point, as is a missing, zero, negative or
// non-finite resolution. Double arithmetic with single-precision
// constants, rounded once.
float AxisPoints(uint32_t pixels, bool hasResolution, float resolution, uint16_t unit) {
  const double p = static_cast<double>(pixels);
  if (!hasResolution || !std::isfinite(resolution) || resolution <= 0.0f)
    return static_cast<float>(pixels);
  const double r = static_cast<double>(resolution);
  if (unit == RESUNIT_INCH) return static_cast<float>(p / r * static_cast<double>(72.0f));
  if (unit == RESUNIT_CENTIMETER) {
    return static_cast<float>(p / (r * static_cast<double>(2.54f)) * static_cast<double>(72.0f));
  }
  return static_cast<float>(pixels);
}

// The lookup table of a colour map of n entries: red, green, blue per entry.
// The map holds 16-bit values, of which the high byte is kept; many writers
// store 8-bit values instead, which would all become 0, so a map whose
// entries are all below 256 is taken as 8-bit.
std::vector<uint8_t> PaletteBytes(const uint16_t* red, const uint16_t* green, const uint16_t* blue,
                                  int n) {
  const uint16_t* maps[3] = {red, green, blue};
  bool eightBit = true;
  for (const uint16_t* map : maps) {
    for (int i = 0; i < n && eightBit; ++i) eightBit = map[i] < 256;
  }
  const int shift = eightBit ? 0 : 8;
  std::vector<uint8_t> palette(static_cast<size_t>(n) * 3);
  for (int i = 0; i < n; ++i) {
    for (int c = 0; c < 3; ++c)
      palette[3 * static_cast<size_t>(i) + c] = static_cast<uint8_t>(maps[c][i] >> shift);
  }
  return palette;
}

// Uncompressed strips and tiles of a file that is read, not mapped, are
// copied from the file as many bytes as the rows the tags promise, whatever
// the piece's byte count says: libtiff then reads on past the piece into
// the data that follow and answers success. (Mapped, or row by row, it finds
// the data short and answers -1.) A piece whose byte count is below the
// bytes it gave is cut short: a damaged RowsPerStrip or TileLength, or a
// byte count that lies.
bool HoldsWhatItGave(TIFF* tiff, uint16_t compression, uint32_t piece, tmsize_t given) {
  return compression != COMPRESSION_NONE || given <= 0 ||
         TIFFGetStrileByteCount(tiff, piece) >= static_cast<uint64_t>(given);
}

// The failure of a piece (strip or tile `piece`, counted from 0 as libtiff
// counts them and named counted from 1, as images are) that libtiff could
// not decode or decoded short (a JPEG piece of fewer rows than it declares,
// or whose data end early), with libtiff's reason when it gave one, or of a
// piece cut short.
bool PieceFails(const TIFFErrorCapture& capture, ImageError* error, const char* what,
                uint64_t piece, bool cutShort = false) {
  std::string text = std::string("cannot decode ") + what + " " + std::to_string(piece + 1);
  if (capture.HasError()) {
    text += ": " + capture.Text();
  } else if (cutShort) {
    text += ": its data are shorter than its rows";
  }
  return Refuse(error, text);
}

// --- Samples ---

// Sample k of a row as libtiff hands it over: 16, 24 and 32-bit samples as
// integers in the host's byte order (libtiff swaps them from the file's),
// samples of any other depth packed from the high bit of each byte on.
uint32_t GetSample(const uint8_t* row, uint64_t k, int bits) {
  switch (bits) {
    case 8: return row[k];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * k, 2);
      return v;
    }
    case 24: {
      const uint8_t* p = row + 3 * k;
      if constexpr (std::endian::native == std::endian::little) {
        return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
      } else {
        return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
      }
    }
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + 4 * k, 4);
      return v;
    }
    default: {
      // At most 31 bits, so at most five bytes hold the sample.
      const uint64_t first = k * static_cast<uint64_t>(bits);
      const uint64_t last = first + static_cast<uint64_t>(bits) - 1;
      uint64_t held = 0;
      for (uint64_t b = first / 8; b <= last / 8; ++b) held = held << 8 | row[b];
      const uint64_t mask = (uint64_t{1} << bits) - 1;
      return static_cast<uint32_t>((held >> (7 - last % 8)) & mask);
    }
  }
}

// Stores sample k of an output row of 1, 2, 4 or 8 bits per sample; the
// bytes of a row of fewer bits must start as zeros.
void PutSample(uint8_t* row, uint64_t k, int bits, uint32_t value) {
  if (bits == 8) {
    row[k] = static_cast<uint8_t>(value);
    return;
  }
  const uint64_t bit = k * static_cast<uint64_t>(bits);
  row[bit / 8] |= static_cast<uint8_t>(value << (8 - bits - bit % 8));
}

// The depth the samples of a file of this depth are stored at: PDF takes 1,
// 2, 4 and 8 bits per component; 3, 5, 6 and 7-bit samples are scaled up,
// deeper ones cut to their high 8 bits.
int StoredBits(int bits) { return bits == 1 || bits == 2 || bits == 4 ? bits : 8; }

// A sample of the file's depth at the stored depth: of 3, 5, 6 or 7 bits
// round(255 v / (2^n - 1)), the level a reader draws a sample of n bits at.
uint32_t Reduce(uint32_t value, int bits) {
  if (bits > 8) return value >> (bits - 8);
  if (bits == 8 || StoredBits(bits) == bits) return value;
  const uint32_t full = (uint32_t{1} << bits) - 1;
  return (value * 255 + full / 2) / full;
}

// A colour sample premultiplied by its alpha, divided out again at the
// samples' own depth and stored at 8 bits: round(255 x colour / alpha),
// colour and alpha of the same maximum, so the quotient keeps its
// precision however few or many bits the file gave. 1-bit samples stay 1
// bit, where the division is exact. Under alpha 0 the colour is the one
// stored, scaled to 8 bits as under the full alpha: a premultiplied file
// stores 0 there, and one that stores a colour means it to be seen. A
// colour above its alpha (which premultiplied data cannot hold) is taken as
// the full value.
uint32_t Unpremultiply(uint32_t colour, uint32_t alpha, int bits) {
  if (bits == 1) return colour;
  const uint64_t full = (uint64_t{1} << bits) - 1;
  const uint64_t a = alpha == 0 ? full : alpha;
  if (colour >= a) return 255;
  return static_cast<uint32_t>((uint64_t{colour} * 255 + a / 2) / a);
}

// How the samples of one decoded piece become output samples.
struct Layout {
  uint16_t compression;
  uint32_t width;
  int bits;        // bits per sample in the file
  int samples;     // samples per pixel in the file
  int components;  // colour components kept
  bool planar;     // one plane per sample
  int alpha;       // the sample of an associated alpha, or -1
  int outBits;     // bits per component stored
  uint64_t outRowBytes;

  // Pixels stored as they are decoded: exactly the kept components, at a
  // depth PDF takes.
  bool Plain() const { return !planar && samples == components && outBits == bits; }
  bool HasAlpha() const { return alpha >= 0; }
};

// Converts n pixels of one piece row (of plane `plane` when planar) into the
// output row from pixel x0 on. With an associated alpha, `alphaRow` holds
// the alpha plane's samples of the same pixels when planar.
void ConvertRun(const Layout& layout, const uint8_t* in, const uint8_t* alphaRow, uint32_t n,
                int plane, uint8_t* out, uint32_t x0) {
  const int comps = layout.components;
  if (layout.Plain()) {
    // Whole bytes; below 8 bits x0 is 0 or a tile edge, a multiple of 16
    // pixels, so byte aligned.
    const uint64_t bitsPerPixel = static_cast<uint64_t>(comps) * layout.bits;
    const uint64_t start = x0 * bitsPerPixel / 8;
    const uint64_t bytes = (n * bitsPerPixel + 7) / 8;
    std::memcpy(out + start, in,
                static_cast<size_t>(std::min<uint64_t>(bytes, layout.outRowBytes - start)));
    return;
  }
  const int bits = layout.bits;
  const uint64_t first = static_cast<uint64_t>(x0) * comps;
  if (layout.planar) {
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t v = GetSample(in, i, bits);
      PutSample(out, first + static_cast<uint64_t>(i) * comps + plane, layout.outBits,
                alphaRow != nullptr ? Unpremultiply(v, GetSample(alphaRow, i, bits), bits)
                                    : Reduce(v, bits));
    }
    return;
  }
  for (uint32_t i = 0; i < n; ++i) {
    const uint64_t base = static_cast<uint64_t>(i) * layout.samples;
    const uint32_t a = layout.HasAlpha() ? GetSample(in, base + layout.alpha, bits) : 0;
    for (int c = 0; c < comps; ++c) {
      const uint32_t v = GetSample(in, base + c, bits);
      PutSample(out, first + static_cast<uint64_t>(i) * comps + c, layout.outBits,
                layout.HasAlpha() ? Unpremultiply(v, a, bits) : Reduce(v, bits));
    }
  }
}

// Bytes of one row of `pixels` pixels of a piece (one plane when planar).
uint64_t PieceRowBytes(const Layout& layout, uint64_t pixels) {
  const int perPixel = layout.planar ? 1 : layout.samples;
  return (pixels * perPixel * layout.bits + 7) / 8;
}

bool Check(const TIFFErrorCapture& capture, ImageError* error, const char* what) {
  if (!capture.HasError()) return true;
  return Refuse(error, std::string(what) + ": " + capture.Text());
}

// Hands n zero bytes to the sink, a block at a time.
bool PutZeros(ByteSink& sink, uint64_t n) {
  const std::vector<uint8_t> zeros(static_cast<size_t>(std::min<uint64_t>(n, uint64_t{1} << 16)),
                                   0);
  while (n > 0) {
    const size_t part = static_cast<size_t>(std::min<uint64_t>(n, zeros.size()));
    if (!sink.Put(zeros.data(), part)) return false;
    n -= part;
  }
  return true;
}

// Rows decoded in bands of about this many bytes go to the sink a band at a
// time: the sink (a compressor) starts on the first rows while later ones
// are still being decoded, and the band's buffer stays small.
constexpr uint64_t kRowBandBytes = uint64_t{64} << 10;

// Codecs whose row decoding gives the same bytes as their strip decoding,
// whatever the data: both run the same decoder over the rows in order.
bool DecodesRowsInOrder(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_LZW:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return true;
    default: return false;
  }
}

// --- Opening a file at one of its images ---

// The identity and the image directories of the file whose chain was
// walked last, in chain order: ConvertOne reads image after image of one
// file, each through a handle of its own, and without them reaching image N
// would walk N directories (libtiff's own seek does so on every new handle
// too), quadratic in the images. One thread reads a file at a time; each
// thread keeps its own.
struct ImageChain {
  FileStamp file;
  uint64_t first = 0;             // where the first directory lies
  std::vector<uint64_t> offsets;  // offsets[i]: where image i's directory lies
  uint64_t last = 0;              // the last directory read
  uint32_t directories = 0;       // directories read, images or not
  std::unordered_set<uint64_t> seen;
  bool complete = false;  // the chain ends after the last directory read
};

// A directory of the chain that is no image of its own: a
// reduced-resolution version of an image (NewSubfileType bit 0: a
// thumbnail, an overview of a large scan) or an image's transparency mask
// (NewSubfileType bit 2, or PhotometricInterpretation 4), which the page
// does without.
bool IsNoImage(TIFF* tiff) {
  uint32_t type = 0;
  if (TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &type) != 0 &&
      (type & (FILETYPE_REDUCEDIMAGE | FILETYPE_MASK)) != 0) {
    return true;
  }
  uint16_t photometric = 0;
  return TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 0 &&
         photometric == PHOTOMETRIC_MASK;
}

ImageChain& KnownChain() {
  thread_local ImageChain chain;
  return chain;
}

// A TIFF file opened through libtiff, read rather than mapped ("m"): the
// strips pass through the decoder's buffers only, and the file's pages do
// not stay in the process's memory. Opened at image N, libtiff is shown a
// header whose first directory is image N's, so that it reads that
// directory at once and nothing of the chain before it.
class TIFFFile {
 public:
  TIFFFile() = default;
  TIFFFile(const TIFFFile&) = delete;
  TIFFFile& operator=(const TIFFFile&) = delete;
  ~TIFFFile() {
    if (tiff_ != nullptr) TIFFClose(tiff_);
    if (fd_ >= 0) ::close(fd_);
  }

  // Opens the file; with a directory offset other than 0 that directory is
  // read as the first.
  bool Open(const char* path, uint64_t directory, const TIFFErrorCapture& capture,
            ImageError* error) {
    int failure = 0;
    fd_ = ImageFile::OpenRegular(path, nullptr, &failure);
    if (fd_ < 0) return Fail(error, ImageFile::OpenError(failure));
    if (directory != 0 && !PatchHeader(directory)) return Refuse(error, "not a TIFF file");
    WatchTagValues();
    tiff_ =
        TIFFClientOpen(path, "rm", this, &Read, &Write, &Seek, &CloseNothing, &Size, &Map, &Unmap);
    if (tiff_ == nullptr)
      return Refuse(error, capture.HasError() ? capture.Text() : "cannot read the file");
    if (capture.HasError()) return Refuse(error, "open: " + capture.Text());
    return true;
  }
  TIFF* Get() const { return tiff_; }
  int Descriptor() const { return fd_; }

 private:
  // The header as the file has it, with the offset of the first directory
  // replaced (in the file's byte order; classic or BigTIFF).
  bool PatchHeader(uint64_t directory) {
    uint8_t head[16];
    if (::pread(fd_, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head)) return false;
    const bool little = head[0] == 'I' && head[1] == 'I';
    if (!little && !(head[0] == 'M' && head[1] == 'M')) return false;
    const unsigned version = little ? head[2] | head[3] << 8 : head[2] << 8 | head[3];
    if (version != 42 && version != 43) return false;
    const int at = version == 43 ? 8 : 4;
    const int size = version == 43 ? 8 : 4;
    if (size == 4 && directory > UINT32_MAX) return false;
    std::memcpy(header_, head, sizeof head);
    for (int i = 0; i < size; ++i) {
      const int shift = 8 * (little ? i : size - 1 - i);
      header_[at + i] = static_cast<uint8_t>(directory >> shift);
    }
    headerSize_ = static_cast<uint64_t>(at + size);
    return true;
  }

  static tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size) {
    auto* self = static_cast<TIFFFile*>(handle);
    if (size < 0) return -1;
    auto* bytes = static_cast<uint8_t*>(buffer);
    tmsize_t done = 0;
    while (done < size) {
      const ssize_t n = ::pread(self->fd_, bytes + done, static_cast<size_t>(size - done),
                                static_cast<off_t>(self->position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += n;
    }
    // The replaced bytes of the header, wherever the read overlaps them.
    for (uint64_t at = self->position_; at < self->headerSize_ && at < self->position_ + done;
         ++at) {
      bytes[at - self->position_] = self->header_[at];
    }
    self->position_ += static_cast<uint64_t>(done);
    return done;
  }
  static tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }
  static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    auto* self = static_cast<TIFFFile*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR) {
      base = self->position_;
    } else if (whence == SEEK_END) {
      struct stat info;
      if (::fstat(self->fd_, &info) != 0) return static_cast<toff_t>(-1);
      base = static_cast<uint64_t>(info.st_size);
    }
    if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
    self->position_ = base + offset;
    return self->position_;
  }
  // libtiff refuses a value outside the range of a tag it knows as an
  // error, which would refuse the whole file for a value the image does
  // not depend on. The tag methods of every directory of these files pass
  // such values on in range instead: an Orientation outside 1 to 8 is not
  // set (the image is shown as stored), a ResolutionUnit outside 1 to 3
  // becomes 1 (no unit) and a FillOrder outside 1 and 2 becomes 1. The
  // methods are installed through libtiff's tag extender, which runs for
  // every directory before its tags are read; other users' files are left
  // to the extender that was there before.
  static void WatchTagValues() {
    static const bool installed = (Previous() = TIFFSetTagExtender(&Extend), true);
    (void)installed;
  }
  static TIFFExtendProc& Previous() {
    static TIFFExtendProc previous = nullptr;
    return previous;
  }
  static void Extend(TIFF* tiff) {
    if (Previous() != nullptr) Previous()(tiff);
    if (TIFFGetReadProc(tiff) != &Read) return;
    auto* self = static_cast<TIFFFile*>(TIFFClientdata(tiff));
    TIFFTagMethods* methods = TIFFAccessTagMethods(tiff);
    if (self == nullptr || methods == nullptr || methods->vsetfield == &SetField) return;
    self->setField_ = methods->vsetfield;
    methods->vsetfield = &SetField;
  }
  static int SetField(TIFF* tiff, uint32_t tag, va_list args) {
    auto* self = static_cast<TIFFFile*>(TIFFClientdata(tiff));
    int highest = 0;
    if (tag == TIFFTAG_ORIENTATION) highest = ORIENTATION_LEFTBOT;
    if (tag == TIFFTAG_RESOLUTIONUNIT) highest = RESUNIT_CENTIMETER;
    if (tag == TIFFTAG_FILLORDER) highest = FILLORDER_LSB2MSB;
    if (highest != 0) {
      // Short values reach libtiff promoted to int.
      va_list copy;
      va_copy(copy, args);
      const int value = va_arg(copy, int);
      va_end(copy);
      if (value < 1 || value > highest) {
        if (tag == TIFFTAG_ORIENTATION) return 1;
        return TIFFSetField(tiff, tag,
                            tag == TIFFTAG_RESOLUTIONUNIT ? RESUNIT_NONE : FILLORDER_MSB2LSB);
      }
    }
    return self->setField_(tiff, tag, args);
  }

  // The descriptor is closed by the destructor, after libtiff is done.
  static int CloseNothing(thandle_t) { return 0; }
  static toff_t Size(thandle_t handle) {
    struct stat info;
    if (::fstat(static_cast<TIFFFile*>(handle)->fd_, &info) != 0) return 0;
    return static_cast<toff_t>(info.st_size);
  }
  static int Map(thandle_t, void**, toff_t*) { return 0; }
  static void Unmap(thandle_t, void*, toff_t) {}

  int fd_ = -1;
  TIFF* tiff_ = nullptr;
  uint64_t position_ = 0;
  uint8_t header_[16] = {};
  uint64_t headerSize_ = 0;            // 0: the header as it is
  TIFFVSetMethod setField_ = nullptr;  // the tag methods' own, which SetField passes on to
};

std::string ImageText(uint32_t index) { return "image " + std::to_string(index + 1); }

// A failure that names the image it is about.
ImageError OfImage(const std::string& image, const std::string& text) {
  return {ImageError::Kind::kRefused, image + ": " + text, true};
}

// Reads the directories of the chain after the last one known until image
// `index` is known (all of them when the chain is to be counted); the file
// is open at its first directory. Reduced-resolution and mask directories
// are read and passed over, counted only against kMaxTIFFDirectories; a
// chain of nothing else has its first directory as its one image. False
// with the reason when a directory cannot be read; a chain that ends (or
// leads back to a directory already read, which libtiff stops at) before
// the image is no failure here.
bool WalkChain(const char* path, const TIFFErrorCapture& capture, TIFFFile& file, ImageChain& chain,
               uint32_t index, ImageError* error) {
  std::unique_ptr<TIFFFile> resumed;
  TIFF* tiff = file.Get();
  if (chain.last != chain.first) {
    resumed = std::make_unique<TIFFFile>();
    if (!resumed->Open(path, chain.last, capture, error)) return false;
    tiff = resumed->Get();
  }
  while (!chain.complete && chain.offsets.size() <= index) {
    // A directory that cannot be read is named as the image it would be.
    const std::string image = ImageText(static_cast<uint32_t>(chain.offsets.size()));
    if (!TIFFReadDirectory(tiff)) {
      if (capture.HasError()) return Fail(error, OfImage(image, capture.Text()));
      chain.complete = true;
      break;
    }
    if (capture.HasError()) return Fail(error, OfImage(image, capture.Text()));
    // A chain that leads back to a directory already read ends there, also
    // when the walk was resumed past it (libtiff's own check starts anew).
    const uint64_t offset = TIFFCurrentDirOffset(tiff);
    if (!chain.seen.insert(offset).second) {
      chain.complete = true;
      break;
    }
    if (chain.directories >= kMaxTIFFDirectories) {
      return Refuse(error, "more than " + std::to_string(kMaxTIFFDirectories) + " directories");
    }
    ++chain.directories;
    chain.last = offset;
    if (IsNoImage(tiff)) continue;
    if (chain.offsets.size() >= kMaxTIFFImages) {
      return Refuse(error, "more than " + std::to_string(kMaxTIFFImages) + " images");
    }
    chain.offsets.push_back(offset);
  }
  if (chain.complete && chain.offsets.empty()) chain.offsets.push_back(chain.first);
  return true;
}

// The chain known for the file open at its first directory: the one walked
// before when it is the same file, else a new one holding that directory
// alone.
ImageChain& ChainOf(TIFFFile& file) {
  ImageChain& chain = KnownChain();
  const FileStamp stamp = FileStamp::OfDescriptor(file.Descriptor());
  const uint64_t first = TIFFCurrentDirOffset(file.Get());
  if (!stamp.IsSet() || chain.file != stamp || chain.directories == 0 || chain.first != first) {
    chain.file = stamp;
    chain.first = first;
    chain.last = first;
    chain.directories = 1;
    chain.offsets.clear();
    if (!IsNoImage(file.Get())) chain.offsets.push_back(first);
    chain.seen.clear();
    chain.seen.insert(first);
    chain.complete = false;
  }
  return chain;
}

// Opens the file at image `index`. The first directory is image 0 unless it
// is a reduced or mask one; the walk is needed only then or for a later
// image.
bool OpenImage(const char* path, const TIFFErrorCapture& capture, uint32_t index,
               std::unique_ptr<TIFFFile>& file, ImageError* error) {
  file = std::make_unique<TIFFFile>();
  if (!file->Open(path, 0, capture, error)) return false;
  if (index == 0 && !IsNoImage(file->Get())) return true;
  ImageChain& chain = ChainOf(*file);
  if (!WalkChain(path, capture, *file, chain, index, error)) return false;
  if (index >= chain.offsets.size()) {
    return Fail(error, NoSuchImage(index, static_cast<uint32_t>(chain.offsets.size())));
  }
  const uint64_t offset = chain.offsets[index];
  file = std::make_unique<TIFFFile>();
  return file->Open(path, offset, capture, error);
}

// --- Reading the samples ---

// Strips that are already rows in PDF order, handed to the sink one after
// another as they are decoded. Each strip gives the bytes of its rows, the
// last one those of the rows left: a strip that decodes to fewer is filled
// with zeros, and the bytes a strip gives past its rows are dropped, so the
// data hold exactly the image's rows. A strip above the decode budget (a
// whole image in one strip), and the one strip of an image in one strip
// when its codec allows, are decoded in bands of rows instead, which gives
// the same bytes.
bool ReadDirectStrips(TIFF* tiff, const TIFFErrorCapture& capture, ByteSink& sink, uint32_t length,
                      uint16_t compression, uint64_t& written, ImageError* error) {
  const uint64_t count = TIFFNumberOfStrips(tiff);
  const tmsize_t size = TIFFStripSize(tiff);
  if (!Check(capture, error, "strip size")) return false;
  const tmsize_t rowSize = TIFFScanlineSize(tiff);
  if (!Check(capture, error, "row size")) return false;
  uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (!Check(capture, error, "rows per strip")) return false;
  if (count == 0 || size <= 0 || rowSize <= 0 || rowsPerStrip == 0)
    return Refuse(error, "bad strip layout");
  rowsPerStrip = std::min(rowsPerStrip, length);
  const uint64_t rowBytes = static_cast<uint64_t>(rowSize);
  const uint64_t total = rowBytes * length;
  if (static_cast<uint64_t>(size) > kMaxImageDataSize || total > kMaxImageDataSize) {
    return Refuse(error, "image too large");
  }
  if (static_cast<uint64_t>(size) < rowBytes * rowsPerStrip ||
      count < (uint64_t{length} + rowsPerStrip - 1) / rowsPerStrip) {
    return Refuse(error, "bad strip layout");
  }
  sink.Expect(static_cast<size_t>(total));
  uint64_t position = 0;
  const bool inBands = static_cast<uint64_t>(size) > kImageDecodeBudget ||
                       (count == 1 && static_cast<uint64_t>(size) > kRowBandBytes &&
                        DecodesRowsInOrder(compression));
  if (!inBands) {
    std::vector<uint8_t> strip(static_cast<size_t>(size));
    for (uint64_t index = 0; position < total; ++index) {
      const tmsize_t n =
          TIFFReadEncodedStrip(tiff, static_cast<uint32_t>(index), strip.data(), size);
      if (n < 0 || capture.HasError()) return PieceFails(capture, error, "strip", index);
      if (!HoldsWhatItGave(tiff, compression, static_cast<uint32_t>(index), n))
        return PieceFails(capture, error, "strip", index, true);
      const uint64_t rows = std::min<uint64_t>(rowsPerStrip, length - index * rowsPerStrip);
      const uint64_t want = rows * rowBytes;
      const size_t part = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(n), want));
      if (!sink.Put(strip.data(), part)) return Fail(error, kStorageFailed);
      if (!PutZeros(sink, want - part)) return Fail(error, kStorageFailed);
      position += want;
    }
  } else {
    if (rowBytes > kImageDecodeBudget) return Refuse(error, "row too large");
    const uint32_t bandRows =
        static_cast<uint32_t>(std::clamp<uint64_t>(kRowBandBytes / rowBytes, 1, length));
    std::vector<uint8_t> band(static_cast<size_t>(rowBytes * bandRows));
    for (uint32_t y0 = 0; y0 < length; y0 += bandRows) {
      const uint32_t rows = std::min(bandRows, length - y0);
      // Decoders leave the bits they do not write (the padding after a
      // row's last pixel) as they find them: the rows are decoded into
      // cleared memory, as a whole strip is.
      if (y0 > 0) std::fill(band.begin(), band.end(), 0);
      for (uint32_t r = 0; r < rows; ++r) {
        if (TIFFReadScanline(tiff, band.data() + r * rowBytes, y0 + r, 0) < 0 ||
            capture.HasError()) {
          return PieceFails(capture, error, "strip", TIFFComputeStrip(tiff, y0 + r, 0));
        }
      }
      const size_t part = static_cast<size_t>(rowBytes * rows);
      if (!sink.Put(band.data(), part)) return Fail(error, kStorageFailed);
      position += part;
      if (length - y0 <= bandRows) break;  // y0 + bandRows would wrap
    }
  }
  written = total;
  return true;
}

// Decodes plane `plane`'s strip holding `rows` rows from y0 on into `into`.
bool ReadPlaneStrip(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                    uint64_t rowSize, uint32_t y0, uint32_t rows, int plane,
                    std::vector<uint8_t>& into, ImageError* error) {
  const tmsize_t want = static_cast<tmsize_t>(rowSize * rows);
  const uint32_t index = TIFFComputeStrip(tiff, y0, static_cast<uint16_t>(plane));
  const tmsize_t n = capture.HasError() ? -1 : TIFFReadEncodedStrip(tiff, index, into.data(), want);
  if (n < want || capture.HasError()) return PieceFails(capture, error, "strip", index);
  if (!HoldsWhatItGave(tiff, layout.compression, index, n))
    return PieceFails(capture, error, "strip", index, true);
  return true;
}

// Strips of planar images: for each strip row, the strip of every kept plane
// is decoded and its rows interleaved into a band of RowsPerStrip rows,
// which goes to the sink whole; each strip is decoded once, the alpha
// plane's (when it is divided out) first. The strips of one plane (rowSize
// bytes a row), the alpha plane's and the band are held, within the decode
// budget: when they would not fit, nothing is read and `fits` is false.
bool ReadPlanarStrips(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                      uint32_t length, uint64_t rowSize, ByteSink& sink, bool& fits,
                      ImageError* error) {
  fits = true;
  uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (!Check(capture, error, "rows per strip")) return false;
  if (rowsPerStrip == 0) return Refuse(error, "bad strip layout");
  const uint32_t bandRows = std::min(rowsPerStrip, length);
  const uint64_t stripBytes = rowSize * bandRows;
  const uint64_t held = stripBytes * (layout.HasAlpha() ? 2 : 1);
  const uint64_t bandBytes = layout.outRowBytes * bandRows;
  if (held > kImageDecodeBudget || bandBytes > kImageDecodeBudget - held) {
    fits = false;
    return false;
  }
  sink.Expect(static_cast<size_t>(layout.outRowBytes * length));
  std::vector<uint8_t> strip(static_cast<size_t>(stripBytes));
  std::vector<uint8_t> alpha(static_cast<size_t>(layout.HasAlpha() ? stripBytes : 0));
  std::vector<uint8_t> band(static_cast<size_t>(bandBytes));
  for (uint32_t y0 = 0; y0 < length; y0 += bandRows) {
    const uint32_t rows = std::min(bandRows, length - y0);
    std::fill(band.begin(), band.end(), 0);
    if (layout.HasAlpha() &&
        !ReadPlaneStrip(tiff, capture, layout, rowSize, y0, rows, layout.alpha, alpha, error)) {
      return false;
    }
    for (int p = 0; p < layout.components; ++p) {
      if (!ReadPlaneStrip(tiff, capture, layout, rowSize, y0, rows, p, strip, error)) return false;
      for (uint32_t r = 0; r < rows; ++r) {
        ConvertRun(layout, strip.data() + r * rowSize,
                   layout.HasAlpha() ? alpha.data() + r * rowSize : nullptr, layout.width, p,
                   band.data() + r * layout.outRowBytes, 0);
      }
    }
    if (!sink.Put(band.data(), static_cast<size_t>(layout.outRowBytes * rows)))
      return Fail(error, kStorageFailed);
    if (length - y0 <= bandRows) break;  // y0 + bandRows would wrap
  }
  return true;
}

// Planar strips too large for the decode budget, a row at a time: every
// plane after the first (the alpha plane too, when it is divided out) is
// read through a handle of its own on the same file, so each handle reads
// its plane's rows in order (no strip is decoded twice, none is held), and
// row y of every plane is interleaved and goes to the sink before row y + 1
// is read.
bool ReadPlanarRows(const char* path, uint32_t image, TIFFFile& file,
                    const TIFFErrorCapture& capture, const Layout& layout, uint32_t length,
                    tmsize_t rowSize, ByteSink& sink, ImageError* error) {
  TIFF* tiff = file.Get();
  const FileStamp first = FileStamp::OfDescriptor(file.Descriptor());
  if (!first.IsSet()) return Fail(error, {ImageError::Kind::kSystem, "cannot read the file"});
  std::vector<std::unique_ptr<TIFFFile>> others;
  std::vector<TIFF*> planes{tiff};
  std::vector<int> samples{0};
  for (int p = 1; p < layout.components; ++p) samples.push_back(p);
  if (layout.HasAlpha()) samples.push_back(layout.alpha);
  for (size_t i = 1; i < samples.size(); ++i) {
    std::unique_ptr<TIFFFile> other;
    if (!OpenImage(path, capture, image, other, error)) return false;
    // The row buffer is sized by the first handle: a file rewritten in
    // place meanwhile must not give another handle longer rows.
    uint32_t width = 0;
    uint32_t rows = 0;
    TIFFGetField(other->Get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(other->Get(), TIFFTAG_IMAGELENGTH, &rows);
    const FileStamp again = FileStamp::OfDescriptor(other->Descriptor());
    if (again.device != first.device || again.inode != first.inode || width != layout.width ||
        rows != length || TIFFScanlineSize(other->Get()) != rowSize ||
        !TIFFIsTiled(other->Get()) != !TIFFIsTiled(tiff)) {
      return Refuse(error, "the file changed while it was read");
    }
    planes.push_back(other->Get());
    others.push_back(std::move(other));
  }
  sink.Expect(static_cast<size_t>(layout.outRowBytes * length));
  std::vector<uint8_t> row(static_cast<size_t>(rowSize));
  std::vector<uint8_t> alpha(static_cast<size_t>(layout.HasAlpha() ? rowSize : 0));
  std::vector<uint8_t> out(static_cast<size_t>(layout.outRowBytes));
  auto readRow = [&](size_t i, uint32_t y, std::vector<uint8_t>& into) {
    const auto sample = static_cast<uint16_t>(samples[i]);
    if (TIFFReadScanline(planes[i], into.data(), y, sample) >= 0 && !capture.HasError())
      return true;
    return PieceFails(capture, error, "strip", TIFFComputeStrip(planes[i], y, sample));
  };
  for (uint32_t y = 0; y < length; ++y) {
    std::fill(out.begin(), out.end(), 0);
    if (layout.HasAlpha() && !readRow(samples.size() - 1, y, alpha)) return false;
    for (int p = 0; p < layout.components; ++p) {
      if (!readRow(static_cast<size_t>(p), y, row)) return false;
      ConvertRun(layout, row.data(), layout.HasAlpha() ? alpha.data() : nullptr, layout.width, p,
                 out.data(), 0);
    }
    if (!sink.Put(out.data(), out.size())) return Fail(error, kStorageFailed);
  }
  return true;
}

// Strips of planar images, or with samples to convert. Rows of contiguous
// samples are decoded and converted one at a time and go to the sink as they
// come; planar strips go to the sink a band at a time (ReadPlanarStrips), or
// a row at a time when they are too large for the decode budget
// (ReadPlanarRows).
bool ReadStripRows(const char* path, uint32_t image, TIFFFile& file,
                   const TIFFErrorCapture& capture, const Layout& layout, uint32_t length,
                   ByteSink& sink, ImageError* error) {
  TIFF* tiff = file.Get();
  const tmsize_t size = TIFFScanlineSize(tiff);
  if (!Check(capture, error, "row size")) return false;
  if (size <= 0 || static_cast<uint64_t>(size) < PieceRowBytes(layout, layout.width)) {
    return Refuse(error, "bad strip layout");
  }
  if (static_cast<uint64_t>(size) > kImageDecodeBudget) return Refuse(error, "row too large");
  const uint64_t dataSize = layout.outRowBytes * length;
  if (layout.planar) {
    bool fits = true;
    const bool read = ReadPlanarStrips(tiff, capture, layout, length, static_cast<uint64_t>(size),
                                       sink, fits, error);
    if (fits) return read;
    return ReadPlanarRows(path, image, file, capture, layout, length, size, sink, error);
  }
  sink.Expect(static_cast<size_t>(dataSize));
  std::vector<uint8_t> row(static_cast<size_t>(size));
  std::vector<uint8_t> out(static_cast<size_t>(layout.outRowBytes));
  for (uint32_t y = 0; y < length; ++y) {
    if (TIFFReadScanline(tiff, row.data(), y, 0) < 0 || capture.HasError()) {
      return PieceFails(capture, error, "strip", TIFFComputeStrip(tiff, y, 0));
    }
    std::fill(out.begin(), out.end(), 0);
    ConvertRun(layout, row.data(), nullptr, layout.width, 0, out.data(), 0);
    if (!sink.Put(out.data(), out.size())) return Fail(error, kStorageFailed);
  }
  return true;
}

// Decodes one tile into `tile`, cleared first.
bool ReadTile(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout, uint32_t x0,
              uint32_t y0, int plane, std::vector<uint8_t>& tile, ImageError* error) {
  std::fill(tile.begin(), tile.end(), 0);
  const uint32_t index = TIFFComputeTile(tiff, x0, y0, 0, static_cast<uint16_t>(plane));
  const tmsize_t n =
      TIFFReadEncodedTile(tiff, index, tile.data(), static_cast<tmsize_t>(tile.size()));
  if (n < 0 || capture.HasError()) return PieceFails(capture, error, "tile", index);
  if (!HoldsWhatItGave(tiff, layout.compression, index, n))
    return PieceFails(capture, error, "tile", index, true);
  return true;
}

// Decodes the tiles of the tile row starting at image row y0 (every plane of
// each tile in turn, the alpha plane's first when it is divided out) into
// `rows` output rows from `out` on.
bool DecodeTileRow(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                   std::vector<uint8_t>& tile, std::vector<uint8_t>& alpha, uint32_t tileWidth,
                   uint64_t tileRowBytes, uint32_t y0, uint32_t rows, uint8_t* out,
                   ImageError* error) {
  const int planes = layout.planar ? layout.components : 1;
  const bool alphaPlane = layout.planar && layout.HasAlpha();
  for (uint32_t x0 = 0; x0 < layout.width; x0 += tileWidth) {
    const uint32_t columns = std::min(tileWidth, layout.width - x0);
    if (alphaPlane && !ReadTile(tiff, capture, layout, x0, y0, layout.alpha, alpha, error))
      return false;
    for (int p = 0; p < planes; ++p) {
      if (!ReadTile(tiff, capture, layout, x0, y0, p, tile, error)) return false;
      for (uint32_t r = 0; r < rows; ++r) {
        ConvertRun(layout, tile.data() + r * tileRowBytes,
                   alphaPlane ? alpha.data() + r * tileRowBytes : nullptr, columns, p,
                   out + static_cast<uint64_t>(r) * layout.outRowBytes, x0);
      }
    }
    if (layout.width - x0 <= tileWidth) break;  // x0 + tileWidth would wrap
  }
  return true;
}

// Tiled images: one row of tiles at a time is decoded, a tile at a time,
// into a band of TileLength rows across the width, whose rows then go to the
// sink. A band that does not fit in the decode budget beside its tiles is
// assembled in the image data instead, a tile at a time.
bool ReadTileRows(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                  uint32_t length, ByteSink& sink, ImageError* error) {
  uint32_t tileWidth = 0;
  uint32_t tileLength = 0;
  if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth) ||
      !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength) || tileWidth == 0 || tileLength == 0) {
    return Refuse(error, "bad tile layout");
  }
  // Tiles narrower than 16 pixels could start inside a byte at low depths.
  if (layout.bits < 8 && tileWidth % 16 != 0) return Refuse(error, "bad tile width");
  const tmsize_t size = TIFFTileSize(tiff);
  if (!Check(capture, error, "tile size")) return false;
  const uint64_t tileRowBytes = PieceRowBytes(layout, tileWidth);
  if (size <= 0 || tileRowBytes * tileLength > static_cast<uint64_t>(size))
    return Refuse(error, "bad tile layout");
  const bool alphaPlane = layout.planar && layout.HasAlpha();
  const uint64_t held = static_cast<uint64_t>(size) * (alphaPlane ? 2 : 1);
  if (held > kImageDecodeBudget) return Refuse(error, "tile too large");
  std::vector<uint8_t> tile(static_cast<size_t>(size));
  std::vector<uint8_t> alpha(static_cast<size_t>(alphaPlane ? size : 0));
  const uint64_t dataSize = layout.outRowBytes * length;
  const uint64_t bandRows = std::min(tileLength, length);
  const uint64_t bandBytes = layout.outRowBytes * bandRows;
  if (bandBytes <= kImageDecodeBudget - held) {
    sink.Expect(static_cast<size_t>(dataSize));
    std::vector<uint8_t> band(static_cast<size_t>(bandBytes));
    for (uint32_t y0 = 0; y0 < length; y0 += tileLength) {
      const uint32_t rows = std::min(tileLength, length - y0);
      std::fill(band.begin(), band.end(), 0);
      if (!DecodeTileRow(tiff, capture, layout, tile, alpha, tileWidth, tileRowBytes, y0, rows,
                         band.data(), error)) {
        return false;
      }
      if (!sink.Put(band.data(), static_cast<size_t>(layout.outRowBytes * rows)))
        return Fail(error, kStorageFailed);
      if (length - y0 <= tileLength) break;
    }
    return true;
  }
  uint8_t* image = sink.PutZeros(static_cast<size_t>(dataSize));
  if (image == nullptr) return Fail(error, kStorageFailed);
  for (uint32_t y0 = 0; y0 < length; y0 += tileLength) {
    const uint32_t rows = std::min(tileLength, length - y0);
    if (!DecodeTileRow(tiff, capture, layout, tile, alpha, tileWidth, tileRowBytes, y0, rows,
                       image + static_cast<uint64_t>(y0) * layout.outRowBytes, error)) {
      return false;
    }
    if (length - y0 <= tileLength) break;
  }
  return true;
}

// The tags of the image that the reading needs.
struct ImageTags {
  uint32_t width = 0;
  uint32_t length = 0;
  uint16_t compression = 0;
  uint16_t photometric = 0;
  bool hasX = false;
  bool hasY = false;
  float xResolution = 0.0f;
  float yResolution = 0.0f;
  uint16_t planarConfig = PLANARCONFIG_CONTIG;
  uint16_t bits = 1;
  uint16_t samples = 1;
  uint16_t unit = RESUNIT_INCH;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  uint16_t extraCount = 0;
  bool firstExtraIsAssociatedAlpha = false;
};

// Depths whose samples can be stored: as they are (1, 2, 4, 8), scaled up
// (3, 5, 6, 7) or cut to their high 8 bits (9 to 32).
bool DepthTaken(uint16_t bits) { return bits >= 1 && bits <= 32; }

// Reads the required tags (the first one missing fails), the resolutions
// and the defaulted ones, and refuses sizes, depths and sample formats this
// reader does not take.
bool ReadTags(TIFF* tiff, const TIFFErrorCapture& capture, ImageTags& t, ImageError* error) {
  if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &t.width)) return Refuse(error, "no ImageWidth");
  if (!TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &t.length)) return Refuse(error, "no ImageLength");
  if (!TIFFGetField(tiff, TIFFTAG_COMPRESSION, &t.compression))
    return Refuse(error, "no Compression");
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &t.photometric))
    return Refuse(error, "no PhotometricInterpretation");
  t.hasX = TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &t.xResolution) != 0;
  t.hasY = TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &t.yResolution) != 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &t.planarConfig);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &t.bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &t.samples);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &t.unit);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &t.sampleFormat);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &t.orientation);
  uint16_t* extraKinds = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &t.extraCount, &extraKinds) && t.extraCount > 0 &&
      extraKinds != nullptr) {
    t.firstExtraIsAssociatedAlpha = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
  } else {
    t.extraCount = 0;
  }
  if (!Check(capture, error, "tags")) return false;

  if (t.width == 0 || t.length == 0) return Refuse(error, "bad image size");
  if (!DepthTaken(t.bits)) return Refuse(error, "unsupported bits per sample");
  // The JPEG codec decodes 8-bit samples only (12-bit JPEG data need a
  // libjpeg built for them).
  if (t.compression == COMPRESSION_JPEG && t.bits != 8) {
    return Refuse(error, std::to_string(t.bits) + "-bit JPEG data in a TIFF file is not supported");
  }
  // Undefined sample data (SampleFormat 4) are read as unsigned integers,
  // which is what every reader of such files does.
  if (t.sampleFormat != SAMPLEFORMAT_UINT && t.sampleFormat != SAMPLEFORMAT_VOID)
    return Refuse(error, "unsupported sample format");
  return true;
}

// Chooses the image's colour keys by the photometric interpretation (the
// colour map of a palette image read here) and gives the number of colour
// components kept of each pixel.
bool ChooseColour(TIFF* tiff, const ImageTags& t, ImageDescription& result, int& components,
                  ImageError* error) {
  components = 1;
  switch (t.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
      result.colour = t.bits == 1 ? ImageColour::ImageMask : ImageColour::DeviceGray;
      result.decodeInverted = t.photometric == PHOTOMETRIC_MINISWHITE;
      return true;
    case PHOTOMETRIC_RGB:
      result.colour = ImageColour::DeviceRGB;
      components = 3;
      return true;
    case PHOTOMETRIC_PALETTE: {
      if (t.bits > 8) return Refuse(error, "palette deeper than 8 bits");
      if (StoredBits(t.bits) != t.bits) return Refuse(error, "unsupported palette depth");
      uint16_t* red = nullptr;
      uint16_t* green = nullptr;
      uint16_t* blue = nullptr;
      if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || red == nullptr ||
          green == nullptr || blue == nullptr) {
        return Refuse(error, "no ColorMap");
      }
      const int entries = 1 << t.bits;
      result.colour = ImageColour::Indexed;
      result.hival = entries - 1;
      result.palette = PaletteBytes(red, green, blue, entries);
      return true;
    }
    case PHOTOMETRIC_SEPARATED:
      if (t.samples != 4) return Refuse(error, "separated image without four samples");
      result.colour = ImageColour::DeviceCMYK;
      components = 4;
      return true;
    case PHOTOMETRIC_YCBCR:
      // JPEG-compressed YCbCr is converted to RGB by the codec itself.
      if (t.compression != COMPRESSION_JPEG || t.samples != 3 || t.bits != 8)
        return Refuse(error, "unsupported YCbCr image");
      if (!TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
        return Refuse(error, "cannot convert YCbCr");
      result.colour = ImageColour::DeviceRGB;
      components = 3;
      return true;
    default: return Refuse(error, "unsupported photometric interpretation");
  }
}

// Decodes the samples into the sink and gives the number of bytes written.
// Nothing of the image's size is held twice: strips, rows of contiguous
// samples, bands of planar strips and rows of tiles go to the sink as they
// are decoded; only planar strips and rows of tiles above the budget are
// assembled in the image data a row or a tile at a time (at most
// kImageDecodeBudget bytes held besides).
bool ReadSamples(const char* path, uint32_t image, TIFFFile& file, const TIFFErrorCapture& capture,
                 const ImageTags& t, const Layout& layout, ByteSink& sink, uint64_t& written,
                 ImageError* error) {
  TIFF* tiff = file.Get();
  const bool tiled = TIFFIsTiled(tiff) != 0;
  if (!tiled && layout.Plain()) {
    return ReadDirectStrips(tiff, capture, sink, t.length, t.compression, written, error);
  }
  written = layout.outRowBytes * t.length;
  if (!tiled) return ReadStripRows(path, image, file, capture, layout, t.length, sink, error);
  return ReadTileRows(tiff, capture, layout, t.length, sink, error);
}

bool ReadImage(const char* path, uint32_t index, ByteSink& sink, ImageDescription& description,
               ImageError* error) {
  TIFFErrorCapture capture;
  std::unique_ptr<TIFFFile> file;
  if (!OpenImage(path, capture, index, file, error)) return false;
  TIFF* tiff = file->Get();
  ImageTags t;
  if (!ReadTags(tiff, capture, t, error)) return false;

  ImageDescription result;
  result.width = t.width;
  result.height = t.length;
  result.bitsPerComponent = StoredBits(t.bits);
  result.orientation = t.orientation >= ORIENTATION_TOPLEFT && t.orientation <= ORIENTATION_LEFTBOT
                           ? t.orientation
                           : 1;
  int components = 1;
  if (!ChooseColour(tiff, t, result, components, error)) return false;
  if (t.samples < components) return Refuse(error, "too few samples per pixel");
  if (!Check(capture, error, "tags")) return false;

  Layout layout;
  layout.compression = t.compression;
  layout.width = t.width;
  layout.bits = t.bits;
  layout.samples = t.samples;
  layout.components = components;
  layout.planar = t.planarConfig == PLANARCONFIG_SEPARATE && t.samples > 1;
  // The extra samples follow the colours; an associated alpha among them
  // has been multiplied into the colours. A palette's indices are no
  // colours to divide.
  const int firstExtra = t.samples - t.extraCount;
  layout.alpha = t.firstExtraIsAssociatedAlpha && firstExtra >= components &&
                         result.colour != ImageColour::Indexed
                     ? firstExtra
                     : -1;
  // Colours divided by their alpha are stored at 8 bits (1-bit ones stay).
  if (layout.HasAlpha() && t.bits > 1) result.bitsPerComponent = 8;
  layout.outBits = result.bitsPerComponent;
  layout.outRowBytes = (static_cast<uint64_t>(t.width) * components * layout.outBits + 7) / 8;
  const uint64_t dataSize = layout.outRowBytes * t.length;
  if (dataSize > kMaxImageDataSize) return Refuse(error, "image too large");

  result.widthPoints = AxisPoints(t.width, t.hasX, t.xResolution, t.unit);
  result.heightPoints = AxisPoints(t.length, t.hasY, t.yResolution, t.unit);
  if (!sink.WantsData()) {
    result.dataSize = dataSize;
    description = std::move(result);
    return true;
  }
  if (!ReadSamples(path, index, *file, capture, t, layout, sink, result.dataSize, error))
    return false;
  if (!Check(capture, error, "read")) return false;
  file.reset();
  if (!Check(capture, error, "close")) return false;

  description = std::move(result);
  return true;
}

bool CountImages(const char* path, uint32_t& count, ImageError* error) {
  TIFFErrorCapture capture;
  TIFFFile file;
  if (!file.Open(path, 0, capture, error)) return false;
  ImageChain& chain = ChainOf(file);
  if (!WalkChain(path, capture, file, chain, UINT32_MAX, error)) return false;
  count = static_cast<uint32_t>(chain.offsets.size());
  return true;
}

}  // namespace

namespace {
const char* const kTIFFSignatures[] = {"II", "MM"};
}  // namespace

bool IsTIFFFile(const ImageHead& head) { return ImageFile::StartsWith(head, kTIFFSignatures, 2); }

bool IsTIFFFile(const char* path) { return IsTIFFFile(ImageFile::ReadHead(path)); }

bool CountTIFFImages(const char* path, uint32_t& count, ImageError* error) {
  if (path == nullptr) return Refuse(error, "no file name");
  try {
    return CountImages(path, count, error);
  } catch (const std::bad_alloc&) {
    return Fail(error, kOutOfMemory);
  }
}

bool ReadTIFFImage(const char* path, ByteSink& sink, ImageDescription& description,
                   ImageError* error, uint32_t index) {
  if (path == nullptr) return Refuse(error, "no file name");
  ImageError reason;
  bool read = false;
  try {
    read = ReadImage(path, index, sink, description, &reason);
  } catch (const std::bad_alloc&) {
    reason = kOutOfMemory;
  }
  if (read) return true;
  // A failure on a later image names it, unless the walk to it already did.
  if (index > 0 && !reason.namesImage && reason.kind != ImageError::Kind::kNoSuchImage)
    reason.text = ImageText(index) + ": " + reason.text;
  return Fail(error, std::move(reason));
}

bool ReadTIFFImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error, uint32_t index) {
  return ImageReadWithText(
      error, [&](ImageError* why) { return ReadTIFFImage(path, sink, description, why, index); });
}

bool CountTIFFImages(const char* path, uint32_t& count, std::string* error) {
  return ImageReadWithText(error,
                           [&](ImageError* why) { return CountTIFFImages(path, count, why); });
}
