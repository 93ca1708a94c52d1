// End to end: a chain of actions (go to a page, then a URI, then a named
// command) written to a file, read back, typed as an owner types it and
// written again; the action objects keep their bytes and another reader
// accepts the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFActionTypes.h"
#include "pdf/object/CPDFTypedStruct.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

// The bytes of "number 0 obj ... endobj" in a file's text ("" when absent).
std::string ObjectBytes(const std::string& file, int32_t number) {
  const std::string head = "\n" + std::to_string(number) + " 0 obj";
  const size_t start = file.find(head);
  if (start == std::string::npos) return "";
  const size_t end = file.find("endobj", start);
  return end == std::string::npos ? "" : file.substr(start, end - start);
}

CPDFObjRef Registered(TestDoc& doc, const std::string& text) {
  CPDFObjRef ref;
  auto object = periph::Parse(text, &doc);
  if (object && doc.RegistObj(object.get(), &ref)) object.release();
  return ref;
}

TEST(ActionEndToEndTest, AChainOfActionsSurvivesReadingTypingAndWritingAgain) {
  if (system("qpdf --version > /dev/null 2>&1") != 0)
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  TestDoc doc;
  ASSERT_TRUE(doc.CreatePage(-1, 1));
  CPDFObjRef page;
  ASSERT_NE(doc.GetPage(0, &page), nullptr);

  const CPDFObjRef named = Registered(doc, "<< /S /Named /N /NextPage >>");
  const CPDFObjRef uri = Registered(doc, "<< /S /URI /URI (http://example.org/) /Next " +
                                             std::to_string(named.GetNumber()) + " 0 R >>");
  const CPDFObjRef go = Registered(
      doc, "<< /Type /Action /S /GoTo /D [" + std::to_string(page.GetNumber()) +
               " 0 R /XYZ 0 792 0] /Next " + std::to_string(uri.GetNumber()) + " 0 R >>");
  ASSERT_TRUE(named.IsDefined() && uri.IsDefined() && go.IsDefined());
  ASSERT_TRUE(PDFSetRef(doc.GetCatalog(), CPDFName("OpenAction"), go));

  ASSERT_TRUE(doc.Save(a.c_str(), false, false)) << doc.GetError().GetMessage();
  for (const CPDFObjRef& ref : {go, uri, named}) ASSERT_TRUE(doc.ReleaseObj(ref, true));
  ASSERT_TRUE(doc.Flush());

  // Typed as an owner types it, then stored under its number.
  CPDFObject* raw = doc.GetObj(go);
  ASSERT_NE(raw, nullptr) << doc.GetError().GetMessage();
  std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, raw, -1));
  ASSERT_NE(action, nullptr);
  auto* gotoAct = dynamic_cast<CPDFGoToAct*>(action.get());
  ASSERT_NE(gotoAct, nullptr);
  EXPECT_NE(gotoAct->Get_D(), nullptr);
  auto* uriAct = dynamic_cast<CPDFURIAct*>(gotoAct->Get_Next());
  ASSERT_NE(uriAct, nullptr);
  EXPECT_NE(dynamic_cast<CPDFNamedAct*>(uriAct->Get_Next()), nullptr);
  CPDFObjRef same = go;
  ASSERT_TRUE(doc.RegistObj(action.get(), &same));
  action.release();
  EXPECT_EQ(same, go);

  ASSERT_TRUE(doc.Save(b.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.Flush());

  std::string report;
  EXPECT_TRUE(QpdfAccepts(b, &report)) << report;
  const std::string first = ReadText(a), second = ReadText(b);
  for (const CPDFObjRef& ref : {go, uri, named}) {
    SCOPED_TRACE(ref.GetNumber());
    const std::string bytes = ObjectBytes(first, ref.GetNumber());
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(ObjectBytes(second, ref.GetNumber()), bytes);
  }
}

}  // namespace
