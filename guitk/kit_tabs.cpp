// The tab control and the scrolling tab strip.
#include "guitk/kit_tabs.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "guitk/kit_colors.h"
#include "guitk/kit_draw.h"

IMPLEMENT_DYNAMIC(CKitTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CKitScrollTabStrip, CKitTabCtrl)
IMPLEMENT_DYNAMIC(CKitMdiTabs, CKitScrollTabStrip)

namespace {

constexpr int kTabAreaExtra = 5;    // the tab area is the tab height plus this
constexpr int kTabExtraHeight = 4;  // a tab is the tab height plus this
constexpr int kTabsLeft = 4;
constexpr int kTabGap = 1;
constexpr int kCaptionPadding = 14;
constexpr int kCurrentTopWider = 10;
constexpr int kScrollStep = 10;
constexpr int kButtonSize = 14;
constexpr UINT kArrowBitmap = 18041;
constexpr COLORREF kArrowMask = RGB(255, 0, 255);
constexpr UINT_PTR kScanTimer = 1;
constexpr UINT kFirstScanMs = 100;
constexpr UINT kRescanMs = 200;

BOOL MakeTabFont(CFont* font, int width, int weight) {
  return font->CreateFont(-11, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_STRING_PRECIS,
                          CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH | FF_SWISS, u"MS Sans Serif");
}

}  // namespace

// --- CKitTabCtrl ---

BEGIN_MESSAGE_MAP(CKitTabCtrl, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CKitTabCtrl::CKitTabCtrl() {
  MakeTabFont(&m_font, 0, FW_NORMAL);
  // The bold font asks for width 2, which the bitmap face of that name cannot
  // narrow and so ignores; an outline face would squeeze the captions unreadable.
  MakeTabFont(&m_boldFont, 0, FW_BOLD);
}

CKitTabCtrl::~CKitTabCtrl() {
  if (m_hWnd) DestroyWindow();
  for (INT_PTR i = 0; i < m_tabs.GetSize(); ++i) delete static_cast<KitTab*>(m_tabs[i]);
}

COLORREF CKitTabCtrl::TabColorFor(int ordinal) {
  const int n = ordinal > 10 ? ordinal % 10 : ordinal;
  switch (n) {
    case 1: return 0xE6AE93;
    case 2: return 0x85DFFF;
    case 3: return 0xBDDDD2;
    case 4:
    case 10: return 0xBDBDF4;
    case 5: return 0xEBC6D2;
    case 6: return 0xCCD3BA;
    case 8: return 0xC5B1DB;
    case 9: return 0xEDC7B4;
    default: return 0xA5CAF7;
  }
}

BOOL CKitTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW));
  return CWnd::Create(cls, u"", dwStyle | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

int CKitTabCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  if (m_toolTip.Create(this)) {
    m_toolTip.Activate(TRUE);
    m_toolTip.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return 0;
}

const KitTab* CKitTabCtrl::GetTab(int index) const {
  return index >= 0 && index < m_nTabs ? static_cast<const KitTab*>(m_tabs[index]) : nullptr;
}

int CKitTabCtrl::FindTab(HWND hwnd) const {
  for (int i = 0; i < m_nTabs; ++i)
    if (hwnd && GetTab(i)->handle == hwnd) return i;
  return -1;
}

int CKitTabCtrl::AddTab(CWnd* pWnd, LPCTSTR lpszCaption, int image, UINT menuId) {
  auto* tab = new KitTab;
  tab->window = pWnd;
  tab->handle = pWnd ? pWnd->m_hWnd : nullptr;
  tab->caption = lpszCaption ? lpszCaption : u"";
  tab->image = image;
  tab->menuId = menuId;
  m_tabs.Add(tab);
  m_nTabs = static_cast<int>(m_tabs.GetSize());
  tab->tabColor = TabColorFor(m_nTabs);
  if (pWnd && pWnd->m_hWnd) {
    if (m_bBringToTop && !m_bTabsAtBottom) {
      m_nCurrent = m_nTabs - 1;
      pWnd->ShowWindow(SW_SHOWMAXIMIZED);
    } else {
      pWnd->ShowWindow(m_nTabs == 1 ? SW_SHOW : SW_HIDE);
    }
  }
  RecalcLayout();
  return m_nTabs - 1;
}

BOOL CKitTabCtrl::DeleteTab(int index) {
  if (index < 0 || index >= m_nTabs) return FALSE;
  auto* tab = static_cast<KitTab*>(m_tabs[index]);
  // The deleted tab's window would stay over the new current one.
  if (index == m_nCurrent && ::IsWindow(tab->handle)) ::ShowWindow(tab->handle, SW_HIDE);
  delete tab;
  m_tabs.RemoveAt(index);
  m_nTabs = static_cast<int>(m_tabs.GetSize());
  if (m_nCurrent >= index) m_nCurrent = std::max(0, m_nCurrent - 1);
  if (const KitTab* current = GetTab(m_nCurrent); current && ::IsWindow(current->handle))
    ::ShowWindow(current->handle, SW_SHOW);
  RecalcLayout();
  if (m_hWnd) Invalidate();
  return TRUE;
}

void CKitTabCtrl::SetCurrentTab(int index) {
  if (index < 0 || index >= m_nTabs) return;
  if (index != m_nCurrent) {
    const KitTab* old = GetTab(m_nCurrent);
    const KitTab* next = GetTab(index);
    m_nCurrent = index;
    if (m_bBringToTop && !m_bTabsAtBottom) {
      if (::IsWindow(next->handle)) ::BringWindowToTop(next->handle);
    } else {
      if (old && ::IsWindow(old->handle)) ::ShowWindow(old->handle, SW_HIDE);
      if (::IsWindow(next->handle)) ::ShowWindow(next->handle, SW_SHOW);
    }
    // The current tab is wider with the tabs on top.
    if (!m_bTabsAtBottom) LayoutTabs();
  }
  if (m_hWnd) {
    Invalidate();
    UpdateWindow();
  }
}

BOOL CKitTabCtrl::RefreshTab(CWnd* pWnd, LPCTSTR lpszTitle) {
  if (!pWnd) return FALSE;
  const int index = FindTab(pWnd->m_hWnd);
  if (index < 0) return FALSE;
  auto* tab = static_cast<KitTab*>(m_tabs[index]);
  if (tab->caption == lpszTitle) return TRUE;
  tab->caption = lpszTitle;
  CRect r;
  pWnd->GetClientRect(&r);
  pWnd->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.Width(), r.Height()));
  RecalcLayout();
  return TRUE;
}

