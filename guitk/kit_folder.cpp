// The folder bar: header layout, opening folders, hot tracking.
#include "guitk/kit_folder.h"

#include <algorithm>

#include "guitk/kit_colors.h"

IMPLEMENT_DYNCREATE(CKitFolder, CWnd)
IMPLEMENT_DYNCREATE(CKitShelfFolder, CKitFolder)

int g_kitHotFolder = -1;

namespace {

constexpr UINT_PTR kHotTimer = 1;
constexpr UINT kHotTimerMs = 100;

}  // namespace

BEGIN_MESSAGE_MAP(CKitFolder, CWnd)
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CKitFolder::CKitFolder() { m_font.CreateStockObject(DEFAULT_GUI_FONT); }

CKitFolder::~CKitFolder() {
  if (m_hWnd) DestroyWindow();
  for (Folder* folder : m_folders) delete folder;
}

BOOL CKitFolder::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW));
  return CWnd::Create(cls, u"", dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

int CKitFolder::AddFolder(CWnd* pWnd, LPCTSTR lpszCaption) {
  auto* folder = new Folder;
  folder->window = pWnd;
  folder->caption = lpszCaption ? lpszCaption : u"";
  folder->atTop = m_folders.empty() ? 1 : 0;
  m_folders.push_back(folder);
  m_nFolders = static_cast<int>(m_folders.size());
  if (pWnd && pWnd->m_hWnd) pWnd->ShowWindow(m_nFolders == 1 ? SW_SHOW : SW_HIDE);
  if (m_hWnd) {
    RecalcLayout();
    Invalidate();
  }
  return m_nFolders - 1;
}

void CKitFolder::RecalcLayout() {
  if (!m_hWnd || m_nFolders == 0) return;
  CRect client;
  GetClientRect(&client);
  m_nFreeTop = client.top;
  m_nFreeBottom = client.bottom;
  int first_below = m_nFolders;
  for (int i = 0; i < m_nFolders; ++i) {
    Folder* folder = m_folders[static_cast<size_t>(i)];
    if (i > 0 && !folder->atTop) {
      first_below = i;
      break;
    }
    const int top = client.top + i * kTopHeaderHeight;
    folder->header = CRect(client.left, top, client.right, top + kTopHeaderHeight);
    m_nFreeTop = folder->header.bottom - 1;
  }
  for (int i = m_nFolders - 1; i >= first_below; --i) {
    Folder* folder = m_folders[static_cast<size_t>(i)];
    folder->header = CRect(client.left, m_nFreeBottom - kBottomHeaderHeight, client.right, m_nFreeBottom);
    m_nFreeBottom -= kBottomHeaderHeight;
  }
  CWnd* open = m_folders[static_cast<size_t>(m_nOpen)]->window;
  if (open && open->m_hWnd) {
    const int top = m_nFreeTop + (m_nOpen == 0 ? 1 : 0);
    open->SetWindowPos(nullptr, client.left, top, client.Width(), std::max(0, m_nFreeBottom - top),
                       SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    // Moved without redrawing: it paints once, at its new place.
    open->Invalidate();
  }
}

void CKitFolder::OpenFolder(int index) {
  if (index < 0 || index >= m_nFolders) return;
  m_nPreviousOpen = m_nOpen;
  m_nOpen = index;
  Folder* folder = m_folders[static_cast<size_t>(index)];
  if (folder->atTop) {
    // The last folder at the top is open already; a top folder whose
    // follower sits below is the open one too.
    const bool last = index == m_nFolders - 1;
    if (last || !m_folders[static_cast<size_t>(index) + 1]->atTop) {
      m_nOpen = m_nPreviousOpen;
      return;
    }
    for (int i = index + 1; i < m_nFolders; ++i) m_folders[static_cast<size_t>(i)]->atTop = 0;
  } else {
    for (int i = 0; i <= index; ++i) m_folders[static_cast<size_t>(i)]->atTop = 1;
  }
  CWnd* previous = m_folders[static_cast<size_t>(m_nShown)]->window;
  if (previous && previous->m_hWnd && m_nShown != index) previous->ShowWindow(SW_HIDE);
  if (folder->window && folder->window->m_hWnd) folder->window->ShowWindow(SW_SHOW);
  m_nShown = index;
  RecalcLayout();
  Invalidate();
}

int CKitFolder::HitTest(CPoint point) const {
  for (int i = 0; i < m_nFolders; ++i)
    if (m_folders[static_cast<size_t>(i)]->header.PtInRect(point)) return i;
  return -1;
}

void CKitFolder::DrawHeader(Folder* folder, int state) {
  if (!m_hWnd || folder->header.IsRectEmpty()) return;
  CClientDC dc(this);
  CRect r = folder->header;
  const COLORREF fill = state == Hot ? GetHotColor() : state == Pressed ? GetPressedColor() : GetFaceColor(kKitStyleFlat);
  dc.FillSolidRect(&r, fill);
  if (state == Normal) {
    dc.Draw3dRect(&r, GetHighlightWhiteColor(), GetShadowColor(kKitStyleFlat));
  } else {
    CBrush frame(GetThemeBaseColor());
    dc.FrameRect(&r, &frame);
  }
  CFont* old = dc.SelectObject(&m_font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
  dc.DrawText(folder->caption, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  dc.SelectObject(old);
}

void CKitFolder::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (m_nFolders > 0) RecalcLayout();
}

void CKitFolder::OnPaint() {
  CPaintDC dc(this);
  for (Folder* folder : m_folders) DrawHeader(folder, Normal);
}

BOOL CKitFolder::OnEraseBkgnd(CDC* pDC) {
  CRect r;
  GetClientRect(&r);
  const COLORREF face = GetFaceColor(kKitStyleFlat);
  if (m_nFolders == 0) {
    pDC->FillSolidRect(&r, face);
    return TRUE;
  }
  CBrush brush(face);
  pDC->FrameRect(&r, &brush);
  r.DeflateRect(1, 1);
  pDC->FrameRect(&r, &brush);
  return TRUE;
}

void CKitFolder::OnLButtonDown(UINT nFlags, CPoint point) {
  const int index = HitTest(point);
  if (index >= 0) DrawHeader(m_folders[static_cast<size_t>(index)], Pressed);
  CWnd::OnLButtonDown(nFlags, point);
}

void CKitFolder::OnLButtonUp(UINT nFlags, CPoint point) {
  const int index = HitTest(point);
  if (index >= 0) {
    DrawHeader(m_folders[static_cast<size_t>(index)], Normal);
    OpenFolder(index);
  }
  CWnd::OnLButtonUp(nFlags, point);
}

void CKitFolder::OnMouseMove(UINT nFlags, CPoint point) {
  const int index = HitTest(point);
  if (index >= 0 && index != m_nHot) {
    if (m_nHot >= 0 && m_nHot < m_nFolders) DrawHeader(m_folders[static_cast<size_t>(m_nHot)], Normal);
    DrawHeader(m_folders[static_cast<size_t>(index)], Hot);
    m_nHot = g_kitHotFolder = index;
    SetTimer(kHotTimer, kHotTimerMs, nullptr);
  } else if (index < 0 && m_nHot >= 0) {
    if (m_nHot < m_nFolders) DrawHeader(m_folders[static_cast<size_t>(m_nHot)], Normal);
    m_nHot = g_kitHotFolder = -1;
  }
  CWnd::OnMouseMove(nFlags, point);
}

void CKitFolder::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHotTimer) {
    CWnd::OnTimer(nIDEvent);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(&p);
  if (m_nHot >= 0 && m_nHot < m_nFolders && m_folders[static_cast<size_t>(m_nHot)]->header.PtInRect(p)) return;
  if (m_nHot >= 0 && m_nHot < m_nFolders) DrawHeader(m_folders[static_cast<size_t>(m_nHot)], Normal);
  m_nHot = g_kitHotFolder = -1;
  KillTimer(kHotTimer);
}

void CKitFolder::OnDestroy() {
  KillTimer(kHotTimer);
  for (Folder* folder : m_folders) delete folder;
  m_folders.clear();
  m_nFolders = 0;
  m_nOpen = m_nPreviousOpen = m_nShown = 0;
  m_nHot = -1;
  CWnd::OnDestroy();
}

// --- CKitShelfFolder ---

BEGIN_MESSAGE_MAP(CKitShelfFolder, CKitFolder)
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

void CKitShelfFolder::OnMouseMove(UINT nFlags, CPoint point) {
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  CKitFolder::OnMouseMove(nFlags, point);
}

void CKitShelfFolder::OnLButtonDown(UINT nFlags, CPoint point) {
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  CKitFolder::OnLButtonDown(nFlags, point);
}

// The class arrow would flash between moves; the shelf keeps its hand.
BOOL CKitShelfFolder::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (pWnd == this && nHitTest == HTCLIENT) {
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    return TRUE;
  }
  return CKitFolder::OnSetCursor(pWnd, nHitTest, message);
}
