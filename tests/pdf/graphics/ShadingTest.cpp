#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/CPDFResDict.h"
#include "pdf/document/PeriphTestSupport.h"
#include "pdf/graphics/CPDFShading.h"
#include "pdf/object/TestRegistry.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kTint = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
const std::string kAxial = "/ColorSpace /DeviceRGB /Coords [0 0 1 1] /Function " + kTint;
const std::string kMesh =
    "/ColorSpace /DeviceRGB /BitsPerCoordinate 16 /BitsPerComponent 8 /BitsPerFlag 8 /Decode []";

std::unique_ptr<CPDFShading> Create(TestRegistry& doc, const std::string& text, int32_t mask) {
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  EXPECT_TRUE(raw) << text;
  return std::unique_ptr<CPDFShading>(CPDFShading::CreateShading(&doc, raw.get(), mask));
}

TEST(ShadingTest, FactoryPicksTheTypeByItsNumberAndMask) {
  struct Case {
    std::string text;
    int32_t mask;
    uint32_t bit;  // 0: none
  } cases[] = {
      {"<< /ShadingType 2.0 " + kAxial + " >>", -1, 2},
      {"<< /ShadingType 2.5 " + kAxial + " >>", -1, 0},
      {"<< /ShadingType 2 " + kAxial + " >>", 0, 0},
      {"<< /ShadingType 2 " + kAxial + " >>", 2, 2},
      {"<< /ShadingType 3 " + kAxial + " >>", 2, 0},
      {"<< /ShadingType 1 /ColorSpace /DeviceRGB /Function " + kTint + " >>", -1, 1},
      {"<< /ShadingType 4 " + kMesh + " >>", -1, 8},
      {"<< /ShadingType 4 " + kMesh + " >>", ~8, 0},
      {"<< /ShadingType 7 " + kMesh + " >>", -1, 64},
      {"<< /ShadingType 5 " + kMesh + " /VerticesPerRow 2 >>", -1, 16},
      // Without VerticesPerRow, and without BitsPerFlag.
      {"<< /ShadingType 5 " + kMesh + " >>", -1, 0},
      {"<< /ShadingType 6 /ColorSpace /DeviceRGB /BitsPerCoordinate 16 /BitsPerComponent 8"
       " /Decode [] >>",
       -1, 0},
      {"<< /ShadingType 2 /Coords [0 0 1 1] /Function " + kTint + " >>", -1, 0},
      {"<< /ShadingType 2 /ColorSpace 5 /Coords [0 0 1 1] /Function " + kTint + " >>", -1, 0},
  };
  for (const Case& c : cases) {
    TestRegistry doc;
    auto made = Create(doc, c.text, c.mask);
    EXPECT_EQ(made ? made->GetTypeBit() : 0u, c.bit) << c.text << " mask " << c.mask;
  }

  // Without ColorSpace no mask makes a shading.
  for (int32_t mask : {-1, 1, 2, 4, 8, 16, 32, 64}) {
    TestRegistry doc;
    EXPECT_EQ(Create(doc, "<< /ShadingType 2 /Coords [0 0 1 1] /Function " + kTint + " >>", mask),
              nullptr);
  }

  // A typed shading's ShadingType was made in memory: the factory refuses it.
  TestRegistry doc;
  auto made = Create(doc, "<< /ShadingType 2.0 " + kAxial + " >>", -1);
  ASSERT_TRUE(made);
  EXPECT_NE(Written(made.get()).find("/ShadingType 2\n"), std::string::npos);
  EXPECT_EQ(CPDFShading::CreateShading(&doc, made.get(), -1), nullptr);
  EXPECT_STREQ(made->GetTypeName(), "Type2");
  EXPECT_STREQ(made->GetNamePrefix().c_str(), "Sh");
  EXPECT_STREQ(made->GetCategoryName().c_str(), "Shading");
  EXPECT_EQ(made->GetCategory(), CPDFResource::kShading);

  // An indirect type key becomes a direct integer.
  const int32_t n = Register(doc, "3");
  auto radial = Create(doc, "<< /ShadingType " + std::to_string(n) + " 0 R " + kAxial + " >>", -1);
  ASSERT_TRUE(radial);
  CPDFObjRef ref;
  EXPECT_NE(dynamic_cast<CPDFInt*>(radial->Get(&doc, CPDFShading::Key_ShadingType(), &ref)),
            nullptr);
  EXPECT_FALSE(ref.IsDefined());
}

