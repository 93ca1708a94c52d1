#pragma once
// The installer window that the launcher starts on Start and waits for: the
// program FennickInstaller, which installs the package and shows the progress
// and the outcome (launcher/installer/). It lies beside the launcher in the
// distribution folder and in the build, and in the installation's program
// folder (libexec/velmora/) once the package is installed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

inline constexpr std::string_view kInstallerWindowProgram = "FennickInstaller";

// The folders, each ending in '/', in which the installer window is looked
// for, in this order: the launcher's own folder; the installation's program
// folder relative to it (a launcher in <prefix>/bin/ finds
// <prefix>/libexec/velmora/); the package's program folder,
// /usr/libexec/velmora/.
std::vector<std::string> InstallerProgramFolders(const std::string& launcherFolder);

// The path of the installer window in the first of the folders that holds it
// as an executable regular file; none when no folder does.
std::optional<std::string> FindInstallerProgram(const std::vector<std::string>& folders);

// What became of one installer run.
struct InstallerRun {
  bool started = false;  // false: the process could not be created
  int error = 0;         // errno value of the failed start
};

// Starts the installer window `program` with the package path as its one
// argument, unchanged, and waits without a time limit until it has ended.
// Its exit status is not looked at.
InstallerRun RunInstaller(const std::string& program, const std::string& packagePath);

}  // namespace launcher
