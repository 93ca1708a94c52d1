#include <gtest/gtest.h>

#include "PeriphTestSupport.h"
#include "pdf/document/CPDFAppDataDict.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/object/CPDFDate.h"

using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

TEST(AppDataDictTest, CheckWantsAStringLastModified) {
  TestRegistry doc;
  auto good = Parse("<< /LastModified (D:20200102030405) /Private 1 >>", &doc);
  auto number = Parse("<< /LastModified 5 >>", &doc);
  auto none = Parse("<< /Private 1 >>", &doc);
  EXPECT_TRUE(CPDFAppDataDict::Check(&doc, good.get()));
  EXPECT_FALSE(CPDFAppDataDict::Check(&doc, number.get()));
  EXPECT_FALSE(CPDFAppDataDict::Check(&doc, none.get()));

  auto app = LoadAs<CPDFAppDataDict, CPDFDict>(&doc, good.get());
  ASSERT_TRUE(app);
  EXPECT_NE(dynamic_cast<CPDFDate*>(app->Get_LastModified()), nullptr);
  // A string that is not a date stays a plain string.
  auto odd = Parse("<< /LastModified (yesterday) >>", &doc);
  app = LoadAs<CPDFAppDataDict, CPDFDict>(&doc, odd.get());
  ASSERT_TRUE(app);
  EXPECT_EQ(dynamic_cast<CPDFDate*>(app->Get_LastModified()), nullptr);
}

// LastModified is required by the load, not only by Check; an indirect
// date is typed under its own number; the setter refuses none.
TEST(AppDataDictTest, LastModifiedIsRequiredAndKeepsItsNumber) {
  TestRegistry doc;
  auto none = Parse("<< /Private 1 >>", &doc);
  const std::string before = Written(none.get());
  EXPECT_FALSE((LoadAs<CPDFAppDataDict, CPDFDict>(&doc, none.get())));
  EXPECT_EQ(Written(none.get()), before);

  const int32_t date = Register(doc, "(D:20200102030405)");
  auto indirect = Parse("<< /LastModified " + std::to_string(date) + " 0 R >>", &doc);
  auto app = LoadAs<CPDFAppDataDict, CPDFDict>(&doc, indirect.get());
  ASSERT_TRUE(app);
  CPDFObjRef ref;
  CPDFDate* typed = app->Get_LastModified(&ref);
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(ref, CPDFObjRef(date, 0));
  EXPECT_EQ(doc.GetObj(ref), static_cast<CPDFObject*>(typed));
  EXPECT_EQ(Written(typed), "(D:20200102030405)");

  EXPECT_FALSE(app->Set_LastModified(nullptr));
  EXPECT_EQ(app->Get_LastModified(), typed);
}

TEST(PieceInfoDictTest, TypesApplicationDataAndKeepsTheRest) {
  TestRegistry doc;
  const int32_t n = Register(doc, "<< /LastModified (D:2021) /Private [1 2] >>");
  const std::string text =
      "<< /AppA << /LastModified (D:20200101) /Private 5 >> /AppB << /Private 1 >> /AppC " +
      std::to_string(n) + " 0 R /AppD 7 >>";
  auto raw = Parse(text, &doc);
  const std::string before = Written(raw.get());
  auto piece = LoadAs<CPDFPieceInfoDict, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(piece);
  EXPECT_EQ(piece->GetStructKind(), CPDFDataStruct::kPieceInfo);

  auto* a = dynamic_cast<CPDFAppDataDict*>(piece->Get(&doc, "AppA"));
  ASSERT_NE(a, nullptr);
  EXPECT_NE(dynamic_cast<CPDFDate*>(a->Get_LastModified()), nullptr);
  // Without LastModified: a plain dictionary.
  CPDFObject* b = piece->Get(&doc, "AppB");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFAppDataDict*>(b), nullptr);
  // Through a reference: typed and still indirect under the same number.
  CPDFObjRef ref;
  EXPECT_NE(dynamic_cast<CPDFAppDataDict*>(piece->Get(&doc, "AppC", &ref)), nullptr);
  EXPECT_EQ(ref.GetNumber(), n);
  EXPECT_NE(dynamic_cast<CPDFAppDataDict*>(doc.GetObj(ref)), nullptr);

  // Written unchanged, also after a copy into another document.
  EXPECT_EQ(Written(piece.get()), before);
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(piece->Clone(&other, &doc));
  ASSERT_NE(dynamic_cast<CPDFPieceInfoDict*>(copy.get()), nullptr);
  auto* copied = dynamic_cast<CPDFPieceInfoDict*>(copy.get());
  EXPECT_EQ(copied->GetDoc(), &other);
  CPDFObjRef copiedRef;
  EXPECT_NE(dynamic_cast<CPDFAppDataDict*>(copied->Get(&other, "AppC", &copiedRef)), nullptr);
  EXPECT_TRUE(copiedRef.IsDefined());
  EXPECT_EQ(
      Written(copy.get()),
      "<<\r\n/AppA <<\r\n/LastModified (D:20200101)\n/Private 5\n>>\n/AppB <<\r\n/Private 1\n>>\n"
      "/AppC " +
          std::to_string(copiedRef.GetNumber()) + " 0 R\n/AppD 7\n>>");
}

TEST(PieceInfoDictTest, UnresolvableEntryFailsAndGivesTheEntriesBack) {
  TestRegistry doc;
  auto raw = Parse("<< /AppA << /LastModified (D:2020) >> /Broken 99 0 R >>", &doc);
  const std::string before = Written(raw.get());
  CPDFPieceInfoDict piece;
  EXPECT_FALSE(piece.Load(&doc, dynamic_cast<CPDFDict*>(raw.get())));
  EXPECT_EQ(piece.GetCount(), 0);
  auto* source = dynamic_cast<CPDFDict*>(raw.get());
  EXPECT_EQ(source->GetCount(), 2);
  EXPECT_TRUE(source->HasKey("Broken"));
  // Converted entries come back too, written as they were read.
  EXPECT_EQ(Written(raw.get()), before);
}
