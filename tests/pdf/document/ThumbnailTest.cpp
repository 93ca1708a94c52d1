#include <gtest/gtest.h>

#include <string>

#include "PeriphTestSupport.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFAltImageDict.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFSepInfoDict.h"
#include "pdf/document/CPDFThumbnail.h"
#include "pdf/object/CPDFStream.h"

using periph::ClonedText;
using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

namespace {

const char* const kImage =
    "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
    "/ColorSpace /DeviceGray /Length 1 >>stream\r\nA\nendstream\nendobj";

std::string Thumb(const std::string& entries) {
  return "<< /Width 2 /Height 1 /BitsPerComponent 8 " + entries +
         " /Length 2 >>stream\r\nAB\nendstream\nendobj";
}

std::string Ref(int32_t n) { return std::to_string(n) + " 0 R"; }

}  // namespace

TEST(ThumbnailTest, TypesItsEntries) {
  TestRegistry doc;
  const int32_t mask = Register(doc, kImage);
  const int32_t alternate = Register(doc, kImage);
  auto raw = Parse(Thumb("/ColorSpace [/Indexed /DeviceRGB 1 <000000FFFFFF>] /Mask " + Ref(mask) +
                         " /Alternates [<< /Image " + Ref(alternate) +
                         " /DefaultForPrinting true >> << /Other 1 >>] "
                         "/OPI << /2.0 << /Type /OPI /Version 2 /F (t.eps) >> >>"),
                   &doc);
  ASSERT_TRUE(raw);
  const std::string before = Written(raw.get());
  auto thumb = LoadAs<CPDFThumbnail, CPDFStream>(&doc, raw.get());
  ASSERT_TRUE(thumb);
  EXPECT_EQ(thumb->GetStructKind(), CPDFDocStruct::kThumbnail);
  EXPECT_EQ(thumb->Get_Width()->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(thumb->Get_BitsPerComponent()->GetType(), CPDFObject::kInteger);
  EXPECT_NE(dynamic_cast<CPDFIndexedCS*>(thumb->Get_ColorSpace()), nullptr);
  CPDFObjRef ref;
  ASSERT_NE(thumb->Get_Mask(&ref), nullptr);
  EXPECT_EQ(ref.GetNumber(), mask);
  ASSERT_NE(thumb->Get_OPI(), nullptr);
  // The alternate with an image is typed; the one without stays plain.
  CPDFArray* alternates = thumb->Get_Alternates();
  ASSERT_NE(alternates, nullptr);
  auto* typed = dynamic_cast<CPDFAltImageDict*>(alternates->Get(&doc, 0));
  ASSERT_NE(typed, nullptr);
  EXPECT_NE(typed->Get_Image(), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFAltImageDict*>(alternates->Get(&doc, 1)), nullptr);
  EXPECT_EQ(Written(thumb.get()), before);
}

TEST(ThumbnailTest, NamesStayAndCopiesMatch) {
  TestRegistry doc;
  const std::string text = Thumb("/ColorSpace /DeviceGray /Decode [1 0]");
  auto raw = Parse(text, &doc);
  auto thumb = LoadAs<CPDFThumbnail, CPDFStream>(&doc, raw.get());
  ASSERT_TRUE(thumb);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(thumb->Get_ColorSpace()), nullptr);
  EXPECT_NE(PDFGetAs<CPDFName>(thumb.get(), &doc, "ColorSpace"), nullptr);
  const std::string before = Written(Parse(text, &doc).get());
  EXPECT_EQ(Written(thumb.get()), before);
  EXPECT_EQ(ClonedText(thumb.get(), &doc), before);
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(thumb->Clone(&other, &doc));
  EXPECT_NE(dynamic_cast<CPDFThumbnail*>(copy.get()), nullptr);
}

