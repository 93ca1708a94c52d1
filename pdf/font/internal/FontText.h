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
// no message (CPDFException::Absorb turns any other thrown value into that).
struct StepFailure {};
[[noreturn]] inline void StepFailed() { throw StepFailure{}; }

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

// The length of a code text, which may hold 0 bytes; a negative length is a
// step failure.
inline size_t CodeLength(const uint8_t* text, int32_t length) {
  if (length < 0 || (length > 0 && !text)) StepFailed();
  return static_cast<size_t>(length);
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
  } catch (...) {
    CPDFException::Absorb(record, cls, method);
  }
  return failed;
}

}  // namespace fonttext
