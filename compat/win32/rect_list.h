// A set of pixels kept as disjoint rectangles: update regions and visible
// areas of windows.
#pragma once

#include <vector>

#include "compat/win32/types.h"

namespace compat::user {

bool RectEmpty(const RECT& r);
RECT RectIntersection(const RECT& a, const RECT& b);
RECT RectOffset(RECT r, int dx, int dy);

class RectList {
 public:
  RectList() = default;
  explicit RectList(const RECT& r) { Add(r); }

  bool Empty() const { return rects_.empty(); }
  const std::vector<RECT>& Rects() const { return rects_; }
  RECT Bounds() const;
  void Clear() { rects_.clear(); }

  void Add(const RECT& r);               // union
  void Subtract(const RECT& r);
  void Intersect(const RECT& r);
  void Intersect(const RectList& other);
  void Offset(int dx, int dy);

 private:
  std::vector<RECT> rects_;
};

}  // namespace compat::user
