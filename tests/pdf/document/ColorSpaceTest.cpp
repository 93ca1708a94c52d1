#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFFunction.h"
#include "pdf/document/ResourceTestSupport.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/TestRegistry.h"

namespace {

const char kTint[] = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 0 0] /N 1 >>";

std::string Written(CPDFObject* o) { return o ? WrittenText(*o) : std::string("(none)"); }

// Registers the parsed text as indirect object n (read from a file).
void Put(TestRegistry& doc, int32_t n, const std::string& text) {
  std::unique_ptr<CPDFObject> o = ParseText(text + " ", &doc);
  ASSERT_NE(o, nullptr) << text;
  doc.objects[n] = o.release();
  if (doc.next <= n) doc.next = n + 1;
}

struct Made {
  std::unique_ptr<CPDFColorSpace> space;
  std::unique_ptr<CPDFArray> source;
};

Made Make(TestRegistry& doc, const std::string& text, int32_t mask = CPDFColorSpace::kAllFamilies) {
  Made m;
  m.source = ParseAs<CPDFArray>(text, &doc);
  if (m.source) m.space.reset(CPDFColorSpace::CreateColorSpace(&doc, m.source.get(), mask));
  return m;
}

TEST(ColorSpaceTest, EveryFamilyLoadsAndWritesBackUnchanged) {
  const std::string cal = "<< /WhitePoint [0.9505 1 1.089] /Gamma 2.2 >>";
  struct Case {
    std::string text;
    int32_t family;
  };
  const Case cases[] = {
      {"[/DeviceGray]", CPDFColorSpace::kDeviceGray},
      {"[/DeviceRGB]", CPDFColorSpace::kDeviceRGB},
      {"[/DeviceCMYK]", CPDFColorSpace::kDeviceCMYK},
      {"[/CalGray " + cal + "]", CPDFColorSpace::kCalGray},
      {"[/CalRGB " + cal + "]", CPDFColorSpace::kCalRGB},
      {"[/Lab << /WhitePoint [0.9 1 1] /Range [-100 100 -100 100] >>]", CPDFColorSpace::kLab},
      {std::string("[/Separation /Spot /DeviceCMYK ") + kTint + "]", CPDFColorSpace::kSeparation},
      {std::string("[/Separation /Spot [/CalRGB ") + cal + "] " + kTint + "]",
       CPDFColorSpace::kSeparation},
      {std::string("[/DeviceN [/Cyan /Spot] /DeviceCMYK ") + kTint + "]", CPDFColorSpace::kDeviceN},
      {std::string("[/DeviceN [/Spot] /DeviceCMYK ") + kTint +
           " << /Colorants << /Spot [/Separation /Spot /DeviceCMYK " + kTint + "] >> >>]",
       CPDFColorSpace::kDeviceN},
      {"[/Indexed /DeviceRGB 1 <FF000000FF00>]", CPDFColorSpace::kIndexed},
      {"[/Indexed [/CalRGB " + cal + "] 255.0 (abc)]", CPDFColorSpace::kIndexed},
      {"[/Pattern]", CPDFColorSpace::kPattern},
      {"[/Pattern /DeviceRGB]", CPDFColorSpace::kPattern},
      {"[/Pattern [/Indexed /DeviceGray 3 (abcd)]]", CPDFColorSpace::kPattern},
  };
  for (const Case& c : cases) {
    TestRegistry doc;
    const std::string raw = Written(ParseText(c.text, &doc).get());
    Made m = Make(doc, c.text);
    ASSERT_NE(m.space, nullptr) << c.text;
    EXPECT_EQ(m.space->GetFamily(), c.family) << c.text;
    EXPECT_EQ(Written(m.space.get()), raw) << c.text;
    EXPECT_EQ(m.source->GetCount(), 0) << "the source's elements are taken over";
    EXPECT_EQ(m.space->GetDoc(), &doc);
    EXPECT_FALSE(m.space->IsLoaded());

    // A clone is of the same family and writes the same text.
    std::unique_ptr<CPDFColorSpace> copy(m.space->Clone(&doc, &doc));
    ASSERT_NE(copy, nullptr) << c.text;
    EXPECT_EQ(copy->GetFamily(), c.family);
    EXPECT_EQ(Written(copy.get()), raw);
    // The object slot reaches the same Clone.
    std::unique_ptr<CPDFObject> viaObject(
        static_cast<CPDFArray*>(m.space.get())->Clone(&doc, &doc));
    EXPECT_NE(dynamic_cast<CPDFColorSpace*>(viaObject.get()), nullptr);
  }
}

