#pragma once
// The small steps every font text conversion shares: text lengths, work
// buffer capacities, and copying a result into the caller's buffer without
// passing its capacity.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace fonttext {

// A step that failed without an error of its own: recorded as code 5 with
// the message that names what failed.
struct StepFailure {
  const char* message;
};
[[noreturn]] inline void StepFailed(const char* message) { throw StepFailure{message}; }
[[noreturn]] inline void StepFailed() { StepFailed("a step failed"); }

// Copies n units into the caller's buffer, or fails when they do not fit.
template <class Unit>
int32_t Emit(const char* cls, const char* method, Unit* out, int32_t capacity, const Unit* data,
             size_t n) {
  if (n > static_cast<size_t>(capacity < 0 ? 0 : capacity)) {
    CPDFException::Throw(cls, method, CPDFException::kStepFailed, "output buffer too small");
  }
  if (n > 0) std::memcpy(out, data, n * sizeof(Unit));
  return static_cast<int32_t>(n);
}

// The length of a text given with -1 (up to its terminating 0) or with a
// count (up to its first 0 inside the count).
template <class Unit>
size_t TextLength(const Unit* text, int32_t length) {
  if (!text) return 0;
  size_t n = 0;
  if (length < 0) {
    while (text[n] != 0) ++n;
  } else {
    while (n < static_cast<size_t>(length) && text[n] != 0) ++n;
  }
  return n;
}

// The length of a code text, which may hold 0 bytes; a negative length, or
// a length without text, is a step failure.
inline size_t CodeLength(const uint8_t* text, int32_t length) {
  if (length < 0) StepFailed("negative length");
  if (length > 0 && !text) StepFailed("no text");
  return static_cast<size_t>(length);
}

// The bytes of the host character at text[i]: a lead byte of code page 932
// with a byte after it starts a character of two, any other byte one.
inline size_t HostCharacterLength(const uint8_t* text, size_t n, size_t i) {
  const uint8_t lead = text[i];
  return ((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) && i + 1 < n ? 2 : 1;
}

// One character of a UTF-16 text: a surrogate pair is one character (two
// units), a lone surrogate one character that no encoding holds.
struct Character {
  uint32_t value = 0;
  size_t units = 1;
  bool lone = false;
};

inline Character CharacterAt(const char16_t* text, size_t n, size_t i) {
  Character c;
  c.value = text[i];
  if (c.value >= 0xD800 && c.value <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
      text[i + 1] <= 0xDFFF) {
    c.value = 0x10000 + ((c.value - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
    c.units = 2;
  } else if (c.value >= 0xD800 && c.value <= 0xDFFF) {
    c.lone = true;
  }
  return c;
}

// Fails naming the character that the font's encoding has no code for.
[[noreturn]] inline void NoCodeFor(const char* cls, const char* method, const Character& c) {
  CPDFException::ThrowFormat(
      cls, method, CPDFException::kStepFailed,
      c.lone ? "lone surrogate U+%04X: no character" : "U+%04X has no code in the font's encoding",
      static_cast<unsigned>(c.value));
}

// An int32_t capacity for a work buffer of n elements.
inline int32_t Capacity(size_t n) {
  return n > static_cast<size_t>(std::numeric_limits<int32_t>::max())
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(n);
}

// Runs one font operation: clears the document's error record, and turns
// any failure into `failed` with the record filled while it is still empty.
template <class Result, class Body>
Result Guarded(CPDFObjRegistry* doc, const char* cls, const char* method, Result failed,
               Body body) {
  CPDFException* record = doc ? &doc->GetError() : nullptr;
  if (record) record->Clear();
  try {
    return body();
  } catch (const StepFailure& failure) {
    if (record && !record->IsError()) {
      record->Set(cls, method, CPDFException::kStepFailed, failure.message);
    }
  } catch (...) {
    CPDFException::Absorb(record, cls, method);
  }
  return failed;
}

}  // namespace fonttext
