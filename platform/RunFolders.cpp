#include "platform/RunFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "platform/SystemError.h"

namespace platform {

// What tells a folder from another made in its place: its device and inode
// numbers, and the time it was made where the file system records it (an
// inode number freed can be given to the next folder made at once).
struct FolderIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  int64_t bornSeconds = 0;
  uint32_t bornNanoseconds = 0;
  bool born = false;
};

// A folder made: where it was made and what it was. Every field is fixed
// before the entry is published on its run's list, and never changed.
struct MadeFolder {
  char* parent = nullptr;  // the parent's path and the folder's name, in one block
  const char* name = nullptr;
  FolderIdentity parentIdentity;
  FolderIdentity identity;
  MadeFolder* older = nullptr;

  ~MadeFolder() { std::free(parent); }
};

// What the fatal-signal cleanup reads of a run: its folders, newest first,
// and the folder its removal has open. Freed with the run only while no
// handler has begun, as are the folders taken off it.
struct RunRecord {
  std::atomic<MadeFolder*> newest{nullptr};
  // The descriptor through which the run is removing a folder (its lock
  // taken or about to be), -1 when none: a handler that interrupts the
  // removal, or runs on another thread meanwhile, takes the lock through it
  // (flock locks belong to the open file, so its own would be refused).
  std::atomic<int> removing{-1};
};

