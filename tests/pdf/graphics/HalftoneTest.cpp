#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/PeriphTestSupport.h"
#include "pdf/graphics/CPDFHalftone.h"
#include "pdf/object/TestRegistry.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kSpot = "/Type /Halftone /Frequency 60 /Angle 45 /SpotFunction /Round";
const std::string kSize = "/Type /Halftone /Width 2 /Height 2";

std::unique_ptr<CPDFHalftone> Create(TestRegistry& doc, const std::string& text, int32_t mask) {
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  EXPECT_TRUE(raw) << text;
  return std::unique_ptr<CPDFHalftone>(CPDFHalftone::CreateHalftone(&doc, raw.get(), mask));
}

TEST(HalftoneTest, FactoryPicksTheTypeByItsNumberAndMask) {
  struct Case {
    std::string text;
    int32_t mask;
    uint32_t bit;  // 0: none
  } cases[] = {
      {"<< /HalftoneType 1 " + kSpot + " >>", -1, 0x1},
      {"<< /HalftoneType 6.5 " + kSize + " >>", -1, 0x4},
      {"<< /HalftoneType 3 " + kSize + " >>", -1, 0x20},
      {"<< /HalftoneType 3 " + kSize + " >>", 0x1F, 0},
      {"<< /HalftoneType 1 /HalftoneName (x) " + kSpot + " >>", -1, 0x20},
      {"<< /HalftoneType 5 /Type /Halftone /Default << >> >>", -1, 0x2},
      {"<< /HalftoneType 5 /Type /Halftone /Default << >> >>", -3, 0x20},
      {"<< /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction /Round >>", -1, 0},
      {"<< /HalftoneType 1 /Type /Halftone /Frequency 60 /Angle 45 /SpotFunction [] >>", -1, 0x20},
      {"<< /HalftoneType 10 /Type /Halftone /Xsquare 2 /Ysquare /Y >>", -1, 0x20},
      {"<< /HalftoneType 10 /Type /Halftone /Xsquare 2 /Ysquare 3 >>", -1, 0x8},
      {"<< /HalftoneType 6 /Type /Halftone /Width 2 >>", -1, 0x20},
      {"<< /HalftoneType 16 " + kSize + " >>", -1, 0x10},
  };
  for (const Case& c : cases) {
    TestRegistry doc;
    auto made = Create(doc, c.text, c.mask);
    EXPECT_EQ(made ? made->GetTypeBit() : 0u, c.bit) << c.text << " mask " << c.mask;
  }

  // Without /Type no mask makes a halftone.
  for (int32_t mask : {-1, 0x1, 0x20}) {
    TestRegistry doc;
    EXPECT_EQ(
        Create(doc, "<< /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction /Round >>", mask),
        nullptr);
  }

  // Default a stream: the type 5 check refuses it.
  TestRegistry streams;
  const int32_t stream = Register(streams, "<< /Length 1 >> stream\r\nx\r\nendstream\r\nendobj");
  ASSERT_GT(stream, 0);
  auto refused = Create(
      streams, "<< /HalftoneType 5 /Type /Halftone /Default " + std::to_string(stream) + " 0 R >>",
      -1);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->GetTypeBit(), CPDFHalftone::kNamedBit);

  // A typed halftone's HalftoneType was made in memory: only the plain
  // class takes it again.
  TestRegistry doc;
  auto made = Create(doc, "<< /HalftoneType 6 " + kSize + " >>", -1);
  ASSERT_TRUE(made);
  std::unique_ptr<CPDFHalftone> again(CPDFHalftone::CreateHalftone(&doc, made.get(), -1));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetTypeBit(), CPDFHalftone::kNamedBit);
  EXPECT_STREQ(again->GetTypeName(), "NamedHalftone");
  EXPECT_EQ(CPDFHalftone::CreateHalftone(&doc, again.get(), 0x1F), nullptr);
}

TEST(HalftoneTest, AFailedLoadEndsTheSearch) {
  // The spot function cannot be stored back under its number: the factory
  // answers none rather than trying the plain class.
  TestRegistry doc;
  const int32_t n = Register(doc, "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>");
  auto raw = Parse("<< /HalftoneType 1 /Type /Halftone /Frequency 60 /Angle 45 /SpotFunction " +
                       std::to_string(n) + " 0 R >>",
                   &doc);
  const std::string before = Written(raw.get());
  doc.failRegist = true;
  EXPECT_EQ(CPDFHalftone::CreateHalftone(&doc, raw.get(), -1), nullptr);
  doc.failRegist = false;
  EXPECT_EQ(Written(raw.get()), before);
}

