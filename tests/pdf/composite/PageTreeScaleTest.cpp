// The page tree at scale and when it is damaged: insertions anywhere cost
// about what appending does (counted in kids read, index steps and array
// slots moved, never timed), and a tree whose Kids lead back into itself is
// found once, after which every search that reaches the loop ends at once
// and the page count is what a search can reach.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFPages.h"
#include "pdf/composite/internal/PageSpans.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/TempArray.h"
#include "pdf/object/TestRegistry.h"
#include "tests/pdf/composite/PageTreeFixture.h"

namespace {

struct Tree : pagetest::Tree {
  // The newest registered object: the page CreatePage made last.
  CPDFObjRef Newest() { return CPDFObjRef(doc->GetXRef()->GetCount(), 0); }
  // A new node under the parent reference, registered; Kids and Count empty.
  CPDFPages* NewNode(const CPDFObjRef& parent, CPDFObjRef* ref) {
    auto* node = new CPDFPages;
    EXPECT_TRUE(node->Create(doc.get(), parent));
    EXPECT_TRUE(doc->RegistObj(node, ref));
    return node;
  }
  // A new page under the parent reference, registered.
  CPDFObjRef NewPage(const CPDFObjRef& parent) {
    auto* page = new CPDFPage;
    EXPECT_TRUE(page->Create(doc.get(), false, parent));
    CPDFObjRef ref;
    EXPECT_TRUE(doc->RegistObj(page, &ref));
    return ref;
  }
};

// Pages inserted at positions the function picks from the count so far,
// checked against a list kept alongside: every page found at its index, in
// the order Kids holds them.
template <class Where>
void ExpectInsertionsInOrder(int32_t count, Where where) {
  Tree t;
  std::vector<CPDFObjRef> model;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t at = where(static_cast<int32_t>(model.size()));
    ASSERT_TRUE(t.doc->CreatePage(at, 1)) << i;
    model.insert(at < 0 ? model.end() : model.begin() + at, t.Newest());
    if (i % 97 == 0) {
      // A lookup between insertions, as a caller filling pages would.
      const int32_t probe = (i * 31) % static_cast<int32_t>(model.size());
      ASSERT_EQ(t.PageRef(probe), model[static_cast<size_t>(probe)]) << i;
    }
  }
  ASSERT_EQ(t.doc->GetPageCount(), count);
  CPDFArray* kids = t.root->Get_Kids();
  ASSERT_EQ(kids->GetCount(), count);
  for (int32_t i = 0; i < count; ++i) {
    CPDFObjRef kid;
    kids->Get(t.doc.get(), i, &kid);
    ASSERT_EQ(kid, model[static_cast<size_t>(i)]) << i;
    ASSERT_EQ(t.PageRef(i), model[static_cast<size_t>(i)]) << i;
  }
  EXPECT_EQ(t.doc->GetPage(count), nullptr);
}

TEST(PageTreeScaleTest, InsertionsAnywhereKeepThePagesInOrder) {
  ExpectInsertionsInOrder(600, [](int32_t) { return 0; });
  ExpectInsertionsInOrder(600, [](int32_t n) { return n / 2; });
  ExpectInsertionsInOrder(600, [](int32_t) { return -1; });
  std::mt19937 rng(5);
  ExpectInsertionsInOrder(600, [&rng](int32_t n) { return static_cast<int32_t>(rng() % (n + 1)); });
}

