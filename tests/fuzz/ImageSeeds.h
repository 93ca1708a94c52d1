#pragma once
// Small valid BMP, JPEG and TIFF files of every kind the importer tests make,
// as seeds of the targets that read image files.
#include <string>

#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"
#include "tests/pdf/document/ImageFileMaker.h"

namespace fuzz {

inline void AddImageSeeds(FuzzSeedList& seeds) {
  seeds.Add("bmp-24-5x3", imagefile::Bitmap(5, 3, 24, 2835));
  seeds.Add("bmp-8-palette-7x4", imagefile::Bitmap(7, 4, 8, 0, 16));
  seeds.Add("bmp-8-palette-2-colours", imagefile::Bitmap(3, 2, 8, 3780, 2));
  const WorkFolder& folder = WorkFolder::Get();
  const std::string path = folder.File("seed");
  auto add = [&](const std::string& name, bool made) {
    FUZZ_CHECK(made);
    seeds.Add(name, WorkFolder::Read(path));
    ::unlink(path.c_str());
  };
  add("tiff-rgb-lzw-6x5", imagefile::RGBTiff(path, 6, 5, 150));
  add("tiff-palette-4bit-9x3", imagefile::PaletteTiff(path, 9, 3));
  {
    TIFF* tiff = imagefile::NewTiff(path, 12, 4, 1, 1, PHOTOMETRIC_MINISWHITE);
    FUZZ_CHECK(tiff != nullptr);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    std::vector<uint8_t> rows(2 * 4);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(0x5A ^ i);
    add("tiff-bilevel-g4-12x4", imagefile::FinishTiff(tiff, rows));
  }
  {
    TIFF* tiff = imagefile::NewTiff(path, 4, 3, 8, 1, PHOTOMETRIC_MINISBLACK);
    FUZZ_CHECK(tiff != nullptr);
    std::vector<uint8_t> rows(12);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 20);
    add("tiff-gray-4x3", imagefile::FinishTiff(tiff, rows));
  }
  add("jpeg-rgb-jfif-16x8", imagefile::DenseJpeg(path, 16, 8, 72));
  JPEGSpec gray;
  gray.input = JCS_GRAYSCALE;
  gray.components = 1;
  gray.width = 9;
  gray.height = 5;
  add("jpeg-gray-9x5", WriteJPEG(path, gray));
  JPEGSpec cmyk;
  cmyk.input = JCS_CMYK;
  cmyk.components = 4;
  cmyk.jfif = false;
  cmyk.adobe = 1;
  cmyk.width = 8;
  cmyk.height = 8;
  add("jpeg-cmyk-adobe-8x8", WriteJPEG(path, cmyk));
  JPEGSpec progressive;
  progressive.progressive = true;
  progressive.app13.push_back(std::vector<unsigned char>(200, 'P'));
  add("jpeg-progressive-app13-16x8", WriteJPEG(path, progressive));
}

}  // namespace fuzz
