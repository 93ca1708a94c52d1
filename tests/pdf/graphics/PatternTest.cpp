#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/CPDFResDict.h"
#include "pdf/document/PeriphTestSupport.h"
#include "pdf/graphics/CPDFPattern.h"
#include "pdf/object/TestRegistry.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kTint = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
const std::string kAxial =
    "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1] /Function " + kTint + " >>";
const std::string kState = "<< /Type /ExtGState /LW 1 >>";
const std::string kContent = " /Length 3 >> stream\r\nq Q\r\nendstream\r\nendobj";

std::string Ref(int32_t n) { return " " + std::to_string(n) + " 0 R"; }

// A tiling pattern's text, with the given PatternType and further keys.
std::string Tiling(const std::string& type, const std::string& keys = "") {
  return "<< /Type /Pattern /PatternType " + type +
         " /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10" + keys + kContent;
}

std::unique_ptr<CPDFPattern> Create(TestRegistry& doc, CPDFObject* raw, int32_t mask = -1) {
  return std::unique_ptr<CPDFPattern>(CPDFPattern::CreatePattern(&doc, raw, mask));
}

std::unique_ptr<CPDFPattern> Create(TestRegistry& doc, const std::string& text, int32_t mask = -1) {
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  EXPECT_TRUE(raw) << text;
  return Create(doc, raw.get(), mask);
}

uint32_t BitOf(const std::unique_ptr<CPDFPattern>& pattern) {
  return pattern ? pattern->GetTypeBit() : 0;
}

TEST(PatternTest, FactoryPicksTheTypeByItsShapeAndMask) {
  TestRegistry doc;
  const int32_t stream = Register(doc, "<<" + kContent);
  const int32_t one = Register(doc, "1");
  const std::string resources = " /Resources << >>";
  struct Case {
    std::string text;
    int32_t mask;
    uint32_t bit;  // 0: none
  } cases[] = {
      {Tiling("1", resources), -1, 1},
      {Tiling("1.0", resources), -1, 1},
      {Tiling("1.5", resources), -1, 0},
      {Tiling("1", resources), 2, 0},
      {Tiling("1", resources), 0, 0},
      {Tiling("1", resources), 1, 1},
      // Without Type, without Resources.
      {"<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10"
       " /Resources << >>" +
           kContent,
       -1, 0},
      {Tiling("1"), -1, 0},
      {"<< /Type /Pattern /PatternType 2 /Shading " + kAxial + " /ExtGState " + kState + " >>", -1,
       2},
      {"<< /Type /Pattern /PatternType 2 /Shading " + kAxial + " /ExtGState " + kState + " >>", 1,
       0},
      {"<< /Type /Pattern /PatternType 2 /Shading " + kAxial + " >>", -1, 0},
      {"<< /Type /Pattern /PatternType 2 /Shading" + Ref(stream) + " /ExtGState " + kState + " >>",
       -1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BitOf(Create(doc, c.text, c.mask)), c.bit) << c.text << " mask " << c.mask;
  }

  // The type key is a direct integer after the load, even when it was read
  // through a reference; Matrix of six numbers is typed, of four stays.
  auto tiling = Create(doc, Tiling(Ref(one), resources + " /Matrix [1 0 0 1 0 0]"));
  ASSERT_TRUE(tiling);
  CPDFObjRef ref;
  EXPECT_EQ(tiling->Get(&doc, CPDFPattern::Key_PatternType(), &ref)->GetType(),
            CPDFObject::kInteger);
  EXPECT_FALSE(ref.IsDefined());
  EXPECT_NE(tiling->Get_Matrix(), nullptr);
  EXPECT_STREQ(tiling->GetTypeName(), "Type1");
  EXPECT_STREQ(tiling->GetNamePrefix().c_str(), "P");
  EXPECT_STREQ(tiling->GetCategoryName().c_str(), "Pattern");
  auto real = Create(doc, Tiling("1.0", resources + " /Matrix [1 0 0 1]"));
  ASSERT_TRUE(real);
  EXPECT_EQ(real->Get_Matrix(), nullptr);
  EXPECT_NE(Written(real.get()).find("/PatternType 1\n"), std::string::npos);
}

