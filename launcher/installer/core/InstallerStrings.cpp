#include "launcher/installer/core/InstallerStrings.h"

namespace installer {

std::string FormatText(std::string_view text, std::string_view value) {
  std::string out(text);
  const size_t at = out.find("%1");
  if (at != std::string::npos) out.replace(at, 2, value);
  return out;
}

}  // namespace installer
