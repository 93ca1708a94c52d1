#include <gtest/gtest.h>

#include "PeriphTestSupport.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"

using periph::ClonedText;
using periph::Parse;
using periph::Written;

namespace {

const char* const k13 =
    "/1.3 << /Type /OPI /Version 1.3 /F (proxy.tif) /CropRect [0 0 (x) 20] /Position [0 0 1 0 1 1 "
    "0 1] "
    "/Size [100 200] /Comments (hello) /CropFixed [0 0 10 20] /ImageType [8 1] /Tags [1 (a) 2 (b)] "
    ">>";
const char* const k20 =
    "/2.0 << /Type /OPI /Version 2 /F (hires.eps) /IncludedImageDimensions [640 480] "
    "/Inks [/monochrome /Black 0.5 /Red 1] /Tags [3 (c)] >>";

std::unique_ptr<CPDFOPIDict> Create(TestRegistry& doc, const std::string& text,
                                    std::unique_ptr<CPDFObject>* raw = nullptr) {
  auto parsed = Parse(text, &doc);
  std::unique_ptr<CPDFOPIDict> opi(CPDFOPIDict::CreateOPIDict(&doc, parsed.get(), -1));
  if (raw) *raw = std::move(parsed);
  return opi;
}

}  // namespace

TEST(OPIDictTest, VersionsAndTheirOrder) {
  TestRegistry doc;
  // Both versions present: 1.3 wins.
  auto both = Create(doc, std::string("<< ") + k13 + " " + k20 + " >>");
  ASSERT_TRUE(both);
  EXPECT_EQ(both->GetVersionBit(), 1);
  EXPECT_STREQ(both->GetVersionName(), "1.3");
  // Mask 2 alone takes the 2.0 entry.
  auto raw = Parse(std::string("<< ") + k13 + " " + k20 + " >>", &doc);
  std::unique_ptr<CPDFOPIDict> second(CPDFOPIDict::CreateOPIDict(&doc, raw.get(), 2));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->GetVersionBit(), 2);
  EXPECT_EQ(CPDFOPIDict::CreateOPIDict(&doc, raw.get(), 0), nullptr);

  // An integer 2 matches 2.0; 1.30 matches 1.3.
  auto v20 = Create(doc, std::string("<< ") + k20 + " >>");
  ASSERT_TRUE(v20);
  EXPECT_EQ(v20->GetVersionBit(), 2);
  auto v130 = Create(
      doc, "<< /1.3 << /Type /OPI /Version 1.30 /F (a) /CropRect [] /Position [] /Size [] >> >>");
  ASSERT_TRUE(v130);
  EXPECT_EQ(v130->GetVersionBit(), 1);
}

TEST(OPIDictTest, ChecksRefuseWhatDoesNotFit) {
  TestRegistry doc;
  for (
      const char* text : {
          "<< /1.3 << /Type /OPI /Version 1.3 /CropRect [] /Position [] /Size [] >> >>",  // no F
          "<< /1.3 << /Type /OPX /Version 1.3 /F (a) /CropRect [] /Position [] /Size [] >> >>",  // Type
          "<< /1.3 << /Type /OPI /Version 2 /F (a) /CropRect [] /Position [] /Size [] >> >>",  // Version
          "<< /1.3 << /Type /OPI /Version 1.3 /F (a) /CropRect [] /Size [] >> >>",  // Position
          "<< /1.3 << /Type /OPI /Version 1.3 /F 5 /CropRect [] /Position [] /Size [] >> >>",  // F
                                                                                               // type
          "<< /2.0 << /Type /OPI /Version 2.5 /F (a) >> >>",
          "<< /2.0 (not a dictionary) >>",
          "<< /Type /OPI /Version 2 /F (a) >>",
      }) {
    auto raw = Parse(text, &doc);
    ASSERT_TRUE(raw) << text;
    EXPECT_FALSE(CPDFOPI13::Check(&doc, raw.get())) << text;
    EXPECT_FALSE(CPDFOPI20::Check(&doc, raw.get())) << text;
    EXPECT_EQ(CPDFOPIDict::CreateOPIDict(&doc, raw.get(), -1), nullptr) << text;
  }
}

