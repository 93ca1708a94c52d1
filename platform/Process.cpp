#include "platform/Process.h"

#include "platform/SystemError.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

// Owns the two attribute records of posix_spawnp for the length of one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    actionsReady_ = posix_spawn_file_actions_init(&actions_) == 0;
    attributesReady_ = posix_spawnattr_init(&attributes_) == 0;
  }
  ~SpawnSetup() {
    if (actionsReady_) posix_spawn_file_actions_destroy(&actions_);
    if (attributesReady_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Fills both records; answers 0 or an errno value.
  int Prepare() {
    if (!actionsReady_ || !attributesReady_) return ENOMEM;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Only the standard streams are handed on; descriptors the caller opened
    // without close-on-exec stay with the caller.
    if (int rc = posix_spawn_file_actions_addclosefrom_np(&actions_, 3)) return rc;
#endif
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    if (int rc = posix_spawnattr_setsigmask(&attributes_, &none)) return rc;
    if (int rc = posix_spawnattr_setsigdefault(&attributes_, &all)) return rc;
    const short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    return posix_spawnattr_setflags(&attributes_, flags);
  }

  const posix_spawn_file_actions_t* Actions() const { return &actions_; }
  const posix_spawnattr_t* Attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_{};
  posix_spawnattr_t attributes_{};
  bool actionsReady_ = false;
  bool attributesReady_ = false;
};

ProcessStart Failed(int error) {
  SetLastSystemError(error);
  ProcessStart start;
  start.error = error;
  return start;
}

}  // namespace

ProcessStart StartProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) return Failed(EINVAL);
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (const std::string& argument : argv) {
    // A NUL byte would cut the argument short without anyone noticing.
    if (argument.find('\0') != std::string::npos) return Failed(EINVAL);
    pointers.push_back(const_cast<char*>(argument.c_str()));
  }
  pointers.push_back(nullptr);
  if (argv.front().empty()) return Failed(ENOENT);

  SpawnSetup setup;
  if (int rc = setup.Prepare()) return Failed(rc);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, pointers.front(), setup.Actions(), setup.Attributes(),
                              pointers.data(), environ);
  if (rc != 0) return Failed(rc);
  ProcessStart start;
  start.pid = pid;
  return start;
}

ProcessEnd WaitForProcess(pid_t pid) {
  ProcessEnd end;
  if (pid <= 0) {
    SetLastSystemError(ECHILD);
    end.code = ECHILD;
    return end;
  }
  int status = 0;
  for (;;) {
    const pid_t waited = waitpid(pid, &status, 0);
    if (waited == pid) break;
    if (waited < 0 && errno == EINTR) continue;
    end.code = waited < 0 ? errno : ECHILD;
    SetLastSystemError(end.code);
    return end;
  }
  if (WIFEXITED(status)) {
    end.kind = ProcessEnd::Kind::Exited;
    end.code = WEXITSTATUS(status);
  } else {
    end.kind = ProcessEnd::Kind::Signalled;
    end.code = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return end;
}

ProcessRun RunProcess(const std::vector<std::string>& argv) {
  ProcessRun run;
  run.start = StartProcess(argv);
  if (run.start.Started()) run.end = WaitForProcess(run.start.pid);
  return run;
}

}  // namespace platform
