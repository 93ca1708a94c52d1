#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "converter/core/ConvertOne.h"
#include "converter/core/EndToEndImages.h"
#include "pdf/document/ImageFileMaker.h"
#include "pdf/document/ImageTestSupport.h"
#include "pdf/document/TIFFTestWriter.h"
#include "pdf/document/internal/ImageFile.h"

namespace {

std::string Text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

bool HaveQpdf() { return std::system("qpdf --version >/dev/null 2>&1") == 0; }

// Runs qpdf with the arguments; its standard output, and whether it exited 0.
std::string Qpdf(const std::string& args, bool* ok = nullptr) {
  std::string out;
  FILE* pipe = popen(("qpdf " + args + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) out.append(block, n);
  const int status = pclose(pipe);
  if (ok) *ok = status == 0;
  return out;
}

std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

// A conversion run in a program of its own (convert_one_child, started with
// exec), whose peak memory is the conversion's alone: a child made by fork
// only would count the test program's heap as well. With a file size limit
// (SIGXFSZ ignored) standing in for a full disk.
struct ChildConversion {
  int status = -1;  // as waitpid gives it
  long peakKilobytes = 0;
  bool Converted() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
  bool Failed() const { return WIFEXITED(status) && WEXITSTATUS(status) == 1; }
};

ChildConversion ConvertInChild(const std::string& input, const std::string& output,
                               rlim_t fileLimit = 0) {
  ChildConversion result;
  std::string program = PN_CONVERT_ONE_CHILD;
  std::string in = input;
  std::string out = output;
  char* const argv[] = {program.data(), in.data(), out.data(), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return result;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return result;
  }
  if (child == 0) {
    // Only calls that are safe between fork and exec.
    if (dup2(report[1], STDOUT_FILENO) < 0) _exit(3);
    alarm(120);  // kept across exec
    if (fileLimit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = fileLimit;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    }
    execv(argv[0], argv);
    _exit(4);
  }
  close(report[1]);
  std::string said;
  char block[256];
  ssize_t n;
  while ((n = read(report[0], block, sizeof block)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) said.append(block, static_cast<size_t>(n));
  }
  close(report[0]);
  while (waitpid(child, &result.status, 0) < 0 && errno == EINTR) {
  }
  const size_t at = said.find("peak-kilobytes ");
  if (at != std::string::npos)
    result.peakKilobytes = std::strtol(said.c_str() + at + 15, nullptr, 10);
  return result;
}

// Under AddressSanitizer the shadow memory and the quarantine of freed blocks
// count in the peak as well: only the conversions themselves are checked.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPeakMeasurable = false;
#else
constexpr bool kPeakMeasurable = true;
#endif

// A TIFF of blank bilevel rows in Group 4, written raw: one V0 code (a 1 bit)
// per row codes a white row under a white one, so the file stays tiny
// whatever the page's size.
bool WriteBlankG4(const std::string& path, uint32_t width, uint32_t height, uint32_t rowsPerStrip) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  bool ok = true;
  for (uint32_t y = 0, strip = 0; ok && y < height; y += rowsPerStrip, ++strip) {
    std::vector<uint8_t> raw((std::min(rowsPerStrip, height - y) + 7) / 8, 0xFF);
    ok = TIFFWriteRawStrip(tiff, strip, raw.data(), static_cast<tmsize_t>(raw.size())) >= 0;
  }
  TIFFClose(tiff);
  return ok;
}

class ConvertOneTest : public ::testing::Test {
 protected:
  TempFolder folder;

