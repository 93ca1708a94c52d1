#pragma once
// The "last system error" of the host: a per-thread record of the errno value
// that the most recent failing system call left, kept apart from errno so that
// later library calls cannot overwrite it before it is reported.
#include <string>

namespace platform {

// Records the current errno (or the given code) as the last system error.
void SetLastSystemError(int code);
void RecordSystemError();

// The last recorded system error code; 0 when none was recorded.
int GetLastSystemError();

// The host's text for an error code (strerror_r, never the shared buffer).
std::string SystemErrorText(int code);

}  // namespace platform
