// Encoding dictionaries: the numbers of /Differences typed as integers on
// load, the raw /Type check, the base-encoding default, and the bytes a new
// encoding writes (the form code's encoding depends on them). Load, write
// and clone of a sample are covered by the typed-class contract test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/font/CPDFEncoding.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/document/ResourceTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"
#include "tests/pdf/object/WrittenText.h"

namespace {

// The encoding loaded from the dictionary's text (none when it fails).
std::unique_ptr<CPDFEncoding> LoadEncoding(TestRegistry& doc, CPDFDict* source) {
  auto encoding = std::make_unique<CPDFEncoding>();
  if (!encoding->Load(&doc, source)) return nullptr;
  return encoding;
}

CPDFObject* Element(CPDFEncoding& encoding, int32_t index, CPDFObjRef* ref = nullptr) {
  CPDFArray* differences = encoding.Get_Differences();
  return differences ? differences->Get(encoding.GetDoc(), index, ref) : nullptr;
}

TEST(EncodingLoad, NumbersOfDifferencesBecomeIntegers) {
  TestRegistry doc;
  auto source = ParseAs<CPDFDict>("<< /Type /Encoding /Differences [32 /space] >>", &doc);
  ASSERT_TRUE(source);
  ASSERT_TRUE(CPDFEncoding::Check(&doc, source.get()));
  auto encoding = LoadEncoding(doc, source.get());
  ASSERT_TRUE(encoding);
  EXPECT_EQ(Element(*encoding, 0)->GetType(), CPDFObject::kInteger);
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(Element(*encoding, 0)));
  EXPECT_EQ(dynamic_cast<CPDFInt*>(Element(*encoding, 0))->GetInt(), 32);
  EXPECT_TRUE(dynamic_cast<CPDFName*>(Element(*encoding, 1)));
  EXPECT_EQ(WrittenText(*encoding), "<<\r\n/Differences [32 /space]\n/Type /Encoding\n>>");
}

TEST(EncodingLoad, OtherElementsStayAsRead) {
  TestRegistry doc;
  auto source = ParseAs<CPDFDict>("<< /Type /Encoding /Differences [/a 65 (text)] >>", &doc);
  ASSERT_TRUE(source);
  auto encoding = LoadEncoding(doc, source.get());
  ASSERT_TRUE(encoding);
  EXPECT_TRUE(dynamic_cast<CPDFName*>(Element(*encoding, 0)));
  EXPECT_EQ(Element(*encoding, 1)->GetType(), CPDFObject::kInteger);
  EXPECT_TRUE(dynamic_cast<CPDFString*>(Element(*encoding, 2)));
  EXPECT_EQ(WrittenText(*encoding), "<<\r\n/Differences [/a 65 (text)]\n/Type /Encoding\n>>");
}

// A number made in memory is not typed, nor is a /Differences that is not
// an array; neither fails the load.
TEST(EncodingLoad, OnlyNumbersReadFromAFileAreTyped) {
  TestRegistry doc;
  auto source = ParseAs<CPDFDict>("<< /Type /Encoding /Differences [/a] >>", &doc);
  ASSERT_TRUE(source);
  auto* differences = dynamic_cast<CPDFArray*>(source->Get(&doc, CPDFName("Differences")));
  ASSERT_TRUE(differences);
  ASSERT_TRUE(differences->Push_Back(&doc, std::make_unique<CPDFNumber>(66)));
  auto encoding = LoadEncoding(doc, source.get());
  ASSERT_TRUE(encoding);
  EXPECT_EQ(Element(*encoding, 1)->GetType(), CPDFObject::kNumber);

  auto notArray = ParseAs<CPDFDict>("<< /Type /Encoding /Differences 32 >>", &doc);
  ASSERT_TRUE(notArray);
  encoding = LoadEncoding(doc, notArray.get());
  ASSERT_TRUE(encoding);
  EXPECT_EQ(encoding->Get_Differences(), nullptr);
  EXPECT_EQ(WrittenText(*encoding), "<<\r\n/Differences 32\n/Type /Encoding\n>>");
}

TEST(EncodingLoad, IndirectNumberStaysIndirect) {
  TestRegistry doc;
  doc.next = 7;
  ASSERT_EQ(periph::Register(doc, "32"), 7);
  auto source = ParseAs<CPDFDict>("<< /Type /Encoding /Differences [7 0 R /space] >>", &doc);
  ASSERT_TRUE(source);
  auto encoding = LoadEncoding(doc, source.get());
  ASSERT_TRUE(encoding);
  CPDFObjRef ref;
  auto* first = dynamic_cast<CPDFInt*>(Element(*encoding, 0, &ref));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetInt(), 32);
  EXPECT_EQ(ref.GetNumber(), 7);
  EXPECT_EQ(doc.objects.at(7), first);
  EXPECT_EQ(WrittenText(*encoding), "<<\r\n/Differences [7 0 R /space]\n/Type /Encoding\n>>");
}

