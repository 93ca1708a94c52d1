#include "platform/TempFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST(TempFile, ReplacementAppearsOnlyWhenCommitted) {
  pntest::TempFolder folder;
  const std::string target = (folder.Path() / "out.pdf").string();
  ASSERT_TRUE(WriteAll(target, "old"));
  {
    platform::ReplacementFile file;
    ASSERT_TRUE(file.Create(target, "pn", ".pdf", 0640));
    ASSERT_TRUE(WriteAll(file.OpenPath(), "new"));
    // Where the file system allows it the new file has no name yet.
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

}  // namespace
