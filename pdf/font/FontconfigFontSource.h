#pragma once
// The installed faces with TrueType outlines, as fontconfig lists them,
// measured with FreeType: one record per face and per character set it
// supports, delivered by font file and face index, and for one face in the
// order Shift-JIS, Mac, ANSI (the cache keeps the last record of a full
// name, so ANSI, whose codes are those of WinAnsiEncoding, wins).
//
// Every record measures the codes 32 to 255 (codes below 32 are control
// codes and measure nothing): each code becomes a character through the
// record's code page and is measured with the face's glyph for it, or with
// the face's default glyph when there is none. Widths and outline metrics
// are unhinted, at 1000 units per em.
#include <cstdint>
#include <string>
#include <vector>

#include "pdf/font/TrueTypeFontInfo.h"

class FontconfigFontSource : public TrueTypeFontSource {
 public:
  static constexpr uint8_t kFirstCode = 32;
  static constexpr uint8_t kLastCode = 255;

  // The faces of the system's font configuration.
  FontconfigFontSource() = default;
  // Only the faces of the font files in the folder and its subfolders,
  // without the system's configuration.
  explicit FontconfigFontSource(std::string folder) : folder_(std::move(folder)) {}

  void Enumerate(const AddRecord& add) override;

  // The records of face `index` of a font file, under the full name (in the
  // host encoding) and family; nothing when the file does not read as a
  // scalable face or supports none of the character sets.
  static void EnumerateFace(const char* file, int32_t index, const char* fullName,
                            const char* familyName, const AddRecord& add);

  // What decides a face's character sets.
  struct CharSetSource {
    bool hasCodePages = false;  // an OS/2 table with code-page fields
    uint32_t codePageRange1 = 0;
    bool hasWindowsUnicode = false;  // a (3,1) cmap
    bool hasMacRoman = false;        // a (1,0) cmap
  };
  // The character sets of a face, in delivery order: from the code-page
  // bits (17 Shift-JIS, 29 Mac, 0 Latin 1) when the face has them, else
  // from its cmaps ((1,0) Mac, (3,1) ANSI).
  static std::vector<uint8_t> CharSetsOf(const CharSetSource& face);

  // The Unicode character of a byte code in a character set, 0 when the
  // code has none (a Shift-JIS lead byte, a hole of code page 1252).
  static uint32_t CodeToUnicode(uint8_t charSet, uint8_t code);

 private:
  std::string folder_;
};