TEST(ColorSpaceTest, ElementsBecomeTyped) {
  TestRegistry doc;
  Made indexed = Make(doc, "[/Indexed [/CalRGB << /WhitePoint [1 1 1] >>] 255 (x)]");
  auto* ix = dynamic_cast<CPDFIndexedCS*>(indexed.space.get());
  ASSERT_NE(ix, nullptr);
  EXPECT_NE(dynamic_cast<CPDFCalRGBCS*>(ix->Get_Base()), nullptr);
  ASSERT_NE(ix->Get_HiVal(), nullptr);
  EXPECT_EQ(ix->Get_HiVal()->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(static_cast<CPDFInt*>(ix->Get_HiVal())->GetInt(), 255);

  // Pattern over a name keeps the name; over an array makes a colour space.
  Made named = Make(doc, "[/Pattern /DeviceRGB]");
  auto* pn = dynamic_cast<CPDFPatternCS*>(named.space.get());
  ASSERT_NE(pn, nullptr);
  EXPECT_EQ(pn->Get_Base()->GetType(), CPDFObject::kName);
  Made typed = Make(doc, "[/Pattern [/DeviceCMYK]]");
  auto* pt = dynamic_cast<CPDFPatternCS*>(typed.space.get());
  ASSERT_NE(pt, nullptr);
  EXPECT_NE(dynamic_cast<CPDFDevCMYKCS*>(pt->Get_Base()), nullptr);
  Made bare = Make(doc, "[/Pattern]");
  ASSERT_NE(bare.space, nullptr);
  EXPECT_EQ(static_cast<CPDFPatternCS*>(bare.space.get())->Get_Base(), nullptr);

  // Separation: the alternate array becomes a colour space, the tint
  // transform a function; one that no function type accepts stays raw.
  Made sep = Make(doc, std::string("[/Separation /Spot [/DeviceCMYK] ") + kTint + "]");
  auto* ss = dynamic_cast<CPDFSeparationCS*>(sep.space.get());
  ASSERT_NE(ss, nullptr);
  EXPECT_NE(dynamic_cast<CPDFDevCMYKCS*>(ss->Get_Alternate()), nullptr);
  EXPECT_NE(dynamic_cast<CPDFType2Func*>(ss->Get_TintTransform()), nullptr);
  Made rawTint = Make(doc, "[/Separation /Spot /DeviceCMYK << /Domain [0 1] /FunctionType 7 >>]");
  auto* os = dynamic_cast<CPDFSeparationCS*>(rawTint.space.get());
  ASSERT_NE(os, nullptr);
  ASSERT_NE(os->Get_TintTransform(), nullptr);
  EXPECT_EQ(dynamic_cast<CPDFFunction*>(os->Get_TintTransform()), nullptr);
  EXPECT_EQ(os->Get_TintTransform()->GetType(), CPDFObject::kDictionary);

  // DeviceN attributes, with a Separation colourant.
  Made devn = Make(doc, std::string("[/DeviceN [/Spot] /DeviceCMYK ") + kTint +
                            " << /Colorants << /Spot [/Separation /Spot /DeviceCMYK " + kTint +
                            "] /Odd [/DeviceRGB] >> >>]");
  auto* dn = dynamic_cast<CPDFDeviceNCS*>(devn.space.get());
  ASSERT_NE(dn, nullptr);
  CPDFColorDict* attributes = dn->Get_Attributes();
  ASSERT_NE(attributes, nullptr);
  CPDFDict* colorants = attributes->Get_Colorants();
  ASSERT_NE(colorants, nullptr);
  EXPECT_NE(dynamic_cast<CPDFSeparationCS*>(colorants->Get(&doc, CPDFName("Spot"))), nullptr);
  // Only Separation is allowed among the colourants: the other stays raw.
  CPDFObject* odd = colorants->Get(&doc, CPDFName("Odd"));
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(odd), nullptr);
  EXPECT_TRUE(odd->IsLoaded());

  // Attributes that fail the check stay the dictionary that was read.
  Made plain =
      Make(doc, std::string("[/DeviceN [/Spot] /DeviceCMYK ") + kTint + " << /Process << >> >>]");
  auto* pl = dynamic_cast<CPDFDeviceNCS*>(plain.space.get());
  ASSERT_NE(pl, nullptr);
  EXPECT_EQ(pl->Get_Attributes(), nullptr);
}

