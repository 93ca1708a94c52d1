#include "launcher/installer/InstallerWindow.h"

#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/InstallerStrings.h"
#include "launcher/installer/core/PackageFile.h"
#include "launcher/installer/core/PackageLocks.h"
#include "platform/Process.h"
#include "platform/qt/DialogUnits.h"

#include <signal.h>
#include <unistd.h>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStyle>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <cerrno>
#include <cmath>
#include <utility>

namespace installer {

namespace {

// Read at most this much per wake-up, so that a flood of output cannot hold
// the event loop.
constexpr size_t kReadChunk = 64 * 1024;
// After the end, what is still in the pipes is read up to this much.
constexpr int kDrainChunks = 16;
// How often the window asks whether the installer has ended.
constexpr int kPollMilliseconds = 50;
// Lines the log keeps; older ones are dropped.
constexpr int kLogLines = 2000;
// How often the window looks whether the other program has let go of the
// package system.
constexpr int kWatchMilliseconds = 500;
// The reason box grows to show the whole reason up to this many lines; a
// longer one scrolls.
constexpr int kReasonMaxLines = 10;

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return Text(DisplayText(slash == std::string::npos ? path : path.substr(slash + 1)));
}

// Shows the text on one line, shortened with an ellipsis where it is too
// long, and whole in the tool tip then.
void SetElidedText(QLabel* label, const QString& text, Qt::TextElideMode mode) {
  const QString shown = label->fontMetrics().elidedText(text, mode, label->width());
  label->setText(shown);
  label->setToolTip(shown == text ? QString() : text);
}

// Sets the box's height to show the text whole, its lines wrapped as the box
// wraps them across its whole width, without a scroll bar; a text of more
// than kReasonMaxLines lines gets that many and the scroll bar.
void FitHeight(QPlainTextEdit* box, const QString& text) {
  const QTextDocument* document = box->document();
  const qreal margin = document->documentMargin();
  const qreal width = box->width() - 2 * box->frameWidth() - 2 * margin;
  const qreal most = kReasonMaxLines * QFontMetricsF(box->font()).lineSpacing();
  qreal height = 0;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QTextLayout layout(paragraph, box->font());
    layout.setTextOption(document->defaultTextOption());
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLeadingIncluded(true);
      line.setLineWidth(width);
      height += line.height();
    }
    layout.endLayout();
  }
  box->setVerticalScrollBarPolicy(height > most ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  // The box leaves the margin above and below the text, and a pixel more.
  box->setFixedHeight(int(std::ceil(std::min(height, most) + 2 * margin)) + 1 +
                      2 * box->frameWidth());
}

}  // namespace

InstallerWindow::InstallerWindow(std::string packagePath, launcher::Privilege privilege,
                                 QWidget* parent)
    : QDialog(parent, platform::FixedDialogFlags()),
      packagePath_(std::move(packagePath)),
      privilege_(privilege),
      run_(privilege),
      lockWait_(std::chrono::seconds(launcher::kLockWaitSeconds)) {
  setWindowTitle(Text(kTextTitle));
  setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon, nullptr, this));
  const platform::DialogUnits du(font());
  const int width = du.X(246);

  auto* heading = new QLabel(Text(kTextPackage), this);
  heading->setObjectName(QStringLiteral("heading"));
  package_ = new QLabel(this);
  package_->setObjectName(QStringLiteral("package"));
  package_->setTextFormat(Qt::PlainText);
  package_->setFixedWidth(width);
  SetElidedText(package_, FileNameOf(packagePath_), Qt::ElideMiddle);

  step_ = new QLabel(this);
  step_->setObjectName(QStringLiteral("step"));
  step_->setTextFormat(Qt::PlainText);
  step_->setFixedWidth(width);

  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progress"));
  bar_->setRange(0, 100);
  bar_->setValue(0);

  // The reason of a failure: a few lines, to be read and copied; shown only
  // once there is one, as high as it needs.
  reason_ = new QPlainTextEdit(this);
  reason_->setObjectName(QStringLiteral("reason"));
  reason_->setReadOnly(true);
  reason_->setTabChangesFocus(true);
  reason_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  reason_->setFixedSize(width, du.Y(36));
  reason_->hide();

  auto* details = new QLabel(Text(kTextDetails), this);
  details->setObjectName(QStringLiteral("details"));
  log_ = new QPlainTextEdit(this);
  log_->setObjectName(QStringLiteral("log"));
  log_->setReadOnly(true);
  log_->setTabChangesFocus(true);
  log_->setMaximumBlockCount(kLogLines);
  log_->setLineWrapMode(QPlainTextEdit::NoWrap);
  log_->setFixedSize(width, du.Y(80));
  details->setBuddy(log_);

  close_ = new QPushButton(Text(kTextClose), this);
  close_->setObjectName(QStringLiteral("close"));
  close_->setMinimumWidth(du.X(50));
  close_->setEnabled(false);
  connect(close_, &QPushButton::clicked, this, &InstallerWindow::reject);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
  column->setSpacing(du.Y(3));
  column->addWidget(heading);
  column->addWidget(package_);
  column->addSpacing(du.Y(4));
  column->addWidget(step_);
  column->addWidget(bar_);
  column->addWidget(reason_);
  column->addSpacing(du.Y(4));
  column->addWidget(details);
  column->addWidget(log_);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(close_);
  column->addLayout(buttons);
  // The window takes the size its rows need, and grows when the reason
  // appears; the user cannot resize it.
  column->setSizeConstraint(QLayout::SetFixedSize);

  poll_ = new QTimer(this);
  poll_->setInterval(kPollMilliseconds);
  connect(poll_, &QTimer::timeout, this, &InstallerWindow::Poll);
  watch_ = new QTimer(this);
  watch_->setInterval(kWatchMilliseconds);
  connect(watch_, &QTimer::timeout, this, &InstallerWindow::WatchTick);
  ShowProgress();
  log_->setFocus(Qt::OtherFocusReason);
}

