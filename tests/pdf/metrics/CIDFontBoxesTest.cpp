// The glyph boxes of the two CID fonts, checked against the rules they obey
// together. Every expected set and count is taken from the filled records.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <vector>

#include "tests/pdf/metrics/CIDMetricsTestSupport.h"

namespace {

using cidtest::CIDs;
using cidtest::kCIDCount;
using cidtest::Row;
using cidtest::RowsOf;
using cidtest::Span;
using cidtest::Where;
using Box = std::array<int32_t, 4>;

enum { kLlx, kLly, kUrx, kUry };

struct Stated {
  int32_t cid;
  int32_t WX;
  Box B;
};

void ExpectStated(const std::vector<Row>& rows, std::initializer_list<Stated> stated) {
  for (const Stated& s : stated) {
    EXPECT_EQ(rows[s.cid].WX, s.WX) << "CID " << s.cid;
    EXPECT_EQ(rows[s.cid].B, s.B) << "CID " << s.cid;
  }
}

// Every box ordered, every inked box of positive size; the empty ones.
void ExpectOrderedWithEmpties(const std::vector<Row>& rows) {
  const auto disordered = Where(rows, [](const Row& r) {
    return r.B[kLlx] > r.B[kUrx] || r.B[kLly] > r.B[kUry] ||
           (r.Inked() && (r.B[kLlx] == r.B[kUrx] || r.B[kLly] == r.B[kUry]));
  });
  EXPECT_TRUE(disordered.empty()) << "first " << *disordered.begin();
  EXPECT_EQ(Where(rows, [](const Row& r) { return !r.Inked(); }),
            CIDs({{0}, {1}, {231}, {326}, {422}, {515}, {633}, {8229}}));
}

// The union of the inked boxes, and the CIDs reaching each of its edges.
void ExpectUnion(const std::vector<Row>& rows, const Box& bbox,
                 const std::array<std::set<int32_t>, 4>& holders) {
  const auto all = CIDs({{0, kCIDCount - 1}});
  for (int c = 0; c < 4; ++c) {
    const auto span = Span(rows, all, c);
    EXPECT_EQ(c < 2 ? span[0] : span[1], bbox[c]) << "coordinate " << c;
    EXPECT_EQ(Where(rows, [&](const Row& r) { return r.Inked() && r.B[c] == bbox[c]; }), holders[c])
        << "coordinate " << c;
  }
}

struct ClassRange {
  std::set<int32_t> cids;
  int32_t bounds[4][2];  // per coordinate: least and greatest
};

void ExpectRanges(const std::vector<Row>& rows, const std::vector<ClassRange>& ranges) {
  for (const ClassRange& range : ranges) {
    for (int c = 0; c < 4; ++c) {
      const auto span = Span(rows, range.cids, c);
      EXPECT_EQ(span[0], range.bounds[c][0]) << "class from " << *range.cids.begin() << ", " << c;
      EXPECT_EQ(span[1], range.bounds[c][1]) << "class from " << *range.cids.begin() << ", " << c;
    }
  }
}

// The inked boxes among the CIDs (but the exceptions) that leave lo..hi on
// the axis (x: llx and urx, y: lly and ury).
std::set<int32_t> Leaving(const std::vector<Row>& rows, const std::set<int32_t>& cids, bool x,
                          int32_t lo, int32_t hi) {
  return Where(rows, [&](const Row& r) {
    const int32_t low = r.B[x ? kLlx : kLly];
    const int32_t high = r.B[x ? kUrx : kUry];
    return cids.count(r.cid) && r.Inked() && (low < lo || high > hi);
  });
}

std::set<int32_t> LeftOfOrigin(const std::vector<Row>& rows) {
  return Where(rows, [](const Row& r) { return r.B[kLlx] < 0; });
}
std::set<int32_t> PastAdvance(const std::vector<Row>& rows) {
  return Where(rows, [](const Row& r) { return r.B[kUrx] > r.WX; });
}

std::set<int32_t> WithBox(const std::vector<Row>& rows, const Box& box) {
  return Where(rows, [&](const Row& r) { return r.B == box; });
}

// ----------------------------------------------------------------- HeiseiMin

const std::set<int32_t> kMinHalf = CIDs({{230, 632}, {8718, 8719}});
const std::set<int32_t> kMinFull = CIDs({{633, 8717}});

TEST(HeiseiMinBoxes, OrderedEmptiesUnionAndEdgeHolders) {
  const auto& rows = RowsOf("HeiseiMin-W3");
  ExpectOrderedWithEmpties(rows);
  ExpectUnion(rows, {-123, -257, 1001, 910}, {{{75}, {159}, {8166}, {599, 606, 615, 616}}});
}

TEST(HeiseiMinBoxes, ClassRangesAreKeptAndReached) {
  ExpectRanges(RowsOf("HeiseiMin-W3"),
               {{CIDs({{1, 229}}), {{-123, 151}, {-257, 784}, {122, 972}, {-75, 899}}},
                {CIDs({{230, 632}}), {{0, 315}, {-187, 837}, {127, 500}, {-76, 910}}},
                {kMinFull, {{-1, 954}, {-121, 838}, {46, 1001}, {-78, 880}}},
                {CIDs({{8718, 8719}}), {{10, 62}, {-67, 172}, {447, 490}, {457, 825}}}});
}

TEST(HeiseiMinBoxes, CellsAndTheBoxesThatLeaveTheirAdvance) {
  const auto& rows = RowsOf("HeiseiMin-W3");
  EXPECT_TRUE(Leaving(rows, kMinHalf, true, 0, 500).empty());
  EXPECT_EQ(Leaving(rows, kMinFull, true, 0, 1000), CIDs({{8166}, {8169}}));
  EXPECT_TRUE(Leaving(rows, kMinFull, false, -121, 880).empty());
  EXPECT_EQ(PastAdvance(rows), CIDs({{9}, {16}, {71}, {97}, {104}, {135}, {177}, {8166}}));
  EXPECT_EQ(LeftOfOrigin(rows),
            CIDs({{10}, {16}, {43}, {75}, {90}, {97}, {104}, {177}, {220}, {222}, {8169}}));
}

TEST(HeiseiMinBoxes, EmSquareSeriesAndBars) {
  const auto& rows = RowsOf("HeiseiMin-W3");
  EXPECT_EQ(WithBox(rows, {0, -120, 1000, 880}),
            CIDs({{779}, {7539, 7554}, {8237}, {8253}, {8255, 8258}}));
  EXPECT_EQ(Where(rows, [](const Row& r) { return r.B[kLly] == -121; }),
            CIDs({{8174}, {8175}, {8177}, {8178}, {8179}, {8181}}));
  for (int32_t k = 1; k <= 8; ++k)
    EXPECT_EQ(rows[8229 + k].B, (Box{0, -120, 1000, -120 + 125 * k})) << k;
  for (int32_t k = 1; k <= 7; ++k) EXPECT_EQ(rows[8237 + k].B, (Box{0, -120, 125 * k, 880})) << k;
  EXPECT_EQ(rows[7479].B, (Box{0, 360, 1000, 400}));
  EXPECT_EQ(rows[7480].B, (Box{0, 320, 1000, 440}));
  EXPECT_EQ(rows[7481].B, (Box{480, -120, 520, 880}));
  EXPECT_EQ(rows[7482].B, (Box{440, -120, 560, 880}));
}

// Over the 8083 inked full-width boxes: each coordinate's median (rank
// 4042) is the stated one, and ranks 2021 and 6063 lie in the stated band.
TEST(HeiseiMinBoxes, FullWidthMediansAndMiddleHalf) {
  const auto& rows = RowsOf("HeiseiMin-W3");
  const int32_t bands[4][3] = {{41, 47, 56}, {-73, -69, -65}, {947, 953, 960}, {819, 829, 834}};
  for (int c = 0; c < 4; ++c) {
    std::vector<int32_t> values;
    for (int32_t cid : kMinFull)
      if (rows[cid].Inked()) values.push_back(rows[cid].B[c]);
    ASSERT_EQ(values.size(), 8083u);
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values[4041], bands[c][1]) << c;
    for (size_t rank : {2021u, 6063u}) {
      EXPECT_GE(values[rank - 1], bands[c][0]) << c << " rank " << rank;
      EXPECT_LE(values[rank - 1], bands[c][2]) << c << " rank " << rank;
    }
  }
}

