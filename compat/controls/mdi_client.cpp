// The "MDIClient" window: it creates, activates, maximises and destroys a
// frame's document windows, joins a maximised child's caption to the
// frame's title and lists the children at the end of the window menu.
#include <algorithm>
#include <string>
#include <vector>

#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

constexpr int kCascadeStep = 24;
constexpr int kListedChildren = 9;  // the window menu names the first nine

struct MdiState {
  std::vector<HWND> children;  // creation order: ids from idFirstChild
  std::vector<HWND> recent;    // most recently active first
  HWND active = nullptr;
  bool maximized = false;
  HMENU windowMenu = nullptr;
  UINT idFirstChild = 0;
  int listed = 0;  // items this client appended to the window menu
  int cascade = 0;
  std::u16string frameTitle;
  bool frameTitleKnown = false;
};

MdiState* ClientState(HWND client) {
  WCHAR name[16] = {};
  if (!client || !GetClassNameW(client, name, 16) || std::u16string_view(name) != u"MDIClient") return nullptr;
  return StateOf<MdiState>(client);
}

std::u16string TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

void UpdateFrameTitle(HWND client, MdiState& s) {
  HWND frame = GetParent(client);
  if (!frame) return;
  if (!s.frameTitleKnown) {
    s.frameTitle = TextOf(frame);
    s.frameTitleKnown = true;
  }
  std::u16string title = s.frameTitle;
  if (s.maximized && s.active) title += u" - [" + TextOf(s.active) + u"]";
  DefWindowProcW(frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void RemoveWindowList(MdiState& s) {
  if (!s.windowMenu || !IsMenu(s.windowMenu)) {
    s.listed = 0;
    return;
  }
  for (; s.listed > 0; --s.listed) {
    const int count = GetMenuItemCount(s.windowMenu);
    if (count <= 0) break;
    DeleteMenu(s.windowMenu, static_cast<UINT>(count - 1), MF_BYPOSITION);
  }
  s.listed = 0;
}

void RebuildWindowList(HWND client, MdiState& s) {
  RemoveWindowList(s);
  if (s.windowMenu && IsMenu(s.windowMenu) && !s.children.empty()) {
    AppendMenuW(s.windowMenu, MF_SEPARATOR, 0, nullptr);
    ++s.listed;
    const int shown = std::min<int>(static_cast<int>(s.children.size()), kListedChildren);
    for (int i = 0; i < shown; ++i) {
      const HWND child = s.children[static_cast<size_t>(i)];
      const std::u16string item = u"&" + std::u16string(1, static_cast<char16_t>(u'1' + i)) + u" " + TextOf(child);
      AppendMenuW(s.windowMenu, MF_STRING | (child == s.active ? MF_CHECKED : MF_UNCHECKED), s.idFirstChild + static_cast<UINT>(i),
                  item.c_str());
      ++s.listed;
    }
  }
  if (HWND frame = GetParent(client); frame && GetMenu(frame)) DrawMenuBar(frame);
}

void Renumber(MdiState& s) {
  for (size_t i = 0; i < s.children.size(); ++i)
    SetWindowLongPtrW(s.children[i], GWLP_ID, static_cast<LONG_PTR>(s.idFirstChild + i));
}

void Activate(HWND client, MdiState& s, HWND child) {
  if (!child || child == s.active || std::find(s.children.begin(), s.children.end(), child) == s.children.end()) return;
  const HWND old = s.active;
  s.active = child;
  s.recent.erase(std::remove(s.recent.begin(), s.recent.end(), child), s.recent.end());
  s.recent.insert(s.recent.begin(), child);
  // The maximised look passes to the child that comes forward.
  if (s.maximized && old && IsWindow(old)) {
    ShowWindow(child, SW_SHOWMAXIMIZED);
    ShowWindow(old, SW_RESTORE);
    s.maximized = true;
  }
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(old), reinterpret_cast<LPARAM>(child));
  }
  SendMessageW(child, WM_NCACTIVATE, TRUE, 0);
  SendMessageW(child, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(old), reinterpret_cast<LPARAM>(child));
  HWND frame = GetParent(client);
  if (frame && GetActiveWindow() == frame) {
    HWND focus = GetFocus();
    if (!focus || !IsChild(child, focus)) SetFocus(child);
  }
  RebuildWindowList(client, s);
  UpdateFrameTitle(client, s);
}

// The client forgets a child that is going; the next most recent one comes forward.
void Forget(HWND client, MdiState& s, HWND child) {
  auto it = std::find(s.children.begin(), s.children.end(), child);
  if (it == s.children.end()) return;
  s.children.erase(it);
  s.recent.erase(std::remove(s.recent.begin(), s.recent.end(), child), s.recent.end());
  Renumber(s);
  if (s.active == child) {
    s.active = nullptr;
    if (s.recent.empty()) {
      s.maximized = false;
    } else {
      const bool wasMaximized = s.maximized;
      HWND next = s.recent.front();
      s.maximized = false;
      Activate(client, s, next);
      if (wasMaximized) ShowWindow(next, SW_SHOWMAXIMIZED);
    }
  }
  RebuildWindowList(client, s);
  UpdateFrameTitle(client, s);
}

