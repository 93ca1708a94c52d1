// Typing the values of a page read from a file, and what a failed step
// leaves behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFInfoDict.h"
#include "pdf/document/PeriphTestSupport.h"
#include "pdf/interactive/CPDFAddActDict.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/interactive/CPDFTransition.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

TEST(PageLoadTest, AFailedStoreGivesTheRawValueBack) {
  TestRegistry doc;
  const int32_t aa = Register(doc, "<< /O << /S /JavaScript /JS (x) >> >>");
  auto raw = Parse("<< /Type /Page /Rotate 90 /AA " + std::to_string(aa) + " 0 R >>", &doc);
  const std::string pageBefore = Written(raw.get());
  const std::string actionsBefore = Written(doc.GetObj(CPDFObjRef(aa, 0)));
  doc.failRegist = true;  // the typed AA cannot be stored under its number
  CPDFPage page;
  EXPECT_FALSE(page.Load(&doc, dynamic_cast<CPDFDict*>(raw.get())));
  EXPECT_EQ(page.GetCount(), 0);
  EXPECT_EQ(Written(raw.get()), pageBefore);
  CPDFObject* actions = doc.GetObj(CPDFObjRef(aa, 0));
  EXPECT_EQ(dynamic_cast<CPDFAddActDict*>(actions), nullptr);
  EXPECT_EQ(Written(actions), actionsBefore);
}

// The page's Trans goes through a family factory; the same path is driven
// here with a factory of its own: a typed value that took the raw one's
// entries and cannot be stored gives them back instead of leaving an
// emptied dictionary.
TEST(PageLoadTest, AFactoryValueThatCannotBeStoredGivesItsContentBack) {
  TestRegistry doc;
  const int32_t trans = Register(doc, "<< /S /Fade /D 2 >>");
  auto raw = Parse("<< /Trans " + std::to_string(trans) + " 0 R >>", &doc);
  const std::string before = Written(doc.GetObj(CPDFObjRef(trans, 0)));
  auto make = [&doc](CPDFObject* value) -> CPDFAddActDict* {
    auto typed = std::make_unique<CPDFAddActDict>();
    return typed->Load(&doc, dynamic_cast<CPDFDict*>(value)) ? typed.release() : nullptr;
  };
  doc.failRegist = true;
  EXPECT_FALSE(PDFTypeEntry(dynamic_cast<CPDFDict*>(raw.get()), &doc, CPDFName("Trans"),
                            CPDFObject::kDictionary, make));
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(trans, 0))), before);
}

// Only dictionaries go to the annotation and transition factories: a
// stream with the same entries stays as read. A transition that cannot be
// stored under its number gives its entries back and fails the page.
TEST(PageLoadTest, AnnotationsAndTransitionsMustBeDictionaries) {
  TestRegistry doc;
  const int32_t stream =
      Register(doc,
               "<< /Type /Annot /Subtype /Square /Rect [0 0 1 1] /Length 1 >> stream\r\nx\r\n"
               "endstream\r\nendobj");
  const int32_t trans =
      Register(doc, "<< /Type /Trans /S /Box /Length 1 >> stream\r\nx\r\nendstream\r\nendobj");
  auto raw = Parse("<< /Type /Page /Annots [" + std::to_string(stream) +
                       " 0 R << /Type /Annot /Subtype /Square /Rect [0 0 1 1] >>] /Trans " +
                       std::to_string(trans) + " 0 R >>",
                   &doc);
  auto page = LoadAs<CPDFPage, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(page);
  EXPECT_EQ(dynamic_cast<CPDFAnnotation*>(doc.GetObj(CPDFObjRef(stream, 0))), nullptr);
  EXPECT_NE(dynamic_cast<CPDFAnnotation*>(page->Get_Annots()->Get(&doc, 1)), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFTransition*>(doc.GetObj(CPDFObjRef(trans, 0))), nullptr);

  const int32_t dict = Register(doc, "<< /Type /Trans /S /Box /D 2 >>");
  raw = Parse("<< /Type /Page /Trans " + std::to_string(dict) + " 0 R >>", &doc);
  const std::string before = Written(doc.GetObj(CPDFObjRef(dict, 0)));
  doc.failRegist = true;
  EXPECT_FALSE((LoadAs<CPDFPage, CPDFDict>(&doc, raw.get())));
  doc.failRegist = false;
  EXPECT_EQ(dynamic_cast<CPDFTransition*>(doc.GetObj(CPDFObjRef(dict, 0))), nullptr);
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(dict, 0))), before);
  page = LoadAs<CPDFPage, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(page);
  EXPECT_NE(dynamic_cast<CPDFBoxTrans*>(doc.GetObj(CPDFObjRef(dict, 0))), nullptr);
}

TEST(PageLoadTest, AnUnresolvableAnnotationStaysAndThePageLoads) {
  TestRegistry doc;
  auto raw = Parse("<< /Type /Page /Annots [99 0 R << /Subtype /Link >>] >>", &doc);
  const std::string before = Written(raw.get());
  auto page = LoadAs<CPDFPage, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(page);
  EXPECT_EQ(Written(page.get()), before);
}

// A display duration keeps the value read: the typed real is made from
// both values of the number, not from its integer part alone.
TEST(PageLoadTest, DurationKeepsItsFraction) {
  TestRegistry doc;
  auto raw = Parse("<< /Type /Page /Dur 40000.5 /Rotate 90 >>", &doc);
  auto page = LoadAs<CPDFPage, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(page);
  auto* dur = dynamic_cast<CPDFReal*>(page->Get(&doc, CPDFName("Dur")));
  ASSERT_NE(dur, nullptr);
  EXPECT_EQ(dur->GetFloat(), 40000.5f);
  EXPECT_NE(dynamic_cast<CPDFInt*>(page->Get_Rotate()), nullptr);
}

TEST(InfoDictTest, AFailedCloneAnswersNoneWithoutThrowing) {
  TestRegistry doc;
  auto raw = Parse("<< /Producer (x) /CreationDate (D:20200101) /Broken 99 0 R >>", &doc);
  auto info = LoadAs<CPDFInfoDict, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(info);
  EXPECT_NE(info->Get_CreationDate(), nullptr);
  TestRegistry other;
  CPDFObject* copy = nullptr;
  EXPECT_NO_THROW(copy = info->Clone(&other, &doc));
  EXPECT_EQ(copy, nullptr);
}
