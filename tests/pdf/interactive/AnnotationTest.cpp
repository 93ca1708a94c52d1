// Annotations read from PDF text: which class the factory makes, which
// shared and subtype keys are typed and which stay as read, flags, copies,
// and what a failed load leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFAnnotTypes.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/interactive/CPDFAppearDict.h"
#include "pdf/interactive/CPDFDestination.h"
#include "pdf/interactive/CPDFMovieActiv.h"
#include "pdf/interactive/CPDFMovieDict.h"
#include "pdf/interactive/CPDFSound.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/contract/TypedContract.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Parse;
using periph::Register;
using periph::Written;

const std::string kCommon = "/Type /Annot /Rect [0 0 10 10]";
const std::string kForm =
    "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Length 3 >> stream\r\nq Q\r\nendstream";
const std::string kSound = "<< /Type /Sound /R 8000 /Length 2 >> stream\r\nab\r\nendstream";

using Expect = std::function<bool(CPDFObject*)>;

// The value is of class T.
template <class T>
Expect Is() {
  return [](CPDFObject* o) { return dynamic_cast<T*>(o) != nullptr; };
}

// Registers the parsed text in a real document; answers its number.
int32_t Put(CPDFObjRegistry& doc, const std::string& text) {
  std::unique_ptr<CPDFObject> object = Parse(text, &doc);
  CPDFObjRef ref;
  if (!object || !doc.RegistObj(object.get(), &ref)) return -1;
  object.release();
  return ref.GetNumber();
}

std::string Ref(int32_t number) { return std::to_string(number) + " 0 R"; }

// The text with "@1", "@2"... replaced by references to the numbers.
std::string Expand(std::string text, const std::vector<int32_t>& numbers) {
  for (size_t i = numbers.size(); i >= 1; --i) {
    const std::string mark = "@" + std::to_string(i);
    for (size_t at; (at = text.find(mark)) != std::string::npos;) {
      text.replace(at, mark.size(), Ref(numbers[i - 1]));
    }
  }
  return text;
}

std::unique_ptr<CPDFAnnotation> Create(CPDFObjRegistry* doc, CPDFObject* raw, int32_t mask = -1) {
  return std::unique_ptr<CPDFAnnotation>(
      CPDFAnnotation::CreateAnnotation(doc, dynamic_cast<CPDFDict*>(raw), mask));
}

