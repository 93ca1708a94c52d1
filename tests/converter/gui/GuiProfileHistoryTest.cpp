// The profile (options and path histories) and the history combo box.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "GuiTestSupport.h"
#include "converter/ConverterProfile.h"
#include "converter/HistoryComboBox.h"

namespace ostrel::guitest {
namespace {

class GuiProfileTest : public GuiTest {};

void ExpectSettings(const ConverterSettings& s, std::array<int32_t, 8> expected) {
  EXPECT_EQ((std::array<int32_t, 8>{s.SubFolder, s.ObjBMP, s.ObjJPEG, s.ObjTIFF, s.OutFileName,
                                    s.MakeFolder, s.OwNoConf, s.NeNoConf}),
            expected);
}

TEST_F(GuiProfileTest, FreshProfileGivesTheDefaults) {
  auto profile = Profile();
  ExpectSettings(ConverterProfile::ReadSettings(*profile), {1, 1, 1, 1, 0, 1, 0, 0});
  EXPECT_TRUE(ConverterProfile::ReadHistory(*profile, "Src").isEmpty());
  // Reading writes nothing.
  EXPECT_TRUE(profile->allKeys().isEmpty());
}

TEST_F(GuiProfileTest, SettingsRoundTripAndBadValues) {
  {
    auto profile = Profile();
    ConverterSettings s;
    s.SubFolder = 0;
    s.ObjBMP = 0;
    s.ObjJPEG = 1;
    s.ObjTIFF = 0;
    s.OutFileName = 1;
    s.MakeFolder = 0;
    s.OwNoConf = 1;
    s.NeNoConf = 1;
    ConverterProfile::WriteSettings(*profile, s);
    profile->sync();
    EXPECT_EQ(profile->value("Settings/OwNoConf").toString(), "1");
    EXPECT_EQ(profile->value("Settings/SubFolder").toString(), "0");
  }
  {
    // A new profile object reads what was written to the file.
    auto profile = Profile();
    ExpectSettings(ConverterProfile::ReadSettings(*profile), {0, 0, 1, 0, 1, 0, 1, 1});
    // Unparsable values take the default; other numbers become flags.
    profile->setValue("Settings/SubFolder", "yes");
    profile->setValue("Settings/OwNoConf", "abc");
    profile->setValue("Settings/OutFileName", "7");
    profile->setValue("Settings/ObjBMP", " 0 ");
    profile->remove("Settings/NeNoConf");
    ExpectSettings(ConverterProfile::ReadSettings(*profile), {1, 0, 1, 0, 1, 0, 0, 0});
  }
}

TEST_F(GuiProfileTest, HistoryValuesSkipEmptyAndClearStaleEntries) {
  auto profile = Profile();
  profile->setValue("Src/Hist0", "/a");
  profile->setValue("Src/Hist3", "/b");  // a gap
  profile->setValue("Src/Hist19", "/c");
  profile->setValue("Src/Hist20", "/beyond");  // not part of the history
  EXPECT_EQ(ConverterProfile::ReadHistory(*profile, "Src"), (QStringList{"/a", "/b", "/c"}));

  // Writing two entries clears the later values, so /c does not return.
  ConverterProfile::WriteHistory(*profile, "Src", {"/new", "/a"});
  EXPECT_EQ(ConverterProfile::ReadHistory(*profile, "Src"), (QStringList{"/new", "/a"}));
  EXPECT_EQ(profile->value("Src/Hist19").toString(), "");
  EXPECT_EQ(ConverterProfile::HistoryKey(7), "Hist7");

  // Paths with characters the file format treats specially survive.
  const QString odd = QStringLiteral("/tmp/a=b]\n[c];d#e\\f ü 画像");
  ConverterProfile::WriteHistory(*profile, "Dest", {odd});
  profile->sync();
  auto again = Profile();
  EXPECT_EQ(ConverterProfile::ReadHistory(*again, "Dest"), QStringList{odd});
}

class GuiHistoryTest : public GuiTest {};

// Counts the enabling requests of a box.
struct EnableCounter {
  explicit EnableCounter(HistoryComboBox* box) {
    QObject::connect(box, &HistoryComboBox::EnableControlsRequested,
                     [this](HistoryComboBox*) { ++n; });
  }
  int count() const { return n; }
  void clear() { n = 0; }
  int n = 0;
};

TEST_F(GuiHistoryTest, KeepsTwentyMostRecentFirstWithoutDuplicates) {
  HistoryComboBox box("Src");
  EnableCounter enable(&box);
  for (int i = 1; i <= 21; ++i) box.AddToHistory(QStringLiteral("/p%1").arg(i));
  ASSERT_EQ(box.count(), 20);
  EXPECT_EQ(box.itemText(0), "/p21");
  EXPECT_EQ(box.itemText(19), "/p2");
  EXPECT_EQ(box.findText("/p1"), -1);
  EXPECT_EQ(box.currentText(), "/p21");
  EXPECT_GE(enable.count(), 21);

  // Adding an entry again moves it to the top.
  box.AddToHistory("/p10");
  EXPECT_EQ(box.count(), 20);
  EXPECT_EQ(box.itemText(0), "/p10");
  EXPECT_EQ(box.Entries().count("/p10"), 1);

  // Names differing in case are different paths here.
  box.AddToHistory("/P10");
  EXPECT_EQ(box.itemText(0), "/P10");
  EXPECT_EQ(box.itemText(1), "/p10");

  // An empty text changes nothing and asks for nothing.
  const QStringList before = box.Entries();
  enable.clear();
  box.AddToHistory(QString());
  EXPECT_EQ(box.Entries(), before);
  EXPECT_EQ(enable.count(), 0);
}

TEST_F(GuiHistoryTest, LeavingTheFieldAddsItsText) {
  HistoryComboBox box("Dest");
  box.setEditText("/typed/out");
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(&box, &popup);
  EXPECT_EQ(box.count(), 0) << "opening the list is not leaving the field";
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(&box, &out);
  ASSERT_EQ(box.count(), 1);
  EXPECT_EQ(box.itemText(0), "/typed/out");
  // Typing asks for the enabling as well.
  EnableCounter enable(&box);
  box.lineEdit()->insert("x");
  EXPECT_GE(enable.count(), 1);
}

TEST_F(GuiHistoryTest, DropTakesTheFirstFileOnly) {
  MakeFile("a.jpg");
  MakeFile("b.jpg");
  MakeFile("c.jpg");
  HistoryComboBox box("Src");
  box.resize(200, 30);
  EnableCounter enable(&box);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QPath("a.jpg")), QUrl::fromLocalFile(QPath("b.jpg")),
                QUrl::fromLocalFile(QPath("c.jpg"))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&box, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&box, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(box.currentText(), QPath("a.jpg"));
  EXPECT_EQ(box.Entries(), QStringList{QPath("a.jpg")});
  EXPECT_GE(enable.count(), 1);

