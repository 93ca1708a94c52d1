#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "ImageFileMaker.h"
#include "ImageTestSupport.h"
#include "ResourceTestSupport.h"
#include "TIFFTestWriter.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageImport.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/TestRegistry.h"
#include "tests/pdf/metrics/AllocationFailure.h"
#include "tests/pdf/object/CPDFStreamTestSupport.h"

namespace {

std::string DataOf(CPDFStream& s) {
  const char* data = s.GetData();
  return data ? std::string(data, static_cast<size_t>(s.GetDataLength())) : std::string();
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// The dictionary text of an image (the stream's data left out).
std::string DictText(CPDFImageXObj& image) {
  CPDFDict copy;
  EXPECT_TRUE(image.CPDFDict::Duplicate(&copy, image.GetDoc(), image.GetDoc(), true));
  return WrittenText(copy);
}

// The decoded lookup table of an Indexed image.
std::string LookupOf(TestRegistry& doc, CPDFImageXObj& image) {
  auto* space = dynamic_cast<CPDFIndexedCS*>(image.Get_ColorSpace());
  if (!space) return "no Indexed colour space";
  auto* lookup = dynamic_cast<CPDFStream*>(space->Get(&doc, 3));
  if (!lookup) return "no lookup stream";
  CPDFStream copy;
  if (!lookup->Duplicate(&copy, &doc, &doc, true) || !copy.DecodeAllFilter()) return "undecodable";
  return DataOf(copy);
}

class ImageXObjTest : public ::testing::Test {
 protected:
  TempFolder folder;
  TestRegistry doc;
  CPDFMatrix matrix;

  std::unique_ptr<CPDFImageXObj> Import(const std::string& path) {
    return std::unique_ptr<CPDFImageXObj>(
        CPDFImageXObj::CreateImageXObj(&doc, path.c_str(), matrix));
  }
  // The record of a refused file: "unknown file format: <path>" when no
  // reader knows it (the cause, when given, in brackets), else the format
  // and the reader's reason (expected as given, or any when empty).
  void ExpectRefused(const std::string& path, const std::string& format,
                     const std::string& cause = "") {
    doc.GetError().Clear();
    matrix.SetIdentity();
    EXPECT_EQ(Import(path), nullptr) << path;
    EXPECT_STREQ(doc.GetError().GetClassName(), "CPDFImageXObj");
    EXPECT_STREQ(doc.GetError().GetMethodName(), "CreateImageXObj");
    EXPECT_EQ(doc.GetError().GetCode(), 3);
    const std::string message = doc.GetError().GetMessage();
    if (format.empty()) {
      EXPECT_EQ(message,
                "unknown file format: " + path + (cause.empty() ? "" : " (" + cause + ")"));
    } else if (cause.empty()) {
      EXPECT_EQ(message.rfind(path + ": " + format + " file refused (", 0), 0u) << message;
    } else {
      EXPECT_EQ(message, path + ": " + format + " file refused (" + cause + ")");
    }
    EXPECT_EQ(WrittenText(matrix), "[1 0 0 1 0 0]");
    EXPECT_TRUE(doc.objects.empty()) << "nothing may stay registered";
  }
};

TEST_F(ImageXObjTest, RefusedFilesNameTheirFormatAndCause) {
  std::vector<uint8_t> twoBit = imagefile::Bitmap(4, 2);
  twoBit[28] = 2;  // bits per pixel
  // A palette bitmap whose rows end early.
  std::vector<uint8_t> cut = imagefile::Bitmap(8, 8, 8);
  cut.resize(cut.size() - 10);
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    std::string format;  // empty: no reader knows the file
    std::string cause;
  };
  const std::vector<Case> cases = {
      {"empty", {}, "", ""},
      {"one", {'B'}, "", ""},
      {"text.jpg", {'h', 'e', 'l', 'l', 'o'}, "", ""},
      {"fake.tif", {'I', 'I', 0, 0, 1, 2, 3}, "TIFF", ""},
      {"header.jpg", {0xFF, 0xD8, 0xFF}, "JPEG", ""},
      {"two.bmp", twoBit, "BMP", "unsupported bit count"},
      {"cut.bmp", cut, "BMP", "pixel data cut short"},
  };
  for (const Case& c : cases) ExpectRefused(folder.Write(c.name, c.bytes), c.format, c.cause);
}

TEST_F(ImageXObjTest, FilesThatCannotBeOpenedSayWhy) {
  // A missing file, or one that may not be read, is no unknown format: the
  // record gives the system's reason, for the count as for the image.
  const std::string missing = folder.File("missing.bmp");
  const std::string locked = folder.Write("locked.jpg", {0xFF, 0xD8, 0xFF});
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  const bool readable = access(locked.c_str(), R_OK) == 0;  // as root it still is
  struct Case {
    std::string path;
    std::string reason;
  };
  std::vector<Case> cases = {{missing, "No such file or directory"}};
  if (!readable) cases.push_back({locked, "Permission denied"});
  for (const Case& c : cases) {
    doc.GetError().Clear();
    EXPECT_EQ(Import(c.path), nullptr);
    EXPECT_EQ(doc.GetError().GetCode(), 2) << c.path;
    EXPECT_STREQ(doc.GetError().GetMethodName(), "CreateImageXObj");
    EXPECT_EQ(std::string(doc.GetError().GetMessage()), "cannot open " + c.path + ": " + c.reason);
    doc.GetError().Clear();
    EXPECT_EQ(CPDFImageXObj::CountImages(&doc, c.path.c_str()), -1);
    EXPECT_STREQ(doc.GetError().GetMethodName(), "CreateImageXObj");
    EXPECT_EQ(std::string(doc.GetError().GetMessage()), "cannot open " + c.path + ": " + c.reason);
  }
  EXPECT_TRUE(doc.objects.empty());
}

TEST_F(ImageXObjTest, ImagesOfAFileAreCountedAndPickedByIndex) {
  const std::string bitmap = folder.Write("a.bmp", imagefile::Bitmap(3, 2));
  const std::string jpeg = folder.File("a.jpg");
  JPEGSpec spec;
  spec.app1 = {ExifOrientation(6, true)};
  ASSERT_TRUE(WriteJPEG(jpeg, spec));
  const std::string tiff = folder.File("two.tif");
  tifftest::Layout first;
  tifftest::Layout second;
  second.orientation = ORIENTATION_LEFTBOT;
  second.dpi = 144;
  ASSERT_TRUE(tifftest::WriteFile(tiff, {first, second},
                                  {tifftest::Varied(4, 3, 1, 8), tifftest::Varied(6, 8, 1, 8)}));
  EXPECT_EQ(CPDFImageXObj::CountImages(&doc, bitmap.c_str()), 1);
  EXPECT_EQ(CPDFImageXObj::CountImages(&doc, jpeg.c_str()), 1);
  EXPECT_EQ(CPDFImageXObj::CountImages(&doc, tiff.c_str()), 2);
  EXPECT_FALSE(doc.GetError().IsError());

  struct Case {
    std::string path;
    int32_t index;
    int32_t orientation;  // 0: refused
    std::string matrix;
  };
  const Case cases[] = {
      {bitmap, 0, 1, "[3 0 0 2 0 0]"},
      {bitmap, 1, 0, ""},
      {jpeg, 0, 6, "[16 0 0 8 0 0]"},
      {jpeg, 1, 0, ""},
      {tiff, 0, 1, "[4 0 0 3 0 0]"},
      {tiff, 1, 8, "[3 0 0 4 0 0]"},
      {tiff, 2, 0, ""},
      {tiff, -1, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " " + std::to_string(c.index));
    int32_t orientation = 0;
    matrix.SetIdentity();
    doc.GetError().Clear();
    std::unique_ptr<CPDFImageXObj> image(CPDFImageXObj::CreateImageXObj(
        &doc, c.path.c_str(), matrix,
        {.withData = false, .index = c.index, .orientation = &orientation}));
    EXPECT_EQ(orientation, c.orientation);
    if (c.orientation == 0) {
      EXPECT_EQ(image, nullptr);
      // An index past the images says how many there are, counted from 0.
      const std::string message = doc.GetError().GetMessage();
      EXPECT_EQ(doc.GetError().GetCode(), 3);
      if (c.index < 0) {
        EXPECT_EQ(message, "unknown file format: " + c.path);
      } else if (c.path != tiff) {
        EXPECT_EQ(message, c.path + ": the file holds 1 image (index 0), none at index 1");
      } else {
        EXPECT_EQ(message, c.path + ": the file holds 2 images (indices 0 to 1), none at index 2");
      }
      continue;
    }
    ASSERT_NE(image, nullptr) << doc.GetError().GetMessage();
    EXPECT_EQ(WrittenText(matrix), c.matrix);
  }

  // A file of no known kind, and a chain that cannot be read whole.
  doc.GetError().Clear();
  const std::string text = folder.Write("x.tif", {'h', 'i', '!'});
  EXPECT_EQ(CPDFImageXObj::CountImages(&doc, text.c_str()), -1);
  EXPECT_EQ(doc.GetError().GetCode(), 3);
  EXPECT_STREQ(doc.GetError().GetMethodName(), "CreateImageXObj");
  EXPECT_EQ(std::string(doc.GetError().GetMessage()), "unknown file format: " + text);
  std::vector<uint8_t> bytes = TempFolder::Read(tiff);
  const uint32_t second0 = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t{bytes[7]} << 24;
  const size_t next =
      second0 + 2 + 12 * static_cast<size_t>(bytes[second0] | bytes[second0 + 1] << 8);
  bytes[next + 3] = 0x7F;  // the second directory lies past the end
  const std::string broken = folder.Write("broken.tif", bytes);
  doc.GetError().Clear();
  EXPECT_EQ(CPDFImageXObj::CountImages(&doc, broken.c_str()), -1);
  EXPECT_EQ(
      std::string(doc.GetError().GetMessage()).rfind(broken + ": TIFF file refused (image 2: ", 0),
      0u)
      << doc.GetError().GetMessage();
  EXPECT_TRUE(doc.objects.empty());
}

TEST_F(ImageXObjTest, StorageThatCannotGrowIsNamed) {
  // Image data too large for the heap go to the work folder; one that
  // cannot take them is named with the system's reason, not taken for want
  // of memory.
  // Noise, which compression does not bring below the heap's limit.
  std::vector<uint8_t> noise = imagefile::Bitmap(200, 100);
  uint32_t state = 7;
  for (size_t i = 54; i < noise.size(); ++i) {
    state = state * 1103515245u + 12345u;
    noise[i] = static_cast<uint8_t>(state >> 24);
  }
  const std::string path = folder.Write("big.bmp", noise);
  const std::string missing = folder.File("no-such-folder");
  CPDFEnv::Global().Init(missing.c_str(), nullptr, nullptr, nullptr);
  std::string reason = "cannot store the image data in the temporary folder " + missing +
                       ": No such file or directory";
  std::optional<FileSizeLimit> limit;
  for (int run = 0; run < 4; ++run) {  // compressed or not
    if (run == 2) {  // a file size limit (SIGXFSZ ignored) is named, not the folder
      CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
      ASSERT_TRUE(limit.emplace(16 << 10).IsSet());
      reason = "cannot store the image data: File too large (the limit of a file's size)";
    }
    doc.GetError().Clear();
    std::unique_ptr<CPDFImageXObj> image(
        CPDFImageXObj::CreateImageXObj(&doc, path.c_str(), matrix, {.compress = run % 2 == 1}));
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(std::string(doc.GetError().GetMessage()), path + ": " + reason);
  }
  CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
}

TEST_F(ImageXObjTest, WantOfMemoryIsNoRefusal) {
  // Whichever allocation of an import fails, the record says a step failed,
  // never that the file was refused (nor is an object deleted twice).
  const std::string tiff = folder.File("a.tif"), jpeg = folder.File("a.jpg");
  ASSERT_TRUE(imagefile::RGBTiff(tiff, 20, 10, 72) && imagefile::DenseJpeg(jpeg, 32, 16, 72));
  for (const std::string& path : {folder.Write("a.bmp", imagefile::Bitmap(8, 8, 8)), tiff, jpeg}) {
    const long total = [&] {
      pntest::CountAllocations count;
      EXPECT_TRUE(Import(path));
      return count.Count();
    }();
    int failed = 0;
    for (long k = 0; k < total; ++k) {
      doc.GetError().Clear();
      pntest::FailAllocation failure(k);
      if (Import(path)) continue;
      ++failed;
      EXPECT_EQ(doc.GetError().GetCode(), CPDFException::kStepFailed)
          << path << " " << k << ": " << doc.GetError().GetMessage();
    }
    EXPECT_GT(failed, 0) << path;
  }
}

TEST_F(ImageXObjTest, JPEGDataChangedBeforeTheyAreWrittenFailTheSave) {
  // The data of a JPEG file stay in it until the document is written: a
  // file cut short or replaced meanwhile fails the save, saying so, and
  // leaves no file.
  const std::string jpeg = folder.File("photo.jpg");
  const std::string output = folder.File("out.pdf");
  enum class Change { kNone, kCut, kReplaced, kRemoved };
  for (Change change : {Change::kNone, Change::kCut, Change::kReplaced, Change::kRemoved}) {
    SCOPED_TRACE(static_cast<int>(change));
    ASSERT_TRUE(imagefile::DenseJpeg(jpeg, 64, 48, 72));
    const std::vector<uint8_t> bytes = TempFolder::Read(jpeg);
    CPDFDoc* pdf = CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr);
    ASSERT_NE(pdf, nullptr);
    CPDFMatrix size;
    CPDFImageXObj* image = CPDFImageXObj::CreateImageXObj(pdf, jpeg.c_str(), size);
    ASSERT_NE(image, nullptr);
    CPDFObjRef ref;
    ASSERT_TRUE(pdf->RegistObj(image, &ref));
    ASSERT_TRUE(pdf->Save(output.c_str(), false, false));
    switch (change) {
      case Change::kNone: break;
      case Change::kCut: ASSERT_EQ(truncate(jpeg.c_str(), 100), 0); break;
      case Change::kReplaced: {
        // Another file of the same length and more, in its place.
        ASSERT_EQ(unlink(jpeg.c_str()), 0);
        std::vector<uint8_t> other = bytes;
        other.push_back(0);
        folder.Write("photo.jpg", other);
        break;
      }
      case Change::kRemoved: ASSERT_EQ(unlink(jpeg.c_str()), 0); break;
    }
    const bool flushed = pdf->Flush();
    const CPDFException record = pdf->GetError();
    CPDFEnv::Global().CloseDoc(pdf);
    if (change == Change::kNone) {
      EXPECT_TRUE(flushed) << record.GetMessage();
      const std::vector<uint8_t> written = TempFolder::Read(output);
      EXPECT_NE(std::search(written.begin(), written.end(), bytes.begin(), bytes.end()),
                written.end());
      ASSERT_EQ(unlink(output.c_str()), 0);
      continue;
    }
    EXPECT_FALSE(flushed);
    EXPECT_STREQ(record.GetClassName(), "CPDFStream");
    EXPECT_STREQ(record.GetMethodName(), "Write");
    const std::string expected =
        change == Change::kRemoved
            ? "cannot open " + jpeg + " again: No such file or directory"
            : "the file " + jpeg + " changed or was cut short after it was read";
    EXPECT_EQ(std::string(record.GetMessage()), expected);
    EXPECT_TRUE(TempFolder::Read(output).empty()) << "no output";
  }
}

