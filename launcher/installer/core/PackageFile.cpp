#include "launcher/installer/core/PackageFile.h"

#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallRun.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "launcher/installer/core/LineSplitter.h"
#include "platform/Process.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <deque>
#include <optional>
#include <string_view>

namespace installer {

namespace {

// A Debian package is an ar archive.
constexpr std::string_view kArchiveMagic = "!<arch>\n";

std::vector<std::string> Unreadable(const std::string& shown, int error) {
  return {FormatText(kTextPackageUnreadable, shown), platform::SystemErrorText(error)};
}

// Read from a pipe at a time.
constexpr size_t kReadChunk = 64 * 1024;

// How a tool ended: its last error lines are kept for the details; its
// output is kept when asked for, as far as a line's length (a field's value,
// a list of architectures), else read and dropped (the files' archive).
struct ToolEnd {
  bool failed = false;  // it ended by itself with a status other than 0
  std::string output;
  std::deque<std::string> errors;
};

// Runs a tool on its arguments to the end, reading both pipes as they fill;
// none when it could not be started or was ended by a signal.
std::optional<ToolEnd> RunTool(const std::vector<std::string>& arguments, bool keepOutput) {
  platform::ProcessOutput pipes;
  const platform::ProcessStart start = platform::StartProcessWithOutput(arguments, pipes);
  if (!start.Started()) return std::nullopt;
  ToolEnd result;
  LineSplitter errors;
  const auto keep = [&result](const std::string& line) {
    result.errors.push_back(DisplayText(line));
    if (result.errors.size() > InstallRun::kKeptLines) result.errors.pop_front();
  };
  int fds[] = {pipes.output, pipes.error};
  while (fds[0] >= 0 || fds[1] >= 0) {
    pollfd polled[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
    if (::poll(polled, 2, -1) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i] < 0 || polled[i].revents == 0) continue;
      std::string bytes;
      const bool open = platform::ReadAvailable(fds[i], bytes, kReadChunk);
      if (i == 1) {
        for (const std::string& line : errors.Take(bytes)) keep(line);
      } else if (keepOutput && result.output.size() < LineSplitter::kMaxLineBytes) {
        result.output.append(bytes, 0, LineSplitter::kMaxLineBytes - result.output.size());
      }
      if (!open) {
        ::close(fds[i]);
        fds[i] = -1;
      }
    }
  }
  for (int fd : fds) {
    if (fd >= 0) ::close(fd);
  }
  if (std::optional<std::string> last = errors.Finish()) keep(*last);
  const platform::ProcessEnd end = platform::WaitForProcess(start.pid);
  if (end.kind != platform::ProcessEnd::Kind::Exited) return std::nullopt;
  result.failed = end.code != 0;
  return result;
}

// The words of a tool's output, one a line, without blanks.
std::vector<std::string> Words(const std::string& output) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < output.size()) {
    const size_t first = output.find_first_not_of(" \t\r\n", at);
    if (first == std::string::npos) break;
    at = output.find_first_of(" \t\r\n", first);
    words.push_back(output.substr(first, at - first));
  }
  return words;
}

// Why a package built for `architecture` cannot be installed here.
std::vector<std::string> ArchitectureProblem(const std::string& architecture) {
  if (architecture.empty() || architecture == "all") return {};
  const std::optional<ToolEnd> native = RunTool({kPackageManager, "--print-architecture"}, true);
  if (!native || native->failed) return {};
  const std::vector<std::string> computer = Words(native->output);
  if (computer.empty() || computer.front() == architecture) return {};
  const std::optional<ToolEnd> foreign =
      RunTool({kPackageManager, "--print-foreign-architectures"}, true);
  if (foreign && !foreign->failed) {
    for (const std::string& other : Words(foreign->output)) {
      if (other == architecture) return {};
    }
  }
  return {
      FormatText(kTextWrongArchitecture, DisplayText(architecture), DisplayText(computer.front()))};
}

}  // namespace

std::vector<std::string> PackageArchiveProblem(const std::string& path,
                                               std::vector<std::string>& details) {
  // The control data, as the installer reads it first, with the
  // architecture; then the files.
  std::string architecture;
  for (const char* what : {"--field", "--fsys-tarfile"}) {
    const bool field = std::string_view(what) == "--field";
    std::vector<std::string> arguments{kArchiveReader, what, path};
    if (field) arguments.emplace_back("Architecture");
    const std::optional<ToolEnd> end = RunTool(arguments, field);
    if (!end) return {};
    if (!end->failed) {
      if (field && !Words(end->output).empty()) architecture = Words(end->output).front();
      continue;
    }
    const std::string shown = DisplayText(path);
    details.push_back(std::string("$ ") + kArchiveReader + " " + what + " \"" + shown + "\"" +
                      (field ? " Architecture" : ""));
    details.insert(details.end(), end->errors.begin(), end->errors.end());
    return {FormatText(kTextPackageDamaged, shown)};
  }
  return ArchitectureProblem(architecture);
}

std::vector<std::string> PackageFileProblem(const std::string& path) {
  const std::string shown = DisplayText(path);
  // Non-blocking, so that a FIFO of that name cannot stall the window.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return {FormatText(kTextPackageMissing, shown)};
    return Unreadable(shown, error);
  }
  struct stat status {};
  std::vector<std::string> problem;
  char head[kArchiveMagic.size()];
  if (::fstat(fd, &status) != 0) {
    problem = Unreadable(shown, errno);
  } else if (!S_ISREG(status.st_mode)) {
    problem = {FormatText(kTextNotAPackage, shown)};
  } else {
    ssize_t got;
    do {
      got = ::pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
      problem = Unreadable(shown, errno);
    else if (std::string_view(head, static_cast<size_t>(got)) != kArchiveMagic)
      problem = {FormatText(kTextNotAPackage, shown)};
  }
  ::close(fd);
  return problem;
}

}  // namespace installer
