#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/CPDFResDict.h"
#include "pdf/document/PeriphTestSupport.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/object/TestRegistry.h"

namespace {

using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kTint = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
const std::string kSpot =
    "<< /Type /Halftone /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction /Round >>";

std::unique_ptr<CPDFExtGState> Load(TestRegistry& doc, const std::string& text) {
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  EXPECT_TRUE(raw) << text;
  return LoadAs<CPDFExtGState, CPDFDict>(&doc, raw.get());
}

bool IsFunction(CPDFObject* object) { return dynamic_cast<CPDFFunction*>(object) != nullptr; }

TEST(ExtGStateTest, ConvertsWhatHasItsShapeAndLeavesTheRest) {
  TestRegistry doc;
  const int32_t opm = Register(doc, "1");
  const int32_t stream = Register(doc, "<< /Length 1 >> stream\r\nx\r\nendstream\r\nendobj");
  ASSERT_GT(stream, 0);
  auto state =
      Load(doc, "<< /Type /ExtGState /LW 2 /OPM " + std::to_string(opm) + " 0 R /TR [" + kTint +
                    kTint + " /Identity << /FunctionType 9 >> " + kTint + "] /TR2 /Identity /HT " +
                    kSpot + " /HTP [0 0] /BG [1 2] /UCR " + kTint + " /LC 1.0 >>");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->Get(&doc, "LW")->GetType(), CPDFObject::kNumber);
  CPDFObjRef ref;
  EXPECT_EQ(state->Get_OPM(&ref)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(ref.GetNumber(), opm);
  auto* tr = dynamic_cast<CPDFArray*>(state->Get_TR());
  ASSERT_NE(tr, nullptr);
  EXPECT_TRUE(IsFunction(tr->Get(&doc, 0)) && IsFunction(tr->Get(&doc, 1)));
  EXPECT_EQ(tr->Get(&doc, 2)->GetType(), CPDFObject::kName);
  EXPECT_FALSE(IsFunction(tr->Get(&doc, 3)));
  EXPECT_TRUE(IsFunction(tr->Get(&doc, 4)));
  EXPECT_EQ(state->Get_TR2()->GetType(), CPDFObject::kName);
  EXPECT_NE(dynamic_cast<CPDFType1Ht*>(state->Get_HT()), nullptr);
  auto* htp = dynamic_cast<CPDFArray*>(state->Get_HTP());
  ASSERT_NE(htp, nullptr);
  EXPECT_EQ(htp->Get(&doc, 0)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(htp->Get(&doc, 1)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(state->Get_BG()->GetType(), CPDFObject::kArray);
  EXPECT_TRUE(IsFunction(state->Get_UCR()));
  EXPECT_EQ(state->Get_LC()->GetType(), CPDFObject::kInteger);
  EXPECT_NE(Written(state.get()).find("/LC 1\n"), std::string::npos);

  // Halftones that stay as read: a stream, a name, a dictionary without Type.
  for (const std::string& ht :
       {std::to_string(stream) + " 0 R", std::string("/Default"),
        std::string("<< /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction /Round >>")}) {
    auto kept = Load(doc, "<< /Type /ExtGState /HT " + ht + " >>");
    ASSERT_TRUE(kept) << ht;
    EXPECT_EQ(dynamic_cast<CPDFHalftone*>(kept->Get_HT()), nullptr) << ht;
    EXPECT_NE(kept->Get_HT(), nullptr) << ht;
  }
}

// A TR element that cannot be fetched fails the load; the resource
// dictionary keeps that graphics state raw and byte-identical and still
// loads.
TEST(ExtGStateTest, AFailedLoadKeepsTheStateRaw) {
  TestRegistry doc;
  const std::string broken = "<< /Type /ExtGState /OPM 1 /TR [" + kTint + " 999 0 R] >>";
  auto raw = Parse(broken, &doc);
  const std::string before = Written(raw.get());
  EXPECT_EQ((LoadAs<CPDFExtGState, CPDFDict>(&doc, raw.get())), nullptr);
  EXPECT_EQ(Written(raw.get()), before);

  const int32_t n = Register(doc, broken);
  const std::string registered = Written(doc.GetObj(CPDFObjRef(n, 0)));
  auto source = Parse("<< /ExtGState << /GS0 " + std::to_string(n) +
                          " 0 R /GS1 << /Type /ExtGState /LW 1 >> /GS2 << /LW 1 >> >> >>",
                      &doc);
  CPDFResDict res;
  ASSERT_TRUE(res.Load(&doc, static_cast<CPDFDict*>(source.get())));
  EXPECT_EQ(res.GetResource("ExtGState", "GS0"), nullptr);
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(n, 0))), registered);
  EXPECT_NE(dynamic_cast<CPDFExtGState*>(res.GetResource("ExtGState", "GS1")), nullptr);
  EXPECT_EQ(res.GetResource("ExtGState", "GS2"), nullptr);
}

}  // namespace
