#include "pdf/document/internal/TIFFReader.h"

#include "pdf/document/internal/ImageFile.h"

#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "pdf/object/TIFFErrorCapture.h"

namespace {

struct TIFFCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TIFFHandle = std::unique_ptr<TIFF, TIFFCloser>;

bool Fail(std::string* error, const std::string& text) { return ImageReadFail(error, text); }

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

// The failure of a piece that libtiff could not decode, with libtiff's
// reason when it gave one, or of a piece cut short.
bool PieceFails(const TIFFErrorCapture& capture, std::string* error, const char* what,
                bool cutShort = false) {
  std::string text = std::string("cannot decode ") + what;
  if (capture.HasError()) {
    text += ": " + capture.Text();
  } else if (cutShort) {
    text += ": its data are shorter than its rows";
  }
  return Fail(error, text);
}

// How the samples of one decoded piece become output samples.
struct Layout {
  uint16_t compression;
  uint32_t width;
  int bits;        // bits per sample in the file
  int samples;     // samples per pixel in the file
  int components;  // colour components kept
  bool planar;     // one plane per component
  uint64_t outRowBytes;
};

// Converts n pixels of one piece row (of plane `plane` when planar) into the
// output row from pixel x0 on.
void ConvertRun(const Layout& layout, const uint8_t* in, uint32_t n, int plane, uint8_t* out,
                uint32_t x0) {
  const int comps = layout.components;
  if (layout.bits < 8) {
    // Neither planar nor with extra samples (refused before): whole bytes;
    // x0 is 0 or a tile edge, a multiple of 16 pixels, so byte aligned.
    const uint64_t bitsPerPixel = static_cast<uint64_t>(comps) * layout.bits;
    const uint64_t start = x0 * bitsPerPixel / 8;
    const uint64_t bytes = (n * bitsPerPixel + 7) / 8;
    std::memcpy(out + start, in,
                static_cast<size_t>(std::min<uint64_t>(bytes, layout.outRowBytes - start)));
    return;
  }
  const int step = layout.bits / 8;
  if (layout.planar) {
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* s = in + static_cast<size_t>(i) * step;
      uint8_t value = *s;
      if (step == 2) {
        uint16_t v;
        std::memcpy(&v, s, 2);
        value = static_cast<uint8_t>(v >> 8);
      }
      out[(static_cast<size_t>(x0) + i) * comps + plane] = value;
    }
    return;
  }
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t* pixel = in + static_cast<size_t>(i) * layout.samples * step;
    uint8_t* o = out + (static_cast<size_t>(x0) + i) * comps;
    for (int c = 0; c < comps; ++c) {
      if (step == 1) {
        o[c] = pixel[c];
      } else {
        uint16_t v;
        std::memcpy(&v, pixel + 2 * c, 2);  // libtiff hands samples in host order
        o[c] = static_cast<uint8_t>(v >> 8);
      }
    }
  }
}

// Bytes of one row of `pixels` pixels of a piece (one plane when planar).
uint64_t PieceRowBytes(const Layout& layout, uint64_t pixels) {
  const int perPixel = layout.planar ? 1 : layout.samples;
  return (pixels * perPixel * layout.bits + 7) / 8;
}

