// Renders every dialog offscreen and checks that no text is cut off. With
// PN_RENDER_DIR set, the pictures are written there as PNG files for a person
// to look at. With PN_RENDER_FRAMES set as well, on a display with a window
// manager (tools/render-dialogs-wm.sh), each window is also taken from the
// screen with the frame the window manager gave it ("<name>-frame.png").
#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTreeView>

#include "GuiTestSupport.h"
#include "converter/AboutDialog.h"
#include "converter/DialogStyle.h"
#include "converter/MainDialog.h"
#include "converter/PathLabel.h"
#include "converter/ProgressDialog.h"
#include "converter/QtConverterUi.h"
#include "converter/ResultDialog.h"
#include "converter/SearchDialog.h"
#include "converter/core/StringTable.h"

namespace ostrel::guitest {
namespace {

class GuiRenderTest : public GuiTest {
 protected:
  // Shows the window, checks its texts and writes its picture.
  void Render(QWidget* window, const QString& name) {
    window->show();
    ProcessEvents();
    const QImage image = window->grab().toImage();
    ASSERT_FALSE(image.isNull()) << name.toStdString();
    EXPECT_GT(image.width(), 100);
    for (QWidget* child : window->findChildren<QWidget*>()) {
      if (!child->isVisibleTo(window) || child->isWindow()) continue;
      const auto* button = qobject_cast<QAbstractButton*>(child);
      // Buttons without text (the chooser's tool buttons) have nothing to cut.
      const bool text = qobject_cast<QLabel*>(child) != nullptr ||
                        (button != nullptr && !button->text().isEmpty()) ||
                        qobject_cast<QGroupBox*>(child) != nullptr;
      const QString what =
          name + "/" + child->metaObject()->className() + "/" + child->objectName();
      if (text) {
        int needWidth = child->minimumSizeHint().expandedTo(child->sizeHint()).width();
        if (auto* button = qobject_cast<QPushButton*>(child)) {
          // The style's minimum button width is not needed by the text.
          needWidth = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() + 8;
        }
        EXPECT_GE(child->width(), needWidth) << what.toStdString();
        EXPECT_GE(child->height(), child->minimumSizeHint().height()) << what.toStdString();
      }
      // Every control lies inside its parent.
      if (QWidget* parent = child->parentWidget(); parent != nullptr && text) {
        EXPECT_TRUE(parent->rect().contains(child->geometry())) << what.toStdString();
      }
    }
    const QString dir = qEnvironmentVariable("PN_RENDER_DIR");
    if (!dir.isEmpty()) {
      QDir().mkpath(dir);
      EXPECT_TRUE(image.save(dir + "/" + name + ".png")) << name.toStdString();
      if (!qEnvironmentVariableIsEmpty("PN_RENDER_FRAMES"))
        SaveFramed(window, dir + "/" + name + "-frame.png");
    }
    window->hide();
  }

  // Waits until the window manager has framed the window and drawn its
  // title bar, then takes the frame and the window from the screen.
  static void SaveFramed(QWidget* window, const QString& file) {
    window->raise();
    window->activateWindow();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 3000 && window->frameGeometry() == window->geometry()) {
      ProcessEvents();
      QThread::msleep(20);
    }
    // The title bar is drawn after the frame is placed.
    for (int i = 0; i < 25; ++i) {
      ProcessEvents();
      QThread::msleep(20);
    }
    // The frame as the X server has it (Qt may not have learnt it yet): the
    // window's place on the screen and the frame extents the manager gives.
    const QString id = QString::number(window->winId());
    QRect frame = window->frameGeometry();
    const auto run = [](const QStringList& args) {
      QProcess process;
      process.start(args.front(), args.mid(1));
      return process.waitForFinished(5000) ? QString::fromUtf8(process.readAllStandardOutput())
                                           : QString();
    };
    int place[4] = {frame.x(), frame.y(), frame.width(), frame.height()};
    const char* keys[4] = {"Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"};
    for (const QString& line : run({"xwininfo", "-id", id}).split('\n'))
      for (int k = 0; k < 4; ++k)
        if (line.trimmed().startsWith(keys[k]))
          place[k] = line.trimmed().mid(qstrlen(keys[k])).trimmed().toInt();
    const QString extents = run({"xprop", "-id", id, "_NET_FRAME_EXTENTS"}).section('=', 1);
    const QStringList sides = extents.split(',');
    if (sides.size() == 4) {
      // left, right, top, bottom
      frame = QRect(place[0], place[1], place[2], place[3])
                  .adjusted(-sides[0].trimmed().toInt(), -sides[2].trimmed().toInt(),
                            sides[1].trimmed().toInt(), sides[3].trimmed().toInt());
    }
    const QPixmap shot =
        window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
    // The hints the window gives and the actions the manager allows it.
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "_NET_WM_WINDOW_TYPE",
                          "_MOTIF_WM_HINTS", "_NET_WM_ALLOWED_ACTIONS"});
    if (xprop.waitForFinished(5000)) {
      QFile log(QFileInfo(file).dir().filePath("frames.txt"));
      if (log.open(QIODevice::Append))
        log.write(QFileInfo(file).fileName().toUtf8() + "\n" + xprop.readAllStandardOutput() +
                  "\n");
    }
  }
};

