// Page transitions read from PDF text: the style class the factory picks
// for each /S and mask, and copies.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "pdf/interactive/CPDFTransition.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Parse;
using periph::Written;

TEST(TransitionTest, TheFactoryPicksTheStyleByItsName) {
  TestRegistry doc;
  const struct {
    const char* text;
    int32_t mask;
    const char* style;  // none: the factory answers none
    uint32_t bit;
    const std::type_info* type;
  } cases[] = {
      {"<< /Type /Trans /S /Split /Dm /V >>", -1, "Split", 0x1, &typeid(CPDFSplitTrans)},
      {"<< /Type /Trans /S /Blinds >>", -1, "Blinds", 0x2, &typeid(CPDFBlindsTrans)},
      {"<< /Type /Trans /S /Box /M /O >>", -1, "Box", 0x4, &typeid(CPDFBoxTrans)},
      {"<< /Type /Trans /S /Wipe /Di 90 >>", -1, "Wipe", 0x8, &typeid(CPDFWipeTrans)},
      {"<< /Type /Trans /S /Dissolve /D 2 >>", -1, "Dissolve", 0x10, &typeid(CPDFDissolveTrans)},
      {"<< /Type /Trans /S /Glitter >>", -1, "Glitter", 0x20, &typeid(CPDFGlitterTrans)},
      {"<< /Type /Trans /S /R >>", -1, "Replace", 0x40, &typeid(CPDFReplaceTrans)},
      {"<< /Type /Trans /S /Replace >>", -1, "NoTransition", 0x80, &typeid(CPDFTransition)},
      {"<< /Type /Trans /D 1 >>", -1, "NoTransition", 0x80, &typeid(CPDFTransition)},
      {"<< /Type /Trans /S (Wipe) >>", -1, "NoTransition", 0x80, &typeid(CPDFTransition)},
      // Without /Type /Trans nothing is typed, whatever the mask.
      {"<< /S /Split >>", -1, nullptr, 0, nullptr},
      {"<< /S /Split >>", 0x01, nullptr, 0, nullptr},
      {"<< /S /Split >>", 0x80, nullptr, 0, nullptr},
      {"<< /Type /Transition /S /Split >>", -1, nullptr, 0, nullptr},
      // Only the low byte of the mask counts, as a signed byte.
      {"<< /Type /Trans /S /Fade >>", 0x7F, nullptr, 0, nullptr},
      {"<< /Type /Trans /S /Wipe >>", 0x7F, "Wipe", 0x8, &typeid(CPDFWipeTrans)},
      {"<< /Type /Trans /S /Wipe >>", 0x80, "NoTransition", 0x80, &typeid(CPDFTransition)},
      {"<< /Type /Trans /S /Wipe >>", 0x100, nullptr, 0, nullptr},
      {"<< /Type /Trans /S /Wipe >>", 0x108, "Wipe", 0x8, &typeid(CPDFWipeTrans)},
      {"<< /Type /Trans /S /Wipe >>", 0x10, nullptr, 0, nullptr},
      {"<< /Type /Trans /S /Wipe >>", 0, nullptr, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " mask " + std::to_string(c.mask));
    auto raw = Parse(c.text, &doc);
    ASSERT_TRUE(raw);
    const std::string before = Written(raw.get());
    std::unique_ptr<CPDFTransition> trans(
        CPDFTransition::CreateTransition(&doc, dynamic_cast<CPDFDict*>(raw.get()), c.mask));
    if (!c.style) {
      EXPECT_EQ(trans, nullptr);
      EXPECT_EQ(Written(raw.get()), before);
      continue;
    }
    ASSERT_NE(trans, nullptr);
    EXPECT_EQ(typeid(*trans), *c.type);
    EXPECT_STREQ(trans->GetStyleName(), c.style);
    EXPECT_EQ(trans->GetStyleBit(), c.bit);
    EXPECT_EQ(trans->GetStructKind(), CPDFDocStruct::kTransition);
    EXPECT_EQ(Written(trans.get()), before);
  }
}

TEST(TransitionTest, AClonedStyleKeepsItsClass) {
  TestDoc doc;
  auto raw = Parse("<< /Type /Trans /S /Box /M /O /D 1.5 >>", &doc);
  std::unique_ptr<CPDFTransition> box(
      CPDFTransition::CreateTransition(&doc, dynamic_cast<CPDFDict*>(raw.get()), -1));
  ASSERT_NE(box, nullptr);
  TestDoc other;
  std::unique_ptr<CPDFObject> copy(box->Clone(&other, &doc));
  auto* typed = dynamic_cast<CPDFBoxTrans*>(copy.get());
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed->GetStyleBit(), 0x4u);
  EXPECT_STREQ(typed->GetStyleName(), "Box");
  EXPECT_EQ(typed->GetDoc(), &other);
  EXPECT_EQ(Written(typed), Written(box.get()));
}

}  // namespace
