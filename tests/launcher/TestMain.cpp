// Gives every launcher test the one application object of the process.
#include "launcher/LauncherApp.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class LauncherAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // Qt makes a runtime folder under the temporary folder when none is
    // set; the tests give it one of their own and remove it at the end.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
      const char* base = std::getenv("TMPDIR");
      std::string pattern =
          std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pnlauncherXXXXXX";
      if (mkdtemp(pattern.data()) != nullptr) {
        runtime_ = pattern;
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
      }
    }
    static int argc = 1;
    static char name[] = "launcher_tests";
    static char* argv[] = {name, nullptr};
    app_ = new launcher::LauncherApp(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
    if (!runtime_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(runtime_, ignored);
    }
  }

 private:
  launcher::LauncherApp* app_ = nullptr;
  std::string runtime_;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new LauncherAppEnvironment);

}  // namespace
