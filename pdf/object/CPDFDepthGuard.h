#pragma once
// One level of a nesting limit. Each limit keeps one counter of the levels
// entered and not yet left (per thread for recursions of the library's own
// code, per document for a document's chain of loads) and a maximum; a
// guard enters one level for as long as it lives. TooDeep answers whether
// this guard's level lies beyond the maximum; what that means (an
// exception, an answer of none, a value left raw) is the caller's to decide,
// after the guard exists, so the level is always left again.
//
//   thread_local int32_t g_depth = 0;
//   CPDFDepthGuard depth(g_depth, kMaxDepth);
//   if (depth.TooDeep()) return nullptr;
//
// The limits and what each caller sees are listed in docs/limits.md.
#include <cstdint>

class CPDFDepthGuard {
 public:
  CPDFDepthGuard(int32_t& counter, int32_t maxDepth) noexcept
      : counter_(counter), level_(++counter), maxDepth_(maxDepth) {}
  ~CPDFDepthGuard() { --counter_; }
  CPDFDepthGuard(const CPDFDepthGuard&) = delete;
  CPDFDepthGuard& operator=(const CPDFDepthGuard&) = delete;

  // True when this level is deeper than the maximum (the outermost guard is
  // level 1, so maxDepth guards nest before the next is too deep).
  bool TooDeep() const { return level_ > maxDepth_; }

 private:
  int32_t& counter_;
  const int32_t level_;
  const int32_t maxDepth_;
};
