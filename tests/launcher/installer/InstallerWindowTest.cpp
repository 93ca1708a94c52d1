#include "launcher/installer/InstallerWindow.h"
#include "launcher/installer/core/InstallerStrings.h"

#include "../TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using installer::InstallerWindow;
using installer::InstallOutcome;
using launcher::Privilege;
using launchertest::FakeInstaller;
using launchertest::ReadFile;
using launchertest::RunUntil;
using launchertest::ScopedEnv;
using launchertest::TempFolder;

template <typename T>
T* Child(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

// What a window showed once its installer had ended.
struct Shown {
  QString step;
  QString package;
  QString packageTip;
  bool reasonVisible = false;
  QString reason;
  QString log;
  int percent = 0;
  bool closeEnabled = false;
  bool closeFocused = false;
  std::optional<InstallOutcome> outcome;
};

class InstallerWindowTest : public ::testing::Test {
 protected:
  // Shows a window for the package, starts it and waits (running the event
  // loop) until its installer has ended. The package file is made first
  // unless `makePackage` is false.
  Shown Install(const std::string& package, Privilege privilege, bool makePackage = true) {
    if (makePackage) MakePackage(package);
    window_ = std::make_unique<InstallerWindow>(package, privilege);
    window_->show();
    QEventLoop loop;
    QObject::connect(window_.get(), &InstallerWindow::Finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    window_->Start();
    if (!window_->Outcome()) loop.exec();
    EXPECT_TRUE(window_->Outcome()) << "the installer never ended";
    Shown shown;
    shown.step = Child<QLabel>(window_.get(), "step")->text();
    shown.package = Child<QLabel>(window_.get(), "package")->text();
    shown.packageTip = Child<QLabel>(window_.get(), "package")->toolTip();
    auto* reason = Child<QPlainTextEdit>(window_.get(), "reason");
    shown.reasonVisible = reason->isVisible();
    shown.reason = reason->toPlainText();
    shown.log = Child<QPlainTextEdit>(window_.get(), "log")->toPlainText();
    shown.percent = Child<QProgressBar>(window_.get(), "progress")->value();
    auto* close = Child<QPushButton>(window_.get(), "close");
    shown.closeEnabled = close->isEnabled();
    shown.closeFocused = close->hasFocus();
    shown.outcome = window_->Outcome();
    return shown;
  }

  // A small whole package, or one cut short behind its archive's header.
  static void MakePackage(const std::string& package, bool cut = false) {
    const std::filesystem::path path = std::filesystem::absolute(package);
    std::filesystem::create_directories(path.parent_path());
    const std::string& bytes = launchertest::PackageBytes();
    launchertest::WriteFile(path, cut ? bytes.substr(0, bytes.size() - 200) : bytes);
  }

  static void PressEscape(QWidget* window) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
  }

  TempFolder folder_;
  std::unique_ptr<InstallerWindow> window_;
};

TEST_F(InstallerWindowTest, ASuccessShowsTheProgressAndEndsInstalled) {
  FakeInstaller apt(
      "read -r s < /proc/$$/stat; set -- ${s#*) }\necho $(($3 == $$)) $(($4 == $$)) $5 "
      "$(readlink /proc/$$/fd/0) > '$FAKE_FOLDER/session'\n"
      "echo 'Reading package lists...'\n"
      "echo 'pmstatus:velmora:amd64:50.0000:Unpacking velmora (amd64)'\n"
      "echo 'N: Download is performed unsandboxed as root' >&2\n"
      "echo 'Setting up velmora (1.00) ...'\nexit 0\n",
      "exec \"$@\"\n");
  const std::string package = folder_.Folder() + "velmora_1.00_amd64.deb";
  for (Privilege privilege : {Privilege::Root, Privilege::User}) {
    SCOPED_TRACE(privilege == Privilege::Root ? "root" : "user");
    const Shown shown = Install(package, privilege);
    ASSERT_TRUE(shown.outcome);
    EXPECT_EQ(InstallOutcome::Kind::Installed, shown.outcome->kind);
    EXPECT_EQ(0, shown.outcome->exitStatus);
    EXPECT_EQ(QStringLiteral("velmora_1.00_amd64.deb"), shown.package);
    EXPECT_EQ(QStringLiteral("インストールが完了しました。"), shown.step);
    EXPECT_EQ(100, shown.percent);
    EXPECT_FALSE(shown.reasonVisible);
    // apt-get's output and errors, without its status lines.
    EXPECT_TRUE(shown.log.contains(QStringLiteral("Reading package lists...")));
    EXPECT_TRUE(shown.log.contains(QStringLiteral("Setting up velmora (1.00) ...")));
    EXPECT_TRUE(shown.log.contains(QStringLiteral("N: Download is performed")));
    EXPECT_FALSE(shown.log.contains(QStringLiteral("pmstatus")));
    EXPECT_TRUE(shown.closeEnabled);
    EXPECT_TRUE(shown.closeFocused);
    // Non-interactive, the status lines on the output, a busy package system waited for.
    EXPECT_EQ((std::vector<std::string>{"install", "--yes", "-o", "APT::Status-Fd=1", "-o",
                                        "DPkg::Lock::Timeout=300", package}),
              apt.Args());
    // Leading its session and process group, with no terminal for pkexec to ask on.
    EXPECT_EQ("1 1 0 /dev/null\n", ReadFile(apt.Folder() / "session"));
    // As root the window sets the front end (pkexec would clear it).
    if (privilege == Privilege::Root) {
      EXPECT_EQ("noninteractive", apt.Frontend());
    }
    EXPECT_EQ(privilege == Privilege::User, apt.Elevated());
    // Escape closes the window once the installer has ended.
    PressEscape(window_.get());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(QDialog::Rejected, window_->result());
    apt.Remove("pkexec.args");
  }
}

TEST_F(InstallerWindowTest, TheOutcomeNamesItsCause) {
  enum class File { Package, Missing, NotAPackage, Cut, OtherArchitecture };
  const std::string failed = "インストールに失敗しました。";
  const auto [native, other] = launchertest::Architectures();
  struct Case {
    const char* what;
    Privilege privilege;
    File file;
    std::string aptGet;
    InstallOutcome::Kind kind;
    int status;
    std::string step;
    std::string reason;  // "%1" stands for the package path
  };
  const Case cases[] = {
      {"apt-get's own error", Privilege::Root, File::Package,
       "echo 'Reading package lists...'\necho 'W: a warning' >&2\n"
       "echo 'E: Could not get lock /var/lib/dpkg/lock-frontend' >&2\nexit 100\n",
       InstallOutcome::Kind::Failed, 100, failed,
       "E: Could not get lock /var/lib/dpkg/lock-frontend"},
      {"a full disk", Privilege::User, File::Package, launchertest::kDpkgFindsTheDiskFull,
       InstallOutcome::Kind::Failed, 100, failed,
       "パッケージを展開する場所のディスクに空き領域がありません。\n"
       "不要なファイルを削除して空き領域を作ってから、もう一度インストールしてください。"},
      {"a package built for another architecture", Privilege::User, File::OtherArchitecture,
       "exit 0\n", InstallOutcome::Kind::NotStarted, 127, "インストールを開始できませんでした。",
       "このパッケージは " + other + " 用のため、このコンピュータ (" + native +
           ") にはインストールできません。"},
      {"a dependency that cannot be installed", Privilege::User, File::Package,
       "echo 'The following packages have unmet dependencies:'\n"
       "echo ' velmora : Depends: libfoo1 (>= 2) but it is not installable'\n"
       "echo 'E: Unable to correct problems, you have held broken packages.' >&2\nexit 100\n",
       InstallOutcome::Kind::Failed, 100, failed,
       "必要なパッケージ libfoo1 (>= 2) をインストールできません。"},
      {"installed already", Privilege::User, File::Package,
       "echo 'velmora is already the newest version (1.00).'\n"
       "echo '0 upgraded, 0 newly installed, 0 to remove and 0 not upgraded.'\n",
       InstallOutcome::Kind::AlreadyInstalled, 0,
       "velmora (バージョン 1.00) はすでにインストールされています。", ""},
      {"a file apt-get cannot take", Privilege::Root, File::Package,
       "echo \"E: Unsupported file $7 given on commandline\" >&2\nexit 100\n",
       InstallOutcome::Kind::Failed, 100, failed, "パッケージファイル %1 を読み込めません。"},
      {"a file whose members apt-get cannot read", Privilege::User, File::Package,
       "echo 'E: 不正なアーカイブメンバーヘッダ' >&2\n"
       "echo \"E: Could not read meta data from $7\" >&2\n"
       "echo 'E: The package lists or status file could not be parsed or opened.' >&2\nexit 100\n",
       InstallOutcome::Kind::Failed, 100, failed,
       "パッケージファイル %1 が壊れています。もう一度コピーしてください。"},
      {"a package cut short", Privilege::User, File::Cut, "exit 0\n",
       InstallOutcome::Kind::NotStarted, 127, "インストールを開始できませんでした。",
       "パッケージファイル %1 が壊れています。もう一度コピーしてください。"},
      {"no package file", Privilege::User, File::Missing, "exit 0\n",
       InstallOutcome::Kind::NotStarted, 127, "インストールを開始できませんでした。",
       "パッケージファイル %1 が見つかりません。"},
      {"no package in the file", Privilege::User, File::NotAPackage, "exit 0\n",
       InstallOutcome::Kind::NotStarted, 127, "インストールを開始できませんでした。",
       "%1 は Debian パッケージのファイルではありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeInstaller apt(c.aptGet, "exec \"$@\"\n");
    const std::string package = folder_.Folder() + "velmora_1.00_amd64.deb";
    std::filesystem::remove_all(package);
    if (c.file == File::NotAPackage) launchertest::WriteFile(package, "<html>\n");
    if (c.file == File::Cut) MakePackage(package, true);
    if (c.file == File::OtherArchitecture)
      launchertest::WriteFile(package, launchertest::PackageBytes(other));
    const Shown shown = Install(package, c.privilege, c.file == File::Package);
    ASSERT_TRUE(shown.outcome);
    EXPECT_EQ(c.kind, shown.outcome->kind);
    EXPECT_EQ(c.status, shown.outcome->exitStatus);
    EXPECT_EQ(c.step, shown.step.toStdString());
    EXPECT_EQ(!c.reason.empty(), shown.reasonVisible);
    EXPECT_EQ(installer::FormatText(c.reason, package), shown.reason.toStdString());
    // What apt-get or the archive reader said stays in the details.
    if (c.reason.find("壊れて") != std::string::npos) {
      EXPECT_TRUE(shown.log.contains(c.file == File::Cut ? QStringLiteral("dpkg-deb: error")
                                                         : QStringLiteral("Could not read meta")))
          << shown.log.toStdString();
    }
    // Nothing is started, and no password asked for, for a file that is no
    // package for this computer.
    EXPECT_EQ(c.file == File::Package, apt.Ran());
    EXPECT_EQ(c.file == File::Package && c.privilege == Privilege::User, apt.Elevated());
    EXPECT_EQ(c.kind == InstallOutcome::Kind::AlreadyInstalled, shown.percent == 100);
    EXPECT_TRUE(shown.closeEnabled);
    if (c.file == File::Package) {
      EXPECT_TRUE(shown.closeFocused);
    }
  }
}

TEST_F(InstallerWindowTest, PkexecsEndsAreTold) {
  const QString useSudo = QStringLiteral(
      "認証エージェントの動くデスクトップで開くか、端末から sudo で root として実行してください。");
  const QString failed = QStringLiteral("インストールに失敗しました。");
  const QString noAgent =
      QStringLiteral("管理者のパスワードを尋ねられる認証エージェント (polkit) がありません。\n") +
      useSudo;
  struct Case {
    const char* what;
    std::string pkexec;
    InstallOutcome::Kind kind;
    int status;
    QString step;
    QString reason;
  };
  const Case cases[] = {
      {"prompt dismissed",
       "echo 'Error executing command as another user: Request dismissed' >&2\nexit 126\n",
       InstallOutcome::Kind::Cancelled, 126, QStringLiteral("インストールは取り消されました。"),
       QStringLiteral("パスワードの入力画面が閉じられたため、何もインストールしていません。")},
      {"no polkit authority",
       "echo 'Error getting authority: Error initializing authority: Could not connect: No such "
       "file or directory' >&2\nexit 127\n",
       InstallOutcome::Kind::Failed, 127, QStringLiteral("インストールに失敗しました。"),
       QStringLiteral("管理者の認証を行う polkit が動いていません。\n") + useSudo},
      {"no authentication agent",
       "echo 'Error executing command as another user: No authentication agent found.' >&2\n"
       "exit 127\n",
       InstallOutcome::Kind::Failed, 127, failed, noAgent},
      // pkexec's own agent, on a controlling terminal there is none of.
      {"no controlling terminal",
       "echo \"Error creating textual authentication agent: Error opening current controlling "
       "terminal for the process (\\`/dev/tty'): No such device or address\" >&2\nexit 127\n",
       InstallOutcome::Kind::Failed, 127, failed, noAgent},
      // An agent whose helper fails; pkexec then says it was not authorised.
      {"an agent that fails",
       "echo 'polkit-agent-helper-1: error response to PolicyKit daemon: GDBus.Error:org."
       "freedesktop.PolicyKit1.Error.Failed: No session for cookie' >&2\n"
       "echo '==== AUTHENTICATION FAILED ====' >&2\n"
       "echo 'Error executing command as another user: Not authorized' >&2\n"
       "printf '\\nThis incident has been reported.\\n' >&2\nexit 127\n",
       InstallOutcome::Kind::Failed, 127, failed, noAgent},
      {"not authorised",
       "echo 'Error executing command as another user: Not authorized' >&2\n"
       "printf '\\nThis incident has been reported.\\n' >&2\nexit 127\n",
       InstallOutcome::Kind::Failed, 127, QStringLiteral("インストールに失敗しました。"),
       QStringLiteral("パスワードが受け付けられませんでした。\nこのコンピュータを管理できるユー"
                      "ザー (通常はご自分) のパスワードを入力してください。")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeInstaller apt("exit 0\n", c.pkexec);
    const Shown shown = Install(folder_.Folder() + "velmora.deb", Privilege::User);
    ASSERT_TRUE(shown.outcome);
    EXPECT_EQ(c.kind, shown.outcome->kind);
    EXPECT_EQ(c.status, shown.outcome->exitStatus);
    EXPECT_EQ(c.step, shown.step);
    EXPECT_EQ(!c.reason.isEmpty(), shown.reasonVisible);
    EXPECT_EQ(c.reason, shown.reason);
    // pkexec's own words stay in the details.
    if (!c.reason.isEmpty()) {
      EXPECT_TRUE(shown.log.contains(QStringLiteral("Error "))) << shown.log.toStdString();
    }
    EXPECT_FALSE(apt.Ran());
  }
}

TEST_F(InstallerWindowTest, APathWithBlanksAndJapaneseReachesAptGetWhole) {
  FakeInstaller apt("exit 0\n", "exec \"$@\"\n");
  const std::string utf8 = folder_.Folder() + "my setup/\"q\" パッケージ 1.00.deb";
  // The same name in code page 932, as a folder copied from the original
  // platform may have it: passed on byte for byte, shown as text.
  const std::string cp932 = folder_.Folder() +
                            "\x83p\x83"
                            "b\x83P\x81[\x83W.deb";
  const std::pair<std::string, QString> cases[] = {
      {utf8, QStringLiteral("\"q\" パッケージ 1.00.deb")},
      {cp932, QStringLiteral("パッケージ.deb")},
  };
  for (const auto& [package, name] : cases) {
    const Shown shown = Install(package, Privilege::User);
    ASSERT_TRUE(shown.outcome);
    EXPECT_EQ(InstallOutcome::Kind::Installed, shown.outcome->kind);
    EXPECT_EQ(name, shown.package);
    ASSERT_FALSE(apt.Args().empty());
    EXPECT_EQ(package, apt.Args().back());
  }

  // A relative path is taken from the current folder.
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(folder_.Path());
  const Shown relative = Install("sub dir/x.deb", Privilege::Root);
  std::filesystem::current_path(old);
  ASSERT_FALSE(apt.Args().empty());
  EXPECT_EQ(std::filesystem::canonical(folder_.Path()).string() + "/sub dir/x.deb",
            apt.Args().back());

  // A very long name is shortened in the middle, and whole in the tool tip.
  const std::string longName = std::string(300, 'a') + "_1.00_amd64.deb";
  const Shown shortened = Install(folder_.Folder() + longName, Privilege::Root);
  EXPECT_LT(shortened.package.size(), int(longName.size()));
  EXPECT_TRUE(shortened.package.endsWith(QStringLiteral("amd64.deb")));
  EXPECT_EQ(QString::fromStdString(longName), shortened.packageTip);
}

TEST_F(InstallerWindowTest, WhileAptRunsTheWindowAnswersButDoesNotClose) {
  FakeInstaller apt(
      "echo 'pmstatus:velmora:30:Unpacking velmora'\n"
      "sleep 1\necho 'pmstatus:velmora:60:Setting up velmora'\nexit 0\n",
      "exec \"$@\"\n");
  MakePackage(folder_.Folder() + "velmora.deb");
  InstallerWindow window(folder_.Folder() + "velmora.deb", Privilege::Root);
  window.show();
  window.Start();
  auto* close = Child<QPushButton>(&window, "close");
  auto* step = Child<QLabel>(&window, "step");
  auto* bar = Child<QProgressBar>(&window, "progress");
  // The event loop keeps running while apt-get does: timers fire, the first
  // status line shows, and Escape and closing leave the window open.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  bool sawFirstStep = false;
  QElapsedTimer clock;
  clock.start();
  while (window.Running() && clock.elapsed() < 20000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (step->text() == QStringLiteral("Unpacking velmora")) {
      sawFirstStep = true;
      EXPECT_EQ(30, bar->value());
      EXPECT_FALSE(close->isEnabled());
      PressEscape(&window);
      window.close();
      EXPECT_TRUE(window.isVisible());
    }
  }
  EXPECT_TRUE(sawFirstStep);
  EXPECT_GT(ticks, 20);
  ASSERT_TRUE(window.Outcome());
  EXPECT_EQ(InstallOutcome::Kind::Installed, window.Outcome()->kind);
  EXPECT_TRUE(window.isVisible());
  // Closing now works.
  close->click();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(InstallerWindowTest, AWaitEndsWhenTheWindowClosesOrTheOtherProgramLetsGo) {
  const std::string_view waiting = installer::kTextWaitingForLock;
  const std::string_view prompt = installer::kTextWaitingForPassword;
  const std::string aptWaits = launchertest::kAptWaitsForTheLock;
  // A program the stand-in started sleeps on.
  const std::string sleeps = "sleep 30 &\necho $! > '$FAKE_FOLDER/sleep'\nwait $!\n";
  enum class Act { Close, Release, Nothing };
  using K = InstallOutcome::Kind;
  using P = Privilege;
  struct Case {
    const char* what;
    P privilege;
    std::string aptGet;
    std::string pkexec;  // before it runs apt-get
    bool locked;         // by the test, before the start
    std::string_view step;
    Act act;
    K kind;
  };
  const Case cases[] = {
      {"another's lock, closed", P::User, "", "", true, waiting, Act::Close, K::Cancelled},
      {"another's lock let go", P::User, "", "", true, waiting, Act::Release, K::Installed},
      {"another's lock, in vain", P::User, "", "", true, waiting, Act::Nothing, K::NotStarted},
      {"the password prompt, closed", P::User, "", sleeps, false, prompt, Act::Close, K::Cancelled},
      {"apt-get's wait, as root", P::Root, aptWaits + sleeps, "", false, waiting, Act::Close,
       K::Cancelled},
      // Through pkexec apt-get runs as root, which the window cannot end.
      {"apt-get's wait, via pkexec", P::User, aptWaits + "sleep 1\n", "", false, waiting,
       Act::Close, K::Installed},
  };
  const std::string package = folder_.Folder() + "velmora.deb";
  MakePackage(package);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeInstaller apt(c.aptGet, c.pkexec + "exec \"$@\"\n");
    launchertest::HeldLock lock(folder_.Path() / "lock");
    const auto sleeper = apt.Folder() / "sleep";
    InstallerWindow window(package, c.privilege);
    window.WatchLocks(std::vector<std::string>(c.locked, folder_.Folder() + "lock"),
                      std::chrono::milliseconds(c.act == Act::Nothing ? 1000 : 20000));
    window.show();
    window.Start();
    ASSERT_TRUE(RunUntil([&] {
      return Child<QLabel>(&window, "step")->text().toStdString() == c.step &&
             ((c.aptGet + c.pkexec).find(sleeps) == std::string::npos || ReadFile(sleeper) != "");
    }));
    EXPECT_EQ(c.locked || c.kind == K::Cancelled,
              Child<QPushButton>(&window, "close")->isEnabled());
    if (c.act == Act::Close) PressEscape(&window);
    if (c.act == Act::Release) lock.Release();
    ASSERT_TRUE(RunUntil([&] { return window.Outcome().has_value(); }));
    EXPECT_EQ(c.kind, window.Outcome()->kind);
    EXPECT_EQ(c.kind != K::Cancelled, window.isVisible());
    EXPECT_EQ(c.kind == K::Installed || c.privilege == P::Root, apt.Ran());
    if (c.kind == K::NotStarted) {
      EXPECT_EQ(installer::kTextPackageSystemBusy, window.Outcome()->reason.at(0));
    }
    // Closed: the whole process group has ended, down to what it started (a
    // zombie, or a process gone, has no command line).
    const std::string line = "/proc/" + std::to_string(std::atoi(ReadFile(sleeper).c_str()));
    EXPECT_TRUE(c.kind != K::Cancelled ||
                RunUntil([&] { return ReadFile(line + "/cmdline") == ""; }));
  }
}

TEST_F(InstallerWindowTest, AProgramLeftRunningDoesNotHoldTheWindow) {
  // apt-get ends at once but leaves a program behind that holds its output
  // open for longer than the test waits.
  FakeInstaller apt("echo done\nsleep 30 &\necho $! > '$FAKE_FOLDER/left'\nexit 0\n",
                    "exec \"$@\"\n");
  const auto start = std::chrono::steady_clock::now();
  const Shown shown = Install(folder_.Folder() + "velmora.deb", Privilege::Root);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  ASSERT_TRUE(shown.outcome);
  EXPECT_EQ(InstallOutcome::Kind::Installed, shown.outcome->kind);
  EXPECT_TRUE(shown.log.contains(QStringLiteral("done")));
  const int left = std::atoi(launchertest::ReadFile(apt.Folder() / "left").c_str());
  if (left > 0) ::kill(left, SIGTERM);
}

TEST_F(InstallerWindowTest, AMissingPkexecOrAptGetIsAFailureWithItsReason) {
  {
    SCOPED_TRACE("no pkexec");
    FakeInstaller apt("exit 0\n", "exit 0\n");
    apt.Remove("pkexec");
    ScopedEnv path("PATH", apt.Folder().string());
    const Shown shown = Install(folder_.Folder() + "velmora.deb", Privilege::User);
    ASSERT_TRUE(shown.outcome);
    EXPECT_EQ(InstallOutcome::Kind::NotStarted, shown.outcome->kind);
    EXPECT_EQ(127, shown.outcome->exitStatus);
    EXPECT_EQ(QStringLiteral("インストールを開始できませんでした。"), shown.step);
    EXPECT_TRUE(shown.reason.startsWith(
        QStringLiteral("管理者の認証を行う pkexec がインストールされていません。\n")));
    EXPECT_TRUE(shown.closeEnabled);
  }
  {
    SCOPED_TRACE("no apt-get");
    FakeInstaller apt("exit 0\n", "exit 0\n");
    apt.Remove("apt-get");
    ScopedEnv path("PATH", apt.Folder().string());
    const Shown shown = Install(folder_.Folder() + "velmora.deb", Privilege::Root);
    ASSERT_TRUE(shown.outcome);
    EXPECT_EQ(InstallOutcome::Kind::Failed, shown.outcome->kind);
    EXPECT_EQ(127, shown.outcome->exitStatus);
    EXPECT_TRUE(shown.reason.contains(QStringLiteral("apt-get"))) << shown.reason.toStdString();
  }
}

}  // namespace
