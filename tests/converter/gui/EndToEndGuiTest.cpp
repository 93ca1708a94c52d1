// A whole run through the main dialog with the real single-file conversion:
// a generated folder of real images is typed in, Convert is clicked, the
// questions are answered and the result dialog read; the PDF files written
// must pass qpdf's check.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "converter/HistoryComboBox.h"
#include "converter/MainDialog.h"
#include "converter/ResultDialog.h"
#include "converter/core/ConvertOne.h"
#include "converter/core/Report.h"
#include "converter/core/StringTable.h"
#include "tests/converter/core/EndToEndImages.h"

namespace ostrel::guitest {
namespace {

namespace fs = std::filesystem;

// qpdf's check of a file; its report, and whether it passed.
bool QpdfCheck(const std::string& path, std::string* report) {
  std::FILE* pipe = ::popen(("qpdf --check '" + path + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) return false;
  char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) report->append(block, n);
  const int status = ::pclose(pipe);
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class EndToEndGuiTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    dialog_ = std::make_unique<MainDialog>([](const std::string& in, const std::string& out) {
      return ConvertOne(in.c_str(), out.c_str());
    });
  }
  void TearDown() override {
    dialog_->hide();
    dialog_.reset();
    GuiTest::TearDown();
  }
  void Type(HistoryComboBox* box, const QString& text) {
    box->setEditText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    ProcessEvents();
  }

  std::unique_ptr<MainDialog> dialog_;
};

TEST_F(EndToEndGuiTest, FolderOfRealImagesConvertedThroughTheDialog) {
  if (std::system("command -v qpdf >/dev/null 2>&1") != 0)
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const std::vector<e2e::RGB> none;
  MakeFolder("in/sub");
  ASSERT_TRUE(e2e::WriteBytes(Path("in/a.bmp"),
                              e2e::MakeBitmap(30, 20, 24, false, none, nullptr, e2e::Pattern)));
  ASSERT_TRUE(e2e::WriteJpeg(
      Path("in/sub/b.jpg"), {.width = 48, .height = 32, .density = 144},
      [](uint32_t x, uint32_t y, int k) { return static_cast<uint8_t>(x * 5 + y + k * 80); }));
  ASSERT_TRUE(
      e2e::WriteTiff(Path("in/c.tif"),
                     {.width = 25,
                      .height = 15,
                      .samples = 3,
                      .photometric = PHOTOMETRIC_RGB,
                      .compression = COMPRESSION_LZW},
                     [](uint32_t x, uint32_t y, int c) { return (x * 9 + y * 4 + c * 60) % 256; }));
  MakeFile("in/bad.tif", "II* damaged");
  MakeFile("in/notes.txt", "not an image");

  dialog_->show();
  ProcessEvents();
  Type(dialog_->InputBox(), QPath("in"));
  Type(dialog_->OutputBox(), QPath("out"));

  ModalAnswerer answerer;
  answerer.ThenClick(QMessageBox::Yes);  // create out
  answerer.ThenClick(QMessageBox::Yes);  // create out/sub
  std::string report;
  QString shown;
  answerer.Then([&](QWidget* window) {
    auto* result = qobject_cast<ResultDialog*>(window);
    ASSERT_NE(result, nullptr) << "expected the result dialog";
    report = result->Report();
    shown = result->ReportEdit()->toPlainText();
    EXPECT_TRUE(result->SaveTo(QPath("report.txt")));
    result->CloseButton()->click();
  });
  dialog_->ConvertButton()->click();
  ProcessEvents();

  ASSERT_EQ(answerer.Seen().size(), 3u);
  EXPECT_EQ(answerer.Seen()[0].text,
            QString::fromStdString(LoadMessage1(kMsgCreateFolder, Path("out"))));
  EXPECT_EQ(answerer.Seen()[1].text,
            QString::fromStdString(LoadMessage1(kMsgCreateFolder, Path("out/sub"))));
  EXPECT_EQ(answerer.Pending(), 0u);

  ConversionResults expected;
  expected.converted = {Path("in/a.bmp"), Path("in/c.tif"), Path("in/sub/b.jpg")};
  expected.failed = {Path("in/bad.tif")};
  EXPECT_EQ(report, BuildReport(expected));
  EXPECT_EQ(
      report,
      "発見したファイル数 ： 4\r\n変換できたファイル数 ： 3\r\n変換できなかったファイル数 ： 1\r\n"
      "\r\n■変換できたファイル\r\n==============================================\r\n" +
          Path("in/a.bmp") + "\r\n" + Path("in/c.tif") + "\r\n" + Path("in/sub/b.jpg") +
          "\r\n\r\n■変換できなかったファイル\r\n=============================================="
          "\r\n" +
          Path("in/bad.tif") + "\r\n");
  EXPECT_TRUE(shown.contains(QPath("in/sub/b.jpg")));
  EXPECT_EQ(ReadFile(Path("report.txt")), report);

  for (const char* name : {"out/a.PDF", "out/c.PDF", "out/sub/b.PDF"}) {
    std::string check;
    EXPECT_TRUE(QpdfCheck(Path(name), &check)) << name << ": " << check;
  }
  EXPECT_FALSE(fs::exists(Path("out/bad.PDF")));
  EXPECT_FALSE(fs::exists(Path("out/notes.PDF")));
  EXPECT_TRUE(dialog_->isEnabled());
  EXPECT_FALSE(dialog_->Driver().Running());
}

}  // namespace
}  // namespace ostrel::guitest
