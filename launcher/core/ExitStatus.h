#pragma once
// Exit statuses of the launcher. The installer's own result is never passed on.

namespace launcher {

inline constexpr int kExitNormal = 0;
// The install-information file was missing or unusable; nothing was started.
inline constexpr int kExitInstallInfoUnusable = 3;

}  // namespace launcher
