// The toolkit's tool buttons: hot tracking on a 50 ms timer, owner drawing in
// the toolkit's colours, sizing to icon and caption, auto-repeat.
#include "guitk/tool_button.h"

#include <algorithm>

#include "guitk/kit_colors.h"
#include "guitk/kit_draw.h"

IMPLEMENT_DYNAMIC(CKitToolButton, CButton)
IMPLEMENT_DYNAMIC(CKitRepeatButton, CKitToolButton)
IMPLEMENT_DYNAMIC(CKitHoverRepeatButton, CKitToolButton)
IMPLEMENT_DYNAMIC(CKitLinkButton, CKitToolButton)

namespace {

constexpr UINT_PTR kHotTimer = 1;
constexpr UINT kHotTimerMs = 50;
constexpr UINT_PTR kRepeatTimer = 1001;
constexpr UINT_PTR kHoverTimer = 2;
constexpr UINT kHoverTimerMs = 20;
constexpr int kLinkLeft = 4;
constexpr DWORD kOwnerDraw = 0x0B;  // BS_OWNERDRAW
constexpr int kCaptionGap = 8;      // between icon and caption
constexpr int kIconLeft = 2;
constexpr int kSizeExtra = 7;
constexpr int kFrameWidth = 1;    // the hot frame's right edge
constexpr COLORREF kThemedPressed = 0x66C8F9;
constexpr COLORREF kThemedHot = 0xBAE6FC;

bool PointerInside(HWND hwnd) {
  const DWORD pos = GetMessagePos();
  POINT p{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  RECT r;
  GetWindowRect(hwnd, &r);
  return PtInRect(&r, p) != FALSE;
}

}  // namespace

BEGIN_MESSAGE_MAP(CKitToolButton, CButton)
ON_WM_MOUSEMOVE()
ON_WM_TIMER()
ON_WM_LBUTTONUP()
ON_WM_SYSCOLORCHANGE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CKitToolButton::CKitToolButton() : m_crFace(GetLightFaceColor()) {}

CKitToolButton::~CKitToolButton() {
  if (m_pToolTip && m_pToolTip->m_hWnd) m_pToolTip->DestroyWindow();
  delete m_pToolTip;
}

void CKitToolButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  const DWORD style = GetStyle();
  if ((style & 0x0F) != kOwnerDraw) ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((style & ~0x0Fu) | kOwnerDraw));
}

BOOL CKitToolButton::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_MOUSEMOVE && m_pToolTip && m_pToolTip->m_hWnd) m_pToolTip->RelayEvent(pMsg);
  return CButton::PreTranslateMessage(pMsg);
}

void CKitToolButton::SetStyle(int style, BOOL fillBackground) {
  m_nStyle = style;
  m_bFillBackground = fillBackground;
  if (!m_hWnd) return;
  SendMessage(WM_NCPAINT, 1, 0);
  Invalidate();
  UpdateWindow();
}

void CKitToolButton::SetIcon(HICON hIcon) {
  m_hIcon = hIcon;
  m_nIconWidth = m_nIconHeight = 0;
  ICONINFO info{};
  if (hIcon && GetIconInfo(hIcon, &info)) {
    m_nIconWidth = static_cast<BYTE>(info.xHotspot * 2);
    m_nIconHeight = static_cast<BYTE>(info.yHotspot * 2);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  RecomputeSize();
}

void CKitToolButton::SetCaption(LPCTSTR lpszCaption) {
  m_strCaption = lpszCaption ? lpszCaption : u"";
  m_nCaptionWidth = m_nCaptionHeight = 0;
  if (m_hWnd && !m_strCaption.IsEmpty()) {
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GetFont());
    const CSize extent = dc.GetTextExtent(m_strCaption, m_strCaption.GetLength());
    dc.SelectObject(old);
    // Wide enough for the caption after the icon's margin and the gap, inside
    // the hot frame: a width of the extent less 7 cut the caption's end off.
    m_nCaptionWidth = extent.cx + kIconLeft + kCaptionGap + kFrameWidth - kSizeExtra;
    m_nCaptionHeight = extent.cy;
  }
  RecomputeSize();
}

void CKitToolButton::SetTooltip(LPCTSTR lpszText) {
  if (!m_hWnd) return;
  if (!lpszText || !*lpszText) {
    if (m_pToolTip && m_pToolTip->m_hWnd) {
      m_pToolTip->UpdateTipText(u"", this);
      m_pToolTip->Activate(FALSE);
    }
    return;
  }
  if (!m_pToolTip) {
    m_pToolTip = new CToolTipCtrl;
    m_pToolTip->Create(this);
    m_pToolTip->AddTool(this, lpszText);
  }
  m_pToolTip->UpdateTipText(lpszText, this);
  m_pToolTip->Activate(TRUE);
}

