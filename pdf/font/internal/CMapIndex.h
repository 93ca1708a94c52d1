#pragma once
// Search indexes of the CMap entry lists. A CMap search answers the first
// entry, in insertion order, whose range contains a value. The index cuts
// the value axis into segments, each labelled with that first entry, so a
// search is one binary search however many entries overlap. Building takes
// O(n log n) for n entries.
#include <cstdint>
#include <vector>

// The part of an entry the indexes read.
struct CMapSpan {
  uint16_t low = 0;
  uint16_t high = 0;
  uint16_t destStart = 0;
  uint16_t destEnd = 0;
  int32_t codeLength = 0;  // 1 or 2; anything else is never found
};

// Intervals over 0..65535 labelled by their insertion index.
class CMapStabIndex {
 public:
  struct Interval {
    uint32_t low;
    uint32_t high;  // inclusive, >= low
    int32_t index;
  };
  void Build(std::vector<Interval> intervals);
  // The smallest index among the intervals that contain the value, or -1.
  int32_t Find(uint32_t value) const;

 private:
  struct Segment {
    uint32_t start;
    int32_t index;  // -1: no interval
  };
  std::vector<Segment> segments_;
};

// The indexes of one entry list: codes of one byte, codes of two bytes and
// destinations.
class CMapListIndex {
 public:
  void Build(const std::vector<CMapSpan>& spans);
  // The first entry whose code range contains the code at the bytes: a
  // one-byte entry by the leading byte, a two-byte entry (length >= 2) by
  // the big-endian pair. codeLength 1 or 2 restricts the search to entries
  // of that length; 0 takes both. -1 when none.
  int32_t FindCode(const uint8_t* code, int32_t length, int32_t codeLength = 0) const;
  // The first entry whose destinations contain the big-endian pair.
  int32_t FindDest(const uint8_t* dest, int32_t length) const;

 private:
  CMapStabIndex oneByte_, twoByte_, dest_;
};
