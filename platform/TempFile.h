#pragma once
// Temporary files: the work files a program needs only while it runs, and
// the replacement file through which a finished file is put in place.
//
// Neither kind leaves anything behind when the process is killed. A work
// file has no name at all: it is made with O_TMPFILE, or, where the file
// system lacks that, under a unique name that is removed at once (the
// descriptor stays valid). A replacement file is written without a name in
// the folder of its target and gets a name only for the final rename.
// Where the folder's file system lacks O_TMPFILE (FUSE file systems) the
// replacement file has a name while it is written: every signal that ends
// the process by default and can be caught then removes it before the
// process ends by the signal's default action (platform/FatalSignalCleanup.h:
// the handlers are installed when such a file is made, only for the signals
// whose action is then the default). SIGKILL cannot be caught: a process
// killed by it leaves the named file behind.
//
// Every failure answers false or -1 with errno set and recorded as the last
// system error (platform/SystemError.h).
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/FatalSignalCleanup.h"

namespace platform {

// The folder chosen for work files ("" when none was chosen) and the prefix
// of the names they get where a name is needed ("pn" until set).
void SetWorkFolder(const std::string& folder);
const std::string& WorkFolder();
void SetWorkFilePrefix(const std::string& prefix);
const std::string& WorkFilePrefix();

// The system's temporary folder: $TMPDIR when set and not empty, else /tmp.
std::string SystemTempFolder();

// Creates a work file open for reading and writing (close-on-exec) and
// reserves its first `reserve` bytes on the device (posix_fallocate), so
// that a full disk fails here and not when the bytes are written later; the
// file then is `reserve` bytes long. In `folder` when given (only there);
// otherwise in the system's temporary folder, and when that cannot take the
// file (missing, not writable, full) in /tmp. The prefix (no '/') names the
// file in the short time it has a name. The descriptor, or -1.
int CreateWorkFile(const std::string& folder, const std::string& prefix, uint64_t reserve);

// Tests: behave as if no file system offered O_TMPFILE (true), or as the
// file systems say (false, the default).
void SetUnnamedFilesRefusedForTesting(bool refused);

// Follows the symbolic links at the end of path (a chain of them, relative
// targets taken from the link's folder) to the file they lead to, which
// need not exist yet. A path that is no link answers itself. False with
// ELOOP after 40 links, or with the error of a failing lstat or readlink.
bool ResolveLinks(const std::string& path, std::string& resolved);

// The folder of a path: up to its last '/', "/" for a file in the root, "."
// for a bare name.
std::string FolderOf(const std::string& path);

// The permission bits a new file of the process gets: 0666 less the umask.
mode_t NewFileMode();

// A file that replaces (or creates) its target only when it is complete.
// It is made in the target's folder (after ResolveLinks, so a link stays a
// link and the file it leads to is replaced), without a name where the file
// system allows it, otherwise named "<prefix>XXXXXX<suffix>". Commit gives a
// target that does not exist the file's name; an existing target is replaced
// by a rename after the data are forced to the device. Until then, and
// whenever Commit fails, the target is untouched.
// Discard (also the destructor) drops the file.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the file with the given permission bits for the target path.
  bool Create(const std::string& target, const std::string& prefix, const std::string& suffix,
              mode_t mode);
  // Creates the file with the permissions any new file of the process gets
  // in that folder (0666 less the umask, or the folder's default ACL).
  bool Create(const std::string& target, const std::string& prefix, const std::string& suffix);

  // The open descriptor (read and write), -1 when there is no file.
  int Descriptor() const { return fd_; }
  // A path that opens this same file again (for a stream of the C library).
  const std::string& OpenPath() const { return openPath_; }
  // The file the commit replaces: the target with its links followed.
  const std::string& Target() const { return target_; }
  // True when the file has no name in the folder until the commit.
  bool IsUnnamed() const { return unnamed_; }

  bool Commit();
  void Discard();

 private:
  // mode < 0: the permissions of a new file.
  bool Open(const std::string& target, const std::string& prefix, const std::string& suffix,
            int mode);
  bool LinkUnderTemporaryName(std::string& name, FatalSignalCleanup::Slot*& doomed);
  // Closes the committed file.
  bool Finish();

  int fd_ = -1;
  bool unnamed_ = false;
  std::string target_;
  std::string openPath_;  // /proc/self/fd/N, or the temporary name
  std::string prefix_;
  std::string suffix_;
  FatalSignalCleanup::Slot* doomed_ = nullptr;  // while openPath_ is a name in the folder
};

}  // namespace platform