TEST(PageTreeScaleTest, InsertionsBelowNodesKeepThePagesInOrder) {
  // root -> [page, node A -> [page, page], page, node B -> []]: insertions
  // land in A, B and the root alike, each found where it was put.
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  CPDFObjRef aRef, bRef;
  CPDFPages* a = t.NewNode(t.rootRef, &aRef);
  CPDFPages* b = t.NewNode(t.rootRef, &bRef);
  for (int i = 0; i < 2; ++i) {
    auto* page = new CPDFPage;
    ASSERT_TRUE(page->Create(t.doc.get()));
    ASSERT_TRUE(a->InsertPage(-1, page, aRef));
  }
  CPDFArray* kids = t.root->Get_Kids();
  ASSERT_TRUE(kids->Elements::Push_Back(new CPDFObjRef(aRef)));
  ASSERT_TRUE(kids->Elements::Push_Back(new CPDFObjRef(t.NewPage(t.rootRef))));
  ASSERT_TRUE(kids->Elements::Push_Back(new CPDFObjRef(bRef)));
  t.root->Get_Count()->SetInt(4);
  std::vector<CPDFObjRef> model;
  for (int32_t i = 0; i < 4; ++i) model.push_back(t.PageRef(i));
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    const int32_t at = static_cast<int32_t>(rng() % (model.size() + 1));
    ASSERT_TRUE(t.doc->CreatePage(at, 1)) << i;
    model.insert(model.begin() + at, t.Newest());
  }
  ASSERT_EQ(t.doc->GetPageCount(), static_cast<int32_t>(model.size()));
  // The root's own page kids and those of A and B make up every page.
  const int32_t rootPages = t.root->Get_Kids()->GetCount() - 2;
  EXPECT_EQ(rootPages + a->Get_Count()->GetInt() + b->Get_Count()->GetInt(),
            static_cast<int32_t>(model.size()));
  EXPECT_EQ(t.root->Get_Count()->GetInt(), static_cast<int32_t>(model.size()));
  EXPECT_GT(b->Get_Count()->GetInt(), 0);  // the last kid takes pages past the end
  for (size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(t.PageRef(static_cast<int32_t>(i)), model[i]) << i;
  }
}

// What count insertions at the picked positions cost: kids read, steps in
// the page index and array slots moved, each per insertion.
struct Cost {
  double kids = 0;
  double steps = 0;
  double moves = 0;
};
template <class Where>
Cost InsertionCost(int32_t count, Where where) {
  Tree t;
  const int64_t kids = CPDFPages::KidsRead();
  const int64_t steps = PageSpans::Steps();
  const int64_t moves = g_tempArraySlotsMoved;
  for (int32_t i = 0; i < count; ++i) {
    EXPECT_TRUE(t.doc->CreatePage(where(i), 1));
  }
  Cost cost;
  cost.kids = static_cast<double>(CPDFPages::KidsRead() - kids) / count;
  cost.steps = static_cast<double>(PageSpans::Steps() - steps) / count;
  cost.moves = static_cast<double>(g_tempArraySlotsMoved - moves) / count;
  return cost;
}

TEST(PageTreeScaleTest, AnInsertionAtTheFrontOrInTheMiddleCostsWhatAnAppendDoes) {
  constexpr int32_t kPages = 20000;
  const double log2n = std::log2(static_cast<double>(kPages));
  const Cost end = InsertionCost(kPages, [](int32_t) { return -1; });
  const Cost front = InsertionCost(kPages, [](int32_t) { return 0; });
  const Cost middle = InsertionCost(kPages, [](int32_t i) { return i / 2; });
  for (const Cost& c : {end, front, middle}) {
    // One kid read again where the page goes, a search and an insertion in
    // the index (a few times log n steps), a few slots moved.
    EXPECT_LE(c.kids, 2.0);
    EXPECT_LE(c.steps, 6 * log2n);
    EXPECT_LE(c.moves, 8.0);
  }
}

// Kids [page, page, the node itself] under the Count given: a loop after
// two pages.
void LoopAfterTwoPages(Tree& t, int32_t count) {
  ASSERT_TRUE(t.doc->CreatePage(-1, 2));
  ASSERT_TRUE(t.root->Get_Kids()->Elements::Push_Back(new CPDFObjRef(t.rootRef)));
  t.root->Get_Count()->SetInt(count);
}

