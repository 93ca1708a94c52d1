#include "launcher/installer/core/PackageLocks.h"

#include "launcher/installer/core/ToolEnd.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

namespace installer {

namespace {

struct FileId {
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long long inode = 0;
  bool operator==(const FileId&) const = default;
};

// "fe:00:408225": the device's major and minor number in hexadecimal, then
// the inode in decimal.
bool ParseFileId(const std::string& word, FileId& id) {
  std::istringstream in(word);
  char colon1 = 0, colon2 = 0;
  in >> std::hex >> id.major >> colon1 >> id.minor >> colon2 >> std::dec >> id.inode;
  return in && colon1 == ':' && colon2 == ':' && in.peek() == std::char_traits<char>::eof();
}

}  // namespace

std::vector<std::string> PackageLockFiles() {
  // "S='/var/lib/dpkg/status'" and "A='/var/cache/apt/archives/'", a quote in
  // a value written as '\''.
  const std::optional<ToolEnd> end = RunTool(
      {kAptConfigProgram, "shell", "S", "Dir::State::status/f", "A", "Dir::Cache::archives/d"},
      true);
  if (!end || end->failed) return {};
  std::string status, archives;
  std::istringstream lines(end->output);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() < 4 || line.substr(1, 2) != "='" || line.back() != '\'') continue;
    const std::string_view quoted = std::string_view(line).substr(3, line.size() - 4);
    std::string value;
    for (size_t i = 0; i < quoted.size(); ++i) {
      value += quoted[i];
      if (quoted.substr(i, 4) == "'\\''") i += 3;
    }
    (line[0] == 'S' ? status : archives) = std::move(value);
  }
  const size_t slash = status.rfind('/');
  if (slash == std::string::npos || archives.empty() || archives.back() != '/') return {};
  const std::string admin = status.substr(0, slash + 1);
  return {admin + "lock-frontend", admin + "lock", archives + "lock"};
}

bool PackageSystemBusy(const std::vector<std::string>& lockFiles) {
  std::vector<FileId> watched;
  for (const std::string& file : lockFiles) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) continue;
    watched.push_back({major(status.st_dev), minor(status.st_dev), status.st_ino});
  }
  if (watched.empty()) return false;
  // A line a lock: "1: POSIX  ADVISORY  WRITE 1234 fe:00:408225 0 EOF"; a
  // process blocked on it follows as "1: -> POSIX ...".
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream words(line);
    std::string word;
    words >> word;  // the lock's number
    while (words >> word && word != "->") {
      FileId id;
      if (!ParseFileId(word, id)) continue;
      for (const FileId& file : watched) {
        if (file == id) return true;
      }
      break;
    }
  }
  return false;
}

}  // namespace installer
