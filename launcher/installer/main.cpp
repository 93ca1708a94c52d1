// FennickInstaller, the installer window that the setup launcher starts on
// the package:  FennickInstaller <package file>
// It ends, once the user has closed it, with the installer's exit status.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>

#include "launcher/core/InstallerCommand.h"
#include "launcher/installer/InstallerWindow.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <package file>\n", argc > 0 ? argv[0] : "FennickInstaller");
    return 2;
  }
  // The toolkit is not shown the package path, so that no path is ever
  // taken for one of its options.
  std::string packagePath = argv[1];
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argv[0], nullptr};
  QApplication app(toolkitArgc, toolkitArgv);

  installer::InstallerWindow window(std::move(packagePath), launcher::CurrentPrivilege());
  window.show();
  // Starts once the window is on the screen, so that the password prompt
  // comes up over it.
  QTimer::singleShot(0, &window, &installer::InstallerWindow::Start);
  window.exec();
  return window.Outcome() ? window.Outcome()->exitStatus : 1;
}