TEST(ColorSpaceTest, FactoryRefusals) {
  TestRegistry doc;
  const std::string cal = "<< /WhitePoint [1 1 1] >>";
  // Nothing accepts these.
  for (const std::string& text : {
           std::string("[/CalRGB << /Gamma [2.2 2.2 2.2] >>]"), std::string("[/CalGray [1 1 1]]"),
           std::string("[/Lab]"), std::string("[]"), std::string("[(DeviceRGB)]"),
           std::string("[/Unknown]"),
           std::string("[/Separation /Spot /DeviceCMYK]"),  // no tint transform
           std::string("[/Separation (Spot) /DeviceCMYK << >>]"),
           std::string("[/Separation /Spot 5 << >>]"),
           std::string("[/DeviceN /Spot /DeviceCMYK << >>]"),
           std::string("[/DeviceN [/Spot] /DeviceCMYK << >> [/x]]"),
           std::string("[/Indexed /DeviceRGB (1) (abc)]"), std::string("[/Indexed /DeviceRGB 1 2]"),
           std::string("[/Indexed /DeviceRGB 1]"),
           std::string("[/ICCBased << /N 3 >>]"),  // a dictionary, not a stream
       }) {
    Made m = Make(doc, text);
    ASSERT_NE(m.source, nullptr) << text;
    EXPECT_EQ(m.space, nullptr) << text;
    // A refused array keeps what it held.
    EXPECT_EQ(Written(m.source.get()), Written(ParseText(text, &doc).get())) << text;
  }

  // Not an array, or no object at all.
  std::unique_ptr<CPDFObject> name = ParseText("/DeviceRGB", &doc);
  EXPECT_EQ(CPDFColorSpace::CreateColorSpace(&doc, name.get(), -1), nullptr);
  EXPECT_EQ(CPDFColorSpace::CreateColorSpace(&doc, nullptr, -1), nullptr);

  // The mask.
  EXPECT_EQ(Make(doc, "[/DeviceRGB]", 0).space, nullptr);
  EXPECT_EQ(Make(doc, "[/DeviceRGB]", CPDFColorSpace::kPattern).space, nullptr);
  EXPECT_NE(Make(doc, "[/Pattern]", CPDFColorSpace::kPattern).space, nullptr);
  EXPECT_EQ(Make(doc, "[/Pattern]", CPDFColorSpace::kAllButPattern).space, nullptr);
  EXPECT_NE(Make(doc, "[/CalRGB " + cal + "]", CPDFColorSpace::kCalRGB).space, nullptr);

  // The base of an Indexed space may not be Indexed: it stays raw.
  Made nested = Make(doc, "[/Indexed [/Indexed /DeviceRGB 1 (abcdef)] 0 (a)]");
  auto* ix = dynamic_cast<CPDFIndexedCS*>(nested.space.get());
  ASSERT_NE(ix, nullptr);
  CPDFObject* base = ix->Get_Base();
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(base), nullptr);
  EXPECT_EQ(Written(base), "[/Indexed /DeviceRGB 1 (abcdef)]");
  // Nor may a Separation alternate be Separation.
  Made sepAlt = Make(doc, std::string("[/Separation /A [/Separation /B /DeviceGray ") + kTint +
                              "] " + kTint + "]");
  auto* sa = dynamic_cast<CPDFSeparationCS*>(sepAlt.space.get());
  ASSERT_NE(sa, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(sa->Get_Alternate()), nullptr);
}

