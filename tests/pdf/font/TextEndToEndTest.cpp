// End to end: a page with "€5" in Helvetica (WinAnsiEncoding) and "日本語"
// in HeiseiMin-W3 (90ms-RKSJ-H), its codes and widths from the fonts, is
// written and read back by an independent text extractor (skipped when
// pdftotext or the Adobe-Japan1 CMaps are not installed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/font/CPDFCIDFont.h"
#include "pdf/font/CPDFCIDSysInfo.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/font/CPDFType0Font.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

constexpr char kCMapDir[] = "/usr/share/poppler/cMap/Adobe-Japan1";

// A font from its dictionary's text, registered with the document.
template <class Font>
Font* RegisteredFont(CPDFDoc& doc, const std::string& text, CPDFObjRef* ref) {
  std::unique_ptr<CPDFObject> raw = periph::Parse(text, &doc);
  std::unique_ptr<CPDFFont> font(CPDFFont::CreateFont(&doc, raw.get(), -1));
  auto* typed = dynamic_cast<Font*>(font.get());
  if (!typed || !doc.RegistObj(font.get(), ref)) return nullptr;
  font.release();
  return typed;
}

std::string Hex(const uint8_t* bytes, int32_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "<";
  for (int32_t i = 0; i < n; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out + ">";
}

// Lists the fonts as F1 and G1, draws the Latin codes in F1 above the
// composite font's codes in G1, saves the document and answers what
// pdftotext reads from the file, its messages included ("" when a step
// fails). PENNA_KEEP_TEXT_PDF names a copy to keep.
std::string WriteAndExtract(CPDFDoc& doc, CPDFPage* page, const CPDFObjRef& f1,
                            const CPDFObjRef& g1, const std::string& latin, const uint8_t* codes,
                            int32_t n, const std::string& path) {
  std::unique_ptr<CPDFObject> fonts =
      periph::Parse("<< /F1 " + std::to_string(f1.GetNumber()) + " 0 R /G1 " +
                        std::to_string(g1.GetNumber()) + " 0 R >>",
                    &doc);
  const std::string content =
      "BT /F1 30 Tf 20 90 Td " +
      Hex(reinterpret_cast<const uint8_t*>(latin.data()), static_cast<int32_t>(latin.size())) +
      " Tj ET BT /G1 36 Tf 20 30 Td " + Hex(codes, n) + " Tj ET";
  CPDFStream stream;
  if (!page->Get_Resources() ||
      !page->Get_Resources()->Set(&doc, CPDFName("Font"), std::move(fonts)) ||
      !stream.SetData(content.data(), static_cast<int32_t>(content.size())) ||
      !page->AddContents(&stream) || !doc.Save(path.c_str(), false, false) || !doc.Flush()) {
    ADD_FAILURE() << doc.GetError().GetMessage();
    return "";
  }
  if (const char* keep = std::getenv("PENNA_KEEP_TEXT_PDF")) {
    std::filesystem::copy_file(path, keep, std::filesystem::copy_options::overwrite_existing);
  }
  return ToolOutput("pdftotext -enc UTF-8 '" + path + "' - 2>&1");
}

// pdftotext and the CMaps are there; the environment reads the CMaps until
// the object goes.
struct TextTools {
  TextTools() {
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, kCMapDir, nullptr, nullptr);
  }
  ~TextTools() {
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  }
  static bool Missing() {
    if (!ToolInstalled("pdftotext -v")) {
      ADD_FAILURE() << "pdftotext is not installed (poppler-utils: scripts/setup.sh installs it)";
      return true;
    }
    if (!std::filesystem::is_directory(kCMapDir)) {
      ADD_FAILURE() << kCMapDir << " is absent (poppler-data: scripts/setup.sh installs it)";
      return true;
    }
    return false;
  }
};

