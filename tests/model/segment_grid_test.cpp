// The segment grid: every segment that meets a query segment is offered,
// removed segments are not, also where many segments crowd one cell and
// after the grid has been copied.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "model/geometry.h"
#include "model/segment_grid.h"

namespace {

using Segment = std::pair<CVector2, CVector2>;

std::set<int> Offered(const CSegmentGrid& grid, const Segment& query) {
  std::set<int> ids;
  grid.Query(query.first, query.second, [&](int id) {
    EXPECT_TRUE(ids.insert(id).second) << "offered twice: " << id;
    return false;
  });
  return ids;
}

bool Meet(const Segment& s, const Segment& t) {
  float a = 0, b = 0;
  return SegmentIntersectParams(s.first, s.second, t.first, t.second, &a, &b) && a >= 0 && a <= 1 && b >= 0 && b <= 1;
}

// Random segments, most of them short and inside one small corner so that
// its cells hold far more ids than a cell keeps in place; a third are taken
// out again in an order unlike the one they came in.
TEST(SegmentGrid, CrowdedCellsOfferEveryLiveSegmentAndNoRemovedOne) {
  std::mt19937 random(25);
  std::uniform_real_distribution<float> wide(0, 100), corner(0, 3), step(-1, 1);
  std::vector<CVector2> bounds = {{0, 0}, {100, 100}};
  CSegmentGrid grid;
  grid.Reset(bounds.data(), bounds.size(), 400, 0.01f);
  std::map<int, Segment> live;
  for (int id = 0; id < 600; ++id) {
    const bool crowded = id % 3 != 0;
    const CVector2 a = crowded ? CVector2{corner(random), corner(random)} : CVector2{wide(random), wide(random)};
    const CVector2 b = crowded ? CVector2{a.x + step(random), a.y + step(random)} : CVector2{wide(random), wide(random)};
    grid.Insert(id, a, b);
    live[id] = {a, b};
  }
  for (int id = 599; id >= 0; id -= 3) {
    grid.Remove(id, live[id].first, live[id].second);
    live.erase(id);
  }
  const CSegmentGrid copy = grid;
  CSegmentGrid assigned;
  assigned = copy;
  for (int k = 0; k < 300; ++k) {
    const Segment query = k % 2 ? Segment{{corner(random), corner(random)}, {corner(random), corner(random)}}
                                : Segment{{wide(random), wide(random)}, {corner(random), corner(random)}};
    const std::set<int> offered = Offered(grid, query);
    for (const auto& [id, segment] : live) {
      if (Meet(query, segment)) {
        EXPECT_TRUE(offered.count(id)) << "query " << k << " misses " << id;
      }
    }
    for (int id : offered) EXPECT_TRUE(live.count(id)) << "query " << k << " offers removed " << id;
    EXPECT_EQ(Offered(copy, query), offered);
    EXPECT_EQ(Offered(assigned, query), offered);
  }
}

}  // namespace
