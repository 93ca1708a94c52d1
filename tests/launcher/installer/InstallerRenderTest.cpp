// Draws the installer window in each of its states and checks that no text
// is cut off and every control lies inside the window. With PN_RENDER_DIR
// set, the pictures are written there as PNG files for a person to look at
// ("installer-<state>.png"); with PN_RENDER_FRAMES set as well, on a display
// with a window manager (tools/render-dialogs-wm.sh), also the window with
// the frame the manager gave it ("installer-<state>-frame.png"); the same in
// Japanese fonts ("installer-<state>-<font>-<size>.png"). No reason scrolls.
#include "launcher/installer/InstallerWindow.h"

#include "../TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using installer::InstallerWindow;
using launcher::Privilege;
using launchertest::FakeInstaller;
using launchertest::RunUntil;
using launchertest::TempFolder;

void SaveFramed(QWidget* window, const QString& file) {
  window->raise();
  window->activateWindow();
  // The window manager frames the window, then draws its title bar.
  RunUntil([&] { return window->frameGeometry() != window->geometry(); });
  for (int i = 0; i < 25; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
  const QRect frame = window->frameGeometry();
  const QPixmap shot =
      window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  EXPECT_TRUE(shot.save(file)) << file.toStdString();
}

// Checks the window's texts and writes its picture.
void Render(InstallerWindow* window, const QString& name) {
  QApplication::processEvents();
  const QImage image = window->grab().toImage();
  ASSERT_FALSE(image.isNull());
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window)) continue;
    const QString what = name + "/" + child->objectName();
    EXPECT_TRUE(window->rect().contains(child->geometry())) << what.toStdString();
    if (auto* label = qobject_cast<QLabel*>(child)) {
      const int need = label->fontMetrics().size(Qt::TextShowMnemonic, label->text()).width();
      EXPECT_GE(label->contentsRect().width(), need) << what.toStdString();
      EXPECT_GE(label->height(), label->minimumSizeHint().height()) << what.toStdString();
    } else if (auto* button = qobject_cast<QPushButton*>(child)) {
      const int need = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
      EXPECT_GE(button->width(), need + 8) << what.toStdString();
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(child);
               box && box->objectName() == "reason") {
      EXPECT_EQ(0, box->verticalScrollBar()->maximum()) << what.toStdString();
    }
  }
  const QString dir = qEnvironmentVariable("PN_RENDER_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  EXPECT_TRUE(image.save(dir + "/installer-" + name + ".png"));
  if (!qEnvironmentVariableIsEmpty("PN_RENDER_FRAMES") && !name.contains(QLatin1Char(' ')))
    SaveFramed(window, dir + "/installer-" + name + "-frame.png");
}

