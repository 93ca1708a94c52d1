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
        m_dialog = std::make_unique<MainDialog>([this](const std::string& in, const std::string& out) {
            return Convert(in, out);
        });
    }
    void TearDown() override {
        m_dialog->hide();
        m_dialog.reset();
        GuiTest::TearDown();
    }

    int32_t Convert(const std::string& in, const std::string& out) {
        m_calls.emplace_back(in, out);
        // What the user sees while a file is converted.
        m_ownerEnabled.push_back(m_dialog->isEnabled());
        ProgressDialog* progress = m_dialog->Ui().Progress();
        m_progressShown.push_back(progress != nullptr && progress->isVisible());
        if (m_during)
            m_during(m_calls.size());
        if (in.find("bad") != std::string::npos)
            return -1;
        std::ofstream file(out, std::ios::binary);
        file << "converted " << in;
        return file ? 0 : -1;
    }

    void Open() {
        m_dialog->show();
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
            m_report = result->Report();
            m_reportShown = result->ReportEdit()->toPlainText();
            result->CloseButton()->click();
        });
    }

    std::unique_ptr<MainDialog> m_dialog;
    std::vector<std::pair<std::string, std::string>> m_calls;
    std::vector<bool> m_ownerEnabled;
    std::vector<bool> m_progressShown;
    std::function<void(size_t)> m_during;
    std::string m_report;
    QString m_reportShown;
};

TEST_F(GuiConversionTest, FolderToNewFolderWithQuestionsAnswered) {
    MakeFile("in/a.jpg");
    MakeFile("in/b.BMP");
    MakeFile("in/bad.tif");
    MakeFile("in/notes.txt");
    MakeFile("in/sub/c.jpeg");
    Open();
    Type(m_dialog->InputBox(), QPath("in"));
    Type(m_dialog->OutputBox(), QPath("out"));

    ModalAnswerer answerer;
    answerer.ThenClick(QMessageBox::Yes);  // create out
    answerer.ThenClick(QMessageBox::Yes);  // create out/sub
    ThenResult(answerer);
    m_dialog->ConvertButton()->click();
    ProcessEvents();

    ASSERT_EQ(answerer.Seen().size(), 3u);
    EXPECT_EQ(answerer.Seen()[0].text, QString::fromStdString(LoadMessage1(kMsgCreateFolder, Path("out"))));
    EXPECT_EQ(answerer.Seen()[1].text, QString::fromStdString(LoadMessage1(kMsgCreateFolder, Path("out/sub"))));
    EXPECT_EQ(answerer.Seen()[1].icon, QMessageBox::Question);
    ASSERT_EQ(m_calls.size(), 4u);
    EXPECT_EQ(m_calls[0], std::make_pair(Path("in/a.jpg"), Path("out/a.PDF")));
    EXPECT_EQ(m_calls[3], std::make_pair(Path("in/sub/c.jpeg"), Path("out/sub/c.PDF")));
    EXPECT_TRUE(fs::exists(Path("out/sub/c.PDF")));

    // The progress dialog was up and the main window disabled during the run,
    // and the main window works again afterwards.
    EXPECT_EQ(m_ownerEnabled, std::vector<bool>(4, false));
    EXPECT_EQ(m_progressShown, std::vector<bool>(4, true));
    EXPECT_TRUE(m_dialog->isEnabled());
    EXPECT_EQ(m_dialog->Ui().Progress(), nullptr);
    EXPECT_EQ(m_dialog->Ui().Search(), nullptr);

    EXPECT_NE(m_report.find("発見したファイル数 ： 4\r\n変換できたファイル数 ： 3\r\n変換できなかったファイル数 ： 1\r\n"),
              std::string::npos);
    EXPECT_NE(m_report.find(Path("in/bad.tif")), std::string::npos);
    EXPECT_TRUE(m_reportShown.contains(QPath("in/sub/c.jpeg")));

    // A run does not write the settings; the histories got both paths.
    EXPECT_TRUE(Profile()->childGroups().isEmpty());
    EXPECT_EQ(m_dialog->InputBox()->itemText(0), QPath("in"));
    EXPECT_EQ(m_dialog->OutputBox()->itemText(0), QPath("out"));
}