TEST(HeiseiMinBoxes, TellingRows) {
  ExpectStated(RowsOf("HeiseiMin-W3"),
               {{0, 1000, {0, 0, 0, 0}},           {1, 250, {0, 0, 0, 0}},
                {2, 333, {120, -11, 213, 723}},    {75, 278, {-123, -241, 193, 630}},
                {104, 167, {-117, -12, 284, 705}}, {159, 500, {23, -257, 478, 461}},
                {228, 980, {26, 353, 904, 709}},   {230, 500, {41, -30, 459, 721}},
                {231, 500, {0, 0, 0, 0}},          {599, 500, {15, -7, 489, 910}},
                {633, 1000, {0, 0, 0, 0}},         {649, 1000, {0, 838, 1000, 880}},
                {650, 1000, {0, -120, 1000, -78}}, {779, 1000, {0, -120, 1000, 880}},
                {2680, 1000, {47, -65, 960, 832}}, {8166, 1000, {297, 247, 1001, 380}},
                {8169, 1000, {-1, 271, 999, 405}}, {8717, 1000, {48, -69, 948, 811}},
                {8718, 500, {62, 172, 447, 457}},  {8719, 500, {10, -67, 490, 825}}});
}

// -------------------------------------------------------------- HeiseiKakuGo

const std::set<int32_t> kGoHalf = CIDs({{231, 632}, {8718, 8719}});
const std::set<int32_t> kGoFull = CIDs({{633, 8717}});

