#pragma once
// The status lines that apt-get writes to its status descriptor
// (APT::Status-Fd), one per step:
//   dlstatus:<count>:<percent>:<description>     the download's progress
//   pmstatus:<package>:<percent>:<description>   the installation's progress
//   pmerror:<package>:<percent>:<message>        a package that failed
// The package name may hold ':' (it may carry its architecture); the percent
// is a decimal number from 0 to 100, written with '.' whatever the locale;
// the description is the rest of the line and may hold ':'.
#include <optional>
#include <string>
#include <string_view>

namespace installer {

struct AptStatus {
  enum class Kind { Download, Install, Error };
  Kind kind = Kind::Install;
  std::string package;  // the download's count for Download
  int percent = 0;      // 0 to 100, the fraction cut off
  std::string text;
};

// The status a line gives; none for any other line (apt-get's plain output,
// a status line of another kind, a percent that is no number from 0 to 100).
std::optional<AptStatus> ParseAptStatus(std::string_view line);

}  // namespace installer