InstallerWindow::~InstallerWindow() {
  // A window destroyed while the installer runs leaves it running: it is not
  // the window's to stop.
  CloseStream(kOutput);
  CloseStream(kError);
}

void InstallerWindow::WatchLocks(std::vector<std::string> lockFiles,
                                 std::chrono::milliseconds limit) {
  lockFiles_ = std::move(lockFiles);
  lockWait_ = limit;
}

void InstallerWindow::Start() {
  if (started_) return;
  started_ = true;
  // A file that cannot be installed is named as such, before any password is
  // asked for; what the archive reader wrote goes to the details.
  const std::string absolutePath = launcher::AbsolutePackagePath(packagePath_);
  std::vector<std::string> problem = PackageFileProblem(absolutePath);
  if (problem.empty()) {
    std::vector<std::string> details;
    problem = PackageArchiveProblem(absolutePath, details);
    std::vector<InstallRun::Line> lines;
    for (std::string& line : details) lines.push_back({InstallRun::Stream::Error, std::move(line)});
    AddToLog(lines);
  }
  if (problem.empty() && privilege_ == launcher::Privilege::User &&
      !launcher::ProgramOnPath(launcher::kElevationProgram))
    problem = {std::string(kTextNoPkexec), std::string(kTextUseSudo)};
  if (!problem.empty()) {
    Finish(InstallRun::NotStarted(std::move(problem)));
    return;
  }
  if (!lockFiles_) lockFiles_ = PackageLockFiles();
  if (!PackageSystemBusy(*lockFiles_)) {
    StartInstaller();
    return;
  }
  // Another program installs software: the window waits for it, nothing
  // started yet, and can be closed meanwhile.
  watchClock_.start();
  watch_->start();
  ShowProgress();
}

void InstallerWindow::WatchTick() {
  if (!PackageSystemBusy(*lockFiles_)) {
    watch_->stop();
    StartInstaller();
  } else if (std::chrono::milliseconds(watchClock_.elapsed()) >= lockWait_) {
    watch_->stop();
    Finish(InstallRun::NotStarted(
        {std::string(kTextPackageSystemBusy), std::string(kTextTryAfterOther)}));
  }
}

void InstallerWindow::StartInstaller() {
  const std::vector<std::string> arguments =
      launcher::BuildInstallerArguments(packagePath_, privilege_);
  AddToLog({{InstallRun::Stream::Output,
             "$ " + DisplayText(launcher::BuildCommandLine(packagePath_, privilege_))}});
  platform::ProcessOutput pipes;
  const platform::ProcessStart start = platform::StartProcessWithOutput(arguments, pipes);
  if (!start.Started()) {
    End({CommandEnd::Kind::NotStarted, start.error});
    return;
  }
  pid_ = start.pid;
  fds_[kOutput] = pipes.output;
  fds_[kError] = pipes.error;
  for (int which : {kOutput, kError}) {
    notifiers_[which] = new QSocketNotifier(fds_[which], QSocketNotifier::Read, this);
    connect(notifiers_[which], &QSocketNotifier::activated, this, [this, which] { Read(which); });
  }
  poll_->start();
  ShowProgress();
}

bool InstallerWindow::Feed(int which, bool* full) {
  std::string bytes;
  const bool open = platform::ReadAvailable(fds_[which], bytes, kReadChunk);
  if (full != nullptr) *full = bytes.size() == kReadChunk;
  if (!bytes.empty()) {
    const auto stream = which == kOutput ? InstallRun::Stream::Output : InstallRun::Stream::Error;
    AddToLog(run_.Take(stream, bytes));
  }
  return open;
}

void InstallerWindow::Read(int which) {
  if (fds_[which] < 0) return;
  const bool open = Feed(which, nullptr);
  ShowProgress();
  if (!open) CloseStream(which);
}