// The boxes that leave x 0 to their advance, whole.
const std::initializer_list<Stated> kGoOverhangs = {
    {16, 278, {-14, -40, 291, 682}},     {44, 667, {83, 0, 685, 674}},
    {53, 611, {-4, 0, 617, 674}},        {55, 667, {1, 0, 674, 674}},
    {63, 469, {-30, 246, 500, 700}},     {71, 278, {6, 0, 315, 753}},
    {75, 222, {-36, -216, 181, 751}},    {76, 500, {69, 0, 508, 759}},
    {97, 278, {-12, -40, 292, 682}},     {100, 584, {-2, 187, 597, 376}},
    {104, 167, {-92, -5, 293, 655}},     {127, 333, {139, 586, 355, 744}},
    {135, 333, {78, 586, 422, 745}},     {139, 1000, {-4, 0, 956, 674}},
    {141, 556, {-5, 0, 509, 674}},       {147, 222, {-4, 0, 236, 745}},
    {152, 737, {31, -12, 769, 712}},     {154, 737, {31, -12, 769, 712}},
    {175, 278, {-17, 0, 205, 833}},      {176, 278, {76, 0, 299, 833}},
    {177, 278, {-19, 0, 297, 833}},      {178, 278, {-24, 0, 302, 834}},
    {204, 278, {-35, 0, 196, 746}},      {205, 278, {82, 0, 317, 745}},
    {206, 278, {-6, 0, 289, 746}},       {207, 278, {-24, 0, 306, 717}},
    {230, 556, {-42, -53, 593, 720}},    {366, 500, {19, -79, 503, 847}},
    {546, 500, {9, -59, 501, 801}},      {574, 500, {3, -35, 501, 845}},
    {577, 500, {27, -81, 501, 868}},     {578, 500, {66, 4, 501, 876}},
    {579, 500, {51, -43, 503, 872}},     {581, 500, {43, -69, 501, 875}},
    {585, 500, {39, -48, 501, 874}},     {586, 500, {32, 10, 504, 854}},
    {589, 500, {22, -40, 503, 875}},     {598, 500, {47, -49, 503, 863}},
    {8153, 1000, {-15, -103, 951, 864}}, {8192, 1000, {2, -12, 1010, 733}}};

