#include "launcher/core/InstallerCommand.h"
#include "launcher/core/InstallerProgram.h"
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

TEST(InstallerCommand, RootInstallsDirectlyAndAUserThroughPkexec) {
  using launcher::Privilege;
  const std::string nasty = "/opt/my dir/a\" --no-download \"b パッケージ.deb";
  // In a session of its own; nothing may wait for an answer, the status
  // lines come with the output, and a busy package system is waited for.
  const std::vector<std::string> options{"install",          "--yes", "-o",
                                         "APT::Status-Fd=1", "-o",    "DPkg::Lock::Timeout=300"};
  std::vector<std::string> command{"/usr/bin/setsid", "/usr/bin/env",
                                   "DEBIAN_FRONTEND=noninteractive", "apt-get"};
  command.insert(command.end(), options.begin(), options.end());
  command.push_back(nasty);
  const std::string optionsLine = "install --yes -o APT::Status-Fd=1 -o DPkg::Lock::Timeout=300 \"";
  const std::string line = "/usr/bin/setsid /usr/bin/env DEBIAN_FRONTEND=noninteractive apt-get " +
                           optionsLine + nasty + "\"";
  // Through pkexec, apt-get itself, so that the password prompt names it.
  std::vector<std::string> elevated{"/usr/bin/setsid", "pkexec", "/usr/bin/apt-get"};
  elevated.insert(elevated.end(), options.begin(), options.end());
  elevated.push_back(nasty);
  const std::string elevatedLine =
      "/usr/bin/setsid pkexec /usr/bin/apt-get " + optionsLine + nasty + "\"";
  struct Case {
    Privilege privilege;
    std::vector<std::string> arguments;
    std::string line;
  };
  const Case cases[] = {
      {Privilege::Root, command, line},
      {Privilege::User, elevated, elevatedLine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(c.arguments, launcher::BuildInstallerArguments(nasty, c.privilege));
    EXPECT_EQ(c.line, launcher::BuildCommandLine(nasty, c.privilege));
  }
}

TEST(InstallerCommand, APackagePathReachesTheInstallerAbsolute) {
  TempFolder elsewhere;
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());
  const std::string current = std::filesystem::current_path().string();
  // apt-get takes a bare file name for the name of a package to download.
  EXPECT_EQ(current + "/velmora_1.00_amd64.deb",
            launcher::AbsolutePackagePath("velmora_1.00_amd64.deb"));
  EXPECT_EQ(current + "/sub/x.deb", launcher::AbsolutePackagePath("sub/x.deb"));
  EXPECT_EQ(current + "/x.deb",
            launcher::BuildInstallerArguments("x.deb", launcher::Privilege::Root).back());
  std::filesystem::current_path(old);
  EXPECT_EQ("/cd//abs/x.deb", launcher::AbsolutePackagePath("/cd//abs/x.deb"));
}

TEST(InstallerProgram, IsLookedForBesideTheLauncherThenInTheInstallation) {
  const std::vector<std::string> folders = launcher::InstallerProgramFolders("/opt/x/bin/");
  ASSERT_EQ(3u, folders.size());
  EXPECT_EQ("/opt/x/bin/", folders[0]);
  // The installation's folder relative to the launcher's, then the package's.
  EXPECT_EQ("/opt/x/bin/../libexec/velmora/", folders[1]);
  EXPECT_EQ("/usr/libexec/velmora/", folders[2]);
  // Without a folder of its own, only the package's.
  EXPECT_EQ(std::vector<std::string>{"/usr/libexec/velmora/"},
            launcher::InstallerProgramFolders(""));
}

TEST(InstallerProgram, TheFirstFolderWithAnExecutableFileHasIt) {
  TempFolder a, b, c, d;
  const std::string name(launcher::kInstallerWindowProgram);
  // a: a folder of that name; b: a file that cannot be run; c and d: programs.
  std::filesystem::create_directory(a.Path() / name);
  launchertest::WriteFile(b.Path() / name, "#!/bin/sh\n");
  for (const TempFolder* folder : {&c, &d}) {
    launchertest::WriteFile(folder->Path() / name, "#!/bin/sh\n");
    std::filesystem::permissions(folder->Path() / name, std::filesystem::perms::owner_all);
  }
  const std::string missing = a.Folder() + "none/";
  EXPECT_EQ(c.Folder() + name, launcher::FindInstallerProgram(
                                   {missing, a.Folder(), b.Folder(), c.Folder(), d.Folder()}));
  EXPECT_EQ(std::nullopt, launcher::FindInstallerProgram({missing, a.Folder(), b.Folder()}));
  EXPECT_EQ(std::nullopt, launcher::FindInstallerProgram({}));
}

}  // namespace
