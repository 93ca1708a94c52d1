#include "launcher/LauncherApp.h"
#include "launcher/LauncherDialog.h"
#include "launcher/core/ExitStatus.h"
#include "launcher/core/ProgramLocation.h"

#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

namespace {

using launcher::LauncherDialog;
using launchertest::AnswerMessageBox;
using launchertest::FakeInstallerWindow;
using launchertest::ShownMessage;
using launchertest::TempFolder;
using launchertest::WindowDriver;
using launchertest::WriteFile;

launcher::LauncherApp* App() {
  return static_cast<launcher::LauncherApp*>(QCoreApplication::instance());
}

// Runs the whole program with the install information in a temporary folder,
// pressing the button named `button` ("start" or "cancel") in the dialog.
class LauncherAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App()->SetProgramFolder(folder_.Folder());
    App()->SetInstallerProgram(installer_.Program());
  }
  void TearDown() override {
    App()->SetProgramFolder(std::nullopt);
    App()->SetInstallerProgram(std::nullopt);
  }

  void WriteInfo(const std::string& bytes) { WriteFile(folder_.Path() / "InstInfo.txt", bytes); }

  int Run(const char* button) {
    WindowDriver driver([this, button](QWidget* widget) {
      if (AnswerMessageBox(widget, messages_)) return;
      if (auto* dialog = qobject_cast<LauncherDialog*>(widget)) {
        ++dialogsShown_;
        shownCaption_ = dialog->findChild<QLabel*>(QStringLiteral("caption"))->text();
        auto* target = dialog->findChild<QPushButton*>(QString::fromLatin1(button));
        QMetaObject::invokeMethod(target, "click", Qt::QueuedConnection);
      }
    });
    const int status = App()->InitInstance();
    EXPECT_FALSE(driver.TimedOut());
    return status;
  }

  TempFolder folder_;
  FakeInstallerWindow installer_{/*sleepSeconds=*/1};
  std::vector<ShownMessage> messages_;
  int dialogsShown_ = 0;
  QString shownCaption_;
};

TEST_F(LauncherAppTest, StartRunsTheInstallerWindowOnThePackageAndWaitsForIt) {
  // The package path is one argument, unchanged, whatever it holds.
  const std::string line2 =
      "my setup/\"quoted\" name\" --no-download \"x パッケージ_1.00_amd64.deb";
  WriteInfo("製品\n" + line2 + "\n説明\n");

  const auto start = std::chrono::steady_clock::now();
  const int status = Run("start");
  const auto elapsed = std::chrono::steady_clock::now() - start;

  // The installer window's status 5 is not passed on.
  EXPECT_EQ(launcher::kExitNormal, status);
  EXPECT_EQ(1, dialogsShown_);
  EXPECT_EQ(QStringLiteral("製品"), shownCaption_);
  EXPECT_TRUE(messages_.empty());
  ASSERT_TRUE(installer_.Ran());
  EXPECT_EQ(std::vector<std::string>{folder_.Folder() + line2}, installer_.Args());
  EXPECT_TRUE(std::filesystem::exists(installer_.FinishedPath()));
  EXPECT_GE(elapsed, std::chrono::milliseconds(900));
  // No window of the launcher is left while or after the installer runs.
  for (QWidget* widget : QApplication::topLevelWidgets()) EXPECT_FALSE(widget->isVisible());
}

TEST_F(LauncherAppTest, CancelStartsNothingAndSaysNothing) {
  WriteInfo("c\np.deb\nd");
  EXPECT_EQ(launcher::kExitNormal, Run("cancel"));
  EXPECT_EQ(1, dialogsShown_);
  EXPECT_FALSE(installer_.Ran());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(LauncherAppTest, AMissingInstallerGivesMessage1001AndANormalEnd) {
  // Missing, or there but not executable: nothing starts.
  const std::string plain = (folder_.Path() / "plain").string();
  launchertest::WriteFile(plain, "#!/bin/sh\nexit 0\n");
  const std::string programs[] = {(folder_.Path() / "FennickInstaller").string(), plain};
  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    messages_.clear();
    App()->SetInstallerProgram(program);
    WriteInfo("c\np.deb\nd");
    EXPECT_EQ(launcher::kExitNormal, Run("start"));
    ASSERT_EQ(1u, messages_.size());
    EXPECT_EQ(QStringLiteral("インストールの開始に失敗しました。"), messages_[0].text);
    EXPECT_EQ(QStringLiteral("launcher_tests"), messages_[0].title);
    EXPECT_EQ(QMessageBox::Critical, messages_[0].icon);
    EXPECT_FALSE(messages_[0].windowIcon.isNull());
  }
  EXPECT_FALSE(installer_.Ran());
}

TEST_F(LauncherAppTest, ATwoLineFileEndsWithMessage1000AndStatus3) {
  WriteInfo("caption\npackage.deb\n");
  EXPECT_EQ(launcher::kExitInstallInfoUnusable, Run("start"));
  EXPECT_EQ(0, dialogsShown_);
  EXPECT_FALSE(installer_.Ran());
  ASSERT_EQ(1u, messages_.size());
  EXPECT_EQ(QStringLiteral("インストール情報ファイルの読み込みに失敗しました。\n強制終了します。"),
            messages_[0].text);
  EXPECT_EQ(QMessageBox::Critical, messages_[0].icon);
}

TEST_F(LauncherAppTest, TheFileIsLookedForBesideTheProgramNotInTheCurrentFolder) {
  App()->SetProgramFolder(std::nullopt);
  std::optional<std::string> programFolder = launcher::ProgramFolder();
  ASSERT_TRUE(programFolder);
  if (std::filesystem::exists(*programFolder + "InstInfo.txt")) {
    GTEST_SKIP() << "an InstInfo.txt lies beside the test program";
  }
  WriteInfo("c\np.deb\nd");
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(folder_.Path());
  const int status = Run("start");
  std::filesystem::current_path(old);
  EXPECT_EQ(launcher::kExitInstallInfoUnusable, status);
  EXPECT_EQ(0, dialogsShown_);
  EXPECT_FALSE(installer_.Ran());
  ASSERT_EQ(1u, messages_.size());
}

}  // namespace
