#include "launcher/core/InstallerCommand.h"
#include "launcher/core/ProgramLocation.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using launchertest::TempFolder;

TEST(ProgramLocation, FindsTheFolderOfTheRunningExecutable) {
  std::optional<std::string> folder = launcher::ProgramFolder();
  ASSERT_TRUE(folder);
  ASSERT_FALSE(folder->empty());
  EXPECT_EQ('/', folder->front());
  EXPECT_EQ('/', folder->back());
  EXPECT_TRUE(std::filesystem::is_regular_file(*folder + "launcher_tests"));
  EXPECT_EQ("launcher_tests", launcher::ProgramTitle());

  // The current folder plays no part.
  TempFolder elsewhere;
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());
  EXPECT_EQ(folder, launcher::ProgramFolder());
  std::filesystem::current_path(old);
}

TEST(ProgramLocation, SplitsFolderAndTitle) {
  EXPECT_EQ("/a/b/", launcher::FolderOf("/a/b/Fennick"));
  EXPECT_EQ("/", launcher::FolderOf("/Fennick"));
  EXPECT_EQ("", launcher::FolderOf("Fennick"));
  EXPECT_EQ("/my dir/日本/", launcher::FolderOf("/my dir/日本/Fennick.bin"));

  EXPECT_EQ("Fennick", launcher::FileTitleOf("/a/b/Fennick"));
  EXPECT_EQ("Fennick", launcher::FileTitleOf("/a/b/Fennick.EXE"));
  EXPECT_EQ("setup.v2", launcher::FileTitleOf("/a.d/setup.v2.bin"));
  EXPECT_EQ("prog", launcher::FileTitleOf("/x.y/prog"));
  EXPECT_EQ(".hidden", launcher::FileTitleOf("/a/.hidden"));
}

TEST(InstallerCommand, BuildsTheCommandTextAndTheArgumentVector) {
  EXPECT_EQ("msiexec /i \"/opt/s/setup.msi\" ALLUSERS=2",
            launcher::BuildCommandLine("/opt/s/setup.msi"));
  const std::string nasty = "/opt/my dir/a\" /qn \"b.msi";
  EXPECT_EQ("msiexec /i \"" + nasty + "\" ALLUSERS=2", launcher::BuildCommandLine(nasty));
  EXPECT_EQ((std::vector<std::string>{"msiexec", "/i", nasty, "ALLUSERS=2"}),
            launcher::BuildInstallerArguments(nasty));
}

}  // namespace
