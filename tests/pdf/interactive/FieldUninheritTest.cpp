// Uninherit: a widget hands the entries it shares with its field up into
// the parent field dictionary. Each case is a parent (object 1), a kid read
// through the field factory, and what both write afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

using periph::Written;

std::string Widget(const std::string& entries) {
  return "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] " + entries + " >>";
}

struct Tree {
  TestRegistry doc;
  std::unique_ptr<CPDFObject> raw;
  std::unique_ptr<CPDFField> kid;
  CPDFDict* parent = nullptr;
};

// Registers the parent as 1 and the extra objects as 2, 3, ...; reads the
// kid through the factory.
void Build(Tree& tree, const std::string& parent, const std::vector<std::string>& extra,
           const std::string& kid) {
  ASSERT_EQ(periph::Register(tree.doc, parent), 1);
  for (const std::string& text : extra) ASSERT_GT(periph::Register(tree.doc, text), 1);
  tree.raw = periph::Parse(Widget(kid), &tree.doc);
  ASSERT_NE(tree.raw, nullptr);
  tree.kid.reset(CPDFField::CreateField(&tree.doc, dynamic_cast<CPDFDict*>(tree.raw.get()), -1));
  ASSERT_NE(tree.kid, nullptr) << kid;
  tree.parent = dynamic_cast<CPDFDict*>(tree.doc.GetObj(CPDFObjRef(1, 0)));
  ASSERT_NE(tree.parent, nullptr);
}

std::string Canonical(CPDFObjRegistry* doc, const std::string& text) {
  return Written(periph::Parse(text, doc).get());
}

TEST(FieldUninheritTest, EntriesMoveUpWhenTheParentLacksThemOrHoldsAnEqualValue) {
  const std::string P = "/Parent 1 0 R ";
  const struct {
    std::string name;
    std::string parent;
    std::vector<std::string> extra;
    std::string kid;
    std::string drop;  // a key removed from the kid after reading ("^Key": from the parent)
    bool ok;
    std::string parentAfter, kidAfter;  // "" for unchanged
  } cases[] = {
      {"no parent", "<< /FT /Tx /T (a) >>", {}, "/FT /Tx /T (a)", "", false, "", ""},
      {"T differs", "<< /FT /Tx /T (a) >>", {}, P + "/FT /Tx /T (b) /DA (x)", "", false, "", ""},
      {"FT differs", "<< /FT /Btn /T (a) >>", {}, P + "/FT /Tx /T (a)", "", false, "", ""},
      {"FT a string on one side",
       "<< /FT (Tx) /T (a) >>",
       {},
       P + "/FT /Tx /T (a)",
       "",
       false,
       "",
       ""},
      {"T names are not strings",
       "<< /FT /Tx /T /a >>",
       {},
       P + "/FT /Tx /T /a",
       "",
       false,
       "",
       ""},
      {"parent without FT", "<< /T (a) >>", {}, P + "/FT /Tx /T (a)", "", false, "", ""},
      {"common entries",
       "<< /FT /Tx /T (a) /DA (x) /Q 1 >>",
       {},
       P + "/FT /Tx /T (a) /Ff 3 /DR << /Font << >> >> /DA (x) /Q 2",
       "",
       true,
       "<< /FT /Tx /T (a) /DA (x) /Q 1 /Ff 3 /DR << /Font << >> >> >>",
       P + "/Q 2"},
      {"DR only when the parent lacks one, DA when it lacks one",
       "<< /FT /Tx /T (a) /DR << >> >>",
       {},
       P + "/FT /Tx /T (a) /DR << /Font << >> >> /DA (y)",
       "",
       true,
       "<< /FT /Tx /T (a) /DR << >> /DA (y) >>",
       P + "/DR << /Font << >> >>"},
      {"a different DA or a non-number Ff stays",
       "<< /FT /Tx /T (a) /DA (x) /Ff /n /Q 4.0 >>",
       {},
       P + "/FT /Tx /T (a) /DA (y) /Ff 1 /Q 4",
       "",
       true,
       "<< /FT /Tx /T (a) /DA (x) /Ff /n /Q 4 >>",
       P + "/DA (y) /Ff 1"},
      {"button V equal names",
       "<< /FT /Btn /T (a) /V /Off >>",
       {},
       P + "/FT /Btn /T (a) /V /Off /DV (x)",
       "",
       true,
       "<< /FT /Btn /T (a) /V /Off /DV (x) >>",
       P},
      {"button V different names",
       "<< /FT /Btn /T (a) /V /On >>",
       {},
       P + "/FT /Btn /T (a) /V /Off",
       "",
       true,
       "<< /FT /Btn /T (a) /V /On >>",
       P + "/V /Off"},
      {"button V name against a string",
       "<< /FT /Btn /T (a) /V (Off) >>",
       {},
       P + "/FT /Btn /T (a) /V /Off",
       "",
       true,
       "<< /FT /Btn /T (a) /V (Off) >>",
       P + "/V /Off"},
      {"signature values move only to a parent without them",
       "<< /FT /Sig /T (a) /V << /A 1 >> >>",
       {},
       P + "/FT /Sig /T (a) /V << /A 1 >> /DV << /A 2 >>",
       "",
       true,
       "<< /FT /Sig /T (a) /V << /A 1 >> /DV << /A 2 >> >>",
       P + "/V << /A 1 >>"},
      {"choice kid without its own Opt",
       "<< /FT /Ch /T (a) /Opt [(x)] >>",
       {},
       P + "/FT /Ch /T (a) /Opt [(x)] /Ff 5 /V (x)",
       "Opt",
       false,
       "<< /FT /Ch /T (a) /Opt [(x)] /Ff 5 >>",
       P + "/V (x)"},
      {"choice values",
       "<< /FT /Ch /T (a) /Opt [(p)] /V (b) /TopIndex 1 >>",
       {},
       P + "/FT /Ch /T (a) /Opt [(k)] /V (b) /DV /n /TopIndex 2",
       "",
       true,
       "<< /FT /Ch /T (a) /Opt [(p)] /V (b) /DV /n /TopIndex 1 >>",
       P + "/Opt [(k)] /TopIndex 2"},
      {"choice Opt to a parent without one, V names",
       "<< /FT /Ch /T (a) /Opt [] /V /b /DV (c) >>",
       {},
       P + "/FT /Ch /T (a) /Opt [(k)] /V /b /DV /c",
       "^Opt",
       true,
       "<< /FT /Ch /T (a) /Opt [(k)] /V /b /DV (c) >>",
       P + "/DV /c"},
      {"text values",
       "<< /FT /Tx /T (a) /V (same) /DV (old) >>",
       {},
       P + "/FT /Tx /T (a) /V (same) /DV (new) /MaxLen 10",
       "",
       true,
       "<< /FT /Tx /T (a) /V (same) /DV (old) /MaxLen 10 >>",
       P + "/DV (new)"},
      {"an indirect value keeps its number",
       "<< /FT /Tx /T (a) >>",
       {"(x)"},
       P + "/FT /Tx /T (a) /DA 2 0 R",
       "",
       true,
       "<< /FT /Tx /T (a) /DA 2 0 R >>",
       P},
      {"a T shared with the parent",
       "<< /FT /Tx /T 2 0 R >>",
       {"(a)"},
       P + "/FT /Tx /T 2 0 R",
       "",
       true,
       "<< /FT /Tx /T 2 0 R >>",
       P},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Tree tree;
    Build(tree, c.parent, c.extra, c.kid);
    if (c.drop[0] == '^') {
      tree.parent->Remove(&tree.doc, CPDFName(c.drop.c_str() + 1));
    } else if (!c.drop.empty()) {
      tree.kid->Remove(&tree.doc, CPDFName(c.drop.c_str()));
    }
    const std::string parentBefore = Written(tree.parent);
    const std::string kidBefore = Written(tree.kid.get());
    const size_t objects = tree.doc.objects.size();

    EXPECT_EQ(tree.kid->Uninherit(), c.ok);
    EXPECT_EQ(Written(tree.parent),
              c.parentAfter.empty() ? parentBefore : Canonical(&tree.doc, c.parentAfter));
    EXPECT_EQ(Written(tree.kid.get()),
              c.kidAfter.empty() ? kidBefore : Canonical(&tree.doc, Widget(c.kidAfter)));
    // Nothing is dropped from the document: a moved value keeps its number,
    // and a T the parent shares stays readable.
    EXPECT_EQ(tree.doc.objects.size(), objects);
    EXPECT_TRUE(tree.doc.deleted.empty());
    if (c.parentAfter.empty()) {
      EXPECT_TRUE(tree.doc.updated.empty());
    }
  }
}

