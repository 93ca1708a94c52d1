// Many pages: a document whose pages are made one at a time at the end
// (CreatePage(-1, 1)) and then each got once by index (GetPage), as a
// caller filling a long document would; then saved. Reports the times and
// a digest of the written file with its dates masked, so that two builds
// can be shown to write the same bytes. Not a test: it reports numbers.
//
//   bench/many_pages_bench [pages] [file]   (default 100000, a file in /tmp)
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

}  // namespace

int main(int argc, char** argv) {
  const int32_t pages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string path = argc > 2 ? argv[2] : "/tmp/many_pages_bench.pdf";
  if (pages <= 0) {
    std::fprintf(stderr, "usage: many_pages_bench [pages] [file]\n");
    return 2;
  }
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
  std::printf("got each page once: %7.3f s wall, %7.3f s CPU\n", Seconds(wall), CpuSeconds() - cpu);

  wall = std::chrono::steady_clock::now();
  cpu = CpuSeconds();
  if (!doc.Save(path.c_str(), false, false) || !doc.Flush()) {
    std::fprintf(stderr, "save: %s\n", doc.GetError().GetMessage());
    return 1;
  }
  std::printf("saved:              %7.3f s wall, %7.3f s CPU\n", Seconds(wall), CpuSeconds() - cpu);

  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("file: %zu bytes, digest (dates masked) %016llx\n", text.size(),
              static_cast<unsigned long long>(MaskedDigest(text)));
  return 0;
}
