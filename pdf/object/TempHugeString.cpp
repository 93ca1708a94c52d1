#include "pdf/object/TempHugeString.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "pdf/object/FileMap.h"
#include "platform/SystemError.h"
#include "platform/TempFile.h"

TempHugeString::TempHugeString() = default;

TempHugeString::TempHugeString(const TempHugeString& other) : TempString() {
  Assign(other.c_str(), other.GetLength());
}

TempHugeString& TempHugeString::operator=(const TempHugeString& other) {
  if (this != &other) Assign(other.c_str(), other.GetLength());
  return *this;
}

// The base destructor cannot reach this class's Free, so everything is
// released here and the base finds no buffer.
TempHugeString::~TempHugeString() { Free(); }

bool TempHugeString::Assign(const char* bytes, int32_t length) {
  if (length < 0) length = bytes ? static_cast<int32_t>(std::strlen(bytes)) : 0;
  if (bytes && length > 0 && buffer_ && bytes >= buffer_ && bytes < buffer_ + capacity_) {
    // The source is about to be freed with this buffer: copy it first.
    std::vector<char> copy(bytes, bytes + length);
    return TempString::Assign(copy.data(), length);
  }
  return TempString::Assign(bytes, length);
}

bool TempHugeString::Append(const char* bytes, int32_t length) {
  if (length < 0) length = bytes ? static_cast<int32_t>(std::strlen(bytes)) : 0;
  if (!bytes || length == 0) return true;
  if (buffer_ && bytes >= buffer_ && bytes < buffer_ + capacity_) {
    return TempString::Append(bytes, length);  // copies its source first
  }
  if (length > INT32_MAX - 1 - length_ || !Reserve(length_ + length + 1)) return false;
  if (!map_) return TempString::Append(bytes, length);
  if (!map_->Write(static_cast<size_t>(length_), bytes, static_cast<size_t>(length), true)) {
    return false;
  }
  length_ += length;
  return true;
}

bool TempHugeString::ReadAt(int32_t offset, char* into, int32_t n) const {
  if (offset < 0 || n < 0 || offset > length_ || n > length_ - offset) return false;
  if (n == 0) return true;
  if (map_) return map_->Read(static_cast<size_t>(offset), into, static_cast<size_t>(n));
  std::memcpy(into, buffer_ + offset, static_cast<size_t>(n));
  return true;
}

void TempHugeString::Swap(TempHugeString& other) {
  TempString::Swap(other);
  map_.swap(other.map_);
}

bool TempHugeString::Reserve(int32_t n) {
  if (n < 0) return false;
  if (n <= capacity_) return true;
  if (n <= kHeapLimit && !map_) return ReserveOnHeap(n);
  return ReserveLarge(n);
}

void TempHugeString::Free() {
  FreeLarge();
  FreeHeap();
}

int32_t TempHugeString::RoundUp(int32_t n) const {
  if (n <= 0) return 0;
  const int64_t rounded = (int64_t{n} + kBlock - 1) / kBlock * kBlock;
  return rounded > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rounded);
}

void TempHugeString::ReleasePages(int32_t from, int32_t to) {
  if (!map_ || from < 0 || to <= from) return;
  map_->ReleasePages(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

const char* TempHugeString::GetFilePath() const { return map_ ? map_->GetPath().c_str() : ""; }

bool TempHugeString::ReserveLarge(int32_t n) {
  if (map_) {
    // Each growth maps the file anew: by an eighth at least, so that data
    // appended piece by piece (a stream read in 4096-byte pieces) remaps it
    // O(log n) times, not once per piece.
    const int64_t grown = int64_t{capacity_} + capacity_ / 8;
    const int32_t capacity =
        RoundUp(grown > n && grown <= INT32_MAX ? static_cast<int32_t>(grown) : n);
    if (capacity < n || !map_->Resize(static_cast<size_t>(capacity))) {
      if (capacity >= n) StorageFailed(*map_);
      // The map removed its file: the data is gone.
      Free();
      return false;
    }
    buffer_ = map_->GetView();
    capacity_ = capacity;
    return true;
  }
  // A first buffer gets exactly the request; a heap buffer moves into a
  // file rounded to the block size.
  const int32_t capacity = buffer_ ? RoundUp(n) : n;
  if (capacity < n) return false;
  std::unique_ptr<FileMap> map(new FileMap);
  std::string prefix = platform::WorkFilePrefix();
  if (prefix.empty()) prefix = "pn";
  if (!map->Create(platform::WorkFolder(), prefix, static_cast<size_t>(capacity))) {
    return StorageFailed(*map);  // the heap data, if any, stays as it was
  }
  // The new file reads as zeros, so an empty buffer is already terminated.
  char* view = map->GetView();
  if (buffer_) {
    if (!map->Write(0, buffer_, static_cast<size_t>(capacity_))) return StorageFailed(*map);
    const int32_t length = length_;
    FreeHeap();
    length_ = length;
  }
  map_ = std::move(map);
  buffer_ = view;
  capacity_ = capacity;
  return true;
}

// Keeps why the map could not be made or grown (the system error its
// failing call recorded) and where; false.
bool TempHugeString::StorageFailed(const FileMap& map) {
  storageError_ = platform::GetLastSystemError();
  if (storageError_ == 0) storageError_ = EIO;
  storageFolder_ = map.GetFolder();
  return false;
}

void TempHugeString::FreeLarge() {
  if (!map_) return;
  map_.reset();  // unmaps and closes the file, which goes with it
  buffer_ = nullptr;
  capacity_ = 0;
  length_ = 0;
}

bool TempHugeStringSink::Put(const uint8_t* data, size_t size) {
  if (size == 0) return true;
  if (size > static_cast<size_t>(INT32_MAX - 1 - target_.GetLength())) return false;
  const int32_t need = target_.GetLength() + static_cast<int32_t>(size) + 1;
  if (need > target_.GetCapacity() && target_.IsMapped()) {
    // A producer appends many small pieces: grow mapped storage by an eighth
    // at a time rather than remapping the file for every piece.
    const int64_t grown = int64_t{target_.GetCapacity()} + target_.GetCapacity() / 8;
    if (grown > need && grown < INT32_MAX && !target_.Reserve(static_cast<int32_t>(grown))) {
      return false;  // a failed growth of mapped storage has dropped the data
    }
  }
  if (!target_.Append(reinterpret_cast<const char*>(data), static_cast<int32_t>(size)))
    return false;
  if (released_ > target_.GetLength()) released_ = 0;  // the buffer was emptied meanwhile
  if (target_.IsMapped() && target_.GetLength() - released_ >= kReleaseStep) {
    target_.ReleasePages(released_, target_.GetLength());
    released_ = target_.GetLength();
  }
  return true;
}