TEST(FieldUninheritTest, TheParentHoldsTheKidsOwnObjectsAndIsMarkedChanged) {
  Tree tree;
  Build(tree, "<< /FT /Tx /T (a) /Kids [3 0 R] >>", {"(/Helv 0 Tf)", "<< >>"},
        "/Parent 1 0 R /FT /Tx /T (a) /DA 2 0 R /MaxLen 8");
  CPDFObject* ft = tree.kid->Get(&tree.doc, CPDFName("FT"));
  CPDFObject* da = tree.kid->Get(&tree.doc, CPDFName("DA"));
  CPDFObject* maxLen = tree.kid->Get(&tree.doc, CPDFName("MaxLen"));
  // The kid stands as object 3, as a file reader would have put it.
  CPDFObjRef three(3, 0);
  ASSERT_TRUE(tree.doc.RegistObj(tree.kid.get(), &three));
  CPDFField* kid = tree.kid.release();  // the registry owns it now

  ASSERT_TRUE(kid->Uninherit());
  EXPECT_EQ(tree.parent->Get(&tree.doc, CPDFName("FT")), ft);
  EXPECT_EQ(tree.parent->Get(&tree.doc, CPDFName("MaxLen")), maxLen);
  CPDFObjRef ref;
  EXPECT_EQ(tree.parent->Get(&tree.doc, CPDFName("DA"), &ref), da);
  EXPECT_EQ(ref.GetNumber(), 2);
  EXPECT_EQ(tree.doc.GetObj(CPDFObjRef(2, 0)), da);
  EXPECT_FALSE(kid->HasKey(CPDFName("DA")));
  EXPECT_NE(std::find(tree.doc.updated.begin(), tree.doc.updated.end(), 1), tree.doc.updated.end());
  EXPECT_NE(std::find(tree.doc.updated.begin(), tree.doc.updated.end(), 3), tree.doc.updated.end());
}

}  // namespace
