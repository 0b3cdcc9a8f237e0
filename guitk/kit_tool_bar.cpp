// The toolkit's toolbar: its own row sizes, painting in the two looks, hot
// tracking on a timer, the right-click menu and the drop-down bindings.
//
// Sections: arrow width · creating · layout · dock bar questions · painting ·
// non-client · mouse · drop-downs
#include "guitk/kit_tool_bar.h"

#include <algorithm>

#include "guitk/kit_colors.h"
#include "guitk/kit_dock_context.h"
#include "guitk/kit_mini_frame.h"
#include "guitk/kit_draw.h"
#include "guitk/menu_looks.h"
#include "guitk/kit_resources.h"

IMPLEMENT_DYNAMIC(CKitToolBarWnd, CToolBar)

BEGIN_MESSAGE_MAP(CKitToolBarWnd, CToolBar)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_NCPAINT()
ON_WM_WINDOWPOSCHANGING()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_RBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_TIMER()
ON_WM_SYSCOLORCHANGE()
ON_NOTIFY_REFLECT(TBN_DROPDOWN, OnDropDown)
END_MESSAGE_MAP()

namespace {

constexpr UINT_PTR kHotTimer = 1;
constexpr UINT kHotMs = 250;
constexpr UINT kAfterClickMs = 10;
constexpr COLORREF kThemedPressed = 0x66C8F9;
constexpr COLORREF kThemedHot = 0xBAE6FC;
constexpr UINT kLeftDock[] = {AFX_IDW_DOCKBAR_LEFT, 0x1000};
constexpr UINT kRightDock[] = {AFX_IDW_DOCKBAR_RIGHT, 0x4000};
constexpr UINT kBottomDock[] = {AFX_IDW_DOCKBAR_BOTTOM, 0x8000};

int g_arrowWidth = -1;  // all ones until measured
RECT g_dropDownButton{};

bool IsSeparator(const TBBUTTON& b) { return (b.fsStyle & TBSTYLE_SEP) != 0; }

template <size_t N>
bool OneOf(UINT id, const UINT (&ids)[N]) {
  return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

}  // namespace

RECT KitDropDownButtonRect() { return g_dropDownButton; }

// --- arrow width ---

int CKitToolBarWnd::DropArrowWidth() {
  if (g_arrowWidth != -1) return g_arrowWidth;
  CFont marlett;
  marlett.CreateFont(GetSystemMetrics(SM_CYMENUCHECK), 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0,
                     u"Marlett");
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, marlett.m_hObject);
  int width = 0;
  if (!GetCharWidthW(screen, u'6', u'6', &width)) width = 0;
  SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  g_arrowWidth = width;
  return g_arrowWidth;
}

// --- creating ---

CKitToolBarWnd::CKitToolBarWnd() {
  BITMAP info{};
  if (HBITMAP arrows = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kKitCaptionGlyphs))) {
    GetObjectW(arrows, sizeof(info), &info);
    DeleteObject(arrows);
  }
  m_sizeArrowBitmap = CSize(info.bmWidth, info.bmHeight);
  m_arrows.Create(kKitCaptionGlyphs, 9, 10, RGB(255, 0, 255));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  m_captionFont.CreateFontIndirect(&metrics.lfMenuFont);
}

CKitToolBarWnd::~CKitToolBarWnd() {
  if (m_hWnd) DestroyWindow();
  for (INT_PTR i = 0; i < m_dropDowns.GetSize(); ++i) delete static_cast<DropDown*>(m_dropDowns[i]);
  m_dropDowns.RemoveAll();
}

void CKitToolBarWnd::AddDropDown(UINT nCommand, UINT nMenuId, CWnd* pWnd, UINT nValue) {
  auto* record = new DropDown{nCommand, nMenuId, pWnd, nValue};
  m_dropDowns.Add(record);
}

BOOL CKitToolBarWnd::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  return CToolBar::PreCreateWindow(cs);
}

