// The menu bar: titles as flat buttons, their popups opened by the bar in a
// loop that reopens at the neighbour the mouse or the arrow keys move to, and
// the keyboard of a menu line taken from the frame's messages before they are
// translated.
//
// Sections: fonts and messages · title button · items · document items ·
// bar · layout · painting · mouse · popup loop · keyboard
#include "guitk/menu_bar.h"

#include <algorithm>
#include <vector>

#include "guitk/kit_colors.h"
#include "guitk/kit_dock_context.h"
#include "guitk/kit_draw.h"
#include "guitk/menu_looks.h"

IMPLEMENT_DYNAMIC(CMenuBarButton, CKitToolButton)
IMPLEMENT_DYNAMIC(CMenuBarMdiButton, CKitToolButton)
IMPLEMENT_DYNAMIC(CMenuBar, CControlBar)

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverMs = 100;
constexpr int kButtonIdBase = 100;
constexpr int kIconButtonId = 1000;
constexpr DWORD kGripperStyle = 0x00400000;
constexpr int kGripper = 7;
constexpr int kTitleExtra = 18;

// --- fonts and messages ---

struct MenuBarFonts {
  CFont horizontal;
  CFont vertical;
  int rowHeight = 0;
  int textHeight = 0;
  int textOffset = 0;
};

MenuBarFonts& Fonts() {
  static MenuBarFonts fonts;
  return fonts;
}

void CreateFonts(bool again) {
  MenuBarFonts& f = Fonts();
  if (f.horizontal.m_hObject && !again) return;
  f.horizontal.DeleteObject();
  f.vertical.DeleteObject();
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  f.horizontal.CreateFontIndirect(&metrics.lfMenuFont);
  LOGFONTW vertical = metrics.lfMenuFont;
  vertical.lfEscapement = -900;
  vertical.lfOrientation = -900;
  wcscpy(vertical.lfFaceName, u"verdana");
  f.vertical.CreateFontIndirect(&vertical);
  f.rowHeight = std::max(GetSystemMetrics(SM_CYMENU), GetSystemMetrics(SM_CYSMICON));
  f.textHeight = std::abs(metrics.lfMenuFont.lfHeight);
  if (f.textHeight == 0) {
    // A zero height asks for the default: measure what the font gives.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, f.horizontal.m_hObject);
    TEXTMETRICW tm{};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    f.textHeight = tm.tmHeight;
  }
  f.textOffset = (f.rowHeight - f.textHeight) / 2;
}

CMenuBar* g_trackingBar = nullptr;
HHOOK g_filterHook = nullptr;
bool g_systemMenuOpen = false;  // the document's system menu, opened from its icon

// A maximised document's system menu offers what its state allows.
void EnableSystemCommands(HWND child, HMENU menu) {
  const auto style = static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE));
  const bool maximized = (style & WS_MAXIMIZE) != 0, minimized = (style & WS_MINIMIZE) != 0;
  auto enable = [menu](UINT command, bool on) {
    ::EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(SC_RESTORE, maximized || minimized);
  enable(SC_MOVE, !maximized);
  enable(SC_SIZE, (style & WS_THICKFRAME) && !maximized && !minimized);
  enable(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized);
  enable(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized);
}

bool IsMouseButtonDown(UINT m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
         m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN;
}

}  // namespace

UINT MenuBarGetMenuMessage() { return RegisterWindowMessageW(u"CMenuBar::WM_GETMENU"); }
UINT MenuBarSetMenuNullMessage() { return RegisterWindowMessageW(u"CMenuBar::MB_SET_MENU_NULL"); }

// --- title button ---

BEGIN_MESSAGE_MAP(CMenuBarButton, CKitToolButton)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

