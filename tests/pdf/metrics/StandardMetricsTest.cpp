// The fill routine of the standard fonts: which names reach it, the header
// it writes, what it leaves alone, and what it answers when memory runs out.
#include "pdf/metrics/StandardMetrics.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "pdf/font/EncodingTable.h"
#include "tests/pdf/metrics/AllocationFailure.h"

namespace {

constexpr int32_t kNotSet = INT32_MIN;

struct ExpectedHeader {
  const char* fontName;
  const char* fullName;
  const char* familyName;
  const char* weight;
  int32_t fontBBox[4];
  const char* version;
  const char* encodingScheme;
  // CapHeight XHeight Ascender Descender StdHW StdVW UnderlinePosition
  // UnderlineThickness ItalicAngle.
  int32_t numbers[9];
  bool isFixedPitch;
  int32_t rows;
};

constexpr const char* kStd = "AdobeStandardEncoding";
constexpr const char* kFS = "FontSpecific";
constexpr int32_t N = kNotSet;

// Times-Italic's ItalicAngle is -15: its AFM file gives -15.5, which the AFM
// reader reads as -15.
const ExpectedHeader kHeaders[] = {
    {"Courier",
     "Courier",
     "Courier",
     "Medium",
     {-23, -250, 715, 805},
     "003.000",
     kStd,
     {562, 426, 629, -157, 51, 51, -100, 50, 0},
     true,
     315},
    {"Courier-Bold",
     "Courier Bold",
     "Courier",
     "Bold",
     {-113, -250, 749, 801},
     "003.000",
     kStd,
     {562, 439, 629, -157, 84, 106, -100, 50, 0},
     true,
     315},
    {"Courier-BoldOblique",
     "Courier Bold Oblique",
     "Courier",
     "Bold",
     {-57, -250, 869, 801},
     "003.000",
     kStd,
     {562, 439, 629, -157, 84, 106, -100, 50, -12},
     true,
     315},
    {"Courier-Oblique",
     "Courier Oblique",
     "Courier",
     "Medium",
     {-27, -250, 849, 805},
     "003.000",
     kStd,
     {562, 426, 629, -157, 51, 51, -100, 50, -12},
     true,
     315},
    {"Helvetica",
     "Helvetica",
     "Helvetica",
     "Medium",
     {-166, -225, 1000, 931},
     "002.000",
     kStd,
     {718, 523, 718, -207, 76, 88, -100, 50, 0},
     false,
     315},
    {"Helvetica-Bold",
     "Helvetica Bold",
     "Helvetica",
     "Bold",
     {-170, -228, 1003, 962},
     "002.000",
     kStd,
     {718, 532, 718, -207, 118, 140, -100, 50, 0},
     false,
     315},
    {"Helvetica-BoldOblique",
     "Helvetica Bold Oblique",
     "Helvetica",
     "Bold",
     {-174, -228, 1114, 962},
     "002.000",
     kStd,
     {718, 532, 718, -207, 118, 140, -100, 50, -12},
     false,
     315},
    {"Helvetica-Oblique",
     "Helvetica Oblique",
     "Helvetica",
     "Medium",
     {-170, -225, 1116, 931},
     "002.000",
     kStd,
     {718, 523, 718, -207, 76, 88, -100, 50, -12},
     false,
     315},
    {"Times-Roman",
     "Times Roman",
     "Times",
     "Roman",
     {-168, -218, 1000, 898},
     "002.000",
     kStd,
     {662, 450, 683, -217, 28, 84, -100, 50, 0},
     false,
     315},
    {"Times-Bold",
     "Times Bold",
     "Times",
     "Bold",
     {-168, -218, 1000, 935},
     "002.000",
     kStd,
     {676, 461, 683, -217, 44, 139, -100, 50, 0},
     false,
     315},
    {"Times-Italic",
     "Times Italic",
     "Times",
     "Medium",
     {-169, -217, 1010, 883},
     "002.000",
     kStd,
     {653, 441, 683, -217, 32, 76, -100, 50, -15},
     false,
     315},
    {"Times-BoldItalic",
     "Times Bold Italic",
     "Times",
     "Bold",
     {-200, -218, 996, 921},
     "002.000",
     kStd,
     {669, 462, 683, -217, 42, 121, -100, 50, -15},
     false,
     315},
    {"Symbol",
     "Symbol",
     "Symbol",
     "Medium",
     {-180, -293, 1090, 1010},
     "001.008",
     kFS,
     {N, N, N, N, 92, 85, -100, 50, 0},
     false,
     190},
    {"ZapfDingbats",
     "ITC Zapf Dingbats",
     "ITC Zapf Dingbats",
     "Medium",
     {-1, -143, 981, 820},
     "001.004",
     kFS,
     {N, N, N, N, N, 90, -98, 54, 0},
     false,
     202},
};

const int32_t* Numbers(const AFMFile& afm, int i) {
  const int32_t* fields[] = {
      &afm.CapHeight, &afm.XHeight,           &afm.Ascender,           &afm.Descender,  &afm.StdHW,
      &afm.StdVW,     &afm.UnderlinePosition, &afm.UnderlineThickness, &afm.ItalicAngle};
  return fields[i];
}

// Every field of a record still as constructed.
void ExpectConstructed(const AFMFile& afm) {
  for (const TempString* s : {&afm.FontName, &afm.FullName, &afm.FamilyName, &afm.Weight,
                              &afm.Version, &afm.Notice, &afm.EncodingScheme, &afm.CharacterSet}) {
    EXPECT_TRUE(s->IsEmpty()) << s->c_str();
  }
  for (int i = 0; i < 9; ++i) EXPECT_EQ(*Numbers(afm, i), 0) << i;
  for (int32_t n : {afm.FontBBox[0], afm.FontBBox[1], afm.FontBBox[2], afm.FontBBox[3],
                    afm.MappingScheme, afm.EscChar, afm.Characters, afm.VVector[0], afm.VVector[1],
                    afm.CharWidth[0], afm.CharWidth[1], afm.stemV}) {
    EXPECT_EQ(n, 0);
  }
  EXPECT_FALSE(afm.IsBaseFont || afm.IsFixedV || afm.IsCIDFont || afm.IsFixedPitch);
  EXPECT_EQ(afm.GetCharMetricCount(), 0);
  EXPECT_EQ(afm.GetCIDMetricCount(), 0);
}

TEST(StandardFontFill, ExactNamesOnlyAndEachFillsItsOwnFont) {
  for (const ExpectedHeader& h : kHeaders) {
    AFMFile afm;
    EXPECT_TRUE(afm.LoadBuiltIn(h.fontName)) << h.fontName;
    EXPECT_STREQ(afm.FontName.c_str(), h.fontName);
  }
  for (const char* name : {"courier", "Courier ", " Courier", "Times", "Helvetica-oblique",
                           "Courier-", "ZapfDingbat", "Symbol\n", ""}) {
    AFMFile afm;
    EXPECT_FALSE(afm.LoadBuiltIn(name)) << '"' << name << '"';
    ExpectConstructed(afm);
  }
}

TEST(StandardFontFill, HeadersAreTheTablesAndNothingElseIsTouched) {
  for (const ExpectedHeader& h : kHeaders) {
    SCOPED_TRACE(h.fontName);
    AFMFile afm;
    ASSERT_TRUE(afm.LoadBuiltIn(h.fontName));
    EXPECT_STREQ(afm.FullName.c_str(), h.fullName);
    EXPECT_STREQ(afm.FamilyName.c_str(), h.familyName);
    EXPECT_STREQ(afm.Weight.c_str(), h.weight);
    EXPECT_STREQ(afm.Version.c_str(), h.version);
    EXPECT_STREQ(afm.EncodingScheme.c_str(), h.encodingScheme);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(afm.FontBBox[i], h.fontBBox[i]) << i;
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(*Numbers(afm, i), h.numbers[i] == kNotSet ? 0 : h.numbers[i]) << i;
    }
    EXPECT_EQ(afm.IsFixedPitch, h.isFixedPitch);
    EXPECT_EQ(afm.GetCharMetricCount(), h.rows);

    EXPECT_TRUE(afm.Notice.IsEmpty());
    EXPECT_TRUE(afm.CharacterSet.IsEmpty());
    EXPECT_EQ(afm.stemV, 0);
    EXPECT_EQ(afm.Characters, 0);
    EXPECT_EQ(afm.MappingScheme, 0);
    EXPECT_EQ(afm.EscChar, 0);
    EXPECT_EQ(afm.VVector[0] | afm.VVector[1] | afm.CharWidth[0] | afm.CharWidth[1], 0);
    EXPECT_FALSE(afm.IsCIDFont || afm.IsBaseFont || afm.IsFixedV);
    EXPECT_EQ(afm.GetCIDMetricCount(), 0);
  }
}

