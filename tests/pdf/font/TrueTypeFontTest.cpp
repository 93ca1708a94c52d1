// TrueType fonts measured with made-up installed faces (the fake font
// source), so that the widths do not depend on the machine's fonts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFTrueTypeFont.h"
#include "pdf/font/FontResourceCache.h"
#include "pdf/font/TrueTypeFontInfo.h"
#include "pdf/object/CPDFNumber.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/font/FakeFontSource.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::LoadAs;
using periph::Parse;
using periph::Written;

class TrueTypeFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CPDFEnv::Global().ReleaseFontCaches();
    // "Arial": codes 32..126, A 10, B c, C 5.
    CPDFEnv::Global().SetTrueTypeFontSource(std::make_unique<fonttest::FakeFontSource>(
        std::vector<fonttest::FakeFace>{{"Arial", kAnsiCharSet}}));
  }
  void TearDown() override {
    CPDFEnv::Global().SetTrueTypeFontSource(nullptr);
    CPDFEnv::Global().ReleaseFontCaches();
  }

  std::unique_ptr<CPDFTrueTypeFont> Font(const std::string& entries) {
    std::unique_ptr<CPDFObject> raw =
        Parse("<< /Type /Font /Subtype /TrueType " + entries + " >>", &doc_);
    return LoadAs<CPDFTrueTypeFont, CPDFDict>(&doc_, raw.get());
  }
  static int32_t Width(CPDFTrueTypeFont& font, const std::string& text) {
    return font.CalcStringWidth(reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<int32_t>(text.size()));
  }
  std::string Message() const { return doc_.GetError().GetMessage(); }

  TestDoc doc_;
};

int32_t Advance(uint8_t c) { return 10 + c + 5; }

TEST_F(TrueTypeFontTest, CheckWantsOnlyTheFontKeys) {
  std::unique_ptr<CPDFObject> raw =
      Parse("<< /Type /Font /Subtype /TrueType /BaseFont /Arial >>", &doc_);
  EXPECT_TRUE(CPDFTrueTypeFont::Check(&doc_, raw.get()));
  std::unique_ptr<CPDFObject> type1 =
      Parse("<< /Type /Font /Subtype /Type1 /BaseFont /Arial >>", &doc_);
  EXPECT_FALSE(CPDFTrueTypeFont::Check(&doc_, type1.get()));
  auto font = Font("/BaseFont /Arial /FirstChar 32 /LastChar 32 /Widths [250]");
  ASSERT_TRUE(font);
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(font->Get_FirstChar()));
  EXPECT_EQ(font->GetFontDescriptor(), nullptr);
  EXPECT_STREQ(font->GetNamePrefix().c_str(), "TT");
}

TEST_F(TrueTypeFontTest, FontInfoNameIsTheTextBeforeTheComma) {
  std::unique_ptr<CPDFName> name(CPDFTrueTypeFont::GetFontInfoName("Arial,Bold"));
  ASSERT_TRUE(name);
  EXPECT_STREQ(name->c_str(), "Arial");
  name.reset(CPDFTrueTypeFont::GetFontInfoName("Arial"));
  EXPECT_STREQ(name->c_str(), "Arial");
  name.reset(CPDFTrueTypeFont::GetFontInfoName(std::string(255, 'a').c_str()));
  EXPECT_TRUE(name);
  name.reset(CPDFTrueTypeFont::GetFontInfoName(std::string(256, 'a').c_str()));
  EXPECT_FALSE(name);
}

