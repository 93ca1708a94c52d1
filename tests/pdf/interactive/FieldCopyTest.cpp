// Copying form fields into another document: the standalone copy (full
// name, inherited values made its own, no Parent or Kids), the target's
// interactive form (created once, or the one the catalog holds, never
// overwritten), the shared or cloned DR, the four kinds' clones, documents
// that cannot take a field, and stores that fail along the way.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/interactive/CPDFAcroFormDict.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/interactive/CPDFSigDict.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/interactive/InteractiveTestSupport.h"
#include "tests/pdf/object/TestDoc.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

using periph::Written;

std::string Widget(const std::string& entries) {
  return "<< /Type /Annot /Subtype /Widget /Rect [0 0 40 20] " + entries + " >>";
}

// A field typed from the widget text, as a page's load types it.
std::unique_ptr<CPDFField> FieldOf(CPDFDoc& doc, const std::string& widget) {
  std::unique_ptr<CPDFObject> raw = periph::Parse(widget, &doc);
  EXPECT_TRUE(raw) << widget;
  auto* field = CPDFField::CreateField(&doc, dynamic_cast<CPDFDict*>(raw.get()), -1);
  EXPECT_NE(field, nullptr) << widget;
  return std::unique_ptr<CPDFField>(field);
}

std::unique_ptr<CPDFField> CopyOf(CPDFField* field, CPDFObjRegistry* doc, CPDFObjRegistry* source) {
  CPDFObject* copy = field->Clone(doc, source);
  auto* typed = dynamic_cast<CPDFField*>(copy);
  if (copy && !typed) ADD_FAILURE() << "the clone is not a field";
  return std::unique_ptr<CPDFField>(typed);
}

std::string Value(CPDFDict* dict, CPDFObjRegistry* doc, const char* key,
                  CPDFObjRef* ref = nullptr) {
  return Written(dict->Get(doc, CPDFName(key), ref));
}

int32_t ObjectCount(CPDFDoc& doc) { return doc.GetXRef()->GetCount(); }

// The catalog's interactive form, with its reference (none when absent).
CPDFDict* FormOf(CPDFDoc& doc, CPDFObjRef* ref = nullptr) {
  return dynamic_cast<CPDFDict*>(doc.GetCatalog()->Get(&doc, CPDFName("AcroForm"), ref));
}

TEST(FieldCopyTest, TheCopyStandsAloneWithTheFullNameAndTheInheritedValues) {
  TestDoc source;
  const CPDFObjRef ap = Put(source,
                            "<< /Type /XObject /Subtype /Form /BBox [0 0 40 20] /Length 3 >> "
                            "stream\r\n0 g\r\nendstream\r\nendobj");
  const CPDFObjRef a = Put(source,
                           "<< /T (a) /FT /Tx /Ff 4096 /DA (/Helv 12 Tf 0 g) /Q 2 /V (x) "
                           "/TU (tip) /MK << /BG [1] >> /OH 1 /Foo 1 >>");
  const CPDFObjRef b = Put(source, "<< /T (b) /Parent " + Ref(a) + " >>");
  std::unique_ptr<CPDFField> field = FieldOf(
      source, Widget("/T (c) /Parent " + Ref(b) + " /Kids [] /F 4 /AP << /N " + Ref(ap) + " >>"));
  ASSERT_NE(field, nullptr);
  const std::string before = Written(field.get());

  TestDoc dest;
  const std::string catalog = Written(dest.GetCatalog());
  const int32_t count = ObjectCount(dest);
  std::unique_ptr<CPDFField> copy = CopyOf(field.get(), &dest, &source);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetDoc(), &dest);
  EXPECT_NE(dynamic_cast<CPDFText*>(copy->Get(&dest, CPDFName("T"))), nullptr);
  EXPECT_EQ(Value(copy.get(), &dest, "T"), "(a.b.c)");
  // Inherited common values and the kind's inherited value are its own,
  // direct as the ancestor held them.
  const struct {
    const char* key;
    const char* written;
  } own[] = {{"FT", "/Tx"}, {"Ff", "4096"}, {"DA", "(/Helv 12 Tf 0 g)"}, {"Q", "2"},
             {"V", "(x)"},  {"F", "4"},     {"Rect", "[0 0 40 20]"}};
  for (const auto& entry : own) {
    SCOPED_TRACE(entry.key);
    CPDFObjRef ref;
    EXPECT_EQ(Value(copy.get(), &dest, entry.key, &ref), entry.written);
    EXPECT_FALSE(ref.IsDefined());
  }
  // Own keys that no rule lists come through the annotation's copy.
  auto* appearance = dynamic_cast<CPDFDict*>(copy->Get(&dest, CPDFName("AP")));
  ASSERT_NE(appearance, nullptr);
  CPDFObjRef normal;
  auto* stream = dynamic_cast<CPDFStream*>(appearance->Get(&dest, CPDFName("N"), &normal));
  ASSERT_NE(stream, nullptr);
  EXPECT_TRUE(normal.IsDefined());
  // Kids and Parent never reach the copy; TU, MK and OH are taken from the
  // field's own dictionary only, and an inherited key no rule lists stays.
  for (const char* key : {"Parent", "Kids", "TU", "MK", "OH", "Foo", "DR"}) {
    EXPECT_FALSE(copy->HasKey(CPDFName(key))) << key;
  }
  // The appearance stream is the only new object; without DR the catalog
  // is left alone.
  EXPECT_EQ(ObjectCount(dest), count + 1);
  EXPECT_EQ(Written(dest.GetCatalog()), catalog);
  EXPECT_EQ(Written(field.get()), before);
}