  // Converts and checks the file with qpdf; answers the PDF's bytes.
  std::string Convert(const std::string& input, const std::string& output) {
    EXPECT_EQ(ostrel::ConvertOne(input.c_str(), output.c_str()), 0) << input;
    bool ok = false;
    const std::string report = Qpdf("--check '" + output + "'", &ok);
    EXPECT_TRUE(ok) << report;
    return Text(TempFolder::Read(output));
  }
  // The decoded data of an object of the output.
  std::string Decoded(const std::string& output, int object) {
    return Qpdf("--show-object=" + std::to_string(object) + " --filtered-stream-data '" + output +
                "'");
  }
  std::string Raw(const std::string& output, int object) {
    return Qpdf("--show-object=" + std::to_string(object) + " --raw-stream-data '" + output + "'");
  }
};

TEST_F(ConvertOneTest, BitmapPage) {
  if (!HaveQpdf()) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const std::string input = folder.Write("a.bmp", imagefile::Bitmap(100, 50));
  const std::string output = folder.File("a.pdf");
  const std::string pdf = Convert(input, output);

  EXPECT_EQ(pdf.rfind("%PDF-1.3", 0), 0u);
  EXPECT_NE(pdf.find("/MediaBox [0 0 100 50]"), std::string::npos);
  EXPECT_NE(pdf.find("/ProcSet [/PDF /ImageB /ImageC /ImageI]"), std::string::npos);
  EXPECT_NE(pdf.find("/XObject <<\r\n/Im1 5 0 R\n>>"), std::string::npos);
  EXPECT_NE(pdf.find("stream\r\nq 1 0 0 1 0 0 cm 100 0 0 50 0 0 cm /Im1 Do Q\r\nendstream"),
            std::string::npos);
  // 1 Pages, 2 Catalog, 3 Resources, 4 Page, 5 image, 6 Contents, 7 Info.
  EXPECT_NE(pdf.find("xref\r\n0 8\r\n"), std::string::npos);
  EXPECT_NE(pdf.find("trailer\r\n<<\r\n/Info 7 0 R\n/Root 2 0 R\n/Size 8\n>>"), std::string::npos);
  EXPECT_NE(pdf.find("5 0 obj\r\n<<\r\n/BitsPerComponent 8\n/ColorSpace /DeviceRGB\n"
                     "/Filter /FlateDecode\n/Height 50\n/Length "),
            std::string::npos);
  // The image's samples are the bitmap's pixels, top row first.
  EXPECT_EQ(Decoded(output, 5), Text(imagefile::RGBRows(100, 50)));
}

TEST_F(ConvertOneTest, PaletteImagesAndResolution) {
  if (!HaveQpdf()) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const std::string output = folder.File("p.pdf");
  std::string pdf = Convert(folder.Write("p.bmp", imagefile::Bitmap(30, 20, 8, 3780, 40)), output);
  EXPECT_NE(pdf.find("/MediaBox [0 0 22.497189 14.998125]"), std::string::npos);
  EXPECT_NE(pdf.find("q 1 0 0 1 0 0 cm 22.497189 0 0 14.998125 0 0 cm /Im1 Do Q"),
            std::string::npos);
  EXPECT_NE(pdf.find("/ColorSpace [/Indexed /DeviceRGB 39 "), std::string::npos);
  EXPECT_EQ(pdf.find(" 0 obj\r\n<<\r\n/Filter [/ASCII85Decode /FlateDecode]"),
            pdf.rfind(" 0 obj\r\n<<\r\n/Filter [/ASCII85Decode /FlateDecode]"))
      << "one lookup stream only";

  ASSERT_TRUE(imagefile::PaletteTiff(folder.File("p.tif"), 9, 4));
  pdf = Convert(folder.File("p.tif"), output);
  EXPECT_NE(pdf.find("/MediaBox [0 0 9 4]"), std::string::npos);
  EXPECT_NE(pdf.find("/ColorSpace [/Indexed /DeviceRGB 15 "), std::string::npos);

  ASSERT_TRUE(imagefile::RGBTiff(folder.File("r.tif"), 40, 30, 144));
  pdf = Convert(folder.File("r.tif"), output);
  EXPECT_NE(pdf.find("q 1 0 0 1 0 0 cm 20 0 0 15 0 0 cm /Im1 Do Q"), std::string::npos);
  EXPECT_EQ(Decoded(output, 5), Text(imagefile::RGBRows(40, 30)));
}

TEST_F(ConvertOneTest, JPEGDataStayAsTheyAre) {
  if (!HaveQpdf()) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const std::string input = folder.File("j.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(input, 600, 300, 300));
  const std::string output = folder.File("j.pdf");
  const std::string pdf = Convert(input, output);
  EXPECT_NE(pdf.find("/MediaBox [0 0 144 72]"), std::string::npos);
  EXPECT_NE(pdf.find("/Filter /DCTDecode"), std::string::npos);
  EXPECT_EQ(pdf.find("/FlateDecode"), std::string::npos);
  EXPECT_EQ(Raw(output, 5), Text(TempFolder::Read(input)));

  // The data go from the input straight into the output, also when the
  // output replaces the input itself.
  const std::string same = folder.File("same.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(same, 200, 100, 72));
  const std::vector<uint8_t> original = TempFolder::Read(same);
  EXPECT_NE(Convert(same, same).find("/Filter /DCTDecode"), std::string::npos);
  EXPECT_EQ(Raw(same, 5), Text(original));
}

TEST_F(ConvertOneTest, FailuresLeaveNoFile) {
  const std::string output = folder.File("out.pdf");
  const std::string text = folder.Write("x.jpg", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm'});
  EXPECT_EQ(ostrel::ConvertOne(text.c_str(), output.c_str()), -1);
  std::vector<uint8_t> cut = imagefile::Bitmap(20, 20);
  cut.resize(cut.size() / 2);
  const std::string damaged = folder.Write("cut.bmp", cut);
  EXPECT_EQ(ostrel::ConvertOne(damaged.c_str(), output.c_str()), -1);
  EXPECT_EQ(ostrel::ConvertOne(folder.File("missing.tif").c_str(), output.c_str()), -1);
  std::vector<std::string> names = FolderEntries(folder.File(""));
  EXPECT_EQ(names.size(), 2u) << "only the two inputs";

  // An existing output survives a failed conversion unchanged, and a good
  // one replaces it.
  folder.Write("out.pdf", {'o', 'l', 'd'});
  EXPECT_EQ(ostrel::ConvertOne(damaged.c_str(), output.c_str()), -1);
  EXPECT_EQ(Text(TempFolder::Read(output)), "old");
  const std::string good = folder.Write("good.bmp", imagefile::Bitmap(4, 4));
  EXPECT_EQ(ostrel::ConvertOne(good.c_str(), output.c_str()), 0);
  EXPECT_EQ(Text(TempFolder::Read(output)).rfind("%PDF-1.3", 0), 0u);

  // An output folder that does not exist.
  EXPECT_EQ(ostrel::ConvertOne(good.c_str(), folder.File("no/such/out.pdf").c_str()), -1);
  EXPECT_EQ(FolderEntries(folder.File("")).size(), 4u);
}

TEST_F(ConvertOneTest, ADamagedPlanarTIFFIsRefusedLeavingNothing) {
  // A planar RGB image, uncompressed, in 39 strips of 29 rows (13 a plane),
  // whose RowsPerStrip is then made 2^31 + 1: each plane reads as one
  // strip of 374 rows that holds 29. It was converted into a scrambled
  // page; it is refused, and no file is written.
  const std::string input = folder.File("planar.tif");
  const uint32_t width = 278;
  const uint32_t height = 374;
  TIFF* tiff = TIFFOpen(input.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 29u);
  std::vector<uint8_t> row(width);
  for (uint16_t plane = 0; plane < 3; ++plane) {
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) row[x] = static_cast<uint8_t>(x + 3 * y + 80 * plane);
      ASSERT_GE(TIFFWriteScanline(tiff, row.data(), y, plane), 0);
    }
  }
  TIFFClose(tiff);
  const std::string output = folder.File("planar.pdf");
  ASSERT_EQ(ostrel::ConvertOne(input.c_str(), output.c_str()), 0) << "the sound file converts";
  ASSERT_EQ(0, unlink(output.c_str()));

  // RowsPerStrip (278) as one LONG in the little-endian directory.
  std::vector<uint8_t> bytes = TempFolder::Read(input);
  ASSERT_GE(bytes.size(), 8u);
  const uint32_t directory = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t{bytes[7]} << 24;
  const uint32_t entries = bytes[directory] | bytes[directory + 1] << 8;
  bool patched = false;
  for (uint32_t i = 0; i < entries; ++i) {
    uint8_t* entry = bytes.data() + directory + 2 + 12 * i;
    if ((entry[0] | entry[1] << 8) != TIFFTAG_ROWSPERSTRIP) continue;
    const uint8_t value[10] = {4, 0, 1, 0, 0, 0, 1, 0, 0, 0x80};  // LONG, 1, 0x80000001
    std::copy(value, value + 10, entry + 2);
    patched = true;
  }
  ASSERT_TRUE(patched);
  folder.Write("planar.tif", bytes);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ostrel::ConvertOne(input.c_str(), output.c_str()), -1);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot decode strip"), std::string::npos) << said;
  EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>{"planar.tif"});
}

