#pragma once
// The extensions a folder search accepts and the type options that enable them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "converter/core/ConverterSettings.h"

namespace ostrel {

enum class ImageType { Bmp, Jpeg, Tiff };

struct ExtensionRow {
  std::string_view extension;  // with its dot, upper case
  ImageType type;
};

// ".BMP", ".JPG", ".JPEG", ".TIF", ".TIFF" in this order.
extern const ExtensionRow kExtensionTable[5];

// Whether the settings enable the rows of this type.
bool TypeEnabled(const ConverterSettings& settings, ImageType type);

// The first enabled row whose extension ends the name (case-insensitive);
// nullptr when none does.
const ExtensionRow* MatchExtension(const ConverterSettings& settings, std::string_view name);

}  // namespace ostrel
