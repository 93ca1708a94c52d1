// The factory tables through which lower layers type values whose classes
// live above them: the resource dictionary's categories and the object
// layer's typed entries. The test main has filled them (PDFRegisterFactories).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ResourceTestSupport.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFResourceFactories.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/object/CPDFEntryFactories.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/TestRegistry.h"

namespace {

// A font factory standing in for the font folder: every dictionary becomes
// a resource of the Font category holding its entries.
CPDFObject* MakeTestFont(CPDFObjRegistry* doc, CPDFObject* raw) {
  auto* dict = dynamic_cast<CPDFDict*>(raw);
  if (!dict) return nullptr;
  std::unique_ptr<TestResource> font(new TestResource(CPDFResource::kFont, "F"));
  font->SetDoc(doc);
  if (!font->Assign(doc, dict)) return nullptr;
  return static_cast<CPDFDict*>(font.release());
}

// Sets a category's factory for the life of the scope, then restores it.
class ScopedResourceFactory {
 public:
  ScopedResourceFactory(uint32_t category, CPDFResourceFactory factory)
      : category_(category), saved_(PDFGetResourceFactory(category)) {
    PDFSetResourceFactory(category, factory);
  }
  ~ScopedResourceFactory() { PDFSetResourceFactory(category_, saved_); }

 private:
  uint32_t category_;
  CPDFResourceFactory saved_;
};

const char kResources[] =
    "<< /ExtGState << /GS0 << /Type /ExtGState /LW 1 >> >> /Font << /F0 << /Type /Font >> >> >>";

TEST(FactoryTableTest, ResourceCategoriesTypeThroughTheTable) {
  // Filled by the features layer: graphics states and fonts (whose factory
  // answers none until a font kind exists, so fonts stay as read).
  EXPECT_NE(PDFGetResourceFactory(CPDFResource::kExtGState), nullptr);
  const CPDFResourceFactory registeredFonts = PDFGetResourceFactory(CPDFResource::kFont);
  EXPECT_NE(registeredFonts, nullptr);
  // Only single category bits name a slot.
  EXPECT_EQ(PDFGetResourceFactory(CPDFResource::kNoCategory), nullptr);
  EXPECT_EQ(PDFGetResourceFactory(CPDFResource::kExtGState | CPDFResource::kFont), nullptr);
  PDFSetResourceFactory(CPDFResource::kFont | CPDFResource::kPattern, MakeTestFont);
  EXPECT_EQ(PDFGetResourceFactory(CPDFResource::kFont), registeredFonts);

  TestRegistry doc;
  {
    ScopedResourceFactory fonts(CPDFResource::kFont, MakeTestFont);
    auto source = ParseAs<CPDFDict>(kResources, &doc);
    ASSERT_TRUE(source);
    const std::string text = WrittenText(*source);
    CPDFResDict res;
    ASSERT_TRUE(res.Load(&doc, source.get()));
    auto* font = dynamic_cast<TestResource*>(res.GetResource("Font", "F0"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetDoc(), &doc);
    EXPECT_NE(dynamic_cast<CPDFExtGState*>(res.GetResource("ExtGState", "GS0")), nullptr);
    EXPECT_EQ(WrittenText(res), text);
  }
  {
    // A cleared slot leaves its category as read; the others still type.
    ScopedResourceFactory none(CPDFResource::kExtGState, nullptr);
    auto source = ParseAs<CPDFDict>(kResources, &doc);
    ASSERT_TRUE(source);
    CPDFResDict res;
    ASSERT_TRUE(res.Load(&doc, source.get()));
    EXPECT_EQ(res.GetResource("ExtGState", "GS0"), nullptr);
    EXPECT_TRUE(res.HasResource("ExtGState", "GS0"));
    EXPECT_EQ(res.GetResource("Font", "F0"), nullptr);
  }
  EXPECT_NE(PDFGetResourceFactory(CPDFResource::kExtGState), nullptr);
}

TEST(FactoryTableTest, StreamFileSpecificationThroughTheObjectLayersTable) {
  const CPDFEntryFactory registered = PDFGetEntryFactory(CPDFTypedEntry::kStreamF);
  ASSERT_NE(registered, nullptr);
  EXPECT_EQ(PDFGetEntryFactory(CPDFTypedEntry::kCount), nullptr);

  const std::string text =
      "<< /F << /F (data.bin) /Type /Filespec >> /Length 3 >>\r\nstream\r\nabc\r\nendstream\r\n"
      "endobj";
  TestRegistry doc;
  PDFSetEntryFactory(CPDFTypedEntry::kStreamF, nullptr);
  auto raw = ParseAs<CPDFStream>(text, &doc);
  PDFSetEntryFactory(CPDFTypedEntry::kStreamF, registered);
  ASSERT_TRUE(raw);
  ASSERT_NE(raw->Get_F(), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFFileSpec*>(raw->Get_F()), nullptr);

  auto typed = ParseAs<CPDFStream>(text, &doc);
  ASSERT_TRUE(typed);
  EXPECT_NE(dynamic_cast<CPDFFileSpec*>(typed->Get_F()), nullptr);
}

}  // namespace
