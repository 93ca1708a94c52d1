#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <vector>

#include "platform/SystemError.h"

namespace platform {

namespace {

std::atomic<bool> g_unnamedRefused{false};

// The cleanup of a named file: removes it. Async-signal-safe.
void RemoveNamedFile(void* path) noexcept { ::unlink(static_cast<const char*>(path)); }

// Registers the removal of path on a fatal signal; none when out of memory.
FatalSignalCleanup::Slot* AddDoomedName(const std::string& path) {
  char* copy = ::strdup(path.c_str());
  if (copy == nullptr) return nullptr;
  FatalSignalCleanup::Slot* slot =
      FatalSignalCleanup::Add(&RemoveNamedFile, FatalSignalCleanup::kContents, copy);
  if (slot == nullptr) std::free(copy);
  return slot;
}

// Takes path's removal back (after the file is gone or renamed).
void DropDoomedName(FatalSignalCleanup::Slot*& slot) {
  if (slot == nullptr) return;
  void* path = FatalSignalCleanup::Remove(slot);
  if (FatalSignalCleanup::MayFree()) std::free(path);
  slot = nullptr;
}

// open(folder, O_TMPFILE ...), or EOPNOTSUPP when tests refuse it.
int OpenUnnamed(const std::string& folder, int mode) {
  if (g_unnamedRefused.load(std::memory_order_relaxed)) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

constexpr char kFallbackFolder[] = "/tmp";
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;

enum Setting { kFolder, kPrefix, kSettings };

// Built on first use, so they exist before any reader and outlive the
// users at exit.
std::string& SettingText(Setting which) {
  static std::string values[kSettings] = {std::string(), std::string("pn")};
  return values[which];
}

bool Fail(int code) {
  errno = code;
  SetLastSystemError(code);
  return false;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// O_TMPFILE is missing from this file system (or the kernel), as opposed to
// the folder refusing the file.
bool UnnamedUnsupported(int code) { return code == EOPNOTSUPP || code == EISDIR || code == EINVAL; }

// A file without a name in folder; -1 with errno.
int CreateUnnamed(const std::string& folder, const std::string& prefix) {
  int fd = OpenUnnamed(folder, 0600);
  if (fd >= 0 || !UnnamedUnsupported(errno)) return fd;
  std::string pattern = Join(folder, prefix + "XXXXXX.tmp");
  const FatalSignalCleanup::Blocked blocked;  // the name lives a moment only
  fd = mkostemps(pattern.data(), 4, O_CLOEXEC);
  if (fd >= 0) ::unlink(pattern.c_str());
  return fd;
}

// A work file in one folder with its blocks reserved; -1 with errno.
int CreateIn(const std::string& folder, const std::string& prefix, uint64_t reserve) {
  const int fd = CreateUnnamed(folder, prefix);
  if (fd < 0 || reserve == 0) return fd;
  const int code = reserve > static_cast<uint64_t>(std::numeric_limits<off_t>::max())
                       ? EFBIG
                       : posix_fallocate(fd, 0, static_cast<off_t>(reserve));
  if (code == 0) return fd;
  ::close(fd);
  errno = code;
  return -1;
}

bool ReadLink(const std::string& path, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(n));
      return true;
    }
    if (buffer.size() >= (size_t{1} << 20)) {
      errno = ENAMETOOLONG;
      return false;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Six characters for a file name that is unlikely to exist already.
std::string UniqueLetters() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static uint64_t counter = 0;
  uint64_t bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    bits = (static_cast<uint64_t>(::getpid()) << 32) ^ static_cast<uint64_t>(std::time(nullptr));
  }
  bits ^= ++counter * 0x9E3779B97F4A7C15ull;
  std::string letters;
  for (int i = 0; i < 6; ++i) {
    letters += kLetters[bits % 62];
    bits /= 62;
  }
  return letters;
}

}  // namespace

void SetUnnamedFilesRefusedForTesting(bool refused) { g_unnamedRefused.store(refused); }

void SetWorkFolder(const std::string& folder) { SettingText(kFolder) = folder; }
const std::string& WorkFolder() { return SettingText(kFolder); }
void SetWorkFilePrefix(const std::string& prefix) { SettingText(kPrefix) = prefix; }
const std::string& WorkFilePrefix() { return SettingText(kPrefix); }

std::string SystemTempFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? std::string(folder) : std::string(kFallbackFolder);
}

int CreateWorkFile(const std::string& folder, const std::string& prefix, uint64_t reserve) {
  if (prefix.find('/') != std::string::npos) {
    Fail(EINVAL);
    return -1;
  }
  const bool chosen = !folder.empty();
  const std::string first = chosen ? folder : SystemTempFolder();
  int fd = CreateIn(first, prefix, reserve);
  if (fd >= 0) return fd;
  const int code = errno;
  // An unusable $TMPDIR (missing, read-only, full) is not the end: the
  // system's own folder may still take the file. A folder the caller chose
  // is used alone.
  if (!chosen && first != kFallbackFolder && first != std::string(kFallbackFolder) + "/") {
    fd = CreateIn(kFallbackFolder, prefix, reserve);
    if (fd >= 0) return fd;
  }
  Fail(code);
  return -1;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool ResolveLinks(const std::string& path, std::string& resolved) {
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) return Fail(errno);
      resolved = current;  // not there yet: this is where it will be
      return true;
    }
    if (!S_ISLNK(info.st_mode)) {
      resolved = current;
      return true;
    }
    std::string target;
    if (!ReadLink(current, target)) return Fail(errno);
    if (target.empty()) return Fail(ENOENT);
    current = target[0] == '/' ? target : Join(FolderOf(current), target);
  }
  return Fail(ELOOP);
}

