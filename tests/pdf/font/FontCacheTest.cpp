// The environment's font-resource lookups, each test on its own environment
// so that the caches start empty.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "pdf/font/CMapFile.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/font/FontResourceCache.h"
#include "pdf/font/TrueTypeFontInfo.h"
#include "tests/pdf/font/CMapTestSupport.h"
#include "tests/pdf/font/FakeFontSource.h"
#include "tests/platform/ScopedTestState.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string AFMText(const char* fontName) {
  return std::string("StartFontMetrics 4.1\nFontName ") + fontName +
         "\nFontBBox -10 -20 1000 900\nStartCharMetrics 1\nC 32 ; WX 250 ; N space ;\n"
         "EndCharMetrics\nEndFontMetrics\n";
}

class FontCacheTest : public ::testing::Test {
 protected:
  // The setters write the process-wide directories as well.
  void TearDown() override { env_.Init(nullptr, nullptr, nullptr, nullptr); }

  CPDFEnv env_;
  pntest::TempFolder folder_;
};

TEST_F(FontCacheTest, EncodingsAreLoadedOnceAndMissesAreNotKept) {
  EncodingTable* first = env_.GetEncoding("WinAnsiEncoding");
  ASSERT_TRUE(first);
  EXPECT_EQ(env_.GetEncoding("WinAnsiEncoding"), first);
  EXPECT_FALSE(env_.GetEncoding("WinAnsi"));
  EXPECT_FALSE(env_.GetEncoding(nullptr));
  EXPECT_EQ(env_.EncodingCache().GetCount(), 1);
}

TEST_F(FontCacheTest, CMapsAreLoadedOnceAndOnlyIdentityWithoutDirectory) {
  EXPECT_TRUE(env_.GetCMap("Identity-H"));
  EXPECT_TRUE(env_.GetCMap("Identity-V"));
  EXPECT_FALSE(env_.GetCMap("90ms-RKSJ-H"));
  EXPECT_EQ(env_.CMapCache().GetCount(), 2);

  const std::string path = folder_.Folder() + "Test-H";
  WriteFile(path, std::string(cmaptest::kHeader) +
                      "1 begincodespacerange\n<8140> <9ffc>\nendcodespacerange\n"
                      "1 begincidrange\n<8140> <817e> 633\nendcidrange\n");
  env_.SetCMapDirectory(folder_.Folder().c_str());
  CMapFile* first = env_.GetCMap("Test-H");
  ASSERT_TRUE(first);
  std::filesystem::remove(path);
  EXPECT_EQ(env_.GetCMap("Test-H"), first);  // no file read the second time

  env_.ReleaseFontCaches();
  EXPECT_EQ(env_.CMapCache().GetCount(), 0);
  EXPECT_FALSE(env_.GetCMap("Test-H"));  // loads again, and the file is gone
}

TEST_F(FontCacheTest, SearchDirectoryIsScannedOnceSkippingWhatDoesNotRead) {
  EXPECT_STREQ(env_.GetAFMSearchDir(), "");
  const std::string dir = folder_.Folder() + "search/";
  std::filesystem::create_directory(dir);
  WriteFile(dir + "a-bad.afm", "not an AFM file\n");
  WriteFile(dir + "one.afm", AFMText("One-Regular"));
  WriteFile(dir + "two.afm", AFMText("Two-Bold"));
  WriteFile(dir + "two.t1", "%!PS-AdobeFont-1.0: binary stand-in\n");
  std::filesystem::create_directory(dir + "sub");
  WriteFile(dir + "sub/three.afm", AFMText("Three-Sub"));
  std::filesystem::create_directory(folder_.Folder() + "elsewhere");
  WriteFile(folder_.Folder() + "elsewhere/four.afm", AFMText("Four-Linked"));
  std::filesystem::create_directory_symlink(folder_.Folder() + "elsewhere", dir + "link");
  std::filesystem::create_symlink(folder_.Folder() + "elsewhere/four.afm", dir + "four.afm");
  env_.SetAFMSearchDirectory(dir.c_str());
  EXPECT_EQ(env_.GetAFMSearchDir(), dir + "");

  EXPECT_FALSE(env_.GetAFM("Unknown-Font"));  // scans, then finds nothing
  EXPECT_EQ(env_.AFMCache().GetCount(), 3);
  AFMFile* one = env_.GetAFM("One-Regular");
  ASSERT_TRUE(one);
  EXPECT_EQ(one->GetCharMetric("space")->WX, 250);
  EXPECT_TRUE(env_.GetAFM("Two-Bold"));
  EXPECT_FALSE(env_.GetAFM("Three-Sub"));
  EXPECT_TRUE(env_.GetAFM("Four-Linked"));  // a link to a file is followed

  // Written after the scan: not found, as nothing rescans.
  WriteFile(dir + "five.afm", AFMText("Five-Late"));
  EXPECT_FALSE(env_.GetAFM("Five-Late"));
  // Setting the directory again scans again.
  env_.SetAFMSearchDirectory(dir.c_str());
  EXPECT_TRUE(env_.GetAFM("Five-Late"));
  // The rescan's file replaces the entry of the same FontName.
  AFMFile* again = env_.GetAFM("One-Regular");
  ASSERT_TRUE(again);
  EXPECT_STREQ(again->FontName.c_str(), "One-Regular");
}

