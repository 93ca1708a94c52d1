#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ResourceTestSupport.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/graphics/CPDFProperties.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/TestRegistry.h"

namespace {

TestResource* Image() { return new TestResource(CPDFResource::kXObject, "Im"); }

// Adds a new resource under a generated name; answers the name.
std::string AddNamed(CPDFResDict& res, TestResource* r) {
  CPDFName name;
  EXPECT_TRUE(res.MakeUniqueName(name, r));
  EXPECT_TRUE(res.AddResource(name, r));
  return name.c_str();
}

TEST(ResDictTest, NamesAreCountedPerCategoryAndReused) {
  TestRegistry doc;
  CPDFResDict res;
  res.SetDoc(&doc);
  EXPECT_EQ(AddNamed(res, Image()), "Im1");
  EXPECT_EQ(AddNamed(res, Image()), "Im2");
  EXPECT_EQ(AddNamed(res, new TestResource(CPDFResource::kFont, "F")), "F1");

  // A freed name is found again: the search starts at 1 every time.
  res.Get_XObject()->Remove(&doc, "Im1");
  std::unique_ptr<TestResource> probe(Image());
  CPDFName name;
  ASSERT_TRUE(res.MakeUniqueName(name, probe.get()));
  EXPECT_STREQ(name.c_str(), "Im1");

  // A raw entry (not a typed resource) still holds its name.
  ASSERT_TRUE(res.Get_XObject()->Set(&doc, "Im1", new CPDFDict));
  ASSERT_TRUE(res.MakeUniqueName(name, probe.get()));
  EXPECT_STREQ(name.c_str(), "Im3");
}

TEST(ResDictTest, NamesGoOnPastEveryTakenOne) {
  // No cap: with Im1 .. Im4095 listed, the next name is Im4096.
  TestRegistry doc;
  CPDFResDict res;
  res.SetDoc(&doc);
  auto* xobjects = new CPDFDict;
  ASSERT_TRUE(res.Set_XObject(xobjects));
  for (int i = 1; i <= 4095; ++i) {
    ASSERT_TRUE(xobjects->Set(&doc, ("Im" + std::to_string(i)).c_str(), new CPDFInt(i)));
  }
  std::unique_ptr<TestResource> probe(Image());
  CPDFName name;
  EXPECT_TRUE(res.MakeUniqueName(name, probe.get()));
  EXPECT_STREQ(name.c_str(), "Im4096");
}

TEST(ResDictTest, AddResourceRegistersReplacesAndRefuses) {
  TestRegistry doc;
  CPDFResDict res;
  res.SetDoc(&doc);
  CPDFObjRef ref;
  TestResource* first = Image();
  ASSERT_TRUE(res.AddResource("Im1", first, &ref));
  EXPECT_TRUE(ref.IsDefined());
  EXPECT_EQ(doc.GetObj(ref), static_cast<CPDFObject*>(first));
  EXPECT_EQ(res.GetResource("XObject", "Im1"), first);
  EXPECT_EQ(WrittenText(*res.Get_XObject()), "<<\r\n/Im1 1 0 R\n>>");

  // Same name: the entry is replaced.
  TestResource* second = Image();
  ASSERT_TRUE(res.AddResource("Im1", second));
  EXPECT_EQ(res.GetResource("XObject", "Im1"), second);
  EXPECT_EQ(res.Get_XObject()->GetCount(), 1);

  // Procedure sets are not added this way; neither is anything into a
  // category value that is not a dictionary, nor no resource at all. Each
  // refusal says why.
  auto refused = [&](const char* method, int32_t code, const char* message) {
    EXPECT_STREQ(doc.GetError().GetClassName(), "CPDFResDict");
    EXPECT_STREQ(doc.GetError().GetMethodName(), method);
    EXPECT_EQ(doc.GetError().GetCode(), code);
    EXPECT_STREQ(doc.GetError().GetMessage(), message);
  };
  CPDFProcSet procSet("PDF");
  EXPECT_FALSE(res.AddResource("P", &procSet));
  refused("AddResource", CPDFException::kUndefined, "not a category of named resources: ProcSet");
  ASSERT_TRUE(res.Set(&doc, "Font", new CPDFInt(3)));
  std::unique_ptr<TestResource> font(new TestResource(CPDFResource::kFont, "F"));
  EXPECT_FALSE(res.AddResource("F1", font.get()));
  refused("AddResource", CPDFException::kSyntax, "typecheck: Integer");
  EXPECT_FALSE(res.AddResource("F1", nullptr));
  refused("AddResource", CPDFException::kSyntax, "typecheck: Null");
  CPDFName unused;
  EXPECT_FALSE(res.MakeUniqueName(unused, nullptr));
  refused("MakeUniqueName", CPDFException::kSyntax, "typecheck: Null");
  ASSERT_TRUE(res.AddResource("Im2", Image()));
  EXPECT_FALSE(doc.GetError().IsError());
  EXPECT_EQ(res.GetResource("ProcSet", "PDF"), nullptr);
  EXPECT_EQ(res.GetResource("Nonsense", "Im1"), nullptr);
}

TEST(ResDictTest, DefaultProcSet) {
  TestRegistry doc;
  CPDFResDict res;
  res.SetDoc(&doc);
  res.SetDefaultProcSet();
  EXPECT_EQ(WrittenText(*res.Get_ProcSet()), "[/PDF]");

  ASSERT_TRUE(res.AddResource("Im1", Image()));
  res.SetDefaultProcSet();
  res.SetDefaultProcSet();  // twice: the same array, not a doubled one
  EXPECT_EQ(WrittenText(*res.Get_ProcSet()), "[/PDF /ImageB /ImageC /ImageI]");
  EXPECT_NE(dynamic_cast<CPDFProcSet*>(res.Get_ProcSet()->Get(&doc, 0)), nullptr);

  // An empty Font dictionary adds no /Text; a listed font does.
  ASSERT_TRUE(res.Set_Font(new CPDFDict));
  res.SetDefaultProcSet();
  EXPECT_EQ(WrittenText(*res.Get_ProcSet()), "[/PDF /ImageB /ImageC /ImageI]");
  ASSERT_TRUE(res.AddResource("F1", new TestResource(CPDFResource::kFont, "F")));
  res.SetDefaultProcSet();
  EXPECT_EQ(WrittenText(*res.Get_ProcSet()), "[/PDF /Text /ImageB /ImageC /ImageI]");

  // A ProcSet value that is not an array is replaced.
  CPDFResDict other;
  other.SetDoc(&doc);
  ASSERT_TRUE(other.Set(&doc, "ProcSet", new CPDFInt(1)));
  ASSERT_TRUE(other.Set(&doc, "XObject", new CPDFInt(1)));
  other.SetDefaultProcSet();
  EXPECT_EQ(WrittenText(*other.Get_ProcSet()), "[/PDF]");
}

TEST(ResDictTest, LoadConvertsWhatItKnowsAndKeepsTheRest) {
  TestRegistry doc;
  auto source = ParseAs<CPDFDict>(
      "<< /ColorSpace << /CS0 /DeviceRGB >>"
      " /ExtGState << /GS0 << /Type /ExtGState /LW 1 >> /GS1 << /LW 2 >> >>"
      " /ProcSet [/PDF /ImageC]"
      " /Properties << /Pr0 << /A 1 >> >>"
      " /Shading << /Sh0 << /ShadingType 2 >> >>"
      " /Pattern << /P0 << /PatternType 2 >> >>"
      " /Font << /F0 << /Type /Font >> >> >>",
      &doc);
  ASSERT_TRUE(source);
  CPDFResDict res;
  ASSERT_TRUE(res.Load(&doc, source.get()));
  EXPECT_EQ(res.GetDoc(), &doc);

  EXPECT_NE(dynamic_cast<CPDFExtGState*>(res.GetResource("ExtGState", "GS0")), nullptr);
  // Without /Type /ExtGState the entry stays as read.
  EXPECT_EQ(res.GetResource("ExtGState", "GS1"), nullptr);
  EXPECT_TRUE(res.HasResource("ExtGState", "GS1"));
  EXPECT_NE(dynamic_cast<CPDFProperties*>(res.GetResource("Properties", "Pr0")), nullptr);
  EXPECT_NE(dynamic_cast<CPDFProcSet*>(res.Get_ProcSet()->Get(&doc, 1)), nullptr);
  // A name mapped to a name stays a plain name; families with no typed
  // member leave their entries as read.
  CPDFObject* cs = res.Get_ColorSpace()->Get(&doc, "CS0");
  ASSERT_NE(cs, nullptr);
  EXPECT_EQ(cs->GetType(), CPDFObject::kName);
  EXPECT_EQ(dynamic_cast<CPDFResource*>(cs), nullptr);
  EXPECT_EQ(res.GetResource("Shading", "Sh0"), nullptr);
  EXPECT_TRUE(res.HasResource("Shading", "Sh0"));
  EXPECT_TRUE(res.HasResource("Pattern", "P0"));
  EXPECT_TRUE(res.HasResource("Font", "F0"));

  // Written back, the dictionary is unchanged.
  auto again = ParseAs<CPDFDict>(WrittenText(res), &doc);
  ASSERT_TRUE(again);
  EXPECT_EQ(WrittenText(*again), WrittenText(res));

  // A clone is a separate resource dictionary with the same text.
  std::unique_ptr<CPDFResDict> copy(res.Clone(&doc, &doc));
  ASSERT_TRUE(copy);
  EXPECT_EQ(WrittenText(*copy), WrittenText(res));
}

TEST(ResDictTest, LoadFailsOnADanglingEntry) {
  TestRegistry doc;
  auto source = ParseAs<CPDFDict>("<< /ExtGState << /GS0 9 0 R >> >>", &doc);
  ASSERT_TRUE(source);
  CPDFResDict res;
  EXPECT_FALSE(res.Load(&doc, source.get()));

  auto indirect = ParseAs<CPDFDict>("<< /ExtGState << /GS0 5 0 R >> >>", &doc);
  auto state = ParseText("<< /Type /ExtGState >>", &doc);
  ASSERT_TRUE(indirect && state);
  CPDFObjRef ref(5, 0);
  doc.objects[5] = state.release();
  CPDFResDict loaded;
  ASSERT_TRUE(loaded.Load(&doc, indirect.get()));
  // The typed object replaced the one registered under the same reference.
  EXPECT_NE(dynamic_cast<CPDFExtGState*>(doc.GetObj(ref)), nullptr);
  EXPECT_EQ(WrittenText(*loaded.Get_ExtGState()), "<<\r\n/GS0 5 0 R\n>>");
}

// A category that fails after others were typed gives every entry back:
// the page (or appearance stream) keeps its resources as read.
TEST(ResDictTest, AFailedLoadGivesTheEntriesBack) {
  TestRegistry doc;
  auto state = ParseText("<< /Type /ExtGState /LW 2 >>", &doc);
  ASSERT_TRUE(state);
  doc.objects[5] = state.release();
  auto source = ParseAs<CPDFDict>(
      "<< /ProcSet [/PDF] /ColorSpace << /CS0 [/CalGray << /WhitePoint [1 1 1] >>] >> "
      "/ExtGState << /GS0 5 0 R /GS1 9 0 R >> >>",
      &doc);
  ASSERT_TRUE(source);
  const std::string before = WrittenText(*source);
  CPDFResDict res;
  EXPECT_FALSE(res.Load(&doc, source.get()));
  EXPECT_EQ(WrittenText(*source), before);
  EXPECT_EQ(res.GetCount(), 0);
}

TEST(ResDictTest, LoadMakesColourSpacesAndImages) {
  TestRegistry doc;
  auto image = ParseText(
      "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8"
      " /ColorSpace /DeviceGray /Length 1 >>\nstream\r\nx\r\nendstream\nendobj",
      &doc);
  ASSERT_TRUE(image);
  doc.objects[4] = image.release();
  auto source = ParseAs<CPDFDict>(
      "<< /ColorSpace << /CS1 [/DeviceRGB] /CS2 [/CalRGB << >>] >> /XObject << /Im7 4 0 R >> >>",
      &doc);
  ASSERT_TRUE(source);
  CPDFResDict res;
  ASSERT_TRUE(res.Load(&doc, source.get()));
  EXPECT_NE(dynamic_cast<CPDFDevRGBCS*>(res.GetResource("ColorSpace", "CS1")), nullptr);
  // A CalRGB array without WhitePoint fits no family and stays as read.
  EXPECT_EQ(res.GetResource("ColorSpace", "CS2"), nullptr);
  EXPECT_EQ(WrittenText(*res.Get_ColorSpace()->Get(&doc, "CS2")), "[/CalRGB <<\r\n>>]");
  auto* im = dynamic_cast<CPDFImageXObj*>(res.GetResource("XObject", "Im7"));
  ASSERT_NE(im, nullptr);
  EXPECT_EQ(doc.GetObj(CPDFObjRef(4, 0)), static_cast<CPDFObject*>(im));
  // A new image is named after the ones listed.
  CPDFImageXObj fresh;
  CPDFName name;
  ASSERT_TRUE(res.MakeUniqueName(name, &fresh));
  EXPECT_STREQ(name.c_str(), "Im1");
}

}  // namespace
