// Explicit destinations: which arrays the check accepts, and what a copy
// into another document holds (never the page itself).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/interactive/CPDFDestination.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFName.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Written;

// A destination loaded from the text, read in a document where object 3
// exists (a real document's page).
std::unique_ptr<CPDFDestination> Loaded(CPDFObjRegistry* doc, const std::string& text) {
  auto raw = periph::Parse(text, doc);
  if (!raw || !CPDFDestination::Check(doc, dynamic_cast<CPDFArray*>(raw.get()))) return nullptr;
  return periph::LoadAs<CPDFDestination, CPDFArray>(doc, raw.get());
}

TEST(DestinationTest, CheckWantsAViewNameAndItsNumbers) {
  TestDoc doc;
  const struct {
    const char* text;
    bool check;
  } cases[] = {
      {"[3 0 R /XYZ 0 792 0]", true},
      {"[3 0 R /XYZ 0 792]", false},
      {"[3 0 R /XYZ null 792 0]", false},
      {"[3 0 R /Fit]", true},
      {"[3 0 R /FitB]", true},
      {"[/Fit]", false},
      {"[3 0 R /FitR 0 0 612]", false},
      {"[3 0 R /FitR 0 0 612 792]", true},
      {"[3 0 R /FitH]", false},
      {"[3 0 R /FitV 10]", true},
      {"[3 0 R /FitBH]", false},
      {"[3 0 R /FitBH 700]", true},
      {"[3 0 R /FitBV (7)]", false},
      {"[3 0 R /Custom]", true},
      {"[3 0 R (Fit)]", false},
      {"[1 /Fit]", true},
      {"[3 0 R /Fit 1 2 3 4 5]", true},
      {"[]", false},
  };
  for (const auto& c : cases) {
    auto raw = periph::Parse(c.text, &doc);
    auto* array = dynamic_cast<CPDFArray*>(raw.get());
    ASSERT_NE(array, nullptr) << c.text;
    const std::string before = Written(array);
    EXPECT_EQ(CPDFDestination::Check(&doc, array), c.check) << c.text;
    EXPECT_EQ(Written(array), before) << c.text;
  }
  // The view's numbers may be indirect: they are resolved.
  CPDFObjRef number;
  auto value = periph::Parse("700", &doc);
  ASSERT_TRUE(doc.RegistObj(value.get(), &number));
  value.release();
  auto raw = periph::Parse("[3 0 R /FitH " + std::to_string(number.GetNumber()) + " 0 R]", &doc);
  EXPECT_TRUE(CPDFDestination::Check(&doc, dynamic_cast<CPDFArray*>(raw.get())));
}

TEST(DestinationTest, LoadTakesTheElementsOver) {
  TestDoc doc;
  auto raw = periph::Parse("[3 0 R /XYZ 0 792 0]", &doc);
  auto dest = periph::LoadAs<CPDFDestination, CPDFArray>(&doc, raw.get());
  ASSERT_NE(dest, nullptr);
  EXPECT_EQ(Written(dest.get()), "[3 0 R /XYZ 0 792 0]");
  EXPECT_EQ(Written(raw.get()), "[]");
  EXPECT_EQ(dest->GetDoc(), &doc);
}

TEST(DestinationTest, CloneLeavesThePageBehind) {
  TestDoc doc;
  const struct {
    const char* text;
    const char* cloned;
  } cases[] = {
      {"[3 0 R /FitH 700]", "[null /FitH 700]"},
      {"[0 /Fit]", "[0 /Fit]"},
      // Object 99 is missing from the document: the page is never fetched.
      {"[99 0 R /XYZ 0 792 0]", "[null /XYZ 0 792 0]"},
  };
  for (const auto& c : cases) {
    auto dest = Loaded(&doc, c.text);
    ASSERT_NE(dest, nullptr) << c.text;
    TestDoc other;
    std::unique_ptr<CPDFObject> copy(dest->Clone(&other, &doc));
    ASSERT_NE(copy, nullptr) << c.text;
    EXPECT_NE(dynamic_cast<CPDFDestination*>(copy.get()), nullptr);
    EXPECT_EQ(Written(copy.get()), c.cloned) << c.text;
    EXPECT_EQ(Written(dest.get()), c.text) << "the original is untouched";
  }
  // The copy's page is an undefined reference a caller may still set.
  auto dest = Loaded(&doc, "[3 0 R /Fit]");
  ASSERT_NE(dest, nullptr);
  TestDoc other;
  std::unique_ptr<CPDFDestination> copy(dest->Clone(&other, &doc));
  ASSERT_NE(copy, nullptr);
  CPDFObjRef page;
  copy->Get(nullptr, 0, &page);
  EXPECT_EQ(copy->GetCount(), 2);
  EXPECT_EQ(copy->GetDoc(), &other);

  CPDFDestination empty;
  EXPECT_EQ(empty.Clone(&other, &doc), nullptr);
}

// A document holding a cloned destination saves (linearised too) and
// another reader finds nothing wrong with it.
TEST(DestinationTest, ADocumentHoldingACloneSavesCleanly) {
  TempFolder folder;
  TestDoc source;
  auto dest = Loaded(&source, "[3 0 R /FitH 700]");
  ASSERT_NE(dest, nullptr);
  for (bool linear : {false, true}) {
    SCOPED_TRACE(linear ? "linearised" : "plain");
    TestDoc doc;
    std::unique_ptr<CPDFObject> copy(dest->Clone(&doc, &source));
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(doc.GetCatalog()->Set(&doc, CPDFName("OpenAction"), std::move(copy)));
    const std::string path = folder.File(linear ? "linear.pdf" : "plain.pdf");
    ASSERT_TRUE(doc.Save(path.c_str(), false, linear)) << doc.GetError().GetMessage();
    ASSERT_TRUE(doc.Flush());
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("/OpenAction [null /FitH 700]"), std::string::npos);
    EXPECT_EQ(text.find("-1 -1 R"), std::string::npos);
    std::string report;
    ASSERT_EQ(system("qpdf --version > /dev/null 2>&1"), 0)
        << "qpdf is not installed (scripts/setup.sh installs it)";
    EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
    ASSERT_EQ(system("command -v mutool > /dev/null 2>&1"), 0)
        << "mutool is not installed (scripts/setup.sh installs it)";
    std::string shown;
    if (FILE* pipe = popen(("mutool show '" + path + "' grep 2>&1").c_str(), "r")) {
      char block[512];
      size_t n;
      while ((n = fread(block, 1, sizeof block, pipe)) > 0) shown.append(block, n);
      pclose(pipe);
    }
    EXPECT_EQ(shown.find("warning"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[null/FitH 700]"), std::string::npos) << shown;
  }
}

}  // namespace
