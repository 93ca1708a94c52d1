// Many pages: a document whose pages are made one at a time at the end
// (CreatePage(-1, 1)) and then each got once by index (GetPage), as a
// caller filling a long document would; then saved. Then the same number of
// pages, and twice as many, made one at a time at the front (CreatePage(0,
// 1)), in the middle (CreatePage(count / 2, 1)) and at the end (the best
// of three documents each; one of n pages saved). Reports the times, how doubling the pages changes
// them (about twice, never much more), and a digest of each written file with its dates masked, so
// that two builds can be shown to write the same bytes. Not a test: it reports numbers.
//
//   bench/many_pages_bench [pages] [file]   (default 100000, files in /tmp)
#include <malloc.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/BenchClock.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"

namespace {

using bench::CpuSeconds;
using bench::Seconds;

// FNV-1a over the file, each "(D:" date string taken as "(D:)".
uint64_t MaskedDigest(const std::string& text) {
  uint64_t hash = 1469598103934665603ULL;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 3, "(D:") == 0) {
      for (char c : std::string("(D:)")) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ULL;
      const size_t close = text.find(')', i);
      if (close == std::string::npos) break;
      i = close;
      continue;
    }
    hash = (hash ^ static_cast<uint8_t>(text[i])) * 1099511628211ULL;
  }
  return hash;
}

// Saves the document to the path; prints the file's size and digest.
bool SaveAndDigest(CPDFDoc& doc, const std::string& path, const char* label) {
  if (!doc.Save(path.c_str(), false, false) || !doc.Flush()) {
    std::fprintf(stderr, "save: %s\n", doc.GetError().GetMessage());
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("%s file: %zu bytes, digest (dates masked) %016llx\n", label, text.size(),
              static_cast<unsigned long long>(MaskedDigest(text)));
  return true;
}

// Where each new page goes, given the pages so far.
struct Placement {
  const char* name;
  int32_t (*where)(int32_t count);
};

// CPU seconds to make the pages one at a time where the placement says;
// -1 on failure.
double MakePages(CPDFDoc& doc, int32_t pages, const Placement& placement) {
  const double cpu = CpuSeconds();
  for (int32_t i = 0; i < pages; ++i) {
    if (!doc.CreatePage(placement.where(i), 1)) {
      std::fprintf(stderr, "CreatePage %d (%s): %s\n", i, placement.name,
                   doc.GetError().GetMessage());
      return -1;
    }
  }
  return CpuSeconds() - cpu;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t pages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string path = argc > 2 ? argv[2] : "/tmp/many_pages_bench.pdf";
  if (pages <= 0 || pages > 100000000) {
    std::fprintf(stderr, "usage: many_pages_bench [pages] [file]\n");
    return 2;
  }
  {
    CPDFDoc doc;
    if (!doc.Create(false, false, 1, 3)) return 1;

    auto wall = std::chrono::steady_clock::now();
    double cpu = CpuSeconds();
    for (int32_t i = 0; i < pages; ++i) {
      if (!doc.CreatePage(-1, 1)) {
        std::fprintf(stderr, "CreatePage %d: %s\n", i, doc.GetError().GetMessage());
        return 1;
      }
    }
    std::printf("made %d pages:      %7.3f s wall, %7.3f s CPU\n", pages, Seconds(wall),
                CpuSeconds() - cpu);

    wall = std::chrono::steady_clock::now();
    cpu = CpuSeconds();
    for (int32_t i = 0; i < pages; ++i) {
      if (!doc.GetPage(i)) {
        std::fprintf(stderr, "GetPage %d: %s\n", i, doc.GetError().GetMessage());
        return 1;
      }
    }
    std::printf("got each page once: %7.3f s wall, %7.3f s CPU\n", Seconds(wall),
                CpuSeconds() - cpu);

    wall = std::chrono::steady_clock::now();
    cpu = CpuSeconds();
    if (!doc.Save(path.c_str(), false, false) || !doc.Flush()) {
      std::fprintf(stderr, "save: %s\n", doc.GetError().GetMessage());
      return 1;
    }
    std::printf("saved:              %7.3f s wall, %7.3f s CPU\n", Seconds(wall),
                CpuSeconds() - cpu);

    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("file: %zu bytes, digest (dates masked) %016llx\n", text.size(),
                static_cast<unsigned long long>(MaskedDigest(text)));
  }

  // Pages made at the front, in the middle and at the end, at n and 2n.
  // Freed memory stays with the process: the system's cost of handing out
  // fresh pages would otherwise be paid again by the larger documents only.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  const Placement placements[] = {
      {"front", [](int32_t) { return 0; }},
      {"middle", [](int32_t count) { return count / 2; }},
      {"end", [](int32_t) { return -1; }},
  };
  bool withinBound = true;
  std::printf("\n%-7s %10s %10s %8s\n", "where", "pages", "made CPU s", "x prev");
  for (const Placement& placement : placements) {
    double previous = 0;
    for (int32_t size : {pages, 2 * pages}) {
      // The best of three documents, the first of them saved.
      double made = -1;
      for (int run = 0; run < 3; ++run) {
        CPDFDoc doc;
        if (!doc.Create(false, false, 1, 3)) return 1;
        const double t = MakePages(doc, size, placement);
        if (t < 0) return 1;
        made = made < 0 || t < made ? t : made;
        if (run == 0 && size == pages) {
          const std::string file = path + "." + placement.name + ".pdf";
          if (!SaveAndDigest(doc, file, placement.name)) return 1;
        }
      }
      const double ratio = previous > 0 ? made / previous : 0;
      // Below a few milliseconds the clock decides more than the work.
      if (previous > 0.005 && ratio > 2.2) withinBound = false;
      if (previous > 0) {
        std::printf("%-7s %10d %10.3f %8.2f\n", placement.name, size, made, ratio);
      } else {
        std::printf("%-7s %10d %10.3f %8s\n", placement.name, size, made, "-");
      }
      previous = made;
    }
  }
  std::printf("doubling %s at most 2.2x the time\n", withinBound ? "costs" : "costs MORE than");
  return withinBound ? 0 : 1;
}