void CMenuBarButton::DrawItem(LPDRAWITEMSTRUCT dis) {
  auto* bar = dynamic_cast<CMenuBar*>(GetParent());
  CDC* pDC = CDC::FromHandle(dis->hDC);
  CRect r(dis->rcItem);
  pDC->FillSolidRect(&r, bar ? bar->m_crFace : GetFaceColor(kKitStyleFlat));
  CString caption;
  GetWindowText(caption);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(GetSysColor(bar && !bar->m_bFrameActive ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  CFont* old = pDC->SelectObject(bar ? bar->MenuFont(TRUE) : GetFont());
  r.OffsetRect(1, 0);
  pDC->DrawText(caption, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  pDC->SelectObject(old);
}

void CMenuBarButton::OnLButtonDown(UINT, CPoint) {
  if (CWnd* bar = GetParent()) {
    bar->SendMessage(WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID() + kButtonIdBase), reinterpret_cast<LPARAM>(m_hWnd));
  }
}

// The bar tracks the mouse over its titles, buttons included.
void CMenuBarButton::OnMouseMove(UINT nFlags, CPoint point) {
  if (CWnd* bar = GetParent()) {
    MapWindowPoints(bar, &point, 1);
    bar->SendMessage(WM_MOUSEMOVE, nFlags, MAKELPARAM(point.x, point.y));
  }
}

// --- items ---

void CMenuBarItem::Layout(CPoint at, BOOL bHorz) {
  if (bHorz) m_fsState |= kHorizontal;
  else m_fsState &= static_cast<BYTE>(~kHorizontal);
  const CSize size = (m_fsState & kHidden) ? CSize(0, 0) : (bHorz ? m_size : CSize(m_size.cy, m_size.cx));
  m_rcItem = CRect(at, size);
}

void CMenuBarItem::Repaint(CMenuBar* pBar) {
  if (pBar->m_hWnd) {
    pBar->InvalidateRect(&m_rcItem, FALSE);
  }
}

namespace {

// The hot or pressed face of an item the bar draws itself (a title, the
// document icon), with the popup's border joint registered while pressed.
void DrawItemFace(CDC* pDC, CMenuBar* pBar, const CRect& r, BYTE state) {
  const bool horizontal = (state & CMenuBarItem::kHorizontal) != 0;
  if (state & CMenuBarItem::kPressed) {
    // Open towards the popup below (or beside) so that its border joins.
    CPen pen(PS_SOLID, 1, GetShadowColor(pBar->m_nStyle));
    CPen* oldPen = pDC->SelectObject(&pen);
    pDC->FillSolidRect(r.left + 1, r.top + 1, r.Width() - 2, r.Height() - 1, GetLightFaceColor());
    if (horizontal) {
      pDC->MoveTo(r.left, r.bottom);
      pDC->LineTo(r.left, r.top);
      pDC->LineTo(r.right - 1, r.top);
      pDC->LineTo(r.right - 1, r.bottom);
    } else {
      pDC->MoveTo(r.right, r.top);
      pDC->LineTo(r.left, r.top);
      pDC->LineTo(r.left, r.bottom - 1);
      pDC->LineTo(r.right, r.bottom - 1);
    }
    pDC->SelectObject(oldPen);
    // Only a pressed item has a joint: a hot item's rectangle left registered
    // would shape the border of whatever popup opens next, anywhere.
    CRect screen = r;
    pBar->ClientToScreen(&screen);
    if (horizontal) screen.right -= 5;
    else screen.bottom -= 3;
    RegisterPressedButton(screen, horizontal ? 0 : 1);
  } else if (state & CMenuBarItem::kHot) {
    CBrush frame(GetThemeBaseColor());
    pDC->FrameRect(&r, &frame);
    CRect inside = r;
    inside.DeflateRect(1, 1);
    pDC->FillSolidRect(&inside, GetHotColor());
  }
}

// A title's or the icon's button lies over its item and shows it at rest;
// hot or pressed, the bar draws the item instead.
void PlaceItemButton(CWnd& button, const CRect& r) {
  if (button.m_hWnd) button.SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowItemButton(CWnd& button, bool plain) {
  if (!button.m_hWnd) return;
  if (plain != (button.IsWindowVisible() != FALSE)) button.ShowWindow(plain ? SW_SHOWNA : SW_HIDE);
  if (plain) button.Invalidate();
}

}  // namespace

CMenuBarTitleItem::CMenuBarTitleItem(CMenuBar* pBar, HMENU hMenu, int nPosition) : m_nPosition(nPosition) {
  WCHAR text[256] = {};
  GetMenuStringW(hMenu, static_cast<UINT>(nPosition), text, 256, MF_BYPOSITION);
  m_strCaption = text;
  m_hPopup = GetSubMenu(hMenu, nPosition);
  if (!m_hPopup) m_nCommand = GetMenuItemID(hMenu, nPosition);
  CClientDC dc(pBar);
  CFont* old = dc.SelectObject(pBar->MenuFont(TRUE));
  CString plain = m_strCaption;
  plain.Remove(u'&');
  const CSize extent = dc.GetTextExtent(plain, plain.GetLength());
  dc.SelectObject(old);
  m_size = CSize(extent.cx + kTitleExtra, Fonts().textHeight + 2 * Fonts().textOffset + 1);
  m_button.Create(m_strCaption, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, m_size.cx, m_size.cy), pBar,
                  static_cast<UINT>(nPosition));
}

CMenuBarTitleItem::~CMenuBarTitleItem() { Destroy(); }

void CMenuBarTitleItem::Destroy() {
  if (m_button.m_hWnd) m_button.DestroyWindow();
}

char16_t CMenuBarTitleItem::Mnemonic() const {
  const int at = m_strCaption.Find(u'&');
  if (at < 0 || at + 1 >= m_strCaption.GetLength()) return 0;
  char16_t c = m_strCaption[at + 1];
  if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return c;
}

void CMenuBarTitleItem::Layout(CPoint at, BOOL bHorz) {
  CMenuBarItem::Layout(at, bHorz);
  PlaceItemButton(m_button, m_rcItem);
}

// Horizontal titles show their button at rest; vertical ones are drawn by the bar.
void CMenuBarTitleItem::Repaint(CMenuBar* pBar) {
  ShowItemButton(m_button, !(m_fsState & (kHot | kPressed | kHidden)) && (m_fsState & kHorizontal));
  CMenuBarItem::Repaint(pBar);
}

void CMenuBarTitleItem::TakeFaceColor(COLORREF color) {
  if (m_button.m_hWnd) m_button.SetFaceColor(color);
}

void CMenuBarTitleItem::Draw(CDC* pDC, CMenuBar* pBar) {
  if (m_fsState & kHidden) return;
  CRect r = m_rcItem;
  pDC->FillSolidRect(&r, pBar->m_crFace);
  if (!(m_fsState & (kHot | kPressed)) && (m_fsState & kHorizontal)) return;  // the button shows it
  const bool horizontal = (m_fsState & kHorizontal) != 0;
  DrawItemFace(pDC, pBar, r, m_fsState);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(GetSysColor((m_fsState & kInactive) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  CFont* old = pDC->SelectObject(pBar->MenuFont(horizontal));
  if (horizontal) {
    CRect text = r;
    text.OffsetRect(1, 0);
    pDC->DrawText(m_strCaption, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  } else {
    CString plain = m_strCaption;
    plain.Remove(u'&');
    const int shift = (m_fsState & kPressed) ? 1 : 0;
    const int oldMode = SetGraphicsMode(pDC->m_hDC, GM_ADVANCED);
    const int x = r.right - pBar->TextOffset() + shift;
    const int y = r.top + kTitleExtra / 2 + shift;
    pDC->TextOut(x, y, plain);
    SetGraphicsMode(pDC->m_hDC, oldMode);
    // The mnemonic's underline, drawn by hand: the vertical text has no prefix processing.
    const int at = m_strCaption.Find(u'&');
    if (at >= 0 && at + 1 < m_strCaption.GetLength()) {
      const CString before = plain.Left(at);
      const int from = y + pDC->GetTextExtent(before, before.GetLength()).cx;
      const CString mnemonic = plain.Mid(at, 1);
      const int length = pDC->GetTextExtent(mnemonic, 1).cx;
      CPen pen(PS_SOLID, 1, GetSysColor(COLOR_MENUTEXT));
      CPen* oldPen = pDC->SelectObject(&pen);
      pDC->MoveTo(x - Fonts().textHeight - 1, from);
      pDC->LineTo(x - Fonts().textHeight - 1, from + length);
      pDC->SelectObject(oldPen);
    }
  }
  pDC->SelectObject(old);
}

void CMenuBarTitleItem::Track(CMenuBar* pBar, CWnd* pFrame) {
  if (!m_hPopup) {
    pFrame->SendMessage(WM_COMMAND, m_nCommand, 0);
    return;
  }
  pBar->TrackItemPopup(m_hPopup, m_rcItem, pFrame, 0);
}

// --- document items ---

BEGIN_MESSAGE_MAP(CMenuBarMdiButton, CKitToolButton)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

void CMenuBarMdiButton::DrawItem(LPDRAWITEMSTRUCT dis) {
  CKitToolButton::DrawItem(dis);  // the face, framed while hot or pressed
  const CRect r(dis->rcItem);
  const int shift = (dis->itemState & ODS_SELECTED) ? 1 : 0;
  if (m_hDocIcon) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    ::DrawIconEx(dis->hDC, r.left + (r.Width() - cx) / 2, r.top + (r.Height() - cy) / 2, m_hDocIcon, cx, cy, 0,
                 nullptr, DI_NORMAL);
    return;
  }
  KitGlyphStore& glyphs = GetKitGlyphStore();
  IMAGEINFO info{};
  if (m_nGlyph < 0 || !glyphs.images.GetImageInfo(m_nGlyph, &info)) return;
  const int cx = info.rcImage.right - info.rcImage.left, cy = info.rcImage.bottom - info.rcImage.top;
  const CPoint at(r.left + (r.Width() - cx) / 2 + shift, r.top + (r.Height() - cy) / 2 + shift);
  glyphs.images.Draw(CDC::FromHandle(dis->hDC), m_nGlyph, at, ILD_TRANSPARENT);
}

// The icon opens its menu on the press, as a title does; the system buttons
// act on the release, as buttons do.
void CMenuBarMdiButton::OnLButtonDown(UINT nFlags, CPoint point) {
  if (!IsIconButton()) {
    CKitToolButton::OnLButtonDown(nFlags, point);
    return;
  }
  if (CWnd* bar = GetParent())
    bar->SendMessage(WM_COMMAND, static_cast<WPARAM>(kIconButtonId), reinterpret_cast<LPARAM>(m_hWnd));
}

void CMenuBarMdiButton::OnMouseMove(UINT nFlags, CPoint point) {
  if (!IsIconButton()) {
    CKitToolButton::OnMouseMove(nFlags, point);
    return;
  }
  if (CWnd* bar = GetParent()) {
    MapWindowPoints(bar, &point, 1);
    bar->SendMessage(WM_MOUSEMOVE, nFlags, MAKELPARAM(point.x, point.y));
  }
}

CMenuBarIconItem::CMenuBarIconItem(CMenuBar* pBar) {
  m_size = CSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  m_fsState |= kHidden;
  // Like the titles' buttons it takes the bar's face colour; only the system buttons have a style of their own.
  m_button.Create(u"", WS_CHILD | BS_OWNERDRAW, CRect(0, 0, m_size.cx, m_size.cy), pBar, CMenuBarMdiButton::kIconId);
}

CMenuBarIconItem::~CMenuBarIconItem() { Destroy(); }

void CMenuBarIconItem::Destroy() {
  if (m_button.m_hWnd) m_button.DestroyWindow();
}

void CMenuBarIconItem::SetChild(HWND hWndChild) {
  m_hWndChild = hWndChild;
  m_hIcon = nullptr;
  if (hWndChild) {
    m_hIcon = reinterpret_cast<HICON>(::SendMessageW(hWndChild, WM_GETICON, ICON_SMALL, 0));
    if (!m_hIcon) m_hIcon = reinterpret_cast<HICON>(::GetClassLongPtrW(hWndChild, GCLP_HICONSM));
    if (!m_hIcon) m_hIcon = reinterpret_cast<HICON>(::GetClassLongPtrW(hWndChild, GCLP_HICON));
  }
  if (!m_hIcon) m_hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  m_button.m_hDocIcon = m_hIcon;
}

void CMenuBarIconItem::Layout(CPoint at, BOOL bHorz) {
  CMenuBarItem::Layout(at, bHorz);
  PlaceItemButton(m_button, m_rcItem);
}

void CMenuBarIconItem::Repaint(CMenuBar* pBar) {
  ShowItemButton(m_button, !(m_fsState & (kHot | kPressed | kHidden)));
  CMenuBarItem::Repaint(pBar);
}

void CMenuBarIconItem::TakeFaceColor(COLORREF color) {
  if (m_button.m_hWnd) m_button.SetFaceColor(color);
}

void CMenuBarIconItem::Draw(CDC* pDC, CMenuBar* pBar) {
  if (m_fsState & kHidden) return;
  pDC->FillSolidRect(&m_rcItem, pBar->m_crFace);
  if (!(m_fsState & (kHot | kPressed))) return;  // the button shows it
  DrawItemFace(pDC, pBar, m_rcItem, m_fsState);
  const int shift = (m_fsState & kPressed) ? 1 : 0;
  if (m_hIcon)
    ::DrawIconEx(pDC->m_hDC, m_rcItem.left + shift, m_rcItem.top + shift, m_hIcon, m_rcItem.Width(),
                 m_rcItem.Height(), 0, nullptr, DI_NORMAL);
}

void CMenuBarIconItem::Track(CMenuBar* pBar, CWnd* pFrame) {
  HWND child = m_hWndChild;
  HMENU system = ::IsWindow(child) ? ::GetSystemMenu(child, FALSE) : nullptr;
  if (!system) return;
  EnableSystemCommands(child, system);
  g_systemMenuOpen = true;
  const UINT command = pBar->TrackItemPopup(system, m_rcItem, pFrame, TPM_RETURNCMD);
  g_systemMenuOpen = false;
  // Posted: closing the document rebuilds the bar, which must not happen under this item.
  if (command) ::PostMessageW(child, WM_SYSCOMMAND, command, 0);
}

CMenuBarControlItem::CMenuBarControlItem(CMenuBar* pBar) {
  m_fFlags = 0;  // the buttons take the clicks; the keyboard passes by
  m_fsState |= kHidden;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  m_button = CSize(metrics.iMenuHeight - 2 * metrics.iBorderWidth, metrics.iMenuHeight - 4 * metrics.iBorderWidth);
  m_size = CSize(3 * m_button.cx + 3, m_button.cy + 2);
  static const char16_t* const tips[3] = {u"Minimize", u"Restore", u"Close"};
  for (int i = 0; i < 3; ++i) {
    CMenuBarMdiButton& button = m_buttons[i];
    button.m_nGlyph = i;
    button.Create(u"", WS_CHILD | BS_OWNERDRAW, CRect(CPoint(0, 0), m_button), pBar, kCommands[i]);
    button.SetStyle(kKitStyleMdiButtons, TRUE);
    button.SetTooltip(tips[i]);
  }
}

CMenuBarControlItem::~CMenuBarControlItem() { Destroy(); }

void CMenuBarControlItem::Destroy() {
  for (CMenuBarMdiButton& button : m_buttons) {
    if (button.m_hWnd) button.DestroyWindow();
  }
}

void CMenuBarControlItem::SetButtonStyle(int style) {
  for (CMenuBarMdiButton& button : m_buttons) {
    if (button.m_hWnd) button.SetStyle(style, TRUE);
  }
}

// The buttons in a row (a column on a vertical bar), one pixel apart.
void CMenuBarControlItem::Layout(CPoint at, BOOL bHorz) {
  CMenuBarItem::Layout(at, bHorz);
  const bool shown = !(m_fsState & kHidden);
  for (int i = 0; i < 3; ++i) {
    CMenuBarMdiButton& button = m_buttons[i];
    if (!button.m_hWnd) continue;
    const int step = i * (bHorz ? m_button.cx + 1 : m_button.cy + 1);
    const CPoint corner = bHorz ? CPoint(m_rcItem.left + step, m_rcItem.top + 1)
                                : CPoint(m_rcItem.left + 1, m_rcItem.top + step);
    button.SetWindowPos(nullptr, corner.x, corner.y, m_button.cx, m_button.cy,
                        SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
}

void CMenuBarControlItem::Repaint(CMenuBar* pBar) {
  CMenuBarItem::Repaint(pBar);
  if (m_fsState & kHidden) return;
  for (CMenuBarMdiButton& button : m_buttons) {
    if (button.m_hWnd) button.Invalidate();
  }
}

void CMenuBarControlItem::Draw(CDC* pDC, CMenuBar* pBar) {
  if (!(m_fsState & kHidden)) pDC->FillSolidRect(&m_rcItem, pBar->m_crFace);
}

// --- bar ---

BEGIN_MESSAGE_MAP(CMenuBar, CControlBar)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_TIMER()
ON_WM_SETCURSOR()
ON_WM_NCPAINT()
ON_WM_NCHITTEST()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

// Hooked on the frame: activation greys the titles, the popup flags follow
// the selection, and a settings change rebuilds the titles.
class CMenuBarFrameHook : public CSubclassWnd {
 public:
  explicit CMenuBarFrameHook(CMenuBar* bar) : m_pBar(bar) {}
  bool FloatingBarActive() const {
    const HWND active = ::GetActiveWindow();
    return active && ::GetWindow(active, GW_OWNER) == m_hWnd &&
           dynamic_cast<CMiniFrameWnd*>(CWnd::FromHandlePermanent(active)) != nullptr;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SYSCOLORCHANGE:
      case WM_SETTINGCHANGE: {
        const LRESULT result = CSubclassWnd::WindowProc(message, wParam, lParam);
        CreateFonts(true);
        m_pBar->BuildItems();
        if (CFrameWnd* frame = m_pBar->GetParentFrame()) frame->RecalcLayout();
        return result;
      }
      case WM_NCACTIVATE: {
        // A floating bar of the frame taking the activation leaves the frame
        // drawn active: its titles stay black as its caption does.
        const bool active = wParam != 0 || FloatingBarActive();
        m_pBar->m_bFrameActive = active;
        for (CMenuBarItem* item : m_pBar->m_items) {
          if (active) item->m_fsState &= static_cast<BYTE>(~CMenuBarItem::kInactive);
          else item->m_fsState |= CMenuBarItem::kInactive;
          item->Repaint(m_pBar);
        }
        break;
      }
      case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU && m_pBar->KeyMenu(static_cast<char16_t>(lParam))) return 0;
        break;
      case WM_MENUSELECT: {
        const UINT flags = HIWORD(wParam);
        const auto menu = reinterpret_cast<HMENU>(lParam);
        if (flags != 0xFFFF || menu) {
          const HMENU own = m_pBar->ItemPopup(m_pBar->m_nHotItem);
          m_pBar->m_bNoSubmenu = !(flags & MF_POPUP);
          m_pBar->m_bOwnPopup = own && menu == own;
        }
        break;
      }
      case WM_INITMENUPOPUP:
        // Not for a system menu: the window list of the document windows.
        if (m_pBar->m_bMdi && !HIWORD(lParam) && reinterpret_cast<HMENU>(wParam) == m_pBar->m_hWindowMenu) {
          const LRESULT result = CSubclassWnd::WindowProc(message, wParam, lParam);
          m_pBar->BuildWindowList();
          return result;
        }
        break;
      default:
        if (message == MenuBarGetMenuMessage()) return reinterpret_cast<LRESULT>(m_pBar->m_hMenu);
        break;
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
  }

 private:
  CMenuBar* m_pBar;
};

// The MDI client's menu messages: a new frame menu goes to the bar, not to
// the frame's own menu line, which stays empty.
class CMenuBarClientHook : public CSubclassWnd {
 public:
  explicit CMenuBarClientHook(CMenuBar* bar) : m_pBar(bar) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_MDIREFRESHMENU) {
      m_pBar->UpdateMdiItems();
      return 0;
    }
    switch (message) {
      case WM_MDIACTIVATE:
      case WM_MDIMAXIMIZE:
      case WM_MDIRESTORE:
      case WM_MDIDESTROY:
      case WM_MDINEXT:
      case WM_MDICREATE: {
        // The maximised document may have changed: its items follow at once.
        const LRESULT result = CSubclassWnd::WindowProc(message, wParam, lParam);
        m_pBar->UpdateMdiItems();
        return result;
      }
      default:
        break;
    }
    if (message == WM_MDISETMENU && wParam) {
      const BOOL owned = m_pBar->m_bOwnMenu;
      HMENU old = m_pBar->SetMenu(reinterpret_cast<HMENU>(wParam), reinterpret_cast<HMENU>(lParam));
      if (CWnd* frame = m_pBar->GetParentFrame()) ::SetMenu(frame->m_hWnd, nullptr);
      // A menu the bar loaded itself is nobody else's to free.
      if (owned && old && old != reinterpret_cast<HMENU>(wParam)) {
        ::DestroyMenu(old);
        old = nullptr;
      }
      return reinterpret_cast<LRESULT>(old);
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
  }

 private:
  CMenuBar* m_pBar;
};

void CMenuBar::BuildWindowList() {
  HMENU menu = m_hWindowMenu;
  if (!menu || !m_hWndClient) return;
  int count = ::GetMenuItemCount(menu);
  bool hadList = false;
  for (int i = 0; i < count; ++i) {
    const UINT id = ::GetMenuItemID(menu, i);
    if (id != static_cast<UINT>(-1) && id >= AFX_IDM_FIRST_MDICHILD) {
      while (::GetMenuItemCount(menu) > i) ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
      hadList = true;
      break;
    }
  }
  const auto active = reinterpret_cast<HWND>(::SendMessageW(m_hWndClient, WM_MDIGETACTIVE, 0, 0));
  for (int n = 0;; ++n) {
    HWND child = ::GetDlgItem(m_hWndClient, AFX_IDM_FIRST_MDICHILD + n);
    if (!child) break;
    if (n == 0 && !hadList) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const UINT id = static_cast<UINT>(AFX_IDM_FIRST_MDICHILD + n);
    if (n == 9) {
      ::AppendMenuW(menu, MF_STRING, id, u"&More windows...");
      break;
    }
    WCHAR title[256] = {};
    ::GetWindowTextW(child, title, 256);
    CString text;
    text.Format(u"&%d %s", n + 1, title);
    ::AppendMenuW(menu, MF_STRING | (child == active ? MF_CHECKED : 0), id, text);
  }
}

CMenuBar::CMenuBar() : m_crFace(GetFaceColor(kKitStyleFlat)) {
  m_cxLeftBorder = m_cxRightBorder = 0;
  m_cyTopBorder = m_cyBottomBorder = 0;
}

CMenuBar::~CMenuBar() {
  DeleteItems();
  if (m_hWnd) DestroyWindow();
  delete m_pFrameHook;
  delete m_pClientHook;
  if (m_bOwnMenu && m_hMenu) ::DestroyMenu(m_hMenu);
}

BOOL CMenuBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  m_dwStyle = dwStyle & CBRS_ALL;
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
  // The bar's alignment and border bits are not window styles; the window
  // keeps the child bits it is given and always clips its title buttons.
  const DWORD windowStyle = (dwStyle & ~static_cast<DWORD>(0x0040FFF1)) | 0x0200000E;
  return CWnd::CreateEx(0, cls, u"MenuBar", windowStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

int CMenuBar::OnCreate(LPCREATESTRUCT lpcs) {
  if (CControlBar::OnCreate(lpcs) == -1) return -1;
  CreateFonts(false);
  if (CWnd* frame = GetParentFrame()) {
    m_pFrameHook = new CMenuBarFrameHook(this);
    m_pFrameHook->HookWindow(frame);
    if (auto* mdi = dynamic_cast<CMDIFrameWnd*>(frame); mdi && mdi->m_hWndMDIClient) {
      m_bMdi = TRUE;
      m_hWndClient = mdi->m_hWndMDIClient;
      m_pClientHook = new CMenuBarClientHook(this);
      m_pClientHook->HookWindow(m_hWndClient);
    }
  }
  return 0;
}

void CMenuBar::OnDestroy() {
  if (m_nHoverTimer) KillTimer(kHoverTimer);
  m_nHoverTimer = 0;
  DeleteItems();
  if (m_pFrameHook) m_pFrameHook->HookWindow(static_cast<HWND>(nullptr));
  if (m_pClientHook) m_pClientHook->HookWindow(static_cast<HWND>(nullptr));
  CControlBar::OnDestroy();
}

BOOL CMenuBar::LoadMenu(UINT nIDResource) {
  CWnd* frame = GetParentFrame();
  if (frame && ::GetMenu(frame->m_hWnd)) PostMessage(MenuBarSetMenuNullMessage(), reinterpret_cast<WPARAM>(frame->m_hWnd));
  HMENU menu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
  if (!menu) {
    SetMenu(nullptr);
    return FALSE;
  }
  if (m_bOwnMenu && m_hMenu) ::DestroyMenu(m_hMenu);
  m_hMenu = nullptr;
  SetMenu(menu);
  m_bOwnMenu = TRUE;
  return TRUE;
}

HMENU CMenuBar::SetMenu(HMENU hMenu, HMENU hWindowMenu) {
  HMENU old = m_hMenu;
  m_hMenu = hMenu;
  m_bOwnMenu = FALSE;
  m_hWindowMenu = hWindowMenu;
  // An MDI frame's window menu, when not named, is found as the framework finds it.
  if (!m_hWindowMenu && m_bMdi && hMenu) {
    if (auto* mdi = dynamic_cast<CMDIFrameWnd*>(GetParentFrame())) m_hWindowMenu = mdi->GetWindowMenuPopup(hMenu);
  }
  BuildItems();
  Refresh();
  return old;
}

void CMenuBar::DeleteItems() {
  for (CMenuBarItem* item : m_items) delete item;
  m_items.clear();
  m_pIconItem = nullptr;
  m_pControlItem = nullptr;
  m_nHotItem = -1;
  m_nTrackingState = 0;
}

void CMenuBar::BuildItems() {
  DeleteItems();
  if (!m_hWnd || !m_hMenu) return;
  // An MDI frame's bar holds the document's icon first and its buttons last,
  // shown while a document is maximised.
  if (m_bMdi) {
    m_pIconItem = new CMenuBarIconItem(this);
    m_items.push_back(m_pIconItem);
  }
  const int count = GetMenuItemCount(m_hMenu);
  for (int i = 0; i < count; ++i) m_items.push_back(new CMenuBarTitleItem(this, m_hMenu, i));
  if (m_bMdi) {
    m_pControlItem = new CMenuBarControlItem(this);
    m_items.push_back(m_pControlItem);
    ShowMdiItems(m_bChildMaximized ? m_hWndLastChild : nullptr);
  }
  for (CMenuBarItem* item : m_items) {
    if (!m_bFrameActive) item->m_fsState |= CMenuBarItem::kInactive;
    item->TakeFaceColor(m_crFace);
  }
}

void CMenuBar::ShowMdiItems(HWND hWndChild) {
  if (!m_pIconItem || !m_pControlItem) return;
  m_pIconItem->SetChild(hWndChild);
  for (CMenuBarItem* item : {static_cast<CMenuBarItem*>(m_pIconItem), static_cast<CMenuBarItem*>(m_pControlItem)}) {
    if (hWndChild) item->m_fsState &= static_cast<BYTE>(~CMenuBarItem::kHidden);
    else item->m_fsState |= CMenuBarItem::kHidden;
  }
}

void CMenuBar::UpdateMdiItems() {
  if (!m_bMdi || !m_hWnd || !::IsWindow(m_hWndClient)) return;
  BOOL maximized = FALSE;
  const auto active =
      reinterpret_cast<HWND>(::SendMessageW(m_hWndClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
  const BOOL shown = active && maximized;
  if (shown == m_bChildMaximized && active == m_hWndLastChild) return;
  m_bChildMaximized = shown;
  m_hWndLastChild = active;
  // A selection on an item that goes away ends.
  if (!shown && m_nTrackingState != 2 && m_nHotItem >= 0 && GetItem(m_nHotItem) == m_pIconItem)
    SetTrackingState(0, -1);
  ShowMdiItems(shown ? active : nullptr);
  Refresh();
}

BOOL CMenuBar::OnMdiButton(UINT nCommand, HWND hWndButton) {
  if (!m_pControlItem || !m_bChildMaximized) return FALSE;
  for (const CMenuBarMdiButton& button : m_pControlItem->m_buttons) {
    if (button.m_hWnd != hWndButton || !::IsWindow(m_hWndLastChild)) continue;
    // Posted: the document's going rebuilds the bar, which must not happen under the button.
    ::PostMessageW(m_hWndLastChild, WM_SYSCOMMAND, nCommand, 0);
    return TRUE;
  }
  return FALSE;
}

void CMenuBar::Refresh() {
  if (!m_hWnd) return;
  Invalidate();
  if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();
  if (m_pDockSite && m_pDockSite != GetParentFrame()) m_pDockSite->RecalcLayout();
}

void CMenuBar::SetStyle(int style) {
  m_nStyle = style;
  m_crFace = GetFaceColor(style);
  for (CMenuBarItem* item : m_items) item->TakeFaceColor(m_crFace);
  if (m_pControlItem) m_pControlItem->SetButtonStyle(kKitStyleMdiButtons);
  if (!m_hWnd) return;
  SendMessage(WM_NCPAINT, 1, 0);
  Invalidate(TRUE);
  UpdateWindow();
}

CMenuBarItem* CMenuBar::GetItem(int nIndex) const {
  return nIndex >= 0 && nIndex < GetItemCount() ? m_items[static_cast<size_t>(nIndex)] : nullptr;
}

BOOL CMenuBar::IsHorizontal() const {
  if (IsFloating()) return TRUE;
  return (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
}

CFont* CMenuBar::MenuFont(BOOL bHorz) const {
  CreateFonts(false);
  return bHorz ? &Fonts().horizontal : &Fonts().vertical;
}

int CMenuBar::TextOffset() const { return Fonts().textOffset; }

void CMenuBar::OnUpdateCmdUI(CFrameWnd*, BOOL) { UpdateMdiItems(); }

CDockContext* CMenuBar::CreateDockContext() { return new CKitDockContext(this); }

LRESULT CMenuBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && lParam) {
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && OnMdiButton(static_cast<UINT>(id), reinterpret_cast<HWND>(lParam))) return 0;
    // A title's button, or the document icon, was pressed; in an MDI frame
    // the icon is the first item and the titles come after it.
    int index = -1;
    if (id == kIconButtonId) index = 0;
    else if (id >= kButtonIdBase) index = id - kButtonIdBase + (m_bMdi ? 1 : 0);
    if (CMenuBarItem* item = GetItem(index); item && (item->m_fFlags & CMenuBarItem::kHitTest)) {
      OpenItem(index);
      return 0;
    }
  }
  if (message == MenuBarSetMenuNullMessage()) {
    ::SetMenu(reinterpret_cast<HWND>(wParam), nullptr);
    return 0;
  }
  return CControlBar::WindowProc(message, wParam, lParam);
}

// --- layout ---

CSize CMenuBar::WrapItems(int nWidth) {
  int x = 0;
  for (size_t i = 0; i < m_items.size(); ++i) {
    CMenuBarItem* item = m_items[i];
    item->m_fsState &= static_cast<BYTE>(~CMenuBarItem::kRowBreak);
    const int width = (item->m_fsState & CMenuBarItem::kHidden) ? 0 : item->m_size.cx;
    x += width;
    if (i + 1 < m_items.size()) {
      const int next = (m_items[i + 1]->m_fsState & CMenuBarItem::kHidden) ? 0 : m_items[i + 1]->m_size.cx;
      if (x + next > nWidth) {
        item->m_fsState |= CMenuBarItem::kRowBreak;
        x = 0;
      }
    }
  }
  return BlockSize();
}

CSize CMenuBar::BlockSize() const {
  CSize block(0, 0);
  int row = 0, rowHeight = 0;
  for (CMenuBarItem* item : m_items) {
    if (!(item->m_fsState & CMenuBarItem::kHidden)) {
      row += item->m_size.cx;
      rowHeight = std::max(rowHeight, static_cast<int>(item->m_size.cy));
    }
    if (item->m_fsState & CMenuBarItem::kRowBreak) {
      block.cx = std::max(block.cx, static_cast<LONG>(row));
      block.cy += rowHeight;
      row = rowHeight = 0;
    }
  }
  block.cx = std::max(block.cx, static_cast<LONG>(row));
  block.cy += rowHeight;
  return block;
}

void CMenuBar::PlaceItems() {
  const BOOL horz = IsHorizontal();
  int x = 0, y = 0;
  for (CMenuBarItem* item : m_items) {
    item->Layout(CPoint(x, y), horz);
    if (!horz) {
      y += item->m_rcItem.Height();
      continue;
    }
    x += item->m_rcItem.Width();
    if (item->m_fsState & CMenuBarItem::kRowBreak) {
      x = 0;
      y += item->m_size.cy;
    }
  }
  PlaceControlItem();
  for (CMenuBarItem* item : m_items) item->Repaint(this);
}

// The document's buttons keep to the trailing end of the bar, as on a menu line.
void CMenuBar::PlaceControlItem() {
  if (!m_pControlItem || (m_pControlItem->m_fsState & CMenuBarItem::kHidden) || !m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  const CRect placed = m_pControlItem->m_rcItem;
  if (IsHorizontal()) {
    const int x = std::max<int>(placed.left, client.right - placed.Width());
    m_pControlItem->Layout(CPoint(x, placed.top), TRUE);
  } else {
    const int y = std::max<int>(placed.top, client.bottom - placed.Height());
    m_pControlItem->Layout(CPoint(placed.left, y), FALSE);
  }
}

int CMenuBar::LengthAvailable() const {
  if (IsFloating() || !GetParentFrame()) {
    CRect client;
    GetClientRect(&client);
    return IsHorizontal() ? client.Width() : client.Height();
  }
  CRect frame;
  GetParentFrame()->GetWindowRect(&frame);
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, IsHorizontal());
  if (IsHorizontal()) return frame.Width() - 2 * GetSystemMetrics(SM_CXFRAME) - inside.left + inside.right;
  return frame.Height() - 2 * GetSystemMetrics(SM_CYFRAME) - inside.top + inside.bottom -
         2 * (2 * GetSystemMetrics(SM_CYBORDER));
}

CSize CMenuBar::NonClientSize() const {
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, IsHorizontal());
  return CSize(-inside.Width(), -inside.Height());
}

void CMenuBar::CalcInsideRect(CRect& rect, BOOL bHorz) const {
  const int cx = 2 * GetSystemMetrics(SM_CXBORDER), cy = 2 * GetSystemMetrics(SM_CYBORDER);
  if (m_dwStyle & CBRS_BORDER_LEFT) rect.left += cx;
  if (m_dwStyle & CBRS_BORDER_TOP) rect.top += cy;
  if (m_dwStyle & CBRS_BORDER_RIGHT) rect.right -= cx;
  if (m_dwStyle & CBRS_BORDER_BOTTOM) rect.bottom -= cy;
  if (IsFloating()) {
    rect.top += 4;
    return;
  }
  if (m_dwStyle & kGripperStyle) {
    if (bHorz) rect.left += kGripper;
    else rect.top += kGripper;
  }
  if (bHorz) {
    rect.left += 4;
    rect.top += 4;
  } else {
    rect.left += 1;
    rect.top += 2;
  }
}

CSize CMenuBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  return CalcDynamicLayout(-1, (bStretch ? LM_STRETCH : 0) | (bHorz ? LM_HORZ | LM_HORZDOCK : LM_VERTDOCK));
}

CSize CMenuBar::CalcDynamicLayout(int nLength, DWORD dwMode) {
  const BOOL floating = IsFloating();
  const BOOL horz = floating || ((dwMode & LM_HORZ) && !(dwMode & LM_VERTDOCK));
  CSize block;
  if (floating && nLength != -1 && !(dwMode & LM_MRUWIDTH)) {
    // The user sizes the floating bar: search the wrap width whose layout meets the length.
    const bool byHeight = (dwMode & LM_LENGTHY) != 0;
    const CSize nc = NonClientSize();
    const int wanted = nLength - (byHeight ? nc.cy : nc.cx);
    int narrow = 0, wide = 32767;
    CSize lo = WrapItems(narrow), hi = WrapItems(wide);
    int best = byHeight ? wide : narrow;
    for (int guard = 0; guard < 32 && narrow < wide; ++guard) {
      const int middle = (narrow + wide) / 2;
      const CSize size = WrapItems(middle);
      const int length = byHeight ? size.cy : size.cx;
      if (size == lo || size == hi) {
        if (length <= wanted) best = middle;
        if (size == lo) narrow = middle + 1;
        else wide = middle;
        continue;
      }
      if (length <= wanted) {
        best = middle;
        if (byHeight) wide = middle; else narrow = middle + 1;
      } else {
        if (byHeight) narrow = middle + 1; else wide = middle;
      }
    }
    block = WrapItems(best);
    if (dwMode & LM_COMMIT) m_nWrapWidth = best;
  } else if (floating) {
    block = WrapItems(m_nWrapWidth);
  } else if (horz) {
    block = WrapItems(std::max(0, LengthAvailable()));
    // With a document's buttons the bar takes the whole line, for them to sit at its end.
    // (A column keeps its length: a side dock bar is shorter than the frame.)
    if (ControlItemShown()) block.cx = std::max<LONG>(block.cx, LengthAvailable());
  } else {
    for (CMenuBarItem* item : m_items) item->m_fsState &= static_cast<BYTE>(~CMenuBarItem::kRowBreak);
    block = CSize(0, 0);
    for (CMenuBarItem* item : m_items) {
      if (item->m_fsState & CMenuBarItem::kHidden) continue;
      block.cx = std::max(block.cx, item->m_size.cy);
      block.cy += item->m_size.cx;
    }
  }
  const CSize nc = NonClientSize();
  CSize size(block.cx + nc.cx, block.cy + nc.cy);
  if (horz) size.cy += 1;
  else size.cx += 2;
  if ((dwMode & LM_COMMIT) || !floating) PlaceItems();
  if (floating) {
    // The menu line cannot be closed away; only docked again.
    if (CWnd* holder = GetParentFrame(); holder && holder->m_hWnd) {
      if (HMENU system = ::GetSystemMenu(holder->m_hWnd, FALSE)) ::EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }
  }
  return size;
}

void CMenuBar::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  PlaceItems();
  Invalidate();
}

// --- painting ---

void CMenuBar::OnNcPaint() {
  CWindowDC dc(this);
  CRect window;
  GetWindowRect(&window);
  CRect client;
  GetClientRect(&client);
  ClientToScreen(&client);
  client.OffsetRect(-window.left, -window.top);
  window.OffsetRect(-window.left, -window.top);
  dc.ExcludeClipRect(&client);
  dc.FillSolidRect(&window, m_crFace);
  if ((m_dwStyle & kGripperStyle) && !IsFloating()) {
    const COLORREF dots = GetSysColor(COLOR_BTNSHADOW);
    if (IsHorizontal()) {
      for (int y = window.top + 6; y < window.bottom - 3; y += 2) dc.FillSolidRect(window.left + 4, y, 3, 1, dots);
    } else {
      for (int x = window.left + 2; x < window.right - 2; x += 2) dc.FillSolidRect(x, window.top + 2, 1, 3, dots);
    }
  }
}

LRESULT CMenuBar::OnNcHitTest(CPoint) { return HTCLIENT; }

BOOL CMenuBar::OnEraseBkgnd(CDC*) { return TRUE; }

void CMenuBar::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, m_crFace);
  for (CMenuBarItem* item : m_items) item->Draw(&dc, this);
}

