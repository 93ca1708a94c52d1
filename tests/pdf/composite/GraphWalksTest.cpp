// Walks over the object graph on long reference chains and on cycles: the
// release during a save, the write, the linearisation, deep copies, typed
// loads and the field parent walk. Each either keeps its own stack or stops
// at its depth limit; none takes a stack frame per link.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFObjRef.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

std::unique_ptr<CPDFDoc> NewPDF() {
  auto doc = std::make_unique<CPDFDoc>();
  EXPECT_TRUE(doc->Create(false, false, 1, 3));
  return doc;
}

// Registers dictionaries that name the next one under each of the keys;
// the last names the first when closed. The references, first to last.
std::vector<CPDFObjRef> Chain(CPDFDoc& doc, int32_t links, bool closed,
                              const std::vector<const char*>& keys) {
  std::vector<CPDFObjRef> refs(static_cast<size_t>(links));
  std::vector<CPDFDict*> dicts(static_cast<size_t>(links));
  for (int32_t i = 0; i < links; ++i) {
    auto* dict = new CPDFDict;
    EXPECT_TRUE(doc.RegistObj(dict, &refs[static_cast<size_t>(i)]));
    dicts[static_cast<size_t>(i)] = dict;
  }
  for (int32_t i = 0; i < links; ++i) {
    if (i + 1 == links && !closed) break;
    const CPDFObjRef& next = refs[static_cast<size_t>((i + 1) % links)];
    for (const char* key : keys) dicts[static_cast<size_t>(i)]->SetAt(key, new CPDFObjRef(next));
  }
  return refs;
}

int32_t OffsetOf(CPDFDoc& doc, const CPDFObjRef& ref) {
  const CPDFXRefEntry* entry = doc.FindEntry(ref.GetNumber(), false);
  return entry ? entry->offset : -1;
}

TEST(GraphWalksTest, AMillionLinkChainIsReleasedWrittenLinearisedAndReadBack) {
  constexpr int32_t kLinks = 1000000;
  TempFolder folder;
  const std::string path = folder.File("chain.pdf");
  auto doc = NewPDF();
  ASSERT_TRUE(doc->CreatePage(-1, 2));
  // A chain of a million links closed into one cycle.
  std::vector<CPDFObjRef> links = Chain(*doc, kLinks, true, {"Next"});
  CPDFObjRef secondPage;
  ASSERT_NE(doc->GetPage(1, &secondPage), nullptr);
  doc->GetPage(1)->SetAt("Chain", new CPDFObjRef(links[0]));

  // A deep copy stops at the copy depth: none, and the target keeps no
  // object of the failed copy.
  auto other = NewPDF();
  const int32_t before = other->GetXRef()->GetCount();
  std::unique_ptr<CPDFObject> copy(doc->GetObj(links[0])->Clone(other.get(), doc.get()));
  EXPECT_EQ(copy, nullptr);
  for (int32_t n = before + 1; n <= other->GetXRef()->GetCount(); ++n) {
    const CPDFXRefEntry* entry = other->GetXRef()->GetEntry(n);
    EXPECT_TRUE(!entry || !entry->inUse) << n;
  }

  // The release writes the whole cycle in chain order and frees it.
  ASSERT_TRUE(doc->Save(path.c_str(), false, true));
  ASSERT_TRUE(doc->ReleaseObj(links[0], true)) << doc->GetError().GetMessage();
  EXPECT_EQ(doc->FindObj(links[0], false), nullptr);
  EXPECT_EQ(doc->FindObj(links[kLinks / 2], false), nullptr);
  EXPECT_EQ(doc->FindObj(links[kLinks - 1], false), nullptr);
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  int32_t previous = 0;
  for (size_t i = 0; i < links.size(); i += 99991) {
    const int32_t offset = OffsetOf(*doc, links[i]);
    EXPECT_GT(offset, previous) << i;
    previous = offset;
  }
  // Linearisation recorded the second page only.
  CPDFObjRef mapped;
  EXPECT_TRUE(doc->GetLinearRef(secondPage, &mapped));
  EXPECT_FALSE(doc->GetLinearRef(links[0], &mapped));

  // Read back from the file: the last link names the first.
  auto* last = dynamic_cast<CPDFDict*>(doc->GetObj(links[kLinks - 1]));
  ASSERT_NE(last, nullptr) << doc->GetError().GetMessage();
  CPDFObjRef next;
  last->Get(nullptr, CPDFName("Next"), &next);
  EXPECT_EQ(next, links[0]);
}

// A million links, each << /S /Named /N /NextPage /Next n+1 /Parent n+1 >>
// as read from a file, the last naming the first, made only when a walk
// reaches them.
class LinkSource : public TestRegistry {
 public:
  static constexpr int32_t kLinks = 1000000;
  CPDFObject* GetObj(const CPDFObjRef& ref) override {
    if (CPDFObject* made = TestRegistry::GetObj(ref)) return made;
    const int32_t n = ref.GetNumber();
    if (n < 1 || n > kLinks) return nullptr;
    const std::string next = std::to_string(n % kLinks + 1) + " 0 R";
    std::unique_ptr<CPDFObject> link =
        periph::Parse("<< /S /Named /N /NextPage /Next " + next + " /Parent " + next + " >>", this);
    objects[n] = link.release();
    ++made;
    return objects[n];
  }
  int32_t made = 0;
};

