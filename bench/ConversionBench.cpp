// Measures the converter against the floors of its work, per format, and
// prints ratios, so that a regression shows as a ratio rather than as an
// absolute time on a machine of unknown speed and load.
//
// Every conversion runs in a process of its own (this program started again
// with --convert), as a user's conversion of one file does; the time counts
// the process's start and end. The floors are what a conversion cannot avoid:
//   JPEG         the file copied (its data go into the PDF unchanged), in
//                this process, and the peer `cp` as a process;
//   JPEG fill    a small photo whose header holds 10 MB of fill bytes (0xFF
//                before a marker, which a reader must pass over), against
//                `cp` of the file: reading the markers is linear in the file;
//   BMP, TIFF    the pixels (already decoded, in memory) deflated at zlib's
//                default level on one core and on all cores, the result
//                written to a file; and the peer `tiff2pdf -z` when it is
//                installed (uncompressed TIFF of the same pixels for a BMP);
//   JPEG folder  a folder of JPEG files through the conversion driver in this
//                process, against copying each file in this process; once
//                into an empty folder and once over the files of the run
//                before (a replaced file is forced to the device first).
// Every other run writes new files: the outputs of the run before are
// removed first, outside the measured time.
// Each run measures every converter and floor once, in alternating order;
// a ratio pairs the converter's time with the floor's time of the same run.
// The table gives the medians of the times and of the ratios, and the
// spread (lowest and highest ratio) over the runs.
//
// Usage: conversion_bench [runs [folder]]
//   runs defaults to 7; the files are generated in a new folder under
//   $TMPDIR that is removed afterwards (a folder given is kept).
//   conversion_bench --convert INPUT OUTPUT converts one file and exits.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchClock.h"
#include "converter/core/ConversionDriver.h"
#include "converter/core/ConvertOne.h"
#include "tests/converter/core/EndToEndImages.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using bench::CpuSeconds;
using bench::Seconds;

using Clock = std::chrono::steady_clock;

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
  const int g = static_cast<int>(Noise(x, y * 3 + static_cast<uint32_t>(c), seed) %
                                 static_cast<uint32_t>(2 * grain + 1)) -
                grain;
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

// Writes a buffer to a new file, as cp does (no fsync).
bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && done == size;
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
    ok = TIFFReadEncodedStrip(tiff, s, pixels.data() + static_cast<size_t>(stripSize) * s,
                              stripSize) >= 0;
  TIFFClose(tiff);
  return ok;
}

// Deflates a buffer on all cores, in independent 256 KiB pieces: what
// compression costs when every core works and nothing joins the pieces.
size_t DeflateAllCores(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  constexpr size_t kPiece = size_t{256} << 10;
  const size_t pieces = (size + kPiece - 1) / kPiece;
  std::vector<std::vector<uint8_t>> packed(pieces);
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (size_t i = t; i < pieces; i += threads) {
        const size_t n = std::min(kPiece, size - i * kPiece);
        Deflate(data + i * kPiece, n, packed[i]);
      }
    });
  }
  for (std::thread& w : workers) w.join();
  out.clear();
  for (const auto& p : packed) out.insert(out.end(), p.begin(), p.end());
  return out.size();
}

// Writes the peak resident memory of this process, in MB, to the file (the
// kernel's high-water mark of the memory map made at exec; the figure that
// wait4 reports also counts the parent's memory shared before the exec).
void WritePeak(const char* path) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0)
      std::ofstream(path) << std::strtod(line.c_str() + 6, nullptr) / 1024.0 << "\n";
}

// The system's load averages (1, 5, 15 minutes), as /proc/loadavg gives
// them: on a shared machine they tell how far the times can be trusted.
std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return in ? one + " " + five + " " + fifteen : std::string("unknown");
}

double ReadPeak(const std::string& path) {
  double mb = 0;
  std::ifstream(path) >> mb;
  return mb;
}

