// Type 1 fonts: the check, the typed load, widths measured and written from
// the built-in metrics of the standard fonts (and from an AFM file), and the
// descriptors of the standard fonts, kept per document.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/interactive/CPDFAcroFormDict.h"
#include "pdf/object/CPDFNumber.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"
#include "tests/platform/ScopedTestState.h"

namespace {

using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

class Type1FontTest : public ::testing::Test {
 protected:
  void SetUp() override { CPDFEnv::Global().ReleaseFontCaches(); }
  void TearDown() override { CPDFEnv::Global().ReleaseFontCaches(); }

  std::unique_ptr<CPDFObject> Raw(const std::string& entries) {
    return Parse("<< /Type /Font /Subtype /Type1 " + entries + " >>", &doc_);
  }
  bool Accepts(const std::string& entries) {
    std::unique_ptr<CPDFObject> raw = Raw(entries);
    return CPDFType1Font::Check(&doc_, raw.get());
  }
  std::unique_ptr<CPDFType1Font> Font(const std::string& entries) {
    std::unique_ptr<CPDFObject> raw = Raw(entries);
    return LoadAs<CPDFType1Font, CPDFDict>(&doc_, raw.get());
  }
  static int32_t Width(CPDFType1Font& font, const std::string& text) {
    return font.CalcStringWidth(reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<int32_t>(text.size()));
  }
  std::string Message() const { return doc_.GetError().GetMessage(); }
  int32_t Code() const { return doc_.GetError().GetCode(); }

