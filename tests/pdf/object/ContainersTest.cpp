#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pdf/object/CPDFObjRefDict.h"
#include "pdf/object/TempArray.h"
#include "pdf/object/TempDict.h"
#include "pdf/object/TempHugeString.h"
#include "pdf/object/TempList.h"
#include "pdf/object/TempString.h"

namespace {

TEST(TempStringTest, GrowthRules) {
  TempString s;
  ASSERT_TRUE(s.Assign("abcde"));
  EXPECT_EQ(s.GetCapacity(), 10);
  ASSERT_TRUE(s.Append("fghijk"));  // 11 bytes
  EXPECT_EQ(s.GetLength(), 11);
  EXPECT_EQ(s.GetCapacity(), 100);
  EXPECT_STREQ(s.c_str(), "abcdefghijk");

  std::string big(150, 'x');
  TempString t;
  ASSERT_TRUE(t.Assign(big.c_str(), 150));
  EXPECT_EQ(t.GetCapacity(), 151);
  ASSERT_TRUE(t.Append("y"));
  EXPECT_EQ(t.GetCapacity(), 200);

  // Assign frees first: the next reservation is a first allocation again.
  ASSERT_TRUE(t.Assign("abc"));
  EXPECT_EQ(t.GetCapacity(), 10);
}

TEST(TempStringTest, EditingAndComparison) {
  TempString s("hello");
  ASSERT_TRUE(s.Insert(0, "> "));
  ASSERT_TRUE(s.Insert(-1, "!"));
  ASSERT_TRUE(s.Insert(99, "?"));
  EXPECT_STREQ(s.c_str(), "> hello!?");
  ASSERT_TRUE(s.Append(3, '.'));
  EXPECT_STREQ(s.c_str(), "> hello!?...");
  // Appending and assigning from its own bytes.
  ASSERT_TRUE(s.Append(s.c_str(), 2));
  EXPECT_STREQ(s.c_str(), "> hello!?...> ");
  ASSERT_TRUE(s.Assign(s.c_str() + 2, 5));
  EXPECT_STREQ(s.c_str(), "hello");
  ASSERT_TRUE(s.Fill(4, 'z'));
  EXPECT_STREQ(s.c_str(), "zzzz");
  ASSERT_TRUE(s.Fill(0, 'z'));
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_STREQ(s.c_str(), "");

  TempString withNul("a\0b", 3);
  EXPECT_EQ(withNul.GetLength(), 3);
  TempString plain("a");
  EXPECT_TRUE(plain.IsLess(withNul));  // length-aware: a NUL inside counts
  EXPECT_TRUE(withNul.IsNotEqual(plain));
  EXPECT_TRUE(TempString("B").IsLess(TempString("a")));  // unsigned bytes
  EXPECT_TRUE(TempString("a").IsLess(TempString("\xE0")));
  EXPECT_TRUE(TempString().IsEqual(""));
}

TEST(TempStringTest, FormatNeverTruncates) {
  std::string longText(5000, 'q');
  TempString s;
  ASSERT_TRUE(s.Format("[%s|%d]", longText.c_str(), 42));
  EXPECT_EQ(s.GetLength(), 5000 + 5);
  EXPECT_EQ(std::string(s.c_str()), "[" + longText + "|42]");
}

TEST(TempStringTest, SetLength) {
  TempString s("abc");
  ASSERT_TRUE(s.SetLength(20));
  EXPECT_EQ(s.GetLength(), 20);
  EXPECT_EQ(s.c_str()[20], '\0');
  EXPECT_FALSE(s.SetLength(-1));
}

TEST(TempHugeStringTest, GrowsInPagesOnTheHeap) {
  TempHugeString h;
  ASSERT_TRUE(h.Assign("abc"));
  EXPECT_EQ(h.GetCapacity(), 10);
  ASSERT_TRUE(h.Append(20, 'x'));
  EXPECT_EQ(h.GetCapacity(), 4096);
  ASSERT_TRUE(h.Append(5000, 'y'));
  EXPECT_EQ(h.GetCapacity(), 8192);
  EXPECT_EQ(h.GetLength(), 5023);
  EXPECT_TRUE(h.Reserve(40960));
  EXPECT_EQ(h.GetCapacity(), 40960);
  ASSERT_TRUE(h.Append(40000, 'z'));
  EXPECT_EQ(h.GetLength(), 45023);
  EXPECT_EQ(h.c_str()[45022], 'z');
  EXPECT_EQ(h.c_str()[3], 'x');
}

struct Counted {
  static int alive;
  explicit Counted(int v) : value(v) { ++alive; }
  ~Counted() { --alive; }
  int value;
};
int Counted::alive = 0;

using OwningArray = TempArray<Counted*, TempDeleteDispose>;

TEST(TempArrayTest, GrowthAndDisposal) {
  {
    OwningArray a;
    ASSERT_TRUE(a.Push_Back(new Counted(0)));
    EXPECT_EQ(a.GetCapacity(), 10);
    for (int i = 1; i < 10; ++i) ASSERT_TRUE(a.Push_Back(new Counted(i)));
    EXPECT_EQ(a.GetCapacity(), 10);
    ASSERT_TRUE(a.Push_Back(new Counted(10)));
    EXPECT_EQ(a.GetCapacity(), 20);
    EXPECT_EQ(Counted::alive, 11);

    // Storing the pointer a slot already holds must not free it.
    Counted* same = a.GetAt(3);
    ASSERT_TRUE(a.SetAt(3, same));
    EXPECT_EQ(a.GetAt(3)->value, 3);
    EXPECT_EQ(Counted::alive, 11);
    ASSERT_TRUE(a.SetAt(3, new Counted(33)));
    EXPECT_EQ(Counted::alive, 11);
    Counted* refused = new Counted(0);
    EXPECT_FALSE(a.SetAt(11, refused));  // out of range: stays the caller's
    delete refused;
    ASSERT_TRUE(a.SetSize(5));
    EXPECT_EQ(Counted::alive, 5);
    ASSERT_TRUE(a.SetSize(7));
    EXPECT_EQ(a.GetAt(6), nullptr);
    // Out-of-range insert appends.
    ASSERT_TRUE(a.Insert(new Counted(99), 100));
    EXPECT_EQ(a.GetAt(7)->value, 99);
    ASSERT_TRUE(a.Insert(new Counted(-1), 0));
    EXPECT_EQ(a.GetAt(0)->value, -1);
    EXPECT_EQ(a.GetAt(1)->value, 0);
    // Erase does not dispose: the caller deletes first.
    Counted* first = a.GetAt(0);
    auto it = a.Erase(a.Begin());
    delete first;
    EXPECT_EQ(*it.GetValue(), a.GetAt(0));
    EXPECT_EQ(a.GetCount(), 8);
  }
  EXPECT_EQ(Counted::alive, 0);
}

TEST(TempArrayTest, IterationAndSwap) {
  TempArray<int*> a;
  int x[3] = {1, 2, 3};
  for (int& v : x) a.Push_Back(&v);
  int sum = 0;
  for (auto it = a.Begin(); !it.IsEnd(); it.Next()) sum += **it.GetValue();
  EXPECT_EQ(sum, 6);
  TempArray<int*> b;
  a.Swap(b);
  EXPECT_EQ(a.GetCount(), 0);
  EXPECT_EQ(b.GetCount(), 3);
  EXPECT_TRUE(a.Begin().IsEnd());
}

using Map = TempDict<TempString, int>;

std::string Shape(const Map::Node* n) {
  if (!n) return "";
  std::string s = n->key.c_str();
  if (n->left || n->right) s += "(" + Shape(n->left) + "," + Shape(n->right) + ")";
  return s;
}

TEST(TempDictTest, TreeShapes) {
  {
    Map m;
    m.SetAt("B", 1);
    m.SetAt("A", 2);
    EXPECT_EQ(Shape(m.GetRoot()), "B(A,)");
  }
  {
    Map m;
    m.SetAt("C", 1);
    m.SetAt("B", 2);
    m.SetAt("A", 3);
    EXPECT_EQ(Shape(m.GetRoot()), "B(A,C)");
  }
  {
    Map m;
    m.SetAt("A", 1);
    m.SetAt("C", 2);
    m.SetAt("B", 3);
    EXPECT_EQ(Shape(m.GetRoot()), "B(A,C)");
  }
  {
    Map m;
    for (const char* k : {"M", "F", "T", "C", "H", "G"}) m.SetAt(k, 0);
    EXPECT_EQ(Shape(m.GetRoot()), "M(F(C,H(G,)),T)");
    m.Erase(m.Find("M"));
    // The greatest key of the left subtree takes the root's place.
    EXPECT_EQ(Shape(m.GetRoot()), "H(F(C,G),T)");
    EXPECT_EQ(m.GetCount(), 5);
  }
}

TEST(TempDictTest, ReplaceDisposesAndKeepsCount) {
  TempDict<TempString, Counted*, TempDeleteDispose> m;
  m.SetAt("a", new Counted(1));
  m.SetAt("b", new Counted(2));
  m.SetAt("a", new Counted(3));
  EXPECT_EQ(m.GetCount(), 2);
  EXPECT_EQ(Counted::alive, 2);
  EXPECT_EQ((*m.Lookup("a"))->value, 3);
  Counted* same = *m.Lookup("a");
  m.SetAt("a", same);
  EXPECT_EQ(Counted::alive, 2);
  // RemoveKey unlinks without disposing.
  Counted* taken = *m.Lookup("b");
  EXPECT_EQ(m.RemoveKey("b"), 1);
  EXPECT_EQ(m.RemoveKey("zz"), 1);
  EXPECT_EQ(Counted::alive, 2);
  delete taken;
  m.RemoveAll();
  EXPECT_EQ(Counted::alive, 0);
  EXPECT_EQ(m.GetCount(), 0);
  EXPECT_TRUE(m.Begin().IsEnd());
}

TEST(TempDictTest, RandomAgainstStdMap) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    TempDict<int, int> m;
    std::map<int, int> ref;
    const int range = round < 10 ? 50 : 2000;
    for (int step = 0; step < 1000; ++step) {
      const int key = static_cast<int>(rng() % range);
      if (rng() % 3 == 0) {
        auto it = m.Find(key);
        EXPECT_EQ(it.IsEnd(), ref.count(key) == 0);
        if (!it.IsEnd()) {
          auto next = m.Erase(it);
          auto refNext = ref.upper_bound(key);
          ref.erase(key);
          if (refNext == ref.end()) {
            EXPECT_TRUE(next.IsEnd());
          } else {
            ASSERT_FALSE(next.IsEnd());
            EXPECT_EQ(*next.GetKey(), refNext->first);
          }
        }
      } else {
        const int value = static_cast<int>(rng());
        m.SetAt(key, value);
        ref[key] = value;
      }
      ASSERT_EQ(m.GetCount(), static_cast<int32_t>(ref.size()));
    }
    auto it = m.Begin();
    for (const auto& [k, v] : ref) {
      ASSERT_FALSE(it.IsEnd());
      EXPECT_EQ(*it.GetKey(), k);
      EXPECT_EQ(*it.GetValue(), v);
      it.Next();
    }
    EXPECT_TRUE(it.IsEnd());
    if (!ref.empty()) {
      EXPECT_EQ(*m.Last().GetKey(), ref.rbegin()->first);
      EXPECT_EQ(*m.Begin().GetKey(), ref.begin()->first);
    }
    // Parent links are consistent everywhere.
    std::vector<const TempDict<int, int>::Node*> stack{m.GetRoot()};
    while (!stack.empty()) {
      auto* n = stack.back();
      stack.pop_back();
      if (!n) continue;
      if (n->left) {
        EXPECT_EQ(n->left->parent, n);
      }
      if (n->right) {
        EXPECT_EQ(n->right->parent, n);
      }
      stack.push_back(n->left);
      stack.push_back(n->right);
    }
  }
}

