// The free room of an array kept where the last insertion or removal inside
// it happened: every operation agrees with a plain vector whatever the
// order, and runs of insertions at the front or in the middle move a
// bounded number of slots each.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "pdf/object/TempArray.h"

namespace {

struct Counted {
  static int alive;
  explicit Counted(int v) : value(v) { ++alive; }
  ~Counted() { --alive; }
  int value;
};
int Counted::alive = 0;

using Owning = TempArray<Counted*, TempDeleteDispose>;

// The array's values in order, read by index and by iteration alike.
std::vector<int> Values(const Owning& a) {
  std::vector<int> byIndex;
  for (int32_t i = 0; i < a.GetCount(); ++i) byIndex.push_back(a.GetAt(i) ? a.GetAt(i)->value : -1);
  std::vector<int> byIterator;
  for (auto it = a.Begin(); !it.IsEnd(); it.Next()) {
    byIterator.push_back(*it.GetValue() ? (*it.GetValue())->value : -1);
  }
  EXPECT_EQ(byIndex, byIterator);
  return byIndex;
}

TEST(TempArrayGapTest, EveryOperationAgreesWithAVectorInAnyOrder) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    {
      Owning a;
      std::vector<int> model;
      int next = 0;
      for (int step = 0; step < 400; ++step) {
        const int32_t count = a.GetCount();
        // Positions near the front, the middle, the end, or anywhere.
        const int32_t pick[] = {0, count / 2, count, static_cast<int32_t>(rng() % (count + 1))};
        const int32_t at = pick[rng() % 4];
        switch (rng() % 9) {
          case 0:
          case 1:
          case 2:  // insert (an index past the end appends)
            ASSERT_TRUE(a.Insert(new Counted(next), at));
            model.insert(model.begin() + at, next++);
            break;
          case 3:
            ASSERT_TRUE(a.Push_Back(new Counted(next)));
            model.push_back(next++);
            break;
          case 4:  // remove one (the caller disposes)
            if (at < count) {
              delete a.GetAt(at);
              ASSERT_TRUE(a.EraseAt(at));
              model.erase(model.begin() + at);
            } else {
              EXPECT_FALSE(a.EraseAt(at));
            }
            break;
          case 5: {  // remove a run
            const int32_t n = at < count ? static_cast<int32_t>(rng() % (count - at + 1)) : 0;
            for (int32_t i = at; i < at + n; ++i) delete a.GetAt(i);
            ASSERT_TRUE(a.EraseRange(at, n));
            model.erase(model.begin() + at, model.begin() + at + n);
            break;
          }
          case 6:  // replace
            if (at < count) {
              ASSERT_TRUE(a.SetAt(at, new Counted(next)));
              model[static_cast<size_t>(at)] = next++;
            }
            break;
          case 7:  // exchange two slots
            if (count > 0) {
              const int32_t other = static_cast<int32_t>(rng() % count);
              const int32_t here = at < count ? at : 0;
              ASSERT_TRUE(a.SwapSlots(here, other));
              std::swap(model[static_cast<size_t>(here)], model[static_cast<size_t>(other)]);
            }
            break;
          case 8: {  // shrink or grow with empty slots
            const int32_t n = static_cast<int32_t>(rng() % (count + 3));
            ASSERT_TRUE(a.SetSize(n));
            model.resize(static_cast<size_t>(n), -1);
            break;
          }
        }
        ASSERT_EQ(Values(a), model) << "round " << round << ", step " << step;
        ASSERT_EQ(Counted::alive, static_cast<int>(std::count_if(model.begin(), model.end(),
                                                                 [](int v) { return v >= 0; })));
      }
      // Swapping two arrays moves their gaps with them.
      Owning b;
      a.Swap(b);
      EXPECT_EQ(a.GetCount(), 0);
      EXPECT_EQ(Values(b), model);
    }
    EXPECT_EQ(Counted::alive, 0);
  }
}

// Slots moved (including growth copies) by count insertions, each at the
// position the function gives for the count so far.
template <class Where>
int64_t MovesOf(int32_t count, Where where) {
  TempArray<int*> a;
  int slot = 0;
  const int64_t before = g_tempArraySlotsMoved;
  for (int32_t i = 0; i < count; ++i) {
    if (!a.Insert(&slot, where(a.GetCount()))) return -1;
  }
  return g_tempArraySlotsMoved - before;
}

TEST(TempArrayGapTest, InsertionsAtTheFrontOrInTheMiddleMoveAFewSlotsEach) {
  constexpr int32_t kCount = 100000;
  // Growth copies every slot a few times in all (by half the capacity at a
  // time: about twice the count); the insertions themselves add one slot
  // or none each.
  const int64_t front = MovesOf(kCount, [](int32_t) { return 0; });
  const int64_t middle = MovesOf(kCount, [](int32_t n) { return n / 2; });
  const int64_t end = MovesOf(kCount, [](int32_t n) { return n; });
  EXPECT_LE(end, 3 * int64_t{kCount});
  EXPECT_LE(front, end + kCount);
  EXPECT_LE(middle, end + kCount);
  EXPECT_LE(MovesOf(kCount, [](int32_t n) { return n / 3; }), end + kCount);
  // A front insertion after appends moves the slots once; later ones do not.
  TempArray<int*> a;
  int slot = 0;
  for (int32_t i = 0; i < 1000; ++i) ASSERT_TRUE(a.Push_Back(&slot));
  int64_t before = g_tempArraySlotsMoved;
  ASSERT_TRUE(a.Insert(nullptr, 0));
  EXPECT_EQ(g_tempArraySlotsMoved - before, 1000);
  before = g_tempArraySlotsMoved;
  for (int32_t i = 0; i < 100; ++i) ASSERT_TRUE(a.Insert(nullptr, 0));
  EXPECT_LE(g_tempArraySlotsMoved - before, 100);
  // Appending then takes the free room back to the end.
  ASSERT_TRUE(a.Push_Back(&slot));
  EXPECT_EQ(a.GetAt(0), nullptr);
  EXPECT_EQ(a.GetAt(101), &slot);
  EXPECT_EQ(a.GetAt(a.GetCount() - 1), &slot);
}

}  // namespace
