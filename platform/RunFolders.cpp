#include "platform/RunFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "platform/SystemError.h"
#include "platform/TempFile.h"

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

// The runs of the process, newest first, read by the signal handler
// without a lock; changed only under the lock.
struct RunFoldersList {
  static std::atomic<RunFolders*>& Head() {
    static std::atomic<RunFolders*> head{nullptr};
    return head;
  }
  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static void Add(RunFolders* run) {
    const std::lock_guard<std::mutex> guard(Lock());
    run->next_.store(Head().load());
    Head().store(run);
  }
  static void Remove(RunFolders* run) {
    const std::lock_guard<std::mutex> guard(Lock());
    std::atomic<RunFolders*>* link = &Head();
    while (link->load() != nullptr && link->load() != run) link = &link->load()->next_;
    if (link->load() == run) link->store(run->next_.load());
  }
};

namespace {

static_assert(std::atomic<MadeFolder*>::is_always_lock_free &&
                  std::atomic<RunFolders*>::is_always_lock_free &&
                  std::atomic<int>::is_always_lock_free,
              "the signal handler reads the lists without locks");

// Handlers running RemoveAllOnSignal: entries are not freed meanwhile.
std::atomic<int> g_signalRemovals{0};

bool Fail(int code) {
  errno = code;
  SetLastSystemError(code);
  return false;
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
// nobody. Only async-signal-safe calls (flock and statx are plain system
// calls).
void RemoveIfMade(const MadeFolder& made) noexcept {
  const int parent = ::open(made.parent, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  if (IsFolder(parent, "", made.parentIdentity)) {
    const int folder = ::openat(parent, made.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
      // A folder another run is writing into is locked shared; where the
      // file system has no locks, emptiness alone decides.
      const bool unheld = ::flock(folder, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
      if (unheld && IsFolder(folder, "", made.identity) &&
          IsFolder(parent, made.name, made.identity)) {
        ::unlinkat(parent, made.name, AT_REMOVEDIR);
      }
      ::close(folder);
    }
  }
  ::close(parent);
}

void RemoveList(const MadeFolder* newest) noexcept {
  for (const MadeFolder* made = newest; made != nullptr; made = made->older) RemoveIfMade(*made);
}

}  // namespace

RunFolders::RunFolders() : owner_(::getpid()) { RunFoldersList::Add(this); }

RunFolders::~RunFolders() {
  RemoveEmpty();
  RunFoldersList::Remove(this);
}

bool RunFolders::Make(const std::string& path) {
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
  PrepareRemovalOnSignal();
  {
    const FatalSignalsBlocked blocked;  // never made without being listed
    if (::mkdirat(parent, made->name, 0777) != 0) {
      const int code = errno;
      ::close(parent);
      return Fail(code);
    }
    // Gone again at once (another run removing it): listed with an
    // identity nothing has, so nothing is removed for it.
    IdentityOf(parent, made->name, made->identity);
    made->older = newest_.load();
    newest_.store(made.release());
  }
  ::close(parent);
  return true;
}

bool RunFolders::Hold(const std::string& path) {
  Release();
  // A signal finds every lock of the process's published, to let go of it.
  const FatalSignalsBlocked blocked;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  // A run removing the folder holds it for a moment only; a file system
  // without locks leaves the folder unheld.
  while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
  }
  // Removed between the open and the lock: the path leads nowhere now, or
  // to another folder.
  struct stat held;
  struct stat now;
  if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &now) != 0 || now.st_dev != held.st_dev ||
      now.st_ino != held.st_ino) {
    ::close(fd);
    return Fail(ENOENT);
  }
  held_.store(fd);
  return true;
}

void RunFolders::Release() {
  const FatalSignalsBlocked blocked;
  const int fd = held_.exchange(-1);
  if (fd >= 0) ::close(fd);
}

void RunFolders::RemoveEmpty() {
  Release();
  // Removed while still listed, so that a signal meanwhile still finds
  // them; then taken off and freed.
  RemoveList(newest_.load());
  MadeFolder* made = newest_.exchange(nullptr);
  if (g_signalRemovals.load() != 0) return;  // the process is ending
  while (made != nullptr) {
    MadeFolder* older = made->older;
    delete made;
    made = older;
  }
}

void RunFolders::RemoveAllOnSignal() noexcept {
  g_signalRemovals.fetch_add(1);
  const pid_t self = ::getpid();
  for (RunFolders* run = RunFoldersList::Head().load(); run != nullptr; run = run->next_.load()) {
    if (run->owner_ != self) continue;
    // The process's own hold would keep its folder.
    const int held = run->held_.load();
    if (held >= 0) ::flock(held, LOCK_UN);
    RemoveList(run->newest_.load());
  }
}

}  // namespace platform
