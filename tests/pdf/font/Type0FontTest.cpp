// Type 0 fonts without CMap files: loading, the descendant, measurement
// through Identity-H and embedded CMaps, the failures of each operation,
// and the Adobe-Japan1 substitution tables.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFCIDFont.h"
#include "pdf/font/CPDFCMap.h"
#include "pdf/font/CPDFType0Font.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kCIDFont =
    "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /X /CIDSystemInfo << /Registry (Adobe) "
    "/Ordering (Japan1) /Supplement 2 >> /FontDescriptor << /Type /FontDescriptor /Ascent 880 "
    "/CapHeight 700 /Descent -120 /Flags 4 /FontBBox [0 -120 1000 880] /FontName /X "
    "/ItalicAngle 0 /StemV 80 >> /W [1 [500 600]] >>";

std::string Type0Text(const std::string& encoding, const std::string& descendants) {
  return "<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding " + encoding +
         " /DescendantFonts " + descendants + " >>";
}

class Type0FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  }

  std::unique_ptr<CPDFType0Font> Create(const std::string& text) {
    raw_ = Parse(text, &doc_);
    return std::unique_ptr<CPDFType0Font>(
        dynamic_cast<CPDFType0Font*>(CPDFFont::CreateFont(&doc_, raw_.get(), -1)));
  }
  // Loaded directly, bypassing Check.
  std::unique_ptr<CPDFType0Font> LoadDirect(const std::string& text) {
    raw_ = Parse(text, &doc_);
    auto font = std::make_unique<CPDFType0Font>();
    if (!font->Load(&doc_, dynamic_cast<CPDFDict*>(raw_.get()))) return nullptr;
    return font;
  }
  std::string Message() const { return doc_.GetError().GetMessage(); }

  TestRegistry doc_;
  std::unique_ptr<CPDFObject> raw_;
};

const std::vector<uint8_t> kOneTwo = {0, 1, 0, 2};

TEST_F(Type0FontTest, IdentityMeasuresThroughTheDescendant) {
  auto font = Create(Type0Text("/Identity-H", "[" + kCIDFont + "]"));
  ASSERT_TRUE(font);
  EXPECT_EQ(font->GetFontKind(), CPDFFont::kType0Font);
  ASSERT_TRUE(dynamic_cast<CPDFType2CIDFont*>(font->GetDescendantFont()));
  EXPECT_EQ(font->GetFontDescriptor(), font->GetDescendantFont()->GetFontDescriptor());
  EXPECT_EQ(font->CalcStringWidth(kOneTwo.data(), 4), 1100);
  EXPECT_TRUE(font->GetNamePrefix().IsEqual(CPDFName("G")));

  auto none = Create(Type0Text("/Identity-H", "[]"));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->CalcStringWidth(kOneTwo.data(), 4), -1);
  EXPECT_EQ(Message(), "CPDFType0Font::GetDescendantFont()");
  EXPECT_FALSE(none->GetFontDescriptor());
}

TEST_F(Type0FontTest, EncodingFailures) {
  auto absent = LoadDirect("<< /Type /Font /Subtype /Type0 /BaseFont /X /DescendantFonts [" +
                           kCIDFont + "] >>");
  ASSERT_TRUE(absent);
  EXPECT_EQ(absent->CalcStringWidth(kOneTwo.data(), 4), -1);
  EXPECT_EQ(Message(), "CPDFType0Font::Get_Encoding()");
  auto array = LoadDirect(Type0Text("[1]", "[" + kCIDFont + "]"));
  ASSERT_TRUE(array);
  EXPECT_EQ(array->CalcStringWidth(kOneTwo.data(), 4), -1);
  EXPECT_EQ(Message(), "typecheck: Array");
  EXPECT_EQ(doc_.GetError().GetCode(), 4);

  auto font = Create(Type0Text("/Identity-H", "[" + kCIDFont + "]"));
  ASSERT_TRUE(font);
  std::vector<char16_t> units(8);
  EXPECT_EQ(font->ToUnicode(units.data(), 8, kOneTwo.data(), 4), -1);
  EXPECT_EQ(Message(), "undefined CMap: UniJIS-UCS2-H");
  EXPECT_STREQ(doc_.GetError().GetClassName(), "CPDFType0Font");
  EXPECT_STREQ(doc_.GetError().GetMethodName(), "ToUnicode");
  auto missing = Create(Type0Text("/No-Such-H", "[" + kCIDFont + "]"));
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->CalcStringWidth(kOneTwo.data(), 4), -1);
  EXPECT_EQ(Message(), "undefined CMap: No-Such-H");
}

