#include "launcher/installer/core/InstallRun.h"

#include "launcher/installer/core/AptStatus.h"
#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <functional>
#include <optional>

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
  if (stream == Stream::Output) {
    std::string step = TrimLeft(text);
    if (!step.empty()) outputStep_ = std::move(step);
    Keep(outputLines_, text);
  } else {
    Keep(errorLines_, text);
  }
  log.push_back({stream, std::move(text)});
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

InstallOutcome InstallRun::Finish(const CommandEnd& end) const {
  using Kind = InstallOutcome::Kind;
  InstallOutcome outcome;
  switch (end.kind) {
    case CommandEnd::Kind::NotStarted: {
      outcome.kind = Kind::NotStarted;
      outcome.exitStatus = 127;
      const std::string_view program = privilege_ == launcher::Privilege::User
                                           ? launcher::kElevationProgram
                                           : launcher::kEnvironmentProgram;
      outcome.reason.push_back(std::string(program) + ": " + platform::SystemErrorText(end.code));
      return outcome;
    }
    case CommandEnd::Kind::Signalled:
      outcome.kind = Kind::Failed;
      outcome.exitStatus = 128 + end.code;
      outcome.reason = ErrorReason();
      if (outcome.reason.empty())
        outcome.reason.push_back(FormatText(kTextSignal, std::to_string(end.code)));
      return outcome;
    case CommandEnd::Kind::Exited: break;
  }
  outcome.exitStatus = end.code;
  if (end.code == 0) {
    outcome.kind = Kind::Installed;
    return outcome;
  }
  // pkexec ends with 126 when its password prompt was dismissed and with 127
  // when it was refused or found no authority; the command it runs can end
  // with either as well (env: 126 for a program it cannot run), so only
  // pkexec's own word makes the run cancelled.
  if (privilege_ == launcher::Privilege::User && end.code == 126 &&
      std::any_of(errorLines_.begin(), errorLines_.end(),
                  [](const std::string& line) { return Mentions(line, "dismissed"); })) {
    outcome.kind = Kind::Cancelled;
    return outcome;
  }
  outcome.kind = Kind::Failed;
  outcome.reason = ErrorReason();
  if (outcome.reason.empty())
    outcome.reason.push_back(FormatText(kTextExitStatus, std::to_string(end.code)));
  return outcome;
}

}  // namespace installer
