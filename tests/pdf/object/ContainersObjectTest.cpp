#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestDoc.h"
#include "TestRegistry.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/CPDFTypedStruct.h"
#include "tests/pdf/object/WrittenText.h"

namespace {

std::string Written(CPDFObject& o) { return WrittenText(o); }

struct Parsed {
  std::unique_ptr<CPDFObject> object;
  std::string error;
  std::string errorClass;
  int32_t position = 0;
};

Parsed Parse(const std::string& text, CPDFObjRegistry* doc = nullptr) {
  Parsed p;
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()), 16);
  try {
    p.object.reset(CPDFObject::SerializeObject(doc, in, nullptr));
  } catch (CPDFException* e) {
    p.error = e->GetMessage();
    p.errorClass = e->GetClassName();
    delete e;
  }
  p.position = in.GetPosition();
  return p;
}

TEST(DictTest, ExactLayoutAndKeyOrder) {
  TestDoc doc;
  CPDFDict catalog;
  ASSERT_TRUE(catalog.Set(&doc, "Type", new CPDFName("Catalog")));
  CPDFObjRef pagesRef;
  ASSERT_TRUE(catalog.Set(&doc, "Pages", new CPDFDict, true, &pagesRef));
  ASSERT_TRUE(pagesRef.IsDefined());
  EXPECT_EQ(Written(catalog),
            "<<\r\n/Pages " + std::to_string(pagesRef.GetNumber()) + " 0 R\n/Type /Catalog\n>>");

  CPDFDict image;
  for (const char* key : {"Width", "a", "Type", "Subtype", "Length", "Height", "Filter",
                          "ColorSpace", "BitsPerComponent"}) {
    image.Set(nullptr, key, new CPDFNull);
  }
  std::string keys;
  for (auto it = image.Begin(); !it.IsEnd(); it.Next())
    keys += std::string(it.GetKey()->c_str()) + ",";
  EXPECT_EQ(keys, "BitsPerComponent,ColorSpace,Filter,Height,Length,Subtype,Type,Width,a,");
}

TEST(DictTest, GetSetRemoveWithRegistry) {
  TestDoc doc;
  CPDFDict dict;
  CPDFObjRef ref(7, 7);
  // A direct value resets the out reference.
  dict.Set(&doc, "A", new CPDFInt(1));
  EXPECT_TRUE(dict.Get(&doc, "A", &ref));
  EXPECT_FALSE(ref.IsDefined());
  EXPECT_EQ(dict.Get(&doc, "Missing", &ref), nullptr);

  auto* value = new CPDFInt(2);
  CPDFObjRef r;
  ASSERT_TRUE(dict.Set(&doc, "B", value, true, &r));
  EXPECT_EQ(dict.Get(&doc, "B"), value);
  // Without a document the reference is reported but not resolved.
  CPDFObjRef seen;
  EXPECT_EQ(dict.Get(nullptr, "B", &seen), nullptr);
  EXPECT_EQ(seen.GetNumber(), r.GetNumber());
  // Setting again under the defined reference re-registers in place.
  auto* replacement = new CPDFInt(3);
  const CPDFObjRef first = r;
  ASSERT_TRUE(dict.Set(&doc, "B", replacement, true, &r));
  EXPECT_EQ(r.GetNumber(), first.GetNumber());
  EXPECT_EQ(doc.GetObj(r), replacement);
  // The indirect flag needs a document; the value stays the caller's.
  auto* orphan = new CPDFInt(4);
  EXPECT_FALSE(dict.Set(nullptr, "C", orphan, true));
  delete orphan;
  EXPECT_FALSE(dict.Set(&doc, "C", nullptr));
  // Storing the same pointer again keeps it alive.
  CPDFObject* a = dict.Get(&doc, "A");
  ASSERT_TRUE(dict.Set(&doc, "A", a));
  EXPECT_EQ(Written(*dict.Get(&doc, "A")), "1");

  dict.Remove(&doc, "B");
  EXPECT_EQ(doc.GetObj(r), nullptr);
  dict.Remove(&doc, "Nothing");
  EXPECT_EQ(dict.GetCount(), 1);

  // RemoveKey unlinks without deleting.
  CPDFObject* taken = dict.Get(&doc, "A");
  EXPECT_EQ(dict.RemoveKey("A"), 0);
  delete taken;
}

