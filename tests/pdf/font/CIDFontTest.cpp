// CID fonts: loading through the family factory, the measurement of CIDs
// from W and DW, and the widths written from CID-keyed metrics.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "pdf/font/CPDFCIDFont.h"
#include "pdf/font/CPDFCIDSysInfo.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/object/CPDFNumber.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"
#include "tests/platform/ScopedTestState.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kInfo = "<< /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >>";
const std::string kDesc =
    "<< /Type /FontDescriptor /Ascent 880 /CapHeight 700 /Descent -120 /Flags 4 "
    "/FontBBox [0 -120 1000 880] /FontName /Test /ItalicAngle 0 /StemV 80 >>";

// A CID font dictionary of the subtype with the extra entries.
std::string CIDFontText(const std::string& extra, const char* subtype = "CIDFontType0",
                        const char* baseFont = "TestCID") {
  return std::string("<< /Type /Font /Subtype /") + subtype + " /BaseFont /" + baseFont +
         " /CIDSystemInfo " + kInfo + " /FontDescriptor " + kDesc + " " + extra + " >>";
}

class CIDFontTest : public ::testing::Test {
 protected:
  void SetUp() override { CPDFEnv::Global().ReleaseFontCaches(); }
  void TearDown() override {
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  }

  std::unique_ptr<CPDFCIDFont> Load(const std::string& text, int32_t mask = -1) {
    raw_ = Parse(text, &doc_);
    return std::unique_ptr<CPDFCIDFont>(CPDFCIDFont::CreateCIDFont(&doc_, raw_.get(), mask));
  }

  int32_t Measure(const std::string& extra, const std::vector<uint8_t>& cids) {
    auto font = Load(CIDFontText(extra));
    if (!font) return -2;
    return font->CalcStringWidth(cids.data(), static_cast<int32_t>(cids.size()));
  }

  // Writes a CID-keyed AFM file of the name with the (CID, width) entries
  // and points the AFM directory at it.
  void WriteCIDMetrics(const char* name, const std::vector<std::pair<int, int>>& entries,
                       bool cid = true) {
    std::ofstream out(folder_.Folder() + name + ".afm", std::ios::binary);
    out << "StartFontMetrics 4.1\nFontName " << name << "\nFontBBox 0 -120 1000 880\nIsCIDFont "
        << (cid ? "true" : "false") << "\nStartCharMetrics " << entries.size() << "\n";
    for (const auto& [c, w] : entries) {
      out << "C -1 ; WX " << w << " ; N " << (cid ? std::to_string(c) : "g" + std::to_string(c))
          << " ; B 0 0 0 0 ;\n";
    }
    out << "EndCharMetrics\nEndFontMetrics\n";
    out.close();
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, folder_.Folder().c_str());
  }

  // The W written for metrics of widths by ascending CID from 1.
  std::string RunsOf(const std::vector<int>& widths, const std::string& extra = "/DW 1000") {
    std::vector<std::pair<int, int>> entries;
    for (size_t i = 0; i < widths.size(); ++i)
      entries.emplace_back(static_cast<int>(i) + 1, widths[i]);
    return RunsOfEntries(entries, extra);
  }
  std::string RunsOfEntries(const std::vector<std::pair<int, int>>& entries,
                            const std::string& extra = "/DW 1000") {
    WriteCIDMetrics("TestCID", entries);
    auto font = Load(CIDFontText(extra));
    if (!font) return "<no font>";
    if (!font->UpdateCharWidth()) return "<false>";
    return Written(font->Get_W());
  }

  TestRegistry doc_;
  std::unique_ptr<CPDFObject> raw_;
  pntest::TempFolder folder_;
};

const std::vector<uint8_t> kOneTwo = {0, 1, 0, 2};

