#include "launcher/core/InstallerProgram.h"

#include "platform/Process.h"

#include <sys/stat.h>
#include <unistd.h>

namespace launcher {

std::vector<std::string> InstallerProgramFolders(const std::string& launcherFolder) {
  std::vector<std::string> folders;
  if (!launcherFolder.empty()) {
    folders.push_back(launcherFolder);
    folders.push_back(launcherFolder + PN_INSTALLER_RELATIVE_DIR "/");
  }
  folders.emplace_back(PN_INSTALLER_PACKAGE_DIR "/");
  return folders;
}

std::optional<std::string> FindInstallerProgram(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    std::string path = folder + std::string(kInstallerWindowProgram);
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        ::access(path.c_str(), X_OK) == 0) {
      return path;
    }
  }
  return std::nullopt;
}

InstallerRun RunInstaller(const std::string& program, const std::string& packagePath) {
  const platform::ProcessRun run = platform::RunProcess({program, packagePath});
  InstallerRun result;
  result.started = run.start.Started();
  result.error = run.start.error;
  return result;
}

}  // namespace launcher