TEST(CPDFObjRefDictTest, OrdersByNumberThenGeneration) {
  CPDFObjRefDict m;
  m.Insert(CPDFObjRef(5, 1), CPDFObjRef(50, 0));
  m.Insert(CPDFObjRef(5, 0), CPDFObjRef(51, 0));
  m.Insert(CPDFObjRef(-1, -1), CPDFObjRef(1, 0));
  auto it = m.Begin();
  EXPECT_EQ(it.GetKey()->GetNumber(), -1);
  it.Next();
  EXPECT_EQ(it.GetKey()->GetGeneration(), 0);
  CPDFObjRef to;
  EXPECT_TRUE(m.Lookup(CPDFObjRef(5, 1), &to));
  EXPECT_EQ(to.GetNumber(), 50);
  EXPECT_FALSE(m.Lookup(CPDFObjRef(6, 0), &to));
}

TEST(TempListTest, OrderOfIteration) {
  TempList<int> list;
  for (int v : {1, 2, 3}) list.Push_Back(v);
  std::vector<int> seen;
  for (auto it = list.Begin(); !it.IsEnd(); it.Advance()) seen.push_back(*it.GetValue());
  EXPECT_EQ(seen, (std::vector<int>{3, 2, 1}));
  list.RemoveHead(1);
  seen.clear();
  for (auto it = list.Begin(); !it.IsEnd(); it.Advance()) seen.push_back(*it.GetValue());
  EXPECT_EQ(seen, (std::vector<int>{3, 2}));
  EXPECT_EQ(*list.GetHead(), 2);
  list.RemoveHead(5);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetTail(), nullptr);

  TempList<int> ops;
  for (int v : {1, 2, 3}) ops.Push_Head(v);
  seen.clear();
  for (auto it = ops.Begin(); !it.IsEnd(); it.Advance()) seen.push_back(*it.GetValue());
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));

  {
    TempList<Counted*, TempDeleteDispose> owned;
    owned.Push_Back(new Counted(1));
    owned.Push_Back(new Counted(2));
    EXPECT_EQ(Counted::alive, 2);
  }
  EXPECT_EQ(Counted::alive, 0);
}

