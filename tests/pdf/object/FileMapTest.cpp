#include "pdf/object/FileMap.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CPDFStreamTestSupport.h"
#include "platform/SystemError.h"

namespace {

class FileMapTest : public TempDirFixture {
 protected:
  static std::string ReadFile(const std::string& path, size_t n) {
    std::string bytes(n, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    const ssize_t got = ::pread(fd, bytes.data(), n, 0);
    ::close(fd);
    bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return bytes;
  }

  static size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
      while (::readdir(d)) ++count;
      ::closedir(d);
    }
    return count;
  }
};

}  // namespace

TEST_F(FileMapTest, CreatesAFileOfExactlyTheRequestedSize) {
  FileMap map;
  ASSERT_TRUE(map.Create(dir_, "pn", 40961));
  ASSERT_TRUE(map.IsOpen());
  ASSERT_NE(nullptr, map.GetView());
  EXPECT_EQ(40961u, map.GetSize());
  // The work file lives in the folder but has no name there.
  EXPECT_TRUE(map.GetPath().empty());
  EXPECT_TRUE(Entries().empty());
  ASSERT_EQ(1u, OpenFiles().size());
  const std::string file = OpenFiles()[0];
  EXPECT_EQ(40961, FileSize(file));
  struct stat st;
  ASSERT_EQ(0, ::stat(file.c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777u);

  // The view is the file's content, all of it writable.
  EXPECT_EQ(0, map.GetView()[40960]);
  std::memcpy(map.GetView(), "hello", 5);
  map.GetView()[40960] = 'Z';
  const std::string content = ReadFile(file, 40961);
  EXPECT_EQ("hello", content.substr(0, 5));
  EXPECT_EQ('Z', content[40960]);
}

TEST_F(FileMapTest, NoDirectoryMeansTheSystemTemporaryDirectory) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  ::setenv("TMPDIR", (dir_ + "/").c_str(), 1);
  FileMap map;
  const bool created = map.Create("", "pn", 100);
  // A TMPDIR that cannot take the file gives way to /tmp.
  ::setenv("TMPDIR", (dir_ + "/missing").c_str(), 1);
  FileMap fallback;
  const bool fellBack = fallback.Create("", "pn", 100);
  if (old)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  ASSERT_TRUE(created);
  EXPECT_EQ(100, OpenFileSize());
  EXPECT_TRUE(Entries().empty());
  ASSERT_TRUE(fellBack);
  EXPECT_NE(nullptr, fallback.GetView());
  // Each knows where its file went, though the file has no name.
  EXPECT_EQ(map.GetFolder(), dir_);
  EXPECT_EQ(fallback.GetFolder(), "/tmp");
}

TEST_F(FileMapTest, ResizeKeepsContentAndGrowsTheFile) {
  FileMap map;
  ASSERT_TRUE(map.Create(dir_, "pn", 40961));
  for (size_t i = 0; i < 40961; ++i) map.GetView()[i] = static_cast<char>(i * 31);
  ASSERT_TRUE(map.Resize(45056));
  EXPECT_EQ(45056u, map.GetSize());
  EXPECT_EQ(45056, OpenFileSize());
  for (size_t i = 0; i < 40961; ++i) {
    ASSERT_EQ(static_cast<char>(i * 31), map.GetView()[i]) << i;
  }
  map.GetView()[45055] = 'e';

  // Smaller: the mapping shrinks, the file is not cut.
  ASSERT_TRUE(map.Resize(8192));
  EXPECT_EQ(8192u, map.GetSize());
  EXPECT_EQ(45056, OpenFileSize());
  EXPECT_EQ(static_cast<char>(100 * 31), map.GetView()[100]);

  // Growing again with the zero flag clears the bytes beyond the old size,
  // including what an earlier, larger mapping left in the file.
  ASSERT_TRUE(map.Resize(1u << 20, true));
  EXPECT_EQ(0, map.GetView()[45055]);
  EXPECT_EQ(0, map.GetView()[8192]);
  EXPECT_EQ(static_cast<char>(8191 * 31), map.GetView()[8191]);
  EXPECT_EQ(1 << 20, OpenFileSize());
}

