// The main dialog: controls and texts, settings, enabling, help line,
// browsing and closing.
#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "GuiTestSupport.h"
#include "converter/BrowseButton.h"
#include "converter/ConverterProfile.h"
#include "converter/FileFilter.h"
#include "converter/HistoryComboBox.h"
#include "converter/MainDialog.h"

namespace ostrel::guitest {
namespace {

int32_t NoConversion(const std::string&, const std::string&) { return -1; }

class GuiMainDialogTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    dialog_ = std::make_unique<MainDialog>(NoConversion);
  }
  void TearDown() override {
    if (dialog_) dialog_->hide();
    dialog_.reset();
    GuiTest::TearDown();
  }
  void Open() {
    dialog_->show();
    ProcessEvents();
  }
  template <typename W = QWidget>
  W* Control(int id) const {
    return dialog_->findChild<W*>(QString::number(id));
  }
  // Types a text into a path box and leaves the field.
  void Type(HistoryComboBox* box, const QString& text) {
    box->setEditText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    ProcessEvents();
  }
  // The enabled state of 1006, 1003, 1004, 1005, 1015, 1016, 1007, 1008, 1012.
  std::vector<bool> Enabled() const {
    std::vector<bool> states;
    for (int id : {1006, 1003, 1004, 1005, 1015, 1016, 1007, 1008, 1012})
      states.push_back(Control(id)->isEnabled());
    return states;
  }

  std::unique_ptr<MainDialog> dialog_;
};

