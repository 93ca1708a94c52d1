#pragma once
// The library's counted byte string: NUL-terminated, may hold NUL bytes
// inside. The first allocation is the exact request (at least 10 bytes);
// later growth asks for at least a quarter more than the capacity and rounds
// that up by RoundUp (multiples of 100 here; derived buffers change the
// rounding and the storage), so appending n bytes piece by piece costs
// O(log n) reallocations and O(n) copying.
//
// A growth that fails leaves the string unchanged and answers false.
#include <cstdarg>
#include <cstdint>

class TempString {
 public:
  TempString() = default;
  TempString(const char* text);  // NOLINT: implicit on purpose, like a text
  TempString(const char* bytes, int32_t length);
  TempString(const TempString& other);
  TempString& operator=(const TempString& other);
  virtual ~TempString();

  // The bytes, or "" when nothing was allocated.
  const char* c_str() const { return buffer_ ? buffer_ : ""; }
  char* GetBuffer() { return buffer_; }
  int32_t GetLength() const { return length_; }
  int32_t GetCapacity() const { return capacity_; }
  bool IsEmpty() const { return length_ == 0; }

  // Empties the string (freeing its buffer), then copies length bytes
  // (-1: up to the NUL). None or a length below 1 leaves it empty.
  bool Assign(const char* bytes, int32_t length = -1);
  bool Assign(const TempString& other);
  bool Assign(char byte);
  // Appends length bytes (-1: up to the NUL), or n copies of one byte.
  bool Append(const char* bytes, int32_t length = -1);
  bool Append(int32_t n, char byte);
  // Inserts before position; -1 or a position past the end appends.
  bool Insert(int32_t position, const char* bytes, int32_t length = -1);
  // The string becomes n copies of the byte (n below 1: empty).
  bool Fill(int32_t n, char byte);
  // Empties, then makes room for n bytes and sets the length to n (the
  // bytes are unspecified; a NUL follows them).
  bool SetLength(int32_t n);
  // Changes only the length (0..capacity-1), keeping the bytes; for writers
  // that filled GetBuffer() themselves.
  bool Truncate(int32_t n);
  // printf-style formatting, measured first: never truncates.
  bool Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool FormatV(const char* format, va_list args);
  void Clear();
  void Swap(TempString& other);

  // Byte-wise comparison as unsigned bytes; a shorter string that is a
  // prefix of a longer one sorts first.
  int Compare(const char* bytes, int32_t length = -1) const;
  int Compare(const TempString& other) const { return Compare(other.c_str(), other.length_); }
  bool IsEqual(const TempString& other) const { return Compare(other) == 0; }
  bool IsEqual(const char* text) const { return Compare(text) == 0; }
  bool IsNotEqual(const TempString& other) const { return Compare(other) != 0; }
  bool IsNotEqual(const char* text) const { return Compare(text) != 0; }
  bool IsLess(const TempString& other) const { return Compare(other) < 0; }

  // Makes room for n bytes in total.
  virtual bool Reserve(int32_t n);
  // Releases the buffer; capacity and length 0.
  virtual void Free();
  // The capacity to allocate for n bytes once a buffer exists.
  virtual int32_t RoundUp(int32_t n) const;

 protected:
  // Heap growth shared by the family: first allocation exact (at least 10),
  // later ones RoundUp of n or a quarter more than the capacity, whichever
  // is greater, copying the old capacity.
  bool ReserveOnHeap(int32_t n);
  // Releases a heap buffer only.
  void FreeHeap();

  char* buffer_ = nullptr;
  int32_t capacity_ = 0;
  int32_t length_ = 0;
};