TEST(HeiseiKakuGoBoxes, OrderedAndEmpty) { ExpectOrderedWithEmpties(RowsOf("HeiseiKakuGo-W5")); }

TEST(HeiseiKakuGoBoxes, UnionHasOneHolderPerEdge) {
  ExpectUnion(RowsOf("HeiseiKakuGo-W5"), {-92, -250, 1010, 922}, {{{104}, {99}, {8192}, {606}}});
}

TEST(HeiseiKakuGoBoxes, ClassBoundsAreKeptAndReached) {
  ExpectRanges(RowsOf("HeiseiKakuGo-W5"),
               {{CIDs({{1, 230}}), {{-92, 149}, {-250, 621}, {148, 1000}, {-75, 885}}},
                {kGoHalf, {{0, 312}, {-196, 836}, {124, 504}, {-77, 922}}},
                {kGoFull, {{-15, 959}, {-120, 836}, {40, 1010}, {-77, 880}}}});
}

TEST(HeiseiKakuGoBoxes, CellsWithTheirExceptions) {
  const auto& rows = RowsOf("HeiseiKakuGo-W5");
  EXPECT_EQ(Leaving(rows, kGoFull, true, 0, 1000), CIDs({{8153}, {8192}}));
  EXPECT_TRUE(Leaving(rows, kGoFull, false, -120, 880).empty());
  EXPECT_TRUE(Leaving(rows, kGoHalf, true, 0, 504).empty());
  EXPECT_EQ(Leaving(rows, kGoHalf, false, -120, 880),
            CIDs({{599}, {604}, {605}, {606}, {615}, {616}}));
}

TEST(HeiseiKakuGoBoxes, OnlyThreeBoxesLieBelowTheBaseline) {
  const auto& rows = RowsOf("HeiseiKakuGo-W5");
  EXPECT_EQ(Where(rows, [](const Row& r) { return r.Inked() && r.B[kUry] <= 0; }),
            CIDs({{64}, {294}, {650}}));
}

TEST(HeiseiKakuGoBoxes, TheFortyBoxesThatLeaveTheirAdvance) {
  const auto& rows = RowsOf("HeiseiKakuGo-W5");
  std::set<int32_t> table;
  for (const Stated& s : kGoOverhangs) table.insert(s.cid);
  const auto left = LeftOfOrigin(rows);
  const auto right = PastAdvance(rows);
  std::set<int32_t> either = left;
  either.insert(right.begin(), right.end());
  EXPECT_EQ(either, table);
  EXPECT_EQ(left.size(), 18u);
  EXPECT_EQ(right.size(), 34u);
  EXPECT_EQ(
      Where(rows, [&](const Row& r) { return left.count(r.cid) && right.count(r.cid); }).size(),
      12u);
  ExpectStated(rows, kGoOverhangs);
}

