// The toolkit's floating frames.
//
// Sections: shared caption · CKitMiniFrame · CKitMiniFrameWnd
#include "guitk/kit_mini_frame.h"

#include "guitk/kit_colors.h"
#include "guitk/kit_control_bar.h"
#include "guitk/kit_dock_bar.h"
#include "guitk/kit_resources.h"

namespace {

constexpr int kGlyphClose = 6;
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);

void SetUpClose(CKitCaptionButton& button) {
  button.SetData(kGlyphClose, u"Close");
  button.SetImageList(kKitCaptionGlyphs, 9, 0, kGlyphMask);
  button.m_bFlat = TRUE;
}

// The client rectangle in window coordinates.
CRect ClientInWindow(CWnd* wnd) {
  CRect window, client;
  wnd->GetWindowRect(&window);
  wnd->GetClientRect(&client);
  wnd->ClientToScreen(&client);
  client.OffsetRect(-window.left, -window.top);
  return client;
}

CRect CaptionBand(CWnd* wnd) {
  CRect client = ClientInWindow(wnd);
  return CRect(client.left, client.top - ::GetSystemMetrics(SM_CYSMCAPTION), client.right, client.top);
}

}  // namespace

// --- shared caption ---

void KitPaintNonClient(CWnd* wnd, const std::function<void(CDC*, const CRect&)>& paint) {
  CWindowDC dc(wnd);
  CRect window;
  wnd->GetWindowRect(&window);
  window.OffsetRect(-window.left, -window.top);
  if (window.IsRectEmpty()) return;
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&dc, window.Width(), window.Height());
  CBitmap* old = memory.SelectObject(&bitmap);
  paint(&memory, window);
  CRect client = ClientInWindow(wnd);
  dc.ExcludeClipRect(&client);
  dc.BitBlt(0, 0, window.Width(), window.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}

void KitPaintMiniCaption(CDC* pDC, CWnd* frame, const CRect& caption, CKitCaptionButton& close, int closeState,
                         BOOL showClose, CRect* closeRect) {
  const COLORREF face = GetFaceColor(g_kitDrawStyle);
  pDC->FillSolidRect(&caption, GetShadowColor(kKitStyleFlat));
  CRect frameRect = caption;
  pDC->Draw3dRect(&frameRect, face, face);
  frameRect.DeflateRect(1, 1);
  pDC->Draw3dRect(&frameRect, face, face);
  CString title;
  frame->GetWindowText(title);
  HFONT font = ::CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 1, 2, 1, 0x22, u"Verdana");
  HGDIOBJ oldFont = ::SelectObject(pDC->m_hDC, font);
  // Cut to the caption without an ellipsis.
  while (!title.IsEmpty() && pDC->GetTextExtent(title).cx > caption.Width() - 10) title = title.Left(title.GetLength() - 1);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(GetDarkShadowColor());
  pDC->TextOut(caption.left + 3, 6, title);
  ::SelectObject(pDC->m_hDC, oldFont);
  ::DeleteObject(font);
  CRect window;
  frame->GetWindowRect(&window);
  *closeRect = CRect(window.Width() - 20, caption.top + 4, window.Width() - 4, caption.top + 4 + caption.Height());
  if (!showClose) return;
  const COLORREF fill = closeState == CKitCaptionButton::Hot       ? GetHotColor()
                        : closeState == CKitCaptionButton::Pressed ? GetPressedColor()
                                                                   : GetShadowColor(g_kitDrawStyle);
  close.Paint(pDC, closeState, *closeRect, 0, FALSE, fill);
}

// --- CKitMiniFrame ---

IMPLEMENT_DYNCREATE(CKitMiniFrame, CMiniDockFrameWnd)

BEGIN_MESSAGE_MAP(CKitMiniFrame, CMiniDockFrameWnd)
ON_WM_CLOSE()
ON_WM_NCLBUTTONDOWN()
ON_WM_NCLBUTTONUP()
ON_WM_NCLBUTTONDBLCLK()
ON_WM_LBUTTONUP()
ON_WM_MOUSEACTIVATE()
ON_WM_NCPAINT()
ON_WM_NCACTIVATE()
ON_WM_TIMER()
ON_WM_NCHITTEST()
ON_WM_NCMOUSEMOVE()
END_MESSAGE_MAP()

CKitMiniFrame::CKitMiniFrame() = default;
CKitMiniFrame::~CKitMiniFrame() = default;

