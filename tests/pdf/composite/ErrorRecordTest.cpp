// The document's error record tells the reason of the last call only:
// a call that succeeds, or fails without recording anything, leaves it
// empty, never with the class, method or message of an earlier failure.
#include <gtest/gtest.h>

#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/object/CPDFName.h"

namespace {

void ExpectEmpty(const CPDFException& record, const char* after) {
  SCOPED_TRACE(after);
  EXPECT_EQ(record.GetCode(), 0);
  EXPECT_STREQ(record.GetClassName(), "");
  EXPECT_STREQ(record.GetMethodName(), "");
  EXPECT_STREQ(record.GetMessage(), "");
}

TEST(ErrorRecordTest, NoStaleReasonAfterAFailure) {
  TempFolder folder;
  const std::string path = folder.File("out.pdf");
  CPDFDoc doc;
  ASSERT_TRUE(doc.Create(false, false, 1, 3));
  ASSERT_TRUE(doc.CreatePage(-1, 1));
  CPDFObjRef pageRef;
  auto* resources = dynamic_cast<CPDFResDict*>(doc.GetPage(0, &pageRef)->Get_Resources());
  ASSERT_NE(resources, nullptr);

  EXPECT_FALSE(doc.Flush());
  EXPECT_STREQ(doc.GetError().GetMessage(), "CPDFDoc::Save() has not been called.");
  EXPECT_NE(doc.GetPage(0), nullptr);
  ExpectEmpty(doc.GetError(), "a page read after a failed flush");

  EXPECT_FALSE(doc.Flush());
  ASSERT_TRUE(doc.Save(path.c_str(), false, false));
  ASSERT_TRUE(doc.Flush());
  ExpectEmpty(doc.GetError(), "a flush after a failed flush");

  EXPECT_FALSE(doc.Flush());
  EXPECT_FALSE(resources->AddResource(CPDFName("F1"), nullptr));
  ExpectEmpty(doc.GetError(), "a resource of none after a failed flush");

  EXPECT_EQ(doc.GetObj(CPDFObjRef()), nullptr);
  EXPECT_EQ(doc.GetError().GetCode(), CPDFException::kUndefined);
  doc.GetError().Clear();
  ExpectEmpty(doc.GetError(), "a clear");
}

}  // namespace