CSize CKitToolButton::GetSize() {
  m_bAutoSize = FALSE;
  RecomputeSize();
  m_bAutoSize = TRUE;
  return m_size;
}

void CKitToolButton::RecomputeSize() {
  CRect client(0, 0, 0, 0);
  if (m_hWnd) GetClientRect(&client);
  m_size.cx = m_nCaptionWidth + m_nIconWidth + kSizeExtra;
  m_size.cy = std::max({m_nIconHeight, m_nCaptionHeight, static_cast<int>(client.Height())});
  if (m_bAutoSize && m_hWnd) SetWindowPos(nullptr, 0, 0, m_size.cx, m_size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF CKitToolButton::SetFaceColor(COLORREF color) {
  m_crFace = color;
  if (m_hWnd) Invalidate();
  return m_crFace;
}

// --- hot tracking ---

void CKitToolButton::OnMouseMove(UINT nFlags, CPoint point) {
  CRect client;
  GetClientRect(&client);
  CWnd* top = GetTopLevelParent();
  const bool activeParent = top && ::GetActiveWindow() == top->m_hWnd && top->IsWindowEnabled();
  if (!m_bHot && client.PtInRect(point) && activeParent) {
    m_bHot = TRUE;
    SetTimer(kHotTimer, kHotTimerMs, nullptr);
    Invalidate();
  }
  CButton::OnMouseMove(nFlags, point);
}

void CKitToolButton::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHotTimer) {
    CButton::OnTimer(nIDEvent);
    return;
  }
  if (m_bHot && !PointerInside(m_hWnd)) {
    m_bHot = FALSE;
    KillTimer(kHotTimer);
    RepaintWithParent();
  }
}

void CKitToolButton::RepaintWithParent() {
  if (CWnd* parent = GetParent()) {
    CRect area;
    GetWindowRect(&area);
    parent->ScreenToClient(&area);
    parent->InvalidateRect(&area, TRUE);
    parent->UpdateWindow();
  }
  Invalidate();
  UpdateWindow();
}

void CKitToolButton::OnLButtonUp(UINT nFlags, CPoint point) {
  RepaintWithParent();
  CButton::OnLButtonUp(nFlags, point);
}

void CKitToolButton::OnSysColorChange() {
  CButton::OnSysColorChange();
  m_crFace = GetLightFaceColor();
  Invalidate();
}

BOOL CKitToolButton::OnEraseBkgnd(CDC*) { return TRUE; }

// --- drawing ---

void CKitToolButton::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* pDC = CDC::FromHandle(dis->hDC);
  CRect r(dis->rcItem);
  const bool selected = (dis->itemState & ODS_SELECTED) != 0;
  const bool themedStyle = g_kitTheme && (m_nStyle == kKitStyleGradient || m_nStyle == kKitStyleMdiButtons);
  const bool disabled = dis->itemState == ODS_DISABLED;
  bool fill = m_bFillBackground != FALSE;
  COLORREF back = m_crFace;
  if (selected) {
    back = themedStyle ? kThemedPressed : GetPressedColor();
  } else if (m_bHot) {
    back = themedStyle ? kThemedHot : GetHotColor();
  } else if (m_nStyle == kKitStyleGradient) {
    if (fill) KitFillVerticalGradient(pDC, r, GetLightenedFaceColor(), GetFaceColor(kKitStyleGradient));
    fill = false;
  } else if (m_nStyle == kKitStyleMdiButtons) {
    back = GetFaceColor(kKitStyleMdiButtons);
  }
  if (selected || m_bHot) {
    CBrush frame(GetThemeBaseColor());
    pDC->FrameRect(&r, &frame);
    r.DeflateRect(1, 1);
  } else if (m_bIconCentred || m_bFramed) {
    CBrush frame(GetShadowColor(kKitStyleFlat));
    pDC->FrameRect(&r, &frame);
    r.DeflateRect(1, 1);
  }
  if (fill) pDC->FillSolidRect(&r, back);
  const int iconX = m_bIconCentred ? r.left + r.Width() / 2 : kIconLeft;
  if (m_nIconWidth > 2 && m_hIcon) {
    const int y = (r.Height() - m_nIconHeight) / 2 + (m_bRaisedIcon ? 1 : 0) + r.top;
    if (m_bHot && !selected && !disabled && m_bRaisedIcon) {
      CBrush shadow(GetShadowColor(kKitStyleFlat));
      ::DrawStateW(pDC->m_hDC, static_cast<HBRUSH>(shadow.m_hObject), nullptr, reinterpret_cast<LPARAM>(m_hIcon), 0,
                   iconX + 1, y + 1, m_nIconWidth, m_nIconHeight, DST_ICON | DSS_MONO);
      ::DrawIconEx(pDC->m_hDC, iconX - 1, y - 1, m_hIcon, m_nIconWidth, m_nIconHeight, 0, nullptr, DI_NORMAL);
    } else {
      ::DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(m_hIcon), 0, iconX, y, m_nIconWidth,
                   m_nIconHeight, DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
    }
  }
  if (m_nCaptionWidth > 2) {
    CRect text = r;
    text.left = iconX + m_nIconWidth + (m_bIconCentred ? 0 : kCaptionGap);
    pDC->SetBkMode(TRANSPARENT);
    CFont* old = pDC->SelectObject(GetFont());
    if (dis->itemState & ODS_DISABLED) {
      const int y = text.top + (text.Height() - m_nCaptionHeight) / 2;
      ::DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(m_strCaption)),
                   static_cast<WPARAM>(m_strCaption.GetLength()), text.left, y, text.Width(), m_nCaptionHeight,
                   DST_PREFIXTEXT | DSS_DISABLED);
    } else {
      // The caption shows in every state; in its own colour when not hot.
      pDC->SetTextColor(m_bHot ? GetSysColor(COLOR_BTNTEXT) : m_crCaption);
      pDC->DrawText(m_strCaption, &text, DT_SINGLELINE | DT_VCENTER);
    }
    pDC->SelectObject(old);
  }
}

