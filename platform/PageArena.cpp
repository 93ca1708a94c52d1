#include "platform/PageArena.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define PN_ARENA_HEAP_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define PN_ARENA_HEAP_BLOCKS 1
#endif
#endif

namespace platform {

namespace {

constexpr size_t kAlign = 64;

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

}  // namespace

PageArena::~PageArena() {
  for (const Mapping& m : mappings_) {
#ifdef PN_ARENA_HEAP_BLOCKS
    std::free(m.start);
#else
    ::munmap(m.start, m.size);
#endif
  }
}

size_t PageArena::Reserved() const {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t total = 0;
  for (const Mapping& m : mappings_) total += m.size;
  return total;
}

PageArena::Mapping PageArena::Map(size_t size) {
  // Over-map by a block, keep the aligned middle, give back the ends: the
  // system can back an aligned block with one huge page.
  if (size > SIZE_MAX - kBlock) throw std::bad_alloc();
  const size_t span = size + kBlock;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t base = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t start = RoundUp(base, kBlock);
  if (start > base) ::munmap(raw, start - base);
  const uintptr_t tail = start + size;
  if (base + span > tail) ::munmap(reinterpret_cast<void*>(tail), base + span - tail);
  void* block = reinterpret_cast<void*>(start);
  // Only a hint: without huge pages the block is ordinary memory.
  ::madvise(block, size, MADV_HUGEPAGE);
  return {block, size};
}

void* PageArena::Allocate(size_t size) {
  if (size == 0) size = 1;
  if (size > SIZE_MAX / 2) throw std::bad_alloc();
  size = RoundUp(size, kAlign);
  std::lock_guard<std::mutex> lock(mutex_);
#ifdef PN_ARENA_HEAP_BLOCKS
  mappings_.reserve(mappings_.size() + 1);
  void* block = std::aligned_alloc(kAlign, size);
  if (block == nullptr) throw std::bad_alloc();
  mappings_.push_back({block, size});
  return block;
#else
  if (static_cast<size_t>(end_ - next_) < size) {
    mappings_.reserve(mappings_.size() + 1);
    if (size > kBlock / 2) {
      // A large buffer gets blocks of its own; the current block stays open
      // for the small ones.
      const Mapping own = Map(RoundUp(size, kBlock));
      mappings_.push_back(own);
      return own.start;
    }
    const Mapping fresh = Map(kBlock);
    mappings_.push_back(fresh);
    next_ = static_cast<uint8_t*>(fresh.start);
    end_ = next_ + fresh.size;
  }
  void* result = next_;
  next_ += size;
  return result;
#endif
}

}  // namespace platform
