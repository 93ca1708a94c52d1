#include "platform/FatalSignalCleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/FileSizeLimitScope.h"
#include "platform/RunFolders.h"
#include "tests/platform/ScopedTestState.h"

namespace {

using platform::FatalSignalCleanup;

// What a child says, on standard error, which its death test matches.
void Say(const char* text) noexcept { (void)!::write(2, text, std::strlen(text)); }

// A cleanup that says its context, with "!" when the handler keeps what it
// may read (MayFree false).
void SayContext(void* context) noexcept {
  Say(static_cast<const char*>(context));
  if (!FatalSignalCleanup::MayFree()) Say("!");
}

std::atomic<int> g_step{0};  // 1: the handler is in the run's cleanup, 2: the run has ended

// flock, through which the handler, in the middle of a run's folders, lets
// the run on the other thread end, and waits until it has.
int LockLettingTheRunEnd(int fd, int operation) {
  if (!FatalSignalCleanup::MayFree() && g_step.exchange(1) == 0)
    for (long spins = 0; g_step.load() != 2 && spins < (1L << 32);) ++spins;
  return ::flock(fd, operation);
}

// One child: its cleanups run stage by stage from reused slots, and a run
// ending on another thread while the handler reads it leaves it what it
// reads (the address sanitizer would end the child with its report).
TEST(FatalSignalCleanup, CleanupsRunByStageFromReusedSlotsAndKeepWhatTheyRead) {
  pntest::TempFolder temp;
  const std::string made = (temp.Path() / "made").string();
  const auto body = [&] {
    static char folder[] = "folder;", gone[] = "gone;", file[] = "file;";
    FatalSignalCleanup::Slot* slot =
        FatalSignalCleanup::Add(&SayContext, FatalSignalCleanup::kContents, gone);
    if (FatalSignalCleanup::Remove(slot) == gone && FatalSignalCleanup::MayFree() &&
        FatalSignalCleanup::Add(&SayContext, FatalSignalCleanup::kContents, file) == slot)
      Say("reused;");
    FatalSignalCleanup::Add(&SayContext, FatalSignalCleanup::kContainers, folder);  // run last
    platform::RunFolders::SetTestHooks({.lock = LockLettingTheRunEnd});
    auto* run = new platform::RunFolders;
    if (!run->Make(made) || !run->Make(made + "/inner")) Say("not made;");
    std::thread([run] {
      while (g_step.load() != 1) std::this_thread::yield();
      delete run;
      g_step.store(2);
    }).detach();
    // A write past the file-size limit fails, also where the handler would
    // end the process by the limit's signal.
    const rlimit limit{4096, RLIM_INFINITY};
    const int fd = fileno(tmpfile());
    char bytes[8192] = {};
    const platform::FileSizeLimitScope scope;
    if (setrlimit(RLIMIT_FSIZE, &limit) == 0 && ::write(fd, bytes, sizeof bytes) == 4096 &&
        ::write(fd, bytes, 1) < 0 && errno == EFBIG)
      Say("too large;");
  };
  EXPECT_EXIT((body(), raise(SIGTERM)), testing::KilledBySignal(SIGTERM),
              "^reused;too large;file;!folder;!$");
  EXPECT_FALSE(std::filesystem::exists(made));
}

}  // namespace
