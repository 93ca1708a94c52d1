// The dialogs as a user meets them: their sizes in dialog units, fixed
// windows without minimise or maximise buttons, the dropped-items row, and
// the choosers of the browse buttons.
#include <algorithm>
#include <vector>

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QThread>
#include <QTreeView>

#include "GuiTestSupport.h"
#include "converter/AboutDialog.h"
#include "converter/DialogStyle.h"
#include "converter/HistoryComboBox.h"
#include "converter/MainDialog.h"
#include "converter/ProgressDialog.h"
#include "converter/QtConverterUi.h"
#include "converter/ResultDialog.h"
#include "converter/SearchDialog.h"
#include "converter/core/StringTable.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel::guitest {
namespace {

int32_t NoConversion(const std::string&, const std::string&) { return -1; }

class GuiDialogSizeTest : public GuiTest {
 protected:
  // The window is shown at its size in dialog units (within 2 pixels).
  static void ExpectUnits(QWidget* window, int width, int height) {
    const platform::DialogUnits du(window->font());
    const QString name = QString::fromLatin1(window->metaObject()->className());
    EXPECT_NEAR(window->width(), du.X(width), 2) << name.toStdString();
    EXPECT_NEAR(window->height(), du.Y(height), 2) << name.toStdString();
  }
  // Neither the user nor the window manager can resize it, and it offers
  // no minimise or maximise button.
  static void ExpectFixed(QWidget* window) {
    const std::string name = window->metaObject()->className();
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << name;
    EXPECT_EQ(window->size(), window->maximumSize()) << name;
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << name;
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint)) << name;
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint)) << name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << name;
  }
  // The tallest stretch of the window's height that no visible control
  // covers.
  static int LargestEmptyBand(QWidget* window) {
    std::vector<std::pair<int, int>> spans;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isVisibleTo(window) && !child->isWindow())
        spans.emplace_back(child->geometry().top(), child->geometry().bottom() + 1);
    }
    std::sort(spans.begin(), spans.end());
    int covered = 0;
    int largest = 0;
    for (const auto& [top, bottom] : spans) {
      largest = std::max(largest, top - covered);
      covered = std::max(covered, bottom);
    }
    return std::max(largest, window->height() - covered);
  }
};

TEST_F(GuiDialogSizeTest, TheUnitIsTakenFromTheLatinLettersOfTheFont) {
  EnsureApp();
  const QFont font = DialogFont();
  const platform::DialogUnits du(font);
  const QFontMetrics metrics(font);
  // A CJK font reports a full em as its average character width; the unit
  // stays well below that.
  EXPECT_LT(du.BaseX(), metrics.horizontalAdvance(QStringLiteral("あ")));
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  EXPECT_NEAR(du.BaseX() * 52, metrics.horizontalAdvance(letters), 26);
  EXPECT_EQ(du.BaseY(), metrics.height());
  EXPECT_EQ(du.X(4), du.BaseX());
  EXPECT_EQ(du.Y(8), du.BaseY());
  EXPECT_EQ(du.Rect(7, 8, 4, 16), QRect(du.X(7), du.BaseY(), du.BaseX(), 2 * du.BaseY()));
}

TEST_F(GuiDialogSizeTest, MainDialogHasItsSizeInBothModesWithoutAnEmptyBand) {
  MakeFolder("pics");
  for (bool dropped : {false, true}) {
    MainDialog dialog(NoConversion);
    if (dropped) dialog.SetDroppedItems({Path("pics"), Path("a.jpg")});
    dialog.show();
    ProcessEvents();
    ExpectUnits(&dialog, 271, 287);
    ExpectFixed(&dialog);
    // The spare height lies between the rows, not in one band.
    const platform::DialogUnits du(dialog.font());
    EXPECT_LE(LargestEmptyBand(&dialog), du.Y(16)) << dropped;
    // The status bar lies along the bottom edge.
    EXPECT_EQ(dialog.StatusBar()->geometry().bottom(), dialog.height() - 1);
    dialog.hide();
  }
}

TEST_F(GuiDialogSizeTest, RunDialogsResultAboutAndMessagesAreFixed) {
  QDialog owner;
  owner.show();
  {
    SearchDialog search;
    search.Create(&owner);
    ProcessEvents();
    ExpectUnits(&search, 254, 47);
    ExpectFixed(&search);
  }
  {
    ProgressDialog progress;
    progress.Create(&owner);
    ProcessEvents();
    ExpectUnits(&progress, 253, 75);
    ExpectFixed(&progress);
  }
  owner.hide();
  {
    ConversionResults results;
    results.converted.assign(200, "/home/user/写真/とても長い名前のフォルダ/画像ファイル.jpg");
    ResultDialog result(results);
    result.show();
    ProcessEvents();
    ExpectUnits(&result, 293, 249);
    ExpectFixed(&result);
    // The report takes the height the label and the buttons leave.
    const platform::DialogUnits du(result.font());
    EXPECT_GE(result.ReportEdit()->height(), du.Y(249 - 60));
    result.hide();
  }
  {
    AboutDialog about;
    about.show();
    ProcessEvents();
    ExpectFixed(&about);
    // Room for the whole title beside the title bar's icon and buttons.
    const platform::DialogUnits du(about.font());
    EXPECT_GE(about.width(), about.fontMetrics().horizontalAdvance(about.windowTitle()) + du.X(60));
    EXPECT_FALSE(about.windowIcon().isNull());
    about.hide();
  }
  const auto box = QtConverterUi::MakeMessageBox(nullptr, LoadString(kMsgNoFileType),
                                                 MsgButtons::Ok, MsgIcon::Exclamation);
  box->show();
  ProcessEvents();
  ExpectFixed(box.get());
  box->hide();
}