TEST(PageTreeScaleTest, ALoopingTreeIsFoundOnceAndEndsEveryLaterSearchAtOnce) {
  Tree t;
  LoopAfterTwoPages(t, 1000000);
  // The count is what a search reaches, asked before any search.
  EXPECT_EQ(t.doc->GetPageCount(), 2);
  EXPECT_NE(t.doc->GetPage(0), nullptr);
  EXPECT_NE(t.doc->GetPage(1), nullptr);
  EXPECT_EQ(t.doc->GetPage(2), nullptr);
  EXPECT_STREQ(t.doc->GetError().GetMessage(), "CPDFPages::GetPage()");
  // Every later search past the loop reads no kid at all.
  const int64_t before = CPDFPages::KidsRead();
  for (int32_t i = 2; i < 1000000; i += 997) EXPECT_EQ(t.doc->GetPage(i), nullptr);
  EXPECT_EQ(CPDFPages::KidsRead(), before);
  EXPECT_EQ(t.doc->GetPageCount(), 2);
  // A page inserted before the loop is found and counted; one inside it
  // cannot be placed.
  ASSERT_TRUE(t.doc->CreatePage(1, 1));
  EXPECT_EQ(t.PageRef(1), t.Newest());
  EXPECT_EQ(t.doc->GetPageCount(), 3);
  EXPECT_EQ(t.root->Get_Count()->GetInt(), 1000001);
  EXPECT_FALSE(t.doc->CreatePage(500, 1));
  EXPECT_EQ(t.doc->GetPageCount(), 3);
}

TEST(PageTreeScaleTest, ALoopThroughAnotherNodeIsFoundFromBothSides) {
  // root -> [page, A -> [page, B -> [page, A]]], every Count 1000: the loop
  // from B back to A. Searches found first; the count asked last.
  for (bool countFirst : {false, true}) {
    SCOPED_TRACE(countFirst);
    Tree t;
    ASSERT_TRUE(t.doc->CreatePage(-1, 1));
    CPDFObjRef aRef, bRef;
    CPDFPages* a = t.NewNode(t.rootRef, &aRef);
    CPDFPages* b = t.NewNode(aRef, &bRef);
    ASSERT_TRUE(a->Get_Kids()->Elements::Push_Back(new CPDFObjRef(t.NewPage(aRef))));
    ASSERT_TRUE(a->Get_Kids()->Elements::Push_Back(new CPDFObjRef(bRef)));
    ASSERT_TRUE(b->Get_Kids()->Elements::Push_Back(new CPDFObjRef(t.NewPage(bRef))));
    ASSERT_TRUE(b->Get_Kids()->Elements::Push_Back(new CPDFObjRef(aRef)));
    ASSERT_TRUE(t.root->Get_Kids()->Elements::Push_Back(new CPDFObjRef(aRef)));
    for (CPDFPages* node : {t.root, a, b}) node->Get_Count()->SetInt(1000);
    if (countFirst) {
      EXPECT_EQ(t.doc->GetPageCount(), 3);
    }
    for (int32_t i = 0; i < 3; ++i) EXPECT_NE(t.doc->GetPage(i), nullptr) << i;
    EXPECT_EQ(t.doc->GetPage(3), nullptr);
    const int64_t before = CPDFPages::KidsRead();
    for (int32_t i = 3; i < 1000; ++i) EXPECT_EQ(t.doc->GetPage(i), nullptr);
    // Each later search reads the kid it goes down through, never the loop.
    EXPECT_LE(CPDFPages::KidsRead() - before, 2 * 997);
    EXPECT_EQ(t.doc->GetPageCount(), 3);
  }
}

TEST(PageTreeScaleTest, ANodeListedTwiceIsNoLoop) {
  // root -> [A, A] with A -> [page, page]: the same pages twice, Count 4.
  Tree t;
  CPDFObjRef aRef;
  CPDFPages* a = t.NewNode(t.rootRef, &aRef);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(a->Get_Kids()->Elements::Push_Back(new CPDFObjRef(t.NewPage(aRef))));
  }
  a->Get_Count()->SetInt(2);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(t.root->Get_Kids()->Elements::Push_Back(new CPDFObjRef(aRef)));
  }
  t.root->Get_Count()->SetInt(4);
  EXPECT_EQ(t.doc->GetPageCount(), 4);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(t.PageRef(i), t.PageRef(i % 2)) << i;
  EXPECT_EQ(t.doc->GetPage(4), nullptr);
}

