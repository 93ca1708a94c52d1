#pragma once
// Path operations of the converter: classes of the typed paths, normalising,
// the last component and joining. Paths are the host's byte strings with '/'
// as the separator.
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// Path classes as ClassifyPath gives them.
constexpr int32_t kPathEmpty = 0;
constexpr int32_t kPathNewFile = 1;
constexpr int32_t kPathNewFolder = 2;
constexpr int32_t kPathExistingFile = 3;
constexpr int32_t kPathExistingFolder = 4;

// Classifies a path: empty (or holding a NUL byte), new file, new folder, existing file or existing
// folder. A path that does not exist is a new file when it has an extension
// (input, isOutput false) or the extension ".PDF" in any case (output), else a
// new folder.
int32_t ClassifyPath(const std::string& path, bool isOutput);

// A path ending in '/' gets "." appended so that it names the folder itself
// ("d/" gives "d/.", "/" gives "/."); any other path is returned unchanged.
std::string NormalisePath(const std::string& path);

// The last component with its leading '/', after trailing '/'s are removed
// ("/a/pics/" gives "/pics"); a path without '/' gives "".
std::string LastPathComponent(const std::string& path);

// The path without a trailing "/." (as NormalisePath appends it).
std::string CutTrailingDot(const std::string& path);

// The extension of the last component, with its dot ("" when it has none).
std::string_view PathExtension(std::string_view path);

// The last component without its extension.
std::string_view PathBaseName(std::string_view path);

// folder + "/" + name, without doubling a '/' that ends the folder.
std::string JoinPath(const std::string& folder, std::string_view name);

// Case-insensitive (ASCII) test whether name ends with suffix.
bool EndsWithNoCase(std::string_view name, std::string_view suffix);

}  // namespace ostrel
