#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/ResourceTestSupport.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFGraphObjs.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/TestRegistry.h"

namespace {

const char kPage[] = "q 1 0 0 1 0 0 cm 612 0 0 792 0 0 cm /Im1 Do Q";

void FillPage(CPDFGraphObjs& list) {
  list.AddGSave();
  list.AddTranslate(0, 0);
  list.AddMatrix(612, 0, 0, 792, 0, 0);
  list.AddXObject("Im1");
  list.AddGRestore();
}

std::string Data(CPDFStream& s) {
  const char* data = s.GetData();
  return data ? std::string(data, static_cast<size_t>(s.GetDataLength())) : "(none)";
}

std::unique_ptr<CPDFStream> Parse(const std::string& dict, const std::string& body,
                                  CPDFObjRegistry* doc = nullptr) {
  return ParseAs<CPDFStream>(dict + "\nstream\n" + body + "\nendstream\nendobj\n", doc);
}

TEST(StreamGraphTest, ListReplacesDataAndFilterRecords) {
  CPDFGraphObjs list;
  FillPage(list);
  for (const char* dict : {
           "<< /Length 5 >>",
           "<< /Length 5 /Filter /FlateDecode /DecodeParms << /Predictor 12 >> >>",
           "<< /Length 5 /Filter [/ASCII85Decode /FlateDecode] /DecodeParms [null null] >>",
       }) {
    std::unique_ptr<CPDFStream> s = Parse(dict, "xxxxx");
    ASSERT_NE(s, nullptr) << dict;
    CPDFException error;
    EXPECT_TRUE(s->UpdateGraphObjs(&list, &error)) << dict << ": " << error.GetMessage();
    EXPECT_FALSE(error.IsError());
    EXPECT_EQ(Data(*s), kPage);
    EXPECT_EQ(s->GetLength(), static_cast<int32_t>(sizeof kPage - 1));
    EXPECT_FALSE(s->HasKey(CPDFName("Filter")));
    EXPECT_FALSE(s->HasKey(CPDFName("DecodeParms")));
    EXPECT_EQ(WrittenText(*s), "<<\r\n/Length " + std::to_string(sizeof kPage - 1) +
                                   "\n>>\r\nstream\r\n" + kPage + "\r\nendstream");
  }

  // An empty list leaves empty data; a caller may compress afterwards.
  CPDFStream s;
  CPDFGraphObjs empty;
  EXPECT_TRUE(s.UpdateGraphObjs(&empty));
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_TRUE(s.UpdateGraphObjs(&list));
  ASSERT_TRUE(s.FlateEncode());
  ASSERT_TRUE(s.DecodeAllFilter());
  EXPECT_EQ(Data(s), kPage);
}

TEST(StreamGraphTest, IndirectLengthFollows) {
  TestRegistry doc;
  std::unique_ptr<CPDFObject> length = ParseText("3 ", &doc);
  doc.objects[4] = length.release();
  doc.next = 5;
  std::unique_ptr<CPDFStream> s = Parse("<< /Length 4 0 R >>", "abc", &doc);
  ASSERT_NE(s, nullptr);
  CPDFGraphObjs list;
  list.AddGSave();
  list.AddGRestore();
  ASSERT_TRUE(s->UpdateGraphObjs(&list));
  EXPECT_EQ(Data(*s), "q Q");
  EXPECT_EQ(s->GetLength(), 3);
  EXPECT_NE(WrittenText(*s).find("/Length 4 0 R"), std::string::npos);
}

TEST(StreamGraphTest, FailuresLeaveEmptyData) {
  CPDFGraphObjs list;
  FillPage(list);
  // A filter no codec knows: the record names it; the data are empty.
  std::unique_ptr<CPDFStream> s = Parse("<< /Length 5 /Filter /LZWDecode >>", "xxxxx");
  ASSERT_NE(s, nullptr);
  CPDFException error;
  EXPECT_FALSE(s->UpdateGraphObjs(&list, &error));
  EXPECT_EQ(error.GetCode(), CPDFException::kSyntax);
  EXPECT_STREQ(error.GetMessage(), "unknown filter: LZWDecode");
  EXPECT_EQ(s->GetLength(), 0);
  EXPECT_EQ(Data(*s), "");
  // Without a record the answer is the same.
  EXPECT_FALSE(s->UpdateGraphObjs(&list));

  CPDFStream t;
  t.SetData("abc", 3);
  CPDFException none;
  EXPECT_FALSE(t.UpdateGraphObjs(nullptr, &none));
  EXPECT_EQ(none.GetCode(), CPDFException::kUndefined);
  EXPECT_EQ(t.GetLength(), 0);
}

}  // namespace
