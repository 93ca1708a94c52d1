// The glyph rows of the fourteen standard fonts as the filled records hold
// them. Every count is taken from the records by a walk over their entries;
// the expected values are the fonts' published metrics and the rules they
// follow, so a slip in the glyph lists, the AFM data or the generator shows.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "pdf/font/AFMFile.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/metrics/StandardMetrics.h"

namespace {

using Box = std::array<int32_t, 4>;

const char* const kLatinFonts[] = {
    "Courier",     "Courier-Bold",   "Courier-BoldOblique",   "Courier-Oblique",
    "Helvetica",   "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Oblique",
    "Times-Roman", "Times-Bold",     "Times-Italic",          "Times-BoldItalic"};

// The filled records, made once.
const AFMFile& Font(const std::string& name) {
  static std::map<std::string, std::unique_ptr<AFMFile>> fonts;
  auto& slot = fonts[name];
  if (!slot) {
    slot = std::make_unique<AFMFile>();
    EXPECT_TRUE(slot->LoadBuiltIn(name.c_str())) << name;
  }
  return *slot;
}

const AFMCharMetric& Glyph(const std::string& font, const char* name) {
  static const AFMCharMetric none;
  const AFMCharMetric* m = Font(font).GetCharMetric(name);
  EXPECT_TRUE(m) << font << " " << name;
  return m ? *m : none;
}

int32_t Width(const std::string& font, const char* name) { return Glyph(font, name).WX; }

Box BoxOf(const AFMCharMetric& m) { return {m.B[0], m.B[1], m.B[2], m.B[3]}; }
Box BoxOf(const std::string& font, const char* name) { return BoxOf(Glyph(font, name)); }

std::vector<const AFMCharMetric*> Entries(const AFMFile& afm) {
  std::vector<const AFMCharMetric*> all;
  afm.ForEachCharMetric([&](const AFMCharMetric& m) { all.push_back(&m); });
  return all;
}

std::map<int32_t, int> WidthCounts(const AFMFile& afm) {
  std::map<int32_t, int> counts;
  for (const AFMCharMetric* m : Entries(afm)) ++counts[m->WX];
  return counts;
}

// Checks what holds in every table: N is the key, WY and VV are 0, only
// "space" (and in the Latin fonts "Euro", which the AFM files give no box)
// has an all-zero box, and the FontBBox is the union of the boxes with each
// of its edges reached.
void ExpectCommonForm(const std::string& font) {
  SCOPED_TRACE(font);
  const AFMFile& afm = Font(font);
  Box unionBox = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  std::set<int32_t> codes;
  int zeroBoxes = 0;
  for (const AFMCharMetric* m : Entries(afm)) {
    EXPECT_EQ(afm.GetCharMetric(m->N.c_str()), m) << m->N.c_str();
    EXPECT_EQ(m->WY, 0);
    EXPECT_EQ(m->VV[0] | m->VV[1], 0);
    if (m->C != -1) {
      EXPECT_TRUE(codes.insert(m->C).second) << m->C;
    }
    if (BoxOf(*m) == Box{0, 0, 0, 0} && std::strcmp(m->N.c_str(), "Euro") != 0) {
      ++zeroBoxes;
      EXPECT_STREQ(m->N.c_str(), "space");
    }
    for (int i = 0; i < 2; ++i) unionBox[i] = std::min(unionBox[i], m->B[i]);
    for (int i = 2; i < 4; ++i) unionBox[i] = std::max(unionBox[i], m->B[i]);
  }
  EXPECT_EQ(zeroBoxes, 1);
  EXPECT_EQ(Glyph(font, "space").C, 32);
  EXPECT_EQ(unionBox, (Box{afm.FontBBox[0], afm.FontBBox[1], afm.FontBBox[2], afm.FontBBox[3]}));
}

// --- The Latin glyph set ---------------------------------------------------------

TEST(LatinGlyphSet, EveryFontHasTheSameRowsWithTheStandardCodes) {
  EncodingTable standard;
  ASSERT_TRUE(standard.LoadStandard("StandardEncoding"));
  EncodingTable pdfDoc;
  ASSERT_TRUE(pdfDoc.LoadStandard("PDFDocEncoding"));
  std::set<std::string> docNames;
  for (int code = 0; code < 256; ++code) {
    if (const char* name = pdfDoc.FindGlyphName(static_cast<uint8_t>(code))) docNames.insert(name);
  }
  // PDFDocEncoding names every Latin glyph, Euro (also WinAnsiEncoding's) included.
  ASSERT_EQ(docNames.count("Euro"), 1u);

  for (const char* font : kLatinFonts) {
    SCOPED_TRACE(font);
    ExpectCommonForm(font);
    const AFMFile& afm = Font(font);
    EXPECT_EQ(afm.GetCharMetricCount(), 315);
    std::set<std::string> names;
    int encoded = 0;
    for (const AFMCharMetric* m : Entries(afm)) {
      names.insert(m->N.c_str());
      if (m->C == -1) continue;
      ++encoded;
      ASSERT_TRUE(m->C >= 0 && m->C < 256) << m->C;
      const char* standardName = standard.FindGlyphName(static_cast<uint8_t>(m->C));
      EXPECT_STREQ(m->N.c_str(), standardName ? standardName : "(none)") << m->C;
    }
    int standardCodes = 0;
    for (int code = 0; code < 256; ++code) {
      standardCodes += standard.FindGlyphName(static_cast<uint8_t>(code)) != nullptr;
    }
    EXPECT_EQ(encoded, standardCodes);
    EXPECT_EQ(encoded, 149);
    // Every name of PDFDocEncoding, and the Central European letters and
    // signs that encodings with Differences name.
    for (const std::string& name : docNames) EXPECT_EQ(names.count(name), 1u) << name;
    for (const char* name : {"nacute", "Zdotaccent", "rcaron", "gbreve", "Delta", "lozenge"})
      EXPECT_EQ(names.count(name), 1u) << name;
    EXPECT_EQ(Glyph(font, "Euro").C, -1);
    EXPECT_FALSE(afm.GetCharMetric("apple"));
    for (auto [code, name] : std::map<int, const char*>{{39, "quoteright"},
                                                        {96, "quoteleft"},
                                                        {169, "quotesingle"},
                                                        {193, "grave"},
                                                        {102, "f"},
                                                        {174, "fi"},
                                                        {177, "endash"},
                                                        {208, "emdash"},
                                                        {-1, "minus"},
                                                        {-1, "Adieresis"}}) {
      EXPECT_EQ(Glyph(font, name).C, code) << name;
    }
  }
}

TEST(LatinGlyphSet, SharedListKeepsItsRowOrder) {
  using namespace standardmetrics;
  auto name = [](int row) { return StandardFontString(kLatinGlyphs[row - 1].name); };
  EXPECT_STREQ(name(1), "space");
  EXPECT_STREQ(name(149), "germandbls");
  EXPECT_EQ(kLatinGlyphs[148].code, 251);
  EXPECT_STREQ(name(150), "onesuperior");
  EXPECT_EQ(kLatinGlyphs[149].code, -1);
  EXPECT_STREQ(name(228), "ecircumflex");
  EXPECT_STREQ(name(229), "Euro");
  EXPECT_STREQ(name(230), "abreve");
  EXPECT_STREQ(name(315), "imacron");
  // Encoded rows ascend, then every row is unencoded.
  for (int i = 1; i < kLatinGlyphCount; ++i) {
    if (i < 149) {
      EXPECT_GT(kLatinGlyphs[i].code, kLatinGlyphs[i - 1].code);
    } else {
      EXPECT_EQ(kLatinGlyphs[i].code, -1);
    }
  }
  // The twelve Latin fonts add their rows from this list.
  for (int f = kCourier; f <= kTimesBoldItalic; ++f) {
    EXPECT_EQ(kStandardFontTables[f].glyphs, kLatinGlyphs);
    EXPECT_EQ(kStandardFontTables[f].rowCount, kLatinGlyphCount);
  }
}

// --- Latin metrics -----------------------------------------------------------------

// Width classes: the glyphs of one row share one width per font, in the
// columns Helvetica(-Oblique), Helvetica-Bold(-BoldOblique), Times-Roman,
// Times-Bold, Times-Italic, Times-BoldItalic.
struct WidthClass {
  int32_t widths[6];
  std::vector<const char*> glyphs;
};
const WidthClass kWidthClasses[] = {
    {{278, 278, 250, 250, 250, 250}, {"space", "comma", "period", "periodcentered"}},
    {{556, 556, 500, 500, 500, 500},
     {"zero",   "one",      "two",       "three",         "four",           "five",
      "six",    "seven",    "eight",     "nine",          "numbersign",     "dollar",
      "cent",   "sterling", "yen",       "florin",        "section",        "currency",
      "endash", "dagger",   "daggerdbl", "guillemotleft", "guillemotright", "underscore"}},
    {{333, 333, 333, 333, 333, 333},
     {"parenleft", "parenright", "hyphen", "guilsinglleft", "guilsinglright", "grave", "acute",
      "circumflex", "tilde", "macron", "breve", "dotaccent", "dieresis", "ring", "cedilla",
      "hungarumlaut", "ogonek", "caron"}},
    {{278, 278, 278, 278, 278, 278},
     {"slash", "backslash", "dotlessi", "iacute", "icircumflex", "idieresis", "igrave"}},
    {{222, 278, 333, 333, 333, 333}, {"quoteleft", "quoteright", "quotesinglbase"}},
    {{333, 500, 444, 500, 556, 500}, {"quotedblleft", "quotedblright", "quotedblbase"}},
    {{278, 333, 278, 333, 333, 333}, {"colon", "semicolon"}},
    {{278, 333, 333, 333, 389, 333}, {"bracketleft", "bracketright"}},
    {{334, 389, 480, 394, 400, 348}, {"braceleft", "braceright"}},
    {{260, 280, 200, 220, 275, 220}, {"bar", "brokenbar"}},
    {{500, 611, 556, 556, 500, 556}, {"fi", "fl"}},
    {{584, 584, 564, 570, 675, 570},
     {"plus", "less", "equal", "greater", "multiply", "divide", "plusminus"}},
    {{584, 584, 564, 570, 675, 606}, {"minus", "logicalnot"}},
    {{333, 333, 300, 300, 300, 300}, {"onesuperior", "twosuperior", "threesuperior"}},
    {{834, 834, 750, 750, 750, 750}, {"onequarter", "onehalf", "threequarters"}},
    {{737, 737, 760, 747, 760, 747}, {"copyright", "registered"}},
    {{1000, 1000, 1000, 1000, 889, 1000}, {"ellipsis", "emdash"}},
    {{1000, 1000, 1000, 1000, 1000, 1000}, {"perthousand"}},
    {{167, 167, 167, 167, 167, 167}, {"fraction"}},
};
const std::vector<std::vector<const char*>> kWidthColumns = {
    {"Helvetica", "Helvetica-Oblique"},
    {"Helvetica-Bold", "Helvetica-BoldOblique"},
    {"Times-Roman"},
    {"Times-Bold"},
    {"Times-Italic"},
    {"Times-BoldItalic"}};

TEST(LatinMetrics, WidthsFollowTheFamilyRules) {
  for (const char* font : {"Courier", "Courier-Bold", "Courier-BoldOblique", "Courier-Oblique"}) {
    for (const AFMCharMetric* m : Entries(Font(font)))
      EXPECT_EQ(m->WX, 600) << font << m->N.c_str();
  }
  for (const WidthClass& c : kWidthClasses) {
    for (size_t col = 0; col < kWidthColumns.size(); ++col) {
      for (const char* font : kWidthColumns[col]) {
        for (const char* glyph : c.glyphs)
          EXPECT_EQ(Width(font, glyph), c.widths[col]) << font << " " << glyph;
      }
    }
  }
  const std::vector<std::pair<const char*, const char*>> related = {
      {"Eth", "D"},    {"Thorn", "P"}, {"Lslash", "L"}, {"lslash", "l"},
      {"Oslash", "O"}, {"eth", "o"},   {"thorn", "p"}};
  const char* const accents[] = {"acute", "grave", "circumflex", "dieresis",
                                 "tilde", "ring",  "cedilla",    "caron"};
  for (const char* font : kLatinFonts) {
    SCOPED_TRACE(font);
    for (auto [a, b] : related) EXPECT_EQ(Width(font, a), Width(font, b)) << a;
    // A letter followed by an accent name has its letter's width; the
    // accented i's have that of dotlessi.
    int accented = 0;
    for (const AFMCharMetric* m : Entries(Font(font))) {
      const std::string name = m->N.c_str();
      for (const char* accent : accents) {
        const std::string suffix = accent;
        if (name.size() <= suffix.size() ||
            name.compare(name.size() - suffix.size(), std::string::npos, suffix) != 0)
          continue;
        std::string base = name.substr(0, name.size() - suffix.size());
        if (!Font(font).GetCharMetric(base.c_str())) continue;
        ++accented;
        EXPECT_EQ(m->C, -1) << name;
        if (base == "i") base = "dotlessi";
        // The carons of d, l and t (and of L in Times-Italic) stand beside
        // the letter and widen it, but for the fixed pitch.
        const bool wider = std::strncmp(font, "Courier", 7) != 0 &&
                           (name == "dcaron" || name == "lcaron" || name == "tcaron" ||
                            (name == "Lcaron" && std::string(font) == "Times-Italic"));
        EXPECT_EQ(m->WX > Width(font, base.c_str()), wider) << name;
        if (!wider) {
          EXPECT_EQ(m->WX, Width(font, base.c_str())) << name;
        }
      }
    }
    EXPECT_EQ(accented, 88);
    const bool narrowI =
        std::string(font) == "Helvetica" || std::string(font) == "Helvetica-Oblique";
    EXPECT_EQ(Width(font, "i") == Width(font, "dotlessi"), !narrowI);
  }
  EXPECT_EQ(Width("Helvetica", "i"), 222);
  EXPECT_EQ(Width("Helvetica", "iacute"), 278);
  EXPECT_EQ(Width("Helvetica-Bold", "i"), 278);
  EXPECT_EQ(Width("Helvetica-Bold", "iacute"), 278);
  EXPECT_EQ(Width("Helvetica", "at"), 1015);
  EXPECT_EQ(Width("Helvetica-Bold", "at"), 975);
  EXPECT_EQ(Width("Times-Italic", "emdash"), 889);
  EXPECT_EQ(Width("Times-Italic", "ellipsis"), 889);
  EXPECT_EQ(Width("Times-Italic", "perthousand"), 1000);
  EXPECT_EQ(Width("Times-BoldItalic", "minus"), 606);
  EXPECT_EQ(Width("Times-BoldItalic", "plus"), 570);
  for (const char* font : kLatinFonts) {
    if (std::string(font) != "Times-BoldItalic") {
      EXPECT_EQ(Width(font, "minus"), Width(font, "plus")) << font;
    }
  }
}

TEST(LatinMetrics, FamiliesHaveWidthSetsAndBoxTablesOfTheirOwn) {
  auto differ = [](const char* a, const char* b) {
    int n = 0;
    for (const AFMCharMetric* m : Entries(Font(a))) n += m->WX != Width(b, m->N.c_str());
    return n;
  };
  EXPECT_GE(differ("Helvetica", "Helvetica-Bold"), 76);
  const char* const times[] = {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"};
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j)
      EXPECT_GE(differ(times[i], times[j]), 68) << times[i] << times[j];
  }
  const std::set<std::set<std::string>> twins = {{"Courier", "Courier-Oblique"},
                                                 {"Courier-Bold", "Courier-BoldOblique"},
                                                 {"Helvetica", "Helvetica-Oblique"},
                                                 {"Helvetica-Bold", "Helvetica-BoldOblique"}};
  for (int i = 0; i < 12; ++i) {
    for (int j = i + 1; j < 12; ++j) {
      if (twins.count({kLatinFonts[i], kLatinFonts[j]})) continue;
      int shared = 0;
      // Euro has no box in any of them.
      for (const AFMCharMetric* m : Entries(Font(kLatinFonts[i])))
        shared += std::strcmp(m->N.c_str(), "Euro") != 0 &&
                  BoxOf(*m) == BoxOf(kLatinFonts[j], m->N.c_str());
      EXPECT_GE(shared, 1);  // space
      // Times-Bold and Times-BoldItalic share their mathematical signs.
      EXPECT_LE(shared, 18) << kLatinFonts[i] << " " << kLatinFonts[j];
    }
  }
}

