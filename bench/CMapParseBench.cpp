// The CMap reader's cold parse: a new CMapFile loads each CMap file of the
// Japanese conversions (90ms-RKSJ-H, UniJIS-UCS2-H) from the CMap folder,
// and a ToUnicode program of 20,000 bfchar and 2,000 bfrange entries from
// memory. Each is loaded many times and the median and best CPU times are
// printed; compare them across builds on the same machine. Not a test: it
// reports numbers.
//
//   bench/cmap_parse_bench [runs [cmap folder]]
//     (default 200 runs, /usr/share/poppler/cMap/Adobe-Japan1/)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CMapFile.h"

namespace {

using bench::CpuSeconds;

// A ToUnicode program as producers write it: sections of 100 entries.
std::string ToUnicodeProgram() {
  std::string text =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  char line[64];
  for (int section = 0; section < 200; ++section) {
    text += "100 beginbfchar\n";
    for (int i = 0; i < 100; ++i) {
      const int code = section * 100 + i;
      std::snprintf(line, sizeof line, "<%04X> <%04X>\n", code, 0x4E00 + code);
      text += line;
    }
    text += "endbfchar\n";
  }
  for (int section = 0; section < 20; ++section) {
    text += "100 beginbfrange\n";
    for (int i = 0; i < 100; ++i) {
      const int code = 0x8000 + (section * 100 + i) * 4;
      std::snprintf(line, sizeof line, "<%04X> <%04X> <%04X>\n", code, code + 3, 0x3000 + i);
      text += line;
    }
    text += "endbfrange\n";
  }
  return text + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

struct Figures {
  double median = 0;
  double best = 0;
};

template <class Load>
bool Measure(int runs, Load load, Figures* figures) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(runs));
  for (int run = 0; run < runs; ++run) {
    CMapFile cmap;
    const double start = CpuSeconds();
    if (!load(cmap)) return false;
    times.push_back(CpuSeconds() - start);
  }
  std::sort(times.begin(), times.end());
  figures->median = times[times.size() / 2];
  figures->best = times.front();
  return true;
}

void Report(const char* what, const Figures& f) {
  std::printf("%-22s median %8.3f ms   best %8.3f ms\n", what, f.median * 1e3, f.best * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const std::string folder = argc > 2 ? argv[2] : "/usr/share/poppler/cMap/Adobe-Japan1/";
  CPDFEnv::Global().Init(nullptr, folder.c_str(), nullptr, nullptr);

  for (const char* name : {"90ms-RKSJ-H", "UniJIS-UCS2-H"}) {
    Figures f;
    if (!Measure(
            runs, [&](CMapFile& cmap) { return cmap.Load(name); }, &f)) {
      std::fprintf(stderr, "%s: cannot load it from %s\n", name, folder.c_str());
      return 1;
    }
    Report(name, f);
  }
  const std::string program = ToUnicodeProgram();
  Figures f;
  if (!Measure(
          runs,
          [&](CMapFile& cmap) {
            return cmap.LoadStream(program.data(), static_cast<int32_t>(program.size()), true);
          },
          &f)) {
    std::fprintf(stderr, "the ToUnicode program does not load\n");
    return 1;
  }
  Report("ToUnicode program", f);
  return 0;
}
