#include "platform/TempFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/SystemError.h"
#include "tests/platform/ScopedTestState.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

// Where the open descriptor's file lives (its folder), as the kernel sees it.
std::string FolderOfDescriptor(int fd) {
  std::error_code ignored;
  const std::string link =
      fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ignored).string();
  return link.substr(0, link.rfind('/'));
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

// Replaces target with text through a ReplacementFile; the commit's result.
bool Replace(const std::string& target, const std::string& text, mode_t mode = 0640) {
  platform::ReplacementFile file;
  if (!file.Create(target, "pn", ".pdf", mode)) return false;
  if (!WriteAll(file.OpenPath(), text)) return false;
  return file.Commit();
}

TEST(TempFile, WorkFilesHaveNoNameAndTheirBlocksReserved) {
  pntest::TempFolder folder;
  const int fd = platform::CreateWorkFile(folder.Path(), "pn", 123456);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(Entries(folder.Path()).empty());
  EXPECT_EQ(folder.Path().string(), FolderOfDescriptor(fd));
  struct stat info {};
  ASSERT_EQ(0, fstat(fd, &info));
  EXPECT_EQ(123456, info.st_size);
  EXPECT_EQ(0600u, info.st_mode & 0777u);
  EXPECT_EQ(0, info.st_nlink);
  EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
  close(fd);

  // A folder the caller chose is the only place tried.
  platform::SetLastSystemError(0);
  EXPECT_EQ(-1, platform::CreateWorkFile((folder.Path() / "missing").string(), "pn", 10));
  EXPECT_EQ(ENOENT, platform::GetLastSystemError());
  EXPECT_EQ(-1, platform::CreateWorkFile(folder.Path(), "a/b", 10));
  EXPECT_EQ(EINVAL, platform::GetLastSystemError());
  EXPECT_TRUE(Entries(folder.Path()).empty());
}

TEST(TempFile, AnUnusableTmpdirFallsBackToTmp) {
  pntest::TempFolder folder;
  {
    pntest::ScopedEnv tmpdir("TMPDIR", folder.Folder());
    const int fd = platform::CreateWorkFile("", "pn", 100);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(folder.Path().string(), FolderOfDescriptor(fd));
    close(fd);
  }
  // Missing, and a plain file instead of a folder.
  const std::string plain = (folder.Path() / "plain").string();
  ASSERT_TRUE(WriteAll(plain, "x"));
  for (const std::string& bad : {(folder.Path() / "missing").string(), plain}) {
    pntest::ScopedEnv tmpdir("TMPDIR", bad);
    const int fd = platform::CreateWorkFile("", "pn", 50000);
    ASSERT_GE(fd, 0) << bad;
    EXPECT_EQ("/tmp", FolderOfDescriptor(fd)) << bad;
    close(fd);
  }
  EXPECT_EQ(std::vector<std::string>{"plain"}, Entries(folder.Path()));
}

TEST(TempFile, ResolveLinksFollowsChainsAndDanglingLinks) {
  pntest::TempFolder folder;
  const fs::path root = folder.Path();
  fs::create_directory(root / "real");
  ASSERT_TRUE(WriteAll((root / "real" / "file").string(), "x"));
  fs::create_symlink("real/file", root / "one");          // relative to its folder
  fs::create_symlink(root / "one", root / "two");         // absolute, to a link
  fs::create_symlink("../gone", root / "real" / "dead");  // target not there yet
  fs::create_symlink("loop", root / "loop");

  std::string resolved;
  ASSERT_TRUE(platform::ResolveLinks((root / "two").string(), resolved));
  EXPECT_TRUE(fs::equivalent(root / "real" / "file", resolved)) << resolved;
  ASSERT_TRUE(platform::ResolveLinks((root / "real" / "dead").string(), resolved));
  EXPECT_EQ(fs::weakly_canonical(root / "gone"), fs::weakly_canonical(resolved));
  ASSERT_TRUE(platform::ResolveLinks((root / "plain").string(), resolved));
  EXPECT_EQ((root / "plain").string(), resolved);
  EXPECT_FALSE(platform::ResolveLinks((root / "loop").string(), resolved));
  EXPECT_EQ(ELOOP, platform::GetLastSystemError());

  EXPECT_EQ(".", platform::FolderOf("name.pdf"));
  EXPECT_EQ("/", platform::FolderOf("/name.pdf"));
  EXPECT_EQ("a/b", platform::FolderOf("a/b/name.pdf"));
}

