#include "launcher/installer/core/InstallRun.h"

#include "launcher/installer/core/AptMessage.h"
#include "launcher/installer/core/AptStatus.h"
#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "platform/SystemError.h"

#include <algorithm>
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
  heard_ = true;
  if (stream == Stream::Output) {
    if (std::optional<AptStatus> status = ParseAptStatus(raw)) {
      waiting_ = false;
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
  Read(stream, text);
  if (stream == Stream::Output) {
    std::string step = waiting_ ? std::string(kTextWaitingForLock) : TrimLeft(text);
    if (!step.empty()) outputStep_ = std::move(step);
    Keep(outputLines_, text);
  } else {
    Keep(errorLines_, text);
  }
  log.push_back({stream, std::move(text)});
}

void InstallRun::Read(Stream stream, const std::string& text) {
  if (std::optional<MessageMatch> match = MatchKnownMessage(stream, text)) {
    const KnownMessage::Effect effect = KnownMessages()[match->row].effect;
    if (stream == Stream::Output) waiting_ = effect == KnownMessage::Effect::Waiting;
    if (std::none_of(known_.begin(), known_.end(),
                     [&](const MessageMatch& kept) { return kept.row == match->row; }))
      known_.push_back(std::move(*match));
    return;
  }
  if (stream == Stream::Output) waiting_ = false;
  const bool alternative = std::exchange(alternativeFollows_, false);
  const std::optional<AptMessage> message = ParseAptMessage(text, alternative);
  if (!message) return;
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
}

std::string InstallRun::Step() const {
  if (!statusStep_.empty()) return statusStep_;
  if (!outputStep_.empty()) return outputStep_;
  return std::string(privilege_ == launcher::Privilege::User ? kTextWaitingForPassword
                                                             : kTextStarting);
}

bool InstallRun::Endable() const {
  if (privilege_ == launcher::Privilege::User) return !heard_;
  return waiting_;
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

std::optional<InstallOutcome> InstallRun::KnownOutcome(const CommandEnd& end) const {
  using Effect = KnownMessage::Effect;
  const bool success = end.kind == CommandEnd::Kind::Exited && end.code == 0;
  const std::span<const KnownMessage> rows = KnownMessages();
  const MessageMatch* found = nullptr;
  for (const MessageMatch& match : known_) {
    const KnownMessage& row = rows[match.row];
    const bool fits = success
                          ? row.effect == Effect::InstalledAlready
                          : (row.effect == Effect::Failure || row.effect == Effect::Cancellation) &&
                                (row.status == KnownMessage::kAnyStatus ||
                                 (end.kind == CommandEnd::Kind::Exited && end.code == row.status));
    if (fits && (found == nullptr || match.row < found->row)) found = &match;
  }
  if (found == nullptr) return std::nullopt;
  const KnownMessage& row = rows[found->row];
  const auto value = [&](size_t i) {
    return i < found->values.size() ? std::string_view(found->values[i]) : std::string_view();
  };
  const std::string text = FormatText(row.text, value(0), value(1));
  InstallOutcome outcome;
  if (row.effect == Effect::InstalledAlready) {
    outcome.kind = InstallOutcome::Kind::AlreadyInstalled;
    outcome.heading = text;
    return outcome;
  }
  const bool cancelled = row.effect == Effect::Cancellation;
  outcome.kind = cancelled ? InstallOutcome::Kind::Cancelled : InstallOutcome::Kind::Failed;
  outcome.heading = cancelled ? kTextCancelled : kTextFailed;
  outcome.reason.push_back(text);
  if (!row.advice.empty()) outcome.reason.push_back(FormatText(row.advice, value(0), value(1)));
  return outcome;
}

InstallOutcome InstallRun::NotStarted(std::vector<std::string> reason) {
  InstallOutcome outcome;
  outcome.kind = InstallOutcome::Kind::NotStarted;
  outcome.exitStatus = 127;
  outcome.heading = kTextNotStarted;
  outcome.reason = std::move(reason);
  return outcome;
}

InstallOutcome InstallRun::Closed() {
  InstallOutcome outcome;
  outcome.kind = InstallOutcome::Kind::Cancelled;
  outcome.exitStatus = 126;
  outcome.heading = kTextCancelled;
  return outcome;
}

InstallOutcome InstallRun::Finish(const CommandEnd& end) const {
  if (end.kind == CommandEnd::Kind::NotStarted) {
    return NotStarted(
        {std::string(launcher::kSessionProgram) + ": " + platform::SystemErrorText(end.code)});
  }
  const bool signalled = end.kind == CommandEnd::Kind::Signalled;
  const int exitStatus = signalled ? 128 + end.code : end.code;
  // A row of the table tells the outcome; pkexec's rows only after its own
  // exit statuses, which the command it runs can end with as well (a program
  // it cannot run).
  std::optional<InstallOutcome> outcome = KnownOutcome(end);
  if (!outcome) {
    outcome.emplace();
    if (exitStatus == 0) {
      outcome->kind = InstallOutcome::Kind::Installed;
      outcome->heading = kTextInstalled;
    } else {
      // The dependencies that cannot be installed, else the last errors.
      outcome->kind = InstallOutcome::Kind::Failed;
      outcome->heading = kTextFailed;
      for (const std::string& package : missing_)
        outcome->reason.push_back(FormatText(kTextMissingDependency, package));
      if (outcome->reason.empty()) outcome->reason = ErrorReason();
      if (outcome->reason.empty()) {
        outcome->reason.push_back(signalled
                                      ? FormatText(kTextSignal, std::to_string(end.code))
                                      : FormatText(kTextExitStatus, std::to_string(end.code)));
      }
    }
  }
  outcome->exitStatus = exitStatus;
  return *outcome;
}

}  // namespace installer
