// Type 0 fonts converting through the Adobe-Japan1 CMap files of the
// system's CMap folder (skipped when it is not installed).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CMapFile.h"
#include "pdf/font/CPDFType0Font.h"
#include "pdf/font/FontResourceCache.h"
#include "platform/HostText.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

constexpr char kCMapDir[] = "/usr/share/poppler/cMap/Adobe-Japan1";

using Bytes = std::vector<uint8_t>;

class Type0AdobeJapan1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    CPDFEnv::Global().ReleaseFontCaches();
    if (!std::filesystem::is_directory(kCMapDir))
      FAIL() << kCMapDir << " is absent (poppler-data: scripts/setup.sh installs it)";
    CPDFEnv::Global().Init(nullptr, kCMapDir, nullptr, nullptr);
  }
  void TearDown() override {
    CPDFEnv::Global().ReleaseFontCaches();
    CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  }

  std::unique_ptr<CPDFType0Font> Font(const char* encoding, const char* w = "[1 [500]]") {
    raw_ = periph::Parse(std::string("<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding /") +
                             encoding +
                             " /DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 "
                             "/BaseFont /X /CIDSystemInfo << /Registry (Adobe) /Ordering "
                             "(Japan1) /Supplement 2 >> /FontDescriptor << /Type "
                             "/FontDescriptor /Ascent 880 /CapHeight 700 /Descent -120 /Flags 4 "
                             "/FontBBox [0 -120 1000 880] /FontName /X /ItalicAngle 0 /StemV 80 "
                             ">> /W " +
                             w + " >>] >>",
                         &doc_);
    return std::unique_ptr<CPDFType0Font>(
        dynamic_cast<CPDFType0Font*>(CPDFFont::CreateFont(&doc_, raw_.get(), -1)));
  }

  // Each conversion with room to spare; the input is checked unchanged.
  static Bytes FromHost(CPDFType0Font& font, const Bytes& host) {
    const Bytes copy = host;
    Bytes out(host.size() * 2 + 2);
    const int32_t n = font.FromHostEncoding(out.data(), static_cast<int32_t>(out.size()),
                                            host.data(), static_cast<int32_t>(host.size()));
    EXPECT_EQ(host, copy);
    return n < 0 ? Bytes{0xEE} : Bytes(out.begin(), out.begin() + n);
  }
  static std::u16string ToUnicode(CPDFType0Font& font, const Bytes& codes) {
    const Bytes copy = codes;
    std::vector<char16_t> out(codes.size() + 2);
    const int32_t n = font.ToUnicode(out.data(), static_cast<int32_t>(out.size()), codes.data(),
                                     static_cast<int32_t>(codes.size()));
    EXPECT_EQ(codes, copy);
    return n < 0 ? u"<fail>" : std::u16string(out.begin(), out.begin() + n);
  }
  static Bytes FromUnicode(CPDFType0Font& font, const std::u16string& text) {
    const std::u16string copy = text;
    Bytes out(text.size() * 2 + 2);
    const int32_t n = font.FromUnicode(out.data(), static_cast<int32_t>(out.size()), text.data(),
                                       static_cast<int32_t>(text.size()));
    EXPECT_EQ(text, copy);
    return n < 0 ? Bytes{0xEE} : Bytes(out.begin(), out.begin() + n);
  }
  static Bytes ToHost(CPDFType0Font& font, const Bytes& codes) {
    const Bytes copy = codes;
    Bytes out(codes.size() * 2 + 2);
    const int32_t n = font.ToHostEncoding(out.data(), static_cast<int32_t>(out.size()),
                                          codes.data(), static_cast<int32_t>(codes.size()));
    EXPECT_EQ(codes, copy);
    return n < 0 ? Bytes{0xEE} : Bytes(out.begin(), out.begin() + n);
  }

  TestRegistry doc_;
  std::unique_ptr<CPDFObject> raw_;
};