TEST_F(GuiMainDialogTest, ControlsTextsAndIds) {
  Open();
  EXPECT_EQ(dialog_->windowTitle(), "Velmora");
  const std::vector<std::pair<int, QString>> buttons = {
      {1001, "..."},
      {1006, "サブフォルダも検索する(&S)"},
      {1003, "ビットマップ(&B)"},
      {1004, "JPEG(&J)"},
      {1005, "TIFF(&T)"},
      {1010, "..."},
      {1015, "<ファイル名>．PDF(&1)"},
      {1016, "<ファイル名>_<拡張子>．PDF(&2)"},
      {1007, "同名のフォルダを作成する(&M)"},
      {1008, "ファイル上書き時に問い合わせをしない(&N)"},
      {1012, "フォルダが存在しない場合に問い合わせをしない(&E)"},
      {1011, "開始(&S)"},
      {2, "終了(&X)"},
  };
  for (const auto& [id, text] : buttons) {
    auto* button = Control<QAbstractButton>(id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(button->text(), text) << id;
  }
  EXPECT_NE(Control<HistoryComboBox>(1002), nullptr);
  EXPECT_EQ(Control<HistoryComboBox>(1002)->Section(), "Src");
  EXPECT_EQ(Control<HistoryComboBox>(1009)->Section(), "Dest");
  EXPECT_TRUE(Control<QPushButton>(1011)->isDefault());
  EXPECT_FALSE(Control<QLabel>(1017)->isVisible());

  QStringList labels;
  for (QLabel* label : dialog_->findChildren<QLabel*>()) labels << label->text();
  for (const char* text : {"入力　（変換元の画像ファイル）", "ファイル／フォルダ(&I)",
                           "出力　（変換先の PDF ファイル）", "ファイル／フォルダ(&O)",
                           "≪ ドロップされたファイルまたはフォルダ ≫"})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  QStringList groups;
  for (QGroupBox* group : dialog_->findChildren<QGroupBox*>()) groups << group->title();
  EXPECT_EQ(groups, (QStringList{"対象", "ファイル名"}));

  // The path labels lead to their boxes.
  for (QLabel* label : dialog_->findChildren<QLabel*>()) {
    if (label->text() == QStringLiteral("ファイル／フォルダ(&I)")) {
      EXPECT_EQ(label->buddy(), dialog_->InputBox());
    }
    if (label->text() == QStringLiteral("ファイル／フォルダ(&O)")) {
      EXPECT_EQ(label->buddy(), dialog_->OutputBox());
    }
  }
  EXPECT_NE(dialog_->StatusBar(), nullptr);
}

TEST_F(GuiMainDialogTest, SettingsAreReadOnOpenAndWrittenOnlyOnClose) {
  {
    auto profile = Profile();
    profile->setValue("Settings/SubFolder", 0);
    profile->setValue("Settings/ObjJPEG", 0);
    profile->setValue("Settings/OutFileName", 1);
    profile->setValue("Settings/OwNoConf", 1);
    profile->sync();
  }
  Open();
  EXPECT_FALSE(Control<QCheckBox>(1006)->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(1003)->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(1004)->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(1005)->isChecked());
  EXPECT_FALSE(Control<QRadioButton>(1015)->isChecked());
  EXPECT_TRUE(Control<QRadioButton>(1016)->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(1007)->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(1008)->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(1012)->isChecked());

  // Changing the controls writes nothing yet.
  Control<QCheckBox>(1012)->setChecked(true);
  Control<QRadioButton>(1015)->setChecked(true);
  Control<QCheckBox>(1003)->setChecked(false);
  EXPECT_EQ(Profile()->value("Settings/NeNoConf").toString(), "");

  // The Close button saves and ends the dialog.
  Control<QPushButton>(2)->click();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  auto profile = Profile();
  const ConverterSettings s = ConverterProfile::ReadSettings(*profile);
  EXPECT_EQ(s.SubFolder, 0);
  EXPECT_EQ(s.ObjBMP, 0);
  EXPECT_EQ(s.ObjJPEG, 0);
  EXPECT_EQ(s.ObjTIFF, 1);
  EXPECT_EQ(s.OutFileName, 0);
  EXPECT_EQ(s.MakeFolder, 1);
  EXPECT_EQ(s.OwNoConf, 1);
  EXPECT_EQ(s.NeNoConf, 1);
}

TEST_F(GuiMainDialogTest, EscAndTheCloseBoxSaveToo) {
  Open();
  Control<QCheckBox>(1008)->setChecked(true);
  dialog_->close();  // the window's close box
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(ConverterProfile::ReadSettings(*Profile()).OwNoConf, 1);

  dialog_->show();
  ProcessEvents();
  Control<QCheckBox>(1008)->setChecked(false);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(dialog_.get(), &esc);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(ConverterProfile::ReadSettings(*Profile()).OwNoConf, 0);
}

TEST_F(GuiMainDialogTest, HistoriesAreLoadedAndSavedWithTheDialog) {
  {
    auto profile = Profile();
    profile->setValue("Src/Hist0", "/in/old");
    profile->setValue("Dest/Hist0", "/out/old");
    profile->sync();
  }
  Open();
  EXPECT_EQ(dialog_->InputBox()->Entries(), QStringList{"/in/old"});
  EXPECT_EQ(dialog_->OutputBox()->Entries(), QStringList{"/out/old"});
  EXPECT_TRUE(dialog_->InputBox()->currentText().isEmpty());
  Type(dialog_->InputBox(), "/in/new");
  Type(dialog_->OutputBox(), "/out/new");
  Control<QPushButton>(2)->click();
  dialog_.reset();
  auto profile = Profile();
  EXPECT_EQ(ConverterProfile::ReadHistory(*profile, "Src"), (QStringList{"/in/new", "/in/old"}));
  EXPECT_EQ(ConverterProfile::ReadHistory(*profile, "Dest"), (QStringList{"/out/new", "/out/old"}));
}

TEST_F(GuiMainDialogTest, EnablingFollowsThePathClasses) {
  MakeFile("a.jpg");
  MakeFolder("pics");
  MakeFolder("outdir");
  Open();
  // Nothing typed: everything on.
  EXPECT_EQ(Enabled(), std::vector<bool>(9, true));

  // An input file and an output PDF file: no search options, no naming,
  // no folder options; overwriting stays.
  Type(dialog_->InputBox(), QPath("a.jpg"));
  Type(dialog_->OutputBox(), QPath("x.pdf"));
  EXPECT_EQ(Enabled(),
            (std::vector<bool>{false, false, false, false, false, false, false, true, false}));
  EXPECT_EQ(dialog_->InputBox()->itemText(0), QPath("a.jpg"));

  // An input file and an existing output folder: naming comes back.
  Type(dialog_->OutputBox(), QPath("outdir"));
  EXPECT_EQ(Enabled(),
            (std::vector<bool>{false, false, false, false, true, true, false, true, true}));

  // "out" (a new folder, or a file name for one input file) while the
  // input is a file, then the input becomes a folder: every option is
  // recomputed.
  Type(dialog_->OutputBox(), QPath("out"));
  EXPECT_EQ(Enabled(),
            (std::vector<bool>{false, false, false, false, false, false, false, true, false}));
  Type(dialog_->InputBox(), QPath("pics"));
  EXPECT_EQ(Enabled(), std::vector<bool>(9, true));

  // Folder creation for sub-folders needs the sub-folder search.
  Control<QCheckBox>(1006)->click();
  EXPECT_FALSE(Control(1007)->isEnabled());
  Control<QCheckBox>(1006)->click();
  EXPECT_TRUE(Control(1007)->isEnabled());

  // Typing alone (without leaving the field) updates the enabling too.
  dialog_->InputBox()->lineEdit()->setText(QPath("a.jpg"));
  ProcessEvents();
  EXPECT_FALSE(Control(1006)->isEnabled());
}

TEST_F(GuiMainDialogTest, HelpLineShowsTheControlUnderTheMouse) {
  Open();
  const auto enter = [](QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(widget, &event);
  };
  enter(Control(1006));
  EXPECT_EQ(dialog_->HelpLine(),
            "入力の「ファイル／フォルダ(I)」にフォルダ指定時、サブフォルダも検索します。");
  EXPECT_EQ(dialog_->StatusBar()->currentMessage(), dialog_->HelpLine());
  // The edit field inside the box counts as the box.
  enter(dialog_->InputBox()->lineEdit());
  EXPECT_EQ(dialog_->HelpLine(),
            "変換元の画像ファイルか、画像ファイルのあるフォルダを指定します。");
  enter(Control(1015));
  EXPECT_EQ(dialog_->HelpLine(), "出力時のファイル名を「入力ファイル名．PDF」 にします。");
  enter(Control(2));
  EXPECT_EQ(dialog_->HelpLine(), "このアプリケーションを終了します。");
  // A group box or a label has no text of its own: an empty line.
  enter(dialog_->findChildren<QGroupBox*>().front());
  EXPECT_EQ(dialog_->HelpLine(), "");
  enter(Control(1010));
  EXPECT_EQ(dialog_->HelpLine(), "出力の「ファイル／フォルダ(O)」を選択するダイアログを開きます。");
  enter(dialog_->findChildren<QLabel*>().front());
  EXPECT_EQ(dialog_->HelpLine(), "");

  for (int id :
       {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1016, 2})
    EXPECT_FALSE(MainDialog::HelpText(id).isEmpty()) << id;
  EXPECT_TRUE(MainDialog::HelpText(1017).isEmpty());
  EXPECT_EQ(MainDialog::HelpText(1012),
            "出力時にフォルダが存在しない場合、問い合わせずに作成します。");
}

TEST_F(GuiMainDialogTest, SharedMnemonicOnlyMovesTheFocus) {
  // "&S" marks both the sub-folder option and the Convert button: the key
  // only moves the focus between them and neither starts a run nor
  // toggles the option.
  Open();
  dialog_->activateWindow();
  ProcessEvents();
  if (QApplication::activeWindow() != dialog_.get())
    GTEST_SKIP() << "the platform gives no active window";
  ModalAnswerer answerer;
  auto* subFolder = Control<QCheckBox>(1006);
  const bool checked = subFolder->isChecked();
  QWidget* focused = nullptr;
  for (int i = 0; i < 3; ++i) {
    QWidget* target =
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dialog_.get();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_S, Qt::AltModifier, "s");
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_S, Qt::AltModifier, "s");
    QApplication::sendEvent(target, &release);
    ProcessEvents();
    EXPECT_TRUE(QApplication::focusWidget() == subFolder ||
                QApplication::focusWidget() == Control(1011));
    EXPECT_NE(QApplication::focusWidget(), focused) << "the focus cycles";
    focused = QApplication::focusWidget();
  }
  EXPECT_EQ(subFolder->isChecked(), checked);
  EXPECT_TRUE(answerer.Seen().empty()) << "no run was started";
}

