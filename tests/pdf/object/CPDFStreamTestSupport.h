#pragma once
// Shared helpers of the stream, buffer and filter tests: a fresh temporary
// directory set as the environment's temporary directory, and random data.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"
#include "tests/pdf/object/WrittenText.h"

// A fresh directory per test, removed with whatever is left in it.
class TempDirFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pn-object-test-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir_ = pattern;
  }
  void TearDown() override {
    for (const std::string& name : Entries()) ::unlink((dir_ + "/" + name).c_str());
    ::rmdir(dir_.c_str());
  }

  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir_.c_str())) {
      while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
          names.push_back(e->d_name);
        }
      }
      ::closedir(d);
    }
    return names;
  }

  // The files of the folder that this process holds open, named by their
  // /proc/self/fd entries (work files have no name in the folder itself).
  std::vector<std::string> OpenFiles() const {
    std::vector<std::string> found;
    if (DIR* d = ::opendir("/proc/self/fd")) {
      while (dirent* e = ::readdir(d)) {
        const std::string entry = std::string("/proc/self/fd/") + e->d_name;
        char target[4096];
        const ssize_t n = ::readlink(entry.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (std::string(target).rfind(dir_ + "/", 0) == 0) found.push_back(entry);
      }
      ::closedir(d);
    }
    return found;
  }

  // The size of the one file of the folder that is held open; -1 unless
  // there is exactly one.
  long OpenFileSize() const {
    const std::vector<std::string> files = OpenFiles();
    return files.size() == 1 ? FileSize(files[0]) : -1;
  }

  static long FileSize(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
  }

  std::string dir_;
};

// The same, with the directory as the environment's temporary folder.
class TempDirTest : public TempDirFixture {
 protected:
  void SetUp() override {
    TempDirFixture::SetUp();
    if (HasFatalFailure()) return;
    CPDFEnv::Global().Init(dir_.c_str(), nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    TempDirFixture::TearDown();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  }
};

// A file size limit standing in for a full disk (SIGXFSZ ignored) until
// Lift or the end of the object's life.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    got_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_;
    small.rlim_cur = bytes;
    set_ = got_ && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() { Lift(); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool IsSet() const { return set_; }
  void Lift() {
    if (lifted_) return;
    lifted_ = true;
    if (got_) ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
  bool got_ = false;
  bool set_ = false;
  bool lifted_ = false;
};

inline std::string RandomBytes(size_t n, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() % static_cast<uint32_t>(alphabet));
  return s;
}

// The data a reader of the stream gets; "<none>" when they cannot be loaded.
inline std::string Data(CPDFStream& s) {
  const char* p = s.GetData();
  return p ? std::string(p, static_cast<size_t>(s.GetDataLength())) : "<none>";
}

// The object as written (with the encryption context when given).
inline std::string Written(CPDFObject* o, const uint8_t* context = nullptr) {
  return o ? WrittenText(*o, context) : "<none>";
}
inline std::string Written(CPDFObject& o, const uint8_t* context = nullptr) {
  return Written(&o, context);
}
