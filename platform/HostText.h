#pragma once
// The host text encoding: code page 932 (Japanese), fixed and independent of
// the process locale, so that converting text never depends on, or changes,
// the locale that number formatting uses. Converted through iconv.
#include <cstdint>

namespace platform {

// Converts exactly `length` bytes of host text (never reading past them),
// stopping at the first NUL among them, into UTF-16 units. Answers the count
// of units written; -1 on an invalid or incomplete sequence, when the output
// would pass `capacity` units, or on a negative length or capacity.
int32_t HostToUtf16(const uint8_t* text, int32_t length, char16_t* out, int32_t capacity);

// The reverse: `length` UTF-16 units, stopping at the first 0 unit among
// them, into host bytes. Answers the count of bytes written; -1 on a
// character the host code page cannot encode (a lone surrogate included),
// when the output would pass `capacity` bytes, or on a negative length or
// capacity.
int32_t Utf16ToHost(const char16_t* text, int32_t length, uint8_t* out, int32_t capacity);

}  // namespace platform
