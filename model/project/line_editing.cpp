// CLineSet: hit testing and the mouse editing of feature lines. A click does
// its work at once and names the capture loop to run; the pane's loop hands
// each message to LoopMessage and dispatches what the set does not consume.
#include <algorithm>
#include <cstdint>

#include "model/geometry/geometry.h"
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/morph_pair.h"
#include "model/geometry/pixel_point.h"

using namespace loop_msg;

namespace {

// A point's square: 6 pixels each side, left and top inclusive.
constexpr LONG kPointHitHalf = 6;
// A segment is hit closer than this, and farther than kSegmentEndGap from
// both of its ends (nearer the ends the point itself is meant).
constexpr float kSegmentHitDistance = 1.0f;
constexpr float kSegmentEndGap = 5.0f;

// Cursor resources of the program.
constexpr int kCursorPointDelete = 108;
constexpr int kCursorOnSegment = 30989;

bool InPointSquare(const CVector2& point, POINT p) {
  const POINT r = RoundedPoint(point);
  const int64_t dx = static_cast<int64_t>(p.x) - r.x, dy = static_cast<int64_t>(p.y) - r.y;
  return dx >= -kPointHitHalf && dx < kPointHitHalf && dy >= -kPointHitHalf && dy < kPointHitHalf;
}

CVector2 FloatPoint(POINT p) { return CVector2(static_cast<float>(p.x), static_cast<float>(p.y)); }

bool SegmentHit(const CVector2& a, const CVector2& b, POINT p, CVector2& nearest) {
  const CVector2 q = FloatPoint(p);
  const float d = NearestOnSegment(q, a, b, nearest);
  return d < kSegmentHitDistance && Distance(q, a) > kSegmentEndGap && Distance(q, b) > kSegmentEndGap;
}

bool SamePixel(const CVector2& a, const CVector2& b) {
  const POINT ra = RoundedPoint(a), rb = RoundedPoint(b);
  return ra.x == rb.x && ra.y == rb.y;
}

}  // namespace

// --- hit testing ---

int CLineSet::HitTestLines(POINT p, CLineHit& out) {
  for (int i = 0; i < GetLineCount(); ++i) {
    const CFeatureLine& line = *m_lines[i];
    const int n = line.GetPointCount();
    for (int k = 0; k < n; ++k) {
      out.line = i;
      out.point = k;
      if (InPointSquare(*line.PointAt(k), p)) return kLineHitPoint;
      if ((k < n - 1 || line.closed) && SegmentHit(*line.PointAt(k), *line.PointAt((k + 1) % n), p, out.nearest)) {
        return kLineHitSegment;
      }
    }
  }
  out.line = out.point = -1;
  return m_tracker.HitTest(p, out.handle) ? kLineHitTracker : kLineHitNothing;
}

// --- clicks ---

int CLineSet::OnLButtonDown(UINT flags, BOOL tabDown, int x, int y, CEditModeRecord* record) {
  const POINT p = ToSetSpace(x, y);
  const int tool = GetLineTool();
  if (tool == kLineToolNewLine) {
    TrackNewLine(flags, p);
    return m_loop;
  }
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  int kind = HitTestLines(p, hit);
  if (tool == kLineToolPointDelete) {
    if (kind != kLineHitPoint) return kLineLoopNone;
    ClearSelection();
    SelectPoint(hit.line, hit.point, 1);
    if (m_owner != nullptr) {
      m_owner->DeleteSelectedPoints();
    } else {
      DeleteSelectedPoints();
      ClearSelection();
    }
    Refresh();
    return kLineLoopNone;
  }
  if (tool != kLineToolEdit) return kLineLoopNone;
  if (record != nullptr) {
    *record = CEditModeRecord{nullptr, kind, hit.line, hit.point, hit.handle, hit.nearest.x, hit.nearest.y};
  }
  m_loopHit = hit;
  switch (kind) {
    case kLineHitSegment:
      // The click inserts a point at the nearest segment point and goes on
      // as a click on that point.
      m_lines[hit.line]->InsertPoint(hit.point + 1, hit.nearest);
      ++hit.point;
      if (m_owner != nullptr) m_owner->InsertMirroredPoint(this, CLinePoint{hit.line, hit.point}, hit.nearest);
      [[fallthrough]];
    case kLineHitPoint:
      if (tabDown) ToggleClosedAt(hit.line, hit.point);
      // One refresh after the selection: both panes show the click's outcome.
      SelectClicked(flags, hit.line, hit.point);
      Refresh();
      m_loopPrevious = p;
      m_loop = kLineLoopDrag;
      break;
    case kLineHitTracker:
      TrackTransform(POINT{x, y}, hit);
      break;
    default:
      ClearSelection();
      m_loopStart = m_loopPrevious = POINT{x, y};
      m_loop = kLineLoopRubberBand;
      break;
  }
  return m_loop;
}

