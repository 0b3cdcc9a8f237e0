// CShapeOutline: the one representation of a filled outline (closed contours
// of polylines and quadratic B-splines in float outline units, eight to a
// pixel when rendered), with its scan conversion into coverage masks, its
// widening and extrusion, and the distance queries of soft edges.
#pragma once

#include <cstdint>
#include <vector>

#include "compat/afx/coll.h"
#include "compat/win32/types.h"
#include "model/geometry/matrix3.h"
#include "model/geometry/vector2.h"

struct CMaskBuffer;

// Record types of a contour buffer.
constexpr WORD kOutlinePolyline = 1;
constexpr WORD kOutlineQSpline = 2;
// Bounds value meaning that no point has been seen yet.
constexpr int kOutlineBoundsUnset = 0x10000;
// Header of a contour buffer: byte size, start x, start y.
constexpr uint32_t kContourHeaderBytes = 12;
// No outline of the program comes near these.
constexpr uint32_t kMaxContourBytes = 1u << 24;
constexpr int kMaxOutlineRows = 1 << 20;

struct COutlineContour {
  int maxRow;
  int midRow;
  int minRow;
  int orientClass;  // 0 not yet classified, else 1 or 2
  BYTE* buffer;     // owned by the outline
};

// One edge of a scan: active from startRow (inclusive) to endRow (exclusive),
// its x at the current row advancing by slope. Tag -1 marks edges of a contour
// itself in widened or extruded scans, tags >= 0 one closed piece each; in
// plain scans the tag is the contour index.
struct COutlineEdge {
  int tag;
  int endRow;
  int endX;
  float slope;
  float x;
  int direction;  // 1 when the segment runs downward (y0 <= y1)
  int startRow;
  int contour;
  int order;      // insertion order, for ties
};

// The edges of one or more contours, clipped to rows 0 .. rows - 1: an edge
// starting above row 0 enters at row 0 with its x carried there, one starting
// at or below the last row is dropped.
struct COutlineEdgeTable {
  int rows = 0;
  std::vector<COutlineEdge> edges;

  explicit COutlineEdgeTable(int rowCount = 0) : rows(rowCount) {}
  void AddEdge(int x0, int y0, int x1, int y1, int tag, int contour);
};

// Items of the near-segment grid: which segment of which contour comes close
// to a pixel. Lists are linked through indices into one pool.
struct CNearSegmentGrid {
  struct Item {
    WORD contour;
    WORD segment;
    int next;  // index of the next item, -1 at the end
  };
  RECT rect = {0, 0, 0, 0};
  std::vector<int> heads;  // (right - left) x (bottom - top), row by row
  std::vector<Item> items;

  // Resets the lists; a rectangle larger than kMaxRasterPixels is refused.
  bool Create(const RECT& r);
  int Head(int x, int y) const;  // -1 for an empty list or a point outside
};

// Segment of the distance table: a straight segment (p[0], p[1]) or a
// quadratic piece (p[0], p[1], p[2]).
struct COutlineSegment {
  WORD type;
  CVector2 p[3];
};

class CShapeOutline {
 public:
  CShapeOutline();
  virtual ~CShapeOutline();
  CShapeOutline(const CShapeOutline&) = delete;
  CShapeOutline& operator=(const CShapeOutline& other);

  virtual CShapeOutline* Clone() const;
  virtual void RenderCoverage(CMaskBuffer* mask, float width, float depth, float angle, int orient);
  virtual void RenderSolid(CMaskBuffer* mask, float width, float depth, float angle, int orient);
  // Draws every contour with MoveTo and LineTo on any device context type;
  // returns the number of contours.
  template <class DC>
  int Draw(DC* dc, const POINT* origin, float scale) const;
  virtual int GetValue() const { return m_value; }
  virtual RECT* GetBounds(RECT* out) const;
  virtual void SetBounds(int left, int top, int right, int bottom);
  virtual void ReverseContour(int index);
  virtual void ReverseAll();
  virtual void NormalizeOrientation();
  virtual void SetValueAll(int v);
  virtual void Offset(float dx, float dy);
  virtual void Transform(const CMatrix3& m);
  virtual COutlineEdgeTable ScanContour(int contour, int rows);
  virtual COutlineEdgeTable ScanContourWide(int contour, int rows, int w);
  virtual COutlineEdgeTable BuildExtrusion(int contour, int rows, int depth, int angle, int* tag);
  virtual COutlineEdgeTable ScanContourAngled(int contour, int rows, int w, int depth, int angle,
                                              int* tag);

  // --- contours ---
  // Appends a contour from a buffer (header and records); the buffer is
  // checked record by record and copied. Bounds and row range are widened by
  // its points. Returns the contour index, or -1 for a malformed buffer.
  int AddContour(const BYTE* buffer, uint32_t bytes);
  void RemoveAllContours();
  void SetGrowBy(int growBy);
  int GetContourCount() const { return m_contours.GetSize(); }
  const COutlineContour* GetContour(int index) const;
  int GetOrientedCount() const { return m_orientedCount; }
  // Bounds := the sentinel and then the rounded extent of every point.
  void RecomputeBounds();

  // A widened render offsets outward; the inward flag turns every widening
  // into a shrinking by the same width (the figure groups' inward bands).
  void SetOffsetInward(BOOL inward) { m_offsetInward = inward; }

  // --- distance queries ---
  void BuildSegmentTable();
  void FreeSegmentTable();
  int GetSegmentCount(int contour) const;
  void CollectNearSegments(CNearSegmentGrid& grid, int w);
  // Distance from (x, y) to one segment of the table with the nearest point;
  // indices outside the table give FLT_MAX and leave nearest alone.
  float SegmentDistance(int contour, int segment, int x, int y, CVector2* nearest) const;

 private:
  friend class COutlineScanner;

  void DrawLines(void (*moveTo)(void*, int, int), void (*lineTo)(void*, int, int), void* dc,
                 const POINT* origin, float scale) const;
  void FreeContours();
  void ClassifyAll(int rows);

  CArray<COutlineContour, const COutlineContour&> m_contours;
  int m_left = kOutlineBoundsUnset;
  int m_top = kOutlineBoundsUnset;
  int m_right = -kOutlineBoundsUnset;
  int m_bottom = -kOutlineBoundsUnset;
  int m_value = 0;
  int m_orientedCount = 0;
  std::vector<std::vector<COutlineSegment>>* m_segments = nullptr;
  BOOL m_offsetInward = FALSE;
};

template <class DC>
int CShapeOutline::Draw(DC* dc, const POINT* origin, float scale) const {
  DrawLines([](void* d, int x, int y) { static_cast<DC*>(d)->MoveTo(x, y); },
            [](void* d, int x, int y) { static_cast<DC*>(d)->LineTo(x, y); }, dc, origin, scale);
  return GetContourCount();
}

// Outline coordinates to rows and columns: half away from zero.
int RoundOutline(float v);
