// The font base: its Check, Load and Create, the Differences walk, and the
// four text conversions of single-byte fonts over each kind of /Encoding
// (none: a standard font's built-in encoding, else host text) and over a
// /ToUnicode CMap.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/font/CMapFile.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

// The smallest concrete font: the base's Check and Load.
class TestFont : public CPDFFont {
 public:
  TestFont* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }
  const CPDFName& GetNamePrefix() override {
    static const CPDFName prefix("F");
    return prefix;
  }
};

// A font loaded from the text of its dictionary.
std::unique_ptr<TestFont> FontOf(TestRegistry& doc, const std::string& text) {
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  auto* dict = dynamic_cast<CPDFDict*>(raw.get());
  if (!dict) return nullptr;
  auto font = std::make_unique<TestFont>();
  if (!font->Load(&doc, dict)) return nullptr;
  return font;
}

std::string Bytes(const std::vector<uint8_t>& bytes, int32_t n) {
  if (n < 0) return "<fail>";
  return std::string(bytes.begin(), bytes.begin() + n);
}

// Each conversion with room to spare, answering the text written or
// "<fail>".
std::string ToHost(CPDFFont& font, const std::string& text) {
  std::vector<uint8_t> out(text.size() * 2 + 2);
  return Bytes(out, font.ToHostEncoding(out.data(), static_cast<int32_t>(out.size()),
                                        reinterpret_cast<const uint8_t*>(text.data()),
                                        static_cast<int32_t>(text.size())));
}
std::u16string ToUnicode(CPDFFont& font, const std::string& text) {
  std::vector<char16_t> out(text.size() + 2);
  const int32_t n = font.ToUnicode(out.data(), static_cast<int32_t>(out.size()),
                                   reinterpret_cast<const uint8_t*>(text.data()),
                                   static_cast<int32_t>(text.size()));
  return n < 0 ? u"<fail>" : std::u16string(out.data(), static_cast<size_t>(n));
}
std::string FromUnicode(CPDFFont& font, const std::u16string& text) {
  std::vector<uint8_t> out(text.size() * 2 + 2);
  return Bytes(out, font.FromUnicode(out.data(), static_cast<int32_t>(out.size()), text.c_str()));
}
std::string FromHost(CPDFFont& font, const std::string& text) {
  std::vector<uint8_t> out(text.size() * 2 + 2);
  return Bytes(out, font.FromHostEncoding(out.data(), static_cast<int32_t>(out.size()),
                                          reinterpret_cast<const uint8_t*>(text.c_str())));
}

// The document's error record, as "code class method message".
std::string Record(TestRegistry& doc) {
  const CPDFException& e = doc.GetError();
  if (!e.IsError()) return "";
  return std::to_string(e.GetCode()) + " " + e.GetClassName() + " " + e.GetMethodName() + " " +
         e.GetMessage();
}

std::string FontText(const std::string& entries) {
  return "<< /Type /Font /BaseFont /Test " + entries + " >>";
}

// A ToUnicode stream with the CMap program, Flate-compressed, registered;
// the text of its reference.
std::string ToUnicodeRef(TestRegistry& doc, const std::string& program, bool compress = true) {
  auto stream = std::make_unique<CPDFStream>(&doc);
  EXPECT_TRUE(stream->SetData(program.data(), static_cast<int32_t>(program.size())));
  if (compress) {
    EXPECT_TRUE(stream->FlateEncode());
  }
  CPDFObjRef ref;
  EXPECT_TRUE(doc.RegistObj(std::unique_ptr<CPDFObject>(stream.release()), &ref));
  return std::to_string(ref.GetNumber()) + " 0 R";
}

const std::string kCMap =
    "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n1 beginbfchar\n<41> <0041>\n"
    "endbfchar\n";

