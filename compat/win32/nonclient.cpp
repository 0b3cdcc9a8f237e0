// The classic non-client area: frame metrics, WM_NCCALCSIZE, hit testing,
// painting of borders, caption and system buttons, caption buttons and the
// modal move and size loops.
//
// Sections: layout · calc size and hit test · painting · mouse · move and size
#include <algorithm>
#include <cstdlib>

#include "compat/host.h"
#include "compat/win32/gdi.h"
#include "compat/win32/menu_state.h"
#include "compat/win32/user_state.h"
#include "compat/win32/window_scroll_bars.h"

namespace compat::user {

// --- layout ---

RECT FrameInsets(DWORD style, DWORD exStyle, bool menu, bool scrollBars) {
  int border = 0;
  if (style & WS_THICKFRAME) border = GetSystemMetrics(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) border = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER) border = GetSystemMetrics(SM_CXBORDER);
  if (exStyle & WS_EX_CLIENTEDGE) border += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) border += GetSystemMetrics(SM_CXBORDER);
  RECT insets{border, border, border, border};
  if ((style & WS_CAPTION) == WS_CAPTION)
    insets.top += GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  if (menu) insets.top += GetSystemMetrics(SM_CYMENU);
  if (scrollBars) {
    if (style & WS_VSCROLL) insets.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) insets.bottom += GetSystemMetrics(SM_CYHSCROLL);
  }
  return insets;
}

bool HasMenuBar(const Window* w) { return !(w->style & WS_CHILD) && w->id != 0; }

namespace {

// Parts of the frame in window coordinates.
struct NcLayout {
  RECT window{};
  RECT client{};
  int outer = 0;      // frame width without the client edge
  RECT caption{};     // empty without a caption
  RECT close{}, max{}, min{}, icon{};
  RECT menu{};
  RECT vscroll{}, hscroll{};
};

NcLayout Layout(const Window* w) {
  NcLayout l;
  const int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
  l.window = RECT{0, 0, width, height};
  l.client = w->client;
  RECT outer = FrameInsets(w->style, w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false, false);
  l.outer = outer.left;
  int top = l.outer;
  if ((w->style & WS_CAPTION) == WS_CAPTION) {
    const bool tool = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
    const int captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    // The caption bar leaves one line of frame colour below it.
    l.caption = RECT{l.outer, top, width - l.outer, top + captionHeight - 1};
    top += captionHeight;
    const int bw = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
    const int bh = GetSystemMetrics(tool ? SM_CYSMSIZE : SM_CYSIZE) - 4;
    const int by = l.caption.top + (l.caption.bottom - l.caption.top - bh) / 2;
    if (w->style & WS_SYSMENU) {
      l.close = RECT{l.caption.right - 2 - bw, by, l.caption.right - 2, by + bh};
      if (w->style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
        l.max = RECT{l.close.left - 2 - bw, by, l.close.left - 2, by + bh};
        l.min = RECT{l.max.left - bw, by, l.max.left, by + bh};
      }
      if (!tool) l.icon = RECT{l.caption.left + 1, l.caption.top + 1, l.caption.left + 17, l.caption.top + 17};
    }
  }
  if (HasMenuBar(w)) l.menu = RECT{l.outer, top, width - l.outer, top + GetSystemMetrics(SM_CYMENU)};
  if (w->style & WS_VSCROLL)
    l.vscroll = RECT{l.client.right, l.client.top, l.client.right + GetSystemMetrics(SM_CXVSCROLL), l.client.bottom};
  if (w->style & WS_HSCROLL)
    l.hscroll = RECT{l.client.left, l.client.bottom, l.client.right, l.client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
  return l;
}

bool Inside(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// --- calc size and hit test ---

LRESULT DefaultNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (!lParam) return 0;
  RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  RECT insets;
  bool minimized;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return 0;
    insets = FrameInsets(w->style, w->exStyle, HasMenuBar(w), true);
    minimized = (w->style & WS_MINIMIZE) != 0;
  }
  if (minimized) {
    rect->right = rect->left;
    rect->bottom = rect->top;
    return 0;
  }
  rect->left += insets.left;
  rect->top += insets.top;
  rect->right = std::max(rect->left, rect->right - insets.right);
  rect->bottom = std::max(rect->top, rect->bottom - insets.bottom);
  return 0;
}

LRESULT DefaultNcHitTest(HWND hwnd, POINT screen) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return HTNOWHERE;
  RECT wr = ScreenWindowRect(w);
  if (!Inside(wr, screen)) return HTNOWHERE;
  POINT p{screen.x - wr.left, screen.y - wr.top};
  NcLayout l = Layout(w);
  // A minimized window is its caption strip; its buttons restore, maximize and close it.
  if (w->style & WS_MINIMIZE) {
    if (Inside(l.close, p)) return HTCLOSE;
    if (Inside(l.max, p)) return HTMAXBUTTON;
    if (Inside(l.min, p)) return HTMINBUTTON;
    return HTCAPTION;
  }
  if (Inside(l.client, p)) return HTCLIENT;
  if (w->style & WS_THICKFRAME) {
    const int width = l.window.right, height = l.window.bottom, b = l.outer;
    const int corner = GetSystemMetrics(SM_CYCAPTION) + b;
    const bool left = p.x < b, right = p.x >= width - b, top = p.y < b, bottom = p.y >= height - b;
    if (left || right || top || bottom) {
      const bool nearLeft = p.x < corner, nearRight = p.x >= width - corner;
      const bool nearTop = p.y < corner, nearBottom = p.y >= height - corner;
      if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
      if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
      if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
      if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
      return left ? HTLEFT : right ? HTRIGHT : top ? HTTOP : HTBOTTOM;
    }
  }
  if (Inside(l.caption, p)) {
    if (Inside(l.close, p)) return HTCLOSE;
    if (Inside(l.max, p)) return HTMAXBUTTON;
    if (Inside(l.min, p)) return HTMINBUTTON;
    if (Inside(l.icon, p)) return HTSYSMENU;
    return HTCAPTION;
  }
  if (Inside(l.menu, p)) return HTMENU;
  if (Inside(l.vscroll, p)) return HTVSCROLL;
  if (Inside(l.hscroll, p)) return HTHSCROLL;
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL) && p.x >= l.client.right && p.y >= l.client.bottom &&
      p.x < l.vscroll.right && p.y < l.hscroll.bottom)
    return HTGROWBOX;
  return HTBORDER;
}