HWND CreateChild(HWND client, MdiState& s, const MDICREATESTRUCTW* mcs) {
  if (!mcs) return nullptr;
  RECT area;
  GetClientRect(client, &area);
  int x = mcs->x, y = mcs->y, cx = mcs->cx, cy = mcs->cy;
  if (x == CW_USEDEFAULT) {
    x = y = (s.cascade % 8) * kCascadeStep;
    ++s.cascade;
  }
  if (cx == CW_USEDEFAULT || cx <= 0) cx = std::max<int>(100, (area.right * 3) / 4);
  if (cy == CW_USEDEFAULT || cy <= 0) cy = std::max<int>(80, (area.bottom * 3) / 4);
  const DWORD always = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_CAPTION | WS_THICKFRAME |
                       WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE;
  const DWORD given = (GetWindowLongW(client, GWL_STYLE) & MDIS_ALLCHILDSTYLES)
                          ? mcs->style
                          : (mcs->style & (WS_MINIMIZE | WS_MAXIMIZE | WS_HSCROLL | WS_VSCROLL));
  const bool maximize = s.maximized || (mcs->style & WS_MAXIMIZE);
  const UINT id = s.idFirstChild + static_cast<UINT>(s.children.size());
  HWND child = CreateWindowExW(WS_EX_MDICHILD, mcs->szClass, mcs->szTitle, (always | given) & ~WS_MAXIMIZE, x, y, cx,
                               cy, client, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                               static_cast<HINSTANCE>(mcs->hOwner), const_cast<MDICREATESTRUCTW*>(mcs));
  if (!child) return nullptr;
  s.children.push_back(child);
  Activate(client, s, child);
  if (maximize) ShowWindow(child, SW_SHOWMAXIMIZED);
  return child;
}

HWND Neighbour(const MdiState& s, HWND from, bool previous) {
  if (s.children.size() < 2) return nullptr;
  auto it = std::find(s.children.begin(), s.children.end(), from ? from : s.active);
  if (it == s.children.end()) return nullptr;
  const auto n = static_cast<long>(s.children.size());
  const long at = (it - s.children.begin() + (previous ? n - 1 : 1)) % n;
  return s.children[static_cast<size_t>(at)];
}

}  // namespace

