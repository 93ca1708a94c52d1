#include <gtest/gtest.h>

#include <memory>

#include "pdf/document/ResourceTestSupport.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/graphics/CPDFPattern.h"
#include "pdf/graphics/CPDFProperties.h"
#include "pdf/object/TestRegistry.h"

namespace {

TEST(GraphicsResourceTest, GraphicsStatesAndPropertyLists) {
  TestRegistry doc;
  auto typed = ParseAs<CPDFDict>("<< /Type /ExtGState /LW 2 /Font [/F1 12] >>", &doc);
  auto untyped = ParseAs<CPDFDict>("<< /LW 2 >>", &doc);
  auto other = ParseAs<CPDFDict>("<< /Type /Font >>", &doc);
  ASSERT_TRUE(typed && untyped && other);
  EXPECT_TRUE(CPDFExtGState::Check(&doc, typed.get()));
  EXPECT_FALSE(CPDFExtGState::Check(&doc, untyped.get()));
  EXPECT_FALSE(CPDFExtGState::Check(&doc, other.get()));

  const std::string text = WrittenText(*typed);
  CPDFExtGState state;
  ASSERT_TRUE(state.Load(&doc, typed.get()));
  EXPECT_EQ(WrittenText(state), text);
  EXPECT_EQ(state.GetCategory(), CPDFResource::kExtGState);
  EXPECT_STREQ(state.GetCategoryName().c_str(), "ExtGState");
  CPDFName name;
  state.MakeName(12, name);
  EXPECT_STREQ(name.c_str(), "GS12");
  std::unique_ptr<CPDFExtGState> copy(state.Clone(&doc, &doc));
  ASSERT_TRUE(copy);
  EXPECT_EQ(WrittenText(*copy), text);
  EXPECT_EQ(copy->GetDoc(), &doc);

  CPDFProperties props;
  ASSERT_TRUE(props.Load(&doc, untyped.get()));
  props.MakeName(1, name);
  EXPECT_STREQ(name.c_str(), "Pr1");
  EXPECT_STREQ(props.GetCategoryName().c_str(), "Properties");
  EXPECT_EQ(CPDFResource::GetPDFObject(&props), static_cast<CPDFObject*>(&props));
  EXPECT_EQ(CPDFResource::GetPDFObject(nullptr), nullptr);

  // A dictionary that is no pattern is not typed as one.
  EXPECT_EQ(CPDFPattern::CreatePattern(&doc, other.get(), -1), nullptr);
}

}  // namespace