  TestDoc doc_;
};

TEST_F(Type1FontTest, CheckKnowsTheStandardFontsByExactName) {
  EXPECT_TRUE(CPDFType1Font::IsStandardFont("Helvetica"));
  EXPECT_TRUE(CPDFType1Font::IsStandardFont("ZapfDingbats"));
  EXPECT_FALSE(CPDFType1Font::IsStandardFont("helvetica"));
  EXPECT_FALSE(CPDFType1Font::IsStandardFont("Arial"));
  EXPECT_FALSE(CPDFType1Font::IsStandardFont(nullptr));

  EXPECT_TRUE(Accepts("/BaseFont /Helvetica"));
  EXPECT_FALSE(Accepts("/BaseFont /helvetica"));
  EXPECT_FALSE(Accepts("/BaseFont /Foo"));
  const std::string full =
      "/FirstChar 32 /LastChar 33 /Widths [250 300] /FontDescriptor << /Type /FontDescriptor >>";
  EXPECT_TRUE(Accepts("/BaseFont /Foo " + full));
  EXPECT_FALSE(Accepts("/BaseFont /Foo /FirstChar 32 /LastChar 33 /Widths [1 2]"));
  std::unique_ptr<CPDFObject> other =
      Parse("<< /Type /Font /Subtype /TrueType /BaseFont /Helvetica >>", &doc_);
  EXPECT_FALSE(CPDFType1Font::Check(&doc_, other.get()));

  // An integer made in memory is not a number read from a file.
  std::unique_ptr<CPDFObject> raw = Raw("/BaseFont /Foo " + full);
  auto* dict = dynamic_cast<CPDFDict*>(raw.get());
  ASSERT_TRUE(dict->Set(&doc_, CPDFType1Font::Key_FirstChar(), std::make_unique<CPDFInt>(32)));
  EXPECT_FALSE(CPDFType1Font::Check(&doc_, dict));
}

TEST_F(Type1FontTest, LoadTypesItsKeysAndWritesWhatItRead) {
  const int32_t widths = Register(doc_, "[722 600]");
  const int32_t first = Register(doc_, "65");
  std::unique_ptr<CPDFObject> raw =
      Raw("/BaseFont /Foo /FirstChar " + std::to_string(first) + " 0 R /LastChar 66 /Widths " +
          std::to_string(widths) +
          " 0 R /Encoding << /Type /Encoding /Differences [65 /B] >> /FontDescriptor << /Type "
          "/FontDescriptor /Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 /FontBBox [0 0 1 "
          "1] /FontName /Foo /ItalicAngle 0 /StemV 88 >>");
  ASSERT_TRUE(raw);
  const std::string read = Written(raw.get());
  auto font = LoadAs<CPDFType1Font, CPDFDict>(&doc_, raw.get());
  ASSERT_TRUE(font);
  EXPECT_EQ(Written(font.get()), read);
  ASSERT_TRUE(font->Get_FirstChar());
  EXPECT_TRUE(dynamic_cast<CPDFInt*>(font->Get_FirstChar()));
  EXPECT_EQ(font->Get_LastChar()->GetInt(), 66);
  EXPECT_TRUE(dynamic_cast<CPDFEncoding*>(font->Get_Encoding()));
  ASSERT_TRUE(font->Get_FontDescriptor());
  // Not a standard font: the descriptor is the font's own.
  EXPECT_EQ(font->GetFontDescriptor(), font->Get_FontDescriptor());
  EXPECT_STREQ(font->GetNamePrefix().c_str(), "F");
}

// Values reached through their own key are typed without /Type when the
// rest of their shape holds: a descriptor, an encoding dictionary, a
// FontFile3 stream without Length1. The checks that guess a class from the
// shape alone still want /Type (and Length1).
TEST_F(Type1FontTest, KeyedValuesAreTypedWithoutType) {
  const int32_t program =
      Register(doc_, "<< /Length 3 /Subtype /Type1C >>\nstream\nabc\nendstream\nendobj");
  ASSERT_GT(program, 0);
  const std::string descriptor =
      "/Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 /FontBBox [0 0 1 1] /FontName /Foo "
      "/ItalicAngle 0 /StemV 88";
  std::unique_ptr<CPDFObject> raw =
      Raw("/BaseFont /Foo /FirstChar 65 /LastChar 66 /Widths [722 600] /Encoding << /Differences "
          "[65 /B] >> /FontDescriptor << " +
          descriptor + " /FontFile3 " + std::to_string(program) + " 0 R >>");
  ASSERT_TRUE(raw);
  auto* dict = dynamic_cast<CPDFDict*>(raw.get());
  CPDFObject* rawDesc = dict->Get(&doc_, CPDFType1Font::Key_FontDescriptor());
  CPDFObject* rawEncoding = dict->Get(&doc_, CPDFFont::Key_Encoding());
  EXPECT_FALSE(CPDFFontDesc::Check(&doc_, rawDesc));
  EXPECT_TRUE(CPDFFontDesc::CheckKeyed(&doc_, rawDesc));
  EXPECT_FALSE(CPDFEncoding::Check(&doc_, rawEncoding));
  EXPECT_TRUE(CPDFEncoding::CheckKeyed(&doc_, rawEncoding));
  EXPECT_FALSE(CPDFFontFile::Check(
      &doc_, dynamic_cast<CPDFDict*>(rawDesc)->Get(&doc_, CPDFFontDesc::Key_FontFile3())));

  const std::string read = Written(raw.get());
  auto font = LoadAs<CPDFType1Font, CPDFDict>(&doc_, raw.get());
  ASSERT_TRUE(font);
  EXPECT_EQ(Written(font.get()), read);  // nothing added
  EXPECT_TRUE(dynamic_cast<CPDFEncoding*>(font->Get_Encoding()));
  CPDFFontDesc* desc = font->Get_FontDescriptor();
  ASSERT_TRUE(desc);
  EXPECT_TRUE(desc->Get_FontFile3());
  EXPECT_FALSE(desc->Get_FontFile3()->Get_Length1());

  // The shape must still hold: no StemV, /Type of another class, an
  // encoding with neither key, a FontFile3 whose Length1 is a string.
  const std::pair<std::string, std::string> untyped[] = {
      {"/FontDescriptor << /Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 /FontBBox [0 0 1 "
       "1] /FontName /Foo /ItalicAngle 0 >>",
       "FontDescriptor"},
      {"/FontDescriptor << /Type /Font " + descriptor + " >>", "FontDescriptor"},
      {"/Encoding << /Foo 1 >>", "Encoding"},
      {"/Encoding << /Type /Font /Differences [65 /B] >>", "Encoding"},
  };
  for (const auto& [entries, key] : untyped) {
    SCOPED_TRACE(entries);
    auto plain = Font("/BaseFont /Foo /FirstChar 65 /LastChar 65 /Widths [1] " + entries);
    ASSERT_TRUE(plain);
    CPDFObject* value = plain->Get(&doc_, CPDFName(key.c_str()));
    ASSERT_TRUE(value);
    EXPECT_FALSE(dynamic_cast<CPDFDataStruct*>(value));
  }
  const int32_t badProgram =
      Register(doc_, "<< /Length 3 /Length1 (3) >>\nstream\nabc\nendstream\nendobj");
  auto bad = Font("/BaseFont /Foo /FirstChar 65 /LastChar 65 /Widths [1] /FontDescriptor << " +
                  descriptor + " /FontFile3 " + std::to_string(badProgram) + " 0 R >>");
  ASSERT_TRUE(bad && bad->Get_FontDescriptor());
  EXPECT_FALSE(bad->Get_FontDescriptor()->Get_FontFile3());
}

TEST_F(Type1FontTest, LoadFailsOnAWidthThatDoesNotResolveAndGivesEverythingBack) {
  std::unique_ptr<CPDFObject> raw =
      Raw("/BaseFont /Helvetica /FirstChar 32 /LastChar 33 /Widths [250 999 0 R]");
  const std::string read = Written(raw.get());
  EXPECT_EQ((LoadAs<CPDFType1Font, CPDFDict>(&doc_, raw.get())), nullptr);
  EXPECT_EQ(Written(raw.get()), read);
  EXPECT_EQ(CPDFFont::CreateFont(&doc_, raw.get(), -1), nullptr);
  EXPECT_EQ(Written(raw.get()), read);
}

TEST_F(Type1FontTest, WidthsFromTheWidthsArray) {
  auto font = Font("/BaseFont /Foo /FirstChar 65 /LastChar 65 /Widths [722]");
  ASSERT_TRUE(font);
  EXPECT_EQ(Width(*font, "AB"), 722);
  EXPECT_EQ(Width(*font, ""), 0);
  // An element missing in the range is a step failure.
  auto shortWidths = Font("/BaseFont /Foo /FirstChar 65 /LastChar 66 /Widths [722]");
  EXPECT_EQ(Width(*shortWidths, "AB"), -1);
  EXPECT_EQ(Code(), CPDFException::kStepFailed);
  EXPECT_STREQ(doc_.GetError().GetClassName(), "CPDFType1Font");
  // FirstChar and LastChar beyond a byte are clamped, not used to index.
  auto wide = Font("/BaseFont /Foo /FirstChar -5 /LastChar 300 /Widths [1 2 3]");
  EXPECT_EQ(Width(*wide, std::string("\x00\x01\x02", 3)), 6);
}

TEST_F(Type1FontTest, WidthsFromTheBuiltInMetrics) {
  auto font = Font("/BaseFont /Helvetica");
  ASSERT_TRUE(font);
  EXPECT_EQ(Width(*font, "Hello"), 722 + 556 + 222 + 222 + 556);
  // 39 is quoteright in StandardEncoding.
  EXPECT_EQ(Width(*font, "It's"), 278 + 278 + 222 + 500);
  EXPECT_EQ(Width(*font, "H\x80"), 722);
  // A named encoding: 39 is quotesingle in WinAnsiEncoding.
  auto ansi = Font("/BaseFont /Helvetica /Encoding /WinAnsiEncoding");
  EXPECT_EQ(Width(*ansi, "'"), 191);
  // Codes outside FirstChar..LastChar add 0.
  auto range = Font("/BaseFont /Helvetica /FirstChar 101 /LastChar 108");
  EXPECT_EQ(Width(*range, "Hello"), 556 + 222 + 222);
  auto times = Font("/BaseFont /Times-Roman");
  EXPECT_EQ(Width(*times, "Hello"), 2222);
  auto courier = Font("/BaseFont /Courier-Bold");
  EXPECT_EQ(Width(*courier, "Hello"), 3000);
}

// The Euro sign, which WinAnsiEncoding (128) and PDFDocEncoding (160) reach,
// has its AFM width in all twelve Latin fonts, so "€5" does not overprint.
TEST_F(Type1FontTest, EuroHasItsWidthInEveryLatinFont) {
  const std::pair<const char*, int32_t> kEuro[] = {{"Courier", 600},
                                                   {"Courier-Bold", 600},
                                                   {"Courier-BoldOblique", 600},
                                                   {"Courier-Oblique", 600},
                                                   {"Helvetica", 556},
                                                   {"Helvetica-Bold", 556},
                                                   {"Helvetica-BoldOblique", 556},
                                                   {"Helvetica-Oblique", 556},
                                                   {"Times-Roman", 500},
                                                   {"Times-Bold", 500},
                                                   {"Times-Italic", 500},
                                                   {"Times-BoldItalic", 500}};
  for (const auto& [name, euro] : kEuro) {
    SCOPED_TRACE(name);
    const std::string base = std::string("/BaseFont /") + name;
    auto ansi = Font(base + " /Encoding /WinAnsiEncoding");
    ASSERT_TRUE(ansi);
    const int32_t five = Width(*ansi, "5");
    EXPECT_EQ(Width(*ansi,
                    "\x80"
                    "5"),
              euro + five);
    auto pdfDoc = Font(base + " /Encoding /PDFDocEncoding");
    EXPECT_EQ(Width(*pdfDoc, "\xA0"), euro);
    // StandardEncoding has no Euro.
    auto standard = Font(base);
    EXPECT_EQ(Width(*standard, "\x80"), 0);
    ASSERT_TRUE(ansi->UpdateCharWidth());
    CPDFArray* widths = ansi->Get_Widths();
    ASSERT_TRUE(widths && widths->GetCount() == 256);
    EXPECT_EQ(dynamic_cast<CPDFNumber*>(widths->Get(&doc_, 128))->GetInt(), euro);
  }
}

// Symbol and ZapfDingbats are measured through their own encoding, the
// codes of their metrics, whether /Encoding is absent or names a table.
TEST_F(Type1FontTest, SymbolAndZapfDingbatsMeasureThroughTheirBuiltInEncoding) {
  struct Case {
    const char* entries;
    std::string text;
    int32_t width;
  };
  const Case cases[] = {
      {"/BaseFont /Symbol", "Aa", 722 + 631},               // Alpha, alpha
      {"/BaseFont /Symbol", " \xA0\xE5", 250 + 750 + 713},  // space, Euro, summation
      {"/BaseFont /Symbol", "\x80\xF0", 0},                 // codes the font does not use
      {"/BaseFont /Symbol /Encoding /WinAnsiEncoding", "Aa", 722 + 631},
      {"/BaseFont /ZapfDingbats", " !An", 278 + 974 + 692 + 761},  // space a1 a10 a73
      {"/BaseFont /ZapfDingbats", "\xA1\xFE", 732 + 918},          // a101 a191
      // 128 to 141, the codes real files use for these glyphs: a89 a88 a96.
      {"/BaseFont /ZapfDingbats", "\x80\x8B\x8D", 390 + 234 + 334},
      {"/BaseFont /ZapfDingbats", "\x7F\x8E\xA0\xF0\xFF", 0},  // no glyph there
      {"/BaseFont /ZapfDingbats /Encoding /StandardEncoding", "!", 974},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries + (" " + c.text));
    auto font = Font(c.entries);
    ASSERT_TRUE(font);
    EXPECT_EQ(Width(*font, c.text), c.width);
    EXPECT_FALSE(doc_.GetError().IsError());
    ASSERT_TRUE(font->UpdateCharWidth());
    CPDFArray* widths = font->Get_Widths();
    ASSERT_TRUE(widths && widths->GetCount() == 256);
    int32_t sum = 0;
    for (char ch : c.text) {
      sum += dynamic_cast<CPDFNumber*>(widths->Get(&doc_, static_cast<uint8_t>(ch)))->GetInt();
    }
    EXPECT_EQ(sum, c.width);
  }
  // An unknown encoding name is still refused.
  auto unknown = Font("/BaseFont /Symbol /Encoding /NoSuchEncoding");
  EXPECT_EQ(Width(*unknown, "a"), -1);
  EXPECT_STREQ(Message().c_str(), "undefined Font Encoding: NoSuchEncoding");
}

