#include "launcher/installer/core/LineSplitter.h"

#include <algorithm>
#include <utility>

namespace installer {

std::vector<std::string> LineSplitter::Take(std::string_view bytes) {
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const size_t end = bytes.find_first_of("\r\n");
    const std::string_view piece = bytes.substr(0, end);
    current_.append(piece.substr(0, kMaxLineBytes - std::min(kMaxLineBytes, current_.size())));
    if (end == std::string_view::npos) break;
    if (!current_.empty()) lines.push_back(std::exchange(current_, std::string()));
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<std::string> LineSplitter::Finish() {
  if (current_.empty()) return std::nullopt;
  return std::exchange(current_, std::string());
}

}  // namespace installer
