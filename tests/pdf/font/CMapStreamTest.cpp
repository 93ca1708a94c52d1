// Embedded CMap streams (CPDFCMap) and CIDSystemInfo dictionaries
// (CPDFCIDSysInfo) on objects read from PDF text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/font/CMapFile.h"
#include "pdf/font/CPDFCIDSysInfo.h"
#include "pdf/font/CPDFCMap.h"
#include "pdf/object/CPDFName.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

using periph::LoadAs;
using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kInfo = "<< /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >>";
const std::string kProgram = "1 begincidrange <8140> <817e> 633 endcidrange";

// A CMap stream with the dictionary entries given.
std::string CMapText(const std::string& entries, const std::string& data = kProgram) {
  return "<< /Type /CMap " + entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" +
         data + "\nendstream\nendobj";
}

TEST(CIDSysInfo, CheckWantsStringsAndANumber) {
  TestRegistry doc;
  auto accepts = [&](const std::string& text) {
    std::unique_ptr<CPDFObject> o = Parse(text, &doc);
    return o && CPDFCIDSysInfo::Check(&doc, o.get());
  };
  EXPECT_TRUE(accepts(kInfo));
  EXPECT_TRUE(accepts("<< /Registry <41> /Ordering (Identity) /Supplement 0.0 >>"));
  EXPECT_FALSE(accepts("<< /Registry (Adobe) /Ordering (Japan1) >>"));
  EXPECT_FALSE(accepts("<< /Registry /Adobe /Ordering (Japan1) /Supplement 2 >>"));
  EXPECT_FALSE(accepts("<< /Registry (Adobe) /Ordering (Japan1) /Supplement (2) >>"));
  EXPECT_FALSE(accepts("[(Adobe) (Japan1) 2]"));
  // Values behind references count.
  const int32_t n = Register(doc, "(Japan1)");
  EXPECT_TRUE(
      accepts("<< /Registry (Adobe) /Ordering " + std::to_string(n) + " 0 R /Supplement 2 >>"));
}

TEST(CIDSysInfo, LoadMakesTheSupplementAnInteger) {
  TestRegistry doc;
  std::unique_ptr<CPDFObject> raw =
      Parse("<< /Registry (Adobe) /Ordering (Japan1) /Supplement 4 >>", &doc);
  const std::string read = Written(raw.get());
  auto info = LoadAs<CPDFCIDSysInfo, CPDFDict>(&doc, raw.get());
  ASSERT_TRUE(info);
  ASSERT_TRUE(info->Get_Supplement());
  EXPECT_EQ(info->Get_Supplement()->GetInt(), 4);
  EXPECT_EQ(Written(info.get()), read);
}

TEST(CMapStream, Check) {
  TestRegistry doc;
  auto accepts = [&](const std::string& text) {
    std::unique_ptr<CPDFObject> o = Parse(text, &doc);
    return o && CPDFCMap::Check(&doc, o.get());
  };
  EXPECT_TRUE(accepts(CMapText("/CMapName /Test-H /CIDSystemInfo " + kInfo)));
  EXPECT_TRUE(accepts(CMapText("/CMapName /Test-H /CIDSystemInfo [" + kInfo + "]")));
  EXPECT_FALSE(accepts(CMapText("/CIDSystemInfo " + kInfo)));
  EXPECT_FALSE(accepts(CMapText("/CMapName (Test-H) /CIDSystemInfo " + kInfo)));
  EXPECT_FALSE(accepts(CMapText("/CMapName /Test-H")));
  EXPECT_FALSE(accepts(CMapText("/CMapName /Test-H /CIDSystemInfo /Adobe")));
  const int32_t stream = Register(doc, "<< /Length 1 >>\nstream\nx\nendstream\nendobj");
  EXPECT_FALSE(
      accepts(CMapText("/CMapName /Test-H /CIDSystemInfo " + std::to_string(stream) + " 0 R")));
  EXPECT_FALSE(accepts("<< /Type /Font /CMapName /Test-H /CIDSystemInfo " + kInfo +
                       " /Length 1 >>\nstream\nx\nendstream\nendobj"));
  // A dictionary with the keys is not a stream.
  EXPECT_FALSE(accepts("<< /Type /CMap /CMapName /Test-H /CIDSystemInfo " + kInfo + " >>"));
}