TEST_F(Type0AdobeJapan1Test, IdentityFontRoundTrips) {
  auto font = Font("Identity-H");
  ASSERT_TRUE(font);
  const std::pair<Bytes, char16_t> cases[] = {{{0x41}, u'\u0041'},       {{0x82, 0xA0}, u'\u3042'},
                                              {{0x88, 0x9F}, u'\u4E9C'}, {{0xB1}, u'\uFF71'},
                                              {{0x87, 0x40}, u'\u2460'}, {{0x5C}, u'\u00A5'}};
  for (const auto& [host, unit] : cases) {
    EXPECT_EQ(ToUnicode(*font, FromHost(*font, host)), std::u16string(1, unit));
  }
  EXPECT_EQ(FromHost(*font, {'A'}), (Bytes{0x01, 0x08}));
  EXPECT_EQ(ToUnicode(*font, {0x00, 0xE7}), u" ");
  EXPECT_EQ(FromUnicode(*font, u"\u3042"), (Bytes{0x03, 0x4B}));
  EXPECT_EQ(ToHost(*font, {0x03, 0x4B}), (Bytes{0x82, 0xA0}));
  EXPECT_EQ(ToHost(*font, {0x00, 0x22}), (Bytes{0x41}));
  EXPECT_EQ(ToHost(*font, {0x00, 0x22, 0x03}), (Bytes{0x41}));
  // The output never passes the capacity: Identity doubles host bytes.
  uint8_t small[1];
  const uint8_t a[] = {'A'};
  EXPECT_EQ(font->FromHostEncoding(small, 1, a, 1), -1);
}

TEST_F(Type0AdobeJapan1Test, ShiftJISFont) {
  auto font = Font("90ms-RKSJ-H", "[264 [500]]");
  ASSERT_TRUE(font);
  EXPECT_EQ(ToUnicode(*font, {0x82, 0xA0}), u"\u3042");
  EXPECT_EQ(FromUnicode(*font, u"A"), (Bytes{0x41}));
  EXPECT_EQ(FromUnicode(*font, u"\u3042"), (Bytes{0x82, 0xA0}));
  EXPECT_EQ(FromHost(*font, {0x82, 0xA0}), (Bytes{0x82, 0xA0}));
  EXPECT_EQ(ToHost(*font, {0x41, 0x82, 0xA0}), (Bytes{0x41, 0x82, 0xA0}));
  const uint8_t a[] = {0x41};
  EXPECT_EQ(font->CalcStringWidth(a, 1), 500);

  auto vertical = Font("90ms-RKSJ-V");
  ASSERT_TRUE(vertical);
  EXPECT_EQ(ToUnicode(*vertical, {0x81, 0x41}), u"\u3001");
}

// Text read back from a Shift-JIS font is what the host decode of the
// same bytes gives: ideographs, not the Kangxi radicals that share their
// CIDs; the ideographic space, not an em space; the NEC duplicates too.
TEST_F(Type0AdobeJapan1Test, ShiftJISTextReadsBackAsWritten) {
  auto font = Font("90ms-RKSJ-H");
  ASSERT_TRUE(font);
  const std::pair<Bytes, char16_t> cases[] = {
      {{0x93, 0xFA}, u'\u65E5'},  // 日, not U+2F47
      {{0x88, 0xEA}, u'\u4E00'},  // 一, not U+2F00
      {{0x89, 0x4A}, u'\u96E8'},  // 雨
      {{0x81, 0x40}, u'\u3000'},  // not U+2003
      {{0x81, 0x60}, u'\uFF5E'},  // not U+223C
      {{0x81, 0xFC}, u'\u25EF'},  // not U+20DD
      {{0x87, 0x95}, u'\u221A'},  // NEC duplicate of 81E3
      {{0x87, 0x9C}, u'\u222A'},  // NEC duplicate of 81BE
  };
  for (const auto& [codes, unit] : cases) {
    EXPECT_EQ(ToUnicode(*font, codes), std::u16string(1, unit)) << std::hex << codes[0];
  }
}

