#include "launcher/installer/core/PackageFile.h"

#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "launcher/installer/core/ToolEnd.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <optional>
#include <string_view>

namespace installer {

namespace {

// A Debian package is an ar archive.
constexpr std::string_view kArchiveMagic = "!<arch>\n";

std::vector<std::string> Unreadable(const std::string& shown, int error) {
  return {FormatText(kTextPackageUnreadable, shown), platform::SystemErrorText(error)};
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
