// The classic menu bar in the non-client strip of a top-level window, the
// window's system menu, and DefWindowProc's SC_KEYMENU and SC_MOUSEMENU.
#include <algorithm>
#include <map>
#include <mutex>

#include "compat/win32/gdi.h"
#include "compat/win32/menu_state.h"

namespace compat::menus {
namespace {

struct BarState {
  std::mutex lock;
  std::map<HWND, RECT> strips;      // where each window last painted its bar
  std::map<HWND, HMENU> systemMenus;  // each window's own copy
};

BarState& Bars() {
  static BarState* state = new BarState;
  return *state;
}

bool IsChildWindow(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

HMENU MakeSystemMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, SC_RESTORE, u"&Restore");
  AppendMenuW(menu, MF_STRING, SC_MOVE, u"&Move");
  AppendMenuW(menu, MF_STRING, SC_SIZE, u"&Size");
  AppendMenuW(menu, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
  AppendMenuW(menu, MF_STRING, SC_MAXIMIZE, u"Ma&ximize");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, SC_CLOSE, u"&Close\tAlt+F4");
  SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
  return menu;
}

void Enable(HMENU menu, UINT command, bool enabled) { EnableMenuItem(menu, command, enabled ? MF_ENABLED : MF_GRAYED); }

}  // namespace

void PaintMenuBar(HWND hwnd, HDC windowDc, const RECT& strip) {
  {
    std::lock_guard guard(Bars().lock);
    Bars().strips[hwnd] = strip;
  }
  FillRect(windowDc, &strip, GetSysColorBrush(COLOR_MENU));
  HMENU menu = GetMenu(hwnd);
  std::vector<MenuItem> items = ItemsOf(menu);
  LayoutBar(menu, strip, &items);
  for (const MenuItem& item : items) {
    if (item.rect.right > item.rect.left) DrawBarItem(windowDc, hwnd, menu, item, (item.state & MFS_HILITE) != 0);
  }
}

HMENU SystemMenuOf(HWND hwnd) {
  std::lock_guard guard(Bars().lock);
  auto it = Bars().systemMenus.find(hwnd);
  return it == Bars().systemMenus.end() ? nullptr : it->second;
}

bool CloseDisabled(HWND hwnd) {
  HMENU menu = SystemMenuOf(hwnd);
  if (!menu) return false;
  const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
  return state != 0xFFFFFFFFu && (state & (MF_GRAYED | MF_DISABLED));
}

void SystemMenuChanged(HMENU menu) {
  HWND owner = nullptr;
  {
    std::lock_guard guard(Bars().lock);
    for (const auto& [hwnd, systemMenu] : Bars().systemMenus) {
      if (systemMenu == menu) owner = hwnd;
    }
  }
  if (owner && IsWindow(owner)) RedrawWindow(owner, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void UpdateSystemMenu(HWND hwnd, HMENU menu) {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  const bool maximized = (style & WS_MAXIMIZE) != 0, minimized = (style & WS_MINIMIZE) != 0;
  Enable(menu, SC_RESTORE, maximized || minimized);
  Enable(menu, SC_MOVE, !maximized);
  Enable(menu, SC_SIZE, (style & WS_THICKFRAME) && !maximized && !minimized);
  Enable(menu, SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized);
  Enable(menu, SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized);
}

void KeyMenu(HWND hwnd, char16_t key) {
  if (IsChildWindow(hwnd)) {
    // The keyboard menu belongs to the top-level window.
    if (HWND root = GetAncestor(hwnd, GA_ROOT)) SendMessageW(root, WM_SYSCOMMAND, SC_KEYMENU, key);
    return;
  }
  const bool system = (GetWindowLongW(hwnd, GWL_STYLE) & WS_SYSMENU) != 0;
  const int titles = std::max(0, GetMenuItemCount(GetMenu(hwnd)));
  if (key == u' ') {
    if (system) TrackBar(hwnd, 0, true, true, true);
    return;
  }
  if (key == 0) {
    if (titles > 0) TrackBar(hwnd, 0, false, false, true);
    else if (system) TrackBar(hwnd, 0, false, true, true);
    return;
  }
  std::vector<MenuItem> items = ItemsOf(GetMenu(hwnd));
  const char16_t upper = (key >= u'a' && key <= u'z') ? static_cast<char16_t>(key - 32) : key;
  for (size_t i = 0; i < items.size(); ++i) {
    if (MnemonicOf(items[i].text) == upper) {
      TrackBar(hwnd, static_cast<int>(i), true, false, true);
      return;
    }
  }
  const LRESULT answer = SendMessageW(hwnd, WM_MENUCHAR, MAKEWPARAM(key, 0), reinterpret_cast<LPARAM>(GetMenu(hwnd)));
  const int position = LOWORD(answer);
  if ((HIWORD(answer) == MNC_EXECUTE || HIWORD(answer) == MNC_SELECT) && position < titles) {
    TrackBar(hwnd, position, HIWORD(answer) == MNC_EXECUTE, false, true);
    return;
  }
  if (HIWORD(answer) != MNC_CLOSE) MessageBeep(0);
}

void MouseMenu(HWND hwnd, LRESULT hit, POINT screen) {
  if (hit == HTSYSMENU) {
    TrackBar(hwnd, 0, true, true, false);
    return;
  }
  const int title = BarItemAt(hwnd, screen);
  if (title >= 0) TrackBar(hwnd, title, true, false, false);
}

}  // namespace compat::menus

using namespace compat::menus;

HMENU WINAPI GetMenu(HWND hwnd) {
  if (!IsWindow(hwnd) || IsChildWindow(hwnd)) return nullptr;
  return reinterpret_cast<HMENU>(GetWindowLongPtrW(hwnd, GWLP_ID));
}

BOOL WINAPI SetMenu(HWND hwnd, HMENU menu) {
  if (!IsWindow(hwnd) || IsChildWindow(hwnd) || (menu && !IsMenu(menu))) return FALSE;
  SetWindowLongPtrW(hwnd, GWLP_ID, reinterpret_cast<LONG_PTR>(menu));
  // The strip comes or goes with the menu.
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND hwnd) {
  if (!GetMenu(hwnd)) return FALSE;
  RECT strip{};
  bool known = false;
  {
    std::lock_guard guard(Bars().lock);
    auto it = Bars().strips.find(hwnd);
    if (it != Bars().strips.end()) strip = it->second, known = true;
  }
  if (!known || !IsWindowVisible(hwnd)) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
    return TRUE;
  }
  HDC hdc = GetWindowDC(hwnd);
  PaintMenuBar(hwnd, hdc, strip);
  ReleaseDC(hwnd, hdc);
  return TRUE;
}

HMENU WINAPI GetSystemMenu(HWND hwnd, BOOL revert) {
  if (!IsWindow(hwnd)) return nullptr;
  std::vector<HMENU> stale;
  HMENU result = nullptr;
  {
    std::lock_guard guard(Bars().lock);
    auto& menus = Bars().systemMenus;
    for (auto it = menus.begin(); it != menus.end();) {
      // Handles are never reused while their window lives, so a dead window's copy can go.
      if (!IsWindow(it->first) || (revert && it->first == hwnd)) {
        stale.push_back(it->second);
        it = menus.erase(it);
      } else {
        ++it;
      }
    }
    if (!revert) {
      HMENU& slot = menus[hwnd];
      if (!slot || !IsMenu(slot)) slot = MakeSystemMenu();
      result = slot;
    }
  }
  for (HMENU menu : stale) DestroyMenu(menu);
  return result;
}
