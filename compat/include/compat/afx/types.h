// CPoint, CSize and CRect: the platform's records with the framework's
// arithmetic. Rectangles are right- and bottom-exclusive.
#pragma once

#include <algorithm>

#include "compat/win32.h"

class CSize;
class CRect;

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x0, int y0) : POINT{x0, y0} {}
  CPoint(POINT p) : POINT(p) {}  // NOLINT
  CPoint(SIZE s) : POINT{s.cx, s.cy} {}  // NOLINT
  CPoint(DWORD packed)  // NOLINT: from GetMessagePos and the like
      : POINT{static_cast<SHORT>(LOWORD(packed)), static_cast<SHORT>(HIWORD(packed))} {}

  void Offset(int dx, int dy) { x += dx; y += dy; }
  void Offset(POINT p) { Offset(p.x, p.y); }
  void Offset(SIZE s) { Offset(s.cx, s.cy); }
  void SetPoint(int x0, int y0) { x = x0; y = y0; }

  bool operator==(POINT p) const { return x == p.x && y == p.y; }
  bool operator!=(POINT p) const { return !(*this == p); }
  // Two points of this class compare without C++20's reversed candidates
  // (both sides would convert alike to POINT).
  bool operator==(const CPoint& p) const { return x == p.x && y == p.y; }
  bool operator!=(const CPoint& p) const { return !(*this == p); }
  CPoint& operator+=(SIZE s) { Offset(s); return *this; }
  CPoint& operator-=(SIZE s) { Offset(-s.cx, -s.cy); return *this; }
  CPoint& operator+=(POINT p) { Offset(p); return *this; }
  CPoint& operator-=(POINT p) { Offset(-p.x, -p.y); return *this; }
  CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
  CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
  CSize operator-(POINT p) const;
  CPoint operator-() const { return CPoint(-x, -y); }
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int cx0, int cy0) : SIZE{cx0, cy0} {}
  CSize(SIZE s) : SIZE(s) {}  // NOLINT
  CSize(POINT p) : SIZE{p.x, p.y} {}  // NOLINT
  CSize(DWORD packed)  // NOLINT
      : SIZE{static_cast<SHORT>(LOWORD(packed)), static_cast<SHORT>(HIWORD(packed))} {}

  void SetSize(int cx0, int cy0) { cx = cx0; cy = cy0; }
  bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(SIZE s) const { return !(*this == s); }
  bool operator==(const CSize& s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(const CSize& s) const { return !(*this == s); }
  CSize& operator+=(SIZE s) { cx += s.cx; cy += s.cy; return *this; }
  CSize& operator-=(SIZE s) { cx -= s.cx; cy -= s.cy; return *this; }
  CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
  CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
  CSize operator-() const { return CSize(-cx, -cy); }
  CPoint operator+(POINT p) const { return CPoint(cx + p.x, cy + p.y); }
  CPoint operator-(POINT p) const { return CPoint(cx - p.x, cy - p.y); }
};