// Every character of the host code page, written through each predefined
// Japanese encoding from host text and from Unicode, reads back as the host
// decode gives it: through ToUnicode, and through ToHostEncoding as host
// bytes that decode to it. A character that the encoding has no code for is
// replaced and counted, and not read back; the rest must come back whole,
// vertical forms and Unicode CMap quirks included. Exceptions: host 5C,
// which a font of a host encoding shows as the yen sign (a Unicode
// encoding writes the backslash as its own code); and characters that the
// code page reaches from two codes, which the font may unify with a
// variant.
// Every character that a Unicode CMap maps is written as a code that stands
// for it, or replaced and counted: through a Unicode encoding its own code,
// wherever the encoding maps it (each of the 9772 characters of UniJIS-UCS2
// and the 15359 of UniJIS-UTF16); through the others a code that reads back
// as the character, or whose CID UniJIS-UCS2 gives the character too (the
// Kangxi radical that shares its ideograph's glyph), or for a vertical
// presentation form the code of the character it stands for in horizontal
// text or of that character's full-width form.
TEST_F(Type0AdobeJapan1Test, EveryCharacterRoundTrips) {
  std::vector<Bytes> characters;
  for (int b = 0x20; b < 0x7F; ++b) characters.push_back({static_cast<uint8_t>(b)});
  for (int b = 0xA1; b < 0xE0; ++b) characters.push_back({static_cast<uint8_t>(b)});
  for (int lead = 0x81; lead < 0xFD; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 0x40; trail < 0xFD; ++trail) {
      if (trail != 0x7F)
        characters.push_back({static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)});
    }
  }
  std::map<char16_t, int> decodedFrom;
  std::vector<std::pair<Bytes, char16_t>> decoded;
  for (const Bytes& c : characters) {
    char16_t unit[2];
    if (platform::HostToUtf16(c.data(), static_cast<int32_t>(c.size()), unit, 2) != 1) continue;
    if (unit[0] >= 0xE000 && unit[0] <= 0xF8FF) continue;  // user-defined: no CID
    decoded.emplace_back(c, unit[0]);
    ++decodedFrom[unit[0]];
  }
  ASSERT_EQ(decoded.size(), 9762u - 1880u);
  FontResourceCache& cache = FontResourceCache::Global();
  // A code's CID (0: none), a half-width Roman CID (231-324, 631) as its
  // proportional one (1-95): the same character.
  auto cidOf = [](const CMapFile* cmap, const Bytes& code) -> uint16_t {
    uint8_t bytes[4];
    if (cmap->CodeToCID(bytes, 4, code.data(), static_cast<int32_t>(code.size())) != 2) return 0;
    const auto cid = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    return cid >= 231 && cid <= 324 ? cid - 230 : cid == 631 ? 95 : cid;
  };
  auto own = [](char16_t u) {
    return Bytes{static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u & 0xFF)};
  };
  const CMapFile* ucs2H = cache.GetCMap("UniJIS-UCS2-H");
  const CMapFile* ucs2V = cache.GetCMap("UniJIS-UCS2-V");
  const CMapFile* utf16 = cache.GetCMap("UniJIS-UTF16-H");
  ASSERT_TRUE(ucs2H && ucs2V && utf16);
  std::vector<char16_t> mapped;
  int ucs2Count = 0, utf16Count = 0;
  for (char16_t u = 0x20; u < 0xFFFE; ++u) {
    const bool inUCS2 = cidOf(ucs2H, own(u)) != 0, inUTF16 = cidOf(utf16, own(u)) != 0;
    ucs2Count += inUCS2;
    utf16Count += inUTF16;
    if (inUCS2 || inUTF16) mapped.push_back(u);
  }
  EXPECT_EQ(ucs2Count, 9772);
  EXPECT_EQ(utf16Count, 15359);
  // What the vertical presentation forms U+FE30-FE44 stand for.
  const std::u16string ofForm =
      u"\u2025\u2014\u2013__(){}\u3014\u3015\u3010\u3011\u300A\u300B"
      u"\u3008\u3009\u300C\u300D\u300E\u300F";

  // The encodings, with the fewest characters each must write of the
  // 7882: the Shift-JIS, Unicode and Identity ones lack only the backslash
  // and one of a unified pair; the older sets lack the NEC and IBM rows.
  // And the characters each must replace, having no code that stands for
  // them: in horizontal writing the vertical ellipsis and dashes, whose
  // CIDs the substitution folds onto the horizontal ellipsis, the bar and
  // the hyphen; characters that UniJIS-UTF16 has no code of their own for,
  // which share a CID with another character's code (U+22EF with U+2026).
  struct Case {
    const char* encoding;
    int minWritten;
    bool unicodeCodes;  // a Unicode encoding: each code is its character
    std::u16string replaced = u"";
  };
  const Case cases[] = {
      {"90ms-RKSJ-H", 7870, false, u"\u22EE\uFE31\uFE32"},
      {"90ms-RKSJ-V", 7870, false},
      {"90msp-RKSJ-H", 7870, false, u"\u22EE\uFE31\uFE32"},
      {"90msp-RKSJ-V", 7870, false},
      {"83pv-RKSJ-H", 7100, false},
      {"90pv-RKSJ-H", 7100, false},
      {"Add-RKSJ-H", 6850, false},
      {"Add-RKSJ-V", 6850, false},
      {"Ext-RKSJ-H", 7500, false, u"\u22EE\uFE31\uFE32"},
      {"Ext-RKSJ-V", 7500, false},
      {"EUC-H", 7000, false, u"\u22EE\uFE31\uFE32"},
      {"EUC-V", 7000, false},
      {"H", 6850, false, u"\u22EE\uFE31\uFE32"},
      {"V", 6850, false},
      {"UniJIS-UCS2-H", 7870, true},
      {"UniJIS-UCS2-V", 7870, true},
      {"UniJIS-UCS2-HW-H", 7870, true},
      {"UniJIS-UCS2-HW-V", 7870, true},
      {"UniJIS-UTF16-H", 7870, true, u"\u22EE\u22EF\u01C0\u2195\u229D\u2300\u2612"},
      {"UniJIS-UTF16-V", 7870, true, u"\u22EE\u22EF\u01C0\u2195\u229D\u2300\u2612"},
      {"Identity-H", 7870, false},
      {"Identity-V", 7870, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    auto font = Font(c.encoding);
    ASSERT_TRUE(font);
    int written = 0, checked = 0, differ = 0;
    for (const auto& [host, unit] : decoded) {
      const bool unified = decodedFrom[unit] > 1;
      const char16_t shown = unit;
      // Read back through ToUnicode (as `expected`) and through
      // ToHostEncoding (as host bytes that decode to the character).
      auto check = [&](const Bytes& codes, const char* from, char16_t expected) {
        const std::u16string back = ToUnicode(*font, codes);
        const Bytes hostBack = ToHost(*font, codes);
        char16_t again[2] = {0, 0};
        const int32_t m =
            platform::HostToUtf16(hostBack.data(), static_cast<int32_t>(hostBack.size()), again, 2);
        if (unified) {
          EXPECT_EQ(back.size(), 1u) << from << std::hex << " U+" << int(unit);
          EXPECT_EQ(m, 1) << from << std::hex << " U+" << int(unit);
          return;
        }
        ++checked;
        if (back != std::u16string(1, expected) || m != 1 || again[0] != unit) {
          ++differ;
          ADD_FAILURE() << from << std::hex << " U+" << int(unit) << " (host " << int(host[0])
                        << " " << int(host.back()) << "): ToUnicode gives "
                        << (back.empty() ? -1 : int(back[0])) << ", ToHostEncoding "
                        << (m == 1 ? int(again[0]) : -1);
        }
      };
      const Bytes fromUnicode = FromUnicode(*font, std::u16string(1, unit));
      if (font->GetReplacedCount() == 0) {
        ++written;
        check(fromUnicode, "from Unicode", shown);
      }
      const Bytes fromHost = FromHost(*font, host);
      if (font->GetReplacedCount() == 0) {
        check(fromHost, "from host text",
              host == Bytes{0x5C} && !c.unicodeCodes ? u'\u00A5' : shown);
      }
    }
    EXPECT_GE(written, c.minWritten);
    EXPECT_GT(checked, c.minWritten);
    EXPECT_EQ(differ, 0);

    // Every character the Unicode CMaps map, written or replaced.
    const CMapFile* encoding = cache.GetCMap(c.encoding);
    ASSERT_TRUE(encoding);
    const CMapFile* unicode = encoding->GetWMode() == 1 ? ucs2V : ucs2H;
    int wrong = 0;
    for (const char16_t u : mapped) {
      const Bytes codes = FromUnicode(*font, std::u16string(1, u));
      const bool replaced = font->GetReplacedCount() != 0;
      bool right;
      if (c.unicodeCodes) {
        right = cidOf(encoding, own(u)) != 0 ? !replaced && codes == own(u) : replaced;
      } else {
        const std::u16string back = ToUnicode(*font, codes);
        const uint16_t cid = cidOf(unicode, own(u));
        const char16_t h = u >= 0xFE30 && u < 0xFE30 + ofForm.size() ? ofForm[u - 0xFE30] : 0;
        right = replaced || back == std::u16string(1, u) ||
                (cid != 0 && cidOf(encoding, codes) == cid) ||
                (h != 0 && back.size() == 1 && (back[0] == h || back[0] == h + 0xFEE0));
      }
      if (!right && ++wrong <= 20) {
        ADD_FAILURE() << std::hex << "U+" << int(u) << (replaced ? " replaced" : " written as ")
                      << int(codes[0]) << " " << int(codes.back());
      }
    }
    EXPECT_EQ(wrong, 0);
    // The characters that must be replaced are, and read back as nothing;
    // of the ellipses, dashes, a Kangxi radical and a vertical parenthesis,
    // the others are written.
    for (const char16_t u : c.replaced + u"\u22EE\u22EF\uFE31\uFE32\u2F00\uFE35") {
      const Bytes codes = FromUnicode(*font, std::u16string{u'\u3042', u, u'\u3044'});
      const bool replaced = c.replaced.find(u) != std::u16string::npos;
      EXPECT_EQ(font->GetReplacedCount(), replaced ? 1 : 0) << std::hex << "U+" << int(u);
      if (replaced) {
        EXPECT_EQ(ToUnicode(*font, codes), u"\u3042\u3044") << std::hex << "U+" << int(u);
      }
    }
  }
}