TEST(HeiseiKakuGoBoxes, TheThreeSeries) {
  const auto& rows = RowsOf("HeiseiKakuGo-W5");
  const std::set<int32_t> xs = {0, 440, 480, 520, 560, 916, 958, 1000};
  const std::set<int32_t> ys = {-120, -65, -37, 320, 360, 400, 440, 880};
  const std::map<int32_t, int32_t> half = {{0, 0},     {440, 190}, {480, 230}, {520, 270},
                                           {560, 310}, {916, 416}, {958, 459}, {1000, 500}};
  for (int32_t i = 0; i <= 75; ++i) {
    const Box& full = rows[7479 + i].B;
    EXPECT_TRUE(xs.count(full[kLlx]) && xs.count(full[kUrx]) && ys.count(full[kLly]) &&
                ys.count(full[kUry]))
        << 7479 + i;
    const Box mapped = {half.count(full[kLlx]) ? half.at(full[kLlx]) : -1, full[kLly],
                        half.count(full[kUrx]) ? half.at(full[kUrx]) : -1, full[kUry]};
    EXPECT_EQ(rows[425 + i].B, mapped) << 425 + i;
  }
  EXPECT_EQ(rows[7479].B, (Box{0, 360, 1000, 400}));
  EXPECT_EQ(rows[7481].B, (Box{480, -120, 520, 880}));
  EXPECT_EQ(rows[7507].B, (Box{480, -120, 1000, 880}));
  for (int32_t cid = 7539; cid <= 7554; ++cid) EXPECT_EQ(rows[cid].B, (Box{0, -120, 1000, 880}));
  EXPECT_EQ(rows[425].B, (Box{0, 360, 500, 400}));
  EXPECT_EQ(rows[427].B, (Box{230, -120, 270, 880}));
  EXPECT_EQ(rows[453].B, (Box{230, -120, 500, 880}));
  for (int32_t k = 1; k <= 8; ++k)
    EXPECT_EQ(rows[8229 + k].B, (Box{0, -120, 1000, -120 + 125 * k})) << k;
  for (int32_t k = 1; k <= 7; ++k) EXPECT_EQ(rows[8237 + k].B, (Box{0, -120, 125 * k, 880})) << k;
}

TEST(HeiseiKakuGoBoxes, TheTwoStatedSharings) {
  const auto& rows = RowsOf("HeiseiKakuGo-W5");
  EXPECT_EQ(WithBox(rows, {17, -103, 983, 865}), CIDs({{7555, 7574},
                                                       {7613, 7617},
                                                       {8154},
                                                       {8158},
                                                       {8165},
                                                       {8191},
                                                       {8223},
                                                       {8224},
                                                       {8317, 8320}}));
  EXPECT_EQ(WithBox(rows, {0, -120, 500, 880}), CIDs({{485, 500}, {8241}}));
}

TEST(HeiseiKakuGoBoxes, TellingRows) {
  ExpectStated(RowsOf("HeiseiKakuGo-W5"),
               {{0, 1000, {0, 0, 0, 0}},           {1, 278, {0, 0, 0, 0}},
                {2, 278, {60, -16, 218, 674}},     {8, 191, {44, 438, 148, 690}},
                {63, 469, {-30, 246, 500, 700}},   {64, 556, {0, -125, 500, -75}},
                {99, 260, {88, -250, 171, 750}},   {104, 167, {-92, -5, 293, 655}},
                {124, 1000, {149, -18, 851, 122}}, {129, 333, {18, 621, 316, 682}},
                {138, 1000, {0, 231, 1000, 309}},  {226, 556, {28, -11, 528, 885}},
                {230, 556, {-42, -53, 593, 720}},  {231, 500, {0, 0, 0, 0}},
                {239, 500, {312, -74, 482, 836}},  {243, 500, {25, -71, 124, 175}},
                {294, 500, {0, -120, 499, -77}},   {325, 500, {0, 836, 499, 879}},
                {586, 500, {32, 10, 504, 854}},    {599, 500, {23, 0, 478, 900}},
                {604, 500, {83, -194, 439, 564}},  {605, 500, {48, -196, 463, 786}},
                {606, 500, {58, 0, 435, 922}},     {615, 500, {43, -20, 458, 900}},
                {616, 500, {66, -20, 441, 900}},   {632, 500, {17, -40, 482, 844}},
                {633, 1000, {0, 0, 0, 0}},         {649, 1000, {0, 836, 999, 879}},
                {650, 1000, {0, -120, 999, -77}},  {7889, 1000, {959, -119, 997, 876}},
                {7890, 1000, {1, -119, 40, 876}},  {8153, 1000, {-15, -103, 951, 864}},
                {8192, 1000, {2, -12, 1010, 733}}, {8229, 1000, {0, 0, 0, 0}},
                {8241, 1000, {0, -120, 500, 880}}, {8717, 1000, {63, -91, 939, 785}},
                {8718, 500, {68, 179, 460, 462}},  {8719, 500, {13, -59, 496, 827}}});
}

}  // namespace
