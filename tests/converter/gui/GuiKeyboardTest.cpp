// The dialogs as a keyboard user meets them: the main dialog's access keys,
// history lists, Alt chords in the path fields, Tab into the naming options
// and the folder the choosers open in; the result dialog's report.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleHints>
#include <QThread>

#include "GuiTestSupport.h"
#include "converter/HistoryComboBox.h"
#include "converter/MainDialog.h"
#include "converter/ResultDialog.h"

namespace ostrel::guitest {
namespace {

int32_t NoConversion(const std::string&, const std::string&) { return -1; }

// Lets events run for a while: a button clicked by its access key is clicked
// after a short animation.
void Settle(int ms = 250) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    ProcessEvents();
    QThread::msleep(10);
  }
}

// Presses and releases a key on the widget that has the keyboard focus (or
// the window), as the keyboard does.
void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = QString()) {
  QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
  ProcessEvents();
}

// Alt plus a lower-case letter or a digit, with its text as X11 delivers it.
void Alt(QWidget* window, char letter) {
  const int key =
      letter >= '0' && letter <= '9' ? Qt::Key_0 + (letter - '0') : Qt::Key_A + (letter - 'a');
  Press(window, key, Qt::AltModifier, QString(QChar::fromLatin1(letter)));
}

// Types a text into the focused widget key by key (ASCII only).
void TypeKeys(QWidget* window, const QString& text) {
  for (QChar ch : text) {
    const int key = ch.isLetter() ? ch.toUpper().unicode() : ch.unicode();
    Press(window, key, Qt::NoModifier, QString(ch));
  }
}

class GuiKeyboardTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    dialog_ = std::make_unique<MainDialog>(NoConversion);
  }
  void TearDown() override {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    if (dialog_) dialog_->hide();
    dialog_.reset();
    GuiTest::TearDown();
  }
  // Shows the dialog and makes it the active window; false when the
  // platform gives none (access keys then have no window to act in).
  bool OpenActive() {
    dialog_->show();
    dialog_->activateWindow();
    ProcessEvents();
    return QApplication::activeWindow() == dialog_.get();
  }
  template <typename W = QWidget>
  W* Control(int id) const {
    return dialog_->findChild<W*>(QString::number(id));
  }
  QWidget* Focus() const { return QApplication::focusWidget(); }

  std::unique_ptr<MainDialog> dialog_;
};

TEST_F(GuiKeyboardTest, InputAccessKeyNeverActsOnAnOption) {
  // With a path box, Alt+I and Alt+O lead to the boxes.
  ASSERT_TRUE(OpenActive()) << "the platform gives no active window";
  Alt(dialog_.get(), 'o');
  EXPECT_EQ(Focus(), dialog_->OutputBox());
  Alt(dialog_.get(), 'i');
  EXPECT_EQ(Focus(), dialog_->InputBox());
  dialog_->hide();

  // In dropped-items mode the input box is hidden: the key moves the focus
  // at most, and never ticks or unticks the sub-folder option.
  dialog_ = std::make_unique<MainDialog>(NoConversion);
  dialog_->SetDroppedItems({Path("a"), Path("b")});
  ASSERT_TRUE(OpenActive());
  auto* subFolder = Control<QCheckBox>(MainDialog::kIdSubFolder);
  const bool checked = subFolder->isChecked();
  for (int i = 0; i < 2; ++i) {
    Alt(dialog_.get(), 'i');
    Settle();
    EXPECT_EQ(subFolder->isChecked(), checked) << i;
    EXPECT_EQ(qobject_cast<QAbstractButton*>(Focus()), nullptr) << "focus on a button after Alt+I";
    EXPECT_TRUE(Focus() == nullptr || Focus()->isVisible());
  }
  // From there Tab goes on to the sub-folder option, as from the hidden box.
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), subFolder);
  EXPECT_EQ(subFolder->isChecked(), checked);
}

