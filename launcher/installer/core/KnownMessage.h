#pragma once
// The messages of the programs the installation runs that the window knows,
// each with the stream it comes on and what the window makes of it: one row
// a message. apt-get's, libapt-pkg's and dpkg's stand as their message
// catalogues write them, in English and in Japanese (they write in the
// user's language; a message the Japanese catalogue lacks comes in English
// whatever the language), with their conversions ("%s", "%d", "%.255s",
// "%2$s") standing for the values; pkexec's stand as it writes them, in
// English. A row matches a whole line, the blanks before it left out
// (dpkg writes the reason of an error on a line of its own after one blank).
// A new reason is one row here and its text in InstallerStrings.h. Only
// apt-get's unmet dependencies, which take more than one line, are read
// apart (AptMessage.h).
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

// The stream a line comes on.
enum class CommandStream { Output, Error };

struct KnownMessage {
  enum class Effect {
    Waiting,           // the step while the command runs: it waits for another program
    Failure,           // the reason of a failure
    Cancellation,      // the reason of a cancellation: nothing was installed
    InstalledAlready,  // the heading of a success: the package is installed at that version
  };
  // The exit status after which the row counts, or any.
  static constexpr int kAnyStatus = -1;

  CommandStream stream;
  std::string_view form;
  Effect effect;
  // The window's text, "%1" and "%2" standing for the form's first and
  // second values, and what to do, a line of its own (none when empty).
  std::string_view text;
  std::string_view advice = {};
  int status = kAnyStatus;
};

// Every row; where more than one row matches what a command wrote, the one
// first here gives the reason.
std::span<const KnownMessage> KnownMessages();

// A line that a row matched: the row's index and the values, in the order
// of the message's arguments.
struct MessageMatch {
  size_t row = 0;
  std::vector<std::string> values;
};

// The first row of the stream that matches the line; none when no row does.
std::optional<MessageMatch> MatchKnownMessage(CommandStream stream, std::string_view line);

// The values of the form's conversions when the form matches the whole line,
// in the order of their arguments: a conversion stands for any text (the
// first place where the text after it follows is taken), a number's ("%d",
// "%i", "%u") for digits only. "%%" is a '%'. None when the form does not
// match.
std::optional<std::vector<std::string>> MatchForm(std::string_view form, std::string_view line);

}  // namespace installer
