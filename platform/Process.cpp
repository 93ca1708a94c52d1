#include "platform/Process.h"

#include "platform/SystemError.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
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

  // Fills both records; answers 0 or an errno value. With `pipes`, the new
  // process reads /dev/null and writes its output and errors into the write
  // ends given.
  int Prepare(const ProcessOutput* pipes = nullptr) {
    if (!actionsReady_ || !attributesReady_) return ENOMEM;
    if (pipes != nullptr) {
      if (int rc = posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0))
        return rc;
      if (int rc = posix_spawn_file_actions_adddup2(&actions_, pipes->output, 1)) return rc;
      if (int rc = posix_spawn_file_actions_adddup2(&actions_, pipes->error, 2)) return rc;
    }
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

// Closes a descriptor when the scope ends, unless it was released.
class Descriptor {
 public:
  Descriptor() = default;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int& Ref() { return fd_; }
  int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

// Moves a descriptor above the three standard ones, which the new process's
// redirections overwrite (a caller may run with one of them closed).
int AboveStandard(Descriptor& fd) {
  if (fd.Get() > 2) return 0;
  const int moved = ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 3);
  if (moved < 0) return errno;
  ::close(fd.Get());
  fd.Ref() = moved;
  return 0;
}

// A pipe whose both ends are close-on-exec; the read end also non-blocking.
int OpenPipe(Descriptor& readEnd, Descriptor& writeEnd) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return errno;
  readEnd.Ref() = ends[0];
  writeEnd.Ref() = ends[1];
  if (int rc = AboveStandard(readEnd)) return rc;
  if (int rc = AboveStandard(writeEnd)) return rc;
  const int flags = ::fcntl(readEnd.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(readEnd.Get(), F_SETFL, flags | O_NONBLOCK) != 0) return errno;
  return 0;
}

ProcessStart Start(const std::vector<std::string>& argv, const ProcessOutput* pipes) {
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
  if (int rc = setup.Prepare(pipes)) return Failed(rc);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, pointers.front(), setup.Actions(), setup.Attributes(),
                              pointers.data(), environ);
  if (rc != 0) return Failed(rc);
  ProcessStart start;
  start.pid = pid;
  return start;
}

ProcessEnd EndOf(int status) {
  ProcessEnd end;
  if (WIFEXITED(status)) {
    end.kind = ProcessEnd::Kind::Exited;
    end.code = WEXITSTATUS(status);
  } else {
    end.kind = ProcessEnd::Kind::Signalled;
    end.code = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return end;
}

}  // namespace

ProcessStart StartProcess(const std::vector<std::string>& argv) { return Start(argv, nullptr); }

ProcessStart StartProcessWithOutput(const std::vector<std::string>& argv, ProcessOutput& pipes) {
  pipes = ProcessOutput();
  Descriptor outputRead, outputWrite, errorRead, errorWrite;
  if (int rc = OpenPipe(outputRead, outputWrite)) return Failed(rc);
  if (int rc = OpenPipe(errorRead, errorWrite)) return Failed(rc);
  ProcessOutput writeEnds;
  writeEnds.output = outputWrite.Get();
  writeEnds.error = errorWrite.Get();
  const ProcessStart start = Start(argv, &writeEnds);
  // The write ends close here: the read ends see the end of the output once
  // the new process (and whatever it handed them on to) has closed its own.
  if (start.Started()) {
    pipes.output = outputRead.Release();
    pipes.error = errorRead.Release();
  }
  return start;
}

bool ReadAvailable(int fd, std::string& bytes, size_t maxBytes) {
  char chunk[4096];
  size_t taken = 0;
  while (taken < maxBytes) {
    const size_t want = std::min(sizeof chunk, maxBytes - taken);
    const ssize_t got = ::read(fd, chunk, want);
    if (got > 0) {
      bytes.append(chunk, static_cast<size_t>(got));
      taken += static_cast<size_t>(got);
      continue;
    }
    if (got == 0) return false;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
    SetLastSystemError(errno);
    return false;
  }
  return true;
}

std::optional<ProcessEnd> PollProcess(pid_t pid) {
  if (pid <= 0) {
    SetLastSystemError(ECHILD);
    ProcessEnd end;
    end.code = ECHILD;
    return end;
  }
  int status = 0;
  for (;;) {
    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == 0) return std::nullopt;
    if (waited == pid) return EndOf(status);
    if (waited < 0 && errno == EINTR) continue;
    ProcessEnd end;
    end.code = waited < 0 ? errno : ECHILD;
    SetLastSystemError(end.code);
    return end;
  }
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
  return EndOf(status);
}

ProcessRun RunProcess(const std::vector<std::string>& argv) {
  ProcessRun run;
  run.start = StartProcess(argv);
  if (run.start.Started()) run.end = WaitForProcess(run.start.pid);
  return run;
}

}  // namespace platform