CDockContext* CKitToolBarWnd::CreateDockContext() { return new CKitDockContext(this); }

int CKitToolBarWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CToolBar::OnCreate(lpcs) == -1) return -1;
  ModifyStyle(0, TBSTYLE_FLAT);
  SetSizes(m_sizeButton, m_sizeImage);
  return 0;
}

void CKitToolBarWnd::OnDestroy() {
  KillTimer(kHotTimer);
  for (INT_PTR i = 0; i < m_dropDowns.GetSize(); ++i) delete static_cast<DropDown*>(m_dropDowns[i]);
  m_dropDowns.RemoveAll();
  CToolBar::OnDestroy();
}

void CKitToolBarWnd::SetStyle(int style) {
  m_nStyle = style;
  if (!m_hWnd) return;
  SendMessage(WM_NCPAINT, 1, 0);
  Invalidate(TRUE);
  UpdateWindow();
}

// --- layout ---

CSize CKitToolBarWnd::CalcSize(TBBUTTON* pData, int nCount) {
  const DWORD extended = m_hWnd ? static_cast<DWORD>(SendMessage(TB_GETEXTENDEDSTYLE)) : 0;
  const bool dockedHorizontal = !m_bVertical && !IsFloating();
  int dropDowns = 0;
  for (int i = 0; i < nCount; ++i) {
    TBBUTTON& b = pData[i];
    if (IsSeparator(b) && b.idCommand != 0) {
      // A control stands on the bar only while it lies docked along an edge.
      CWnd* control = GetDlgItem(b.idCommand);
      if (dockedHorizontal) {
        if (control) control->ShowWindow(SW_SHOWNOACTIVATE);
        b.fsState &= static_cast<BYTE>(~TBSTATE_HIDDEN);
      } else {
        if (control) control->ShowWindow(SW_HIDE);
        b.fsState |= TBSTATE_HIDDEN;
      }
    }
    if ((b.fsStyle & TBSTYLE_DROPDOWN) && (extended & TBSTYLE_EX_DRAWDDARROWS)) ++dropDowns;
  }
  CSize size = CToolBar::CalcSize(pData, nCount);
  size.cx = std::max(size.cx, static_cast<LONG>(32));
  const int arrow = DropArrowWidth();
  if (dropDowns > 0) {
    // The rows were measured with the arrows in the buttons' width already.
    if (m_bVertical) size.cy += arrow - 2;
  } else if (m_bVertical) {
    size.cy += arrow / 2;
  }
  return size;
}

CSize CKitToolBarWnd::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  m_bVertical = !bHorz;
  return CalcLayout((bStretch ? LM_STRETCH : 0) | (bHorz ? LM_HORZ : 0));
}

CSize CKitToolBarWnd::CalcDynamicLayout(int nLength, DWORD dwMode) {
  if (nLength == -1 && !(dwMode & (LM_MRUWIDTH | LM_COMMIT)) && (dwMode & (LM_HORZDOCK | LM_VERTDOCK))) {
    return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZDOCK) != 0);
  }
  m_bVertical = !(dwMode & LM_HORZ);
  return CalcLayout(dwMode, nLength);
}

// --- dock bar questions ---

namespace {

UINT HoldingDockBarId(const CControlBar* bar) {
  return bar->m_pDockBar && bar->m_pDockBar->m_hWnd ? static_cast<UINT>(bar->m_pDockBar->GetDlgCtrlID()) : 0;
}

}  // namespace

BOOL CKitToolBarWnd::IsDockedLeft() const { return OneOf(HoldingDockBarId(this), kLeftDock); }
BOOL CKitToolBarWnd::IsDockedRight() const { return OneOf(HoldingDockBarId(this), kRightDock); }
BOOL CKitToolBarWnd::IsDockedBottom() const { return OneOf(HoldingDockBarId(this), kBottomDock); }
BOOL CKitToolBarWnd::IsVerticalDock() const { return IsDockedLeft() || IsDockedRight(); }