TEST(ShadingTest, AFailedLoadEndsTheSearchAndKeepsTheSource) {
  TestRegistry doc;
  const std::string text =
      "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1]"
      " /Function [" +
      kTint + " 999 0 R] >>";
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  const std::string before = Written(raw.get());
  EXPECT_EQ(CPDFShading::CreateShading(&doc, raw.get(), -1), nullptr);
  EXPECT_EQ(Written(raw.get()), before);

  // A function that cannot be stored back under its number.
  const int32_t n = Register(doc, kTint);
  auto stored = Parse("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1] /Function " +
                          std::to_string(n) + " 0 R >>",
                      &doc);
  const std::string function = Written(doc.GetObj(CPDFObjRef(n, 0)));
  doc.failRegist = true;
  EXPECT_EQ(CPDFShading::CreateShading(&doc, stored.get(), -1), nullptr);
  doc.failRegist = false;
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(n, 0))), function);
}

TEST(ShadingTest, ConvertsWhatHasItsShapeAndLeavesTheRest) {
  TestRegistry doc;
  const int32_t indexed = Register(doc, "[/Indexed /DeviceRGB 1 <FF000000FF00>]");
  const int32_t function = Register(doc, kTint);
  const int32_t bits = Register(doc, "8");
  const auto ref = [](int32_t n) { return " " + std::to_string(n) + " 0 R"; };

  // Type 1: Matrix of six numbers, BBox of four, an indirect colour space, a
  // function array with a name left in it.
  auto one = Create(doc,
                    "<< /ShadingType 1 /ColorSpace" + ref(indexed) +
                        " /BBox [0 0 1 1] /Matrix [1 0 0 1 0 0] /Function [" + kTint +
                        ref(function) + " /Name] >>",
                    -1);
  ASSERT_TRUE(one);
  auto* type1 = static_cast<CPDFType1Sh*>(one.get());
  CPDFObjRef where;
  EXPECT_NE(dynamic_cast<CPDFColorSpace*>(type1->Get_ColorSpace(&where)), nullptr);
  EXPECT_EQ(where.GetNumber(), indexed);
  EXPECT_NE(type1->Get_BBox(), nullptr);
  EXPECT_NE(type1->Get_Matrix(), nullptr);
  auto* functions = dynamic_cast<CPDFArray*>(type1->Get_Function());
  ASSERT_NE(functions, nullptr);
  EXPECT_NE(dynamic_cast<CPDFFunction*>(functions->Get(&doc, 0)), nullptr);
  EXPECT_NE(dynamic_cast<CPDFFunction*>(functions->Get(&doc, 1, &where)), nullptr);
  EXPECT_EQ(where.GetNumber(), function);
  EXPECT_EQ(functions->Get(&doc, 2)->GetType(), CPDFObject::kName);

  // Malformed rectangles and matrices, a name, a Pattern space and a
  // function no class takes stay as read; the load succeeds.
  auto two = Create(doc,
                    "<< /ShadingType 1 /ColorSpace [/Pattern /DeviceRGB] /BBox [0 0 1]"
                    " /Matrix [1 0 0 1 0] /Function << /FunctionType 9 /Domain [0 1] >> >>",
                    -1);
  ASSERT_TRUE(two);
  auto* plain = static_cast<CPDFType1Sh*>(two.get());
  EXPECT_EQ(plain->Get_BBox(), nullptr);
  EXPECT_EQ(plain->Get_Matrix(), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(plain->Get_ColorSpace()), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFFunction*>(plain->Get_Function()), nullptr);
  auto named = Create(doc, "<< /ShadingType 2 " + kAxial + " >>", -1);
  ASSERT_TRUE(named);
  EXPECT_EQ(named->Get_ColorSpace()->GetType(), CPDFObject::kName);

  // Mesh integers: 8.0 written back 8, an indirect one stays indirect; an
  // indirect function stays under its number.
  auto mesh =
      Create(doc,
             "<< /ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 16"
             " /BitsPerComponent" +
                 ref(bits) + " /BitsPerFlag 8.0 /Decode [] /Function" + ref(function) + " >>",
             -1);
  ASSERT_TRUE(mesh);
  auto* type6 = static_cast<CPDFType6Sh*>(mesh.get());
  EXPECT_NE(dynamic_cast<CPDFInt*>(type6->Get_BitsPerComponent(&where)), nullptr);
  EXPECT_EQ(where.GetNumber(), bits);
  EXPECT_NE(Written(type6).find("/BitsPerFlag 8\n"), std::string::npos);
  EXPECT_NE(dynamic_cast<CPDFFunction*>(type6->Get_Function(&where)), nullptr);
  EXPECT_EQ(where.GetNumber(), function);

  // Type 5 leaves a BitsPerFlag as read.
  auto lattice = Create(doc, "<< /ShadingType 5 " + kMesh + " /VerticesPerRow 2.0 >>", -1);
  ASSERT_TRUE(lattice);
  auto* type5 = static_cast<CPDFType5Sh*>(lattice.get());
  EXPECT_NE(dynamic_cast<CPDFInt*>(type5->Get_VerticesPerRow()), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFInt*>(type5->Get(&doc, CPDFType5Sh::Key_BitsPerFlag())), nullptr);
}

