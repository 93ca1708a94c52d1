// The AFM reader: texts parsed from memory, and files in a folder the tests
// write for LoadFile and FindOrLoad.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "pdf/object/CPDFInStream.h"
#include "tests/platform/ScopedTestState.h"

namespace {

const std::string kHead =
    "StartFontMetrics 4.1\n"
    "Comment a test font\n"
    "FontName Test-Regular\n"
    "FontBBox -166 -225 1000 931\n";

const std::string kMetrics =
    "StartCharMetrics 2\n"
    "C 32 ; WX 250 ; N space ; B 0 0 0 0 ;\n"
    "C -1 ; WX 556 ; N fi ; B 10 0 500 700 ; L f fi ;\n"
    "EndCharMetrics\n";

// The record after Parse over the text; Parse's answer in *ok.
std::unique_ptr<AFMFile> ParseText(const std::string& text, bool* ok) {
  auto afm = std::make_unique<AFMFile>();
  CPDFMemInStream in;
  EXPECT_TRUE(in.Open(text.data(), static_cast<int32_t>(text.size())));
  *ok = afm->Parse(in);
  in.Close();
  return afm;
}

// The record when the text parses, none otherwise.
std::unique_ptr<AFMFile> Parsed(const std::string& text) {
  bool ok = false;
  auto afm = ParseText(text, &ok);
  return ok ? std::move(afm) : nullptr;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

TEST(AFMReader, CompleteTextLoadsAndMissingNameOrEmptyBoxIsRejected) {
  auto afm = Parsed(kHead + kMetrics + "EndFontMetrics\n");
  ASSERT_TRUE(afm);
  EXPECT_STREQ(afm->FontName.c_str(), "Test-Regular");
  EXPECT_EQ(afm->FontBBox[0], -166);
  EXPECT_EQ(afm->FontBBox[3], 931);
  EXPECT_EQ(afm->GetCharMetricCount(), 2);

  EXPECT_FALSE(Parsed("StartFontMetrics 4.1\nFontBBox -166 -225 1000 931\n" + kMetrics));
  EXPECT_FALSE(Parsed("StartFontMetrics 4.1\nFontName X\nFontBBox 0 0 0 0\n" + kMetrics));
  // "FontName" with nothing behind it leaves the name empty.
  EXPECT_FALSE(Parsed("StartFontMetrics 4.1\nFontName   \nFontBBox 1 1 1 1\n"));
  // The first line must begin with the keyword, from its first byte.
  EXPECT_FALSE(Parsed(" StartFontMetrics 4.1\nFontName X\nFontBBox 1 1 1 1\n"));
  EXPECT_FALSE(Parsed("FontName X\nFontBBox 1 1 1 1\n"));
  EXPECT_FALSE(Parsed(""));
  // A box of fewer than four numbers is not stored.
  EXPECT_FALSE(Parsed("StartFontMetrics 4.1\nFontName X\nFontBBox 1 2 3\n"));
}

TEST(AFMReader, HeaderValuesReadLikeA32BitAtolAndFlagsOnlyByExactTrue) {
  auto afm = Parsed(kHead +
                    "ItalicAngle -12.5\nUnderlinePosition -100\nCapHeight 123456789012\n"
                    "Descender -123456789012\nIsFixedPitch True\nIsBaseFont true\n"
                    "XHeight abc\nVVector 12\nCharWidth 600 0\nstemV 88\nStdVW 77\n"
                    "Weight  Bold  Condensed \nCharacterSet AdobeStandardLatin\n"
                    "Characters 315\n");
  ASSERT_TRUE(afm);
  EXPECT_EQ(afm->ItalicAngle, -12);
  EXPECT_EQ(afm->UnderlinePosition, -100);
  EXPECT_EQ(afm->CapHeight, 2147483647);
  EXPECT_EQ(afm->Descender, -2147483647 - 1);
  EXPECT_FALSE(afm->IsFixedPitch);
  EXPECT_TRUE(afm->IsBaseFont);
  EXPECT_EQ(afm->XHeight, 0);
  EXPECT_EQ(afm->VVector[0], 0);  // one number of two: not stored
  EXPECT_EQ(afm->CharWidth[0], 600);
  EXPECT_EQ(afm->stemV, 88);
  EXPECT_EQ(afm->StdVW, 77);
  // Strings run to the end of the line, inner and trailing blanks kept.
  EXPECT_STREQ(afm->Weight.c_str(), "Bold  Condensed ");
  EXPECT_STREQ(afm->CharacterSet.c_str(), "AdobeStandardLatin");
  EXPECT_EQ(afm->Characters, 315);

  afm = Parsed(kHead + "IsFixedPitch true\n");
  ASSERT_TRUE(afm);
  EXPECT_TRUE(afm->IsFixedPitch);
  afm = Parsed(kHead + "IsFixedPitch true\nIsFixedPitch false\n");
  ASSERT_TRUE(afm);
  EXPECT_FALSE(afm->IsFixedPitch);
}

TEST(AFMReader, CharMetricLinesMakeEntriesAndPassOverEverythingElse) {
  auto afm = Parsed(kHead + kMetrics);
  ASSERT_TRUE(afm);
  const AFMCharMetric* space = afm->GetCharMetric("space");
  ASSERT_TRUE(space);
  EXPECT_EQ(space->C, 32);
  EXPECT_EQ(space->WX, 250);
  EXPECT_STREQ(space->N.c_str(), "space");
  const AFMCharMetric* fi = afm->GetCharMetric("fi");
  ASSERT_TRUE(fi);
  EXPECT_EQ(fi->C, -1);
  EXPECT_EQ(fi->WX, 556);
  EXPECT_EQ(fi->B[2], 500);
  // The ligature's names make no entries.
  EXPECT_FALSE(afm->GetCharMetric("f"));
  EXPECT_EQ(afm->GetCharMetricCount(), 2);
  EXPECT_FALSE(afm->GetCharMetric("Space"));
  EXPECT_FALSE(afm->GetCharMetric(nullptr));

  afm = Parsed(kHead +
               "StartCharMetrics 4\n"
               "CH <8140> ; WX 1000 ; N kanji ;\n"
               "CH <FF> ; N ydieresis ;\n"
               "CH <010203> ; N three ;\n"
               "C 65 ; W 600 -20 ; VV 300 880 ; N A ; B 1 2 3 4 ; KP x y ;\n"
               "C 66 ; W0X 10 ; W1Y 20 ; N name; WX 250;\n"
               "% a comment inside the section\n"
               "EndCharMetrics\n"
               "KPX A V -80\nKPX space A -55\n"
               "EndFontMetrics\n");
  ASSERT_TRUE(afm);
  EXPECT_EQ(afm->GetCharMetric("kanji")->C, 33088);
  EXPECT_EQ(afm->GetCharMetric("ydieresis")->C, 255);
  EXPECT_EQ(afm->GetCharMetric("three")->C, 0);
  const AFMCharMetric* a = afm->GetCharMetric("A");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->WX, 600);
  EXPECT_EQ(a->WY, -20);
  EXPECT_EQ(a->VV[0], 300);
  EXPECT_EQ(a->VV[1], 880);
  EXPECT_EQ(a->B[0], 1);
  EXPECT_EQ(a->B[3], 4);
  // A name against its semicolon keeps it; a number stops before it.
  EXPECT_FALSE(afm->GetCharMetric("name"));
  const AFMCharMetric* named = afm->GetCharMetric("name;");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->WX, 250);
  EXPECT_EQ(named->WY, 20);
  EXPECT_EQ(afm->GetCharMetricCount(), 5);  // kerning lines add nothing
}

