#include "launcher/installer/core/PackageFile.h"

#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string_view>

namespace installer {

namespace {

// A Debian package is an ar archive.
constexpr std::string_view kArchiveMagic = "!<arch>\n";

std::vector<std::string> Unreadable(const std::string& shown, int error) {
  return {FormatText(kTextPackageUnreadable, shown), platform::SystemErrorText(error)};
}

}  // namespace

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
