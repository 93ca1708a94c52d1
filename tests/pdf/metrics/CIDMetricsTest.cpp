// The built-in records of the two CID fonts: the header, the form of every
// row, the widths, and what a fill does to a record that already holds
// something or cannot get memory.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "tests/pdf/metrics/AllocationFailure.h"
#include "tests/pdf/metrics/CIDMetricsTestSupport.h"

namespace {

using cidtest::CIDs;
using cidtest::kCIDCount;
using cidtest::RowsOf;

struct Header {
  const char* name;
  const char* weight;
  int32_t bbox[4];
};

const Header kHeaders[] = {
    {"HeiseiMin-W3", "W3", {-123, -257, 1001, 910}},
    {"HeiseiKakuGo-W5", "W5", {-92, -250, 1010, 922}},
};

TEST(CIDRecords, EveryRowAndTheHeaderHaveTheFormOfACIDFontFile) {
  for (const Header& h : kHeaders) {
    SCOPED_TRACE(h.name);
    AFMFile afm;
    ASSERT_TRUE(afm.LoadBuiltIn(h.name));
    EXPECT_EQ(afm.GetCIDMetricCount(), kCIDCount);
    int32_t expected = 0;
    int32_t badRows = 0;
    afm.ForEachCIDMetric([&](int32_t cid, const AFMCharMetric& m) {
      const bool good = cid == expected && m.C == -1 && m.WY == 0 && m.VV[0] == 0 && m.VV[1] == 0 &&
                        m.N.IsEqual(std::to_string(cid).c_str());
      if (!good) ++badRows;
      ++expected;
    });
    EXPECT_EQ(badRows, 0);
    EXPECT_EQ(expected, kCIDCount);
    EXPECT_STREQ(afm.GetCIDMetric(0)->N.c_str(), "0");
    EXPECT_STREQ(afm.GetCIDMetric(8719)->N.c_str(), "8719");
    EXPECT_FALSE(afm.GetCIDMetric(8720));
    EXPECT_FALSE(afm.GetCIDMetric(-1));
    EXPECT_EQ(afm.GetCharMetricCount(), 0);

    EXPECT_STREQ(afm.FontName.c_str(), h.name);
    EXPECT_STREQ(afm.Weight.c_str(), h.weight);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(afm.FontBBox[i], h.bbox[i]);
    EXPECT_STREQ(afm.Version.c_str(), "3.010");
    EXPECT_STREQ(afm.CharacterSet.c_str(), "Adobe-Japan1-2");
    EXPECT_EQ(afm.Characters, kCIDCount);
    EXPECT_TRUE(afm.IsBaseFont);
    EXPECT_TRUE(afm.IsCIDFont);
    EXPECT_EQ(afm.CapHeight, h.bbox[3]);
    EXPECT_EQ(afm.Ascender, h.bbox[3]);
    EXPECT_EQ(afm.Descender, h.bbox[1]);
    EXPECT_EQ(afm.UnderlinePosition, -100);
    EXPECT_EQ(afm.UnderlineThickness, 50);
    EXPECT_EQ(afm.ItalicAngle, 0);
    // What the fill does not set keeps the constructor's value.
    EXPECT_TRUE(afm.FullName.IsEmpty());
    EXPECT_TRUE(afm.FamilyName.IsEmpty());
    EXPECT_TRUE(afm.Notice.IsEmpty());
    EXPECT_TRUE(afm.EncodingScheme.IsEmpty());
    EXPECT_EQ(afm.XHeight, 0);
    EXPECT_EQ(afm.StdHW, 0);
    EXPECT_EQ(afm.StdVW, 0);
    EXPECT_EQ(afm.stemV, 0);
    EXPECT_FALSE(afm.IsFixedPitch);
  }
}

TEST(CIDRecords, OnlyTheExactNamesReachTheTablesAndTheCacheKeepsOneRecord) {
  for (const char* name : {"heiseimin-w3", "HeiseiMin-w3", "HeiseiKakuGo-W5 ", " HeiseiMin-W3",
                           "HeiseiKakuGo", "HeiseiKakuGo-W5\n"}) {
    AFMFile afm;
    EXPECT_FALSE(afm.LoadBuiltIn(name)) << name;
    EXPECT_EQ(afm.GetCIDMetricCount(), 0) << name;
    EXPECT_TRUE(afm.FontName.IsEmpty()) << name;
  }
  CPDFEnv env;  // no AFM directory: the built-in tables answer
  AFMFile* min = env.GetAFM("HeiseiMin-W3");
  ASSERT_TRUE(min);
  EXPECT_EQ(env.GetAFM("HeiseiMin-W3"), min);
  AFMFile* go = env.GetAFM("HeiseiKakuGo-W5");
  ASSERT_TRUE(go);
  EXPECT_NE(go, min);
  EXPECT_STREQ(go->FontName.c_str(), "HeiseiKakuGo-W5");
  EXPECT_FALSE(env.GetAFM("HeiseiKakuGo-W5 "));
}

TEST(CIDRecords, AFillReplacesItsOwnRowsAndKeepsEverythingElse) {
  for (const Header& h : kHeaders) {
    SCOPED_TRACE(h.name);
    AFMFile afm;
    ASSERT_TRUE(afm.Notice.Assign("kept"));
    ASSERT_TRUE(afm.AddCIDMetric(5, 7, 1, 2, 3, 4, "old", 9, 9, 9, 9));
    ASSERT_TRUE(afm.AddCIDMetric(9000, -1, 321, 0, 0, 0, "9000", 1, 2, 3, 4));
    ASSERT_TRUE(afm.AddCharMetric("space", 32, 250, 0, 0, 0, "space", 0, 0, 0, 0));
    afm.Weight.Assign("Bold");
    ASSERT_TRUE(afm.LoadBuiltIn(h.name));
    EXPECT_EQ(afm.GetCIDMetricCount(), kCIDCount + 1);
    EXPECT_EQ(afm.GetCIDMetric(9000)->WX, 321);
    EXPECT_STREQ(afm.Notice.c_str(), "kept");
    EXPECT_TRUE(afm.GetCharMetric("space"));
    EXPECT_STREQ(afm.Weight.c_str(), h.weight);
    const AFMCharMetric* five = afm.GetCIDMetric(5);
    EXPECT_EQ(five->C, -1);
    EXPECT_STREQ(five->N.c_str(), "5");
    EXPECT_EQ(five->WX, RowsOf(h.name)[5].WX);
    EXPECT_EQ(five->B[2], RowsOf(h.name)[5].B[2]);
  }
}

// A row that cannot be added would leave Characters promising a CID that is
// not there, and a width array built from the record would shift: the fill
// answers false, so that the cache never keeps such a record.
TEST(CIDRecords, AFillThatRunsOutOfMemoryAnswersFalse) {
  for (const Header& h : kHeaders) {
    SCOPED_TRACE(h.name);
    {
      AFMFile afm;
      bool answer;
      {
        pntest::FailAllocation fail(2000);  // among the rows
        answer = afm.LoadBuiltIn(h.name);
      }
      EXPECT_FALSE(answer);
      EXPECT_EQ(afm.GetCIDMetricCount(), kCIDCount - 1);
    }
    {
      AFMFile afm;
      bool answer;
      {
        pntest::FailAllocation fail(0);  // the FontName text
        answer = afm.LoadBuiltIn(h.name);
      }
      EXPECT_FALSE(answer);
      EXPECT_TRUE(afm.FontName.IsEmpty());
    }
    AFMFile afm;
    EXPECT_TRUE(afm.LoadBuiltIn(h.name));
  }
}

// Rows per width, counted over the filled record.
std::map<int32_t, int32_t> Histogram(const char* name) {
  std::map<int32_t, int32_t> counts;
  for (const cidtest::Row& row : RowsOf(name)) ++counts[row.WX];
  return counts;
}

TEST(CIDWidths, HeiseiMinHistogramAndRunEdges) {
  const auto& rows = RowsOf("HeiseiMin-W3");
  const std::map<int32_t, int32_t> expected = {
      {1000, 8089}, {500, 461}, {167, 1}, {180, 1},  {200, 2}, {250, 4}, {276, 1},
      {278, 14},    {300, 3},   {310, 1}, {333, 32}, {350, 1}, {389, 3}, {400, 1},
      {408, 1},     {444, 21},  {453, 1}, {469, 1},  {480, 2}, {541, 1}, {556, 7},
      {564, 9},     {611, 10},  {667, 5}, {722, 34}, {750, 3}, {760, 2}, {778, 2},
      {833, 1},     {889, 3},   {921, 1}, {944, 1},  {980, 1}};
  EXPECT_EQ(Histogram("HeiseiMin-W3"), expected);
  EXPECT_EQ(cidtest::Where(rows, [](const cidtest::Row& r) { return r.WX != 1000; }),
            CIDs({{1, 123}, {126, 137}, {139, 632}, {8718, 8719}}));
  EXPECT_EQ(rows[0].WX, 1000);
  EXPECT_EQ(rows[229].WX, 444);
  EXPECT_EQ(rows[230].WX, 500);  // the run of 500 begins at 230
  for (int32_t cid : {124, 125, 138}) EXPECT_EQ(rows[cid].WX, 1000) << cid;
  EXPECT_EQ(rows[8717].WX, 1000);
  EXPECT_EQ(rows[8718].WX, 500);
  EXPECT_EQ(rows[8719].WX, 500);
}

TEST(CIDWidths, HeiseiKakuGoHistogramAndRunEdges) {
  const auto& rows = RowsOf("HeiseiKakuGo-W5");
  const auto counts = Histogram("HeiseiKakuGo-W5");
  EXPECT_EQ(counts.at(1000), 8092);
  EXPECT_EQ(counts.at(500), 419);
  EXPECT_EQ(counts.size(), 29u);
  int32_t others = 0;
  for (const auto& [width, n] : counts)
    if (width != 1000 && width != 500) others += n;
  EXPECT_EQ(others, 209);
  EXPECT_EQ(counts.begin()->first, 167);
  EXPECT_EQ(counts.rbegin()->first, 1015);
  auto inFirst230 = [&](int32_t width) {
    return cidtest::Where(
        rows, [&](const cidtest::Row& r) { return r.cid >= 1 && r.cid <= 230 && r.WX == width; });
  };
  EXPECT_EQ(inFirst230(1000), CIDs({{124}, {125}, {138}, {139}, {143}, {228}}));
  EXPECT_EQ(inFirst230(500), CIDs({{43},
                                   {68},
                                   {76},
                                   {84},
                                   {87},
                                   {89},
                                   {90},
                                   {91},
                                   {112},
                                   {113},
                                   {199},
                                   {220},
                                   {222},
                                   {227},
                                   {229}}));
  EXPECT_EQ(rows[1].WX, 278);
  EXPECT_EQ(rows[33].WX, 1015);
  EXPECT_EQ(rows[104].WX, 167);
  EXPECT_EQ(rows[230].WX, 556);
  EXPECT_EQ(rows[231].WX, 500);
  EXPECT_EQ(rows[632].WX, 500);
  EXPECT_EQ(rows[633].WX, 1000);
  EXPECT_EQ(rows[8717].WX, 1000);
  EXPECT_EQ(rows[8718].WX, 500);
  EXPECT_EQ(rows[8719].WX, 500);
}

}  // namespace