TEST(AFMReader, LaterLineOfOneNameReplacesTheEarlier) {
  auto afm = Parsed(kHead +
                    "StartCharMetrics 2\nC 1 ; WX 100 ; N a ;\nC 2 ; WX 200 ; N a ;\n"
                    "EndCharMetrics\n");
  ASSERT_TRUE(afm);
  EXPECT_EQ(afm->GetCharMetricCount(), 1);
  EXPECT_EQ(afm->GetCharMetric("a")->WX, 200);
  std::vector<std::string> names;
  afm->ForEachCharMetric([&](const AFMCharMetric& m) { names.emplace_back(m.N.c_str()); });
  EXPECT_EQ(names, std::vector<std::string>{"a"});
}

TEST(AFMReader, LineWithoutNameInCharMetricsFailsTheFile) {
  EXPECT_FALSE(Parsed(kHead + "StartCharMetrics 1\nComment no glyph here\nEndCharMetrics\n"));
  EXPECT_FALSE(Parsed(kHead + "StartCharMetrics 1\nC 32 ; WX 250 ; N\nEndCharMetrics\n"));
  // Outside the section the same line is a comment.
  EXPECT_TRUE(Parsed(kHead + "Comment no glyph here\n"));
}

TEST(AFMReader, CIDFontEntriesGoToTheCIDMapInAscendingOrder) {
  auto afm = Parsed(kHead +
                    "IsCIDFont true\nStartCharMetrics 3\n"
                    "C -1 ; W0X 1000 ; N 845 ;\nC -1 ; W0X 500 ; N 2 ;\n"
                    "C -1 ; W0X 250 ; N 845 ;\nEndCharMetrics\n");
  ASSERT_TRUE(afm);
  EXPECT_EQ(afm->GetCharMetricCount(), 0);
  EXPECT_EQ(afm->GetCIDMetricCount(), 2);
  ASSERT_TRUE(afm->GetCIDMetric(845));
  EXPECT_EQ(afm->GetCIDMetric(845)->WX, 250);
  std::vector<int32_t> cids;
  afm->ForEachCIDMetric([&](int32_t cid, const AFMCharMetric&) { cids.push_back(cid); });
  EXPECT_EQ(cids, (std::vector<int32_t>{2, 845}));

  // IsCIDFont after the section is too late for the entries.
  afm = Parsed(kHead + "StartCharMetrics 1\nC -1 ; WX 1000 ; N 845 ;\nEndCharMetrics\n" +
               "IsCIDFont true\n");
  ASSERT_TRUE(afm);
  EXPECT_TRUE(afm->IsCIDFont);
  EXPECT_EQ(afm->GetCharMetricCount(), 1);
  EXPECT_EQ(afm->GetCIDMetricCount(), 0);
}

