#pragma once
// Another program run to its end for what it tells (the archive reader on a
// package, the package manager's architectures, apt's configuration),
// without root and without writing anything.
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace installer {

// How a tool ended: its last error lines (InstallRun::kKeptLines, as UTF-8
// text) are kept for the details; its output is kept when asked for, as far
// as a line's length (LineSplitter::kMaxLineBytes: a field's value, a list of
// architectures, a few settings), else read and dropped (a files' archive).
struct ToolEnd {
  bool failed = false;  // it ended by itself with a status other than 0
  std::string output;
  std::deque<std::string> errors;
};

// Runs a tool on its arguments to the end, reading both pipes as they fill;
// none when it could not be started or was ended by a signal.
std::optional<ToolEnd> RunTool(const std::vector<std::string>& arguments, bool keepOutput);

}  // namespace installer
