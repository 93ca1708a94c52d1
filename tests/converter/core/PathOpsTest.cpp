#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "converter/core/ExtensionTable.h"
#include "converter/core/PathOps.h"
#include "converter/core/StringTable.h"
#include "tests/converter/core/FakeConverterUi.h"

using namespace ostrel;

TEST(ClassifyPath, EveryClass) {
  test::TempDir tmp;
  std::string file = tmp.File("photo.jpg");
  std::string dir = tmp.Dir("pics");

  EXPECT_EQ(ClassifyPath("", false), kPathEmpty);
  EXPECT_EQ(ClassifyPath("", true), kPathEmpty);
  EXPECT_EQ(ClassifyPath(dir, false), kPathExistingFolder);
  EXPECT_EQ(ClassifyPath(dir + "/.", true), kPathExistingFolder);
  EXPECT_EQ(ClassifyPath(file, false), kPathExistingFile);
  EXPECT_EQ(ClassifyPath(file, true), kPathExistingFile);
  EXPECT_EQ(ClassifyPath("/", false), kPathExistingFolder);
  EXPECT_EQ(ClassifyPath("/.", true), kPathExistingFolder);

  // Paths that do not exist: inputs by any extension, outputs by ".PDF".
  EXPECT_EQ(ClassifyPath(tmp / "x", false), kPathNewFolder);
  EXPECT_EQ(ClassifyPath(tmp / "x.jpg", false), kPathNewFile);
  EXPECT_EQ(ClassifyPath(tmp / "x.PDF", true), kPathNewFile);
  EXPECT_EQ(ClassifyPath(tmp / "x.pdf", true), kPathNewFile);
  EXPECT_EQ(ClassifyPath(tmp / "x.PdF", true), kPathNewFile);
  EXPECT_EQ(ClassifyPath(tmp / "x.txt", true), kPathNewFolder);
  EXPECT_EQ(ClassifyPath(tmp / "x", true), kPathNewFolder);
  EXPECT_EQ(ClassifyPath(tmp / "x.pdfa", true), kPathNewFolder);
  // A dot in a folder name is no extension of the file.
  EXPECT_EQ(ClassifyPath(tmp / "a.pdf/x", true), kPathNewFolder);
  EXPECT_EQ(ClassifyPath(tmp / "a.jpg/x", false), kPathNewFolder);

  // A dangling symbolic link does not exist.
  ASSERT_EQ(::symlink((tmp / "nowhere").c_str(), (tmp / "dangling.pdf").c_str()), 0);
  EXPECT_EQ(ClassifyPath(tmp / "dangling.pdf", true), kPathNewFile);
}

TEST(PathText, NormaliseAndLastComponent) {
  EXPECT_EQ(NormalisePath("d/"), "d/.");
  EXPECT_EQ(NormalisePath("/"), "/.");
  EXPECT_EQ(NormalisePath("d"), "d");
  EXPECT_EQ(NormalisePath(""), "");

  EXPECT_EQ(LastPathComponent("/a/pics/"), "/pics");
  EXPECT_EQ(LastPathComponent("/a/pics//"), "/pics");
  EXPECT_EQ(LastPathComponent("/a/pics"), "/pics");
  EXPECT_EQ(LastPathComponent("/pics"), "/pics");
  EXPECT_EQ(LastPathComponent("pics"), "");
  EXPECT_EQ(LastPathComponent("/"), "");
  EXPECT_EQ(LastPathComponent(""), "");

  EXPECT_EQ(CutTrailingDot("d/."), "d");
  EXPECT_EQ(CutTrailingDot("/."), "");
  EXPECT_EQ(CutTrailingDot("d.x"), "d.x");
  EXPECT_EQ(CutTrailingDot("."), ".");

  EXPECT_EQ(PathExtension("a/b.c/photo.2020.jpg"), ".jpg");
  EXPECT_EQ(PathExtension("a/b.c/photo"), "");
  EXPECT_EQ(PathBaseName("a/b.c/photo.2020.jpg"), "photo.2020");
  EXPECT_EQ(PathBaseName("photo"), "photo");

  EXPECT_EQ(JoinPath("/", "x"), "/x");
  EXPECT_EQ(JoinPath("", "x"), "/x");
  EXPECT_EQ(JoinPath("/a", "x"), "/a/x");
}

TEST(ExtensionTable, FirstEnabledRowThatEndsTheName) {
  ConverterSettings s;
  auto ext = [&](const char* name) -> std::string {
    const ExtensionRow* row = MatchExtension(s, name);
    return row ? std::string(row->extension) : std::string("-");
  };
  EXPECT_EQ(ext("x.tiff"), ".TIFF");
  EXPECT_EQ(ext("x.TIF"), ".TIF");
  EXPECT_EQ(ext("x.jpeg"), ".JPEG");
  EXPECT_EQ(ext("x.Jpg"), ".JPG");
  EXPECT_EQ(ext("b.BMP"), ".BMP");
  EXPECT_EQ(ext("c.png"), "-");
  EXPECT_EQ(ext("x.atif"), "-");
  EXPECT_EQ(ext("jpg"), "-");
  EXPECT_EQ(ext(".jpg"), ".JPG");

  s.ObjBMP = 0;
  EXPECT_EQ(ext("x.bmp"), "-");
  s.ObjJPEG = 0;
  EXPECT_EQ(ext("x.jpeg"), "-");
  EXPECT_EQ(ext("x.tif"), ".TIF");
  s.ObjTIFF = 0;
  EXPECT_EQ(ext("x.tif"), "-");
}

TEST(StringTable, MessagesByteForByte) {
  EXPECT_EQ(LoadString(15001), "異常終了。");
  EXPECT_EQ(LoadString(15002), "変換を中断しました。");
  EXPECT_EQ(LoadString(15003), "フォルダ %1 を作成します。\nよろしいですか？");
  EXPECT_EQ(LoadString(15004), "ファイル %1 を上書きします。\nよろしいですか？");
  EXPECT_EQ(LoadString(15005), "変換作業を中止しますか？");
  EXPECT_EQ(LoadString(15006), "ドロップされた中に画像ファイルやフォルダが存在しません。");
  EXPECT_EQ(LoadString(20000),
            "%1のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
  EXPECT_EQ(LoadString(20001), "入力に指定されたファイルまたはフォルダが存在しません。");
  EXPECT_EQ(LoadString(20002), "入力にフォルダを指定して、出力でファイルを選ぶことはできません。");
  EXPECT_EQ(LoadString(20003), "入力にフォルダが指定されているのに、対象が選択されていません。");
  EXPECT_EQ(LoadString(20004), "メモリが足りません。");
  EXPECT_EQ(LoadString(20005), "致命的なエラーが発生しました。");
  EXPECT_EQ(LoadString(20006), "変換すべき画像ファイルが見つかりませんでした。");
  EXPECT_EQ(LoadString(20007), "変換結果のファイルへの保存に失敗しました。");
  EXPECT_EQ(LoadString(104), "");
  // The full-width question mark is U+FF1F.
  EXPECT_NE(LoadString(15003).find("\xEF\xBC\x9F"), std::string::npos);

  EXPECT_EQ(LoadMessage1(20000, kWordInput),
            "入力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
  EXPECT_EQ(LoadMessage1(15003, "/o/a"), "フォルダ /o/a を作成します。\nよろしいですか？");
  EXPECT_EQ(FormatString1("%1-%1", "x"), "x-x");
  EXPECT_EQ(FormatString1("<%1>", "%1%2"), "<%1%2>");
  EXPECT_EQ(FormatString1("100%", "x"), "100%");
}