BOOL CKitMiniFrame::Create(CWnd* pParent, DWORD dwBarStyle) {
  if (!CMiniDockFrameWnd::Create(pParent, dwBarStyle)) return FALSE;
  ModifyStyleEx(0, WS_EX_TOOLWINDOW);
  // Clipping its children: the frame's own paint never covers the bar it carries.
  ModifyStyle(WS_SYSMENU, WS_CLIPCHILDREN);
  m_wndDockBar.ModifyStyle(0, WS_CLIPCHILDREN);
  SetUpClose(m_btnClose);
  SetTimer(kCaptionTimer, 100, nullptr);
  return TRUE;
}

void CKitMiniFrame::RecalcLayout(BOOL bNotify) {
  CMiniDockFrameWnd::RecalcLayout(bNotify);
  CString title;
  m_wndDockBar.GetWindowText(title);
  SetWindowText(title.Left(260));
}

CKitControlBar* CKitMiniFrame::HostedKitBar() {
  for (int i = 1; i < m_wndDockBar.m_arrBars.GetSize(); ++i) {
    if (auto* bar = dynamic_cast<CKitControlBar*>(m_wndDockBar.GetDockedControlBar(i))) return bar;
  }
  return nullptr;
}

BOOL CKitMiniFrame::HoldsAutoHiddenBar() {
  CKitControlBar* bar = HostedKitBar();
  return bar && bar->IsAutoHidden();
}

void CKitMiniFrame::DecideKind() {
  if (m_nMode != -1) return;
  CControlBar* first = SoleBar();
  if (!first) first = m_wndDockBar.GetDockedControlBar(1);
  if (!first) return;
  if (KitIsToolBar(first)) {
    ModifyStyle(WS_SYSMENU, 0, SWP_FRAMECHANGED);
    m_bToolBarFrame = TRUE;
    m_nMode = 0;
  } else if (dynamic_cast<CKitControlBar*>(first)) {
    ModifyStyle(0, WS_SYSMENU, SWP_FRAMECHANGED);
    m_nMode = 1;
  } else {
    m_nMode = 0;
    if (KitIsMenuBar(first)) m_bNoClose = TRUE;
  }
}

BOOL CKitMiniFrame::OnNcActivate(BOOL bActive) {
  DecideKind();
  const BOOL result = CMiniDockFrameWnd::OnNcActivate(bActive);
  OnNcPaint();
  return result;
}

void CKitMiniFrame::OnNcPaint() {
  if (HoldsAutoHiddenBar()) {
    Default();
    PaintSlideEdge();
    return;
  }
  if (!(GetStyle() & WS_CAPTION)) {
    Default();
    return;
  }
  KitPaintNonClient(this, [&](CDC* dc, const CRect& window) {
    CKitControlBar* kitBar = HostedKitBar();
    dc->FillSolidRect(&window, kitBar ? GetFaceColor(g_kitDrawStyle) : GetShadowColor(g_kitDrawStyle));
    CRect client = ClientInWindow(this);
    client.InflateRect(1, 1);
    dc->Draw3dRect(&client, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    KitPaintMiniCaption(dc, this, CaptionBand(this), m_btnClose, m_nCloseState, !m_bNoClose, &m_rectClose);
  });
}

// A bar slid out of an auto-hide strip gets a one-pixel line on the edge
// away from the strip: black from the left and top strips, the highlight
// colour from the right one.
void CKitMiniFrame::PaintSlideEdge() {
  CKitControlBar* bar = HostedKitBar();
  if (!bar) return;
  CRect window;
  GetWindowRect(&window);
  window.OffsetRect(-window.left, -window.top);
  CRect edge;
  COLORREF color = RGB(0, 0, 0);
  switch (bar->m_dwAutoHideSide) {
    case CBRS_ALIGN_LEFT: edge = CRect(window.right - 1, 0, window.right, window.bottom); break;
    case CBRS_ALIGN_RIGHT:
      edge = CRect(0, 0, 1, window.bottom);
      color = ::GetSysColor(COLOR_BTNHIGHLIGHT);
      break;
    case CBRS_ALIGN_TOP: edge = CRect(0, window.bottom - 1, window.right, window.bottom); break;
    default: return;
  }
  CWindowDC dc(this);
  dc.FillSolidRect(&edge, color);
}

LRESULT CKitMiniFrame::OnNcHitTest(CPoint point) {
  CRect window;
  GetWindowRect(&window);
  if (!m_bNoClose && m_rectClose.PtInRect(CPoint(point - window.TopLeft()))) return HTCLOSE;
  if (HoldsAutoHiddenBar()) return HTTRANSPARENT;
  return CMiniFrameWnd::OnNcHitTest(point);
}

int CKitMiniFrame::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  CKitControlBar* bar = HostedKitBar();
  if (nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT && bar && !bar->IsAutoHidden()) return MA_ACTIVATE;
  return CMiniDockFrameWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}