namespace {

static_assert(std::atomic<MadeFolder*>::is_always_lock_free &&
                  std::atomic<int>::is_always_lock_free,
              "the signal handler reads the lists without locks");

std::atomic<void (*)(const char*)> g_beforeMakeHook{nullptr};
std::atomic<void (*)(const char*)> g_removingHook{nullptr};
std::atomic<int (*)(int, int)> g_lockHook{nullptr};

// How long a run waits for another run's removal to let go of a folder it
// is to write into: such a lock is held a moment only, unless the run
// holding it is stopped.
constexpr int kHoldWaitMilliseconds = 1000;
constexpr int kHoldPollMilliseconds = 10;

bool Fail(int code) {
  errno = code;
  SetLastSystemError(code);
  return false;
}

// flock, or the tests' stand-in. Async-signal-safe.
int Lock(int fd, int operation) noexcept {
  int (*const hook)(int, int) = g_lockHook.load();
  return hook != nullptr ? hook(fd, operation) : ::flock(fd, operation);
}

// The identity of the folder at name in dir (the descriptor itself for an
// empty name), not following a link; false when it is no folder.
// Async-signal-safe.
bool IdentityOf(int dir, const char* name, FolderIdentity& id) noexcept {
  struct statx info;
  const int flags = AT_SYMLINK_NOFOLLOW | (*name == '\0' ? AT_EMPTY_PATH : 0);
  if (::statx(dir, name, flags, STATX_TYPE | STATX_INO | STATX_BTIME, &info) != 0) return false;
  if ((info.stx_mask & STATX_TYPE) == 0 || !S_ISDIR(info.stx_mode)) return false;
  id.device = makedev(info.stx_dev_major, info.stx_dev_minor);
  id.inode = info.stx_ino;
  id.born = (info.stx_mask & STATX_BTIME) != 0;
  id.bornSeconds = id.born ? info.stx_btime.tv_sec : 0;
  id.bornNanoseconds = id.born ? info.stx_btime.tv_nsec : 0;
  return true;
}

bool IsFolder(int dir, const char* name, const FolderIdentity& made) noexcept {
  FolderIdentity now;
  if (!IdentityOf(dir, name, now)) return false;
  if (now.device != made.device || now.inode != made.inode) return false;
  return !now.born || !made.born ||
         (now.bornSeconds == made.bornSeconds && now.bornNanoseconds == made.bornNanoseconds);
}

// Removes the folder when it is still the one made, empty and held by
// nobody: only when its exclusive lock is had at once (a lock that fails
// leaves the folder). A removal publishes the folder's descriptor in
// `removing` before it locks; a handler whose own lock is refused takes the
// lock through the published one when it is this folder. Only
// async-signal-safe calls on a signal (flock and statx are plain system
// calls).
void RemoveIfMade(const MadeFolder& made, std::atomic<int>& removing, bool onSignal) noexcept {
  const int parent = ::open(made.parent, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  if (IsFolder(parent, "", made.parentIdentity)) {
    const int folder = ::openat(parent, made.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
      if (!onSignal) removing.store(folder);
      bool locked = Lock(folder, LOCK_EX | LOCK_NB) == 0;
      if (!locked && onSignal) {
        const int interrupted = removing.load();
        locked = interrupted >= 0 && IsFolder(interrupted, "", made.identity) &&
                 Lock(interrupted, LOCK_EX | LOCK_NB) == 0;
      }
      if (!onSignal) {
        void (*const hook)(const char*) = g_removingHook.load();
        if (hook != nullptr) hook(made.name);
      }
      if (locked && IsFolder(folder, "", made.identity) &&
          IsFolder(parent, made.name, made.identity)) {
        ::unlinkat(parent, made.name, AT_REMOVEDIR);
      }
      if (!onSignal) removing.store(-1);
      // A handler that has begun may still take the lock through it.
      if (onSignal || FatalSignalCleanup::MayFree()) ::close(folder);
    }
  }
  ::close(parent);
}

void RemoveList(const MadeFolder* newest, std::atomic<int>& removing, bool onSignal) noexcept {
  for (const MadeFolder* made = newest; made != nullptr; made = made->older)
    RemoveIfMade(*made, removing, onSignal);
}

// The cleanup of a run: its empty folders. Async-signal-safe.
void RemoveRunOnSignal(void* context) noexcept {
  auto* record = static_cast<RunRecord*>(context);
  RemoveList(record->newest.load(), record->removing, true);
}

// The cleanup of a hold: lets go of the lock, which would keep the folder.
void LetGoOnSignal(void* context) noexcept {
  Lock(static_cast<int>(reinterpret_cast<intptr_t>(context)) - 1, LOCK_UN);
}

}  // namespace

void RunFolders::SetTestHooks(const TestHooks& hooks) {
  g_beforeMakeHook.store(hooks.beforeMake);
  g_removingHook.store(hooks.removing);
  g_lockHook.store(hooks.lock);
}

RunFolders::RunFolders() : record_(new (std::nothrow) RunRecord) {
  if (record_ != nullptr)
    slot_ = FatalSignalCleanup::Add(&RemoveRunOnSignal, FatalSignalCleanup::kContainers, record_);
}

RunFolders::~RunFolders() {
  RemoveEmpty();
  FatalSignalCleanup::Remove(slot_);
  if (FatalSignalCleanup::MayFree()) delete record_;
}

bool RunFolders::Make(const std::string& path) {
  if (slot_ == nullptr) return Fail(ENOMEM);
  const size_t slash = path.rfind('/');
  const std::string parentPath = slash == std::string::npos ? "."
                                 : slash == 0               ? "/"
                                                            : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return Fail(EINVAL);

  std::unique_ptr<MadeFolder> made(new (std::nothrow) MadeFolder);
  char* text = static_cast<char*>(std::malloc(parentPath.size() + name.size() + 2));
  if (!made || !text) {
    std::free(text);
    return Fail(ENOMEM);
  }
  std::memcpy(text, parentPath.c_str(), parentPath.size() + 1);
  std::memcpy(text + parentPath.size() + 1, name.c_str(), name.size() + 1);
  made->parent = text;
  made->name = text + parentPath.size() + 1;

  const int parent = ::open(made->parent, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return Fail(errno);
  if (!IdentityOf(parent, "", made->parentIdentity)) {
    const int code = errno;
    ::close(parent);
    return Fail(code);
  }
  if (void (*const hook)(const char*) = g_beforeMakeHook.load()) hook(path.c_str());
  // Installed again for a signal set back to the default since.
  FatalSignalCleanup::Prepare();
  {
    const FatalSignalCleanup::Blocked blocked;  // never made without being listed
    if (::mkdirat(parent, made->name, 0777) != 0) {
      const int code = errno;
      ::close(parent);
      return Fail(code);
    }
    // Gone again at once (another run removing it): listed with an
    // identity nothing has, so nothing is removed for it.
    IdentityOf(parent, made->name, made->identity);
    made->older = record_->newest.load();
    record_->newest.store(made.release());
  }
  ::close(parent);
  return true;
}

void RunFolders::RemoveEmpty() {
  if (record_ == nullptr) return;
  // Removed while still listed, so that a signal meanwhile still finds
  // them; then taken off and freed.
  RemoveList(record_->newest.load(), record_->removing, false);
  MadeFolder* made = record_->newest.exchange(nullptr);
  if (!FatalSignalCleanup::MayFree()) return;  // the process is ending
  while (made != nullptr) {
    MadeFolder* older = made->older;
    delete made;
    made = older;
  }
}

bool RunFolders::Hold::Take(const std::string& path) {
  Release();
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  struct stat opened;
  if (::fstat(fd, &opened) != 0) {
    const int code = errno;
    ::close(fd);
    return Fail(code);
  }
  fd_ = fd;
  const bool stalled = opened.st_dev == run_.stalledDevice_ && opened.st_ino == run_.stalledInode_;
  // Fatal signals wait while a lock is had and not yet registered, but not
  // while the run waits for another's removal: a signal ends it at once.
  for (int waited = 0;; waited += kHoldPollMilliseconds) {
    int code = 0;
    {
      const FatalSignalCleanup::Blocked blocked;
      if (Lock(fd, LOCK_SH | LOCK_NB) == 0) {
        slot_ = FatalSignalCleanup::Add(&LetGoOnSignal, FatalSignalCleanup::kContents,
                                        reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1));
        if (slot_ == nullptr) Lock(fd, LOCK_UN);
        code = slot_ != nullptr ? 0 : ENOMEM;
      } else {
        code = errno;
      }
    }
    if (code == ENOMEM) {
      Release();
      return Fail(ENOMEM);
    }
    // Where the lock fails, or another run keeps it past the wait, the
    // folder is written into without it.
    if (code != EWOULDBLOCK) break;
    if (stalled || waited >= kHoldWaitMilliseconds) {
      run_.stalledDevice_ = opened.st_dev;
      run_.stalledInode_ = opened.st_ino;
      break;
    }
    const struct timespec pause = {0, kHoldPollMilliseconds * 1000000L};
    ::nanosleep(&pause, nullptr);
  }
  // Removed between the open and the lock: the path leads nowhere now, or
  // to another folder.
  struct stat now;
  if (::stat(path.c_str(), &now) != 0 || now.st_dev != opened.st_dev ||
      now.st_ino != opened.st_ino) {
    Release();
    return Fail(ENOENT);
  }
  return true;
}

void RunFolders::Hold::Release() {
  if (fd_ < 0) return;
  const bool registered = slot_ != nullptr;
  FatalSignalCleanup::Remove(slot_);
  slot_ = nullptr;
  // A handler that has begun may still let go of the lock through it.
  if (!registered || FatalSignalCleanup::MayFree()) ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
