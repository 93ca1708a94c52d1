#include "launcher/core/InstallerCommand.h"

#include "platform/Process.h"

namespace launcher {

std::string BuildCommandLine(std::string_view packagePath) {
  std::string line;
  line.reserve(packagePath.size() + 32);
  line.append(kInstallerProgram).append(" /i");
  line.append(" \"").append(packagePath).append("\" ");
  line.append("ALLUSERS=2");
  return line;
}

std::vector<std::string> BuildInstallerArguments(const std::string& packagePath) {
  return {std::string(kInstallerProgram), "/i", packagePath, "ALLUSERS=2"};
}

InstallerRun RunInstaller(const std::string& packagePath) {
  const platform::ProcessRun run = platform::RunProcess(BuildInstallerArguments(packagePath));
  InstallerRun result;
  result.started = run.start.Started();
  result.error = run.start.error;
  return result;
}

}  // namespace launcher
