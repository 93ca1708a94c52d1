#include "platform/FatalSignalCleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

#include "platform/FileSizeLimitScope.h"
#include "platform/RunFolders.h"
#include "tests/platform/ScopedTestState.h"

namespace {

using platform::FatalSignalCleanup;

int g_report = -1;  // where a child says what happened

void Say(const char* text) noexcept { (void)!::write(g_report, text, std::strlen(text)); }

// Cleanups of two kinds that say their context, with "!" when the handler
// keeps what it may read (MayFree false).
void SayContext(void* context) noexcept {
  Say(static_cast<const char*>(context));
  if (!FatalSignalCleanup::MayFree()) Say("!");
}
void SayAgain(void* context) noexcept { SayContext(context); }

// Runs body in a child that then raises SIGTERM: what the child said, and
// the signal that ended it (-1 for none).
std::pair<std::string, int> InChild(void (*body)()) {
  int ends[2];
  if (pipe(ends) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    g_report = ends[1];
    body();
    raise(SIGTERM);
    _exit(0);
  }
  ::close(ends[1]);
  std::string said;
  for (char c; ::read(ends[0], &c, 1) == 1;) said += c;
  ::close(ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return {said, WIFSIGNALED(status) ? WTERMSIG(status) : -1};
}

TEST(FatalSignalCleanup, CleanupsRunStageByStageFromReusedSlots) {
  const auto [said, signal] = InChild([] {
    static char folder[] = "folder;", gone[] = "gone;", file[] = "file;";
    FatalSignalCleanup::Add(&SayAgain, FatalSignalCleanup::kContainers, folder);
    FatalSignalCleanup::Slot* slot =
        FatalSignalCleanup::Add(&SayContext, FatalSignalCleanup::kContents, gone);
    if (FatalSignalCleanup::Remove(slot) == gone && FatalSignalCleanup::MayFree() &&
        FatalSignalCleanup::Add(&SayContext, FatalSignalCleanup::kContents, file) == slot)
      Say("reused;");
    // A write past the file-size limit fails, also where the handler would
    // end the process by the limit's signal.
    const rlimit limit{4096, RLIM_INFINITY};
    const int fd = fileno(tmpfile());
    char bytes[8192] = {};
    const platform::FileSizeLimitScope scope;
    if (setrlimit(RLIMIT_FSIZE, &limit) == 0 && ::write(fd, bytes, sizeof bytes) == 4096 &&
        ::write(fd, bytes, 1) < 0 && errno == EFBIG)
      Say("too large;");
  });
  EXPECT_EQ(SIGTERM, signal);
  EXPECT_EQ("reused;too large;file;!folder;!", said);
}

std::atomic<int> g_step{0};  // 1: the handler is in the run's cleanup, 2: the run has ended

// flock, through which the handler, in the middle of a run's folders, lets
// the run on the other thread end, and waits until it has.
int LockLettingTheRunEnd(int fd, int operation) {
  int expected = 0;
  if (!FatalSignalCleanup::MayFree() && g_step.compare_exchange_strong(expected, 1)) {
    for (long spins = 0; g_step.load() != 2 && spins < (1L << 32); ++spins) {
    }
  }
  return ::flock(fd, operation);
}

std::string g_made;

TEST(FatalSignalCleanup, ARunEndingWhileAHandlerReadsItLeavesItWhatItReads) {
  // The address sanitizer would end the child with its report on a read of
  // freed memory, not by the signal.
  pntest::TempFolder folder;
  g_made = (folder.Path() / "made").string();
  const auto [said, signal] = InChild([] {
    platform::RunFolders::SetTestHooks({.lock = LockLettingTheRunEnd});
    std::atomic<int> made{0};
    std::thread([&made] {
      {
        platform::RunFolders run;
        made = run.Make(g_made) && run.Make(g_made + "/inner") ? 1 : 2;
        while (g_step.load() != 1) std::this_thread::yield();
      }
      g_step.store(2);
      for (;;) pause();
    }).detach();
    while (made.load() == 0) std::this_thread::yield();
    if (made.load() != 1) Say("not made");
  });
  EXPECT_EQ(SIGTERM, signal);
  EXPECT_EQ("", said);
  EXPECT_FALSE(std::filesystem::exists(g_made));
}

}  // namespace
