// The interactive form Create builds for a document that has none: the
// objects it registers and their bytes, the PDFDocEncoding Differences
// array, the encoding registered twice under one number, failing stores,
// and the form read back from a saved file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/interactive/CPDFAcroFormDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

using periph::Written;

// The Differences array as written: PDFDocEncoding's names over the
// standard encoding, one start code before each run of codes.
const std::string kDifferences =
    "[24 /breve /caron /circumflex /dotaccent /hungarumlaut /ogonek /ring /tilde 39 "
    "/quotesingle 96 /grave 128 /bullet /dagger /daggerdbl /ellipsis /emdash /endash /florin "
    "/fraction /guilsinglleft /guilsinglright /minus /perthousand /quotedblbase /quotedblleft "
    "/quotedblright /quoteleft /quoteright /quotesinglbase /trademark /fi /fl /Lslash /OE "
    "/Scaron /Ydieresis /Zcaron /dotlessi /lslash /oe /scaron /zcaron 160 /Euro 164 /currency "
    "166 /brokenbar 168 /dieresis /copyright /ordfeminine 172 /logicalnot /.notdef "
    "/registered /macron /degree /plusminus /twosuperior /threesuperior /acute /mu 183 "
    "/periodcentered /cedilla /onesuperior /ordmasculine 188 /onequarter /onehalf "
    "/threequarters 192 /Agrave /Aacute /Acircumflex /Atilde /Adieresis /Aring /AE /Ccedilla "
    "/Egrave /Eacute /Ecircumflex /Edieresis /Igrave /Iacute /Icircumflex /Idieresis /Eth "
    "/Ntilde /Ograve /Oacute /Ocircumflex /Otilde /Odieresis /multiply /Oslash /Ugrave "
    "/Uacute /Ucircumflex /Udieresis /Yacute /Thorn /germandbls /agrave /aacute /acircumflex "
    "/atilde /adieresis /aring /ae /ccedilla /egrave /eacute /ecircumflex /edieresis /igrave "
    "/iacute /icircumflex /idieresis /eth /ntilde /ograve /oacute /ocircumflex /otilde "
    "/odieresis /divide /oslash /ugrave /uacute /ucircumflex /udieresis /yacute /thorn "
    "/ydieresis]";

const std::string kEncoding = "<<\r\n/Differences " + kDifferences + "\n/Type /Encoding\n>>";

CPDFObject* Obj(CPDFDoc& doc, int32_t number) { return doc.GetObj(CPDFObjRef(number, 0)); }

// A document that records every registration: the object and the number
// it went under.
class RecordingDoc : public TestDoc {
 public:
  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override {
    if (!TestDoc::RegistObj(object, ref)) return false;
    stores.push_back({object, ref->GetNumber()});
    return true;
  }
  struct Store {
    CPDFObject* object;
    int32_t number;
  };
  std::vector<Store> stores;
};

// A registry whose n-th store (counting from 1) fails, or throws as an
// allocation that fails.
class FailingRegistry : public TestRegistry {
 public:
  FailingRegistry(int failAt, bool throws) : failAt_(failAt), throws_(throws) {}
  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override {
    if (++stores_ == failAt_) {
      if (throws_) throw std::bad_alloc();
      return false;
    }
    return TestRegistry::RegistObj(object, ref);
  }
  int stores() const { return stores_; }

 private:
  int failAt_, stores_ = 0;
  bool throws_;
};

