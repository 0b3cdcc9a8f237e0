// Creating and destroying windows in the platform's message order, window
// data (Get/SetWindowLongPtr), procedures, properties and text.
#include <algorithm>
#include <cstring>

#include "compat/win32/window_scroll_bars.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

constexpr int kDefaultCascadeStep = 26;
constexpr int kDefaultFirstPosition = 40;

// Where CW_USEDEFAULT puts an overlapped window: cascaded, three quarters of the desktop.
void ApplyDefaults(DWORD style, int* x, int* y, int* cx, int* cy) {
  if (style & WS_CHILD) {
    if (*x == CW_USEDEFAULT) *x = *y = 0;
    if (*cx == CW_USEDEFAULT) *cx = *cy = 0;
    return;
  }
  static int cascade = 0;
  RECT desk = Find(Desktop())->rect;
  if (*x == CW_USEDEFAULT) {
    *x = *y = kDefaultFirstPosition + (cascade++ % 8) * kDefaultCascadeStep;
  }
  if (*cx == CW_USEDEFAULT) {
    *cx = desk.right * 3 / 4;
    *cy = desk.bottom * 3 / 4;
  }
}

struct CreateArgs {
  DWORD exStyle;
  std::shared_ptr<WindowClass> cls;
  LPCWSTR name;
  DWORD style;
  int x, y, cx, cy;
  HWND parent;
  HMENU menu;
  HINSTANCE instance;
  LPVOID param;
};

// Builds the window record and links it into the tree; lock held.
HWND MakeWindow(const CreateArgs& a) {
  auto window = std::make_unique<Window>();
  window->cls = a.cls;
  window->proc = a.cls->proc;
  window->style = a.style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  window->exStyle = a.exStyle;
  if (!(a.style & WS_CHILD)) window->style |= WS_CLIPSIBLINGS;
  if ((a.style & WS_CAPTION) == WS_CAPTION && !(a.style & WS_CHILD) && !(a.style & WS_POPUP))
    window->exStyle |= WS_EX_WINDOWEDGE;
  if (a.name && !IS_INTRESOURCE(a.name)) window->text = a.name;
  window->instance = a.instance;
  window->id = reinterpret_cast<UINT_PTR>(a.menu);
  window->extra.assign(static_cast<size_t>(a.cls->wndExtra), 0);
  window->threadId = CurrentThreadId();
  window->rect = RECT{a.x, a.y, a.x + a.cx, a.y + a.cy};
  window->client = RECT{0, 0, a.cx, a.cy};
  window->normalRect = window->rect;
  HWND parent = Desktop();
  if (a.style & WS_CHILD) {
    parent = a.parent;
  } else if (a.parent) {
    window->owner = TopLevelOf(a.parent);
  }
  window->parent = parent;
  HWND hwnd = AllocateHandle(std::move(window));
  if (!hwnd) return nullptr;
  // Children join at the bottom, so z-order is creation order (the tab order of
  // dialogs); top-level windows join at the top.
  HWND after = (a.style & WS_CHILD) ? HWND_BOTTOM : HWND_TOP;
  if (!(a.style & WS_CHILD) && !(a.exStyle & WS_EX_TOPMOST)) {
    // New ordinary top-level windows go below the topmost ones.
    for (HWND sibling : Find(parent)->children) {
      Window* s = Find(sibling);
      if (s && (s->exStyle & WS_EX_TOPMOST)) after = sibling;
    }
  }
  LinkChild(Find(parent), hwnd, after);
  return hwnd;
}