TEST_F(FontCacheTest, FolderOfBadFilesAnswersNoneAndIsNotRescanned) {
  const std::string bad = folder_.Folder() + "bad/";
  std::filesystem::create_directory(bad);
  WriteFile(bad + "x.afm", "StartFontMetrics 4.1\nFontName X\nFontBBox 0 0 0 0\n");
  env_.SetAFMSearchDirectory(bad.c_str());
  EXPECT_FALSE(env_.GetAFM("X"));
  WriteFile(bad + "y.afm", AFMText("Y"));
  EXPECT_FALSE(env_.GetAFM("Y"));

  const std::string good = folder_.Folder() + "good/";
  std::filesystem::create_directory(good);
  WriteFile(good + "y.afm", AFMText("Y"));
  env_.SetAFMSearchDirectory(good.c_str());
  EXPECT_TRUE(env_.GetAFM("Y"));
}

TEST_F(FontCacheTest, SingleFilesAreCachedUnderTheRequestedName) {
  WriteFile(folder_.Folder() + "Alias.afm", AFMText("Real-Name"));
  env_.SetAFMDirectory(folder_.Folder().c_str());
  AFMFile* afm = env_.GetAFM("Alias");
  ASSERT_TRUE(afm);
  std::filesystem::remove(folder_.Folder() + "Alias.afm");
  EXPECT_EQ(env_.GetAFM("Alias"), afm);
  EXPECT_FALSE(env_.GetAFM("Real-Name"));
  // A standard name without a file takes the built-in table and is cached.
  AFMFile* helvetica = env_.GetAFM("Helvetica");
  ASSERT_TRUE(helvetica);
  EXPECT_EQ(helvetica->GetCharMetricCount(), 315);
  EXPECT_EQ(env_.GetAFM("Helvetica"), helvetica);
  EXPECT_EQ(env_.AFMCache().GetCount(), 2);

  env_.ReleaseFontCaches();
  EXPECT_EQ(env_.AFMCache().GetCount(), 0);
  EXPECT_FALSE(env_.GetAFM("Alias"));
}

// --- Installed TrueType faces, through a fake source ---

using fonttest::FakeFace;
using fonttest::FakeFontSource;

// Installs a fake source with the faces; its enumerations are counted in
// *count when given.
void UseFaces(CPDFEnv& env, std::vector<FakeFace> faces, int* count = nullptr) {
  env.SetTrueTypeFontSource(std::make_unique<FakeFontSource>(std::move(faces), count));
}

