#include "pdf/font/internal/GlyphList.h"

#include <algorithm>

namespace glyphlist {

bool CharacterOfName(std::string_view name, char32_t& character) {
  const GlyphEntry* end = kEntries + kEntryCount;
  const GlyphEntry* entry = std::lower_bound(
      kEntries, end, name,
      [](const GlyphEntry& e, std::string_view n) { return std::string_view(NameOf(e)) < n; });
  if (entry == end || name != NameOf(*entry)) return false;
  character = entry->character;
  return true;
}

namespace {

// Orders kByCharacter's indexes against a character, both ways.
struct ByCharacter {
  bool operator()(uint16_t index, char32_t character) const {
    return kEntries[index].character < character;
  }
  bool operator()(char32_t character, uint16_t index) const {
    return character < kEntries[index].character;
  }
};

}  // namespace

void NamesOf(char32_t character, const uint16_t*& first, const uint16_t*& last) {
  const auto range =
      std::equal_range(kByCharacter, kByCharacter + kEntryCount, character, ByCharacter{});
  first = range.first;
  last = range.second;
}

}  // namespace glyphlist
