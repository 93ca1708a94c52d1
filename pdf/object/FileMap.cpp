#include "pdf/object/FileMap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "platform/SystemError.h"
#include "platform/TempFile.h"

namespace {

bool Refuse(int code) {
  errno = code;
  platform::SetLastSystemError(code);
  return false;
}

// A folder as a reason names it: without a trailing '/'.
std::string FolderName(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// The folder an open file lies in, as the system names it ("/tmp/#123
// (deleted)" for a file without a name); the fallback when it cannot say.
std::string FolderOfDescriptor(int fd, const std::string& fallback) {
  char link[PATH_MAX];
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(self.c_str(), link, sizeof link - 1);
  if (n <= 0 || link[0] != '/') return fallback;
  return platform::FolderOf(std::string(link, static_cast<size_t>(n)));
}

}  // namespace

FileMap::~FileMap() { Close(true); }

FileMap::FileMap(FileMap&& other) noexcept
    : path_(std::move(other.path_)),
      folder_(std::move(other.folder_)),
      fd_(std::exchange(other.fd_, -1)),
      view_(std::exchange(other.view_, nullptr)),
      size_(std::exchange(other.size_, 0)) {
  other.path_.clear();
}

FileMap& FileMap::operator=(FileMap&& other) noexcept {
  if (this != &other) {
    Close(true);
    path_ = std::move(other.path_);
    other.path_.clear();
    folder_ = std::move(other.folder_);
    fd_ = std::exchange(other.fd_, -1);
    view_ = std::exchange(other.view_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool FileMap::Create(const std::string& directory, const std::string& prefix, size_t size,
                     bool zero) {
  Close(true);
  // Without a folder of its own the file goes to the system's temporary
  // folder, or to /tmp when that cannot take it: a failure names the first.
  folder_ = FolderName(directory.empty() ? platform::SystemTempFolder() : directory);
  if (size == 0) return Refuse(EINVAL);
  // The work file has no name from the start, so nothing is left behind
  // however the process ends; its blocks are reserved as it is made.
  const int fd = platform::CreateWorkFile(directory, prefix, size);
  if (fd < 0) return false;
  fd_ = fd;
  if (directory.empty()) folder_ = FolderOfDescriptor(fd, folder_);
  return MapFile(size, zero, true);
}

bool FileMap::Open(const std::string& path, size_t size, bool zero) {
  Close(true);
  folder_ = platform::FolderOf(path);
  if (path.empty()) return Refuse(ENOENT);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    platform::RecordSystemError();
    return false;
  }
  fd_ = fd;
  path_ = path;
  return MapFile(size, zero, false);
}

// Reserves size bytes of the open file (unless that was done) and maps
// them; the file is new or truncated, so it then holds exactly size bytes.
bool FileMap::MapFile(size_t size, bool zero, bool reserved) {
  if (size == 0) {
    errno = EINVAL;
    return Fail();
  }
  if (size > static_cast<size_t>(std::numeric_limits<off_t>::max())) {
    errno = EFBIG;
    return Fail();
  }
  if (!reserved) {
    if (const int code = posix_fallocate(fd_, 0, static_cast<off_t>(size)); code != 0) {
      errno = code;
      return Fail();
    }
  }
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (view == MAP_FAILED) return Fail();
  view_ = static_cast<char*>(view);
  size_ = size;
  if (zero) std::memset(view_, 0, size_);
  return true;
}

bool FileMap::Resize(size_t size, bool zero) {
  if (view_ == nullptr || fd_ < 0) {
    errno = EBADF;
    return Fail();
  }
  if (size == 0) {
    errno = EINVAL;
    return Fail();
  }
  if (size > static_cast<size_t>(std::numeric_limits<off_t>::max())) {
    errno = EFBIG;
    return Fail();
  }
  // Growing reserves the new blocks first; a smaller size leaves the file as
  // it is (posix_fallocate never shrinks it).
  if (size > size_) {
    if (const int code = posix_fallocate(fd_, 0, static_cast<off_t>(size)); code != 0) {
      errno = code;
      return Fail();
    }
  }
  // The new view maps the same file, so the content is kept without copying.
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (view == MAP_FAILED) return Fail();
  ::munmap(view_, size_);
  const size_t oldSize = size_;
  view_ = static_cast<char*>(view);
  size_ = size;
  if (zero && size > oldSize) std::memset(view_ + oldSize, 0, size - oldSize);
  return true;
}

void FileMap::ReleasePages(size_t offset, size_t length) {
  if (view_ == nullptr || offset >= size_) return;
  length = std::min(length, size_ - offset);
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t first = (offset + page - 1) / page * page;
  const size_t end = (offset + length) / page * page;
  // A shared mapping of a file keeps its bytes in the file: the pages are
  // only dropped from the process, written bytes included.
  if (end > first) ::madvise(view_ + first, end - first, MADV_DONTNEED);
}

bool FileMap::Write(size_t offset, const char* bytes, size_t size, bool terminate) {
  static const char kNul = '\0';
  const size_t total = size + (terminate ? 1 : 0);
  if (fd_ < 0 || view_ == nullptr) return Refuse(EBADF);
  if (offset > size_ || total > size_ - offset) return Refuse(EINVAL);
  size_t done = 0;
  while (done < total) {
    iovec parts[2];
    int count = 0;
    if (done < size) parts[count++] = {const_cast<char*>(bytes) + done, size - done};
    if (terminate) parts[count++] = {const_cast<char*>(&kNul), 1};
    const ssize_t n = ::pwritev(fd_, parts, count, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      platform::RecordSystemError();
      return false;
    }
    if (n == 0) return Refuse(EIO);
    done += static_cast<size_t>(n);
  }
  return true;
}

bool FileMap::Read(size_t offset, char* into, size_t size) const {
  if (fd_ < 0 || view_ == nullptr) return Refuse(EBADF);
  if (offset > size_ || size > size_ - offset) return Refuse(EINVAL);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, into + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      platform::RecordSystemError();
      return false;
    }
    if (n == 0) return Refuse(EIO);  // the file is shorter than its map
    done += static_cast<size_t>(n);
  }
  return true;
}

bool FileMap::Close(bool deleteFile) {
  if (view_ != nullptr) ::munmap(view_, size_);
  view_ = nullptr;
  size_ = 0;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) {
    if (deleteFile) ::unlink(path_.c_str());
    path_.clear();
  }
  return true;
}

// Closes the half-made map and removes its file, keeping the errno of the
// step that failed as the last system error.
bool FileMap::Fail() {
  const int code = errno;
  Close(true);
  return Refuse(code);
}