TEST_F(FontCacheTest, TrueTypeFacesAreFoundByFullOrSpacedName) {
  UseFaces(env_, {{"Arial Black"},
                  {"Times New Roman"},
                  {"DejaVu Sans"},
                  {"Greek Face", 161},
                  {"Symbol Face", 2},
                  {"\xC0\xC1 Sans", kShiftJISCharSet}});
  TrueTypeFontInfo* black = env_.GetTrueTypeFontInfo("ArialBlack");
  ASSERT_TRUE(black);
  EXPECT_STREQ(black->logFont.elfFullName.c_str(), "Arial Black");
  EXPECT_EQ(env_.GetTrueTypeFontInfo("Arial Black"), black);
  ASSERT_TRUE(env_.GetTrueTypeFontInfo("TimesNewRoman"));
  EXPECT_STREQ(env_.GetTrueTypeFontInfo("TimesNewRoman")->logFont.elfFullName.c_str(),
               "Times New Roman");
  // Every capital gets its blank, "Deja Vu Sans", which no face has: the
  // full name without blanks finds it.
  ASSERT_TRUE(env_.GetTrueTypeFontInfo("DejaVuSans"));
  EXPECT_STREQ(env_.GetTrueTypeFontInfo("DejaVuSans")->logFont.elfFullName.c_str(), "DejaVu Sans");
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("arialblack"));
  // Character sets other than ANSI, MAC and SHIFTJIS are not kept.
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("Greek Face"));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("Symbol Face"));
  // Bytes above 127 are never capitals.
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("\xC0\xC1Sans"));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo(nullptr));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo(""));
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 4);  // misses are not remembered
}

// Names a PDF gives a TrueType font beside the full name: the PostScript
// name, the full name without blanks, the family of the regular face.
TEST_F(FontCacheTest, TrueTypeFacesAreFoundByPostScriptAndFamilyName) {
  fonttest::FakeFace bold("Noto Sans Bold");
  bold.faceName = "Noto Sans";
  bold.postScriptName = "NotoSans-Bold";
  fonttest::FakeFace regular("Liberation Serif Regular");
  regular.faceName = "Liberation Serif";
  regular.postScriptName = "LiberationSerif";
  fonttest::FakeFace italic("Liberation Serif Italic");
  italic.faceName = "Liberation Serif";
  UseFaces(env_, {bold, italic, regular, {"DejaVu Sans Mono"}});
  const std::pair<const char*, const char*> found[] = {
      {"NotoSans-Bold", "Noto Sans Bold"},
      {"NotoSansBold", "Noto Sans Bold"},
      {"LiberationSerif", "Liberation Serif Regular"},
      {"LiberationSerifItalic", "Liberation Serif Italic"},
      {"DejaVuSansMono", "DejaVu Sans Mono"},
  };
  for (const auto& [name, fullName] : found) {
    TrueTypeFontInfo* info = env_.GetTrueTypeFontInfo(name);
    ASSERT_TRUE(info) << name;
    EXPECT_STREQ(info->logFont.elfFullName.c_str(), fullName) << name;
  }
  // A family's other faces are not its regular one.
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("NotoSans"));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("notosans-bold"));
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 4);
}

