// The drawing side of the transform tracker and the rectangle utilities:
// the red frame with its handles, grips, the XOR outline of rubber bands and
// the cursor.
#include "compat/afx.h"
#include "model/geometry/geometry.h"
#include "model/outline/transform_tracker.h"

namespace {

const COLORREF kFrameColour = 0x000000FF;  // red
// Handles and grips are squares reaching this far on each side of their point.
const int kGripHalf = 2;

// Outlines the square from (x - half, y - half) to (x + half, y + half),
// starting and ending at its top-left corner.
void OutlineSquare(CDC* dc, int x, int y, int half) {
  dc->MoveTo(x - half, y - half);
  dc->LineTo(x + half, y - half);
  dc->LineTo(x + half, y + half);
  dc->LineTo(x - half, y + half);
  dc->LineTo(x - half, y - half);
}

}  // namespace

// The rotation cursor is the program's own resource 14, loaded through the
// program's module handle; until that handle can be asked for, the arrow
// stands in for it rather than no cursor at all.
BOOL CTransformTracker::SetTrackerCursor(const POINT& p) const {
  const int id = CursorIdAt(p);
  if (id == 0) return FALSE;
  // The rotation cursor is the program's own; the sizing cursors are the system's.
  const HINSTANCE owner = id == kCursorRotateResource ? ::GetModuleHandleW(NULL) : NULL;
  HCURSOR cursor = ::LoadCursorW(owner, MAKEINTRESOURCEW(id));
  if (cursor == NULL) cursor = ::LoadCursorW(NULL, IDC_ARROW);
  ::SetCursor(cursor);
  return TRUE;
}

void CTransformTracker::Draw(CDC* dc, const POINT& offset) const {
  if (m_rect.Width() == 0.0f || m_rect.Height() == 0.0f) return;
  CVector2 handles[kHandleCount];
  GetHandlePoints(handles);
  POINT points[kHandleCount];
  for (int i = 0; i < kHandleCount; ++i) {
    PointFromVector(points[i], handles[i]);
    points[i].x += offset.x;
    points[i].y += offset.y;
  }
  CPen pen(PS_SOLID, 1, kFrameColour);
  CPen* old = dc->SelectObject(&pen);
  dc->MoveTo(points[0].x, points[0].y);
  for (int i = 1; i <= 4; ++i) dc->LineTo(points[i % 4].x, points[i % 4].y);
  for (const POINT& p : points) OutlineSquare(dc, p.x, p.y, kGripHalf);
  dc->SelectObject(old);
}

void DrawXorRect(CDC* dc, const RECT& rect, COLORREF colour) {
  CPen pen(PS_DOT, 1, colour);
  CPen* old = dc->SelectObject(&pen);
  const int oldMode = dc->SetROP2(R2_XORPEN);
  dc->MoveTo(rect.left, rect.top);
  dc->LineTo(rect.left, rect.bottom);
  dc->LineTo(rect.right, rect.bottom);
  dc->LineTo(rect.right, rect.top);
  dc->LineTo(rect.left, rect.top);
  dc->SetROP2(oldMode);
  dc->SelectObject(old);
}

void DrawRectWithGrips(const RECT& rect, CDC* dc) {
  CPen pen(PS_SOLID, 1, kFrameColour);
  CPen* old = dc->SelectObject(&pen);
  POINT points[8];
  RectToEightPoints(rect, points);
  dc->MoveTo(points[0].x, points[0].y);
  for (int i = 1; i <= 4; ++i) dc->LineTo(points[i % 4].x, points[i % 4].y);
  for (const POINT& p : points) OutlineSquare(dc, p.x, p.y, kGripHalf);
  dc->SelectObject(old);
}