TEST(ColorSpaceTest, IndirectElements) {
  TestRegistry doc;
  // Element 0 through a reference; an indirect base stays indirect and the
  // document's object becomes the typed colour space.
  Put(doc, 5, "/Indexed");
  Put(doc, 7, "[/DeviceRGB]");
  Put(doc, 8, "3");
  const std::string text = "[5 0 R 7 0 R 8 0 R (abcdefghijkl)]";
  Made m = Make(doc, text);
  auto* ix = dynamic_cast<CPDFIndexedCS*>(m.space.get());
  ASSERT_NE(ix, nullptr);
  EXPECT_EQ(Written(ix), text);
  EXPECT_NE(dynamic_cast<CPDFDevRGBCS*>(doc.objects[7]), nullptr);
  EXPECT_EQ(doc.objects[8]->GetType(), CPDFObject::kInteger);
  CPDFObjRef ref;
  EXPECT_EQ(ix->Get_Base(&ref), doc.objects[7]);
  EXPECT_EQ(ref.GetNumber(), 7);

  // A base that refers back to the colour space itself ends without a loop.
  Put(doc, 9, "[/Indexed 9 0 R 1 (abcdef)]");
  std::unique_ptr<CPDFColorSpace> self(CPDFColorSpace::CreateColorSpace(&doc, doc.objects[9], -1));
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(Written(self.get()), "[/Indexed 9 0 R 1 (abcdef)]");

  // A dangling base is refused.
  EXPECT_EQ(Make(doc, "[/Indexed 77 0 R 1 (abc)]").space, nullptr);
}

TEST(ColorSpaceTest, FailedLoadGivesElementsBack) {
  TestRegistry doc;
  Put(doc, 7, "[/DeviceRGB]");
  const std::string text = "[/Indexed 7 0 R 1 (abcdef)]";
  std::unique_ptr<CPDFArray> source = ParseAs<CPDFArray>(text, &doc);
  ASSERT_NE(source, nullptr);
  // The converted base cannot be stored back under its reference.
  doc.failRegist = true;
  EXPECT_EQ(CPDFColorSpace::CreateColorSpace(&doc, source.get(), -1), nullptr);
  EXPECT_EQ(Written(source.get()), text);
  EXPECT_EQ(Written(doc.objects[7]), "[/DeviceRGB]");
  EXPECT_TRUE(doc.objects[7]->IsLoaded());
}

TEST(ColorSpaceTest, TintTransformThatCannotBeStoredIsGivenBack) {
  TestRegistry doc;
  const std::string tint = "<< /FunctionType 4 /Domain [0 1] /Range [0 1] /Length 5 >>";
  const std::string text = "[/Separation /Spot /DeviceGray 7 0 R]";
  Put(doc, 7, tint + "stream\r\n{dup}\nendstream\nendobj");
  std::unique_ptr<CPDFArray> source = ParseAs<CPDFArray>(text, &doc);
  ASSERT_NE(source, nullptr);
  doc.failRegist = true;
  EXPECT_EQ(CPDFColorSpace::CreateColorSpace(&doc, source.get(), -1), nullptr);
  EXPECT_EQ(Written(source.get()), text);
  auto* raw = dynamic_cast<CPDFStream*>(doc.objects[7]);
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFFunction*>(raw), nullptr);
  EXPECT_TRUE(raw->IsLoaded());
  EXPECT_NE(Written(raw).find("/FunctionType 4"), std::string::npos);
  EXPECT_NE(Written(raw).find("{dup}"), std::string::npos);

  // Stored, an indirect tint transform becomes a function in place.
  doc.failRegist = false;
  Put(doc, 8, tint + "stream\r\n{dup}\nendstream\nendobj");
  Made made = Make(doc, "[/Separation /Spot /DeviceGray 8 0 R]");
  ASSERT_NE(made.space, nullptr);
  EXPECT_NE(dynamic_cast<CPDFType4Func*>(doc.objects[8]), nullptr);
  EXPECT_EQ(Written(made.space.get()), "[/Separation /Spot /DeviceGray 8 0 R]");
}