TEST(FontBase, CheckLoadAndCreate) {
  TestRegistry doc;
  auto accepts = [&](const std::string& text) {
    std::unique_ptr<CPDFObject> o = Parse(text, &doc);
    return CPDFFont::Check(&doc, o.get());
  };
  EXPECT_TRUE(accepts("<< /Type /Font /BaseFont /Helvetica >>"));
  const int32_t type = Register(doc, "/Font ");
  EXPECT_TRUE(accepts("<< /Type " + std::to_string(type) + " 0 R /BaseFont /Helvetica >>"));
  EXPECT_FALSE(accepts("<< /Type /Font >>"));
  EXPECT_FALSE(accepts("<< /Type /Font /BaseFont (Helvetica) >>"));
  EXPECT_FALSE(accepts("<< /Type /FontX /BaseFont /Helvetica >>"));
  EXPECT_FALSE(accepts("[/Font]"));
  EXPECT_FALSE(CPDFFont::Check(&doc, nullptr));

  const std::string text = "<< /Type /Font /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
  std::unique_ptr<TestFont> font = FontOf(doc, text);
  ASSERT_TRUE(font);
  EXPECT_EQ(Written(font.get()), Written(Parse(text, &doc).get()));
  ASSERT_TRUE(font->Get_BaseFont());
  EXPECT_STREQ(font->Get_BaseFont()->c_str(), "Helvetica");
  EXPECT_EQ(font->GetCategory(), CPDFResource::kFont);
  EXPECT_TRUE(font->GetCategoryName().IsEqual(CPDFName("Font")));
  EXPECT_EQ(font->GetFontKind(), 0u);
  EXPECT_STREQ(font->GetSubtypeText(), "");
  EXPECT_EQ(font->GetFontDescriptor(), nullptr);
  EXPECT_EQ(font->CalcStringWidth(reinterpret_cast<const uint8_t*>("ab"), 2), 0);
  EXPECT_FALSE(font->UpdateCharWidth());

  TestFont made;
  ASSERT_TRUE(made.Create(&doc, "Courier"));
  EXPECT_EQ(Written(&made), "<<\r\n/BaseFont /Courier\n/Type /Font\n>>");
  TestFont none;
  EXPECT_FALSE(none.Create(&doc, nullptr));
}

TEST(FontBase, CreateFontLeavesWhatNoKindTakes) {
  TestRegistry doc;
  for (const char* text : {"<< /Type /Font /Subtype /Type2 /BaseFont /Helvetica >>",
                           "<< /Type /Font /Subtype /Type1 /BaseFont /Arial >>",
                           "<< /Type /Font /Subtype /Type0 /BaseFont /X >>", "[1 2]"}) {
    std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
    const std::string read = Written(raw.get());
    EXPECT_EQ(CPDFFont::CreateFont(&doc, raw.get(), -1), nullptr) << text;
    EXPECT_EQ(Written(raw.get()), read);
  }
  EXPECT_EQ(CPDFFont::CreateFont(&doc, nullptr, -1), nullptr);
}

// The glyph names of a table at the codes, "-" for none.
std::string NamesAt(const EncodingTable& table, std::initializer_list<int> codes) {
  std::string names;
  for (const int code : codes) {
    const char* name = table.FindGlyphName(static_cast<uint8_t>(code));
    names += std::string(name ? name : "-") + " ";
  }
  return names;
}

TEST(FontBase, ApplyDifferences) {
  TestRegistry doc;
  auto apply = [&](const std::string& text, EncodingTable& table) {
    std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
    return CPDFFont::ApplyDifferences(&doc, dynamic_cast<CPDFArray*>(raw.get()), table);
  };
  EncodingTable wraps;
  ASSERT_TRUE(apply("[254 /a /b /c]", wraps));
  EXPECT_EQ(NamesAt(wraps, {254, 255, 0, 1}), "a b c - ");

  EncodingTable single;
  ASSERT_TRUE(apply("[65]", single));
  ASSERT_TRUE(apply("[/A]", single));
  EXPECT_EQ(NamesAt(single, {0, 65}), "- - ");

  // Names before the first number have no code.
  EncodingTable late;
  ASSERT_TRUE(apply("[/x 65 /A (s) /B]", late));
  EXPECT_EQ(NamesAt(late, {0, 65, 66}), "- A B ");

  // Integers made by the encoding dictionary, references and numbers past a
  // byte behave like parsed numbers.
  EncodingTable typed;
  const int32_t ref = Register(doc, "/r ");
  std::unique_ptr<CPDFObject> raw = Parse("[0 /q " + std::to_string(ref) + " 0 R]", &doc);
  auto* array = dynamic_cast<CPDFArray*>(raw.get());
  ASSERT_TRUE(array);
  ASSERT_TRUE(array->SetAt(&doc, 0, new CPDFInt(321)));
  ASSERT_TRUE(CPDFFont::ApplyDifferences(&doc, array, typed));
  EXPECT_EQ(NamesAt(typed, {65, 66}), "q r ");
}

