#pragma once
// The folders a run makes for its output, removed again when the run ends
// while they are still empty: made only for files that then failed or were
// never written.
//
// A folder is removed only while it is still the folder the run made: its
// parent is opened by the path it was made under and must be the same
// folder (device and inode) as then, and the folder is reached from the
// parent's descriptor without following a link, must be a folder with the
// device and inode it was made with (and the same time of making, where the
// file system records it), and is removed through the parent (unlinkat). A folder swapped for a
// link, or removed and made again by someone else, stays.
//
// Runs share output folders: a run writing into a folder holds it (a shared
// lock on the folder, platform-wide among the processes that use this
// class), and a folder is removed only when nobody holds it (an exclusive
// lock that is not waited for). A run that finds a folder of its output
// gone makes it again (Make), and the folder is then its own.
//
// A fatal signal that ends the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT and
// the others platform/TempFile.h lists) removes the empty folders of every
// run, as it removes the named work files: the list is kept in memory that
// the handler reads without locks or allocation, and the removal uses only
// calls that are safe in a handler. SIGKILL cannot be caught.
#include <sys/types.h>

#include <atomic>
#include <string>

namespace platform {

// One folder made, on its run's list (RunFolders.cpp).
struct MadeFolder;

class RunFolders {
 public:
  RunFolders();
  // Removes the empty folders (RemoveEmpty).
  ~RunFolders();
  RunFolders(const RunFolders&) = delete;
  RunFolders& operator=(const RunFolders&) = delete;

  // Makes the folder at path (one level: its parent must exist) and lists
  // it. False with errno when it cannot be made (EEXIST when something is
  // there already: then it is not this run's).
  bool Make(const std::string& path);

  // Holds the folder at path for writing into it, until Release (or the
  // next Hold): it is not removed meanwhile by any run. False with errno
  // (ENOENT when no folder is there, or when the folder found went before
  // it could be held).
  bool Hold(const std::string& path);
  void Release();

  // Removes every folder listed, newest first (so a folder whose
  // sub-folders all go goes too), that is still empty, still the folder
  // made and not held, and empties the list.
  void RemoveEmpty();

  // Removes the empty folders of every run of this process, as RemoveEmpty
  // does but without changing the lists. For the fatal-signal handler:
  // async-signal-safe.
  static void RemoveAllOnSignal() noexcept;

 private:
  friend struct RunFoldersList;
  std::atomic<MadeFolder*> newest_{nullptr};
  std::atomic<int> held_{-1};               // the held folder's descriptor
  pid_t owner_;                             // a child made by fork leaves the folders alone
  std::atomic<RunFolders*> next_{nullptr};  // on the list of runs, changed under its lock
};

}  // namespace platform
