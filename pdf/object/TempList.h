#pragma once
// The library's doubly linked list. Push_Back links a node after the tail
// (the newest end); iterators start at the tail and move towards the head,
// so a list is visited newest first. Push_Head links at the head end, so a
// list filled only with it is visited in the order of appending.
#include <cstdint>
#include <type_traits>

#include "pdf/object/TempDispose.h"

template <class T, class Dispose = TempNoDispose>
class TempList {
 public:
  struct Node {
    T value;
    Node* next = nullptr;  // towards the tail
    Node* prev = nullptr;  // towards the head
  };

  class Iterator {
   public:
    Iterator() = default;
    explicit Iterator(Node* node) : node_(node) {}
    bool IsEnd() const { return node_ == nullptr; }
    T* GetValue() const { return node_ ? &node_->value : nullptr; }
    // Moves to the older node.
    Iterator& Advance() {
      if (node_) node_ = node_->prev;
      return *this;
    }
    bool operator==(const Iterator& o) const { return node_ == o.node_; }
    bool operator!=(const Iterator& o) const { return node_ != o.node_; }

   private:
    Node* node_ = nullptr;
  };

  TempList() = default;
  TempList(const TempList&) = delete;
  TempList& operator=(const TempList&) = delete;
  virtual ~TempList() { RemoveAll(); }

  int32_t GetCount() const { return count_; }
  // The newest and the oldest value, or none.
  T* GetTail() const { return tail_ ? &tail_->value : nullptr; }
  T* GetHead() const { return head_ ? &head_->value : nullptr; }

  bool Push_Back(const T& value) {
    Node* node = new Node{value, nullptr, tail_};
    if (tail_) tail_->next = node;
    tail_ = node;
    if (!head_) head_ = node;
    ++count_;
    return true;
  }

  bool Push_Head(const T& value) {
    Node* node = new Node{value, head_, nullptr};
    if (head_) head_->prev = node;
    head_ = node;
    if (!tail_) tail_ = node;
    ++count_;
    return true;
  }

  // Deletes up to n of the oldest nodes (their values are not disposed of).
  void RemoveHead(int32_t n) {
    for (; n > 0 && head_; --n) {
      Node* old = head_;
      head_ = old->next;
      if (head_) head_->prev = nullptr;
      delete old;
      --count_;
    }
    if (!head_) tail_ = nullptr;
  }

  // Disposes of every value, newest first, and deletes every node.
  void RemoveAll() {
    Node* node = tail_;
    while (node) {
      Node* prev = node->prev;
      if constexpr (std::is_pointer_v<T>) {
        if (node->value) Dispose()(node->value);
      } else {
        Dispose()(node->value);
      }
      delete node;
      node = prev;
    }
    tail_ = head_ = nullptr;
    count_ = 0;
  }

  Iterator Begin() const { return Iterator(tail_); }
  Iterator End() const { return Iterator(); }

 private:
  Node* tail_ = nullptr;
  Node* head_ = nullptr;
  int32_t count_ = 0;
};