TEST(ShadingTest, ResourceDictionaryTypesShadings) {
  TestRegistry doc;
  const int32_t axial = Register(doc, "<< /ShadingType 2 " + kAxial + " >>");
  const int32_t stream = Register(
      doc, "<< /ShadingType 2 " + kAxial + " /Length 1 >> stream\r\nx\r\nendstream\r\nendobj");
  ASSERT_GT(stream, 0);
  auto source =
      Parse("<< /Shading << /Sh1 << /ShadingType 1 /ColorSpace /DeviceRGB /Function " + kTint +
                " >> /Sh2 " + std::to_string(axial) + " 0 R /Sh3 << /ShadingType 3 " + kAxial +
                " >> /Sh4 " + std::to_string(stream) + " 0 R >> >>",
            &doc);
  ASSERT_TRUE(source);
  CPDFResDict res;
  ASSERT_TRUE(res.Load(&doc, static_cast<CPDFDict*>(source.get())));
  EXPECT_NE(dynamic_cast<CPDFType1Sh*>(res.GetResource("Shading", "Sh1")), nullptr);
  EXPECT_NE(dynamic_cast<CPDFType2Sh*>(res.GetResource("Shading", "Sh2")), nullptr);
  EXPECT_NE(dynamic_cast<CPDFType3Sh*>(res.GetResource("Shading", "Sh3")), nullptr);
  EXPECT_EQ(res.GetResource("Shading", "Sh4"), nullptr);

  // A typed shading that cannot be stored back: the load fails and the raw
  // shading keeps its entries.
  TestRegistry other;
  const int32_t kept = Register(other, "<< /ShadingType 2 " + kAxial + " >>");
  auto failing = Parse("<< /Shading << /Sh1 " + std::to_string(kept) + " 0 R >> >>", &other);
  const std::string before = Written(other.GetObj(CPDFObjRef(kept, 0)));
  other.failRegist = true;
  CPDFResDict broken;
  EXPECT_FALSE(broken.Load(&other, static_cast<CPDFDict*>(failing.get())));
  other.failRegist = false;
  EXPECT_EQ(Written(other.GetObj(CPDFObjRef(kept, 0))), before);
}

TEST(ShadingTest, CloneKeepsTheType) {
  TestRegistry doc;
  auto made = Create(doc, "<< /ShadingType 3 " + kAxial + " >>", -1);
  ASSERT_TRUE(made);
  TestRegistry other;
  std::unique_ptr<CPDFShading> copy(made->Clone(&other, &doc));
  ASSERT_NE(dynamic_cast<CPDFType3Sh*>(copy.get()), nullptr);
  EXPECT_EQ(copy->GetTypeBit(), 4u);
  EXPECT_STREQ(copy->GetTypeName(), "Type3");
  EXPECT_EQ(Written(copy.get()), Written(made.get()));
}

}  // namespace
