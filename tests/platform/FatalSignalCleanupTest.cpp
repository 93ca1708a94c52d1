#include "platform/FatalSignalCleanup.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/RunFolders.h"
#include "tests/platform/ScopedTestState.h"

namespace {

using platform::FatalSignalCleanup;

int g_report = -1;  // where a child's cleanups say what they did

void Say(const char* text) noexcept { (void)!::write(g_report, text, std::strlen(text)); }

// Cleanups that say their context, and "!" when the handler that runs them
// keeps what it may read (MayFree false).
void SayContents(void* context) noexcept {
  Say(static_cast<const char*>(context));
  if (!FatalSignalCleanup::MayFree()) Say("!");
}
void SayContainer(void* context) noexcept { Say(static_cast<const char*>(context)); }

struct Ended {
  std::string said;
  int status = 0;
};

// Runs body in a child whose cleanups and body report on a pipe, then sends
// the child the signal; what was said and how the child ended.
Ended RunInChild(int signal, void (*body)()) {
  Ended ended;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return ended;
  const pid_t child = fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    g_report = pipeEnds[1];
    body();
    ::raise(signal);
    _exit(0);
  }
  ::close(pipeEnds[1]);
  char block[256];
  ssize_t n;
  while ((n = ::read(pipeEnds[0], block, sizeof block)) > 0)
    ended.said.append(block, static_cast<size_t>(n));
  ::close(pipeEnds[0]);
  waitpid(child, &ended.status, 0);
  return ended;
}

TEST(FatalSignalCleanup, CleanupsRunStageByStageOnlyInTheProcessThatRegisteredThem) {
  // Registered out of stage order, one taken back; a child made by fork
  // and ended by a signal runs none of its parent's.
  const Ended ended = RunInChild(SIGTERM, [] {
    static char folder[] = "folder;";
    static char gone[] = "taken back;";
    static char file[] = "file;";
    FatalSignalCleanup::Add(&SayContainer, FatalSignalCleanup::kContainers, folder);
    FatalSignalCleanup::Slot* taken =
        FatalSignalCleanup::Add(&SayContents, FatalSignalCleanup::kContents, gone);
    if (FatalSignalCleanup::Remove(taken) == gone && FatalSignalCleanup::MayFree()) Say("free;");
    FatalSignalCleanup::Add(&SayContents, FatalSignalCleanup::kContents, file);
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      ::raise(SIGTERM);
      _exit(0);
    }
    int status = 0;
    waitpid(grandchild, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) Say("grandchild ended;");
  });
  EXPECT_TRUE(WIFSIGNALED(ended.status) && WTERMSIG(ended.status) == SIGTERM) << ended.status;
  EXPECT_EQ("free;grandchild ended;file;!folder;", ended.said);
}

TEST(FatalSignalCleanup, SlotsAreReusedForTheSameCleanupOnly) {
  static char one[] = "one";
  static char two[] = "two";
  FatalSignalCleanup::Slot* first =
      FatalSignalCleanup::Add(&SayContents, FatalSignalCleanup::kContents, one);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(one, FatalSignalCleanup::Remove(first));
  EXPECT_EQ(first, FatalSignalCleanup::Add(&SayContents, FatalSignalCleanup::kContents, two));
  FatalSignalCleanup::Slot* other =
      FatalSignalCleanup::Add(&SayContainer, FatalSignalCleanup::kContainers, one);
  EXPECT_NE(first, other);
  EXPECT_EQ(two, FatalSignalCleanup::Remove(first));
  EXPECT_EQ(one, FatalSignalCleanup::Remove(other));
  EXPECT_EQ(nullptr, FatalSignalCleanup::Remove(nullptr));
  EXPECT_TRUE(FatalSignalCleanup::MayFree());
}

std::atomic<bool> g_handling{false};
std::atomic<int> g_step{0};  // 1: the handler is in the run's cleanup, 2: the run has ended

void NoteTheHandler(void*) noexcept { g_handling.store(true); }

// flock, through which the handler, in the middle of the run's cleanup,
// lets the run on the other thread end and waits (a few seconds at most)
// until it has.
int LockLettingTheRunEnd(int fd, int operation) {
  int expected = 0;
  if (g_handling.load() && g_step.compare_exchange_strong(expected, 1)) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (timespec now = start; g_step.load() != 2 && now.tv_sec - start.tv_sec < 10;)
      clock_gettime(CLOCK_MONOTONIC, &now);
  }
  return ::flock(fd, operation);
}

std::string g_made;

TEST(FatalSignalCleanup, ARunEndingOnAnotherThreadWhileAHandlerReadsItLeavesItWhatItReads) {
  // The handler, in the middle of a run's folders, waits while the run
  // ends on another thread and takes them off; it then reads on. What it
  // reads is still there: the address sanitizer would end the child with
  // its report on a read of freed memory, instead of the signal.
  pntest::TempFolder folder;
  g_made = (folder.Path() / "made").string();
  const Ended ended = RunInChild(SIGTERM, [] {
    static char note[] = "note";
    FatalSignalCleanup::Add(&NoteTheHandler, FatalSignalCleanup::kContents, note);
    platform::RunFolders::TestHooks hooks;
    hooks.lock = &LockLettingTheRunEnd;
    platform::RunFolders::SetTestHooks(hooks);
    std::atomic<int> made{0};  // 1 made, 2 not
    std::thread([&made] {
      {
        platform::RunFolders run;
        made.store(run.Make(g_made) && run.Make(g_made + "/inner") ? 1 : 2);
        while (g_step.load() != 1) std::this_thread::yield();
      }
      g_step.store(2);
      for (;;) pause();
    }).detach();
    while (made.load() == 0) std::this_thread::yield();
    if (made.load() != 1) Say("not made;");
  });
  EXPECT_TRUE(WIFSIGNALED(ended.status) && WTERMSIG(ended.status) == SIGTERM) << ended.status;
  EXPECT_EQ("", ended.said);
  EXPECT_FALSE(std::filesystem::exists(g_made));
}

}  // namespace