TEST_F(ImageXObjTest, SpecialFilesAreRefusedWithoutWaiting) {
  // A FIFO without a writer would block a plain open for ever; the alarm
  // ends the test program should that happen.
  const std::string fifo = folder.File("pipe.jpg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  alarm(60);
  for (const std::string& path : {fifo, folder.File(""), std::string("/dev/null")}) {
    EXPECT_FALSE(IsBMPFile(path.c_str()) || IsJPEGFile(path.c_str()) || IsTIFFFile(path.c_str()))
        << path;
    VectorSink sink;
    ImageDescription d;
    EXPECT_FALSE(ReadBMPImage(path.c_str(), sink, d));
    EXPECT_FALSE(ReadJPEGImage(path.c_str(), sink, d));
    EXPECT_FALSE(ReadTIFFImage(path.c_str(), sink, d));
    ExpectRefused(path, "", "not a regular file");
  }
  alarm(0);
}

TEST_F(ImageXObjTest, TrueColourBitmap) {
  auto image = Import(folder.Write("a.bmp", imagefile::Bitmap(3, 2)));
  ASSERT_TRUE(image);
  EXPECT_EQ(DictText(*image),
            "<<\r\n/BitsPerComponent 8\n/ColorSpace /DeviceRGB\n/Height 2\n/Length 18\n"
            "/Subtype /Image\n/Type /XObject\n/Width 3\n>>");
  EXPECT_EQ(DataOf(*image), Bytes(imagefile::RGBRows(3, 2)));
  EXPECT_EQ(WrittenText(matrix), "[3 0 0 2 0 0]");
  EXPECT_EQ(image->GetDoc(), &doc);
  EXPECT_TRUE(doc.objects.empty());

  // 2835 pixels per metre is not exactly 72 dots per inch.
  image = Import(folder.Write("b.bmp", imagefile::Bitmap(640, 480, 24, 2835)));
  ASSERT_TRUE(image);
  EXPECT_EQ(WrittenText(matrix), "[639.920044 0 0 479.940002 0 0]");
  // The rows checked to be in the file, the storage is reserved once for all
  // of them (not doubled row by row).
  EXPECT_EQ(image->GetBuffer().GetCapacity(), 640 * 480 * 3 + 1);
}

TEST_F(ImageXObjTest, PaletteBitmapGetsAnIndexedColourSpace) {
  auto image = Import(folder.Write("p.bmp", imagefile::Bitmap(5, 3, 8, 0, 16)));
  ASSERT_TRUE(image);
  ASSERT_EQ(doc.objects.size(), 1u);  // the lookup stream
  EXPECT_EQ(WrittenText(*image->Get_ColorSpace()), "[/Indexed /DeviceRGB 15 1 0 R]");
  auto* lookup = dynamic_cast<CPDFStream*>(doc.objects.begin()->second);
  ASSERT_NE(lookup, nullptr);
  EXPECT_EQ(WrittenText(*lookup->Get_Filter()), "[/ASCII85Decode /FlateDecode]");
  EXPECT_EQ(LookupOf(doc, *image), Bytes(imagefile::BitmapPalette(16)));
  EXPECT_EQ(DataOf(*image).size(), 15u);
}

TEST_F(ImageXObjTest, JPEGDataAreTheFile) {
  const std::string path = folder.File("a.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(path, 600, 300, 300));
  auto image = Import(path);
  ASSERT_TRUE(image);
  const std::vector<uint8_t> file = TempFolder::Read(path);
  EXPECT_EQ(DataOf(*image), Bytes(file));
  EXPECT_EQ(image->GetLength(), static_cast<int32_t>(file.size()));
  EXPECT_EQ(WrittenText(*image->Get_Filter()), "/DCTDecode");
  EXPECT_EQ(WrittenText(*image->Get_ColorSpace()), "/DeviceRGB");
  EXPECT_EQ(WrittenText(matrix), "[144 0 0 72 0 0]");
  EXPECT_EQ(image->Get_DecodeParms(), nullptr);
  // The file's size is known before its bytes are copied: the storage grows
  // once, to the data and the terminating zero.
  EXPECT_EQ(image->GetBuffer().GetCapacity(), static_cast<int32_t>(file.size()) + 1);

  // Red, green and blue components are not to be converted from YCbCr.
  JPEGSpec spec;
  spec.setFileSpace = true;
  spec.fileSpace = JCS_RGB;
  spec.jfif = false;
  spec.adobe = 0;
  ASSERT_TRUE(WriteJPEG(path, spec));
  image = Import(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(WrittenText(*image->Get_Filter()), "/DCTDecode");
  ASSERT_NE(image->Get_DecodeParms(), nullptr);
  EXPECT_EQ(WrittenText(*image->Get_DecodeParms()), "<<\r\n/ColorTransform 0\n>>");
}

TEST_F(ImageXObjTest, TIFFImages) {
  auto image = Import(folder.File("rgb.tif"));
  EXPECT_EQ(image, nullptr);
  ASSERT_TRUE(imagefile::RGBTiff(folder.File("rgb.tif"), 100, 50, 144));
  image = Import(folder.File("rgb.tif"));
  ASSERT_TRUE(image);
  EXPECT_EQ(DataOf(*image), Bytes(imagefile::RGBRows(100, 50)));
  EXPECT_EQ(WrittenText(matrix), "[50 0 0 25 0 0]");
  EXPECT_EQ(image->Get_Filter(), nullptr);

  ASSERT_TRUE(imagefile::PaletteTiff(folder.File("pal.tif"), 7, 2));
  image = Import(folder.File("pal.tif"));
  ASSERT_TRUE(image);
  std::string table;
  for (int i = 0; i < 16; ++i) {
    table += static_cast<char>(i * 17);
    table += static_cast<char>(255 - i * 17);
    table += static_cast<char>(0x80);
  }
  EXPECT_EQ(LookupOf(doc, *image), table);
  EXPECT_EQ(WrittenText(*image->Get_BitsPerComponent()), "4");
}

TEST_F(ImageXObjTest, CheckAndLoadOfParsedImages) {
  const std::string head =
      "<< /Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 ";
  const std::string body = " /Length 2 >>\nstream\r\nab\r\nendstream\nendobj";
  auto parsed = ParseAs<CPDFStream>(head +
                                        "/ColorSpace [/Indexed /DeviceRGB 1 <000000FFFFFF>]"
                                        " /Mask [0 1] /Decode [1 0]" +
                                        body,
                                    &doc);
  ASSERT_TRUE(parsed);
  std::unique_ptr<CPDFXObject> x(CPDFXObject::CreateXObject(&doc, parsed.get(), -1));
  auto* image = dynamic_cast<CPDFImageXObj*>(x.get());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Get_Width()->GetType(), CPDFObject::kInteger);
  EXPECT_NE(dynamic_cast<CPDFIndexedCS*>(image->Get_ColorSpace()), nullptr);
  EXPECT_EQ(image->Get_Mask()->GetType(), CPDFObject::kArray);
  EXPECT_EQ(DataOf(*image), "ab");
  EXPECT_EQ(image->GetDoc(), &doc);

  // A name stays a name; a Pattern array stays raw.
  for (const char* cs : {"/DeviceRGB", "[/Pattern /DeviceRGB]"}) {
    parsed = ParseAs<CPDFStream>(head + "/ColorSpace " + cs + body, &doc);
    ASSERT_TRUE(parsed);
    x.reset(CPDFXObject::CreateXObject(&doc, parsed.get(), -1));
    ASSERT_TRUE(x);
    CPDFObject* value = static_cast<CPDFImageXObj*>(x.get())->Get_ColorSpace();
    EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(value), nullptr) << cs;
    EXPECT_EQ(WrittenText(*value), cs);
  }

  // Without /Type, or outside the mask, nothing is made.
  parsed =
      ParseAs<CPDFStream>("<< /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8" + body, &doc);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(CPDFXObject::CreateXObject(&doc, parsed.get(), -1), nullptr);
  parsed = ParseAs<CPDFStream>(head + body, &doc);
  EXPECT_EQ(CPDFXObject::CreateXObject(&doc, parsed.get(), 2), nullptr);

  // An image made in memory holds integers, not parsed numbers.
  CPDFImageXObj made;
  ASSERT_TRUE(made.Create(&doc, 2, 1, 8));
  EXPECT_FALSE(CPDFImageXObj::Check(&doc, &made));
  ASSERT_TRUE(made.SetData("ab", 2));
  EXPECT_EQ(WrittenText(made),
            "<<\r\n/BitsPerComponent 8\n/Height 1\n/Length 2\n/Subtype /Image\n"
            "/Type /XObject\n/Width 2\n>>\r\nstream\r\nab\r\nendstream");
  std::unique_ptr<CPDFImageXObj> copy(made.Clone(&doc, &doc));
  ASSERT_TRUE(copy);
  EXPECT_EQ(WrittenText(*copy), WrittenText(made));
}

TEST_F(ImageXObjTest, ValuesThatCannotBeStoredBackStayAsRead) {
  // An indirect colour space and an indirect mask, converted but refused
  // when stored back under their references: each object keeps what the
  // file held, and so does the image's own stream.
  const std::string head =
      "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 1 ";
  const std::string body = " /Length 1 >>\nstream\r\nx\r\nendstream\nendobj";
  const std::string space = "[/CalGray << /WhitePoint [1 1 1] >>]";
  doc.objects[5] = ParseText(space + " ", &doc).release();
  doc.objects[7] = ParseText(head + "/ImageMask true" + body, &doc).release();
  const std::string spaceBefore = WrittenText(*doc.objects[5]);
  const std::string maskBefore = WrittenText(*doc.objects[7]);
  for (const char* entry : {"/ColorSpace 5 0 R", "/Mask 7 0 R"}) {
    auto parsed = ParseAs<CPDFStream>(head + entry + body, &doc);
    ASSERT_TRUE(parsed);
    const std::string before = WrittenText(*parsed);
    doc.failRegist = true;
    EXPECT_EQ(CPDFXObject::CreateXObject(&doc, parsed.get(), -1), nullptr) << entry;
    doc.failRegist = false;
    EXPECT_EQ(WrittenText(*parsed), before) << entry;
  }
  ASSERT_NE(doc.objects[5], nullptr);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(doc.objects[5]), nullptr);
  EXPECT_EQ(WrittenText(*doc.objects[5]), spaceBefore);
  auto* mask = dynamic_cast<CPDFStream*>(doc.objects[7]);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFImageXObj*>(mask), nullptr);
  EXPECT_EQ(WrittenText(*mask), maskBefore);
  EXPECT_EQ(DataOf(*mask), "x");
}