TEST(AFMReader, OnlyAWholeEndLineEndsTheText) {
  // With a trailing blank reading goes on: the name that follows still counts.
  auto afm = Parsed("StartFontMetrics 4.1\nFontBBox 1 2 3 4\nEndFontMetrics \nFontName Late\n");
  ASSERT_TRUE(afm);
  EXPECT_STREQ(afm->FontName.c_str(), "Late");
  EXPECT_FALSE(Parsed("StartFontMetrics 4.1\nFontBBox 1 2 3 4\nEndFontMetrics\nFontName Late\n"));
}

TEST(AFMReader, OverlongLinesAreReadInPieces) {
  const std::string longName(600, 'x');
  auto afm = Parsed(kHead + "Notice " + longName + "\n");
  ASSERT_TRUE(afm);
  EXPECT_EQ(afm->Notice.GetLength(), 254 - 7);
}

TEST(AFMReader, AddersReplaceAndOrderTheirEntries) {
  AFMFile afm;
  EXPECT_TRUE(afm.AddCharMetric("b", 98, 500, 0, 0, 0, "b", 0, 0, 1, 1));
  EXPECT_TRUE(afm.AddCharMetric("a", 97, 400, 0, 0, 0, "a", 0, 0, 1, 1));
  EXPECT_TRUE(afm.AddCharMetric("a", 97, 450, 0, 0, 0, "a", 0, 0, 1, 1));
  EXPECT_EQ(afm.GetCharMetricCount(), 2);
  EXPECT_EQ(afm.GetCharMetric("a")->WX, 450);
  std::string order;
  afm.ForEachCharMetric([&](const AFMCharMetric& m) { order += m.N.c_str(); });
  EXPECT_EQ(order, "ab");

  for (int32_t cid = 0; cid < 8720; ++cid) {
    ASSERT_TRUE(afm.AddCIDMetric(cid, -1, 1000, 0, 500, 880, std::to_string(cid).c_str(), 0, -120,
                                 1000, 880));
  }
  EXPECT_TRUE(afm.AddCIDMetric(17, -1, 500, 0, 0, 0, "17", 0, 0, 0, 0));
  EXPECT_EQ(afm.GetCIDMetricCount(), 8720);
  EXPECT_EQ(afm.GetCIDMetric(17)->WX, 500);
  int32_t expected = 0;
  bool ordered = true;
  afm.ForEachCIDMetric([&](int32_t cid, const AFMCharMetric&) { ordered &= cid == expected++; });
  EXPECT_TRUE(ordered);
  EXPECT_EQ(expected, 8720);
}

TEST(AFMBuiltIns, NamesAreExactAndEveryTableFills) {
  AFMFile afm;
  EXPECT_FALSE(afm.LoadBuiltIn("helvetica"));
  EXPECT_FALSE(afm.LoadBuiltIn("Arial"));
  EXPECT_FALSE(afm.LoadBuiltIn(nullptr));
  // The sixteen names dispatch to their fills (the tables: tests/pdf/metrics).
  for (const char* name : {"Courier", "Helvetica", "Times-Roman", "Symbol", "ZapfDingbats",
                           "HeiseiMin-W3", "HeiseiKakuGo-W5"}) {
    AFMFile font;
    EXPECT_TRUE(font.LoadBuiltIn(name)) << name;
  }
}