TEST(ColorSpaceTest, ResourceSideAndElementSetters) {
  TestRegistry doc;
  Made m = Make(doc, "[/DeviceGray]");
  ASSERT_NE(m.space, nullptr);
  CPDFColorSpace& cs = *m.space;
  EXPECT_EQ(cs.GetCategory(), CPDFResource::kColorSpace);
  EXPECT_STREQ(cs.GetNamePrefix().c_str(), "CS");
  EXPECT_STREQ(cs.GetCategoryName().c_str(), "ColorSpace");
  EXPECT_STREQ(cs.GetFamilyName(), "DeviceGray");
  CPDFName name;
  cs.MakeName(4, name);
  EXPECT_STREQ(name.c_str(), "CS4");
  EXPECT_EQ(cs.GetPDFObject(), static_cast<CPDFObject*>(static_cast<CPDFArray*>(&cs)));
  EXPECT_EQ(cs.GetStructKind(), CPDFDataStruct::kResource);

  // Elements are set in order: a setter never leaves a gap.
  CPDFIndexedCS ix;
  EXPECT_TRUE(ix.Create(&doc));
  EXPECT_FALSE(ix.Create(&doc));  // only once, on an empty array
  auto* hival = new CPDFInt(1);
  EXPECT_FALSE(ix.Set_HiVal(hival));
  EXPECT_TRUE(ix.Set_Base(new CPDFName("DeviceGray")));
  EXPECT_TRUE(ix.Set_HiVal(hival));
  EXPECT_TRUE(ix.Set_Lookup(new CPDFString("ab")));
  EXPECT_TRUE(ix.Set_Base(new CPDFName("DeviceRGB")));  // replaces
  EXPECT_EQ(Written(&ix), "[/Indexed /DeviceRGB 1 (ab)]");
}

TEST(ColorSpaceTest, ColorDictCheckAndLoad) {
  TestRegistry doc;
  const std::string sep = std::string("[/Separation /Spot /DeviceCMYK ") + kTint + "]";
  Put(doc, 4, sep);
  std::unique_ptr<CPDFDict> good =
      ParseAs<CPDFDict>("<< /Colorants << /Spot 4 0 R /Other " + sep + " >> /X 1 >>", &doc);
  ASSERT_NE(good, nullptr);
  EXPECT_TRUE(CPDFColorDict::Check(&doc, good.get()));
  CPDFColorDict attributes;
  ASSERT_TRUE(attributes.Load(&doc, good.get()));
  EXPECT_EQ(attributes.GetStructKind(), CPDFDataStruct::kColorDict);
  EXPECT_NE(dynamic_cast<CPDFSeparationCS*>(doc.objects[4]), nullptr);  // indirect stays so
  CPDFObjRef ref;
  EXPECT_EQ(attributes.Get_Colorants()->Get(&doc, CPDFName("Spot"), &ref), doc.objects[4]);
  EXPECT_EQ(ref.GetNumber(), 4);
  EXPECT_NE(
      dynamic_cast<CPDFSeparationCS*>(attributes.Get_Colorants()->Get(&doc, CPDFName("Other"))),
      nullptr);
  std::unique_ptr<CPDFColorDict> copy(attributes.Clone(&doc, &doc));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(Written(copy.get()).find("/Separation"), std::string::npos);

  for (const char* bad :
       {"<< /X 1 >>", "<< /Colorants [/Spot] >>", "<< /Colorants << /Spot /DeviceRGB >> >>",
        "<< /Colorants << /Spot 99 0 R >> >>"}) {
    std::unique_ptr<CPDFDict> dict = ParseAs<CPDFDict>(bad, &doc);
    ASSERT_NE(dict, nullptr) << bad;
    EXPECT_FALSE(CPDFColorDict::Check(&doc, dict.get())) << bad;
  }
  // Without Colorants, or with one that cannot be got, the load fails and
  // the entries go back.
  for (const char* bad : {"<< /X 1 >>", "<< /Colorants << /Spot 99 0 R >> >>"}) {
    std::unique_ptr<CPDFDict> dict = ParseAs<CPDFDict>(bad, &doc);
    const std::string before = Written(dict.get());
    CPDFColorDict failed;
    EXPECT_FALSE(failed.Load(&doc, dict.get())) << bad;
    EXPECT_EQ(Written(dict.get()), before);
  }
}