// An encoding dictionary, the form real files use most: each code's glyph
// name comes from /Differences, else from /BaseEncoding (else
// StandardEncoding), and the AFM width of that name is the code's width.
// /Widths written by UpdateCharWidth give the same sums.
TEST_F(Type1FontTest, EncodingDictionariesMeasureThroughTheirGlyphNames) {
  struct Case {
    const char* entries;
    std::string text;
    int32_t width;
  };
  const Case cases[] = {
      {"/BaseFont /Helvetica /Encoding << /Type /Encoding /BaseEncoding /WinAnsiEncoding "
       "/Differences [24 /breve 39 /quotesingle] >>",
       "Hello", 2278},
      // 24 breve, 39 quotesingle (Differences); 128 Euro (WinAnsiEncoding).
      {"/BaseFont /Helvetica /Encoding << /Type /Encoding /BaseEncoding /WinAnsiEncoding "
       "/Differences [24 /breve 39 /quotesingle] >>",
       "\x18'\x80", 333 + 191 + 556},
      // Without /BaseEncoding: StandardEncoding, whose 39 is quoteright.
      {"/BaseFont /Helvetica /Encoding << /Type /Encoding /Differences [65 /i /m] >>", "ABC'",
       222 + 833 + 722 + 222},
      // A plain dictionary (no /Type) reads the same; a /BaseEncoding that
      // is not a name counts as absent.
      {"/BaseFont /Helvetica /Encoding << /BaseEncoding /WinAnsiEncoding >>", "'", 191},
      {"/BaseFont /Helvetica /Encoding << /BaseEncoding 5 /Differences [65 /m] >>", "A'",
       833 + 222},
      // A code no table names measures 0, as .notdef does.
      {"/BaseFont /Helvetica /Encoding << /Differences [65 /.notdef] >>", "A\x80H", 722},
      // Central European letters and signs of the AFM files beyond the
      // glyphs of the standard encodings.
      {"/BaseFont /Helvetica /Encoding << /Differences [128 /nacute /zacute /Lslash] >>",
       "\x80\x81\x82", 556 + 500 + 556},
      {"/BaseFont /Helvetica /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [128 "
       "/Lslash /zacute /nacute /Zdotaccent /lslash /cacute /rcaron] >>",
       "\x80\xF3"
       "d\x81 Gda\x82sk \x83\xF3\x84\x85 Dvo\x86\xE1k",
       11504},
      // uniXXXX and uXXXX name the metrics' glyph of their character.
      {"/BaseFont /Helvetica /Encoding << /Differences [128 /uni0144 /u017A /uni0141] >>",
       "\x80\x81\x82", 556 + 500 + 556},
      {"/BaseFont /Times-Roman /Encoding << /Differences [1 /scaron /Delta /notequal /lozenge "
       "/dcaron /tcommaaccent] >>",
       "\x01\x02\x03\x04\x05\x06", 389 + 612 + 549 + 471 + 588 + 278},
      // Names before the first number have no code; codes wrap after 255.
      {"/BaseFont /Times-Roman /Encoding << /Differences [/x 255 /i /m] >>",
       std::string("\xFF\x00", 2), 278 + 778},
      // Fonts with their own encoding: Differences first, else the metrics'
      // codes, whatever base encoding is named.
      {"/BaseFont /ZapfDingbats /Encoding << /Differences [65 /a1] >>", "A!\x80", 974 + 974 + 390},
      // A code name measures as the font's glyph of its character: a1 in
      // ZapfDingbats, Symbol's Delta and Omega.
      {"/BaseFont /ZapfDingbats /Encoding << /Differences [65 /uni2701] >>", "A", 974},
      {"/BaseFont /Symbol /Encoding << /Differences [65 /uni0394 /uni2126] >>", "AB", 612 + 768},
      {"/BaseFont /Symbol /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [65 /beta] >>",
       "Aa", 549 + 631},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    auto font = Font(c.entries);
    ASSERT_TRUE(font);
    EXPECT_EQ(Width(*font, c.text), c.width);
    EXPECT_FALSE(doc_.GetError().IsError()) << Message();
    ASSERT_TRUE(font->UpdateCharWidth());
    CPDFArray* widths = font->Get_Widths();
    ASSERT_TRUE(widths && widths->GetCount() == 256);
    int32_t sum = 0;
    for (char ch : c.text) {
      sum += dynamic_cast<CPDFNumber*>(widths->Get(&doc_, static_cast<uint8_t>(ch)))->GetInt();
    }
    EXPECT_EQ(sum, c.width);
  }
}

