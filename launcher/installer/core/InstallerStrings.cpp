#include "launcher/installer/core/InstallerStrings.h"

#include <algorithm>

namespace installer {

std::string FormatText(std::string_view text, std::string_view value, std::string_view second) {
  // Both places are found in the text itself, so a value that holds "%2"
  // stays as it is.
  const size_t first = text.find("%1");
  const size_t other = text.find("%2");
  std::string out;
  size_t from = 0;
  for (size_t at : {std::min(first, other), std::max(first, other)}) {
    if (at == std::string_view::npos) break;
    out.append(text.substr(from, at - from)).append(at == first ? value : second);
    from = at + 2;
  }
  return out.append(text.substr(from));
}

}  // namespace installer