// A slanted font has its upright twin's widths and vertical extents; its
// horizontal extents follow the twin's box slanted by 12 degrees within one
// unit, and it keeps the twin's whole box only for a few glyphs.
TEST(LatinMetrics, SlantedTwinsAreTheirUprightFontsSlanted) {
  const struct {
    const char* slanted;
    const char* upright;
    std::set<std::string> kept;
  } pairs[] = {
      {"Courier-Oblique", "Courier", {"space", "Euro", "Delta"}},
      {"Courier-BoldOblique", "Courier-Bold", {"space", "Euro", "Delta"}},
      {"Helvetica-Oblique",
       "Helvetica",
       {"space", "Euro", "Delta", "A", "Aring", "Agrave", "Acircumflex", "Adieresis", "Aogonek"}},
      {"Helvetica-BoldOblique",
       "Helvetica-Bold",
       {"space", "Euro", "Delta", "A", "Aring", "Agrave"}},
  };
  const double tangent = std::tan(12.0 * M_PI / 180.0);
  for (const auto& pair : pairs) {
    SCOPED_TRACE(pair.slanted);
    std::set<std::string> kept;
    for (const AFMCharMetric* s : Entries(Font(pair.slanted))) {
      const AFMCharMetric& u = Glyph(pair.upright, s->N.c_str());
      EXPECT_EQ(s->WX, u.WX) << s->N.c_str();
      EXPECT_EQ(s->B[1], u.B[1]) << s->N.c_str();
      EXPECT_EQ(s->B[3], u.B[3]) << s->N.c_str();
      EXPECT_GE(s->B[0], u.B[0] + u.B[1] * tangent - 1) << s->N.c_str();
      EXPECT_LE(s->B[2], u.B[2] + u.B[3] * tangent + 1) << s->N.c_str();
      if (BoxOf(*s) == BoxOf(u)) kept.insert(s->N.c_str());
    }
    EXPECT_EQ(kept, pair.kept);
  }
  EXPECT_EQ(Width("Helvetica-Oblique", "exclam"), 278);
  EXPECT_EQ(BoxOf("Helvetica-Oblique", "exclam"), (Box{90, 0, 340, 718}));
  EXPECT_EQ(BoxOf("Helvetica", "exclam"), (Box{90, 0, 187, 718}));
}

