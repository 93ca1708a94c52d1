#include "pdf/composite/internal/PageSpans.h"

#include <cassert>
#include <new>

int64_t& PageSpans::Steps() {
  static thread_local int64_t steps = 0;
  return steps;
}

void PageSpans::Clear() {
  nodes_.clear();
  root_ = -1;
}

uint32_t PageSpans::NextPriority() {
  // xorshift32: a fixed sequence, so the tree's shape is the same every run.
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  return seed_;
}

void PageSpans::Update(int32_t n) {
  Node& node = nodes_[static_cast<size_t>(n)];
  node.size = 1 + SizeOf(node.left) + SizeOf(node.right);
  node.total = node.span.pages + TotalOf(node.left) + TotalOf(node.right);
}

bool PageSpans::Insert(int32_t index, const Span& span) {
  if (index < 0 || index > Size() || Size() == INT32_MAX) return false;
  Node fresh;
  fresh.span = span;
  fresh.priority = NextPriority();
  fresh.total = span.pages;
  try {
    nodes_.push_back(fresh);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const int32_t added = static_cast<int32_t>(nodes_.size()) - 1;

  // Down to the empty place of the index, counting the new span in every
  // subtree on the way; then up while the new node outranks its parent.
  int32_t parent = -1;
  int32_t* link = &root_;
  while (*link >= 0) {
    ++Steps();
    parent = *link;
    Node& node = nodes_[static_cast<size_t>(parent)];
    node.size += 1;
    node.total += span.pages;
    if (index <= SizeOf(node.left)) {
      link = &node.left;
    } else {
      index -= SizeOf(node.left) + 1;
      link = &node.right;
    }
  }
  *link = added;
  nodes_[static_cast<size_t>(added)].parent = parent;
  while (nodes_[static_cast<size_t>(added)].parent >= 0) {
    const int32_t up = nodes_[static_cast<size_t>(added)].parent;
    if (nodes_[static_cast<size_t>(added)].priority <= nodes_[static_cast<size_t>(up)].priority)
      break;
    ++Steps();
    RotateUp(added);
  }
  return true;
}

void PageSpans::RotateUp(int32_t x) {
  Node& child = nodes_[static_cast<size_t>(x)];
  const int32_t p = child.parent;
  Node& up = nodes_[static_cast<size_t>(p)];
  const int32_t grand = up.parent;
  if (up.left == x) {
    up.left = child.right;
    if (child.right >= 0) nodes_[static_cast<size_t>(child.right)].parent = p;
    child.right = p;
  } else {
    up.right = child.left;
    if (child.left >= 0) nodes_[static_cast<size_t>(child.left)].parent = p;
    child.left = p;
  }
  up.parent = x;
  child.parent = grand;
  if (grand < 0) {
    root_ = x;
  } else {
    Node& g = nodes_[static_cast<size_t>(grand)];
    (g.left == p ? g.left : g.right) = x;
  }
  Update(p);
  Update(x);
}

int32_t PageSpans::Descend(int32_t index, int32_t pages) {
  assert(index >= 0 && index < Size());
  int32_t n = root_;
  for (;;) {
    ++Steps();
    Node& node = nodes_[static_cast<size_t>(n)];
    node.total += pages;
    const int32_t left = SizeOf(node.left);
    if (index < left) {
      n = node.left;
    } else if (index == left) {
      return n;
    } else {
      index -= left + 1;
      n = node.right;
    }
  }
}

const PageSpans::Span& PageSpans::At(int32_t index) const {
  return nodes_[static_cast<size_t>(const_cast<PageSpans*>(this)->Descend(index, 0))].span;
}

int64_t PageSpans::Start(int32_t index) const {
  int64_t before = 0;
  int32_t n = root_;
  while (n >= 0) {
    ++Steps();
    const Node& node = nodes_[static_cast<size_t>(n)];
    const int32_t left = SizeOf(node.left);
    if (index <= left) {
      n = node.left;
    } else {
      before += TotalOf(node.left) + node.span.pages;
      index -= left + 1;
      n = node.right;
    }
  }
  return before;
}

int32_t PageSpans::Find(int64_t position) const {
  if (position < 0 || position >= Pages()) return -1;
  int32_t index = 0;
  int32_t n = root_;
  while (n >= 0) {
    ++Steps();
    const Node& node = nodes_[static_cast<size_t>(n)];
    const int64_t left = TotalOf(node.left);
    if (position < left) {
      n = node.left;
    } else if (position < left + node.span.pages) {
      return index + SizeOf(node.left);
    } else {
      position -= left + node.span.pages;
      index += SizeOf(node.left) + 1;
      n = node.right;
    }
  }
  return -1;
}

void PageSpans::AddPages(int32_t index, int32_t pages) {
  const int32_t n = Descend(index, pages);
  nodes_[static_cast<size_t>(n)].span.pages += pages;
}

void PageSpans::SetKind(int32_t index, Kind kind) {
  nodes_[static_cast<size_t>(Descend(index, 0))].span.kind = kind;
}
