#include "pdf/object/CPDFInStream.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "pdf/object/PDFSyntax.h"
#include "platform/SystemError.h"

using pdfsyntax::IsDelimiter;
using pdfsyntax::IsEndOfLine;
using pdfsyntax::IsWhiteSpace;

CPDFInStream::~CPDFInStream() { FreeBuffer(); }

bool CPDFInStream::AllocBuffer(int32_t size) {
  FreeBuffer();
  if (size <= 0) size = kDefaultBufferSize;
  buffer_ = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
  if (!buffer_) return false;
  bufferSize_ = size;
  return true;
}

void CPDFInStream::FreeBuffer() {
  delete[] buffer_;
  buffer_ = nullptr;
  bufferSize_ = position_ = fill_ = extractCount_ = 0;
}

void CPDFInStream::Close() { FreeBuffer(); }

int CPDFInStream::Peek() {
  if (position_ >= fill_ && !Refill()) return -1;
  if (position_ >= fill_) return -1;
  return buffer_[position_];
}

int CPDFInStream::Get() {
  const int c = Peek();
  if (c >= 0) ++position_;
  return c;
}

bool CPDFInStream::Unget(int32_t n) {
  if (n <= 0) return true;
  if (n <= position_) {
    position_ -= n;
    return true;
  }
  const int32_t at = GetPosition();
  if (at < n) return false;
  return Seek(at - n) == 0;
}

int32_t CPDFInStream::Read(void* bytes, int32_t n) {
  if (!bytes || n <= 0) return 0;
  uint8_t* out = static_cast<uint8_t*>(bytes);
  const int32_t buffered = fill_ - position_;
  const int32_t take = buffered < n ? buffered : n;
  if (take > 0) {
    std::memcpy(out, buffer_ + position_, static_cast<size_t>(take));
    position_ += take;
  }
  if (take == n) return n;
  const int32_t direct = ReadDirect(out + take, n - take);
  return take + (direct > 0 ? direct : 0);
}

int32_t CPDFInStream::SkipWhiteSpace() {
  int32_t n = 0;
  for (int c = Peek(); c >= 0 && IsWhiteSpace(c); c = Peek()) {
    ++position_;
    ++n;
  }
  return n;
}

int32_t CPDFInStream::SkipComment(char* buffer, int32_t size) {
  if (Peek() != '%') return 0;
  int32_t n = 0;
  int32_t stored = 0;
  for (int c = Peek(); c >= 0 && !IsEndOfLine(c); c = Peek()) {
    ++position_;
    ++n;
    if (buffer && stored < size - 1) buffer[stored++] = static_cast<char>(c);
  }
  if (buffer && size > 0) buffer[stored] = '\0';
  return n;
}

void CPDFInStream::SkipWhiteSpaceAndComments() {
  while (SkipWhiteSpace() > 0 || SkipComment() > 0) {
  }
}

char* CPDFInStream::ReadToken(char* buffer, int32_t size) {
  if (!buffer || size < 2) return nullptr;
  SkipWhiteSpaceAndComments();
  int c = Peek();
  if (c < 0) return nullptr;
  int32_t n = 0;
  if (IsDelimiter(c)) {
    buffer[n++] = static_cast<char>(Get());
  } else {
    while (n < size - 1 && c >= 0 && !IsWhiteSpace(c) && !IsDelimiter(c) && c != '%') {
      buffer[n++] = static_cast<char>(Get());
      c = Peek();
    }
  }
  buffer[n] = '\0';
  return n > 0 ? buffer : nullptr;
}

int32_t CPDFInStream::ReadLine(char* buffer, int32_t size) {
  if (!buffer || size < 1) return 0;
  int32_t n = 0;
  while (n < size - 1) {
    const int c = Peek();
    if (c < 0) break;
    if (IsEndOfLine(c)) {
      Get();
      if (c == '\r' && Peek() == '\n') Get();
      if (n == 0) continue;  // an empty line
      break;
    }
    buffer[n++] = static_cast<char>(Get());
  }
  buffer[n] = '\0';
  return n;
}