TEST(DictTest, AFailedIndirectStoreLeavesTheDictionaryAsItWas) {
  TestRegistry doc;
  CPDFDict dict;
  ASSERT_TRUE(dict.Set(&doc, "Old", new CPDFInt(1)));
  doc.failRegist = true;
  // A new key: the slot made before the registration is taken out again.
  auto* fresh = new CPDFInt(2);
  EXPECT_FALSE(dict.Set(&doc, "New", fresh, true));
  EXPECT_TRUE(dict.Find("New").IsEnd());
  EXPECT_EQ(dict.GetCount(), 1);
  // An existing key keeps its value.
  auto* other = new CPDFInt(3);
  EXPECT_FALSE(dict.Set(&doc, "Old", other, true));
  EXPECT_EQ(Written(*dict.Get(&doc, "Old")), "1");
  // Both values are still the caller's (a double delete or a leak shows
  // under the sanitizer build).
  delete fresh;
  delete other;
  doc.failRegist = false;
  CPDFObjRef ref;
  ASSERT_TRUE(dict.Set(&doc, "New", new CPDFInt(4), true, &ref));
  EXPECT_EQ(Written(*dict.Get(&doc, "New")), "4");
}

TEST(ArrayTest, LayoutGetSetAndReferences) {
  TestDoc doc;
  CPDFArray array;
  EXPECT_EQ(Written(array), "[]");
  array.Push_Back(&doc, new CPDFInt(1));
  CPDFObjRef ref;
  array.Push_Back(&doc, new CPDFName("X"), true, &ref);
  array.Push_Back(new CPDFObjRef());   // undefined reference, written null
  array.Elements::Push_Back(nullptr);  // an empty slot
  const CPDFObjRef named = ref;
  EXPECT_EQ(Written(array), "[1 " + std::to_string(named.GetNumber()) + " 0 R null null]");
  EXPECT_EQ(array.Get(&doc, 1), doc.GetObj(ref));
  EXPECT_EQ(array.Get(&doc, 9, &ref), nullptr);
  EXPECT_FALSE(ref.IsDefined());
  auto* v = new CPDFInt(5);
  EXPECT_FALSE(array.SetAt(&doc, 4, v));
  delete v;
  ASSERT_TRUE(array.SetAt(&doc, 0, new CPDFBool(true)));
  array.Remove(&doc, 1);
  EXPECT_EQ(doc.GetObj(named), nullptr);
  EXPECT_EQ(Written(array), "[true null null]");
}

TEST(ParserTest, RoundTripsAndReferences) {
  const std::string text =
      "<< /Type /Page /Kids [1 0 R 2 (s\\(t) <00AB> [ ] << >> true null -3.5] "
      "/MediaBox [0 0 612 792] /Name /A#20B >>";
  Parsed p = Parse(text);
  ASSERT_TRUE(p.object) << p.error;
  const std::string once = Written(*p.object);
  EXPECT_EQ(once,
            "<<\r\n/Kids [1 0 R 2 (s\\(t) <00AB> [] <<\r\n>> true null -3.5]\n"
            "/MediaBox [0 0 612 792]\n/Name /A#20B\n/Type /Page\n>>");
  Parsed again = Parse(once);
  ASSERT_TRUE(again.object);
  EXPECT_EQ(Written(*again.object), once);
  EXPECT_TRUE(again.object->IsLoaded());

  Parsed twoRefs = Parse("[1 0 R 2]");
  auto* a = dynamic_cast<CPDFArray*>(twoRefs.object.get());
  ASSERT_TRUE(a);
  EXPECT_EQ(a->GetCount(), 2);
  Parsed numbers = Parse("[1 0 2]");
  a = dynamic_cast<CPDFArray*>(numbers.object.get());
  ASSERT_TRUE(a);
  EXPECT_EQ(a->GetCount(), 3);
  EXPECT_EQ(Written(*a), "[1 0 2]");
  Parsed pair = Parse("[1 0]");
  EXPECT_EQ(dynamic_cast<CPDFArray*>(pair.object.get())->GetCount(), 2);

  Parsed dup = Parse("<</A 1 /A 2>>");
  EXPECT_EQ(Written(*dup.object), "<<\r\n/A 2\n>>");
  Parsed comment = Parse("% comment\r\n12");
  EXPECT_EQ(Written(*comment.object), "12");
  Parsed hex = Parse("<414>");
  EXPECT_EQ(hex.object->GetType(), CPDFObject::kString);
  Parsed dict = Parse("<< /A 1 >> endobj");
  EXPECT_EQ(dict.object->GetType(), CPDFObject::kDictionary);
}