TEST_F(GuiKeyboardTest, EveryAccessKeyLeavesTheFocusShown) {
  // In dropped-items mode Alt+I leads to the label that stands for the
  // hidden input box, which frames its text while it has the focus.
  dialog_->SetDroppedItems({Path("a"), Path("b")});
  ASSERT_TRUE(OpenActive()) << "the platform gives no active window";
  auto* dropped = Control<QLabel>(MainDialog::kIdDropped);
  const QImage unfocused = dropped->grab().toImage();
  Alt(dialog_.get(), 'i');
  ASSERT_EQ(Focus(), dropped);
  EXPECT_NE(dropped->grab().toImage(), unfocused) << "no focus shown on the label";
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), Control(MainDialog::kIdSubFolder));
  EXPECT_EQ(dropped->grab().toImage(), unfocused);

  // Every access key but Close's leaves the focus on a control shown and
  // enabled, changed by the keyboard (so the style draws its focus).
  for (char key : {'i', 's', 'b', 'j', 't', 'o', '1', '2', 'm', 'n', 'e', 'i'}) {
    Alt(dialog_.get(), key);
    Settle(100);
    ASSERT_NE(Focus(), nullptr) << key;
    EXPECT_TRUE(Focus()->isVisible() && Focus()->isEnabled()) << key;
    EXPECT_TRUE(dialog_->testAttribute(Qt::WA_KeyboardFocusChange)) << key;
  }
}

