// Flate encode throughput of a stream object (on all cores) against zlib's
// own deflate of the same bytes at the same level on one core, and the
// library's pieced encoder held to one thread. Not a test: it reports numbers.
//
//   bench/flate_stream_bench [megabytes]   (default 300)
#include <zlib.h>

#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/BenchClock.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CodecFlate.h"

namespace {

using bench::CpuSeconds;
using bench::Seconds;

// Moderately compressible bytes: short repeats over a small alphabet.
std::vector<char> MakeData(size_t n) {
  std::vector<char> data(n);
  std::mt19937 rng(1);
  for (size_t i = 0; i < n;) {
    const size_t run = 1 + rng() % 8;
    const char c = static_cast<char>('a' + rng() % 16);
    for (size_t k = 0; k < run && i < n; ++k) data[i++] = c;
  }
  return data;
}

// zlib alone, 4096-byte output pieces appended to a growing vector.
size_t ZlibDeflate(const std::vector<char>& data) {
  z_stream z{};
  if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return 0;
  std::vector<unsigned char> out;
  unsigned char piece[4096];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  int rc = Z_OK;
  do {
    z.next_out = piece;
    z.avail_out = sizeof piece;
    rc = deflate(&z, Z_FINISH);
    out.insert(out.end(), piece, piece + (sizeof piece - z.avail_out));
  } while (rc == Z_OK || rc == Z_BUF_ERROR);
  deflateEnd(&z);
  return out.size();
}

}  // namespace

int main(int argc, char** argv) {
  const long mb = argc > 1 ? std::atol(argv[1]) : 300;
  if (mb <= 0 || mb > 1900) {
    std::fprintf(stderr, "size must be 1..1900 MB\n");
    return 2;
  }
  CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  const std::vector<char> data = MakeData(static_cast<size_t>(mb) << 20);

  auto t0 = std::chrono::steady_clock::now();
  double c0 = CpuSeconds();
  const size_t zsize = ZlibDeflate(data);
  const double zlibSeconds = Seconds(t0);
  const double zlibCpu = CpuSeconds() - c0;

  t0 = std::chrono::steady_clock::now();
  VectorSink oneThread;
  if (!FlateEncodePieces(reinterpret_cast<const uint8_t*>(data.data()), data.size(), oneThread, 1)
           .ok) {
    std::fprintf(stderr, "FlateEncodePieces failed\n");
    return 1;
  }
  const double oneThreadSeconds = Seconds(t0);

  CPDFStream stream;
  if (!stream.SetData(data.data(), static_cast<int32_t>(data.size()))) {
    std::fprintf(stderr, "could not store the data\n");
    return 1;
  }
  t0 = std::chrono::steady_clock::now();
  c0 = CpuSeconds();
  if (!stream.FlateEncode()) {
    std::fprintf(stderr, "FlateEncode failed\n");
    return 1;
  }
  const double streamSeconds = Seconds(t0);
  const double streamCpu = CpuSeconds() - c0;

  const double mbs = static_cast<double>(mb);
  std::printf("input           %ld MB\n", mb);
  std::printf("zlib deflate    %.2f s  %.1f MB/s  -> %zu bytes\n", zlibSeconds, mbs / zlibSeconds,
              zsize);
  std::printf("stream encode   %.2f s  %.1f MB/s  -> %d bytes\n", streamSeconds,
              mbs / streamSeconds, stream.GetLength());
  std::printf("pieces, 1 thread %.2f s  %.1f MB/s  -> %zu bytes\n", oneThreadSeconds,
              mbs / oneThreadSeconds, oneThread.bytes.size());
  std::printf("size            %+.2f %% against zlib in one call\n",
              (static_cast<double>(stream.GetLength()) / static_cast<double>(zsize) - 1.0) * 100.0);
  std::printf("speed-up        %.2f x zlib's wall time\n", zlibSeconds / streamSeconds);
  std::printf("CPU time        %+.1f %% over zlib, all threads counted (%.2f s against %.2f s)\n",
              (streamCpu / zlibCpu - 1.0) * 100.0, streamCpu, zlibCpu);
  return 0;
}
