#include "launcher/installer/core/KnownMessage.h"

#include "launcher/installer/core/InstallerStrings.h"

#include <cstring>

namespace installer {

namespace {

using Effect = KnownMessage::Effect;
constexpr CommandStream kOut = CommandStream::Output;
constexpr CommandStream kErr = CommandStream::Error;

constexpr KnownMessage kRows[] = {
    // pkexec, once it has ended: 126 when the password prompt was closed,
    // 127 when no prompt could be shown or the answer was no. An agent that
    // cannot ask, or whose helper cannot check the password at all, says so
    // before pkexec's "Not authorized" (a wrong password is a refusal:
    // "pam_authenticate failed"), so those rows stand first.
    {kErr,
     "Error executing command as another user: Request dismissed",
     Effect::Cancellation,
     kTextPromptClosed,
     {},
     126},
    {kErr, "Error executing command as another user: No authentication agent found.",
     Effect::Failure, kTextNoAgent, kTextUseSudo, 127},
    // Its own agent, on the controlling terminal: there is none, or no
    // login session to register it in, or the terminal closed.
    {kErr, "Error creating textual authentication agent: %s", Effect::Failure, kTextNoAgent,
     kTextUseSudo, 127},
    {kErr, "Error registering local authentication agent: %s", Effect::Failure, kTextNoAgent,
     kTextUseSudo, 127},
    {kErr, "%sGot unexpected EOF while reading from controlling terminal.", Effect::Failure,
     kTextNoAgent, kTextUseSudo, 127},
    {kErr, "polkit-agent-helper-1: error response to PolicyKit daemon: %s", Effect::Failure,
     kTextNoAgent, kTextUseSudo, 127},
    {kErr, "polkit-agent-helper-1: pam_start failed: %s", Effect::Failure, kTextNoAgent,
     kTextUseSudo, 127},
    {kErr, "polkit-agent-helper-1: needs to be setuid root", Effect::Failure, kTextNoAgent,
     kTextUseSudo, 127},
    {kErr, "Error getting authority: %s", Effect::Failure, kTextNoAuthority, kTextUseSudo, 127},
    {kErr, "Error executing command as another user: Not authorized", Effect::Failure,
     kTextWrongPassword, kTextOwnPassword, 127},

    // libapt-pkg: another program holds the package system. apt-get waits
    // for the dpkg frontend lock, saying so about once a second, then gives
    // up; the other locks it does not wait for. A lock whose holder it cannot
    // tell comes as an error of the system ("%s - %s (%i: %s)").
    {kOut, "Waiting for cache lock: %s", Effect::Waiting, kTextWaitingForLock},
    {kErr, "E: Unable to acquire the dpkg frontend lock (%s), is another process using it?",
     Effect::Failure, kTextPackageSystemBusy, kTextTryAfterOther},
    {kErr, "E: Could not get lock %s. It is held by process %d (%s)", Effect::Failure,
     kTextPackageSystemBusy, kTextTryAfterOther},
    {kErr, "E: Could not get lock %s. It is held by process %d", Effect::Failure,
     kTextPackageSystemBusy, kTextTryAfterOther},
    {kErr, "E: Could not get lock %s - %s (%i: %s)", Effect::Failure, kTextPackageSystemBusy,
     kTextTryAfterOther},
    {kErr, "E: ロック %s が取得できませんでした - %s (%i: %s)", Effect::Failure,
     kTextPackageSystemBusy, kTextTryAfterOther},
    {kErr, "E: Unable to lock the administration directory (%s), is another process using it?",
     Effect::Failure, kTextPackageSystemBusy, kTextTryAfterOther},
    {kErr,
     "E: 管理用ディレクトリ (%s) をロックできません。これを使う別のプロセスが動いていませんか?",
     Effect::Failure, kTextPackageSystemBusy, kTextTryAfterOther},
    {kErr, "E: Unable to lock directory %s", Effect::Failure, kTextPackageSystemBusy,
     kTextTryAfterOther},
    {kErr, "E: ディレクトリ %s をロックできません", Effect::Failure, kTextPackageSystemBusy,
     kTextTryAfterOther},

    // apt-get, on the package file: its archive members cannot be read (in
    // English whatever the language), or it is no package at all.
    {kErr, "E: Could not read meta data from %s", Effect::Failure, kTextPackageDamaged},
    {kErr, "E: Unsupported file %s given on commandline", Effect::Failure, kTextPackageUnreadable},
    {kErr, "E: コマンドラインで指定されたファイル %s はサポートされていません", Effect::Failure,
     kTextPackageUnreadable},

    // dpkg: the package is built for another architecture.
    {kErr, "package architecture (%s) does not match system (%s)", Effect::Failure,
     kTextWrongArchitecture},
    {kErr, "パッケージアーキテクチャ (%s) がシステム (%s) と一致しません", Effect::Failure,
     kTextWrongArchitecture},

    // The disk is full: dpkg could not write a file it unpacked ("failed to
    // write (%s)" with the system's reason), or another error of dpkg's or
    // libapt-pkg's ends with the system's reason.
    {kErr,
     "cannot copy extracted data for '%.255s' to '%.255s': failed to write (No space left on "
     "device)",
     Effect::Failure, kTextNoSpace, kTextFreeSpace},
    {kErr,
     "'%.255s' の展開済みデータを '%.255s' にコピーできません: 書き込みに失敗しました "
     "(デバイスに空き領域がありません)",
     Effect::Failure, kTextNoSpace, kTextFreeSpace},
    {kErr, "%s: No space left on device", Effect::Failure, kTextNoSpace, kTextFreeSpace},
    {kErr, "%s: デバイスに空き領域がありません", Effect::Failure, kTextNoSpace, kTextFreeSpace},
    {kErr, "E: %s - %s (28: No space left on device)", Effect::Failure, kTextNoSpace,
     kTextFreeSpace},
    {kErr, "E: %s - %s (28: デバイスに空き領域がありません)", Effect::Failure, kTextNoSpace,
     kTextFreeSpace},

    // apt-get: the package is installed already at that version.
    {kOut, "%s is already the newest version (%s).", Effect::InstalledAlready,
     kTextAlreadyInstalled},
    {kOut, "%s はすでに最新バージョン (%s) です。", Effect::InstalledAlready,
     kTextAlreadyInstalled},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumber(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// A conversion of a form: the argument it takes and whether that is a number.
struct Conversion {
  size_t argument = 0;
  bool number = false;
};

}  // namespace

std::span<const KnownMessage> KnownMessages() { return kRows; }

std::optional<std::vector<std::string>> MatchForm(std::string_view form, std::string_view line) {
  // The form's literal texts, one more than its conversions, which stand
  // between them.
  std::vector<std::string> literals(1);
  std::vector<Conversion> conversions;
  size_t i = 0;
  while (i < form.size()) {
    if (form[i] != '%') {
      literals.back() += form[i++];
      continue;
    }
    if (form.substr(i, 2) == "%%") {
      literals.back() += '%';
      i += 2;
      continue;
    }
    // %[argument$][flags][width][.precision][length]conversion
    size_t j = i + 1;
    size_t digits = j;
    while (digits < form.size() && IsDigit(form[digits])) ++digits;
    size_t argument = conversions.size();
    if (digits > j && digits < form.size() && form[digits] == '$') {
      argument = std::stoul(std::string(form.substr(j, digits - j))) - 1;
      j = digits + 1;
    }
    while (j < form.size() && std::strchr("-+ #0'", form[j]) != nullptr) ++j;
    while (j < form.size() && (IsDigit(form[j]) || form[j] == '*')) ++j;
    if (j < form.size() && form[j] == '.') {
      ++j;
      while (j < form.size() && IsDigit(form[j])) ++j;
    }
    while (j < form.size() && std::strchr("hlLqjzt", form[j]) != nullptr) ++j;
    if (j >= form.size()) return std::nullopt;  // a form cut off in a conversion
    conversions.push_back({argument, std::strchr("diu", form[j]) != nullptr});
    literals.emplace_back();
    i = j + 1;
  }

  if (line.substr(0, literals.front().size()) != literals.front()) return std::nullopt;
  size_t at = literals.front().size();
  std::vector<std::string> values(conversions.size());
  for (size_t k = 0; k < conversions.size(); ++k) {
    const std::string& next = literals[k + 1];
    size_t end;
    if (k + 1 == conversions.size()) {
      // The last text ends the line.
      if (line.size() < at + next.size()) return std::nullopt;
      end = line.size() - next.size();
      if (line.substr(end) != next) return std::nullopt;
    } else {
      end = line.find(next, at);
      if (end == std::string_view::npos) return std::nullopt;
    }
    const std::string_view value = line.substr(at, end - at);
    if (conversions[k].number && !IsNumber(value)) return std::nullopt;
    if (conversions[k].argument >= values.size()) return std::nullopt;
    values[conversions[k].argument] = std::string(value);
    at = end + next.size();
  }
  if (conversions.empty() && line.size() != at) return std::nullopt;
  return values;
}

std::optional<MessageMatch> MatchKnownMessage(CommandStream stream, std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  line.remove_prefix(first);
  for (size_t row = 0; row < std::size(kRows); ++row) {
    if (kRows[row].stream != stream) continue;
    if (std::optional<std::vector<std::string>> values = MatchForm(kRows[row].form, line))
      return MessageMatch{row, std::move(*values)};
  }
  return std::nullopt;
}

}  // namespace installer
