// The dialogs of a run: search and progress (modeless, owner disabled,
// Cancel only sets a flag), message boxes and the result dialog.
#include <cstdint>
#include <filesystem>

#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "converter/PathLabel.h"
#include "converter/ProgressDialog.h"
#include "converter/QtConverterUi.h"
#include "converter/ResultDialog.h"
#include "converter/SearchDialog.h"
#include "converter/core/Report.h"

namespace ostrel::guitest {
namespace {

class GuiRunDialogsTest : public GuiTest {};

std::string fs_list(const QString& dir) {
  std::string names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.toStdString()))
    names += entry.path().string() + " ";
  return names;
}

TEST_F(GuiRunDialogsTest, ProgressDialogDisablesItsOwnerWhileItExists) {
  QDialog owner;
  owner.show();
  {
    ProgressDialog progress;
    EXPECT_EQ(progress.windowTitle(), "ファイル変換中");
    EXPECT_EQ(progress.CancelButton()->text(), "キャンセル(&C)");
    EXPECT_TRUE(progress.CancelButton()->isDefault());
    EXPECT_EQ(progress.PercentLabel()->text(), " 0 %");
    EXPECT_EQ(progress.PercentLabel()->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    progress.Create(&owner);
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.isEnabled()) << "the dialog must not be disabled with its owner";

    // Cancel, Esc and the close box only set the flag.
    progress.CancelButton()->click();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.TakeCancel());
    EXPECT_FALSE(progress.TakeCancel()) << "taking the flag clears it";
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&progress, &esc);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.TakeCancel());
    progress.close();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.TakeCancel());

    // The bar takes the run's range below zero.
    progress.SetRange(INT32_MIN, INT32_MIN + 3);
    progress.SetPos(INT32_MIN + 1);
    EXPECT_EQ(progress.Bar()->minimum(), INT32_MIN);
    EXPECT_EQ(progress.Bar()->maximum(), INT32_MIN + 3);
    EXPECT_EQ(progress.Bar()->value(), INT32_MIN + 1);
    progress.SetPercentText("33%");
    EXPECT_EQ(progress.PercentLabel()->text(), "33%");
    progress.SetFileText("/a/b/c.jpg");
    EXPECT_EQ(progress.FileLabel()->Text(), "/a/b/c.jpg");
  }
  EXPECT_TRUE(owner.isEnabled());

  // An owner that was disabled already stays so.
  owner.setEnabled(false);
  {
    SearchDialog search;
    search.Create(&owner);
  }
  EXPECT_FALSE(owner.isEnabled());
}

TEST_F(GuiRunDialogsTest, SearchDialogShowsTheFolder) {
  QDialog owner;
  owner.show();
  SearchDialog search;
  EXPECT_EQ(search.windowTitle(), "ファイル検索中");
  EXPECT_EQ(search.CancelButton()->text(), "キャンセル(&C)");
  search.Create(&owner);
  EXPECT_FALSE(owner.isEnabled());
  search.SetStateText("/pics/2020");
  EXPECT_EQ(search.StateLabel()->Text(), "/pics/2020");
  search.CancelButton()->click();
  EXPECT_TRUE(search.TakeCancel());
  EXPECT_TRUE(search.isVisible());
}

TEST_F(GuiRunDialogsTest, LongPathsKeepTheirLastComponent) {
  QFont font;
  const QFontMetrics metrics(font);
  const QString path = "/home/user/" + QString("very-long-folder-name/").repeated(8) + "photo.jpg";
  const int width = metrics.horizontalAdvance("/home/user/very-long-folder/photo.jpg");
  const QString shown = PathLabel::ElidePath(path, metrics, width);
  EXPECT_LE(metrics.horizontalAdvance(shown), width);
  EXPECT_TRUE(shown.endsWith("/photo.jpg")) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith("/home")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026)));
  // A path that fits is left alone.
  EXPECT_EQ(PathLabel::ElidePath("/a/b.jpg", metrics, 1000), "/a/b.jpg");
  // A last component that alone is too wide is cut in its middle.
  const QString huge = "/" + QString("x").repeated(500) + ".jpg";
  const QString cut = PathLabel::ElidePath(huge, metrics, 100);
  EXPECT_LE(metrics.horizontalAdvance(cut), 100);
  EXPECT_TRUE(cut.endsWith(".jpg"));
  // No room at all gives an empty text rather than a failure.
  EXPECT_LE(metrics.horizontalAdvance(PathLabel::ElidePath(path, metrics, 0)), 0);

  PathLabel label;
  label.resize(width, 20);
  label.SetText(path);
  EXPECT_LE(label.fontMetrics().horizontalAdvance(label.DisplayedText()), width);
}