TEST_F(ImageXObjTest, MasksAreLoadedAsImagesAndLoopsEnd) {
  const std::string head =
      "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 1 ";
  const std::string body = " /Length 1 >>\nstream\r\nx\r\nendstream\nendobj";
  auto mask = ParseText(head + "/ImageMask true" + body, &doc);
  ASSERT_TRUE(mask);
  doc.objects[7] = mask.release();
  auto parsed = ParseAs<CPDFStream>(head + "/Mask 7 0 R" + body, &doc);
  ASSERT_TRUE(parsed);
  std::unique_ptr<CPDFXObject> x(CPDFXObject::CreateXObject(&doc, parsed.get(), 1));
  ASSERT_TRUE(x);
  CPDFObjRef ref;
  EXPECT_NE(dynamic_cast<CPDFImageXObj*>(static_cast<CPDFImageXObj*>(x.get())->Get_Mask(&ref)),
            nullptr);
  EXPECT_EQ(ref.GetNumber(), 7);

  // An image whose mask is itself: the nesting limit ends the load.
  auto self = ParseText(head + "/Mask 9 0 R" + body, &doc);
  ASSERT_TRUE(self);
  doc.objects[9] = self.release();
  parsed = ParseAs<CPDFStream>(head + "/Mask 9 0 R" + body, &doc);
  ASSERT_TRUE(parsed);
  x.reset(CPDFXObject::CreateXObject(&doc, parsed.get(), 1));
  SUCCEED();
}

