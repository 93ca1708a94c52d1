#include "pdf/font/internal/GlyphList.h"

#include <algorithm>

namespace glyphlist {

bool CharacterOfName(std::string_view name, GlyphNameList list, char32_t& character) {
  const GlyphEntry* end = kEntries + kEntryCount;
  const GlyphEntry* entry = std::lower_bound(
      kEntries, end, name,
      [](const GlyphEntry& e, std::string_view n) { return std::string_view(NameOf(e)) < n; });
  if (entry == end || name != NameOf(*entry) || !Reads(list, entry->list)) return false;
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

// Orders kFurther's rows against a character, both ways.
struct ByFurther {
  bool operator()(const FurtherCharacter& row, char32_t character) const {
    return row.character < character;
  }
  bool operator()(char32_t character, const FurtherCharacter& row) const {
    return character < row.character;
  }
};

}  // namespace

void OwnRows(char32_t character, size_t& first, size_t& last) {
  const auto range =
      std::equal_range(kByCharacter, kByCharacter + kEntryCount, character, ByCharacter{});
  first = static_cast<size_t>(range.first - kByCharacter);
  last = static_cast<size_t>(range.second - kByCharacter);
}

void FurtherRows(char32_t character, size_t& first, size_t& last) {
  const auto range = std::equal_range(kFurther, kFurther + kFurtherCount, character, ByFurther{});
  first = static_cast<size_t>(range.first - kFurther);
  last = static_cast<size_t>(range.second - kFurther);
}

}  // namespace glyphlist