TEST_F(GuiMainDialogTest, BrowseChoosersCarryTheirFiltersAndTitles) {
  Open();
  const auto input = dialog_->MakeFileDialog(true);
  EXPECT_EQ(input->nameFilters(),
            (QStringList{"画像ファイル (*.bmp *.jpeg *.jpg *.tiff *.tif)",
                         "ビットマップ ファイル (*.bmp)", "JPEG ファイル (*.jpeg *.jpg)",
                         "TIFF ファイル (*.tiff *.tif)", "すべてのファイル (*)"}));
  EXPECT_EQ(input->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(input->fileMode(), QFileDialog::AnyFile);
  const auto output = dialog_->MakeFileDialog(false);
  EXPECT_EQ(output->nameFilters(), (QStringList{"PDF ファイル (*.pdf)", "すべてのファイル (*)"}));
  const auto inFolder = dialog_->MakeFolderDialog(true);
  EXPECT_EQ(inFolder->windowTitle(), "入力フォルダを指定してください。");
  EXPECT_EQ(inFolder->fileMode(), QFileDialog::Directory);
  EXPECT_TRUE(inFolder->testOption(QFileDialog::ShowDirsOnly));
  EXPECT_EQ(dialog_->MakeFolderDialog(false)->windowTitle(), "出力フォルダを指定してください。");

  // The string-table form of the filters ends with an empty pair.
  EXPECT_TRUE(InputFileFilter().endsWith("||"));
  EXPECT_EQ(NameFilters("A (*.a)|*.a||ignored|*.x"), QStringList{"A (*.a)"});
  EXPECT_EQ(NameFilters("Plain|*.p;*.q||"), QStringList{"Plain (*.p *.q)"});

  MakeFolder("chosen");
  dialog_->ApplyBrowseResult(false, QPath("chosen"));
  ProcessEvents();
  EXPECT_EQ(dialog_->OutputBox()->currentText(), QPath("chosen"));
  EXPECT_EQ(dialog_->OutputBox()->itemText(0), QPath("chosen"));
}

TEST_F(GuiMainDialogTest, BrowseButtonMenuLeadsToTheFolderChooser) {
  MakeFolder("pics");
  Open();
  // The menu of a browse button.
  std::unique_ptr<QMenu> menu(BrowseButton::CreatePopupMenu(nullptr));
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "ファイルの参照(&F)...");
  EXPECT_EQ(menu->actions()[0]->data().toInt(), BrowseButton::kFileBrowse);
  EXPECT_EQ(menu->actions()[1]->text(), "フォルダの参照(&O)...");
  EXPECT_EQ(menu->actions()[1]->data().toInt(), BrowseButton::kFolderBrowse);

  // Click the input's button, choose the folder item, choose a folder.
  const QString folder = QPath("pics");
  QString title;
  QTimer menuTimer;
  menuTimer.setInterval(10);
  QObject::connect(&menuTimer, &QTimer::timeout, [&] {
    if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      menuTimer.stop();
      popup->setActiveAction(popup->actions()[1]);
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(popup, &enter);
    }
  });
  menuTimer.start();
  ModalAnswerer answerer;
  answerer.Then([&](QWidget* window) {
    auto* chooser = qobject_cast<QFileDialog*>(window);
    ASSERT_NE(chooser, nullptr);
    title = chooser->windowTitle();
    chooser->setDirectory(folder);
    QMetaObject::invokeMethod(chooser, "accept");
  });
  dialog_->InputBrowse()->click();
  ProcessEvents();
  EXPECT_EQ(BrowseButton::LastClicked(), dialog_->InputBrowse());
  EXPECT_EQ(title, "入力フォルダを指定してください。");
  EXPECT_EQ(dialog_->InputBox()->currentText(), folder);
  EXPECT_EQ(dialog_->InputBox()->itemText(0), folder);
}