TEST_F(CIDFontTest, WidthsFollowWAndDW) {
  EXPECT_EQ(Measure("/DW 1000 /W [1 [500 600] 10 20 700]", {0, 1, 0, 2, 0, 0x0F, 0, 0x1E}), 2800);
  // An entry below a CID already passed is not searched again.
  EXPECT_EQ(Measure("/DW 1000 /W [5 [100] 1 [200]]", {0, 1, 0, 5}), 1100);
  // Without W every CID is paid at DW; DW defaults to 1000.
  EXPECT_EQ(Measure("", kOneTwo), 2000);
  EXPECT_EQ(Measure("/DW 500", kOneTwo), 1000);
  EXPECT_EQ(Measure("/W [1 [700]]", kOneTwo), 1700);
  // An odd trailing byte is ignored; the input order does not matter.
  EXPECT_EQ(Measure("/W [1 [700]]", {0, 1, 0, 2, 7}), 1700);
  EXPECT_EQ(Measure("/W [1 [700]]", {0, 2, 0, 1}), 1700);
  EXPECT_EQ(Measure("/W [1 [700]]", {}), 0);
  // The same CID twice is paid twice.
  EXPECT_EQ(Measure("/W [1 3 300]", {0, 1, 0, 1, 0, 3}), 900);
}

TEST_F(CIDFontTest, MalformedWidthsAnswerMinusOneWithTheRecord) {
  for (const char* w : {"/W [1]", "/W [1 /x]", "/W [1 2]", "/W [1 [/x]]", "/W [/x [1]]"}) {
    doc_.GetError().Clear();
    EXPECT_EQ(Measure(w, {0, 1}), -1) << w;
    EXPECT_STREQ(doc_.GetError().GetClassName(), "CPDFCIDFont") << w;
    EXPECT_STREQ(doc_.GetError().GetMethodName(), "CalcStringWidth") << w;
    EXPECT_EQ(doc_.GetError().GetCode(), 5) << w;
    EXPECT_STREQ(doc_.GetError().GetMessage(), "") << w;
  }
  // W built in memory with plain numbers is measured like a parsed one.
  auto font = Load(CIDFontText(""));
  ASSERT_TRUE(font);
  auto w = std::make_unique<CPDFArray>();
  w->Push_Back(&doc_, std::make_unique<CPDFNumber>(1));
  w->Push_Back(&doc_, std::make_unique<CPDFNumber>(2));
  w->Push_Back(&doc_, std::make_unique<CPDFNumber>(300));
  ASSERT_TRUE(font->Set_W(w.release()));
  EXPECT_EQ(font->CalcStringWidth(kOneTwo.data(), 4), 600);
}

TEST_F(CIDFontTest, LoadTypesTheEntries) {
  auto font =
      Load(CIDFontText("/DW 900 /W [1 [500 600.5] 10 20 700] /W2 [1 [2 3]] /DW2 [880 -1000]"));
  ASSERT_TRUE(font);
  EXPECT_EQ(font->GetCIDKind(), 1);
  EXPECT_STREQ(font->GetCIDKindName(), "Type0");
  EXPECT_EQ(font->GetFontKind(), CPDFFont::kCIDFont);
  EXPECT_TRUE(font->Get_CIDSystemInfo());
  EXPECT_TRUE(font->Get_FontDescriptor());
  EXPECT_EQ(font->GetFontDescriptor(), font->Get_FontDescriptor());
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(font->Get_DW()));
  CPDFArray* w = font->Get_W();
  ASSERT_TRUE(w);
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(w->Get(&doc_, 0)));
  auto* inner = dynamic_cast<CPDFArray*>(w->Get(&doc_, 1));
  ASSERT_TRUE(inner);
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(inner->Get(&doc_, 0)));
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(inner->Get(&doc_, 1)));
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(w->Get(&doc_, 4)));
  auto* w2 = dynamic_cast<CPDFArray*>(font->Get_W2()->Get(&doc_, 1));
  ASSERT_TRUE(w2);
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(w2->Get(&doc_, 1)));
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(font->Get_DW2()->Get(&doc_, 1)));
  EXPECT_TRUE(font->GetNamePrefix().IsEqual(CPDFResource::EmptyName()));

  auto type2 = Load(CIDFontText("", "CIDFontType2"));
  ASSERT_TRUE(type2);
  EXPECT_EQ(type2->GetCIDKind(), 2);
  EXPECT_TRUE(dynamic_cast<CPDFType2CIDFont*>(type2.get()));
  EXPECT_FALSE(Load(CIDFontText(""), 2));  // mask 2 turns a CIDFontType0 away
  EXPECT_FALSE(Load(CIDFontText("", "Type1")));
}

