// Saves that would write a file no reader can use are refused with the
// reason, and write nothing: a trailer with an Encrypt entry the document
// holds no key for, and an object nested deeper than the parser reads back.
// An existing file at the path stays as it was; the document stays usable
// and closes cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFTrailer.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

CPDFDoc* NewDoc() {
  CPDFDoc* doc = CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr);
  EXPECT_NE(doc, nullptr);
  if (doc) {
    EXPECT_TRUE(doc->CreatePage(-1, 1));
    EXPECT_TRUE(doc->GetPage(0)->Set_MediaBox(new CPDFRect(0, 0, 200, 100)));
  }
  return doc;
}

// An array nesting levels arrays, the innermost holding the number 7.
CPDFArray* Nest(int32_t levels) {
  auto* outer = new CPDFArray;
  outer->Elements::Push_Back(new CPDFNumber(7));
  for (int32_t i = 1; i < levels; ++i) {
    auto* next = new CPDFArray;
    next->Elements::Push_Back(outer);
    outer = next;
  }
  return outer;
}

// Nothing in the folder but what the test put there.
void ExpectNothingWritten(const TempFolder& folder, const std::string& path, bool existed) {
  EXPECT_EQ(std::filesystem::exists(path), existed);
  EXPECT_EQ(CountTempFiles(Folder(folder)), 0);
}

TEST(SaveRefusalTest, AnEncryptEntryWithoutAKeyWritesNothing) {
  const char* encrypts[] = {"<< /Filter /Standard /R 2 /V 1 /O <00> /U <00> /P -4 >>", "<< >>"};
  for (const char* encrypt : encrypts) {
    SCOPED_TRACE(encrypt);
    TempFolder folder;
    const std::string path = folder.File("out.pdf");
    CPDFDoc* doc = NewDoc();
    std::unique_ptr<CPDFObject> dict = periph::Parse(encrypt, doc);
    ASSERT_TRUE(doc->GetTrailer()->Set(doc, CPDFTrailer::Key_Encrypt(), std::move(dict), true));

    EXPECT_FALSE(doc->Save(path.c_str(), false, false));
    EXPECT_EQ(doc->GetError().GetCode(), CPDFException::kUndefined);
    EXPECT_STREQ(doc->GetError().GetMethodName(), "Save");
    EXPECT_STREQ(doc->GetError().GetMessage(),
                 "The trailer has an Encrypt entry, but the document holds no key for it.");
    EXPECT_FALSE(doc->Flush());
    ExpectNothingWritten(folder, path, false);

    // An existing file is left as it was.
    const std::string before = "%PDF-1.3 an earlier file";
    folder.Write("out.pdf", std::vector<uint8_t>(before.begin(), before.end()));
    EXPECT_FALSE(doc->Save(path.c_str(), false, false));
    EXPECT_EQ(ReadText(path), before);
    ExpectNothingWritten(folder, path, true);

    // Without the entry the same document saves.
    doc->GetTrailer()->Remove(doc, CPDFTrailer::Key_Encrypt());
    EXPECT_TRUE(doc->Save(path.c_str(), false, false)) << doc->GetError().GetMessage();
    EXPECT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
    EXPECT_EQ(ReadText(path).find("/Encrypt"), std::string::npos);
    EXPECT_TRUE(CPDFEnv::Global().CloseDoc(doc));
  }
}

// At the parser's limit an object is written and read back; one level
// more, or 200,000 (written early or at the flush), fails the save.
TEST(SaveRefusalTest, ObjectsNestedBeyondWhatIsReadBackFailTheSave) {
  const struct {
    int32_t levels;
    bool released;  // written early, by ReleaseObj during the save
  } cases[] = {{CPDFObject::kMaxNesting, false},
               {CPDFObject::kMaxNesting + 1, false},
               {200000, false},
               {200000, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.levels);
    TempFolder folder;
    const std::string path = folder.File("deep.pdf");
    CPDFDoc* doc = NewDoc();
    CPDFObjRef ref;
    ASSERT_TRUE(doc->RegistObj(Nest(c.levels), &ref));
    ASSERT_TRUE(doc->GetPage(0)->TempDict::SetAt(CPDFName("Deep"), new CPDFObjRef(ref)));
    ASSERT_TRUE(doc->Save(path.c_str(), false, false));
    if (c.levels <= CPDFObject::kMaxNesting) {
      ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
      const CPDFXRefEntry* entry = doc->FindEntry(ref.GetNumber(), false);
      ASSERT_NE(entry, nullptr);
      std::unique_ptr<CPDFObject> back(doc->LoadObj(ref, entry->offset));
      ASSERT_NE(back, nullptr) << doc->GetError().GetMessage();
      EXPECT_EQ(periph::Written(back.get()), periph::Written(doc->GetObj(ref)));
    } else {
      if (c.released) {
        EXPECT_FALSE(doc->ReleaseObj(ref, true));
      }
      EXPECT_FALSE(doc->Flush());
      const std::string expected = "Object " + std::to_string(ref.GetNumber()) +
                                   " 0 nests arrays and dictionaries deeper than 512 levels.";
      EXPECT_STREQ(doc->GetError().GetMessage(), expected.c_str());
      EXPECT_STREQ(doc->GetError().GetMethodName(), "StoreObj");
      ExpectNothingWritten(folder, path, false);
    }
    // The document, the deep object still in it, closes.
    EXPECT_TRUE(CPDFEnv::Global().CloseDoc(doc));
  }
}

}  // namespace
