#include "pdf/object/CPDFOutStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <new>

#include "pdf/object/PDFSyntax.h"
#include "platform/SystemError.h"

CPDFOutStream::~CPDFOutStream() { FreeBuffer(); }

bool CPDFOutStream::AllocBuffer(int32_t size) {
  FreeBuffer();
  if (size <= 0) size = kDefaultBufferSize;
  buffer_ = new (std::nothrow) char[static_cast<size_t>(size)];
  if (!buffer_) return false;
  bufferSize_ = size;
  fill_ = 0;
  return true;
}

void CPDFOutStream::FreeBuffer() {
  delete[] buffer_;
  buffer_ = nullptr;
  bufferSize_ = 0;
  fill_ = 0;
}

void CPDFOutStream::WriteText(const char* text) {
  if (text) Write(text, static_cast<int32_t>(std::strlen(text)));
}

void CPDFOutStream::WriteByte(char byte) { Write(&byte, 1); }

void CPDFOutStream::WriteReal(float value) {
  char text[pdfsyntax::kRealTextSize];
  const int32_t n = pdfsyntax::FormatReal(value, text);
  Write(text, n);
}

void CPDFOutStream::WriteInt(int32_t value) {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  Write(text, n);
}

void CPDFOutStream::WriteBool(bool value) { value ? Write("true", 4) : Write("false", 5); }

bool CPDFOutStream::Close() {
  Flush();
  FreeBuffer();
  return !Failed();
}

bool CPDFOutStream::Format(const char* format, ...) {
  TempString text;
  va_list args;
  va_start(args, format);
  const bool ok = text.FormatV(format, args);
  va_end(args);
  if (!ok) return false;
  Write(text.c_str(), text.GetLength());
  return true;
}

int32_t CPDFOutStream::WriteDirect(const void* bytes, int32_t n) {
  Flush();
  if (!bytes || n <= 0) return 0;
  return DeviceWrite(bytes, n);
}

int32_t CPDFOutStream::Write(const void* bytes, int32_t n) {
  if (!bytes || n <= 0) return 0;
  if (!buffer_) return WriteDirect(bytes, n);
  const char* p = static_cast<const char*>(bytes);
  int32_t left = n;
  while (fill_ + left > bufferSize_) {
    const int32_t part = bufferSize_ - fill_;
    std::memcpy(buffer_ + fill_, p, static_cast<size_t>(part));
    fill_ += part;
    p += part;
    left -= part;
    Flush();
  }
  std::memcpy(buffer_ + fill_, p, static_cast<size_t>(left));
  fill_ += left;
  return n;
}

int64_t CPDFOutStream::CopyFromFile(int, int64_t, int64_t) {
  Flush();
  return 0;
}

CPDFOutStream& CPDFOutStream::endl(CPDFOutStream& out) {
  out.Write("\r\n", 2);
  return out;
}

// ---- file stream ----

CPDFFileOutStream::~CPDFFileOutStream() { Close(); }

bool CPDFFileOutStream::Open(const char* path, const char* mode, int32_t bufferSize) {
  Close();
  lastError_ = 0;
  if (!AllocBuffer(bufferSize)) {
    lastError_ = ENOMEM;
    return false;
  }
  if (path && *path) {
    file_ = std::fopen(path, mode ? mode : "wb");
    if (!file_ || fseeko(file_, 0, SEEK_END) != 0) {
      RecordError();
      if (file_) std::fclose(file_);
      file_ = nullptr;
      FreeBuffer();
      return false;
    }
    ownsFile_ = true;
    path_.Assign(path);
  } else {
    file_ = stdout;
    ownsFile_ = false;
    path_.Clear();
  }
  return true;
}

bool CPDFFileOutStream::Close() {
  if (!buffer_ && !file_) return !Failed();
  Flush();
  FreeBuffer();
  if (file_) {
    if (ownsFile_) {
      if (std::fclose(file_) != 0) RecordError();
    } else if (std::fflush(file_) != 0) {
      RecordError();
    }
  }
  file_ = nullptr;
  ownsFile_ = false;
  path_.Clear();
  return !Failed();
}

void CPDFFileOutStream::RecordError() {
  lastError_ = errno != 0 ? errno : EIO;
  platform::SetLastSystemError(lastError_);
}

