#include "launcher/core/InstallerCommand.h"

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
  if (privilege == Privilege::User) {
    arguments.emplace_back(kElevationProgram);
    arguments.emplace_back(kInstallerProgramPath);
  } else {
    arguments.emplace_back(kEnvironmentProgram);
    arguments.emplace_back(kNonInteractive);
    arguments.emplace_back(kInstallerProgram);
  }
  arguments.emplace_back("install");
  arguments.emplace_back("--yes");
  arguments.emplace_back("-o");
  arguments.emplace_back("APT::Status-Fd=1");
  arguments.push_back(AbsolutePackagePath(packagePath));
  return arguments;
}

std::string BuildCommandLine(const std::string& packagePath, Privilege privilege) {
  const std::vector<std::string> arguments = BuildInstallerArguments(packagePath, privilege);
  std::string line;
  for (size_t i = 0; i + 1 < arguments.size(); ++i) line.append(arguments[i]).append(" ");
  line.append("\"").append(arguments.back()).append("\"");
  return line;
}

}  // namespace launcher