TEST_F(GuiKeyboardTest, TheReportIsReadByKeyboard) {
  ConversionResults results;
  for (int i = 0; i < 100; ++i) results.converted.push_back("/in/" + std::to_string(i) + ".jpg");
  results.failed.push_back("/in/bad.jpg");
  ResultDialog result(results);
  result.show();
  result.activateWindow();
  ProcessEvents();
  ASSERT_EQ(QApplication::activeWindow(), &result) << "the platform gives no active window";
  // A caret that does not blink, so that a picture shows it.
  QStyleHints* hints = QGuiApplication::styleHints();
  const int flashTime = hints->cursorFlashTime();
  hints->setCursorFlashTime(0);
  struct Restore {
    QStyleHints* hints;
    int time;
    ~Restore() { hints->setCursorFlashTime(time); }
  } restore{hints, flashTime};

  QPlainTextEdit* report = result.ReportEdit();
  ASSERT_EQ(Focus(), result.CloseButton());
  const QImage unfocused = report->viewport()->grab().toImage();
  // Tab from Close comes round to the report, which shows its caret.
  Press(&result, Qt::Key_Tab);
  ASSERT_EQ(Focus(), report);
  EXPECT_NE(report->viewport()->grab().toImage(), unfocused) << "no caret in the report";

  // Ctrl+End and Ctrl+Home move to its end and back, scrolling with it.
  const QString text = report->toPlainText();
  QScrollBar* bar = report->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  Press(&result, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(report->textCursor().position(), text.size());
  EXPECT_GT(bar->value(), 0);
  EXPECT_TRUE(report->viewport()->rect().contains(report->cursorRect()));
  Press(&result, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(report->textCursor().position(), 0);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_TRUE(report->viewport()->rect().contains(report->cursorRect()));

  // Shift and the arrows select; typing changes nothing.
  Press(&result, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(report->textCursor().selectedText(), text.section('\n', 0, 0) + QChar(0x2029));
  Press(&result, Qt::Key_X, Qt::NoModifier, "x");
  Press(&result, Qt::Key_Delete);
  EXPECT_EQ(report->toPlainText(), text);
  EXPECT_TRUE(result.isVisible());
  result.hide();
}

TEST_F(GuiKeyboardTest, HistoryListOpensOnTheEntryOfTheText) {
  ASSERT_TRUE(OpenActive()) << "the platform gives no active window";
  HistoryComboBox* output = dialog_->OutputBox();
  const QString aaa = QPath("aaa");
  const QString bbb = QPath("bbb");
  // Alt+O, type, Tab; Alt+O, select all, type another, Tab.
  Alt(dialog_.get(), 'o');
  TypeKeys(dialog_.get(), aaa);
  Press(dialog_.get(), Qt::Key_Tab);
  Alt(dialog_.get(), 'o');
  Press(dialog_.get(), Qt::Key_A, Qt::ControlModifier);
  TypeKeys(dialog_.get(), bbb);
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(output->Entries(), (QStringList{bbb, aaa}));
  EXPECT_EQ(output->currentIndex(), 0);

  // The list opens on the new text; Enter keeps it.
  Alt(dialog_.get(), 'o');
  Press(dialog_.get(), Qt::Key_Down, Qt::AltModifier);
  QAbstractItemView* view = output->view();
  ASSERT_TRUE(view->isVisible());
  EXPECT_EQ(view->currentIndex().row(), 0);
  EXPECT_EQ(view->currentIndex().data().toString(), bbb);
  Press(view, Qt::Key_Return);
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(output->currentText(), bbb);

  // A text in no entry: the list opens on none, and Enter with no choice
  // made closes it and keeps the text.
  const QString typed = QPath("ccc");
  output->lineEdit()->selectAll();
  TypeKeys(dialog_.get(), typed);
  Press(dialog_.get(), Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(view->isVisible());
  EXPECT_FALSE(view->currentIndex().isValid());
  EXPECT_TRUE(view->selectionModel()->selectedIndexes().isEmpty());
  Press(view, Qt::Key_Return);
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(output->currentText(), typed);

  // The older entry, when the text is it, is the one the list opens on;
  // moving down and Enter chooses the next.
  output->setEditText(aaa);
  Press(dialog_.get(), Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(view->isVisible());
  EXPECT_EQ(view->currentIndex().data().toString(), aaa);
  Press(view, Qt::Key_Up);
  Press(view, Qt::Key_Return);
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(output->currentText(), bbb);
}

TEST_F(GuiKeyboardTest, AltChordsNeverTypeIntoThePathField) {
  ASSERT_TRUE(OpenActive()) << "the platform gives no active window";
  HistoryComboBox* input = dialog_->InputBox();
  const QString folder = QPath("photos");
  Alt(dialog_.get(), 'i');
  ASSERT_EQ(Focus(), input);
  TypeKeys(dialog_.get(), folder);
  // Q, Y and W are no access keys of the dialog.
  for (char letter : {'q', 'y', 'w'}) Alt(dialog_.get(), letter);
  EXPECT_EQ(input->currentText(), folder);
  EXPECT_EQ(Focus(), input);
  // Plain letters and Shift still type; Alt+Down still opens the list.
  Press(dialog_.get(), Qt::Key_X, Qt::NoModifier, "x");
  Press(dialog_.get(), Qt::Key_Y, Qt::ShiftModifier, "Y");
  EXPECT_EQ(input->currentText(), folder + "xY");
  Press(dialog_.get(), Qt::Key_Backspace);
  Press(dialog_.get(), Qt::Key_Backspace);
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(input->Entries(), QStringList{folder});
}

TEST_F(GuiKeyboardTest, TabLandsOnTheCheckedNamingOption) {
  {
    auto profile = Profile();
    profile->setValue("Settings/OutFileName", 1);
    profile->sync();
  }
  ASSERT_TRUE(OpenActive()) << "the platform gives no active window";
  auto* base = Control<QRadioButton>(MainDialog::kIdNameBase);
  auto* withExtension = Control<QRadioButton>(MainDialog::kIdNameWithExtension);
  auto* before = Control(MainDialog::kIdOutputBrowse);
  auto* after = Control(MainDialog::kIdMakeFolder);
  ASSERT_TRUE(withExtension->isChecked());

  before->setFocus(Qt::TabFocusReason);
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), withExtension);
  // Tab leaves the group; Shift+Tab comes back to the checked option.
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), after);
  Press(dialog_.get(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focus(), withExtension);

  // An arrow key moves to the other option and selects it; Tab from then
  // on lands there.
  Press(dialog_.get(), Qt::Key_Up);
  EXPECT_TRUE(base->isChecked());
  EXPECT_EQ(Focus(), base);
  before->setFocus(Qt::TabFocusReason);
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), base);
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), after);

  // The access key of the other option still selects it.
  Alt(dialog_.get(), '2');
  Settle();
  EXPECT_TRUE(withExtension->isChecked());
  before->setFocus(Qt::TabFocusReason);
  Press(dialog_.get(), Qt::Key_Tab);
  EXPECT_EQ(Focus(), withExtension);
}

