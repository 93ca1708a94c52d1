// Converts a generated folder of images through the conversion driver and
// the real single-file conversion, and compares the time with what the
// conversion cannot avoid: copying a JPEG file (its data go into the PDF
// unchanged) and deflating a bitmap's or TIFF's pixels (they go in
// compressed).
//
// Usage: conversion_bench [jpegs [bmps [tiffs [folder]]]]
//   defaults 200 JPEG photos of about 2 MB, 50 24-bit bitmaps of 2000 x 2000
//   and 50 TIFF files of 2000 x 2000 (RGB LZW, RGB uncompressed, grey
//   Deflate, bilevel G4 in turn), in a new folder under $TMPDIR that is
//   removed afterwards (a folder given is kept, and its files are used again
//   when it already holds an "in" folder).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "converter/core/ConversionDriver.h"
#include "converter/core/ConvertOne.h"
#include "tests/converter/core/EndToEndImages.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A user interface that answers every question with Yes and keeps the
// results.
class QuietUi : public ostrel::ConverterUi {
 public:
  ostrel::ConversionResults results;
  int messages = 0;
  ostrel::MsgAnswer MessageBox(const std::string& text, ostrel::MsgButtons buttons, ostrel::MsgIcon) override {
    ++messages;
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return buttons == ostrel::MsgButtons::Ok ? ostrel::MsgAnswer::Ok : ostrel::MsgAnswer::Yes;
  }
  void PumpMessages() override {}
  void ShowSearchDialog() override {}
  void HideSearchDialog() override {}
  void SetSearchStateText(const std::string&) override {}
  bool TakeSearchCancel() override { return false; }
  void ShowProgressDialog() override {}
  void HideProgressDialog() override {}
  void SetProgressRange(int32_t, int32_t) override {}
  void SetProgressPos(int32_t) override {}
  void SetProgressPercentText(const std::string&) override {}
  void SetProgressFileText(const std::string&) override {}
  bool TakeProgressCancel() override { return false; }
  void ShowResultDialog(const ostrel::ConversionResults& r) override { results = r; }
};