int32_t CPDFInStream::Find(const char* pattern, int32_t length) {
  if (!pattern || length <= 0) return -1;
  // Knuth-Morris-Pratt over the byte sequence, so a match may straddle
  // any number of buffer refills.
  std::vector<int32_t> fail(static_cast<size_t>(length), 0);
  for (int32_t i = 1, k = 0; i < length; ++i) {
    while (k > 0 && pattern[i] != pattern[k]) k = fail[static_cast<size_t>(k - 1)];
    if (pattern[i] == pattern[k]) ++k;
    fail[static_cast<size_t>(i)] = k;
  }
  int32_t matched = 0;
  for (int c = Get(); c >= 0; c = Get()) {
    const char ch = static_cast<char>(c);
    while (matched > 0 && ch != pattern[matched]) matched = fail[static_cast<size_t>(matched - 1)];
    if (ch == pattern[matched]) ++matched;
    if (matched == length) {
      const int32_t at = GetPosition() - length;
      if (!Unget(length)) return -1;
      return at;
    }
  }
  return -1;
}

bool CPDFInStream::ExtractToken(char* buffer, int32_t size) {
  extractCount_ = 0;
  if (!ReadToken(buffer, size)) return false;
  extractCount_ = static_cast<int32_t>(std::strlen(buffer));
  return true;
}

bool CPDFInStream::ExtractLong(int32_t& value) {
  char token[kTokenSize];
  if (!ExtractToken(token, kTokenSize)) return false;
  value = pdfsyntax::ParseLong(token);
  return true;
}

bool CPDFInStream::ExtractReal(float& value) {
  char token[kTokenSize];
  if (!ExtractToken(token, kTokenSize)) return false;
  value = pdfsyntax::ParseReal(token);
  return true;
}

bool CPDFInStream::ExtractBool(bool& value) {
  char token[kTokenSize];
  if (!ReadToken(token, kTokenSize)) {
    extractCount_ = 0;
    return false;
  }
  extractCount_ = 0;
  if (std::strcmp(token, "true") == 0) {
    value = true;
  } else if (std::strcmp(token, "false") == 0) {
    value = false;
  } else {
    return false;
  }
  return true;
}

bool CPDFInStream::ExtractByte(char& value) {
  extractCount_ = 0;
  SkipWhiteSpaceAndComments();
  const int c = Get();
  if (c < 0) return false;
  value = static_cast<char>(c);
  extractCount_ = 1;
  return true;
}

// ---- file stream ----

CPDFFileInStream::~CPDFFileInStream() { Close(); }

void CPDFFileInStream::RecordError() {
  lastError_ = errno != 0 ? errno : EIO;
  platform::SetLastSystemError(lastError_);
}

bool CPDFFileInStream::Open(const char* path, const char* mode, int32_t start, int32_t length,
                            int32_t bufferSize) {
  Close();
  lastError_ = 0;
  if (!AllocBuffer(bufferSize)) {
    lastError_ = ENOMEM;
    return false;
  }
  if (!path || !*path) {
    file_ = stdin;
    ownsFile_ = false;
    start_ = 0;
    length_ = 0;
    devicePosition_ = 0;
    return true;
  }
  if (start < 0) start = 0;
  file_ = std::fopen(path, mode ? mode : "rb");
  struct stat info {};
  if (!file_ || fstat(fileno(file_), &info) != 0 || fseeko(file_, start, SEEK_SET) != 0) {
    RecordError();
    if (file_) std::fclose(file_);
    file_ = nullptr;
    FreeBuffer();
    return false;
  }
  ownsFile_ = true;
  path_.Assign(path);
  const int64_t size = info.st_size;
  int64_t remainder = size - start;
  if (remainder < 0) remainder = 0;
  if (remainder > INT32_MAX) remainder = INT32_MAX;
  start_ = start;
  length_ = length < 0 || length > remainder ? static_cast<int32_t>(remainder) : length;
  devicePosition_ = 0;
  return true;
}

