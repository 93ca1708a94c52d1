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
// Runs share output folders: a run writing into a folder holds it (Hold: a
// shared lock on the folder, platform-wide among the processes that use
// this class), and a folder is removed only when its exclusive lock is had
// at once. So a folder stays while any run holds it, while another run is
// removing it, and wherever its lock fails (ENOLCK, say). No run waits long
// on another: a folder that another run keeps locked for its removal past a
// short wait (a run stopped in the middle of it, by Ctrl-Z say) is written
// into without the hold. A run that finds a folder of its output gone makes
// it again (Make), and the folder is then its own.
//
// A fatal signal that ends the process removes the empty folders of every
// run of the process (platform/FatalSignalCleanup.h), also when it comes
// during a removal: the handler takes the folder's lock through the
// removal's own descriptor. SIGKILL cannot be caught.
#include <sys/types.h>

#include <string>

#include "platform/FatalSignalCleanup.h"

namespace platform {

// What the fatal-signal cleanup reads of a run (RunFolders.cpp).
struct RunRecord;

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

  // Removes every folder listed, newest first (so a folder whose
  // sub-folders all go goes too), that is still empty, still the folder
  // made and not held, and empties the list.
  void RemoveEmpty();

  // A folder held for writing into it: no run removes it while it is held.
  // Held from Take until the next Take, Release or the end of the scope.
  class Hold {
   public:
    explicit Hold(RunFolders& run) : run_(run) {}
    ~Hold() { Release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

    // Holds the folder at path. True when a folder is there to write into:
    // held, or not held where its lock fails or another run keeps it locked
    // for its removal past a short wait (not waited for again in this run).
    // False with errno when none is there (ENOENT, also when the folder
    // found went before it could be held).
    bool Take(const std::string& path);
    void Release();
    bool Held() const { return slot_ != nullptr; }

   private:
    RunFolders& run_;
    int fd_ = -1;
    FatalSignalCleanup::Slot* slot_ = nullptr;  // lets go of the lock on a fatal signal
  };

  // Tests: calls at moments of the folder code, to play another run or a
  // file system there. Null members call nothing (flock for lock).
  struct TestHooks {
    void (*beforeMake)(const char* path) = nullptr;  // just before a folder is made
    void (*removing)(const char* name) = nullptr;    // a folder locked for removal, not yet removed
    int (*lock)(int fd, int operation) = nullptr;    // in place of flock, also in the handler
  };
  static void SetTestHooks(const TestHooks& hooks);

 private:
  RunRecord* record_;
  FatalSignalCleanup::Slot* slot_ = nullptr;
  // A folder found locked past the wait, not waited for again.
  dev_t stalledDevice_ = 0;
  ino_t stalledInode_ = 0;
};

}  // namespace platform
