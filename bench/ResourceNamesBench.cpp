// Resource names at scale: n, 2n and 4n image XObjects named with
// MakeUniqueName and listed with AddResource in one page's resource
// dictionary, as a caller putting many images on one page would. Doubling
// the count should cost about twice the time. Not a test: it reports
// numbers.
//
//   bench/resource_names_bench [n]   (default 10000)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/BenchClock.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFResDict.h"

namespace {

// CPU seconds to name and list count images; -1 on failure.
double NameImages(long count) {
  CPDFDoc doc;
  if (!doc.Create(false, false, 1, 3) || !doc.CreatePage(-1, 1)) return -1;
  CPDFPage* page = doc.GetPage(0);
  auto* resources = page ? dynamic_cast<CPDFResDict*>(page->Get_Resources()) : nullptr;
  if (!resources) return -1;
  const double start = bench::CpuSeconds();
  for (long i = 0; i < count; ++i) {
    auto image = std::make_unique<CPDFImageXObj>();
    CPDFName name;
    if (!resources->MakeUniqueName(name, image.get()) ||
        !resources->AddResource(name, image.get())) {
      std::fprintf(stderr, "image %ld: no name or not listed\n", i + 1);
      return -1;
    }
    image.release();
  }
  return bench::CpuSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 10000;
  if (n <= 0 || n > 10000000) {
    std::fprintf(stderr, "n must be 1..10000000\n");
    return 2;
  }
  bool withinBound = true;
  double previous = 0;
  std::printf("%9s %10s %8s\n", "images", "CPU s", "x prev");
  for (long size : {n, 2 * n, 4 * n}) {
    // The best of three runs.
    double best = -1;
    for (int run = 0; run < 3; ++run) {
      const double t = NameImages(size);
      if (t < 0) return 1;
      best = best < 0 ? t : std::min(best, t);
    }
    const double ratio = previous > 0 ? best / previous : 0;
    if (previous > 0.005 && ratio > 2.2) withinBound = false;
    if (previous > 0) {
      std::printf("%9ld %10.3f %8.2f\n", size, best, ratio);
    } else {
      std::printf("%9ld %10.3f %8s\n", size, best, "-");
    }
    previous = best;
  }
  std::printf("doubling %s at most 2.2x the time\n", withinBound ? "costs" : "costs MORE than");
  return withinBound ? 0 : 1;
}
