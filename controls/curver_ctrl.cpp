// CCurverCtrl: the curve area, painting, and editing the keys with the mouse
// and the Delete key.
#include "controls/curver_ctrl.h"

namespace controls {

BEGIN_MESSAGE_MAP(CCurverCtrl, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_KEYDOWN()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

namespace {

const COLORREF kBackground = RGB(0xA8, 0xA8, 0xA8);
constexpr int kGridLines = 10;
constexpr int kTipWidth = 200;

}  // namespace

BOOL RegisterCurverCtrlClass(HINSTANCE instance) { return CCurverCtrl::RegisterClass(instance); }

BOOL CCurverCtrl::RegisterClass(HINSTANCE instance) {
  return RegisterCopyOfClass(instance, u"BUTTON", u"CurverCtrl", AutoObjectProc<CCurverCtrl>);
}

BOOL CCurverCtrl::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style = (cs.style & ~WS_DISABLED) | WS_CHILD | WS_VISIBLE;
  return CWnd::PreCreateWindow(cs);
}

void CCurverCtrl::GetCurveRect(RECT* rect) const {
  GetClientRect(rect);
  ::InflateRect(rect, -8, -14);
}

// --- the curve in and out ---

void CCurverCtrl::SetCurve(const CCurveKeys& keys) {
  m_curve = keys;
  m_curve.FlipY();
  CRect area;
  GetCurveRect(&area);
  m_curve.SetRect(area);
  m_curve.SetRange(static_cast<float>(area.left), static_cast<float>(area.right), static_cast<float>(area.top),
                   static_cast<float>(area.bottom));
  if (m_hWnd) Invalidate(FALSE);
}

void CCurverCtrl::GetCurve(CCurveKeys& keys) const {
  keys = m_curve;
  keys.FlipY();
}

void CCurverCtrl::Notify(UINT code) { SendNotify(m_hWnd, code); }

// --- creation and painting ---

int CCurverCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  CRect area;
  GetCurveRect(&area);
  m_curve.SetRect(area);
  m_curve.SetRange(static_cast<float>(area.left), static_cast<float>(area.right), static_cast<float>(area.top),
                   static_cast<float>(area.bottom));
  m_tooltip.Create(this);
  m_tooltip.SetMaxTipWidth(kTipWidth);
  m_tooltip.Activate(TRUE);
  m_tooltip.AddTool(this, u"");
  return 0;
}

BOOL CCurverCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CCurverCtrl::OnPaint() {
  PaintBuffered(*this, [this](CDC& dc, const CRect&) { OnDraw(&dc); });
}

void CCurverCtrl::DrawGrid(CDC& dc, const CRect& area, int rows, int columns) const {
  for (int i = 0; i < rows; ++i) {
    const int y = area.top + i * (area.bottom - area.top) / (rows - 1);
    dc.MoveTo(area.left, y);
    dc.LineTo(area.right, y);
  }
  for (int i = 0; i < columns; ++i) {
    const int x = area.left + i * (area.right - area.left) / (columns - 1);
    dc.MoveTo(x, area.top);
    dc.LineTo(x, area.bottom);
  }
}

void CCurverCtrl::OnDraw(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillSolidRect(&client, kBackground);
  CRect area;
  GetCurveRect(&area);
  DrawGrid(*pDC, area, kGridLines, kGridLines);
  m_curve.Draw(pDC->m_hDC);
}

// --- editing ---

bool CCurverCtrl::PressOnCurve(CPoint point) {
  CCurveHit hit{};
  m_curve.HitTest(point, hit);
  if (hit.code == kCurveHitKey) {
    m_curve.selected = hit.key;
  } else if (hit.code == kCurveHitCurve) {
    // A hit the insertion refuses (on a key's x) counts as a press elsewhere,
    // so no drag writes through index -1.
    const int inserted = m_curve.InsertPoint(CVector2(hit.x, hit.y));
    if (inserted < 0) return false;
    m_curve.selected = inserted;
  } else {
    return false;
  }
  Invalidate(FALSE);
  m_ptLast = point;
  m_bDragPoint = TRUE;
  SetCapture();
  return true;
}

void CCurverCtrl::DragPointTo(CPoint point) {
  if (point == m_ptLast) return;
  m_curve.SetSelectedY(static_cast<float>(m_ptLast.y));
  m_ptLast = point;
  Invalidate(FALSE);
  Notify(kNotifyCurveChanged);
}

void CCurverCtrl::DeleteSelected() {
  const int selected = m_curve.selected;
  // The end keys stay, and so does everything when nothing is selected.
  if (selected > 0 && selected < m_curve.GetSize() - 1) m_curve.RemoveAt(selected);
  Notify(kNotifyCurveChanged);
  Invalidate(FALSE);
}

void CCurverCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  SetFocus();
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (!PressOnCurve(point)) CWnd::OnLButtonDown(nFlags, point);
}

void CCurverCtrl::OnMouseMove(UINT, CPoint point) {
  if (::GetCapture() == m_hWnd && m_bDragPoint) DragPointTo(point);
}

void CCurverCtrl::OnLButtonUp(UINT, CPoint) {
  if (::GetCapture() != m_hWnd) return;
  m_bDragPoint = FALSE;
  ::ReleaseCapture();
}

void CCurverCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DELETE) {
    DeleteSelected();
    return;
  }
  CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

UINT CCurverCtrl::OnGetDlgCode() { return DLGC_WANTARROWS; }

BOOL CCurverCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_MOUSEMOVE && m_tooltip.m_hWnd) m_tooltip.RelayEvent(pMsg);
  return CWnd::PreTranslateMessage(pMsg);
}

}  // namespace controls