bool Check(const TIFFErrorCapture& capture, std::string* error, const char* what) {
  if (!capture.HasError()) return true;
  return Fail(error, std::string(what) + ": " + capture.Text());
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

// Strips that are already rows in PDF order, handed to the sink one after
// another as they are decoded. The data are sized to count x strip size: what
// the strips do not fill (the rows missing from a short last strip) follows
// as zeros. A strip above the decode budget (a whole image in one strip), and
// the one strip of an image in one strip when its codec allows, are decoded
// in bands of rows instead, which gives the same bytes.
bool ReadDirectStrips(TIFF* tiff, const TIFFErrorCapture& capture, ByteSink& sink, uint32_t length,
                      uint16_t compression, uint64_t& written, std::string* error) {
  const uint64_t count = TIFFNumberOfStrips(tiff);
  const tmsize_t size = TIFFStripSize(tiff);
  if (!Check(capture, error, "strip size")) return false;
  if (count == 0 || size <= 0) return Fail(error, "bad strip layout");
  const uint64_t total = count * static_cast<uint64_t>(size);
  if (static_cast<uint64_t>(size) > kMaxImageDataSize || total > kMaxImageDataSize) {
    return Fail(error, "image too large");
  }
  sink.Expect(static_cast<size_t>(total));
  uint64_t position = 0;
  const bool inBands = static_cast<uint64_t>(size) > kImageDecodeBudget ||
                       (count == 1 && static_cast<uint64_t>(size) > kRowBandBytes &&
                        DecodesRowsInOrder(compression));
  if (!inBands) {
    std::vector<uint8_t> strip(static_cast<size_t>(size));
    for (uint64_t index = 0; index < count; ++index) {
      const tmsize_t n =
          TIFFReadEncodedStrip(tiff, static_cast<uint32_t>(index), strip.data(), size);
      if (n < 0 || capture.HasError()) return PieceFails(capture, error, "strip");
      if (!HoldsWhatItGave(tiff, compression, static_cast<uint32_t>(index), n))
        return PieceFails(capture, error, "strip", true);
      const size_t part = static_cast<size_t>(std::min(n, size));
      if (!sink.Put(strip.data(), part)) return Fail(error, "out of memory for the image data");
      position += part;
    }
  } else {
    const tmsize_t rowSize = TIFFScanlineSize(tiff);
    if (!Check(capture, error, "row size")) return false;
    if (rowSize <= 0 || static_cast<uint64_t>(rowSize) * length > total)
      return Fail(error, "bad strip layout");
    if (static_cast<uint64_t>(rowSize) > kImageDecodeBudget) return Fail(error, "row too large");
    const uint64_t rowBytes = static_cast<uint64_t>(rowSize);
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
          return PieceFails(capture, error, "strip");
        }
      }
      const size_t part = static_cast<size_t>(rowBytes * rows);
      if (!sink.Put(band.data(), part)) return Fail(error, "out of memory for the image data");
      position += part;
      if (length - y0 <= bandRows) break;  // y0 + bandRows would wrap
    }
  }
  if (!PutZeros(sink, total - position)) return Fail(error, "out of memory for the image data");
  written = total;
  return true;
}

// Strips of planar images: for each strip row, the strip of every kept plane
// is decoded and its rows interleaved into a band of RowsPerStrip rows,
// which goes to the sink whole; each strip is decoded once. A strip of one
// plane (rowSize bytes a row) and the band are held, within the decode
// budget: when they would not fit, nothing is read and `fits` is false.
bool ReadPlanarStrips(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                      uint32_t length, uint64_t rowSize, ByteSink& sink, bool& fits,
                      std::string* error) {
  fits = true;
  uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (!Check(capture, error, "rows per strip")) return false;
  if (rowsPerStrip == 0) return Fail(error, "bad strip layout");
  const uint32_t bandRows = std::min(rowsPerStrip, length);
  const uint64_t stripBytes = rowSize * bandRows;
  const uint64_t bandBytes = layout.outRowBytes * bandRows;
  if (stripBytes > kImageDecodeBudget || bandBytes > kImageDecodeBudget - stripBytes) {
    fits = false;
    return false;
  }
  sink.Expect(static_cast<size_t>(layout.outRowBytes * length));
  std::vector<uint8_t> strip(static_cast<size_t>(stripBytes));
  std::vector<uint8_t> band(static_cast<size_t>(bandBytes));
  for (uint32_t y0 = 0; y0 < length; y0 += bandRows) {
    const uint32_t rows = std::min(bandRows, length - y0);
    const tmsize_t want = static_cast<tmsize_t>(rowSize * rows);
    for (int p = 0; p < layout.components; ++p) {
      const uint32_t index = TIFFComputeStrip(tiff, y0, static_cast<uint16_t>(p));
      const tmsize_t n =
          capture.HasError() ? -1 : TIFFReadEncodedStrip(tiff, index, strip.data(), want);
      if (n < want || capture.HasError()) return PieceFails(capture, error, "strip");
      if (!HoldsWhatItGave(tiff, layout.compression, index, n))
        return PieceFails(capture, error, "strip", true);
      for (uint32_t r = 0; r < rows; ++r) {
        ConvertRun(layout, strip.data() + r * rowSize, layout.width, p,
                   band.data() + r * layout.outRowBytes, 0);
      }
    }
    if (!sink.Put(band.data(), static_cast<size_t>(layout.outRowBytes * rows)))
      return Fail(error, "out of memory for the image data");
    if (length - y0 <= bandRows) break;  // y0 + bandRows would wrap
  }
  return true;
}

