#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <fstream>
#include <sstream>

#include "converter/core/Progress.h"
#include "converter/core/Report.h"
#include "tests/converter/core/FakeConverterUi.h"

using namespace ostrel;

namespace {

std::vector<std::string> Labels(int files) {
  test::FakeConverterUi ui;
  ProgressModel model(ui);
  model.SetRange(ProgressRangeLow(), ProgressRangeHigh(files));
  model.SetStep(1);
  std::vector<std::string> labels;
  for (int i = 0; i < files; ++i) {
    model.StepIt();
    labels.push_back(model.Label());
  }
  return labels;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(Progress, RangeAndPercentLabels) {
  EXPECT_EQ(ProgressRangeLow(), INT32_MIN);
  EXPECT_EQ(ProgressRangeHigh(3), INT32_MIN + 3);
  EXPECT_EQ(Labels(3), (std::vector<std::string>{"33%", "66%", "100%"}));
  EXPECT_EQ(Labels(7),
            (std::vector<std::string>{"14%", "28%", "42%", "57%", "71%", "85%", "100%"}));
  EXPECT_EQ(Labels(1), (std::vector<std::string>{"100%"}));

  // No overflow near the ends of the 32-bit range.
  EXPECT_EQ(ProgressPercent(INT32_MAX, INT32_MIN, INT32_MAX), 100);
  EXPECT_EQ(ProgressPercent(0, INT32_MIN, INT32_MAX), 50);
  EXPECT_EQ(ProgressPercent(5, 5, 5), 0);
}

TEST(Progress, SendsRangePositionsAndChangedLabelsOnly) {
  test::FakeConverterUi ui;
  ProgressModel model(ui);
  model.SetRange(ProgressRangeLow(), ProgressRangeHigh(300));
  model.SetStep(1);
  ASSERT_EQ(ui.ranges.size(), 1u);
  EXPECT_EQ(ui.ranges[0], std::make_pair(INT32_MIN, INT32_MIN + 300));
  EXPECT_EQ(model.Pos(), INT32_MIN);
  for (int i = 0; i < 300; ++i) model.StepIt();
  EXPECT_EQ(ui.pumps, 300);
  EXPECT_EQ(ui.positions.back(), INT32_MIN + 300);
  // 300 steps give each label "0%".."100%" once: only changes are sent.
  EXPECT_EQ(ui.percentTexts.size(), 101u);
  EXPECT_EQ(ui.percentTexts.front(), "0%");
  EXPECT_EQ(ui.percentTexts.back(), "100%");
}

TEST(Report, TextByteForByte) {
  const std::string rule(46, '=');
  ConversionResults r;
  r.converted = {"/in/a.jpg", "/in/b.bmp"};
  r.failed = {"/in/c.tif"};
  EXPECT_EQ(
      BuildReport(r),
      "発見したファイル数 ： 3\r\n変換できたファイル数 ： 2\r\n変換できなかったファイル数 ： 1\r\n"
      "\r\n■変換できたファイル\r\n" +
          rule +
          "\r\n/in/a.jpg\r\n/in/b.bmp\r\n"
          "\r\n■変換できなかったファイル\r\n" +
          rule + "\r\n/in/c.tif\r\n");

  ConversionResults onlyFailed;
  onlyFailed.failed = {"/x.jpg"};
  EXPECT_EQ(
      BuildReport(onlyFailed),
      "発見したファイル数 ： 1\r\n変換できたファイル数 ： 0\r\n変換できなかったファイル数 ： 1\r\n"
      "\r\n■変換できなかったファイル\r\n" +
          rule + "\r\n/x.jpg\r\n");

  ConversionResults one;
  one.converted = {"/p.jpg"};
  EXPECT_EQ(
      BuildReport(one),
      "発見したファイル数 ： 1\r\n変換できたファイル数 ： 1\r\n変換できなかったファイル数 ： 0\r\n"
      "\r\n■変換できたファイル\r\n" +
          rule + "\r\n/p.jpg\r\n");

  EXPECT_EQ(BuildReport(ConversionResults{}),
            "発見したファイル数 ： 0\r\n変換できたファイル数 ： 0\r\n変換できなかったファイル数 ： "
            "0\r\n");
}

TEST(Report, SaveWritesBytesAndFailsCleanly) {
  test::TempDir tmp;
  EXPECT_EQ(AddDefaultExtension(tmp / "report", "txt"), tmp / "report.txt");
  EXPECT_EQ(AddDefaultExtension(tmp / "r.log", "txt"), tmp / "r.log");
  EXPECT_EQ(AddDefaultExtension("a.d/report", "txt"), "a.d/report.txt");

  ConversionResults r;
  r.converted = {"/in/\xff\xfe.jpg"};  // a name that is not UTF-8 stays as it is
  std::string text = BuildReport(r);
  std::string path = AddDefaultExtension(tmp / "report", "txt");
  ASSERT_TRUE(SaveReport(path, text));
  EXPECT_EQ(ReadFile(path), text);

  // Replacing a longer file leaves no old bytes behind.
  tmp.File("old.txt", std::string(10000, 'z'));
  ASSERT_TRUE(SaveReport(tmp / "old.txt", "short"));
  EXPECT_EQ(ReadFile(tmp / "old.txt"), "short");

  EXPECT_FALSE(SaveReport(tmp / "missing/report.txt", text));
  EXPECT_FALSE(SaveReport(tmp.Path(), text));  // a folder
  if (::geteuid() != 0) {
    std::string ro = tmp.Dir("ro");
    ASSERT_EQ(::chmod(ro.c_str(), 0555), 0);
    EXPECT_FALSE(SaveReport(ro + "/report.txt", text));
    ::chmod(ro.c_str(), 0755);
  }
  EXPECT_FALSE(SaveReport("/dev/full", text));
}
