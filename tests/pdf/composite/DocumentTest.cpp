// The document registry and the byte layout of its file sections.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFFDFCatalog.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFTrailer.h"
#include "pdf/document/CPDFBody.h"
#include "pdf/document/CPDFEncryptDict.h"
#include "pdf/document/CPDFHeader.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/object/WrittenText.h"

namespace {

std::string Written(CPDFFileStruct& section) {
  CPDFStrOutStream out;
  out.Open();
  section.Serialize(out);
  const TempString& text = out.GetString();
  return std::string(text.c_str(), static_cast<size_t>(text.GetLength()));
}

std::string WrittenObject(CPDFObject& object) { return WrittenText(object); }

std::unique_ptr<CPDFDoc> NewPDF() {
  auto doc = std::make_unique<CPDFDoc>();
  EXPECT_TRUE(doc->Create(false, false, 1, 3));
  return doc;
}

TEST(DocumentTest, NewPDFNumbersPageTreeCatalogThenNewObjects) {
  auto doc = NewPDF();
  CPDFObjRef rootRef;
  CPDFCatalog* catalog = doc->GetCatalog(&rootRef);
  ASSERT_NE(catalog, nullptr);
  EXPECT_EQ(rootRef.GetNumber(), 2);
  CPDFObjRef pagesRef;
  CPDFPages* pages = catalog->Get_Pages(&pagesRef);
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pagesRef.GetNumber(), 1);
  EXPECT_EQ(WrittenObject(*pages), "<<\r\n/Count 0\n/Kids []\n/Type /Pages\n>>");
  EXPECT_EQ(WrittenObject(*catalog), "<<\r\n/Pages 1 0 R\n/Type /Catalog\n>>");
  EXPECT_EQ(doc->GetTrailer()->Get_Size()->GetInt(), 3);

  CPDFObjRef ref;
  ASSERT_TRUE(doc->RegistObj(new CPDFInt(7), &ref));
  EXPECT_EQ(ref, CPDFObjRef(3, 0));
  EXPECT_EQ(doc->GetTrailer()->Get_Size()->GetInt(), 4);
  EXPECT_EQ(static_cast<CPDFInt*>(doc->GetObj(ref))->GetInt(), 7);

  // Replacing under a defined reference keeps the number.
  ASSERT_TRUE(doc->RegistObj(new CPDFInt(8), &ref));
  EXPECT_EQ(ref, CPDFObjRef(3, 0));
  EXPECT_EQ(static_cast<CPDFInt*>(doc->GetObj(ref))->GetInt(), 8);

  // An undefined reference is code 3.
  EXPECT_EQ(doc->GetObj(CPDFObjRef()), nullptr);
  EXPECT_EQ(doc->GetError().GetCode(), 3);
  EXPECT_STREQ(doc->GetError().GetMessage(), "Object reference is not defined.");
  EXPECT_EQ(doc->GetObj(CPDFObjRef(99, 0)), nullptr);
  EXPECT_EQ(doc->GetError().GetCode(), 0);
}

TEST(DocumentTest, DeletedNumberIsReusedWithTheNextGeneration) {
  auto doc = NewPDF();
  CPDFObjRef refs[4];
  for (auto& r : refs) ASSERT_TRUE(doc->RegistObj(new CPDFInt(1), &r));
  ASSERT_EQ(refs[2], CPDFObjRef(5, 0));
  doc->DeleteObj(refs[2]);
  EXPECT_EQ(doc->GetObj(refs[2]), nullptr);
  EXPECT_EQ(doc->GetXRef()->GetFreeHead(), 5);

  const std::string xref = Written(*doc->GetXRef());
  EXPECT_NE(xref.find("0 7\r\n0000000005 65535 f \n"), std::string::npos);
  EXPECT_NE(xref.find("0000000000 00001 f \n"), std::string::npos);

  CPDFObjRef again;
  ASSERT_TRUE(doc->RegistObj(new CPDFInt(2), &again));
  EXPECT_EQ(again, CPDFObjRef(5, 1));
  EXPECT_EQ(doc->GetXRef()->GetFreeHead(), 0);
  EXPECT_EQ(doc->GetTrailer()->Get_Size()->GetInt(), 7);
}