TEST_F(CIDFontTest, LoadFailuresLeaveTheRawDictionary) {
  const std::string noDesc =
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /X /CIDSystemInfo " + kInfo + " >>";
  const std::string noSupplement =
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /X /CIDSystemInfo << /Registry (Adobe) "
      "/Ordering (Japan1) >> /FontDescriptor " +
      kDesc + " >>";
  const std::string badDesc =
      CIDFontText("").replace(CIDFontText("").find("/Type /FontDesc"), 24, "");
  const std::string brokenW = CIDFontText("/W [1 9 0 R]");
  for (const std::string& text : {noDesc, noSupplement, badDesc, brokenW}) {
    raw_ = Parse(text, &doc_);
    const std::string read = Written(raw_.get());
    EXPECT_EQ(CPDFCIDFont::CreateCIDFont(&doc_, raw_.get(), -1), nullptr) << text;
    EXPECT_EQ(Written(raw_.get()), read) << text;
  }
}

TEST_F(CIDFontTest, RunBuilderWritesW) {
  EXPECT_EQ(RunsOf({600, 500, 500, 500, 1000, 700}), "[1 [600] 2 4 500 6 [700]]");
  EXPECT_EQ(RunsOf({500, 500, 600}), "[1 2 500 3 [600]]");
  EXPECT_EQ(RunsOf({600, 500, 700}), "[1 [600 500 700]]");
  EXPECT_EQ(RunsOf({600, 600, 500, 500}), "[1 2 600 3 4 500]");
  EXPECT_EQ(RunsOf({1000, 1000}), "[]");
  EXPECT_EQ(RunsOf({500, 600, 600, 1000, 500}), "[1 [500] 2 3 600 5 [500]]");
  // A gap in the CIDs closes the run.
  EXPECT_EQ(RunsOfEntries({{1, 500}, {2, 500}, {10, 500}, {11, 600}}), "[1 2 500 10 [500 600]]");
  EXPECT_EQ(RunsOfEntries({{1, 600}, {5, 700}}), "[1 [600] 5 [700]]");
  // The widths written measure what the metrics say.
  auto font = Load(CIDFontText("/DW 1000"));
  ASSERT_TRUE(font && font->UpdateCharWidth());
  const std::vector<uint8_t> cids = {0, 1, 0, 2, 0, 3, 0, 5, 0, 9};
  EXPECT_EQ(font->CalcStringWidth(cids.data(), 10), 600 + 2 * 1000 + 700 + 1000);
}

TEST_F(CIDFontTest, RunBuilderStoresDWAndKeepsIndirectW) {
  WriteCIDMetrics("TestCID", {{1, 600}, {2, 600}});
  auto font = Load(CIDFontText("/W 7 0 R"));
  ASSERT_TRUE(font);
  const int32_t number = Register(doc_, "[1 [2 3]]");
  font = Load(CIDFontText("/W " + std::to_string(number) + " 0 R"));
  ASSERT_TRUE(font);
  ASSERT_TRUE(font->UpdateCharWidth());
  EXPECT_EQ(Written(font->Get_DW()), "1000");
  CPDFObjRef ref;
  EXPECT_EQ(Written(font->Get_W(&ref)), "[1 2 600]");
  EXPECT_EQ(ref.GetNumber(), number);
  EXPECT_EQ(doc_.updated, std::vector<int32_t>{number});
}

TEST_F(CIDFontTest, RunBuilderWithoutCIDMetricsChangesNothing) {
  WriteCIDMetrics("Plain", {{1, 600}}, false);
  for (const char* base : {"Plain", "Missing"}) {
    auto font = Load(CIDFontText("/W [1 [2]]", "CIDFontType0", base));
    ASSERT_TRUE(font);
    const std::string before = Written(font.get());
    EXPECT_FALSE(font->UpdateCharWidth()) << base;
    EXPECT_EQ(Written(font.get()), before) << base;
  }
}

TEST_F(CIDFontTest, Type2WidthsAreFixed) {
  auto font = Load(CIDFontText("/DW 800 /W [1 2 3]", "CIDFontType2"));
  ASSERT_TRUE(font);
  ASSERT_TRUE(font->UpdateCharWidth());
  EXPECT_EQ(Written(font->Get_W()), "[1 632 500]");
  EXPECT_EQ(Written(font->Get_DW()), "800");
  font = Load(CIDFontText("", "CIDFontType2"));
  ASSERT_TRUE(font && font->UpdateCharWidth());
  EXPECT_EQ(Written(font->Get_W()), "[1 632 500]");
  EXPECT_FALSE(font->HasKey(CPDFCIDFont::Key_DW()));
}

