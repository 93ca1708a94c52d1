#include "launcher/core/InstallInfo.h"

#include "platform/SystemError.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <vector>

namespace launcher {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Closes a descriptor when the scope ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Converts code page 932 to UTF-8 through iconv; none on any invalid sequence.
std::optional<std::string> FromCp932(std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    platform::RecordSystemError();
    return std::nullopt;
  }
  std::string out;
  // Two-byte characters become at most three bytes; one-byte ones (half-width
  // katakana) at most three as well, so three times the input always suffices.
  out.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* dest = out.data();
  size_t outLeft = out.size();
  std::optional<std::string> result;
  for (;;) {
    const size_t rc = iconv(cd, &in, &inLeft, &dest, &outLeft);
    if (rc != static_cast<size_t>(-1)) {
      // Flush any shift state, then done.
      if (iconv(cd, nullptr, nullptr, &dest, &outLeft) != static_cast<size_t>(-1)) {
        out.resize(out.size() - outLeft);
        result = std::move(out);
      }
      break;
    }
    if (errno != E2BIG) break;  // EILSEQ or EINVAL: not code page 932
    const size_t used = static_cast<size_t>(dest - out.data());
    out.resize(out.size() * 2);
    dest = out.data() + used;
    outLeft = out.size() - used;
  }
  iconv_close(cd);
  return result;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;   // no overlong forms
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (n - i < length) return false;
    if (p[i + 1] < low || p[i + 1] > high) return false;
    for (size_t k = 2; k < length; ++k) {
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

std::optional<std::string> DecodeInstallText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      bytes.remove_prefix(kByteOrderMark.size());
    }
    return std::string(bytes);
  }
  return FromCp932(bytes);
}

std::optional<InstallInfo> ParseInstallInfo(std::string_view text, std::string_view folder) {
  InstallInfo info;
  size_t lineCount = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    // A CR directly before the LF belongs to the line end; any other CR stays.
    if (end < text.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineCount;
    if (lineCount == 1) {
      info.caption = line;
    } else if (lineCount == 2) {
      info.packagePath.reserve(folder.size() + line.size());
      info.packagePath.append(folder).append(line);
    } else {
      info.description.append(line).append("\r\n");
    }
    pos = next;
  }
  if (lineCount < 3) return std::nullopt;
  return info;
}

std::optional<InstallInfo> ReadInstallInfoFile(const std::string& folder, size_t maxBytes) {
  const std::string path = folder + std::string(kInstallInfoFileName);
  // Non-blocking so that a FIFO of that name cannot stall the open; only a
  // regular file is read.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) {
    platform::RecordSystemError();
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) {
    platform::RecordSystemError();
    return std::nullopt;
  }
  if (!S_ISREG(status.st_mode)) {
    platform::SetLastSystemError(EINVAL);
    return std::nullopt;
  }
  std::string bytes;
  if (status.st_size > 0)
    bytes.reserve(std::min(static_cast<size_t>(status.st_size), maxBytes) + 1);
  std::vector<char> chunk(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(file.Get(), chunk.data(), chunk.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      platform::RecordSystemError();
      return std::nullopt;
    }
    if (got == 0) break;
    if (static_cast<size_t>(got) > maxBytes - bytes.size()) {
      platform::SetLastSystemError(EFBIG);
      return std::nullopt;
    }
    bytes.append(chunk.data(), static_cast<size_t>(got));
  }
  std::optional<std::string> text = DecodeInstallText(bytes);
  if (!text) {
    platform::SetLastSystemError(EILSEQ);
    return std::nullopt;
  }
  return ParseInstallInfo(*text, folder);
}

}  // namespace launcher