TEST(ParserTest, Errors) {
  Parsed p = Parse("tru");
  EXPECT_EQ(p.error, "invalidtoken: tru");
  p = Parse(")");
  EXPECT_FALSE(p.object);
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.position, 0);
  p = Parse("<< 1 2 >>");
  EXPECT_EQ(p.error, "typecheck: Number");
  EXPECT_EQ(p.errorClass, "CPDFDict");
  p = Parse("nul");
  EXPECT_EQ(p.error, "invalidtoken: nul");
  p = Parse("[1 2");
  EXPECT_EQ(p.error, "ioerror");
  EXPECT_EQ(p.errorClass, "CPDFArray");
  p = Parse("[1 ) 2]");
  EXPECT_EQ(p.error, "invalidtoken: )");
  p = Parse("<< /A >>");
  EXPECT_EQ(p.error, "invalidtoken: >");
  p = Parse("<");
  EXPECT_EQ(p.error, "ioerror");
  // Deep nesting fails cleanly instead of exhausting the stack.
  p = Parse(std::string(100000, '['));
  EXPECT_EQ(p.error, "ioerror");
  std::string ok = std::string(500, '[') + std::string(500, ']');
  p = Parse(ok);
  EXPECT_TRUE(p.object);
}

TEST(ParserTest, NamesWithALoneNumberSignStayDistinct) {
  // Two image resources whose names differ only after a '#' that is no
  // escape: both survive, and each is written back with the '#' escaped.
  Parsed p = Parse("<< /Im# 1 0 R /Im#1 2 0 R /Im#31 3 0 R /A#2 4 >>");
  auto* dict = dynamic_cast<CPDFDict*>(p.object.get());
  ASSERT_TRUE(dict) << p.error;
  EXPECT_EQ(dict->GetCount(), 4);
  EXPECT_TRUE(dict->HasKey(CPDFName("Im#")));
  EXPECT_TRUE(dict->HasKey(CPDFName("Im#1")));
  EXPECT_TRUE(dict->HasKey(CPDFName("Im1")));
  EXPECT_TRUE(dict->HasKey(CPDFName("A#2")));
  const std::string once = Written(*dict);
  EXPECT_EQ(once, "<<\r\n/A#232 4\n/Im#23 1 0 R\n/Im#231 2 0 R\n/Im1 3 0 R\n>>");
  Parsed again = Parse(once);
  ASSERT_TRUE(again.object) << again.error;
  EXPECT_EQ(Written(*again.object), once);
}

// An array that counts the growths of its storage while the parser fills it.
class CountingArray : public CPDFArray {
 public:
  bool Reserve(int32_t n) override {
    const int32_t before = GetCapacity();
    const bool ok = CPDFArray::Reserve(n);
    if (GetCapacity() != before) ++growths;
    return ok;
  }
  int32_t growths = 0;
};

TEST(ParserTest, LargeArraysAndDictionariesReadWhole) {
  // 400,000 elements, half of them references: the storage grows a few
  // dozen times, not once per ten elements.
  constexpr int kCount = 400000;
  std::string text = "[";
  for (int i = 0; i < kCount; ++i) text += i % 2 ? "0 " : std::to_string(i) + " 0 R ";
  text += "]";
  CountingArray array;
  CPDFMemInStream in;
  ASSERT_TRUE(in.Open(text.data(), static_cast<int32_t>(text.size()), 0));
  array.Serialize(nullptr, in, nullptr);
  EXPECT_EQ(array.GetCount(), kCount);
  EXPECT_LE(array.growths, 40);
  CPDFObjRef ref;
  array.Get(nullptr, 123456, &ref);
  EXPECT_EQ(ref.GetNumber(), 123456);
  EXPECT_EQ(static_cast<CPDFNumber*>(array.Get(nullptr, kCount - 1))->GetInt(), 0);

  // 100,000 keys in ascending order, as generated resource names come, and
  // the same keys again: the later value wins, the order is the keys'.
  text = "<<";
  for (int i = 1; i <= 100000; ++i) text += "/Im" + std::to_string(i) + " " + std::to_string(i);
  for (int i = 1; i <= 100000; i += 1000) text += "/Im" + std::to_string(i) + " -1";
  text += ">>";
  Parsed p = Parse(text);
  auto* dict = dynamic_cast<CPDFDict*>(p.object.get());
  ASSERT_TRUE(dict) << p.error;
  EXPECT_EQ(dict->GetCount(), 100000);
  EXPECT_EQ(static_cast<CPDFNumber*>(dict->Get(nullptr, CPDFName("Im99999")))->GetInt(), 99999);
  EXPECT_EQ(static_cast<CPDFNumber*>(dict->Get(nullptr, CPDFName("Im1001")))->GetInt(), -1);
  EXPECT_STREQ(dict->Begin().GetKey()->c_str(), "Im1");
  EXPECT_STREQ(dict->Last().GetKey()->c_str(), "Im99999");
  int32_t seen = 0;
  const CPDFName* previous = nullptr;
  for (auto it = dict->Begin(); !it.IsEnd(); it.Next(), ++seen) {
    if (previous) {
      ASSERT_TRUE(previous->IsLess(*it.GetKey()));
    }
    previous = it.GetKey();
  }
  EXPECT_EQ(seen, 100000);
}

