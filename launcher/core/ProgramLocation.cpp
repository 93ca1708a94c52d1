#include "launcher/core/ProgramLocation.h"

#include "platform/SystemError.h"

#include <unistd.h>
#include <cerrno>
#include <vector>

namespace launcher {

namespace {
// Paths longer than this are refused rather than read into ever larger buffers.
constexpr size_t kMaxExecutablePath = 1 << 20;
}  // namespace

std::optional<std::string> ExecutablePath() {
  // readlink does not say how long the target is; grow until it fits with room
  // to spare, which proves it was not cut.
  for (size_t size = 256; size <= kMaxExecutablePath; size *= 2) {
    std::vector<char> buffer(size);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      platform::RecordSystemError();
      return std::nullopt;
    }
    if (static_cast<size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<size_t>(length));
    }
  }
  platform::SetLastSystemError(ENAMETOOLONG);
  return std::nullopt;
}

std::string FolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string FileTitleOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

std::optional<std::string> ProgramFolder() {
  std::optional<std::string> path = ExecutablePath();
  if (!path) return std::nullopt;
  std::string folder = FolderOf(*path);
  if (folder.empty()) return std::nullopt;
  return folder;
}

std::string ProgramTitle() {
  std::optional<std::string> path = ExecutablePath();
  std::string title = path ? FileTitleOf(*path) : std::string();
  return title.empty() ? std::string("Fennick") : title;
}

}  // namespace launcher