int CKitToolBarWnd::LengthAvailable() const {
  if (!m_pDockBar || !m_pDockBar->m_hWnd || IsFloating()) return 0;
  CRect rect;
  m_pDockBar->GetWindowRect(&rect);
  if (rect.IsRectEmpty()) return 0;
  return IsVerticalDock() ? rect.Height() : rect.Width();
}

// --- painting ---

COLORREF CKitToolBarWnd::HotFrameColor() const {
  if (m_bPopupOpen) return GetDeepHighlightColor();
  if (g_kitTheme && GetKitScheme() == KitScheme::Silver) return GetShadowColor(g_kitDrawStyle);
  return GetThemeBaseColor();
}

void CKitToolBarWnd::DrawBackground(CDC* pDC, const CRect& rect) {
  if (m_nStyle != kKitStyleGradient) {
    pDC->FillSolidRect(&rect, GetLightFaceColor());
    return;
  }
  const DWORD align = m_dwStyle & CBRS_ALIGN_ANY;
  const bool across = (align & CBRS_ORIENT_HORZ) || IsFloating();
  if (across) KitFillVerticalGradient(pDC, rect, GetLightenedFaceColor(), GetFaceColor(kKitStyleGradient));
  else KitFillHorizontalGradient(pDC, rect, GetLightenedFaceColor(), GetFaceColor(kKitStyleGradient));
}

BOOL CKitToolBarWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CKitToolBarWnd::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (client.IsRectEmpty()) return;
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
  CBitmap* oldBitmap = memory.SelectObject(&bitmap);
  DrawBackground(&memory, client);
  auto images = reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST));
  const int count = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
  const bool horizontalLine = (m_dwStyle & CBRS_ORIENT_HORZ) || IsFloating();
  const CRect paint(dc.m_ps.rcPaint);
  for (int i = 0; i < count; ++i) {
    TBBUTTON b{};
    SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
    if (b.fsState & TBSTATE_HIDDEN) continue;
    CRect r;
    SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    if (IsSeparator(b)) {
      if ((b.fsState & TBSTATE_WRAP) && IsFloating()) continue;
      if (b.idCommand != 0) continue;  // a control stands there
      const COLORREF shadow = GetShadowColor(m_nStyle), light = GetLightenedFaceColor();
      if (horizontalLine && !m_bVertical) {
        const int x = r.left + r.Width() / 2;
        const int top = r.top + (m_nStyle == kKitStyleGradient ? 4 : 1);
        const int bottom = r.bottom - (m_nStyle == kKitStyleGradient ? 2 : 1);
        memory.FillSolidRect(x, top, 1, bottom - top, shadow);
        memory.FillSolidRect(x + 1, top, 1, bottom - top, light);
      } else {
        const int y = r.top + r.Height() / 2;
        memory.FillSolidRect(r.left, y, r.Width(), 1, shadow);
        memory.FillSolidRect(r.left, y + 1, r.Width(), 1, light);
      }
      continue;
    }
    CRect overlap;
    if (!overlap.IntersectRect(&r, &paint)) continue;
    DrawButton(&memory, i, b, r, images);
  }
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldBitmap);
}