// A TrueType font's BaseFont: the style after a comma picks the family's
// face of that style, a subset prefix is ignored.
TEST(TrueTypeFaceTest, StyleAfterTheCommaPicksTheFaceAndSubsetPrefixesAreIgnored) {
  auto face = [](const char* fullName, const char* family, const char* postScript) {
    FakeFace made(fullName);
    made.faceName = family;
    made.postScriptName = postScript;
    return made;
  };
  FontResourceCache cache;
  cache.SetTrueTypeFontSource(std::make_unique<FakeFontSource>(std::vector<FakeFace>{
      face("Arial", "Arial", "ArialMT"), face("Arial Bold", "Arial", "Arial-BoldMT"),
      face("Arial Italic", "Arial", "Arial-ItalicMT"),
      face("Arial Bold Italic", "Arial", "Arial-BoldItalicMT"),
      face("DejaVu Sans", "DejaVu Sans", "DejaVuSans"),
      face("DejaVu Sans Oblique", "DejaVu Sans", "DejaVuSans-Oblique"),
      face("DejaVu Sans Condensed Bold", "DejaVu Sans", "DejaVuSansCondensed-Bold"),
      face("Mono Face", "Mono", "Mono-BoldItalic")}));
  const std::pair<std::string, const char*> cases[] = {
      {"Arial,Bold", "Arial Bold"},
      {"Arial,Italic", "Arial Italic"},
      {"Arial,BoldItalic", "Arial Bold Italic"},
      {"Arial", "Arial"},
      {"Arial-BoldMT", "Arial Bold"},
      // Other texts after the comma give the family's face.
      {"Arial,Black", "Arial"},
      {"Arial,bold", "Arial"},
      {"Arial,", "Arial"},
      {"Arial,Bold,Italic", "Arial"},
      // Oblique stands in for Italic; a face of another width is not the
      // family's bold one, so the family's regular face is used.
      {"DejaVuSans,Italic", "DejaVu Sans Oblique"},
      {"DejaVu Sans,Italic", "DejaVu Sans Oblique"},
      {"DejaVuSans,Bold", "DejaVu Sans"},
      // The PostScript form, family and style joined by a hyphen.
      {"Mono,BoldItalic", "Mono Face"},
      {"ABCDEF+Arial", "Arial"},
      {"ABCDEF+Arial,Bold", "Arial Bold"},
      {"ZZZZZZ+DejaVuSans-Oblique", "DejaVu Sans Oblique"},
      {"HeiseiMin-W3,Bold", "HeiseiMin-W3"},
      // Not subset prefixes.
      {"ABCDE+Arial", nullptr},
      {"abcdef+Arial", nullptr},
      {"ABCDEFG+Arial", nullptr},
      {"ABCDEF+", nullptr},
      {"Missing,Bold", nullptr},
      {",Bold", nullptr},
      {"", nullptr},
      {std::string(256, 'A'), nullptr},
  };
  for (const auto& [baseFont, fullName] : cases) {
    SCOPED_TRACE(baseFont);
    TrueTypeFontInfo* info = cache.GetTrueTypeFace(baseFont.c_str());
    if (!fullName) {
      EXPECT_FALSE(info);
      continue;
    }
    ASSERT_TRUE(info);
    EXPECT_STREQ(info->logFont.elfFullName.c_str(), fullName);
    EXPECT_EQ(cache.GetTrueTypeFace(baseFont.c_str()), info);
  }
  EXPECT_FALSE(cache.GetTrueTypeFace(nullptr));

  // A new source: the faces found before are forgotten with their records.
  cache.SetTrueTypeFontSource(std::make_unique<FakeFontSource>(
      std::vector<FakeFace>{{"Arial"}, {"Arial Bold", kMacCharSet}}));
  TrueTypeFontInfo* bold = cache.GetTrueTypeFace("Arial,Bold");
  ASSERT_TRUE(bold);
  EXPECT_EQ(bold->logFont.lfCharSet, kMacCharSet);
  cache.Release();
  EXPECT_FALSE(cache.GetTrueTypeFace("DejaVuSans,Italic"));
  ASSERT_TRUE(cache.GetTrueTypeFace("Arial,Bold"));
}

TEST_F(FontCacheTest, LastRecordOfAFullNameStays) {
  UseFaces(env_, {{"Dual Face", kShiftJISCharSet, 32, 223},
                  {"Dual Face", kMacCharSet},
                  {"Dual Face", kAnsiCharSet, 32, 255},
                  {"Other Face", kAnsiCharSet},
                  {"Other Face", kShiftJISCharSet}});
  TrueTypeFontInfo* dual = env_.GetTrueTypeFontInfo("Dual Face");
  ASSERT_TRUE(dual);
  EXPECT_EQ(dual->logFont.lfCharSet, kAnsiCharSet);
  EXPECT_EQ(dual->textMetric.tmLastChar, 255);
  ASSERT_TRUE(env_.GetTrueTypeFontInfo("Other Face"));
  EXPECT_EQ(env_.GetTrueTypeFontInfo("Other Face")->logFont.lfCharSet, kShiftJISCharSet);
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 2);  // the replaced records are freed
}

TEST_F(FontCacheTest, SourceIsEnumeratedOnceUntilReplacedOrReleased) {
  int first = 0;
  UseFaces(env_, {{"Arial"}}, &first);
  EXPECT_EQ(first, 0);
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("Arial"));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("Missing"));
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("HeiseiMin-W3"));
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("Arial"));
  EXPECT_EQ(first, 1);

  // A new source empties the cache; the next lookup asks it, not the old one.
  int second = 0;
  UseFaces(env_, {{"Verdana"}}, &second);
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 0);
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("Arial"));
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("Verdana"));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);

  // Releasing the caches keeps the source and enumerates it again.
  env_.ReleaseFontCaches();
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 0);
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("Verdana"));
  EXPECT_EQ(second, 2);

  // A source without faces is not asked again on every lookup either.
  int empty = 0;
  UseFaces(env_, {}, &empty);
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("Verdana"));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("Verdana"));
  EXPECT_EQ(empty, 1);
}

