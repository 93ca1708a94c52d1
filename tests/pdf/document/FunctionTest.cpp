#include <gtest/gtest.h>

#include <string>

#include "PeriphTestSupport.h"
#include "pdf/document/CPDFFunction.h"
#include "pdf/document/CPDFLoadDepth.h"

using periph::ClonedText;
using periph::Parse;
using periph::Register;
using periph::Written;

namespace {

const char* const kType2 = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
const char* const kType0 =
    "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Order 1 /Length 2 >>"
    "stream\r\nAB\nendstream\nendobj";
const char* const kType4 =
    "<< /FunctionType 4 /Domain [0 1] /Range [0 1] /Length 5 >>stream\r\n{dup}\nendstream\nendobj";

std::unique_ptr<CPDFFunction> Create(TestRegistry& doc, CPDFObject* raw, int32_t mask = -1) {
  return std::unique_ptr<CPDFFunction>(CPDFFunction::CreateFunction(&doc, raw, mask));
}

std::string Type3(const std::string& functions) {
  return "<< /FunctionType 3 /Domain [0 1] /Functions [" + functions +
         "] /Bounds [0.5] /Encode [0 1 0 1] >>";
}

}  // namespace

TEST(FunctionTest, EachTypeLoadsAndWritesBackUnchanged) {
  TestRegistry doc;
  struct Case {
    const char* text;
    int32_t bit;
    bool stream;
  };
  for (const Case& c :
       {Case{kType2, CPDFFunction::kType2, false}, Case{kType0, CPDFFunction::kType0, true},
        Case{kType4, CPDFFunction::kType4, true}}) {
    auto raw = Parse(c.text, &doc);
    ASSERT_TRUE(raw) << c.text;
    const std::string before = Written(raw.get());
    auto function = Create(doc, raw.get());
    ASSERT_TRUE(function) << c.text;
    EXPECT_EQ(function->GetTypeBit(), c.bit);
    EXPECT_EQ(function->GetStructKind(), CPDFDataStruct::kFunction);
    EXPECT_EQ(function->GetDoc(), &doc);
    EXPECT_EQ(PDFGetAs<CPDFObject>(function.get(), &doc, "FunctionType")->GetType(),
              CPDFObject::kInteger);
    EXPECT_EQ(Written(function.get()), before) << c.text;
    EXPECT_EQ(ClonedText(function.get(), &doc), before) << c.text;
    // A dictionary function is written without stream keyword or data.
    EXPECT_EQ(before.find("stream") != std::string::npos, c.stream) << c.text;
  }
  // Sampled: BitsPerSample and Order become integers.
  auto raw = Parse(kType0, &doc);
  auto function = Create(doc, raw.get());
  auto* sampled = dynamic_cast<CPDFType0Func*>(function.get());
  ASSERT_NE(sampled, nullptr);
  EXPECT_EQ(sampled->Get_BitsPerSample()->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(sampled->Get_Order()->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(std::string(sampled->GetData(), 2), "AB");
  // The clone is of the same kind.
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(sampled->Clone(&other, &doc));
  EXPECT_NE(dynamic_cast<CPDFType0Func*>(copy.get()), nullptr);
}

TEST(FunctionTest, ChecksAndMasks) {
  TestRegistry doc;
  for (const char* text : {
           "<< /FunctionType 0 /Domain [0 1] /BitsPerSample 8 /Length 0 "
           ">>stream\r\nendstream\nendobj",
           "<< /FunctionType 2 /N 1 >>",                                    // no Domain
           "<< /FunctionType 1 /Domain [0 1] /N 1 >>",                      // no such type
           "<< /FunctionType 2 /Domain [0 1] >>",                           // no N
           "<< /Domain [0 1] /N 1 >>",                                      // no FunctionType
           "<< /FunctionType /Two /Domain [0 1] /N 1 >>",                   // not a number
           "<< /FunctionType 3 /Domain [0 1] /Functions [] /Bounds [] >>",  // no Encode
           "[/FunctionType 2]",
       }) {
    auto raw = Parse(text, &doc);
    ASSERT_TRUE(raw) << text;
    EXPECT_FALSE(Create(doc, raw.get())) << text;
  }
  // A valid sampled function is refused when only the calculator bit is set.
  auto raw = Parse(kType0, &doc);
  EXPECT_FALSE(Create(doc, raw.get(), CPDFFunction::kType4));
  EXPECT_TRUE(Create(doc, raw.get(), CPDFFunction::kType0));
  raw = Parse(kType4, &doc);
  EXPECT_TRUE(Create(doc, raw.get(), CPDFFunction::kType4));
  // A FunctionType of 2.0 matches type 2.
  raw = Parse("<< /FunctionType 2.0 /Domain [0 1] /N 1 >>", &doc);
  EXPECT_TRUE(Create(doc, raw.get(), CPDFFunction::kType2));
}

TEST(FunctionTest, StitchingTypesItsFunctions) {
  TestRegistry doc;
  const int32_t n = Register(doc, kType2);
  auto raw = Parse(Type3(std::string(kType2) + " " + std::to_string(n) + " 0 R 7"), &doc);
  const std::string before = Written(raw.get());
  auto function = Create(doc, raw.get());
  auto* stitching = dynamic_cast<CPDFType3Func*>(function.get());
  ASSERT_NE(stitching, nullptr);
  CPDFArray* functions = stitching->Get_Functions();
  ASSERT_EQ(functions->GetCount(), 3);
  EXPECT_NE(dynamic_cast<CPDFType2Func*>(functions->Get(&doc, 0)), nullptr);
  CPDFObjRef ref;
  EXPECT_NE(dynamic_cast<CPDFType2Func*>(functions->Get(&doc, 1, &ref)), nullptr);
  EXPECT_EQ(ref.GetNumber(), n);  // still indirect, under its number
  EXPECT_EQ(functions->Get(&doc, 2)->GetType(), CPDFObject::kNumber);
  EXPECT_EQ(Written(function.get()), before);

  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(function->Clone(&other, &doc));
  auto* copied = dynamic_cast<CPDFType3Func*>(copy.get());
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(dynamic_cast<CPDFType2Func*>(copied->Get_Functions()->Get(&other, 1)), nullptr);
}

TEST(FunctionTest, FailedLoadGivesEntriesAndDataBack) {
  TestRegistry doc;
  // A stitching function whose Functions array holds a broken reference.
  auto raw = Parse(Type3(std::string(kType2) + " 99 0 R"), &doc);
  const std::string before = Written(raw.get());
  EXPECT_FALSE(Create(doc, raw.get()));
  EXPECT_EQ(Written(raw.get()), before);
  // The same held in a stream: the data come back too.
  const std::string streamText =
      "<< /FunctionType 3 /Domain [0 1] /Functions [99 0 R] /Bounds [] /Encode [0 1] /Length 3 >>"
      "stream\r\nxyz\nendstream\nendobj";
  raw = Parse(streamText, &doc);
  const std::string streamBefore = Written(raw.get());
  EXPECT_FALSE(Create(doc, raw.get()));
  EXPECT_EQ(Written(raw.get()), streamBefore);
}

TEST(FunctionTest, SelfReferenceAndDeepChainsEnd) {
  TestRegistry doc;
  // A stitching function that lists itself.
  const int32_t self = doc.next;
  ASSERT_EQ(Register(doc, Type3(std::to_string(self) + " 0 R")), self);
  auto function = Create(doc, doc.GetObj(CPDFObjRef(self, 0)));
  EXPECT_TRUE(function);

  // A chain deeper than the limit: the outer functions are typed, the
  // deepest stay as read, and the load still succeeds.
  const int32_t depth = CPDFLoadDepth::kMaxDepth + 8;
  const int32_t first = doc.next;
  for (int32_t i = 0; i < depth; ++i) {
    ASSERT_EQ(Register(doc, Type3(std::to_string(first + i + 1) + " 0 R")), first + i);
  }
  ASSERT_EQ(Register(doc, kType2), first + depth);
  auto chain = Create(doc, doc.GetObj(CPDFObjRef(first, 0)));
  ASSERT_TRUE(chain);
  int32_t typed = 0;
  CPDFObject* node = chain.get();
  while (auto* stitching = dynamic_cast<CPDFType3Func*>(node)) {
    ++typed;
    node = stitching->Get_Functions()->Get(&doc, 0);
  }
  EXPECT_EQ(typed, CPDFLoadDepth::kMaxDepth);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFFunction*>(node), nullptr);
}