inline CSize CPoint::operator-(POINT p) const { return CSize(x - p.x, y - p.y); }

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT
  CRect(LPCRECT r) : RECT(r != nullptr ? *r : RECT{0, 0, 0, 0}) {}  // NOLINT
  CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
  CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

  // --- measures ---
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  // The corners alias the rectangle's own fields, so callers can change them.
  CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
  CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
  const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(&left); }
  const CPoint& BottomRight() const { return *reinterpret_cast<const CPoint*>(&right); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  operator LPRECT() { return this; }  // NOLINT
  operator LPCRECT() const { return this; }  // NOLINT

  BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
  BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  BOOL PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  BOOL EqualRect(LPCRECT r) const {
    return left == r->left && top == r->top && right == r->right && bottom == r->bottom;
  }

  // --- setting ---
  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void SetRect(POINT topLeft, POINT bottomRight) { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void CopyRect(LPCRECT r) { SetRect(r->left, r->top, r->right, r->bottom); }

  // --- moving and sizing ---
  void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
  void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
  void InflateRect(LPCRECT r) { InflateRect(r->left, r->top, r->right, r->bottom); }
  void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
  void DeflateRect(LPCRECT r) { InflateRect(-r->left, -r->top, -r->right, -r->bottom); }
  void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
  void MoveToX(int x) { right += x - left; left = x; }
  void MoveToY(int y) { bottom += y - top; top = y; }
  void MoveToXY(int x, int y) { MoveToX(x); MoveToY(y); }
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }

  // --- combining: results as the platform's rectangle calls give them ---
  BOOL IntersectRect(LPCRECT a, LPCRECT b);
  BOOL UnionRect(LPCRECT a, LPCRECT b);
  BOOL SubtractRect(LPCRECT from, LPCRECT cut);

  // --- operators ---
  CRect& operator=(const RECT& r) { CopyRect(&r); return *this; }
  bool operator==(const RECT& r) const { return EqualRect(&r) != FALSE; }
  bool operator!=(const RECT& r) const { return !(*this == r); }
  bool operator==(const CRect& r) const { return EqualRect(&r) != FALSE; }
  bool operator!=(const CRect& r) const { return !(*this == r); }
  CRect& operator+=(POINT p) { OffsetRect(p); return *this; }
  CRect& operator+=(SIZE s) { OffsetRect(s); return *this; }
  CRect& operator+=(LPCRECT r) { InflateRect(r); return *this; }
  CRect& operator-=(POINT p) { OffsetRect(-p.x, -p.y); return *this; }
  CRect& operator-=(SIZE s) { OffsetRect(-s.cx, -s.cy); return *this; }
  CRect& operator-=(LPCRECT r) { DeflateRect(r); return *this; }
  CRect& operator&=(const RECT& r) { IntersectRect(this, &r); return *this; }
  CRect& operator|=(const RECT& r) { UnionRect(this, &r); return *this; }
  CRect operator+(POINT p) const { CRect c(*this); c += p; return c; }
  CRect operator+(SIZE s) const { CRect c(*this); c += s; return c; }
  CRect operator+(LPCRECT r) const { CRect c(*this); c += r; return c; }
  CRect operator-(POINT p) const { CRect c(*this); c -= p; return c; }
  CRect operator-(SIZE s) const { CRect c(*this); c -= s; return c; }
  CRect operator-(LPCRECT r) const { CRect c(*this); c -= r; return c; }
  CRect operator&(const RECT& r) const { CRect c; c.IntersectRect(this, &r); return c; }
  CRect operator|(const RECT& r) const { CRect c; c.UnionRect(this, &r); return c; }
};

inline BOOL CRect::IntersectRect(LPCRECT a, LPCRECT b) {
  CRect result(std::max(a->left, b->left), std::max(a->top, b->top),
               std::min(a->right, b->right), std::min(a->bottom, b->bottom));
  if (CRect(a).IsRectEmpty() || CRect(b).IsRectEmpty() || result.IsRectEmpty()) {
    SetRectEmpty();
    return FALSE;
  }
  *this = result;
  return TRUE;
}

inline BOOL CRect::UnionRect(LPCRECT a, LPCRECT b) {
  CRect ra(a), rb(b);
  if (ra.IsRectEmpty()) {
    if (rb.IsRectEmpty()) {
      SetRectEmpty();
      return FALSE;
    }
    *this = rb;
    return TRUE;
  }
  if (rb.IsRectEmpty()) {
    *this = ra;
    return TRUE;
  }
  SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top),
          std::max(ra.right, rb.right), std::max(ra.bottom, rb.bottom));
  return TRUE;
}

// The difference is only smaller than `from` when `cut` spans it fully in one
// direction and covers one of its ends in the other; the result stays a
// single rectangle.
inline BOOL CRect::SubtractRect(LPCRECT from, LPCRECT cut) {
  CRect result(from);
  CRect overlap;
  if (result.IsRectEmpty() || !overlap.IntersectRect(from, cut)) {
    *this = result;
    return !IsRectEmpty();
  }
  bool spansX = overlap.left == result.left && overlap.right == result.right;
  bool spansY = overlap.top == result.top && overlap.bottom == result.bottom;
  if (spansX && spansY) {
    SetRectEmpty();
    return FALSE;
  }
  if (spansX) {
    if (overlap.top == result.top) result.top = overlap.bottom;
    else if (overlap.bottom == result.bottom) result.bottom = overlap.top;
  } else if (spansY) {
    if (overlap.left == result.left) result.left = overlap.right;
    else if (overlap.right == result.right) result.right = overlap.left;
  }
  *this = result;
  return TRUE;
}
