#include "pdf/object/TempHugeString.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "CPDFStreamTestSupport.h"

namespace {

using TempHugeStringMapTest = TempDirTest;

TEST_F(TempHugeStringMapTest, ThresholdsAndFileSizes) {
  TempHugeString onHeap;
  ASSERT_TRUE(onHeap.Reserve(40960));
  EXPECT_FALSE(onHeap.IsMapped());
  EXPECT_TRUE(OpenFiles().empty());

  // A heap buffer that grows past the limit moves into a rounded file.
  ASSERT_TRUE(onHeap.Reserve(40961));
  ASSERT_TRUE(onHeap.IsMapped());
  EXPECT_EQ(45056, onHeap.GetCapacity());
  EXPECT_EQ(45056, OpenFileSize());

  // A first request above the limit gets exactly that size.
  TempHugeString fresh;
  ASSERT_TRUE(fresh.Reserve(40961));
  ASSERT_TRUE(fresh.IsMapped());
  EXPECT_EQ(2u, OpenFiles().size());
  onHeap.Free();
  EXPECT_EQ(40961, OpenFileSize());
  // Work files have no name: nothing in the folder to leave behind.
  EXPECT_TRUE(Entries().empty());
  EXPECT_STREQ("", fresh.GetFilePath());

  // Growth of a file rounds to the block size.
  ASSERT_TRUE(fresh.Reserve(50000));
  EXPECT_EQ(53248, OpenFileSize());
}

TEST_F(TempHugeStringMapTest, DataSurvivesTheMoveAndFileIsRemoved) {
  const std::string data = RandomBytes(200000, 7);
  {
    TempHugeString s;
    for (size_t i = 0; i < data.size(); i += 1000) ASSERT_TRUE(s.Append(data.data() + i, 1000));
    ASSERT_TRUE(s.IsMapped());
    EXPECT_EQ(1u, OpenFiles().size());
    ASSERT_EQ(static_cast<int32_t>(data.size()), s.GetLength());
    EXPECT_EQ(0, std::memcmp(data.data(), s.c_str(), data.size()));
    EXPECT_EQ('\0', s.c_str()[data.size()]);

    // Assigning from its own bytes copies them first.
    ASSERT_TRUE(s.Assign(s.c_str() + 100, 50000));
    EXPECT_EQ(0, std::memcmp(data.data() + 100, s.c_str(), 50000));
    EXPECT_TRUE(s.IsMapped());

    // Copies and swaps carry the mapped storage along.
    TempHugeString copy(s);
    EXPECT_TRUE(copy.IsEqual(s));
    TempHugeString other;
    other.Swap(copy);
    EXPECT_TRUE(other.IsMapped());
    EXPECT_FALSE(copy.IsMapped());
    EXPECT_TRUE(other.IsEqual(s));
  }
  EXPECT_TRUE(OpenFiles().empty());
  EXPECT_TRUE(Entries().empty());
}

TEST_F(TempHugeStringMapTest, FreeRemovesFileAndUnusableDirectoryFailsCleanly) {
  TempHugeString s;
  ASSERT_TRUE(s.Append(50000, 'x'));
  ASSERT_TRUE(s.IsMapped());
  s.Free();
  EXPECT_FALSE(s.IsMapped());
  EXPECT_EQ(0, s.GetLength());
  EXPECT_TRUE(Entries().empty());
  EXPECT_TRUE(OpenFiles().empty());

  // A directory that the application chose and that does not exist: the
  // move fails, heap data is kept.
  CPDFEnv::Global().Init((dir_ + "/missing").c_str(), nullptr, nullptr, nullptr);
  TempHugeString h;
  ASSERT_TRUE(h.Append(1000, 'a'));
  EXPECT_FALSE(h.Reserve(60000));
  EXPECT_EQ(1000, h.GetLength());
  EXPECT_FALSE(h.IsMapped());
  EXPECT_FALSE(TempHugeString().Reserve(60000));
}

TEST_F(TempHugeStringMapTest, StorageThatCannotGrowSaysWhyAndWhere) {
  // A folder that does not exist, and one whose files may not grow past a
  // limit (as on a full disk): the buffer keeps the system's error and the
  // folder, for a reason that names them.
  CPDFEnv::Global().Init((dir_ + "/missing").c_str(), nullptr, nullptr, nullptr);
  TempHugeString nowhere;
  EXPECT_EQ(0, nowhere.GetStorageError());
  EXPECT_FALSE(nowhere.Reserve(60000));
  EXPECT_EQ(ENOENT, nowhere.GetStorageError());
  EXPECT_EQ(dir_ + "/missing", nowhere.GetStorageFolder());

  CPDFEnv::Global().Init(dir_.c_str(), nullptr, nullptr, nullptr);
  TempHugeString full;
  ASSERT_TRUE(full.Reserve(60000));
  FileSizeLimit limit(1 << 20);
  ASSERT_TRUE(limit.IsSet());
  const bool grown = full.Reserve(4 << 20);
  limit.Lift();
  EXPECT_FALSE(grown);
  EXPECT_EQ(EFBIG, full.GetStorageError());
  EXPECT_EQ(dir_, full.GetStorageFolder());
  EXPECT_TRUE(OpenFiles().empty());
}

TEST_F(TempHugeStringMapTest, SinkAppends) {
  TempHugeString s;
  TempHugeStringSink sink(s);
  const std::string data = RandomBytes(100000, 3);
  for (size_t i = 0; i < data.size(); i += 4096) {
    const size_t n = std::min<size_t>(4096, data.size() - i);
    ASSERT_TRUE(sink.Put(reinterpret_cast<const uint8_t*>(data.data() + i), n));
  }
  EXPECT_EQ(data.size(), sink.Size());
  EXPECT_EQ(0, std::memcmp(data.data(), s.c_str(), data.size()));
}

TEST_F(TempHugeStringMapTest, LargeSinkOutputKeepsItsBytesInLittleMoreRoom) {
  // Past the release step the written pages are handed back to the system;
  // the bytes stay in the file. The file grows by an eighth at a time.
  TempHugeString s;
  TempHugeStringSink sink(s);
  const std::string part = RandomBytes(65536 + 13, 5);
  const size_t parts = (size_t{3} * TempHugeStringSink::kReleaseStep) / part.size();
  for (size_t i = 0; i < parts; ++i) {
    ASSERT_TRUE(sink.Put(reinterpret_cast<const uint8_t*>(part.data()), part.size()));
  }
  ASSERT_TRUE(s.IsMapped());
  ASSERT_EQ(parts * part.size(), static_cast<size_t>(s.GetLength()));
  EXPECT_LE(s.GetCapacity(), s.GetLength() + s.GetLength() / 8 + TempHugeString::kBlock +
                                 static_cast<int32_t>(part.size()));
  for (size_t i = 0; i < parts; ++i) {
    ASSERT_EQ(0, std::memcmp(part.data(), s.c_str() + i * part.size(), part.size())) << i;
  }
  // Releasing again, or beyond the data, changes nothing.
  s.ReleasePages(0, s.GetLength());
  s.ReleasePages(s.GetLength() - 10, s.GetCapacity() + 100000);
  EXPECT_EQ(0, std::memcmp(part.data(), s.c_str() + (parts - 1) * part.size(), part.size()));
}

TEST_F(TempHugeStringMapTest, FileAndViewShowTheSameBytes) {
  // Appends to mapped storage go through the file and bytes written through
  // the view are read back by ReadAt: both are the one file.
  TempHugeString s;
  const std::string data = RandomBytes(120000, 11);
  ASSERT_TRUE(s.Append(data.data(), 30000));
  ASSERT_FALSE(s.IsMapped());
  ASSERT_TRUE(s.Append(data.data() + 30000, 90000));
  ASSERT_TRUE(s.IsMapped());
  EXPECT_EQ(0, std::memcmp(data.data(), s.c_str(), data.size()));
  EXPECT_EQ('\0', s.c_str()[data.size()]);
  s.GetBuffer()[70000] = 'Z';
  std::string back(50001, '?');
  ASSERT_TRUE(s.ReadAt(69999, back.data(), 50001));
  EXPECT_EQ('Z', back[1]);
  EXPECT_EQ(0, std::memcmp(data.data() + 70001, back.data() + 2, 49999));
  // Appending its own bytes copies them first; the terminator moves along.
  ASSERT_TRUE(s.Append(s.c_str() + 5, 3));
  EXPECT_EQ(0, std::memcmp(data.data() + 5, s.c_str() + 120000, 3));
  EXPECT_EQ('\0', s.c_str()[120003]);

  // Ranges outside the data are refused; an empty read is fine.
  char one = 0;
  EXPECT_FALSE(s.ReadAt(-1, &one, 1));
  EXPECT_FALSE(s.ReadAt(120003, &one, 1));
  EXPECT_FALSE(s.ReadAt(0, &one, -1));
  EXPECT_TRUE(s.ReadAt(120003, &one, 0));
  TempHugeString heap;
  ASSERT_TRUE(heap.Append("abc"));
  ASSERT_TRUE(heap.ReadAt(1, &one, 1));
  EXPECT_EQ('b', one);
  EXPECT_FALSE(heap.ReadAt(2, &one, 2));
}

TEST_F(TempHugeStringMapTest, MoveIntoAFileKeepsBytesFilledInPlace) {
  // A writer may fill the heap buffer past its length before setting it;
  // a move into a file in between keeps those bytes.
  TempHugeString s;
  ASSERT_TRUE(s.Reserve(40000));
  std::memset(s.GetBuffer(), 'q', 39999);
  ASSERT_TRUE(s.Reserve(80000));
  ASSERT_TRUE(s.IsMapped());
  ASSERT_TRUE(s.Truncate(39999));
  EXPECT_EQ(std::string(39999, 'q'), std::string(s.c_str(), 39999));
}

TEST_F(TempHugeStringMapTest, PiecesAppendedToAMappedBufferRemapItRarely) {
  // A stream read in 4096-byte pieces: the file grows by an eighth at a
  // time, not by one piece, and holds every byte.
  TempHugeString s;
  const std::string piece = RandomBytes(4096, 9);
  int32_t growths = 0;
  for (int i = 0; i < 2048; ++i) {
    const int32_t before = s.GetCapacity();
    ASSERT_TRUE(s.Append(piece.data(), static_cast<int32_t>(piece.size())));
    if (s.GetCapacity() != before) ++growths;
  }
  ASSERT_TRUE(s.IsMapped());
  EXPECT_EQ(8 << 20, s.GetLength());
  EXPECT_LE(growths, 60);
  EXPECT_LE(s.GetCapacity(), s.GetLength() + s.GetLength() / 8 + TempHugeString::kBlock);
  EXPECT_EQ(0, std::memcmp(piece.data(), s.c_str() + (8 << 20) - 4096, 4096));
}

}  // namespace
