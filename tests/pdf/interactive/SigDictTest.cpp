// Signature dictionaries read from PDF text: what Check accepts, which
// entries are typed, and which stay as read.
#include <gtest/gtest.h>

#include <string>

#include "pdf/interactive/CPDFSigDict.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

using periph::Written;

int32_t TypeOf(CPDFObject* object) { return object ? object->GetType() : -1; }

TEST(SigDictTest, CheckWantsTypeSigAndAByteRangeArray) {
  TestRegistry doc;
  const int32_t ranges = periph::Register(doc, "[0 10 20 30]");
  ASSERT_GT(ranges, 0);
  const struct {
    std::string text;
    bool check;
  } cases[] = {
      {"<< /Type /Sig /ByteRange [0 840 960 240] >>", true},
      {"<< /Type /Sig /ByteRange " + std::to_string(ranges) + " 0 R >>", true},
      {"<< /Type /Sig >>", false},
      {"<< /ByteRange [0 840 960 240] >>", false},
      {"<< /Type (Sig) /ByteRange [0 840 960 240] >>", false},
      {"<< /Type /DocTimeStamp /ByteRange [0 840 960 240] >>", false},
      {"<< /Type /Sig /ByteRange (0 840 960 240) >>", false},
      {"<< /Type /Sig /ByteRange 99 0 R >>", false},
      {"[/Type /Sig]", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto raw = periph::Parse(c.text, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    EXPECT_EQ(CPDFSigDict::Check(&doc, raw.get()), c.check);
    EXPECT_EQ(Written(raw.get()), before);
  }
}

TEST(SigDictTest, LoadTypesRangesTextsAndDatesAndLeavesTheRestAsRead) {
  TestRegistry doc;
  const std::string text =
      "<< /Type /Sig /Filter /Example.Handler /SubFilter /x.detached "
      "/ByteRange [0 840 (960) 240] /Contents <00FF> /Name (Signer) /Location /Here "
      "/Reason (because) /M (D:20260101120000Z) >>";
  auto raw = periph::Parse(text, &doc);
  const std::string before = Written(raw.get());
  EXPECT_NE(before.find("<00FF>"), std::string::npos);
  auto sig = periph::LoadAs<CPDFSigDict, CPDFDict>(&doc, raw.get());
  ASSERT_NE(sig, nullptr);
  auto* ranges = dynamic_cast<CPDFArray*>(sig->Get_ByteRange());
  ASSERT_NE(ranges, nullptr);
  ASSERT_EQ(ranges->GetCount(), 4);
  EXPECT_EQ(TypeOf(ranges->Get(&doc, 0, nullptr)), CPDFObject::kInteger);
  EXPECT_EQ(TypeOf(ranges->Get(&doc, 1, nullptr)), CPDFObject::kInteger);
  EXPECT_EQ(TypeOf(ranges->Get(&doc, 2, nullptr)), CPDFObject::kString);
  EXPECT_EQ(TypeOf(ranges->Get(&doc, 3, nullptr)), CPDFObject::kInteger);
  EXPECT_EQ(TypeOf(sig->Get_Name()), CPDFObject::kText);
  EXPECT_EQ(TypeOf(sig->Get_Reason()), CPDFObject::kText);
  EXPECT_EQ(TypeOf(sig->Get_Location()), CPDFObject::kName);
  EXPECT_NE(sig->Get_M(), nullptr);
  EXPECT_EQ(TypeOf(sig->Get(&doc, CPDFName("Contents"))), CPDFObject::kString);
  // Typing changes no byte: Contents keeps its hexadecimal form.
  EXPECT_EQ(Written(sig.get()), before);

  // The four integers keep their values.
  const int32_t values[] = {0, 840, 240};
  const int32_t at[] = {0, 1, 3};
  for (int i = 0; i < 3; ++i) {
    auto* number = dynamic_cast<CPDFInt*>(ranges->Get(&doc, at[i], nullptr));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->GetInt(), values[i]);
  }
}

TEST(SigDictTest, DatesAreTypedOnlyFromStringsWithThePrefix) {
  TestRegistry doc;
  const struct {
    const char* m;
    int32_t type;
    bool date;
  } cases[] = {
      {"(D:20260101120000Z)", CPDFObject::kString, true},
      {"(20260101120000Z)", CPDFObject::kString, false},
      {"/D:2026", CPDFObject::kName, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m);
    auto raw = periph::Parse(std::string("<< /Type /Sig /ByteRange [] /M ") + c.m + " >>", &doc);
    auto sig = periph::LoadAs<CPDFSigDict, CPDFDict>(&doc, raw.get());
    ASSERT_NE(sig, nullptr);
    EXPECT_EQ(TypeOf(sig->Get(&doc, CPDFSigDict::Key_M())) & ~CPDFObject::kText, c.type);
    EXPECT_EQ(sig->Get_M() != nullptr, c.date);
  }
}

TEST(SigDictTest, AnIndirectByteRangeIsTypedWhereTheDocumentHoldsIt) {
  TestRegistry doc;
  const int32_t ranges = periph::Register(doc, "[0 840 960 240]");
  ASSERT_GT(ranges, 0);
  const int32_t count = doc.next;
  auto raw = periph::Parse("<< /Type /Sig /ByteRange " + std::to_string(ranges) + " 0 R >>", &doc);
  const std::string before = Written(raw.get());
  auto sig = periph::LoadAs<CPDFSigDict, CPDFDict>(&doc, raw.get());
  ASSERT_NE(sig, nullptr);
  CPDFObjRef ref;
  auto* array = dynamic_cast<CPDFArray*>(sig->Get_ByteRange(&ref));
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(ref.GetNumber(), ranges);
  EXPECT_EQ(doc.GetObj(ref), array);
  EXPECT_EQ(TypeOf(array->Get(&doc, 2, nullptr)), CPDFObject::kInteger);
  EXPECT_EQ(doc.next, count);
  EXPECT_EQ(Written(sig.get()), before);
}

TEST(SigDictTest, ALoadThatFailsGivesEverythingBack) {
  TestRegistry doc;
  const char* texts[] = {
      "<< /Type /Sig /Name (x) >>",                        // no ranges
      "<< /Type /Sig /ByteRange (0 1) /Name (x) >>",       // ranges not an array
      "<< /Type /Sig /ByteRange [0 99 0 R] /Name (x) >>",  // an element that cannot be fetched
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    auto raw = periph::Parse(text, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    EXPECT_EQ((periph::LoadAs<CPDFSigDict, CPDFDict>(&doc, raw.get())), nullptr);
    EXPECT_EQ(Written(raw.get()), before);
  }
}

TEST(SigDictTest, SettersRefuseNoneAndDateSetterStoresTheDate) {
  TestRegistry doc;
  auto raw = periph::Parse("<< /Type /Sig /ByteRange [] /M (D:2020) >>", &doc);
  auto sig = periph::LoadAs<CPDFSigDict, CPDFDict>(&doc, raw.get());
  ASSERT_NE(sig, nullptr);
  CPDFDate* before = sig->Get_M();
  ASSERT_NE(before, nullptr);
  EXPECT_FALSE(sig->Set_M(nullptr));
  EXPECT_EQ(sig->Get_M(), before);
  EXPECT_FALSE(sig->Set_Name(nullptr));
  EXPECT_EQ(sig->Get_Name(), nullptr);
}

}  // namespace
