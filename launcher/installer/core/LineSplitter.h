#pragma once
// Cuts a program's output, as it arrives in pieces of any size, into lines.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

class LineSplitter {
 public:
  // A longer line keeps its first kMaxLineBytes bytes; the rest is dropped,
  // so that output without line ends cannot grow without bound.
  static constexpr size_t kMaxLineBytes = 16 * 1024;

  // Takes the next piece and answers the lines it completed, without their
  // line ends. A line ends at LF, or at a CR (a terminal's return to the
  // line's start, which progress lines use to write over themselves). Empty
  // lines are left out.
  std::vector<std::string> Take(std::string_view bytes);

  // The last line, when the output ended without a line end.
  std::optional<std::string> Finish();

 private:
  std::string current_;
};

}  // namespace installer
