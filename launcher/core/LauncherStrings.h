#pragma once
// The launcher's string table: the texts it shows, by their numbers.
#include <string_view>

namespace launcher {

inline constexpr int kIdsAboutBox = 101;            // the About item of the window menu
inline constexpr int kIdsInstallInfoFailed = 1000;  // the install information is unusable
inline constexpr int kIdsStartFailed = 1001;        // the installer could not be started

// The text of a string-table entry; empty for a number the table does not hold.
std::string_view LoadLauncherString(int id);

}  // namespace launcher