TEST(ThumbnailTest, CheckAndFailedLoad) {
  TestRegistry doc;
  auto noBits = Parse("<< /Width 2 /Height 1 /Length 0 >>stream\r\nendstream\nendobj", &doc);
  EXPECT_FALSE(CPDFThumbnail::Check(&doc, noBits.get()));
  auto named = Parse("<< /Width 2 /Height /One /BitsPerComponent 8 >>", &doc);
  EXPECT_FALSE(CPDFThumbnail::Check(&doc, named.get()));

  // An alternate that cannot be fetched fails; entries and data go back.
  auto raw = Parse(Thumb("/Alternates [99 0 R]"), &doc);
  const std::string before = Written(raw.get());
  CPDFThumbnail thumb;
  EXPECT_FALSE(thumb.Load(&doc, dynamic_cast<CPDFStream*>(raw.get())));
  EXPECT_EQ(Written(raw.get()), before);
}

TEST(AltImageDictTest, CheckWantsAnImageStream) {
  TestRegistry doc;
  const int32_t image = Register(doc, kImage);
  auto dict = Parse("<< /Image << /Type /XObject >> >>", &doc);
  EXPECT_FALSE(CPDFAltImageDict::Check(&doc, dict.get()));
  auto none = Parse("<< /DefaultForPrinting true >>", &doc);
  EXPECT_FALSE(CPDFAltImageDict::Check(&doc, none.get()));
  auto good = Parse("<< /Image " + Ref(image) + " >>", &doc);
  EXPECT_TRUE(CPDFAltImageDict::Check(&doc, good.get()));
  auto alt = LoadAs<CPDFAltImageDict, CPDFDict>(&doc, good.get());
  ASSERT_TRUE(alt);
  EXPECT_EQ(alt->GetStructKind(), CPDFDataStruct::kAlternateImage);
  CPDFObjRef ref;
  EXPECT_NE(alt->Get_Image(&ref), nullptr);
  EXPECT_EQ(ref.GetNumber(), image);
  EXPECT_EQ(Written(alt.get()), "<<\r\n/Image " + Ref(image) + "\n>>");
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(alt->Clone(&other, &doc));
  auto* copied = dynamic_cast<CPDFAltImageDict*>(copy.get());
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied->Get_Image(), nullptr);
}

TEST(ImageXObjPeripheryTest, OPIAndAlternatesAreTyped) {
  TestRegistry doc;
  const int32_t alternate = Register(doc, kImage);
  const std::string text =
      "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
      "/OPI << /1.3 << /Type /OPI /Version 1.3 /F (a.tif) /CropRect [0 0 1 1] /Position [0 0 1 0 1 "
      "1 0 1] "
      "/Size [1 1] >> >> /Alternates [<< /Image " +
      Ref(alternate) + " >>] /Length 1 >>stream\r\nA\nendstream\nendobj";
  auto raw = Parse(text, &doc);
  const std::string before = Written(raw.get());
  std::unique_ptr<CPDFXObject> image(CPDFXObject::CreateXObject(&doc, raw.get(), -1));
  ASSERT_NE(dynamic_cast<CPDFImageXObj*>(image.get()), nullptr);
  EXPECT_NE(dynamic_cast<CPDFOPI13*>(PDFGetAs<CPDFObject>(image.get(), &doc, "OPI")), nullptr);
  auto* alternates = PDFGetAs<CPDFArray>(image.get(), &doc, "Alternates");
  ASSERT_NE(alternates, nullptr);
  EXPECT_NE(dynamic_cast<CPDFAltImageDict*>(alternates->Get(&doc, 0)), nullptr);
  EXPECT_EQ(Written(image.get()), before);
}

