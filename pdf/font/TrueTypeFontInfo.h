#pragma once
// The metrics of one installed TrueType face under one character set, as the
// TrueType fonts measure text with them: the names and character set of the
// face, the range of byte codes it measures, its outline metrics and one
// A/B/C width per code, all at 1000 units per em (thousandths of the text
// size). The TrueType cache of the environment owns the records; a font
// source delivers them.
//
// The field names follow the system font interface the records stand for;
// nothing serialises the structures.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pdf/font/FontResourceCache.h"
#include "pdf/object/TempString.h"

// The widths of one glyph: A the space before the ink, B the width of the
// ink, C the space after it; A + B + C is the advance.
struct ABC {
  int32_t A = 0;
  uint32_t B = 0;
  int32_t C = 0;
};

// The character sets the cache keeps.
enum TrueTypeCharSet : uint8_t {
  kAnsiCharSet = 0,        // Windows code page 1252
  kMacCharSet = 77,        // Mac Roman
  kShiftJISCharSet = 128,  // code page 932
};

// The logical font: how the face is asked for.
struct TrueTypeLogFont {
  int32_t lfHeight = 0;  // -1000: the em is 1000 units
  int32_t lfWidth = 0;
  uint8_t lfCharSet = 0;
  TempString lfFaceName;   // the family
  TempString elfFullName;  // the face's full name, the cache's key
};

// The text metrics: the byte codes the face measures.
struct TrueTypeTextMetric {
  uint8_t tmFirstChar = 0;
  uint8_t tmLastChar = 0;
};

struct TrueTypeRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// The outline metrics, in thousandths of the em.
struct TrueTypeOutlineMetric {
  TrueTypeRect otmrcFontBox;   // the box of every glyph
  int32_t otmMacAscent = 0;    // above the baseline, positive
  int32_t otmMacDescent = 0;   // below the baseline, negative
  int32_t otmItalicAngle = 0;  // tenths of a degree, counter-clockwise from vertical
  uint8_t otmPanoseNumber[10] = {};
};

class TrueTypeFontInfo : public FontCacheItem {
 public:
  TrueTypeFontInfo() = default;
  TrueTypeFontInfo(const TrueTypeFontInfo&) = delete;
  TrueTypeFontInfo& operator=(const TrueTypeFontInfo&) = delete;
  ~TrueTypeFontInfo() override = default;

  // The fixed record of "HeiseiMin-W3" or "HeiseiKakuGo-W5" (exact names),
  // which need no installed font: Shift-JIS, the outline metrics of the
  // face, no widths. None for any other name or when memory runs out.
  static std::unique_ptr<TrueTypeFontInfo> MakeFixed(const char* name);

  // Makes the width array one entry per code from tmFirstChar to
  // tmLastChar, all zero (at most 256 entries). False, with no array, when
  // tmFirstChar > tmLastChar or memory runs out.
  bool AllocWidths();
  bool HasWidths() const { return !widths_.empty(); }
  // The widths of a code; none when the code lies outside
  // tmFirstChar..tmLastChar or the record has no width array.
  const ABC* GetABC(uint8_t code) const;
  ABC* GetABC(uint8_t code) {
    return const_cast<ABC*>(static_cast<const TrueTypeFontInfo*>(this)->GetABC(code));
  }

  TrueTypeLogFont logFont;
  // The face's PostScript name ("DejaVuSans-Bold"), in the host encoding;
  // empty when the source does not know it.
  TempString postScriptName;
  TrueTypeTextMetric textMetric;
  TrueTypeOutlineMetric outlineMetric;

 private:
  std::vector<ABC> widths_;  // code tmFirstChar first; empty when none
};

// Where the installed faces come from. Enumerate hands over one complete
// record (names, character set, first and last code, outline metrics, widths
// at 1000 units per em) per face with TrueType outlines and per character set
// it supports, always in the same order; the cache keeps those of the
// character sets above and, of records with the same full name, the last.
class TrueTypeFontSource {
 public:
  using AddRecord = std::function<void(std::unique_ptr<TrueTypeFontInfo>)>;

  virtual ~TrueTypeFontSource() = default;
  virtual void Enumerate(const AddRecord& add) = 0;
};

// A source without fonts.
class EmptyTrueTypeFontSource : public TrueTypeFontSource {
 public:
  void Enumerate(const AddRecord&) override {}
};