TEST_F(GuiRunDialogsTest, MessageBoxesAnswerAsAsked) {
  const auto box =
      QtConverterUi::MakeMessageBox(nullptr, "ファイル <b>x</b> を上書きします。\nよろしいですか？",
                                    MsgButtons::YesNoCancel, MsgIcon::Question);
  EXPECT_EQ(box->windowTitle(), "Velmora");
  EXPECT_EQ(box->textFormat(), Qt::PlainText) << "paths must not be read as markup";
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  EXPECT_EQ(box->text(), "ファイル <b>x</b> を上書きします。\nよろしいですか？");
  EXPECT_EQ(box->buttons().size(), 3);
  EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
  EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Cancel));
  EXPECT_EQ(QtConverterUi::MakeMessageBox(nullptr, "a", MsgButtons::Ok, MsgIcon::Stop)->icon(),
            QMessageBox::Critical);
  EXPECT_EQ(
      QtConverterUi::MakeMessageBox(nullptr, "a", MsgButtons::Ok, MsgIcon::Information)->icon(),
      QMessageBox::Information);

  ModalAnswerer answerer;
  answerer.ThenClick(QMessageBox::Yes);
  answerer.ThenClick(QMessageBox::No);
  answerer.ThenClick(QMessageBox::Cancel);
  answerer.ThenClick(QMessageBox::Ok);
  QtConverterUi ui(nullptr);
  EXPECT_EQ(ui.MessageBox("q", MsgButtons::YesNo, MsgIcon::Question), MsgAnswer::Yes);
  EXPECT_EQ(ui.MessageBox("q", MsgButtons::YesNoCancel, MsgIcon::Question), MsgAnswer::No);
  EXPECT_EQ(ui.MessageBox("q", MsgButtons::YesNoCancel, MsgIcon::Question), MsgAnswer::Cancel);
  EXPECT_EQ(ui.MessageBox("m", MsgButtons::Ok, MsgIcon::Exclamation), MsgAnswer::Ok);
  // Closed with Esc (no handler left).
  EXPECT_EQ(ui.MessageBox("q", MsgButtons::YesNo, MsgIcon::Question), MsgAnswer::No);
  EXPECT_EQ(ui.MessageBox("q", MsgButtons::YesNoCancel, MsgIcon::Question), MsgAnswer::Cancel);
  EXPECT_EQ(ui.MessageBox("m", MsgButtons::Ok, MsgIcon::Exclamation), MsgAnswer::Ok);
  ASSERT_EQ(answerer.Seen().size(), 7u);
  EXPECT_EQ(answerer.Seen()[0].buttons, (std::vector<QString>{"はい(&Y)", "いいえ(&N)"}));
  EXPECT_EQ(answerer.Seen()[3].icon, QMessageBox::Warning);

  // Bytes that are not UTF-8 are still shown.
  EXPECT_FALSE(QtConverterUi::Display(std::string("/a/\xff\xfe.jpg")).isEmpty());
}

