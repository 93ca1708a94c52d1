// Generated resource names at scale: each name costs a bounded number of
// lookups however many the category holds, and the names stay those of a
// search from 1 for a dictionary that only grows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ResourceTestSupport.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/TestRegistry.h"

namespace {

// A resource that counts the names it is asked to make (each candidate name
// asks for the prefix once).
class CountingResource : public TestResource {
 public:
  using TestResource::TestResource;
  const CPDFName& GetNamePrefix() override {
    ++asked;
    return TestResource::GetNamePrefix();
  }
  int asked = 0;
};

struct Names {
  TestRegistry doc;
  CPDFResDict res;
  Names() { res.SetDoc(&doc); }

  // The next generated name for a resource of the category and prefix, added
  // under it when add is set; *asked receives the names tried.
  std::string Next(uint32_t category, const char* prefix, bool add = true, int* asked = nullptr) {
    auto* r = new CountingResource(category, prefix);
    CPDFName name;
    EXPECT_TRUE(res.MakeUniqueName(name, r));
    if (asked) *asked = r->asked;
    if (add) {
      EXPECT_TRUE(res.AddResource(name, r));
    } else {
      delete r;
    }
    return name.c_str();
  }
};

TEST(ResDictNamesTest, TheTenThousandthNameCostsWhatTheFirstDid) {
  Names n;
  int most = 0;
  for (int i = 1; i <= 10000; ++i) {
    int asked = 0;
    ASSERT_EQ(n.Next(CPDFResource::kXObject, "Im", true, &asked), "Im" + std::to_string(i));
    most = std::max(most, asked);
  }
  // The prefix for the cursor, then at most the name last given (now taken)
  // and the next one.
  EXPECT_LE(most, 3);
  EXPECT_EQ(n.res.Get_XObject()->GetCount(), 10000);
}

TEST(ResDictNamesTest, NamesOfAFreshDictionaryAreTheLowestFree) {
  Names n;
  // Each category and prefix counts on its own.
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im1");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Fm"), "Fm1");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im2");
  EXPECT_EQ(n.Next(CPDFResource::kFont, "F"), "F1");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Fm"), "Fm2");
  // A name asked for and not used is given again.
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im", false), "Im3");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im", false), "Im3");
  // Names the caller lists by hand are passed over, wherever they are.
  CPDFDict* xobjects = n.res.Get_XObject();
  ASSERT_TRUE(xobjects->Set(&n.doc, "Im3", new CPDFInt(3)));
  ASSERT_TRUE(xobjects->Set(&n.doc, "Im5", new CPDFInt(5)));
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im4");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im6");
  // A removed entry frees its name for the next search, which starts at 1
  // again.
  xobjects->Remove(&n.doc, "Im2");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im2");
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im7");
  // Another category dictionary put in place: names from 1 again.
  ASSERT_TRUE(n.res.Set_XObject(new CPDFDict));
  EXPECT_EQ(n.Next(CPDFResource::kXObject, "Im"), "Im1");
  // Procedure sets have no dictionary: their first name is always free.
  std::unique_ptr<CPDFProcSet> procSet(new CPDFProcSet("PDF"));
  CPDFName name;
  EXPECT_TRUE(n.res.MakeUniqueName(name, procSet.get()));
  EXPECT_STREQ(name.c_str(), "1");
}

TEST(ResDictNamesTest, ANameIsNeverOneListedWhateverTheCallerChanged) {
  // Entries removed and added by hand between two searches: the name given
  // may then not be the lowest free one, but it is never one listed.
  Names n;
  for (int i = 0; i < 50; ++i) n.Next(CPDFResource::kPattern, "P");
  CPDFDict* patterns = n.res.Get_Pattern();
  ASSERT_NE(patterns, nullptr);
  for (int round = 0; round < 20; ++round) {
    patterns->Remove(&n.doc, ("P" + std::to_string(1 + round * 2)).c_str());
    ASSERT_TRUE(patterns->Set(&n.doc, ("P" + std::to_string(60 + round)).c_str(), new CPDFInt(0)));
    const std::string name = n.Next(CPDFResource::kPattern, "P", false);
    EXPECT_FALSE(patterns->HasKey(name.c_str())) << name;
    ASSERT_TRUE(patterns->Set(&n.doc, name.c_str(), new CPDFInt(1)));
  }
}

}  // namespace
