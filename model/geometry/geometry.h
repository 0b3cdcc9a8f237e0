// Free functions of plane geometry shared by the model: point conversions,
// distances, segment and line intersection, orientation and point-in-triangle
// tests, nearest points on segments and quadratic curves, the circle through
// three points, cubic parts and small integer-rectangle helpers.
#pragma once

#include <cstdint>

#include "compat/win32/types.h"
#include "model/geometry/bezier_math.h"
#include "model/geometry/vector2.h"

// --- conversions and distances ---
void PointFromVector(POINT& out, const CVector2& v);
void PointFromFloats(const float xy[2], POINT& out);
void VectorFromPoint(CVector2& out, const POINT& p);
float Distance(const CVector2& a, const CVector2& b);
float DistanceXY(float x0, float y0, float x1, float y1);
float DistancePoints(const POINT& a, const POINT& b);
float SqrtF(float value);
// Each side times f, rounded half away from zero.
void ScaleRect(RECT& r, float f);
void ScalePoint(POINT& p, int k);
void FillDwords(uint32_t* dst, uint32_t value, int count);

// --- intersections and tests ---
// A cross product at or below this is parallel (lines) or on the line (sides).
inline constexpr double kGeometryCrossTolerance = static_cast<double>(1e-6f);
// A point this close to a segment's line lies along it (SegmentRelation).
inline constexpr double kGeometryOnLineDistance = static_cast<double>(0.001f);
// Segments seg1 = (A.x, A.y, B.x, B.y) and seg2 = (C, D) cross with both
// parameters strictly inside (1e-6, 0.999999); out gets the crossing point.
bool SegmentsIntersect(const float seg1[4], const float seg2[4], CVector2* out);
// out = the crossing of the two lines whenever they are not parallel; true
// when both parameters lie in [1e-6, 0.999999].
bool SegmentCrossing(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d,
                     CVector2& out);
// Parameters s on AB and t on CD of the crossing; shared end points answer
// at once (s, t in {0, 1}); true when 0 < s <= 1 and 0 < t <= 1.
bool SegmentIntersectParams(const CVector2& a, const CVector2& b, const CVector2& c,
                            const CVector2& d, float* s, float* t);
// Crossing of the lines AB and CD; false and the average of the four points
// when they are parallel.
bool LineIntersection(const CVector2& a, const CVector2& b, const CVector2& c, const CVector2& d,
                      CVector2& out);
bool IsNotLeft(float ax, float ay, float bx, float by, float cx, float cy);
// P0 inside the box of P1 P2 (strictly in one direction), and not an end.
bool PointInSegmentBox(float x0, float y0, float x1, float y1, float x2, float y2);
// 1 when segment AB lies along segment CD (both ends within 0.001 of CD's
// line) and the two overlap; -1 otherwise. The triangle mesh treats 1 as a
// segment blocked by the edge CD.
int SegmentRelation(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy);
// Strictly inside, either winding; points on an edge are outside.
bool PointInTriangle(const float tri[6], float x, float y);
// Bounding rectangle of the circle through three points; empty for collinear
// points or a radius over 360. radius and centre may be null.
void CircleBoundsThrough3(RECT& out, const CVector2& p1, const CVector2& p2, const CVector2& p3,
                          float* radius, CVector2* centre);

// --- nearest points ---
float NearestOnSegment(const CVector2& p, const CVector2& a, const CVector2& b, CVector2& out);
// Distance to the quadratic Bezier q0 q1 q2 and its nearest point, or -1.
float NearestOnQuadratic(const CVector2& p, const CVector2 q[3], CVector2& out);
// A root in [t0, t1] of an explicit cubic (x = parameter, y = value) by
// Bezier clipping, or -1.
float FindBezierRoot(const Bezier4& c, float t0, float t1);

// --- cubic parts ---
void LeftCubicPart(const Bezier4& c, Bezier4& out, float t);
void RightCubicPart(const Bezier4& c, Bezier4& out, float t);