// A source that runs out of memory after its first face.
class FailingSource : public TrueTypeFontSource {
 public:
  void Enumerate(const AddRecord& add) override {
    add(fonttest::MakeRecord({"Early Face"}));
    throw std::bad_alloc();
  }
};

TEST_F(FontCacheTest, FailingSourceKeepsWhatItDeliveredAndNothingThrows) {
  env_.SetTrueTypeFontSource(std::make_unique<FailingSource>());
  EXPECT_NO_THROW(EXPECT_FALSE(env_.GetTrueTypeFontInfo("Late Face")));
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("Early Face"));
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("HeiseiKakuGo-W5"));
}

TEST_F(FontCacheTest, NamesAreAcceptedUpTo255Bytes) {
  const std::string longest(255, 'x');
  const std::string tooLong(256, 'y');
  UseFaces(env_, {{longest}, {tooLong}});
  EXPECT_TRUE(env_.GetTrueTypeFontInfo(longest.c_str()));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo(tooLong.c_str()));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo(std::string(300, 'z').c_str()));
  // The spaced name of a 255-byte name may be longer.
  std::string capitals;
  for (int i = 0; i < 85; ++i) capitals += "Abc";
  std::string spaced;
  for (int i = 0; i < 85; ++i) spaced += i ? " Abc" : "Abc";
  UseFaces(env_, {{spaced}});
  EXPECT_TRUE(env_.GetTrueTypeFontInfo(capitals.c_str()));
}

struct FixedValues {
  const char* name;
  TrueTypeRect box;
  int32_t ascent;
  int32_t descent;
  uint8_t panose[10];
};

TEST_F(FontCacheTest, HeiseiFacesHaveFixedRecordsWithoutWidths) {
  env_.SetTrueTypeFontSource(std::make_unique<EmptyTrueTypeFontSource>());
  const FixedValues expected[] = {
      {"HeiseiMin-W3", {-123, 910, 1001, -257}, 723, -241, {1, 5, 2, 2, 4, 0, 0, 0, 0, 0}},
      {"HeiseiKakuGo-W5", {-92, 922, 1010, -250}, 752, -221, {8, 1, 2, 0x0B, 6, 0, 0, 0, 0, 0}},
  };
  for (const FixedValues& want : expected) {
    SCOPED_TRACE(want.name);
    TrueTypeFontInfo* info = env_.GetTrueTypeFontInfo(want.name);
    ASSERT_TRUE(info);
    EXPECT_EQ(env_.GetTrueTypeFontInfo(want.name), info);
    EXPECT_EQ(info->logFont.lfCharSet, kShiftJISCharSet);
    EXPECT_STREQ(info->logFont.elfFullName.c_str(), want.name);
    EXPECT_EQ(info->logFont.lfHeight, 0);
    EXPECT_EQ(info->outlineMetric.otmrcFontBox.left, want.box.left);
    EXPECT_EQ(info->outlineMetric.otmrcFontBox.top, want.box.top);
    EXPECT_EQ(info->outlineMetric.otmrcFontBox.right, want.box.right);
    EXPECT_EQ(info->outlineMetric.otmrcFontBox.bottom, want.box.bottom);
    EXPECT_EQ(info->outlineMetric.otmMacAscent, want.ascent);
    EXPECT_EQ(info->outlineMetric.otmMacDescent, want.descent);
    EXPECT_EQ(info->outlineMetric.otmItalicAngle, 0);
    EXPECT_EQ(std::memcmp(info->outlineMetric.otmPanoseNumber, want.panose, 10), 0);
    EXPECT_EQ(info->textMetric.tmFirstChar, 0);
    EXPECT_EQ(info->textMetric.tmLastChar, 0);
    EXPECT_FALSE(info->HasWidths());
    for (int code = 0; code < 256; ++code)
      EXPECT_FALSE(info->GetABC(static_cast<uint8_t>(code))) << code;
  }
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 2);
  // Exact names only; the spaced name of a fixed name is not fixed.
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("heiseimin-w3"));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("HeiseiMin-W3 "));
  EXPECT_FALSE(env_.GetTrueTypeFontInfo("HeiseiMin"));

  // An installed face of that name comes first.
  UseFaces(env_, {{"HeiseiMin-W3", kAnsiCharSet}});
  ASSERT_TRUE(env_.GetTrueTypeFontInfo("HeiseiMin-W3"));
  EXPECT_EQ(env_.GetTrueTypeFontInfo("HeiseiMin-W3")->logFont.lfCharSet, kAnsiCharSet);
}