// A glyph the metrics lack, named by /Differences, measures 0 but gets no
// /Widths: viewers then measure it themselves.
TEST_F(Type1FontTest, AGlyphWithoutMetricsLeavesWidthsOut) {
  auto font = Font("/BaseFont /Helvetica /Encoding << /Differences [65 /nosuchglyph] >>");
  ASSERT_TRUE(font);
  EXPECT_EQ(Width(*font, "A\x80H"), 722);
  EXPECT_FALSE(font->UpdateCharWidth());
  EXPECT_EQ(Code(), CPDFException::kUndefined);
  EXPECT_STREQ(Message().c_str(), "no metrics for glyph nosuchglyph of Helvetica");
  for (const char* key : {"Widths", "FirstChar", "LastChar"})
    EXPECT_FALSE(font->HasKey(CPDFName(key)));
}

// The interactive form's default font Helv: Helvetica whose /Encoding is an
// indirect encoding dictionary of PDFDocEncoding Differences.
TEST_F(Type1FontTest, TheFormFontHelvIsMeasuredAndGetsItsWidths) {
  CPDFAcroFormDict form;
  ASSERT_TRUE(form.Create(&doc_, new CPDFArray));
  auto* helv = dynamic_cast<CPDFType1Font*>(doc_.GetObj(CPDFObjRef(7, 0)));
  ASSERT_TRUE(helv);
  ASSERT_TRUE(dynamic_cast<CPDFEncoding*>(helv->Get_Encoding()));
  EXPECT_EQ(Width(*helv, "Hello"), 2278);
  // 24 breve, 128 bullet, 160 Euro in PDFDocEncoding.
  EXPECT_EQ(Width(*helv, "\x18\x80\xA0"), 333 + 350 + 556);
  ASSERT_TRUE(helv->UpdateCharWidth());
  CPDFArray* widths = helv->Get_Widths();
  ASSERT_TRUE(widths);
  ASSERT_EQ(widths->GetCount(), 256);
  auto at = [&](int32_t i) { return dynamic_cast<CPDFNumber*>(widths->Get(&doc_, i))->GetInt(); };
  EXPECT_EQ(at('H'), 722);
  EXPECT_EQ(at(0x18), 333);
  EXPECT_EQ(at(0x80), 350);
  EXPECT_EQ(at(0xA0), 556);
  EXPECT_EQ(Width(*helv, "Hello"), 2278);
}

