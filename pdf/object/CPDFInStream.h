#pragma once
// Buffered input byte streams with one byte of look-ahead, stepping back,
// the PDF tokenizer, line reading and pattern search. CPDFFileInStream reads
// a window (start offset, length) of a file; CPDFMemInStream reads a block of
// memory it does not own. Positions are relative to the window's start.
#include <cstdint>
#include <cstdio>

#include "pdf/object/TempString.h"

class CPDFInStream {
 public:
  enum Kind : int32_t { kFile = 0, kString = 2 };
  static constexpr int32_t kDefaultBufferSize = 4096;
  // Token buffers of the readers hold at most 255 bytes and the NUL.
  static constexpr int32_t kTokenSize = 256;

  CPDFInStream(const CPDFInStream&) = delete;
  CPDFInStream& operator=(const CPDFInStream&) = delete;
  virtual ~CPDFInStream();

  int32_t GetStreamKind() const { return streamKind_; }
  const char* GetKindName() const { return kindName_; }

  // The next byte (0..255) without or with consuming it; -1 at the end.
  int Peek();
  int Get();
  // Steps back n bytes (inside the buffer, or by seeking the device).
  bool Unget(int32_t n = 1);
  // Copies up to n bytes; answers the count read.
  virtual int32_t Read(void* bytes, int32_t n);
  bool IsExhausted() const { return position_ >= fill_; }

  int32_t SkipWhiteSpace();
  // When a "%" follows: consumes the comment up to (not including) the end
  // of line, copying at most size - 1 bytes into the buffer when one is
  // given. Answers the count consumed.
  int32_t SkipComment(char* buffer = nullptr, int32_t size = 0);
  void SkipWhiteSpaceAndComments();
  // One token of at most size - 1 bytes: a delimiter alone, or regular
  // bytes up to white space, a delimiter, "%" or the end. None at the end.
  char* ReadToken(char* buffer, int32_t size);
  // One line without its end-of-line bytes; empty lines are skipped; a line
  // longer than size - 1 bytes comes back in pieces. Answers the count.
  int32_t ReadLine(char* buffer, int32_t size);
  // Searches forward from the current position; answers the position of the
  // pattern's first byte (the stream is then positioned there) or -1.
  int32_t Find(const char* pattern, int32_t length);

  // Typed extractors; each resets the extraction count first.
  bool ExtractToken(char* buffer, int32_t size = kTokenSize);
  bool ExtractLong(int32_t& value);
  bool ExtractReal(float& value);
  // "true" or "false"; any other token leaves the value unchanged.
  bool ExtractBool(bool& value);
  // Skips white space and comments, then takes one byte.
  bool ExtractByte(char& value);
  int32_t GetExtractCount() const { return extractCount_; }

  virtual void Close();

  // Device operations.
  // Refills the buffer with the next bytes; false when none are left.
  virtual bool Refill() = 0;
  // Position of the next byte to be read.
  virtual int32_t GetPosition() = 0;
  // 0 on success, -1 outside the window. Empties the buffer.
  virtual int32_t Seek(int32_t position) = 0;
  // Reads past the buffer straight from the device.
  virtual int32_t ReadDirect(void* bytes, int32_t n) = 0;
  virtual int32_t GetSize() = 0;
  virtual bool Failed() const = 0;
  virtual const char* GetErrorText() = 0;
  virtual void ClearError() = 0;

 protected:
  CPDFInStream(int32_t kind, const char* kindName) : streamKind_(kind), kindName_(kindName) {}
  bool AllocBuffer(int32_t size);
  void FreeBuffer();
  void DropBuffer() { position_ = fill_ = 0; }

  int32_t bufferSize_ = 0;
  int32_t position_ = 0;
  int32_t fill_ = 0;
  int32_t extractCount_ = 0;
  uint8_t* buffer_ = nullptr;

 private:
  int32_t streamKind_ = -1;
  const char* kindName_ = "";
};

class CPDFFileInStream : public CPDFInStream {
 public:
  CPDFFileInStream() : CPDFInStream(kFile, "File") {}
  ~CPDFFileInStream() override;

  // Opens the file and sets the window: a negative length means up to the
  // end of the file, else the smaller of length and what the file holds
  // after start. Without a path, reads the standard input.
  bool Open(const char* path, const char* mode, int32_t start = 0, int32_t length = -1,
            int32_t bufferSize = 0);
  void Close() override;
  const char* GetPath() const { return path_.c_str(); }
  int32_t GetStart() const { return start_; }
  int32_t GetLength() const { return length_; }

  bool Refill() override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  int32_t ReadDirect(void* bytes, int32_t n) override;
  int32_t GetSize() override { return length_ < 0 ? 0 : length_; }
  bool Failed() const override { return lastError_ != 0; }
  const char* GetErrorText() override;
  void ClearError() override { lastError_ = 0; }

 private:
  void RecordError();
  // Bytes of the window not yet read from the device.
  int32_t Remaining() const;

  TempString path_;
  FILE* file_ = nullptr;
  bool ownsFile_ = false;
  int32_t start_ = -1;
  int32_t length_ = -1;
  // Window position of the next device read (the end of the buffer).
  int32_t devicePosition_ = 0;
  int lastError_ = 0;
  TempString errorText_;
};

class CPDFMemInStream : public CPDFInStream {
 public:
  CPDFMemInStream() : CPDFInStream(kString, "Str") {}
  ~CPDFMemInStream() override;

  // Attaches the block (not copied; it must outlive the stream).
  bool Open(const void* block, int32_t length, int32_t bufferSize = 0);
  void Close() override;

  bool Refill() override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  int32_t ReadDirect(void* bytes, int32_t n) override;
  int32_t GetSize() override { return length_ < 0 ? 0 : length_; }
  bool Failed() const override { return false; }
  const char* GetErrorText() override { return ""; }
  void ClearError() override {}

 private:
  const uint8_t* block_ = nullptr;
  int32_t offset_ = -1;
  int32_t length_ = -1;
};
