// The segment grid: every segment that meets a query segment is offered,
// removed segments are not, also where many segments crowd one cell and
// after the grid has been copied.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "model/geometry/geometry.h"
#include "model/mesh/segment_grid.h"

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

// Ends on the cells' borders, just either side of them, and beyond the
// grid's bounds on every side: the cells clamp at the edges and a segment
// meeting the query is still offered.
TEST(SegmentGrid, SegmentsOnCellBordersAndBeyondTheBoundsAreOffered) {
  std::mt19937 random(11);
  const float spots[] = {-250.0f, -10.0f, -1e-7f, 0.0f, 1e-7f, 9.999999f, 10.0f, 10.000001f, 50.0f,
                         89.99999f, 90.0f, 99.99999f, 100.0f, 100.00001f, 130.0f, 2000.0f};
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(spots)) - 1);
  std::vector<CVector2> bounds = {{0, 0}, {100, 100}};
  CSegmentGrid grid;
  grid.Reset(bounds.data(), bounds.size(), 100, 0.01f);
  std::vector<Segment> segments;
  for (int id = 0; id < 400; ++id) {
    segments.push_back({{spots[pick(random)], spots[pick(random)]}, {spots[pick(random)], spots[pick(random)]}});
    grid.Insert(id, segments.back().first, segments.back().second);
  }
  int met = 0;
  for (int k = 0; k < 400; ++k) {
    const Segment query{{spots[pick(random)], spots[pick(random)]}, {spots[pick(random)], spots[pick(random)]}};
    const std::set<int> offered = Offered(grid, query);
    for (int id = 0; id < static_cast<int>(segments.size()); ++id)
      if (Meet(query, segments[id])) {
        ++met;
        EXPECT_TRUE(offered.count(id)) << "query " << k << " misses " << id;
      }
  }
  EXPECT_GT(met, 1000);
}

// A 50 x 50 grid of about 100 cells, and a segment end on it: anywhere, or
// crowded into the cell at its corner.
CSegmentGrid SmallGrid() {
  const std::vector<CVector2> bounds = {{0, 0}, {50, 50}};
  CSegmentGrid grid;
  grid.Reset(bounds.data(), bounds.size(), 100, 0.01f);
  return grid;
}
CVector2 SmallGridEnd(std::mt19937& random, bool crowded) {
  std::uniform_real_distribution<float> wide(0, 50), corner(0, 2);
  return crowded ? CVector2{corner(random), corner(random)} : CVector2{wide(random), wide(random)};
}

std::vector<int> OfferedInOrder(const CSegmentGrid& grid, const Segment& query, float lowest) {
  std::vector<int> ids;
  grid.Query(query.first, query.second, [&](int id) {
    ids.push_back(id);
    return false;
  }, lowest);
  return ids;
}

// A query with a floor offers the same segments in the same order as one
// without, less exactly those with both ends' y below the floor (a segment
// touching it stays), also for segments moved to other ends, crowded cells
// and a copy; and a walk stopped early leaves the next query whole.
TEST(SegmentGrid, FloorPassesOverExactlyTheSegmentsBelowIt) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> wide(0, 50), corner(0, 2);
  CSegmentGrid grid = SmallGrid();
  std::map<int, Segment> live;
  for (int id = 0; id < 300; ++id) {
    const bool crowded = id % 2 == 0;
    const CVector2 a = SmallGridEnd(random, crowded), b = SmallGridEnd(random, crowded);
    grid.Insert(id, a, b);
    live[id] = {a, b};
  }
  // Moved: out with the old ends, in with new ones whose top differs.
  for (int id = 0; id < 300; id += 5) {
    grid.Remove(id, live[id].first, live[id].second);
    live[id] = {{wide(random), wide(random)}, {wide(random), 10.0f}};
    grid.Insert(id, live[id].first, live[id].second);
  }
  const CSegmentGrid copy = grid;
  for (int k = 0; k < 200; ++k) {
    const Segment query{{wide(random), wide(random)}, {wide(random), wide(random)}};
    const float lowest = k % 4 == 0 ? 10.0f : wide(random);
    std::vector<int> expected;
    for (int id : OfferedInOrder(grid, query, -INFINITY)) {
      const Segment& s = live.at(id);
      if (std::max(s.first.y, s.second.y) >= lowest) expected.push_back(id);
    }
    EXPECT_EQ(OfferedInOrder(grid, query, lowest), expected) << "query " << k;
    EXPECT_EQ(OfferedInOrder(copy, query, lowest), expected) << "query " << k;
    int seen = 0;
    grid.Query(query.first, query.second, [&](int) { return ++seen == 2; }, lowest);
    EXPECT_EQ(OfferedInOrder(grid, query, lowest), expected) << "query " << k << " after a stopped walk";
  }
}

