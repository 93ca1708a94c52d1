#include "launcher/installer/core/DisplayText.h"

#include "launcher/core/InstallInfo.h"

#include <optional>

namespace installer {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Each byte of a character that is no UTF-8 becomes U+FFFD.
std::string LossyUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    size_t length = 0;
    for (size_t n = 1; n <= 4 && i + n <= bytes.size(); ++n) {
      if (launcher::IsValidUtf8(bytes.substr(i, n))) {
        length = n;
        break;
      }
    }
    if (length == 0) {
      out.append(kReplacement);
      ++i;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace

std::string DisplayText(std::string_view bytes) {
  std::optional<std::string> text;
  if (launcher::IsValidUtf8(bytes))
    text = std::string(bytes);
  else
    text = launcher::DecodeInstallText(bytes);
  if (!text) text = LossyUtf8(bytes);
  std::string shown;
  shown.reserve(text->size());
  for (char c : *text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) continue;
    shown.push_back(c);
  }
  return shown;
}

}  // namespace installer