// Points the home folder at a folder of the test for its length.
class HomeFolder {
 public:
  explicit HomeFolder(const QString& path) : old_(qgetenv("HOME")) {
    qputenv("HOME", path.toLocal8Bit());
  }
  ~HomeFolder() { qputenv("HOME", old_); }

 private:
  QByteArray old_;
};

TEST_F(GuiKeyboardTest, ChoosersStartAtHomeThenAtTheLastFolderUsed) {
  MakeFolder("home");
  MakeFolder("pics");
  MakeFolder("reports");
  MakeFile("in/a.jpg");
  const HomeFolder home(QPath("home"));
  ASSERT_NE(QDir::currentPath(), QPath("home"));
  dialog_->show();
  ProcessEvents();

  // Empty fields: the home folder, never the working folder.
  EXPECT_EQ(dialog_->MakeFileDialog(true)->directory().absolutePath(), QPath("home"));
  EXPECT_EQ(dialog_->MakeFolderDialog(false)->directory().absolutePath(), QPath("home"));
  {
    ResultDialog result(ConversionResults{});
    EXPECT_EQ(result.MakeSaveDialog()->directory().absolutePath(), QPath("home"));
  }

  // A folder chosen in a chooser is where the next one with an empty
  // field opens.
  ModalAnswerer answerer;
  answerer.Then([&](QWidget* window) {
    auto* chooser = qobject_cast<QFileDialog*>(window);
    ASSERT_NE(chooser, nullptr);
    chooser->setDirectory(QPath("pics"));
    QMetaObject::invokeMethod(chooser, "accept");
  });
  dialog_->OnFolderBrowse();
  ASSERT_EQ(answerer.Seen().size(), 1u);
  dialog_->InputBox()->setEditText(QString());
  EXPECT_EQ(dialog_->MakeFileDialog(true)->directory().absolutePath(), QPath("pics"));
  EXPECT_EQ(dialog_->MakeFileDialog(false)->directory().absolutePath(), QPath("pics"));
  // A field with a path still opens at that path's folder.
  dialog_->OutputBox()->setEditText(QPath("in/a.jpg"));
  EXPECT_EQ(dialog_->MakeFileDialog(false)->directory().absolutePath(), QPath("in"));

  // The report's save dialog remembers where it last saved.
  ConversionResults results;
  results.converted = {"/in/a.jpg"};
  {
    ResultDialog result(results);
    result.show();
    answerer.Then([&](QWidget* window) {
      auto* chooser = qobject_cast<QFileDialog*>(window);
      ASSERT_NE(chooser, nullptr);
      chooser->setDirectory(QPath("reports"));
      chooser->selectFile(QPath("reports/r.txt"));
      QMetaObject::invokeMethod(chooser, "accept");
    });
    result.SaveButton()->click();
    ProcessEvents();
    EXPECT_FALSE(ReadFile(Path("reports/r.txt")).empty());
    result.hide();
  }
  ResultDialog next(results);
  EXPECT_EQ(next.MakeSaveDialog()->directory().absolutePath(), QPath("reports"));

  // A remembered folder that has gone: home again.
  ASSERT_TRUE(QDir(QPath("reports")).removeRecursively());
  EXPECT_EQ(next.MakeSaveDialog()->directory().absolutePath(), QPath("home"));
}

}  // namespace
}  // namespace ostrel::guitest