void SendMinMaxInfo(HWND hwnd) {
  MINMAXINFO info{};
  RECT desk;
  {
    Guard guard = Lock();
    desk = Find(Desktop())->rect;
  }
  info.ptMaxSize = POINT{desk.right, desk.bottom};
  info.ptMaxPosition = POINT{0, 0};
  info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  DeliverSent(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  NoteTrackSizes(hwnd, info);
}

// WM_NCCALCSIZE at creation: the window rectangle in, the client rectangle out.
void CalcClientAtCreation(HWND hwnd) {
  RECT rect;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return;
    rect = w->rect;
  }
  DeliverSent(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
  Guard guard = Lock();
  if (Window* w = Find(hwnd)) {
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    w->client = RectOffset(rect, -w->rect.left, -w->rect.top);
  }
}

void SendSizeAndMove(HWND hwnd) {
  RECT client, rect;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return;
    client = w->client;
    rect = w->rect;
  }
  DeliverSent(hwnd, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(client.right - client.left, client.bottom - client.top));
  DeliverSent(hwnd, WM_MOVE, 0, MAKELPARAM(rect.left + client.left, rect.top + client.top));
}

void NotifyParent(HWND hwnd, UINT event) {
  HWND parent = nullptr;
  UINT_PTR id = 0;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !(w->style & WS_CHILD) || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
    parent = w->parent;
    id = w->id;
  }
  // The notice climbs while the windows on the way allow it.
  while (parent && parent != Desktop()) {
    DeliverSent(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, id), reinterpret_cast<LPARAM>(hwnd));
    Guard guard = Lock();
    Window* p = Find(parent);
    if (!p || !(p->style & WS_CHILD) || (p->exStyle & WS_EX_NOPARENTNOTIFY)) break;
    parent = p->parent;
  }
}

// Frees a window and its children without further messages; lock held.
void FreeTree(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  for (HWND child : std::vector<HWND>(w->children)) FreeTree(child);
  if (Window* parent = Find(w->parent)) UnlinkChild(parent, hwnd);
  ForgetWindowDcs(w);
  if (auto queue = QueueOf(w->threadId, false)) {
    KillWindowTimers(*queue, hwnd);
    // What was posted to the window dies with it.
    std::erase_if(queue->posted, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
  }
  FreeHandle(hwnd);
}

void SendDestroy(HWND hwnd) {
  DeliverSent(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    Guard guard = Lock();
    if (Window* w = Find(hwnd)) children = w->children;
  }
  for (HWND child : children) {
    {
      Guard guard = Lock();
      Window* c = Find(child);
      if (!c) continue;
      c->destroying = true;
    }
    SendDestroy(child);
  }
}

void SendNcDestroy(HWND hwnd) {
  std::vector<HWND> children;
  {
    Guard guard = Lock();
    if (Window* w = Find(hwnd)) children = w->children;
  }
  for (HWND child : children) SendNcDestroy(child);
  DeliverSent(hwnd, WM_NCDESTROY, 0, 0);
  ForgetWindowScrollBars(hwnd);
}

std::vector<HWND> OwnedWindows(HWND hwnd) {
  std::vector<HWND> owned;
  Guard guard = Lock();
  for (HWND top : Find(Desktop())->children) {
    Window* t = Find(top);
    if (t && t->owner == hwnd && !t->destroying) owned.push_back(top);
  }
  return owned;
}

bool WindowExtraRange(const Window* w, int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) + size <= w->extra.size();
}

}  // namespace