TEST(AcroFormDictTest, CreateRegistersTheDefaultResourcesInTheOrderOfItsSteps) {
  TestDoc doc;
  auto form = std::make_unique<CPDFAcroFormDict>();
  ASSERT_TRUE(form->Create(&doc, new CPDFArray));

  EXPECT_EQ(Written(form.get()), "<<\r\n/DA (/Helv 0 Tf 0 g)\n/DR 3 0 R\n/Fields []\n>>");
  EXPECT_EQ(Written(Obj(doc, 3)), "<<\r\n/Encoding 4 0 R\n/Font 6 0 R\n>>");
  EXPECT_EQ(Written(Obj(doc, 4)), "<<\r\n/PDFDocEncoding 5 0 R\n>>");
  EXPECT_EQ(kDifferences.size(), 1273u);
  EXPECT_EQ(kEncoding.size(), 1309u);
  EXPECT_EQ(Written(Obj(doc, 5)), kEncoding);
  EXPECT_EQ(Written(Obj(doc, 6)), "<<\r\n/Helv 7 0 R\n>>");
  EXPECT_EQ(Written(Obj(doc, 7)),
            "<<\r\n/BaseFont /Helvetica\n/Encoding 5 0 R\n/Subtype /Type1\n/Type /Font\n>>");
  EXPECT_EQ(Obj(doc, 8), nullptr);

  // The objects keep their classes; the DR getter answers the typed one.
  CPDFObjRef ref;
  EXPECT_EQ(form->Get_DR(&ref), Obj(doc, 3));
  EXPECT_EQ(ref.GetNumber(), 3);
  EXPECT_NE(dynamic_cast<CPDFResDict*>(Obj(doc, 3)), nullptr);
  EXPECT_NE(dynamic_cast<CPDFEncoding*>(Obj(doc, 5)), nullptr);
  EXPECT_NE(dynamic_cast<CPDFType1Font*>(Obj(doc, 7)), nullptr);

  // A DR that is a plain dictionary is not a resource dictionary.
  ASSERT_TRUE(form->Set(&doc, CPDFName("DR"), std::make_unique<CPDFDict>()));
  EXPECT_EQ(form->Get_DR(), nullptr);
}

TEST(AcroFormDictTest, DifferencesMapEachCodeOfThePDFDocEncodingTable) {
  TestRegistry doc;
  CPDFAcroFormDict form;
  form.SetDoc(&doc);
  std::unique_ptr<CPDFEncoding> encoding(form.CreatePDFDocEncoding());
  ASSERT_NE(encoding, nullptr);
  EXPECT_EQ(encoding->GetDoc(), &doc);
  EXPECT_EQ(Written(encoding.get()), kEncoding);
  EXPECT_TRUE(doc.objects.empty());

  CPDFArray* differences = encoding->Get_Differences();
  ASSERT_NE(differences, nullptr);
  ASSERT_EQ(differences->GetCount(), 140);
  std::vector<int32_t> starts;
  std::map<int32_t, std::string> names;
  int32_t code = -1;
  for (int32_t i = 0; i < differences->GetCount(); ++i) {
    CPDFObject* element = differences->Get(&doc, i);
    if (auto* number = dynamic_cast<CPDFInt*>(element)) {
      EXPECT_EQ(number->GetType(), CPDFObject::kInteger);
      code = number->GetInt();
      starts.push_back(code);
    } else {
      auto* name = dynamic_cast<CPDFName*>(element);
      ASSERT_NE(name, nullptr) << "element " << i;
      ASSERT_GE(code, 0) << "a name before the first code";
      EXPECT_TRUE(names.emplace(code++, name->c_str()).second);
    }
  }
  EXPECT_EQ(starts,
            (std::vector<int32_t>{24, 39, 96, 128, 160, 164, 166, 168, 172, 183, 188, 192}));
  EXPECT_EQ(names.size(), 128u);
  EXPECT_EQ(names[173], ".notdef");
  EXPECT_EQ(names[160], "Euro");
  EXPECT_EQ(names[39], "quotesingle");
  EXPECT_EQ(names[96], "grave");
  EXPECT_EQ(names[128], "bullet");
  EXPECT_EQ(names[158], "zcaron");
  EXPECT_EQ(names[255], "ydieresis");
  for (int32_t unnamed : {159, 161, 162, 163, 165, 167, 171, 182, 187, 191}) {
    EXPECT_EQ(names.count(unnamed), 0u) << unnamed;
  }
}

// The font's Encoding is stored by registering the encoding again under
// its own number: the document must keep that very object, not free it.
TEST(AcroFormDictTest, TheEncodingRegisteredAgainUnderItsOwnNumberStaysIntact) {
  RecordingDoc doc;
  CPDFAcroFormDict form;
  ASSERT_TRUE(form.Create(&doc, new CPDFArray));

  std::vector<int32_t> numbers;
  for (const auto& store : doc.stores) numbers.push_back(store.number);
  EXPECT_EQ(numbers, (std::vector<int32_t>{3, 4, 5, 6, 7, 5}));
  ASSERT_EQ(doc.stores.size(), 6u);
  CPDFObject* encoding = doc.stores[2].object;
  EXPECT_EQ(doc.stores[5].object, encoding);
  EXPECT_EQ(Obj(doc, 5), encoding);
  EXPECT_EQ(Written(Obj(doc, 5)), kEncoding);

  auto* font = dynamic_cast<CPDFType1Font*>(Obj(doc, 7));
  ASSERT_NE(font, nullptr);
  CPDFObjRef ref;
  EXPECT_EQ(font->Get_Encoding(&ref), encoding);
  EXPECT_EQ(ref.GetNumber(), 5);
}

