#pragma once
// The library's ordered map: a binary search tree with iterators. Insertion
// restructures only a chain of three single-child nodes (the middle key goes
// on top); nothing else balances the tree. Erasing puts the in-order
// predecessor in the erased node's place. Values that the map drops (a
// replaced value, every value on RemoveAll) go to the Dispose policy.
#include <cstdint>
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
  // value is disposed of (unless it is the same) and replaced.
  bool SetAt(const K& key, const V& value) {
    Node* parent = nullptr;
    Node* node = root_;
    bool left = false;
    while (node) {
      if (Order::Equal(key, node->key)) {
        if (!(node->value == value)) {
          V old = node->value;
          node->value = value;
          DisposeValue(old);
        }
        return true;
      }
      parent = node;
      left = Order::Less(key, node->key);
      node = left ? node->left : node->right;
    }
    Node* fresh = new Node(key, value, parent);
    // A string key whose copy could not get its memory comes out empty
    // rather than throwing: store nothing rather than under a wrong key.
    if (!Order::Equal(key, fresh->key)) {
      delete fresh;
      return false;
    }
    if (!parent) {
      root_ = fresh;
    } else if (left) {
      parent->left = fresh;
    } else {
      parent->right = fresh;
    }
    Restructure(fresh);
    ++count_;
    UpdateEnds();
    return true;
  }

  Iterator Find(const K& key) const {
    Node* node = root_;
    while (node) {
      if (Order::Equal(key, node->key)) return Iterator(node);
      node = Order::Less(key, node->key) ? node->left : node->right;
    }
    return End();
  }

  // The value stored under the key, or none.
  V* Lookup(const K& key) const { return Find(key).GetValue(); }

  // Unlinks the entry without disposing of its value; answers an iterator
  // at the following entry.
  Iterator Erase(const Iterator& it) {
    Node* n = it.GetNode();
    if (!n) return End();
    Node* next = Successor(n);
    if (n->left) {
      Node* q = n->left;
      while (q->right) q = q->right;
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
    delete n;
    --count_;
    UpdateEnds();
    return Iterator(next);
  }

  // Unlinks the entry of the key without disposing of its value; answers
  // the count of entries left. An absent key changes nothing.
  int32_t RemoveKey(const K& key) {
    Iterator it = Find(key);
    if (!it.IsEnd()) Erase(it);
    return count_;
  }

  // Disposes of every value and erases every entry.
  void RemoveAll() {
    Iterator it = Begin();
    while (!it.IsEnd()) {
      V value = *it.GetValue();
      it = Erase(it);
      DisposeValue(value);
    }
    root_ = first_ = last_ = nullptr;
    count_ = 0;
  }

  Iterator Begin() const { return Iterator(first_); }
  Iterator End() const { return Iterator(); }
  Iterator Last() const { return Iterator(last_); }

  void Swap(TempDict& other) {
    std::swap(root_, other.root_);
    std::swap(first_, other.first_);
    std::swap(last_, other.last_);
    std::swap(count_, other.count_);
  }

  static Node* Successor(Node* node) {
    if (!node) return nullptr;
    if (node->right) {
      node = node->right;
      while (node->left) node = node->left;
      return node;
    }
    Node* parent = node->parent;
    while (parent && parent->right == node) {
      node = parent;
      parent = parent->parent;
    }
    return parent;
  }

 private:
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

  void UpdateEnds() {
    first_ = last_ = root_;
    if (first_) {
      while (first_->left) first_ = first_->left;
      while (last_->right) last_ = last_->right;
    }
  }

  Node* root_ = nullptr;
  Node* first_ = nullptr;
  Node* last_ = nullptr;
  int32_t count_ = 0;
};