TEST(DocumentTest, XRefSubsectionsFreeListAndGenerationLimit) {
  CPDFXRef xref;
  ASSERT_TRUE(xref.Create(nullptr, nullptr));
  ASSERT_TRUE(xref.SetCount(8));
  const int32_t offsets[] = {15, 80, 160, 0, 0, 0, 300, 420};
  for (int32_t n : {1, 2, 3, 7, 8}) {
    CPDFXRefEntry e;
    e.number = n;
    e.offset = offsets[n - 1];
    e.inUse = true;
    ASSERT_TRUE(xref.SetEntry(e));
  }
  EXPECT_EQ(Written(xref),
            "xref\r\n0 4\r\n"
            "0000000000 65535 f \n0000000015 00000 n \n0000000080 00000 n \n"
            "0000000160 00000 n \n"
            "7 2\r\n0000000300 00000 n \n0000000420 00000 n \n");

  // The free list stays in ascending order whatever the order of freeing.
  ASSERT_TRUE(xref.FreeEntry(8));
  ASSERT_TRUE(xref.FreeEntry(2));
  ASSERT_TRUE(xref.FreeEntry(7));
  EXPECT_EQ(xref.GetFreeHead(), 2);
  EXPECT_EQ(xref.GetEntry(2)->offset, 7);
  EXPECT_EQ(xref.GetEntry(7)->offset, 8);
  EXPECT_EQ(xref.GetEntry(8)->offset, 0);
  ASSERT_TRUE(xref.UpdateEntry(7));
  EXPECT_EQ(xref.GetEntry(2)->offset, 8);
  EXPECT_TRUE(xref.GetEntry(7)->inUse);
  EXPECT_EQ(xref.GetEntry(7)->generation, 1);
  EXPECT_FALSE(xref.FreeEntry(4));  // no entry

  // A section made from this one keeps the free entries only.
  CPDFXRef next;
  ASSERT_TRUE(next.Create(nullptr, &xref));
  EXPECT_EQ(next.GetCount(), 8);
  EXPECT_EQ(next.GetFreeHead(), 2);
  EXPECT_EQ(next.GetEntry(1), nullptr);
  EXPECT_EQ(Written(next).substr(0, 16), "xref\r\n0 1\r\n00000");

  // An entry that reaches the highest generation is never used again.
  CPDFXRefEntry old;
  old.number = 3;
  old.generation = 65534;
  old.inUse = true;
  ASSERT_TRUE(next.SetEntry(old));
  ASSERT_TRUE(next.FreeEntry(3));
  EXPECT_EQ(next.GetEntry(3)->generation, 65535);
  EXPECT_EQ(next.GetReusable()->number, 2);
  ASSERT_TRUE(next.UpdateEntry(2));
  ASSERT_TRUE(next.UpdateEntry(8));
  EXPECT_EQ(next.GetReusable(), nullptr);
  old.generation = 65536;
  EXPECT_FALSE(next.SetEntry(old));
}

TEST(DocumentTest, HeaderAndTrailerBytes) {
  CPDFHeader pdf;
  ASSERT_TRUE(pdf.Create(nullptr, false, 1, 3));
  const std::string header = Written(pdf);
  ASSERT_EQ(header.size(), 17u);
  EXPECT_EQ(header, "%PDF-1.3\r\n%\xE2\xE3\xCF\xD3\r\n");
  CPDFHeader fdf;
  ASSERT_TRUE(fdf.Create(nullptr, true, 1, 2));
  EXPECT_EQ(Written(fdf), "%FDF-1.2\r\n%\xE2\xE3\xCF\xD3\r\n");

  auto doc = NewPDF();
  doc->GetTrailer()->SetStartXRef(1234);
  EXPECT_EQ(Written(*doc->GetTrailer()),
            "trailer\r\n<<\r\n/Root 2 0 R\n/Size 3\n>>\r\nstartxref\r\n1234\r\n%%EOF\r\n");
}

TEST(DocumentTest, FDFDocumentHasRootOnlyAndNoPages) {
  CPDFDoc doc;
  ASSERT_TRUE(doc.Create(true, false, 1, 2));
  CPDFObjRef ref;
  auto* root = dynamic_cast<CPDFFDFCatalog*>(doc.GetTrailer()->Get_Root(&ref));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ref, CPDFObjRef(1, 0));
  EXPECT_EQ(WrittenObject(*root), "<<\r\n/FDF <<\r\n>>\n>>");
  EXPECT_EQ(Written(*doc.GetTrailer()), "trailer\r\n<<\r\n/Root 1 0 R\n>>\r\n%%EOF\r\n");

  EXPECT_FALSE(doc.CreatePage(-1, 1));
  EXPECT_EQ(doc.GetError().GetCode(), 3);
  EXPECT_STREQ(doc.GetError().GetMessage(), "There is no CPDFPage for FDF file.");
  EXPECT_EQ(doc.GetPageCount(), -1);
  EXPECT_EQ(doc.GetError().GetCode(), 3);
  EXPECT_EQ(doc.GetPage(0), nullptr);
  EXPECT_EQ(doc.GetError().GetCode(), 5);
  EXPECT_STREQ(doc.GetError().GetMessage(), "There is no CPDFPage for FDF file");
  EXPECT_STREQ(doc.GetError().GetClassName(), "CPDFDoc");
  EXPECT_STREQ(doc.GetError().GetMethodName(), "GetPage");

  TempFolder folder;
  const std::string path = folder.File("a.fdf");
  ASSERT_TRUE(doc.Save(path.c_str(), true, true));
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();
  const std::string text = ReadText(path);
  EXPECT_EQ(text.rfind("%FDF-1.2\r\n", 0), 0u);
  EXPECT_EQ(text.find("xref"), std::string::npos);
  const std::string tail = "trailer\r\n<<\r\n/Root 1 0 R\n>>\r\n%%EOF\r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find("/Producer"), std::string::npos);
}