void CKitTabCtrl::SetStyle(int style) {
  m_nStyle = style;
  if (m_hWnd) Invalidate();
}

CRect CKitTabCtrl::WindowArea(const CRect& inner) const {
  if (m_nButtons) {
    if (m_bTabsAtBottom) return CRect(inner.left + 1, inner.top, inner.right - 1, inner.bottom - 18);
    return CRect(inner.left + 1, inner.top + 18, inner.right - 1, inner.bottom - 4);
  }
  CRect rest = inner;
  if (m_bTabsAtBottom)
    rest.bottom = m_rectTabArea.top;
  else
    rest.top = m_rectTabArea.bottom;
  return CRect(rest.left + 2, rest.top + 2, rest.right - 5, rest.bottom - 6);
}

void CKitTabCtrl::RecalcLayout() {
  if (!m_hWnd) return;
  GetClientRect(&m_rectClient);
  CRect inner = m_rectClient;
  inner.DeflateRect(1, 1);
  const int area = m_nTabHeight + kTabAreaExtra;
  m_rectTabArea = m_bTabsAtBottom ? CRect(inner.left, inner.bottom - area, inner.right, inner.bottom)
                                  : CRect(inner.left, inner.top, inner.right, inner.top + area);
  if (m_nTabs > 0) {
    const CRect place = WindowArea(inner);
    for (int i = 0; i < m_nTabs; ++i) {
      // Only its own children: the MDI tabs' windows live in the MDI client.
      HWND w = GetTab(i)->handle;
      if (::IsWindow(w) && ::GetParent(w) == m_hWnd)
        ::SetWindowPos(w, nullptr, place.left, place.top, std::max(0, place.Width()), std::max(0, place.Height()),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  LayoutTabs();
  Invalidate();
}

void CKitTabCtrl::LayoutTabs() {
  if (!m_hWnd) return;
  CClientDC dc(this);
  CFont* old = dc.SelectObject(&m_font);
  const int top = m_bTabsAtBottom ? m_rectTabArea.top : m_rectTabArea.top + 1;
  const int height = m_nTabHeight + kTabExtraHeight;
  int x = kTabsLeft;
  for (int i = 0; i < m_nTabs; ++i) {
    auto* tab = static_cast<KitTab*>(m_tabs[i]);
    int width = dc.GetTextExtent(tab->caption, tab->caption.GetLength()).cx + kCaptionPadding;
    if (m_bTabsAtBottom) width += m_nImageWidth + 2;
    if (!m_bTabsAtBottom && i == m_nCurrent) width += kCurrentTopWider;
    tab->rect = CRect(x, top, x + width, top + height);
    x += width + kTabGap;
  }
  dc.SelectObject(old);
  m_nTabsWidth = x - kTabsLeft;
  if (!m_nButtons && m_nTabs > 0 && m_nTabsWidth > m_rectClient.Width() - 4) {
    const int width = (m_rectClient.Width() - 12) / m_nTabs;
    for (int i = 0; i < m_nTabs; ++i) {
      auto* tab = static_cast<KitTab*>(m_tabs[i]);
      const int left = kTabsLeft + i * (width + kTabGap);
      tab->rect = CRect(left, top, left + width, top + height);
    }
    m_nTabsWidth = m_nTabs * (width + kTabGap);
  }
  UpdateTools();
}

void CKitTabCtrl::UpdateTools() {
  if (!m_toolTip.m_hWnd || m_nButtons) return;
  for (int i = 0; i < m_nTools; ++i) m_toolTip.DelTool(this, static_cast<UINT_PTR>(i) + 1);
  m_nTools = m_nTabs;
  for (int i = 0; i < m_nTabs; ++i)
    m_toolTip.AddTool(this, GetTab(i)->caption, &GetTab(i)->rect, static_cast<UINT_PTR>(i) + 1);
}

void CKitTabCtrl::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (m_nTabs > 0) RecalcLayout();
}

BOOL CKitTabCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CKitTabCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, GetFaceColor(m_nStyle));
  const KitTab* current = GetTab(m_nCurrent);
  const COLORREF areaColor = (m_bTabsAtBottom && m_nStyle == kKitStyleFlat) || !current ? GetLightenedFaceColor() : current->tabColor;
  dc.FillSolidRect(&m_rectTabArea, areaColor);
  DrawTabs(&dc);
}