TEST(AnnotationTest, TheFactoryPicksTheSubtypeByCheck) {
  TestRegistry doc;
  const std::vector<int32_t> objects = {Register(doc, "[0 0 1 1 2 2 3 3]"),
                                        Register(doc, kSound + "\r\nendobj"),
                                        Register(doc, "<< /Type /Filespec /F (a.txt) >>")};
  const struct {
    std::string entries;
    int32_t mask;
    const char* subtype;  // none: the factory answers none
    uint32_t bit;
  } cases[] = {
      {"/Subtype /Text /Rect [0 0 1 1]", -1, nullptr, 0},
      {kCommon + " /Subtype /Text", -1, "Text", 0x1},
      {kCommon + " /Subtype /Link", -1, "Link", 0x2},
      {kCommon + " /Subtype /Movie /Movie << /F (m.avi) >>", -1, "Movie", 0x4},
      {kCommon + " /Subtype /Movie /Movie (m.avi)", -1, nullptr, 0},
      {kCommon + " /Subtype /Sound /Sound @2", -1, "Sound", 0x8},
      {kCommon + " /Subtype /Sound", -1, nullptr, 0},
      {kCommon + " /Subtype /FreeText /DA (/Helv 9 Tf)", -1, "FreeText", 0x10},
      {kCommon + " /Subtype /FreeText", -1, nullptr, 0},
      {kCommon + " /Subtype /FreeText /DA /Helv", -1, nullptr, 0},
      {kCommon + " /Subtype /Stamp", -1, "Stamp", 0x20},
      {kCommon + " /Subtype /Line /L [0 0 9 9]", -1, "Line", 0x40},
      {kCommon + " /Subtype /Square", -1, "Square", 0x80},
      {kCommon + " /Subtype /Circle", -1, "Circle", 0x100},
      {kCommon + " /Subtype /StrikeOut /QuadPoints [0 0 1 1 2 2 3 3]", -1, "StrikeOut", 0x200},
      {kCommon + " /Subtype /Highlight /QuadPoints @1", -1, "Highlight", 0x400},
      {kCommon + " /Subtype /Underline /QuadPoints @1", -1, "Underline", 0x800},
      {kCommon + " /Subtype /Underline /QuadPoints 4", -1, nullptr, 0},
      {kCommon + " /Subtype /Ink /InkList [[0 0 1 1]]", -1, "Ink", 0x1000},
      {kCommon + " /Subtype /Ink", -1, nullptr, 0},
      {kCommon + " /Subtype /FileAttachment /FS @3", -1, "FileAttachment", 0x2000},
      {kCommon + " /Subtype /FileAttachment /FS (a.txt)", -1, "FileAttachment", 0x2000},
      {kCommon + " /Subtype /FileAttachment /FS 3", -1, nullptr, 0},
      {kCommon + " /Subtype /Popup", -1, "Popup", 0x4000},
      // A widget is left to the field factory.
      {kCommon + " /Subtype /Widget /FT /Btn", -1, "Widget", 0x10000},
      {kCommon + " /Subtype /Widget /FT /Xx", -1, nullptr, 0},
      {kCommon + " /Subtype /Bogus", -1, nullptr, 0},
      // The shared Check: Type, a Rect array of any length, a number Page.
      {"/Type /Annot /Subtype /Square", -1, nullptr, 0},
      {"/Type /Annot /Subtype /Square /Rect 5", -1, nullptr, 0},
      {"/Type /Annot /Subtype /Square /Rect [0 0 1]", -1, "Square", 0x80},
      {"/Type /Annots /Subtype /Square /Rect [0 0 1 1]", -1, nullptr, 0},
      {kCommon + " /Subtype /Square /Page 2", -1, "Square", 0x80},
      {kCommon + " /Subtype /Square /Page (2)", -1, nullptr, 0},
      // The mask selects members; a mask that leaves the subtype out falls
      // through to the field factory.
      {kCommon + " /Subtype /Square", 0x80, "Square", 0x80},
      {kCommon + " /Subtype /Square", 0x7F, nullptr, 0},
      {kCommon + " /Subtype /Square", 0, nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entries + " mask " + std::to_string(c.mask));
    auto raw = Parse("<< " + Expand(c.entries, objects) + " >>", &doc);
    ASSERT_TRUE(raw);
    const std::string before = Written(raw.get());
    auto annot = Create(&doc, raw.get(), c.mask);
    if (!c.subtype) {
      EXPECT_EQ(annot, nullptr);
      EXPECT_EQ(Written(raw.get()), before);
      continue;
    }
    ASSERT_NE(annot, nullptr);
    EXPECT_STREQ(annot->GetSubtypeName(), c.subtype);
    EXPECT_EQ(annot->GetSubtypeBit(), c.bit);
    EXPECT_EQ(annot->GetStructKind(), CPDFDocStruct::kAnnotation);
    EXPECT_EQ(annot->GetDoc(), &doc);
    // Annotations are never copied with their container, released early
    // or linearised.
    EXPECT_FALSE(annot->IsShared());
    EXPECT_FALSE(annot->IsReleasable());
    EXPECT_FALSE(annot->IsLinearizable());
    EXPECT_FALSE(annot->IsLoaded());
    // The typed annotation writes what was read.
    EXPECT_EQ(Written(annot.get()), before);
  }
}

