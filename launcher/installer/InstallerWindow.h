#pragma once
// The installer window: installs one package through the system's package
// installer and shows what it installs, the progress while the installer
// runs, and the outcome: installed, installed already at that version,
// failed with the cause in its own words or the installer's own reason, or
// cancelled at the administrator's password prompt. A package file that is
// missing, cannot be read or is built for another architecture is named
// before anything is started; while another program installs software, the
// window waits for it before it starts. The installer runs as a separate
// process whose output the window reads as it comes, so the window stays
// responsive throughout. It stays open until the user closes it; while it
// waits (for the other program, for the password, or as root for apt-get's
// wait for the other program) closing it ends the wait and installs
// nothing.
#include <sys/types.h>
#include <QDialog>
#include <QElapsedTimer>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "launcher/core/InstallerCommand.h"
#include "launcher/installer/core/InstallRun.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSocketNotifier;
class QTimer;

namespace installer {

class InstallerWindow : public QDialog {
  Q_OBJECT
 public:
  // The window for the package at `packagePath`, as the command line gave it
  // (bytes; relative to the current folder unless absolute), installed with
  // the given privilege. Nothing runs until Start.
  InstallerWindow(std::string packagePath, launcher::Privilege privilege,
                  QWidget* parent = nullptr);
  ~InstallerWindow() override;

  // The lock files that tell that another program installs software, and
  // how long the window waits for them at most before it starts the
  // installer (PackageLockFiles() and launcher::kLockWaitSeconds unless
  // set); before Start.
  void WatchLocks(std::vector<std::string> lockFiles, std::chrono::milliseconds limit);

  // Checks the package file (its archive read through, which takes as long
  // as reading the file), waits while another program holds the package
  // system, then starts the installer and returns; the window follows it
  // from the event loop and shows the outcome when it has ended. Once only.
  void Start();

  // Started and not yet ended.
  bool Running() const { return pid_ > 0; }

  // The outcome; none before the installer has ended.
  const std::optional<InstallOutcome>& Outcome() const { return outcome_; }

 signals:
  // The installer has ended (or could not be started); Outcome() holds what
  // became of it.
  void Finished();

 public slots:
  // Escape, the close button and the window's own close: the window closes
  // once the installer has ended, and while it waits (the wait ends, nothing
  // is installed). While it installs nothing happens: an installation cut
  // short could leave the system's packages half installed.
  void reject() override;

 private:
  enum { kOutput = 0, kError = 1 };

  void WatchTick();
  void StartInstaller();
  void Finish(InstallOutcome outcome);
  void Read(int which);
  void Poll();
  void End(const CommandEnd& end);
  // Feeds what the stream's pipe holds now, at most one chunk, to the run
  // and the log; answers whether the pipe stays open, and sets `full` when a
  // whole chunk came (more may wait).
  bool Feed(int which, bool* full);
  void CloseStream(int which);
  void AddToLog(const std::vector<InstallRun::Line>& lines);
  void ShowProgress();
  void ShowOutcome();
  bool Closable() const;

  std::string packagePath_;
  launcher::Privilege privilege_;
  InstallRun run_;
  bool started_ = false;
  pid_t pid_ = 0;
  int fds_[2] = {-1, -1};
  QSocketNotifier* notifiers_[2] = {nullptr, nullptr};
  QTimer* poll_ = nullptr;
  std::optional<InstallOutcome> outcome_;
  // The wait for another program's locks before the start.
  std::optional<std::vector<std::string>> lockFiles_;
  std::chrono::milliseconds lockWait_;
  QTimer* watch_ = nullptr;
  QElapsedTimer watchClock_;
  // The window was closed while it waited, and the installer ended for it.
  bool closing_ = false;

  QLabel* package_ = nullptr;
  QLabel* step_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPlainTextEdit* reason_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace installer