void CMenuBar::OnSysColorChange() {
  CControlBar::OnSysColorChange();
  m_crFace = GetFaceColor(m_nStyle);
  for (CMenuBarItem* item : m_items) {
    item->TakeFaceColor(m_crFace);
    item->Repaint(this);
  }
}

void CMenuBar::InvalidateItem(int nItem) {
  if (CMenuBarItem* item = GetItem(nItem)) {
    item->Repaint(this);
    // An item wrapped under the document's buttons must not paint over them.
    if (m_pControlItem && item != m_pControlItem && !(m_pControlItem->m_fsState & CMenuBarItem::kHidden)) {
      CRect overlap;
      if (overlap.IntersectRect(&item->m_rcItem, &m_pControlItem->m_rcItem)) m_pControlItem->Repaint(this);
    }
    UpdateWindow();
  }
}

// --- mouse ---

int CMenuBar::ItemFromPoint(CPoint point) const {
  for (size_t i = 0; i < m_items.size(); ++i) {
    const CMenuBarItem* item = m_items[i];
    if ((item->m_fFlags & CMenuBarItem::kHitTest) && !(item->m_fsState & CMenuBarItem::kHidden) &&
        item->m_rcItem.PtInRect(point))
      return static_cast<int>(i);
  }
  return -1;
}

