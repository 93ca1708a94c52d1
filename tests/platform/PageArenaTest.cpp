#include "platform/PageArena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct Piece {
  uint8_t* bytes;
  size_t size;
  uint8_t mark;
};

// Every piece is aligned, and keeps what was written into all of it: no two
// pieces share a byte, whatever their sizes (small ones packed in a block,
// large ones in blocks of their own, exactly a block, none at all).
void ExpectSeparate(const std::vector<Piece>& pieces) {
  for (const Piece& p : pieces) {
    ASSERT_EQ(0u, reinterpret_cast<uintptr_t>(p.bytes) % 64) << p.size;
    for (size_t i = 0; i < p.size; ++i) {
      if (p.bytes[i] != p.mark) {
        ADD_FAILURE() << "piece of " << p.size << " bytes changed at " << i;
        return;
      }
    }
  }
}

TEST(PageArena, PiecesAreAlignedAndSeparate) {
  platform::PageArena arena;
  const size_t sizes[] = {0,
                          1,
                          63,
                          64,
                          65,
                          4096,
                          288 * 1024,
                          platform::PageArena::kBlock / 2,
                          platform::PageArena::kBlock / 2 + 1,
                          platform::PageArena::kBlock,
                          3 * platform::PageArena::kBlock + 5,
                          100};
  std::vector<Piece> pieces;
  uint8_t mark = 1;
  for (size_t size : sizes) {
    auto* bytes = static_cast<uint8_t*>(arena.Allocate(size));
    ASSERT_NE(nullptr, bytes);
    std::memset(bytes, mark, size);
    pieces.push_back({bytes, size, mark++});
  }
  ExpectSeparate(pieces);
  size_t total = 0;
  for (size_t size : sizes) total += size;
  EXPECT_GE(arena.Reserved(), total);
}

TEST(PageArena, ThreadsAllocateAtOnce) {
  platform::PageArena arena;
  constexpr int kThreads = 8;
  constexpr int kEach = 30;  // 240 pieces: every mark differs
  std::vector<std::vector<Piece>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&arena, &got, t] {
      for (int i = 0; i < kEach; ++i) {
        const size_t size = 1000 + static_cast<size_t>(t * 7919 + i * 104729) % 300000;
        auto* bytes = static_cast<uint8_t*>(arena.Allocate(size));
        const auto mark = static_cast<uint8_t>(t * kEach + i + 1);
        std::memset(bytes, mark, size);
        got[static_cast<size_t>(t)].push_back({bytes, size, mark});
      }
    });
  }
  for (std::thread& t : threads) t.join();
  std::vector<Piece> all;
  for (const auto& list : got) all.insert(all.end(), list.begin(), list.end());
  ASSERT_EQ(static_cast<size_t>(kThreads * kEach), all.size());
  ExpectSeparate(all);
}

TEST(PageArena, ImpossibleSizesThrow) {
  platform::PageArena arena;
  EXPECT_THROW(arena.Allocate(SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(arena.Allocate(SIZE_MAX / 2 + 1), std::bad_alloc);
  // The arena still serves afterwards.
  EXPECT_NE(nullptr, arena.Allocate(10));
}

}  // namespace