HWND CreateWindowInternal(DWORD exStyle, LPCWSTR className, LPCWSTR name, DWORD style, int x,
                          int y, int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance,
                          LPVOID param) {
  auto cls = FindClass(className);
  if (!cls) return nullptr;
  CurrentQueue();  // a thread that makes a window has a message queue from then on
  HWND hwnd;
  {
    Guard guard = Lock();
    if ((style & WS_CHILD) && !Find(parent)) return nullptr;
    if (parent == HWND_MESSAGE) parent = nullptr;
    if (parent && !Find(parent)) return nullptr;
    ApplyDefaults(style, &x, &y, &cx, &cy);
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    hwnd = MakeWindow(CreateArgs{exStyle, cls, name, style, x, y, cx, cy, parent, menu, instance,
                                 param});
    if (!hwnd) return nullptr;
  }
  CREATESTRUCTW cs{param, instance, menu, parent, cy, cx, y, x, static_cast<LONG>(style), name,
                   className, exStyle};
  if (HasHook(WH_CBT, CurrentThreadId())) {
    CBT_CREATEWNDW cbt{&cs, HWND_TOP};
    if (CallHooks(WH_CBT, HCBT_CREATEWND, reinterpret_cast<WPARAM>(hwnd),
                  reinterpret_cast<LPARAM>(&cbt))) {
      Guard guard = Lock();
      FreeTree(hwnd);
      return nullptr;
    }
  }
  if (!(style & WS_CHILD) || (style & WS_THICKFRAME)) SendMinMaxInfo(hwnd);
  // The window's own styles are visible to WM_NCCREATE, but not WS_VISIBLE yet.
  if (!DeliverSent(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DeliverSent(hwnd, WM_NCDESTROY, 0, 0);
    Guard guard = Lock();
    FreeTree(hwnd);
    return nullptr;
  }
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    w->created = true;
  }
  CalcClientAtCreation(hwnd);
  if (DeliverSent(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  SendSizeAndMove(hwnd);
  NotifyParent(hwnd, WM_CREATE);
  if (!IsWindow(hwnd)) return nullptr;
  if (style & WS_MAXIMIZE) {
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  } else if (style & WS_MINIMIZE) {
    ShowWindow(hwnd, SW_SHOWMINIMIZED);
  } else if (style & WS_VISIBLE) {
    ShowWindow(hwnd, SW_SHOW);
  }
  return IsWindow(hwnd) ? hwnd : nullptr;
}

bool DestroyWindowInternal(HWND hwnd) {
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || w->destroying || hwnd == State().desktop) return false;
    if (w->threadId != CurrentThreadId()) return false;  // only the creating thread may
  }
  if (HasHook(WH_CBT, CurrentThreadId()) &&
      CallHooks(WH_CBT, HCBT_DESTROYWND, reinterpret_cast<WPARAM>(hwnd), 0))
    return false;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || w->destroying) return false;
    w->destroying = true;
  }
  // Hide first, so the area behind is repainted and activation moves on.
  if (IsWindowVisible(hwnd)) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  }
  for (HWND owned : OwnedWindows(hwnd)) DestroyWindowInternal(owned);
  NotifyParent(hwnd, WM_DESTROY);
  for (HWND gone : [&] {
         Guard guard = Lock();
         return Descendants(hwnd);
       }())
    OnWindowGone(gone);
  SendDestroy(hwnd);
  SendNcDestroy(hwnd);
  Guard guard = Lock();
  FreeTree(hwnd);
  return true;
}

void FreeThreadWindows(DWORD thread) {
  Guard guard = Lock();
  std::vector<HWND> mine;
  for (HWND top : Find(Desktop())->children) {
    Window* w = Find(top);
    if (w && w->threadId == thread) mine.push_back(top);
  }
  for (HWND top : mine) {
    std::vector<HWND> tree = Descendants(top);
    bool visible = false;
    RECT area{};
    if (Window* w = Find(top)) {
      visible = ReallyVisible(w);
      area = ScreenWindowRect(w);
    }
    for (HWND gone : tree) OnWindowGone(gone);
    FreeTree(top);
    if (visible) InvalidateScreenArea(area);
  }
}

}  // namespace compat::user

using namespace compat::user;

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  return CreateWindowInternal(exStyle, className, windowName, style, x, y, width, height, parent,
                              menu, instance, param);
}

BOOL WINAPI DestroyWindow(HWND hwnd) { return DestroyWindowInternal(hwnd) ? TRUE : FALSE; }

BOOL WINAPI IsWindow(HWND hwnd) {
  Guard guard = Lock();
  return Find(hwnd) != nullptr && hwnd != State().desktop ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w && ReallyVisible(w) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
  bool wasDisabled;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) w->style &= ~WS_DISABLED;
  }
  if (!enable) {
    // A window losing input first loses the focus and capture inside it.
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(nullptr);
    if (GetCapture() == hwnd) ReleaseCapture();
    Guard guard = Lock();
    if (Window* w = Find(hwnd)) w->style |= WS_DISABLED;
  }
  DeliverSent(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return 0;
  if (index >= 0) {
    if (!WindowExtraRange(w, index, sizeof(LONG_PTR))) return 0;
    LONG_PTR value;
    std::memcpy(&value, w->extra.data() + index, sizeof(value));
    return value;
  }
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWLP_USERDATA: return w->userData;
    case GWLP_ID: return static_cast<LONG_PTR>(w->id);
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    default: return 0;
  }
}

