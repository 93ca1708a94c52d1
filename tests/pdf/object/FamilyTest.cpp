#include <gtest/gtest.h>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFObject.h"

namespace {

// A minimal concrete object whose "content" is one integer.
class Probe : public CPDFObject {
 public:
  explicit Probe(int v = 0) : CPDFObject(kNull, "Null"), value(v) {}
  void Write(CPDFOutStream&, const uint8_t*) override {}
  CPDFObject* Clone(CPDFObjRegistry*, CPDFObjRegistry*) override { return new Probe(value); }
  void ClearFlags() { SetStructureFlags(false, false, false); }
  void MarkRead() { Serialize(); }
  int value;
};

struct Trace {
  static int loads;
  static int alive;
};
int Trace::loads = 0;
int Trace::alive = 0;

class Family : public CPDFDataStruct {
 public:
  Family() : CPDFDataStruct(kFunction) { ++Trace::alive; }
  ~Family() override { --Trace::alive; }
  virtual int Which() const = 0;
};

// Accepts values >= 10; loads fail for 13.
class Low : public Family {
 public:
  static bool Check(CPDFObjRegistry*, Probe* p) { return p->value >= 10; }
  bool Load(CPDFObjRegistry* doc, Probe* p) {
    SetDoc(doc);
    ++Trace::loads;
    return p->value != 13;
  }
  int Which() const override { return 1; }
};

// Accepts values >= 0; its load throws for 99.
class High : public Family {
 public:
  static bool Check(CPDFObjRegistry*, Probe* p) { return p->value >= 0; }
  bool Load(CPDFObjRegistry*, Probe* p) {
    ++Trace::loads;
    if (p->value == 99) throw "High::Load()";
    return true;
  }
  int Which() const override { return 2; }
};

constexpr CPDFFamilyMember<Family> kMembers[] = {
    MakeFamilyMember<Family, Low, Probe>(1),
    MakeFamilyMember<Family, High, Probe>(4),
};

// The bit order is checked when a table is compiled: a table out of order,
// or with a bit listed twice, does not build.
constexpr CPDFFamilyMember<Family> kOutOfOrder[] = {
    MakeFamilyMember<Family, High, Probe>(4),
    MakeFamilyMember<Family, Low, Probe>(1),
};
constexpr CPDFFamilyMember<Family> kTwice[] = {
    MakeFamilyMember<Family, Low, Probe>(2),
    MakeFamilyMember<Family, High, Probe>(2),
};
static_assert(FamilyBitsAscending(kMembers));
static_assert(!FamilyBitsAscending(kOutOfOrder));
static_assert(!FamilyBitsAscending(kTwice));

int Create(int value, int32_t mask) {
  Probe p(value);
  Family* f = CreateFamilyMember<kMembers>(nullptr, &p, mask);
  const int which = f ? f->Which() : 0;
  delete f;
  return which;
}

TEST(FamilyFactoryTest, OrderMaskAndLoadFailure) {
  EXPECT_EQ(Create(20, -1), 1);  // lowest bit first
  EXPECT_EQ(Create(20, 4), 2);   // mask excludes the first match
  EXPECT_EQ(Create(5, 1), 0);    // mask excludes the only match
  EXPECT_EQ(Create(-5, -1), 0);  // nothing accepts
  Trace::loads = 0;
  EXPECT_EQ(Create(13, -1), 0);  // first match fails: no later member
  EXPECT_EQ(Trace::loads, 1);
  EXPECT_EQ(Create(99, 4), 0);  // a throwing load answers none
  EXPECT_EQ(Trace::alive, 0);   // every failed member was deleted
}

TEST(ObjectModelTest, FlagsAndTypes) {
  Probe p;
  EXPECT_EQ(p.GetKind(), CPDFAtom::kObject);
  EXPECT_STREQ(p.GetKindName(), "Object");
  EXPECT_FALSE(p.IsLoaded());
  EXPECT_TRUE(p.IsShared());
  EXPECT_TRUE(p.IsReleasable());
  EXPECT_TRUE(p.IsLinearizable());
  p.ClearFlags();
  p.MarkRead();
  Probe q;
  ASSERT_TRUE(p.Duplicate(&q, nullptr, nullptr, true));
  EXPECT_TRUE(q.IsLoaded());
  EXPECT_FALSE(q.IsShared());
  EXPECT_FALSE(q.IsReleasable());
  EXPECT_FALSE(q.IsLinearizable());
  EXPECT_TRUE(q.IsType(CPDFObject::kNull | CPDFObject::kBool));
  EXPECT_FALSE(q.IsType(CPDFObject::kAnyNumber));
}

}  // namespace