void CPDFFileInStream::Close() {
  FreeBuffer();
  if (file_ && ownsFile_) std::fclose(file_);
  file_ = nullptr;
  ownsFile_ = false;
  path_.Clear();
  start_ = length_ = -1;
  devicePosition_ = 0;
}

int32_t CPDFFileInStream::Remaining() const {
  if (!ownsFile_) return INT32_MAX;  // the standard input has no window
  return length_ - devicePosition_;
}

bool CPDFFileInStream::Refill() {
  DropBuffer();
  if (!file_ || !buffer_) return false;
  int32_t want = bufferSize_;
  if (Remaining() < want) want = Remaining();
  if (want <= 0) return false;
  errno = 0;
  const size_t got = std::fread(buffer_, 1, static_cast<size_t>(want), file_);
  if (got < static_cast<size_t>(want) && std::ferror(file_)) RecordError();
  fill_ = static_cast<int32_t>(got);
  devicePosition_ += fill_;
  return fill_ > 0;
}

int32_t CPDFFileInStream::GetPosition() { return devicePosition_ - fill_ + position_; }

int32_t CPDFFileInStream::Seek(int32_t position) {
  if (!file_ || !ownsFile_ || position < 0 || position > length_) return -1;
  if (fseeko(file_, int64_t{start_} + position, SEEK_SET) != 0) {
    RecordError();
    return -1;
  }
  DropBuffer();
  devicePosition_ = position;
  return 0;
}

int32_t CPDFFileInStream::ReadDirect(void* bytes, int32_t n) {
  if (!file_ || n <= 0) return 0;
  if (Remaining() < n) n = Remaining();
  if (n <= 0) return 0;
  // The buffer is consumed: the device position is the stream position.
  DropBuffer();
  errno = 0;
  const size_t got = std::fread(bytes, 1, static_cast<size_t>(n), file_);
  if (got < static_cast<size_t>(n) && std::ferror(file_)) RecordError();
  devicePosition_ += static_cast<int32_t>(got);
  return static_cast<int32_t>(got);
}

const char* CPDFFileInStream::GetErrorText() {
  if (lastError_ == 0) return "";
  errorText_.Assign(platform::SystemErrorText(lastError_).c_str());
  return errorText_.c_str();
}

// ---- memory stream ----

CPDFMemInStream::~CPDFMemInStream() { Close(); }

bool CPDFMemInStream::Open(const void* block, int32_t length, int32_t bufferSize) {
  Close();
  if (length < 0 || (!block && length > 0)) return false;
  if (!AllocBuffer(bufferSize)) return false;
  block_ = static_cast<const uint8_t*>(block);
  length_ = length;
  offset_ = 0;
  return true;
}

void CPDFMemInStream::Close() {
  FreeBuffer();
  block_ = nullptr;
  offset_ = length_ = -1;
}

bool CPDFMemInStream::Refill() {
  DropBuffer();
  if (!buffer_ || offset_ < 0 || offset_ >= length_) return false;
  int32_t n = length_ - offset_;
  if (n > bufferSize_) n = bufferSize_;
  std::memcpy(buffer_, block_ + offset_, static_cast<size_t>(n));
  offset_ += n;
  fill_ = n;
  return true;
}

int32_t CPDFMemInStream::GetPosition() { return offset_ < 0 ? 0 : offset_ - fill_ + position_; }

int32_t CPDFMemInStream::Seek(int32_t position) {
  if (offset_ < 0 || position < 0 || position > length_) return -1;
  DropBuffer();
  offset_ = position;
  return 0;
}

int32_t CPDFMemInStream::ReadDirect(void* bytes, int32_t n) {
  if (offset_ < 0 || n <= 0) return 0;
  DropBuffer();
  if (n > length_ - offset_) n = length_ - offset_;
  if (n <= 0) return 0;
  std::memcpy(bytes, block_ + offset_, static_cast<size_t>(n));
  offset_ += n;
  return n;
}
