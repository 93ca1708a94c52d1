#include "pdf/font/TrueTypeFontInfo.h"

#include <cstring>
#include <new>

namespace {

struct FixedFace {
  const char* name;
  TrueTypeRect box;
  int32_t ascent;
  int32_t descent;
  uint8_t panose[10];
};

// The two Japanese CID fonts every reader has, measured without a file.
constexpr FixedFace kFixedFaces[] = {
    {"HeiseiMin-W3", {-123, 910, 1001, -257}, 723, -241, {0x01, 0x05, 0x02, 0x02, 0x04}},
    {"HeiseiKakuGo-W5", {-92, 922, 1010, -250}, 752, -221, {0x08, 0x01, 0x02, 0x0B, 0x06}},
};

}  // namespace

std::unique_ptr<TrueTypeFontInfo> TrueTypeFontInfo::MakeFixed(const char* name) {
  if (!name) return nullptr;
  for (const FixedFace& face : kFixedFaces) {
    if (std::strcmp(name, face.name) != 0) continue;
    std::unique_ptr<TrueTypeFontInfo> info(new (std::nothrow) TrueTypeFontInfo);
    if (!info || !info->logFont.elfFullName.Assign(name)) return nullptr;
    info->logFont.lfCharSet = kShiftJISCharSet;
    info->outlineMetric.otmrcFontBox = face.box;
    info->outlineMetric.otmMacAscent = face.ascent;
    info->outlineMetric.otmMacDescent = face.descent;
    info->outlineMetric.otmItalicAngle = 0;
    std::memcpy(info->outlineMetric.otmPanoseNumber, face.panose, sizeof face.panose);
    return info;
  }
  return nullptr;
}

bool TrueTypeFontInfo::AllocWidths() {
  widths_.clear();
  if (textMetric.tmFirstChar > textMetric.tmLastChar) return false;
  try {
    widths_.assign(textMetric.tmLastChar - textMetric.tmFirstChar + 1, ABC{});
  } catch (const std::bad_alloc&) {
    widths_.clear();
    return false;
  }
  return true;
}

const ABC* TrueTypeFontInfo::GetABC(uint8_t code) const {
  if (code < textMetric.tmFirstChar || code > textMetric.tmLastChar) return nullptr;
  // The range may have changed after the array was made: index it only
  // where it reaches.
  const size_t index = code - textMetric.tmFirstChar;
  return index < widths_.size() ? &widths_[index] : nullptr;
}
