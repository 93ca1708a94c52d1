#pragma once
// The library's ordered map: a binary search tree with iterators. Insertion
// restructures only a chain of three single-child nodes (the middle key goes
// on top); nothing else balances the tree. Erasing puts the in-order
// predecessor in the erased node's place. Values that the map drops (a
// replaced value, every value on RemoveAll) go to the Dispose policy.
//
// The tree may grow as deep as it has nodes (keys that arrive in ascending
// order, the usual order of generated names, make a chain of about half
// their count), so no operation descends it: a balanced index of the nodes
// beside it finds a key, and the place of a new one, in logarithmic time,
// and each node is threaded to its in-order neighbours, so that stepping,
// the first and the last entry cost nothing. The tree's shape is the same
// as without the index.
#include <cstdint>
#include <set>
#include <type_traits>
#include <utility>

#include "pdf/object/TempDispose.h"

// Key order: keys with IsLess/IsEqual members use them; arithmetic keys use
// their operators.
template <class K>
struct TempKeyOrder {
  static bool Less(const K& a, const K& b) {
    if constexpr (std::is_arithmetic_v<K>) {
      return a < b;
    } else {
      return a.IsLess(b);
    }
  }
  static bool Equal(const K& a, const K& b) {
    if constexpr (std::is_arithmetic_v<K>) {
      return a == b;
    } else {
      return a.IsEqual(b);
    }
  }
};

template <class K, class V, class Dispose = TempNoDispose, class Order = TempKeyOrder<K>>
class TempDict {
 public:
  struct Node {
    Node(const K& k, const V& v, Node* p) : key(k), value(v), parent(p) {}
    K key;
    V value;
    Node* parent = nullptr;
    Node* left = nullptr;
    Node* right = nullptr;
    Node* prev = nullptr;  // in-order neighbours
    Node* next = nullptr;
  };

  // Holds one node; none is the end. Walks in key order.
  class Iterator {
   public:
    Iterator() = default;
    explicit Iterator(Node* node) : node_(node) {}
    bool IsEnd() const { return node_ == nullptr; }
    const K* GetKey() const { return node_ ? &node_->key : nullptr; }
    V* GetValue() const { return node_ ? &node_->value : nullptr; }
    Node* GetNode() const { return node_; }
    Iterator& Next() {
      node_ = Successor(node_);
      return *this;
    }
    bool operator==(const Iterator& o) const { return node_ == o.node_; }
    bool operator!=(const Iterator& o) const { return node_ != o.node_; }

   private:
    Node* node_ = nullptr;
  };

  TempDict() = default;
  TempDict(const TempDict&) = delete;
  TempDict& operator=(const TempDict&) = delete;
  virtual ~TempDict() { RemoveAll(); }

  int32_t GetCount() const { return count_; }
  const Node* GetRoot() const { return root_; }

  // Stores the value under the key. An existing key keeps its node: the old
  // value is disposed of (unless it is the same) and replaced. A new node
  // goes where a descent from the root would end: the right child of its
  // in-order predecessor when that has none, else the left child of its
  // successor (one of two neighbours in key order is always an ancestor of
  // the other).
  bool SetAt(const K& key, const V& value) {
    auto at = index_.lower_bound(key);
    if (at != index_.end() && Order::Equal(key, (*at)->key)) {
      Node* node = *at;
      if (!(node->value == value)) {
        V old = node->value;
        node->value = value;
        DisposeValue(old);
      }
      return true;
    }
    Node* fresh = new Node(key, value, nullptr);
    // A string key whose copy could not get its memory comes out empty
    // rather than throwing: store nothing rather than under a wrong key.
    if (!Order::Equal(key, fresh->key)) {
      delete fresh;
      return false;
    }
    Node* successor = at == index_.end() ? nullptr : *at;
    Node* predecessor = at == index_.begin() ? nullptr : *std::prev(at);
    try {
      index_.insert(at, fresh);
    } catch (...) {
      delete fresh;
      throw;
    }
    if (!predecessor && !successor) {
      root_ = fresh;
    } else if (predecessor && !predecessor->right) {
      fresh->parent = predecessor;
      predecessor->right = fresh;
    } else {
      fresh->parent = successor;
      successor->left = fresh;
    }
    fresh->prev = predecessor;
    fresh->next = successor;
    if (predecessor) {
      predecessor->next = fresh;
    } else {
      first_ = fresh;
    }
    if (successor) {
      successor->prev = fresh;
    } else {
      last_ = fresh;
    }
    Restructure(fresh);
    ++count_;
    return true;
  }

