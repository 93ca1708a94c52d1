#pragma once
// PDF character classes, number text and the escaping of names and strings.
// Number text never depends on the process locale.
#include <cstdint>

#include "pdf/object/TempString.h"

namespace pdfsyntax {

// Space, TAB, CR, LF and FF (NUL is not white space).
inline bool IsWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
// ( ) < > [ ] / (braces are not delimiters here).
inline bool IsDelimiter(int c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '/';
}
inline bool IsEndOfLine(int c) { return c == '\r' || c == '\n'; }
// Digits, '-', '+' and '.'.
inline bool IsNumberChar(int c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}
inline bool IsHexDigit(int c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Room for any formatted real, with its NUL.
constexpr int kRealTextSize = 64;
// "%f" of the value widened to double, then trailing zeros and a trailing
// point removed: 0.5, 1, 612, -0. Non-finite values are written as 0.
int32_t FormatReal(float value, char* out);
// The integer of a number token: decimal prefix, clamped to 32 bits; 0 when
// there is none. A leading '+' is accepted.
int32_t ParseLong(const char* text);
// The real of a number token (decimal or exponent form prefix), stored as a
// float; 0 when there is none.
float ParseReal(const char* text);

// Two hexadecimal digits (0-9, A-F, a-f; anything else counts as 0).
uint8_t HexToByte(char high, char low);

// Appends "/" and the name's bytes escaped with #XX where needed.
bool EscapeName(TempString& out, const char* bytes, int32_t length = -1);
// The bytes of a name text that begins with "/"; "#XX" escapes (two
// hexadecimal digits) are decoded, and a "#" not followed by two such digits
// is kept as the byte "#". Answers false when the text does not begin with
// "/".
bool UnescapeName(TempString& out, const char* text, int32_t length = -1);
// Appends <HEX> with upper-case digits.
bool EscapeHexString(TempString& out, const char* bytes, int32_t length);
// Appends (literal) with backslash escapes.
bool EscapeLiteralString(TempString& out, const char* bytes, int32_t length);
// The bytes of a string text: "(...)" literal or "<...>" hexadecimal. Any
// other text gives nothing (false).
bool UnescapeString(TempString& out, const char* text, int32_t length);

// Space-separated fields (TAB, FF, space) with explicit state: pass the text
// first, then none with the same state to continue. The text is modified.
char* NextBlankToken(char* text, char** state);
// The first character that is not TAB, FF or space, or none at the end.
const char* SkipBlanks(const char* text);

}  // namespace pdfsyntax
