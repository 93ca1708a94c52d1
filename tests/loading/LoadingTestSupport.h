#pragma once
// What the tests of the libraries loaded at first use share: a private
// folder, whether a library is in the process, and a libtiff error handler
// that records what it is given.
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/converter/core/EndToEndImages.h"
#include "tests/platform/ScopedTestState.h"

namespace loading {

// True when the process has the library loaded; loads nothing.
inline bool IsLoaded(const char* soname) {
  return dlopen(soname, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD) != nullptr;
}

// The shared test folder, with names joined by '/'.
class Folder : public pntest::TempFolder {
 public:
  Folder() : pntest::TempFolder("pnload") {}
  std::string operator/(const std::string& name) const { return (Path() / name).string(); }
};

// A small 24-bit bitmap file.
inline bool WriteBitmap(const std::string& path) {
  return e2e::WriteBytes(path, e2e::MakeBitmap(5, 3, 24, false, {}, nullptr, e2e::Pattern));
}

// Bytes that begin as a TIFF file (so the importer hands them to libtiff)
// and are none.
inline bool WriteFalseTIFF(const std::string& path) {
  return e2e::WriteBytes(path, {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
}

// The libtiff errors (module and formatted message) the handler was given.
struct Recorded {
  std::string module;
  std::string message;
};
inline std::vector<Recorded>& RecordedErrors() {
  static std::vector<Recorded> errors;
  return errors;
}
inline void RecordError(const char* module, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string message(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(message.data(), message.size() + 1, format, args);
  RecordedErrors().push_back({module != nullptr ? module : "", message});
}

}  // namespace loading
