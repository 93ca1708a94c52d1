#pragma once
// The installer command that the launcher runs on Start: the program
// "msiexec", found on PATH, with the arguments "/i", the package path and
// "ALLUSERS=2", started without a shell and waited for.
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

inline constexpr std::string_view kInstallerProgram = "msiexec";

// The command as one line of text, as a person would type it:
//   msiexec /i "<package path>" ALLUSERS=2
// Nothing in the path is escaped, so this text is for showing only; the
// process is always started from BuildInstallerArguments.
std::string BuildCommandLine(std::string_view packagePath);

// The argument vector of the command; the package path is one argument
// whatever it holds.
std::vector<std::string> BuildInstallerArguments(const std::string& packagePath);

// What became of one installer run.
struct InstallerRun {
  bool started = false;  // false: the process could not be created
  int error = 0;         // errno value of the failed start
};

// Starts the installer on the package and waits without a time limit until it
// has ended. Its exit status is not looked at.
InstallerRun RunInstaller(const std::string& packagePath);

}  // namespace launcher