namespace {

LONG_PTR SetStyle(HWND hwnd, int index, DWORD value) {
  STYLESTRUCT change{};
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return 0;
    change.styleOld = index == GWL_STYLE ? w->style : w->exStyle;
  }
  change.styleNew = value;
  DeliverSent(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return 0;
    (index == GWL_STYLE ? w->style : w->exStyle) = change.styleNew;
  }
  DeliverSent(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
  return static_cast<LONG_PTR>(static_cast<LONG>(change.styleOld));
}

}  // namespace

LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) return SetStyle(hwnd, index, static_cast<DWORD>(value));
  if (index == GWLP_HWNDPARENT) {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return 0;
    if (w->style & WS_CHILD) return reinterpret_cast<LONG_PTR>(w->parent);
    HWND old = w->owner;
    w->owner = value ? TopLevelOf(reinterpret_cast<HWND>(value)) : nullptr;
    return reinterpret_cast<LONG_PTR>(old);
  }
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  if (index >= 0) {
    if (!WindowExtraRange(w, index, sizeof(LONG_PTR))) return 0;
    std::memcpy(&old, w->extra.data() + index, sizeof(old));
    std::memcpy(w->extra.data() + index, &value, sizeof(value));
    return old;
  }
  switch (index) {
    case GWLP_WNDPROC:
      if (!value) return 0;
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_USERDATA:
      old = w->userData;
      w->userData = value;
      return old;
    case GWLP_ID:
      old = static_cast<LONG_PTR>(w->id);
      w->id = static_cast<UINT_PTR>(value);
      return old;
    default:
      return 0;
  }
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) {
  if (index >= 0) {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !WindowExtraRange(w, index, sizeof(LONG))) return 0;
    LONG value;
    std::memcpy(&value, w->extra.data() + index, sizeof(value));
    return value;
  }
  // A procedure address does not fit in 32 bits here; the Ptr calls carry it.
  if (index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT) return 0;
  return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}

LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
  if (index >= 0) {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !WindowExtraRange(w, index, sizeof(LONG))) return 0;
    LONG old;
    std::memcpy(&old, w->extra.data() + index, sizeof(old));
    std::memcpy(w->extra.data() + index, &value, sizeof(value));
    return old;
  }
  if (index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT) return 0;
  if (index == GWL_STYLE || index == GWL_EXSTYLE)
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(static_cast<DWORD>(value))));
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

namespace {

std::u16string PropKey(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) {
    return u"#" + std::u16string(1, static_cast<char16_t>(reinterpret_cast<uintptr_t>(name)));
  }
  return ToLower(name);
}

}  // namespace

BOOL WINAPI SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
  if (!name) return FALSE;
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  std::u16string key = PropKey(name);
  for (auto& prop : w->props) {
    if (prop.first == key) {
      prop.second = data;
      return TRUE;
    }
  }
  w->props.emplace_back(key, data);
  return TRUE;
}

HANDLE WINAPI GetPropW(HWND hwnd, LPCWSTR name) {
  if (!name) return nullptr;
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  std::u16string key = PropKey(name);
  for (auto& prop : w->props) {
    if (prop.first == key) return prop.second;
  }
  return nullptr;
}

HANDLE WINAPI RemovePropW(HWND hwnd, LPCWSTR name) {
  if (!name) return nullptr;
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  std::u16string key = PropKey(name);
  for (auto it = w->props.begin(); it != w->props.end(); ++it) {
    if (it->first == key) {
      HANDLE data = it->second;
      w->props.erase(it);
      return data;
    }
  }
  return nullptr;
}

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR text, int maxCount) {
  if (!text || maxCount <= 0) return 0;
  text[0] = 0;
  if (!IsWindow(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                       reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) return FALSE;
  return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}