// Presses and releases a key on a widget, as the keyboard does.
void Key(QWidget* target, int key, const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

// Types a text key by key (ASCII only).
void Keys(QWidget* target, const QString& text) {
  for (QChar ch : text) Key(target, ch.toUpper().unicode(), QString(ch));
  ProcessEvents();
}

TEST_F(GuiMainDialogTest, TypedPathsStayAsTypedWithAHistory) {
  MakeFile("in/top.bmp");
  MakeFile("in/pic.bmp");
  MakeFolder("out");
  {
    auto profile = Profile();
    profile->setValue("Src/Hist0", QPath("in/top.bmp"));
    profile->setValue("Dest/Hist0", QPath("out/top.PDF"));
    profile->sync();
  }
  std::vector<std::pair<std::string, std::string>> calls;
  dialog_ = std::make_unique<MainDialog>([&calls](const std::string& in, const std::string& out) {
    calls.emplace_back(in, out);
    return -1;
  });
  Open();
  dialog_->activateWindow();
  ProcessEvents();
  HistoryComboBox* input = dialog_->InputBox();
  HistoryComboBox* output = dialog_->OutputBox();
  ASSERT_EQ(input->Entries(), QStringList{QPath("in/top.bmp")});

  // A folder that is a prefix of a history entry, left with Tab: the folder
  // stays, and it is the folder that enters the history.
  input->setFocus(Qt::TabFocusReason);
  input->setEditText(QString());
  Keys(input->lineEdit(), QPath("in"));
  EXPECT_EQ(input->currentText(), QPath("in"));
  EXPECT_FALSE(input->lineEdit()->hasSelectedText());
  Key(input->lineEdit(), Qt::Key_Tab);
  ProcessEvents();
  EXPECT_FALSE(input->lineEdit()->hasFocus());
  EXPECT_EQ(input->currentText(), QPath("in"));
  EXPECT_EQ(input->Entries().value(0), QPath("in"));

  // The prefix of an entry in other case keeps the user's case.
  input->setFocus(Qt::TabFocusReason);
  input->setEditText(QString());
  const QString otherCase = QPath("in/TO");
  Keys(input->lineEdit(), otherCase);
  Key(input->lineEdit(), Qt::Key_Tab);
  ProcessEvents();
  EXPECT_EQ(input->currentText(), otherCase);
  EXPECT_EQ(input->Entries().value(0), otherCase);

  // One Enter in the output box starts the run with the folder as typed, so
  // the file goes to out/pic.PDF and not to the history's out/top.PDF.
  dialog_->SetInputText(QPath("in/pic.bmp"));
  dialog_->UpdateData(false);
  output->setFocus(Qt::TabFocusReason);
  output->setEditText(QString());
  Keys(output->lineEdit(), QPath("out"));
  EXPECT_EQ(output->currentText(), QPath("out"));
  ModalAnswerer answerer;  // closes the result dialog
  Key(output->lineEdit(), Qt::Key_Return);
  ProcessEvents();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, Path("in/pic.bmp"));
  EXPECT_EQ(calls[0].second, Path("out/pic.PDF"));
  EXPECT_EQ(output->currentText(), QPath("out"));
}

TEST_F(GuiMainDialogTest, AboutBoxFromTheContextMenu) {
  Open();
  std::unique_ptr<QMenu> menu(dialog_->CreateContextMenu(nullptr));
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions()[0]->text(), "バージョン情報(&A)...");
  QStringList texts;
  ModalAnswerer answerer;
  answerer.Then([&](QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) texts << label->text();
    qobject_cast<QDialog*>(window)->accept();
  });
  menu->actions()[0]->trigger();
  ASSERT_EQ(answerer.Seen().size(), 1u);
  EXPECT_TRUE(texts.contains("Velmora Version 1.00")) << texts.join('|').toStdString();
}

}  // namespace
}  // namespace ostrel::guitest