TEST(AnnotationTest, PageIsRequiredInAnFDFDocumentOnly) {
  CPDFDoc fdf;
  ASSERT_TRUE(fdf.Create(true, false, 1, 3));
  TestDoc pdf;
  const std::string without = "<< " + kCommon + " /Subtype /Square >>";
  const std::string with = "<< " + kCommon + " /Subtype /Square /Page 0 >>";

  auto raw = Parse(without, &fdf);
  EXPECT_FALSE(CPDFSquareAnnot::Check(&fdf, dynamic_cast<CPDFDict*>(raw.get())));
  EXPECT_EQ(Create(&fdf, raw.get()), nullptr);
  // Load itself fails on it too, and gives the entries back.
  CPDFSquareAnnot direct;
  EXPECT_FALSE(direct.Load(&fdf, dynamic_cast<CPDFDict*>(raw.get())));
  EXPECT_EQ(Written(raw.get()), Written(Parse(without, &fdf).get()));

  raw = Parse(with, &fdf);
  auto annot = Create(&fdf, raw.get());
  ASSERT_NE(annot, nullptr);
  EXPECT_NE(dynamic_cast<CPDFInt*>(annot->Get_Page()), nullptr);

  raw = Parse(without, &pdf);
  annot = Create(&pdf, raw.get());
  ASSERT_NE(annot, nullptr);
  EXPECT_EQ(annot->Get_Page(), nullptr);
  EXPECT_FALSE(annot->HasKey(CPDFAnnotation::Key_Page()));
}

// Each shared key: typed when it was read with the right type and passes
// the target's Check, else left as read. The annotation writes what was
// read either way.
TEST(AnnotationTest, SharedKeysAreTypedOnlyWhenTheyQualify) {
  TestRegistry doc;
  const std::vector<int32_t> objects = {Register(doc, kForm + "\r\nendobj")};
  auto raw = [](int32_t type) {
    return Expect([type](CPDFObject* o) {
      return o && o->GetType() == type && dynamic_cast<CPDFStructBase*>(o) == nullptr;
    });
  };
  const struct {
    std::string entries;
    const char* key;
    Expect expect;
  } cases[] = {
      {"/Rect [0 0 1 1]", "Rect", Is<CPDFRect>()},
      {"/Rect [0 0 1]", "Rect", raw(CPDFObject::kArray)},
      {"/Rect [0 0 (a) 9]", "Rect", raw(CPDFObject::kArray)},
      {"/T (author)", "T", Is<CPDFText>()},
      {"/T 5", "T", raw(CPDFObject::kNumber)},
      {"/M (D:20200102)", "M", Is<CPDFDate>()},
      {"/M (20200102)", "M", raw(CPDFObject::kString)},
      {"/F 4", "F", Is<CPDFInt>()},
      {"/F /Print", "F", raw(CPDFObject::kName)},
      {"/BS << /W 1 >>", "BS", Is<CPDFBorderStyle>()},
      {"/BS << /Type /Border /W 1 >>", "BS", Is<CPDFBorderStyle>()},
      {"/BS << /Type /Annot >>", "BS", raw(CPDFObject::kDictionary)},
      {"/AA << /E << /S /URI /URI (x) >> >>", "AA", Is<CPDFAddActDict>()},
      {"/AA << >>", "AA", Is<CPDFAddActDict>()},
      {"/AA [1]", "AA", raw(CPDFObject::kArray)},
      {"/AP << /N @1 >>", "AP", Is<CPDFAppearDict>()},
      {"/AP << /N << /On @1 /Off @1 >> >>", "AP", Is<CPDFAppearDict>()},
      {"/AP << /D @1 >>", "AP", raw(CPDFObject::kDictionary)},
      {"/AP << /N /On >>", "AP", raw(CPDFObject::kDictionary)},
      {"/Contents (note)", "Contents", Is<CPDFText>()},
      {"/Page 3", "Page", Is<CPDFInt>()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entries);
    auto source =
        Parse("<< " + kCommon + " /Subtype /Square " + Expand(c.entries, objects) + " >>", &doc);
    const std::string before = Written(source.get());
    auto annot = Create(&doc, source.get());
    ASSERT_NE(annot, nullptr);
    EXPECT_TRUE(c.expect(annot->Get(&doc, CPDFName(c.key))));
    EXPECT_EQ(Written(annot.get()), before);
  }
}