void CMenuBar::OnMouseMove(UINT nFlags, CPoint point) {
  CWnd* top = GetTopLevelParent();
  const bool active = top && ::GetActiveWindow() == top->m_hWnd && top->IsWindowEnabled();
  if (active && m_nTrackingState != 2) {
    const int item = ItemFromPoint(point);
    if (item >= 0 && item != m_nHotItem) {
      SetTrackingState(3, item);
      if (!m_nHoverTimer) m_nHoverTimer = SetTimer(kHoverTimer, kHoverMs, nullptr);
    } else if (item < 0 && m_nTrackingState == 3) {
      SetTrackingState(0, -1);
    }
  }
  CControlBar::OnMouseMove(nFlags, point);
}

void CMenuBar::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHoverTimer) {
    CControlBar::OnTimer(nIDEvent);
    return;
  }
  const DWORD pos = GetMessagePos();
  const CPoint pointer(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
  CRect window;
  GetWindowRect(&window);
  if (m_nTrackingState == 3 && !window.PtInRect(pointer)) SetTrackingState(0, -1);
  if (m_nTrackingState != 3) {
    KillTimer(kHoverTimer);
    m_nHoverTimer = 0;
  }
}

void CMenuBar::OnLButtonDown(UINT nFlags, CPoint point) {
  const int item = ItemFromPoint(point);
  if (item >= 0) {
    OpenItem(item);
    return;
  }
  CControlBar::OnLButtonDown(nFlags, point);
}

