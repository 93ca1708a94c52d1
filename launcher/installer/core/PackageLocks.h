#pragma once
// Whether another program holds the package system: apt-get, dpkg, an
// automatic upgrade or a software centre each lock these files while they
// install (or download) software, and the installation would have to wait.
// The files are root's alone, so the window cannot take or test their locks
// itself; the kernel's list of file locks (/proc/locks), which anyone may
// read, names each locked file by its device and inode. Where they lie, apt's
// configuration tells, as apt-get finds them.
#include <string>
#include <vector>

namespace installer {

// The program that tells apt's configuration.
inline constexpr const char* kAptConfigProgram = "apt-config";

// dpkg's lock for the programs in front of it and dpkg's own, in the folder
// of dpkg's status file, and apt's lock of the folder it downloads packages
// into; none when apt's configuration cannot be read.
std::vector<std::string> PackageLockFiles();

// Whether a process holds a lock (of any kind, on any part) on one of the
// files; a process that only waits for one holds none. False when the list
// of locks cannot be read: the installation then waits as apt-get does.
bool PackageSystemBusy(const std::vector<std::string>& lockFiles);

}  // namespace installer
