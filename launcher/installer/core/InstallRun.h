#pragma once
// One run of the installation command (launcher/core/InstallerCommand.h) as
// the installer window follows it: the command's output and errors as they
// arrive, the progress they show, and the outcome once it has ended. It owns
// no process: the window starts the command and feeds it what it reads.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/core/InstallerCommand.h"
#include "launcher/installer/core/KnownMessage.h"
#include "launcher/installer/core/LineSplitter.h"

namespace installer {

// How the command ended.
struct CommandEnd {
  enum class Kind { NotStarted, Exited, Signalled };
  Kind kind = Kind::NotStarted;
  int code = 0;  // the exit status, the signal number, or the errno of the failed start
};

// What the installation came to.
struct InstallOutcome {
  enum class Kind {
    Installed,         // the command ended with status 0
    AlreadyInstalled,  // ended with status 0, the package being installed at that version
    Failed,            // any other end
    Cancelled,         // the password prompt was dismissed, or the window closed while it waited
    NotStarted,        // the command could not be started, or the package file is unusable
  };
  Kind kind = Kind::Failed;
  // What the window says it came to, in UTF-8.
  std::string heading;
  // What the installer window ends with: the command's exit status; 128 plus
  // the signal number after a signal; 127 when the command did not start;
  // 126 when the window was closed while it waited.
  int exitStatus = 0;
  // Why it failed or was cancelled, in UTF-8 lines: the cause in the
  // window's own words, with what to do, where it knows it from what the
  // command wrote (a row of KnownMessages(), a dependency that cannot be
  // installed), else their last error lines, else a text of the window's own
  // when they said nothing. Empty otherwise.
  std::vector<std::string> reason;
};

class InstallRun {
 public:
  using Stream = CommandStream;
  // A line for the log, in UTF-8.
  struct Line {
    Stream stream;
    std::string text;
  };

  // Lines kept of each kind (output, errors, package errors) to find the
  // reason in, and the most the reason holds.
  static constexpr size_t kKeptLines = 50;
  static constexpr size_t kReasonLines = 5;

  explicit InstallRun(launcher::Privilege privilege);

  // Takes the next piece of the command's output or errors and answers the
  // lines it completed, for the log. apt-get's status lines move the progress
  // on; of those only the package errors go to the log, as
  // "<package>: <message>".
  std::vector<Line> Take(Stream stream, std::string_view bytes);

  // The last lines that had no line end; called once the command has ended.
  std::vector<Line> Flush();

  // The progress in percent; -1 while no status line has given one.
  int Percent() const { return percent_; }

  // The step in work: the description of the last status line, else the last
  // line of output (in the window's words where a row of KnownMessages()
  // says the command waits); before either, waiting for the password
  // (through pkexec) or starting.
  std::string Step() const;

  // Whether ending the command now installs nothing, and is the window's to
  // do: through pkexec, while nothing has been read (pkexec waits for the
  // password, as the window's own user); as root, also while apt-get's last
  // output says that it waits for another program (through pkexec apt-get
  // then runs as root, which the window cannot end).
  bool Endable() const;

  // The outcome of the command's end, from its status and what it wrote.
  InstallOutcome Finish(const CommandEnd& end) const;

  // The outcome when the command is not started for the reason given.
  static InstallOutcome NotStarted(std::vector<std::string> reason);

  // The outcome when the window is closed while it waits, before the
  // command has done anything.
  static InstallOutcome Closed();

 private:
  void Add(Stream stream, const std::string& raw, std::vector<Line>& log);
  void Read(Stream stream, const std::string& text);
  std::optional<InstallOutcome> KnownOutcome(const CommandEnd& end) const;
  std::vector<std::string> ErrorReason() const;

  launcher::Privilege privilege_;
  LineSplitter output_;
  LineSplitter errors_;
  int percent_ = -1;
  std::string statusStep_;
  std::string outputStep_;
  std::deque<std::string> outputLines_;
  std::deque<std::string> errorLines_;
  std::deque<std::string> packageErrors_;
  bool heard_ = false;    // a line has come on either stream
  bool waiting_ = false;  // the last output matched a row that waits
  // The rows of KnownMessages() that lines matched, each once, with the
  // values of its first match.
  std::vector<MessageMatch> known_;
  // The dependencies apt-get could not meet (the first kReasonLines).
  std::vector<std::string> missing_;
  bool alternativeFollows_ = false;
  bool lastKept_ = false;  // the last dependency is in missing_
};

}  // namespace installer
