// A stream read from PDF text types its F entry when it is a file
// specification, and keeps any other F as read.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PeriphTestSupport.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"

namespace {

using periph::Written;

// The object parser wants "endobj" behind a stream's data.
std::unique_ptr<CPDFObject> Parse(const std::string& text, CPDFObjRegistry* doc) {
  return periph::Parse(text + "\r\nendobj", doc);
}

std::string StreamText(const std::string& f) {
  return "<<\r\n/F " + f + "\n/Length 3\n>>\r\nstream\r\nabc\r\nendstream";
}

TEST(StreamFileSpecTest, FileSpecificationBecomesTyped) {
  TestRegistry doc;
  const std::string text = StreamText("<<\r\n/F (data.bin)\n/Type /Filespec\n>>");
  auto object = Parse(text, &doc);
  auto* stream = dynamic_cast<CPDFStream*>(object.get());
  ASSERT_NE(stream, nullptr);
  auto* spec = dynamic_cast<CPDFFileSpec*>(stream->Get_F());
  ASSERT_NE(spec, nullptr);
  EXPECT_EQ(spec->GetDoc(), &doc);
  EXPECT_EQ(Written(stream), text);
  EXPECT_EQ(periph::ClonedText(stream, &doc), text);

  // Through a reference: typed in place, the reference kept.
  const int32_t number = periph::Register(doc, "<< /Type /Filespec /F (far.bin) >>");
  ASSERT_GT(number, 0);
  const std::string indirect = StreamText(std::to_string(number) + " 0 R");
  object = Parse(indirect, &doc);
  stream = dynamic_cast<CPDFStream*>(object.get());
  ASSERT_NE(stream, nullptr);
  CPDFObjRef ref;
  EXPECT_NE(dynamic_cast<CPDFFileSpec*>(stream->Get_F(&ref)), nullptr);
  EXPECT_EQ(ref.GetNumber(), number);
  EXPECT_EQ(Written(stream), indirect);
}

TEST(StreamFileSpecTest, OtherValuesStayAsRead) {
  TestRegistry doc;
  for (const std::string f : {"(plain.bin)", "<<\r\n/F (x)\n>>", "<<\r\n/Type /Other\n>>"}) {
    const std::string text = StreamText(f);
    auto object = Parse(text, &doc);
    auto* stream = dynamic_cast<CPDFStream*>(object.get());
    ASSERT_NE(stream, nullptr) << f;
    ASSERT_NE(stream->Get_F(), nullptr) << f;
    EXPECT_EQ(dynamic_cast<CPDFFileSpec*>(stream->Get_F()), nullptr) << f;
    EXPECT_EQ(Written(stream), text) << f;
  }
  // A dangling reference is left alone; the stream still loads.
  auto object = Parse(StreamText("99 0 R"), &doc);
  ASSERT_NE(dynamic_cast<CPDFStream*>(object.get()), nullptr);
}

}  // namespace
