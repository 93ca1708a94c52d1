#pragma once
// Shared helpers of the converter's dialog tests: the application object,
// a profile and a scratch folder of their own per test, and answering the
// modal windows (message boxes, file choosers, result dialog) a test causes.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <ostream>

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

// Lets failing expectations print Qt strings readably.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace ostrel::guitest {

// Makes sure a QApplication exists (on the offscreen platform unless another
// is set).
void EnsureApp();

// Lets queued events run (posted enabling and the like).
void ProcessEvents();

// A test with its own profile (QSettings pointed into a temporary folder) and
// a scratch folder for files.
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path inside the scratch folder.
  std::string Path(const std::string& name) const;
  QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }
  // Creates a file (and its folders) with some bytes.
  void MakeFile(const std::string& name, const std::string& bytes = "x");
  void MakeFolder(const std::string& name);
  // The profile as the program opens it.
  std::unique_ptr<QSettings> Profile() const;

  QTemporaryDir profileDir_;
  QTemporaryDir files_;
};

// What a modal window looked like when it was answered.
struct SeenModal {
  QString className;
  QString title;
  QString text;  // the message of a message box
  int icon = 0;  // QMessageBox::Icon of a message box
  std::vector<QString> buttons;
};

// Answers the modal windows that open while it exists, one handler per
// window, in order; a window without a handler left is closed with Esc
// (reject). Records each window it saw.
class ModalAnswerer : public QObject {
 public:
  using Handler = std::function<void(QWidget*)>;

  ModalAnswerer();
  ~ModalAnswerer() override;

  void Then(Handler handler) { handlers_.push_back(std::move(handler)); }
  // Clicks the message box's button of this standard kind.
  void ThenClick(QMessageBox::StandardButton button);

  const std::vector<SeenModal>& Seen() const { return seen_; }
  size_t Pending() const { return handlers_.size(); }

 private:
  void Poll();

  QTimer timer_;
  std::deque<Handler> handlers_;
  std::vector<SeenModal> seen_;
};

// Reads a whole file ("" when it cannot be read).
std::string ReadFile(const std::string& path);

}  // namespace ostrel::guitest
