#pragma once
// The lines of apt-get's plain output that tell why an installation did not
// happen, in English and in apt's Japanese translation (apt-get writes in the
// user's language; the window reads both):
//   " velmora : Depends: libfoo1 (>= 2) but it is not installable"
//   " velmora : 依存: libfoo1 (>= 2) しかし、インストールすることができません"
//   "           PreDepends: libbar but it is not going to be installed or"
//   "                       libbaz but it is not installable"
//   "velmora is already the newest version (1.00)."
//   "E: Unsupported file /x.deb given on commandline"
//   "E: Could not read meta data from /x.deb"
// A dependency line that ends with " or" (" または") is followed by one line per
// further alternative, which names the package alone.
#include <optional>
#include <string>
#include <string_view>

namespace installer {

struct AptMessage {
  enum class Kind {
    UnmetDependency,  // `package` names the dependency, with its version bound
    AlreadyNewest,    // `package` at `version` is installed already
    UnsupportedFile,  // `package` is the file apt-get could not take
    DamagedFile,      // `package` is the file whose archive members apt-get could not read
  };
  Kind kind = Kind::UnmetDependency;
  std::string package;
  std::string version;
  // An unmet dependency whose line ends with " or": the next line names an
  // alternative.
  bool moreAlternatives = false;
};

// The message a line gives; none for any other line. `alternative` says that
// the line before ended with " or": the line is then read as a further
// alternative ("libbaz but it is not installable").
std::optional<AptMessage> ParseAptMessage(std::string_view line, bool alternative = false);

}  // namespace installer
