// Replays inputs through a fuzz target without libFuzzer, so the normal test
// build (and CI) runs the seed corpus and every input that once crashed.
//
//   fuzz_replay_<name> [--seeds] [--write-seeds DIR] [--max-len BYTES]
//                      [--allow-missing] [--timeout SECONDS] PATH...
//
// --seeds          also runs the target's own seed list (FuzzSeeds)
// --write-seeds    writes the seed list as files into DIR (made if missing)
//                  before running the paths; alone, it runs nothing
// --max-len        the target's largest fuzzer input: a seed longer than
//                  this fails the run (the fuzzer would cut it)
// --allow-missing  a PATH that does not exist is passed over (a target with
//                  no kept crash inputs has no folder for them)
// --timeout        an input running longer than this many seconds (default
//                  60) counts as a hang and stops the process
// Every file under each PATH (folders recursively, in name order, hidden
// files skipped) is fed to LLVMFuzzerTestOneInput in a buffer of exactly its
// size, as libFuzzer does, so reads past the end show under AddressSanitizer.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

// The input now running, for the hang report (written from a signal handler,
// so kept in a fixed buffer that is only copied into, never reallocated).
char g_current[4096];

void OnAlarm(int) {
  const char prefix[] = "replay: input runs too long (hang): ";
  ssize_t ignored = write(STDERR_FILENO, prefix, sizeof prefix - 1);
  ignored = write(STDERR_FILENO, g_current, strnlen(g_current, sizeof g_current));
  ignored = write(STDERR_FILENO, "\n", 1);
  (void)ignored;
  abort();
}

unsigned g_timeout = 60;

void RunOne(const std::string& name, const uint8_t* bytes, size_t size) {
  std::fprintf(stderr, "Running: %s (%zu bytes)\n", name.c_str(), size);
  const size_t length = std::min(name.size(), sizeof g_current - 1);
  std::memcpy(g_current, name.data(), length);
  g_current[length] = '\0';
  // A copy of exactly the input's size, on the heap.
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
  if (size > 0) std::memcpy(copy.get(), bytes, size);
  alarm(g_timeout);
  LLVMFuzzerTestOneInput(copy.get(), size);
  alarm(0);
}

bool ReadFile(const fs::path& path, fuzz::Bytes& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool Hidden(const fs::path& path) {
  const std::string name = path.filename().string();
  return !name.empty() && name[0] == '.';
}

// The files under a path, in name order.
bool CollectFiles(const fs::path& path, std::vector<fs::path>& files) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) {
    files.push_back(path);
    return true;
  }
  if (!fs::is_directory(path, error)) return false;
  std::vector<fs::path> found;
  for (auto it = fs::recursive_directory_iterator(path, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (Hidden(it->path())) {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) found.push_back(it->path());
  }
  if (error) return false;
  std::sort(found.begin(), found.end());
  files.insert(files.end(), found.begin(), found.end());
  return true;
}

// Seed names as file names: letters, digits, '-', '_' and '.' stay.
std::string FileName(const std::string& name) {
  std::string out;
  for (char c : name) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    out += keep ? c : '_';
  }
  return out.empty() || out[0] == '.' ? "seed" + out : out;
}

bool WriteSeeds(const FuzzSeedList& seeds, const fs::path& dir) {
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "replay: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
    return false;
  }
  std::set<std::string> written;
  for (const auto& [name, bytes] : seeds.Items()) {
    const fs::path path = dir / FileName(name);
    if (!written.insert(path.filename().string()).second) {
      std::fprintf(stderr, "replay: two seeds named %s\n", path.filename().c_str());
      return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "replay: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

// False, naming them, when seeds are longer than the limit.
bool SeedsFit(const FuzzSeedList& seeds, size_t limit) {
  bool fit = true;
  for (const auto& [name, bytes] : seeds.Items()) {
    if (bytes.size() <= limit) continue;
    std::fprintf(stderr, "replay: seed %s has %zu bytes, more than the target's %zu\n",
                 name.c_str(), bytes.size(), limit);
    fit = false;
  }
  return fit;
}

int Usage() {
  std::fprintf(stderr,
               "usage: fuzz_replay_<name> [--seeds] [--write-seeds DIR] [--max-len BYTES]\n"
               "                          [--allow-missing] [--timeout SECONDS] PATH...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool runSeeds = false;
  bool allowMissing = false;
  std::string writeDir;
  size_t maxLen = 0;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seeds") {
      runSeeds = true;
    } else if (arg == "--allow-missing") {
      allowMissing = true;
    } else if (arg == "--write-seeds" && i + 1 < argc) {
      writeDir = argv[++i];
    } else if (arg == "--max-len" && i + 1 < argc) {
      const long value = std::atol(argv[++i]);
      if (value <= 0) return Usage();
      maxLen = static_cast<size_t>(value);
    } else if (arg == "--timeout" && i + 1 < argc) {
      const int value = std::atoi(argv[++i]);
      if (value <= 0) return Usage();
      g_timeout = static_cast<unsigned>(value);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage();
    } else {
      paths.push_back(arg);
    }
  }
  if (!runSeeds && writeDir.empty() && paths.empty()) return Usage();

  FuzzSeedList seeds;
  if (runSeeds || !writeDir.empty()) FuzzSeeds(seeds);
  if (maxLen > 0 && !SeedsFit(seeds, maxLen)) return 1;
  if (!writeDir.empty() && !WriteSeeds(seeds, writeDir)) return 1;

  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  signal(SIGALRM, OnAlarm);

  size_t count = 0;
  if (runSeeds) {
    for (const auto& [name, bytes] : seeds.Items()) {
      RunOne("seed:" + name, bytes.data(), bytes.size());
      ++count;
    }
  }
  for (const std::string& path : paths) {
    std::vector<fs::path> files;
    if (!CollectFiles(path, files)) {
      std::error_code error;
      if (allowMissing && !fs::exists(path, error)) continue;
      std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
      return 1;
    }
    for (const fs::path& file : files) {
      fuzz::Bytes bytes;
      if (!ReadFile(file, bytes)) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return 1;
      }
      RunOne(file.string(), bytes.data(), bytes.size());
      ++count;
    }
  }
  std::fprintf(stderr, "replay: %zu inputs ran without a failure\n", count);
  return 0;
}