TEST_F(Type0FontTest, EmbeddedEncodingCMap) {
  const std::string program =
      "1 begincodespacerange\n<00> <ff>\nendcodespacerange\n"
      "1 begincidrange\n<41> <42> 1\nendcidrange\n";
  auto stream = [&](const std::string& body) {
    return "<< /Type /CMap /CMapName /Test-H /CIDSystemInfo << /Registry (Adobe) /Ordering "
           "(Japan1) /Supplement 2 >> /Length " +
           std::to_string(body.size()) + " >>\nstream\n" + body + "\nendstream\nendobj";
  };
  const int32_t good = Register(doc_, stream("%!PS-Adobe-3.0 Resource-CMap\n" + program));
  const int32_t bad = Register(doc_, stream(program));
  const uint8_t ab[] = {'A', 'B'};
  ASSERT_GT(good, 0);
  ASSERT_GT(bad, 0);
  raw_ = Parse(Type0Text(std::to_string(good) + " 0 R", "[" + kCIDFont + "]"), &doc_);
  ASSERT_TRUE(CPDFType0Font::Check(&doc_, raw_.get()));
  auto font = Create(Type0Text(std::to_string(good) + " 0 R", "[" + kCIDFont + "]"));
  ASSERT_TRUE(font);
  EXPECT_TRUE(dynamic_cast<CPDFCMap*>(font->Get_Encoding()));
  EXPECT_EQ(font->CalcStringWidth(ab, 2), 1100);
  // Without the header line the program is read when it parses and maps
  // codes.
  auto headless = Create(Type0Text(std::to_string(bad) + " 0 R", "[" + kCIDFont + "]"));
  ASSERT_TRUE(headless);
  EXPECT_EQ(headless->CalcStringWidth(ab, 2), 1100);
  EXPECT_EQ(Message(), "");
  const int32_t parent = Register(doc_, stream("/CMapName /Test-H def\n/Identity-H usecmap\n"));
  auto used = Create(Type0Text(std::to_string(parent) + " 0 R", "[" + kCIDFont + "]"));
  ASSERT_TRUE(used);
  EXPECT_EQ(used->CalcStringWidth(kOneTwo.data(), 4), 1100);
  // Text that is no CMap, or a program left open, still fails.
  for (const std::string& body :
       {std::string("not a CMap at all"), program + "1 begincidrange <43> <43> 3 <4",
        "%!PS-Adobe-3.0 Resource-CMap\n" + program + "(open"}) {
    SCOPED_TRACE(body);
    const int32_t damaged = Register(doc_, stream(body));
    auto font = Create(Type0Text(std::to_string(damaged) + " 0 R", "[" + kCIDFont + "]"));
    ASSERT_TRUE(font);
    EXPECT_EQ(font->CalcStringWidth(ab, 2), -1);
    EXPECT_EQ(Message(), "invalid ToUnicode stream");
  }
}

