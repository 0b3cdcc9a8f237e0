// Reading contour buffers of CShapeOutline and walking their pieces: records
// checked against the buffer's size, B-splines split into quadratics and
// quadratics flattened by the 0.2-unit rule. Internal to the outline code.
#pragma once

#include <cmath>
#include <cstring>

#include "model/outline/shape_outline.h"

namespace outline_walk {

// Subdivision stops here even when a quadratic is not yet flat (NaN or huge
// coordinates); 2^16 pieces are far more than any real curve needs.
constexpr int kMaxFlattenDepth = 16;
constexpr float kFlatness = 0.2f;

inline uint32_t ReadU32(const BYTE* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline WORD ReadU16(const BYTE* p) {
  WORD v;
  std::memcpy(&v, p, 2);
  return v;
}
inline CVector2 ReadPoint(const BYTE* p) {
  float xy[2];
  std::memcpy(xy, p, 8);
  return CVector2(xy[0], xy[1]);
}
inline void WritePoint(BYTE* p, const CVector2& v) {
  const float xy[2] = {v.x, v.y};
  std::memcpy(p, xy, 8);
}
inline CVector2 Mid(const CVector2& a, const CVector2& b) {
  return CVector2((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f);
}

// f(type, count, points) for each record that lies wholly inside the size
// the header gives; a record that does not fit ends the walk.
template <class F>
void ForEachRecord(BYTE* buffer, F f) {
  const uint32_t size = ReadU32(buffer);
  uint32_t at = kContourHeaderBytes;
  while (at + 4 <= size) {
    const WORD type = ReadU16(buffer + at);
    const WORD count = ReadU16(buffer + at + 2);
    const uint32_t bytes = 4 + 8u * count;
    if (bytes > size - at) break;
    f(type, static_cast<int>(count), buffer + at + 4);
    at += bytes;
  }
}
template <class F>
void ForEachRecord(const BYTE* buffer, F f) {
  ForEachRecord(const_cast<BYTE*>(buffer), [&](WORD t, int n, BYTE* p) { f(t, n, static_cast<const BYTE*>(p)); });
}

// Quadratics of a B-spline record from the current point a: control p[k],
// end the midpoint of p[k] and p[k + 1], the last end p[n - 1]. A record of
// one point is a straight piece to it, so that the contour stays closed.
template <class Q>
CVector2 ForEachQuadratic(CVector2 a, const BYTE* points, int n, Q quad) {
  if (n == 1) {
    const CVector2 c = ReadPoint(points);
    quad(a, Mid(a, c), c);
    return c;
  }
  for (int k = 0; k + 1 < n; ++k) {
    const CVector2 b = ReadPoint(points + 8 * k);
    const CVector2 next = ReadPoint(points + 8 * (k + 1));
    const CVector2 c = (k + 2 == n) ? next : Mid(b, next);
    quad(a, b, c);
    a = c;
  }
  return a;
}

// line(P, Q) for every polyline step, quad(A, B, C) for every quadratic
// piece; records of other types are carried but not walked.
template <class L, class Q>
void WalkContour(const BYTE* buffer, L line, Q quad) {
  CVector2 current = ReadPoint(buffer + 4);
  ForEachRecord(buffer, [&](WORD type, int n, const BYTE* points) {
    if (type == kOutlinePolyline) {
      for (int k = 0; k < n; ++k) {
        const CVector2 q = ReadPoint(points + 8 * k);
        line(current, q);
        current = q;
      }
    } else if (type == kOutlineQSpline && n > 0) {
      current = ForEachQuadratic(current, points, n, quad);
    }
  });
}

// emit(A, C) for each flat piece: d = (A + C - 2B) / 4; flat when both
// components are within the tolerance, else split at M = (A + C) / 2 - d with
// d / 4 for the halves.
template <class E>
void FlattenHalves(const CVector2& a, const CVector2& c, float dx, float dy, int depth, E& emit) {
  if ((std::fabs(dx) <= kFlatness && std::fabs(dy) <= kFlatness) || depth >= kMaxFlattenDepth) {
    emit(a, c);
    return;
  }
  const CVector2 m((a.x + c.x) * 0.5f - dx, (a.y + c.y) * 0.5f - dy);
  FlattenHalves(a, m, dx * 0.25f, dy * 0.25f, depth + 1, emit);
  FlattenHalves(m, c, dx * 0.25f, dy * 0.25f, depth + 1, emit);
}
template <class E>
void FlattenQuadratic(const CVector2& a, const CVector2& b, const CVector2& c, E emit) {
  FlattenHalves(a, c, (a.x + c.x - 2 * b.x) * 0.25f, (a.y + c.y - 2 * b.y) * 0.25f, 0, emit);
}

// Every flattened piece of the contour in order: emit(P, Q).
template <class E>
void WalkFlattened(const BYTE* buffer, E emit) {
  WalkContour(buffer, [&](const CVector2& p, const CVector2& q) { emit(p, q); },
              [&](const CVector2& a, const CVector2& b, const CVector2& c) { FlattenQuadratic(a, b, c, emit); });
}

// trunc(v + 0.5), the rounding of edge end points; saturated so that hostile
// coordinates cannot overflow.
inline int RoundEdge(float v) {
  const float r = v + 0.5f;
  if (!(r > -1e9f)) return -1000000000;
  if (r > 1e9f) return 1000000000;
  return static_cast<int>(r);
}

}  // namespace outline_walk
