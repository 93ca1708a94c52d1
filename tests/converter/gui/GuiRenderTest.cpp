// Renders every dialog offscreen and checks that no text is cut off. With
// PN_RENDER_DIR set, the pictures are written there as PNG files for a person
// to look at.
#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
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
            if (!child->isVisibleTo(window) || child->isWindow())
                continue;
            const auto* button = qobject_cast<QAbstractButton*>(child);
            // Buttons without text (the chooser's tool buttons) have nothing to cut.
            const bool text = qobject_cast<QLabel*>(child) != nullptr ||
                              (button != nullptr && !button->text().isEmpty()) ||
                              qobject_cast<QGroupBox*>(child) != nullptr;
            const QString what = name + "/" + child->metaObject()->className() + "/" + child->objectName();
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
        }
        window->hide();
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
    for (int i = 0; i < 200 && (view->model() == nullptr || view->model()->rowCount(view->rootIndex()) < 2); ++i) {
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
    const auto question = QtConverterUi::MakeMessageBox(nullptr, LoadMessage1(kMsgOverwrite, "/home/user/out/a.PDF"),
                                                        MsgButtons::YesNoCancel, MsgIcon::Question);
    Render(question.get(), "message-overwrite");
    const auto warning =
        QtConverterUi::MakeMessageBox(nullptr, LoadString(kMsgNoFileType), MsgButtons::Ok, MsgIcon::Exclamation);
    Render(warning.get(), "message-warning");
}

}  // namespace
}  // namespace ostrel::guitest
