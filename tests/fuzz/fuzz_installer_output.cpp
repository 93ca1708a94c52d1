// The installer window's reading of the package installer's output and
// errors: any bytes, cut into pieces of any size on either stream, then every
// kind of end. What it shows is UTF-8 without control characters, of bounded
// size, and the progress stays a percentage.
#include <string>
#include <string_view>

#include "launcher/core/InstallInfo.h"
#include "launcher/installer/core/AptMessage.h"
#include "launcher/installer/core/AptStatus.h"
#include "launcher/installer/core/InstallRun.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// A line shown: UTF-8 without control characters other than tab, and no
// longer than an overlong line after every byte of it grew to three, with a
// sentence of the window's own around it.
void CheckShown(const std::string& text) {
  FUZZ_CHECK(launcher::IsValidUtf8(text));
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    FUZZ_CHECK(byte >= 0x20 || c == '\t');
    FUZZ_CHECK(byte != 0x7F);
  }
  FUZZ_CHECK(text.size() <= 3 * installer::LineSplitter::kMaxLineBytes + 256);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const launcher::Privilege privilege =
      data[0] & 1 ? launcher::Privilege::User : launcher::Privilege::Root;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  // Each byte that starts a piece also gives its length and its stream.
  installer::InstallRun run(privilege);
  size_t at = 0;
  while (at < bytes.size()) {
    const auto head = static_cast<unsigned char>(bytes[at]);
    const size_t length = std::min<size_t>(1 + head % 97, bytes.size() - at);
    const auto stream =
        head & 0x80 ? installer::InstallRun::Stream::Error : installer::InstallRun::Stream::Output;
    for (const installer::InstallRun::Line& line : run.Take(stream, bytes.substr(at, length)))
      CheckShown(line.text);
    FUZZ_CHECK(run.Percent() >= -1 && run.Percent() <= 100);
    at += length;
  }
  for (const installer::InstallRun::Line& line : run.Flush()) CheckShown(line.text);
  CheckShown(run.Step());

  // The bytes on their own as a status line, and as an unmet dependency of
  // apt-get's, first or further alternative.
  if (std::optional<installer::AptStatus> status = installer::ParseAptStatus(bytes)) {
    FUZZ_CHECK(status->percent >= 0 && status->percent <= 100);
    FUZZ_CHECK(!status->package.empty());
  }
  for (bool alternative : {false, true}) {
    if (std::optional<installer::AptMessage> message =
            installer::ParseAptMessage(bytes, alternative)) {
      FUZZ_CHECK(!message->package.empty());
      FUZZ_CHECK(message->package.size() <= bytes.size());
    }
  }

  const installer::CommandEnd ends[] = {
      {installer::CommandEnd::Kind::Exited, 0},    {installer::CommandEnd::Kind::Exited, 100},
      {installer::CommandEnd::Kind::Exited, 126},  {installer::CommandEnd::Kind::Exited, 127},
      {installer::CommandEnd::Kind::Signalled, 9}, {installer::CommandEnd::Kind::NotStarted, 2},
  };
  for (const installer::CommandEnd& end : ends) {
    const installer::InstallOutcome outcome = run.Finish(end);
    FUZZ_CHECK(outcome.reason.size() <= installer::InstallRun::kReasonLines);
    const bool installed = outcome.kind == installer::InstallOutcome::Kind::Installed ||
                           outcome.kind == installer::InstallOutcome::Kind::AlreadyInstalled;
    FUZZ_CHECK(installed == (outcome.exitStatus == 0));
    CheckShown(outcome.heading);
    FUZZ_CHECK(outcome.kind == installer::InstallOutcome::Kind::Installed ||
               outcome.kind == installer::InstallOutcome::Kind::AlreadyInstalled ||
               outcome.kind == installer::InstallOutcome::Kind::Cancelled ||
               !outcome.reason.empty());
    for (const std::string& line : outcome.reason) CheckShown(line);
  }
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  seeds.Add("root-install",
            std::string("\x00", 1) +
                "\x1bReading package lists...\n\x30pmstatus:velmora:amd64:40.0000:Unpacking\n");
  seeds.Add("user-errors",
            "\x01\x9a"
            "E: Unsupported file /a b/x.deb given on commandline\nW: w\n");
  seeds.Add("dismissed",
            "\x01\xc0"
            "Error executing command as another user: Request dismissed\n");
  seeds.Add("cp932", std::string("\x00\x8a", 2) +
                         "E: \x83p\x83"
                         "b\x83P\x81[\x83W\n");
  seeds.Add("pmerror", "\x01\x40pmerror:velmora:50:post-installation script failed\n");
  seeds.Add("progress-cr", "\x01\x20(Reading database ... 5%\r(Reading database ... 10%\r");
  seeds.Add("unmet-dependencies",
            std::string("\x00\x60", 2) +
                " velmora : Depends: libfoo1 (>= 2) but it is not installable or\n"
                "                    libbar but it is not going to be installed\n"
                "           PreDepends: libbaz but 1.0 is to be installed\n");
  seeds.Add("unmet-dependencies-ja",
            "\x01\x60"
            " velmora : 依存: libfoo1 (>= 2) しかし、インストールすることができません または\n"
            "   libbar しかし、インストールされようとしていません\n");
  seeds.Add("already-newest", std::string("\x00\x30", 2) +
                                  "velmora is already the newest version (1.00).\n"
                                  "velmora はすでに最新バージョン (1.00) です。\n");
  seeds.Add("unsupported-file-no-agent",
            "\x01\xb0"
            "E: コマンドラインで指定されたファイル /y.deb はサポートされていません\n"
            "Error executing command as another user: No authentication agent found.\n");
  seeds.Add("damaged-file",
            "\x01\xd0"
            "E: 不正なアーカイブメンバーヘッダ\nE: Could not read meta data from /a b/x.deb\n");
  seeds.Add("no-terminal-agent",
            "\x01\xe0"
            "Error creating textual authentication agent: Error opening current controlling "
            "terminal for the process (`/dev/tty'): No such device or address\n");
  seeds.Add("lock-full-disk-architecture",
            "\x01\x60Waiting for cache lock: Could not get lock /var/lib/dpkg/lock. It is held "
            "by process 1 (x)...\n\xc0 cannot copy extracted data for './x' to '/x.dpkg-new': "
            "failed to write (No space left on device)\n\xb0 package architecture (arm64) does "
            "not match system (amd64)\n");
  seeds.Add("agent-fails",
            "\x01\xf0"
            "polkit-agent-helper-1: error response to PolicyKit daemon: GDBus.Error:x\n"
            "==== AUTHENTICATION FAILED ====\n"
            "Error executing command as another user: Not authorized\n");
}
