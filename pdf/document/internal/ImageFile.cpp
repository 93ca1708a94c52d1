#include "pdf/document/internal/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SystemError.h"

namespace {

thread_local ImageFile::OneState* g_state = nullptr;

std::function<void(const char*)>& OpenedHook() {
  static std::function<void(const char*)> hook;
  return hook;
}

}  // namespace

bool ImageFile::OneState::Admits(const char* path, const struct stat& info) {
  OneState* scope = g_state;
  if (scope == nullptr || scope->path_ != path) return true;
  const FileStamp stamp = FileStamp::Of(info);
  if (!scope->state_->IsSet()) {
    *scope->state_ = stamp;
    return true;
  }
  if (stamp == *scope->state_) return true;
  scope->changed_ = true;
  return false;
}

ImageFile::OneState::OneState(const char* path, FileStamp* state)
    : path_(path ? path : ""), state_(state), outer_(g_state) {
  g_state = this;
}

ImageFile::OneState::~OneState() { g_state = outer_; }

bool ImageFile::OneState::Changed() const {
  if (changed_) return true;
  struct stat info;
  if (state_->IsSet() && ::stat(path_.c_str(), &info) == 0 && FileStamp::Of(info) != *state_)
    changed_ = true;
  return changed_;
}

void ImageFile::SetOpenedHookForTesting(std::function<void(const char* path)> hook) {
  OpenedHook() = std::move(hook);
}

namespace {

// Opens without ever waiting (see OpenRegular); -1 unless a regular file,
// with the reason in failure.
int OpenRegularNonBlocking(const char* path, uint64_t* size, int& failure) {
  failure = ENOENT;
  if (path == nullptr) return -1;
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never
  // come; the type is known only once the file is open.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    failure = errno;
    return -1;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    failure = errno;
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(info.st_mode) || info.st_size < 0) {
    failure = ImageFile::kNotRegular;
    ::close(fd);
    return -1;
  }
  if (!ImageFile::OneState::Admits(path, info)) {
    failure = ImageFile::kChanged;
    ::close(fd);
    return -1;
  }
  if (OpenedHook()) OpenedHook()(path);
  failure = 0;
  if (size != nullptr) *size = static_cast<uint64_t>(info.st_size);
  return fd;
}

}  // namespace

int ImageFile::OpenRegular(const char* path, uint64_t* size, int* failure) {
  int code = 0;
  const int fd = OpenRegularNonBlocking(path, size, code);
  if (failure != nullptr) *failure = code;
  if (fd < 0) return -1;
  // Reads of a regular file never wait anyway; the flag goes so that nothing
  // later mistakes it for a non-blocking stream.
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    if (failure != nullptr) *failure = errno;
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string ImageFile::OpenFailure(int failure) {
  if (failure == kNotRegular) return "not a regular file";
  if (failure == kChanged) return "the file changed or was cut short after it was read";
  return "cannot open the file: " + platform::SystemErrorText(failure);
}

ImageError ImageFile::OpenError(int failure) {
  return {ImageError::Kind::kSystem, OpenFailure(failure)};
}

ImageFile::ImageFile(const char* path) {
  const int fd = OpenRegular(path, &size_, &failure_);
  if (fd < 0) return;
  file_.reset(fdopen(fd, "rb"));
  if (!file_) {
    failure_ = errno;
    ::close(fd);
  }
}

ImageHead ImageFile::ReadHead(const char* path) {
  // The probe reads two bytes where they lie: no stream, no buffer, and the
  // descriptor is never handed on, so its flag may stay.
  ImageHead head;
  const int fd = OpenRegularNonBlocking(path, nullptr, head.openFailure);
  if (fd < 0) return head;
  ssize_t n = -1;
  do {
    n = ::pread(fd, head.bytes, 2, 0);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  head.read = n == 2;
  return head;
}

bool ImageFile::StartsWith(const ImageHead& head, const char* const* signatures, size_t count) {
  if (!head.read) return false;
  for (size_t i = 0; i < count; ++i) {
    if (std::memcmp(head.bytes, signatures[i], 2) == 0) return true;
  }
  return false;
}

bool ImageFile::StartsWith(const char* path, const char* const* signatures, size_t count) {
  return StartsWith(ReadHead(path), signatures, count);
}

bool ImageReadFail(ImageError* error, ImageError why) {
  if (error != nullptr) *error = std::move(why);
  return false;
}

bool ImageRefuse(ImageError* error, std::string why) {
  return ImageReadFail(error, {ImageError::Kind::kRefused, std::move(why)});
}

ImageError NoSuchImage(uint32_t index, uint32_t count) {
  const std::string which =
      count == 1 ? " image (index 0)" : " images (indices 0 to " + std::to_string(count - 1) + ")";
  return {ImageError::Kind::kNoSuchImage, "the file holds " + std::to_string(count) + which +
                                              ", none at index " + std::to_string(index)};
}