void CKitTabCtrl::DrawTab(CDC* pDC, const KitTab& tab, const CRect& rect, bool current) {
  CRect r = rect;
  if (current && m_nStyle == kKitStyleGradient)
    KitFillHorizontalGradient(pDC, r, tab.textColor, tab.tabColor);
  else
    pDC->FillSolidRect(&r, current ? tab.tabColor : GetLightenedFaceColor());
  CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  CPen shadow(PS_SOLID, 1, GetShadowColor(m_nStyle));
  CPen frame(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
  CPen base(PS_SOLID, 1, GetThemeBaseColor());
  CPen* old = pDC->SelectObject(current ? &frame : &light);
  // The edge away from the windows stays open towards them.
  const int outer = m_bTabsAtBottom ? r.bottom - 1 : r.top;
  const int inner = m_bTabsAtBottom ? r.top : r.bottom - 1;
  pDC->MoveTo(r.left, inner);
  pDC->LineTo(r.left, outer);
  pDC->SelectObject(current ? &frame : &shadow);
  pDC->LineTo(r.right - 1, outer);
  pDC->LineTo(r.right - 1, inner - (m_bTabsAtBottom ? 1 : -1));
  if (current) {
    pDC->SelectObject(&base);
    pDC->MoveTo(r.left + 1, outer + (m_bTabsAtBottom ? -1 : 1));
    pDC->LineTo(r.right - 1, outer + (m_bTabsAtBottom ? -1 : 1));
  }
  pDC->SelectObject(old);

  CRect text = r;
  text.left += 7;
  text.right -= 2;
  if (m_bTabsAtBottom && tab.image >= 0 && m_images.GetSafeHandle()) {
    m_images.Draw(pDC, tab.image, CPoint(text.left - 3, r.top + (r.Height() - m_nImageWidth) / 2), ILD_TRANSPARENT);
    text.left += m_nImageWidth;
  }
  CFont* oldFont = pDC->SelectObject(current ? &m_boldFont : &m_font);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(GetSysColor(COLOR_BTNTEXT));
  pDC->DrawText(tab.caption, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  pDC->SelectObject(oldFont);
}

void CKitTabCtrl::DrawTabs(CDC* pDC) {
  for (int i = 0; i < m_nTabs; ++i)
    if (i != m_nCurrent) DrawTab(pDC, *GetTab(i), GetTab(i)->rect, false);
  if (const KitTab* current = GetTab(m_nCurrent)) DrawTab(pDC, *current, current->rect, true);
}

int CKitTabCtrl::HitTest(CPoint point) const {
  for (int i = 0; i < m_nTabs; ++i)
    if (GetTab(i)->rect.PtInRect(point)) return i;
  return -1;
}

void CKitTabCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  const int index = HitTest(point);
  if (index >= 0) {
    SetCurrentTab(index);
    if (m_bNotifyParent) {
      if (CFrameWnd* frame = GetParentFrame()) frame->SetWindowText(GetTab(index)->caption);
      if (CWnd* parent = GetParent()) parent->SendMessage(WM_COMMAND, kKitTabClickedCommand, reinterpret_cast<LPARAM>(m_hWnd));
    }
  }
  CWnd::OnLButtonDown(nFlags, point);
}

void CKitTabCtrl::OnRButtonDown(UINT nFlags, CPoint point) {
  const int index = HitTest(point);
  if (index >= 0 && GetTab(index)->menuId) {
    CMenu menu;
    if (menu.LoadMenu(GetTab(index)->menuId)) {
      if (CMenu* popup = menu.GetSubMenu(0)) {
        CPoint screen = point;
        ClientToScreen(&screen);
        popup->TrackPopupMenu(TPM_VERTICAL, screen.x, screen.y, AfxGetMainWnd());
      }
    }
  }
  CWnd::OnRButtonDown(nFlags, point);
}

BOOL CKitTabCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (CWnd* parent = GetParent()) {
    *pResult = parent->SendMessage(WM_NOTIFY, wParam, lParam);
    return TRUE;
  }
  return CWnd::OnNotify(wParam, lParam, pResult);
}