void InstallerWindow::CloseStream(int which) {
  if (notifiers_[which] != nullptr) {
    notifiers_[which]->setEnabled(false);
    notifiers_[which]->deleteLater();
    notifiers_[which] = nullptr;
  }
  if (fds_[which] >= 0) {
    ::close(fds_[which]);
    fds_[which] = -1;
  }
}

void InstallerWindow::Poll() {
  const std::optional<platform::ProcessEnd> end = platform::PollProcess(pid_);
  if (!end) return;
  poll_->stop();
  pid_ = 0;
  // What the installer wrote before it ended is still in the pipes. A program
  // it left running may hold them open, so the window does not wait for
  // their end.
  for (int which : {kOutput, kError}) {
    if (fds_[which] < 0) continue;
    bool full = true;
    for (int i = 0; i < kDrainChunks && full; ++i) {
      if (!Feed(which, &full)) break;
    }
    CloseStream(which);
  }
  AddToLog(run_.Flush());
  switch (end->kind) {
    case platform::ProcessEnd::Kind::Exited: End({CommandEnd::Kind::Exited, end->code}); break;
    case platform::ProcessEnd::Kind::Signalled:
      End({CommandEnd::Kind::Signalled, end->code});
      break;
    case platform::ProcessEnd::Kind::WaitFailed:
      // Someone else collected it: its status is lost, which is no success.
      End({CommandEnd::Kind::Exited, 1});
      break;
  }
}

void InstallerWindow::End(const CommandEnd& end) {
  // Ended by the window: the wait is over and nothing was installed. The
  // command's own end, had it ended just before, tells what it did.
  if (closing_ && end.kind == CommandEnd::Kind::Signalled && end.code == SIGTERM) {
    Finish(InstallRun::Closed());
  } else {
    Finish(run_.Finish(end));
  }
  if (closing_) QDialog::reject();
}

void InstallerWindow::Finish(InstallOutcome outcome) {
  outcome_ = std::move(outcome);
  ShowOutcome();
  emit Finished();
}

void InstallerWindow::AddToLog(const std::vector<InstallRun::Line>& lines) {
  if (lines.empty()) return;
  QScrollBar* scroll = log_->verticalScrollBar();
  // Follows the end unless the user has scrolled back to read.
  const bool atEnd = scroll->value() == scroll->maximum();
  for (const InstallRun::Line& line : lines) log_->appendPlainText(Text(line.text));
  if (atEnd) scroll->setValue(scroll->maximum());
}

bool InstallerWindow::Closable() const {
  return !started_ || outcome_ || watch_->isActive() || (Running() && run_.Endable());
}

void InstallerWindow::ShowProgress() {
  close_->setEnabled(Closable());
  SetElidedText(step_, Text(watch_->isActive() ? std::string(kTextWaitingForLock) : run_.Step()),
                Qt::ElideRight);
  const int percent = run_.Percent();
  if (percent < 0) {
    bar_->setRange(0, 0);  // busy until the installer tells how far it is
  } else {
    bar_->setRange(0, 100);
    bar_->setValue(percent);
  }
}

void InstallerWindow::ShowOutcome() {
  QFont bold = step_->font();
  bold.setBold(true);
  step_->setFont(bold);
  SetElidedText(step_, Text(outcome_->heading), Qt::ElideRight);
  const int value = bar_->maximum() == 0 ? 0 : bar_->value();
  bar_->setRange(0, 100);
  const bool installed = outcome_->kind == InstallOutcome::Kind::Installed ||
                         outcome_->kind == InstallOutcome::Kind::AlreadyInstalled;
  bar_->setValue(installed ? 100 : value);
  if (!outcome_->reason.empty()) {
    QStringList lines;
    for (const std::string& line : outcome_->reason) lines.append(Text(line));
    const QString text = lines.join(QLatin1Char('\n'));
    FitHeight(reason_, text);
    reason_->setPlainText(text);
    reason_->show();
  }
  close_->setEnabled(true);
  close_->setDefault(true);
  close_->setFocus(Qt::OtherFocusReason);
}

void InstallerWindow::reject() {
  if (!started_ || outcome_) {
    QDialog::reject();
    return;
  }
  if (watch_->isActive()) {
    watch_->stop();
    Finish(InstallRun::Closed());
    QDialog::reject();
    return;
  }
  if (!Running() || closing_) return;
  // What the command wrote last may say that it has stopped waiting.
  for (int which : {kOutput, kError}) {
    if (fds_[which] >= 0) Read(which);
  }
  if (!run_.Endable()) return;
  // The command runs in a process group of its own (setsid), which ends
  // whole: pkexec, or apt-get, with what they started. Through pkexec, once
  // the password was given, apt-get runs as root, and the window may not end
  // it: it then goes on.
  if (::kill(-pid_, SIGTERM) != 0 && (errno != ESRCH || ::kill(pid_, SIGTERM) != 0)) return;
  closing_ = true;
  close_->setEnabled(false);
}

}  // namespace installer