// Planar strips too large for the decode budget, a row at a time: every
// plane after the first is read through a handle of its own on the same
// file, so each handle reads its plane's rows in order (no strip is decoded
// twice, none is held), and row y of every plane is interleaved and goes to
// the sink before row y + 1 is read.
bool ReadPlanarRows(const char* path, TIFF* tiff, const TIFFErrorCapture& capture,
                    const Layout& layout, uint32_t length, tmsize_t rowSize, ByteSink& sink,
                    std::string* error) {
  struct stat first;
  if (fstat(TIFFFileno(tiff), &first) != 0) return Fail(error, "cannot open the file");
  std::vector<TIFFHandle> others;
  std::vector<TIFF*> planes{tiff};
  for (int p = 1; p < layout.components; ++p) {
    const int fd = ImageFile::OpenRegular(path, nullptr);
    if (fd < 0) return Fail(error, "cannot open the file");
    struct stat again;
    if (fstat(fd, &again) != 0 || again.st_dev != first.st_dev || again.st_ino != first.st_ino) {
      ::close(fd);
      return Fail(error, "the file changed while it was read");
    }
    TIFFHandle handle(TIFFFdOpen(fd, path, "rm"));
    if (!handle) {
      ::close(fd);
      return Fail(error, capture.HasError() ? capture.Text() : "cannot open the file");
    }
    if (!Check(capture, error, "open")) return false;
    // The row buffer is sized by the first handle: a file rewritten in
    // place meanwhile must not give another handle longer rows.
    uint32_t width = 0;
    uint32_t rows = 0;
    TIFFGetField(handle.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(handle.get(), TIFFTAG_IMAGELENGTH, &rows);
    if (width != layout.width || rows != length || TIFFScanlineSize(handle.get()) != rowSize ||
        !TIFFIsTiled(handle.get()) != !TIFFIsTiled(tiff)) {
      return Fail(error, "the file changed while it was read");
    }
    planes.push_back(handle.get());
    others.push_back(std::move(handle));
  }
  sink.Expect(static_cast<size_t>(layout.outRowBytes * length));
  std::vector<uint8_t> row(static_cast<size_t>(rowSize));
  std::vector<uint8_t> out(static_cast<size_t>(layout.outRowBytes));
  for (uint32_t y = 0; y < length; ++y) {
    for (int p = 0; p < layout.components; ++p) {
      if (TIFFReadScanline(planes[static_cast<size_t>(p)], row.data(), y,
                           static_cast<uint16_t>(p)) < 0 ||
          capture.HasError()) {
        return PieceFails(capture, error, "strip");
      }
      ConvertRun(layout, row.data(), layout.width, p, out.data(), 0);
    }
    if (!sink.Put(out.data(), out.size())) return Fail(error, "out of memory for the image data");
  }
  return true;
}

// Strips of planar images, or with samples to convert. Rows of contiguous
// samples are decoded and converted one at a time and go to the sink as they
// come; planar strips go to the sink a band at a time (ReadPlanarStrips), or
// a row at a time when they are too large for the decode budget
// (ReadPlanarRows).
bool ReadStripRows(const char* path, TIFF* tiff, const TIFFErrorCapture& capture,
                   const Layout& layout, uint32_t length, ByteSink& sink, std::string* error) {
  const tmsize_t size = TIFFScanlineSize(tiff);
  if (!Check(capture, error, "row size")) return false;
  if (size <= 0 || static_cast<uint64_t>(size) < PieceRowBytes(layout, layout.width)) {
    return Fail(error, "bad strip layout");
  }
  if (static_cast<uint64_t>(size) > kImageDecodeBudget) return Fail(error, "row too large");
  const uint64_t dataSize = layout.outRowBytes * length;
  if (layout.planar) {
    bool fits = true;
    const bool read = ReadPlanarStrips(tiff, capture, layout, length, static_cast<uint64_t>(size),
                                       sink, fits, error);
    if (fits) return read;
    return ReadPlanarRows(path, tiff, capture, layout, length, size, sink, error);
  }
  sink.Expect(static_cast<size_t>(dataSize));
  std::vector<uint8_t> row(static_cast<size_t>(size));
  std::vector<uint8_t> out(static_cast<size_t>(layout.outRowBytes));
  for (uint32_t y = 0; y < length; ++y) {
    if (TIFFReadScanline(tiff, row.data(), y, 0) < 0 || capture.HasError()) {
      return PieceFails(capture, error, "strip");
    }
    ConvertRun(layout, row.data(), layout.width, 0, out.data(), 0);
    if (!sink.Put(out.data(), out.size())) return Fail(error, "out of memory for the image data");
  }
  return true;
}

// Decodes the tiles of the tile row starting at image row y0 (every plane of
// each tile in turn) into `rows` output rows from `out` on.
bool DecodeTileRow(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                   std::vector<uint8_t>& tile, uint32_t tileWidth, uint64_t tileRowBytes,
                   uint32_t y0, uint32_t rows, uint8_t* out, std::string* error) {
  const int planes = layout.planar ? layout.components : 1;
  const tmsize_t size = static_cast<tmsize_t>(tile.size());
  for (uint32_t x0 = 0; x0 < layout.width; x0 += tileWidth) {
    const uint32_t columns = std::min(tileWidth, layout.width - x0);
    for (int p = 0; p < planes; ++p) {
      std::fill(tile.begin(), tile.end(), 0);
      const uint32_t index = TIFFComputeTile(tiff, x0, y0, 0, static_cast<uint16_t>(p));
      const tmsize_t n = TIFFReadEncodedTile(tiff, index, tile.data(), size);
      if (n < 0 || capture.HasError()) return PieceFails(capture, error, "tile");
      if (!HoldsWhatItGave(tiff, layout.compression, index, n))
        return PieceFails(capture, error, "tile", true);
      for (uint32_t r = 0; r < rows; ++r) {
        ConvertRun(layout, tile.data() + r * tileRowBytes, columns, p,
                   out + static_cast<uint64_t>(r) * layout.outRowBytes, x0);
      }
    }
    if (layout.width - x0 <= tileWidth) break;  // x0 + tileWidth would wrap
  }
  return true;
}

// Tiled images: one row of tiles at a time is decoded, a tile at a time,
// into a band of TileLength rows across the width, whose rows then go to the
// sink. A band that does not fit in the decode budget beside its tile is
// assembled in the image data instead, a tile at a time.
bool ReadTileRows(TIFF* tiff, const TIFFErrorCapture& capture, const Layout& layout,
                  uint32_t length, ByteSink& sink, std::string* error) {
  uint32_t tileWidth = 0;
  uint32_t tileLength = 0;
  if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth) ||
      !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength) || tileWidth == 0 || tileLength == 0) {
    return Fail(error, "bad tile layout");
  }
  // Tiles narrower than 16 pixels could start inside a byte at low depths.
  if (layout.bits < 8 && tileWidth % 16 != 0) return Fail(error, "bad tile width");
  const tmsize_t size = TIFFTileSize(tiff);
  if (!Check(capture, error, "tile size")) return false;
  const uint64_t tileRowBytes = PieceRowBytes(layout, tileWidth);
  if (size <= 0 || tileRowBytes * tileLength > static_cast<uint64_t>(size))
    return Fail(error, "bad tile layout");
  if (static_cast<uint64_t>(size) > kImageDecodeBudget) return Fail(error, "tile too large");
  std::vector<uint8_t> tile(static_cast<size_t>(size));
  const uint64_t dataSize = layout.outRowBytes * length;
  const uint64_t bandRows = std::min(tileLength, length);
  const uint64_t bandBytes = layout.outRowBytes * bandRows;
  if (bandBytes <= kImageDecodeBudget - static_cast<uint64_t>(size)) {
    sink.Expect(static_cast<size_t>(dataSize));
    std::vector<uint8_t> band(static_cast<size_t>(bandBytes));
    for (uint32_t y0 = 0; y0 < length; y0 += tileLength) {
      const uint32_t rows = std::min(tileLength, length - y0);
      std::fill(band.begin(), band.end(), 0);
      if (!DecodeTileRow(tiff, capture, layout, tile, tileWidth, tileRowBytes, y0, rows,
                         band.data(), error)) {
        return false;
      }
      if (!sink.Put(band.data(), static_cast<size_t>(layout.outRowBytes * rows)))
        return Fail(error, "out of memory for the image data");
      if (length - y0 <= tileLength) break;
    }
    return true;
  }
  uint8_t* image = sink.PutZeros(static_cast<size_t>(dataSize));
  if (image == nullptr) return Fail(error, "out of memory for the image data");
  for (uint32_t y0 = 0; y0 < length; y0 += tileLength) {
    const uint32_t rows = std::min(tileLength, length - y0);
    if (!DecodeTileRow(tiff, capture, layout, tile, tileWidth, tileRowBytes, y0, rows,
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
};

// Opens the file through libtiff, reading rather than mapping it ("m"):
// the strips pass through the decoder's buffers only, and the file's pages
// do not stay in the process's memory.
bool OpenImage(const char* path, const TIFFErrorCapture& capture, TIFFHandle& handle,
               std::string* error) {
  const int fd = ImageFile::OpenRegular(path, nullptr);
  if (fd < 0) return Fail(error, "cannot open the file");
  // libtiff closes the descriptor with the handle, but not when the open fails.
  handle.reset(TIFFFdOpen(fd, path, "rm"));
  if (!handle) {
    ::close(fd);
    return Fail(error, capture.HasError() ? capture.Text() : "cannot open the file");
  }
  return Check(capture, error, "open");
}

// Reads the required tags (the first one missing fails), the resolutions
// and the defaulted ones, and refuses sizes, depths and sample formats this
// reader does not take.
bool ReadTags(TIFF* tiff, const TIFFErrorCapture& capture, ImageTags& t, std::string* error) {
  if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &t.width)) return Fail(error, "no ImageWidth");
  if (!TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &t.length)) return Fail(error, "no ImageLength");
  if (!TIFFGetField(tiff, TIFFTAG_COMPRESSION, &t.compression))
    return Fail(error, "no Compression");
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &t.photometric))
    return Fail(error, "no PhotometricInterpretation");
  t.hasX = TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &t.xResolution) != 0;
  t.hasY = TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &t.yResolution) != 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &t.planarConfig);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &t.bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &t.samples);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &t.unit);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &t.sampleFormat);
  if (!Check(capture, error, "tags")) return false;

  if (t.width == 0 || t.length == 0) return Fail(error, "bad image size");
  if (t.bits != 1 && t.bits != 2 && t.bits != 4 && t.bits != 8 && t.bits != 16)
    return Fail(error, "unsupported bits per sample");
  if (t.sampleFormat != SAMPLEFORMAT_UINT) return Fail(error, "unsupported sample format");
  return true;
}