TEST(GraphWalksTest, TypedLoadsAndTheParentWalkStopOnAMillionLinks) {
  LinkSource source;
  // A widget under the parent chain: the parent walk stops, the widget is
  // no field.
  CPDFDict widget;
  widget.TempDict::SetAt(CPDFName("Type"), new CPDFName("Annot"));
  widget.TempDict::SetAt(CPDFName("Subtype"), new CPDFName("Widget"));
  widget.TempDict::SetAt(CPDFName("FT"), new CPDFName("Tx"));
  widget.TempDict::SetAt(CPDFName("Parent"), new CPDFObjRef(2000, 0));
  std::vector<CPDFDict*> chain;
  EXPECT_FALSE(CPDFField::WalkParents(&source, &widget, &chain));
  EXPECT_EQ(static_cast<int32_t>(chain.size()), CPDFField::kMaxParentDepth);
  EXPECT_EQ(CPDFField::CreateField(&source, &widget, -1), nullptr);

  // Through the end of the chain, where the last link names the first.
  CPDFDict near;
  near.TempDict::SetAt(CPDFName("Parent"), new CPDFObjRef(LinkSource::kLinks - 1, 0));
  EXPECT_FALSE(CPDFField::WalkParents(&source, &near, &chain));

  // Typed loads of the action chain stop at the typed-load limit; the
  // actions below it stay raw.
  std::unique_ptr<CPDFAction> action(
      CPDFAction::CreateAction(&source, source.GetObj(CPDFObjRef(1, 0)), -1));
  int32_t typed = 0;
  for (CPDFAction* at = action.get(); at && typed <= CPDFLoadDepth::kMaxDepth; ++typed) {
    at = dynamic_cast<CPDFAction*>(at->Get_Next());
  }
  EXPECT_GT(typed, 0);
  EXPECT_LE(typed, CPDFLoadDepth::kMaxDepth);
}

TEST(GraphWalksTest, TheReleaseWritesDepthFirstInReferenceOrderAndEndsOnCycles) {
  TempFolder folder;
  const std::string path = folder.File("order.pdf");
  auto doc = NewPDF();
  // root -> [a b], a -> [c b], b -> a, c -> root: a recursive walk writes
  // root, a, c, b, and each once.
  std::vector<CPDFObjRef> r = Chain(*doc, 4, false, {});
  auto dict = [&](size_t i) { return static_cast<CPDFDict*>(doc->GetObj(r[i])); };
  auto link = [](CPDFDict* from, const char* key, const CPDFObjRef& to) {
    from->SetAt(key, new CPDFObjRef(to));
  };
  link(dict(0), "A", r[1]);
  link(dict(0), "B", r[3]);
  link(dict(1), "A", r[2]);
  link(dict(1), "B", r[3]);
  link(dict(3), "A", r[1]);
  link(dict(2), "A", r[0]);
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->ReleaseObj(r[0], true));
  for (const CPDFObjRef& ref : r) EXPECT_EQ(doc->FindObj(ref, false), nullptr);
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  EXPECT_LT(OffsetOf(*doc, r[0]), OffsetOf(*doc, r[1]));
  EXPECT_LT(OffsetOf(*doc, r[1]), OffsetOf(*doc, r[2]));
  EXPECT_LT(OffsetOf(*doc, r[2]), OffsetOf(*doc, r[3]));
  const std::string text = ReadText(path);
  for (const CPDFObjRef& ref : r) {
    const std::string header = "\n" + std::to_string(ref.GetNumber()) + " 0 obj";
    const size_t at = text.find(header);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(text.find(header, at + 1), std::string::npos) << "written twice";
  }
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;

  // An object that is not releasable (a page) ends its branch: it stays,
  // and so does what only it names.
  auto second = NewPDF();
  ASSERT_TRUE(second->CreatePage(-1, 1));
  CPDFObjRef pageRef;
  CPDFPage* page = second->GetPage(0, &pageRef);
  std::vector<CPDFObjRef> s = Chain(*second, 2, false, {});
  static_cast<CPDFDict*>(second->GetObj(s[0]))->SetAt("Next", new CPDFObjRef(pageRef));
  page->SetAt("Next", new CPDFObjRef(s[1]));
  ASSERT_TRUE(second->Save(folder.File("kept.pdf").c_str(), false, false));
  ASSERT_TRUE(second->ReleaseObj(s[0], true));
  EXPECT_EQ(second->FindObj(s[0], false), nullptr);
  EXPECT_EQ(second->FindObj(pageRef, false), page);
  EXPECT_NE(second->FindObj(s[1], false), nullptr);
  ASSERT_TRUE(second->Flush()) << second->GetError().GetMessage();
}

TEST(GraphWalksTest, ShortCyclesCopyAsCyclesWithMappedReferences) {
  auto doc = NewPDF();
  auto other = NewPDF();
  std::vector<CPDFObjRef> r = Chain(*doc, 3, true, {"Next"});
  CPDFDict holder;
  holder.SetAt("First", new CPDFObjRef(r[0]));
  CPDFDict copy;
  ASSERT_TRUE(holder.Duplicate(&copy, other.get(), doc.get(), true));
  CPDFObjRef at;
  auto* dict = dynamic_cast<CPDFDict*>(copy.Get(other.get(), CPDFName("First"), &at));
  ASSERT_NE(dict, nullptr);
  const CPDFObjRef start = at;
  for (int i = 0; i < 3; ++i) {
    dict = dynamic_cast<CPDFDict*>(dict->Get(other.get(), CPDFName("Next"), &at));
    ASSERT_NE(dict, nullptr);
  }
  EXPECT_EQ(at, start);
}

}  // namespace
