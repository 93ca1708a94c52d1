#pragma once
// The glyph-name table of the library: the character each name of the
// Adobe Glyph List and of the ITC Zapf Dingbats glyph list (a1 ... a191)
// stands for, generated into generated/GlyphListTable.cpp by
// tools/glyphs/gen_glyph_list.py. Constant sorted arrays, searched by
// halves; nothing is built at start-up.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace glyphlist {

struct GlyphEntry {
  uint32_t name;  // offset of the name in kNames
  char32_t character;
};

extern const char kNames[];          // NUL-separated, sorted by bytes
extern const GlyphEntry kEntries[];  // one per name, in name order
extern const size_t kEntryCount;
extern const uint16_t kByCharacter[];  // entry indexes by character, then name

inline const char* NameOf(const GlyphEntry& entry) { return kNames + entry.name; }

// The character of a listed name; false for a name the lists do not hold.
bool CharacterOfName(std::string_view name, char32_t& character);

// The listed names of a character, in name order: f(const char*) for each.
template <class F>
void ForEachNameOf(char32_t character, F f);

// The range of kByCharacter whose entries stand for the character.
void NamesOf(char32_t character, const uint16_t*& first, const uint16_t*& last);

template <class F>
void ForEachNameOf(char32_t character, F f) {
  const uint16_t* first = nullptr;
  const uint16_t* last = nullptr;
  NamesOf(character, first, last);
  for (; first != last; ++first) f(NameOf(kEntries[*first]));
}

}  // namespace glyphlist