TEST_F(ConvertOneTest, BlankLargeScanConvertsInLittleMemory) {
  // The blank back of an A0 page scanned at 600 dpi in Group 4: 70 MB of
  // pixels in a few kilobytes. It converts, the pixels held once.
  const std::string input = folder.File("blank.tif");
  const uint32_t width = 19866;
  const uint32_t height = 28087;
  const uint32_t rowsPerStrip = 256;
  TIFF* tiff = TIFFOpen(input.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 600.0f);
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 600.0f);
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  {
    const uint32_t rowBytes = (width + 7) / 8;
    std::vector<uint8_t> strip(size_t{rowBytes} * rowsPerStrip, 0);
    for (uint32_t y = 0, s = 0; y < height; y += rowsPerStrip, ++s) {
      const uint32_t rows = std::min(rowsPerStrip, height - y);
      ASSERT_GE(TIFFWriteEncodedStrip(tiff, s, strip.data(),
                                      static_cast<tmsize_t>(size_t{rowBytes} * rows)),
                0);
    }
  }
  TIFFClose(tiff);
  const std::string output = folder.File("blank.pdf");
  const ChildConversion child = ConvertInChild(input, output);
  ASSERT_TRUE(child.Converted()) << child.status;
  if (kPeakMeasurable) {
    EXPECT_LT(child.peakKilobytes, 200 * 1024) << "peak kilobytes";
  }
  const std::string pdf = Text(TempFolder::Read(output));
  EXPECT_NE(pdf.find("/MediaBox [0 0 2383.919922 3370.439941]"), std::string::npos);
  EXPECT_LT(pdf.size(), size_t{1} << 20);
}

TEST_F(ConvertOneTest, LargeImagesConvertInMemoryThatStaysFlat) {
  // The samples are compressed as they are read and the stored data handed
  // back to the system as they are written: the peak stays far below the
  // images' sizes.
  // 1.5 GiB of bilevel pixels from 24 KB of Group 4 data.
  const std::string bomb = folder.File("bomb.tif");
  ASSERT_TRUE(WriteBlankG4(bomb, 65536, 196608, 4096));
  // 64 MB of 24-bit bitmap pixels.
  const std::string bitmap = folder.File("big.bmp");
  {
    std::vector<uint8_t> bytes = imagefile::Bitmap(4, 4);
    const uint32_t width = 4096;
    const uint32_t height = 5461;
    std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 54);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(2, 54 + width * 3 * height);
    put32(10, 54);
    put32(18, width);
    put32(22, height);
    header[28] = 24;
    put32(30, 0);
    put32(34, 0);
    put32(46, 0);
    std::vector<uint8_t> file(header);
    file.resize(54 + size_t{width} * 3 * height);
    uint32_t state = 12345;
    for (size_t i = 54; i < file.size(); ++i) {
      state = state * 1103515245u + 12345u;
      file[i] = static_cast<uint8_t>((i / 3 % 251) + (state >> 28));
    }
    folder.Write("big.bmp", file);
  }
  // A 40 MB JPEG: a small image's header, then scan data without a marker.
  const std::string jpeg = folder.File("big.jpg");
  {
    ASSERT_TRUE(imagefile::DenseJpeg(jpeg, 64, 64, 72));
    std::vector<uint8_t> bytes = TempFolder::Read(jpeg);
    ASSERT_GE(bytes.size(), 2u);
    bytes.resize(bytes.size() - 2);  // the EOI
    std::vector<uint8_t> scan(40u << 20);
    for (size_t i = 0; i < scan.size(); ++i) scan[i] = static_cast<uint8_t>(i * 7 % 255);
    bytes.insert(bytes.end(), scan.begin(), scan.end());
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
    folder.Write("big.jpg", bytes);
  }
  struct Case {
    const std::string& input;
    long peakLimitKilobytes;
  };
  for (const Case& c : {Case{bomb, 300 * 1024}, Case{bitmap, 48 * 1024}, Case{jpeg, 20 * 1024}}) {
    // Under the sanitizers 1.5 GiB of pixels take minutes; the bound is not
    // measured there anyway.
    if (!kPeakMeasurable && c.input == bomb) continue;
    const std::string output = folder.File("big.pdf");
    const ChildConversion child = ConvertInChild(c.input, output);
    ASSERT_TRUE(child.Converted()) << c.input << " " << child.status;
    if (kPeakMeasurable) {
      EXPECT_GT(child.peakKilobytes, 0) << c.input << ": no peak reported";
      EXPECT_LT(child.peakKilobytes, c.peakLimitKilobytes) << c.input << ": peak kilobytes";
    }
    EXPECT_GT(TempFolder::Read(output).size(), c.input == bomb ? 1000u : 40u << 20) << c.input;
  }
}