TEST_F(GuiConversionTest, OptionsOfTheControlsDriveTheRun) {
    MakeFile("in/a.jpg");
    MakeFile("in/a.tif");
    MakeFile("in/b.bmp");
    MakeFile("in/sub/c.jpg");
    MakeFolder("out");
    Open();
    Type(m_dialog->InputBox(), QPath("in"));
    Type(m_dialog->OutputBox(), QPath("out"));
    m_dialog->findChild<QCheckBox*>("1006")->setChecked(false);  // no sub-folders
    m_dialog->findChild<QCheckBox*>("1003")->setChecked(false);  // no BMP
    m_dialog->findChild<QAbstractButton*>("1016")->click();       // name_ext.PDF

    ModalAnswerer answerer;
    ThenResult(answerer);
    m_dialog->ConvertButton()->click();
    ProcessEvents();
    ASSERT_EQ(m_calls.size(), 2u);
    EXPECT_EQ(m_calls[0].second, Path("out/a_jpg.PDF"));
    EXPECT_EQ(m_calls[1].second, Path("out/a_tif.PDF"));
}

TEST_F(GuiConversionTest, CancelDuringTheConversion) {
    MakeFile("in/a.jpg");
    MakeFile("in/b.jpg");
    MakeFile("in/c.jpg");
    MakeFolder("out");
    Open();
    Type(m_dialog->InputBox(), QPath("in"));
    Type(m_dialog->OutputBox(), QPath("out"));

    // Cancel is pressed while the first file is converted; the user first
    // goes on, then presses Cancel again and stops.
    m_during = [this](size_t call) {
        if (call == 1 || call == 2)
            m_dialog->Ui().Progress()->CancelButton()->click();
    };
    ModalAnswerer answerer;
    answerer.ThenClick(QMessageBox::No);   // go on
    answerer.ThenClick(QMessageBox::Yes);  // stop
    answerer.ThenClick(QMessageBox::Ok);   // cancelled
    m_dialog->ConvertButton()->click();
    ProcessEvents();

    ASSERT_EQ(answerer.Seen().size(), 3u);
    EXPECT_EQ(answerer.Seen()[0].text, "変換作業を中止しますか？");
    EXPECT_EQ(answerer.Seen()[1].text, "変換作業を中止しますか？");
    EXPECT_EQ(answerer.Seen()[2].text, "変換を中断しました。");
    EXPECT_EQ(answerer.Seen()[2].icon, QMessageBox::Information);
    EXPECT_EQ(m_calls.size(), 2u);
    EXPECT_TRUE(fs::exists(Path("out/b.PDF"))) << "files converted so far stay";
    EXPECT_TRUE(m_dialog->isEnabled());
}

