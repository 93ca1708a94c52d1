#pragma once
// The launcher program: shows the install information and, on Start, runs
// the installer window on the package and waits for it to end.
#include <QApplication>
#include <optional>
#include <string>

namespace launcher {

class LauncherApp : public QApplication {
  Q_OBJECT
 public:
  LauncherApp(int& argc, char** argv);

  // Takes the install-information file from this folder (ending in '/')
  // instead of the executable's; none goes back to the executable's.
  void SetProgramFolder(std::optional<std::string> folder);

  // Starts this program as the installer window; none goes back to the one
  // found beside the executable or in the installation (InstallerProgram.h).
  void SetInstallerProgram(std::optional<std::string> program);

  // Runs the whole program once and answers its exit status: kExitNormal
  // after Cancel or after the installer ended (or could not be started,
  // after message 1001), kExitInstallInfoUnusable after message 1000.
  int InitInstance();

 private:
  std::optional<std::string> programFolder_;
  std::optional<std::string> installerProgram_;
};

}  // namespace launcher
