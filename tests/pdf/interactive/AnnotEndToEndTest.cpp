// End to end: a one-page document holding one annotation of each class, a
// transition and additional actions is written, its page read back and
// typed, and written again. Independent tools then check both files, list
// the annotations and draw the page.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFPage.h"
#include "pdf/interactive/CPDFAddActDict.h"
#include "pdf/interactive/CPDFAnnotTypes.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/interactive/CPDFTransition.h"
#include "tests/converter/core/EndToEndImages.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/interactive/InteractiveTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Written;

struct Annot {
  const char* subtype;
  std::string entries;  // besides Type, Subtype, Rect
  bool appearance;
  const char* colour;  // of the appearance, "r g b"
};

const int kPage = 300;
const int kSize = 40;

// The rectangle of the i-th annotation: a grid of five columns.
void Place(size_t i, int* x, int* y) {
  *x = 10 + static_cast<int>(i % 5) * 55;
  *y = kPage - 60 - static_cast<int>(i / 5) * 55;
}

TEST(AnnotEndToEndTest, EveryClassSurvivesReadingTypingAndWritingAgain) {
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  TestDoc doc;
  CPDFObjRef pageRef;
  CPDFPage* page = OnePage(doc, &pageRef);
  ASSERT_NE(page, nullptr);

  const CPDFObjRef sound = Put(doc, Stream("/Type /Sound /R 8000", "abcd"));
  const CPDFObjRef file = Put(doc, Stream("/Type /EmbeddedFile /Params << /Size 5 >>", "hello"));
  const CPDFObjRef spec =
      Put(doc, "<< /Type /Filespec /F (hello.txt) /EF << /F " + Ref(file) + " >> >>");
  const std::string common = " /BS << /W 1 >> /M (D:20200102030405)";
  std::vector<Annot> annots = {
      {"Text", common + " /Contents (note) /T (me)", true, "1 1 0"},
      {"FreeText", common + " /DA (/Helv 9 Tf 0 g) /Contents (free)", true, "0 1 1"},
      {"Stamp", common, true, "1 0 1"},
      {"Line", common + " /L [0 0 40 40]", true, "0.5 0 0"},
      {"Square", common, true, "1 0 0"},
      {"Circle", common, true, "0 1 0"},
      {"StrikeOut", common + " /QuadPoints [0 40 40 40 0 0 40 0]", true, "0 0 1"},
      {"Highlight", common + " /QuadPoints [0 40 40 40 0 0 40 0]", true, "1 1 0.5"},
      {"Underline", common + " /QuadPoints [0 40 40 40 0 0 40 0]", true, "0.5 0.5 0"},
      {"Ink", common + " /InkList [[0 0 40 40]]", true, "0 0.5 0"},
      {"Link", " /Dest [" + Ref(pageRef) + " /Fit] /A << /S /URI /URI (https://example.org/) >>",
       false, nullptr},
      {"FileAttachment", " /FS " + Ref(spec), true, "0 0 0.5"},
      {"Sound", " /Sound " + Ref(sound), true, "0.5 0 0.5"},
      {"Movie", " /Movie << /F (m.avi) >> /A << /Start [0 1] >>", true, "0 0.5 0.5"},
      {"Popup", "", false, nullptr},
  };
  std::vector<CPDFObjRef> refs;
  std::vector<std::string> before;
  std::string array = "[";
  for (size_t i = 0; i < annots.size(); ++i) {
    int x, y;
    Place(i, &x, &y);
    std::string entries = annots[i].entries;
    if (annots[i].appearance) {
      const CPDFObjRef form =
          Put(doc, Stream("/Type /XObject /Subtype /Form /BBox [0 0 40 40]",
                          std::string(annots[i].colour) + " rg 0 0 40 40 re f"));
      entries += " /AP << /N " + Ref(form) + " >>";
    }
    if (std::string(annots[i].subtype) == "Popup") entries += " /Parent " + Ref(refs[0]);
    const CPDFObjRef ref =
        Put(doc, "<< /Type /Annot /Subtype /" + std::string(annots[i].subtype) + " /Rect [" +
                     std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + kSize) +
                     " " + std::to_string(y + kSize) + "]" + entries + " >>");
    refs.push_back(ref);
    before.push_back(Written(doc.GetObj(ref)));
    array += " " + Ref(ref);
  }
  array += " ]";
  ASSERT_TRUE(
      page->Set(&doc, CPDFName("Annots"), periph::Parse(array, &doc).release(), false, nullptr));
  ASSERT_TRUE(page->Set(&doc, CPDFName("Trans"),
                        periph::Parse("<< /Type /Trans /S /Dissolve >>", &doc).release(), false,
                        nullptr));
  ASSERT_TRUE(page->Set(
      &doc, CPDFName("AA"),
      periph::Parse("<< /O << /S /URI /URI (https://example.org/open) >> >>", &doc).release(),
      false, nullptr));

  ASSERT_TRUE(doc.Save(a.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.ReleaseObj(pageRef, true));
  for (const CPDFObjRef& ref : refs) ASSERT_TRUE(doc.ReleaseObj(ref, true));
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();

  // Read back: the page's load types what it holds.
  page = doc.GetPage(0);
  ASSERT_NE(page, nullptr) << doc.GetError().GetMessage();
  CPDFArray* list = page->Get_Annots();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), static_cast<int32_t>(annots.size()));
  for (size_t i = 0; i < annots.size(); ++i) {
    SCOPED_TRACE(annots[i].subtype);
    CPDFObjRef ref;
    auto* annot = dynamic_cast<CPDFAnnotation*>(list->Get(&doc, static_cast<int32_t>(i), &ref));
    ASSERT_NE(annot, nullptr);
    EXPECT_EQ(ref, refs[i]);
    EXPECT_STREQ(annot->GetSubtypeName(), annots[i].subtype);
    if (annots[i].appearance) {
      EXPECT_NE(annot->Get_AP(), nullptr);
    }
    EXPECT_EQ(Written(annot), before[i]);
  }
  auto* link = dynamic_cast<CPDFLinkAnnot*>(list->Get(&doc, 10));
  ASSERT_NE(link, nullptr);
  EXPECT_NE(link->Get_A(), nullptr);
  auto* attachment = dynamic_cast<CPDFFileAttachAnnot*>(list->Get(&doc, 11));
  ASSERT_NE(attachment, nullptr);
  EXPECT_NE(attachment->Get_FS(), nullptr);
  EXPECT_NE(dynamic_cast<CPDFSoundAnnot*>(list->Get(&doc, 12))->Get_Sound(), nullptr);
  EXPECT_NE(dynamic_cast<CPDFMovieAnnot*>(list->Get(&doc, 13))->Get_Movie(), nullptr);
  EXPECT_NE(dynamic_cast<CPDFDissolveTrans*>(page->Get(&doc, CPDFName("Trans"))), nullptr);
  auto* aa = dynamic_cast<CPDFAddActDict*>(page->Get(&doc, CPDFName("AA")));
  ASSERT_NE(aa, nullptr);
  EXPECT_NE(aa->Get_O(), nullptr);

  ASSERT_TRUE(doc.Save(b.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();

  if (!Installed("qpdf --version")) {
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  }
  for (const std::string& path : {a, b}) {
    std::string report;
    EXPECT_TRUE(QpdfAccepts(path, &report)) << path << "\n" << report;
  }

  if (!Installed("mutool -v")) FAIL() << "mutool is not installed (scripts/setup.sh installs it)";
  const std::string script =
      "var d = new PDFDocument(scriptArgs[0]); var p = d.loadPage(0); var a = "
      "p.getAnnotations();\nfor (var i = 0; i < a.length; ++i) print(a[i].getType()); "
      "print(\"links \" + p.getLinks().length);\n";
  EXPECT_EQ(MutoolRun(folder, script, b),
            "Text\nFreeText\nStamp\nLine\nSquare\nCircle\nStrikeOut\nHighlight\nUnderline\nInk\n"
            "FileAttachment\nSound\nMovie\nlinks 1\n");

  const std::string pam = folder.File("page.pam");
  const std::string drawn =
      Output("mutool draw -q -A 0 -c rgb -F pam -r 72 -o '" + pam + "' '" + b + "' 1");
  for (size_t at = 0; at != std::string::npos && at < drawn.size();) {
    EXPECT_NE(drawn.compare(at, 5, "error"), 0) << drawn;
    at = drawn.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  e2e::Raster raster;
  ASSERT_TRUE(e2e::ReadPam(pam, raster)) << drawn;
  ASSERT_EQ(raster.width, static_cast<uint32_t>(kPage));
  ASSERT_EQ(raster.height, static_cast<uint32_t>(kPage));
  int x, y;
  Place(4, &x, &y);  // the Square, red
  const uint8_t* pixel = raster.At(static_cast<uint32_t>(x + kSize / 2),
                                   static_cast<uint32_t>(kPage - (y + kSize / 2)));
  EXPECT_EQ(pixel[0], 0xFF);
  EXPECT_EQ(pixel[1], 0x00);
  EXPECT_EQ(pixel[2], 0x00);
}

}  // namespace
