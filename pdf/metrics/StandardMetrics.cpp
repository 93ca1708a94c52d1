#include "pdf/metrics/StandardMetrics.h"

#include "pdf/font/AFMFile.h"

namespace standardmetrics {

bool FillStandardFont(AFMFile& record, const StandardFontTable& table) {
  const StandardFontHeader& header = table.header;
  bool complete = true;
  complete &= record.FontName.Assign(StandardFontString(header.fontName));
  complete &= record.FullName.Assign(StandardFontString(header.fullName));
  complete &= record.FamilyName.Assign(StandardFontString(header.familyName));
  complete &= record.Weight.Assign(StandardFontString(header.weight));
  for (int i = 0; i < 4; ++i) record.FontBBox[i] = header.fontBBox[i];
  complete &= record.Version.Assign(StandardFontString(header.version));
  complete &= record.EncodingScheme.Assign(StandardFontString(header.encodingScheme));

  int32_t* const numbers[kHeaderNumberCount] = {
      &record.CapHeight,  &record.XHeight, &record.Ascender,          &record.Descender,
      &record.StdHW,      &record.StdVW,   &record.UnderlinePosition, &record.UnderlineThickness,
      &record.ItalicAngle};
  for (int i = 0; i < kHeaderNumberCount; ++i) {
    if (header.set & (1u << i)) *numbers[i] = header.numbers[i];
  }
  if (header.set & kSetIsFixedPitch) record.IsFixedPitch = true;

  for (int i = 0; i < table.rowCount; ++i) {
    const StandardGlyph& glyph = table.rows ? table.rows[i].glyph : table.glyphs[i];
    const StandardGlyphMetrics& m = table.rows ? table.rows[i].metrics : table.metrics[i];
    const char* name = StandardFontString(glyph.name);
    complete &=
        record.AddCharMetric(name, glyph.code, m.wx, 0, 0, 0, name, m.llx, m.lly, m.urx, m.ury);
  }
  return complete;
}

}  // namespace standardmetrics

using standardmetrics::FillStandardFont;
using standardmetrics::kStandardFontTables;
namespace sm = standardmetrics;

bool AFMFile::FillCourier() { return FillStandardFont(*this, kStandardFontTables[sm::kCourier]); }
bool AFMFile::FillCourierBold() {
  return FillStandardFont(*this, kStandardFontTables[sm::kCourierBold]);
}
bool AFMFile::FillCourierBoldOblique() {
  return FillStandardFont(*this, kStandardFontTables[sm::kCourierBoldOblique]);
}
bool AFMFile::FillCourierOblique() {
  return FillStandardFont(*this, kStandardFontTables[sm::kCourierOblique]);
}
bool AFMFile::FillHelvetica() {
  return FillStandardFont(*this, kStandardFontTables[sm::kHelvetica]);
}
bool AFMFile::FillHelveticaBold() {
  return FillStandardFont(*this, kStandardFontTables[sm::kHelveticaBold]);
}
bool AFMFile::FillHelveticaBoldOblique() {
  return FillStandardFont(*this, kStandardFontTables[sm::kHelveticaBoldOblique]);
}
bool AFMFile::FillHelveticaOblique() {
  return FillStandardFont(*this, kStandardFontTables[sm::kHelveticaOblique]);
}
bool AFMFile::FillTimesRoman() {
  return FillStandardFont(*this, kStandardFontTables[sm::kTimesRoman]);
}
bool AFMFile::FillTimesBold() {
  return FillStandardFont(*this, kStandardFontTables[sm::kTimesBold]);
}
bool AFMFile::FillTimesItalic() {
  return FillStandardFont(*this, kStandardFontTables[sm::kTimesItalic]);
}
bool AFMFile::FillTimesBoldItalic() {
  return FillStandardFont(*this, kStandardFontTables[sm::kTimesBoldItalic]);
}
bool AFMFile::FillSymbol() { return FillStandardFont(*this, kStandardFontTables[sm::kSymbol]); }
bool AFMFile::FillZapfDingbats() {
  return FillStandardFont(*this, kStandardFontTables[sm::kZapfDingbats]);
}
