// Auto-hide strips and their tabs.
//
// Sections: tab fonts · strip · tab
#include "guitk/kit_auto_hide.h"

#include <string>

#include "guitk/kit_colors.h"
#include "guitk/kit_control_bar.h"
#include "guitk/kit_dock_bar.h"
#include "guitk/kit_draw.h"

// --- tab fonts ---

namespace {

struct TabFonts {
  HFONT horizontal = nullptr;
  HFONT vertical = nullptr;
  int tabHeight = 0;
  int textHeight = 0;
};

// Made once, by the first strip, for the life of the process.
const TabFonts& GetTabFonts() {
  static const TabFonts fonts = [] {
    TabFonts f;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    f.horizontal = ::CreateFontIndirectW(&metrics.lfMenuFont);
    LOGFONTW turned = metrics.lfMenuFont;
    turned.lfEscapement = turned.lfOrientation = -900;
    std::u16string(u"verdana").copy(turned.lfFaceName, LF_FACESIZE - 1);
    turned.lfFaceName[7] = 0;
    f.vertical = ::CreateFontIndirectW(&turned);
    f.tabHeight = std::max(::GetSystemMetrics(SM_CYMENU), ::GetSystemMetrics(SM_CYSMICON));
    f.textHeight = std::abs(metrics.lfMenuFont.lfHeight);
    return f;
  }();
  return fonts;
}

bool IsVerticalEdge(UINT edge) { return edge == AFX_IDW_DOCKBAR_LEFT || edge == AFX_IDW_DOCKBAR_RIGHT; }

}  // namespace

CKitControlBar* KitVisibleAutoHiddenBar(CFrameWnd* frame, CKitControlBar* except) {
  for (DWORD side : {CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT, CBRS_ALIGN_TOP}) {
    CKitAutoHideStrip* strip = KitFindStrip(frame, side);
    for (int i = 0; strip && i < strip->GetTabCount(); ++i) {
      auto* bar = dynamic_cast<CKitControlBar*>(CWnd::FromHandlePermanent(strip->GetTab(i)->m_hBar));
      if (bar && bar != except && bar->IsAutoHidden() && bar->IsWindowVisible()) return bar;
    }
  }
  return nullptr;
}

// --- strip ---

IMPLEMENT_DYNAMIC(CKitAutoHideStrip, CControlBar)

BEGIN_MESSAGE_MAP(CKitAutoHideStrip, CControlBar)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_DESTROY()
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

CKitAutoHideStrip::~CKitAutoHideStrip() { DeleteTabs(); }

BOOL CKitAutoHideStrip::Create(CFrameWnd* frame, UINT edge) {
  m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
  m_bAutoDelete = TRUE;
  m_clrBack = GetLightenedFaceColor();
  if (!CreateBar(nullptr, WS_CHILD | (edge & CBRS_ALIGN_ANY), 0, kKitStripId, frame)) return FALSE;
  GetTabFonts();
  return TRUE;
}

CSize CKitAutoHideStrip::CalcFixedLayout(BOOL, BOOL bHorz) {
  return bHorz ? CSize(32767, kThickness) : CSize(kThickness, 32767);
}

CKitAutoHideTab* CKitAutoHideStrip::TabOf(HWND bar) const {
  for (int i = 0; i < m_nTabs; ++i) {
    if (GetTab(i)->m_hBar == bar) return GetTab(i);
  }
  return nullptr;
}

void CKitAutoHideStrip::AddBar(CKitControlBar* bar) {
  // The edge comes from the bar's auto-hide side when it has one: a bar
  // restored from the profile floats when its tab is made.
  UINT edge;
  if (bar->m_bFirstPlacement || bar->m_dwAutoHideSide != 0) {
    const DWORD side = bar->m_dwAutoHideSide;
    edge = side == CBRS_ALIGN_TOP ? AFX_IDW_DOCKBAR_TOP
         : side == CBRS_ALIGN_RIGHT ? AFX_IDW_DOCKBAR_RIGHT
         : side == CBRS_ALIGN_BOTTOM ? AFX_IDW_DOCKBAR_BOTTOM
                                     : AFX_IDW_DOCKBAR_LEFT;
    bar->m_bFirstPlacement = FALSE;
  } else {
    edge = static_cast<UINT>(::GetDlgCtrlID(::GetParent(bar->m_hWnd)));
  }
  CString title;
  bar->GetWindowText(title);
  auto* tab = new CKitAutoHideTab;
  if (!tab->Create(title, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, edge, bar->m_hWnd)) {
    delete tab;
    return;
  }
  tab->SetIcon(bar->m_hIcon);
  m_tabs.Add(tab);
  ++m_nTabs;
  LayOutTabs();
  ShowOrHide();
  Invalidate();
  UpdateWindow();
}

