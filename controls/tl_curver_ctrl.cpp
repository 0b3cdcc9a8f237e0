// CTLCurverCtrl: the frame cursor and its mapping, the tooltip of a key,
// resizing, painting with the ruler and captions, and the menu's commands.
#include "controls/tl_curver_ctrl.h"

#include <algorithm>
#include <cstdlib>

#include "controls/custom_notify.h"
#include "controls/dialog_color.h"

namespace controls {

BEGIN_MESSAGE_MAP(CTLCurverCtrl, CCurverCtrl)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_KEYDOWN()
ON_WM_SETCURSOR()
ON_WM_SIZE()
ON_COMMAND(ID_CURVE_REMOVE_POINT, OnRemovePoint)
ON_COMMAND(ID_CURVE_RESET_POINTS, OnResetPoints)
END_MESSAGE_MAP()

namespace {

// A press or the pointer this close to the cursor line takes the cursor.
constexpr int kCursorReach = 4;
constexpr float kLevels = 256.0f;
const COLORREF kGridColor = RGB(0x6C, 0x6C, 0x6C);
const COLORREF kCursorColor = RGB(0, 255, 0);

}  // namespace

BOOL RegisterTLCurverCtrlClass(HINSTANCE instance) { return CTLCurverCtrl::RegisterClass(instance); }

BOOL CTLCurverCtrl::RegisterClass(HINSTANCE instance) {
  return RegisterCopyOfClass(instance, u"BUTTON", u"TLCurverCtrl", AutoObjectProc<CTLCurverCtrl>);
}

void CTLCurverCtrl::GetCurveRect(RECT* rect) const {
  CRect client;
  GetClientRect(&client);
  rect->left = client.left + 8;
  rect->top = client.top + 14;
  rect->right = std::max(client.right - 24, rect->left + 8);
  rect->bottom = std::max(client.bottom - 4, rect->top + 14);
}

// --- the frame cursor ---

int CTLCurverCtrl::CursorXFromFrame(int frame) const {
  CRect area;
  GetCurveRect(&area);
  // One frame has nowhere to go but the start.
  if (m_nFrameCount <= 1) return area.left;
  return (area.right - area.left - 1) * frame / (m_nFrameCount - 1) + area.left;
}

int CTLCurverCtrl::FrameFromCursorX(int& x) const {
  CRect area;
  GetCurveRect(&area);
  x = std::clamp(x, static_cast<int>(area.left), static_cast<int>(area.right - 1));
  const int span = area.right - area.left - 1;
  const int last = std::max(m_nFrameCount - 1, 0);
  int frame = span > 0 ? (x - area.left) * last / span : 0;
  if (frame > last) {
    frame = last;
    x = CursorXFromFrame(frame);
  }
  return frame;
}

void CTLCurverCtrl::SetCurrentFrame(int frame) {
  m_nCurrentFrame = frame;
  m_nCursorX = CursorXFromFrame(frame);
  if (m_hWnd) Invalidate(FALSE);
}

void CTLCurverCtrl::SetFrameCount(int count) {
  m_nFrameCount = count;
  // A frame beyond the new count stops at the count, one past the last
  // frame, until the cursor next moves.
  if (m_nCurrentFrame > count) m_nCurrentFrame = count;
  m_nCursorX = CursorXFromFrame(m_nCurrentFrame);
  if (m_hWnd) Invalidate(FALSE);
}

void CTLCurverCtrl::SetBar(CWnd* pBar) {
  if (!m_pBar) m_pBar = pBar;
}

void CTLCurverCtrl::SetBackgroundBrush(HBRUSH brush) {
  if (brush == m_hBackBrush) return;
  m_hBackBrush = brush;
  if (m_hWnd) Invalidate(FALSE);
}

void CTLCurverCtrl::NotifyFrame() {
  NMFRAME record{};
  record.frame = m_nCurrentFrame;
  SendNotify(m_hWnd, kNotifyFrameChanged, record);
}

// --- mouse and keys ---

void CTLCurverCtrl::OnLButtonDown(UINT, CPoint point) {
  SetFocus();
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (PressOnCurve(point)) return;
  if (std::abs(point.x - m_nCursorX) < kCursorReach) {
    m_ptLast = point;
    m_bDragCursor = TRUE;
    SetCapture();
  }
}

void CTLCurverCtrl::OnMouseMove(UINT, CPoint point) {
  CCurveHit hit{};
  m_curve.HitTest(point, hit);
  CString tip;
  if (hit.code == kCurveHitKey) {
    CRect area;
    GetCurveRect(&area);
    const CVector2& key = m_curve[hit.key];
    const int frame = static_cast<int>((key.x - area.left) / static_cast<float>(area.Width()) * m_nFrameCount);
    const int level = static_cast<int>(kLevels - (key.y - area.top) / static_cast<float>(area.Height()) * kLevels);
    tip.Format(u"(%d,%d)", frame, level);
  }
  if (m_tooltip.m_hWnd) m_tooltip.UpdateTipText(tip, this);
  if (::GetCapture() != m_hWnd || point == m_ptLast) return;
  if (m_bDragPoint) {
    DragPointTo(point);
  } else if (m_bDragCursor) {
    int x = m_nCursorX + point.x - m_ptLast.x;
    m_nCurrentFrame = FrameFromCursorX(x);
    m_nCursorX = x;
    m_ptLast = point;
    Invalidate(FALSE);
    NotifyFrame();
  }
}

void CTLCurverCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_LEFT || nChar == VK_RIGHT) {
    if (nChar == VK_LEFT && m_nCurrentFrame > 0) --m_nCurrentFrame;
    if (nChar == VK_RIGHT && m_nCurrentFrame < m_nFrameCount - 1) ++m_nCurrentFrame;
    m_nCursorX = CursorXFromFrame(m_nCurrentFrame);
    NotifyFrame();
    Invalidate(FALSE);
    return;
  }
  CCurverCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