TEST(PatternTest, ConvertsWhatHasItsShapeAndLeavesTheRest) {
  TestRegistry doc;
  // An indirect Resources is typed under its number, its categories too.
  const int32_t res = Register(doc, "<< /ExtGState << /GS0 " + kState + " >> >>");
  auto tiling = Create(doc, Tiling("1", " /Resources" + Ref(res)));
  ASSERT_TRUE(tiling);
  auto* type1 = static_cast<CPDFType1Pat*>(tiling.get());
  CPDFObjRef ref;
  CPDFResDict* resources = type1->Get_Resources(&ref);
  ASSERT_NE(resources, nullptr);
  EXPECT_EQ(ref.GetNumber(), res);
  EXPECT_NE(dynamic_cast<CPDFExtGState*>(resources->GetResource("ExtGState", "GS0")), nullptr);
  EXPECT_EQ(type1->Get_PaintType()->GetType(), CPDFObject::kInteger);
  EXPECT_NE(type1->Get_BBox(), nullptr);
  EXPECT_EQ(Written(type1).substr(Written(type1).size() - 22), "stream\r\nq Q\r\nendstream");

  // A shading no shading type takes, a graphics state without Type: both
  // stay as read in a typed shading pattern.
  auto kept = Create(doc,
                     "<< /Type /Pattern /PatternType 2 /Shading << /ShadingType 8"
                     " /ColorSpace /DeviceRGB >> /ExtGState << /LW 1 >> >>");
  ASSERT_NE(dynamic_cast<CPDFType2Pat*>(kept.get()), nullptr);
  auto* type2 = static_cast<CPDFType2Pat*>(kept.get());
  EXPECT_EQ(type2->Get_Shading(), nullptr);
  EXPECT_NE(type2->Get(&doc, "Shading"), nullptr);
  EXPECT_EQ(type2->Get_ExtGState(), nullptr);
  EXPECT_NE(type2->Get(&doc, "ExtGState"), nullptr);
}

// The tiling check passes but its resources cannot be loaded: the factory
// answers none, and the raw stream keeps its entries and data.
TEST(PatternTest, AFailedLoadEndsTheSearchAndKeepsTheSource) {
  TestRegistry doc;
  auto raw = Parse(Tiling("1", " /Resources << /ExtGState << /GS0 999 0 R >> >>"), &doc);
  ASSERT_TRUE(raw);
  ASSERT_TRUE(CPDFType1Pat::Check(&doc, static_cast<CPDFDict*>(raw.get())));
  const std::string before = Written(raw.get());
  EXPECT_EQ(Create(doc, raw.get()), nullptr);
  EXPECT_EQ(Written(raw.get()), before);

  // A typed pattern that cannot be stored back in a resource dictionary.
  const int32_t n = Register(doc, Tiling("1", " /Resources << >>"));
  const std::string registered = Written(doc.GetObj(CPDFObjRef(n, 0)));
  auto source = Parse("<< /Pattern << /P0" + Ref(n) + " >> >>", &doc);
  doc.failRegist = true;
  CPDFResDict res;
  EXPECT_FALSE(res.Load(&doc, static_cast<CPDFDict*>(source.get())));
  doc.failRegist = false;
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(n, 0))), registered);
}