// Each of the six stores fails in turn, by answering false or by throwing:
// Create answers false and lets nothing out, what was registered before
// stays with the registry, and nothing leaks (the sanitizer build checks).
TEST(AcroFormDictTest, AFailingStoreFailsCreateWithoutLeaksOrDoubleFrees) {
  for (bool throws : {false, true}) {
    for (int failAt = 1; failAt <= 6; ++failAt) {
      SCOPED_TRACE(std::string(throws ? "throws" : "fails") + " at store " +
                   std::to_string(failAt));
      FailingRegistry doc(failAt, throws);
      auto form = std::make_unique<CPDFAcroFormDict>();
      EXPECT_FALSE(form->Create(&doc, new CPDFArray));
      EXPECT_EQ(doc.stores(), failAt);
      EXPECT_EQ(doc.objects.size(), static_cast<size_t>(std::min(failAt - 1, 5)));
      EXPECT_FALSE(form->HasKey(CPDFAcroFormDict::Key_DA()));
      // The form took the array before the first store.
      EXPECT_TRUE(form->HasKey(CPDFAcroFormDict::Key_Fields()));
      if (failAt == 6) {
        // The font's Encoding could not be stored; the encoding the
        // registry holds is whole.
        EXPECT_EQ(Written(doc.objects.at(3)), kEncoding);
        EXPECT_EQ(Written(doc.objects.at(5)),
                  "<<\r\n/BaseFont /Helvetica\n/Subtype /Type1\n/Type /Font\n>>");
      }
    }
  }
  TestRegistry refusing;
  refusing.failRegist = true;
  CPDFAcroFormDict form;
  EXPECT_FALSE(form.Create(&refusing, new CPDFArray));
  EXPECT_TRUE(refusing.objects.empty());
  // No array to take: nothing is stored at all.
  TestDoc doc;
  CPDFAcroFormDict empty;
  EXPECT_FALSE(empty.Create(&doc, nullptr));
  EXPECT_EQ(Obj(doc, 3), nullptr);
}

// A saved form is read back from the file as a plain dictionary (a form
// read from a file is never typed), and the file holds together.
TEST(AcroFormDictTest, AFormReadBackFromTheSavedFileIsAPlainDictionary) {
  TempFolder folder;
  const std::string path = folder.File("form.pdf");
  TestDoc doc;
  CPDFObjRef catalogRef;
  CPDFCatalog* catalog = doc.GetCatalog(&catalogRef);
  ASSERT_NE(catalog, nullptr);
  auto form = std::make_unique<CPDFAcroFormDict>();
  ASSERT_TRUE(form->Create(&doc, new CPDFArray));
  const std::string written = Written(form.get());
  CPDFObjRef formRef;
  ASSERT_TRUE(catalog->Set_AcroForm(form.get(), true, &formRef));
  form.release();
  EXPECT_EQ(formRef.GetNumber(), 8);

  ASSERT_TRUE(doc.Save(path.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.ReleaseObj(formRef, true));
  ASSERT_TRUE(doc.Flush()) << doc.GetError().GetMessage();

  CPDFObject* read = doc.GetObj(formRef);
  ASSERT_NE(read, nullptr) << doc.GetError().GetMessage();
  EXPECT_NE(dynamic_cast<CPDFDict*>(read), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFAcroFormDict*>(read), nullptr);
  ASSERT_NE(doc.GetCatalog(), nullptr);
  EXPECT_EQ(doc.GetCatalog()->Get_AcroForm(), nullptr);
  EXPECT_EQ(Written(read), written);

  std::string report;
  if (system("qpdf --version > /dev/null 2>&1") != 0)
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

}  // namespace
