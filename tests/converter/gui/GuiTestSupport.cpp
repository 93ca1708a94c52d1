#include "GuiTestSupport.h"

#include <ftw.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>

#include "converter/BrowseButton.h"
#include "converter/ChooserFolder.h"
#include "converter/ConverterProfile.h"

namespace ostrel::guitest {

namespace {

// Removes a folder with everything in it, by the names' bytes.
void RemoveTree(const std::string& path) {
  nftw(
      path.c_str(),
      [](const char* name, const struct stat*, int, struct FTW*) {
        ::remove(name);
        return 0;
      },
      16, FTW_DEPTH | FTW_PHYS);
}

// A runtime folder of the tests' own, removed when the program ends: without
// XDG_RUNTIME_DIR the toolkit makes "runtime-<user>" in the temporary folder
// and leaves it there.
class RuntimeFolder {
 public:
  RuntimeFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pnguiXXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~RuntimeFolder() {
    if (!path_.empty()) RemoveTree(path_);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

void EnsureApp() {
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    static const RuntimeFolder runtime;
    if (!runtime.Path().empty()) qputenv("XDG_RUNTIME_DIR", runtime.Path().c_str());
  }
  static int argc = 1;
  static char name[] = "converter_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

void ProcessEvents() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void GuiTest::SetUp() {
  EnsureApp();
  ASSERT_TRUE(profileDir_.isValid());
  ASSERT_TRUE(files_.isValid());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profileDir_.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profileDir_.path());
  BrowseButton::ResetLastClicked();
  ChooserFolder::Reset();
}

void GuiTest::TearDown() {
  ProcessEvents();
  // The scratch folder goes by the names' bytes: QTemporaryDir, which
  // decodes names, cannot remove one that is not UTF-8.
  RemoveTree(files_.path().toStdString());
}

std::string GuiTest::Path(const std::string& name) const {
  return files_.path().toStdString() + "/" + name;
}

void GuiTest::MakeFile(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path(Path(name));
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

void GuiTest::MakeFolder(const std::string& name) {
  std::filesystem::create_directories(Path(name));
}

std::unique_ptr<QSettings> GuiTest::Profile() const { return ConverterProfile::Open(); }

ModalAnswerer::ModalAnswerer() {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
  timer_.start();
}

ModalAnswerer::~ModalAnswerer() { timer_.stop(); }

void ModalAnswerer::ThenClick(QMessageBox::StandardButton button) {
  Then([button](QWidget* window) {
    auto* box = qobject_cast<QMessageBox*>(window);
    ASSERT_NE(box, nullptr) << "expected a message box";
    QAbstractButton* target = box->button(button);
    ASSERT_NE(target, nullptr) << "the message box has no such button";
    target->click();
  });
}

void ModalAnswerer::Poll() {
  QWidget* window = QApplication::activeModalWidget();
  if (window == nullptr || !window->isVisible() || window->property("answered").toBool()) return;
  window->setProperty("answered", true);
  SeenModal seen;
  seen.className = QString::fromLatin1(window->metaObject()->className());
  seen.title = window->windowTitle();
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) seen.buttons.push_back(button->text());
  }
  seen_.push_back(seen);
  if (handlers_.empty()) {
    if (auto* dialog = qobject_cast<QDialog*>(window))
      dialog->reject();
    else
      window->close();
    return;
  }
  Handler handler = std::move(handlers_.front());
  handlers_.pop_front();
  handler(window);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace ostrel::guitest

// The font configuration library keeps caches it never frees; they are not
// this program's leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
