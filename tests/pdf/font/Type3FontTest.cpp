// Type 3 and Multiple Master fonts, the font factory with its members, and
// fonts listed in a resource dictionary.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/font/CPDFTrueTypeFont.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/font/CPDFType3Font.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::ClonedText;
using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kType3Base =
    "/Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 98 /Widths [500 600] /FontBBox [0 0 "
    "750 750] /FontMatrix [0.001 0 0 0.001 0 0] /Encoding << /Type /Encoding /Differences [97 "
    "/a /b] >>";
const std::string kType3Keys = kType3Base + " /CharProcs << /a 10 0 R /b 11 0 R >>";
const std::string kMMKeys =
    "/Type /Font /Subtype /MMType1 /BaseFont /MyriadMM_400_600_ /FirstChar 32 /LastChar 32 "
    "/Widths [212] /FontDescriptor << /Type /FontDescriptor >>";

class Type3FontTest : public ::testing::Test {
 protected:
  void SetUp() override { CPDFEnv::Global().ReleaseFontCaches(); }
  void TearDown() override { CPDFEnv::Global().ReleaseFontCaches(); }

  std::unique_ptr<CPDFFont> Create(const std::string& text, int32_t mask = -1) {
    std::unique_ptr<CPDFObject> raw = Parse(text, &doc_);
    return std::unique_ptr<CPDFFont>(CPDFFont::CreateFont(&doc_, raw.get(), mask));
  }

  TestDoc doc_;
};

TEST_F(Type3FontTest, Type3LoadsItsTypedKeysAndMeasuresNothing) {
  std::unique_ptr<CPDFObject> raw =
      Parse("<< " + kType3Keys + " /Resources << /ProcSet [/PDF] >> >>", &doc_);
  ASSERT_TRUE(CPDFType3Font::Check(&doc_, raw.get()));
  const std::string read = Written(raw.get());
  auto font = LoadAs<CPDFType3Font, CPDFDict>(&doc_, raw.get());
  ASSERT_TRUE(font);
  EXPECT_EQ(Written(font.get()), read);
  EXPECT_TRUE(font->Get_FontBBox());
  EXPECT_TRUE(font->Get_FontMatrix());
  EXPECT_TRUE(font->Get_Resources());
  ASSERT_TRUE(font->Get_CharProcs());
  EXPECT_EQ(Written(font->Get_CharProcs()), "<<\r\n/a 10 0 R\n/b 11 0 R\n>>");
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(font->Get_FirstChar()));
  EXPECT_STREQ(font->GetNamePrefix().c_str(), "T");

  const uint8_t text[] = {'a', 'b'};
  EXPECT_EQ(font->CalcStringWidth(text, 2), 0);
  EXPECT_FALSE(font->UpdateCharWidth());
  EXPECT_EQ(Written(font.get()), read);
  EXPECT_EQ(font->GetFontDescriptor(), nullptr);
}

TEST_F(Type3FontTest, Type3CheckWantsEveryKey) {
  auto accepts = [&](const std::string& text) {
    std::unique_ptr<CPDFObject> raw = Parse(text, &doc_);
    return CPDFType3Font::Check(&doc_, raw.get());
  };
  EXPECT_TRUE(accepts("<< " + kType3Keys + " >>"));
  const std::string noProcs =
      "<< /Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 98 /Widths [500 600] /FontBBox "
      "[0 0 1 1] /FontMatrix [1 0 0 1 0 0] /Encoding /StandardEncoding >>";
  EXPECT_FALSE(accepts(noProcs));
  const std::string arrayEncoding =
      "<< /Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 98 /Widths [500 600] /FontBBox "
      "[0 0 1 1] /FontMatrix [1 0 0 1 0 0] /CharProcs << >> /Encoding [/a] >>";
  EXPECT_FALSE(accepts(arrayEncoding));
  // Refused by every member present.
  EXPECT_EQ(Create(noProcs), nullptr);
  EXPECT_EQ(Create(arrayEncoding), nullptr);
}

TEST_F(Type3FontTest, AType3FontThatListsItselfLoadsThroughTheResourceLoader) {
  const int32_t self = Register(doc_, "null");
  const std::string text =
      "<< " + kType3Keys + " /Resources << /Font << /T1 " + std::to_string(self) + " 0 R >> >> >>";
  // Object `self` becomes the font dictionary itself.
  std::unique_ptr<CPDFObject> parsed = Parse(text, &doc_);
  CPDFObjRef ref(self, 0);
  ASSERT_TRUE(doc_.RegistObj(parsed.release(), &ref));
  std::unique_ptr<CPDFObject> res =
      Parse("<< /Font << /T1 " + std::to_string(self) + " 0 R >> >>", &doc_);
  auto dict = LoadAs<CPDFResDict, CPDFDict>(&doc_, res.get());
  // Loaded or left raw, but no crash and no endless nesting.
  if (dict) {
    EXPECT_TRUE(dict->HasResource(CPDFName("Font"), CPDFName("T1")));
  }
}

