// CEditablePath: presses, the drawing and dragging loops, cursors and the
// path record.
#include "model/outline/editable_path.h"

#include <cstdint>

#include "compat/afx/archive.h"
#include "model/project/record_checks.h"

using namespace loop_msg;

namespace {

constexpr double kMinAlignLength = 1e-6;

// Flips on every handle press of an editable outline: the first makes the
// node smooth, the next a corner. One for the whole program, as users know it.
int g_handleToggle = 0;

int ClampIndex(int v, int low, int high) { return v >= low && v <= high ? v : -1; }

}  // namespace

void CEditablePath::Reset() {
  CBezierPath::Reset();
  ResetDrag();
}

void CEditablePath::ResetDrag() {
  m_hitNode = m_transformHandle = m_dragHandle = m_dragNode = -1;
  m_moveWhole = 0;
}

// --- presses ---

CPathPress CEditablePath::TrackMouse(int x, int y) {
  m_stop = 0;
  m_loop = kPathLoopNone;
  m_previous = POINT{x, y};
  if (m_state == kPathDrawing && m_editMode == 1) {
    RecalcBounds();
    StartNode(x, y);
    m_loop = kPathLoopDraw;
    return CPathPress{1, m_loop, FALSE, FALSE, POINT{0, 0}};
  }
  if (m_editMode != 1) {
    int out[3];
    const int code = HitTest(x, y, out);
    m_moveWhole = 0;
    m_transformHandle = -1;
    if (code == kPathHitFrameHandle) m_transformHandle = out[0];
    if (code == kPathHitNothing) m_moveWhole = 1;
    DragLoop(x, y);
    return CPathPress{0, m_loop, FALSE, FALSE, POINT{0, 0}};
  }
  return PressPoint(x, y);
}

// A new node at (x, y) whose out-handle the drag pulls.
void CEditablePath::StartNode(int x, int y) {
  AppendPoint(CVector2(static_cast<float>(x), static_cast<float>(y)), nullptr);
  const int last = GetPointCount() - 1;
  m_selected = m_hitNode = m_dragNode = last;
  m_dragHandle = 1;
  m_nodes[last].smooth = 1;
}

CPathPress CEditablePath::PressPoint(int x, int y) {
  int out[3];
  const int code = HitTest(x, y, out);
  CPathPress press{0, kPathLoopNone, FALSE, FALSE, POINT{0, 0}};
  switch (code) {
    case kPathHitNode:
      SetSelected(out[0]);
      if (m_state == kPathFinished) {
        m_hitNode = out[0];
        press.loop = kPathLoopDrag;
      } else if (HandlesCollapsed(out[0])) {
        AutoHandles(out[0]);
      } else {
        CollapseHandles(out[0]);
      }
      press.result = 1;
      break;
    case kPathHitHandle:
      m_dragNode = out[0];
      m_dragHandle = out[1];
      if (m_state == kPathEditable) {
        if (HandlesCollapsed(out[0])) AutoHandles(out[0]);
        g_handleToggle = !g_handleToggle;
        if (!g_handleToggle) {
          SetSmooth(out[0], 0);
        } else if (HandleLength(out[0], 0) >= kMinAlignLength && HandleLength(out[0], 1) >= kMinAlignLength) {
          SetSmooth(out[0], 1);
          AlignHandle(out[0], out[1]);
        }
        press.moveCursor = TRUE;
        GetNodePoint(press.cursorAt, out[0], out[1]);
      }
      if (m_state == kPathEditable || m_state == kPathFinished) press.loop = kPathLoopDrag;
      press.result = 1;
      break;
    case kPathHitSegment:
      if (m_state == kPathEditable && !InGraphMode()) {
        const int count = GetPointCount();
        SplitSegment(out[0], HitParam(out));
        SetSelected((out[0] + 1) % count);
      }
      break;
    default:
      m_hitNode = -1;
      m_selected = -1;
      press.notifyParent = TRUE;
      break;
  }
  if (press.loop == kPathLoopDrag) DragLoop(x, y);
  return press;
}

void CEditablePath::DragLoop(int x, int y) {
  m_previous = POINT{x, y};
  m_loop = kPathLoopDrag;
}

// --- capture loops ---

int CEditablePath::LoopMessage(const CLoopMessage& msg) {
  if (m_loop == kPathLoopNone) return kLoopEnded;
  const int result = m_stop ? kLoopEnded : m_loop == kPathLoopDraw ? DrawMessage(msg) : DragMessage(msg);
  if (result == kLoopEnded) EndLoop();
  return result;
}

void CEditablePath::EndLoop() {
  m_loop = kPathLoopNone;
  ResetDrag();
}