int32_t CPDFFileOutStream::DeviceWrite(const void* bytes, int32_t n) {
  if (!file_) {
    if (n > 0) lastError_ = EBADF;
    return 0;
  }
  errno = 0;
  const size_t written = std::fwrite(bytes, 1, static_cast<size_t>(n), file_);
  if (written != static_cast<size_t>(n)) RecordError();
  return static_cast<int32_t>(written);
}

bool CPDFFileOutStream::Flush() {
  if (fill_ <= 0) return !Failed();
  const int32_t n = fill_;
  fill_ = 0;
  return DeviceWrite(buffer_, n) == n;
}

int64_t CPDFFileOutStream::CopyFromFile(int fd, int64_t offset, int64_t n) {
  if (!Flush() || !file_ || n <= 0 || offset < 0) return 0;
  if (std::fflush(file_) != 0) {
    RecordError();
    return 0;
  }
  const off_t at = ftello(file_);
  if (at < 0) return 0;
  // Both offsets are passed, so neither descriptor's position is used or
  // moved; the stream is moved past the copy afterwards. A device or file
  // system that cannot copy this way (a pipe, an appending file, another
  // file system on an older kernel) answers at once, and the caller writes.
  off_t from = static_cast<off_t>(offset);
  off_t to = at;
  int64_t done = 0;
  while (done < n) {
    const ssize_t k =
        ::copy_file_range(fd, &from, fileno(file_), &to, static_cast<size_t>(n - done), 0);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) break;
    done += k;
  }
  if (done > 0 && fseeko(file_, at + static_cast<off_t>(done), SEEK_SET) != 0) {
    RecordError();
    return 0;
  }
  return done;
}

int32_t CPDFFileOutStream::GetPosition() {
  if (!file_) return fill_;
  const off_t at = ftello(file_);
  if (at < 0) return -1;
  const int64_t pos = int64_t{at} + fill_;
  return pos > INT32_MAX ? -1 : static_cast<int32_t>(pos);
}

int32_t CPDFFileOutStream::Seek(int32_t position) {
  Flush();
  if (!file_ || position < 0 || fseeko(file_, position, SEEK_SET) != 0) {
    if (file_) RecordError();
    return -1;
  }
  return 0;
}

int32_t CPDFFileOutStream::GetSize() {
  if (path_.IsEmpty()) return 0;
  if (file_) std::fflush(file_);
  struct stat info {};
  if (stat(path_.c_str(), &info) != 0) return 0;
  int64_t size = info.st_size;
  size += fill_;
  return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
}

const char* CPDFFileOutStream::GetErrorText() {
  if (lastError_ == 0) return "";
  errorText_.Assign(platform::SystemErrorText(lastError_).c_str());
  return errorText_.c_str();
}

// ---- string stream ----

CPDFStrOutStream::~CPDFStrOutStream() { Close(); }

bool CPDFStrOutStream::Open(int32_t bufferSize) {
  if (!AllocBuffer(bufferSize)) return false;
  writePosition_ = text_.GetLength();
  failed_ = false;
  return true;
}

bool CPDFStrOutStream::Close() {
  FreeBuffer();
  text_.Clear();
  writePosition_ = -1;
  return !failed_;
}

const TempString& CPDFStrOutStream::GetString() {
  Flush();
  return text_;
}

int32_t CPDFStrOutStream::DeviceWrite(const void* bytes, int32_t n) {
  if (n <= 0) return 0;
  if (writePosition_ < 0) writePosition_ = text_.GetLength();
  const char* p = static_cast<const char*>(bytes);
  const int32_t length = text_.GetLength();
  if (int64_t{writePosition_} + n <= length) {
    std::memcpy(text_.GetBuffer() + writePosition_, p, static_cast<size_t>(n));
  } else {
    // Keep the text up to the write position, then append.
    if (!text_.Truncate(writePosition_) || !text_.Append(p, n)) {
      failed_ = true;
      return 0;
    }
  }
  writePosition_ += n;
  return n;
}

bool CPDFStrOutStream::Flush() {
  if (fill_ <= 0) return !failed_;
  const int32_t n = fill_;
  fill_ = 0;
  return DeviceWrite(buffer_, n) == n;
}

int32_t CPDFStrOutStream::GetPosition() {
  return (writePosition_ < 0 ? text_.GetLength() : writePosition_) + fill_;
}

int32_t CPDFStrOutStream::Seek(int32_t position) {
  Flush();
  if (position < 0 || position > text_.GetLength()) return -1;
  writePosition_ = position;
  return 0;
}

int32_t CPDFStrOutStream::GetSize() { return text_.GetLength() + fill_; }