// A typed dictionary built with the typed-structure kit; When must be a
// date, so a string that is none fails the load.
class Sample : public CPDFDataStruct, public CPDFDict {
 public:
  Sample() : CPDFDataStruct(kAppData) {}
  PDF_ACCESSOR(Count, CPDFInt)
  PDF_ACCESSOR(When, CPDFDate)
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }
  bool Load(CPDFObjRegistry* doc, CPDFDict* source) {
    return PDFLoadFrame(this, doc, source, [&] {
      return PDFTypeEntry<CPDFInt>(this, doc, Key_Count()) &&
             PDFTypeEntry<CPDFDate>(this, doc, Key_When()) && Get_When() != nullptr;
    });
  }
};

TEST(TypedTest, AccessorsLoadAndRollback) {
  TestDoc doc;
  Parsed p = Parse("<< /Count 3 /When (D:2001) /Other /X >>");
  auto* raw = dynamic_cast<CPDFDict*>(p.object.get());
  ASSERT_TRUE(raw);
  Sample s;
  ASSERT_TRUE(s.Load(&doc, raw));
  EXPECT_EQ(raw->GetCount(), 0);
  ASSERT_TRUE(s.Get_Count());
  EXPECT_EQ(s.Get_Count()->GetType(), CPDFObject::kInteger);
  EXPECT_FALSE(s.Get_Count()->IsLoaded());
  ASSERT_TRUE(s.Get_When());
  EXPECT_EQ(s.Get_When()->GetStructKind(), CPDFDataStruct::kDate);
  EXPECT_EQ(Written(s), "<<\r\n/Count 3\n/Other /X\n/When (D:2001)\n>>");

  // A raw value of another class answers none, not a bad cast.
  Sample t;
  t.SetDoc(&doc);
  t.Set(&doc, "Count", new CPDFName("NotANumber"));
  EXPECT_EQ(t.Get_Count(), nullptr);
  ASSERT_TRUE(t.Set_Count(new CPDFInt(9), true));
  EXPECT_EQ(t.Get_Count()->GetInt(), 9);

  // A failed load gives the raw dictionary its entries back.
  Parsed bad = Parse("<< /Count 3 /When (not a date) >>");
  auto* badRaw = dynamic_cast<CPDFDict*>(bad.object.get());
  Sample u;
  EXPECT_FALSE(u.Load(&doc, badRaw));
  EXPECT_EQ(badRaw->GetCount(), 2);
  EXPECT_EQ(u.GetCount(), 0);

  // GetEntry/SetEntry keep typed children under keys named by the data.
  auto* date = new CPDFDate("D:1999");
  ASSERT_TRUE(s.SetEntry("Stamp", date, true));
  EXPECT_EQ(s.GetEntryAs<CPDFDate>("Stamp"), date);
  EXPECT_EQ(s.GetEntry("Absent"), nullptr);
  EXPECT_EQ(s.GetEntry("Other"), nullptr);  // a plain name is no typed object
}

// Duplicating with shared and non-shared values and a reference cycle.
class Unshared : public CPDFDict {
 public:
  Unshared() { SetStructureFlags(false, false, false); }
};

