// Arrays and dictionaries nested far deeper than any file holds, built
// through the API: the nesting measure, the writer, the release and
// linearisation walks, the deep copy and the destructor each finish without
// a stack frame per level.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFStream.h"
#include "tests/pdf/object/TestRegistry.h"
#include "tests/pdf/object/WrittenText.h"

namespace {

constexpr int32_t kDeep = 200000;

enum class Shape { kArrays, kDicts, kMixed };

// Levels containers, each holding the next, the innermost holding leaf
// (deleted when none is stored). Arrays hold [next 1], dictionaries
// << /K next >>, streams (every third level of the mixed shape) the same in
// their dictionary.
std::unique_ptr<CPDFObject> Nest(int32_t levels, Shape shape, CPDFAtom* leaf = nullptr) {
  CPDFAtom* inner = leaf;
  CPDFObject* outer = nullptr;
  for (int32_t i = 0; i < levels; ++i) {
    const bool dict = shape == Shape::kDicts || (shape == Shape::kMixed && i % 2 == 1);
    if (dict) {
      CPDFDict* d = shape == Shape::kMixed && i % 3 == 2 ? new CPDFStream : new CPDFDict;
      if (inner) d->TempDict::SetAt(CPDFName("K"), inner);
      outer = d;
    } else {
      auto* a = new CPDFArray;
      if (inner) a->Elements::Push_Back(inner);
      a->Elements::Push_Back(new CPDFNumber(1));
      outer = a;
    }
    inner = outer;
  }
  return std::unique_ptr<CPDFObject>(outer);
}

TEST(DeepNestingTest, NestingDepthCountsContainerLevels) {
  const struct {
    const char* what;
    std::unique_ptr<CPDFObject> object;
    int32_t limit;
    int32_t depth;
  } cases[] = {
      {"a number", std::make_unique<CPDFNumber>(1), 512, 0},
      {"an empty array", std::make_unique<CPDFArray>(), 512, 1},
      {"two arrays", Nest(2, Shape::kArrays), 512, 2},
      {"a stream in a dictionary", Nest(3, Shape::kMixed), 512, 3},
      {"at the limit", Nest(CPDFObject::kMaxNesting, Shape::kDicts), 512, 512},
      {"counted to one past the limit", Nest(kDeep, Shape::kMixed), 512, 513},
      {"a small limit", Nest(10, Shape::kArrays), 3, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.object->NestingDepth(c.limit), c.depth);
  }
  // A reference is not followed: the array holding one is one level.
  CPDFArray refs;
  refs.Elements::Push_Back(new CPDFObjRef(7, 0));
  EXPECT_EQ(refs.NestingDepth(512), 1);

  // The writer puts null in place of a level beyond the limit, so what it
  // writes stays readable (the document refuses to write such an object).
  std::unique_ptr<CPDFObject> over = Nest(CPDFObject::kMaxNesting + 1, Shape::kArrays);
  const std::string text = WrittenText(*over);
  EXPECT_EQ(text.find("null"), size_t{CPDFObject::kMaxNesting});
  EXPECT_EQ(text.find("null"), text.rfind("null"));
}

// Every walk of an object 200,000 levels deep ends; the test ends at all
// only when none takes a stack frame per level.
TEST(DeepNestingTest, EveryWalkFinishesAtAnyDepth) {
  for (Shape shape : {Shape::kArrays, Shape::kDicts, Shape::kMixed}) {
    SCOPED_TRACE(static_cast<int>(shape));
    TestRegistry registry;
    std::unique_ptr<CPDFObject> deep = Nest(kDeep, shape, new CPDFObjRef(5, 0));

    // The writer stops at the limit: null instead of the levels beyond.
    const std::string text = WrittenText(*deep);
    EXPECT_LT(text.size(), size_t{64} * CPDFObject::kMaxNesting);
    EXPECT_NE(text.find("null"), std::string::npos);

    // The release and the linearisation reach the reference at the bottom.
    EXPECT_TRUE(deep->Release(&registry));
    EXPECT_EQ(registry.released, std::vector<int32_t>{5});
    EXPECT_TRUE(deep->Linearize(&registry));
    EXPECT_EQ(registry.linearized, std::vector<int32_t>{5});

    // A deep copy stops at the copy depth, with or without a document.
    std::unique_ptr<CPDFObject> copy(deep->Clone(&registry, &registry));
    EXPECT_EQ(copy, nullptr);
    copy.reset(deep->Clone(nullptr, nullptr));
    EXPECT_EQ(copy, nullptr);

    // Freed level after level, inside a container being freed too.
    CPDFDict outer;
    outer.TempDict::SetAt(CPDFName("Deep"), deep.release());
    outer.TempDict::SetAt(CPDFName("Other"), Nest(kDeep, Shape::kArrays).release());
    outer.RemoveAll();
    EXPECT_EQ(outer.GetCount(), 0);
  }
}

// The release walk keeps the order a recursive walk has: references in
// the order the elements name them, nested containers at their place.
TEST(DeepNestingTest, ReleaseAndLinearisationVisitInElementOrder) {
  TestRegistry registry;
  CPDFArray array;
  array.Elements::Push_Back(new CPDFObjRef(1, 0));
  auto* inner = new CPDFDict;
  inner->TempDict::SetAt(CPDFName("B"), new CPDFObjRef(3, 0));
  inner->TempDict::SetAt(CPDFName("A"), new CPDFObjRef(2, 0));
  array.Elements::Push_Back(inner);
  array.Elements::Push_Back(nullptr);
  array.Elements::Push_Back(new CPDFObjRef(4, 0));
  EXPECT_TRUE(array.Release(&registry));
  EXPECT_EQ(registry.released, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_TRUE(array.Linearize(&registry));
  EXPECT_EQ(registry.linearized, (std::vector<int32_t>{1, 2, 3, 4}));
  // A second walk finds them in the linear order and writes their new
  // numbers in place.
  EXPECT_TRUE(array.Linearize(&registry));
  EXPECT_EQ(registry.linearized.size(), 4u);
  EXPECT_EQ(WrittenText(array), "[101 0 R <<\r\n/A 102 0 R\n/B 103 0 R\n>> null 104 0 R]");
  // Without a document a reference stops the walk.
  EXPECT_FALSE(array.Release(nullptr));
  EXPECT_FALSE(array.Linearize(nullptr));
}

}  // namespace
