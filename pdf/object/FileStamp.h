#pragma once
// What tells one version of a file from another: its device and inode, its
// size and its modification time. Two stamps of one path that differ mean
// the file was replaced, cut, grown or rewritten between them; readers that
// come back to a file later (data copied from it at the last moment, an
// index of where its parts lie) keep the stamp of what they read.
#include <sys/stat.h>

#include <cstdint>

struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = -1;  // -1: no stamp
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;

  bool IsSet() const { return size >= 0; }
  bool operator==(const FileStamp&) const = default;

  static FileStamp Of(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<int64_t>(info.st_mtim.tv_nsec);
    return stamp;
  }
  // The stamp of an open file, or an unset one when it cannot be had.
  static FileStamp OfDescriptor(int fd) {
    struct stat info;
    return fd >= 0 && ::fstat(fd, &info) == 0 ? Of(info) : FileStamp();
  }
};
