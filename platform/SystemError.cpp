#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {
thread_local int g_lastSystemError = 0;

// strerror_r has two shapes; these overloads accept either.
[[maybe_unused]] std::string FromStrerror(int result, const char* buffer) {
  return result == 0 ? std::string(buffer) : std::string();
}
[[maybe_unused]] std::string FromStrerror(const char* result, const char*) {
  return result ? std::string(result) : std::string();
}
}  // namespace

void SetLastSystemError(int code) { g_lastSystemError = code; }

void RecordSystemError() { g_lastSystemError = errno; }

int GetLastSystemError() { return g_lastSystemError; }

std::string SystemErrorText(int code) {
  char buffer[256];
  buffer[0] = '\0';
  std::string text = FromStrerror(strerror_r(code, buffer, sizeof buffer), buffer);
  if (text.empty()) text = "Unknown error " + std::to_string(code);
  return text;
}

}  // namespace platform