// Appending grows the storage by a fraction of its size each time, never by
// a fixed block: a million appends cost a few dozen reallocations, and the
// storage stays within that fraction of the count.
TEST(ContainerGrowthTest, AMillionAppendsCostAFewDozenReallocations) {
  constexpr int32_t kAppends = 1000000;
  {
    TempArray<int*> a;
    int slot = 0;
    int32_t reallocations = 0;
    for (int32_t i = 0; i < kAppends; ++i) {
      const int32_t before = a.GetCapacity();
      ASSERT_TRUE(a.Push_Back(i % 7 ? &slot : nullptr));
      if (a.GetCapacity() != before) ++reallocations;
    }
    EXPECT_LE(reallocations, 40);
    EXPECT_LE(a.GetCapacity(), kAppends + kAppends / 2 + 10);
    EXPECT_EQ(a.GetCount(), kAppends);
    for (int32_t i = 0; i < kAppends; i += 99991) EXPECT_EQ(a.GetAt(i), i % 7 ? &slot : nullptr);
    // Inserting in the middle grows the same way.
    int32_t inserts = 0;
    for (int32_t i = 0; i < 1000; ++i) {
      const int32_t before = a.GetCapacity();
      ASSERT_TRUE(a.Insert(&slot, 5));
      if (a.GetCapacity() != before) ++inserts;
    }
    EXPECT_LE(inserts, 1);
  }
  {
    TempString s;
    int32_t reallocations = 0;
    for (int32_t i = 0; i < kAppends; ++i) {
      const int32_t before = s.GetCapacity();
      const char c = static_cast<char>('a' + i % 26);
      ASSERT_TRUE(s.Append(&c, 1));
      if (s.GetCapacity() != before) ++reallocations;
    }
    EXPECT_LE(reallocations, 60);
    EXPECT_LE(s.GetCapacity(), kAppends + kAppends / 4 + 101);
    ASSERT_EQ(s.GetLength(), kAppends);
    EXPECT_EQ(s.c_str()[kAppends - 1], static_cast<char>('a' + (kAppends - 1) % 26));
    EXPECT_EQ(s.c_str()[kAppends], '\0');
  }
  {
    // The stream buffer on the heap, up to its limit, rounds to its pages.
    TempHugeString h;
    int32_t reallocations = 0;
    for (int32_t i = 0; i < TempHugeString::kHeapLimit - 1; ++i) {
      const int32_t before = h.GetCapacity();
      ASSERT_TRUE(h.Append(1, 'q'));
      if (h.GetCapacity() != before) ++reallocations;
    }
    EXPECT_FALSE(h.IsMapped());
    EXPECT_LE(reallocations, 10);
    EXPECT_EQ(h.GetCapacity() % TempHugeString::kBlock, 0);
  }
}