TEST(DocumentTest, EncryptDictionaryTest) {
  CPDFEncryptDict dict;
  dict.SetDoc(nullptr);
  dict.Set_Filter(new CPDFName("Standard"));
  dict.Set_R(new CPDFNumber(2));
  EXPECT_FALSE(dict.IsStandardR2V1());  // no V
  dict.Set_V(new CPDFNumber(1));
  EXPECT_TRUE(dict.IsStandardR2V1());
  dict.Set_R(new CPDFNumber(3));
  EXPECT_FALSE(dict.IsStandardR2V1());
  dict.Set_R(new CPDFNumber(2));
  dict.Set_Filter(new CPDFName("Other"));
  EXPECT_FALSE(dict.IsStandardR2V1());
}

TEST(DocumentTest, ArraysAndDictionariesResolveThroughTheDocument) {
  auto doc = NewPDF();
  CPDFDict dict;
  CPDFObjRef ref;
  ASSERT_TRUE(dict.Set(doc.get(), CPDFName("A"), new CPDFString("x"), true, &ref));
  EXPECT_EQ(ref.GetNumber(), 3);
  CPDFObjRef seen;
  auto* value = dynamic_cast<CPDFString*>(dict.Get(doc.get(), CPDFName("A"), &seen));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(seen, ref);
  dict.Remove(doc.get(), CPDFName("A"));
  EXPECT_EQ(doc->GetObj(ref), nullptr);
  EXPECT_FALSE(doc->GetXRef()->GetEntry(3)->inUse);

  CPDFArray array;
  ref.Reset();
  ASSERT_TRUE(array.Push_Back(doc.get(), new CPDFInt(4), true, &ref));
  EXPECT_EQ(ref, CPDFObjRef(3, 1));
  EXPECT_EQ(static_cast<CPDFInt*>(array.Get(doc.get(), 0))->GetInt(), 4);
}

TEST(DocumentTest, CreateAgainAfterClose) {
  CPDFDoc doc;
  ASSERT_TRUE(doc.Create(false, false, 1, 4));
  doc.Close();
  EXPECT_EQ(doc.GetBody(), nullptr);
  EXPECT_EQ(doc.GetCatalog(), nullptr);
  ASSERT_TRUE(doc.Create(false, false, 1, 3));
  EXPECT_EQ(doc.GetPageCount(), 0);
  EXPECT_FALSE(doc.Create(false, false, -1, 3));
  EXPECT_EQ(doc.GetError().GetCode(), 5);
  EXPECT_STREQ(doc.GetError().GetMessage(), "CPDFHeader::Create()");
}

// The record tells the last call's reason only: a call that succeeds
// leaves it empty, and one that fails holds its own reason, not an earlier
// failure's class, method or message.
TEST(DocumentTest, ErrorRecordHoldsNoStaleReason) {
  TempFolder folder;
  const std::string path = folder.File("out.pdf");
  auto doc = NewPDF();
  ASSERT_TRUE(doc->CreatePage(-1, 1));
  auto* resources = dynamic_cast<CPDFResDict*>(doc->GetPage(0)->Get_Resources());
  ASSERT_NE(resources, nullptr);
  const auto expectEmpty = [&](const char* after) {
    EXPECT_EQ(doc->GetError().GetCode(), 0) << after;
    EXPECT_STREQ(doc->GetError().GetClassName(), "") << after;
    EXPECT_STREQ(doc->GetError().GetMethodName(), "") << after;
    EXPECT_STREQ(doc->GetError().GetMessage(), "") << after;
  };
  EXPECT_FALSE(doc->Flush());
  EXPECT_STREQ(doc->GetError().GetMessage(), "CPDFDoc::Save() has not been called.");
  EXPECT_NE(doc->GetPage(0), nullptr);
  expectEmpty("a page got after a failed flush");
  EXPECT_FALSE(doc->Flush());
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->Flush());
  expectEmpty("a flush after a failed flush");
  EXPECT_FALSE(doc->Flush());
  // A refusal records its own reason, not the failed flush's.
  EXPECT_FALSE(resources->AddResource(CPDFName("F1"), nullptr));
  EXPECT_STREQ(doc->GetError().GetMethodName(), "AddResource");
  EXPECT_STREQ(doc->GetError().GetMessage(), "typecheck: Null");
}

}  // namespace
