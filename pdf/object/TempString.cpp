#include "pdf/object/TempString.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {
constexpr int32_t kFirstMinimum = 10;
constexpr int32_t kBlock = 100;

int32_t LengthOf(const char* bytes, int32_t length) {
  if (!bytes) return 0;
  if (length < 0) {
    const size_t n = std::strlen(bytes);
    return n > static_cast<size_t>(INT32_MAX - 1) ? -1 : static_cast<int32_t>(n);
  }
  return length;
}

// a + b + 1 within int32, or -1.
int32_t SumPlusOne(int32_t a, int32_t b) {
  const int64_t sum = int64_t{a} + b + 1;
  return sum > INT32_MAX ? -1 : static_cast<int32_t>(sum);
}

// True when [bytes, bytes+length) lies inside [buffer, buffer+capacity).
bool Overlaps(const char* bytes, const char* buffer, int32_t capacity) {
  if (!bytes || !buffer) return false;
  const auto b = reinterpret_cast<uintptr_t>(bytes);
  const auto lo = reinterpret_cast<uintptr_t>(buffer);
  return b >= lo && b < lo + static_cast<uintptr_t>(capacity);
}
}  // namespace

TempString::TempString(const char* text) { Assign(text, -1); }

TempString::TempString(const char* bytes, int32_t length) { Assign(bytes, length); }

TempString::TempString(const TempString& other) { Assign(other.c_str(), other.length_); }

TempString& TempString::operator=(const TempString& other) {
  if (this != &other) Assign(other);
  return *this;
}

TempString::~TempString() { FreeHeap(); }

bool TempString::Assign(const char* bytes, int32_t length) {
  length = LengthOf(bytes, length);
  if (length < 0) return false;
  if (Overlaps(bytes, buffer_, capacity_)) {
    // The source lies in our own buffer, which is about to be freed.
    TempString copy(bytes, length);
    Swap(copy);
    return length_ == length;
  }
  Free();
  if (!bytes || length < 1) return true;
  if (!Reserve(length + 1)) return false;
  std::memcpy(buffer_, bytes, static_cast<size_t>(length));
  buffer_[length] = '\0';
  length_ = length;
  return true;
}

bool TempString::Assign(const TempString& other) {
  if (this == &other) return true;
  return Assign(other.c_str(), other.length_);
}

bool TempString::Assign(char byte) { return Assign(&byte, 1); }

bool TempString::Append(const char* bytes, int32_t length) {
  length = LengthOf(bytes, length);
  if (length < 0) return false;
  if (!bytes || length == 0) return true;
  if (Overlaps(bytes, buffer_, capacity_)) {
    TempString copy(bytes, length);
    if (copy.length_ != length) return false;
    return Append(copy.c_str(), length);
  }
  const int32_t need = SumPlusOne(length_, length);
  if (need < 0 || !Reserve(need)) return false;
  std::memcpy(buffer_ + length_, bytes, static_cast<size_t>(length));
  length_ += length;
  buffer_[length_] = '\0';
  return true;
}

bool TempString::Append(int32_t n, char byte) {
  if (n < 1) return true;
  const int32_t need = SumPlusOne(length_, n);
  if (need < 0 || !Reserve(need)) return false;
  std::memset(buffer_ + length_, static_cast<unsigned char>(byte), static_cast<size_t>(n));
  length_ += n;
  buffer_[length_] = '\0';
  return true;
}

bool TempString::Insert(int32_t position, const char* bytes, int32_t length) {
  if (position < 0 || position >= length_) return Append(bytes, length);
  length = LengthOf(bytes, length);
  if (length < 0) return false;
  if (!bytes || length == 0) return true;
  if (Overlaps(bytes, buffer_, capacity_)) {
    TempString copy(bytes, length);
    if (copy.length_ != length) return false;
    return Insert(position, copy.c_str(), length);
  }
  const int32_t need = SumPlusOne(length_, length);
  if (need < 0 || !Reserve(need)) return false;
  std::memmove(buffer_ + position + length, buffer_ + position,
               static_cast<size_t>(length_ - position));
  std::memcpy(buffer_ + position, bytes, static_cast<size_t>(length));
  length_ += length;
  buffer_[length_] = '\0';
  return true;
}

bool TempString::Fill(int32_t n, char byte) {
  Free();
  if (n < 1) return true;
  return Append(n, byte);
}

bool TempString::SetLength(int32_t n) {
  Free();
  if (n < 0 || n == INT32_MAX) return false;
  if (!Reserve(n + 1)) return false;
  length_ = n;
  buffer_[n] = '\0';
  return true;
}

bool TempString::Truncate(int32_t n) {
  if (n < 0 || (n > 0 && n >= capacity_)) return false;
  if (!buffer_) return n == 0;
  length_ = n;
  buffer_[n] = '\0';
  return true;
}

bool TempString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const bool ok = FormatV(format, args);
  va_end(args);
  return ok;
}

bool TempString::FormatV(const char* format, va_list args) {
  if (!format) return Assign("", 0);
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed < 0 || needed >= INT32_MAX - 1) return false;
  char* text = new (std::nothrow) char[static_cast<size_t>(needed) + 1];
  if (!text) return false;
  std::vsnprintf(text, static_cast<size_t>(needed) + 1, format, args);
  const bool ok = Assign(text, needed);
  delete[] text;
  return ok;
}

void TempString::Clear() {
  Free();
  length_ = 0;
}

void TempString::Swap(TempString& other) {
  std::swap(buffer_, other.buffer_);
  std::swap(capacity_, other.capacity_);
  std::swap(length_, other.length_);
}

int TempString::Compare(const char* bytes, int32_t length) const {
  length = LengthOf(bytes, length);
  if (length < 0) length = 0;
  const int32_t common = length_ < length ? length_ : length;
  if (common > 0) {
    const int c = std::memcmp(c_str(), bytes, static_cast<size_t>(common));
    if (c != 0) return c < 0 ? -1 : 1;
  }
  if (length_ == length) return 0;
  return length_ < length ? -1 : 1;
}

bool TempString::Reserve(int32_t n) { return ReserveOnHeap(n); }

void TempString::Free() { FreeHeap(); }

int32_t TempString::RoundUp(int32_t n) const {
  if (n <= 0) return 0;
  const int64_t rounded = (int64_t{n} + kBlock - 1) / kBlock * kBlock;
  return rounded > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rounded);
}

bool TempString::ReserveOnHeap(int32_t n) {
  if (n < 0) return false;
  if (n <= capacity_) return true;
  if (!buffer_) {
    const int32_t capacity = n < kFirstMinimum ? kFirstMinimum : n;
    char* fresh = new (std::nothrow) char[static_cast<size_t>(capacity)];
    if (!fresh) return false;
    fresh[0] = '\0';
    buffer_ = fresh;
    capacity_ = capacity;
    return true;
  }
  const int64_t grown = int64_t{capacity_} + capacity_ / 4;
  const int32_t capacity =
      RoundUp(grown > n && grown <= INT32_MAX ? static_cast<int32_t>(grown) : n);
  if (capacity < n) return false;
  char* fresh = new (std::nothrow) char[static_cast<size_t>(capacity)];
  if (!fresh) return false;
  std::memcpy(fresh, buffer_, static_cast<size_t>(capacity_));
  delete[] buffer_;
  buffer_ = fresh;
  capacity_ = capacity;
  return true;
}

void TempString::FreeHeap() {
  delete[] buffer_;
  buffer_ = nullptr;
  capacity_ = 0;
  length_ = 0;
}
