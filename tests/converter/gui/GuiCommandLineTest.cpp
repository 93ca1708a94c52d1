// Command line and start-up decision of the converter.
#include <QLabel>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "converter/BrowseButton.h"
#include "converter/ConverterApp.h"
#include "converter/ConverterCommandLineInfo.h"
#include "converter/HistoryComboBox.h"
#include "converter/MainDialog.h"
#include "converter/core/StringTable.h"

namespace ostrel::guitest {
namespace {

int32_t NoConversion(const std::string&, const std::string&) { return -1; }

class GuiCommandLineTest : public GuiTest {
 protected:
  ConverterCommandLineInfo Parse(std::vector<std::string> params) {
    std::vector<const char*> argv{"ostrel"};
    for (const std::string& p : params) argv.push_back(p.c_str());
    ConverterCommandLineInfo info;
    info.ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    return info;
  }
};

TEST_F(GuiCommandLineTest, AcceptsExistingFoldersAndImageFilesInOrder) {
  MakeFile("a.JPeG");
  MakeFile("b.png");
  MakeFile("pics/c.tif");
  MakeFolder("dir.txt");

  // An image file and a file of another type: one accepted path.
  ConverterCommandLineInfo one = Parse({Path("a.JPeG"), Path("b.png")});
  EXPECT_TRUE(one.ParametersGiven());
  EXPECT_EQ(one.Paths(), std::vector<std::string>{Path("a.JPeG")});

  // A folder (whatever its name) and files, in command-line order; a
  // missing image path is not accepted.
  ConverterCommandLineInfo many = Parse(
      {Path("pics"), Path("missing.jpg"), Path("a.JPeG"), Path("dir.txt"), Path("pics/c.tif")});
  EXPECT_EQ(many.Paths(), (std::vector<std::string>{Path("pics"), Path("a.JPeG"), Path("dir.txt"),
                                                    Path("pics/c.tif")}));

  // Nothing acceptable: parameters were given, no path.
  ConverterCommandLineInfo none = Parse({Path("b.png")});
  EXPECT_TRUE(none.ParametersGiven());
  EXPECT_TRUE(none.Paths().empty());
}

TEST_F(GuiCommandLineTest, OnlyAHyphenStartsASwitch) {
  MakeFile("-x.jpg");
  MakeFile("a.bmp");

  // Switches are ignored entirely and do not count as parameters.
  ConverterCommandLineInfo switches = Parse({"-p", "--anything", "-"});
  EXPECT_FALSE(switches.ParametersGiven());
  EXPECT_TRUE(switches.Paths().empty());

  // An absolute path begins with '/', and is a path.
  ASSERT_EQ(Path("a.bmp").front(), '/');
  ConverterCommandLineInfo absolute = Parse({"-p", Path("a.bmp")});
  EXPECT_TRUE(absolute.ParametersGiven());
  EXPECT_EQ(absolute.Paths(), std::vector<std::string>{Path("a.bmp")});

  // A file whose name begins with '-' is reached through its folder.
  const std::string dashed = files_.path().toStdString() + "/./-x.jpg";
  EXPECT_EQ(Parse({dashed}).Paths(), std::vector<std::string>{dashed});
  EXPECT_TRUE(ConverterCommandLineInfo::IsSwitch("-x.jpg"));
  EXPECT_FALSE(ConverterCommandLineInfo::IsSwitch("/x.jpg"));
  EXPECT_FALSE(ConverterCommandLineInfo::IsSwitch(""));
}

TEST_F(GuiCommandLineTest, ImageExtensionsIgnoreCaseAndTheTypeOptions) {
  for (const char* name :
       {"a.bmp", "a.BMP", "b.jpg", "b.JpG", "c.jpeg", "d.tif", "e.TIFF", "x.y.tiff"})
    EXPECT_TRUE(ConverterCommandLineInfo::HasImageExtension(name)) << name;
  for (const char* name : {"a.png", "a.pdf", "bmp", "a.jpg.txt", "a.tiff~", "", ".jpe"})
    EXPECT_FALSE(ConverterCommandLineInfo::HasImageExtension(name)) << name;

  // The type options have no say: a profile with every type off still
  // accepts image files on the command line.
  auto profile = Profile();
  profile->setValue("Settings/ObjBMP", 0);
  profile->setValue("Settings/ObjJPEG", 0);
  profile->setValue("Settings/ObjTIFF", 0);
  profile->sync();
  MakeFile("a.bmp");
  EXPECT_EQ(Parse({Path("a.bmp")}).Paths().size(), 1u);
}

TEST_F(GuiCommandLineTest, OnePathBecomesTheInputText) {
  MakeFile("photo.jpg");
  MainDialog dialog(NoConversion);
  ModalAnswerer answerer;
  ConverterApp::ApplyCommandLine(Parse({Path("photo.jpg")}), dialog);
  dialog.show();
  ProcessEvents();
  EXPECT_TRUE(answerer.Seen().empty());
  EXPECT_FALSE(dialog.DroppedMode());
  EXPECT_EQ(dialog.InputBox()->currentText(), QPath("photo.jpg"));
  EXPECT_TRUE(dialog.InputBox()->isVisible());
  dialog.hide();
}

TEST_F(GuiCommandLineTest, TwoPathsOpenTheDroppedItemsMode) {
  MakeFile("pics/a.jpg");
  MakeFile("b.bmp");
  MainDialog dialog(NoConversion);
  ConverterApp::ApplyCommandLine(Parse({Path("pics"), Path("b.bmp")}), dialog);
  dialog.show();
  ProcessEvents();
  EXPECT_TRUE(dialog.DroppedMode());
  EXPECT_EQ(dialog.DroppedItems(), (std::vector<std::string>{Path("pics"), Path("b.bmp")}));
  auto* dropped = dialog.findChild<QLabel*>("1017");
  ASSERT_NE(dropped, nullptr);
  EXPECT_TRUE(dropped->isVisible());
  EXPECT_EQ(dropped->text(), QStringLiteral("≪ ドロップされたファイルまたはフォルダ ≫"));
  EXPECT_FALSE(dialog.InputBox()->isVisible());
  EXPECT_FALSE(dialog.InputBrowse()->isVisible());
  EXPECT_TRUE(dialog.OutputBox()->isVisible());
  dialog.hide();
}

TEST_F(GuiCommandLineTest, NothingAcceptedWarnsAndOpensNormally) {
  MakeFile("b.png");
  MainDialog dialog(NoConversion);
  {
    ModalAnswerer answerer;
    answerer.ThenClick(QMessageBox::Ok);
    ConverterApp::ApplyCommandLine(Parse({Path("b.png")}), dialog);
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].text, QString::fromStdString(LoadString(kMsgNoDroppedImage)));
    EXPECT_EQ(answerer.Seen()[0].text,
              QStringLiteral("ドロップされた中に画像ファイルやフォルダが存在しません。"));
    EXPECT_EQ(answerer.Seen()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(answerer.Seen()[0].title, QStringLiteral("Velmora"));
  }
  dialog.show();
  ProcessEvents();
  EXPECT_FALSE(dialog.DroppedMode());
  EXPECT_TRUE(dialog.InputBox()->currentText().isEmpty());

  // A switch alone gives no message.
  ModalAnswerer quiet;
  ConverterApp::ApplyCommandLine(Parse({"-p"}), dialog);
  ProcessEvents();
  EXPECT_TRUE(quiet.Seen().empty());
  dialog.hide();
}

}  // namespace
}  // namespace ostrel::guitest
