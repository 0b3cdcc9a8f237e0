// Key-point curves: CCurveKeys (key points in a value range, the smooth
// curve through them, the record), CBezierCurve (a flattened table to read
// y at x: the pairs' timing curves) and CEditCurve (what the curve controls
// show and hit).
#pragma once

#include "compat/afx/coll.h"
#include "compat/win32/types.h"
#include "model/geometry/bezier_math.h"
#include "model/outline/bezier_node.h"
#include "model/geometry/vector2.h"

class CArchive;

class CCurveKeys : public CArray<CVector2, const CVector2&> {
 public:
  // Most key points a curve record may hold; a larger count is refused.
  static constexpr int kMaxKeys = 1 << 16;

  CCurveKeys();
  CCurveKeys(const CCurveKeys& other) : CArray() { *this = other; }

  void SetPoints(const CVector2* points, int count);
  void CopyPoints(CVector2Array& out) const;
  // Keys follow the range change. A range of zero width on either side
  // leaves the keys where they are: squeezing them onto one x would lose
  // the curve, and stretching from zero width would divide by zero.
  void RescaleX(float newX0, float newX1);
  void RescaleY(float newY0, float newY1);
  void FlipY();
  void SetRangeValues(float newX0, float newX1, float newY0, float newY1);
  void SetRange(float newX0, float newX1, float newY0, float newY1);
  CCurveKeys& operator=(const CCurveKeys& other);

  // Smooth nodes through the keys. Fewer than two keys give their nodes
  // with the handles on the points; a zero-length chord gives straight
  // segments instead of the spline, which needs every chord.
  void Rebuild(CBezierNodeArray& nodes) const;
  // The flattened curve; the caller deletes it.
  CVector2Array* BuildPolyline() const;
  void Serialize(CArchive& ar);

  float x0;
  float x1;
  float y0;
  float y1;
};

class CBezierCurve : public CCurveKeys {
 public:
  CBezierCurve() = default;
  CBezierCurve(const CBezierCurve& other) : CCurveKeys(other) { RebuildTable(); }
  ~CBezierCurve() override { FreeTables(); }

  void SetPoints(const CVector2* points, int count);
  CBezierCurve& operator=(const CCurveKeys& other);
  CBezierCurve& operator=(const CBezierCurve& other) { return *this = static_cast<const CCurveKeys&>(other); }
  void RebuildTable();
  void FreeTables();
  float Evaluate(float x);
  // One segment's table: its flattened points, start and end included.
  struct Table {
    const CVector2* points;
    int count;
    int GetSize() const { return count; }
    const CVector2& operator[](int k) const { return points[k]; }
  };
  int GetTableCount() const { return m_tableStarts.GetSize() > 0 ? m_tableStarts.GetSize() - 1 : 0; }
  Table TableAt(int i) const;

 private:
  // Every segment's table in one block, table i from start i up to start
  // i + 1: a heap block per segment cost a curve of many keys several
  // times the memory of its points.
  CVector2Array m_tablePoints;
  CArray<int, int> m_tableStarts;
};

// Hit codes of CEditCurve::HitTest.
enum CurveHitCode { kCurveHitKey = 0, kCurveHitCurve = 1, kCurveHitNothing = 2 };

struct CCurveHit {
  int code;
  int key;
  float x;
  float y;
};

class CEditCurve : public CCurveKeys {
 public:
  CEditCurve() = default;
  // The controls copy a pair's timing curve in and out: keys and range only.
  using CCurveKeys::operator=;

  void SetRect(const RECT& r) { display = r; }
  const RECT& GetRect() const { return display; }
  void HitTest(POINT pt, CCurveHit& out) const;
  int InsertPoint(const CVector2& p);
  void SetSelectedY(float y);
  // The curve in red, the keys as small squares (edit_curve_draw.cpp).
  void Draw(HDC dc) const;

  COLORREF colour = 0x00FF00;
  RECT display{0, 0, 0, 0};
  int selected = -1;

 private:
  // The flattened curve and the keys it was made from: every paint and
  // mouse move uses it until a key changes. A copy starts empty.
  struct PolylineCache {
    PolylineCache() = default;
    PolylineCache(const PolylineCache&) {}
    PolylineCache& operator=(const PolylineCache&) {
      keys.RemoveAll();
      points.RemoveAll();
      return *this;
    }
    CVector2Array keys;
    CVector2Array points;
  };
  const CVector2Array& Polyline() const;

  mutable PolylineCache m_polyline;
};