TEST(LatinMetrics, TellingBoxesAndTheGlyphsOnTheFontBoxEdges) {
  // "A", "a", "zero", "emdash" of each font.
  const std::map<std::string, std::array<Box, 4>> telling = {
      {"Courier",
       {{{3, 0, 597, 562}, {53, -15, 559, 441}, {106, -15, 494, 622}, {0, 231, 600, 285}}}},
      {"Courier-Bold",
       {{{-9, 0, 609, 562}, {35, -15, 570, 454}, {87, -15, 513, 616}, {-10, 203, 610, 313}}}},
      {"Courier-Oblique",
       {{{3, 0, 607, 562}, {76, -15, 569, 441}, {154, -15, 575, 622}, {49, 231, 661, 285}}}},
      {"Courier-BoldOblique",
       {{{-9, 0, 632, 562}, {61, -15, 593, 454}, {135, -15, 593, 616}, {33, 203, 677, 313}}}},
      {"Helvetica",
       {{{14, 0, 654, 718}, {36, -15, 530, 538}, {37, -19, 519, 703}, {0, 240, 1000, 313}}}},
      {"Helvetica-Bold",
       {{{20, 0, 702, 718}, {29, -14, 527, 546}, {32, -19, 524, 710}, {0, 227, 1000, 333}}}},
      {"Helvetica-Oblique",
       {{{14, 0, 654, 718}, {61, -15, 559, 538}, {93, -19, 608, 703}, {51, 240, 1067, 313}}}},
      {"Helvetica-BoldOblique",
       {{{20, 0, 702, 718}, {55, -14, 583, 546}, {86, -19, 617, 710}, {48, 227, 1071, 333}}}},
      {"Times-Roman",
       {{{15, 0, 706, 674}, {37, -10, 442, 460}, {24, -14, 476, 676}, {0, 201, 1000, 250}}}},
      {"Times-Bold",
       {{{9, 0, 689, 690}, {25, -14, 488, 473}, {24, -13, 476, 688}, {0, 181, 1000, 271}}}},
      {"Times-Italic",
       {{{-51, 0, 564, 668}, {17, -11, 476, 441}, {32, -7, 497, 676}, {-6, 197, 894, 243}}}},
      {"Times-BoldItalic",
       {{{-67, 0, 593, 683}, {-21, -14, 455, 462}, {17, -14, 477, 683}, {-40, 178, 977, 269}}}},
  };
  for (const auto& [font, boxes] : telling) {
    int i = 0;
    for (const char* glyph : {"A", "a", "zero", "emdash"})
      EXPECT_EQ(BoxOf(font, glyph), boxes[i++]) << font << " " << glyph;
  }
  EXPECT_EQ(Glyph("Courier", "trademark").C, -1);
  EXPECT_EQ(BoxOf("Courier", "trademark"), (Box{-23, 263, 623, 562}));
  EXPECT_EQ(BoxOf("Courier", "exclam"), (Box{236, -15, 364, 572}));
  EXPECT_EQ(BoxOf("Times-BoldItalic", "germandbls"), (Box{-200, -200, 473, 705}));
  for (const char* font : {"Courier-Bold", "Courier-BoldOblique"}) {
    EXPECT_EQ(Glyph(font, "trademark").B[2], Font(font).FontBBox[2]) << font;
  }
  for (const char* font : {"Courier", "Courier-Oblique"}) {
    EXPECT_EQ(Glyph(font, "dcaron").B[2], Font(font).FontBBox[2]) << font;
  }
  for (const char* font : {"Helvetica", "Helvetica-Bold", "Helvetica-BoldOblique",
                           "Helvetica-Oblique", "Times-Roman", "Times-Bold", "Times-Italic"}) {
    EXPECT_EQ(Glyph(font, "fraction").B[0], Font(font).FontBBox[0]) << font;
  }
}