// A visit that takes the ends is handed those each segment was last
// inserted with, in the same order as a visit of ids alone, also for
// segments moved to new ends, segments with ends that are not numbers (which
// every query is offered), crowded cells and a copy.
TEST(SegmentGrid, OfferedEndsAreThoseLastInserted) {
  std::mt19937 random(9);
  std::uniform_real_distribution<float> wide(0, 50), corner(0, 2);
  CSegmentGrid grid = SmallGrid();
  std::map<int, Segment> live;
  const float odd[] = {NAN, INFINITY, -INFINITY};
  for (int id = 0; id < 300; ++id) {
    const bool crowded = id % 2 == 0;
    CVector2 a = SmallGridEnd(random, crowded);
    const CVector2 b = SmallGridEnd(random, crowded);
    if (id % 37 == 0) a.y = odd[id % 3];
    grid.Insert(id, a, b);
    live[id] = {a, b};
  }
  for (int id = 1; id < 300; id += 4) {
    grid.Remove(id, live[id].first, live[id].second);
    live[id] = {{wide(random), wide(random)}, {corner(random), corner(random)}};
    grid.Insert(id, live[id].first, live[id].second);
  }
  const CSegmentGrid copy = grid;
  for (int k = 0; k < 200; ++k) {
    const Segment query{{wide(random), wide(random)}, {corner(random), corner(random)}};
    const float lowest = k % 2 ? -INFINITY : wide(random);
    for (const CSegmentGrid* g : {static_cast<const CSegmentGrid*>(&grid), &copy}) {
      std::vector<int> ids;
      g->Query(query.first, query.second, [&](int id, const CVector2& a, const CVector2& b) {
        ids.push_back(id);
        const Segment& s = live.at(id);
        EXPECT_EQ(std::memcmp(&a, &s.first, sizeof a), 0) << "segment " << id;
        EXPECT_EQ(std::memcmp(&b, &s.second, sizeof b), 0) << "segment " << id;
        return false;
      }, lowest);
      EXPECT_EQ(ids, OfferedInOrder(*g, query, lowest)) << "query " << k;
    }
  }
}

// Long segments that are nearly level or nearly upright cross many rows at a
// shallow slant, so each row's cells come from the run in x per unit of y;
// short queries crossing them anywhere along their length, near the borders
// of the rows above all, must still be offered them.
TEST(SegmentGrid, SlantedLongSegmentsAreOfferedWhereverTheyAreCrossed) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> unit(0, 1), spot(0, 1000);
  const float slants[] = {0.0f, 1e-6f, 1e-4f, 0.013f, 0.5f, 3.7f, 250.0f, 4e5f};
  std::vector<CVector2> bounds = {{0, 0}, {1000, 1000}};
  CSegmentGrid grid;
  grid.Reset(bounds.data(), bounds.size(), 200000, 0.01f);
  std::vector<Segment> segments;
  for (int id = 0; id < 240; ++id) {
    const float slant = slants[id % std::size(slants)] * (id % 3 == 0 ? -1.0f : 1.0f);
    const CVector2 a{spot(random), spot(random)};
    const float length = 200 + 600 * unit(random);
    // Even ids run mostly in x, odd ones mostly in y.
    const CVector2 run = id % 2 ? CVector2{length * slant / (1 + std::fabs(slant)), length}
                                : CVector2{length, length * slant / (1 + std::fabs(slant))};
    segments.push_back({a, {a.x + run.x, a.y + run.y}});
    grid.Insert(id, segments.back().first, segments.back().second);
  }
  int met = 0;
  for (int id = 0; id < static_cast<int>(segments.size()); ++id) {
    const auto& [a, b] = segments[id];
    for (int k = 0; k < 40; ++k) {
      // A point of the segment, often one on a row border, and a short query
      // across it there.
      float t = unit(random);
      if (k % 2 && a.y != b.y) {
        const float border = std::round(a.y + t * (b.y - a.y)) + (k % 4 == 1 ? 0.0f : 1e-4f);
        t = std::clamp((border - a.y) / (b.y - a.y), 0.0f, 1.0f);
      }
      const CVector2 at{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
      const float reach = k % 3 == 0 ? 1e-3f : 0.7f;
      const Segment query{{at.x - reach, at.y + reach * 0.3f}, {at.x + reach, at.y - reach * 0.6f}};
      if (!Meet(query, segments[id])) continue;
      ++met;
      EXPECT_TRUE(Offered(grid, query).count(id)) << "segment " << id << " crossed at " << t;
    }
  }
  EXPECT_GT(met, 4000);
}

}  // namespace
