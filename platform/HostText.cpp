#include "platform/HostText.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace platform {

namespace {

// Code page 932 as glibc names it. Not "SHIFT_JIS": that table maps 5C and
// 7E to the yen sign and the overline and lacks the vendor rows.
constexpr const char* kHostCodePage = "CP932";
// UTF-16 in the byte order of char16_t in memory, without a byte-order mark.
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (IsOpen()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool IsOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts inBytes bytes into at most outBytes bytes; the count of bytes
  // written, or -1 on any failure (an invalid, incomplete or unencodable
  // sequence, or too little room).
  ptrdiff_t Run(const void* in, size_t inBytes, void* out, size_t outBytes) {
    if (!IsOpen()) return -1;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // initial state
    char* src = const_cast<char*>(static_cast<const char*>(in));
    char* dest = static_cast<char*>(out);
    char scratch = 0;
    if (!dest) dest = &scratch;  // iconv wants a pointer even for no room
    size_t srcLeft = inBytes;
    size_t destLeft = outBytes;
    char* const start = dest;
    if (iconv(cd_, &src, &srcLeft, &dest, &destLeft) == static_cast<size_t>(-1)) return -1;
    if (iconv(cd_, nullptr, nullptr, &dest, &destLeft) == static_cast<size_t>(-1)) return -1;
    return dest - start;
  }

 private:
  iconv_t cd_;
};

}  // namespace

int32_t HostToUtf16(const uint8_t* text, int32_t length, char16_t* out, int32_t capacity) {
  if (length < 0 || capacity < 0 || (length > 0 && !text)) return -1;
  const void* nul = length > 0 ? std::memchr(text, 0, static_cast<size_t>(length)) : nullptr;
  const size_t bytes = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - text)
                           : static_cast<size_t>(length);
  if (bytes == 0) return 0;
  thread_local Converter toUtf16(kUtf16, kHostCodePage);
  const ptrdiff_t written =
      toUtf16.Run(text, bytes, out, static_cast<size_t>(capacity) * sizeof(char16_t));
  if (written < 0) return -1;
  return static_cast<int32_t>(static_cast<size_t>(written) / sizeof(char16_t));
}

int32_t Utf16ToHost(const char16_t* text, int32_t length, uint8_t* out, int32_t capacity) {
  if (length < 0 || capacity < 0 || (length > 0 && !text)) return -1;
  int32_t units = 0;
  while (units < length && text[units] != 0) ++units;
  if (units == 0) return 0;
  thread_local Converter toHost(kHostCodePage, kUtf16);
  const ptrdiff_t written = toHost.Run(text, static_cast<size_t>(units) * sizeof(char16_t), out,
                                       static_cast<size_t>(capacity));
  if (written < 0) return -1;
  return static_cast<int32_t>(written);
}

}  // namespace platform
