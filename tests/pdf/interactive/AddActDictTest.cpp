// Additional-actions dictionaries read from PDF text: which triggers become
// typed actions, and what stays as read.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFAddActDict.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

TEST(AddActDictTest, RecognisedTriggersAreTypedAndTheRestStays) {
  TestRegistry doc;
  const int32_t x = Register(doc, "<< /S /Bogus /Extra [1 2] /Note (n) >>");
  const std::string text =
      "<< /E << /S /URI /URI (https://example.org/) >> /X " + std::to_string(x) +
      " 0 R /D /Named /U (string) /O [<< /S /URI /URI (u) >>] /Z << /S /URI /URI (z) >> "
      "/FP << /S /Named /N /NextPage >> >>";
  auto raw = Parse(text, &doc);
  const std::string before = Written(raw.get());
  const std::string xBefore = Written(doc.GetObj(CPDFObjRef(x, 0)));
  auto aa = LoadAs<CPDFAddActDict, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(aa);
  EXPECT_NE(aa->Get_E(), nullptr);
  EXPECT_NE(aa->Get_FP(), nullptr);
  // An action no type accepts keeps its entries under its number.
  EXPECT_EQ(aa->Get_X(), nullptr);
  CPDFObjRef ref;
  EXPECT_EQ(Written(aa->Get(&doc, CPDFAddActDict::Key_X(), &ref)), xBefore);
  EXPECT_EQ(ref, CPDFObjRef(x, 0));
  // Triggers that are no dictionary, and keys outside the list, stay.
  EXPECT_NE(dynamic_cast<CPDFName*>(aa->Get(&doc, CPDFAddActDict::Key_D())), nullptr);
  EXPECT_NE(dynamic_cast<CPDFString*>(aa->Get(&doc, CPDFAddActDict::Key_U())), nullptr);
  EXPECT_NE(dynamic_cast<CPDFArray*>(aa->Get(&doc, CPDFAddActDict::Key_O())), nullptr);
  CPDFObject* z = aa->Get(&doc, CPDFName("Z"));
  EXPECT_EQ(dynamic_cast<CPDFAction*>(z), nullptr);
  EXPECT_NE(dynamic_cast<CPDFDict*>(z), nullptr);
  EXPECT_EQ(Written(aa.get()), before);
}

TEST(AddActDictTest, BothAccessorsOfCReadTheOneEntry) {
  TestRegistry doc;
  auto raw = Parse("<< /C << /S /URI /URI (c) >> >>", &doc);
  auto aa = LoadAs<CPDFAddActDict, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(aa);
  ASSERT_NE(aa->Get_C(), nullptr);
  EXPECT_EQ(aa->Get_C(), aa->Get_C2());
  auto other = Parse("<< /S /URI /URI (other) >>", &doc);
  std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, other.get(), -1));
  ASSERT_NE(action, nullptr);
  CPDFAction* stored = action.get();
  ASSERT_TRUE(aa->Set_C2(stored));
  action.release();
  EXPECT_EQ(aa->Get_C(), stored);
  EXPECT_EQ(aa->GetCount(), 1);
  EXPECT_FALSE(aa->Set_C(nullptr));
}

TEST(AddActDictTest, ADictionaryMadeInMemoryConvertsNothing) {
  TestRegistry doc;
  CPDFDict source;
  auto* action = new CPDFDict;
  ASSERT_TRUE(action->Set(&doc, CPDFName("S"), new CPDFName("URI"), false, nullptr));
  ASSERT_TRUE(action->Set(&doc, CPDFName("URI"), new CPDFString("u"), false, nullptr));
  ASSERT_TRUE(source.Set(&doc, CPDFAddActDict::Key_E(), action, false, nullptr));
  CPDFAddActDict aa;
  ASSERT_TRUE(aa.Load(&doc, &source));
  EXPECT_EQ(aa.Get(&doc, CPDFAddActDict::Key_E()), action);
  EXPECT_EQ(aa.Get_E(), nullptr);
}

TEST(AddActDictTest, AnActionThatCannotBeStoredGivesEverythingBack) {
  TestRegistry doc;
  const int32_t e = Register(doc, "<< /S /URI /URI (e) >>");
  auto raw = Parse("<< /D << /S /URI /URI (d) >> /E " + std::to_string(e) + " 0 R >>", &doc);
  const std::string before = Written(raw.get());
  const std::string eBefore = Written(doc.GetObj(CPDFObjRef(e, 0)));
  doc.failRegist = true;
  EXPECT_FALSE((LoadAs<CPDFAddActDict, CPDFDict>(&doc, raw.get())));
  doc.failRegist = false;
  EXPECT_EQ(Written(raw.get()), before);
  EXPECT_EQ(dynamic_cast<CPDFAction*>(doc.GetObj(CPDFObjRef(e, 0))), nullptr);
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(e, 0))), eBefore);
}

}  // namespace
