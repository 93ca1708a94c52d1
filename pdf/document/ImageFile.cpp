#include "pdf/document/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

int ImageFile::OpenRegular(const char* path, uint64_t* size) {
  if (path == nullptr) return -1;
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never
  // come; the type is known only once the file is open.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return -1;
  }
  // Reads of a regular file never wait anyway; the flag goes so that nothing
  // later mistakes it for a non-blocking stream.
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  if (size != nullptr) *size = static_cast<uint64_t>(info.st_size);
  return fd;
}

ImageFile::ImageFile(const char* path) {
  const int fd = OpenRegular(path, &size_);
  if (fd < 0) return;
  file_.reset(fdopen(fd, "rb"));
  if (!file_) ::close(fd);
}

bool ImageFile::StartsWith(const char* path, const char* const* signatures, size_t count) {
  ImageFile file(path);
  if (!file.IsOpen()) return false;
  char bytes[2];
  if (std::fread(bytes, 1, 2, file.Get()) != 2) return false;
  for (size_t i = 0; i < count; ++i) {
    if (std::memcmp(bytes, signatures[i], 2) == 0) return true;
  }
  return false;
}

bool ImageReadFail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
  return false;
}
