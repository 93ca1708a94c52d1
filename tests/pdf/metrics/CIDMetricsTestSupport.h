#pragma once
// The rows of a filled CID record, copied out once per font for the tests
// that look at widths and boxes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "pdf/font/AFMFile.h"

namespace cidtest {

constexpr int32_t kCIDCount = 8720;

struct Row {
  int32_t cid;
  int32_t WX;
  std::array<int32_t, 4> B;
  bool Inked() const { return B != std::array<int32_t, 4>{0, 0, 0, 0}; }
};

// The rows of the built-in record of the font, by CID (filled once).
const std::vector<Row>& RowsOf(const char* fontName);

// The CIDs of the items: a single CID {n} or a range {first, last}.
std::set<int32_t> CIDs(std::initializer_list<std::initializer_list<int32_t>> items);

// The CIDs whose row satisfies the predicate.
template <class P>
std::set<int32_t> Where(const std::vector<Row>& rows, P predicate) {
  std::set<int32_t> out;
  for (const Row& row : rows)
    if (predicate(row)) out.insert(row.cid);
  return out;
}

// Least and greatest value of one coordinate (0-3: llx, lly, urx, ury) over
// the inked boxes of the CIDs.
std::array<int32_t, 2> Span(const std::vector<Row>& rows, const std::set<int32_t>& cids, int coord);

}  // namespace cidtest
