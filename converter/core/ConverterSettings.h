#pragma once
// The converter's options as the main dialog keeps them in the profile's
// Settings section. Each is a 32-bit flag, 0 or 1; the defaults are those of
// a fresh profile.
#include <cstdint>

namespace ostrel {

struct ConverterSettings {
  int32_t SubFolder = 1;    // search the sub-folders of an input folder
  int32_t ObjBMP = 1;       // include ".BMP" files in a folder search
  int32_t ObjJPEG = 1;      // include ".JPG" and ".JPEG" files
  int32_t ObjTIFF = 1;      // include ".TIF" and ".TIFF" files
  int32_t OutFileName = 0;  // 0: base name + ".PDF"; 1: name with its dot as "_" + ".PDF"
  int32_t MakeFolder = 1;   // create output folders for input sub-folders
  int32_t OwNoConf = 0;     // overwrite existing output files without asking
  int32_t NeNoConf = 0;     // create missing output folders without asking
};

}  // namespace ostrel