TEST(PatternTest, ShadingPatternsAreWrittenAsDictionaries) {
  TestRegistry doc;
  const int32_t shading = Register(doc, kAxial);
  const int32_t state = Register(doc, kState);
  auto pattern = Create(doc, "<< /Type /Pattern /PatternType 2 /Shading" + Ref(shading) +
                                 " /ExtGState" + Ref(state) + " >>");
  ASSERT_TRUE(pattern);
  EXPECT_EQ(Written(pattern.get()), "<<\r\n/ExtGState" + Ref(state) + "\n/PatternType 2\n/Shading" +
                                        Ref(shading) + "\n/Type /Pattern\n>>");
  EXPECT_NE(dynamic_cast<CPDFShading*>(static_cast<CPDFType2Pat*>(pattern.get())->Get_Shading()),
            nullptr);

  TestRegistry other;
  std::unique_ptr<CPDFPattern> copy(pattern->Clone(&other, &doc));
  ASSERT_NE(dynamic_cast<CPDFType2Pat*>(copy.get()), nullptr);
  const std::string text = Written(copy.get());
  for (const char* key : {"/ExtGState ", "/PatternType 2", "/Shading ", "/Type /Pattern"}) {
    EXPECT_NE(text.find(key), std::string::npos) << text;
  }
  EXPECT_EQ(text.find("/Length"), std::string::npos) << text;
  EXPECT_EQ(text.find("stream"), std::string::npos) << text;

  // Direct values: the clone writes the same text; a tiling pattern's
  // clone keeps its data.
  auto direct = Create(
      doc, "<< /Type /Pattern /PatternType 2 /Shading " + kAxial + " /ExtGState " + kState + " >>");
  ASSERT_TRUE(direct);
  std::unique_ptr<CPDFPattern> same(direct->Clone(&other, &doc));
  ASSERT_TRUE(same);
  EXPECT_EQ(Written(same.get()), Written(direct.get()));
  EXPECT_EQ(same->GetTypeBit(), 2u);
  auto tiling = Create(doc, Tiling("1", " /Resources << >>"));
  ASSERT_TRUE(tiling);
  std::unique_ptr<CPDFPattern> tilingCopy(tiling->Clone(&other, &doc));
  ASSERT_NE(dynamic_cast<CPDFType1Pat*>(tilingCopy.get()), nullptr);
  EXPECT_EQ(Written(tilingCopy.get()), Written(tiling.get()));
}

// A pattern whose resources name the pattern itself loads; a chain of 40
// patterns each naming the next is typed 32 deep, the rest stays raw.
TEST(PatternTest, CyclesEndAndChainsStopAtTheNestingLimit) {
  TestRegistry doc;
  const int32_t self = Register(doc, "0") + 1;
  ASSERT_EQ(Register(doc, Tiling("1", " /Resources << /Pattern << /P0" + Ref(self) + " >> >>")),
            self);
  auto source = Parse("<< /Pattern << /P0" + Ref(self) + " >> >>", &doc);
  CPDFResDict res;
  ASSERT_TRUE(res.Load(&doc, static_cast<CPDFDict*>(source.get())));
  auto* typed = dynamic_cast<CPDFType1Pat*>(doc.GetObj(CPDFObjRef(self, 0)));
  ASSERT_NE(typed, nullptr);
  CPDFObjRef ref;
  ASSERT_NE(typed->Get_Resources(), nullptr);
  EXPECT_EQ(typed->Get_Resources()->GetResource("Pattern", "P0"),
            static_cast<CPDFResource*>(typed));

  const int32_t kChain = 40;
  const int32_t first = Register(doc, "0") + 1;
  for (int32_t i = 0; i < kChain; ++i) {
    const std::string next = i + 1 < kChain
                                 ? " /Resources << /Pattern << /P0" + Ref(first + i + 1) + " >> >>"
                                 : " /Resources << >>";
    ASSERT_EQ(Register(doc, Tiling("1", next)), first + i);
  }
  auto chain = Parse("<< /Pattern << /P0" + Ref(first) + " >> >>", &doc);
  CPDFResDict chained;
  ASSERT_TRUE(chained.Load(&doc, static_cast<CPDFDict*>(chain.get())));
  int32_t count = 0;
  for (int32_t i = 0; i < kChain; ++i) {
    if (dynamic_cast<CPDFType1Pat*>(doc.GetObj(CPDFObjRef(first + i, 0)))) ++count;
  }
  EXPECT_EQ(count, 32);
  EXPECT_NE(dynamic_cast<CPDFType1Pat*>(doc.GetObj(CPDFObjRef(first + 31, 0))), nullptr);
}

}  // namespace
