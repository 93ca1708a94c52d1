// Font descriptors and font file streams read from PDF text, made with
// Create, and built from AFM metrics.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/font/AFMFile.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/font/CPDFFontFile.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFNumber.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

using periph::ClonedText;
using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kRequired =
    "/Type /FontDescriptor /Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 "
    "/FontName /Helvetica /ItalicAngle 0 /StemV 88";

std::string Desc(const std::string& entries, const std::string& box = "[-166 -225 1000 931]") {
  return "<< " + kRequired + " /FontBBox " + box + " " + entries + " >>";
}

std::string FontFile(const std::string& entries) {
  return "<< " + entries + " /Length 3 >>\nstream\nabc\nendstream\nendobj";
}

TEST(FontDesc, CheckWantsTheRequiredKeysAsParsedNumbers) {
  TestRegistry doc;
  auto accepts = [&](const std::string& text) {
    std::unique_ptr<CPDFObject> o = Parse(text, &doc);
    return CPDFFontDesc::Check(&doc, o.get());
  };
  EXPECT_TRUE(accepts(Desc("")));
  const int32_t ascent = Register(doc, "718");
  EXPECT_TRUE(accepts("<< /Type /FontDescriptor /Ascent " + std::to_string(ascent) +
                      " 0 R /CapHeight 1 /Descent 1 /Flags 1 /FontBBox [] /FontName /X "
                      "/ItalicAngle 0 /StemV 0 >>"));
  EXPECT_FALSE(
      accepts("<< /Type /FontDescriptor /Ascent 718 /CapHeight 718 /Descent -207 "
              "/Flags 32 /FontBBox [0 0 1 1] /FontName /Helvetica /ItalicAngle 0 >>"));
  EXPECT_FALSE(accepts(Desc("", "(box)")));
  EXPECT_FALSE(
      accepts("<< /Type /Font /Ascent 1 /CapHeight 1 /Descent 1 /Flags 1 /FontBBox [] "
              "/FontName /X /ItalicAngle 0 /StemV 0 >>"));
  // An integer made in memory is not a number read from a file.
  std::unique_ptr<CPDFObject> raw = Parse(Desc(""), &doc);
  auto* dict = dynamic_cast<CPDFDict*>(raw.get());
  ASSERT_TRUE(dict->Set(&doc, CPDFFontDesc::Key_Ascent(), std::make_unique<CPDFInt>(718)));
  EXPECT_FALSE(CPDFFontDesc::Check(&doc, dict));
}

TEST(FontDesc, LoadTypesTheEntries) {
  TestRegistry doc;
  const int32_t file = Register(doc, FontFile("/Length1 3"));
  const int32_t file3 = Register(doc, FontFile("/Subtype /Type1C"));
  const std::string text = Desc("/AvgWidth 500 /MissingWidth 250 /FontFile " +
                                std::to_string(file) + " 0 R /FontFile3 " + std::to_string(file3) +
                                " 0 R /FD << /Sub " + Desc("") + " /Odd 1 >>");
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  const std::string read = Written(raw.get());
  auto desc = LoadAs<CPDFFontDesc, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(desc);
  EXPECT_EQ(Written(desc.get()), read);
  ASSERT_TRUE(desc->Get_Ascent());
  EXPECT_EQ(desc->Get_Ascent()->GetInt(), 718);
  ASSERT_TRUE(desc->Get_MissingWidth());
  EXPECT_TRUE(desc->Get_FontBBox());
  ASSERT_TRUE(desc->Get_FontFile());
  EXPECT_TRUE(desc->Get_FontFile()->Get_Length1());
  EXPECT_EQ(desc->Get_FontFile()->Get_Length2(), nullptr);
  // A FontFile3 has no Length1 to give: it is typed all the same.
  ASSERT_TRUE(desc->Get_FontFile3());
  EXPECT_EQ(desc->Get_FontFile3()->Get_Length1(), nullptr);
  ASSERT_TRUE(desc->Get_FD());
  EXPECT_TRUE(dynamic_cast<CPDFFontDesc*>(desc->Get_FD()->Get(&doc, CPDFName("Sub"))));
  EXPECT_EQ(ClonedText(desc.get(), &doc), read);

  // Three box numbers stay an untyped array.
  raw = Parse(Desc("", "[0 0 1000]"), &doc);
  desc = LoadAs<CPDFFontDesc, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(desc);
  EXPECT_EQ(desc->Get_FontBBox(), nullptr);
  EXPECT_TRUE(dynamic_cast<CPDFArray*>(desc->Get(&doc, CPDFFontDesc::Key_FontBBox())));
}

