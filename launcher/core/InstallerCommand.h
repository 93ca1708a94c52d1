#pragma once
// The command that installs the package: the system's package installer,
// apt-get, on the Debian package, installed for all users. That takes the
// administrator: run as root, the installer window starts
//   /usr/bin/setsid /usr/bin/env DEBIAN_FRONTEND=noninteractive apt-get install <options> <package>
// itself; any other user's window starts apt-get itself through pkexec,
//   /usr/bin/setsid pkexec /usr/bin/apt-get install <options> <package>
// which asks the desktop's user for an administrator's password first, and
// whose prompt then names the package installer and the package file rather
// than a program that only sets the environment. setsid starts it in a
// session of its own, without the controlling terminal of a window started
// from a terminal: pkexec then cannot ask for the password there, where
// nobody looks, and only the desktop's authentication agent asks; and the
// window can end the command's whole process group while it waits. pkexec hands the command a
// clean environment, so the front end goes unset there; the packages'
// configuration then finds no terminal (its input is /dev/null) and takes its
// default answers. Nothing may wait for an answer: --yes answers apt-get's
// questions. The status lines go to standard output with apt-get's other
// output. While another program holds the package system's lock, apt-get
// waits for it up to kLockWaitSeconds (it writes that it waits) before it
// gives up. The options:
//   --yes -o APT::Status-Fd=1 -o DPkg::Lock::Timeout=300
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

inline constexpr std::string_view kInstallerProgram = "apt-get";
// The package installer as pkexec is given it: pkexec wants the full path,
// and one fixed path cannot be taken for another program found on PATH.
inline constexpr std::string_view kInstallerProgramPath = "/usr/bin/apt-get";
inline constexpr std::string_view kElevationProgram = "pkexec";
// Sets the environment of the command it starts; part of every system.
inline constexpr std::string_view kEnvironmentProgram = "/usr/bin/env";
inline constexpr std::string_view kNonInteractive = "DEBIAN_FRONTEND=noninteractive";
// Starts a program in a new session; part of every system (util-linux).
inline constexpr std::string_view kSessionProgram = "/usr/bin/setsid";
// How long the installation waits for another program that installs
// software to let go of the package system.
inline constexpr int kLockWaitSeconds = 300;

// Whether the installer runs as the administrator (effective user id 0).
enum class Privilege { Root, User };
Privilege CurrentPrivilege();

// The package path as the installer is given it: an absolute path is kept as
// it stands; a relative one is joined to the current folder, since apt-get
// takes only a path beginning with '/' or "./" for a package file.
std::string AbsolutePackagePath(const std::string& packagePath);

// Whether a program of that name is found on PATH as the command's start
// looks for it (the execvp rules): an executable regular file.
bool ProgramOnPath(std::string_view name);

// The argument vector of the command; the package path is one argument
// whatever it holds.
std::vector<std::string> BuildInstallerArguments(const std::string& packagePath,
                                                 Privilege privilege);

// The command as one line of text, as a person would type it, the package
// path between double quotes:
//   /usr/bin/setsid pkexec /usr/bin/apt-get install ... "<package path>"
// Nothing in the path is escaped, so this text is for showing only; the
// process is always started from BuildInstallerArguments.
std::string BuildCommandLine(const std::string& packagePath, Privilege privilege);

}  // namespace launcher
