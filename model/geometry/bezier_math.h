// Free functions on one cubic Bezier segment: evaluation, splitting,
// flattening to a flatness of 0.1, arc-length tables, y at a given x and the
// parameter of a segment point near a given point.
#pragma once

#include "compat/afx/coll.h"
#include "model/geometry/vector2.h"

// One cubic segment: P0, P1, P2, P3 as eight floats (four CVector2 in a row).
struct Bezier4 {
  CVector2 p[4];
};

struct CurveSample {
  CVector2 point;
  float t;
};

struct ArcLengthEntry {
  float length;  // cumulative from the segment's start
  float t;
};

// The framework's growable arrays, which the callers own and pass in.
typedef CArray<CurveSample, const CurveSample&> CCurveSampleArray;
typedef CArray<ArcLengthEntry, const ArcLengthEntry&> CArcLengthTable;
typedef CArray<CVector2, const CVector2&> CVector2Array;

// a u^3 + 3 b t u^2 + 3 c u t^2 + d t^3 with u = 1 - t.
float CubicBernstein(float a, float b, float c, float d, float t);
void CubicPoint(CVector2& out, const Bezier4& c, float t);
// de Casteljau split at t: left covers [0, t], right [t, 1].
void SplitCubic(const Bezier4& c, Bezier4& left, Bezier4& right, float t);

// Subdivision depth that flattening never passes (at most 2^17 - 1
// samples): a guard against huge or non-finite control points, which real
// curves never reach (each level divides the offset by four).
constexpr int kMaxCubicFlattenDepth = 16;
// Interior samples (no end points) in increasing t; a nearly straight
// segment gives one sample at t = 0.5. maxDepth caps the subdivision (at
// most 2^(maxDepth + 1) - 1 samples).
void FlattenCubicInterior(const Bezier4& c, CCurveSampleArray& samples, int maxDepth = kMaxCubicFlattenDepth);
// (P0, 0), the interior samples, (P3, 1).
void FlattenCubicSegment(const Bezier4& c, CCurveSampleArray& samples);
void FlattenCubicToPoints(const Bezier4& c, CVector2Array& points, int maxDepth = kMaxCubicFlattenDepth);

// Replaces the table's entries: one entry per sample.
void BuildArcLengthTable(const CCurveSampleArray& samples, CArcLengthTable& table);
void BuildSegmentArcTable(const Bezier4& c, CArcLengthTable& table);
// Linear interpolation in the table; lengths outside it extrapolate along the
// first or last pair.
float ArcLengthToParam(const CArcLengthTable& table, float length);

// y where a curve whose x runs one way across the segment passes x.
float CubicYAtX(const Bezier4& c, float x);
// A parameter in [t0, t1] of a curve point near p (within about 2 tol), or
// -1.0 when the segment passes nowhere near.
float FindSegmentParam(const CVector2& p, const Bezier4& c, float tol, float t0, float t1);
