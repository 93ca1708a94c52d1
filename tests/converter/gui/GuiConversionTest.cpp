// Whole runs driven through the main dialog: typing the paths, answering the
// questions, cancelling, and the result dialog. The single-file conversion is
// a stand-in that records its calls and writes a marker file.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "converter/HistoryComboBox.h"
#include "converter/MainDialog.h"
#include "converter/ProgressDialog.h"
#include "converter/ResultDialog.h"
#include "converter/core/StringTable.h"

namespace ostrel::guitest {
namespace {

namespace fs = std::filesystem;

class GuiConversionTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    dialog_ = std::make_unique<MainDialog>(
        [this](const std::string& in, const std::string& out) { return Convert(in, out); });
  }
  void TearDown() override {
    dialog_->hide();
    dialog_.reset();
    GuiTest::TearDown();
  }

  int32_t Convert(const std::string& in, const std::string& out) {
    calls_.emplace_back(in, out);
    // What the user sees while a file is converted.
    ownerEnabled_.push_back(dialog_->isEnabled());
    ProgressDialog* progress = dialog_->Ui().Progress();
    progressShown_.push_back(progress != nullptr && progress->isVisible());
    if (during_) during_(calls_.size());
    if (in.find("bad") != std::string::npos) return -1;
    std::ofstream file(out, std::ios::binary);
    file << "converted " << in;
    return file ? 0 : -1;
  }

  void Open() {
    dialog_->show();
    ProcessEvents();
  }
  void Type(HistoryComboBox* box, const QString& text) {
    box->setEditText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    ProcessEvents();
  }
  // Answers the result dialog: keeps its report and closes it.
  void ThenResult(ModalAnswerer& answerer) {
    answerer.Then([this](QWidget* window) {
      auto* result = qobject_cast<ResultDialog*>(window);
      ASSERT_NE(result, nullptr) << "expected the result dialog";
      report_ = result->Report();
      reportShown_ = result->ReportEdit()->toPlainText();
      result->CloseButton()->click();
    });
  }

  std::unique_ptr<MainDialog> dialog_;
  std::vector<std::pair<std::string, std::string>> calls_;
  std::vector<bool> ownerEnabled_;
  std::vector<bool> progressShown_;
  std::function<void(size_t)> during_;
  std::string report_;
  QString reportShown_;
};

TEST_F(GuiConversionTest, FolderToNewFolderWithQuestionsAnswered) {
  MakeFile("in/a.jpg");
  MakeFile("in/b.BMP");
  MakeFile("in/bad.tif");
  MakeFile("in/notes.txt");
  MakeFile("in/sub/c.jpeg");
  Open();
  Type(dialog_->InputBox(), QPath("in"));
  Type(dialog_->OutputBox(), QPath("out"));

  ModalAnswerer answerer;
  answerer.ThenClick(QMessageBox::Yes);  // create out
  answerer.ThenClick(QMessageBox::Yes);  // create out/sub
  ThenResult(answerer);
  dialog_->ConvertButton()->click();
  ProcessEvents();

  ASSERT_EQ(answerer.Seen().size(), 3u);
  EXPECT_EQ(answerer.Seen()[0].text,
            QString::fromStdString(LoadMessage1(kMsgCreateFolder, Path("out"))));
  EXPECT_EQ(answerer.Seen()[1].text,
            QString::fromStdString(LoadMessage1(kMsgCreateFolder, Path("out/sub"))));
  EXPECT_EQ(answerer.Seen()[1].icon, QMessageBox::Question);
  ASSERT_EQ(calls_.size(), 4u);
  EXPECT_EQ(calls_[0], std::make_pair(Path("in/a.jpg"), Path("out/a.PDF")));
  EXPECT_EQ(calls_[3], std::make_pair(Path("in/sub/c.jpeg"), Path("out/sub/c.PDF")));
  EXPECT_TRUE(fs::exists(Path("out/sub/c.PDF")));

  // The progress dialog was up and the main window disabled during the run,
  // and the main window works again afterwards.
  EXPECT_EQ(ownerEnabled_, std::vector<bool>(4, false));
  EXPECT_EQ(progressShown_, std::vector<bool>(4, true));
  EXPECT_TRUE(dialog_->isEnabled());
  EXPECT_EQ(dialog_->Ui().Progress(), nullptr);
  EXPECT_EQ(dialog_->Ui().Search(), nullptr);

  EXPECT_NE(report_.find("発見したファイル数 ： 4\r\n変換できたファイル数 ： "
                         "3\r\n変換できなかったファイル数 ： 1\r\n"),
            std::string::npos);
  EXPECT_NE(report_.find(Path("in/bad.tif")), std::string::npos);
  EXPECT_TRUE(reportShown_.contains(QPath("in/sub/c.jpeg")));

  // A run does not write the settings; the histories got both paths.
  EXPECT_TRUE(Profile()->childGroups().isEmpty());
  EXPECT_EQ(dialog_->InputBox()->itemText(0), QPath("in"));
  EXPECT_EQ(dialog_->OutputBox()->itemText(0), QPath("out"));
}

