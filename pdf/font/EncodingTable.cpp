#include "pdf/font/EncodingTable.h"

#include <new>
#include <utility>

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
