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

// The program that reads a package's archive members, without root and
// without writing anything, and the one that tells the computer's
// architectures.
inline constexpr const char* kArchiveReader = "dpkg-deb";
inline constexpr const char* kPackageManager = "dpkg";

// Why the package file at `path` (absolute, one that PackageFileProblem
// passed) cannot be installed although it begins as a package does: the
// archive reader could not read its control data or its files, as a file cut
// short or changed in a copy is (what the reader wrote on its errors is then
// added to `details`, after the command, in UTF-8 lines); or the package is
// built for an architecture that is neither the computer's own nor one of
// its foreign ones nor "all" (both are named). Empty when the file is whole
// and fits, and when the reader or the package manager is not there or did
// not end by itself: the installation then finds what it finds.
std::vector<std::string> PackageArchiveProblem(const std::string& path,
                                               std::vector<std::string>& details);

}  // namespace installer
