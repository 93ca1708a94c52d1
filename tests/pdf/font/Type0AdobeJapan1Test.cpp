// Type 0 fonts converting through the Adobe-Japan1 CMap files of the
// system's CMap folder (skipped when it is not installed).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFType0Font.h"
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
    if (!std::filesystem::is_directory(kCMapDir)) GTEST_SKIP() << kCMapDir << " is absent";
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

// Every character of the host code page, converted to the font's codes and
// read back, gives what the host decode gives. Exceptions: 5C, which the
// font shows as the yen sign, and characters that the code page reaches
// from two codes, which the font may unify with a variant.
TEST_F(Type0AdobeJapan1Test, EveryHostCharacterRoundTrips) {
  auto font = Font("90ms-RKSJ-H");
  ASSERT_TRUE(font);
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
  int checked = 0, differ = 0;
  for (const auto& [host, unit] : decoded) {
    // The code of the character's CID: a NEC duplicate comes back as the
    // code of its original.
    const Bytes codes = FromHost(*font, host);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(font->GetReplacedCount(), 0);
    const std::u16string back = ToUnicode(*font, codes);
    if (host == Bytes{0x5C}) {
      EXPECT_EQ(back, u"\u00A5");
      continue;
    }
    if (decodedFrom[unit] > 1) {
      EXPECT_EQ(back.size(), 1u) << std::hex << host[0] << host.back();
      continue;
    }
    ++checked;
    if (back != std::u16string(1, unit)) {
      ++differ;
      ADD_FAILURE() << std::hex << int(host[0]) << " " << int(host.back()) << ": U+" << int(unit)
                    << " read back as U+" << (back.empty() ? 0 : int(back[0]));
    }
  }
  EXPECT_GT(checked, 7000);
  EXPECT_EQ(differ, 0);
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

// A character that has a CID but no code in the encoding, in neither
// writing direction (a box-drawing dash Shift-JIS lacks), is replaced by
// .notdef like one without a CID, counted, and the rest of the text follows.
TEST_F(Type0AdobeJapan1Test, CharactersWithoutACodeAreReplacedAndCounted) {
  for (const char* encoding : {"90ms-RKSJ-H", "90ms-RKSJ-V"}) {
    SCOPED_TRACE(encoding);
    auto font = Font(encoding);
    ASSERT_TRUE(font);
    const Bytes codes = FromUnicode(*font, u"A\u2504\u2504B");
    EXPECT_EQ(font->GetReplacedCount(), 2);
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(codes.front(), 0x41);
    EXPECT_EQ(codes.back(), 0x42);
    // Each replacement is a code the CMap gives no CID, which reads back as
    // nothing.
    EXPECT_EQ((codes.size() - 2) % 2, 0u);
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

}  // namespace
