// CBezierPath and CEditablePath on the screen: drawing the outline with GDI,
// and a press on the pane, whose capture loop and notice the pane runs
// (CPaneLink).
#include "compat/win32.h"
#include "model/outline/editable_path.h"
#include "model/geometry/geometry.h"
#include "model/project/pane_link.h"
#include "model/geometry/pixel_point.h"

namespace {

constexpr LONG kSquareHalf = 4;
constexpr LONG kHandleSquareHalf = 2;

POINT Truncated(const CVector2& v) { return POINT{TruncatedCoordinate(v.x), TruncatedCoordinate(v.y)}; }

RECT Square(POINT p, LONG half) { return RECT{p.x - half, p.y - half, p.x + half, p.y + half}; }

}  // namespace

// --- drawing ---

void CBezierPath::Draw(HDC dc, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  const int n = GetPointCount();
  if (n > 0) {
    HBRUSH brush = CreateSolidBrush(colour);
    for (int k = 1; m_editMode != 1 && k <= 8; ++k) {
      RECT r;
      GetTransformHandleRect(r, k);
      FrameRect(dc, &r, brush);
    }
    for (int i = 0; m_editMode == 1 && i < n; ++i) {
      RECT r;
      GetNodeRect(r, i, -1);
      FrameRect(dc, &r, brush);
    }
    DeleteObject(brush);
    DrawSegments(dc);
    if (m_editMode == 1 && m_selected >= 0 && m_selected < n) DrawNodeHandles(dc, m_selected, colour);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void CBezierPath::DrawSegments(HDC dc) const {
  const int n = GetPointCount();
  if (m_kind == kPathKindArc) {
    if (n < 3) return;
    RECT square;
    CircleBoundsThrough3(square, m_nodes[0].point, m_nodes[1].point, m_nodes[2].point, nullptr, nullptr);
    if (square.right == square.left) return;
    const CVector2 a = m_nodes[1].point - m_nodes[0].point, b = m_nodes[2].point - m_nodes[1].point;
    const bool fromFirst = a.x * b.y - a.y * b.x < 0;
    const POINT p0 = Truncated(m_nodes[0].point), p2 = Truncated(m_nodes[2].point);
    const POINT from = fromFirst ? p0 : p2, to = fromFirst ? p2 : p0;
    Arc(dc, square.left, square.top, square.right, square.bottom, from.x, from.y, to.x, to.y);
    return;
  }
  // An outline being drawn is shown open.
  const int segments = (!m_closed || m_state == kPathDrawing) ? n - 1 : n;
  for (int k = 0; k < segments; ++k) {
    const CBezierNode &a = m_nodes[k], &b = m_nodes[(k + 1) % n];
    const POINT points[4] = {Truncated(a.point), Truncated(a.handle[1]), Truncated(b.handle[0]), Truncated(b.point)};
    PolyBezier(dc, points, 4);
  }
}

void CBezierPath::DrawNodeHandles(HDC dc, int i, COLORREF colour) {
  const int n = GetPointCount();
  if (i < 0 || i >= n) return;
  HBRUSH brush = CreateSolidBrush(colour);
  const RECT r = Square(Truncated(m_nodes[i].point), kSquareHalf);
  FillRect(dc, &r, brush);
  if (m_kind != kPathKindArc) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    auto handle = [&](int node, int h) {
      if (node < 0 || node >= n) return;
      const POINT p = Truncated(m_nodes[node].point), q = Truncated(m_nodes[node].handle[h]);
      const RECT box = Square(q, kHandleSquareHalf);
      FillRect(dc, &box, brush);
      MoveToEx(dc, p.x, p.y, nullptr);
      LineTo(dc, q.x, q.y);
    };
    if (InGraphMode() && i == 0) {
      handle(0, 1);
      handle(1, 0);
    } else if (InGraphMode() && i == n - 1) {
      handle(i, 0);
      handle(i - 1, 1);
    } else {
      handle((i + n - 1) % n, 1);
      handle(i, 0);
      handle(i, 1);
      handle((i + 1) % n, 0);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  DeleteObject(brush);
}

// --- the pane ---

int CEditablePath::TrackMouse(HWND pane, int x, int y) {
  CPaneLink* link = GetPaneLink();
  if (link != nullptr) link->ReleaseOtherCapture(pane);
  const CPathPress press = TrackMouse(x, y);
  if (press.moveCursor) {
    POINT at = press.cursorAt;
    ClientToScreen(pane, &at);
    SetCursorPos(at.x, at.y);
  }
  InvalidateRect(pane, nullptr, TRUE);
  if (press.loop != kPathLoopNone) {
    CCaptureOf<CEditablePath> target(*this);
    if (link != nullptr) link->RunCaptureLoop(pane, target);
    if (GetActiveLoop() != kPathLoopNone) EndLoop();
  }
  if (press.notifyParent && link != nullptr) link->SendPathSelectionCleared(pane);
  InvalidateRect(pane, nullptr, TRUE);
  return press.result;
}

void CEditablePath::DeleteSelectedPoint(HWND pane) {
  if (m_selected < 0) return;
  HDC dc = GetDC(pane);
  {
    CPathRedrawGuard guard(this, dc);
    DeleteSelectedPoint();
  }
  ReleaseDC(pane, dc);
}

int CEditablePath::UpdateCursor(HWND pane, UINT hitTest) {
  if (hitTest != HTCLIENT) return 0;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(pane, &p);
  return SetCursorForPoint(pane, p.x, p.y);
}

int CEditablePath::SetCursorForPoint(HWND pane, int x, int y) {
  int id = 0;
  if (!CursorForPoint(x, y, id)) return 0;
  if (id == 0) return 1;
  const HINSTANCE program = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(pane, GWLP_HINSTANCE));
  HCURSOR cursor = LoadCursorW(id == kSegmentCursor ? program : nullptr, MAKEINTRESOURCEW(id));
  // Set only when it changes, so the pointer does not flicker.
  if (cursor != nullptr && GetCursor() != cursor) SetCursor(cursor);
  return 1;
}

// --- drawing a change in XOR ---

void CEditablePath::DrawOffset(HDC dc, const RECT* r) {
  const POINT back{r->left, r->top};
  Translate(POINT{-back.x, -back.y});
  const int selected = m_selected;
  m_selected = -1;  // the selected node's handles go in their own colour below
  Draw(dc, RGB(255, 255, 255));
  m_selected = selected;
  if (m_editMode == 1 && selected >= 0 && selected < GetPointCount()) DrawNodeHandles(dc, selected, 0xFFFFFFFF);
  Translate(back);
}

CPathRedrawGuard::CPathRedrawGuard(CEditablePath* watched, HDC dc, const RECT* clip)
    : CBezierPath(*watched), m_watched(watched), m_dc(dc), m_active(1), m_clip(clip) {}

CPathRedrawGuard::~CPathRedrawGuard() {
  if (!m_active || *static_cast<CBezierPath*>(m_watched) == *this) return;
  m_active = 0;
  Redraw();
}

// The old outline is taken off and the new one put on: both drawn white on
// black, XORed together, then XORed onto the target.
void CPathRedrawGuard::Redraw() {
  RECT before, after, area;
  GetHitBounds(before);
  m_watched->GetHitBounds(after);
  UnionRect(&area, &before, &after);
  if (GetEditMode() != 1) InflateRect(&area, 10, 10);
  if (m_clip != nullptr && !IntersectRect(&area, &area, m_clip)) return;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  HDC oldDc = CreateCompatibleDC(m_dc), newDc = CreateCompatibleDC(m_dc);
  HBITMAP oldBitmap = CreateCompatibleBitmap(m_dc, width, height), newBitmap = CreateCompatibleBitmap(m_dc, width, height);
  HGDIOBJ keptOld = SelectObject(oldDc, oldBitmap), keptNew = SelectObject(newDc, newBitmap);
  CEditablePath snapshot;
  static_cast<CBezierPath&>(snapshot) = *this;
  snapshot.DrawOffset(oldDc, &area);
  m_watched->DrawOffset(newDc, &area);
  BitBlt(oldDc, 0, 0, width, height, newDc, 0, 0, SRCINVERT);
  BitBlt(m_dc, area.left, area.top, width, height, oldDc, 0, 0, SRCINVERT);
  SelectObject(oldDc, keptOld);
  SelectObject(newDc, keptNew);
  DeleteObject(oldBitmap);
  DeleteObject(newBitmap);
  DeleteDC(oldDc);
  DeleteDC(newDc);
}