  // Text without files is refused.
  QMimeData text;
  text.setText("hello");
  QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&box, &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST_F(GuiHistoryTest, PersistsUnderItsSection) {
  {
    auto profile = Profile();
    profile->setValue("Src/Hist0", "/old0");
    profile->setValue("Src/Hist1", "/old1");
    profile->setValue("Src/Hist2", "/old2");
    profile->sync();
  }
  {
    HistoryComboBox box("Src");
    box.setEditText("/kept");
    box.LoadHistory();
    EXPECT_EQ(box.Entries(), (QStringList{"/old0", "/old1", "/old2"}));
    EXPECT_EQ(box.currentText(), "/kept");
    box.removeItem(1);
    box.AddToHistory("/new");
  }  // destroyed: written back
  auto profile = Profile();
  EXPECT_EQ(ConverterProfile::ReadHistory(*profile, "Src"),
            (QStringList{"/new", "/old0", "/old2"}));
  EXPECT_EQ(profile->value("Src/Hist3").toString(), "") << "a removed entry must not come back";
  EXPECT_TRUE(ConverterProfile::ReadHistory(*profile, "Dest").isEmpty());

  // A box that never loaded its history leaves the profile alone.
  { HistoryComboBox unused("Src"); }
  auto after = Profile();
  EXPECT_EQ(ConverterProfile::ReadHistory(*after, "Src").size(), 3);
}

}  // namespace
}  // namespace ostrel::guitest
