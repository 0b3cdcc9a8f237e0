// CBezierPath: one outline of cubic Bezier segments between nodes with
// absolute in- and out-handles; keeps its integer bounds, hits points
// against nodes, handles, segments and the eight frame handles, and edits
// nodes and handles (smooth nodes turn both handles together).
#pragma once

#include "compat/win32/types.h"
#include "model/outline/bezier_node.h"
#include "model/geometry/matrix3.h"

// HitTest results.
enum PathHitCode {
  kPathHitOutside = 10,
  kPathHitNode = 11,
  kPathHitHandle = 12,
  kPathHitFrameHandle = 13,
  kPathHitSegment = 14,
  kPathHitNothing = 15
};

enum PathKind { kPathKindArc = 1, kPathKindBezier = 3 };
enum PathState { kPathEditable = 0, kPathDrawing = 1, kPathFinished = 2 };

class CBezierPath {
 public:
  CBezierPath();
  CBezierPath(const CBezierPath& other) : CBezierPath() { *this = other; }
  virtual ~CBezierPath() = default;

  virtual void MovePoint(int i, float x, float y);
  virtual void MoveHandle(int i, int h, float x, float y);
  virtual void Reset();

  int SetNodes(const CBezierNodeArray& nodes);
  void CopyNodesTo(CBezierNodeArray& out) const;
  void Clear() { Reset(); }
  int GetPointCount() const { return m_nodes.GetSize(); }
  const CBezierNode& NodeAt(int i) const { return m_nodes.ElementAt(i); }
  void SetSelected(int i);
  int GetSelected() const { return m_selected; }
  void SetClosed(int closed) { m_closed = closed; }
  int GetClosed() const { return m_closed; }
  void SetEditMode(int mode) { m_editMode = mode; }
  int GetEditMode() const { return m_editMode; }
  void SetState(int state) { m_state = state; }
  int GetState() const { return m_state; }
  void SetKind(int kind) { m_kind = kind; }
  int GetKind() const { return m_kind; }
  POINT GetOffset() const { return m_offset; }
  // Graph mode: y held within [minimum, maximum], handles between their
  // neighbours' x.
  void SetClamping(int on, float minimum, float maximum);
  const RECT& GetBounds() const { return m_bounds; }

  // --- nodes and handles ---
  void SetSmooth(int i, int flag);
  int IsSmooth(int i) const;
  float HandleLength(int i, int h) const;
  bool HandlesCollapsed(int i) const;
  void CollapseHandles(int i);
  void AutoHandles(int i);
  void AlignHandle(int i, int h);
  void AppendPoint(const CVector2& p, const CVector2* handles);
  int InsertPoint(int i, const CVector2& p, const CVector2* handles);
  void SplitSegment(int i, float t);
  int RemovePoint(int i);

  // --- whole path ---
  void Scale(float f);
  void Translate(const POINT& d);
  void Offset(POINT d) { Translate(d); }
  void Transform(const CMatrix3& m);
  void ResizeByHandle(int k, int x, int y);
  void RecalcBounds();

  // --- geometry for drawing and hitting ---
  void GetHitBounds(RECT& out) const;
  void GetTransformHandlePoint(POINT& out, int k) const;
  void GetTransformHandleRect(RECT& out, int k) const;
  void GetNodePoint(POINT& out, int i, int h) const;
  void GetNodeRect(RECT& out, int i, int h) const;
  void GetNodeDirtyRect(RECT& out, int i) const;
  // out[0] node (or frame handle, or segment), out[1] handle, out[2] the
  // segment parameter as float bits (HitParam).
  int HitTest(int x, int y, int out[3]) const;

  // Node squares (or the frame's handles), the segments and the selected
  // node's handles (editable_path_window.cpp).
  void Draw(HDC dc, COLORREF colour);
  void DrawNodeHandles(HDC dc, int i, COLORREF colour);

  CBezierPath& operator=(const CBezierPath& other);
  bool operator==(const CBezierPath& other) const;

 protected:
  int HitTestPoints(POINT p, int out[3]) const;
  int HitTestHandles(POINT p, int out[3]) const;
  void MoveArcPoint(int i, float x, float y);
  void DrawSegments(HDC dc) const;
  void ClampGraphPoint(int i, float& y) const;
  void ClampGraphHandle(int i, int h, float& x, float& y) const;
  void TurnOtherHandle(int i, int h, float x, float y);
  bool InGraphMode() const { return m_clamping != 0; }

  int m_kind;
  CBezierNodeArray m_nodes;
  POINT m_offset;
  int m_closed;
  int m_clamping;
  float m_clampMin;
  float m_clampMax;
  RECT m_bounds;
  int m_selected;
  int m_editMode;
  int m_state;
};

float HitParam(const int out[3]);

// A poly-Bezier of the nodes: for each segment its first three control
// points, then the final point; the caller deletes the array. Null and a
// count of 0 for no nodes.
CVector2* BuildBezierPolyline(const CBezierNodeArray& nodes, BOOL closed, int* count);