void CMenuBar::OnRButtonDown(UINT, CPoint point) {
  if (!m_nRightMenuId) return;
  CMenu menu;
  if (!menu.LoadMenu(static_cast<UINT>(m_nRightMenuId))) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return;
  ClientToScreen(&point);
  CWnd* owner = AfxGetMainWnd() ? AfxGetMainWnd() : GetTopLevelParent();
  popup->TrackPopupMenu(TPM_VERTICAL, point.x, point.y - 2, owner);
}

BOOL CMenuBar::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  const DWORD pos = GetMessagePos();
  CPoint pointer(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
  ScreenToClient(&pointer);
  const bool overGripper = IsHorizontal() ? pointer.x < 0 : pointer.y < 0;
  if (overGripper && !IsFloating()) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
    return TRUE;
  }
  return CControlBar::OnSetCursor(pWnd, nHitTest, message);
}

// --- popup loop ---

void CMenuBar::SetTrackingState(int nState, int nItem) {
  if (m_nTrackingState == 3 && nState != 3) m_bAltUsed = FALSE;
  if (nState == 0 && m_hWndFocusBefore) {
    const HWND back = m_hWndFocusBefore;
    m_hWndFocusBefore = nullptr;
    if (::IsWindow(back) && ::GetFocus() == m_hWnd) ::SetFocus(back);
  }
  if (CMenuBarItem* old = GetItem(m_nHotItem)) {
    old->m_fsState &= static_cast<BYTE>(~(CMenuBarItem::kHot | CMenuBarItem::kPressed));
    InvalidateItem(m_nHotItem);
  }
  m_nTrackingState = nState;
  m_nHotItem = nState == 0 ? -1 : nItem;
  if (CMenuBarItem* item = GetItem(m_nHotItem)) {
    if (nState == 1 || nState == 3) item->m_fsState |= CMenuBarItem::kHot;
    else if (nState == 2) item->m_fsState |= CMenuBarItem::kPressed;
    InvalidateItem(m_nHotItem);
  }
  m_bNoSubmenu = TRUE;
  m_bOwnPopup = TRUE;
}