TEST_F(TrueTypeFontTest, MeasuresWithTheInstalledFace) {
  auto bold = Font("/BaseFont /Arial,Bold");
  ASSERT_TRUE(bold);
  EXPECT_EQ(Width(*bold, "Hi"), Advance('H') + Advance('i'));
  // Codes outside the face's 32..126 add 0.
  EXPECT_EQ(Width(*bold, std::string("\x00\x1f\x7f\xff", 4)), 0);
  auto range = Font("/BaseFont /Arial /FirstChar 100 /LastChar 200");
  EXPECT_EQ(Width(*range, "Hi"), Advance('i'));

  auto foo = Font("/BaseFont /Foo");
  EXPECT_EQ(Width(*foo, "Hi"), -1);
  EXPECT_EQ(doc_.GetError().GetCode(), CPDFException::kUndefined);
  EXPECT_EQ(Message(), "undefined TrueType font: Foo");
  EXPECT_FALSE(foo->UpdateCharWidth());
  EXPECT_EQ(Message(), "undefined TrueType font: Foo");

  // The fixed record of a Heisei font has no widths: every byte is 0.
  auto heisei = Font("/BaseFont /HeiseiMin-W3");
  EXPECT_EQ(Width(*heisei, std::string("\x00"
                                       "A",
                                       2)),
            0);

  const std::string longName(300, 'a');
  auto tooLong = Font("/BaseFont /" + longName);
  EXPECT_EQ(Width(*tooLong, "a"), -1);
  EXPECT_EQ(doc_.GetError().GetCode(), CPDFException::kUndefined);

  auto none = Font("");
  EXPECT_EQ(Width(*none, "a"), -1);
  EXPECT_EQ(Message(), "CPDFTrueTypeFont::Get_BaseFont()");
  auto noFirst = Font("/BaseFont /Arial /Widths [1]");
  EXPECT_EQ(Width(*noFirst, "a"), -1);
  EXPECT_EQ(Message(), "CPDFTrueTypeFont::Get_FirstChar()");
  EXPECT_STREQ(doc_.GetError().GetClassName(), "CPDFTrueTypeFont");
}

TEST_F(TrueTypeFontTest, UpdateCharWidthWritesTheRangeAndTheWidths) {
  auto font = Font("/BaseFont /Arial");
  ASSERT_TRUE(font->UpdateCharWidth());
  ASSERT_TRUE(font->Get_FirstChar());
  EXPECT_EQ(font->Get_FirstChar()->GetInt(), 0);
  EXPECT_EQ(font->Get_LastChar()->GetInt(), 255);
  CPDFObjRef ref;
  CPDFArray* widths = font->Get_Widths(&ref);
  ASSERT_TRUE(widths);
  EXPECT_TRUE(ref.IsDefined());
  ASSERT_EQ(widths->GetCount(), 256);
  auto at = [&](int32_t i) { return dynamic_cast<CPDFNumber*>(widths->Get(&doc_, i))->GetInt(); };
  EXPECT_EQ(at(0), 0);
  EXPECT_EQ(at('A'), Advance('A'));
  EXPECT_EQ(at(200), 0);
  EXPECT_EQ(Width(*font, "Hi"), Advance('H') + Advance('i'));
  // Refilled in place.
  ASSERT_TRUE(font->UpdateCharWidth());
  CPDFObjRef again;
  EXPECT_EQ(font->Get_Widths(&again), widths);
  EXPECT_EQ(again.GetNumber(), ref.GetNumber());
  EXPECT_EQ(widths->GetCount(), 256);

  auto inverted = Font("/BaseFont /Arial /FirstChar 90 /LastChar 80");
  EXPECT_FALSE(inverted->UpdateCharWidth());
}