// --- the repeat button ---

BEGIN_MESSAGE_MAP(CKitRepeatButton, CKitToolButton)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_TIMER()
END_MESSAGE_MAP()

void CKitRepeatButton::OnLButtonDown(UINT nFlags, CPoint point) {
  CKitToolButton::OnLButtonDown(nFlags, point);
  m_bRepeating = TRUE;
  SetTimer(kRepeatTimer, static_cast<UINT>(m_nRepeatInterval), nullptr);
}

void CKitRepeatButton::StopRepeating() {
  if (!m_bRepeating) return;
  m_bRepeating = FALSE;
  KillTimer(kRepeatTimer);
}

void CKitRepeatButton::OnLButtonUp(UINT nFlags, CPoint point) {
  StopRepeating();
  CKitToolButton::OnLButtonUp(nFlags, point);
}

void CKitRepeatButton::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kRepeatTimer) {
    CKitToolButton::OnTimer(nIDEvent);
    return;
  }
  if (!m_bRepeating) return;
  if (!PointerInside(m_hWnd)) {
    StopRepeating();
    return;
  }
  if (IsWindowEnabled() && GetParent())
    GetParent()->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
}

// --- hover variants ---

BEGIN_MESSAGE_MAP(CKitHoverRepeatButton, CKitToolButton)
ON_WM_MOUSEMOVE()
ON_WM_TIMER()
END_MESSAGE_MAP()

void CKitHoverRepeatButton::OnMouseMove(UINT nFlags, CPoint point) {
  CKitToolButton::OnMouseMove(nFlags, point);
  if (!m_bRepeat) return;
  m_bTicking = TRUE;
  SetTimer(kHoverTimer, kHoverTimerMs, nullptr);
}

// A tick with the pointer gone ends the ticking: nothing would restart a
// timer left running for a pointer that never comes back.
void CKitHoverRepeatButton::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHoverTimer) {
    CKitToolButton::OnTimer(nIDEvent);
    return;
  }
  if (!m_bRepeat || !PointerInside(m_hWnd)) {
    KillTimer(kHoverTimer);
    m_bTicking = FALSE;
    return;
  }
  if (GetParent())
    GetParent()->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
}

BEGIN_MESSAGE_MAP(CKitLinkButton, CKitToolButton)
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CRect CKitLinkButton::LinkRect() const {
  CRect client;
  GetClientRect(&client);
  client.left += kLinkLeft;
  return client;
}

BOOL CKitLinkButton::OnSetCursor(CWnd*, UINT, UINT) {
  CPoint p;
  ::GetCursorPos(&p);
  ScreenToClient(&p);
  ::SetCursor(::LoadCursorW(nullptr, LinkRect().PtInRect(p) ? IDC_HAND : IDC_ARROW));
  return TRUE;
}