TEST_F(ConvertOneTest, AFullTemporaryDiskFailsTheConversionWithoutACrash) {
  // A file size limit stands in for a full disk: the compressed samples'
  // mapped storage cannot grow past it. The reservation of its blocks fails
  // first, so the conversion fails as a failure (no SIGBUS from a page of
  // the mapping that the disk could not hold) and leaves no file.
  const std::string input = folder.File("noise.bmp");
  {
    std::vector<uint8_t> file = imagefile::Bitmap(4, 4);
    const uint32_t width = 1024;
    const uint32_t height = 1024;
    file.resize(54);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(2, 54 + width * 3 * height);
    put32(10, 54);
    put32(18, width);
    put32(22, height);
    file[28] = 24;
    put32(30, 0);
    put32(34, 0);
    put32(46, 0);
    file.resize(54 + size_t{width} * 3 * height);
    uint32_t state = 99;
    for (size_t i = 54; i < file.size(); ++i) {
      state = state * 1103515245u + 12345u;
      file[i] = static_cast<uint8_t>(state >> 24);
    }
    folder.Write("noise.bmp", file);
  }
  const std::string output = folder.File("out/noise.pdf");
  ASSERT_EQ(0, mkdir(folder.File("out").c_str(), 0700));
  const ChildConversion child = ConvertInChild(input, output, 1u << 20);
  EXPECT_TRUE(child.Failed()) << child.status;
  EXPECT_TRUE(FolderEntries(folder.File("out")).empty());
  // Without the limit it converts.
  EXPECT_TRUE(ConvertInChild(input, output).Converted());
}