TEST(FontConversion, NamedEncoding) {
  TestRegistry doc;
  std::unique_ptr<TestFont> font = FontOf(doc, FontText("/Encoding /WinAnsiEncoding"));
  ASSERT_TRUE(font);
  EXPECT_EQ(ToHost(*font,
                   "A\x1F"
                   "B"),
            "A\x1F"
            "B");
  EXPECT_EQ(ToUnicode(*font,
                      "A\x1F"
                      "B"),
            u"AB");  // 31 has no WinAnsi name
  EXPECT_EQ(FromUnicode(*font, u"AB"), "AB");
  EXPECT_EQ(FromHost(*font, "A\x1F"), "A\x1F");
  EXPECT_EQ(Record(doc), "");
  // Latin letters go by their glyph names, never through host bytes: a
  // double-byte host character is no pair of font codes.
  const std::pair<std::u16string, std::string> latin[] = {
      {u"caf\u00E9", "caf\xE9"}, {u"\u20AC", "\x80"}, {u"\u00A3", "\xA3"}};
  for (const auto& [text, codes] : latin) {
    EXPECT_EQ(FromUnicode(*font, text), codes);
    EXPECT_EQ(ToUnicode(*font, codes), text);
    EXPECT_EQ(Record(doc), "");
  }
  // A character the encoding cannot hold fails, named.
  EXPECT_EQ(FromUnicode(*font, u"A\u3042"), "<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont FromUnicode U+3042 has no code in the font's encoding");
  EXPECT_EQ(FromUnicode(*font, u"\U00020BB7"), "<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont FromUnicode U+20BB7 has no code in the font's encoding");

  std::unique_ptr<TestFont> unknown = FontOf(doc, FontText("/Encoding /FooEncoding"));
  ASSERT_TRUE(unknown);
  EXPECT_EQ(ToUnicode(*unknown, "A"), u"<fail>");
  EXPECT_EQ(Record(doc), "3 CPDFFont ToUnicode undefined Font Encoding: FooEncoding");
  // The host directions do not look the name up.
  EXPECT_EQ(ToHost(*unknown, "A"), "A");
  EXPECT_EQ(Record(doc), "");
}

