#pragma once
// Buffered, formatted output byte streams: every object writes itself into
// one. End of line is CR LF. Device failures are recorded (Failed,
// GetErrorText) rather than thrown; writers check the stream when done.
#include <cstdint>
#include <cstdio>

#include "pdf/object/TempString.h"

class CPDFOutStream {
 public:
  using Manipulator = CPDFOutStream& (*)(CPDFOutStream&);
  enum Kind : int32_t { kFile = 0, kString = 2 };
  static constexpr int32_t kDefaultBufferSize = 4096;

  CPDFOutStream(const CPDFOutStream&) = delete;
  CPDFOutStream& operator=(const CPDFOutStream&) = delete;
  virtual ~CPDFOutStream();

  int32_t GetStreamKind() const { return streamKind_; }
  const char* GetKindName() const { return kindName_; }
  bool IsOpen() const { return buffer_ != nullptr; }

  // Typed writers.
  virtual void WriteText(const char* text);
  virtual void WriteByte(char byte);
  // "%f", then trailing zeros and a trailing point removed.
  virtual void WriteReal(float value);
  virtual void WriteInt(int32_t value);
  virtual void WriteBool(bool value);
  virtual void Apply(Manipulator manipulator) { manipulator(*this); }
  // Flushes and frees the buffer; false when the device reported an error.
  virtual bool Close();
  // printf-style; the text is measured, never cut.
  bool Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Flushes, then hands the bytes straight to the device.
  virtual int32_t WriteDirect(const void* bytes, int32_t n);
  // The buffered write every writer ends in; answers n (short device
  // writes are recorded as a failure).
  virtual int32_t Write(const void* bytes, int32_t n);
  // Flushes, then copies up to n bytes of the open file `fd`, from
  // `offset`, to the stream inside the kernel where the device allows it.
  // Answers the count copied, which may be anything from 0 to n: the caller
  // writes the rest itself. The base class copies nothing.
  virtual int64_t CopyFromFile(int fd, int64_t offset, int64_t n);

  // Device operations.
  virtual bool Flush() = 0;
  virtual int32_t GetPosition() = 0;
  // 0 on success, -1 on failure.
  virtual int32_t Seek(int32_t position) = 0;
  virtual int32_t GetSize() = 0;
  virtual bool Failed() const = 0;
  virtual const char* GetErrorText() = 0;
  virtual void ClearError() = 0;

  // The end-of-line manipulator: writes CR LF.
  static CPDFOutStream& endl(CPDFOutStream& out);

  CPDFOutStream& operator<<(const char* text) {
    WriteText(text);
    return *this;
  }
  CPDFOutStream& operator<<(char byte) {
    WriteByte(byte);
    return *this;
  }
  CPDFOutStream& operator<<(float value) {
    WriteReal(value);
    return *this;
  }
  CPDFOutStream& operator<<(double value) {
    WriteReal(static_cast<float>(value));
    return *this;
  }
  CPDFOutStream& operator<<(int32_t value) {
    WriteInt(value);
    return *this;
  }
  CPDFOutStream& operator<<(bool value) {
    WriteBool(value);
    return *this;
  }
  CPDFOutStream& operator<<(Manipulator m) {
    Apply(m);
    return *this;
  }

 protected:
  CPDFOutStream(int32_t kind, const char* kindName) : streamKind_(kind), kindName_(kindName) {}
  bool AllocBuffer(int32_t size);
  void FreeBuffer();
  // Hands bytes to the device; answers the count taken.
  virtual int32_t DeviceWrite(const void* bytes, int32_t n) = 0;

  int32_t bufferSize_ = 0;
  int32_t fill_ = 0;
  char* buffer_ = nullptr;

 private:
  int32_t streamKind_ = -1;
  const char* kindName_ = "";
};

// Writes to a file (or, without a path, to the standard output).
class CPDFFileOutStream : public CPDFOutStream {
 public:
  CPDFFileOutStream() : CPDFOutStream(kFile, "File") {}
  ~CPDFFileOutStream() override;

  // Opens the file in the mode ("wb", "ab", ...) and moves to its end. False
  // with the error number kept when it cannot be opened.
  bool Open(const char* path, const char* mode, int32_t bufferSize = 0);
  bool Close() override;
  const char* GetPath() const { return path_.c_str(); }

  bool Flush() override;
  int64_t CopyFromFile(int fd, int64_t offset, int64_t n) override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  int32_t GetSize() override;
  bool Failed() const override { return lastError_ != 0; }
  const char* GetErrorText() override;
  void ClearError() override { lastError_ = 0; }
  int GetLastError() const { return lastError_; }

 protected:
  int32_t DeviceWrite(const void* bytes, int32_t n) override;

 private:
  void RecordError();

  TempString path_;
  FILE* file_ = nullptr;
  bool ownsFile_ = false;
  int lastError_ = 0;
  TempString errorText_;
};

// Collects the bytes in memory. Seeking back overwrites in place.
class CPDFStrOutStream : public CPDFOutStream {
 public:
  CPDFStrOutStream() : CPDFOutStream(kString, "Str") {}
  ~CPDFStrOutStream() override;

  // Allocates the buffer; writing appends to the collected text.
  bool Open(int32_t bufferSize = 0);
  // Frees the buffer and empties the text.
  bool Close() override;
  // Flushes and gives the collected bytes.
  const TempString& GetString();

  bool Flush() override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  int32_t GetSize() override;
  bool Failed() const override { return failed_; }
  const char* GetErrorText() override { return failed_ ? "out of memory" : ""; }
  void ClearError() override { failed_ = false; }

 protected:
  int32_t DeviceWrite(const void* bytes, int32_t n) override;

 private:
  TempString text_;
  int32_t writePosition_ = -1;
  bool failed_ = false;
};
