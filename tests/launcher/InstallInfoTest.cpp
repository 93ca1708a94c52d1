#include "launcher/core/InstallInfo.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <thread>

namespace {

using launcher::DecodeInstallText;
using launcher::InstallInfo;
using launcher::ParseInstallInfo;
using launcher::ReadInstallInfoFile;
using launchertest::TempFolder;
using launchertest::WriteFile;

constexpr std::string_view kFolder = "/opt/setup/";

TEST(ParseInstallInfo, SplitsCaptionPackageAndDescriptionWithEitherLineEnd) {
  for (std::string_view text : {std::string_view("Cap\nsetup.deb\nA\nB"),
                                std::string_view("Cap\r\nsetup.deb\r\nA\r\nB\r\n"),
                                std::string_view("Cap\r\nsetup.deb\nA\r\nB")}) {
    std::optional<InstallInfo> info = ParseInstallInfo(text, kFolder);
    ASSERT_TRUE(info) << text;
    EXPECT_EQ("Cap", info->caption);
    EXPECT_EQ("/opt/setup/setup.deb", info->packagePath);
    EXPECT_EQ("A\r\nB\r\n", info->description);
  }
}

TEST(ParseInstallInfo, FewerThanThreeLinesIsUnusable) {
  for (std::string_view text : {"", "\n", "a", "a\n", "a\nb", "a\nb\n", "a\r\nb\r\n"}) {
    EXPECT_FALSE(ParseInstallInfo(text, kFolder)) << '"' << text << '"';
  }
}

TEST(ParseInstallInfo, EmptyLinesAreKept) {
  // An empty third line is a description of one empty line.
  std::optional<InstallInfo> info = ParseInstallInfo("a\nb\n\n", kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ("\r\n", info->description);

  // Empty caption and empty package line: the package path is the folder.
  info = ParseInstallInfo("\n\nText", kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ("", info->caption);
  EXPECT_EQ("/opt/setup/", info->packagePath);
  EXPECT_EQ("Text\r\n", info->description);

  // Empty lines inside and at the end of the description stay.
  info = ParseInstallInfo("c\np\n\nx\n\n", kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ("\r\nx\r\n\r\n", info->description);
}

TEST(ParseInstallInfo, PackageLineIsAlwaysTakenAsRelative) {
  std::optional<InstallInfo> info = ParseInstallInfo("c\n/pkg/setup.deb\nd", kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ("/opt/setup//pkg/setup.deb", info->packagePath);
}

TEST(ParseInstallInfo, OnlyACarriageReturnBeforeALineFeedEndsALine) {
  std::optional<InstallInfo> info = ParseInstallInfo("a\rb\r\nsub\rdir\nlast\r", kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ("a\rb", info->caption);
  EXPECT_EQ("/opt/setup/sub\rdir", info->packagePath);
  EXPECT_EQ("last\r\r\n", info->description);
}

TEST(ParseInstallInfo, NastyPackageLinesPassUnchanged) {
  const std::string line = "my \"setup\" 日本語 files/x\" /qn \"y.deb";
  std::optional<InstallInfo> info = ParseInstallInfo("c\n" + line + "\nd", kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ(std::string(kFolder) + line, info->packagePath);
}

TEST(ParseInstallInfo, LongLinesAreReadWhole) {
  const std::string caption(100 * 1000, 'c');
  const std::string package(300 * 1000, 'p');
  const std::string description(1000 * 1000, 'd');
  std::optional<InstallInfo> info =
      ParseInstallInfo(caption + "\n" + package + "\n" + description, kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ(caption, info->caption);
  EXPECT_EQ(std::string(kFolder) + package, info->packagePath);
  EXPECT_EQ(description + "\r\n", info->description);
}

TEST(ParseInstallInfo, ManyLinesAreReadInLinearTime) {
  std::string text = "c\np\n";
  for (int i = 0; i < 200000; ++i) text += "line\n";
  const auto start = std::chrono::steady_clock::now();
  std::optional<InstallInfo> info = ParseInstallInfo(text, kFolder);
  ASSERT_TRUE(info);
  EXPECT_EQ(200000u * 6, info->description.size());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DecodeInstallText, ValidUtf8StandsAsItIs) {
  EXPECT_EQ("インストール\nabc", DecodeInstallText("インストール\nabc"));
  EXPECT_EQ("", DecodeInstallText(""));
  // A leading byte-order mark is an encoding marker, not part of the caption.
  EXPECT_EQ("Cap\n", DecodeInstallText("\xEF\xBB\xBF"
                                       "Cap\n"));
}

TEST(DecodeInstallText, OtherTextIsReadAsCodePage932) {
  // "テスト\n" and "ﾃｽﾄ" (half-width) in code page 932.
  EXPECT_EQ("テスト\nﾃｽﾄ", DecodeInstallText("\x83\x65\x83\x58\x83\x67\n\xC3\xBD\xC4"));
  // Code page 932 maps 0x5C to the backslash, unlike Shift_JIS.
  EXPECT_EQ("ソ\\x", DecodeInstallText("\x83\x5C\\x"));
  // An overlong UTF-8 form is not UTF-8; as code page 932 it is two
  // half-width katakana.
  EXPECT_EQ("ﾀｯ", DecodeInstallText("\xC0\xAF"));
}

TEST(DecodeInstallText, TextThatIsNeitherIsRefused) {
  EXPECT_FALSE(DecodeInstallText("ok \x83"));        // cut-off two-byte character
  EXPECT_FALSE(DecodeInstallText("\x81\x0A rest"));  // lead byte before a line feed
}

TEST(IsValidUtf8, RejectsMalformedSequences) {
  EXPECT_TRUE(launcher::IsValidUtf8("a\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"));
  for (std::string_view bad : {"\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                               "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE3\x81", "\xFF"}) {
    EXPECT_FALSE(launcher::IsValidUtf8(bad));
  }
}

class ReadInstallInfoFileTest : public ::testing::Test {
 protected:
  std::filesystem::path InfoPath() const { return folder_.Path() / "InstInfo.txt"; }
  TempFolder folder_;
};

TEST_F(ReadInstallInfoFileTest, ReadsTheFileInTheFolder) {
  WriteFile(InfoPath(), "製品名\r\nsetup dir/パッケージ.deb\r\n説明1\r\n説明2");
  std::optional<InstallInfo> info = ReadInstallInfoFile(folder_.Folder());
  ASSERT_TRUE(info);
  EXPECT_EQ("製品名", info->caption);
  EXPECT_EQ(folder_.Folder() + "setup dir/パッケージ.deb", info->packagePath);
  EXPECT_EQ("説明1\r\n説明2\r\n", info->description);
}

TEST_F(ReadInstallInfoFileTest, ConvertsACodePage932File) {
  // "製品\n" "a.deb\n" "説明" in code page 932.
  WriteFile(InfoPath(), "\x90\xBB\x95\x69\na.deb\n\x90\xE0\x96\xBE");
  std::optional<InstallInfo> info = ReadInstallInfoFile(folder_.Folder());
  ASSERT_TRUE(info);
  EXPECT_EQ("製品", info->caption);
  EXPECT_EQ("説明\r\n", info->description);
}

TEST_F(ReadInstallInfoFileTest, UnusableFilesGiveNothing) {
  EXPECT_FALSE(ReadInstallInfoFile(folder_.Folder()));  // missing

  WriteFile(InfoPath(), "two\nlines\n");
  EXPECT_FALSE(ReadInstallInfoFile(folder_.Folder()));

  WriteFile(InfoPath(), "c\np\n\x83");  // neither UTF-8 nor code page 932
  EXPECT_FALSE(ReadInstallInfoFile(folder_.Folder()));

  std::filesystem::remove(InfoPath());
  std::filesystem::create_directory(InfoPath());
  EXPECT_FALSE(ReadInstallInfoFile(folder_.Folder()));
}

TEST_F(ReadInstallInfoFileTest, AFifoOfThatNameDoesNotBlock) {
  ASSERT_EQ(0, mkfifo(InfoPath().c_str(), 0600));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReadInstallInfoFile(folder_.Folder()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(ReadInstallInfoFileTest, FilesAboveTheLimitAreRefused) {
  const std::string text = "c\np\n" + std::string(200 * 1000, 'd');
  WriteFile(InfoPath(), text);
  EXPECT_FALSE(ReadInstallInfoFile(folder_.Folder(), text.size() - 1));
  std::optional<InstallInfo> info = ReadInstallInfoFile(folder_.Folder(), text.size());
  ASSERT_TRUE(info);
  EXPECT_EQ(200u * 1000 + 2, info->description.size());
}

}  // namespace
