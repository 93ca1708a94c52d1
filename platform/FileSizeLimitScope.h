#pragma once
// A file-size limit (`ulimit -f`) as a write failure: for one scope, a
// write of this thread past the limit fails with EFBIG, as it does where
// SIGXFSZ is ignored, instead of ending the process by the signal's default
// action without a word.
//
// SIGXFSZ is blocked in the thread for the scope, and the one the thread's
// own writes raised is taken at its end. Only where the signal would end
// the process (its action is the default, or the fatal-signal cleanup's):
// a program that ignores it has the failure already, one that handles it
// keeps its handler's say.
#include <signal.h>

namespace platform {

class FileSizeLimitScope {
 public:
  FileSizeLimitScope();
  ~FileSizeLimitScope();
  FileSizeLimitScope(const FileSizeLimitScope&) = delete;
  FileSizeLimitScope& operator=(const FileSizeLimitScope&) = delete;

 private:
  bool blocked_ = false;     // blocked here, to be set back at the end
  bool wasPending_ = false;  // one was pending before: not the scope's own
  sigset_t previous_;
};

}  // namespace platform
