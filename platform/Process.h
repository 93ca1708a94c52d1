#pragma once
// Starting another program as a separate process and waiting for it to end.
//
// The program is started from an argument vector, never through a shell: every
// element reaches the new program as one argument, whatever characters it holds
// (blanks, quotes, non-ASCII bytes). A program name without '/' is looked up on
// PATH with the execvp rules. The new process gets the caller's environment and
// current folder, the standard input, output and error of the caller, and no
// other open file descriptor; its signal mask is empty and every signal has its
// default action.
#include <sys/types.h>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// How a started process ended, as waitpid reports it.
struct ProcessEnd {
  enum class Kind {
    Exited,      // the process called exit(); `code` is its exit status
    Signalled,   // a signal ended it; `code` is the signal number
    WaitFailed,  // waitpid failed; `code` is the errno value
  };
  Kind kind = Kind::WaitFailed;
  int code = 0;
};

// The answer of StartProcess: the new process id, or 0 with `error` set.
struct ProcessStart {
  pid_t pid = 0;
  int error = 0;  // errno value when the process could not be started
  bool Started() const { return pid > 0; }
};

// Starts argv[0] with the arguments argv (argv[0] included, as the new program's
// own name). Fails with EINVAL when argv is empty or an element holds a NUL
// byte (it could not be passed unchanged), and with the errno of the start
// otherwise (ENOENT when the program is not found on PATH). A failure is also
// recorded as the last system error.
ProcessStart StartProcess(const std::vector<std::string>& argv);

// Waits without a time limit until the process ends and collects it. Stops
// and resumes of the process do not end the wait, and neither do interrupted
// waits.
ProcessEnd WaitForProcess(pid_t pid);

// The read ends of the pipes into which a process started by
// StartProcessWithOutput writes its standard output and its standard error:
// non-blocking and close-on-exec; the caller closes them. -1 when the process
// did not start.
struct ProcessOutput {
  int output = -1;
  int error = -1;
};

// Starts argv like StartProcess, but the new process reads its standard input
// from /dev/null and writes its standard output and standard error each into
// a pipe of its own, whose read end `pipes` receives, so that the caller reads
// them while it goes on with other work.
ProcessStart StartProcessWithOutput(const std::vector<std::string>& argv, ProcessOutput& pipes);

// Appends to `bytes` what the non-blocking descriptor `fd` holds now, at most
// `maxBytes`, without waiting for more. True while more may come; false once
// every writer has closed the pipe (end of file) or a read failed.
bool ReadAvailable(int fd, std::string& bytes, size_t maxBytes);

// Collects the process when it has ended, without waiting: none while it
// still runs.
std::optional<ProcessEnd> PollProcess(pid_t pid);

// The whole run: StartProcess, then WaitForProcess when it started.
struct ProcessRun {
  ProcessStart start;
  ProcessEnd end;  // meaningful only when start.Started()
};
ProcessRun RunProcess(const std::vector<std::string>& argv);

}  // namespace platform