// A character without a CID (user-defined F040-F9FC, a private-use value)
// becomes CID 0 and the rest of the text follows; the count says so.
TEST_F(Type0AdobeJapan1Test, CharactersWithoutACIDBecomeNotdef) {
  auto sjis = Font("90ms-RKSJ-H");
  ASSERT_TRUE(sjis);
  const Bytes text = {0x81, 0x40, 0xF0, 0x40, 0x82, 0xA0};
  const Bytes codes = FromHost(*sjis, text);
  EXPECT_EQ(sjis->GetReplacedCount(), 1);
  ASSERT_GE(codes.size(), 5u);
  EXPECT_EQ(Bytes(codes.begin(), codes.begin() + 2), (Bytes{0x81, 0x40}));
  EXPECT_EQ(Bytes(codes.end() - 2, codes.end()), (Bytes{0x82, 0xA0}));
  // The middle code is one the CMap gives no CID, which a reader shows as
  // .notdef.
  const Bytes notdef(codes.begin() + 2, codes.end() - 2);
  EXPECT_EQ(FromHost(*sjis, {0x41}), (Bytes{0x41}));
  EXPECT_EQ(sjis->GetReplacedCount(), 0);
  EXPECT_EQ(ToUnicode(*sjis, codes), u"\u3000\u3042");

  auto identity = Font("Identity-H");
  ASSERT_TRUE(identity);
  EXPECT_EQ(FromHost(*identity, text), (Bytes{0x02, 0x79, 0x00, 0x00, 0x03, 0x4B}));
  EXPECT_EQ(identity->GetReplacedCount(), 1);
  EXPECT_EQ(FromUnicode(*identity, u"\uE000\uE001\u3042"),
            (Bytes{0x00, 0x00, 0x00, 0x00, 0x03, 0x4B}));
  EXPECT_EQ(identity->GetReplacedCount(), 2);
  Bytes expected = {0x41};
  expected.insert(expected.end(), notdef.begin(), notdef.end());
  expected.push_back(0x42);
  EXPECT_EQ(FromUnicode(*sjis, u"A\uE000B"), expected);
  EXPECT_EQ(sjis->GetReplacedCount(), 1);

  // A character beyond U+FFFF (a surrogate pair) and a lone surrogate are
  // one character each: replaced once, the rest of the text kept.
  const std::pair<std::u16string, Bytes> beyond[] = {
      {u"\U00020BB7\u91CE\u5BB6", {0x96, 0xEC, 0x89, 0xC6}},
      {u"A\U0001D44FBCDE", {0x41, 0x42, 0x43, 0x44, 0x45}},
      {{u'A', char16_t{0xD800}, u'B'}, {0x41, 0x42}},
      {{u'A', char16_t{0xDC00}, u'B'}, {0x41, 0x42}}};
  for (const auto& [text, kept] : beyond) {
    const Bytes codes = FromUnicode(*sjis, text);
    EXPECT_EQ(sjis->GetReplacedCount(), 1);
    EXPECT_EQ(codes.size(), kept.size() + notdef.size());
    Bytes without = codes;
    const auto at = std::search(without.begin(), without.end(), notdef.begin(), notdef.end());
    ASSERT_NE(at, without.end());
    without.erase(at, at + static_cast<std::ptrdiff_t>(notdef.size()));
    EXPECT_EQ(without, kept);
  }
}