// Draws every state in the application's font, the pictures' names ending
// in `font`.
void RenderEveryState(const QString& font) {
  TempFolder folder;
  const std::string package = folder.Folder() + "velmora_1.00_amd64.deb";
  launchertest::WriteFile(package, launchertest::PackageBytes());
  // The same package cut short behind its archive's header.
  const std::string cut = folder.Folder() + "cut/velmora_1.00_amd64.deb";
  std::filesystem::create_directories(folder.Path() / "cut");
  launchertest::WriteFile(cut, launchertest::PackageBytes().substr(0, 100));
  const std::string architecture = launchertest::Architectures().second;
  const std::string other = folder.Folder() + "velmora_1.00_" + architecture + ".deb";
  launchertest::WriteFile(other, launchertest::PackageBytes(architecture));
  const std::string lock = folder.Folder() + "lock";
  const launchertest::HeldLock held(lock);
  const std::string aptOutput =
      "echo 'Reading package lists...'\necho 'Building dependency tree...'\n"
      "echo 'The following NEW packages will be installed:'\necho '  velmora'\n"
      "echo 'pmstatus:velmora:amd64:40.0000:Unpacking velmora (amd64)'\n";
  enum class File { Package, Cut, Other, Locked };
  const std::string files[] = {package, cut, other, package};
  struct State {
    const char* name;
    Privilege privilege;
    std::string aptGet;
    std::string pkexec;
    bool running;  // pictured while it waits or apt-get runs
    File file = File::Package;
  };
  const State states[] = {
      {"password", Privilege::User, "exit 0\n", "sleep 3\nexec \"$@\"\n", true},
      {"lock", Privilege::User, "exit 0\n", "exec \"$@\"\n", true, File::Locked},
      {"lock-apt", Privilege::Root, launchertest::kAptWaitsForTheLock + "sleep 3\n", "", true},
      {"progress", Privilege::Root, aptOutput + "sleep 1\n", "", true},
      {"installed", Privilege::User,
       aptOutput + "echo 'Setting up velmora (1.00) ...'\necho 'pmstatus:velmora:100:Installed'\n",
       "exec \"$@\"\n", false},
      {"failed", Privilege::Root,
       "echo 'Reading package lists...'\necho \"E: Unsupported file $7 given on commandline\" "
       ">&2\nexit 100\n",
       "", false},
      {"already-installed", Privilege::User,
       "echo 'velmora is already the newest version (1.00).'\n", "exec \"$@\"\n", false},
      {"dependency", Privilege::User,
       "echo ' velmora : Depends: libfoo1 (>= 2) but it is not installable'\n"
       "echo '           Depends: libbar but it is not going to be installed'\nexit 100\n",
       "exec \"$@\"\n", false},
      {"lock-timeout", Privilege::User,
       launchertest::kAptWaitsForTheLock +
           "echo 'E: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), "
           "is another process using it?' >&2\nexit 100\n",
       "exec \"$@\"\n", false},
      {"full-disk", Privilege::User, launchertest::kDpkgFindsTheDiskFull, "exec \"$@\"\n", false},
      {"architecture", Privilege::User, "exit 0\n", "exec \"$@\"\n", false, File::Other},
      {"cancelled", Privilege::User, "exit 0\n",
       "echo 'Error executing command as another user: Request dismissed' >&2\nexit 126\n", false},
      {"wrong-password", Privilege::User, "exit 0\n",
       "echo 'Error executing command as another user: Not authorized' >&2\nexit 127\n", false},
      {"no-authority", Privilege::User, "exit 0\n",
       "echo 'Error getting authority: Error initializing authority: Could not connect: No such "
       "file or directory' >&2\nexit 127\n",
       false},
      {"no-agent", Privilege::User, "exit 0\n",
       "echo \"Error creating textual authentication agent: Error opening current controlling "
       "terminal for the process (\\`/dev/tty'): No such device or address\" >&2\nexit 127\n",
       false},
      {"damaged", Privilege::User, "exit 0\n", "exec \"$@\"\n", false, File::Cut},
  };
  for (const State& state : states) {
    SCOPED_TRACE(state.name);
    FakeInstaller apt(state.aptGet, state.pkexec);
    InstallerWindow window(files[int(state.file)], state.privilege);
    // The held lock, where the state waits for it.
    window.WatchLocks(std::vector<std::string>(state.file == File::Locked, lock),
                      std::chrono::seconds(20));
    window.show();
    window.Start();
    if (state.running) {
      // Once the first line is in, or the prompt is up.
      QThread::msleep(300);
      QApplication::processEvents();
      ASSERT_FALSE(window.Outcome());
    } else {
      ASSERT_TRUE(RunUntil([&] { return window.Outcome().has_value(); }));
    }
    Render(&window, QString::fromLatin1(state.name) + font);
    // A wait ends with the window.
    window.reject();
    RunUntil([&] { return window.Outcome().has_value(); });
  }
}

TEST(InstallerRender, EveryStateOfTheWindow) { RenderEveryState({}); }

// In VL Gothic and Noto Sans CJK at 9, 11 and 14 points (fonts-vlgothic,
// fonts-noto-cjk: scripts/setup.sh).
TEST(InstallerRender, EveryStateInJapaneseFonts) {
  const QFont font = QApplication::font();
  for (const QString& family : {QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans CJK JP")}) {
    for (int points : {9, 11, 14}) {
      SCOPED_TRACE(testing::Message() << family.toStdString() << " " << points);
      QApplication::setFont(QFont(family, points));
      EXPECT_EQ(family, QFontInfo(QApplication::font()).family()) << "font not installed";
      RenderEveryState(QStringLiteral("-%1-%2").arg(family).arg(points));
    }
  }
  QApplication::setFont(font);
}

}  // namespace
