#include <gtest/gtest.h>

#include <string>

#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFOutStream.h"

namespace {

std::string Written(CPDFObject& o) {
  CPDFStrOutStream out;
  out.Open();
  o.Write(out, nullptr);
  const TempString& s = out.GetString();
  return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

// Reals are written as six fixed decimals of the float, then trailing zeros
// and a trailing point are dropped; tiny values keep their sign.
TEST(CPDFRealFormatTest, FixedDecimalsWithoutTrailingZeros) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.5f, "0.5"},
      {1.0f, "1"},
      {612.0f, "612"},
      {1.25f, "1.25"},
      {0.0000001f, "0"},
      {-0.0000001f, "-0"},
      {100.0f, "100"},
      {0.1f, "0.1"},
      {-3.75f, "-3.75"},
      {0.000001f, "0.000001"},
      {12345.678f, "12345.677734"},
  };
  for (const auto& c : cases) {
    CPDFReal real(c.value);
    EXPECT_EQ(Written(real), c.text) << c.value;
  }
}

// A number made from a float inside +-32767 writes the real; outside it
// writes the integer part, saturated to 32 bits.
TEST(CPDFRealFormatTest, NumbersOutsideTheRealRangeWriteTheirIntegerPart) {
  CPDFNumber small(0.1f), edge(-32767.0f), huge(1.0e20f), tiny(-1.0e20f);
  EXPECT_EQ(Written(small), "0.1");
  EXPECT_EQ(Written(edge), "-32767");
  EXPECT_EQ(Written(huge), "2147483647");
  EXPECT_EQ(Written(tiny), "-2147483648");
}

}  // namespace
