// End to end: a page with a check box, a combo box, a text field under a
// named parent and a signature field is written, read back (the page's
// load types the widgets as fields) and written again; independent tools
// check the files and list the field kinds. Then a field's shared entries
// move up into its parent and an incremental save appends the change.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/interactive/CPDFSigDict.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/interactive/InteractiveTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Written;

TEST(FieldEndToEndTest, FourFieldKindsSurviveReadingTypingAndWritingAgain) {
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  TestDoc doc;
  CPDFObjRef pageRef;
  CPDFPage* page = OnePage(doc, &pageRef);
  ASSERT_NE(page, nullptr);

  const CPDFObjRef font = Put(doc, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  FourFields four;
  ASSERT_TRUE(PutFourFields(doc, page, "", "<< /Font << /Helv " + Ref(font) + " >> >>", &four));
  const CPDFObjRef person = four.person;
  const CPDFObjRef signature = four.signature;
  const std::vector<CPDFObjRef>& refs = four.widgets;
  auto* parent = dynamic_cast<CPDFDict*>(doc.GetObj(person));
  ASSERT_NE(parent, nullptr);
  std::vector<std::string> before;
  for (const CPDFObjRef& ref : refs) before.push_back(Written(doc.GetObj(ref)));
  const std::string parentBefore = Written(parent);

  ASSERT_TRUE(doc.Save(a.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.ReleaseObj(pageRef, true));
  ASSERT_TRUE(doc.ReleaseObj(person, true));
  ASSERT_TRUE(doc.ReleaseObj(signature, true));
  for (const CPDFObjRef& ref : refs) ASSERT_TRUE(doc.ReleaseObj(ref, true));
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();

  // Read back: the page's load types the widgets as fields.
  page = doc.GetPage(0);
  ASSERT_NE(page, nullptr) << doc.GetError().GetMessage();
  CPDFArray* list = page->Get_Annots();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 4);
  const char* kinds[] = {"Button", "Choice", "Text", "Signature"};
  std::vector<CPDFField*> read;
  for (int32_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(kinds[i]);
    CPDFObjRef ref;
    auto* field = dynamic_cast<CPDFField*>(list->Get(&doc, i, &ref));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(ref, refs[static_cast<size_t>(i)]);
    EXPECT_STREQ(field->GetFieldTypeName(), kinds[i]);
    EXPECT_EQ(Written(field), before[static_cast<size_t>(i)]);
    read.push_back(field);
  }
  EXPECT_NE(dynamic_cast<CPDFBtnField*>(read[0]), nullptr);
  EXPECT_NE(dynamic_cast<CPDFChField*>(read[1]), nullptr);
  EXPECT_NE(dynamic_cast<CPDFTxField*>(read[2]), nullptr);
  auto* sig = dynamic_cast<CPDFSigField*>(read[3]);
  ASSERT_NE(sig, nullptr);
  EXPECT_NE(sig->Get_V(), nullptr);
  CPDFText name;
  ASSERT_NE(read[2]->GetFullName(&name), nullptr);
  EXPECT_STREQ(name.c_str(), "person.name");
  parent = dynamic_cast<CPDFDict*>(doc.GetObj(person));
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(typeid(*parent), typeid(CPDFDict));
  EXPECT_EQ(Written(parent), parentBefore);

  ASSERT_TRUE(doc.Save(b.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();

  if (!Installed("qpdf --version"))
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  for (const std::string& path : {a, b}) {
    std::string report;
    EXPECT_TRUE(QpdfAccepts(path, &report)) << path << "\n" << report;
  }

  if (!Installed("mutool -v")) FAIL() << "mutool is not installed (scripts/setup.sh installs it)";
  const std::string script =
      "var d = new PDFDocument(scriptArgs[0]); var p = d.loadPage(0); var w = "
      "p.getWidgets();\nfor (var i = 0; i < w.length; ++i) print(w[i].getFieldType());\n";
  EXPECT_EQ(MutoolRun(folder, script, b), "checkbox\ncombobox\ntext\nsignature\n");
}

TEST(FieldEndToEndTest, AnIncrementalSaveAppendsTheParentWithTheMovedEntries) {
  TempFolder folder;
  const std::string path = folder.File("c.pdf");
  TestDoc doc;
  CPDFObjRef pageRef;
  CPDFPage* page = OnePage(doc, &pageRef);
  ASSERT_NE(page, nullptr);
  const CPDFObjRef parentRef = Put(doc, "<< /T (a) /FT /Tx /Kids [] >>");
  const CPDFObjRef kidRef = Put(
      doc, Widget(10, "/Parent " + Ref(parentRef) + " /T (a) /FT /Tx /DA (/Helv 0 Tf 0 g) /Q 1"));
  ASSERT_TRUE(SetParsed(doc, dynamic_cast<CPDFDict*>(doc.GetObj(parentRef)), "Kids",
                        "[" + Ref(kidRef) + "]"));
  ASSERT_TRUE(SetParsed(doc, page, "Annots", "[" + Ref(kidRef) + "]"));
  ASSERT_TRUE(doc.Save(path.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.ReleaseObj(pageRef, true));
  ASSERT_TRUE(doc.ReleaseObj(parentRef, true));
  ASSERT_TRUE(doc.ReleaseObj(kidRef, true));
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();
  const size_t size = ReadText(path).size();

  page = doc.GetPage(0);
  ASSERT_NE(page, nullptr);
  auto* kid = dynamic_cast<CPDFTxField*>(doc.GetObj(kidRef));
  ASSERT_NE(kid, nullptr);
  ASSERT_TRUE(kid->Uninherit());
  ASSERT_TRUE(doc.Save(path.c_str(), true, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();
  const std::string written = ReadText(path);
  ASSERT_GT(written.size(), size);
  const std::string revision = written.substr(size);
  EXPECT_NE(revision.find(std::to_string(parentRef.GetNumber()) + " 0 obj"), std::string::npos);
  EXPECT_NE(revision.find(std::to_string(kidRef.GetNumber()) + " 0 obj"), std::string::npos);

  // Read back from the file: the parent holds the moved entries, the kid
  // no longer holds them.
  ASSERT_TRUE(doc.ReleaseObj(pageRef, true));
  ASSERT_TRUE(doc.ReleaseObj(parentRef, true));
  ASSERT_TRUE(doc.ReleaseObj(kidRef, true));
  auto* parent = dynamic_cast<CPDFDict*>(doc.GetObj(parentRef));
  ASSERT_NE(parent, nullptr);
  EXPECT_NE(parent->Get(&doc, CPDFName("DA")), nullptr);
  EXPECT_NE(parent->Get(&doc, CPDFName("Q")), nullptr);
  auto* rawKid = dynamic_cast<CPDFDict*>(doc.GetObj(kidRef));
  ASSERT_NE(rawKid, nullptr);
  EXPECT_FALSE(rawKid->HasKey(CPDFName("T")));
  EXPECT_FALSE(rawKid->HasKey(CPDFName("DA")));

  if (!Installed("qpdf --version"))
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

}  // namespace
