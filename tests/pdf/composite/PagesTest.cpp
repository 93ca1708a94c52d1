// The page tree, page contents and the environment's document factory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFPages.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"
#include "tests/pdf/composite/PageTreeFixture.h"

namespace {

using pagetest::Tree;

std::string Data(CPDFStream& stream) {
  return std::string(stream.GetData(), static_cast<size_t>(stream.GetDataLength()));
}

TEST(PagesTest, CreateInsertAndFindPages) {
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  EXPECT_EQ(t.root->Get_Count()->GetInt(), 1);
  ASSERT_EQ(t.root->Get_Kids()->GetCount(), 1);
  CPDFObjRef first = t.PageRef(0);
  CPDFPage* page = t.doc->GetPage(0);
  ASSERT_NE(page, nullptr);
  CPDFObjRef parent;
  EXPECT_EQ(page->Get_Parent(&parent), t.root);
  EXPECT_EQ(parent, t.rootRef);
  EXPECT_NE(page->Get_Resources(), nullptr);
  EXPECT_FALSE(page->IsTemplate());

  ASSERT_TRUE(t.doc->CreatePage(0, 2));
  EXPECT_EQ(t.doc->GetPageCount(), 3);
  EXPECT_EQ(t.PageRef(2), first);
  EXPECT_NE(t.PageRef(0), first);
  EXPECT_EQ(t.root->GetPage(3), nullptr);
  EXPECT_EQ(t.root->GetPage(-1), nullptr);
  EXPECT_EQ(t.doc->GetPage(3), nullptr);
  EXPECT_EQ(t.doc->GetError().GetCode(), 5);
  EXPECT_STREQ(t.doc->GetError().GetMessage(), "CPDFPages::GetPage()");
  EXPECT_FALSE(t.doc->CreatePage(9, 1));
}

TEST(PagesTest, NestedNodesCountAndRecordEveryChangedAncestor) {
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  // A second level: root -> [page, node -> [page]].
  auto* node = new CPDFPages;
  ASSERT_TRUE(node->Create(t.doc.get(), t.rootRef));
  CPDFObjRef nodeRef;
  ASSERT_TRUE(t.root->Get_Kids()->Push_Back(t.doc.get(), node, true, &nodeRef));
  auto* inner = new CPDFPage;
  ASSERT_TRUE(inner->Create(t.doc.get()));
  ASSERT_TRUE(node->InsertPage(-1, inner, nodeRef));
  t.root->Get_Count()->SetInt(2);

  TempFolder folder;
  const std::string path = folder.File("tree.pdf");
  ASSERT_TRUE(t.doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(t.doc->Flush());
  // The new revision holds no entry for the tree yet.
  EXPECT_EQ(t.doc->GetXRef()->GetEntry(t.rootRef.GetNumber()), nullptr);
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  EXPECT_EQ(t.root->Get_Count()->GetInt(), 3);
  EXPECT_EQ(node->Get_Count()->GetInt(), 2);
  EXPECT_NE(t.doc->GetXRef()->GetEntry(t.rootRef.GetNumber()), nullptr);
  EXPECT_NE(t.doc->GetXRef()->GetEntry(nodeRef.GetNumber()), nullptr);
  CPDFObjRef parent;
  t.doc->GetPage(2)->Get_Parent(&parent);
  EXPECT_EQ(parent, nodeRef);

  ASSERT_TRUE(t.doc->Save(path.c_str(), true, false));
  ASSERT_TRUE(t.doc->Flush());
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

TEST(PagesTest, MalformedTreesFailInsteadOfHanging) {
  Tree t;
  // A node listing itself as its only kid.
  auto* loop = new CPDFPages;
  ASSERT_TRUE(loop->Create(t.doc.get(), t.rootRef));
  CPDFObjRef loopRef;
  ASSERT_TRUE(t.doc->RegistObj(loop, &loopRef));
  loop->Get_Kids()->Insert(new CPDFObjRef(loopRef), 0);
  loop->Get_Count()->SetInt(5);
  t.root->Get_Kids()->Insert(new CPDFObjRef(loopRef), 0);
  t.root->Get_Count()->SetInt(5);
  EXPECT_EQ(t.doc->GetPage(0), nullptr);
  auto* page = new CPDFPage;
  ASSERT_TRUE(page->Create(t.doc.get()));
  EXPECT_FALSE(t.root->InsertPage(0, page, t.rootRef));
  delete page;

  // A parent chain that loops ends the inherited lookup.
  Tree u;
  ASSERT_TRUE(u.doc->CreatePage(-1, 1));
  u.root->SetParentRef(u.rootRef);
  EXPECT_EQ(u.doc->GetPage(0)->Get_MediaBox(), nullptr);
}

TEST(PagesTest, RawKidsBecomeTypedWhenFound) {
  Tree t;
  auto* raw = new CPDFDict;
  raw->Set(nullptr, CPDFName("Type"), new CPDFName("Page"));
  raw->SetAt(CPDFName("Parent"), new CPDFObjRef(t.rootRef));
  CPDFObjRef ref;
  ASSERT_TRUE(t.root->Get_Kids()->Push_Back(t.doc.get(), raw, true, &ref));
  t.root->Get_Count()->SetInt(1);
  CPDFObjRef found;
  CPDFPage* page = t.doc->GetPage(0, &found);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(found, ref);
  EXPECT_EQ(t.doc->GetObj(ref), page);

  // Without a Parent dictionary a Page kid is refused.
  Tree u;
  auto* orphan = new CPDFDict;
  orphan->Set(nullptr, CPDFName("Type"), new CPDFName("Page"));
  ASSERT_TRUE(u.root->Get_Kids()->Push_Back(u.doc.get(), orphan, true));
  u.root->Get_Count()->SetInt(1);
  EXPECT_EQ(u.doc->GetPage(0), nullptr);
}

TEST(PagesTest, InheritedMediaBoxAndUninherit) {
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  CPDFPage* page = t.doc->GetPage(0);
  EXPECT_EQ(page->Get_MediaBox(), nullptr);
  EXPECT_FALSE(page->Uninherit());
  auto* box = new CPDFRect(0, 0, 595, 842);
  CPDFObjRef boxRef;
  ASSERT_TRUE(t.root->Set_MediaBox(box, true, &boxRef));
  CPDFObjRef seen;
  EXPECT_EQ(page->Get_MediaBox(&seen), box);
  EXPECT_EQ(seen, boxRef);
  ASSERT_TRUE(page->Uninherit());
  CPDFRect* own = page->Get_MediaBox(&seen);
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, box);
  EXPECT_TRUE(seen.IsDefined());
  EXPECT_NE(seen, boxRef);
  EXPECT_EQ(own->GetWidth(), 595.0);
}

TEST(PagesTest, AddAndGetContents) {
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  CPDFPage* page = t.doc->GetPage(0);
  CPDFStream out;
  ASSERT_TRUE(page->GetContents(&out));
  EXPECT_EQ(out.GetDataLength(), 0);
  EXPECT_FALSE(page->GetContents(nullptr));

  CPDFStream first;
  first.SetData("q 1 0 0 1 0 0 cm Q", 18);
  CPDFStream second;
  second.SetData("BT ET", 5);
  ASSERT_TRUE(second.FlateEncode());
  ASSERT_TRUE(page->AddContents(&first));
  CPDFObjRef ref;
  page->Get_Contents(&ref);
  ASSERT_TRUE(page->AddContents(&second));
  CPDFObjRef again;
  auto* contents = dynamic_cast<CPDFStream*>(page->Get_Contents(&again));
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(again, ref);
  EXPECT_TRUE(contents->HasKey(CPDFStream::Key_Filter()));
  ASSERT_TRUE(page->GetContents(&out));
  EXPECT_EQ(Data(out), "BT ET");
  EXPECT_EQ(Data(second).substr(0, 2), "\x78\x9C");  // the caller's stream is untouched

  // An array of streams: read in order with a space after each.
  auto* array = new CPDFArray;
  auto* q = new CPDFStream(t.doc.get());
  q->SetData("q", 1);
  auto* bigQ = new CPDFStream(t.doc.get());
  bigQ->SetData("Q", 1);
  array->Push_Back(t.doc.get(), q, true);
  array->Push_Back(t.doc.get(), bigQ, true);
  ASSERT_TRUE(page->Set_Contents(array));
  ASSERT_TRUE(page->GetContents(&out));
  EXPECT_EQ(Data(out), "q Q ");
  ASSERT_TRUE(page->AddContents(&first));
  EXPECT_EQ(array->GetCount(), 1);
  ASSERT_TRUE(page->GetContents(&out));
  EXPECT_EQ(Data(out), "q 1 0 0 1 0 0 cm Q ");

  // A stream that cannot be decoded is skipped and its error reported.
  auto* bad = new CPDFStream(t.doc.get());
  bad->SetData("not flate", 9);
  bad->Set_Filter(new CPDFName("FlateDecode"));
  array->Push_Back(t.doc.get(), bad, true);
  EXPECT_FALSE(page->GetContents(&out));
  EXPECT_NE(t.doc->GetError().GetCode(), 0);

  TempFolder folder;
  const std::string path = folder.File("contents.pdf");
  array->Remove(t.doc.get(), 1);
  ASSERT_TRUE(t.doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(t.doc->Flush()) << t.doc->GetError().GetMessage();
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

TEST(PagesTest, StreamsReadFromTheFileSurviveAFullSaveElsewhere) {
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  CPDFStream content;
  content.SetData("0 0 m 10 10 l S", 15);
  ASSERT_TRUE(t.doc->GetPage(0)->AddContents(&content));
  CPDFObjRef ref;
  t.doc->GetPage(0)->Get_Contents(&ref);
  ASSERT_TRUE(t.doc->Save(a.c_str(), false, false));
  ASSERT_TRUE(t.doc->ReleaseObj(ref, true));
  ASSERT_TRUE(t.doc->Flush());
  // Read again from a.pdf, where its bytes stay until needed.
  auto* loaded = dynamic_cast<CPDFStream*>(t.doc->GetObj(ref));
  ASSERT_NE(loaded, nullptr) << t.doc->GetError().GetMessage();
  EXPECT_TRUE(loaded->IsExternal());
  ASSERT_TRUE(t.doc->Save(b.c_str(), false, false));
  ASSERT_TRUE(t.doc->Flush());
  unlink(a.c_str());
  EXPECT_EQ(Data(*loaded), "0 0 m 10 10 l S");
  std::string report;
  EXPECT_TRUE(QpdfAccepts(b, &report)) << report;
}

// The pages below a node in order, found by reading Kids from the start
// (the reference the index must agree with).
void WalkPages(CPDFDoc* doc, CPDFDict* node, std::vector<CPDFObjRef>* out) {
  auto* kids = dynamic_cast<CPDFArray*>(node->Get(doc, CPDFName("Kids")));
  ASSERT_NE(kids, nullptr);
  for (int32_t i = 0; i < kids->GetCount(); ++i) {
    CPDFObjRef ref;
    auto* kid = dynamic_cast<CPDFDict*>(kids->Get(doc, i, &ref));
    ASSERT_NE(kid, nullptr);
    auto* type = dynamic_cast<CPDFName*>(kid->Get(doc, CPDFName("Type")));
    ASSERT_NE(type, nullptr);
    if (type->IsEqual(CPDFName("Pages"))) {
      WalkPages(doc, kid, out);
    } else {
      out->push_back(ref);
    }
  }
}

// Every page got by index is the one a walk from the start finds, and the
// index past the end finds none.
void ExpectPagesInOrder(Tree& t, const char* step) {
  SCOPED_TRACE(step);
  std::vector<CPDFObjRef> expected;
  WalkPages(t.doc.get(), t.root, &expected);
  ASSERT_EQ(t.doc->GetPageCount(), static_cast<int32_t>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(t.PageRef(static_cast<int32_t>(i)), expected[i]) << i;
  }
  EXPECT_EQ(t.doc->GetPage(static_cast<int32_t>(expected.size())), nullptr);
}

// The newest registered object: the page CreatePage made last.
CPDFObjRef Newest(Tree& t) { return CPDFObjRef(t.doc->GetXRef()->GetCount(), 0); }

TEST(PagesTest, TheIndexOfPagesAnswersAsAWalkFromTheStart) {
  Tree t;
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(t.doc->CreatePage(-1, 1));
    // Appending after every lookup keeps the index whole.
    EXPECT_EQ(t.PageRef(i), Newest(t)) << i;
  }
  ExpectPagesInOrder(t, "appended");
  for (int32_t position : {0, 7, 22}) {
    ASSERT_TRUE(t.doc->CreatePage(position, 1));
    EXPECT_EQ(t.PageRef(position), Newest(t)) << position;
  }
  ExpectPagesInOrder(t, "inserted at the front, inside and at the end");

  // A node the caller adds with three pages, and the root's Count set by
  // hand: the index sees the Count change.
  auto* node = new CPDFPages;
  ASSERT_TRUE(node->Create(t.doc.get(), t.rootRef));
  CPDFObjRef nodeRef;
  ASSERT_TRUE(t.root->Get_Kids()->Insert(new CPDFObjRef, 5));
  ASSERT_TRUE(t.doc->RegistObj(node, &nodeRef));
  t.root->Get_Kids()->Elements::SetAt(5, new CPDFObjRef(nodeRef));
  for (int i = 0; i < 3; ++i) {
    auto* page = new CPDFPage;
    ASSERT_TRUE(page->Create(t.doc.get()));
    ASSERT_TRUE(node->InsertPage(-1, page, nodeRef));
  }
  t.root->Get_Count()->SetInt(t.root->Get_Count()->GetInt() + 3);
  ExpectPagesInOrder(t, "a node added by hand");
  // Into the node (its first page, inside), past its last page (the page
  // kid after it takes it) and at the very end.
  for (int32_t position : {5, 6, 10, 29}) {
    ASSERT_TRUE(t.doc->CreatePage(position, 1));
    EXPECT_EQ(t.PageRef(position), Newest(t)) << position;
  }
  EXPECT_EQ(node->Get_Count()->GetInt(), 5);
  ExpectPagesInOrder(t, "inserted around the node");

  // A kid the caller replaces by another page: the lookup notices.
  auto* other = new CPDFPage;
  ASSERT_TRUE(other->Create(t.doc.get(), false, t.rootRef));
  CPDFObjRef otherRef;
  ASSERT_TRUE(t.doc->RegistObj(other, &otherRef));
  CPDFObjRef replaced = t.PageRef(2);
  t.root->Get_Kids()->Elements::SetAt(2, new CPDFObjRef(otherRef));
  EXPECT_EQ(t.PageRef(2), otherRef);
  EXPECT_NE(t.PageRef(2), replaced);
  ExpectPagesInOrder(t, "a kid replaced");
  // A kid the caller removes, with the Count set by hand.
  t.root->Get_Kids()->Remove(nullptr, 0);
  t.root->Get_Count()->SetInt(t.root->Get_Count()->GetInt() - 1);
  ExpectPagesInOrder(t, "a kid removed");
}

TEST(PagesTest, AKidOfAnotherTypeEndsASearchButTakesAnInsertionAsAPage) {
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  auto* odd = new CPDFDict;
  odd->TempDict::SetAt(CPDFName("Type"), new CPDFName("Foo"));
  ASSERT_TRUE(t.root->Get_Kids()->Push_Back(t.doc.get(), odd, true));
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  // The odd kid took the appended page before it, as a page would:
  // Kids [page, page, Foo], then Count 3 by hand.
  CPDFObjRef second;
  t.root->Get_Kids()->Get(t.doc.get(), 1, &second);
  EXPECT_EQ(second, Newest(t));
  t.root->Get_Count()->SetInt(3);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_NE(t.doc->GetPage(0), nullptr);
    EXPECT_NE(t.doc->GetPage(1), nullptr);
    EXPECT_EQ(t.doc->GetPage(2), nullptr);
  }
  // Inside, just before the odd kid, and at the end (after it).
  ASSERT_TRUE(t.doc->CreatePage(1, 1));
  EXPECT_EQ(t.PageRef(1), Newest(t));
  ASSERT_TRUE(t.doc->CreatePage(3, 1));
  EXPECT_EQ(t.PageRef(3), Newest(t));
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  CPDFObjRef last;
  t.root->Get_Kids()->Get(t.doc.get(), 5, &last);
  EXPECT_EQ(last, Newest(t));
  // A search passing the odd kid finds nothing.
  EXPECT_EQ(t.doc->GetPage(4), nullptr);
  EXPECT_EQ(t.doc->GetPage(5), nullptr);
  EXPECT_NE(t.doc->GetPage(2), nullptr);
}

TEST(PagesTest, ANodeWithANegativeCountEndsTheSearchesPastIt) {
  Tree t;
  ASSERT_TRUE(t.doc->CreatePage(-1, 2));
  // Kids [page, page, node of Count -2, page] under Count 3, by hand.
  auto* node = new CPDFPages;
  ASSERT_TRUE(node->Create(t.doc.get(), t.rootRef));
  node->Get_Count()->SetInt(-2);
  ASSERT_TRUE(t.root->Get_Kids()->Push_Back(t.doc.get(), node, true));
  auto* after = new CPDFPage;
  ASSERT_TRUE(after->Create(t.doc.get(), false, t.rootRef));
  ASSERT_TRUE(t.root->Get_Kids()->Push_Back(t.doc.get(), after, true));
  t.root->Get_Count()->SetInt(3);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_NE(t.doc->GetPage(0), nullptr);
    EXPECT_NE(t.doc->GetPage(1), nullptr);
    EXPECT_EQ(t.doc->GetPage(2), nullptr);
  }
  // Insertions walk on past it with its Count as it stands: before the
  // second page, and at the end after the last page.
  ASSERT_TRUE(t.doc->CreatePage(1, 1));
  EXPECT_EQ(t.PageRef(1), Newest(t));
  ASSERT_TRUE(t.doc->CreatePage(-1, 1));
  ASSERT_EQ(t.root->Get_Kids()->GetCount(), 6);
  CPDFObjRef last;
  t.root->Get_Kids()->Get(t.doc.get(), 5, &last);
  EXPECT_EQ(last, Newest(t));
  EXPECT_EQ(t.doc->GetPage(3), nullptr);
}

TEST(PagesTest, EnvironmentCreatesAndClosesDocuments) {
  CPDFEnv& env = CPDFEnv::Global();
  CPDFDoc* doc = env.CreateDoc(false, false, 1, 3, nullptr);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetPageCount(), 0);
  EXPECT_TRUE(env.CloseDoc(doc));

  CPDFException error;
  EXPECT_EQ(env.CreateDoc(false, false, -1, 3, &error), nullptr);
  EXPECT_EQ(error.GetCode(), 5);
  EXPECT_STREQ(error.GetMessage(), "CPDFHeader::Create()");
  EXPECT_EQ(env.CreateDoc(false, false, -1, 3, nullptr), nullptr);
}

}  // namespace
