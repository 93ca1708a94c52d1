#pragma once
// The library's counted array of pointers. Storage is allocated in blocks of
// 10 slots (also on the first allocation) and grows by at least half its
// capacity at a time, so n appends cost O(log n) reallocations and O(n)
// copies. A growth that fails leaves the array unchanged and answers false.
// Dropped elements go to the Dispose policy.
//
// The free room of the storage normally follows the last slot. An insertion
// or removal inside the array leaves it where it happened instead (a gap),
// so that the next one nearby moves only the slots between the two places:
// n insertions at the front, or each in the middle of what is there, move
// O(n) slots in all rather than O(n^2). Appending moves the gap back to the
// end. Indexing goes round the gap.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "pdf/object/TempDispose.h"

// Slots moved by insertions and removals inside arrays and by growth, on
// this thread; tests read it to check that a run of insertions moves a
// bounded number of slots per insertion.
inline thread_local int64_t g_tempArraySlotsMoved = 0;

template <class T, class Dispose = TempNoDispose>
class TempArray {
  static_assert(std::is_trivially_copyable_v<T>, "slots are moved as raw bytes");

 public:
  // The storage as its users see it: slot i of the array is base[i] before
  // the gap and base[i + gapSize] from gapAt on. gapAt is INT32_MAX while
  // the free room follows the last slot.
  struct Slots {
    T* base = nullptr;
    int32_t gapAt = INT32_MAX;
    int32_t gapSize = 0;
    T& operator[](int32_t i) const { return base[i < gapAt ? i : i + gapSize]; }
  };

  // Holds (slots, count, position); position -1 is the end. Valid while the
  // array is not changed.
  class Iterator {
   public:
    Iterator() = default;
    Iterator(const Slots& data, int32_t count, int32_t position)
        : data_(data), count_(count), position_(position) {}
    bool IsEnd() const { return position_ < 0 || position_ >= count_; }
    T* GetValue() const { return IsEnd() ? nullptr : &data_[position_]; }
    int32_t GetPosition() const { return position_; }
    Iterator& Next() {
      if (!IsEnd()) position_ = position_ + 1 < count_ ? position_ + 1 : -1;
      return *this;
    }
    bool operator==(const Iterator& o) const {
      return (IsEnd() && o.IsEnd()) || (data_.base == o.data_.base && position_ == o.position_);
    }
    bool operator!=(const Iterator& o) const { return !(*this == o); }

   private:
    Slots data_;
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
    MoveGap(count_);
    data_.base[count_++] = value;
    return true;
  }

  // Inserts before the index; an index outside 0..count appends.
  bool Insert(T value, int32_t index) {
    if (index < 0 || index >= count_) return Push_Back(value);
    if (count_ == INT32_MAX || !Reserve(count_ + 1)) return false;
    MoveGap(index);
    // The free room now starts at the index: the value takes its first slot.
    data_.base[index] = value;
    ++count_;
    SetGap(index + 1);
    return true;
  }

  // Replaces the slot, disposing of the old value unless it is the same.
  bool SetAt(int32_t index, T value) {
    if (!IsValidIndex(index)) return false;
    T& slot = data_[index];
    if (slot != value) {
      T old = slot;
      slot = value;
      if (old) Dispose()(old);
    }
    return true;
  }

  // Grows with empty slots or shrinks, disposing of the slots cut off.
  bool SetSize(int32_t n) {
    if (n < 0) return false;
    if (n > count_ && !Reserve(n)) return false;
    MoveGap(count_);
    if (n > count_) {
      for (int32_t i = count_; i < n; ++i) data_.base[i] = T();
      count_ = n;
      return true;
    }
    while (count_ > n) {
      T old = data_.base[--count_];
      data_.base[count_] = T();
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
  bool EraseAt(int32_t index) { return EraseRange(index, IsValidIndex(index) ? 1 : -1); }

  // Removes n slots from the index on without disposing of their values;
  // the slots behind them move once (or not at all when the next removal
  // or insertion is at the same place).
  bool EraseRange(int32_t index, int32_t n) {
    if (n < 0 || index < 0 || index > count_ || n > count_ - index) return false;
    MoveGap(index);
    // The n slots after the gap join it.
    count_ -= n;
    SetGap(index);
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
      if (T old = data_[i]) Dispose()(old);
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
    // The gap, if any, stays where it is, grown by the new room.
    const int32_t before = data_.gapAt < count_ ? data_.gapAt : count_;
    const int32_t after = count_ - before;
    for (int32_t i = 0; i < before; ++i) fresh[i] = data_.base[i];
    for (int32_t i = 0; i < after; ++i) {
      fresh[capacity - after + i] = data_.base[capacity_ - after + i];
    }
    g_tempArraySlotsMoved += count_;
    delete[] data_.base;
    data_.base = fresh;
    capacity_ = capacity;
    SetGap(before);
    return true;
  }
  // Frees the storage only (elements are not disposed of here).
  virtual void Free() {
    delete[] data_.base;
    data_ = Slots();
    capacity_ = 0;
    count_ = 0;
  }
  virtual int32_t RoundUp(int32_t n) const {
    if (n <= 0) return 0;
    const int64_t rounded = (int64_t{n} + 9) / 10 * 10;
    return rounded > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rounded);
  }

 protected:
  Slots data_;
  int32_t capacity_ = 0;
  int32_t count_ = 0;

 private:
  // Records that the free room lies before slot `at` (after every slot when
  // `at` is the count). A full array keeps the place, with a gap of no
  // slots, so that growing it leaves the room there.
  void SetGap(int32_t at) {
    if (at >= count_) {
      data_.gapAt = INT32_MAX;
      data_.gapSize = 0;
    } else {
      data_.gapAt = at;
      data_.gapSize = capacity_ - count_;
    }
  }
  // Moves the free room to lie before slot `at` (0 <= at <= count): the
  // slots between its old and its new place move across it.
  void MoveGap(int32_t at) {
    const int32_t room = capacity_ - count_;
    const int32_t gap = data_.gapAt < count_ ? data_.gapAt : count_;
    if (room > 0 && at < gap) {
      std::memmove(static_cast<void*>(data_.base + at + room),
                   static_cast<const void*>(data_.base + at),
                   sizeof(T) * static_cast<size_t>(gap - at));
      g_tempArraySlotsMoved += gap - at;
    } else if (room > 0 && at > gap) {
      std::memmove(static_cast<void*>(data_.base + gap),
                   static_cast<const void*>(data_.base + gap + room),
                   sizeof(T) * static_cast<size_t>(at - gap));
      g_tempArraySlotsMoved += at - gap;
    }
    SetGap(at);
  }
};
