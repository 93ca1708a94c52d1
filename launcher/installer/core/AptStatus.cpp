#include "launcher/installer/core/AptStatus.h"

namespace installer {

namespace {

// The whole percent of a field such as "37.5000"; none unless the field is
// digits, optionally followed by '.' and digits, and at most 100.
std::optional<int> ParsePercent(std::string_view field) {
  const size_t dot = field.find('.');
  const std::string_view whole = field.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : field.substr(dot + 1);
  if (whole.empty() || whole.size() > 3) return std::nullopt;
  if (dot != std::string_view::npos && fraction.empty()) return std::nullopt;
  int value = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  bool fractionZero = true;
  for (char c : fraction) {
    if (c < '0' || c > '9') return std::nullopt;
    if (c != '0') fractionZero = false;
  }
  if (value > 100 || (value == 100 && !fractionZero)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<AptStatus> ParseAptStatus(std::string_view line) {
  struct Prefix {
    std::string_view text;
    AptStatus::Kind kind;
  };
  static constexpr Prefix kPrefixes[] = {{"dlstatus:", AptStatus::Kind::Download},
                                         {"pmstatus:", AptStatus::Kind::Install},
                                         {"pmerror:", AptStatus::Kind::Error}};
  AptStatus status;
  bool known = false;
  for (const Prefix& prefix : kPrefixes) {
    if (line.substr(0, prefix.text.size()) == prefix.text) {
      status.kind = prefix.kind;
      line.remove_prefix(prefix.text.size());
      known = true;
      break;
    }
  }
  if (!known) return std::nullopt;

  // The percent is the first field after the package's first that is a
  // number; what lies before it is the package, what follows the text.
  const size_t first = line.find(':');
  if (first == 0 || first == std::string_view::npos) return std::nullopt;
  size_t start = first + 1;
  while (start <= line.size()) {
    const size_t end = line.find(':', start);
    if (end == std::string_view::npos) return std::nullopt;
    if (std::optional<int> percent = ParsePercent(line.substr(start, end - start))) {
      status.package = line.substr(0, start - 1);
      status.percent = *percent;
      status.text = line.substr(end + 1);
      return status;
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace installer
