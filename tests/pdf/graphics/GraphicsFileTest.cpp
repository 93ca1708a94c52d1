// Graphics resources written to a real file and read back with the parser.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/document/PeriphTestSupport.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/graphics/CPDFPattern.h"
#include "pdf/graphics/CPDFProperties.h"
#include "pdf/graphics/CPDFShading.h"
#include "pdf/object/TestDoc.h"

namespace {

using periph::Register;

std::string Ref(int32_t n) { return " " + std::to_string(n) + " 0 R"; }

// The text of every indirect object of a written file, by number.
std::map<int32_t, std::string> Objects(const std::string& path) {
  const std::string text = ReadText(path);
  std::map<int32_t, std::string> objects;
  const std::regex object(R"((\d+) 0 obj([\s\S]*?)endobj)");
  for (std::sregex_iterator it(text.begin(), text.end(), object), end; it != end; ++it) {
    objects[std::stoi((*it)[1])] = (*it)[2];
  }
  return objects;
}

TEST(GraphicsFileTest, ResourcesAreTypedWhenThePageIsReadBack) {
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  TestDoc doc;
  ASSERT_TRUE(doc.CreatePage(-1, 1));
  CPDFObjRef pageRef;
  CPDFPage* page = doc.GetPage(0, &pageRef);
  ASSERT_NE(page, nullptr);

  const std::string tint = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
  const int32_t sh0 = Register(doc,
                               "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1]"
                               " /Function " +
                                   tint + " >>");
  const int32_t gs0 = Register(doc,
                               "<< /Type /ExtGState /HT << /Type /Halftone /HalftoneType 1"
                               " /Frequency 60 /Angle 45 /SpotFunction /Round >> /TR " +
                                   tint + " >>");
  const int32_t p0 = Register(doc,
                              "<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1"
                              " /BBox [0 0 10 10] /XStep 10 /YStep 10 /Resources << /ExtGState"
                              " << /GS0" +
                                  Ref(gs0) +
                                  " >> >> /Length 10 >> stream\r\n"
                                  "/GS0 gs\r\nQ\r\nendstream\r\nendobj");
  const int32_t p1 = Register(doc, "<< /Type /Pattern /PatternType 2 /Shading" + Ref(sh0) +
                                       " /ExtGState" + Ref(gs0) + " >>");
  const int32_t pr0 = Register(doc, "<< /MCID 1 >>");
  const int32_t res = Register(doc, "<< /Shading << /Sh0" + Ref(sh0) + " >> /Pattern << /P0" +
                                        Ref(p0) + " /P1" + Ref(p1) + " >> /ExtGState << /GS0" +
                                        Ref(gs0) + " >> /Properties << /Pr0" + Ref(pr0) + " >> >>");
  for (int32_t n : {sh0, gs0, p0, p1, pr0, res}) ASSERT_GT(n, 0);
  ASSERT_TRUE(PDFSetRef(page, CPDFPage::Key_Resources(), CPDFObjRef(res, 0)));

  ASSERT_TRUE(doc.Save(a.c_str(), false, false));
  for (int32_t n : {pageRef.GetNumber(), sh0, gs0, p0, p1, pr0, res}) {
    ASSERT_TRUE(doc.ReleaseObj(CPDFObjRef(n, 0), true)) << n;
  }
  ASSERT_TRUE(doc.Flush());

  page = doc.GetPage(0);
  ASSERT_NE(page, nullptr) << doc.GetError().GetMessage();
  auto* resources = dynamic_cast<CPDFResDict*>(page->Get_Resources());
  ASSERT_NE(resources, nullptr);
  auto* shading = dynamic_cast<CPDFType2Sh*>(resources->GetResource("Shading", "Sh0"));
  auto* tiling = dynamic_cast<CPDFType1Pat*>(resources->GetResource("Pattern", "P0"));
  auto* shadingPattern = dynamic_cast<CPDFType2Pat*>(resources->GetResource("Pattern", "P1"));
  auto* state = dynamic_cast<CPDFExtGState*>(resources->GetResource("ExtGState", "GS0"));
  ASSERT_TRUE(shading && tiling && shadingPattern && state);
  EXPECT_NE(dynamic_cast<CPDFProperties*>(resources->GetResource("Properties", "Pr0")), nullptr);
  EXPECT_NE(dynamic_cast<CPDFType1Ht*>(state->Get_HT()), nullptr);
  EXPECT_NE(dynamic_cast<CPDFFunction*>(state->Get_TR()), nullptr);
  CPDFObjRef ref;
  EXPECT_EQ(shadingPattern->Get_Shading(&ref), shading);
  EXPECT_EQ(ref.GetNumber(), sh0);
  EXPECT_EQ(shadingPattern->Get_ExtGState(), state);
  ASSERT_NE(tiling->Get_Resources(), nullptr);
  EXPECT_EQ(tiling->Get_Resources()->GetResource("ExtGState", "GS0"), state);

  ASSERT_TRUE(doc.Save(b.c_str(), false, false));
  ASSERT_TRUE(doc.Flush());
  std::string report;
  EXPECT_TRUE(QpdfAccepts(b, &report)) << report;
  const auto first = Objects(a);
  const auto second = Objects(b);
  ASSERT_FALSE(first.empty());
  for (const auto& [number, text] : first) {
    // The information dictionary gains a modification date.
    if (text.find("/Producer") != std::string::npos) continue;
    auto it = second.find(number);
    ASSERT_NE(it, second.end()) << number;
    EXPECT_EQ(it->second, text) << "object " << number;
  }
}

}  // namespace