// A document with one page of 500 by 150 points, to be written as
// text.pdf of a new folder.
class TextEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TextTools::Missing()) GTEST_SKIP();
    tools_ = std::make_unique<TextTools>();
    ASSERT_TRUE(doc.Create(false, false, 1, 3));
    ASSERT_TRUE(doc.CreatePage(-1, 1));
    page = doc.GetPage(0);
    ASSERT_TRUE(page && page->Set_MediaBox(new CPDFRect(0, 0, 500, 150)));
    path = folder_.File("text.pdf");
  }
  std::unique_ptr<TextTools> tools_;
  TempFolder folder_;
  CPDFDoc doc;
  CPDFPage* page = nullptr;
  std::string path;
};

TEST_F(TextEndToEnd, EuroAndJapaneseReadBackAsWritten) {
  CPDFObjRef helveticaRef, heiseiRef;
  auto* helvetica = RegisteredFont<CPDFType1Font>(
      doc, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
      &helveticaRef);
  ASSERT_TRUE(helvetica);
  ASSERT_TRUE(helvetica->UpdateCharWidth()) << doc.GetError().GetMessage();
  const uint8_t euro[] = {0x80, '5'};
  EXPECT_EQ(helvetica->CalcStringWidth(euro, 2), 556 + 556);

  auto* heisei = RegisteredFont<CPDFType0Font>(
      doc,
      "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3-90ms-RKSJ-H /Encoding /90ms-RKSJ-H "
      "/DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 /BaseFont /HeiseiMin-W3 "
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >> /FontDescriptor "
      "<< /Type /FontDescriptor /FontName /HeiseiMin-W3 /Flags 4 /FontBBox [-123 -257 1001 910] "
      "/ItalicAngle 0 /Ascent 859 /Descent -141 /CapHeight 709 /StemV 69 >> /DW 1000 >>] >>",
      &heiseiRef);
  ASSERT_TRUE(heisei);
  // 日本語 in the host encoding.
  const uint8_t host[] = {0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA};
  uint8_t codes[16];
  const int32_t n = heisei->FromHostEncoding(codes, sizeof codes, host, sizeof host);
  ASSERT_EQ(n, 6);
  EXPECT_EQ(heisei->GetReplacedCount(), 0);
  EXPECT_EQ(heisei->CalcStringWidth(codes, n), 3000);
  char16_t unicode[8];
  ASSERT_EQ(heisei->ToUnicode(unicode, 8, codes, n), 3);
  EXPECT_EQ(std::u16string(unicode, 3), u"日本語");

  const std::string text =
      WriteAndExtract(doc, page, helveticaRef, heiseiRef,
                      std::string(reinterpret_cast<const char*>(euro), 2), codes, n, path);
  EXPECT_NE(text.find("€5"), std::string::npos) << text;
  EXPECT_NE(text.find("日本語"), std::string::npos) << text;
}