// Peak resident memory of the process since the last ResetPeak, in MB
// (the kernel's high-water mark; getrusage's figure cannot be reset).
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}
double PeakMB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
  return 0;
}
double MaxRssMB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A cheap hash of a position: the noise of the "photos".
inline uint32_t Noise(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x9E3779B1u ^ (y + seed * 0x85EBCA77u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

// A photo-like sample: broad gradients, some structure and grain.
inline uint8_t PhotoSample(uint32_t x, uint32_t y, int c, uint32_t seed, int grain) {
  const int base = static_cast<int>((x * (3 + c) + y * (5 - c) + seed * 40) / 16 % 256);
  const int wave = static_cast<int>(((x / 40 + y / 30 + seed) % 7) * 12);
  const int g = static_cast<int>(Noise(x, y * 3 + static_cast<uint32_t>(c), seed) % static_cast<uint32_t>(2 * grain + 1)) - grain;
  const int v = (base + wave) / 2 + 64 + g;
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

uint64_t FileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

// Reads a whole file into a buffer kept between calls.
bool ReadInto(const std::string& path, std::vector<uint8_t>& buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  buffer.resize(FileSize(path));
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return done == buffer.size();
}

// Writes a buffer to a new file and makes it durable, as the conversion's
// save does.
bool WriteDurably(const std::string& path, const uint8_t* data, size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const bool ok = done == size && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

// Deflates a buffer at zlib's default level; the compressed size.
size_t Deflate(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  uLongf length = compressBound(size);
  out.resize(length);
  if (compress2(out.data(), &length, data, size, Z_DEFAULT_COMPRESSION) != Z_OK) return 0;
  return length;
}

// The pixel bytes of a TIFF, decoded strip by strip.
bool DecodeTiff(const std::string& path, std::vector<uint8_t>& pixels) {
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (tiff == nullptr) return false;
  const tmsize_t stripSize = TIFFStripSize(tiff);
  const uint32_t strips = TIFFNumberOfStrips(tiff);
  pixels.resize(static_cast<size_t>(stripSize) * strips);
  bool ok = true;
  for (uint32_t s = 0; s < strips && ok; ++s)
    ok = TIFFReadEncodedStrip(tiff, s, pixels.data() + static_cast<size_t>(stripSize) * s, stripSize) >= 0;
  TIFFClose(tiff);
  return ok;
}

struct Phase {
  std::string name;
  size_t files = 0;
  uint64_t bytesIn = 0;
  uint64_t bytesOut = 0;
  double seconds = 0;
  double peakMB = 0;
};

// Converts the files of one folder through the driver.
Phase Convert(const std::string& name, const std::string& in, const std::string& out) {
  Phase p;
  p.name = name;
  for (const std::string& f : FilesIn(in)) p.bytesIn += FileSize(f);
  QuietUi ui;
  ostrel::ConversionDriver driver(ui, [](const std::string& input, const std::string& output) {
    return ostrel::ConvertOne(input.c_str(), output.c_str());
  });
  ostrel::ConvertRequest request;
  request.input = in;
  request.output = out;
  request.settings.NeNoConf = 1;
  request.settings.OwNoConf = 1;
  ResetPeak();
  const auto start = Clock::now();
  driver.OnConvert(request);
  p.seconds = Seconds(start);
  p.peakMB = PeakMB();
  p.files = ui.results.converted.size();
  if (!ui.results.failed.empty() || ui.messages != 0)
    std::fprintf(stderr, "%s: %zu files failed, %d messages\n", name.c_str(), ui.results.failed.size(), ui.messages);
  for (const std::string& f : FilesIn(out)) p.bytesOut += FileSize(f);
  return p;
}

// The baseline of a folder: each file read, then copied (JPEG) or its pixels
// deflated (bitmap, TIFF), the result written durably to the scratch folder.
Phase Baseline(const std::string& name, const std::string& in, const std::string& scratch, int kind) {
  Phase p;
  p.name = name;
  fs::create_directories(scratch);
  std::vector<uint8_t> buffer, pixels, packed;
  ResetPeak();
  const auto start = Clock::now();
  for (const std::string& f : FilesIn(in)) {
    const std::string target = scratch + "/" + fs::path(f).filename().string();
    if (kind == 0) {  // copy
      if (!ReadInto(f, buffer) || !WriteDurably(target, buffer.data(), buffer.size())) continue;
      p.bytesOut += buffer.size();
      p.bytesIn += buffer.size();
    } else if (kind == 1) {  // bitmap: the pixels after the file and information headers
      if (!ReadInto(f, buffer) || buffer.size() < 54) continue;
      const size_t offset = buffer[10] | buffer[11] << 8 | buffer[12] << 16 | static_cast<size_t>(buffer[13]) << 24;
      const size_t n = Deflate(buffer.data() + offset, buffer.size() - offset, packed);
      if (n == 0 || !WriteDurably(target, packed.data(), n)) continue;
      p.bytesOut += n;
      p.bytesIn += buffer.size();
    } else {  // TIFF: decoded by libtiff, then deflated
      if (!DecodeTiff(f, pixels)) continue;
      const size_t n = Deflate(pixels.data(), pixels.size(), packed);
      if (n == 0 || !WriteDurably(target, packed.data(), n)) continue;
      p.bytesOut += n;
      p.bytesIn += FileSize(f);
    }
    ++p.files;
  }
  p.seconds = Seconds(start);
  p.peakMB = PeakMB();
  return p;
}

void Print(const Phase& p) {
  const double mb = static_cast<double>(p.bytesIn) / 1e6;
  std::printf("%-30s %6zu %9.1f %9.1f %8.2f %9.1f %9.1f %8.1f\n", p.name.c_str(), p.files, mb,
              static_cast<double>(p.bytesOut) / 1e6, p.seconds, p.seconds > 0 ? static_cast<double>(p.files) / p.seconds : 0,
              p.seconds > 0 ? mb / p.seconds : 0, p.peakMB);
}

void Generate(const std::string& root, int jpegs, int bmps, int tiffs) {
  fs::create_directories(root + "/in/jpeg");
  fs::create_directories(root + "/in/bmp");
  fs::create_directories(root + "/in/tiff");
  fs::create_directories(root + "/out");  // the runs make one folder level each
  const auto start = Clock::now();
  for (int i = 0; i < jpegs; ++i) {
    e2e::JpegSpec spec;
    spec.width = 2400;
    spec.height = 1600;
    spec.quality = 92;
    spec.density = 300;
    const uint32_t seed = static_cast<uint32_t>(i);
    char name[64];
    std::snprintf(name, sizeof name, "/in/jpeg/photo%04d.jpg", i);
    if (!e2e::WriteJpeg(root + name, spec,
                        [seed](uint32_t x, uint32_t y, int c) { return PhotoSample(x, y, c, seed, 28); }))
      std::fprintf(stderr, "cannot write %s\n", name);
  }
  const std::vector<e2e::RGB> none;
  for (int i = 0; i < bmps; ++i) {
    const uint32_t seed = static_cast<uint32_t>(i);
    char name[64];
    std::snprintf(name, sizeof name, "/in/bmp/scan%04d.bmp", i);
    const auto bytes = e2e::MakeBitmap(2000, 2000, 24, false, none, nullptr, [seed](uint32_t x, uint32_t y) {
      return e2e::RGB{PhotoSample(x, y, 0, seed, 3), PhotoSample(x, y, 1, seed, 3), PhotoSample(x, y, 2, seed, 3)};
    });
    if (!e2e::WriteBytes(root + name, bytes)) std::fprintf(stderr, "cannot write %s\n", name);
  }
  for (int i = 0; i < tiffs; ++i) {
    const uint32_t seed = static_cast<uint32_t>(i);
    e2e::TiffSpec spec;
    spec.width = spec.height = 2000;
    spec.rowsPerStrip = 64;
    spec.dpi = 200;
    switch (i % 4) {
      case 0:
        spec.samples = 3;
        spec.photometric = PHOTOMETRIC_RGB;
        spec.compression = COMPRESSION_LZW;
        break;
      case 1:
        spec.samples = 3;
        spec.photometric = PHOTOMETRIC_RGB;
        break;
      case 2:
        spec.compression = COMPRESSION_ADOBE_DEFLATE;
        break;
      default:
        spec.bits = 1;
        spec.photometric = PHOTOMETRIC_MINISWHITE;
        spec.compression = COMPRESSION_CCITTFAX4;
        spec.rowsPerStrip = 0;
        break;
    }
    char name[64];
    std::snprintf(name, sizeof name, "/in/tiff/page%04d.tif", i);
    const int bits = spec.bits;
    if (!e2e::WriteTiff(root + name, spec, [seed, bits](uint32_t x, uint32_t y, int c) -> uint32_t {
          if (bits == 1) return ((x / 7 + y / 11 + seed) % 5 == 0) ^ ((y / 40) % 3 == 0) ? 1u : 0u;
          return PhotoSample(x, y, c, seed, 2);
        }))
      std::fprintf(stderr, "cannot write %s\n", name);
  }
  std::printf("generated %d JPEG, %d bitmap and %d TIFF files in %.1f s\n", jpegs, bmps, tiffs, Seconds(start));
}

}  // namespace

int main(int argc, char** argv) {
  const int jpegs = argc > 1 ? std::atoi(argv[1]) : 200;
  const int bmps = argc > 2 ? std::atoi(argv[2]) : 50;
  const int tiffs = argc > 3 ? std::atoi(argv[3]) : 50;
  std::string root;
  bool removeRoot = false;
  if (argc > 4) {
    root = argv[4];
  } else {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/conversion-bench-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    root = buf.data();
    removeRoot = true;
  }
  if (jpegs < 0 || bmps < 0 || tiffs < 0) {
    std::fprintf(stderr, "usage: %s [jpegs [bmps [tiffs [folder]]]]\n", argv[0]);
    return 2;
  }

  if (!removeRoot && fs::exists(root + "/in")) {
    std::printf("using the files already in %s/in\n", root.c_str());
  } else {
    Generate(root, jpegs, bmps, tiffs);
  }
  std::printf("\n%-30s %6s %9s %9s %8s %9s %9s %8s\n", "", "files", "MB in", "MB out", "seconds", "files/s", "MB/s",
              "peak MB");
  const struct {
    const char* name;
    const char* folder;
    const char* baseline;
    int kind;
  } phases[] = {{"JPEG conversion", "jpeg", "JPEG baseline: file copy", 0},
                {"BMP conversion", "bmp", "BMP baseline: deflate", 1},
                {"TIFF conversion", "tiff", "TIFF baseline: decode+deflate", 2}};
  const int counts[] = {jpegs, bmps, tiffs};
  for (int i = 0; i < 3; ++i) {
    if (counts[i] == 0) continue;
    const std::string in = root + "/in/" + phases[i].folder;
    if (!fs::exists(in)) continue;
    const Phase base = Baseline(phases[i].baseline, in, root + "/baseline/" + phases[i].folder, phases[i].kind);
    const Phase conv = Convert(phases[i].name, in, root + "/out/" + phases[i].folder);
    Print(conv);
    Print(base);
    std::printf("%-30s %.2f x the baseline's time\n\n", "", base.seconds > 0 ? conv.seconds / base.seconds : 0);
  }
  std::printf("peak memory of the whole run (getrusage): %.1f MB\n", MaxRssMB());

  if (removeRoot) {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  return 0;
}
