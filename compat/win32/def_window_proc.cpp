// DefWindowProcW: the platform's default answers to every message a window
// procedure passes on.
#include <algorithm>

#include "compat/win32/gdi.h"
#include "compat/win32/menu_state.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

constexpr LRESULT kNotifyFormatUnicode = 2;

LRESULT SetText(HWND hwnd, LPARAM lParam) {
  auto text = reinterpret_cast<LPCWSTR>(lParam);
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    w->text = text ? std::u16string(text) : std::u16string();
    if ((w->style & WS_CAPTION) == WS_CAPTION && ReallyVisible(w)) w->frameUpdate = true;
  }
  SendPendingNcPaint(hwnd);
  return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  auto buffer = reinterpret_cast<LPWSTR>(lParam);
  const size_t room = static_cast<size_t>(wParam);
  if (!buffer || room == 0) return 0;
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return 0;
  const size_t count = std::min(w->text.size(), room - 1);
  std::copy(w->text.begin(), w->text.begin() + static_cast<std::ptrdiff_t>(count), buffer);
  buffer[count] = 0;
  return static_cast<LRESULT>(count);
}

LRESULT TextLength(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w ? static_cast<LRESULT>(w->text.size()) : 0;
}

LRESULT EraseBackground(HWND hwnd, HDC hdc) {
  HBRUSH brush;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !w->cls) return 0;
    brush = w->cls->background;
  }
  if (!brush || !hdc) return 0;
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(hdc, &client, brush);
  return 1;
}

LRESULT Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  return 0;
}

HWND ParentOfChild(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !(w->style & WS_CHILD) || w->parent == State().desktop) return nullptr;
  return w->parent;
}

LRESULT PositionChanged(HWND hwnd, LPARAM lParam) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
  if (!pos) return 0;
  RECT client, rect;
  DWORD style;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return 0;
    client = w->client;
    rect = w->rect;
    style = w->style;
  }
  if (!(pos->flags & SWP_NOMOVE))
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(rect.left + client.left, rect.top + client.top));
  if (!(pos->flags & SWP_NOSIZE) || (pos->flags & SWP_FRAMECHANGED)) {
    const WPARAM kind = (style & WS_MINIMIZE) ? SIZE_MINIMIZED : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  }
  return 0;
}

LRESULT NcActivate(HWND hwnd, WPARAM wParam) {
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return TRUE;
    w->ncActive = wParam != FALSE;
    if (ReallyVisible(w)) w->frameUpdate = true;
  }
  SendPendingNcPaint(hwnd);
  return TRUE;
}

LRESULT ControlColor(UINT message, HDC hdc) {
  const bool window = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  const int back = window ? COLOR_WINDOW : COLOR_3DFACE;
  SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(hdc, GetSysColor(back));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
}

// Alt or F10 pressed and released with no other key between opens the menu bar.
thread_local WPARAM t_lastSysKey = 0;

void NoteKeyDown(WPARAM wParam, LPARAM lParam) {
  const bool repeat = (lParam & (1 << 30)) && wParam == t_lastSysKey;
  if (!repeat) t_lastSysKey = wParam;
}

LRESULT SysKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSKEYDOWN) {
    NoteKeyDown(wParam, lParam);
    // Alt+F4 closes the top-level window, unless its system menu greys Close.
    if (wParam == VK_F4 && (lParam & (1 << 29))) {
      HWND top = GetAncestor(hwnd, GA_ROOT);
      if (top && !compat::menus::CloseDisabled(top)) PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 0;
  }
  if (message == WM_SYSKEYUP && (wParam == VK_MENU || wParam == VK_F10) && wParam == t_lastSysKey) {
    t_lastSysKey = 0;
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
  }
  return 0;
}

// Alt+character: the menu bar's mnemonic, or the system menu for Space.
LRESULT SysChar(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  t_lastSysKey = 0;
  if (!(lParam & (1 << 29)) || wParam == VK_TAB || wParam == VK_ESCAPE) return 0;
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
  return 0;
}

}  // namespace

// Every key pressed counts, also one that a window handles without passing it
// on (a combo box's Alt+Down): taken when the key leaves the queue.
void NoteKeyRetrieved(const MSG& msg) {
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) NoteKeyDown(msg.wParam, msg.lParam);
}

}  // namespace compat::user

using namespace compat::user;

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_NCCALCSIZE: return DefaultNcCalcSize(hwnd, wParam, lParam);
    case WM_NCHITTEST: return DefaultNcHitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: DefaultNcPaint(hwnd); return 0;
    case WM_NCACTIVATE: return NcActivate(hwnd, wParam);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: return DefaultNcMouse(hwnd, message, wParam, lParam);
    case WM_SYSCOMMAND: return DefaultSysCommand(hwnd, wParam, lParam);
    case WM_ERASEBKGND: return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: return Paint(hwnd);
    case WM_SETTEXT: return SetText(hwnd, lParam);
    case WM_GETTEXT: return GetText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH: return TextLength(hwnd);
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETCURSOR: return DefaultSetCursor(hwnd, wParam, lParam);
    case WM_MOUSEACTIVATE: {
      // A child lets its parent decide first.
      if (HWND parent = ParentOfChild(hwnd)) {
        LRESULT answer = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer) return answer;
      }
      return MA_ACTIVATE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
      // Unhandled, they climb to the parent.
      if (HWND parent = ParentOfChild(hwnd)) return SendMessageW(parent, message, wParam, lParam);
      return 0;
    case WM_WINDOWPOSCHANGED: return PositionChanged(hwnd, lParam);
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      return ControlColor(message, reinterpret_cast<HDC>(wParam));
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return SysKey(hwnd, message, wParam, lParam);
    case WM_SYSCHAR: return SysChar(hwnd, wParam, lParam);
    case WM_CANCELMODE:
      EndMenu();
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_NOTIFYFORMAT: return kNotifyFormatUnicode;
    default: return 0;
  }
}