TEST_F(GuiConversionTest, CloseAndConvertAreIgnoredDuringARun) {
    MakeFile("in/a.jpg");
    MakeFile("in/b.jpg");
    MakeFolder("out");
    Open();
    Type(m_dialog->InputBox(), QPath("in"));
    Type(m_dialog->OutputBox(), QPath("out"));
    m_during = [this](size_t call) {
        if (call != 1)
            return;
        m_dialog->CloseButton()->click();
        m_dialog->close();
        m_dialog->ConvertButton()->click();
        QMetaObject::invokeMethod(m_dialog.get(), "OnConvert");
        ProcessEvents();
    };
    ModalAnswerer answerer;
    ThenResult(answerer);
    m_dialog->ConvertButton()->click();
    ProcessEvents();
    EXPECT_EQ(m_calls.size(), 2u);
    EXPECT_TRUE(m_dialog->isVisible());
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
        m_dialog->ConvertButton()->click();
        // A missing input.
        Type(m_dialog->InputBox(), QPath("missing.jpg"));
        m_dialog->ConvertButton()->click();
        // A folder and a file as output.
        Type(m_dialog->InputBox(), QPath("pics"));
        Type(m_dialog->OutputBox(), QPath("x.pdf"));
        m_dialog->ConvertButton()->click();
        ProcessEvents();
        ASSERT_EQ(answerer.Seen().size(), 3u);
        EXPECT_EQ(answerer.Seen()[0].text, "入力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
        EXPECT_EQ(answerer.Seen()[1].text, "入力に指定されたファイルまたはフォルダが存在しません。");
        EXPECT_EQ(answerer.Seen()[2].text, "入力にフォルダを指定して、出力でファイルを選ぶことはできません。");
        EXPECT_EQ(answerer.Seen()[2].icon, QMessageBox::Warning);
        EXPECT_TRUE(m_calls.empty());
    }

    // One file to a new name without extension: converted at once.
    Type(m_dialog->InputBox(), QPath("photo.jpg"));
    Type(m_dialog->OutputBox(), QPath("single"));
    {
        ModalAnswerer result;
        ThenResult(result);
        m_dialog->ConvertButton()->click();
        ProcessEvents();
    }
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0], std::make_pair(Path("photo.jpg"), Path("single.PDF")));
    EXPECT_EQ(m_progressShown, std::vector<bool>{false});
    EXPECT_NE(m_report.find("発見したファイル数 ： 1\r\n変換できたファイル数 ： 1\r\n変換できなかったファイル数 ： 0\r\n"),
              std::string::npos);

    // Again: the output exists now, and No leaves it alone.
    ModalAnswerer overwrite;
    overwrite.ThenClick(QMessageBox::No);
    m_dialog->ConvertButton()->click();
    ProcessEvents();
    ASSERT_EQ(overwrite.Seen().size(), 1u);
    EXPECT_EQ(overwrite.Seen()[0].text, QString::fromStdString(LoadMessage1(kMsgOverwrite, Path("single.PDF"))));
    EXPECT_EQ(m_calls.size(), 1u);
}

TEST_F(GuiConversionTest, AnInputNameThatIsNotUtf8KeepsItsBytes) {
    const std::string name = "photo-\xff\xfe.jpg";
    MakeFile(name);
    MakeFolder("out");
    m_dialog->SetInputBytes(Path(name));
    Open();
    EXPECT_FALSE(m_dialog->findChild<QWidget*>("1006")->isEnabled()) << "classified as an existing file";
    Type(m_dialog->OutputBox(), QPath("out"));
    ModalAnswerer answerer;
    ThenResult(answerer);
    m_dialog->ConvertButton()->click();
    ProcessEvents();
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0].first, Path(name));
    EXPECT_NE(m_report.find(Path(name)), std::string::npos);
}

TEST_F(GuiConversionTest, DroppedItemsGoUnderTheOutputFolder) {
    MakeFile("pics/a.jpg");
    MakeFile("pics/deep/b.tif");
    MakeFile("c.bmp");
    MakeFolder("out");
    m_dialog->SetDroppedItems({Path("pics"), Path("c.bmp")});
    Open();
    Type(m_dialog->OutputBox(), QPath("out"));
    ModalAnswerer answerer;
    answerer.ThenClick(QMessageBox::Yes);  // out/pics
    answerer.ThenClick(QMessageBox::Yes);  // out/pics/deep
    ThenResult(answerer);
    m_dialog->ConvertButton()->click();
    ProcessEvents();
    std::vector<std::string> outputs;
    for (const auto& call : m_calls)
        outputs.push_back(call.second);
    std::sort(outputs.begin(), outputs.end());
    EXPECT_EQ(outputs, (std::vector<std::string>{Path("out/c.PDF"), Path("out/pics/a.PDF"), Path("out/pics/deep/b.PDF")}));
}

}  // namespace
}  // namespace ostrel::guitest