TEST(OPIDictTest, Version13TypesItsEntries) {
  TestRegistry doc;
  std::unique_ptr<CPDFObject> raw;
  const std::string text = std::string("<< ") + k13 + " >>";
  auto opi = Create(doc, text, &raw);
  ASSERT_TRUE(opi);
  auto* v13 = dynamic_cast<CPDFOPI13*>(opi.get());
  ASSERT_NE(v13, nullptr);
  EXPECT_EQ(v13->GetStructKind(), CPDFDataStruct::kOPIDict);
  // CropRect: numbers to integers, the string stays.
  CPDFArray* crop = v13->Get_CropRect();
  ASSERT_NE(crop, nullptr);
  EXPECT_EQ(crop->Get(&doc, 0)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(crop->Get(&doc, 2)->GetType(), CPDFObject::kString);
  EXPECT_EQ(crop->Get(&doc, 3)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(v13->Get_Size()->Get(&doc, 1)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(v13->Get_CropFixed()->Get(&doc, 0)->GetType(), CPDFObject::kReal);
  EXPECT_EQ(v13->Get_ImageType()->Get(&doc, 1)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(v13->Get_Comments()->GetType(), CPDFObject::kText);
  // Tags: only the even positions.
  CPDFArray* tags = v13->Get_Tags();
  EXPECT_EQ(tags->Get(&doc, 0)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(tags->Get(&doc, 2)->GetType(), CPDFObject::kInteger);
  // Position is not converted.
  EXPECT_EQ(PDFGetAs<CPDFArray>(v13->Get_OPI(), &doc, "Position")->Get(&doc, 0)->GetType(),
            CPDFObject::kNumber);
  EXPECT_EQ(v13->Get_F()->GetType(), CPDFObject::kString);
  // Round trip: the same text, also from a copy in another document.
  auto again = Parse(text, &doc);
  EXPECT_EQ(Written(opi.get()), Written(again.get()));
  EXPECT_EQ(ClonedText(opi.get(), &doc), Written(again.get()));
}

TEST(OPIDictTest, Version20InksAndFailedLoads) {
  TestRegistry doc;
  const std::string text = std::string("<< ") + k20 + " >>";
  auto opi = Create(doc, text);
  ASSERT_TRUE(opi);
  auto* v20 = dynamic_cast<CPDFOPI20*>(opi.get());
  ASSERT_NE(v20, nullptr);
  auto* inks = dynamic_cast<CPDFArray*>(v20->Get_Inks());
  ASSERT_NE(inks, nullptr);
  EXPECT_EQ(inks->Get(&doc, 0)->GetType(), CPDFObject::kName);
  EXPECT_EQ(inks->Get(&doc, 2)->GetType(), CPDFObject::kReal);
  EXPECT_EQ(inks->Get(&doc, 4)->GetType(), CPDFObject::kReal);
  EXPECT_EQ(v20->Get_IncludedImageDimensions()->Get(&doc, 0)->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(v20->Get_F()->GetType(), CPDFObject::kString);
  auto again = Parse(text, &doc);
  EXPECT_EQ(Written(opi.get()), Written(again.get()));
  EXPECT_EQ(ClonedText(opi.get(), &doc), Written(again.get()));

  // An ink name without its tint fails the load; the source keeps its
  // entries, and the factory answers none.
  const std::string bad =
      "<< /2.0 << /Type /OPI /Version 2.0 /F (a) /Inks [/full_color /Cyan 0.5 /Magenta] >> >>";
  auto raw = Parse(bad, &doc);
  const std::string before = Written(raw.get());
  EXPECT_TRUE(CPDFOPI20::Check(&doc, raw.get()));
  EXPECT_EQ(CPDFOPIDict::CreateOPIDict(&doc, raw.get(), -1), nullptr);
  EXPECT_EQ(Written(raw.get()), before);
  // Inks that are not an array are left alone.
  EXPECT_TRUE(Create(doc, "<< /2.0 << /Type /OPI /Version 2.0 /F (a) /Inks /registration >> >>"));

  // A 1.3 entry whose Size is a broken reference fails to load.
  auto broken = Parse(
      "<< /1.3 << /Type /OPI /Version 1.3 /F (a) /CropRect [] /Position [] /Size [1 99 0 R] >> >>",
      &doc);
  EXPECT_EQ(CPDFOPIDict::CreateOPIDict(&doc, broken.get(), -1), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFDict*>(broken.get())->GetCount(), 1);
}

TEST(OPIDictTest, FileSpecificationBecomesTyped) {
  TestRegistry doc;
  const std::string text =
      "<< /2.0 << /Type /OPI /Version 2.0 /F << /Type /Filespec /F (hires.tif) >> >> >>";
  auto opi = Create(doc, text);
  ASSERT_TRUE(opi);
  auto* v20 = dynamic_cast<CPDFOPI20*>(opi.get());
  ASSERT_NE(v20, nullptr);
  EXPECT_NE(dynamic_cast<CPDFFileSpec*>(v20->Get_F()), nullptr);
  EXPECT_EQ(ClonedText(opi.get(), &doc), Written(Parse(text, &doc).get()));
  // A dictionary that is no file specification stays plain.
  auto plain = Create(doc, "<< /2.0 << /Type /OPI /Version 2.0 /F << /Type /Other >> >> >>");
  ASSERT_TRUE(plain);
  EXPECT_EQ(dynamic_cast<CPDFFileSpec*>(dynamic_cast<CPDFOPI20*>(plain.get())->Get_F()), nullptr);
}