TEST(CMapStream, LoadTypesTheEntries) {
  TestRegistry doc;
  const int32_t base = Register(doc, CMapText("/CMapName /Base-H /CIDSystemInfo " + kInfo));
  std::unique_ptr<CPDFObject> raw =
      Parse(CMapText("/CMapName /Test-V /CIDSystemInfo " + kInfo + " /WMode 1 /UseCMap " +
                     std::to_string(base) + " 0 R"),
            &doc);
  const std::string read = Written(raw.get());
  auto cmap = LoadAs<CPDFCMap, CPDFStream>(&doc, raw.get());
  ASSERT_TRUE(cmap);
  EXPECT_EQ(Written(cmap.get()), read);
  EXPECT_TRUE(dynamic_cast<CPDFCIDSysInfo*>(cmap->Get_CIDSystemInfo()));
  ASSERT_TRUE(cmap->Get_WMode());
  EXPECT_EQ(cmap->Get_WMode()->GetInt(), 1);
  auto* parent = dynamic_cast<CPDFCMap*>(cmap->Get_UseCMap());
  ASSERT_TRUE(parent);
  EXPECT_TRUE(dynamic_cast<CPDFCIDSysInfo*>(parent->Get_CIDSystemInfo()));

  // The program inside reads as a CMap.
  CMapFile program;
  ASSERT_TRUE(program.LoadStream(cmap->GetData(), cmap->GetDataLength(), true));
  EXPECT_EQ(program.GetCIDRangeCount(), 1);

  // An array stays an array; a name stays a name.
  std::unique_ptr<CPDFObject> other = Parse(
      CMapText("/CMapName /Test-H /CIDSystemInfo [" + kInfo + "] /UseCMap /Identity-H"), &doc);
  auto plain = LoadAs<CPDFCMap, CPDFStream>(&doc, other.get());
  ASSERT_TRUE(plain);
  EXPECT_TRUE(dynamic_cast<CPDFArray*>(plain->Get_CIDSystemInfo()));
  auto* name = dynamic_cast<CPDFName*>(plain->Get_UseCMap());
  ASSERT_TRUE(name);
  EXPECT_TRUE(name->IsEqual(CPDFName("Identity-H")));
  EXPECT_FALSE(plain->Get_WMode());
}

TEST(CMapStream, FailedLoadGivesEverythingBack) {
  TestRegistry doc;
  // The Supplement lies behind a reference; storing its integer back under
  // that reference fails, so the CIDSystemInfo load fails.
  const int32_t supplement = Register(doc, "2");
  std::unique_ptr<CPDFObject> raw =
      Parse(CMapText("/CMapName /Test-H /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) "
                     "/Supplement " +
                     std::to_string(supplement) + " 0 R >> /WMode 0"),
            &doc);
  const std::string read = Written(raw.get());
  doc.failRegist = true;
  EXPECT_FALSE((LoadAs<CPDFCMap, CPDFStream>(&doc, raw.get())));
  doc.failRegist = false;
  EXPECT_EQ(Written(raw.get()), read);

  // Without CIDSystemInfo the load fails as well.
  std::unique_ptr<CPDFObject> none = Parse(CMapText("/CMapName /Test-H"), &doc);
  const std::string noneRead = Written(none.get());
  EXPECT_FALSE((LoadAs<CPDFCMap, CPDFStream>(&doc, none.get())));
  EXPECT_EQ(Written(none.get()), noneRead);
}

TEST(CMapStream, SelfReferenceEnds) {
  TestRegistry doc;
  // Object 1 names itself as UseCMap; object 2 and 3 name each other.
  const std::string info = " /CIDSystemInfo " + kInfo;
  ASSERT_EQ(Register(doc, CMapText("/CMapName /Self" + info + " /UseCMap 1 0 R")), 1);
  ASSERT_EQ(Register(doc, CMapText("/CMapName /A" + info + " /UseCMap 3 0 R")), 2);
  ASSERT_EQ(Register(doc, CMapText("/CMapName /B" + info + " /UseCMap 2 0 R")), 3);
  for (const char* use : {"1 0 R", "2 0 R"}) {
    std::unique_ptr<CPDFObject> raw =
        Parse(CMapText("/CMapName /Top" + info + " /UseCMap " + use), &doc);
    auto cmap = LoadAs<CPDFCMap, CPDFStream>(&doc, raw.get());
    ASSERT_TRUE(cmap) << use;
    EXPECT_TRUE(dynamic_cast<CPDFCMap*>(cmap->Get_UseCMap())) << use;
  }
}

TEST(CMapStream, CloneWritesTheSameBytes) {
  TestRegistry doc;
  std::unique_ptr<CPDFObject> raw =
      Parse(CMapText("/CMapName /Test-H /CIDSystemInfo " + kInfo + " /WMode 0"), &doc);
  auto cmap = LoadAs<CPDFCMap, CPDFStream>(&doc, raw.get());
  ASSERT_TRUE(cmap);
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(cmap->Clone(&other, &doc));
  ASSERT_TRUE(dynamic_cast<CPDFCMap*>(copy.get()));
  EXPECT_EQ(Written(copy.get()), Written(cmap.get()));
  EXPECT_TRUE(
      dynamic_cast<CPDFCIDSysInfo*>(static_cast<CPDFCMap*>(copy.get())->Get_CIDSystemInfo()));
}

}  // namespace