void CLineSet::SelectClicked(UINT flags, int line, int point) {
  const bool shift = (flags & kFlagShift) != 0, control = (flags & kFlagControl) != 0;
  if (!control) {
    if (!shift) m_selRect = RECT{0, 0, 0, 0};
    m_tracker.SetRect(CRectF(0.0f, 0.0f, 0.0f, 0.0f));
    ClearSelection();
  }
  SelectPoint(line, shift ? -1 : point, 1);
}

// Closes an open line; opens a closed one at the point, which becomes the
// line's first point. The other side follows.
void CLineSet::ToggleClosedAt(int lineIndex, int& point) {
  CFeatureLine* line = LineAt(lineIndex);
  if (line == nullptr) return;
  const CLinePoint at{lineIndex, point};
  if (!line->closed) {
    line->closed = 1;
  } else {
    line->closed = 0;
    line->RotateToFirst(point);
    point = 0;
  }
  if (m_owner != nullptr) m_owner->MirrorLineEdit(this, at, line->closed);
}

void CLineSet::TrackNewLine(UINT flags, POINT p) {
  (void)flags;
  CFeatureLine* line = new CFeatureLine;
  line->AddPoint(FloatPoint(p));
  line->AddPoint(FloatPoint(p));
  m_loopLine = m_lines.Add(line);
  ClearSelection();
  SelectPoint(m_loopLine, 1, 1);
  if (m_owner != nullptr) m_owner->SyncLineCount(this);
  m_loop = kLineLoopNewLine;
}

void CLineSet::TrackTransform(POINT p, const CLineHit& hit) {
  m_loopHit = hit;
  m_loopPrevious = p;
  m_loop = kLineLoopTransform;
}

// --- capture loops ---

int CLineSet::LoopMessage(const CLoopMessage& msg) {
  int result = kLoopDispatch;
  switch (m_loop) {
    case kLineLoopNewLine: result = NewLineMessage(msg); break;
    case kLineLoopDrag: result = DragMessage(msg); break;
    case kLineLoopTransform: result = TransformMessage(msg); break;
    case kLineLoopRubberBand: result = DragMessage(msg); break;
    default: return kLoopEnded;
  }
  if (result == kLoopEnded && m_loop != kLineLoopNone) EndLoop();
  return result;
}

void CLineSet::EndLoop() {
  const int loop = m_loop;
  m_loop = kLineLoopNone;
  if (loop == kLineLoopNewLine) FinishNewLine(FALSE);
  if (loop == kLineLoopRubberBand) FinishRubberBand();
}

int CLineSet::NewLineMessage(const CLoopMessage& msg) {
  const POINT p = MessagePoint(msg.lParam);
  CFeatureLine* line = LineAt(m_loopLine);
  switch (msg.message) {
    case kMouseMove:
      SetSelectedPointsTo(ToSetSpace(p.x, p.y));
      Refresh();
      return kLoopConsumed;
    case kLButtonDown:
      if (line == nullptr) return kLoopConsumed;
      line->AddPoint(FloatPoint(ToSetSpace(p.x, p.y)));
      if (m_owner != nullptr) m_owner->SyncLineCount(this);
      ClearSelection();
      SelectPoint(m_loopLine, line->GetPointCount() - 1, 1);
      return kLoopConsumed;
    case kLButtonUp:
      return kLoopConsumed;
    case kLButtonDblClk:
    case kRButtonDown:
      m_loop = kLineLoopNone;
      FinishNewLine((msg.wParam & kFlagControl) != 0);
      return kLoopEnded;
    case kCaptureChanged:
      return kLoopEnded;
    default:
      return kLoopDispatch;
  }
}

void CLineSet::FinishNewLine(BOOL closeLine) {
  const int index = m_loopLine;
  m_loopLine = -1;
  CFeatureLine* line = LineAt(index);
  if (line == nullptr) return;
  if (closeLine) line->closed = 1;
  for (int k = 0; k + 1 < line->GetPointCount();) {
    if (SamePixel(*line->PointAt(k), *line->PointAt(k + 1))) line->RemovePoint(k);
    else ++k;
  }
  if (line->GetPointCount() < 2) {
    // Both sides lose the line; syncing the last line across instead would
    // leave the other side one line longer.
    RemoveLines(index, 1);
    delete line;
    if (m_owner != nullptr) m_owner->RemoveMirroredLine(this, index);
  } else if (m_owner != nullptr) {
    m_owner->SyncLineCount(this);
  }
  ClearSelection();
  Refresh();
  SetLineTool(kLineToolEdit);
}