TEST(AnnotationTest, TypedGettersAnswerNoneForRawValues) {
  TestRegistry doc;
  auto source = Parse("<< " + kCommon +
                          " /Subtype /Square /BS << /Type /X >> /AP << /N 1 >> "
                          "/M (yesterday) >>",
                      &doc);
  auto annot = Create(&doc, source.get());
  ASSERT_NE(annot, nullptr);
  EXPECT_EQ(annot->Get_BS(), nullptr);
  EXPECT_EQ(annot->Get_AP(), nullptr);
  EXPECT_EQ(annot->Get_M(), nullptr);
  EXPECT_NE(annot->Get_Rect(), nullptr);
  // Setters given none change nothing.
  EXPECT_FALSE(annot->Set_BS(nullptr));
  EXPECT_NE(annot->Get(&doc, CPDFAnnotation::Key_BS()), nullptr);
}

// The typed appearance and border style hold the very objects that were
// read, in the same direct or indirect form.
TEST(AnnotationTest, AppearanceAndBorderStyleHoldTheObjectsRead) {
  TestRegistry doc;
  const int32_t form = Register(doc, kForm + "\r\nendobj");
  auto source = Parse("<< " + kCommon + " /Subtype /Square /AP << /N " + Ref(form) + " /D << /On " +
                          Ref(form) + " >> >> /BS << /W 2 /D [3 1] >> >>",
                      &doc);
  auto* dict = dynamic_cast<CPDFDict*>(source.get());
  auto* rawAP = dynamic_cast<CPDFDict*>(dict->Get(&doc, CPDFAnnotation::Key_AP()));
  auto* rawBS = dynamic_cast<CPDFDict*>(dict->Get(&doc, CPDFAnnotation::Key_BS()));
  ASSERT_TRUE(rawAP && rawBS);
  CPDFObject* down = rawAP->Get(&doc, CPDFName("D"));
  CPDFObject* dash = rawBS->Get(&doc, CPDFName("D"));
  auto annot = Create(&doc, source.get());
  ASSERT_NE(annot, nullptr);
  CPDFAppearDict* ap = annot->Get_AP();
  CPDFBorderStyle* bs = annot->Get_BS();
  ASSERT_TRUE(ap && bs);
  CPDFObjRef ref;
  EXPECT_EQ(ap->Get(&doc, CPDFAppearDict::Key_N(), &ref), doc.GetObj(CPDFObjRef(form, 0)));
  EXPECT_EQ(ref, CPDFObjRef(form, 0));
  EXPECT_EQ(ap->Get(&doc, CPDFName("D")), down);
  EXPECT_EQ(bs->Get(&doc, CPDFName("D")), dash);
  EXPECT_EQ(ap->GetDoc(), &doc);
  // Unlike the annotation, they keep a plain object's flags.
  for (CPDFObject* o : {static_cast<CPDFObject*>(ap), static_cast<CPDFObject*>(bs)}) {
    EXPECT_TRUE(o->IsShared() && o->IsReleasable() && o->IsLinearizable());
  }
  EXPECT_TRUE(CPDFAppearDict().IsShared());
  EXPECT_TRUE(CPDFBorderStyle().IsReleasable());
}

