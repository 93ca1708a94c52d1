#include "launcher/installer/core/InstallRun.h"
#include "launcher/installer/core/InstallerStrings.h"

#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

using installer::CommandEnd;
using installer::InstallOutcome;
using installer::InstallRun;
using launcher::Privilege;
using Lines = std::vector<std::string>;

std::vector<std::string> Texts(const std::vector<InstallRun::Line>& lines) {
  std::vector<std::string> texts;
  for (const InstallRun::Line& line : lines) texts.push_back(line.text);
  return texts;
}

TEST(InstallRun, TheOutcomeComesFromTheStatusAndTheLastErrorLines) {
  using K = InstallOutcome::Kind;
  const CommandEnd exited0{CommandEnd::Kind::Exited, 0};
  const std::string dismissed = "Error executing command as another user: Request dismissed\n";
  const std::string noAuthority =
      "Error getting authority: Error initializing authority: Could not connect: No such file "
      "or directory\n";
  const std::string useSudo =
      "認証エージェントの動くデスクトップで開くか、端末から sudo で root として実行してください。";
  const std::string noAuthorityText = "管理者の認証を行う polkit が動いていません。";
  const std::string noAgentText =
      "管理者のパスワードを尋ねられる認証エージェント (polkit) がありません。";
  using namespace installer;
  const Lines wrongPassword{std::string(kTextWrongPassword), std::string(kTextOwnPassword)};
  const Lines busy{std::string(kTextPackageSystemBusy), std::string(kTextTryAfterOther)};
  const CommandEnd exited100{CommandEnd::Kind::Exited, 100};
  const std::string notAuthorized = "Error executing command as another user: Not authorized";
  struct Case {
    const char* what;
    Privilege privilege;
    std::string output;
    std::string errors;
    CommandEnd end;
    K kind;
    int exitStatus;
    Lines reason;
  };
  const Case cases[] = {
      {"installed",
       Privilege::User,
       "Setting up velmora (1.00) ...\n",
       "N: Download is performed unsandboxed as root\n",
       exited0,
       K::Installed,
       0,
       {}},
      {"apt-get's errors, not its warnings",
       Privilege::Root,
       "Reading package lists...\n",
       "W: a warning\nE: Could not open lock file /var/lib/dpkg/lock-frontend\nN: a note\n",
       {CommandEnd::Kind::Exited, 100},
       K::Failed,
       100,
       {"E: Could not open lock file /var/lib/dpkg/lock-frontend"}},
      {"a file apt-get cannot take, in Japanese",
       Privilege::Root,
       "",
       "E: コマンドラインで指定されたファイル /x.deb はサポートされていません\n",
       {CommandEnd::Kind::Exited, 100},
       K::Failed,
       100,
       {"パッケージファイル /x.deb を読み込めません。"}},
      // The cause stands in the output; apt-get's error says only that
      // packages are broken.
      {"unmet dependencies",
       Privilege::User,
       "The following packages have unmet dependencies:\n"
       " velmora : Depends: libfoo1 (>= 2.0) but it is not installable\n"
       "           PreDepends: libbar but it is not going to be installed or\n"
       "                       libbaz but it is a virtual package\n"
       "           Depends: libfoo1 (>= 2.0) but it is not installable\n"
       "           Depends: libqux but 1.0 is to be installed\n"
       // apt-get's words in Japanese.
       " velmora : 依存: libja1 (>= 2.0) しかし、インストールすることができません\n"
       "           先行依存: libja2 しかし、インストールされようとしていません または\n"
       "                     libja3 しかし、インストールすることができません\n",
       "E: Unable to correct problems, you have held broken packages.\n",
       {CommandEnd::Kind::Exited, 100},
       K::Failed,
       100,
       {"必要なパッケージ libfoo1 (>= 2.0) をインストールできません。",
        "必要なパッケージ libbar | libbaz をインストールできません。",
        "必要なパッケージ libqux をインストールできません。",
        "必要なパッケージ libja1 (>= 2.0) をインストールできません。",
        "必要なパッケージ libja2 | libja3 をインストールできません。"}},
      // In English in the window's test.
      {"installed already, in Japanese",
       Privilege::Root,
       "velmora はすでに最新バージョン (1.00) です。\n",
       "",
       exited0,
       K::AlreadyInstalled,
       0,
       {}},
      {"the last five errors",
       Privilege::Root,
       "",
       "E: 1\nE: 2\nE: 3\nE: 4\nE: 5\nE: 6\nE: 7",
       {CommandEnd::Kind::Exited, 100},
       K::Failed,
       100,
       {"E: 3", "E: 4", "E: 5", "E: 6", "E: 7"}},
      {"a package that failed",
       Privilege::Root,
       "pmstatus:velmora:80:Configuring velmora\npmerror:velmora:90:post-installation script "
       "failed\n",
       "W: a warning\n",
       {CommandEnd::Kind::Exited, 100},
       K::Failed,
       100,
       {"velmora: post-installation script failed"}},
      {"password prompt dismissed",
       Privilege::User,
       "",
       dismissed,
       {CommandEnd::Kind::Exited, 126},
       K::Cancelled,
       126,
       {"パスワードの入力画面が閉じられたため、何もインストールしていません。"}},
      // Another program's lock: apt-get's wait ran out, or it waited for none.
      {"the lock's wait ran out", Privilege::Root,
       "Waiting for cache lock: Could not get lock /var/lib/dpkg/lock-frontend. It is held by "
       "process 29817 (unattended-upgr)...\n",
       "E: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), is another "
       "process using it?\n",
       exited100, K::Failed, 100, busy},
      {"the lock held, in Japanese", Privilege::Root, "",
       "E: ロック /var/lib/dpkg/lock が取得できませんでした - open (11: "
       "リソースが一時的に利用できません)\n"
       "E: 管理用ディレクトリ (/var/lib/dpkg/) "
       "をロックできません。これを使う別のプロセスが動いていませんか?\n",
       exited100, K::Failed, 100, busy},
      {"dpkg refuses another architecture", Privilege::Root, "",
       " package architecture (arm64) does not match system (amd64)\n", exited100, K::Failed, 100,
       Lines{"このパッケージは arm64 用のため、このコンピュータ (amd64) "
             "にはインストールできません。"}},
      // pkexec's words count after its own exit statuses only.
      {"pkexec's words after another status", Privilege::User, "", notAuthorized + "\n", exited100,
       K::Failed, 100, Lines{notAuthorized}},
      // As root there is no prompt: 126 is env's, which could not run apt-get.
      {"126 as root",
       Privilege::Root,
       "",
       "/usr/bin/env: 'apt-get': Permission denied\n",
       {CommandEnd::Kind::Exited, 126},
       K::Failed,
       126,
       {"/usr/bin/env: 'apt-get': Permission denied"}},
      {"126 through pkexec, not dismissed",
       Privilege::User,
       "",
       "/usr/bin/env: 'apt-get': Permission denied\n",
       {CommandEnd::Kind::Exited, 126},
       K::Failed,
       126,
       {"/usr/bin/env: 'apt-get': Permission denied"}},
      {"no polkit authority",
       Privilege::User,
       "",
       noAuthority,
       {CommandEnd::Kind::Exited, 127},
       K::Failed,
       127,
       {noAuthorityText, useSudo}},
      {"no authentication agent",
       Privilege::User,
       "",
       "Error executing command as another user: No authentication agent found.\n",
       {CommandEnd::Kind::Exited, 127},
       K::Failed,
       127,
       {noAgentText, useSudo}},
      // A wrong password given to pkexec's own agent is a refusal.
      {"wrong password",
       Privilege::User,
       "",
       "polkit-agent-helper-1: pam_authenticate failed: Authentication failure\n"
       "==== AUTHENTICATION FAILED ====\n"
       "Error executing command as another user: Not authorized\n",
       {CommandEnd::Kind::Exited, 127},
       K::Failed,
       127,
       wrongPassword},
      {"no login session for pkexec's own agent",
       Privilege::User,
       "",
       "Error registering local authentication agent: GDBus.Error:org.freedesktop.PolicyKit1."
       "Error.Failed: Cannot determine session the caller is in\n",
       {CommandEnd::Kind::Exited, 127},
       K::Failed,
       127,
       {noAgentText, useSudo}},
      {"a damaged file",
       Privilege::Root,
       "Reading package lists...\n",
       "E: Invalid archive member header\nE: Could not read meta data from /a b/x.deb\n"
       "E: The package lists or status file could not be parsed or opened.\n",
       {CommandEnd::Kind::Exited, 100},
       K::Failed,
       100,
       {"パッケージファイル /a b/x.deb が壊れています。もう一度コピーしてください。"}},
      {"not authorised",
       Privilege::User,
       "",
       "Error executing command as another user: Not authorized\n\nThis incident has been "
       "reported.\n",
       {CommandEnd::Kind::Exited, 127},
       K::Failed,
       127,
       wrongPassword},
      {"only notes",
       Privilege::Root,
       "",
       "N: a note",
       {CommandEnd::Kind::Exited, 1},
       K::Failed,
       1,
       {"N: a note"}},
      {"only output",
       Privilege::Root,
       "one\ntwo\n",
       "",
       {CommandEnd::Kind::Exited, 1},
       K::Failed,
       1,
       {"one", "two"}},
      {"nothing said",
       Privilege::Root,
       "pmstatus:velmora:5:x\n",
       "",
       {CommandEnd::Kind::Exited, 3},
       K::Failed,
       3,
       {"終了コード 3 で終了しました。"}},
      {"a signal",
       Privilege::Root,
       "",
       "",
       {CommandEnd::Kind::Signalled, 9},
       K::Failed,
       137,
       {"シグナル 9 で終了しました。"}},
      {"a signal after errors",
       Privilege::Root,
       "",
       "E: x\n",
       {CommandEnd::Kind::Signalled, 15},
       K::Failed,
       143,
       {"E: x"}},
      {"not started",
       Privilege::User,
       "",
       "",
       {CommandEnd::Kind::NotStarted, EACCES},
       K::NotStarted,
       127,
       {"/usr/bin/setsid: " + platform::SystemErrorText(EACCES)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallRun run(c.privilege);
    // In pieces of three bytes, as pipes may hand them over.
    for (size_t at = 0; at < c.output.size(); at += 3)
      run.Take(InstallRun::Stream::Output, c.output.substr(at, 3));
    for (size_t at = 0; at < c.errors.size(); at += 3)
      run.Take(InstallRun::Stream::Error, c.errors.substr(at, 3));
    run.Flush();
    const InstallOutcome outcome = run.Finish(c.end);
    EXPECT_EQ(c.kind, outcome.kind);
    EXPECT_EQ(c.exitStatus, outcome.exitStatus);
    EXPECT_EQ(c.reason, outcome.reason);
  }
}

TEST(InstallRun, StatusLinesMoveTheProgressAndStayOutOfTheLog) {
  InstallRun run(Privilege::User);
  EXPECT_EQ(-1, run.Percent());
  EXPECT_EQ("管理者の認証を待っています...", run.Step());
  EXPECT_EQ("インストールを開始しています...", InstallRun(Privilege::Root).Step());
  auto log = run.Take(InstallRun::Stream::Output, "Reading package lists...\n  velmora\n");
  EXPECT_EQ((Lines{"Reading package lists...", "  velmora"}), Texts(log));
  EXPECT_EQ("velmora", run.Step());
  EXPECT_EQ(-1, run.Percent());

  log = run.Take(InstallRun::Stream::Output, "pmstatus:velmora:amd64:40.0000:Unpacking velmora\n");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(40, run.Percent());
  EXPECT_EQ("Unpacking velmora", run.Step());

  // Plain output does not take the step back from a status line.
  run.Take(InstallRun::Stream::Output, "Setting up velmora (1.00) ...\n");
  EXPECT_EQ("Unpacking velmora", run.Step());

  log = run.Take(InstallRun::Stream::Output, "pmerror:velmora:50:it broke\n");
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(InstallRun::Stream::Error, log[0].stream);
  EXPECT_EQ("velmora: it broke", log[0].text);
  EXPECT_EQ(40, run.Percent());

  // Errors go to the log as they are; a last line without an end comes with
  // the flush.
  log = run.Take(InstallRun::Stream::Error, "E: one\nE: tw");
  EXPECT_EQ((Lines{"E: one"}), Texts(log));
  log = run.Flush();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(InstallRun::Stream::Error, log[0].stream);
  EXPECT_EQ("E: tw", log[0].text);
  EXPECT_TRUE(run.Flush().empty());
}

TEST(InstallRun, OutputInTheHostCodePageIsShownAsText) {
  InstallRun run(Privilege::Root);
  // "パッケージ" in code page 932 on the errors, in UTF-8 on a status line.
  run.Take(InstallRun::Stream::Error,
           "E: \x83p\x83"
           "b\x83P\x81[\x83W\n");
  run.Take(InstallRun::Stream::Output, "pmstatus:velmora:10:パッケージを展開\n");
  EXPECT_EQ("パッケージを展開", run.Step());
  EXPECT_EQ((Lines{"E: パッケージ"}), run.Finish({CommandEnd::Kind::Exited, 100}).reason);
}

TEST(InstallRun, EndlessOutputKeepsOnlyItsLastLines) {
  InstallRun run(Privilege::Root);
  for (int i = 0; i < 10000; ++i) {
    run.Take(InstallRun::Stream::Error, "E: line " + std::to_string(i) + "\n");
    run.Take(InstallRun::Stream::Output, "output " + std::to_string(i) + "\n");
  }
  EXPECT_EQ((Lines{"E: line 9995", "E: line 9996", "E: line 9997", "E: line 9998", "E: line 9999"}),
            run.Finish({CommandEnd::Kind::Exited, 100}).reason);
}

}  // namespace
