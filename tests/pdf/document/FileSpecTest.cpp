// A file specification read from PDF text types the embedded files of its
// EF and RF dictionaries, and nothing else.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PeriphTestSupport.h"
#include "pdf/document/CPDFEmbedFile.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFStream.h"

namespace {

using periph::Written;

const std::string kEmbedded =
    "<< /Type /EmbeddedFile /Length 3 >> stream\r\nxyz\r\nendstream\r\nendobj";
const std::string kPlain = "<< /Length 3 >> stream\r\nabc\r\nendstream\r\nendobj";

std::string Ref(int32_t number) { return std::to_string(number) + " 0 R"; }

bool IsEmbedded(CPDFObject* object) { return dynamic_cast<CPDFEmbedFile*>(object) != nullptr; }

CPDFObject* InDict(CPDFDict* dict, CPDFObjRegistry* doc, const char* key) {
  return dict ? dict->Get(doc, CPDFName(key)) : nullptr;
}

CPDFObject* Element(CPDFDict* rf, CPDFObjRegistry* doc, const char* key, int32_t index) {
  auto* array = dynamic_cast<CPDFArray*>(InDict(rf, doc, key));
  return array ? array->Get(doc, index) : nullptr;
}

TEST(FileSpecTest, EmbeddedAndRelatedFilesAreTypedAsTheTableSays) {
  TestRegistry doc;
  const int32_t e1 = periph::Register(doc, kEmbedded);
  const int32_t e2 = periph::Register(doc, kEmbedded);
  const int32_t e3 = periph::Register(doc, kEmbedded);
  const int32_t plain = periph::Register(doc, kPlain);
  ASSERT_GT(e1, 0);
  ASSERT_GT(plain, 0);

  struct Case {
    const char* name;
    std::string text;
    bool check;
    bool load;
    std::function<void(CPDFFileSpec*)> verify;
  };
  const std::vector<Case> cases = {
      {"Type as a string", "<< /Type (Filespec) /EF << /F " + Ref(e1) + " >> >>", false, true,
       nullptr},
      {"neither EF nor RF", "<< /Type /Filespec /F (a.txt) /UF (a.txt) >>", true, true, nullptr},
      {"EF keys",
       "<< /Type /Filespec /EF << /F " + Ref(e1) + " /DOS " + Ref(plain) + " /Other " + Ref(e2) +
           " >> >>",
       true, true,
       [&](CPDFFileSpec* spec) {
         CPDFObjRef ref;
         EXPECT_TRUE(IsEmbedded(spec->Get_EF()->Get(&doc, CPDFName("F"), &ref)));
         // Typed in place: the document holds the typed stream under its number.
         EXPECT_EQ(ref.GetNumber(), e1);
         EXPECT_TRUE(IsEmbedded(doc.GetObj(ref)));
         EXPECT_FALSE(IsEmbedded(InDict(spec->Get_EF(), &doc, "DOS")));
         EXPECT_FALSE(IsEmbedded(InDict(spec->Get_EF(), &doc, "Other")));
       }},
      {"RF pairs",
       "<< /Type /Filespec /RF << /F [(a) " + Ref(e1) + " (b) " + Ref(e3) + "] /Mac [(c) << >> " +
           "(d) (e) (f) " + Ref(plain) + "] /Unix 3 /DOS (x) >> >>",
       true, true,
       [&](CPDFFileSpec* spec) {
         CPDFDict* rf = spec->Get_RF();
         EXPECT_TRUE(IsEmbedded(Element(rf, &doc, "F", 1)));
         EXPECT_TRUE(IsEmbedded(Element(rf, &doc, "F", 3)));
         EXPECT_EQ(Written(Element(rf, &doc, "F", 0)), "(a)");
         EXPECT_EQ(Written(Element(rf, &doc, "F", 2)), "(b)");
         for (int32_t i : {1, 3, 5}) EXPECT_FALSE(IsEmbedded(Element(rf, &doc, "Mac", i))) << i;
       }},
      {"RF of odd length", "<< /Type /Filespec /RF << /F [(a) " + Ref(e2) + " (b)] >> >>", true,
       false, nullptr},
      {"empty RF", "<< /Type /Filespec /RF << /F [] >> >>", true, true, nullptr},
      {"dangling RF stream", "<< /Type /Filespec /RF << /F [(a) 99 0 R] >> >>", true, false,
       nullptr},
      {"EF and RF of the wrong form", "<< /Type /Filespec /EF [1] /RF (x) >>", true, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto raw = periph::Parse(c.text, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    EXPECT_EQ(CPDFFileSpec::Check(&doc, raw.get()), c.check);
    auto spec = periph::LoadAs<CPDFFileSpec, CPDFDict>(&doc, raw.get());
    EXPECT_EQ(spec != nullptr, c.load);
    if (!spec) {
      // Given back: the source writes exactly as read.
      EXPECT_EQ(Written(raw.get()), before);
      continue;
    }
    EXPECT_EQ(Written(spec.get()), before);
    if (c.verify) c.verify(spec.get());
  }
}

// A file specification that cannot load (an RF name without its stream)
// makes the stream that holds it unreadable.
TEST(FileSpecTest, AStreamWhoseFileSpecificationFailsIsRefused) {
  TestRegistry doc;
  std::string error;
  EXPECT_EQ(periph::Parse("<< /F << /Type /Filespec /RF << /F [(a)] >> >> /Length 3 >> "
                          "stream\r\nabc\r\nendstream\r\nendobj",
                          &doc, &error),
            nullptr);
  EXPECT_NE(periph::Parse("<< /F << /Type /Filespec /RF << /F [] >> >> /Length 3 >> "
                          "stream\r\nabc\r\nendstream\r\nendobj",
                          &doc),
            nullptr);
}

}  // namespace
