#include "launcher/core/InstallerCommand.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
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

bool ProgramOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  // execvp's search path where PATH is unset.
  std::string_view rest = path != nullptr ? path : "/bin:/usr/bin";
  for (;;) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    // An empty entry is the current folder.
    const std::string file =
        (folder.empty() ? std::string(".") : std::string(folder)) + "/" + std::string(name);
    struct stat status {};
    if (::stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        ::access(file.c_str(), X_OK) == 0)
      return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

std::vector<std::string> BuildInstallerArguments(const std::string& packagePath,
                                                 Privilege privilege) {
  std::vector<std::string> arguments{std::string(kSessionProgram)};
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
  arguments.emplace_back("-o");
  arguments.emplace_back("DPkg::Lock::Timeout=" + std::to_string(kLockWaitSeconds));
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
