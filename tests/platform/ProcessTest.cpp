#include "platform/Process.h"

#include "platform/SystemError.h"
#include "tests/platform/ScopedTestState.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using pntest::ScopedEnv;

// A folder of its own for one test, removed with everything in it afterwards.
class TempFolder : public pntest::TempFolder {
 public:
  TempFolder() : pntest::TempFolder("proctest") {}
};

void WriteScript(const fs::path& path, const std::string& body, bool executable = true) {
  std::ofstream(path, std::ios::binary) << "#!/bin/sh\n" << body;
  fs::permissions(
      path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Splits the NUL-terminated records that `printf '%s\0'` wrote.
std::vector<std::string> SplitRecords(const std::string& bytes) {
  std::vector<std::string> records;
  std::string current;
  for (char c : bytes) {
    if (c == '\0') {
      records.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  return records;
}

// A folder holding a program "recorder" that writes each argument it gets,
// NUL-terminated, to the file "args" beside it and then exits with `status`.
class RecorderFixture : public ::testing::Test {
 protected:
  void SetUpRecorder(const std::string& extra = "exit 0\n") {
    WriteScript(folder_.Path() / "recorder",
                "printf '%s\\0' \"$0\" \"$@\" > '" + ArgsPath().string() + "'\n" + extra);
  }
  fs::path ArgsPath() const { return folder_.Path() / "args"; }
  std::vector<std::string> RecordedArgs() const { return SplitRecords(ReadFile(ArgsPath())); }

  TempFolder folder_;
};

TEST_F(RecorderFixture, EveryArgumentArrivesWholeAndUnchanged) {
  SetUpRecorder();
  ScopedEnv path("PATH", folder_.Path().string() + ":/usr/bin:/bin");
  const std::vector<std::string> argv = {
      "recorder",
      "/i",
      "/opt/my folder/\"quoted\" name.msi",
      "a\" \"b",  // a quote pair that a command line would re-split
      "",         // an empty argument is still an argument
      "$(touch injected) `touch injected2`; | & > x",
      "日本語 パッケージ.msi",
      "line\nbreak\ttab",
      "\xff\xfe not UTF-8",
      "ALLUSERS=2",
  };
  platform::ProcessRun run = platform::RunProcess(argv);
  ASSERT_TRUE(run.start.Started()) << platform::SystemErrorText(run.start.error);
  EXPECT_EQ(platform::ProcessEnd::Kind::Exited, run.end.kind);
  EXPECT_EQ(0, run.end.code);

  std::vector<std::string> recorded = RecordedArgs();
  ASSERT_EQ(argv.size(), recorded.size());
  // $0 of a script found on PATH is the full path that the lookup produced.
  EXPECT_EQ((folder_.Path() / "recorder").string(), recorded[0]);
  for (size_t i = 1; i < argv.size(); ++i) EXPECT_EQ(argv[i], recorded[i]) << "argument " << i;
  EXPECT_FALSE(fs::exists("injected"));
  EXPECT_FALSE(fs::exists(folder_.Path() / "injected"));
}

TEST_F(RecorderFixture, LooksUpTheProgramOnPathInOrder) {
  TempFolder other;
  WriteScript(other.Path() / "recorder", "echo wrong > '" + ArgsPath().string() + "'\n");
  SetUpRecorder();
  ScopedEnv path("PATH", folder_.Path().string() + ":" + other.Path().string());
  platform::ProcessRun run = platform::RunProcess({"recorder", "x"});
  ASSERT_TRUE(run.start.Started());
  std::vector<std::string> recorded = RecordedArgs();
  ASSERT_EQ(2u, recorded.size());
  EXPECT_EQ("x", recorded[1]);

  // The current folder is not searched unless PATH names it.
  ScopedEnv elsewhere("PATH", other.Path().string());
  const fs::path old = fs::current_path();
  fs::current_path(folder_.Path());
  fs::remove(other.Path() / "recorder");
  platform::ProcessStart start = platform::StartProcess({"recorder"});
  fs::current_path(old);
  EXPECT_FALSE(start.Started());
  EXPECT_EQ(ENOENT, start.error);
}

TEST_F(RecorderFixture, WaitsForTheEndAndReportsTheExitStatus) {
  SetUpRecorder("sleep 1\necho done > '" + (folder_.Path() / "finished").string() + "'\nexit 5\n");
  ScopedEnv path("PATH", folder_.Path().string() + ":/usr/bin:/bin");
  const auto before = std::chrono::steady_clock::now();
  platform::ProcessRun run = platform::RunProcess({"recorder"});
  const auto elapsed = std::chrono::steady_clock::now() - before;
  ASSERT_TRUE(run.start.Started());
  EXPECT_TRUE(fs::exists(folder_.Path() / "finished"));
  EXPECT_GE(elapsed, std::chrono::milliseconds(900));
  EXPECT_EQ(platform::ProcessEnd::Kind::Exited, run.end.kind);
  EXPECT_EQ(5, run.end.code);
}

TEST_F(RecorderFixture, ReportsAnEndBySignal) {
  SetUpRecorder("kill -TERM $$\nsleep 5\n");
  ScopedEnv path("PATH", folder_.Path().string() + ":/usr/bin:/bin");
  platform::ProcessRun run = platform::RunProcess({"recorder"});
  ASSERT_TRUE(run.start.Started());
  EXPECT_EQ(platform::ProcessEnd::Kind::Signalled, run.end.kind);
  EXPECT_EQ(SIGTERM, run.end.code);
}

TEST_F(RecorderFixture, ChildGetsDefaultSignalsAndNoStrayDescriptors) {
  // The caller ignores SIGTERM, blocks SIGINT and holds a descriptor open
  // without close-on-exec; none of that may reach the new program.
  const int fd = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(fd, 3);
  struct sigaction ignore {
  }, oldTerm{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGTERM, &ignore, &oldTerm);
  sigset_t block, oldMask;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  pthread_sigmask(SIG_BLOCK, &block, &oldMask);

  const fs::path fds = folder_.Path() / "fds";
  SetUpRecorder("ls /proc/$$/fd > '" + fds.string() + "'\nkill -TERM $$\nsleep 5\n");
  ScopedEnv path("PATH", folder_.Path().string() + ":/usr/bin:/bin");
  platform::ProcessRun run = platform::RunProcess({"recorder"});

  pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  ::close(fd);

  ASSERT_TRUE(run.start.Started());
  EXPECT_EQ(platform::ProcessEnd::Kind::Signalled, run.end.kind);
  std::istringstream listing(ReadFile(fds));
  std::string entry;
  std::vector<std::string> open;
  while (listing >> entry) open.push_back(entry);
  EXPECT_EQ(std::find(open.begin(), open.end(), std::to_string(fd)), open.end())
      << "descriptor " << fd << " was inherited";
}

TEST_F(RecorderFixture, FailuresToStartAreReportedWithTheirCause) {
  ScopedEnv path("PATH", folder_.Path().string());
  platform::SetLastSystemError(0);
  platform::ProcessStart missing = platform::StartProcess({"no-such-program-here", "a"});
  EXPECT_FALSE(missing.Started());
  EXPECT_EQ(ENOENT, missing.error);
  EXPECT_EQ(ENOENT, platform::GetLastSystemError());

  WriteScript(folder_.Path() / "plain", "exit 0\n", /*executable=*/false);
  platform::ProcessStart notExecutable = platform::StartProcess({"plain"});
  EXPECT_FALSE(notExecutable.Started());
  EXPECT_EQ(EACCES, notExecutable.error);

  EXPECT_EQ(EINVAL, platform::StartProcess({}).error);
  EXPECT_EQ(ENOENT, platform::StartProcess({""}).error);

  // An argument with a NUL byte cannot be passed whole: nothing starts.
  SetUpRecorder();
  platform::ProcessStart cut = platform::StartProcess({"recorder", std::string("a\0b", 3)});
  EXPECT_FALSE(cut.Started());
  EXPECT_EQ(EINVAL, cut.error);
  EXPECT_FALSE(fs::exists(ArgsPath()));

  platform::ProcessRun run = platform::RunProcess({"no-such-program-here"});
  EXPECT_FALSE(run.start.Started());
}

TEST(Process, WaitingForNoChildFails) {
  platform::ProcessEnd end = platform::WaitForProcess(0);
  EXPECT_EQ(platform::ProcessEnd::Kind::WaitFailed, end.kind);
  end = platform::WaitForProcess(::getpid());  // not a child of ours
  EXPECT_EQ(platform::ProcessEnd::Kind::WaitFailed, end.kind);
  EXPECT_EQ(ECHILD, end.code);
}

TEST(Process, AProgramGivenWithASlashIsNotLookedUp) {
  TempFolder folder;
  WriteScript(folder.Path() / "tool", "exit 7\n");
  ScopedEnv path("PATH", "/nonexistent");
  platform::ProcessRun run = platform::RunProcess({(folder.Path() / "tool").string()});
  ASSERT_TRUE(run.start.Started());
  EXPECT_EQ(7, run.end.code);
}

// The descriptors the test process holds open.
size_t OpenDescriptorCount() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Reads both pipes of a process started with its output piped until both end
// and the process has ended.
struct PipedRun {
  std::string output;
  std::string error;
  platform::ProcessEnd end;
};
PipedRun FollowPipes(pid_t pid, platform::ProcessOutput pipes) {
  PipedRun run;
  bool outputOpen = true, errorOpen = true;
  std::optional<platform::ProcessEnd> end;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((outputOpen || errorOpen || !end) && std::chrono::steady_clock::now() < deadline) {
    if (outputOpen) outputOpen = platform::ReadAvailable(pipes.output, run.output, 1 << 20);
    if (errorOpen) errorOpen = platform::ReadAvailable(pipes.error, run.error, 1 << 20);
    if (!end) end = platform::PollProcess(pid);
    ::usleep(10000);
  }
  EXPECT_FALSE(outputOpen) << "the output never ended";
  EXPECT_FALSE(errorOpen) << "the errors never ended";
  if (end) run.end = *end;
  ::close(pipes.output);
  ::close(pipes.error);
  return run;
}

TEST_F(RecorderFixture, OutputAndErrorsComeThroughPipesOfTheirOwn) {
  const fs::path input = folder_.Path() / "input";
  SetUpRecorder("echo out; echo err >&2; cat > '" + input.string() +
                "'; printf 'no line end'; exit 3\n");
  ScopedEnv path("PATH", folder_.Path().string() + ":/usr/bin:/bin");
  const size_t before = OpenDescriptorCount();
  platform::ProcessOutput pipes;
  const std::vector<std::string> argv = {"recorder", "a b", "\xff\xfe not UTF-8"};
  const platform::ProcessStart start = platform::StartProcessWithOutput(argv, pipes);
  ASSERT_TRUE(start.Started()) << platform::SystemErrorText(start.error);
  ASSERT_GE(pipes.output, 3);
  ASSERT_GE(pipes.error, 3);
  // The caller's ends never wait, and no other program gets them.
  for (int fd : {pipes.output, pipes.error}) {
    EXPECT_TRUE(::fcntl(fd, F_GETFL) & O_NONBLOCK);
    EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
  }
  EXPECT_EQ(before + 2, OpenDescriptorCount());

  const PipedRun run = FollowPipes(start.pid, pipes);
  EXPECT_EQ("out\nno line end", run.output);
  EXPECT_EQ("err\n", run.error);
  EXPECT_EQ(platform::ProcessEnd::Kind::Exited, run.end.kind);
  EXPECT_EQ(3, run.end.code);
  // The standard input is empty: reading it ends at once.
  EXPECT_TRUE(fs::exists(input));
  EXPECT_EQ("", ReadFile(input));
  // The arguments arrive unchanged, as with StartProcess.
  const std::vector<std::string> recorded = RecordedArgs();
  ASSERT_EQ(3u, recorded.size());
  EXPECT_EQ(argv[1], recorded[1]);
  EXPECT_EQ(argv[2], recorded[2]);
  EXPECT_EQ(before, OpenDescriptorCount());
}

TEST_F(RecorderFixture, ReadingAndPollingNeverWait) {
  SetUpRecorder("head -c 10000 /dev/zero; sleep 2\n");
  ScopedEnv path("PATH", folder_.Path().string() + ":/usr/bin:/bin");
  platform::ProcessOutput pipes;
  const platform::ProcessStart start = platform::StartProcessWithOutput({"recorder"}, pipes);
  ASSERT_TRUE(start.Started());
  // Still running: polling answers none, reading an empty pipe answers at
  // once that more may come.
  EXPECT_EQ(std::nullopt, platform::PollProcess(start.pid));
  std::string errors;
  EXPECT_TRUE(platform::ReadAvailable(pipes.error, errors, 100));
  EXPECT_EQ("", errors);
  // Never more than asked for at a time.
  std::string output;
  while (output.empty()) {
    EXPECT_TRUE(platform::ReadAvailable(pipes.output, output, 100));
    ::usleep(10000);
  }
  EXPECT_EQ(100u, output.size());
  const PipedRun rest = FollowPipes(start.pid, pipes);
  EXPECT_EQ(9900u, rest.output.size());
  EXPECT_EQ(0, rest.end.code);
}

TEST_F(RecorderFixture, AFailedStartWithPipesLeavesNothingOpen) {
  ScopedEnv path("PATH", folder_.Path().string());
  const size_t before = OpenDescriptorCount();
  platform::ProcessOutput pipes;
  pipes.output = 12345;
  const platform::ProcessStart start =
      platform::StartProcessWithOutput({"no-such-program-here"}, pipes);
  EXPECT_FALSE(start.Started());
  EXPECT_EQ(ENOENT, start.error);
  EXPECT_EQ(-1, pipes.output);
  EXPECT_EQ(-1, pipes.error);
  EXPECT_EQ(EINVAL, platform::StartProcessWithOutput({}, pipes).error);
  EXPECT_EQ(before, OpenDescriptorCount());
}

TEST(Process, PollingNoChildFails) {
  std::optional<platform::ProcessEnd> end = platform::PollProcess(0);
  ASSERT_TRUE(end);
  EXPECT_EQ(platform::ProcessEnd::Kind::WaitFailed, end->kind);
  end = platform::PollProcess(::getpid());
  ASSERT_TRUE(end);
  EXPECT_EQ(platform::ProcessEnd::Kind::WaitFailed, end->kind);
  EXPECT_EQ(ECHILD, end->code);
}

}  // namespace
