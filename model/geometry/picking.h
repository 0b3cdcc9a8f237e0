// Triangle tests in space: a triangle's plane, which side of it a point lies
// on, where a line meets it, whether two triangles cut each other, and
// whether two edges that move during a morph (time as the third coordinate)
// pass through each other.
#pragma once

#include "model/geometry/vector2.h"
#include "model/geometry/vector3.h"

struct CPickTriangle {
  CVector3 vertices[3];
  CVector3 normal;  // unit; x, y, z zero for a degenerate triangle
  float d;          // plane constant: normal . vertices[0]

  CPickTriangle();

  void ComputePlane();
  // 0 above the plane, 2 below, 1 within 0.001 of it.
  int Classify(const CVector3& p) const;
  void IntersectLine(const CVector3& p, const CVector3& q, CVector3& out) const;
  // p and q lie in the plane: does the segment between them touch the triangle?
  int SegmentHitsInPlane(const CVector3& p, const CVector3& q) const;
  // 1 when the triangle with the other vertices cuts this one.
  int IntersectsTriangle(const CVector3 other[3]) const;
  // The same, with the other vertices' sides of the plane already classified.
  int CutBy(const CVector3 other[3], const int side[3]) const;
};

// 1 when p or q lies inside the triangle or the segment pq crosses an edge.
int SegmentHitsTriangle2D(const CVector2 triangle[3], const CVector2& p, const CVector2& q);

// Edge A runs from a0 to a1 at time 0 and from a2 to a3 at time 1; edge B
// likewise. 1 when the two meet at some moment of the move.
int MovingEdgesCross(const CVector2& a0, const CVector2& a1, const CVector2& a2, const CVector2& a3,
                     const CVector2& b0, const CVector2& b1, const CVector2& b2, const CVector2& b3);