void CKitToolBarWnd::DrawButton(CDC* pDC, int nIndex, const TBBUTTON& b, const CRect& rect, HIMAGELIST images) {
  const bool down = (b.fsState & (TBSTATE_CHECKED | TBSTATE_PRESSED)) != 0;
  const bool checked = (b.fsState & TBSTATE_CHECKED) != 0;
  const bool enabled = (b.fsState & TBSTATE_ENABLED) != 0;
  const bool dropDown = (b.fsStyle & TBSTYLE_DROPDOWN) != 0;
  const bool hot = nIndex == m_nHotButton && enabled;
  const bool gradient = m_nStyle == kKitStyleGradient;
  const bool themed = gradient && g_kitTheme;
  const int arrow = DropArrowWidth();
  m_bHotDrawn = FALSE;
  CRect inside = rect;
  inside.DeflateRect(1, 1);
  if (hot) {
    CBrush frame(HotFrameColor());
    pDC->FrameRect(&rect, &frame);
    COLORREF fill = GetLightFaceColor();
    bool doFill = true;
    if (checked) {
      fill = GetHotColor();
    } else if (!m_bPopupOpen) {
      if (themed) fill = dropDown ? (down ? GetHotColor() : kThemedHot) : (down ? kThemedPressed : kThemedHot);
      else fill = down ? GetPressedColor() : GetHotColor();
    } else if (gradient && dropDown) {
      doFill = down;
      fill = kThemedPressed;
    } else if (themed) {
      fill = kThemedPressed;
    }
    if (doFill) pDC->FillSolidRect(&inside, fill);
    if (dropDown && !m_bPopupOpen) pDC->FillSolidRect(rect.right - arrow, rect.top, 1, rect.Height(), GetThemeBaseColor());
    m_bHotDrawn = !down && !m_bPopupOpen;
  } else if (checked) {
    CBrush frame(GetThemeBaseColor());
    pDC->FrameRect(&rect, &frame);
    pDC->FillSolidRect(&inside, themed ? kThemedPressed : GetHotColor());
  }
  // The picture.
  if (images && b.iBitmap >= 0) {
    HICON icon = ImageList_GetIcon(images, b.iBitmap, ILD_NORMAL);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    if (icon) {
      if (!enabled) {
        CBrush shadow(GetShadowColor(kKitStyleFlat));
        DrawStateW(pDC->m_hDC, static_cast<HBRUSH>(shadow.m_hObject), nullptr, reinterpret_cast<LPARAM>(icon), 0,
                   rect.left + 2, rect.top + 4, cx, cy, DST_ICON | DSS_MONO);
      } else if (m_bHotDrawn && g_kitDrawStyle != kKitStyleGradient) {
        CBrush shadow(GetShadowColor(kKitStyleFlat));
        DrawStateW(pDC->m_hDC, static_cast<HBRUSH>(shadow.m_hObject), nullptr, reinterpret_cast<LPARAM>(icon), 0,
                   rect.left + 3, rect.top + 5, cx, cy, DST_ICON | DSS_MONO);
        DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, rect.left + 1, rect.top + 3, cx, cy,
                   DST_ICON | DSS_NORMAL);
      } else {
        DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, rect.left + 2, rect.top + 4, cx, cy,
                   DST_ICON | DSS_NORMAL);
      }
      DestroyIcon(icon);
    }
    // The caption, in the menu font (a symbol font would show no letters).
    if (b.iString != -1 && !m_bVertical) {
      WCHAR text[128] = {};
      TBBUTTONINFOW info{};
      info.cbSize = sizeof(info);
      info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
      info.pszText = text;
      info.cchText = 128;
      SendMessage(TB_GETBUTTONINFOW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
      if (text[0]) {
        CFont* old = pDC->SelectObject(&m_captionFont);
        pDC->SetBkMode(TRANSPARENT);
        if (!enabled) {
          CRect area(rect.left + cx + 6, rect.top, rect.right, rect.bottom);
          const int height = pDC->GetTextExtent(u"X", 1).cy;
          DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(text)),
                     static_cast<WPARAM>(wcslen(text)), area.left, area.top + (area.Height() - height) / 2, area.Width(),
                     height, DST_PREFIXTEXT | DSS_DISABLED);
        } else {
          CRect area(rect.left + cx + 4, rect.top, rect.right, rect.bottom - 1);
          pDC->SetTextColor(GetSysColor(COLOR_BTNTEXT));
          pDC->DrawText(text, -1, &area, DT_SINGLELINE | DT_BOTTOM);
        }
        pDC->SelectObject(old);
      }
    }
  }
  if (dropDown && m_arrows.GetSafeHandle()) {
    const int y = rect.top + (rect.Height() - m_sizeArrowBitmap.cy) / 2;
    m_arrows.Draw(pDC, 0, CPoint(rect.right - arrow + 2, y), ILD_TRANSPARENT);
  }
}

