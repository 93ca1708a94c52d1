#pragma once
// The install-information file "InstInfo.txt" that lies beside the launcher.
//
// Line 1 is the caption, line 2 the package path relative to the launcher's
// folder, lines 3 and further the description (at least one such line, which
// may be empty). A line ends at LF; a CR LF pair counts as one line end; the
// last line needs no line end; lines have no length limit. The file is taken
// as UTF-8 when it is valid UTF-8, and otherwise converted from code page 932.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace launcher {

inline constexpr std::string_view kInstallInfoFileName = "InstInfo.txt";

// Files larger than this are refused as unusable.
inline constexpr size_t kMaxInstallInfoBytes = size_t{64} << 20;

struct InstallInfo {
  std::string caption;      // line 1 (UTF-8)
  std::string packagePath;  // the launcher's folder followed by line 2
  std::string description;  // lines 3 and further, each followed by CR LF
};

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The file's text as UTF-8: unchanged (less a leading byte-order mark) when it
// is valid UTF-8, else converted from code page 932; none when it is neither.
std::optional<std::string> DecodeInstallText(std::string_view bytes);

// Splits decoded text into the three parts. `folder` is the launcher's folder
// ending in '/'; line 2 is appended to it as it stands, even when absolute.
// None when the text has fewer than three lines.
std::optional<InstallInfo> ParseInstallInfo(std::string_view text, std::string_view folder);

// Reads "InstInfo.txt" in `folder` (ending in '/'). None when the file is
// missing, not a regular file, unreadable, larger than `maxBytes`, not
// decodable, or has fewer than three lines.
std::optional<InstallInfo> ReadInstallInfoFile(const std::string& folder,
                                               size_t maxBytes = kMaxInstallInfoBytes);

}  // namespace launcher
