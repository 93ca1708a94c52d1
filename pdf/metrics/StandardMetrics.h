#pragma once
// The built-in metrics of the fourteen standard fonts (Courier, Helvetica
// and Times with their bold and slanted forms, Symbol, ZapfDingbats): what
// reading each font's AFM file would leave in an AFMFile record, for when no
// such file can be read.
//
// The tables are constant data (generated/StandardFontTables.cpp, written by
// tools/metrics/gen_standard_metrics.py); one routine fills a record from a
// table. Names and header strings are held as offsets into one string pool,
// so the tables need neither constructors nor relocations.
#include <cstdint>

class AFMFile;

namespace standardmetrics {

// In the order in which AFMFile::LoadBuiltIn compares the names.
enum StandardFont {
  kCourier,
  kCourierBold,
  kCourierBoldOblique,
  kCourierOblique,
  kHelvetica,
  kHelveticaBold,
  kHelveticaBoldOblique,
  kHelveticaOblique,
  kTimesRoman,
  kTimesBold,
  kTimesItalic,
  kTimesBoldItalic,
  kSymbol,
  kZapfDingbats,
  kStandardFontCount
};

// Bits of StandardFontHeader::set: bit i says that numbers[i] is set, in
// the order of the record's fields; the last says that IsFixedPitch is.
enum : uint16_t {
  kSetCapHeight = 1u << 0,
  kSetXHeight = 1u << 1,
  kSetAscender = 1u << 2,
  kSetDescender = 1u << 3,
  kSetStdHW = 1u << 4,
  kSetStdVW = 1u << 5,
  kSetUnderlinePosition = 1u << 6,
  kSetUnderlineThickness = 1u << 7,
  kSetItalicAngle = 1u << 8,
  kSetIsFixedPitch = 1u << 9,
};
inline constexpr int kHeaderNumberCount = 9;

// One font's header. Strings are offsets into kStandardFontStrings.
struct StandardFontHeader {
  uint16_t fontName;
  uint16_t fullName;
  uint16_t familyName;
  uint16_t weight;
  int16_t fontBBox[4];
  uint16_t version;
  uint16_t encodingScheme;
  // CapHeight, XHeight, Ascender, Descender, StdHW, StdVW,
  // UnderlinePosition, UnderlineThickness, ItalicAngle.
  int16_t numbers[kHeaderNumberCount];
  uint16_t set;  // kSet* bits
};

// A glyph's name (offset into kStandardFontStrings) and code (-1: none).
struct StandardGlyph {
  uint16_t name;
  int16_t code;
};

// A glyph's advance width and box.
struct StandardGlyphMetrics {
  int16_t wx;
  int16_t llx;
  int16_t lly;
  int16_t urx;
  int16_t ury;
};

// A whole row, for the fonts with a glyph set of their own.
struct StandardSymbolicRow {
  StandardGlyph glyph;
  StandardGlyphMetrics metrics;
};

// One font: its header and its rows in the order the fill adds them. The
// Latin fonts take names and codes from the shared list (glyphs) and their
// own metrics; Symbol and ZapfDingbats have whole rows (rows).
struct StandardFontTable {
  StandardFontHeader header;
  uint16_t rowCount;
  const StandardGlyph* glyphs;
  const StandardGlyphMetrics* metrics;
  const StandardSymbolicRow* rows;
};

inline constexpr int kLatinGlyphCount = 315;

extern const char kStandardFontStrings[];
extern const StandardGlyph kLatinGlyphs[kLatinGlyphCount];
extern const StandardFontTable kStandardFontTables[kStandardFontCount];

inline const char* StandardFontString(uint16_t offset) { return kStandardFontStrings + offset; }

// Fills the record from the table: FontName, FullName, FamilyName, Weight,
// FontBBox, Version, EncodingScheme, the numbers the table sets, then
// IsFixedPitch when it sets that, then one AddCharMetric per row in table
// order. Touches nothing else and clears nothing. False when a string or a
// row could not be stored (out of memory): such a record is incomplete.
bool FillStandardFont(AFMFile& record, const StandardFontTable& table);

}  // namespace standardmetrics
