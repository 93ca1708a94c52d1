#include "platform/HostText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::HostToUtf16;
using platform::Utf16ToHost;

// Host bytes to units with room to spare; -1 kept.
std::u16string ToUnits(const std::string& bytes, int32_t* answer = nullptr) {
  std::vector<char16_t> out(bytes.size() + 4, u'\xFFFF');
  const int32_t n =
      HostToUtf16(reinterpret_cast<const uint8_t*>(bytes.data()),
                  static_cast<int32_t>(bytes.size()), out.data(), static_cast<int32_t>(out.size()));
  if (answer) *answer = n;
  return n < 0 ? u"<fail>" : std::u16string(out.data(), static_cast<size_t>(n));
}

std::string ToHost(const std::u16string& units, int32_t* answer = nullptr) {
  std::vector<uint8_t> out(units.size() * 2 + 4, 0xEE);
  const int32_t n = Utf16ToHost(units.data(), static_cast<int32_t>(units.size()), out.data(),
                                static_cast<int32_t>(out.size()));
  if (answer) *answer = n;
  return n < 0 ? "<fail>"
               : std::string(reinterpret_cast<char*>(out.data()), static_cast<size_t>(n));
}

// Code page 932 as the host encoding, both directions where the mapping is
// one to one.
TEST(HostTextTest, CodePage932RoundTrips) {
  const struct {
    const char* bytes;
    char16_t unit;
  } rows[] = {
      {"\x5C", u'\x005C'},     {"\x7E", u'\x007E'},     {"\x82\xA0", u'\x3042'},
      {"\xB1", u'\xFF71'},     {"\x81\x60", u'\xFF5E'}, {"\x87\x40", u'\x2460'},
      {"\xFA\x40", u'\x2170'},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bytes);
    EXPECT_EQ(ToUnits(row.bytes), std::u16string(1, row.unit));
    EXPECT_EQ(ToHost(std::u16string(1, row.unit)), row.bytes);
  }
}

TEST(HostTextTest, OneWayMappingsArePinned) {
  // The user area and the horizontal bar read one way only.
  EXPECT_EQ(ToUnits("\xF0\x40"), u"\xE000");
  EXPECT_EQ(ToUnits("\x81\x5C"), u"\x2015");
  // The best fits of the reverse direction.
  EXPECT_EQ(ToHost(u"\x00A5"), "\x5C");
  EXPECT_EQ(ToHost(u"\x203E"), "\x7E");
  EXPECT_EQ(ToHost(u"\x2014"), "\x81\x5C");
  EXPECT_EQ(ToHost(u"\x301C"), "\x81\x60");
}

TEST(HostTextTest, InvalidInputFails) {
  for (const char* single : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"}) {
    int32_t n = 0;
    ToUnits(single, &n);
    EXPECT_EQ(n, -1) << static_cast<int>(static_cast<uint8_t>(*single));
  }
  int32_t n = 0;
  ToUnits("A\x82", &n);  // a lead byte at the end
  EXPECT_EQ(n, -1);
  ToHost(u"\xD800", &n);  // a lone surrogate
  EXPECT_EQ(n, -1);
  ToHost(u"\x00E9", &n);  // no code page 932 character
  EXPECT_EQ(n, -1);
  uint8_t byte = 0;
  char16_t unit = 0;
  EXPECT_EQ(HostToUtf16(&byte, -1, &unit, 1), -1);
  EXPECT_EQ(Utf16ToHost(&unit, 1, &byte, -1), -1);
}

TEST(HostTextTest, StopsAtTheFirstNulInsideTheLength) {
  EXPECT_EQ(ToUnits(std::string("A\0B", 3)), u"A");
  EXPECT_EQ(ToHost(std::u16string(u"A\0B", 3)), "A");
  EXPECT_EQ(ToUnits(""), u"");
}

TEST(HostTextTest, ReadsExactlyTheGivenBytes) {
  // No NUL after the text, in an allocation of its exact size: a reader that
  // looked for a terminator would run past it.
  std::unique_ptr<uint8_t[]> text(new uint8_t[2]{0x82, 0xA0});
  char16_t out[2] = {};
  EXPECT_EQ(HostToUtf16(text.get(), 2, out, 2), 1);
  EXPECT_EQ(out[0], u'\x3042');
  std::unique_ptr<char16_t[]> units(new char16_t[1]{u'\x3042'});
  uint8_t bytes[2] = {};
  EXPECT_EQ(Utf16ToHost(units.get(), 1, bytes, 2), 2);
}

TEST(HostTextTest, CapacityIsNeverPassed) {
  const std::string text = "A\x82\xA0";
  char16_t units[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(HostToUtf16(reinterpret_cast<const uint8_t*>(text.data()), 3, units, 1), -1);
  EXPECT_EQ(units[1], u'x');
  EXPECT_EQ(HostToUtf16(reinterpret_cast<const uint8_t*>(text.data()), 3, units, 2), 2);
  uint8_t bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(Utf16ToHost(u"A\x3042", 2, bytes, 2), -1);
  EXPECT_EQ(bytes[2], 0xEE);
  EXPECT_EQ(Utf16ToHost(u"A\x3042", 2, bytes, 3), 3);
  EXPECT_EQ(bytes[3], 0xEE);
}

}  // namespace