// A fill overwrites what it sets, replaces rows of its glyph names, and keeps
// the rest; fields it leaves unset keep their values.
TEST(StandardFontFill, FillOnAFilledRecordKeepsWhatItDoesNotSet) {
  AFMFile afm;
  ASSERT_TRUE(afm.Notice.Assign("kept"));
  ASSERT_TRUE(afm.FontName.Assign("Other"));
  ASSERT_TRUE(afm.AddCharMetric("foo", 7, 9, 0, 0, 0, "foo", 1, 2, 3, 4));
  ASSERT_TRUE(afm.AddCharMetric("space", 1, 999, 5, 0, 0, "x", 1, 1, 1, 1));
  afm.CapHeight = 77;
  afm.IsFixedPitch = true;
  afm.IsCIDFont = true;
  ASSERT_TRUE(afm.FillSymbol());
  EXPECT_STREQ(afm.Notice.c_str(), "kept");
  EXPECT_STREQ(afm.FontName.c_str(), "Symbol");
  EXPECT_EQ(afm.CapHeight, 77);
  EXPECT_TRUE(afm.IsFixedPitch);
  EXPECT_TRUE(afm.IsCIDFont);
  EXPECT_EQ(afm.GetCharMetricCount(), 191);
  ASSERT_TRUE(afm.GetCharMetric("foo"));
  EXPECT_EQ(afm.GetCharMetric("foo")->WX, 9);
  const AFMCharMetric* space = afm.GetCharMetric("space");
  ASSERT_TRUE(space);
  EXPECT_EQ(space->C, 32);
  EXPECT_EQ(space->WX, 250);
  EXPECT_EQ(space->WY, 0);
  EXPECT_STREQ(space->N.c_str(), "space");
}

