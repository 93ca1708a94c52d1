#include "converter/core/ExtensionTable.h"

#include "converter/core/PathOps.h"

namespace ostrel {

const ExtensionRow kExtensionTable[5] = {
    {".BMP", ImageType::Bmp},  {".JPG", ImageType::Jpeg},  {".JPEG", ImageType::Jpeg},
    {".TIF", ImageType::Tiff}, {".TIFF", ImageType::Tiff},
};

bool TypeEnabled(const ConverterSettings& settings, ImageType type) {
  switch (type) {
    case ImageType::Bmp: return settings.ObjBMP != 0;
    case ImageType::Jpeg: return settings.ObjJPEG != 0;
    case ImageType::Tiff: return settings.ObjTIFF != 0;
  }
  return false;
}

const ExtensionRow* MatchExtension(const ConverterSettings& settings, std::string_view name) {
  for (const ExtensionRow& row : kExtensionTable) {
    if (TypeEnabled(settings, row.type) && EndsWithNoCase(name, row.extension)) return &row;
  }
  return nullptr;
}

}  // namespace ostrel