TEST_F(GuiRunDialogsTest, QuestionsDuringARunBelongToTheRunsDialog) {
  QDialog owner;
  owner.show();
  QtConverterUi ui(&owner);
  ui.ShowProgressDialog();
  ASSERT_NE(ui.Progress(), nullptr);
  EXPECT_FALSE(owner.isEnabled());
  ui.SetProgressRange(INT32_MIN, INT32_MIN + 2);
  ui.SetProgressPos(INT32_MIN + 1);
  ui.SetProgressPercentText("50%");
  ui.SetProgressFileText("/x/y.jpg");
  EXPECT_EQ(ui.Progress()->PercentLabel()->text(), "50%");
  bool parentEnabled = false;
  QWidget* parent = nullptr;
  ModalAnswerer answerer;
  answerer.Then([&](QWidget* window) {
    parent = window->parentWidget();
    parentEnabled = window->isEnabled();
    qobject_cast<QMessageBox*>(window)->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(ui.MessageBox("q", MsgButtons::YesNo, MsgIcon::Question), MsgAnswer::No);
  EXPECT_EQ(parent, ui.Progress());
  EXPECT_TRUE(parentEnabled);
  ui.Progress()->CancelButton()->click();
  ui.PumpMessages();
  EXPECT_TRUE(ui.TakeProgressCancel());
  EXPECT_FALSE(ui.TakeProgressCancel());
  ui.HideProgressDialog();
  EXPECT_EQ(ui.Progress(), nullptr);
  EXPECT_TRUE(owner.isEnabled());

  ui.ShowSearchDialog();
  EXPECT_FALSE(owner.isEnabled());
  ui.SetSearchStateText("/pics");
  EXPECT_EQ(ui.Search()->StateLabel()->Text(), "/pics");
  EXPECT_FALSE(ui.TakeSearchCancel());
  ui.HideSearchDialog();
  EXPECT_TRUE(owner.isEnabled());
  // Without the dialogs the calls do nothing.
  ui.SetProgressPos(1);
  ui.SetSearchStateText("/x");
  EXPECT_FALSE(ui.TakeSearchCancel());
  EXPECT_FALSE(ui.TakeProgressCancel());
}

TEST_F(GuiRunDialogsTest, ResultDialogShowsAndSavesTheReport) {
  ConversionResults results;
  results.converted = {"/in/a.jpg", "/in/b.bmp"};
  results.failed = {"/in/c.tif"};
  ResultDialog dialog(results);
  EXPECT_EQ(dialog.windowTitle(), "結果");
  EXPECT_EQ(dialog.SaveButton()->text(), "保存(&S)...");
  EXPECT_EQ(dialog.CloseButton()->text(), "閉じる(&C)");
  EXPECT_TRUE(dialog.CloseButton()->isDefault());
  EXPECT_TRUE(dialog.ReportEdit()->isReadOnly());
  EXPECT_EQ(dialog.ReportEdit()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(dialog.ReportEdit()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  bool hasStatic = false;
  for (QLabel* label : dialog.findChildren<QLabel*>())
    hasStatic = hasStatic || label->text() == "変換が正常に終了しました。";
  EXPECT_TRUE(hasStatic);

  const std::string rule(46, '=');
  const std::string expected =
      "発見したファイル数 ： 3\r\n変換できたファイル数 ： 2\r\n変換できなかったファイル数 ： 1\r\n"
      "\r\n■変換できたファイル\r\n" +
      rule +
      "\r\n/in/a.jpg\r\n/in/b.bmp\r\n"
      "\r\n■変換できなかったファイル\r\n" +
      rule + "\r\n/in/c.tif\r\n";
  EXPECT_EQ(dialog.Report(), expected);
  QString shown = QString::fromStdString(expected);
  shown.replace("\r\n", "\n");
  EXPECT_EQ(dialog.ReportEdit()->toPlainText() +
                (dialog.ReportEdit()->toPlainText().endsWith('\n') ? "" : "\n"),
            shown);

  // The save chooser.
  const auto chooser = dialog.MakeSaveDialog();
  EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(chooser->defaultSuffix(), "txt");
  EXPECT_EQ(chooser->nameFilters(),
            (QStringList{"テキストファイル (*.txt)", "すべてのファイル (*)"}));
  EXPECT_FALSE(chooser->testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_TRUE(chooser->selectedFiles().value(0).endsWith("/result.txt"));

  // A name without an extension gets ".txt"; the bytes are the report's.
  EXPECT_TRUE(dialog.SaveTo(QPath("report")));
  EXPECT_EQ(ReadFile(Path("report.txt")), expected);
  EXPECT_FALSE(std::filesystem::exists(Path("report")));

  // A folder that does not exist: the failure message; the dialog stays.
  dialog.show();
  ModalAnswerer answerer;
  answerer.ThenClick(QMessageBox::Ok);
  EXPECT_FALSE(dialog.SaveTo(QPath("missing/report.txt")));
  ASSERT_EQ(answerer.Seen().size(), 1u);
  EXPECT_EQ(answerer.Seen()[0].text, "変換結果のファイルへの保存に失敗しました。");
  EXPECT_EQ(answerer.Seen()[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(dialog.isVisible());
  dialog.hide();
}

TEST_F(GuiRunDialogsTest, SaveButtonRunsTheChooser) {
  ConversionResults results;
  results.failed = {"/in/only.tif"};
  ResultDialog dialog(results);
  dialog.show();
  ModalAnswerer answerer;
  answerer.Then([&](QWidget* window) {
    auto* chooser = qobject_cast<QFileDialog*>(window);
    ASSERT_NE(chooser, nullptr);
    // The user goes to the folder and types a name without extension.
    chooser->setDirectory(files_.path());
    auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText("saved");
    QMetaObject::invokeMethod(chooser, "accept");
  });
  dialog.SaveButton()->click();
  ASSERT_EQ(answerer.Seen().size(), 1u);
  EXPECT_EQ(answerer.Seen()[0].title, "名前を付けて保存");
  EXPECT_EQ(ReadFile(Path("saved.txt")), BuildReport(results)) << fs_list(files_.path());
  EXPECT_EQ(BuildReport(results).find("■変換できたファイル"), std::string::npos);
  dialog.hide();
}

}  // namespace
}  // namespace ostrel::guitest