TEST(FontDesc, FailedLoadLeavesTheSourceWhole) {
  TestRegistry doc;
  const int32_t file = Register(doc, FontFile("/Length1 3"));
  const std::string text = "<< /Type /FontDescriptor /Ascent 718 /FontFile " +
                           std::to_string(file) + " 0 R /FontBBox [0 0 1 1] >>";
  std::unique_ptr<CPDFObject> raw = Parse(text, &doc);
  const std::string read = Written(raw.get());
  EXPECT_FALSE((LoadAs<CPDFFontDesc, CPDFDict>(&doc, raw.get())));
  EXPECT_EQ(Written(raw.get()), read);
}

TEST(FontDesc, DescriptorsThatListThemselvesEnd) {
  TestRegistry doc;
  // Object n's FD lists object n itself.
  CPDFObjRef self;
  ASSERT_TRUE(doc.RegistObj(std::make_unique<CPDFDict>(), &self));
  const std::string selfText = Desc("/FD << /Me " + std::to_string(self.GetNumber()) + " 0 R >>");
  std::unique_ptr<CPDFObject> stored = Parse(selfText, &doc);
  const std::string read = Written(stored.get());
  ASSERT_TRUE(doc.RegistObj(stored.get(), &self));
  stored.release();
  auto desc = LoadAs<CPDFFontDesc, CPDFDict>(&doc, doc.GetObj(self));
  ASSERT_TRUE(desc);
  EXPECT_EQ(Written(desc.get()), read);
  std::unique_ptr<CPDFObject> raw;

  // Nesting past the limit stays raw instead of exhausting the stack.
  std::string nested = Desc("");
  for (int i = 0; i < 100; ++i) nested = Desc("/FD << /In " + nested + " >>");
  raw = Parse(nested, &doc);
  desc = LoadAs<CPDFFontDesc, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(desc);
  EXPECT_EQ(Written(desc.get()), Written(Parse(nested, &doc).get()));
}

TEST(FontDesc, CreateWritesTheKeysInOrder) {
  TestRegistry doc;
  CPDFFontDesc desc;
  ASSERT_TRUE(
      desc.Create(&doc, 718, 718, -207, 32, CPDFRect(-166, -225, 1000, 931), "Helvetica", 0, 0));
  const std::string expected =
      "<<\r\n/Ascent 718\n/CapHeight 718\n/Descent -207\n/Flags 32\n/FontBBox [-166 -225 1000 "
      "931]\n/FontName /Helvetica\n/ItalicAngle 0\n/StemV 0\n/Type /FontDescriptor\n>>";
  EXPECT_EQ(expected.size(), 155u);
  EXPECT_EQ(Written(&desc), expected);
  EXPECT_EQ(ClonedText(&desc, &doc), expected);
}

TEST(FontFile, CheckAndLoad) {
  TestRegistry doc;
  std::unique_ptr<CPDFObject> raw = Parse(FontFile("/Length1 3 /Length3 0"), &doc);
  ASSERT_TRUE(CPDFFontFile::Check(&doc, raw.get()));
  const std::string read = Written(raw.get());
  auto file = LoadAs<CPDFFontFile, CPDFStream>(&doc, raw.get());
  ASSERT_TRUE(file);
  EXPECT_EQ(Written(file.get()), read);
  ASSERT_TRUE(file->Get_Length3());
  EXPECT_EQ(file->Get_Length3()->GetInt(), 0);
  EXPECT_EQ(ClonedText(file.get(), &doc), read);

  std::unique_ptr<CPDFObject> bare = Parse(FontFile("/Length1 (3)"), &doc);
  EXPECT_FALSE(CPDFFontFile::Check(&doc, bare.get()));
  std::unique_ptr<CPDFObject> dict = Parse("<< /Length1 3 >>", &doc);
  EXPECT_FALSE(CPDFFontFile::Check(&doc, dict.get()));
}