TEST_F(ConvertOneTest, DamagedAndSpecialInputsFailAtOnceSayingWhy) {
  const std::string output = folder.File("out.pdf");
  // A JPEG cut in its scan data, an RLE bitmap cut before its end.
  const std::string jpeg = folder.File("cut.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(jpeg, 64, 64, 72));
  std::vector<uint8_t> bytes = TempFolder::Read(jpeg);
  bytes.resize(bytes.size() * 3 / 4);
  folder.Write("cut.jpg", bytes);
  std::vector<uint8_t> rle = imagefile::Bitmap(4, 4, 8);
  rle[30] = 1;                                      // RLE8
  rle.resize(14 + 40 + 4 * 16);                     // the palette, then
  for (uint8_t b : {4, 1, 0, 0}) rle.push_back(b);  // one row and an end of line
  rle[34] = 4;                                      // image size: the four bytes there are
  rle[35] = rle[36] = rle[37] = 0;
  const std::string bitmap = folder.Write("cut.bmp", rle);
  // A FIFO would block a plain open for ever; the alarm ends the test
  // program should that happen.
  const std::string fifo = folder.File("pipe.tif");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  alarm(60);
  // The FIFO is refused as the images of the file are counted, the others
  // as their image is read: the record names the import either way.
  const std::pair<std::string, std::string> refusals[] = {
      {jpeg, jpeg + ": JPEG file refused ("},
      {bitmap, bitmap + ": BMP file refused ("},
      {fifo, "unknown file format: " + fifo + " (not a regular file)"}};
  for (const auto& [input, record] : refusals) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(ostrel::ConvertOne(input.c_str(), output.c_str()), -1) << input;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(input + ": CPDFImageXObj::CreateImageXObj: " + record, 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
  alarm(0);
  EXPECT_EQ(FolderEntries(folder.File("")).size(), 3u) << "no output";

  // A conversion that succeeds says nothing.
  testing::internal::CaptureStderr();
  EXPECT_EQ(
      ostrel::ConvertOne(folder.Write("good.bmp", imagefile::Bitmap(4, 4)).c_str(), output.c_str()),
      0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The pages of a converted file as qpdf lists them: the page's and its
// image's object numbers.
struct ListedPage {
  int page = 0;
  int image = 0;
};

std::vector<ListedPage> ListPages(const std::string& pdf) {
  std::vector<ListedPage> pages;
  const std::string listing = Qpdf("--show-pages --with-images '" + pdf + "'");
  size_t at = 0;
  while ((at = listing.find("page ", at)) != std::string::npos) {
    ListedPage page;
    const size_t colon = listing.find(": ", at);
    page.page = std::atoi(listing.c_str() + colon + 2);
    const size_t image = listing.find("/Im1: ", colon);
    if (image != std::string::npos) page.image = std::atoi(listing.c_str() + image + 6);
    pages.push_back(page);
    at = colon;
  }
  return pages;
}

// What a file of several images is made of here: three of other kinds,
// sizes and resolutions, the last to be shown turned a quarter clockwise.
struct ThreeImages {
  std::vector<tifftest::Layout> layouts = std::vector<tifftest::Layout>(3);
  std::vector<tifftest::Samples> images = {tifftest::Varied(40, 30, 3, 8, 1),
                                           tifftest::Varied(25, 10, 1, 4, 2),
                                           tifftest::Varied(9, 4, 1, 8, 3)};
  ThreeImages() {
    layouts[0].photometric = PHOTOMETRIC_RGB;
    layouts[0].compression = COMPRESSION_LZW;
    layouts[0].dpi = 144;
    layouts[1].bits = 4;
    layouts[1].rowsPerStrip = 2;
    layouts[1].photometric = PHOTOMETRIC_PALETTE;
    for (int table = 0; table < 3; ++table)
      for (int i = 0; i < 16; ++i)
        layouts[1].colourMap.push_back(static_cast<uint16_t>((i * 17 + table * 80) % 256 * 257));
    layouts[2].compression = COMPRESSION_LZW;
    layouts[2].orientation = ORIENTATION_RIGHTTOP;
  }
  bool Write(const std::string& path) const { return tifftest::WriteFile(path, layouts, images); }
};

TEST_F(ConvertOneTest, EveryImageOfATIFFBecomesAPage) {
  // A scan of three pages was a PDF of its first page, and reported as
  // converted.
  if (!HaveQpdf()) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const ThreeImages three;
  const std::string input = folder.File("three.tif");
  ASSERT_TRUE(three.Write(input));
  const std::string output = folder.File("three.pdf");
  Convert(input, output);
  EXPECT_EQ(Qpdf("--show-npages '" + output + "'"), "3\n");
  const std::vector<ListedPage> pages = ListPages(output);
  ASSERT_EQ(pages.size(), 3u);
  const char* const boxes[] = {"/MediaBox [ 0 0 20 15 ]", "/MediaBox [ 0 0 25 10 ]",
                               "/MediaBox [ 0 0 9 4 ]"};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const std::string page =
        Qpdf("--show-object=" + std::to_string(pages[i].page) + " '" + output + "'");
    EXPECT_NE(page.find(boxes[i]), std::string::npos) << page;
    EXPECT_EQ(page.find("/Rotate 90") != std::string::npos, i == 2) << page;
    const tifftest::Samples& image = three.images[i];
    EXPECT_EQ(Decoded(output, pages[i].image),
              Text(tifftest::Stored(image, three.layouts[i].bits, image.perPixel)));
  }
  // The palette of the second page, written out with its image before the
  // last page was made.
  const std::string image =
      Qpdf("--show-object=" + std::to_string(pages[1].image) + " '" + output + "'");
  const size_t indexed = image.find("/Indexed /DeviceRGB 15 ");
  ASSERT_NE(indexed, std::string::npos) << image;
  std::string lookup;
  for (int i = 0; i < 16; ++i)
    for (int table = 0; table < 3; ++table)
      lookup += static_cast<char>((i * 17 + table * 80) % 256);
  // "N G R": the number and the generation (the number may have served the
  // colour space of the image read for the page's size).
  char* end = nullptr;
  const long number = std::strtol(image.c_str() + indexed + 23, &end, 10);
  const long generation = std::strtol(end, nullptr, 10);
  EXPECT_EQ(Qpdf("--show-object=" + std::to_string(number) + "," + std::to_string(generation) +
                 " --filtered-stream-data '" + output + "'"),
            lookup);
}

TEST_F(ConvertOneTest, AFileChangedBetweenItsReadsIsRefusedAtWhicheverReadFindsIt) {
  // A JPEG replaced between the read for its size and the read for its
  // data gave a page of one file's size showing the other. After each open
  // of the input in turn (counting, each image for its size and for its
  // data), another file is renamed over it or its bytes written into it: a
  // later read, or the copy of data left in the file, refuses it.
  const std::string input = folder.File("in.img");
  const std::string output = folder.File("out.pdf");
  const std::string other = folder.File("other.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(other, 30, 90, 72));
  const std::vector<uint8_t> otherBytes = TempFolder::Read(other);
  const ThreeImages three;
  const std::function<bool()> kinds[] = {[&] { return imagefile::DenseJpeg(input, 64, 48, 72); },
                                         [&] { return three.Write(input); }};
  int opens = 0;
  bool rename = false;
  ImageFile::SetOpenedHookForTesting([&](const char* path) {
    if (path != input || --opens != 0) return;
    folder.Write(rename ? "new.img" : "in.img", otherBytes);
    if (rename) std::rename(folder.File("new.img").c_str(), input.c_str());
  });
  for (const auto& make : kinds) {
    ASSERT_TRUE(make());
    opens = 0;
    ASSERT_EQ(ostrel::ConvertOne(input.c_str(), output.c_str()), 0);
    ASSERT_EQ(unlink(output.c_str()), 0);
    const int total = -opens;
    ASSERT_GE(total, 5);
    for (int at = 1; at <= 2 * total; ++at) {
      SCOPED_TRACE(testing::Message() << "after open " << (at + 1) / 2 << " of " << total);
      ASSERT_TRUE(make());
      opens = (at + 1) / 2;
      rename = at % 2 == 0;
      testing::internal::CaptureStderr();
      EXPECT_EQ(ostrel::ConvertOne(input.c_str(), output.c_str()), -1);
      const std::string said = testing::internal::GetCapturedStderr();
      EXPECT_NE(said.find("the file " + input + " changed or was cut short after it was read"),
                std::string::npos)
          << said;
      EXPECT_NE(access(output.c_str(), F_OK), 0) << "no output";
    }
  }
  ImageFile::SetOpenedHookForTesting(nullptr);
}

TEST_F(ConvertOneTest, AFileWithAnImageThatCannotBeReadIsRefusedWhole) {
  // Whichever image fails, and whenever (counting the images, learning a
  // page's size, reading its pixels after earlier pages were written out),
  // the conversion fails naming the image and writes nothing; an existing
  // output stays as it was.
  const ThreeImages three;
  const std::string input = folder.File("three.tif");
  ASSERT_TRUE(three.Write(input));
  const std::vector<uint8_t> whole = TempFolder::Read(input);
  const std::vector<uint32_t> directories = tifftest::Directories(whole);
  ASSERT_EQ(directories.size(), 3u);

  std::vector<uint8_t> pastEnd = whole;
  tifftest::PutLe32(pastEnd, tifftest::NextField(pastEnd, directories[2]), 0x7FFF0000u);
  std::vector<uint8_t> deep = whole;
  const size_t bits = tifftest::ValueField(deep, directories[2], TIFFTAG_BITSPERSAMPLE);
  ASSERT_NE(bits, 0u);
  deep[bits] = 33;
  std::vector<uint8_t> badData = whole;
  const size_t strip = tifftest::ValueField(badData, directories[2], TIFFTAG_STRIPOFFSETS);
  ASSERT_NE(strip, 0u);
  const uint32_t data = tifftest::Le32(badData, strip);
  for (uint32_t i = 0; i < 8; ++i) badData[data + i] = 0xFF;
  std::vector<uint8_t> tooLarge = whole;
  for (uint16_t tag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH, TIFFTAG_ROWSPERSTRIP}) {
    const size_t at = tifftest::ValueField(tooLarge, directories[2], tag);
    ASSERT_NE(at, 0u);
    tooLarge[at] = 0x60;  // 60000
    tooLarge[at + 1] = 0xEA;
  }
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string said;
  };
  const Case cases[] = {
      {"a last image too large", tooLarge,
       "CPDFImageXObj::CreateImageXObj: INPUT: TIFF file refused (image 3: image too large)"},
      {"a chain that leads past the end", pastEnd,
       "CPDFImageXObj::CreateImageXObj: INPUT: TIFF file refused (image 4: "},
      {"an image of 33 bits", deep,
       "CPDFImageXObj::CreateImageXObj: INPUT: TIFF file refused (image 3: unsupported bits "
       "per sample)"},
      {"damaged pixels of the last image", badData,
       "CPDFImageXObj::CreateImageXObj: INPUT: TIFF file refused (image 3: cannot decode "
       "strip 1: "},
  };
  const std::string output = folder.File("out.pdf");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string damaged = folder.Write("damaged.tif", c.bytes);
    folder.Write("out.pdf", {'o', 'l', 'd'});
    testing::internal::CaptureStderr();
    EXPECT_EQ(ostrel::ConvertOne(damaged.c_str(), output.c_str()), -1);
    const std::string said = testing::internal::GetCapturedStderr();
    std::string expected = damaged + ": " + c.said;
    expected.replace(expected.find("INPUT"), 5, damaged);
    EXPECT_EQ(said.rfind(expected, 0), 0u) << said;
    EXPECT_EQ(Text(TempFolder::Read(output)), "old");
    EXPECT_EQ(FolderEntries(folder.File("")).size(), 3u) << "no file left behind";
  }
}

// An upright picture, 64 x 40, white with a red block in its top left
// corner and a green one in its top right corner.
void UprightPixel(uint32_t x, uint32_t y, uint8_t* rgb) {
  rgb[0] = rgb[1] = rgb[2] = 255;
  if (x < 16 && y < 10) rgb[1] = rgb[2] = 0;
  if (x >= 52 && y < 8) rgb[0] = rgb[2] = 0;
}

// Where pixel (x, y) of an image stored for the orientation given lies in
// the upright picture (stored images of orientations 5 to 8 are 40 x 64).
void UprightPlace(int orientation, uint32_t x, uint32_t y, uint32_t& ux, uint32_t& uy) {
  const uint32_t w = orientation < 5 ? 64 : 40;
  const uint32_t h = orientation < 5 ? 40 : 64;
  switch (orientation) {
    case 2: ux = w - 1 - x, uy = y; break;
    case 3: ux = w - 1 - x, uy = h - 1 - y; break;
    case 4: ux = x, uy = h - 1 - y; break;
    case 5: ux = y, uy = x; break;
    case 6: ux = h - 1 - y, uy = x; break;
    case 7: ux = h - 1 - y, uy = w - 1 - x; break;
    case 8: ux = y, uy = w - 1 - x; break;
    default: ux = x, uy = y; break;
  }
}

TEST_F(ConvertOneTest, PhotosAreShownUpright) {
  // A photo whose file says how to turn or mirror it is shown as an image
  // viewer shows it: the page turns (/Rotate) and the image is drawn
  // mirrored where asked; the JPEG's bytes stay as they are and the media
  // box is the stored image's size.
  if (!HaveQpdf()) FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  const bool render = std::system("mutool -v >/dev/null 2>&1") == 0;
  struct Expected {
    const char* rotate;
    const char* matrix;
  };
  const Expected expected[9] = {{},
                                {nullptr, "64 0 0 40 0 0"},
                                {nullptr, "-64 0 0 40 64 0"},
                                {"/Rotate 180", "64 0 0 40 0 0"},
                                {"/Rotate 180", "-64 0 0 40 64 0"},
                                {"/Rotate 270", "-40 0 0 64 40 0"},
                                {"/Rotate 90", "40 0 0 64 0 0"},
                                {"/Rotate 90", "-40 0 0 64 40 0"},
                                {"/Rotate 270", "40 0 0 64 0 0"}};
  for (int orientation = 1; orientation <= 8; ++orientation) {
    for (bool tiff : {false, true}) {
      SCOPED_TRACE(std::to_string(orientation) + (tiff ? " TIFF" : " JPEG"));
      const uint32_t w = orientation < 5 ? 64 : 40;
      const uint32_t h = orientation < 5 ? 40 : 64;
      auto stored = [&](uint32_t x, uint32_t y, uint8_t* rgb) {
        uint32_t ux = 0;
        uint32_t uy = 0;
        UprightPlace(orientation, x, y, ux, uy);
        UprightPixel(ux, uy, rgb);
      };
      const std::string input = folder.File(tiff ? "photo.tif" : "photo.jpg");
      if (tiff) {
        tifftest::Samples image(w, h, 3);
        for (uint32_t y = 0; y < h; ++y) {
          for (uint32_t x = 0; x < w; ++x) {
            uint8_t rgb[3];
            stored(x, y, rgb);
            for (int c = 0; c < 3; ++c) image.At(x, y, c) = rgb[c];
          }
        }
        tifftest::Layout layout;
        layout.photometric = PHOTOMETRIC_RGB;
        layout.orientation = static_cast<uint16_t>(orientation);
        ASSERT_TRUE(tifftest::WriteFile(input, layout, image));
      } else {
        JPEGSpec spec;
        spec.width = static_cast<int>(w);
        spec.height = static_cast<int>(h);
        spec.app1 = {ExifOrientation(static_cast<uint32_t>(orientation), orientation % 2 == 0)};
        spec.pixel = [&](int x, int y, unsigned char* rgb) {
          stored(static_cast<uint32_t>(x), static_cast<uint32_t>(y), rgb);
        };
        ASSERT_TRUE(WriteJPEG(input, spec));
      }
      const std::string output = folder.File("photo.pdf");
      const std::string pdf = Convert(input, output);
      const Expected& e = expected[orientation];
      EXPECT_EQ(pdf.find("/Rotate") != std::string::npos, e.rotate != nullptr);
      if (e.rotate) {
        EXPECT_NE(pdf.find(std::string(e.rotate) + "\n"), std::string::npos);
      }
      EXPECT_NE(pdf.find("/MediaBox [0 0 " + std::to_string(w) + " " + std::to_string(h) + "]"),
                std::string::npos);
      EXPECT_NE(pdf.find("q 1 0 0 1 0 0 cm " + std::string(e.matrix) + " cm /Im1 Do Q"),
                std::string::npos);
      if (!tiff) {
        EXPECT_EQ(Raw(output, 5), Text(TempFolder::Read(input)));
      }
      if (!render) continue;
      // Drawn as a viewer shows it: upright, 64 x 40, red top left, green
      // top right.
      const std::string pam = folder.File("photo.pam");
      ASSERT_EQ(std::system(("mutool draw -q -A 0 -r 72 -c rgb -F pam -o '" + pam + "' '" + output +
                             "' 1 2>/dev/null")
                                .c_str()),
                0);
      e2e::Raster page;
      ASSERT_TRUE(e2e::ReadPam(pam, page));
      ASSERT_EQ(page.width, 64u);
      ASSERT_EQ(page.height, 40u);
      struct Probe {
        uint32_t x, y;
      };
      for (const Probe& p :
           {Probe{4, 4}, Probe{58, 3}, Probe{4, 35}, Probe{58, 35}, Probe{30, 20}}) {
        uint8_t want[3];
        UprightPixel(p.x, p.y, want);
        const uint8_t* got = page.At(p.x, p.y);
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(got[c], want[c], 40) << "(" << p.x << ", " << p.y << ") channel " << c;
      }
    }
  }
}

// Runs the command in a shell; what it printed on both outputs, and whether
// it exited 0.
std::string Shell(const std::string& command, bool* ok) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) out.append(block, n);
  *ok = pclose(pipe) == 0;
  return out;
}

