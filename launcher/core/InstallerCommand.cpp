#include "launcher/core/InstallerCommand.h"

#include "platform/Process.h"

#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace launcher {

Privilege CurrentPrivilege() { return ::geteuid() == 0 ? Privilege::Root : Privilege::User; }

std::string AbsolutePackagePath(const std::string& packagePath) {
  if (!packagePath.empty() && packagePath.front() == '/') return packagePath;
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  // Without a current folder the path goes as it is; apt-get then refuses it.
  if (error) return packagePath;
  return (current / packagePath).string();
}

std::vector<std::string> BuildInstallerArguments(const std::string& packagePath,
                                                 Privilege privilege) {
  std::vector<std::string> arguments;
  if (privilege == Privilege::User) arguments.emplace_back(kElevationProgram);
  arguments.emplace_back(kInstallerProgram);
  arguments.emplace_back("install");
  arguments.emplace_back("--yes");
  arguments.push_back(AbsolutePackagePath(packagePath));
  return arguments;
}

std::string BuildCommandLine(const std::string& packagePath, Privilege privilege) {
  std::string line;
  if (privilege == Privilege::User) line.append(kElevationProgram).append(" ");
  line.append(kInstallerProgram).append(" install --yes \"");
  line.append(AbsolutePackagePath(packagePath)).append("\"");
  return line;
}

InstallerRun RunInstaller(const std::string& packagePath, Privilege privilege) {
  const platform::ProcessRun run =
      platform::RunProcess(BuildInstallerArguments(packagePath, privilege));
  InstallerRun result;
  result.started = run.start.Started();
  result.error = run.start.error;
  return result;
}

}  // namespace launcher
