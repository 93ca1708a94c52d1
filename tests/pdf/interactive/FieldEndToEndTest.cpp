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

#include "pdf/document/CPDFCatalog.h"
#include "pdf/document/CPDFPage.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/interactive/CPDFSigDict.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/interactive/InteractiveTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Written;

bool SetParsed(TestDoc& doc, CPDFDict* dict, const char* key, const std::string& text) {
  return dict->Set(&doc, CPDFName(key), periph::Parse(text, &doc).release(), false, nullptr);
}

std::string Widget(int x, const std::string& entries) {
  return "<< /Type /Annot /Subtype /Widget /Rect [" + std::to_string(x) + " 100 " +
         std::to_string(x + 40) + " 120] /F 4 " + entries + " >>";
}

TEST(FieldEndToEndTest, FourFieldKindsSurviveReadingTypingAndWritingAgain) {
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  TestDoc doc;
  ASSERT_TRUE(doc.CreatePage(-1, 1));
  CPDFObjRef pageRef;
  CPDFPage* page = doc.GetPage(0, &pageRef);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(SetParsed(doc, page, "MediaBox", "[0 0 300 300]"));

  const CPDFObjRef font = Put(doc, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  const std::string form = "/Type /XObject /Subtype /Form /BBox [0 0 40 20]";
  const CPDFObjRef off = Put(doc, Stream(form, "0 0 1 rg 0 0 40 20 re f"));
  const CPDFObjRef yes = Put(doc, Stream(form, "1 0 0 rg 0 0 40 20 re f"));
  const CPDFObjRef signature =
      Put(doc,
          "<< /Type /Sig /Filter /Example.Handler /ByteRange [0 840 960 240] /Contents <00FF> "
          "/M (D:20260101120000Z) >>");
  const CPDFObjRef person = Put(doc, "<< /T (person) /FT /Tx /Kids [] >>");
  std::vector<CPDFObjRef> refs = {
      Put(doc, Widget(10, "/FT /Btn /T (check) /V /Off /AS /Off /AP << /N << /Off " + Ref(off) +
                              " /Yes " + Ref(yes) + " >> >>")),
      Put(doc, Widget(60,
                      "/FT /Ch /T (combo) /Ff 131072 /Opt [(a) [(b) (B)] 3] /V (a) /DA "
                      "(/Helv 0 Tf 0 g)")),
      Put(doc,
          Widget(110, "/Parent " + Ref(person) + " /T (name) /V (Hello) /DA (/Helv 0 Tf 0 g)")),
      Put(doc, Widget(160, "/FT /Sig /T (sig) /V " + Ref(signature))),
  };
  auto* parent = dynamic_cast<CPDFDict*>(doc.GetObj(person));
  ASSERT_NE(parent, nullptr);
  ASSERT_TRUE(SetParsed(doc, parent, "Kids", "[" + Ref(refs[2]) + "]"));
  std::vector<std::string> before;
  std::string annots = "[", fields = "[";
  for (size_t i = 0; i < refs.size(); ++i) {
    before.push_back(Written(doc.GetObj(refs[i])));
    annots += " " + Ref(refs[i]);
    fields += " " + Ref(i == 2 ? person : refs[i]);
  }
  const std::string parentBefore = Written(parent);
  ASSERT_TRUE(SetParsed(doc, page, "Annots", annots + " ]"));
  ASSERT_TRUE(SetParsed(doc, doc.GetCatalog(), "AcroForm",
                        "<< /Fields " + fields + " ] /DR << /Font << /Helv " + Ref(font) +
                            " >> >> /DA (/Helv 0 Tf 0 g) >>"));

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

  if (!Installed("qpdf --version")) GTEST_SKIP() << "qpdf is not installed";
  for (const std::string& path : {a, b}) {
    std::string report;
    EXPECT_TRUE(QpdfAccepts(path, &report)) << path << "\n" << report;
  }

  if (!Installed("mutool -v")) GTEST_SKIP() << "mutool is not installed";
  const std::string script = folder.File("list.js");
  {
    FILE* out = fopen(script.c_str(), "w");
    ASSERT_NE(out, nullptr);
    fputs(
        "var d = new PDFDocument(scriptArgs[0]); var p = d.loadPage(0); var w = "
        "p.getWidgets();\nfor (var i = 0; i < w.length; ++i) print(w[i].getFieldType());\n",
        out);
    fclose(out);
  }
  EXPECT_EQ(Output("mutool run '" + script + "' '" + b + "'"),
            "checkbox\ncombobox\ntext\nsignature\n");
}

TEST(FieldEndToEndTest, AnIncrementalSaveAppendsTheParentWithTheMovedEntries) {
  TempFolder folder;
  const std::string path = folder.File("c.pdf");
  TestDoc doc;
  ASSERT_TRUE(doc.CreatePage(-1, 1));
  CPDFObjRef pageRef;
  CPDFPage* page = doc.GetPage(0, &pageRef);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(SetParsed(doc, page, "MediaBox", "[0 0 300 300]"));
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

  if (!Installed("qpdf --version")) GTEST_SKIP() << "qpdf is not installed";
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

}  // namespace