// The process-wide AFM directory set for one test.
class AFMDirectoryTest : public ::testing::Test {
 protected:
  void TearDown() override { CPDFEnv::Global().SetAFMDirectory(nullptr); }
  pntest::TempFolder folder_;
};

TEST_F(AFMDirectoryTest, FindOrLoadReadsNameDotAfmFromTheDirectory) {
  const std::string dir = folder_.Folder() + "afm/";
  std::filesystem::create_directory(dir);
  WriteFile(dir + "Test-Regular.afm", kHead + kMetrics);
  AFMFile unset;
  EXPECT_FALSE(unset.FindOrLoad("Test-Regular"));  // no directory: no file step

  CPDFEnv::Global().SetAFMDirectory(dir.c_str());
  AFMFile afm;
  ASSERT_TRUE(afm.FindOrLoad("Test-Regular"));
  EXPECT_EQ(afm.GetCharMetric("space")->WX, 250);
  AFMFile lower;
  EXPECT_FALSE(lower.FindOrLoad("test-regular"));
}

TEST_F(AFMDirectoryTest, NamesNeverLeaveTheDirectory) {
  const std::string dir = folder_.Folder() + "afm/";
  std::filesystem::create_directory(dir);
  std::filesystem::create_directory(dir + "a");
  WriteFile(folder_.Folder() + "x.afm", kHead);
  WriteFile(dir + "a/b.afm", kHead);
  WriteFile(dir + ".hidden.afm", kHead);
  CPDFEnv::Global().SetAFMDirectory(dir.c_str());
  for (const char* name : {"../x", "a/b", "a\\b", ".hidden", ""}) {
    AFMFile afm;
    EXPECT_FALSE(afm.FindOrLoad(name)) << name;
    EXPECT_TRUE(afm.FontName.IsEmpty()) << name;
  }
  AFMFile none;
  EXPECT_FALSE(none.FindOrLoad(nullptr));
  const std::string longName(5000, 'n');
  AFMFile tooLong;
  EXPECT_FALSE(tooLong.FindOrLoad(longName.c_str()));
  EXPECT_FALSE(tooLong.LoadFile((dir + longName + ".afm").c_str()));
  EXPECT_FALSE(AFMFile::IsSafeName(std::string(256, 'n').c_str()));
  EXPECT_TRUE(AFMFile::IsSafeName(std::string(255, 'n').c_str()));
}

TEST_F(AFMDirectoryTest, FailedFileLeavesAFreshRecordForTheBuiltIns) {
  const std::string dir = folder_.Folder();
  WriteFile(dir + "Helvetica.afm",
            "StartFontMetrics 4.1\nFontName Helvetica\nFontBBox 0 0 0 0\nIsCIDFont true\n"
            "IsFixedPitch true\nStartCharMetrics 1\nC -1 ; WX 9 ; N 7 ;\nEndCharMetrics\n"
            "IsCIDFont false\nStartCharMetrics 1\nC 1 ; WX 9 ; N zzz ;\nEndCharMetrics\n"
            "IsCIDFont true\n");
  CPDFEnv::Global().SetAFMDirectory(dir.c_str());
  AFMFile afm;
  EXPECT_TRUE(afm.FindOrLoad("Helvetica"));  // the built-in table, on a fresh record
  EXPECT_FALSE(afm.GetCharMetric("zzz"));
  EXPECT_EQ(afm.GetCharMetricCount(), 315);
  EXPECT_EQ(afm.GetCIDMetricCount(), 0);
  EXPECT_FALSE(afm.IsCIDFont);
  EXPECT_FALSE(afm.IsFixedPitch);
  EXPECT_STREQ(afm.FontName.c_str(), "Helvetica");
}

TEST_F(AFMDirectoryTest, LoadFileTakesOnlyRegularFilesOfBoundedSize) {
  const std::string dir = folder_.Folder();
  AFMFile afm;
  EXPECT_FALSE(afm.LoadFile(dir.c_str()));  // a folder
  EXPECT_FALSE(afm.LoadFile((dir + "missing.afm").c_str()));
  EXPECT_FALSE(afm.LoadFile(nullptr));
  const std::string big = dir + "big.afm";
  WriteFile(big, kHead);
  std::filesystem::resize_file(big, static_cast<uintmax_t>(AFMFile::kMaxFileSize) + 1);
  EXPECT_FALSE(afm.LoadFile(big.c_str()));
  WriteFile(big, kHead + kMetrics);
  EXPECT_TRUE(afm.LoadFile(big.c_str()));
}

}  // namespace
