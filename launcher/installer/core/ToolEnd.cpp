#include "launcher/installer/core/ToolEnd.h"

#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallRun.h"
#include "launcher/installer/core/LineSplitter.h"
#include "platform/Process.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>

namespace installer {

namespace {

// Read from a pipe at a time.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

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

}  // namespace installer
