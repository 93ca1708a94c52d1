// The environment's font-resource lookups, each test on its own environment
// so that the caches start empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "pdf/document/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "pdf/font/CMapFile.h"
#include "pdf/font/EncodingTable.h"
#include "tests/pdf/font/CMapTestSupport.h"
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
  EXPECT_EQ(helvetica->GetCharMetricCount(), 228);
  EXPECT_EQ(env_.GetAFM("Helvetica"), helvetica);
  EXPECT_EQ(env_.AFMCache().GetCount(), 2);

  env_.ReleaseFontCaches();
  EXPECT_EQ(env_.AFMCache().GetCount(), 0);
  EXPECT_FALSE(env_.GetAFM("Alias"));
}

}  // namespace
