#include "GuiTestSupport.h"

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

void EnsureApp() {
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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

void GuiTest::TearDown() { ProcessEvents(); }

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
