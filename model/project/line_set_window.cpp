// CLineSet in its image pane: the click, whose capture loop and notice the
// pane runs (CPaneLink), the cursor, and drawing with GDI.
#include "compat/afx.h"
#include "compat/win32.h"
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/pane_link.h"
#include "model/geometry/pixel_point.h"

namespace {

constexpr COLORREF kLineColour = 0x00FF00;
constexpr COLORREF kMaskColour = 0x0000FF;
constexpr COLORREF kCrossingColour = 0xFF0000;
constexpr COLORREF kSelectedColour = 0x0000FF;
constexpr LONG kMarkerHalf = 3;
constexpr LONG kCrossingHalf = 6;
constexpr COLORREF kRubberBandColour = 0x808080;
// Standard cursors have ids from here on; below are the program's own.
constexpr int kFirstStandardCursor = 32512;

POINT PaneAt(const CVector2& v, POINT origin) {
  const POINT r = RoundedPoint(v);
  return POINT{r.x - origin.x, r.y - origin.y};
}

RECT Square(POINT p, LONG half) { return RECT{p.x - half, p.y - half, p.x + half, p.y + half}; }

}  // namespace

void CLineSet::OnLButtonDown(UINT flags, HWND pane, int x, int y) {
  const int tool = GetLineTool();
  CEditModeRecord record{};
  const BOOL tabDown = (GetKeyState(VK_TAB) & 0x8000) != 0;
  const int loop = OnLButtonDown(flags, tabDown, x, y, &record);
  CPaneLink* link = GetPaneLink();
  if (tool == kLineToolEdit && link != nullptr) {
    record.pane = pane;
    link->SendEditModeChanged(pane, &record);
  }
  if (loop == kLineLoopRubberBand && link != nullptr) {
    // The pane shows the band while it is dragged.
    const RECT band = link->TrackRubberBand(pane, m_loopStart, kRubberBandColour);
    m_loopPrevious = POINT{band.right, band.bottom};
    EndLoop();
  } else if (loop != kLineLoopNone) {
    CCaptureOf<CLineSet> target(*this);
    if (link != nullptr) link->RunCaptureLoop(pane, target);
    // Without a pane to follow the mouse the loop has nothing to wait for.
    if (GetActiveLoop() != kLineLoopNone) EndLoop();
  }
  InvalidateRect(pane, nullptr, TRUE);
}

void CLineSet::Draw(HDC dc) {
  // The line-edit tool shows its transform frame under the lines.
  if (GetLineTool() == 1) {
    const POINT offset = {-static_cast<LONG>(m_origin.x), -static_cast<LONG>(m_origin.y)};
    m_tracker.Draw(CDC::FromHandle(dc), offset);
  }
  HPEN green = CreatePen(PS_SOLID, 1, kLineColour), red = CreatePen(PS_SOLID, 1, kMaskColour);
  HBRUSH frame = CreateSolidBrush(kLineColour), crossingFrame = CreateSolidBrush(kCrossingColour);
  HBRUSH fill = CreateSolidBrush(kSelectedColour);
  HGDIOBJ old = SelectObject(dc, green);
  for (int i = 0; i < GetLineCount(); ++i) {
    const CFeatureLine& line = *m_lines[i];
    const int n = line.GetPointCount();
    SelectObject(dc, line.mask ? red : green);
    for (int k = 0; k < n; ++k) {
      const POINT p = PaneAt(*line.PointAt(k), m_origin);
      if (k < n - 1 || line.closed) {
        const POINT q = PaneAt(*line.PointAt((k + 1) % n), m_origin);
        MoveToEx(dc, p.x, p.y, nullptr);
        LineTo(dc, q.x, q.y);
      }
      const RECT marker = Square(p, kMarkerHalf);
      FrameRect(dc, &marker, frame);
      for (const CLinePoint& c : crossing) {
        if (c.line != i || c.point != k) continue;
        const RECT outer = Square(p, kCrossingHalf);
        FrameRect(dc, &outer, crossingFrame);
      }
    }
  }
  // Entries naming points that no longer exist are skipped.
  for (int s = 0; m_selection != nullptr && s < m_selection->GetSize(); ++s) {
    const CVector2* p = PointAt(m_selection->ElementAt(s).line, m_selection->ElementAt(s).point);
    if (p == nullptr) continue;
    const RECT marker = Square(PaneAt(*p, m_origin), kMarkerHalf);
    FillRect(dc, &marker, fill);
  }
  SelectObject(dc, old);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(green), static_cast<HGDIOBJ>(red), static_cast<HGDIOBJ>(frame),
                    static_cast<HGDIOBJ>(crossingFrame), static_cast<HGDIOBJ>(fill)}) {
    DeleteObject(o);
  }
}

int CLineSet::SetCursorForMode(HWND pane, POINT p) {
  const int id = CursorForMode(p);
  if (id == 0) return 0;
  // The tracker's sizing cursors are standard ones; the others are the program's.
  const bool standard = id >= kFirstStandardCursor;
  const HINSTANCE program = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(pane, GWLP_HINSTANCE));
  HCURSOR cursor = LoadCursorW(standard ? nullptr : program, MAKEINTRESOURCEW(id));
  if (cursor == nullptr) return 0;
  SetCursor(cursor);
  return 1;
}
