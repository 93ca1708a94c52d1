#pragma once
// A temporary file mapped into memory: large stream data lives in one, so its
// bytes stay addressable as one contiguous block while the system pages them
// to disk. The map owns its file: the destructor unmaps it and removes it.
// A map made by Create holds a work file that has no name in its folder
// (platform/TempFile.h), so not even a killed process leaves it behind.
//
// The file's blocks are reserved (posix_fallocate) before it is mapped, so a
// full disk makes Create, Open or Resize answer false instead of faulting
// later when the mapped bytes are written. Every failure leaves the map
// closed with its file removed, and the failing call's errno recorded as the
// last system error (platform/SystemError.h).
#include <cstddef>
#include <string>

class FileMap {
 public:
  FileMap() = default;
  virtual ~FileMap();
  FileMap(const FileMap&) = delete;
  FileMap& operator=(const FileMap&) = delete;
  FileMap(FileMap&& other) noexcept;
  FileMap& operator=(FileMap&& other) noexcept;

  // Makes a new work file of exactly size bytes in directory (with or without
  // a trailing '/'), or, when directory is empty, in the system's temporary
  // folder ($TMPDIR, and /tmp when that cannot take it), and maps it. The
  // file has no name (GetPath is empty); where the file system needs one
  // for a moment it is "<prefix>XXXXXX.tmp", so the prefix must not contain
  // '/'. With zero the bytes are set to 0 (a new file reads as zeros
  // anyway). Any map held before is closed and removed.
  bool Create(const std::string& directory, const std::string& prefix, size_t size,
              bool zero = false);

  // Creates (or truncates) the file at path, sizes it to size bytes and maps
  // it. The file keeps its name until Close.
  bool Open(const std::string& path, size_t size, bool zero = false);

  // Maps the open file at a new size, keeping its content: the file grows when
  // the size is larger and is not cut when it is smaller. With zero, the bytes
  // from the old size to a larger new size are set to 0. The view moves.
  bool Resize(size_t size, bool zero = false);

  // Lets the system take back the memory of the mapped bytes [offset,
  // offset + length) (whole pages inside the range only). The bytes stay in
  // the file and read back the same: this only keeps bytes that are done
  // with from counting in the process's resident memory.
  void ReleasePages(size_t offset, size_t length);

  // Copies bytes into the file at offset, followed by a NUL when terminate
  // is set, through the descriptor rather than the view: the view sees them
  // at once (one page cache), and no page of the process is touched, which
  // is what makes filling and draining large data cheap. The bytes must lie
  // within the mapped size. False with errno on failure; bytes written
  // before the failure may remain.
  bool Write(size_t offset, const char* bytes, size_t size, bool terminate = false);
  // Copies size bytes from the file at offset into the caller's memory, by
  // the descriptor as above. False with errno when the range passes the
  // mapped size or the read fails.
  bool Read(size_t offset, char* into, size_t size) const;

  // Unmaps and closes; removes the file when deleteFile is set. Always true.
  bool Close(bool deleteFile);

  // The mapped bytes; none while closed.
  char* GetView() const { return view_; }
  // The count of mapped bytes; 0 while closed.
  size_t GetSize() const { return size_; }
  // The file's path; empty while closed and for a work file of Create.
  const std::string& GetPath() const { return path_; }
  // The folder the file lies in; for a Create or Open that failed, the
  // folder it was to go to. Kept after Close.
  const std::string& GetFolder() const { return folder_; }
  bool IsOpen() const { return fd_ >= 0; }

 private:
  bool MapFile(size_t size, bool zero, bool reserved);
  bool Fail();

  std::string path_;
  std::string folder_;
  int fd_ = -1;
  char* view_ = nullptr;
  size_t size_ = 0;
};