BOOL CKitTabCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_MOUSEMOVE && m_toolTip.m_hWnd) m_toolTip.RelayEvent(pMsg);
  return CWnd::PreTranslateMessage(pMsg);
}

void CKitTabCtrl::OnDestroy() {
  for (INT_PTR i = 0; i < m_tabs.GetSize(); ++i) delete static_cast<KitTab*>(m_tabs[i]);
  m_tabs.RemoveAll();
  m_nTabs = 0;
  m_nTools = 0;
  if (m_toolTip.m_hWnd) m_toolTip.DestroyWindow();
  CWnd::OnDestroy();
}

// --- CKitScrollTabStrip ---

BEGIN_MESSAGE_MAP(CKitScrollTabStrip, CKitTabCtrl)
ON_WM_CREATE()
ON_WM_SIZE()
ON_COMMAND(kKitTabScrollLeftCommand, OnScrollLeft)
ON_COMMAND(kKitTabScrollRightCommand, OnScrollRight)
ON_COMMAND(kKitTabCloseCommand, OnClose)
ON_CONTROL(CBN_SELCHANGE, kKitTabListId, OnTabListSelect)
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

CKitScrollTabStrip::CKitScrollTabStrip() {
  m_nButtons = 2;
  m_bTabsAtBottom = FALSE;
}

CKitScrollTabStrip::~CKitScrollTabStrip() {
  for (HICON icon : m_icons)
    if (icon) DestroyIcon(icon);
}

int CKitScrollTabStrip::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CKitTabCtrl::OnCreate(lpCreateStruct) == -1) return -1;
  m_arrows.Create(kArrowBitmap, 9, 11, kArrowMask);
  struct StripButton {
    CKitRepeatButton* button;
    UINT id;
    int image;
    const char16_t* tip;
  };
  const StripButton buttons[] = {{&m_scrollLeft, kKitTabScrollLeftCommand, 4, u"Scroll Left"},
                                 {&m_scrollRight, kKitTabScrollRightCommand, 2, u"Scroll Right"},
                                 {&m_close, kKitTabCloseCommand, 10, u"Close"}};
  int n = 0;
  for (const StripButton& entry : buttons) {
    if (!entry.button->Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, kButtonSize, kButtonSize), this, entry.id)) return -1;
    if (m_arrows.GetSafeHandle()) m_icons[n] = ImageList_GetIcon(m_arrows.GetSafeHandle(), entry.image, ILD_TRANSPARENT);
    if (m_icons[n]) entry.button->SetIcon(m_icons[n]);
    entry.button->SetIconCentred(TRUE);
    entry.button->SetTooltip(entry.tip);
    ++n;
  }
  m_scrollLeft.SetFaceColor(GetLightenedFaceColor());
  m_scrollRight.SetFaceColor(GetLightenedFaceColor());
  m_scrollLeft.EnableWindow(FALSE);
  m_scrollRight.EnableWindow(FALSE);
  m_list.Create(CBS_DROPDOWN | WS_CHILD | WS_VSCROLL, CRect(0, 0, 150, 200), this, kKitTabListId);
  PlaceButtons();
  return 0;
}