TEST(FontConversion, EncodingDictionary) {
  TestRegistry doc;
  for (const char* type : {"/Type /Encoding ", ""}) {
    SCOPED_TRACE(type);
    std::unique_ptr<TestFont> replaced =
        FontOf(doc, FontText(std::string("/Encoding << ") + type + "/Differences [65 /B] >>"));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(ToHost(*replaced, "AC"), "BC");
    EXPECT_EQ(ToUnicode(*replaced, "AC"), u"BC");

    std::unique_ptr<TestFont> moved =
        FontOf(doc, FontText(std::string("/Encoding << ") + type +
                             "/BaseEncoding /StandardEncoding /Differences [200 /A] >>"));
    ASSERT_TRUE(moved);
    EXPECT_EQ(FromHost(*moved, "A\x1F"), "\xC8");  // 31 has no standard name
    EXPECT_EQ(FromUnicode(*moved, u"A"), "\xC8");
    EXPECT_EQ(ToHost(*moved, "\xC8"), "A");
    EXPECT_EQ(Record(doc), "");
  }
  // A code the Differences take over stands for its new glyph only: the
  // base's character there has no code left, and fails, named.
  struct Taken {
    std::u16string text;
    std::string codes;  // or "<fail>" and the record
  };
  std::unique_ptr<TestFont> taken =
      FontOf(doc, FontText("/Encoding << /BaseEncoding /WinAnsiEncoding /Differences [233 "
                           "/Lslash 128 /uni0144 /u017A /u1F600] >>"));
  ASSERT_TRUE(taken);
  const Taken cases[] = {
      {u"\u0141\u00E8", "\xE9\xE8"},
      {u"\u0144\u017A", "\x80\x81"},
      {u"\u00E9", "<fail>5 CPDFFont FromUnicode U+00E9 has no code in the font's encoding"},
      {u"\u20AC", "<fail>5 CPDFFont FromUnicode U+20AC has no code in the font's encoding"},
      {u"\u0179", "<fail>5 CPDFFont FromUnicode U+0179 has no code in the font's encoding"},
  };
  for (const Taken& c : cases) {
    const std::string codes = FromUnicode(*taken, c.text);
    EXPECT_EQ(codes == "<fail>" ? codes + Record(doc) : codes, c.codes);
    if (codes != "<fail>") {
      EXPECT_EQ(ToUnicode(*taken, codes), c.text);
    }
  }
  // A character beyond U+FFFF is written by its name and read back, one
  // unit a code, as U+FFFD.
  EXPECT_EQ(FromUnicode(*taken, u"\U0001F600"), "\x82");
  EXPECT_EQ(ToUnicode(*taken, "\x82"), u"\uFFFD");
  // Without Differences the host directions copy.
  std::unique_ptr<TestFont> plain =
      FontOf(doc, FontText("/Encoding << /BaseEncoding /WinAnsiEncoding >>"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(ToHost(*plain, "A\x1F"), "A\x1F");
  EXPECT_EQ(FromHost(*plain, "A\x1F"), "A\x1F");
  EXPECT_EQ(ToUnicode(*plain, "A\x1F"), u"A");
}

TEST(FontConversion, OtherEncodingValues) {
  TestRegistry doc;
  std::unique_ptr<TestFont> font = FontOf(doc, FontText("/Encoding [1 2]"));
  ASSERT_TRUE(font);
  EXPECT_EQ(ToUnicode(*font, "A"), u"<fail>");
  EXPECT_EQ(Record(doc), "4 CPDFFont ToUnicode typecheck: Array");
  EXPECT_EQ(FromUnicode(*font, u"A"), "<fail>");
  EXPECT_EQ(Record(doc), "4 CPDFFont FromUnicode typecheck: Array");
  EXPECT_EQ(ToHost(*font, "A\x80"), "A\x80");
  EXPECT_EQ(FromHost(*font, "A\x80"), "A\x80");
  EXPECT_EQ(Record(doc), "");
}

TEST(FontConversion, NoEncodingIsHostText) {
  TestRegistry doc;
  std::unique_ptr<TestFont> font = FontOf(doc, FontText(""));
  ASSERT_TRUE(font);
  EXPECT_EQ(ToUnicode(*font, "\x82\xA0"), u"\x3042");
  EXPECT_EQ(FromUnicode(*font, u"\x3042"), "\x82\xA0");
  EXPECT_EQ(ToHost(*font, "\x82\xA0"), "\x82\xA0");
  EXPECT_EQ(Record(doc), "");
  // Bytes that are no host text are passed over, and the text goes on.
  EXPECT_EQ(ToUnicode(*font, "\x80"), u"");
  EXPECT_EQ(ToUnicode(*font, "caf\xE9!\x82\xA0"), u"caf!\x3042");
  EXPECT_EQ(Record(doc), "");
  EXPECT_EQ(FromUnicode(*font, u"caf\u00E9"), "<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont FromUnicode U+00E9 has no code in the font's encoding");
  // The next conversion starts with a clean record.
  EXPECT_EQ(ToUnicode(*font, "A"), u"A");
  EXPECT_EQ(Record(doc), "");
  EXPECT_EQ(FromUnicode(*font, u"\xD800"), "<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont FromUnicode lone surrogate U+D800: no character");
}

// A standard font without /Encoding converts by the encoding it draws
// (StandardEncoding for the Latin fonts, the metrics' codes for Symbol and
// ZapfDingbats), by glyph names: a character it lacks fails, named. An
// embedded program's encoding is unknown: its text stays host text. A name
// stands for a character by the font's glyph list: a dingbat name only in a
// ZapfDingbats font, and Delta, Omega and mu for the Greek letters too (a
// row without text only reads).
TEST(FontConversion, StandardFontsWithoutEncodingUseTheirBuiltInEncoding) {
  TestRegistry doc;
  auto made = [&](const char* baseFont) {
    auto font = std::make_unique<CPDFType1Font>();
    EXPECT_TRUE(font->Create(&doc, baseFont));
    return font;
  };
  auto failed = [](const char* character) {
    return std::string("<fail>5 CPDFFont FromUnicode U+") + character +
           " has no code in the font's encoding";
  };
  struct Case {
    std::string font;  // a base font name, or a font dictionary
    std::u16string text;
    std::string codes;         // or "<fail>" and the record
    std::u16string read = {};  // what the codes read as, when not the text
  };
  const std::string a1a65 = " /Encoding << /Differences [65 /a1 /a65] >> >>";
  const Case cases[] = {
      // StandardEncoding: quotesingle at A9, quoteright at 27, fi at AE.
      {"Helvetica", u"'q'", "\xA9q\xA9"},
      {"Courier-Bold", u"\u2019\u2018\uFB01\u2013\u00DF", "'`\xAE\xB1\xFB"},
      {"Times-Roman", u"\u00E9", failed("00E9")},
      {"Helvetica", u"\u0394=5", failed("0394")},
      {"Helvetica", u"\uFF71", failed("FF71")},
      {"Symbol", u"\u03B1\u2211 \u2206", "a\xE5 D"},
      {"Symbol", u"\u20AC\uF8E8", "\xA0\xE2"},  // Euro, registersans
      {"Symbol", u"A", failed("0041")},
      {"ZapfDingbats", u"\u2701\u2764\u27BE ", "!\xA4\xFE "},
      {"Symbol", u"\u0394\u03A9\u03BC\u2126\u00B5", "DWmWm", u"\u2206\u2126\u00B5\u2126\u00B5"},
      {"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /Differences [65 /Delta "
       "/Omega /mu] >> >>",
       u"\u0394\u03A9\u03BC\u2206", "ABCA", u"\u2206\u2126\u00B5\u2206"},
      {"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica" + a1a65, u"", "AB", u""},
      {"<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+ZapfDingbats" + a1a65, u"\u2701\u2746",
       "AB"},
      {"<< /Type /Font /Subtype /Type3 /FirstChar 0 /LastChar 1 /Widths [9 9] /FontBBox [0 0 9 9] "
       "/FontMatrix [1 0 0 1 0 0] /CharProcs << >> /Encoding << /Differences [0 /a0 /a1] >> >>",
       u"", std::string("\0\1", 2), u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.font);
    std::unique_ptr<CPDFFont> font(c.font[0] == '<'
                                       ? CPDFFont::CreateFont(&doc, Parse(c.font, &doc).get(), -1)
                                       : made(c.font.c_str()).release());
    ASSERT_TRUE(font);
    const std::string codes = c.text.empty() ? c.codes : FromUnicode(*font, c.text);
    EXPECT_EQ(codes == "<fail>" ? codes + Record(doc) : codes, c.codes);
    if (codes != "<fail>") {
      EXPECT_EQ(ToUnicode(*font, codes), c.read.empty() ? c.text : c.read);
    }
  }
  // Host text goes by its characters too: a double-byte character is no
  // pair of codes, and the host backslash is the backslash.
  auto helvetica = made("Helvetica");
  EXPECT_EQ(FromHost(*helvetica, "'q' \\"), "\xA9q\xA9 \\");
  EXPECT_EQ(FromHost(*helvetica, "\x83\xA2=5 \x91\xAA 'q'"), "<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont FromHostEncoding U+0394 has no code in the font's encoding");
  EXPECT_EQ(ToHost(*helvetica, "\xA9q'\xB1"), "'q\x81\x66");  // endash: no host code
  auto symbol = made("Symbol");
  EXPECT_EQ(FromHost(*symbol, "\x83\xBF"), "a");  // the host's alpha
  EXPECT_EQ(ToHost(*symbol, "ab"), "\x83\xBF\x83\xC0");

  // An encoding dictionary without /BaseEncoding starts from the same table.
  auto type1 = [&](const std::string& entries) {
    std::unique_ptr<CPDFObject> raw =
        Parse("<< /Type /Font /Subtype /Type1 " + entries + " >>", &doc);
    auto font = std::make_unique<CPDFType1Font>();
    EXPECT_TRUE(font->Load(&doc, dynamic_cast<CPDFDict*>(raw.get())));
    return font;
  };
  auto differences = type1("/BaseFont /Symbol /Encoding << /Differences [128 /uni0144] >>");
  EXPECT_EQ(ToUnicode(*differences, "a\x80"), u"\u03B1\u0144");
  EXPECT_EQ(FromUnicode(*differences, u"\u03B2\u0144"), "b\x80");

  // Embedded, or not a standard font: host text, as before.
  for (const char* entries :
       {"/BaseFont /Helvetica /FontDescriptor << /Type /FontDescriptor /FontName /Helvetica "
        "/FontFile 5 >>",
        "/BaseFont /Frutiger /FirstChar 32 /LastChar 32 /Widths [278] /FontDescriptor << /Type "
        "/FontDescriptor >>"}) {
    SCOPED_TRACE(entries);
    auto font = type1(entries);
    EXPECT_EQ(font->BuiltInEncoding(), nullptr);
    EXPECT_EQ(FromHost(*font, "\x83\xA2'"), "\x83\xA2'");
    EXPECT_EQ(ToUnicode(*font, "\x83\xA2'"), u"\u0394'");
  }
}

TEST(FontConversion, ToUnicodeCMap) {
  TestRegistry doc;
  std::unique_ptr<TestFont> font = FontOf(doc, FontText("/ToUnicode " + ToUnicodeRef(doc, kCMap)));
  ASSERT_TRUE(font);
  EXPECT_EQ(ToUnicode(*font, "A"), u"A");
  // Host bytes, not big-endian Unicode pairs.
  EXPECT_EQ(ToHost(*font, "A"), "A");
  EXPECT_EQ(FromHost(*font, "A"), "A");
  EXPECT_EQ(FromUnicode(*font, u"A"), "A");
  EXPECT_EQ(Record(doc), "");

  std::unique_ptr<TestFont> bad =
      FontOf(doc, FontText("/ToUnicode " + ToUnicodeRef(doc, "/Nope usecmap\n" + kCMap, false)));
  ASSERT_TRUE(bad);
  EXPECT_EQ(ToUnicode(*bad, "A"), u"<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont ToUnicode invalid ToUnicode stream");

  // Damaged compressed data keeps the stream's own record.
  const int32_t damaged =
      Register(doc, "<< /Length 5 /Filter /FlateDecode >>\nstream\nxxxxx\nendstream\nendobj");
  ASSERT_GT(damaged, 0);
  std::unique_ptr<TestFont> broken =
      FontOf(doc, FontText("/ToUnicode " + std::to_string(damaged) + " 0 R"));
  ASSERT_TRUE(broken);
  EXPECT_EQ(ToUnicode(*broken, "A"), u"<fail>");
  EXPECT_TRUE(doc.GetError().IsError());
  EXPECT_STRNE(doc.GetError().GetClassName(), "CPDFFont");

  // A program left open does not parse.
  std::unique_ptr<TestFont> open =
      FontOf(doc, FontText("/ToUnicode " + ToUnicodeRef(doc, kCMap + "1 beginbfchar <42> <00")));
  ASSERT_TRUE(open);
  EXPECT_EQ(ToUnicode(*open, "A"), u"<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont ToUnicode invalid ToUnicode stream");

  std::unique_ptr<TestFont> notStream = FontOf(doc, FontText("/ToUnicode 5"));
  ASSERT_TRUE(notStream);
  EXPECT_EQ(ToHost(*notStream, "A"), "<fail>");
  EXPECT_EQ(Record(doc), "5 CPDFFont ToHostEncoding CPDFStream::Duplicate()");
}

// Codes the CMap does not map are left out and the text goes on; the CMap
// is read as PDF syntax however its producer broke the lines.
TEST(FontConversion, ToUnicodeGoesOnPastUnmappedCodes) {
  TestRegistry doc;
  std::string wide = "1 beginbfrange";
  while (wide.size() < 400) wide += " <60> <60> <0060>";  // a 400-byte line
  wide += " endbfrange\n";
  const std::string program =
      "1 begincodespacerange <00> <FF> endcodespacerange\n"
      "4 beginbfchar\n<41> <0041>\n<43>\n<0043>\n<44> <>\n<45> <45>\nendbfchar\n" +
      wide + "1 beginbfchar <46> <00E9> <47> <0000> endbfchar\n";
  std::unique_ptr<TestFont> font =
      FontOf(doc, FontText("/ToUnicode " + ToUnicodeRef(doc, program)));
  ASSERT_TRUE(font);
  struct Case {
    std::string codes;
    std::u16string unicode;
    std::string host;
  };
  const Case cases[] = {
      {"ABC", u"AC", "AC"},  // no <42>
      {"BBB", u"", ""},      // nothing mapped is no failure
      {"DE`", u"E`", "E`"},  // <> maps to nothing; <45> is U+0045
      {std::string("FAG", 3), std::u16string(u"\u00E9A\0", 3), std::string("A\0", 2)},
      {std::string("\0A", 2), u"A", "A"},  // code 0 is not in the CMap
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codes);
    EXPECT_EQ(ToUnicode(*font, c.codes), c.unicode);
    EXPECT_EQ(ToHost(*font, c.codes), c.host);  // é has no host code
    EXPECT_EQ(Record(doc), "");
  }
}

// Without a CMap a 0 byte is a code like any other: host text (no
// /Encoding) reads it as U+0000, an encoding by its glyph name.
TEST(FontConversion, ZeroBytesDoNotEndTheText) {
  TestRegistry doc;
  const std::string text("A\0B\0", 4);
  struct Case {
    const char* entries;
    std::u16string unicode;
    std::string host;
  };
  const Case cases[] = {
      {"", std::u16string(u"A\0B\0", 4), text},
      {"/Encoding /WinAnsiEncoding", u"AB", text},
      {"/Encoding << /Differences [0 /C] >>", u"ACBC", "ACBC"},
      {"/Encoding << /Differences [1 /C] >>", u"AB", text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    std::unique_ptr<TestFont> font = FontOf(doc, FontText(c.entries));
    ASSERT_TRUE(font);
    EXPECT_EQ(ToUnicode(*font, text), c.unicode);
    EXPECT_EQ(ToHost(*font, text), c.host);
    EXPECT_EQ(Record(doc), "");
  }
  // A lead byte cut by the 0 is passed over, and so is the lone trail byte.
  std::unique_ptr<TestFont> host = FontOf(doc, FontText(""));
  ASSERT_TRUE(host);
  EXPECT_EQ(ToUnicode(*host, std::string("\x82\0\xA0", 3)), std::u16string(u"\0", 1));
  EXPECT_EQ(ToUnicode(*host, std::string("\x82\xA0\0", 3)), std::u16string(u"\x3042\0", 2));
}

// The CMap is parsed once per font: the font keeps it while /ToUnicode
// stays the same stream and reads a new stream when the entry changes.
TEST(FontConversion, ToUnicodeCMapIsParsedOncePerFont) {
  TestRegistry doc;
  std::unique_ptr<TestFont> font = FontOf(doc, FontText("/ToUnicode " + ToUnicodeRef(doc, kCMap)));
  ASSERT_TRUE(font);
  std::shared_ptr<const CMapFile> first = font->ParsedToUnicode("ToUnicode");
  ASSERT_TRUE(first);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ToUnicode(*font, "A"), u"A");
    EXPECT_EQ(FromUnicode(*font, u"A"), "A");
    EXPECT_EQ(font->ParsedToUnicode("ToUnicode"), first);
  }
  const std::string other =
      "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n1 beginbfchar\n<41> <0042>\n"
      "endbfchar\n";
  auto stream = std::make_unique<CPDFStream>(&doc);
  ASSERT_TRUE(stream->SetData(other.data(), static_cast<int32_t>(other.size())));
  ASSERT_TRUE(font->Set(&doc, CPDFFont::Key_ToUnicode(), std::move(stream)));
  EXPECT_EQ(ToUnicode(*font, "A"), u"B");
  EXPECT_NE(font->ParsedToUnicode("ToUnicode"), first);
  EXPECT_EQ(Record(doc), "");
}