// The map as it was specified, without an index: every operation descends
// the tree from the root. The indexed map must build the same tree.
class ReferenceTree {
 public:
  struct Node {
    int key;
    Node* parent = nullptr;
    Node* left = nullptr;
    Node* right = nullptr;
  };
  ~ReferenceTree() {
    std::vector<Node*> all{root_};
    while (!all.empty()) {
      Node* n = all.back();
      all.pop_back();
      if (!n) continue;
      all.push_back(n->left);
      all.push_back(n->right);
      delete n;
    }
  }
  void Insert(int key) {
    Node* parent = nullptr;
    Node** link = &root_;
    while (*link) {
      if ((*link)->key == key) return;
      parent = *link;
      link = key < parent->key ? &parent->left : &parent->right;
    }
    Node* n = new Node{key, parent};
    *link = n;
    Node* p = n->parent;
    Node* g = p ? p->parent : nullptr;
    if (!g || (p->left && p->right) || (g->left && g->right)) return;
    const bool nLeft = p->left == n;
    const bool pLeft = g->left == p;
    Node* top = nLeft == pLeft ? p : n;
    Node* lo = nLeft && pLeft ? n : (!nLeft && !pLeft ? g : (nLeft ? g : p));
    Node* hi = nLeft && pLeft ? g : (!nLeft && !pLeft ? n : (nLeft ? p : g));
    Node* above = g->parent;
    const bool gWasLeft = above && above->left == g;
    for (Node* x : {lo, hi, top}) x->left = x->right = nullptr;
    top->left = lo;
    top->right = hi;
    lo->parent = hi->parent = top;
    top->parent = above;
    if (!above) {
      root_ = top;
    } else if (gWasLeft) {
      above->left = top;
    } else {
      above->right = top;
    }
  }
  void Erase(int key) {
    Node* n = root_;
    while (n && n->key != key) n = key < n->key ? n->left : n->right;
    if (!n) return;
    Node* q = n->right;
    if (n->left) {
      q = n->left;
      while (q->right) q = q->right;
      if (q != n->left) {
        q->parent->right = q->left;
        if (q->left) q->left->parent = q->parent;
        q->left = n->left;
        n->left->parent = q;
      }
      q->right = n->right;
      if (n->right) n->right->parent = q;
    }
    if (q) q->parent = n->parent;
    if (!n->parent) {
      root_ = q;
    } else if (n->parent->left == n) {
      n->parent->left = q;
    } else {
      n->parent->right = q;
    }
    delete n;
  }
  const Node* Root() const { return root_; }

