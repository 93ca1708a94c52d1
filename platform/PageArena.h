#pragma once
// Memory for the large buffers of one piece of work that all end together:
// handed out from blocks of 2 MiB, aligned to 2 MiB and marked for the
// system's huge pages, and given back all at once when the arena ends.
//
// A page of fresh memory costs a fault the first time it is written; on
// some virtual machines that costs more than filling the page. Where the
// system gives huge pages on request, a block costs one fault instead of
// 512; where it does not, the block is ordinary memory. Buffers are never
// given back one by one: the users keep and reuse their own.
//
// Built with a sanitizer, every buffer is a heap block of its own, so that
// the sanitizer sees the bounds of each.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

class PageArena {
 public:
  static constexpr size_t kBlock = size_t{2} << 20;

  PageArena() = default;
  ~PageArena();
  PageArena(const PageArena&) = delete;
  PageArena& operator=(const PageArena&) = delete;

  // size bytes, aligned to 64, left uninitialised; throws std::bad_alloc
  // when the system has no memory to give. Safe from several threads.
  void* Allocate(size_t size);

  // The bytes the arena has taken from the system.
  size_t Reserved() const;

 private:
  struct Mapping {
    void* start;
    size_t size;
  };
  Mapping Map(size_t size);

  mutable std::mutex mutex_;
  std::vector<Mapping> mappings_;
  uint8_t* next_ = nullptr;
  uint8_t* end_ = nullptr;
};

}  // namespace platform
