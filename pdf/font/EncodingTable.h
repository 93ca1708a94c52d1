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
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "pdf/font/FontResourceCache.h"
#include "pdf/object/TempString.h"

// The glyph lists by which glyph names stand for characters. As the list a
// name comes from: the Adobe Glyph List, or ZapfDingbats' own list
// (a1 ... a191). As the list a font's names go by: every font reads the
// Adobe Glyph List; a ZapfDingbats font reads its own list too, first.
enum class GlyphNameList : uint8_t { kAdobe, kZapfDingbats };

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
  // The list a font's glyph names go by, chosen once where the font is
  // known: ZapfDingbats' for a base font name with "Dingbats" in it (the
  // standard ZapfDingbats, "ABCDEF+ZapfDingbats", "Dingbats"), the Adobe
  // Glyph List for any other name or none.
  static GlyphNameList ListOfFont(const char* baseFont);
  // The character a glyph name stands for in a font whose names go by the
  // list: a name of the lists the font reads (a dingbat name a1 ... a191
  // only in ZapfDingbats), "uniXXXX" (four upper-case hexadecimal digits)
  // or "uXXXX" to "uXXXXXX" (four to six), never a surrogate. A name the
  // Adobe Glyph List gives a further character (Delta, Omega, mu) reads as
  // its own (U+2206, U+2126, U+00B5). False for any other name.
  static bool UnicodeOfGlyph(const char* glyphName, GlyphNameList list, char32_t& character);

  // The way back, without a copy: each name that stands for the character
  // in a font whose names go by the list. First the listed names whose own
  // character it is, in name order; then those that stand for it besides
  // their own (U+0394: Deltagreek, then Delta); then "uniXXXX" (for a
  // character of 16 bits) and "uXXXX". None for a surrogate or a value past
  // U+10FFFF.
  //   for (EncodingTable::GlyphNamesOf names(c, list); const char* name = names.Next();) ...
  class GlyphNamesOf {
   public:
    GlyphNamesOf(char32_t character, GlyphNameList list);
    // The next name, or none after the last. A code name is valid until the
    // next call, a listed name for good.
    const char* Next();

   private:
    enum class Step : uint8_t { kOwn, kFurther, kUni, kU, kDone };
    char32_t character_;
    GlyphNameList list_;
    Step step_ = Step::kOwn;
    size_t at_ = 0;
    size_t end_ = 0;
    char code_[12] = {};  // "uniXXXX" or "uXXXXXX" and its NUL
  };

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