// Behaves, for one scope, as on a file system without O_TMPFILE (FUSE).
class UnnamedFilesRefused {
 public:
  explicit UnnamedFilesRefused(bool refused) {
    platform::SetUnnamedFilesRefusedForTesting(refused);
  }
  ~UnnamedFilesRefused() { platform::SetUnnamedFilesRefusedForTesting(false); }
  UnnamedFilesRefused(const UnnamedFilesRefused&) = delete;
  UnnamedFilesRefused& operator=(const UnnamedFilesRefused&) = delete;
};

// With a file system with or without O_TMPFILE.
class Replacement : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(TempFile, Replacement, ::testing::Values(false, true));

TEST_P(Replacement, AppearsOnlyWhenCommitted) {
  const UnnamedFilesRefused refused(GetParam());
  pntest::TempFolder folder;
  const std::string target = (folder.Path() / "out.pdf").string();
  ASSERT_TRUE(WriteAll(target, "old"));
  {
    platform::ReplacementFile file;
    ASSERT_TRUE(file.Create(target, "pn", ".pdf", 0640));
    ASSERT_TRUE(WriteAll(file.OpenPath(), "new"));
    // Where the file system allows it the new file has no name yet.
    EXPECT_EQ(!GetParam(), file.IsUnnamed());
    EXPECT_EQ(file.IsUnnamed() ? 1u : 2u, Entries(folder.Path()).size());
    EXPECT_EQ("old", ReadAll(target));
    // Dropped without a commit: the old file stays, nothing else.
  }
  EXPECT_EQ(std::vector<std::string>{"out.pdf"}, Entries(folder.Path()));
  EXPECT_EQ("old", ReadAll(target));

  ASSERT_TRUE(Replace(target, "new", 0640));
  EXPECT_EQ("new", ReadAll(target));
  EXPECT_EQ(std::vector<std::string>{"out.pdf"}, Entries(folder.Path()));
  struct stat info {};
  ASSERT_EQ(0, stat(target.c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 0777u);

  // A target that does not exist yet is created with the file's name and
  // mode, and nothing else is left in the folder.
  const std::string fresh = (folder.Path() / "fresh.pdf").string();
  ASSERT_TRUE(Replace(fresh, "first", 0600));
  EXPECT_EQ("first", ReadAll(fresh));
  ASSERT_EQ(0, stat(fresh.c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777u);
  EXPECT_EQ(2u, Entries(folder.Path()).size());
  ASSERT_EQ(0, ::unlink(fresh.c_str()));

  // Without a mode the file gets what any new file of the process gets:
  // 0666 less the umask.
  {
    const mode_t saved = ::umask(027);
    platform::ReplacementFile file;
    const bool created = file.Create(fresh, "pn", ".pdf");
    ::umask(saved);
    ASSERT_TRUE(created);
    ASSERT_TRUE(WriteAll(file.OpenPath(), "new file"));
    ASSERT_TRUE(file.Commit());
  }
  EXPECT_EQ("new file", ReadAll(fresh));
  ASSERT_EQ(0, stat(fresh.c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 0777u);
  ASSERT_EQ(0, ::unlink(fresh.c_str()));

  // A target made by someone else between Create and Commit is replaced,
  // not doubled.
  {
    platform::ReplacementFile file;
    ASSERT_TRUE(file.Create(fresh, "pn", ".pdf", 0644));
    ASSERT_TRUE(WriteAll(file.OpenPath(), "mine"));
    ASSERT_TRUE(WriteAll(fresh, "theirs"));
    ASSERT_TRUE(file.Commit());
  }
  EXPECT_EQ("mine", ReadAll(fresh));
  EXPECT_EQ(2u, Entries(folder.Path()).size());
  ASSERT_EQ(0, ::unlink(fresh.c_str()));

  // A commit that cannot rename (the target is a folder that is not empty)
  // fails, leaves the target as it was and nothing beside it.
  const fs::path busy = folder.Path() / "busy";
  fs::create_directory(busy);
  ASSERT_TRUE(WriteAll((busy / "inside").string(), "i"));
  platform::SetLastSystemError(0);
  EXPECT_FALSE(Replace(busy.string(), "x"));
  EXPECT_NE(0, platform::GetLastSystemError());
  EXPECT_TRUE(fs::is_directory(busy));
  EXPECT_EQ(2u, Entries(folder.Path()).size());
  EXPECT_EQ(std::vector<std::string>{"inside"}, Entries(busy));

  // A folder that does not exist fails at once.
  platform::ReplacementFile file;
  EXPECT_FALSE(file.Create((folder.Path() / "no" / "x.pdf").string(), "pn", ".pdf", 0644));
  EXPECT_EQ(ENOENT, platform::GetLastSystemError());
  EXPECT_FALSE(file.Commit());
}

// Makes a named replacement file in folder in a child process, which then
// waits to be ended; the child's id, or -1 (with a test failure).
pid_t ChildWithNamedFile(const std::string& folder) {
  int ready[2];
  if (pipe(ready) != 0) {
    ADD_FAILURE() << "pipe";
    return -1;
  }
  const pid_t child = fork();
  if (child == 0) {
    ::close(ready[0]);
    platform::SetUnnamedFilesRefusedForTesting(true);
    platform::ReplacementFile file;
    const bool made = file.Create(folder + "/out.pdf", "pn", ".pdf") && !file.IsUnnamed() &&
                      ::write(file.Descriptor(), "data", 4) == 4;
    const char answer = made ? 'y' : 'n';
    if (::write(ready[1], &answer, 1) != 1 || !made) _exit(1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char answer = 'n';
  const bool told = child > 0 && ::read(ready[0], &answer, 1) == 1;
  ::close(ready[0]);
  EXPECT_TRUE(told && answer == 'y') << "the child made no named file";
  return child;
}

// True when the signal's action in this process is to be ignored (a run
// under nohup, say): a process started so is not ended by it at all.
bool Ignored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
         current.sa_handler == SIG_IGN;
}

TEST(TempFile, AFatalSignalRemovesTheNamedReplacementFile) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    if (Ignored(signal)) continue;
    pntest::TempFolder folder;
    const pid_t child = ChildWithNamedFile(folder.Path().string());
    ASSERT_GT(child, 0);
    const std::vector<std::string> named = Entries(folder.Path());
    ASSERT_EQ(1u, named.size());
    EXPECT_EQ(0u, named[0].rfind("pn", 0)) << named[0];
    ASSERT_EQ(0, kill(child, signal));
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    // Ended by the signal itself, as without the handler.
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
    EXPECT_TRUE(Entries(folder.Path()).empty()) << signal;
  }
}

TEST(TempFile, AChildMadeByForkLeavesItsParentsNamedFile) {
  if (Ignored(SIGTERM)) GTEST_SKIP() << "SIGTERM is ignored";
  const UnnamedFilesRefused refused(true);
  pntest::TempFolder folder;
  const std::string target = (folder.Path() / "out.pdf").string();
  platform::ReplacementFile file;
  ASSERT_TRUE(file.Create(target, "pn", ".pdf"));
  ASSERT_FALSE(file.IsUnnamed());
  const pid_t child = fork();
  if (child == 0) {
    for (;;) ::pause();
  }
  ASSERT_GT(child, 0);
  ASSERT_EQ(0, kill(child, SIGTERM));
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(1u, Entries(folder.Path()).size());
  ASSERT_TRUE(WriteAll(file.OpenPath(), "kept"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ("kept", ReadAll(target));
  EXPECT_EQ(std::vector<std::string>{"out.pdf"}, Entries(folder.Path()));
}

}  // namespace
