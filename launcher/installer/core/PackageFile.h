#pragma once
// The package file checked before the installation starts, so that a file
// that is not there or cannot be read is named as such, and no password is
// asked for in vain.
#include <string>
#include <vector>

namespace installer {

// Why the file at `path` (absolute) cannot be installed, in UTF-8 lines: it
// is missing, is no regular file, cannot be read (with the system's reason),
// or does not begin as a Debian package does. Empty when it can be.
std::vector<std::string> PackageFileProblem(const std::string& path);

}  // namespace installer
