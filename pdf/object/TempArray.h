#pragma once
// The library's counted array of pointers. Storage is allocated in blocks of
// 10 slots (also on the first allocation) and grows by at least half its
// capacity at a time, so n appends cost O(log n) reallocations and O(n)
// copies. A growth that fails leaves the array unchanged and answers false.
// Dropped elements go to the Dispose policy.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "pdf/object/TempDispose.h"

template <class T, class Dispose = TempNoDispose>
class TempArray {
  static_assert(std::is_trivially_copyable_v<T>, "slots are moved as raw bytes");

 public:
  // Holds (data, count, position); position -1 is the end.
  class Iterator {
   public:
    Iterator() = default;
    Iterator(T* data, int32_t count, int32_t position)
        : data_(data), count_(count), position_(position) {}
    bool IsEnd() const { return position_ < 0 || position_ >= count_; }
    T* GetValue() const { return IsEnd() ? nullptr : &data_[position_]; }
    int32_t GetPosition() const { return position_; }
    Iterator& Next() {
      if (!IsEnd()) position_ = position_ + 1 < count_ ? position_ + 1 : -1;
      return *this;
    }
    bool operator==(const Iterator& o) const {
      return (IsEnd() && o.IsEnd()) || (data_ == o.data_ && position_ == o.position_);
    }
    bool operator!=(const Iterator& o) const { return !(*this == o); }

   private:
    T* data_ = nullptr;
    int32_t count_ = 0;
    int32_t position_ = -1;
  };

  TempArray() = default;
  TempArray(const TempArray&) = delete;
  TempArray& operator=(const TempArray&) = delete;
  virtual ~TempArray() { RemoveAll(); }

  int32_t GetCount() const { return count_; }
  int32_t GetCapacity() const { return capacity_; }
  bool IsValidIndex(int32_t index) const { return index >= 0 && index < count_; }

  // The slot at the index; out of range asserts in debug builds and gives
  // an empty value otherwise.
  T GetAt(int32_t index) const {
    assert(IsValidIndex(index));
    return IsValidIndex(index) ? data_[index] : T();
  }

  bool Push_Back(T value) {
    if (count_ == INT32_MAX || !Reserve(count_ + 1)) return false;
    data_[count_++] = value;
    return true;
  }

  // Inserts before the index; an index outside 0..count appends.
  bool Insert(T value, int32_t index) {
    if (index < 0 || index >= count_) return Push_Back(value);
    if (count_ == INT32_MAX || !Reserve(count_ + 1)) return false;
    std::memmove(static_cast<void*>(data_ + index + 1), static_cast<const void*>(data_ + index),
                 sizeof(T) * static_cast<size_t>(count_ - index));
    data_[index] = value;
    ++count_;
    return true;
  }

  // Replaces the slot, disposing of the old value unless it is the same.
  bool SetAt(int32_t index, T value) {
    if (!IsValidIndex(index)) return false;
    if (data_[index] != value) {
      T old = data_[index];
      data_[index] = value;
      if (old) Dispose()(old);
    }
    return true;
  }

  // Grows with empty slots or shrinks, disposing of the slots cut off.
  bool SetSize(int32_t n) {
    if (n < 0) return false;
    if (n > count_) {
      if (!Reserve(n)) return false;
      for (int32_t i = count_; i < n; ++i) data_[i] = T();
      count_ = n;
      return true;
    }
    while (count_ > n) {
      T old = data_[--count_];
      data_[count_] = T();
      if (old) Dispose()(old);
    }
    return true;
  }

  // Removes the slot without disposing of its value (the caller deals with
  // it); answers an iterator at the same position, or the end.
  Iterator Erase(const Iterator& it) {
    const int32_t index = it.GetPosition();
    if (!IsValidIndex(index)) return End();
    EraseAt(index);
    return IsValidIndex(index) ? Iterator(data_, count_, index) : End();
  }
  bool EraseAt(int32_t index) {
    if (!IsValidIndex(index)) return false;
    std::memmove(static_cast<void*>(data_ + index), static_cast<const void*>(data_ + index + 1),
                 sizeof(T) * static_cast<size_t>(count_ - index - 1));
    --count_;
    return true;
  }

  // Removes n slots from the index on without disposing of their values,
  // with one move of the slots behind them.
  bool EraseRange(int32_t index, int32_t n) {
    if (n < 0 || index < 0 || index > count_ || n > count_ - index) return false;
    std::memmove(static_cast<void*>(data_ + index), static_cast<const void*>(data_ + index + n),
                 sizeof(T) * static_cast<size_t>(count_ - index - n));
    count_ -= n;
    return true;
  }
  // Exchanges the values of two slots.
  bool SwapSlots(int32_t a, int32_t b) {
    if (!IsValidIndex(a) || !IsValidIndex(b)) return false;
    std::swap(data_[a], data_[b]);
    return true;
  }

  // Disposes of every element and frees the storage.
  void RemoveAll() {
    for (int32_t i = 0; i < count_; ++i) {
      if (data_[i]) Dispose()(data_[i]);
    }
    count_ = 0;
    Free();
  }

  Iterator Begin() const { return count_ > 0 ? Iterator(data_, count_, 0) : End(); }
  Iterator End() const { return Iterator(data_, count_, -1); }

  void Swap(TempArray& other) {
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    std::swap(count_, other.count_);
  }

  virtual bool Reserve(int32_t n) {
    if (n < 0) return false;
    if (n <= capacity_) return true;
    const int64_t grown = int64_t{capacity_} + capacity_ / 2;
    const int32_t capacity =
        RoundUp(grown > n && grown <= INT32_MAX ? static_cast<int32_t>(grown) : n);
    if (capacity < n || static_cast<size_t>(capacity) > SIZE_MAX / sizeof(T)) return false;
    T* fresh = new (std::nothrow) T[static_cast<size_t>(capacity)]();
    if (!fresh) return false;
    for (int32_t i = 0; i < capacity_; ++i) fresh[i] = data_[i];
    delete[] data_;
    data_ = fresh;
    capacity_ = capacity;
    return true;
  }
  // Frees the storage only (elements are not disposed of here).
  virtual void Free() {
    delete[] data_;
    data_ = nullptr;
    capacity_ = 0;
    count_ = 0;
  }
  virtual int32_t RoundUp(int32_t n) const {
    if (n <= 0) return 0;
    const int64_t rounded = (int64_t{n} + 9) / 10 * 10;
    return rounded > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rounded);
  }

 protected:
  T* data_ = nullptr;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
};