TEST(HalftoneTest, ConvertsWhatHasItsShapeAndLeavesTheRest) {
  TestRegistry doc;
  auto one = Create(doc, "<< /HalftoneType 1 " + kSpot + " >>", -1);
  ASSERT_TRUE(one);
  auto* type1 = static_cast<CPDFType1Ht*>(one.get());
  EXPECT_EQ(type1->Get_SpotFunction()->GetType(), CPDFObject::kName);
  EXPECT_TRUE(type1->Get(&doc, "Frequency")->IsType(CPDFObject::kNumber));
  EXPECT_TRUE(type1->Get(&doc, "Angle")->IsType(CPDFObject::kNumber));

  auto sixteen = Create(doc, "<< /HalftoneType 16 " + kSize + " >>", -1);
  ASSERT_TRUE(sixteen);
  auto* type16 = static_cast<CPDFType16Ht*>(sixteen.get());
  EXPECT_NE(dynamic_cast<CPDFInt*>(type16->Get_Width()), nullptr);
  EXPECT_EQ(type16->Get_Width2(), nullptr);
  EXPECT_EQ(type16->Get_Height2(), nullptr);

  auto five =
      Create(doc,
             "<< /HalftoneType 5 /Type /Halftone /Default << /HalftoneType 1 " + kSpot +
                 " >> /Cyan << /HalftoneType 6 " + kSize + " >> /Spot1 << /HalftoneType 6 " +
                 kSize + " >> /Magenta << /HalftoneType 6 /Width 2 /Height 2 >> >>",
             -1);
  ASSERT_TRUE(five);
  EXPECT_NE(five->GetEntryAs<CPDFType1Ht>("Default"), nullptr);
  EXPECT_NE(five->GetEntryAs<CPDFType6Ht>("Cyan"), nullptr);
  EXPECT_EQ(five->GetEntry("Spot1"), nullptr);
  EXPECT_EQ(five->GetEntry("Magenta"), nullptr);
  auto untyped = Create(doc, "<< /HalftoneType 5 /Type /Halftone /Default << /A 1 >> >>", -1);
  ASSERT_TRUE(untyped);
  EXPECT_EQ(untyped->GetEntry("Default"), nullptr);
}

TEST(HalftoneTest, CloneKeepsTheType) {
  TestRegistry doc;
  auto made = Create(doc, "<< /HalftoneType 16 " + kSize + " /Width2 1 >>", -1);
  ASSERT_TRUE(made);
  TestRegistry other;
  std::unique_ptr<CPDFHalftone> copy(made->Clone(&other, &doc));
  ASSERT_NE(dynamic_cast<CPDFType16Ht*>(copy.get()), nullptr);
  EXPECT_EQ(copy->GetTypeBit(), 0x10u);
  EXPECT_EQ(Written(copy.get()), Written(made.get()));
}

// The clone that leaves keys out never copies their values: the dangling
// D would make a full copy fail.
TEST(HalftoneTest, CloneLeavingKeysOutSkipsTheirValues) {
  TestRegistry doc;
  auto raw = Parse("<< /Type /Halftone /A 1 /D 99 0 R /B 2 >>", &doc);
  ASSERT_TRUE(raw);
  CPDFHalftone halftone;
  ASSERT_TRUE(halftone.Load(&doc, static_cast<CPDFDict*>(raw.get())));
  TestRegistry other;
  EXPECT_EQ(halftone.Clone(&other, &doc), nullptr);

  std::unique_ptr<CPDFHalftone> copy(PDFCloneLeaving(&halftone, &other, &doc, {"D", "B"}));
  ASSERT_TRUE(copy);
  EXPECT_EQ(Written(copy.get()), "<<\r\n/A 1\n/Type /Halftone\n>>");
  EXPECT_EQ(copy->GetTypeBit(), CPDFHalftone::kNamedBit);
  // Leaving out a key the source lacks adds nothing.
  std::unique_ptr<CPDFHalftone> plain(PDFCloneLeaving(&halftone, &other, &doc, {"D", "Z"}));
  ASSERT_TRUE(plain);
  EXPECT_EQ(Written(plain.get()), "<<\r\n/A 1\n/B 2\n/Type /Halftone\n>>");
}

}  // namespace