BOOL CTLCurverCtrl::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (nHitTest != HTCLIENT) return CCurverCtrl::OnSetCursor(pWnd, nHitTest, message);
  POINT point{};
  ::GetCursorPos(&point);
  ScreenToClient(&point);
  CCurveHit hit{};
  m_curve.HitTest(point, hit);
  LPCWSTR shape = IDC_ARROW;
  if (hit.code == kCurveHitKey || hit.code == kCurveHitCurve) shape = IDC_CROSS;
  else if (std::abs(point.x - m_nCursorX) < kCursorReach) shape = IDC_SIZEWE;
  ::SetCursor(::LoadCursorW(nullptr, shape));
  return TRUE;
}

void CTLCurverCtrl::OnSize(UINT nType, int cx, int cy) {
  CCurverCtrl::OnSize(nType, cx, cy);
  CRect area;
  GetCurveRect(&area);
  m_curve.SetRange(static_cast<float>(area.left), static_cast<float>(area.right), static_cast<float>(area.top),
                   static_cast<float>(area.bottom));
  m_curve.SetRect(area);
  m_nCursorX = CursorXFromFrame(m_nCurrentFrame);
  Invalidate(FALSE);
}

// --- commands ---

void CTLCurverCtrl::OnRemovePoint() { DeleteSelected(); }

void CTLCurverCtrl::OnResetPoints() { ResetPoints(); }

// A straight line from nothing at the first frame to everything at the last.
void CTLCurverCtrl::ResetPoints() {
  const float frames = static_cast<float>(m_nFrameCount);
  CCurveKeys line;
  const CVector2 ends[2] = {CVector2(0.0f, 0.0f), CVector2(frames, kLevels)};
  line.SetPoints(ends, 2);
  line.SetRangeValues(0.0f, frames, 0.0f, kLevels);
  SetCurve(line);
  Notify(kNotifyCurveChanged);
  Invalidate(FALSE);
}

// --- painting ---

void CTLCurverCtrl::OnDraw(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  if (m_hBackBrush)
    ::FillRect(pDC->m_hDC, &client, m_hBackBrush);
  else
    pDC->FillSolidRect(&client, m_pBar ? GetDialogColor() : RGB(0xC0, 0xC0, 0xC0));
  CRect area;
  GetCurveRect(&area);
  CPen gridPen(PS_SOLID, 1, kGridColor);
  CPen* oldPen = pDC->SelectObject(&gridPen);
  DrawGrid(*pDC, area, 4, 8);
  m_curve.Draw(pDC->m_hDC);
  pDC->SelectObject(oldPen);
  // The cursor line lies under the ruler, whose marker line runs down the
  // same column.
  CPen cursorPen(PS_SOLID, 1, kCursorColor);
  oldPen = pDC->SelectObject(&cursorPen);
  pDC->MoveTo(m_nCursorX, area.top);
  pDC->LineTo(m_nCursorX, area.bottom);
  pDC->SelectObject(oldPen);
  m_ruler.Draw(*pDC, area, 1, 0, m_nCursorX);
  if (!m_font.m_hObject)
    m_font.CreateFont(16, 8, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS,
                      ANTIALIASED_QUALITY, DEFAULT_PITCH, u"Arial");
  CFont* oldFont = pDC->SelectObject(&m_font);
  pDC->SetTextColor(RGB(0, 0, 0));
  pDC->SetBkMode(TRANSPARENT);
  CString text;
  text.Format(u"%d", m_nFrameCount);
  pDC->TextOut(area.right - 32, area.top, text);
  text.Format(u"%d", m_nCurrentFrame + 1);
  pDC->TextOut(m_nCursorX + 8, area.top - 14, text);
  pDC->SelectObject(oldFont);
}

}  // namespace controls