void CKitAutoHideStrip::RemoveBar(CKitControlBar* bar) {
  for (int i = 0; i < m_nTabs; ++i) {
    CKitAutoHideTab* tab = GetTab(i);
    if (tab->m_hBar != bar->m_hWnd) continue;
    tab->DestroyWindow();
    delete tab;
    m_tabs.RemoveAt(i);
    --m_nTabs;
    break;
  }
  ShowOrHide();
  LayOutTabs();
  Invalidate();
  UpdateWindow();
}

void CKitAutoHideStrip::LayOutTabs() {
  if (!m_hWnd) return;
  CClientDC dc(this);
  const TabFonts& fonts = GetTabFonts();
  const bool acrossTop = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  // Measured in the font that writes the title: the upright one on a side
  // strip is wider than the menu font, and a title measured in the other
  // would be cut off at the tab's end.
  HGDIOBJ old = ::SelectObject(dc.m_hDC, acrossTop ? fonts.horizontal : fonts.vertical);
  CRect client;
  GetClientRect(&client);
  int running = 20;
  for (int i = 0; i < m_nTabs; ++i) {
    CKitAutoHideTab* tab = GetTab(i);
    const int length = dc.GetTextExtent(tab->m_strTitle).cx + (acrossTop ? tab->m_cxIcon : tab->m_cyIcon) + 10;
    if (acrossTop) {
      tab->m_rectTab = CRect(running + 4, client.top, running + 4 + length, client.bottom - 2);
      running += length + 2;
    } else {
      tab->m_rectTab = CRect(client.left, running + 4, client.right, running + 4 + length);
      running += length + 8;
    }
    tab->MoveWindow(&tab->m_rectTab);
  }
  ::SelectObject(dc.m_hDC, old);
}

void CKitAutoHideStrip::ShowOrHide() {
  const bool show = m_nTabs > 0;
  if (show != static_cast<bool>(IsWindowVisible())) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();
  }
}

void CKitAutoHideStrip::DeleteTabs() {
  for (int i = 0; i < m_nTabs; ++i) delete GetTab(i);
  m_tabs.RemoveAll();
  m_nTabs = 0;
}

BOOL CKitAutoHideStrip::OnEraseBkgnd(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillSolidRect(&client, GetFaceColor(g_kitDrawStyle));
  return TRUE;
}

void CKitAutoHideStrip::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, g_kitDrawStyle == kKitStyleFlat ? GetLightenedFaceColor() : GetFaceColor(g_kitDrawStyle));
  LayOutTabs();
}

void CKitAutoHideStrip::OnDestroy() {
  for (int i = 0; i < m_nTabs; ++i) GetTab(i)->DestroyWindow();
  DeleteTabs();
  CControlBar::OnDestroy();
}

void CKitAutoHideStrip::OnSysColorChange() { m_clrBack = GetLightenedFaceColor(); }

// --- tab ---

BEGIN_MESSAGE_MAP(CKitAutoHideTab, CWnd)
ON_WM_MOUSEMOVE()
ON_WM_PAINT()
ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CKitAutoHideTab::Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT edge, HWND bar) {
  m_strTitle = text;
  m_nEdge = edge;
  m_hBar = bar;
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
  return CWnd::CreateEx(0, cls, text, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, parent, 0);
}

void CKitAutoHideTab::SetIcon(HICON icon) {
  m_hIcon = icon;
  m_cxIcon = m_cyIcon = 0;
  ICONINFO info{};
  if (icon && ::GetIconInfo(icon, &info)) {
    m_cxIcon = 2 * static_cast<int>(info.xHotspot);
    m_cyIcon = 2 * static_cast<int>(info.yHotspot);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
  }
}

CKitControlBar* CKitAutoHideTab::Bar() const {
  return dynamic_cast<CKitControlBar*>(CWnd::FromHandlePermanent(m_hBar));
}

