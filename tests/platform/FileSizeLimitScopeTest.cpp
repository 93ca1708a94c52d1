#include "platform/FileSizeLimitScope.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/FatalSignalCleanup.h"
#include "tests/platform/ScopedTestState.h"

namespace {

volatile sig_atomic_t g_handled = 0;

void Handle(int) { g_handled = 1; }

// Exit codes of the child: the write past the limit failed with EFBIG (1),
// the program's own handler ran (2).
constexpr int kFailed = 1;
constexpr int kHandled = 2;

TEST(FileSizeLimitScope, AWritePastTheLimitFailsWhereTheSignalWouldEndTheProcess) {
  pntest::TempFolder folder;
  const std::string path = (folder.Path() / "big").string();
  const struct Case {
    const char* action;
    void (*set)();
    bool scoped;
    int endedBy;  // the signal that ends the child, or 0
    int exitCode;
  } cases[] = {
      {"the default, no scope", [] {}, false, SIGXFSZ, 0},
      {"the default", [] {}, true, 0, kFailed},
      {"the fatal-signal cleanup's", [] { platform::FatalSignalCleanup::Prepare(); }, true, 0,
       kFailed},
      {"ignored", [] { signal(SIGXFSZ, SIG_IGN); }, true, 0, kFailed},
      {"the program's own handler, left to it", [] { signal(SIGXFSZ, &Handle); }, true, 0,
       kFailed | kHandled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    const pid_t child = fork();
    if (child == 0) {
      c.set();
      const rlimit limit{4096, 4096};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(99);
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      const std::vector<char> bytes(8192, 'x');
      bool failed = false;
      if (c.scoped) {
        const platform::FileSizeLimitScope scope;
        failed = ::write(fd, bytes.data(), 4096) == 4096 && ::write(fd, bytes.data(), 1) < 0 &&
                 errno == EFBIG;
      } else {
        (void)!::write(fd, bytes.data(), bytes.size());
        (void)!::write(fd, bytes.data(), bytes.size());
      }
      _exit((failed ? kFailed : 0) | (g_handled ? kHandled : 0));
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    if (c.endedBy != 0) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.endedBy) << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.exitCode) << status;
    }
  }
}

}  // namespace