// A chain of masks longer than the nesting limit: the image loads, the
// masks are typed as deep as the limit allows and the rest stay raw streams
// (the same answer every nested typed load gives at the limit).
TEST_F(ImageXObjTest, MaskChainsPastTheNestingLimitStayRaw) {
  const std::string head =
      "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 1 ";
  const std::string body = " /Length 1 >>\nstream\r\nx\r\nendstream\nendobj";
  const int32_t kChain = CPDFLoadDepth::kMaxDepth + 8;
  const int32_t first = 100;
  for (int32_t i = 0; i < kChain; ++i) {
    const std::string mask =
        i + 1 < kChain ? "/Mask " + std::to_string(first + i + 1) + " 0 R" : "";
    auto object = ParseText(head + mask + body, &doc);
    ASSERT_TRUE(object);
    doc.objects[first + i] = object.release();
  }
  auto parsed = ParseAs<CPDFStream>(head + "/Mask " + std::to_string(first) + " 0 R" + body, &doc);
  ASSERT_TRUE(parsed);
  std::unique_ptr<CPDFXObject> x(CPDFXObject::CreateXObject(&doc, parsed.get(), 1));
  ASSERT_TRUE(x);
  int32_t typed = 0;
  CPDFObject* at = static_cast<CPDFImageXObj*>(x.get())->Get_Mask();
  for (; auto* image = dynamic_cast<CPDFImageXObj*>(at); at = image->Get_Mask()) ++typed;
  EXPECT_EQ(typed, CPDFLoadDepth::kMaxDepth - 1);
  ASSERT_NE(at, nullptr);
  EXPECT_TRUE(at->IsType(CPDFObject::kStream));
}

}  // namespace