// The CMap is read from a private copy of the stream: nothing the stream
// refers to is copied into the document, however often text is converted.
TEST(FontConversion, ToUnicodeLeavesTheDocumentAlone) {
  TestRegistry doc;
  const int32_t filters = Register(doc, "[/FlateDecode]");
  auto stream = std::make_unique<CPDFStream>(&doc);
  ASSERT_TRUE(stream->SetData(kCMap.data(), static_cast<int32_t>(kCMap.size())));
  ASSERT_TRUE(stream->FlateEncode());
  CPDFObjRef ref;
  ASSERT_TRUE(doc.RegistObj(std::unique_ptr<CPDFObject>(stream.release()), &ref));
  auto* stored = dynamic_cast<CPDFStream*>(doc.GetObj(ref));
  ASSERT_TRUE(PDFSetRef(stored, CPDFStream::Key_Filter(), CPDFObjRef(filters, 0)));
  std::unique_ptr<TestFont> font =
      FontOf(doc, FontText("/ToUnicode " + std::to_string(ref.GetNumber()) + " 0 R"));
  ASSERT_TRUE(font);
  const size_t objects = doc.objects.size();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ToUnicode(*font, "A"), u"A");
  EXPECT_EQ(doc.objects.size(), objects);
  EXPECT_NE(WrittenText(*doc.GetObj(ref)).find("/Filter " + std::to_string(filters) + " 0 R"),
            std::string::npos);
}

