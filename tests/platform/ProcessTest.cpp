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

}  // namespace