// An image read without its data has the dictionary and the size of the
// full one, and reads no pixel: pixel data cut short are not noticed.
TEST_F(ImageXObjTest, WithoutDataTheDescriptionIsTheSame) {
  const std::string jpeg = folder.File("a.jpg");
  ASSERT_TRUE(imagefile::DenseJpeg(jpeg, 600, 300, 300));
  ASSERT_TRUE(imagefile::RGBTiff(folder.File("rgb.tif"), 100, 50, 144));
  const std::vector<std::string> paths = {
      folder.Write("a.bmp", imagefile::Bitmap(640, 480, 24, 2835)),
      folder.Write("p.bmp", imagefile::Bitmap(5, 3, 8, 0, 16)), jpeg, folder.File("rgb.tif")};
  for (const std::string& path : paths) {
    auto full = Import(path);
    ASSERT_TRUE(full) << path;
    const std::string fullMatrix = WrittenText(matrix);
    std::string expected = DictText(*full);
    const std::string length = "/Length " + std::to_string(full->GetLength());
    expected.replace(expected.find(length), length.size(), "/Length 0");
    matrix.SetIdentity();
    std::unique_ptr<CPDFImageXObj> bare(
        CPDFImageXObj::CreateImageXObj(&doc, path.c_str(), matrix, {.withData = false}));
    ASSERT_TRUE(bare) << path;
    // A palette's lookup stream is another object of the same content.
    EXPECT_EQ(std::regex_replace(DictText(*bare), std::regex("\\d+ 0 R"), "R"),
              std::regex_replace(expected, std::regex("\\d+ 0 R"), "R"))
        << path;
    EXPECT_EQ(LookupOf(doc, *bare), LookupOf(doc, *full)) << path;
    EXPECT_EQ(WrittenText(matrix), fullMatrix) << path;
    EXPECT_EQ(bare->GetDataLength(), 0) << path;
    EXPECT_FALSE(bare->GetBuffer().IsMapped()) << path;
  }

  // Files whose pixel data are cut short: refused with data, described
  // without.
  std::vector<uint8_t> bitmap = imagefile::Bitmap(64, 64);
  bitmap.resize(bitmap.size() - 1000);
  std::vector<uint8_t> photo = TempFolder::Read(jpeg);
  photo.resize(photo.size() / 2);
  for (const std::string& path :
       {folder.Write("cut.bmp", bitmap), folder.Write("cut.jpg", photo)}) {
    EXPECT_EQ(Import(path), nullptr) << path;
    std::unique_ptr<CPDFImageXObj> bare(
        CPDFImageXObj::CreateImageXObj(&doc, path.c_str(), matrix, {.withData = false}));
    EXPECT_TRUE(bare) << path;
  }
}
