#pragma once
// Small valid BMP, JPEG and TIFF files of every kind the importer tests make,
// as seeds of the targets that read image files.
#include <string>

#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"
#include "tests/pdf/document/ImageFileMaker.h"
#include "tests/pdf/document/TIFFTestWriter.h"

namespace fuzz {

inline void AddImageSeeds(FuzzSeedList& seeds) {
  seeds.Add("bmp-24-5x3", imagefile::Bitmap(5, 3, 24, 2835));
  seeds.Add("bmp-8-palette-7x4", imagefile::Bitmap(7, 4, 8, 0, 16));
  seeds.Add("bmp-8-palette-2-colours", imagefile::Bitmap(3, 2, 8, 3780, 2));
  // Run-length bitmaps: RLE8 bottom up with deltas and an absolute run,
  // RLE4 top down ending early.
  auto rle = [](int32_t w, int32_t h, int bits, const std::vector<uint8_t>& codes) {
    const uint32_t colours = 1u << bits;
    std::vector<uint8_t> b = {'B', 'M'};
    const uint32_t offset = 14 + 40 + 4 * colours;
    imagefile::Le(b, offset + static_cast<uint32_t>(codes.size()), 4);
    imagefile::Le(b, 0, 4);
    imagefile::Le(b, offset, 4);
    imagefile::Le(b, 40, 4);
    imagefile::Le(b, static_cast<uint32_t>(w), 4);
    imagefile::Le(b, static_cast<uint32_t>(h), 4);
    imagefile::Le(b, 1, 2);
    imagefile::Le(b, static_cast<uint32_t>(bits), 2);
    imagefile::Le(b, bits == 8 ? 1 : 2, 4);
    imagefile::Le(b, static_cast<uint32_t>(codes.size()), 4);
    imagefile::Le(b, 2835, 4);
    imagefile::Le(b, 2835, 4);
    imagefile::Le(b, 0, 4);
    imagefile::Le(b, 0, 4);
    for (uint32_t i = 0; i < colours; ++i) imagefile::Le(b, i * 0x010305u, 4);
    b.insert(b.end(), codes.begin(), codes.end());
    return b;
  };
  seeds.Add("bmp-rle8-bottom-up-deltas-9x6", rle(9, 6, 8, {3, 7, 0, 3, 1, 2, 3,  0, 0, 0, 0, 2,
                                                           2, 2, 4, 9, 0, 0, 12, 5, 0, 0, 0, 1}));
  seeds.Add("bmp-rle4-top-down-7x5-early-end",
            rle(7, -5, 4, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 2, 1, 1, 3, 0xAB, 0, 1}));
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
  {
    // Planar RGB, 16 bits, LZW, strips of 2 rows (the last one short).
    TIFF* tiff = imagefile::NewTiff(path, 7, 5, 16, 3, PHOTOMETRIC_RGB);
    FUZZ_CHECK(tiff != nullptr);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 2);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    bool ok = true;
    for (uint16_t plane = 0; plane < 3; ++plane) {
      for (uint32_t y = 0; y < 5; ++y) {
        uint16_t row[7];
        for (uint32_t x = 0; x < 7; ++x)
          row[x] = static_cast<uint16_t>(imagefile::Sample(x, y, plane) * 257);
        ok = ok && TIFFWriteScanline(tiff, row, y, plane) >= 0;
      }
    }
    TIFFClose(tiff);
    add("tiff-planar-rgb-16-lzw-7x5", ok);
  }
  {
    // Three images of other kinds in one file, the last to be turned.
    std::vector<tifftest::Layout> layouts(3);
    layouts[0].photometric = PHOTOMETRIC_RGB;
    layouts[0].compression = COMPRESSION_LZW;
    layouts[1].bits = 4;
    layouts[1].rowsPerStrip = 2;
    layouts[2].bits = 1;
    layouts[2].photometric = PHOTOMETRIC_MINISWHITE;
    layouts[2].compression = COMPRESSION_CCITTFAX4;
    layouts[2].orientation = ORIENTATION_RIGHTTOP;
    add("tiff-three-images",
        tifftest::WriteFile(path, layouts,
                            {tifftest::Varied(6, 5, 3, 8, 1), tifftest::Varied(7, 3, 1, 4, 2),
                             tifftest::Varied(20, 4, 1, 1, 3)}));
  }
  {
    // An image, its overview, another image and a thumbnail: the reduced
    // directories are no pages.
    std::vector<tifftest::Layout> layouts(4);
    layouts[1].subfileType = FILETYPE_REDUCEDIMAGE;
    layouts[3].subfileType = FILETYPE_REDUCEDIMAGE;
    layouts[2].bits = 2;
    add("tiff-images-and-overviews",
        tifftest::WriteFile(path, layouts,
                            {tifftest::Varied(8, 6, 1, 8, 1), tifftest::Varied(4, 3, 1, 8, 2),
                             tifftest::Varied(9, 5, 1, 2, 3), tifftest::Varied(3, 2, 1, 8, 4)}));
  }
  {
    // An image with its transparency mask after it, and one of photometric
    // 4: the masks are no pages.
    std::vector<tifftest::Layout> layouts(3);
    layouts[1].subfileType = FILETYPE_MASK;
    layouts[1].photometric = PHOTOMETRIC_MASK;
    layouts[1].bits = 1;
    layouts[2].photometric = PHOTOMETRIC_MASK;
    layouts[2].bits = 1;
    add("tiff-image-and-masks",
        tifftest::WriteFile(path, layouts,
                            {tifftest::Varied(8, 6, 1, 8, 1), tifftest::Varied(8, 6, 1, 1, 2),
                             tifftest::Varied(8, 6, 1, 1, 3)}));
  }
  {
    // Depths and arrangements that are converted sample by sample.
    struct Layout {
      const char* name;
      uint16_t bits;
      int samples;
      uint16_t photometric;
      uint16_t planar;
      uint16_t extra;  // 0: none
      uint32_t tile;
      bool bigEndian;
    };
    const Layout layouts[] = {
        {"tiff-rgba-4bit-associated", 4, 4, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG,
         EXTRASAMPLE_ASSOCALPHA, 0, false},
        {"tiff-planar-rgb-2bit", 2, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 0, 0, false},
        {"tiff-grey-3bit", 3, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, 0, false},
        {"tiff-grey-6bit", 6, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, 0, false},
        {"tiff-grey-12bit-big-endian", 12, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, 0,
         true},
        {"tiff-rgb-24bit-big-endian", 24, 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 0, 0, true},
        {"tiff-planar-rgba-tiles-associated", 8, 4, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE,
         EXTRASAMPLE_ASSOCALPHA, 16, false},
        {"tiff-rgba-16bit-associated", 16, 4, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG,
         EXTRASAMPLE_ASSOCALPHA, 0, false},
    };
    for (const Layout& l : layouts) {
      tifftest::Layout layout;
      layout.bits = l.bits;
      layout.photometric = l.photometric;
      layout.planar = l.planar;
      layout.tile = l.tile;
      layout.rowsPerStrip = l.tile == 0 ? 2 : 0;
      if (l.extra != 0) layout.extra = {l.extra};
      add(l.name, tifftest::WriteFile(path, layout, tifftest::Varied(17, 5, l.samples, l.bits),
                                      l.bigEndian));
    }
  }
  {
    // JPEG strips of 8 rows in a grey TIFF.
    tifftest::Layout layout;
    layout.compression = COMPRESSION_JPEG;
    layout.rowsPerStrip = 8;
    add("tiff-jpeg-grey-strips-16x24",
        tifftest::WriteFile(path, layout, tifftest::Varied(16, 24, 1, 8)));
  }
  add("jpeg-rgb-jfif-16x8", imagefile::DenseJpeg(path, 16, 8, 72));
  {
    // A restart marker after every MCU; an empty APP13 marker before the
    // Photoshop one that holds the resolution (150 pixels per inch).
    JPEGSpec restarts;
    restarts.width = 48;
    restarts.height = 16;
    restarts.restartInterval = 1;
    std::vector<unsigned char> photoshop = {'P', 'h',  'o', 't', 'o', 's', 'h', 'o', 'p',
                                            ' ', '3',  '.', '0', 0,   '8', 'B', 'I', 'M',
                                            3,   0xED, 0,   0,   0,   0,   0,   16};
    for (int axis = 0; axis < 2; ++axis)
      photoshop.insert(photoshop.end(), {0, 150, 0, 0, 0, 1, 0, 1});
    restarts.app13 = {{}, photoshop};
    add("jpeg-restarts-empty-app13-48x16", WriteJPEG(path, restarts));
  }
  for (bool bigEndian : {false, true}) {
    JPEGSpec exif;
    exif.app1 = {ExifOrientation(bigEndian ? 8 : 6, bigEndian)};
    add(bigEndian ? "jpeg-exif-orientation-8-big-endian" : "jpeg-exif-orientation-6",
        WriteJPEG(path, exif));
  }
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
  {
    // Segments whose length field is below 2, before the scan and after it.
    FUZZ_CHECK(imagefile::DenseJpeg(path, 8, 8, 72));
    std::vector<uint8_t> bytes = WorkFolder::Read(path);
    FUZZ_CHECK(bytes.size() > 4);
    bytes.insert(bytes.end() - 2, {0xFF, 0xFE, 0x00, 0x01});
    bytes.insert(bytes.begin() + 2, {0xFF, 0xFE, 0x00, 0x00, 0xFF, 0xE1, 0x00, 0x01});
    seeds.Add("jpeg-short-segment-lengths", bytes);
    ::unlink(path.c_str());
  }
}

}  // namespace fuzz
