#pragma once
// Where the running program lies, and the names derived from that path.
#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// The full path of the running executable, read from /proc/self/exe (symbolic
// links resolved, so a link to the program leads to the real file's folder);
// none when it cannot be read.
std::optional<std::string> ExecutablePath();

// The folder part of a path, ending in '/' ("/a/b/prog" -> "/a/b/"); empty
// for a path without '/'.
std::string FolderOf(std::string_view path);

// The file name without its extension ("/a/b/prog.bin" -> "prog"). A name
// whose only dot is its first character keeps it (".prog" -> ".prog").
std::string FileTitleOf(std::string_view path);

// The running program's folder ("/" when it lies at the root); none when the
// executable's path cannot be read.
std::optional<std::string> ProgramFolder();

// The running program's file name without its extension; "Fennick" when the
// executable's path cannot be read.
std::string ProgramTitle();

}  // namespace launcher
