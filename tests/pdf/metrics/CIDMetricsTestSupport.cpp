#include "tests/pdf/metrics/CIDMetricsTestSupport.h"

#include <algorithm>
#include <map>
#include <memory>

namespace cidtest {

const std::vector<Row>& RowsOf(const char* fontName) {
  static std::map<std::string, std::vector<Row>> cache;
  auto found = cache.find(fontName);
  if (found != cache.end()) return found->second;
  std::vector<Row>& rows = cache[fontName];
  AFMFile afm;
  EXPECT_TRUE(afm.LoadBuiltIn(fontName)) << fontName;
  afm.ForEachCIDMetric([&](int32_t cid, const AFMCharMetric& m) {
    rows.push_back({cid, m.WX, {m.B[0], m.B[1], m.B[2], m.B[3]}});
  });
  EXPECT_EQ(static_cast<int32_t>(rows.size()), kCIDCount) << fontName;
  rows.resize(kCIDCount, Row{-1, 0, {0, 0, 0, 0}});  // so that rows[cid] never leaves the vector
  return rows;
}

std::set<int32_t> CIDs(std::initializer_list<std::initializer_list<int32_t>> items) {
  std::set<int32_t> out;
  for (const auto& item : items) {
    const int32_t first = *item.begin();
    const int32_t last = *(item.end() - 1);
    for (int32_t cid = first; cid <= last; ++cid) out.insert(cid);
  }
  return out;
}

std::array<int32_t, 2> Span(const std::vector<Row>& rows, const std::set<int32_t>& cids,
                            int coord) {
  std::array<int32_t, 2> span = {INT32_MAX, INT32_MIN};
  for (int32_t cid : cids) {
    const Row& row = rows[cid];
    if (!row.Inked()) continue;
    span[0] = std::min(span[0], row.B[coord]);
    span[1] = std::max(span[1], row.B[coord]);
  }
  return span;
}

}  // namespace cidtest
