#include "platform/FileSizeLimitScope.h"

#include <pthread.h>
#include <signal.h>

#include <ctime>

#include "platform/FatalSignalCleanup.h"

namespace platform {

namespace {

sigset_t OnlyFileSizeSignal() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGXFSZ);
  return set;
}

}  // namespace

FileSizeLimitScope::FileSizeLimitScope() {
  sigemptyset(&previous_);
  if (!FatalSignalCleanup::EndsTheProcess(SIGXFSZ)) return;
  const sigset_t only = OnlyFileSizeSignal();
  if (pthread_sigmask(SIG_BLOCK, &only, &previous_) != 0) return;
  // Blocked already: the caller takes what comes itself.
  blocked_ = sigismember(&previous_, SIGXFSZ) != 1;
  sigset_t pending;
  wasPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
}

FileSizeLimitScope::~FileSizeLimitScope() {
  if (!blocked_) return;
  if (!wasPending_) {
    // The signal the limit raised (one, as it is not queued), taken
    // without waiting.
    const sigset_t only = OnlyFileSizeSignal();
    const struct timespec none = {0, 0};
    sigtimedwait(&only, nullptr, &none);
  }
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace platform
