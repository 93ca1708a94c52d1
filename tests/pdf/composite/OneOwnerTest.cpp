// One owner per object: a font, image or colour space listed on several
// pages is registered once and written once; an object of another document,
// or one stored both directly and by reference, is refused with a reason,
// and every document still closes cleanly.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/document/ImageFileMaker.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

CPDFDoc* NewDoc(int32_t pages) {
  CPDFDoc* doc = CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr);
  EXPECT_NE(doc, nullptr);
  if (doc && pages > 0) {
    EXPECT_TRUE(doc->CreatePage(-1, pages));
  }
  return doc;
}

CPDFResDict* ResourcesOf(CPDFDoc* doc, int32_t index) {
  CPDFPage* page = doc->GetPage(index);
  return page ? dynamic_cast<CPDFResDict*>(page->Get_Resources()) : nullptr;
}

CPDFType1Font* Helvetica(CPDFDoc* doc) {
  auto* font = new CPDFType1Font;
  EXPECT_TRUE(font->Create(doc, "Helvetica"));
  return font;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Saves and flushes; the written file's text.
std::string SaveText(CPDFDoc* doc, const std::string& path) {
  EXPECT_TRUE(doc->Save(path.c_str(), false, false)) << doc->GetError().GetMessage();
  EXPECT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  return ReadText(path);
}

// The first thing a newcomer tries: one font (image, colour space) listed
// on every page.
TEST(OneOwnerTest, AResourceListedOnEveryPageIsOneObject) {
  TempFolder folder;
  const std::string image = folder.Write("small.bmp", imagefile::Bitmap(4, 3));
  CPDFDoc* doc = NewDoc(3);
  CPDFMatrix matrix;
  CPDFImageXObj* xobj = CPDFImageXObj::CreateImageXObj(doc, image.c_str(), matrix);
  ASSERT_NE(xobj, nullptr) << doc->GetError().GetMessage();
  std::unique_ptr<CPDFObject> raw = periph::Parse("[/Indexed /DeviceRGB 1 <FF000000FF00>]", doc);
  CPDFColorSpace* space =
      CPDFColorSpace::CreateColorSpace(doc, raw.get(), CPDFColorSpace::kAllFamilies);
  ASSERT_NE(space, nullptr);
  CPDFType1Font* font = Helvetica(doc);

  const struct {
    const char* name;
    CPDFResource* resource;
    const char* written;  // what the object writes once
  } resources[] = {{"F1", font, "/BaseFont /Helvetica"},
                   {"Im1", xobj, "/Subtype /Image"},
                   {"CS1", space, "/Indexed"}};
  std::vector<CPDFObjRef> refs;
  for (const auto& r : resources) {
    CPDFObjRef first;
    for (int32_t page = 0; page < 3; ++page) {
      CPDFObjRef ref;
      ASSERT_TRUE(ResourcesOf(doc, page)->AddResource(CPDFName(r.name), r.resource, &ref));
      if (page == 0) first = ref;
      EXPECT_EQ(ref, first) << r.name;
    }
    EXPECT_EQ(doc->GetObj(first), r.resource->GetPDFObject());
    refs.push_back(first);
  }
  EXPECT_NE(refs[0], refs[1]);
  EXPECT_NE(refs[1], refs[2]);

  const std::string path = folder.File("shared.pdf");
  const std::string text = SaveText(doc, path);
  for (size_t i = 0; i < refs.size(); ++i) {
    EXPECT_EQ(Count(text, resources[i].written), 1u) << resources[i].name;
    EXPECT_EQ(Count(text, "/" + std::string(resources[i].name) + " " + periph::RefText(refs[i])),
              3u);
  }
  if (ToolInstalled("qpdf --version")) {
    std::string report;
    EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
  }
  EXPECT_TRUE(CPDFEnv::Global().CloseDoc(doc));
}

// Every store with the indirect flag stores the reference the object has.
TEST(OneOwnerTest, EveryIndirectStoreOfAHeldObjectStoresItsReference) {
  CPDFDoc* doc = NewDoc(0);
  auto* value = new CPDFDict;
  CPDFObjRef ref;
  ASSERT_TRUE(doc->RegistObj(value, &ref));
  const int32_t count = doc->GetXRef()->GetCount();

  CPDFObjRef again, own = ref;
  EXPECT_TRUE(doc->RegistObj(value, &again));
  EXPECT_TRUE(doc->RegistObj(value, &own));  // its own reference: itself in its place
  EXPECT_EQ(again, ref);

  auto* holder = new CPDFDict;
  ASSERT_TRUE(doc->RegistObj(holder, nullptr));
  auto* array = new CPDFArray;
  ASSERT_TRUE(holder->Set(doc, CPDFName("B"), array));
  ASSERT_TRUE(array->Push_Back(doc, new CPDFNull));
  // The unique_ptr forms take nothing from the document either.
  ASSERT_TRUE(holder->Set(doc, CPDFName("A"), std::unique_ptr<CPDFObject>(value), true));
  ASSERT_TRUE(array->Push_Back(doc, value, true));
  ASSERT_TRUE(array->SetAt(doc, 0, value, true));
  const std::string r = periph::RefText(ref);
  EXPECT_EQ(periph::Written(holder), "<<\r\n/A " + r + "\n/B [" + r + " " + r + "]\n>>");
  EXPECT_EQ(doc->GetXRef()->GetCount(), count + 1);  // only the holder is new
  EXPECT_EQ(doc->GetObj(ref), value);

  // A copy of a held object is nobody's: stored directly, or registered
  // under a number of its own.
  CPDFObjRef nameRef, copyRef;
  auto* name = new CPDFName("Shared");
  ASSERT_TRUE(doc->RegistObj(name, &nameRef));
  EXPECT_TRUE(holder->Set(doc, CPDFName("D"), std::make_unique<CPDFName>(*name)));
  EXPECT_TRUE(holder->Set(doc, CPDFName("E"), std::make_unique<CPDFName>(*name), true, &copyRef));
  EXPECT_NE(copyRef, nameRef);
  EXPECT_TRUE(CPDFEnv::Global().CloseDoc(doc));
}

// What cannot have one owner is refused, nothing changes, and the error
// record says why.
TEST(OneOwnerTest, SecondOwnersAreRefusedWithAReason) {
  CPDFDoc* doc = NewDoc(1);
  CPDFDoc* other = NewDoc(1);
  CPDFType1Font* font = Helvetica(doc);
  CPDFObjRef ref;
  ASSERT_TRUE(ResourcesOf(doc, 0)->AddResource(CPDFName("F1"), font, &ref));
  const int32_t otherCount = other->GetXRef()->GetCount();

  // Another document's object.
  CPDFObjRef refused;
  EXPECT_FALSE(ResourcesOf(other, 0)->AddResource(CPDFName("F1"), font, &refused));
  EXPECT_FALSE(refused.IsDefined());
  EXPECT_STREQ(other->GetError().GetMethodName(), "RegistObj");
  EXPECT_STREQ(other->GetError().GetMessage(), "The object belongs to another document.");
  // A refused unique_ptr does not free what another document owns.
  EXPECT_FALSE(other->RegistObj(std::unique_ptr<CPDFObject>(font), nullptr));
  auto* list = new CPDFArray;
  ASSERT_TRUE(other->RegistObj(list, nullptr));
  EXPECT_FALSE(list->Push_Back(other, std::unique_ptr<CPDFObject>(font), true));
  EXPECT_EQ(list->GetCount(), 0);
  EXPECT_EQ(other->GetXRef()->GetCount(), otherCount + 1);

  // Another reference for an object the document holds.
  CPDFObjRef elsewhere(1, 0);
  EXPECT_FALSE(doc->RegistObj(font, &elsewhere));
  EXPECT_STREQ(
      doc->GetError().GetMessage(),
      ("The object is registered as " + std::to_string(ref.GetNumber()) + " 0 already.").c_str());
  EXPECT_NE(doc->GetObj(CPDFObjRef(1, 0)), static_cast<CPDFObject*>(font));

  // A held object stored directly as well: refused, in every container.
  CPDFPage* page = doc->GetPage(0);
  doc->GetError().Clear();
  EXPECT_FALSE(page->Set(doc, CPDFName("Font"), font));
  EXPECT_STREQ(doc->GetError().GetMessage(),
               "The object is an indirect object: it is stored by reference only.");
  EXPECT_FALSE(page->Set(doc, CPDFName("Font"), std::unique_ptr<CPDFObject>(font)));
  EXPECT_FALSE(page->HasKey(CPDFName("Font")));
  CPDFArray direct;
  EXPECT_FALSE(direct.Push_Back(nullptr, std::unique_ptr<CPDFObject>(font)));
  EXPECT_EQ(direct.GetCount(), 0);

  EXPECT_EQ(doc->GetObj(ref), static_cast<CPDFObject*>(font));
  EXPECT_TRUE(CPDFEnv::Global().CloseDoc(other));
  EXPECT_TRUE(CPDFEnv::Global().CloseDoc(doc));
}

// After a flush the object lies in an older revision: listed again, it
// keeps its number, and an incremental save does not write it again.
TEST(OneOwnerTest, AnObjectOfAnEarlierRevisionKeepsItsNumber) {
  TempFolder folder;
  const std::string path = folder.File("revisions.pdf");
  CPDFDoc* doc = NewDoc(2);
  CPDFType1Font* font = Helvetica(doc);
  CPDFObjRef first, second;
  ASSERT_TRUE(ResourcesOf(doc, 0)->AddResource(CPDFName("F1"), font, &first));
  SaveText(doc, path);
  ASSERT_EQ(doc->GetObj(first), static_cast<CPDFObject*>(font));
  ASSERT_TRUE(ResourcesOf(doc, 1)->AddResource(CPDFName("F1"), font, &second));
  EXPECT_EQ(second, first);
  ASSERT_TRUE(doc->Save(path.c_str(), true, false));
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  // The second page's resources were changed by the listing: the
  // incremental part holds them, and only them.
  const std::string text = ReadText(path);
  EXPECT_EQ(Count(text, "/BaseFont /Helvetica"), 1u);
  EXPECT_EQ(Count(text, "/F1 " + periph::RefText(first)), 2u) << text;
  EXPECT_TRUE(CPDFEnv::Global().CloseDoc(doc));
}

}  // namespace