void CKitMiniFrame::OnNcMouseMove(UINT nHitTest, CPoint) {
  if (nHitTest == HTCLOSE && m_nCloseState == CKitCaptionButton::Normal) {
    m_nCloseState = CKitCaptionButton::Hot;
    SetTimer(kHoverTimer, 100, nullptr);
    OnNcPaint();
  }
}

void CKitMiniFrame::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kCaptionTimer) {
    KillTimer(kCaptionTimer);
    SendMessageW(WM_NCACTIVATE, FALSE, 0);
    return;
  }
  if (nIDEvent != kHoverTimer) return;
  CPoint cursor;
  ::GetCursorPos(&cursor);
  CRect window;
  GetWindowRect(&window);
  if (m_rectClose.PtInRect(CPoint(cursor - window.TopLeft()))) return;
  m_nCloseState = CKitCaptionButton::Normal;
  KillTimer(kHoverTimer);
  OnNcPaint();
}

void CKitMiniFrame::OnNcLButtonDown(UINT nHitTest, CPoint point) {
  if (nHitTest == HTCLOSE) {
    m_nCloseState = CKitCaptionButton::Pressed;
    SetTimer(kHoverTimer, 100, nullptr);
    OnNcPaint();
    if (m_bToolBarFrame) {
      CControlBar* bar = m_wndDockBar.GetDockedControlBar(1);
      if (bar && bar->m_pDockSite) bar->m_pDockSite->ShowControlBar(bar, FALSE, FALSE);
      m_nCloseState = CKitCaptionButton::Normal;
    }
    return;
  }
  if (HoldsAutoHiddenBar()) return;
  ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
  if (m_bToolBarFrame && nHitTest != HTCAPTION) return;
  CMiniDockFrameWnd::OnNcLButtonDown(nHitTest, point);
}

void CKitMiniFrame::OnNcLButtonUp(UINT nHitTest, CPoint) {
  if (nHitTest == HTCLOSE && m_nCloseState == CKitCaptionButton::Pressed) {
    m_nCloseState = CKitCaptionButton::Normal;
    KillTimer(kHoverTimer);
    // The Close button closes: every bar of the frame is hidden.
    SendMessageW(WM_CLOSE, 0, 0);
    return;
  }
  if (::IsWindow(m_hWnd)) OnNcPaint();
}

void CKitMiniFrame::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_nCloseState == CKitCaptionButton::Pressed) {
    m_nCloseState = CKitCaptionButton::Normal;
    OnNcPaint();
  }
  CMiniDockFrameWnd::OnLButtonUp(nFlags, point);
}

void CKitMiniFrame::OnNcLButtonDblClk(UINT nHitTest, CPoint point) {
  SendMessageW(WM_NCACTIVATE, FALSE, 0);
  CMiniDockFrameWnd::OnNcLButtonDblClk(nHitTest, point);
}

void CKitMiniFrame::OnClose() { m_wndDockBar.ShowAll(FALSE); }

// --- CKitMiniFrameWnd ---

BEGIN_MESSAGE_MAP(CKitMiniFrameWnd, CMiniFrameWnd)
ON_WM_NCLBUTTONDOWN()
ON_WM_NCHITTEST()
ON_WM_CLOSE()
ON_WM_NCPAINT()
ON_WM_SIZE()
ON_WM_ACTIVATE()
ON_WM_TIMER()
ON_WM_NCCALCSIZE()
END_MESSAGE_MAP()

CKitMiniFrameWnd::CKitMiniFrameWnd() = default;
CKitMiniFrameWnd::~CKitMiniFrameWnd() = default;

BOOL CKitMiniFrameWnd::Create(CWnd* owner, CWnd* hosted, RECT* place, LPCTSTR title, UINT value) {
  if (!hosted || hosted->IsWindowVisible()) {
    delete this;
    return FALSE;
  }
  m_pOwner = owner;
  m_pHosted = hosted;
  m_hHostedParent = ::GetParent(hosted->m_hWnd);
  m_nValue = value;
  SetUpClose(m_btnClose);
  CRect hostedRect;
  hosted->GetWindowRect(&hostedRect);
  // The frame starts just under the button and is as tall as the hosted
  // window (the whole window shows, not its height less the button's).
  CRect rect;
  rect.left = place->left;
  rect.top = place->bottom - 2;
  rect.right = rect.left + hostedRect.Width();
  rect.bottom = rect.top + hostedRect.Height();
  LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CWnd* parent = hosted->GetParentFrame();
  if (!CWnd::CreateEx(WS_EX_TOOLWINDOW, cls, title, m_dwFrameStyle | WS_CAPTION, rect.left, rect.top, rect.Width(),
                      rect.Height(), parent ? parent->m_hWnd : nullptr, nullptr)) {
    return FALSE;
  }
  hosted->SetParent(this);
  hosted->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  hosted->ShowWindow(SW_SHOW);
  FitRoundHosted();
  ShowWindow(SW_SHOW);
  SetTimer(kCaptionTimer, 100, nullptr);
  SendMessageW(WM_SIZE, 0, 0);
  return TRUE;
}

