// CTransformTracker: the move, scale and rotate frame around selected points.
// It keeps a rectangle in its own unturned frame and the angle by which that
// rectangle is turned about its centre, finds the handle under the mouse and
// turns each drag step into a CMatrix3 that the owner applies to its points.
#pragma once

#include "compat/win32/types.h"
#include "model/geometry/matrix3.h"
#include "model/geometry/rect_f.h"
#include "model/geometry/vector2.h"

class CDC;
class CRect;
class CWnd;

// Handles: 0..3 the corners (left top, right top, right bottom, left bottom),
// 4 the rotation handle, 5..8 the middles of the top, right, bottom and left
// edges; -1 the inside of the frame.
class CTransformTracker {
 public:
  static const int kHandleCount = 9;
  static const int kRotationHandle = 4;
  static const int kInside = -1;

  CTransformTracker();

  void SetRect(const CRectF& r);
  const CRectF& GetRect() const { return m_rect; }
  float GetAngle() const { return m_angle; }
  void Scale(float f);
  void Offset(POINT d);

  // The four turned corners and the rotation handle.
  void GetPoints(CVector2 out[5]) const;
  // 1 with the handle (0..8, or -1 strictly inside the turned frame), else 0
  // with -1.
  int HitTest(const POINT& p, int& handle) const;
  // The cursor for the handle under p: a standard cursor id, or the
  // program's rotation cursor resource; 0 when p is on no part of the frame.
  int CursorIdAt(const POINT& p) const;
  // Sets that cursor; FALSE, leaving the cursor alone, off the frame.
  BOOL SetTrackerCursor(const POINT& p) const;
  // The red frame with its nine handles, moved by offset; nothing for a
  // frame of no width or height.
  void Draw(CDC* dc, const POINT& offset) const;

  // One drag step of a sizing handle: a symmetric scale about the centre in
  // the frame's own turned axes.
  CMatrix3& MoveHandle(int k, const POINT& from, const POINT& to);
  // One drag step of the rotation handle; offset moves the centre into the
  // caller's window.
  void Rotate(const POINT& from, const POINT& to, const POINT& offset);
  void TransformPoint(const CVector2& in, CVector2& out) const;

 private:
  void GetHandlePoints(CVector2 out[kHandleCount]) const;

  float m_angle;
  CMatrix3 m_stepMatrix;
  CRectF m_rect;
};

// Standard cursor ids for a direction in degrees (y upwards).
const int kCursorSizeNWSE = 32642;
const int kCursorSizeNESW = 32643;
const int kCursorSizeWE = 32644;
const int kCursorSizeNS = 32645;
const int kCursorSizeAll = 32646;
// The program's rotation cursor resource.
const int kCursorRotateResource = 14;

int CursorForAngle(float degrees);

// The four corners, then the middles of the top, right, bottom and left sides.
void RectToEightPoints(const RECT& rect, POINT out[8]);
// A dotted outline drawn with XOR, so drawing it twice restores the pixels.
void DrawXorRect(CDC* dc, const RECT& rect, COLORREF colour);
// The rectangle's outline in red with a small square at each corner and
// side middle.
void DrawRectWithGrips(const RECT& rect, CDC* dc);