mode_t NewFileMode() {
  // The umask is read from /proc: umask() itself would have to change it.
  mode_t mask = 022;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
      break;
    }
  }
  return 0666 & ~mask;
}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Create(const std::string& target, const std::string& prefix,
                             const std::string& suffix, mode_t mode) {
  return Open(target, prefix, suffix, static_cast<int>(mode & 07777));
}

bool ReplacementFile::Create(const std::string& target, const std::string& prefix,
                             const std::string& suffix) {
  return Open(target, prefix, suffix, -1);
}

bool ReplacementFile::Open(const std::string& target, const std::string& prefix,
                           const std::string& suffix, int mode) {
  Discard();
  if (target.empty() || prefix.find('/') != std::string::npos ||
      suffix.find('/') != std::string::npos) {
    return Fail(EINVAL);
  }
  std::string resolved;
  if (!ResolveLinks(target, resolved)) return false;
  const std::string folder = FolderOf(resolved);
  // An unnamed file is made with the permissions it is to have, the kernel
  // applying the umask (or the folder's default ACL) as for any new file:
  // nobody can open it by a name before it has one.
  const bool newFile = mode < 0;
  int fd = OpenUnnamed(folder, newFile ? 0666 : 0600);
  bool modeSet = newFile;
  if (fd >= 0) {
    // The file is reopened and linked through its /proc entry; without
    // /proc it would have no way out, so it is made with a name instead.
    // Once /proc has answered, it is taken to stay.
    static std::atomic<bool> procAnswers{false};
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (procAnswers.load(std::memory_order_relaxed) || ::access(self.c_str(), F_OK) == 0) {
      procAnswers.store(true, std::memory_order_relaxed);
      unnamed_ = true;
      openPath_ = self;
    } else {
      ::close(fd);
      fd = -1;
    }
  } else if (!UnnamedUnsupported(errno)) {
    return Fail(errno);
  }
  if (fd < 0) {
    // The named file goes on the list of names a fatal signal removes
    // before a signal can reach this thread.
    const FatalSignalCleanup::Blocked blocked;
    std::string pattern = Join(folder, prefix + "XXXXXX" + suffix);
    fd = mkostemps(pattern.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    doomed_ = AddDoomedName(pattern);
    if (doomed_ == nullptr) {
      ::unlink(pattern.c_str());
      ::close(fd);
      return Fail(ENOMEM);
    }
    openPath_ = pattern;
    modeSet = false;
  }
  fd_ = fd;
  target_ = resolved;
  prefix_ = prefix;
  suffix_ = suffix;
  if (!modeSet && ::fchmod(fd_, newFile ? NewFileMode() : static_cast<mode_t>(mode)) != 0) {
    const int code = errno;
    Discard();
    return Fail(code);
  }
  return true;
}

bool ReplacementFile::LinkUnderTemporaryName(std::string& name, FatalSignalCleanup::Slot*& doomed) {
  const std::string folder = FolderOf(target_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = Join(folder, prefix_ + UniqueLetters() + suffix_);
    const FatalSignalCleanup::Blocked blocked;
    if (::linkat(AT_FDCWD, openPath_.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      doomed = AddDoomedName(name);
      if (doomed != nullptr) return true;
      ::unlink(name.c_str());
      return Fail(ENOMEM);
    }
    if (errno != EEXIST) return Fail(errno);
  }
  return Fail(EEXIST);
}

bool ReplacementFile::Commit() {
  if (fd_ < 0) return Fail(EBADF);
  // A target that does not exist yet gets the file's name at once, and
  // only if it still does not exist: nothing is replaced, so nothing can be
  // lost, and the data reach the device in the system's own time, as any
  // newly written file's do.
  if (unnamed_) {
    if (::linkat(AT_FDCWD, openPath_.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return Finish();
    if (errno != EEXIST) return Fail(errno);
  } else {
    if (::renameat2(AT_FDCWD, openPath_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0)
      return Finish();
    // EEXIST, or a file system that cannot rename without replacing.
    if (errno != EEXIST && errno != EINVAL && errno != ENOSYS) return Fail(errno);
  }
  // Replacing a file: the bytes (and the size that reads them back) reach
  // the device before the name does, so that after a crash the target holds
  // either its old content or the complete new one, never a file cut short.
  // The folder is not forced afterwards: that would only make the new name
  // itself durable, and without it a crash loses nothing that was on disk.
  if (::fdatasync(fd_) != 0) return Fail(errno);
  std::string name = openPath_;
  // The unnamed file's temporary name, removed on a fatal signal as well.
  FatalSignalCleanup::Slot* linked = nullptr;
  if (unnamed_ && !LinkUnderTemporaryName(name, linked)) return false;
  if (::rename(name.c_str(), target_.c_str()) != 0) {
    const int code = errno;
    if (unnamed_) ::unlink(name.c_str());
    DropDoomedName(linked);
    return Fail(code);
  }
  DropDoomedName(linked);
  return Finish();
}

bool ReplacementFile::Finish() {
  ::close(fd_);
  fd_ = -1;
  DropDoomedName(doomed_);  // the name is the target's now
  openPath_.clear();
  unnamed_ = false;
  return true;
}

void ReplacementFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  if (!unnamed_ && !openPath_.empty()) ::unlink(openPath_.c_str());
  DropDoomedName(doomed_);
  fd_ = -1;
  unnamed_ = false;
  openPath_.clear();
}

}  // namespace platform