// --- non-client ---

void CKitToolBarWnd::OnNcPaint() {
  CWindowDC dc(this);
  CRect window;
  GetWindowRect(&window);
  CRect client;
  GetClientRect(&client);
  ClientToScreen(&client);
  client.OffsetRect(-window.left, -window.top);
  window.OffsetRect(-window.left, -window.top);
  if (m_nStyle != kKitStyleGradient) client.DeflateRect(1, 1);
  dc.ExcludeClipRect(&client);
  const bool horizontal = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  if (m_nStyle == kKitStyleGradient) {
    DrawBackground(&dc, window);
    if (horizontal) dc.FillSolidRect(window.left, window.bottom - 1, window.Width(), 1, GetShadowColor(m_nStyle));
  } else {
    dc.FillSolidRect(&window, GetFaceColor(m_nStyle));
  }
  if (IsFloating() || !(m_dwStyle & CBRS_GRIPPER)) return;
  if (m_nStyle == kKitStyleGradient) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetShadowColor(m_nStyle);
    if (horizontal) {
      for (int y = window.top + 7; y < window.bottom - 4; y += 4) {
        dc.FillSolidRect(window.left + 5, y, 2, 2, light);
        dc.FillSolidRect(window.left + 4, y - 1, 2, 2, shadow);
      }
    } else {
      for (int x = window.left + 4; x < window.right - 2; x += 4) {
        dc.FillSolidRect(x, window.top + 3, 2, 2, light);
        dc.FillSolidRect(x - 1, window.top + 2, 2, 2, shadow);
      }
    }
    return;
  }
  const COLORREF dots = GetSysColor(COLOR_BTNSHADOW);
  if (horizontal) {
    for (int y = window.top + 6; y < window.bottom - 3; y += 2) dc.FillSolidRect(window.left + 4, y, 3, 1, dots);
  } else {
    for (int x = window.left + 2; x < window.right - 2; x += 2) dc.FillSolidRect(x, window.top + 2, 1, 3, dots);
  }
}

void CKitToolBarWnd::OnWindowPosChanging(WINDOWPOS* lpWndPos) {
  CToolBar::OnWindowPosChanging(lpWndPos);
  if (!(lpWndPos->flags & SWP_NOMOVE)) Invalidate(FALSE);
}

void CKitToolBarWnd::OnSysColorChange() {
  CToolBar::OnSysColorChange();
  Invalidate(TRUE);
  if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();
}

// --- mouse ---

void CKitToolBarWnd::OnMouseMove(UINT nFlags, CPoint point) {
  CWnd* top = GetTopLevelParent();
  const bool active = top && (::GetActiveWindow() == top->m_hWnd || GetParentFrame() != top) && top->IsWindowEnabled();
  if (active) {
    const int count = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
    for (int i = 0; i < count; ++i) {
      TBBUTTON b{};
      SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
      if (IsSeparator(b) || (b.fsState & TBSTATE_HIDDEN)) continue;
      CRect r;
      SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
      if (!r.PtInRect(point)) continue;
      if (i != m_nHotButton) {
        if (!m_rcHot.IsRectEmpty()) InvalidateRect(&m_rcHot, FALSE);
        m_nHotButton = i;
        InvalidateRect(&r, FALSE);
        m_rcHot = r;
      }
      SetTimer(kHotTimer, kHotMs, nullptr);
      break;
    }
  }
  CToolBar::OnMouseMove(nFlags, point);
}