int32_t NoConversion(const std::string&, const std::string&) { return -1; }

TEST_F(GuiRenderTest, MainDialogInBothModes) {
  MakeFile("pics/a.jpg");
  {
    MainDialog dialog(NoConversion);
    dialog.SetInputText(QPath("pics"));
    Render(&dialog, "main");
  }
  {
    MainDialog dialog(NoConversion);
    dialog.SetDroppedItems({Path("pics"), Path("pics/a.jpg")});
    Render(&dialog, "main-dropped");
  }
}

// The picture of the README (tools/render-dialogs.sh --readme): a folder of
// photos to be converted into a folder of PDF files. Neither folder exists,
// so the picture does not change from run to run; the options stay enabled
// as for existing folders.
TEST_F(GuiRenderTest, MainDialogOfTheReadme) {
  MainDialog dialog(NoConversion);
  dialog.SetInputText(QStringLiteral("/home/user/写真"));
  dialog.show();
  ProcessEvents();
  dialog.ApplyBrowseResult(false, QStringLiteral("/home/user/PDF"));
  ProcessEvents();
  Render(&dialog, "readme-main");
  EXPECT_TRUE(dialog.findChild<QWidget*>(QStringLiteral("1006"))->isEnabled());
  EXPECT_TRUE(dialog.findChild<QWidget*>(QStringLiteral("1015"))->isEnabled());
}

TEST_F(GuiRenderTest, HelpLineShowsEachTextWhole) {
  MainDialog dialog(NoConversion);
  dialog.show();
  ProcessEvents();
  // Every help text fits the bar, wrapped at its width when it must be.
  for (int id = 0; id <= MainDialog::kIdDropped; ++id) {
    const QString text = MainDialog::HelpText(id);
    if (text.isEmpty()) continue;
    EXPECT_TRUE(dialog.StatusBar()->Fits(text)) << id;
  }
  // The longest ones, on the file types, in a picture.
  dialog.ShowHelpFor(dialog.findChild<QWidget*>(QString::number(MainDialog::kIdObjBMP)));
  EXPECT_EQ(dialog.HelpLine(), MainDialog::HelpText(MainDialog::kIdObjBMP));
  Render(&dialog, "main-help");
}

TEST_F(GuiRenderTest, FileChooserAtTheFolderOfTheInput) {
  MakeFile("写真/大きな画像ファイルの名前.jpg", std::string(1234567, 'x'));
  MakeFile("写真/b.bmp", std::string(2048, 'x'));
  MainDialog dialog(NoConversion);
  dialog.SetInputText(QPath("写真/b.bmp"));
  dialog.show();
  ProcessEvents();
  const auto chooser = dialog.MakeFileDialog(true);
  chooser->show();
  // The folder is read in the background.
  QTreeView* view = chooser->findChild<QTreeView*>();
  ASSERT_NE(view, nullptr);
  for (int i = 0;
       i < 200 && (view->model() == nullptr || view->model()->rowCount(view->rootIndex()) < 2);
       ++i) {
    QThread::msleep(10);
    ProcessEvents();
  }
  Render(chooser.get(), "file-chooser");
  dialog.hide();
}

TEST_F(GuiRenderTest, RunDialogs) {
  QDialog owner;
  owner.show();
  {
    SearchDialog search;
    search.Create(&owner);
    search.SetStateText("/home/user/写真/2020/旅行/北海道/小樽/運河沿いの倉庫群");
    Render(&search, "search");
  }
  {
    ProgressDialog progress;
    progress.Create(&owner);
    progress.SetRange(INT32_MIN, INT32_MIN + 3);
    progress.SetPos(INT32_MIN + 1);
    progress.SetPercentText("33%");
    progress.SetFileText("/home/user/写真/2020/旅行/北海道/小樽/運河沿いの倉庫群/IMG_0001.JPG");
    Render(&progress, "progress");
    EXPECT_TRUE(progress.FileLabel()->DisplayedText().endsWith("/IMG_0001.JPG"));
  }
  owner.hide();
}

TEST_F(GuiRenderTest, ResultAboutAndMessages) {
  ConversionResults results;
  results.converted = {"/home/user/写真/a.jpg", "/home/user/写真/b.bmp"};
  results.failed = {"/home/user/写真/c.tif"};
  {
    ResultDialog dialog(results);
    Render(&dialog, "result");
  }
  {
    AboutDialog about;
    Render(&about, "about");
  }
  const auto question =
      QtConverterUi::MakeMessageBox(nullptr, LoadMessage1(kMsgOverwrite, "/home/user/out/a.PDF"),
                                    MsgButtons::YesNoCancel, MsgIcon::Question);
  Render(question.get(), "message-overwrite");
  const auto warning = QtConverterUi::MakeMessageBox(nullptr, LoadString(kMsgNoFileType),
                                                     MsgButtons::Ok, MsgIcon::Exclamation);
  Render(warning.get(), "message-warning");
  // A short message with one button: the narrowest box there is.
  const auto narrow = QtConverterUi::MakeMessageBox(nullptr, LoadString(kMsgAbnormalEnd),
                                                    MsgButtons::Ok, MsgIcon::Exclamation);
  Render(narrow.get(), "message-narrow");
}

}  // namespace
}  // namespace ostrel::guitest