TEST(FieldCopyTest, AFieldWithoutFieldTypeDoesNotCopy) {
  TestDoc source;
  std::unique_ptr<CPDFField> field = FieldOf(source, Widget("/FT /Tx /T (t) /DR << >>"));
  ASSERT_NE(field, nullptr);
  field->Remove(&source, CPDFName("FT"));
  TestDoc dest;
  const std::string catalog = Written(dest.GetCatalog());
  EXPECT_EQ(field->Clone(&dest, &source), nullptr);
  CPDFTxField target;
  EXPECT_FALSE(field->Duplicate(&target, &dest, &source));
  EXPECT_EQ(Written(dest.GetCatalog()), catalog);
}

TEST(FieldCopyTest, TheFirstCopyWithAnIndirectDRCreatesTheFormAndLaterCopiesShareIt) {
  TestDoc source;
  const CPDFObjRef font = Put(source, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
  const CPDFObjRef dr = Put(source, "<< /Font << /Cour " + Ref(font) + " >> >>");
  const CPDFObjRef ff = Put(source, "4096");
  std::unique_ptr<CPDFField> field =
      FieldOf(source, Widget("/FT /Tx /T (t) /DR " + Ref(dr) + " /Ff " + Ref(ff)));
  ASSERT_NE(field, nullptr);

  TestDoc dest;
  const int32_t count = ObjectCount(dest);
  std::unique_ptr<CPDFField> first = CopyOf(field.get(), &dest, &source);
  ASSERT_NE(first, nullptr);
  CPDFObjRef formRef;
  CPDFDict* form = FormOf(dest, &formRef);
  ASSERT_NE(dynamic_cast<CPDFAcroFormDict*>(form), nullptr);
  EXPECT_TRUE(formRef.IsDefined());
  CPDFObjRef formDR;
  ASSERT_NE(dynamic_cast<CPDFResDict*>(form->Get(&dest, CPDFName("DR"), &formDR)), nullptr);
  ASSERT_TRUE(formDR.IsDefined());
  EXPECT_EQ(Written(form), "<<\r\n/DA (/Helv 0 Tf 0 g)\n/DR " + Ref(formDR) + "\n/Fields []\n>>");
  // The copy refers to the form's DR; the source's DR (and its Courier) is
  // not copied: Ff, the form's five objects and the form itself are new.
  CPDFObjRef copyDR;
  EXPECT_NE(first->Get(&dest, CPDFName("DR"), &copyDR), nullptr);
  EXPECT_EQ(copyDR, formDR);
  EXPECT_EQ(ObjectCount(dest), count + 1 + 6);
  // An indirect Ff is a new object of the target.
  CPDFObjRef firstFf;
  EXPECT_EQ(Value(first.get(), &dest, "Ff", &firstFf), "4096");
  EXPECT_TRUE(firstFf.IsDefined());

  // A second copy reuses the form; only its own Ff is new. Fields stays
  // empty: the caller adds the copies.
  const std::string catalog = Written(dest.GetCatalog());
  std::unique_ptr<CPDFField> second = CopyOf(field.get(), &dest, &source);
  ASSERT_NE(second, nullptr);
  CPDFObjRef again;
  EXPECT_EQ(FormOf(dest, &again), form);
  EXPECT_EQ(again, formRef);
  EXPECT_EQ(Written(dest.GetCatalog()), catalog);
  EXPECT_EQ(ObjectCount(dest), count + 1 + 6 + 1);
  CPDFObjRef secondFf;
  EXPECT_EQ(Value(second.get(), &dest, "Ff", &secondFf), "4096");
  EXPECT_TRUE(secondFf.IsDefined());
  EXPECT_NE(secondFf, firstFf);
  EXPECT_NE(second->Get(&dest, CPDFName("DR"), &copyDR), nullptr);
  EXPECT_EQ(copyDR, formDR);
  EXPECT_EQ(Value(form, &dest, "Fields"), "[]");

  // Into the source document itself: a new number there too.
  std::unique_ptr<CPDFField> same = CopyOf(field.get(), &source, &source);
  ASSERT_NE(same, nullptr);
  CPDFObjRef sameFf;
  EXPECT_EQ(Value(same.get(), &source, "Ff", &sameFf), "4096");
  EXPECT_TRUE(sameFf.IsDefined());
  EXPECT_NE(sameFf, ff);
}

TEST(FieldCopyTest, ADirectOrRawDRIsClonedAndAnIndirectRawDRShared) {
  TestDoc source;
  const CPDFObjRef font = Put(source, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
  const std::string dr = "<< /Font << /Cour " + Ref(font) + " >> >>";
  TestDoc dest;

  // A direct DR (typed when the widget is read): a direct clone of its
  // class, although the form made for it has an indirect DR.
  std::unique_ptr<CPDFField> direct = FieldOf(source, Widget("/FT /Tx /T (a) /DR " + dr));
  ASSERT_NE(direct, nullptr);
  ASSERT_NE(dynamic_cast<CPDFResDict*>(direct->Get(&source, CPDFName("DR"))), nullptr);
  std::unique_ptr<CPDFField> copy = CopyOf(direct.get(), &dest, &source);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(FormOf(dest), nullptr);
  CPDFObjRef formDR;
  FormOf(dest)->Get(&dest, CPDFName("DR"), &formDR);
  EXPECT_TRUE(formDR.IsDefined());
  CPDFObjRef ref;
  auto* copied = dynamic_cast<CPDFResDict*>(copy->Get(&dest, CPDFName("DR"), &ref));
  ASSERT_NE(copied, nullptr);
  EXPECT_FALSE(ref.IsDefined());
  auto* fonts = dynamic_cast<CPDFDict*>(copied->Get(&dest, CPDFName("Font")));
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(Value(fonts, &dest, "Cour"), Written(source.GetObj(font)));

  // A DR stored after the read stays a plain dictionary: the typed getter
  // does not see it, the copy does.
  std::unique_ptr<CPDFField> raw = FieldOf(source, Widget("/FT /Tx /T (b)"));
  ASSERT_NE(raw, nullptr);
  ASSERT_TRUE(raw->Set(&source, CPDFName("DR"), periph::Parse(dr, &source)));
  EXPECT_EQ(raw->Get_DR(), nullptr);
  copy = CopyOf(raw.get(), &dest, &source);
  ASSERT_NE(copy, nullptr);
  CPDFObject* plain = copy->Get(&dest, CPDFName("DR"), &ref);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(typeid(*plain), typeid(CPDFDict));
  EXPECT_FALSE(ref.IsDefined());
  fonts = dynamic_cast<CPDFDict*>(dynamic_cast<CPDFDict*>(plain)->Get(&dest, CPDFName("Font")));
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(Value(fonts, &dest, "Cour"), Written(source.GetObj(font)));

  // An indirect plain DR is shared as a typed one is.
  std::unique_ptr<CPDFField> indirect = FieldOf(source, Widget("/FT /Tx /T (c)"));
  ASSERT_NE(indirect, nullptr);
  ASSERT_TRUE(PDFSetRef(indirect.get(), CPDFName("DR"), Put(source, dr)));
  EXPECT_EQ(indirect->Get_DR(), nullptr);
  copy = CopyOf(indirect.get(), &dest, &source);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->Get(&dest, CPDFName("DR"), &ref), nullptr);
  EXPECT_EQ(ref, formDR);
}

TEST(FieldCopyTest, AFormTheCatalogHoldsIsKeptAsItIs) {
  TestDoc source;
  const CPDFObjRef dr = Put(source, "<< /Font << >> >>");
  std::unique_ptr<CPDFField> field = FieldOf(source, Widget("/FT /Tx /T (t) /DR " + Ref(dr)));
  ASSERT_NE(field, nullptr);
  const struct {
    const char* name;
    bool indirectForm, indirectDR, danglingDR;
  } cases[] = {
      {"direct form", false, true, false},
      {"indirect form", true, true, false},
      {"form with a direct DR", true, false, false},
      {"form whose DR does not resolve", true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestDoc dest;
    CPDFObjRef formDR;
    std::string text = "<< /Fields [] /NeedAppearances true /DR ";
    if (c.indirectDR) {
      formDR = Put(dest, "<< /Font << >> >>");
      text += Ref(formDR) + " >>";
    } else if (c.danglingDR) {
      text += "99 0 R >>";
    } else {
      text += "<< /Font << >> >> >>";
    }
    CPDFDict* catalog = dest.GetCatalog();
    if (c.indirectForm) {
      ASSERT_TRUE(PDFSetRef(catalog, CPDFName("AcroForm"), Put(dest, text)));
    } else {
      ASSERT_TRUE(catalog->Set(&dest, CPDFName("AcroForm"), periph::Parse(text, &dest)));
    }
    CPDFDict* form = FormOf(dest);
    ASSERT_NE(form, nullptr);
    const std::string formText = Written(form);
    const std::string catalogText = Written(catalog);
    const int32_t count = ObjectCount(dest);

    std::unique_ptr<CPDFField> copy = CopyOf(field.get(), &dest, &source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(FormOf(dest), form);
    EXPECT_EQ(typeid(*form), typeid(CPDFDict));
    EXPECT_EQ(Written(form), formText);
    EXPECT_EQ(Written(catalog), catalogText);
    CPDFObjRef ref;
    EXPECT_NE(copy->Get(&dest, CPDFName("DR"), &ref), nullptr);
    if (c.indirectDR) {
      // The copy follows that form's DR; nothing is registered.
      EXPECT_EQ(ref, formDR);
      EXPECT_EQ(ObjectCount(dest), count);
    } else {
      // The source's DR is cloned, indirect as it was (a DR that does not
      // resolve is not shared).
      EXPECT_TRUE(ref.IsDefined());
      EXPECT_NE(ref, CPDFObjRef(99, 0));
      EXPECT_EQ(ObjectCount(dest), count + 1);
    }
  }
}

TEST(FieldCopyTest, AnAcroFormThatIsNoDictionaryFailsTheCopyAndStays) {
  TestDoc source;
  std::unique_ptr<CPDFField> withDR = FieldOf(source, Widget("/FT /Tx /T (t) /DR << >>"));
  std::unique_ptr<CPDFField> withoutDR = FieldOf(source, Widget("/FT /Tx /T (u)"));
  ASSERT_NE(withDR, nullptr);
  ASSERT_NE(withoutDR, nullptr);
  for (const char* value : {"5", "(form)", "[]", "null", "dangling"}) {
    SCOPED_TRACE(value);
    TestDoc dest;
    CPDFDict* catalog = dest.GetCatalog();
    if (std::string(value) == "dangling") {
      ASSERT_TRUE(PDFSetRef(catalog, CPDFName("AcroForm"), CPDFObjRef(99, 0)));
    } else {
      ASSERT_TRUE(catalog->Set(&dest, CPDFName("AcroForm"), periph::Parse(value, &dest)));
    }
    const std::string before = Written(catalog);
    EXPECT_EQ(CopyOf(withDR.get(), &dest, &source), nullptr);
    EXPECT_EQ(Written(catalog), before);
    // Without DR the form is never looked at.
    EXPECT_NE(CopyOf(withoutDR.get(), &dest, &source), nullptr);
    EXPECT_EQ(Written(catalog), before);
  }
}

TEST(FieldCopyTest, OnlyADocumentWithAPdfCatalogTakesAField) {
  TestDoc source;
  std::unique_ptr<CPDFField> field = FieldOf(source, Widget("/FT /Tx /T (t)"));
  ASSERT_NE(field, nullptr);
  CPDFDoc fdf;
  ASSERT_TRUE(fdf.Create(true, true, 1, 3));
  EXPECT_EQ(CopyOf(field.get(), &fdf, &source), nullptr);
  TestRegistry registry;
  EXPECT_EQ(CopyOf(field.get(), &registry, &source), nullptr);
  TestDoc dest;
  EXPECT_NE(CopyOf(field.get(), &dest, &source), nullptr);
}

TEST(FieldCopyTest, EachKindClonesItsValuesOwnOrInherited) {
  TestDoc source;
  const CPDFObjRef button = Put(source, "<< /FT /Btn /T (g) /V /On /DV /Off /Kids [] >>");
  const CPDFObjRef options = Put(source, "[(a) (b)]");
  const CPDFObjRef text = Put(source, "<< /FT /Tx /T (person) /MaxLen 20 >>");
  const CPDFObjRef signature =
      Put(source, "<< /Type /Sig /Filter /Example.Handler /ByteRange [0 10 20 30] >>");
  const struct {
    const char* kind;
    uint32_t bit;
    std::string widget;
    std::string name;
    std::vector<std::pair<const char*, std::string>> values;  // key, written
  } cases[] = {
      {"Button",
       1,
       Widget("/Parent " + Ref(button) + " /T (k) /AS /On"),
       "(g.k)",
       {{"V", "/On"}, {"DV", "/Off"}}},
      {"Choice",
       2,
       Widget("/FT /Ch /T (c) /Opt " + Ref(options) + " /V (b) /DV (a) /TopIndex 1"),
       "(c)",
       {{"Opt", "[(a) (b)]"}, {"V", "(b)"}, {"DV", "(a)"}, {"TopIndex", "1"}}},
      {"Text",
       4,
       Widget("/Parent " + Ref(text) + " /T (name) /V (Hello)"),
       "(person.name)",
       {{"V", "(Hello)"}, {"MaxLen", "20"}}},
      {"Signature",
       8,
       Widget("/FT /Sig /T (s) /V " + Ref(signature) + " /DV << /Filter /Other >>"),
       "(s)",
       {{"DV", "<<\r\n/Filter /Other\n>>"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    std::unique_ptr<CPDFField> field = FieldOf(source, c.widget);
    ASSERT_NE(field, nullptr);
    TestDoc dest;
    std::unique_ptr<CPDFField> copy = CopyOf(field.get(), &dest, &source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(typeid(*copy), typeid(*field));
    EXPECT_EQ(copy->GetFieldType(), c.bit);
    EXPECT_STREQ(copy->GetFieldTypeName(), c.kind);
    EXPECT_EQ(Value(copy.get(), &dest, "T"), c.name);
    for (const auto& [key, written] : c.values) {
      EXPECT_TRUE(copy->HasKey(CPDFName(key))) << key;
      EXPECT_EQ(Value(copy.get(), &dest, key), written) << key;
    }
  }

  // An indirect Opt is a new object of the target.
  std::unique_ptr<CPDFField> choice =
      FieldOf(source, Widget("/FT /Ch /T (c) /Opt " + Ref(options)));
  ASSERT_NE(choice, nullptr);
  TestDoc dest;
  std::unique_ptr<CPDFField> copy = CopyOf(choice.get(), &dest, &source);
  ASSERT_NE(copy, nullptr);
  CPDFObjRef ref;
  EXPECT_NE(copy->Get(&dest, CPDFName("Opt"), &ref), nullptr);
  EXPECT_TRUE(ref.IsDefined());
  // Without Opt anywhere a choice does not copy.
  choice->Remove(&source, CPDFName("Opt"));
  EXPECT_EQ(CopyOf(choice.get(), &dest, &source), nullptr);

  // A signature's typed value clones to a signature dictionary of the
  // target, under a new number.
  std::unique_ptr<CPDFField> sig = FieldOf(source, Widget("/FT /Sig /V " + Ref(signature)));
  ASSERT_NE(sig, nullptr);
  copy = CopyOf(sig.get(), &dest, &source);
  ASSERT_NE(copy, nullptr);
  auto* value = dynamic_cast<CPDFSigDict*>(copy->Get(&dest, CPDFName("V"), &ref));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetDoc(), &dest);
  EXPECT_TRUE(ref.IsDefined());
  EXPECT_NE(static_cast<CPDFObject*>(value), source.GetObj(signature));
}

// A document whose n-th store (counting from arming) fails or throws.
class FaultDoc : public TestDoc {
 public:
  using CPDFObjRegistry::RegistObj;
  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override {
    if (failAt && ++stores == failAt) {
      if (throws) throw std::bad_alloc();
      return false;
    }
    return TestDoc::RegistObj(object, ref);
  }
  void Arm(int n, bool throwing) {
    failAt = n;
    throws = throwing;
    stores = 0;
  }
  int failAt = 0, stores = 0;
  bool throws = false;
};

// Each store of a copy fails in turn: the copy answers none, the source is
// untouched, and a copy without faults then succeeds in the same document
// (reusing a form that was stored, or making one).
TEST(FieldCopyTest, AStoreThatFailsAnywhereFailsTheCopyCleanly) {
  TestDoc source;
  const CPDFObjRef dr = Put(source, "<< /Font << >> >>");
  const CPDFObjRef ff = Put(source, "2");
  const CPDFObjRef value = Put(source, "(v)");
  std::unique_ptr<CPDFField> field =
      FieldOf(source, Widget("/FT /Tx /T (t) /DR " + Ref(dr) + " /Ff " + Ref(ff) + " /V " +
                             Ref(value) + " /MK << /BG [1] >>"));
  ASSERT_NE(field, nullptr);
  const std::string before = Written(field.get());
  for (bool throwing : {false, true}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE((throwing ? "throw at store " : "fail store ") + std::to_string(n));
      ASSERT_LT(n, 64);
      FaultDoc dest;
      dest.Arm(n, throwing);
      std::unique_ptr<CPDFField> copy = CopyOf(field.get(), &dest, &source);
      const bool hit = dest.stores >= n;
      dest.Arm(0, false);
      EXPECT_EQ(Written(field.get()), before);
      if (!hit) {
        EXPECT_NE(copy, nullptr);
        break;
      }
      EXPECT_EQ(copy, nullptr);
      copy = CopyOf(field.get(), &dest, &source);
      ASSERT_NE(copy, nullptr);
      CPDFObjRef copyDR, formDR;
      copy->Get(&dest, CPDFName("DR"), &copyDR);
      ASSERT_NE(FormOf(dest), nullptr);
      FormOf(dest)->Get(&dest, CPDFName("DR"), &formDR);
      EXPECT_EQ(copyDR, formDR);
    }
  }
}

}  // namespace