 private:
  Node* root_ = nullptr;
};

// The shape of a tree as text, walked without recursion (trees here may be
// deep).
template <class N>
std::string ShapeOf(const N* root) {
  std::string out;
  std::vector<std::pair<const N*, int>> stack{{root, 0}};
  while (!stack.empty()) {
    auto [n, state] = stack.back();
    stack.pop_back();
    if (!n) {
      out += '.';
      continue;
    }
    if (state == 0) {
      out += std::to_string(n->key) + "(";
      stack.push_back({n, 1});
      stack.push_back({n->right, 0});
      stack.push_back({n->left, 0});
    } else {
      out += ')';
    }
  }
  return out;
}

TEST(TempDictTest, TheIndexKeepsTheTreeAsWithoutIt) {
  std::mt19937 rng(777);
  const std::vector<std::function<int(int)>> orders = {
      [](int i) { return i; },                                  // ascending
      [](int i) { return -i; },                                 // descending
      [](int i) { return i % 2 ? i : 100000 - i; },             // zig-zag
      [&rng](int) { return static_cast<int>(rng() % 5000); }};  // random, with repeats
  for (size_t o = 0; o < orders.size(); ++o) {
    TempDict<int, int> m;
    ReferenceTree ref;
    for (int i = 0; i < 3000; ++i) {
      const int key = orders[o](i);
      m.SetAt(key, i);
      ref.Insert(key);
      if (i % 5 == 4) {
        // Erase a key that is there about half the time.
        const int gone = orders[o](static_cast<int>(rng() % static_cast<unsigned>(i + 1))) +
                         static_cast<int>(rng() % 2);
        m.RemoveKey(gone);
        ref.Erase(gone);
      }
    }
    EXPECT_EQ(ShapeOf(m.GetRoot()), ShapeOf(ref.Root())) << "order " << o;
  }
}