TEST_F(Type3FontTest, MultipleMasterFonts) {
  std::unique_ptr<CPDFFont> font = Create("<< " + kMMKeys + " >>");
  ASSERT_TRUE(font);
  auto* mm = dynamic_cast<CPDFMMType1Font*>(font.get());
  ASSERT_TRUE(mm);
  EXPECT_EQ(mm->GetFontKind(), CPDFFont::kMMType1Font);
  EXPECT_STREQ(mm->GetNamePrefix().c_str(), "F");
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(mm->Get_LastChar()));
  const uint8_t text[] = {' '};
  EXPECT_EQ(mm->CalcStringWidth(text, 1), 0);
  EXPECT_FALSE(mm->UpdateCharWidth());
  EXPECT_EQ(mm->GetFontDescriptor(), nullptr);
  // Without /Widths it is no Multiple Master font.
  EXPECT_EQ(Create("<< /Type /Font /Subtype /MMType1 /BaseFont /X /FirstChar 32 /LastChar 32 "
                   "/FontDescriptor << >> >>"),
            nullptr);
}

TEST_F(Type3FontTest, FactoryChoosesByKindAndMask) {
  const std::string type1 = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
  EXPECT_TRUE(dynamic_cast<CPDFType1Font*>(Create(type1).get()));
  EXPECT_EQ(Create(type1, 0), nullptr);
  EXPECT_EQ(Create(type1, CPDFFont::kTrueTypeFont), nullptr);
  EXPECT_TRUE(dynamic_cast<CPDFTrueTypeFont*>(
      Create("<< /Type /Font /Subtype /TrueType /BaseFont /Arial >>").get()));
  EXPECT_TRUE(dynamic_cast<CPDFType3Font*>(Create("<< " + kType3Keys + " >>").get()));

  // A Widths reference that does not resolve fails the load: none, and the
  // raw dictionary keeps all its entries.
  std::unique_ptr<CPDFObject> raw = Parse(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 /LastChar 32 /Widths "
      "[999 0 R] >>",
      &doc_);
  const std::string read = Written(raw.get());
  EXPECT_EQ(CPDFFont::CreateFont(&doc_, raw.get(), -1), nullptr);
  EXPECT_EQ(Written(raw.get()), read);
}

TEST_F(Type3FontTest, ResourceDictionaryTypesItsFonts) {
  std::unique_ptr<CPDFObject> raw = Parse(
      "<< /Font << /A << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> /B << /Type /Font "
      "/Subtype /TrueType /BaseFont /Arial >> /C << " +
          kType3Base + " /CharProcs << >> >> >> >>",
      &doc_);
  auto res = LoadAs<CPDFResDict, CPDFDict>(&doc_, raw.get());
  ASSERT_TRUE(res);
  const CPDFName font("Font");
  auto* a = dynamic_cast<CPDFType1Font*>(res->GetResource(font, CPDFName("A")));
  auto* b = dynamic_cast<CPDFTrueTypeFont*>(res->GetResource(font, CPDFName("B")));
  auto* c = dynamic_cast<CPDFType3Font*>(res->GetResource(font, CPDFName("C")));
  ASSERT_TRUE(a && b && c);

  CPDFResDict empty;
  ASSERT_TRUE(empty.SetDoc(&doc_));
  CPDFName name;
  ASSERT_TRUE(empty.MakeUniqueName(name, a));
  EXPECT_STREQ(name.c_str(), "F1");
  ASSERT_TRUE(empty.MakeUniqueName(name, b));
  EXPECT_STREQ(name.c_str(), "TT1");
  ASSERT_TRUE(empty.MakeUniqueName(name, c));
  EXPECT_STREQ(name.c_str(), "T1");

  res->SetDefaultProcSet();
  EXPECT_NE(Written(res->Get_ProcSet()).find("/Text"), std::string::npos);

  // A font cloned into another document writes the same bytes.
  EXPECT_EQ(ClonedText(a, &doc_), Written(a));
  EXPECT_EQ(ClonedText(c, &doc_), Written(c));
}

}  // namespace