int CKitScrollTabStrip::GetVisibleWidth() const {
  return std::max(0, m_rectTabArea.Width() - 3 * kButtonSize - 4);
}

void CKitScrollTabStrip::PlaceButtons() {
  if (!m_hWnd || !m_close.m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  const int y = client.top + 1 + (m_nTabHeight + kTabAreaExtra - kButtonSize) / 2;
  int x = client.right - 2 - kButtonSize;
  for (CKitRepeatButton* button : {&m_close, &m_scrollRight, &m_scrollLeft}) {
    button->SetWindowPos(nullptr, x, y, kButtonSize, kButtonSize, SWP_NOZORDER | SWP_NOACTIVATE);
    x -= kButtonSize;
  }
}

void CKitScrollTabStrip::FillTabList() {
  if (!m_list.m_hWnd) return;
  m_list.ResetContent();
  for (int i = 0; i < m_nTabs; ++i) m_list.AddString(GetTab(i)->caption);
  m_list.SetCurSel(m_nCurrent);
}

void CKitScrollTabStrip::OnSize(UINT nType, int cx, int cy) {
  CKitTabCtrl::OnSize(nType, cx, cy);
  if (m_nTabs == 0) RecalcLayout();
}

void CKitScrollTabStrip::LayoutTabs() {
  CKitTabCtrl::LayoutTabs();
  PlaceButtons();
  FillTabList();
}

void CKitScrollTabStrip::DrawTabs(CDC* pDC) {
  const int visible = GetVisibleWidth();
  const BOOL overflow = m_nTabsWidth + kTabsLeft > visible;
  // The offset never leaves blank space where tabs could show.
  const int least = overflow ? visible - m_nTabsWidth - kTabsLeft : 0;
  m_nScrollOffset = std::clamp(m_nScrollOffset, least, 0);
  if (m_scrollLeft.m_hWnd) {
    if (m_scrollLeft.IsWindowEnabled() != overflow) m_scrollLeft.EnableWindow(overflow);
    if (m_scrollRight.IsWindowEnabled() != overflow) m_scrollRight.EnableWindow(overflow);
  }
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(m_rectTabArea.left, m_rectTabArea.top, m_rectTabArea.left + visible, m_rectTabArea.bottom);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < m_nTabs; ++i) {
      const bool current = i == m_nCurrent;
      if (current != (pass == 1)) continue;
      CRect r = GetTab(i)->rect;
      r.OffsetRect(m_nScrollOffset, 0);
      DrawTab(pDC, *GetTab(i), r, current);
      // The slanted right side: one pixel further out each row down, over the next tab.
      const COLORREF fill = current ? GetTab(i)->tabColor : GetLightenedFaceColor();
      const COLORREF edge = current ? GetSysColor(COLOR_WINDOWFRAME) : GetShadowColor(m_nStyle);
      for (int row = 1; row < r.Height(); ++row) {
        if (row > 1) pDC->FillSolidRect(r.right - 1, r.top + row, row - 1, 1, fill);
        pDC->SetPixel(r.right - 2 + row, r.top + row, edge);
      }
    }
  }
  pDC->RestoreDC(saved);
}

int CKitScrollTabStrip::HitTest(CPoint point) const {
  if (point.x >= m_rectTabArea.left + GetVisibleWidth()) return -1;
  point.x -= m_nScrollOffset;
  return CKitTabCtrl::HitTest(point);
}

void CKitScrollTabStrip::OnScrollLeft() {
  m_nScrollOffset += kScrollStep;
  Invalidate();
  UpdateWindow();
}

void CKitScrollTabStrip::OnScrollRight() {
  m_nScrollOffset -= kScrollStep;
  Invalidate();
  UpdateWindow();
}

void CKitScrollTabStrip::OnClose() { OnCloseTab(); }

void CKitScrollTabStrip::OnTabListSelect() {
  const int selected = m_list.GetCurSel();
  if (selected >= 0) SetCurrentTab(selected);
}

void CKitScrollTabStrip::OnSysColorChange() {
  CKitTabCtrl::OnSysColorChange();
  for (CKitRepeatButton* button : {&m_scrollLeft, &m_scrollRight, &m_close})
    if (button->m_hWnd) button->Invalidate();
  Invalidate();
}

// --- CKitMdiTabs ---