// A CID font made through the library writes its own /Subtype, and once it
// has its collection and descriptor the factory takes it as that member.
TEST_F(CIDFontTest, CreateWritesTheMembersSubtype) {
  CPDFType0CIDFont mincho;
  CPDFType2CIDFont gothic;
  ASSERT_TRUE(mincho.Create(&doc_, "HeiseiMin-W3"));
  ASSERT_TRUE(gothic.Create(&doc_, "HeiseiKakuGo-W5"));
  EXPECT_EQ(Written(&mincho),
            "<<\r\n/BaseFont /HeiseiMin-W3\n/Subtype /CIDFontType0\n/Type /Font\n>>");
  for (CPDFCIDFont* font :
       {static_cast<CPDFCIDFont*>(&mincho), static_cast<CPDFCIDFont*>(&gothic)}) {
    ASSERT_TRUE(font->Set(&doc_, CPDFCIDFont::Key_CIDSystemInfo(), Parse(kInfo, &doc_)));
    ASSERT_TRUE(font->Set(&doc_, CPDFCIDFont::Key_FontDescriptor(), Parse(kDesc, &doc_)));
    std::unique_ptr<CPDFCIDFont> typed(CPDFCIDFont::CreateCIDFont(&doc_, font, -1));
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->GetCIDKind(), font->GetCIDKind());
  }
}

// The built-in metrics have no gaps: their W has the run form throughout.
TEST_F(CIDFontTest, BuiltInHeiseiMetricsGiveWidthArrays) {
  for (const char* name : {"HeiseiMin-W3", "HeiseiKakuGo-W5"}) {
    auto font = Load(CIDFontText("", "CIDFontType0", name));
    ASSERT_TRUE(font);
    ASSERT_TRUE(font->UpdateCharWidth()) << name;
    EXPECT_EQ(Written(font->Get_DW()), "1000");
    CPDFArray* w = font->Get_W();
    ASSERT_TRUE(w && w->GetCount() > 0) << name;
    // Every CID measures its metric width.
    AFMFile* metrics = CPDFEnv::Global().GetAFM(name);
    ASSERT_TRUE(metrics);
    int32_t mismatches = 0;
    metrics->ForEachCIDMetric([&](int32_t cid, const AFMCharMetric& metric) {
      const uint8_t pair[2] = {static_cast<uint8_t>(cid >> 8), static_cast<uint8_t>(cid)};
      if (font->CalcStringWidth(pair, 2) != metric.WX) ++mismatches;
    });
    EXPECT_EQ(mismatches, 0) << name;
  }
}

// The W arrays of the two built-in fonts, as derived from their widths.
TEST_F(CIDFontTest, BuiltInHeiseiWidthArraysAreExact) {
  struct Case {
    const char* name;
    int32_t count;
    const char* begins;
    const char* ends;
  };
  const Case cases[] = {
      {"HeiseiMin-W3", 165,
       "[1 [250 333 408] 4 5 500 6 [833 778 180] 9 10 333 11 [500 564 250 333 250 278] 17 26 500",
       "223 [556 722 611 500 389 980 444] 230 632 500 8718 8719 500]"},
      {"HeiseiKakuGo-W5", 172, "[1 2 278 3 [355] 4 5 556 6 [889 667 191] 9 10 333",
       "229 [500 556] 231 632 500 8718 8719 500]"},
  };
  for (const Case& c : cases) {
    auto font = Load(CIDFontText("", "CIDFontType0", c.name));
    ASSERT_TRUE(font && font->UpdateCharWidth()) << c.name;
    EXPECT_EQ(Written(font->Get_DW()), "1000");
    EXPECT_EQ(font->Get_W()->GetCount(), c.count) << c.name;
    const std::string w = Written(font->Get_W());
    EXPECT_EQ(w.rfind(c.begins, 0), 0u) << w.substr(0, 120);
    EXPECT_TRUE(w.ends_with(c.ends)) << w.substr(w.size() > 120 ? w.size() - 120 : 0);
  }
}

}  // namespace