int CEditablePath::DrawMessage(const CLoopMessage& msg) {
  const POINT p = MessagePoint(msg.lParam);
  switch (msg.message) {
    case kMouseMove: {
      if (GetPointCount() == 0 || !(msg.wParam & kFlagLButton)) return kLoopConsumed;
      if (m_dragNode < 0 || m_dragNode >= GetPointCount() || m_dragHandle < 0 || m_dragHandle > 1) return kLoopConsumed;
      CBezierNode& node = m_nodes[m_dragNode];
      node.handle[m_dragHandle] = CVector2(static_cast<float>(p.x), static_cast<float>(p.y));
      if (msg.wParam & kFlagControl) {
        node.smooth = 0;
      } else if (node.smooth) {
        node.handle[0] = CVector2(2 * node.point.x - node.handle[1].x, 2 * node.point.y - node.handle[1].y);
      }
      RecalcBounds();
      return kLoopConsumed;
    }
    case kLButtonDown:
      StartNode(p.x, p.y);
      return kLoopConsumed;
    case kLButtonUp:
    case kCaptureChanged:
      return kLoopEnded;
    default:
      return kLoopDispatch;
  }
}

int CEditablePath::DragMessage(const CLoopMessage& msg) {
  switch (msg.message) {
    case kMouseMove: break;
    case kLButtonUp:
    case kRButtonUp:
    case kCaptureChanged: return kLoopEnded;
    default: return kLoopDispatch;
  }
  const POINT p = MessagePoint(msg.lParam);
  const float x = static_cast<float>(p.x), y = static_cast<float>(p.y);
  if (m_editMode == 1) {
    if (m_dragHandle >= 0) MoveHandle(m_dragNode, m_dragHandle, x, y);
    else if (m_hitNode >= 0) MovePoint(m_hitNode, x, y);
  } else if (p.x != m_previous.x || p.y != m_previous.y) {
    if (m_moveWhole) Offset(POINT{p.x - m_previous.x, p.y - m_previous.y});
    else if (m_transformHandle >= 0) ResizeByHandle(m_transformHandle, p.x, p.y);
  }
  m_previous = p;
  return kLoopConsumed;
}

// --- cursor and delete ---

int CEditablePath::CursorForPoint(int x, int y, int& cursor) const {
  int out[3];
  cursor = 0;
  switch (HitTest(x, y, out)) {
    case kPathHitOutside:
    case kPathHitNothing:
    case kPathHitNode:
    case kPathHitHandle:
      cursor = kArrowCursor;
      return 1;
    case kPathHitSegment:
      // Only an editable outline can be split; otherwise the cursor stays.
      if (m_state == kPathEditable) cursor = kSegmentCursor;
      return 1;
    default:
      return 0;
  }
}

int CEditablePath::DeleteSelectedPoint() {
  if (m_selected < 0) return 0;
  return RemovePoint(m_selected) == 0;
}

// --- record ---

void CEditablePath::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_kind << GetPointCount();
    for (int i = 0; i < GetPointCount(); ++i) {
      const CBezierNode& n = m_nodes[i];
      ar << n.smooth << n.point << n.handle[0] << n.handle[1];
    }
    ar << m_offset.x << m_offset.y << m_closed << m_hitNode << m_transformHandle << m_dragHandle << m_dragNode;
    return;
  }
  int kind = 0;
  ar >> kind;
  const int n = ReadRecordCount(ar, kMaxNodes);
  CBezierNodeArray nodes;
  nodes.SetSize(n);
  for (int i = 0; i < n; ++i) {
    CBezierNode& node = nodes[i];
    ar >> node.smooth >> node.point >> node.handle[0] >> node.handle[1];
    CheckFinite(node.point);
    CheckFinite(node.handle[0]);
    CheckFinite(node.handle[1]);
    node.smooth = NormalFlag(node.smooth);
  }
  POINT offset;
  int closed = 0, drag[4];
  ar >> offset.x >> offset.y >> closed;
  for (int& v : drag) ar >> v;
  // The whole record is in: take it. Drag state and the kept selection are
  // held to the nodes that now exist.
  m_kind = kind;
  m_nodes.Copy(nodes);
  m_offset = offset;
  m_closed = NormalFlag(closed);
  m_hitNode = ClampIndex(drag[0], 0, n - 1);
  m_transformHandle = ClampIndex(drag[1], 1, 8);
  m_dragHandle = ClampIndex(drag[2], 0, 1);
  m_dragNode = ClampIndex(drag[3], 0, n - 1);
  if (m_selected >= n) m_selected = -1;
  RecalcBounds();
}