// The style after a comma measures with the family's face of that style
// when the source has it, else with the family's face; a subset prefix is
// not part of the name.
TEST_F(TrueTypeFontTest, StyleAndSubsetPrefixPickTheFace) {
  fonttest::FakeFace bold("Arial Bold");
  bold.faceName = "Arial";
  bold.widths = [](uint8_t c) { return ABC{0, static_cast<uint32_t>(2 * c), 0}; };
  CPDFEnv::Global().SetTrueTypeFontSource(std::make_unique<fonttest::FakeFontSource>(
      std::vector<fonttest::FakeFace>{{"Arial", kAnsiCharSet}, bold}));
  struct Case {
    const char* entries;
    int32_t h;  // the width of H
    int32_t i;  // the width of i
  };
  const Case cases[] = {
      {"/BaseFont /Arial,Bold", 2 * 'H', 2 * 'i'},
      {"/BaseFont /ABCDEF+Arial,Bold", 2 * 'H', 2 * 'i'},
      {"/BaseFont /Arial,Italic", Advance('H'), Advance('i')},
      {"/BaseFont /ABCDEF+Arial", Advance('H'), Advance('i')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    auto font = Font(c.entries);
    ASSERT_TRUE(font);
    EXPECT_EQ(Width(*font, "Hi"), c.h + c.i);
    ASSERT_TRUE(font->UpdateCharWidth());
    EXPECT_EQ(dynamic_cast<CPDFNumber*>(font->Get_Widths()->Get(&doc_, 'H'))->GetInt(), c.h);
  }
  auto missing = Font("/BaseFont /ABCDEF+Foo,Bold");
  EXPECT_EQ(Width(*missing, "Hi"), -1);
  EXPECT_EQ(Message(), "undefined TrueType font: ABCDEF+Foo");
}

}  // namespace

namespace {

// The installed faces of the machine (fontconfig and FreeType), measured
// unhinted at 1000 units per em. Skipped where DejaVu is not installed.
class InstalledTrueTypeFontTest : public TrueTypeFontTest {
 protected:
  void SetUp() override {
    CPDFEnv::Global().SetTrueTypeFontSource(nullptr);
    CPDFEnv::Global().ReleaseFontCaches();
    if (!CPDFEnv::Global().GetTrueTypeFontInfo("DejaVu Sans Mono")) {
      GTEST_SKIP() << "DejaVu Sans Mono is not installed";
    }
  }
};

TEST_F(InstalledTrueTypeFontTest, MeasuresWithTheInstalledDejaVuFaces) {
  auto mono = Font("/BaseFont /DejaVu#20Sans#20Mono");
  ASSERT_TRUE(mono);
  EXPECT_EQ(Width(*mono, "Hello"), 3010);
  // The style after the comma picks the bold face.
  auto sans = Font("/BaseFont /DejaVu#20Sans,Bold");
  EXPECT_EQ(Width(*sans, "Hello"), 2888);
  EXPECT_EQ(Width(*sans, "A"), 774);
  auto subsetBold = Font("/BaseFont /ABCDEF+DejaVuSans,Bold");
  EXPECT_EQ(Width(*subsetBold, "Hello"), 2888);
  // The PostScript name, as producers write it, with or without a subset
  // prefix.
  auto joined = Font("/BaseFont /DejaVuSans");
  EXPECT_EQ(Width(*joined, "Hello"), 2535);
  EXPECT_EQ(Width(*joined, "A"), 684);
  auto subset = Font("/BaseFont /ABCDEF+DejaVuSans");
  EXPECT_EQ(Width(*subset, "A"), 684);
  const std::pair<const char*, const char*> faces[] = {
      {"DejaVuSans,Italic", "DejaVu Sans Oblique"},
      {"DejaVuSans,BoldItalic", "DejaVu Sans Bold Oblique"},
      {"DejaVuSerif,Italic", "DejaVu Serif Italic"},
      {"DejaVuSerif,BoldItalic", "DejaVu Serif Bold Italic"},
      {"ABCDEF+DejaVuSans-Bold", "DejaVu Sans Bold"}};
  for (const auto& [baseFont, fullName] : faces) {
    TrueTypeFontInfo* info = FontResourceCache::Global().GetTrueTypeFace(baseFont);
    ASSERT_TRUE(info) << baseFont;
    EXPECT_STREQ(info->logFont.elfFullName.c_str(), fullName);
  }
  auto unknown = Font("/BaseFont /NoSuchFaceAnywhere");
  EXPECT_EQ(Width(*unknown, "A"), -1);
  EXPECT_EQ(Message(), "undefined TrueType font: NoSuchFaceAnywhere");
}

}  // namespace