// Fonts made through the library, not parsed: the composite font and its
// CID font carry the /Subtype their Create wrote, and Helvetica with
// Central European Differences gets the widths of its AFM files.
TEST_F(TextEndToEnd, FontsMadeThroughTheLibraryReadBack) {
  auto cid = std::make_unique<CPDFType2CIDFont>();
  ASSERT_TRUE(cid->Create(&doc, "HeiseiKakuGo-W5"));
  auto type0Cid = std::make_unique<CPDFType0CIDFont>();
  ASSERT_TRUE(type0Cid->Create(&doc, "HeiseiMin-W3"));
  for (CPDFCIDFont* font :
       {static_cast<CPDFCIDFont*>(cid.get()), static_cast<CPDFCIDFont*>(type0Cid.get())}) {
    auto* subtype = dynamic_cast<CPDFName*>(font->Get(&doc, CPDFFont::Key_Subtype()));
    ASSERT_TRUE(subtype);
    EXPECT_STREQ(subtype->c_str(), font == cid.get() ? "CIDFontType2" : "CIDFontType0");
  }
  auto info = std::make_unique<CPDFCIDSysInfo>();
  ASSERT_TRUE(
      info->Set(&doc, CPDFCIDSysInfo::Key_Registry(), std::make_unique<CPDFString>("Adobe")));
  ASSERT_TRUE(
      info->Set(&doc, CPDFCIDSysInfo::Key_Ordering(), std::make_unique<CPDFString>("Japan1")));
  ASSERT_TRUE(info->Set_Supplement(new CPDFInt(2)));
  ASSERT_TRUE(type0Cid->Set_CIDSystemInfo(info.release()));
  auto desc = std::make_unique<CPDFFontDesc>();
  ASSERT_TRUE(desc->Create(&doc, 859, 709, -141, 4, CPDFRect(-123, -257, 1001, 910), "HeiseiMin-W3",
                           0, 69));
  ASSERT_TRUE(type0Cid->Set_FontDescriptor(desc.release(), true));
  ASSERT_TRUE(type0Cid->UpdateCharWidth()) << doc.GetError().GetMessage();

  CPDFObjRef minchoRef, helveticaRef;
  auto mincho = std::make_unique<CPDFType0Font>();
  ASSERT_TRUE(mincho->Create(&doc, "HeiseiMin-W3-UniJIS-UCS2-H"));
  EXPECT_FALSE(CPDFType0Font::Check(&doc, mincho.get()));  // no Encoding yet
  auto descendants = std::make_unique<CPDFArray>();
  ASSERT_TRUE(descendants->Push_Back(&doc, std::move(type0Cid)));
  ASSERT_TRUE(mincho->Set_DescendantFonts(descendants.release()));
  ASSERT_TRUE(mincho->Set_Encoding(new CPDFName("UniJIS-UCS2-H")));
  EXPECT_TRUE(CPDFType0Font::Check(&doc, mincho.get()));
  CPDFType0Font* type0 = mincho.get();
  ASSERT_TRUE(doc.RegistObj(mincho.release(), &minchoRef));
  uint8_t codes[32];
  const int32_t n = type0->FromUnicode(codes, sizeof codes, u"東京都");
  ASSERT_EQ(n, 6) << doc.GetError().GetMessage();
  EXPECT_EQ(type0->CalcStringWidth(codes, n), 3000);

  auto helvetica = std::make_unique<CPDFType1Font>();
  ASSERT_TRUE(helvetica->Create(&doc, "Helvetica"));
  std::unique_ptr<CPDFObject> encoding = periph::Parse(
      "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [128 /Lslash /zacute "
      "/nacute /Zdotaccent /lslash /cacute /rcaron] >>",
      &doc);
  ASSERT_TRUE(helvetica->Set(&doc, CPDFFont::Key_Encoding(), std::move(encoding)));
  CPDFType1Font* latin = helvetica.get();
  ASSERT_TRUE(doc.RegistObj(helvetica.release(), &helveticaRef));
  ASSERT_TRUE(latin->UpdateCharWidth()) << doc.GetError().GetMessage();
  CPDFArray* widths = latin->Get_Widths();
  ASSERT_TRUE(widths);
  for (auto [code, width] : {std::pair{0x80, 556}, {0x81, 500}, {0x82, 556}, {0x86, 333}}) {
    EXPECT_EQ(dynamic_cast<CPDFNumber*>(widths->Get(&doc, code))->GetInt(), width) << code;
  }
  const std::string line =
      "\x80\xF3"
      "d\x81 Gda\x82sk \x83\xF3\x84\x85 Dvo\x86\xE1k";

  const std::string text =
      WriteAndExtract(doc, page, helveticaRef, minchoRef, line, codes, n, path);
  EXPECT_NE(text.find("Łódź Gdańsk Żółć Dvořák"), std::string::npos) << text;
  EXPECT_NE(text.find("東京都"), std::string::npos) << text;
  EXPECT_EQ(text.find("Unknown font type"), std::string::npos) << text;
}

}  // namespace
