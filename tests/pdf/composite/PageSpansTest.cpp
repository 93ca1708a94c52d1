// The spans of a page-tree node's kids: every answer agrees with a plain
// list of page counts whatever the order of the changes, and each search or
// change visits O(log n) tree nodes however the spans were added.
#include "pdf/composite/internal/PageSpans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using Span = PageSpans::Span;
using Kind = PageSpans::Kind;

void ExpectAgrees(const PageSpans& spans, const std::vector<Span>& model) {
  ASSERT_EQ(spans.Size(), static_cast<int32_t>(model.size()));
  int64_t start = 0;
  for (size_t i = 0; i < model.size(); ++i) {
    const int32_t index = static_cast<int32_t>(i);
    ASSERT_EQ(spans.Start(index), start) << i;
    ASSERT_EQ(spans.At(index).pages, model[i].pages) << i;
    ASSERT_EQ(spans.At(index).kind, model[i].kind) << i;
    ASSERT_EQ(spans.At(index).ref, model[i].ref) << i;
    // Every page of a span is found in it; spans of no pages are passed.
    for (int32_t p = 0; p < model[i].pages; ++p) ASSERT_EQ(spans.Find(start + p), index) << i;
    start += model[i].pages;
  }
  EXPECT_EQ(spans.Pages(), start);
  EXPECT_EQ(spans.Start(spans.Size()), start);
  EXPECT_EQ(spans.Find(start), -1);
  EXPECT_EQ(spans.Find(-1), -1);
  size_t visited = 0;
  spans.ForEach([&](int32_t index, const Span& span) {
    EXPECT_EQ(index, static_cast<int32_t>(visited));
    EXPECT_EQ(span.ref, model[visited].ref);
    ++visited;
    return true;
  });
  EXPECT_EQ(visited, model.size());
}

TEST(PageSpansTest, AnswersAgreeWithAListInAnyOrderOfChanges) {
  std::mt19937 rng(3);
  PageSpans spans;
  std::vector<Span> model;
  for (int step = 0; step < 600; ++step) {
    const int32_t size = spans.Size();
    switch (rng() % 4) {
      case 0:
      case 1: {
        Span span;
        span.ref = CPDFObjRef(step + 1, 0);
        span.pages = static_cast<int32_t>(rng() % 4);  // nodes of 0 to 3 pages
        span.kind = span.pages == 1 ? Kind::kPage : Kind::kNode;
        const int32_t at = static_cast<int32_t>(rng() % (size + 1));
        ASSERT_TRUE(spans.Insert(at, span));
        model.insert(model.begin() + at, span);
        break;
      }
      case 2:
        if (size > 0) {
          const int32_t at = static_cast<int32_t>(rng() % size);
          spans.AddPages(at, 1);
          model[static_cast<size_t>(at)].pages += 1;
        }
        break;
      case 3:
        if (size > 0) {
          const int32_t at = static_cast<int32_t>(rng() % size);
          spans.SetKind(at, Kind::kLoop);
          model[static_cast<size_t>(at)].kind = Kind::kLoop;
        }
        break;
    }
    if (step % 50 == 0) ExpectAgrees(spans, model);
  }
  ExpectAgrees(spans, model);
  // Positions outside the range are refused; a visit may stop early.
  EXPECT_FALSE(spans.Insert(-1, Span{}));
  EXPECT_FALSE(spans.Insert(spans.Size() + 1, Span{}));
  int visits = 0;
  spans.ForEach([&](int32_t, const Span&) { return ++visits < 3; });
  EXPECT_EQ(visits, 3);
  spans.Clear();
  EXPECT_EQ(spans.Size(), 0);
  EXPECT_EQ(spans.Find(0), -1);
}

TEST(PageSpansTest, EachSearchAndChangeVisitsLogarithmicallyManyNodes) {
  // Spans added at the front, at the end and in the middle, the orders that
  // make a plain search tree a list.
  constexpr int32_t kSpans = 50000;
  const double log2n = std::log2(static_cast<double>(kSpans));
  for (int order = 0; order < 3; ++order) {
    SCOPED_TRACE(order);
    PageSpans spans;
    int64_t before = PageSpans::Steps();
    for (int32_t i = 0; i < kSpans; ++i) {
      const int32_t at = order == 0 ? 0 : order == 1 ? i : i / 2;
      ASSERT_TRUE(spans.Insert(at, Span{CPDFObjRef(i + 1, 0), 1, Kind::kPage}));
    }
    EXPECT_LE(PageSpans::Steps() - before, static_cast<int64_t>(4 * log2n * kSpans));
    before = PageSpans::Steps();
    for (int32_t i = 0; i < kSpans; ++i) {
      ASSERT_EQ(spans.Find(i), i);
      spans.AddPages(i, 0);
    }
    EXPECT_LE(PageSpans::Steps() - before, static_cast<int64_t>(2 * 4 * log2n * kSpans));
  }
}

}  // namespace
