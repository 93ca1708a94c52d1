#include "pdf/object/PDFSyntax.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace pdfsyntax {

namespace {
const char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

bool NameNeedsEscape(unsigned char c) {
  if (c < 0x21 || c > 0x7E) return true;
  return std::strchr("#%()/<>[]{}", c) != nullptr;
}

int32_t LengthOf(const char* bytes, int32_t length) {
  if (!bytes) return 0;
  return length < 0 ? static_cast<int32_t>(std::strlen(bytes)) : length;
}
}  // namespace

int32_t FormatReal(float value, char* out) {
  double v = static_cast<double>(value);
  if (!std::isfinite(v)) v = 0.0;
  auto result = std::to_chars(out, out + kRealTextSize - 1, v, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) {
    out[0] = '0';
    out[1] = '\0';
    return 1;
  }
  char* end = result.ptr;
  if (std::memchr(out, '.', static_cast<size_t>(end - out))) {
    while (end > out && end[-1] == '0') --end;
    if (end > out && end[-1] == '.') --end;
  }
  *end = '\0';
  return static_cast<int32_t>(end - out);
}

int32_t ParseLong(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  int64_t value = 0;
  bool any = false;
  while (*p >= '0' && *p <= '9') {
    any = true;
    if (value <= int64_t{1} << 40) value = value * 10 + (*p - '0');
    ++p;
  }
  if (!any) return 0;
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

float ParseReal(const char* text) {
  if (!text) return 0.0f;
  const char* p = text;
  while (IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Only plain decimal text: no sign after the one taken, no inf/nan/hex.
  if (!((*p >= '0' && *p <= '9') || *p == '.')) return 0.0f;
  double value = 0.0;
  const char* end = p + std::strlen(p);
  auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: saturate like the runtime.
    bool big = false;
    for (const char* q = p; q < end && *q != 'e' && *q != 'E'; ++q) {
      if (*q >= '1' && *q <= '9') big = true;
    }
    const char* e = std::strpbrk(p, "eE");
    if (e && e[1] == '-') big = false;
    value = big ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc()) {
    return 0.0f;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::max();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

uint8_t HexToByte(char high, char low) {
  return static_cast<uint8_t>(HexValue(high) * 16 + HexValue(low));
}

bool EscapeName(TempString& out, const char* bytes, int32_t length) {
  length = LengthOf(bytes, length);
  TempString text;
  if (!text.Reserve(length * 3 + 2)) return false;
  text.Append("/", 1);
  for (int32_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (NameNeedsEscape(c)) {
      const char esc[3] = {'#', kHex[c >> 4], kHex[c & 15]};
      text.Append(esc, 3);
    } else {
      text.Append(reinterpret_cast<const char*>(&c), 1);
    }
  }
  return out.Append(text.c_str(), text.GetLength());
}

bool UnescapeName(TempString& out, const char* text, int32_t length) {
  length = LengthOf(text, length);
  if (length < 1 || text[0] != '/') return false;
  TempString bytes;
  if (!bytes.Reserve(length)) return false;
  for (int32_t i = 1; i < length; ++i) {
    char c = text[i];
    // Only "#" and two hexadecimal digits is an escape; any other "#" is
    // the byte itself, so /Im# and /Im#1 stay two names (written back with
    // #23).
    if (c == '#' && length - i - 1 >= 2 && IsHexDigit(static_cast<unsigned char>(text[i + 1])) &&
        IsHexDigit(static_cast<unsigned char>(text[i + 2]))) {
      c = static_cast<char>(HexToByte(text[i + 1], text[i + 2]));
      i += 2;
    }
    bytes.Append(&c, 1);
  }
  return out.Assign(bytes);
}

bool EscapeHexString(TempString& out, const char* bytes, int32_t length) {
  length = LengthOf(bytes, length);
  TempString text;
  if (!text.Reserve(length * 2 + 3)) return false;
  text.Append("<", 1);
  for (int32_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const char pair[2] = {kHex[c >> 4], kHex[c & 15]};
    text.Append(pair, 2);
  }
  text.Append(">", 1);
  return out.Append(text.c_str(), text.GetLength());
}

bool EscapeLiteralString(TempString& out, const char* bytes, int32_t length) {
  length = LengthOf(bytes, length);
  TempString text;
  if (!text.Reserve(length * 4 + 3)) return false;
  text.Append("(", 1);
  for (int32_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    char esc[4] = {'\\', 0, 0, 0};
    int n = 2;
    switch (c) {
      case '(': esc[1] = '('; break;
      case ')': esc[1] = ')'; break;
      case '\\': esc[1] = '\\'; break;
      case 0x08: esc[1] = 'b'; break;
      case 0x09: esc[1] = 't'; break;
      case 0x0A: esc[1] = 'n'; break;
      case 0x0C: esc[1] = 'f'; break;
      case 0x0D: esc[1] = 'r'; break;
      default:
        if (c >= 0x20 && c <= 0x7E) {
          esc[0] = static_cast<char>(c);
          n = 1;
        } else {
          esc[1] = static_cast<char>('0' + (c >> 6));
          esc[2] = static_cast<char>('0' + ((c >> 3) & 7));
          esc[3] = static_cast<char>('0' + (c & 7));
          n = 4;
        }
    }
    text.Append(esc, n);
  }
  text.Append(")", 1);
  return out.Append(text.c_str(), text.GetLength());
}

bool UnescapeString(TempString& out, const char* text, int32_t length) {
  length = LengthOf(text, length);
  TempString bytes;
  if (length >= 2 && text[0] == '(' && text[length - 1] == ')') {
    if (!bytes.Reserve(length)) return false;
    const int32_t end = length - 1;
    for (int32_t i = 1; i < end; ++i) {
      char c = text[i];
      if (c != '\\') {
        bytes.Append(&c, 1);
        continue;
      }
      if (++i >= end) break;  // a lone backslash at the end is dropped
      c = text[i];
      switch (c) {
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        case 't': c = '\t'; break;
        case 'b': c = '\b'; break;
        case 'f': c = '\f'; break;
        case '\r':
          if (i + 1 < end && text[i + 1] == '\n') ++i;
          continue;
        case '\n': continue;
        default:
          if (c >= '0' && c <= '7') {
            // One to three octal digits; the low 8 bits are kept.
            int value = c - '0';
            for (int k = 0; k < 2 && i + 1 < end && text[i + 1] >= '0' && text[i + 1] <= '7'; ++k) {
              value = value * 8 + (text[++i] - '0');
            }
            c = static_cast<char>(value & 0xFF);
          }
          // Any other character stands for itself without the backslash.
      }
      bytes.Append(&c, 1);
    }
    return out.Assign(bytes);
  }
  if (length >= 2 && text[0] == '<' && text[length - 1] == '>') {
    if (!bytes.Reserve(length / 2 + 2)) return false;
    char high = 0;
    bool haveHigh = false;
    for (int32_t i = 1; i < length - 1; ++i) {
      if (!IsHexDigit(static_cast<unsigned char>(text[i]))) continue;
      if (!haveHigh) {
        high = text[i];
        haveHigh = true;
      } else {
        const char c = static_cast<char>(HexToByte(high, text[i]));
        bytes.Append(&c, 1);
        haveHigh = false;
      }
    }
    if (haveHigh) {
      const char c = static_cast<char>(HexToByte(high, '0'));
      bytes.Append(&c, 1);
    }
    return out.Assign(bytes);
  }
  out.Clear();
  return false;
}

char* NextBlankToken(char* text, char** state) { return strtok_r(text, " \t\f", state); }

const char* SkipBlanks(const char* text) {
  if (!text) return nullptr;
  while (*text == ' ' || *text == '\t' || *text == '\f') ++text;
  return *text ? text : nullptr;
}

}  // namespace pdfsyntax