// --- Symbol and ZapfDingbats ------------------------------------------------------

struct Row {
  int32_t code;
  const char* name;
  int32_t wx;
  Box box;
};

void ExpectRows(const char* font, const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    const AFMCharMetric& m = Glyph(font, r.name);
    EXPECT_EQ(m.C, r.code) << r.name;
    EXPECT_EQ(m.WX, r.wx) << r.name;
    EXPECT_EQ(BoxOf(m), r.box) << r.name;
  }
}

// The rows of a font with whole rows, in table order.
std::vector<std::string> TableOrder(standardmetrics::StandardFont font) {
  using namespace standardmetrics;
  std::vector<std::string> names;
  const StandardFontTable& t = kStandardFontTables[font];
  for (int i = 0; i < t.rowCount; ++i) names.push_back(StandardFontString(t.rows[i].glyph.name));
  return names;
}

TEST(SymbolMetrics, GlyphSetCodesAndMetrics) {
  ExpectCommonForm("Symbol");
  const AFMFile& afm = Font("Symbol");
  EXPECT_EQ(afm.GetCharMetricCount(), 190);
  const std::vector<std::string> order = TableOrder(standardmetrics::kSymbol);
  ASSERT_EQ(order.size(), 190u);
  EXPECT_EQ(order[188], "bracerightbt");
  EXPECT_EQ(order[189], "apple");
  std::set<int32_t> codes;
  for (const AFMCharMetric* m : Entries(afm)) codes.insert(m->C);
  std::set<int32_t> expected = {-1};
  for (int c = 32; c <= 254; ++c) {
    if (c <= 126 || (c >= 160 && c != 240)) expected.insert(c);
  }
  EXPECT_EQ(codes, expected);
  ExpectRows("Symbol", {{32, "space", 250, {0, 0, 0, 0}},
                        {48, "zero", 500, {24, -14, 476, 685}},
                        {65, "Alpha", 722, {4, 0, 684, 673}},
                        {96, "radicalex", 500, {480, 881, 1090, 917}},
                        {97, "alpha", 631, {41, -18, 622, 500}},
                        {160, "Euro", 750, {20, -12, 714, 685}},
                        {164, "fraction", 167, {-180, -12, 340, 677}},
                        {171, "arrowboth", 1042, {24, -15, 1024, 511}},
                        {189, "arrowvertex", 603, {280, -120, 336, 1010}},
                        {190, "arrowhorizex", 1000, {-60, 220, 1050, 276}},
                        {229, "summation", 713, {14, -108, 695, 752}},
                        {242, "integral", 274, {2, -107, 291, 916}},
                        {-1, "apple", 790, {56, -3, 733, 808}}});
  EXPECT_EQ(Glyph("Symbol", "Upsilon1").C, 161);
  EXPECT_EQ(Glyph("Symbol", "minus").C, 45);
  EXPECT_EQ(Width("Symbol", "minus"), 549);
  for (const char* absent : {"A", "a", "hyphen", "Euro ", "quoteright"})
    EXPECT_FALSE(afm.GetCharMetric(absent)) << absent;

  const std::map<int32_t, int> widths = WidthCounts(afm);
  EXPECT_EQ(widths.size(), 52u);
  EXPECT_EQ(widths.at(549), 24);
  for (auto [wx, n] : widths) EXPECT_LE(n, 24) << wx;
  EXPECT_EQ(widths.begin()->first, 167);
  EXPECT_EQ(widths.rbegin()->first, 1042);
  int beyondAdvance = 0, leftOfOrigin = 0, baseline = 0, capTop = 0;
  for (const AFMCharMetric* m : Entries(afm)) {
    beyondAdvance += m->B[2] > m->WX;
    leftOfOrigin += m->B[0] < 0;
    baseline += m->B[1] == 0;
    capTop += m->B[3] == 673;
  }
  EXPECT_EQ(beyondAdvance, 20);
  EXPECT_EQ(leftOfOrigin, 7);
  EXPECT_EQ(baseline, 48);
  EXPECT_EQ(capTop, 31);
  EXPECT_EQ((Box{afm.FontBBox[0], afm.FontBBox[1], afm.FontBBox[2], afm.FontBBox[3]}),
            (Box{-180, -293, 1090, 1010}));
}