// Chooses the image's colour keys by the photometric interpretation (the
// colour map of a palette image read here) and gives the number of colour
// components kept of each pixel.
bool ChooseColour(TIFF* tiff, const ImageTags& t, ImageDescription& result, int& components,
                  std::string* error) {
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
      if (t.bits > 8) return Fail(error, "palette deeper than 8 bits");
      uint16_t* red = nullptr;
      uint16_t* green = nullptr;
      uint16_t* blue = nullptr;
      if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || red == nullptr ||
          green == nullptr || blue == nullptr) {
        return Fail(error, "no ColorMap");
      }
      const int entries = 1 << t.bits;
      result.colour = ImageColour::Indexed;
      result.hival = entries - 1;
      result.palette = PaletteBytes(red, green, blue, entries);
      return true;
    }
    case PHOTOMETRIC_SEPARATED:
      if (t.samples != 4) return Fail(error, "separated image without four samples");
      result.colour = ImageColour::DeviceCMYK;
      components = 4;
      return true;
    case PHOTOMETRIC_YCBCR:
      // JPEG-compressed YCbCr is converted to RGB by the codec itself.
      if (t.compression != COMPRESSION_JPEG || t.samples != 3)
        return Fail(error, "unsupported YCbCr image");
      if (!TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
        return Fail(error, "cannot convert YCbCr");
      result.colour = ImageColour::DeviceRGB;
      components = 3;
      return true;
    default: return Fail(error, "unsupported photometric interpretation");
  }
}

