// End to end: form fields read from a written file are copied into a new
// document, placed on its page and in its form by the caller, and written;
// independent tools check the file and read the fields. An incremental save
// after a copy appends the catalog with its new form, and a form read back
// from the file is reused by a later copy.
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
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/interactive/InteractiveTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Written;

// The catalog's interactive form, with its reference.
CPDFDict* FormOf(CPDFDoc& doc, CPDFObjRef* ref = nullptr) {
  return dynamic_cast<CPDFDict*>(doc.GetCatalog()->Get(&doc, CPDFName("AcroForm"), ref));
}

std::unique_ptr<CPDFField> CopyOf(CPDFField* field, CPDFDoc* doc, CPDFDoc* source) {
  return std::unique_ptr<CPDFField>(dynamic_cast<CPDFField*>(field->Clone(doc, source)));
}

TEST(FieldCopyEndToEndTest, AnIncrementalSaveAppendsTheCatalogWithItsNewForm) {
  TempFolder folder;
  const std::string path = folder.File("d.pdf");
  TestDoc dest;
  CPDFObjRef pageRef;
  ASSERT_NE(OnePage(dest, &pageRef), nullptr);
  ASSERT_TRUE(dest.Save(path.c_str(), false, false)) << dest.GetError().GetMessage();
  ASSERT_TRUE(dest.Flush()) << dest.GetError().GetMessage();
  const size_t size = ReadText(path).size();

  TestDoc source;
  const CPDFObjRef dr = Put(source, "<< /Font << >> >>");
  std::unique_ptr<CPDFObject> raw =
      periph::Parse(Widget(10, "/FT /Tx /T (t) /DR " + Ref(dr)), &source);
  std::unique_ptr<CPDFField> field(
      CPDFField::CreateField(&source, dynamic_cast<CPDFDict*>(raw.get()), -1));
  ASSERT_NE(field, nullptr);
  ASSERT_NE(CopyOf(field.get(), &dest, &source), nullptr);

  ASSERT_TRUE(dest.Save(path.c_str(), true, false)) << dest.GetError().GetMessage();
  ASSERT_TRUE(dest.Flush()) << dest.GetError().GetMessage();
  const std::string written = ReadText(path);
  ASSERT_GT(written.size(), size);
  // Each object of the revision starts a line.
  const std::string revision = "\n" + written.substr(size);
  CPDFObjRef catalogRef, formRef;
  dest.GetCatalog(&catalogRef);
  ASSERT_NE(FormOf(dest, &formRef), nullptr);
  const size_t catalog = revision.find("\n" + std::to_string(catalogRef.GetNumber()) + " 0 obj");
  ASSERT_NE(catalog, std::string::npos) << revision;
  EXPECT_NE(revision.find("/AcroForm " + Ref(formRef), catalog), std::string::npos) << revision;
  EXPECT_NE(revision.find("\n" + std::to_string(formRef.GetNumber()) + " 0 obj"),
            std::string::npos);

  if (!Installed("qpdf --version"))
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

TEST(FieldCopyEndToEndTest, FieldsReadFromAFileCopyIntoANewDocumentThatToolsRead) {
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");

  // The source: a check box, a combo box, a text field under a named parent
  // that holds the form's DR, and a signature field, written and read back.
  TestDoc source;
  CPDFObjRef pageRef;
  CPDFPage* page = OnePage(source, &pageRef);
  ASSERT_NE(page, nullptr);
  const CPDFObjRef font = Put(source, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  const CPDFObjRef dr = Put(source, "<< /Font << /Helv " + Ref(font) + " >> >>");
  FourFields four;
  ASSERT_TRUE(PutFourFields(source, page, "/DR " + Ref(dr), Ref(dr), &four));
  const CPDFObjRef person = four.person;
  const CPDFObjRef signature = four.signature;
  const std::vector<CPDFObjRef>& refs = four.widgets;
  ASSERT_TRUE(source.Save(a.c_str(), false, false)) << source.GetError().GetMessage();
  ASSERT_TRUE(source.ReleaseObj(pageRef, true));
  ASSERT_TRUE(source.ReleaseObj(person, true));
  ASSERT_TRUE(source.ReleaseObj(dr, true));
  ASSERT_TRUE(source.ReleaseObj(signature, true));
  for (const CPDFObjRef& ref : refs) ASSERT_TRUE(source.ReleaseObj(ref, true));
  ASSERT_TRUE(source.Flush()) << source.GetError().GetMessage();
  page = source.GetPage(0);
  ASSERT_NE(page, nullptr) << source.GetError().GetMessage();
  CPDFArray* list = page->Get_Annots();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 4);

  // Each field into a new document with one page; the caller puts the copy
  // on the page (with its /P) and in the form's Fields.
  TestDoc dest;
  CPDFObjRef destPageRef;
  CPDFPage* destPage = OnePage(dest, &destPageRef);
  ASSERT_NE(destPage, nullptr);
  const char* names[] = {"(check)", "(combo)", "(person.name)", "(sig)"};
  std::string placed = "[";
  for (int32_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    auto* field = dynamic_cast<CPDFField*>(list->Get(&source, i));
    ASSERT_NE(field, nullptr);
    std::unique_ptr<CPDFField> copy = CopyOf(field, &dest, &source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(typeid(*copy), typeid(*field));
    EXPECT_EQ(Written(copy->Get(&dest, CPDFName("T"))), names[i]);
    ASSERT_TRUE(PDFSetRef(copy.get(), CPDFName("P"), destPageRef));
    CPDFObjRef ref;
    ASSERT_TRUE(dest.RegistObj(copy.get(), &ref));
    copy.release();
    placed += " " + Ref(ref);
  }
  placed += " ]";
  CPDFObjRef formRef;
  CPDFDict* made = FormOf(dest, &formRef);
  ASSERT_NE(made, nullptr);
  ASSERT_TRUE(formRef.IsDefined());
  ASSERT_TRUE(SetParsed(dest, destPage, "Annots", placed));
  ASSERT_TRUE(SetParsed(dest, made, "Fields", placed));
  ASSERT_TRUE(dest.Save(b.c_str(), false, false)) << dest.GetError().GetMessage();
  ASSERT_TRUE(dest.ReleaseObj(formRef, true));
  ASSERT_TRUE(dest.Flush()) << dest.GetError().GetMessage();

  // Read back from the file, the form is a plain dictionary, and a further
  // copy uses it as it is, sharing its DR.
  CPDFDict* read = FormOf(dest);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(typeid(*read), typeid(CPDFDict));
  CPDFObjRef formDR;
  ASSERT_NE(read->Get(&dest, CPDFName("DR"), &formDR), nullptr);
  const std::string readText = Written(read);
  std::unique_ptr<CPDFField> again =
      CopyOf(dynamic_cast<CPDFField*>(list->Get(&source, 2)), &dest, &source);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(FormOf(dest), read);
  EXPECT_EQ(Written(read), readText);
  CPDFObjRef copyDR;
  EXPECT_NE(again->Get(&dest, CPDFName("DR"), &copyDR), nullptr);
  EXPECT_EQ(copyDR, formDR);

  if (!Installed("qpdf --version"))
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  std::string report;
  EXPECT_TRUE(QpdfAccepts(b, &report)) << report;

  if (!Installed("mutool -v")) FAIL() << "mutool is not installed (scripts/setup.sh installs it)";
  const std::string script =
      "var d = new PDFDocument(scriptArgs[0]); var p = d.loadPage(0); var w = "
      "p.getWidgets();\nfor (var i = 0; i < w.length; ++i) print(w[i].getFieldType());\n"
      "print(w[2].getValue());\n";
  EXPECT_EQ(MutoolRun(folder, script, b), "checkbox\ncombobox\ntext\nsignature\nHello\n");
}

}  // namespace
