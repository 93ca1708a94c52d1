#include "launcher/installer/core/AptMessage.h"

#include <array>
#include <optional>

namespace installer {

namespace {

struct Words {
  std::string_view but;  // what follows the dependency: why it cannot be met
  std::string_view orEnd;
};
// English, then Japanese.
constexpr std::array<Words, 2> kWords = {{{" but ", " or"}, {" しかし、", " または"}}};
constexpr std::string_view kDependencyTypes[] = {
    "Depends: ", "PreDepends: ", "依存: ", "先行依存: "};

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  text.remove_prefix(first);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// "libfoo1 (>= 2) but it is not installable[ or]": the dependency with its
// bound, when the rest gives apt-get's reason.
std::optional<AptMessage> ParseDependency(std::string_view text) {
  const size_t nameEnd = text.find(' ');
  if (nameEnd == 0 || nameEnd == std::string_view::npos) return std::nullopt;
  size_t end = nameEnd;
  if (text.substr(nameEnd + 1, 1) == "(") {
    const size_t close = text.find(')', nameEnd);
    if (close == std::string_view::npos) return std::nullopt;
    end = close + 1;
  }
  const std::string_view rest = text.substr(end);
  for (const Words& words : kWords) {
    if (!StartsWith(rest, words.but)) continue;
    AptMessage message;
    message.package = text.substr(0, end);
    message.moreAlternatives = EndsWith(rest, words.orEnd);
    return message;
  }
  return std::nullopt;
}

}  // namespace

std::optional<AptMessage> ParseAptMessage(std::string_view line, bool alternative) {
  const std::string_view text = TrimBlanks(line);
  if (alternative) return ParseDependency(text);
  // The dependency type stands first, or after "<package> : " on the first
  // line of a package's unmet dependencies.
  for (std::string_view type : kDependencyTypes) {
    size_t at = text.find(type);
    if (at == std::string_view::npos) continue;
    if (at != 0 && (at < 4 || text.substr(at - 3, 3) != " : ")) continue;
    return ParseDependency(text.substr(at + type.size()));
  }
  return std::nullopt;
}

}  // namespace installer