std::unique_ptr<AFMFile> Metrics(const std::string& header) {
  const std::string text = "StartFontMetrics 4.1\n" + header +
                           "FontBBox -23 -250 715 805\nAscender 629\nDescender -157\n"
                           "CapHeight 562\nItalicAngle -12\nStdVW 51\nEndFontMetrics\n";
  auto afm = std::make_unique<AFMFile>();
  CPDFMemInStream in;
  EXPECT_TRUE(in.Open(text.data(), static_cast<int32_t>(text.size())));
  EXPECT_TRUE(afm->Parse(in));
  return afm;
}

TEST(FontDesc, BuiltFromMetrics) {
  TestRegistry doc;
  auto flagsOf = [&](const std::string& header, const char* name) -> int32_t {
    std::unique_ptr<CPDFFontDesc> desc(BuildFontDescriptor(&doc, *Metrics(header), name));
    if (!desc || !desc->Get_Flags()) return -1;
    EXPECT_EQ(desc->Get_StemV()->GetInt(), 51);  // StdVW, for want of a stemV
    return desc->Get_Flags()->GetInt();
  };
  EXPECT_EQ(flagsOf("FontName Courier\nIsFixedPitch true\n", "Courier"), 33);
  EXPECT_EQ(flagsOf("FontName Helvetica\nIsFixedPitch false\n", "Helvetica"), 32);
  EXPECT_EQ(flagsOf("FontName Symbol\n", "Symbol"), 4);
  EXPECT_EQ(flagsOf("FontName ZapfDingbats\n", "ZapfDingbats"), 4);
  EXPECT_EQ(flagsOf("FontName Ryumin-Light\nIsCIDFont true\n", "Ryumin-Light"), -1);

  std::unique_ptr<CPDFFontDesc> desc(
      BuildFontDescriptor(&doc, *Metrics("FontName Courier\nIsFixedPitch true\n"), "Courier"));
  ASSERT_TRUE(desc);
  EXPECT_EQ(Written(desc.get()),
            "<<\r\n/Ascent 629\n/CapHeight 562\n/Descent -157\n/Flags 33\n/FontBBox [-23 -250 "
            "715 805]\n/FontName /Courier\n/ItalicAngle -12\n/StemV 51\n/Type "
            "/FontDescriptor\n>>");

  // An AFM's own stemV wins over StdVW.
  desc.reset(BuildFontDescriptor(&doc, *Metrics("FontName Courier\nstemV 70\n"), "Courier"));
  ASSERT_TRUE(desc);
  EXPECT_EQ(desc->Get_StemV()->GetInt(), 70);
}

TEST(FontDesc, StandardFontsTakeTheirStemVFromStdVW) {
  TestRegistry doc;
  const std::pair<const char*, int32_t> kStdVW[] = {{"Courier", 51},
                                                    {"Courier-Bold", 106},
                                                    {"Courier-BoldOblique", 106},
                                                    {"Courier-Oblique", 51},
                                                    {"Helvetica", 88},
                                                    {"Helvetica-Bold", 140},
                                                    {"Helvetica-BoldOblique", 140},
                                                    {"Helvetica-Oblique", 88},
                                                    {"Times-Roman", 84},
                                                    {"Times-Bold", 139},
                                                    {"Times-Italic", 76},
                                                    {"Times-BoldItalic", 121},
                                                    {"Symbol", 85},
                                                    {"ZapfDingbats", 90}};
  for (const auto& [name, stdVW] : kStdVW) {
    AFMFile metrics;
    ASSERT_TRUE(metrics.LoadBuiltIn(name)) << name;
    std::unique_ptr<CPDFFontDesc> desc(BuildFontDescriptor(&doc, metrics, name));
    ASSERT_TRUE(desc && desc->Get_StemV()) << name;
    EXPECT_EQ(desc->Get_StemV()->GetInt(), stdVW) << name;
  }
}

}  // namespace
