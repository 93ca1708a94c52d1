#include "pdf/font/internal/CMapIndex.h"

#include <algorithm>
#include <functional>
#include <queue>

void CMapStabIndex::Build(std::vector<Interval> intervals) {
  segments_.clear();
  if (intervals.empty()) return;
  std::sort(intervals.begin(), intervals.end(),
            [](const Interval& a, const Interval& b) { return a.low < b.low; });
  // Every point where the set of containing intervals can change.
  std::vector<uint32_t> points;
  points.reserve(intervals.size() * 2);
  for (const Interval& i : intervals) {
    points.push_back(i.low);
    points.push_back(i.high + 1);
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());

  // Sweep: the open intervals in a min-heap by index; closed ones leave the
  // heap when they reach its top.
  using Open = std::pair<int32_t, uint32_t>;  // index, high
  std::priority_queue<Open, std::vector<Open>, std::greater<Open>> open;
  size_t next = 0;
  for (uint32_t point : points) {
    while (next < intervals.size() && intervals[next].low == point) {
      open.emplace(intervals[next].index, intervals[next].high);
      ++next;
    }
    while (!open.empty() && open.top().second < point) open.pop();
    const int32_t index = open.empty() ? -1 : open.top().first;
    if (segments_.empty() ? index != -1 : segments_.back().index != index) {
      segments_.push_back({point, index});
    }
  }
  segments_.shrink_to_fit();
}

int32_t CMapStabIndex::Find(uint32_t value) const {
  auto after = std::upper_bound(segments_.begin(), segments_.end(), value,
                                [](uint32_t v, const Segment& s) { return v < s.start; });
  if (after == segments_.begin()) return -1;
  return std::prev(after)->index;
}

void CMapListIndex::Build(const std::vector<CMapSpan>& spans) {
  std::vector<CMapStabIndex::Interval> one, two, dest;
  for (size_t i = 0; i < spans.size(); ++i) {
    const CMapSpan& s = spans[i];
    if ((s.codeLength != 1 && s.codeLength != 2) || s.high < s.low || s.destEnd < s.destStart) {
      continue;
    }
    const auto index = static_cast<int32_t>(i);
    (s.codeLength == 1 ? one : two).push_back({s.low, s.high, index});
    dest.push_back({s.destStart, s.destEnd, index});
  }
  oneByte_.Build(std::move(one));
  twoByte_.Build(std::move(two));
  dest_.Build(std::move(dest));
}

int32_t CMapListIndex::FindCode(const uint8_t* code, int32_t length, int32_t codeLength) const {
  if (!code || length < 1) return -1;
  int32_t found = -1;
  if (codeLength != 2) found = oneByte_.Find(code[0]);
  if (codeLength != 1 && length >= 2) {
    const int32_t pair = twoByte_.Find(static_cast<uint32_t>(code[0] << 8 | code[1]));
    if (pair != -1 && (found == -1 || pair < found)) found = pair;
  }
  return found;
}

int32_t CMapListIndex::FindDest(const uint8_t* dest, int32_t length) const {
  if (!dest || length < 2) return -1;
  return dest_.Find(static_cast<uint32_t>(dest[0] << 8 | dest[1]));
}