TEST_F(FileMapTest, TheOwnerRemovesTheFileOnDestructionCloseAndMove) {
  {
    FileMap map;
    ASSERT_TRUE(map.Create(dir_, "pn", 50000));
    FileMap moved(std::move(map));
    EXPECT_FALSE(map.IsOpen());
    map.Close(true);  // the moved-from map closes nothing
    EXPECT_EQ(50000, OpenFileSize());
    FileMap other;
    ASSERT_TRUE(other.Create(dir_, "pn", 10));
    EXPECT_EQ(2u, OpenFiles().size());
    other = std::move(moved);  // its own file goes, the moved one is now its
    EXPECT_EQ(50000, OpenFileSize());
    EXPECT_EQ(50000u, other.GetSize());
  }
  EXPECT_TRUE(OpenFiles().empty());
  EXPECT_TRUE(Entries().empty());

  // A work file goes when it is closed, whatever the flag says.
  FileMap kept;
  ASSERT_TRUE(kept.Create(dir_, "pn", 10));
  EXPECT_TRUE(kept.Close(false));
  EXPECT_FALSE(kept.IsOpen());
  EXPECT_EQ(nullptr, kept.GetView());
  EXPECT_TRUE(OpenFiles().empty());
  EXPECT_TRUE(Entries().empty());

  // Open names the file itself, truncating what was there; the flag decides
  // whether that file stays.
  const std::string path = dir_ + "/named";
  ASSERT_TRUE(kept.Open(path, 3000, true));
  EXPECT_EQ(path, kept.GetPath());
  EXPECT_EQ(3000, FileSize(path));
  EXPECT_TRUE(kept.Close(false));
  EXPECT_TRUE(kept.GetPath().empty());
  EXPECT_EQ(3000, FileSize(path));
  ASSERT_TRUE(kept.Open(path, 100));
  EXPECT_EQ(100, FileSize(path));
  kept.Close(true);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(FileMapTest, FailuresReportErrnoAndLeaveNoFileOrDescriptor) {
  const size_t descriptors = OpenDescriptors();
  FileMap map;
  platform::SetLastSystemError(0);
  EXPECT_FALSE(map.Create(dir_ + "/missing", "pn", 100));
  EXPECT_EQ(ENOENT, platform::GetLastSystemError());
  EXPECT_FALSE(map.IsOpen());

  platform::SetLastSystemError(0);
  EXPECT_FALSE(map.Create(dir_, "pn", 0));
  EXPECT_EQ(EINVAL, platform::GetLastSystemError());
  EXPECT_TRUE(Entries().empty());

  EXPECT_FALSE(map.Create(dir_, "../pn", 100));
  EXPECT_EQ(EINVAL, platform::GetLastSystemError());

  platform::SetLastSystemError(0);
  EXPECT_FALSE(map.Resize(100));
  EXPECT_EQ(EBADF, platform::GetLastSystemError());

  EXPECT_FALSE(map.Open(dir_ + "/missing/file", 100));
  EXPECT_EQ(ENOENT, platform::GetLastSystemError());
  EXPECT_FALSE(map.Open("", 100));

  ASSERT_TRUE(map.Create(dir_, "pn", 100));
  EXPECT_FALSE(map.Resize(0));
  EXPECT_FALSE(map.IsOpen());
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(descriptors, OpenDescriptors());
}

TEST_F(FileMapTest, NoRoomForTheFileFailsCleanly) {
  // A file size limit stands in for a full disk: reserving the blocks fails
  // before anything is mapped, and the half-made file is removed.
  FileSizeLimit limit(1 << 20);
  ASSERT_TRUE(limit.IsSet());

  FileMap map;
  platform::SetLastSystemError(0);
  const bool created = map.Create(dir_, "pn", 2u << 20);
  const int createError = platform::GetLastSystemError();
  const bool smallCreated = map.Create(dir_, "pn", 512u << 10);
  const bool grown = smallCreated && map.Resize(4u << 20);
  const int growError = platform::GetLastSystemError();

  limit.Lift();

  EXPECT_FALSE(created);
  EXPECT_EQ(EFBIG, createError);
  EXPECT_TRUE(smallCreated);
  EXPECT_FALSE(grown);
  EXPECT_EQ(EFBIG, growError);
  EXPECT_FALSE(map.IsOpen());
  EXPECT_TRUE(Entries().empty());
}

TEST_F(FileMapTest, WriteAndReadGoThroughTheFileWithinTheMap) {
  FileMap map;
  ASSERT_TRUE(map.Create(dir_, "pn", 10000));
  ASSERT_TRUE(map.Write(9990, "abcdefghi", 9, true));
  EXPECT_EQ(0, std::memcmp(map.GetView() + 9990, "abcdefghi", 10));  // the NUL too
  map.GetView()[100] = 'v';
  char back[4] = {};
  ASSERT_TRUE(map.Read(99, back, 3));
  EXPECT_EQ(0, std::memcmp(back, "\0v\0", 3));
  ASSERT_TRUE(map.Write(0, "", 0));

  // Nothing may pass the mapped size: the file would grow under the map.
  platform::SetLastSystemError(0);
  EXPECT_FALSE(map.Write(9991, "abcdefghi", 9, true));
  EXPECT_EQ(EINVAL, platform::GetLastSystemError());
  EXPECT_FALSE(map.Write(20000, "a", 1));
  EXPECT_FALSE(map.Read(9999, back, 2));
  EXPECT_TRUE(map.Read(10000, back, 0));
  EXPECT_EQ(10000u, map.GetSize());

  map.Close(true);
  EXPECT_FALSE(map.Write(0, "a", 1));
  EXPECT_EQ(EBADF, platform::GetLastSystemError());
  EXPECT_FALSE(map.Read(0, back, 1));
}
