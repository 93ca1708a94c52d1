// End to end: a page with "€5 Łódź Gdańsk Żółć Dvořák" and "café £" in
// Helvetica (WinAnsiEncoding with Differences), "'q' ‘x’ – ß \" in
// Helvetica without /Encoding (StandardEncoding), Greek and signs in Symbol
// and dingbats in ZapfDingbats, and Japanese in HeiseiMin-W3
// (90ms-RKSJ-H, UniJIS-UCS2-H, UniJIS-UTF16-H), its codes and widths from
// the fonts, is written and read back by an independent text extractor (skipped when
// pdftotext or the Adobe-Japan1 CMaps are not installed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/font/CPDFType0Font.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"
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

TEST(TextEndToEnd, EuroAndJapaneseReadBackAsWritten) {
  if (!ToolInstalled("pdftotext -v"))
    FAIL() << "pdftotext is not installed (poppler-utils: scripts/setup.sh installs it)";
  if (!std::filesystem::is_directory(kCMapDir))
    FAIL() << kCMapDir << " is absent (poppler-data: scripts/setup.sh installs it)";
  CPDFEnv::Global().ReleaseFontCaches();
  CPDFEnv::Global().Init(nullptr, kCMapDir, nullptr, nullptr);
  struct Restore {
    ~Restore() {
      CPDFEnv::Global().ReleaseFontCaches();
      CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
    }
  } restore;

  TempFolder folder;
  const std::string path = folder.File("text.pdf");
  CPDFDoc doc;
  ASSERT_TRUE(doc.Create(false, false, 1, 3));
  ASSERT_TRUE(doc.CreatePage(-1, 1));
  CPDFPage* page = doc.GetPage(0);
  ASSERT_TRUE(page);
  ASSERT_TRUE(page->Set_MediaBox(new CPDFRect(0, 0, 400, 150)));

  // Helvetica made through the library, with Central European letters in
  // its Differences: their widths come from the built-in metrics.
  CPDFObjRef helveticaRef, heiseiRef;
  auto made = std::make_unique<CPDFType1Font>();
  ASSERT_TRUE(made->Create(&doc, "Helvetica"));
  ASSERT_TRUE(made->Set(&doc, CPDFFont::Key_Encoding(),
                        periph::Parse("<< /BaseEncoding /WinAnsiEncoding /Differences [1 /Lslash "
                                      "/zacute /nacute /Zdotaccent /lslash /cacute /rcaron] >>",
                                      &doc)));
  CPDFType1Font* helvetica = made.get();
  ASSERT_TRUE(doc.RegistObj(made.release(), &helveticaRef));
  ASSERT_TRUE(helvetica->UpdateCharWidth()) << doc.GetError().GetMessage();
  const std::string latin =
      "\x80"
      "5 \x01\xF3"
      "d\x02 Gda\x03sk \x04\xF3\x05\x06 Dvo\x07\xE1k";
  const auto* euro = reinterpret_cast<const uint8_t*>(latin.data());
  EXPECT_EQ(helvetica->CalcStringWidth(euro, 2), 556 + 556);
  EXPECT_EQ(helvetica->CalcStringWidth(euro + 3, static_cast<int32_t>(latin.size()) - 3), 11504);

  auto heiseiFont = [&](const char* encoding, CPDFObjRef* ref) {
    return RegisteredFont<CPDFType0Font>(
        doc,
        std::string("<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding /") +
            encoding +
            " /DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 /BaseFont /HeiseiMin-W3 "
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >> "
            "/FontDescriptor << /Type /FontDescriptor /FontName /HeiseiMin-W3 /Flags 4 /FontBBox "
            "[-123 -257 1001 910] /ItalicAngle 0 /Ascent 859 /Descent -141 /CapHeight 709 /StemV "
            "69 >> /DW 1000 >>] >>",
        ref);
  };
  CPDFObjRef ucs2Ref, utf16Ref;
  auto* heisei = heiseiFont("90ms-RKSJ-H", &heiseiRef);
  auto* ucs2 = heiseiFont("UniJIS-UCS2-H", &ucs2Ref);
  auto* utf16 = heiseiFont("UniJIS-UTF16-H", &utf16Ref);
  ASSERT_TRUE(heisei && ucs2 && utf16);
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

  // Lines written from Unicode: Latin letters by their glyph names; a
  // character beyond U+FFFF replaced once and the rest kept; the codes of
  // Unicode encodings the characters themselves.
  auto fromUnicode = [](CPDFFont* font, const std::u16string& text) {
    uint8_t out[64];
    const int32_t m = font->FromUnicode(out, sizeof out, text.c_str());
    EXPECT_GT(m, 0) << font->GetDoc()->GetError().GetMessage();
    return Hex(out, m < 0 ? 0 : m);
  };
  const std::string cafe = fromUnicode(helvetica, u"caf\u00E9 \u00A3");
  EXPECT_EQ(cafe, "<636166E920A3>");
  const std::string beyond = fromUnicode(heisei, u"\U00020BB7\u91CE\u5BB6");
  EXPECT_EQ(heisei->GetReplacedCount(), 1);
  const std::string kanji = fromUnicode(ucs2, u"\u65E5\u6708");
  EXPECT_EQ(kanji, "<65E56708>");
  const std::string quotes = fromUnicode(utf16, u"\u201C\u5F15\u201D");
  EXPECT_EQ(utf16->GetReplacedCount(), 0);

  // Standard fonts made without /Encoding: their built-in encodings.
  CPDFObjRef standardRef, symbolRef, dingbatsRef;
  auto standardFont = [&](const char* baseFont, CPDFObjRef* ref) {
    auto font = std::make_unique<CPDFType1Font>();
    EXPECT_TRUE(font->Create(&doc, baseFont));
    CPDFType1Font* registered = font.get();
    EXPECT_TRUE(doc.RegistObj(font.release(), ref));
    return registered;
  };
  const std::string standard =
      fromUnicode(standardFont("Helvetica", &standardRef), u"'q' \u2018x\u2019 \u2013 \u00DF \\");
  EXPECT_EQ(standard, "<A971A92060782720B120FB205C>");
  const std::string greek = fromUnicode(standardFont("Symbol", &symbolRef), u"\u03B1\u2211\u03B2");
  EXPECT_EQ(greek, "<61E562>");
  const std::string dingbats =
      fromUnicode(standardFont("ZapfDingbats", &dingbatsRef), u"\u2701\u2764");
  EXPECT_EQ(dingbats, "<21A4>");

  CPDFDict* resources = page->Get_Resources();
  ASSERT_TRUE(resources);
  auto ref = [](const CPDFObjRef& r) { return std::to_string(r.GetNumber()) + " 0 R"; };
  std::unique_ptr<CPDFObject> fonts =
      periph::Parse("<< /F1 " + ref(helveticaRef) + " /G1 " + ref(heiseiRef) + " /G2 " +
                        ref(ucs2Ref) + " /G3 " + ref(utf16Ref) + " /F2 " + ref(standardRef) +
                        " /F3 " + ref(symbolRef) + " /F4 " + ref(dingbatsRef) + " >>",
                    &doc);
  ASSERT_TRUE(resources->Set(&doc, CPDFName("Font"), std::move(fonts)));
  const std::string content =
      "BT /F1 24 Tf 20 110 Td " + Hex(euro, static_cast<int32_t>(latin.size())) +
      " Tj ET BT /G1 36 Tf 20 70 Td " + Hex(codes, n) + " Tj ET BT /F1 12 Tf 20 40 Td " + cafe +
      " Tj ET BT /G1 12 Tf 120 40 Td " + beyond + " Tj ET BT /G2 12 Tf 20 15 Td " + kanji +
      " Tj ET BT /G3 12 Tf 120 15 Td " + quotes + " Tj ET BT /F2 12 Tf 220 40 Td " + standard +
      " Tj ET BT /F3 12 Tf 220 15 Td " + greek + " Tj ET BT /F4 12 Tf 300 15 Td " + dingbats +
      " Tj ET";
  CPDFStream stream;
  ASSERT_TRUE(stream.SetData(content.data(), static_cast<int32_t>(content.size())));
  ASSERT_TRUE(page->AddContents(&stream));
  ASSERT_TRUE(doc.Save(path.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();

  const std::string text = ToolOutput("pdftotext -enc UTF-8 '" + path + "' -");
  EXPECT_NE(text.find("€5 Łódź Gdańsk Żółć Dvořák"), std::string::npos) << text;
  EXPECT_NE(text.find("日本語"), std::string::npos) << text;
  for (const char* line : {"café £", "野家", "日月", "“引”", "'q' ‘x’ – ß \\", "α∑β", "✁❤"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
  }
  if (const char* keep = std::getenv("PENNA_KEEP_TEXT_PDF")) {
    std::filesystem::copy_file(path, keep, std::filesystem::copy_options::overwrite_existing);
  }
}

}  // namespace
