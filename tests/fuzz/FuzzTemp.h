#pragma once
// A private work folder for targets that read or write files: made once per
// process under /dev/shm when it exists (no disk traffic, cheap fsync), else
// under $TMPDIR or /tmp, and removed with everything in it at exit.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/fuzz/FuzzSupport.h"

namespace fuzz {

class WorkFolder {
 public:
  static WorkFolder& Get() {
    static WorkFolder folder;
    return folder;
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // Writes the bytes as the whole file; aborts when it cannot.
  static void Write(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    FUZZ_CHECK(fd >= 0);
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd, data + done, size - done);
      FUZZ_CHECK(n > 0);
      done += static_cast<size_t>(n);
    }
    ::close(fd);
  }
  static Bytes Read(const std::string& path) {
    Bytes bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return bytes;
    uint8_t block[65536];
    ssize_t n;
    while ((n = ::read(fd, block, sizeof block)) > 0) bytes.insert(bytes.end(), block, block + n);
    ::close(fd);
    return bytes;
  }
  // Removes every file in the folder (none of the targets make subfolders).
  void Clear() const {
    if (DIR* dir = ::opendir(path_.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        ::unlink(File(entry->d_name).c_str());
      }
      ::closedir(dir);
    }
  }
  // The number of entries in the folder.
  int Count() const {
    int count = 0;
    if (DIR* dir = ::opendir(path_.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) ++count;
      }
      ::closedir(dir);
    }
    return count;
  }

 private:
  WorkFolder() {
    struct stat info {};
    std::string base = "/tmp";
    if (::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) &&
        ::access("/dev/shm", W_OK) == 0) {
      base = "/dev/shm";
    } else if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) {
      base = tmp;
    }
    std::string pattern = base + "/pn-fuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    path_ = pattern;
  }
  ~WorkFolder() {
    Clear();
    ::rmdir(path_.c_str());
  }
  std::string path_;
};

}  // namespace fuzz