// The frame fits round the hosted window, 3 pixels beyond its right and bottom.
void CKitMiniFrameWnd::FitRoundHosted() {
  if (!m_pHosted || !::IsWindow(m_pHosted->m_hWnd)) return;
  CRect hosted;
  m_pHosted->GetWindowRect(&hosted);
  CRect window, client;
  GetWindowRect(&window);
  GetClientRect(&client);
  const int cx = window.Width() - client.Width() + hosted.Width() + 3;
  const int cy = window.Height() - client.Height() + hosted.Height() + 3;
  if (cx != window.Width() || cy != window.Height())
    SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CKitMiniFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
    CloseFrame();
    return TRUE;
  }
  if (pMsg->message == WM_LBUTTONUP && !m_bMoving) {
    if (CWnd* first = GetWindow(GW_CHILD)) first->SendMessageW(WM_LBUTTONUP, pMsg->wParam, pMsg->lParam);
    CloseFrame();
    return TRUE;
  }
  return CMiniFrameWnd::PreTranslateMessage(pMsg);
}

// Closing gives the window back and destroys the frame directly; nothing is
// posted to a window that is already gone.
void CKitMiniFrameWnd::CloseFrame() {
  if (m_bDone) return;
  m_bDone = TRUE;
  if (m_pHosted && ::IsWindow(m_pHosted->m_hWnd)) {
    m_pHosted->ShowWindow(SW_HIDE);
    ::SetParent(m_pHosted->m_hWnd, m_pOwner ? m_pOwner->m_hWnd : m_hHostedParent);
  }
  if (m_pOwner && ::IsWindow(m_pOwner->m_hWnd)) m_pOwner->SetFocus();
  DestroyWindow();
}

void CKitMiniFrameWnd::PostNcDestroy() { delete this; }

void CKitMiniFrameWnd::OnClose() { CloseFrame(); }

LRESULT CKitMiniFrameWnd::OnNcHitTest(CPoint point) {
  CRect window;
  GetWindowRect(&window);
  return m_rectClose.PtInRect(CPoint(point - window.TopLeft())) ? HTCLOSE : HTCAPTION;
}

void CKitMiniFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point) {
  if (nHitTest == HTCLOSE) {
    CloseFrame();
    return;
  }
  if (!m_bMoving) {
    m_bMoving = TRUE;
    if (m_pOwner) m_pOwner->Invalidate();
    ModifyStyle(0, 0x0A00);
    CRect window;
    GetWindowRect(&window);
    window.DeflateRect(1, 1);
    MoveWindow(&window);
  }
  ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
  CMiniFrameWnd::OnNcLButtonDown(nHitTest, point);
}

void CKitMiniFrameWnd::OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp) {
  if (!m_bMoving) {
    lpncsp->rgrc[0].top += 9;
    lpncsp->rgrc[0].left -= 1;
  }
  CMiniFrameWnd::OnNcCalcSize(bCalcValidRects, lpncsp);
}

void CKitMiniFrameWnd::OnNcPaint() {
  KitPaintNonClient(this, [&](CDC* dc, const CRect& window) {
    dc->FillSolidRect(&window, m_bMoving ? GetShadowColor(g_kitDrawStyle) : GetDeepHighlightColor());
    CRect client = ClientInWindow(this);
    client.InflateRect(1, 1);
    dc->Draw3dRect(&client, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    KitPaintMiniCaption(dc, this, CaptionBand(this), m_btnClose, m_nCloseState, TRUE, &m_rectClose);
  });
}

void CKitMiniFrameWnd::OnSize(UINT nType, int cx, int cy) {
  CMiniFrameWnd::OnSize(nType, cx, cy);
  FitRoundHosted();
}

void CKitMiniFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  CMiniFrameWnd::OnActivate(nState, pWndOther, bMinimized);
  if (nState == WA_INACTIVE && !m_bDone) {
    CloseFrame();
    return;
  }
  FitRoundHosted();
}

void CKitMiniFrameWnd::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kCloseTimer) {
    CloseFrame();
    return;
  }
  if (nIDEvent == kCaptionTimer) {
    KillTimer(kCaptionTimer);
    SendMessageW(WM_NCACTIVATE, FALSE, 0);
  }
}
