#include "launcher/core/InstallerCommand.h"
#include "launcher/core/LauncherStrings.h"
#include "launcher/core/ProgramLocation.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using launchertest::FakeInstaller;
using launchertest::ScopedEnv;
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

TEST(LauncherStrings, HoldsTheThreeTexts) {
  EXPECT_EQ("バージョン情報(&A)...", launcher::LoadLauncherString(launcher::kIdsAboutBox));
  EXPECT_EQ("インストール情報ファイルの読み込みに失敗しました。\n強制終了します。",
            launcher::LoadLauncherString(launcher::kIdsInstallInfoFailed));
  EXPECT_EQ("インストールの開始に失敗しました。",
            launcher::LoadLauncherString(launcher::kIdsStartFailed));
  EXPECT_EQ("", launcher::LoadLauncherString(102));
}

TEST(InstallerCommand, BuildsTheCommandTextAndTheArgumentVector) {
  EXPECT_EQ("msiexec /i \"/opt/s/setup.msi\" ALLUSERS=2",
            launcher::BuildCommandLine("/opt/s/setup.msi"));
  const std::string nasty = "/opt/my dir/a\" /qn \"b.msi";
  EXPECT_EQ("msiexec /i \"" + nasty + "\" ALLUSERS=2", launcher::BuildCommandLine(nasty));
  EXPECT_EQ((std::vector<std::string>{"msiexec", "/i", nasty, "ALLUSERS=2"}),
            launcher::BuildInstallerArguments(nasty));
}

TEST(InstallerCommand, RunsTheInstallerFoundOnPathAndWaitsForIt) {
  FakeInstaller installer(/*sleepSeconds=*/1);
  const std::string package = "/opt/my setup/\"quoted\" パッケージ.msi";
  const auto start = std::chrono::steady_clock::now();
  launcher::InstallerRun run = launcher::RunInstaller(package);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(std::filesystem::exists(installer.FinishedPath()));
  EXPECT_GE(elapsed, std::chrono::milliseconds(900));
  EXPECT_EQ((std::vector<std::string>{"/i", package, "ALLUSERS=2"}), installer.Args());
}

TEST(InstallerCommand, AMissingInstallerIsAFailureToStart) {
  TempFolder empty;
  ScopedEnv path("PATH", empty.Path().string());
  launcher::InstallerRun run = launcher::RunInstaller("/opt/setup.msi");
  EXPECT_FALSE(run.started);
  EXPECT_EQ(ENOENT, run.error);
}

TEST(InstallerCommand, APackagePathWithANulByteStartsNothing) {
  FakeInstaller installer;
  launcher::InstallerRun run = launcher::RunInstaller(std::string("/opt/a\0b.msi", 12));
  EXPECT_FALSE(run.started);
  EXPECT_FALSE(installer.Ran());
}

}  // namespace