// A Unicode encoding writes each character it maps as its own code
// (UniJIS-UTF16-H the quotes whose CIDs differ from those of UniJIS-UCS2,
// UniJIS-UCS2-H the ideograph, not the Kangxi radical of the same CID).
TEST_F(Type0AdobeJapan1Test, CharactersAreWrittenAsThemselves) {
  struct Case {
    const char* encoding;
    std::u16string text;
  };
  const Case cases[] = {
      {"UniJIS-UTF16-H", u"\u2018\u2019\u201C\u201D\uFA11"},
      {"UniJIS-UCS2-H", u"\u65E5\u6708\u6728\u4EBA\u4E00\u5B50\u5C71\u9AD8\u2F47"},
      {"UniJIS-UCS2-V", u"\u21C4\u21C6\u65E5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    auto font = Font(c.encoding);
    ASSERT_TRUE(font);
    Bytes own;
    for (const char16_t unit : c.text) {
      own.push_back(static_cast<uint8_t>(unit >> 8));
      own.push_back(static_cast<uint8_t>(unit & 0xFF));
    }
    EXPECT_EQ(FromUnicode(*font, c.text), own);
    EXPECT_EQ(font->GetReplacedCount(), 0);
    EXPECT_EQ(ToUnicode(*font, own), c.text);
  }
  // Host text through a Unicode encoding: each host character's own code.
  auto ucs2 = Font("UniJIS-UCS2-H");
  ASSERT_TRUE(ucs2);
  EXPECT_EQ(FromHost(*ucs2, {0x93, 0xFA, 0x20, 0x7C}), (Bytes{0x65, 0xE5, 0x00, 0x20, 0x00, 0x7C}));
}

// Vertical writing: the Unicode CMap gives some characters a vertical CID
// that a Shift-JIS vertical encoding has no code for (the degree sign, the
// quotes, the primes, the sound marks). They are written with the code of
// their horizontal form, which a reader draws vertically; nothing is lost
// and nothing counts as replaced.
TEST_F(Type0AdobeJapan1Test, VerticalTextKeepsCharactersWithoutAVerticalCode) {
  auto vertical = Font("90ms-RKSJ-V");
  ASSERT_TRUE(vertical);
  const Bytes temperature = {0x8B, 0x43, 0x89, 0xB7, 0x32, 0x35, 0x81, 0x8B};  // 気温25°
  EXPECT_EQ(FromUnicode(*vertical, u"\u6C17\u6E2925\u00B0"), temperature);
  EXPECT_EQ(vertical->GetReplacedCount(), 0);
  EXPECT_EQ(ToUnicode(*vertical, temperature), u"\u6C17\u6E2925\u00B0");

  const std::pair<char16_t, Bytes> cases[] = {{u'\u309B', {0x81, 0x4A}},
                                              {u'\u309C', {0x81, 0x4B}},
                                              {u'\u2019', {0x81, 0x66}},
                                              {u'\u201D', {0x81, 0x68}},
                                              {u'\u00B0', {0x81, 0x8B}},
                                              {u'\u2032', {0x81, 0x8C}},
                                              {u'\u2033', {0x81, 0x8D}},
                                              // Reached directly: the vertical CMap's own codes.
                                              {u'\u3001', {0x81, 0x41}},
                                              {u'\u2018', {0x81, 0x65}},
                                              {u'\u30FC', {0x81, 0x5B}}};
  for (const auto& [unit, code] : cases) {
    SCOPED_TRACE(static_cast<int>(unit));
    const std::u16string text = {u'A', unit, u'B'};
    Bytes expected = {0x41};
    expected.insert(expected.end(), code.begin(), code.end());
    expected.push_back(0x42);
    EXPECT_EQ(FromUnicode(*vertical, text), expected);
    EXPECT_EQ(vertical->GetReplacedCount(), 0);
    EXPECT_EQ(ToUnicode(*vertical, expected), text);
    // The host text, through the vertical host CMap, gives the same codes.
    EXPECT_EQ(FromHost(*vertical, expected), expected);
    EXPECT_EQ(vertical->GetReplacedCount(), 0);
  }

  // The horizontal font writes the same codes.
  auto horizontal = Font("90ms-RKSJ-H");
  ASSERT_TRUE(horizontal);
  EXPECT_EQ(FromUnicode(*horizontal, u"\u6C17\u6E2925\u00B0"), temperature);
}

// Text with vertical forms written through a vertical encoding reads back
// whole: the vertical CIDs that the substitution folds away are read as the
// Unicode CMap names them, through ToUnicode and as host text.
TEST_F(Type0AdobeJapan1Test, VerticalFormsReadBackWhole) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"UniJIS-UCS2-V", u"\u6C17\u6E2925\u00B0\u2019\u201D\u2032\u2033\u309B\u309C"},
      {"UniJIS-UCS2-HW-V", u"\u00B0\u2019\\\u3001"},
      {"UniJIS-UTF16-V", u"\uFF1A\u337B\u00B0"},
      {"Ext-RKSJ-V", u"\u309B\u309C\u00B0\u2032"},
      {"Identity-V", u"\u6C17\u6E29\u00B0\u2019\u201D\u309B"},
  };
  for (const auto& [encoding, text] : cases) {
    SCOPED_TRACE(encoding);
    auto font = Font(encoding);
    ASSERT_TRUE(font);
    const Bytes codes = FromUnicode(*font, text);
    EXPECT_EQ(font->GetReplacedCount(), 0);
    EXPECT_EQ(ToUnicode(*font, codes), text);
    Bytes host(text.size() * 2);
    const int32_t n = platform::Utf16ToHost(text.data(), static_cast<int32_t>(text.size()),
                                            host.data(), static_cast<int32_t>(host.size()));
    ASSERT_GT(n, 0);
    host.resize(static_cast<size_t>(n));
    EXPECT_EQ(ToHost(*font, codes), host);
  }
}