// Every conversion given exactly one unit too little room fails and leaves
// the bytes after that room alone.
TEST(FontConversion, CapacityIsNeverPassed) {
  TestRegistry doc;
  const std::vector<std::string> fonts = {FontText(""), FontText("/Encoding /WinAnsiEncoding"),
                                          FontText("/Encoding << /Differences [66 /A] >>"),
                                          FontText("/ToUnicode " + ToUnicodeRef(doc, kCMap))};
  for (const std::string& text : fonts) {
    SCOPED_TRACE(text);
    std::unique_ptr<TestFont> font = FontOf(doc, text);
    ASSERT_TRUE(font);
    const auto* in = reinterpret_cast<const uint8_t*>("AA");
    std::vector<uint8_t> bytes(8, 0xEE);
    std::vector<char16_t> units(8, u'x');
    auto tooSmall = [&](int32_t n, int32_t size, const char* method) {
      EXPECT_EQ(n, -1) << method;
      EXPECT_EQ(Record(doc), std::string("5 CPDFFont ") + method + " output buffer too small");
      EXPECT_EQ(bytes[static_cast<size_t>(size)], 0xEE) << method;
      EXPECT_EQ(units[static_cast<size_t>(size)], u'x') << method;
    };
    ASSERT_EQ(font->ToUnicode(units.data(), 2, in, 2), 2);
    ASSERT_EQ(font->ToHostEncoding(bytes.data(), 2, in, 2), 2);
    ASSERT_EQ(font->FromUnicode(bytes.data(), 2, u"AA"), 2);
    ASSERT_EQ(font->FromHostEncoding(bytes.data(), 2, in, 2), 2);
    std::fill(bytes.begin(), bytes.end(), 0xEE);
    std::fill(units.begin(), units.end(), u'x');
    tooSmall(font->ToUnicode(units.data(), 1, in, 2), 1, "ToUnicode");
    tooSmall(font->ToHostEncoding(bytes.data(), 1, in, 2), 1, "ToHostEncoding");
    tooSmall(font->FromUnicode(bytes.data(), 1, u"AA"), 1, "FromUnicode");
    tooSmall(font->FromHostEncoding(bytes.data(), 1, in, 2), 1, "FromHostEncoding");
  }
}

}  // namespace