LRESULT CALLBACK MdiClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MdiState* s = StateForMessage<MdiState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (const auto* ccs = static_cast<const CLIENTCREATESTRUCT*>(cs->lpCreateParams)) {
        s->windowMenu = static_cast<HMENU>(ccs->hWindowMenu);
        s->idFirstChild = ccs->idFirstChild;
      }
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowList(*s);
      DetachState<MdiState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_MDICREATE:
      return reinterpret_cast<LRESULT>(CreateChild(hwnd, *s, reinterpret_cast<const MDICREATESTRUCTW*>(lParam)));
    case WM_MDIDESTROY: {
      HWND child = reinterpret_cast<HWND>(wParam);
      Forget(hwnd, *s, child);
      if (IsWindow(child) && GetParent(child) == hwnd) DestroyWindow(child);
      return 0;
    }
    case WM_MDIACTIVATE:
      Activate(hwnd, *s, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_MDIGETACTIVE:
      if (lParam) *reinterpret_cast<BOOL*>(lParam) = s->maximized ? TRUE : FALSE;
      return reinterpret_cast<LRESULT>(s->active);
    case WM_MDIMAXIMIZE:
      ShowWindow(reinterpret_cast<HWND>(wParam), SW_SHOWMAXIMIZED);
      return 0;
    case WM_MDIRESTORE:
      ShowWindow(reinterpret_cast<HWND>(wParam), SW_RESTORE);
      return 0;
    case WM_MDINEXT:
      if (HWND next = Neighbour(*s, reinterpret_cast<HWND>(wParam), lParam != 0)) Activate(hwnd, *s, next);
      return 0;
    case WM_MDISETMENU: {
      HWND frame = GetParent(hwnd);
      HMENU old = frame ? GetMenu(frame) : nullptr;
      if (lParam) {
        RemoveWindowList(*s);
        s->windowMenu = reinterpret_cast<HMENU>(lParam);
      }
      if (wParam && frame) SetMenu(frame, reinterpret_cast<HMENU>(wParam));
      RebuildWindowList(hwnd, *s);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_MDIREFRESHMENU: {
      RebuildWindowList(hwnd, *s);
      HWND frame = GetParent(hwnd);
      return reinterpret_cast<LRESULT>(frame ? GetMenu(frame) : nullptr);
    }
    case WM_SIZE:
      if (s->maximized && s->active) ShowWindow(s->active, SW_SHOWMAXIMIZED);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// What the default procedures of the frame and the children ask of the client.
void MdiChildSized(HWND child, WPARAM kind) {
  HWND client = GetParent(child);
  MdiState* s = ClientState(client);
  if (!s) return;
  if (kind == SIZE_MAXIMIZED) {
    if (s->active != child) Activate(client, *s, child);
    s->maximized = true;
  } else if (child == s->active) {
    s->maximized = false;
  }
  UpdateFrameTitle(client, *s);
}

void MdiChildActivate(HWND child) {
  HWND client = GetParent(child);
  if (MdiState* s = ClientState(client)) Activate(client, *s, child);
}

void MdiChildGone(HWND child) {
  HWND client = GetParent(child);
  if (MdiState* s = ClientState(client)) Forget(client, *s, child);
}

void MdiChildRenamed(HWND child) {
  HWND client = GetParent(child);
  MdiState* s = ClientState(client);
  if (!s) return;
  RebuildWindowList(client, *s);
  UpdateFrameTitle(client, *s);
}

bool MdiFrameText(HWND client, LPCWSTR text) {
  MdiState* s = ClientState(client);
  if (!s) return false;
  s->frameTitle = text ? text : u"";
  s->frameTitleKnown = true;
  UpdateFrameTitle(client, *s);
  return true;
}

HWND MdiChildOfCommand(HWND client, UINT id) {
  MdiState* s = ClientState(client);
  if (!s || id < s->idFirstChild || id >= s->idFirstChild + s->children.size()) return nullptr;
  return s->children[id - s->idFirstChild];
}

}  // namespace compat::controls

using namespace compat::controls;

LRESULT WINAPI DefFrameProcW(HWND hWnd, HWND hWndMDIClient, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (hWndMDIClient) {
    switch (uMsg) {
      case WM_COMMAND:
        if (HWND child = MdiChildOfCommand(hWndMDIClient, LOWORD(wParam))) {
          if (IsIconic(child)) ShowWindow(child, SW_RESTORE);
          SendMessageW(hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
          return 0;
        }
        break;
      case WM_SETTEXT:
        if (MdiFrameText(hWndMDIClient, reinterpret_cast<LPCWSTR>(lParam))) return TRUE;
        break;
      case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) MoveWindow(hWndMDIClient, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT WINAPI DefMDIChildProcW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CLOSE:
      SendMessageW(GetParent(hWnd), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hWnd), 0);
      return 0;
    case WM_CHILDACTIVATE:
    case WM_SETFOCUS:
      MdiChildActivate(hWnd);
      break;
    case WM_MOUSEACTIVATE: {
      const LRESULT result = DefWindowProcW(hWnd, uMsg, wParam, lParam);
      MdiChildActivate(hWnd);
      return result;
    }
    case WM_SIZE:
      // A maximised document that is minimised leaves the frame's title and menu bar.
      if (wParam == SIZE_MAXIMIZED || wParam == SIZE_RESTORED || wParam == SIZE_MINIMIZED) MdiChildSized(hWnd, wParam);
      break;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hWnd, uMsg, wParam, lParam);
      MdiChildRenamed(hWnd);
      return result;
    }
    case WM_GETMINMAXINFO: {
      // Maximised, the caption and borders lie outside the client's area.
      RECT area;
      GetClientRect(GetParent(hWnd), &area);
      AdjustWindowRectEx(&area, static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE)) & ~WS_MAXIMIZE, FALSE,
                         static_cast<DWORD>(GetWindowLongW(hWnd, GWL_EXSTYLE)));
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMaxPosition = POINT{area.left, area.top};
      info->ptMaxSize = POINT{area.right - area.left, area.bottom - area.top};
      return 0;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_NEXTWINDOW || (wParam & 0xFFF0) == SC_PREVWINDOW) {
        SendMessageW(GetParent(hWnd), WM_MDINEXT, reinterpret_cast<WPARAM>(hWnd), (wParam & 0xFFF0) == SC_PREVWINDOW);
        return 0;
      }
      break;
    case WM_DESTROY:
      MdiChildGone(hWnd);
      break;
    default:
      break;
  }
  return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

BOOL WINAPI TranslateMDISysAccel(HWND hWndClient, LPMSG lpMsg) {
  if (!lpMsg || !hWndClient || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) return FALSE;
  if (!(GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return FALSE;
  HWND active = reinterpret_cast<HWND>(SendMessageW(hWndClient, WM_MDIGETACTIVE, 0, 0));
  if (!active) return FALSE;
  WPARAM command = 0;
  if (lpMsg->wParam == VK_F4)
    command = SC_CLOSE;
  else if (lpMsg->wParam == VK_F6 || lpMsg->wParam == VK_TAB)
    command = (GetKeyState(VK_SHIFT) & 0x8000) ? SC_PREVWINDOW : SC_NEXTWINDOW;
  if (!command) return FALSE;
  SendMessageW(active, WM_SYSCOMMAND, command, 0);
  return TRUE;
}
