// Disjoint-rectangle sets: union, difference and intersection by splitting.
#include "compat/win32/rect_list.h"

#include <algorithm>

namespace compat::user {
namespace {

// The parts of `r` outside `cut`, at most four, appended to `out`.
void AppendDifference(const RECT& r, const RECT& cut, std::vector<RECT>* out) {
  RECT inner = RectIntersection(r, cut);
  if (RectEmpty(inner)) {
    out->push_back(r);
    return;
  }
  if (r.top < inner.top) out->push_back({r.left, r.top, r.right, inner.top});
  if (inner.bottom < r.bottom) out->push_back({r.left, inner.bottom, r.right, r.bottom});
  if (r.left < inner.left) out->push_back({r.left, inner.top, inner.left, inner.bottom});
  if (inner.right < r.right) out->push_back({inner.right, inner.top, r.right, inner.bottom});
}

}  // namespace

bool RectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT RectIntersection(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (RectEmpty(r)) return RECT{0, 0, 0, 0};
  return r;
}

RECT RectOffset(RECT r, int dx, int dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
  return r;
}

RECT RectList::Bounds() const {
  if (rects_.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects_.front();
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

void RectList::Add(const RECT& r) {
  if (RectEmpty(r)) return;
  // Keep the set disjoint: add only the parts of r not covered yet.
  std::vector<RECT> pieces{r};
  for (const RECT& existing : rects_) {
    std::vector<RECT> next;
    for (const RECT& piece : pieces) AppendDifference(piece, existing, &next);
    pieces.swap(next);
    if (pieces.empty()) return;
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void RectList::Subtract(const RECT& r) {
  if (RectEmpty(r)) return;
  std::vector<RECT> next;
  for (const RECT& existing : rects_) AppendDifference(existing, r, &next);
  rects_.swap(next);
}

void RectList::Intersect(const RECT& r) {
  std::vector<RECT> next;
  for (const RECT& existing : rects_) {
    RECT inner = RectIntersection(existing, r);
    if (!RectEmpty(inner)) next.push_back(inner);
  }
  rects_.swap(next);
}

void RectList::Intersect(const RectList& other) {
  std::vector<RECT> next;
  for (const RECT& a : rects_) {
    for (const RECT& b : other.rects_) {
      RECT inner = RectIntersection(a, b);
      if (!RectEmpty(inner)) next.push_back(inner);
    }
  }
  rects_.swap(next);
}

void RectList::Offset(int dx, int dy) {
  for (RECT& r : rects_) r = RectOffset(r, dx, dy);
}

}  // namespace compat::user
