// The installed Adobe-Japan1 CMap files (poppler-data), read in place
// through the CMap directory. Every test skips when they are absent.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>

#include "tests/pdf/font/CMapTestSupport.h"

namespace {

using cmaptest::Bytes;
using cmaptest::CIDToCode;
using cmaptest::CodeToCID;

const char kFolder[] = "/usr/share/poppler/cMap/Adobe-Japan1/";

class AdobeJapan1 : public testing::Test {
 protected:
  void SetUp() override {
    struct stat info;
    if (::stat((std::string(kFolder) + "UniJIS-UCS2-H").c_str(), &info) != 0) {
      FAIL() << "poppler-data is not installed (scripts/setup.sh installs it)";
    }
    scope_ = std::make_unique<cmaptest::ScopedCMapFolder>(kFolder);
  }
  void TearDown() override { scope_.reset(); }

  std::unique_ptr<CMapFile> Load(const char* name) {
    auto cmap = std::make_unique<CMapFile>();
    if (!cmap->Load(name)) return nullptr;
    return cmap;
  }

  std::unique_ptr<cmaptest::ScopedCMapFolder> scope_;
};

TEST_F(AdobeJapan1, HeadersAndCounts) {
  auto ucs2 = Load("UniJIS-UCS2-H");
  ASSERT_TRUE(ucs2);
  EXPECT_STREQ(ucs2->GetCMapName().c_str(), "UniJIS-UCS2-H");
  EXPECT_STREQ(ucs2->GetRegistry().c_str(), "Adobe");
  EXPECT_STREQ(ucs2->GetOrdering().c_str(), "Japan1");
  EXPECT_EQ(ucs2->GetSupplement(), 4);
  EXPECT_EQ(ucs2->GetWMode(), 0);
  EXPECT_EQ(ucs2->GetCodespaceRangeCount(), 2);
  EXPECT_EQ(ucs2->GetNotdefRangeCount(), 1);
  EXPECT_EQ(ucs2->GetCIDRangeCount(), 8533);

  auto rksj = Load("90ms-RKSJ-H");
  ASSERT_TRUE(rksj);
  EXPECT_EQ(rksj->GetSupplement(), 2);
  EXPECT_EQ(rksj->GetCodespaceRangeCount(), 4);
  EXPECT_EQ(rksj->GetNotdefRangeCount(), 1);
  EXPECT_EQ(rksj->GetCIDRangeCount(), 171);

  EXPECT_FALSE(Load("90MS-RKSJ-H"));  // names are case-sensitive
}

TEST_F(AdobeJapan1, ShiftJISCodesToCIDs) {
  auto rksj = Load("90ms-RKSJ-H");
  ASSERT_TRUE(rksj);
  EXPECT_EQ(CodeToCID(*rksj, {0x41, 0x82, 0xA0, 0x88, 0x9F, 0xB1, 0x87, 0x40}),
            (Bytes{0x01, 0x08, 0x03, 0x4B, 0x04, 0x65, 0x01, 0x57, 0x1D, 0x83}));
  EXPECT_EQ(CodeToCID(*rksj, {0x5C}), (Bytes{0x01, 0x23}));
  EXPECT_EQ(CodeToCID(*rksj, {0x7E}), (Bytes{0x02, 0x77}));
}

TEST_F(AdobeJapan1, UnicodeBothWays) {
  auto ucs2 = Load("UniJIS-UCS2-H");
  ASSERT_TRUE(ucs2);
  EXPECT_EQ(CodeToCID(*ucs2, {0x00, 0x41, 0x30, 0x42}), (Bytes{0x00, 0x22, 0x03, 0x4B}));
  EXPECT_EQ(CIDToCode(*ucs2, {0x00, 0x22, 0x03, 0x4B}), (Bytes{0x00, 0x41, 0x30, 0x42}));
}

TEST_F(AdobeJapan1, VerticalCMapsReachTheirParent) {
  auto rksj = Load("90ms-RKSJ-V");
  ASSERT_TRUE(rksj);
  EXPECT_EQ(rksj->GetWMode(), 1);
  EXPECT_STREQ(rksj->GetUseCMapName().c_str(), "90ms-RKSJ-H");
  ASSERT_TRUE(rksj->GetParent());
  EXPECT_STREQ(rksj->GetParent()->GetCMapName().c_str(), "90ms-RKSJ-H");
  EXPECT_EQ(CodeToCID(*rksj, {0x81, 0x41}), (Bytes{0x1E, 0xCF}));
  EXPECT_EQ(CodeToCID(*rksj, {0x82, 0xA0}), (Bytes{0x03, 0x4B}));

  auto ucs2 = Load("UniJIS-UCS2-V");
  ASSERT_TRUE(ucs2);
  EXPECT_EQ(CIDToCode(*ucs2, {0x1E, 0xCF}), (Bytes{0x30, 0x01}));
  EXPECT_EQ(CIDToCode(*ucs2, {0x02, 0x7A}), (Bytes{0x30, 0x01}));
}

TEST_F(AdobeJapan1, CIDCharEntries) {
  auto utf16 = Load("UniJIS-UTF16-H");
  ASSERT_TRUE(utf16);
  EXPECT_EQ(CodeToCID(*utf16, {0x00, 0x5C}), (Bytes{0x00, 0x61}));
  EXPECT_EQ(CodeToCID(*utf16, {0x4E, 0x9C}), (Bytes{0x04, 0x65}));
  EXPECT_EQ(CodeToCID(*utf16, {0x30, 0x42}), (Bytes{0x03, 0x4B}));
}

}  // namespace
