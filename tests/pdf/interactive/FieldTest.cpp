// Form fields read from PDF text: which kind the factory makes, what the
// value readers type (in the widget and in place in its ancestors), full
// names and inherited values, and /Parent chains that loop or run deep.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/interactive/CPDFSigDict.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

using periph::Written;

// A widget dictionary with the given entries besides Type, Subtype, Rect.
std::string Widget(const std::string& entries) {
  return "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] " + entries + " >>";
}

// Registers the texts in order; a TestRegistry numbers them 1, 2, ...
void RegisterAll(TestRegistry& doc, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) ASSERT_GT(periph::Register(doc, text), 0) << text;
}

std::unique_ptr<CPDFField> Make(TestRegistry& doc, CPDFObject* raw, int32_t mask = -1) {
  return std::unique_ptr<CPDFField>(
      CPDFField::CreateField(&doc, dynamic_cast<CPDFDict*>(raw), mask));
}

int32_t TypeOf(CPDFObject* object) { return object ? object->GetType() : -1; }

// The chain P1 -> P2 -> ... -> Pn (numbers 1..n), the last one holding FT.
std::vector<std::string> Chain(int n, const std::string& rootEntries) {
  std::vector<std::string> texts;
  for (int i = 1; i < n; ++i) texts.push_back("<< /Parent " + std::to_string(i + 1) + " 0 R >>");
  texts.push_back("<< " + rootEntries + " >>");
  return texts;
}

