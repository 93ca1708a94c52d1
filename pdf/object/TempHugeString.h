#pragma once
// The stream data buffer: a TempString whose growth rounds to 4096 bytes and
// whose large data (requests above 40960 bytes) moves into a temporary file
// mapped into memory, so the bytes stay one contiguous block while the
// system pages them to disk. The file is a work file without a name
// (platform/TempFile.h) in the work folder that the environment sets (the
// system's temporary folder when none is set); once the data lives there it
// stays until Free or destruction, which release the file.
//
// A failed move from the heap into a file leaves the heap data as it was; a
// failed growth of a file loses the data (the buffer is freed and empty).
// Pointers into the buffer are invalid after any growth.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "pdf/object/ByteSink.h"
#include "pdf/object/TempString.h"

class FileMap;

class TempHugeString : public TempString {
 public:
  static constexpr int32_t kHeapLimit = 40960;
  static constexpr int32_t kBlock = 4096;

  TempHugeString();
  TempHugeString(const TempHugeString& other);
  TempHugeString& operator=(const TempHugeString& other);
  ~TempHugeString() override;

  // Like TempString::Assign, also when the bytes lie in this buffer.
  bool Assign(const char* bytes, int32_t length = -1);
  // Like TempString::Append. Bytes for mapped storage go into the file by
  // its descriptor, not through the view: fresh pages of the process cost
  // a fault each, the file's own pages do not.
  bool Append(const char* bytes, int32_t length = -1);
  using TempString::Append;
  // Copies n bytes from offset into the caller's memory (by the descriptor
  // for mapped storage, so the view's pages stay untouched). False when the
  // range passes the length or the read fails.
  bool ReadAt(int32_t offset, char* into, int32_t n) const;
  // Exchanges buffers, mapped storage included.
  void Swap(TempHugeString& other);

  bool Reserve(int32_t n) override;
  void Free() override;
  int32_t RoundUp(int32_t n) const override;

  // Lets the system take back the memory that the mapped bytes [from, to)
  // occupy; they stay in the file and read back the same. Nothing for data
  // on the heap.
  void ReleasePages(int32_t from, int32_t to);

  // True while the bytes live in a mapped temporary file.
  bool IsMapped() const { return map_ != nullptr; }
  // The mapped file's path: "" while on the heap, and "" for the work files
  // the buffer makes, which have no name.
  const char* GetFilePath() const;

  // Why the last move into mapped storage, or growth of it, failed: the
  // error number (0 while none failed; ENOSPC or EDQUOT for a full folder)
  // and the folder the work file lies in or was to go to.
  int GetStorageError() const { return storageError_; }
  const std::string& GetStorageFolder() const { return storageFolder_; }

 private:
  bool ReserveLarge(int32_t n);
  void FreeLarge();
  bool StorageFailed(const FileMap& map);

  std::unique_ptr<FileMap> map_;
  int storageError_ = 0;
  std::string storageFolder_;
};

// Lets producers of stream bytes (codecs, image readers) append straight to
// a buffer. Put fails when the buffer cannot grow or would pass 2^31 - 2
// bytes; nothing is then appended. Mapped storage grows by an eighth at a
// time, so a file holds little more than its data, and the pages written
// are handed back to the system every kReleaseStep bytes: a large output
// costs the process little resident memory.
class TempHugeStringSink : public ByteSink {
 public:
  static constexpr int32_t kReleaseStep = int32_t{8} << 20;

  explicit TempHugeStringSink(TempHugeString& target) : target_(target) {}
  bool Put(const uint8_t* data, size_t size) override;
  size_t Size() const override { return static_cast<size_t>(target_.GetLength()); }

 private:
  TempHugeString& target_;
  int32_t released_ = 0;  // the bytes before this are handed back
};