TEST_F(Type1FontTest, MeasuringFailuresAreRecorded) {
  struct Case {
    std::string entries;
    int32_t code;
    const char* message;
  };
  const Case cases[] = {
      {"/BaseFont /HeiseiMin-W3", CPDFException::kUndefined, "invalid AFM: HeiseiMin-W3"},
      {"/BaseFont /Foo", CPDFException::kUndefined, "undefined AFM: Foo"},
      {"/BaseFont /Helvetica /Encoding << /Type /Encoding /BaseEncoding /NoSuchBase >>",
       CPDFException::kUndefined, "undefined Font Encoding: NoSuchBase"},
      {"/BaseFont /Helvetica /Encoding 7", CPDFException::kSyntax, "typecheck: Number"},
      {"/BaseFont /Helvetica /Encoding [1]", CPDFException::kSyntax, "typecheck: Array"},
      {"/BaseFont /Helvetica /Encoding /NoSuchEncoding", CPDFException::kUndefined,
       "undefined Font Encoding: NoSuchEncoding"},
      {"", CPDFException::kStepFailed, "CPDFType1Font::Get_BaseFont()"},
      {"/BaseFont /Helvetica /Widths [1]", CPDFException::kStepFailed,
       "CPDFType1Font::Get_FirstChar()"},
      {"/BaseFont /Helvetica /FirstChar 0 /Widths [1]", CPDFException::kStepFailed,
       "CPDFType1Font::Get_LastChar()"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    std::unique_ptr<CPDFObject> raw = Raw(c.entries);
    CPDFType1Font font;
    ASSERT_TRUE(font.Load(&doc_, dynamic_cast<CPDFDict*>(raw.get())));
    EXPECT_EQ(Width(font, "Hi"), -1);
    EXPECT_EQ(Code(), c.code);
    EXPECT_STREQ(Message().c_str(), c.message);
    EXPECT_FALSE(font.UpdateCharWidth());
    EXPECT_STREQ(Message().c_str(), c.message);
  }
  // The record is cleared by the next call that succeeds.
  auto font = Font("/BaseFont /Helvetica");
  EXPECT_EQ(Width(*font, "H"), 722);
  EXPECT_FALSE(doc_.GetError().IsError());
}

TEST_F(Type1FontTest, WidthsFromAnAFMFileAndGlyphsItLacks) {
  pntest::TempFolder folder;
  {
    std::ofstream out(folder.Path() / "test.afm", std::ios::binary);
    out << "StartFontMetrics 4.1\nFontName Test-Font\nEncodingScheme AdobeStandardEncoding\n"
           "FontBBox -10 -20 1000 900\nStartCharMetrics 2\nC 65 ; WX 600 ; N A ;\n"
           "C -1 ; WX 400 ; N Euro ;\nEndCharMetrics\nEndFontMetrics\n";
  }
  CPDFEnv::Global().SetAFMSearchDirectory(folder.Path().c_str());
  auto font = Font("/BaseFont /Test-Font");
  ASSERT_TRUE(font);
  EXPECT_EQ(Width(*font, "AAB"), 1200);
  ASSERT_TRUE(font->UpdateCharWidth());
  CPDFArray* widths = font->Get_Widths();
  ASSERT_TRUE(widths);
  EXPECT_EQ(dynamic_cast<CPDFNumber*>(widths->Get(&doc_, 65))->GetInt(), 600);
  EXPECT_EQ(dynamic_cast<CPDFNumber*>(widths->Get(&doc_, 66))->GetInt(), 0);
  // Not a standard font and no /FontDescriptor: none.
  EXPECT_EQ(font->GetFontDescriptor(), nullptr);
  CPDFEnv::Global().SetAFMSearchDirectory(nullptr);
}

TEST_F(Type1FontTest, UpdateCharWidthWritesWidthsWithTheirCodeRange) {
  CPDFType1Font font;
  ASSERT_TRUE(font.Create(&doc_, "Helvetica"));
  ASSERT_TRUE(font.UpdateCharWidth());
  EXPECT_EQ(Written(&font),
            "<<\r\n/BaseFont /Helvetica\n/FirstChar 0\n/LastChar 255\n/Subtype /Type1\n/Type "
            "/Font\n/Widths 3 0 R\n>>");
  CPDFObject* object = doc_.GetObj(CPDFObjRef(3, 0));
  auto* widths = dynamic_cast<CPDFArray*>(object);
  ASSERT_TRUE(widths);
  ASSERT_EQ(widths->GetCount(), 256);
  auto at = [&](int32_t i) { return dynamic_cast<CPDFNumber*>(widths->Get(&doc_, i))->GetInt(); };
  EXPECT_EQ(at(72), 722);
  EXPECT_EQ(at(101), 556);
  EXPECT_EQ(at(39), 222);
  EXPECT_EQ(at(128), 0);
  EXPECT_EQ(at(32), 278);
  EXPECT_EQ(at(96), 222);
  EXPECT_EQ(at(127), 0);
  EXPECT_EQ(at(161), 333);
  EXPECT_EQ(at(174), 500);
  EXPECT_EQ(at(251), 611);
  // The font measures with what it wrote.
  EXPECT_EQ(Width(font, "Hello"), 2278);

  // A second call refills object 3 in place.
  ASSERT_TRUE(font.UpdateCharWidth());
  EXPECT_EQ(doc_.GetObj(CPDFObjRef(3, 0)), object);
  EXPECT_EQ(widths->GetCount(), 256);
  EXPECT_EQ(at(72), 722);
  EXPECT_EQ(Written(&font).find("/Widths 3 0 R"), Written(&font).rfind("/Widths 3 0 R"));

  auto inverted = Font("/BaseFont /Helvetica /FirstChar 100 /LastChar 50 /Widths [1]");
  EXPECT_FALSE(inverted->UpdateCharWidth());
  EXPECT_EQ(Code(), CPDFException::kStepFailed);
  EXPECT_EQ(Width(*inverted, "d"), 0);

  auto clamped = Font("/BaseFont /Helvetica /FirstChar -5 /LastChar 300");
  ASSERT_TRUE(clamped->UpdateCharWidth());
  EXPECT_EQ(clamped->Get_FirstChar()->GetInt(), 0);
  EXPECT_EQ(clamped->Get_LastChar()->GetInt(), 255);
  EXPECT_EQ(clamped->Get_Widths()->GetCount(), 256);

  // With /Widths the clamped bounds are written with the new elements.
  auto clampedWidths = Font("/BaseFont /Helvetica /FirstChar -5 /LastChar 300 /Widths [1]");
  ASSERT_TRUE(clampedWidths->UpdateCharWidth());
  EXPECT_EQ(clampedWidths->Get_FirstChar()->GetInt(), 0);
  EXPECT_EQ(clampedWidths->Get_LastChar()->GetInt(), 255);
  EXPECT_EQ(clampedWidths->Get_Widths()->GetCount(), 256);
  EXPECT_EQ(Width(*clampedWidths, "H"), 722);

  auto narrow = Font("/BaseFont /Helvetica /FirstChar 72 /LastChar 72");
  ASSERT_TRUE(narrow->UpdateCharWidth());
  EXPECT_EQ(Written(narrow->Get_Widths()), "[722]");
}

TEST_F(Type1FontTest, StandardDescriptorsAreBuiltFromTheMetricsOncePerDocument) {
  CPDFType1Font helvetica;
  ASSERT_TRUE(helvetica.Create(&doc_, "Helvetica"));
  CPDFFontDesc* desc = helvetica.GetFontDescriptor();
  ASSERT_TRUE(desc);
  const std::string text = Written(desc);
  EXPECT_EQ(text,
            "<<\r\n/Ascent 718\n/CapHeight 718\n/Descent -207\n/Flags 32\n/FontBBox [-166 -225 "
            "1000 931]\n/FontName /Helvetica\n/ItalicAngle 0\n/StemV 88\n/Type "
            "/FontDescriptor\n/XHeight 523\n>>");
  EXPECT_EQ(text.size(), 169u);
  EXPECT_FALSE(helvetica.HasKey(CPDFType1Font::Key_FontDescriptor()));

  CPDFType1Font courier;
  ASSERT_TRUE(courier.Create(&doc_, "Courier"));
  ASSERT_TRUE(courier.GetFontDescriptor());
  EXPECT_EQ(courier.GetFontDescriptor()->Get_Flags()->GetInt(), 33);
  EXPECT_EQ(courier.GetFontDescriptor()->Get_StemV()->GetInt(), 51);  // StdVW
  CPDFType1Font symbol;
  ASSERT_TRUE(symbol.Create(&doc_, "Symbol"));
  ASSERT_TRUE(symbol.GetFontDescriptor());
  EXPECT_EQ(symbol.GetFontDescriptor()->Get_Flags()->GetInt(), 4);

  // A second font of the document gets the same object; the font's own
  // /FontDescriptor is not consulted for a standard font.
  auto again = Font("/BaseFont /Helvetica /FontDescriptor << /Type /FontDescriptor >>");
  EXPECT_EQ(again->GetFontDescriptor(), desc);

  // Another document has its own, which outlives the first document.
  CPDFEnv& env = CPDFEnv::Global();
  CPDFDoc* first = env.CreateDoc(false, true, 1, 3, nullptr);
  CPDFDoc* second = env.CreateDoc(false, true, 1, 3, nullptr);
  ASSERT_TRUE(first && second);
  auto inFirst = std::make_unique<CPDFType1Font>();
  auto inSecond = std::make_unique<CPDFType1Font>();
  ASSERT_TRUE(inFirst->Create(first, "Helvetica"));
  ASSERT_TRUE(inSecond->Create(second, "Helvetica"));
  CPDFFontDesc* firstDesc = inFirst->GetFontDescriptor();
  CPDFFontDesc* secondDesc = inSecond->GetFontDescriptor();
  ASSERT_TRUE(firstDesc && secondDesc);
  EXPECT_NE(firstDesc, secondDesc);
  EXPECT_NE(firstDesc, desc);
  EXPECT_EQ(secondDesc->GetDoc(), second);
  inFirst.reset();
  EXPECT_TRUE(env.CloseDoc(first));
  EXPECT_EQ(Written(secondDesc), text);
  EXPECT_EQ(inSecond->GetFontDescriptor(), secondDesc);
  // A caller that wants it in the dictionary stores a copy.
  std::unique_ptr<CPDFFontDesc> copy(secondDesc->Clone(second, second));
  ASSERT_TRUE(copy);
  ASSERT_TRUE(inSecond->Set_FontDescriptor(copy.release(), true));
  EXPECT_EQ(inSecond->GetFontDescriptor(), secondDesc);
  inSecond.reset();
  EXPECT_TRUE(env.CloseDoc(second));
}

}  // namespace
