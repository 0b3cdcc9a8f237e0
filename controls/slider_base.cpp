// The slider bars' shared thumb, mapping, mouse handling and position message.
#include "controls/slider_base.h"

#include "controls/custom_notify.h"

namespace controls {

BEGIN_MESSAGE_MAP(CSliderBase, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_MESSAGE(WM_SLIDERPOS, OnSliderPos)
END_MESSAGE_MAP()

namespace {

// How far past the track's ends the pointer may go during a drag.
constexpr int kClipSlack = 10;

}  // namespace

int CSliderBase::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  CRect client;
  GetClientRect(&client);
  m_nLeftLimit = client.left + m_nThumbWidth / 2;
  m_nRightLimit = client.right - m_nThumbWidth / 2;
  // A position of 0 must place the thumb, so it starts at the left limit.
  m_nThumbX = m_nLeftLimit;
  if (IsDropDown()) {
    SetCapture();
    m_bDragging = 1;
  }
  return 0;
}

BOOL CSliderBase::RegisterSliderClass(HINSTANCE instance, LPCTSTR name, WNDPROC proc) {
  WNDCLASS wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterCustomClass(wc);
}

void CSliderBase::SetPosition(int position) {
  if (position == m_nPosition) return;
  if (position > m_nMax) position = m_nMax;
  if (position < m_nMin) position = m_nMin;
  m_nPosition = position;
  const int span = m_nMax - m_nMin;
  m_nThumbX = span > 0 ? m_nLeftLimit + (m_nRightLimit - m_nLeftLimit) * (position - m_nMin) / span : m_nLeftLimit;
  if (m_hWnd) Invalidate(FALSE);
}

void CSliderBase::SetRange(int minimum, int maximum) {
  m_nMin = minimum;
  m_nMax = maximum == minimum ? minimum + 1 : maximum;
}

void CSliderBase::PositionFromThumb() {
  // A client narrower than the thumb leaves no track to map.
  const int track = m_nRightLimit - m_nLeftLimit;
  m_nPosition = track > 0 ? m_nMin + (m_nMax - m_nMin) * (m_nThumbX - m_nLeftLimit) / track : m_nMin;
}

CRect CSliderBase::ThumbRect() const {
  CRect client;
  GetClientRect(&client);
  const int y = ThumbCenterY(client);
  return CRect(m_nThumbX - m_nThumbWidth / 2 - 1, y - m_nThumbHeight / 2 - 1, m_nThumbX + m_nThumbWidth / 2 + 1,
               y + m_nThumbHeight / 2 + 1);
}

void CSliderBase::Notify(UINT code) {
  NMSLIDER record{};
  record.position = static_cast<BYTE>(m_nPosition);
  FillRecord(record);
  SendNotify(m_hWnd, code, record);
}

void CSliderBase::EndDrag() {
  m_bDragging = 0;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  ::ClipCursor(nullptr);
}

void CSliderBase::MoveThumbTo(int x) {
  if (x < m_nLeftLimit) x = m_nLeftLimit;
  if (x > m_nRightLimit) x = m_nRightLimit;
  m_nThumbX = x;
  Invalidate(FALSE);
  PositionFromThumb();
  Notify(kNotifySliderMoving);
}

void CSliderBase::OnLButtonDown(UINT, CPoint point) {
  if (m_bDragging) {
    EndDrag();
    return;
  }
  CRect thumb = ThumbRect();
  if (!thumb.PtInRect(point)) {
    MoveThumbTo(point.x);
    return;
  }
  SetCapture();
  CRect clip(m_nLeftLimit - kClipSlack, thumb.top, m_nRightLimit + kClipSlack, thumb.bottom);
  ClientToScreen(&clip);
  ::ClipCursor(&clip);
  m_bDragging = 1;
}

void CSliderBase::OnMouseMove(UINT, CPoint point) {
  if (!m_bDragging) return;
  if (!IsDropDown()) {
    MoveThumbTo(point.x);
    return;
  }
  // The first move only sets where the drag starts from.
  const int dx = m_nLastX < 0 ? 0 : point.x - m_nLastX;
  m_nLastX = point.x;
  MoveThumbTo(m_nThumbX + dx);
}

void CSliderBase::OnLButtonUp(UINT, CPoint) {
  const bool wasDragging = m_bDragging != 0;
  if (wasDragging) {
    EndDrag();
    Notify(kNotifySliderReleased);
  }
  if (IsDropDown()) {
    if (HWND parent = ::GetParent(m_hWnd)) ::PostMessageW(parent, WM_COMMAND, IDCANCEL, 0);
  }
}

BOOL CSliderBase::OnEraseBkgnd(CDC*) { return TRUE; }

void CSliderBase::OnPaint() {
  PaintBuffered(*this, [this](CDC& dc, const CRect& client) { PaintInto(dc, client); });
}

LRESULT CSliderBase::OnSliderPos(WPARAM wParam, LPARAM lParam) {
  if (wParam == 0) {
    SetPosition(static_cast<int>(lParam));
  } else if (wParam == 1 && lParam) {
    *reinterpret_cast<int*>(lParam) = m_nPosition;
  }
  return 1;
}

}  // namespace controls