TEST(PageTreeScaleTest, ACountThatIsWrongWithoutALoopIsTakenAsWritten) {
  // No loop: Count answers as written, even when it promises more pages
  // than there are, and the searches past the real ones end at once.
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 2));
  t.root->Get_Count()->SetInt(1000);
  EXPECT_EQ(t.doc->GetPageCount(), 1000);
  EXPECT_NE(t.doc->GetPage(1), nullptr);
  const int64_t before = CPDFPages::KidsRead();
  for (int32_t i = 2; i < 1000; ++i) EXPECT_EQ(t.doc->GetPage(i), nullptr);
  EXPECT_EQ(CPDFPages::KidsRead(), before);
}

TEST(PageTreeScaleTest, PagesBeyondTheDepthLimitAreNotCounted) {
  // A chain of nodes deeper than a search goes, a page at every level.
  Tree t;
  constexpr int32_t kLevels = CPDFPages::kMaxDepth + 20;
  CPDFPages* node = t.root;
  CPDFObjRef nodeRef = t.rootRef;
  std::vector<CPDFPages*> chain;
  for (int32_t level = 0; level < kLevels; ++level) {
    chain.push_back(node);
    ASSERT_TRUE(node->Get_Kids()->Elements::Push_Back(new CPDFObjRef(t.NewPage(nodeRef))));
    if (level + 1 == kLevels) break;
    CPDFObjRef childRef;
    CPDFPages* child = t.NewNode(nodeRef, &childRef);
    ASSERT_TRUE(node->Get_Kids()->Elements::Push_Back(new CPDFObjRef(childRef)));
    node = child;
    nodeRef = childRef;
  }
  for (size_t level = 0; level < chain.size(); ++level) {
    chain[level]->Get_Count()->SetInt(static_cast<int32_t>(chain.size() - level));
  }
  EXPECT_EQ(t.doc->GetPageCount(), CPDFPages::kMaxDepth);
  EXPECT_NE(t.doc->GetPage(CPDFPages::kMaxDepth - 1), nullptr);
  EXPECT_EQ(t.doc->GetPage(CPDFPages::kMaxDepth), nullptr);
}

// A registry whose record of a change fails for one object.
class RefusingRegistry : public TestRegistry {
 public:
  bool UpdateObj(const CPDFObjRef& ref) override {
    return ref.GetNumber() != refused && TestRegistry::UpdateObj(ref);
  }
  int32_t refused = -1;
};

TEST(PageTreeScaleTest, AnInsertionThatCannotRecordAnAncestorChangesNothing) {
  // root -> [A -> []]: the page goes below A, but the root cannot be
  // recorded as changed. Nothing is inserted and the page stays the
  // caller's (before, it was already registered and listed in A).
  RefusingRegistry doc;
  auto* root = new CPDFPages;
  CPDFObjRef rootRef;
  ASSERT_TRUE(doc.RegistObj(root, &rootRef));
  ASSERT_TRUE(root->Create(&doc, CPDFObjRef()));
  auto* a = new CPDFPages;
  CPDFObjRef aRef;
  ASSERT_TRUE(doc.RegistObj(a, &aRef));
  ASSERT_TRUE(a->Create(&doc, rootRef));
  ASSERT_TRUE(root->Get_Kids()->Elements::Push_Back(new CPDFObjRef(aRef)));
  doc.refused = rootRef.GetNumber();
  auto page = std::make_unique<CPDFPage>();
  ASSERT_TRUE(page->Create(&doc));
  const size_t objects = doc.objects.size();
  EXPECT_FALSE(root->InsertPage(0, page.get(), rootRef));
  EXPECT_EQ(doc.objects.size(), objects);
  EXPECT_EQ(a->Get_Kids()->GetCount(), 0);
  EXPECT_EQ(a->Get_Count()->GetInt(), 0);
  EXPECT_EQ(root->Get_Count()->GetInt(), 0);
  // With the record allowed, the same page goes in and is the registry's.
  doc.refused = -1;
  CPDFObjRef pageRef;
  ASSERT_TRUE(root->InsertPage(0, page.get(), rootRef, &pageRef));
  EXPECT_EQ(doc.GetObj(pageRef), page.release());
  EXPECT_EQ(a->Get_Count()->GetInt(), 1);
  EXPECT_EQ(root->Get_Count()->GetInt(), 1);
}

}  // namespace