TEST(FieldTest, TheFactoryMakesTheKindOfTheNearestFieldType) {
  const struct {
    std::string name;
    std::vector<std::string> objects;  // registered as 1, 2, ...
    std::string widget;
    int32_t mask;
    const char* kind;  // none: the factory answers none and the widget is untouched
  } cases[] = {
      {"button", {}, Widget("/FT /Btn"), -1, "Button"},
      {"button with mask 1", {}, Widget("/FT /Btn"), 1, "Button"},
      {"button with mask 4", {}, Widget("/FT /Btn"), 4, nullptr},
      {"text", {}, Widget("/FT /Tx"), -1, "Text"},
      {"signature", {}, Widget("/FT /Sig"), -1, "Signature"},
      {"choice", {}, Widget("/FT /Ch /Opt [(a)]"), -1, "Choice"},
      {"no Type Annot", {}, "<< /Subtype /Widget /Rect [0 0 1 1] /FT /Tx >>", -1, nullptr},
      {"not a widget",
       {},
       "<< /Type /Annot /Subtype /Bogus /Rect [0 0 1 1] /FT /Tx >>",
       -1,
       nullptr},
      {"unknown kind", {}, Widget("/FT /Xx"), -1, nullptr},
      {"no FT anywhere", {"<< /T (a) >>"}, Widget("/Parent 1 0 R"), -1, nullptr},
      {"inherited FT", {"<< /FT /Btn >>"}, Widget("/Parent 1 0 R"), -1, "Button"},
      {"FT as a string", {"<< /FT /Btn >>"}, Widget("/FT (Btn) /Parent 1 0 R"), -1, nullptr},
      {"nearest FT decides",
       {"<< /FT /Tx /Opt [] >>"},
       Widget("/FT /Ch /Opt [] /Parent 1 0 R"),
       -1,
       "Choice"},
      {"choice without Opt", {}, Widget("/FT /Ch"), -1, nullptr},
      {"choice Opt not an array", {}, Widget("/FT /Ch /Opt (a)"), -1, nullptr},
      {"choice Opt only in the parent",
       {"<< /FT /Ch /Opt [(a)] >>"},
       Widget("/Parent 1 0 R"),
       -1,
       nullptr},
      {"ancestor Opt not an array",
       {"<< /FT /Ch /Opt 3 >>"},
       Widget("/Opt [(a)] /Parent 1 0 R"),
       -1,
       nullptr},
      {"Parent a number", {}, Widget("/FT /Tx /Parent 3"), -1, "Text"},
      {"Parent a name", {}, Widget("/FT /Tx /Parent /P"), -1, "Text"},
      {"Parent dangling", {}, Widget("/FT /Tx /Parent 99 0 R"), -1, "Text"},
      {"Parent a stream",
       {"<< /FT /Tx /Length 1 >> stream\r\nx\r\nendstream\r\nendobj"},
       Widget("/Parent 1 0 R"),
       -1,
       nullptr},
      {"Parent chain loops",
       {"<< /FT /Tx /Parent 2 0 R >>", "<< /Parent 1 0 R >>"},
       Widget("/Parent 1 0 R"),
       -1,
       nullptr},
      {"own FT, Parent chain loops",
       {"<< /Parent 2 0 R >>", "<< /Parent 1 0 R >>"},
       Widget("/FT /Tx /Parent 1 0 R"),
       -1,
       nullptr},
      {"64 ancestors", Chain(64, "/FT /Tx"), Widget("/Parent 1 0 R"), -1, "Text"},
      {"100 ancestors", Chain(100, "/FT /Tx"), Widget("/Parent 1 0 R"), -1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestRegistry doc;
    RegisterAll(doc, c.objects);
    auto raw = periph::Parse(c.widget, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    const int32_t count = doc.next;
    std::unique_ptr<CPDFField> field = Make(doc, raw.get(), c.mask);
    EXPECT_EQ(doc.next, count);
    if (!c.kind) {
      EXPECT_EQ(field, nullptr);
      EXPECT_EQ(Written(raw.get()), before);
      continue;
    }
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->GetFieldTypeName(), c.kind);
    EXPECT_STREQ(field->GetSubtypeName(), "Widget");
    EXPECT_EQ(field->GetSubtypeBit(), CPDFField::kBit);
    EXPECT_EQ(Written(field.get()), before);
  }
}

TEST(FieldTest, CheckWantsAnAnnotationWidget) {
  TestRegistry doc;
  auto plain = periph::Parse("<< /Subtype /Widget /Rect [0 0 1 1] /FT /Tx >>", &doc);
  auto widget = periph::Parse(Widget("/FT /Tx"), &doc);
  EXPECT_FALSE(CPDFField::Check(&doc, dynamic_cast<CPDFDict*>(plain.get())));
  EXPECT_TRUE(CPDFField::Check(&doc, dynamic_cast<CPDFDict*>(widget.get())));
  // The annotation factory falls back on every field kind, whatever its mask.
  std::unique_ptr<CPDFAnnotation> annot(
      CPDFAnnotation::CreateAnnotation(&doc, dynamic_cast<CPDFDict*>(widget.get()), 0));
  EXPECT_NE(dynamic_cast<CPDFTxField*>(annot.get()), nullptr);
}

TEST(FieldTest, ReadingTypesTheWidgetAndItsAncestorsInPlace) {
  TestRegistry doc;
  // 1: the grandparent, 2: the parent, 3: an indirect partial name.
  RegisterAll(doc, {"<< /T (root) /FT /Tx /Ff 2 /DR << /Font << >> >> /Q 1 >>",
                    "<< /Parent 1 0 R /T (mid) /TU (tip) /OH 3 /DA (/Helv 0 Tf) >>", "(leaf)"});
  auto raw = periph::Parse(Widget("/Parent 2 0 R /T 3 0 R /TM (map) /MK << /BG [1] >>"), &doc);
  const int32_t count = doc.next;
  auto field = Make(doc, raw.get());
  ASSERT_NE(dynamic_cast<CPDFTxField*>(field.get()), nullptr);
  EXPECT_EQ(doc.next, count);  // conversions never take new numbers

  CPDFObjRef ref;
  auto* t = dynamic_cast<CPDFText*>(field->Get_T(&ref));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(ref.GetNumber(), 3);
  EXPECT_EQ(doc.GetObj(ref), t);
  EXPECT_EQ(TypeOf(field->Get_TM()), CPDFObject::kText);
  EXPECT_EQ(TypeOf(field->Get_MK()), CPDFObject::kDictionary);

  auto* root = dynamic_cast<CPDFDict*>(doc.GetObj(CPDFObjRef(1, 0)));
  auto* mid = dynamic_cast<CPDFDict*>(doc.GetObj(CPDFObjRef(2, 0)));
  ASSERT_TRUE(root && mid);
  EXPECT_EQ(typeid(*root), typeid(CPDFDict));
  EXPECT_EQ(typeid(*mid), typeid(CPDFDict));
  EXPECT_EQ(TypeOf(root->Get(&doc, CPDFName("T"))), CPDFObject::kText);
  EXPECT_EQ(TypeOf(root->Get(&doc, CPDFName("Ff"))), CPDFObject::kInteger);
  EXPECT_EQ(TypeOf(root->Get(&doc, CPDFName("Q"))), CPDFObject::kInteger);
  EXPECT_NE(dynamic_cast<CPDFResDict*>(root->Get(&doc, CPDFName("DR"))), nullptr);
  EXPECT_EQ(TypeOf(mid->Get(&doc, CPDFName("TU"))), CPDFObject::kText);
  EXPECT_EQ(TypeOf(mid->Get(&doc, CPDFName("OH"))), CPDFObject::kInteger);
  EXPECT_EQ(TypeOf(mid->Get(&doc, CPDFName("DA"))), CPDFObject::kString);

  // The getters: own, else the nearest ancestor's, with its reference.
  EXPECT_EQ(field->Get_Parent(), mid);
  EXPECT_EQ(TypeOf(field->Get_FT()), CPDFObject::kName);
  EXPECT_EQ(dynamic_cast<CPDFInt*>(field->Get_Ff())->GetInt(), 2);
  EXPECT_NE(field->Get_DR(), nullptr);
  EXPECT_EQ(TypeOf(field->Get_DA()), CPDFObject::kString);
  EXPECT_EQ(field->Get_TU(), nullptr);  // own only
  EXPECT_EQ(field->Get_OH(), nullptr);
}

TEST(FieldTest, ValueReadersTypeTheKindsValues) {
  const struct {
    std::string name;
    std::vector<std::string> objects;
    std::string widget;
    const char* key;
    int32_t type;  // of the value after the load (-1: absent)
  } cases[] = {
      {"T as a name stays", {}, Widget("/FT /Btn /T /n"), "T", CPDFObject::kName},
      {"button V stays", {}, Widget("/FT /Btn /V /Off"), "V", CPDFObject::kName},
      {"button V string stays", {}, Widget("/FT /Btn /V (Off)"), "V", CPDFObject::kString},
      {"choice V text", {}, Widget("/FT /Ch /Opt [] /V (a)"), "V", CPDFObject::kText},
      {"choice V name stays", {}, Widget("/FT /Ch /Opt [] /V /a"), "V", CPDFObject::kName},
      {"choice DV text", {}, Widget("/FT /Ch /Opt [] /DV (a)"), "DV", CPDFObject::kText},
      {"choice TopIndex",
       {},
       Widget("/FT /Ch /Opt [] /TopIndex 2"),
       "TopIndex",
       CPDFObject::kInteger},
      {"text V", {}, Widget("/FT /Tx /V (Hello)"), "V", CPDFObject::kText},
      {"text DV", {}, Widget("/FT /Tx /DV (Hello)"), "DV", CPDFObject::kText},
      {"text V stream stays",
       {"<< /Length 5 >> stream\r\nHello\r\nendstream\r\nendobj"},
       Widget("/FT /Tx /V 1 0 R"),
       "V",
       CPDFObject::kStream},
      {"text MaxLen", {}, Widget("/FT /Tx /MaxLen 20"), "MaxLen", CPDFObject::kInteger},
      {"text MaxLen string stays",
       {},
       Widget("/FT /Tx /MaxLen (20)"),
       "MaxLen",
       CPDFObject::kString},
      {"parent's V typed too",
       {"<< /FT /Tx /V (p) >>"},
       Widget("/Parent 1 0 R"),
       "V",
       CPDFObject::kText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestRegistry doc;
    RegisterAll(doc, c.objects);
    auto raw = periph::Parse(c.widget, &doc);
    const std::string before = Written(raw.get());
    auto field = Make(doc, raw.get());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(TypeOf(field->GetOwnOrInherited(CPDFName(c.key))), c.type);
    EXPECT_EQ(Written(field.get()), before);
  }
}

TEST(FieldTest, ChoiceOptionsTurnStringElementsIntoText) {
  TestRegistry doc;
  auto raw = periph::Parse(Widget("/FT /Ch /Opt [(a) [(b) (B)] 3]"), &doc);
  auto field = Make(doc, raw.get());
  auto* choice = dynamic_cast<CPDFChField*>(field.get());
  ASSERT_NE(choice, nullptr);
  auto* options = dynamic_cast<CPDFArray*>(choice->Get_Opt());
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(TypeOf(options->Get(&doc, 0)), CPDFObject::kText);
  EXPECT_EQ(TypeOf(options->Get(&doc, 1)), CPDFObject::kArray);
  EXPECT_EQ(TypeOf(options->Get(&doc, 2)), CPDFObject::kNumber);
  auto* pair = dynamic_cast<CPDFArray*>(options->Get(&doc, 1));
  EXPECT_EQ(TypeOf(pair->Get(&doc, 0)), CPDFObject::kString);
}

TEST(FieldTest, SignatureValuesBecomeSignatureDictionaries) {
  TestRegistry doc;
  RegisterAll(doc, {"<< /Type /Sig /Filter /Example.Handler /ByteRange [0 840 960 240] >>",
                    "<< /Filter /Example.Handler /ByteRange [0 1 2 3] >>"});
  auto typed = periph::Parse(Widget("/FT /Sig /V 1 0 R"), &doc);
  auto field = Make(doc, typed.get());
  auto* sig = dynamic_cast<CPDFSigField*>(field.get());
  ASSERT_NE(sig, nullptr);
  CPDFObjRef ref;
  CPDFSigDict* value = sig->Get_V(&ref);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(ref.GetNumber(), 1);
  EXPECT_EQ(doc.GetObj(ref), static_cast<CPDFObject*>(value));

  auto rawValue = periph::Parse(Widget("/FT /Sig /V 2 0 R"), &doc);
  auto other = Make(doc, rawValue.get());
  auto* untyped = dynamic_cast<CPDFSigField*>(other.get());
  ASSERT_NE(untyped, nullptr);
  EXPECT_EQ(untyped->Get_V(), nullptr);  // a raw dictionary is no signature dictionary
  EXPECT_EQ(TypeOf(untyped->Get(&doc, CPDFName("V"))), CPDFObject::kDictionary);

  // A signature value that fails to load fails the widget, which stays as read.
  RegisterAll(doc, {"<< /Type /Sig /ByteRange [0 99 0 R] >>"});
  auto broken = periph::Parse(Widget("/FT /Sig /V 3 0 R"), &doc);
  const std::string before = Written(broken.get());
  EXPECT_EQ(Make(doc, broken.get()), nullptr);
  EXPECT_EQ(Written(broken.get()), before);
}

TEST(FieldTest, AValueMadeInMemoryIsNotTypedAgain) {
  TestRegistry doc;
  auto raw = periph::Parse(Widget("/FT /Tx"), &doc);
  auto* dict = dynamic_cast<CPDFDict*>(raw.get());
  auto* made = new CPDFString("typed by the caller");
  ASSERT_TRUE(dict->Set(&doc, CPDFName("V"), made));
  auto field = Make(doc, raw.get());
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->Get(&doc, CPDFName("V")), made);
  EXPECT_EQ(made->GetType(), CPDFObject::kString);
}

TEST(FieldTest, AFailedStoreGivesTheWidgetBackWhole) {
  TestRegistry doc;
  RegisterAll(doc, {"(Hello)", "<< /T (p) /FT /Tx >>"});
  auto raw = periph::Parse(Widget("/Parent 2 0 R /T (k) /V 1 0 R /MaxLen 4"), &doc);
  const std::string before = Written(raw.get());
  doc.failRegist = true;
  EXPECT_EQ(Make(doc, raw.get()), nullptr);
  doc.failRegist = false;
  EXPECT_EQ(Written(raw.get()), before);
  EXPECT_EQ(TypeOf(doc.GetObj(CPDFObjRef(1, 0))), CPDFObject::kString);
}

TEST(FieldTest, FullNamesJoinPartialNamesByBytes) {
  const struct {
    std::string name;
    std::vector<std::string> objects;
    std::string widget;
    std::string full;
  } cases[] = {
      {"b under a", {"<< /T (a) /FT /Tx >>"}, Widget("/T (b) /Parent 1 0 R"), "a.b"},
      {"no T under a", {"<< /T (a) /FT /Tx >>"}, Widget("/Parent 1 0 R"), "a"},
      {"c under an untitled parent under a",
       {"<< /T (a) /FT /Tx >>", "<< /Parent 1 0 R >>"},
       Widget("/T (c) /Parent 2 0 R"),
       "a.c"},
      {"no T anywhere", {"<< /FT /Tx >>"}, Widget("/Parent 1 0 R"), ""},
      {"a T that is not a string is skipped",
       {"<< /T (a) /FT /Tx >>", "<< /T /n /Parent 1 0 R >>"},
       Widget("/T (c) /Parent 2 0 R"),
       "a.c"},
      {"UTF-16BE names keep every byte",
       {"<< /T <FEFF0061> /FT /Tx >>"},
       Widget("/T <FEFF0062> /Parent 1 0 R"),
       std::string("\xFE\xFF\0a.\xFE\xFF\0b", 9)},
      {"long names have no limit",
       {"<< /T (" + std::string(1500, 'x') + ") /FT /Tx >>"},
       Widget("/T (" + std::string(1500, 'y') + ") /Parent 1 0 R"),
       std::string(1500, 'x') + "." + std::string(1500, 'y')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestRegistry doc;
    RegisterAll(doc, c.objects);
    auto raw = periph::Parse(c.widget, &doc);
    auto field = Make(doc, raw.get());
    ASSERT_NE(field, nullptr);
    CPDFText name("stale");
    ASSERT_EQ(field->GetFullName(&name), &name);
    EXPECT_EQ(std::string(name.c_str(), static_cast<size_t>(name.GetLength())), c.full);
  }
  TestRegistry doc;
  auto raw = periph::Parse(Widget("/FT /Tx"), &doc);
  EXPECT_EQ(Make(doc, raw.get())->GetFullName(nullptr), nullptr);
}

TEST(FieldTest, InheritedValuesComeFromTheNearestAncestorWithTheirReference) {
  TestRegistry doc;
  // 1: a shared DA, 2: the root, 3: the parent.
  RegisterAll(
      doc, {"(/Helv 0 Tf)", "<< /FT /Tx /DA 1 0 R /Q 1 >>", "<< /Parent 2 0 R /Q 2 /MaxLen 5 >>"});
  auto raw = periph::Parse(Widget("/Parent 3 0 R /DA (own)"), &doc);
  auto field = Make(doc, raw.get());
  auto* text = dynamic_cast<CPDFTxField*>(field.get());
  ASSERT_NE(text, nullptr);

  // FT only in an ancestor is inherited; GetInheritable never sees the own entry.
  CPDFObjRef ref(7, 0);
  EXPECT_EQ(TypeOf(field->GetInheritable(CPDFName("FT"), &ref)), CPDFObject::kName);
  EXPECT_FALSE(ref.IsDefined());
  auto own = periph::Parse(Widget("/FT /Tx"), &doc);
  EXPECT_EQ(Make(doc, own.get())->GetInheritable(CPDFName("FT")), nullptr);

  EXPECT_EQ(dynamic_cast<CPDFInt*>(field->Get_Q())->GetInt(), 2);  // the nearest
  EXPECT_EQ(dynamic_cast<CPDFInt*>(text->Get_MaxLen())->GetInt(), 5);
  CPDFObject* da = field->Get_DA(&ref);
  EXPECT_FALSE(ref.IsDefined());  // the own, direct value
  EXPECT_EQ(std::string(dynamic_cast<CPDFString*>(da)->c_str()), "own");
  EXPECT_EQ(field->GetInheritable(CPDFName("DA"), &ref), doc.GetObj(CPDFObjRef(1, 0)));
  EXPECT_EQ(ref.GetNumber(), 1);
  EXPECT_EQ(text->Get_V(&ref), nullptr);
  EXPECT_FALSE(ref.IsDefined());

  // Setters store in the field's own dictionary and refuse none.
  EXPECT_TRUE(field->Set_TU(new CPDFText("tip")));
  EXPECT_EQ(TypeOf(field->Get_TU()), CPDFObject::kText);
  EXPECT_NE(Written(field.get()).find("/TU (tip)"), std::string::npos);
  EXPECT_FALSE(field->Set_Q(nullptr));
  EXPECT_EQ(dynamic_cast<CPDFInt*>(field->Get_Q())->GetInt(), 2);
}

TEST(FieldTest, ChainsThatLoopAfterReadingEndTheWalk) {
  TestRegistry doc;
  RegisterAll(doc, {"<< /T (a) /FT /Tx /DA (x) >>", "<< /T (b) /Parent 1 0 R >>"});
  auto raw = periph::Parse(Widget("/T (c) /Parent 2 0 R"), &doc);
  auto field = Make(doc, raw.get());
  ASSERT_NE(field, nullptr);
  EXPECT_NE(field->GetInheritable(CPDFName("DA")), nullptr);

  // The root's Parent now points back at the named parent: 2 -> 1 -> 2.
  auto* root = dynamic_cast<CPDFDict*>(doc.GetObj(CPDFObjRef(1, 0)));
  ASSERT_TRUE(PDFSetRef(root, CPDFName("Parent"), CPDFObjRef(2, 0)));
  CPDFObjRef ref(7, 0);
  EXPECT_EQ(field->GetInheritable(CPDFName("DA"), &ref), nullptr);
  EXPECT_FALSE(ref.IsDefined());
  EXPECT_EQ(field->Get_DA(), nullptr);
  CPDFText name;
  ASSERT_NE(field->GetFullName(&name), nullptr);
  EXPECT_STREQ(name.c_str(), "a.b.c");  // what was gathered before the repeat

  std::vector<CPDFDict*> chain;
  EXPECT_FALSE(CPDFField::WalkParents(&doc, field.get(), &chain));
  EXPECT_EQ(chain.size(), 2u);
}

}  // namespace