// Values reached through references are typed under their own numbers;
// direct values stay direct.
TEST(AnnotationTest, IndirectValuesKeepTheirNumbers) {
  TestRegistry doc;
  const int32_t t = Register(doc, "(author)");
  const int32_t contents = Register(doc, "(note)");
  const int32_t f = Register(doc, "4");
  const int32_t page = Register(doc, "1");
  auto source =
      Parse("<< " + kCommon + " /Subtype /Text /T " + Ref(t) + " /Contents " + Ref(contents) +
                " /F " + Ref(f) + " /Page " + Ref(page) + " /M (D:2020) >>",
            &doc);
  const std::string before = Written(source.get());
  auto annot = Create(&doc, source.get());
  ASSERT_NE(annot, nullptr);
  const struct {
    CPDFObject* (CPDFAnnotation::*get)(CPDFObjRef*);
    int32_t number;
    bool text;
  } keys[] = {{&CPDFAnnotation::Get_T, t, true},
              {&CPDFAnnotation::Get_Contents, contents, true},
              {&CPDFAnnotation::Get_F, f, false},
              {&CPDFAnnotation::Get_Page, page, false}};
  for (const auto& k : keys) {
    CPDFObjRef ref;
    CPDFObject* value = (annot.get()->*k.get)(&ref);
    EXPECT_EQ(ref, CPDFObjRef(k.number, 0));
    EXPECT_EQ(value, doc.GetObj(ref));
    if (k.text) {
      EXPECT_NE(dynamic_cast<CPDFText*>(value), nullptr);
    } else {
      EXPECT_NE(dynamic_cast<CPDFInt*>(value), nullptr);
    }
  }
  CPDFObjRef direct;
  EXPECT_NE(annot->Get_M(&direct), nullptr);
  EXPECT_FALSE(direct.IsDefined());
  EXPECT_EQ(Written(annot.get()), before);
}

TEST(AnnotationTest, ValuesMadeInMemoryAreNotConverted) {
  TestRegistry doc;
  CPDFDict source;
  ASSERT_TRUE(source.Set(&doc, CPDFAnnotation::Key_Type(), new CPDFName("Annot"), false, nullptr));
  ASSERT_TRUE(
      source.Set(&doc, CPDFAnnotation::Key_Subtype(), new CPDFName("Square"), false, nullptr));
  auto* rect = new CPDFArray;
  for (int i = 0; i < 4; ++i) rect->Push_Back(&doc, new CPDFNumber(i), false, nullptr);
  ASSERT_TRUE(source.Set(&doc, CPDFAnnotation::Key_Rect(), rect, false, nullptr));
  ASSERT_TRUE(source.Set(&doc, CPDFAnnotation::Key_M(), new CPDFString("D:2020"), false, nullptr));
  ASSERT_TRUE(source.Set(&doc, CPDFAnnotation::Key_BS(), new CPDFDict, false, nullptr));
  ASSERT_TRUE(CPDFSquareAnnot::Check(&doc, &source));
  CPDFSquareAnnot annot;
  ASSERT_TRUE(annot.Load(&doc, &source));
  EXPECT_EQ(annot.Get_Rect(), nullptr);
  EXPECT_EQ(annot.Get_M(), nullptr);
  EXPECT_EQ(annot.Get_BS(), nullptr);
  EXPECT_EQ(annot.Get(&doc, CPDFAnnotation::Key_Rect()), rect);
}

