#include "launcher/LauncherAboutDialog.h"
#include "launcher/LauncherDialog.h"
#include "launcher/LauncherIcon.h"
#include "launcher/installer/InstallerWindow.h"
#include "platform/qt/DialogUnits.h"

#include "TestSupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

namespace {

using launcher::LauncherDialog;
using launchertest::AnswerMessageBox;
using launchertest::ShownMessage;
using launchertest::TempFolder;
using launchertest::WindowDriver;
using launchertest::WriteFile;

template <typename T>
T* Child(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

void Queue(QObject* target, const char* method) {
  QMetaObject::invokeMethod(target, method, Qt::QueuedConnection);
}

class LauncherDialogTest : public ::testing::Test {
 protected:
  void WriteInfo(const std::string& bytes) { WriteFile(folder_.Path() / "InstInfo.txt", bytes); }
  TempFolder folder_;
};

TEST_F(LauncherDialogTest, ShowsTheTemplateTexts) {
  LauncherDialog dialog;
  EXPECT_EQ(QStringLiteral("Tarnwick インストーラ"), dialog.windowTitle());
  auto* caption = Child<QLabel>(&dialog, "caption");
  auto* description = Child<QPlainTextEdit>(&dialog, "description");
  auto* start = Child<QPushButton>(&dialog, "start");
  auto* cancel = Child<QPushButton>(&dialog, "cancel");
  ASSERT_TRUE(caption && description && start && cancel);
  EXPECT_EQ(QStringLiteral("(AppName)"), caption->text());
  EXPECT_TRUE(description->isReadOnly());
  EXPECT_EQ(Qt::ScrollBarAlwaysOn, description->verticalScrollBarPolicy());
  EXPECT_EQ(QStringLiteral("開始(&S)"), start->text());
  EXPECT_TRUE(start->isDefault());
  EXPECT_EQ(QStringLiteral("キャンセル(&C)"), cancel->text());
  EXPECT_FALSE(cancel->isDefault());
  ASSERT_NE(nullptr, dialog.AboutAction());
  EXPECT_EQ(QStringLiteral("バージョン情報(&A)..."), dialog.AboutAction()->text());

  // The layout of the template: caption over the description, the two
  // buttons side by side below it, Cancel at the right edge of the edit.
  EXPECT_LT(caption->geometry().bottom(), description->geometry().top());
  EXPECT_LT(description->geometry().bottom(), start->geometry().top());
  EXPECT_EQ(start->geometry().top(), cancel->geometry().top());
  EXPECT_LT(start->geometry().right(), cancel->geometry().left());
  EXPECT_LE(cancel->geometry().right(), description->geometry().right() + 2);
  EXPECT_TRUE(dialog.rect().contains(cancel->geometry()));
}

TEST_F(LauncherDialogTest, InitFillsTheControlsFromTheFile) {
  const std::string line2 = "my dir/\"quoted\" パッケージ.deb";
  const std::string longLine(100 * 1000, 'x');
  WriteInfo("製品 & <b>名</b>\r\n" + line2 + "\r\n説明の一行目\r\n\r\n" + longLine);
  LauncherDialog dialog;
  dialog.SetProgramFolder(folder_.Folder());
  ASSERT_TRUE(dialog.OnInitDialog());

  EXPECT_EQ(folder_.Folder() + line2, dialog.PackagePath());
  EXPECT_EQ(QStringLiteral("製品 & <b>名</b>"), dialog.Caption());
  EXPECT_EQ(QString::fromStdString("説明の一行目\r\n\r\n" + longLine + "\r\n"),
            dialog.Description());
  // Shown as plain text, with one line per description line.
  auto* caption = Child<QLabel>(&dialog, "caption");
  EXPECT_EQ(QStringLiteral("製品 & <b>名</b>"), caption->text());
  EXPECT_EQ(Qt::PlainText, caption->textFormat());
  EXPECT_EQ(QString::fromStdString("説明の一行目\n\n" + longLine + "\n"),
            Child<QPlainTextEdit>(&dialog, "description")->toPlainText());
  EXPECT_FALSE(dialog.windowIcon().isNull());
  EXPECT_FALSE(dialog.isVisible());

  // Taking the texts back from the controls leaves the fields as they were.
  dialog.DoDataExchange(true);
  EXPECT_EQ(QString::fromStdString("説明の一行目\r\n\r\n" + longLine + "\r\n"),
            dialog.Description());
}

TEST_F(LauncherDialogTest, EmptyLinesLeaveTheControlsEmpty) {
  WriteInfo("\n\n\n");
  LauncherDialog dialog;
  dialog.SetProgramFolder(folder_.Folder());
  ASSERT_TRUE(dialog.OnInitDialog());
  EXPECT_EQ(QString(), Child<QLabel>(&dialog, "caption")->text());
  EXPECT_EQ(QStringLiteral("\r\n"), dialog.Description());
  EXPECT_EQ(folder_.Folder(), dialog.PackagePath());
}

TEST_F(LauncherDialogTest, AnUnusableFileShowsMessage1000AndNoDialog) {
  WriteInfo("caption\npackage.deb\n");
  std::vector<ShownMessage> shown;
  bool dialogShown = false;
  LauncherDialog dialog;
  dialog.SetProgramFolder(folder_.Folder());
  WindowDriver driver([&](QWidget* widget) {
    if (!AnswerMessageBox(widget, shown)) dialogShown = true;
  });
  EXPECT_EQ(LauncherDialog::kResultInitFailed, dialog.DoModal());
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_FALSE(dialogShown);
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(QStringLiteral("launcher_tests"), shown[0].title);
  EXPECT_EQ(QStringLiteral("インストール情報ファイルの読み込みに失敗しました。\n強制終了します。"),
            shown[0].text);
  EXPECT_EQ(QMessageBox::Critical, shown[0].icon);
  EXPECT_EQ(1, shown[0].buttons);
  // Without an owner the box still carries the program's icon, and it has a
  // fixed size without minimise or maximise buttons.
  EXPECT_FALSE(shown[0].windowIcon.isNull());
  EXPECT_EQ(launcher::LauncherIcon(&dialog).pixmap(16, 16).toImage(), shown[0].windowIcon);
  EXPECT_TRUE(shown[0].fixedSize);
  EXPECT_FALSE(shown[0].flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(shown[0].flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(LauncherDialogTest, DialogsHaveTheirFixedSizesInDialogUnits) {
  LauncherDialog dialog;
  launcher::LauncherAboutDialog about(&dialog);
  const struct {
    QWidget* window;
    QSize units;
  } cases[] = {{&dialog, QSize(247, 211)}, {&about, QSize(175, 61)}};
  for (const auto& c : cases) {
    const platform::DialogUnits du(c.window->font());
    const QSize size = du.Size(c.units.width(), c.units.height());
    const char* name = c.window->metaObject()->className();
    EXPECT_EQ(size, c.window->minimumSize()) << name;
    EXPECT_EQ(size, c.window->maximumSize()) << name;
    const Qt::WindowFlags flags = c.window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint)) << name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << name;
  }
}

// The buttons of the launcher's two dialogs and of the installer window keep
// their whole text in the Japanese fonts of the usual desktops, at the sizes
// desktops use; with PN_RENDER_DIR set, the dialogs are written there as
// "launcher-<font>-<size>.png" and "about-<font>-<size>.png" for a person to
// look at.
TEST_F(LauncherDialogTest, ButtonsKeepTheirWholeTextInTheUsualJapaneseFonts) {
  // The application's font comes back however the test ends.
  struct RestoreFont {
    QFont font = QApplication::font();
    ~RestoreFont() { QApplication::setFont(font); }
  } restore;
  const QString dir = qEnvironmentVariable("PN_RENDER_DIR");
  // fonts-vlgothic, fonts-ipafont-gothic, fonts-noto-cjk (scripts/setup.sh).
  for (const char* family : {"VL Gothic", "IPAGothic", "Noto Sans CJK JP"}) {
    for (int points : {9, 11, 14}) {
      const QString name = QStringLiteral("%1-%2").arg(QString::fromLatin1(family)).arg(points);
      SCOPED_TRACE(name.toStdString());
      QFont font{QString::fromLatin1(family), points};
      ASSERT_EQ(QString::fromLatin1(family), QFontInfo(font).family()) << "font not installed";
      QApplication::setFont(font);
      LauncherDialog dialog;
      launcher::LauncherAboutDialog about(&dialog);
      installer::InstallerWindow window("velmora_1.00_amd64.deb", launcher::Privilege::User);
      for (QWidget* shown : {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(&about),
                             static_cast<QWidget*>(&window)}) {
        shown->show();
        QApplication::processEvents();
        for (QPushButton* button : shown->findChildren<QPushButton*>()) {
          const QString what = name + "/" + button->objectName();
          // The text as drawn inside the button's frame and margins.
          QStyleOptionButton option;
          option.initFrom(button);
          option.text = button->text();
          const QRect inside =
              button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
          const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
          EXPECT_GE(inside.width(), text.width()) << what.toStdString();
          EXPECT_GE(inside.height(), text.height()) << what.toStdString();
          EXPECT_TRUE(shown->rect().contains(button->geometry())) << what.toStdString();
        }
        shown->hide();
      }
      auto* start = Child<QPushButton>(&dialog, "start");
      auto* cancel = Child<QPushButton>(&dialog, "cancel");
      EXPECT_LT(start->geometry().right(), cancel->geometry().left());
      EXPECT_LT(Child<QPlainTextEdit>(&dialog, "description")->geometry().bottom(),
                start->geometry().top());
      if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        EXPECT_TRUE(dialog.grab().save(dir + "/launcher-" + name + ".png"));
        EXPECT_TRUE(about.grab().save(dir + "/about-" + name + ".png"));
      }
    }
  }
}

TEST_F(LauncherDialogTest, ButtonsKeysAndCloseEndTheDialog) {
  WriteInfo("c\np.deb\nd\n");
  struct Case {
    const char* name;
    std::function<void(LauncherDialog*)> act;
    int expected;
  };
  const std::vector<Case> cases = {
      {"Start", [](LauncherDialog* d) { Queue(Child<QPushButton>(d, "start"), "click"); },
       LauncherDialog::kResultStart},
      {"Cancel", [](LauncherDialog* d) { Queue(Child<QPushButton>(d, "cancel"), "click"); },
       LauncherDialog::kResultCancel},
      {"close box", [](LauncherDialog* d) { Queue(d, "close"); }, LauncherDialog::kResultCancel},
      {"Escape",
       [](LauncherDialog* d) {
         QTimer::singleShot(0, d, [d] {
           QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
           QApplication::sendEvent(d, &key);
         });
       },
       LauncherDialog::kResultCancel},
      {"Enter in the description",
       [](LauncherDialog* d) {
         QTimer::singleShot(0, d, [d] {
           QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
           QApplication::sendEvent(Child<QPlainTextEdit>(d, "description"), &key);
         });
       },
       LauncherDialog::kResultStart},
  };
  for (const Case& c : cases) {
    LauncherDialog dialog;
    dialog.SetProgramFolder(folder_.Folder());
    WindowDriver driver([&](QWidget* widget) {
      if (widget == &dialog) c.act(&dialog);
    });
    EXPECT_EQ(c.expected, dialog.DoModal()) << c.name;
    EXPECT_FALSE(driver.TimedOut()) << c.name;
    EXPECT_EQ(folder_.Folder() + "p.deb", dialog.PackagePath()) << c.name;
  }
}

// Closes an About box and records what it showed.
struct AboutSeen {
  int count = 0;
  QString title;
  QString version;
  QString okText;
};

bool CloseAbout(QWidget* widget, AboutSeen& seen) {
  auto* about = qobject_cast<launcher::LauncherAboutDialog*>(widget);
  if (about == nullptr) return false;
  ++seen.count;
  seen.title = about->windowTitle();
  seen.version = Child<QLabel>(about, "version")->text();
  auto* ok = Child<QPushButton>(about, "ok");
  seen.okText = ok->text();
  EXPECT_TRUE(ok->isDefault());
  Queue(ok, "click");
  return true;
}

TEST_F(LauncherDialogTest, WindowMenuCommand16OpensTheAboutBox) {
  LauncherDialog dialog;
  AboutSeen seen;
  WindowDriver driver([&](QWidget* widget) { CloseAbout(widget, seen); });
  dialog.OnSysCommand(16);
  EXPECT_EQ(1, seen.count);
  EXPECT_EQ(QStringLiteral("バージョン情報"), seen.title);
  EXPECT_EQ(QStringLiteral("Tarnwick インストーラ Version 1.00"), seen.version);
  EXPECT_EQ(QStringLiteral("OK"), seen.okText);

  dialog.OnSysCommand(16 | 0xF);  // the low four bits do not count
  EXPECT_EQ(2, seen.count);
  dialog.OnSysCommand(32);
  dialog.OnSysCommand(0xF060);
  QApplication::processEvents();
  EXPECT_EQ(2, seen.count);
  EXPECT_FALSE(driver.TimedOut());
}

TEST_F(LauncherDialogTest, TheContextMenuOffersTheAboutItem) {
  WriteInfo("c\np.deb\nd\n");
  LauncherDialog dialog;
  dialog.SetProgramFolder(folder_.Folder());
  AboutSeen seen;
  QStringList menuItems;
  WindowDriver driver([&](QWidget* widget) {
    if (widget == &dialog) {
      QTimer::singleShot(0, &dialog, [&dialog] {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                dialog.mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(&dialog, &event);
      });
    } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
      for (QAction* action : menu->actions()) menuItems << action->text();
      QTimer::singleShot(0, menu, [menu] {
        QAction* first = menu->actions().value(0);
        if (first) first->trigger();
        menu->close();
      });
    } else if (CloseAbout(widget, seen)) {
      Queue(&dialog, "reject");
    }
  });
  EXPECT_EQ(LauncherDialog::kResultCancel, dialog.DoModal());
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(QStringList{QStringLiteral("バージョン情報(&A)...")}, menuItems);
  EXPECT_EQ(1, seen.count);
}

}  // namespace