BEGIN_MESSAGE_MAP(CKitMdiTabs, CKitScrollTabStrip)
ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
ON_WM_TIMER()
ON_WM_PAINT()
END_MESSAGE_MAP()

CKitMdiTabs::CKitMdiTabs() {
  // Every document window shows maximised under its tab; the tab brings it forward.
  m_bBringToTop = TRUE;
  // The MDI client keeps the frame's title ("App - [Document]"); a tab's
  // caption written over it would stay there as the frame's own title.
  m_bNotifyParent = FALSE;
}

void CKitMdiTabs::SetStyle(int style) {
  m_nStyle = style;
  if (m_hWnd) {
    SendMessage(WM_NCPAINT, 1, 0);
    Invalidate();
  }
}

HWND CKitMdiTabs::ClientWindow() const {
  auto* frame = dynamic_cast<CMDIFrameWnd*>(GetParent());
  return frame ? frame->m_hWndMDIClient : nullptr;
}

LRESULT CKitMdiTabs::OnSizeParent(WPARAM, LPARAM lParam) {
  HWND client = ClientWindow();
  if (!client) return 0;
  auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
  SetTimer(kScanTimer, kFirstScanMs, nullptr);
  if (m_nTabs > 0 && ::IsWindowVisible(client)) {
    CRect place(layout->rect.left + 2, layout->rect.top, layout->rect.right - 1, layout->rect.top + kStripHeight);
    layout->rect.top += kStripHeight;
    layout->rect.left += 2;
    layout->rect.right -= 1;
    layout->rect.bottom -= 1;
    if (layout->hDWP)
      layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, place.left, place.top, place.Width(), place.Height(),
                                      SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  } else if (layout->hDWP && IsWindowVisible()) {
    layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, 0, 0, 0, 0,
                                    SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
  }
  return 0;
}

void CKitMdiTabs::Rescan() {
  HWND client = ClientWindow();
  if (!client) return;
  std::vector<HWND> windows;
  for (HWND w = ::GetWindow(client, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
    WCHAR name[32] = {};
    ::GetClassNameW(w, name, 32);
    if (std::u16string_view(name) == u"ScrollBar") continue;
    if (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_MDICHILD) windows.push_back(w);
  }
  const int before = m_nTabs;
  bool changed = false;
  // Tabs of windows that went; the rest keep their places.
  for (int i = m_nTabs - 1; i >= 0; --i) {
    const KitTab* tab = GetTab(i);
    if (std::find(windows.begin(), windows.end(), tab->handle) == windows.end()) {
      DeleteTab(i);
      changed = true;
    }
  }
  // Windows with no tab yet get one at the end, oldest first.
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    CString title;
    CWnd* w = CWnd::FromHandle(*it);
    w->GetWindowText(title);
    const int index = FindTab(*it);
    if (index < 0) {
      AddTab(w, title);
      changed = true;
    } else if (GetTab(index)->caption != title) {
      RefreshTab(w, title);
      changed = true;
    }
  }
  HWND active = reinterpret_cast<HWND>(::SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
  const int current = FindTab(active);
  if (current >= 0 && current != m_nCurrent) {
    m_nCurrent = current;
    changed = true;
  }
  if (changed) {
    LayoutTabs();
    Invalidate();
  }
  if ((before == 0) != (m_nTabs == 0)) {
    // The strip comes or goes: the frame gives it its place or takes it back.
    if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(GetParent())) frame->RecalcLayout();
  }
}

void CKitMdiTabs::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kScanTimer) {
    CKitScrollTabStrip::OnTimer(nIDEvent);
    return;
  }
  Rescan();
  SetTimer(kScanTimer, kRescanMs, nullptr);
}

void CKitMdiTabs::SetCurrentTab(int index) {
  CKitScrollTabStrip::SetCurrentTab(index);
  const KitTab* tab = GetTab(index);
  HWND client = ClientWindow();
  if (tab && ::IsWindow(tab->handle) && client) ::SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(tab->handle), 0);
}

void CKitMdiTabs::OnCloseTab() {
  const KitTab* tab = GetTab(m_nCurrent);
  if (tab && ::IsWindow(tab->handle)) ::SendMessageW(tab->handle, WM_CLOSE, 0, 0);
}

void CKitMdiTabs::OnPaint() {
  CKitScrollTabStrip::OnPaint();
  CClientDC dc(this);
  CRect r;
  GetClientRect(&r);
  CBrush frame(GetShadowColor(m_nStyle));
  dc.FrameRect(&r, &frame);
}