// Counts the key comparisons that the map makes.
struct CountedOrder {
  static inline int64_t comparisons = 0;
  static bool Less(const int& a, const int& b) {
    ++comparisons;
    return a < b;
  }
  static bool Equal(const int& a, const int& b) {
    ++comparisons;
    return a == b;
  }
};

TEST(TempDictTest, KeysInOrderCostLogarithmicComparisons) {
  // Ascending keys make the tree a chain of about half their count; no
  // operation may descend it.
  constexpr int kKeys = 100000;
  using CountedMap = TempDict<int, Counted*, TempDeleteDispose, CountedOrder>;
  {
    CountedMap m;
    CountedOrder::comparisons = 0;
    for (int i = 0; i < kKeys; ++i) ASSERT_TRUE(m.SetAt(i, new Counted(i)));
    EXPECT_LE(CountedOrder::comparisons, int64_t{kKeys} * 64);
    CountedOrder::comparisons = 0;
    for (int i = 0; i < kKeys; i += 7) ASSERT_EQ((*m.Lookup(i))->value, i);
    EXPECT_FALSE(m.Find(kKeys).GetNode());
    EXPECT_LE(CountedOrder::comparisons, int64_t{kKeys / 7 + 2} * 64);
    // Replacing keeps the node and disposes of the old value.
    ASSERT_TRUE(m.SetAt(kKeys / 2, new Counted(-1)));
    EXPECT_EQ(Counted::alive, kKeys);
    // Walking the whole map visits the keys in order, each step in constant
    // time; the first and the last entry are at hand.
    int expected = 0;
    for (auto it = m.Begin(); !it.IsEnd(); it.Next()) ASSERT_EQ(*it.GetKey(), expected++);
    EXPECT_EQ(expected, kKeys);
    EXPECT_EQ(*m.Last().GetKey(), kKeys - 1);
    // Erasing from both ends and the middle.
    CountedOrder::comparisons = 0;
    for (int i = 0; i < kKeys; i += 3) {
      Counted* value = *m.Lookup(i);
      m.RemoveKey(i);
      delete value;
    }
    EXPECT_LE(CountedOrder::comparisons, int64_t{kKeys / 3 + 1} * 128);
    EXPECT_EQ(*m.Begin().GetKey(), 1);
    EXPECT_EQ(*m.Last().GetKey(), kKeys - 2);  // 99999 is a multiple of 3
    EXPECT_EQ(m.GetCount(), kKeys - (kKeys + 2) / 3);
    // The destructor frees the deep tree without descending it.
  }
  EXPECT_EQ(Counted::alive, 0);
  {
    // A million descending keys: the mirror chain, half a million levels
    // deep, which a recursive free would not survive.
    constexpr int kMany = 1000000;
    CountedMap m;
    CountedOrder::comparisons = 0;
    for (int i = kMany; i > 0; --i) ASSERT_TRUE(m.SetAt(i, new Counted(i)));
    EXPECT_LE(CountedOrder::comparisons, int64_t{kMany} * 64);
    EXPECT_EQ(*m.Begin().GetKey(), 1);
    m.RemoveAll();
    EXPECT_EQ(m.GetCount(), 0);
    EXPECT_TRUE(m.Begin().IsEnd());
    EXPECT_TRUE(m.Last().IsEnd());
  }
  EXPECT_EQ(Counted::alive, 0);
}

}  // namespace
