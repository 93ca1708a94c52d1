#include "pdf/font/EncodingTable.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "pdf/font/internal/GlyphList.h"

namespace {

// The value of a hexadecimal digit of either case, or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool EncodingTable::Add(uint8_t code, const char* glyphName) {
  if (!glyphName) return false;
  try {
    // Everything that can fail comes first: a failed Add changes nothing.
    std::string name(glyphName);
    codes_.insert_or_assign(name, code);
    names_[code].swap(name);
    defined_[code] = true;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool EncodingTable::GetGlyphName(uint8_t code, TempString& out) const {
  if (defined_[code]) {
    return out.Assign(names_[code].data(), static_cast<int32_t>(names_[code].size()));
  }
  if (!out.Format("G%02X", code)) return false;
  return codes_.find(std::string_view(out.c_str(), out.GetLength())) != codes_.end();
}

bool EncodingTable::GetCode(const char* glyphName, uint8_t& out) const {
  if (!glyphName) return false;
  const std::string_view name(glyphName);
  if (auto it = codes_.find(name); it != codes_.end()) {
    out = it->second;
    return true;
  }
  if (name.size() != 3 || name[0] != 'G') return false;
  const int high = HexValue(name[1]);
  const int low = HexValue(name[2]);
  if (high < 0 || low < 0) return false;
  out = static_cast<uint8_t>(high * 16 + low);
  return true;
}

const char* EncodingTable::FindGlyphName(uint8_t code) const {
  return defined_[code] ? names_[code].c_str() : nullptr;
}

namespace {

// "uniXXXX" (four upper-case hexadecimal digits) and "uXXXX" to "uXXXXXX"
// (four to six): the character XXXX, when it is one (no surrogate, at most
// U+10FFFF).
bool CharacterOfCodeName(std::string_view name, char32_t& character) {
  std::string_view digits;
  if (name.size() == 7 && name.substr(0, 3) == "uni") {
    digits = name.substr(3);
  } else if (name.size() >= 5 && name.size() <= 7 && name[0] == 'u') {
    digits = name.substr(1);
  } else {
    return false;
  }
  uint32_t value = 0;
  for (const char c : digits) {
    // Upper-case digits only: "uni00e9" is no such name.
    if (c >= 'a' && c <= 'f') return false;
    const int digit = HexValue(c);
    if (digit < 0) return false;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return false;
  character = value;
  return true;
}

}  // namespace

GlyphNameList EncodingTable::ListOfFont(const char* baseFont) {
  if (baseFont && std::strstr(baseFont, "Dingbats")) return GlyphNameList::kZapfDingbats;
  return GlyphNameList::kAdobe;
}

bool EncodingTable::UnicodeOfGlyph(const char* glyphName, GlyphNameList list, char32_t& character) {
  if (!glyphName) return false;
  const std::string_view name(glyphName);
  return glyphlist::CharacterOfName(name, list, character) || CharacterOfCodeName(name, character);
}

EncodingTable::GlyphNamesOf::GlyphNamesOf(char32_t character, GlyphNameList list)
    : character_(character), list_(list) {
  if ((character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF) {
    step_ = Step::kDone;
    return;
  }
  glyphlist::OwnRows(character, at_, end_);
}

const char* EncodingTable::GlyphNamesOf::Next() {
  for (;;) {
    switch (step_) {
      case Step::kOwn:
        while (at_ < end_) {
          const glyphlist::GlyphEntry& entry = glyphlist::kEntries[glyphlist::kByCharacter[at_++]];
          if (glyphlist::Reads(list_, entry.list)) return glyphlist::NameOf(entry);
        }
        glyphlist::FurtherRows(character_, at_, end_);
        step_ = Step::kFurther;
        break;
      case Step::kFurther:
        while (at_ < end_) {
          const glyphlist::GlyphEntry& entry =
              glyphlist::kEntries[glyphlist::kFurther[at_++].entry];
          if (glyphlist::Reads(list_, entry.list)) return glyphlist::NameOf(entry);
        }
        step_ = Step::kUni;
        break;
      case Step::kUni:
        step_ = Step::kU;
        if (character_ <= 0xFFFF) {
          std::snprintf(code_, sizeof code_, "uni%04X", static_cast<unsigned>(character_));
          return code_;
        }
        break;
      case Step::kU:
        step_ = Step::kDone;
        std::snprintf(code_, sizeof code_, "u%04X", static_cast<unsigned>(character_));
        return code_;
      case Step::kDone: return nullptr;
    }
  }
}