// A profile stream as a file holds it.
std::string Profile(const std::string& extra) {
  return "<< /N 3 /Length 4" + extra + " >>\nstream\nabcd\nendstream\nendobj";
}

TEST(ColorSpaceTest, ICCBasedStreams) {
  TestRegistry doc;
  Put(doc, 5, Profile(" /Alternate /DeviceRGB"));
  Put(doc, 6, Profile(" /Alternate [/CalRGB << /WhitePoint [1 1 1] >>]"));
  Put(doc, 7, Profile(" /Alternate [/Pattern]"));
  Put(doc, 8, "<< /N 3 /Length 0 >>\nstream\n\nendstream\nendobj");
  Put(doc, 9, "<< /N 11 0 R /Length 0 >>\nstream\n\nendstream\nendobj");
  Put(doc, 10, "<< /Length 0 >>\nstream\n\nendstream\nendobj");
  Put(doc, 11, "4");

  const std::string before = Written(doc.objects[5]);
  Made plain = Make(doc, "[/ICCBased 5 0 R]");
  auto* icc = dynamic_cast<CPDFICCBasedCS*>(plain.space.get());
  ASSERT_NE(icc, nullptr);
  EXPECT_EQ(Written(icc), "[/ICCBased 5 0 R]");
  EXPECT_EQ(Written(doc.objects[5]), before);  // the profile writes back unchanged
  ASSERT_NE(icc->Get_N(), nullptr);
  EXPECT_EQ(icc->Get_N()->GetType(), CPDFObject::kInteger);
  EXPECT_EQ(icc->Get_Alternate()->GetType(), CPDFObject::kName);
  EXPECT_EQ(icc->Get_Stream(), doc.objects[5]);

  Made cal = Make(doc, "[/ICCBased 6 0 R]");
  auto* withCal = dynamic_cast<CPDFICCBasedCS*>(cal.space.get());
  ASSERT_NE(withCal, nullptr);
  EXPECT_NE(dynamic_cast<CPDFCalRGBCS*>(withCal->Get_Alternate()), nullptr);

  // The alternate may not be a Pattern space: it stays raw.
  Made pattern = Make(doc, "[/ICCBased 7 0 R]");
  auto* withPattern = dynamic_cast<CPDFICCBasedCS*>(pattern.space.get());
  ASSERT_NE(withPattern, nullptr);
  EXPECT_EQ(dynamic_cast<CPDFColorSpace*>(withPattern->Get_Alternate()), nullptr);

  // No Alternate at all is fine; an N behind a reference is converted in
  // the document.
  EXPECT_NE(Make(doc, "[/ICCBased 8 0 R]").space, nullptr);
  Made indirectN = Make(doc, "[/ICCBased 9 0 R]");
  ASSERT_NE(indirectN.space, nullptr);
  EXPECT_EQ(doc.objects[11]->GetType(), CPDFObject::kInteger);
  EXPECT_NE(Written(doc.objects[9]).find("/N 11 0 R"), std::string::npos);

  // Refused: no N, no stream.
  EXPECT_EQ(Make(doc, "[/ICCBased 10 0 R]").space, nullptr);
  EXPECT_EQ(Make(doc, "[/ICCBased]").space, nullptr);

  // The accessors answer none and false without the stream.
  CPDFICCBasedCS empty;
  EXPECT_EQ(empty.Get_N(), nullptr);
  EXPECT_EQ(empty.Get_Alternate(), nullptr);
  CPDFInt n(3);
  EXPECT_FALSE(empty.Set_N(&n));
}

