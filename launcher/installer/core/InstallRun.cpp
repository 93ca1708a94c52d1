#include "launcher/installer/core/InstallRun.h"

#include "launcher/installer/core/AptMessage.h"
#include "launcher/installer/core/AptStatus.h"
#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <utility>

namespace installer {

namespace {

void Keep(std::deque<std::string>& lines, std::string line) {
  lines.push_back(std::move(line));
  if (lines.size() > InstallRun::kKeptLines) lines.pop_front();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Whether the text holds the word, ASCII letters compared without case.
bool Mentions(std::string_view text, std::string_view word) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return std::search(text.begin(), text.end(), word.begin(), word.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

std::string TrimLeft(std::string text) {
  const size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

InstallRun::InstallRun(launcher::Privilege privilege) : privilege_(privilege) {}

std::vector<InstallRun::Line> InstallRun::Take(Stream stream, std::string_view bytes) {
  std::vector<Line> log;
  LineSplitter& splitter = stream == Stream::Output ? output_ : errors_;
  for (const std::string& raw : splitter.Take(bytes)) Add(stream, raw, log);
  return log;
}

std::vector<InstallRun::Line> InstallRun::Flush() {
  std::vector<Line> log;
  if (std::optional<std::string> last = output_.Finish()) Add(Stream::Output, *last, log);
  if (std::optional<std::string> last = errors_.Finish()) Add(Stream::Error, *last, log);
  return log;
}

void InstallRun::Add(Stream stream, const std::string& raw, std::vector<Line>& log) {
  if (stream == Stream::Output) {
    if (std::optional<AptStatus> status = ParseAptStatus(raw)) {
      std::string text = DisplayText(status->text);
      if (status->kind == AptStatus::Kind::Error) {
        std::string line = DisplayText(status->package) + ": " + text;
        Keep(packageErrors_, line);
        log.push_back({Stream::Error, std::move(line)});
        return;
      }
      percent_ = status->percent;
      if (!text.empty()) statusStep_ = std::move(text);
      return;
    }
  }
  std::string text = DisplayText(raw);
  if (text.empty()) return;
  Read(text);
  if (stream == Stream::Output) {
    std::string step = TrimLeft(text);
    if (!step.empty()) outputStep_ = std::move(step);
    Keep(outputLines_, text);
  } else {
    Keep(errorLines_, text);
  }
  log.push_back({stream, std::move(text)});
}

void InstallRun::Read(const std::string& text) {
  const bool alternative = std::exchange(alternativeFollows_, false);
  const std::optional<AptMessage> message = ParseAptMessage(text, alternative);
  if (!message) return;
  switch (message->kind) {
    case AptMessage::Kind::UnmetDependency:
      if (alternative) {
        // Alternatives join their first, within the length of one line.
        if (lastKept_ && missing_.back().size() < LineSplitter::kMaxLineBytes)
          missing_.back().append(" | ").append(message->package);
      } else {
        lastKept_ = missing_.size() < kReasonLines &&
                    std::find(missing_.begin(), missing_.end(), message->package) == missing_.end();
        if (lastKept_) missing_.push_back(message->package);
      }
      alternativeFollows_ = message->moreAlternatives;
      break;
    case AptMessage::Kind::AlreadyNewest:
      alreadyNewest_.emplace(message->package, message->version);
      break;
    case AptMessage::Kind::UnsupportedFile: unsupportedFile_ = message->package; break;
    case AptMessage::Kind::DamagedFile: damagedFile_ = message->package; break;
  }
}

std::string InstallRun::Step() const {
  if (!statusStep_.empty()) return statusStep_;
  if (!outputStep_.empty()) return outputStep_;
  return std::string(privilege_ == launcher::Privilege::User ? kTextWaitingForPassword
                                                             : kTextStarting);
}

std::vector<std::string> InstallRun::ErrorReason() const {
  // apt-get's errors ("E: ..."), else the packages that failed, else
  // whatever went to the errors but apt-get's warnings and notes (pkexec
  // writes its reasons there without a prefix), else the last errors or
  // output at all.
  const auto isError = [](const std::string& line) { return StartsWith(line, "E:"); };
  const auto notNote = [](const std::string& line) {
    return !StartsWith(line, "W:") && !StartsWith(line, "N:");
  };
  const auto any = [](const std::string&) { return true; };
  using Filter = std::function<bool(const std::string&)>;
  const std::pair<const std::deque<std::string>*, Filter> choices[] = {
      {&errorLines_, isError}, {&packageErrors_, any}, {&errorLines_, notNote},
      {&errorLines_, any},     {&outputLines_, any},
  };
  for (const auto& [lines, filter] : choices) {
    std::vector<std::string> picked;
    for (const std::string& line : *lines) {
      if (filter(line)) picked.push_back(line);
    }
    if (picked.empty()) continue;
    if (picked.size() > kReasonLines)
      picked.erase(picked.begin(), picked.end() - static_cast<std::ptrdiff_t>(kReasonLines));
    return picked;
  }
  return {};
}

std::vector<std::string> InstallRun::KnownReason(const CommandEnd& end) const {
  std::vector<std::string> reason;
  for (const std::string& package : missing_)
    reason.push_back(FormatText(kTextMissingDependency, package));
  if (!reason.empty()) return reason;
  if (!damagedFile_.empty()) return {FormatText(kTextPackageDamaged, damagedFile_)};
  if (!unsupportedFile_.empty()) return {FormatText(kTextPackageUnreadable, unsupportedFile_)};
  // pkexec ends with 127 when it could ask no one for the password, or the
  // answer was no.
  if (privilege_ != launcher::Privilege::User || end.kind != CommandEnd::Kind::Exited ||
      end.code != 127)
    return {};
  // Where no agent can ask, pkexec says so, or tries an agent of its own on
  // the controlling terminal, which fails without one ("Error creating
  // textual authentication agent: Error opening current controlling terminal
  // ...") or outside a login session ("Error registering local ..."); an
  // agent whose helper cannot check the password at all writes why before
  // pkexec's "Not authorized" (a wrong password is a refusal: "pam_authenticate
  // failed"). Those come first, as pkexec's word follows them.
  const std::pair<std::string_view, std::string_view> causes[] = {
      {"No authentication agent found", kTextNoAgent},
      {"Error creating textual authentication agent", kTextNoAgent},
      {"Error registering local authentication agent", kTextNoAgent},
      {"error response to PolicyKit daemon", kTextNoAgent},
      {"polkit-agent-helper-1: pam_start failed", kTextNoAgent},
      {"needs to be setuid root", kTextNoAgent},
      {"Got unexpected EOF while reading from controlling terminal", kTextNoAgent},
      {"Error getting authority", kTextNoAuthority},
      {"Not authorized", kTextNotAuthorized},
  };
  for (const auto& cause : causes) {
    if (std::any_of(errorLines_.begin(), errorLines_.end(),
                    [&](const std::string& line) { return Mentions(line, cause.first); }))
      return {std::string(cause.second), std::string(kTextUseSudo)};
  }
  return {};
}

InstallOutcome InstallRun::NotStarted(std::vector<std::string> reason) {
  InstallOutcome outcome;
  outcome.kind = InstallOutcome::Kind::NotStarted;
  outcome.exitStatus = 127;
  outcome.heading = kTextNotStarted;
  outcome.reason = std::move(reason);
  return outcome;
}

InstallOutcome InstallRun::Finish(const CommandEnd& end) const {
  using Kind = InstallOutcome::Kind;
  InstallOutcome outcome;
  outcome.heading = kTextFailed;
  switch (end.kind) {
    case CommandEnd::Kind::NotStarted: {
      if (privilege_ == launcher::Privilege::User && end.code == ENOENT)
        return NotStarted({std::string(kTextNoPkexec), std::string(kTextUseSudo)});
      const std::string_view program = privilege_ == launcher::Privilege::User
                                           ? launcher::kElevationProgram
                                           : launcher::kEnvironmentProgram;
      return NotStarted({std::string(program) + ": " + platform::SystemErrorText(end.code)});
    }
    case CommandEnd::Kind::Signalled:
      outcome.kind = Kind::Failed;
      outcome.exitStatus = 128 + end.code;
      outcome.reason = KnownReason(end);
      if (outcome.reason.empty()) outcome.reason = ErrorReason();
      if (outcome.reason.empty())
        outcome.reason.push_back(FormatText(kTextSignal, std::to_string(end.code)));
      return outcome;
    case CommandEnd::Kind::Exited: break;
  }
  outcome.exitStatus = end.code;
  if (end.code == 0) {
    outcome.kind = alreadyNewest_ ? Kind::AlreadyInstalled : Kind::Installed;
    outcome.heading = alreadyNewest_ ? FormatText(kTextAlreadyInstalled, alreadyNewest_->first,
                                                  alreadyNewest_->second)
                                     : std::string(kTextInstalled);
    return outcome;
  }
  // pkexec ends with 126 when its password prompt was dismissed and with 127
  // when it was refused or found no authority; the command it runs can end
  // with either as well (a program it cannot run), so only pkexec's own word
  // makes the run cancelled.
  if (privilege_ == launcher::Privilege::User && end.code == 126 &&
      std::any_of(errorLines_.begin(), errorLines_.end(),
                  [](const std::string& line) { return Mentions(line, "dismissed"); })) {
    outcome.kind = Kind::Cancelled;
    outcome.heading = kTextCancelled;
    return outcome;
  }
  outcome.kind = Kind::Failed;
  outcome.reason = KnownReason(end);
  if (outcome.reason.empty()) outcome.reason = ErrorReason();
  if (outcome.reason.empty())
    outcome.reason.push_back(FormatText(kTextExitStatus, std::to_string(end.code)));
  return outcome;
}

}  // namespace installer
