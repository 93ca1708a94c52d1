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

// How the reader ended: its last error lines are kept for the details; its
// output (the control data told, the files' archive) is read and dropped.
struct ReaderEnd {
  bool failed = false;  // it ended by itself with a status other than 0
  std::deque<std::string> errors;
};

// Runs the reader on its arguments to the end, reading both pipes as they
// fill; none when it could not be started or was ended by a signal.
std::optional<ReaderEnd> RunReader(const std::vector<std::string>& arguments) {
  platform::ProcessOutput pipes;
  const platform::ProcessStart start = platform::StartProcessWithOutput(arguments, pipes);
  if (!start.Started()) return std::nullopt;
  ReaderEnd result;
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

}  // namespace

std::vector<std::string> PackageArchiveProblem(const std::string& path,
                                               std::vector<std::string>& details) {
  // The control data, as the installer reads it first, then the files.
  for (const char* what : {"--info", "--fsys-tarfile"}) {
    const std::optional<ReaderEnd> end = RunReader({kArchiveReader, what, path});
    if (!end) return {};
    if (!end->failed) continue;
    const std::string shown = DisplayText(path);
    details.push_back(std::string("$ ") + kArchiveReader + " " + what + " \"" + shown + "\"");
    details.insert(details.end(), end->errors.begin(), end->errors.end());
    return {FormatText(kTextPackageDamaged, shown)};
  }
  return {};
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