TEST(AnnotationTest, SubtypeKeysAreTypedOrLeftAsRead) {
  TestRegistry doc;
  const int32_t sound = Register(doc, kSound + "\r\nendobj");
  const int32_t mute =
      Register(doc, "<< /Type /Sound /Length 2 >> stream\r\nab\r\nendstream\r\nendobj");
  const int32_t spec = Register(doc, "<< /Type /Filespec /F (a.txt) >>");

  auto link = [&](const std::string& entries) {
    auto source = Parse("<< " + kCommon + " /Subtype /Link " + entries + " >>", &doc);
    const std::string before = Written(source.get());
    auto made = Create(&doc, source.get());
    auto* typed = dynamic_cast<CPDFLinkAnnot*>(made.get());
    if (typed) made.release();
    EXPECT_NE(typed, nullptr) << entries;
    if (typed) {
      EXPECT_EQ(Written(typed), before) << entries;
    }
    return std::unique_ptr<CPDFLinkAnnot>(typed);
  };
  auto l = link("/Dest /Chapter1");
  ASSERT_TRUE(l);
  EXPECT_NE(dynamic_cast<CPDFName*>(l->Get_Dest()), nullptr);
  l = link("/Dest [0 /Fit] /A << /S /URI /URI (https://example.org/) >>");
  ASSERT_TRUE(l);
  EXPECT_NE(dynamic_cast<CPDFDestination*>(l->Get_Dest()), nullptr);
  EXPECT_NE(l->Get_A(), nullptr);
  // An action the factory does not know stays with all its entries.
  l = link("/A << /S /Bogus /X 1 /Y (y) >> /PA << /S /URI /URI (u) >>");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->Get_A(), nullptr);
  EXPECT_EQ(Written(l->Get(&doc, CPDFLinkAnnot::Key_A())), "<<\r\n/S /Bogus\n/X 1\n/Y (y)\n>>");
  EXPECT_NE(l->Get_PA(), nullptr);

  auto source = Parse("<< " + kCommon + " /Subtype /Sound /Sound " + Ref(sound) + " >>", &doc);
  auto annot = Create(&doc, source.get());
  auto* s = dynamic_cast<CPDFSoundAnnot*>(annot.get());
  ASSERT_NE(s, nullptr);
  EXPECT_NE(s->Get_Sound(), nullptr);
  // A stream that the sound's Check refuses stays raw; the annotation loads.
  source = Parse("<< " + kCommon + " /Subtype /Sound /Sound " + Ref(mute) + " >>", &doc);
  annot = Create(&doc, source.get());
  s = dynamic_cast<CPDFSoundAnnot*>(annot.get());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Get_Sound(), nullptr);
  EXPECT_NE(s->Get(&doc, CPDFSoundAnnot::Key_Sound()), nullptr);

  source = Parse("<< " + kCommon + " /Subtype /FileAttachment /FS " + Ref(spec) + " >>", &doc);
  annot = Create(&doc, source.get());
  auto* fa = dynamic_cast<CPDFFileAttachAnnot*>(annot.get());
  ASSERT_NE(fa, nullptr);
  EXPECT_NE(dynamic_cast<CPDFFileSpec*>(fa->Get_FS()), nullptr);
  source = Parse("<< " + kCommon + " /Subtype /FileAttachment /FS (a.txt) >>", &doc);
  annot = Create(&doc, source.get());
  fa = dynamic_cast<CPDFFileAttachAnnot*>(annot.get());
  ASSERT_NE(fa, nullptr);
  EXPECT_NE(dynamic_cast<CPDFString*>(fa->Get_FS()), nullptr);

  source =
      Parse("<< " + kCommon + " /Subtype /Movie /Movie << /F (m.avi) >> /A << /Rate 2 >> >>", &doc);
  annot = Create(&doc, source.get());
  auto* m = dynamic_cast<CPDFMovieAnnot*>(annot.get());
  ASSERT_NE(m, nullptr);
  EXPECT_NE(m->Get_Movie(), nullptr);
  EXPECT_NE(dynamic_cast<CPDFMovieActiv*>(m->Get_A()), nullptr);
  source = Parse("<< " + kCommon + " /Subtype /Movie /Movie << /F 3 >> /A true >>", &doc);
  annot = Create(&doc, source.get());
  m = dynamic_cast<CPDFMovieAnnot*>(annot.get());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Get_Movie(), nullptr);
  EXPECT_NE(dynamic_cast<CPDFBool*>(m->Get_A()), nullptr);
}

// A member whose Check passes but whose load fails: the factory answers
// none (no field is tried) and the source writes what it wrote before,
// indirect values included.
TEST(AnnotationTest, AFailedLoadGivesEverythingBack) {
  const struct {
    std::string subtype;
    std::string indirect;  // the convertible value, registered
    std::string key;
  } cases[] = {
      {"/Subtype /Square", "(author)", "/T"},
      {"/Subtype /Square", "<< /W 1 >>", "/BS"},
      {"/Subtype /Square", "<< /O << /S /URI /URI (x) >> >>", "/AA"},
      {"/Subtype /Popup", "[0 0 5 5]", "/Rect"},
      {"/Subtype /Link", "<< /S /URI /URI (x) >>", "/A"},
      {"/Subtype /Link", "[0 /Fit]", "/Dest"},
      {"/Subtype /Movie", "<< /F (m.avi) >>", "/Movie"},
      {"/Subtype /Sound", kSound + "\r\nendobj", "/Sound"},
      {"/Subtype /FileAttachment", "<< /Type /Filespec /F (a) >>", "/FS"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subtype + " " + c.key);
    TestRegistry doc;
    const int32_t n = Register(doc, c.indirect);
    ASSERT_GT(n, 0);
    std::string rect = c.key == "/Rect" ? "" : " /Rect [0 0 1 1]";
    auto source = Parse(
        "<< /Type /Annot " + c.subtype + rect + " /Contents (c) " + c.key + " " + Ref(n) + " >>",
        &doc);
    const std::string before = contract::DeepText(source.get(), &doc);
    doc.failRegist = true;
    EXPECT_EQ(Create(&doc, source.get()), nullptr);
    doc.failRegist = false;
    EXPECT_EQ(contract::DeepText(source.get(), &doc), before);
    EXPECT_EQ(dynamic_cast<CPDFStructBase*>(doc.GetObj(CPDFObjRef(n, 0))), nullptr);
  }
}

