#pragma once
// The glyph-name table of the library: the character each name of the
// Adobe Glyph List and of the ITC Zapf Dingbats glyph list (a1 ... a191)
// stands for, and the list it comes from, generated into
// generated/GlyphListTable.cpp by tools/glyphs/gen_glyph_list.py. Constant
// sorted arrays, searched by halves; nothing is built at start-up.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pdf/font/EncodingTable.h"

namespace glyphlist {

struct GlyphEntry {
  uint32_t name;  // offset of the name in kNames
  char32_t character;
  GlyphNameList list;  // the list the name comes from
};

// A character a name stands for besides its own (Delta: U+0394 besides
// U+2206), for the way from characters to names only.
struct FurtherCharacter {
  char32_t character;
  uint16_t entry;  // index in kEntries
};

extern const char kNames[];          // NUL-separated, sorted by bytes
extern const GlyphEntry kEntries[];  // one per name, in name order
extern const size_t kEntryCount;
extern const uint16_t kByCharacter[];      // entry indexes by character, then name
extern const FurtherCharacter kFurther[];  // by character, then name
extern const size_t kFurtherCount;

inline const char* NameOf(const GlyphEntry& entry) { return kNames + entry.name; }

// Whether a font whose names go by the list `font` reads a name that comes
// from the list `origin`: every font reads the Adobe Glyph List, and only a
// ZapfDingbats font the ZapfDingbats list.
inline bool Reads(GlyphNameList font, GlyphNameList origin) {
  return origin == GlyphNameList::kAdobe || origin == font;
}

// The character of a name that a font of the list reads; false for a name
// the lists do not hold or that comes from a list the font does not read.
bool CharacterOfName(std::string_view name, GlyphNameList list, char32_t& character);

// The rows [first, last) of kByCharacter whose entries have the character as
// their own, and of kFurther that hold it as a further character.
void OwnRows(char32_t character, size_t& first, size_t& last);
void FurtherRows(char32_t character, size_t& first, size_t& last);

}  // namespace glyphlist
