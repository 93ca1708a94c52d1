// Fennick, the setup launcher.
#include "launcher/LauncherApp.h"

int main(int argc, char** argv) {
  launcher::LauncherApp app(argc, argv);
  // The status is handed to exit() by returning from main, after the
  // application object has torn down its windows.
  return app.InitInstance();
}