TEST_F(ConvertOneTest, FailuresSayWhatWentWrong) {
  // A missing input is no unknown format: the system's reason is given.
  const std::string missing = folder.File("missing.jpg");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ostrel::ConvertOne(missing.c_str(), folder.File("out.pdf").c_str()), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            missing + ": CPDFImageXObj::CreateImageXObj: cannot open " + missing +
                ": No such file or directory\n");

  const std::string input = folder.File("noise.tif");
  tifftest::Layout layout;
  layout.photometric = PHOTOMETRIC_RGB;
  ASSERT_TRUE(tifftest::WriteFile(input, layout, tifftest::Varied(1000, 1000, 3, 8)));
  const std::string output = folder.File("noise.pdf");
  const std::string work = folder.File("work");
  ASSERT_EQ(mkdir(work.c_str(), 0700), 0);
  const std::string convert =
      "\"" + std::string(PN_CONVERT_ONE_CHILD) + "\" \"" + input + "\" \"" + output + "\"";
  bool ok = true;

  // A write that fails names the output file as such: here its folder is
  // not there.
  const std::string nowhere = folder.File("gone/noise.pdf");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ostrel::ConvertOne(input.c_str(), nowhere.c_str()), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            input + ": CPDFDoc::Save: cannot write the output file " + nowhere +
                ": No such file or directory\n");

  // Under a file-size limit, its signal ignored or at its default action
  // (which would end the process without a word), the conversion fails
  // naming what it could not write (the output, or the image store: the
  // limit, not the temporary folder), keeps the old output, leaves nothing.
  const std::string photo = folder.File("photo.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(photo, 1000, 1000, 72));
  const std::string pages = folder.File("pages.tif");  // three of 480 kB of noise
  ASSERT_TRUE(
      tifftest::WriteFile(pages, std::vector<tifftest::Layout>(3, layout),
                          {tifftest::Varied(400, 400, 3, 8, 1), tifftest::Varied(400, 400, 3, 8, 2),
                           tifftest::Varied(400, 400, 3, 8, 3)}));
  const std::string kept = work + "/out.pdf";
  std::string said;
  for (const std::string& in : {photo, pages, input})
    for (const std::string signal : {"trap '' XFSZ", ":"}) {
      SCOPED_TRACE(in + ", " + signal);
      folder.Write("work/out.pdf", {'o', 'l', 'd'});
      said = Shell("{ " + signal + "; ulimit -f " + (in == photo ? "100" : "2048") + "; TMPDIR=\"" +
                       work + "\" \"" + PN_CONVERT_ONE_CHILD + "\" \"" + in + "\" \"" + kept +
                       "\"; echo \"exit $?\"; }",
                   &ok);
      const std::string what =
          in == input
              ? "CPDFImageXObj::CreateImageXObj: " + input +
                    ": cannot store the image data: File too large (the limit of a file's "
                    "size)\n"
              : "CPDFDoc::StoreObj: cannot write the output file " + kept + ": File too large\n";
      EXPECT_NE(said.find(in + ": " + what), std::string::npos) << said;
      EXPECT_NE(said.find("exit 1\n"), std::string::npos) << said;
      EXPECT_EQ("old", Text(TempFolder::Read(kept)));
      EXPECT_EQ(std::vector<std::string>{"out.pdf"}, FolderEntries(work));
    }

  // A temporary folder that fills up while the samples are stored is named
  // as full (not taken for want of memory). A small file system of its own
  // stands in for it, where the system lets a process mount one; where it
  // does not, the case above has taken the same path.
  const std::string small = folder.File("small");
  ASSERT_EQ(mkdir(small.c_str(), 0700), 0);
  Shell("unshare -r -m sh -c 'mount -t tmpfs -o size=1m none \"" + small + "\"'", &ok);
  if (!ok) {
    std::printf("no file system of its own can be mounted here: a full folder is not tried\n");
    return;
  }
  said = Shell("unshare -r -m sh -c 'mount -t tmpfs -o size=1m none \"" + small +
                   "\" && TMPDIR=\"" + small + "\" exec " + convert + "'",
               &ok);
  EXPECT_FALSE(ok);
  EXPECT_NE(said.find(input + ": CPDFImageXObj::CreateImageXObj: " + input +
                      ": the temporary folder " + small + " is full"),
            std::string::npos)
      << said;
  EXPECT_TRUE(TempFolder::Read(output).empty());

  // An output file that fills its disk (the samples do not compress to
  // less than the 1 MB there) is named as the output.
  const std::string full = small + "/noise.pdf";
  said = Shell("unshare -r -m sh -c 'mount -t tmpfs -o size=1m none \"" + small +
                   "\" && TMPDIR=\"" + work + "\" exec \"" + PN_CONVERT_ONE_CHILD + "\" \"" +
                   input + "\" \"" + full + "\"'",
               &ok);
  EXPECT_FALSE(ok);
  EXPECT_NE(said.find(input + ": CPDFDoc::StoreObj: cannot write the output file " + full +
                      ": No space left on device\n"),
            std::string::npos)
      << said;
}