  Iterator Find(const K& key) const {
    auto at = index_.find(key);
    return at == index_.end() ? End() : Iterator(*at);
  }

  // The value stored under the key, or none.
  V* Lookup(const K& key) const { return Find(key).GetValue(); }

  // Unlinks the entry without disposing of its value; answers an iterator
  // at the following entry.
  Iterator Erase(const Iterator& it) {
    Node* n = it.GetNode();
    if (!n) return End();
    Node* next = n->next;
    if (n->left) {
      // The greatest key of the left subtree is n's in-order predecessor.
      Node* q = n->prev;
      if (q != n->left) {
        q->parent->right = q->left;
        if (q->left) q->left->parent = q->parent;
        q->left = n->left;
        n->left->parent = q;
      }
      q->right = n->right;
      if (n->right) n->right->parent = q;
      ReplaceInParent(n, q);
    } else {
      ReplaceInParent(n, n->right);
    }
    if (n->prev) {
      n->prev->next = n->next;
    } else {
      first_ = n->next;
    }
    if (n->next) {
      n->next->prev = n->prev;
    } else {
      last_ = n->prev;
    }
    index_.erase(n);
    delete n;
    --count_;
    return Iterator(next);
  }

  // Unlinks the entry of the key without disposing of its value; answers
  // the count of entries left. An absent key changes nothing.
  int32_t RemoveKey(const K& key) {
    Iterator it = Find(key);
    if (!it.IsEnd()) Erase(it);
    return count_;
  }

  // Disposes of every value, in key order, and erases every entry. The
  // nodes are freed one after another along their threads, never by a walk
  // down the tree, however deep it is.
  void RemoveAll() {
    Node* node = first_;
    index_.clear();
    root_ = first_ = last_ = nullptr;
    count_ = 0;
    while (node) {
      Node* next = node->next;
      V value = node->value;
      delete node;
      DisposeValue(value);
      node = next;
    }
  }

  Iterator Begin() const { return Iterator(first_); }
  Iterator End() const { return Iterator(); }
  Iterator Last() const { return Iterator(last_); }

  void Swap(TempDict& other) {
    std::swap(root_, other.root_);
    std::swap(first_, other.first_);
    std::swap(last_, other.last_);
    std::swap(count_, other.count_);
    index_.swap(other.index_);
  }

  static Node* Successor(Node* node) { return node ? node->next : nullptr; }

 private:
  // Orders nodes by key, and finds a node by a key alone.
  struct NodeOrder {
    using is_transparent = void;
    bool operator()(const Node* a, const Node* b) const { return Order::Less(a->key, b->key); }
    bool operator()(const Node* a, const K& b) const { return Order::Less(a->key, b); }
    bool operator()(const K& a, const Node* b) const { return Order::Less(a, b->key); }
  };

  template <class T>
  static void DisposeValue(T& value) {
    if constexpr (std::is_pointer_v<T>) {
      if (value) Dispose()(value);
    } else {
      Dispose()(value);
    }
  }

  void ReplaceInParent(Node* n, Node* replacement) {
    Node* parent = n->parent;
    if (replacement) replacement->parent = parent;
    if (!parent) {
      root_ = replacement;
    } else if (parent->left == n) {
      parent->left = replacement;
    } else {
      parent->right = replacement;
    }
  }

  // A chain grandparent -> parent -> new node of single children becomes a
  // subtree with the middle key on top and the other two as its children.
  void Restructure(Node* n) {
    Node* p = n->parent;
    if (!p) return;
    Node* g = p->parent;
    if (!g) return;
    if ((p->left && p->right) || (g->left && g->right)) return;
    const bool nLeft = p->left == n;
    const bool pLeft = g->left == p;
    Node* top;
    Node* lo;
    Node* hi;
    if (nLeft && pLeft) {
      top = p, lo = n, hi = g;
    } else if (!nLeft && !pLeft) {
      top = p, lo = g, hi = n;
    } else if (nLeft && !pLeft) {
      top = n, lo = g, hi = p;
    } else {
      top = n, lo = p, hi = g;
    }
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

  Node* root_ = nullptr;
  Node* first_ = nullptr;
  Node* last_ = nullptr;
  int32_t count_ = 0;
  std::set<Node*, NodeOrder> index_;
};
