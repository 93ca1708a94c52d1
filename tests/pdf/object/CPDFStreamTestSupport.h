#pragma once
// Shared helpers of the stream, buffer and filter tests: a fresh temporary
// directory set as the environment's temporary directory, and random data.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "pdf/document/CPDFEnv.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pn-stream-test-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir_ = pattern;
    CPDFEnv::Global().Init(dir_.c_str(), nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    for (const std::string& name : Entries()) ::unlink((dir_ + "/" + name).c_str());
    ::rmdir(dir_.c_str());
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
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

  static long FileSize(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
  }

  std::string dir_;
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
  if (!o) return "<none>";
  CPDFStrOutStream out;
  out.Open();
  o->Write(out, context);
  const TempString& s = out.GetString();
  return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}
inline std::string Written(CPDFObject& o, const uint8_t* context = nullptr) {
  return Written(&o, context);
}
