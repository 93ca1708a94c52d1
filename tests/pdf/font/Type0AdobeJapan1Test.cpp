// Type 0 fonts converting through the Adobe-Japan1 CMap files of the
// system's CMap folder (skipped when it is not installed).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFType0Font.h"
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

TEST_F(Type0AdobeJapan1Test, UnicodeEncodedFont) {
  auto font = Font("UniJIS-UCS2-H");
  ASSERT_TRUE(font);
  EXPECT_EQ(FromHost(*font, {'A'}), (Bytes{0x00, 0x41}));
  EXPECT_EQ(ToUnicode(*font, {0x30, 0x42}), u"\u3042");
}

}  // namespace
