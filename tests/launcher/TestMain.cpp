// Gives every launcher test the one application object of the process.
#include "launcher/LauncherApp.h"

#include <gtest/gtest.h>

namespace {

class LauncherAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "launcher_tests";
    static char* argv[] = {name, nullptr};
    app_ = new launcher::LauncherApp(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  launcher::LauncherApp* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new LauncherAppEnvironment);

}  // namespace
