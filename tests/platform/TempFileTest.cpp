#include "platform/TempFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
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

// A child process with a named replacement file (as on a file system
// without O_TMPFILE). Before it makes the file it sets its action for one
// signal as asked and turns core dumps off; then it runs `then` (a fault,
// say) or answers every byte the parent writes until it is ended.
class ChildWithFile {
 public:
  explicit ChildWithFile(const std::string& folder, int signal = 0, void (*action)(int) = SIG_DFL,
                         void (*then)() = nullptr) {
    // A socket rather than a pipe: writing to a child that has ended fails
    // without a SIGPIPE.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
      ADD_FAILURE() << "socketpair";
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      ::close(ends[0]);
      const struct rlimit none {};
      ::setrlimit(RLIMIT_CORE, &none);
      if (signal != 0) ::signal(signal, action);
      platform::SetUnnamedFilesRefusedForTesting(true);
      platform::ReplacementFile file;
      const bool made = file.Create(folder + "/out.pdf", "pn", ".pdf") && !file.IsUnnamed() &&
                        ::write(file.Descriptor(), "data", 4) == 4;
      ::prctl(PR_SET_DUMPABLE, 0);
      const char answer = made ? 'y' : 'n';
      if (::send(ends[1], &answer, 1, MSG_NOSIGNAL) != 1 || !made) _exit(1);
      if (then != nullptr) then();
      char byte = 0;
      while (::recv(ends[1], &byte, 1, 0) == 1) {
        if (::send(ends[1], &byte, 1, MSG_NOSIGNAL) != 1) break;
      }
      _exit(0);
    }
    ::close(ends[1]);
    socket_ = ends[0];
    char answer = 'n';
    const bool told = pid_ > 0 && ::recv(socket_, &answer, 1, 0) == 1;
    EXPECT_TRUE(told && answer == 'y') << "the child made no named file";
  }
  ~ChildWithFile() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (socket_ >= 0) ::close(socket_);
  }
  ChildWithFile(const ChildWithFile&) = delete;
  ChildWithFile& operator=(const ChildWithFile&) = delete;

  pid_t Id() const { return pid_; }
  // Whether the child still answers (it has taken every signal sent before).
  bool Answers() {
    const char byte = 'a';
    char back = 0;
    return ::send(socket_, &byte, 1, MSG_NOSIGNAL) == 1 && ::recv(socket_, &back, 1, 0) == 1 &&
           back == byte;
  }
  // How the child ended.
  int Wait() {
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) ADD_FAILURE() << "waitpid";
    ended_ = true;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int socket_ = -1;
  bool ended_ = false;
};

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
    ChildWithFile child(folder.Path().string());
    ASSERT_GT(child.Id(), 0);
    const std::vector<std::string> named = Entries(folder.Path());
    ASSERT_EQ(1u, named.size());
    EXPECT_EQ(0u, named[0].rfind("pn", 0)) << named[0];
    ASSERT_EQ(0, kill(child.Id(), signal));
    const int status = child.Wait();
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

std::string SignalName(int signal) {
  const char* text = strsignal(signal);
  return std::to_string(signal) + " (" + (text ? text : "?") + ")";
}

TEST(TempFile, EverySignalThatEndsTheProcessRemovesTheNamedFile) {
  std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                              SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                              SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGSYS};
#ifdef SIGSTKFLT
  signals.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
  signals.push_back(SIGPWR);
#endif
  for (int signal : {SIGRTMIN, SIGRTMIN + 1, (SIGRTMIN + SIGRTMAX) / 2, SIGRTMAX})
    signals.push_back(signal);
  for (int signal : signals) {
    pntest::TempFolder folder;
    ChildWithFile child(folder.Path().string(), signal, SIG_DFL);
    ASSERT_GT(child.Id(), 0);
    const std::vector<std::string> named = Entries(folder.Path());
    ASSERT_EQ(1u, named.size()) << SignalName(signal);
    EXPECT_EQ(0u, named[0].rfind("pn", 0)) << named[0];
    ASSERT_EQ(0, kill(child.Id(), signal));
    const int status = child.Wait();
    // Ended by the signal itself, as without the handler.
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
        << SignalName(signal) << " status " << status;
    EXPECT_TRUE(Entries(folder.Path()).empty()) << SignalName(signal);
  }
}

void WriteToAForbiddenPage() {
  void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page != MAP_FAILED) *static_cast<volatile char*>(page) = 1;
}

void ReadPastTheEndOfAMappedFile() {
  FILE* empty = tmpfile();
  void* page = empty ? mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fileno(empty), 0) : MAP_FAILED;
  if (page != MAP_FAILED) (void)*static_cast<volatile char*>(page);
}

// Calls itself until the stack is gone; the limit is never reached, but
// the compiler cannot know that.
volatile int g_depthLimit = std::numeric_limits<int>::max();
int Recurse(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  if (depth >= g_depthLimit) return frame[0];
  return Recurse(depth + 1) + frame[0];
}

void OverflowTheStack() { (void)Recurse(0); }

void Trap() { __builtin_trap(); }

void Abort() { std::abort(); }

TEST(TempFile, AFaultOrAnAbortRemovesTheNamedFile) {
  const struct {
    void (*fault)();
    int signal;
  } cases[] = {
      {WriteToAForbiddenPage, SIGSEGV},
      {OverflowTheStack, SIGSEGV},
      {ReadPastTheEndOfAMappedFile, SIGBUS},
      {Trap, SIGILL},
      {Abort, SIGABRT},
  };
  for (const auto& c : cases) {
    pntest::TempFolder folder;
    // The fault's signal has the default action in the child (not a
    // sanitizer's handler).
    ChildWithFile child(folder.Path().string(), c.signal, SIG_DFL, c.fault);
    ASSERT_GT(child.Id(), 0);
    const int status = child.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
        << SignalName(c.signal) << " status " << status;
    EXPECT_TRUE(Entries(folder.Path()).empty()) << SignalName(c.signal);
  }
}

TEST(TempFile, ASignalTheProcessIgnoresStaysIgnored) {
  for (int signal : {SIGPIPE, SIGHUP, SIGQUIT, SIGINT}) {
    pntest::TempFolder folder;
    ChildWithFile child(folder.Path().string(), signal, SIG_IGN);
    ASSERT_GT(child.Id(), 0);
    ASSERT_EQ(0, kill(child.Id(), signal));
    EXPECT_TRUE(child.Answers()) << SignalName(signal);
    EXPECT_EQ(1u, Entries(folder.Path()).size()) << SignalName(signal);
  }
}

}  // namespace