TEST(SepInfoDictTest, CheckLoadAndCopyWithoutPages) {
  TestRegistry doc;
  auto number = Parse("<< /Pages [] /DeviceColorant 5 >>", &doc);
  EXPECT_FALSE(CPDFSepInfoDict::Check(&doc, number.get()));
  auto noPages = Parse("<< /DeviceColorant /Cyan >>", &doc);
  EXPECT_FALSE(CPDFSepInfoDict::Check(&doc, noPages.get()));
  auto text = Parse("<< /Pages [] /DeviceColorant (Cyan) >>", &doc);
  EXPECT_TRUE(CPDFSepInfoDict::Check(&doc, text.get()));

  const int32_t page = Register(doc, "<< /Type /Page >>");
  auto raw = Parse("<< /Pages [" + Ref(page) +
                       "] /DeviceColorant /Spot /ColorSpace [/Separation /Spot /DeviceCMYK "
                       "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 1 0] /N 1 >>] >>",
                   &doc);
  const std::string before = Written(raw.get());
  auto info = LoadAs<CPDFSepInfoDict, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(info);
  EXPECT_EQ(info->GetStructKind(), CPDFDocStruct::kSepInfo);
  EXPECT_FALSE(info->IsShared());
  EXPECT_NE(dynamic_cast<CPDFSeparationCS*>(info->Get_ColorSpace()), nullptr);
  EXPECT_EQ(Written(info.get()), before);

  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(info->Clone(&other, &doc));
  auto* copied = dynamic_cast<CPDFSepInfoDict*>(copy.get());
  ASSERT_NE(copied, nullptr);
  EXPECT_FALSE(copied->HasKey("Pages"));
  EXPECT_TRUE(copied->HasKey("DeviceColorant"));
  EXPECT_NE(dynamic_cast<CPDFSeparationCS*>(copied->Get_ColorSpace()), nullptr);
  EXPECT_TRUE(other.objects.empty());  // the page was not copied along

  // A colour space of another family stays as read.
  auto rgb = Parse("<< /Pages [] /DeviceColorant /Spot /ColorSpace [/DeviceRGB] >>", &doc);
  info = LoadAs<CPDFSepInfoDict, CPDFDict>(&doc, rgb.get());
  ASSERT_TRUE(info);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(info->Get_ColorSpace()), nullptr);
  EXPECT_NE(PDFGetAs<CPDFArray>(info.get(), &doc, "ColorSpace"), nullptr);
}

TEST(PagePeripheryTest, PageLoadTypesThumbPiecesAndSeparation) {
  TestRegistry doc;
  const int32_t thumb = Register(doc, Thumb("/ColorSpace /DeviceRGB"));
  auto raw = Parse("<< /Type /Page /Thumb " + Ref(thumb) +
                       " /PieceInfo << /App << /LastModified (D:2020) >> >>"
                       " /SeparationInfo << /Pages [] /DeviceColorant /Black >> >>",
                   &doc);
  auto page = LoadAs<CPDFPage, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(page);
  CPDFObjRef ref;
  EXPECT_NE(dynamic_cast<CPDFThumbnail*>(page->Get(&doc, "Thumb", &ref)), nullptr);
  EXPECT_EQ(ref.GetNumber(), thumb);
  EXPECT_NE(dynamic_cast<CPDFPieceInfoDict*>(page->Get(&doc, "PieceInfo")), nullptr);
  EXPECT_NE(dynamic_cast<CPDFSepInfoDict*>(page->Get(&doc, "SeparationInfo")), nullptr);
}

TEST(SepInfoDictTest, FailedStoreGivesTheEntriesBack) {
  TestRegistry doc;
  const int32_t space = Register(doc,
                                 "[/Separation /Spot /DeviceGray << /FunctionType 2 /Domain [0 1] "
                                 "/C0 [0] /C1 [1] /N 1 >>]");
  auto raw = Parse("<< /Pages [] /DeviceColorant /Spot /ColorSpace " + Ref(space) + " >>", &doc);
  const std::string before = Written(raw.get());
  doc.failRegist = true;  // the typed colour space cannot be stored under its number
  CPDFSepInfoDict info;
  EXPECT_FALSE(info.Load(&doc, dynamic_cast<CPDFDict*>(raw.get())));
  EXPECT_EQ(Written(raw.get()), before);
  EXPECT_EQ(info.GetCount(), 0);
  // The colour space the file holds under its number keeps its elements.
  auto* stored = dynamic_cast<CPDFArray*>(doc.GetObj(CPDFObjRef(space, 0)));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->GetCount(), 4);
}
