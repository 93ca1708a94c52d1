#include "pdf/document/internal/ImageFile.h"

#include <sys/stat.h>

#include <cstring>

ImageFile::ImageFile(const char* path) {
  if (path == nullptr) return;
  file_.reset(std::fopen(path, "rb"));
  if (!file_) return;
  struct stat info;
  if (fstat(fileno(file_.get()), &info) != 0 || info.st_size < 0) {
    file_.reset();
    return;
  }
  size_ = static_cast<uint64_t>(info.st_size);
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
