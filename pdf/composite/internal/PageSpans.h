#pragma once
// Where the pages of one page-tree node's kids lie, for the kids walked so
// far: per kid, in Kids order, its kind, its reference and the pages below
// it. Finding the kid that holds a page position, the pages before a kid,
// a new kid anywhere and a page more below a kid each cost O(log n) (a
// treap ordered by Kids position, each subtree knowing its kids and pages),
// so n insertions anywhere in a node of n kids cost O(n log n) in all.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pdf/object/CPDFObjRef.h"

class PageSpans {
 public:
  // kLoop: a node kid whose subtree leads back into a node above it.
  enum class Kind : uint8_t { kPage, kNode, kOther, kLoop };
  struct Span {
    CPDFObjRef ref;
    int32_t pages = 1;  // never negative
    Kind kind = Kind::kPage;
  };

  int32_t Size() const { return root_ < 0 ? 0 : nodes_[static_cast<size_t>(root_)].size; }
  // The pages of every span.
  int64_t Pages() const { return root_ < 0 ? 0 : nodes_[static_cast<size_t>(root_)].total; }
  void Clear();

  // Inserts the span before the index (0 .. Size()); false when the storage
  // cannot grow.
  bool Insert(int32_t index, const Span& span);
  // The span at the index (0 .. Size()-1).
  const Span& At(int32_t index) const;
  // The pages of the spans before the index (0 .. Size()).
  int64_t Start(int32_t index) const;
  // The first span whose pages end after the position: the kid that holds
  // it; -1 when the position lies past every span.
  int32_t Find(int64_t position) const;
  // The span at the index holds pages more (or fewer).
  void AddPages(int32_t index, int32_t pages);
  void SetKind(int32_t index, Kind kind);
  // Calls visit(index, span) for each span from the first, in order, until
  // it answers false. O(n) for all of them.
  template <class Visit>
  void ForEach(Visit visit) const;

  // Tree nodes visited by the searches and updates of this thread (for the
  // tests of their cost).
  static int64_t& Steps();

 private:
  struct Node {
    Span span;
    int32_t left = -1;
    int32_t right = -1;
    int32_t parent = -1;
    uint32_t priority = 0;
    int32_t size = 1;   // spans in the subtree
    int64_t total = 0;  // their pages
  };
  int32_t SizeOf(int32_t n) const { return n < 0 ? 0 : nodes_[static_cast<size_t>(n)].size; }
  int64_t TotalOf(int32_t n) const { return n < 0 ? 0 : nodes_[static_cast<size_t>(n)].total; }
  void Update(int32_t n);
  // Puts the node in its parent's place, the parent below it.
  void RotateUp(int32_t n);
  // The node holding the span at the index; every node on the way down
  // gets `pages` added to its total.
  int32_t Descend(int32_t index, int32_t pages);
  uint32_t NextPriority();

  std::vector<Node> nodes_;
  int32_t root_ = -1;
  uint32_t seed_ = 2463534242u;
};

template <class Visit>
void PageSpans::ForEach(Visit visit) const {
  // In order, with a stack of the nodes whose left subtrees are being
  // visited; no recursion.
  std::vector<int32_t> stack;
  int32_t index = 0;
  int32_t n = root_;
  while (n >= 0 || !stack.empty()) {
    while (n >= 0) {
      stack.push_back(n);
      n = nodes_[static_cast<size_t>(n)].left;
    }
    n = stack.back();
    stack.pop_back();
    if (!visit(index++, nodes_[static_cast<size_t>(n)].span)) return;
    n = nodes_[static_cast<size_t>(n)].right;
  }
}
