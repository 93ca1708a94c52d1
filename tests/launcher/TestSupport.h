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
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
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

// Splits the records that `printf '%s\0'` wrote, each ended by a NUL byte.
inline std::vector<std::string> ReadRecords(const fs::path& path) {
  std::vector<std::string> records;
  std::string current;
  for (char c : ReadFile(path)) {
    if (c == '\0') {
      records.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  return records;
}

// The bytes of a small whole Debian package (one control file, one file of
// data), built once for each architecture with dpkg-deb.
inline const std::string& PackageBytes(const std::string& architecture = "all") {
  static std::map<std::string, std::string> built;
  std::string& bytes = built[architecture];
  if (!bytes.empty()) return bytes;
  bytes = [&] {
    const TempFolder folder;
    const fs::path root = folder.Path() / "root";
    fs::create_directories(root / "DEBIAN");
    fs::create_directories(root / "usr/share/doc/velmora-test");
    WriteFile(root / "DEBIAN/control",
              "Package: velmora-test\nVersion: 1.00\nArchitecture: " + architecture +
                  "\nMaintainer: Test <test@example.org>\nDescription: test package\n");
    WriteFile(root / "usr/share/doc/velmora-test/notes", std::string(4000, 'n'));
    const fs::path deb = folder.Path() / "velmora-test.deb";
    // Whatever PATH a test has set.
    const std::string command = "PATH=/usr/bin:/bin dpkg-deb --root-owner-group --build '" +
                                root.string() + "' '" + deb.string() + "' > /dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("dpkg-deb --build failed");
    return ReadFile(deb);
  }();
  return bytes;
}

// The computer's architecture as dpkg tells it, and one whose packages it
// cannot install (neither its own nor a foreign one).
inline std::pair<std::string, std::string> Architectures() {
  const TempFolder folder;
  const fs::path listed = folder.Path() / "listed";
  const std::string command =
      "PATH=/usr/bin:/bin; (dpkg --print-architecture && "
      "dpkg --print-foreign-architectures) > '" +
      listed.string() + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("dpkg failed");
  std::istringstream in(ReadFile(listed));
  const std::vector<std::string> known{std::istream_iterator<std::string>(in), {}};
  return {known.at(0), std::count(known.begin(), known.end(), "arm64") ? "m68k" : "arm64"};
}

// A write lock the test holds on the file, as another program that installs
// software does on the package system's lock files; until Release.
class HeldLock {
 public:
  explicit HeldLock(const fs::path& path)
      : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    if (::fcntl(fd_, F_SETLK, &whole) != 0) throw std::runtime_error("no lock on " + path.string());
  }
  ~HeldLock() { Release(); }
  void Release() { ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

// apt-get's stand-in says once that it waits for another program's lock.
inline const std::string kAptWaitsForTheLock =
    "echo 'Waiting for cache lock: Could not get lock /var/lib/dpkg/lock-frontend. It is held by "
    "process 29817 (unattended-upgr)...'\n";
// apt-get's stand-in as dpkg, which it runs, finds the disk full.
inline const std::string kDpkgFindsTheDiskFull =
    "echo 'Unpacking velmora (1.00) ...'\necho 'dpkg: error processing archive x.deb (--unpack):' "
    ">&2\necho \" cannot copy extracted data for './usr/bin/x' to '/usr/bin/x.dpkg-new': failed "
    "to write (No space left on device)\" >&2\n"
    "echo 'E: Sub-process /usr/bin/dpkg returned an error code (1)' >&2\nexit 100\n";

// Writes an executable shell script that first writes its arguments, each
// ended by a NUL byte, to `argsPath`, then runs `rest`.
inline void WriteRecordingScript(const fs::path& script, const fs::path& argsPath,
                                 const std::string& rest) {
  WriteFile(script, "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + argsPath.string() + "'\n" + rest);
  fs::permissions(script, fs::perms::owner_all);
}

// Stand-ins for the package installer "apt-get" and for "pkexec", in a folder
// of their own put first on PATH for the length of the object. Each writes its
// arguments to "<name>.args" in that folder; apt-get also writes the value of
// DEBIAN_FRONTEND it was given to "apt-get.env". Then each runs its shell
// text. By default the "pkexec" stand-in runs its arguments as a command, as
// the real one does once the password is given, and the "apt-get" stand-in
// sleeps for `sleepSeconds`, writes "finished" and exits with status 5.
class FakeInstaller {
 public:
  explicit FakeInstaller(int sleepSeconds = 0)
      : FakeInstaller("/bin/sleep " + std::to_string(sleepSeconds) + "\necho done > '" +
                          (fs::path("$FAKE_FOLDER") / "finished").string() + "'\nexit 5\n",
                      "exec \"$@\"\n") {}
  // "$FAKE_FOLDER" in either text stands for the stand-ins' folder.
  FakeInstaller(const std::string& aptGet, const std::string& pkexec)
      : path_("PATH", folder_.Path().string() + ":/usr/bin:/bin") {
    WriteRecordingScript(folder_.Path() / "apt-get", ArgsPath("apt-get"),
                         "printf '%s' \"$DEBIAN_FRONTEND\" > '" +
                             (folder_.Path() / "apt-get.env").string() + "'\n" + Expand(aptGet));
    // pkexec is given the system's apt-get by its full path; the stand-in
    // runs the stand-in apt-get in its place.
    WriteRecordingScript(folder_.Path() / "pkexec", ArgsPath("pkexec"),
                         "if [ \"$1\" = /usr/bin/apt-get ]; then shift; set -- '" +
                             (folder_.Path() / "apt-get").string() + "' \"$@\"; fi\n" +
                             Expand(pkexec));
  }
  fs::path Folder() const { return folder_.Path(); }
  fs::path FinishedPath() const { return folder_.Path() / "finished"; }
  // Whether the installer, or the elevation program, was started.
  bool Ran() const { return fs::exists(ArgsPath("apt-get")); }
  bool Elevated() const { return fs::exists(ArgsPath("pkexec")); }
  // The arguments each was given.
  std::vector<std::string> Args() const { return ReadRecords(ArgsPath("apt-get")); }
  std::vector<std::string> ElevationArgs() const { return ReadRecords(ArgsPath("pkexec")); }
  // The DEBIAN_FRONTEND that apt-get was given.
  std::string Frontend() const { return ReadFile(folder_.Path() / "apt-get.env"); }
  // Takes one stand-in away; with PATH set to Folder() alone, the system then
  // lacks that program.
  void Remove(const std::string& name) const { fs::remove(folder_.Path() / name); }

 private:
  fs::path ArgsPath(const std::string& name) const { return folder_.Path() / (name + ".args"); }
  std::string Expand(std::string text) const {
    const std::string key = "$FAKE_FOLDER";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at))
      text.replace(at, key.size(), folder_.Path().string());
    return text;
  }

  TempFolder folder_;
  ScopedEnv path_;
};

// A stand-in for the installer window that the launcher starts: a program
// that writes its arguments to "args" beside it, sleeps for `sleepSeconds`,
// writes "finished" and exits with status 5.
class FakeInstallerWindow {
 public:
  explicit FakeInstallerWindow(int sleepSeconds = 0) {
    WriteRecordingScript(Program(), folder_.Path() / "args",
                         "/bin/sleep " + std::to_string(sleepSeconds) + "\necho done > '" +
                             FinishedPath().string() + "'\nexit 5\n");
  }
  std::string Program() const { return (folder_.Path() / "FennickInstaller").string(); }
  fs::path FinishedPath() const { return folder_.Path() / "finished"; }
  bool Ran() const { return fs::exists(folder_.Path() / "args"); }
  std::vector<std::string> Args() const { return ReadRecords(folder_.Path() / "args"); }

 private:
  TempFolder folder_;
};

// Runs the event loop until the condition holds (or a time passes); whether it holds.
inline bool RunUntil(const std::function<bool()>& done, int milliseconds = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < milliseconds) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return done();
}

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
