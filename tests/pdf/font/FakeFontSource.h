#pragma once
// A font source with made-up faces, so that tests of the TrueType cache and
// of the TrueType fonts do not depend on the fonts of the machine:
//
//   int enumerations = 0;
//   env.SetTrueTypeFontSource(std::make_unique<fonttest::FakeFontSource>(
//       std::vector<fonttest::FakeFace>{{"Arial", kAnsiCharSet}}, &enumerations));
//
// Every code c from first to last of a face has the widths A = 10, B = c,
// C = 5 (an advance of c + 15) unless the face gives its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pdf/font/TrueTypeFontInfo.h"

namespace fonttest {

struct FakeFace {
  FakeFace(std::string name, uint8_t set = kAnsiCharSet, uint8_t firstCode = 32,
           uint8_t lastCode = 126)
      : fullName(std::move(name)), charSet(set), first(firstCode), last(lastCode) {}

  std::string fullName;
  uint8_t charSet;
  uint8_t first;
  uint8_t last;
  std::function<ABC(uint8_t)> widths;  // none: A 10, B c, C 5
  std::string faceName;                // none: the full name
  std::string postScriptName;          // none: not known
};

inline ABC DefaultWidths(uint8_t code) { return ABC{10, code, 5}; }

// The record a source would deliver for the face.
inline std::unique_ptr<TrueTypeFontInfo> MakeRecord(const FakeFace& face) {
  auto info = std::make_unique<TrueTypeFontInfo>();
  info->logFont.lfHeight = -1000;
  info->logFont.lfCharSet = face.charSet;
  info->logFont.elfFullName.Assign(face.fullName.c_str());
  info->logFont.lfFaceName.Assign(face.faceName.empty() ? face.fullName.c_str()
                                                        : face.faceName.c_str());
  info->postScriptName.Assign(face.postScriptName.c_str());
  info->textMetric.tmFirstChar = face.first;
  info->textMetric.tmLastChar = face.last;
  info->outlineMetric.otmrcFontBox = {-100, 900, 1000, -200};
  info->outlineMetric.otmMacAscent = 800;
  info->outlineMetric.otmMacDescent = -200;
  if (info->AllocWidths()) {
    for (int code = face.first; code <= face.last; ++code) {
      const uint8_t c = static_cast<uint8_t>(code);
      *info->GetABC(c) = face.widths ? face.widths(c) : DefaultWidths(c);
    }
  }
  return info;
}

class FakeFontSource : public TrueTypeFontSource {
 public:
  // Counts its enumerations in *enumerations when given (the environment
  // owns the source, so the count lives with the test).
  explicit FakeFontSource(std::vector<FakeFace> faces, int* enumerations = nullptr)
      : faces_(std::move(faces)), enumerations_(enumerations) {}

  void Enumerate(const AddRecord& add) override {
    if (enumerations_) ++*enumerations_;
    for (const FakeFace& face : faces_) add(MakeRecord(face));
  }

 private:
  std::vector<FakeFace> faces_;
  int* enumerations_;
};

}  // namespace fonttest