// --- painting ---

namespace {

void FillSys(HDC hdc, RECT r, int color) {
  if (r.left < r.right && r.top < r.bottom) FillRect(hdc, &r, GetSysColorBrush(color));
}

void PaintFrame(HDC hdc, const Window* w, const NcLayout& l) {
  RECT r = l.window;
  const bool raised = (w->style & (WS_THICKFRAME | WS_DLGFRAME)) || (w->exStyle & WS_EX_DLGMODALFRAME);
  if (raised) {
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    const int rest = l.outer - 2;
    FillSys(hdc, RECT{r.left, r.top, r.right, r.top + rest}, COLOR_ACTIVEBORDER);
    FillSys(hdc, RECT{r.left, r.bottom - rest, r.right, r.bottom}, COLOR_ACTIVEBORDER);
    FillSys(hdc, RECT{r.left, r.top, r.left + rest, r.bottom}, COLOR_ACTIVEBORDER);
    FillSys(hdc, RECT{r.right - rest, r.top, r.right, r.bottom}, COLOR_ACTIVEBORDER);
  } else if (w->style & WS_BORDER) {
    FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
  if (w->exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) {
    const int edge = (w->exStyle & WS_EX_CLIENTEDGE) ? 2 : 1;
    RECT around = l.client;
    if (w->style & WS_VSCROLL) around.right = l.vscroll.right;
    if (w->style & WS_HSCROLL) around.bottom = l.hscroll.bottom;
    InflateRect(&around, edge, edge);
    DrawEdge(hdc, &around, edge == 2 ? EDGE_SUNKEN : BDR_SUNKENOUTER, BF_RECT);
  }
}

void PaintCaption(HDC hdc, const Window* w, const NcLayout& l) {
  if (RectEmpty(l.caption)) return;
  const bool active = w->ncActive;
  FillSys(hdc, l.caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  FillSys(hdc, RECT{l.caption.left, l.caption.bottom, l.caption.right, l.caption.bottom + 1}, COLOR_BTNFACE);
  const UINT inactive = (w->style & WS_DISABLED) ? DFCS_INACTIVE : 0;
  if (!RectEmpty(l.close)) {
    RECT b = l.close;
    const UINT closeOff = compat::menus::CloseDisabled(w->hwnd) ? DFCS_INACTIVE : 0;
    DrawFrameControl(hdc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE | inactive | closeOff);
  }
  if (!RectEmpty(l.max)) {
    RECT b = l.max;
    const UINT kind = (w->style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
    DrawFrameControl(hdc, &b, DFC_CAPTION, kind | ((w->style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
    b = l.min;
    const UINT minKind = (w->style & WS_MINIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN;
    DrawFrameControl(hdc, &b, DFC_CAPTION, minKind | ((w->style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
  }
  RECT text = l.caption;
  text.left += RectEmpty(l.icon) ? 2 : 20;
  if (!RectEmpty(l.min)) text.right = l.min.left - 2;
  else if (!RectEmpty(l.close)) text.right = l.close.left - 2;
  if (w->text.empty() || text.right <= text.left) return;
  HGDIOBJ oldFont = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  DrawTextW(hdc, w->text.c_str(), static_cast<int>(w->text.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(hdc, oldFont);
}

}  // namespace

void DefaultNcPaint(HWND hwnd) {
  Window copy;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !ReallyVisible(w)) return;
    copy.style = w->style;
    copy.exStyle = w->exStyle;
    copy.rect = w->rect;
    copy.client = w->client;
    copy.text = w->text;
    copy.id = w->id;
    copy.ncActive = w->ncActive;
    copy.hwnd = hwnd;
  }
  NcLayout l = Layout(&copy);
  if (EqualRect(&l.client, &l.window)) return;
  HDC hdc = GetDCEx(hwnd, nullptr, DCX_WINDOW);
  if (!hdc) return;
  // The client area is not ours to paint.
  ExcludeClipRect(hdc, l.client.left, l.client.top, l.client.right, l.client.bottom);
  PaintFrame(hdc, &copy, l);
  PaintCaption(hdc, &copy, l);
  if (!RectEmpty(l.menu)) compat::menus::PaintMenuBar(hwnd, hdc, l.menu);
  if (!RectEmpty(l.vscroll)) PaintWindowScrollBar(hwnd, hdc, l.vscroll, true);
  if (!RectEmpty(l.hscroll)) PaintWindowScrollBar(hwnd, hdc, l.hscroll, false);
  if (!RectEmpty(l.vscroll) && !RectEmpty(l.hscroll))
    FillSys(hdc, RECT{l.vscroll.left, l.hscroll.top, l.vscroll.right, l.hscroll.bottom}, COLOR_BTNFACE);
  ReleaseDC(hwnd, hdc);
}

// --- mouse ---

namespace {

// Follows a pressed caption button until release; true when released on it.
bool TrackButton(HWND hwnd, LRESULT hit) {
  SetCapture(hwnd);
  bool inside = true;
  MSG msg;
  while (GetCapture() == hwnd && GetNextMessage(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_MOUSEMOVE) {
      inside = DefaultNcHitTest(hwnd, msg.pt) == hit;
    } else if (msg.message == WM_LBUTTONUP) {
      inside = DefaultNcHitTest(hwnd, msg.pt) == hit;
      break;
    } else if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  return inside;
}

}  // namespace

LRESULT DefaultNcMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT hit = static_cast<LRESULT>(wParam);
  // A scroll bar takes the second press of a double click as a press.
  if (hit == HTHSCROLL || hit == HTVSCROLL) {
    PressWindowScrollBar(hwnd, static_cast<WPARAM>(hit), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
  }
  if (message == WM_NCLBUTTONDBLCLK) {
    if (hit == HTCAPTION && IsIconic(hwnd))
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, lParam);
    else if (hit == HTCAPTION && (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX))
      SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
    return 0;
  }
  if (message != WM_NCLBUTTONDOWN) return 0;
  switch (hit) {
    case HTCAPTION:
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
      return 0;
    case HTLEFT: case HTRIGHT: case HTTOP: case HTTOPLEFT: case HTTOPRIGHT:
    case HTBOTTOM: case HTBOTTOMLEFT: case HTBOTTOMRIGHT:
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE + (hit - HTLEFT + 1), lParam);
      return 0;
    case HTCLOSE:
      if (!compat::menus::CloseDisabled(hwnd) && TrackButton(hwnd, hit)) SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    case HTMENU:
    case HTSYSMENU:
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU + static_cast<WPARAM>(hit), lParam);
      return 0;
    case HTMAXBUTTON:
      if (TrackButton(hwnd, hit))
        SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      return 0;
    case HTMINBUTTON:
      if (TrackButton(hwnd, hit)) SendMessageW(hwnd, WM_SYSCOMMAND, IsIconic(hwnd) ? SC_RESTORE : SC_MINIMIZE, lParam);
      return 0;
    default:
      return 0;
  }
}

// --- move and size ---

namespace {

constexpr int kSizeLeft = 1, kSizeRight = 2, kSizeTop = 3, kSizeBottom = 6;
constexpr int kMsgFilterMove = 3, kMsgFilterSize = 4;  // the system's codes for its move and size loops

struct TrackLimits {
  POINT minSize;
  POINT maxSize;
  bool inParent = false;  // a child sizes inside its parent's client area
  RECT parent{};          // screen coordinates
};

// The tracking sizes the window asks for, and for a child its parent's area.
TrackLimits AskLimits(HWND hwnd, HWND parent) {
  MINMAXINFO info{};
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  info.ptMaxSize = POINT{desk.right, desk.bottom};
  info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  NoteTrackSizes(hwnd, info);
  TrackLimits limits{info.ptMinTrackSize, info.ptMaxTrackSize};
  limits.maxSize.x = std::max(limits.maxSize.x, limits.minSize.x);
  limits.maxSize.y = std::max(limits.maxSize.y, limits.minSize.y);
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) && parent && parent != GetDesktopWindow()) {
    limits.inParent = true;
    GetClientRect(parent, &limits.parent);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&limits.parent), 2);
  }
  return limits;
}

RECT Tracked(const RECT& start, int edges, POINT delta, const TrackLimits& limits) {
  RECT r = start;
  if (edges == 0) return RectOffset(start, delta.x, delta.y);
  const int horizontal = edges % 3;      // 1 left, 2 right
  const int vertical = edges - horizontal;  // 3 top, 6 bottom
  const POINT minSize = limits.minSize, maxSize = limits.maxSize;
  auto moved = [&](LONG edge, LONG by, LONG low, LONG high) { return std::clamp<LONG>(edge + by, low, std::max(low, high)); };
  if (horizontal == kSizeLeft) r.left = moved(start.left, delta.x, start.right - maxSize.x, start.right - minSize.x);
  if (horizontal == kSizeRight) r.right = moved(start.right, delta.x, start.left + minSize.x, start.left + maxSize.x);
  if (vertical == kSizeTop) r.top = moved(start.top, delta.y, start.bottom - maxSize.y, start.bottom - minSize.y);
  if (vertical == kSizeBottom) r.bottom = moved(start.bottom, delta.y, start.top + minSize.y, start.top + maxSize.y);
  if (limits.inParent) {
    // Sizing stops at the parent's edges, keeping at least the minimum size.
    if (horizontal == kSizeLeft) r.left = std::min(std::max(r.left, limits.parent.left), r.right - minSize.x);
    if (horizontal == kSizeRight) r.right = std::max(std::min(r.right, limits.parent.right), r.left + minSize.x);
    if (vertical == kSizeTop) r.top = std::min(std::max(r.top, limits.parent.top), r.bottom - minSize.y);
    if (vertical == kSizeBottom) r.bottom = std::max(std::min(r.bottom, limits.parent.bottom), r.top + minSize.y);
  }
  return r;
}

void MoveSizeLoop(HWND hwnd, int edges, POINT start) {
  RECT startRect;
  GetWindowRect(hwnd, &startRect);
  HWND parent = GetAncestor(hwnd, GA_PARENT);
  const TrackLimits limits = AskLimits(hwnd, parent);
  SetCapture(hwnd);
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  RECT current = startRect;
  MSG msg;
  while (GetCapture() == hwnd && GetNextMessage(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // Message filters see the loop's messages first, as in every modal loop of the system.
    if (CallMsgFilterW(&msg, edges ? kMsgFilterSize : kMsgFilterMove)) continue;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      current = startRect;
      break;
    }
    if (msg.message == WM_LBUTTONUP) break;
    if (msg.message != WM_MOUSEMOVE) {
      if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      continue;
    }
    RECT next = Tracked(startRect, edges, POINT{msg.pt.x - start.x, msg.pt.y - start.y}, limits);
    SendMessageW(hwnd, edges ? WM_SIZING : WM_MOVING, static_cast<WPARAM>(edges), reinterpret_cast<LPARAM>(&next));
    current = next;
    RECT local = next;
    MapWindowPoints(nullptr, parent == GetDesktopWindow() ? nullptr : parent, reinterpret_cast<POINT*>(&local), 2);
    SetWindowPos(hwnd, nullptr, local.left, local.top, local.right - local.left, local.bottom - local.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (edges ? 0 : SWP_NOSIZE));
    UpdateWindow(hwnd);
  }
  RECT local = current;
  MapWindowPoints(nullptr, parent == GetDesktopWindow() ? nullptr : parent, reinterpret_cast<POINT*>(&local), 2);
  SetWindowPos(hwnd, nullptr, local.left, local.top, local.right - local.left, local.bottom - local.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetCapture() == hwnd) ReleaseCapture();
  SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace

LRESULT DefaultSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const UINT command = static_cast<UINT>(wParam & 0xFFF0);
  switch (command) {
    case SC_CLOSE:
      if (!compat::menus::CloseDisabled(hwnd)) SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case SC_KEYMENU:
      compat::menus::KeyMenu(hwnd, static_cast<char16_t>(lParam));
      return 0;
    case SC_MOUSEMENU:
      compat::menus::MouseMenu(hwnd, static_cast<LRESULT>(wParam & 0xF), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case SC_MINIMIZE:
      ShowWindow(hwnd, SW_MINIMIZE);
      return 0;
    case SC_MAXIMIZE:
      ShowWindow(hwnd, SW_MAXIMIZE);
      return 0;
    case SC_RESTORE:
      ShowWindow(hwnd, SW_RESTORE);
      return 0;
    case SC_MOVE:
    case SC_SIZE: {
      if (IsZoomed(hwnd)) return 0;
      POINT start{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      // A press on a top-level window's caption or border: where the host has a
      // window manager, it moves and sizes the window as it does every other.
      const int edges = command == SC_SIZE ? static_cast<int>(wParam & 0xF) : 0;
      const bool hostMoves = (wParam & 0xF) && GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow() &&
                             compat::host::HasWindowManager();
      // The window manager takes the pointer once it has it: a caption that
      // is clicked, not dragged, keeps it, so that a double click reaches us.
      // The manager is told where the press was: the window follows the pointer from there.
      if (hostMoves && command == SC_MOVE && !DragDetect(hwnd, start)) return 0;
      if (hostMoves && compat::host::BeginMoveSize(reinterpret_cast<uintptr_t>(hwnd), edges, start)) {
        // The release goes to the window manager.
        Guard guard = Lock();
        State().keys[VK_LBUTTON] &= 0x01;
        State().asyncKeys[VK_LBUTTON] &= 0x01;
        return 0;
      }
      MoveSizeLoop(hwnd, command == SC_SIZE ? static_cast<int>(wParam & 0xF) : 0, start);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace compat::user
