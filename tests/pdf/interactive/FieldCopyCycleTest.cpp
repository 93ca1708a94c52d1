// Field copies over values that lead back to a field being copied (a /V or
// /DV naming the field itself, check boxes whose values name each other)
// and over long chains of fields: the copy stops at the cycle or at the
// copy depth and answers none; the process never runs out of stack.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/CPDFXRef.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/object/CPDFCopyScope.h"
#include "pdf/object/CPDFObjRef.h"
#include "tests/pdf/interactive/InteractiveTestSupport.h"
#include "tests/pdf/object/TestDoc.h"
#include "tests/pdf/object/TestRegistry.h"

namespace {

std::string Widget(const std::string& entries) {
  return "<< /Type /Annot /Subtype /Widget /Rect [0 0 40 20] " + entries + " >>";
}

// Registers the widget typed as a field, in place of the raw dictionary
// under the same number.
CPDFObjRef PutField(CPDFDoc& doc, const std::string& widget) {
  CPDFObjRef ref = Put(doc, widget);
  auto* field = CPDFField::CreateField(&doc, dynamic_cast<CPDFDict*>(doc.GetObj(ref)), -1);
  EXPECT_NE(field, nullptr) << widget;
  if (field && !doc.RegistObj(field, &ref)) ADD_FAILURE() << "not registered";
  return ref;
}

CPDFField* FieldAt(CPDFObjRegistry& doc, const CPDFObjRef& ref) {
  return dynamic_cast<CPDFField*>(doc.GetObj(ref));
}

void Name(CPDFDoc& doc, const CPDFObjRef& from, const char* key, const CPDFObjRef& to) {
  FieldAt(doc, from)->TempDict::SetAt(CPDFName(key), new CPDFObjRef(to));
}

TEST(FieldCopyCycleTest, AValueLeadingBackToTheFieldStopsTheCopy) {
  const struct {
    const char* what;
    const char* widget;
    const char* key;  // names the field itself
  } cases[] = {
      {"button /V", "/FT /Btn /T (a)", "V"},    {"button /DV", "/FT /Btn /T (a) /V /Off", "DV"},
      {"text /V", "/FT /Tx /T (a)", "V"},       {"choice /DV", "/FT /Ch /T (a) /Opt [(x)]", "DV"},
      {"signature /V", "/FT /Sig /T (a)", "V"}, {"/DA", "/FT /Tx /T (a)", "DA"},
      {"/MK", "/FT /Tx /T (a)", "MK"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestDoc source;
    const CPDFObjRef ref = PutField(source, Widget(c.widget));
    Name(source, ref, c.key, ref);
    TestDoc dest;
    std::unique_ptr<CPDFObject> copy(FieldAt(source, ref)->Clone(&dest, &source));
    EXPECT_EQ(copy, nullptr);
    // The source is untouched and copies again the same way.
    copy.reset(FieldAt(source, ref)->Clone(&dest, &source));
    EXPECT_EQ(copy, nullptr);
  }
}

// The way back may lie anywhere inside the value: in an array, in a
// dictionary, in an object reached through a reference, at any depth.
TEST(FieldCopyCycleTest, AValueHoldingTheFieldStopsTheCopy) {
  const struct {
    const char* what;
    const char* widget;
    const char* key;
    const char* value;  // SELF stands for a reference to the field
  } cases[] = {
      {"/V [self 1]", "/FT /Btn /T (a)", "V", "[SELF 1]"},
      {"/DV [1 [self]]", "/FT /Tx /T (a)", "DV", "[1 [SELF]]"},
      {"/V << /X self >>", "/FT /Tx /T (a)", "V", "<< /X SELF >>"},
      {"/MK << /A [<< /B self >>] >>", "/FT /Tx /T (a)", "MK", "<< /A [<< /B SELF >>] >>"},
      {"choice /Opt [(x) self]", "/FT /Ch /T (a) /Opt [(x)]", "Opt", "[(x) SELF]"},
      {"an indirect array", "/FT /Tx /T (a)", "V", "INDIRECT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestDoc source;
    const CPDFObjRef ref = PutField(source, Widget(c.widget));
    std::string text = c.value;
    if (text == "INDIRECT") {
      // /V 9 0 R, whose array holds the field.
      const CPDFObjRef array = Put(source, "[1 " + periph::RefText(ref) + "]");
      FieldAt(source, ref)->TempDict::SetAt(CPDFName(c.key), new CPDFObjRef(array));
    } else {
      text.replace(text.find("SELF"), 4, periph::RefText(ref));
      FieldAt(source, ref)
          ->TempDict::SetAt(CPDFName(c.key), periph::Parse(text, &source).release());
    }
    TestDoc dest;
    const int32_t before = dest.GetXRef()->GetCount();
    std::unique_ptr<CPDFObject> copy(FieldAt(source, ref)->Clone(&dest, &source));
    EXPECT_EQ(copy, nullptr);
    // What the failed copy reserved in the target is free again.
    for (int32_t n = before + 1; n <= dest.GetXRef()->GetCount(); ++n) {
      const CPDFXRefEntry* entry = dest.GetXRef()->GetEntry(n);
      EXPECT_TRUE(!entry || !entry->inUse) << n;
    }
  }
  // A field that is not under copy, held in a value, is passed by as
  // before (its copy flag is clear): the copy goes on without it.
  TestDoc source;
  const CPDFObjRef a = PutField(source, Widget("/FT /Btn /T (a)"));
  const CPDFObjRef b = PutField(source, Widget("/FT /Btn /T (b)"));
  FieldAt(source, a)->TempDict::SetAt(
      CPDFName("V"), periph::Parse("[" + periph::RefText(b) + " 1]", &source).release());
  TestDoc dest;
  std::unique_ptr<CPDFObject> copy(FieldAt(source, a)->Clone(&dest, &source));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(periph::Written(dynamic_cast<CPDFDict*>(copy.get())->Get(&dest, CPDFName("V"))), "[1]");
}

TEST(FieldCopyCycleTest, CheckBoxesWhoseValuesNameEachOther) {
  TestDoc source;
  const CPDFObjRef a = PutField(source, Widget("/FT /Btn /T (a)"));
  const CPDFObjRef b = PutField(source, Widget("/FT /Btn /T (b)"));
  Name(source, a, "V", b);
  Name(source, b, "V", a);
  TestDoc dest;
  std::unique_ptr<CPDFObject> copy(FieldAt(source, a)->Clone(&dest, &source));
  EXPECT_EQ(copy, nullptr);

  copy.reset(FieldAt(source, b)->Clone(&dest, &source));
  EXPECT_EQ(copy, nullptr);

  // Without the way back the pair copies: the value is a new field of the
  // target, indirect as in the source.
  FieldAt(source, b)->TempDict::SetAt(CPDFName("V"), new CPDFName("Off"));
  copy.reset(FieldAt(source, a)->Clone(&dest, &source));
  ASSERT_NE(copy, nullptr);
  CPDFObjRef value;
  auto* other = dynamic_cast<CPDFBtnField*>(
      dynamic_cast<CPDFDict*>(copy.get())->Get(&dest, CPDFName("V"), &value));
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(value.IsDefined());
  EXPECT_EQ(periph::Written(other->Get(&dest, CPDFName("V"))), "/Off");
}

// A source of a million fields, each /V naming the next, made as a walk
// reaches them.
class FieldChain : public TestRegistry {
 public:
  static constexpr int32_t kLinks = 1000000;
  explicit FieldChain(int32_t links) : links_(links) {}
  CPDFObject* GetObj(const CPDFObjRef& ref) override {
    if (CPDFObject* made = TestRegistry::GetObj(ref)) return made;
    const int32_t n = ref.GetNumber();
    if (n < 1 || n > links_) return nullptr;
    std::unique_ptr<CPDFObject> raw = periph::Parse(Widget("/FT /Tx /T (f)"), this);
    CPDFField* field = CPDFField::CreateField(this, dynamic_cast<CPDFDict*>(raw.get()), -1);
    if (!field) return nullptr;
    // Named after the load, which would otherwise make the next one.
    if (n < links_) field->TempDict::SetAt(CPDFName("V"), new CPDFObjRef(n + 1, 0));
    objects[n] = field;
    ++made;
    return field;
  }
  int32_t made = 0;

 private:
  int32_t links_;
};

TEST(FieldCopyCycleTest, AChainOfFieldsStopsAtTheCopyDepth) {
  // Short enough: every field is copied, each value a new object.
  FieldChain shortChain(100);
  TestDoc dest;
  std::unique_ptr<CPDFObject> copy(shortChain.GetObj(CPDFObjRef(1, 0))->Clone(&dest, &shortChain));
  ASSERT_NE(copy, nullptr);
  auto* at = dynamic_cast<CPDFField*>(copy.get());
  int32_t depth = 1;
  while ((at = dynamic_cast<CPDFField*>(at->Get(&dest, CPDFName("V"))))) ++depth;
  EXPECT_EQ(depth, 100);

  // A million: the copy stops at the copy depth, having reached only as
  // many fields.
  FieldChain chain(FieldChain::kLinks);
  TestDoc other;
  copy.reset(chain.GetObj(CPDFObjRef(1, 0))->Clone(&other, &chain));
  EXPECT_EQ(copy, nullptr);
  EXPECT_LE(chain.made, CPDFCopyScope::kMaxDepth + 1);
}

}  // namespace