TEST_F(GuiConversionTest, OptionsOfTheControlsDriveTheRun) {
  MakeFile("in/a.jpg");
  MakeFile("in/a.tif");
  MakeFile("in/b.bmp");
  MakeFile("in/sub/c.jpg");
  MakeFolder("out");
  Open();
  Type(dialog_->InputBox(), QPath("in"));
  Type(dialog_->OutputBox(), QPath("out"));
  dialog_->findChild<QCheckBox*>("1006")->setChecked(false);  // no sub-folders
  dialog_->findChild<QCheckBox*>("1003")->setChecked(false);  // no BMP
  dialog_->findChild<QAbstractButton*>("1016")->click();      // name_ext.PDF

  ModalAnswerer answerer;
  ThenResult(answerer);
  dialog_->ConvertButton()->click();
  ProcessEvents();
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[0].second, Path("out/a_jpg.PDF"));
  EXPECT_EQ(calls_[1].second, Path("out/a_tif.PDF"));
}

TEST_F(GuiConversionTest, CancelDuringTheConversion) {
  MakeFile("in/a.jpg");
  MakeFile("in/b.jpg");
  MakeFile("in/c.jpg");
  MakeFolder("out");
  Open();
  Type(dialog_->InputBox(), QPath("in"));
  Type(dialog_->OutputBox(), QPath("out"));

  // Cancel is pressed while the first file is converted; the user first
  // goes on, then presses Cancel again and stops.
  during_ = [this](size_t call) {
    if (call == 1 || call == 2) dialog_->Ui().Progress()->CancelButton()->click();
  };
  ModalAnswerer answerer;
  answerer.ThenClick(QMessageBox::No);   // go on
  answerer.ThenClick(QMessageBox::Yes);  // stop
  answerer.ThenClick(QMessageBox::Ok);   // cancelled
  dialog_->ConvertButton()->click();
  ProcessEvents();

  ASSERT_EQ(answerer.Seen().size(), 3u);
  EXPECT_EQ(answerer.Seen()[0].text, "変換作業を中止しますか？");
  EXPECT_EQ(answerer.Seen()[1].text, "変換作業を中止しますか？");
  EXPECT_EQ(answerer.Seen()[2].text, "変換を中断しました。");
  EXPECT_EQ(answerer.Seen()[2].icon, QMessageBox::Information);
  EXPECT_EQ(calls_.size(), 2u);
  EXPECT_TRUE(fs::exists(Path("out/b.PDF"))) << "files converted so far stay";
  EXPECT_TRUE(dialog_->isEnabled());
}

TEST_F(GuiConversionTest, CloseAndConvertAreIgnoredDuringARun) {
  MakeFile("in/a.jpg");
  MakeFile("in/b.jpg");
  MakeFolder("out");
  Open();
  Type(dialog_->InputBox(), QPath("in"));
  Type(dialog_->OutputBox(), QPath("out"));
  during_ = [this](size_t call) {
    if (call != 1) return;
    dialog_->CloseButton()->click();
    dialog_->close();
    dialog_->ConvertButton()->click();
    QMetaObject::invokeMethod(dialog_.get(), "OnConvert");
    ProcessEvents();
  };
  ModalAnswerer answerer;
  ThenResult(answerer);
  dialog_->ConvertButton()->click();
  ProcessEvents();
  EXPECT_EQ(calls_.size(), 2u);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_TRUE(Profile()->childGroups().isEmpty()) << "an ignored close saves nothing";
  EXPECT_EQ(answerer.Seen().size(), 1u);
}