void CKitToolBarWnd::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHotTimer) {
    CToolBar::OnTimer(nIDEvent);
    return;
  }
  const DWORD pos = GetMessagePos();
  CPoint pointer(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
  ScreenToClient(&pointer);
  if (m_rcHot.PtInRect(pointer)) return;
  m_bPressed = FALSE;
  KillTimer(kHotTimer);
  m_nHotButton = -1;
  if (!m_bPopupOpen) {
    InvalidateRect(&m_rcHot, FALSE);
    UpdateWindow();
  }
  m_rcHot.SetRectEmpty();
}

void CKitToolBarWnd::OnLButtonDown(UINT nFlags, CPoint point) {
  m_bPressed = TRUE;
  CToolBar::OnLButtonDown(nFlags, point);
}

void CKitToolBarWnd::OnLButtonUp(UINT nFlags, CPoint point) {
  CToolBar::OnLButtonUp(nFlags, point);
  if (m_bPressed) {
    m_bPressed = FALSE;
    SetTimer(kHotTimer, kAfterClickMs, nullptr);
  }
}

void CKitToolBarWnd::OnRButtonDown(UINT, CPoint point) {
  if (!m_nRightMenuId) return;
  CMenu menu;
  if (!menu.LoadMenu(LOWORD(m_nRightMenuId))) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return;
  ClientToScreen(&point);
  CWnd* owner = AfxGetMainWnd() ? AfxGetMainWnd() : GetTopLevelParent();
  popup->TrackPopupMenu(TPM_VERTICAL, point.x, point.y - 2, owner);
  Invalidate();
  UpdateWindow();
}

// --- drop-downs ---

void CKitToolBarWnd::OnDropDown(NMHDR* pNotify, LRESULT* pResult) {
  auto* nm = reinterpret_cast<NMTOOLBARW*>(pNotify);
  *pResult = 0;
  DropDown* record = nullptr;
  for (INT_PTR i = 0; i < m_dropDowns.GetSize(); ++i) {
    auto* r = static_cast<DropDown*>(m_dropDowns[i]);
    if (static_cast<int>(r->nCommand) == nm->iItem) record = r;
  }
  if (!record) return;
  CRect button;
  SendMessage(TB_GETRECT, static_cast<WPARAM>(nm->iItem), reinterpret_cast<LPARAM>(&button));
  ClientToScreen(&button);
  CWnd* owner = AfxGetMainWnd() ? AfxGetMainWnd() : GetTopLevelParent();
  if (LOWORD(record->nMenuId)) {
    CMenu menu;
    if (menu.LoadMenu(LOWORD(record->nMenuId)) && menu.GetSubMenu(0)) {
      m_bPopupOpen = TRUE;
      g_dropDownButton = button;
      menu.GetSubMenu(0)->TrackPopupMenu(TPM_VERTICAL, button.left, button.bottom - 2, owner);
      g_dropDownButton = RECT{};
      m_bPopupOpen = FALSE;
    }
    *pResult = 1;
    return;
  }
  if (!record->pWnd) return;
  m_bPopupOpen = TRUE;
  m_nCurrentDropDown = static_cast<int>(record->nCommand);
  if (!OpenTearOff(*record, button)) {
    if (record->pWnd->m_hWnd && record->pWnd->IsWindowVisible()) ::LockWindowUpdate(nullptr);
  } else {
    // The torn-off window is in place; the bar's updates are not locked to
    // it, or the bar would never repaint again.
    if (!m_rcHot.IsRectEmpty()) InvalidateRect(&m_rcHot, TRUE);
    UpdateWindow();
  }
  m_bPopupOpen = FALSE;
  *pResult = 1;
}

BOOL CKitToolBarWnd::OpenTearOff(const DropDown& record, const CRect& place) {
  CString title;
  if (record.pWnd->m_hWnd) record.pWnd->GetWindowText(title);
  RECT at = place;
  // The frame deletes itself when it closes, or at once when it cannot be made.
  // Owned by the frame, which also gets the window back when it closes.
  CWnd* owner = GetTopLevelParent();
  auto* frame = new CKitMiniFrameWnd;
  return frame->Create(owner ? owner : this, record.pWnd, &at, title, record.nValue);
}