TEST(EncodingLoad, UnfetchableElementFailsAndGivesTheEntriesBack) {
  TestRegistry doc;
  const std::string text = "<< /Type /Encoding /Differences [32 9 0 R] >>";
  auto source = ParseAs<CPDFDict>(text, &doc);
  ASSERT_TRUE(source);
  const std::string read = WrittenText(*source);
  CPDFEncoding encoding;
  EXPECT_FALSE(encoding.Load(&doc, source.get()));
  EXPECT_TRUE(source->HasKey(CPDFName("Type")));
  EXPECT_TRUE(source->HasKey(CPDFName("Differences")));
  EXPECT_EQ(WrittenText(*source), read);
  EXPECT_EQ(WrittenText(*source), "<<\r\n/Differences [32 9 0 R]\n/Type /Encoding\n>>");
}

TEST(EncodingCheck, NeedsTheNameEncodingUnderType) {
  TestRegistry doc;
  ASSERT_EQ(periph::Register(doc, "/Encoding\r\n"), 1);
  struct Case {
    const char* text;
    bool passes;
  } const cases[] = {
      {"<< /Type /Encoding >>", true},
      {"<< /Type /Encoding /BaseEncoding /WinAnsiEncoding >>", true},
      {"<< /BaseEncoding /WinAnsiEncoding >>", false},
      {"<< /Type 1 0 R >>", false},  // not resolved
      {"<< /Type /encoding >>", false},
      {"<< /Type (Encoding) >>", false},
      {"<< /Type /Encoding /Length 0 >> stream\r\n\r\nendstream", false},
      {"[/Encoding]", false},
  };
  for (const Case& c : cases) {
    auto object = ParseText(std::string(c.text) + "\r\nendobj", &doc);
    ASSERT_TRUE(object) << c.text;
    EXPECT_EQ(CPDFEncoding::Check(&doc, object.get()), c.passes) << c.text;
  }
  EXPECT_FALSE(CPDFEncoding::Check(&doc, nullptr));
}

TEST(EncodingBase, DefaultIsStandardEncoding) {
  TestRegistry doc;
  struct Case {
    const char* text;
    const char* base;
    bool entry;
  } const cases[] = {
      {"<< /Type /Encoding >>", "StandardEncoding", false},
      {"<< /Type /Encoding /BaseEncoding 3 >>", "StandardEncoding", false},
      {"<< /Type /Encoding /BaseEncoding /MacRomanEncoding >>", "MacRomanEncoding", true},
  };
  for (const Case& c : cases) {
    auto source = ParseAs<CPDFDict>(c.text, &doc);
    ASSERT_TRUE(source) << c.text;
    auto encoding = LoadEncoding(doc, source.get());
    ASSERT_TRUE(encoding) << c.text;
    EXPECT_STREQ(encoding->Get_BaseEncoding(), c.base) << c.text;
    EXPECT_EQ(encoding->Get_BaseEncodingEntry() != nullptr, c.entry) << c.text;
  }
}

TEST(EncodingCreate, WritesTypeAndDifferencesExactly) {
  TestRegistry doc;
  CPDFEncoding encoding;
  ASSERT_TRUE(encoding.Create(&doc));
  EXPECT_EQ(encoding.GetDoc(), &doc);
  EXPECT_TRUE(CPDFEncoding::Check(&doc, &encoding));
  auto differences = std::make_unique<CPDFArray>();
  ASSERT_TRUE(differences->Push_Back(&doc, std::make_unique<CPDFInt>(32)));
  ASSERT_TRUE(differences->Push_Back(&doc, std::make_unique<CPDFName>("space")));
  ASSERT_TRUE(encoding.Set_Differences(differences.get()));
  differences.release();
  const std::string expected = "<<\r\n/Differences [32 /space]\n/Type /Encoding\n>>";
  EXPECT_EQ(expected.size(), 47u);
  EXPECT_EQ(WrittenText(encoding), expected);

  TestRegistry other;
  EXPECT_EQ(periph::ClonedText(&encoding, &doc), expected);
  std::unique_ptr<CPDFEncoding> copy(encoding.Clone(&other, &doc));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetDoc(), &other);
  EXPECT_EQ(copy->GetStructKind(), CPDFDataStruct::kEncoding);
}

TEST(EncodingCreate, IndirectDifferencesAreRegistered) {
  TestRegistry doc;
  CPDFEncoding encoding;
  ASSERT_TRUE(encoding.Create(&doc));
  auto differences = std::make_unique<CPDFArray>();
  ASSERT_TRUE(differences->Push_Back(&doc, std::make_unique<CPDFInt>(65)));
  CPDFObjRef ref;
  ASSERT_TRUE(encoding.Set_Differences(differences.get(), true, &ref));
  CPDFArray* stored = differences.release();
  EXPECT_TRUE(ref.IsDefined());
  CPDFObjRef got;
  EXPECT_EQ(encoding.Get_Differences(&got), stored);
  EXPECT_EQ(got.GetNumber(), ref.GetNumber());
}

}  // namespace