TEST_F(GuiConversionTest, OneFileAndTheMessagesOfWrongPaths) {
  MakeFile("photo.jpg");
  MakeFolder("pics");
  Open();

  {
    ModalAnswerer answerer;
    // Nothing typed.
    dialog_->ConvertButton()->click();
    // A missing input.
    Type(dialog_->InputBox(), QPath("missing.jpg"));
    dialog_->ConvertButton()->click();
    // A folder and a file as output.
    Type(dialog_->InputBox(), QPath("pics"));
    Type(dialog_->OutputBox(), QPath("x.pdf"));
    dialog_->ConvertButton()->click();
    ProcessEvents();
    ASSERT_EQ(answerer.Seen().size(), 3u);
    EXPECT_EQ(answerer.Seen()[0].text,
              "入力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
    EXPECT_EQ(answerer.Seen()[1].text, "入力に指定されたファイルまたはフォルダが存在しません。");
    EXPECT_EQ(answerer.Seen()[2].text,
              "入力にフォルダを指定して、出力でファイルを選ぶことはできません。");
    EXPECT_EQ(answerer.Seen()[2].icon, QMessageBox::Warning);
    EXPECT_TRUE(calls_.empty());
  }

  // One file to a new name without extension: converted at once.
  Type(dialog_->InputBox(), QPath("photo.jpg"));
  Type(dialog_->OutputBox(), QPath("single"));
  {
    ModalAnswerer result;
    ThenResult(result);
    dialog_->ConvertButton()->click();
    ProcessEvents();
  }
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0], std::make_pair(Path("photo.jpg"), Path("single.PDF")));
  EXPECT_EQ(progressShown_, std::vector<bool>{false});
  EXPECT_NE(report_.find("発見したファイル数 ： 1\r\n変換できたファイル数 ： "
                         "1\r\n変換できなかったファイル数 ： 0\r\n"),
            std::string::npos);

  // Again: the output exists now, and No leaves it alone.
  ModalAnswerer overwrite;
  overwrite.ThenClick(QMessageBox::No);
  dialog_->ConvertButton()->click();
  ProcessEvents();
  ASSERT_EQ(overwrite.Seen().size(), 1u);
  EXPECT_EQ(overwrite.Seen()[0].text,
            QString::fromStdString(LoadMessage1(kMsgOverwrite, Path("single.PDF"))));
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(GuiConversionTest, AnInputNameThatIsNotUtf8KeepsItsBytes) {
  const std::string name = "photo-\xff\xfe.jpg";
  MakeFile(name);
  MakeFolder("out");
  dialog_->SetInputBytes(Path(name));
  Open();
  EXPECT_FALSE(dialog_->findChild<QWidget*>("1006")->isEnabled())
      << "classified as an existing file";
  Type(dialog_->OutputBox(), QPath("out"));
  ModalAnswerer answerer;
  ThenResult(answerer);
  dialog_->ConvertButton()->click();
  ProcessEvents();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].first, Path(name));
  EXPECT_NE(report_.find(Path(name)), std::string::npos);
}

TEST_F(GuiConversionTest, DroppedItemsGoUnderTheOutputFolder) {
  MakeFile("pics/a.jpg");
  MakeFile("pics/deep/b.tif");
  MakeFile("c.bmp");
  MakeFolder("out");
  dialog_->SetDroppedItems({Path("pics"), Path("c.bmp")});
  Open();
  Type(dialog_->OutputBox(), QPath("out"));
  ModalAnswerer answerer;
  answerer.ThenClick(QMessageBox::Yes);  // out/pics
  answerer.ThenClick(QMessageBox::Yes);  // out/pics/deep
  ThenResult(answerer);
  dialog_->ConvertButton()->click();
  ProcessEvents();
  std::vector<std::string> outputs;
  for (const auto& call : calls_) outputs.push_back(call.second);
  std::sort(outputs.begin(), outputs.end());
  EXPECT_EQ(outputs, (std::vector<std::string>{Path("out/c.PDF"), Path("out/pics/a.PDF"),
                                               Path("out/pics/deep/b.PDF")}));
}

}  // namespace
}  // namespace ostrel::guitest