TEST(DuplicateTest, SharedOnceSkipFlagAndCycles) {
  TestRegistry src, dst;
  CPDFDict root;
  CPDFObjRef shared;
  root.Set(&src, "A", new CPDFInt(1), true, &shared);
  root.TempDict::SetAt("B", new CPDFObjRef(shared));
  root.Set(&src, "Page", new Unshared, true);
  // A cycle: item /Next -> other, other /Next -> item.
  auto* item = new CPDFDict;
  auto* other = new CPDFDict;
  CPDFObjRef itemRef, otherRef;
  root.Set(&src, "Item", item, true, &itemRef);
  src.RegistObj(other, &otherRef);
  item->TempDict::SetAt("Next", new CPDFObjRef(otherRef));
  other->TempDict::SetAt("Next", new CPDFObjRef(itemRef));

  CPDFDict copy;
  ASSERT_TRUE(root.Duplicate(&copy, &dst, &src, true));
  CPDFObjRef a, b;
  copy.Get(&dst, "A", &a);
  copy.Get(&dst, "B", &b);
  EXPECT_TRUE(a.IsDefined());
  EXPECT_EQ(a, b);                    // two keys, one new object
  EXPECT_FALSE(copy.HasKey("Page"));  // copy flag clear: skipped
  auto* newItem = dynamic_cast<CPDFDict*>(copy.Get(&dst, "Item"));
  ASSERT_TRUE(newItem);
  auto* newOther = dynamic_cast<CPDFDict*>(newItem->Get(&dst, "Next"));
  ASSERT_TRUE(newOther);
  EXPECT_EQ(newOther->Get(&dst, "Next"), newItem);  // the cycle closed
  EXPECT_EQ(dst.objects.size(), 3u);

  // Without overwrite the destination keeps its keys.
  CPDFDict target;
  target.Set(nullptr, "A", new CPDFName("Mine"));
  ASSERT_TRUE(root.Duplicate(&target, &dst, &src, false));
  EXPECT_EQ(Written(*target.Get(&dst, "A")), "/Mine");
  EXPECT_TRUE(target.HasKey("Item"));

  // Release and Linearize walk the references.
  CPDFDict walk;
  walk.Set(&src, "X", new CPDFInt(1), true);
  ASSERT_TRUE(walk.Release(&src));
  EXPECT_EQ(src.released.size(), 1u);
  ASSERT_TRUE(walk.Linearize(&src));
  ASSERT_TRUE(walk.Linearize(&src));
  EXPECT_EQ(src.linearized.size(), 1u);  // the second walk used the map
  CPDFObjRef moved;
  walk.Get(nullptr, "X", &moved);
  EXPECT_GT(moved.GetNumber(), 100);
}

TEST(DuplicateTest, ArraysAndClones) {
  TestRegistry src, dst;
  CPDFArray arr;
  CPDFObjRef r;
  arr.Push_Back(&src, new CPDFReal(1.5f), true, &r);
  arr.Push_Back(new CPDFObjRef(r));
  arr.Push_Back(&src, new CPDFString("x"));
  std::unique_ptr<CPDFObject> clone(arr.Clone(&dst, &src));
  ASSERT_TRUE(clone);
  EXPECT_EQ(Written(*clone), "[1 0 R 1 0 R (x)]");
  EXPECT_EQ(dst.objects.size(), 1u);
  // Without a destination document the copies are direct.
  std::unique_ptr<CPDFObject> direct(arr.Clone(nullptr, &src));
  EXPECT_EQ(Written(*direct), "[1.5 1.5 (x)]");
  // Without a source document a reference cannot be followed.
  EXPECT_EQ(arr.Clone(&dst, nullptr), nullptr);
}

}  // namespace

namespace {

// Random token soup: the parser answers an object, none, or a thrown
// CPDFException*, never anything worse (checked under the sanitizers).
TEST(ParserTest, RandomInputNeverCrashes) {
  const char* pieces[] = {"<<", ">>", "[",    "]",   "(",    ")",    "<",      ">",    "/N",   "/",
                          "1",  "0",  "R",    "-.5", "true", "null", "tru",    "\\",   "%c\n", " ",
                          "\r", "#2", "(a\\", "<4",  "{",    "\x80", "stream", "1 0 R"};
  uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int n = static_cast<int>(next() % 40);
    for (int i = 0; i < n; ++i) text += pieces[next() % (sizeof pieces / sizeof *pieces)];
    CPDFMemInStream in;
    in.Open(text.data(), static_cast<int32_t>(text.size()), 8);
    try {
      std::unique_ptr<CPDFObject> o(CPDFObject::SerializeObject(nullptr, in, nullptr));
      if (o) {
        CPDFStrOutStream out;
        out.Open();
        o->Write(out, nullptr);
      }
    } catch (CPDFException* e) {
      EXPECT_EQ(e->GetCode() == 4 || e->GetCode() == 5, true) << text;
      delete e;
    }
  }
}

}  // namespace
