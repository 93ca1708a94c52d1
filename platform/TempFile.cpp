#include "platform/TempFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
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

#include "platform/RunFolders.h"
#include "platform/SystemError.h"

namespace platform {

// Names of files in the folders that the process is to remove when a signal
// ends it: a list that only grows (entries are reused, never freed), read by
// the signal handler without a lock. An entry's name is published whole,
// with one atomic store, after it is written; it is taken back with one
// exchange, and freed only when no handler is running (a handler that may
// have read it has begun before the exchange and ends the process).
struct DoomedName {
  std::atomic<char*> path{nullptr};
  std::atomic<pid_t> owner{0};  // a child made by fork must not remove them
  std::atomic<bool> taken{true};
  DoomedName* next = nullptr;  // fixed before the entry is published
};

namespace {

std::atomic<DoomedName*> g_doomed{nullptr};
std::atomic<int> g_handlersRunning{0};
std::atomic<bool> g_unnamedRefused{false};

// The signals whose default action ends the process (with or without a core
// dump) and that can be caught; the real-time signals are added at run time.
constexpr int kFatalSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

static_assert(std::atomic<char*>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free &&
                  std::atomic<int>::is_always_lock_free,
              "the signal handler reads the list without locks");

}  // namespace

const sigset_t& FatalSignalSet() {
  static const sigset_t set = [] {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : kFatalSignals) sigaddset(&signals, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&signals, signal);
    return signals;
  }();
  return set;
}

namespace {

// Removes the process's named files and then the empty folders its runs
// made (platform/RunFolders.h), then ends the process by the signal's
// default action, so that the exit status (and a core dump where the signal
// makes one) stay what they would have been. Only async-signal-safe calls.
void RemoveNamesAndDie(int signal) {
  g_handlersRunning.fetch_add(1);
  const pid_t self = ::getpid();
  for (DoomedName* entry = g_doomed.load(); entry != nullptr; entry = entry->next) {
    const char* path = entry->path.load();
    if (path != nullptr && entry->owner.load() == self) ::unlink(path);
  }
  RunFolders::RemoveAllOnSignal();
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  // Blocked while this handler runs: delivered, with the default action, as
  // it returns. A fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL) that the handler
  // returns to happens again, and then ends the process as well.
  ::raise(signal);
}

// A stack overflow's SIGSEGV finds no room on the stack that overflowed to
// run the handler: a thread that makes a named file gets a stack of its own
// for the handlers, kept until the thread ends. A thread that has one
// already (a sanitizer's, say) keeps it.
class AlternateStack {
 public:
  AlternateStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_DISABLE) == 0) return;
    const size_t size = std::max<size_t>(size_t{64} * 1024, static_cast<size_t>(SIGSTKSZ));
    memory_ = std::malloc(size);
    if (memory_ == nullptr) return;
    stack_t stack{};
    stack.ss_sp = memory_;
    stack.ss_size = size;
    if (::sigaltstack(&stack, nullptr) != 0) {
      std::free(memory_);
      memory_ = nullptr;
    }
  }
  ~AlternateStack() {
    if (memory_ == nullptr) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    if (::sigaltstack(&off, nullptr) == 0) std::free(memory_);
  }
  AlternateStack(const AlternateStack&) = delete;
  AlternateStack& operator=(const AlternateStack&) = delete;

 private:
  void* memory_ = nullptr;
};

// Installs the handler for every fatal signal whose action is the default:
// a signal the program ignores (SIGHUP under nohup, SIGPIPE ignored by a
// parent) or handles itself is left alone. Run for every named file, so a
// signal set back to the default later is covered again.
void InstallRemovalHandlers() {
  struct sigaction action {};
  action.sa_handler = &RemoveNamesAndDie;
  action.sa_mask = FatalSignalSet();
  action.sa_flags = SA_RESTART | SA_ONSTACK;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&action.sa_mask, signal) != 1) continue;
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL)
      ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace

FatalSignalsBlocked::FatalSignalsBlocked() {
  pthread_sigmask(SIG_BLOCK, &FatalSignalSet(), &previous_);
}

FatalSignalsBlocked::~FatalSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void PrepareRemovalOnSignal() {
  thread_local const AlternateStack handlerStack;
  InstallRemovalHandlers();
}

namespace {

// Puts path on the list; none when out of memory.
DoomedName* AddDoomedName(const std::string& path) {
  PrepareRemovalOnSignal();
  char* copy = ::strdup(path.c_str());
  if (copy == nullptr) return nullptr;
  DoomedName* entry = g_doomed.load();
  for (; entry != nullptr; entry = entry->next) {
    bool taken = false;
    if (entry->taken.compare_exchange_strong(taken, true)) break;
  }
  if (entry == nullptr) {
    entry = new (std::nothrow) DoomedName;
    if (entry == nullptr) {
      std::free(copy);
      return nullptr;
    }
    entry->next = g_doomed.load();
    while (!g_doomed.compare_exchange_weak(entry->next, entry)) {
    }
  }
  entry->owner.store(::getpid());
  entry->path.store(copy);
  return entry;
}

// Takes path off the list (after the file is gone or renamed).
void DropDoomedName(DoomedName*& entry) {
  if (entry == nullptr) return;
  char* path = entry->path.exchange(nullptr);
  if (g_handlersRunning.load() == 0) std::free(path);
  entry->taken.store(false);
  entry = nullptr;
}

// open(folder, O_TMPFILE ...), or EOPNOTSUPP when tests refuse it.
int OpenUnnamed(const std::string& folder, int mode) {
  if (g_unnamedRefused.load(std::memory_order_relaxed)) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

}  // namespace

namespace {

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
  const FatalSignalsBlocked blocked;  // the name lives a moment only
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
    const FatalSignalsBlocked blocked;
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

bool ReplacementFile::LinkUnderTemporaryName(std::string& name, DoomedName*& doomed) {
  const std::string folder = FolderOf(target_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = Join(folder, prefix_ + UniqueLetters() + suffix_);
    const FatalSignalsBlocked blocked;
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
  DoomedName* linked = nullptr;
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