TEST(TrueTypeFontInfoTest, WidthsCoverFirstToLastCodeOnly) {
  TrueTypeFontInfo info;
  EXPECT_FALSE(info.GetABC(0));  // first = last = 0 but no widths
  info.textMetric.tmFirstChar = 32;
  info.textMetric.tmLastChar = 126;
  ASSERT_TRUE(info.AllocWidths());
  EXPECT_FALSE(info.GetABC(0));
  EXPECT_FALSE(info.GetABC(31));
  EXPECT_FALSE(info.GetABC(127));
  EXPECT_FALSE(info.GetABC(255));
  ASSERT_TRUE(info.GetABC(32));
  ASSERT_TRUE(info.GetABC(126));
  info.GetABC(126)->B = 600;
  EXPECT_EQ(info.GetABC(126)->B, 600u);
  EXPECT_EQ(info.GetABC(32)->B, 0u);
  // A range widened after the array was made reaches no further than it.
  info.textMetric.tmLastChar = 255;
  EXPECT_TRUE(info.GetABC(126));
  EXPECT_FALSE(info.GetABC(127));

  info.textMetric.tmFirstChar = 0;
  ASSERT_TRUE(info.AllocWidths());  // all 256 codes
  EXPECT_TRUE(info.GetABC(0));
  EXPECT_TRUE(info.GetABC(255));
  info.textMetric.tmFirstChar = 200;
  info.textMetric.tmLastChar = 100;
  EXPECT_FALSE(info.AllocWidths());
  EXPECT_FALSE(info.HasWidths());
  for (int code = 0; code < 256; ++code) EXPECT_FALSE(info.GetABC(static_cast<uint8_t>(code)));
}

TEST_F(FontCacheTest, FakedWidthsAnswerInsideTheirRange) {
  UseFaces(env_, {{"Narrow", kAnsiCharSet, 65, 90}});
  TrueTypeFontInfo* info = env_.GetTrueTypeFontInfo("Narrow");
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->GetABC(64));
  EXPECT_FALSE(info->GetABC(91));
  ASSERT_TRUE(info->GetABC(72));
  EXPECT_EQ(info->GetABC(72)->A + static_cast<int32_t>(info->GetABC(72)->B) + info->GetABC(72)->C,
            72 + 15);
}

TEST_F(FontCacheTest, ReleaseEmptiesAllFourCaches) {
  int enumerations = 0;
  UseFaces(env_, {{"Arial"}}, &enumerations);
  WriteFile(folder_.Folder() + "Alias.afm", AFMText("Alias"));
  env_.SetAFMSearchDirectory(folder_.Folder().c_str());
  ASSERT_TRUE(env_.GetEncoding("WinAnsiEncoding"));
  ASSERT_TRUE(env_.GetCMap("Identity-H"));
  ASSERT_TRUE(env_.GetAFM("Alias"));
  ASSERT_TRUE(env_.GetTrueTypeFontInfo("Arial"));
  ASSERT_TRUE(env_.GetTrueTypeFontInfo("HeiseiMin-W3"));

  env_.ReleaseFontCaches();
  EXPECT_EQ(env_.EncodingCache().GetCount(), 0);
  EXPECT_EQ(env_.CMapCache().GetCount(), 0);
  EXPECT_EQ(env_.AFMCache().GetCount(), 0);
  EXPECT_EQ(env_.TrueTypeCache().GetCount(), 0);

  // Everything loads again: the search directory is scanned anew.
  WriteFile(folder_.Folder() + "Later.afm", AFMText("Later"));
  EXPECT_TRUE(env_.GetEncoding("WinAnsiEncoding"));
  EXPECT_TRUE(env_.GetCMap("Identity-H"));
  EXPECT_TRUE(env_.GetAFM("Later"));
  EXPECT_TRUE(env_.GetTrueTypeFontInfo("Arial"));
  EXPECT_EQ(enumerations, 2);
}

}  // namespace