TEST(AnnotationTest, ClonesKeepTheirClassAndCopyDeeply) {
  TestDoc doc;
  const int32_t form = Put(doc, kForm + "\r\nendobj");
  auto source = Parse("<< " + kCommon + " /Subtype /FreeText /DA (/Helv 9 Tf) /AP << /N " +
                          Ref(form) + " >> /BS << /W 1 >> /M (D:2020) >>",
                      &doc);
  auto annot = Create(&doc, source.get());
  ASSERT_NE(annot, nullptr);
  const std::string deep = contract::DeepText(annot.get(), &doc);

  TestDoc other;
  std::unique_ptr<CPDFObject> copy(annot->Clone(&other, &doc));
  auto* freeText = dynamic_cast<CPDFFreeTextAnnot*>(copy.get());
  ASSERT_NE(freeText, nullptr);
  EXPECT_EQ(freeText->GetSubtypeBit(), 0x10u);
  EXPECT_STREQ(freeText->GetSubtypeName(), "FreeText");
  EXPECT_EQ(freeText->GetDoc(), &other);
  EXPECT_FALSE(freeText->IsShared());
  EXPECT_NE(freeText->Get_AP(), nullptr);
  EXPECT_NE(freeText->Get_AP(), annot->Get_AP());
  EXPECT_EQ(contract::DeepText(copy.get(), &other), deep);

  // Duplicate keeps a key the destination already holds.
  CPDFFreeTextAnnot dest;
  ASSERT_TRUE(dest.Set(&other, CPDFName("DA"), new CPDFString("mine"), false, nullptr));
  ASSERT_TRUE(annot->Duplicate(&dest, &other, &doc));
  EXPECT_EQ(Written(dest.Get(&other, CPDFName("DA"))), "(mine)");
  EXPECT_NE(dest.Get_AP(), nullptr);
}

// A page's copy leaves its annotations out (their copy flag is clear); the
// page keeps its own.
TEST(AnnotationTest, APageCopySkipsItsAnnotations) {
  TestDoc doc;
  auto source = Parse("<< /Type /Page /Annots [<< " + kCommon + " /Subtype /Square >> << " +
                          kCommon + " /Subtype /Widget >>] >>",
                      &doc);
  auto page = periph::LoadAs<CPDFPage, CPDFDict>(&doc, source.get());
  ASSERT_TRUE(page);
  CPDFArray* annots = page->Get_Annots();
  ASSERT_NE(annots, nullptr);
  EXPECT_NE(dynamic_cast<CPDFSquareAnnot*>(annots->Get(&doc, 0)), nullptr);
  TestDoc other;
  std::unique_ptr<CPDFObject> copy(page->Clone(&other, &doc));
  auto* copied = dynamic_cast<CPDFPage*>(copy.get());
  ASSERT_NE(copied, nullptr);
  ASSERT_NE(copied->Get_Annots(), nullptr);
  ASSERT_EQ(copied->Get_Annots()->GetCount(), 1);
  EXPECT_EQ(Written(copied->Get_Annots()->Get(&other, 0)),
            "<<\r\n/Rect [0 0 10 10]\n/Subtype /Widget\n/Type /Annot\n>>");
}

}  // namespace