// Every allocation of a fill failing in turn: the fill answers false (a
// record with a row or a string missing must not be taken as complete),
// throws nothing, and leaks nothing.
TEST(StandardFontFill, AnyFailedAllocationMakesTheFillAnswerFalse) {
  for (const char* name : {"Helvetica", "ZapfDingbats"}) {
    SCOPED_TRACE(name);
    long allocations = 0;
    {
      AFMFile afm;
      pntest::CountAllocations counter;
      ASSERT_TRUE(afm.LoadBuiltIn(name));
      allocations = counter.Count();
    }
    ASSERT_GT(allocations, 200);
    int answeredTrue = 0;
    for (long k = 0; k < allocations; ++k) {
      AFMFile afm;
      bool ok;
      {
        pntest::FailAllocation failure(k);
        ok = afm.LoadBuiltIn(name);
      }
      if (ok) ++answeredTrue;
      // The header comes first: a failure among the rows leaves it written.
      if (k == allocations - 1) {
        EXPECT_STREQ(afm.FontName.c_str(), name);
      }
    }
    EXPECT_EQ(answeredTrue, 0);
  }
}

// Without AFM files the environment's cache answers the fourteen names with
// the built-in records, so text in these fonts can be measured.
TEST(StandardFontFill, EnvironmentMeasuresTextWithoutAFMFiles) {
  CPDFEnv env;
  EncodingTable* standard = env.GetEncoding("StandardEncoding");
  ASSERT_TRUE(standard);
  auto width = [&](const char* font, const char* text) {
    AFMFile* afm = env.GetAFM(font);
    if (!afm) return -1;
    int32_t sum = 0;
    for (const char* p = text; *p; ++p) {
      const char* glyph = standard->FindGlyphName(static_cast<uint8_t>(*p));
      const AFMCharMetric* m = glyph ? afm->GetCharMetric(glyph) : nullptr;
      if (!m) return -1;
      sum += m->WX;
    }
    return static_cast<int>(sum);
  };
  EXPECT_EQ(width("Helvetica", "It's"), 1278);  // code 39 is quoteright, 222
  EXPECT_EQ(width("Helvetica", "Hello"), 2278);
  EXPECT_EQ(width("Times-Roman", "Hello"), 2222);
  EXPECT_EQ(width("Courier", "Hello"), 3000);
  EXPECT_EQ(env.GetAFM("Helvetica"), env.GetAFM("Helvetica"));
  EXPECT_FALSE(env.GetAFM("helvetica"));
  for (const ExpectedHeader& h : kHeaders) EXPECT_TRUE(env.GetAFM(h.fontName)) << h.fontName;
}

}  // namespace