TEST_F(Type0FontTest, UpdateCharWidthChecksDescendants) {
  auto absent = LoadDirect("<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding /Identity-H >>");
  EXPECT_FALSE(absent);  // DescendantFonts is required by Load
  CPDFType0Font made;
  ASSERT_TRUE(made.Create(&doc_, "X"));
  EXPECT_FALSE(made.UpdateCharWidth());
  EXPECT_EQ(Message(), "CPDFType0Font::Get_DescendantFonts()");

  auto plain = Create(Type0Text("/Identity-H", "[<< /Type /Font /Subtype /CIDFontType2 >>]"));
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->GetDescendantFont());
  EXPECT_FALSE(plain->UpdateCharWidth());
  EXPECT_EQ(Message(), "CPDFCIDFont::UpdateCharWidth()");

  auto font = Create(Type0Text("/Identity-H", "[" + kCIDFont + "]"));
  ASSERT_TRUE(font && font->UpdateCharWidth());
  EXPECT_EQ(Written(font->GetDescendantFont()->Get_W()), "[1 632 500]");
}

TEST_F(Type0FontTest, MalformedDescendantWidthsKeepTheirRecord) {
  auto font = Create(
      Type0Text("/Identity-H", "[" + kCIDFont.substr(0, kCIDFont.size() - 20) + "/W [1 /x] >>]"));
  ASSERT_TRUE(font && font->GetDescendantFont());
  EXPECT_EQ(font->CalcStringWidth(kOneTwo.data(), 4), -1);
  EXPECT_STREQ(doc_.GetError().GetClassName(), "CPDFCIDFont");
  EXPECT_STREQ(doc_.GetError().GetMethodName(), "CalcStringWidth");
}

TEST_F(Type0FontTest, SubstitutionTables) {
  auto normal = [](uint16_t cid) {
    uint8_t b[2] = {static_cast<uint8_t>(cid >> 8), static_cast<uint8_t>(cid)};
    CPDFType0Font::NormalizeCID(b, 2);
    return (b[0] << 8) | b[1];
  };
  auto denormal = [](uint16_t cid) {
    uint8_t b[2] = {static_cast<uint8_t>(cid >> 8), static_cast<uint8_t>(cid)};
    CPDFType0Font::DenormalizeCID(b, 2);
    return (b[0] << 8) | b[1];
  };
  const std::pair<int, int> normalized[] = {{231, 1},    {324, 94},   {631, 95},    {7887, 634},
                                            {7906, 681}, {7958, 0},   {8007, 8007}, {8101, 8101},
                                            {8264, 852}, {8268, 636}, {8277, 672},  {8279, 672},
                                            {8358, 0},   {230, 230},  {8102, 8102}};
  for (const auto& [in, want] : normalized) EXPECT_EQ(normal(in), want) << in;
  const std::pair<int, int> denormalized[] = {{1, 231}, {94, 324}, {95, 631}, {0, 0}, {7887, 634}};
  for (const auto& [in, want] : denormalized) EXPECT_EQ(denormal(in), want) << in;
  EXPECT_EQ(CPDFType0Font::SubstitutionTableSize(0), 215);
  EXPECT_EQ(CPDFType0Font::SubstitutionTableSize(1), 95);
  uint8_t odd[3] = {0, 231, 7};
  CPDFType0Font::NormalizeCID(odd, 3);
  EXPECT_EQ(odd[1], 1);
  EXPECT_EQ(odd[2], 7);
}

TEST_F(Type0FontTest, ResourceDictionaryAndClone) {
  const int32_t cid = Register(doc_, kCIDFont);
  auto font = Create(Type0Text("/Identity-H", "[" + std::to_string(cid) + " 0 R]"));
  ASSERT_TRUE(font);
  CPDFObjRef ref;
  font->Get_DescendantFonts()->Get(&doc_, 0, &ref);
  EXPECT_EQ(ref.GetNumber(), cid);
  EXPECT_TRUE(dynamic_cast<CPDFType2CIDFont*>(font->GetDescendantFont()));
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(font->Clone(&other, &doc_));
  ASSERT_TRUE(dynamic_cast<CPDFType0Font*>(copy.get()));
}

}  // namespace