void CMenuBar::OpenItem(int nItem) {
  SetTrackingState(1, nItem);
  TrackPopup(nItem);
}

void CMenuBar::TrackPopup(int nItem) {
  CWnd* frame = GetParentFrame();
  if (frame && frame->IsKindOf(RUNTIME_CLASS(CMiniFrameWnd)) && m_pDockSite) frame = m_pDockSite;
  if (!frame) frame = GetTopLevelParent();
  if (!frame || !GetItem(nItem)) return;
  m_nHotItem = nItem;
  m_bContinue = TRUE;
  while (m_bContinue && GetItem(m_nHotItem)) {
    UpdateWindow();
    SetTrackingState(2, m_nHotItem);
    g_trackingBar = this;
    m_bContinue = FALSE;
    m_ptMouse = CPoint(-1, -1);
    g_filterHook = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
    m_items[static_cast<size_t>(m_nHotItem)]->Track(this, frame);
    if (g_filterHook) UnhookWindowsHookEx(g_filterHook);
    g_filterHook = nullptr;
    g_trackingBar = nullptr;
    if (!m_hWnd) return;
  }
  SetTrackingState(0, -1);
}

UINT CMenuBar::TrackItemPopup(HMENU hPopup, const CRect& rcItem, CWnd* pFrame, UINT flags) {
  CRect r = rcItem;
  ClientToScreen(&r);
  const DWORD align = GetBarStyle() & CBRS_ALIGN_ANY;
  const bool beside = !IsFloating() && (align & CBRS_ORIENT_VERT) && !(align & CBRS_ORIENT_HORZ);
  RECT screen;
  ::GetWindowRect(GetDesktopWindow(), &screen);
  TPMPARAMS params{};
  params.cbSize = sizeof(params);
  POINT at;
  if (beside) {
    at = POINT{r.right - 1, r.top + 1};
    params.rcExclude = screen;
  } else {
    // The popup drops below the item; without room there it stands above
    // the title, never over it, so the click that opened it cannot land on an item.
    at = POINT{std::max<LONG>(r.left, 0), r.bottom - 2};
    params.rcExclude = RECT{screen.left, r.top, screen.right, r.bottom - 2};
    flags |= TPM_VERTICAL;
  }
  const UINT result = static_cast<UINT>(TrackPopupMenuEx(hPopup, flags, at.x, at.y, pFrame->m_hWnd, &params));
  RegisterPressedButton(RECT{0, 0, 0, 0}, -1);
  return result;
}

