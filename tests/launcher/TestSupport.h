#pragma once
// Helpers shared by the launcher tests: temporary folders, environment
// changes, a stand-in installer, and a driver for modal windows.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/platform/ScopedTestState.h"

namespace launchertest {

namespace fs = std::filesystem;

using pntest::ScopedEnv;

class TempFolder : public pntest::TempFolder {
 public:
  TempFolder() : pntest::TempFolder("launchertest") {}
};

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Stand-ins for the package installer "apt-get" and for "pkexec", in a folder
// of their own put first on PATH for the length of the object. Each writes its
// arguments, each ended by a NUL byte, to "<name>.args" in that folder. The
// "pkexec" stand-in then runs its arguments as a command, as the real one does
// once the password is given. The "apt-get" stand-in sleeps for
// `sleepSeconds`, writes "finished" and exits with status 5.
class FakeInstaller {
 public:
  explicit FakeInstaller(int sleepSeconds = 0)
      : path_("PATH", folder_.Path().string() + ":/usr/bin:/bin") {
    WriteScript("apt-get", "/bin/sleep " + std::to_string(sleepSeconds) + "\necho done > '" +
                               FinishedPath().string() + "'\nexit 5\n");
    WriteScript("pkexec", "exec \"$@\"\n");
  }
  fs::path Folder() const { return folder_.Path(); }
  fs::path FinishedPath() const { return folder_.Path() / "finished"; }
  // Whether the installer, or the elevation program, was started.
  bool Ran() const { return fs::exists(ArgsPath("apt-get")); }
  bool Elevated() const { return fs::exists(ArgsPath("pkexec")); }
  // The arguments each was given.
  std::vector<std::string> Args() const { return ReadArgs("apt-get"); }
  std::vector<std::string> ElevationArgs() const { return ReadArgs("pkexec"); }
  // Takes one stand-in away; with PATH set to Folder() alone, the system then
  // lacks that program.
  void Remove(const std::string& name) const { fs::remove(folder_.Path() / name); }

 private:
  fs::path ArgsPath(const std::string& name) const { return folder_.Path() / (name + ".args"); }
  void WriteScript(const std::string& name, const std::string& rest) const {
    const fs::path script = folder_.Path() / name;
    WriteFile(script,
              "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + ArgsPath(name).string() + "'\n" + rest);
    fs::permissions(script, fs::perms::owner_all);
  }
  std::vector<std::string> ReadArgs(const std::string& name) const {
    std::vector<std::string> records;
    std::string current;
    for (char c : ReadFile(ArgsPath(name))) {
      if (c == '\0') {
        records.push_back(current);
        current.clear();
      } else {
        current += c;
      }
    }
    return records;
  }

  TempFolder folder_;
  ScopedEnv path_;
};

// Hands every top-level window that becomes visible to a handler, once, while
// modal loops run. Handlers must not block: they queue their clicks. After a
// time limit every visible dialog is rejected so that a broken test ends.
class WindowDriver {
 public:
  using Handler = std::function<void(QWidget*)>;

  explicit WindowDriver(Handler handler) : handler_(std::move(handler)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    clock_.start();
    timer_.start(10);
  }
  bool TimedOut() const { return timedOut_; }

 private:
  void Tick() {
    QSet<QWidget*> visible;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible()) visible.insert(widget);
    }
    if (clock_.elapsed() > 15000) {
      timedOut_ = true;
      for (QWidget* widget : visible) {
        if (auto* dialog = qobject_cast<QDialog*>(widget)) {
          QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        }
      }
      return;
    }
    QSet<QWidget*> handled;
    for (QWidget* widget : visible) {
      if (!handled_.contains(widget)) {
        // A later window may be built at the address of a destroyed one.
        QObject::connect(widget, &QObject::destroyed, &timer_,
                         [this, widget] { handled_.remove(widget); });
        handler_(widget);
      }
      handled.insert(widget);
    }
    handled_ = handled;
  }

  Handler handler_;
  QTimer timer_;
  QElapsedTimer clock_;
  QSet<QWidget*> handled_;
  bool timedOut_ = false;
};

// What a message box showed.
struct ShownMessage {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  QImage windowIcon;  // the window icon at 16 x 16 pixels
  Qt::WindowFlags flags;
  bool fixedSize = false;
};

// Records a message box and presses its OK button (queued).
inline bool AnswerMessageBox(QWidget* widget, std::vector<ShownMessage>& shown) {
  auto* box = qobject_cast<QMessageBox*>(widget);
  if (box == nullptr) return false;
  shown.push_back({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size()),
                   box->windowIcon().pixmap(16, 16).toImage(), box->windowFlags(),
                   box->minimumSize() == box->maximumSize()});
  QMetaObject::invokeMethod(box->button(QMessageBox::Ok), "click", Qt::QueuedConnection);
  return true;
}

}  // namespace launchertest
