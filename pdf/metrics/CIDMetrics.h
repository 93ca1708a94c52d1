#pragma once
// The built-in metrics of the two CID-keyed Japanese fonts, HeiseiMin-W3 and
// HeiseiKakuGo-W5 (character collection Adobe-Japan1-2, CIDs 0 to 8719).
// Each font is one constant table (generated/CIDFontTables.cpp, written by
// tools/metrics/gen_cid_metrics.py): its header values, its advance widths
// as runs of equal widths, and one glyph box per CID. FillCIDMetrics puts a
// table into an AFMFile in the form the AFM reader gives a CID font file.
#include <cstdint>

class AFMFile;

// CIDs first..last (inclusive) all advance by width.
struct CIDWidthRun {
  uint16_t first;
  uint16_t last;
  int16_t width;
};

struct CIDMetricTable {
  const char* fontName;
  const char* weight;
  int16_t fontBBox[4];
  const char* version;
  const char* characterSet;
  int32_t characters;  // rows: CIDs 0 to characters - 1
  int16_t capHeight;
  int16_t ascender;
  int16_t descender;
  int16_t underlinePosition;
  int16_t underlineThickness;
  int16_t italicAngle;
  const CIDWidthRun* widths;  // ascending, covering 0 to characters - 1
  int32_t widthRunCount;
  const int16_t (*boxes)[4];  // [characters]: llx, lly, urx, ury
};

extern const CIDMetricTable kHeiseiMinW3Table;
extern const CIDMetricTable kHeiseiKakuGoW5Table;

// Sets the fourteen header fields (FontName, Weight, FontBBox, Version,
// CharacterSet, Characters, IsBaseFont, IsCIDFont, CapHeight, Ascender,
// Descender, UnderlinePosition, UnderlineThickness, ItalicAngle, in that
// order), then adds one by-CID entry per CID in ascending order: C -1, the
// CID's width, WY 0, VV 0 0, N the CID in decimal, the CID's box. Nothing
// else of the record is touched; an entry already held under a CID is
// replaced. False when memory ran out for a header text or an entry: the
// record then lacks a row that Characters promises and must not be kept.
bool FillCIDMetrics(AFMFile& afm, const CIDMetricTable& table);
