// Multi-page TIFF files: a fax of n, 2n and 4n small pages converted into
// one PDF each, in this process. Each image is reached through the offset
// of its directory, so the time per page stays the same however many pages
// come before it; doubling the pages costs about twice the time. Not a test:
// it reports numbers.
//
//   bench/tiff_pages_bench [pages] [folder]   (default 1000, a folder in /tmp)
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "converter/core/ConvertOne.h"

namespace {

using bench::CpuSeconds;
using bench::Seconds;

// A file of `pages` bilevel pages of 1728 x 200 pixels (a strip of a fax),
// in Group 4, each with a few black rows of its own.
bool WriteFax(const std::string& path, int pages) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  const uint32_t width = 1728;
  const uint32_t height = 200;
  std::vector<uint8_t> row(width / 8);
  bool ok = true;
  for (int page = 0; page < pages && ok; ++page) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 196.0f);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, page, pages);
    for (uint32_t y = 0; y < height && ok; ++y) {
      const bool black = y % 50 == static_cast<uint32_t>(page % 50);
      std::fill(row.begin(), row.end(), black ? 0xFF : 0x00);
      ok = TIFFWriteScanline(tiff, row.data(), y, 0) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
  const std::string folder = argc > 2 ? argv[2] : "/tmp/tiff_pages_bench";
  if (pages <= 0) {
    std::fprintf(stderr, "usage: tiff_pages_bench [pages] [folder]\n");
    return 2;
  }
  ::mkdir(folder.c_str(), 0700);
  double first = 0;
  for (int factor : {1, 2, 4}) {
    const int n = pages * factor;
    const std::string input = folder + "/fax-" + std::to_string(n) + ".tif";
    const std::string output = folder + "/fax-" + std::to_string(n) + ".pdf";
    if (!WriteFax(input, n)) {
      std::fprintf(stderr, "cannot write %s\n", input.c_str());
      return 1;
    }
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    if (ostrel::ConvertOne(input.c_str(), output.c_str()) != 0) return 1;
    const double used = CpuSeconds() - cpu;
    if (factor == 1) first = used;
    std::printf("%6d pages: %7.3f s wall, %7.3f s CPU, %6.3f ms CPU a page, x%.2f the first\n", n,
                Seconds(wall), used, used * 1000 / n, first > 0 ? used / first : 1.0);
    ::unlink(input.c_str());
    ::unlink(output.c_str());
  }
  ::rmdir(folder.c_str());
  return 0;
}