HMENU CMenuBar::ItemPopup(int nItem) const {
  CMenuBarItem* item = GetItem(nItem);
  if (!item) return nullptr;
  if (auto* title = dynamic_cast<CMenuBarTitleItem*>(item)) return title->m_hPopup;
  if (item == m_pIconItem && ::IsWindow(m_pIconItem->m_hWndChild)) return ::GetSystemMenu(m_pIconItem->m_hWndChild, FALSE);
  return nullptr;
}

LRESULT CALLBACK CMenuBar::MenuFilter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_MENU && g_trackingBar && g_trackingBar->OnMenuFilter(reinterpret_cast<MSG*>(lParam))) return 1;
  return CallNextHookEx(g_filterHook, code, wParam, lParam);
}

BOOL CMenuBar::OnMenuFilter(MSG* pMsg) {
  CWnd* main = AfxGetMainWnd() ? AfxGetMainWnd() : GetParentFrame();
  auto cancel = [&] {
    // The document's system menu was opened by the bar, not the main window.
    if (g_systemMenuOpen) PostMessage(WM_CANCELMODE);
    else if (main) main->PostMessage(WM_CANCELMODE);
  };
  switch (pMsg->message) {
    case WM_MOUSEMOVE: {
      const CPoint screen = pMsg->pt;
      if (screen == m_ptMouse) return FALSE;
      m_ptMouse = screen;
      CPoint local = screen;
      ScreenToClient(&local);
      const int item = ItemFromPoint(local);
      if (item >= 0 && item != m_nHotItem) {
        cancel();
        SetTrackingState(1, item);
        m_nHotItem = item;
        m_bContinue = TRUE;
      }
      return FALSE;
    }
    case WM_LBUTTONDOWN: {
      CPoint local = pMsg->pt;
      ScreenToClient(&local);
      if (ItemFromPoint(local) == m_nHotItem && m_nHotItem >= 0) {
        cancel();
        SetTrackingState(1, m_nHotItem);
        m_bContinue = FALSE;
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN: {
      if (!IsHorizontal()) return FALSE;
      int step = 0;
      if (pMsg->wParam == VK_LEFT && m_bOwnPopup) step = -1;
      if (pMsg->wParam == VK_RIGHT && m_bNoSubmenu) step = 1;
      if (!step) return FALSE;
      // The title left behind loses its pressed frame before the next one opens.
      if (CMenuBarItem* left = GetItem(m_nHotItem)) {
        left->m_fsState &= static_cast<BYTE>(~(CMenuBarItem::kHot | CMenuBarItem::kPressed));
        InvalidateItem(m_nHotItem);
      }
      m_nHotItem = NextItem(m_nHotItem, step);
      cancel();
      m_bContinue = TRUE;
      return TRUE;
    }
    case WM_SYSKEYDOWN:
      m_bAltUsed = TRUE;
      return FALSE;
    default:
      return FALSE;
  }
}

int CMenuBar::NextItem(int nItem, int step) const {
  const int count = GetItemCount();
  if (count == 0) return -1;
  int i = nItem;
  for (int tries = 0; tries < count; ++tries) {
    i = (i + step + count) % count;
    const CMenuBarItem* item = m_items[static_cast<size_t>(i)];
    if ((item->m_fFlags & CMenuBarItem::kHitTest) && !(item->m_fsState & CMenuBarItem::kHidden)) return i;
  }
  return nItem;
}

// --- keyboard ---

// Alt, F10 or Alt and a letter pressed in a window whose own handling keeps
// the keys from the frame (a dialog in a bar) reach the frame as its keyboard
// menu; the bar stands for the menu line there. While a title is selected
// the bar holds the keyboard focus, so that the keys that follow reach it,
// and gives the focus back when the selection ends.
BOOL CMenuBar::KeyMenu(char16_t key) {
  if (!m_hWnd || !IsWindowVisible() || key == u' ') return FALSE;  // Alt+Space: the system menu
  if (key == 0) {
    if (m_nTrackingState == 0) {
      const HWND focus = ::GetFocus();
      SetTrackingState(1, NextItem(m_bMdi ? 0 : -1, 1));  // after the document icon
      if (focus != m_hWnd) {
        m_hWndFocusBefore = focus;
        SetFocus();
      }
    } else if (m_nTrackingState == 1) {
      SetTrackingState(0, -1);
    }
    return TRUE;
  }
  const char16_t upper = key >= u'a' && key <= u'z' ? static_cast<char16_t>(key - 32) : key;
  for (size_t i = 0; i < m_items.size(); ++i) {
    auto* title = dynamic_cast<CMenuBarTitleItem*>(m_items[i]);
    if (title && !(title->m_fsState & CMenuBarItem::kHidden) && title->Mnemonic() == upper) {
      OpenItem(static_cast<int>(i));
      return TRUE;
    }
  }
  return FALSE;
}

// Whether the frame's accelerator table binds the key alone (no Shift, Ctrl or Alt).
bool CMenuBar::IsFrameAccelerator(UINT vk) const {
  const CFrameWnd* frame = m_pDockSite ? m_pDockSite : GetParentFrame();
  if (!frame || !frame->m_hAccelTable) return false;
  const int count = ::CopyAcceleratorTableW(frame->m_hAccelTable, nullptr, 0);
  std::vector<ACCEL> table(static_cast<size_t>(std::max(count, 0)));
  if (table.empty() || ::CopyAcceleratorTableW(frame->m_hAccelTable, table.data(), count) != count) return false;
  return std::any_of(table.begin(), table.end(), [vk](const ACCEL& a) {
    return (a.fVirt & FVIRTKEY) && a.key == vk && !(a.fVirt & (FSHIFT | FCONTROL | FALT));
  });
}

BOOL CMenuBar::TranslateFrameMessage(MSG* pMsg) {
  if (!m_hWnd || !IsWindowVisible()) return FALSE;
  UpdateMdiItems();
  const UINT m = pMsg->message;
  if (m_nTrackingState > 0 && IsMouseButtonDown(m) && pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) {
    SetTrackingState(0, -1);
    return FALSE;
  }
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
  const auto vk = static_cast<UINT>(pMsg->wParam);
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = (vk != VK_MENU) && GetKeyState(VK_MENU) < 0;
  // F10 bound to a command of the frame is that command, as the platform's
  // accelerators come before its menu key: the press goes on to the
  // accelerators, the release is eaten so that it selects nothing.
  if (vk == VK_F10 && !shift && !ctrl && !alt && IsFrameAccelerator(VK_F10)) {
    if (m == WM_SYSKEYUP) return TRUE;
    if (m_nTrackingState == 1 || m_nTrackingState == 2) SetTrackingState(0, -1);
    return FALSE;
  }
  // 1. Alt or F10 alone: the release selects the first title, or deselects.
  if ((vk == VK_MENU || vk == VK_F10) && !shift && !ctrl && !alt) {
    if (m == WM_SYSKEYUP) {
      if (m_nTrackingState == 0) {
        if (m_bAltUsed) m_bAltUsed = FALSE;
        else SetTrackingState(1, NextItem(m_bMdi ? 0 : -1, 1));  // after the document icon
      } else if (m_nTrackingState == 1) {
        SetTrackingState(0, -1);
      }
    }
    return TRUE;
  }
  if (m == WM_SYSKEYUP) return FALSE;
  const BOOL horz = IsHorizontal();
  // 2. Moving and opening in the keyboard state.
  if (m_nTrackingState == 1 && vk >= VK_ESCAPE && vk <= VK_DOWN) {
    switch (vk) {
      case VK_ESCAPE:
        SetTrackingState(0, -1);
        return TRUE;
      case VK_SPACE:
        TrackPopup(m_nHotItem);
        return TRUE;
      case VK_UP:
      case VK_DOWN:
        if (horz) TrackPopup(m_nHotItem);
        else SetTrackingState(1, NextItem(m_nHotItem, vk == VK_UP ? -1 : 1));
        return TRUE;
      case VK_LEFT:
      case VK_RIGHT:
        if (horz) SetTrackingState(1, NextItem(m_nHotItem, vk == VK_LEFT ? -1 : 1));
        else TrackPopup(m_nHotItem);
        return TRUE;
      default:
        break;  // Page Up, Page Down, End, Home: the last rule
    }
  }
  // 3. Mnemonics, with Alt held or in the keyboard state.
  const bool letterOrDigit = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
  if (letterOrDigit && (m == WM_SYSKEYDOWN || m_nTrackingState == 1)) {
    for (size_t i = 0; i < m_items.size(); ++i) {
      auto* title = dynamic_cast<CMenuBarTitleItem*>(m_items[i]);
      if (title && !(title->m_fsState & CMenuBarItem::kHidden) && title->Mnemonic() == static_cast<char16_t>(vk)) {
        if (m == WM_SYSKEYDOWN) m_bAltUsed = TRUE;  // the Alt release that follows selects nothing
        OpenItem(static_cast<int>(i));
        return TRUE;
      }
    }
    if (m_nTrackingState == 1 && m != WM_SYSKEYDOWN) return TRUE;
  }
  if (m == WM_SYSKEYDOWN) m_bAltUsed = TRUE;
  // 4. Any other key ends the keyboard state and goes on.
  if (m_nTrackingState == 1 || m_nTrackingState == 2) SetTrackingState(0, -1);
  return FALSE;
}
