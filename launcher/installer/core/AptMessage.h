#pragma once
// The lines of apt-get's plain output that name the dependencies it cannot
// meet, in English and in apt's Japanese translation (apt-get writes in the
// user's language; the window reads both):
//   " velmora : Depends: libfoo1 (>= 2) but it is not installable"
//   " velmora : 依存: libfoo1 (>= 2) しかし、インストールすることができません"
//   "           PreDepends: libbar but it is not going to be installed or"
//   "                       libbaz but it is not installable"
// A dependency line that ends with " or" (" または") is followed by one line per
// further alternative, which names the package alone. apt-get's other
// messages are rows of the table of known messages (KnownMessage.h).
#include <optional>
#include <string>
#include <string_view>

namespace installer {

struct AptMessage {
  // The dependency, with its version bound.
  std::string package;
  // An unmet dependency whose line ends with " or": the next line names an
  // alternative.
  bool moreAlternatives = false;
};

// The unmet dependency a line names; none for any other line. `alternative`
// says that the line before ended with " or": the line is then read as a
// further alternative ("libbaz but it is not installable").
std::optional<AptMessage> ParseAptMessage(std::string_view line, bool alternative = false);

}  // namespace installer
