#include "pdf/metrics/CIDMetrics.h"

#include <charconv>

#include "pdf/font/AFMFile.h"

bool FillCIDMetrics(AFMFile& afm, const CIDMetricTable& table) {
  bool complete = true;
  complete &= afm.FontName.Assign(table.fontName);
  complete &= afm.Weight.Assign(table.weight);
  for (int i = 0; i < 4; ++i) afm.FontBBox[i] = table.fontBBox[i];
  complete &= afm.Version.Assign(table.version);
  complete &= afm.CharacterSet.Assign(table.characterSet);
  afm.Characters = table.characters;
  afm.IsBaseFont = true;
  afm.IsCIDFont = true;
  afm.CapHeight = table.capHeight;
  afm.Ascender = table.ascender;
  afm.Descender = table.descender;
  afm.UnderlinePosition = table.underlinePosition;
  afm.UnderlineThickness = table.underlineThickness;
  afm.ItalicAngle = table.italicAngle;

  const CIDWidthRun* run = table.widths;
  const CIDWidthRun* const runEnd = table.widths + table.widthRunCount;
  char name[16];  // the longest int32_t in decimal and its NUL
  for (int32_t cid = 0; cid < table.characters; ++cid) {
    while (run != runEnd && cid > run->last) ++run;
    // The generator covers every CID with a run; a gap would mean a broken
    // table, and the row would say so with a width of 0.
    const int32_t width = run != runEnd && cid >= run->first ? run->width : 0;
    const auto formatted = std::to_chars(name, name + sizeof name - 1, cid);
    *formatted.ptr = '\0';
    const int16_t* box = table.boxes[cid];
    complete &= afm.AddCIDMetric(cid, -1, width, 0, 0, 0, name, box[0], box[1], box[2], box[3]);
  }
  return complete;
}

bool AFMFile::FillHeiseiMinW3() { return FillCIDMetrics(*this, kHeiseiMinW3Table); }

bool AFMFile::FillHeiseiKakuGoW5() { return FillCIDMetrics(*this, kHeiseiKakuGoW5Table); }
