#pragma once
// The launcher program: shows the install information and, on Start, runs
// the installer on the package and waits for it to end.
#include <QApplication>
#include <optional>
#include <string>

#include "launcher/core/InstallerCommand.h"

namespace launcher {

class LauncherApp : public QApplication {
  Q_OBJECT
 public:
  LauncherApp(int& argc, char** argv);

  // Takes the install-information file from this folder (ending in '/')
  // instead of the executable's; none goes back to the executable's.
  void SetProgramFolder(std::optional<std::string> folder);

  // Runs the installer as if the launcher ran with this privilege; none goes
  // back to the process's own (its effective user id).
  void SetPrivilege(std::optional<Privilege> privilege);

  // Runs the whole program once and answers its exit status: kExitNormal
  // after Cancel or after the installer ended (or could not be started,
  // after message 1001), kExitInstallInfoUnusable after message 1000.
  int InitInstance();

 private:
  std::optional<std::string> programFolder_;
  std::optional<Privilege> privilege_;
};

}  // namespace launcher