void CKitAutoHideTab::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  const int style = g_kitDrawStyle;
  const COLORREF face = GetFaceColor(style);
  if (style != kKitStyleFlat) {
    CKitGradient gradient(r.Width(), r.Height());
    gradient.DrawActiveCaption(&dc, style, !IsVerticalEdge(m_nEdge));
    gradient.CopyTo(&dc, 0, 0, r.Width(), r.Height(), 0, 0);
  } else {
    dc.FillSolidRect(&r, face);
  }
  dc.Draw3dRect(&r, GetShadowColor(style), GetShadowColor(style));
  if (m_hIcon) ::DrawStateW(dc.m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(m_hIcon), 0, r.left + 2, r.top + 2, 0, 0, DST_ICON);
  // The side touching the frame edge in the face colour: the tab looks joined to it.
  switch (m_nEdge) {
    case AFX_IDW_DOCKBAR_TOP: dc.FillSolidRect(r.left, r.top, r.Width(), 1, face); break;
    case AFX_IDW_DOCKBAR_BOTTOM: dc.FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, face); break;
    case AFX_IDW_DOCKBAR_LEFT: dc.FillSolidRect(r.left, r.top, 1, r.Height(), face); break;
    default: dc.FillSolidRect(r.right - 1, r.top, 1, r.Height(), face); break;
  }
  const TabFonts& fonts = GetTabFonts();
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
  if (!IsVerticalEdge(m_nEdge)) {
    HGDIOBJ old = ::SelectObject(dc.m_hDC, fonts.horizontal);
    CRect text(r.left + m_cxIcon + 4, r.top, r.right, r.bottom);
    dc.DrawText(m_strTitle, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(dc.m_hDC, old);
  } else {
    const int oldMode = ::SetGraphicsMode(dc.m_hDC, GM_ADVANCED);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, fonts.vertical);
    // The turned letters run down from the line's baseline, an ascent below
    // the line's top: the line starts that much higher, so that the title
    // begins 5 pixels below the icon and its last letter stays on the tab.
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.m_hDC, &metrics);
    CRect text(r.left, r.top + m_cyIcon + 4 + 5 - metrics.tmAscent, r.right, r.bottom);
    dc.DrawText(m_strTitle, &text, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    ::SelectObject(dc.m_hDC, old);
    ::SetGraphicsMode(dc.m_hDC, oldMode);
  }
}

void CKitAutoHideTab::OnMouseMove(UINT, CPoint point) {
  if (m_bSlidOut) return;
  CWnd* top = GetTopLevelParent();
  if (!top || ::GetActiveWindow() != top->m_hWnd || !top->IsWindowEnabled()) return;
  CRect client;
  GetClientRect(&client);
  if (!client.PtInRect(point)) return;
  CKitControlBar* bar = Bar();
  CFrameWnd* frame = bar ? bar->m_pDockSite : nullptr;
  if (!bar || !frame) return;
  if (bar->IsWindowVisible() && bar->IsAutoHidden()) {
    bar->Slide(FALSE);
    frame->ShowControlBar(bar, FALSE, FALSE);
    return;
  }
  if (CKitControlBar* other = KitVisibleAutoHiddenBar(frame, bar)) frame->ShowControlBar(other, FALSE, TRUE);
  bar->m_sizeAutoHide = bar->m_sizeFloat;
  frame->ShowControlBar(bar, TRUE, FALSE);
  const bool across = IsVerticalEdge(m_nEdge);
  bar->m_nSlideStep = (across ? bar->m_sizeFloat.cx : bar->m_sizeFloat.cy) / 5;
  (across ? bar->m_sizeFloat.cx : bar->m_sizeFloat.cy) = 0;
  bar->Slide(TRUE);
  m_bSlidOut = TRUE;
  SetTimer(kSlideTimer, kSlideTimerMs, nullptr);
}

void CKitAutoHideTab::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kSlideTimer) return;
  CKitControlBar* bar = Bar();
  CPoint cursor;
  ::GetCursorPos(&cursor);
  CRect barRect, tabRect;
  if (bar) bar->GetWindowRect(&barRect);
  GetWindowRect(&tabRect);
  if ((bar && (barRect.PtInRect(cursor) || bar->IsDragging())) || tabRect.PtInRect(cursor)) return;
  m_bSlidOut = FALSE;
  KillTimer(kSlideTimer);
  if (!bar || !bar->IsWindowVisible()) return;
  CFrameWnd* frame = bar->m_pDockSite;
  if (frame && KitVisibleAutoHiddenBar(frame, bar)) return;
  bar->Slide(FALSE);
  if (frame) frame->ShowControlBar(bar, FALSE, FALSE);
}