// Decodes the samples into the sink and gives the number of bytes written.
// Nothing of the image's size is held twice: strips, rows of contiguous
// samples, bands of planar strips and rows of tiles go to the sink as they
// are decoded; only planar strips and rows of tiles above the budget are
// assembled in the image data a row or a tile at a time (at most
// kImageDecodeBudget bytes held besides).
bool ReadSamples(const char* path, TIFF* tiff, const TIFFErrorCapture& capture, const ImageTags& t,
                 const Layout& layout, ByteSink& sink, uint64_t& written, std::string* error) {
  const bool tiled = TIFFIsTiled(tiff) != 0;
  if (!tiled && !layout.planar && t.bits != 16 && t.samples == layout.components) {
    return ReadDirectStrips(tiff, capture, sink, t.length, t.compression, written, error);
  }
  written = layout.outRowBytes * t.length;
  if (!tiled) return ReadStripRows(path, tiff, capture, layout, t.length, sink, error);
  return ReadTileRows(tiff, capture, layout, t.length, sink, error);
}

bool ReadImage(const char* path, ByteSink& sink, ImageDescription& description,
               std::string* error) {
  TIFFErrorCapture capture;
  TIFFHandle handle;
  if (!OpenImage(path, capture, handle, error)) return false;
  TIFF* tiff = handle.get();
  ImageTags t;
  if (!ReadTags(tiff, capture, t, error)) return false;

  ImageDescription result;
  result.width = t.width;
  result.height = t.length;
  result.bitsPerComponent = t.bits == 16 ? 8 : t.bits;
  int components = 1;
  if (!ChooseColour(tiff, t, result, components, error)) return false;
  if (t.samples < components) return Fail(error, "too few samples per pixel");
  const bool planar = t.planarConfig == PLANARCONFIG_SEPARATE && t.samples > 1;
  if (t.bits < 8 && (planar || t.samples != components)) {
    return Fail(error, "planar or extra samples below 8 bits");
  }
  if (!Check(capture, error, "tags")) return false;

  Layout layout;
  layout.compression = t.compression;
  layout.width = t.width;
  layout.bits = t.bits;
  layout.samples = t.samples;
  layout.components = components;
  layout.planar = planar;
  layout.outRowBytes =
      (static_cast<uint64_t>(t.width) * components * result.bitsPerComponent + 7) / 8;
  const uint64_t dataSize = layout.outRowBytes * t.length;
  if (dataSize > kMaxImageDataSize) return Fail(error, "image too large");

  result.widthPoints = AxisPoints(t.width, t.hasX, t.xResolution, t.unit);
  result.heightPoints = AxisPoints(t.length, t.hasY, t.yResolution, t.unit);
  if (!sink.WantsData()) {
    result.dataSize = dataSize;
    description = std::move(result);
    return true;
  }
  if (!ReadSamples(path, tiff, capture, t, layout, sink, result.dataSize, error)) return false;
  if (!Check(capture, error, "read")) return false;
  handle.reset();
  if (!Check(capture, error, "close")) return false;

  description = std::move(result);
  return true;
}

}  // namespace

namespace {
const char* const kTIFFSignatures[] = {"II", "MM"};
}  // namespace

bool IsTIFFFile(const ImageHead& head) { return ImageFile::StartsWith(head, kTIFFSignatures, 2); }

bool IsTIFFFile(const char* path) { return IsTIFFFile(ImageFile::ReadHead(path)); }

bool ReadTIFFImage(const char* path, ByteSink& sink, ImageDescription& description,
                   std::string* error) {
  if (path == nullptr) return Fail(error, "no file name");
  try {
    return ReadImage(path, sink, description, error);
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory");
  }
}