TEST(ColorSpaceTest, LoopsAndLongChainsEnd) {
  // A chain of profiles, each naming the next as its alternate: the
  // factory nests only so deep, and the rest stays as read.
  TestRegistry doc;
  const int32_t kChain = 3 * CPDFColorSpace::kMaxDepth;
  for (int32_t i = 1; i <= kChain; ++i) {
    const std::string alternate =
        i < kChain ? " /Alternate [/ICCBased " + std::to_string(i + 1) + " 0 R]" : "";
    Put(doc, i, Profile(alternate));
  }
  Made chain = Make(doc, "[/ICCBased 1 0 R]");
  ASSERT_NE(chain.space, nullptr);
  int32_t typed = 0;
  for (CPDFObject* at = chain.space.get(); auto* cs = dynamic_cast<CPDFICCBasedCS*>(at);) {
    at = cs->Get_Alternate();
    if (dynamic_cast<CPDFICCBasedCS*>(at)) ++typed;
  }
  EXPECT_EQ(typed, CPDFColorSpace::kMaxDepth - 1);

  // Loops through references: a profile whose alternate uses the profile
  // again, and a Separation whose alternate leads back to itself.
  TestRegistry loop;
  Put(loop, 5, Profile(" /Alternate [/ICCBased 5 0 R]"));
  Made self = Make(loop, "[/ICCBased 5 0 R]");
  EXPECT_NE(self.space, nullptr);
  Put(loop, 6, Profile(" /Alternate 9 0 R"));
  Put(loop, 9, std::string("[/Separation /S [/ICCBased 6 0 R] ") + kTint + "]");
  std::unique_ptr<CPDFColorSpace> sep(CPDFColorSpace::CreateColorSpace(&loop, loop.objects[9], -1));
  EXPECT_NE(sep, nullptr);
}

TEST(ColorSpaceTest, IndexedBuild) {
  TestRegistry doc;
  auto lookup = std::make_unique<CPDFStream>();
  lookup->SetData("\xff\x00\x00\x00\x00\xff", 6);
  CPDFIndexedCS cs;
  ASSERT_TRUE(cs.Build(&doc, CPDFName("DeviceRGB"), CPDFInt(1), lookup.get()));
  CPDFStream* stored = lookup.release();  // the document's now
  EXPECT_EQ(Written(&cs), "[/Indexed /DeviceRGB 1 1 0 R]");
  EXPECT_EQ(doc.objects[1], stored);
  EXPECT_EQ(cs.GetDoc(), &doc);
  EXPECT_EQ(cs.Get_HiVal()->GetType(), CPDFObject::kInteger);
  // Only once on one object.
  auto second = std::make_unique<CPDFStream>();
  EXPECT_FALSE(cs.Build(&doc, CPDFName("DeviceRGB"), CPDFInt(1), second.get()));
  EXPECT_EQ(doc.objects.size(), 1u);

  // Written and read back, it loads as an Indexed space over the stream.
  std::unique_ptr<CPDFArray> parsed = ParseAs<CPDFArray>(Written(&cs), &doc);
  ASSERT_NE(parsed, nullptr);
  std::unique_ptr<CPDFColorSpace> loaded(CPDFColorSpace::CreateColorSpace(&doc, parsed.get(), -1));
  ASSERT_NE(dynamic_cast<CPDFIndexedCS*>(loaded.get()), nullptr);
  EXPECT_EQ(Written(loaded.get()), "[/Indexed /DeviceRGB 1 1 0 R]");

  // A deep copy: the lookup stream is copied and registered too.
  std::unique_ptr<CPDFIndexedCS> copy(cs.Clone(&doc, &doc));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Written(copy.get()), "[/Indexed /DeviceRGB 1 2 0 R]");
  EXPECT_EQ(Written(doc.objects[2]), Written(stored));

  // When the document cannot take the stream, the caller keeps it.
  TestRegistry full;
  full.failRegist = true;
  CPDFIndexedCS refused;
  auto kept = std::make_unique<CPDFStream>();
  EXPECT_FALSE(refused.Build(&full, CPDFName("DeviceGray"), CPDFInt(0), kept.get()));
  EXPECT_TRUE(full.objects.empty());
  CPDFIndexedCS none;
  EXPECT_FALSE(none.Build(&doc, CPDFName("DeviceRGB"), CPDFInt(1), nullptr));
}

}  // namespace