// Characters beyond the host code page (the supplement's parenthesised and
// negative circled numbers, small Roman twelve, vertical two-way arrows)
// read back through the Unicode encodings. As host text the first are left
// out, without failing, and so are the paired arrows: never as the single
// arrows whose glyphs the vertical forms resemble.
TEST_F(Type0AdobeJapan1Test, CharactersBeyondTheHostCodePageReadBack) {
  struct Case {
    const char* encoding;
    std::u16string text;
    Bytes host;
  };
  const Case cases[] = {
      {"UniJIS-UCS2-H", u"A\u2474\u2776\u217A", {0x41}},
      {"UniJIS-UCS2-V", u"A\u2474\u21C4\u21C6", {0x41}},
      {"Identity-H", u"A\u2474\u2776", {0x41}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    auto font = Font(c.encoding);
    ASSERT_TRUE(font);
    const Bytes codes = FromUnicode(*font, c.text);
    EXPECT_EQ(font->GetReplacedCount(), 0);
    EXPECT_EQ(ToUnicode(*font, codes), c.text);
    EXPECT_EQ(ToHost(*font, codes), c.host);
  }
}

// Add-RKSJ-V gives the quote codes vertical forms that the Unicode CMap
// names as the other quote of each pair. Each quote is still written with
// its own host code and reads back as itself.
TEST_F(Type0AdobeJapan1Test, AddVerticalQuotesKeepTheirCodes) {
  auto font = Font("Add-RKSJ-V");
  ASSERT_TRUE(font);
  const Bytes codes = {0x81, 0x65, 0x81, 0x66, 0x81, 0x67, 0x81, 0x68};
  EXPECT_EQ(FromUnicode(*font, u"\u2018\u2019\u201C\u201D"), codes);
  EXPECT_EQ(FromHost(*font, codes), codes);
  EXPECT_EQ(ToUnicode(*font, codes), u"\u2018\u2019\u201C\u201D");
  EXPECT_EQ(ToHost(*font, codes), codes);
}

// A CID that the host CMap lacks is read back as host text through the
// Unicode CMap; without the Unicode CMap files it is left out and the rest
// converts, without failing.
TEST_F(Type0AdobeJapan1Test, HostTextWithoutTheUnicodeCMaps) {
  auto font = Font("Identity-V");
  ASSERT_TRUE(font);
  const Bytes cids = {0x03, 0x4B, 0x20, 0x4D, 0x00, 0x22};  // あ, vertical °, A
  EXPECT_EQ(ToHost(*font, cids), (Bytes{0x82, 0xA0, 0x81, 0x8B, 0x41}));

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("pn-type0-host-" + std::to_string(static_cast<long>(::getpid())));
  std::filesystem::create_directories(folder);
  for (const char* name : {"90ms-RKSJ-H", "90ms-RKSJ-V"}) {
    std::filesystem::copy_file(std::filesystem::path(kCMapDir) / name, folder / name,
                               std::filesystem::copy_options::overwrite_existing);
  }
  CPDFEnv::Global().ReleaseFontCaches();
  CPDFEnv::Global().Init(nullptr, folder.string().c_str(), nullptr, nullptr);
  auto bare = Font("Identity-V");
  ASSERT_TRUE(bare);
  EXPECT_EQ(ToHost(*bare, cids), (Bytes{0x82, 0xA0, 0x41}));
  EXPECT_EQ(doc_.GetError().GetCode(), 0);
  CPDFEnv::Global().ReleaseFontCaches();
  std::filesystem::remove_all(folder);
}

// A character that has a CID but no code in the encoding, in neither
// writing direction (a box-drawing dash Shift-JIS lacks; the paired arrows,
// never written as the single arrows their vertical forms look like), is
// replaced by .notdef like one without a CID, counted, and the rest of the
// text follows.
TEST_F(Type0AdobeJapan1Test, CharactersWithoutACodeAreReplacedAndCounted) {
  const std::pair<const char*, std::u16string> cases[] = {{"90ms-RKSJ-H", u"A\u2504\u2504B"},
                                                          {"90ms-RKSJ-V", u"A\u2504\u2504B"},
                                                          {"90ms-RKSJ-H", u"A\u21C4\u21C5\u21C6B"},
                                                          {"90ms-RKSJ-V", u"A\u21C4\u21C5\u21C6B"}};
  for (const auto& [encoding, text] : cases) {
    SCOPED_TRACE(encoding);
    auto font = Font(encoding);
    ASSERT_TRUE(font);
    const Bytes codes = FromUnicode(*font, text);
    EXPECT_EQ(font->GetReplacedCount(), static_cast<int32_t>(text.size()) - 2);
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(codes.front(), 0x41);
    EXPECT_EQ(codes.back(), 0x42);
    // Each replacement is a code the CMap gives no CID, which reads back as
    // nothing.
    EXPECT_EQ(ToUnicode(*font, codes), u"AB");
  }
}

// The NEC duplicates of the host code page (8795 √, 879B ∩, ...) reach a
// CID that a Unicode encoding has no code for: the code of the symbol they
// duplicate is written.
TEST_F(Type0AdobeJapan1Test, NECDuplicatesReachAUnicodeEncoding) {
  for (const char* encoding : {"UniJIS-UCS2-H", "UniJIS-UCS2-V"}) {
    SCOPED_TRACE(encoding);
    auto font = Font(encoding);
    ASSERT_TRUE(font);
    EXPECT_EQ(FromHost(*font, {0x87, 0x95, 0x87, 0x9B, 0x41}),
              (Bytes{0x22, 0x1A, 0x22, 0x29, 0x00, 0x41}));
    EXPECT_EQ(font->GetReplacedCount(), 0);
  }
}

TEST_F(Type0AdobeJapan1Test, UnicodeEncodedFont) {
  auto font = Font("UniJIS-UCS2-H");
  ASSERT_TRUE(font);
  EXPECT_EQ(FromHost(*font, {'A'}), (Bytes{0x00, 0x41}));
  EXPECT_EQ(ToUnicode(*font, {0x30, 0x42}), u"\u3042");
}

// The substitution tables put some CIDs under another character that only
// looks alike (the vertical forms of the paired arrows under single
// arrows, small kana under full-size ones). A character of such a CID,
// written through the Shift-JIS encodings, is replaced (and counted) or
// reads back as a character of its own CID, never as the look-alike.
TEST_F(Type0AdobeJapan1Test, NoCharacterIsWrittenAsALookAlike) {
  // The characters of each CID through UniJIS-UCS2-H and -V (the Identity
  // fonts write those CIDs).
  std::map<uint16_t, std::vector<char16_t>> characters;
  for (const char* identity : {"Identity-H", "Identity-V"}) {
    auto font = Font(identity);
    ASSERT_TRUE(font);
    for (uint32_t u = 0x20; u < 0xFFFE; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      const Bytes cid = FromUnicode(*font, std::u16string(1, static_cast<char16_t>(u)));
      if (font->GetReplacedCount() != 0 || cid.size() != 2) continue;
      characters[static_cast<uint16_t>(cid[0] << 8 | cid[1])].push_back(static_cast<char16_t>(u));
    }
  }
  auto shared = [&](uint16_t a, uint16_t b) {
    for (const char16_t u : characters[a]) {
      const auto& other = characters[b];
      if (std::find(other.begin(), other.end(), u) != other.end()) return true;
    }
    return false;
  };
  std::vector<uint16_t> lookAlikes;
  for (const auto& [first, size] : {std::pair<uint16_t, int32_t>{7887, 215}, {8264, 95}}) {
    for (uint16_t cid = first; cid < first + size; ++cid) {
      uint8_t pair[2] = {static_cast<uint8_t>(cid >> 8), static_cast<uint8_t>(cid & 0xFF)};
      CPDFType0Font::NormalizeCID(pair, 2);
      const auto substitute = static_cast<uint16_t>(pair[0] << 8 | pair[1]);
      if (substitute == 0 || substitute == cid || characters[cid].empty()) continue;
      if (!shared(cid, substitute)) lookAlikes.push_back(cid);
    }
  }
  // U+5653 under U+5618 and the two arrows (the small kana have no UCS-2
  // value).
  EXPECT_EQ(lookAlikes, (std::vector<uint16_t>{7963, 8311, 8312}));
  for (const char* encoding : {"90ms-RKSJ-H", "90ms-RKSJ-V"}) {
    SCOPED_TRACE(encoding);
    auto font = Font(encoding);
    ASSERT_TRUE(font);
    for (const uint16_t cid : lookAlikes) {
      for (const char16_t unit : characters[cid]) {
        const Bytes codes = FromUnicode(*font, std::u16string(1, unit));
        if (font->GetReplacedCount() != 0) continue;
        const std::u16string back = ToUnicode(*font, codes);
        const auto& own = characters[cid];
        EXPECT_TRUE(back.size() == 1 && std::find(own.begin(), own.end(), back[0]) != own.end())
            << std::hex << "U+" << int(unit) << " (CID " << std::dec << cid << ")";
      }
    }
  }
}

}  // namespace