// Runs a program and waits for it; the wall time in seconds, or -1 when it
// could not run or failed.
double RunProcess(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  const double seconds = Seconds(start);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "";
  size_t from = 0;
  while (from <= list.size()) {
    const size_t to = std::min(list.find(':', from), list.size());
    const std::string candidate = list.substr(from, to - from) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    from = to + 1;
  }
  return false;
}

// A user interface that answers every question with Yes and keeps the
// results.
class QuietUi : public ostrel::ConverterUi {
 public:
  ostrel::ConversionResults results;
  ostrel::MsgAnswer MessageBox(const std::string& text, ostrel::MsgButtons buttons,
                               ostrel::MsgIcon) override {
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

// Empties a folder of output files (not measured).
void Clear(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) fs::remove_all(entry.path(), ec);
}

// A folder through the conversion driver in this process; -1 when a file
// failed.
double ConvertFolder(const std::string& in, const std::string& out) {
  QuietUi ui;
  ostrel::ConversionDriver driver(ui, [](const std::string& input, const std::string& output) {
    return ostrel::ConvertOne(input.c_str(), output.c_str());
  });
  ostrel::ConvertRequest request;
  request.input = in;
  request.output = out;
  request.settings.NeNoConf = 1;
  request.settings.OwNoConf = 1;
  const auto start = Clock::now();
  driver.OnConvert(request);
  const double seconds = Seconds(start);
  return ui.results.failed.empty() ? seconds : -1;
}

// Every file of a folder read and written to the scratch folder.
double CopyFolder(const std::string& in, const std::string& scratch) {
  std::vector<uint8_t> buffer;
  const auto start = Clock::now();
  for (const std::string& f : FilesIn(in)) {
    if (!ReadInto(f, buffer)) return -1;
    if (!WriteFile(scratch + "/" + fs::path(f).filename().string(), buffer.data(), buffer.size()))
      return -1;
  }
  return Seconds(start);
}

double CopyFile(const std::string& from, const std::string& to) {
  std::vector<uint8_t> buffer;
  const auto start = Clock::now();
  if (!ReadInto(from, buffer) || !WriteFile(to, buffer.data(), buffer.size())) return -1;
  return Seconds(start);
}

// The pixels deflated (on one core or all) and written to a file.
double DeflateFloor(const std::vector<uint8_t>& pixels, const std::string& to, bool allCores) {
  std::vector<uint8_t> packed;
  const auto start = Clock::now();
  const size_t n = allCores ? DeflateAllCores(pixels.data(), pixels.size(), packed)
                            : Deflate(pixels.data(), pixels.size(), packed);
  if (n == 0 || !WriteFile(to, packed.data(), n)) return -1;
  return Seconds(start);
}

// One measured thing: a name, how to run it once, and its times.
struct Measure {
  std::string label;
  std::string command;
  std::function<double()> run;
  std::vector<double> seconds;
  double peakMB = 0;
};

// One line of the table: a converter measure against a floor measure.
struct Line {
  std::string format;
  size_t converter;
  size_t floor;
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The sample bits of a G4 page: text-like marks on white.
uint32_t PageBit(uint32_t x, uint32_t y) {
  const bool line = (y / 48) % 2 == 0 && (y % 48) < 30 && x > 200 && x < 2280;
  return line && ((x / 7 + y / 11) % 5 == 0 || (Noise(x / 3, y / 3, 7) % 9 == 0)) ? 1u : 0u;
}

struct Inputs {
  std::string jpeg, fill, bmp, tiffNone, tiffLzw, g4, folder;
  std::vector<uint8_t> bmpPixels, rgbPixels, g4Pixels;
};

bool Generate(const std::string& root, Inputs& in) {
  const std::string dir = root + "/in";
  fs::create_directories(dir + "/folder");
  in.jpeg = dir + "/photo.jpg";
  in.fill = dir + "/fill.jpg";
  in.bmp = dir + "/scan.bmp";
  in.tiffNone = dir + "/scan-none.tif";
  in.tiffLzw = dir + "/scan-lzw.tif";
  in.g4 = dir + "/page-g4.tif";
  in.folder = dir + "/folder";
  const auto start = Clock::now();
  bool ok = true;
  e2e::JpegSpec jpeg;
  jpeg.width = 2000;
  jpeg.height = 1500;
  jpeg.quality = 90;
  jpeg.density = 300;
  for (uint32_t i = 0; i <= 20 && ok; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "/photo%02u.jpg", i);
    const std::string path = i == 0 ? in.jpeg : in.folder + name;
    ok = e2e::WriteJpeg(path, jpeg,
                        [i](uint32_t x, uint32_t y, int c) { return PhotoSample(x, y, c, i, 28); });
  }
  // One set of 2000 x 2000 noisy photo pixels as a bitmap and as TIFF files.
  const std::vector<e2e::RGB> none;
  auto rgb = [](uint32_t x, uint32_t y, int c) -> uint32_t { return PhotoSample(x, y, c, 1, 6); };
  ok = ok &&
       e2e::WriteBytes(
           in.bmp,
           e2e::MakeBitmap(2000, 2000, 24, false, none, nullptr, [&](uint32_t x, uint32_t y) {
             return e2e::RGB{static_cast<uint8_t>(rgb(x, y, 0)), static_cast<uint8_t>(rgb(x, y, 1)),
                             static_cast<uint8_t>(rgb(x, y, 2))};
           }));
  e2e::TiffSpec tiff;
  tiff.width = tiff.height = 2000;
  tiff.samples = 3;
  tiff.photometric = PHOTOMETRIC_RGB;
  tiff.rowsPerStrip = 64;
  tiff.dpi = 200;
  ok = ok && e2e::WriteTiff(in.tiffNone, tiff, rgb);
  tiff.compression = COMPRESSION_LZW;
  ok = ok && e2e::WriteTiff(in.tiffLzw, tiff, rgb);
  e2e::TiffSpec page;
  page.width = 2480;
  page.height = 3508;
  page.bits = 1;
  page.photometric = PHOTOMETRIC_MINISWHITE;
  page.compression = COMPRESSION_CCITTFAX4;
  page.dpi = 300;
  ok = ok && e2e::WriteTiff(in.g4, page, [](uint32_t x, uint32_t y, int) { return PageBit(x, y); });
  // A small photo with 10 MB of fill bytes before its first marker after SOI.
  e2e::JpegSpec small;
  small.width = 64;
  small.height = 48;
  ok = ok && e2e::WriteJpeg(in.fill, small, [](uint32_t x, uint32_t y, int c) {
         return PhotoSample(x, y, c, 3, 8);
       });
  std::vector<uint8_t> photo;
  if (!ok || !ReadInto(in.fill, photo) || photo.size() < 2) return false;
  std::vector<uint8_t> filled(photo.begin(), photo.begin() + 2);
  filled.resize(filled.size() + (size_t{10} << 20), 0xFF);
  filled.insert(filled.end(), photo.begin() + 2, photo.end());
  if (!WriteFile(in.fill, filled.data(), filled.size())) return false;
  // The pixels the floors deflate.
  std::vector<uint8_t> file;
  if (!ReadInto(in.bmp, file) || file.size() < 54) return false;
  const size_t offset =
      file[10] | file[11] << 8 | file[12] << 16 | static_cast<size_t>(file[13]) << 24;
  in.bmpPixels.assign(file.begin() + static_cast<long>(offset), file.end());
  if (!DecodeTiff(in.tiffNone, in.rgbPixels) || !DecodeTiff(in.g4, in.g4Pixels)) return false;
  std::printf(
      "generated the inputs in %.1f s: JPEG %.2f MB, BMP %.2f MB, TIFF %.2f MB (LZW %.2f MB), "
      "G4 %.3f MB, folder of 20 JPEG files\n",
      Seconds(start), FileSize(in.jpeg) / 1e6, FileSize(in.bmp) / 1e6, FileSize(in.tiffNone) / 1e6,
      FileSize(in.tiffLzw) / 1e6, FileSize(in.g4) / 1e6);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--convert") {
    const int result = ostrel::ConvertOne(argv[2], argv[3]) == 0 ? 0 : 1;
    if (argc == 5) WritePeak(argv[4]);
    return result;
  }
  const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  if (runs < 1 || runs > 1000) {
    std::fprintf(stderr, "usage: %s [runs [folder]]\n       %s --convert INPUT OUTPUT\n", argv[0],
                 argv[0]);
    return 2;
  }
  std::string root;
  bool removeRoot = false;
  if (argc > 2) {
    root = argv[2];
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
  Inputs in;
  if (!Generate(root, in)) {
    std::fprintf(stderr, "cannot generate the inputs in %s\n", root.c_str());
    return 1;
  }
  const std::string out = root + "/out";
  fs::create_directories(out + "/folder");
  fs::create_directories(out + "/copies");
  fs::create_directories(out + "/again");
  fs::create_directories(out + "/again-copies");
  const std::string self = fs::canonical("/proc/self/exe").string();
  const bool peer = OnPath("tiff2pdf");
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

  std::vector<Measure> m;
  std::vector<Line> lines;
  auto add = [&](std::string label, std::string command, std::function<double()> run) {
    m.push_back({std::move(label), std::move(command), std::move(run), {}, 0});
    return m.size() - 1;
  };
  auto convert = [&](const std::string& input) {
    const std::string output = out + "/" + fs::path(input).stem().string() + ".pdf";
    const size_t i = m.size();
    return add("converter",
               "conversion_bench --convert " + fs::path(input).filename().string() + " OUT",
               [&, input, output, i] {
                 const std::string peak = out + "/peak.txt";
                 ::unlink(output.c_str());
                 const double s = RunProcess({self, "--convert", input, output, peak});
                 m[i].peakMB = ReadPeak(peak);
                 return s;
               });
  };
  auto tiff2pdf = [&](const std::string& input) {
    return add("tiff2pdf -z", "tiff2pdf -z -o OUT " + fs::path(input).filename().string(),
               [&, input] {
                 ::unlink((out + "/peer.pdf").c_str());
                 return RunProcess({"tiff2pdf", "-z", "-o", out + "/peer.pdf", input});
               });
  };
  auto pixelFloors = [&](const char* format, size_t conv, const std::vector<uint8_t>& pixels,
                         const std::string& tiff) {
    const std::string to = out + "/floor.z";
    lines.push_back({format, conv,
                     add("zlib -6, 1 core", "deflate of the pixels in memory",
                         [&pixels, to] { return DeflateFloor(pixels, to, false); })});
    lines.push_back(
        {format, conv,
         add("zlib -6, " + std::to_string(cores) + " cores", "the same in 256 KiB pieces",
             [&pixels, to] { return DeflateFloor(pixels, to, true); })});
    if (peer) lines.push_back({format, conv, tiff2pdf(tiff)});
  };

  {
    const size_t conv = convert(in.jpeg);
    lines.push_back({"JPEG", conv, add("copy", "read and write the file in one process", [&] {
                       ::unlink((out + "/copy.jpg").c_str());
                       return CopyFile(in.jpeg, out + "/copy.jpg");
                     })});
    lines.push_back({"JPEG", conv, add("cp", "cp photo.jpg OUT", [&] {
                       ::unlink((out + "/cp.jpg").c_str());
                       return RunProcess({"cp", in.jpeg, out + "/cp.jpg"});
                     })});
  }
  lines.push_back({"JPEG fill", convert(in.fill), add("cp", "cp fill.jpg OUT", [&] {
                     ::unlink((out + "/cp.jpg").c_str());
                     return RunProcess({"cp", in.fill, out + "/cp.jpg"});
                   })});
  pixelFloors("BMP 24-bit", convert(in.bmp), in.bmpPixels, in.tiffNone);
  pixelFloors("TIFF RGB none", convert(in.tiffNone), in.rgbPixels, in.tiffNone);
  pixelFloors("TIFF RGB LZW", convert(in.tiffLzw), in.rgbPixels, in.tiffLzw);
  {
    const size_t conv = convert(in.g4);
    lines.push_back({"TIFF G4 A4", conv,
                     add("zlib -6, 1 core", "deflate of the 1-bit pixels in memory",
                         [&] { return DeflateFloor(in.g4Pixels, out + "/floor.z", false); })});
    if (peer) lines.push_back({"TIFF G4 A4", conv, tiff2pdf(in.g4)});
  }
  {
    const size_t conv = add("driver", "20 JPEG files through the driver, in process", [&] {
      Clear(out + "/folder");
      return ConvertFolder(in.folder, out + "/folder");
    });
    lines.push_back(
        {"JPEG folder", conv, add("copy", "read and write each file in one process", [&] {
           Clear(out + "/copies");
           return CopyFolder(in.folder, out + "/copies");
         })});
  }
  {
    // The same over the files the run before wrote.
    const size_t conv = add("driver", "the same, replacing the files of the run before",
                            [&] { return ConvertFolder(in.folder, out + "/again"); });
    lines.push_back({"JPEG replacing", conv,
                     add("copy", "copy over the files of the run before",
                         [&] { return CopyFolder(in.folder, out + "/again-copies"); })});
  }

  // Warm the page cache and the programs once, then measure.
  const std::string loadBefore = LoadAverage();
  for (Measure& x : m) x.run();
  for (int r = 0; r < runs; ++r) {
    for (size_t k = 0; k < m.size(); ++k) {
      Measure& x = m[r % 2 ? m.size() - 1 - k : k];
      const double s = x.run();
      if (s < 0) {
        std::fprintf(stderr, "%s (%s) failed\n", x.label.c_str(), x.command.c_str());
        return 1;
      }
      x.seconds.push_back(s);
    }
  }

  std::printf(
      "\n%d runs, %u cores, load average %s before and %s after; times are medians in ms;\n"
      "ratio = converter / floor, paired per run\n\n",
      runs, cores, loadBefore.c_str(), LoadAverage().c_str());
  std::printf("%-14s %9s %-18s %9s %7s %15s  %s\n", "format", "converter", "floor", "floor ms",
              "ratio", "spread", "floor command");
  for (const Line& l : lines) {
    const Measure& c = m[l.converter];
    const Measure& f = m[l.floor];
    std::vector<double> ratios;
    for (size_t r = 0; r < c.seconds.size(); ++r) ratios.push_back(c.seconds[r] / f.seconds[r]);
    const auto [lo, hi] = std::minmax_element(ratios.begin(), ratios.end());
    char spread[32];
    std::snprintf(spread, sizeof spread, "%.2f-%.2f", *lo, *hi);
    std::printf("%-14s %9.1f %-18s %9.1f %7.2f %15s  %s\n", l.format.c_str(),
                Median(c.seconds) * 1e3, f.label.c_str(), Median(f.seconds) * 1e3, Median(ratios),
                spread, f.command.c_str());
  }
  std::printf("\nconverter peak resident memory (last run): ");
  for (const Line& l : lines)
    if (&l == &lines.front() || l.converter != (&l - 1)->converter)
      if (m[l.converter].peakMB > 0)
        std::printf("%s %.1f MB  ", l.format.c_str(), m[l.converter].peakMB);
  std::printf("\nconverter command: %s\n", m[lines.front().converter].command.c_str());
  if (!peer) std::printf("tiff2pdf is not installed: no peer lines\n");

  if (removeRoot) {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  return 0;
}
