#pragma once
// One single-byte font encoding in memory: the glyph name each code stands
// for, and the code each glyph name leads back to. The encoding cache keeps
// one table per predefined encoding; the text conversions build private
// tables from a font's /Differences array.
//
// Every code has a name that leads back to it, also where the table does
// not define the code: "G%02X" (G and two hexadecimal digits) is
// understood by every table.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/font/FontResourceCache.h"
#include "pdf/object/TempString.h"

class EncodingTable : public FontCacheItem {
 public:
  EncodingTable() = default;
  EncodingTable(const EncodingTable&) = delete;
  EncodingTable& operator=(const EncodingTable&) = delete;
  ~EncodingTable() override = default;

  // code -> name replaces the code's name; name -> code replaces the name's
  // code. The name a replaced code had stays in the name map, still leading
  // to that code. False for no name or when memory runs out; a failed Add
  // changes nothing.
  bool Add(uint8_t code, const char* glyphName);

  // The code's name: true. Otherwise out receives "G%02X" of the code
  // (upper-case digits) and the answer is true only when that text is a
  // glyph name of the table.
  bool GetGlyphName(uint8_t code, TempString& out) const;

  // The name's code from the name map; otherwise a name of exactly three
  // characters, an upper-case G and two hexadecimal digits of either case,
  // gives the code of those digits. Else false (out unchanged).
  bool GetCode(const char* glyphName, uint8_t& out) const;

  // The name the table itself holds for the code, or none: no "G%02X"
  // fallback. Valid until the code is given another name.
  const char* FindGlyphName(uint8_t code) const;

  // Fills the table with one of the five predefined encodings, named
  // exactly (case-sensitive, whole string): StandardEncoding,
  // WinAnsiEncoding, MacRomanEncoding, MacExpertEncoding, PDFDocEncoding.
  // Adds to what the table holds. The codes go in from the highest down, so
  // a name that stands at several codes leads back to the lowest. Any other
  // name answers false and changes nothing. A fill that runs out of memory
  // answers false and keeps the rows it added.
  bool LoadStandard(const char* encodingName);
  // The character a glyph name stands for: a name of the Adobe Glyph List
  // or of the ZapfDingbats list (a1 ... a191), "uniXXXX" (four upper-case
  // hexadecimal digits) or "uXXXX" to "uXXXXXX" (four to six), never a
  // surrogate. False for any other name.
  static bool UnicodeOfGlyph(const char* glyphName, char32_t& character);
  // The way back: every such name of the character, the listed names in
  // name order, then "uniXXXX" (for a character of 16 bits) and "uXXXX".
  static std::vector<std::string> GlyphsOfUnicode(char32_t character);

  // The encoding cache's entry; the same as LoadStandard.
  bool LoadByName(const char* encodingName) { return LoadStandard(encodingName); }

 private:
  // Lets the name map be searched with a view, without a copy of the name.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
  };

  std::array<std::string, 256> names_;
  std::array<bool, 256> defined_{};
  std::unordered_map<std::string, uint8_t, NameHash, std::equal_to<>> codes_;
};
