#include "launcher/LauncherApp.h"

#include "launcher/LauncherDialog.h"
#include "launcher/LauncherMessage.h"
#include "launcher/core/ExitStatus.h"
#include "launcher/core/InstallerProgram.h"
#include "launcher/core/LauncherStrings.h"
#include "launcher/core/ProgramLocation.h"

#include <utility>

namespace launcher {

LauncherApp::LauncherApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationVersion(QStringLiteral("1.0.0.12045"));
  // The program ends when InitInstance returns, not when a window closes: the
  // closing dialog must not cut short the message box that may follow it.
  setQuitOnLastWindowClosed(false);
}

void LauncherApp::SetProgramFolder(std::optional<std::string> folder) {
  programFolder_ = std::move(folder);
}

void LauncherApp::SetInstallerProgram(std::optional<std::string> program) {
  installerProgram_ = std::move(program);
}

int LauncherApp::InitInstance() {
  std::string packagePath;
  {
    // The dialog is gone before the installer starts: the launcher waits
    // without any window of its own.
    LauncherDialog dialog;
    if (programFolder_) dialog.SetProgramFolder(*programFolder_);
    const int result = dialog.DoModal();
    if (result == LauncherDialog::kResultInitFailed) return kExitInstallInfoUnusable;
    if (result != LauncherDialog::kResultStart) return kExitNormal;
    packagePath = dialog.PackagePath();
  }
  processEvents();  // lets the closed window leave the screen before the wait

  // The installer window shows the progress and the outcome; the launcher
  // only waits for it.
  std::optional<std::string> program = installerProgram_;
  if (!program)
    program = FindInstallerProgram(InstallerProgramFolders(ProgramFolder().value_or("")));
  const InstallerRun run = program ? RunInstaller(*program, packagePath) : InstallerRun{};
  if (!run.started) ShowStopMessage(nullptr, kIdsStartFailed);
  return kExitNormal;
}

}  // namespace launcher