// The drag of the selection, and the rubber band: both follow the mouse
// until the left button goes up, the right one down or the capture is lost.
int CLineSet::DragMessage(const CLoopMessage& msg) {
  const POINT p = MessagePoint(msg.lParam);
  switch (msg.message) {
    case kMouseMove:
      if (m_loop == kLineLoopDrag) {
        const POINT q = ToSetSpace(p.x, p.y);
        MoveSelection(m_loopPrevious, q);
        m_loopPrevious = q;
        Refresh();
      } else {
        m_loopPrevious = p;
      }
      return kLoopConsumed;
    case kLButtonUp:
    case kRButtonDown:
    case kCaptureChanged:
      return kLoopEnded;
    default:
      return kLoopDispatch;
  }
}

int CLineSet::TransformMessage(const CLoopMessage& msg) {
  switch (msg.message) {
    case kMouseMove: break;
    case kLButtonUp:
    case kRButtonDown:
    case kCaptureChanged: return kLoopEnded;
    default: return kLoopDispatch;
  }
  const POINT from = m_loopPrevious, to = MessagePoint(msg.lParam);
  m_loopPrevious = to;
  if (m_loopHit.handle == CTransformTracker::kInside) {
    MoveSelection(from, to);
    m_tracker.Offset(POINT{to.x - from.x, to.y - from.y});
  } else {
    if (m_loopHit.handle == CTransformTracker::kRotationHandle) {
      m_tracker.Rotate(from, to, POINT{-m_origin.x, -m_origin.y});
    } else {
      m_tracker.MoveHandle(m_loopHit.handle, from, to);
    }
    for (int i = 0; m_selection != nullptr && i < m_selection->GetSize(); ++i) {
      CVector2* p = PointAt(m_selection->ElementAt(i).line, m_selection->ElementAt(i).point);
      if (p != nullptr) m_tracker.TransformPoint(*p, *p);
    }
  }
  Refresh();
  return kLoopConsumed;
}

void CLineSet::FinishRubberBand() {
  const POINT a = ToSetSpace(m_loopStart.x, m_loopStart.y);
  const POINT b = ToSetSpace(m_loopPrevious.x, m_loopPrevious.y);
  const RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  m_tracker.SetRect(CRectF(r));
  SelectPointsInRect(r);
  Refresh();
}

// --- hover, context commands and cursor ---

void CLineSet::HoverDeletePoint(int x, int y) {
  if (GetLineTool() != kLineToolPointDelete) return;
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  if (HitTestLines(ToSetSpace(x, y), hit) != kLineHitPoint) return;
  ClearSelection();
  SelectPoint(hit.line, hit.point, 1);
  Refresh();
}

int CLineSet::HitControlPoint(int x, int y) {
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  const int kind = HitTestLines(ToSetSpace(x, y), hit);
  return kind == kLineHitPoint || kind == kLineHitSegment;
}

void CLineSet::ToggleClosed(int x, int y) {
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  const int kind = HitTestLines(ToSetSpace(x, y), hit);
  if (kind != kLineHitPoint && kind != kLineHitSegment) return;
  ToggleClosedAt(hit.line, hit.point);
  Refresh();
}

void CLineSet::SelectLine(int x, int y, BOOL ctrlDown) {
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  const int kind = HitTestLines(ToSetSpace(x, y), hit);
  if (kind != kLineHitPoint && kind != kLineHitSegment) return;
  if (!ctrlDown) {
    m_tracker.SetRect(CRectF(0.0f, 0.0f, 0.0f, 0.0f));
    ClearSelection();
  }
  SelectPoint(hit.line, -1, 1);
  Refresh();
}

void CLineSet::DeleteControlPoint(int x, int y) {
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  const int kind = HitTestLines(ToSetSpace(x, y), hit);
  if (kind != kLineHitPoint && kind != kLineHitSegment) return;
  ClearSelection();
  SelectPoint(hit.line, -1, 1);
  if (m_owner != nullptr) {
    m_owner->DeleteSelectedPoints();
  } else {
    DeleteSelectedPoints();
    ClearSelection();
  }
  Refresh();
}

void CLineSet::ToggleMaskFigure(int x, int y) {
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  const int kind = HitTestLines(ToSetSpace(x, y), hit);
  if (kind != kLineHitPoint && kind != kLineHitSegment) return;
  m_lines[hit.line]->mask = !m_lines[hit.line]->mask;
  if (m_owner != nullptr) m_owner->UpdateSlotForLines(this);
  Refresh();
}

int CLineSet::CursorForMode(POINT p) {
  const int tool = GetLineTool();
  if (tool == kLineToolPointDelete) return kCursorPointDelete;
  if (tool != kLineToolEdit) return 0;
  CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  const POINT q = ToSetSpace(p.x, p.y);
  const int kind = HitTestLines(q, hit);
  if (kind == kLineHitTracker) return m_tracker.CursorIdAt(q);
  return kind == kLineHitSegment ? kCursorOnSegment : 0;
}

void CLineSet::Refresh() {
  if (m_owner != nullptr) m_owner->RefreshImageViews();
}