TEST_F(ConvertOneTest, ImagesOfAFileAreHeldOneAtATime) {
  // Pages of 2.9 MB of noise each: every page but the last is written out
  // as soon as it is drawn, so twelve pages take no more memory than one.
  auto write = [&](const std::string& name, int pages) {
    std::vector<tifftest::Layout> layouts(static_cast<size_t>(pages));
    std::vector<tifftest::Samples> images;
    for (int i = 0; i < pages; ++i) {
      layouts[static_cast<size_t>(i)].photometric = PHOTOMETRIC_RGB;
      images.push_back(tifftest::Varied(1000, 1000, 3, 8, static_cast<uint32_t>(i + 1)));
    }
    const std::string path = folder.File(name);
    EXPECT_TRUE(tifftest::WriteFile(path, layouts, images));
    return path;
  };
  const ChildConversion one = ConvertInChild(write("one.tif", 1), folder.File("one.pdf"));
  ASSERT_TRUE(one.Converted()) << one.status;
  const std::string output = folder.File("twelve.pdf");
  const ChildConversion twelve = ConvertInChild(write("twelve.tif", 12), output);
  ASSERT_TRUE(twelve.Converted()) << twelve.status;
  if (kPeakMeasurable) {
    EXPECT_LT(twelve.peakKilobytes, one.peakKilobytes + 4 * 1024) << "peak kilobytes";
  }
  EXPECT_GT(TempFolder::Read(output).size(), 12u * 3000000u);
}

}  // namespace