TEST_F(GuiDialogSizeTest, DroppedItemsRowIsSpacedAndItsMnemonicLeadsToAVisibleControl) {
  MakeFolder("pics");
  const auto inputLabel = [](MainDialog& dialog) -> QLabel* {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->text() == QStringLiteral("ファイル／フォルダ(&I)")) return label;
    }
    return nullptr;
  };
  MainDialog normal(NoConversion);
  normal.show();
  ProcessEvents();
  QLabel* normalLabel = inputLabel(normal);
  ASSERT_NE(normalLabel, nullptr);
  EXPECT_EQ(normalLabel->buddy(), normal.InputBox());
  const int boxGap = normal.InputBox()->x() - normalLabel->geometry().right();

  MainDialog dropped(NoConversion);
  dropped.SetDroppedItems({Path("pics"), Path("a.jpg")});
  dropped.show();
  ProcessEvents();
  QLabel* label = inputLabel(dropped);
  ASSERT_NE(label, nullptr);
  auto* items = dropped.findChild<QLabel*>("1017");
  ASSERT_NE(items, nullptr);
  ASSERT_TRUE(items->isVisible());
  const int itemsGap = items->x() - label->geometry().right();
  const platform::DialogUnits du(dropped.font());
  EXPECT_EQ(itemsGap, boxGap);
  EXPECT_GE(itemsGap, du.X(3));
  EXPECT_EQ(items->geometry().center().y(), label->geometry().center().y());
  // Alt+I leads somewhere: to a control that is shown and takes the focus.
  ASSERT_NE(label->buddy(), nullptr);
  EXPECT_TRUE(label->buddy()->isVisible());
  EXPECT_NE(label->buddy()->focusPolicy(), Qt::NoFocus);
  EXPECT_FALSE(dropped.InputBox()->isVisible());
  dropped.hide();
  normal.hide();
}

TEST_F(GuiDialogSizeTest, ChoosersOpenAtTheFolderOfTheField) {
  MakeFile("in/sub/top.bmp", std::string(123456, 'x'));
  MakeFolder("out");
  MainDialog dialog(NoConversion);
  dialog.show();
  ProcessEvents();
  const struct {
    QString text;
    QString folder;  // empty: the home folder (no chooser used yet)
  } cases[] = {
      {QPath("in/sub/top.bmp"), QPath("in/sub")},  // an existing file: its folder
      {QPath("in"), QPath("in")},                  // an existing folder: itself
      {QPath("out/new.pdf"), QPath("out")},        // a new file in an existing folder
      {QPath("missing/new.pdf"), QString()},       // nothing there
  };
  for (const auto& c : cases) {
    dialog.InputBox()->setEditText(c.text);
    dialog.OutputBox()->setEditText(c.text);
    const QString folder = c.folder.isEmpty() ? QDir::homePath() : c.folder;
    EXPECT_EQ(dialog.MakeFileDialog(true)->directory().absolutePath(), folder)
        << c.text.toStdString();
    EXPECT_EQ(dialog.MakeFileDialog(false)->directory().absolutePath(), folder)
        << c.text.toStdString();
    EXPECT_EQ(dialog.MakeFolderDialog(true)->directory().absolutePath(), folder)
        << c.text.toStdString();
    EXPECT_EQ(dialog.MakeFolderDialog(false)->directory().absolutePath(), folder)
        << c.text.toStdString();
  }

  // Once the folder is read, the columns after the name show their texts whole.
  dialog.InputBox()->setEditText(QPath("in/sub/top.bmp"));
  const auto chooser = dialog.MakeFileDialog(true);
  chooser->show();
  auto* view = chooser->findChild<QTreeView*>();
  ASSERT_NE(view, nullptr);
  for (int i = 0; i < 300 && view->model()->rowCount(view->rootIndex()) < 1; ++i) {
    QThread::msleep(10);
    ProcessEvents();
  }
  ProcessEvents();
  ASSERT_GE(view->model()->rowCount(view->rootIndex()), 1);
  const QAbstractItemModel* model = view->model();
  for (int column = 1; column < model->columnCount(view->rootIndex()); ++column) {
    if (view->header()->isSectionHidden(column)) continue;
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
      const QString text = model->index(row, column, view->rootIndex()).data().toString();
      EXPECT_GE(view->header()->sectionSize(column), view->fontMetrics().horizontalAdvance(text))
          << text.toStdString();
    }
  }
  chooser->hide();
  dialog.hide();
}

}  // namespace
}  // namespace ostrel::guitest
