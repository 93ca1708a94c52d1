// How the object parser's time grows with the size of one array or
// dictionary: [0 0 ... 0], an array of references [1 0 R 2 0 R ...] and a
// dictionary with ascending keys << /Im1 1 /Im2 2 ... >> (the natural order
// of a large resource dictionary), each at n, 2n and 4n entries. Parsing and
// freeing are timed apart; doubling the size should cost about twice the
// time, never much more. Not a test: it reports numbers.
//
//   bench/parse_scaling_bench [n]   (default 100000)
#include <malloc.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObject.h"

namespace {

using bench::CpuSeconds;
using bench::Seconds;

std::string Zeros(long n) {
  std::string text = "[";
  for (long i = 0; i < n; ++i) text += i ? " 0" : "0";
  return text + "]\n";
}

std::string References(long n) {
  std::string text = "[";
  for (long i = 1; i <= n; ++i) text += std::to_string(i) + " 0 R ";
  return text + "]\n";
}

std::string AscendingKeys(long n) {
  std::string text = "<<";
  for (long i = 1; i <= n; ++i) text += " /Im" + std::to_string(i) + " " + std::to_string(i);
  return text + " >>\n";
}

struct Timing {
  double parse = 0;
  double free = 0;
};

// The best of a few runs, so that a busy machine disturbs the figures less.
// The first run of a size also pays for the pages the process gets from the
// system; later ones reuse them (see main), so the best run times the
// parser.
bool Measure(const std::string& text, int runs, Timing* best) {
  for (int run = 0; run < runs; ++run) {
    CPDFMemInStream in;
    if (!in.Open(text.data(), static_cast<int32_t>(text.size()), 0)) return false;
    const double c0 = CpuSeconds();
    std::unique_ptr<CPDFObject> object;
    try {
      object.reset(CPDFObject::SerializeObject(nullptr, in, nullptr));
    } catch (CPDFException* e) {
      std::fprintf(stderr, "parse failed: %s\n", e->GetMessage());
      delete e;
      return false;
    }
    if (!object) return false;
    const double c1 = CpuSeconds();
    object.reset();
    const double c2 = CpuSeconds();
    if (run == 0 || c1 - c0 < best->parse) best->parse = c1 - c0;
    if (run == 0 || c2 - c1 < best->free) best->free = c2 - c1;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 100000;
  if (n <= 0 || n > 20000000) {
    std::fprintf(stderr, "n must be 1..20000000\n");
    return 2;
  }
  // Freed memory stays with the process: the system's cost of handing out
  // fresh pages would otherwise be paid again by every run of the larger
  // sizes only, and drown the parser's figures.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest the allocator takes
  struct Case {
    const char* name;
    std::string (*make)(long);
  };
  const Case cases[] = {{"array of zeros", Zeros},
                        {"array of references", References},
                        {"dictionary, ascending keys", AscendingKeys}};
  bool withinBound = true;
  std::printf("%-28s %9s %10s %10s %8s\n", "case", "entries", "parse s", "free s", "x prev");
  for (const Case& c : cases) {
    double previous = 0;
    for (long size : {n, 2 * n, 4 * n}) {
      const std::string text = c.make(size);
      Timing t;
      if (!Measure(text, 5, &t)) {
        std::fprintf(stderr, "%s: %ld entries failed\n", c.name, size);
        return 1;
      }
      const double total = t.parse + t.free;
      const double ratio = previous > 0 ? total / previous : 0;
      // Below a few milliseconds the clock decides more than the work.
      if (previous > 0.005 && ratio > 2.2) withinBound = false;
      if (previous > 0) {
        std::printf("%-28s %9ld %10.3f %10.3f %8.2f\n", c.name, size, t.parse, t.free, ratio);
      } else {
        std::printf("%-28s %9ld %10.3f %10.3f %8s\n", c.name, size, t.parse, t.free, "-");
      }
      previous = total;
    }
  }
  std::printf("doubling %s at most 2.2x the time\n", withinBound ? "costs" : "costs MORE than");
  return withinBound ? 0 : 1;
}
