// Deep copies and re-registration with real documents on both sides: the
// copy rules must end on the page tree's /Parent cycles and keep one copy
// per shared object.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFTrailer.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"

namespace {

std::unique_ptr<CPDFDoc> NewPDF() {
  auto doc = std::make_unique<CPDFDoc>();
  EXPECT_TRUE(doc->Create(false, false, 1, 3));
  return doc;
}

TEST(DuplicateBetweenDocumentsTest, PagesAreSkippedCyclesCloseSharedValuesCopyOnce) {
  auto src = NewPDF();
  auto dst = NewPDF();
  ASSERT_TRUE(src->CreatePage(-1, 1));
  CPDFObjRef pageRef;
  ASSERT_NE(src->GetPage(0, &pageRef), nullptr);

  // A holder in the source: a page (whose /Parent leads into the page
  // tree), one string referred to twice, and two dictionaries that refer
  // to each other.
  CPDFDict holder;
  holder.TempDict::SetAt("Page", new CPDFObjRef(pageRef));
  CPDFObjRef sharedRef;
  ASSERT_TRUE(holder.Set(src.get(), "A", new CPDFString("shared"), true, &sharedRef));
  holder.TempDict::SetAt("B", new CPDFObjRef(sharedRef));
  auto* item = new CPDFDict;
  auto* other = new CPDFDict;
  CPDFObjRef itemRef, otherRef;
  ASSERT_TRUE(holder.Set(src.get(), "Item", item, true, &itemRef));
  ASSERT_TRUE(src->RegistObj(other, &otherRef));
  item->TempDict::SetAt("Next", new CPDFObjRef(otherRef));
  other->TempDict::SetAt("Next", new CPDFObjRef(itemRef));
  other->Set(src.get(), "N", new CPDFInt(7));

  const int32_t before = dst->GetTrailer()->Get_Size()->GetInt();
  std::unique_ptr<CPDFObject> copy(holder.Clone(dst.get(), src.get()));
  auto* dict = dynamic_cast<CPDFDict*>(copy.get());
  ASSERT_NE(dict, nullptr);

  EXPECT_FALSE(dict->HasKey("Page"));  // pages are never copied along
  CPDFObjRef a, b;
  ASSERT_NE(dict->Get(dst.get(), "A", &a), nullptr);
  ASSERT_NE(dict->Get(dst.get(), "B", &b), nullptr);
  EXPECT_EQ(a, b);
  EXPECT_GE(a.GetNumber(), before);
  auto* newItem = dynamic_cast<CPDFDict*>(dict->Get(dst.get(), "Item"));
  ASSERT_NE(newItem, nullptr);
  auto* newOther = dynamic_cast<CPDFDict*>(newItem->Get(dst.get(), "Next"));
  ASSERT_NE(newOther, nullptr);
  EXPECT_EQ(newOther->Get(dst.get(), "Next"), newItem);
  auto* n = dynamic_cast<CPDFNumber*>(newOther->Get(dst.get(), "N"));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->GetInt(), 7);
  // Three new objects: the string and the two dictionaries.
  EXPECT_EQ(dst->GetTrailer()->Get_Size()->GetInt(), before + 3);
  // The source is untouched.
  EXPECT_NE(src->GetObj(itemRef), newItem);
  EXPECT_EQ(src->GetObj(itemRef), item);
}

TEST(DuplicateBetweenDocumentsTest, SettingUnderADefinedReferenceReplacesInPlace) {
  auto doc = NewPDF();
  CPDFDict dict;
  CPDFObjRef ref;
  ASSERT_TRUE(dict.Set(doc.get(), "V", new CPDFInt(1), true, &ref));
  const int32_t size = doc->GetTrailer()->Get_Size()->GetInt();
  auto* replacement = new CPDFInt(2);
  ASSERT_TRUE(dict.Set(doc.get(), "V", replacement, true, &ref));
  EXPECT_EQ(doc->GetTrailer()->Get_Size()->GetInt(), size);  // no new number
  EXPECT_EQ(doc->GetObj(ref), replacement);
  EXPECT_EQ(dict.Get(doc.get(), "V"), replacement);
}

}  // namespace
