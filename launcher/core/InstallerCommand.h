#pragma once
// The installer that the launcher runs on Start: the system's package
// installer, apt-get, on the Debian package, installed for all users. That
// takes the administrator: a launcher that runs as root starts
//   apt-get install --yes <package>
// itself; any other user's launcher starts the same command through pkexec,
// which asks the desktop's user for an administrator's password first. Both
// programs are found on PATH; the command is started without a shell and
// waited for.
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

inline constexpr std::string_view kInstallerProgram = "apt-get";
inline constexpr std::string_view kElevationProgram = "pkexec";

// Whether the launcher runs as the administrator (effective user id 0).
enum class Privilege { Root, User };
Privilege CurrentPrivilege();

// The package path as the installer is given it: an absolute path is kept as
// it stands; a relative one is joined to the current folder, since apt-get
// takes only a path beginning with '/' or "./" for a package file.
std::string AbsolutePackagePath(const std::string& packagePath);

// The argument vector of the command; the package path is one argument
// whatever it holds.
std::vector<std::string> BuildInstallerArguments(const std::string& packagePath,
                                                 Privilege privilege);

// The command as one line of text, as a person would type it, the package
// path between double quotes:
//   pkexec apt-get install --yes "<package path>"
// Nothing in the path is escaped, so this text is for showing only; the
// process is always started from BuildInstallerArguments.
std::string BuildCommandLine(const std::string& packagePath, Privilege privilege);

// What became of one installer run.
struct InstallerRun {
  bool started = false;  // false: the process could not be created
  int error = 0;         // errno value of the failed start
};

// Starts the installer on the package and waits without a time limit until it
// has ended. Its exit status is not looked at.
InstallerRun RunInstaller(const std::string& packagePath, Privilege privilege);

}  // namespace launcher