TEST(ZapfDingbatsMetrics, GlyphSetCodesAndSideBearings) {
  ExpectCommonForm("ZapfDingbats");
  const AFMFile& afm = Font("ZapfDingbats");
  EXPECT_EQ(afm.GetCharMetricCount(), 202);
  const std::vector<std::string> order = TableOrder(standardmetrics::kZapfDingbats);
  ASSERT_EQ(order.size(), 202u);
  // Every glyph has the code of the AFM file, the rows ascending by code;
  // 128 to 141 are the glyphs real files use there.
  EXPECT_EQ(order[94], "a100");
  EXPECT_EQ(order[95], "a89");
  EXPECT_EQ(order[108], "a96");
  EXPECT_EQ(order[201], "a191");
  const std::vector<std::string> high(order.begin() + 95, order.begin() + 109);
  EXPECT_EQ(high, (std::vector<std::string>{"a89", "a90", "a93", "a94", "a91", "a92", "a205", "a85",
                                            "a206", "a86", "a87", "a88", "a95", "a96"}));
  for (size_t i = 0; i < high.size(); ++i)
    EXPECT_EQ(Glyph("ZapfDingbats", high[i].c_str()).C, static_cast<int32_t>(128 + i)) << high[i];
  int encoded = 0;
  for (const AFMCharMetric* m : Entries(afm)) {
    EXPECT_NE(m->C, -1) << m->N.c_str();
    ++encoded;
    EXPECT_TRUE((m->C >= 32 && m->C <= 126) || (m->C >= 128 && m->C <= 141) ||
                (m->C >= 161 && m->C <= 254 && m->C != 240))
        << m->C;
  }
  EXPECT_EQ(encoded, 202);
  EXPECT_EQ(Glyph("ZapfDingbats", "a101").C, 161);
  EXPECT_EQ(Glyph("ZapfDingbats", "a201").C, 241);
  EXPECT_EQ(Glyph("ZapfDingbats", "a1").C, 33);
  EXPECT_EQ(Glyph("ZapfDingbats", "a6").C, 61);
  for (const char* absent : {"a80", "a113", "a114", "a115", "a116", "a207", "a0", "A1"})
    EXPECT_FALSE(afm.GetCharMetric(absent)) << absent;

  for (int n = 120; n <= 159; ++n) {
    const std::string name = "a" + std::to_string(n);
    EXPECT_EQ(Width("ZapfDingbats", name.c_str()), 788) << name;
    EXPECT_EQ(BoxOf("ZapfDingbats", name.c_str()), (Box{35, -14, 754, 705})) << name;
  }
  ExpectRows("ZapfDingbats", {{32, "space", 278, {0, 0, 0, 0}},
                              {33, "a1", 974, {35, 72, 939, 621}},
                              {55, "a23", 571, {-1, -68, 571, 661}},
                              {120, "a82", 138, {35, 0, 104, 692}},
                              {161, "a101", 732, {35, -143, 697, 806}},
                              {162, "a102", 544, {56, -14, 488, 706}},
                              {167, "a108", 760, {0, 121, 758, 569}},
                              {172, "a120", 788, {35, -14, 754, 705}},
                              {214, "a163", 1016, {34, 152, 981, 540}},
                              {215, "a164", 458, {35, -127, 422, 820}},
                              {254, "a191", 918, {34, 99, 884, 593}},
                              {137, "a86", 410, {35, 0, 375, 692}},
                              {139, "a88", 234, {35, -14, 199, 705}}});
  // Side bearings of the glyphs other than space; a117 at the newer AFM
  // file's 34 would give 174 and 17.
  std::map<int32_t, int> llx;
  int rightBearings = 0;
  for (const AFMCharMetric* m : Entries(afm)) {
    if (m->N.IsEqual("space")) continue;
    ++llx[m->B[0]];
    rightBearings += m->WX - m->B[2] >= 33 && m->WX - m->B[2] <= 37;
  }
  EXPECT_EQ(llx[35], 175);
  EXPECT_EQ(llx[34], 16);
  EXPECT_EQ(llx[36], 6);
  EXPECT_EQ(rightBearings, 194);
  EXPECT_EQ(BoxOf("ZapfDingbats", "a117"), (Box{35, 138, 655, 553}));

  const std::map<int32_t, int> widths = WidthCounts(afm);
  EXPECT_EQ(widths.size(), 108u);
  EXPECT_EQ(widths.at(788), 43);
}

}  // namespace
